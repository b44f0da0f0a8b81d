#include "ui/forlodra02.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <array>
#include <exception>

#include "calc/parameters.h"
#include "ui/forcatalog.h"
#include "ui/forfastighet.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/forutveckling.h"
#include "ui/messages.h"
#include "ui/parameterform.h"
#include "ui/refusaltext.h"
#include "ui/standmenu.h"
#include "ui_forlodra02.h"

namespace lodra {

namespace {

std::string fieldText(const QLineEdit* field) {
    return field->text().toStdString();
}

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <class Widget>
Widget* widgetNamed(const QWidget* window, const char* name) {
    return window->findChild<Widget*>(QLatin1String(name));
}

// The options of a choice, in the window's order.
template <class Choice, std::size_t N>
std::array<QRadioButton*, N> options(const QWidget* window,
                                     const std::array<OptionWidget<Choice>, N>& table) {
    std::array<QRadioButton*, N> widgets{};
    for (std::size_t i = 0; i < N; ++i) {
        widgets[i] = widgetNamed<QRadioButton>(window, table[i].option);
    }
    return widgets;
}

// The choice whose option is checked; none when none is.
template <class Choice, std::size_t N>
std::optional<Choice> checkedChoice(const QWidget* window,
                                    const std::array<OptionWidget<Choice>, N>& table) {
    for (const OptionWidget<Choice>& row : table) {
        if (widgetNamed<QRadioButton>(window, row.option)->isChecked()) {
            return row.choice;
        }
    }
    return std::nullopt;
}

// Checks the option of choice; the others of its choice clear.
template <class Choice, std::size_t N>
void check(const QWidget* window, const std::array<OptionWidget<Choice>, N>& table, Choice choice) {
    for (const OptionWidget<Choice>& row : table) {
        if (row.choice == choice) {
            widgetNamed<QRadioButton>(window, row.option)->setChecked(true);
        }
    }
}

// Each option says its choice's name.
template <class Choice, std::size_t N>
void nameOptions(const QWidget* window, const std::array<OptionWidget<Choice>, N>& table) {
    for (const OptionWidget<Choice>& row : table) {
        widgetNamed<QRadioButton>(window, row.option)->setText(utf8(nameOf(row.choice)));
    }
}

// Leaves a choice of exclusive options unmade.
template <std::size_t N>
void clearChoice(const std::array<QRadioButton*, N>& options) {
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

forLodra02::forLodra02(const NumberFormat& numbers, QWidget* parent)
    : QWidget(parent), run_(numbers, this), ui(std::make_unique<Ui::forLodra02>()) {
    run_.look().setUp(*ui, this);
    for (const ParameterRow& row : kParameterTable) {
        QLineEdit* entry = parameterEntry(row.field);
        entry->setText(utf8(row.initial));
        // What the entry accepts, from the rules the intake holds it to.
        entry->setToolTip(utf8(row.rule));
    }
    // A screen reader announces each entry by the text of its label.
    for (const ParameterWidgets& row : kParameterWidgets) {
        parameterEntry(row.field)->setAccessibleName(widgetNamed<QLabel>(this, row.label)->text());
    }
    nameOptions(this, kSpeciesOptions);
    nameOptions(this, kMeasureOptions);
    standMenu_ = new StandMenu(run_, WindowLook::addMenuBar(this), [this] {
        return StandEntries{inputRecord(), choiceCells()};
    });
    run_.setStandMenu(standMenu_);
    connect(standMenu_, &StandMenu::quitChosen, this, &forLodra02::cmdAvlsuta_Click);
    connect(standMenu_, &StandMenu::standChosen, this, &forLodra02::setInputRecord);
    connect(standMenu_, &StandMenu::propertyChosen, this, &forLodra02::openProperty);
    connect(&run_, &Run::standWanted, this, [this](const QString& path, int row) {
        RunWindow::showInFront(this);
        standMenu_->openRow(path, row);
    });
    WindowLook::fitToScreen(this);

    connect(ui->cmdBerakna, &QPushButton::clicked, this, &forLodra02::cmdBerakna_Click);
    // The development window's "Beräkna" of changed entries is this one.
    run_.setEntries([this] { return inputRecord(); });
    connect(&run_, &Run::calculateRequested, this, &forLodra02::cmdBerakna_Click);
    connect(ui->cmdTraddiametrar, &QPushButton::clicked, this, &forLodra02::cmdTraddiametrar_Click);
    connect(ui->cmdAvlsuta, &QPushButton::clicked, this, &forLodra02::cmdAvlsuta_Click);
    connect(&run_.calculation(), &BackgroundJob::finished, this, &forLodra02::calculationFinished);

    // Tabbing into a choice lands on its selected option, not on the first one; a choice
    // made replaces the cell the stand file held.
    for (QRadioButton* option : options(this, kSpeciesOptions)) {
        option->installEventFilter(this);
        connect(option, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) {
                keptTradslag_.reset();
            }
        });
    }
    for (QRadioButton* option : options(this, kMeasureOptions)) {
        option->installEventFilter(this);
        connect(option, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) {
                keptAtgard_.reset();
            }
        });
    }

    watchEntries();
    ui->txtTotaltid->setFocus();
}

