#include "batch/batchrun.h"

#include <unistd.h>

#include <QLocale>
#include <QString>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>

#include "batch/outputfile.h"
#include "batch/standfile.h"
#include "batch/standtable.h"
#include "calc/randomsource.h"
#include "report/decimalseparator.h"
#include "report/resultfile.h"
#include "report/session.h"

namespace lodra::batch {

namespace {

std::string inQuotes(const std::string& s) {
    return "\"" + s + "\"";
}

bool parseSeed(const std::string& text, std::uint64_t& seed) {
    if (text.empty() || text.size() > 20) {
        return false;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
    }
    seed = value;
    return true;
}

std::string currentFolder() {
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return ".";
        }
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

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

}  // namespace

std::string parseArguments(const std::vector<std::string>& args, Arguments& arguments) {
    arguments = Arguments{};
    bool onlyFiles = false;
    bool haveStands = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyFiles || arg == "-" || !arg.starts_with("-")) {
            if (haveStands) {
                return "Bara en beståndsfil kan anges (" + inQuotes(arguments.stands) + " och " +
                       inQuotes(arg) + ").";
            }
            arguments.stands = arg;
            haveStands = true;
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            arguments.help = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        if (name != "--seed" && name != "--output" && name != "--table") {
            return "Okänd flagga " + inQuotes(arg) + ".";
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                return "Flaggan " + name + " behöver ett värde.";
            }
            value = args[++i];
        }
        if (name == "--seed") {
            std::uint64_t seed = 0;
            if (arguments.seed || !parseSeed(*value, seed)) {
                return arguments.seed ? "Flaggan --seed kan bara anges en gång."
                                      : "--seed behöver ett heltal från 0 till "
                                        "18446744073709551615, inte " +
                                            inQuotes(*value) + ".";
            }
            arguments.seed = seed;
        } else {
            std::optional<std::string>& slot =
                name == "--output" ? arguments.output : arguments.table;
            if (slot) {
                return "Flaggan " + name + " kan bara anges en gång.";
            }
            if (value->empty() || (name == "--table" && *value == "-")) {
                return "Flaggan " + name + " behöver ett filnamn.";
            }
            slot = *value;
        }
    }
    if (!arguments.help && !haveStands) {
        return "Ange beståndsfilen.";
    }
    if (arguments.output && arguments.table && *arguments.output == *arguments.table) {
        return "Resultatet och tabellen kan inte skrivas till samma fil.";
    }
    return {};
}

