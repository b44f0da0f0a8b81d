#pragma once

// Small file helpers shared by the tests: whole files as bytes, a folder of their own and
// the names in a folder.

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lodra::testfiles {

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// All a temporary stream holds, from its start.
inline std::string readStream(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        text += static_cast<char>(c);
    }
    return text;
}

// A new empty folder /tmp/lodra05-<tag>-XXXXXX of the test's own; empty if none could be made.
inline std::filesystem::path newFolder(const std::string& tag) {
    std::string name = "/tmp/lodra05-" + tag + "-XXXXXX";
    return ::mkdtemp(name.data()) != nullptr ? std::filesystem::path(name)
                                             : std::filesystem::path();
}

// A new folder of the test's own (see newFolder), removed with everything in it when the
// object goes, and files written into it.
class Folder {
  public:
    explicit Folder(const std::string& tag) : path_(newFolder(tag)) {}
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }
    // Writes the file of that name in the folder; gives its path.
    std::string write(const std::string& name, const std::string& bytes) const {
        writeFile(path_ / name, bytes);
        return (path_ / name).string();
    }

  private:
    std::filesystem::path path_;
};

// Every name in the folder, hidden ones (temporary files) included, sorted.
inline std::vector<std::string> fileNames(const std::filesystem::path& folder) {
    std::vector<std::string> result;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        result.push_back(entry.path().filename().string());
    }
    std::sort(result.begin(), result.end());
    return result;
}

}  // namespace lodra::testfiles
