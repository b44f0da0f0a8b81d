#include "batch/batchrun.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocale>
#include <QString>
#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <list>
#include <memory>
#include <optional>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "base/quote.h"
#include "batch/chunkpool.h"
#include "batch/outputfile.h"
#include "batch/refusaltext.h"
#include "batch/spreadtable.h"
#include "batch/standspread.h"
#include "batch/standtable.h"
#include "calc/comparison.h"
#include "calc/cyclerecord.h"
#include "calc/parameters.h"
#include "calc/randomsource.h"
#include "files/fdwriter.h"
#include "lodra05/version.h"
#include "report/decimalseparator.h"
#include "report/windows1252.h"
#include "session/session.h"
#include "standfile/standfile.h"
#include "standfile/standsource.h"

namespace lodra::batch {

namespace {

std::string durationText(double seconds) {
    const long total = static_cast<long>(seconds + 0.5);
    if (total < 60) {
        return std::to_string(total) + " s";
    }
    return std::to_string(total / 60) + " min " + std::to_string(total % 60) + " s";
}

// The progress line on a terminal: stands done, of how many, and the time left.
class Progress {
  public:
    Progress(std::FILE* out, bool enabled, int total)
        : out_(out), enabled_(enabled), total_(total) {}

    void update(int done) {
        if (!enabled_) {
            return;
        }
        const auto now = Clock::now();
        if (done < total_ && now - shown_ < std::chrono::milliseconds(200)) {
            return;
        }
        shown_ = now;
        const double elapsed = std::chrono::duration<double>(now - start_).count();
        const double left = done > 0 ? elapsed / done * (total_ - done) : 0.0;
        std::fprintf(out_, "\r\x1b[K%d av %d bestånd beräknade, cirka %s kvar", done, total_,
                     durationText(left).c_str());
        std::fflush(out_);
        visible_ = true;
    }

    // Takes the line away before a message, or at the end.
    void clear() {
        if (visible_) {
            std::fputs("\r\x1b[K", out_);
            std::fflush(out_);
            visible_ = false;
        }
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::FILE* out_;
    bool enabled_;
    int total_;
    bool visible_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point shown_{};
};

// Takes the file argument as the stand file, the only one there may be.
Result<> setStandFile(const std::string& arg, bool& haveStands, Arguments& arguments) {
    if (haveStands) {
        return fail("Bara en beståndsfil kan anges (" + inQuotes(arguments.stands) + " och " +
                    inQuotes(arg) + ").");
    }
    arguments.stands = arg;
    haveStands = true;
    return {};
}

struct Option {
    std::string name;
    std::string value;
};

// Where the file of an output option goes, or null for another name.
std::optional<std::string>* outputSlot(const std::string& name, Arguments& arguments) {
    if (name == "--output") {
        return &arguments.output;
    }
    if (name == "--table") {
        return &arguments.table;
    }
    if (name == "--cycles") {
        return &arguments.cycles;
    }
    if (name == "--spread") {
        return &arguments.spread;
    }
    if (name == "--measures") {
        return &arguments.measures;
    }
    return name == "--compare" ? &arguments.compare : nullptr;
}

// The option at args[i], "--name=value" or "--name value" (then i moves past the value).
Result<Option> readOption(const std::vector<std::string>& args, std::size_t& i,
                          Arguments& arguments) {
    const std::string& arg = args[i];
    Option option{arg, {}};
    const std::size_t eq = arg.find('=');
    if (eq != std::string::npos) {
        option = {arg.substr(0, eq), arg.substr(eq + 1)};
    }
    if (option.name != "--seed" && option.name != "--threads" && option.name != "--runs" &&
        !outputSlot(option.name, arguments)) {
        return fail("Okänd flagga " + inQuotes(arg) + ".");
    }
    if (eq == std::string::npos) {
        if (i + 1 >= args.size()) {
            return fail("Flaggan " + option.name + " behöver ett värde.");
        }
        option.value = args[++i];
    }
    return option;
}

Result<> setSeed(const std::string& text, Arguments& arguments) {
    if (arguments.seed) {
        return fail("Flaggan --seed kan bara anges en gång.");
    }
    std::uint64_t seed = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, seed);
    if (text.empty() || error != std::errc() || stop != end) {
        return fail("--seed behöver ett heltal från 0 till 18446744073709551615, inte " +
                    inQuotes(text) + ".");
    }
    arguments.seed = seed;
    return {};
}

Result<> setThreads(const std::string& text, Arguments& arguments) {
    if (arguments.threads != 0) {
        return fail("Flaggan --threads kan bara anges en gång.");
    }
    unsigned threads = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, threads);
    if (text.empty() || error != std::errc() || stop != end || threads < 1 ||
        threads > kMaxThreads) {
        return fail("--threads behöver ett heltal från 1 till " + std::to_string(kMaxThreads) +
                    ", inte " + inQuotes(text) + ".");
    }
    arguments.threads = threads;
    return {};
}

Result<> setRuns(const std::string& text, Arguments& arguments) {
    if (arguments.runs != 0) {
        return fail("Flaggan --runs kan bara anges en gång.");
    }
    int runs = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, runs);
    if (text.empty() || error != std::errc() || stop != end || runs < kMinSpreadRuns ||
        runs > kMaxSpreadRuns) {
        return fail("--runs behöver ett heltal från 1 till 100000, inte " + inQuotes(text) + ".");
    }
    arguments.runs = runs;
    return {};
}

