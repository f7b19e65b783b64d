#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace norvane {

// The cores a thread may run on, as the numbers the system gives them.
using CoreSet = std::vector<int>;

// Where a worker starts: the cores the starting thread may run on, but for
// the one it runs on, when that leaves any.
CoreSet StartingCores(const CoreSet& allowed, int current);

// A thread that runs body and is joined when it is destroyed. It starts on
// another core than the thread starting it where it may, and is then free to
// run on every core the starter may: a new thread is otherwise often queued
// on its starter's core until the system next spreads the load, which can
// take milliseconds, as long as a whole short job.
class WorkerThread {
public:
    explicit WorkerThread(std::function<void()> body);
    ~WorkerThread();

    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Waits for body to return; once only.
    void Join();

private:
    struct State;
    static void* Run(void* state);

    std::unique_ptr<State> state_;
};

}  // namespace norvane
