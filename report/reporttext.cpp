#include "report/reporttext.h"

#include "report/numbertext.h"

namespace lodra {

namespace {

constexpr const char* kBreak = "\r\n";

std::string tabs(int n) {
    return std::string(static_cast<std::size_t>(n), '\t');
}

// Builds the screen and the file form of a text at once; they differ only in tabs.
struct TwoTexts {
    std::string screen;
    std::string file;

    // label, the tabs of each form, the rest of the line and its break.
    void line(const std::string& label, int screenTabs, int fileTabs, const std::string& rest) {
        screen += label + tabs(screenTabs) + rest + kBreak;
        file += label + tabs(fileTabs) + rest + kBreak;
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

    t.line(" Antal träd/ha vid start = ", 2, 2, num(f.antalTradPerHa));
    t.line(" Nuvärde beräknas på en period av ", 1, 1, numberText(s.totaltid) + " år");
    t.line(" Bonitet = ", 1, 2, num(s.bonitet) + " m3/år och ha");
    t.line(" Ytans areal = ", 1, 2, num(s.areal) + " m2");
    t.line(" Ränta = ", 2, 2, num(s.ranta) + " %");
    t.line(" Max årsring = ", 1, 2, num(s.maxRing) + " mm");
    t.line(" Art = ", 2, 3, speciesName(s.tradslag));
    if (s.variation > 0) {
        t.line(" Slumpvis ändring av diametern per femårsperiod är ", 0, 0,
               num(s.variation) + "*(-1..+-1) cm");
    } else {
        t.line(" Ingen slumpvis ändring av diametern", 0, 0, "");
    }
    t.line(" Återväxt år 1 = ", 1, 1, num(s.atervandel) + " %");
    t.line(" Åtgärd = ", 1, 2, s.atgard == 1.0 ? "Kalavverkning" : "Gallring och plockhuggning");
    t.line(" Berikande plantering = ", 1, 1, num(s.berikning) + " %");
    t.line(" Tid mellan avverkningar = ", 1, 1, "minst " + num(f.tidMellanAvv) + " år" + kBreak);
    t.line(" Diametrar hos träd som avverkas omedelbart = ", 1, 1,
           printDiaList(s.diaAvv, s.antalAvvDirekt, sep));
    t.line(" Volym för dessa träd = ", 3, 3, patternText(s.volAvv, "###0", sep) + " m3sk/ha");
    t.line(" Diametrar hos träd som lämnas för tillväxt = ", 1, 1,
           printDiaList(s.diaStart, s.antalTrad, sep));

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
    // Largest, mean and smallest, each right-justified in six characters.
    auto maxMeanMin = [&pat](double max, double mean, double min, std::string_view pattern) {
        return " Max= " + HJ(pat(max, pattern), 6) + tabs(1) +
               " Medel= " + HJ(pat(mean, pattern), 6) + tabs(1) +
               " Min = " + HJ(pat(min, pattern), 6);
    };

    if (s.antalAvverkningar > 0) {
        t.line(" År mellan avverkningarna = ", 1, 1, pat(f.arMellanAvv, "##0") + kBreak);
    }
    t.line(" Producerad volym/ha och år = ", 1, 1, HJ(pat(f.prodVolymPerAr, "##0.0"), 6) + " m3sk");
    if (s.antalAvverkningar > 0) {
        t.line(" Volym/avverkning = ", 2, 2, HJ(pat(f.volymPerAvv, "###0"), 6) + " m3sk / ha");
    }
    t.line(" Antal avverkade träd/ha = " + pat(f.avvTradPerHa, "###0"), 1, 1,
           " Medeldiameter = " + pat(s.medeldiameter, "##0.00") + kBreak);
    t.line(" Årsring", 2, 1, maxMeanMin(s.ringMax, f.ringMedel, s.ringMin, "##0.00"));
    t.line(" Volym år 0", 1, 1, maxMeanMin(s.vol00Max, f.vol00Medel, s.vol00Min, "###0"));
    t.line(" Volym år 5", 1, 1, maxMeanMin(s.vol05Max, f.vol05Medel, s.vol05Min, "###0") + kBreak);
    t.line(" Netto av i framtiden avverkade träd (exkl återväxt) =", 1, 1,
           pat(e.nettoPerTrad, "####0") + " kr/träd");
    t.line(" Röjning nu kostar ", 0, 0, numberText(e.rojningKost, sep) + " kr/ha");
    t.line(std::string(146, '-'), 0, 0, "");
    t.line(" ÅTERVÄXTKOSTNAD (inkl. år 1) = ", 4, 4,
           HJ(pat(e.atervKostTotal, "######0"), 7) + " kr/ha");
    t.line(" DRIVNINGSNETTO av nu avv. träd (exkl. röjning och återväxt) = ", 1, 1,
           HJ(pat(e.drivningsnetto, "######0"), 7) + " kr/ha");
    t.line(" KASSAFLÖDE I FRAMTID (inkl återväxt) = ", 3, 3,
           HJ(pat(e.kassaflode, "######0"), 7) + "  kr/ha och år");
    t.line(" NUVÄRDE (inkl Avverkning nu+framtid, återväxt, röjning) = ", 2, 1,
           HJ(pat(e.nuvarde, "######0"), 7) + " kr/ha");
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
