#include "batch/standspread.h"

#include <chrono>
#include <exception>
#include <new>

#include "batch/refusaltext.h"
#include "calc/comparison.h"
#include "calc/randomsource.h"
#include "calc/spread.h"
#include "report/spreadtable.h"

namespace lodra::batch {

namespace {
// What a stand's row says when its calculation failed in a way that is not the stand's
// (want of memory ends the run instead).
constexpr const char* kNotCompleted = "Beräkningen kunde inte slutföras.";
}  // namespace

std::uint64_t baseSeed(std::optional<std::uint64_t> seed, int row) {
    if (seed) {
        return standSeed(*seed, row);
    }
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return standSeed(static_cast<std::uint64_t>(now), row);
}

std::string spreadStandRow(int row, const InputRecord& input, std::uint64_t base, int runs,
                           char sep) {
    SpreadOptions options;
    options.seed = base;
    options.runs = runs;
    try {
        const Result<Spread> spread = computeSpread(input, sep, options);
        return spread ? spreadRow(row, *spread, sep)
                      : spreadRefusedRow(row, refusalText(spread.error()));
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return spreadRefusedRow(row, kNotCompleted);
    }
}

std::string measuresStandRow(int row, const InputRecord& input, std::uint64_t base, char sep) {
    ComparisonOptions options;
    options.seed = base;
    try {
        const Result<MeasureComparison> both = compareMeasures(input, sep, options);
        return both ? measuresRow(row, *both, sep)
                    : measuresRefusedRow(row, refusalText(both.error()));
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return measuresRefusedRow(row, kNotCompleted);
    }
}

}  // namespace lodra::batch
