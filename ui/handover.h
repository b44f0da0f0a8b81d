#pragma once

// The report handed over to a forest owner, a bank or an authority: one Swedish document
// on A4 landscape, built from sections in order, saved as PDF or printed. A section (a
// heading with what follows it, a table, a chart) is never split over two pages unless it
// is longer than a page; a table that is carries its heading and column names onto every
// page. Every page ends with its number.
//
//   Handover doc(QStringLiteral("Beståndskalkyl"));
//   doc.addParagraph(QStringLiteral("Bestånd: Norra skiftet"));
//   doc.addReportText(QStringLiteral("Resultat"), resultText);  // tab stops as on screen
//   doc.addTable({QStringLiteral("Avverkningar"), {}, {{&model, {0, 6, 7}, {}}},
//                 [](int) { return true; }, {}});
//   doc.addImage(QStringLiteral("Diagram"), chartImage);
//   const std::string pdf = doc.pdf();

#include <QImage>
#include <QSizeF>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAbstractItemModel;
class QPagedPaintDevice;
class QPrinter;

namespace lodra {

// What the document says of the stand and of the latest calculation.
struct HandoverFacts {
    QString standName;  // empty when the stand has none
    QString standFile;  // the stand file it was opened from or saved in; may be empty
    QString indata;     // the input summary as the result window shows it
    QString resultat;   // the result text as the result window shows it
};

// A table of the report: columns taken from one model or more, side by side, the rows
// those of the first group's model for which keep is true.
struct HandoverTable {
    // The column kRowHeader stands for the rows' own headers.
    static constexpr int kRowHeader = -1;
    struct Columns {
        const QAbstractItemModel* model = nullptr;
        std::vector<int> columns;
        QString title;  // over the group's columns; none when empty
    };
    QString heading;
    QString intro;  // under the heading, on every page of the table; none when empty
    std::vector<Columns> groups;
    std::function<bool(int row)> keep;
    QString note;  // under the last row; none when empty
    // Every cell on one line, so that no row is split between two pages.
    bool oneLine = false;
};

class Handover {
  public:
    static constexpr double kMarginMm = 12;
    // The text area of a page in the document's unit (96 an inch), the page number's line
    // excluded.
    static QSizeF textArea();

    explicit Handover(const QString& title);
    ~Handover();

    // A heading, kept on one page with the section that follows it.
    void addHeading(const QString& text);
    void addParagraph(const QString& text);
    // Figures as label and value, one a line, the last in large type.
    void addFigures(const std::vector<std::pair<QString, QString>>& figures);
    // A text of the result window under its heading (lines end in LF or CR LF), its tabs
    // laid out as the window does: a stop every eight average character widths.
    void addReportText(const QString& heading, const QString& text);
    // A table; the model's font and background of a cell mark it here as in the window.
    void addTable(const HandoverTable& table);
    // An image under its heading, drawn at its device-independent size (in the unit of
    // textArea); an image of a higher pixel ratio prints sharper.
    void addImage(const QString& heading, const QImage& image);

    // The text as a reader sees it, without layout.
    QString plainText() const { return document_->toPlainText(); }

    // The document as PDF bytes.
    std::string pdf();
    // Prints the document on a printer set up by the caller (A4 landscape is set here).
    void print(QPrinter& printer);
    // The page layout the document is made for.
    static void setUpPrinter(QPrinter& printer);

  private:
    void startSection();
    void paginate();
    void paint(QPagedPaintDevice& device);

    QImage layoutDevice_;  // fixes the document's unit at 96 an inch, whatever the screen
    std::unique_ptr<QTextDocument> document_;
    QTextCursor cursor_;
    std::vector<int> sections_;  // the position each section starts at
    bool joinNext_ = false;      // a heading keeps the next section with it
    int images_ = 0;
};

}  // namespace lodra