Result<> setOption(const Option& option, Arguments& arguments) {
    if (option.name == "--seed") {
        return setSeed(option.value, arguments);
    }
    if (option.name == "--threads") {
        return setThreads(option.value, arguments);
    }
    if (option.name == "--runs") {
        return setRuns(option.value, arguments);
    }
    std::optional<std::string>& slot = *outputSlot(option.name, arguments);
    if (slot) {
        return fail("Flaggan " + option.name + " kan bara anges en gång.");
    }
    if (option.value.empty() || (option.name != "--output" && option.value == "-")) {
        return fail("Flaggan " + option.name + " behöver ett filnamn.");
    }
    slot = option.value;
    return {};
}

}  // namespace

Result<Arguments> parseArguments(const std::vector<std::string>& args) {
    Arguments arguments;
    bool onlyFiles = false;
    bool haveStands = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        Result<> taken;
        if (onlyFiles || arg == "-" || !arg.starts_with("-")) {
            taken = setStandFile(arg, haveStands, arguments);
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "--help" || arg == "-h") {
            arguments.help = true;
        } else if (arg == "--version") {
            arguments.version = true;
        } else if (Result<Option> option = readOption(args, i, arguments); !option) {
            taken = option.error();
        } else {
            taken = setOption(*option, arguments);
        }
        if (!taken) {
            return taken.error();
        }
    }
    if (!arguments.help && !arguments.version && !haveStands) {
        return fail("Ange beståndsfilen.");
    }
    return arguments;
}

namespace {

// The parameters' columns, in as many lines as they need, and what they hold.
std::string parameterColumnsHelp() {
    constexpr std::size_t kWidth = 80;       // characters of a help line
    constexpr std::size_t kTextColumn = 20;  // where a column's description starts
    std::string text;
    std::string line = " ";
    for (const ParameterRow& row : kParameterTable) {
        if (line.size() + 1 + row.column.size() + 1 > kWidth) {
            text += line + "\n";
            line = " ";
        }
        line += " ";
        line += row.column;
        line += ",";
    }
    line.pop_back();
    line.resize(std::max(line.size() + 1, kTextColumn), ' ');
    return text + line + "talen, som i parameterfönstret\n";
}

}  // namespace

