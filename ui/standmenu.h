#pragma once

// The parameters window's menu bar: a stand kept in a stand file ("Arkiv": new, open, save,
// save as, quit) and "Hjälp". The stand's name (the file's bestand column) shows in the bar's
// corner beside the line that says where the entries were saved, and whether they have
// changed since. Entries that came from a stand file or were saved in one, and have changed
// since, are not given up for a new stand or another file without a question.

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <optional>

#include "calc/inputrecord.h"
#include "files/filestate.h"
#include "standfile/standfile.h"
#include "standfile/standsource.h"
#include "ui/backgroundjob.h"

class QLineEdit;
class QMenuBar;

namespace lodra {

class Run;
class SavedLine;

// What a stand file keeps of the entries: their texts and choices, and the choice cells
// still as a stand file held them.
struct StandEntries {
    InputRecord input;
    ChoiceCells cells;
};

class StandMenu : public QObject {
    Q_OBJECT

  public:
    // entries: the entries as they stand, for saving; message boxes and dialogs belong to the
    // run's main window.
    StandMenu(Run& run, QMenuBar* bar, std::function<StandEntries()> entries);
    ~StandMenu() override;

    // The stand's name as the user sees it; empty when it has none.
    QString standName() const;
    // The stand file the stand was opened from or last saved in; empty when there is none.
    QString standFile() const { return file_; }

    // Opens a stand file, letting the user choose when it holds several stands. A file
    // that cannot be read leaves the entries as they are and says why. The file is listed
    // in the background, with progress and "Avbryt" when that takes long; openEnded() says
    // when it is over.
    void open(const QString& path);
    bool isOpening() const { return listing_ != nullptr; }
    // Opens the stand of that row of a register, as open() does without asking which.
    void openRow(const QString& path, int row);

    // A listing that runs longer than this shows its progress and "Avbryt".
    void setProgressDelay(int milliseconds) { progressDelayMs_ = milliseconds; }
    // Where files are listed: one thread of its own, beside the calculation's.
    QThreadPool& listingPool() { return *job_.pool(); }
    // Writes the entries as a stand file.
    void saveAs(const QString& path) { write(path, std::nullopt); }

    QLineEdit* nameField() const { return name_; }
    // The stand's area in hectares as the user wrote it (the stand file's hektar column).
    QLineEdit* areaField() const { return area_; }
    SavedLine* savedLine() const { return saved_; }

    // The entries were edited: the saved line follows. (The stand's name is watched here.)
    void entriesEdited();
    // Whether the entries differ from what the stand file they came from or were saved in
    // holds of them; false when no stand file holds them.
    bool changedSinceFile() const;

  signals:
    // "Avsluta" was chosen.
    void quitChosen();
    // The whole register at path is to be shown in the property window: chosen with "Öppna
    // fastighet…" or with "Hela registret" in the pick list.
    void propertyChosen(const QString& path);
    // An open() has ended: opened, refused, failed or stopped.
    void openEnded();
    // The entries to show: those of a stand opened, or the initial ones for a new stand. A
    // choice cell that kept holds stays as written until the user makes that choice.
    void standChosen(const InputRecord& input, const ChoiceCells& kept);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Before other entries replace these: asks whether to save their changes since the stand
    // file. True when the entries may go: nothing to ask, saved, or "Spara inte".
    bool mayReplaceEntries();
    QString replaceQuestion() const;
    // What a stand file would hold of the entries as they stand.
    std::string entriesBytes() const;
    void nyttBestand();
    void oppnaBestand();
    void oppnaFastighet();
    void sparaBestand();
    void sparaBestandSom();
    void omLodra05();
    struct Listing;
    // The listing has ended: the stand to open is chosen and read.
    void listed();
    void openListing(Listing& listing);
    void openListed(const QString& path, std::shared_ptr<const StandList> list,
                    std::optional<int> row);
    // The stand of the register the user chooses; -1 when the user chose none or the whole
    // register.
    int chooseStand(std::shared_ptr<const StandList> list, const QString& path);
    void take(const PickedStand& picked, const QString& path);
    // Writes the entries as a stand file, unless the file there is no longer in the state
    // unchanged (when given).
    void write(const QString& path, const std::optional<FileState>& unchanged);
    // What "Spara bestånd" does with a stand file that changed since it was opened or saved.
    enum class ChangedFile { Overwrite, SaveAs, Cancel };
    ChangedFile askChangedFile() const;

    Run& run_;
    QWidget* window_;
    std::function<StandEntries()> entries_;
    QMenuBar* bar_;
    QWidget* corner_;
    QLineEdit* name_;
    QLineEdit* area_;
    SavedLine* saved_;
    QString file_;
    std::optional<FileState> fileState_;  // file_ as it was opened or last saved
    // What a stand file would have held of the entries when they were opened or last saved;
    // none while no stand file holds them.
    std::optional<std::string> kept_;
    bool fileHoldsOneStand_ = false;
    std::shared_ptr<Listing> listing_;  // while a file is listed
    int progressDelayMs_;
    BackgroundJob job_;
};

// What "Om Lodra05" says.
QString aboutText();

}  // namespace lodra
