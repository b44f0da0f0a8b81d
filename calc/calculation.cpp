#include "calc/calculation.h"

#include <cfenv>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "calc/numberparse.h"

namespace lodra {

namespace {

constexpr int kFpErrors = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;
constexpr int kRowCount = 10;
constexpr int kSearchStepsBetweenCancelChecks = 4096;

// Ends a calculation with a message for the user.
struct CalcFailure {
    Status status;
    std::string message;
    Refusal refusal;
};

// The labels of the parameters window, to name a field in a message.
constexpr const char* kLabelTotaltid = "Antal år som nuvärdet ska omfatta";
constexpr const char* kLabelBonitet = "Bonitet ( m3sk per år och ha )";
constexpr const char* kLabelAreal = "Provytans areal ( m2 )";
constexpr const char* kLabelRanta = "Räntekrav ( % )";
constexpr const char* kLabelMaxRing = "Största tänkbara årsring i mm";
constexpr const char* kLabelVariation = "Variation i diametertillväxt";
constexpr const char* kLabelAtervandel =
    "Andel av återväxtkostnaden som skall debiteras år 1, 100 = hela";
constexpr const char* kLabelBerikning =
    "Procent av antal plantor per hektar (berikande plantering)";
constexpr const char* kLabelCykTillAvv = "Cykler (5-åriga) till nästa avverkning";

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

[[noreturn]] void refuse(const std::string& message, Refusal refusal) {
    throw CalcFailure{Status::Refused, message, std::move(refusal)};
}

std::string example(char decimalSeparator) {
    return std::string("12") + decimalSeparator + "5";
}

double number(const std::string& text, const char* label, InputField which, char decimalSeparator) {
    if (const auto value = parseNumber(text, decimalSeparator)) {
        return *value;
    }
    std::string message = std::string("Fältet ") + quoted(label);
    if (text.find_first_not_of(" \t") == std::string::npos) {
        message += " är tomt.";
    } else {
        message += " innehåller " + quoted(text) + ", som inte är ett tal.";
    }
    message += " Skriv ett tal, till exempel " + example(decimalSeparator) + ".";
    refuse(message, {which, 0, text});
}

std::string field(const char* label, const std::string& text) {
    return std::string("Fältet ") + quoted(label) + " innehåller " + quoted(text) + ".";
}

// Stops the calculation: a number of the named step became too large or invalid.
[[noreturn]] void stopAt(const char* step, const StandState& s) {
    std::feclearexcept(kFpErrors);
    std::string message =
        std::string("Beräkningen avbröts: ett tal blev för stort eller ogiltigt i ") + step;
    if (s.antalCykler > 0 || s.ar > 0) {
        message +=
            " (femårsperioden som börjar år " + std::to_string(static_cast<long>(s.ar)) + ")";
    }
    message += ". Kontrollera indata.";
    throw CalcFailure{Status::Stopped, message, {}};
}

// Stops the calculation when a floating-point step overflowed, divided by zero or was
// invalid since the flags were last cleared.
void checkStep(const char* step, const StandState& s) {
    if (std::fetestexcept(kFpErrors) != 0) {
        stopAt(step, s);
    }
}

bool cancelled(const CalcOptions& options) {
    return options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed);
}

[[noreturn]] void stopCancelled() {
    throw CalcFailure{Status::Cancelled, "Beräkningen avbröts.", {}};
}

}  // namespace

// The input as accepted, before anything is computed.
struct StandCalculation::Intake {
    int16_t totaltid = 0;
    double bonitet = 0, areal = 0, ranta = 0, maxRing = 0, variation = 0, atervandel = 0,
           berikning = 0, cykTillAvv = 0;
    int16_t tradslag = 1;
    double atgard = 0;
    std::array<std::optional<double>, kRowCount> rows{};  // empty row: no value
    std::array<bool, kRowCount> avverkas{};
};

double StandCalculation::tradVolym(double d) {
    return (0.00089 * d) * d + (0.03896 - 0.00905 * d) + ((0.000001682 * d) * d) * d;
}

