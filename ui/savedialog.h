#pragma once

// The run's file dialogs, and the line a window shows after it saved a file. Save dialogs
// open in the result folder once the user has chosen one, else in the folder a file was last
// saved in or opened from during the run, else in the working folder.

#include <QLabel>
#include <QString>
#include <string>

class QWidget;

namespace lodra {

class SaveFolders {
  public:
    // resultFolder: the run's result folder, empty until chosen; it must outlive this.
    explicit SaveFolders(const std::string& resultFolder) : resultFolder_(resultFolder) {}

    // Where the next dialog opens.
    QString startFolder() const;

    // Asks for the name of a file to save, offering name (which gives the suffix the file
    // gets when the user types none) in the start folder. Empty when the user gave none.
    QString chooseSave(QWidget* parent, const QString& title, const QString& filter,
                       const QString& name);
    // Asks for an existing file to open. Empty when the user chose none.
    QString chooseOpen(QWidget* parent, const QString& title, const QString& filter);

    // A file was saved or opened here: later dialogs open in its folder (unless a result
    // folder has been chosen).
    void used(const QString& path);

  private:
    const std::string& resultFolder_;
    QString last_;
};

// The one line under a window's buttons that says where its latest file went: the whole
// path in its tooltip, elided in the middle where the line is too narrow.
class SavedLine : public QLabel {
    Q_OBJECT

  public:
    explicit SavedLine(QWidget* parent = nullptr);

    // Says that the file at path was saved.
    void saved(const QString& path);
    // Says whether what the window shows has changed since it was saved in path() (true), or
    // is as saved again (false).
    void setChanged(bool changed);
    // Says nothing: what the window shows no longer comes from the file saved.
    void forget();
    QString path() const { return path_; }
    bool isChanged() const { return changed_; }

    // "Sparades i …", and "Ändrat sedan det sparades i …".
    static QString textFor(const QString& path);
    static QString changedTextFor(const QString& path);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The line and its tooltip say fullText().
    void say();
    QString fullText() const;
    void elide();
    QString path_;
    bool changed_ = false;
};

}  // namespace lodra