void forLodra02::openProperty(const QString& path) {
    forFastighet* window = run_.fastighet();
    window->open(path);
    // Opened from the menu bar's "Arkiv" or from the pick list under it: the bar stays in view.
    RunWindow::showInFront(window, findChild<QMenuBar*>());
}

forLodra02::~forLodra02() {
    // The background calculation works on the run's session and this window's record:
    // stop it first.
    run_.calculation().stop();
    run_.closeWindows();
}

forTradDiametrar* forLodra02::tradDiametrar() {
    forTradDiametrar* trees = run_.tradDiametrar();
    if (trees != watchedTrees_) {
        watchTrees(trees);
    }
    return trees;
}

void forLodra02::watchEntries() {
    // Connected after the options' own handlers, which drop the cells kept as written.
    for (const ParameterRow& row : kParameterTable) {
        connect(parameterEntry(row.field), &QLineEdit::textChanged, standMenu_,
                &StandMenu::entriesEdited);
    }
    for (QRadioButton* option : options(this, kSpeciesOptions)) {
        connect(option, &QRadioButton::toggled, standMenu_, &StandMenu::entriesEdited);
    }
    for (QRadioButton* option : options(this, kMeasureOptions)) {
        connect(option, &QRadioButton::toggled, standMenu_, &StandMenu::entriesEdited);
    }
}

void forLodra02::watchTrees(forTradDiametrar* trees) {
    watchedTrees_ = trees;
    for (int k = 0; k < forTradDiametrar::kRows; ++k) {
        connect(trees->txtDiam(k), &QLineEdit::textChanged, standMenu_, &StandMenu::entriesEdited);
        connect(trees->ckbAvverkas(k), &QCheckBox::stateChanged, standMenu_,
                &StandMenu::entriesEdited);
    }
    // Closed through its frame, the window takes its rows with it: the next one starts with
    // the initial rows. Looked at once it has gone.
    connect(trees, &QObject::destroyed, standMenu_, [menu = standMenu_] {
        QMetaObject::invokeMethod(menu, &StandMenu::entriesEdited, Qt::QueuedConnection);
    });
}

InputRecord forLodra02::inputRecord() {
    InputRecord input;
    for (const ParameterRow& row : kParameterTable) {
        input.*row.member = fieldText(parameterEntry(row.field));
    }
    // No option is checked only while a cell kept as written cannot be shown as one: that
    // cell, not the input's choice, is what "Beräkna" refuses and a save writes.
    input.species = checkedChoice(this, kSpeciesOptions).value_or(input.species);
    input.measure = checkedChoice(this, kMeasureOptions).value_or(input.measure);
    input.rows = tradDiametrar()->rows();
    return input;
}

void forLodra02::setInputRecord(const InputRecord& input, const ChoiceCells& kept) {
    for (const ParameterRow& row : kParameterTable) {
        parameterEntry(row.field)->setText(QString::fromStdString(input.*row.member));
    }
    check(this, kSpeciesOptions, input.species);
    check(this, kMeasureOptions, input.measure);
    tradDiametrar()->setRows(input.rows, kept.avv);
    if (kept.tradslag && tradslagRefusal(*kept.tradslag)) {
        clearChoice(options(this, kSpeciesOptions));
    }
    if (kept.atgard && atgardRefusal(*kept.atgard)) {
        clearChoice(options(this, kMeasureOptions));
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
        choice = options(this, kSpeciesOptions).front();
    } else if (cells.atgard && atgardRefusal(*cells.atgard)) {
        choice = options(this, kMeasureOptions).front();
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
        RunWindow::showInFront(window, ui->cmdBerakna);
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
    for (const ParameterWidgets& row : kParameterWidgets) {
        if (row.field == field) {
            return widgetNamed<QLineEdit>(this, row.entry);
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
    RunWindow::showInFront(tradDiametrar(), ui->cmdTraddiametrar);
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
