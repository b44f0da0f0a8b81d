#pragma once

// The charts of the development window: the stand's volume and annual ring over the years,
// and the present value of the comparison against the felling interval.

#include <QLocale>
#include <vector>

#include "calc/comparison.h"
#include "calc/cyclerecord.h"

class QChart;

namespace lodra {

// A locale whose decimal separator is the report's and that never groups digits, for the
// numbers on the axes.
QLocale axisLocale(char decimalSeparator);

// Volume (m3sk/ha) at each cycle's start and after its five years, the fellings marked at
// the cycle ends, and the annual ring (mm) on a second axis. The caller owns the chart.
QChart* developmentChart(const std::vector<CycleRow>& rows, char decimalSeparator);

// Present value (kr/ha) against the felling interval, one line per rate, the highest value
// of each rate marked. The caller owns the chart.
QChart* comparisonChart(const ComparisonGrid& grid, char decimalSeparator);

}  // namespace lodra
