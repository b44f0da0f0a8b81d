#include "ui/handoverreport.h"

#include <QChart>
#include <QDate>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <string_view>

#include "calc/parameters.h"
#include "ui/comparisonmodel.h"
#include "ui/cyclecharts.h"
#include "ui/cyclemodel.h"
#include "ui/spreadpage.h"

namespace lodra {

namespace {

// The cycle table's columns of what a felling gave, for the cycles that felled trees: the
// year, then from the felled trees to their discounted net.
const std::vector<int> kFellingColumns = {0, 6, 7, 8, 9, 10, 11};

// Chart text in points: at least 8 on paper.
constexpr double kChartPoints = 9;

// The charts' text set in the document's unit, so that it prints at kChartPoints.
void setChartFonts(QChart* chart) {
    QFont font = chart->legend()->font();
    font.setPixelSize(static_cast<int>(std::lround(kChartPoints * 96 / 72)));
    chart->legend()->setFont(font);
    QFont bold = font;
    bold.setBold(true);
    chart->setTitleFont(bold);
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsFont(font);
        axis->setTitleFont(bold);
    }
}

void addStand(Handover& doc, const HandoverFacts& facts) {
    doc.addParagraph(QStringLiteral("Datum: ") + QDate::currentDate().toString(Qt::ISODate));
    if (!facts.standName.isEmpty()) {
        doc.addParagraph(QStringLiteral("Bestånd: ") + facts.standName);
    }
    if (!facts.standFile.isEmpty()) {
        doc.addParagraph(QStringLiteral("Beståndsfil: ") + facts.standFile);
    }
}

// Every column of a model, its row header first.
std::vector<int> allColumns(const QAbstractItemModel& model) {
    std::vector<int> columns(static_cast<std::size_t>(model.columnCount()) + 1);
    std::iota(columns.begin(), columns.end(), HandoverTable::kRowHeader);
    return columns;
}

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What the comparison's marking means; the cells are marked as the window marks them.
QString bestPairNote() {
    return QStringLiteral(
        "Fet stil på färgad botten: det högsta nuvärdet vid räntekravet, av "
        "båda åtgärderna och alla antal cykler.");
}

}  // namespace