std::string helpText() {
    return "Användning: lodra05-batch [--seed N] [--threads N] [--output FIL | --output -]\n"
           "                     [--table FIL] [--cycles FIL] [--compare FIL]\n"
           "                     [--measures FIL] [--spread FIL [--runs N]] BESTÅND.csv\n"
           "\n"
           "Beräknar bestånden i BESTÅND.csv, ett per rad och i tur och ordning, som i en och\n"
           "samma körning av skrivbordsprogrammet, och sparar den fil som programmet då skulle\n"
           "spara.\n"
           "\n"
           "BESTÅND.csv: en rubrikrad med kolumnernas namn, sedan ett bestånd per rad. Fälten\n"
           "skiljs åt med ';' och får stå inom citattecken. UTF-8 eller Windows-1252.\n"
           "Kolumner, i valfri ordning:\n" +
           parameterColumnsHelp() +
           "  tradslag          Tall, Gran eller Löv\n"
           "  atgard            Kalavverkning eller Gallring och plockhuggning\n"
           "  dia1 till dia10   trädens diametrar i cm (tom ruta: tom rad)\n"
           "  avv1 till avv10   x för ett träd som avverkas direkt, annars tomt\n"
           "  bestand           beståndets namn, fri text; tabellerna får det efter Rad\n"
           "En kolumn som saknas eller en tom ruta får fönstrets startvärde. Saknas alla dia-\n"
           "och avv-kolumner får träden trädfönstrets startvärden (45 avverkas direkt, 35, 1, "
           "1).\n"
           "\n"
           "Flaggor:\n"
           "  --output FIL   skriv resultatet till FIL (en befintlig fil ersätts)\n"
           "  --output -     skriv resultatet till standardutmatningen\n"
           "                 Utan --output sparas det som nästa lediga ResultN.txt i den\n"
           "                 aktuella mappen.\n"
           "  --table FIL    skriv också en tabell (CSV med ';') med en rad per bestånd:\n"
           "                 de ekonomiska resultaten, volymerna och avverkningarna\n"
           "  --cycles FIL   skriv också varje bestånds cykler (CSV), en rad per cykel\n"
           "  --compare FIL  skriv också varje bestånds nuvärde vid 0 till 10 cykler till\n"
           "                 avverkning och 2, 3, 4 och 5 % ränta (CSV), en rad per bestånd\n"
           "  --measures FIL skriv också samma nuvärden med gallring och plockhuggning och\n"
           "                 med kalavverkning, och det bästa paret vid varje ränta (CSV)\n"
           "  --spread FIL   skriv också varje bestånds spridning: beståndet beräknat en gång\n"
           "                 per körning med slumpvis ändring av diametern, medelvärde,\n"
           "                 standardavvikelse och percentiler (CSV), en rad per bestånd\n"
           "  --runs N       körningar per bestånd i --spread, 1 till 100000 (annars 1000)\n"
           "  --seed N       slumpvis ändring av diametern från en generator med fröet N, så\n"
           "                 att en körning kan upprepas exakt (annars från klockan)\n"
           "  --threads N    beräkna på N trådar, 1 till 64 (annars en per kärna); filerna\n"
           "                 blir desamma med hur många trådar som helst\n"
           "  --help         visa den här hjälpen\n"
           "  --version      visa programmets version\n"
           "\n"
           "Decimaltecknet är de regionala inställningarnas (LC_ALL, LC_NUMERIC, LANG).\n"
           "En rad som inte kan beräknas anges med sitt radnummer (rubrikraden är rad 1) på\n"
           "standardfelet; de andra raderna beräknas ändå.\n"
           "\n"
           "Slutstatus: 0 när alla bestånd beräknades, 1 när någon rad inte kunde beräknas,\n"
           "2 vid fel i kommandoraden eller i en fil (då skrivs ingen fil).\n";
}

char systemDecimalSeparator() {
    return reportDecimalSeparator(QLocale::system().decimalPoint().toStdU16String());
}

