// The core's interface to JavaScript (web/API.md): the page, its Web Workers and the Node
// entry calculate through the same session, stand file and table code as the desktop and
// the batch tool.

#include <emscripten.h>
#include <emscripten/bind.h>
#include <emscripten/val.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "batch/outputtables.h"
#include "batch/refusaltext.h"
#include "calc/comparison.h"
#include "calc/parameters.h"
#include "calc/randomsource.h"
#include "calc/spread.h"
#include "report/decimalseparator.h"
#include "report/spreadtable.h"
#include "session/session.h"
#include "standfile/standrecord.h"
#include "standfile/standsource.h"
#include "standfile/standwriter.h"
#include "ui/refusaltext.h"
#include "web/noderun.h"

using emscripten::val;

namespace lodra::web {

namespace {

// The decimal point of a BCP 47 language tag by the browser's (or Node's) locale data,
// 0 when the tag is unknown or the point is not one character.
// JavaScript, which clang-format does not know.
// clang-format off
EM_JS(int, localeDecimalPoint, (const char* tag), {
    try {
        const parts = new Intl.NumberFormat(UTF8ToString(tag)).formatToParts(1.5);
        const point = parts.find(part => part.type === 'decimal');
        return point && point.value.length === 1 ? point.value.charCodeAt(0) : 0;
    } catch (e) {
        return 0;
    }
});
// clang-format on

EM_JS(void, makeFolder, (const char* folder), { FS.mkdirTree(UTF8ToString(folder)); });

val bytesOf(const std::string& bytes) {
    return val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(bytes.size(),
                                            reinterpret_cast<const unsigned char*>(bytes.data())));
}

std::string bytesFrom(const val& array) {
    const std::vector<std::uint8_t> bytes =
        emscripten::convertJSArrayToNumberVector<std::uint8_t>(array);
    return std::string(bytes.begin(), bytes.end());
}

std::string text(const val& object, const char* key, std::string_view otherwise) {
    const val value = object[key];
    return value.isString() ? value.as<std::string>() : std::string(otherwise);
}

InputRecord entriesOf(const val& entries) {
    InputRecord input;
    for (const ParameterRow& row : kParameterTable) {
        input.*row.member = text(entries, std::string(row.column).c_str(), row.initial);
    }
    input.species =
        speciesNamed(text(entries, "species", nameOf(input.species))).value_or(input.species);
    input.measure =
        measureNamed(text(entries, "measure", nameOf(input.measure))).value_or(input.measure);
    const val trees = entries["trees"];
    input.rows = {};
    if (trees.isArray()) {
        const auto count = std::min<std::size_t>(trees["length"].as<std::size_t>(), kTreeRows);
        for (std::size_t k = 0; k < count; ++k) {
            const val tree = trees[k];
            input.rows[k].text = text(tree, "text", "");
            input.rows[k].avverkas = tree["avverkas"].as<bool>();
        }
    } else {
        input.rows = InputRecord{}.rows;
    }
    return input;
}

val entriesValue(const InputRecord& input) {
    val entries = val::object();
    for (const ParameterRow& row : kParameterTable) {
        entries.set(std::string(row.column), input.*row.member);
    }
    entries.set("species", std::string(nameOf(input.species)));
    entries.set("measure", std::string(nameOf(input.measure)));
    val trees = val::array();
    for (const TreeRow& row : input.rows) {
        val tree = val::object();
        tree.set("text", row.text);
        tree.set("avverkas", row.avverkas);
        trees.call<void>("push", tree);
    }
    entries.set("trees", trees);
    return entries;
}

// The texts end their lines with CR LF, as the saved file does; a box shows them with LF,
// as the desktop's result window does.
std::string shownText(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            shown += text[i];
        }
    }
    return shown;
}

val failure(const std::string& message) {
    val result = val::object();
    result.set("ok", false);
    result.set("message", message);
    return result;
}

const char* statusName(Status status) {
    switch (status) {
        case Status::Refused:
            return "refused";
        case Status::Stopped:
            return "stopped";
        case Status::Cancelled:
            return "cancelled";
    }
    return "failed";
}

