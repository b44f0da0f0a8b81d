#pragma once

// What the windows (or the batch tool) hand to the calculation: the parameter texts in
// the window's order, the two option choices and the ten tree rows. The member
// initialisers are the windows' initial entries, so InputRecord{} is the default stand.

#include <array>
#include <string>

namespace lodra {

struct TreeRow {
    std::string text;       // diameter text (cm), UTF-8; empty = no tree
    bool avverkas = false;  // "Avverkas direkt": felled at once
};

struct InputRecord {
    std::string totaltid = "250";  // years
    std::string bonitet = "4";     // m3sk per year and ha
    std::string areal = "50";      // m2
    std::string ranta = "3";       // %
    std::string maxRing = "5";     // mm
    bool optTall = false;
    bool optGran = true;
    bool optLov = false;
    std::string variation = "0";    // %
    std::string atervandel = "15";  // %
    bool optGallring = true;
    bool optKalavv = false;
    std::string berikning = "50";  // %
    std::string cykTillAvv = "2";  // five-year cycles
    std::array<TreeRow, 10> rows{{{"45", true}, {"35", false}, {"1", false}, {"1", false}}};
};

}  // namespace lodra
