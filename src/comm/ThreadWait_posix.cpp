#include "comm/ThreadWait.h"

void WaitMutex::lock()
{
    native_.lock();
}

void WaitMutex::unlock()
{
    native_.unlock();
}

namespace {

// The standard condition waits on a lock of the standard mutex: the held mutex inside a WaitMutex
// is lent to one for the wait, and stays held by the caller's lock after it.
struct LentLock {
    std::unique_lock<std::mutex> lock;
    explicit LentLock(std::mutex& Held) : lock(Held, std::adopt_lock) {}
    ~LentLock() { lock.release(); }
    LentLock(const LentLock&) = delete;
    LentLock& operator=(const LentLock&) = delete;
};

} // namespace

void WaitCondition::notifyAll()
{
    native_.notify_all();
}

void WaitCondition::wait(std::unique_lock<WaitMutex>& Lock)
{
    LentLock lent(Lock.mutex()->native_);
    native_.wait(lent.lock);
}

bool WaitCondition::waitUntil(std::unique_lock<WaitMutex>& Lock, Clock::time_point Deadline)
{
    LentLock lent(Lock.mutex()->native_);
    return native_.wait_until(lent.lock, Deadline) == std::cv_status::no_timeout;
}
