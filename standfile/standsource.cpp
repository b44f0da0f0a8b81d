#include "standfile/standsource.h"

#include <cerrno>
#include <filesystem>
#include <new>

#include "base/quote.h"
#include "files/errortext.h"

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

namespace {

// The bytes of the first chars characters of UTF-8 text.
std::size_t prefixBytes(std::string_view text, std::size_t chars) {
    std::size_t counted = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80 && counted++ == chars) {
            return i;
        }
    }
    return text.size();
}

// The name of a row's fields, as much of it as the list keeps and one character more.
std::string_view listedName(const StandFile& file, const std::vector<std::string>& fields,
                            std::string& decoded) {
    const auto column = static_cast<std::size_t>(file.columns().bestand);
    if (file.columns().bestand < 0 || column >= fields.size()) {
        return {};
    }
    const std::string_view name = fields[column];
    if (!file.windows1252()) {
        return name;
    }
    // Each Windows-1252 byte is a character.
    decoded = file.decoded(std::string(name.substr(0, StandList::kNameChars + 1)));
    return decoded;
}

}  // namespace

void StandList::add(const StandFile::Row& row, std::string_view name) {
    const std::size_t kept = prefixBytes(name, kNameChars);
    Entry entry;
    entry.offset = row.offset;
    entry.nameStart = names_.size();
    entry.row = row.row;
    entry.nameSize = static_cast<std::uint32_t>(kept);
    entry.cut = kept < name.size() ? 1 : 0;
    names_.insert(names_.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(kept));
    entries_.push_back(entry);
}

std::string StandList::name(std::size_t index) const {
    const Entry& entry = entries_[index];
    const auto start = names_.begin() + static_cast<std::ptrdiff_t>(entry.nameStart);
    return std::string(start, start + entry.nameSize);
}

Result<StandList> listAll(const std::string& path, ReadWatch* watch) {
    auto source = std::make_shared<StandSource>();
    if (const std::optional<FileState> state = stateOf(path); state && watch != nullptr) {
        watch->total = 2 * static_cast<std::uint64_t>(state->size);
    }
    source->file.setWatch(watch);
    const auto stopped = [watch](const Error& error) {
        return watch != nullptr && watch->cancel ? Error{error.message, Status::Cancelled} : error;
    };
    if (Result<> opened = openStands(path, *source); !opened) {
        return stopped(opened.error());
    }
    source->file.setBlankCells(BlankCell::asWritten);
    StandList list;
    list.state_ = source->state;
    StandFile::Row row;
    std::string decoded;
    for (;;) {
        const Result<bool> read = source->file.nextRow(row);
        if (!read) {
            return stopped(standFileError(path, read.message()));
        }
        if (!*read) {
            break;
        }
        list.add(row, listedName(source->file, *row.fields, decoded));
    }
    if (Result<> same = checkReadConsistently(path, *source, static_cast<int>(list.size()));
        !same) {
        return same.error();
    }
    source->file.setWatch(nullptr);
    list.file_ = std::shared_ptr<const StandFile>(source, &source->file);
    return list;
}

Result<StandList> listStands(const std::string& path, ReadWatch* watch) {
    try {
        return listAll(path, watch);
    } catch (const std::bad_alloc&) {
        return fail("Minnet räckte inte till för att läsa beståndsfilen " + inQuotes(path) + ".");
    }
}

Result<PickedStand> readListedStand(const std::string& path, const StandList& list,
                                    std::size_t index) {
    if (!list.file_ || index >= list.size()) {
        return fail("Inget bestånd är valt.");
    }
    const Error changed =
        standFileError(path, "Filen har ändrats sedan bestånden listades. Öppna den igen.");
    if (!list.state_ || stateOf(path) != list.state_) {
        return changed;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return systemFailure("öppna beståndsfilen", inQuotes(path), errno);
    }
    if (stateOf(path) != list.state_) {
        return changed;
    }
    const StandList::Entry& entry = list.entries_[index];
    PickedStand picked;
    Result<StandFile::Stand> stand =
        list.file_->standAt(in, StandFile::Row{entry.row, entry.offset, nullptr}, &picked.cells);
    if (!stand) {
        return standFileError(path, stand.message());
    }
    picked.stand = std::move(*stand);
    return picked;
}

}  // namespace lodra
