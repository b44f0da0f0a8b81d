#pragma once

// The comparison of choices as a table: a row per felling interval, a column per interest
// rate, the present values in kr/ha; the highest value of each rate is marked.

#include <QAbstractTableModel>
#include <optional>

#include "calc/comparison.h"

namespace lodra {

class ComparisonModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    // A grid to show, or none to empty the table.
    void setGrid(std::optional<ComparisonGrid> grid, char decimalSeparator);
    const std::optional<ComparisonGrid>& grid() const { return grid_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Whether the cell holds the highest value of its rate.
    bool isBest(int interval, int rate) const;

  private:
    std::optional<ComparisonGrid> grid_;
    char separator_ = '.';
};

}  // namespace lodra
