// The CSV files of the cycle rows and of the comparison, whole and byte for byte.
#include <gtest/gtest.h>

#include "report/cyclecsv.h"
#include "report/spreadcsv.h"

namespace lodra {
namespace {

const std::vector<CycleRow> kRows = {
    {0, 1.96, 189.2375, 209.15, 36.2612, false, 0, 0, 0, 0, 0, 0, 0},
    {10, 0.5, 12.5, 13, 21.25, true, 200, 41.5, 317.375, 96578.5, 562.5, -1e-05, -2.5e+20},
    {15, 4.99, 13, 23.3, 75.37, true, 0, 0, 0, 0, 0, 0, -2.5e+20},
};

// Each row is dated by the end of its cycle, when its felling is made; "ja" only where a
// tree was felled, "ingen" where the cycle could fell but felled nothing.
TEST(CycleCsv, WholeFile) {
    const std::string header =
        "\xEF\xBB\xBF"
        "År vid cykelns slut;Årsring (mm);Volym vid start (m3sk/ha);Volym efter 5 år (m3sk/ha);"
        "Avverkningsdiameter (cm);Avverkning;Avverkade träd (st/ha);Medeldiameter (cm);"
        "Avverkad volym (m3sk/ha);Netto (kr/ha);Återväxtkostnad (kr/ha);"
        "Diskonterat netto (kr/ha);Summa diskonterat netto (kr/ha)\r\n";
    EXPECT_EQ(cycleCsv(kRows, ','),
              header +
                  "5;1,96;189,2375;209,15;36,2612;nej;0;0;0;0;0;0;0\r\n"
                  "15;0,5;12,5;13;21,25;ja;200;41,5;317,375;96578,5;562,5;-1E-05;-2,5E+20\r\n"
                  "20;4,99;13;23,3;75,37;ingen;0;0;0;0;0;0;-2,5E+20\r\n");
    EXPECT_EQ(cycleCsv({}, '.'), header);
    EXPECT_EQ(cycleCsvRow(kRows[1], '.'),
              "15;0.5;12.5;13;21.25;ja;200;41.5;317.375;96578.5;562.5;-1E-05;-2.5E+20");
}

TEST(MeasureComparisonCsv, WholeFile) {
    MeasureComparison both;
    for (std::size_t c = 0; c < 11; ++c) {
        for (std::size_t r = 0; r < 4; ++r) {
            both.grids[0].nuvarde[c][r] = static_cast<double>(c * 10 + r) + 0.5;
            both.grids[1].nuvarde[c][r] = static_cast<double>(c * 10 + r) - 0.5;
        }
    }
    both.grids[0].nuvarde[4][3] = std::nullopt;
    both.grids[1].nuvarde[2][0] = 1000;    // clear-felling best at 2 %
    both.grids[1].nuvarde[10][3] = 103.5;  // equal to thinning's best at 5 %: thinning
    EXPECT_EQ(measureComparisonCsv(both, ','),
              "\xEF\xBB\xBF"
              "Cykler till avverkning;Gallring och plockhuggning vid 2 % (kr/ha);"
              "Gallring och plockhuggning vid 3 % (kr/ha);Gallring och plockhuggning vid 4 % "
              "(kr/ha);Gallring och plockhuggning vid 5 % (kr/ha);Kalavverkning vid 2 % (kr/ha);"
              "Kalavverkning vid 3 % (kr/ha);Kalavverkning vid 4 % (kr/ha);Kalavverkning vid 5 % "
              "(kr/ha)\r\n"
              "0;0,5;1,5;2,5;3,5;-0,5;0,5;1,5;2,5\r\n"
              "1;10,5;11,5;12,5;13,5;9,5;10,5;11,5;12,5\r\n"
              "2;20,5;21,5;22,5;23,5;1000;20,5;21,5;22,5\r\n"
              "3;30,5;31,5;32,5;33,5;29,5;30,5;31,5;32,5\r\n"
              "4;40,5;41,5;42,5;;39,5;40,5;41,5;42,5\r\n"
              "5;50,5;51,5;52,5;53,5;49,5;50,5;51,5;52,5\r\n"
              "6;60,5;61,5;62,5;63,5;59,5;60,5;61,5;62,5\r\n"
              "7;70,5;71,5;72,5;73,5;69,5;70,5;71,5;72,5\r\n"
              "8;80,5;81,5;82,5;83,5;79,5;80,5;81,5;82,5\r\n"
              "9;90,5;91,5;92,5;93,5;89,5;90,5;91,5;92,5\r\n"
              "10;100,5;101,5;102,5;103,5;99,5;100,5;101,5;103,5\r\n"
              "Bästa åtgärd;Kalavverkning;Gallring och plockhuggning;Gallring och "
              "plockhuggning;Gallring och plockhuggning\r\n"
              "Bästa antal cykler;2;10;10;10\r\n");
}

// Under runs a best pair whose lead is not clear is not named: its rate says so instead.
TEST(MeasureComparisonCsv, BestNotToldApartIsSaid) {
    MeasureComparison both;
    both.grids[0].nuvarde[1] = {5.0, 5.0, 5.0, 5.0};
    both.grids[1].nuvarde[3] = {4.0, 4.0, 4.0, 6.0};
    both.varied = true;
    const std::optional<double> errors[] = {0.4, 0.6, std::nullopt, 0.1};
    for (std::size_t r = 0; r < 4; ++r) {
        both.leads[r] = ComparisonLead{1, 3, 1.0, errors[r]};
    }
    const std::string csv = measureComparisonCsv(both, '.');
    EXPECT_EQ(csv.substr(csv.find("Bästa åtgärd")),
              "Bästa åtgärd;Gallring och plockhuggning;kan inte skiljas åt;kan inte skiljas åt;"
              "Kalavverkning\r\n"
              "Bästa antal cykler;1;;;3\r\n");
}

// The summary first, then the runs; a seed keeps its 20 digits as text behind its mark.
TEST(SpreadRunsCsv, WholeFile) {
    const char* header =
        "\xEF\xBB\xBF"
        "Sammanfattning;Nuvärde (kr/ha);År mellan avverkningarna;Volym/avverkning (m3sk/ha)\r\n";
    const char* runsHeader =
        "\r\nKörning;Frö;Nuvärde (kr/ha);År mellan avverkningarna;Volym/avverkning (m3sk/ha)\r\n";
    const struct {
        const char* name;
        std::vector<SpreadRun> runs;
        std::string summary;  // between the two headers
        std::string rows;     // after the runs' header
    } cases[] = {
        {"a completed run with fellings, one without any, and a stopped one",
         {{18446744073709551615u, true, true, 157661.25, 62.5, 225},
          {7, true, false, -0.5, 0, 0},
          {0, false, false, 0, 0, 0}},
         "Antal värden;2;1;1\r\n"
         "Medel;78830,375;62,5;225\r\n"
         "Standardavvikelse;111483,692558738;;\r\n"
         "Min;-0,5;62,5;225\r\n"
         "P5;7882,5875;62,5;225\r\n"
         "P10;15765,675;62,5;225\r\n"
         "P50;78830,375;62,5;225\r\n"
         "P90;141895,075;62,5;225\r\n"
         "P95;149778,1625;62,5;225\r\n"
         "Max;157661,25;62,5;225\r\n"
         "Stoppade körningar;1\r\n",
         "1;#18446744073709551615;157661,25;62,5;225\r\n"
         "2;#7;-0,5;;\r\n"
         "3;#0;;;\r\n"},
        {"every run stopped: no figure at all",
         {{12345678901234567890u, false, false, 0, 0, 0}},
         "Antal värden;0;0;0\r\n"
         "Medel;;;\r\nStandardavvikelse;;;\r\nMin;;;\r\nP5;;;\r\nP10;;;\r\nP50;;;\r\n"
         "P90;;;\r\nP95;;;\r\nMax;;;\r\n"
         "Stoppade körningar;1\r\n",
         "1;#12345678901234567890;;;\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Spread spread;
        spread.runs = c.runs;
        summarize(spread);
        EXPECT_EQ(spreadRunsCsv(spread, ','), header + c.summary + runsHeader + c.rows);
    }
}

}  // namespace
}  // namespace lodra
