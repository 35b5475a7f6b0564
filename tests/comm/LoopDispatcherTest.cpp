// The toolkit-free user-interface loop: hand-over from other threads, waiting, wake-ups.

#include "comm/LoopDispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(LoopDispatcher, CallsFromOtherThreadsRunInTheLoopThreadInOrder)
{
    LoopDispatcher ui;
    std::vector<int> ran;
    std::atomic<int> returned{0};
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) {
            ui.runAndWait([&, i] {
                EXPECT_TRUE(ui.isUiThread());
                ran.push_back(i);
            });
            ++returned;
        }
    });
    // The predicate is checked after each call served; the last call is the 50th entry.
    EXPECT_TRUE(ui.runUntil([&] { return ran.size() == 50; }, 10000));
    worker.join();
    EXPECT_EQ(returned.load(), 50);
    ASSERT_EQ(ran.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(ran[static_cast<std::size_t>(i)], i);
}

TEST(LoopDispatcher, RunAndWaitInTheLoopThreadRunsAtOnce)
{
    LoopDispatcher ui;
    bool ran = false;
    ui.runAndWait([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(LoopDispatcher, WakeUpEndsAProcessUntilWait)
{
    LoopDispatcher ui;
    std::atomic<bool> done{false};
    std::thread other([&] {
        done = true;
        ui.wakeUp();
    });
    ui.processUntil([&] { return done.load(); });
    other.join();
    EXPECT_TRUE(done.load());
}

TEST(LoopDispatcher, RunUntilGivesUpAfterItsTime)
{
    LoopDispatcher ui;
    EXPECT_FALSE(ui.runUntil([] { return false; }, 20));
    int served = 0;
    ui.post([&] { ++served; });
    ui.post([&] { ++served; });
    EXPECT_EQ(ui.runPending(0), 2);
    EXPECT_EQ(served, 2);
}

TEST(LoopDispatcher, AThrowingCallStillReleasesTheWaitingThread)
{
    LoopDispatcher ui;
    std::atomic<bool> released{false};
    std::thread worker([&] {
        ui.runAndWait([] { throw std::runtime_error("handler"); });
        released = true;
    });
    EXPECT_THROW(ui.runUntil([] { return false; }, 10000), std::runtime_error);
    worker.join();
    EXPECT_TRUE(released.load());
}
