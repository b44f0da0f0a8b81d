#include "report/reporttext.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "calc/parameters.h"
#include "calc/standstate.h"
#include "report/numbertext.h"

namespace lodra {

namespace {

constexpr std::string_view kBreak = "\r\n";

// Converts UTF-8 text to Windows-1252, at compile time for the report's texts: they hold no
// character beyond U+00FF; one that did would not compile. Returns the bytes written to out.
constexpr std::size_t windows1252Bytes(std::string_view text, char* out) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out[n++] = text[i];
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[++i]);
            out[n++] = static_cast<char>(((c & 0x03) << 6) | (next & 0x3F));
        } else {
            throw "a character Windows-1252 does not hold as itself";
        }
    }
    return n;
}

// A literal of the report in UTF-8 and in Windows-1252, the second made by the compiler.
template <std::size_t N>
struct Literal {
    char utf8[N]{};
    char bytes[N]{};
    std::size_t bytesSize = 0;

    consteval Literal(const char (&text)[N]) {
        std::copy(text, text + N, utf8);
        bytesSize = windows1252Bytes({text, N - 1}, bytes);
    }
};

// A literal's two forms.
struct Text {
    std::string_view utf8;
    std::string_view bytes;  // Windows-1252
};

template <Literal L>
constexpr Text operator""_t() {
    return {{L.utf8, sizeof L.utf8 - 1}, {L.bytes, L.bytesSize}};
}

// An option's name in both forms, the second made by the compiler.
struct NameText {
    std::array<char, 64> utf8{};
    std::array<char, 64> bytes{};
    std::size_t utf8Size = 0;
    std::size_t bytesSize = 0;

    constexpr NameText() = default;
    constexpr explicit NameText(std::string_view name) : utf8Size(name.size()) {
        std::copy(name.begin(), name.end(), utf8.begin());
        bytesSize = windows1252Bytes(name, bytes.data());
    }
    constexpr Text text() const { return {{utf8.data(), utf8Size}, {bytes.data(), bytesSize}}; }
};

// The names of a table in both forms; made by the compiler, which refuses a name that
// Windows-1252 does not hold.
template <class Choice, std::size_t N>
constexpr std::array<std::pair<Choice, NameText>, N> nameTexts(
    const std::array<ChoiceName<Choice>, N>& names) {
    std::array<std::pair<Choice, NameText>, N> texts{};
    for (std::size_t i = 0; i < N; ++i) {
        texts[i] = {names[i].choice, NameText(names[i].name)};
    }
    return texts;
}

constexpr auto kSpeciesTexts = nameTexts(kSpeciesNames);
constexpr auto kMeasureTexts = nameTexts(kMeasureNames);

template <class Choice, std::size_t N>
Text nameText(const std::array<std::pair<Choice, NameText>, N>& texts, Choice choice) {
    const auto row = std::find_if(texts.begin(), texts.end(),
                                  [choice](const auto& text) { return text.first == choice; });
    return row->second.text();
}

// A number as numberText writes it.
struct Num {
    double value;
};
// A whole number of years or trees.
struct Whole {
    int value;
};
// A number in one of the report's patterns, right-justified in width characters.
struct Pat {
    double value;
    std::string_view pattern;
    int width = 0;
};
// Largest, mean and smallest, each right-justified in six characters.
struct MaxMeanMin {
    double max;
    double mean;
    double min;
    std::string_view pattern;
};
// A character n times.
struct Repeat {
    char c;
    std::size_t n;
};
// Entries 1..n of a diameter list.
struct Dia {
    const DiameterList& list;
    int n;
};

// Writes the pieces of a line onto the end of one string.
class PieceWriter {
  public:
    // Literals in Windows-1252 with bytes, else in UTF-8.
    PieceWriter(char sep, bool bytes) : sep_(sep), bytes_(bytes) {}

  protected:
    void put(const Text& text) { *out_ += bytes_ ? text.bytes : text.utf8; }
    void put(std::string_view ascii) { *out_ += ascii; }
    void put(const Num& n) { appendNumber(*out_, n.value, sep_); }
    void put(const Whole& n) { appendNumber(*out_, n.value); }
    void put(const Pat& p) { appendPattern(*out_, p.value, p.pattern, p.width, sep_); }
    void put(const MaxMeanMin& m) {
        put(" Max= ");
        put(Pat{m.max, m.pattern, 6});
        put("\t Medel= ");
        put(Pat{m.mean, m.pattern, 6});
        put("\t Min = ");
        put(Pat{m.min, m.pattern, 6});
    }
    void put(const Repeat& r) { out_->append(r.n, r.c); }
    void put(const Dia& d) { appendDiaList(*out_, d.list, d.n, sep_); }

