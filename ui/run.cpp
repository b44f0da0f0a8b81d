#include "ui/run.h"

#include <QApplication>

#include "ui/forcatalog.h"
#include "ui/forfastighet.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/forutveckling.h"
#include "ui/programlook.h"
#include "ui/standmenu.h"

namespace lodra {

Run::Run(const NumberFormat& numbers, QWidget* main)
    : session(numbers.decimalSeparator()),
      numbers_(numbers),
      main_(main),
      look_(programLook(QApplication::font(), session.decimalSeparator)) {
    // No folder has been chosen yet in this run.
    sparaKatalog_.clear();
}

Run::~Run() {
    // The calculation works on the session: stop it first.
    calculation_.stop();
    closeWindows();
}

template <typename W>
W* Run::keep(QPointer<W>& slot, W* window) {
    slot = window;
    connect(window, &RunWindow::closedThroughFrame, this, [&slot] { slot = nullptr; });
    return window;
}

forTradDiametrar* Run::tradDiametrar() {
    return tradDiametrar_ ? tradDiametrar_.data()
                          : keep(tradDiametrar_, new forTradDiametrar(look_));
}

forResultat* Run::resultat() {
    return resultat_ ? resultat_.data() : keep(resultat_, new forResultat(*this));
}

forCatalog* Run::catalog() {
    if (!catalog_) {
        keep(catalog_, new forCatalog(look_));
        // The chosen folder holds the results of the rest of the run, this one first.
        connect(catalog_, &forCatalog::folderChosen, this, [this](const QString& folder) {
            sparaKatalog_ = folder.toStdString();
            resultat()->saveToFile();
        });
    }
    return catalog_;
}

forUtveckling* Run::utveckling() {
    if (!utveckling_) {
        keep(utveckling_, new forUtveckling(look_, numbers_));
        utveckling_->setSaveFolders(&folders_);
        utveckling_->setHandoverFacts([this] {
            return HandoverFacts{standMenu_ ? standMenu_->standName() : QString(),
                                 standMenu_ ? standMenu_->standFile() : QString(),
                                 QString::fromStdString(shownIndata_),
                                 QString::fromStdString(shownResultat_)};
        });
        connect(utveckling_, &forUtveckling::calculateRequested, this, &Run::calculateRequested);
        if (!shownRows_.empty()) {  // every calculation has a cycle
            utveckling_->showCalculation(shownInput_, shownRows_, shownNuvarde_, shownTitle_);
        }
        utveckling_->setEntries(entries_);
    }
    return utveckling_;
}

forFastighet* Run::fastighet() {
    if (!fastighet_) {
        keep(fastighet_, new forFastighet(look_, numbers_));
        fastighet_->setSaveFolders(&folders_);
        connect(fastighet_, &forFastighet::standChosen, this, &Run::standWanted);
    }
    return fastighet_;
}

forFastighet* Run::existingFastighet() const {
    return fastighet_;
}

forTradDiametrar* Run::existingTradDiametrar() const {
    return tradDiametrar_;
}

forResultat* Run::existingResultat() const {
    return resultat_;
}

forCatalog* Run::existingCatalog() const {
    return catalog_;
}

forUtveckling* Run::existingUtveckling() const {
    return utveckling_;
}

void Run::calculationShown(const InputRecord& input, const std::vector<CycleRow>& rows,
                           double nuvarde) {
    shownInput_ = input;
    shownRows_ = rows;
    shownNuvarde_ = nuvarde;
    shownIndata_ = session.Indata;
    shownResultat_ = session.Resultat;
    shownTitle_ = {
        standMenu_ ? standTitle(standMenu_->standName(), standMenu_->standFile()) : QString(),
        QDateTime::currentDateTime()};
    if (utveckling_) {
        utveckling_->showCalculation(shownInput_, shownRows_, shownNuvarde_, shownTitle_);
    }
}

void Run::setEntries(std::function<InputRecord()> entries) {
    entries_ = std::move(entries);
    if (utveckling_) {
        utveckling_->setEntries(entries_);
    }
}

void Run::closeWindows() {
    delete fastighet_.data();
    delete utveckling_.data();
    delete catalog_.data();
    delete resultat_.data();
    delete tradDiametrar_.data();
}

}  // namespace lodra
