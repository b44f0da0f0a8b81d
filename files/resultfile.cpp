#include "files/resultfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

#include "base/quote.h"
#include "files/errortext.h"
#include "files/fdwriter.h"

namespace lodra {

namespace {

namespace fs = std::filesystem;

constexpr long kBeyondLimit = 99999;  // any number of more than five digits

// The number of a name "Result" + digits + ".txt", else -1.
long numberOf(std::string_view name) {
    if (name.size() < 11 || !name.starts_with("Result") || !name.ends_with(".txt")) {
        return -1;
    }
    std::string_view digits = name.substr(6, name.size() - 10);
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return -1;
    }
    const std::size_t significant = digits.find_first_not_of('0');
    digits = significant == std::string_view::npos ? "0" : digits.substr(significant);
    if (digits.size() > 5) {
        return kBeyondLimit;
    }
    long value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

Error unreadable(const std::string& folder, int error) {
    return systemFailure("läsa mappen", inQuotes(folder), error);
}

// Whether the entry of the listing is a folder, or a link to one.
bool isFolder(int folderFd, const dirent& entry) {
    if (entry.d_type == DT_DIR || entry.d_type == DT_REG) {
        return entry.d_type == DT_DIR;
    }
    struct stat st {};
    return ::fstatat(folderFd, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

// Takes one name of the listing into numbers; fails on a result file past the limit.
Result<> take(int folderFd, const dirent& entry, const std::string& folder,
              ResultNumbers& numbers) {
    const std::string_view name = entry.d_name;
    const long value = numberOf(name);
    if (value < 0) {
        return {};
    }
    if (value <= kHighestResultNumber && name == resultFileName(static_cast<int>(value))) {
        numbers.takenNames[static_cast<std::size_t>(value)] = true;
    }
    if (value <= numbers.highest || isFolder(folderFd, entry)) {
        return {};
    }
    if (value > kHighestResultNumber) {
        return fail("Mappen " + inQuotes(folder) + " innehåller filen " + std::string(name) +
                    ", vars nummer är större än 32767. Flytta filen eller välj en annan mapp.");
    }
    numbers.highest = static_cast<int>(value);
    return {};
}

}  // namespace

Result<ResultNumbers> listResultNumbers(int folderFd, const std::string& folder) {
    const int listing = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(listing >= 0 ? ::fdopendir(listing) : nullptr,
                                                  ::closedir);
    if (!dir) {
        const int error = errno;
        if (listing >= 0) {
            ::close(listing);
        }
        return unreadable(folder, error);
    }
    ResultNumbers numbers;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            break;
        }
        if (Result<> taken = take(folderFd, *entry, folder, numbers); !taken) {
            return taken.error();
        }
    }
    if (errno != 0) {
        return unreadable(folder, errno);
    }
    if (numbers.highest >= kHighestResultNumber) {
        return fail("Mappen " + inQuotes(folder) +
                    " har redan en resultatfil med numret 32767, det högsta möjliga. Flytta "
                    "filen eller välj en annan mapp.");
    }
    return numbers;
}

Result<ResultNumbers> listResultNumbers(const std::string& folder) {
    const int folderFd = openFolder(folder);
    if (folderFd < 0) {
        return unreadable(folder, errno);
    }
    Result<ResultNumbers> numbers = listResultNumbers(folderFd, folder);
    ::close(folderFd);
    return numbers;
}

Result<int> nextResultNumber(const std::string& folder) {
    Result<ResultNumbers> numbers = listResultNumbers(folder);
    if (!numbers) {
        return numbers.error();
    }
    for (int number = numbers->highest + 1; number <= kHighestResultNumber; ++number) {
        if (!numbers->taken(number)) {
            return number;
        }
    }
    return fail("Kunde inte hitta ett ledigt filnummer i mappen " + inQuotes(folder) + ".");
}

std::string resultFileName(int number) {
    return "Result" + std::to_string(number) + ".txt";
}

std::string resultFilePath(const std::string& folder, int number) {
    return (fs::path(folder) / resultFileName(number)).string();
}

Result<std::string> commitNumbered(PendingFile& file) {
    if (Result<> finished = file.finish(); !finished) {
        return finished.error();
    }
    Result<ResultNumbers> numbers = listResultNumbers(file.folder(), file.folderPath());
    if (!numbers) {
        file.discard();
        return numbers.error();
    }
    // Another program may take a number between the listing and the link: try the next.
    for (int number = numbers->highest + 1; number <= kHighestResultNumber; ++number) {
        if (numbers->taken(number)) {
            continue;
        }
        std::string path = resultFilePath(file.folderPath(), number);
        const int error = file.linkAs(resultFileName(number));
        if (error == 0) {
            file.discard();
            return path;
        }
        if (error != EEXIST) {
            file.discard();
            return systemFailure("spara", inQuotes(path), error);
        }
    }
    file.discard();
    return fail("Kunde inte hitta ett ledigt filnummer i mappen " + inQuotes(file.folderPath()) +
                ".");
}

Result<std::string> saveNumberedResult(const std::string& folder, const std::string& bytes) {
    PendingFile file;
    Result<> written = file.create(folder, "resultatfilen i mappen " + inQuotes(folder));
    if (written) {
        written = file.write(bytes);
    }
    if (!written) {
        return written.error();
    }
    return commitNumbered(file);
}

namespace {

constexpr int kMostLinks = 40;  // as many as the system follows in one path

// Refuses to replace an existing file that may not be written (see saveReplacing).
Result<> mayReplace(const std::string& target, const std::string& path) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        return {};  // a new file; making it fails on its own if it cannot be made
    }
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return systemFailure("spara", inQuotes(path), EACCES);
    }
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return systemFailure("spara", inQuotes(path), errno);
    }
    return {};
}

