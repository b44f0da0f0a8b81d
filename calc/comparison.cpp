#include "calc/comparison.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include "calc/calculation.h"
#include "calc/randomsource.h"

namespace lodra {

namespace {

constexpr int kCells = ComparisonGrid::kIntervals * ComparisonGrid::kRateCount;  // per measure
// Runs per part of the runs after the first: 176 calculations of a measure.
constexpr int kRunsPerPart = 4;
constexpr double kStopped = std::numeric_limits<double>::quiet_NaN();

constexpr int cellOf(int interval, int rate) {
    return interval * ComparisonGrid::kRateCount + rate;
}

// A seeded generator that notes whether the calculation asked it for a number.
class NotingRandom final : public RandomSource {
  public:
    explicit NotingRandom(std::uint64_t seed) : inner_(seed) {}
    void reseed() override { inner_.reseed(); }
    double next() override {
        drew_ = true;
        return inner_.next();
    }
    bool drew() const { return drew_; }

  private:
    SeededRandom inner_;
    bool drew_ = false;
};

// One measure's cells over the runs.
struct MeasureRuns {
    int runs = 1;
    bool inRuns = false;              // runs were asked for: each run from its own seed
    std::vector<double> values;       // cell * runs + k - 1: run k's present value, or kStopped
    std::array<bool, kCells> drew{};  // the cell's first run drew a random number

