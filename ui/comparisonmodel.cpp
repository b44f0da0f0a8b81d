#include "ui/comparisonmodel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QStringList>

#include "report/numbertext.h"

namespace lodra {

namespace {

QString kr(double value, char separator) {
    return QString::fromStdString(patternText(value, "######0", separator));
}

// "gallring vid 2 cykler"
QString pairText(int measure, int interval) {
    return (measure == MeasureComparison::kGallring ? QStringLiteral("gallring vid %1")
                                                    : QStringLiteral("kalavverkning vid %1"))
        .arg(interval == 1 ? QStringLiteral("1 cykel") : QStringLiteral("%1 cykler").arg(interval));
}

// How far the best of the rate leads the next: "kalavverkning vid 0 cykler före gallring vid
// 0 cykler med 868 kr/ha, standardfel 240 kr/ha".
QString leadText(const MeasureComparison& comparison, int rate, char separator) {
    const ComparisonLead& lead = *comparison.leads[static_cast<std::size_t>(rate)];
    const MeasureComparison::Best best = comparison.best(rate);
    return QStringLiteral("%1 före %2 med %3 kr/ha, %4")
        .arg(pairText(best.measure, best.interval), pairText(lead.measure, lead.interval),
             kr(lead.lead, separator),
             lead.standardError
                 ? QStringLiteral("standardfel %1 kr/ha").arg(kr(*lead.standardError, separator))
                 : QStringLiteral("inget standardfel av en enda körning"));
}

// What a cell's tooltip says of its marks, or nothing.
QVariant toolTip(const MeasureComparison& comparison, ComparisonModel::Mark mark, bool entered,
                 int rate, char separator) {
    const int ranta = kRates[static_cast<std::size_t>(rate)];
    const bool lead = comparison.leads[static_cast<std::size_t>(rate)].has_value();
    QStringList lines;
    if (mark == ComparisonModel::Mark::best) {
        lines << QStringLiteral("Högst vid %1 %").arg(ranta) +
                     (lead ? QStringLiteral(": ") + leadText(comparison, rate, separator)
                           : QString());
    } else if (mark == ComparisonModel::Mark::notToldApart) {
        lines << QStringLiteral(
                     "Högst eller näst högst vid %1 %, de två går inte att skilja "
                     "åt: ")
                         .arg(ranta) +
                     leadText(comparison, rate, separator);
    }
    if (entered) {
        lines << QStringLiteral("Det angivna valet");
    }
    return lines.isEmpty() ? QVariant() : QVariant(lines.join(QLatin1Char('\n')));
}

}  // namespace

void ComparisonModel::setComparison(std::optional<MeasureComparison> comparison,
                                    char decimalSeparator) {
    beginResetModel();
    comparison_ = std::move(comparison);
    separator_ = decimalSeparator;
    endResetModel();
}

int ComparisonModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !comparison_ ? 0 : ComparisonGrid::kIntervals;
}

int ComparisonModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ComparisonGrid::kRateCount;
}

bool ComparisonModel::isBest(int interval, int rate) const {
    if (!comparison_ || !comparison_->marked(rate)) {
        return false;
    }
    const MeasureComparison::Best best = comparison_->best(rate);
    return best.measure == measure_ && best.interval == interval;
}

bool ComparisonModel::isNotToldApart(int interval, int rate) const {
    if (!comparison_ || comparison_->marked(rate)) {
        return false;
    }
    const auto& lead = comparison_->leads[static_cast<std::size_t>(rate)];
    const MeasureComparison::Best best = comparison_->best(rate);
    return lead && ((best.measure == measure_ && best.interval == interval) ||
                    (lead->measure == measure_ && lead->interval == interval));
}

bool ComparisonModel::isEntered(int interval, int rate) const {
    const auto& entered = comparison_ ? comparison_->entered : std::nullopt;
    return entered && entered->measure == measure_ && entered->interval == interval &&
           entered->rate == rate;
}

