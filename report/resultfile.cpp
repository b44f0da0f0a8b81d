#include "report/resultfile.h"

#include "report/safefile.h"

#include <iconv.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace lodra {

namespace {

namespace fs = std::filesystem;

// Converts between encodings with the C library's iconv. A character the target cannot
// hold (or an undecodable byte) becomes the given replacement.
std::string convert(const std::string& in, const char* to, const char* from,
                    const std::string& replacement, std::size_t skipOnError) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return in;
    }
    std::string out;
    out.reserve(in.size() + in.size() / 8);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL: skip the offending character.
            std::size_t skip = skipOnError;
            if (skipOnError == 0) {  // UTF-8 input: skip one whole character
                skip = 1;
                while (skip < inLeft && (static_cast<unsigned char>(inPtr[skip]) & 0xC0) == 0x80) {
                    ++skip;
                }
            }
            skip = std::min(skip, inLeft);
            inPtr += skip;
            inLeft -= skip;
            out += replacement;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string toWindows1252(const std::string& utf8) {
    return convert(utf8, "WINDOWS-1252", "UTF-8", "?", 0);
}

std::string fromWindows1252(const std::string& bytes) {
    return convert(bytes, "UTF-8", "WINDOWS-1252", "\xEF\xBF\xBD", 1);
}

NumberResult nextResultNumber(const std::string& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        return {0,
                "Kunde inte läsa mappen \"" + folder + "\": " + systemErrorText(ec.value()) + "."};
    }
    int highest = 0;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            return {0, "Kunde inte läsa mappen \"" + folder + "\": " + systemErrorText(ec.value()) +
                           "."};
        }
        std::error_code typeEc;
        if (it->is_directory(typeEc)) {
            continue;
        }
        const std::string name = it->path().filename().string();
        if (name.size() < 10 || name.compare(0, 6, "Result") != 0 ||
            name.compare(name.size() - 4, 4, ".txt") != 0) {
            continue;
        }
        const std::string middle = name.substr(6, name.size() - 10);
        if (middle.empty() || middle.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const auto significant = middle.find_first_not_of('0');
        const std::string digits =
            significant == std::string::npos ? "0" : middle.substr(significant);
        const long value = digits.size() > 5 ? 99999 : std::stol(digits);
        if (value > highest) {
            if (value > 32767) {
                return {0, "Mappen \"" + folder + "\" innehåller filen " + name +
                               ", vars nummer är större än 32767. Flytta filen eller välj en "
                               "annan mapp."};
            }
            highest = static_cast<int>(value);
        }
    }
    if (highest >= 32767) {
        return {0, "Mappen \"" + folder + "\"" +
                       " har redan en resultatfil med numret 32767, det högsta möjliga. Flytta "
                       "filen eller välj en annan mapp."};
    }
    return {highest + 1, {}};
}

std::string resultFilePath(const std::string& folder, int number) {
    return (fs::path(folder) / ("Result" + std::to_string(number) + ".txt")).string();
}

SaveResult saveNumberedResult(const std::string& folder, const std::string& bytes) {
    SaveResult result;
    PendingFile file;
    if (file.create(folder, result.message) && file.write(bytes) &&
        file.commitNumbered(result.path, result.message)) {
        result.ok = true;
    } else if (result.message.empty()) {
        result.message = "Kunde inte skriva resultatfilen i mappen \"" + folder +
                         "\": " + systemErrorText(file.writer().error()) + ".";
    }
    return result;
}

SaveResult writeFileReplacing(const std::string& path, const std::string& bytes) {
    SaveResult result;
    PendingFile file;
    if (file.create(folderOf(path), result.message) && file.write(bytes) &&
        file.commitReplacing(path, result.message)) {
        result.ok = true;
        result.path = path;
    } else if (result.message.empty()) {
        result.message =
            "Kunde inte skriva \"" + path + "\": " + systemErrorText(file.writer().error()) + ".";
    }
    return result;
}

}  // namespace lodra