    std::span<const double> of(int cell) const {
        return std::span(values).subspan(static_cast<std::size_t>(cell * runs),
                                         static_cast<std::size_t>(runs));
    }
    bool varied() const {
        return inRuns && std::any_of(drew.begin(), drew.end(), [](bool d) { return d; });
    }
};

std::uint64_t seedOf(const ComparisonOptions& options, int k) {
    return options.runs == 0 ? options.seed : standSeed(options.seed, k);
}

// Calculates one run of a cell into value (kStopped when it stopped, with why in stop);
// fails when the entries are refused or the comparison is cancelled.
Result<> calculateRun(StandCalculation& calc, const Intake& cell, CalcOptions& calcOptions,
                      std::uint64_t seed, double& value, bool* drew = nullptr,
                      std::string* stop = nullptr) {
    NotingRandom random(seed);
    calcOptions.random = &random;
    const Outcome outcome = calc.berakna(cell, calcOptions);
    calcOptions.random = nullptr;
    if (drew != nullptr) {
        *drew = random.drew();
    }
    if (outcome.ok()) {
        value = calc.economics.nuvarde;
        return {};
    }
    if (outcome.error().status == Status::Cancelled) {
        return fail("Jämförelsen avbröts.");
    }
    if (outcome.error().status == Status::Refused) {
        return outcome.error();
    }
    value = kStopped;
    if (stop != nullptr) {
        *stop = outcome.message();
    }
    return {};
}

Intake cellIntake(Intake intake, int cell) {
    intake.cykTillAvv = cell / ComparisonGrid::kRateCount;
    intake.ranta = kRates[static_cast<std::size_t>(cell % ComparisonGrid::kRateCount)];
    return intake;
}

void counted(const ComparisonOptions& options) {
    if (options.progress != nullptr) {
        options.progress->cellsDone.fetch_add(1, std::memory_order_relaxed);
    }
}

// Runs first + 1 ... last (of 2..N) of every cell whose first run drew.
Result<> calculatePart(const Intake& intake, const ComparisonOptions& options, int first, int last,
                       MeasureRuns& out) {
    auto calc = std::make_unique<StandCalculation>();
    CalcOptions calcOptions;
    calcOptions.cancel = options.cancel;
    for (int k = first + 1; k <= last; ++k) {
        for (int cell = 0; cell < kCells; ++cell) {
            if (!out.drew[static_cast<std::size_t>(cell)]) {
                continue;
            }
            double& value = out.values[static_cast<std::size_t>(cell * out.runs + k - 1)];
            if (Result<> run = calculateRun(*calc, cellIntake(intake, cell), calcOptions,
                                            seedOf(options, k), value);
                !run) {
                return run;
            }
            counted(options);
        }
    }
    return {};
}

// The runs after the first, in parts on the options' threads.
Result<> calculateOtherRuns(const Intake& intake, const ComparisonOptions& options,
                            MeasureRuns& out) {
    const int parts = (out.runs - 1 + kRunsPerPart - 1) / kRunsPerPart;
    std::vector<Result<>> ends(static_cast<std::size_t>(parts));
    const auto body = [&](int part) {
        Result<>& end = ends[static_cast<std::size_t>(part)];
        try {
            end = calculatePart(intake, options, 1 + part * kRunsPerPart,
                                std::min(out.runs, 1 + (part + 1) * kRunsPerPart), out);
        } catch (const std::exception&) {
            end = fail("Beräkningen kunde inte slutföras.");
        }
    };
    if (options.parallelFor) {
        options.parallelFor(parts, body);
    } else {
        threadsFor(std::max(1u, options.threads), parts, body);
    }
    for (Result<>& end : ends) {
        if (!end) {
            return end;
        }
    }
    return {};
}

// Every cell of a measure over the runs: the first run of each on the caller's thread, the
// others only of the cells that drew, as the others are the same in every run.
Result<MeasureRuns> runMeasure(const Intake& intake, const ComparisonOptions& options) {
    MeasureRuns out;
    out.inRuns = options.runs > 0;
    out.runs = std::clamp(options.runs, 1, kMaxSpreadRuns);
    out.values.assign(static_cast<std::size_t>(kCells * out.runs), kStopped);
    auto calc = std::make_unique<StandCalculation>();
    CalcOptions calcOptions;
    calcOptions.cancel = options.cancel;
    if (options.progress != nullptr) {
        calcOptions.cyclesDone = &options.progress->cyclesDone;
        calcOptions.cyclesTotal = &options.progress->cyclesTotal;
    }
    for (int cell = 0; cell < kCells; ++cell) {
        if (Result<> run =
                calculateRun(*calc, cellIntake(intake, cell), calcOptions, seedOf(options, 1),
                             out.values[static_cast<std::size_t>(cell * out.runs)],
                             &out.drew[static_cast<std::size_t>(cell)]);
            !run) {
            return run.error();
        }
        counted(options);
        if (options.progress != nullptr) {
            options.progress->cyclesDone.store(0, std::memory_order_relaxed);
        }
    }
    if (out.runs > 1 && out.varied()) {
        if (Result<> rest = calculateOtherRuns(intake, options, out); !rest) {
            return rest.error();
        }
    }
    for (int cell = 0; cell < kCells; ++cell) {
        if (!out.drew[static_cast<std::size_t>(cell)]) {
            const auto from = out.values.begin() + cell * out.runs;
            std::fill(from + 1, from + out.runs, *from);
        }
    }
    return out;
}

// "Vid 3 cykler och 4 %" with ", körning 7" under runs: of the first stopped run of the
// first cell (interval-major) with one, and why it stopped; empty when none stopped.
std::string firstStop(const Intake& intake, const ComparisonOptions& options,
                      const MeasureRuns& runs) {
    for (int cell = 0; cell < kCells; ++cell) {
        const std::span<const double> values = runs.of(cell);
        const auto stopped =
            std::find_if(values.begin(), values.end(), [](double v) { return std::isnan(v); });
        if (stopped == values.end()) {
            continue;
        }
        const int k = static_cast<int>(stopped - values.begin()) + 1;
        // The run again, for its message: it stops the same way from the same seed.
        StandCalculation calc;
        CalcOptions calcOptions;
        double value = 0;
        std::string why;
        (void)calculateRun(calc, cellIntake(intake, cell), calcOptions, seedOf(options, k), value,
                           nullptr, &why);
        const int c = cell / ComparisonGrid::kRateCount;
        return "Vid " + std::to_string(c) + (c == 1 ? " cykel" : " cykler") + " och " +
               std::to_string(kRates[static_cast<std::size_t>(cell % ComparisonGrid::kRateCount)]) +
               " %" + (runs.varied() ? ", körning " + std::to_string(k) : std::string()) + ": " +
               why;
    }
    return {};
}

ComparisonGrid gridOf(const MeasureRuns& runs) {
    ComparisonGrid grid;
    grid.varied = runs.varied();
    grid.runs = grid.varied ? runs.runs : 1;
    for (int cell = 0; cell < kCells; ++cell) {
        const std::span<const double> values = runs.of(cell);
        std::optional<double>& value =
            grid.nuvarde[static_cast<std::size_t>(cell / ComparisonGrid::kRateCount)]
                        [static_cast<std::size_t>(cell % ComparisonGrid::kRateCount)];
        if (std::any_of(values.begin(), values.end(), [](double v) { return std::isnan(v); })) {
            continue;
        }
        value = runs.drew[static_cast<std::size_t>(cell)]
                    ? statisticsOf({values.begin(), values.end()}).mean
                    : values.front();
    }
    return grid;
}

// The lead of the runs of one cell over those of another.
ComparisonLead leadOver(std::span<const double> best, std::span<const double> next) {
    std::vector<double> differences(best.size());
    std::transform(best.begin(), best.end(), next.begin(), differences.begin(), std::minus<>());
    const SpreadStatistics stats = statisticsOf(std::move(differences));
    ComparisonLead lead;
    lead.lead = stats.mean;
    if (stats.sd) {
        lead.standardError = *stats.sd / std::sqrt(static_cast<double>(stats.count));
    }
    return lead;
}

// The interval with the highest value at the rate but the one left out (-1: none), the
// shortest of equal values; -1 when there is none.
int bestBut(const ComparisonGrid& grid, int rate, int left) {
    int found = -1;
    double highest = 0;  // kr/ha
    for (int c = 0; c < ComparisonGrid::kIntervals; ++c) {
        const auto& cell =
            grid.nuvarde[static_cast<std::size_t>(c)][static_cast<std::size_t>(rate)];
        if (c != left && cell && (found < 0 || *cell > highest)) {
            found = c;
            highest = *cell;
        }
    }
    return found;
}

}  // namespace

int ComparisonGrid::best(int rate) const {
    return bestBut(*this, rate, -1);
}

bool ComparisonGrid::marked(int rate) const {
    const auto& lead = leads[static_cast<std::size_t>(rate)];
    return best(rate) >= 0 && (!lead || lead->clear());
}

Result<ComparisonGrid> compareChoices(const InputRecord& input, char decimalSeparator,
                                      const ComparisonOptions& options) {
    // The entries are read once; each cell sets its own rate and interval, so the entered
    // ones are no reason for a refusal.
    const Result<Intake> intake = StandCalculation::accept(input, decimalSeparator, false);
    if (!intake) {
        return intake.error();
    }
    Result<MeasureRuns> runs = runMeasure(*intake, options);
    if (!runs) {
        return runs.error();
    }
    ComparisonGrid grid = gridOf(*runs);
    grid.stopped = firstStop(*intake, options, *runs);
    for (int r = 0; grid.varied && r < ComparisonGrid::kRateCount; ++r) {
        const int best = grid.best(r);
        const int next = best < 0 ? -1 : bestBut(grid, r, best);
        if (next >= 0) {
            ComparisonLead& lead = grid.leads[static_cast<std::size_t>(r)].emplace(
                leadOver(runs->of(cellOf(best, r)), runs->of(cellOf(next, r))));
            lead.interval = next;
        }
    }
    return grid;
}

MeasureComparison::Best MeasureComparison::best(int rate) const {
    return bestBut(rate, {});
}

MeasureComparison::Best MeasureComparison::bestBut(int rate, Best left) const {
    Best found;
    double highest = 0;  // kr/ha
    for (int c = 0; c < ComparisonGrid::kIntervals; ++c) {
        for (int m = 0; m < kMeasures; ++m) {
            const auto& cell =
                grids[static_cast<std::size_t>(m)]
                    .nuvarde[static_cast<std::size_t>(c)][static_cast<std::size_t>(rate)];
            const bool leftOut = m == left.measure && c == left.interval;
            if (!leftOut && cell && (found.measure < 0 || *cell > highest)) {
                found = {m, c};
                highest = *cell;
            }
        }
    }
    return found;
}

bool MeasureComparison::marked(int rate) const {
    const auto& lead = leads[static_cast<std::size_t>(rate)];
    return best(rate).measure >= 0 && (!lead || lead->clear());
}

namespace {

// The entered choice as a cell of the grids, when its rate is one of theirs and its
// interval a whole number of cycles within them.
std::optional<MeasureComparison::Cell> enteredCell(const InputRecord& input, char separator) {
    const Result<Intake> intake = StandCalculation::accept(input, separator, true);
    if (!intake) {
        return std::nullopt;
    }
    const auto rate = std::find(kRates.begin(), kRates.end(), intake->ranta);
    const double interval = intake->cykTillAvv;
    if (rate == kRates.end() || interval != std::floor(interval) || interval < 0 ||
        interval >= ComparisonGrid::kIntervals) {
        return std::nullopt;
    }
    return MeasureComparison::Cell{static_cast<int>(input.measure), static_cast<int>(interval),
                                   static_cast<int>(rate - kRates.begin())};
}

}  // namespace

Result<MeasureComparison> compareMeasures(const InputRecord& input, char decimalSeparator,
                                          const ComparisonOptions& options) {
    MeasureComparison both;
    InputRecord entered = input;
    std::array<MeasureRuns, MeasureComparison::kMeasures> runs;
    for (const Measure measure : {Measure::gallring, Measure::kalavverkning}) {
        const auto m = static_cast<std::size_t>(measure);
        entered.measure = measure;
        const Result<Intake> intake = StandCalculation::accept(entered, decimalSeparator, false);
        if (!intake) {
            return intake.error();
        }
        Result<MeasureRuns> measured = runMeasure(*intake, options);
        if (!measured) {
            return measured.error();
        }
        runs[m] = std::move(*measured);
        both.grids[m] = gridOf(runs[m]);
        const std::string stopped = firstStop(*intake, options, runs[m]);
        if (both.stopped.empty() && !stopped.empty()) {
            // "Vid ..." follows the measure in lower case.
            both.stopped = std::string(nameOf(measure)) + " v" + stopped.substr(1);
        }
    }
    both.varied = both.grids[0].varied || both.grids[1].varied;
    both.runs = both.varied ? runs[0].runs : 1;
    both.seed = both.varied ? options.seed : 0;
    for (int r = 0; both.varied && r < ComparisonGrid::kRateCount; ++r) {
        const MeasureComparison::Best best = both.best(r);
        const MeasureComparison::Best next =
            best.measure < 0 ? MeasureComparison::Best{} : both.bestBut(r, best);
        if (next.measure >= 0) {
            const auto cell = [&](MeasureComparison::Best pair) {
                return runs[static_cast<std::size_t>(pair.measure)].of(cellOf(pair.interval, r));
            };
            ComparisonLead& lead =
                both.leads[static_cast<std::size_t>(r)].emplace(leadOver(cell(best), cell(next)));
            lead.measure = next.measure;
            lead.interval = next.interval;
        }
    }
    both.entered = enteredCell(input, decimalSeparator);
    return both;
}

}  // namespace lodra
