#include "batch/standtable.h"

#include <gtest/gtest.h>

namespace lodra::batch {
namespace {

TEST(StandTable, HeaderStartsWithAByteOrderMarkAndNamesEveryColumn) {
    EXPECT_EQ(tableHeader(),
              "\xEF\xBB\xBFRad;Netto per träd (kr/träd);Röjning nu (kr/ha);Återväxtkostnad "
              "(kr/ha);Drivningsnetto (kr/ha);Kassaflöde i framtid (kr/ha och år);Nuvärde "
              "(kr/ha);Antal avverkningar;År mellan avverkningarna;Producerad volym (m3sk/ha och "
              "år);Volym/avverkning (m3sk/ha);Antal avverkade träd/ha;Medeldiameter (cm);Årsring "
              "max (mm);Årsring medel (mm);Årsring min (mm);Volym år 0 max (m3sk/ha);Volym år 0 "
              "medel (m3sk/ha);Volym år 0 min (m3sk/ha);Volym år 5 max (m3sk/ha);Volym år 5 "
              "medel (m3sk/ha);Volym år 5 min (m3sk/ha);Meddelande\r\n");
}

StandCalculation calculated() {
    StandCalculation c;
    StandState& s = c.s;
    s.totaltid = 250;
    s.antalAvverkningar = 4;
    s.haFaktor = 200;
    s.avvVolSumma = 4.5;
    s.antalAvvTotalt = 3;
    s.medeldiameter = 37.5;
    s.antalCykler = 50;
    s.ringMax = 5;
    s.ringSumma = 100;
    s.ringMin = 1.25;
    s.vol00Max = 300;
    s.vol00Summa = 5000;
    s.vol00Min = 10;
    s.vol05Max = 320;
    s.vol05Summa = 6000;
    s.vol05Min = 12;
    c.economics = {315.25, -0.0, 15562.5, 96578.35, 949, -1234.5};
    return c;
}

TEST(StandTable, CalculatedRowHoldsTheFiguresOfTheResultTextInFull) {
    EXPECT_EQ(tableRow(7, calculated(), ','),
              "7;315,25;0;15562,5;96578,35;949;-1234,5;4;62,5;3,6;225;600;37,5;5;2;1,25;300;100;"
              "10;320;120;12;\r\n");
    EXPECT_EQ(tableRow(2, calculated(), '.'),
              "2;315.25;0;15562.5;96578.35;949;-1234.5;4;62.5;3.6;225;600;37.5;5;2;1.25;300;100;"
              "10;320;120;12;\r\n");
}

TEST(StandTable, FiguresThatTheResultTextLeavesOutAreEmpty) {
    StandCalculation c = calculated();
    c.s.antalAvverkningar = 0;
    c.s.avvVolSumma = 0;
    c.s.antalAvvTotalt = 0;
    c.s.medeldiameter = 0;
    EXPECT_EQ(tableRow(3, c, '.'),
              "3;315.25;0;15562.5;96578.35;949;-1234.5;0;;0;;0;0;5;2;1.25;300;100;10;320;120;12;"
              "\r\n");
}

TEST(StandTable, RefusedRowHasItsMessageQuotedWhereNeeded) {
    EXPECT_EQ(tableRefusedRow(4, "Rad utan fel"), "4;;;;;;;;;;;;;;;;;;;;;;Rad utan fel\r\n");
    EXPECT_EQ(tableRefusedRow(12, "Fältet \"Ränta\" innehåller \"2;5\"."),
              "12;;;;;;;;;;;;;;;;;;;;;;\"Fältet \"\"Ränta\"\" innehåller \"\"2;5\"\".\"\r\n");
}

}  // namespace
}  // namespace lodra::batch
