#include "standfile/standsource.h"

#include <cerrno>
#include <filesystem>

#include "base/quote.h"
#include "files/fdwriter.h"

namespace lodra {

Error standFileError(const std::string& path, const std::string& message) {
    return fail("Fel i beståndsfilen " + inQuotes(path) + ": " + message);
}

Result<> openStands(const std::string& path, StandSource& source) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return fail("Beståndsfilen " + inQuotes(path) + " är en mapp, inte en fil.");
    }
    source.in.open(path, std::ios::binary);
    if (!source.in) {
        return systemFailure("öppna beståndsfilen", inQuotes(path), errno);
    }
    source.state = stateOf(path);
    if (Result<> opened = source.file.open(source.in); !opened) {
        return standFileError(path, opened.message());
    }
    if (source.file.standCount() == 0) {
        return fail("Beståndsfilen " + inQuotes(path) + " har inga bestånd, bara en rubrikrad.");
    }
    return {};
}

Result<> checkReadConsistently(const std::string& path, const StandSource& source, int handedOut) {
    if (handedOut != source.file.standCount() || !source.state || stateOf(path) != source.state) {
        return standFileError(path, "Filen ändrades medan den lästes.");
    }
    return {};
}

Result<std::vector<StandFile::Stand>> readAllStands(const std::string& path) {
    StandSource source;
    if (Result<> opened = openStands(path, source); !opened) {
        return opened.error();
    }
    source.file.setBlankCells(BlankCell::asWritten);
    std::vector<StandFile::Stand> stands;
    StandFile::Stand stand;
    for (;;) {
        const Result<bool> read = source.file.next(stand);
        if (!read) {
            return standFileError(path, read.message());
        }
        if (!*read) {
            break;
        }
        stands.push_back(stand);
    }
    if (Result<> same = checkReadConsistently(path, source, static_cast<int>(stands.size()));
        !same) {
        return same.error();
    }
    return stands;
}

}  // namespace lodra
