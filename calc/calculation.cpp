#include "calc/calculation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <type_traits>

#include "base/bitcast.h"
#include "base/vectorstate.h"
#include "calc/exponential.h"
#include "calc/floatflags.h"
#include "calc/treemodel.h"

namespace lodra {

namespace {

constexpr int kRowCount = 10;
// Trees the lists are cleared for before the rows are read.
constexpr int16_t kClearedEntries = 100;
constexpr int kSearchStepsBetweenCancelChecks = 4096;

// Ends a calculation with its error.
struct CalcFailure {
    Error error;
};

// Stops the calculation: a number of the named step became too large or invalid.
[[noreturn]] void stopAt(const char* step, const StandState& s) {
    clearFloatFlags();
    std::string message =
        std::string("Beräkningen avbröts: ett tal blev för stort eller ogiltigt i ") + step;
    if (s.antalCykler > 0 || s.ar > 0) {
        message +=
            " (femårsperioden som börjar år " + std::to_string(static_cast<long>(s.ar)) + ")";
    }
    message += ". Kontrollera indata.";
    throw CalcFailure{fail(std::move(message))};
}

// Ends the run that tests the flags cycle by cycle: the calculation is run again with a
// test after every step, which names the step.
struct Recheck {};

// The part of a state that a calculation can change: every count and number, the entries
// the intake clears of the lists of trees and of trees felled at once, and the entries of
// one row of trees each of the other lists. Kept when a calculation starts and put back when
// it stops, in place of a copy of the whole state.
class StateBackup {
  public:
    explicit StateBackup(const StandState& s) {
        std::memcpy(numbers_, reinterpret_cast<const unsigned char*>(&s) + kNumbersAt,
                    sizeof numbers_);
        copy(s.diaStart, s.dia00, s.diaAvv, kClearedEntries, cleared_.data());
        copy(s.dia05, s.tradVol00, s.tradVol05, kRowCount, grown_.data());
        copyEntries(s.tradVolAvv, kRowCount, grown_.data() + 3 * kRowCount);
    }

    void restore(StandState& s) const {
        std::memcpy(reinterpret_cast<unsigned char*>(&s) + kNumbersAt, numbers_, sizeof numbers_);
        put(cleared_.data(), kClearedEntries, s.diaStart, s.dia00, s.diaAvv);
        put(grown_.data(), kRowCount, s.dia05, s.tradVol00, s.tradVol05);
        putEntries(grown_.data() + 3 * kRowCount, kRowCount, s.tradVolAvv);
    }

  private:
    // The counts and numbers follow the lists, with nothing after them.
    static constexpr std::size_t kNumbersAt = offsetof(StandState, antalTrad);
    static_assert(std::is_trivially_copyable_v<StandState>);
    static_assert(offsetof(StandState, tradVolAvv) + sizeof(DiameterList) == kNumbersAt);

    static void copyEntries(const DiameterList& list, int n, double* to) {
        const auto from = list.entries(n);
        std::copy(from.begin(), from.end(), to);
    }
    static void copy(const DiameterList& a, const DiameterList& b, const DiameterList& c, int n,
                     double* to) {
        copyEntries(a, n, to);
        copyEntries(b, n, to + n);
        copyEntries(c, n, to + 2 * n);
    }
    static void putEntries(const double* from, int n, DiameterList& list) {
        const auto to = list.entries(n);
        std::copy_n(from, to.size(), to.begin());
    }
    static void put(const double* from, int n, DiameterList& a, DiameterList& b, DiameterList& c) {
        putEntries(from, n, a);
        putEntries(from + n, n, b);
        putEntries(from + 2 * n, n, c);
    }

    unsigned char numbers_[sizeof(StandState) - kNumbersAt];
    std::array<double, 3 * kClearedEntries> cleared_;
    std::array<double, 4 * kRowCount> grown_;
};

bool cancelled(const CalcOptions& options) {
    return options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed);
}

[[noreturn]] void stopCancelled() {
    throw CalcFailure{Error{"Beräkningen avbröts.", Status::Cancelled, {}}};
}

}  // namespace

double StandCalculation::tradNetto(double d) const {
    return lodra::tradNetto(s.tradslag, s.atgard == 1.0, d);
}

Outcome StandCalculation::berakna(const InputRecord& input, char decimalSeparator,
                                  const CalcOptions& options) {
    clearUpperVectorHalves();
    // Everything is read and checked before anything is computed.
    const Result<Intake> in = accept(input, decimalSeparator);
    if (!in) {
        return in.error();
    }
    return berakna(*in, options);
}

