#pragma once

// The property window: every stand of a register calculated in the background, one row per
// stand, the property's totals, and its fellings and money year by year as a table and a
// chart; saved as CSV, PNG and a PDF report, or printed.

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/result.h"
#include "ui/backgroundjob.h"
#include "ui/handover.h"
#include "ui/numberformat.h"
#include "ui/propertyjob.h"
#include "ui/runwindow.h"
#include "ui/savedialog.h"
#include "ui/windowlook.h"

class QChart;
class QSortFilterProxyModel;

namespace Ui {
class forFastighet;
}

namespace lodra {

class PropertyStandModel;
class PropertyFlowModel;

class forFastighet : public RunWindow {
    Q_OBJECT

  public:
    forFastighet(const WindowLook& look, const NumberFormat& numbers, QWidget* parent = nullptr);
    ~forFastighet() override;

    // Calculates every stand of the register at path in the background, with a new seed; a
    // calculation that runs is stopped first. What the window showed goes.
    void open(const QString& path);
    QString file() const { return path_; }

    // Where the window's save dialogs open; the window keeps its own until given the run's.
    void setSaveFolders(SaveFolders* folders) { folders_ = folders; }
    // The calculation in the background: its finished() says the window shows its outcome.
    BackgroundJob& calculation() { return job_; }
    // The seed each stand's stream comes from (standSeed(seed, row)).
    std::uint64_t seed() const { return seed_; }

    const PropertyStandModel& standModel() const { return *stands_; }
    const PropertyFlowModel& flowModel() const { return *flow_; }
    const PropertyTotals& totals() const { return result_.totals; }
    // What the window says of the totals.
    QString totalsText() const;

    // The report as it would be saved or printed now.
    std::unique_ptr<Handover> handover() const;
    // The chart at a fixed size, with its title, as it is saved and put in the report.
    QImage chartImage() const;
    void printReport();

  signals:
    // The user asked to open the stand of that row of the register in the parameters window.
    void standChosen(const QString& path, int row);

  private:
    void start();
    void finished();
    void showProgress();
    void setRunning(bool running);
    void showResult(PropertyResult result);
    void clear();
    void cmdBerakna_Click();
    void cmdSparaTabell_Click();
    void cmdSparaFlode_Click();
    void cmdSparaDiagram_Click();
    void cmdSparaPdf_Click();
    void standActivated(const QModelIndex& index);
    // Asks for a file name, then writes what bytes gives there.
    void save(const QString& title, const QString& filter, const QString& name,
              const std::function<std::string()>& bytes);
    SaveFolders& folders() { return folders_ != nullptr ? *folders_ : ownFolders_; }

    std::unique_ptr<Ui::forFastighet> ui;
    const NumberFormat numbers_;
    std::string noResultFolder_;
    SaveFolders ownFolders_{noResultFolder_};
    SaveFolders* folders_ = nullptr;
    SavedLine* saved_;
    PropertyStandModel* stands_;
    QSortFilterProxyModel* sorted_;
    PropertyFlowModel* flow_;
    QString path_;
    std::uint64_t seed_ = 0;
    PropertyResult result_;
    bool shown_ = false;

    // Shared with the work while it runs.
    std::atomic<int> done_{0};
    std::atomic<int> total_{0};
    std::optional<Result<PropertyResult>> calculated_;
    // Last: stopped and waited for first, as it works on the members above.
    BackgroundJob job_{100, 1};
};

}  // namespace lodra
