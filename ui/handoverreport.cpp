// The development window's report to hand over: what goes into it, and its saving and
// printing.

#include <QChartView>
#include <QDate>
#include <QPrintDialog>
#include <QPrinter>
#include <numeric>
#include <string_view>

#include "calc/parameters.h"
#include "ui/comparisonmodel.h"
#include "ui/cyclecharts.h"
#include "ui/cyclemodel.h"
#include "ui/forutveckling.h"
#include "ui/spreadpage.h"
#include "ui_forutveckling.h"

namespace lodra {

namespace {

// The cycle table's columns of what a felling gave, for the cycles that felled trees: the
// year, then from the felled trees to their discounted net.
const std::vector<int> kFellingColumns = {0, 6, 7, 8, 9, 10, 11};

// The development chart drawn at a size of its own, whatever the window shows.
QImage chartImage(const std::vector<CycleRow>& rows, const QLocale& numbers) {
    QChartView view(developmentChart(rows, numbers));
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

}  // namespace

// Both measures' grids of the comparison, when one was calculated.
void forUtveckling::addComparison(Handover& doc) const {
    for (int measure = 0; measure < MeasureComparison::kMeasures; ++measure) {
        const ComparisonModel& model = *comparison_[static_cast<std::size_t>(measure)];
        if (!model.comparison()) {
            return;
        }
        std::vector<int> columns(static_cast<std::size_t>(model.columnCount()) + 1);
        std::iota(columns.begin(), columns.end(), Handover::kRowHeader);
        const std::string_view name = nameOf(static_cast<Measure>(measure));
        doc.addTable(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
                         QStringLiteral(": nuvärde (kr/ha) vid antal cykler till avverkning "
                                        "och räntekrav"),
                     model, columns, [](int) { return true; });
    }
}

// The spread's statistics and histogram, when one was calculated.
void forUtveckling::addSpread(Handover& doc) const {
    if (!spread_->spread()) {
        return;
    }
    const QAbstractItemModel& model = *ui->tblSpridning->model();
    std::vector<int> columns(static_cast<std::size_t>(model.columnCount()) + 1);
    std::iota(columns.begin(), columns.end(), Handover::kRowHeader);
    doc.addParagraph(ui->lblSpridning->text());
    doc.addTable(QStringLiteral("Spridning"), model, columns, [](int) { return true; });
    if (!ui->lblHistogram->isVisibleTo(ui->tabSpridning)) {
        QChartView view(spread_->histogram());
        view.setRenderHint(QPainter::Antialiasing);
        view.resize(1400, 560);
        doc.addImage(QStringLiteral("Nuvärdets fördelning"), view.grab().toImage());
    } else {
        doc.addParagraph(ui->lblHistogram->text());
    }
}

std::unique_ptr<Handover> forUtveckling::handover() const {
    auto doc = std::make_unique<Handover>(QStringLiteral("Beståndskalkyl"));
    const HandoverFacts facts = facts_ ? facts_() : HandoverFacts{};
    addStand(*doc, facts);
    if (!facts.indata.isEmpty()) {
        doc->addHeading(QStringLiteral("Indata"));
        doc->addFixedText(facts.indata);
        doc->addHeading(QStringLiteral("Resultat"));
        doc->addFixedText(facts.resultat);
    }
    const std::vector<CycleRow>& rows = cycles_->rows();
    if (!rows.empty()) {
        doc->addImage(QStringLiteral("Beståndets utveckling"), chartImage(rows, numbers_.locale()));
        doc->addTable(QStringLiteral("Avverkningar"), *cycles_, kFellingColumns,
                      [&rows](int row) { return rows[static_cast<std::size_t>(row)].avvTrad > 0; });
    }
    addComparison(*doc);
    addSpread(*doc);
    return doc;
}

void forUtveckling::cmdSparaPdf_Click() {
    const QString path =
        chooseFile(QStringLiteral("Spara som PDF"), QStringLiteral("PDF-filer (*.pdf)"),
                   QStringLiteral("Bestandskalkyl.pdf"));
    if (!path.isEmpty()) {
        save(path, handover()->pdf());
    }
}

void forUtveckling::printReport() {
    if (!haveInput_) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    Handover::setUpPrinter(printer);
    QPrintDialog dialog(&printer, isVisible() ? this : parentWidget());
    dialog.setObjectName(QStringLiteral("lodraPrintDialog"));
    dialog.setWindowTitle(QStringLiteral("Skriv ut"));
    if (dialog.exec() == QDialog::Accepted) {
        handover()->print(printer);
    }
}

}  // namespace lodra
