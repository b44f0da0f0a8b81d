#pragma once

// The uniform generator behind the random diameter change. Injected, so that tests and
// the batch tool can repeat a run exactly.

#include <cstdint>
#include <optional>
#include <random>

namespace lodra {

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    // Called once at the start of every calculation, before its first number.
    virtual void reseed() = 0;
    // The next number, uniform in [0, 1).
    virtual double next() = 0;
};

// Seeded from the clock at the first number after each reseed(): once per calculation,
// and not at all in a calculation that draws none (no variation).
class ClockRandom final : public RandomSource {
  public:
    void reseed() override { seeded_ = false; }
    double next() override;

  private:
    std::mt19937_64 engine_;
    bool seeded_ = false;
};

// Seeded once; reseed() changes nothing, so a whole run can be repeated. The engine is
// seeded at the first number: a stand without variation draws none and never pays for it.
class SeededRandom final : public RandomSource {
  public:
    explicit SeededRandom(std::uint64_t seed) : seed_(seed) {}
    void reseed() override {}
    double next() override;

  private:
    std::uint64_t seed_;
    std::optional<std::mt19937_64> engine_;
};

// The seed of the stand in the given row of a register, for a run seeded with seed. It
// depends on these two alone, so a stand draws the same numbers whatever else the
// register holds, in whatever order or on whatever thread its stands are calculated.
std::uint64_t standSeed(std::uint64_t seed, std::int64_t row);

}  // namespace lodra
