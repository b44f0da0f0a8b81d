#pragma once

// One measure's grid of the comparison as a table: a row per felling interval, a column per
// interest rate, the present values in kr/ha; the best pair of each rate, over both
// measures, is marked in the grid of its measure.

#include <QAbstractTableModel>
#include <optional>

#include "calc/comparison.h"

namespace lodra {

class ComparisonModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // The grid of measure (MeasureComparison::Measure) this table shows.
    explicit ComparisonModel(int measure, QObject* parent = nullptr)
        : QAbstractTableModel(parent), measure_(measure) {}

    // A comparison to show, or none to empty the table.
    void setComparison(std::optional<MeasureComparison> comparison, char decimalSeparator);
    const std::optional<MeasureComparison>& comparison() const { return comparison_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Whether the cell holds the highest value of its rate under both measures.
    bool isBest(int interval, int rate) const;

  private:
    int measure_;
    std::optional<MeasureComparison> comparison_;
    char separator_ = '.';
};

}  // namespace lodra
