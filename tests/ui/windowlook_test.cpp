// The look of the windows at the desktop font and screen the test runs with (set by CTest:
// a font of LODRA05_TEST_FONT_PT points, an offscreen screen of its own size, a scale
// factor): the font is the desktop's, every text fits, the default stand's report shows
// unwrapped, and every button of a window larger than its screen can be scrolled to.

#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>
#include <memory>

#include "tests/ui/uitest.h"
#include "ui/forcatalog.h"
#include "ui/forlodra02.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/windowlook.h"

using lodra::forLodra02;
using lodra::WindowLook;
using uitest::child;
using uitest::click;

namespace {

QScrollArea* scrollOf(QWidget* window) {
    return child<QScrollArea>(window, "lodraScroll");
}

// Lines the box's own layout gives the block: more than one means it wrapped.
int linesOf(const QPlainTextEdit* box, const QTextBlock& block) {
    box->document()->documentLayout()->blockBoundingRect(block);
    return block.layout()->lineCount();
}

}  // namespace

class WindowLookTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<forLodra02> window;
    std::unique_ptr<uitest::MessageCatcher> catcher;

    // All four windows, opened with the real buttons.
    QWidget* windowNamed(const QString& name) {
        if (name == "parameters") {
            return window.get();
        }
        if (name == "trees") {
            return window->existingTradDiametrar();
        }
        return name == "result" ? static_cast<QWidget*>(window->existingResultat())
                                : window->existingCatalog();
    }

    void addWindowRows() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"parameters", "trees", "result", "chooser"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }

  private slots:
    void init() {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(folder->path()));
        catcher = std::make_unique<uitest::MessageCatcher>();
        window = std::make_unique<forLodra02>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        click(window.get(), "cmdTraddiametrar");
        uitest::calculate(*window);
        click(window->existingResultat(), "cmdSpara");
        QVERIFY(window->existingCatalog() != nullptr);
    }

    void cleanup() {
        window.reset();
        uitest::settle();
        catcher.reset();
    }

    void fontIsTheDesktopsAndEveryTextFits() {
        QFETCH(QString, name);
        QWidget* shown = windowNamed(name);
        QVERIFY(shown != nullptr && shown->isVisible());
        const QFont desktop = QApplication::font();
        QCOMPARE(shown->font().family(), desktop.family());
        QCOMPARE(shown->font().pointSizeF(), desktop.pointSizeF());
        for (const QWidget* control : shown->findChildren<QWidget*>()) {
            QVERIFY2(control->font().pointSizeF() >= desktop.pointSizeF(),
                     qPrintable(control->objectName()));
        }
        QVERIFY(lodra::textsFit(child<QWidget>(shown, "lodraContent")));
        // The factor is the program's one, whatever the window.
        const double factor = window->look().pixelsPerTwip();
        QVERIFY(factor >= WindowLook::kDesignedPixelsPerTwip);
        QCOMPARE(child<QWidget>(shown, "lodraContent")->width(),
                 qRound(child<QWidget>(shown, "lodraContent")
                            ->property("lodraDesignedGeometry")
                            .toRect()
                            .width() *
                        lodra::kTwipsPerFormPixel * factor));
    }
    void fontIsTheDesktopsAndEveryTextFits_data() { addWindowRows(); }

    void defaultReportShowsWholeAndUnwrapped() {
        QFETCH(QString, name);
        auto* box = child<QPlainTextEdit>(window->existingResultat(), qPrintable(name));
        QVERIFY(box->document()->blockCount() > 15);
        bool separator = false;
        const double margin = box->document()->documentMargin();
        double bottom = margin;
        for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
            QVERIFY2(linesOf(box, block) == 1, qPrintable(block.text()));
            separator = separator || block.text() == QString(146, QLatin1Char('-'));
            bottom += box->document()->documentLayout()->blockBoundingRect(block).height();
            QVERIFY2(bottom <= box->viewport()->height(), qPrintable(block.text()));
        }
        QCOMPARE(separator, name == "txtResultat");
    }
    void defaultReportShowsWholeAndUnwrapped_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("Indata") << "txtIndata";
        QTest::newRow("Resultat") << "txtResultat";
    }

    // A window larger than the screen's available area is made to fit it, and its content
    // scrolls so that every button can be brought into view.
    void everyButtonCanBeScrolledTo() {
        QFETCH(QString, name);
        QWidget* shown = windowNamed(name);
        const QRect room = shown->screen()->availableGeometry();
        QVERIFY(shown->width() <= room.width() && shown->height() <= room.height());
        QScrollArea* area = scrollOf(shown);
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QTest::qWait(50);  // the scroll area lays out its bars
        const QSize content = area->widget()->size();
        QCOMPARE(area->verticalScrollBar()->isVisible(),
                 content.height() > area->viewport()->height());
        QCOMPARE(area->horizontalScrollBar()->isVisible(),
                 content.width() > area->viewport()->width());
        for (QPushButton* button : shown->findChildren<QPushButton*>()) {
            area->ensureWidgetVisible(button, 0, 0);
            const QRect at(button->mapTo(area->viewport(), QPoint(0, 0)), button->size());
            QVERIFY2(area->viewport()->rect().contains(at), qPrintable(button->objectName()));
        }
    }
    void everyButtonCanBeScrolledTo_data() { addWindowRows(); }

    void resultButtonsWorkAfterScrolling() {
        forLodra02& owner = *window;
        lodra::forResultat* result = owner.existingResultat();
        QScrollArea* area = scrollOf(result);
        area->ensureWidgetVisible(child<QPushButton>(result, "cmdStang"), 0, 0);
        click(result, "cmdStang");
        QVERIFY(!result->isVisible());
        uitest::calculate(owner);
        QVERIFY(result->isVisible());
    }

    // The smallest factor at which a form's texts fit: one step less does not fit, and the
    // controls keep the proportions of the form.
    void factorIsTheSmallestThatFits() {
        QFETCH(QString, text);
        QFETCH(bool, grows);
        QWidget form;
        form.setGeometry(0, 0, 120, 60);
        auto* label = new QLabel(text, &form);
        label->setGeometry(8, 8, 60, 17);
        auto* box = new QPlainTextEdit(&form);
        box->setGeometry(8, 28, 50, 24);
        box->setFrameShape(QFrame::NoFrame);
        const WindowLook look = WindowLook::fitting(QApplication::font(), {&form},
                                                    {{box, QString(20, QLatin1Char('-'))}});
        const double factor = look.pixelsPerTwip();
        QCOMPARE(factor > WindowLook::kDesignedPixelsPerTwip, grows);
        QVERIFY(lodra::textsFit(&form) && lodra::textFitsBox({box, QString(20, '-')}));
        QCOMPARE(label->geometry(), QRect(qRound(8 * 15 * factor), qRound(8 * 15 * factor),
                                          qRound(68 * 15 * factor) - qRound(8 * 15 * factor),
                                          qRound(25 * 15 * factor) - qRound(8 * 15 * factor)));
        if (grows) {
            lodra::scaleForm(&form, factor - WindowLook::kStep);
            QVERIFY(!lodra::textsFit(&form) || !lodra::textFitsBox({box, QString(20, '-')}));
        }
    }
    void factorIsTheSmallestThatFits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("grows");
        QTest::newRow("long label") << "Största tänkbara årsring" << true;
        QTest::newRow("short label, long line") << "a" << true;
    }

    // What textFitsBox measures is what the box's own layout does at the edge.
    void boxMeasureAgreesWithTheBox() {
        QPlainTextEdit box;
        box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        lodra::setReportTabStops(&box);
        const QString line = QStringLiteral(" NUVÄRDE = \t\t 157661 kr/ha\t") + QString(40, '-');
        box.setPlainText(line);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        for (int width = 100; width < 1200; width += 2) {
            box.resize(width, 80);
            QCoreApplication::processEvents();
            const bool fits = lodra::textFitsBox({&box, line});
            const int lines = linesOf(&box, box.document()->begin());
            QVERIFY2(!fits || lines == 1, qPrintable(QString::number(width)));
            if (lines == 1) {
                // Fits within a few pixels of where the box stops wrapping.
                box.resize(width + 4, 80);
                QVERIFY(lodra::textFitsBox({&box, line}));
                return;
            }
        }
        QFAIL("the line never fitted");
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const double points = qEnvironmentVariable("LODRA05_TEST_FONT_PT", "9").toDouble();
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    QApplication::setFont(font);
    WindowLookTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "windowlook_test.moc"
