#include "batch/shard.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>

#include "base/quote.h"

namespace lodra::batch {

namespace {

std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

constexpr std::string_view kFirstLine = "lodra05-batch del 1\n";
constexpr std::string_view kFlowLine = "flode exakt\n";  // then the flow's lines

}  // namespace

Result<Shard> parseShard(const std::string& text) {
    const std::size_t slash = text.find('/');
    const std::string_view all(text);
    const std::optional<int> index =
        slash == std::string::npos ? std::nullopt : wholeNumber(all.substr(0, slash));
    const std::optional<int> count =
        slash == std::string::npos ? std::nullopt : wholeNumber(all.substr(slash + 1));
    if (!index || !count || *index < 0 || *index >= *count || *count > kMaxShards) {
        return fail("--shard behöver en del K/N, heltal med 0 ≤ K < N ≤ " +
                    std::to_string(kMaxShards) + ", inte " + inQuotes(text) + ".");
    }
    return Shard{*index, *count};
}

StandRange shardRange(Shard shard, std::int64_t total) {
    // At most 2^31 stands times 10^5 shards: within 64 bits.
    return {shard.index * total / shard.count,
            (shard.index + std::int64_t{1}) * total / shard.count};
}

std::string notePath(const std::string& table) {
    return table + ".del";
}

std::string noteText(const PartNote& note) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "del %d/%d\nbestand %" PRId64 "-%" PRId64 " av %" PRId64
                  "\nrader %d-%d\nbyte %" PRIu64 "\n",
                  note.shard.index, note.shard.count, note.stands.begin, note.stands.end,
                  note.total, note.firstRow, note.lastRow, note.bytes);
    std::string text = std::string(kFirstLine) + line + "korning " + note.run + "\n";
    return note.flow ? text + std::string(kFlowLine) + *note.flow : text;
}

std::optional<PartNote> readNote(std::string_view text) {
    const std::size_t run = text.find("korning ");
    if (!text.starts_with(kFirstLine) || run == std::string_view::npos || !text.ends_with('\n')) {
        return std::nullopt;
    }
    const std::string fields(text.substr(kFirstLine.size(), run - kFirstLine.size()));
    PartNote note;
    int used = 0;
    const int read =
        std::sscanf(fields.c_str(),
                    "del %d/%d\nbestand %" SCNd64 "-%" SCNd64 " av %" SCNd64
                    "\nrader %d-%d\nbyte %" SCNu64 "\n%n",
                    &note.shard.index, &note.shard.count, &note.stands.begin, &note.stands.end,
                    &note.total, &note.firstRow, &note.lastRow, &note.bytes, &used);
    if (read != 8 || static_cast<std::size_t>(used) != fields.size()) {
        return std::nullopt;
    }
    const std::size_t runEnd = text.find('\n', run);
    note.run = text.substr(run + 8, runEnd - run - 8);
    const std::string_view rest = text.substr(runEnd + 1);
    if (rest.starts_with(kFlowLine)) {
        note.flow = rest.substr(kFlowLine.size());
    } else if (!rest.empty()) {
        return std::nullopt;
    }
    if (note.run.empty()) {
        return std::nullopt;  // it ends with the decimal separator
    }
    return note;
}

}  // namespace lodra::batch
