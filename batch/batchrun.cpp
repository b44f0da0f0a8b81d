#include "batch/batchrun.h"

#include <malloc.h>
#include <unistd.h>

#include <QLocale>
#include <QString>
#include <algorithm>
#include <array>
#include <cerrno>
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
#include <tuple>
#include <utility>
#include <vector>

#include "base/quote.h"
#include "base/utf8.h"
#include "batch/pipeline.h"
#include "batch/refusaltext.h"
#include "batch/standfile.h"
#include "batch/standtable.h"
#include "calc/comparison.h"
#include "calc/cyclerecord.h"
#include "calc/randomsource.h"
#include "files/fdwriter.h"
#include "files/outputfile.h"
#include "report/decimalseparator.h"
#include "report/windows1252.h"
#include "session/session.h"

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

// Prints a message on its own line in one write, so that a message never arrives in
// pieces and many messages cost no more than they must.
void printLine(std::FILE* out, const std::string& text) {
    const std::string line = text + '\n';
    std::fwrite(line.data(), 1, line.size(), out);
}

struct StandSource {
    std::ifstream in;
    StandFile file;
    std::optional<FileState> state;  // when first read
};

Error standFileError(const std::string& path, const std::string& message) {
    return fail("Fel i beståndsfilen " + inQuotes(path) + ": " + message);
}

// Opens the stand file and reads it through once, checking every record and counting
// the stands, before anything is calculated.
Result<> openStands(const std::string& path, StandSource& source) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return fail("Beståndsfilen " + inQuotes(path) + " är en mapp, inte en fil.");
    }
    source.in.open(path, std::ios::binary);
    if (!source.in) {
        return systemFailure("öppna beståndsfilen", inQuotes(path), errno);
    }
    source.state = stateOf(path);
    if (Result<> opened = source.file.open(source.in); !opened) {
        return standFileError(path, opened.message());
    }
    if (source.file.standCount() == 0) {
        return fail("Beståndsfilen " + inQuotes(path) + " har inga bestånd, bara en rubrikrad.");
    }
    return {};
}

// The stand file gave every stand it counted, and nothing wrote it while it was read.
Result<> checkReadConsistently(const std::string& path, const StandSource& source, int handedOut) {
    if (handedOut != source.file.standCount() || !source.state || stateOf(path) != source.state) {
        return standFileError(path, "Filen ändrades medan den lästes.");
    }
    return {};
}

// An output of the run as far as aliases go, with how messages call it.
struct NamedOutput {
    std::optional<std::string> path;  // none: standard output
    const char* subject;              // at the start of a sentence
    const char* object;               // after "och"
};

// Whether two outputs write the same file: both standard output, a file that standard
// output is, or one file under two names.
bool sameOutput(const NamedOutput& a, const NamedOutput& b,
                const std::optional<FileIdentity>& standardOutput) {
    if (!a.path || !b.path) {
        const std::optional<std::string>& other = a.path ? a.path : b.path;
        return !other || (standardOutput && identityOf(*other) == standardOutput);
    }
    return sameFile(*a.path, *b.path);
}

// The outputs named on the command line, and standard output when it is a regular file
// that none of them writes.
std::vector<NamedOutput> namedOutputs(const Arguments& arguments, bool standardOutputFile) {
    std::vector<NamedOutput> outputs;
    bool toStandardOutput = false;
    for (const auto& [argument, subject, object] :
         {std::tuple{&arguments.output, "Resultatet", "resultatet"},
          std::tuple{&arguments.table, "Tabellen", "tabellen"},
          std::tuple{&arguments.cycles, "Cykeltabellen", "cykeltabellen"},
          std::tuple{&arguments.compare, "Jämförelsen", "jämförelsen"}}) {
        if (*argument) {
            const bool standard = isStandardOutput(**argument);
            toStandardOutput |= standard;
            outputs.push_back({standard ? std::nullopt : *argument, subject, object});
        }
    }
    if (standardOutputFile && !toStandardOutput) {
        outputs.push_back({std::nullopt, "Standardutmatningen", "standardutmatningen"});
    }
    return outputs;
}

