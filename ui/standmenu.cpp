#include "ui/standmenu.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <algorithm>
#include <limits>
#include <new>
#include <optional>

#include "base/quote.h"
#include "calc/parameters.h"
#include "files/resultfile.h"
#include "standfile/standwriter.h"
#include "ui/handbook.h"
#include "ui/messages.h"
#include "ui/run.h"
#include "ui/savedialog.h"
#include "ui/standchooser.h"

#ifndef LODRA05_VERSION
#error "LODRA05_VERSION is set by the build"
#endif

namespace lodra {

namespace {

// The bar's corner asks for the width the menus leave, which the bar then gives it.
class Corner : public QWidget {
  public:
    using QWidget::QWidget;
    int wanted = 0;
    QSize sizeHint() const override {
        return {std::max(wanted, minimumSizeHint().width()), QWidget::sizeHint().height()};
    }
};

const QString kFilter = QStringLiteral("Beståndsfiler (*.csv);;Alla filer (*)");

// The listing's progress bar counts the file in this many steps.
constexpr int kSteps = 1000;

// The file writes a decimal point; under a decimal comma the fields show a comma again.
InputRecord withSeparator(InputRecord input, char separator) {
    if (separator == '.') {
        return input;
    }
    const auto swap = [separator](std::string& text) {
        std::replace(text.begin(), text.end(), '.', separator);
    };
    for (const ParameterRow& row : kParameterTable) {
        swap(input.*row.member);
    }
    for (TreeRow& row : input.rows) {
        swap(row.text);
    }
    return input;
}

QString outOfMemory(const QString& path) {
    return QStringLiteral(
               "Minnet räckte inte till för att öppna beståndsfilen \"%1\". Det som visas är "
               "oförändrat.")
        .arg(path);
}

QAction* addItem(QMenu* menu, const QString& text, const char* name, const char* keys) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (keys != nullptr) {
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    }
    return action;
}

}  // namespace

QString aboutText() {
    return QStringLiteral(
               "Lodra05 version %1\n\n"
               "Beräknar avverkning, kassaflöde och nuvärde för ett skogsbestånd.\n\n"
               "Hur programmet används, vad fälten betyder och beståndsfilens format står i "
               "handboken: Hjälp → Handbok (F1).")
        .arg(QStringLiteral(LODRA05_VERSION));
}

// A stand file listed in the background: what it needs, shared with the thread.
struct StandMenu::Listing {
    QString path;
    std::optional<int> row;  // the row to open, without asking
    ReadWatch watch;
    std::optional<Result<StandList>> result;
};

