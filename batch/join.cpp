#include "batch/join.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <list>
#include <utility>

#include "base/quote.h"
#include "batch/estatejoin.h"
#include "batch/shard.h"
#include "files/errortext.h"
#include "files/outputfile.h"
#include "report/propertycsv.h"

namespace lodra::batch {

namespace {

// A note with the property's flow holds a line per year of the exact sums.
constexpr std::size_t kNoteBytesMost = std::size_t{1} << 22;
constexpr std::size_t kCopyBytes = std::size_t{1} << 20;

struct Part {
    std::string path;
    PartNote note;
    std::string header;  // its first line, CR LF included
};

std::string shardName(const Part& part) {
    return std::to_string(part.note.shard.index) + "/" + std::to_string(part.note.shard.count);
}

Result<PartNote> readPartNote(const std::string& path) {
    std::ifstream in(notePath(path), std::ios::binary);
    if (!in) {
        return fail("Delen " + inQuotes(path) + " har ingen " + inQuotes(notePath(path)) +
                    " bredvid sig: den skrevs inte med --shard, eller så flyttades den utan den.");
    }
    std::string text;
    std::string block(std::size_t{1} << 16, '\0');
    while (in && text.size() <= kNoteBytesMost) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        text.append(block, 0, static_cast<std::size_t>(in.gcount()));
    }
    const std::optional<PartNote> note = readNote(text);
    if (!note) {
        return fail(inQuotes(notePath(path)) + " är inte en hel notering om en del.");
    }
    return *note;
}

// A part's note, and its table checked complete, with its header.
Result<Part> readPart(const std::string& path) {
    Result<PartNote> note = readPartNote(path);
    if (!note) {
        return note.error();
    }
    Part part{path, *note, {}};
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return systemFailure("öppna delen", inQuotes(path), errno);
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size != note->bytes) {
        return fail("Delen " + inQuotes(path) + " är inte en hel fil: den har " +
                    std::to_string(error ? 0 : size) + " byte, men skrevs med " +
                    std::to_string(note->bytes) + ".");
    }
    std::getline(in, part.header);
    part.header += '\n';
    return part;
}

// The parts are every shard of one run, in order, of one table.
Result<> checkFit(const std::vector<Part>& parts) {
    const Part& first = parts.front();
    const int count = first.note.shard.count;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& part = parts[i];
        const int expected = static_cast<int>(i);
        if (part.note.run != first.note.run || part.note.shard.count != count ||
            part.note.total != first.note.total) {
            return fail("Delarna " + inQuotes(first.path) + " och " + inQuotes(part.path) +
                        " kommer från olika körningar (ett annat register, frö, antal körningar, "
                        "decimaltecken eller antal delar).");
        }
        if (part.header != first.header) {
            return fail("Delarna " + inQuotes(first.path) + " och " + inQuotes(part.path) +
                        " har olika rubrikrader: de är inte delar av samma tabell.");
        }
        if (part.note.shard.index < expected) {
            return fail("Del " + shardName(part) + " anges två gånger eller i fel ordning (" +
                        inQuotes(part.path) + ").");
        }
        if (part.note.shard.index > expected ||
            part.note.stands.begin != (i == 0 ? 0 : parts[i - 1].note.stands.end)) {
            return fail("Del " + std::to_string(expected) + "/" + std::to_string(count) +
                        " saknas före " + inQuotes(part.path) + ".");
        }
    }
    if (parts.size() != static_cast<std::size_t>(count) ||
        parts.back().note.stands.end != first.note.total) {
        return fail("Del " + std::to_string(parts.size()) + "/" + std::to_string(count) +
                    " saknas efter " + inQuotes(parts.back().path) + ".");
    }
    return {};
}

// The line numbers of the stands go on from part to part.
Result<> checkRows(const std::vector<Part>& parts) {
    const Part* last = nullptr;  // the last part with stands
    for (const Part& part : parts) {
        if (part.note.stands.size() == 0) {
            continue;
        }
        if (last != nullptr && part.note.firstRow <= last->note.lastRow) {
            return fail("Delarna " + inQuotes(last->path) + " och " + inQuotes(part.path) +
                        " har radnummer gemensamma.");
        }
        last = &part;
    }
    return {};
}

