#include "ui/forlodra02.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "report/decimalseparator.h"
#include "ui/forcatalog.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/messages.h"
#include "ui/refusaltext.h"
#include "ui/windowfont.h"
#include "ui_forlodra02.h"

namespace lodra {

namespace {

std::string fieldText(const QLineEdit* field) {
    return field->text().toStdString();
}

}  // namespace

forLodra02::forLodra02(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::forLodra02>()) {
    ui->setupUi(this);
    // The most crowded window sets the font size for all of them.
    fitFontToLayout(this);
    setWindowFont(font());
    // No folder has been chosen yet in this run.
    session.sparaKatalog.clear();

    connect(ui->cmdBerakna, &QPushButton::clicked, this, &forLodra02::cmdBerakna_Click);
    connect(ui->cmdTraddiametrar, &QPushButton::clicked, this, &forLodra02::cmdTraddiametrar_Click);
    connect(ui->cmdAvlsuta, &QPushButton::clicked, this, &forLodra02::cmdAvlsuta_Click);

    // Tabbing into a choice lands on its selected option, not on the first one.
    for (QRadioButton* option :
         {ui->optTall, ui->optGran, ui->optLov, ui->optGallring, ui->optKalavv}) {
        option->installEventFilter(this);
    }

    ui->txtTotaltid->setFocus();
}

forLodra02::~forLodra02() {
    delete catalog_.data();
    delete resultat_.data();
    delete tradDiametrar_.data();
}

forTradDiametrar* forLodra02::tradDiametrar() {
    if (!tradDiametrar_) {
        tradDiametrar_ = new forTradDiametrar();
        connect(tradDiametrar_, &forTradDiametrar::closedThroughFrame, this,
                [this] { tradDiametrar_ = nullptr; });
    }
    return tradDiametrar_;
}

forResultat* forLodra02::resultat() {
    if (!resultat_) {
        resultat_ = new forResultat(*this);
        connect(resultat_, &forResultat::closedThroughFrame, this, [this] { resultat_ = nullptr; });
    }
    return resultat_;
}

forCatalog* forLodra02::catalog() {
    if (!catalog_) {
        catalog_ = new forCatalog(*this);
        connect(catalog_, &forCatalog::closedThroughFrame, this, [this] { catalog_ = nullptr; });
    }
    return catalog_;
}

forTradDiametrar* forLodra02::existingTradDiametrar() const {
    return tradDiametrar_;
}

forResultat* forLodra02::existingResultat() const {
    return resultat_;
}

forCatalog* forLodra02::existingCatalog() const {
    return catalog_;
}

InputRecord forLodra02::inputRecord() {
    InputRecord input;
    input.totaltid = fieldText(ui->txtTotaltid);
    input.bonitet = fieldText(ui->txtBon);
    input.areal = fieldText(ui->txtAreal);
    input.ranta = fieldText(ui->txtRant);
    input.maxRing = fieldText(ui->txtRing);
    input.optTall = ui->optTall->isChecked();
    input.optGran = ui->optGran->isChecked();
    input.optLov = ui->optLov->isChecked();
    input.variation = fieldText(ui->txtVari);
    input.atervandel = fieldText(ui->txtAtervandel);
    input.optGallring = ui->optGallring->isChecked();
    input.optKalavv = ui->optKalavv->isChecked();
    input.berikning = fieldText(ui->txtBerik);
    input.cykTillAvv = fieldText(ui->txtCyktillavv);
    input.rows = tradDiametrar()->rows();
    return input;
}

char forLodra02::decimalSeparator() {
    // The same rule as the batch tool's, so both give the same texts.
    return reportDecimalSeparator(QLocale::system().decimalPoint().toStdU16String());
}

bool forLodra02::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* option = qobject_cast<QRadioButton*>(watched);
        if (option != nullptr && !option->isChecked() &&
            (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)) {
            for (auto* sibling : option->parentWidget()->findChildren<QRadioButton*>()) {
                if (sibling->isChecked()) {
                    sibling->setFocus(reason);
                    return true;
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void forLodra02::cmdBerakna_Click() {
    if (calculating_) {
        return;
    }
    const InputRecord input = inputRecord();
    const Outcome outcome = runCalculation(input);
    if (endRequested_) {
        close();
        return;
    }
    if (outcome.ok()) {
        forResultat* window = resultat();
        window->show();
        window->raise();
        window->activateWindow();
        window->showTexts(session.Indata, session.Resultat);
    } else if (outcome.error().status != Status::Cancelled) {
        showMessage(this,
                    QString::fromStdString(windowMessage(outcome.error(), decimalSeparator())),
                    QMessageBox::Warning);
    }
}

Outcome forLodra02::runCalculation(const InputRecord& input) {
    calculating_ = true;
    cancel_ = false;
    std::atomic<int> cyclesDone{0};
    std::atomic<int> cyclesTotal{0};
    CalcOptions options;
    options.decimalSeparator = decimalSeparator();
    options.cancel = &cancel_;
    options.cyclesDone = &cyclesDone;
    options.cyclesTotal = &cyclesTotal;

    Outcome outcome;
    QThread* worker = QThread::create([&] { outcome = session.berakna(input, options); });
    QEventLoop loop;
    // The finished signal may come before the loop runs; the poll catches that case too.
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    poll.setInterval(50);
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (worker->isFinished()) {
            loop.quit();
        }
    });
    QTimer delay;
    delay.setSingleShot(true);
    connect(&delay, &QTimer::timeout, &loop, &QEventLoop::quit);

    worker->start();
    poll.start();
    delay.start(progressDelayMs_);
    // The windows keep painting, but take no input until the calculation is done.
    while (!worker->isFinished() && delay.isActive()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!worker->isFinished()) {
        QProgressDialog progress(QStringLiteral("Beräkningen pågår."), QStringLiteral("Avbryt"), 0,
                                 cyclesTotal.load(), this);
        progress.setObjectName(QStringLiteral("lodraProgress"));
        progress.setWindowTitle(kProgramTitle);
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        progress.setMinimumDuration(0);
        connect(&progress, &QProgressDialog::canceled, this, [this] { cancel_ = true; });
        connect(&poll, &QTimer::timeout, &progress, [&] {
            progress.setMaximum(cyclesTotal.load());
            progress.setValue(std::min(cyclesDone.load(), progress.maximum()));
        });
        progress.show();
        while (!worker->isFinished()) {
            loop.exec();
        }
    }
    worker->wait();
    delete worker;
    calculating_ = false;
    return outcome;
}

void forLodra02::cmdTraddiametrar_Click() {
    forTradDiametrar* window = tradDiametrar();
    window->show();
    window->raise();
    window->activateWindow();
}

void forLodra02::cmdAvlsuta_Click() {
    close();
}

void forLodra02::closeEvent(QCloseEvent* event) {
    if (calculating_) {
        // Stop the calculation; the program ends as soon as it has returned.
        cancel_ = true;
        endRequested_ = true;
        event->ignore();
        return;
    }
    endProgram();
    event->accept();
}

void forLodra02::endProgram() {
    delete catalog_.data();
    delete resultat_.data();
    delete tradDiametrar_.data();
    QCoreApplication::quit();
}

}  // namespace lodra
