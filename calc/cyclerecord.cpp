#include "calc/cyclerecord.h"

namespace lodra {

CycleRecord::Sums CycleRecord::sumsOf(const StandState& s) {
    return {s.antalAvvTotalt, s.avvDiaSumma,    s.avvVolSumma,
            s.nettoAvvSumma,  s.atervKostSumma, s.nuvardeAvv};
}

void CycleRecord::start(const StandState& s, int cycles) {
    const std::size_t count = static_cast<std::size_t>(cycles > 0 ? cycles : 0);
    rows.clear();
    rows.reserve(count);
    sums_.clear();
    sums_.reserve(count + 1);
    sums_.push_back(sumsOf(s));
}

void CycleRecord::add(const StandState& s, bool fellingCycle) {
    if (fellingCyclesOnly && !fellingCycle) {
        return;
    }
    CycleRow row;
    row.ar = s.ar;
    row.arsring = s.arsring;
    row.vol00 = s.vol00;
    row.vol05 = s.vol05;
    row.avvDiameter = s.avvDiameter;
    row.avverkning = fellingCycle;
    rows.push_back(row);
    sums_.push_back(sumsOf(s));
}

void CycleRecord::finish(double haFaktor) {
    for (std::size_t i = 0; i < rows.size() && i + 1 < sums_.size(); ++i) {
        const Sums& before = sums_[i];
        const Sums& after = sums_[i + 1];
        CycleRow& row = rows[i];
        // The felling sums are per plot; what this cycle added to them, per ha.
        const double felled = after.antalAvv - before.antalAvv;
        row.avvTrad = felled * haFaktor;
        if (felled > 0) {
            row.medeldiameter = (after.avvDiaSumma - before.avvDiaSumma) / felled;
        }
        row.avvVolym = (after.avvVolSumma - before.avvVolSumma) * haFaktor;
        row.netto = (after.nettoAvvSumma - before.nettoAvvSumma) * haFaktor;
        row.atervKost = (after.atervKostSumma - before.atervKostSumma) * haFaktor;
        row.nuvarde = (after.nuvardeAvv - before.nuvardeAvv) * haFaktor;
        row.nuvardeSumma = after.nuvardeAvv * haFaktor;
    }
}

}  // namespace lodra
