// The development window: the cycle table and chart of a calculation, saving them through
// the file dialog, and the comparison run in the background with its progress and "Avbryt".

#include <QChartView>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "files/resultfile.h"
#include "report/cyclecsv.h"
#include "tests/ui/uitest.h"
#include "ui/comparisonmodel.h"
#include "ui/cyclemodel.h"
#include "ui/forutveckling.h"

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
    lodra::Session session;
    lodra::CycleRecord record;
    lodra::CalcOptions options;
    session.decimalSeparator = separator;
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

    QString path(const QString& name) const { return temporary->filePath(name); }

    void show(const InputRecord& input, char separator) {
        window->showCalculation(input, rowsOf(input, separator),
                                separator == ',' ? QLocale(QLocale::Swedish) : QLocale::c());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // Clicks "Jämför" and waits until the comparison has ended.
    void compare() {
        QSignalSpy ended(window.get(), &forUtveckling::comparisonEnded);
        click(window.get(), "cmdJamfor");
        QVERIFY(window->isComparing());
        QVERIFY(ended.wait(20000));
        QVERIFY(!window->isComparing());
    }

  private slots:
    void init() {
        temporary = std::make_unique<QTemporaryDir>();
        QVERIFY(temporary->isValid());
        // Save dialogs open in the working folder until the run has saved somewhere.
        QVERIFY(QDir::setCurrent(temporary->path()));
        window = std::make_unique<forUtveckling>(designedLook());
        window->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    void cleanup() { window.reset(); }

    void opensEmpty() {
        QCOMPARE(window->cycleModel().rowCount(), 0);
        QVERIFY(!child<QPushButton>(window.get(), "cmdJamfor")->isEnabled());
        QVERIFY(!child<QPushButton>(window.get(), "cmdSparaTabell")->isEnabled());
    }

    void showsOneRowPerCycle_data() {
        QTest::addColumn<InputRecord>("input");
        QTest::addColumn<char>("separator");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("firstRow");
        QTest::newRow("250 years")
            << InputRecord{} << '.' << 50 << "0|1.96|189.2|209.2|36.26||||||||0";
        QTest::newRow("251 years, comma")
            << withHorizon("251") << ',' << 51 << "0|1,96|189,2|209,2|36,26||||||||0";
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
    // diameter: the row shows it, the chart marks it.
    void showsTheFelling() {
        show(InputRecord{}, '.');
        const QAbstractItemModel* model = &window->cycleModel();
        QCOMPARE(model->index(2, 5).data().toString(), QStringLiteral("ja"));
        QCOMPARE(model->index(2, 6).data().toString(), QStringLiteral("200"));
        QCOMPARE(model->index(1, 5).data().toString(), QString());
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
        compare();
        const lodra::ComparisonModel& model = window->comparisonModel();
        QCOMPARE(model.rowCount(), 11);
        QCOMPARE(model.columnCount(), 4);
        QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("157661"));
        for (int rate = 0; rate < 4; ++rate) {
            int marked = 0;
            for (int interval = 0; interval < 11; ++interval) {
                marked += model.index(interval, rate).data(Qt::FontRole).value<QFont>().bold();
            }
            QCOMPARE(marked, 1);
        }
        QCOMPARE(child<QTabWidget>(window.get(), "tabUtveckling")->currentWidget()->objectName(),
                 QStringLiteral("tabJamforelse"));
        QCOMPARE(child<QChartView>(window.get(), "chvJamforelse")->chart()->series().size(), 5);

        // On the comparison's page, "Spara tabell" saves the comparison.
        const QString file = path(QStringLiteral("jamforelse.csv"));
        FileDialogAnswer answer(file);
        click(window.get(), "cmdSparaTabell");
        QCOMPARE(uitest::readBytes(file), lodra::comparisonCsv(*model.grid(), ','));
    }

    // A long horizon with a wide ring search: "Avbryt" stops the comparison, which then
    // shows nothing.
    void cancelsTheComparison() {
        window->showCalculation(withHorizon("32000", "100"), {}, QLocale::c());
        window->show();
        QSignalSpy ended(window.get(), &forUtveckling::comparisonEnded);
        click(window.get(), "cmdJamfor");
        QVERIFY(child<QProgressBar>(window.get(), "prgJamfor")->isVisible());
        click(window.get(), "cmdAvbryt");
        QVERIFY(ended.wait(20000));
        QCOMPARE(window->comparisonModel().rowCount(), 0);
        QCOMPARE(child<QLabel>(window.get(), "lblJamforelse")->text(),
                 QStringLiteral("Jämförelsen avbröts."));
        QVERIFY(!child<QPushButton>(window.get(), "cmdAvbryt")->isVisible());
    }

    // A new calculation stops a running comparison and takes away the one shown: it was
    // of other entries.
    void newCalculationReplacesTheComparison() {
        show(InputRecord{}, '.');
        compare();
        QCOMPARE(window->comparisonModel().rowCount(), 11);
        show(withHorizon("20"), '.');
        QCOMPARE(window->comparisonModel().rowCount(), 0);
        QCOMPARE(window->cycleModel().rowCount(), 4);

        window->showCalculation(withHorizon("32000", "100"), {}, QLocale::c());
        click(window.get(), "cmdJamfor");
        QVERIFY(window->isComparing());
        show(InputRecord{}, '.');
        QVERIFY(!window->isComparing());
        QTest::qWait(100);
        QCOMPARE(window->comparisonModel().rowCount(), 0);
        QCOMPARE(window->cycleModel().rowCount(), 50);
    }

    // Closed through its frame while comparing: the window stops the comparison and goes.
    void closedThroughFrameWhileComparing() {
        QPointer<forUtveckling> own = new forUtveckling(designedLook());
        QSignalSpy closed(own.data(), &forUtveckling::closedThroughFrame);
        own->showCalculation(withHorizon("32000", "100"), {}, QLocale::c());
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
