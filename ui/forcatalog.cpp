#include "ui/forcatalog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStorageInfo>
#include <QStyle>

#include "base/quote.h"
#include "ui/messages.h"
#include "ui/windowlook.h"
#include "ui_forcatalog.h"

namespace lodra {

// Keeps of the file-system tree only the folders the folder list shows: the parents of the
// current folder, the current folder itself, and its subfolders.
class FolderChainFilter : public QSortFilterProxyModel {
  public:
    explicit FolderChainFilter(QObject* parent) : QSortFilterProxyModel(parent) {}

    void setCurrent(const QString& folder) {
        current_ = folder;
        invalidateFilter();
    }

    // As a directory list draws them: the current folder and the folders above it stand
    // open, its subfolders closed.
    QVariant data(const QModelIndex& entry, int role) const override {
        if (role != Qt::DecorationRole || entry.column() != 0) {
            return QSortFilterProxyModel::data(entry, role);
        }
        const auto* model = static_cast<const QFileSystemModel*>(sourceModel());
        const QString folder = model->filePath(mapToSource(entry));
        const bool open = folder == current_ || isAbove(folder, current_);
        return QApplication::style()->standardIcon(open ? QStyle::SP_DirOpenIcon
                                                        : QStyle::SP_DirClosedIcon);
    }

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override {
        const auto* model = static_cast<const QFileSystemModel*>(sourceModel());
        const QString folder = model->filePath(model->index(sourceRow, 0, sourceParent));
        if (folder == current_ || isAbove(folder, current_)) {
            return true;
        }
        // Hidden subfolders stay out of the list; a hidden folder on the way down shows.
        return sourceParent.isValid() && model->filePath(sourceParent) == current_ &&
               !model->fileName(model->index(sourceRow, 0, sourceParent))
                    .startsWith(QLatin1Char('.'));
    }

  private:
    static bool isAbove(const QString& upper, const QString& lower) {
        if (upper.endsWith(QLatin1Char('/'))) {  // the root
            return lower.startsWith(upper);
        }
        return lower.startsWith(upper + QLatin1Char('/'));
    }

    QString current_;
};

forCatalog::forCatalog(const WindowLook& look, QWidget* parent)
    : RunWindow(parent), ui(std::make_unique<Ui::forCatalog>()) {
    look.setUp(*ui, this);

    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    folders_->setReadOnly(true);
    folders_->setRootPath(QDir::rootPath());
    chain_ = new FolderChainFilter(this);
    chain_->setSourceModel(folders_);
    chain_->setSortCaseSensitivity(Qt::CaseInsensitive);
    chain_->sort(0, Qt::AscendingOrder);
    ui->Dir1->setModel(chain_);
    for (int column = 1; column < folders_->columnCount(); ++column) {
        ui->Dir1->hideColumn(column);
    }
    ui->Dir1->setStyleSheet(QStringLiteral("QTreeView::branch { image: none; }"));
    ui->Dir1->installEventFilter(this);

    fillDrives();

    connect(ui->Dir1, &QTreeView::doubleClicked, this, &forCatalog::Dir1_DblClick);
    connect(ui->cmdOK, &QPushButton::clicked, this, &forCatalog::cmdOK_Click);
    // Subfolders arrive from the model's own thread; open the chain again when they do.
    connect(folders_, &QFileSystemModel::directoryLoaded, this, [this] { showChain(); });

    setPath(QDir::currentPath());
    ui->Drive1->setFocus();
}

forCatalog::~forCatalog() = default;

void forCatalog::fillDrives() {
    const QString here = QStorageInfo(QDir::currentPath()).rootPath();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) {
            ui->Drive1->addItem(QDir::toNativeSeparators(volume.rootPath()), volume.rootPath());
        }
    }
    const int current = ui->Drive1->findData(here);
    if (current >= 0) {
        ui->Drive1->setCurrentIndex(current);
    }
}

void forCatalog::setPath(const QString& folder) {
    const QString opened = QDir::cleanPath(QDir(folder).absolutePath());
    if (opened == path_) {
        return;
    }
    path_ = opened;
    chain_->setCurrent(path_);
    showChain();
    ui->Dir1->setCurrentIndex(entryOf(path_));
    ui->Dir1->viewport()->update();  // the open and closed icons follow the current folder
    // The folder that "OK" stores, always on screen; its end, the open folder's own name,
    // in view.
    ui->txtKatalog->setText(QDir::toNativeSeparators(path_));
    ui->txtKatalog->setToolTip(plainToolTip(ui->txtKatalog->text()));
    ui->txtKatalog->end(false);
    emit pathChanged(path_);
}

QModelIndex forCatalog::entryOf(const QString& folder) const {
    return chain_->mapFromSource(folders_->index(folder));
}

void forCatalog::showChain() {
    // Every folder from the root down to the current one stands open.
    QModelIndex entry = entryOf(path_);
    while (entry.isValid()) {
        ui->Dir1->expand(entry);
        entry = entry.parent();
    }
    if (const QModelIndex current = entryOf(path_); current.isValid()) {
        ui->Dir1->scrollTo(current);
    }
}

void forCatalog::Dir1_DblClick(const QModelIndex& entry) {
    if (entry.isValid()) {
        setPath(folders_->filePath(chain_->mapToSource(entry)));
    }
}

bool forCatalog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Dir1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Dir1_DblClick(ui->Dir1->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void forCatalog::showEvent(QShowEvent* event) {
    RunWindow::showEvent(event);
    // Shown again after the folder went away while it was hidden: not offered again.
    leaveVanishedFolder();
}

bool forCatalog::leaveVanishedFolder() {
    QString folder = path_;
    while (!QFileInfo(folder).isDir()) {
        const QString above = QFileInfo(folder).path();
        if (above == folder) {
            return false;  // not even the root: nothing better to offer
        }
        folder = above;
    }
    if (folder == path_) {
        return false;
    }
    setPath(folder);
    return true;
}

void forCatalog::cmdOK_Click() {
    const QString open = path_;
    if (leaveVanishedFolder()) {
        showMessage(this,
                    QStringLiteral("Mappen %1 finns inte längre. Välj en annan mapp.")
                        .arg(QString::fromStdString(
                            inQuotes(QDir::toNativeSeparators(open).toStdString()))),
                    QMessageBox::Warning);
        return;
    }
    hide();
    emit folderChosen(path_);
}

}  // namespace lodra
