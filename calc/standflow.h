#pragma once

// A stand's fellings and money year by year, per hectare, and their sum over the stands of a
// property, each weighted by its area. The years are 0 (what is felled and paid now: the
// trees felled at once and their cleaning), 1 (the year-1 regeneration charge) and the end
// of every five-year cycle (5, 10, ...).

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/calculation.h"
#include "calc/cyclerecord.h"
#include "calc/exactsum.h"

namespace lodra {

// What one year gives. Per hectare for a stand, in kr and m3sk for a property.
struct FlowYear {
    int ar = 0;          // years from now
    double volym = 0;    // m3sk felled
    double netto = 0;    // kr, harvest net, undiscounted
    double kostnad = 0;  // kr, regeneration and cleaning cost, undiscounted, positive
    double nuvarde = 0;  // kr, the year's net after cost, discounted as the report does

    double kassaflode() const { return netto - kostnad; }  // kr, undiscounted
};

// The flow of a calculated stand, from its calculation and the record of its cycles (both
// of the same calculation, which ended well): year 0 and year 1 always, then the end of every
// cycle that felled anything, in year order. The present values sum to the report's
// present value, the nuvarde of its economics.
void standFlow(const StandCalculation& calculation, const CycleRecord& record,
               std::vector<FlowYear>& flow);

// The flow of a property: the stands' flows added one by one, each times its area. Every
// column of every year is summed exactly and rounded once when read, so the figures do not
// depend on the order the stands are added in, nor on how they were split into parts whose
// flows are added together. Holds one entry per year of the longest horizon, whatever the
// number of stands.
class PropertyFlow {
  public:
    void add(const std::vector<FlowYear>& flow, double hektar);  // ha
    // Another part of the property's stands.
    void add(const PropertyFlow& other);
    // The years in which anything happens, in year order: a year is shown when any stand
    // gives it a figure other than 0.
    std::vector<FlowYear> years() const;
    // The sum of every column over those years; ar is 0.
    FlowYear total() const;
    bool empty() const;
    // The exact sums, one line per year shown: the year and its four columns' sums as
    // ExactSum's text, separated by spaces. Read back, they add up to the same figures.
    std::string exactText() const;
    static std::optional<PropertyFlow> fromExactText(std::string_view text);

  private:
    static constexpr std::size_t kColumns = 4;      // volym, netto, kostnad, nuvarde
    static constexpr std::size_t kMaxSlots = 2000;  // read from text: up to year 9995
    struct Slot {
        int ar = 0;
        std::array<ExactSum, kColumns> sums;
        bool used = false;
    };
    // Year 0 at 0, year 1 at 1, the end of cycle k (year 5k) at k + 1.
    static std::size_t slotOf(int ar);
    Slot& slot(int ar);
    std::vector<Slot> slots_;
};

}  // namespace lodra
