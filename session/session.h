#pragma once

// One run of the program: the calculation and the texts of every calculation since the
// program started. The desktop program and the batch tool both calculate through berakna().

#include <string>

#include "calc/calculation.h"

namespace lodra {

class Session {
  public:
    explicit Session(char decimalSeparator) : decimalSeparator(decimalSeparator) {}

    // The run's number format, decided once by the front end from the regional settings
    // and fixed for the run: the decimal separator the entries are read with (besides '.')
    // and the texts written with.
    const char decimalSeparator;
    // What berakna builds: the screen texts and the file texts in UTF-8 (the windows), or
    // the file texts alone as the bytes a result file holds, in Windows-1252 (a run that
    // shows no screen: the batch tool), or none (a property, which shows only figures).
    enum class Texts { screenAndFile, fileBytes, none };
    Texts texts = Texts::screenAndFile;
    StandCalculation calculation;
    std::string Indata;      // screen input summary of the latest calculation
    std::string Resultat;    // screen result text of the latest calculation
    std::string prIndata;    // file input summaries of every calculation of the run
    std::string prResultat;  // file result texts of every calculation of the run

    // Calculates one stand and builds its texts. Only a calculation that succeeded whole
    // changes the texts: Indata and Resultat are replaced (with the screen texts), and one
    // block is appended to prIndata and to prResultat. The entries are read with the run's
    // decimal separator.
    Outcome berakna(const InputRecord& input, const CalcOptions& options);

    // The bytes of a saved result file: prIndata, CR LF, prResultat, CR LF, in Windows-1252
    // (of the texts in UTF-8).
    std::string fileBytes() const;

  private:
    void appendTexts();
    void appendFileBytes();

    // The screen texts before the latest ones, kept for their capacity: the next
    // calculation writes into them instead of allocating.
    std::string spareIndata_;
    std::string spareResultat_;
};

}  // namespace lodra
