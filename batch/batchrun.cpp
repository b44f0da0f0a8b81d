#include "batch/batchrun.h"

#include <malloc.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "base/quote.h"
#include "base/utf8.h"
#include "batch/join.h"
#include "batch/outputtables.h"
#include "batch/pipeline.h"
#include "batch/progress.h"
#include "batch/refusaltext.h"
#include "batch/runoutputs.h"
#include "files/errortext.h"
#include "files/filestate.h"
#include "files/outputfile.h"
#include "lodra05/version.h"
#include "report/decimalseparator.h"
#include "report/propertycsv.h"
#include "standfile/standfile.h"
#include "standfile/standsource.h"

namespace lodra::batch {

namespace {

// Prints a message on its own line in one write, so that a message never arrives in
// pieces and many messages cost no more than they must.
void printLine(std::FILE* out, const std::string& text) {
    const std::string line = text + '\n';
    std::fwrite(line.data(), 1, line.size(), out);
}

struct Tally {
    int calculated = 0;
    int refused = 0;
    int handedOut = 0;
    int firstRow = 0;  // line numbers of the first and last stand written, 0 when none
    int lastRow = 0;
};

// One thread per core (as far as the system tells), at most kMaxThreads.
std::size_t defaultThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1U, kMaxThreads);
}

// The run's writing side: the outputs of the stands in row order.
class RowWriter {
  public:
    RowWriter(RunOutputs& outputs, const RunStreams& streams, int standCount)
        : outputs_(outputs),
          streams_(streams),
          progress_(streams.errors, streams.progress, standCount) {}

    Result<> write(const StandFile::Stand& stand, const StandOutputs& outputs) {
        if (stand.hektar && !outputs.flow.empty()) {
            flow_.add(outputs.flow, *stand.hektar);  // in row order: the sums are fixed
        }
        if (outputs.refusal) {
            ++tally_.refused;
            progress_.clear();
            printLine(streams_.errors, "Rad " + std::to_string(stand.row) + outputs.refusal->joint +
                                           outputs.refusal->text);
        } else {
            ++tally_.calculated;
        }
        if (Result<> spooled = outputs_.write(outputs, stand.name); !spooled) {
            progress_.clear();
            return spooled;
        }
        tally_.firstRow = tally_.firstRow != 0 ? tally_.firstRow : stand.row;
        tally_.lastRow = stand.row;
        progress_.update(++tally_.handedOut);
        return {};
    }
    void clearProgress() { progress_.clear(); }
    const Tally& tally() const { return tally_; }
    const PropertyFlow& flow() const { return flow_; }

  private:
    RunOutputs& outputs_;
    const RunStreams& streams_;
    Progress progress_;
    Tally tally_;
    PropertyFlow flow_;  // of the stands with an area, for --estate
};

// Calculates every stand, on the run's threads, and writes their outputs in row order:
// the same bytes as one session of the desktop program calculating them one by one.
Result<Tally> calculateAll(StandFile& stands, StandRange range, RunOutputs& outputs,
                           const Arguments& arguments, char decimalSeparator,
                           const RunStreams& streams) {
    PipelineLimits limits;
    limits.stands = static_cast<std::size_t>(range.size());
    limits.threads = arguments.threads != 0 ? arguments.threads : defaultThreads();
    std::vector<Worker> workers;
    workers.reserve(limits.threads);
    while (workers.size() < limits.threads) {
        Worker& worker = workers.emplace_back(decimalSeparator);
        worker.session.texts = Session::Texts::fileBytes;
        worker.areaColumns = stands.columns().hektar >= 0;
    }
    RowWriter writer(outputs, streams, static_cast<int>(range.size()));
    std::optional<Error> readError;
    const StandWork work{[&](const StandFile::Stand& stand) {
                             return standBytesMost(stand, arguments, decimalSeparator);
                         },
                         [&](std::size_t worker, const StandFile::Stand& stand, StandOutputs& out) {
                             computeStand(workers[worker], stand, arguments, decimalSeparator, out);
                         },
                         [&](const StandFile::Stand& stand, const StandOutputs& out) {
                             return writer.write(stand, out);
                         }};
    Result<> done;
    try {
        done = runPipeline(stands, limits, work, readError);
    } catch (...) {
        // The message of what stopped the run goes on a line of its own.
        writer.clearProgress();
        throw;
    }
    if (!done) {
        return done.error();
    }
    writer.clearProgress();
    if (readError) {
        return standFileError(arguments.stands, readError->message);
    }
    if (arguments.estate) {
        outputs.setEstate(propertyFlowCsv(writer.flow(), decimalSeparator),
                          writer.flow().exactText());
    }
    return writer.tally();
}

// Passes over the stands before a shard's, read but not decoded.
Result<> skipStands(StandSource& stands, std::int64_t count, const std::string& path) {
    StandFile::Row row;
    for (std::int64_t i = 0; i < count; ++i) {
        const Result<bool> read = stands.file.nextRow(row);
        if (!read || !*read) {
            return standFileError(path, read ? "Filen ändrades medan den lästes." : read.message());
        }
    }
    return {};
}

