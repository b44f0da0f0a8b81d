#include "batch/batchrun.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "calc/comparison.h"
#include "calc/randomsource.h"
#include "calc/spread.h"
#include "report/spreadtable.h"
#include "report/standtable.h"
#include "session/session.h"
#include "tests/testfiles.h"

namespace lodra::batch {
namespace {

namespace fs = std::filesystem;

TEST(ParseArguments, AcceptsTheDocumentedForms) {
    Result<Arguments> a = parseArguments({"stands.csv", "--seed", "18446744073709551615",
                                          "--output=-", "--table", "t.csv", "--threads=64"});
    ASSERT_TRUE(a) << a.message();
    EXPECT_EQ(a->threads, 64u);
    EXPECT_EQ(a->stands, "stands.csv");
    EXPECT_EQ(a->seed, 18446744073709551615u);
    EXPECT_EQ(a->output, "-");
    EXPECT_EQ(a->table, "t.csv");

    a = parseArguments({"--output", "ut.txt", "--", "--konstigt namn.csv"});
    ASSERT_TRUE(a) << a.message();
    EXPECT_EQ(a->stands, "--konstigt namn.csv");
    EXPECT_EQ(a->output, "ut.txt");
    EXPECT_FALSE(a->seed);
    EXPECT_FALSE(a->table);
    EXPECT_EQ(a->threads, 0u);  // one per core

    a = parseArguments({"--compare=k.csv", "s.csv", "--cycles", "c.csv"});
    ASSERT_TRUE(a) << a.message();
    EXPECT_EQ(a->cycles, "c.csv");
    EXPECT_EQ(a->compare, "k.csv");

    a = parseArguments({"--spread=s.csv", "--runs", "100000", "--measures", "m.csv", "b.csv"});
    ASSERT_TRUE(a) << a.message();
    EXPECT_EQ(a->spread, "s.csv");
    EXPECT_EQ(a->measures, "m.csv");
    EXPECT_EQ(a->runs, 100000);

    // Runs for the comparisons alone.
    for (const char* table : {"--measures", "--compare"}) {
        a = parseArguments({table, "m.csv", "--runs", "7", "b.csv"});
        ASSERT_TRUE(a) << a.message();
        EXPECT_EQ(a->runs, 7);
    }

    a = parseArguments({"--help"});
    ASSERT_TRUE(a) << a.message();
    EXPECT_TRUE(a->help);

    a = parseArguments({"--version"});
    ASSERT_TRUE(a) << a.message();
    EXPECT_TRUE(a->version);
    EXPECT_FALSE(a->help);
}

TEST(ParseArguments, RefusesWhatCannotBeMeant) {
    const std::string seedMessage =
        "--seed behöver ett heltal från 0 till 18446744073709551615, inte ";
    const std::string threadsMessage = "--threads behöver ett heltal från 1 till 64, inte ";
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{}, "Ange beståndsfilen."},
        {{"a.csv", "b.csv"}, "Bara en beståndsfil kan anges (\"a.csv\" och \"b.csv\")."},
        {{"--fast", "a.csv"}, "Okänd flagga \"--fast\"."},
        {{"a.csv", "--output"}, "Flaggan --output behöver ett värde."},
        {{"--output", "x", "--output", "y", "a.csv"}, "Flaggan --output kan bara anges en gång."},
        {{"--table", "-", "a.csv"}, "Flaggan --table behöver ett filnamn."},
        {{"--seed", "1", "--seed", "1", "a.csv"}, "Flaggan --seed kan bara anges en gång."},
        {{"--cycles", "-", "a.csv"}, "Flaggan --cycles behöver ett filnamn."},
        {{"--compare=", "a.csv"}, "Flaggan --compare behöver ett filnamn."},
        {{"--cycles", "x", "--cycles=y", "a.csv"}, "Flaggan --cycles kan bara anges en gång."},
        {{"a.csv", "--compare"}, "Flaggan --compare behöver ett värde."},
        {{"--seed", "18446744073709551616", "a.csv"}, seedMessage + "\"18446744073709551616\"."},
        {{"--seed", "-1", "a.csv"}, seedMessage + "\"-1\"."},
        {{"--seed", "+1", "a.csv"}, seedMessage + "\"+1\"."},
        {{"--seed", "1.5", "a.csv"}, seedMessage + "\"1.5\"."},
        {{"--seed=", "a.csv"}, seedMessage + "\"\"."},
        {{"--seed", "12a", "a.csv"}, seedMessage + "\"12a\"."},
        {{"--threads", "0", "a.csv"}, threadsMessage + "\"0\"."},
        {{"--threads", "65", "a.csv"}, threadsMessage + "\"65\"."},
        {{"--threads", "2x", "a.csv"}, threadsMessage + "\"2x\"."},
        {{"--threads=", "a.csv"}, threadsMessage + "\"\"."},
        {{"--threads", "2", "--threads", "2", "a.csv"},
         "Flaggan --threads kan bara anges en gång."},
        {{"--runs", "0", "a.csv"}, "--runs behöver ett heltal från 1 till 100000, inte \"0\"."},
        {{"--runs=100001", "a.csv"},
         "--runs behöver ett heltal från 1 till 100000, inte \"100001\"."},
        {{"--runs", "1", "--runs", "2", "a.csv"}, "Flaggan --runs kan bara anges en gång."},
        {{"--spread", "-", "a.csv"}, "Flaggan --spread behöver ett filnamn."},
        {{"--measures", "a.csv"}, "Ange beståndsfilen."},
        // A count of runs for tables that have none.
        {{"--runs", "5", "--table", "t.csv", "--cycles", "c.csv", "a.csv"},
         "--runs gäller bara spridningen och jämförelserna: ange också --spread, --measures "
         "eller --compare FIL, eller ta bort --runs."},
    };
    for (const auto& c : cases) {
        const Result<Arguments> a = parseArguments(c.args);
        ASSERT_FALSE(a) << c.message;
        EXPECT_EQ(a.message(), c.message);
    }
}

