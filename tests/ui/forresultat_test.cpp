// The result window, saving to numbered result files and the folder chooser, driven
// through the real buttons in a temporary working folder.

#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTreeView>
#include <QtTest>
#include <memory>

#include "files/resultfile.h"
#include "tests/ui/uitest.h"
#include "ui/cyclemodel.h"
#include "ui/forcatalog.h"
#include "ui/forlodra02.h"
#include "ui/forresultat.h"
#include "ui/forutveckling.h"

using lodra::forCatalog;
using lodra::forLodra02;
using lodra::forResultat;
using lodra::forUtveckling;
using uitest::child;
using uitest::click;

namespace {

const QString kSaved = QStringLiteral("Resultatet sparades i följande fil:\n");
const QString kGone =
    QStringLiteral("Resultatet kunde inte sparas: mappen \"%1\" finns inte längre.");
const QString kUnwritable =
    QStringLiteral("Resultatet kunde inte sparas: det går inte att skriva i mappen \"%1\".");
const QString kOther = QStringLiteral("\nVälj en annan mapp i fönstret som öppnas.");

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// The x position at which a text starts on a line of the box.
int columnOf(QPlainTextEdit* box, int line, const QString& text) {
    const QTextBlock block = box->document()->findBlockByNumber(line);
    const int at = block.text().indexOf(text);
    if (at < 0) {
        return -1;
    }
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + at);
    return box->cursorRect(cursor).x();
}

}  // namespace

class ForResultatTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> temporary;
    QString folder;  // the working folder of the program
    QString before;
    std::unique_ptr<forLodra02> window;
    std::unique_ptr<uitest::MessageCatcher> catcher;
    uitest::Reference reference;

    forResultat* result() { return window->existingResultat(); }
    forCatalog* chooser() { return window->existingCatalog(); }

    QTreeView* folderList() { return child<QTreeView>(chooser(), "Dir1"); }

    // The entry of a folder in the chooser's folder list, once the list has loaded it;
    // invalid when it did not come within five seconds.
    QModelIndex waitForEntry(const QString& path) {
        QModelIndex entry;
        if (QTest::qWaitFor([&] { return (entry = chooser()->entryOf(path)).isValid(); }, 5000)) {
            folderList()->scrollTo(entry);
        } else {
            qWarning("folder list never showed %s", qPrintable(path));
        }
        return entry;
    }

    QPoint centreOf(const QModelIndex& entry) { return folderList()->visualRect(entry).center(); }

    // A double click as the mouse gives it: a click, then the second press.
    void doubleClick(const QModelIndex& entry) {
        QVERIFY(entry.isValid());
        QTest::mouseClick(folderList()->viewport(), Qt::LeftButton, {}, centreOf(entry));
        QTest::mouseDClick(folderList()->viewport(), Qt::LeftButton, {}, centreOf(entry));
    }

    void calculate() { uitest::calculate(*window); }

    // The chooser shows the folder "OK" stores, and draws it, and the folders above it,
    // open, the subfolders closed.
    void expectOpenFolder(const QString& path, const QString& subfolder) {
        auto* shown = child<QLineEdit>(chooser(), "txtKatalog");
        QCOMPARE(shown->text(), path);
        QVERIFY(shown->isReadOnly());
        QCOMPARE(chooser()->path(), path);
        const auto look = [this](const QString& folder) {
            const QModelIndex entry = waitForEntry(folder);
            return qvariant_cast<QIcon>(entry.data(Qt::DecorationRole)).pixmap(16).toImage();
        };
        const QImage open = look(path);
        QVERIFY(!open.isNull());
        QCOMPARE(look(QFileInfo(path).path()), open);
        QVERIFY(look(subfolder) != open);
    }

    // "Spara till fil", then "OK" in the chooser at the folder it opens.
    void saveThroughChooser() {
        click(result(), "cmdSpara");
        QVERIFY(chooser() != nullptr && chooser()->isVisible());
        click(chooser(), "cmdOK");
    }

    // The first save, into the new subfolder "target" opened in the chooser; gives its path.
    QString saveIntoTarget() {
        const QString target = folder + "/target";
        [&] {
            QVERIFY(QDir(folder).mkdir("target"));
            click(result(), "cmdSpara");
            doubleClick(waitForEntry(target));
            click(chooser(), "cmdOK");
            expectSavedMessage(0, target + "/Result1.txt");
        }();
        return target;
    }

    // Makes the folder unable to take the next save, as cause says.
    void spoil(const QString& cause, const QString& target) {
        if (cause == "removed" || cause == "file") {
            QVERIFY(QDir(target).removeRecursively());
            if (cause == "file") {
                writeFile(target, "x");
            }
        } else if (cause == "full numbering") {
            writeFile(target + "/Result32767.txt", "x");
        } else if (cause == "read-only") {
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner));
        }
    }
    static bool unspoilable(const QString& cause) {
        return cause == "read-only" && ::geteuid() == 0;
    }

    void expectSavedMessage(std::size_t index, const QString& path) {
        QVERIFY(catcher->messages.size() > index);
        const uitest::Message& message = catcher->messages[index];
        QCOMPARE(message.title, QStringLiteral("Lodra05"));
        QCOMPARE(message.text, kSaved + path);
        QCOMPARE(message.icon, QMessageBox::NoIcon);
        QVERIFY(message.okOnly);
    }

  private slots:
    void initTestCase() { reference = uitest::defaultReference(QStringLiteral("default.dot.txt")); }

    void init() {
        temporary = std::make_unique<QTemporaryDir>();
        QVERIFY(temporary->isValid());
        folder = QDir(temporary->path()).canonicalPath();
        before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder));
        catcher = std::make_unique<uitest::MessageCatcher>();
        window = std::make_unique<forLodra02>(uitest::numberFormat('.'));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() {
        window.reset();
        uitest::settle();
        catcher.reset();
        QDir::setCurrent(before);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        temporary.reset();
    }

    void resultWindowLayoutAndBoxes() {
        calculate();
        forResultat* shown = result();
        QVERIFY(shown != nullptr && shown->isVisible());
        QCOMPARE(shown->windowTitle(), QStringLiteral("Lodra02 - Resultat"));
        QCOMPARE(child<QGroupBox>(shown, "frmResultat")->title(),
                 QStringLiteral("Beräknade resultat"));
        QCOMPARE(child<QGroupBox>(shown, "frmIndata")->title(), QStringLiteral("Indata"));
        QCOMPARE(child<QGroupBox>(shown, "frmUtdata")->title(), QStringLiteral("Resultat"));
        QCOMPARE(child<QPushButton>(shown, "cmdSpara")->text(), QStringLiteral("Spara till fil"));
        QCOMPARE(child<QPushButton>(shown, "cmdStang")->text(), QStringLiteral("Stäng"));
        QCOMPARE(child<QPushButton>(shown, "cmdUtveckling")->text(), QStringLiteral("Utveckling"));
        for (const char* name : {"txtIndata", "txtResultat"}) {
            auto* box = child<QPlainTextEdit>(shown, name);
            QVERIFY(!box->isReadOnly());
            QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        }

        QVERIFY(QTest::qWaitForWindowActive(shown));
        const QStringList order = {"txtIndata", "txtResultat",   "cmdStang",
                                   "cmdSpara",  "cmdUtveckling", "txtIndata"};
        QStringList chain;
        child<QWidget>(shown, "txtIndata")->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < order.size(); ++i) {
            chain << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(chain, order);
    }

    void reportColumnsLineUpAtTheTabStops() {
        calculate();
        auto* box = child<QPlainTextEdit>(result(), "txtResultat");
        // Lines 7 to 9 of the box: " Årsring", " Volym år 0", " Volym år 5".
        for (const QString& label :
             {QStringLiteral("Max="), QStringLiteral("Medel="), QStringLiteral("Min =")}) {
            const int ring = columnOf(box, 6, label);
            QVERIFY2(ring > 0, qPrintable(label));
            QCOMPARE(columnOf(box, 7, label), ring);
            QCOMPARE(columnOf(box, 8, label), ring);
        }
    }

    void stangHidesAndTheNextCalculationShowsNewTexts() {
        calculate();
        QPointer<forResultat> shown = result();
        click(shown, "cmdStang");
        QVERIFY(!shown->isVisible());
        uitest::type(child<QLineEdit>(window.get(), "txtBon"), QStringLiteral("5"));
        lodra::InputRecord changed;
        changed.bonitet = "5";
        const lodra::Session alone = uitest::calculatedAlone(changed);
        calculate();
        QCOMPARE(result(), shown.data());
        QVERIFY(shown->isVisible());
        QCOMPARE(child<QPlainTextEdit>(shown, "txtIndata")->toPlainText(),
                 uitest::shown(alone.Indata));
        QCOMPARE(child<QPlainTextEdit>(shown, "txtResultat")->toPlainText(),
                 uitest::shown(alone.Resultat));

        // Closed through its frame, it is made anew by the next calculation.
        shown->close();
        uitest::settle();
        QVERIFY(shown.isNull());
        calculate();
        QVERIFY(result() != nullptr && result()->isVisible());
        QCOMPARE(child<QPlainTextEdit>(result(), "txtResultat")->toPlainText(),
                 uitest::shown(alone.Resultat));
    }

    // "Utveckling" opens the one development window on the latest calculation that
    // succeeded, in the program's font; it follows every later one while it exists, and
    // after it was closed through its frame the button (here by Enter) makes it anew.
    void utvecklingOpensTheWindowThatFollowsTheCalculations() {
        calculate();
        click(result(), "cmdUtveckling");
        QPointer<forUtveckling> development = window->existingUtveckling();
        QVERIFY(development != nullptr && development->isVisible());
        QCOMPARE(development->objectName(), QStringLiteral("forUtveckling"));
        QCOMPARE(development->windowTitle(), QStringLiteral("Lodra02 - Utveckling"));
        QCOMPARE(development->font(), window->look().font());
        QCOMPARE(development->cycleModel().rowCount(), 50);

        uitest::type(child<QLineEdit>(window.get(), "txtTotaltid"), QStringLiteral("251"));
        calculate();
        QCOMPARE(development->cycleModel().rowCount(), 51);
        click(result(), "cmdUtveckling");
        QCOMPARE(window->existingUtveckling(), development.data());

        // A refused calculation leaves it as it was.
        uitest::type(child<QLineEdit>(window.get(), "txtTotaltid"), QStringLiteral("0"));
        calculate();
        QCOMPARE(catcher->messages.size(), std::size_t{1});
        QCOMPARE(development->cycleModel().rowCount(), 51);

        development->close();
        uitest::settle();
        QVERIFY(development.isNull());
        QVERIFY(window->existingUtveckling() == nullptr);
        auto* button = child<QPushButton>(result(), "cmdUtveckling");
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QVERIFY(window->existingUtveckling() != nullptr);
        QCOMPARE(window->existingUtveckling()->cycleModel().rowCount(), 51);
    }

    void firstSaveInAnEmptyFolder() {
        calculate();
        click(result(), "cmdSpara");
        forCatalog* shown = chooser();
        QVERIFY(shown != nullptr && shown->isVisible());
        QVERIFY(catcher->messages.empty());
        QCOMPARE(shown->windowTitle(), QStringLiteral("Lodra05 -Spara i katalog"));
        QCOMPARE(child<QGroupBox>(shown, "frmDirectory")->title(), QStringLiteral("Välj katalog"));
        QCOMPARE(child<QPushButton>(shown, "cmdOK")->text(), QStringLiteral("OK"));
        QCOMPARE(shown->path(), folder);
        QVERIFY(window->sparaKatalog().empty());
        QVERIFY(QTest::qWaitForWindowActive(shown));
        QStringList chain;
        for (int i = 0; i < 4; ++i) {
            chain << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(chain, (QStringList{"Drive1", "Dir1", "cmdOK", "Drive1"}));

        click(shown, "cmdOK");
        QVERIFY(!shown->isVisible());
        QCOMPARE(QString::fromStdString(window->sparaKatalog()), folder);
        expectSavedMessage(0, folder + "/Result1.txt");
        QCOMPARE(entries(folder), QStringList{"Result1.txt"});
        QCOMPARE(uitest::readBytes(folder + "/Result1.txt"), reference.fileOf(1));
    }

    void numberFollowsTheHighestCountedFile() {
        for (const char* name : {"Result1.txt", "Result3.txt", "result7.txt", "Result9.TXT",
                                 "Resultat.txt", "Result007.txt"}) {
            writeFile(folder + "/" + name, "x");
        }
        calculate();
        saveThroughChooser();
        expectSavedMessage(0, folder + "/Result8.txt");
        QCOMPARE(uitest::readBytes(folder + "/Result8.txt"), reference.fileOf(1));
        QCOMPARE(uitest::readBytes(folder + "/Result007.txt"), std::string("x"));
        QCOMPARE(entries(folder).size(), 7);
    }

    void secondSaveGoesStraightToTheStoredFolder() {
        calculate();
        saveThroughChooser();
        forCatalog* first = chooser();
        click(result(), "cmdSpara");
        QCOMPARE(chooser(), first);
        QVERIFY(!first->isVisible());
        expectSavedMessage(1, folder + "/Result2.txt");
        QCOMPARE(entries(folder), (QStringList{"Result1.txt", "Result2.txt"}));
        QCOMPARE(uitest::readBytes(folder + "/Result1.txt"), reference.fileOf(1));
        QCOMPARE(uitest::readBytes(folder + "/Result2.txt"), reference.fileOf(1));
    }

    void threeCalculationsThenOneSave() {
        calculate();
        calculate();
        calculate();
        saveThroughChooser();
        QCOMPARE(uitest::readBytes(folder + "/Result1.txt"), reference.fileOf(3));
    }

    void textTypedIntoTheBoxesDoesNotReachTheFile() {
        calculate();
        for (const char* name : {"txtIndata", "txtResultat"}) {
            auto* box = child<QPlainTextEdit>(result(), name);
            box->setFocus();
            QTest::keyClicks(box, QStringLiteral("skrivet av anvandaren"));
            QVERIFY(box->toPlainText().contains(QStringLiteral("skrivet av anvandaren")));
        }
        saveThroughChooser();
        QCOMPARE(uitest::readBytes(folder + "/Result1.txt"), reference.fileOf(1));
    }

    void singleClickOnlyHighlights() {
        QVERIFY(QDir(folder).mkdir("sub"));
        calculate();
        click(result(), "cmdSpara");
        QVERIFY(QTest::qWaitForWindowExposed(chooser()));
        const QModelIndex sub = waitForEntry(folder + "/sub");
        expectOpenFolder(folder, folder + "/sub");
        QTest::mouseClick(folderList()->viewport(), Qt::LeftButton, {}, centreOf(sub));
        QCOMPARE(folderList()->currentIndex(), sub);
        expectOpenFolder(folder, folder + "/sub");
        click(chooser(), "cmdOK");
        QCOMPARE(QString::fromStdString(window->sparaKatalog()), folder);
        expectSavedMessage(0, folder + "/Result1.txt");
        QVERIFY(entries(folder + "/sub").isEmpty());
    }

    void doubleClickOpensAFolder() {
        QVERIFY(QDir(folder).mkpath("sub/deeper/deepest"));
        QVERIFY(QDir(folder).mkdir("other"));
        QVERIFY(QDir(folder).mkdir(".hidden"));
        calculate();
        click(result(), "cmdSpara");
        QVERIFY(QTest::qWaitForWindowExposed(chooser()));
        // Parents, the current folder and its subfolders, nothing deeper.
        const QString parent = QFileInfo(folder).path();
        QVERIFY(chooser()->entryOf(parent).isValid());
        QVERIFY(chooser()->entryOf(QDir::rootPath()).isValid());
        waitForEntry(folder + "/other");
        const QModelIndex sub = waitForEntry(folder + "/sub");
        QVERIFY(!chooser()->entryOf(folder + "/sub/deeper").isValid());
        QVERIFY(!chooser()->entryOf(folder + "/.hidden").isValid());

        doubleClick(sub);
        expectOpenFolder(folder + "/sub", folder + "/sub/deeper");
        QVERIFY(!chooser()->entryOf(folder + "/other").isValid());
        QVERIFY(!chooser()->entryOf(folder + "/sub/deeper/deepest").isValid());
        QVERIFY(chooser()->entryOf(folder).isValid());

        click(chooser(), "cmdOK");
        expectSavedMessage(0, folder + "/sub/Result1.txt");
        QCOMPARE(uitest::readBytes(folder + "/sub/Result1.txt"), reference.fileOf(1));

        // Later saves go to the same folder without asking.
        click(result(), "cmdSpara");
        QVERIFY(!chooser()->isVisible());
        expectSavedMessage(1, folder + "/sub/Result2.txt");
        QCOMPARE(entries(folder), (QStringList{".hidden", "other", "sub"}));
    }

    void doubleClickOnAParentOpensIt() {
        calculate();
        click(result(), "cmdSpara");
        QVERIFY(QTest::qWaitForWindowExposed(chooser()));
        const QString parent = QFileInfo(folder).path();
        const QModelIndex above = waitForEntry(parent);
        doubleClick(above);

        expectOpenFolder(parent, folder);
    }

    void chooserClosedThroughItsFrameStoresNothing() {
        QVERIFY(QDir(folder).mkdir("sub"));
        calculate();
        click(result(), "cmdSpara");
        QPointer<forCatalog> first = chooser();
        doubleClick(waitForEntry(folder + "/sub"));
        QCOMPARE(first->path(), folder + "/sub");
        first->close();
        uitest::settle();
        QVERIFY(first.isNull());
        QVERIFY(window->sparaKatalog().empty());
        QVERIFY(catcher->messages.empty());
        QCOMPARE(entries(folder), QStringList{"sub"});

        click(result(), "cmdSpara");
        QVERIFY(chooser() != nullptr && chooser()->isVisible());
        QCOMPARE(chooser()->path(), folder);
    }

    void openChooserComesToTheFrontUnchanged() {
        QVERIFY(QDir(folder).mkdir("sub"));
        calculate();
        click(result(), "cmdSpara");
        forCatalog* first = chooser();
        doubleClick(waitForEntry(folder + "/sub"));
        click(result(), "cmdSpara");
        QCOMPARE(chooser(), first);
        QCOMPARE(first->path(), folder + "/sub");
        QVERIFY(catcher->messages.empty());
    }

    void driveListShowsTheMountOfTheWorkingFolderAndStaysApart() {
        calculate();
        click(result(), "cmdSpara");
        auto* drives = child<QComboBox>(chooser(), "Drive1");
        QStringList mounted;
        for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
            if (volume.isValid() && volume.isReady()) {
                mounted << volume.rootPath();
            }
        }
        QCOMPARE(drives->count(), mounted.size());
        QCOMPARE(drives->currentData().toString(), QStorageInfo(folder).rootPath());
        for (int i = 0; i < drives->count(); ++i) {
            drives->setCurrentIndex(i);
            QCOMPARE(chooser()->path(), folder);
        }
        click(chooser(), "cmdOK");
        expectSavedMessage(0, folder + "/Result1.txt");
    }

    void saveWorksWithTheResultWindowClosed() {
        calculate();
        click(result(), "cmdSpara");
        QPointer<forResultat> first = result();
        first->close();
        uitest::settle();
        QVERIFY(first.isNull());
        click(chooser(), "cmdOK");
        expectSavedMessage(0, folder + "/Result1.txt");
        QCOMPARE(uitest::readBytes(folder + "/Result1.txt"), reference.fileOf(1));
    }

    // A failed save changes nothing: not the folder, not the texts, not the files there. A
    // folder that went away or may not be written is said so, and the chooser is offered;
    // closed through its frame, it stores nothing, and the mended folder takes the next save
    // without a question. Any other failure is told in the save's own words.
    void failedSaveReportsAndKeepsEverything() {
        QFETCH(QString, cause);
        QFETCH(QString, said);
        if (unspoilable(cause)) {
            QSKIP("the superuser writes into read-only folders");
        }
        calculate();
        const std::string bytes = window->session.fileBytes();
        const QString target = saveIntoTarget();
        spoil(cause, target);
        if (QTest::currentTestFailed()) {
            return;
        }
        const QStringList present = QFileInfo::exists(target) ? entries(target) : QStringList();
        click(result(), "cmdSpara");

        const lodra::Result<std::string> expected =
            lodra::saveNumberedResult(target.toStdString(), bytes);
        QVERIFY(!expected.ok());
        QCOMPARE(catcher->messages.size(), std::size_t{2});
        QCOMPARE(catcher->messages[1].title, QStringLiteral("Lodra05"));
        QCOMPARE(catcher->messages[1].text,
                 said.isEmpty() ? QString::fromStdString(expected.message()) : said.arg(target));
        QVERIFY(catcher->messages[1].okOnly);
        QCOMPARE(QFileInfo::exists(target) ? entries(target) : QStringList(), present);
        QCOMPARE(QString::fromStdString(window->sparaKatalog()), target);
        QCOMPARE(window->session.fileBytes(), bytes);
        QCOMPARE(chooser()->isVisible(), !said.isEmpty());
        if (chooser()->isVisible()) {
            QPointer<forCatalog> offered = chooser();
            offered->close();
            uitest::settle();
            QVERIFY(offered.isNull());
            QCOMPARE(QString::fromStdString(window->sparaKatalog()), target);
        }

        // Mended, the next save goes through without asking for a folder again.
        if (cause == "removed") {
            QVERIFY(QDir(folder).mkdir("target"));
        } else if (cause == "full numbering") {
            QVERIFY(QFile::remove(target + "/Result32767.txt"));
        } else {
            QVERIFY(QFile::setPermissions(target,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        click(result(), "cmdSpara");
        QVERIFY(chooser() == nullptr || !chooser()->isVisible());
        const QString next = target + (cause == "removed" ? "/Result1.txt" : "/Result2.txt");
        expectSavedMessage(2, next);
        QCOMPARE(uitest::readBytes(next), reference.fileOf(1));
    }
    void failedSaveReportsAndKeepsEverything_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("said");  // %1: the folder; empty: the save's own message
        QTest::newRow("folder removed") << "removed" << kGone + kOther;
        QTest::newRow("number 32767 reached") << "full numbering" << QString();
        QTest::newRow("folder read-only") << "read-only" << kUnwritable + kOther;
    }

    // The folder of the run's results went away: the save says so and offers the chooser,
    // at the nearest folder still there. The chooser does not take a folder that has gone
    // meanwhile either; the folder then confirmed takes every calculation of the run, and
    // the saves after it.
    void vanishedFolderIsReplacedThroughTheChooser() {
        QFETCH(QString, cause);
        QFETCH(QString, said);
        if (unspoilable(cause)) {
            QSKIP("the superuser writes into read-only folders");
        }
        QFETCH(QString, offered);  // relative to the working folder
        const QString target = folder + "/target";
        calculate();
        calculate();
        QCOMPARE(saveIntoTarget(), target);
        spoil(cause, target);
        if (QTest::currentTestFailed()) {
            return;
        }
        calculate();

        click(result(), "cmdSpara");
        QCOMPARE(catcher->messages.size(), std::size_t{2});
        QCOMPARE(catcher->messages[1].text, said.arg(target));
        QCOMPARE(catcher->messages[1].icon, QMessageBox::Warning);
        QVERIFY(chooser()->isVisible());
        QCOMPARE(chooser()->path(), offered.isEmpty() ? folder : folder + "/" + offered);
        QCOMPARE(child<QLineEdit>(chooser(), "txtKatalog")->text(), chooser()->path());

        // Opened, then gone before "OK": refused, and its parent opened.
        if (chooser()->path() != folder) {
            doubleClick(waitForEntry(folder));
        }
        QVERIFY(QDir(folder).mkpath("stick/gone"));
        doubleClick(waitForEntry(folder + "/stick"));
        doubleClick(waitForEntry(folder + "/stick/gone"));
        QVERIFY(QDir(folder + "/stick/gone").removeRecursively());
        click(chooser(), "cmdOK");
        QCOMPARE(catcher->messages.size(), std::size_t{3});
        QCOMPARE(catcher->messages[2].text,
                 QStringLiteral("Mappen \"%1/stick/gone\" finns inte längre. Välj en annan mapp.")
                     .arg(folder));
        QVERIFY(chooser()->isVisible());
        QCOMPARE(chooser()->path(), folder + "/stick");
        QCOMPARE(QString::fromStdString(window->sparaKatalog()), target);

        click(chooser(), "cmdOK");
        QVERIFY(!chooser()->isVisible());
        QCOMPARE(QString::fromStdString(window->sparaKatalog()), folder + "/stick");
        expectSavedMessage(3, folder + "/stick/Result1.txt");
        QCOMPARE(uitest::readBytes(folder + "/stick/Result1.txt"), reference.fileOf(3));
        click(result(), "cmdSpara");
        expectSavedMessage(4, folder + "/stick/Result2.txt");
    }
    void vanishedFolderIsReplacedThroughTheChooser_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("offered");
        QTest::newRow("folder removed") << "removed" << kGone + kOther << QString();
        QTest::newRow("folder replaced by a file") << "file" << kGone + kOther << QString();
        QTest::newRow("folder read-only") << "read-only" << kUnwritable + kOther << "target";
    }
};

QTEST_MAIN(ForResultatTest)
#include "forresultat_test.moc"
