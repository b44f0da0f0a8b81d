#include "ui/forutveckling.h"

#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QThread>
#include <algorithm>

#include "files/resultfile.h"
#include "report/cyclecsv.h"
#include "report/spreadcsv.h"
#include "ui/comparisonmodel.h"
#include "ui/cyclecharts.h"
#include "ui/cyclemodel.h"
#include "ui/handoverreport.h"
#include "ui/messages.h"
#include "ui/spreadpage.h"
#include "ui_forutveckling.h"

namespace lodra {

namespace {

// The one place the window writes a file: through the safe saving, which writes a
// temporary file in the folder and then gives it the name. Empty when it went well.
std::string writeReplacing(const std::string& path, const std::string& bytes) {
    const Result<> saved = writeFileReplacing(path, bytes);
    return saved ? std::string() : saved.message();
}

// The chart as a picture under its title, lines of text across its top; the picture's
// "Title" text says the same, for programs that list pictures by it.
QImage titledChart(const QPixmap& chart, const QString& title, const QFont& font) {
    const QFontMetrics metrics(font);
    const int margin = metrics.height() / 2;
    const QRect text = metrics.boundingRect(QRect(0, 0, chart.width() - 2 * margin, 10000),
                                            Qt::TextWordWrap, title);
    const int top = text.height() + 2 * margin;
    QImage image(chart.width(), chart.height() + top, QImage::Format_ARGB32);
    image.setDevicePixelRatio(chart.devicePixelRatio());
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(margin, margin, chart.width() - 2 * margin, text.height()),
                     Qt::TextWordWrap, title);
    painter.drawPixmap(0, top, chart);
    painter.end();
    image.setText(QStringLiteral("Title"), title);
    return image;
}

QString prompt() {
    return QStringLiteral(
               "Tryck på \"Jämför\" för att beräkna nuvärdet (kr/ha) med gallring och "
               "plockhuggning och med kalavverkning, för 0 till %1 cykler till avverkning vid "
               "räntekraven %2 %. Med en variation blir varje ruta medelvärdet av körningarna, "
               "körning k av varje ruta med samma slumptal från fröet.")
        .arg(ComparisonGrid::kIntervals - 1)
        .arg(QString::fromUtf8(FixedText().list(kRates, " och ").c_str()));
}

// The whole number from 0 to 2^64 - 1 the text is, if it is one.
std::optional<std::uint64_t> seedIn(const QString& text) {
    const QString digits = text.trimmed();
    bool number = false;
    const qulonglong seed = digits.toULongLong(&number);
    const bool onlyDigits =
        !digits.isEmpty() && std::ranges::all_of(digits, [](QChar c) { return c.isDigit(); });
    return number && onlyDigits ? std::optional<std::uint64_t>(seed) : std::nullopt;
}

}  // namespace

