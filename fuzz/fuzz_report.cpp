// Fuzz target: the whole calculation and its report, from an arbitrary input record.
//
// The bytes are read as lines: the first holds option letters (T Tall, G Gran, L Löv,
// K Kalavverkning, g Gallring, ',' for a decimal comma, anything else ignored); the next
// nine are the parameter texts in the window's order (totaltid, bonitet, areal, ranta,
// maxRing, variation, atervandel, berikning, cykTillAvv); the ten after them are the tree
// rows, a leading '*' ticking "Avverkas direkt". Missing lines keep the window's entries.
//
// Every outcome is either a result whose figures are finite and whose texts hold no
// "nan", "inf" or U+2212, fit Windows-1252 and have well-formed lines, or a refusal or
// stop with a message and no text changed. Either way the same session then calculates
// the default stand exactly as a fresh one does: nothing of the first calculation lingers.

#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "calc/calculation.h"
#include "calc/randomsource.h"
#include "fuzz/fuzzcheck.h"
#include "report/windows1252.h"
#include "session/session.h"

namespace {

using lodra::fuzz::shown;

struct Decoded {
    lodra::InputRecord record;
    char separator = '.';
};

Decoded decode(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty() && lines.size() < 20) {
        const std::size_t end = bytes.find('\n');
        lines.push_back(bytes.substr(0, end));
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    }
    Decoded d;
    lodra::InputRecord& r = d.record;
    if (!lines.empty()) {
        const std::string_view options = lines[0];
        auto has = [&](char c) { return options.find(c) != std::string_view::npos; };
        // The first species letter counts; none is pine.
        r.species = has('T')   ? lodra::Species::tall
                    : has('G') ? lodra::Species::gran
                    : has('L') ? lodra::Species::lov
                               : lodra::Species::tall;
        r.measure = has('K') ? lodra::Measure::kalavverkning : lodra::Measure::gallring;
        d.separator = has(',') ? ',' : '.';
    }
    const std::array<std::string*, 9> texts = {&r.totaltid,   &r.bonitet,   &r.areal,
                                               &r.ranta,      &r.maxRing,   &r.variation,
                                               &r.atervandel, &r.berikning, &r.cykTillAvv};
    for (std::size_t i = 0; i < texts.size() && i + 1 < lines.size(); ++i) {
        *texts[i] = std::string(lines[i + 1]);
    }
    for (std::size_t k = 0; k < r.rows.size() && k + 10 < lines.size(); ++k) {
        std::string_view row = lines[k + 10];
        r.rows[k].avverkas = !row.empty() && row.front() == '*';
        if (r.rows[k].avverkas) {
            row.remove_prefix(1);
        }
        r.rows[k].text = std::string(row);
    }
    return d;
}

void checkText(const std::string& text, bool mayEndWithoutBreak, const std::string& what) {
    for (const char* bad : {"nan", "inf", "NaN", "Inf", "NAN", "INF", "\xE2\x88\x92"}) {
        FUZZ_CHECK(text.find(bad) == std::string::npos, what + ": " + bad + " in " + shown(text));
    }
    FUZZ_CHECK(lodra::fromWindows1252(lodra::toWindows1252(text)) == text,
               what + " does not fit Windows-1252: " + shown(text));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == '\n', what + ": " + shown(text));
        } else if (text[i] == '\n') {
            FUZZ_CHECK(i > 0 && text[i - 1] == '\r', what + ": " + shown(text));
        }
    }
    FUZZ_CHECK(!text.empty(), what);
    if (text.ends_with("\r\n")) {
        return;
    }
    // Only the input summary's last line, the diameters after the last growth, ends
    // without a break.
    const std::size_t lastLine = text.rfind("\r\n");
    const std::string last = lastLine == std::string::npos ? text : text.substr(lastLine + 2);
    FUZZ_CHECK(mayEndWithoutBreak && last.starts_with(" Diametrar efter \t"),
               what + " ends without a line break: " + shown(text));
}

void checkFinite(const lodra::StandCalculation& c, const std::string& what) {
    const lodra::Economics& e = c.economics;
    const lodra::ReportFigures& f = c.figures;
    for (const double v :
         {e.nettoPerTrad, e.rojningKost, e.atervKostTotal, e.drivningsnetto, e.kassaflode,
          e.nuvarde, f.antalTradPerHa, f.tidMellanAvv, f.arMellanAvv, f.prodVolymPerAr,
          f.volymPerAvv, f.avvTradPerHa, f.ringMedel, f.vol00Medel, f.vol05Medel}) {
        FUZZ_CHECK(std::isfinite(v), what);
    }
}

// The screen texts of the default stand, calculated by a fresh session.
const lodra::Session& freshDefault(char separator) {
    static const auto make = [](char sep) {
        lodra::Session session(sep);
        lodra::SeededRandom random(1);
        const lodra::Outcome outcome =
            session.berakna(lodra::InputRecord{}, lodra::CalcOptions{&random});
        FUZZ_CHECK(outcome.ok(), outcome.message());
        return session;
    };
    static const lodra::Session dot = make('.');
    static const lodra::Session comma = make(',');
    return separator == ',' ? comma : dot;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Decoded input = decode(bytes);
    const std::string what = "input " + shown(bytes);

    lodra::Session session(input.separator);
    lodra::SeededRandom random(size);
    const lodra::CalcOptions options{&random};
    const lodra::Outcome outcome = session.berakna(input.record, options);
    if (outcome.ok()) {
        checkFinite(session.calculation, what);
        checkText(session.Indata, true, what + ", Indata");
        checkText(session.prIndata, true, what + ", prIndata");
        checkText(session.Resultat, false, what + ", Resultat");
        checkText(session.prResultat, false, what + ", prResultat");
    } else {
        FUZZ_CHECK(outcome.error().status == lodra::Status::Refused ||
                       outcome.error().status == lodra::Status::Stopped,
                   what);
        FUZZ_CHECK(!outcome.message().empty(), what);
        if (lodra::fuzz::wellFormedUtf8(bytes)) {
            FUZZ_CHECK(lodra::fuzz::wellFormedUtf8(outcome.message()), what);
        }
        FUZZ_CHECK(session.Indata.empty() && session.Resultat.empty(), what);
        FUZZ_CHECK(session.prIndata.empty() && session.prResultat.empty(), what);
    }

    // The same session goes on to the default stand as if nothing had come before.
    const std::string before = session.prResultat;
    const lodra::Outcome next = session.berakna(lodra::InputRecord{}, options);
    FUZZ_CHECK(next.ok(), what + ": " + next.message());
    const lodra::Session& fresh = freshDefault(input.separator);
    FUZZ_CHECK(session.Indata == fresh.Indata, what);
    FUZZ_CHECK(session.Resultat == fresh.Resultat, what);
    FUZZ_CHECK(session.prResultat == before + fresh.prResultat, what);
    return 0;
}