double StandCalculation::tradNetto(double d) const {
    double c0 = 0, c1 = 0, c2 = 0, c3 = 0;
    const bool kalavv = s.atgard == 1.0;
    if (s.tradslag == 1) {
        if (kalavv) {
            c0 = 115.14, c1 = 20.566, c2 = 0.96476, c3 = 0.00517;
        } else {
            c0 = 110.26, c1 = 20.0724, c2 = 0.94048, c3 = 0.00501;
        }
    } else if (s.tradslag == 2) {
        if (kalavv) {
            c0 = 62.3571, c1 = 12.1919, c2 = 0.60905, c3 = 0.00271;
        } else {
            c0 = 56.429, c1 = 11.489, c2 = 0.57571, c3 = 0.00244;
        }
    } else {
        return 0;  // broadleaves have no harvest net
    }
    return ((c2 * d) * d) + (c0 - c1 * d) - (((c3 * d) * d) * d);
}

double StandCalculation::rojningTrad(double d) {
    return ((0.23895 * d + 0.97315) - (0.00636 * d) * d) + ((0.00603 * d) * d) * d;
}

bool StandCalculation::avvDiameterFor(double ranta, double w, double& avvDiameter) {
    const double w2 = w * w;
    if (ranta == 2) {
        avvDiameter = 0.21739 * w2 + 17.4135 * w + 12.664;
    } else if (ranta == 3) {
        avvDiameter = 0.08303 * w2 + 12.33 * w + 11.775;
    } else if (ranta == 4) {
        avvDiameter = 0.3125 * w2 + 7.0164 * w + 15.148;
    } else if (ranta == 5) {
        avvDiameter = 6.5915 * w + 14.046 - 0.08532 * w2;
    } else {
        return false;
    }
    return true;
}

StandCalculation::Intake StandCalculation::readInput(const InputRecord& input, char sep) {
    Intake in;
    const double totaltid = number(input.totaltid, kLabelTotaltid, InputField::totaltid, sep);
    const double years = roundHalfEven(totaltid);
    if (!(years >= 1 && years <= 32767)) {
        refuse(field(kLabelTotaltid, input.totaltid) +
                   " Antalet år måste vara ett heltal från 1 till 32767.",
               {InputField::totaltid, 0, input.totaltid});
    }
    in.totaltid = static_cast<int16_t>(years);
    in.bonitet = number(input.bonitet, kLabelBonitet, InputField::bonitet, sep);
    if (in.bonitet < 0) {
        refuse(field(kLabelBonitet, input.bonitet) + " Boniteten får inte vara negativ.",
               {InputField::bonitet, 0, input.bonitet});
    }
    in.areal = number(input.areal, kLabelAreal, InputField::areal, sep);
    if (!(in.areal > 0)) {
        refuse(field(kLabelAreal, input.areal) + " Arealen måste vara större än 0 m2.",
               {InputField::areal, 0, input.areal});
    }
    in.ranta = number(input.ranta, kLabelRanta, InputField::ranta, sep);
    if (in.ranta != 2 && in.ranta != 3 && in.ranta != 4 && in.ranta != 5) {
        refuse(field(kLabelRanta, input.ranta) +
                   " Avverkningsdiametern finns bara för räntekraven 2, 3, 4 och 5 %.",
               {InputField::ranta, 0, input.ranta});
    }
    in.maxRing = number(input.maxRing, kLabelMaxRing, InputField::maxRing, sep);
    if (in.maxRing > 100) {
        refuse(field(kLabelMaxRing, input.maxRing) +
                   " Den största tänkbara årsringen får vara högst 100 mm.",
               {InputField::maxRing, 0, input.maxRing});
    }
    in.tradslag = 1;
    if (input.optTall) {
        in.tradslag = 1;
    } else if (input.optGran) {
        in.tradslag = 2;
    } else if (input.optLov) {
        in.tradslag = 3;
    }
    in.variation = number(input.variation, kLabelVariation, InputField::variation, sep);
    in.atervandel = number(input.atervandel, kLabelAtervandel, InputField::atervandel, sep);
    in.atgard = input.optKalavv ? 1.0 : 0.0;
    in.berikning = number(input.berikning, kLabelBerikning, InputField::berikning, sep);
    in.cykTillAvv = number(input.cykTillAvv, kLabelCykTillAvv, InputField::cykTillAvv, sep);
    for (int k = 0; k < kRowCount; ++k) {
        const TreeRow& row = input.rows[static_cast<std::size_t>(k)];
        if (row.text.empty()) {
            continue;
        }
        const auto value = parseNumber(row.text, sep);
        if (!value) {
            refuse("Träd " + std::to_string(k + 1) + " i fönstret Träddiametrar: diametern " +
                       quoted(row.text) + " är inte ett tal. Skriv ett tal, till exempel " +
                       example(sep) + ", eller töm raden.",
                   {InputField::tree, k + 1, row.text});
        }
        in.rows[static_cast<std::size_t>(k)] = *value;
        in.avverkas[static_cast<std::size_t>(k)] = row.avverkas;
    }

    return in;
}