Outcome StandCalculation::berakna(const Intake& in, const CalcOptions& options) {
    if (options.cyclesTotal != nullptr) {
        options.cyclesTotal->store(cyclesFor(in.totaltid), std::memory_order_relaxed);
    }
    const StateBackup stateBefore(s);
    const Economics economicsBefore = economics;
    const ReportFigures figuresBefore = figures;
    auto restore = [&] {
        clearFloatFlags();
        stateBefore.restore(s);
        economics = economicsBefore;
        figures = figuresBefore;
    };
    std::optional<ClockRandom> clock;  // made only when no generator is passed in
    RandomSource& source = options.random != nullptr ? *options.random : clock.emplace();
    source.reseed();
    draws_.start(source);
    Outcome outcome = calculate(in, options, false);
    if (!outcome.ok() && outcome.error().status == Status::Stopped) {
        // Run again on the same numbers with a test after every step, which stops at the
        // step where a number became too large or invalid. Its progress was shown once.
        restore();
        draws_.replay();
        CalcOptions again = options;
        again.cyclesDone = nullptr;
        outcome = calculate(in, again, true);
    }
    if (!outcome.ok()) {
        // Nothing of a stopped calculation stays behind.
        restore();
    }
    return outcome;
}

Outcome StandCalculation::calculate(const Intake& in, const CalcOptions& options, bool everyStep) {
    Outcome outcome;
    everyStep_ = everyStep;
    valueCheck_ = options.stopCheck == StopCheck::values;
    discount_ = 1;
    random_ = &draws_;
    intake_ = &in;
    try {
        if (floatFlagsRaised()) {
            clearFloatFlags();
        }
        setParameters(in);
        checkStep("inläsningen av parametrarna");
        Nollstall();
        Nollaavvdia();
        DiaVidStart();
        checkStep("inläsningen av träden");
        VardeAvvTrad();
        checkStep("värderingen av träden som avverkas direkt");
        AvvVol00();
        checkStep("volymen av träden som avverkas direkt");
        checkFlags();
        runCycles(options);
        s.medeldiameter = s.avvDiaSumma / (s.antalAvvTotalt + 0.0001);
        computeResults();
        checkStep("de ekonomiska resultaten");
        checkFlags();
        if (options.cycleRecord != nullptr) {
            // After the last check: the record's own arithmetic cannot stop the calculation.
            options.cycleRecord->finish(s.haFaktor);
            clearFloatFlags();
        }
    } catch (const CalcFailure& failure) {
        outcome = failure.error;
    } catch (const Recheck&) {
        outcome = fail({});
    } catch (const std::out_of_range&) {
        outcome = fail("Beräkningen avbröts: ett index utanför trädlistan.");
    }
    intake_ = nullptr;
    random_ = nullptr;
    everyStep_ = true;
    return outcome;
}

void StandCalculation::checkStep(const char* step) const {
    if (everyStep_ && numbersFaulted()) {
        stopAt(step, s);
    }
}

void StandCalculation::checkFlags() const {
    if (!everyStep_ && numbersFaulted()) {
        throw Recheck{};
    }
}

void StandCalculation::stop(const char* step) const {
    if (!everyStep_) {
        throw Recheck{};  // a flag of an earlier step, not yet tested, may have been set
    }
    stopAt(step, s);
}

bool StandCalculation::numbersFaulted() const {
    return valueCheck_ ? !numbersFinite() : floatFlagsRaised();
}

bool StandCalculation::numbersFinite() const {
    // A number is infinite or not a number when its exponent bits are all set; read as
    // bits, so that the test itself raises no flag.
    constexpr std::uint64_t kExponent = 0x7FF0'0000'0000'0000;
    std::uint64_t faulty = 0;
    const auto scan = [&](const void* from, std::size_t bytes) {
        for (std::size_t at = 0; at < bytes; at += sizeof(double)) {
            std::uint64_t bits;
            std::memcpy(&bits, static_cast<const unsigned char*>(from) + at, sizeof bits);
            faulty |= (bits & kExponent) == kExponent ? 1 : 0;
        }
    };
    // The lists' entries in use (a calculation writes no other), then the numbers after the
    // counts; the two result blocks are all doubles.
    const auto entries = [&](const DiameterList& list, int16_t count) {
        const auto used = list.entries(std::clamp<int>(count, 0, DiameterList::kSize - 1));
        scan(used.data(), used.size_bytes());
    };
    for (const DiameterList* list : {&s.diaStart, &s.dia00, &s.dia05, &s.tradVol00, &s.tradVol05}) {
        entries(*list, s.antalTrad);
    }
    entries(s.diaAvv, s.antalAvvDirekt);
    entries(s.tradVolAvv, s.antalAvvDirekt);
    static_assert(offsetof(StandState, bonitet) % sizeof(double) == 0);
    static_assert(sizeof(StandState) % sizeof(double) == 0);
    static_assert(sizeof(Economics) == 6 * sizeof(double));
    static_assert(sizeof(ReportFigures) == 9 * sizeof(double));
    scan(&s.bonitet, sizeof(StandState) - offsetof(StandState, bonitet));
    scan(&economics, sizeof economics);
    scan(&figures, sizeof figures);
    scan(&discount_, sizeof discount_);
    return faulty == 0;
}

void StandCalculation::Draws::start(RandomSource& source) {
    source_ = &source;
    taken_.clear();
    replayed_ = 0;
    replaying_ = false;
}

void StandCalculation::Draws::replay() {
    replayed_ = 0;
    replaying_ = true;
}

double StandCalculation::Draws::next() {
    if (replaying_ && replayed_ < taken_.size()) {
        return taken_[replayed_++];
    }
    const double value = source_->next();
    if (!replaying_) {
        taken_.push_back(value);
    }
    return value;
}