namespace {

// Prints a message on its own line; a NUL in it is shown as \0 instead of ending it.
void printLine(std::FILE* out, const std::string& text) {
    for (const char c : text) {
        if (c == '\0') {
            std::fputs("\\0", out);
        } else {
            std::fputc(c, out);
        }
    }
    std::fputc('\n', out);
}

// The named outputs of the run, with how messages call them.
struct NamedOutput {
    const std::optional<std::string>* path;
    const char* subject;  // at the start of a sentence
    const char* object;   // after "och"
};

// No output may be the stand file or another output.
Result<> checkDistinct(const Arguments& arguments) {
    const std::string& stands = arguments.stands;
    const NamedOutput outputs[] = {
        {&arguments.output, "Resultatet", "resultatet"},
        {&arguments.table, "Tabellen", "tabellen"},
        {&arguments.cycles, "Cykeltabellen", "cykeltabellen"},
        {&arguments.compare, "Jämförelsen", "jämförelsen"},
        {&arguments.spread, "Spridningen", "spridningen"},
        {&arguments.measures, "Åtgärdsjämförelsen", "åtgärdsjämförelsen"},
    };
    for (std::size_t i = 0; i < std::size(outputs); ++i) {
        const NamedOutput& a = outputs[i];
        if (!*a.path) {
            continue;
        }
        for (std::size_t j = i + 1; j < std::size(outputs); ++j) {
            const NamedOutput& b = outputs[j];
            if (*b.path && sameFile(**a.path, **b.path)) {
                return fail(std::string(a.subject) + " och " + b.object +
                            " kan inte skrivas till samma fil.");
            }
        }
        if (sameFile(**a.path, stands)) {
            return fail(std::string(a.subject) + " kan inte skrivas till beståndsfilen " +
                        inQuotes(stands) + ".");
        }
    }
    return {};
}

// One part of the run's texts. It goes straight into the file of its output when that is a
// file (which has no name until every output is complete); for an output written only at
// the end (standard output, a device, a FIFO) it waits in a spool.
struct RunPart {
    PlannedOutput* output = nullptr;  // what the part goes into
    SpoolFile spool;                  // made only when needed
    FdWriter* sink = nullptr;         // where the part is written during the run

    // Before the outputs are prepared: makes the spool if the part needs one.
    Result<> createSpool(bool direct) {
        const bool inFile = direct && output->target().kind != OutputTarget::Kind::InPlace;
        return inFile ? Result<>() : spool.create();
    }
    // After: the part's sink, and its header written there.
    Result<> connect(std::string_view header) {
        sink = spool.created() ? &spool.writer() : output->fileWriter();
        return sink->write(header);
    }
    Result<> write(std::string_view bytes) { return sink->write(bytes); }
    // What the output gets at the end: the spool; nothing when written straight into it.
    Result<> copyTo(FdWriter& out) { return spool.created() ? spool.copyTo(out) : Result<>(); }
};

// The texts of the run: the saved file is every input summary, CR LF, every result text,
// CR LF, so the result texts wait in a spool until the end.
struct RunSpools {
    RunPart indata;    // input summaries, Windows-1252
    RunPart resultat;  // result texts, Windows-1252
    RunPart table;     // the table's rows, when asked for
    RunPart cycles;    // the cycle table's rows, when asked for
    RunPart compare;   // the comparison rows, when asked for
    RunPart spread;    // the spread rows, when asked for
    RunPart measures;  // the rows of both measures, when asked for
};

// The extra outputs asked for, each a table with a row (or rows) per stand.
struct Extras {
    bool table = false;
    bool cycles = false;
    bool compare = false;
    bool spread = false;
    bool measures = false;