    std::string* out_ = nullptr;  // where put writes

  private:
    char sep_;
    bool bytes_;
};

// Builds the screen and the file form of a text at once; they differ only in tabs. Each
// line's pieces are written once at the end of the screen form and copied from there onto
// the file form.
class TwoTexts : PieceWriter {
  public:
    TwoTexts(std::string& screen, std::string& file, char sep)
        : PieceWriter(sep, false), screen_(screen), file_(file) {}

    // label, the tabs of each form, the rest of the line and its break.
    template <class Label, class... Rest>
    void line(const Label& label, int screenTabs, int fileTabs, const Rest&... rest) {
        both(label);
        screen_.append(static_cast<std::size_t>(screenTabs), '\t');
        file_.append(static_cast<std::size_t>(fileTabs), '\t');
        both(rest..., kBreak);
    }

    // The same pieces at the end of both forms.
    template <class... Pieces>
    void both(const Pieces&... pieces) {
        const std::size_t start = screen_.size();
        only(screen_, pieces...);
        file_.append(screen_, start);
    }
    template <class... Pieces>
    void screenOnly(const Pieces&... pieces) {
        only(screen_, pieces...);
    }
    template <class... Pieces>
    void fileOnly(const Pieces&... pieces) {
        only(file_, pieces...);
    }

  private:
    template <class... Pieces>
    void only(std::string& form, const Pieces&... pieces) {
        out_ = &form;
        (put(pieces), ...);
    }

    std::string& screen_;
    std::string& file_;
};

// Builds the file form alone, in Windows-1252, for a caller that shows no screen.
class FileBytes : PieceWriter {
  public:
    FileBytes(std::string& file, char sep) : PieceWriter(sep, true) { out_ = &file; }

    template <class Label, class... Rest>
    void line(const Label& label, int /*screenTabs*/, int fileTabs, const Rest&... rest) {
        put(label);
        out_->append(static_cast<std::size_t>(fileTabs), '\t');
        (put(rest), ...);
        put(kBreak);
    }
    template <class... Pieces>
    void both(const Pieces&... pieces) {
        (put(pieces), ...);
    }
    template <class... Pieces>
    void screenOnly(const Pieces&...) {}
    template <class... Pieces>
    void fileOnly(const Pieces&... pieces) {
        (put(pieces), ...);
    }
};

template <class Texts>
void inputSummary(const StandCalculation& calc, Texts& t) {
    const StandState& s = calc.s;
    const ReportFigures& f = calc.figures;

    t.line(" Antal träd/ha vid start = "_t, 2, 2, Num{f.antalTradPerHa});
    t.line(" Nuvärde beräknas på en period av "_t, 1, 1, Whole{s.totaltid}, " år"_t);
    t.line(" Bonitet = "_t, 1, 2, Num{s.bonitet}, " m3/år och ha"_t);
    t.line(" Ytans areal = "_t, 1, 2, Num{s.areal}, " m2"_t);
    t.line(" Ränta = "_t, 2, 2, Num{s.ranta}, " %"_t);
    t.line(" Max årsring = "_t, 1, 2, Num{s.maxRing}, " mm"_t);
    t.line(" Art = "_t, 2, 3, nameText(kSpeciesTexts, speciesOfCode(s.tradslag)));
    if (s.variation > 0) {
        t.line(" Slumpvis ändring av diametern per femårsperiod är "_t, 0, 0, Num{s.variation},
               "*(-1..+-1) cm"_t);
    } else {
        t.line(" Ingen slumpvis ändring av diametern"_t, 0, 0);
    }
    t.line(" Återväxt år 1 = "_t, 1, 1, Num{s.atervandel}, " %"_t);
    t.line(" Åtgärd = "_t, 1, 2, nameText(kMeasureTexts, measureOfCode(s.atgard)));
    t.line(" Berikande plantering = "_t, 1, 1, Num{s.berikning}, " %"_t);
    t.line(" Tid mellan avverkningar = "_t, 1, 1, "minst "_t, Num{f.tidMellanAvv}, " år"_t, kBreak);
    t.line(" Diametrar hos träd som avverkas omedelbart = "_t, 1, 1,
           Dia{s.diaAvv, s.antalAvvDirekt});
    t.line(" Volym för dessa träd = "_t, 3, 3, Pat{s.volAvv, "###0"}, " m3sk/ha"_t);
    t.line(" Diametrar hos träd som lämnas för tillväxt = "_t, 1, 1, Dia{s.diaStart, s.antalTrad});

    // The diameters after the last growth: on screen after two cycles or more, in the file
    // after eighty cycles or more. The line has no break of its own.
    if (s.ar - 5 > 1) {
        t.screenOnly(" Diametrar efter \t"_t, Num{s.ar}, " år = \t\t\t"_t,
                     Dia{s.dia05, s.antalTrad});
    }
    if (s.ar - 5 > 390) {
        t.fileOnly(" Diametrar efter \t"_t, Num{s.ar - 5}, " år = \t\t"_t,
                   Dia{s.dia05, s.antalTrad});
    }
}

