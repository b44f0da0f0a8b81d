#include "ui/propertymodel.h"

#include <QFont>
#include <array>

#include "calc/parameters.h"
#include "report/numbertext.h"
#include "report/propertycsv.h"

namespace lodra {

namespace {

constexpr std::array<const char*, PropertyStandModel::kColumns> kStandHeaders = {
    "Rad",
    "Bestånd",
    "Hektar",
    "Trädslag",
    "Åtgärd",
    "Räntekrav\n%",
    "NUVÄRDE\nkr/ha",
    "NUVÄRDE\nkr",
    "Volym avverkad\nnu m3sk/ha",
    "År mellan\navverkningar",
    "Volym/avverkning\nm3sk/ha",
    "Meddelande",
};

constexpr std::array<const char*, PropertyFlowModel::kColumns> kFlowHeaders = {
    "År", "Volym\nm3sk", "Netto\nkr", "Återväxt\nkr", "Kassaflöde\nkr", "Nuvärde\nkr",
};

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant alignment(bool text) {
    return QVariant::fromValue((text ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
}

}  // namespace

void PropertyStandModel::setStands(std::vector<PropertyStand> stands, char decimalSeparator) {
    beginResetModel();
    stands_ = std::move(stands);
    separator_ = decimalSeparator;
    endResetModel();
}

int PropertyStandModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(stands_.size());
}

int PropertyStandModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString PropertyStandModel::text(const PropertyStand& stand, int column) const {
    const auto pat = [this](const std::optional<double>& value, std::string_view pattern) {
        return value ? QString::fromStdString(patternText(*value, pattern, separator_)) : QString();
    };
    const std::optional<PropertyFigures>& f = stand.figures;
    switch (column) {
        case kRad:
            return QString::number(stand.row);
        case kBestand:
            return QString::fromStdString(stand.name.value_or(std::string()));
        case kHektar:
            return pat(stand.hektar, "#####0.00");
        case kTradslag:
            return stand.refused() ? QString() : utf8(nameOf(stand.species));
        case kAtgard:
            return stand.refused() ? QString() : utf8(nameOf(stand.measure));
        case kRanta:
            return f ? pat(f->ranta, "#0.0") : QString();
        case kNuvardeHa:
            return f ? pat(f->nuvarde, "######0") : QString();
        case kNuvardeKr:
            return pat(stand.nuvardeKr(), "#########0");
        case kVolAvv:
            return f ? pat(f->volAvv, "##0.0") : QString();
        case kArMellan:
            return f ? pat(f->arMellanAvv, "##0") : QString();
        case kVolymPerAvv:
            return f ? pat(f->volymPerAvv, "##0.0") : QString();
        case kMeddelande:
            return QString::fromStdString(stand.message());
        default:
            return {};
    }
}

QVariant PropertyStandModel::sortKey(const PropertyStand& stand, int column) const {
    const auto number = [](const std::optional<double>& value) {
        return value ? QVariant(*value) : QVariant();
    };
    const std::optional<PropertyFigures>& f = stand.figures;
    switch (column) {
        case kRad:
            return stand.row;
        case kHektar:
            return number(stand.hektar);
        case kRanta:
            return f ? QVariant(f->ranta) : QVariant();
        case kNuvardeHa:
            return f ? QVariant(f->nuvarde) : QVariant();
        case kNuvardeKr:
            return number(stand.nuvardeKr());
        case kVolAvv:
            return f ? QVariant(f->volAvv) : QVariant();
        case kArMellan:
            return f ? number(f->arMellanAvv) : QVariant();
        case kVolymPerAvv:
            return f ? number(f->volymPerAvv) : QVariant();
        default:
            return text(stand, column);
    }
}

QVariant PropertyStandModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns) {
        return {};
    }
    const PropertyStand& stand = stands_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return text(stand, index.column());
        case kSortRole:
            return sortKey(stand, index.column());
        case Qt::TextAlignmentRole:
            return alignment(index.column() == kBestand || index.column() == kTradslag ||
                             index.column() == kAtgard || index.column() == kMeddelande);
        default:
            return {};
    }
}

QVariant PropertyStandModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kColumns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kStandHeaders[static_cast<std::size_t>(section)]);
}

void PropertyFlowModel::setFlow(const PropertyFlow& flow, char decimalSeparator) {
    beginResetModel();
    years_ = flow.years();
    total_ = flow.total();
    separator_ = decimalSeparator;
    endResetModel();
}

int PropertyFlowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || years_.empty() ? 0 : static_cast<int>(years_.size()) + 1;
}

int PropertyFlowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant PropertyFlowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const bool total = row == years_.size();
    const FlowYear& year = total ? total_ : years_[row];
    const double values[kColumns] = {static_cast<double>(year.ar),
                                     year.volym,
                                     year.netto,
                                     year.kostnad,
                                     year.kassaflode(),
                                     year.nuvarde};
    const double value = values[index.column()];
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == kAr) {
                return total ? utf8(kFlowTotalRow) : QString::number(year.ar);
            }
            return QString::fromStdString(patternText(
                value, index.column() == kVolym ? "#######0.0" : "#########0", separator_));
        case kSortRole:
            return value;
        case Qt::TextAlignmentRole:
            return alignment(false);
        case Qt::FontRole:
            if (total) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        default:
            return {};
    }
}

QVariant PropertyFlowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kColumns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kFlowHeaders[static_cast<std::size_t>(section)]);
}

}  // namespace lodra
