#pragma once

// What the windows (or the batch tool) hand to the calculation: the parameter texts in
// the window's order, the two option choices and the ten tree rows. The member
// initialisers are the windows' initial entries, so InputRecord{} is the default stand.

#include <array>
#include <string>
#include <string_view>

namespace lodra {

// The parameters' initial entries (kParameterTable holds them with the rest of each one's facts).
inline constexpr std::string_view kInitialTotaltid = "250";   // years
inline constexpr std::string_view kInitialBonitet = "4";      // m3sk per year and ha
inline constexpr std::string_view kInitialAreal = "50";       // m2
inline constexpr std::string_view kInitialRanta = "3";        // %
inline constexpr std::string_view kInitialMaxRing = "5";      // mm
inline constexpr std::string_view kInitialVariation = "0";    // %
inline constexpr std::string_view kInitialAtervandel = "15";  // %
inline constexpr std::string_view kInitialBerikning = "50";   // %
inline constexpr std::string_view kInitialCykTillAvv = "2";   // five-year cycles

struct TreeRow {
    std::string text;       // diameter text (cm), UTF-8; empty = no tree
    bool avverkas = false;  // "Avverkas direkt": felled at once
};

struct InputRecord {
    std::string totaltid{kInitialTotaltid};
    std::string bonitet{kInitialBonitet};
    std::string areal{kInitialAreal};
    std::string ranta{kInitialRanta};
    std::string maxRing{kInitialMaxRing};
    bool optTall = false;
    bool optGran = true;
    bool optLov = false;
    std::string variation{kInitialVariation};
    std::string atervandel{kInitialAtervandel};
    bool optGallring = true;
    bool optKalavv = false;
    std::string berikning{kInitialBerikning};
    std::string cykTillAvv{kInitialCykTillAvv};
    std::array<TreeRow, 10> rows{{{"45", true}, {"35", false}, {"1", false}, {"1", false}}};
};

}  // namespace lodra