Outcome StandCalculation::berakna(const InputRecord& input, const CalcOptions& options) {
    const StandState stateBefore = s;
    const Economics economicsBefore = economics;
    const ReportFigures figuresBefore = figures;
    Outcome outcome;
    try {
        // Everything is read and checked before anything is computed.
        const Intake in = readInput(input, options.decimalSeparator);
        if (options.cyclesTotal != nullptr) {
            options.cyclesTotal->store(cyclesFor(in.totaltid), std::memory_order_relaxed);
        }
        std::feclearexcept(kFpErrors);
        ClockRandom clock;
        random_ = options.random != nullptr ? options.random : &clock;
        random_->reseed();
        intake_ = &in;
        setParameters(in);
        checkStep("inläsningen av parametrarna", s);
        Nollstall();
        Nollaavvdia();
        DiaVidStart();
        checkStep("inläsningen av träden", s);
        VardeAvvTrad();
        checkStep("värderingen av träden som avverkas direkt", s);
        AvvVol00();
        checkStep("volymen av träden som avverkas direkt", s);
        runCycles(options);
        s.medeldiameter = s.avvDiaSumma / (s.antalAvvTotalt + 0.0001);
        computeResults();
        checkStep("de ekonomiska resultaten", s);
    } catch (const CalcFailure& failure) {
        outcome = {failure.status, failure.message, failure.refusal};
    } catch (const std::out_of_range&) {
        outcome = {Status::Stopped, "Beräkningen avbröts: ett index utanför trädlistan.", {}};
    }
    intake_ = nullptr;
    random_ = nullptr;
    if (!outcome.ok()) {
        // Nothing of a refused or stopped calculation stays behind.
        std::feclearexcept(kFpErrors);
        s = stateBefore;
        economics = economicsBefore;
        figures = figuresBefore;
    }
    return outcome;
}

void StandCalculation::setParameters(const Intake& in) {
    s.totaltid = in.totaltid;
    s.bonitet = in.bonitet;
    s.areal = in.areal;
    s.haFaktor = 10000 / s.areal;
    s.ranta = in.ranta;
    s.maxRing = in.maxRing;
    s.tradslag = in.tradslag;
    s.variation = in.variation;
    s.atervandel = in.atervandel;
    s.atgard = in.atgard;
    s.atervKostAr1 = 0;
    if (s.atgard == 1.0) {
        s.atervKostAr1 = 7500;
    }
    s.atervKostAr1 = s.atervandel / 100 * s.atervKostAr1;
    s.berikning = in.berikning;
    s.berikKostAr1 = 0;
    if (s.atgard == 0.0) {
        s.berikKostAr1 = (s.berikning / 100 * 7500) * (s.atervandel / 100);
    }
    s.cykTillAvv = in.cykTillAvv;

    s.tillvStart = 20.0;
    s.antalTrad = 100;
    s.antalAvvDirekt = 100;
    s.ar = 0;
    s.antalAvverkningar = 0;
    s.ringSumma = 0;
    s.ringMax = 0;
    s.ringMin = 100;
    s.vol00Summa = 0;
    s.vol00Max = 0;
    s.vol00Min = 1000;
    s.vol05Summa = 0;
    s.vol05Max = 0;
    s.vol05Min = 1000;
    s.antalAvvTotalt = 0;
    s.nettoAvvSumma = 0;
    s.nuvardeTrad = 0;
    s.nuvardeAvv = 0;
    s.avvDiaSumma = 0;
    s.medeldiameter = 0;
    s.nettoTrad = 0;
    s.atervKostSumma = 0;
    s.avvVolSumma = 0;
    s.cykSedanAvv = 0;
    s.antalCykler = 0;
}

void StandCalculation::Nollstall() {
    const int16_t n = s.antalTrad;
    for (s.tradNr = 1; s.tradNr <= n; ++s.tradNr) {
        s.diaStart[s.tradNr] = 0;
        s.dia00[s.tradNr] = 0;
    }
}

