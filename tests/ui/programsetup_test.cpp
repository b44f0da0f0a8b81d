// What the program sets up before its first window: Qt's own dialogs and menus in Swedish
// under a Swedish locale (CTest runs this under sv_SE and under C), and its icon on every
// window.

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
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
