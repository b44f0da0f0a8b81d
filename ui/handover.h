#pragma once

// The report handed over to a forest owner, a bank or an authority: one Swedish document
// on A4 (landscape, so that the result text's longest lines fit in a fixed-width font),
// built from sections in order, saved as PDF or printed.
//
//   Handover doc(QStringLiteral("Beståndskalkyl"));
//   doc.addParagraph(QStringLiteral("Bestånd: Norra skiftet"));
//   doc.addHeading(QStringLiteral("Resultat"));
//   doc.addFixedText(resultText);  // tabs every eighth column, as in the result window
//   doc.addTable(QStringLiteral("Avverkningar"), model, {0, 6, 7}, [](int) { return true; });
//   doc.addImage(QStringLiteral("Diagram"), chartImage);
//   const Result<std::string> pdf = doc.pdf();

#include <QImage>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/result.h"

class QAbstractItemModel;
class QPrinter;

namespace lodra {

// What the document says of the stand and of the latest calculation.
struct HandoverFacts {
    QString standName;  // empty when the stand has none
    QString standFile;  // the stand file it was opened from or saved in; may be empty
    QString indata;     // the input summary as the result window shows it
    QString resultat;   // the result text as the result window shows it
};

class Handover {
  public:
    // Columns of the result text that must fit across the page in the fixed-width font.
    static constexpr int kFixedColumns = 148;
    static constexpr double kMarginMm = 12;

    explicit Handover(const QString& title);
    ~Handover();

    void addHeading(const QString& text);
    void addParagraph(const QString& text);
    // A text whose columns are aligned with tabs at every eighth character (lines end in LF
    // or CR LF), in a fixed-width font small enough for kFixedColumns columns.
    void addFixedText(const QString& text);
    // The chosen columns of the model under a heading, with the model's headers, and the rows
    // for which keep is true. The column kRowHeader stands for the rows' own headers.
    static constexpr int kRowHeader = -1;
    // How a table is laid out: as wide as its cells, numbers to the right; or across the
    // page, each cell aligned as the model says, and no row split between two pages.
    enum class TableFit { cells, page };
    void addTable(const QString& heading, const QAbstractItemModel& model,
                  const std::vector<int>& columns, const std::function<bool(int row)>& keep,
                  TableFit fit = TableFit::cells);
    // An image under its heading, as wide as a share of the text area, its proportions
    // kept; the two stay on one page, a new one when newPage is set.
    void addImage(const QString& heading, const QImage& image, double widthShare = 0.75,
                  bool newPage = false);

    // The text as a reader sees it, without layout.
    QString plainText() const { return document_->toPlainText(); }

    // The document as PDF bytes.
    std::string pdf() const;
    // Prints the document on a printer set up by the caller (A4 landscape is set here).
    void print(QPrinter& printer) const;
    // The page layout the document is made for.
    static void setUpPrinter(QPrinter& printer);

  private:
    std::unique_ptr<QTextDocument> document_;
    QTextCursor cursor_;
    int images_ = 0;
};

// Tabs replaced by spaces up to the next multiple of eight columns, as the result window's
// tab stops lay the text out.
QString expandTabs(const QString& line);

}  // namespace lodra
