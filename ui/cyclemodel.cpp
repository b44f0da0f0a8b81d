#include "ui/cyclemodel.h"

#include "report/cyclecsv.h"
#include "report/numbertext.h"

namespace lodra {

namespace {

enum Column {
    kAr,
    kArsring,
    kVol00,
    kVol05,
    kAvvDiameter,
    kAvverkning,
    kAvvTrad,
    kMedeldiameter,
    kAvvVolym,
    kNetto,
    kAtervKost,
    kNuvarde,
    kNuvardeSumma,
    kColumns
};
static_assert(kColumns == kCycleColumnNames.size());

}  // namespace

void CycleModel::setRows(std::vector<CycleRow> rows, char decimalSeparator) {
    beginResetModel();
    rows_ = std::move(rows);
    separator_ = decimalSeparator;
    endResetModel();
}

int CycleModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CycleModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString CycleModel::text(const CycleRow& row, int column) const {
    const auto pat = [this](double value, std::string_view pattern) {
        return QString::fromStdString(patternText(value, pattern, separator_));
    };
    // A cycle without a felling leaves its felling columns empty.
    const auto felling = [&](double value, std::string_view pattern) {
        return row.avvTrad > 0 ? pat(value, pattern) : QString();
    };
    switch (column) {
        case kAr:
            return pat(cycleEndYear(row), "###0");
        case kArsring:
            return pat(row.arsring, "##0.00");
        case kVol00:
            return pat(row.vol00, "##0.0");
        case kVol05:
            return pat(row.vol05, "##0.0");
        case kAvvDiameter:
            return pat(row.avvDiameter, "##0.00");
        case kAvverkning:
            // A cycle that fells nothing says so; one that cannot fell stays empty.
            if (row.avverkning || row.avvTrad > 0) {
                const std::string_view word = fellingWord(row);
                return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()));
            }
            return {};
        case kAvvTrad:
            return felling(row.avvTrad, "####0");
        case kMedeldiameter:
            return felling(row.medeldiameter, "##0.00");
        case kAvvVolym:
            return felling(row.avvVolym, "##0.0");
        case kNetto:
            return felling(row.netto, "######0");
        case kAtervKost:
            return felling(row.atervKost, "######0");
        case kNuvarde:
            return felling(row.nuvarde, "######0");
        case kNuvardeSumma:
            return pat(row.nuvardeSumma, "######0");
        default:
            return {};
    }
}

QVariant CycleModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return text(rows_[static_cast<std::size_t>(index.row())], index.column());
    }
    if (role == Qt::TextAlignmentRole) {
        const Qt::Alignment side =
            index.column() == kAvverkning ? Qt::AlignHCenter : Qt::AlignRight;
        return QVariant::fromValue(side | Qt::AlignVCenter);
    }
    return {};
}

QVariant CycleModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kColumns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kCycleColumnNames[static_cast<std::size_t>(section)]);
}

}  // namespace lodra
