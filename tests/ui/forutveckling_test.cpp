// The development window: the cycle table and chart of a calculation, saving them through
// the file dialog, and the comparison run in the background with its progress and "Avbryt".

#include <QChartView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <tuple>

#include "files/resultfile.h"
#include "report/cyclecsv.h"
#include "report/numbertext.h"
#include "report/spreadcsv.h"
#include "tests/ui/uitest.h"
#include "ui/comparisonmodel.h"
#include "ui/cyclemodel.h"
#include "ui/forutveckling.h"
#include "ui/spreadpage.h"

using lodra::CycleRow;
using lodra::forUtveckling;
using lodra::InputRecord;
using uitest::child;
using uitest::click;
using uitest::FileDialogAnswer;

Q_DECLARE_METATYPE(InputRecord)

namespace {

// The cycle rows of a calculation of the entries.
std::vector<CycleRow> rowsOf(const InputRecord& input, char separator) {
    lodra::Session session(separator);
    lodra::CycleRecord record;
    lodra::CalcOptions options;
    options.cycleRecord = &record;
    if (!session.berakna(input, options).ok()) {
        return {};
    }
    return record.rows;
}

// The look of the windows at the desktop's font and the factor they are drawn at.
lodra::WindowLook designedLook() {
    return {QApplication::font(), lodra::WindowLook::kDesignedPixelsPerTwip};
}

// A stand of the default entries but these; maxRing 100 over 32000 years makes a comparison
// slow enough to be stopped.
InputRecord withHorizon(const char* totaltid, const char* maxRing = "5") {
    InputRecord input;
    input.totaltid = totaltid;
    input.maxRing = maxRing;
    return input;
}

}  // namespace

class ForUtvecklingTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> temporary;
    std::unique_ptr<forUtveckling> window;
    char separator_ = '.';  // of the window's number format

    QString path(const QString& name) const { return temporary->filePath(name); }

    // The window is made anew for a number format other than its own.
    void open(char separator) {
        window = std::make_unique<forUtveckling>(designedLook(), uitest::numberFormat(separator));
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        separator_ = separator;
    }

    void show(const InputRecord& input, char separator, double nuvarde = 157661) {
        if (separator != separator_) {
            open(separator);
        }
        window->showCalculation(input, rowsOf(input, separator), nuvarde);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

  private slots:
    void init() {
        temporary = std::make_unique<QTemporaryDir>();
        QVERIFY(temporary->isValid());
        // Save dialogs open in the working folder until the run has saved somewhere.
        QVERIFY(QDir::setCurrent(temporary->path()));
        open('.');
    }
    void cleanup() { window.reset(); }

    // Nothing compares or spreads before a calculation; each window draws its own seed.
    void opensEmpty() {
        QCOMPARE(window->cycleModel().rowCount(), 0);
        for (const char* button : {"cmdJamfor", "cmdSparaTabell", "cmdBeraknaSpridning"}) {
            QVERIFY2(!child<QPushButton>(window.get(), button)->isEnabled(), button);
        }
        const QString seed = child<QLineEdit>(window.get(), "txtFro")->text();
        bool number = false;
        seed.toULongLong(&number);
        QVERIFY(number);
        const forUtveckling other(designedLook(), uitest::numberFormat('.'));
        QVERIFY(seed != child<QLineEdit>(&other, "txtFro")->text());
    }

    void showsOneRowPerCycle_data() {
        QTest::addColumn<InputRecord>("input");
        QTest::addColumn<char>("separator");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("firstRow");
        QTest::newRow("250 years")
            << InputRecord{} << '.' << 50 << "5|1.96|189.2|209.2|36.26||||||||0";
        QTest::newRow("251 years, comma")
            << withHorizon("251") << ',' << 51 << "5|1,96|189,2|209,2|36,26||||||||0";
    }
    void showsOneRowPerCycle() {
        QFETCH(InputRecord, input);
        QFETCH(char, separator);
        QFETCH(int, rows);
        QFETCH(QString, firstRow);
        show(input, separator);
        auto* table = child<QTableView>(window.get(), "tblCykler");
        QAbstractItemModel* model = table->model();
        QCOMPARE(model->rowCount(), rows);
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column) {
            cells << model->index(0, column).data().toString();
            QCOMPARE(model->headerData(column, Qt::Horizontal).toString().toStdString(),
                     std::string(lodra::kCycleColumnNames[static_cast<std::size_t>(column)]));
        }
        QCOMPARE(cells.join(QLatin1Char('|')), firstRow);
        const auto align = model->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
        QVERIFY(align & Qt::AlignRight);
        QVERIFY(child<QPushButton>(window.get(), "cmdJamfor")->isEnabled());
    }

    // The third cycle of the default stand fells the tree that has grown past the felling
    // diameter: the row shows it at year 15, the cycle's end, where the chart marks it. The
    // sixth could fell but finds no tree past the diameter.
    void showsTheFelling() {
        show(InputRecord{}, '.');
        const QAbstractItemModel* model = &window->cycleModel();
        QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("15"));
        QCOMPARE(model->index(2, 5).data().toString(), QStringLiteral("ja"));
        QCOMPARE(model->index(2, 6).data().toString(), QStringLiteral("200"));
        QCOMPARE(model->index(1, 5).data().toString(), QString());
        QCOMPARE(model->index(5, 5).data().toString(), QStringLiteral("ingen"));
        QCOMPARE(model->index(5, 6).data().toString(), QString());
        auto* chart = child<QChartView>(window.get(), "chvUtveckling")->chart();
        QCOMPARE(chart->series().size(), 3);
    }

    void savesTheTable_data() {
        QTest::addColumn<char>("separator");
        QTest::newRow("dot") << '.';
        QTest::newRow("comma") << ',';
    }
    void savesTheTable() {
        QFETCH(char, separator);
        show(InputRecord{}, separator);
        const QString file = path(QStringLiteral("cykler.csv"));
        FileDialogAnswer answer(file);
        uitest::MessageCatcher catcher;
        click(window.get(), "cmdSparaTabell");
        QCOMPARE(answer.title, QStringLiteral("Spara tabell"));
        QVERIFY(catcher.messages.empty());
        QCOMPARE(uitest::readBytes(file), lodra::cycleCsv(window->cycleModel().rows(), separator));
        QCOMPARE(child<QLabel>(window.get(), "lblSparad")->toolTip(),
                 QStringLiteral("Sparades i ") + file);
    }

    void savesTheChart() {
        show(InputRecord{}, '.');
        const QString file = path(QStringLiteral("diagram.png"));
        FileDialogAnswer answer(file);
        click(window.get(), "cmdSparaDiagram");
        QImage image;
        QVERIFY(image.load(file, "PNG"));
        QVERIFY(image.width() > 100 && image.height() > 100);
    }

    // A folder that does not exist: the save tells why, as the other saves do, and leaves
    // no file.
    void failedSaveIsReported() {
        show(InputRecord{}, '.');
        const QString file = path(QStringLiteral("saknas/cykler.csv"));
        const std::string expected = lodra::writeFileReplacing(file.toStdString(), "x").message();
        QVERIFY(!expected.empty());
        FileDialogAnswer answer(file);
        uitest::MessageCatcher catcher;
        click(window.get(), "cmdSparaTabell");
        QCOMPARE(catcher.messages.size(), 1u);
        QCOMPARE(catcher.messages[0].text, QString::fromStdString(expected));
        QCOMPARE(catcher.messages[0].title, QStringLiteral("Lodra05"));
        QVERIFY(!QFile::exists(file));
    }

    void comparesChoices() {
        show(InputRecord{}, ',');
        uitest::compare(*window);
        const lodra::ComparisonModel& model = window->comparisonModel(0);
        const lodra::ComparisonModel& kal = window->comparisonModel(1);
        QCOMPARE(child<QTableView>(window.get(), "tblJamforelseKal")->model(), &kal);
        QCOMPARE(model.rowCount(), 11);
        QCOMPARE(model.columnCount(), 4);
        QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("157661"));
        const lodra::MeasureComparison& both = *model.comparison();
        QCOMPARE(kal.index(2, 1).data().toString().toStdString(),
                 lodra::patternText(*both.grids[1].nuvarde[2][1], "######0", ','));
        // Each rate's best pair is marked once, in the grid of its measure.
        for (int rate = 0; rate < 4; ++rate) {
            int marked = 0;
            for (const lodra::ComparisonModel* grid : {&model, &kal}) {
                for (int interval = 0; interval < 11; ++interval) {
                    marked += grid->index(interval, rate).data(Qt::FontRole).value<QFont>().bold();
                }
            }
            QCOMPARE(marked, 1);
            const lodra::MeasureComparison::Best best = both.best(rate);
            const lodra::ComparisonModel* grid = best.measure == 0 ? &model : &kal;
            QVERIFY(grid->isBest(best.interval, rate));
        }
        QCOMPARE(child<QTabWidget>(window.get(), "tabUtveckling")->currentWidget()->objectName(),
                 QStringLiteral("tabJamforelse"));
        // A line per measure and rate, and the marks.
        QCOMPARE(child<QChartView>(window.get(), "chvJamforelse")->chart()->series().size(), 9);

        // On the comparison's page, "Spara tabell" saves the comparison.
        const QString file = path(QStringLiteral("jamforelse.csv"));
        FileDialogAnswer answer(file);
        click(window.get(), "cmdSparaTabell");
        QCOMPARE(uitest::readBytes(file), lodra::measureComparisonCsv(both, ','));
    }

    // The figures shown and saved are those of the spread from the entered seed.
    void spreadsFromTheSeed() {
        InputRecord input;
        input.variation = "100";
        show(input, ',');
        uitest::spread(*window, QStringLiteral("18446744073709551615"), 300);
        lodra::SpreadOptions options;
        options.seed = 18446744073709551615u;
        options.runs = 300;
        const lodra::Result<lodra::Spread> expected = lodra::computeSpread(input, ',', options);
        QVERIFY(expected.ok());
        QCOMPARE(child<QLabel>(window.get(), "lblSpridning")->text(),
                 QStringLiteral("300 körningar beräknades, 0 stoppades."));
        auto* table = child<QTableWidget>(window.get(), "tblSpridning");
        const lodra::SpreadStatistics& nuvarde = expected->nuvarde;
        // {row, column, value, pattern}
        const std::tuple<int, int, double, const char*> cells[] = {
            {0, 0, nuvarde.mean, "######0"},       {1, 0, *nuvarde.sd, "######0"},
            {2, 0, nuvarde.min, "######0"},        {4, 0, nuvarde.p10, "######0"},
            {8, 0, nuvarde.max, "######0"},        {5, 1, expected->arMellan.p50, "##0.0"},
            {6, 2, expected->volAvv.p90, "##0.0"},
        };
        for (const auto& [row, column, value, pattern] : cells) {
            QCOMPARE(table->item(row, column)->text().toStdString(),
                     lodra::patternText(value, pattern, ','));
        }
        QVERIFY(child<QChartView>(window.get(), "chvSpridning")->isVisible());
        QCOMPARE(child<QChartView>(window.get(), "chvSpridning")->chart()->series().size(), 5);

        const QString csv = path(QStringLiteral("spridning.csv"));
        FileDialogAnswer answerTable(csv);
        click(window.get(), "cmdSparaTabell");
        QCOMPARE(uitest::readBytes(csv), lodra::spreadRunsCsv(*expected, ','));
        const QString png = path(QStringLiteral("spridning.png"));
        FileDialogAnswer answerChart(png);
        click(window.get(), "cmdSparaDiagram");
        QImage image;
        QVERIFY(image.load(png, "PNG"));
    }

    // Without variation every run is the same: one line says so, no chart is drawn.
    void spreadWithoutVariationSaysSo() {
        show(InputRecord{}, '.');
        uitest::spread(*window, QStringLiteral("7"), 20);
        QCOMPARE(child<QLabel>(window.get(), "lblHistogram")->text(),
                 QStringLiteral("Alla körningar gav samma nuvärde, 157661 kr/ha: den slumpmässiga "
                                "ändringen av diametern påverkade inte resultatet."));
        QVERIFY(child<QLabel>(window.get(), "lblHistogram")->isVisible());
        QVERIFY(!child<QChartView>(window.get(), "chvSpridning")->isVisible());
    }

    // A seed that is no 64-bit number is refused before anything runs; "Avbryt" stops a
    // spread, which then shows nothing.
    void spreadRefusesABadSeedAndCanBeStopped() {
        // At 2 % the long horizon does not overflow: the runs take long enough to stop.
        InputRecord slow = withHorizon("32000", "100");
        slow.ranta = "2";
        window->showCalculation(slow, {}, 0);
        window->show();
        uitest::clickTab(window.get(), "tabSpridning");
        for (const char* bad : {"abc", "-1", "18446744073709551616", ""}) {
            child<QLineEdit>(window.get(), "txtFro")->setText(QString::fromUtf8(bad));
            uitest::MessageCatcher catcher;
            click(window.get(), "cmdBeraknaSpridning");
            QCOMPARE(catcher.messages.size(), 1u);
            QCOMPARE(catcher.messages[0].text,
                     QStringLiteral("Fröet ska vara ett heltal från 0 till 18446744073709551615."));
        }
        child<QLineEdit>(window.get(), "txtFro")->setText(QStringLiteral("1"));
        child<QSpinBox>(window.get(), "spnKorningar")->setValue(100000);
        QSignalSpy ended(window.get(), &forUtveckling::spreadEnded);
        click(window.get(), "cmdBeraknaSpridning");
        QVERIFY(window->spreadPage().isRunning());
        QVERIFY(child<QProgressBar>(window.get(), "prgSpridning")->isVisible());
        click(window.get(), "cmdAvbrytSpridning");
        QVERIFY(ended.wait(20000));
        QCOMPARE(child<QLabel>(window.get(), "lblSpridning")->text(),
                 QStringLiteral("Spridningen avbröts."));
        QVERIFY(!window->spreadPage().spread().has_value());
        QVERIFY(!child<QPushButton>(window.get(), "cmdAvbrytSpridning")->isVisible());
    }

    // A long horizon with a wide ring search: "Avbryt" stops the comparison, which then
    // shows nothing.
    void cancelsTheComparison() {
        window->showCalculation(withHorizon("32000", "100"), {}, 0);
        window->show();
        QSignalSpy ended(window.get(), &forUtveckling::comparisonEnded);
        click(window.get(), "cmdJamfor");
        QVERIFY(child<QProgressBar>(window.get(), "prgJamfor")->isVisible());
        click(window.get(), "cmdAvbryt");
        QVERIFY(ended.wait(20000));
        QCOMPARE(window->comparisonModel(1).rowCount(), 0);
        QCOMPARE(child<QLabel>(window.get(), "lblJamforelse")->text(),
                 QStringLiteral("Jämförelsen avbröts."));
        QVERIFY(!child<QPushButton>(window.get(), "cmdAvbryt")->isVisible());
    }

    // A new calculation stops a running comparison and takes away the one shown: it was
    // of other entries.
    void newCalculationReplacesTheComparison() {
        show(InputRecord{}, '.');
        uitest::compare(*window);
        QCOMPARE(window->comparisonModel(1).rowCount(), 11);
        show(withHorizon("20"), '.');
        QCOMPARE(window->comparisonModel(1).rowCount(), 0);
        QCOMPARE(window->cycleModel().rowCount(), 4);

        window->showCalculation(withHorizon("32000", "100"), {}, 0);
        click(window.get(), "cmdJamfor");
        QVERIFY(window->isComparing());
        show(InputRecord{}, '.');
        QVERIFY(!window->isComparing());
        QTest::qWait(100);
        QCOMPARE(window->comparisonModel(1).rowCount(), 0);
        QCOMPARE(window->cycleModel().rowCount(), 50);
    }

    // Closed through its frame while comparing: the window stops the comparison and goes.
    void closedThroughFrameWhileComparing() {
        QPointer<forUtveckling> own = new forUtveckling(designedLook(), uitest::numberFormat('.'));
        QSignalSpy closed(own.data(), &forUtveckling::closedThroughFrame);
        own->showCalculation(withHorizon("32000", "100"), {}, 0);
        own->show();
        click(own, "cmdJamfor");
        QVERIFY(own->isComparing());
        own->close();
        uitest::settle();
        QVERIFY(own.isNull());
        QCOMPARE(closed.size(), 1);
    }
};

QTEST_MAIN(ForUtvecklingTest)
#include "forutveckling_test.moc"
