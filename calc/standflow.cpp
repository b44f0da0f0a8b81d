#include "calc/standflow.h"

#include <algorithm>
#include <charconv>

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

PropertyFlow::Slot& PropertyFlow::slot(int ar) {
    const std::size_t at = slotOf(ar);
    if (at >= slots_.size()) {
        slots_.resize(at + 1);
    }
    slots_[at].ar = ar;
    return slots_[at];
}

void PropertyFlow::add(const std::vector<FlowYear>& flow, double hektar) {
    for (const FlowYear& year : flow) {
        Slot& to = slot(year.ar);
        const std::array<double, kColumns> figures{year.volym, year.netto, year.kostnad,
                                                   year.nuvarde};
        for (std::size_t i = 0; i < kColumns; ++i) {
            to.sums[i].add(figures[i] * hektar);
            to.used = to.used || figures[i] != 0;
        }
    }
}

void PropertyFlow::add(const PropertyFlow& other) {
    for (const Slot& from : other.slots_) {
        if (!from.used) {
            continue;
        }
        Slot& to = slot(from.ar);
        for (std::size_t i = 0; i < kColumns; ++i) {
            to.sums[i].add(from.sums[i]);
        }
        to.used = true;
    }
}

std::vector<FlowYear> PropertyFlow::years() const {
    std::vector<FlowYear> out;
    for (const Slot& slot : slots_) {
        if (slot.used) {
            out.push_back({slot.ar, slot.sums[0].value(), slot.sums[1].value(),
                           slot.sums[2].value(), slot.sums[3].value()});
        }
    }
    return out;
}

FlowYear PropertyFlow::total() const {
    std::array<ExactSum, kColumns> sums;
    for (const Slot& slot : slots_) {
        for (std::size_t i = 0; slot.used && i < kColumns; ++i) {
            sums[i].add(slot.sums[i]);
        }
    }
    return {0, sums[0].value(), sums[1].value(), sums[2].value(), sums[3].value()};
}

bool PropertyFlow::empty() const {
    for (const Slot& slot : slots_) {
        if (slot.used) {
            return false;
        }
    }
    return true;
}

std::string PropertyFlow::exactText() const {
    std::string out;
    for (const Slot& slot : slots_) {
        if (!slot.used) {
            continue;
        }
        out += std::to_string(slot.ar);
        for (const ExactSum& sum : slot.sums) {
            out += ' ' + sum.text();
        }
        out += '\n';
    }
    return out;
}

std::optional<PropertyFlow> PropertyFlow::fromExactText(std::string_view text) {
    PropertyFlow flow;
    int last = -1;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        std::vector<std::string_view> cells;
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        for (std::size_t start = 0; start <= line.size();) {
            const std::size_t space = std::min(line.find(' ', start), line.size());
            cells.push_back(line.substr(start, space - start));
            start = space + 1;
        }
        if (cells.size() != kColumns + 1) {
            return std::nullopt;
        }
        int ar = 0;
        const char* stop = cells[0].data() + cells[0].size();
        const auto [at, error] = std::from_chars(cells[0].data(), stop, ar);
        if (error != std::errc() || at != stop || cells[0].empty() || ar <= last ||
            (ar > 1 && ar % 5 != 0) || slotOf(ar) > kMaxSlots) {
            return std::nullopt;
        }
        last = ar;
        Slot& to = flow.slot(ar);
        to.used = true;
        for (std::size_t i = 0; i < kColumns; ++i) {
            std::optional<ExactSum> sum = ExactSum::fromText(cells[i + 1]);
            if (!sum) {
                return std::nullopt;
            }
            to.sums[i] = *sum;
        }
    }
    return flow;
}

}  // namespace lodra