    explicit Extras(const Arguments& arguments)
        : table(arguments.table.has_value()),
          cycles(arguments.cycles.has_value()),
          compare(arguments.compare.has_value()),
          spread(arguments.spread.has_value()),
          measures(arguments.measures.has_value()) {}
};

// Each part asked for, with its header and whether it may go straight into its output.
struct PartPlan {
    RunPart* part;
    std::string header;
    bool direct;
};

// named: the stand file has a bestand column, which every table carries.
std::vector<PartPlan> partsAskedFor(RunSpools& spools, const Extras& extras, bool named) {
    std::vector<PartPlan> parts = {{&spools.indata, {}, true}, {&spools.resultat, {}, false}};
    if (extras.table) {
        parts.push_back({&spools.table, tableHeader(), true});
    }
    if (extras.cycles) {
        parts.push_back({&spools.cycles, cyclesHeader(), true});
    }
    if (extras.compare) {
        parts.push_back({&spools.compare, compareHeader(), true});
    }
    if (extras.spread) {
        parts.push_back({&spools.spread, spreadHeader(), true});
    }
    if (extras.measures) {
        parts.push_back({&spools.measures, measuresHeader(), true});
    }
    if (named) {
        for (std::size_t p = 2; p < parts.size(); ++p) {
            parts[p].header = withNameColumn(parts[p].header);
        }
    }
    return parts;
}

Result<> createSpools(const std::vector<PartPlan>& parts) {
    for (const PartPlan& plan : parts) {
        if (Result<> created = plan.part->createSpool(plan.direct); !created) {
            return created;
        }
    }
    return {};
}

Result<> connectParts(const std::vector<PartPlan>& parts) {
    for (const PartPlan& plan : parts) {
        if (Result<> connected = plan.part->connect(plan.header); !connected) {
            return connected;
        }
    }
    return {};
}

// The outputs in the order they are finished: the tables before the result.
Result<std::list<PlannedOutput>> planOutputs(const Arguments& arguments, RunSpools& spools) {
    std::list<PlannedOutput> outputs;
    const std::pair<const std::optional<std::string>*, RunPart*> tables[] = {
        {&arguments.table, &spools.table},       {&arguments.cycles, &spools.cycles},
        {&arguments.compare, &spools.compare},   {&arguments.spread, &spools.spread},
        {&arguments.measures, &spools.measures},
    };
    for (const auto& [argument, part] : tables) {
        if (!*argument) {
            continue;
        }
        Result<OutputTarget> target = findTarget(*argument);
        if (!target) {
            return target.error();
        }
        part->output = &outputs.emplace_back(std::move(*target),
                                             [part](FdWriter& out) { return part->copyTo(out); });
    }
    Result<OutputTarget> target = findTarget(arguments.output);
    if (!target) {
        return target.error();
    }
    spools.indata.output = &outputs.emplace_back(std::move(*target), [&spools](FdWriter& out) {
        // After the input summaries: CR LF, every result text, CR LF.
        Result<> written = spools.indata.copyTo(out);
        if (written) {
            written = out.write("\r\n");
        }
        if (written) {
            written = spools.resultat.copyTo(out);
        }
        if (written) {
            written = out.write("\r\n");
        }
        return written;
    });
    return outputs;
}

struct Tally {
    int calculated = 0;
    int refused = 0;
    int handedOut = 0;
};

// Why the stand cannot be calculated, if it cannot.
struct RowRefusal {
    std::string text;          // for the table's message cell
    const char* joint = ": ";  // between "Rad N" and the text on standard error
    bool stopped = false;      // the entries were taken: the outputs that calculate the
                               // stand again (comparisons, spread) still do
};

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

// Everything one stand gives the outputs, made before any of it is written. Kept from
// chunk to chunk, so that its strings keep their room.
struct StandOutputs {
    std::optional<RowRefusal> refusal;
    std::string indata;    // Windows-1252; empty when refused
    std::string resultat;  // Windows-1252; empty when refused
    std::string table;     // the rows of each extra output asked for
    std::string cycles;
    std::string compare;
    std::string spread;
    std::string measures;
};

// What one worker thread keeps from stand to stand.
struct Worker {
    Session session;
    ClockRandom clock;  // without --seed
    CycleRecord record;
};

// The comparison row of a calculated stand: every cell from the seed of the stand's row
// with --seed, else from one random seed for the stand.
std::string comparisonRow(const StandFile::Stand& stand, const Arguments& arguments,
                          char decimalSeparator) {
    ComparisonOptions options;
    options.decimalSeparator = decimalSeparator;
    options.seed = arguments.seed ? standSeed(*arguments.seed, stand.row) : std::random_device{}();
    try {
        const Result<ComparisonGrid> grid = compareChoices(stand.input, options);
        return grid ? compareRow(stand.row, *grid, decimalSeparator)
                    : compareRefusedRow(stand.row, grid.message());
    } catch (const std::exception&) {
        return compareRefusedRow(stand.row, "Beräkningen kunde inte slutföras.");
    }
}

// The extra outputs of a refused stand; those that calculate the stand again only when
// its entries were refused.
void refusedRows(const StandFile::Stand& stand, const Extras& extras, StandOutputs& out) {
    const std::string& text = out.refusal->text;
    if (extras.table) {
        out.table = tableRefusedRow(stand.row, text);
    }
    if (extras.cycles) {
        out.cycles = cyclesRefusedRow(stand.row, text);
    }
    if (out.refusal->stopped) {
        return;
    }
    if (extras.compare) {
        out.compare = compareRefusedRow(stand.row, text);
    }
    if (extras.spread) {
        out.spread = spreadRefusedRow(stand.row, text);
    }
    if (extras.measures) {
        out.measures = measuresRefusedRow(stand.row, text);
    }
}

// The outputs that calculate the stand again, each cell or run on its own.
void recalculatedRows(const StandFile::Stand& stand, const Arguments& arguments,
                      char decimalSeparator, StandOutputs& out) {
    const Extras extras(arguments);
    if (extras.compare) {
        out.compare = comparisonRow(stand, arguments, decimalSeparator);
    }
    if (extras.spread) {
        out.spread = spreadStandRow(stand.row, stand.input, baseSeed(arguments.seed, stand.row),
                                    arguments.runs != 0 ? arguments.runs : kDefaultSpreadRuns,
                                    decimalSeparator);
    }
    if (extras.measures) {
        out.measures = measuresStandRow(stand.row, stand.input, baseSeed(arguments.seed, stand.row),
                                        decimalSeparator);
    }
}

void calculatedRows(Worker& worker, const StandFile::Stand& stand, const Arguments& arguments,
                    char decimalSeparator, StandOutputs& out);

// Calculates one stand and makes its part of every output.
void computeStand(Worker& worker, const StandFile::Stand& stand, const Arguments& arguments,
                  char decimalSeparator, StandOutputs& out) {
    const Extras extras(arguments);
    CalcOptions options;
    options.random = &worker.clock;
    std::optional<SeededRandom> ownStream;  // with --seed: the stream of the row
    if (arguments.seed) {
        options.random = &ownStream.emplace(standSeed(*arguments.seed, stand.row));
    }
    worker.record.rows.clear();
    options.cycleRecord = extras.cycles ? &worker.record : nullptr;
    for (std::string* text : {&out.indata, &out.resultat, &out.table, &out.cycles, &out.compare,
                              &out.spread, &out.measures}) {
        text->clear();
    }
    Session& session = worker.session;
    out.refusal = calculate(session, stand, options);
    if (out.refusal) {
        refusedRows(stand, extras, out);
        if (out.refusal->stopped) {
            recalculatedRows(stand, arguments, decimalSeparator, out);
        }
    } else {
        calculatedRows(worker, stand, arguments, decimalSeparator, out);
    }
    if (stand.name) {
        for (std::string* table :
             {&out.table, &out.cycles, &out.compare, &out.spread, &out.measures}) {
            *table = withName(*table, *stand.name);
        }
    }
}

// The outputs of a stand the calculation took.
void calculatedRows(Worker& worker, const StandFile::Stand& stand, const Arguments& arguments,
                    char decimalSeparator, StandOutputs& out) {
    const Extras extras(arguments);
    Session& session = worker.session;
    appendWindows1252(out.indata, session.prIndata);
    appendWindows1252(out.resultat, session.prResultat);
    session.prIndata.clear();
    session.prResultat.clear();
    if (extras.table) {
        appendTableRow(out.table, stand.row, session.calculation, decimalSeparator);
    }
    if (extras.cycles) {
        out.cycles = cyclesRows(stand.row, worker.record.rows, decimalSeparator);
    }
    recalculatedRows(stand, arguments, decimalSeparator, out);
}

// Writes one stand's part of every output to the spools (an output not asked for has
// nothing to write).
Result<> spoolStand(const StandOutputs& stand, RunSpools& spools) {
    const std::pair<RunPart*, const std::string*> parts[] = {
        {&spools.indata, &stand.indata},     {&spools.resultat, &stand.resultat},
        {&spools.table, &stand.table},       {&spools.cycles, &stand.cycles},
        {&spools.compare, &stand.compare},   {&spools.spread, &stand.spread},
        {&spools.measures, &stand.measures},
    };
    for (const auto& [spool, bytes] : parts) {
        if (bytes->empty()) {
            continue;
        }
        if (Result<> written = spool->write(*bytes); !written) {
            return written;
        }
    }
    return {};
}

// One thread per core (as far as the system tells), at most kMaxThreads.
std::size_t defaultThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1U, kMaxThreads);
}

