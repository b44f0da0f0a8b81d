#pragma once

// The stand calculation: the five-year cycles with their annual-ring search,
// felling, and the economic results. One object owns one StandState for a whole run.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "calc/cyclerecord.h"
#include "calc/floatflags.h"
#include "calc/inputrecord.h"
#include "calc/intake.h"
#include "calc/randomsource.h"
#include "calc/ringsearch.h"
#include "calc/standstate.h"

namespace lodra {

// What a calculation returns: nothing, or the Error with its status (refused, stopped,
// cancelled) and, for a refusal, the entry refused.
using Outcome = Result<void>;

// How each cycle's annual ring is searched. Both give the same result in every field.
enum class RingSearchMethod {
    Fast,     // skips, with a proof, the rings that cannot meet the site index
    Literal,  // every ring from maxRing down, 0.01 mm at a time: the reference
};

// How a calculation finds a number that became too large or invalid, to stop at the step
// where it did: by the processor's floating-point flags, or by the values themselves (every
// number of the state finite after each step tested), which is all a platform without the
// flags has. On the stands calculated so far both stop at the same step.
enum class StopCheck { flags, values };
inline constexpr StopCheck kStopCheck = kFloatFlags ? StopCheck::flags : StopCheck::values;

// How a calculation runs. The decimal separator of the entries is no option: every
// calculation of entries as typed is handed it (see berakna).
struct CalcOptions {
    RandomSource* random = nullptr;             // null: a ClockRandom of the calculation's own
    const std::atomic<bool>* cancel = nullptr;  // set by another thread to stop the calculation
    std::atomic<int>* cyclesDone = nullptr;     // progress, written while the cycles run
    std::atomic<int>* cyclesTotal = nullptr;    // cycles the horizon takes, once it is read
    CycleRecord* cycleRecord = nullptr;         // when set, receives one row per cycle
    RingSearchMethod search = RingSearchMethod::Fast;
    StopCheck stopCheck = kStopCheck;
};

// The six economic results, computed once per calculation after the cycles.
struct Economics {
    double nettoPerTrad = 0;    // kr per tree
    double rojningKost = 0;     // kr/ha
    double atervKostTotal = 0;  // kr/ha
    double drivningsnetto = 0;  // kr/ha
    double kassaflode = 0;      // kr/ha and year
    double nuvarde = 0;         // kr/ha
};

// The other figures the report prints, computed with the economic results so that every
// printed number has passed the same checks.
struct ReportFigures {
    double antalTradPerHa = 0;  // trees per ha at start
    double tidMellanAvv = 0;    // years, at least between fellings: cykTillAvv × 5 + 5
    double arMellanAvv = 0;     // years between fellings (0 when there was none)
    double prodVolymPerAr = 0;  // m3sk per ha and year
    double volymPerAvv = 0;     // m3sk per ha and felling (0 when there was none)
    double avvTradPerHa = 0;    // trees per ha felled at cycle ends
    double ringMedel = 0;       // mm
    double vol00Medel = 0;      // m3sk/ha
    double vol05Medel = 0;      // m3sk/ha
};

class StandCalculation {
  public:
    StandState s;
    Economics economics;
    ReportFigures figures;

    // The whole calculation of "Beräkna": intake, immediate felling, the cycles, the mean
    // felled diameter and the economic results. The entries are read with decimalSeparator,
    // the run's, and '.' besides. On refusal nothing is computed.
    Outcome berakna(const InputRecord& input, char decimalSeparator, const CalcOptions& options);

    // The entries as accepted (see calc/intake.h).
    using Intake = lodra::Intake;
    [[nodiscard]] static Result<Intake> accept(const InputRecord& input, char decimalSeparator,
                                               bool rateAndInterval = true) {
        return acceptIntake(input, decimalSeparator, rateAndInterval);
    }
    // The calculation of entries already accepted.
    Outcome berakna(const Intake& in, const CalcOptions& options);

    // Number of five-year cycles a horizon of totaltid years takes.
    static int cyclesFor(int totaltid) { return totaltid <= 0 ? 0 : (totaltid + 4) / 5; }

    // The procedures, run in the driver's order.
    void Nollstall();
    void Nollaavvdia();
    void DiaVidStart();
    void VardeAvvTrad();
    void AvvVol00();
    void DiaVidAr5();
    void PrVol00();
    void PrVol05();
    void Avverkn();
    void Bytarray();
    void Varieradia();

    // After the cycles: reduces nuvardeAvv once by the year-1 cost, then sets economics
    // and figures.
    void computeResults();

    // kr, harvest net of one felled tree of d cm for the current species and measure.
    double tradNetto(double d) const;

    // The fast ring search of this object, with its counts of proven and declined searches.
    const FastRingSearch& fastSearch() const { return fastSearch_; }

  private:
    // The generator's numbers as one calculation takes them, kept so that the calculation
    // can be run again on exactly the same numbers; the generator itself moves on as if the
    // calculation had run once.
    class Draws final : public RandomSource {
      public:
        void start(RandomSource& source);
        void replay();  // from the first number kept
        void reseed() override {}
        double next() override;

      private:
        RandomSource* source_ = nullptr;
        std::vector<double> taken_;
        std::size_t replayed_ = 0;
        bool replaying_ = false;
    };

    // The calculation after the intake; the floating-point flags are tested after every
    // step when everyStep is set, else before each cycle's random numbers and at the end.
    Outcome calculate(const Intake& in, const CalcOptions& options, bool everyStep);
    void setParameters(const Intake& in);
    void runCycles(const CalcOptions& options);
    void growTrees(double increment);        // DiaVidAr5 with arsring * 10 / 10 known, mm
    void checkStep(const char* step) const;  // names the step whose flag is set
    void checkFlags() const;                 // in the cycle-wise run: any flag set
    bool numbersFaulted() const;  // a flag set, or a number not finite, as the check goes
    bool numbersFinite() const;   // every number of the state and the results
    [[noreturn]] void stop(const char* step) const;
    // Moves the year on by one cycle and adds the cycle to the ring and volume statistics.
    void closeCycle(bool fellingCycle);
    void ringSearch(const CalcOptions& options);
    bool skipProvenRings(double previousRing);  // mm, the last cycle's ring
    void stepSearch(const CalcOptions& options);

    const Intake* intake_ = nullptr;  // the accepted input, while DiaVidStart runs
    RandomSource* random_ = nullptr;
    Draws draws_;
    // ln(1 + ranta / 100) for the rate whose bits are in rateLogOf_, taken at the first
    // felling of a calculation.
    std::optional<std::uint64_t> rateLogOf_;
    double rateLog_ = 0;
    bool everyStep_ = true;    // the flags are tested after every step
    bool valueCheck_ = false;  // the values are tested instead of the flags
    // The discount factor of the cycle's start year, once a tree is felled in the cycle: kept
    // beside the state, so that the test of the values sees it too when it overflows.
    double discount_ = 1;
    FastRingSearch fastSearch_;  // keeps the ring sequence of the last maxRing
    SearchStand searchStand_;    // what the fast search sees, its parameters set per run
};

}  // namespace lodra