// No output may be the stand file or another output.
Result<> checkDistinct(const Arguments& arguments) {
    const std::string& stands = arguments.stands;
    const std::optional<FileIdentity> standardOutput = standardOutputFile();
    const NamedOutput standFile{stands, "", ""};
    const std::vector<NamedOutput> outputs = namedOutputs(arguments, standardOutput.has_value());
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const NamedOutput& a = outputs[i];
        for (std::size_t j = i + 1; j < outputs.size(); ++j) {
            if (sameOutput(a, outputs[j], standardOutput)) {
                return fail(std::string(a.subject) + " och " + outputs[j].object +
                            " kan inte skrivas till samma fil.");
            }
        }
        if ((a.path || standardOutput) && sameOutput(a, standFile, standardOutput)) {
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
};

// The extra outputs asked for, each a table with a row (or rows) per stand.
struct Extras {
    bool table = false;
    bool cycles = false;
    bool compare = false;

    explicit Extras(const Arguments& arguments)
        : table(arguments.table.has_value()),
          cycles(arguments.cycles.has_value()),
          compare(arguments.compare.has_value()) {}
};

// Each part asked for, with its header and whether it may go straight into its output.
struct PartPlan {
    RunPart* part;
    std::string header;
    bool direct;
};

std::vector<PartPlan> partsAskedFor(RunSpools& spools, const Extras& extras) {
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
        {&arguments.table, &spools.table},
        {&arguments.cycles, &spools.cycles},
        {&arguments.compare, &spools.compare},
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

std::optional<RowRefusal> calculate(Session& session, const StandFile::Stand& stand,
                                    const CalcOptions& options) {
    if (stand.refusal) {
        return RowRefusal{*stand.refusal};
    }
    try {
        const Outcome outcome = session.berakna(stand.input, options);
        if (!outcome.ok()) {
            return RowRefusal{refusalText(outcome.error()), afterRow(outcome.error())};
        }
    } catch (const std::exception&) {
        return RowRefusal{"Beräkningen kunde inte slutföras."};
    }
    return std::nullopt;
}

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

// The extra outputs of a refused stand.
void refusedRows(const StandFile::Stand& stand, const Extras& extras, StandOutputs& out) {
    const std::string& text = out.refusal->text;
    if (extras.table) {
        out.table = tableRefusedRow(stand.row, text);
    }
    if (extras.cycles) {
        out.cycles = cyclesRefusedRow(stand.row, text);
    }
    if (extras.compare) {
        out.compare = compareRefusedRow(stand.row, text);
    }
}

// Calculates one stand and makes its part of every output.
void computeStand(Worker& worker, const StandFile::Stand& stand, const Arguments& arguments,
                  char decimalSeparator, StandOutputs& out) {
    const Extras extras(arguments);
    CalcOptions options;
    options.decimalSeparator = decimalSeparator;
    options.random = &worker.clock;
    std::optional<SeededRandom> ownStream;  // with --seed: the stream of the row
    if (arguments.seed) {
        options.random = &ownStream.emplace(standSeed(*arguments.seed, stand.row));
    }
    worker.record.rows.clear();
    options.cycleRecord = extras.cycles ? &worker.record : nullptr;
    for (std::string* text : {&out.indata, &out.resultat, &out.table, &out.cycles, &out.compare}) {
        text->clear();
    }
    Session& session = worker.session;
    out.refusal = calculate(session, stand, options);
    if (out.refusal) {
        refusedRows(stand, extras, out);
        return;
    }
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
    if (extras.compare) {
        out.compare = comparisonRow(stand, arguments, decimalSeparator);
    }
}

// Writes one stand's part of every output to the spools (an output not asked for has
// nothing to write).
Result<> spoolStand(const StandOutputs& stand, RunSpools& spools) {
    const std::pair<RunPart*, const std::string*> parts[] = {
        {&spools.indata, &stand.indata},   {&spools.resultat, &stand.resultat},
        {&spools.table, &stand.table},     {&spools.cycles, &stand.cycles},
        {&spools.compare, &stand.compare},
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

// The run's writing side: the outputs of the stands in row order.
class RowWriter {
  public:
    RowWriter(RunSpools& spools, const RunStreams& streams, int standCount)
        : spools_(spools),
          streams_(streams),
          progress_(streams.errors, streams.progress, standCount) {}

    Result<> write(const StandFile::Stand& stand, const StandOutputs& outputs) {
        if (outputs.refusal) {
            ++tally_.refused;
            progress_.clear();
            printLine(streams_.errors, "Rad " + std::to_string(stand.row) + outputs.refusal->joint +
                                           outputs.refusal->text);
        } else {
            ++tally_.calculated;
        }
        if (Result<> spooled = spoolStand(outputs, spools_); !spooled) {
            progress_.clear();
            return spooled;
        }
        progress_.update(++tally_.handedOut);
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
// the same bytes as one session of the desktop program calculating them one by one.
Result<Tally> calculateAll(StandFile& stands, RunSpools& spools, const Arguments& arguments,
                           char decimalSeparator, const RunStreams& streams) {
    PipelineLimits limits;
    limits.threads = arguments.threads != 0 ? arguments.threads : defaultThreads();
    std::vector<Worker> workers(limits.threads);
    RowWriter writer(spools, streams, stands.standCount());
    std::optional<Error> readError;
    const Result<> done = runPipeline(
        stands, limits,
        [&](std::size_t worker, const StandFile::Stand& stand, StandOutputs& out) {
            computeStand(workers[worker], stand, arguments, decimalSeparator, out);
        },
        [&](const StandFile::Stand& stand, const StandOutputs& out) {
            return writer.write(stand, out);
        },
        readError);
    if (!done) {
        return done.error();
    }
    writer.clearProgress();
    if (readError) {
        return standFileError(arguments.stands, readError->message);
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
    const std::vector<PartPlan> parts = partsAskedFor(spools, Extras(arguments));
    Result<> ready = openStands(arguments.stands, stands);
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
    Result<> committed =
        commitAll(*outputs, streams.commitSeam, [&streams](const std::string& path) {
            std::fprintf(streams.messages, "Resultatet sparades i följande fil:\n%s\n",
                         visibleText(path).c_str());
            std::fflush(streams.messages);
        });
    if (!committed) {
        return committed.error();
    }
    return tally;
}

}  // namespace

char systemDecimalSeparator() {
    return reportDecimalSeparator(QLocale::system().decimalPoint().toStdU16String());
}

int runBatch(const Arguments& arguments, char decimalSeparator, const RunStreams& streams) {
    // A long text (a stand's cycles over 32767 years) is mapped on its own and given back
    // when freed, instead of staying in the heap of the thread that made it: without a fixed
    // threshold the allocator raises it after the first such text, and the freed texts of
    // many threads pile up.
    ::mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    const Result<Tally> tally = run(arguments, decimalSeparator, streams);
    if (!tally) {
        printLine(streams.errors, "lodra05-batch: " + tally.message());
        return kUsageOrFileError;
    }
    return tally->refused > 0 ? kRowsRefused : kAllCalculated;
}

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
