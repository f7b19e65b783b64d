#include "app/WorkerThread.h"
#include "app/WorkAhead.h"

#include <system_error>
#include <thread>
#include <utility>

#include <pthread.h>
#if defined(__linux__)
#include <sched.h>
#endif

namespace norvane {

unsigned CoreCount()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

CoreSet StartingCores(const CoreSet& allowed, int current)
{
    CoreSet others;
    for (const int core : allowed)
        if (core != current)
            others.push_back(core);
    return others.empty() ? allowed : others;
}

struct WorkerThread::State {
    std::function<void()> body;
    pthread_t thread{};
    bool joinable = false;
#if defined(__linux__)
    cpu_set_t allowed{};
    bool restore = false;
#endif
};

namespace {

#if defined(__linux__)
CoreSet CoresOf(const cpu_set_t& set)
{
    CoreSet cores;
    for (int core = 0; core < CPU_SETSIZE; ++core)
        if (CPU_ISSET(core, &set))
            cores.push_back(core);
    return cores;
}
#endif

// Frees a pthread attribute however the start ends.
class AttributeGuard {
public:
    explicit AttributeGuard(pthread_attr_t& attr) : attr_(attr) {}
    ~AttributeGuard() { ::pthread_attr_destroy(&attr_); }
    AttributeGuard(const AttributeGuard&) = delete;
    AttributeGuard& operator=(const AttributeGuard&) = delete;

private:
    pthread_attr_t& attr_;
};

}  // namespace

void* WorkerThread::Run(void* opaque)
{
    auto* state = static_cast<State*>(opaque);
#if defined(__linux__)
    if (state->restore)
        ::sched_setaffinity(0, sizeof state->allowed, &state->allowed);
#endif
    state->body();
    return nullptr;
}

WorkerThread::WorkerThread(std::function<void()> body) : state_(std::make_unique<State>())
{
    state_->body = std::move(body);
    pthread_attr_t attr;
    if (const int failed = ::pthread_attr_init(&attr))
        throw std::system_error(failed, std::generic_category(), "pthread_attr_init");
    AttributeGuard guard(attr);
#if defined(__linux__)
    // The start is only a hint: the thread starts as usual where it fails.
    const int current = ::sched_getcpu();
    if (current >= 0 && ::sched_getaffinity(0, sizeof state_->allowed, &state_->allowed) == 0) {
        const CoreSet allowed = CoresOf(state_->allowed);
        const CoreSet start = StartingCores(allowed, current);
        if (start.size() < allowed.size()) {
            cpu_set_t set;
            CPU_ZERO(&set);
            for (const int core : start)
                CPU_SET(core, &set);
            state_->restore = ::pthread_attr_setaffinity_np(&attr, sizeof set, &set) == 0;
        }
    }
#endif
    if (const int failed = ::pthread_create(&state_->thread, &attr, Run, state_.get()))
        throw std::system_error(failed, std::generic_category(), "pthread_create");
    state_->joinable = true;
}

WorkerThread::~WorkerThread()
{
    Join();
}

void WorkerThread::Join()
{
    if (!state_->joinable)
        return;
    ::pthread_join(state_->thread, nullptr);
    state_->joinable = false;
}

}  // namespace norvane
