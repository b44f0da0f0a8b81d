#include "batch/outputtables.h"

#include <exception>
#include <random>

#include "batch/refusaltext.h"
#include "batch/standspread.h"
#include "calc/comparison.h"
#include "calc/randomsource.h"
#include "calc/spread.h"
#include "report/spreadtable.h"
#include "report/standtable.h"

namespace lodra::batch {

namespace {

void tableRows(const StandContext& c, std::string& out) {
    appendTableRow(out, c.stand.row, c.session.calculation, c.decimalSeparator);
}

void cycleRows(const StandContext& c, std::string& out) {
    out += cyclesRows(c.stand.row, c.record.rows, c.decimalSeparator);
}

// Every cell from the seed of the stand's row with --seed, else from one random seed for
// the stand.
void comparisonRows(const StandContext& c, std::string& out) {
    ComparisonOptions options;
    options.decimalSeparator = c.decimalSeparator;
    options.seed =
        c.arguments.seed ? standSeed(*c.arguments.seed, c.stand.row) : std::random_device{}();
    try {
        const Result<ComparisonGrid> grid = compareChoices(c.stand.input, options);
        out += grid ? compareRow(c.stand.row, *grid, c.decimalSeparator)
                    : compareRefusedRow(c.stand.row, grid.message());
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
                            c.decimalSeparator);
}

}  // namespace

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
    if (stand.name) {
        for (std::string& rows : out.tables) {
            rows = withName(rows, *stand.name);
        }
    }
    if (!out.refusal) {
        // The session's texts are already the file's bytes; out's emptied strings go back
        // to the session for the next stand.
        out.indata.swap(session.prIndata);
        out.resultat.swap(session.prResultat);
    }
}

}  // namespace lodra::batch
