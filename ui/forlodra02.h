#pragma once

// The parameters window: the program's main window. It owns the run (the calculation
// and the texts of every calculation) and the other windows, each created on first use and
// at most once.

#include <QLocale>
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
#include "ui/backgroundjob.h"
#include "ui/savedialog.h"
#include "ui/windowlook.h"

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

    // The number format, numberLocale() as the window was made; the session's decimal
    // separator is this locale's. First, so that the session is made with it.
    QLocale numbers_;

  public:
    explicit forLodra02(QWidget* parent = nullptr);
    ~forLodra02() override;

    // The run: Indata, Resultat, prIndata and prResultat live here, and the other windows
    // read them through this one instance.
    Session session;
    // The folder results are saved in; empty until chosen in this run.
    const std::string& sparaKatalog() const { return sparaKatalog_; }

    // The other windows. Each is created on first use, unseen; the next use after it was
    // closed through its frame creates it afresh with its initial entries.
    forTradDiametrar* tradDiametrar();
    forResultat* resultat();
    forCatalog* catalog();
    // Created showing the latest calculation that succeeded, and follows every later one.
    forUtveckling* utveckling();
    // The windows as they are now, or null while they do not exist.
    forTradDiametrar* existingTradDiametrar() const;
    forResultat* existingResultat() const;
    forCatalog* existingCatalog() const;
    forUtveckling* existingUtveckling() const;

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
    SaveFolders& saveFolders() { return folders_; }
    // The stand files of the menu bar, and the stand's name and file.
    StandMenu& standMenu() const { return *standMenu_; }

    // The number format of the user's regional settings, decided once per window: the
    // locale of the numbers the charts show, and the decimal separator the entries are read
    // and the texts written with.
    static QLocale numberLocale();
    static char decimalSeparator();

    // The font and the twips-to-pixels factor of every window of the run.
    const WindowLook& look() const { return look_; }

    // True while a calculation runs in the background; saving waits for it to end.
    bool isCalculating() const { return job_.isRunning(); }

    // A calculation that runs longer than this shows its progress and "Avbryt".
    static constexpr int kProgressDelayMs = 500;
    static constexpr int kProgressRefreshMs = 100;  // ms between updates of the bar
    void setProgressDelay(int milliseconds) { progressDelayMs_ = milliseconds; }
    // Where the calculation runs: one thread of its own, beside the comparison's and the
    // spread's.
    QThreadPool& calculationPool() { return *job_.pool(); }
    const BackgroundJob& calculationJob() const { return job_; }
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

    // Takes what the background calculation gave, or the exception that escaped it.
    void calculationFinished();
    void showOutcome(const Outcome& outcome);
    // Refuses a choice cell that the options cannot show; true when one was refused.
    bool refuseUnchosen();
    // After such a refusal: the choice to make gets the focus.
    void focusUnchosen(const ChoiceCells& cells);
    // After a refusal: the refused entry gets the focus, its text selected.
    void focusRefused(const Refusal& refusal);
    void closeOtherWindows();
    // Closes every other window and ends the program.
    void endProgram();

    std::string sparaKatalog_;  // set by the folder chooser's folderChosen
    WindowLook look_;
    std::unique_ptr<Ui::forLodra02> ui;
    std::optional<std::string> keptTradslag_;
    std::optional<std::string> keptAtgard_;
    SaveFolders folders_{sparaKatalog_};
    StandMenu* standMenu_ = nullptr;
    QPointer<forTradDiametrar> tradDiametrar_;
    QPointer<forResultat> resultat_;
    QPointer<forCatalog> catalog_;
    QPointer<forUtveckling> utveckling_;
    // The cycles of the calculation running, and the entries it started from.
    CycleRecord record_;
    InputRecord calculated_;
    // The entries and cycles of the latest calculation that succeeded.
    InputRecord shownInput_;
    std::vector<CycleRow> shownRows_;
    double shownNuvarde_ = 0;  // kr/ha, of the calculation shown
    std::string shownIndata_;
    std::string shownResultat_;
    int progressDelayMs_ = kProgressDelayMs;
    RandomSource* random_ = nullptr;
    bool endRequested_ = false;
    std::atomic<int> cyclesDone_{0};
    std::atomic<int> cyclesTotal_{0};
    // What the calculation running gives; read once it has ended.
    Outcome outcome_;
    // Last: stopped and waited for first, as it works on the members above.
    BackgroundJob job_{kProgressRefreshMs, 1};
};

}  // namespace lodra
