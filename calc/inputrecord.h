#pragma once

// What the windows (or the batch tool) hand to the calculation: the parameter texts in
// the window's order, the two option choices and the tree rows. The member initialisers
// are the windows' initial entries, so InputRecord{} is the default stand.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lodra {

// The rows of sample trees a stand has: the trees window's rows, a stand file's dia and avv
// columns.
inline constexpr std::size_t kTreeRows = 10;
// The names the stand file's tree columns start with: dia1 to dia10, avv1 to avv10.
inline constexpr std::string_view kDiameterColumn = "dia";
inline constexpr std::string_view kMarkColumn = "avv";

// The tree species: one of the window's options, a stand file's tradslag cell.
enum class Species : std::uint8_t { tall, gran, lov };
// The felling measure: one of the window's options, a stand file's atgard cell.
enum class Measure : std::uint8_t { gallring, kalavverkning };

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
    Species species = Species::gran;
    std::string variation{kInitialVariation};
    std::string atervandel{kInitialAtervandel};
    Measure measure = Measure::gallring;
    std::string berikning{kInitialBerikning};
    std::string cykTillAvv{kInitialCykTillAvv};
    std::array<TreeRow, kTreeRows> rows{{{"45", true}, {"35", false}, {"1", false}, {"1", false}}};
};

}  // namespace lodra
