#include "batch/shard.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "batch/batchrun.h"
#include "batch/estatejoin.h"
#include "batch/join.h"
#include "tests/testfiles.h"

namespace lodra::batch {
namespace {

namespace fs = std::filesystem;
using testfiles::readFile;

TEST(Shard, ReadsKOfNAndRefusesEveryOtherForm) {
    const struct {
        std::string text;
        int index;  // -1: refused
        int count;
    } cases[] = {
        {"0/1", 0, 1},    {"3/8", 3, 8},   {"99999/100000", 99999, 100000},
        {"3/3", -1, 0},   {"-1/2", -1, 0}, {"a/b", -1, 0},
        {"1/0", -1, 0},   {"0/0", -1, 0},  {"0/100001", -1, 0},
        {"1/2/3", -1, 0}, {"1", -1, 0},    {"1/", -1, 0},
        {"/2", -1, 0},    {" 1/2", -1, 0}, {"+1/2", -1, 0},
    };
    for (const auto& c : cases) {
        const Result<Shard> shard = parseShard(c.text);
        if (c.index < 0) {
            ASSERT_FALSE(shard) << c.text;
            EXPECT_EQ(shard.message(),
                      "--shard behöver en del K/N, heltal med 0 ≤ K < N ≤ "
                      "100000, inte \"" +
                          c.text + "\".");
            continue;
        }
        ASSERT_TRUE(shard) << c.text;
        EXPECT_EQ(shard->index, c.index);
        EXPECT_EQ(shard->count, c.count);
    }
}

// The shards of any register tile its stands in order, none more than one stand larger than
// another: L not divisible by N, N > L (empty shards), N = 1, and the largest counts.
TEST(Shard, RangesTileTheStands) {
    for (const std::int64_t total : {0, 1, 7, 64, 65, 1000, 2147483647}) {
        for (const int count : {1, 2, 3, 7, 8, 63, 64, 100000}) {
            std::int64_t end = 0;
            for (int index = 0; index < count; ++index) {
                const StandRange range = shardRange({index, count}, total);
                ASSERT_EQ(range.begin, end) << index << "/" << count << " of " << total;
                ASSERT_TRUE(range.size() == total / count || range.size() == total / count + 1)
                    << index << "/" << count << " of " << total;
                end = range.end;
            }
            EXPECT_EQ(end, total) << count << " of " << total;
        }
    }
    EXPECT_EQ(shardRange({2, 8}, 200000).begin, 50000);
    EXPECT_EQ(shardRange({2, 3}, 10).begin, 6);  // floor(20 / 3)
}

TEST(ParseArguments, JoinTakesTheJoinedFileAndThePartsOnly) {
    const Result<Arguments> a = parseArguments({"--join", "ut.csv", "d0.csv", "d1.csv"});
    ASSERT_TRUE(a) << a.message();
    EXPECT_EQ(a->join, (std::vector<std::string>{"ut.csv", "d0.csv", "d1.csv"}));
    const struct {
        std::vector<std::string> args;
        std::string message;
    } refused[] = {
        {{"--join", "ut.csv"},
         "Ange den sammanfogade filen och delarna i tur och ordning: --join FIL DEL..."},
        {{"--join", "ut.csv", "--seed", "1", "d0.csv"},
         "--join tar bara den sammanfogade filen och delarna, inga andra flaggor."},
        {{"--join", "a", "--join", "b", "d0.csv"}, "Flaggan --join kan bara anges en gång."},
        {{"--shard", "2/2", "s.csv"},
         "--shard behöver en del K/N, heltal med 0 ≤ K < N ≤ 100000, inte \"2/2\"."},
    };
    for (const auto& c : refused) {
        const Result<Arguments> r = parseArguments(c.args);
        ASSERT_FALSE(r) << c.args.front();
        EXPECT_EQ(r.message(), c.message);
    }
}

// A register of random stands with blank rows, refused rows and names between.
std::string randomRegister(int stands, unsigned seed) {
    std::mt19937 random(seed);
    const char* species[] = {"Tall", "Gran", "Löv", "Ek"};
    std::string csv = "bestand;tradslag;variation;totaltid;bonitet;dia1;avv1;dia2;dia3\n";
    for (int i = 0; i < stands; ++i) {
        if (random() % 6 == 0) {
            csv += ";;;;;;;;\n";
        }
        csv += "B" + std::to_string(i) + ";" + species[random() % 4] + ";" +
               std::to_string(random() % 30) + ";" + std::to_string(20 + random() % 120) + ";" +
               std::to_string(2 + random() % 6) + ";" + std::to_string(15 + random() % 30) + ";" +
               (random() % 2 != 0 ? "x" : "") + ";" + std::to_string(5 + random() % 25) + ";" +
               std::to_string(1 + random() % 10) + "\n";
    }
    return csv;
}

// A folder in memory where the system has one: some 2,000 runs each make their files durable,
// which on a busy disk takes minutes and tests nothing of the shards.
class MemoryFolder {
  public:
    MemoryFolder() {
        std::string name = "/dev/shm/lodra05-shard-XXXXXX";
        path_ = ::mkdtemp(name.data()) != nullptr ? fs::path(name) : testfiles::newFolder("shard");
    }
    MemoryFolder(const MemoryFolder&) = delete;
    MemoryFolder& operator=(const MemoryFolder&) = delete;
    ~MemoryFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Runs the tool with its messages out of sight; its exit status.
int runQuietly(const Arguments& arguments) {
    std::FILE* err = std::tmpfile();
    const int status = runBatch(arguments, '.', RunStreams{err, err, false, {}});
    std::fclose(err);
    return status;
}

class ShardRun : public ::testing::Test {
  protected:
    static constexpr const char* kTables[] = {"table", "cycles", "compare", "spread", "measures"};

