#pragma once

// The parameters window: the program's main window. It owns the run (the calculation
// and the texts of every calculation) and the other three windows, each created on first
// use and at most once.

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <memory>

#include "calc/inputrecord.h"
#include "report/session.h"

namespace Ui {
class forLodra02;
}

namespace lodra {

class forCatalog;
class forResultat;
class forTradDiametrar;

class forLodra02 : public QWidget {
    Q_OBJECT

  public:
    explicit forLodra02(QWidget* parent = nullptr);
    ~forLodra02() override;

    // The run: sparaKatalog, Indata, Resultat, prIndata and prResultat live here, and the
    // other windows read and write them through this one instance.
    Session session;

    // The other windows. Each is created on first use, unseen; the next use after it was
    // closed through its frame creates it afresh with its initial entries.
    forTradDiametrar* tradDiametrar();
    forResultat* resultat();
    forCatalog* catalog();
    // The windows as they are now, or null while they do not exist.
    forTradDiametrar* existingTradDiametrar() const;
    forResultat* existingResultat() const;
    forCatalog* existingCatalog() const;

    // The entries of this window and the ten tree rows, as the calculation reads them.
    InputRecord inputRecord();

    // The decimal separator of the user's regional settings, as the report writes it.
    static char decimalSeparator();

    // True while a calculation runs; saving waits for it to end.
    bool isCalculating() const { return calculating_; }

    // A calculation that runs longer than this shows its progress and "Avbryt".
    static constexpr int kProgressDelayMs = 500;
    void setProgressDelay(int milliseconds) { progressDelayMs_ = milliseconds; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void cmdBerakna_Click();
    void cmdTraddiametrar_Click();
    void cmdAvlsuta_Click();

    // Runs the calculation in a worker thread while the windows keep painting; returns
    // once it ended, was refused, or was stopped through "Avbryt".
    Outcome runCalculation(const InputRecord& input);
    // Closes every other window and ends the program.
    void endProgram();

    std::unique_ptr<Ui::forLodra02> ui;
    QPointer<forTradDiametrar> tradDiametrar_;
    QPointer<forResultat> resultat_;
    QPointer<forCatalog> catalog_;
    int progressDelayMs_ = kProgressDelayMs;
    bool calculating_ = false;
    bool endRequested_ = false;
    std::atomic<bool> cancel_{false};
};

}  // namespace lodra