forUtveckling::forUtveckling(const WindowLook& look, const NumberFormat& numbers, QWidget* parent)
    : RunWindow(parent), ui(std::make_unique<Ui::forUtveckling>()), numbers_(numbers) {
    look.setUpLaidOut(*ui, this);
    saved_ = new SavedLine(this);
    ui->layUtveckling->addWidget(saved_);
    heading_ = new CalculationHeading(*ui, this);
    connect(heading_, &CalculationHeading::calculateRequested, this,
            &forUtveckling::calculateRequested);
    cycles_ = new CycleModel(this);
    comparison_ = {new ComparisonModel(MeasureComparison::kGallring, this),
                   new ComparisonModel(MeasureComparison::kKalavverkning, this)};
    spread_ = new SpreadPage(*ui, numbers_, this);
    // The comparison's runs start from the spread's seed until the user changes either.
    ui->spnKorningarJamfor->setRange(kMinSpreadRuns, kMaxSpreadRuns);
    ui->spnKorningarJamfor->setValue(kDefaultComparisonRuns);
    ui->txtFroJamfor->setText(ui->txtFro->text());
    ui->txtFroJamfor->setMinimumWidth(ui->txtFro->minimumWidth());
    ui->tblCykler->setModel(cycles_);
    ui->tblJamforelse->setModel(comparison_[0]);
    ui->tblJamforelseKal->setModel(comparison_[1]);
    ui->tblCykler->horizontalHeader()->setDefaultAlignment(
        Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    for (QChartView* view : {ui->chvUtveckling, ui->chvJamforelse}) {
        view->setRenderHint(QPainter::Antialiasing);
        replaceChart(view, new QChart());
    }
    ui->lblJamforelse->setText(prompt());
    for (const auto& [group, measure] :
         {std::pair{ui->grpGallring, Measure::gallring}, {ui->grpKalavv, Measure::kalavverkning}}) {
        const std::string_view name = nameOf(measure);
        group->setTitle(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    // The wrapped caption makes the scroll area ask the page for its height at the
    // window's width, which is the height the chart would like: the chart takes the height
    // there is instead, down to its least, so that a window with room does not scroll.
    QSplitter* split = ui->splJamforelse;
    split->setMinimumHeight(split->minimumSizeHint().height());
    split->setSizePolicy(split->sizePolicy().horizontalPolicy(), QSizePolicy::Ignored);
    setComparing(false);

    addPageKeys();
    // Whether the entries still are those of the calculation is seen again whenever the
    // focus moves in the program (the user leaves the entry changed), and by the buttons
    // that work on the calculation.
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this] {
        if (isVisible()) {
            heading_->check();
        }
    });
    for (QPushButton* button : {ui->cmdBeraknaSpridning, ui->cmdJamfor}) {
        connect(button, &QPushButton::clicked, heading_, &CalculationHeading::check);
    }
    connect(ui->tabUtveckling, &QTabWidget::currentChanged, heading_, &CalculationHeading::check);
    connect(ui->cmdJamfor, &QPushButton::clicked, this, &forUtveckling::cmdJamfor_Click);
    connect(ui->cmdAvbryt, &QPushButton::clicked, this, &forUtveckling::cmdAvbryt_Click);
    connect(ui->cmdSparaTabell, &QPushButton::clicked, this, &forUtveckling::cmdSparaTabell_Click);
    connect(ui->cmdSparaDiagram, &QPushButton::clicked, this,
            &forUtveckling::cmdSparaDiagram_Click);
    connect(ui->cmdSparaPdf, &QPushButton::clicked, this, &forUtveckling::cmdSparaPdf_Click);
    connect(ui->cmdSkrivUt, &QPushButton::clicked, this, &forUtveckling::printReport);
    hideWith(ui->cmdStang);
    connect(spread_, &SpreadPage::spreadEnded, this, &forUtveckling::spreadEnded);
    connect(&comparison_job_, &BackgroundJob::finished, this, &forUtveckling::comparisonFinished);
    connect(&comparison_job_, &BackgroundJob::refresh, this, &forUtveckling::showProgress);
}

forUtveckling::~forUtveckling() {
    // The heading goes with the window's children; the focus moves while they go.
    disconnect(focusWatch_);
    // The comparison reads this window's atomics until it has returned; the spread's page
    // goes while the controls it works are still there.
    comparison_job_.stop();
    delete spread_;
}

void forUtveckling::addPageKeys() {
    for (const auto& [step, keys] :
         {std::pair{1, QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Tab),
                                           QKeySequence(Qt::CTRL | Qt::Key_PageDown)}},
          std::pair{-1, QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                            QKeySequence(Qt::CTRL | Qt::Key_PageUp)}}}) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys(keys);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { turnPage(step); });
    }
}

void forUtveckling::turnPage(int step) {
    QTabWidget* tabs = ui->tabUtveckling;
    QWidget* page = tabs->currentWidget();
    const bool focusOnPage = page != nullptr && page->isAncestorOf(QApplication::focusWidget());
    tabs->setCurrentIndex((tabs->currentIndex() + step + tabs->count()) % tabs->count());
    // The focus left on a page turned away goes to the tabs, from which Tab enters the page.
    if (focusOnPage) {
        tabs->setFocus(Qt::ShortcutFocusReason);
    }
}

bool forUtveckling::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        heading_->check();
    }
    return RunWindow::event(event);
}

void forUtveckling::setEntries(std::function<InputRecord()> entries) {
    heading_->setEntries(std::move(entries));
    heading_->check();
}

void forUtveckling::clearSaved() {
    auto* fresh = new SavedLine(this);
    delete ui->layUtveckling->replaceWidget(saved_, fresh);
    delete saved_;
    saved_ = fresh;
}

void forUtveckling::showCalculation(const InputRecord& input, std::vector<CycleRow> rows,
                                    double nuvarde, const CalculationTitle& title) {
    stopComparison();
    clearSaved();
    heading_->show(input, title);
    spread_->setCalculation(input, nuvarde);
    input_ = input;
    haveInput_ = true;
    replaceChart(ui->chvUtveckling, developmentChart(rows, numbers_.locale()));
    cycles_->setRows(std::move(rows), numbers_.decimalSeparator());
    ui->tblCykler->resizeColumnsToContents();
    for (ComparisonModel* model : comparison_) {
        model->setComparison(std::nullopt, numbers_.decimalSeparator());
    }
    replaceChart(ui->chvJamforelse, new QChart());
    ui->lblJamforelse->setText(prompt());
    setComparing(false);
}