template <class Texts>
void resultText(const StandCalculation& calc, Texts& t) {
    const StandState& s = calc.s;
    const ReportFigures& f = calc.figures;
    const Economics& e = calc.economics;

    if (s.antalAvverkningar > 0) {
        t.line(" År mellan avverkningarna = "_t, 1, 1, Pat{f.arMellanAvv, "##0"}, kBreak);
    }
    t.line(" Producerad volym/ha och år = "_t, 1, 1, Pat{f.prodVolymPerAr, "##0.0", 6}, " m3sk"_t);
    if (s.antalAvverkningar > 0) {
        t.line(" Volym/avverkning = "_t, 2, 2, Pat{f.volymPerAvv, "###0", 6}, " m3sk / ha"_t);
    }
    t.both(" Antal avverkade träd/ha = "_t, Pat{f.avvTradPerHa, "###0"});
    t.line(""_t, 1, 1, " Medeldiameter = "_t, Pat{s.medeldiameter, "##0.00"}, kBreak);
    t.line(" Årsring"_t, 2, 1, MaxMeanMin{s.ringMax, f.ringMedel, s.ringMin, "##0.00"});
    t.line(" Volym år 0"_t, 1, 1, MaxMeanMin{s.vol00Max, f.vol00Medel, s.vol00Min, "###0"});
    t.line(" Volym år 5"_t, 1, 1, MaxMeanMin{s.vol05Max, f.vol05Medel, s.vol05Min, "###0"}, kBreak);
    t.line(" Netto av i framtiden avverkade träd (exkl återväxt) ="_t, 1, 1,
           Pat{e.nettoPerTrad, "####0"}, " kr/träd"_t);
    t.line(" Röjning nu kostar "_t, 0, 0, Num{e.rojningKost}, " kr/ha"_t);
    t.line(Repeat{'-', 146}, 0, 0);
    t.line(" ÅTERVÄXTKOSTNAD (inkl. år 1) = "_t, 4, 4, Pat{e.atervKostTotal, "######0", 7},
           " kr/ha"_t);
    t.line(" DRIVNINGSNETTO av nu avv. träd (exkl. röjning och återväxt) = "_t, 1, 1,
           Pat{e.drivningsnetto, "######0", 7}, " kr/ha"_t);
    t.line(" KASSAFLÖDE I FRAMTID (inkl återväxt) = "_t, 3, 3, Pat{e.kassaflode, "######0", 7},
           "  kr/ha och år"_t);
    t.line(" NUVÄRDE (inkl Avverkning nu+framtid, återväxt, röjning) = "_t, 2, 1,
           Pat{e.nuvarde, "######0", 7}, " kr/ha"_t);
}

}  // namespace

void appendReport(const StandCalculation& calc, char decimalSeparator, ReportBlocks& to) {
    TwoTexts summary(to.indata, to.prIndata, decimalSeparator);
    inputSummary(calc, summary);
    TwoTexts result(to.resultat, to.prResultat, decimalSeparator);
    resultText(calc, result);
}

void appendFileBytes(const StandCalculation& calc, char decimalSeparator, std::string& prIndata,
                     std::string& prResultat) {
    FileBytes summary(prIndata, decimalSeparator);
    inputSummary(calc, summary);
    FileBytes result(prResultat, decimalSeparator);
    resultText(calc, result);
}

}  // namespace lodra
