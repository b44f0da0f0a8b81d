#pragma once

// The folder chooser: asks once per run for the folder that result files are saved in, and
// again when that folder can no longer take them. A drive list of the mounted file systems, a
// folder list around one current folder, and "OK", which hides the chooser and reports the
// current folder; a folder that no longer exists is never reported.

#include <QModelIndex>
#include <QString>
#include <memory>

#include "ui/runwindow.h"

class QFileSystemModel;

namespace Ui {
class forCatalog;
}

namespace lodra {

class FolderChainFilter;
class WindowLook;

class forCatalog : public RunWindow {
    Q_OBJECT

  public:
    // Built in the look of the run's windows.
    explicit forCatalog(const WindowLook& look, QWidget* parent = nullptr);
    ~forCatalog() override;

    // The folder the folder list has open (not a merely highlighted entry).
    QString path() const { return path_; }
    // Opens a folder in the folder list, as a double click on it does.
    void setPath(const QString& folder);
    // The folder list's entry of a folder, or an invalid index while it is not listed.
    QModelIndex entryOf(const QString& folder) const;

  signals:
    // The folder list opened another folder.
    void pathChanged(const QString& folder);
    // "OK" was clicked on this folder; the chooser is hidden.
    void folderChosen(const QString& folder);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void cmdOK_Click();
    // Opens the nearest folder above the open one that still exists, when the open one does
    // not; true when it did.
    bool leaveVanishedFolder();
    void Dir1_DblClick(const QModelIndex& entry);
    void fillDrives();
    void showChain();

    std::unique_ptr<Ui::forCatalog> ui;
    QFileSystemModel* folders_ = nullptr;
    FolderChainFilter* chain_ = nullptr;
    QString path_;
};

}  // namespace lodra
