#include "batch/pipeline.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "batch/chunkpool.h"
#include "calc/parameters.h"

namespace lodra::batch {

namespace {

// Stands read together and calculated together by one worker. A small chunk keeps the
// threads evenly busy; a few of them per thread keep every thread busy while the chunk at
// the head of the row order is written.
constexpr std::size_t kChunkStands = 16;
constexpr std::size_t kChunksPerThread = 8;
// Beyond 16 threads fewer per thread: each chunk has its stands' room, and the bytes in
// flight, not the chunks, bound what is under way.
constexpr std::size_t kMostChunks = 128;
// While the chunk at the head of the row order is under way, the writing thread waits for
// this many at once: every wake-up costs the worker that gives it (bench/README.md).
constexpr std::size_t kWakeBatch = 4;
// A stand whose strings held more than this gives their room back once written, and so do
// all once the chunks not in flight keep kKeptTotal: the room kept for the next stands (to
// spare their texts the allocations) does not grow with the chunks.
constexpr std::size_t kKeptBytes = std::size_t{64} << 10;
constexpr std::size_t kKeptTotal = std::size_t{4} << 20;

struct Chunk {
    std::array<StandFile::Stand, kChunkStands> stands;
    std::array<StandOutputs, kChunkStands> outputs;
    std::size_t count = 0;     // stands in it
    std::size_t expected = 0;  // bytes counted for it while in flight
    std::size_t kept = 0;      // room its stands keep while it is not in flight
};

// The room of a stand's strings.
std::size_t roomOf(const StandFile::Stand& stand, const StandOutputs& outputs) {
    return bytesOf(stand, outputs) - sizeof stand - sizeof outputs;
}

// Reads up to most stands into chunk, fewer once they are expected to take chunkBytes;
// false when the file has no more, or the error of the stand file (the stands read before
// it are in the chunk).
Result<bool> fillChunk(StandFile& stands, Chunk& chunk, std::size_t most, std::size_t chunkBytes,
                       const EstimateStand& estimate) {
    chunk.count = 0;
    chunk.expected = 0;
    while (chunk.count < most && chunk.expected < chunkBytes) {
        StandFile::Stand& stand = chunk.stands[chunk.count];
        const Result<bool> read = stands.next(stand);
        if (!read || !*read) {
            return read;
        }
        chunk.expected += bytesOf(stand, chunk.outputs[chunk.count]) + estimate(stand);
        ++chunk.count;
    }
    // The room the rest keep.
    for (std::size_t i = chunk.count; i < kChunkStands; ++i) {
        chunk.expected += roomOf(chunk.stands[i], chunk.outputs[i]);
    }
    return true;
}

// What the chunks in flight may take: their number, and the bytes their stands are expected
// to take, counted from their entries before they are calculated (so that no number of
// threads can have more under way), and from what they really took once done.
class Admission {
  public:
    Admission(const PipelineLimits& limits, std::size_t chunks)
        : limits_(limits), chunks_(chunks) {}

    // How many stands the next chunk may hold, or 0 when it has to wait. The first chunks
    // hold one stand each, so that every thread has work at once.
    std::size_t nextChunkStands(std::size_t inFlight) const {
        if (inFlight >= chunks_) {
            return 0;
        }
        if (inFlight > 0 && held_ + limits_.chunkBytes > limits_.bytesInFlight) {
            return 0;
        }
        return admittedChunks_ < std::max<std::size_t>(limits_.threads, 1) ? 1 : kChunkStands;
    }
    void admitted(const Chunk& chunk) {
        held_ += chunk.expected;
        ++admittedChunks_;
    }
    // The chunk is done: what its stands really took, if more than expected.
    void measured(Chunk& chunk) {
        std::size_t bytes = 0;
        for (std::size_t i = 0; i < chunk.count; ++i) {
            bytes += bytesOf(chunk.stands[i], chunk.outputs[i]);
        }
        if (bytes > chunk.expected) {
            held_ += bytes - chunk.expected;
            chunk.expected = bytes;
        }
    }
    void released(const Chunk& chunk) { held_ -= chunk.expected; }

