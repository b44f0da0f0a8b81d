#include "files/resultfile.h"

#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/quote.h"
#include "files/fdwriter.h"
#include "files/pendingfile.h"

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

Error unreadable(const std::string& folder, const std::error_code& ec) {
    return systemFailure("läsa mappen", inQuotes(folder), ec.value());
}

}  // namespace

Result<ResultNumbers> listResultNumbers(const std::string& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        return unreadable(folder, ec);
    }
    ResultNumbers numbers;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const long value = numberOf(name);
        if (value < 0) {
            continue;
        }
        if (value <= kHighestResultNumber && name == "Result" + std::to_string(value) + ".txt") {
            numbers.takenNames[static_cast<std::size_t>(value)] = true;
        }
        std::error_code typeEc;
        if (value <= numbers.highest || it->is_directory(typeEc)) {
            continue;
        }
        if (value > kHighestResultNumber) {
            return fail("Mappen " + inQuotes(folder) + " innehåller filen " + name +
                        ", vars nummer är större än 32767. Flytta filen eller välj en annan mapp.");
        }
        numbers.highest = static_cast<int>(value);
    }
    if (ec) {
        return unreadable(folder, ec);
    }
    if (numbers.highest >= kHighestResultNumber) {
        return fail("Mappen " + inQuotes(folder) +
                    " har redan en resultatfil med numret 32767, det högsta möjliga. Flytta "
                    "filen eller välj en annan mapp.");
    }
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

std::string resultFilePath(const std::string& folder, int number) {
    return (fs::path(folder) / ("Result" + std::to_string(number) + ".txt")).string();
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
    return file.commitNumbered();
}

Result<> writeFileReplacing(const std::string& path, const std::string& bytes) {
    PendingFile file;
    std::string folder = fs::path(path).parent_path().string();
    Result<> written = file.create(folder.empty() ? "." : folder, inQuotes(path));
    if (std::error_code ec; fs::is_regular_file(path, ec)) {
        file.keepMode(static_cast<mode_t>(fs::status(path, ec).permissions()));
    }
    if (written) {
        written = file.write(bytes);
    }
    if (!written) {
        return written;
    }
    return file.commitReplacing(path);
}

}  // namespace lodra
