// Stands kept in files through the parameters window's menu bar: saving and opening, a
// register's chooser, the messages of a file that cannot be read, and "Om Lodra05".

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "tests/ui/uitest.h"
#include "ui/forcatalog.h"
#include "ui/fortraddiametrar.h"
#include "ui/refusaltext.h"
#include "ui/savedialog.h"
#include "ui/standmenu.h"

using lodra::forLodra02;
using lodra::InputRecord;
using uitest::child;
using uitest::FileDialogAnswer;

Q_DECLARE_METATYPE(InputRecord)

namespace {

const std::array<const char*, 9> kFields = {"txtTotaltid",   "txtBon",   "txtAreal",
                                            "txtRant",       "txtRing",  "txtVari",
                                            "txtAtervandel", "txtBerik", "txtCyktillavv"};

std::array<std::string, 9> textsOf(const InputRecord& r) {
    return {r.totaltid,  r.bonitet,    r.areal,     r.ranta,     r.maxRing,
            r.variation, r.atervandel, r.berikning, r.cykTillAvv};
}

// Every text and choice of a stand on one line each, for a comparison that shows the odd
// one out.
QStringList linesOf(const InputRecord& r) {
    QStringList lines;
    for (const std::string& text : textsOf(r)) {
        lines << QString::fromStdString(text);
    }
    lines << QStringLiteral("%1%2%3 %4%5")
                 .arg(r.optTall)
                 .arg(r.optGran)
                 .arg(r.optLov)
                 .arg(r.optGallring)
                 .arg(r.optKalavv);
    for (const lodra::TreeRow& row : r.rows) {
        lines << QString::fromStdString(row.text) + (row.avverkas ? " x" : "");
    }
    return lines;
}

// Types a stand into the windows as a user does.
void enter(forLodra02& window, const InputRecord& r) {
    const std::array<std::string, 9> texts = textsOf(r);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        uitest::type(child<QLineEdit>(&window, kFields[i]), QString::fromStdString(texts[i]));
    }
    for (const auto& [name, chosen] : {std::pair{"optTall", r.optTall},
                                       {"optGran", r.optGran},
                                       {"optLov", r.optLov},
                                       {"optGallring", r.optGallring},
                                       {"optKalavv", r.optKalavv}}) {
        if (chosen) {
            uitest::clickIndicator(child<QRadioButton>(&window, name));
        }
    }
    lodra::forTradDiametrar* trees = window.tradDiametrar();
    for (int i = 0; i < lodra::forTradDiametrar::kRows; ++i) {
        uitest::type(trees->txtDiam(i), QString::fromStdString(r.rows[i].text));
        uitest::setTicked(trees->ckbAvverkas(i), r.rows[i].avverkas);
    }
}

// Answers the register's chooser with its entry at index, keeping what it listed.
class ChooserAnswer : public QObject {
  public:
    explicit ChooserAnswer(int index) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this, index] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible()) {
                return;
            }
            timer_.stop();
            items = dialog->comboBoxItems();
            label = dialog->labelText();
            dialog->setTextValue(items.value(index));
            QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
        });
        timer_.start();
    }
    QStringList items;
    QString label;

  private:
    QTimer timer_;
};

}  // namespace

class StandsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<forLodra02> window;
    std::unique_ptr<uitest::MessageCatcher> catcher;

    QString path(const QString& name) const { return folder->filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Presses a key with Ctrl (and Shift) on the parameters window, as a user does.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr && focus->window() == window.get() ? focus : window.get(),
                        key, modifiers);
    }
    void open(const QString& name) {
        FileDialogAnswer answer(path(name));
        press(Qt::Key_O);
        QVERIFY(answer.answered);
    }
    QStringList shownTexts() { return linesOf(window->inputRecord()); }

  private slots:
    void init() {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(folder->path()));
        catcher = std::make_unique<uitest::MessageCatcher>();
        window = std::make_unique<forLodra02>();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() {
        window.reset();
        uitest::settle();
        catcher.reset();
    }

    // The menus say what they do, with their keys; the controls stay where they were
    // within the window's client area, below the bar.
    void menuBarAboveTheUnmovedForm() {
        auto* bar = child<QMenuBar>(window.get(), "lodraMenuBar");
        QStringList items;
        for (QAction* menu : bar->actions()) {
            items << menu->text();
            for (QAction* item : menu->menu()->actions()) {
                if (!item->isSeparator()) {
                    items << QStringLiteral("  ") + item->text() + QLatin1Char('\t') +
                                 item->shortcut().toString();
                }
            }
        }
        QCOMPARE(items,
                 QStringList({"&Arkiv", "  Nytt bestånd\tCtrl+N", "  Öppna bestånd…\tCtrl+O",
                              "  Spara bestånd\tCtrl+S", "  Spara bestånd som…\tCtrl+Shift+S",
                              "  Avsluta\tCtrl+Q", "&Hjälp", "  Om Lodra05\t"}));
        const auto* content = child<QWidget>(window.get(), "lodraContent");
        QCOMPARE(content->mapTo(window.get(), QPoint(0, 0)), QPoint(0, bar->height()));
        QCOMPARE(window->height(), content->height() + bar->height());
        // The stand's name is outside the tab order, which starts and ends as before.
        QCOMPARE(child<QLineEdit>(window.get(), "txtBestand")->focusPolicy(), Qt::ClickFocus);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtTotaltid"));
    }

    void saveThenOpenGivesBackEveryText_data() {
        QTest::addColumn<InputRecord>("input");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<InputRecord>("back");

        QTest::newRow("initial entries")
            << InputRecord{} << QString()
            << QByteArray(
                   "\xEF\xBB\xBFtotaltid;bonitet;areal;ranta;maxRing;variation;"
                   "atervandel;berikning;cykTillAvv;tradslag;atgard;dia1;dia2;dia3;dia4;"
                   "dia5;dia6;dia7;dia8;dia9;dia10;avv1;avv2;avv3;avv4;avv5;avv6;avv7;"
                   "avv8;avv9;avv10\r\n"
                   "250;4;50;3;5;0;15;50;2;Gran;Gallring och plockhuggning;45;35;1;1;;;;;;"
                   ";x;;;;;;;;;\r\n")
            << InputRecord{};

        InputRecord odd;
        odd.totaltid = "";
        odd.bonitet = "4,5";
        odd.areal = "abc";
        odd.ranta = "7";
        odd.optLov = true;
        odd.optGran = false;
        odd.optKalavv = true;
        odd.optGallring = false;
        odd.rows[0] = {"", false};
        odd.rows[2] = {"12,5", true};
        InputRecord oddBack = odd;
        oddBack.bonitet = "4.5";
        oddBack.rows[2].text = "12.5";
        QTest::newRow("blank, refused and decimal comma")
            << odd << QStringLiteral("Skog; \"ek\"")
            << QByteArray(
                   "\xEF\xBB\xBF"
                   "bestand;totaltid;bonitet;areal;ranta;maxRing;variation;"
                   "atervandel;berikning;cykTillAvv;tradslag;atgard;dia1;dia2;dia3;dia4;"
                   "dia5;dia6;dia7;dia8;dia9;dia10;avv1;avv2;avv3;avv4;avv5;avv6;avv7;"
                   "avv8;avv9;avv10\r\n"
                   "\"Skog; \"\"ek\"\"\";;4.5;abc;7;5;0;15;50;2;L\xC3\xB6v;Kalavverkning;"
                   ";35;12.5;1;;;;;;;;;x;;;;;;;\r\n")
            << oddBack;
    }
    void saveThenOpenGivesBackEveryText() {
        QFETCH(InputRecord, input);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(InputRecord, back);
        enter(*window, input);
        auto* nameField = child<QLineEdit>(window.get(), "txtBestand");
        nameField->setText(name);
        {
            FileDialogAnswer answer(path("stand.csv"));
            press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(answer.title, QStringLiteral("Spara bestånd"));
        }
        QCOMPARE(QByteArray::fromStdString(uitest::readBytes(path("stand.csv"))), bytes);
        QCOMPARE(child<QLabel>(window.get(), "lblSparad")->toolTip(),
                 QStringLiteral("Sparades i ") + path("stand.csv"));

        press(Qt::Key_N);
        QCOMPARE(shownTexts(), linesOf(InputRecord{}));
        QCOMPARE(nameField->text(), QString());
        open("stand.csv");
        QCOMPARE(shownTexts(), linesOf(back));
        QCOMPARE(nameField->text(), name);
        QVERIFY(catcher->messages.empty());
    }

    // A register shows its stands by row and name; the one chosen fills the windows, and
    // "Spara bestånd" then asks for a name instead of writing over the register.
    void registerOpensAtTheChosenRow() {
        const QByteArray bytes = "bestand;ranta;dia1\r\nNorr;2;30\r\n;;\r\n;4;40\r\nSöder;5;\r\n";
        write("register.csv", bytes);
        ChooserAnswer chooser(2);
        open("register.csv");
        QCOMPARE(chooser.items, QStringList({"Rad 2 – Norr", "Rad 4", "Rad 5 – Söder"}));
        QCOMPARE(chooser.label, QStringLiteral("Filen har 3 bestånd. Välj det som ska öppnas:"));
        InputRecord expected;
        expected.ranta = "5";
        expected.rows.fill({});
        QCOMPARE(shownTexts(), linesOf(expected));
        QCOMPARE(child<QLineEdit>(window.get(), "txtBestand")->text(), QStringLiteral("Söder"));

        FileDialogAnswer answer(path("soder.csv"));
        press(Qt::Key_S);
        QVERIFY(answer.answered);
        QCOMPARE(QByteArray::fromStdString(uitest::readBytes(path("register.csv"))), bytes);
    }

    // A file of one stand is written back where it came from, without a question.
    void oneStandIsSavedBackInPlace() {
        write("one.csv", "ranta;bonitet\r\n2;5\r\n");
        open("one.csv");
        uitest::type(child<QLineEdit>(window.get(), "txtRant"), QStringLiteral("4"));
        press(Qt::Key_S);
        const std::string saved = uitest::readBytes(path("one.csv"));
        QVERIFY(saved.find("ranta;maxRing") != std::string::npos);
        QVERIFY(saved.find("\r\n250;5;50;4;5;") != std::string::npos);
        QVERIFY(catcher->messages.empty());
    }

    // A stand the calculation refuses opens all the same; "Beräkna" refuses it as usual.
    void refusedStandOpensAndIsRefusedByBerakna() {
        write("refused.csv", "ranta\r\n7\r\n");
        open("refused.csv");
        QCOMPARE(child<QLineEdit>(window.get(), "txtRant")->text(), QStringLiteral("7"));
        QVERIFY(catcher->messages.empty());
        uitest::calculate(*window);
        InputRecord refused;
        refused.ranta = "7";
        lodra::Session session;
        const lodra::Outcome outcome = session.berakna(refused, lodra::CalcOptions{});
        QVERIFY(!outcome.ok());
        QCOMPARE(catcher->messages.size(), std::size_t(1));
        QCOMPARE(catcher->messages[0].text,
                 QString::fromStdString(lodra::windowMessage(outcome.error(), '.')));
    }

    // What the batch tool says of a file, in a box; the entries stay as they were, or take
    // what a refused row holds.
    void unreadableFileSaysWhatTheBatchToolSays_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("ranta");
        QTest::newRow("unknown column")
            << QByteArray("ranta;hojd\r\n4;1\r\n")
            << "Fel i beståndsfilen \"%1\": Okänd kolumn \"hojd\" i rubrikraden. Kolumnerna "
               "heter totaltid, bonitet, areal, ranta, maxRing, tradslag, variation, atervandel, "
               "atgard, berikning, cykTillAvv, dia1 till dia10, avv1 till avv10 och bestand."
            << "3";
        QTest::newRow("header only") << QByteArray("ranta\r\n")
                                     << "Beståndsfilen \"%1\" har inga bestånd, bara en rubrikrad."
                                     << "3";
        QTest::newRow("unknown species")
            << QByteArray("ranta;tradslag\r\n4;Ek\r\n")
            << "Fel i beståndsfilen \"%1\": Rad 2: Okänt trädslag \"Ek\" i kolumnen tradslag. "
               "Skriv Tall, Gran eller Löv."
            << "4";
    }
    void unreadableFileSaysWhatTheBatchToolSays() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(QString, ranta);
        write("bad.csv", bytes);
        open("bad.csv");
        QCOMPARE(catcher->messages.size(), std::size_t(1));
        QCOMPARE(catcher->messages[0].text, message.arg(path("bad.csv")));
        QCOMPARE(catcher->messages[0].icon, QMessageBox::Warning);
        QCOMPARE(child<QLineEdit>(window.get(), "txtRant")->text(), ranta);
    }

    void quitAsksNothing() {
        QSignalSpy quit(qApp, &QCoreApplication::aboutToQuit);
        press(Qt::Key_Q);
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(catcher->messages.empty());
    }

    // Chosen in the menu with the mouse.
    void aboutTellsTheVersionAndTheFileFormat() {
        auto* bar = child<QMenuBar>(window.get(), "lodraMenuBar");
        QMenu* help = child<QMenu>(bar, "mnuHjalp");
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(help->menuAction()).center());
        QTRY_VERIFY(help->isVisible());
        QAction* about = help->actions().constFirst();
        QTest::mouseClick(help, Qt::LeftButton, {}, help->actionGeometry(about).center());
        QTRY_COMPARE(catcher->messages.size(), std::size_t(1));
        QCOMPARE(catcher->messages[0].text,
                 QStringLiteral("Lodra05 version " LODRA05_VERSION
                                "\n\nBeräknar avverkning, kassaflöde och nuvärde för ett "
                                "skogsbestånd.\n\nBeståndsfilens format beskrivs i avsnittet "
                                "\"Beståndsfilen\" i /usr/share/doc/lodra05/README.md och av "
                                "lodra05-batch --help."));
    }

    // Dialogs open in the last folder a file went to in the run, or in the result folder
    // once one has been chosen.
    void dialogsOpenWhereTheRunSavedLast() {
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("a/b")));
        write("a/b/one.csv", "ranta\r\n2\r\n");
        FileDialogAnswer first(path("a/b/one.csv"));
        press(Qt::Key_O);
        QCOMPARE(first.folder, folder->path());
        FileDialogAnswer second(path("a/two.csv"));
        press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(second.folder, path("a/b"));
        FileDialogAnswer third(path("three.csv"));
        press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(third.folder, path("a"));
        FileDialogAnswer fourth(path("a/four.csv"));
        press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(fourth.folder, folder->path());
        // The folder chooser's folder, once chosen, is where every later dialog opens.
        emit window->catalog()->folderChosen(path("a/b"));
        FileDialogAnswer fifth(path("five.csv"));
        press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(fifth.folder, path("a/b"));
    }

    // Every entry is announced by its label's text and says its unit and what it accepts,
    // in the intake's own words.
    void fieldsSayTheirLabelAndRule_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("horizon") << "txtTotaltid"
                                 << "Label1"
                                 << "Antal år, ett heltal från 1 till 32767";
        QTest::newRow("site index") << "txtBon"
                                    << "Label2" << QString();
        QTest::newRow("area") << "txtAreal"
                              << "Label3"
                              << "Provytans areal i m2: större än 0";
        QTest::newRow("rate") << "txtRant"
                              << "Label4"
                              << "Räntekrav i procent: 2, 3, 4 eller 5";
        QTest::newRow("ring") << "txtRing"
                              << "Label5"
                              << "Största tänkbara årsring i mm: högst 100";
        QTest::newRow("variation") << "txtVari"
                                   << "Label7" << QString();
        QTest::newRow("regeneration") << "txtAtervandel"
                                      << "Label9" << QString();
        QTest::newRow("enrichment") << "txtBerik"
                                    << "Label12" << QString();
        QTest::newRow("interval") << "txtCyktillavv"
                                  << "Label11" << QString();
    }
    void fieldsSayTheirLabelAndRule() {
        QFETCH(QString, field);
        QFETCH(QString, label);
        QFETCH(QString, tooltip);
        const auto* entry = child<QLineEdit>(window.get(), qPrintable(field));
        QCOMPARE(entry->accessibleName(), child<QLabel>(window.get(), qPrintable(label))->text());
        QVERIFY(!entry->toolTip().isEmpty());
        if (!tooltip.isEmpty()) {
            QCOMPARE(entry->toolTip(), tooltip);
        }
    }

    // A tree row is named by its number and says what its diameter accepts.
    void treeRowsSayTheirNumberAndRule() {
        lodra::forTradDiametrar* trees = window->tradDiametrar();
        QCOMPARE(trees->txtDiam(6)->accessibleName(), QStringLiteral("Diameter, träd 7"));
        QCOMPARE(trees->ckbAvverkas(6)->accessibleName(),
                 QStringLiteral("Avverkas direkt, träd 7"));
        QCOMPARE(trees->txtDiam(9)->toolTip(),
                 QStringLiteral("Trädets diameter i cm: ett tal; en tom ruta är inget träd"));
    }
};

QTEST_MAIN(StandsTest)
#include "stands_test.moc"
