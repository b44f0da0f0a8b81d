#include "report/spreadtable.h"

#include <array>
#include <string_view>

#include "report/csv.h"
#include "report/numbertext.h"

namespace lodra {

namespace {

constexpr std::array<std::string_view, 3> kFigures = {"nuvarde", "ar_mellan", "vol_avv"};
constexpr std::array<std::string_view, 9> kStatistics = {"_medel", "_sd",  "_min", "_p5", "_p10",
                                                         "_p50",   "_p90", "_p95", "_max"};
constexpr std::array<std::string_view, MeasureComparison::kMeasures> kMeasureKeys = {"gallring",
                                                                                     "kal"};
constexpr std::size_t kMeasureValues = std::size_t{MeasureComparison::kMeasures} *
                                       ComparisonGrid::kIntervals * ComparisonGrid::kRateCount;

std::string refused(int row, std::size_t emptyFields, const std::string& message) {
    std::string out = std::to_string(row);
    out.append(emptyFields + 1, ';');
    return out + csvField(message) + "\r\n";
}

void appendStatistics(std::string& out, const SpreadStatistics& stats, char sep) {
    if (stats.count == 0) {
        out.append(kStatistics.size(), ';');
        return;
    }
    for (const std::optional<double> value :
         {std::optional(stats.mean), stats.sd, std::optional(stats.min), std::optional(stats.p5),
          std::optional(stats.p10), std::optional(stats.p50), std::optional(stats.p90),
          std::optional(stats.p95), std::optional(stats.max)}) {
        out += ';';
        if (value) {
            appendNumber(out, *value, sep);
        }
    }
}

}  // namespace

std::string spreadHeader() {
    std::string out = std::string(kUtf8ByteOrderMark) + "Rad;korningar;stoppade";
    for (const std::string_view figure : kFigures) {
        for (const std::string_view statistic : kStatistics) {
            out += ';';
            out += figure;
            out += statistic;
        }
    }
    return out + ";Meddelande\r\n";
}

std::string spreadRow(int row, const Spread& spread, char sep) {
    std::string out = std::to_string(row);
    out += ';';
    appendNumber(out, static_cast<int>(spread.runs.size()));
    out += ';';
    appendNumber(out, spread.stopped);
    for (const SpreadStatistics* stats : {&spread.nuvarde, &spread.arMellan, &spread.volAvv}) {
        appendStatistics(out, *stats, sep);
    }
    return out + ';' + csvField(spread.firstStop) + "\r\n";
}

std::string spreadRefusedRow(int row, const std::string& message) {
    return refused(row, 2 + kFigures.size() * kStatistics.size(), message);
}

std::string measuresHeader() {
    std::string out = std::string(kUtf8ByteOrderMark) + "Rad";
    for (const std::string_view key : kMeasureKeys) {
        for (int c = 0; c < ComparisonGrid::kIntervals; ++c) {
            for (const int ranta : kRates) {
                out += ';';
                out += key;
                out += "_c" + std::to_string(c) + "_r" + std::to_string(ranta);
            }
        }
    }
    for (const std::string_view name : {"basta_atgard_r", "basta_cykler_r"}) {
        for (const int ranta : kRates) {
            out += ';';
            out += name;
            out += std::to_string(ranta);
        }
    }
    return out + ";Meddelande\r\n";
}

std::string measuresRow(int row, const MeasureComparison& comparison, char sep) {
    std::string out = std::to_string(row);
    for (const ComparisonGrid& grid : comparison.grids) {
        for (const auto& interval : grid.nuvarde) {
            for (const std::optional<double>& cell : interval) {
                out += ';';
                if (cell) {
                    appendNumber(out, *cell, sep);
                }
            }
        }
    }
    std::string intervals;
    for (int r = 0; r < ComparisonGrid::kRateCount; ++r) {
        const MeasureComparison::Best best = comparison.best(r);
        out += ';';
        intervals += ';';
        if (comparison.marked(r)) {
            out += kMeasureKeys[static_cast<std::size_t>(best.measure)];
            intervals += std::to_string(best.interval);
        }
    }
    return out + intervals + ';' + csvField(comparison.stopped) + "\r\n";
}

std::string measuresRefusedRow(int row, const std::string& message) {
    return refused(row, kMeasureValues + 2 * ComparisonGrid::kRateCount, message);
}

}  // namespace lodra
