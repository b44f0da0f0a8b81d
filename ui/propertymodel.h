#pragma once

// The property window's tables: one row per stand, and the fellings and money year by year
// with their sum. Each cell shows its figure in the run's decimal separator and gives the
// figure itself under kSortRole, so that a sorted column orders numbers as numbers.

#include <QAbstractTableModel>
#include <vector>

#include "calc/standflow.h"
#include "session/property.h"

namespace lodra {

// What a column sorts by: a number, or the text for a text column; an empty cell sorts as
// nothing (first when ascending).
inline constexpr int kSortRole = Qt::UserRole + 1;

class PropertyStandModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column {
        kRad,
        kBestand,
        kHektar,
        kTradslag,
        kAtgard,
        kRanta,
        kNuvardeHa,
        kNuvardeKr,
        kVolAvv,
        kArMellan,
        kVolymPerAvv,
        kMeddelande,
        kColumns
    };

    explicit PropertyStandModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setStands(std::vector<PropertyStand> stands, char decimalSeparator);
    const std::vector<PropertyStand>& stands() const { return stands_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QString text(const PropertyStand& stand, int column) const;
    QVariant sortKey(const PropertyStand& stand, int column) const;

    std::vector<PropertyStand> stands_;
    char separator_ = '.';
};

class PropertyFlowModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { kAr, kVolym, kNetto, kAterv, kKassaflode, kNuvarde, kColumns };

    explicit PropertyFlowModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // The years in which anything happens, then a row "Summa".
    void setFlow(const PropertyFlow& flow, char decimalSeparator);
    const std::vector<FlowYear>& years() const { return years_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::vector<FlowYear> years_;
    FlowYear total_;
    char separator_ = '.';
};

}  // namespace lodra
