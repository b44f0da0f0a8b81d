#include "ui/forfastighet.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <numeric>
#include <random>
#include <thread>

#include "files/resultfile.h"
#include "report/numbertext.h"
#include "report/propertycsv.h"
#include "ui/handoverreport.h"
#include "ui/messages.h"
#include "ui/propertychart.h"
#include "ui/propertymodel.h"
#include "ui_forfastighet.h"

namespace lodra {

namespace {

const QString kChartTitle = QStringLiteral("Fastighetens avverkningar och kassaflöde");

int threads() {
    return static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
}

std::uint64_t newSeed() {
    return std::random_device{}();
}

}  // namespace

forFastighet::forFastighet(const WindowLook& look, const NumberFormat& numbers, QWidget* parent)
    : RunWindow(parent), ui(std::make_unique<Ui::forFastighet>()), numbers_(numbers) {
    look.setUpLaidOut(*ui, this);
    saved_ = new SavedLine(this);
    ui->layFastighet->addWidget(saved_);
    stands_ = new PropertyStandModel(this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(stands_);
    sorted_->setSortRole(kSortRole);
    flow_ = new PropertyFlowModel(this);
    ui->tblBestand->setModel(sorted_);
    ui->tblBestand->setSortingEnabled(true);
    ui->tblBestand->sortByColumn(PropertyStandModel::kRad, Qt::AscendingOrder);
    ui->tblFlode->setModel(flow_);
    for (QTableView* table : {ui->tblBestand, ui->tblFlode}) {
        table->horizontalHeader()->setDefaultAlignment(
            Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
        table->verticalHeader()->hide();
    }
    ui->chvFlode->setRenderHint(QPainter::Antialiasing);
    ui->splAvverkningar->setStretchFactor(1, 1);
    clear();
    setRunning(false);

    connect(ui->cmdBerakna, &QPushButton::clicked, this, &forFastighet::cmdBerakna_Click);
    connect(ui->cmdAvbryt, &QPushButton::clicked, &job_, &BackgroundJob::cancel);
    connect(ui->cmdSparaTabell, &QPushButton::clicked, this, &forFastighet::cmdSparaTabell_Click);
    connect(ui->cmdSparaFlode, &QPushButton::clicked, this, &forFastighet::cmdSparaFlode_Click);
    connect(ui->cmdSparaDiagram, &QPushButton::clicked, this, &forFastighet::cmdSparaDiagram_Click);
    connect(ui->cmdSparaPdf, &QPushButton::clicked, this, &forFastighet::cmdSparaPdf_Click);
    connect(ui->cmdSkrivUt, &QPushButton::clicked, this, &forFastighet::printReport);
    connect(ui->tblBestand, &QTableView::doubleClicked, this, &forFastighet::standActivated);
    hideWith(ui->cmdStang);
    connect(&job_, &BackgroundJob::finished, this, &forFastighet::finished);
    connect(&job_, &BackgroundJob::refresh, this, &forFastighet::showProgress);
}

forFastighet::~forFastighet() {
    job_.stop();
}

void forFastighet::open(const QString& path) {
    job_.stop();
    path_ = path;
    seed_ = newSeed();
    ui->txtFro->setText(QString::number(seed_));
    ui->lblFil->setText(QStringLiteral("Fil: %1").arg(QDir::toNativeSeparators(path)));
    start();
}

void forFastighet::cmdBerakna_Click() {
    bool ok = false;
    const qulonglong seed = ui->txtFro->text().trimmed().toULongLong(&ok);
    if (!ok) {
        showMessage(this,
                    QStringLiteral("Fröet \"%1\" kan inte användas. Skriv ett heltal från 0 "
                                   "till 18446744073709551615.")
                        .arg(ui->txtFro->text()),
                    QMessageBox::Warning);
        return;
    }
    job_.stop();
    seed_ = seed;
    start();
}

void forFastighet::start() {
    clear();
    done_ = 0;
    total_ = 0;
    PropertyOptions options;
    options.threads = threads();
    options.seed = seed_;
    options.decimalSeparator = numbers_.decimalSeparator();
    options.cancel = job_.cancelFlag();
    options.done = &done_;
    options.total = &total_;
    ui->lblSummering->setText(QStringLiteral("Bestånden beräknas."));
    job_.start([this, path = path_.toStdString(), options] {
        calculated_ = calculateProperty(path, options);
    });
    setRunning(true);
}

void forFastighet::showProgress() {
    const int total = total_.load();
    ui->prgBerakning->setRange(0, total);
    ui->prgBerakning->setValue(std::min(total, done_.load()));
}

void forFastighet::setRunning(bool running) {
    ui->prgBerakning->setVisible(running);
    ui->cmdAvbryt->setVisible(running);
    if (running) {
        ui->prgBerakning->setRange(0, 0);
    }
    ui->cmdBerakna->setEnabled(!running && !path_.isEmpty());
    for (QPushButton* button : {ui->cmdSparaTabell, ui->cmdSparaFlode, ui->cmdSparaDiagram,
                                ui->cmdSparaPdf, ui->cmdSkrivUt}) {
        button->setEnabled(!running && shown_);
    }
}

void forFastighet::clear() {
    shown_ = false;
    result_ = PropertyResult{};
    stands_->setStands({}, numbers_.decimalSeparator());
    flow_->setFlow(PropertyFlow{}, numbers_.decimalSeparator());
    QChart* old = ui->chvFlode->chart();
    ui->chvFlode->setChart(new QChart());
    delete old;
    ui->lblSummering->clear();
    ui->lblUtanHektar->hide();
    for (QWidget* seed : std::initializer_list<QWidget*>{ui->lblFro, ui->txtFro, ui->cmdBerakna}) {
        seed->setVisible(false);
    }
}

void forFastighet::finished() {
    if (job_.failure()) {
        std::rethrow_exception(job_.failure());
    }
    setRunning(false);
    std::optional<Result<PropertyResult>> calculated = std::move(calculated_);
    calculated_.reset();
    if (!calculated) {
        return;
    }
    if (!*calculated) {
        ui->lblSummering->setText(QString::fromStdString(calculated->message()));
        showMessage(this, QString::fromStdString(calculated->message()), QMessageBox::Warning);
        return;
    }
    if ((*calculated)->cancelled) {
        ui->lblSummering->setText(
            QStringLiteral("Beräkningen avbröts. \"Beräkna igen\" börjar om."));
        ui->cmdBerakna->setVisible(true);
        ui->cmdBerakna->setEnabled(true);
        return;
    }
    showResult(std::move(**calculated));
}

void forFastighet::showResult(PropertyResult result) {
    result_ = std::move(result);
    shown_ = true;
    const char separator = numbers_.decimalSeparator();
    stands_->setStands(result_.stands, separator);
    flow_->setFlow(result_.totals.flow(), separator);
    ui->tblBestand->resizeColumnsToContents();
    ui->tblFlode->resizeColumnsToContents();
    // The flow table as wide as its columns, the chart beside it takes the rest.
    QTableView* flow = ui->tblFlode;
    flow->setMinimumWidth(flow->horizontalHeader()->length() + 2 * flow->frameWidth() +
                          flow->verticalScrollBar()->sizeHint().width());
    QChart* old = ui->chvFlode->chart();
    ui->chvFlode->setChart(
        propertyChart(result_.totals.flow().years(), kChartTitle, numbers_.locale()));
    delete old;
    ui->lblSummering->setText(totalsText());
    const int without = result_.totals.withoutHektar;
    ui->lblUtanHektar->setVisible(without > 0);
    ui->lblUtanHektar->setText(
        without == static_cast<int>(result_.stands.size())
            ? QStringLiteral("Inget bestånd har hektar: fastighetens summor och avverkningar år "
                             "för år kräver kolumnen hektar i beståndsfilen.")
            : QStringLiteral("%1 bestånd saknar hektar: de visas men räknas inte in i någon "
                             "summa.")
                  .arg(without));
    for (QWidget* seed : std::initializer_list<QWidget*>{ui->lblFro, ui->txtFro, ui->cmdBerakna}) {
        seed->setVisible(result_.anyVariation);
    }
    setRunning(false);
}

QString forFastighet::totalsText() const {
    const PropertyTotals& t = result_.totals;
    const char separator = numbers_.decimalSeparator();
    const auto pat = [separator](double value, std::string_view pattern) {
        return QString::fromStdString(patternText(value, pattern, separator));
    };
    QString text = QStringLiteral(
                       "Beräknade: %1 bestånd. Avvisade: %2. Avbrutna: %3. Utan "
                       "hektar: %4.\nAreal: %5 ha. Fastighetens nuvärde: %6 kr.")
                       .arg(t.calculated)
                       .arg(t.refused)
                       .arg(t.stopped)
                       .arg(t.withoutHektar)
                       .arg(pat(t.area, "#########0.00"), pat(t.value, "############0"));
    if (const std::optional<double> mean = t.meanPerHa()) {
        text += QStringLiteral(" Medelvärde: %1 kr/ha (vägt med arealen).")
                    .arg(pat(*mean, "#########0"));
    }
    return text;
}

void forFastighet::standActivated(const QModelIndex& index) {
    const QModelIndex source = sorted_->mapToSource(index);
    if (!source.isValid()) {
        return;
    }
    emit standChosen(path_, stands_->stands()[static_cast<std::size_t>(source.row())].row);
}

QImage forFastighet::chartImage() const {
    // At the report's width, whatever the window shows.
    const QSizeF size(Handover::textArea().width(), Handover::textArea().height() * 0.6);
    return reportChartImage(
        propertyChart(result_.totals.flow().years(), kChartTitle, numbers_.locale()), size);
}

std::unique_ptr<Handover> forFastighet::handover() const {
    auto doc = std::make_unique<Handover>(QStringLiteral("Fastighetsrapport"));
    doc->addParagraph(QStringLiteral("Datum: %1").arg(QDate::currentDate().toString(Qt::ISODate)));
    doc->addParagraph(QStringLiteral("Fil: %1").arg(QDir::toNativeSeparators(path_)));
    if (result_.anyVariation) {
        doc->addParagraph(QStringLiteral("Frö: %1").arg(seed_));
    }
    doc->addHeading(QStringLiteral("Summering"));
    for (const QString& line : totalsText().split(QLatin1Char('\n'))) {
        doc->addParagraph(line);
    }
    if (ui->lblUtanHektar->isVisibleTo(this)) {
        doc->addParagraph(ui->lblUtanHektar->text());
    }
    // The messages under the table, where they take lines of their own.
    std::vector<int> standColumns(PropertyStandModel::kMeddelande);
    std::iota(standColumns.begin(), standColumns.end(), 0);
    QStringList messages;
    for (const PropertyStand& stand : result_.stands) {
        if (stand.error) {
            messages << QStringLiteral("Rad %1: %2")
                            .arg(stand.row)
                            .arg(QString::fromStdString(stand.message()));
        }
    }
    doc->addTable({QStringLiteral("Bestånd"),
                   {},
                   {{sorted_, standColumns, {}}},
                   [](int) { return true; },
                   messages.join(QLatin1Char('\n')),
                   true});
    if (!flow_->years().empty()) {
        std::vector<int> flowColumns(PropertyFlowModel::kColumns);
        std::iota(flowColumns.begin(), flowColumns.end(), 0);
        doc->addTable({QStringLiteral("Avverkningar år för år"),
                       {},
                       {{flow_, flowColumns, {}}},
                       [](int) { return true; },
                       {},
                       true});
        doc->addImage(QStringLiteral("Diagram"), chartImage());
    }
    return doc;
}

void forFastighet::printReport() {
    if (!shown_) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    Handover::setUpPrinter(printer);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("lodraPrintDialog"));
    dialog.setWindowTitle(QStringLiteral("Skriv ut"));
    if (dialog.exec() == QDialog::Accepted) {
        handover()->print(printer);
    }
}

void forFastighet::cmdSparaTabell_Click() {
    save(QStringLiteral("Spara beståndstabell"), QStringLiteral("CSV-filer (*.csv)"),
         QStringLiteral("Fastighet.csv"), [this] { return result_.tableCsv; });
}

void forFastighet::cmdSparaFlode_Click() {
    save(QStringLiteral("Spara avverkningar år för år"), QStringLiteral("CSV-filer (*.csv)"),
         QStringLiteral("Avverkningar.csv"),
         [this] { return propertyFlowCsv(result_.totals.flow(), numbers_.decimalSeparator()); });
}

void forFastighet::cmdSparaDiagram_Click() {
    save(QStringLiteral("Spara diagram"), QStringLiteral("PNG-bilder (*.png)"),
         QStringLiteral("Fastighet.png"), [this] {
             QByteArray png;
             QBuffer buffer(&png);
             buffer.open(QIODevice::WriteOnly);
             chartImage().save(&buffer, "PNG");
             return png.toStdString();
         });
}

void forFastighet::cmdSparaPdf_Click() {
    save(QStringLiteral("Spara som PDF"), QStringLiteral("PDF-filer (*.pdf)"),
         QStringLiteral("Fastighetsrapport.pdf"), [this] { return handover()->pdf(); });
}

void forFastighet::save(const QString& title, const QString& filter, const QString& name,
                        const std::function<std::string()>& bytes) {
    const QString path = folders().chooseSave(this, title, filter, name);
    if (path.isEmpty()) {
        return;
    }
    const Result<> written = writeFileReplacing(path.toStdString(), bytes());
    if (!written) {
        showMessage(this, QString::fromStdString(written.message()), QMessageBox::Warning);
        return;
    }
    folders().used(path);
    saved_->saved(path);
}

}  // namespace lodra
