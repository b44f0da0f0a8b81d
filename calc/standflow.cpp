#include "calc/standflow.h"

namespace lodra {

void standFlow(const StandCalculation& calculation, const CycleRecord& record,
               std::vector<FlowYear>& flow) {
    const StandState& s = calculation.s;
    const Economics& e = calculation.economics;
    flow.clear();
    flow.reserve(record.rows.size() + 2);
    // The trees felled now: their net less the cleaning, neither discounted.
    flow.push_back({0, s.volAvv, e.drivningsnetto, e.rojningKost, s.vardeDirekt * s.haFaktor});
    // One of the two year-1 charges is always 0; the report takes it off undiscounted.
    const double ar1 = s.atgard == 1.0 ? s.atervKostAr1 : s.berikKostAr1;
    flow.push_back({1, 0, 0, ar1, -ar1});
    for (const CycleRow& row : record.rows) {
        if (row.avvVolym == 0 && row.netto == 0 && row.atervKost == 0 && row.nuvarde == 0) {
            continue;  // nothing felled
        }
        // A felling at the end of the cycle is discounted from the cycle's start.
        flow.push_back(
            {static_cast<int>(row.ar) + 5, row.avvVolym, row.netto, row.atervKost, row.nuvarde});
    }
}

std::size_t PropertyFlow::slotOf(int ar) {
    return ar <= 1 ? static_cast<std::size_t>(ar) : static_cast<std::size_t>(ar / 5 + 1);
}

void PropertyFlow::add(const std::vector<FlowYear>& flow, double hektar) {
    for (const FlowYear& year : flow) {
        const std::size_t slot = slotOf(year.ar);
        if (slot >= slots_.size()) {
            slots_.resize(slot + 1);
        }
        Slot& to = slots_[slot];
        to.sum.ar = year.ar;
        to.sum.volym += year.volym * hektar;
        to.sum.netto += year.netto * hektar;
        to.sum.kostnad += year.kostnad * hektar;
        to.sum.nuvarde += year.nuvarde * hektar;
        to.used =
            to.used || year.volym != 0 || year.netto != 0 || year.kostnad != 0 || year.nuvarde != 0;
    }
}

std::vector<FlowYear> PropertyFlow::years() const {
    std::vector<FlowYear> out;
    for (const Slot& slot : slots_) {
        if (slot.used) {
            out.push_back(slot.sum);
        }
    }
    return out;
}

FlowYear PropertyFlow::total() const {
    FlowYear sum;
    for (const Slot& slot : slots_) {
        if (slot.used) {
            sum.volym += slot.sum.volym;
            sum.netto += slot.sum.netto;
            sum.kostnad += slot.sum.kostnad;
            sum.nuvarde += slot.sum.nuvarde;
        }
    }
    return sum;
}

bool PropertyFlow::empty() const {
    for (const Slot& slot : slots_) {
        if (slot.used) {
            return false;
        }
    }
    return true;
}

}  // namespace lodra
