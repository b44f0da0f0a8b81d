#include "report/cyclecsv.h"

#include <array>
#include <string_view>

#include "report/csv.h"
#include "report/numbertext.h"

namespace lodra {

std::string_view fellingWord(const CycleRow& row) {
    return row.avvTrad > 0 ? "ja" : row.avverkning ? "ingen" : "nej";
}

std::string cycleCsvHeader() {
    std::string out;
    for (std::string_view name : kCycleColumnNames) {
        if (!out.empty()) {
            out += ';';
        }
        out += name;
    }
    return out;
}

std::string cycleCsvRow(const CycleRow& row, char sep) {
    std::string out = numberText(cycleEndYear(row), sep);
    for (const double value : {row.arsring, row.vol00, row.vol05, row.avvDiameter}) {
        out += ';' + numberText(value, sep);
    }
    out.append(";").append(fellingWord(row));
    for (const double value : {row.avvTrad, row.medeldiameter, row.avvVolym, row.netto,
                               row.atervKost, row.nuvarde, row.nuvardeSumma}) {
        out += ';' + numberText(value, sep);
    }
    return out;
}

std::string cycleCsv(const std::vector<CycleRow>& rows, char sep) {
    std::string out = std::string(kUtf8ByteOrderMark) + cycleCsvHeader() + "\r\n";
    for (const CycleRow& row : rows) {
        out += cycleCsvRow(row, sep) + "\r\n";
    }
    return out;
}

}  // namespace lodra
