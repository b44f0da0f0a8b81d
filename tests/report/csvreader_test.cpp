#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "report/csv.h"
#include "report/cyclecsv.h"

namespace lodra {
namespace {

using Records = std::vector<std::vector<std::string>>;

Records readAll(const std::string& bytes, std::string* error = nullptr) {
    std::istringstream in(bytes);
    CsvReader reader(in);
    Records records;
    std::vector<std::string> fields;
    Result<bool> read = reader.next(fields);
    for (; read && *read; read = reader.next(fields)) {
        records.push_back(fields);
    }
    if (error != nullptr) {
        *error = read ? "" : read.message();
    }
    return records;
}

// Records, and the error that stops the reading (none: read to the end).
TEST(CsvReader, ReadsRecordsAndStopsAtAMalformedOneWithItsRow) {
    // The reader fills its buffer 64 KiB at a time: a CR last in the first fill, and an
    // escaped quote whose two halves fall into two fills.
    const std::string first(65535, 'a');
    const std::string q(65534, 'q');
    const std::string longRow(CsvReader::kMaxRecordBytes + 1, '7');
    const struct {
        const char* what;
        std::string bytes;
        Records records;
        std::string error;
    } cases[] = {
        {"LF, CR LF, lone CR",
         "a;b\r\nc;d\re;f\ng",
         {{"a", "b"}, {"c", "d"}, {"e", "f"}, {"g"}},
         ""},
        {"blank records", "a;\n\n;\n", {{"a", ""}, {""}, {"", ""}}, ""},
        {"blank last record", "a\r\n\r\n", {{"a"}, {""}}, ""},
        {"quoted",
         "\"a;b\";\"sa \"\"hej\"\"\";\"två\r\nrader\";\"\"\r\nx\"y;z\n",
         {{"a;b", "sa \"hej\"", "två\r\nrader", ""}, {"x\"y", "z"}},
         ""},
        {"empty", "", {}, ""},
        {"CR LF across fills", first + "\r\nb\n", {{first}, {"b"}}, ""},
        {"lone CR across fills", first + "\rb\n", {{first}, {"b"}}, ""},
        {"escaped quote across fills", "\"" + q + "\"\"\";c\n", {{q + "\"", "c"}}, ""},
        {"quote never closed",
         "h\n1\n\"open;2\n3\n",
         {{"h"}, {"1"}},
         "Rad 3: ett citattecken som inleder ett fält avslutas aldrig."},
        {"text after a closing quote",
         "h\n\"4\"x;5\n",
         {{"h"}},
         "Rad 2: efter ett avslutande citattecken ska ';' eller radslut följa."},
        {"record too long", "h\n" + longRow + "\n", {{"h"}}, "Rad 2 är längre än 1 MB."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error = "x";
        EXPECT_EQ(readAll(c.bytes, &error), c.records);
        EXPECT_EQ(error, c.error);
    }
}

TEST(CsvReader, RowNumbersCountRecordsNotLines) {
    std::istringstream in("h\n\"1\n2\"\n3\n");
    CsvReader reader(in);
    std::vector<std::string> fields;
    for (int row = 1; row <= 3; ++row) {
        ASSERT_EQ(reader.next(fields).value(), true);
        EXPECT_EQ(reader.row(), row);
    }
    EXPECT_EQ(fields, std::vector<std::string>{"3"});
    const Result<bool> end = reader.next(fields);
    ASSERT_TRUE(end.ok());
    EXPECT_FALSE(*end);
}

TEST(CsvReader, SkipsAByteOrderMarkOnlyAtTheVeryStart) {
    std::istringstream in("\xEF\xBB\xBFtotaltid;\xEF\xBB\xBF\n");
    CsvReader reader(in);
    std::vector<std::string> fields;
    ASSERT_EQ(reader.next(fields).value(), true);
    EXPECT_TRUE(reader.hadByteOrderMark());
    EXPECT_EQ(fields, (std::vector<std::string>{"totaltid", "\xEF\xBB\xBF"}));
    EXPECT_TRUE(reader.utf8());
}

// What the writer quotes, the reader gives back: a stand file's cells as typed, a table's
// with the apostrophe that keeps a formula as text.
TEST(CsvReader, ReadsBackWhatTheWriterWrote) {
    const std::vector<std::string> texts = {
        "",      "Tall",         "a;b", "q\"uote", "\"",   "rad\nny", "rad\r\nny",
        "cr\r",  "=1+2",         "+x",  "-5",      "@z",   "\tt",     " blank ",
        "Ö ä å", "\xEF\xBB\xBF", "\r",  ";",       "\"\"", "'=a"};
    for (const bool guarded : {false, true}) {
        SCOPED_TRACE(guarded ? "csvField" : "csvFieldAsTyped");
        std::string record;
        std::vector<std::string> expected;
        for (const std::string& text : texts) {
            record += std::string(expected.empty() ? "" : ";") +
                      (guarded ? csvField(text) : csvFieldAsTyped(text));
            const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) !=
                                                      std::string_view::npos;
            expected.push_back(guarded && formula ? "'" + text : text);
        }
        std::string error;
        const Records records =
            readAll(std::string(kUtf8ByteOrderMark) + record + "\r\n" + record + "\r\n", &error);
        EXPECT_EQ(error, "");
        EXPECT_EQ(records, (Records{expected, expected}));
    }
}

// The mark every table opens with is the one the reader skips.
TEST(CsvReader, ReadsATableTheProgramWrote) {
    std::istringstream in(cycleCsv({}, ','));
    CsvReader reader(in);
    std::vector<std::string> header;
    ASSERT_TRUE(reader.next(header));
    EXPECT_TRUE(reader.hadByteOrderMark());
    EXPECT_TRUE(reader.utf8());
    EXPECT_EQ(header, std::vector<std::string>(kCycleColumnNames.begin(), kCycleColumnNames.end()));
}

}  // namespace
}  // namespace lodra
