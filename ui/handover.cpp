#include "ui/handover.h"

#include <QAbstractItemModel>
#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextTable>
#include <QUrl>

namespace lodra {

namespace {

const QPageLayout kPage(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                        QMarginsF(Handover::kMarginMm, Handover::kMarginMm, Handover::kMarginMm,
                                  Handover::kMarginMm),
                        QPageLayout::Millimeter);

// The fixed-width font at the size at which kFixedColumns columns fill the text width.
QFont fixedFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(10);
    const double perColumnPt = QFontMetricsF(font).horizontalAdvance(QStringLiteral("x")) * 72 /
                               QFontMetricsF(font).fontDpi();
    const double widthPt = kPage.paintRect(QPageLayout::Point).width();
    font.setPointSizeF(10 * widthPt / (perColumnPt * Handover::kFixedColumns) * 0.98);
    return font;
}

// Each column's share of the page: as its longest cell, or its header's longest word (at half
// as wide again), of
// at most kWidestCell characters, is of all the columns' together.
QList<QTextLength> pageColumnWidths(const QAbstractItemModel& model,
                                    const std::vector<int>& columns, const std::vector<int>& rows) {
    constexpr qsizetype kWidestCell = 40;
    std::vector<qsizetype> widths;
    qsizetype sum = 0;
    for (const int column : columns) {
        qsizetype widest = 2;
        for (const QString& word : model.headerData(column, Qt::Horizontal)
                                       .toString()
                                       .split(QRegularExpression(QStringLiteral("\\s+")))) {
            // Bold, and often in capitals: wider than the cells' digits.
            widest = std::max(widest, word.size() * 3 / 2);
        }
        for (const int row : rows) {
            widest = std::max(widest, model.index(row, column).data().toString().size());
        }
        widths.push_back(std::min(widest, kWidestCell) + 3);
        sum += widths.back();
    }
    QList<QTextLength> shares;
    for (const qsizetype width : widths) {
        shares.append(QTextLength(QTextLength::PercentageLength,
                                  100.0 * static_cast<double>(width) / static_cast<double>(sum)));
    }
    return shares;
}

}  // namespace

QString expandTabs(const QString& line) {
    QString out;
    for (const QChar c : line) {
        if (c == QLatin1Char('\t')) {
            out += QString(8 - out.size() % 8, QLatin1Char(' '));
        } else {
            out += c;
        }
    }
    return out;
}

Handover::Handover(const QString& title)
    : document_(std::make_unique<QTextDocument>()), cursor_(document_.get()) {
    QFont body = document_->defaultFont();
    body.setPointSizeF(10);
    document_->setDefaultFont(body);
    QTextCharFormat format;
    format.setFontPointSize(18);
    format.setFontWeight(QFont::Bold);
    cursor_.insertText(title, format);
}

Handover::~Handover() = default;

void Handover::addHeading(const QString& text) {
    QTextBlockFormat block;
    block.setTopMargin(12);
    block.setBottomMargin(4);
    QTextCharFormat format;
    format.setFontPointSize(13);
    format.setFontWeight(QFont::Bold);
    cursor_.insertBlock(block, format);
    cursor_.insertText(text, format);
}

void Handover::addParagraph(const QString& text) {
    cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat());
    cursor_.insertText(text);
}

void Handover::addFixedText(const QString& text) {
    QTextCharFormat format;
    format.setFont(fixedFont());
    QTextBlockFormat block;
    block.setNonBreakableLines(true);
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& line : lines.split(QLatin1Char('\n'))) {
        cursor_.insertBlock(block, format);
        cursor_.insertText(expandTabs(line), format);
    }
}

void Handover::addTable(const QString& heading, const QAbstractItemModel& model,
                        const std::vector<int>& columns, const std::function<bool(int)>& keep,
                        TableFit fit) {
    const bool page = fit == TableFit::page;
    std::vector<int> rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (keep(row)) {
            rows.push_back(row);
        }
    }
    // The heading is the table's first row, so that it goes with the table to a new page.
    QTextTableFormat format;
    format.setHeaderRowCount(2);
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setTopMargin(12);
    const int width = static_cast<int>(columns.size());
    if (page) {
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        format.setColumnWidthConstraints(pageColumnWidths(model, columns, rows));
    }
    QTextTable* table = cursor_.insertTable(static_cast<int>(rows.size()) + 2, width, format);
    table->mergeCells(0, 0, 1, width);
    QTextCharFormat title;
    title.setFontPointSize(13);
    title.setFontWeight(QFont::Bold);
    table->cellAt(0, 0).firstCursorPosition().insertText(heading, title);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    for (int c = 0; c < width; ++c) {
        const int column = columns[static_cast<std::size_t>(c)];
        const bool rowHeader = column == kRowHeader;
        table->cellAt(1, c).firstCursorPosition().insertText(
            rowHeader ? QString()
                      : model.headerData(column, Qt::Horizontal)
                            .toString()
                            .replace(QLatin1Char('\n'), QLatin1Char(' ')),
            bold);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            QTextCursor cell = table->cellAt(static_cast<int>(r) + 2, c).firstCursorPosition();
            if (rowHeader) {
                cell.insertText(model.headerData(rows[r], Qt::Vertical).toString(), bold);
                continue;
            }
            const QModelIndex index = model.index(rows[r], column);
            QTextBlockFormat block = right;
            if (page) {
                // One block a cell that stays on one page: the row moves whole.
                block.setNonBreakableLines(true);
                block.setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt() &
                                                 Qt::AlignHorizontal_Mask));
            }
            cell.setBlockFormat(block);
            cell.insertText(index.data().toString());
        }
    }
    cursor_.movePosition(QTextCursor::End);
}

void Handover::addImage(const QString& heading, const QImage& image, double widthShare,
                        bool newPage) {
    const QUrl name(QStringLiteral("lodra://bild%1").arg(++images_));
    document_->addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat format;
    format.setName(name.toString());
    // A share of the text width at 96 pixels an inch, the document's own unit.
    const double width = kPage.paintRect(QPageLayout::Inch).width() * 96 * widthShare;
    format.setWidth(width);
    format.setHeight(width * image.height() / std::max(1, image.width()));
    // The heading and the image in one block that a page break does not split.
    QTextBlockFormat block;
    block.setTopMargin(12);
    block.setNonBreakableLines(true);
    if (newPage) {
        block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    QTextCharFormat bold;
    bold.setFontPointSize(13);
    bold.setFontWeight(QFont::Bold);
    cursor_.insertBlock(block, bold);
    cursor_.insertText(heading + QChar::LineSeparator, bold);
    cursor_.insertImage(format);
}

void Handover::setUpPrinter(QPrinter& printer) {
    printer.setPageLayout(kPage);
}

std::string Handover::pdf() const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(kPage);
        writer.setResolution(300);
        writer.setTitle(document_->begin().text());
        writer.setCreator(QStringLiteral("Lodra05"));
        document_->print(&writer);
    }
    return bytes.toStdString();
}

void Handover::print(QPrinter& printer) const {
    document_->print(&printer);
}

}  // namespace lodra