ComparisonModel::Mark ComparisonModel::mark(int interval, int rate) const {
    return isBest(interval, rate)           ? Mark::best
           : isNotToldApart(interval, rate) ? Mark::notToldApart
                                            : Mark::none;
}

QVariant ComparisonModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    const int interval = index.row();
    const int rate = index.column();
    const Mark marked = mark(interval, rate);
    const bool entered = isEntered(interval, rate);
    switch (role) {
        case Qt::DisplayRole: {
            const auto& cell =
                comparison_->grids[static_cast<std::size_t>(measure_)]
                    .nuvarde[static_cast<std::size_t>(interval)][static_cast<std::size_t>(rate)];
            return cell ? QString::fromStdString(patternText(*cell, "######0", separator_))
                        : QStringLiteral("–");
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::FontRole:
            if (marked != Mark::none || entered) {
                QFont font;
                font.setBold(marked == Mark::best);
                font.setItalic(marked == Mark::notToldApart);
                font.setUnderline(entered);
                return font;
            }
            return {};
        case Qt::BackgroundRole:
            return marked == Mark::best           ? QVariant(QBrush(QColor(0xc8, 0xe6, 0xc9)))
                   : marked == Mark::notToldApart ? QVariant(QBrush(QColor(0xff, 0xf3, 0xc4)))
                                                  : QVariant();
        case Qt::ToolTipRole:
            return toolTip(*comparison_, marked, entered, rate, separator_);
        case MarkRole:
            return static_cast<int>(marked);
        case EnteredRole:
            return entered;
        default:
            return {};
    }
}

QVariant ComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (orientation == Qt::Horizontal && section >= 0 && section < ComparisonGrid::kRateCount) {
        return QStringLiteral("%1 % (kr/ha)").arg(kRates[static_cast<std::size_t>(section)]);
    }
    if (orientation == Qt::Vertical && section >= 0 && section < ComparisonGrid::kIntervals) {
        return section == 1 ? QStringLiteral("1 cykel") : QStringLiteral("%1 cykler").arg(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

namespace {

// A line per rate whose best cannot be told apart from the next.
QString leadsText(const MeasureComparison& comparison, char separator) {
    QString text;
    for (int r = 0; r < ComparisonGrid::kRateCount; ++r) {
        const auto& lead = comparison.leads[static_cast<std::size_t>(r)];
        if (lead && !lead->clear()) {
            text += QStringLiteral("\nVid %1 %: de högsta rutorna går inte att skilja åt, %2.")
                        .arg(kRates[static_cast<std::size_t>(r)])
                        .arg(leadText(comparison, r, separator));
        }
    }
    return text;
}

}  // namespace

QString comparisonText(const MeasureComparison& comparison, char separator) {
    QString text = QStringLiteral(
        "Nuvärde (kr/ha) för varje åtgärd, antal cykler till avverkning och räntekrav, övriga "
        "indata som de angavs.");
    if (!comparison.varied) {
        text += QStringLiteral(
            " Det högsta värdet vid varje räntekrav är markerat: ett lika högt värde går till "
            "färre cykler, sedan till gallring. Utan variation drar beräkningen inga slumptal, "
            "så varje ruta är en enda beräkning.");
    } else {
        text += QStringLiteral(
                    " Varje ruta är medelvärdet av %1 körningar med gemensamma slumptal: "
                    "körning k drar samma slumptal i varje ruta (fröet %2), så att rutorna "
                    "skiljer sig genom valen, inte genom slumpen. Det högsta vid ett räntekrav "
                    "markeras bara om det leder före det näst högsta med mer än två standardfel "
                    "av skillnaden; annars står de två kursivt på gul botten.")
                    .arg(comparison.runs)
                    .arg(comparison.seed);
    }
    if (comparison.entered) {
        text += QStringLiteral(" Det angivna valet är understruket.");
    }
    text += leadsText(comparison, separator);
    if (!comparison.stopped.empty()) {
        text += QStringLiteral("\nNågra kombinationer kunde inte beräknas (–): ") +
                QString::fromStdString(comparison.stopped);
    }
    return text;
}

}  // namespace lodra
