// The library's hand-over mutex and condition (the system's own on Windows, where this runs under
// Wine): no lost wake-up over many hand-overs, deadlines kept, the lock held again after a wait.

#include "comm/ThreadWait.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = WaitCondition::Clock;

} // namespace

TEST(ThreadWait, TwoThreadsHandOverATokenManyTimesWithoutALostWakeUp)
{
    // The shape of an exchange's hand-overs: each side waits for its turn, takes it, gives the other
    // its turn. A lost notification stalls until the generous bound and fails the count.
    WaitMutex mutex;
    WaitCondition changed;
    int turn = 0; // even: this thread's, odd: the other's
    constexpr int Rounds = 2000;
    int stalls = 0;
    std::thread other([&] {
        for (int i = 0; i < Rounds; ++i) {
            std::unique_lock<WaitMutex> lock(mutex);
            if (!changed.waitFor(lock, 10s, [&] { return turn % 2 == 1; }))
                ++stalls;
            ++turn;
            changed.notifyAll();
        }
    });
    for (int i = 0; i < Rounds; ++i) {
        std::unique_lock<WaitMutex> lock(mutex);
        ++turn;
        changed.notifyAll();
        if (!changed.waitFor(lock, 10s, [&] { return turn % 2 == 0; }))
            ++stalls;
        ASSERT_TRUE(lock.owns_lock());
    }
    other.join();
    EXPECT_EQ(stalls, 0);
    EXPECT_EQ(turn, 2 * Rounds);
}

TEST(ThreadWait, DeadlinesAreKeptAndANotificationEndsTheWaitEarly)
{
    WaitMutex mutex;
    WaitCondition changed;
    bool ready = false;

    // Nothing comes: false, and not before the deadline (a wait in whole milliseconds that rounded
    // down would end early).
    for (auto wanted : {1ms, 15ms, 40ms}) {
        std::unique_lock<WaitMutex> lock(mutex);
        const auto start = Clock::now();
        EXPECT_FALSE(changed.waitFor(lock, wanted, [&] { return ready; }));
        EXPECT_GE(Clock::now() - start, wanted);
        EXPECT_TRUE(lock.owns_lock());
    }
    // A deadline already past returns at once with the predicate's value.
    {
        std::unique_lock<WaitMutex> lock(mutex);
        EXPECT_FALSE(changed.waitUntil(lock, Clock::now() - 1s, [&] { return ready; }));
        EXPECT_FALSE(changed.waitUntil(lock, Clock::now() - 1s));
    }
    // A notification with the predicate true ends a long wait, which then holds the lock again.
    std::thread notifier([&] {
        std::this_thread::sleep_for(5ms);
        std::lock_guard<WaitMutex> lock(mutex);
        ready = true;
        changed.notifyAll();
    });
    {
        std::unique_lock<WaitMutex> lock(mutex);
        const auto start = Clock::now();
        EXPECT_TRUE(changed.waitFor(lock, 60s, [&] { return ready; }));
        EXPECT_LT(Clock::now() - start, 30s);
        EXPECT_TRUE(lock.owns_lock());
    }
    notifier.join();
}
