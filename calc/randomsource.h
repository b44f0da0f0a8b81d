#pragma once

// The uniform generator behind the random diameter change. Injected, so that tests and
// the batch tool can repeat a run exactly.

#include <cstdint>
#include <random>

namespace lodra {

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    // Called once at the start of every random diameter change.
    virtual void reseed() = 0;
    // The next number, uniform in [0, 1).
    virtual double next() = 0;
};

// Seeded anew from the clock at every reseed(), as the desktop program does.
class ClockRandom final : public RandomSource {
  public:
    void reseed() override;
    double next() override;

  private:
    std::mt19937_64 engine_;
};

// Seeded once; reseed() changes nothing, so a whole run can be repeated.
class SeededRandom final : public RandomSource {
  public:
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}
    void reseed() override {}
    double next() override;

  private:
    std::mt19937_64 engine_;
};

}  // namespace lodra
