#pragma once

// The pick list of a register's stands: each stand by its row and the start of its name,
// shown as the list scrolls, so that millions of stands cost no more than their listing. A
// search field above it keeps only the stands whose name or row matches what is typed.

#include <QAbstractListModel>
#include <QDialog>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "standfile/standsource.h"

namespace Ui {
class StandChooser;
}

namespace lodra {

// How the pick list shows a stand: "Rad 4 – Norr", or "Rad 4" without a name; a name that
// goes on past what the list keeps ends in "…".
QString standItemText(int row, const std::string& name, bool cut);

// Whether a stand matches what was typed into the search field: its name holds the text in
// any case, or its row begins with it ("12", "Rad 12", "rad12"). An empty text matches all.
bool standMatches(int row, const std::string& name, const QString& typed);

class StandListModel : public QAbstractListModel {
    Q_OBJECT

  public:
    StandListModel(std::shared_ptr<const StandList> list, QObject* parent);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Shows only the stands that match typed (see standMatches).
    void setFilter(const QString& typed);
    // The entry of the listing that a row of the model shows.
    std::size_t entryAt(int row) const;

  private:
    std::shared_ptr<const StandList> list_;
    QString filter_;
    // The entries shown while a filter is set; every entry without one.
    std::optional<std::vector<std::size_t>> shown_;
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

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void filter(const QString& typed);

    std::unique_ptr<Ui::StandChooser> ui;
    StandListModel* model_ = nullptr;
    bool whole_ = false;
};

}  // namespace lodra
