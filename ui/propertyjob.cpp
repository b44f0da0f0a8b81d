#include "ui/propertyjob.h"

#include <optional>
#include <thread>

#include "calc/numberparse.h"
#include "calc/randomsource.h"
#include "report/propertycsv.h"
#include "report/standtable.h"
#include "standfile/standsource.h"

namespace lodra {

namespace {

// What a worker gives back of one stand, until the stands are put together by line.
struct Calculated {
    PropertyStand stand;
    std::vector<FlowYear> flow;
    std::string tableRows;  // the stand table's rows, without the name and area cells
};

Result<std::vector<PropertyInput>> readStands(const std::string& path, bool& named, bool& area) {
    StandSource source;
    if (Result<> opened = openStands(path, source); !opened) {
        return opened.error();
    }
    named = source.file.columns().bestand >= 0;
    area = source.file.columns().hektar >= 0;
    std::vector<PropertyInput> stands;
    stands.reserve(static_cast<std::size_t>(source.file.standCount()));
    StandFile::Stand stand;
    for (;;) {
        const Result<bool> read = source.file.next(stand);
        if (!read) {
            return standFileError(path, read.message());
        }
        if (!*read) {
            break;
        }
        stands.push_back(PropertyInput{stand.row, std::move(stand.name), stand.hektar,
                                       std::move(stand.input), std::move(stand.refusal)});
    }
    if (Result<> same = checkReadConsistently(path, source, static_cast<int>(stands.size()));
        !same) {
        return same.error();
    }
    return stands;
}

// Calculates the stands whose index the shared counter hands this worker.
void work(const std::vector<PropertyInput>& stands, const PropertyOptions& options,
          std::atomic<std::size_t>& next, std::vector<Calculated>& out) {
    Session session(options.decimalSeparator);
    session.texts = Session::Texts::none;
    CycleRecord record;
    for (std::size_t i = next++; i < stands.size(); i = next++) {
        if (options.cancel != nullptr && options.cancel->load()) {
            return;
        }
        const PropertyInput& in = stands[i];
        SeededRandom random(standSeed(options.seed, in.row));
        CalcOptions calc;
        calc.random = &random;
        Calculated& c = out[i];
        c.stand = calculatePropertyStand(session, in, calc, record, c.flow);
        c.tableRows = c.stand.calculated()
                          ? tableRow(in.row, session.calculation, options.decimalSeparator)
                          : tableRefusedRow(in.row, c.stand.message());
        if (options.done != nullptr) {
            ++*options.done;
        }
    }
}

bool varies(const PropertyInput& stand, char decimalSeparator) {
    const std::optional<double> variation = parseNumber(stand.input.variation, decimalSeparator);
    return !stand.refusal && variation && *variation != 0;
}

}  // namespace

Result<PropertyResult> calculateProperty(const std::string& path, const PropertyOptions& options) {
    bool named = false;
    bool area = false;
    Result<std::vector<PropertyInput>> read = readStands(path, named, area);
    if (!read) {
        return read.error();
    }
    const std::vector<PropertyInput>& stands = *read;
    if (options.total != nullptr) {
        *options.total = static_cast<int>(stands.size());
    }
    std::vector<Calculated> calculated(stands.size());
    std::atomic<std::size_t> next{0};
    {
        std::vector<std::jthread> workers;
        for (int t = 1; t < std::max(1, options.threads); ++t) {
            workers.emplace_back([&] { work(stands, options, next, calculated); });
        }
        work(stands, options, next, calculated);
    }
    PropertyResult result;
    if (options.cancel != nullptr && options.cancel->load()) {
        result.cancelled = true;
        return result;
    }
    std::string header = area ? withAreaColumns(tableHeader()) : tableHeader();
    result.tableCsv = named ? withNameColumn(header) : header;
    result.stands.reserve(stands.size());
    // In line order: every sum is taken the same way whichever thread calculated what.
    for (std::size_t i = 0; i < stands.size(); ++i) {
        Calculated& c = calculated[i];
        result.anyVariation = result.anyVariation || varies(stands[i], options.decimalSeparator);
        result.totals.add(c.stand, c.flow);
        std::string rows = std::move(c.tableRows);
        if (area) {
            rows = withCellsAfterRow(
                rows, areaCells(c.stand.hektar, c.stand.nuvardeKr(), options.decimalSeparator));
        }
        result.tableCsv += named ? withName(rows, nameCell(c.stand.name.value_or(""))) : rows;
        result.stands.push_back(std::move(c.stand));
    }
    return result;
}

}  // namespace lodra
