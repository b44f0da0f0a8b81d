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
    if (key == kSpeciesColumn.column) {
        return &columns.tradslag;
    }
    if (key == kMeasureColumn.column) {
        return &columns.atgard;
    }
    if (key == kNameColumn) {
        return &columns.bestand;
    }
    if (key == kAreaColumn) {
        return &columns.hektar;
    }
    for (std::size_t k = 0; k < kTreeRows; ++k) {
        const std::string number = std::to_string(k + 1);
        if (key == std::string(kDiameterColumn) + number) {
            return &columns.dia[k];
        }
        if (key == std::string(kMarkColumn) + number) {
            return &columns.avv[k];
        }
    }
    return nullptr;
}

}  // namespace

std::string treeColumns(std::string_view kind) {
    return std::string(kind) + "1 till " + std::string(kind) + std::to_string(kTreeRows);
}

std::string columnNames() {
    std::string names;
    const auto add = [&names](std::string_view name) {
        names += (names.empty() ? "" : ", ") + std::string(name);
    };
    for (const ParameterRow& row : kParameterTable) {
        add(row.column);
        for (const ChoiceColumn& choice : kChoiceColumns) {
            if (choice.after == row.field) {
                add(choice.column);
            }
        }
    }
    add(treeColumns(kDiameterColumn));
    add(treeColumns(kMarkColumn));
    return names + " och " + std::string(kNameColumn);
}

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
            return fail("Okänd kolumn " + inQuotes(name) + " i rubrikraden. Kolumnerna heter " +
                        columnNames() + ".");
        }
        if (*slot >= 0) {
            return fail("Kolumnen " + inQuotes(name) + " finns mer än en gång i rubrikraden.");
        }
        *slot = index;
        if (key.starts_with(kDiameterColumn) || key.starts_with(kMarkColumn)) {
            columns.anyTreeColumn = true;
        }
    }
    return columns;
}

Result<std::optional<double>> areaOf(std::string_view cell) {
    const std::string_view text = withoutBlanks(cell);
    if (text.empty()) {
        return std::optional<double>();
    }
    // A decimal comma reads as the point, whatever the run's separator.
    const std::optional<double> area = parseNumber(text, ',');
    if (!area || !(*area > 0) || !(*area <= kAreaMax)) {
        return fail("Arealen " + inQuotes(text) + " i kolumnen " + std::string(kAreaColumn) +
                    " går inte att använda. Skriv beståndets areal i hektar, ett tal större än "
                    "0 och högst 100000, eller lämna rutan tom.");
    }
    return area;
}

std::string_view cellAt(const std::vector<std::string>& fields, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= fields.size()) {
        return std::string_view();
    }
    return fields[static_cast<std::size_t>(index)];
}

}  // namespace lodra
