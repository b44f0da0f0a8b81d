#pragma once

// A register split by rows: one run calculates a contiguous share of the stands, and the
// tables of all the shares joined are the bytes of one run over the whole register. Each
// table of a shard gets a note beside it (FIL.del) that says where the part fits, so that a
// join can tell a missing, doubled or foreign part from a fitting one; the table itself keeps
// the bytes of the whole run's rows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"

namespace lodra::batch {

// Shard index of count: 0 <= index < count <= kMaxShards.
struct Shard {
    int index = 0;
    int count = 1;
};
inline constexpr int kMaxShards = 100000;

// Reads "K/N", or says why it is not a shard.
Result<Shard> parseShard(const std::string& text);

// Stands [begin, end) of a register of total stands, counted from 0 in file order.
struct StandRange {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::int64_t size() const { return end - begin; }
};
// Shard K of N gets stands floor(K*L/N) to floor((K+1)*L/N) - 1.
StandRange shardRange(Shard shard, std::int64_t total);

// What the note beside a shard's table says.
struct PartNote {
    Shard shard;
    StandRange stands;
    std::int64_t total = 0;  // stands in the register
    int firstRow = 0;        // line numbers of the first and last stand, 0 when none
    int lastRow = 0;
    std::string run;          // the register and the options the figures depend on
    std::uint64_t bytes = 0;  // of the table, header included
    // Beside the property's flow: its exact sums (PropertyFlow's text), from which the
    // join adds the parts without rounding. Absent in a note of another table.
    std::optional<std::string> flow;
};

// The note of the table at path.
std::string notePath(const std::string& table);
std::string noteText(const PartNote& note);
// The note's fields, or nothing when the text is not a whole note.
std::optional<PartNote> readNote(std::string_view text);

}  // namespace lodra::batch