// The rows of a part after its header, copied a block at a time.
Result<> copyRows(const Part& part, FdWriter& out) {
    std::ifstream in(part.path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(part.header.size()));
    std::string block(kCopyBytes, '\0');
    std::uint64_t copied = part.header.size();
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        copied += got;
        if (Result<> written = out.write(std::string_view(block).substr(0, got)); !written) {
            return written;
        }
    }
    if (in.bad() || copied != part.note.bytes) {
        return fail("Delen " + inQuotes(part.path) + " ändrades medan den lästes.");
    }
    return {};
}

// The flow's rows of every part, summed per year: from the exact sums in the parts' notes,
// each part's checked against its rows, so that the join writes the whole run's bytes; from
// the printed figures when a part's note has none.
Result<std::string> joinedEstate(const std::vector<Part>& parts) {
    std::vector<std::pair<std::string, std::string>> rows;
    const char decimalSeparator = parts.front().note.run.back();
    PropertyFlow whole;
    bool exact = true;
    for (const Part& part : parts) {
        std::ifstream in(part.path, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(part.header.size()));
        std::string text(part.note.bytes - part.header.size(), '\0');
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        if (!in) {
            return fail("Delen " + inQuotes(part.path) + " ändrades medan den lästes.");
        }
        const std::optional<PropertyFlow> flow =
            part.note.flow ? PropertyFlow::fromExactText(*part.note.flow) : std::nullopt;
        if (part.note.flow &&
            (!flow || part.header + text != propertyFlowCsv(*flow, decimalSeparator))) {
            return fail(inQuotes(notePath(part.path)) +
                        " har inte de summor som delens tabell visar.");
        }
        exact = exact && flow;
        if (flow) {
            whole.add(*flow);
        }
        rows.emplace_back(part.path, std::move(text));
    }
    if (exact) {
        const std::string table = propertyFlowCsv(whole, decimalSeparator);
        return table.substr(parts.front().header.size());
    }
    return joinEstateRows(rows, decimalSeparator);
}

// Writes the joined table to its target, all or nothing.
Result<> writeJoined(const std::string& path, const std::vector<Part>& parts,
                     const StepSeam& seam) {
    Result<OutputTarget> target = findTarget(path);
    if (!target) {
        return target.error();
    }
    const bool estate = isEstateHeader(parts.front().header);
    std::list<PlannedOutput> outputs;
    outputs.emplace_back(std::move(*target), [&](FdWriter& out) -> Result<> {
        Result<> written = out.write(parts.front().header);
        if (written && estate) {
            Result<std::string> rows = joinedEstate(parts);
            written = rows ? out.write(*rows) : Result<>(rows.error());
        }
        for (std::size_t i = 0; written && !estate && i < parts.size(); ++i) {
            written = copyRows(parts[i], out);
        }
        return written;
    });
    Result<> done = prepareAll(outputs);
    if (done) {
        done = finishAll(outputs);
    }
    if (done) {
        done = commitAll(outputs, seam, [](const SavedNumbered&) { return Result<>(); });
    }
    return done;
}

}  // namespace

Result<> joinParts(const std::vector<std::string>& join, const StepSeam& seam) {
    std::vector<Part> parts;
    for (std::size_t i = 1; i < join.size(); ++i) {
        if (sameFile(join.front(), join[i])) {
            return fail("Den sammanfogade tabellen kan inte skrivas till delen " +
                        inQuotes(join[i]) + ".");
        }
        Result<Part> part = readPart(join[i]);
        if (!part) {
            return part.error();
        }
        parts.push_back(std::move(*part));
    }
    Result<> fits = checkFit(parts);
    if (fits) {
        fits = checkRows(parts);
    }
    return fits ? writeJoined(join.front(), parts, seam) : fits;
}

int runJoin(const std::vector<std::string>& join, const RunStreams& streams) {
    const Result<> joined = joinParts(join, streams.commitSeam);
    if (!joined) {
        std::fprintf(streams.errors, "lodra05-batch: %s\n", joined.message().c_str());
        return kUsageOrFileError;
    }
    return kAllCalculated;
}

}  // namespace lodra::batch
