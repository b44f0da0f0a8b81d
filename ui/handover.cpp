#include "ui/handover.h"

#include <QAbstractItemModel>
#include <QAbstractTextDocumentLayout>
#include <QBrush>
#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <optional>

namespace lodra {

namespace {

const QPageLayout kPage(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                        QMarginsF(Handover::kMarginMm, Handover::kMarginMm, Handover::kMarginMm,
                                  Handover::kMarginMm),
                        QPageLayout::Millimeter);

constexpr double kUnitsPerInch = 96;
constexpr double kPointsPerInch = 72;
constexpr double kFooterHeight = 24;  // the page number's line, in the document's unit
constexpr double kTopRoom = 4;        // above each page's first line, for rising accents

// A font size in points, in the document's unit.
int pixels(double points) {
    return static_cast<int>(std::lround(points * kUnitsPerInch / kPointsPerInch));
}

QTextCharFormat headingFormat() {
    QTextCharFormat format;
    format.setFontPointSize(13);
    format.setFontWeight(QFont::Bold);
    return format;
}

QTextCharFormat smallFormat(bool bold = false) {
    QTextCharFormat format;
    format.setFontPointSize(9);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return format;
}

// The vertical extent of a top-level item of the document, in the document's unit; none
// for an empty block (the one that follows every table).
std::optional<std::pair<double, double>> extent(QAbstractTextDocumentLayout& layout,
                                                QTextFrame::iterator it) {
    QRectF rect;
    if (QTextFrame* frame = it.currentFrame()) {
        rect = layout.frameBoundingRect(frame);
    } else if (it.currentBlock().length() > 1) {
        rect = layout.blockBoundingRect(it.currentBlock());
    } else {
        return std::nullopt;
    }
    return std::pair{rect.top(), rect.bottom()};
}

// The position a top-level item starts at, as sections count positions.
int startOf(QTextFrame::iterator it) {
    QTextFrame* frame = it.currentFrame();
    return frame != nullptr ? frame->firstPosition() - 1 : it.currentBlock().position();
}

void breakBefore(QTextFrame::iterator it) {
    if (QTextFrame* frame = it.currentFrame()) {
        QTextFrameFormat format = frame->frameFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        frame->setFrameFormat(format);
        return;
    }
    QTextBlockFormat format;
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor(it.currentBlock()).mergeBlockFormat(format);
}

}  // namespace

QSizeF Handover::textArea() {
    const QRectF inches = kPage.paintRect(QPageLayout::Inch);
    return {inches.width() * kUnitsPerInch,
            inches.height() * kUnitsPerInch - kFooterHeight - kTopRoom};
}

Handover::Handover(const QString& title)
    : layoutDevice_(1, 1, QImage::Format_RGB32),
      document_(std::make_unique<QTextDocument>()),
      cursor_(document_.get()) {
    const int dotsPerMeter = static_cast<int>(std::lround(kUnitsPerInch / 0.0254));
    layoutDevice_.setDotsPerMeterX(dotsPerMeter);
    layoutDevice_.setDotsPerMeterY(dotsPerMeter);
    document_->setUseDesignMetrics(true);
    document_->setDocumentMargin(0);
    const QRectF inches = kPage.paintRect(QPageLayout::Inch);
    document_->setPageSize(inches.size() * kUnitsPerInch);
    QTextFrameFormat root = document_->rootFrame()->frameFormat();
    root.setTopMargin(kTopRoom);
    root.setBottomMargin(kFooterHeight);
    document_->rootFrame()->setFrameFormat(root);
    QFont body = document_->defaultFont();
    body.setPointSizeF(10);
    document_->setDefaultFont(body);
    QTextCharFormat format;
    format.setFontPointSize(18);
    format.setFontWeight(QFont::Bold);
    startSection();
    cursor_.insertText(title, format);
}

Handover::~Handover() = default;

void Handover::startSection() {
    if (!joinNext_) {
        sections_.push_back(cursor_.position());
    }
    joinNext_ = false;
}

void Handover::addHeading(const QString& text) {
    startSection();
    QTextBlockFormat block;
    block.setTopMargin(12);
    block.setBottomMargin(4);
    cursor_.insertBlock(block, headingFormat());
    cursor_.insertText(text, headingFormat());
    joinNext_ = true;
}

void Handover::addParagraph(const QString& text) {
    startSection();
    cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat());
    cursor_.insertText(text);
}

