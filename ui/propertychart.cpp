#include "ui/propertychart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace lodra {

std::vector<FlowPeriod> flowPeriods(const std::vector<FlowYear>& years) {
    if (years.empty()) {
        return {};
    }
    const int last = years.back().ar;
    const bool decades = last > kYearlyBarsUpTo;
    // Every bar up to the last year, an empty one too: a gap shows as a gap.
    std::vector<FlowPeriod> periods;
    std::vector<int> starts;
    if (decades) {
        // Many decades are named by their first year alone, so that the names fit.
        const bool spans = last / 10 < kDecadesSpelledOutUpTo;
        for (int start = 0; start <= last; start += 10) {
            starts.push_back(start);
            periods.push_back(
                {spans ? QStringLiteral("%1–%2").arg(start).arg(start + 9) : QString::number(start),
                 0, 0});
        }
    } else {
        for (int ar = 0; ar <= last; ar = ar == 0 ? 1 : ar == 1 ? 5 : ar + 5) {
            starts.push_back(ar);
            periods.push_back({QString::number(ar), 0, 0});
        }
    }
    std::size_t at = 0;
    for (const FlowYear& year : years) {
        while (at + 1 < starts.size() && starts[at + 1] <= year.ar) {
            ++at;
        }
        periods[at].volym += year.volym;
        periods[at].kassaflode += year.kassaflode();
    }
    return periods;
}

QChart* propertyChart(const std::vector<FlowYear>& years, const QString& title,
                      const QLocale& numbers) {
    auto* chart = new QChart();
    chart->setTitle(title);
    chart->setLocalizeNumbers(true);
    QLocale axes = numbers;
    axes.setNumberOptions(axes.numberOptions() | QLocale::OmitGroupSeparator);
    chart->setLocale(axes);
    chart->legend()->setAlignment(Qt::AlignBottom);
    const std::vector<FlowPeriod> periods = flowPeriods(years);
    const bool decades = !years.empty() && years.back().ar > kYearlyBarsUpTo;

    auto* volume = new QBarSet(QStringLiteral("Volym (m3sk)"));
    auto* bars = new QBarSeries(chart);
    bars->append(volume);
    auto* cash = new QLineSeries(chart);
    cash->setName(QStringLiteral("Kassaflöde (kr)"));
    QStringList labels;
    double volumeMax = 1, cashMin = 0, cashMax = 1;
    for (std::size_t i = 0; i < periods.size(); ++i) {
        labels << periods[i].label;
        volume->append(periods[i].volym);
        cash->append(static_cast<double>(i), periods[i].kassaflode);
        volumeMax = std::max(volumeMax, periods[i].volym);
        cashMin = std::min(cashMin, periods[i].kassaflode);
        cashMax = std::max(cashMax, periods[i].kassaflode);
    }
    chart->addSeries(bars);
    chart->addSeries(cash);
    auto* x = new QBarCategoryAxis(chart);
    x->append(labels);
    x->setTitleText(!decades ? QStringLiteral("År")
                    : years.back().ar / 10 < kDecadesSpelledOutUpTo
                        ? QStringLiteral("År (per decennium)")
                        : QStringLiteral("Decenniets första år"));
    chart->addAxis(x, Qt::AlignBottom);
    auto* left = new QValueAxis(chart);
    left->setTitleText(QStringLiteral("Volym (m3sk)"));
    left->setRange(0, volumeMax);
    left->applyNiceNumbers();
    left->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(left, Qt::AlignLeft);
    auto* right = new QValueAxis(chart);
    right->setTitleText(QStringLiteral("Kassaflöde (kr)"));
    right->setRange(cashMin, cashMax);
    right->applyNiceNumbers();
    right->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(right, Qt::AlignRight);
    bars->attachAxis(x);
    bars->attachAxis(left);
    cash->attachAxis(x);
    cash->attachAxis(right);
    return chart;
}

}  // namespace lodra
