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
#include "calc/parameters.h"

namespace lodra {

// Tells whether a byte stream fed to it piece by piece is well-formed UTF-8 (no overlong
// forms, no surrogates, nothing above U+10FFFF, no sequence cut off at the end).
class Utf8Check {
  public:
    void feed(std::string_view bytes);
    bool valid() const { return !bad_ && carry_.empty(); }

  private:
    void check(std::string_view text);

    std::string carry_;  // a character cut off at the end of the last piece
    bool bad_ = false;
};

// Splits a byte stream into records of ';'-separated fields. A field may be enclosed in
// double quotes, inside which ';', line breaks and doubled quotes ("") stand for
// themselves. Records end at LF, CR LF or a lone CR. A byte-order mark at the very start
// is skipped. Works on bytes: the separators are ASCII in both encodings.
class CsvReader {
  public:
    static constexpr std::size_t kMaxRecordBytes = 1 << 20;  // separators included
    static constexpr std::size_t kMaxHeaderFields = 256;

    explicit CsvReader(std::istream& in) : in_(in) {}
    // A reader of the records from offset on, where the stream stands now (a record that
    // the reader listed there), numbering the first one row: no byte-order mark is skipped.
    CsvReader(std::istream& in, std::uint64_t offset, int row)
        : in_(in), fileStart_(false), base_(offset), row_(row - 1) {}

    // Reads the next record: true when there was one, false at the end of the input, or
    // what is wrong with a malformed record (then every later call says the same).
    Result<bool> next(std::vector<std::string>& fields);

    // A record with more fields than most is refused at its first field too many (the
    // header row's limit is kMaxHeaderFields, the other rows' the header's field count).
    void limitFields(std::size_t most) { fieldLimit_ = most; }
    // Number of the record last read; the first record (the header) is 1.
    int row() const { return row_; }
    // Whether every byte read so far is well-formed UTF-8 (the mark included).
    bool utf8() const { return utf8_.valid(); }
    bool hadByteOrderMark() const { return bom_; }
    // Where the record last read starts, in bytes from the start of the stream.
    std::uint64_t recordOffset() const { return recordOffset_; }
    // The bytes taken from the stream so far.
    std::uint64_t bytesRead() const { return base_ + len_; }

  private:
    // A field's bytes and the byte that follows it (-1 at the end of the input).
    struct Field {
        std::string text;
        int end = -1;
    };

    Result<bool> readRecord(std::vector<std::string>& fields);
    int get();
    void unget() { --pos_; }
    bool refill();
    // Reads the first buffer and skips a byte-order mark.
    void start();
    // Counts one more byte of the record; false past the limit.
    bool countByte() { return ++recordBytes_ <= kMaxRecordBytes; }
    Error tooLong() const;
    // A field from the byte after its opening quote; it ends after the closing one.
    Result<Field> readQuoted();
    // A field without quotes, from its first byte.
    Result<Field> readPlain(int first);
    std::string tooManyFields() const;
    // The record ends at c (a line end, the end of the input), else fails.
    Result<> endRecord(int c);

    std::istream& in_;
    std::vector<char> buf_ = std::vector<char>(1 << 16);
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool started_ = false;
    bool fileStart_ = true;   // the stream starts at its first byte
    std::uint64_t base_ = 0;  // the offset of buf_'s first byte
    std::uint64_t recordOffset_ = 0;
    bool eof_ = false;
    bool bom_ = false;
    int row_ = 0;
    std::size_t fieldLimit_ = kMaxHeaderFields;
    std::size_t fieldCount_ = 0;
    std::size_t recordBytes_ = 0;
    std::optional<Error> error_;  // the first failure, said again by every later call
    Utf8Check utf8_;
};

// Where the named columns are in a record; -1 for a column the file does not have.
struct StandColumns {
    std::array<int, kParameterTable.size()> parameter{};  // in the order of kParameterTable
    int tradslag = -1;
    int atgard = -1;
    int bestand = -1;  // the stand's name, free text
    std::array<int, kTreeRows> dia{};
    std::array<int, kTreeRows> avv{};
    bool anyTreeColumn = false;
    std::size_t fieldCount = 0;  // fields of the header row
};

// The columns of a stand file besides the parameters and the choices: the trees' (dia1 to
// dia10, avv1 to avv10) and the stand's name.
inline constexpr std::string_view kDiameterColumn = "dia";
inline constexpr std::string_view kMarkColumn = "avv";
inline constexpr std::string_view kNameColumn = "bestand";

// Every column's name in the window's order, the trees' as "dia1 till dia10", and the
// stand's name last: "totaltid, ..., avv1 till avv10 och bestand".
std::string columnNames();
// The columns of the tree rows of one kind: "dia1 till dia10".
std::string treeColumns(std::string_view kind);

// Maps the header row (already UTF-8) to columns. Column names are matched without regard
// to ASCII case and to blanks around them. Refuses an unknown, unnamed or repeated column.
Result<StandColumns> readHeader(const std::vector<std::string>& header);

// The choice cells of a row as the file holds them: tradslag, atgard and avv1 to avv10, none
// for a column the file lacks. The windows keep a cell while the user leaves its choice be,
// so that a cell they cannot show as a choice is neither calculated nor saved as another.
struct ChoiceCells {
    std::optional<std::string> tradslag;
    std::optional<std::string> atgard;
    std::array<std::optional<std::string>, kTreeRows> avv;

    bool operator==(const ChoiceCells&) const = default;
};

// The choice cells of one row (fields already UTF-8).
ChoiceCells choiceCells(const StandColumns& columns, const std::vector<std::string>& fields);

// Why a choice cell cannot be used, in the words that refuse its row; none for a cell that
// can. The tree mark's number counts from 1.
std::optional<std::string> tradslagRefusal(std::string_view cell);
std::optional<std::string> atgardRefusal(std::string_view cell);
std::optional<std::string> markRefusal(std::string_view cell, int tree);

// Every cell of cells that cannot be used, each said as its row's refusal, in the order the
// row's cells are taken: the first is what refuses the row.
std::vector<std::string> choiceRefusals(const ChoiceCells& cells);

// What a blank parameter or diameter cell stands for: the window's initial value (the
// batch tool), or the blank text itself (the windows, which show what the file holds).
enum class BlankCell { initialValue, asWritten };

// Fills record with the stand of one row (fields already UTF-8; fewer fields than the
// header are empty cells). A missing column leaves the window's initial value; a blank
// cell of a parameter too, unless blank says otherwise. Fails with why the row is refused,
// after taking every cell it could.
Result<> toInputRecord(const StandColumns& columns, const std::vector<std::string>& fields,
                       InputRecord& record, BlankCell blank = BlankCell::initialValue);

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
        int row = 0;                         // counting the header as row 1
        std::optional<std::string> name;     // the bestand cell; none without the column
        InputRecord input;                   // meaningful when there is no refusal
        std::optional<std::string> refusal;  // why the row cannot be calculated
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
    const StandColumns& columns() const { return columns_; }

  private:
    Result<std::vector<std::string>> readHeaderRow();
    Result<> countStands();
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
    BlankCell blank_ = BlankCell::initialValue;
    ReadWatch* watch_ = nullptr;
    std::uint64_t size_ = 0;  // bytes of the file, counted by open()
};

// Whether every field is empty or holds only blanks.
bool blankRecord(const std::vector<std::string>& fields);

}  // namespace lodra
