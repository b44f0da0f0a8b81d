#include "ui/forlodra02.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <array>
#include <exception>

#include "calc/parameters.h"
#include "report/decimalseparator.h"
#include "ui/forcatalog.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/forutveckling.h"
#include "ui/messages.h"
#include "ui/refusaltext.h"
#include "ui/standmenu.h"
#include "ui_forlodra02.h"

namespace lodra {

namespace {

// The same rule as the batch tool's, so both give the same texts.
char separatorOf(const QLocale& numbers) {
    return reportDecimalSeparator(numbers.decimalPoint().toStdU16String());
}

std::string fieldText(const QLineEdit* field) {
    return field->text().toStdString();
}

// Leaves a choice of exclusive options unmade.
void clearChoice(std::initializer_list<QRadioButton*> options) {
    for (QRadioButton* option : options) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
}

// What the user reads when something the calculation did not foresee stopped it.
std::string unexpectedFailure(const std::exception_ptr& escaped) {
    QString what;
    try {
        std::rethrow_exception(escaped);
    } catch (const std::exception& failure) {
        what = QString::fromLocal8Bit(failure.what());
    } catch (...) {
        what = QStringLiteral("okänt fel");
    }
    return QStringLiteral("Beräkningen avbröts av ett oväntat fel: %1").arg(what).toStdString();
}

}  // namespace

forLodra02::forLodra02(QWidget* parent)
    : QWidget(parent),
      numbers_(numberLocale()),
      run_(numbers_, separatorOf(numbers_), this),
      ui(std::make_unique<Ui::forLodra02>()) {
    run_.look().setUp(*ui, this);
    for (const ParameterRow& row : kParameterTable) {
        QLineEdit* entry = parameterEntry(row.field);
        entry->setText(
            QString::fromUtf8(row.initial.data(), static_cast<qsizetype>(row.initial.size())));
        // What the entry accepts, from the rules the intake holds it to.
        entry->setToolTip(
            QString::fromUtf8(row.rule.data(), static_cast<qsizetype>(row.rule.size())));
    }
    standMenu_ = new StandMenu(run_, WindowLook::addMenuBar(this), [this] {
        return StandEntries{inputRecord(), choiceCells()};
    });
    run_.setStandMenu(standMenu_);
    connect(standMenu_, &StandMenu::quitChosen, this, &forLodra02::cmdAvlsuta_Click);
    connect(standMenu_, &StandMenu::standChosen, this, &forLodra02::setInputRecord);
    WindowLook::fitToScreen(this);

    connect(ui->cmdBerakna, &QPushButton::clicked, this, &forLodra02::cmdBerakna_Click);
    connect(ui->cmdTraddiametrar, &QPushButton::clicked, this, &forLodra02::cmdTraddiametrar_Click);
    connect(ui->cmdAvlsuta, &QPushButton::clicked, this, &forLodra02::cmdAvlsuta_Click);
    connect(&run_.calculation(), &BackgroundJob::finished, this, &forLodra02::calculationFinished);

    // A screen reader announces each entry by the text of its label.
    for (const auto& [field, label] : {std::pair{ui->txtTotaltid, ui->Label1},
                                       {ui->txtBon, ui->Label2},
                                       {ui->txtAreal, ui->Label3},
                                       {ui->txtRant, ui->Label4},
                                       {ui->txtRing, ui->Label5},
                                       {ui->txtVari, ui->Label7},
                                       {ui->txtAtervandel, ui->Label9},
                                       {ui->txtBerik, ui->Label12},
                                       {ui->txtCyktillavv, ui->Label11}}) {
        field->setAccessibleName(label->text());
    }

    // Tabbing into a choice lands on its selected option, not on the first one.
    for (QRadioButton* option :
         {ui->optTall, ui->optGran, ui->optLov, ui->optGallring, ui->optKalavv}) {
        option->installEventFilter(this);
    }
    // A choice made replaces the cell the stand file held.
    for (QRadioButton* option : {ui->optTall, ui->optGran, ui->optLov}) {
        connect(option, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) {
                keptTradslag_.reset();
            }
        });
    }
    for (QRadioButton* option : {ui->optGallring, ui->optKalavv}) {
        connect(option, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) {
                keptAtgard_.reset();
            }
        });
    }

    ui->txtTotaltid->setFocus();
}

