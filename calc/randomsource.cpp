#include "calc/randomsource.h"

#include <chrono>

namespace lodra {

namespace {
// 53 random bits scaled into [0, 1).
double unit(std::mt19937_64& e) {
    return static_cast<double>(e() >> 11) * 0x1.0p-53;
}

// A bijective mix of 64 bits in which every input bit changes about half the output bits.
std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15u;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}
}  // namespace

double ClockRandom::next() {
    if (!seeded_) {
        engine_.seed(static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count()));
        seeded_ = true;
    }
    return unit(engine_);
}

double SeededRandom::next() {
    if (!engine_) {
        engine_.emplace(seed_);
    }
    return unit(*engine_);
}

std::uint64_t standSeed(std::uint64_t seed, std::int64_t row) {
    return mix(mix(seed) + static_cast<std::uint64_t>(row));
}

}  // namespace lodra
