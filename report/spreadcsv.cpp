#include "report/spreadcsv.h"

#include "report/csv.h"
#include "report/cyclecsv.h"
#include "report/numbertext.h"

namespace lodra {

std::string measureName(int measure) {
    return std::string(nameOf(static_cast<Measure>(measure)));
}

std::string spreadRunsCsv(const Spread& spread, char sep) {
    std::string out = std::string(kUtf8ByteOrderMark) +
                      "Körning;Frö;Nuvärde (kr/ha);År mellan avverkningarna;"
                      "Volym/avverkning (m3sk/ha)\r\n";
    int k = 0;
    for (const SpreadRun& run : spread.runs) {
        appendNumber(out, ++k);
        out += ';' + std::to_string(run.seed) + ';';
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
