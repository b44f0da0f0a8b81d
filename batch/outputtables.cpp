#include "batch/outputtables.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>
#include <random>

#include "batch/refusaltext.h"
#include "batch/standspread.h"
#include "calc/calculation.h"
#include "calc/comparison.h"
#include "calc/numberparse.h"
#include "calc/parameters.h"
#include "calc/randomsource.h"
#include "calc/spread.h"
#include "report/propertycsv.h"
#include "report/spreadtable.h"
#include "report/standtable.h"

namespace lodra::batch {

namespace {

void tableRows(const StandContext& c, std::string& out) {
    appendTableRow(out, c.stand.row, c.session.calculation, c.decimalSeparator);
}

void cycleRows(const StandContext& c, std::string& out) {
    appendCyclesRows(out, c.stand.row, c.record.rows, c.decimalSeparator);
}

// Every cell from the seed of the stand's row with --seed, else from one random seed for
// the stand; with --runs, run k of every cell from standSeed(that seed, k).
void comparisonRows(const StandContext& c, std::string& out) {
    ComparisonOptions options;
    options.runs = c.arguments.runs;
    options.seed =
        c.arguments.seed ? standSeed(*c.arguments.seed, c.stand.row) : std::random_device{}();
    try {
        const Result<ComparisonGrid> grid =
            compareChoices(c.stand.input, c.decimalSeparator, options);
        out += grid ? compareRow(c.stand.row, *grid, c.decimalSeparator)
                    : compareRefusedRow(c.stand.row, grid.message());
    } catch (const std::bad_alloc&) {
        throw;  // not the stand's fault: the run ends
    } catch (const std::exception&) {
        out += compareRefusedRow(c.stand.row, "Beräkningen kunde inte slutföras.");
    }
}

// Why the stand cannot be calculated, if it cannot.
std::optional<RowRefusal> calculate(Session& session, const StandFile::Stand& stand,
                                    const CalcOptions& options) {
    if (stand.refusal) {
        return RowRefusal{*stand.refusal};
    }
    try {
        const Outcome outcome = session.berakna(stand.input, options);
        if (!outcome.ok()) {
            return RowRefusal{refusalText(outcome.error()), afterRow(outcome.error()),
                              outcome.error().status == Status::Stopped};
        }
    } catch (const std::bad_alloc&) {
        throw;  // not the stand's fault: the run ends
    } catch (const std::exception&) {
        return RowRefusal{"Beräkningen kunde inte slutföras."};
    }
    return std::nullopt;
}

void spreadRows(const StandContext& c, std::string& out) {
    out += spreadStandRow(c.stand.row, c.stand.input, baseSeed(c.arguments.seed, c.stand.row),
                          c.arguments.runs != 0 ? c.arguments.runs : kDefaultSpreadRuns,
                          c.decimalSeparator);
}

void measuresRows(const StandContext& c, std::string& out) {
    out += measuresStandRow(c.stand.row, c.stand.input, baseSeed(c.arguments.seed, c.stand.row),
                            c.arguments.runs, c.decimalSeparator);
}

// The stand table's rows with the stand's area and its present value in kr after the row
// number; calculation is null for a stand not calculated.
void addAreaCells(const StandFile::Stand& stand, const StandCalculation* calculation,
                  char decimalSeparator, std::string& rows) {
    std::optional<double> nuvardeKr;
    if (calculation != nullptr && stand.hektar) {
        nuvardeKr = calculation->economics.nuvarde * *stand.hektar;
    }
    rows = withCellsAfterRow(rows, areaCells(stand.hektar, nuvardeKr, decimalSeparator));
}

// What a stand's texts and rows take at most besides its cycles and a refusal's message:
// the input summary and result text, the table's, comparison's and measures' rows.
constexpr std::size_t kTextBytesMost = std::size_t{16} << 10;
// A worker keeps the room of a stand's cycles up to this many (640 years) for the next
// stand: 20 kB, which 64 workers can keep without counting it.
constexpr std::size_t kKeptCycles = 128;

// The cycles the stand's horizon takes, none when it is refused.
std::size_t cyclesOf(const StandFile::Stand& stand, char decimalSeparator) {
    const std::optional<double> years = parseNumber(stand.input.totaltid, decimalSeparator);
    if (stand.refusal || !years || !(*years >= kHorizonMin)) {
        return 0;
    }
    const double horizon = std::min<double>(std::nearbyint(*years), kHorizonMax);
    return static_cast<std::size_t>(StandCalculation::cyclesFor(static_cast<int>(horizon)));
}

// The bytes of the stand's entries that a refusal's message may quote.
std::size_t entryBytes(const StandFile::Stand& stand) {
    const InputRecord& in = stand.input;
    std::size_t bytes = stand.refusal ? stand.refusal->size() : 0;
    for (const ParameterRow& row : kParameterTable) {
        bytes += (in.*row.member).size();
    }
    for (const TreeRow& row : in.rows) {
        bytes += row.text.size();
    }
    return bytes;
}

}  // namespace

std::size_t standBytesMost(const StandFile::Stand& stand, const Arguments& arguments,
                           char decimalSeparator) {
    std::size_t tables = 0;
    for (const OutputTable& table : kOutputTables) {
        tables += (arguments.*table.path).has_value() ? 1 : 0;
    }
    // A message may quote the entries, on standard error and in every table, where a
    // cell's quotes are doubled in a text that grows by doubling.
    std::size_t bytes = kTextBytesMost + (tables + 1) * 4 * entryBytes(stand);
    if (arguments.estate) {
        // The record's rows and felling sums, and the flow's years.
        bytes += (cyclesOf(stand, decimalSeparator) + 2) *
                 (sizeof(CycleRow) + 6 * sizeof(double) + sizeof(FlowYear));
    }
    if (arguments.cycles) {
        // The record's rows and felling sums, and the rows' text.
        bytes += cyclesOf(stand, decimalSeparator) *
                 (sizeof(CycleRow) + 6 * sizeof(double) + kCycleLineBytesMost);
    }
    if (arguments.runs != 0 && (arguments.compare || arguments.measures)) {
        // Every cell's runs of both measures (the comparison's one measure fewer), and the
        // differences of a rate's two best cells.
        const std::size_t cells = (arguments.measures ? 88 : 0) + (arguments.compare ? 44 : 0);
        bytes += static_cast<std::size_t>(arguments.runs) * (cells + 2) * sizeof(double);
    }
    if (arguments.spread) {
        // The runs, and each figure's list of them as it grows.
        const auto runs = static_cast<std::size_t>(
            std::clamp(arguments.runs != 0 ? arguments.runs : kDefaultSpreadRuns, kMinSpreadRuns,
                       kMaxSpreadRuns));
        bytes += runs * (sizeof(SpreadRun) + 3 * 2 * sizeof(double));
    }
    return bytes;
}

const std::array<OutputTable, 5> kOutputTables = {{
    {"table", &Arguments::table, "Tabellen", "tabellen", false, false, tableHeader, tableRows,
     tableRefusedRow},
    {"cycles", &Arguments::cycles, "Cykeltabellen", "cykeltabellen", true, false, cyclesHeader,
     cycleRows, cyclesRefusedRow},
    {"compare", &Arguments::compare, "Jämförelsen", "jämförelsen", false, true, compareHeader,
     comparisonRows, compareRefusedRow},
    {"spread", &Arguments::spread, "Spridningen", "spridningen", false, true, spreadHeader,
     spreadRows, spreadRefusedRow},
    {"measures", &Arguments::measures, "Åtgärdsjämförelsen", "åtgärdsjämförelsen", false, true,
     measuresHeader, measuresRows, measuresRefusedRow},
}};

void computeStand(Worker& worker, const StandFile::Stand& stand, const Arguments& arguments,
                  char decimalSeparator, StandOutputs& out) {
    CalcOptions options;
    options.random = &worker.clock;
    std::optional<SeededRandom> ownStream;  // with --seed: the stream of the row
    if (arguments.seed) {
        options.random = &ownStream.emplace(standSeed(*arguments.seed, stand.row));
    }
    worker.record.rows.clear();
    out.flow.clear();
    if (arguments.estate) {
        options.cycleRecord = &worker.record;
    }
    worker.record.fellingCyclesOnly = !arguments.cycles;
    out.indata.clear();
    out.resultat.clear();
    out.tables.resize(kOutputTables.size());
    for (std::size_t i = 0; i < kOutputTables.size(); ++i) {
        out.tables[i].clear();
        if (arguments.*kOutputTables[i].path && kOutputTables[i].needsCycles) {
            options.cycleRecord = &worker.record;
        }
    }
    Session& session = worker.session;
    out.refusal = calculate(session, stand, options);
    const StandContext context{stand, session, worker.record, arguments, decimalSeparator};
    for (std::size_t i = 0; i < kOutputTables.size(); ++i) {
        const OutputTable& table = kOutputTables[i];
        if (!(arguments.*table.path)) {
            continue;
        }
        if (!out.refusal || (out.refusal->stopped && table.recalculates)) {
            table.rows(context, out.tables[i]);
        } else {
            out.tables[i] = table.refusedRow(stand.row, out.refusal->text);
        }
    }
    if (!out.refusal && arguments.estate && stand.hektar) {
        standFlow(session.calculation, worker.record, out.flow);
    }
    if (worker.areaColumns && arguments.table) {
        addAreaCells(stand, out.refusal ? nullptr : &session.calculation, decimalSeparator,
                     out.tables[kStandTable]);
    }
    if (!out.refusal) {
        // The session's texts are already the file's bytes; out's emptied strings go back
        // to the session for the next stand.
        out.indata.swap(session.prIndata);
        out.resultat.swap(session.prResultat);
    }
    if (worker.record.rows.capacity() > kKeptCycles) {
        // Counted only while the stand is in flight: a long horizon's room goes back.
        worker.record = CycleRecord{};
    }
}

}  // namespace lodra::batch
