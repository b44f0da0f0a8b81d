#pragma once

// The nine parameters of a stand, one row each: every front end reads what it says about a
// parameter from here (the window's entries and messages, the stand file's columns, the
// batch tool's messages and help). The limits are the intake's own: its checks and the
// texts below are made from the same numbers.

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/refusal.h"
#include "calc/inputrecord.h"

namespace lodra {

// The limits the intake holds the numbers to.
inline constexpr int kHorizonMin = 1;      // years
inline constexpr int kHorizonMax = 32767;  // years, the largest the year counter holds
inline constexpr int kBonitetMin = 0;      // m3sk per year and ha
inline constexpr int kArealAbove = 0;      // m2
// The interest rates (%) the felling diameter is defined for.
inline constexpr std::array<int, 4> kRates = {2, 3, 4, 5};
inline constexpr int kMaxRingMax = 100;  // mm

inline constexpr bool isRate(double ranta) {
    return std::find(kRates.begin(), kRates.end(), ranta) != kRates.end();
}

// A text put together at compile time from literal pieces and whole numbers.
class FixedText {
  public:
    constexpr std::string_view view() const { return {text_.data(), size_}; }
    constexpr const char* c_str() const { return text_.data(); }

    constexpr FixedText& operator+=(std::string_view piece) {
        for (const char c : piece) {
            text_.at(size_++) = c;
        }
        return *this;
    }
    constexpr FixedText& operator+=(int number) {
        std::array<char, 12> digits{};
        std::size_t n = 0;
        for (unsigned rest = static_cast<unsigned>(number < 0 ? -number : number); n == 0 || rest;
             rest /= 10) {
            digits.at(n++) = static_cast<char>('0' + rest % 10);
        }
        if (number < 0) {
            digits.at(n++) = '-';
        }
        while (n > 0) {
            text_.at(size_++) = digits[--n];
        }
        return *this;
    }
    // The items of a list, "2, 3, 4 och 5" with last " och "; of a table of named rows, the
    // names.
    template <class Item, std::size_t N>
    constexpr FixedText& list(const std::array<Item, N>& items, std::string_view last) {
        for (std::size_t i = 0; i < N; ++i) {
            *this += i == 0 ? "" : i + 1 == N ? last : ", ";
            if constexpr (requires { items[i].name; }) {
                *this += items[i].name;
            } else {
                *this += items[i];
            }
        }
        return *this;
    }

