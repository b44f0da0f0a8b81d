#pragma once

// The charts of the development window: the stand's volume and annual ring over the years,
// the present value of the comparison against the felling interval, and the spread of the
// present value under random growth.

#include <QLocale>
#include <optional>
#include <vector>

#include "calc/comparison.h"
#include "calc/cyclerecord.h"
#include "calc/spread.h"

class QChart;

namespace lodra {

// Volume (m3sk/ha) at each cycle's start and after its five years, the fellings marked at
// the cycle ends, and the annual ring (mm) on a second axis; the axes write numbers as the
// locale numbers does, without digit grouping. The caller owns the chart.
QChart* developmentChart(const std::vector<CycleRow>& rows, const QLocale& numbers);

// Present value (kr/ha) against the felling interval, one line per measure and rate, each
// in a colour of its own (clear-felling dashed, and so in the legend), the best pair of each
// rate marked where it is told apart from the next, its numbers as developmentChart's. The
// caller owns the chart.
QChart* comparisonChart(const MeasureComparison& comparison, const QLocale& numbers);

// The present values of a spread's completed runs in about 30 bins, with lines at the
// latest calculation's value (when given) and at P10, P50 and P90, its numbers as
// developmentChart's. The caller owns the chart.
QChart* spreadChart(const Spread& spread, std::optional<double> latest, const QLocale& numbers);

}  // namespace lodra