  private:
    PipelineLimits limits_;
    std::size_t chunks_;
    std::size_t held_ = 0;
    std::size_t admittedChunks_ = 0;
};

// After the chunk is written: what room its stands keep, counted in keptTotal.
void keepRoom(Chunk& chunk, std::size_t& keptTotal) {
    chunk.kept = 0;
    for (std::size_t i = 0; i < kChunkStands; ++i) {
        const std::size_t room = roomOf(chunk.stands[i], chunk.outputs[i]);
        if (room > kKeptBytes || keptTotal + chunk.kept + room > kKeptTotal) {
            // Swapped out: a string assigned an empty one keeps its room.
            StandFile::Stand stand;
            StandOutputs outputs;
            std::swap(chunk.stands[i], stand);
            std::swap(chunk.outputs[i], outputs);
        } else {
            chunk.kept += room;
        }
    }
    keptTotal += chunk.kept;
}

}  // namespace

std::size_t bytesOf(const StandFile::Stand& stand, const StandOutputs& outputs) {
    const InputRecord& in = stand.input;
    // A short string is held inside the object.
    static const std::size_t inside = std::string().capacity();
    const auto room = [](const std::string& text) {
        return text.capacity() > inside ? text.capacity() + 1 : 0;
    };
    std::size_t bytes = sizeof stand + sizeof outputs + (stand.name ? room(*stand.name) : 0);
    for (const ParameterRow& row : kParameterTable) {
        bytes += room(in.*row.member);
    }
    bytes += room(outputs.indata) + room(outputs.resultat);
    bytes += outputs.flow.capacity() * sizeof(FlowYear);
    if (stand.hektarCell) {
        bytes += room(*stand.hektarCell);
    }
    bytes += outputs.tables.capacity() * sizeof(std::string);
    for (const std::string& table : outputs.tables) {
        bytes += room(table);
    }
    for (const TreeRow& row : in.rows) {
        bytes += room(row.text);
    }
    bytes += stand.refusal ? room(*stand.refusal) : 0;
    return bytes + (outputs.refusal ? room(outputs.refusal->text) : 0);
}

Result<> runPipeline(StandFile& stands, const PipelineLimits& limits, const StandWork& work,
                     std::optional<Error>& readError) {
    const std::size_t threads = std::max<std::size_t>(limits.threads, 1);
    std::vector<Chunk> chunks(std::min(threads * kChunksPerThread, std::max(kMostChunks, threads)));
    // The workers calculate while this thread reads the stands and writes what they gave.
    ChunkPool pool(threads, chunks.size(), [&](std::size_t worker, std::size_t index) {
        Chunk& chunk = chunks[index];
        for (std::size_t i = 0; i < chunk.count; ++i) {
            work.compute(worker, chunk.stands[i], chunk.outputs[i]);
        }
    });
    Admission admission(limits, chunks.size());
    std::size_t next = 0;      // the chunk to fill next
    std::size_t inFlight = 0;  // chunks filled and not yet written, from next - inFlight
    std::size_t keptTotal = 0;
    std::size_t left = limits.stands;  // stands still to read
    bool more = left > 0;
    for (;;) {
        for (std::size_t most = 0; more && (most = admission.nextChunkStands(inFlight)) > 0;) {
            keptTotal -= std::exchange(chunks[next].kept, 0);
            const Result<bool> read = fillChunk(stands, chunks[next], std::min(most, left),
                                                limits.chunkBytes, work.estimate);
            left -= chunks[next].count;
            more = read && *read && left > 0;
            if (!read) {
                readError = read.error();
            }
            if (chunks[next].count == 0) {
                break;
            }
            admission.admitted(chunks[next]);
            pool.submit(next);
            next = (next + 1) % chunks.size();
            ++inFlight;
        }
        if (inFlight == 0) {
            return {};
        }
        const std::size_t oldestIndex = (next + chunks.size() - inFlight) % chunks.size();
        Chunk& oldest = chunks[oldestIndex];
        if (inFlight >= kWakeBatch && !pool.done(oldestIndex)) {
            // Woken once for a few chunks instead of once for each.
            pool.waitUntilDone((oldestIndex + kWakeBatch - 1) % chunks.size());
        }
        pool.waitFor(oldestIndex);
        admission.measured(oldest);
        for (std::size_t i = 0; i < oldest.count; ++i) {
            if (Result<> written = work.write(oldest.stands[i], oldest.outputs[i]); !written) {
                return written;
            }
        }
        admission.released(oldest);
        keepRoom(oldest, keptTotal);
        --inFlight;
    }
}

}  // namespace lodra::batch
