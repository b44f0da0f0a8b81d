// What the program sets up before its first window: Qt's own dialogs and menus in Swedish
// under a Swedish locale (CTest runs this under sv_SE and under C), and its icon on every
// window.

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>
#include <QtTest>

#include "tests/ui/uitest.h"
#include "ui/forcatalog.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/forutveckling.h"
#include "ui/programsetup.h"

namespace {

bool swedishExpected() {
    return qEnvironmentVariable("LODRA05_EXPECT_SWEDISH") == QStringLiteral("1");
}

QStringList contextMenuTexts(QLineEdit& field) {
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text().section(QLatin1Char('\t'), 0, 0);
        }
    }
    return texts;
}

// Every text a dialog can show: its title, labels, buttons, group boxes, tabs, the items of its
// lists and boxes, its actions, tooltips and accessible names and descriptions, shown or not
// yet shown.
QStringList dialogTexts(const QWidget& dialog) {
    QStringList texts{dialog.windowTitle()};
    for (const QAction* action : dialog.findChildren<QAction*>()) {
        texts << action->text();
    }
    QList<QWidget*> widgets = dialog.findChildren<QWidget*>();
    widgets.prepend(const_cast<QWidget*>(&dialog));
    for (const QWidget* widget : widgets) {
        texts << widget->toolTip() << widget->accessibleName() << widget->accessibleDescription();
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            texts << label->text();
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            texts << button->text();
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
            texts << group->title();
        } else if (const auto* tabs = qobject_cast<const QTabWidget*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i) {
                texts << tabs->tabText(i);
            }
        } else if (const auto* box = qobject_cast<const QComboBox*>(widget)) {
            for (int i = 0; i < box->count(); ++i) {
                texts << box->itemText(i);
            }
        } else if (const auto* view = qobject_cast<const QAbstractItemView*>(widget);
                   view != nullptr && view->model() != nullptr) {
            const QAbstractItemModel& model = *view->model();
            for (int row = 0; row < model.rowCount(view->rootIndex()); ++row) {
                texts << model.index(row, 0, view->rootIndex()).data().toString();
            }
            for (int column = 0; column < model.columnCount(view->rootIndex()); ++column) {
                texts << model.headerData(column, Qt::Horizontal).toString();
            }
        }
    }
    texts.removeAll(QString());
    return texts;
}

// The texts of the print dialog and of the printer properties its "Egenskaper" opens.
QStringList printDialogTexts() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer);
    dialog.show();
    QStringList properties;
    uitest::Answer<QDialog> answer([&](QDialog& shown) {
        if (&shown != &dialog) {
            properties = dialogTexts(shown);
            shown.reject();
        }
    });
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("properties")), Qt::LeftButton);
    return dialogTexts(dialog) + properties;
}

