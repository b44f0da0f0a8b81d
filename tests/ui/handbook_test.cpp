// The handbook: "Hjälp → Handbok" and F1 open it, and its figures and names are those the
// program works from.

#include <QMenuBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>
#include <QtTest>

#include "calc/parameters.h"
#include "calc/spread.h"
#include "standfile/standcolumns.h"
#include "tests/ui/uitest.h"
#include "ui/fortraddiametrar.h"
#include "ui/handbook.h"

namespace {

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

// The handbooks the window has, shown or not.
QList<lodra::Handbook*> handbooks(const QWidget& window) {
    return window.findChildren<lodra::Handbook*>();
}

// The rows of the page's first table, each cell's text.
QList<QStringList> firstTable(const QTextDocument& document) {
    QList<QStringList> rows;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (const auto* table = qobject_cast<QTextTable*>(frame)) {
            for (int row = 0; row < table->rows(); ++row) {
                QStringList cells;
                for (int column = 0; column < table->columns(); ++column) {
                    const QTextTableCell cell = table->cellAt(row, column);
                    QTextCursor cursor = cell.firstCursorPosition();
                    cursor.setPosition(cell.lastCursorPosition().position(),
                                       QTextCursor::KeepAnchor);
                    cells << cursor.selectedText();
                }
                rows << cells;
            }
            break;
        }
    }
    return rows;
}

}  // namespace

class HandbookTest : public QObject {
    Q_OBJECT

  private slots:
    // F1 from the parameters window or the tree window, or the menu item, opens the one
    // handbook; asked for again, it comes back rather than a second one.
    void opensFromTheMenuAndF1_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("F1 i parameterfönstret") << QStringLiteral("F1");
        QTest::newRow("F1 i fönstret Träddiametrar") << QStringLiteral("F1 träd");
        QTest::newRow("Hjälp → Handbok") << QStringLiteral("meny");
    }
    void opensFromTheMenuAndF1() {
        QFETCH(QString, how);
        uitest::MessageCatcher catcher;
        lodra::forLodra02 window(lodra::systemNumberFormat());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(handbooks(window).isEmpty());
        for (int time = 0; time < 2; ++time) {
            if (how == QStringLiteral("meny")) {
                auto* bar = uitest::child<QMenuBar>(&window, "lodraMenuBar");
                QMenu* help = uitest::child<QMenu>(bar, "mnuHjalp");
                QTest::mouseClick(bar, Qt::LeftButton, {},
                                  bar->actionGeometry(help->menuAction()).center());
                QTRY_VERIFY(help->isVisible());
                auto* item = uitest::child<QAction>(bar, "mnuHandbok");
                QTest::mouseClick(help, Qt::LeftButton, {}, help->actionGeometry(item).center());
            } else if (how == QStringLiteral("F1 träd")) {
                uitest::click(&window, "cmdTraddiametrar");
                QWidget* trees = window.existingTradDiametrar();  // a QWidget
                QVERIFY(QTest::qWaitForWindowActive(trees));
                QTest::keyClick(trees, Qt::Key_F1);
            } else {
                window.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&window));
                QTest::keyClick(&window, Qt::Key_F1);
            }
            QTRY_COMPARE(handbooks(window).size(), 1);
            lodra::Handbook* handbook = handbooks(window).constFirst();
            QTRY_VERIFY(handbook->isVisible());
            QVERIFY(
                handbook->browser()->toPlainText().startsWith(QStringLiteral("Lodra05 – Handbok")));
            uitest::click(handbook, "cmdStang");
            QVERIFY(!handbook->isVisible());
        }
        QVERIFY(catcher.messages.empty());
    }

    // Every parameter has its own section, headed by its label, and the table gives its label,
    // rule, initial entry and stand-file column as the parameter table has them.
    void everyParameterAsTheTableHasIt() {
        const QString page = lodra::handbookTemplate();
        QTextDocument shown;
        shown.setHtml(lodra::handbookHtml());
        const QString plain = shown.toPlainText();
        QList<QStringList> expected{{"Fält", "Tar emot", "Från början", "Kolumn i beståndsfilen"}};
        for (const lodra::ParameterRow& row : lodra::kParameterTable) {
            expected << QStringList{text(row.caption), text(row.rule), text(row.initial),
                                    text(row.column)};
        }
        QCOMPARE(firstTable(shown), expected);
        for (const lodra::ParameterRow& row : lodra::kParameterTable) {
            const QString column = text(row.column);
            QVERIFY2(page.contains(QStringLiteral("<h3>{{etikett:%1}}</h3>").arg(column)),
                     qPrintable(column));
            QVERIFY2(page.contains(QStringLiteral("{{regel:%1}}").arg(column)), qPrintable(column));
        }
        QVERIFY(plain.contains(QString::fromStdString(lodra::columnNames())));
        QVERIFY(!plain.contains(QStringLiteral("{{")));
        QVERIFY(!plain.contains(QStringLiteral("}}")));
    }

    // The page itself writes none of the limits the program holds: they are filled in, so
    // that a changed limit changes the handbook too.
    void noLimitWrittenByHand_data() {
        QTest::addColumn<QString>("shown");       // as the handbook shows it
        QTest::addColumn<QStringList>("byHand");  // as a hand might write it into the page
        const QString runs = QLocale(QLocale::Swedish).toString(lodra::kMaxSpreadRuns);
        QTest::newRow("antal år") << QString::number(lodra::kHorizonMax)
                                  << QStringList{QString::number(lodra::kHorizonMax)};
        QTest::newRow("årsring") << QStringLiteral("högst %1").arg(lodra::kMaxRingMax)
                                 << QStringList{QStringLiteral("%1 mm").arg(lodra::kMaxRingMax),
                                                QStringLiteral("högst %1").arg(lodra::kMaxRingMax)};
        const QString rates = text(lodra::FixedText().list(lodra::kRates, " och ").view());
        QTest::newRow("räntor") << rates << QStringList{rates};
        const QString species = text(lodra::choicenames::species.view());
        QTest::newRow("trädslag") << species << QStringList{species};
        const QString measures = text(lodra::choicenames::measure.view());
        QTest::newRow("åtgärd") << measures << QStringList{measures};
        QTest::newRow("körningar")
            << QString(runs).replace(QChar::Nbsp, QLatin1Char(' '))
            << QStringList{QString::number(lodra::kMaxSpreadRuns), runs,
                           QString(runs).replace(QChar::Nbsp, QLatin1Char(' '))};
        const QString trees = QString::fromStdString(lodra::treeColumns("dia"));
        QTest::newRow("beståndsfilens kolumner") << trees << QStringList{trees};
    }
    void noLimitWrittenByHand() {
        QFETCH(QString, shown);
        QFETCH(QStringList, byHand);
        const QString page = lodra::handbookTemplate();
        for (const QString& figure : byHand) {
            QVERIFY2(!page.contains(figure), qPrintable(figure));
        }
        QTextDocument document;
        document.setHtml(lodra::handbookHtml());
        QVERIFY2(document.toPlainText().contains(shown), qPrintable(shown));
    }
};

QTEST_MAIN(HandbookTest)
#include "handbook_test.moc"
