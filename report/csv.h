#pragma once

// The CSV of every file the program reads and writes as a table: ';' between fields,
// quoted fields, UTF-8 with a byte-order mark when written. The stand files and every
// result table share it.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "base/utf8.h"

namespace lodra {

// Opens every CSV file of the program, so that a spreadsheet reads it as UTF-8.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// A text cell of a result table (a stand's name, a message): quoted, its quotes doubled,
// when it holds ';', '"' or a line end, and otherwise as it is; except that a text a
// spreadsheet would take for a formula, one that begins with '=', '+', '-', '@', a tab or
// a CR, is quoted with an apostrophe before it, so that the cell shows as text. Numbers
// are never written through it.
std::string csvField(std::string_view text);

// A cell of the stand file, the user's own input: quoted as csvField quotes, but never
// marked, so that reading it back gives the text as typed.
std::string csvFieldAsTyped(std::string_view text);

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

}  // namespace lodra
