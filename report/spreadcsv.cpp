#include "report/spreadcsv.h"

#include <optional>
#include <utility>

#include "report/csv.h"
#include "report/cyclecsv.h"
#include "report/numbertext.h"

namespace lodra {

std::string measureName(int measure) {
    return std::string(nameOf(static_cast<Measure>(measure)));
}

std::string seedCell(std::uint64_t seed) {
    return kSeedMark + std::to_string(seed);
}

namespace {

constexpr const char* kFigures =
    "Nuvärde (kr/ha);År mellan avverkningarna;Volym/avverkning (m3sk/ha)\r\n";

// The summary rows: a row per statistic, a column per figure.
void appendSummary(std::string& out, const Spread& spread, char sep) {
    const SpreadStatistics* figures[] = {&spread.nuvarde, &spread.arMellan, &spread.volAvv};
    out += std::string("Sammanfattning;") + kFigures + "Antal värden";
    for (const SpreadStatistics* stats : figures) {
        out += ';';
        appendNumber(out, stats->count);
    }
    out += "\r\n";
    using Stat = std::optional<double> (*)(const SpreadStatistics&);
    const std::pair<const char*, Stat> rows[] = {
        {"Medel", [](const SpreadStatistics& s) { return std::optional(s.mean); }},
        {"Standardavvikelse", [](const SpreadStatistics& s) { return s.sd; }},
        {"Min", [](const SpreadStatistics& s) { return std::optional(s.min); }},
        {"P5", [](const SpreadStatistics& s) { return std::optional(s.p5); }},
        {"P10", [](const SpreadStatistics& s) { return std::optional(s.p10); }},
        {"P50", [](const SpreadStatistics& s) { return std::optional(s.p50); }},
        {"P90", [](const SpreadStatistics& s) { return std::optional(s.p90); }},
        {"P95", [](const SpreadStatistics& s) { return std::optional(s.p95); }},
        {"Max", [](const SpreadStatistics& s) { return std::optional(s.max); }},
    };
    for (const auto& [name, stat] : rows) {
        out += name;
        for (const SpreadStatistics* stats : figures) {
            out += ';';
            if (const std::optional<double> value = stat(*stats); stats->count > 0 && value) {
                appendNumber(out, *value, sep);
            }
        }
        out += "\r\n";
    }
    out += "Stoppade körningar;";
    appendNumber(out, spread.stopped);
    out += "\r\n";
}

}  // namespace

std::string spreadRunsCsv(const Spread& spread, char sep) {
    std::string out(kUtf8ByteOrderMark);
    appendSummary(out, spread, sep);
    out += std::string("\r\nKörning;Frö;") + kFigures;
    int k = 0;
    for (const SpreadRun& run : spread.runs) {
        appendNumber(out, ++k);
        out += ';' + seedCell(run.seed) + ';';
        if (run.completed) {
            appendNumber(out, run.nuvarde, sep);
        }
        out += ';';
        if (run.completed && run.felled) {
            appendNumber(out, run.arMellan, sep);
        }
        out += ';';
        if (run.completed && run.felled) {
            appendNumber(out, run.volAvv, sep);
        }
        out += "\r\n";
    }
    return out;
}

std::string measureComparisonCsv(const MeasureComparison& comparison, char sep) {
    std::string out = std::string(kUtf8ByteOrderMark) + "Cykler till avverkning";
    for (int m = 0; m < MeasureComparison::kMeasures; ++m) {
        for (const int ranta : kRates) {
            out += ';' + measureName(m) + " vid " + std::to_string(ranta) + " % (kr/ha)";
        }
    }
    out += "\r\n";
    for (int c = 0; c < ComparisonGrid::kIntervals; ++c) {
        out += std::to_string(c);
        for (const ComparisonGrid& grid : comparison.grids) {
            for (const auto& cell : grid.nuvarde[static_cast<std::size_t>(c)]) {
                out += ';';
                if (cell) {
                    appendNumber(out, *cell, sep);
                }
            }
        }
        out += "\r\n";
    }
    std::string measures = "Bästa åtgärd";
    std::string intervals = "Bästa antal cykler";
    for (int r = 0; r < ComparisonGrid::kRateCount; ++r) {
        const MeasureComparison::Best best = comparison.best(r);
        measures += ';';
        intervals += ';';
        if (comparison.marked(r)) {
            measures += measureName(best.measure);
            intervals += std::to_string(best.interval);
        } else if (best.measure >= 0) {
            // Under runs, a lead within twice its standard error.
            measures += "kan inte skiljas åt";
        }
    }
    // Only the first rates' columns (those of thinning) hold the best choice.
    return out + measures + "\r\n" + intervals + "\r\n";
}

}  // namespace lodra
