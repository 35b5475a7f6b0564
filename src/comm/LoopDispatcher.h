#pragma once
// A user-interface loop without a toolkit, for the command-line tool and the tests: the thread that
// creates it is its user-interface thread and serves handed-over calls while it runs the loop.

#include "comm/ThreadWait.h"
#include "comm/UiDispatcher.h"

#include <deque>
#include <functional>
#include <thread>

class LoopDispatcher : public UiDispatcher {
public:
    LoopDispatcher();
    ~LoopDispatcher() override;
    LoopDispatcher(const LoopDispatcher&) = delete;
    LoopDispatcher& operator=(const LoopDispatcher&) = delete;

    void runAndWait(const std::function<void()>& Call) override;
    void processUntil(const std::function<bool()>& Done) override;
    void wakeUp() override;
    bool isUiThread() const override;

    // Queues Call for the loop without waiting (any thread).
    void post(std::function<void()> Call);

    // Serves calls for Ms milliseconds (0: only those already waiting); returns how many ran.
    int runPending(int Ms);
    // Serves calls until Predicate is true or Ms milliseconds have passed (negative: no limit);
    // returns the final value of Predicate. Predicate is checked after every call served and after
    // wakeUp, so it should depend on what the calls (component events) change.
    bool runUntil(const std::function<bool()>& Predicate, int Ms);

private:
    bool serveUntil(const std::function<bool()>& Predicate, int Ms, int* Served);

    std::thread::id uiThread_;
    WaitMutex mutex_;
    WaitCondition changed_;
    std::deque<std::function<void()>> calls_;
    bool woken_ = false;
};