forLodra02::~forLodra02() {
    // The background calculation works on the run's session and this window's record:
    // stop it first.
    run_.calculation().stop();
    run_.closeWindows();
}

InputRecord forLodra02::inputRecord() {
    InputRecord input;
    for (const ParameterRow& row : kParameterTable) {
        input.*row.member = fieldText(parameterEntry(row.field));
    }
    input.optTall = ui->optTall->isChecked();
    input.optGran = ui->optGran->isChecked();
    input.optLov = ui->optLov->isChecked();
    input.optGallring = ui->optGallring->isChecked();
    input.optKalavv = ui->optKalavv->isChecked();
    input.rows = tradDiametrar()->rows();
    return input;
}

void forLodra02::setInputRecord(const InputRecord& input, const ChoiceCells& kept) {
    for (const ParameterRow& row : kParameterTable) {
        parameterEntry(row.field)->setText(QString::fromStdString(input.*row.member));
    }
    // Each choice is exclusive: checking one option clears the others.
    for (const auto& [option, chosen] : {std::pair{ui->optTall, input.optTall},
                                         {ui->optGran, input.optGran},
                                         {ui->optLov, input.optLov},
                                         {ui->optGallring, input.optGallring},
                                         {ui->optKalavv, input.optKalavv}}) {
        if (chosen) {
            option->setChecked(true);
        }
    }
    tradDiametrar()->setRows(input.rows, kept.avv);
    if (kept.tradslag && tradslagRefusal(*kept.tradslag)) {
        clearChoice({ui->optTall, ui->optGran, ui->optLov});
    }
    if (kept.atgard && atgardRefusal(*kept.atgard)) {
        clearChoice({ui->optGallring, ui->optKalavv});
    }
    // After the options, whose changes drop what is kept.
    keptTradslag_ = kept.tradslag;
    keptAtgard_ = kept.atgard;
}

ChoiceCells forLodra02::choiceCells() {
    ChoiceCells cells;
    cells.tradslag = keptTradslag_;
    cells.atgard = keptAtgard_;
    cells.avv = tradDiametrar()->keptMarks();
    return cells;
}

bool forLodra02::refuseUnchosen() {
    const ChoiceCells cells = choiceCells();
    const std::vector<std::string> refusals = choiceRefusals(cells);
    if (refusals.empty()) {
        return false;
    }
    // In the batch tool's words, which name the stand file's column.
    showMessage(this, QString::fromStdString(refusals.front()), QMessageBox::Warning);
    focusUnchosen(cells);
    emit calculationEnded();
    return true;
}

void forLodra02::focusUnchosen(const ChoiceCells& cells) {
    QWidget* window = this;
    QWidget* choice = nullptr;
    if (cells.tradslag && tradslagRefusal(*cells.tradslag)) {
        choice = ui->optTall;
    } else if (cells.atgard && atgardRefusal(*cells.atgard)) {
        choice = ui->optGallring;
    } else {
        for (int k = 0; k < forTradDiametrar::kRows && choice == nullptr; ++k) {
            const std::optional<std::string>& mark = cells.avv[static_cast<std::size_t>(k)];
            if (mark && markRefusal(*mark, k + 1)) {
                window = tradDiametrar();
                choice = tradDiametrar()->ckbAvverkas(k);
            }
        }
    }
    if (choice == nullptr) {
        return;
    }
    RunWindow::showInFront(window);
    choice->setFocus(Qt::OtherFocusReason);
    WindowLook::bringIntoView(choice);
}

QLocale forLodra02::numberLocale() {
    // A decimal point that the texts cannot write (not one printable ASCII character) is
    // written '.', as the C locale does.
    const QLocale system = QLocale::system();
    return system.decimalPoint() == QString(QLatin1Char(separatorOf(system))) ? system
                                                                              : QLocale::c();
}