// Stands read together and calculated together by one worker. A small chunk keeps the
// threads evenly busy; a few of them per thread keep every thread busy while the chunk
// at the head of the row order is written.
constexpr std::size_t kChunkStands = 16;
constexpr std::size_t kChunksPerThread = 8;

struct Chunk {
    std::array<StandFile::Stand, kChunkStands> stands;
    std::array<StandOutputs, kChunkStands> outputs;
    std::size_t count = 0;  // stands in it
};

// Reads the next stands of the file into chunk; false when the file has no more, or the
// error of the stand file (the stands read before it are in the chunk).
Result<bool> fillChunk(StandFile& stands, Chunk& chunk) {
    chunk.count = 0;
    while (chunk.count < kChunkStands) {
        const Result<bool> read = stands.next(chunk.stands[chunk.count]);
        if (!read) {
            return read;
        }
        if (!*read) {
            return false;
        }
        ++chunk.count;
    }
    return true;
}

// The run's writing side: the outputs of the stands in row order.
class RowWriter {
  public:
    RowWriter(RunSpools& spools, const RunStreams& streams, int standCount)
        : spools_(spools),
          streams_(streams),
          progress_(streams.errors, streams.progress, standCount) {}

    Result<> write(const Chunk& chunk) {
        for (std::size_t i = 0; i < chunk.count; ++i) {
            const StandOutputs& outputs = chunk.outputs[i];
            if (outputs.refusal) {
                ++tally_.refused;
                progress_.clear();
                printLine(streams_.errors, "Rad " + std::to_string(chunk.stands[i].row) +
                                               outputs.refusal->joint + outputs.refusal->text);
            } else {
                ++tally_.calculated;
            }
            if (Result<> spooled = spoolStand(outputs, spools_); !spooled) {
                progress_.clear();
                return spooled;
            }
            progress_.update(++tally_.handedOut);
        }
        return {};
    }
    void clearProgress() { progress_.clear(); }
    const Tally& tally() const { return tally_; }

