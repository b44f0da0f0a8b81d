#include "report/session.h"

#include "report/reporttext.h"
#include "files/windows1252.h"

namespace lodra {

Outcome Session::berakna(const InputRecord& input, const CalcOptions& options) {
    Outcome outcome = calculation.berakna(input, options);
    if (!outcome.ok()) {
        return outcome;
    }
    ReportBlocks blocks = buildReport(calculation, options.decimalSeparator);
    prIndata.reserve(prIndata.size() + blocks.prIndata.size());
    prResultat.reserve(prResultat.size() + blocks.prResultat.size());
    // Both file blocks are appended together, once the whole calculation has succeeded.
    prIndata += blocks.prIndata;
    prResultat += blocks.prResultat;
    Indata = std::move(blocks.indata);
    Resultat = std::move(blocks.resultat);
    return outcome;
}

std::string Session::fileBytes() const {
    return toWindows1252(prIndata + "\r\n" + prResultat + "\r\n");
}

}  // namespace lodra
