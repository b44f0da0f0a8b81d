#include "ui/cyclecharts.h"

#include <QAreaSeries>
#include <QChart>
#include <QLegend>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>

namespace lodra {

namespace {

QValueAxis* axis(QChart* chart, const QString& title, Qt::Alignment side) {
    auto* a = new QValueAxis(chart);
    a->setTitleText(title);
    chart->addAxis(a, side);
    return a;
}

void attach(QChart* chart, QAbstractSeries* series, QValueAxis* x, QValueAxis* y) {
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

// The smallest of the steps 1, 2, 2.5 and 5 times a power of ten that covers the range in
// at most the given number of intervals.
double niceStep(double range, int intervals) {
    if (!(range > 0 && range < 1e300)) {
        return 1;
    }
    double power = 0.01;
    for (;;) {
        for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
            if (factor * power * intervals >= range) {
                return factor * power;
            }
        }
        power *= 10;
    }
}

QChart* newChart(const QLocale& numbers) {
    auto* chart = new QChart();
    chart->setLocalizeNumbers(true);
    QLocale axes = numbers;
    axes.setNumberOptions(axes.numberOptions() | QLocale::OmitGroupSeparator);
    chart->setLocale(axes);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

}  // namespace

QChart* developmentChart(const std::vector<CycleRow>& rows, const QLocale& numbers) {
    QChart* chart = newChart(numbers);
    auto* volume = new QLineSeries(chart);
    volume->setName(QStringLiteral("Volym (m3sk/ha)"));
    auto* fellings = new QScatterSeries(chart);
    fellings->setName(QStringLiteral("Avverkning"));
    fellings->setMarkerSize(9);
    auto* ring = new QLineSeries(chart);
    ring->setName(QStringLiteral("Årsring (mm)"));
    double end = 5, volumeMax = 1, ringMax = 0.1;
    for (const CycleRow& row : rows) {
        end = row.ar + 5;
        // The volume grows through the cycle; a felling and the random change of the
        // diameters then show as a step down to the next cycle's start.
        volume->append(row.ar, row.vol00);
        volume->append(end, row.vol05);
        if (row.avvTrad > 0) {
            fellings->append(end, row.vol05);
        }
        ring->append(row.ar, row.arsring);
        ring->append(end, row.arsring);
        volumeMax = std::max({volumeMax, row.vol00, row.vol05});
        ringMax = std::max(ringMax, row.arsring);
    }
    QValueAxis* years = axis(chart, QStringLiteral("År"), Qt::AlignBottom);
    years->setRange(0, end);
    years->setTickType(QValueAxis::TicksDynamic);
    years->setTickAnchor(0);
    years->setTickInterval(niceStep(end, 10));
    years->setLabelFormat(QStringLiteral("%.0f"));
    // Both vertical axes start at 0 and share their grid lines.
    const double volumeStep = niceStep(volumeMax * 1.05, 6);
    const int intervals = static_cast<int>(std::ceil(volumeMax * 1.05 / volumeStep));
    const double ringStep = niceStep(ringMax * 1.05, intervals);
    QValueAxis* volumes = axis(chart, QStringLiteral("Volym (m3sk/ha)"), Qt::AlignLeft);
    volumes->setRange(0, volumeStep * intervals);
    volumes->setTickCount(intervals + 1);
    volumes->setLabelFormat(QStringLiteral("%.0f"));
    QValueAxis* rings = axis(chart, QStringLiteral("Årsring (mm)"), Qt::AlignRight);
    rings->setRange(0, ringStep * intervals);
    rings->setTickCount(intervals + 1);
    rings->setLabelFormat(ringStep < 0.1 ? QStringLiteral("%.2f") : QStringLiteral("%.1f"));
    attach(chart, volume, years, volumes);
    attach(chart, fellings, years, volumes);
    attach(chart, ring, years, rings);
    return chart;
}

namespace {

// The line of a measure and rate: a colour of its own per rate, darker and solid for
// thinning, lighter and dashed for clear-felling, so that every legend entry differs from
// every other in colour and, between the measures, in its dash.
QPen comparisonPen(int measure, int rate) {
    static constexpr std::array<QRgb, 4> kRateColours = {0x1f77b4, 0xd62728, 0x2ca02c, 0x9467bd};
    QColor colour(kRateColours[static_cast<std::size_t>(rate) % kRateColours.size()]);
    QPen pen(measure == MeasureComparison::kGallring ? colour.darker(115) : colour.lighter(135));
    pen.setWidth(2);
    pen.setStyle(measure == MeasureComparison::kGallring ? Qt::SolidLine : Qt::DashLine);
    return pen;
}

}  // namespace

QChart* comparisonChart(const MeasureComparison& comparison, const QLocale& numbers) {
    QChart* chart = newChart(numbers);
    // The legend draws each line as it is drawn, dash and all.
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    QValueAxis* intervals = axis(chart, QStringLiteral("Cykler till avverkning"), Qt::AlignBottom);
    intervals->setRange(0, ComparisonGrid::kIntervals - 1);
    intervals->setTickCount(ComparisonGrid::kIntervals);
    intervals->setLabelFormat(QStringLiteral("%.0f"));
    QValueAxis* values = axis(chart, QStringLiteral("Nuvärde (kr/ha)"), Qt::AlignLeft);
    values->setLabelFormat(QStringLiteral("%.0f"));
    auto* best = new QScatterSeries(chart);
    best->setName(QStringLiteral("Bäst"));
    best->setMarkerSize(11);
    best->setColor(Qt::black);
    double low = 0, high = 0;
    bool any = false;
    for (int m = 0; m < MeasureComparison::kMeasures; ++m) {
        const ComparisonGrid& grid = comparison.grids[static_cast<std::size_t>(m)];
        for (int r = 0; r < ComparisonGrid::kRateCount; ++r) {
            auto* line = new QLineSeries(chart);
            line->setName(QStringLiteral("%1 %2 %")
                              .arg(m == MeasureComparison::kGallring ? QStringLiteral("Gallring")
                                                                     : QStringLiteral("Kal"))
                              .arg(kRates[static_cast<std::size_t>(r)]));
            const MeasureComparison::Best top =
                comparison.marked(r) ? comparison.best(r) : MeasureComparison::Best{};
            for (int c = 0; c < ComparisonGrid::kIntervals; ++c) {
                const auto& cell =
                    grid.nuvarde[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)];
                if (!cell) {
                    continue;
                }
                line->append(c, *cell);
                low = any ? std::min(low, *cell) : *cell;
                high = any ? std::max(high, *cell) : *cell;
                any = true;
                if (top.measure == m && top.interval == c) {
                    best->append(c, *cell);
                }
            }
            line->setPen(comparisonPen(m, r));
            attach(chart, line, intervals, values);
        }
    }
    attach(chart, best, intervals, values);
    values->setRange(low, high > low ? high : low + 1);
    values->applyNiceNumbers();
    return chart;
}

namespace {

constexpr int kBins = 30;

// A vertical line across the histogram at x.
void markAt(QChart* chart, const QString& name, double x, double top, QColor color,
            Qt::PenStyle style, QValueAxis* xAxis, QValueAxis* yAxis) {
    auto* line = new QLineSeries(chart);
    line->setName(name);
    line->append(x, 0);
    line->append(x, top);
    QPen pen(color);
    pen.setWidth(2);
    pen.setStyle(style);
    line->setPen(pen);
    attach(chart, line, xAxis, yAxis);
}

}  // namespace

QChart* spreadChart(const Spread& spread, std::optional<double> latest, const QLocale& numbers) {
    QChart* chart = newChart(numbers);
    const SpreadStatistics& stats = spread.nuvarde;
    QValueAxis* xAxis = axis(chart, QStringLiteral("Nuvärde (kr/ha)"), Qt::AlignBottom);
    xAxis->setLabelFormat(QStringLiteral("%.0f"));
    QValueAxis* yAxis = axis(chart, QStringLiteral("Antal körningar"), Qt::AlignLeft);
    yAxis->setLabelFormat(QStringLiteral("%.0f"));
    if (stats.count == 0 || !(stats.max > stats.min)) {
        return chart;
    }
    const double width = (stats.max - stats.min) / kBins;
    std::vector<int> counts(kBins, 0);
    for (const SpreadRun& run : spread.runs) {
        if (run.completed) {
            const int bin = static_cast<int>((run.nuvarde - stats.min) / width);
            ++counts[static_cast<std::size_t>(std::clamp(bin, 0, kBins - 1))];
        }
    }
    // The outline of the bars, filled down to the axis.
    auto* upper = new QLineSeries(chart);
    upper->append(stats.min, 0);
    int highest = 0;
    for (int b = 0; b < kBins; ++b) {
        const int count = counts[static_cast<std::size_t>(b)];
        upper->append(stats.min + b * width, count);
        upper->append(stats.min + (b + 1) * width, count);
        highest = std::max(highest, count);
    }
    upper->append(stats.max, 0);
    auto* bars = new QAreaSeries(upper);
    bars->setName(QStringLiteral("Körningar"));
    bars->setColor(QColor(0x90, 0xca, 0xf9));
    bars->setBorderColor(QColor(0x1e, 0x88, 0xe5));
    attach(chart, bars, xAxis, yAxis);
    const double top = highest * 1.05;
    markAt(chart, QStringLiteral("P10"), stats.p10, top, Qt::darkGray, Qt::DashLine, xAxis, yAxis);
    markAt(chart, QStringLiteral("P50"), stats.p50, top, Qt::black, Qt::SolidLine, xAxis, yAxis);
    markAt(chart, QStringLiteral("P90"), stats.p90, top, Qt::darkGray, Qt::DotLine, xAxis, yAxis);
    if (latest) {
        markAt(chart, QStringLiteral("Senaste beräkningen"), *latest, top, QColor(0xd3, 0x2f, 0x2f),
               Qt::SolidLine, xAxis, yAxis);
    }
    const double low = latest ? std::min(stats.min, *latest) : stats.min;
    const double high = latest ? std::max(stats.max, *latest) : stats.max;
    xAxis->setRange(low, high);
    xAxis->applyNiceNumbers();
    yAxis->setRange(0, top);
    yAxis->applyNiceNumbers();
    return chart;
}

}  // namespace lodra
