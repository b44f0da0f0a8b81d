// Stands kept in files through the parameters window's menu bar: saving and opening, a
// register's chooser, the messages of a file that cannot be read, and "Om Lodra05".

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTextDocument>
#include <QtTest>
#include <tuple>

#include "report/cyclecsv.h"
#include "standfile/standwriter.h"
#include "tests/ui/uitest.h"
#include "ui/cyclemodel.h"
#include "ui/forcatalog.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/savedialog.h"
#include "ui/standmenu.h"

using lodra::InputRecord;
using uitest::child;
using uitest::FileDialogAnswer;

namespace {

// Every text and choice of a stand on one line each, for a comparison that shows the odd
// one out.
QStringList linesOf(const InputRecord& r) {
    QStringList lines;
    for (const std::string& text : {r.totaltid, r.bonitet, r.areal, r.ranta, r.maxRing, r.variation,
                                    r.atervandel, r.berikning, r.cykTillAvv}) {
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

}  // namespace

class StandsTest : public uitest::ParametersWindowTest {
    Q_OBJECT

  private:
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
    // "Spara bestånd som…" into the file of that name; gives the dialog's title and folder.
    std::pair<QString, QString> saveAs(const QString& name) {
        FileDialogAnswer answer(path(name));
        press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        return {answer.title, answer.folder};
    }
    QStringList shownTexts() { return linesOf(window->inputRecord()); }
    static QAbstractButton* buttonNamed(const QMessageBox& box, const QString& text) {
        for (QAbstractButton* button : box.buttons()) {
            if (button->text() == text) {
                return button;
            }
        }
        return nullptr;
    }

  private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

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
        // The stand's name is outside the tab order, which starts as before.
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtTotaltid"));
    }

    // Every text, choice and the stand's name come back after saving and opening; a decimal
    // comma is saved as a point, the name quoted. (The writer's tests hold the bytes of the
    // initial entries.)
    void saveThenOpenGivesBackEveryText() {
        InputRecord odd;
        std::tie(odd.totaltid, odd.bonitet, odd.areal, odd.ranta) =
            std::tuple("", "4,5", "abc", "7");
        std::tie(odd.optGran, odd.optLov, odd.optGallring, odd.optKalavv) =
            std::tuple(false, true, false, true);
        odd.rows[0] = {"", false};
        odd.rows[2] = {"12,5", true};
        window->setInputRecord(odd);
        const QString name = QStringLiteral("Skog; \"ek\"");
        auto* nameField = child<QLineEdit>(window.get(), "txtBestand");
        nameField->setText(name);
        QCOMPARE(saveAs("stand.csv").first, QStringLiteral("Spara bestånd"));
        QCOMPARE(QByteArray::fromStdString(uitest::readBytes(path("stand.csv"))),
                 QByteArray("\xEF\xBB\xBF"
                            "bestand;totaltid;bonitet;areal;ranta;maxRing;variation;"
                            "atervandel;berikning;cykTillAvv;tradslag;atgard;dia1;dia2;dia3;dia4;"
                            "dia5;dia6;dia7;dia8;dia9;dia10;avv1;avv2;avv3;avv4;avv5;avv6;avv7;"
                            "avv8;avv9;avv10\r\n"
                            "\"Skog; \"\"ek\"\"\";;4.5;abc;7;5;0;15;50;2;L\xC3\xB6v;Kalavverkning;"
                            ";35;12.5;1;;;;;;;;;x;;;;;;;\r\n"));
        QCOMPARE(child<QLabel>(window.get(), "lblSparad")->toolTip(),
                 QStringLiteral("Sparades i ") + path("stand.csv"));

        press(Qt::Key_N);
        QCOMPARE(shownTexts(), linesOf(InputRecord{}));
        QCOMPARE(nameField->text(), QString());
        open("stand.csv");
        odd.bonitet = "4.5";
        odd.rows[2].text = "12.5";
        QCOMPARE(shownTexts(), linesOf(odd));
        QCOMPARE(nameField->text(), name);
        QVERIFY(catcher->messages.empty());
    }

    // A register shows its stands by row and name; the one chosen fills the windows, and
    // "Spara bestånd" then asks for a name instead of writing over the register.
    void registerOpensAtTheChosenRow() {
        const QByteArray bytes = "bestand;ranta;dia1\r\nNorr;2;30\r\n;;\r\n;4;40\r\nSöder;5;\r\n";
        write("register.csv", bytes);
        QStringList items;
        QString label;
        uitest::Answer<QInputDialog> chooser([&](QInputDialog& dialog) {
            items = dialog.comboBoxItems();
            label = dialog.labelText();
            dialog.setTextValue(items.value(2));
            QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
        });
        open("register.csv");
        QCOMPARE(items, QStringList({"Rad 2 – Norr", "Rad 4", "Rad 5 – Söder"}));
        QCOMPARE(label, QStringLiteral("Filen har 3 bestånd. Välj det som ska öppnas:"));
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

    // Saving never replaces what the user did not mean to: a stand file changed since it was
    // opened or saved is written over only when the user says so, a link's target is
    // replaced and the link kept, a read-only file is kept; the development window's saves
    // keep to the same rules. Each save is made twice: the first one's outcome shows in the
    // second.
    void savesKeepWhatWasNotMeantToBeReplaced_data() {
        QTest::addColumn<QString>("save");     // the key or the development window's button
        QTest::addColumn<QString>("change");   // what happens to the file before the saves
        QTest::addColumn<QString>("answer");   // to "Spara bestånd"'s question
        QTest::addColumn<int>("asked");        // questions in the two saves
        QTest::addColumn<QString>("message");  // of each save; %1: the path chosen
        QTest::addColumn<bool>("replaced");    // the file holds what the window saved
        QTest::addColumn<bool>("savedAs");     // other.csv holds the stand
        const QString denied = QStringLiteral("Kunde inte spara \"%1\": behörighet saknas.");
        const QString skriv = QStringLiteral("Skriv över");
        QTest::newRow("changed, Skriv över")
            << "Ctrl+S"
            << "appended" << skriv << 1 << QString() << true << false;
        QTest::newRow("changed, Spara som…") << "Ctrl+S"
                                             << "appended"
                                             << "Spara som…" << 1 << QString() << false << true;
        QTest::newRow("changed, Avbryt") << "Ctrl+S"
                                         << "appended"
                                         << "Avbryt" << 2 << QString() << false << false;
        QTest::newRow("same bytes at a new time, Avbryt")
            << "Ctrl+S"
            << "touched"
            << "Avbryt" << 2 << QString() << false << false;
        QTest::newRow("symbolic link") << "Ctrl+S"
                                       << "link" << QString() << 0 << QString() << true << false;
        QTest::newRow("read-only file")
            << "Ctrl+S"
            << "read-only" << QString() << 0 << denied << false << false;
        for (const char* button : {"cmdSparaTabell", "cmdSparaDiagram", "cmdSparaPdf"}) {
            QTest::addRow("%s, symbolic link", button)
                << button << "link" << QString() << 0 << QString() << true << false;
            QTest::addRow("%s, read-only file", button)
                << button << "read-only" << QString() << 0 << denied << false << false;
        }
    }
    void savesKeepWhatWasNotMeantToBeReplaced() {
        QFETCH(QString, save);
        QFETCH(QString, change);
        QFETCH(QString, answer);
        QFETCH(int, asked);
        QFETCH(QString, message);
        QFETCH(bool, replaced);
        QFETCH(bool, savedAs);
        const QByteArray old = "ranta;bonitet\r\n2;5\r\n";
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("sub")));
        write("sub/one.csv", old);
        const QString file = path("sub/one.csv");
        const QString chosenName = change == "link" ? "link.csv" : "sub/one.csv";
        const QString chosen = path(chosenName);
        QVERIFY(change != "link" || QFile::link(file, chosen));
        const bool stand = save == "Ctrl+S";
        if (stand) {
            open(chosenName);
            uitest::type(child<QLineEdit>(window.get(), "txtRant"), QStringLiteral("4"));
        } else {
            uitest::calculate(*window);
            uitest::click(window->existingResultat(), "cmdUtveckling");
        }
        QByteArray kept = old;
        if (change == "appended") {
            kept += "3;5\r\n4;5\r\n5;5\r\n";
            write("sub/one.csv", kept);
        } else if (change == "touched") {
            QFile touched(file);
            QVERIFY(touched.open(QIODevice::ReadWrite));
            QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                        QFileDevice::FileModificationTime));
        } else if (change == "read-only") {
            QVERIFY(QFile::setPermissions(file,
                                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }

        catcher.reset();
        QStringList questions;
        QStringList messages;
        QStringList replaceAsked;  // the file dialog's question
        bool plain = true;
        uitest::Answer<QMessageBox> boxes(
            [&](QMessageBox& box) {
                plain = plain && box.textFormat() == Qt::PlainText;
                QAbstractButton* pressed = box.button(QMessageBox::Ok);
                if (pressed != nullptr) {
                    messages << box.text();
                } else if (box.text().endsWith(
                               QStringLiteral("finns redan. Vill du ersätta den?"))) {
                    replaceAsked << box.text();
                    pressed = buttonNamed(box, QStringLiteral("Ersätt"));
                } else {
                    questions << box.text();
                    pressed = buttonNamed(box, answer);
                }
                QTest::mouseClick(pressed != nullptr ? pressed : box.buttons().constFirst(),
                                  Qt::LeftButton);
            },
            true);
        for (int i = 0; i < 2; ++i) {
            FileDialogAnswer dialog(stand ? path("other.csv") : chosen);
            if (stand) {
                press(Qt::Key_S);
            } else {
                uitest::click(window->existingUtveckling(), save.toLatin1().constData());
            }
            QCOMPARE(dialog.answered, !stand || (answer == "Spara som…" && i == 0));
        }

        const QString question =
            QStringLiteral(
                "Filen \"%1\" har ändrats sedan beståndet öppnades eller sparades i "
                "den, kanske av ett annat program. Vill du skriva över den med "
                "beståndet i fönstret?")
                .arg(chosen);
        QCOMPARE(questions, QStringList(asked, question));
        QCOMPARE(replaceAsked,
                 QStringList(stand ? 0 : 2, QStringLiteral("Filen \"%1\" finns redan. Vill du "
                                                           "ersätta den?")
                                                .arg(chosen)));
        QVERIFY(plain);
        QCOMPARE(messages, message.isEmpty() ? QStringList() : QStringList(2, message.arg(chosen)));
        const QByteArray saved = QByteArray::fromStdString(
            stand ? lodra::standFileBytes(window->inputRecord(), std::string())
            : save == "cmdSparaTabell"
                ? lodra::cycleCsv(window->existingUtveckling()->cycleModel().rows(), '.')
            : save == "cmdSparaDiagram" ? "\x89PNG"
                                        : "%PDF");
        const QByteArray now = QByteArray::fromStdString(uitest::readBytes(file));
        QCOMPARE(replaced ? now.left(saved.size()) : now, replaced ? saved : kept);
        QCOMPARE(QByteArray::fromStdString(uitest::readBytes(path("other.csv"))),
                 savedAs ? saved : QByteArray("<cannot read " + path("other.csv").toUtf8() + ">"));
        QCOMPARE(QFileInfo(chosen).isSymLink(), change == "link");
        QCOMPARE(QFile::permissions(file) & 0x2022,
                 change == "read-only" ? QFile::Permissions() : QFile::WriteOwner);
        QCOMPARE(QDir(path("sub")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("one.csv")});  // no hidden copies left
    }

    // Saving over an existing file asks first, in a box of the program's own; "Avbryt"
    // goes back to the dialog, which the user then leaves.
    void replacingAFileAsksFirst() {
        write("old.csv", "x");
        int dialogs = 0;
        uitest::Answer<QFileDialog> files(
            [&](QFileDialog& dialog) {
                if (++dialogs > 1) {
                    dialog.reject();
                    return;
                }
                dialog.selectFile(path("old.csv"));
                QTest::mouseClick(
                    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save),
                    Qt::LeftButton);
            },
            true);
        catcher.reset();
        QStringList asked;
        uitest::Answer<QMessageBox> boxes([&](QMessageBox& box) {
            asked << box.text();
            QTest::mouseClick(buttonNamed(box, QStringLiteral("Avbryt")), Qt::LeftButton);
        });
        press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(dialogs, 2);
        QCOMPARE(asked, QStringList(QStringLiteral("Filen \"%1\" finns redan. Vill du ersätta "
                                                   "den?")
                                        .arg(path("old.csv"))));
        QCOMPARE(uitest::readBytes(path("old.csv")), "x");
    }

    // What a file holds or is called shows as written: markup in a file's name or a stand's
    // is not drawn as formatting, and a line break or a direction override in a stand's name
    // cannot draw another line of the pick list or turn its text.
    void fileContentShowsAsPlainText() {
        const QString markup = QStringLiteral("<h1>Allt klart");
        write(markup + ".csv", "ranta\r\n");
        catcher.reset();
        QStringList texts;
        Qt::TextFormat format = Qt::AutoText;
        uitest::Answer<QMessageBox> boxes([&](QMessageBox& box) {
            texts << box.text();
            format = box.textFormat();
            QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
        });
        open(markup + ".csv");
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(texts, QStringList(QStringLiteral("Beståndsfilen \"%1\" har inga bestånd, bara "
                                                   "en rubrikrad.")
                                        .arg(path(markup + ".csv"))));

        write("register.csv",
              "bestand;ranta\r\n\"Norr\r\nRad 9 – Falsk\";2\r\n"
              "\xE2\x80\xAE"
              "abc;3\r\n<b>Söder</b>;4\r\n");
        QStringList items;
        uitest::Answer<QInputDialog> chooser([&](QInputDialog& dialog) {
            items = dialog.comboBoxItems();
            dialog.setTextValue(items.value(2));
            QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
        });
        open("register.csv");
        QCOMPARE(items, QStringList({"Rad 2 – Norr\\x0d\\x0aRad 9 – Falsk", "Rad 3 – \\u202eabc",
                                     "Rad 4 – <b>Söder</b>"}));
        auto* name = child<QLineEdit>(window.get(), "txtBestand");
        QCOMPARE(name->text(), QStringLiteral("<b>Söder</b>"));  // kept as the file has it

        // The saved line and its tooltip show the file's name, not what markup would make
        // of it.
        FileDialogAnswer answer(path(markup + " 2.csv"));
        press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(answer.answered);
        auto* saved = child<lodra::SavedLine>(window.get(), "lblSparad");
        QCOMPARE(saved->textFormat(), Qt::PlainText);
        QTextDocument tip;
        tip.setHtml(saved->toolTip());
        QCOMPARE(tip.toPlainText(), QStringLiteral("Sparades i ") + path(markup + " 2.csv"));
    }

    // What the batch tool says of a file, in a box; the entries stay as they were, or take
    // what a refused row holds. A stand the calculation refuses opens without a word.
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
        QTest::newRow("refused by the calculation")
            << QByteArray("ranta\r\n7\r\n") << QString() << "7";
    }
    void unreadableFileSaysWhatTheBatchToolSays() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(QString, ranta);
        write("bad.csv", bytes);
        open("bad.csv");
        QCOMPARE(catcher->messages.size(), std::size_t(message.isEmpty() ? 0 : 1));
        if (!message.isEmpty()) {
            QCOMPARE(catcher->messages[0].text, message.arg(path("bad.csv")));
            QCOMPARE(catcher->messages[0].icon, QMessageBox::Warning);
        }
        QCOMPARE(child<QLineEdit>(window.get(), "txtRant")->text(), ranta);
    }

    void quitAsksNothing() {
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
        QCOMPARE(saveAs("a/two.csv").second, path("a/b"));
        QCOMPARE(saveAs("three.csv").second, path("a"));
        QCOMPARE(saveAs("a/four.csv").second, folder->path());
        // The folder chooser's folder, once chosen, is where every later dialog opens.
        emit window->catalog()->folderChosen(path("a/b"));
        QCOMPARE(saveAs("five.csv").second, path("a/b"));
    }

    // Every entry is announced by its label's text and says what it accepts, in the intake's
    // own words; a tree row by its column's caption and its number.
    void entriesSayTheirLabelAndRule() {
        const std::array<std::array<const char*, 3>, 9> entries = {{
            {"txtTotaltid", "Label1", "Antal år, ett heltal från 1 till 32767"},
            {"txtBon", "Label2", ""},
            {"txtAreal", "Label3", "Provytans areal i m2: större än 0"},
            {"txtRant", "Label4", "Räntekrav i procent: 2, 3, 4 eller 5"},
            {"txtRing", "Label5", "Största tänkbara årsring i mm: högst 100"},
            {"txtVari", "Label7", ""},
            {"txtAtervandel", "Label9", ""},
            {"txtBerik", "Label12", ""},
            {"txtCyktillavv", "Label11", ""},
        }};
        for (const auto& [field, label, rule] : entries) {
            const auto* entry = child<QLineEdit>(window.get(), field);
            QCOMPARE(entry->accessibleName(), child<QLabel>(window.get(), label)->text());
            QVERIFY2(!entry->toolTip().isEmpty(), field);
            if (*rule != '\0') {
                QCOMPARE(entry->toolTip(), QString::fromUtf8(rule));
            }
        }
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
