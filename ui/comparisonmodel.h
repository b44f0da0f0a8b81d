#pragma once

// One measure's grid of the comparison as a table: a row per felling interval, a column per
// interest rate, the present values in kr/ha. The best pair of each rate, over both
// measures, is marked in the grid of its measure where it is told apart from the next (under
// runs, by a lead of more than twice its standard error); where it is not, both are marked
// as not told apart. The entered choice's cell is underlined.

#include <QAbstractTableModel>
#include <QString>
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

    // What a cell's MarkRole gives.
    enum class Mark { none, best, notToldApart };
    static constexpr int MarkRole = Qt::UserRole + 1;     // a Mark, as int
    static constexpr int EnteredRole = Qt::UserRole + 2;  // bool

    // Whether the cell holds the highest value of its rate under both measures, told apart
    // from the next: the best pair that is marked.
    bool isBest(int interval, int rate) const;
    // Whether the cell is the best or the next at its rate, the two not told apart.
    bool isNotToldApart(int interval, int rate) const;
    // Whether the cell is the entered measure, interval and rate.
    bool isEntered(int interval, int rate) const;
    Mark mark(int interval, int rate) const;

  private:
    int measure_;
    std::optional<MeasureComparison> comparison_;
    char separator_ = '.';
};

// What the comparison's page says of it: what the cells are, how they were calculated
// (under runs: how many, from which seed, with common random numbers), which cells are
// marked and, rate by rate, where the highest cells cannot be told apart. Numbers are
// written with the separator.
QString comparisonText(const MeasureComparison& comparison, char separator);

}  // namespace lodra
