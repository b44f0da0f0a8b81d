// The report texts, whole, and the saved-file bytes of a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <vector>

#include "session/session.h"
#include "tests/seededsession.h"
#include "tests/testfiles.h"

namespace lodra {
namespace {

std::string readFile(const std::string& name) {
    return testfiles::readFile(std::string(LODRA05_TEST_DATA) + "/" + name);
}

// Lines joined with CR LF, each one ended by it.
std::string crlf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// Every '.' of a text becomes the separator: the expected texts are written with '.'.
std::string withSeparator(std::string text, char sep) {
    for (char& c : text) {
        if (c == '.') {
            c = sep;
        }
    }
    return text;
}

struct Stand {
    const char* totaltid;
    const char* bonitet;
    const char* areal;
    const char* ranta;
    const char* maxRing;
    int tradslag;  // 1 Tall, 2 Gran, 3 Löv
    bool kalavv;
    const char* atervandel;
    const char* berikning;
    const char* cykTillAvv;
    std::vector<TreeRow> trees;
};

InputRecord record(const Stand& st) {
    InputRecord r{.totaltid = st.totaltid,
                  .bonitet = st.bonitet,
                  .areal = st.areal,
                  .ranta = st.ranta,
                  .maxRing = st.maxRing,
                  .species = static_cast<Species>(st.tradslag - 1),
                  .atervandel = st.atervandel,
                  .measure = st.kalavv ? Measure::kalavverkning : Measure::gallring,
                  .berikning = st.berikning,
                  .cykTillAvv = st.cykTillAvv,
                  .rows = {}};
    std::copy(st.trees.begin(), st.trees.end(), r.rows.begin());
    return r;
}

using testsession::calculate;

// clang-format off: the expected texts keep one report line per source line.
// The expected texts keep one report line per source line.
// clang-format off
const std::string kDashes(146, '-');

std::string defaultIndata(char sep) {
    return withSeparator(
        crlf({" Antal träd/ha vid start = \t\t600", " Nuvärde beräknas på en period av \t250 år",
              " Bonitet = \t4 m3/år och ha", " Ytans areal = \t50 m2", " Ränta = \t\t3 %",
              " Max årsring = \t5 mm", " Art = \t\tGran", " Ingen slumpvis ändring av diametern",
              " Återväxt år 1 = \t15 %", " Åtgärd = \tGallring och plockhuggning",
              " Berikande plantering = \t50 %", " Tid mellan avverkningar = \tminst 15 år", "",
              " Diametrar hos träd som avverkas omedelbart = \t  45.0",
              " Volym för dessa träd = \t\t\t317 m3sk/ha",
              " Diametrar hos träd som lämnas för tillväxt = \t  35.0,   1.0,   1.0"}) +
            " Diametrar efter \t250 år = \t\t\t  26.9,  13.6,  13.6",
        sep);
}

std::string defaultResultat(char sep) {
    return withSeparator(
               crlf({" År mellan avverkningarna = \t42", "",
                     " Producerad volym/ha och år = \t   4.4 m3sk",
                     " Volym/avverkning = \t\t   183 m3sk / ha",
                     " Antal avverkade träd/ha = 1800\t Medeldiameter = 29.55", "",
                     " Årsring\t\t Max=   4.99\t Medel=   1.82\t Min =   0.86",
                     " Volym år 0\t Max=    229\t Medel=    114\t Min =     13",
                     " Volym år 5\t Max=    249\t Medel=    134\t Min =     23", "",
                     " Netto av i framtiden avverkade träd (exkl återväxt) =\t163 kr/träd",
                     " Röjning nu kostar 0 kr/ha"}),
               sep) +
           crlf({kDashes, " ÅTERVÄXTKOSTNAD (inkl. år 1) = \t\t\t\t  11813 kr/ha",
                 " DRIVNINGSNETTO av nu avv. träd (exkl. röjning och återväxt) = \t  96578 kr/ha",
                 " KASSAFLÖDE I FRAMTID (inkl återväxt) = \t\t\t   1126  kr/ha och år",
                 " NUVÄRDE (inkl Avverkning nu+framtid, återväxt, röjning) = \t\t 157661 kr/ha"});
}

TEST(ReportText, DefaultStandOnScreen) {
    for (const char sep : {'.', ','}) {
        Session session(sep);
        ASSERT_TRUE(calculate(session, InputRecord{}).ok());
        EXPECT_EQ(session.Indata, defaultIndata(sep)) << sep;
        EXPECT_EQ(session.Resultat, defaultResultat(sep)) << sep;
    }
}

TEST(ReportText, DefaultStandFileBytes) {
    Session dot('.');
    ASSERT_TRUE(calculate(dot, InputRecord{}).ok());
    EXPECT_EQ(dot.fileBytes(), readFile("default.dot.txt"));
    Session comma(',');
    ASSERT_TRUE(calculate(comma, InputRecord{}).ok());
    EXPECT_EQ(comma.fileBytes(), readFile("default.comma.txt"));
}

// The nine stands of variants.csv, as the windows would hold them.
const std::vector<Stand> kVariants = {
    {"250",
     "4",
     "50",
     "3",
     "5",
     2,
     false,
     "15",
     "50",
     "2",
     {{"45", true}, {"35", false}, {"1", false}, {"1", false}}},
    {"100",
     "6",
     "100",
     "2",
     "8",
     1,
     true,
     "20",
     "50",
     "3",
     {{"38", true},
      {"10", true},
      {"28", false},
      {"22", false},
      {"17", false},
      {"12", false},
      {"6", false}}},
    {"5",
     "3.5",
     "50",
     "4",
     "5",
     3,
     false,
     "15",
     "40",
     "0",
     {{"9", true}, {"25", false}, {"18", false}}},
    {"400",
     "5",
     "25",
     "5",
     "6",
     2,
     false,
     "0",
     "0",
     "1",
     {{"30", false}, {"24", false}, {"16", false}, {"8", false}, {"2", false}}},
    {"37",
     "2.5",
     "80",
     "3",
     "4",
     1,
     false,
     "100",
     "75",
     "0.5",
     {{"11.5", true}, {"11.4", true}, {"11.6", true}, {"40", false}}},
    {"250", "4", "50", "3", "5", 2, false, "15", "50", "2", {}},
    {"60",
     "25",
     "50",
     "3",
     "5",
     2,
     true,
     "15",
     "50",
     "1",
     {{"20", false}, {"20", false}, {"20", false}}},
    {"1", "4", "10", "5", "10", 1, true, "15", "50", "2", {{"50", false}, {"1", false}}},
    {"251",
     "4.2",
     "33.3",
     "3",
     "5.5",
     2,
     false,
     "12.5",
     "60",
     "2",
     {{"32.5", false},
      {"27", false},
      {"21.4", false},
      {"15", false},
      {"9.9", false},
      {"5", false},
      {"3", false},
      {"1", false},
      {"48", true},
      {"0", true}}},
};

TEST(ReportText, VariantStandsFileBytes) {
    for (const auto& [sep, file] :
         {std::pair{'.', "variants.dot.txt"}, std::pair{',', "variants.comma.txt"}}) {
        Session session(sep);
        for (const Stand& stand : kVariants) {
            ASSERT_TRUE(calculate(session, record(stand)).ok());
        }
        EXPECT_EQ(session.fileBytes(), readFile(file)) << file;
    }
}

TEST(ReportText, OneCycleWithoutFellingOnScreen) {
    Session session('.');
    InputRecord input;
    input.totaltid = "5";
    ASSERT_TRUE(calculate(session, input).ok());
    // No line with the diameters after the last growth: only one cycle ran.
    EXPECT_EQ(
        session.Indata,
        crlf({" Antal träd/ha vid start = \t\t600", " Nuvärde beräknas på en period av \t5 år",
              " Bonitet = \t4 m3/år och ha", " Ytans areal = \t50 m2", " Ränta = \t\t3 %",
              " Max årsring = \t5 mm", " Art = \t\tGran", " Ingen slumpvis ändring av diametern",
              " Återväxt år 1 = \t15 %", " Åtgärd = \tGallring och plockhuggning",
              " Berikande plantering = \t50 %", " Tid mellan avverkningar = \tminst 15 år", "",
              " Diametrar hos träd som avverkas omedelbart = \t  45.0",
              " Volym för dessa träd = \t\t\t317 m3sk/ha",
              " Diametrar hos träd som lämnas för tillväxt = \t  35.0,   1.0,   1.0"}));
    // No felling: no years between fellings and no volume per felling.
    EXPECT_EQ(
        session.Resultat,
        crlf({" Producerad volym/ha och år = \t   0.0 m3sk",
              " Antal avverkade träd/ha = 0\t Medeldiameter = 0.00", "",
              " Årsring\t\t Max=   1.96\t Medel=   1.96\t Min =   1.96",
              " Volym år 0\t Max=    189\t Medel=    189\t Min =    189",
              " Volym år 5\t Max=    209\t Medel=    209\t Min =    209", "",
              " Netto av i framtiden avverkade träd (exkl återväxt) =\t0 kr/träd",
              " Röjning nu kostar 0 kr/ha", kDashes,
              " ÅTERVÄXTKOSTNAD (inkl. år 1) = \t\t\t\t    563 kr/ha",
              " DRIVNINGSNETTO av nu avv. träd (exkl. röjning och återväxt) = \t  96578 kr/ha",
              " KASSAFLÖDE I FRAMTID (inkl återväxt) = \t\t\t      0  kr/ha och år",
              " NUVÄRDE (inkl Avverkning nu+framtid, återväxt, röjning) = \t\t  96016 kr/ha"}));
}

TEST(ReportText, RandomVariationAndNoTreeFelledAtOnce) {
    Session session(',');
    InputRecord input;
    input.rows = {};
    input.rows[0] = {"10", false};
    input.totaltid = "20";
    input.variation = "25";
    ASSERT_TRUE(calculate(session, input).ok());
    EXPECT_EQ(
        session.Indata,
        crlf({" Antal träd/ha vid start = \t\t200", " Nuvärde beräknas på en period av \t20 år",
              " Bonitet = \t4 m3/år och ha", " Ytans areal = \t50 m2", " Ränta = \t\t3 %",
              " Max årsring = \t5 mm", " Art = \t\tGran",
              " Slumpvis ändring av diametern per femårsperiod är 25*(-1..+-1) cm",
              " Återväxt år 1 = \t15 %", " Åtgärd = \tGallring och plockhuggning",
              " Berikande plantering = \t50 %", " Tid mellan avverkningar = \tminst 15 år", "",
              " Diametrar hos träd som avverkas omedelbart = \t",
              " Volym för dessa träd = \t\t\t0 m3sk/ha",
              " Diametrar hos träd som lämnas för tillväxt = \t  10,0"}) +
            " Diametrar efter \t20 år = \t\t\t  25,1");
    EXPECT_EQ(
        session.Resultat,
        crlf({" Producerad volym/ha och år = \t   0,0 m3sk",
              " Antal avverkade träd/ha = 0\t Medeldiameter = 0,00", "",
              " Årsring\t\t Max=   4,99\t Medel=   3,84\t Min =   2,76",
              " Volym år 0\t Max=     60\t Medel=     33\t Min =      8",
              " Volym år 5\t Max=     80\t Medel=     51\t Min =     22", "",
              " Netto av i framtiden avverkade träd (exkl återväxt) =\t0 kr/träd",
              " Röjning nu kostar 0 kr/ha", kDashes,
              " ÅTERVÄXTKOSTNAD (inkl. år 1) = \t\t\t\t    563 kr/ha",
              " DRIVNINGSNETTO av nu avv. träd (exkl. röjning och återväxt) = \t      0 kr/ha",
              " KASSAFLÖDE I FRAMTID (inkl återväxt) = \t\t\t      0  kr/ha och år",
              " NUVÄRDE (inkl Avverkning nu+framtid, återväxt, röjning) = \t\t   -563 kr/ha"}));
}

// clang-format on

// clang-format on

}  // namespace
}  // namespace lodra
