#include "ui/spreadpage.h"

#include <QChart>
#include <QHeaderView>
#include <QSplitter>
#include <QTableWidget>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <array>
#include <charconv>
#include <numeric>
#include <random>

#include "calc/numberparse.h"
#include "report/numbertext.h"
#include "report/spreadcsv.h"
#include "ui/cyclecharts.h"
#include "ui/messages.h"
#include "ui_forutveckling.h"

namespace lodra {

namespace {

const QString kPrompt = QStringLiteral(
    "Tryck på \"Beräkna spridning\" för att beräkna beståndet en gång per körning, varje "
    "körning med sin egen slumpgenerator från fröet. Samma frö ger samma siffror.");

// With a variation of 0 the diameter growth is never changed at random: every run is the
// calculation itself.
const QString kNoVariation = QStringLiteral(
    "Variationen är 0 %: diametertillväxten ändras då inte slumpmässigt, och varje körning "
    "blir lika. Ange en variation i fältet \"Variation i diametertillväxt\" i "
    "parameterfönstret och tryck på \"Beräkna\" för att se en spridning.");

// A seed the user has not chosen: 64 bits from the system's random source.
std::uint64_t drawSeed() {
    std::random_device device;
    return (std::uint64_t{device()} << 32) ^ device();
}

// The decimal digits of a seed, as typed or as a table writes it (after its mark).
std::optional<std::uint64_t> readSeed(const QString& text) {
    std::string digits = text.trimmed().toStdString();
    if (digits.starts_with(kSeedMark)) {
        digits.erase(0, 1);
    }
    std::uint64_t seed = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, seed);
    if (digits.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return seed;
}

// Runs the parts of a spread on the pool and on the calling thread.
void poolFor(QThreadPool* pool, int parts, const std::function<void(int)>& body) {
    QList<int> numbers(parts);
    std::iota(numbers.begin(), numbers.end(), 0);
    QtConcurrent::blockingMap(pool, numbers, [&body](const int& part) { body(part); });
}

QString statText(const SpreadStatistics& stats, std::optional<double> value, const char* pattern,
                 char sep) {
    if (stats.count == 0 || !value) {
        return QStringLiteral("–");
    }
    return QString::fromStdString(patternText(*value, pattern, sep));
}

}  // namespace

SpreadPage::SpreadPage(Ui::forUtveckling& ui, const NumberFormat& numbers, QWidget* window)
    : ui_(ui), window_(window), numbers_(numbers) {
    // The thread that waits for the runs calculates too; the shared pool keeps a thread for
    // the drawing of the windows.
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    ui_.txtFro->setText(QString::number(drawSeed()));
    ui_.spnKorningar->setRange(kMinSpreadRuns, kMaxSpreadRuns);
    ui_.spnKorningar->setValue(kDefaultSpreadRuns);
    QTableWidget* table = ui_.tblSpridning;
    table->setRowCount(9);
    table->setColumnCount(3);
    table->setVerticalHeaderLabels(
        {QStringLiteral("Medel"), QStringLiteral("Standardavvikelse"), QStringLiteral("Min"),
         QStringLiteral("P5"), QStringLiteral("P10"), QStringLiteral("P50"), QStringLiteral("P90"),
         QStringLiteral("P95"), QStringLiteral("Max")});
    table->setHorizontalHeaderLabels({QStringLiteral("Nuvärde\n(kr/ha)"),
                                      QStringLiteral("År mellan\navverkningarna"),
                                      QStringLiteral("Volym/avverkning\n(m3sk/ha)")});
    table->resizeColumnsToContents();
    // The seed's 20 digits and its mark in view, the table as wide as its columns, the chart the
    // rest.
    ui_.txtFro->setMinimumWidth(
        ui_.txtFro->fontMetrics().horizontalAdvance(QStringLiteral("#18446744073709551615")) +
        ui_.txtFro->fontMetrics().averageCharWidth() * 3);
    table->setMinimumWidth(table->verticalHeader()->sizeHint().width() +
                           table->horizontalHeader()->length() + table->frameWidth() * 2 + 4);
    ui_.splSpridning->setStretchFactor(0, 0);
    ui_.splSpridning->setStretchFactor(1, 1);
    ui_.chvSpridning->setRenderHint(QPainter::Antialiasing);
    clear(kPrompt);
    setRunning(false);
    connect(ui_.cmdBeraknaSpridning, &QPushButton::clicked, this, &SpreadPage::start);
    connect(ui_.cmdAvbrytSpridning, &QPushButton::clicked, &job_, &BackgroundJob::cancel);
    connect(&job_, &BackgroundJob::finished, this, &SpreadPage::finished);
    connect(&job_, &BackgroundJob::refresh, this, &SpreadPage::showProgress);
}

SpreadPage::~SpreadPage() {
    // The runs read this page's atomics until they have returned.
    job_.stop();
}

bool SpreadPage::withoutVariation() const {
    return parseNumber(input_.variation, numbers_.decimalSeparator()) == 0.0;
}

void SpreadPage::setCalculation(const InputRecord& input, double nuvarde) {
    stop();
    input_ = input;
    latest_ = nuvarde;
    clear(withoutVariation() ? kNoVariation : kPrompt);
    setRunning(false);
}

void SpreadPage::clear(const QString& text) {
    shown_.reset();
    ui_.lblSpridning->setText(text);
    ui_.lblHistogram->hide();
    ui_.tblSpridning->clearContents();
    QChart* old = ui_.chvSpridning->chart();
    ui_.chvSpridning->setChart(new QChart());
    delete old;
}

void SpreadPage::setRunning(bool running) {
    ui_.cmdBeraknaSpridning->setEnabled(!running && latest_.has_value());
    ui_.spnKorningar->setEnabled(!running);
    ui_.txtFro->setEnabled(!running);
    ui_.cmdAvbrytSpridning->setVisible(running);
    ui_.prgSpridning->setVisible(running);
}

void SpreadPage::start() {
    if (job_.isRunning() || !latest_) {
        return;
    }
    const std::optional<std::uint64_t> seed = readSeed(ui_.txtFro->text());
    if (!seed) {
        showMessage(window_,
                    QStringLiteral("Fröet ska vara ett heltal från 0 till 18446744073709551615."),
                    QMessageBox::Warning);
        ui_.txtFro->setFocus();
        return;
    }
    progress_.runsDone = 0;
    runs_ = ui_.spnKorningar->value();
    SpreadOptions options;
    options.seed = *seed;
    options.runs = runs_;
    options.parallelFor = [pool = &pool_](int parts, const std::function<void(int)>& body) {
        poolFor(pool, parts, body);
    };
    options.cancel = job_.cancelFlag();
    options.progress = &progress_;
    ui_.prgSpridning->setRange(0, runs_);
    ui_.prgSpridning->setValue(0);
    clear(QStringLiteral("Spridningen beräknas."));
    job_.start([this, input = input_, separator = numbers_.decimalSeparator(), options] {
        computed_ = computeSpread(input, separator, options);
    });
    setRunning(true);
}

void SpreadPage::showProgress() {
    ui_.prgSpridning->setValue(std::min(runs_, progress_.runsDone.load()));
}

void SpreadPage::stop() {
    if (!job_.isRunning()) {
        return;
    }
    job_.stop();
    setRunning(false);
    emit spreadEnded();
}

void SpreadPage::finished() {
    if (job_.failure()) {
        std::rethrow_exception(job_.failure());
    }
    const bool cancelled = job_.wasCancelled();
    setRunning(false);
    const Result<Spread> result = std::move(*computed_);
    computed_.reset();
    if (result) {
        shown_ = *result;
        showSpread();
    } else if (cancelled) {
        clear(QString::fromStdString(result.message()));
    } else {
        clear(withoutVariation() ? kNoVariation : kPrompt);
        showMessage(window_, QString::fromStdString(result.message()), QMessageBox::Warning);
    }
    emit spreadEnded();
}

void SpreadPage::showSpread() {
    const Spread& spread = *shown_;
    QString text = QStringLiteral("%1 körningar beräknades, %2 stoppades.")
                       .arg(spread.completed)
                       .arg(spread.stopped);
    if (spread.arMellan.count < spread.completed) {
        text += QStringLiteral(
                    " År mellan avverkningarna och volym/avverkning gäller de %1 "
                    "körningar som hade en avverkning.")
                    .arg(spread.arMellan.count);
    }
    if (!spread.firstStop.empty()) {
        text += QLatin1Char('\n') + QString::fromStdString(spread.firstStop);
    }
    ui_.lblSpridning->setText(text);
    fillStatistics();
    const SpreadStatistics& nuvarde = spread.nuvarde;
    const bool same = nuvarde.count > 0 && !(nuvarde.max > nuvarde.min);
    ui_.lblHistogram->setVisible(same);
    ui_.chvSpridning->setVisible(!same);
    if (same) {
        const QString value = QString::fromStdString(
            patternText(nuvarde.min, "######0", numbers_.decimalSeparator()));
        ui_.lblHistogram->setText(
            withoutVariation()
                ? QStringLiteral("Alla körningar gav samma nuvärde, %1 kr/ha. ").arg(value) +
                      kNoVariation
                : QStringLiteral("Alla körningar gav samma nuvärde, %1 kr/ha: den slumpmässiga "
                                 "ändringen av diametern påverkade inte resultatet.")
                      .arg(value));
    }
    QChart* old = ui_.chvSpridning->chart();
    ui_.chvSpridning->setChart(spreadChart(spread, latest_, numbers_.locale()));
    delete old;
}

QChart* SpreadPage::histogram() const {
    return spreadChart(*shown_, latest_, numbers_.locale());
}

void SpreadPage::fillStatistics() {
    const Spread& spread = *shown_;
    const std::array<std::pair<const SpreadStatistics*, const char*>, 3> columns = {
        {{&spread.nuvarde, "######0"}, {&spread.arMellan, "##0.0"}, {&spread.volAvv, "##0.0"}}};
    for (int c = 0; c < 3; ++c) {
        const auto& [stats, pattern] = columns[static_cast<std::size_t>(c)];
        const std::optional<double> values[] = {stats->mean, stats->sd,  stats->min,
                                                stats->p5,   stats->p10, stats->p50,
                                                stats->p90,  stats->p95, stats->max};
        for (int r = 0; r < 9; ++r) {
            auto* item = new QTableWidgetItem(
                statText(*stats, values[r], pattern, numbers_.decimalSeparator()));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ui_.tblSpridning->setItem(r, c, item);
        }
    }
    ui_.tblSpridning->resizeColumnsToContents();
}

}  // namespace lodra