class RunBatch : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("lodra05-batch-test-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    void write(const std::string& name, const std::string& bytes) const {
        testfiles::writeFile(path(name), bytes);
    }
    std::string read(const std::string& name) const { return testfiles::readFile(path(name)); }

    // Runs the tool on the stands, the result to out.txt; returns the exit status.
    int run(const std::string& csv, std::uint64_t seed, char separator, std::string& errors) {
        write("stands.csv", csv);
        Arguments arguments;
        arguments.stands = path("stands.csv");
        arguments.output = path("out.txt");
        arguments.seed = seed;
        return runWith(arguments, separator, &errors);
    }

    // Runs the tool with these arguments, what it says on both streams into errors.
    static int runWith(const Arguments& arguments, char separator, std::string* errors = nullptr) {
        std::FILE* err = std::tmpfile();
        const int status = runBatch(arguments, separator, RunStreams{err, err, false, {}});
        if (errors != nullptr) {
            *errors = testfiles::readStream(err);
        }
        std::fclose(err);
        return status;
    }

    fs::path folder_;
};

// Stands with a random diameter change, refusals in between and every species and measure:
// what the tool saves must be exactly what one session gives after the same calculations.
TEST_F(RunBatch, SavesTheBytesOfOneSessionOverAllTheGoodRows) {
    const char* species[] = {"Tall", "Gran", "Löv"};
    std::string csv = "tradslag;variation;atgard;bonitet;totaltid;dia1;avv1;dia2;dia3\r\n";
    std::vector<std::pair<int, InputRecord>> good;  // row number (header 1), stand
    std::string expectedErrors;
    for (int i = 0; i < 24; ++i) {
        InputRecord r;
        r.rows = {};
        r.species = static_cast<Species>(i % 3);
        r.variation = std::to_string(i % 4 * 5);
        r.measure = i % 5 == 0 ? Measure::kalavverkning : Measure::gallring;
        r.bonitet = i % 7 == 3 ? "x" : std::to_string(3 + i % 4) + ",5";
        r.totaltid = std::to_string(40 + 10 * i);
        r.rows[0] = {std::to_string(30 + i), true};
        r.rows[1].text = "22";
        r.rows[2].text = "4";
        csv += std::string(species[i % 3]) + ";" + r.variation + ";" +
               (i % 5 == 0 ? "Kalavverkning" : "Gallring och plockhuggning") + ";" + r.bonitet +
               ";" + r.totaltid + ";" + r.rows[0].text + ";x;22;4\r\n";
        if (r.bonitet == "x") {
            expectedErrors +=
                "Rad " + std::to_string(i + 2) + ", kolumn bonitet: \"x\" är inte ett tal.\n";
        } else {
            good.emplace_back(i + 2, r);
        }
    }

    // Each stand draws from the stream of its own row, whatever the rows before it.
    Session session(',');
    CalcOptions options;
    for (const auto& [row, r] : good) {
        SeededRandom random(standSeed(20240611, row));
        options.random = &random;
        ASSERT_TRUE(session.berakna(r, options).ok());
    }

    std::string errors;
    EXPECT_EQ(run(csv, 20240611, ',', errors), kRowsRefused);
    EXPECT_EQ(errors, expectedErrors);
    EXPECT_EQ(read("out.txt"), session.fileBytes());

    // Another seed draws other changes.
    EXPECT_EQ(run(csv, 20240612, ',', errors), kRowsRefused);
    EXPECT_NE(read("out.txt"), session.fileBytes());
}

