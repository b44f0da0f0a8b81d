// The report handed over: its PDF read back with pdftotext, its print dialog from the
// development window and from the result window's Ctrl+P, and the tab expansion that lines
// its columns up.

#include <QPrintDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

#include "tests/ui/uitest.h"
#include "ui/forresultat.h"
#include "ui/forutveckling.h"
#include "ui/handover.h"
#include "ui/standmenu.h"

using uitest::child;
using uitest::click;

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return QStringLiteral("<%1 failed>").arg(program);
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class HandoverTest : public uitest::ParametersWindowTest {
    Q_OBJECT

  private slots:
    void init() {
        openWindow();
        child<QLineEdit>(window.get(), "txtBestand")->setText(QStringLiteral("Norra skiftet"));
        uitest::calculate(*window);
        click(window->existingResultat(), "cmdUtveckling");
    }
    void cleanup() { closeWindow(); }

    // Every line of the input summary and the result text is in the PDF (the NUVÄRDE line
    // among them), with the stand's name and the fellings, on at most three pages.
    void pdfHoldsTheReport() {
        const QString file = folder->filePath(QStringLiteral("rapport.pdf"));
        {
            uitest::FileDialogAnswer answer(file);
            click(window->existingUtveckling(), "cmdSparaPdf");
            QCOMPARE(answer.title, QStringLiteral("Spara som PDF"));
        }
        QVERIFY(catcher->messages.empty());
        const QString text = run(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-layout"), file, QStringLiteral("-")});
        // Lines compared without their blanks: the reader guesses the gaps of laid-out text.
        const auto bare = [](QString line) {
            return line.remove(QRegularExpression(QStringLiteral("\\s")));
        };
        QStringList lines;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            lines << bare(line);
        }
        const QString expected = QString::fromStdString(window->session.Indata) +
                                 QStringLiteral("\r\n") +
                                 QString::fromStdString(window->session.Resultat);
        QVERIFY(expected.contains(QStringLiteral("NUVÄRDE (inkl Avverkning")));
        for (const QString& line : expected.split(QStringLiteral("\r\n"))) {
            // Every line with words or figures; a separator of dashes is drawn, not read.
            if (line.contains(QRegularExpression(QStringLiteral("\\w")))) {
                QVERIFY2(lines.contains(bare(line)), qPrintable(line));
            }
        }
        for (const char* line : {"Beståndskalkyl", "Bestånd: Norra skiftet", "Avverkningar"}) {
            QVERIFY2(lines.contains(bare(QString::fromUtf8(line))), line);
        }
        const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
        const int count = pages.match(run(QStringLiteral("pdfinfo"), {file})).captured(1).toInt();
        QVERIFY2(count >= 1 && count <= 3, qPrintable(QString::number(count)));
        QCOMPARE(child<QLabel>(window->existingUtveckling(), "lblSparad")->toolTip(),
                 QStringLiteral("Sparades i ") + file);
    }

    // A comparison and a spread that were calculated go into the report: both measures'
    // grids side by side with their intervals, the spread's figures with their names.
    void comparisonAndSpreadGoIntoTheReport() {
        lodra::forUtveckling* development = window->existingUtveckling();
        uitest::compare(*development);
        uitest::spread(*development, QStringLiteral("7"), 20);
        const QStringList lines = development->handover()->plainText().split(QLatin1Char('\n'));
        for (const char* line : {"Nuvärde (kr/ha) vid antal cykler till avverkning och räntekrav",
                                 "Gallring och plockhuggning", "Kalavverkning", "0 cykler",
                                 "10 cykler", "Spridning", "Medel", "P95"}) {
            QVERIFY2(lines.contains(QString::fromUtf8(line)), line);
        }
        QVERIFY(lines.contains(QStringLiteral("157661")));  // 2 cycles at 3 % under thinning
    }

    // Both the development window's "Skriv ut" and the result window's Ctrl+P open the
    // program's print dialog.
    void printDialogFromBothWindows() {
        QStringList names;
        const auto answer = [&names](QPrintDialog& dialog) {
            names << dialog.objectName();
            dialog.reject();
        };
        {
            uitest::Answer<QPrintDialog> first(answer);
            click(window->existingUtveckling(), "cmdSkrivUt");
        }
        uitest::Answer<QPrintDialog> second(answer);
        lodra::forResultat* result = window->existingResultat();
        result->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(result));
        QTest::keyClick(result, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(names, QStringList({"lodraPrintDialog", "lodraPrintDialog"}));
    }
};

QTEST_MAIN(HandoverTest)
#include "handover_test.moc"