  private:
    RunSpools& spools_;
    const RunStreams& streams_;
    Progress progress_;
    Tally tally_;
};

// Calculates every stand, on the run's threads, and writes their outputs in row order:
// the same bytes as one session of the desktop program calculating them one by one. A
// window of chunks is in flight, never the whole register.
Result<Tally> calculateAll(StandFile& stands, RunSpools& spools, const Arguments& arguments,
                           char decimalSeparator, const RunStreams& streams) {
    const std::size_t threads = arguments.threads != 0 ? arguments.threads : defaultThreads();
    std::vector<Worker> workers(threads);
    for (Worker& worker : workers) {
        worker.session.decimalSeparator = decimalSeparator;
    }
    std::vector<Chunk> chunks(threads == 1 ? 1 : threads * kChunksPerThread);
    // One thread calculates in the thread that reads and writes.
    ChunkPool pool(threads == 1 ? 0 : threads, chunks.size(),
                   [&](std::size_t worker, std::size_t index) {
                       Chunk& chunk = chunks[index];
                       for (std::size_t i = 0; i < chunk.count; ++i) {
                           computeStand(workers[worker], chunk.stands[i], arguments,
                                        decimalSeparator, chunk.outputs[i]);
                       }
                   });
    RowWriter writer(spools, streams, stands.standCount());
    std::optional<Error> readError;
    std::size_t next = 0;      // the chunk to fill next
    std::size_t inFlight = 0;  // chunks filled and not yet written, from next - inFlight
    bool more = true;
    for (;;) {
        while (more && inFlight < chunks.size()) {
            const Result<bool> read = fillChunk(stands, chunks[next]);
            more = read && *read;
            if (!read) {
                readError = standFileError(arguments.stands, read.message());
            }
            if (chunks[next].count == 0) {
                break;
            }
            pool.submit(next);
            next = (next + 1) % chunks.size();
            ++inFlight;
        }
        if (inFlight == 0) {
            break;
        }
        const std::size_t oldest = (next + chunks.size() - inFlight) % chunks.size();
        pool.waitFor(oldest);
        if (Result<> written = writer.write(chunks[oldest]); !written) {
            return written.error();
        }
        --inFlight;
    }
    writer.clearProgress();
    if (readError) {
        return *readError;
    }
    return writer.tally();
}

