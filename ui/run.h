#pragma once

// What a run of the program shares, owned in one place: the session with the texts of every
// calculation, the folder results are saved in and where the file dialogs open, the windows'
// look, the calculation running, the latest calculation shown, and the windows besides the
// parameters window, each made on first use and at most once. Those windows receive the
// run, never the parameters window.

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "calc/cyclerecord.h"
#include "calc/inputrecord.h"
#include "session/session.h"
#include "ui/backgroundjob.h"
#include "ui/calculationheading.h"
#include "ui/numberformat.h"
#include "ui/savedialog.h"
#include "ui/windowlook.h"

class QWidget;

namespace lodra {

class forCatalog;
class forFastighet;
class forResultat;
class forTradDiametrar;
class forUtveckling;
class StandMenu;

class Run : public QObject {
    Q_OBJECT

  public:
    // A calculation that runs longer than this shows its progress and "Avbryt".
    static constexpr int kProgressDelayMs = 500;
    static constexpr int kProgressRefreshMs = 100;  // ms between updates of the bar

    // numbers: the run's number format, as the program was given it; the session reads and
    // writes with its decimal separator. main: the parameters window, which owns the message
    // boxes of hidden windows.
    Run(const NumberFormat& numbers, QWidget* main);
    ~Run() override;

    // Indata, Resultat, prIndata and prResultat of every calculation of the run.
    Session session;
    // The folder results are saved in; empty until chosen in this run.
    const std::string& sparaKatalog() const { return sparaKatalog_; }
    // Where the run's file dialogs open.
    SaveFolders& saveFolders() { return folders_; }
    // The font and the twips-to-pixels factor of every window of the run.
    const WindowLook& look() const { return look_; }
    // The locale of the numbers the charts show, and the decimal separator the entries are
    // read and the texts written with.
    const NumberFormat& numberFormat() const { return numbers_; }
    QWidget* mainWindow() const { return main_; }

    // The calculation started by "Beräkna", on a thread of its own; saving waits for it.
    BackgroundJob& calculation() { return calculation_; }
    bool isCalculating() const { return calculation_.isRunning(); }

    // A calculation succeeded: its entries, its cycle rows and its present value (kr/ha)
    // with the session's texts are what the development window and the report show.
    void calculationShown(const InputRecord& input, const std::vector<CycleRow>& rows,
                          double nuvarde);
    // The stand's name and file, as the report and the development window name them.
    void setStandMenu(const StandMenu* menu) { standMenu_ = menu; }
    // The entries as they are now: the development window says when they differ from the
    // calculation it shows.
    void setEntries(std::function<InputRecord()> entries);

    // The windows. Each is created on first use, unseen; the next use after it was closed
    // through its frame creates it afresh with its initial entries.
    forTradDiametrar* tradDiametrar();
    forResultat* resultat();
    forCatalog* catalog();
    // Created showing the latest calculation shown, and follows every later one.
    forUtveckling* utveckling();
    // The property window; a double-click on a stand there gives standWanted().
    forFastighet* fastighet();
    // The windows as they are now, or null while they do not exist.
    forTradDiametrar* existingTradDiametrar() const;
    forResultat* existingResultat() const;
    forCatalog* existingCatalog() const;
    forUtveckling* existingUtveckling() const;
    forFastighet* existingFastighet() const;
    void closeWindows();

  signals:
    // The development window asks for the entries to be calculated, as "Beräkna" does.
    void calculateRequested();
    // The stand of that row of the register at path is to be opened in the parameters window.
    void standWanted(const QString& path, int row);

  private:
    // Keeps window in slot until it is closed through its frame.
    template <typename W>
    W* keep(QPointer<W>& slot, W* window);

    const NumberFormat numbers_;
    QWidget* main_;
    WindowLook look_;
    std::string sparaKatalog_;  // set by the folder chooser's folderChosen
    SaveFolders folders_{sparaKatalog_};
    QPointer<forTradDiametrar> tradDiametrar_;
    QPointer<forResultat> resultat_;
    QPointer<forCatalog> catalog_;
    QPointer<forUtveckling> utveckling_;
    QPointer<forFastighet> fastighet_;
    const StandMenu* standMenu_ = nullptr;
    // The entries and cycles of the latest calculation that succeeded.
    InputRecord shownInput_;
    std::vector<CycleRow> shownRows_;
    CalculationTitle shownTitle_;
    std::function<InputRecord()> entries_;
    double shownNuvarde_ = 0;  // kr/ha
    std::string shownIndata_;
    std::string shownResultat_;
    // Last: stopped and waited for first, as it works on the session.
    BackgroundJob calculation_{kProgressRefreshMs, 1};
};

}  // namespace lodra
