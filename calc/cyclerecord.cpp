#include "calc/cyclerecord.h"

#include <cfenv>

namespace lodra {

void CycleRecord::keepSums(const StandState& s) {
    antalAvv_ = s.antalAvvTotalt;
    avvDiaSumma_ = s.avvDiaSumma;
    avvVolSumma_ = s.avvVolSumma;
    nettoAvvSumma_ = s.nettoAvvSumma;
    atervKostSumma_ = s.atervKostSumma;
    nuvardeAvv_ = s.nuvardeAvv;
}

void CycleRecord::start(const StandState& s, int cycles) {
    rows.clear();
    rows.reserve(static_cast<std::size_t>(cycles > 0 ? cycles : 0));
    keepSums(s);
}

void CycleRecord::add(const StandState& s, bool fellingCycle) {
    // The calculation stops on the floating-point flags; a figure of the record that
    // overflows must not stop it.
    const int raisedBefore = std::fetestexcept(FE_ALL_EXCEPT);
    CycleRow row;
    row.ar = s.ar;
    row.arsring = s.arsring;
    row.vol00 = s.vol00;
    row.vol05 = s.vol05;
    row.avvDiameter = s.avvDiameter;
    row.avverkning = fellingCycle;
    // The felling sums are per plot; what this cycle added to them, per ha.
    const double felled = s.antalAvvTotalt - antalAvv_;
    row.avvTrad = felled * s.haFaktor;
    if (felled > 0) {
        row.medeldiameter = (s.avvDiaSumma - avvDiaSumma_) / felled;
    }
    row.avvVolym = (s.avvVolSumma - avvVolSumma_) * s.haFaktor;
    row.netto = (s.nettoAvvSumma - nettoAvvSumma_) * s.haFaktor;
    row.atervKost = (s.atervKostSumma - atervKostSumma_) * s.haFaktor;
    row.nuvarde = (s.nuvardeAvv - nuvardeAvv_) * s.haFaktor;
    row.nuvardeSumma = s.nuvardeAvv * s.haFaktor;
    rows.push_back(row);
    keepSums(s);
    const int raisedHere = std::fetestexcept(FE_ALL_EXCEPT) & ~raisedBefore;
    if (raisedHere != 0) {
        std::feclearexcept(raisedHere);
    }
}

}  // namespace lodra
