#include "calc/ringsearch.h"

#include <algorithm>
#include <cmath>

#include "base/bitcast.h"
#include "calc/treemodel.h"

// Why a start ring is safe. Let G(k) be the growth the step-by-step search computes at its
// k-th ring, with increment x_k = ring_k * 10 / 10, and g(x) the same growth in exact
// arithmetic, (haFaktor * sum of V(x + d_i) - vol00) / 5, where V is the tree volume
// cubic with its coefficients taken as the doubles they are. Over the rings 0..k,
// |G(j) - g(x_j)| <= E, a bound from the largest diameters met there. If g rises from x_k
// upwards and G(k) > bonitet + 2E, then for every j < k (x_j >= x_k):
//     G(j) >= g(x_j) - E >= g(x_k) - E >= G(k) - 2E > bonitet,
// so no ring above ring_k stops the search. g rises from x_k upwards when g'(x_k) > 0
// and g''(x_k) > 0, since g''' is a positive constant. Both are tested against bounds of
// their own rounding errors. The bounds are taken twice over for safety.

namespace lodra {

namespace {

constexpr double kA = kVolymA;  // the tree volume cubic's coefficients, as in tradVolym
constexpr double kC0 = kVolymC0;
constexpr double kC1 = kVolymC1;
constexpr double kC3 = kVolymC3;
constexpr double kU = 0x1p-53;  // unit roundoff of a double

constexpr double kStep = 0.01;           // mm, the search step
constexpr double kStepsPerMm = 100;      // 1 / kStep
constexpr double kLimit = 1e4;           // cm or mm: larger diameters and rings fall back
constexpr double kHaFaktorLimit = 1e12;  // beyond it the bounds are not worth the care
constexpr std::size_t kMaxSteps = std::size_t{1} << 17;  // longest sequence kept, 2 MB
constexpr std::size_t kMargin = 1;        // steps above the estimate where the proof is tried
constexpr double kFewestSteps = 3;        // steps to the estimate worth skipping
constexpr int kAttempts = 6;              // proofs tried, each further above the estimate
constexpr double kSmallestSlope = 1e-30;  // m3sk per mm; Newton's steps stay finite above it
// mm: the estimate need be no closer. Past the first of Newton's steps the estimate lies
// above the crossing (the cubic rises and is convex there); a step above it, the search
// still stops within its first block.
constexpr double kCloseEnough = kStep;

// True when x is a number no larger than limit (positive) in size. Compares the bits of
// |x|, which order as the values do and put infinities and NaNs above every number, so that
// no comparison meets a NaN and raises the invalid-operation flag.
bool within(double x, double limit) {
    constexpr std::uint64_t kMagnitude = ~(std::uint64_t{1} << 63);
    return (bitCast<std::uint64_t>(x) & kMagnitude) <= bitCast<std::uint64_t>(limit);
}

// Stands whose numbers keep every operation below far from overflow and the bounds
// meaningful. Within them nothing here raises an exception flag that the calculation
// tests, so the flags stay as the step-by-step search leaves them.
bool suitable(const SearchStand& st) {
    if (st.dia00.empty() || !within(st.haFaktor, kHaFaktorLimit) ||
        !(st.haFaktor >= 1 / kHaFaktorLimit) || !within(st.vol00, kHaFaktorLimit * kLimit) ||
        !within(st.bonitet, kHaFaktorLimit) || !within(st.maxRing, kLimit) ||
        !within(st.warmRing, 2 * kLimit)) {
        return false;
    }
    return std::all_of(st.dia00.begin(), st.dia00.end(),
                       [](double d) { return within(d, kLimit); });
}

// The bounds of one proof, from the trees at the lowest increment lo and over [lo, hi].
struct Bounds {
    double first = 0, second = 0;            // sums of V'(lo + d) and V''(lo + d)
    double firstSize = 0, secondSize = 0;    // sums of their terms' magnitudes
    double firstShift = 0, secondShift = 0;  // effect of the rounding of lo + d on them
    double size = 0;   // m3sk, sum of the volume terms' magnitudes over [lo, hi]
    double shift = 0;  // m3sk, effect of the rounding of x + d on the volumes there
};

// The sums of magnitudes are not taken tree by tree: each term is a polynomial with
// coefficients of one sign in |x + d|, so it is at most the term of the largest tree at
// the end of [lo, hi] farthest from zero. m and w are above |lo + d| and |x + d| for every
// tree, also as rounded and widened by 4 units; one tree more than there are covers the
// rounding of the sums they replace.
Bounds boundsAt(std::span<const double> dia, double lo, double hi) {
    Bounds b;
    double largest = 0;  // cm, of |d|
    for (const double d : dia) {
        const double y = lo + d;
        b.first = b.first + ((3 * kC3 * y) * y + (2 * kA * y - kC1));
        b.second = b.second + (2 * kA + 6 * kC3 * y);
        largest = std::max(largest, std::fabs(d));
    }
    const auto trees = static_cast<double>(dia.size()) + 1;
    const double m = (std::fabs(lo) + largest) * (1 + 16 * kU);
    b.firstSize = trees * ((3 * kC3 * m + 2 * kA) * m + kC1);
    b.secondSize = trees * (2 * kA + 6 * kC3 * m);
    b.firstShift = trees * ((6 * kC3 * m + 2 * kA) * m);
    b.secondShift = trees * (6 * kC3 * m);
    const double w = (std::max(std::fabs(lo), std::fabs(hi)) + largest) * (1 + 16 * kU);
    b.size = trees * (((kC3 * w + kA) * w + kC1) * w + kC0);
    b.shift = trees * (w * ((3 * kC3 * w + 2 * kA) * w + kC1));
    return b;
}

// Twice E, E being a bound, taken twice over, of |G - g| at every increment in [lo, hi],
// when g rises from lo upwards: g'(lo) and g''(lo) positive beyond twice their rounding
// errors (haFaktor / 5 > 0 left out of both). The proof holds when the growth computed at
// lo exceeds the site index by more than this margin.
std::optional<double> proofMargin(const SearchStand& st, double lo, double hi) {
    const Bounds b = boundsAt(st.dia00, lo, hi);
    const auto n = static_cast<double>(st.dia00.size());
    const double firstBound = 2 * kU * (b.firstShift + (n + 8) * b.firstSize);
    const double secondBound = 2 * kU * (b.secondShift + (n + 8) * b.secondSize);
    if (!(b.first > firstBound && b.second > secondBound)) {
        return std::nullopt;
    }
    const double sumError = kU * (b.shift + (n + 8) * b.size);
    const double underflow = (n + 8) * (st.haFaktor + 1) * 1e-300;
    const double e =
        2 *
        ((st.haFaktor * sumError + 3 * kU * st.haFaktor * b.size + 2 * kU * std::fabs(st.vol00)) /
             5 +
         underflow);
    return 2 * e;
}

}  // namespace

double FastRingSearch::growthAt(double increment, const SearchStand& st) {
    double sum[1];
    blockVolumes(st.dia00, &increment, sum);
    return yearlyGrowth(sum[0], st.haFaktor, st.vol00);
}

bool FastRingSearch::startRing(const SearchStand& st, RingStart& start) {
    if (st.dia00.empty()) {
        return false;  // no growing tree: the growth is 0 at once
    }
    double crossing = 0;
    if (!suitable(st) || !estimate(st, crossing)) {
        ++declined_;
        return false;
    }
    // Steps to the estimate: how far it lies is all that counts here, not the last bit.
    const double steps = (st.maxRing - crossing) * kStepsPerMm;
    if (!(steps >= kFewestSteps)) {
        return false;  // at most a few steps below maxRing: nothing worth skipping
    }
    if (!(steps < static_cast<double>(kMaxSteps)) ||
        !provenStart(st, static_cast<std::size_t>(steps) - kMargin, start)) {
        ++declined_;
        return false;
    }
    ++accepted_;
    return true;
}

namespace {

// sum of V(x + d) - sum of V(d) = ((p3 x + p2) x + p1) x - target, m3sk per plot, which
// is zero where the exact growth meets the site index.
struct Cubic {
    double p3 = 0, p2 = 0, p1 = 0, target = 0;