// With --seed the comparison of each stand starts every cell from the stream of the stand's
// row, so the cell of the entered interval and rate is the stand's own present value.
TEST_F(RunBatch, ComparisonCellOfTheEnteredChoiceIsTheStandsPresentValue) {
    const std::string csv =
        "variation;cykTillAvv;ranta;totaltid;tradslag\n"
        "10;2;3;250;Gran\n20;0;5;120;Tall\n15;4;2;300;Löv\n25;10;4;90;Gran\n";
    const int chosen[][2] = {{2, 3}, {0, 5}, {4, 2}, {10, 4}};  // interval, rate (%)
    Arguments arguments;
    arguments.stands = path("stands.csv");
    arguments.output = path("out.txt");
    arguments.table = path("table.csv");
    arguments.compare = path("compare.csv");
    arguments.seed = 77;
    write("stands.csv", csv);
    ASSERT_EQ(runWith(arguments, '.'), kAllCalculated);

    auto rows = [this](const std::string& name) {
        std::vector<std::vector<std::string>> out;
        std::istringstream in(read(name));
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> fields;
            std::istringstream cells(line.substr(0, line.size() - 1));  // without CR
            for (std::string field; std::getline(cells, field, ';');) {
                fields.push_back(field);
            }
            out.push_back(fields);
        }
        return out;
    };
    const auto table = rows("table.csv");
    const auto compare = rows("compare.csv");
    ASSERT_EQ(table.size(), 5u);
    ASSERT_EQ(compare.size(), 5u);
    for (std::size_t i = 1; i < 5; ++i) {
        const auto [interval, rate] = chosen[i - 1];
        const std::size_t column = 1 + static_cast<std::size_t>(interval * 4 + rate - 2);
        ASSERT_EQ(compare[i].size(), 49u);  // the message cell is empty: no line ends in ';'
        EXPECT_EQ(compare[0][column],
                  "nuvarde_c" + std::to_string(interval) + "_r" + std::to_string(rate));
        EXPECT_EQ(compare[i][0], table[i][0]);
        EXPECT_EQ(compare[i][column], table[i][6]) << "row " << table[i][0];
    }
}