void forUtveckling::replaceChart(QChartView* view, QChart* chart) {
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
}

void forUtveckling::setComparing(bool comparing) {
    ui->cmdJamfor->setEnabled(!comparing && haveInput_);
    ui->spnKorningarJamfor->setEnabled(!comparing);
    ui->txtFroJamfor->setEnabled(!comparing);
    ui->cmdAvbryt->setVisible(comparing);
    ui->prgJamfor->setVisible(comparing);
    ui->cmdSparaTabell->setEnabled(haveInput_);
    ui->cmdSparaDiagram->setEnabled(haveInput_);
    ui->cmdSparaPdf->setEnabled(haveInput_);
    ui->cmdSkrivUt->setEnabled(haveInput_);
}

void forUtveckling::cmdJamfor_Click() {
    if (comparison_job_.isRunning() || !haveInput_) {
        return;
    }
    const std::optional<std::uint64_t> seed = seedIn(ui->txtFroJamfor->text());
    if (!seed) {
        showMessage(this,
                    QStringLiteral("Fröet ska vara ett heltal från 0 till 18446744073709551615."),
                    QMessageBox::Warning);
        ui->txtFroJamfor->setFocus();
        return;
    }
    progress_.cellsDone = 0;
    progress_.cyclesDone = 0;
    progress_.cyclesTotal = 0;
    ComparisonOptions options;
    // Run k of every cell draws from standSeed(seed, k), so that the cells differ only by
    // their choice.
    options.seed = *seed;
    options.runs = ui->spnKorningarJamfor->value();
    options.threads = static_cast<unsigned>(std::max(1, QThread::idealThreadCount()));
    runs_ = options.runs;
    options.cancel = comparison_job_.cancelFlag();
    options.progress = &progress_;
    ui->prgJamfor->setRange(0, 0);
    ui->lblJamforelse->setText(QStringLiteral("Jämförelsen pågår."));
    ui->tabUtveckling->setCurrentWidget(ui->tabJamforelse);
    comparison_job_.start([this, input = input_, separator = numbers_.decimalSeparator(), options] {
        compared_ = compareMeasures(input, separator, options);
    });
    setComparing(true);
}

void forUtveckling::showProgress() {
    const int perCell = progress_.cyclesTotal.load();
    if (perCell <= 0) {
        return;
    }
    // Of every run of every cell; the cycles count within the first runs.
    constexpr int kSteps = 1000;
    const double cells = MeasureComparison::kMeasures * ComparisonGrid::kIntervals *
                         ComparisonGrid::kRateCount * static_cast<double>(std::max(1, runs_));
    const double done =
        progress_.cellsDone.load() + static_cast<double>(progress_.cyclesDone.load()) / perCell;
    ui->prgJamfor->setRange(0, kSteps);
    ui->prgJamfor->setValue(static_cast<int>(std::min(1.0, done / cells) * kSteps));
}

void forUtveckling::cmdAvbryt_Click() {
    comparison_job_.cancel();
}

void forUtveckling::stopComparison() {
    if (!comparison_job_.isRunning()) {
        return;
    }
    comparison_job_.stop();
    setComparing(false);
    emit comparisonEnded();
}

