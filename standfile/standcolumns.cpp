#include "standfile/standcolumns.h"

#include "base/quote.h"
#include "calc/numberparse.h"

namespace lodra {

namespace {

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace

namespace {

// Where the column of the lower-case name key goes in columns; null for an unknown name.
int* columnSlot(StandColumns& columns, const std::string& key) {
    for (std::size_t p = 0; p < kParameterTable.size(); ++p) {
        if (key == asciiLower(kParameterTable[p].column)) {
            return &columns.parameter[p];
        }
    }
    if (key == "tradslag") {
        return &columns.tradslag;
    }
    if (key == "atgard") {
        return &columns.atgard;
    }
    if (key == "bestand") {
        return &columns.bestand;
    }
    for (std::size_t k = 0; k < columns.dia.size(); ++k) {
        const std::string number = std::to_string(k + 1);
        if (key == "dia" + number) {
            return &columns.dia[k];
        }
        if (key == "avv" + number) {
            return &columns.avv[k];
        }
    }
    return nullptr;
}

}  // namespace

Result<StandColumns> readHeader(const std::vector<std::string>& header) {
    StandColumns columns;
    columns.parameter.fill(-1);
    columns.dia.fill(-1);
    columns.avv.fill(-1);
    columns.fieldCount = header.size();

    for (std::size_t i = 0; i < header.size(); ++i) {
        const int index = static_cast<int>(i);
        const std::string_view name = withoutBlanks(header[i]);
        if (name.empty()) {
            return fail("Kolumn " + std::to_string(index + 1) + " i rubrikraden saknar namn.");
        }
        const std::string key = asciiLower(name);
        int* slot = columnSlot(columns, key);
        if (slot == nullptr) {
            return fail(
                "Okänd kolumn " + inQuotes(name) +
                " i rubrikraden. Kolumnerna heter totaltid, bonitet, areal, ranta, maxRing, "
                "tradslag, variation, atervandel, atgard, berikning, cykTillAvv, dia1 till "
                "dia10, avv1 till avv10 och bestand.");
        }
        if (*slot >= 0) {
            return fail("Kolumnen " + inQuotes(name) + " finns mer än en gång i rubrikraden.");
        }
        *slot = index;
        if (key.starts_with("dia") || key.starts_with("avv")) {
            columns.anyTreeColumn = true;
        }
    }
    return columns;
}

std::string_view cellAt(const std::vector<std::string>& fields, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= fields.size()) {
        return std::string_view();
    }
    return fields[static_cast<std::size_t>(index)];
}

}  // namespace lodra
