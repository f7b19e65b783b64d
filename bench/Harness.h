#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace norvane::bench {

// What one measured operation reports back besides its time: two counts whose
// meaning the operation names (lines deleted, files read, ...).
struct Counts {
    long long first = 0;
    long long second = 0;
    long long bytesLeft = 0;  // size of the file the operation rewrote
};

struct RunResult {
    double seconds = 0;     // wall clock, measured in the child
    double cpuSeconds = 0;  // user + system time of the child
    long peakRssKiB = 0;
    Counts counts;
};

struct Measurement {
    std::string name;
    std::vector<RunResult> runs;
    double MedianSeconds() const;
    double MedianCpuSeconds() const;
    long PeakRssKiB() const;  // the largest of the runs
    Counts LastCounts() const;
};

// Runs operation in a child process of its own, timed inside the child with a
// monotonic clock, and takes the child's peak resident set from wait4, so
// the peak belongs to this run alone. The parent should hold little memory
// when it forks: the child starts with the parent's resident pages. Throws
// std::runtime_error with the child's message when the operation failed.
// The child takes name as its process name (cut to 15 bytes), so a profiler
// can tell the measurements apart.
RunResult RunInChild(const std::function<Counts()>& operation, const std::string& name = "bench-child");

struct Task {
    std::string name;
    std::function<void()> prepare;  // untimed, in this process: a fresh copy of the input
    std::function<Counts()> operation;
    int repeat = 1;  // runs per round, more for short operations whose median is noisy
};

// Measures every task runs times, taking the tasks in turn in each round so
// that a slow spell of the machine falls on all of them alike.
std::vector<Measurement> MeasureInTurn(const std::vector<Task>& tasks, int runs);

// Copies a file with the kernel (no buffer in this process) and flushes the
// copy to disk, so the measured run starts with no dirty pages of its own.
void CopyFileFlushed(const std::string& from, const std::string& to);

// Free bytes for an unprivileged user in the file system holding path.
std::uint64_t FreeDiskBytes(const std::string& path);

std::uint64_t FileSize(const std::string& path);

}  // namespace norvane::bench
