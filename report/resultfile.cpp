#include "report/resultfile.h"

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
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

std::string describeErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "mappen finns inte";
        case EACCES:
        case EPERM:
            return "behörighet saknas";
        case EROFS:
            return "mappen är skrivskyddad";
        case ENOSPC:
        case EDQUOT:
            return "disken är full";
        case EFBIG:
            return "filen blev för stor";
        default:
            return std::strerror(error);
    }
}

std::string failure(const std::string& what, const std::string& where, int error) {
    return what + " " + where + ": " + describeErrno(error) + ".";
}

bool writeAll(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Creates a new temporary file beside the target, with the usual permissions of new files.
int createTemporary(const fs::path& folder, std::string& path) {
    static unsigned long counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        path = (folder /
                (".Result-" + std::to_string(::getpid()) + "-" + std::to_string(tick % 1000000007) +
                 "-" + std::to_string(++counter) + ".tmp"))
                   .string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// Writes bytes into a new temporary file of the folder. Returns its path, or an error.
bool writeTemporary(const fs::path& folder, const std::string& bytes, std::string& tmpPath,
                    std::string& message) {
    const int fd = createTemporary(folder, tmpPath);
    if (fd < 0) {
        message = failure("Kunde inte skapa en fil i mappen", folder.string(), errno);
        return false;
    }
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(tmpPath.c_str());
        message = failure("Kunde inte skriva resultatet i mappen", folder.string(), error);
        return false;
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(tmpPath.c_str());
        message = failure("Kunde inte skriva resultatet i mappen", folder.string(), error);
        return false;
    }
    return true;
}

// Puts the temporary file in place under path only if no file of that name exists.
// Returns 0, or the errno of the failure (EEXIST when the name was taken meanwhile).
int placeExclusively(const std::string& tmpPath, const std::string& path) {
    if (::link(tmpPath.c_str(), path.c_str()) == 0) {
        ::unlink(tmpPath.c_str());
        return 0;
    }
    const int error = errno;
    if (error == EEXIST) {
        return error;
    }
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP && error != EMLINK) {
        return error;
    }
    // The file system has no hard links: claim the name, then rename over the claim.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    if (::rename(tmpPath.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(path.c_str());
        return renameError;
    }
    return 0;
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
        return {0, failure("Kunde inte läsa mappen", folder, ec.value())};
    }
    int highest = 0;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            return {0, failure("Kunde inte läsa mappen", folder, ec.value())};
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
                return {0, "Mappen " + folder + " innehåller filen " + name +
                               ", vars nummer är större än 32767. Flytta filen eller välj en "
                               "annan mapp."};
            }
            highest = static_cast<int>(value);
        }
    }
    if (highest >= 32767) {
        return {0, "Mappen " + folder +
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
    std::string tmpPath;
    if (!writeTemporary(folder, bytes, tmpPath, result.message)) {
        return result;
    }
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const NumberResult next = nextResultNumber(folder);
        if (!next.error.empty()) {
            ::unlink(tmpPath.c_str());
            result.message = next.error;
            return result;
        }
        const std::string path = resultFilePath(folder, next.number);
        const int error = placeExclusively(tmpPath, path);
        if (error == 0) {
            result.ok = true;
            result.path = path;
            return result;
        }
        if (error != EEXIST) {
            ::unlink(tmpPath.c_str());
            result.message = failure("Kunde inte spara filen", path, error);
            return result;
        }
    }
    ::unlink(tmpPath.c_str());
    result.message = "Kunde inte hitta ett ledigt filnamn i mappen " + folder + ".";
    return result;
}

SaveResult writeFileReplacing(const std::string& path, const std::string& bytes) {
    SaveResult result;
    fs::path target(path);
    fs::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::string tmpPath;
    if (!writeTemporary(folder, bytes, tmpPath, result.message)) {
        return result;
    }
    if (::rename(tmpPath.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(tmpPath.c_str());
        result.message = failure("Kunde inte spara filen", path, error);
        return result;
    }
    result.ok = true;
    result.path = path;
    return result;
}

}  // namespace lodra