StandMenu::StandMenu(Run& run, QMenuBar* bar, std::function<StandEntries()> entries)
    : QObject(run.mainWindow()),
      run_(run),
      window_(run.mainWindow()),
      entries_(std::move(entries)),
      progressDelayMs_(Run::kProgressDelayMs),
      job_(Run::kProgressRefreshMs, 1) {
    connect(&job_, &BackgroundJob::finished, this, &StandMenu::listed);
    // "Avbryt" reaches the listing through its watch.
    connect(&job_, &BackgroundJob::cancelRequested, this, [this] {
        if (listing_) {
            listing_->watch.cancel = true;
        }
    });
    QMenu* arkiv = bar->addMenu(QStringLiteral("&Arkiv"));
    arkiv->setObjectName(QStringLiteral("mnuArkiv"));
    connect(addItem(arkiv, QStringLiteral("Nytt bestånd"), "mnuNytt", "Ctrl+N"),
            &QAction::triggered, this, &StandMenu::nyttBestand);
    connect(addItem(arkiv, QStringLiteral("Öppna bestånd…"), "mnuOppna", "Ctrl+O"),
            &QAction::triggered, this, &StandMenu::oppnaBestand);
    connect(addItem(arkiv, QStringLiteral("Öppna fastighet…"), "mnuOppnaFastighet", "Ctrl+Shift+O"),
            &QAction::triggered, this, &StandMenu::oppnaFastighet);
    connect(addItem(arkiv, QStringLiteral("Spara bestånd"), "mnuSpara", "Ctrl+S"),
            &QAction::triggered, this, &StandMenu::sparaBestand);
    connect(addItem(arkiv, QStringLiteral("Spara bestånd som…"), "mnuSparaSom", "Ctrl+Shift+S"),
            &QAction::triggered, this, &StandMenu::sparaBestandSom);
    arkiv->addSeparator();
    connect(addItem(arkiv, QStringLiteral("Avsluta"), "mnuAvsluta", "Ctrl+Q"), &QAction::triggered,
            this, &StandMenu::quitChosen);
    QMenu* hjalp = bar->addMenu(QStringLiteral("&Hjälp"));
    hjalp->setObjectName(QStringLiteral("mnuHjalp"));
    // F1 opens the handbook from every window of the program.
    QAction* handbok = addItem(hjalp, QStringLiteral("Handbok"), "mnuHandbok", "F1");
    handbok->setShortcutContext(Qt::ApplicationShortcut);
    connect(handbok, &QAction::triggered, this, [this] { showHandbook(window_); });
    connect(addItem(hjalp, QStringLiteral("Om Lodra05"), "mnuOm", nullptr), &QAction::triggered,
            this, &StandMenu::omLodra05);

    // The corner: the stand's name, which the tab order does not pass through, and where the
    // latest stand file went.
    auto* corner = new Corner(bar);
    auto* row = new QHBoxLayout(corner);
    row->setContentsMargins(8, 0, 4, 0);
    auto* caption = new QLabel(QStringLiteral("Bestånd:"), corner);
    name_ = new QLineEdit(corner);
    name_->setObjectName(QStringLiteral("txtBestand"));
    // A name of any length is kept whole.
    name_->setMaxLength(std::numeric_limits<int>::max());
    name_->setFocusPolicy(Qt::ClickFocus);
    name_->setMinimumWidth(name_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 20);
    name_->setAccessibleName(caption->text());
    connect(name_, &QLineEdit::textChanged, this, &StandMenu::entriesEdited);
    name_->setToolTip(QStringLiteral("Beståndets namn, fritt text; sparas i kolumnen bestand."));
    caption->setBuddy(name_);
    auto* areaCaption = new QLabel(QStringLiteral("Hektar:"), corner);
    area_ = new QLineEdit(corner);
    area_->setObjectName(QStringLiteral("txtHektar"));
    area_->setFocusPolicy(Qt::ClickFocus);
    area_->setMaximumWidth(area_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 10);
    area_->setAccessibleName(areaCaption->text());
    area_->setToolTip(QStringLiteral(
        "Beståndets areal i hektar (provytan är Areal, i m2); sparas i kolumnen hektar."));
    connect(area_, &QLineEdit::textChanged, this, &StandMenu::entriesEdited);
    areaCaption->setBuddy(area_);
    saved_ = new SavedLine(corner);
    row->addWidget(caption);
    row->addWidget(name_, 1);
    row->addWidget(areaCaption);
    row->addWidget(area_);
    row->addWidget(saved_, 2);
    bar->setCornerWidget(corner);
    corner_ = corner;
    bar_ = bar;
    bar->installEventFilter(this);
}

StandMenu::~StandMenu() {
    // The listing works on what it shares; told to stop, it ends at its next record.
    if (listing_) {
        listing_->watch.cancel = true;
    }
}

bool StandMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == bar_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        // The corner takes what the menus leave of the bar; the saved line shrinks first.
        const QList<QAction*> menus = bar_->actions();
        const int used = menus.isEmpty() ? 0 : bar_->actionGeometry(menus.constLast()).right();
        static_cast<Corner*>(corner_)->wanted = bar_->width() - used - 8;
        corner_->updateGeometry();
    }
    return QObject::eventFilter(watched, event);
}

QString StandMenu::standName() const {
    return name_->text();
}

std::string StandMenu::entriesBytes() const {
    const StandEntries entries = entries_();
    return standFileBytes(entries.input, standName().toStdString(), entries.cells,
                          area_->text().trimmed().toStdString());
}

bool StandMenu::changedSinceFile() const {
    return kept_ && entriesBytes() != *kept_;
}

void StandMenu::entriesEdited() {
    // Worked out only while the line names a file.
    if (!saved_->path().isEmpty()) {
        saved_->setChanged(changedSinceFile());
    }
}

