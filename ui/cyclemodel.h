#pragma once

// The cycle rows of a calculation as a table: a row per five-year cycle, the units in the
// column headers, numbers right-aligned with the decimal separator of the report.

#include <QAbstractTableModel>
#include <vector>

#include "calc/cyclerecord.h"

namespace lodra {

class CycleModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<CycleRow> rows, char decimalSeparator);
    const std::vector<CycleRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QString text(const CycleRow& row, int column) const;

    std::vector<CycleRow> rows_;
    char separator_ = '.';
};

}  // namespace lodra
