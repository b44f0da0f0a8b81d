// The intake: number conversion, refusals as data, and the values and lists it sets.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "calc/calculation.h"
#include "calc/intake.h"
#include "calc/numberparse.h"

namespace lodra {
namespace {

TEST(ParseNumber, AcceptsBothSeparatorsUnderComma) {
    EXPECT_EQ(parseNumber("1,5", ','), 1.5);
    EXPECT_EQ(parseNumber("1.5", ','), 1.5);
    EXPECT_EQ(parseNumber("  -2,25\t", ','), -2.25);
    EXPECT_EQ(parseNumber("+7", ','), 7.0);
    EXPECT_EQ(parseNumber(",5", ','), 0.5);
    EXPECT_EQ(parseNumber("5.", '.'), 5.0);
    EXPECT_EQ(parseNumber("1,5E3", ','), 1500.0);
    EXPECT_EQ(parseNumber("2e-3", '.'), 0.002);
    // Below the smallest double: zero, as the value reads; above the largest: refused.
    EXPECT_EQ(parseNumber("1e-400", '.'), 0.0);
    EXPECT_TRUE(std::signbit(*parseNumber("-0,0001e-330", ',')));
    EXPECT_EQ(parseNumber("0.00001e-320", '.'), 0.0);
    EXPECT_FALSE(parseNumber("1e400", '.').has_value());
    EXPECT_FALSE(parseNumber("0.001e312", '.').has_value());
    EXPECT_FALSE(parseNumber("-1e999", '.').has_value());
}

TEST(ParseNumber, RefusesWhatIsNotAPlainNumber) {
    for (const char* text : {"", "   ", "abc", "1 000", "1,5", "1.000.5", "inf", "nan", "-inf",
                             "0x10", "1e", "1e+", "e5", ".", "-", "12a", "1e999", "1,5.5",
                             "\xC2\xA0"
                             "5"}) {
        EXPECT_FALSE(parseNumber(text, '.').has_value()) << '"' << text << '"';
    }
    EXPECT_FALSE(parseNumber("1.5,5", ',').has_value());
    EXPECT_FALSE(parseNumber("1 5", ',').has_value());
}

// A text of digits with at most one '.' is read as it stands; the same text after a '+' is
// read the long way. Both give the same, within the range of a double and beyond it.
TEST(ParseNumber, PlainTextsReadAsTheLongWay) {
    const std::string many(400, '0');
    const std::string texts[] = {"0",          "007",    "250", "4.5",      ".5",
                                 "5.",         "35.000", "0.1", "1" + many, "0." + many + "1",
                                 many + ".25", "."};
    for (const std::string& text : texts) {
        for (const char sep : {'.', ','}) {
            const std::optional<double> plain = parseNumber(text, sep);
            const std::optional<double> longWay = parseNumber("+" + text, sep);
            ASSERT_EQ(plain.has_value(), longWay.has_value()) << '"' << text << '"';
            if (plain) {
                EXPECT_EQ(std::signbit(*plain), std::signbit(*longWay)) << '"' << text << '"';
                EXPECT_EQ(*plain, *longWay) << '"' << text << '"';
            }
        }
    }
    EXPECT_EQ(parseNumber("0." + many + "1", '.'), 0.0);
    EXPECT_FALSE(parseNumber("1" + many, '.').has_value());
}

TEST(ParseNumber, BlanksAroundAFieldAreSpacesAndTabsOnly) {
    const struct {
        std::string_view text, kept;
    } cases[] = {{"", ""},
                 {" \t ", ""},
                 {"a", "a"},
                 {"\t a b \t", "a b"},
                 {" \n5 ", "\n5"},
                 {"\xC2\xA0"
                  "5 ",
                  "\xC2\xA0"
                  "5"}};
    for (const auto& c : cases) {
        EXPECT_EQ(withoutBlanks(c.text), c.kept) << '"' << c.text << '"';
    }
}

Outcome run(StandCalculation& calc, const InputRecord& input, char sep = '.') {
    SeededRandom random(7);
    CalcOptions options;
    options.random = &random;
    return calc.berakna(input, sep, options);
}

TEST(Intake, DefaultStand) {
    StandCalculation calc;
    ASSERT_TRUE(run(calc, InputRecord{}).ok());
    const StandState& s = calc.s;
    EXPECT_EQ(s.totaltid, 250);
    EXPECT_EQ(s.haFaktor, 200);
    EXPECT_EQ(s.tradslag, 2);
    EXPECT_EQ(s.atgard, 0.0);
    EXPECT_EQ(s.berikKostAr1, 562.5);
    EXPECT_EQ(s.atervKostAr1, 0);
    ASSERT_EQ(s.antalAvvDirekt, 1);
    EXPECT_EQ(s.diaAvv[1], 45);
    ASSERT_EQ(s.antalTrad, 3);
    EXPECT_EQ(s.diaStart[1], 35);
    EXPECT_EQ(s.diaStart[2], 1);
    EXPECT_EQ(s.diaStart[3], 1);
}

TEST(Intake, TreeRows) {
    InputRecord input;
    input.rows = {};
    input.rows[0] = {"", true};  // a ticked box on an empty row has no effect
    input.rows[2] = {"20", true};
    input.rows[4] = {"30", false};
    input.rows[9] = {" 12,5 ", false};
    StandCalculation calc;
    ASSERT_TRUE(run(calc, input, ',').ok());
    ASSERT_EQ(calc.s.antalAvvDirekt, 1);
    EXPECT_EQ(calc.s.diaAvv[1], 20);
    ASSERT_EQ(calc.s.antalTrad, 2);
    EXPECT_EQ(calc.s.diaStart[1], 30);
    EXPECT_EQ(calc.s.diaStart[2], 12.5);

    input.rows = {};
    ASSERT_TRUE(run(calc, input).ok());
    EXPECT_EQ(calc.s.antalTrad, 0);
    EXPECT_EQ(calc.s.antalAvvDirekt, 0);
    EXPECT_EQ(calc.s.vol00, 0);
    EXPECT_EQ(calc.s.vol05, 0);
}

TEST(Intake, MeasureDecidesTheYearOneCosts) {
    InputRecord input;
    input.measure = Measure::kalavverkning;
    input.berikning = "80";
    StandCalculation calc;
    ASSERT_TRUE(run(calc, input).ok());
    EXPECT_EQ(calc.s.atgard, 1.0);
    EXPECT_EQ(calc.s.berikKostAr1, 0);
    EXPECT_EQ(calc.s.atervKostAr1, 1125);  // 15 % of 7500

    // Each species has its code in the state.
    for (const auto& [species, code] :
         {std::pair{Species::tall, 1}, {Species::gran, 2}, {Species::lov, 3}}) {
        input.species = species;
        ASSERT_TRUE(run(calc, input).ok());
        EXPECT_EQ(calc.s.tradslag, code);
        EXPECT_EQ(speciesOfCode(calc.s.tradslag), species);
    }
}

TEST(Intake, HorizonIsRoundedToWholeYearsAHalfToTheEvenNeighbour) {
    const struct {
        const char* text;
        char separator;
        int years;
    } cases[] = {{"12.5", '.', 12}, {"13,5", ',', 14}, {"12.49", '.', 12},
                 {"0.5e1", '.', 5}, {"1.5", '.', 2},   {"32766.5", '.', 32766}};
    for (const auto& c : cases) {
        StandCalculation calc;
        InputRecord input;
        input.totaltid = c.text;
        input.rows = {};  // no trees: only the horizon counts
        ASSERT_TRUE(run(calc, input, c.separator).ok()) << c.text;
        EXPECT_EQ(calc.s.totaltid, c.years) << c.text;
    }
}

// A refused entry as data; the front ends' wording of it is held by their own tests.
struct RefusalCase {
    const char* what;
    void (*edit)(InputRecord&);
    InputField field;
    int row;
    const char* text;
    RefusalReason reason;
};

const RefusalCase kRefusals[] = {
    {"letters", [](InputRecord& r) { r.bonitet = "abc"; }, InputField::bonitet, 0, "abc",
     RefusalReason::NotANumber},
    {"blanks", [](InputRecord& r) { r.areal = " \t"; }, InputField::areal, 0, " \t",
     RefusalReason::Empty},
    {"horizon 0.4 rounds to 0", [](InputRecord& r) { r.totaltid = "0.4"; }, InputField::totaltid, 0,
     "0.4", RefusalReason::OutOfRange},
    {"horizon 32767.5 rounds up", [](InputRecord& r) { r.totaltid = "32767.5"; },
     InputField::totaltid, 0, "32767.5", RefusalReason::OutOfRange},
    {"rate 2.5", [](InputRecord& r) { r.ranta = "2.5"; }, InputField::ranta, 0, "2.5",
     RefusalReason::OutOfRange},
    {"tree blanks only", [](InputRecord& r) { r.rows[3].text = "  "; }, InputField::tree, 4, "  ",
     RefusalReason::NotANumber},
    {"parameters before trees", [](InputRecord& r) { r.rows[0].text = "x", r.cykTillAvv = "y"; },
     InputField::cykTillAvv, 0, "y", RefusalReason::NotANumber},
};

TEST(Intake, RefusesWithTheEntryAndTheReasonAndLeavesNothingBehind) {
    for (const RefusalCase& c : kRefusals) {
        SCOPED_TRACE(c.what);
        StandCalculation calc;
        ASSERT_TRUE(run(calc, InputRecord{}).ok());
        const double nuvarde = calc.economics.nuvarde;
        InputRecord input;
        c.edit(input);
        const Outcome outcome = run(calc, input);
        ASSERT_FALSE(outcome.ok());
        const Error& error = outcome.error();
        EXPECT_EQ(error.status, Status::Refused);
        EXPECT_EQ(error.refusal.field, c.field);
        EXPECT_EQ(error.refusal.row, c.row);
        EXPECT_EQ(error.refusal.text, c.text);
        EXPECT_EQ(error.refusal.reason, c.reason);
        EXPECT_EQ(error.refusal.rule.empty(), c.reason != RefusalReason::OutOfRange);
        // The calculation's own text names no window.
        EXPECT_EQ(error.message.find("Fält"), std::string::npos);
        EXPECT_EQ(error.message.find("fönstret"), std::string::npos);
        // Nothing of the refused calculation is left behind.
        EXPECT_EQ(calc.economics.nuvarde, nuvarde);
        EXPECT_EQ(calc.s.totaltid, 250);
    }
}

TEST(Intake, OddButConvertibleValuesAreTaken) {
    InputRecord input;
    input.variation = "-5";
    input.bonitet = "0";
    input.areal = "0.001";
    StandCalculation calc;
    EXPECT_TRUE(run(calc, input).ok());
}

// The comparison reads the entries without the rate and the felling interval, which each of
// its cells sets: those two are then no reason for a refusal, the others are read as always.
TEST(Intake, WithoutRateAndIntervalTheirEntriesAreNotRead) {
    const struct {
        const char* what;
        void (*edit)(InputRecord&);
        InputField refusedWith;
        InputField refusedWithout;  // None: accepted
    } cases[] = {
        {"rate not a number", [](InputRecord& r) { r.ranta = "x"; }, InputField::ranta,
         InputField::None},
        {"rate out of range", [](InputRecord& r) { r.ranta = "7"; }, InputField::ranta,
         InputField::None},
        {"interval empty", [](InputRecord& r) { r.cykTillAvv = ""; }, InputField::cykTillAvv,
         InputField::None},
        {"site index before the rate", [](InputRecord& r) { r.bonitet = "x", r.ranta = "7"; },
         InputField::bonitet, InputField::bonitet},
        {"tree row after the rate", [](InputRecord& r) { r.ranta = "x", r.rows[1].text = "y"; },
         InputField::ranta, InputField::tree},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InputRecord input;
        c.edit(input);
        const Result<Intake> with = acceptIntake(input, '.');
        ASSERT_FALSE(with);
        EXPECT_EQ(with.error().status, Status::Refused);
        EXPECT_EQ(with.error().refusal.field, c.refusedWith);
        const Result<Intake> without = acceptIntake(input, '.', false);
        if (c.refusedWithout != InputField::None) {
            ASSERT_FALSE(without);
            EXPECT_EQ(without.error().refusal.field, c.refusedWithout);
            continue;
        }
        ASSERT_TRUE(without) << without.message();
        EXPECT_EQ(without->ranta, 0);
        EXPECT_EQ(without->cykTillAvv, 0);
        EXPECT_EQ(without->totaltid, 250);
        EXPECT_EQ(without->rows[1], std::optional<double>(35));
    }
}

}  // namespace
}  // namespace lodra
