#include "standfile/standrecord.h"

#include <utility>

#include "base/quote.h"
#include "calc/numberparse.h"
#include "calc/parameters.h"

namespace lodra {

std::optional<std::string> tradslagRefusal(std::string_view cell) {
    const std::string_view art = withoutBlanks(cell);
    if (art.empty() || speciesNamed(art)) {
        return std::nullopt;
    }
    return "Okänt trädslag " + inQuotes(art) + " i kolumnen " + std::string(kSpeciesColumn.column) +
           ". Skriv " + std::string(kSpeciesColumn.names) + ".";
}

std::optional<std::string> atgardRefusal(std::string_view cell) {
    const std::string_view atgard = withoutBlanks(cell);
    if (atgard.empty() || measureNamed(atgard)) {
        return std::nullopt;
    }
    return "Okänd åtgärd " + inQuotes(atgard) + " i kolumnen " +
           std::string(kMeasureColumn.column) + ". Skriv " + std::string(kMeasureColumn.names) +
           ".";
}

std::optional<std::string> markRefusal(std::string_view cell, int tree) {
    const std::string_view avv = withoutBlanks(cell);
    if (avv.empty() || avv == "x" || avv == "X") {
        return std::nullopt;
    }
    return "Okänt värde " + inQuotes(avv) + " i kolumnen " + std::string(kMarkColumn) +
           std::to_string(tree) + ". Skriv x för ett träd som avverkas direkt, annars ingenting.";
}

std::vector<std::string> choiceRefusals(const ChoiceCells& cells) {
    std::vector<std::string> refusals;
    const auto add = [&refusals](std::optional<std::string> refused) {
        if (refused) {
            refusals.push_back(std::move(*refused));
        }
    };
    add(tradslagRefusal(cells.tradslag.value_or("")));
    add(atgardRefusal(cells.atgard.value_or("")));
    for (std::size_t k = 0; k < cells.avv.size(); ++k) {
        add(markRefusal(cells.avv[k].value_or(""), static_cast<int>(k) + 1));
    }
    return refusals;
}

namespace {

// The cells of one row by column index.
struct Cells {
    const std::vector<std::string>& fields;
    std::string_view operator()(int index) const { return cellAt(fields, index); }
};

Result<> takeTradslag(std::string_view art, InputRecord& record) {
    if (std::optional<std::string> refused = tradslagRefusal(art)) {
        return fail(*refused);
    }
    if (const std::optional<Species> species = speciesNamed(art)) {
        record.species = *species;
    }
    return {};
}

Result<> takeAtgard(std::string_view atgard, InputRecord& record) {
    if (std::optional<std::string> refused = atgardRefusal(atgard)) {
        return fail(*refused);
    }
    if (const std::optional<Measure> measure = measureNamed(atgard)) {
        record.measure = *measure;
    }
    return {};
}

// The tree rows; a blank diameter cell is an empty row.
Result<> takeTrees(const StandColumns& columns, const Cells& cell, BlankCell blank,
                   InputRecord& record) {
    Result<> taken;
    for (std::size_t k = 0; k < record.rows.size(); ++k) {
        TreeRow& row = record.rows[k];
        const std::string_view dia = cell(columns.dia[k]);
        const bool keep = blank == BlankCell::asWritten || !withoutBlanks(dia).empty();
        row.text = keep ? std::string(dia) : std::string();
        const std::string_view avv = withoutBlanks(cell(columns.avv[k]));
        if (std::optional<std::string> refused = markRefusal(avv, static_cast<int>(k) + 1)) {
            if (taken) {
                taken = fail(*refused);
            }
            continue;
        }
        row.avverkas = !avv.empty();
    }
    return taken;
}

}  // namespace

Result<> toInputRecord(const StandColumns& columns, const std::vector<std::string>& fields,
                       InputRecord& record, BlankCell blank) {
    const Cells cell{fields};
    for (std::size_t p = 0; p < kParameterTable.size(); ++p) {
        const int index = columns.parameter[p];
        const std::string_view text = cell(index);
        if (!withoutBlanks(text).empty() || (blank == BlankCell::asWritten && index >= 0)) {
            record.*kParameterTable[p].member = std::string(text);
        }
    }
    // Every cell is taken; the first cell that cannot be used is the refusal.
    const Result<> art = takeTradslag(withoutBlanks(cell(columns.tradslag)), record);
    const Result<> atgard = takeAtgard(withoutBlanks(cell(columns.atgard)), record);
    const Result<> trees =
        columns.anyTreeColumn ? takeTrees(columns, cell, blank, record) : Result<>();
    for (const Result<>* taken : {&art, &atgard, &trees}) {
        if (!*taken) {
            return *taken;
        }
    }
    return {};
}

ChoiceCells choiceCells(const StandColumns& columns, const std::vector<std::string>& fields) {
    const Cells cell{fields};
    const auto taken = [&cell](int index) -> std::optional<std::string> {
        if (index < 0) {
            return std::nullopt;
        }
        return std::string(cell(index));
    };
    ChoiceCells cells;
    cells.tradslag = taken(columns.tradslag);
    cells.atgard = taken(columns.atgard);
    for (std::size_t k = 0; k < cells.avv.size(); ++k) {
        cells.avv[k] = taken(columns.avv[k]);
    }
    return cells;
}

}  // namespace lodra
