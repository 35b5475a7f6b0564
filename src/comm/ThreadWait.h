#pragma once
// The mutex and the condition the library's threads hand work over with (the communication thread
// and the loop of the command-line tool, several times per exchange). On POSIX systems they are the
// standard ones; on Windows they are the system's own slim lock and condition variable, whose
// hand-over is several times quicker than that of the POSIX-thread emulation under std::mutex there
// (ThreadWait_posix.cpp, ThreadWait_win32.cpp). Both lock with std::lock_guard / std::unique_lock.

#include <chrono>
#include <mutex>
#if !defined(_WIN32)
#include <condition_variable>
#endif

class WaitMutex {
public:
    WaitMutex() = default;
    WaitMutex(const WaitMutex&) = delete;
    WaitMutex& operator=(const WaitMutex&) = delete;

    void lock();
    void unlock();

private:
    friend class WaitCondition;
#if defined(_WIN32)
    void* native_ = nullptr; // an SRWLOCK, one pointer that is zero while it is unlocked
#else
    std::mutex native_;
#endif
};

class WaitCondition {
public:
    using Clock = std::chrono::steady_clock;

    WaitCondition() = default;
    WaitCondition(const WaitCondition&) = delete;
    WaitCondition& operator=(const WaitCondition&) = delete;

    void notifyAll();

    // Waits while Lock (held) is released; may return without a notification, as the standard's.
    void wait(std::unique_lock<WaitMutex>& Lock);
    // As wait, but returns false once Deadline has passed.
    bool waitUntil(std::unique_lock<WaitMutex>& Lock, Clock::time_point Deadline);

    template <class Predicate>
    void wait(std::unique_lock<WaitMutex>& Lock, Predicate Ready)
    {
        while (!Ready())
            wait(Lock);
    }
    // Returns Ready(): false when Deadline passed first.
    template <class Predicate>
    bool waitUntil(std::unique_lock<WaitMutex>& Lock, Clock::time_point Deadline, Predicate Ready)
    {
        while (!Ready()) {
            if (!waitUntil(Lock, Deadline))
                return Ready();
        }
        return true;
    }
    template <class Predicate>
    bool waitFor(std::unique_lock<WaitMutex>& Lock, std::chrono::milliseconds Time, Predicate Ready)
    {
        return waitUntil(Lock, Clock::now() + Time, Ready);
    }

private:
#if defined(_WIN32)
    void* native_ = nullptr; // a CONDITION_VARIABLE, one pointer, zero when initialised
#else
    std::condition_variable native_;
#endif
};
