#pragma once

// The heading above every page of the development window: the stand and the calculation
// the pages show (when it was made, its species, measure, rate and variation), and a line
// with a "Beräkna" of its own while the entries of the parameters window differ from it.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "calc/inputrecord.h"

namespace Ui {
class forUtveckling;
}

namespace lodra {

// What the heading says of a calculation besides its entries.
struct CalculationTitle {
    QString stand;   // the stand's name and file (standTitle); empty: neither
    QDateTime time;  // when it was calculated; invalid: when the window was given it
};

// "Skifte 7 (skifte7.csv)": the stand's name and its file's name, or either alone, or empty.
QString standTitle(const QString& name, const QString& file);
// The heading of a calculation, two lines: the stand and the time, then the choices.
QString headingText(const InputRecord& input, const CalculationTitle& title);
// What differs between the entries calculated and the entries now, in the window's order,
// each by its caption; empty when they are the same.
QStringList changedEntries(const InputRecord& calculated, const InputRecord& now);

class CalculationHeading : public QObject {
    Q_OBJECT

  public:
    // Works the heading's controls in ui; the line of changed entries starts hidden.
    CalculationHeading(Ui::forUtveckling& ui, QObject* parent);

    // The calculation the pages show.
    void show(const InputRecord& input, const CalculationTitle& title);
    // The entries of the parameters window as they are now; without it nothing is said of
    // them.
    void setEntries(std::function<InputRecord()> entries) { entries_ = std::move(entries); }
    // Shows the line of changed entries while they differ from the calculation, else hides it.
    void check();

  signals:
    // The line's "Beräkna": the parameters window calculates its entries.
    void calculateRequested();

  private:
    Ui::forUtveckling& ui_;
    std::function<InputRecord()> entries_;
    InputRecord input_;
    bool shown_ = false;
};

}  // namespace lodra