// The whole run; its failures are the usage and file errors of exit status 2.
Result<Tally> run(const Arguments& arguments, char decimalSeparator, const RunStreams& streams) {
    if (Result<> distinct = checkDistinct(arguments); !distinct) {
        return distinct.error();
    }
    RunSpools spools;
    Result<std::list<PlannedOutput>> outputs = planOutputs(arguments, spools);
    if (!outputs) {
        return outputs.error();
    }
    StandSource stands;
    Result<> ready = openStands(arguments.stands, stands);
    const std::vector<PartPlan> parts =
        partsAskedFor(spools, Extras(arguments), stands.file.columns().bestand >= 0);
    if (ready) {
        ready = createSpools(parts);
    }
    if (ready) {
        ready = prepareAll(*outputs);
    }
    if (ready) {
        ready = connectParts(parts);
    }
    if (!ready) {
        return ready.error();
    }
    Result<Tally> tally = calculateAll(stands.file, spools, arguments, decimalSeparator, streams);
    if (!tally) {
        return tally;
    }
    if (Result<> read = checkReadConsistently(arguments.stands, stands, tally->handedOut); !read) {
        return read.error();
    }
    if (tally->calculated == 0) {
        outputs->pop_back();  // the result
        std::fputs("Inget bestånd kunde beräknas, så inget resultat skrevs.\n", streams.errors);
    }
    if (Result<> finished = finishAll(*outputs); !finished) {
        return finished.error();
    }
    Result<> committed = commitAll(*outputs, [&streams](const std::string& path) {
        std::fprintf(streams.messages, "Resultatet sparades i följande fil:\n%s\n", path.c_str());
        std::fflush(streams.messages);
    });
    if (!committed) {
        return committed.error();
    }
    return tally;
}

}  // namespace

int runBatch(const Arguments& arguments, char decimalSeparator, const RunStreams& streams) {
    const Result<Tally> tally = run(arguments, decimalSeparator, streams);
    if (!tally) {
        printLine(streams.errors, "lodra05-batch: " + tally.message());
        return kUsageOrFileError;
    }
    return tally->refused > 0 ? kRowsRefused : kAllCalculated;
}

namespace {

// A standard stream that is closed is held by /dev/null opened for reading, so that no file
// of the run gets its number and writing to it fails instead of going into that file.
void holdClosedStandardStreams() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) < 0) {
            const int held = ::open("/dev/null", O_RDONLY);
            if (held >= 0 && held != fd) {
                ::dup2(held, fd);
                ::close(held);
            }
        }
    }
}

}  // namespace

int batchMain(int argc, char** argv) {
    holdClosedStandardStreams();
    // Write errors (a full disk, a file size limit, a closed pipe) come back as errors
    // with a message instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);

    const std::vector<std::string> args(argv + 1, argv + argc);
    const Result<Arguments> arguments = parseArguments(args);
    if (!arguments) {
        std::fprintf(stderr, "lodra05-batch: %s\nSkriv lodra05-batch --help för hjälp.\n",
                     arguments.message().c_str());
        return kUsageOrFileError;
    }
    if (arguments->help) {
        std::fputs(helpText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? kAllCalculated : kUsageOrFileError;
    }
    if (arguments->version) {
        std::printf("lodra05-batch %s\n", kVersion);
        return std::fflush(stdout) == 0 ? kAllCalculated : kUsageOrFileError;
    }
    // A numbered file is named on standard output.
    if (!arguments->output) {
        if (const Result<> usable = standardOutputWritable(); !usable) {
            std::fprintf(stderr, "lodra05-batch: %s\n", usable.message().c_str());
            return kUsageOrFileError;
        }
    }
    RunStreams streams;
    streams.progress = ::isatty(STDERR_FILENO) == 1;
    return runBatch(*arguments, systemDecimalSeparator(), streams);
}

}  // namespace lodra::batch
