#pragma once

// The property's fellings over time as a chart: the volume felled as bars, year by year or,
// for a long horizon, decade by decade, with the cash flow as a line on a second axis, so
// that a reader sees at once whether the fellings are even.

#include <QLocale>
#include <QString>
#include <vector>

#include "calc/standflow.h"

class QChart;

namespace lodra {

// A bar of the chart: a year ("25") or a decade ("20–29") and what it sums.
struct FlowPeriod {
    QString label;
    double volym = 0;       // m3sk
    double kassaflode = 0;  // kr, undiscounted
};

// Beyond this many years the bars are decades.
inline constexpr int kYearlyBarsUpTo = 60;
// Up to this many decades each is named by its span ("20–29"), beyond by its first year.
inline constexpr int kDecadesSpelledOutUpTo = 12;

// The bars of the years in which anything happens (in year order), up to the last of them:
// years 0, 1, 5, 10, ... (a cycle's end), or every decade from 0 when the last year is beyond
// kYearlyBarsUpTo; a bar in which nothing happens is there, empty.
// A decade is named "20–29", or "20" when there are more than kDecadesSpelledOutUpTo.
std::vector<FlowPeriod> flowPeriods(const std::vector<FlowYear>& years);

// The chart of the periods under its title, its numbers as the locale writes them without
// digit grouping. The caller owns the chart.
QChart* propertyChart(const std::vector<FlowYear>& years, const QString& title,
                      const QLocale& numbers);

}  // namespace lodra