std::string fieldName(InputField field) {
    if (field == InputField::tree) {
        return "tree";
    }
    const ParameterRow* row = parameterRow(field);
    return row != nullptr ? std::string(row->column) : std::string();
}

}  // namespace

val form() {
    val parameters = val::array();
    for (const ParameterRow& row : kParameterTable) {
        val p = val::object();
        p.set("field", std::string(row.column));
        p.set("caption", std::string(row.caption));
        p.set("initial", std::string(row.initial));
        p.set("rule", std::string(row.rule));
        parameters.call<void>("push", p);
    }
    val species = val::array();
    for (const auto& name : kSpeciesNames) {
        species.call<void>("push", std::string(name.name));
    }
    val measures = val::array();
    for (const auto& name : kMeasureNames) {
        measures.call<void>("push", std::string(name.name));
    }
    const InputRecord initial;
    val result = val::object();
    result.set("parameters", parameters);
    result.set("species", species);
    result.set("measures", measures);
    result.set("initialSpecies", std::string(nameOf(initial.species)));
    result.set("initialMeasure", std::string(nameOf(initial.measure)));
    result.set("trees", entriesValue(initial)["trees"]);
    result.set("treeRule", std::string(parameterrules::treeDiameter));
    result.set("treeFelledRule", std::string(parameterrules::treeFelled));
    result.set("initialEntries", entriesValue(initial));
    return result;
}

std::string decimalSeparator(const std::string& locale) {
    std::string tag = locale.substr(0, locale.find_first_of(".@"));
    if (tag.empty() || tag == "C" || tag == "POSIX") {
        return ".";
    }
    for (char& c : tag) {
        c = c == '_' ? '-' : c;
    }
    const int point = localeDecimalPoint(tag.c_str());
    return std::string(1, reportDecimalSeparator(std::u16string(1, static_cast<char16_t>(point))));
}

char separatorOf(const std::string& sep) {
    return sep == "," ? ',' : '.';
}

// A run of calculations, as one window session of the desktop program.
class WebSession {
  public:
    explicit WebSession(const std::string& sep) : session_(separatorOf(sep)) {}

    val calculate(const val& entries) {
        Outcome outcome = fail("");
        try {
            outcome = session_.berakna(entriesOf(entries), CalcOptions{});
        } catch (const std::bad_alloc&) {
            outcome = fail("Minnet räckte inte till för beräkningen.");
        } catch (const std::exception&) {
            outcome = fail("Beräkningen kunde inte slutföras.");
        }
        val result = val::object();
        result.set("ok", outcome.ok());
        if (outcome.ok()) {
            ++count_;
            result.set("indata", shownText(session_.Indata));
            result.set("resultat", shownText(session_.Resultat));
            return result;
        }
        const Error& error = outcome.error();
        const bool refused = error.status == Status::Refused;
        result.set("status", statusName(error.status));
        result.set("message", windowMessage(error, session_.decimalSeparator));
        result.set("field", refused ? fieldName(error.refusal.field) : std::string());
        result.set("row",
                   refused && error.refusal.field == InputField::tree ? error.refusal.row : 0);
        return result;
    }
    int count() const { return count_; }
    val fileBytes() const { return bytesOf(session_.fileBytes()); }

  private:
    Session session_;
    int count_ = 0;
};

val standFileBytesOf(const val& entries, const std::string& name) {
    return bytesOf(standFileBytes(entriesOf(entries), name));
}

// A stand register opened in the module's file system, listed as the desktop's pick list.
class Register {
  public:
    Register() : folder_("/register-" + std::to_string(reinterpret_cast<std::uintptr_t>(this))) {}

    val open(const val& bytes, const std::string& fileName) {
        makeFolder(folder_.c_str());
        ::chdir(folder_.c_str());
        path_ = fileName;
        {
            std::ofstream out(path_, std::ios::binary | std::ios::trunc);
            const std::string data = bytesFrom(bytes);
            out.write(data.data(), static_cast<std::streamsize>(data.size()));
        }
        Result<StandList> list = listStands(path_);
        if (!list) {
            list_.reset();
            return failure(list.message());
        }
        list_ = std::make_unique<StandList>(std::move(*list));
        val stands = val::array();
        for (std::size_t i = 0; i < list_->size(); ++i) {
            val stand = val::object();
            stand.set("row", list_->row(i));
            stand.set("name", list_->name(i));
            stand.set("nameCut", list_->nameCut(i));
            stands.call<void>("push", stand);
        }
        val result = val::object();
        result.set("ok", true);
        result.set("stands", stands);
        return result;
    }

