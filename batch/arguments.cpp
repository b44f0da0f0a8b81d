#include "batch/batchrun.h"

#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <limits>

#include "base/quote.h"
#include "batch/outputtables.h"
#include "batch/shard.h"
#include "calc/comparison.h"
#include "calc/parameters.h"
#include "calc/spread.h"
#include "standfile/standfile.h"

namespace lodra::batch {

namespace {

// Arguments go through the parser as Latin-1, which keeps every byte of a file name.
QString bytesIn(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
std::string bytesOut(const QString& text) {
    return text.toLatin1().toStdString();
}

// The option an argument names ("--seed=5": "seed"), or empty for a file argument.
std::string optionName(const std::string& arg) {
    if (arg.size() < 2 || arg[0] != '-') {
        return {};
    }
    const std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
    return name.substr(0, name.find('='));
}

// What the parser refused, in the words of the program: the first unknown option in the
// command line, else the option at its end that lacks its value.
Error parseFailure(const QCommandLineParser& parser, const std::vector<std::string>& args) {
    const QStringList unknown = parser.unknownOptionNames();
    for (const std::string& arg : args) {
        if (arg == "--") {
            break;
        }
        if (const std::string name = optionName(arg);
            !name.empty() && unknown.contains(bytesIn(name))) {
            return fail("Okänd flagga " + inQuotes(arg) + ".");
        }
    }
    return fail("Flaggan --" + optionName(args.back()) + " behöver ett värde.");
}

template <typename Number>
std::optional<Number> wholeNumber(const std::string& text) {
    Number value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// The one value of an option given at most once.
Result<std::optional<std::string>> onlyValue(const QCommandLineParser& parser, const char* name) {
    const QStringList values = parser.values(QString::fromLatin1(name));
    if (values.size() > 1) {
        return fail(std::string("Flaggan --") + name + " kan bara anges en gång.");
    }
    return values.isEmpty() ? std::nullopt : std::optional(bytesOut(values.front()));
}

Result<> readNumbers(const QCommandLineParser& parser, Arguments& arguments) {
    Result<std::optional<std::string>> seed = onlyValue(parser, "seed");
    if (!seed) {
        return seed.error();
    }
    if (*seed) {
        arguments.seed = wholeNumber<std::uint64_t>(**seed);
        if (!arguments.seed) {
            return fail("--seed behöver ett heltal från 0 till " +
                        std::to_string(std::numeric_limits<std::uint64_t>::max()) + ", inte " +
                        inQuotes(**seed) + ".");
        }
    }
    Result<std::optional<std::string>> threads = onlyValue(parser, "threads");
    if (!threads) {
        return threads.error();
    }
    if (*threads) {
        const std::optional<unsigned> count = wholeNumber<unsigned>(**threads);
        if (!count || *count < 1 || *count > kMaxThreads) {
            return fail("--threads behöver ett heltal från 1 till " + std::to_string(kMaxThreads) +
                        ", inte " + inQuotes(**threads) + ".");
        }
        arguments.threads = *count;
    }
    Result<std::optional<std::string>> runs = onlyValue(parser, "runs");
    if (!runs) {
        return runs.error();
    }
    if (*runs) {
        const std::optional<int> count = wholeNumber<int>(**runs);
        if (!count || *count < kMinSpreadRuns || *count > kMaxSpreadRuns) {
            return fail("--runs behöver ett heltal från " + std::to_string(kMinSpreadRuns) +
                        " till " + std::to_string(kMaxSpreadRuns) + ", inte " + inQuotes(**runs) +
                        ".");
        }
        arguments.runs = *count;
    }
    Result<std::optional<std::string>> shard = onlyValue(parser, "shard");
    if (shard && *shard) {
        Result<Shard> read = parseShard(**shard);
        if (!read) {
            return read.error();
        }
        arguments.shard = *read;
    }
    return shard ? Result<>() : shard.error();
}

// --join OUT PART...: the parts of one table joined, and nothing else.
Result<Arguments> joinArguments(const QCommandLineParser& parser) {
    Result<std::optional<std::string>> out = onlyValue(parser, "join");
    if (!out) {
        return out.error();
    }
    if (parser.optionNames().size() > 1) {
        return fail("--join tar bara den sammanfogade filen och delarna, inga andra flaggor.");
    }
    Arguments arguments;
    arguments.join.push_back(**out);
    for (const QString& part : parser.positionalArguments()) {
        arguments.join.push_back(bytesOut(part));
    }
    if (arguments.join.front().empty() || arguments.join.size() < 2) {
        return fail(
            "Ange den sammanfogade filen och delarna i tur och ordning: "
            "--join FIL DEL...");
    }
    return arguments;
}

// The file of an output option, given at most once; only the result may go to "-".
Result<> readFile(const QCommandLineParser& parser, const char* name, bool standardOutput,
                  std::optional<std::string>& file) {
    Result<std::optional<std::string>> value = onlyValue(parser, name);
    if (!value) {
        return value.error();
    }
    if (*value && ((*value)->empty() || (**value == "-" && !standardOutput))) {
        return fail(std::string("Flaggan --") + name + " behöver ett filnamn.");
    }
    file = *value;
    return {};
}

Result<> readFiles(const QCommandLineParser& parser, Arguments& arguments) {
    Result<> read = readFile(parser, "output", true, arguments.output);
    for (const OutputTable& table : kOutputTables) {
        if (read) {
            read = readFile(parser, table.option, false, arguments.*table.path);
        }
    }
    if (read) {
        read = readFile(parser, "estate", false, arguments.estate);
    }
    if (!read) {
        return read;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        return fail("Bara en beståndsfil kan anges (" + inQuotes(bytesOut(files[0])) + " och " +
                    inQuotes(bytesOut(files[1])) + ").");
    }
    if (files.isEmpty() && !arguments.help && !arguments.version) {
        return fail("Ange beståndsfilen.");
    }
    arguments.stands = files.isEmpty() ? std::string() : bytesOut(files.front());
    return {};
}

}  // namespace

Result<Arguments> parseArguments(const std::vector<std::string>& args) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char* name : {"seed", "threads", "runs", "output", "shard", "join"}) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), {}, QStringLiteral("N")));
    }
    parser.addOption(QCommandLineOption(QStringLiteral("estate"), {}, QStringLiteral("FIL")));
    for (const OutputTable& table : kOutputTables) {
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(table.option), {}, QStringLiteral("FIL")));
    }
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    parser.addOption(QCommandLineOption(QStringLiteral("version")));
    QStringList list{QStringLiteral("lodra05-batch")};
    for (const std::string& arg : args) {
        list.append(bytesIn(arg));
    }
    if (!parser.parse(list)) {
        return parseFailure(parser, args);
    }
    if (parser.isSet(QStringLiteral("join"))) {
        return joinArguments(parser);
    }
    Arguments arguments;
    arguments.help = parser.isSet(QStringLiteral("help"));
    arguments.version = parser.isSet(QStringLiteral("version"));
    Result<> read = readNumbers(parser, arguments);
    if (read) {
        read = readFiles(parser, arguments);
    }
    if (!read) {
        return read.error();
    }
    // Only the spread and the comparisons have runs; a count that nothing uses is a mistake
    // in the command line.
    const bool withRuns = arguments.spread || arguments.measures || arguments.compare;
    if (arguments.runs != 0 && !withRuns && !arguments.help && !arguments.version) {
        return fail(
            "--runs gäller bara spridningen och jämförelserna: ange också --spread, --measures "
            "eller --compare FIL, eller ta bort --runs.");
    }
    return arguments;
}