void StandCalculation::Nollaavvdia() {
    const int16_t n = s.antalAvvDirekt;
    for (s.tradNr = 1; s.tradNr <= n; ++s.tradNr) {
        s.diaAvv[s.tradNr] = 0;
    }
}

void StandCalculation::DiaVidStart() {
    s.antalTrad = 0;
    s.antalAvvDirekt = 0;
    for (s.tradNr = 1; s.tradNr <= kRowCount; ++s.tradNr) {
        const auto k = static_cast<std::size_t>(s.tradNr - 1);
        if (!intake_->rows[k]) {
            continue;
        }
        const double value = *intake_->rows[k];
        if (intake_->avverkas[k]) {
            ++s.antalAvvDirekt;
            s.diaAvv[s.antalAvvDirekt] = value;
        } else {
            ++s.antalTrad;
            s.dia00[s.antalTrad] = value;
            s.diaStart[s.antalTrad] = value;
        }
    }
}

void StandCalculation::VardeAvvTrad() {
    s.rojningSumma = 0;
    s.nettoDirekt = 0;
    s.vardeDirekt = 0;
    const int16_t n = s.antalAvvDirekt;
    for (s.tradNr = 1; s.tradNr <= n; ++s.tradNr) {
        const double d = s.diaAvv[s.tradNr];
        s.nettoTrad = 0;
        if (d > 11.5) {
            if (s.tradslag == 1 || s.tradslag == 2) {
                s.nettoTrad = tradNetto(d);
            }
            s.nettoDirekt = s.nettoDirekt + s.nettoTrad;
        } else if (d < 11.5) {
            s.nettoTrad = -rojningTrad(d);
            s.rojningSumma = s.rojningSumma + s.nettoTrad;
        }
        s.vardeDirekt = s.vardeDirekt + s.nettoTrad;
    }
}

void StandCalculation::AvvVol00() {
    s.volAvv = 0;
    const int16_t n = s.antalAvvDirekt;
    for (s.tradNr = 1; s.tradNr <= n; ++s.tradNr) {
        s.tradVolAvv[s.tradNr] = tradVolym(s.diaAvv[s.tradNr]);
        s.volAvv = s.volAvv + s.tradVolAvv[s.tradNr];
    }
    s.volAvv = s.haFaktor * s.volAvv;
}

// The four procedures below run in every step of the ring search: they loop with a local
// index over spans whose bound is checked once, and leave tradNr as a field loop would.

void StandCalculation::DiaVidAr5() {
    const double increment = s.arsring * 10 / 10;  // cm in five years: one ring a year, both sides
    const auto from = s.dia00.entries(s.antalTrad);
    const auto to = s.dia05.entries(s.antalTrad);
    for (std::size_t i = 0; i < from.size(); ++i) {
        to[i] = increment + from[i];
    }
    s.tradNr = static_cast<int16_t>(s.antalTrad + 1);
}

namespace {
// Per-tree volumes of a list into another, and their sum × haFaktor.
double standVolume(std::span<const double> dia, std::span<double> vol, double haFaktor) {
    double sum = 0;
    for (std::size_t i = 0; i < dia.size(); ++i) {
        vol[i] = StandCalculation::tradVolym(dia[i]);
        sum = sum + vol[i];
    }
    return sum * haFaktor;
}
}  // namespace

void StandCalculation::PrVol00() {
    s.vol00 =
        standVolume(s.dia00.entries(s.antalTrad), s.tradVol00.entries(s.antalTrad), s.haFaktor);
    s.tradNr = static_cast<int16_t>(s.antalTrad + 1);
}

void StandCalculation::PrVol05() {
    s.vol05 =
        standVolume(s.dia05.entries(s.antalTrad), s.tradVol05.entries(s.antalTrad), s.haFaktor);
    s.tradNr = static_cast<int16_t>(s.antalTrad + 1);
}

void StandCalculation::Bytarray() {
    const auto from = s.dia05.entries(s.antalTrad);
    const auto to = s.dia00.entries(s.antalTrad);
    for (std::size_t i = 0; i < from.size(); ++i) {
        to[i] = from[i];
    }
    s.tradNr = static_cast<int16_t>(s.antalTrad + 1);
}

