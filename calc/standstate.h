#pragma once

// Every number of one stand calculation. Procedures of StandCalculation exchange
// everything through these fields. Units: diameters cm, annual rings mm, volumes m3sk,
// money kr (Swedish crowns), areas m2, time years, rates and shares per cent.

#include <cstdint>

#include "calc/diameterlist.h"
#include "calc/inputrecord.h"

namespace lodra {

// The species as the state holds it (tradslag): 1 Tall, 2 Gran, 3 Löv.
constexpr std::int16_t speciesCode(Species species) {
    return static_cast<std::int16_t>(static_cast<int>(species) + 1);
}
// The species of a code; any other code is read as pine.
constexpr Species speciesOfCode(std::int16_t tradslag) {
    return tradslag == 2 ? Species::gran : tradslag == 3 ? Species::lov : Species::tall;
}
// The measure as the state holds it (atgard): 1.0 Kalavverkning, 0.0 Gallring och plockhuggning.
constexpr double measureCode(Measure measure) {
    return measure == Measure::kalavverkning ? 1.0 : 0.0;
}
constexpr Measure measureOfCode(double atgard) {
    return atgard == 1.0 ? Measure::kalavverkning : Measure::gallring;
}

struct StandState {
    // Diameter and volume lists, used 1..antalTrad or 1..antalAvvDirekt.
    DiameterList diaStart;    // cm, trees left to grow, as entered
    DiameterList dia00;       // cm, at the start of the current cycle
    DiameterList dia05;       // cm, after the five years of growth of the cycle
    DiameterList tradVol00;   // m3sk per tree of dia00
    DiameterList tradVol05;   // m3sk per tree of dia05
    DiameterList diaAvv;      // cm, trees felled at once
    DiameterList tradVolAvv;  // m3sk per tree of diaAvv

    // Tree counts and codes (16-bit).
    int16_t antalTrad = 0;          // trees left to grow, at most 10
    int16_t antalAvvDirekt = 0;     // trees felled at once, at most 10
    int16_t tradNr = 0;             // loop index of the list procedures
    int16_t tradslag = 0;           // 1 Tall, 2 Gran, 3 Löv
    int16_t totaltid = 0;           // years the present value covers
    int16_t antalCykler = 0;        // five-year cycles run
    int16_t antalAvvCykel = 0;      // trees felled at the end of the current cycle
    int16_t antalAvverkningar = 0;  // cycle ends at which at least one tree was felled

    // Parameters.
    double bonitet = 0;     // m3sk per year and ha, site index
    double areal = 0;       // m2, sample plot
    double ranta = 0;       // %, required interest rate
    double maxRing = 0;     // mm, largest possible annual ring
    double variation = 0;   // %, random variation of diameter growth
    double atervandel = 0;  // %, share of the regeneration cost charged in year 1
    double berikning = 0;   // %, enrichment planting
    double cykTillAvv = 0;  // five-year cycles to the next felling and between fellings
    double atgard = 0;      // 1.0 Kalavverkning, 0.0 Gallring och plockhuggning

    // Derived once per calculation.
    double haFaktor = 0;      // trees per ha that one plot tree stands for: 10000 / areal
    double atervKostAr1 = 0;  // kr/ha, regeneration cost in year 1 (clear-felling)
    double berikKostAr1 = 0;  // kr/ha, enrichment planting cost in year 1 (thinning)
    double tillvStart = 0;    // m3sk per year and ha, start value of each ring search

    // Cycle state.
    double ar = 0;           // years, at the start of the current cycle
    double arsring = 0;      // mm, annual ring of the current cycle
    double tillvaxt = 0;     // m3sk per year and ha, growth at the last ring tried
    double avvDiameter = 0;  // cm, felling diameter
    double vol00 = 0;        // m3sk/ha of dia00
    double vol05 = 0;        // m3sk/ha of dia05
    double cykSedanAvv = 0;  // cycles since the last felling cycle
    double variBredd = 0;    // cm, width of the random diameter change
    double variFaktor = 0;   // 1 plus the random change of the tree being handled

    // Statistics over the cycles.
    double ringMax = 0, ringMin = 0, ringSumma = 0;     // mm
    double vol00Max = 0, vol00Min = 0, vol00Summa = 0;  // m3sk/ha
    double vol05Max = 0, vol05Min = 0, vol05Summa = 0;  // m3sk/ha

    // Fellings at cycle ends, per sample plot.
    double antalAvvTotalt = 0;  // trees (a count held as a double)
    double avvDiaSumma = 0;     // cm
    double medeldiameter = 0;   // cm
    double avvVolTrad = 0;      // m3sk
    double avvVolSumma = 0;     // m3sk
    double nettoTrad = 0;       // kr, scratch of the tree being handled
    double nettoAvvSumma = 0;   // kr, undiscounted, before regeneration cost
    double atervKostTrad = 0;   // kr
    double atervKostSumma = 0;  // kr
    double nuvardeTrad = 0;     // kr, discounted
    double nuvardeAvv = 0;      // kr, discounted; reduced once by the year-1 cost

    // Trees felled at once.
    double volAvv = 0;        // m3sk/ha
    double rojningSumma = 0;  // kr per plot, cleaning costs as negative amounts
    double nettoDirekt = 0;   // kr per plot, harvest nets of the trees over 11.5 cm
    double vardeDirekt = 0;   // kr per plot, nettoDirekt + rojningSumma
};

}  // namespace lodra
