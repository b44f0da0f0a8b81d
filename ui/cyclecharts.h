#pragma once

// The charts of the development window: the stand's volume and annual ring over the years,
// and the present value of the comparison against the felling interval.

#include <QLocale>
#include <vector>

#include "calc/comparison.h"
#include "calc/cyclerecord.h"

class QChart;

namespace lodra {

// Volume (m3sk/ha) at each cycle's start and after its five years, the fellings marked at
// the cycle ends, and the annual ring (mm) on a second axis; the axes write numbers as the
// locale numbers does, without digit grouping. The caller owns the chart.
QChart* developmentChart(const std::vector<CycleRow>& rows, const QLocale& numbers);

// Present value (kr/ha) against the felling interval, one line per rate, the highest value
// of each rate marked, its numbers as developmentChart's. The caller owns the chart.
QChart* comparisonChart(const ComparisonGrid& grid, const QLocale& numbers);

}  // namespace lodra
