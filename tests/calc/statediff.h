#pragma once

// The differences between two calculations in every field, status and message, bit for
// bit: the names of the fields that differ, empty when there is none.

#include <bit>
#include <cstdint>
#include <string>

#include "calc/calculation.h"

namespace lodra::testing {

class StateDiff {
  public:
    std::string text;

    void same(const char* name, double a, double b) {
        if (std::bit_cast<std::uint64_t>(a) != std::bit_cast<std::uint64_t>(b)) {
            text += std::string(name) + " ";
        }
    }
    void same(const char* name, long a, long b) {
        if (a != b) {
            text += std::string(name) + " ";
        }
    }
    void same(const char* name, const std::string& a, const std::string& b) {
        if (a != b) {
            text += std::string(name) + " ";
        }
    }
    void same(const char* name, const DiameterList& a, const DiameterList& b) {
        for (int i = 0; i < DiameterList::kSize; ++i) {
            same((std::string(name) + "[" + std::to_string(i) + "]").c_str(), a[i], b[i]);
        }
    }
};

#define LODRA_SAME(part, field) diff.same(#field, a.part field, b.part field)

inline std::string stateDifferences(const StandCalculation& a, const StandCalculation& b) {
    StateDiff diff;
    for (const auto& [name, list] : {std::pair{"diaStart", &StandState::diaStart},
                                     {"dia00", &StandState::dia00},
                                     {"dia05", &StandState::dia05},
                                     {"tradVol00", &StandState::tradVol00},
                                     {"tradVol05", &StandState::tradVol05},
                                     {"diaAvv", &StandState::diaAvv},
                                     {"tradVolAvv", &StandState::tradVolAvv}}) {
        diff.same(name, a.s.*list, b.s.*list);
    }
    for (const auto& [name, count] : {std::pair{"antalTrad", &StandState::antalTrad},
                                      {"antalAvvDirekt", &StandState::antalAvvDirekt},
                                      {"tradNr", &StandState::tradNr},
                                      {"tradslag", &StandState::tradslag},
                                      {"totaltid", &StandState::totaltid},
                                      {"antalCykler", &StandState::antalCykler},
                                      {"antalAvvCykel", &StandState::antalAvvCykel},
                                      {"antalAvverkningar", &StandState::antalAvverkningar}}) {
        diff.same(name, static_cast<long>(a.s.*count), static_cast<long>(b.s.*count));
    }
    LODRA_SAME(s., bonitet), LODRA_SAME(s., areal), LODRA_SAME(s., ranta);
    LODRA_SAME(s., maxRing), LODRA_SAME(s., variation), LODRA_SAME(s., atervandel);
    LODRA_SAME(s., berikning), LODRA_SAME(s., cykTillAvv), LODRA_SAME(s., atgard);
    LODRA_SAME(s., haFaktor), LODRA_SAME(s., atervKostAr1), LODRA_SAME(s., berikKostAr1);
    LODRA_SAME(s., tillvStart), LODRA_SAME(s., ar), LODRA_SAME(s., arsring);
    LODRA_SAME(s., tillvaxt), LODRA_SAME(s., avvDiameter), LODRA_SAME(s., vol00);
    LODRA_SAME(s., vol05), LODRA_SAME(s., cykSedanAvv), LODRA_SAME(s., variBredd);
    LODRA_SAME(s., variFaktor), LODRA_SAME(s., ringMax), LODRA_SAME(s., ringMin);
    LODRA_SAME(s., ringSumma), LODRA_SAME(s., vol00Max), LODRA_SAME(s., vol00Min);
    LODRA_SAME(s., vol00Summa), LODRA_SAME(s., vol05Max), LODRA_SAME(s., vol05Min);
    LODRA_SAME(s., vol05Summa), LODRA_SAME(s., antalAvvTotalt), LODRA_SAME(s., avvDiaSumma);
    LODRA_SAME(s., medeldiameter), LODRA_SAME(s., avvVolTrad), LODRA_SAME(s., avvVolSumma);
    LODRA_SAME(s., nettoTrad), LODRA_SAME(s., nettoAvvSumma), LODRA_SAME(s., atervKostTrad);
    LODRA_SAME(s., atervKostSumma), LODRA_SAME(s., nuvardeTrad), LODRA_SAME(s., nuvardeAvv);
    LODRA_SAME(s., volAvv), LODRA_SAME(s., rojningSumma), LODRA_SAME(s., nettoDirekt);
    LODRA_SAME(s., vardeDirekt);
    LODRA_SAME(economics., nettoPerTrad), LODRA_SAME(economics., rojningKost);
    LODRA_SAME(economics., atervKostTotal), LODRA_SAME(economics., drivningsnetto);
    LODRA_SAME(economics., kassaflode), LODRA_SAME(economics., nuvarde);
    LODRA_SAME(figures., antalTradPerHa), LODRA_SAME(figures., tidMellanAvv);
    LODRA_SAME(figures., arMellanAvv), LODRA_SAME(figures., prodVolymPerAr);
    LODRA_SAME(figures., volymPerAvv), LODRA_SAME(figures., avvTradPerHa);
    LODRA_SAME(figures., ringMedel), LODRA_SAME(figures., vol00Medel);
    LODRA_SAME(figures., vol05Medel);
    return diff.text;
}

#undef LODRA_SAME

inline std::string outcomeDifferences(const Outcome& a, const Outcome& b) {
    StateDiff diff;
    diff.same("status", static_cast<long>(a.status), static_cast<long>(b.status));
    diff.same("message", a.message, b.message);
    diff.same("refusal.field", static_cast<long>(a.refusal.field),
              static_cast<long>(b.refusal.field));
    diff.same("refusal.row", static_cast<long>(a.refusal.row), static_cast<long>(b.refusal.row));
    diff.same("refusal.text", a.refusal.text, b.refusal.text);
    return diff.text;
}

// Runs a stand with the step-by-step and with the fast ring search, each with a generator
// seeded alike, and returns every difference. fast, if given, keeps the fast calculation.
inline std::string searchDifferences(const InputRecord& input, std::uint64_t seed,
                                     StandCalculation* fast = nullptr) {
    StandCalculation literal;
    StandCalculation own;
    StandCalculation& quick = fast != nullptr ? *fast : own;
    SeededRandom literalRandom(seed);
    SeededRandom fastRandom(seed);
    CalcOptions options;
    options.random = &literalRandom;
    options.search = RingSearchMethod::Literal;
    const Outcome a = literal.berakna(input, options);
    options.random = &fastRandom;
    options.search = RingSearchMethod::Fast;
    const Outcome b = quick.berakna(input, options);
    return outcomeDifferences(a, b) + stateDifferences(literal, quick);
}

}  // namespace lodra::testing
