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
    const bool decades = !years.empty() && years.back().ar > kYearlyBarsUpTo;
    std::vector<FlowPeriod> periods;
    int current = -1;
    for (const FlowYear& year : years) {
        const int start = decades ? year.ar / 10 * 10 : year.ar;
        if (periods.empty() || start != current) {
            current = start;
            periods.push_back({decades ? QStringLiteral("%1–%2").arg(start).arg(start + 9)
                                       : QString::number(start),
                               0, 0});
        }
        periods.back().volym += year.volym;
        periods.back().kassaflode += year.kassaflode();
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
    x->setTitleText(decades ? QStringLiteral("År (per decennium)") : QStringLiteral("År"));
    chart->addAxis(x, Qt::AlignBottom);
    auto* left = new QValueAxis(chart);
    left->setTitleText(QStringLiteral("Volym (m3sk)"));
    left->setRange(0, volumeMax * 1.05);
    left->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(left, Qt::AlignLeft);
    auto* right = new QValueAxis(chart);
    right->setTitleText(QStringLiteral("Kassaflöde (kr)"));
    right->setRange(cashMin * 1.05, cashMax * 1.05);
    right->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(right, Qt::AlignRight);
    bars->attachAxis(x);
    bars->attachAxis(left);
    cash->attachAxis(x);
    cash->attachAxis(right);
    return chart;
}

}  // namespace lodra
