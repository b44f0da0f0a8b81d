#pragma once

// The stand register: a ';'-separated text file with a header row and one stand per row,
// as spreadsheets save it. The batch tool calculates every stand of it; the windows open one
// and save one. UTF-8 or Windows-1252 (a file that is not
// valid UTF-8 is read as Windows-1252), with or without a byte-order mark, LF or CR LF.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "report/csv.h"
#include "standfile/standcolumns.h"
#include "standfile/standrecord.h"

namespace lodra {

// How far a reading of a stand file has come, and whether the user wants it stopped: shared
// with the thread that shows it.
struct ReadWatch {
    std::atomic<std::uint64_t> bytes{0};  // read so far
    std::atomic<std::uint64_t> total{0};  // to read in all; 0 until known
    std::atomic<bool> cancel{false};
};

// A whole stand file, read twice: open() checks every record (encoding, quotes, field
// counts) and counts the stands before any is calculated; next() then hands them out in
// order. Rows whose cells are all blank are skipped, but they keep their row numbers.
class StandFile {
  public:
    struct Stand {
        int row = 0;                            // counting the header as row 1
        std::optional<std::string> name;        // the bestand cell; none without the column
        std::optional<std::string> hektarCell;  // the hektar cell; none without the column
        std::optional<double> hektar;           // ha, the area; none when not given (or refused)
        InputRecord input;                      // meaningful when there is no refusal
        std::optional<std::string> refusal;     // why the row cannot be calculated
    };

    // A stand as a list shows it before it is read: the row that is not blank, where its
    // record starts, and its fields as the file holds them (not yet decoded).
    struct Row {
        int row = 0;
        std::uint64_t offset = 0;
        const std::vector<std::string>* fields = nullptr;
    };

    // The stream must be seekable (a file or a string stream). Fails for a file that
    // cannot be used at all.
    Result<> open(std::istream& in);
    // The next stand: true when there was one, false after the last; fails when the file
    // turns out malformed or changed since open().
    Result<bool> next(Stand& stand);
    // The next stand's row, as next() would read it; its fields last until the next call.
    Result<bool> nextRow(Row& row);
    // The stand of a row that nextRow() gave, read alone from in (the same file, opened
    // again); cells, when given, get its choice cells.
    Result<Stand> standAt(std::istream& in, const Row& row, ChoiceCells* cells = nullptr) const;
    // The text of a field as the stand gets it (Windows-1252 decoded).
    std::string decoded(const std::string& field) const;

    void setBlankCells(BlankCell blank) { blank_ = blank; }
    // Reports the bytes read and stops at a record when cancel is set.
    void setWatch(ReadWatch* watch) { watch_ = watch; }

    bool windows1252() const { return windows1252_; }
    int standCount() const { return standCount_; }
    // Stands whose hektar cell is not blank, counted by open().
    int areaCount() const { return areaCount_; }
    const StandColumns& columns() const { return columns_; }

  private:
    Result<std::vector<std::string>> readHeaderRow();
    Result<> countStands(int areaColumn);  // the hektar column, -1 without it
    void decode(std::vector<std::string>& fields) const;
    // The next record that is not blank, undecoded.
    Result<bool> nextRecord();
    // The stand of the fields of a record read (decoded).
    Stand standOf(const std::vector<std::string>& fields, int row) const;
    // Tells the watch how far the reading has come; fails when it is to stop.
    Result<> watched(std::uint64_t before) const;

    std::istream* in_ = nullptr;
    std::unique_ptr<CsvReader> reader_;
    StandColumns columns_;
    std::vector<std::string> fields_;
    bool windows1252_ = false;
    int standCount_ = 0;
    int areaCount_ = 0;
    BlankCell blank_ = BlankCell::initialValue;
    ReadWatch* watch_ = nullptr;
    std::uint64_t size_ = 0;  // bytes of the file, counted by open()
};

// Whether every field is empty or holds only blanks.
bool blankRecord(const std::vector<std::string>& fields);

}  // namespace lodra
