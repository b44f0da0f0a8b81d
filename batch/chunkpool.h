#pragma once

// Work on numbered chunks, spread over worker threads and taken back in any order the caller
// likes: the batch tool hands out chunks of stands in row order and takes their results back
// in the same order, so that what it writes never depends on the number of threads.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace lodra::batch {

class ChunkPool {
  public:
    // work(worker, chunk) does one chunk; each worker number (0..threads-1) is used by one
    // thread only, so that a worker can keep its own state. With threads 0 the chunks are
    // done at once in submit(), by worker 0.
    using Work = std::function<void(std::size_t worker, std::size_t chunk)>;

    // Fails as std::thread does when the system will not start a thread.
    ChunkPool(std::size_t threads, std::size_t chunks, Work work);
    ChunkPool(const ChunkPool&) = delete;
    ChunkPool& operator=(const ChunkPool&) = delete;
    // Lets the chunks under way finish, drops those not started and ends the threads.
    ~ChunkPool();

    // Queues a chunk that is not under way.
    void submit(std::size_t chunk);
    // Waits until the submitted chunk is done, then it may be submitted again. An exception
    // thrown by its work is thrown here.
    void waitFor(std::size_t chunk);
    // Whether the submitted chunk is done.
    bool done(std::size_t chunk);
    // Waits until the submitted chunk is done, leaving an exception of its work to waitFor.
    void waitUntilDone(std::size_t chunk);

  private:
    void serve(std::size_t worker);
    void stop();
    void waitLocked(std::unique_lock<std::mutex>& lock, std::size_t chunk);

    Work work_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<std::size_t> queue_;
    std::vector<char> done_;                    // per chunk
    std::vector<std::exception_ptr> failures_;  // per chunk
    // The chunk a waiting caller waits for: a worker wakes it for that one only, since a
    // wake-up costs the worker more than a chunk's bookkeeping.
    std::size_t awaited_ = kNone;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace lodra::batch
