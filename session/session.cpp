#include "session/session.h"

#include "report/reporttext.h"
#include "report/windows1252.h"

namespace lodra {

namespace {
// Enough for a screen text of ten trees at once.
constexpr std::size_t kScreenTextBytes = 2048;  // bytes
}  // namespace

Outcome Session::berakna(const InputRecord& input, const CalcOptions& options) {
    Outcome outcome = calculation.berakna(input, decimalSeparator, options);
    if (!outcome.ok()) {
        return outcome;
    }
    if (texts == Texts::screenAndFile) {
        appendTexts();
    } else if (texts == Texts::fileBytes) {
        appendFileBytes();
    }
    return outcome;
}

void Session::appendTexts() {
    // The file forms grow in place; the screen forms replace the latest ones. Both file
    // blocks are appended together, once the whole calculation has succeeded: a text that
    // cannot be built leaves every text as it was.
    ReportBlocks texts;
    texts.indata = std::move(spareIndata_);
    texts.resultat = std::move(spareResultat_);
    texts.indata.clear();
    texts.resultat.clear();
    texts.indata.reserve(kScreenTextBytes);
    texts.resultat.reserve(kScreenTextBytes);
    const std::size_t indataEnd = prIndata.size();
    const std::size_t resultatEnd = prResultat.size();
    texts.prIndata = std::move(prIndata);
    texts.prResultat = std::move(prResultat);
    try {
        appendReport(calculation, decimalSeparator, texts);
    } catch (...) {
        texts.prIndata.resize(indataEnd);
        texts.prResultat.resize(resultatEnd);
        prIndata = std::move(texts.prIndata);
        prResultat = std::move(texts.prResultat);
        spareIndata_ = std::move(texts.indata);
        spareResultat_ = std::move(texts.resultat);
        throw;
    }
    prIndata = std::move(texts.prIndata);
    prResultat = std::move(texts.prResultat);
    spareIndata_ = std::move(Indata);
    spareResultat_ = std::move(Resultat);
    Indata = std::move(texts.indata);
    Resultat = std::move(texts.resultat);
}

void Session::appendFileBytes() {
    const std::size_t indataEnd = prIndata.size();
    const std::size_t resultatEnd = prResultat.size();
    try {
        lodra::appendFileBytes(calculation, decimalSeparator, prIndata, prResultat);
    } catch (...) {
        prIndata.resize(indataEnd);
        prResultat.resize(resultatEnd);
        throw;
    }
}

std::string Session::fileBytes() const {
    return toWindows1252(prIndata + "\r\n" + prResultat + "\r\n");
}

}  // namespace lodra
