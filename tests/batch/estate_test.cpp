#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>

#include "batch/batchrun.h"
#include "tests/testfiles.h"

namespace lodra::batch {
namespace {

namespace fs = std::filesystem;

class Estate : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return (folder_.path() / name).string(); }
    std::string read(const std::string& name) const { return testfiles::readFile(path(name)); }

    // Runs the tool on csv with --table, and --estate when asked, into files tagged tag.
    int run(const std::string& csv, const std::string& tag, unsigned threads, bool estate) {
        Arguments arguments;
        arguments.stands = folder_.write(tag + ".csv", csv);
        arguments.output = path(tag + ".txt");
        arguments.table = path(tag + "-table.csv");
        if (estate) {
            arguments.estate = path(tag + "-estate.csv");
        }
        arguments.seed = 11;
        arguments.threads = threads;
        std::FILE* err = std::tmpfile();
        const int status = runBatch(arguments, '.', RunStreams{err, err, false, {}});
        std::fclose(err);
        return status;
    }

    testfiles::Folder folder_{"estate"};
};

// Random stands, with random areas (a tenth without, a tenth refused) when withArea is set.
std::string randomRegister(int stands, bool withArea) {
    std::mt19937 random(27);
    std::uniform_int_distribution<int> pick(0, 9);
    const char* const species[] = {"Tall", "Gran", "Löv"};
    const char* const measures[] = {"Gallring och plockhuggning", "Kalavverkning"};
    std::ostringstream csv;
    csv << "bestand;" << (withArea ? "hektar;" : "")
        << "tradslag;atgard;ranta;variation;totaltid;dia1;avv1;dia2\n";
    for (int i = 0; i < stands; ++i) {
        const int k = pick(random);
        csv << 'B' << i << ';';
        if (withArea) {
            csv << (k == 0 ? "" : k == 1 ? "-3" : std::to_string(k * 1.7)) << ';';
        }
        csv << species[k % 3] << ';' << measures[pick(random) % 2] << ';' << 2 + pick(random) % 4
            << ';' << pick(random) % 3 << ';' << 20 + 10 * pick(random) << ';'
            << 10 + 4 * pick(random) << ";x;" << 5 + 3 * pick(random) << "\n";
    }
    return csv.str();
}

// The last cell of a CR LF line.
double lastCell(const std::string& line) {
    return std::stod(line.substr(line.rfind(';') + 1));
}

// The files are the same on any number of threads, and the flow's present values add up to
// the stands' present values in kr that the table gives, within 1 kr.
TEST_F(Estate, SameOnAnyThreadsAndSummingToTheStandsValues) {
    const std::string csv = randomRegister(300, true);
    for (const unsigned threads : {1U, 2U, 5U}) {
        const std::string tag = "t" + std::to_string(threads);
        EXPECT_EQ(run(csv, tag, threads, true), kRowsRefused);
        EXPECT_EQ(read(tag + "-estate.csv"), read("t1-estate.csv")) << threads;
        EXPECT_EQ(read(tag + "-table.csv"), read("t1-table.csv")) << threads;
    }
    std::istringstream table(read("t1-table.csv"));
    std::string line;
    std::getline(table, line);
    EXPECT_EQ(line.substr(0, 42), "\xEF\xBB\xBFRad;Bestånd;Hektar;Nuvärde (kr);Netto");
    double property = 0;
    while (std::getline(table, line)) {
        // Rad;Bestånd;Hektar;Nuvärde (kr)
        std::size_t cell = 0;
        for (int field = 0; field < 3; ++field) {
            cell = line.find(';', cell) + 1;
        }
        if (line[cell] != ';') {
            property += std::stod(line.substr(cell));
        }
    }
    const std::string estate = read("t1-estate.csv");
    EXPECT_EQ(estate.substr(0, estate.find('\r')),
              "\xEF\xBB\xBFÅr;Volym (m3sk);Netto (kr);Återväxt och röjning (kr);Kassaflöde "
              "(kr);Nuvärde (kr)");
    const std::size_t summa = estate.rfind("\r\nSumma;");
    ASSERT_NE(summa, std::string::npos);
    EXPECT_NEAR(lastCell(estate.substr(0, estate.size() - 2)), property, 1.0);
    EXPECT_GT(property, 1e6);
}

// Without areas every output is as before; --estate is refused before anything is written,
// also when the hektar column has every cell empty.
TEST_F(Estate, WithoutAreasNothingChangesAndTheFlowIsRefused) {
    const std::string plain = randomRegister(40, false);
    std::string emptyAreas;
    std::istringstream lines(plain);
    for (std::string line; std::getline(lines, line);) {
        emptyAreas += (emptyAreas.empty() ? "hektar;" : ";") + line + "\n";
    }
    EXPECT_EQ(run(plain, "before", 2, false), kAllCalculated);
    for (const std::string& csv : {plain, emptyAreas}) {
        EXPECT_EQ(run(csv, "refused", 2, true), kUsageOrFileError);
        for (const char* file : {"refused.txt", "refused-table.csv", "refused-estate.csv"}) {
            EXPECT_FALSE(fs::exists(path(file))) << file;
        }
    }
    EXPECT_EQ(run(emptyAreas, "empty", 1, false), kAllCalculated);
    EXPECT_EQ(read("empty.txt"), read("before.txt"));
}

}  // namespace
}  // namespace lodra::batch
