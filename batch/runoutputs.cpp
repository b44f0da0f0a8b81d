#include "batch/runoutputs.h"

#include <optional>
#include <utility>

#include "base/quote.h"
#include "report/propertycsv.h"
#include "report/standtable.h"

namespace lodra::batch {

namespace {

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
    auto add = [&](const std::optional<std::string>& argument, const char* subject,
                   const char* object) {
        if (argument) {
            const bool standard = isStandardOutput(*argument);
            toStandardOutput |= standard;
            outputs.push_back({standard ? std::nullopt : argument, subject, object});
        }
    };
    add(arguments.output, "Resultatet", "resultatet");
    for (const OutputTable& table : kOutputTables) {
        add(arguments.*table.path, table.subject, table.object);
    }
    add(arguments.estate, "Fastighetstabellen", "fastighetstabellen");
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
        if (sameOutput(a, standFile, standardOutput)) {
            return fail(std::string(a.subject) + " kan inte skrivas till beståndsfilen " +
                        inQuotes(stands) + ".");
        }
    }
    return {};
}

// Lines are gathered into one write up to this many bytes; a longer name's cell is written
// on its own in every line, never copied line by line.
constexpr std::size_t kGatheredBytes = std::size_t{64} << 10;

// A stand's rows with its name's cell after each line's row number.
Result<> writeNamed(RunPart& part, std::string_view rows, std::string_view cell) {
    Result<> written;
    std::string gathered;
    const auto flush = [&] {
        if (written && !gathered.empty()) {
            written = part.write(gathered);
        }
        gathered.clear();
    };
    const bool gather = cell.size() < kGatheredBytes / 16;
    forEachLineSplit(rows, [&](std::string_view head, std::string_view tail) {
        if (gather) {
            gathered.append(head).append(";").append(cell).append(tail);
            if (gathered.size() >= kGatheredBytes) {
                flush();
            }
            return;
        }
        for (const std::string_view piece : {head, std::string_view(";"), cell, tail}) {
            if (written) {
                written = part.write(piece);
            }
        }
    });
    flush();
    return written;
}

}  // namespace

Result<> checkErrorStream(const Arguments& arguments, int errorFd) {
    const std::optional<FileIdentity> errors = regularFileOf(errorFd);
    if (!errors) {
        return {};
    }
    if (identityOf(arguments.stands) == errors) {
        return fail("Standardfelet kan inte skrivas till beståndsfilen " +
                    inQuotes(arguments.stands) + ".");
    }
    for (const NamedOutput& output : namedOutputs(arguments, false)) {
        if ((output.path ? identityOf(*output.path) : standardOutputFile()) == errors) {
            return fail(std::string("Standardfelet och ") + output.object +
                        " kan inte skrivas till samma fil.");
        }
    }
    return {};
}

Result<> RunOutputs::plan(const Arguments& arguments) {
    if (Result<> distinct = checkDistinct(arguments); !distinct) {
        return distinct;
    }
    asked_ = {{&indata_, {}}, {&resultat_, {}}};
    // The outputs in the order they are finished: the tables before the result.
    for (std::size_t i = 0; i < kOutputTables.size(); ++i) {
        const std::optional<std::string>& path = arguments.*kOutputTables[i].path;
        if (!path) {
            continue;
        }
        Result<OutputTarget> target = findTarget(*path);
        if (!target) {
            return target.error();
        }
        RunPart* part = &tables_[i];
        part->output = &outputs_.emplace_back(std::move(*target),
                                              [part](FdWriter& out) { return part->copyTo(out); });
        asked_.emplace_back(part, kOutputTables[i].header());
        const auto text = [this, part] { return noteText(noted(part->written)); };
        if (Result<> note = arguments.shard ? planNote(*path, *part->output, text) : Result<>();
            !note) {
            return note;
        }
    }
    if (arguments.estate) {
        Result<OutputTarget> estate = findTarget(*arguments.estate);
        if (!estate) {
            return estate.error();
        }
        const PlannedOutput& output = outputs_.emplace_back(
            std::move(*estate), [this](FdWriter& out) { return out.write(estate_); });
        const auto text = [this] {
            PartNote note = noted(estate_.size());
            note.flow = estateExact_;
            return noteText(note);
        };
        if (Result<> note =
                arguments.shard ? planNote(*arguments.estate, output, text) : Result<>();
            !note) {
            return note;
        }
    }
    Result<OutputTarget> target = findTarget(arguments.output);
    if (!target) {
        return target.error();
    }
    indata_.output = &outputs_.emplace_back(std::move(*target), [this](FdWriter& out) {
        // After the input summaries: CR LF, every result text, CR LF.
        Result<> written = indata_.copyTo(out);
        if (written) {
            written = out.write("\r\n");
        }
        if (written) {
            written = resultat_.copyTo(out);
        }
        if (written) {
            written = out.write("\r\n");
        }
        return written;
    });
    resultat_.output = indata_.output;
    return {};
}

PartNote RunOutputs::noted(std::uint64_t bytes) const {
    PartNote note = note_;
    note.bytes = bytes;
    return note;
}

Result<> RunOutputs::planNote(const std::string& table, const PlannedOutput& output,
                              std::function<std::string()> text) {
    Result<OutputTarget> target = findTarget(notePath(table));
    if (!target) {
        return target.error();
    }
    if (target->kind != OutputTarget::Kind::Replacing ||
        output.target().kind != OutputTarget::Kind::Replacing) {
        return fail("Med --shard skrivs varje tabell till en vanlig fil med " +
                    inQuotes(notePath(table)) + " bredvid sig, men " + inQuotes(table) +
                    " är ingen sådan.");
    }
    outputs_.emplace_back(std::move(*target),
                          [text = std::move(text)](FdWriter& out) { return out.write(text()); });
    return {};
}

Result<> RunOutputs::prepare(bool named, bool areaColumns) {
    // The result texts always wait in a spool; every other part goes straight into its file.
    for (const auto& [part, header] : asked_) {
        if (Result<> created = part->createSpool(part != &resultat_); !created) {
            return created;
        }
    }
    if (Result<> prepared = prepareAll(outputs_); !prepared) {
        return prepared;
    }
    for (const auto& [part, header] : asked_) {
        const bool table = part != &indata_ && part != &resultat_;
        std::string shown = areaColumns && part == &tables_[kStandTable] ? withAreaColumns(header)
                                                                         : std::string(header);
        if (named && table) {
            shown = withNameColumn(shown);
        }
        if (Result<> connected = part->connect(shown); !connected) {
            return connected;
        }
    }
    return {};
}

Result<> RunOutputs::write(const StandOutputs& stand, const std::optional<std::string>& name) {
    Result<> written = stand.indata.empty() ? Result<>() : indata_.write(stand.indata);
    if (written && !stand.resultat.empty()) {
        written = resultat_.write(stand.resultat);
    }
    const std::string cell = name ? nameCell(*name) : std::string();
    for (std::size_t i = 0; written && i < stand.tables.size(); ++i) {
        if (stand.tables[i].empty()) {
            continue;
        }
        written = name ? writeNamed(tables_[i], stand.tables[i], cell)
                       : tables_[i].write(stand.tables[i]);
    }
    return written;
}

Result<> RunOutputs::commit(bool withResult, const StepSeam& seam,
                            const SavedNumberedNotice& savedNumbered) {
    if (!withResult) {
        outputs_.pop_back();
    }
    if (Result<> finished = finishAll(outputs_); !finished) {
        return finished;
    }
    return commitAll(outputs_, seam, savedNumbered);
}

}  // namespace lodra::batch
