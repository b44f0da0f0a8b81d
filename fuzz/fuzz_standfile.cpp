// Fuzz target: the batch tool's stand-file reader, from arbitrary bytes.
//
// The reader never crashes and never grows without bound (libFuzzer's memory limit
// watches that). Besides: it numbers records one by one, tells UTF-8 from Windows-1252
// exactly as the Unicode standard does, notices a byte-order mark only at the start, and
// what it reads, written out again with every field quoted, reads back the same. A stand
// file that opens hands out as many stands as it counted, in row order, with UTF-8 texts.

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzzcheck.h"
#include "report/csv.h"
#include "standfile/standfile.h"

namespace {

using lodra::CsvReader;
using lodra::Result;
using lodra::StandFile;
using lodra::fuzz::shown;
using lodra::fuzz::wellFormedUtf8;

using Records = std::vector<std::vector<std::string>>;

struct Reading {
    Records records;
    std::string error;  // empty when the reader got to the end
    bool utf8 = false;
    bool byteOrderMark = false;
};

Reading readAll(const std::string& bytes) {
    std::istringstream in(bytes);
    CsvReader reader(in);
    Reading reading;
    std::vector<std::string> fields;
    int row = 0;
    Result<bool> read = reader.next(fields);
    for (; read && *read; read = reader.next(fields)) {
        ++row;
        FUZZ_CHECK(reader.row() == row, shown(bytes));
        FUZZ_CHECK(!fields.empty(), shown(bytes));
        reading.records.push_back(fields);
    }
    reading.error = read ? "" : read.message();
    reading.utf8 = reader.utf8();
    reading.byteOrderMark = reader.hadByteOrderMark();
    return reading;
}

std::string quotedAgain(const Records& records) {
    std::string out;
    for (const auto& record : records) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            out += i == 0 ? "\"" : ";\"";
            for (const char c : record[i]) {
                out += c;
                if (c == '"') {
                    out += '"';
                }
            }
            out += '"';
        }
        out += "\r\n";
    }
    return out;
}

void checkReader(const std::string& bytes) {
    const Reading reading = readAll(bytes);
    const bool bom = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    FUZZ_CHECK(reading.byteOrderMark == bom, shown(bytes));
    if (!reading.error.empty()) {
        return;
    }
    FUZZ_CHECK(reading.utf8 == wellFormedUtf8(bytes), shown(bytes));
    if (bytes.size() > (1u << 16)) {
        return;  // quoting could push a record past the length limit
    }
    const Reading again = readAll(quotedAgain(reading.records));
    FUZZ_CHECK(again.error.empty(), shown(bytes));
    FUZZ_CHECK(again.records == reading.records, shown(bytes));
}

void checkStandFile(const std::string& bytes) {
    std::istringstream in(bytes);
    StandFile file;
    if (const Result<> opened = file.open(in); !opened) {
        FUZZ_CHECK(!opened.message().empty(), shown(bytes));
        return;
    }
    StandFile::Stand stand;
    int count = 0;
    int lastRow = 1;
    Result<bool> read = file.next(stand);
    for (; read && *read; read = file.next(stand)) {
        ++count;
        FUZZ_CHECK(stand.row > lastRow, shown(bytes));
        lastRow = stand.row;
        if (stand.refusal) {
            FUZZ_CHECK(wellFormedUtf8(*stand.refusal), shown(bytes));
            continue;
        }
        const lodra::InputRecord& r = stand.input;
        for (const std::string* text : {&r.totaltid, &r.bonitet, &r.areal, &r.ranta, &r.maxRing,
                                        &r.variation, &r.atervandel, &r.berikning, &r.cykTillAvv}) {
            FUZZ_CHECK(wellFormedUtf8(*text), shown(bytes));
        }
        for (const lodra::TreeRow& row : r.rows) {
            FUZZ_CHECK(wellFormedUtf8(row.text), shown(bytes));
        }
        FUZZ_CHECK(!lodra::nameOf(r.species).empty(), shown(bytes));
        FUZZ_CHECK(!lodra::nameOf(r.measure).empty(), shown(bytes));
    }
    FUZZ_CHECK(read.ok(), shown(bytes));
    FUZZ_CHECK(count == file.standCount(), shown(bytes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    checkReader(bytes);
    checkStandFile(bytes);
    return 0;
}