// Gives the finished file, staged under the hidden name temp, the name target, unless the
// file there is no longer in the state unchanged.
// Renames the hidden name temp in folder (an open folder) to target, a file in it.
Result<> putInPlace(int folder, const std::string& temp, const std::string& target,
                    const std::string& path, const std::optional<FileState>& unchanged) {
    if (unchanged && stateOf(target) != unchanged) {
        ::unlinkat(folder, temp.c_str(), 0);
        return fail("Filen " + inQuotes(path) +
                    " har ändrats av ett annat program medan den sparades och skrevs inte över.");
    }
    const std::string name = fs::path(target).filename().string();
    if (::renameat(folder, temp.c_str(), folder, name.c_str()) != 0) {
        const int error = errno;
        ::unlinkat(folder, temp.c_str(), 0);
        return systemFailure("spara", inQuotes(path), error);
    }
    return {};
}

}  // namespace

Result<std::string> followedLinks(const std::string& path) {
    fs::path current = path;
    for (int hop = 0; hop <= kMostLinks; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current.string();
        }
        std::error_code ec;
        const fs::path target = fs::read_symlink(current, ec);
        if (ec) {
            return systemFailure("spara", inQuotes(path), ec.value());
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return systemFailure("spara", inQuotes(path), ELOOP);
}

Result<FileState> saveReplacing(const std::string& path, const std::string& bytes,
                                const std::optional<FileState>& unchanged) {
    const Result<std::string> target = followedLinks(path);
    if (!target) {
        return target.error();
    }
    if (Result<> allowed = mayReplace(*target, path); !allowed) {
        return allowed.error();
    }
    PendingFile file;
    const std::string folder = fs::path(*target).parent_path().string();
    Result<> written = file.create(folder.empty() ? "." : folder, inQuotes(path));
    if (std::error_code ec; fs::is_regular_file(*target, ec)) {
        file.keepMode(static_cast<mode_t>(fs::status(*target, ec).permissions()));
    }
    if (written) {
        written = file.write(bytes);
    }
    if (written) {
        written = file.finish();
    }
    if (!written) {
        return written.error();
    }
    // Renaming keeps the time of the last write, so this is the state the saved file has.
    const std::optional<FileState> state = stateOfDescriptor(file.writer().fd());
    const Result<std::string> temp = file.stage(path);
    if (!temp) {
        return temp.error();
    }
    if (Result<> placed = putInPlace(file.folder(), *temp, *target, path, unchanged); !placed) {
        return placed.error();
    }
    return state.value_or(FileState{});
}

Result<> writeFileReplacing(const std::string& path, const std::string& bytes) {
    if (Result<FileState> saved = saveReplacing(path, bytes); !saved) {
        return saved.error();
    }
    return {};
}

}  // namespace lodra