char forLodra02::decimalSeparator() {
    return separatorOf(numberLocale());
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
    if (isCalculating() || refuseUnchosen()) {
        return;
    }
    const InputRecord input = inputRecord();
    CalcOptions options;
    options.random = random_;
    options.cancel = run_.calculation().cancelFlag();
    options.cyclesDone = &cyclesDone_;
    options.cyclesTotal = &cyclesTotal_;
    options.cycleRecord = &record_;
    calculated_ = input;
    cyclesDone_ = 0;
    cyclesTotal_ = 0;

    BackgroundJob& job = run_.calculation();
    job.start([this, input, options] { outcome_ = session.berakna(input, options); });
    // Shown only when the calculation takes longer than the delay; from then on nothing
    // else takes input until it ends. The bar follows the cycles the calculation has done.
    job.showProgressDialog(this, QStringLiteral("Beräkningen pågår."),
                           QStringLiteral("lodraProgress"), progressDelayMs_, [this] {
                               return std::pair{cyclesDone_.load(), cyclesTotal_.load()};
                           });
}

void forLodra02::calculationFinished() {
    Outcome outcome = std::move(outcome_);
    if (run_.calculation().failure()) {
        outcome = fail(unexpectedFailure(run_.calculation().failure()));
    }
    if (endRequested_) {
        endProgram();
        return;
    }
    showOutcome(outcome);
    emit calculationEnded();
}

void forLodra02::showOutcome(const Outcome& outcome) {
    if (outcome.ok()) {
        forResultat* window = resultat();
        RunWindow::showInFront(window);
        window->showTexts(session.Indata, session.Resultat);
        run_.calculationShown(calculated_, record_.rows, session.calculation.economics.nuvarde);
    } else if (outcome.error().status != Status::Cancelled) {
        showMessage(
            this, QString::fromStdString(windowMessage(outcome.error(), session.decimalSeparator)),
            QMessageBox::Warning);
        if (outcome.error().status == Status::Refused) {
            focusRefused(outcome.error().refusal);
        }
    }
}

QLineEdit* forLodra02::parameterEntry(InputField field) const {
    const std::array<std::pair<InputField, QLineEdit*>, kParameterTable.size()> entries = {{
        {InputField::totaltid, ui->txtTotaltid},
        {InputField::bonitet, ui->txtBon},
        {InputField::areal, ui->txtAreal},
        {InputField::ranta, ui->txtRant},
        {InputField::maxRing, ui->txtRing},
        {InputField::variation, ui->txtVari},
        {InputField::atervandel, ui->txtAtervandel},
        {InputField::berikning, ui->txtBerik},
        {InputField::cykTillAvv, ui->txtCyktillavv},
    }};
    for (const auto& [which, entry] : entries) {
        if (which == field) {
            return entry;
        }
    }
    return nullptr;
}

void forLodra02::focusRefused(const Refusal& refusal) {
    QWidget* window = this;
    QLineEdit* field = parameterEntry(refusal.field);
    if (refusal.field == InputField::tree && refusal.row >= 1 &&
        refusal.row <= forTradDiametrar::kRows) {
        window = tradDiametrar();
        field = tradDiametrar()->txtDiam(refusal.row - 1);
    }
    if (field == nullptr) {
        return;
    }
    RunWindow::showInFront(window);
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    WindowLook::bringIntoView(field);
}

void forLodra02::cmdTraddiametrar_Click() {
    RunWindow::showInFront(tradDiametrar());
}

void forLodra02::cmdAvlsuta_Click() {
    close();
}

void forLodra02::closeEvent(QCloseEvent* event) {
    if (isCalculating()) {
        // Stop the calculation; the program ends as soon as it has returned, and shows
        // nothing of it.
        run_.calculation().cancel();
        endRequested_ = true;
        run_.calculation().closeProgressDialog();
        run_.closeWindows();
        event->accept();
        return;
    }
    endProgram();
    event->accept();
}

void forLodra02::endProgram() {
    run_.closeWindows();
    QCoreApplication::quit();
}

}  // namespace lodra
