// The spread and measures tables: column names as a spreadsheet user reads them, and rows
// whose empty cells sit where a figure has no values.
#include "report/spreadtable.h"
#include "report/standtable.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lodra {
namespace {

TEST(SpreadTable, HeaderNamesEveryColumn) {
    EXPECT_EQ(spreadHeader(),
              "\xEF\xBB\xBFRad;korningar;stoppade;"
              "nuvarde_medel;nuvarde_sd;nuvarde_min;nuvarde_p5;nuvarde_p10;nuvarde_p50;"
              "nuvarde_p90;nuvarde_p95;nuvarde_max;"
              "ar_mellan_medel;ar_mellan_sd;ar_mellan_min;ar_mellan_p5;ar_mellan_p10;"
              "ar_mellan_p50;ar_mellan_p90;ar_mellan_p95;ar_mellan_max;"
              "vol_avv_medel;vol_avv_sd;vol_avv_min;vol_avv_p5;vol_avv_p10;vol_avv_p50;"
              "vol_avv_p90;vol_avv_p95;vol_avv_max;Meddelande\r\n");
}

TEST(SpreadTable, Rows) {
    Spread spread;
    spread.runs.resize(3);
    spread.stopped = 1;
    spread.firstStop = "Körning 2: stopp; \"för stort\"";
    spread.nuvarde = statisticsOf({-1.5, 1000.25});
    spread.arMellan = statisticsOf({15});  // one value: no standard deviation
    // vol_avv of no values: every figure empty
    EXPECT_EQ(spreadRow(7, spread, ','),
              "7;3;1;499,375;708,344218053624;-1,5;48,5875;98,675;499,375;900,075;950,1625;1000,25;"
              "15;;15;15;15;15;15;15;15;;;;;;;;;;\"Körning 2: stopp; \"\"för stort\"\"\"\r\n");
    EXPECT_EQ(spreadRefusedRow(3, "Rad 3: fel"), "3" + std::string(30, ';') + "Rad 3: fel\r\n");
}

TEST(MeasuresTable, HeaderAndRows) {
    const std::string header = measuresHeader();
    EXPECT_EQ(header.rfind("\xEF\xBB\xBFRad;gallring_c0_r2;gallring_c0_r3;gallring_c0_r4;"
                           "gallring_c0_r5;gallring_c1_r2;",
                           0),
              0u);
    EXPECT_NE(header.find(";gallring_c10_r5;kal_c0_r2;"), std::string::npos);
    EXPECT_NE(header.find(";kal_c10_r5;basta_atgard_r2;basta_atgard_r3;basta_atgard_r4;"
                          "basta_atgard_r5;basta_cykler_r2;basta_cykler_r3;basta_cykler_r4;"
                          "basta_cykler_r5;Meddelande\r\n"),
              std::string::npos);

    MeasureComparison both;
    both.grids[0].nuvarde[0][0] = 1.5;
    both.grids[1].nuvarde[10][0] = 2.5;
    both.grids[0].nuvarde[3][1] = -7;
    both.grids[1].nuvarde[3][1] = -7;
    both.stopped = "Kalavverkning vid 1 cykel och 5 %: stopp";
    const std::string row = measuresRow(12, both, '.');
    // Rad, 88 values, 4 measures, 4 intervals, message: 97 separators.
    EXPECT_EQ(std::count(row.begin(), row.end(), ';'), 97);
    EXPECT_EQ(row.rfind("12;1.5;;;;", 0), 0u);
    // c10 under clear-felling, then the best pairs: 2.5 beats 1.5; the tie at 3 % goes to
    // thinning; no values at 4 and 5 %.
    EXPECT_TRUE(
        row.ends_with(";2.5;;;;kal;gallring;;;10;3;;;Kalavverkning vid 1 cykel och 5 %: "
                      "stopp\r\n"))
        << row;
}

// Under runs a rate whose best pair does not lead clearly names no best pair in either
// table, its values kept; a clear lead names it as ever.
TEST(MeasuresTable, BestOnlyWhereItsLeadIsClear) {
    MeasureComparison both;
    both.grids[0].nuvarde[0] = {10.0, 10.0, 10.0, 10.0};
    both.grids[1].nuvarde[2] = {9.0, 9.0, 9.0, 9.0};
    both.varied = true;
    both.leads[0] = ComparisonLead{1, 2, 1.0, 0.25};
    both.leads[1] = ComparisonLead{1, 2, 1.0, 0.5};
    const std::string row = measuresRow(3, both, '.');
    EXPECT_TRUE(row.ends_with(";gallring;;gallring;gallring;0;;0;0;\r\n")) << row;

    ComparisonGrid grid = both.grids[1];
    grid.leads = both.leads;
    EXPECT_TRUE(compareRow(3, grid, '.').ends_with(";2;;2;2;\r\n"));
}

}  // namespace
}  // namespace lodra
