// The report handed over: its PDF read back with pdftotext, its print dialog from the
// development window and from the result window's Ctrl+P, and the tab expansion that lines
// its columns up.

#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTableView>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>

#include "tests/ui/uitest.h"
#include "ui/comparisonmodel.h"
#include "ui/cyclemodel.h"
#include "ui/forresultat.h"
#include "ui/forutveckling.h"
#include "ui/handover.h"
#include "ui/handoverreport.h"
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

// A text without its blanks: the reader guesses the gaps of laid-out text.
QString bare(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

// The lines of every page of a PDF, read a page at a time, without blanks; the page
// number's line left out.
QList<QStringList> pageLines(const QString& file) {
    const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const int count = pages.match(run(QStringLiteral("pdfinfo"), {file})).captured(1).toInt();
    QList<QStringList> out;
    for (int page = 1; page <= count; ++page) {
        const QString number = QString::number(page);
        QStringList lines;
        for (const QString& line : run(QStringLiteral("pdftotext"),
                                       {QStringLiteral("-layout"), QStringLiteral("-f"), number,
                                        QStringLiteral("-l"), number, file, QStringLiteral("-")})
                                       .split(QLatin1Char('\n'))) {
            if (const QString text = bare(line);
                !text.isEmpty() && !text.startsWith(QStringLiteral("Sida"))) {
                lines << text;
            }
        }
        out << lines;
    }
    return out;
}

// The rows of a table as the window shows them, each its cells without blanks.
QStringList tableRows(const QAbstractItemModel& model, const std::vector<int>& columns,
                      const std::function<bool(int)>& keep) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (keep(row)) {
            QString text;
            for (const int column : columns) {
                text += model.index(row, column).data().toString();
            }
            rows << bare(text);
        }
    }
    return rows;
}

// Whether a line of the page ends with the row.
bool holds(const QStringList& page, const QString& row) {
    return std::any_of(page.begin(), page.end(),
                       [&row](const QString& line) { return line.endsWith(row); });
}

// The pages (from 1) that hold an image.
QSet<int> pagesWithImages(const QString& file) {
    QSet<int> pages;
    const QStringList lines = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), file})
                                  .split(QLatin1Char('\n'))
                                  .mid(2);  // below the column names and their rule
    for (const QString& line : lines) {
        if (const int page = line.simplified().section(QLatin1Char(' '), 0, 0).toInt(); page > 0) {
            pages << page;
        }
    }
    return pages;
}

// A PDF's words, each with its box in points, in the order of its lines; the page's box.
using Words = QList<std::pair<QString, QRectF>>;
Words words(const QString& file, QRectF* pageBox = nullptr) {
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    static const QRegularExpression page(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)")re"));
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<)re"));
    if (pageBox != nullptr) {
        const QRegularExpressionMatch size = page.match(html);
        *pageBox = QRectF(0, 0, size.captured(1).toDouble(), size.captured(2).toDouble());
    }
    Words out;
    for (const QRegularExpressionMatch& w : word.globalMatch(html)) {
        out.append(
            {w.captured(5), QRectF(QPointF(w.captured(1).toDouble(), w.captured(2).toDouble()),
                                   QPointF(w.captured(3).toDouble(), w.captured(4).toDouble()))});
    }
    return out;
}

// The words that pass a margin of 12 mm.
QStringList wordsPastTheMargins(const QString& file) {
    const double margin = 12 / 25.4 * 72 - 0.5;  // points, half a point spared
    QRectF page;
    const Words all = words(file, &page);
    QStringList past;
    for (const auto& [text, box] : all) {
        if (!page.adjusted(margin, margin, -margin, -margin).contains(box)) {
            past << text;
        }
    }
    return past;
}

