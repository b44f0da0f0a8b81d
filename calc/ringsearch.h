#pragma once

// The fast annual-ring search. The step-by-step search tries the rings maxRing,
// maxRing - 0.01, ... and stops at the first whose growth does not exceed the site index;
// its cost grows with the distance from maxRing to that ring. This one finds, in a time
// independent of that distance, a ring of the same sequence from which the step-by-step
// search may start instead of maxRing and still stop at exactly the same step: every
// ring it skips is proven not to stop the search. Without such a proof it gives nothing,
// and the search starts at maxRing as always.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lodra {

// What the search of one cycle depends on.
struct SearchStand {
    std::span<const double> dia00;  // cm, the growing trees at the start of the cycle
    double haFaktor = 0;            // trees per ha that one plot tree stands for
    double vol00 = 0;               // m3sk/ha of dia00, as PrVol00 computed it
    double bonitet = 0;             // m3sk per year and ha, site index
    double maxRing = 0;             // mm, first ring of the search
    double warmRing = 0;            // mm, where the estimate starts: near last cycle's ring
};

// Where the step-by-step search may start, and whether it stops there at once.
struct RingStart {
    double ring = 0;       // mm, of the sequence maxRing, maxRing - 0.01, ...
    double increment = 0;  // mm, ring * 10 / 10
    bool ends = false;     // the growth at ring does not exceed the site index
};

class FastRingSearch {
  public:
    // A ring of the sequence maxRing, maxRing - 0.01, ... at or above the ring where the
    // step-by-step search stops, such that no ring above it stops the search; false when
    // that cannot be proven. The rings of the first steps below the proven one are tried
    // as the search tries them, so that the ring is nearly always the one where the search
    // stops. Raises no floating-point exception flag that the calculation tests.
    bool startRing(const SearchStand& stand, RingStart& start);

    // The yearly growth at a ring, with exactly the operations of DiaVidAr5, PrVol05 and
    // the search step: increment = ring * 10 / 10, m3sk per year and ha.
    static double growthAt(double increment, const SearchStand& stand);

    // Searches answered with a start below maxRing, and searches that gave nothing.
    std::int64_t accepted() const { return accepted_; }
    std::int64_t declined() const { return declined_; }

  private:
    static constexpr std::size_t kBlock = 4;  // steps tried from the proven ring

    bool estimate(const SearchStand& stand, double& crossing) const;
    bool provenStart(const SearchStand& stand, std::size_t k, RingStart& start);
    // Holds the sequence of maxRing at least to step k; false beyond kMaxSteps.
    bool extendTo(double maxRing, std::size_t k);
    bool grow(double maxRing, std::size_t k);
    // The growths of the steps k to k + kBlock - 1, as the search computes them.
    void blockGrowths(const SearchStand& stand, std::size_t k, double (&growth)[kBlock]) const;

    // The rings by the search's own repeated subtraction, and ring * 10 / 10 of each (mm),
    // for the maxRing whose bits are in sequenceOf_.
    std::uint64_t sequenceOf_ = 0;
    std::vector<double> ring_;
    std::vector<double> increment_;
    std::int64_t accepted_ = 0;
    std::int64_t declined_ = 0;
};

}  // namespace lodra