namespace {

constexpr std::size_t kWidth = 80;       // characters of a help line
constexpr std::size_t kTextColumn = 20;  // where a column's description starts

// A column or columns of the stand file and what they hold, on one line.
std::string columnHelp(std::string_view columns, std::string_view what) {
    std::string line = "  " + std::string(columns);
    line.resize(std::max(line.size() + 1, kTextColumn), ' ');
    return line + std::string(what) + "\n";
}

// The parameters' columns, in as many lines as they need, and what they hold.
std::string parameterColumnsHelp() {
    std::string text;
    std::string line(1, ' ');
    for (const ParameterRow& row : kParameterTable) {
        if (line.size() + 1 + row.column.size() + 1 > kWidth) {
            text += line + "\n";
            line.assign(1, ' ');
        }
        line += " ";
        line += row.column;
        line += ",";
    }
    line.pop_back();
    line.resize(std::max(line.size() + 1, kTextColumn), ' ');
    return text + line + "talen, som i parameterfönstret\n";
}

// Every column of the stand file, each with what it holds.
std::string columnsHelp() {
    std::string text = parameterColumnsHelp();
    for (const ChoiceColumn& choice : kChoiceColumns) {
        text += columnHelp(choice.column, choice.names);
    }
    return text +
           columnHelp(treeColumns(kDiameterColumn), "trädens diametrar i cm (tom ruta: tom rad)") +
           columnHelp(treeColumns(kMarkColumn), "x för ett träd som avverkas direkt, annars tomt") +
           columnHelp(kNameColumn, "beståndets namn, fri text; tabellerna får det efter Rad") +
           columnHelp(kAreaColumn, "areal i hektar, eller tomt; ger --table Hektar och Nuvärde");
}

// The trees window's initial rows: "45 avverkas direkt, 35, 1, 1".
std::string initialTrees() {
    std::string text;
    for (const TreeRow& row : InputRecord{}.rows) {
        if (!row.text.empty()) {
            text +=
                (text.empty() ? "" : ", ") + row.text + (row.avverkas ? " avverkas direkt" : "");
        }
    }
    return text;
}

std::string whole(auto number) {
    return std::to_string(number);
}

}  // namespace

