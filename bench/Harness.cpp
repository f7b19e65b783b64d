#include "bench/Harness.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <fcntl.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace norvane::bench {

namespace {

// Sent from the child through a pipe; fixed size so one write carries it.
struct ChildReport {
    double seconds = 0;
    Counts counts;
    int failed = 0;
    char message[512] = {};
};

double Now()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

[[noreturn]] void SystemFailure(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void WriteAll(int fd, const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

}  // namespace

namespace {

double Median(std::vector<double> seconds)
{
    if (seconds.empty())
        return 0;
    std::sort(seconds.begin(), seconds.end());
    const std::size_t mid = seconds.size() / 2;
    return seconds.size() % 2 ? seconds[mid] : (seconds[mid - 1] + seconds[mid]) / 2;
}

double Seconds(const timeval& tv)
{
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

}  // namespace

double Measurement::MedianSeconds() const
{
    std::vector<double> seconds;
    for (const auto& run : runs)
        seconds.push_back(run.seconds);
    return Median(seconds);
}

double Measurement::MedianCpuSeconds() const
{
    std::vector<double> seconds;
    for (const auto& run : runs)
        seconds.push_back(run.cpuSeconds);
    return Median(seconds);
}

long Measurement::PeakRssKiB() const
{
    long peak = 0;
    for (const auto& run : runs)
        peak = std::max(peak, run.peakRssKiB);
    return peak;
}

Counts Measurement::LastCounts() const
{
    return runs.empty() ? Counts{} : runs.back().counts;
}

RunResult RunInChild(const std::function<Counts()>& operation, const std::string& name)
{
    // Output still buffered here would be written twice.
    std::fflush(stdout);
    std::fflush(stderr);
    int fds[2];
    if (::pipe(fds) != 0)
        SystemFailure("pipe");
    const pid_t pid = ::fork();
    if (pid < 0)
        SystemFailure("fork");
    if (pid == 0) {
        ::close(fds[0]);
        // Profilers take commas as list separators.
        std::string comm = name.substr(0, 15);
        std::replace(comm.begin(), comm.end(), ',', '-');
        std::replace(comm.begin(), comm.end(), ' ', '-');
        ::prctl(PR_SET_NAME, comm.c_str());
        ChildReport report;
        try {
            const double start = Now();
            report.counts = operation();
            report.seconds = Now() - start;
        } catch (const std::exception& e) {
            report.failed = 1;
            std::strncpy(report.message, e.what(), sizeof report.message - 1);
        }
        WriteAll(fds[1], &report, sizeof report);
        ::close(fds[1]);
        ::_exit(report.failed);
    }
    ::close(fds[1]);
    ChildReport report;
    std::size_t got = 0;
    while (got < sizeof report) {
        const ssize_t n = ::read(fds[0], reinterpret_cast<char*>(&report) + got, sizeof report - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            SystemFailure("wait4");
    }
    if (got != sizeof report)
        throw std::runtime_error("the measured child ended without a report (status " +
                                 std::to_string(status) + ")");
    if (report.failed)
        throw std::runtime_error(report.message);
    RunResult result;
    result.seconds = report.seconds;
    result.counts = report.counts;
    result.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    result.peakRssKiB = usage.ru_maxrss;  // KiB on Linux
    return result;
}

std::vector<Measurement> MeasureInTurn(const std::vector<Task>& tasks, int runs)
{
    std::vector<Measurement> measurements(tasks.size());
    for (std::size_t t = 0; t < tasks.size(); ++t)
        measurements[t].name = tasks[t].name;
    for (int round = 0; round < runs; ++round) {
        for (std::size_t t = 0; t < tasks.size(); ++t) {
            for (int r = 0; r < tasks[t].repeat; ++r) {
                if (tasks[t].prepare)
                    tasks[t].prepare();
                measurements[t].runs.push_back(RunInChild(tasks[t].operation, tasks[t].name));
            }
        }
    }
    return measurements;
}

void CopyFileFlushed(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        SystemFailure("open " + from);
    struct stat st {};
    ::fstat(in, &st);
    ::unlink(to.c_str());
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        ::close(in);
        SystemFailure("create " + to);
    }
    off_t left = st.st_size;
    bool inKernel = true;
    std::vector<char> block;
    while (left > 0) {
        ssize_t n = -1;
        if (inKernel) {
            n = ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(left), 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                inKernel = false;  // a file system without it: copy through a buffer
                continue;
            }
        } else {
            block.resize(1 << 20);
            n = ::read(in, block.data(), block.size());
            if (n > 0) {
                for (ssize_t done = 0; done < n;) {
                    const ssize_t w = ::write(out, block.data() + done, static_cast<size_t>(n - done));
                    if (w < 0 && errno == EINTR)
                        continue;
                    if (w <= 0) {
                        n = -1;
                        break;
                    }
                    done += w;
                }
            }
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(in);
            ::close(out);
            SystemFailure("copy to " + to);
        }
        left -= n;
    }
    const bool flushed = ::fsync(out) == 0;
    ::close(in);
    if (::close(out) != 0 || !flushed)
        SystemFailure("flush " + to);
}

std::uint64_t FreeDiskBytes(const std::string& path)
{
    struct statvfs vfs {};
    if (::statvfs(path.c_str(), &vfs) != 0)
        SystemFailure("statvfs " + path);
    return static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

std::uint64_t FileSize(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        SystemFailure("stat " + path);
    return static_cast<std::uint64_t>(st.st_size);
}

}  // namespace norvane::bench
