#include "comm/ThreadWait.h"

#include <windows.h>

namespace {

// Both system objects are a single pointer, zero in their initial state, which is how ThreadWait.h
// keeps them without the system's header.
static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*));

PSRWLOCK srwLock(void*& Native)
{
    return reinterpret_cast<PSRWLOCK>(&Native);
}

PCONDITION_VARIABLE condition(void*& Native)
{
    return reinterpret_cast<PCONDITION_VARIABLE>(&Native);
}

} // namespace

void WaitMutex::lock()
{
    AcquireSRWLockExclusive(srwLock(native_));
}

void WaitMutex::unlock()
{
    ReleaseSRWLockExclusive(srwLock(native_));
}

void WaitCondition::notifyAll()
{
    WakeAllConditionVariable(condition(native_));
}

void WaitCondition::wait(std::unique_lock<WaitMutex>& Lock)
{
    SleepConditionVariableSRW(condition(native_), srwLock(Lock.mutex()->native_), INFINITE, 0);
}

bool WaitCondition::waitUntil(std::unique_lock<WaitMutex>& Lock, Clock::time_point Deadline)
{
    const auto now = Clock::now();
    if (now >= Deadline)
        return false;
    // Rounded up, so that the wait never ends before the deadline; the caller looks again anyway.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(Deadline - now).count();
    const DWORD ms = left >= static_cast<long long>(INFINITE) ? INFINITE - 1 : static_cast<DWORD>(left);
    if (SleepConditionVariableSRW(condition(native_), srwLock(Lock.mutex()->native_), ms, 0))
        return true;
    return Clock::now() < Deadline;
}
