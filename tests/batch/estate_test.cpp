#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batchrun.h"
#include "tests/testfiles.h"

namespace lodra::batch {
namespace {

namespace fs = std::filesystem;

class Estate : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("lodra05-estate-test-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    std::string read(const std::string& name) const { return testfiles::readFile(path(name)); }

    // Runs the tool on csv with --table and --estate into files tagged tag.
    int run(const std::string& csv, const std::string& tag, unsigned threads, bool estate = true,
            std::string* said = nullptr) {
        testfiles::writeFile(path(tag + ".csv"), csv);
        Arguments arguments;
        arguments.stands = path(tag + ".csv");
        arguments.output = path(tag + ".txt");
        arguments.table = path(tag + "-table.csv");
        if (estate) {
            arguments.estate = path(tag + "-estate.csv");
        }
        arguments.seed = 11;
        arguments.threads = threads;
        std::FILE* err = std::tmpfile();
        const int status = runBatch(arguments, '.', RunStreams{err, err, false, {}});
        if (said != nullptr) {
            *said = testfiles::readStream(err);
        }
        std::fclose(err);
        return status;
    }

    fs::path folder_;
};

// Random stands with varied diameters and areas, a few without an area or refused.
std::string randomRegister(int stands, bool withArea) {
    std::mt19937 random(27);
    std::uniform_real_distribution<double> area(0.1, 80);
    std::uniform_int_distribution<int> pick(0, 9);
    const char* species[] = {"Tall", "Gran", "Löv"};
    const char* measures[] = {"Gallring och plockhuggning", "Kalavverkning"};
    std::ostringstream csv;
    csv << "bestand;" << (withArea ? "hektar;" : "")
        << "tradslag;atgard;ranta;variation;totaltid;dia1;avv1;dia2;dia3\r\n";
    for (int i = 0; i < stands; ++i) {
        csv << "B" << i << ';';
        if (withArea) {
            const int k = pick(random);
            if (k == 0) {
                csv << ';';
            } else if (k == 1) {
                csv << "-3;";  // refused
            } else {
                csv << area(random) << ';';
            }
        }
        csv << species[pick(random) % 3] << ';' << measures[pick(random) % 2] << ';'
            << 2 + pick(random) % 4 << ';' << pick(random) % 3 << ';' << 20 + 10 * pick(random)
            << ';' << 10 + 4 * pick(random) << ";x;" << 5 + 3 * pick(random) << ';'
            << 1 + pick(random) << "\r\n";
    }
    return csv.str();
}

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> out;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, ';')) {
        out.push_back(cell);
    }
    if (!line.empty() && line.back() == ';') {
        out.emplace_back();
    }
    return out;
}

TEST_F(Estate, FilesAreTheSameOnAnyNumberOfThreads) {
    const std::string csv = randomRegister(150, true);
    for (const unsigned threads : {1U, 2U, 5U}) {
        const std::string tag = "t" + std::to_string(threads);
        EXPECT_EQ(run(csv, tag, threads), kRowsRefused);
        SCOPED_TRACE(threads);
        EXPECT_EQ(read(tag + "-estate.csv"), read("t1-estate.csv"));
        EXPECT_EQ(read(tag + "-table.csv"), read("t1-table.csv"));
    }
}

// The flow's present values sum to the stands' present values in kr, which the table gives
// stand by stand; each line of the flow keeps Kassaflöde = Netto − cost, and Summa sums them.
TEST_F(Estate, FlowSumsToTheStandsPresentValues) {
    EXPECT_EQ(run(randomRegister(300, true), "r", 2), kRowsRefused);
    std::istringstream table(read("r-table.csv"));
    std::string line;
    std::getline(table, line);
    EXPECT_EQ(line.substr(0, 40), "\xEF\xBB\xBFRad;Bestånd;Hektar;Nuvärde (kr);Net");
    double property = 0;
    int valued = 0;
    while (std::getline(table, line)) {
        const std::vector<std::string> c = cells(line);
        if (!c[3].empty()) {
            property += std::stod(c[3]);
            ++valued;
            // NUVÄRDE kr = NUVÄRDE kr/ha (the table's Nuvärde (kr/ha)) × hektar.
            EXPECT_NEAR(std::stod(c[3]), std::stod(c[9]) * std::stod(c[2]), 1e-6);
        }
    }
    EXPECT_GT(valued, 200);

    std::istringstream estate(read("r-estate.csv"));
    std::getline(estate, line);
    EXPECT_EQ(line,
              "\xEF\xBB\xBFÅr;Volym (m3sk);Netto (kr);Återväxt och röjning (kr);"
              "Kassaflöde (kr);Nuvärde (kr)\r");
    std::vector<double> sums(5, 0);
    int lastYear = -1;
    while (std::getline(estate, line)) {
        const std::vector<std::string> c = cells(line.substr(0, line.size() - 1));
        ASSERT_EQ(c.size(), 6u) << line;
        std::vector<double> v;
        for (std::size_t i = 1; i < 6; ++i) {
            v.push_back(std::stod(c[i]));
        }
        EXPECT_NEAR(v[3], v[1] - v[2], 1e-6 * std::abs(v[1]) + 1e-6) << line;
        if (c[0] == "Summa") {
            for (std::size_t i = 0; i < 5; ++i) {
                EXPECT_NEAR(v[i], sums[i], 1e-6 * std::abs(sums[i]) + 1e-6) << i;
            }
            EXPECT_NEAR(v[4], property, 1.0);
            EXPECT_FALSE(std::getline(estate, line));
            return;
        }
        EXPECT_GT(std::stoi(c[0]), lastYear);
        lastYear = std::stoi(c[0]);
        for (std::size_t i = 0; i < 5; ++i) {
            sums[i] += v[i];
        }
    }
    ADD_FAILURE() << "no Summa row";
}

TEST_F(Estate, WithoutAreasNothingChangesAndTheFlowIsRefused) {
    const std::string plain = randomRegister(40, false);
    EXPECT_EQ(run(plain, "before", 2, false), kAllCalculated);
    std::string said;
    EXPECT_EQ(run(plain, "after", 2, true, &said), kUsageOrFileError);
    EXPECT_NE(said.find("kolumnen hektar"), std::string::npos) << said;
    for (const char* file : {"after.txt", "after-table.csv", "after-estate.csv"}) {
        EXPECT_FALSE(fs::exists(path(file))) << file;
    }
    // A hektar column with every cell empty is no area either.
    std::string emptyAreas = "hektar;" + plain;
    for (std::size_t at = emptyAreas.find("\r\n"); at != std::string::npos;
         at = emptyAreas.find("\r\n", at + 2)) {
        if (at + 2 < emptyAreas.size()) {
            emptyAreas.insert(at + 2, ";");
        }
    }
    EXPECT_EQ(run(emptyAreas, "empty", 1, true), kUsageOrFileError);
    EXPECT_EQ(run(emptyAreas, "empty", 1, false), kAllCalculated);
    EXPECT_EQ(read("empty.txt"), read("before.txt"));
}

}  // namespace
}  // namespace lodra::batch
