// The pool of worker threads: every chunk done once, a worker number on one thread only,
// a chunk's exception thrown where its result is taken.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "batch/chunkpool.h"

namespace lodra::batch {
namespace {

class ChunkPoolThreads : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ChunkPoolThreads, EveryChunkOnceAndEachWorkerOnOneThread) {
    constexpr std::size_t kChunks = 6;
    std::vector<int> doneTimes(kChunks * 50, 0);
    std::mutex mutex;
    std::map<std::size_t, std::thread::id> threadOf;
    bool sameWorkerTwoThreads = false;
    std::size_t round = 0;
    ChunkPool pool(GetParam(), kChunks, [&](std::size_t worker, std::size_t chunk) {
        {
            const std::lock_guard lock(mutex);
            const auto [at, added] = threadOf.emplace(worker, std::this_thread::get_id());
            sameWorkerTwoThreads |= at->second != std::this_thread::get_id();
        }
        ++doneTimes[round * kChunks + chunk];  // the slot belongs to this chunk alone
    });
    // Fifty rounds with every chunk reused, taken back in order.
    for (round = 0; round < 50; ++round) {
        for (std::size_t chunk = 0; chunk < kChunks; ++chunk) {
            pool.submit(chunk);
        }
        for (std::size_t chunk = 0; chunk < kChunks; ++chunk) {
            pool.waitFor(chunk);
        }
    }
    EXPECT_EQ(doneTimes, std::vector<int>(kChunks * 50, 1));
    EXPECT_FALSE(sameWorkerTwoThreads);
    EXPECT_LE(threadOf.size(), std::max<std::size_t>(GetParam(), 1));
}

TEST_P(ChunkPoolThreads, AnExceptionIsThrownWhereTheChunkIsTaken) {
    ChunkPool pool(GetParam(), 3, [](std::size_t, std::size_t chunk) {
        if (chunk == 1) {
            throw std::runtime_error("chunk 1");
        }
    });
    for (std::size_t chunk = 0; chunk < 3; ++chunk) {
        pool.submit(chunk);
    }
    EXPECT_NO_THROW(pool.waitFor(0));
    EXPECT_THROW(pool.waitFor(1), std::runtime_error);
    EXPECT_NO_THROW(pool.waitFor(2));
    pool.submit(0);  // the pool goes on
    EXPECT_NO_THROW(pool.waitFor(0));
}

TEST_P(ChunkPoolThreads, WaitingAheadWakesOnceTheLaterChunkIsDone) {
    // Many rounds, so that a wake-up lost between a worker and the waiting thread hangs.
    ChunkPool pool(GetParam(), 4, [](std::size_t, std::size_t chunk) {
        if (chunk == 3) {
            throw std::runtime_error("chunk 3");
        }
    });
    for (int round = 0; round < 2000; ++round) {
        for (std::size_t chunk = 0; chunk < 4; ++chunk) {
            pool.submit(chunk);
        }
        pool.waitUntilDone(3);  // the exception stays with its chunk
        EXPECT_TRUE(pool.done(3));
        for (std::size_t chunk = 0; chunk < 3; ++chunk) {
            pool.waitFor(chunk);
        }
        EXPECT_THROW(pool.waitFor(3), std::runtime_error);
    }
}

INSTANTIATE_TEST_SUITE_P(Threads, ChunkPoolThreads, ::testing::Values(0, 1, 2, 8));

}  // namespace
}  // namespace lodra::batch
