#include "report/reporttext.h"

#include "report/numbertext.h"

namespace lodra {

namespace {

constexpr const char* kBreak = "\r\n";

std::string tabs(int n) {
    return std::string(static_cast<std::size_t>(n), '\t');
}

// Builds one line in its screen and its file form at once; they differ only in tabs.
struct TwoTexts {
    std::string screen;
    std::string file;

    void add(const std::string& piece) {
        screen += piece;
        file += piece;
    }
    void addTabs(int onScreen, int inFile) {
        screen += tabs(onScreen);
        file += tabs(inFile);
    }
};

const char* speciesName(int tradslag) {
    if (tradslag == 2) {
        return "Gran";
    }
    if (tradslag == 3) {
        return "Löv";
    }
    return "Tall";
}

void inputSummary(const StandCalculation& calc, char sep, TwoTexts& t) {
    const StandState& s = calc.s;
    const ReportFigures& f = calc.figures;
    auto num = [sep](double v) { return numberText(v, sep); };

    t.add(" Antal träd/ha vid start = ");
    t.addTabs(2, 2);
    t.add(num(f.antalTradPerHa) + kBreak);
    t.add(" Nuvärde beräknas på en period av ");
    t.addTabs(1, 1);
    t.add(numberText(s.totaltid) + " år" + kBreak);
    t.add(" Bonitet = ");
    t.addTabs(1, 2);
    t.add(num(s.bonitet) + " m3/år och ha" + kBreak);
    t.add(" Ytans areal = ");
    t.addTabs(1, 2);
    t.add(num(s.areal) + " m2" + kBreak);
    t.add(" Ränta = ");
    t.addTabs(2, 2);
    t.add(num(s.ranta) + " %" + kBreak);
    t.add(" Max årsring = ");
    t.addTabs(1, 2);
    t.add(num(s.maxRing) + " mm" + kBreak);
    t.add(" Art = ");
    t.addTabs(2, 3);
    t.add(std::string(speciesName(s.tradslag)) + kBreak);
    if (s.variation > 0) {
        t.add(" Slumpvis ändring av diametern per femårsperiod är " + num(s.variation) +
              "*(-1..+-1) cm" + kBreak);
    } else {
        t.add(std::string(" Ingen slumpvis ändring av diametern") + kBreak);
    }
    t.add(" Återväxt år 1 = ");
    t.addTabs(1, 1);
    t.add(num(s.atervandel) + " %" + kBreak);
    t.add(" Åtgärd = ");
    t.addTabs(1, 2);
    t.add(std::string(s.atgard == 1.0 ? "Kalavverkning" : "Gallring och plockhuggning") + kBreak);
    t.add(" Berikande plantering = ");
    t.addTabs(1, 1);
    t.add(num(s.berikning) + " %" + kBreak);
    t.add(" Tid mellan avverkningar = ");
    t.addTabs(1, 1);
    t.add("minst " + num(f.tidMellanAvv) + " år" + kBreak + kBreak);
    t.add(" Diametrar hos träd som avverkas omedelbart = ");
    t.addTabs(1, 1);
    t.add(printDiaList(s.diaAvv, s.antalAvvDirekt, sep) + kBreak);
    t.add(" Volym för dessa träd = ");
    t.addTabs(3, 3);
    t.add(patternText(s.volAvv, "###0", sep) + " m3sk/ha" + kBreak);
    t.add(" Diametrar hos träd som lämnas för tillväxt = ");
    t.addTabs(1, 1);
    t.add(printDiaList(s.diaStart, s.antalTrad, sep) + kBreak);

    // The diameters after the last growth: on screen after two cycles or more, in the file
    // after eighty cycles or more. The line has no break of its own.
    const std::string dia05 = printDiaList(s.dia05, s.antalTrad, sep);
    if (s.ar - 5 > 1) {
        t.screen += " Diametrar efter " + tabs(1) + num(s.ar) + " år = " + tabs(3) + dia05;
    }
    if (s.ar - 5 > 390) {
        t.file += " Diametrar efter " + tabs(1) + num(s.ar - 5) + " år = " + tabs(2) + dia05;
    }
}

void resultText(const StandCalculation& calc, char sep, TwoTexts& t) {
    const StandState& s = calc.s;
    const ReportFigures& f = calc.figures;
    const Economics& e = calc.economics;
    auto pat = [sep](double v, std::string_view pattern) { return patternText(v, pattern, sep); };

    if (s.antalAvverkningar > 0) {
        t.add(" År mellan avverkningarna = " + tabs(1) + pat(f.arMellanAvv, "##0") + kBreak +
              kBreak);
    }
    t.add(" Producerad volym/ha och år = " + tabs(1) + HJ(pat(f.prodVolymPerAr, "##0.0"), 6) +
          " m3sk" + kBreak);
    if (s.antalAvverkningar > 0) {
        t.add(" Volym/avverkning = " + tabs(2) + HJ(pat(f.volymPerAvv, "###0"), 6) + " m3sk / ha" +
              kBreak);
    }
    t.add(" Antal avverkade träd/ha = " + pat(f.avvTradPerHa, "###0") + tabs(1) +
          " Medeldiameter = " + pat(s.medeldiameter, "##0.00") + kBreak + kBreak);
    t.add(" Årsring");
    t.addTabs(2, 1);
    t.add(" Max= " + HJ(pat(s.ringMax, "##0.00"), 6) + tabs(1) +
          " Medel= " + HJ(pat(f.ringMedel, "##0.00"), 6) + tabs(1) +
          " Min = " + HJ(pat(s.ringMin, "##0.00"), 6) + kBreak);
    t.add(" Volym år 0" + tabs(1) + " Max= " + HJ(pat(s.vol00Max, "###0"), 6) + tabs(1) +
          " Medel= " + HJ(pat(f.vol00Medel, "###0"), 6) + tabs(1) +
          " Min = " + HJ(pat(s.vol00Min, "###0"), 6) + kBreak);
    t.add(" Volym år 5" + tabs(1) + " Max= " + HJ(pat(s.vol05Max, "###0"), 6) + tabs(1) +
          " Medel= " + HJ(pat(f.vol05Medel, "###0"), 6) + tabs(1) +
          " Min = " + HJ(pat(s.vol05Min, "###0"), 6) + kBreak + kBreak);
    t.add(" Netto av i framtiden avverkade träd (exkl återväxt) =" + tabs(1) +
          pat(e.nettoPerTrad, "####0") + " kr/träd" + kBreak);
    t.add(" Röjning nu kostar " + numberText(e.rojningKost, sep) + " kr/ha" + kBreak);
    t.add(std::string(146, '-') + kBreak);
    t.add(" ÅTERVÄXTKOSTNAD (inkl. år 1) = " + tabs(4) + HJ(pat(e.atervKostTotal, "######0"), 7) +
          " kr/ha" + kBreak);
    t.add(" DRIVNINGSNETTO av nu avv. träd (exkl. röjning och återväxt) = " + tabs(1) +
          HJ(pat(e.drivningsnetto, "######0"), 7) + " kr/ha" + kBreak);
    t.add(" KASSAFLÖDE I FRAMTID (inkl återväxt) = " + tabs(3) +
          HJ(pat(e.kassaflode, "######0"), 7) + "  kr/ha och år" + kBreak);
    t.add(" NUVÄRDE (inkl Avverkning nu+framtid, återväxt, röjning) = ");
    t.addTabs(2, 1);
    t.add(HJ(pat(e.nuvarde, "######0"), 7) + " kr/ha" + kBreak);
}

}  // namespace

ReportBlocks buildReport(const StandCalculation& calc, char decimalSeparator) {
    TwoTexts summary;
    inputSummary(calc, decimalSeparator, summary);
    TwoTexts result;
    resultText(calc, decimalSeparator, result);
    return {std::move(summary.screen), std::move(summary.file), std::move(result.screen),
            std::move(result.file)};
}

}  // namespace lodra