void forUtveckling::comparisonFinished() {
    if (comparison_job_.failure()) {
        std::rethrow_exception(comparison_job_.failure());
    }
    const bool cancelled = comparison_job_.wasCancelled();
    setComparing(false);
    const Result<MeasureComparison> result = std::move(*compared_);
    compared_.reset();
    if (result) {
        for (ComparisonModel* model : comparison_) {
            model->setComparison(*result, numbers_.decimalSeparator());
        }
        showComparison();
    } else if (cancelled) {
        ui->lblJamforelse->setText(QString::fromStdString(result.message()));
    } else {
        ui->lblJamforelse->setText(prompt());
        for (const auto& [group, measure] : {std::pair{ui->grpGallring, Measure::gallring},
                                             {ui->grpKalavv, Measure::kalavverkning}}) {
            const std::string_view name = nameOf(measure);
            group->setTitle(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        }
        showMessage(this, QString::fromStdString(result.message()), QMessageBox::Warning);
    }
    emit comparisonEnded();
}

void forUtveckling::showComparison() {
    const MeasureComparison& grid = *comparison_[0]->comparison();
    ui->lblJamforelse->setText(comparisonText(grid, numbers_.decimalSeparator()));
    // The grids as tall as their rows, the chart below takes the rest.
    for (QTableView* table : {ui->tblJamforelse, ui->tblJamforelseKal}) {
        table->resizeColumnsToContents();
        table->resizeRowsToContents();
        table->setMinimumHeight(table->horizontalHeader()->sizeHint().height() +
                                table->verticalHeader()->length() + table->frameWidth() * 2 + 2);
    }
    const int gridsHeight = ui->panJamforelse->minimumSizeHint().height();
    ui->splJamforelse->setSizes({gridsHeight, ui->splJamforelse->height() - gridsHeight});
    replaceChart(ui->chvJamforelse, comparisonChart(grid, numbers_.locale()));
}

bool forUtveckling::comparisonShown() const {
    return ui->tabUtveckling->currentWidget() == ui->tabJamforelse && comparison_[0]->comparison();
}

bool forUtveckling::spreadShown() const {
    return ui->tabUtveckling->currentWidget() == ui->tabSpridning && spread_->spread();
}

QString forUtveckling::shownName(const QString& suffix) const {
    return (comparisonShown() ? QStringLiteral("Jamforelse")
            : spreadShown()   ? QStringLiteral("Spridning")
                              : QStringLiteral("Utveckling")) +
           suffix;
}

void forUtveckling::cmdSparaTabell_Click() {
    const bool comparison = comparisonShown();
    const bool spread = spreadShown();
    const QString path = chooseFile(QStringLiteral("Spara tabell"),
                                    QStringLiteral("CSV-filer (*.csv)"), shownName(".csv"));
    if (path.isEmpty()) {
        return;
    }
    save(path, comparison ? measureComparisonCsv(*comparison_[0]->comparison(),
                                                 numbers_.decimalSeparator())
               : spread   ? spreadRunsCsv(*spread_->spread(), numbers_.decimalSeparator())
                          : cycleCsv(cycles_->rows(), numbers_.decimalSeparator()));
}

std::unique_ptr<Handover> forUtveckling::handover() const {
    HandoverSources sources;
    sources.facts = facts_ ? facts_() : HandoverFacts{};
    sources.cycles = cycles_;
    sources.numbers = numbers_.locale();
    sources.comparison = {comparison_[0], comparison_[1]};
    sources.spread = spread_;
    sources.spreadTable = ui->tblSpridning->model();
    sources.spreadText = ui->lblSpridning->text();
    if (ui->lblHistogram->isVisibleTo(ui->tabSpridning)) {
        sources.histogramText = ui->lblHistogram->text();
    }
    return HandoverReport(std::move(sources)).document();
}

void forUtveckling::cmdSparaPdf_Click() {
    const QString path =
        chooseFile(QStringLiteral("Spara som PDF"), QStringLiteral("PDF-filer (*.pdf)"),
                   QStringLiteral("Bestandskalkyl.pdf"));
    if (!path.isEmpty()) {
        save(path, handover()->pdf());
    }
}

void forUtveckling::printReport() {
    if (!haveInput_) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    Handover::setUpPrinter(printer);
    QPrintDialog dialog(&printer, isVisible() ? this : parentWidget());
    dialog.setObjectName(QStringLiteral("lodraPrintDialog"));
    dialog.setWindowTitle(QStringLiteral("Skriv ut"));
    if (dialog.exec() == QDialog::Accepted) {
        handover()->print(printer);
    }
}

void forUtveckling::cmdSparaDiagram_Click() {
    const bool comparison = comparisonShown();
    const bool spread = spreadShown();
    const QString path = chooseFile(QStringLiteral("Spara diagram"),
                                    QStringLiteral("PNG-bilder (*.png)"), shownName(".png"));
    if (path.isEmpty()) {
        return;
    }
    QChartView* view = comparison ? ui->chvJamforelse
                       : spread   ? ui->chvSpridning
                                  : ui->chvUtveckling;
    const QString page =
        comparison ? QStringLiteral("Jämförelse av nuvärdet för åtgärder, cykler och räntekrav")
        : spread ? QStringLiteral("Nuvärdets fördelning, %1 körningar")
                       .arg(spread_->spread()->runs.size())
                 : QStringLiteral("Beståndets utveckling");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    titledChart(view->grab(), page + QLatin1Char('\n') + ui->lblBerakning->text(), font())
        .save(&buffer, "PNG");
    save(path, png.toStdString());
}

QString forUtveckling::chooseFile(const QString& title, const QString& filter,
                                  const QString& name) {
    return folders().chooseSave(this, title, filter, name);
}

void forUtveckling::save(const QString& path, const std::string& bytes) {
    const std::string failure = writeReplacing(path.toStdString(), bytes);
    if (!failure.empty()) {
        showMessage(this, QString::fromStdString(failure), QMessageBox::Warning);
        return;
    }
    folders().used(path);
    saved_->saved(path);
}

}  // namespace lodra
