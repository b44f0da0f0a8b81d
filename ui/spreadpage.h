#pragma once

// The "Spridning" page of the development window: the entered stand calculated over and
// over from seeded generators in the background, the statistics of the runs and the
// histogram of their present values.

#include <QObject>
#include <QThreadPool>
#include <cstdint>
#include <optional>

#include "calc/inputrecord.h"
#include "calc/spread.h"
#include "ui/backgroundjob.h"
#include "ui/numberformat.h"

class QChart;
class QWidget;

namespace Ui {
class forUtveckling;
}

namespace lodra {

class SpreadPage : public QObject {
    Q_OBJECT

  public:
    // Works the page's controls in ui, showing and saving numbers in the run's format;
    // messages go to window. A new random seed is drawn.
    SpreadPage(Ui::forUtveckling& ui, const NumberFormat& numbers, QWidget* window);
    ~SpreadPage() override;

    // The calculation the runs start from and its present value. A spread that runs is
    // stopped and one shown is taken away.
    void setCalculation(const InputRecord& input, double nuvarde);
    // Stops a spread that runs; nothing is shown of it.
    void stop();

    bool isRunning() const { return job_.isRunning(); }
    const std::optional<Spread>& spread() const { return shown_; }
    // A new chart of the shown spread's histogram, for the report to hand over.
    QChart* histogram() const;

  signals:
    // A spread ended: shown, failed or stopped.
    void spreadEnded();

  private:
    void start();
    void finished();
    void showProgress();
    void setRunning(bool running);
    void clear(const QString& text);
    void showSpread();
    void fillStatistics();
    // The calculation's variation is 0: every run gives the same figures.
    bool withoutVariation() const;

    Ui::forUtveckling& ui_;
    QWidget* window_;
    InputRecord input_;
    std::optional<double> latest_;  // kr/ha, of the calculation shown
    const NumberFormat numbers_;
    std::optional<Spread> shown_;

    int runs_ = 0;
    SpreadProgress progress_;
    QThreadPool pool_;                        // the runs' own threads
    std::optional<Result<Spread>> computed_;  // by the spread that ended
    // Last: stopped and waited for first, as it works on the members above.
    BackgroundJob job_{50};
};

}  // namespace lodra