void Handover::addFigures(const std::vector<std::pair<QString, QString>>& figures) {
    startSection();
    QTextTableFormat format;
    format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    format.setCellPadding(1);
    format.setCellSpacing(0);
    format.setTopMargin(6);
    QTextTable* table = cursor_.insertTable(static_cast<int>(figures.size()), 2, format);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const bool last = i + 1 == figures.size();
        QTextCharFormat text;
        text.setFontPointSize(last ? 15 : 10);
        text.setFontWeight(last ? QFont::Bold : QFont::Normal);
        const int row = static_cast<int>(i);
        table->cellAt(row, 0).firstCursorPosition().insertText(figures[i].first, text);
        QTextCursor value = table->cellAt(row, 1).firstCursorPosition();
        value.setBlockFormat(right);
        value.insertText(QStringLiteral("   ") + figures[i].second, text);
    }
    cursor_.movePosition(QTextCursor::End);
}

void Handover::addReportText(const QString& heading, const QString& text) {
    addHeading(heading);
    startSection();
    QTextCharFormat format;
    QFont font = document_->defaultFont();
    font.setPointSizeF(9);
    format.setFont(font);
    // Whole units, as the window rounds its stop to whole pixels.
    QTextOption option = document_->defaultTextOption();
    option.setTabStopDistance(
        std::round(QFontMetricsF(font, &layoutDevice_).averageCharWidth() * 8));
    document_->setDefaultTextOption(option);
    QTextBlockFormat block;
    block.setNonBreakableLines(true);
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& line : lines.split(QLatin1Char('\n'))) {
        cursor_.insertBlock(block, format);
        cursor_.insertText(line, format);
    }
}

namespace {

struct TableShape {
    int width = 0;
    bool titles = false;
    int headerRows() const { return titles ? 3 : 2; }
};

TableShape shapeOf(const HandoverTable& table) {
    TableShape shape;
    for (const HandoverTable::Columns& group : table.groups) {
        shape.width += static_cast<int>(group.columns.size());
        shape.titles = shape.titles || !group.title.isEmpty();
    }
    return shape;
}

// A merged row across the table: its heading (with the text under it) or its note.
void fillWide(QTextTable* table, int row, const QString& heading, const QString& text) {
    table->mergeCells(row, 0, 1, table->columns());
    QTextCursor cell = table->cellAt(row, 0).firstCursorPosition();
    if (!heading.isEmpty()) {
        cell.insertText(heading, headingFormat());
    }
    if (!text.isEmpty()) {
        if (!heading.isEmpty()) {
            cell.insertBlock();
        }
        cell.insertText(text, smallFormat());
    }
}

// The column names of the groups: their titles over them, then each column's name.
void fillHeader(QTextTable* table, const HandoverTable& content, const TableShape& shape) {
    int column = 0;
    for (const HandoverTable::Columns& group : content.groups) {
        const int width = static_cast<int>(group.columns.size());
        if (shape.titles) {
            table->mergeCells(1, column, 1, width);
            table->cellAt(1, column).firstCursorPosition().insertText(group.title,
                                                                      smallFormat(true));
        }
        for (const int source : group.columns) {
            const QString name = source == HandoverTable::kRowHeader
                                     ? QString()
                                     : group.model->headerData(source, Qt::Horizontal).toString();
            table->cellAt(shape.headerRows() - 1, column++)
                .firstCursorPosition()
                .insertText(QString(name).replace(QLatin1Char('\n'), QLatin1Char(' ')),
                            smallFormat(true));
        }
    }
}

// One cell of a model, marked as the model marks it in the window.
void fillCell(QTextTableCell cell, const QAbstractItemModel& model, int row, int source,
              bool oneLine) {
    QTextCursor cursor = cell.firstCursorPosition();
    if (source == HandoverTable::kRowHeader) {
        cursor.insertText(model.headerData(row, Qt::Vertical).toString(), smallFormat(true));
        return;
    }
    const QModelIndex index = model.index(row, source);
    QTextCharFormat text = smallFormat(index.data(Qt::FontRole).value<QFont>().bold());
    if (const QVariant brush = index.data(Qt::BackgroundRole); brush.canConvert<QBrush>()) {
        QTextTableCellFormat shaded = cell.format().toTableCellFormat();
        shaded.setBackground(brush.value<QBrush>());
        cell.setFormat(shaded);
    }
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    right.setNonBreakableLines(oneLine);  // not wrapped, and kept on one page
    cursor.setBlockFormat(right);
    cursor.insertText(index.data().toString(), text);
}

}  // namespace