  private:
    std::array<char, 128> text_{};  // NUL-terminated: one more than the longest text
    std::size_t size_ = 0;
};

template <class... Pieces>
constexpr FixedText joined(const Pieces&... pieces) {
    FixedText text;
    (text += ... += pieces);
    return text;
}

// The sentences of the intake's refusals, one for each limit.
inline constexpr FixedText kHorizonBroken =
    joined("Antalet år måste vara ett heltal från ", kHorizonMin, " till ", kHorizonMax, ".");
inline constexpr FixedText kBonitetBroken = joined("Boniteten får inte vara negativ.");
inline constexpr FixedText kArealBroken =
    joined("Arealen måste vara större än ", kArealAbove, " m2.");
inline constexpr FixedText kRateBroken =
    joined("Avverkningsdiametern finns bara för räntekraven ").list(kRates, " och ") += " %.";
inline constexpr FixedText kMaxRingBroken =
    joined("Den största tänkbara årsringen får vara högst ", kMaxRingMax, " mm.");

// The names of a choice's options, as the windows' options, the stand file's cells and the
// texts say them.
template <class Choice>
struct ChoiceName {
    Choice choice;
    std::string_view name;
};

// In the order the texts list them.
inline constexpr std::array<ChoiceName<Species>, 3> kSpeciesNames = {{
    {Species::tall, "Tall"},
    {Species::gran, "Gran"},
    {Species::lov, "Löv"},
}};
inline constexpr std::array<ChoiceName<Measure>, 2> kMeasureNames = {{
    {Measure::kalavverkning, "Kalavverkning"},
    {Measure::gallring, "Gallring och plockhuggning"},
}};

template <class Choice, std::size_t N>
constexpr std::string_view nameIn(const std::array<ChoiceName<Choice>, N>& names, Choice choice) {
    for (const ChoiceName<Choice>& row : names) {
        if (row.choice == choice) {
            return row.name;
        }
    }
    return {};
}
template <class Choice, std::size_t N>
constexpr std::optional<Choice> choiceIn(const std::array<ChoiceName<Choice>, N>& names,
                                         std::string_view name) {
    for (const ChoiceName<Choice>& row : names) {
        if (row.name == name) {
            return row.choice;
        }
    }
    return std::nullopt;
}

constexpr std::string_view nameOf(Species species) {
    return nameIn(kSpeciesNames, species);
}
constexpr std::string_view nameOf(Measure measure) {
    return nameIn(kMeasureNames, measure);
}
// The option of a name written exactly so; none for any other text.
constexpr std::optional<Species> speciesNamed(std::string_view name) {
    return choiceIn(kSpeciesNames, name);
}
constexpr std::optional<Measure> measureNamed(std::string_view name) {
    return choiceIn(kMeasureNames, name);
}

// The choices' columns in a stand file, each with its names listed as the help and the
// refusals say them ("Tall, Gran eller Löv"), and the parameter the window shows it after.
struct ChoiceColumn {
    std::string_view column;
    std::string_view names;
    InputField after;
};
namespace choicenames {
inline constexpr FixedText species = FixedText().list(kSpeciesNames, " eller ");
inline constexpr FixedText measure = FixedText().list(kMeasureNames, " eller ");
}  // namespace choicenames
inline constexpr ChoiceColumn kSpeciesColumn{"tradslag", choicenames::species.view(),
                                             InputField::maxRing};
inline constexpr ChoiceColumn kMeasureColumn{"atgard", choicenames::measure.view(),
                                             InputField::atervandel};
inline constexpr std::array<ChoiceColumn, 2> kChoiceColumns = {kSpeciesColumn, kMeasureColumn};

struct ParameterRow {
    InputField field;
    std::string_view column;           // its column in a stand file
    std::string_view caption;          // names it in the windows' messages
    std::string InputRecord::*member;  // its text in the input record
    std::string_view initial;          // the entry the windows start with
    std::string_view rule;             // what is accepted, with the unit: a tooltip, a help line
};

namespace parameterrules {
inline constexpr FixedText totaltid =
    joined("Antal år, ett heltal från ", kHorizonMin, " till ", kHorizonMax);
inline constexpr FixedText bonitet =
    joined("Bonitet i m3sk per år och ha: ", kBonitetMin, " eller mer");
inline constexpr FixedText areal = joined("Provytans areal i m2: större än ", kArealAbove);
inline constexpr FixedText ranta = joined("Räntekrav i procent: ").list(kRates, " eller ");
inline constexpr FixedText maxRing = joined("Största tänkbara årsring i mm: högst ", kMaxRingMax);
// A tree row: the intake takes any number, and an empty row is no tree.
inline constexpr std::string_view treeDiameter =
    "Trädets diameter i cm: ett tal; en tom ruta är inget träd";
inline constexpr std::string_view treeFelled = "Kryssa i för ett träd som avverkas direkt";
}  // namespace parameterrules

// In the order of the parameters window, which is the order the intake checks them in.
// The captions are the window's labels cut where a label runs on into advice; the window
// test of the captions holds each against its label.
inline constexpr std::array<ParameterRow, 9> kParameterTable = {{
    {InputField::totaltid, "totaltid", "Antal år som nuvärdet ska omfatta", &InputRecord::totaltid,
     kInitialTotaltid, parameterrules::totaltid.view()},
    {InputField::bonitet, "bonitet", "Bonitet ( m3sk per år och ha )", &InputRecord::bonitet,
     kInitialBonitet, parameterrules::bonitet.view()},
    {InputField::areal, "areal", "Provytans areal ( m2 )", &InputRecord::areal, kInitialAreal,
     parameterrules::areal.view()},
    {InputField::ranta, "ranta", "Räntekrav ( % )", &InputRecord::ranta, kInitialRanta,
     parameterrules::ranta.view()},
    {InputField::maxRing, "maxRing", "Största tänkbara årsring i mm", &InputRecord::maxRing,
     kInitialMaxRing, parameterrules::maxRing.view()},
    {InputField::variation, "variation", "Variation i diametertillväxt", &InputRecord::variation,
     kInitialVariation, "Slumpvis ändring av diametertillväxten i procent: ett tal, 0 = ingen"},
    {InputField::atervandel, "atervandel",
     "Andel av återväxtkostnaden som skall debiteras år 1, 100 = hela", &InputRecord::atervandel,
     kInitialAtervandel, "Andel av återväxtkostnaden som debiteras år 1, i procent: ett tal"},
    {InputField::berikning, "berikning",
     "Procent av antal plantor per hektar (berikande plantering)", &InputRecord::berikning,
     kInitialBerikning, "Berikande plantering i procent av antal plantor per hektar: ett tal"},
    {InputField::cykTillAvv, "cykTillAvv", "Cykler (5-åriga) till nästa avverkning",
     &InputRecord::cykTillAvv, kInitialCykTillAvv,
     "Femåriga cykler till nästa avverkning: ett tal"},
}};

// The row of a parameter; null for InputField::None and a tree row.
constexpr const ParameterRow* parameterRow(InputField field) {
    for (const ParameterRow& row : kParameterTable) {
        if (row.field == field) {
            return &row;
        }
    }
    return nullptr;
}

// What a parameter's entry accepts, with the unit; empty for a field that is no parameter.
constexpr std::string_view parameterRule(InputField field) {
    const ParameterRow* row = parameterRow(field);
    return row != nullptr ? row->rule : std::string_view();
}

}  // namespace lodra