// --spread and --measures with --seed and --runs: the stand on row r starts from
// B = standSeed(S, r); run k of the spread and of every cell of the comparisons from
// standSeed(B, k), a comparison's cell the mean of its runs. A stand whose
// own calculation stops still gets every cell and run that can be calculated (the longest
// horizon overflows at 3 to 5 % but not at 2 %), in every table.
TEST_F(RunBatch, SpreadAndMeasuresRowsAreTheCalculationsFromTheRowsSeed) {
    const std::string csv = "variation;totaltid;ranta\n60;150;3\n;32767;3\n0;80;4\n";
    InputRecord inputs[3];
    inputs[0].variation = "60";
    inputs[0].totaltid = "150";
    inputs[1].totaltid = "32767";
    inputs[2].totaltid = "80";
    inputs[2].ranta = "4";
    Arguments arguments;
    arguments.stands = path("stands.csv");
    arguments.output = path("out.txt");
    arguments.spread = path("spread.csv");
    arguments.measures = path("measures.csv");
    arguments.compare = path("compare.csv");
    arguments.runs = 40;
    arguments.seed = 31337;
    write("stands.csv", csv);
    ASSERT_EQ(runWith(arguments, ','), kRowsRefused);  // row 3 stops

    std::string spread = spreadHeader();
    std::string measures = measuresHeader();
    std::string comparison = compareHeader();
    for (int row = 2; row <= 4; ++row) {
        const std::uint64_t base = standSeed(31337, row);
        SpreadOptions options;
        options.seed = base;
        options.runs = 40;
        const Result<Spread> expected = computeSpread(inputs[row - 2], ',', options);
        ASSERT_TRUE(expected.ok());
        spread += spreadRow(row, *expected, ',');
        ComparisonOptions compare;
        compare.seed = base;
        compare.runs = 40;
        const Result<MeasureComparison> both = compareMeasures(inputs[row - 2], ',', compare);
        ASSERT_TRUE(both.ok());
        measures += measuresRow(row, *both, ',');
        const Result<ComparisonGrid> grid = compareChoices(inputs[row - 2], ',', compare);
        ASSERT_TRUE(grid.ok());
        comparison += compareRow(row, *grid, ',');
    }
    EXPECT_EQ(read("spread.csv"), spread);
    EXPECT_EQ(read("measures.csv"), measures);

    EXPECT_EQ(read("compare.csv"), comparison);
}

// --runs changes no row of a stand without a variation, in either comparison: its cells
// are the single calculation, its best pairs marked. A stand with one becomes the mean of
// its runs.
TEST_F(RunBatch, RunsLeaveTheComparisonsOfAStandWithoutVariationAsTheyWere) {
    write("stands.csv", "variation;totaltid\n0;150\n60;150\n;100\n");
    std::map<std::string, std::vector<std::string>> rows;  // by table and --runs
    for (const int runs : {0, 20}) {
        Arguments arguments;
        arguments.stands = path("stands.csv");
        arguments.output = path("out.txt");
        arguments.measures = path("measures.csv");
        arguments.compare = path("compare.csv");
        arguments.runs = runs;
        arguments.seed = 8;
        arguments.threads = runs == 0 ? 1 : 3;
        ASSERT_EQ(runWith(arguments, ','), kAllCalculated);
        for (const char* table : {"measures.csv", "compare.csv"}) {
            std::istringstream lines(read(table));
            for (std::string line; std::getline(lines, line);) {
                rows[table + std::to_string(runs)].push_back(line);
            }
        }
    }
    for (const char* table : {"measures.csv", "compare.csv"}) {
        const std::vector<std::string>& single = rows[table + std::string("0")];
        const std::vector<std::string>& runs = rows[table + std::string("20")];
        ASSERT_EQ(single.size(), 4u);
        ASSERT_EQ(runs.size(), 4u);
        EXPECT_EQ(runs[0], single[0]) << table;  // the header
        EXPECT_EQ(runs[1], single[1]) << table;
        EXPECT_NE(runs[2], single[2]) << table;
        EXPECT_EQ(runs[3], single[3]) << table;
    }
}