std::string helpText() {
    return "Användning: lodra05-batch [--seed N] [--threads N] [--output FIL | --output -]\n"
           "                     [--table FIL] [--cycles FIL] [--compare FIL]\n"
           "                     [--measures FIL] [--spread FIL] [--runs N] [--shard K/N]\n"
           "                     [--estate FIL] BESTÅND.csv\n"
           "       lodra05-batch --join FIL DEL...\n"
           "\n"
           "Beräknar bestånden i BESTÅND.csv, ett per rad och i tur och ordning, som i en och\n"
           "samma körning av skrivbordsprogrammet, och sparar den fil som programmet då skulle\n"
           "spara.\n"
           "\n"
           "BESTÅND.csv: en rubrikrad med kolumnernas namn, sedan ett bestånd per rad. Fälten\n"
           "skiljs åt med ';' och får stå inom citattecken. UTF-8 eller Windows-1252.\n"
           "Kolumner, i valfri ordning:\n" +
           columnsHelp() +
           "En kolumn som saknas eller en tom ruta får fönstrets startvärde. Saknas alla " +
           std::string(kDiameterColumn) + "-\noch " + std::string(kMarkColumn) +
           "-kolumner får träden trädfönstrets startvärden (" + initialTrees() +
           ").\n"
           "\n"
           "Flaggor:\n"
           "  --output FIL   skriv resultatet till FIL (en befintlig fil ersätts)\n"
           "  --output -     skriv resultatet till standardutmatningen\n"
           "                 Utan --output sparas det som nästa lediga ResultN.txt i den\n"
           "                 aktuella mappen.\n"
           "  --table FIL    skriv också en tabell (CSV med ';') med en rad per bestånd:\n"
           "                 de ekonomiska resultaten, volymerna och avverkningarna\n"
           "  --cycles FIL   skriv också varje bestånds cykler (CSV), en rad per cykel\n"
           "  --compare FIL  skriv också varje bestånds nuvärde vid 0 till " +
           whole(ComparisonGrid::kIntervals - 1) +
           " cykler till\n"
           "                 avverkning och " +
           std::string(FixedText().list(kRates, " och ").view()) +
           " % ränta (CSV), en rad per bestånd\n"
           "  --measures FIL skriv också samma nuvärden med gallring och plockhuggning och\n"
           "                 med kalavverkning, och det bästa paret vid varje ränta (CSV)\n"
           "  --spread FIL   skriv också varje bestånds spridning: beståndet beräknat en gång\n"
           "                 per körning med slumpvis ändring av diametern, medelvärde,\n"
           "                 standardavvikelse och percentiler (CSV), en rad per bestånd\n"
           "  --estate FIL   skriv också fastighetens avverkningar och pengar år för år (CSV):\n"
           "                 alla beräknade bestånd med hektar, var och ett gånger sin areal,\n"
           "                 och en rad Summa (kräver kolumnen hektar)\n"
           "  --runs N       körningar per bestånd, " +
           whole(kMinSpreadRuns) + " till " + whole(kMaxSpreadRuns) + ": i --spread (annars " +
           whole(kDefaultSpreadRuns) +
           "),\n"
           "                 i --measures och --compare (där blir varje ruta medelvärdet\n"
           "                 av N körningar, körning k av varje ruta med samma slumptal,\n"
           "                 och det bästa anges bara där det leder med mer än två\n"
           "                 standardfel; annars en beräkning per ruta); bara med någon\n"
           "                 av de tre\n"
           "  --seed N       slumpvis ändring av diametern från en generator med fröet N, så\n"
           "                 att en körning kan upprepas exakt (annars från klockan)\n"
           "  --threads N    beräkna på N trådar, 1 till " +
           whole(kMaxThreads) +
           " (annars en per kärna); filerna\n"
           "                 blir desamma med hur många trådar som helst\n"
           "  --shard K/N    beräkna bara del K av N (0 till N-1) av bestånden: en följd av\n"
           "                 rader, med samma radnummer och frön som hela körningen; varje\n"
           "                 tabell FIL får FIL.del bredvid sig, som säger var delen hör hemma\n"
           "  --join FIL DEL...\n"
           "                 foga samman en tabells delar, i ordning, till FIL: samma byte som\n"
           "                 en körning över hela registret (delarnas FIL.del behövs)\n"
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

}  // namespace lodra::batch