    double valueAt(double x) const { return ((p3 * x + p2) * x + p1) * x - target; }

    // The zero that Newton's method reaches from x, if it does on a rising curve; in place,
    // as an optional's copy through memory held the search up.
    bool zeroFrom(double x, double& zero) const {
        for (int i = 0; i < 50; ++i) {
            const double f = valueAt(x);
            const double slope = (3 * p3 * x + 2 * p2) * x + p1;
            if (!(slope > kSmallestSlope)) {
                return false;  // flat or falling: the growth may not be monotone here
            }
            const double change = f / slope;
            x = x - change;
            if (!(std::fabs(x) <= 2 * kLimit)) {
                return false;
            }
            // The next change would be about f'' / (2 f') times the square of this one.
            const double curve = std::fabs(6 * p3 * x + 2 * p2);
            if (curve * change * change < 2 * kCloseEnough * slope) {
                zero = x;
                return true;
            }
        }
        return false;
    }
};

}  // namespace

// The ring where the exact growth meets the site index, by Newton's method on the stand
// volume as a cubic in the increment, started at warmRing, else at maxRing.
bool FastRingSearch::estimate(const SearchStand& st, double& crossing) const {
    double n = 0, s1 = 0, s2 = 0;  // count, sum of d (cm) and of d * d (cm2)
    for (const double d : st.dia00) {
        n = n + 1;
        s1 = s1 + d;
        s2 = s2 + d * d;
    }
    Cubic cubic;
    cubic.p3 = kC3 * n;
    cubic.p2 = 3 * kC3 * s1 + kA * n;
    cubic.p1 = 3 * kC3 * s2 + 2 * kA * s1 - kC1 * n;
    cubic.target = 5 * st.bonitet / st.haFaktor;
    if (!(cubic.valueAt(st.maxRing) > 0)) {
        crossing = st.maxRing;  // already at maxRing the growth is about the site index or less
        return true;
    }
    return (st.warmRing < st.maxRing && cubic.zeroFrom(st.warmRing, crossing)) ||
           cubic.zeroFrom(st.maxRing, crossing);
}

// From the first k0 <= k, not far below k, at which the proof holds, the first of the
// next steps that stops the search, else the step after them; false if no proof is found.
bool FastRingSearch::provenStart(const SearchStand& st, std::size_t k, RingStart& start) {
    std::size_t back = 4;
    for (int attempt = 0; attempt < kAttempts && k > 0; ++attempt) {
        if (!extendTo(st.maxRing, k + kBlock)) {
            return false;
        }
        if (const std::optional<double> margin = proofMargin(st, increment_[k], increment_[0])) {
            double growth[kBlock];
            blockGrowths(st, k, growth);
            if (growth[0] - st.bonitet > *margin) {
                std::size_t j = 1;
                while (j < kBlock && growth[j] > st.bonitet) {
                    ++j;
                }
                start = {ring_[k + j], increment_[k + j], j < kBlock};
                return true;
            }
        }
        k = k > back ? k - back : 0;
        back *= 4;
    }
    return false;
}

// Tree by tree in the order of the search, so that each sum is the one it computes.
void FastRingSearch::blockGrowths(const SearchStand& st, std::size_t k,
                                  double (&growth)[kBlock]) const {
    double sum[kBlock];
    blockVolumes(st.dia00, &increment_[k], sum);
    for (std::size_t j = 0; j < kBlock; ++j) {
        growth[j] = yearlyGrowth(sum[j], st.haFaktor, st.vol00);
    }
}

bool FastRingSearch::extendTo(double maxRing, std::size_t k) {
    // Nearly always the sequence is there already: the search of every cycle of a
    // calculation uses the same one, and a cycle seldom goes deeper than the last.
    if (k < ring_.size() && bitCast<std::uint64_t>(maxRing) == sequenceOf_) {
        return true;
    }
    return grow(maxRing, k);
}

bool FastRingSearch::grow(double maxRing, std::size_t k) {
    if (k >= kMaxSteps) {
        return false;
    }
    const auto bits = bitCast<std::uint64_t>(maxRing);
    if (ring_.empty() || bits != sequenceOf_) {
        sequenceOf_ = bits;
        ring_.assign(1, maxRing);
        increment_.assign(1, maxRing * 10 / 10);
    }
    while (ring_.size() <= k) {
        const double ring = ring_.back() - kStep;
        ring_.push_back(ring);
        increment_.push_back(ring * 10 / 10);
    }
    return true;
}

}  // namespace lodra