// The texts of the program's file dialog, as it opens for saving and for opening.
QStringList fileDialogTexts(QFileDialog::AcceptMode mode) {
    QTemporaryDir folder;
    QFileDialog dialog(nullptr, QStringLiteral("Spara"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setDirectory(folder.path());
    dialog.setViewMode(QFileDialog::Detail);
    dialog.show();
    return dialogTexts(dialog);
}

// The lists one after the other.
QStringList joined(const QList<QStringList>& lists) {
    QStringList all;
    for (const QStringList& list : lists) {
        all += list;
    }
    return all;
}

}  // namespace

class ProgramSetupTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QCOMPARE(lodra::setUpProgram(*qobject_cast<QApplication*>(QCoreApplication::instance())),
                 swedishExpected());
    }

    // The texts of Qt's own save dialog, message box buttons and context menu.
    void qtTextsFollowTheLocale() {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QMessageBox box(QMessageBox::Question, QStringLiteral("Lodra05"), QStringLiteral("?"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        QLineEdit field(QStringLiteral("text"));
        const QStringList texts = QStringList{buttons->button(QDialogButtonBox::Save)->text(),
                                              buttons->button(QDialogButtonBox::Cancel)->text(),
                                              box.button(QMessageBox::Cancel)->text()} +
                                  contextMenuTexts(field);
        if (swedishExpected()) {
            QCOMPARE(texts,
                     QStringList({"&Spara", "Avbryt", "Avbryt", "&Ångra", "&Gör om", "Klipp &ut",
                                  "&Kopiera", "Klistra &in", "Ta bort", "Markera alla"}));
        } else {
            QCOMPARE(texts, QStringList({"&Save", "Cancel", "Cancel", "&Undo", "&Redo", "Cu&t",
                                         "&Copy", "&Paste", "Delete", "Select All"}));
        }
    }

    // The English texts of each dialog, which Qt's Swedish catalogue or the program's own
    // Swedish must replace: under a Swedish locale none of them is left, under any other
    // each is there (so the texts are read where the dialog shows them).
    void dialogsSpeakSwedish_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("english");
        QTest::newRow("utskrift")
            << printDialogTexts()
            << joined({
                   // The printer.
                   {"&Name:", "P&roperties", "Location:", "Local file", "Type:", "Write PDF file",
                    "Output &file:", "Print to File (PDF)", "&Options >>", "&Print"},
                   // Copies and the range.
                   {"Copies", "Copies:", "Collate", "Reverse", "Print range", "Print all",
                    "Pages from", "Current Page", "Pages", "Page Set:", "All Pages", "Odd Pages",
                    "Even Pages"},
                   // The output settings.
                   {"Output Settings", "Options", "Color Mode", "Color", "Grayscale",
                    "Double Sided Printing", "Off", "Long side binding", "Short side binding"},
                   // The printer properties: the page.
                   {"Printer Properties", "Page", "Advanced", "Job Options", "Paper",
                    "Page size:", "Width:", "Height:", "Orientation", "Portrait", "Landscape",
                    "Reverse landscape", "Reverse portrait", "Margins", "Page Layout",
                    "Page order:", "Pages per sheet:", "Millimeters (mm)",
                    "Left to Right, Top to Bottom"},
                   // The printer properties: the job.
                   {"Job Control", "Scheduled printing:", "Print Immediately",
                    "Billing information:", "Job priority:", "Banner Pages", "Start:", "End:"},
               });
        const QStringList fileDialog = joined({
            // Moving about.
            {"Look in:", "Computer", "Back", "Go back", "Forward", "Parent Directory",
             "Create New Folder", "Create a New Folder", "List View", "Detail View", "Sidebar",
             "List of places and bookmarks"},
            // The files.
            {"Files", "File &name:", "Files of type:", "Name", "Size", "Date Modified"},
            // The files' menu.
            {"&Rename", "&Delete", "Show &hidden files", "&New Folder"},
        });
        QTest::newRow("spara fil") << fileDialogTexts(QFileDialog::AcceptSave) << fileDialog;
        QTest::newRow("öppna fil") << fileDialogTexts(QFileDialog::AcceptOpen) << fileDialog;
    }
    void dialogsSpeakSwedish() {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, english);
        for (const QString& text : english) {
            QVERIFY2(texts.contains(text) != swedishExpected(), qPrintable(text));
        }
    }

    // Every window of the program carries the program's icon.
    void everyWindowCarriesTheIcon() {
        const QImage drawn = lodra::programIcon().pixmap(32, 32).toImage();
        QVERIFY(!drawn.isNull());
        uitest::MessageCatcher catcher;
        lodra::forLodra02 window(lodra::systemNumberFormat());
        window.show();
        uitest::click(&window, "cmdTraddiametrar");
        uitest::calculate(window);
        for (QWidget* shown : std::initializer_list<QWidget*>{
                 &window, window.existingTradDiametrar(), window.existingResultat(),
                 window.catalog(), window.utveckling()}) {
            QCOMPARE(shown->windowIcon().pixmap(32, 32).toImage(), drawn);
        }
    }
};

QTEST_MAIN(ProgramSetupTest)
#include "programsetup_test.moc"
