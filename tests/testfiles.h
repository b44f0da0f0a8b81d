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
