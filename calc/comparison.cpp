#include "calc/comparison.h"

#include <memory>

#include "calc/calculation.h"

namespace lodra {

int ComparisonGrid::best(int rate) const {
    int found = -1;
    double highest = 0;  // kr/ha
    for (int c = 0; c < kIntervals; ++c) {
        const auto& cell = nuvarde[static_cast<std::size_t>(c)][static_cast<std::size_t>(rate)];
        if (cell && (found < 0 || *cell > highest)) {
            found = c;
            highest = *cell;
        }
    }
    return found;
}

Result<ComparisonGrid> compareChoices(const InputRecord& input, char decimalSeparator,
                                      const ComparisonOptions& options) {
    ComparisonGrid grid;
    // One calculation object for all cells: each calculation sets every field it reads.
    auto calc = std::make_unique<StandCalculation>();
    CalcOptions calcOptions;
    calcOptions.cancel = options.cancel;
    if (options.progress != nullptr) {
        calcOptions.cyclesDone = &options.progress->cyclesDone;
        calcOptions.cyclesTotal = &options.progress->cyclesTotal;
    }
    // The entries are read once; each cell sets its own rate and interval, so the entered
    // ones are no reason for a refusal.
    Result<StandCalculation::Intake> cell =
        StandCalculation::accept(input, decimalSeparator, false);
    if (!cell) {
        return cell.error();
    }
    for (int c = 0; c < ComparisonGrid::kIntervals; ++c) {
        for (int r = 0; r < ComparisonGrid::kRateCount; ++r) {
            cell->cykTillAvv = c;
            cell->ranta = kRates[static_cast<std::size_t>(r)];
            SeededRandom random(options.seed);
            calcOptions.random = &random;
            const Outcome outcome = calc->berakna(*cell, calcOptions);
            if (outcome.ok()) {
                grid.nuvarde[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] =
                    calc->economics.nuvarde;
            } else if (outcome.error().status == Status::Cancelled) {
                return fail("Jämförelsen avbröts.");
            } else if (outcome.error().status == Status::Refused) {
                return outcome.error();
            } else if (grid.stopped.empty()) {
                grid.stopped = "Vid " + std::to_string(c) + (c == 1 ? " cykel" : " cykler") +
                               " och " + std::to_string(kRates[static_cast<std::size_t>(r)]) +
                               " %: " + outcome.message();
            }
            if (options.progress != nullptr) {
                options.progress->cellsDone.fetch_add(1, std::memory_order_relaxed);
                options.progress->cyclesDone.store(0, std::memory_order_relaxed);
            }
        }
    }
    return grid;
}

MeasureComparison::Best MeasureComparison::best(int rate) const {
    Best found;
    double highest = 0;  // kr/ha
    for (int c = 0; c < ComparisonGrid::kIntervals; ++c) {
        for (int m = 0; m < kMeasures; ++m) {
            const auto& cell =
                grids[static_cast<std::size_t>(m)]
                    .nuvarde[static_cast<std::size_t>(c)][static_cast<std::size_t>(rate)];
            if (cell && (found.measure < 0 || *cell > highest)) {
                found = {m, c};
                highest = *cell;
            }
        }
    }
    return found;
}

Result<MeasureComparison> compareMeasures(const InputRecord& input, char decimalSeparator,
                                          const ComparisonOptions& options) {
    MeasureComparison both;
    InputRecord entered = input;
    for (const Measure measure : {Measure::gallring, Measure::kalavverkning}) {
        const int m = static_cast<int>(measure);
        entered.measure = measure;
        Result<ComparisonGrid> grid = compareChoices(entered, decimalSeparator, options);
        if (!grid) {
            return grid.error();
        }
        if (both.stopped.empty() && !grid->stopped.empty()) {
            // "Vid ..." follows the measure in lower case.
            both.stopped = std::string(nameOf(measure)) + " v" + grid->stopped.substr(1);
        }
        both.grids[static_cast<std::size_t>(m)] = std::move(*grid);
    }
    return both;
}

}  // namespace lodra
