#include "app/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

namespace norvane::test {

TEST(StartingCores, LeavesOutTheStartersCoreWhereAnotherIsLeft)
{
    struct Case {
        const char* name;
        CoreSet allowed;
        int current;
        CoreSet start;
    } cases[] = {
        {"two cores, on the first", {0, 1}, 0, {1}},
        {"two cores, on the second", {0, 1}, 1, {0}},
        {"four cores", {0, 1, 2, 3}, 2, {0, 1, 3}},
        {"cores not numbered from 0", {4, 6}, 6, {4}},
        {"one core only", {3}, 3, {3}},
        {"running outside the set", {0, 1}, 5, {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StartingCores(c.allowed, c.current), c.start);
    }
}

TEST(WorkerThread, RunsItsBodyAndIsJoinedOnceOrWhenDestroyed)
{
    std::atomic<int> ran{0};
    {
        WorkerThread thread([&] { ++ran; });
        thread.Join();
        EXPECT_EQ(ran.load(), 1);
        thread.Join();
    }
    {
        WorkerThread thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ++ran;
        });
    }
    EXPECT_EQ(ran.load(), 2);
}

#if defined(__linux__)
TEST(WorkerThread, MayRunWhereverItsStarterMay)
{
    cpu_set_t all;
    ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
    int first = 0;
    while (!CPU_ISSET(first, &all))
        ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    struct Case {
        const char* name;
        cpu_set_t starter;
    } cases[] = {{"every core of the process", all}, {"one core", one}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cpu_set_t seen;
        CPU_ZERO(&seen);
        // A starter of its own, so that this thread's cores stay as they are.
        std::thread starter([&] {
            ASSERT_EQ(::sched_setaffinity(0, sizeof c.starter, &c.starter), 0);
            WorkerThread worker([&] { ::sched_getaffinity(0, sizeof seen, &seen); });
        });
        starter.join();
        EXPECT_TRUE(CPU_EQUAL(&seen, &c.starter));
    }
}
#endif

}  // namespace norvane::test