    std::string path(const std::string& name) const { return (folder_.path() / name).string(); }

    // Runs the register with every table, named prefix + table + ".csv".
    int run(const std::optional<Shard>& shard, const std::string& prefix,
            std::uint64_t seed = 29) const {
        Arguments arguments;
        arguments.stands = path("stands.csv");
        arguments.seed = seed;
        arguments.runs = 3;
        arguments.threads = 1;
        arguments.shard = shard;
        arguments.output = path(prefix + "result.txt");
        arguments.table = path(prefix + "table.csv");
        arguments.cycles = path(prefix + "cycles.csv");
        arguments.compare = path(prefix + "compare.csv");
        arguments.spread = path(prefix + "spread.csv");
        arguments.measures = path(prefix + "measures.csv");
        return runQuietly(arguments);
    }

    // Runs the register with the property's flow only, named prefix + "estate.csv".
    int runEstate(const std::optional<Shard>& shard, const std::string& prefix) const {
        Arguments arguments;
        arguments.stands = path("stands.csv");
        arguments.seed = 29;
        arguments.threads = 2;
        arguments.shard = shard;
        arguments.output = path(prefix + "result.txt");
        arguments.estate = path(prefix + "estate.csv");
        return runQuietly(arguments);
    }

    // Joins the parts of a table into out; the message when refused.
    std::string join(const std::string& out, const std::vector<std::string>& parts) const {
        std::vector<std::string> args{path(out)};
        for (const std::string& part : parts) {
            args.push_back(path(part));
        }
        const Result<> joined = joinParts(args, {});
        return joined ? std::string() : joined.message();
    }