// Adds a row of a data table: its tag, then its cells in the order of the columns.
template <typename... Cells>
void row(const char* tag, Cells... cells) {
    (QTest::newRow(tag) << ... << cells);
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
        const QList<QStringList> pages = pageLines(file);
        QStringList lines;
        for (const QStringList& page : pages) {
            lines << page;
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
        QVERIFY2(!pages.isEmpty() && pages.size() <= 3, qPrintable(QString::number(pages.size())));
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

    void pagesHoldTheirSectionsWhole_data() {
        QTest::addColumn<QString>("totaltid");
        QTest::addColumn<QString>("variation");
        QTest::addColumn<bool>("compareAndSpread");
        QTest::addColumn<int>("mostPages");  // 0: no limit
        row("entered stand, comparison and spread", "250", "0", true, 4);
        row("variation 10, comparison and spread", "250", "10", true, 4);
        row("2000 years: the fellings over pages", "2000", "0", false, 0);
    }
    // The report on as few pages as asked, NUVÄRDE and the development chart on the first;
    // every table row whole on one page; a table longer than a page carries its heading onto
    // each of its pages; no heading ends a page; no word passes a margin.
    void pagesHoldTheirSectionsWhole() {
        QFETCH(QString, totaltid);
        QFETCH(QString, variation);
        QFETCH(bool, compareAndSpread);
        QFETCH(int, mostPages);
        uitest::type(child<QLineEdit>(window.get(), "txtTotaltid"), totaltid);
        uitest::type(child<QLineEdit>(window.get(), "txtVari"), variation);
        uitest::calculate(*window);
        lodra::forUtveckling* development = window->existingUtveckling();
        QStringList headings = {"Resultat i sammandrag", "Beståndets utveckling", "Indata",
                                "Resultat", "Avverkningar"};
        const lodra::CycleModel& cycles = development->cycleModel();
        const QStringList fellings = tableRows(cycles, {0, 6, 7, 8, 9, 10, 11}, [&cycles](int row) {
            return cycles.rows()[static_cast<std::size_t>(row)].avvTrad > 0;
        });
        QStringList rows = fellings;
        QList<QStringList> shortTables;  // each shorter than a page, so on one page
        if (compareAndSpread) {
            uitest::compare(*development);
            uitest::spread(*development, QStringLiteral("7"), 200);
            headings << "Nuvärde (kr/ha) vid antal cykler till avverkning och räntekrav"
                     << "Spridning";
            for (int r = 0; r < lodra::ComparisonGrid::kIntervals; ++r) {
                const auto only = [r](int row) { return row == r; };
                rows << development->comparisonModel(0).headerData(r, Qt::Vertical).toString() +
                            tableRows(development->comparisonModel(0), {0, 1, 2, 3}, only)[0] +
                            tableRows(development->comparisonModel(1), {0, 1, 2, 3}, only)[0];
                rows.back() = bare(rows.back());
            }
            shortTables << rows.mid(fellings.size())
                        << tableRows(*child<QTableView>(development, "tblSpridning")->model(),
                                     {0, 1, 2}, [](int) { return true; });
            rows << shortTables.back();
            if (variation != "0") {
                headings << "Nuvärdets fördelning";
            }
        }
        const QString file = folder->filePath(QStringLiteral("rapport.pdf"));
        {
            uitest::FileDialogAnswer answer(file);
            click(development, "cmdSparaPdf");
        }
        QVERIFY(catcher->messages.empty());
        const QList<QStringList> pages = pageLines(file);
        QVERIFY2(mostPages == 0 || pages.size() <= mostPages,
                 qPrintable(QString::number(pages.size())));

        const QRegularExpression nuvarde(QStringLiteral("(NUVÄRDE.*)=\\s*(-?\\d+ kr/ha)"));
        const QRegularExpressionMatch line =
            nuvarde.match(QString::fromStdString(window->session.Resultat));
        QVERIFY(line.hasMatch());
        QVERIFY(holds(pages.front(), bare(line.captured(1) + line.captured(2))));
        QVERIFY(pages.front().contains(bare(QStringLiteral("Beståndets utveckling"))));
        const QSet<int> imagePages = pagesWithImages(file);
        QVERIFY(imagePages.contains(1));

        for (const QString& row : rows) {
            QVERIFY2(std::any_of(pages.begin(), pages.end(),
                                 [&row](const QStringList& page) { return holds(page, row); }),
                     qPrintable(row));
        }
        for (const QStringList& table : shortTables) {
            QVERIFY(std::any_of(pages.begin(), pages.end(), [&table](const QStringList& page) {
                return std::all_of(table.begin(), table.end(),
                                   [&page](const QString& row) { return holds(page, row); });
            }));
        }
        for (const QString& heading : headings) {
            bool found = false;
            for (int p = 0; p < pages.size(); ++p) {
                const qsizetype at = pages[p].indexOf(bare(heading));
                found = found || at >= 0;
                // Something follows it on its page: text, or the chart drawn under it.
                QVERIFY2(at < 0 || at + 1 < pages[p].size() || imagePages.contains(p + 1),
                         qPrintable(heading));
            }
            QVERIFY2(found, qPrintable(heading));
        }
        for (int p = 0; p < pages.size(); ++p) {
            if (std::any_of(fellings.begin(), fellings.end(),
                            [&](const QString& row) { return holds(pages[p], row); })) {
                QVERIFY2(pages[p].contains(QStringLiteral("Avverkningar")),
                         qPrintable(QString::number(p + 1)));
            }
        }
        QCOMPARE(wordsPastTheMargins(file), QStringList());
        if (compareAndSpread && variation != "0") {
            // The comparison's note says what each cell is, as its page does.
            QString all;
            for (const QStringList& page : pages) {
                all += page.join(QString());
            }
            QVERIFY(all.contains(bare(QStringLiteral("medelvärdet av 100 körningar"))));
        }
    }

    // The report texts line up in the PDF as in the result window: every value that the
    // window's tab stops put at one place starts at one place on the page, in the same
    // order from the left.
    void reportTextsLineUpAsInTheWindow() {
        const QString file = folder->filePath(QStringLiteral("rapport.pdf"));
        {
            uitest::FileDialogAnswer answer(file);
            click(window->existingUtveckling(), "cmdSparaPdf");
        }
        // The words of the page's lines, without blanks, each with where it starts.
        QList<QList<std::pair<QString, double>>> pdfLines;
        double y = -1;
        for (const auto& [text, box] : words(file)) {
            if (std::abs(box.top() - y) > 0.5) {
                pdfLines.emplaceBack();
                y = box.top();
            }
            pdfLines.back().append({text, box.left()});
        }
        std::map<int, std::vector<double>> stops;  // window x -> the page's x of its values
        lodra::forResultat* result = window->existingResultat();
        for (const char* name : {"txtIndata", "txtResultat"}) {
            const auto* box = child<QPlainTextEdit>(result, name);
            const QFontMetricsF metrics(box->font());
            const int tabStop = static_cast<int>(box->tabStopDistance());
            for (const QString& text : box->toPlainText().split(QLatin1Char('\n'))) {
                const auto match =
                    std::find_if(pdfLines.begin(), pdfLines.end(), [&](const auto& line) {
                        QString joined;
                        for (const auto& w : line) {
                            joined += w.first;
                        }
                        return joined == bare(text);
                    });
                if (!text.contains(QLatin1Char('\t')) || match == pdfLines.end()) {
                    continue;
                }
                for (qsizetype k = 1; k < text.size(); ++k) {
                    if (text[k - 1] != QLatin1Char('\t') || text[k] == QLatin1Char('\t')) {
                        continue;
                    }
                    while (text[k] == QLatin1Char(' ')) {
                        ++k;
                    }
                    const int x = static_cast<int>(std::lround(
                        metrics.size(Qt::TextExpandTabs | Qt::TextSingleLine, text.left(k), tabStop)
                            .width()));
                    qsizetype offset = bare(text.left(k)).size();
                    for (const auto& w : *match) {
                        if (offset == 0) {
                            stops[x].push_back(w.second);
                        }
                        offset -= w.first.size();
                    }
                }
            }
        }
        QVERIFY2(stops.size() >= 4, qPrintable(QString::number(stops.size())));
        double left = 0;
        for (const auto& [x, places] : stops) {
            const auto [low, high] = std::minmax_element(places.begin(), places.end());
            QVERIFY2(*high - *low < 0.5, qPrintable(QString::number(x)));
            QVERIFY2(*low > left, qPrintable(QString::number(x)));
            left = *high;
        }
    }

    // Printed, the report has the pages of its PDF, each with the same text.
    void printedAsSaved() {
        lodra::forUtveckling* development = window->existingUtveckling();
        uitest::compare(*development);
        const QString saved = folder->filePath(QStringLiteral("sparad.pdf"));
        const QString printed = folder->filePath(QStringLiteral("utskriven.pdf"));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(development->handover()->pdf()));
        file.close();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        lodra::Handover::setUpPrinter(printer);
        development->handover()->print(printer);
        QCOMPARE(pageLines(printed), pageLines(saved));
        QCOMPARE(wordsPastTheMargins(printed), QStringList());
    }

    // The six economic results read from the end of a result text, label and value apart,
    // with or without "="; a text without them gives none.
    void economicFiguresEndTheResultText_data() {
        QTest::addColumn<QString>("resultat");
        QTest::addColumn<QStringList>("figures");  // label, value, label, value, ...
        const QString head = QStringLiteral(" År mellan avverkningarna = \t42\r\n\r\n");
        const QString tail =
            QStringLiteral(
                " Netto av i framtiden avverkade träd (exkl återväxt) =\t163 kr/träd\r\n"
                " Röjning nu kostar 0 kr/ha\r\n%1\r\n"
                " ÅTERVÄXTKOSTNAD (inkl. år 1) = \t\t\t\t  11813 kr/ha\r\n"
                " DRIVNINGSNETTO av nu avv. träd (exkl. röjning och återväxt) = \t  96578 kr/ha\r\n"
                " KASSAFLÖDE I FRAMTID (inkl återväxt) = \t\t\t   -126  kr/ha och år\r\n"
                " NUVÄRDE (inkl Avverkning nu+framtid, återväxt, röjning) = \t\t -57661 kr/ha\r\n")
                .arg(QString(146, QLatin1Char('-')));
        QTest::newRow("calculated")
            << head + tail
            << QStringList{"Netto av i framtiden avverkade träd (exkl återväxt)",
                           "163 kr/träd",
                           "Röjning nu kostar",
                           "0 kr/ha",
                           "ÅTERVÄXTKOSTNAD (inkl. år 1)",
                           "11813 kr/ha",
                           "DRIVNINGSNETTO av nu avv. träd (exkl. röjning och "
                           "återväxt)",
                           "96578 kr/ha",
                           "KASSAFLÖDE I FRAMTID (inkl återväxt)",
                           "-126 kr/ha och år",
                           "NUVÄRDE (inkl Avverkning nu+framtid, återväxt, röjning)",
                           "-57661 kr/ha"};
        QTest::newRow("no line of dashes") << head << QStringList{};
        QTest::newRow("empty") << QString() << QStringList{};
    }
    void economicFiguresEndTheResultText() {
        QFETCH(QString, resultat);
        QFETCH(QStringList, figures);
        QStringList read;
        for (const auto& [label, value] : lodra::economicFigures(resultat)) {
            read << label << value;
        }
        QCOMPARE(read, figures);
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
