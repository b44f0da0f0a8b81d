#pragma once

// The parameters window: the program's main window. It owns the run (the calculation, the
// texts of every calculation and the other windows) and hands the run, not itself, to the
// windows and the menu bar.

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "base/refusal.h"
#include "calc/cyclerecord.h"
#include "calc/inputrecord.h"
#include "session/session.h"
#include "standfile/standfile.h"
#include "ui/run.h"

namespace Ui {
class forLodra02;
}

class QLineEdit;

namespace lodra {

class forCatalog;
class forResultat;
class StandMenu;
class forTradDiametrar;
class forUtveckling;

class forLodra02 : public QWidget {
    Q_OBJECT

    // What the run shares, its number format among it; made before the members that read
    // it.
    Run run_;

  public:
    // The run's windows read and write numbers in the given format, whatever the locale.
    explicit forLodra02(const NumberFormat& numbers, QWidget* parent = nullptr);
    ~forLodra02() override;

    Run& run() { return run_; }
    // The run's session: Indata, Resultat, prIndata and prResultat of every calculation.
    Session& session = run_.session;
    const std::string& sparaKatalog() const { return run_.sparaKatalog(); }

    // The run's other windows (Run::tradDiametrar() and the others).
    forTradDiametrar* tradDiametrar();
    forResultat* resultat() { return run_.resultat(); }
    forCatalog* catalog() { return run_.catalog(); }
    forUtveckling* utveckling() { return run_.utveckling(); }
    forTradDiametrar* existingTradDiametrar() const { return run_.existingTradDiametrar(); }
    forResultat* existingResultat() const { return run_.existingResultat(); }
    forCatalog* existingCatalog() const { return run_.existingCatalog(); }
    forUtveckling* existingUtveckling() const { return run_.existingUtveckling(); }

    // The entries of this window and the ten tree rows, as the calculation reads them.
    InputRecord inputRecord();
    // The entry of a parameter; null for a field that is no parameter.
    QLineEdit* parameterEntry(InputField field) const;
    // Puts the texts and choices of a stand into the entries and the ten tree rows. A choice
    // cell that kept holds stays as written until the user makes that choice; one that the
    // options cannot show leaves the choice unmade, and "Beräkna" refuses it.
    void setInputRecord(const InputRecord& input, const ChoiceCells& kept = {});
    // The choice cells still as the stand file held them.
    ChoiceCells choiceCells();

    // Where the run's file dialogs open.
    SaveFolders& saveFolders() { return run_.saveFolders(); }
    // The stand files of the menu bar, and the stand's name and file.
    StandMenu& standMenu() const { return *standMenu_; }

    // The run's number format: the locale of the numbers the charts show, and the decimal
    // separator the entries are read and the texts written with.
    const NumberFormat& numberFormat() const { return run_.numberFormat(); }

    // The font and the twips-to-pixels factor of every window of the run.
    const WindowLook& look() const { return run_.look(); }

    // True while a calculation runs in the background; saving waits for it to end.
    bool isCalculating() const { return run_.isCalculating(); }

    // A calculation that runs longer than this shows its progress and "Avbryt".
    static constexpr int kProgressDelayMs = Run::kProgressDelayMs;
    static constexpr int kProgressRefreshMs = Run::kProgressRefreshMs;
    void setProgressDelay(int milliseconds) { progressDelayMs_ = milliseconds; }
    // Where the calculation runs: one thread of its own, beside the comparison's and the
    // spread's.
    QThreadPool& calculationPool() { return *run_.calculation().pool(); }
    BackgroundJob& calculationJob() { return run_.calculation(); }
    // The generator of the random diameter change; null: one seeded from the clock.
    void setRandomSource(RandomSource* random) { random_ = random; }

  signals:
    // A calculation started by "Beräkna" has ended: shown, refused, failed or stopped.
    void calculationEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void cmdBerakna_Click();
    void cmdTraddiametrar_Click();
    void cmdAvlsuta_Click();
    // Shows the whole register at path in the property window.
    void openProperty(const QString& path);

    // Takes what the background calculation gave, or the exception that escaped it.
    void calculationFinished();
    void showOutcome(const Outcome& outcome);
    // Refuses a choice cell that the options cannot show; true when one was refused.
    bool refuseUnchosen();
    // After such a refusal: the choice to make gets the focus.
    void focusUnchosen(const ChoiceCells& cells);
    // After a refusal: the refused entry gets the focus, its text selected.
    void focusRefused(const Refusal& refusal);
    // Closes every other window and ends the program.
    void endProgram();
    // Every edit of the entries reaches the menu bar, which keeps its saved line true.
    void watchEntries();
    void watchTrees(forTradDiametrar* trees);

    std::unique_ptr<Ui::forLodra02> ui;
    std::optional<std::string> keptTradslag_;
    std::optional<std::string> keptAtgard_;
    StandMenu* standMenu_ = nullptr;
    QPointer<forTradDiametrar> watchedTrees_;
    // The cycles of the calculation running, and the entries it started from.
    CycleRecord record_;
    InputRecord calculated_;
    int progressDelayMs_ = kProgressDelayMs;
    RandomSource* random_ = nullptr;
    bool endRequested_ = false;
    std::atomic<int> cyclesDone_{0};
    std::atomic<int> cyclesTotal_{0};
    // What the calculation running gives; read once it has ended.
    Outcome outcome_;
};

}  // namespace lodra
