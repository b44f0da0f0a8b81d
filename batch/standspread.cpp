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

// A stand's row: of what compute gives, written by written, or refused by refused (the
// stand's own refusal, or a failure that is not the stand's).
template <typename Compute, typename Written>
std::string standRow(int row, const Compute& compute, const Written& written,
                     std::string (*refused)(int, const std::string&)) {
    try {
        const auto result = compute();
        return result ? written(*result) : refused(row, refusalText(result.error()));
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return refused(row, kNotCompleted);
    }
}

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
    return standRow(
        row, [&] { return computeSpread(input, sep, options); },
        [&](const Spread& spread) { return spreadRow(row, spread, sep); }, spreadRefusedRow);
}

std::string measuresStandRow(int row, const InputRecord& input, std::uint64_t base, int runs,
                             char sep) {
    ComparisonOptions options;
    options.seed = base;
    options.runs = runs;
    return standRow(
        row, [&] { return compareMeasures(input, sep, options); },
        [&](const MeasureComparison& both) { return measuresRow(row, both, sep); },
        measuresRefusedRow);
}

}  // namespace lodra::batch
