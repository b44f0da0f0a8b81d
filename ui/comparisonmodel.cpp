#include "ui/comparisonmodel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "report/numbertext.h"

namespace lodra {

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
    if (!comparison_) {
        return false;
    }
    const MeasureComparison::Best best = comparison_->best(rate);
    return best.measure == measure_ && best.interval == interval;
}

QVariant ComparisonModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    const bool best = isBest(index.row(), index.column());
    switch (role) {
        case Qt::DisplayRole: {
            const auto& cell = comparison_->grids[static_cast<std::size_t>(measure_)]
                                   .nuvarde[static_cast<std::size_t>(index.row())]
                                           [static_cast<std::size_t>(index.column())];
            return cell ? QString::fromStdString(patternText(*cell, "######0", separator_))
                        : QStringLiteral("–");
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::FontRole:
            if (best) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::BackgroundRole:
            return best ? QVariant(QBrush(QColor(0xc8, 0xe6, 0xc9))) : QVariant();
        case Qt::ToolTipRole:
            return best ? QStringLiteral("Högst vid %1 %")
                              .arg(kRates[static_cast<std::size_t>(index.column())])
                        : QVariant();
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

}  // namespace lodra
