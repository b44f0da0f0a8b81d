// The look of the windows at the desktop font and screen the test runs with (set by CTest:
// a font of LODRA05_TEST_FONT_PT points, an offscreen screen of its own size, a scale
// factor): the font is the desktop's, every text fits, the default stand's report shows
// unwrapped, and every button of a window larger than its screen can be scrolled to.

#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>
#include <map>
#include <memory>

#include "tests/ui/uitest.h"
#include "ui/forcatalog.h"
#include "ui/forlodra02.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/forutveckling.h"
#include "ui/windowlook.h"

using lodra::WindowLook;
using uitest::child;
using uitest::click;

class WindowLookTest : public uitest::ParametersWindowTest {
    Q_OBJECT

  private:
    // All five windows, opened with the real buttons.
    QWidget* windowNamed(const QString& name) {
        const std::map<QString, QWidget*> windows = {{"parameters", window.get()},
                                                     {"development", window->existingUtveckling()},
                                                     {"trees", window->existingTradDiametrar()},
                                                     {"result", window->existingResultat()},
                                                     {"chooser", window->existingCatalog()}};
        return windows.at(name);
    }

    void addWindowRows() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"parameters", "trees", "result", "chooser"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }

  private slots:
    void init() {
        openWindow();
        click(window.get(), "cmdTraddiametrar");
        uitest::calculate(*window);
        click(window->existingResultat(), "cmdSpara");
        QVERIFY(window->existingCatalog() != nullptr);
        click(window->existingResultat(), "cmdUtveckling");
        QVERIFY(window->existingUtveckling() != nullptr);
    }

    void cleanup() { closeWindow(); }

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
        // Every window at the program's one factor.
        const QWidget* content = child<QWidget>(shown, "lodraContent");
        QVERIFY(lodra::textsFit(content));
        const QRect designed = content->property("lodraDesignedGeometry").toRect();
        QCOMPARE(content->width(), qRound(designed.width() * 15 * window->look().pixelsPerTwip()));
    }
    void fontIsTheDesktopsAndEveryTextFits_data() { addWindowRows(); }

    void defaultReportShowsWholeAndUnwrapped() {
        QFETCH(QString, name);
        auto* box = child<QPlainTextEdit>(window->existingResultat(), qPrintable(name));
        QVERIFY(box->document()->blockCount() > 15);
        bool separator = false;
        double bottom = box->document()->documentMargin();
        for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
            // Laid out by the box itself: one line, and within the box's height.
            bottom += box->document()->documentLayout()->blockBoundingRect(block).height();
            QVERIFY2(block.layout()->lineCount() == 1, qPrintable(block.text()));
            QVERIFY2(bottom <= box->viewport()->height(), qPrintable(block.text()));
            separator = separator || block.text() == QString(146, QLatin1Char('-'));
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
        auto* area = child<QScrollArea>(shown, "lodraScroll");
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
    void everyButtonCanBeScrolledTo_data() {
        addWindowRows();
        QTest::newRow("development") << QStringLiteral("development");
    }

    // The development window is laid out by its layouts, in the desktop's font: it opens at
    // its designed size at the program's factor, never smaller than its layouts allow, and
    // without scroll bars where its screen has room for that.
    void developmentWindowOpensWholeWhereThereIsRoom() {
        // Made afresh, not opened by a button: a window opened by one may be made smaller to
        // keep clear of it (windowsOpenClearOfTheirButtons).
        window->existingUtveckling()->close();
        uitest::settle();
        QWidget* shown = window->utveckling();
        shown->show();
        QCOMPARE(shown->font(), window->look().font());
        const double factor = 15 * window->look().pixelsPerTwip();
        const auto* content = child<QWidget>(shown, "lodraContent");
        const QSize designed = QSize(qRound(900 * factor), qRound(620 * factor))
                                   .expandedTo(content->minimumSizeHint());
        const QSize room = shown->screen()->availableGeometry().size() - QSize(8, 40);
        QCOMPARE(shown->size(), designed.boundedTo(room));
        if (designed.boundedTo(room) != designed) {
            return;
        }
        // Also on every page, and with a comparison shown.
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        auto* development = static_cast<lodra::forUtveckling*>(shown);
        click(shown, "cmdJamfor");
        QVERIFY(QTest::qWaitFor([&] { return !development->isComparing(); }, 20000));
        auto* pages = child<QTabWidget>(shown, "tabUtveckling");
        auto* area = child<QScrollArea>(shown, "lodraScroll");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QTest::qWait(50);
            QVERIFY2(!area->verticalScrollBar()->isVisible(), qPrintable(pages->tabText(page)));
            QVERIFY2(!area->horizontalScrollBar()->isVisible(), qPrintable(pages->tabText(page)));
        }
    }

    // The smallest factor at which a form's texts fit, whichever text limits it: one step
    // less does not fit, and the controls keep the proportions of the form.
    void factorIsTheSmallestThatFits() {
        QFETCH(QString, label);
        QFETCH(int, dashes);
        QWidget form;
        form.setGeometry(0, 0, 120, 60);
        auto* text = new QLabel(label, &form);
        text->setGeometry(8, 8, 60, 17);
        auto* box = new QPlainTextEdit(&form);
        box->setGeometry(8, 28, 50, 24);
        const lodra::BoxText line{box, QString(dashes, QLatin1Char('-'))};
        const double factor =
            WindowLook::fitting(QApplication::font(), {&form}, {line}).pixelsPerTwip();
        QVERIFY(factor > WindowLook::kDesignedPixelsPerTwip);
        QVERIFY(lodra::textsFit(&form) && lodra::textFitsBox(line));
        const auto at = [factor](int pixels) { return qRound(pixels * 15 * factor); };
        QCOMPARE(text->geometry(), QRect(at(8), at(8), at(68) - at(8), at(25) - at(8)));
        lodra::scaleForm(&form, factor - WindowLook::kStep);
        QVERIFY(!lodra::textsFit(&form) || !lodra::textFitsBox(line));
    }
    void factorIsTheSmallestThatFits_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("dashes");
        QTest::newRow("label") << "Största tänkbara årsring" << 1;
        QTest::newRow("report line") << "a" << 30;
    }

    // Each window opened by its button, with the real click, leaves that button in view.
    void windowsOpenClearOfTheirButtons_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QByteArray>("button");
        QTest::newRow("result") << "result"
                                << "parameters" << QByteArray("cmdBerakna");
        QTest::newRow("trees") << "trees"
                               << "parameters" << QByteArray("cmdTraddiametrar");
        QTest::newRow("development") << "development"
                                     << "result" << QByteArray("cmdUtveckling");
    }
    void windowsOpenClearOfTheirButtons() {
        QFETCH(QString, name);
        QFETCH(QString, opener);
        QFETCH(QByteArray, button);
        QWidget* opened = windowNamed(name);
        const auto* pressed = child<QPushButton>(windowNamed(opener), button.constData());
        const QRect area(pressed->mapToGlobal(QPoint(0, 0)), pressed->size());
        QVERIFY2(!opened->frameGeometry().intersects(area), qPrintable(name));
        // Moved over the button and opened again: moved off it.
        opened->hide();
        opened->move(area.topLeft());
        click(windowNamed(opener), button.constData());
        if (name == "result") {
            QVERIFY(QTest::qWaitFor([&] { return !window->isCalculating(); }, 60000));
        }
        QVERIFY(opened->isVisible());
        QVERIFY2(!opened->frameGeometry().intersects(area), qPrintable(name));
    }

    // Where a window goes clear of its button: beside the opener's frame when the screen
    // has room, else beside the button, else as near as the screen allows.
    void placedClearOfTheButton_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("button");
        QTest::addColumn<QRect>("opener");
        QTest::addColumn<QRect>("expected");
        const QRect opener(100, 50, 500, 700);
        const QRect button(450, 700, 100, 30);
        QTest::newRow("right of the opener")
            << QSize(600, 500) << button << opener << QRect(600, 50, 600, 500);
        QTest::newRow("left of an opener at the right")
            << QSize(600, 500) << QRect(1350, 700, 100, 30) << QRect(1000, 50, 500, 700)
            << QRect(400, 50, 600, 500);
        QTest::newRow("below a wide opener") << QSize(600, 200) << QRect(450, 500, 100, 30)
                                             << QRect(0, 0, 1600, 700) << QRect(0, 700, 600, 200);
        QTest::newRow("beside the button in a full screen")
            << QSize(1000, 900) << QRect(1200, 900, 100, 30) << QRect(0, 0, 1600, 1000)
            << QRect(600, 0, 1000, 900);
        QTest::newRow("pushed into the screen, clear of the button")
            << QSize(1200, 900) << QRect(300, 400, 100, 30) << QRect(0, 0, 1600, 1000)
            << QRect(400, 0, 1200, 900);
        QTest::newRow("made smaller beside the button when no place of its size is clear")
            << QSize(1500, 1000) << QRect(300, 700, 100, 30) << QRect(0, 0, 1600, 1000)
            << QRect(400, 0, 1200, 1000);
    }
    void placedClearOfTheButton() {
        QFETCH(QSize, size);
        QFETCH(QRect, button);
        QFETCH(QRect, opener);
        QFETCH(QRect, expected);
        const QRect room(0, 0, 1600, 1000);
        const QRect placed = WindowLook::clearOf(size, button, opener, room);
        QCOMPARE(placed, expected);
        QVERIFY(room.contains(placed));
        QVERIFY(!placed.intersects(button));
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
