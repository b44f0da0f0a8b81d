#pragma once

// A property calculated for its window: every stand of a register read, calculated on a few
// threads, and put together by line, so that the figures do not depend on the threads. Plain
// C++: the window runs it in the background, the benchmark runs it alone.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"
#include "session/property.h"

namespace lodra {

struct PropertyOptions {
    int threads = 2;
    // Every stand draws from the stream of its line: standSeed(seed, row).
    std::uint64_t seed = 0;
    char decimalSeparator = '.';
    const std::atomic<bool>* cancel = nullptr;  // set by another thread to stop
    std::atomic<int>* done = nullptr;           // stands calculated so far
    std::atomic<int>* total = nullptr;          // stands of the register, once counted
};

struct PropertyResult {
    std::vector<PropertyStand> stands;  // in line order
    PropertyTotals totals;
    // The stand table as the batch tool's --table writes it for the same register.
    std::string tableCsv;
    bool anyVariation = false;  // a stand varies its growth: the seed matters
    bool cancelled = false;     // stopped before every stand was calculated: nothing shown
};

// Reads the register at path and calculates every stand. Fails for a file that cannot be
// used, with the message the windows show.
Result<PropertyResult> calculateProperty(const std::string& path, const PropertyOptions& options);

}  // namespace lodra
