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

// Stands read, calculated and put together at a time: a register of millions is never held
// whole, only its rows for the window's table.
constexpr std::size_t kChunk = 4096;

// Reads up to kChunk stands into chunk; fails for a file that turns out malformed.
Result<> readChunk(StandSource& source, const std::string& path,
                   std::vector<PropertyInput>& chunk) {
    chunk.clear();
    StandFile::Stand stand;
    while (chunk.size() < kChunk) {
        const Result<bool> read = source.file.next(stand);
        if (!read) {
            return standFileError(path, read.message());
        }
        if (!*read) {
            break;
        }
        chunk.push_back(PropertyInput{stand.row, std::move(stand.name), stand.hektar,
                                      std::move(stand.input), std::move(stand.refusal)});
    }
    return {};
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

namespace {

// Calculates the chunk on the threads, each stand into its place in out.
void calculateChunk(const std::vector<PropertyInput>& chunk, const PropertyOptions& options,
                    std::vector<Calculated>& out) {
    out.resize(chunk.size());
    std::atomic<std::size_t> next{0};
    std::vector<std::jthread> workers;
    for (int t = 1; t < std::max(1, options.threads); ++t) {
        workers.emplace_back([&] { work(chunk, options, next, out); });
    }
    work(chunk, options, next, out);
}

}  // namespace

Result<PropertyResult> calculateProperty(const std::string& path, const PropertyOptions& options) {
    StandSource source;
    if (Result<> opened = openStands(path, source); !opened) {
        return opened.error();
    }
    const bool named = source.file.columns().bestand >= 0;
    const bool area = source.file.columns().hektar >= 0;
    if (options.total != nullptr) {
        *options.total = source.file.standCount();
    }
    PropertyResult result;
    const std::string header = area ? withAreaColumns(tableHeader()) : tableHeader();
    result.tableCsv = named ? withNameColumn(header) : header;
    result.stands.reserve(static_cast<std::size_t>(source.file.standCount()));
    std::vector<PropertyInput> chunk;
    std::vector<Calculated> calculated;
    int handedOut = 0;
    for (;;) {
        if (Result<> read = readChunk(source, path, chunk); !read) {
            return read.error();
        }
        if (chunk.empty()) {
            break;
        }
        handedOut += static_cast<int>(chunk.size());
        calculateChunk(chunk, options, calculated);
        if (options.cancel != nullptr && options.cancel->load()) {
            result = PropertyResult{};
            result.cancelled = true;
            return result;
        }
        // In line order: every sum is taken the same way whichever thread calculated what.
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            Calculated& c = calculated[i];
            result.anyVariation = result.anyVariation || varies(chunk[i], options.decimalSeparator);
            result.totals.add(c.stand, c.flow);
            std::string rows = std::move(c.tableRows);
            if (area) {
                rows = withCellsAfterRow(
                    rows, areaCells(c.stand.hektar, c.stand.nuvardeKr(), options.decimalSeparator));
            }
            result.tableCsv += named ? withName(rows, nameCell(c.stand.name.value_or(""))) : rows;
            result.stands.push_back(std::move(c.stand));
        }
    }
    if (Result<> same = checkReadConsistently(path, source, handedOut); !same) {
        return same.error();
    }
    return result;
}

}  // namespace lodra