    val stand(std::size_t index) const {
        if (!list_) {
            return failure("Inget bestånd är valt.");
        }
        ::chdir(folder_.c_str());
        const Result<PickedStand> picked = readListedStand(path_, *list_, index);
        if (!picked) {
            return failure(picked.message());
        }
        val result = val::object();
        result.set("ok", true);
        result.set("row", picked->stand.row);
        result.set("name", picked->stand.name ? val(*picked->stand.name) : val::null());
        result.set("entries", entriesValue(picked->stand.input));
        result.set("refusal", openingRefusal(*picked));
        result.set("choiceRefusals", choiceRefusalsValue(picked->cells));
        return result;
    }

  private:
    // The message the desktop shows when it opens a stand that "Beräkna" will refuse (the
    // entries are shown all the same), or null.
    val openingRefusal(const PickedStand& picked) const {
        if (!picked.stand.refusal) {
            return val::null();
        }
        std::string said;
        for (const std::string& refusal : choiceRefusals(picked.cells)) {
            said += (said.empty() ? "" : "\n") + refusal;
        }
        const std::string row = "Rad " + std::to_string(picked.stand.row) + ": " +
                                (said.empty() ? *picked.stand.refusal : said);
        return val(standFileError(path_, row).message);
    }

    // Each choice cell that cannot be used (shown as no choice until the user makes one) with
    // the words that refuse it, else null.
    static val choiceRefusalsValue(const ChoiceCells& cells) {
        const auto value = [](const std::optional<std::string>& refusal) {
            return refusal ? val(*refusal) : val::null();
        };
        val result = val::object();
        result.set("tradslag",
                   value(cells.tradslag ? tradslagRefusal(*cells.tradslag) : std::nullopt));
        result.set("atgard", value(cells.atgard ? atgardRefusal(*cells.atgard) : std::nullopt));
        val marks = val::array();
        for (std::size_t k = 0; k < cells.avv.size(); ++k) {
            const std::optional<std::string>& mark = cells.avv[k];
            marks.call<void>(
                "push", value(mark ? markRefusal(*mark, static_cast<int>(k) + 1) : std::nullopt));
        }
        result.set("avv", marks);
        return result;
    }

    std::string folder_;
    std::string path_;
    std::unique_ptr<StandList> list_;
};

namespace {

// The stand of a table call, at its row.
StandFile::Stand tableStand(const val& entries, int row) {
    StandFile::Stand stand;
    stand.row = row;
    stand.input = entriesOf(entries);
    return stand;
}

std::uint64_t seedOf(const val& seed) {
    return seed.isNumber() ? static_cast<std::uint64_t>(seed.as<double>()) : 1;
}

val csvResult(std::size_t table, const std::string& rows) {
    val result = val::object();
    result.set("ok", true);
    result.set("csv", bytesOf(batch::kOutputTables[table].header() + rows));
    return result;
}

// One of the batch tool's tables for the stand, made as the batch tool makes it.
val batchTable(std::size_t table, const val& entries, const std::string& sep, int row,
               const val& seed) {
    batch::Arguments arguments;
    arguments.seed = seedOf(seed);
    arguments.*batch::kOutputTables[table].path = "-";
    const char decimalSeparator = separatorOf(sep);
    batch::Worker worker(decimalSeparator);
    worker.session.texts = Session::Texts::fileBytes;
    batch::StandOutputs outputs;
    try {
        batch::computeStand(worker, tableStand(entries, row), arguments, decimalSeparator, outputs);
    } catch (const std::bad_alloc&) {
        return failure("Minnet räckte inte till för beräkningen.");
    }
    return csvResult(table, outputs.tables[table]);
}

}  // namespace

