#pragma once

// One run of the program: the calculation and the texts of every calculation since the
// program started. The desktop program and the batch tool both calculate through berakna().

#include <string>

#include "calc/calculation.h"

namespace lodra {

class Session {
  public:
    StandCalculation calculation;
    std::string Indata;      // screen input summary of the latest calculation
    std::string Resultat;    // screen result text of the latest calculation
    std::string prIndata;    // file input summaries of every calculation of the run
    std::string prResultat;  // file result texts of every calculation of the run

    // Calculates one stand and builds its texts. Only a calculation that succeeded whole
    // changes the texts: Indata and Resultat are replaced, and one block is appended to
    // prIndata and to prResultat.
    Outcome berakna(const InputRecord& input, const CalcOptions& options);

    // The bytes of a saved result file: prIndata, CR LF, prResultat, CR LF, in Windows-1252.
    std::string fileBytes() const;
};

}  // namespace lodra
