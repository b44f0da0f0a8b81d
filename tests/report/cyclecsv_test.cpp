// The CSV files of the cycle rows and of the comparison, whole and byte for byte.
#include <gtest/gtest.h>

#include "report/cyclecsv.h"

namespace lodra {
namespace {

const std::vector<CycleRow> kRows = {
    {0, 1.96, 189.2375, 209.15, 36.2612, false, 0, 0, 0, 0, 0, 0, 0},
    {10, 0.5, 12.5, 13, 21.25, true, 200, 41.5, 317.375, 96578.5, 562.5, -1e-05, -2.5e+20},
};

TEST(CycleCsv, WholeFile) {
    const std::string header =
        "\xEF\xBB\xBF"
        "År;Årsring (mm);Volym vid start (m3sk/ha);Volym efter 5 år (m3sk/ha);"
        "Avverkningsdiameter (cm);Avverkning;Avverkade träd (st/ha);Medeldiameter (cm);"
        "Avverkad volym (m3sk/ha);Netto (kr/ha);Återväxtkostnad (kr/ha);"
        "Diskonterat netto (kr/ha);Summa diskonterat netto (kr/ha)\r\n";
    EXPECT_EQ(cycleCsv(kRows, ','),
              header +
                  "0;1,96;189,2375;209,15;36,2612;nej;0;0;0;0;0;0;0\r\n"
                  "10;0,5;12,5;13;21,25;ja;200;41,5;317,375;96578,5;562,5;-1E-05;-2,5E+20\r\n");
    EXPECT_EQ(cycleCsv({}, '.'), header);
    EXPECT_EQ(cycleCsvRow(kRows[1], '.'),
              "10;0.5;12.5;13;21.25;ja;200;41.5;317.375;96578.5;562.5;-1E-05;-2.5E+20");
}

TEST(ComparisonCsv, WholeFile) {
    ComparisonGrid grid;
    for (std::size_t c = 0; c < 11; ++c) {
        for (std::size_t r = 0; r < 4; ++r) {
            grid.nuvarde[c][r] = static_cast<double>(c * 10 + r) + 0.5;
        }
    }
    grid.nuvarde[3][1] = 1e6;
    grid.nuvarde[4][3] = std::nullopt;
    grid.nuvarde[10][3] = -1.25;
    EXPECT_EQ(comparisonCsv(grid, ','),
              "\xEF\xBB\xBF"
              "Cykler till avverkning;Nuvärde vid 2 % (kr/ha);Nuvärde vid 3 % (kr/ha);"
              "Nuvärde vid 4 % (kr/ha);Nuvärde vid 5 % (kr/ha)\r\n"
              "0;0,5;1,5;2,5;3,5\r\n"
              "1;10,5;11,5;12,5;13,5\r\n"
              "2;20,5;21,5;22,5;23,5\r\n"
              "3;30,5;1000000;32,5;33,5\r\n"
              "4;40,5;41,5;42,5;\r\n"
              "5;50,5;51,5;52,5;53,5\r\n"
              "6;60,5;61,5;62,5;63,5\r\n"
              "7;70,5;71,5;72,5;73,5\r\n"
              "8;80,5;81,5;82,5;83,5\r\n"
              "9;90,5;91,5;92,5;93,5\r\n"
              "10;100,5;101,5;102,5;-1,25\r\n"
              "Bästa antal cykler;10;3;10;9\r\n");
}

}  // namespace
}  // namespace lodra