void StandCalculation::Varieradia() {
    s.variBredd = s.variation * 2 / 100;
    s.variFaktor = 0;
    // Without variation the change is 0 (of variBredd's sign) whatever the number, since
    // the number is never negative: none is drawn.
    const bool draws = s.variBredd != 0;
    const int16_t n = s.antalTrad;
    for (s.tradNr = 1; s.tradNr <= n; ++s.tradNr) {
        // held in single precision
        const float r = draws ? static_cast<float>(random_->next()) : 0.0f;
        s.variFaktor = (1 - s.variBredd * 0.5) + r * s.variBredd;
        s.dia00[s.tradNr] = (s.variFaktor - 1) + s.dia00[s.tradNr];
    }
}

void StandCalculation::Avverkn() {
    s.atervKostTrad = 0;
    s.avvVolTrad = 0;
    s.antalAvvCykel = 0;
    const int16_t n = s.antalTrad;
    for (s.tradNr = 1; s.tradNr <= n; ++s.tradNr) {
        const double d = s.dia05[s.tradNr];
        s.nettoTrad = 0;
        if (!(d > s.avvDiameter)) {
            continue;  // a tree exactly at the felling diameter stays
        }
        if (s.tradslag == 1 || s.tradslag == 2) {
            s.nettoTrad = tradNetto(d);
            s.nettoAvvSumma = s.nettoAvvSumma + s.nettoTrad;
        }
        // The tree's share of 7500 kr/ha (0.75 kr per m2 of the plot); under thinning only
        // the enrichment planting share.
        if (s.atgard == 0.0) {
            s.atervKostTrad = s.areal / s.antalTrad * (s.berikning / 100 * 3) / 4;
        } else if (s.atgard == 1.0) {
            s.atervKostTrad = s.areal / s.antalTrad * 3 / 4;
        }
        s.nettoTrad = s.nettoTrad - s.atervKostTrad;
        s.atervKostSumma = s.atervKostSumma + s.atervKostTrad;
        s.antalAvvTotalt = s.antalAvvTotalt + 1;
        s.nuvardeTrad = s.nettoTrad / std::exp(s.ar * std::log(1 + s.ranta / 100));
        s.nuvardeAvv = s.nuvardeAvv + s.nuvardeTrad;
        s.avvDiaSumma = s.avvDiaSumma + d;
        ++s.antalAvvCykel;
        s.avvVolTrad = tradVolym(d);
        s.avvVolSumma = s.avvVolSumma + s.avvVolTrad;
        s.dia05[s.tradNr] = 1.0;  // a new tree of 1.0 cm takes the slot
    }
    if (s.antalAvvCykel > 0) {
        ++s.antalAvverkningar;
    }
}

void StandCalculation::ringSearch(const CalcOptions& options) {
    const double previousRing = s.arsring;
    s.arsring = s.maxRing;
    s.tillvaxt = s.tillvStart;
    // The start volume does not change while the ring is searched: computed once.
    PrVol00();
    if (options.search == RingSearchMethod::Fast) {
        // Starts lower where the rings in between are proven not to end the search.
        const SearchStand stand{s.dia00.entries(s.antalTrad),
                                s.haFaktor,
                                s.vol00,
                                s.bonitet,
                                s.maxRing,
                                s.antalCykler > 0 ? previousRing + 0.01 : s.maxRing};
        if (const std::optional<double> start = fastSearch_.startRing(stand)) {
            s.arsring = *start;
        }
    }

    // Each step grows the trees by the ring, takes the stand volume and the growth, and
    // lowers the ring by 0.01 mm, until the growth no longer exceeds the site index (at
    // least one step, also for a site index of 20 or more). The steps are independent
    // but for the ring, so they are tried kBlock at a time with exactly the operations of
    // DiaVidAr5 and PrVol05; the step that ends the search is then run as such, which
    // leaves every field as the step-by-step search would.
    constexpr int kBlock = 4;
    const auto dia00 = s.dia00.entries(s.antalTrad);
    long steps = 0;
    for (;;) {
        double ring[kBlock];
        double increment[kBlock];
        double sum[kBlock];
        ring[0] = s.arsring;
        for (int j = 1; j < kBlock; ++j) {
            ring[j] = ring[j - 1] - 0.01;
        }
        for (int j = 0; j < kBlock; ++j) {
            increment[j] = ring[j] * 10 / 10;
            sum[j] = 0;
        }
        for (const double d : dia00) {
            for (int j = 0; j < kBlock; ++j) {
                sum[j] = sum[j] + tradVolym(increment[j] + d);
            }
        }
        for (int j = 0; j < kBlock; ++j) {
            const double growth = (sum[j] * s.haFaktor - s.vol00) / 5;
            if (!std::isfinite(growth)) {
                stopAt("sökningen av årsringen", s);
            }
            if (!(growth > s.bonitet)) {
                s.arsring = ring[j];
                DiaVidAr5();
                PrVol05();
                s.tillvaxt = (s.vol05 - s.vol00) / 5;
                s.arsring = s.arsring - 0.01;
                checkStep("sökningen av årsringen", s);
                return;
            }
        }
        s.arsring = ring[kBlock - 1] - 0.01;
        steps += kBlock;
        if (steps % kSearchStepsBetweenCancelChecks == 0 && cancelled(options)) {
            stopCancelled();
        }
    }
}

