// runPipeline on oneTBB's parallel_pipeline: a serial filter reading chunks of stands in row
// order, a parallel filter calculating them, a serial filter writing them in row order. Built
// instead of pipeline.cpp when LODRA05_TBB_PIPELINE is on, to measure it against the pool.

#include <tbb/global_control.h>
#include <tbb/parallel_pipeline.h>
#include <tbb/task_arena.h>
#include <tbb/task_group.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "batch/pipeline.h"

namespace lodra::batch {

namespace {

// As the pool: chunks of up to 16 stands, at most 8 of them in flight for each thread.
constexpr std::size_t kChunkStands = 16;
constexpr std::size_t kChunksPerThread = 8;
// A stand whose strings held more than this gives their room back once written.
constexpr std::size_t kKeptBytes = std::size_t{64} << 10;
#ifdef LODRA05_TBB_SPARE_THREAD
constexpr std::size_t kSpareThreads = 1;
#else
constexpr std::size_t kSpareThreads = 0;
#endif

struct Chunk {
    std::array<StandFile::Stand, kChunkStands> stands;
    std::array<StandOutputs, kChunkStands> outputs;
    std::size_t count = 0;  // stands in it
};

// The chunks made so far; a written chunk is taken again with the room of its strings.
class ChunkStore {
  public:
    Chunk* take() {
        const std::lock_guard lock(mutex_);
        if (free_.empty()) {
            return &chunks_.emplace_back();
        }
        Chunk* chunk = free_.back();
        free_.pop_back();
        return chunk;
    }
    void give(Chunk* chunk) {
        const std::lock_guard lock(mutex_);
        free_.push_back(chunk);
    }

  private:
    std::mutex mutex_;
    std::deque<Chunk> chunks_;
    std::vector<Chunk*> free_;
};

// The workers free to calculate a chunk. The arena may hold one thread more than there are
// workers (as the pool has its reading and writing thread): a calculation that finds none
// free waits for one.
class WorkerSlots {
  public:
    explicit WorkerSlots(std::size_t workers) {
        for (std::size_t worker = workers; worker-- > 0;) {
            free_.push_back(worker);
        }
    }
    std::size_t take() {
        std::unique_lock lock(mutex_);
        given_.wait(lock, [this] { return !free_.empty(); });
        const std::size_t worker = free_.back();
        free_.pop_back();
        return worker;
    }
    void give(std::size_t worker) {
        {
            const std::lock_guard lock(mutex_);
            free_.push_back(worker);
        }
        given_.notify_one();
    }

  private:
    std::mutex mutex_;
    std::condition_variable given_;
    std::vector<std::size_t> free_;
};

void giveBackRoom(Chunk& chunk) {
    for (std::size_t i = 0; i < chunk.count; ++i) {
        if (bytesOf(chunk.stands[i], chunk.outputs[i]) > kKeptBytes) {
            StandFile::Stand stand;
            StandOutputs outputs;
            std::swap(chunk.stands[i], stand);
            std::swap(chunk.outputs[i], outputs);
        }
    }
}

// One run. The number of live tokens of a pipeline is fixed when it starts, so the run is
// a row of pipelines: the first calculates one stand for each thread, to measure what a
// stand takes; each next one holds as many chunks as the bytes in flight allow, and stops
// reading once a stand has taken so much more that fewer chunks have to do.
class TbbRun {
  public:
    TbbRun(StandFile& stands, const PipelineLimits& limits, const ComputeStand& compute,
           const WriteStand& write, std::optional<Error>& readError)
        : stands_(stands),
          limits_(limits),
          threads_(std::max<std::size_t>(limits.threads, 1)),
          compute_(compute),
          write_(write),
          readError_(readError),
          workers_(threads_) {}

    Result<> run() {
        std::size_t tokens = threads_;
        while (more_ && !failed_) {
            runPipeline(tokens);
            tokens = tokensFor(perStand_);
        }
        return written_;
    }

  private:
    std::size_t chunkStands(std::size_t perStand) const {
        return perStand == 0
                   ? 1
                   : std::clamp<std::size_t>(limits_.chunkBytes / perStand, 1, kChunkStands);
    }
    std::size_t tokensFor(std::size_t perStand) const {
        const std::size_t chunk = std::max<std::size_t>(perStand * chunkStands(perStand), 1);
        const std::size_t most = threads_ == 1 ? 1 : threads_ * kChunksPerThread;
        return std::clamp<std::size_t>(limits_.bytesInFlight / chunk, 1, most);
    }