val table(const val& entries, const std::string& sep, int row, const val& seed) {
    return batchTable(0, entries, sep, row, seed);
}
val cycles(const val& entries, const std::string& sep, int row, const val& seed) {
    return batchTable(1, entries, sep, row, seed);
}
val compare(const val& entries, const std::string& sep, int row, const val& seed,
            const val& progress) {
    val result = batchTable(2, entries, sep, row, seed);
    if (progress.typeOf().as<std::string>() == "function") {
        progress(44, 44);
    }
    return result;
}
val measures(const val& entries, const std::string& sep, int row, const val& seed,
             const val& progress) {
    val result = batchTable(4, entries, sep, row, seed);
    if (progress.typeOf().as<std::string>() == "function") {
        progress(88, 88);
    }
    return result;
}

// The spread, its runs in parts with progress between them, and its row as the batch tool
// writes it.
val spread(const val& entries, const std::string& sep, int row, const val& seed, int runs,
           const val& progress) {
    const char decimalSeparator = separatorOf(sep);
    std::atomic<bool> cancel{false};
    SpreadOptions options;
    options.seed = standSeed(seedOf(seed), row);
    options.runs = runs != 0 ? runs : kDefaultSpreadRuns;
    options.cancel = &cancel;
    const bool told = progress.typeOf().as<std::string>() == "function";
    options.parallelFor = [&](int parts, const std::function<void(int)>& body) {
        for (int part = 0; part < parts && !cancel; ++part) {
            body(part);
            if (told && !progress(part + 1, parts).as<bool>()) {
                cancel = true;
            }
        }
    };
    const StandFile::Stand stand = tableStand(entries, row);
    std::string rows;
    try {
        const Result<Spread> computed = computeSpread(stand.input, decimalSeparator, options);
        if (cancel) {
            val result = failure("Spridningen avbröts.");
            result.set("cancelled", true);
            return result;
        }
        rows = computed ? spreadRow(row, *computed, decimalSeparator)
                        : spreadRefusedRow(row, batch::refusalText(computed.error()));
    } catch (const std::bad_alloc&) {
        return failure("Minnet räckte inte till för beräkningen.");
    } catch (const std::exception&) {
        rows = spreadRefusedRow(row, "Beräkningen kunde inte slutföras.");
    }
    return csvResult(3, rows);
}

val nodeArguments(const val& args) {
    const Result<NodeArguments> parsed =
        parseNodeArguments(emscripten::vecFromJSArray<std::string>(args));
    if (!parsed) {
        return failure(parsed.message());
    }
    val result = val::object();
    result.set("ok", true);
    result.set("stands", parsed->stands);
    result.set("seed", parsed->seed ? val(std::to_string(*parsed->seed)) : val::null());
    return result;
}

val nodeRun(const std::string& stands, const val& seed, bool readableOnce, const std::string& sep) {
    NodeArguments arguments;
    arguments.stands = stands;
    if (seed.isString()) {
        arguments.seed = std::stoull(seed.as<std::string>());
    }
    const NodeRun run = runStands(arguments, readableOnce, separatorOf(sep));
    val result = val::object();
    result.set("out", bytesOf(run.out));
    result.set("err", bytesOf(run.err));
    result.set("status", run.status);
    return result;
}

std::string nodeOpenFailure(const std::string& path, const std::string& code) {
    return openFailure(path, code);
}

EMSCRIPTEN_BINDINGS(lodra05) {
    emscripten::function("form", &form);
    emscripten::function("decimalSeparator", &decimalSeparator);
    emscripten::class_<WebSession>("Session")
        .constructor<std::string>()
        .function("calculate", &WebSession::calculate)
        .function("count", &WebSession::count)
        .function("fileBytes", &WebSession::fileBytes);
    emscripten::function("standFileBytes", &standFileBytesOf);
    emscripten::class_<Register>("Register")
        .constructor<>()
        .function("open", &Register::open)
        .function("stand", &Register::stand);
    emscripten::function("table", &table);
    emscripten::function("cycles", &cycles);
    emscripten::function("compare", &compare);
    emscripten::function("measures", &measures);
    emscripten::function("spread", &spread);
    emscripten::function("nodeArguments", &nodeArguments);
    emscripten::function("nodeRun", &nodeRun);
    emscripten::function("nodeOpenFailure", &nodeOpenFailure);
}

}  // namespace lodra::web