void Handover::addTable(const HandoverTable& content) {
    startSection();
    const QAbstractItemModel& rowsModel = *content.groups.front().model;
    std::vector<int> rows;
    for (int row = 0; row < rowsModel.rowCount(); ++row) {
        if (content.keep(row)) {
            rows.push_back(row);
        }
    }
    const TableShape shape = shapeOf(content);
    // The heading is the table's first row, so that it goes with the table to a new page.
    QTextTableFormat format;
    format.setHeaderRowCount(shape.headerRows());
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setTopMargin(12);
    const int noteRows = content.note.isEmpty() ? 0 : 1;
    const int height = shape.headerRows() + static_cast<int>(rows.size()) + noteRows;
    QTextTable* table = cursor_.insertTable(height, shape.width, format);
    fillWide(table, 0, content.heading, content.intro);
    fillHeader(table, content, shape);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        int column = 0;
        for (const HandoverTable::Columns& group : content.groups) {
            for (const int source : group.columns) {
                fillCell(table->cellAt(shape.headerRows() + static_cast<int>(r), column++),
                         *group.model, rows[r], source, content.oneLine);
            }
        }
    }
    if (noteRows > 0) {
        fillWide(table, height - 1, {}, content.note);
    }
    cursor_.movePosition(QTextCursor::End);
}

void Handover::addImage(const QString& heading, const QImage& image) {
    startSection();
    const QUrl name(QStringLiteral("lodra://bild%1").arg(++images_));
    document_->addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat format;
    format.setName(name.toString());
    const QSizeF size = image.deviceIndependentSize();
    format.setWidth(size.width());
    format.setHeight(size.height());
    // The heading and the image in one block that a page break does not split.
    QTextBlockFormat block;
    block.setTopMargin(12);
    block.setNonBreakableLines(true);
    cursor_.insertBlock(block, headingFormat());
    cursor_.insertText(heading + QChar::LineSeparator, headingFormat());
    cursor_.insertImage(format);
}

// Moves every section that a page's end splits, and that does not already begin its page,
// to the next page. A section that still spans pages is longer than a page.
void Handover::paginate() {
    // The layout is made only now: while the document is built, every cell put into a
    // laid-out table would lay the table out again.
    QAbstractTextDocumentLayout& layout = *document_->documentLayout();
    layout.setPaintDevice(&layoutDevice_);
    const double page = document_->pageSize().height();
    for (bool moved = true; moved;) {
        moved = false;
        std::size_t section = 0;
        int lastPage = -1;         // the page the previous section ends on
        int first = -1, end = -1;  // the pages the current section spans
        QTextFrame::iterator start;
        const auto check = [&] {
            if (first >= 0 && end > first && first == lastPage) {
                breakBefore(start);
                moved = true;
            }
            lastPage = std::max(lastPage, end);
            first = end = -1;
        };
        QTextFrame* root = document_->rootFrame();
        for (auto it = root->begin(); !moved && !it.atEnd(); ++it) {
            if (section < sections_.size() && startOf(it) >= sections_[section]) {
                check();
                start = it;
                while (section < sections_.size() && startOf(it) >= sections_[section]) {
                    ++section;
                }
            }
            if (const auto y = extent(layout, it)) {
                const int top = static_cast<int>(y->first / page);
                const int bottom = static_cast<int>(std::max(y->first, y->second - 0.5) / page);
                first = first < 0 ? top : first;
                end = std::max(end, bottom);
            }
        }
        if (!moved) {
            check();
        }
    }
}

void Handover::paint(QPagedPaintDevice& device) {
    paginate();
    QPainter painter(&device);
    const QSizeF page = document_->pageSize();
    const double scale = std::min(device.width() / page.width(), device.height() / page.height());
    painter.scale(scale, scale);
    const int pages = document_->pageCount();
    QFont footer = document_->defaultFont();
    footer.setPixelSize(pixels(8));
    for (int i = 0; i < pages; ++i) {
        if (i > 0) {
            device.newPage();
        }
        const QRectF view(0, i * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        document_->documentLayout()->draw(&painter, context);
        painter.restore();
        painter.setFont(footer);
        painter.drawText(QRectF(0, page.height() - kFooterHeight, page.width(), kFooterHeight),
                         Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Sida %1 av %2").arg(i + 1).arg(pages));
    }
}

void Handover::setUpPrinter(QPrinter& printer) {
    printer.setPageLayout(kPage);
}

std::string Handover::pdf() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(kPage);
        writer.setResolution(300);
        writer.setTitle(document_->begin().text());
        writer.setCreator(QStringLiteral("Lodra05"));
        paint(writer);
    }
    return bytes.toStdString();
}

void Handover::print(QPrinter& printer) {
    paint(printer);
}

}  // namespace lodra
