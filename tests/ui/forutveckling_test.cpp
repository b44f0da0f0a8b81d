// The development window: the cycle table and chart of a calculation, saving them through
// the file dialog, and the comparison run in the background with its progress and "Avbryt".

#include <QChartView>
#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QSet>
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
#include "ui/forresultat.h"
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

// Adds a row of a data table: its tag, then its cells in the order of the columns.
template <typename... Cells>
void row(const char* tag, Cells... cells) {
    (QTest::newRow(tag) << ... << cells);
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
        // A new calculation takes the line away: the file holds the one before.
        show(InputRecord{}, separator);
        QCOMPARE(child<QLabel>(window.get(), "lblSparad")->text(), QString());
        QCOMPARE(child<QLabel>(window.get(), "lblSparad")->toolTip(), QString());
    }

    // The picture saved carries the page's title, with the runs of a spread, over the
    // calculation's heading: drawn across its top and as its "Title" text.
    void savesTheChart_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("view");
        row("development", "tabDiagram", "Beståndets utveckling", QByteArray("chvUtveckling"));
        row("comparison", "tabJamforelse",
            "Jämförelse av nuvärdet för åtgärder, cykler och räntekrav",
            QByteArray("chvJamforelse"));
        row("spread", "tabSpridning", "Nuvärdets fördelning, 20 körningar",
            QByteArray("chvSpridning"));
    }
    void savesTheChart() {
        QFETCH(QString, page);
        QFETCH(QString, title);
        QFETCH(QByteArray, view);
        InputRecord input;
        input.variation = "100";
        window->showCalculation(
            input, rowsOf(input, '.'), 157661,
            {QStringLiteral("Norra"), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))});
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        if (page == "tabJamforelse") {
            uitest::compare(*window);
        } else if (page == "tabSpridning") {
            uitest::spread(*window, QStringLiteral("7"), 20);
        } else {
            uitest::clickTab(window.get(), "tabDiagram");
        }
        const QString file = path(QStringLiteral("diagram.png"));
        FileDialogAnswer answer(file);
        click(window.get(), "cmdSparaDiagram");
        QImage image;
        QVERIFY(image.load(file, "PNG"));
        QCOMPARE(image.text(QStringLiteral("Title")),
                 title + QStringLiteral("\nNorra, beräknat 2026-01-02 03:04:05\nGran, Gallring "
                                        "och plockhuggning, räntekrav 3 %, variation 100 %"));
        // The title drawn in a band above the chart: dark pixels there.
        const int band = image.height() - child<QWidget>(window.get(), view)->height();
        QVERIFY(band > 0);
        int dark = 0;
        for (int y = 0; y < band; ++y) {
            for (int x = 0; x < image.width(); ++x) {
                dark += qGray(image.pixel(x, y)) < 128;
            }
        }
        QVERIFY(dark > 0);
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

    // Under a variation every cell is the mean of the page's runs from its seed; a best pair
    // is marked where its lead is clear, else it and the next are marked as not told apart.
    // The entered cell is underlined, and every line of the chart differs in its pen.
    void comparesUnderVariationOverRuns() {
        InputRecord input;
        input.variation = "80";
        input.totaltid = "150";
        show(input, ',');
        child<QSpinBox>(window.get(), "spnKorningarJamfor")->setValue(6);
        child<QLineEdit>(window.get(), "txtFroJamfor")->setText(QStringLiteral("991"));
        uitest::compare(*window);
        lodra::ComparisonOptions options;
        options.seed = 991;
        options.runs = 6;
        const lodra::Result<lodra::MeasureComparison> expected =
            lodra::compareMeasures(input, ',', options);
        QVERIFY(expected.ok());
        const lodra::ComparisonModel* grids[] = {&window->comparisonModel(0),
                                                 &window->comparisonModel(1)};
        int toldApart = 0;
        for (int rate = 0; rate < 4; ++rate) {
            toldApart += expected->marked(rate);
            int bold = 0, italic = 0, underlined = 0;
            for (int m = 0; m < 2; ++m) {
                for (int interval = 0; interval < 11; ++interval) {
                    const QModelIndex cell = grids[m]->index(interval, rate);
                    QCOMPARE(cell.data().toString().toStdString(),
                             lodra::patternText(*expected->grids[m].nuvarde[interval][rate],
                                                "######0", ','));
                    const QFont font = cell.data(Qt::FontRole).value<QFont>();
                    bold += font.bold();
                    italic += font.italic();
                    underlined += font.underline();
                }
            }
            QCOMPARE(bold, expected->marked(rate) ? 1 : 0);
            QCOMPARE(italic, expected->marked(rate) ? 0 : 2);
            QCOMPARE(underlined, rate == 1 ? 1 : 0);
        }
        // Six runs of a wide variation tell some rates apart and not others.
        QVERIFY(toldApart > 0 && toldApart < 4);
        QVERIFY(grids[0]->isEntered(2, 1));
        QCOMPARE(child<QLabel>(window.get(), "lblJamforelse")->text(),
                 lodra::comparisonText(*expected, ','));
        QVERIFY(
            child<QLabel>(window.get(), "lblJamforelse")
                ->text()
                .contains(QStringLiteral("medelvärdet av 6 körningar med gemensamma slumptal")));
        QSet<QString> pens;
        for (const QAbstractSeries* series :
             child<QChartView>(window.get(), "chvJamforelse")->chart()->series()) {
            if (const auto* line = qobject_cast<const QLineSeries*>(series)) {
                pens.insert(line->pen().color().name() + QString::number(line->pen().style()));
            }
        }
        QCOMPARE(pens.size(), 8);
    }

    // The figures shown and saved are those of the spread from the entered seed.
    void spreadsFromTheSeed() {
        InputRecord input;
        input.variation = "100";
        show(input, ',');
        // Written as the saved table writes it: behind its mark.
        uitest::spread(*window, QStringLiteral("#18446744073709551615"), 300);
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

    // Without variation every run is the same: the page says so before and after, and how
    // to set a variation, and no chart is drawn; it never blames the random change.
    void spreadWithoutVariationSaysSo_data() {
        QTest::addColumn<char>("separator");
        QTest::addColumn<QString>("variation");
        QTest::newRow("0") << '.' << "0";
        QTest::newRow("0,00 with a comma") << ',' << "0,00";
    }
    void spreadWithoutVariationSaysSo() {
        QFETCH(char, separator);
        QFETCH(QString, variation);
        InputRecord input;
        input.variation = variation.toStdString();
        show(input, separator);
        const QString how = QStringLiteral(
            "Variationen är 0 %: diametertillväxten ändras då inte slumpmässigt, och varje "
            "körning blir lika. Ange en variation i fältet \"Variation i diametertillväxt\" i "
            "parameterfönstret och tryck på \"Beräkna\" för att se en spridning.");
        QCOMPARE(child<QLabel>(window.get(), "lblSpridning")->text(), how);
        uitest::spread(*window, QStringLiteral("7"), 20);
        QCOMPARE(child<QLabel>(window.get(), "lblHistogram")->text(),
                 QStringLiteral("Alla körningar gav samma nuvärde, 157661 kr/ha. ") + how);
        QVERIFY(child<QLabel>(window.get(), "lblHistogram")->isVisible());
        QVERIFY(!child<QChartView>(window.get(), "chvSpridning")->isVisible());
    }

    // Above every page: the stand, the time and the choices of the calculation shown.
    void headingNamesTheCalculation_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");
        QTest::addColumn<InputRecord>("input");
        QTest::addColumn<QString>("expected");
        InputRecord other;
        other.species = lodra::Species::tall;
        other.measure = lodra::Measure::kalavverkning;
        other.ranta = "5";
        other.variation = " 12,5 ";
        const QString defaults =
            QStringLiteral("\nGran, Gallring och plockhuggning, räntekrav 3 %, variation 0 %");
        const QString at = QStringLiteral(", beräknat 2026-03-04 05:06:07");
        row("name and file", "Skifte 7 ", "/tmp/skog/skifte7.csv", InputRecord{},
            "Skifte 7 (skifte7.csv)" + at + defaults);
        row("name alone", "Norra", "", InputRecord{}, "Norra" + at + defaults);
        row("file alone", " ", "b.csv", InputRecord{}, "b.csv" + at + defaults);
        row("neither, other choices", "", "", other,
            "Bestånd utan namn" + at + "\nTall, Kalavverkning, räntekrav 5 %, variation 12,5 %");
    }
    void headingNamesTheCalculation() {
        QFETCH(QString, name);
        QFETCH(QString, file);
        QFETCH(InputRecord, input);
        QFETCH(QString, expected);
        const lodra::CalculationTitle title{lodra::standTitle(name, file),
                                            QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))};
        window->showCalculation(input, rowsOf(InputRecord{}, '.'), 157661, title);
        QCOMPARE(child<QLabel>(window.get(), "lblBerakning")->text(), expected);
    }

    // While the entries differ from the calculation shown a line names what changed, and
    // its "Beräkna" asks for them to be calculated; the pages keep to the calculation.
    void changedEntriesAreNamed_data() {
        QTest::addColumn<InputRecord>("entries");
        QTest::addColumn<QString>("changed");  // empty: no line
        InputRecord variation;
        variation.variation = "100";
        InputRecord several;
        several.ranta = "4";
        several.species = lodra::Species::lov;
        several.measure = lodra::Measure::kalavverkning;
        several.cykTillAvv = "3";
        InputRecord tree;
        tree.rows[1].avverkas = true;
        QTest::newRow("the same") << InputRecord{} << QString();
        QTest::newRow("variation") << variation << "Variation i diametertillväxt";
        QTest::newRow("in the window's order")
            << several
            << "Räntekrav ( % ), Trädslag, Åtgärd, Cykler (5-åriga) till nästa avverkning";
        QTest::newRow("a tree row") << tree << "Träddiametrar";
    }
    void changedEntriesAreNamed() {
        QFETCH(InputRecord, entries);
        QFETCH(QString, changed);
        show(InputRecord{}, '.');
        window->setEntries([&entries] { return entries; });
        uitest::spread(*window, QStringLiteral("7"), 5);
        auto* line = child<QWidget>(window.get(), "frmAndrat");
        QCOMPARE(line->isVisible(), !changed.isEmpty());
        // The spread was of the calculation shown: without variation.
        QVERIFY(child<QLabel>(window.get(), "lblHistogram")->isVisible());
        if (changed.isEmpty()) {
            return;
        }
        const QString named = QStringLiteral("beräkningen ovan (%1).").arg(changed);
        QVERIFY(child<QLabel>(window.get(), "lblAndrat")->text().contains(named));
        QSignalSpy asked(window.get(), &forUtveckling::calculateRequested);
        click(window.get(), "cmdBeraknaIgen");
        QCOMPARE(asked.size(), 1);
        // The new calculation of the entries takes the line away.
        window->showCalculation(entries, rowsOf(InputRecord{}, '.'), 1);
        QVERIFY(!line->isVisible());
    }

    // With the parameters window: a variation entered after "Beräkna" is named above the
    // pages, the spread keeps to the calculation shown, and the line's "Beräkna"
    // calculates the new entries, whose spread then varies.
    void changedVariationIsCalculatedThroughTheLine() {
        uitest::MessageCatcher catcher;
        lodra::forLodra02 main(uitest::numberFormat('.'));
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        uitest::calculate(main);
        click(main.existingResultat(), "cmdUtveckling");
        forUtveckling* development = main.existingUtveckling();
        QVERIFY(development->isVisible());
        auto* heading = child<QLabel>(development, "lblBerakning");
        auto* line = child<QWidget>(development, "frmAndrat");
        QVERIFY(heading->text().endsWith(QStringLiteral("variation 0 %")));
        QVERIFY(!line->isVisible());

        uitest::type(main.parameterEntry(lodra::InputField::variation), QStringLiteral("100"));
        uitest::spread(*development, QStringLiteral("7"), 50);
        QVERIFY(line->isVisible());
        QVERIFY(child<QLabel>(development, "lblHistogram")
                    ->text()
                    .contains(QStringLiteral("Variationen är 0 %")));

        click(development, "cmdBeraknaIgen");
        QVERIFY(QTest::qWaitFor([&] { return !main.isCalculating(); }, 60000));
        QVERIFY(heading->text().endsWith(QStringLiteral("variation 100 %")));
        QVERIFY(!line->isVisible());
        uitest::spread(*development, QStringLiteral("7"), 50);
        const lodra::SpreadStatistics& nuvarde = development->spreadPage().spread()->nuvarde;
        QVERIFY(nuvarde.max > nuvarde.min);
        QVERIFY(child<QChartView>(development, "chvSpridning")->isVisible());
        QVERIFY(catcher.messages.empty());
    }

    // A seed that is no 64-bit number is refused on either page before anything runs;
    // "Avbryt" stops a spread, which then shows nothing.
    void spreadRefusesABadSeedAndCanBeStopped() {
        // At 2 % the long horizon does not overflow: the runs take long enough to stop.
        InputRecord slow = withHorizon("32000", "100");
        slow.ranta = "2";
        window->showCalculation(slow, {}, 0);
        window->show();
        for (const auto& [page, seed, button] :
             {std::tuple{"tabJamforelse", "txtFroJamfor", "cmdJamfor"},
              {"tabSpridning", "txtFro", "cmdBeraknaSpridning"}}) {
            uitest::clickTab(window.get(), page);
            for (const char* bad : {"abc", "12x", "-1", "18446744073709551616", ""}) {
                child<QLineEdit>(window.get(), seed)->setText(QString::fromUtf8(bad));
                uitest::MessageCatcher catcher;
                click(window.get(), button);
                QVERIFY(!window->isComparing() && !window->spreadPage().isRunning());
                QCOMPARE(catcher.messages.size(), 1u);
                QCOMPARE(catcher.messages[0].text, QStringLiteral("Fröet ska vara ett heltal från "
                                                                  "0 till 18446744073709551615."));
            }
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

    // Tab leaves every table for the next control; the arrow keys move inside it.
    void tabLeavesTheTables_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QByteArray>("table");
        QTest::newRow("cycles") << QByteArray("tabTabell") << QByteArray("tblCykler");
        QTest::newRow("comparison") << QByteArray("tabJamforelse") << QByteArray("tblJamforelse");
        QTest::newRow("comparison, clear-felling")
            << QByteArray("tabJamforelse") << QByteArray("tblJamforelseKal");
        QTest::newRow("spread") << QByteArray("tabSpridning") << QByteArray("tblSpridning");
    }
    void tabLeavesTheTables() {
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, table);
        show(InputRecord{}, '.');
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        uitest::compare(*window);
        uitest::spread(*window, QStringLiteral("7"), 5);
        uitest::clickTab(window.get(), page.constData());
        auto* view = child<QTableView>(window.get(), table.constData());
        view->setFocus(Qt::TabFocusReason);
        view->setCurrentIndex(view->model()->index(0, 0));
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(view->currentIndex(), view->model()->index(1, 1));
        QCOMPARE(QApplication::focusWidget(), view);
        QTest::keyClick(view, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != view);
        QVERIFY(window->isAncestorOf(QApplication::focusWidget()));
    }

    // Ctrl+Tab and Ctrl+PgDown turn to the next page, Ctrl+Shift+Tab and Ctrl+PgUp to the
    // one before, round the ends, with the focus in a table or on the tabs.
    void ctrlKeysTurnThePages_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("to");
        const int ctrl = Qt::ControlModifier;
        const int shift = Qt::ShiftModifier;
        QTest::newRow("Ctrl+Tab") << 0 << int(Qt::Key_Tab) << ctrl << 1;
        QTest::newRow("Ctrl+Tab round") << 3 << int(Qt::Key_Tab) << ctrl << 0;
        QTest::newRow("Ctrl+PgDown") << 1 << int(Qt::Key_PageDown) << ctrl << 2;
        QTest::newRow("Ctrl+Shift+Tab") << 2 << int(Qt::Key_Backtab) << (ctrl | shift) << 1;
        QTest::newRow("Ctrl+Shift+Tab round") << 0 << int(Qt::Key_Backtab) << (ctrl | shift) << 3;
        QTest::newRow("Ctrl+PgUp") << 3 << int(Qt::Key_PageUp) << ctrl << 2;
    }
    void ctrlKeysTurnThePages() {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, to);
        show(InputRecord{}, '.');
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        auto* tabs = child<QTabWidget>(window.get(), "tabUtveckling");
        tabs->setCurrentIndex(from);
        QWidget* focus =
            from == 0 ? static_cast<QWidget*>(child<QTableView>(window.get(), "tblCykler")) : tabs;
        focus->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
        QCOMPARE(tabs->currentIndex(), to);
        QVERIFY(window->isAncestorOf(QApplication::focusWidget()));
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
