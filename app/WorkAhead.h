#pragma once

#include "app/WorkerThread.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace norvane {

// The number of worker threads a job takes by default: the machine's cores.
unsigned CoreCount();

// Runs work(0, thread), work(1, thread), ... work(count - 1, thread) on
// worker threads, never more than `ahead` items past the one the caller
// takes next, and hands the results to the caller in index order. While the
// caller waits in Take it works the next unclaimed item itself, so `workers`
// threads and the caller work at once. `thread` tells who works the item,
// so that work may keep state per thread without locking: 0 is the caller,
// 1 to `workers` the threads; each takes its items in rising order.
// Destroying it stops the workers after the items they are on and drops
// every result not taken.
template <class Result>
class WorkAhead {
public:
    WorkAhead(std::size_t count, unsigned workers, std::size_t ahead, std::function<Result(std::size_t, unsigned)> work)
        : count_(count), ahead_(ahead < 1 ? 1 : ahead), work_(std::move(work)), slots_(ahead_)
    {
        try {
            for (unsigned i = 1; i <= workers; ++i)
                threads_.push_back(std::make_unique<WorkerThread>([this, i] { Work(i); }));
        } catch (...) {
            Stop();
            throw;
        }
    }

    ~WorkAhead() { Stop(); }

    WorkAhead(const WorkAhead&) = delete;
    WorkAhead& operator=(const WorkAhead&) = delete;

    // The next item's result, working items or waiting until it is done;
    // raises what its work raised.
    Result Take()
    {
        std::unique_lock lock(mutex_);
        Slot& slot = slots_[taken_ % ahead_];
        while (!slot.done) {
            if (Claimable())
                WorkOne(lock, 0);
            else
                done_.wait(lock);
        }
        Slot taken = std::move(slot);
        slot = Slot{};
        ++taken_;
        lock.unlock();
        wanted_.notify_all();
        if (taken.failure)
            std::rethrow_exception(taken.failure);
        return std::move(taken.result).value();
    }

private:
    struct Slot {
        bool done = false;
        std::optional<Result> result;
        std::exception_ptr failure;
    };

    void Stop()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wanted_.notify_all();
        for (auto& thread : threads_)
            thread->Join();
        threads_.clear();
    }

    bool Claimable() const { return next_ < count_ && next_ < taken_ + ahead_; }

    // Claims the next item and works it with the lock released.
    void WorkOne(std::unique_lock<std::mutex>& lock, unsigned thread)
    {
        const std::size_t index = next_++;
        lock.unlock();
        Slot slot;
        try {
            slot.result.emplace(work_(index, thread));
        } catch (...) {
            slot.failure = std::current_exception();
        }
        slot.done = true;
        lock.lock();
        slots_[index % ahead_] = std::move(slot);
        done_.notify_all();
    }

    void Work(unsigned thread)
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            wanted_.wait(lock, [&] { return stop_ || next_ >= count_ || next_ < taken_ + ahead_; });
            if (stop_ || next_ >= count_)
                return;
            WorkOne(lock, thread);
        }
    }

    const std::size_t count_;
    const std::size_t ahead_;
    const std::function<Result(std::size_t, unsigned)> work_;
    std::mutex mutex_;
    std::condition_variable wanted_;  // workers wait for room ahead
    std::condition_variable done_;    // the caller waits for its item
    std::vector<Slot> slots_;         // item i in slot i % ahead
    std::size_t next_ = 0;            // the next item a worker claims
    std::size_t taken_ = 0;           // items the caller has taken
    bool stop_ = false;
    std::vector<std::unique_ptr<WorkerThread>> threads_;
};

}  // namespace norvane