void StandCalculation::setParameters(const Intake& in) {
    rateLogOf_.reset();
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
    s.antalTrad = kClearedEntries;
    s.antalAvvDirekt = kClearedEntries;
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
    // cm in five years: one ring a year, both sides. Keep "* 10 / 10": in floating point it
    // is not always arsring (3.92 * 10 / 10 is 3.9200000000000004), and the figures depend
    // on it.
    growTrees(s.arsring * 10 / 10);
}

void StandCalculation::growTrees(double increment) {
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
        vol[i] = tradVolym(dia[i]);
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
    // Entry by entry (volatile reads): a library memmove for these few entries stalls the loop.
    for (std::size_t i = 0; i < from.size(); ++i) {
        const volatile double& entry = from[i];
        to[i] = entry;
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
    if (!draws) {
        // The factor is exactly 1 and the change +0, which leaves a diameter as it is but
        // for a -0 that becomes +0.
        for (double& d : s.dia00.entries(n)) {
            d = 0.0 + d;
        }
        s.variFaktor = n > 0 ? 1 : 0;
        s.tradNr = static_cast<int16_t>(n + 1);
        return;
    }
    for (s.tradNr = 1; s.tradNr <= n; ++s.tradNr) {
        // held in single precision
        const float r = static_cast<float>(random_->next());
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
        if (s.antalAvvCykel == 0) {
            const auto rate = bitCast<std::uint64_t>(s.ranta);
            if (rateLogOf_ != rate) {
                rateLog_ = std::log(1 + s.ranta / 100);
                rateLogOf_ = rate;
            }
            discount_ = exponential(s.ar * rateLog_);
        }
        s.nuvardeTrad = s.nettoTrad / discount_;
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
    if (options.search == RingSearchMethod::Fast && skipProvenRings(previousRing)) {
        return;
    }
    stepSearch(options);
}

// Starts the search lower where the rings in between are proven not to end it; true when
// it ended there.
bool StandCalculation::skipProvenRings(double previousRing) {
    // Only what a cycle changes is written, so that no store waits to be forwarded.
    searchStand_.dia00 = s.dia00.entries(s.antalTrad);
    searchStand_.vol00 = s.vol00;
    searchStand_.warmRing = s.antalCykler > 0 ? previousRing + 0.01 : s.maxRing;
    RingStart start;
    if (!fastSearch_.startRing(searchStand_, start)) {
        return false;
    }
    s.arsring = start.ring;
    if (!start.ends) {
        return false;
    }
    // The step that ends the search, as the search runs it; the ring is lowered first, as
    // nothing below reads it and its store then need not wait for the volume.
    s.arsring = s.arsring - 0.01;
    growTrees(start.increment);
    PrVol05();
    s.tillvaxt = (s.vol05 - s.vol00) / 5;
    checkStep("sökningen av årsringen");
    return true;
}

void StandCalculation::stepSearch(const CalcOptions& options) {
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
            increment[j] = ring[j] * 10 / 10;  // not always ring[j]: see DiaVidAr5
        }
        blockVolumes(dia00, increment, sum);
        for (int j = 0; j < kBlock; ++j) {
            const double growth = yearlyGrowth(sum[j], s.haFaktor, s.vol00);
            if (!std::isfinite(growth)) {
                stop("sökningen av årsringen");
            }
            if (!(growth > s.bonitet)) {
                s.arsring = ring[j];
                DiaVidAr5();
                PrVol05();
                s.tillvaxt = (s.vol05 - s.vol00) / 5;
                s.arsring = s.arsring - 0.01;
                checkStep("sökningen av årsringen");
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
    if (options.cycleRecord != nullptr) {
        options.cycleRecord->start(s, cyclesFor(s.totaltid));
    }
    searchStand_ = {{}, s.haFaktor, 0, s.bonitet, s.maxRing, 0};
    while (s.ar < s.totaltid) {
        if (cancelled(options)) {
            stopCancelled();
        }
        ringSearch(options);

        // The intake admits only the rates that have a felling diameter.
        fellingDiameter(s.ranta, s.arsring, s.avvDiameter);
        checkStep("avverkningsdiametern");
        const bool fellingCycle = s.cykSedanAvv > s.cykTillAvv - 1;
        if (fellingCycle) {
            Avverkn();
            checkStep("avverkningen");
        }
        if (options.cycleRecord != nullptr) {
            options.cycleRecord->add(s, fellingCycle);
        }
        Bytarray();
        // Before the cycle's random numbers are taken, so that a stop takes as many as when
        // every step is tested. A cycle without them runs on to the test at the end: a
        // number that became infinite or invalid in it stops the next ring search at once.
        if (s.variation != 0) {
            checkFlags();
        }
        Varieradia();
        checkStep("den slumpvisa ändringen av diametrarna");

        closeCycle(fellingCycle);
        checkStep("statistiken över femårsperioderna");
        if (options.cyclesDone != nullptr) {
            options.cyclesDone->store(s.antalCykler, std::memory_order_relaxed);
        }
    }
}

void StandCalculation::closeCycle(bool fellingCycle) {
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
