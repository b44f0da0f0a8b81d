#include "batch/chunkpool.h"

namespace lodra::batch {

ChunkPool::ChunkPool(std::size_t threads, std::size_t chunks, Work work)
    : work_(std::move(work)), done_(chunks, 0), failures_(chunks) {
    threads_.reserve(threads);
    try {
        for (std::size_t worker = 0; worker < threads; ++worker) {
            threads_.emplace_back([this, worker] { serve(worker); });
        }
    } catch (...) {
        // The system would not start another thread: those started end before the failure
        // is passed on, since a thread still running would end the program.
        stop();
        throw;
    }
}

ChunkPool::~ChunkPool() {
    stop();
}

void ChunkPool::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    queued_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void ChunkPool::submit(std::size_t chunk) {
    if (threads_.empty()) {
        try {
            work_(0, chunk);
        } catch (...) {
            failures_[chunk] = std::current_exception();
        }
        done_[chunk] = 1;
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        done_[chunk] = 0;
        failures_[chunk] = nullptr;
        queue_.push_back(chunk);
    }
    queued_.notify_one();
}

void ChunkPool::waitLocked(std::unique_lock<std::mutex>& lock, std::size_t chunk) {
    awaited_ = chunk;
    finished_.wait(lock, [&] { return done_[chunk] != 0; });
    awaited_ = kNone;
}

void ChunkPool::waitFor(std::size_t chunk) {
    std::unique_lock lock(mutex_);
    waitLocked(lock, chunk);
    if (std::exception_ptr failure = std::exchange(failures_[chunk], nullptr)) {
        std::rethrow_exception(failure);
    }
}

bool ChunkPool::done(std::size_t chunk) {
    const std::lock_guard lock(mutex_);
    return done_[chunk] != 0;
}

void ChunkPool::waitUntilDone(std::size_t chunk) {
    std::unique_lock lock(mutex_);
    waitLocked(lock, chunk);
}

void ChunkPool::serve(std::size_t worker) {
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (stopping_) {
            return;
        }
        const std::size_t chunk = queue_.front();
        queue_.pop_front();
        lock.unlock();
        std::exception_ptr failure;
        try {
            work_(worker, chunk);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        failures_[chunk] = failure;
        done_[chunk] = 1;
        if (chunk == awaited_) {
            finished_.notify_all();
        }
    }
}

}  // namespace lodra::batch