void StandCalculation::runCycles(const CalcOptions& options) {
    while (s.ar < s.totaltid) {
        if (cancelled(options)) {
            stopCancelled();
        }
        ringSearch(options);

        avvDiameterFor(s.ranta, s.arsring, s.avvDiameter);
        checkStep("avverkningsdiametern", s);
        const bool fellingCycle = s.cykSedanAvv > s.cykTillAvv - 1;
        if (fellingCycle) {
            Avverkn();
            checkStep("avverkningen", s);
        }
        Bytarray();
        Varieradia();
        checkStep("den slumpvisa ändringen av diametrarna", s);

        s.ar = s.ar + 5;
        s.ringSumma = s.ringSumma + s.arsring;
        ++s.antalCykler;
        if (fellingCycle) {
            s.cykSedanAvv = 0;
        } else {
            s.cykSedanAvv = s.cykSedanAvv + 1;
        }
        if (s.arsring > s.ringMax) {
            s.ringMax = s.arsring;
        }
        if (s.arsring < s.ringMin) {
            s.ringMin = s.arsring;
        }
        s.vol00Summa = s.vol00Summa + s.vol00;
        if (s.vol00 > s.vol00Max) {
            s.vol00Max = s.vol00;
        }
        if (s.vol00 < s.vol00Min) {
            s.vol00Min = s.vol00;
        }
        s.vol05Summa = s.vol05Summa + s.vol05;
        if (s.vol05 > s.vol05Max) {
            s.vol05Max = s.vol05;
        }
        if (s.vol05 < s.vol05Min) {
            s.vol05Min = s.vol05;
        }
        checkStep("statistiken över femårsperioderna", s);
        if (options.cyclesDone != nullptr) {
            options.cyclesDone->store(s.antalCykler, std::memory_order_relaxed);
        }
    }
}

void StandCalculation::computeResults() {
    Economics& e = economics;
    e.nettoPerTrad = s.nettoAvvSumma / (s.antalAvvTotalt + 0.0001);
    if (s.atgard == 0.0) {
        s.nuvardeAvv = s.nuvardeAvv - s.berikKostAr1 / s.haFaktor;
    } else if (s.atgard == 1.0) {
        s.nuvardeAvv = s.nuvardeAvv - s.atervKostAr1 / s.haFaktor;
    }
    e.rojningKost = s.rojningSumma * (-1) * s.haFaktor;
    e.atervKostTotal = s.atervKostSumma * s.haFaktor + s.atervKostAr1 + s.berikKostAr1;
    e.drivningsnetto = s.haFaktor * s.nettoDirekt;
    e.kassaflode = (s.nettoAvvSumma - s.atervKostSumma) * s.haFaktor / s.totaltid;
    e.nuvarde = (s.vardeDirekt + s.nuvardeAvv) * s.haFaktor;

    ReportFigures& f = figures;
    f = ReportFigures{};
    f.antalTradPerHa = s.antalTrad * s.haFaktor;
    f.tidMellanAvv = s.cykTillAvv * 5 + 5;
    if (s.antalAvverkningar > 0) {
        f.arMellanAvv = static_cast<double>(s.totaltid) / s.antalAvverkningar;
        f.volymPerAvv = s.haFaktor * s.avvVolSumma / s.antalAvverkningar;
    }
    f.prodVolymPerAr = s.haFaktor * s.avvVolSumma / s.totaltid;
    f.avvTradPerHa = s.haFaktor * s.antalAvvTotalt;
    f.ringMedel = s.ringSumma / s.antalCykler;
    f.vol00Medel = s.vol00Summa / s.antalCykler;
    f.vol05Medel = s.vol05Summa / s.antalCykler;
}

}  // namespace lodra
