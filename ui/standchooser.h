#pragma once

// The pick list of a register's stands: each stand by its row and the start of its name,
// shown as the list scrolls, so that millions of stands cost no more than their listing.

#include <QAbstractListModel>
#include <QDialog>
#include <memory>
#include <string>

#include "standfile/standsource.h"

namespace Ui {
class StandChooser;
}

namespace lodra {

// How the pick list shows a stand: "Rad 4 – Norr", or "Rad 4" without a name; a name that
// goes on past what the list keeps ends in "…".
QString standItemText(int row, const std::string& name, bool cut);

class StandListModel : public QAbstractListModel {
    Q_OBJECT

  public:
    StandListModel(std::shared_ptr<const StandList> list, QObject* parent);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    std::shared_ptr<const StandList> list_;
};

class StandChooser : public QDialog {
    Q_OBJECT

  public:
    StandChooser(std::shared_ptr<const StandList> list, QWidget* parent);
    ~StandChooser() override;

    // The entry of the list the user chose; -1 for none.
    int chosen() const;
    // The user chose "Hela registret": every stand, in the property window.
    bool wholeRegister() const { return whole_; }

  private:
    std::unique_ptr<Ui::StandChooser> ui;
    bool whole_ = false;
};

}  // namespace lodra
