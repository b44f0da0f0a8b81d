#pragma once

// The tree model: the volume of a tree, the net and the cleaning cost of a felled one, the
// felling diameter, and the stand's yearly growth at an annual ring. The calculation and the
// fast ring search both compute with these, operation for operation, which is what makes
// the fast search stop at exactly the ring of the step-by-step one.

#include <cstddef>
#include <cstdint>
#include <span>

namespace lodra {

// The tree volume cubic's coefficients, m3sk for a diameter in cm.
inline constexpr double kVolymA = 0.00089;       // of d * d
inline constexpr double kVolymC0 = 0.03896;      // constant
inline constexpr double kVolymC1 = 0.00905;      // of d, subtracted
inline constexpr double kVolymC3 = 0.000001682;  // of d * d * d

// tradVolym: m3sk of one tree of diameter d cm, the same for every species.
inline double tradVolym(double d) {
    return (kVolymA * d) * d + (kVolymC0 - kVolymC1 * d) + ((kVolymC3 * d) * d) * d;
}

// tradNetto: kr, harvest net of one felled tree of d cm, by species code (1 pine, 2 spruce,
// else broadleaves, which have none) and measure.
inline double tradNetto(std::int16_t tradslag, bool kalavverkning, double d) {
    double c0 = 0, c1 = 0, c2 = 0, c3 = 0;
    if (tradslag == 1) {
        if (kalavverkning) {
            c0 = 115.14, c1 = 20.566, c2 = 0.96476, c3 = 0.00517;
        } else {
            c0 = 110.26, c1 = 20.0724, c2 = 0.94048, c3 = 0.00501;
        }
    } else if (tradslag == 2) {
        if (kalavverkning) {
            c0 = 62.3571, c1 = 12.1919, c2 = 0.60905, c3 = 0.00271;
        } else {
            c0 = 56.429, c1 = 11.489, c2 = 0.57571, c3 = 0.00244;
        }
    } else {
        return 0;  // broadleaves
    }
    return ((c2 * d) * d) + (c0 - c1 * d) - (((c3 * d) * d) * d);
}

// rojningTrad: kr, cleaning cost (positive) of one small tree of d cm felled at once.
inline double rojningTrad(double d) {
    return ((0.23895 * d + 0.97315) - (0.00636 * d) * d) + ((0.00603 * d) * d) * d;
}

// The felling diameter into d, cm, for a rate of ranta % and an annual ring of ring mm;
// defined for rates of exactly 2, 3, 4 and 5 %: false, with d left as it is, for any other.
// In place, as an optional's copy through memory held the cycle loop up.
inline bool fellingDiameter(double ranta, double ring, double& d) {
    const double w = ring;
    const double w2 = w * w;
    if (ranta == 2) {
        d = 0.21739 * w2 + 17.4135 * w + 12.664;
    } else if (ranta == 3) {
        d = 0.08303 * w2 + 12.33 * w + 11.775;
    } else if (ranta == 4) {
        d = 0.3125 * w2 + 7.0164 * w + 15.148;
    } else if (ranta == 5) {
        d = 6.5915 * w + 14.046 - 0.08532 * w2;
    } else {
        return false;
    }
    return true;
}

// m3sk per year and ha: the stand's yearly growth over five years, from the sum of its
// tree volumes after them (per plot) and its volume per ha before.
inline double yearlyGrowth(double volumeSum, double haFaktor, double vol00) {
    return (volumeSum * haFaktor - vol00) / 5;
}

// The tree volumes of N steps of the ring search at once, per plot: the trees dia grown by
// increment[j] mm (a ring's "ring * 10 / 10"), summed tree by tree in list order, as the
// step-by-step search sums them.
template <std::size_t N>
inline void blockVolumes(std::span<const double> dia, const double* increment, double (&sum)[N]) {
    for (std::size_t j = 0; j < N; ++j) {
        sum[j] = 0;
    }
    for (const double d : dia) {
        for (std::size_t j = 0; j < N; ++j) {
            sum[j] = sum[j] + tradVolym(increment[j] + d);
        }
    }
}

}  // namespace lodra
