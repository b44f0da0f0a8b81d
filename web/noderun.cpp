#include "web/noderun.h"

#include <cerrno>
#include <charconv>
#include <exception>
#include <limits>
#include <new>
#include <system_error>

#include "base/quote.h"
#include "batch/batchrun.h"
#include "batch/outputtables.h"
#include "batch/refusaltext.h"
#include "files/errortext.h"
#include "standfile/standsource.h"

namespace lodra::web {

namespace {

constexpr const char* kProgram = "lodra05-batch: ";

std::optional<std::uint64_t> wholeNumber(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// The value of an option, "--name=value" or "--name value"; i moves past it.
Result<std::string> optionValue(const std::vector<std::string>& args, std::size_t& i,
                                const std::string& name) {
    const std::string& arg = args[i];
    if (const auto equals = arg.find('='); equals != std::string::npos) {
        return arg.substr(equals + 1);
    }
    if (i + 1 >= args.size()) {
        return fail("Flaggan --" + name + " behöver ett värde.");
    }
    return args[++i];
}

struct Tally {
    int calculated = 0;
    int refused = 0;
    int handedOut = 0;
};

// Every stand in row order, its refusal on standard error, its texts gathered.
Result<Tally> calculateAll(StandSource& stands, const batch::Arguments& arguments,
                           char decimalSeparator, NodeRun& run, std::string& indata,
                           std::string& resultat) {
    batch::Worker worker(decimalSeparator);
    worker.session.texts = Session::Texts::fileBytes;
    Tally tally;
    StandFile::Stand stand;
    batch::StandOutputs outputs;
    for (;;) {
        const Result<bool> read = stands.file.next(stand);
        if (!read) {
            return standFileError(arguments.stands, read.message());
        }
        if (!*read) {
            return tally;
        }
        batch::computeStand(worker, stand, arguments, decimalSeparator, outputs);
        if (outputs.refusal) {
            ++tally.refused;
            run.err += "Rad " + std::to_string(stand.row) + outputs.refusal->joint +
                       outputs.refusal->text + '\n';
        } else {
            ++tally.calculated;
            indata += outputs.indata;
            resultat += outputs.resultat;
        }
        ++tally.handedOut;
    }
}

Result<Tally> runAll(const batch::Arguments& arguments, bool readableOnce, char decimalSeparator,
                     NodeRun& run) {
    if (readableOnce) {
        return fail("Beståndsfilen " + inQuotes(arguments.stands) +
                    " är en pipe eller en enhet, som bara kan läsas en gång, men filen läses "
                    "två gånger. Spara den i en fil först och ange den filen.");
    }
    StandSource stands;
    if (Result<> opened = openStands(arguments.stands, stands); !opened) {
        return opened.error();
    }
    std::string indata;
    std::string resultat;
    Result<Tally> tally = calculateAll(stands, arguments, decimalSeparator, run, indata, resultat);
    if (!tally) {
        return tally;
    }
    if (Result<> read = checkReadConsistently(arguments.stands, stands, tally->handedOut); !read) {
        return read.error();
    }
    if (tally->calculated == 0) {
        run.err += "Inget bestånd kunde beräknas, så inget resultat skrevs.\n";
    } else {
        run.out = indata + "\r\n" + resultat + "\r\n";
    }
    return tally;
}

}  // namespace

Result<NodeArguments> parseNodeArguments(const std::vector<std::string>& args) {
    NodeArguments arguments;
    std::vector<std::string> files;
    bool seedGiven = false;
    bool outputGiven = false;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!options || arg.size() < 2 || arg[0] != '-') {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options = false;
            continue;
        }
        std::string bare = arg.substr(arg[1] == '-' ? 2 : 1);
        bare = bare.substr(0, bare.find('='));
        if (bare != "seed" && bare != "output") {
            return fail("Okänd flagga " + inQuotes(arg) + ".");
        }
        Result<std::string> value = optionValue(args, i, bare);
        if (!value) {
            return value.error();
        }
        bool& given = bare == "seed" ? seedGiven : outputGiven;
        if (given) {
            return fail("Flaggan --" + bare + " kan bara anges en gång.");
        }
        given = true;
        if (bare == "output") {
            if (*value != "-") {
                return fail("Node-ingången skriver bara till standardutmatningen: --output -.");
            }
            continue;
        }
        arguments.seed = wholeNumber(*value);
        if (!arguments.seed) {
            return fail("--seed behöver ett heltal från 0 till " +
                        std::to_string(std::numeric_limits<std::uint64_t>::max()) + ", inte " +
                        inQuotes(*value) + ".");
        }
    }
    if (files.size() > 1) {
        return fail("Bara en beståndsfil kan anges (" + inQuotes(files[0]) + " och " +
                    inQuotes(files[1]) + ").");
    }
    if (files.empty()) {
        return fail("Ange beståndsfilen.");
    }
    arguments.stands = files.front();
    return arguments;
}

NodeRun runStands(const NodeArguments& given, bool readableOnce, char decimalSeparator) {
    batch::Arguments arguments;
    arguments.stands = given.stands;
    arguments.seed = given.seed;
    arguments.output = "-";
    arguments.threads = 1;
    NodeRun run;
    Result<Tally> tally = fail("");
    try {
        tally = runAll(arguments, readableOnce, decimalSeparator, run);
    } catch (...) {
        tally = fail(batch::abortReason());
    }
    if (!tally) {
        run.out.clear();
        run.err += kProgram + tally.message() + '\n';
        run.status = batch::kUsageOrFileError;
        return run;
    }
    run.status = tally->refused > 0 ? batch::kRowsRefused : batch::kAllCalculated;
    return run;
}

std::string openFailure(const std::string& path, const std::string& code) {
    static constexpr struct {
        const char* code;
        int error;
    } kCodes[] = {{"EACCES", EACCES},   {"EPERM", EPERM},   {"ENOENT", ENOENT},
                  {"ENOTDIR", ENOTDIR}, {"EISDIR", EISDIR}, {"ENAMETOOLONG", ENAMETOOLONG},
                  {"ELOOP", ELOOP},     {"EIO", EIO},       {"ENOMEM", ENOMEM},
                  {"EMFILE", EMFILE},   {"ENFILE", ENFILE}, {"EBUSY", EBUSY}};
    int error = EIO;
    for (const auto& entry : kCodes) {
        if (code == entry.code) {
            error = entry.error;
        }
    }
    return kProgram + systemFailure("öppna beståndsfilen", inQuotes(path), error).message + '\n';
}

}  // namespace lodra::web
