// Stands kept in files through the parameters window's menu bar: saving and opening, a
// register's chooser, the messages of a file that cannot be read, and "Om Lodra05".

#include <QDialogButtonBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSemaphore>
#include <QTextDocument>
#include <QThreadPool>
#include <QtTest>
#include <fstream>
#include <map>
#include <string>
#include <tuple>

#include "report/cyclecsv.h"
#include "standfile/standwriter.h"
#include "tests/ui/uitest.h"
#include "ui/cyclemodel.h"
#include "ui/forcatalog.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/parameterform.h"
#include "ui/savedialog.h"
#include "ui/standchooser.h"
#include "ui/standmenu.h"

using lodra::InputField;
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
    lines << QStringLiteral("%1 %2")
                 .arg(static_cast<int>(r.species))
                 .arg(static_cast<int>(r.measure));
    for (const lodra::TreeRow& row : r.rows) {
        lines << QString::fromStdString(row.text) + (row.avverkas ? " x" : "");
    }
    return lines;
}

// Adds a row of a data table: its tag, then its cells in the order of the columns.
template <typename... Cells>
void row(const char* tag, Cells... cells) {
    (QTest::newRow(tag) << ... << cells);
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
    // Opens the file through "Öppna bestånd…" and waits until it is open; gives the folder
    // the dialog opened in.
    QString open(const QString& name) {
        QSignalSpy ended(&window->standMenu(), &lodra::StandMenu::openEnded);
        FileDialogAnswer answer(path(name));
        press(Qt::Key_O);
        [&] {
            QVERIFY(answer.answered);
            QVERIFY(ended.count() > 0 || ended.wait(60000));
        }();
        return answer.folder;
    }
    // Answers the pick list: keeps its items and label, and picks the item of that index,
    // after running meanwhile, as a user does, with the mouse.
    struct PickList {
        QStringList items;  // the first ten
        int count = 0;
        QString picked;
        QString label;
    };
    std::unique_ptr<uitest::Answer<lodra::StandChooser>> pick(
        PickList& seen, int index, std::function<void()> meanwhile = {}) {
        return std::make_unique<uitest::Answer<lodra::StandChooser>>(
            [&seen, index, meanwhile](lodra::StandChooser& dialog) {
                auto* list = child<QListView>(&dialog, "lstBestand");
                seen.count = list->model()->rowCount();
                for (int i = 0; i < std::min(seen.count, 10); ++i) {
                    seen.items << list->model()->index(i, 0).data().toString();
                }
                seen.label = child<QLabel>(&dialog, "lblFraga")->text();
                const QModelIndex item = list->model()->index(index, 0);
                list->scrollTo(item);
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualRect(item).center());
                seen.picked = list->currentIndex().data().toString();
                if (meanwhile) {
                    meanwhile();
                }
                QTest::mouseClick(
                    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                    Qt::LeftButton);
            });
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
        QCOMPARE(items, QStringList({"&Arkiv", "  Nytt bestånd\tCtrl+N", "  Öppna bestånd…\tCtrl+O",
                                     "  Öppna fastighet…\tCtrl+Shift+O", "  Spara bestånd\tCtrl+S",
                                     "  Spara bestånd som…\tCtrl+Shift+S", "  Avsluta\tCtrl+Q",
                                     "&Hjälp", "  Handbok\tF1", "  Om Lodra05\t"}));
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
        odd.species = lodra::Species::lov;
        odd.measure = lodra::Measure::kalavverkning;
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

    // The stand's area is shown beside its name as the file holds it, saved in its own column
    // after the name (a comma as a point), and gone with "Nytt bestånd".
    void areaIsShownBesideTheNameAndSaved() {
        write("area.csv", "bestand;hektar;ranta\r\nNorra;12,5;3\r\n");
        open("area.csv");
        auto* area = child<QLineEdit>(window.get(), "txtHektar");
        QCOMPARE(area->text(), QStringLiteral("12,5"));
        QCOMPARE(saveAs("saved.csv").first, QStringLiteral("Spara bestånd"));
        const std::string saved = uitest::readBytes(path("saved.csv"));
        QCOMPARE(QByteArray::fromStdString(saved.substr(0, 27)),
                 QByteArray("\xEF\xBB\xBF"
                            "bestand;hektar;totaltid;"));
        QVERIFY(saved.find("\r\nNorra;12.5;") != std::string::npos);
        press(Qt::Key_N);
        QCOMPARE(area->text(), QString());
        QVERIFY(catcher->messages.empty());
    }

    // An opened stand shows its numbers with the decimal comma the window was handed,
    // whatever the locale; the file holds a point. (The point: saveThenOpenGivesBackEveryText.)
    void openedStandShowsTheHandedInComma() {
        closeWindow();
        openWindow(uitest::numberFormat(','));
        write("stand.csv", "bonitet;dia1\r\n4.5;12.5\r\n");
        open("stand.csv");
        const InputRecord shown = window->inputRecord();
        QCOMPARE(shown.bonitet, std::string("4,5"));
        QCOMPARE(shown.rows[0].text, std::string("12,5"));
        QVERIFY(catcher->messages.empty());
    }

    // A register shows its stands by row and name; the one chosen fills the windows, and
    // "Spara bestånd" then asks for a name instead of writing over the register.
    void registerOpensAtTheChosenRow() {
        const QByteArray bytes = "bestand;ranta;dia1\r\nNorr;2;30\r\n;;\r\n;4;40\r\nSöder;5;\r\n";
        write("register.csv", bytes);
        PickList seen;
        const auto chooser = pick(seen, 2);
        open("register.csv");
        QCOMPARE(seen.items, QStringList({"Rad 2 – Norr", "Rad 4", "Rad 5 – Söder"}));
        QCOMPARE(seen.picked, QStringLiteral("Rad 5 – Söder"));
        QCOMPARE(seen.label, QStringLiteral("Filen har 3 bestånd. Välj det som ska öppnas:"));
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
        const auto row = [](const QByteArray& tag, const QString& save, const QString& change,
                            const QString& answer, int asked, const QString& message, bool replaced,
                            bool savedAs) {
            QTest::newRow(tag.constData())
                << save << change << answer << asked << message << replaced << savedAs;
        };
        row("changed, Skriv över", "Ctrl+S", "appended", "Skriv över", 1, {}, true, false);
        row("changed, Spara som…", "Ctrl+S", "appended", "Spara som…", 1, {}, false, true);
        row("changed, Avbryt", "Ctrl+S", "appended", "Avbryt", 2, {}, false, false);
        row("same bytes at a new time, Avbryt", "Ctrl+S", "touched", "Avbryt", 2, {}, false, false);
        for (const char* save : {"Ctrl+S", "cmdSparaTabell", "cmdSparaDiagram", "cmdSparaPdf"}) {
            row(save + QByteArray(", symbolic link"), save, "link", {}, 0, {}, true, false);
            row(save + QByteArray(", read-only file"), save, "read-only", {}, 0, denied, false,
                false);
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
        PickList seen;
        const auto chooser = pick(seen, 2);
        open("register.csv");
        QCOMPARE(seen.items, QStringList({"Rad 2 – Norr\\x0d\\x0aRad 9 – Falsk",
                                          "Rad 3 – \\u202eabc", "Rad 4 – <b>Söder</b>"}));
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

    // A choice cell the options cannot show stays as the file held it: the open names each,
    // "Beräkna" refuses it as the batch tool does until the user makes the choice, and saving
    // the untouched stand writes every cell back, a long name whole.
    void refusedCellsStayRefused_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("options");       // the options shown checked
        QTest::addColumn<QStringList>("refusals");  // "Beräkna" says each in turn ...
        QTest::addColumn<QStringList>("choices");   // ... with the focus on the next choice,
                                                    // which the user then clicks
        QTest::addColumn<QByteArray>("saved");      // the row "Spara bestånd" writes at once
        QTest::addColumn<QByteArray>("chosen");     // ... and after the choices
        const QString art = QStringLiteral(
            "Okänt trädslag \"Ek\" i kolumnen tradslag. Skriv Tall, Gran eller Löv.");
        const QString atgard = QStringLiteral(
            "Okänd åtgärd \"Gallring\" i kolumnen atgard. Skriv Kalavverkning eller Gallring och "
            "plockhuggning.");
        const QString avv2 = QStringLiteral(
            "Okänt värde \"ja\" i kolumnen avv2. Skriv x för ett träd som avverkas direkt, annars "
            "ingenting.");
        QTest::newRow("species, measure and mark")
            << QByteArray("Skifte 7;Ek;Gallring;45;x;ja\r\n") << QString()
            << QStringList{art, atgard, avv2}
            << QStringList{"optTall", "optGallring", "ckbAvverkas_1"}
            << QByteArray(
                   "Skifte 7;250;4;50;3;5;0;15;50;2;Ek;Gallring;45;;;;;;;;;;x;ja;;;;;;;;\r\n")
            << QByteArray(
                   "Skifte 7;250;4;50;3;5;0;15;50;2;Tall;Gallring och "
                   "plockhuggning;45;;;;;;;;;;x;x;;;;;;;"
                   ";\r\n");
        QTest::newRow("a mark only")
            << QByteArray("Skifte 8;Tall;;45;;ja\r\n") << QStringLiteral("optTall optGallring")
            << QStringList{avv2} << QStringList{"ckbAvverkas_1"}
            << QByteArray(
                   "Skifte 8;250;4;50;3;5;0;15;50;2;Tall;;45;;;;;;;;;"
                   ";;ja;;;;;;;;\r\n")
            << QByteArray("Skifte 8;250;4;50;3;5;0;15;50;2;Tall;;45;;;;;;;;;;;x;;;;;;;;\r\n");
        // A name longer than a line edit holds by default comes back whole.
        const QByteArray name(40000, 'n');
        const QByteArray written =
            name + ";250;4;50;3;5;0;15;50;2; Tall ;;45;;;;;;;;;; X ;;;;;;;;;\r\n";
        QTest::newRow("usable cells as written, a long name whole")
            << QByteArray(name + "; Tall ;;45; X ;\r\n") << QStringLiteral("optTall optGallring")
            << QStringList{} << QStringList{} << written << written;
    }
    void refusedCellsStayRefused() {
        QFETCH(QByteArray, row);
        QFETCH(QString, options);
        QFETCH(QStringList, refusals);
        QFETCH(QStringList, choices);
        QFETCH(QByteArray, saved);
        QFETCH(QByteArray, chosen);
        write("refused.csv", "bestand;tradslag;atgard;dia1;avv1;avv2\r\n" + row);
        open("refused.csv");
        if (refusals.isEmpty()) {
            QVERIFY(catcher->messages.empty());
        } else {
            QCOMPARE(catcher->messages.size(), std::size_t(1));
            QCOMPARE(catcher->messages[0].text, "Fel i beståndsfilen \"" + path("refused.csv") +
                                                    "\": Rad 2: " + refusals.join('\n'));
        }
        // Nothing is shown as chosen that the file did not choose.
        QStringList shown;
        for (const char* option : {"optTall", "optGran", "optLov", "optGallring", "optKalavv"}) {
            if (child<QRadioButton>(window.get(), option)->isChecked()) {
                shown << QString::fromLatin1(option);
            }
        }
        QCOMPARE(shown.join(' '), options);
        lodra::forTradDiametrar* trees = window->tradDiametrar();
        QCOMPARE(trees->ckbAvverkas(1)->checkState(),
                 row.contains("ja") ? Qt::PartiallyChecked : Qt::Unchecked);

        // Saved untouched, every cell is what the file held.
        const auto savedRow = [this] {
            press(Qt::Key_S);
            const std::string bytes = uitest::readBytes(path("refused.csv"));
            return QByteArray::fromStdString(bytes.substr(bytes.find('\n') + 1));
        };
        QCOMPARE(savedRow(), saved);

        for (qsizetype i = 0; i < refusals.size(); ++i) {
            catcher->messages.clear();
            uitest::calculate(*window);
            QCOMPARE(catcher->messages.size(), std::size_t(1));
            QCOMPARE(catcher->messages[0].text, refusals[i]);
            QVERIFY(window->existingResultat() == nullptr);
            // The choice to make has the focus.
            auto* choice = child<QAbstractButton>(
                choices[i].startsWith("ckb") ? static_cast<QWidget*>(trees) : window.get(),
                qPrintable(choices[i]));
            QTRY_VERIFY(choice->window()->isVisible());
            QTRY_COMPARE(QApplication::focusWidget(), choice);
            uitest::clickIndicator(choice);
        }
        catcher->messages.clear();
        uitest::calculate(*window);
        QVERIFY(catcher->messages.empty());
        QVERIFY(window->existingResultat() != nullptr);
        QCOMPARE(savedRow(), chosen);
    }

    // The pick list keeps, as the user types, the stands whose name holds the text in any
    // case or whose row begins with it; the arrow keys move in what is kept and Enter opens
    // it. With nothing kept "OK" is off and Escape leaves the entries as they were. ("\b":
    // Backspace, which widens the list again.)
    void pickListFiltersAsTheUserTypes_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("downs");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("name");  // of the stand opened; "-": none opened
        QTest::addColumn<QString>("ranta");
        const QString lind = QStringLiteral("Rad 10 – Lind");
        const QString lonn = QStringLiteral("Rad 11 – Lönn");
        const QString hassel = QStringLiteral("Rad 12 – Hassel");
        const QString ronn = QStringLiteral("Rad 13 – Rönn");
        const QString norr = QStringLiteral("Rad 2 – Norr");
        const QString soder = QStringLiteral("Rad 3 – Söder");
        const QString norra = QStringLiteral("Rad 4 – norra skiftet");
        const QString asen = QStringLiteral("Rad 6 – Åsen 12");
        row("name in any case", "NORR", 1, QStringList{norr, norra}, "norra skiftet", "4");
        row("Swedish letter in the other case", QStringLiteral("Ö"), 0,
            QStringList{soder, lonn, ronn}, "Söder", "3");
        row("row number or name", "12", 1, QStringList{asen, hassel}, "Hassel", "2");
        row("row as the list says it", "rad 1", 2, QStringList{lind, lonn, hassel, ronn}, "Hassel",
            "2");
        row("row without a name", "5", 0, QStringList{"Rad 5"}, "", "5");
        row("narrowed, then widened again", "sx\b", 0,
            QStringList{soder, norra, asen, QStringLiteral("Rad 8 – Ask"), hassel}, "Söder", "3");
        row("nothing kept", "xyz", 0, QStringList{}, "-", "3");
    }
    void pickListFiltersAsTheUserTypes() {
        QFETCH(QString, typed);
        QFETCH(int, downs);
        QFETCH(QStringList, items);
        QFETCH(QString, name);
        QFETCH(QString, ranta);
        write("register.csv",
              "bestand;ranta\r\nNorr;2\r\nSöder;3\r\nnorra skiftet;4\r\n;5\r\nÅsen 12;2\r\n"
              "Ek;3\r\nAsk;4\r\nAlm;5\r\nLind;2\r\nLönn;3\r\nHassel;2\r\nRönn;4\r\n");
        QStringList shown;
        bool focused = false;
        bool ok = true;
        uitest::Answer<lodra::StandChooser> chooser([&](lodra::StandChooser& dialog) {
            auto* search = child<QLineEdit>(&dialog, "txtSok");
            focused = dialog.focusWidget() == search;
            for (const QChar c : typed) {
                if (c == QLatin1Char('\b')) {
                    QTest::keyClick(search, Qt::Key_Backspace);
                } else {
                    QTest::keyClicks(search, QString(c));
                }
            }
            const QAbstractItemModel* list = child<QListView>(&dialog, "lstBestand")->model();
            for (int i = 0; i < list->rowCount(); ++i) {
                shown << list->index(i, 0).data().toString();
            }
            for (int i = 0; i < downs; ++i) {
                QTest::keyClick(search, Qt::Key_Down);
            }
            ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled();
            QTest::keyClick(search, shown.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
        });
        open("register.csv");
        QVERIFY(chooser.answered);
        QVERIFY(focused);
        QCOMPARE(shown, items);
        QCOMPARE(ok, !items.isEmpty());
        QCOMPARE(child<QLineEdit>(window.get(), "txtRant")->text(), ranta);
        QCOMPARE(window->standMenu().standFile(), name == "-" ? QString() : path("register.csv"));
        QCOMPARE(child<QLineEdit>(window.get(), "txtBestand")->text(),
                 name == "-" ? QString() : name);
    }

    // The pick list shows the start of a long name; a file written while the user picks is
    // not read, and the entries stay as they were.
    void fileChangedWhilePickingIsRefused() {
        const QString name = QString(250, QLatin1Char('a'));
        write("register.csv", "bestand;ranta\r\n" + name.toUtf8() + ";2\r\nB;4\r\n");
        PickList seen;
        const auto chooser = pick(seen, 1, [this] {
            write("other.csv", "bestand;ranta\r\nC;5\r\nB;4\r\n");
            QVERIFY(QFile::remove(path("register.csv")));
            QVERIFY(QFile::rename(path("other.csv"), path("register.csv")));
        });
        open("register.csv");
        QCOMPARE(seen.items,
                 QStringList({"Rad 2 – " + name.left(200) + "…", QStringLiteral("Rad 3 – B")}));
        QCOMPARE(catcher->messages.size(), std::size_t(1));
        QCOMPARE(catcher->messages[0].text,
                 "Fel i beståndsfilen \"" + path("register.csv") +
                     "\": Filen har ändrats sedan bestånden listades. Öppna den igen.");
        QCOMPARE(child<QLineEdit>(window.get(), "txtRant")->text(), QStringLiteral("3"));
        QCOMPARE(window->standMenu().standFile(), QString());
    }

    // "Avbryt" while the file is listed: nothing opens, nothing is said. The listing is held
    // back until then by keeping its one thread busy.
    void listingStopsWithAvbryt() {
        write("register.csv", "bestand;ranta\r\nA;2\r\nB;4\r\n");
        window->standMenu().setProgressDelay(0);
        QThreadPool* pool = &window->standMenu().listingPool();
        QSemaphore release;
        pool->start([&release] { release.acquire(); });
        uitest::ProgressWatcher watcher;
        bool pressed = false;
        uitest::Answer<QProgressDialog> avbryt([&](QProgressDialog& progress) {
            for (QPushButton* button : progress.findChildren<QPushButton*>()) {
                if (button->text() == QStringLiteral("Avbryt")) {
                    QTest::mouseClick(button, Qt::LeftButton);
                    pressed = true;
                }
            }
            release.release();
        });
        open("register.csv");
        pool->waitForDone();
        QVERIFY(pressed);
        QCOMPARE(watcher.shown, 1);
        QVERIFY(catcher->messages.empty());
        QCOMPARE(child<QLineEdit>(window.get(), "txtRant")->text(), QStringLiteral("3"));
        QCOMPARE(window->standMenu().standFile(), QString());
        QVERIFY(!window->standMenu().isOpening());
    }

    // Closed while a file is listed: the window ends, the listing stops, nothing is said.
    void closingWhileListingEndsQuietly() {
        write("register.csv", "bestand;ranta\r\nA;2\r\nB;4\r\n");
        window->standMenu().setProgressDelay(60000);
        QSemaphore release;
        window->standMenu().listingPool().start([&release] { release.acquire(); });
        FileDialogAnswer answer(path("register.csv"));
        press(Qt::Key_O);
        QVERIFY(answer.answered);
        QVERIFY(window->standMenu().isOpening());
        window->close();
        QVERIFY(!window->isVisible());
        release.release();
        window.reset();
        uitest::settle();
        QVERIFY(catcher->messages.empty());
    }

    // A register of two million stands (about 200 MB) opens within 10 s in at most 200 MB,
    // its progress shown meanwhile; the last stand is picked from the list. Run under the
    // large label only (LODRA05_LARGE set).
    void largeRegisterOpensQuicklyInLittleMemory() {
        if (qEnvironmentVariableIsEmpty("LODRA05_LARGE")) {
            QSKIP("a large test: set LODRA05_LARGE to run it");
        }
        {
            std::ofstream out(path("large.csv").toStdString(), std::ios::binary);
            out << "bestand;totaltid;bonitet;areal;ranta;maxRing;variation;atervandel;berikning;"
                   "cykTillAvv;tradslag;atgard;dia1;avv1;dia2;dia3;dia4\r\n";
            for (int i = 1; i <= 2000000; ++i) {
                out << "Skifte " << i << " norra avdelningen;250;4;50;3;5;0;15;50;2;Gran;"
                    << "Kalavverkning;45;x;" << i % 90 + 10 << ";12.5;33.25\r\n";
            }
        }
        PickList seen;
        QElapsedTimer listed;
        qint64 seconds = -1;
        const auto chooser = pick(seen, 1999999, [&] { seconds = listed.elapsed() / 1000; });
        uitest::ProgressWatcher watcher;
        listed.start();
        open("large.csv");
        QCOMPARE(seen.count, 2000000);
        QCOMPARE(seen.picked, QStringLiteral("Rad 2000001 – Skifte 2000000 norra avdelningen"));
        QVERIFY2(seconds <= 10, qPrintable(QString::number(seconds)));
        QCOMPARE(watcher.shown, 1);
        QCOMPARE(child<QLineEdit>(window.get(), "txtBestand")->text(),
                 QStringLiteral("Skifte 2000000 norra avdelningen"));
        QCOMPARE(window->tradDiametrar()->txtDiam(1)->text(), QStringLiteral("30"));
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line) && !line.starts_with("VmHWM:")) {
        }
        const double megabytes = std::stod(line.substr(6)) / 1024;
        qInfo("listed and picked in %lld s, peak %.0f MB", static_cast<long long>(seconds),
              megabytes);
        QVERIFY2(megabytes <= 200, qPrintable(QString::number(megabytes)));
    }

    // The line beside the stand's name says where the entries were saved while they are as
    // saved, says that they have changed since while they are not (the file name stays, as
    // "Spara bestånd" writes there), and says nothing once the entries come from elsewhere.
    void savedLineFollowsTheEntries_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("line");  // "saved", "changed" or "none"
        row("rate typed", "rate", "changed");
        row("rate typed back as saved", "rate back", "saved");
        row("tree diameter typed", "diameter", "changed");
        row("tree mark ticked", "mark", "changed");
        row("species chosen", "species", "changed");
        row("name typed", "name", "changed");
        row("area typed", "area", "changed");
        row("area typed, then emptied as saved", "area back", "saved");
        row("area typed, then saved again", "area saved", "saved");
        row("typed, then saved again", "saved again", "saved");
        row("typed, then tree rows dropped with their window", "trees closed", "saved");
        row("another file opened", "open", "none");
        row("another register row chosen", "register", "none");
        row("Nytt bestånd", "new", "none");
    }
    void savedLineFollowsTheEntries() {
        QFETCH(QString, action);
        QFETCH(QString, line);
        write("other.csv", "bestand;ranta\r\nAnnat;2\r\n");
        write("register.csv", "bestand;ranta\r\nNorr;2\r\nSöder;4\r\n");
        child<QLineEdit>(window.get(), "txtBestand")->setText(QStringLiteral("Ett"));
        saveAs("stand.csv");
        auto* saved = child<lodra::SavedLine>(window.get(), "lblSparad");
        QCOMPARE(saved->toolTip(), QStringLiteral("Sparades i ") + path("stand.csv"));

        lodra::forTradDiametrar* trees = window->tradDiametrar();
        PickList seen;
        const auto chooser = action == "register" ? pick(seen, 1) : nullptr;
        if (action.startsWith("rate") || action == "saved again") {
            uitest::type(child<QLineEdit>(window.get(), "txtRant"), QStringLiteral("4"));
        }
        if (action == "rate back") {
            uitest::type(child<QLineEdit>(window.get(), "txtRant"), QStringLiteral("3"));
        } else if (action == "saved again") {
            press(Qt::Key_S);
        } else if (action == "diameter" || action == "trees closed") {
            uitest::type(trees->txtDiam(3), QStringLiteral("20"));
        } else if (action == "mark") {
            uitest::setTicked(trees->ckbAvverkas(1), true);
        } else if (action == "species") {
            uitest::clickIndicator(child<QRadioButton>(window.get(), "optTall"));
        } else if (action == "name") {
            uitest::type(child<QLineEdit>(window.get(), "txtBestand"), QStringLiteral("Två"));
        } else if (action.startsWith("area")) {
            uitest::type(child<QLineEdit>(window.get(), "txtHektar"), QStringLiteral("12,5"));
            if (action == "area back") {
                uitest::type(child<QLineEdit>(window.get(), "txtHektar"), QString());
            } else if (action == "area saved") {
                press(Qt::Key_S);
            }
        } else if (action == "open" || action == "register") {
            open(action == "open" ? "other.csv" : "register.csv");
        } else if (action == "new") {
            press(Qt::Key_N);
        }
        if (action == "trees closed") {
            QVERIFY(saved->isChanged());
            trees->close();
            uitest::settle();
            QCoreApplication::processEvents();
        }

        const QString tip = line == "saved" ? QStringLiteral("Sparades i ") + path("stand.csv")
                            : line == "changed"
                                ? QStringLiteral("Ändrat sedan det sparades i ") + path("stand.csv")
                                : QString();
        QCOMPARE(saved->toolTip(), tip);
        QCOMPARE(saved->text().isEmpty(), line == "none");
        QVERIFY(catcher->messages.empty());
    }

    // Too narrow for the whole line, the path gives way in its middle and the words stay
    // whole, as long as a part of the path can show.
    void savedLineKeepsItsWordsWhole_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("chars");  // room for the path, in average characters
        QTest::addColumn<QString>("start");
        QTest::newRow("saved") << false << 20 << "Sparades i /";
        QTest::newRow("changed") << true << 20 << "Ändrat sedan det sparades i /";
        QTest::newRow("no room for the path") << true << 2 << "Ändrat sed";
    }
    void savedLineKeepsItsWordsWhole() {
        QFETCH(bool, changed);
        QFETCH(int, chars);
        QFETCH(QString, start);
        lodra::SavedLine line;
        const QString path = QStringLiteral("/mnt/skog/bestand/") + QString(60, 'a') + ".csv";
        line.saved(path);
        line.setChanged(changed);
        const QString words = changed ? lodra::SavedLine::changedTextFor(QString())
                                      : lodra::SavedLine::textFor(QString());
        line.resize(line.fontMetrics().horizontalAdvance(words) +
                        line.fontMetrics().averageCharWidth() * chars,
                    20);
        QVERIFY2(line.text().startsWith(start), qPrintable(line.text()));
        QVERIFY(line.text().contains(QStringLiteral("…")));
        QVERIFY(line.text().endsWith(QStringLiteral(".csv")));
        // The whole path stays in the tip.
        QCOMPARE(line.toolTip(), (changed ? QStringLiteral("Ändrat sedan det sparades i ")
                                          : QStringLiteral("Sparades i ")) +
                                     path);
    }

    // "Nytt bestånd" and "Öppna bestånd…" ask before entries that came from a stand file or
    // were saved in one, and have changed since, give way: "Spara" saves them as "Spara
    // bestånd" does (a register's stand into a file of its own) and goes on only once they
    // are saved, "Spara inte" goes on, "Avbryt" keeps them. Nothing is asked without a stand
    // file, without a change, or on "Avsluta".
    void changedEntriesAreNotLostUnasked_data() {
        QTest::addColumn<QString>("from");     // the file opened, "saved": mine.csv saved as
        QTest::addColumn<QString>("edit");     // "typed", "undone" or none
        QTest::addColumn<QString>("key");      // N, O or Q
        QTest::addColumn<QString>("answer");   // to the question; none: nothing asked
        QTest::addColumn<QString>("saveAs");   // the name given to the save dialog; none: cancel
        QTest::addColumn<bool>("readOnly");    // the file opened is made read-only
        QTest::addColumn<bool>("replaced");    // the entries gave way
        QTest::addColumn<QString>("savedIn");  // the file that holds the edited entries after
        const QString one = QStringLiteral("one.csv");
        const QString reg = QStringLiteral("register.csv");
        row("no stand file, new", "", "typed", "N", "", "", false, true, "");
        row("opened, unchanged, new", one, "", "N", "", "", false, true, "");
        row("opened, edits undone, open", one, "undone", "O", "", "", false, true, "");
        row("opened, Spara, new", one, "typed", "N", "Spara", "", false, true, one);
        row("opened, Spara inte, new", one, "typed", "N", "Spara inte", "", false, true, "");
        row("opened, Avbryt, new", one, "typed", "N", "Avbryt", "", false, false, "");
        row("opened, Spara, open", one, "typed", "O", "Spara", "", false, true, one);
        row("opened, Spara inte, open", one, "typed", "O", "Spara inte", "", false, true, "");
        row("opened, Avbryt, open", one, "typed", "O", "Avbryt", "", false, false, "");
        row("saved as, Spara, new", "saved", "typed", "N", "Spara", "", false, true, "mine.csv");
        row("the save fails, Spara, new", one, "typed", "N", "Spara", "", true, false, "");
        row("register row, Spara into its own file, new", reg, "typed", "N", "Spara", "own.csv",
            false, true, "own.csv");
        row("register row, Spara, save dialog cancelled", reg, "typed", "O", "Spara", "", false,
            false, "");
        row("opened, Avsluta", one, "typed", "Q", "", "", false, true, "");
    }
    void changedEntriesAreNotLostUnasked() {
        QFETCH(QString, from);
        QFETCH(QString, edit);
        QFETCH(QString, key);
        QFETCH(QString, answer);
        QFETCH(QString, saveAs);
        QFETCH(bool, readOnly);
        QFETCH(bool, replaced);
        QFETCH(QString, savedIn);
        write("one.csv", "bestand;ranta\r\nEtt;2\r\n");
        write("two.csv", "bestand;ranta\r\nTvå;5\r\n");
        write("register.csv", "bestand;ranta\r\nNorr;2\r\nSöder;2\r\n");
        PickList seen;
        const auto chooser = pick(seen, 0);
        if (from == "saved") {
            this->saveAs("mine.csv");
        } else if (!from.isEmpty()) {
            open(from);
        }
        const QString source = path(from == "saved" ? QStringLiteral("mine.csv") : from);
        QVERIFY(!readOnly || QFile::setPermissions(source, QFile::ReadOwner));
        std::map<QString, std::string> before;
        for (const char* name : {"one.csv", "register.csv", "mine.csv", "own.csv"}) {
            before[name] = uitest::readBytes(path(name));
        }
        auto* rate = child<QLineEdit>(window.get(), "txtRant");
        const QString original = rate->text();
        if (!edit.isEmpty()) {
            uitest::type(rate, QStringLiteral("4"));
        }
        const std::string edited = lodra::standFileBytes(
            window->inputRecord(), window->standMenu().standName().toStdString());
        if (edit == "undone") {
            uitest::type(rate, original);
        }

        catcher.reset();
        QStringList questions;
        QStringList messages;
        uitest::Answer<QMessageBox> boxes(
            [&](QMessageBox& box) {
                QAbstractButton* pressed = box.button(QMessageBox::Ok);
                if (pressed != nullptr) {
                    messages << box.text();
                } else {
                    questions << box.text();
                    QStringList buttons;
                    for (QAbstractButton* button : box.buttons()) {
                        buttons << button->text();
                    }
                    buttons.sort();
                    QCOMPARE(buttons, (QStringList{"Avbryt", "Spara", "Spara inte"}));
                    pressed = buttonNamed(box, answer);
                }
                QTest::mouseClick(pressed, Qt::LeftButton);
            },
            true);
        QStringList dialogs;
        uitest::Answer<QFileDialog> files(
            [&](QFileDialog& dialog) {
                dialogs << dialog.windowTitle();
                const bool opening = dialog.acceptMode() == QFileDialog::AcceptOpen;
                if (!opening && saveAs.isEmpty()) {
                    dialog.reject();
                    return;
                }
                dialog.selectFile(path(opening ? QStringLiteral("two.csv") : saveAs));
                auto* buttons = dialog.findChild<QDialogButtonBox*>();
                QTest::mouseClick(
                    buttons->button(opening ? QDialogButtonBox::Open : QDialogButtonBox::Save),
                    Qt::LeftButton);
            },
            true);
        QSignalSpy ended(&window->standMenu(), &lodra::StandMenu::openEnded);
        press(key == "N" ? Qt::Key_N : key == "O" ? Qt::Key_O : Qt::Key_Q);
        if (key == "O" && replaced) {
            QVERIFY(ended.count() > 0 || ended.wait(60000));
        }

        const QString question =
            from == "register.csv"
                ? QStringLiteral(
                      "Beståndet kommer från \"%1\", som har flera bestånd. Spara "
                      "ändringarna i en egen fil?")
                : QStringLiteral("Spara ändringarna i \"%1\"?");
        QCOMPARE(questions, answer.isEmpty() ? QStringList() : QStringList{question.arg(source)});
        QCOMPARE(messages.size(), readOnly ? 1 : 0);
        QStringList expectedDialogs;
        if (from == "register.csv" && answer == "Spara") {
            expectedDialogs << QStringLiteral("Spara bestånd");
        }
        if (key == "O" && replaced) {
            expectedDialogs << QStringLiteral("Öppna bestånd");
        }
        QCOMPARE(dialogs, expectedDialogs);
        for (const auto& [name, bytes] : before) {
            QCOMPARE(uitest::readBytes(path(name)), name == savedIn ? edited : bytes);
        }
        if (key == "Q") {
            QTRY_VERIFY(!window->isVisible());
            return;
        }
        const QString shown = !replaced    ? (edit == "typed" ? QStringLiteral("4") : original)
                              : key == "N" ? QStringLiteral("3")
                                           : QStringLiteral("5");
        QCOMPARE(rate->text(), shown);
        QCOMPARE(window->standMenu().changedSinceFile(), !replaced);
    }

    void quitAsksNothing() {
        press(Qt::Key_Q);
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(catcher->messages.empty());
    }

    // Chosen in the menu with the mouse.
    void aboutTellsTheVersionAndPointsToTheHandbook() {
        auto* bar = child<QMenuBar>(window.get(), "lodraMenuBar");
        QMenu* help = child<QMenu>(bar, "mnuHjalp");
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(help->menuAction()).center());
        QTRY_VERIFY(help->isVisible());
        auto* about = child<QAction>(bar, "mnuOm");
        QTest::mouseClick(help, Qt::LeftButton, {}, help->actionGeometry(about).center());
        QTRY_COMPARE(catcher->messages.size(), std::size_t(1));
        QCOMPARE(catcher->messages[0].text,
                 QStringLiteral("Lodra05 version " LODRA05_VERSION
                                "\n\nBeräknar avverkning, kassaflöde och nuvärde för ett "
                                "skogsbestånd.\n\nHur programmet används, vad fälten betyder och "
                                "beståndsfilens format står i handboken: Hjälp → Handbok (F1)."));
    }

    // Dialogs open in the last folder a file went to in the run, or in the result folder
    // once one has been chosen.
    void dialogsOpenWhereTheRunSavedLast() {
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("a/b")));
        write("a/b/one.csv", "ranta\r\n2\r\n");
        QCOMPARE(open("a/b/one.csv"), folder->path());
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
        const std::map<InputField, const char*> rules = {
            {InputField::totaltid, "Antal år, ett heltal från 1 till 32767"},
            {InputField::areal, "Provytans areal i m2: större än 0"},
            {InputField::ranta, "Räntekrav i procent: 2, 3, 4 eller 5"},
            {InputField::maxRing, "Största tänkbara årsring i mm: högst 100"},
        };
        for (const lodra::ParameterWidgets& row : lodra::kParameterWidgets) {
            const auto* entry = child<QLineEdit>(window.get(), row.entry);
            QCOMPARE(entry->accessibleName(), child<QLabel>(window.get(), row.label)->text());
            QVERIFY2(!entry->toolTip().isEmpty(), row.entry);
            if (const auto rule = rules.find(row.field); rule != rules.end()) {
                QCOMPARE(entry->toolTip(), QString::fromUtf8(rule->second));
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
