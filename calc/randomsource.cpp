#include "calc/randomsource.h"

#include <chrono>

namespace lodra {

namespace {
// 53 random bits scaled into [0, 1).
double unit(std::mt19937_64& e) {
    return static_cast<double>(e() >> 11) * 0x1.0p-53;
}
}  // namespace

void ClockRandom::reseed() {
    engine_.seed(static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

double ClockRandom::next() {
    return unit(engine_);
}

double SeededRandom::next() {
    return unit(engine_);
}

}  // namespace lodra
