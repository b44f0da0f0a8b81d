#include "ui/handoverreport.h"

#include <QChartView>
#include <QDate>
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

// A chart drawn at a size of its own, whatever the window shows.
QImage chartImage(QChart* chart) {
    QChartView view(chart);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(1400, 560);
    return view.grab().toImage();
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
    std::iota(columns.begin(), columns.end(), Handover::kRowHeader);
    return columns;
}

}  // namespace

std::unique_ptr<Handover> HandoverReport::document() const {
    auto doc = std::make_unique<Handover>(QStringLiteral("Beståndskalkyl"));
    addStand(*doc, sources_.facts);
    addCalculation(*doc);
    addComparison(*doc);
    addSpread(*doc);
    return doc;
}

// The texts of the latest calculation, its development chart and its fellings.
void HandoverReport::addCalculation(Handover& doc) const {
    const HandoverFacts& facts = sources_.facts;
    if (!facts.indata.isEmpty()) {
        doc.addHeading(QStringLiteral("Indata"));
        doc.addFixedText(facts.indata);
        doc.addHeading(QStringLiteral("Resultat"));
        doc.addFixedText(facts.resultat);
    }
    const std::vector<CycleRow>& rows = sources_.cycles->rows();
    if (!rows.empty()) {
        doc.addImage(QStringLiteral("Beståndets utveckling"),
                     chartImage(developmentChart(rows, sources_.numbers)));
        doc.addTable(QStringLiteral("Avverkningar"), *sources_.cycles, kFellingColumns,
                     [&rows](int row) { return rows[static_cast<std::size_t>(row)].avvTrad > 0; });
    }
}

// Both measures' grids of the comparison, when one was calculated.
void HandoverReport::addComparison(Handover& doc) const {
    for (int measure = 0; measure < MeasureComparison::kMeasures; ++measure) {
        const ComparisonModel& model = *sources_.comparison[static_cast<std::size_t>(measure)];
        if (!model.comparison()) {
            return;
        }
        const std::string_view name = nameOf(static_cast<Measure>(measure));
        doc.addTable(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
                         QStringLiteral(": nuvärde (kr/ha) vid antal cykler till avverkning "
                                        "och räntekrav"),
                     model, allColumns(model), [](int) { return true; });
    }
}

// The spread's statistics and histogram, when one was calculated.
void HandoverReport::addSpread(Handover& doc) const {
    if (!sources_.spread->spread()) {
        return;
    }
    const QAbstractItemModel& model = *sources_.spreadTable;
    doc.addParagraph(sources_.spreadText);
    doc.addTable(QStringLiteral("Spridning"), model, allColumns(model), [](int) { return true; });
    if (!sources_.histogramText) {
        doc.addImage(QStringLiteral("Nuvärdets fördelning"),
                     chartImage(sources_.spread->histogram()));
    } else {
        doc.addParagraph(*sources_.histogramText);
    }
}

}  // namespace lodra
