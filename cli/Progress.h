#pragma once

#include "app/Job.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

namespace norvane::cli {

// "3 of 10 files" and, while a file is read, ", 12.5 of 200.0 MiB".
std::string ProgressText(const JobProgress& progress);

// The progress line on stderr, rewritten in place with CR; it is cleared
// before anything else is printed (on either stream: both may be the same
// terminal) and at the end.
class ProgressLine {
public:
    // Nothing is written unless shown. The line is first written once the
    // run has taken `interval`, then at most once per interval.
    ProgressLine(std::FILE* err, bool shown,
                 std::chrono::steady_clock::duration interval = std::chrono::milliseconds(100));
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // From any thread.
    void Show(const JobProgress& progress);
    // Runs print with the line cleared.
    void Between(const std::function<void()>& print);
    void Clear();

private:
    void ClearLocked();

    std::FILE* err_;
    bool shown_;
    std::chrono::steady_clock::duration interval_;
    std::mutex mutex_;
    std::chrono::steady_clock::time_point last_;
    std::size_t width_ = 0;  // of the line on the screen; 0: none
};

// While one lives, SIGINT and SIGTERM set a flag (and nothing else) instead of
// ending the process, so that a run stops between two blocks and cleans up;
// further signals meanwhile change nothing. The dispositions before it come
// back when it goes.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    const std::atomic<bool>* Flag() const;
    bool Stopped() const { return Flag()->load(std::memory_order_relaxed); }
};

}  // namespace norvane::cli
