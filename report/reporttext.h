#pragma once

// The input summary and the result text of one calculation, in their screen and file forms.

#include <string>

#include "calc/calculation.h"

namespace lodra {

struct ReportBlocks {
    std::string indata;      // screen form of the input summary
    std::string prIndata;    // file form of the input summary
    std::string resultat;    // screen form of the result text
    std::string prResultat;  // file form of the result text
};

// The four texts appended to the ends of the strings of to, which keep what they hold.
// Texts are UTF-8 with CR LF line breaks and tabs.
void appendReport(const StandCalculation& calc, char decimalSeparator, ReportBlocks& to);
// The file forms alone, as the bytes a result file holds (Windows-1252), for a run that
// shows no screen.
void appendFileBytes(const StandCalculation& calc, char decimalSeparator, std::string& prIndata,
                     std::string& prResultat);

}  // namespace lodra
