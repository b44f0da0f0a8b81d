// The property window: a register opened from the menu and from the pick list, calculated in
// the background, its tables sorted, a stand opened by a double-click, and the tables and
// the report saved as the batch tool writes them.

#include <QChartView>
#include <QHeaderView>
#include <QProcess>
#include <QProgressBar>
#include <QTableView>
#include <QtTest>
#include <cstdio>
#include <random>
#include <sstream>

#include "batch/batchrun.h"
#include "files/resultfile.h"
#include "report/propertycsv.h"
#include "tests/ui/uitest.h"
#include "ui/forfastighet.h"
#include "ui/propertychart.h"
#include "ui/propertymodel.h"
#include "ui/run.h"
#include "ui/standchooser.h"
#include "ui/standmenu.h"

using lodra::forFastighet;
using lodra::PropertyStandModel;
using uitest::child;
using uitest::click;
using uitest::FileDialogAnswer;
using uitest::readBytes;

namespace {

// Stands of every kind: with and without an area, one refused, some with a variation.
std::string registerText(bool withArea, int stands = 40) {
    std::mt19937 random(27);
    std::uniform_int_distribution<int> pick(0, 9);
    const char* const species[] = {"Tall", "Gran", "Löv"};
    const char* const measures[] = {"Gallring och plockhuggning", "Kalavverkning"};
    std::ostringstream csv;
    csv << "bestand;" << (withArea ? "hektar;" : "")
        << "tradslag;atgard;ranta;variation;totaltid;dia1;avv1;dia2;dia3\n";
    for (int i = 0; i < stands; ++i) {
        const int k = pick(random);
        csv << "Skifte " << i << ';';
        if (withArea) {
            csv << (k == 0 ? "" : std::to_string(k * 1.7 + i % 3)) << ';';
        }
        csv << species[k % 3] << ';' << measures[pick(random) % 2] << ';'
            << (i == 7 ? "abc" : std::to_string(2 + pick(random) % 4)) << ';'
            << (i % 5 == 0 ? 10 : 0) << ';' << 40 + 20 * pick(random) << ';'
            << 12 + 4 * pick(random) << ";x;" << 20 + 3 * pick(random) << ';' << 30 << "\n";
    }
    return csv.str();
}

}  // namespace

class ForFastighetTest : public uitest::ParametersWindowTest {
    Q_OBJECT

    QString file_;