    void runPipeline(std::size_t tokens) {
        std::size_t read = 0;
        tbb::task_group_context context;
        tbb::parallel_pipeline(
            tokens,
            tbb::make_filter<void, Chunk*>(tbb::filter_mode::serial_in_order,
                                           [&](tbb::flow_control& flow) -> Chunk* {
                                               Chunk* chunk = readChunk(read, tokens);
                                               if (chunk == nullptr) {
                                                   flow.stop();
                                               }
                                               ++read;
                                               return chunk;
                                           }) &
                tbb::make_filter<Chunk*, Chunk*>(tbb::filter_mode::parallel,
                                                 [&](Chunk* chunk) {
                                                     calculate(*chunk);
                                                     return chunk;
                                                 }) &
                tbb::make_filter<Chunk*, void>(tbb::filter_mode::serial_in_order,
                                               [&](Chunk* chunk) { writeChunk(chunk, context); }),
            context);
    }

    // The next chunk, or none when this pipeline stops reading.
    Chunk* readChunk(std::size_t read, std::size_t tokens) {
        const std::size_t perStand = perStand_;
        if (!more_ || failed_ ||
            (perStand == 0 ? read >= threads_ : tokensFor(perStand) < tokens)) {
            return nullptr;
        }
        Chunk* chunk = store_.take();
        chunk->count = 0;
        std::size_t bytes = 0;
        while (chunk->count < chunkStands(perStand) && bytes < limits_.chunkBytes) {
            StandFile::Stand& stand = chunk->stands[chunk->count];
            const Result<bool> next = stands_.next(stand);
            if (!next || !*next) {
                more_ = false;
                if (!next) {
                    readError_ = next.error();
                }
                break;
            }
            bytes += bytesOf(stand, chunk->outputs[chunk->count]);
            ++chunk->count;
        }
        if (chunk->count == 0) {
            store_.give(chunk);
            return nullptr;
        }
        return chunk;
    }

    void calculate(Chunk& chunk) {
        const std::size_t worker = workers_.take();
        std::size_t most = 0;
        try {
            for (std::size_t i = 0; i < chunk.count; ++i) {
                compute_(worker, chunk.stands[i], chunk.outputs[i]);
                most = std::max(most, bytesOf(chunk.stands[i], chunk.outputs[i]));
            }
        } catch (...) {
            workers_.give(worker);
            throw;
        }
        workers_.give(worker);
        for (std::size_t seen = perStand_;
             seen < most && !perStand_.compare_exchange_weak(seen, most);) {
        }
    }

    void writeChunk(Chunk* chunk, tbb::task_group_context& context) {
        for (std::size_t i = 0; i < chunk->count && !failed_; ++i) {
            if (Result<> written = write_(chunk->stands[i], chunk->outputs[i]); !written) {
                written_ = std::move(written);
                failed_ = true;
                context.cancel_group_execution();
            }
        }
        giveBackRoom(*chunk);
        store_.give(chunk);
    }

    StandFile& stands_;
    const PipelineLimits& limits_;
    std::size_t threads_;
    const ComputeStand& compute_;
    const WriteStand& write_;
    std::optional<Error>& readError_;
    ChunkStore store_;
    WorkerSlots workers_;
    std::atomic<std::size_t> perStand_{0};  // the most a stand has taken so far
    std::atomic<bool> failed_{false};       // a write failed: written_ holds why
    bool more_ = true;                      // the stand file has more (the reading filter's)
    Result<> written_;
};

}  // namespace

// The same count as pipeline.cpp's, which this file replaces.
std::size_t bytesOf(const StandFile::Stand& stand, const StandOutputs& outputs) {
    const InputRecord& in = stand.input;
    std::size_t bytes = sizeof stand + sizeof outputs;
    for (const std::string* text :
         {&in.totaltid, &in.bonitet, &in.areal, &in.ranta, &in.maxRing, &in.variation,
          &in.atervandel, &in.berikning, &in.cykTillAvv, &outputs.indata, &outputs.resultat}) {
        bytes += text->capacity();
    }
    for (const std::string& table : outputs.tables) {
        bytes += table.capacity();
    }
    for (const TreeRow& row : in.rows) {
        bytes += row.text.capacity();
    }
    bytes += stand.refusal ? stand.refusal->capacity() : 0;
    return bytes + (outputs.refusal ? outputs.refusal->text.capacity() : 0);
}

Result<> runPipeline(StandFile& stands, const PipelineLimits& limits, const ComputeStand& compute,
                     const WriteStand& write, std::optional<Error>& readError) {
    // The run's threads, the calling one among them; with LODRA05_TBB_SPARE_THREAD one more
    // than the workers, as the pool has.
    const std::size_t threads = std::max<std::size_t>(limits.threads, 1) + kSpareThreads;
    const tbb::global_control parallelism(tbb::global_control::max_allowed_parallelism, threads);
    tbb::task_arena arena(static_cast<int>(threads));
    TbbRun run(stands, limits, compute, write, readError);
    return arena.execute([&] { return run.run(); });
}

}  // namespace lodra::batch
