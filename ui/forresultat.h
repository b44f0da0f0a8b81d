#pragma once

// The result window: the two texts of the latest calculation, and the saving of every
// calculation of the run to a numbered result file.

#include <memory>
#include <string>

#include "ui/runwindow.h"

class QPlainTextEdit;

namespace Ui {
class forResultat;
}

namespace lodra {

class Run;

class forResultat : public RunWindow {
    Q_OBJECT

  public:
    // Saves the run's session, in the run's result folder.
    explicit forResultat(Run& run, QWidget* parent = nullptr);
    ~forResultat() override;

    // Replaces what both boxes hold by the screen texts of a calculation.
    void showTexts(const std::string& indata, const std::string& resultat);

    // Saves the file texts of every calculation of the run into the next numbered result
    // file of the chosen folder and tells the user where, or what failed. Reads nothing
    // from the boxes, so it works whether the window is shown or not.
    void saveToFile();

  private:
    void cmdSpara_Click();
    void cmdUtveckling_Click();

    Run& run_;
    std::unique_ptr<Ui::forResultat> ui;
};

}  // namespace lodra