    void writeRegister(bool withArea, int stands = 40) {
        file_ = folder->filePath(QStringLiteral("fastighet.csv"));
        QFile file(file_);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(registerText(withArea, stands)));
    }

    // Writes the register and opens it through "Arkiv → Öppna fastighet…"; waits for the
    // calculation by its job's finished signal.
    forFastighet* openProperty(bool withArea) {
        writeRegister(withArea);
        FileDialogAnswer answer(file_);
        window->findChild<QAction*>(QStringLiteral("mnuOppnaFastighet"))->trigger();
        return waitForProperty();
    }

    forFastighet* waitForProperty() {
        forFastighet* property = window->run().existingFastighet();
        if (property == nullptr) {
            return nullptr;
        }
        QSignalSpy finished(&property->calculation(), &lodra::BackgroundJob::finished);
        if (property->calculation().isRunning()) {
            finished.wait(60000);
        }
        return property->calculation().isRunning() ? nullptr : property;
    }

    // Recalculates with this seed, typed in and "Beräkna igen" clicked.
    void recalculate(forFastighet& property, const QString& seed) {
        uitest::type(child<QLineEdit>(&property, "txtFro"), seed);
        QSignalSpy finished(&property.calculation(), &lodra::BackgroundJob::finished);
        click(&property, "cmdBerakna");
        QVERIFY(finished.wait(60000));
    }

    // What the batch tool writes of the register with --table and --estate and the seed.
    std::pair<std::string, std::string> batchFiles(std::uint64_t seed) {
        lodra::batch::Arguments arguments;
        arguments.stands = file_.toStdString();
        arguments.output = folder->filePath(QStringLiteral("batch.txt")).toStdString();
        arguments.table = folder->filePath(QStringLiteral("batch-table.csv")).toStdString();
        arguments.estate = folder->filePath(QStringLiteral("batch-estate.csv")).toStdString();
        arguments.seed = seed;
        std::FILE* err = std::tmpfile();
        lodra::batch::runBatch(arguments, '.', lodra::batch::RunStreams{err, err, false, {}});
        std::fclose(err);
        return {readBytes(QString::fromStdString(*arguments.table)),
                readBytes(QString::fromStdString(*arguments.estate))};
    }

  private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    // The register's stands and totals as the window says them, the stands left out counted;
    // without any area nothing is summed and the window says why.
    void opensTheRegisterWithItsTotals_data() {
        QTest::addColumn<bool>("withArea");
        QTest::addColumn<QString>("areaLine");  // how the line on the areas begins
        QTest::newRow("some without an area") << true << "%1 bestånd saknar hektar";
        QTest::newRow("none with an area") << false << "Inget bestånd har hektar";
    }
    void opensTheRegisterWithItsTotals() {
        QFETCH(bool, withArea);
        QFETCH(QString, areaLine);
        forFastighet* property = openProperty(withArea);
        QVERIFY(property != nullptr);
        QVERIFY(property->isVisible());
        QCOMPARE(property->windowTitle(), QStringLiteral("Lodra05 - Fastighet"));
        QCOMPARE(property->standModel().rowCount(), 40);
        const lodra::PropertyTotals& totals = property->totals();
        QCOMPARE(totals.refused, 1);
        QCOMPARE(totals.calculated + totals.refused + totals.stopped, 40);
        QVERIFY(totals.withoutHektar > 0);
        QCOMPARE(totals.withoutHektar == 40, !withArea);
        const QString said = child<QLabel>(property, "lblSummering")->text();
        QVERIFY2(said.contains(QStringLiteral("Avvisade: 1.")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("Utan hektar: %1.").arg(totals.withoutHektar)),
                 qPrintable(said));
        QVERIFY(child<QLabel>(property, "lblUtanHektar")
                    ->text()
                    .startsWith(areaLine.replace(QStringLiteral("%1"),
                                                 QString::number(totals.withoutHektar))));
        // The flow's present values add up to the property's, within 1 kr; no flow unsummed.
        QVERIFY(std::abs(totals.flow().total().nuvarde - totals.value) < 1);
        QCOMPARE(property->flowModel().rowCount(),
                 withArea ? static_cast<int>(totals.flow().years().size()) + 1 : 0);
        // A stand varies its growth: the seed shows.
        QVERIFY(child<QLineEdit>(property, "txtFro")->isVisible());
    }

    // Clicking a header sorts by the figure, not by its text; the refused stand's message
    // and the stands without an area sort as empty cells.
    void sortsByAnyColumnAsNumbers_data() {
        QTest::addColumn<int>("column");
        QTest::newRow("Rad") << int(PropertyStandModel::kRad);
        QTest::newRow("Hektar") << int(PropertyStandModel::kHektar);
        QTest::newRow("NUVÄRDE kr/ha") << int(PropertyStandModel::kNuvardeHa);
        QTest::newRow("NUVÄRDE kr") << int(PropertyStandModel::kNuvardeKr);
        QTest::newRow("År mellan") << int(PropertyStandModel::kArMellan);
        QTest::newRow("Bestånd") << int(PropertyStandModel::kBestand);
    }
    void sortsByAnyColumnAsNumbers() {
        QFETCH(int, column);
        forFastighet* property = openProperty(true);
        QVERIFY(property != nullptr);
        auto* table = child<QTableView>(property, "tblBestand");
        QHeaderView* header = table->horizontalHeader();
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            for (int clicks = 0; clicks < 3 && (header->sortIndicatorSection() != column ||
                                                header->sortIndicatorOrder() != order);
                 ++clicks) {
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                                  QPoint(header->sectionViewportPosition(column) +
                                             header->sectionSize(column) / 2,
                                         header->height() / 2));
            }
            QCOMPARE(header->sortIndicatorOrder(), order);
            const QAbstractItemModel* model = table->model();
            for (int row = 1; row < model->rowCount(); ++row) {
                const QVariant a = model->index(row - 1, column).data(lodra::kSortRole);
                const QVariant b = model->index(row, column).data(lodra::kSortRole);
                if (!a.isValid() || !b.isValid()) {
                    continue;
                }
                const bool ordered =
                    a.typeId() == QMetaType::QString
                        ? (order == Qt::AscendingOrder ? a.toString() <= b.toString()
                                                       : a.toString() >= b.toString())
                        : (order == Qt::AscendingOrder ? a.toDouble() <= b.toDouble()
                                                       : a.toDouble() >= b.toDouble());
                QVERIFY2(ordered, qPrintable(model->index(row - 1, column).data().toString() +
                                             " / " + model->index(row, column).data().toString()));
            }
        }
    }

    // A double-click on a row opens that stand of the register in the parameters window.
    void doubleClickOpensTheStand() {
        forFastighet* property = openProperty(true);
        QVERIFY(property != nullptr);
        auto* table = child<QTableView>(property, "tblBestand");
        table->sortByColumn(PropertyStandModel::kNuvardeKr, Qt::DescendingOrder);
        const QModelIndex second = table->model()->index(1, PropertyStandModel::kBestand);
        const QString name = second.data().toString();
        QSignalSpy opened(&window->standMenu(), &lodra::StandMenu::openEnded);
        const QPoint at = table->visualRect(second).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(opened.wait(30000));
        QCOMPARE(child<QLineEdit>(window.get(), "txtBestand")->text(), name);
    }

    // The stand table and the flow saved are the bytes of the batch tool's --table and
    // --estate for the same register and seed; the chart is a PNG.
    void savesWhatTheBatchToolWrites() {
        forFastighet* property = openProperty(true);
        QVERIFY(property != nullptr);
        recalculate(*property, QStringLiteral("4711"));
        const auto [table, estate] = batchFiles(4711);
        QVERIFY(!table.empty() && !estate.empty());
        const struct {
            const char* button;
            const char* name;
            std::string expected;
        } saves[] = {{"cmdSparaTabell", "tabell.csv", table},
                     {"cmdSparaFlode", "flode.csv", estate}};
        for (const auto& save : saves) {
            const QString path = folder->filePath(QString::fromLatin1(save.name));
            FileDialogAnswer answer(path);
            click(property, save.button);
            QCOMPARE(readBytes(path), save.expected);
        }
        const QString png = folder->filePath(QStringLiteral("diagram.png"));
        FileDialogAnswer answer(png);
        click(property, "cmdSparaDiagram");
        QVERIFY(!QImage(png).isNull());
    }

    // The report holds the totals as the window says them, and its stand table's rows whole.
    void pdfHoldsTheTotals() {
        forFastighet* property = openProperty(true);
        QVERIFY(property != nullptr);
        const QString pdf = folder->filePath(QStringLiteral("rapport.pdf"));
        FileDialogAnswer answer(pdf);
        click(property, "cmdSparaPdf");
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString layout = QString::fromUtf8(text.readAllStandardOutput());
        // The table's cells are never wrapped: a measure's name stays on its row's line.
        for (const QString& line : layout.split(QLatin1Char('\n'))) {
            QVERIFY2(line.contains(QStringLiteral("Gallring")) ==
                         line.contains(QStringLiteral("plockhuggning")),
                     qPrintable(line));
        }
        QVERIFY(layout.count(QStringLiteral("Sida ")) > 2);  // the table goes over pages
        const QString said = layout.simplified();
        QVERIFY(said.startsWith(QStringLiteral("Fastighetsrapport")));
        for (const QString& line : property->totalsText().split(QLatin1Char('\n'))) {
            QVERIFY2(said.contains(line.simplified()), qPrintable(line));
        }
        QVERIFY(said.contains(QStringLiteral("Skifte 39")));
        QVERIFY(said.contains(QStringLiteral("Summa")));
    }

    // "Hela registret" in the pick list shows the register in the property window.
    void pickListOpensTheWholeRegister() {
        writeRegister(true);
        uitest::Answer<lodra::StandChooser> whole(
            [](lodra::StandChooser& chooser) { click(&chooser, "cmdHelaRegistret"); });
        QSignalSpy opened(&window->standMenu(), &lodra::StandMenu::openEnded);
        window->standMenu().open(file_);
        QVERIFY(opened.wait(30000));
        forFastighet* property = waitForProperty();
        QVERIFY(property != nullptr);
        QCOMPARE(property->file(), file_);
        QCOMPARE(property->standModel().rowCount(), 40);
    }

    // A register read and calculated in several parts, on one thread or three, gives the
    // batch tool's tables.
    void aLongRegisterGivesTheBatchToolsTables() {
        writeRegister(true, 9000);
        const auto [table, estate] = batchFiles(99);
        for (const int threads : {1, 3}) {
            lodra::PropertyOptions options;
            options.threads = threads;
            options.seed = 99;
            const lodra::Result<lodra::PropertyResult> result =
                lodra::calculateProperty(file_.toStdString(), options);
            QVERIFY(result);
            QCOMPARE(static_cast<int>(result->stands.size()), 9000);
            QCOMPARE(result->stands.back().row, 9001);
            QVERIFY(result->tableCsv == table);
            QVERIFY(lodra::propertyFlowCsv(result->totals.flow(), '.') == estate);
        }
    }

    // "Avbryt" stops the calculation and nothing is shown; "Beräkna igen" calculates anew.
    void avbrytStopsAndBeraknaIgenStartsAgain() {
        writeRegister(true);
        forFastighet* property = window->run().fastighet();
        property->show();
        QSignalSpy finished(&property->calculation(), &lodra::BackgroundJob::finished);
        property->open(file_);
        QVERIFY(child<QProgressBar>(property, "prgBerakning")->isVisible());
        click(property, "cmdAvbryt");
        QVERIFY(finished.wait(60000));
        QCOMPARE(property->standModel().rowCount(), 0);
        QVERIFY(child<QLabel>(property, "lblSummering")->text().startsWith("Beräkningen avbröts"));
        QVERIFY(!child<QPushButton>(property, "cmdSparaTabell")->isEnabled());
        click(property, "cmdBerakna");
        QVERIFY(finished.wait(60000));
        QCOMPARE(property->standModel().rowCount(), 40);
        QVERIFY(child<QPushButton>(property, "cmdSparaTabell")->isEnabled());
    }

    // The bars are years, or decades for a long horizon, each year's figures in its bar and
    // the bars without fellings there, empty.
    void barsByYearOrDecade_data() {
        QTest::addColumn<QList<int>>("years");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QList<double>>("volumes");  // each year felled its year + 1
        QTest::newRow("years") << QList<int>{0, 1, 5, 20}
                               << QStringList{"0", "1", "5", "10", "15", "20"}
                               << QList<double>{1, 2, 6, 0, 0, 21};
        QTest::newRow("60 years, yearly")
            << QList<int>{0, 60} << QStringList{"0",  "1",  "5",  "10", "15", "20", "25",
                                                "30", "35", "40", "45", "50", "55", "60"}
            << QList<double>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 61};
        QTest::newRow("65 years, by decade")
            << QList<int>{0, 1, 65}
            << QStringList{"0–9", "10–19", "20–29", "30–39", "40–49", "50–59", "60–69"}
            << QList<double>{3, 0, 0, 0, 0, 0, 66};
        QTest::newRow("decades") << QList<int>{0, 1, 5, 10, 15, 75}
                                 << QStringList{"0–9",   "10–19", "20–29", "30–39",
                                                "40–49", "50–59", "60–69", "70–79"}
                                 << QList<double>{9, 27, 0, 0, 0, 0, 0, 76};
        QTest::newRow("115 years, decades spelled out")
            << QList<int>{0, 115}
            << QStringList{"0–9",   "10–19", "20–29", "30–39", "40–49",   "50–59",
                           "60–69", "70–79", "80–89", "90–99", "100–109", "110–119"}
            << QList<double>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 116};
        QTest::newRow("120 years, decades by their first year")
            << QList<int>{0, 120} << QStringList{"0",  "10", "20", "30",  "40",  "50", "60",
                                                 "70", "80", "90", "100", "110", "120"}
            << QList<double>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 121};
    }
    void barsByYearOrDecade() {
        QFETCH(QList<int>, years);
        QFETCH(QStringList, labels);
        QFETCH(QList<double>, volumes);
        std::vector<lodra::FlowYear> flow;
        for (const int ar : years) {
            flow.push_back({ar, ar + 1.0, 100, 30, 0});
        }
        QStringList said;
        QList<double> felled;
        double kassa = 0;
        for (const lodra::FlowPeriod& period : lodra::flowPeriods(flow)) {
            said << period.label;
            felled << period.volym;
            kassa += period.kassaflode;
        }
        QCOMPARE(said, labels);
        QCOMPARE(felled, volumes);
        QCOMPARE(kassa, 70.0 * static_cast<double>(years.size()));
    }
};

QTEST_MAIN(ForFastighetTest)
#include "forfastighet_test.moc"