bool StandMenu::mayReplaceEntries() {
    if (!changedSinceFile()) {
        return true;
    }
    const int answer = askQuestion(
        window_, replaceQuestion(),
        {QStringLiteral("Spara"), QStringLiteral("Spara inte"), QStringLiteral("Avbryt")});
    if (answer == 0) {
        // Saved as "Spara bestånd" saves; a save that failed or was not made keeps them.
        sparaBestand();
        return !changedSinceFile();
    }
    return answer == 1;
}

QString StandMenu::replaceQuestion() const {
    const QString file = QString::fromStdString(inQuotes(file_.toStdString()));
    if (fileHoldsOneStand_) {
        return QStringLiteral("Spara ändringarna i %1?").arg(file);
    }
    // "Spara" then asks for a file of the stand's own, as "Spara bestånd" does.
    return QStringLiteral(
               "Beståndet kommer från %1, som har flera bestånd. Spara ändringarna i "
               "en egen fil?")
        .arg(file);
}

void StandMenu::nyttBestand() {
    if (!mayReplaceEntries()) {
        return;
    }
    emit standChosen(InputRecord{}, ChoiceCells{});
    name_->clear();
    area_->clear();
    file_.clear();
    fileState_.reset();
    fileHoldsOneStand_ = false;
    kept_.reset();
    saved_->forget();
}

void StandMenu::oppnaBestand() {
    if (!mayReplaceEntries()) {
        return;
    }
    const QString path =
        run_.saveFolders().chooseOpen(window_, QStringLiteral("Öppna bestånd"), kFilter);
    if (!path.isEmpty()) {
        open(path);
    }
}

void StandMenu::oppnaFastighet() {
    const QString path =
        run_.saveFolders().chooseOpen(window_, QStringLiteral("Öppna fastighet"), kFilter);
    if (!path.isEmpty()) {
        run_.saveFolders().used(path);
        emit propertyChosen(path);
    }
}

void StandMenu::openRow(const QString& path, int row) {
    open(path);
    if (listing_ && listing_->path == path) {
        listing_->row = row;
    }
}

void StandMenu::open(const QString& path) {
    if (listing_) {
        return;
    }
    listing_ = std::make_shared<Listing>();
    listing_->path = path;
    job_.start([listing = listing_] {
        listing->result.emplace(listStands(listing->path.toStdString(), &listing->watch));
    });
    job_.showProgressDialog(
        window_, QStringLiteral("Beståndsfilen läses."), QStringLiteral("lodraOpenProgress"),
        progressDelayMs_, [listing = listing_] {
            const std::uint64_t total = listing->watch.total;
            const std::uint64_t done = std::min<std::uint64_t>(listing->watch.bytes, total);
            return std::pair{total > 0 ? static_cast<int>(done * kSteps / total) : 0, kSteps};
        });
}

void StandMenu::listed() {
    const std::shared_ptr<Listing> listing = std::move(listing_);
    // Stopped with "Avbryt": nothing opens, whether or not the listing had ended.
    if (!listing->watch.cancel) {
        try {
            openListing(*listing);
        } catch (const std::bad_alloc&) {
            showMessage(window_, outOfMemory(listing->path), QMessageBox::Warning);
        }
    }
    emit openEnded();
}

void StandMenu::openListing(Listing& listing) {
    // Only running out of memory keeps the listing from giving a result.
    if (!listing.result) {
        showMessage(window_, outOfMemory(listing.path), QMessageBox::Warning);
    } else if (Result<StandList>& list = *listing.result; !list) {
        showMessage(window_, QString::fromStdString(list.message()), QMessageBox::Warning);
    } else {
        auto shared = std::make_shared<const StandList>(std::move(*list));
        listing.result.reset();
        openListed(listing.path, std::move(shared), listing.row);
    }
}

void StandMenu::openListed(const QString& path, std::shared_ptr<const StandList> list,
                           std::optional<int> row) {
    const bool one = list->size() == 1;
    // Taken when the listing began: a change while the file is read shows as one too.
    const std::optional<FileState> state = list->state();
    int chosen = row ? -1 : 0;
    if (row) {
        for (std::size_t i = 0; i < list->size() && chosen < 0; ++i) {
            if (list->row(i) == *row) {
                chosen = static_cast<int>(i);
            }
        }
        if (chosen < 0) {
            showMessage(window_,
                        QStringLiteral("Rad %1 finns inte längre i beståndsfilen \"%2\".")
                            .arg(*row)
                            .arg(path),
                        QMessageBox::Warning);
            return;
        }
    } else if (!one) {
        chosen = chooseStand(list, path);
    }
    if (chosen < 0) {
        return;
    }
    const Result<PickedStand> picked =
        readListedStand(path.toStdString(), *list, static_cast<std::size_t>(chosen));
    list.reset();
    if (!picked) {
        showMessage(window_, QString::fromStdString(picked.message()), QMessageBox::Warning);
        return;
    }
    run_.saveFolders().used(path);
    file_ = path;
    fileState_ = state;
    fileHoldsOneStand_ = one;
    take(*picked, path);
}