    MemoryFolder folder_;
};

// Every table joined from N shards is the whole run's, for every N from 1 to 64 over a
// register of fewer stands than that.
TEST_F(ShardRun, JoinedEqualsWholeForEveryTableAndCount) {
    testfiles::writeFile(path("stands.csv"), randomRegister(40, 5));
    ASSERT_EQ(run(std::nullopt, "whole-"), kRowsRefused);
    for (int count = 1; count <= 64; ++count) {
        std::vector<std::vector<std::string>> parts(std::size(kTables));
        for (int index = 0; index < count; ++index) {
            const std::string prefix = std::to_string(index) + "-";
            ASSERT_LE(run(Shard{index, count}, prefix), kRowsRefused) << index << "/" << count;
            for (std::size_t t = 0; t < std::size(kTables); ++t) {
                parts[t].push_back(prefix + kTables[t] + ".csv");
            }
        }
        for (std::size_t t = 0; t < std::size(kTables); ++t) {
            const std::string out = std::string("joined-") + kTables[t] + ".csv";
            ASSERT_EQ(join(out, parts[t]), "") << kTables[t] << ", " << count;
            ASSERT_EQ(readFile(path(out)),
                      readFile(path(std::string("whole-") + kTables[t] + ".csv")))
                << kTables[t] << " from " << count << " shards";
        }
    }
}

// The register with a hektar column: areas with many digits, some empty.
std::string withAreas(const std::string& csv, unsigned seed) {
    std::mt19937 random(seed);
    std::string out;
    for (std::size_t start = 0, end = 0; start < csv.size(); start = end + 1) {
        end = csv.find('\n', start);
        std::string area = "hektar";
        if (start != 0) {
            const auto hundredths = static_cast<int>(random() % 400000);
            area = random() % 5 == 0 ? std::string()
                                     : std::to_string(hundredths / 100) + "," +
                                           std::to_string(100 + hundredths % 100).substr(1);
        }
        out += csv.substr(start, end - start) + ";" + area + "\n";
    }
    return out;
}

// The property's flow joined from N shards is the whole run's, byte for byte, though its
// figures (areas of hundredths times kronor with decimals) are not sums that doubles hold
// exactly; from the notes' exact sums alone, not from the rounded figures.
TEST_F(ShardRun, EstateJoinedEqualsWholeForEveryCount) {
    testfiles::writeFile(path("stands.csv"), withAreas(randomRegister(60, 27), 27));
    ASSERT_EQ(runEstate(std::nullopt, "whole-"), kRowsRefused);
    const std::string whole = readFile(path("whole-estate.csv"));
    bool roundedSumsDiffer = false;
    for (int count = 1; count <= 16; ++count) {
        std::vector<std::string> parts;
        std::vector<std::pair<std::string, std::string>> rows;
        for (int index = 0; index < count; ++index) {
            const std::string prefix = std::to_string(count) + "-" + std::to_string(index) + "-";
            ASSERT_LE(runEstate(Shard{index, count}, prefix), kRowsRefused)
                << index << "/" << count;
            parts.push_back(prefix + "estate.csv");
            const std::string part = readFile(path(parts.back()));
            rows.emplace_back(parts.back(), part.substr(part.find("\r\n") + 2));
        }
        ASSERT_EQ(join("joined-estate.csv", parts), "") << count;
        ASSERT_EQ(readFile(path("joined-estate.csv")), whole) << count << " shards";
        const Result<std::string> rounded = joinEstateRows(rows, '.');
        roundedSumsDiffer = roundedSumsDiffer || !rounded ||
                            whole != whole.substr(0, whole.find("\r\n") + 2) + *rounded;
    }
    // Else the register would not test what the exact sums are for.
    EXPECT_TRUE(roundedSumsDiffer);
}

// A note whose exact sums are not those its table shows is refused; a note of an older run,
// without them, is joined from the figures.
TEST_F(ShardRun, EstateNoteMustMatchItsTable) {
    testfiles::writeFile(path("stands.csv"), "hektar;dia1\n2,5;30\n1,25;40\n");
    for (int index = 0; index < 2; ++index) {
        ASSERT_EQ(runEstate(Shard{index, 2}, std::to_string(index) + "-"), 0);
    }
    const std::string note = readFile(path("1-estate.csv.del"));
    const std::size_t flow = note.find("flode exakt\n");
    ASSERT_NE(flow, std::string::npos);
    const std::string line = note.substr(flow + 12, note.find('\n', flow + 12) - flow - 12);
    const std::string changed[] = {
        note.substr(0, flow + 12) + "0 0 0 0 0\n" + note.substr(flow + 12),  // a year more
        note.substr(0, flow + 12) + line.substr(0, line.size() - 1) + "f" +
            note.substr(flow + 12 + line.size() - 1),  // a digit changed
        note.substr(0, flow + 12) + "x\n",             // not a sum
    };
    for (const std::string& text : changed) {
        testfiles::writeFile(path("1-estate.csv.del"), text);
        EXPECT_EQ(
            join("joined.csv", {"0-estate.csv", "1-estate.csv"}),
            "\"" + path("1-estate.csv.del") + "\" har inte de summor som delens tabell visar.")
            << text;
        EXPECT_FALSE(fs::exists(path("joined.csv")));
    }
    testfiles::writeFile(path("1-estate.csv.del"), note.substr(0, flow));
    EXPECT_EQ(join("joined.csv", {"0-estate.csv", "1-estate.csv"}), "");
}

// A join that does not fit writes nothing and leaves the target as it was.
TEST_F(ShardRun, JoinRefusesPartsThatDoNotFit) {
    testfiles::writeFile(path("stands.csv"), randomRegister(12, 9));
    for (int index = 0; index < 3; ++index) {
        ASSERT_LE(run(Shard{index, 3}, std::to_string(index) + "-"), kRowsRefused);
    }
    // A part of another run: the same shard with another seed.
    fs::create_directory(path("other"));
    ASSERT_LE(run(Shard{1, 3}, "other/", 30), kRowsRefused);
    testfiles::writeFile(path("cut.csv"), readFile(path("2-table.csv")).substr(0, 200));
    fs::copy_file(path("2-table.csv.del"), path("cut.csv.del"));
    fs::copy_file(path("2-table.csv"), path("lone.csv"));

    const std::string p = "\"" + folder_.path().string() + "/";
    const struct {
        std::vector<std::string> parts;
        std::string message;
    } cases[] = {
        {{"0-table.csv", "2-table.csv"}, "Del 1/3 saknas före " + p + "2-table.csv\"."},
        {{"1-table.csv", "2-table.csv"}, "Del 0/3 saknas före " + p + "1-table.csv\"."},
        {{"0-table.csv", "1-table.csv"}, "Del 2/3 saknas efter " + p + "1-table.csv\"."},
        {{"0-table.csv", "1-table.csv", "1-table.csv", "2-table.csv"},
         "Del 1/3 anges två gånger eller i fel ordning (" + p + "1-table.csv\")."},
        {{"0-table.csv", "2-table.csv", "1-table.csv"},
         "Del 1/3 saknas före " + p + "2-table.csv\"."},
        {{"0-table.csv", "other/table.csv", "2-table.csv"},
         "Delarna " + p + "0-table.csv\" och " + p +
             "other/table.csv\" kommer från olika körningar (ett annat register, frö, antal "
             "körningar, decimaltecken eller antal delar)."},
        {{"0-table.csv", "1-spread.csv", "2-table.csv"},
         "Delarna " + p + "0-table.csv\" och " + p +
             "1-spread.csv\" har olika rubrikrader: de är inte delar av samma tabell."},
        {{"0-table.csv", "1-table.csv", "cut.csv"},
         "Delen " + p + "cut.csv\" är inte en hel fil: den har 200 byte, men skrevs med " +
             std::to_string(fs::file_size(path("2-table.csv"))) + "."},
        {{"0-table.csv", "1-table.csv", "lone.csv"},
         "Delen " + p + "lone.csv\" har ingen " + p +
             "lone.csv.del\" bredvid sig: den skrevs inte med --shard, eller så flyttades "
             "den utan den."},
        {{"0-table.csv", "1-table.csv", "target.csv"},
         "Den sammanfogade tabellen kan inte skrivas till delen " + p + "target.csv\"."},
    };
    testfiles::writeFile(path("target.csv"), "förra\n");
    const std::vector<std::string> before = testfiles::fileNames(folder_.path());
    for (const auto& c : cases) {
        EXPECT_EQ(join("target.csv", c.parts), c.message);
        EXPECT_EQ(readFile(path("target.csv")), "förra\n");
        EXPECT_EQ(testfiles::fileNames(folder_.path()), before);
    }
    EXPECT_EQ(join("target.csv", {"0-table.csv", "1-table.csv", "2-table.csv"}), "");
    EXPECT_NE(readFile(path("target.csv")), "förra\n");
}

// An empty shard is a valid table: its header, and a note with its empty range.
TEST_F(ShardRun, EmptyShardHasItsHeaderAndItsPlace) {
    testfiles::writeFile(path("stands.csv"), randomRegister(2, 3));
    ASSERT_LE(run(Shard{1, 5}, "e-"), kRowsRefused);
    const std::string table = readFile(path("e-table.csv"));
    EXPECT_EQ(table, table.substr(0, table.find('\n') + 1));
    const std::optional<PartNote> note = readNote(readFile(path("e-table.csv.del")));
    ASSERT_TRUE(note);
    EXPECT_EQ(note->stands.begin, 0);
    EXPECT_EQ(note->stands.end, 0);
    EXPECT_EQ(note->total, 2);
    EXPECT_FALSE(fs::exists(path("e-result.txt")));
}

// The flow of the property: each year summed over the parts, the totals row anew. Figures
// that are whole kronor or binary fractions sum exactly, in any order of the parts.
TEST(EstateJoin, SumsEachYearAndTheTotals) {
    const struct {
        std::vector<std::pair<std::string, std::string>> parts;
        char separator;
        std::string joined;  // empty: refused
    } cases[] = {
        {{{"a",
           "0;10.5;1000;200;800;800\r\n5;4;300;0;300;250.25\r\nSumma;14.5;1300;200;1100;"
           "1050.25\r\n"},
          {"b", "0;1.5;50;0;50;50\r\n1;0;0;-120;-120;-117.5\r\nSumma;1.5;50;-120;-70;-67.5\r\n"},
          {"c", "Summa;0;0;0;0;0\r\n"}},
         '.',
         "0;12;1050;200;850;850\r\n1;0;0;-120;-120;-117.5\r\n5;4;300;0;300;250.25\r\n"
         "Summa;16;1350;80;1030;982.75\r\n"},
        {{{"a", "10;2,25;100;0;100;60,5\r\nSumma;2,25;100;0;100;60,5\r\n"},
          {"b", "10;0,75;-1E+15;0;1;0,5\r\nSumma;0,75;-1E+15;0;1;0,5\r\n"}},
         ',',
         "10;3;-999999999999900;0;101;61\r\nSumma;3;-999999999999900;0;101;61\r\n"},
        {{{"a", "Summa;0;0;0;0;0\r\n"}}, '.', "Summa;0;0;0;0;0\r\n"},
        {{{"a", "0;1;2;3;4\r\n"}}, '.', ""},
        {{{"a", "x;1;2;3;4;5\r\n"}}, '.', ""},
        {{{"a", "0;1;2;3;4;5"}}, '.', ""},
    };
    for (const auto& c : cases) {
        const Result<std::string> joined = joinEstateRows(c.parts, c.separator);
        if (c.joined.empty()) {
            EXPECT_FALSE(joined) << c.parts.front().second;
            continue;
        }
        ASSERT_TRUE(joined) << joined.message();
        EXPECT_EQ(*joined, c.joined);
    }
    EXPECT_TRUE(
        isEstateHeader("\xEF\xBB\xBF"
                       "År;Volym (m3sk);Netto (kr);Återväxt och röjning "
                       "(kr);Kassaflöde (kr);Nuvärde (kr)\r\n"));
    EXPECT_FALSE(isEstateHeader("\xEF\xBB\xBFRad;År;Volym (m3sk)\r\n"));
}

}  // namespace
}  // namespace lodra::batch