// A bestand column puts each stand's name into every table right after Rad; without it
// the tables are as they were. Both runs of the same stands give the same figures. Names
// up to 4 kB are written with their lines gathered (more than 64 kB of them for the fourth
// stand), longer ones in pieces.
TEST_F(RunBatch, StandNamesFollowTheRowNumberInEveryTable) {
    const std::string stands = "60;Gran;3\n50;Tall;9\n70;Löv;2\n100;Gran;3\n60;Tall;3\n";
    // As the stand file quotes them, and the tables too.
    std::string gathered;
    for (int i = 0; i < 2000; ++i) {
        gathered += "ö";
    }
    const std::vector<std::string> names = {"Norr", "\"Mitt; \"\"ek\"\"\"", "", gathered,
                                            "\"" + gathered + gathered + ";\""};
    std::string named = "totaltid;tradslag;ranta;bestand\n";
    std::istringstream lines(stands);
    std::size_t k = 0;
    for (std::string line; std::getline(lines, line); ++k) {
        named += line + ";" + names[k] + "\n";
    }
    auto runOn = [this](const std::string& csv, const std::string& tag) {
        write(tag + ".csv", csv);
        Arguments arguments;
        arguments.stands = path(tag + ".csv");
        arguments.output = path(tag + ".txt");
        arguments.table = path(tag + "-table.csv");
        arguments.cycles = path(tag + "-cycles.csv");
        arguments.compare = path(tag + "-compare.csv");
        arguments.seed = 5;
        EXPECT_EQ(runWith(arguments, '.'), kRowsRefused);
    };
    runOn("totaltid;tradslag;ranta\n" + stands, "plain");
    runOn(named, "named");
    EXPECT_EQ(read("named.txt"), read("plain.txt"));
    for (const char* table : {"-table.csv", "-cycles.csv", "-compare.csv"}) {
        SCOPED_TRACE(table);
        std::istringstream plain(read(std::string("plain") + table));
        std::istringstream withNames(read(std::string("named") + table));
        std::string a;
        std::string b;
        std::getline(plain, a);
        std::getline(withNames, b);
        EXPECT_EQ(b, a.substr(0, a.find(';')) + ";Bestånd" + a.substr(a.find(';')));
        int lines = 0;
        while (std::getline(plain, a) && std::getline(withNames, b)) {
            const std::string& name = names[static_cast<std::size_t>(std::stoi(a) - 2)];
            EXPECT_EQ(b, a.substr(0, a.find(';')) + ";" + name + a.substr(a.find(';')));
            ++lines;
        }
        EXPECT_GT(lines, 2);
        EXPECT_FALSE(std::getline(withNames, b));
    }
}

// The run writes with the separator it is handed, whatever the locale the test runs under:
// each gives the reference of its separator.
TEST_F(RunBatch, WritesWithTheSeparatorHandedIn) {
    const std::string data = LODRA05_TEST_DATA;
    for (const auto& [stands, separator, reference] :
         {std::tuple{"default.csv", '.', "default.dot.txt"},
          std::tuple{"default.csv", ',', "default.comma.txt"},
          std::tuple{"variants.csv", '.', "variants.dot.txt"},
          std::tuple{"variants.csv", ',', "variants.comma.txt"}}) {
        Arguments arguments;
        arguments.stands = data + "/" + stands;
        arguments.output = path("out.txt");
        EXPECT_EQ(runWith(arguments, separator), kAllCalculated) << reference;
        EXPECT_EQ(read("out.txt"), testfiles::readFile(data + "/" + reference)) << reference;
    }
}

TEST_F(RunBatch, NoGoodRowLeavesTheOutputAlone) {
    write("out.txt", "earlier");
    std::string errors;
    EXPECT_EQ(run("tradslag\nEk\n", 1, '.', errors), kRowsRefused);
    EXPECT_EQ(errors,
              "Rad 2: Okänt trädslag \"Ek\" i kolumnen tradslag. Skriv Tall, Gran eller Löv.\n"
              "Inget bestånd kunde beräknas, så inget resultat skrevs.\n");
    EXPECT_EQ(read("out.txt"), "earlier");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator{}), 2);
}

}  // namespace
}  // namespace lodra::batch