std::string helpText() {
    return "Användning: lodra05-batch [--seed N] [--output FIL | --output -] [--table FIL] "
           "BESTÅND.csv\n"
           "\n"
           "Beräknar bestånden i BESTÅND.csv, ett per rad och i tur och ordning, som i en och\n"
           "samma körning av skrivbordsprogrammet, och sparar den fil som programmet då skulle\n"
           "spara.\n"
           "\n"
           "BESTÅND.csv: en rubrikrad med kolumnernas namn, sedan ett bestånd per rad. Fälten\n"
           "skiljs åt med ';' och får stå inom citattecken. UTF-8 eller Windows-1252.\n"
           "Kolumner, i valfri ordning:\n"
           "  totaltid, bonitet, areal, ranta, maxRing, variation, atervandel, berikning,\n"
           "  cykTillAvv        talen, som i parameterfönstret\n"
           "  tradslag          Tall, Gran eller Löv\n"
           "  atgard            Kalavverkning eller Gallring och plockhuggning\n"
           "  dia1 till dia10   trädens diametrar i cm (tom ruta: tom rad)\n"
           "  avv1 till avv10   x för ett träd som avverkas direkt, annars tomt\n"
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
           "  --seed N       slumpvis ändring av diametern från en generator med fröet N, så\n"
           "                 att en körning kan upprepas exakt (annars från klockan)\n"
           "  --help         visa den här hjälpen\n"
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

int runBatch(const Arguments& arguments, char decimalSeparator, const RunStreams& streams) {
    std::FILE* err = streams.errors;
    auto fail = [&](const std::string& message) {
        std::fprintf(err, "lodra05-batch: %s\n", message.c_str());
        return kUsageOrFileError;
    };

    std::error_code ignored;
    if (std::filesystem::is_directory(arguments.stands, ignored)) {
        return fail("Beståndsfilen " + inQuotes(arguments.stands) + " är en mapp, inte en fil.");
    }
    std::ifstream in(arguments.stands, std::ios::binary);
    if (!in) {
        const int error = errno;
        return fail("Kunde inte öppna beståndsfilen " + inQuotes(arguments.stands) + ": " +
                    systemErrorText(error) + ".");
    }
    StandFile stands;
    if (!stands.open(in)) {
        return fail("Fel i beståndsfilen " + inQuotes(arguments.stands) + ": " + stands.error());
    }
    if (stands.standCount() == 0) {
        return fail("Beståndsfilen " + inQuotes(arguments.stands) +
                    " har inga bestånd, bara en rubrikrad.");
    }

    // Everything that will be written is created before the first calculation, so that
    // an unwritable folder is known at once.
    std::string message;
    SpoolFile indataSpool;
    SpoolFile resultatSpool;
    if (!indataSpool.create(message) || !resultatSpool.create(message)) {
        return fail(message);
    }
    const bool toStdout = arguments.output && *arguments.output == "-";
    const std::string resultFolder =
        arguments.output ? folderOf(*arguments.output) : currentFolder();
    PendingFile resultFile;
    if (!toStdout && !resultFile.create(resultFolder, message)) {
        return fail(message);
    }
    PendingFile tableFile;
    if (arguments.table) {
        if (!tableFile.create(folderOf(*arguments.table), message)) {
            return fail(message);
        }
        tableFile.write(tableHeader());
    }

    std::unique_ptr<RandomSource> random;
    if (arguments.seed) {
        random = std::make_unique<SeededRandom>(*arguments.seed);
    } else {
        random = std::make_unique<ClockRandom>();
    }
    CalcOptions options;
    options.decimalSeparator = decimalSeparator;
    options.random = random.get();

    Session session;
    Progress progress(err, streams.progress, stands.standCount());
    int done = 0;
    int calculated = 0;
    int refused = 0;
    StandFile::Stand stand;
    while (stands.next(stand)) {
        std::string refusal = stand.refusal;
        if (refusal.empty()) {
            std::optional<SeededRandom> ownStream;  // with --seed: the stream of the row
            if (arguments.seed) {
                options.random = &ownStream.emplace(standSeed(*arguments.seed, stand.row));
            }
            try {
                const Outcome outcome = session.berakna(stand.input, options);
                if (!outcome.ok()) {
                    refusal = outcome.message.empty() ? "Beräkningen avbröts." : outcome.message;
                }
            } catch (const std::exception&) {
                refusal = "Beräkningen kunde inte slutföras.";
            }
        }
        if (refusal.empty()) {
            ++calculated;
            indataSpool.write(toWindows1252(session.prIndata));
            resultatSpool.write(toWindows1252(session.prResultat));
            session.prIndata.clear();
            session.prResultat.clear();
            if (arguments.table) {
                tableFile.write(tableRow(stand.row, session.calculation, decimalSeparator));
            }
        } else {
            ++refused;
            progress.clear();
            std::fprintf(err, "Rad %d: %s\n", stand.row, refusal.c_str());
            if (arguments.table) {
                tableFile.write(tableRefusedRow(stand.row, refusal));
            }
        }
        progress.update(++done);
    }
    progress.clear();
    if (!stands.error().empty()) {
        return fail("Fel i beståndsfilen " + inQuotes(arguments.stands) + ": " + stands.error());
    }
    for (SpoolFile* spool : {&indataSpool, &resultatSpool}) {
        if (!spool->flush()) {
            return fail("Kunde inte skriva en tillfällig fil i mappen " +
                        inQuotes(spool->folder()) + ": " + systemErrorText(spool->error()) + ".");
        }
    }

    // The table is complete: finished first, so that a full disk stops the run before any
    // result is written.
    if (arguments.table && !tableFile.finish(inQuotes(*arguments.table), message)) {
        return fail(message);
    }
    if (calculated == 0) {
        resultFile.discard();
        std::fprintf(err, "Inget bestånd kunde beräknas, så inget resultat skrevs.\n");
    } else {
        // The saved file: every input summary, CR LF, every result text, CR LF.
        FdWriter stdoutWriter(streams.outputFd);
        FdWriter& sink = toStdout ? stdoutWriter : resultFile.writer();
        const bool copied = indataSpool.copyTo(sink) && sink.write("\r\n") &&
                            resultatSpool.copyTo(sink) && sink.write("\r\n");
        if (!copied && sink.error() == 0) {
            return fail("Kunde inte läsa en tillfällig fil.");
        }
        if (toStdout) {
            if (!copied || !sink.flush()) {
                return fail("Kunde inte skriva resultatet: " + systemErrorText(sink.error()) + ".");
            }
        } else if (arguments.output) {
            if (!resultFile.commitReplacing(*arguments.output, message)) {
                return fail(message);
            }
        } else {
            std::string path;
            if (!resultFile.commitNumbered(path, message)) {
                return fail(message);
            }
            std::fprintf(streams.messages, "Resultatet sparades i följande fil:\n%s\n",
                         path.c_str());
            std::fflush(streams.messages);
        }
    }
    if (arguments.table && !tableFile.commitReplacing(*arguments.table, message)) {
        return fail(message);
    }
    return refused > 0 ? kRowsRefused : kAllCalculated;
}

int batchMain(int argc, char** argv) {
    // Write errors (a full disk, a file size limit, a closed pipe) come back as errors
    // with a message instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    removeTemporaryFilesOnSignals();

    Arguments arguments;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const std::string message = parseArguments(args, arguments); !message.empty()) {
        std::fprintf(stderr, "lodra05-batch: %s\nSkriv lodra05-batch --help för hjälp.\n",
                     message.c_str());
        return kUsageOrFileError;
    }
    if (arguments.help) {
        std::fputs(helpText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? kAllCalculated : kUsageOrFileError;
    }
    RunStreams streams;
    streams.progress = ::isatty(STDERR_FILENO) == 1;
    return runBatch(arguments, systemDecimalSeparator(), streams);
}

}  // namespace lodra::batch
