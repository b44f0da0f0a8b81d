#pragma once

// The development window: the five-year cycles of the latest calculation as a table and a
// chart, the comparison of the present value over measures, felling intervals and interest
// rates, and the spread of the present value under random growth.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calc/comparison.h"
#include "calc/cyclerecord.h"
#include "calc/inputrecord.h"
#include "ui/backgroundjob.h"
#include "ui/calculationheading.h"
#include "ui/handover.h"
#include "ui/numberformat.h"
#include "ui/runwindow.h"
#include "ui/savedialog.h"
#include "ui/windowlook.h"

class QChart;
class QChartView;

namespace Ui {
class forUtveckling;
}

namespace lodra {

class CycleModel;
class ComparisonModel;
class SpreadPage;

class forUtveckling : public RunWindow {
    Q_OBJECT

  public:
    // Built in the program's look (its font, and scrolling on a small screen), showing and
    // saving numbers in the run's format.
    forUtveckling(const WindowLook& look, const NumberFormat& numbers, QWidget* parent = nullptr);
    ~forUtveckling() override;

    // Shows a calculation: the entries it was made from (the comparison and the spread
    // start from them), its cycle rows (CalcOptions::cycleRecord), its present value
    // (kr/ha, marked in the spread's histogram) and what the heading above the pages says of
    // it. A comparison or spread that runs is stopped, and one shown is taken away: it was
    // of other entries. The line of the latest save is cleared.
    void showCalculation(const InputRecord& input, std::vector<CycleRow> rows, double nuvarde,
                         const CalculationTitle& title = {});
    // The entries of the parameters window as they are now: while they differ from the
    // calculation shown, a line above the pages says so, with a "Beräkna" of its own.
    void setEntries(std::function<InputRecord()> entries);

    // Where the window's save dialogs open; the window keeps its own until given the run's.
    void setSaveFolders(SaveFolders* folders) { folders_ = folders; }
    // What the handed-over report says of the stand and the latest calculation's texts.
    void setHandoverFacts(std::function<HandoverFacts()> facts) { facts_ = std::move(facts); }
    // The report as it would be saved or printed now.
    std::unique_ptr<Handover> handover() const;
    // Asks for a printer with the toolkit's print dialog and prints the report on it.
    void printReport();

    const CycleModel& cycleModel() const { return *cycles_; }
    // The grid of a measure (MeasureComparison::Measure).
    const ComparisonModel& comparisonModel(int measure) const { return *comparison_[measure]; }
    bool isComparing() const { return comparison_job_.isRunning(); }
    const SpreadPage& spreadPage() const { return *spread_; }

  signals:
    // The "Beräkna" of the line of changed entries: calculate the entries of the parameters
    // window, as its own "Beräkna" does.
    void calculateRequested();
    // A comparison ended: shown, failed or stopped.
    void comparisonEnded();
    // A spread ended: shown, failed or stopped.
    void spreadEnded();

  protected:
    bool event(QEvent* event) override;

  private:
    // Ctrl+Tab and Ctrl+PgDown turn to the next page, Ctrl+Shift+Tab and Ctrl+PgUp to the
    // one before, wherever the focus is in the window.
    void addPageKeys();
    void turnPage(int step);
    // Takes the line of the latest save away.
    void clearSaved();
    void cmdJamfor_Click();
    void cmdAvbryt_Click();
    void cmdSparaTabell_Click();
    void cmdSparaDiagram_Click();
    void cmdSparaPdf_Click();

    void comparisonFinished();
    void showProgress();
    void stopComparison();
    void setComparing(bool comparing);
    void showComparison();
    void replaceChart(QChartView* view, QChart* chart);
    bool comparisonShown() const;
    bool spreadShown() const;
    // The file name the shown page suggests: "Jamforelse", "Spridning" or "Utveckling".
    QString shownName(const QString& suffix) const;
    // Asks for a file name; empty when the user gave none.
    QString chooseFile(const QString& title, const QString& filter, const QString& name);
    void save(const QString& path, const std::string& bytes);

    SaveFolders& folders() { return folders_ != nullptr ? *folders_ : ownFolders_; }

    std::unique_ptr<Ui::forUtveckling> ui;
    std::string noResultFolder_;
    SaveFolders ownFolders_{noResultFolder_};
    SaveFolders* folders_ = nullptr;
    SavedLine* saved_;
    CalculationHeading* heading_;
    QMetaObject::Connection focusWatch_;
    std::function<HandoverFacts()> facts_;
    CycleModel* cycles_;
    std::array<ComparisonModel*, MeasureComparison::kMeasures> comparison_;
    SpreadPage* spread_;
    InputRecord input_;
    bool haveInput_ = false;
    const NumberFormat numbers_;

    ComparisonProgress progress_;
    int runs_ = 0;                                       // of the comparison that runs
    std::optional<Result<MeasureComparison>> compared_;  // by the comparison that ended
    // Last: stopped and waited for first, as it works on the members above.
    BackgroundJob comparison_job_{50};
};

}  // namespace lodra