// What a shard's figures depend on besides its stands: the register (its size and digest),
// the seed, the runs of the spread and the decimal separator. Parts whose runs differ in
// any of them do not fit together.
Result<std::string> runIdentity(const Arguments& arguments, char decimalSeparator) {
    QFile file(QString::fromLocal8Bit(arguments.stands.c_str()));
    QCryptographicHash digest(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !digest.addData(&file)) {
        return standFileError(arguments.stands, "Filen kunde inte läsas.");
    }
    return "register " + std::to_string(file.size()) + " " + digest.result().toHex().toStdString() +
           " fro " + (arguments.seed ? std::to_string(*arguments.seed) : std::string("klocka")) +
           " korningar " + std::to_string(arguments.runs) + " decimaltecken " + decimalSeparator;
}

// Names the numbered file on the messages' stream, and on standard error the number that
// another program took first; a path that cannot be written out fails the run.
Result<> tellSaved(const SavedNumbered& saved, const RunStreams& streams) {
    if (saved.taken) {
        printLine(streams.errors, "Filen " + inQuotes(*saved.taken) +
                                      " skapades av ett annat program under körningen, så "
                                      "resultatet sparades i nästa lediga fil, " +
                                      inQuotes(saved.path) + ".");
    }
    std::fprintf(streams.messages, "Resultatet sparades i följande fil:\n%s\n",
                 visibleText(saved.path).c_str());
    if (std::fflush(streams.messages) != 0 || std::ferror(streams.messages) != 0) {
        const int error = errno;
        std::clearerr(streams.messages);
        return systemFailure("skriva", "resultatfilens namn på standardutmatningen", error);
    }
    return {};
}

// The whole run; its failures are the usage and file errors of exit status 2.
Result<Tally> run(const Arguments& arguments, char decimalSeparator, const RunStreams& streams) {
    RunOutputs outputs;
    StandSource stands;
    Result<> ready = outputs.plan(arguments);
    if (ready && readableOnce(arguments.stands)) {
        ready = fail("Beståndsfilen " + inQuotes(arguments.stands) +
                     " är en pipe eller en enhet, som bara kan läsas en gång, men filen läses "
                     "två gånger. Spara den i en fil först och ange den filen.");
    }
    if (ready) {
        ready = openStands(arguments.stands, stands);
    }
    if (ready && arguments.estate && stands.file.areaCount() == 0) {
        ready = fail("Fastighetstabellen behöver beståndens areal, men beståndsfilen " +
                     inQuotes(arguments.stands) +
                     " har ingen ruta i kolumnen hektar ifylld. Lägg till kolumnen hektar med "
                     "varje bestånds areal i hektar.");
    }
    if (ready) {
        const StandColumns& columns = stands.file.columns();
        ready = outputs.prepare(columns.bestand >= 0, columns.hektar >= 0);
    }
    const std::int64_t total = stands.file.standCount();
    const StandRange range =
        arguments.shard ? shardRange(*arguments.shard, total) : StandRange{0, total};
    if (ready) {
        ready = skipStands(stands, range.begin, arguments.stands);
    }
    if (!ready) {
        return ready.error();
    }
    Result<Tally> tally =
        calculateAll(stands.file, range, outputs, arguments, decimalSeparator, streams);
    if (!tally) {
        return tally;
    }
    // The stands before and after the shard were counted, not handed out.
    const int counted = tally->handedOut + static_cast<int>(total - range.size());
    if (Result<> read = checkReadConsistently(arguments.stands, stands, counted); !read) {
        return read.error();
    }
    if (range.size() == 0) {
        std::fputs("Delen har inga bestånd, så inget resultat skrevs.\n", streams.errors);
    } else if (tally->calculated == 0) {
        std::fputs("Inget bestånd kunde beräknas, så inget resultat skrevs.\n", streams.errors);
    }
    if (arguments.shard) {
        Result<std::string> run = runIdentity(arguments, decimalSeparator);
        if (!run) {
            return run.error();
        }
        outputs.noteShard(
            PartNote{*arguments.shard, range, total, tally->firstRow, tally->lastRow, *run, 0, {}});
    }
    Result<> committed = outputs.commit(
        tally->calculated > 0, streams.commitSeam,
        [&streams](const SavedNumbered& saved) { return tellSaved(saved, streams); });
    if (!committed) {
        return committed.error();
    }
    return tally;
}

Result<Tally> guardedRun(const Arguments& arguments, char decimalSeparator,
                         const RunStreams& streams) {
    try {
        return run(arguments, decimalSeparator, streams);
    } catch (...) {
        return fail(abortReason());
    }
}

int unguardedMain(int argc, char** argv) {
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
    if (!arguments->join.empty()) {
        return runJoin(arguments->join, RunStreams{});
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
    if (const Result<> usable = checkErrorStream(arguments, ::fileno(streams.errors)); !usable) {
        // Said on the messages' stream instead, unless that is the same file.
        if (regularFileOf(::fileno(streams.messages)) != regularFileOf(::fileno(streams.errors))) {
            printLine(streams.messages, "lodra05-batch: " + usable.message());
            std::fflush(streams.messages);
        }
        return kUsageOrFileError;
    }
    const Result<Tally> tally = guardedRun(arguments, decimalSeparator, streams);
    if (!tally) {
        printLine(streams.errors, "lodra05-batch: " + tally.message());
        return kUsageOrFileError;
    }
    return tally->refused > 0 ? kRowsRefused : kAllCalculated;
}

int batchMain(int argc, char** argv) {
    try {
        return unguardedMain(argc, argv);
    } catch (...) {
        std::fprintf(stderr, "lodra05-batch: %s\n", abortReason());
        return kUsageOrFileError;
    }
}

}  // namespace lodra::batch
