// The stands in flight: bounded by their bytes whatever the number of threads, and each
// stand's share worked out from its entries no smaller than what it really takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "batch/outputtables.h"
#include "batch/pipeline.h"
#include "standfile/standfile.h"

namespace lodra::batch {
namespace {

constexpr std::size_t kMegabyte = std::size_t{1} << 20;

// A register of count stands of the default entries.
std::string registerOf(int count) {
    std::string text = "totaltid\n";
    for (int i = 0; i < count; ++i) {
        text += "250\n";
    }
    return text;
}

TEST(Pipeline, TheStandsInFlightStayWithinTheBytesWhateverTheThreads) {
    const struct {
        std::size_t threads;
        std::size_t share;  // what estimate() says each stand takes
    } cases[] = {{1, 1024},           {8, 1024},           {64, 1024},          {1, 3 * kMegabyte},
                 {64, 3 * kMegabyte}, {64, 9 * kMegabyte}, {64, 40 * kMegabyte}};
    constexpr int kStands = 600;
    for (const auto& c : cases) {
        std::istringstream in(registerOf(kStands));
        StandFile stands;
        ASSERT_TRUE(stands.open(in));
        PipelineLimits limits;
        limits.threads = c.threads;
        std::size_t held = 0, most = 0;
        std::vector<int> rows;
        const StandWork work{
            [&](const StandFile::Stand&) {
                held += c.share;
                most = std::max(most, held);
                return c.share;
            },
            [](std::size_t, const StandFile::Stand&, StandOutputs& out) { out.tables.clear(); },
            [&](const StandFile::Stand& stand, const StandOutputs&) {
                held -= c.share;
                rows.push_back(stand.row);
                return Result<>();
            }};
        std::optional<Error> readError;
        ASSERT_TRUE(runPipeline(stands, limits, work, readError));
        EXPECT_FALSE(readError);
        // A chunk is read while a whole one fits; its last stand may go beyond.
        EXPECT_LE(most, std::max(limits.bytesInFlight, c.share) + c.share)
            << c.threads << " threads, " << c.share << " bytes a stand";
        ASSERT_EQ(rows.size(), std::size_t{kStands});
        EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    }
}

// What computeStand leaves a stand and its worker holding, beyond the stand's fields.
std::size_t bytesTaken(const StandFile::Stand& stand, const StandOutputs& out,
                       const Worker& worker) {
    const StandOutputs none;
    return bytesOf(stand, out) - bytesOf(stand, none) +
           worker.record.rows.capacity() * sizeof(CycleRow);
}

TEST(Pipeline, AStandsShareIsNoSmallerThanWhatItTakes) {
    const std::string longName(900000, 'x');
    const struct {
        const char* header;
        std::string row;
    } stands[] = {
        {"totaltid;maxRing;ranta", "32767;100;2"},
        {"bestand;totaltid;maxRing;ranta", longName + ";32767;100;2"},
        {"totaltid;bonitet", "250;" + std::string(900000, '0')},
        {"totaltid;tradslag", "250;" + std::string(300000, '"')},
        {"totaltid", "1"},
        {"totaltid", "9,5e2"},
    };
    Arguments arguments;
    arguments.stands = "s.csv";
    arguments.cycles = arguments.table = arguments.compare = arguments.measures = "t.csv";
    arguments.seed = 1;
    for (const auto& s : stands) {
        std::istringstream in(std::string(s.header) + "\n" + s.row + "\n");
        StandFile file;
        ASSERT_TRUE(file.open(in));
        StandFile::Stand stand;
        ASSERT_TRUE(file.next(stand));
        Worker worker(',');
        worker.session.texts = Session::Texts::fileBytes;
        StandOutputs out;
        computeStand(worker, stand, arguments, ',', out);
        const std::size_t taken = bytesTaken(stand, out, worker);
        EXPECT_LE(taken, standBytesMost(stand, arguments, ','))
            << s.header << ": " << s.row.substr(0, 20);
        // A long horizon's room does not stay with the worker.
        EXPECT_LE(worker.record.rows.capacity(), std::size_t{128}) << s.row.substr(0, 20);
    }
}

}  // namespace
}  // namespace lodra::batch
