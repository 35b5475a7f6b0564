#pragma once
// The hand-over "run this call in the user-interface thread and wait for it". The communication
// thread delivers every received byte and every completion through it, so components, queues and
// windows are only ever touched by the user-interface thread.

#include <functional>

class UiDispatcher {
public:
    virtual ~UiDispatcher() = default;

    // Runs Call in the user-interface thread and returns when it has run. Called from the
    // user-interface thread itself it runs Call at once.
    virtual void runAndWait(const std::function<void()>& Call) = 0;

    // User-interface thread only: keeps serving the user interface (and calls handed over by other
    // threads) until Done() is true. Done is checked again after every call served and after wakeUp.
    virtual void processUntil(const std::function<bool()>& Done) = 0;

    // Any thread: makes a running processUntil check its condition again.
    virtual void wakeUp() = 0;

    virtual bool isUiThread() const = 0;

    // The dispatcher of ports made without one. Until the program sets one, a LoopDispatcher whose
    // user-interface thread is the thread that first asks for it.
    static UiDispatcher& Default();
    static void SetDefault(UiDispatcher* Dispatcher);
};
