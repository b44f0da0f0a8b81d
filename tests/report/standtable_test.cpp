#include "report/standtable.h"

#include <gtest/gtest.h>

namespace lodra {
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

// A calculated stand whose figures differ from what its sums would give: the table must
// print the calculation's figures, not work them out again.
StandCalculation calculated() {
    StandCalculation c;
    StandState& s = c.s;
    s.antalAvverkningar = 4;
    s.medeldiameter = 37.5;
    s.ringMax = 5;
    s.ringMin = 1.25;
    s.vol00Max = 300;
    s.vol00Min = 10;
    s.vol05Max = 320;
    s.vol05Min = 12;
    c.economics = {315.25, -0.0, 15562.5, 96578.35, 949, -1234.5};
    ReportFigures& f = c.figures;
    f.arMellanAvv = 62.5;
    f.prodVolymPerAr = 3.6;
    f.volymPerAvv = 225;
    f.avvTradPerHa = 600;
    f.ringMedel = 2;
    f.vol00Medel = 100;
    f.vol05Medel = 120;
    return c;
}

TEST(StandTable, CalculatedRowHoldsTheFiguresOfTheResultTextInFull) {
    StandCalculation withFellings = calculated();
    StandCalculation without = calculated();
    without.s.antalAvverkningar = 0;  // years and volume per felling are left out
    const struct {
        const StandCalculation& calculation;
        int row;
        char separator;
        const char* expected;
    } cases[] = {
        {withFellings, 7, ',',
         "7;315,25;0;15562,5;96578,35;949;-1234,5;4;62,5;3,6;225;600;37,5;5;2;1,25;300;100;10;"
         "320;120;12;\r\n"},
        {withFellings, 2, '.',
         "2;315.25;0;15562.5;96578.35;949;-1234.5;4;62.5;3.6;225;600;37.5;5;2;1.25;300;100;10;"
         "320;120;12;\r\n"},
        {without, 3, '.',
         "3;315.25;0;15562.5;96578.35;949;-1234.5;0;;3.6;;600;37.5;5;2;1.25;300;100;10;320;120;"
         "12;\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tableRow(c.row, c.calculation, c.separator), c.expected);
    }
}

TEST(StandTable, RefusedRowHasItsMessageQuotedWhereNeeded) {
    EXPECT_EQ(tableRefusedRow(4, "Rad utan fel"), "4;;;;;;;;;;;;;;;;;;;;;;Rad utan fel\r\n");
    EXPECT_EQ(tableRefusedRow(12, "Fältet \"Ränta\" innehåller \"2;5\"."),
              "12;;;;;;;;;;;;;;;;;;;;;;\"Fältet \"\"Ränta\"\" innehåller \"\"2;5\"\".\"\r\n");
}

}  // namespace
}  // namespace lodra
