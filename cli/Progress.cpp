#include "cli/Progress.h"

#include "cli/Arguments.h"

#include <csignal>
#include <cstring>

namespace norvane::cli {

namespace {

// Only a lock-free atomic may be touched by a signal handler.
static_assert(std::atomic<bool>::is_always_lock_free);
std::atomic<bool> g_stop{false};

extern "C" void OnStopSignal(int)
{
    g_stop.store(true, std::memory_order_relaxed);
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM};

struct sigaction g_before[std::size(kStopSignals)];

std::string MiB(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1 << 20));
    return text;
}

}  // namespace

std::string ProgressText(const JobProgress& progress)
{
    std::string text = std::to_string(progress.filesDone) + " of " + std::to_string(progress.filesTotal) + " files";
    if (progress.bytesTotal > 0)
        text += ", " + MiB(progress.bytesDone) + " of " + MiB(progress.bytesTotal) + " MiB";
    return text;
}

ProgressLine::ProgressLine(std::FILE* err, bool shown, std::chrono::steady_clock::duration interval)
    : err_(err), shown_(shown), interval_(interval), last_(std::chrono::steady_clock::now())
{
}

ProgressLine::~ProgressLine()
{
    Clear();
}

void ProgressLine::Show(const JobProgress& progress)
{
    if (!shown_)
        return;
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < interval_)
        return;
    last_ = now;
    std::string line = "\r" + std::string(kProgram) + ": " + ProgressText(progress);
    const std::size_t width = line.size() - 1;
    if (width < width_)
        line.append(width_ - width, ' ');  // over the rest of a longer line
    width_ = width;
    std::fwrite(line.data(), 1, line.size(), err_);
    std::fflush(err_);
}

void ProgressLine::Between(const std::function<void()>& print)
{
    std::lock_guard lock(mutex_);
    ClearLocked();
    print();
}

void ProgressLine::Clear()
{
    std::lock_guard lock(mutex_);
    ClearLocked();
}

void ProgressLine::ClearLocked()
{
    if (width_ == 0)
        return;
    const std::string blank = "\r" + std::string(width_, ' ') + "\r";
    std::fwrite(blank.data(), 1, blank.size(), err_);
    std::fflush(err_);
    width_ = 0;
}

StopSignals::StopSignals()
{
    g_stop.store(false, std::memory_order_relaxed);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // Reads and waits go on after the handler: the flag is looked at between blocks.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int number : kStopSignals)
        sigaddset(&action.sa_mask, number);
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        ::sigaction(kStopSignals[i], &action, &g_before[i]);
}

StopSignals::~StopSignals()
{
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        ::sigaction(kStopSignals[i], &g_before[i], nullptr);
}

const std::atomic<bool>* StopSignals::Flag() const
{
    return &g_stop;
}

}  // namespace norvane::cli
