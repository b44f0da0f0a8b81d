#pragma once

// The record of a calculation's five-year cycles: one row per cycle, read from the stand
// state at the point where the cycle has set it, so that every figure is the one the
// report's statistics and present value are built from.

#include <vector>

#include "calc/standstate.h"

namespace lodra {

struct CycleRow {
    double ar = 0;             // years, at the start of the cycle
    double arsring = 0;        // mm, the cycle's annual ring, as the ring statistics take it
    double vol00 = 0;          // m3sk/ha at the start of the cycle
    double vol05 = 0;          // m3sk/ha after the cycle's five years, before felling
    double avvDiameter = 0;    // cm, felling diameter in force
    bool avverkning = false;   // a felling cycle (whether or not a tree was above the diameter)
    double avvTrad = 0;        // trees per ha felled at the cycle's end
    double medeldiameter = 0;  // cm, mean diameter of those trees (0 when none)
    double avvVolym = 0;       // m3sk/ha felled
    double netto = 0;          // kr/ha, their harvest net, undiscounted
    double atervKost = 0;      // kr/ha, their regeneration cost, undiscounted
    double nuvarde = 0;        // kr/ha, their discounted net after regeneration cost
    double nuvardeSumma = 0;   // kr/ha, the discounted nets of all cycles so far
};

// Collects the rows while a calculation runs. Handed to the calculation through
// CalcOptions::cycleRecord; the rows are those of the latest calculation and complete
// only when it ended well. While the cycles run the record only copies figures, so that it
// costs the calculation next to nothing and cannot raise a floating-point flag that would
// stop it; what each cycle felled is worked out by finish(), after the calculation's last
// check.
class CycleRecord {
  public:
    std::vector<CycleRow> rows;
    // Only the felling cycles get a row (what a stand's flow needs): the felling sums change
    // only in them, so each row's felling figures are the same as with every cycle kept.
    bool fellingCyclesOnly = false;

    // Before the first cycle: forgets earlier rows and takes the felling sums as they are.
    void start(const StandState& s, int cycles);
    // At the end of a cycle, after its felling and while ar still holds its start year.
    void add(const StandState& s, bool fellingCycle);
    // After the last cycle: the felling figures of every row, per ha.
    void finish(double haFaktor);  // ha per plot

  private:
    // The felling sums (per plot) before the first cycle and after each cycle.
    struct Sums {
        double antalAvv, avvDiaSumma, avvVolSumma, nettoAvvSumma, atervKostSumma, nuvardeAvv;
    };
    std::vector<Sums> sums_;
    static Sums sumsOf(const StandState& s);
};

}  // namespace lodra