void StandMenu::take(const PickedStand& picked, const QString& path) {
    const StandFile::Stand& stand = picked.stand;
    emit standChosen(withSeparator(stand.input, run_.numberFormat().decimalSeparator()),
                     picked.cells);
    name_->setText(QString::fromStdString(stand.name.value_or(std::string())));
    area_->setText(QString::fromStdString(stand.hektarCell.value_or(std::string())));
    // The line named the file saved before; these entries come from the file opened.
    kept_ = entriesBytes();
    saved_->forget();
    // The entries are shown even so, each cell that cannot be used named; "Beräkna" refuses
    // them until the user makes those choices.
    if (stand.refusal) {
        std::string said;
        for (const std::string& refusal : choiceRefusals(picked.cells)) {
            said += (said.empty() ? "" : "\n") + refusal;
        }
        const std::string row =
            "Rad " + std::to_string(stand.row) + ": " + (said.empty() ? *stand.refusal : said);
        showMessage(window_,
                    QString::fromStdString(standFileError(path.toStdString(), row).message),
                    QMessageBox::Warning);
    }
}

int StandMenu::chooseStand(std::shared_ptr<const StandList> list, const QString& path) {
    StandChooser chooser(std::move(list), window_);
    if (chooser.exec() != QDialog::Accepted) {
        return -1;
    }
    if (chooser.wholeRegister()) {
        emit propertyChosen(path);
        return -1;
    }
    return chooser.chosen();
}

void StandMenu::sparaBestand() {
    if (file_.isEmpty() || !fileHoldsOneStand_) {
        sparaBestandSom();
        return;
    }
    if (stateOf(file_.toStdString()) == fileState_) {
        write(file_, fileState_);
        return;
    }
    switch (askChangedFile()) {
        case ChangedFile::Overwrite:
            write(file_, std::nullopt);
            break;
        case ChangedFile::SaveAs:
            sparaBestandSom();
            break;
        case ChangedFile::Cancel:
            break;
    }
}

StandMenu::ChangedFile StandMenu::askChangedFile() const {
    const QString text = QStringLiteral(
                             "Filen %1 har ändrats sedan beståndet öppnades eller sparades i den, "
                             "kanske av ett annat program. Vill du skriva över den med beståndet i "
                             "fönstret?")
                             .arg(QString::fromStdString(inQuotes(file_.toStdString())));
    const int answer = askQuestion(
        window_, text,
        {QStringLiteral("Skriv över"), QStringLiteral("Spara som…"), QStringLiteral("Avbryt")});
    return answer == 0   ? ChangedFile::Overwrite
           : answer == 1 ? ChangedFile::SaveAs
                         : ChangedFile::Cancel;
}

void StandMenu::sparaBestandSom() {
    QString suggested = standName().trimmed();
    suggested.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("_"));
    const QString path = run_.saveFolders().chooseSave(
        window_, QStringLiteral("Spara bestånd"), kFilter,
        (suggested.isEmpty() ? QStringLiteral("Bestand") : suggested) + QStringLiteral(".csv"));
    if (!path.isEmpty()) {
        saveAs(path);
    }
}

void StandMenu::write(const QString& path, const std::optional<FileState>& unchanged) {
    const std::string bytes = entriesBytes();
    const Result<FileState> written = saveReplacing(path.toStdString(), bytes, unchanged);
    if (!written) {
        showMessage(window_, QString::fromStdString(written.message()), QMessageBox::Warning);
        return;
    }
    run_.saveFolders().used(path);
    file_ = path;
    fileState_ = *written;
    fileHoldsOneStand_ = true;
    kept_ = bytes;
    saved_->saved(path);
}

void StandMenu::omLodra05() {
    showMessage(window_, aboutText(), QMessageBox::Information);
}

}  // namespace lodra
