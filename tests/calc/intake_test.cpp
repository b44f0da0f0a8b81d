// The intake: number conversion, refusals, and the values and lists it sets.
#include <gtest/gtest.h>

#include <cmath>

#include "calc/calculation.h"
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

TEST(ParseNumber, RoundsHalfToEven) {
    EXPECT_EQ(roundHalfEven(12.5), 12);
    EXPECT_EQ(roundHalfEven(13.5), 14);
    EXPECT_EQ(roundHalfEven(12.49), 12);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(0.5), 0);
}

Outcome run(StandCalculation& calc, const InputRecord& input, char sep = '.') {
    SeededRandom random(7);
    CalcOptions options;
    options.decimalSeparator = sep;
    options.random = &random;
    return calc.berakna(input, options);
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
    input.optGallring = false;
    input.optKalavv = true;
    input.berikning = "80";
    StandCalculation calc;
    ASSERT_TRUE(run(calc, input).ok());
    EXPECT_EQ(calc.s.atgard, 1.0);
    EXPECT_EQ(calc.s.berikKostAr1, 0);
    EXPECT_EQ(calc.s.atervKostAr1, 1125);  // 15 % of 7500

    input.optTall = input.optGran = input.optLov = false;  // no species: pine
    ASSERT_TRUE(run(calc, input).ok());
    EXPECT_EQ(calc.s.tradslag, 1);
}

TEST(Intake, HorizonIsRoundedHalfToEven) {
    StandCalculation calc;
    InputRecord input;
    input.totaltid = "12.5";
    ASSERT_TRUE(run(calc, input).ok());
    EXPECT_EQ(calc.s.totaltid, 12);
    input.totaltid = "13,5";
    ASSERT_TRUE(run(calc, input, ',').ok());
    EXPECT_EQ(calc.s.totaltid, 14);
}

struct Refusal {
    const char* what;
    void (*edit)(InputRecord&);
    const char* message;
};

TEST(Intake, RefusesWithAMessageNamingFieldAndText) {
    const Refusal cases[] = {
        {"letters", [](InputRecord& r) { r.bonitet = "abc"; },
         "Fältet \"Bonitet ( m3sk per år och ha )\" innehåller \"abc\", som inte är ett tal. "
         "Skriv ett tal, till exempel 12.5."},
        {"empty", [](InputRecord& r) { r.areal = ""; },
         "Fältet \"Provytans areal ( m2 )\" är tomt. Skriv ett tal, till exempel 12.5."},
        {"horizon 0", [](InputRecord& r) { r.totaltid = "0"; },
         "Fältet \"Antal år som nuvärdet ska omfatta\" innehåller \"0\". Antalet år måste vara "
         "ett heltal från 1 till 32767."},
        {"horizon 0.4 rounds to 0", [](InputRecord& r) { r.totaltid = "0.4"; },
         "Fältet \"Antal år som nuvärdet ska omfatta\" innehåller \"0.4\". Antalet år måste vara "
         "ett heltal från 1 till 32767."},
        {"horizon 40000", [](InputRecord& r) { r.totaltid = "40000"; },
         "Fältet \"Antal år som nuvärdet ska omfatta\" innehåller \"40000\". Antalet år måste "
         "vara ett heltal från 1 till 32767."},
        {"area 0", [](InputRecord& r) { r.areal = "0"; },
         "Fältet \"Provytans areal ( m2 )\" innehåller \"0\". Arealen måste vara större än 0 m2."},
        {"area negative", [](InputRecord& r) { r.areal = "-50"; },
         "Fältet \"Provytans areal ( m2 )\" innehåller \"-50\". Arealen måste vara större än 0 "
         "m2."},
        {"rate 2.5", [](InputRecord& r) { r.ranta = "2.5"; },
         "Fältet \"Räntekrav ( % )\" innehåller \"2.5\". Avverkningsdiametern finns bara för "
         "räntekraven 2, 3, 4 och 5 %."},
        {"site index negative", [](InputRecord& r) { r.bonitet = "-1"; },
         "Fältet \"Bonitet ( m3sk per år och ha )\" innehåller \"-1\". Boniteten får inte vara "
         "negativ."},
        {"ring above 100", [](InputRecord& r) { r.maxRing = "150"; },
         "Fältet \"Största tänkbara årsring i mm\" innehåller \"150\". Den största tänkbara "
         "årsringen får vara högst 100 mm."},
        {"tree blanks only", [](InputRecord& r) { r.rows[3].text = "  "; },
         "Träd 4 i fönstret Träddiametrar: diametern \"  \" är inte ett tal. Skriv ett tal, till "
         "exempel 12.5, eller töm raden."},
    };
    for (const Refusal& c : cases) {
        StandCalculation calc;
        ASSERT_TRUE(run(calc, InputRecord{}).ok());
        const double nuvarde = calc.economics.nuvarde;
        InputRecord input;
        c.edit(input);
        const Outcome outcome = run(calc, input);
        EXPECT_EQ(outcome.status, Status::Refused) << c.what;
        EXPECT_EQ(outcome.message, c.message) << c.what;
        // Nothing of the refused calculation is left behind.
        EXPECT_EQ(calc.economics.nuvarde, nuvarde) << c.what;
        EXPECT_EQ(calc.s.totaltid, 250) << c.what;
    }
}

TEST(Intake, MessageExampleUsesTheDecimalSeparator) {
    InputRecord input;
    input.cykTillAvv = "två";
    StandCalculation calc;
    EXPECT_EQ(run(calc, input, ',').message,
              "Fältet \"Cykler (5-åriga) till nästa avverkning\" innehåller \"två\", som inte är "
              "ett tal. Skriv ett tal, till exempel 12,5.");
}

TEST(Intake, OddButConvertibleValuesAreTaken) {
    InputRecord input;
    input.variation = "-5";
    input.bonitet = "0";
    input.areal = "0.001";
    StandCalculation calc;
    EXPECT_TRUE(run(calc, input).ok());
}

}  // namespace
}  // namespace lodra
