#pragma once

// A stand file opened by its name: the messages of a file that cannot be used, and the check
// that nothing wrote it while it was read. The batch tool and the windows say the same.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "files/filestate.h"
#include "standfile/standfile.h"

namespace lodra {

struct StandSource {
    std::ifstream in;
    StandFile file;
    std::optional<FileState> state;  // when first read
};

// A fault found in the stand file, naming it.
Error standFileError(const std::string& path, const std::string& message);

// Opens the stand file and reads it through once, checking every record and counting
// the stands, before anything is calculated. A file without stands is refused.
Result<> openStands(const std::string& path, StandSource& source);

// The stand file gave every stand it counted, and nothing wrote it while it was read.
Result<> checkReadConsistently(const std::string& path, const StandSource& source, int handedOut);

// Every stand of the file in order, blank cells as they are written, all held at once (the
// windows list a register with listStands() instead).
Result<std::vector<StandFile::Stand>> readAllStands(const std::string& path);

struct StandSource;

// The stands of a register as a pick list shows them, read as a stream: each stand's row,
// where its record starts and the start of its name. A stand is read when it is picked
// (readListedStand), so that a register of millions of stands costs some tens of bytes each.
struct PickedStand {
    StandFile::Stand stand;  // blank cells as they are written
    ChoiceCells cells;
};

class StandList {
  public:
    // The characters of a name that the list keeps.
    static constexpr std::size_t kNameChars = 200;

    std::size_t size() const { return entries_.size(); }
    int row(std::size_t index) const { return entries_[index].row; }
    // The first kNameChars characters of the stand's name, UTF-8; empty without a name.
    std::string name(std::size_t index) const;
    // Whether the name goes on past what name() gives.
    bool nameCut(std::size_t index) const { return entries_[index].cut; }
    // The file as it was when the listing began.
    const std::optional<FileState>& state() const { return state_; }

  private:
    friend Result<StandList> listAll(const std::string& path, ReadWatch* watch);
    friend Result<PickedStand> readListedStand(const std::string& path, const StandList& list,
                                               std::size_t index);
    void add(const StandFile::Row& row, std::string_view name);

    struct Entry {
        std::uint64_t offset = 0;
        std::uint64_t nameStart = 0;  // in names_
        std::int32_t row = 0;
        std::uint32_t nameSize : 31 = 0;
        std::uint32_t cut : 1 = 0;
    };
    std::deque<Entry> entries_;  // grows without copying what it holds
    std::deque<char> names_;
    std::shared_ptr<const StandFile> file_;  // the columns and the encoding
    std::optional<FileState> state_;         // when the listing began
};

// Lists the stands of a register: the file is checked whole as openStands() does, then
// read once more for the list. Running out of memory, or a watch told to stop, ends it
// with a message.
Result<StandList> listStands(const std::string& path, ReadWatch* watch = nullptr);

// The stand of the list's entry index, read from the file, which must not have changed since
// it was listed.
Result<PickedStand> readListedStand(const std::string& path, const StandList& list,
                                    std::size_t index);

}  // namespace lodra