QImage reportChartImage(QChart* chart, QSizeF size) {
    setChartFonts(chart);
    QGraphicsScene scene;  // owns the chart from here
    scene.addItem(chart);
    const QRectF area(QPointF(), size);
    chart->setGeometry(area);
    chart->layout()->activate();
    scene.setSceneRect(area);
    constexpr double kRatio = 3;
    QImage image((size * kRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, area, area);
    painter.end();
    return image;
}

std::vector<std::pair<QString, QString>> economicFigures(const QString& resultat) {
    // The six economic results end the text: two lines above the line of dashes, the rest
    // under it. Each is a label and a value with its unit, "=" between them when there is one.
    const QStringList lines = QString(resultat).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    const auto dashes = std::find_if(lines.begin(), lines.end(), [](const QString& line) {
        return line.size() > 10 && line.count(QLatin1Char('-')) == line.size();
    });
    if (dashes == lines.end() || dashes - lines.begin() < 2) {
        return {};
    }
    std::vector<std::pair<QString, QString>> figures;
    for (auto it = dashes - 2; it != lines.end(); ++it) {
        if (it == dashes || it->trimmed().isEmpty()) {
            continue;
        }
        // "Label = value unit", or "Label value unit" without "=".
        static const QRegularExpression unequal(QStringLiteral("^(.*?)\\s(-?\\d.*)$"));
        const qsizetype equals = it->lastIndexOf(QLatin1Char('='));
        const QRegularExpressionMatch match = unequal.match(*it);
        if (equals < 0 && !match.hasMatch()) {
            return {};
        }
        const QString label = equals >= 0 ? it->left(equals) : match.captured(1);
        const QString figure = equals >= 0 ? it->mid(equals + 1) : match.captured(2);
        figures.emplace_back(label.simplified(), figure.simplified());
    }
    return figures;
}

std::unique_ptr<Handover> HandoverReport::document() const {
    auto doc = std::make_unique<Handover>(QStringLiteral("Beståndskalkyl"));
    addStand(*doc, sources_.facts);
    addSummary(*doc);
    addTexts(*doc);
    addComparison(*doc);
    addSpread(*doc);
    return doc;
}

// The first page: the economic results, the present value largest, and the development chart.
void HandoverReport::addSummary(Handover& doc) const {
    const auto figures = economicFigures(sources_.facts.resultat);
    if (!figures.empty()) {
        doc.addHeading(QStringLiteral("Resultat i sammandrag"));
        doc.addFigures(figures);
    }
    const std::vector<CycleRow>& rows = sources_.cycles->rows();
    if (!rows.empty()) {
        const QSizeF area = Handover::textArea();
        doc.addImage(QStringLiteral("Beståndets utveckling"),
                     reportChartImage(developmentChart(rows, sources_.numbers),
                                      {area.width(), area.height() * 0.56}));
    }
}

// The texts of the latest calculation and its fellings.
void HandoverReport::addTexts(Handover& doc) const {
    const HandoverFacts& facts = sources_.facts;
    if (!facts.indata.isEmpty()) {
        doc.addReportText(QStringLiteral("Indata"), facts.indata);
        doc.addReportText(QStringLiteral("Resultat"), facts.resultat);
    }
    const std::vector<CycleRow>& rows = sources_.cycles->rows();
    if (!rows.empty()) {
        doc.addTable({QStringLiteral("Avverkningar"),
                      {},
                      {{sources_.cycles, kFellingColumns, {}}},
                      [&rows](int row) { return rows[static_cast<std::size_t>(row)].avvTrad > 0; },
                      {}});
    }
}

// Under a variation the page's own explanation: how many runs each cell is the mean of, and
// which top cells cannot be told apart.
QString HandoverReport::comparisonNote() const {
    const std::optional<MeasureComparison>& comparison = sources_.comparison[0]->comparison();
    if (!comparison || !comparison->varied) {
        return bestPairNote();
    }
    return comparisonText(*comparison, sources_.numbers.decimalPoint().at(0).toLatin1());
}

// Both measures' grids of the comparison side by side, when one was calculated.
void HandoverReport::addComparison(Handover& doc) const {
    HandoverTable table{QStringLiteral("Nuvärde (kr/ha) vid antal cykler till avverkning och "
                                       "räntekrav"),
                        {},
                        {},
                        [](int) { return true; },
                        comparisonNote()};
    for (int measure = 0; measure < MeasureComparison::kMeasures; ++measure) {
        const ComparisonModel& model = *sources_.comparison[static_cast<std::size_t>(measure)];
        if (!model.comparison()) {
            return;
        }
        std::vector<int> columns = allColumns(model);
        if (measure > 0) {
            columns.erase(columns.begin());  // the rows are named once, on the left
        }
        table.groups.push_back({&model, columns, fromView(nameOf(static_cast<Measure>(measure)))});
    }
    doc.addTable(table);
}

// The spread's statistics and histogram, when one was calculated.
void HandoverReport::addSpread(Handover& doc) const {
    if (!sources_.spread->spread()) {
        return;
    }
    const QAbstractItemModel& model = *sources_.spreadTable;
    doc.addTable({QStringLiteral("Spridning"),
                  sources_.spreadText,
                  {{&model, allColumns(model), {}}},
                  [](int) { return true; },
                  sources_.histogramText.value_or(QString())});
    if (!sources_.histogramText) {
        const QSizeF area = Handover::textArea();
        doc.addImage(QStringLiteral("Nuvärdets fördelning"),
                     reportChartImage(sources_.spread->histogram(),
                                      {area.width() * 0.8, area.height() * 0.5}));
    }
}

}  // namespace lodra
