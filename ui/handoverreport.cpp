// The development window's report to hand over: what goes into it, and its saving and
// printing. The spread and any later section come in through addHandoverSection().

#include <QChartView>
#include <QDate>
#include <QPrintDialog>
#include <QPrinter>
#include <numeric>

#include "ui/comparisonmodel.h"
#include "ui/cyclecharts.h"
#include "ui/cyclemodel.h"
#include "ui/forutveckling.h"
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
        doc->addImage(QStringLiteral("Beståndets utveckling"), chartImage(rows, numbers_));
        doc->addTable(QStringLiteral("Avverkningar"), *cycles_, kFellingColumns,
                      [&rows](int row) { return rows[static_cast<std::size_t>(row)].avvTrad > 0; });
    }
    if (comparison_->grid()) {
        std::vector<int> columns(static_cast<std::size_t>(comparison_->columnCount()));
        std::iota(columns.begin(), columns.end(), 0);
        doc->addTable(QStringLiteral("Nuvärde (kr/ha) vid antal cykler till avverkning och "
                                     "räntekrav"),
                      *comparison_, columns, [](int) { return true; });
    }
    for (const auto& section : sections_) {
        section(*doc);
    }
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
