// The run without the parameters window: the windows it makes once and afresh after a
// close through the frame, saving to the chosen result folder, the latest calculation
// reaching the development window, and the menu bar's stands through its signal and its
// function of the entries.

#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "calc/cyclerecord.h"
#include "standfile/standwriter.h"
#include "tests/testfiles.h"
#include "tests/ui/uitest.h"
#include "ui/cyclemodel.h"
#include "ui/forcatalog.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/forutveckling.h"
#include "ui/run.h"
#include "ui/standmenu.h"

using lodra::Run;

namespace {

QWidget* made(Run& run, const QString& which) {
    return which == "trees"     ? static_cast<QWidget*>(run.tradDiametrar())
           : which == "result"  ? static_cast<QWidget*>(run.resultat())
           : which == "chooser" ? static_cast<QWidget*>(run.catalog())
                                : static_cast<QWidget*>(run.utveckling());
}

QWidget* existing(const Run& run, const QString& which) {
    return which == "trees"     ? static_cast<QWidget*>(run.existingTradDiametrar())
           : which == "result"  ? static_cast<QWidget*>(run.existingResultat())
           : which == "chooser" ? static_cast<QWidget*>(run.existingCatalog())
                                : static_cast<QWidget*>(run.existingUtveckling());
}

}  // namespace

class RunTest : public QObject {
    Q_OBJECT

  private slots:
    // Made on first use and kept while hidden; closed through its frame, gone, and made
    // afresh on the next use; every window goes with the run.
    void windowsAreMadeOnceAndAfreshAfterTheFrame() {
        QFETCH(QString, which);
        QPointer<QWidget> first;
        {
            Run run(uitest::numberFormat('.'), nullptr);
            QVERIFY(existing(run, which) == nullptr);
            first = made(run, which);
            first->show();
            first->hide();
            QCOMPARE(made(run, which), first.data());
            QCOMPARE(first->font(), run.look().font());
            first->show();
            first->close();
            QVERIFY(existing(run, which) == nullptr);
            uitest::settle();
            QVERIFY(first.isNull());
            first = made(run, which);
            QCOMPARE(existing(run, which), first.data());
        }
        QVERIFY(first.isNull());
    }
    void windowsAreMadeOnceAndAfreshAfterTheFrame_data() {
        QTest::addColumn<QString>("which");
        for (const char* which : {"trees", "result", "chooser", "development"}) {
            QTest::newRow(which) << which;
        }
    }

    // The folder chosen holds this calculation's result file and those of the rest of the
    // run; the message belongs to no window when the result window is hidden.
    void chosenFolderTakesTheRunsResults() {
        QTemporaryDir folder;
        Run run(uitest::numberFormat('.'), nullptr);
        lodra::CalcOptions options;
        QVERIFY(run.session.berakna(lodra::InputRecord{}, options).ok());
        uitest::MessageCatcher catcher;
        emit run.catalog()->folderChosen(folder.path());
        QCOMPARE(QString::fromStdString(run.sparaKatalog()), folder.path());
        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QCOMPARE(uitest::readBytes(folder.filePath(files[0])), run.session.fileBytes());
        QCOMPARE(catcher.messages.size(), std::size_t{1});
        QVERIFY(catcher.messages[0].text.endsWith(folder.filePath(files[0])));
    }

    // The latest calculation shown reaches the development window made later, and one
    // that exists follows every later calculation.
    void developmentWindowFollowsTheCalculationShown() {
        Run run(uitest::numberFormat('.'), nullptr);
        lodra::InputRecord input;
        lodra::CycleRecord record;
        lodra::CalcOptions options;
        options.cycleRecord = &record;
        QVERIFY(run.session.berakna(input, options).ok());
        run.calculationShown(input, record.rows, 157661);
        QCOMPARE(run.utveckling()->cycleModel().rows().size(), record.rows.size());
        input.totaltid = "20";
        record = {};
        QVERIFY(run.session.berakna(input, options).ok());
        run.calculationShown(input, record.rows, 1);
        QCOMPARE(run.existingUtveckling()->cycleModel().rowCount(), 4);
    }

    // The menu bar gives the stand it opened through standChosen and saves the entries its
    // function gives.
    void standMenuTalksThroughItsSignalAndFunction() {
        QTemporaryDir folder;
        QWidget main;
        Run run(uitest::numberFormat('.'), &main);
        lodra::StandEntries entries;
        entries.input.ranta = "4";
        auto* menu = new lodra::StandMenu(run, new QMenuBar(&main), [&entries] { return entries; });
        std::vector<lodra::InputRecord> chosen;
        connect(menu, &lodra::StandMenu::standChosen,
                [&chosen](const lodra::InputRecord& input) { chosen.push_back(input); });
        QSignalSpy ended(menu, &lodra::StandMenu::openEnded);
        const QString one = folder.filePath(QStringLiteral("one.csv"));
        lodra::testfiles::writeFile(one.toStdString(), "bestand;ranta\r\nNorra;2\r\n");
        menu->open(one);
        QVERIFY(ended.wait(20000));
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0].ranta, std::string("2"));
        QCOMPARE(menu->standName(), QStringLiteral("Norra"));

        const QString saved = folder.filePath(QStringLiteral("saved.csv"));
        menu->saveAs(saved);
        QCOMPARE(uitest::readBytes(saved),
                 lodra::standFileBytes(entries.input, "Norra", entries.cells));
        QCOMPARE(menu->standFile(), saved);
    }
};

QTEST_MAIN(RunTest)
#include "run_test.moc"
