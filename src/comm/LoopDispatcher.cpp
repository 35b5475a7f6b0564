#include "comm/LoopDispatcher.h"

#include <chrono>

LoopDispatcher::LoopDispatcher() : uiThread_(std::this_thread::get_id()) {}

LoopDispatcher::~LoopDispatcher() = default;

bool LoopDispatcher::isUiThread() const
{
    return std::this_thread::get_id() == uiThread_;
}

void LoopDispatcher::post(std::function<void()> Call)
{
    {
        std::lock_guard<WaitMutex> lock(mutex_);
        calls_.push_back(std::move(Call));
    }
    changed_.notifyAll();
}

void LoopDispatcher::runAndWait(const std::function<void()>& Call)
{
    if (isUiThread()) {
        Call();
        return;
    }
    // The waiting thread owns the completion flag; the loop only sets it.
    WaitMutex doneMutex;
    WaitCondition doneChanged;
    bool done = false;
    post([&] {
        // Released even when Call throws: the exception belongs to the loop's caller, the waiting
        // thread just goes on.
        struct Release {
            WaitMutex& m;
            WaitCondition& cv;
            bool& flag;
            ~Release()
            {
                std::lock_guard<WaitMutex> lock(m);
                flag = true;
                cv.notifyAll();
            }
        } release{doneMutex, doneChanged, done};
        Call();
    });
    std::unique_lock<WaitMutex> lock(doneMutex);
    doneChanged.wait(lock, [&] { return done; });
}

void LoopDispatcher::wakeUp()
{
    {
        std::lock_guard<WaitMutex> lock(mutex_);
        woken_ = true;
    }
    changed_.notifyAll();
}

void LoopDispatcher::processUntil(const std::function<bool()>& Done)
{
    serveUntil(Done, -1, nullptr);
}

int LoopDispatcher::runPending(int Ms)
{
    int served = 0;
    serveUntil([] { return false; }, Ms < 0 ? 0 : Ms, &served);
    return served;
}

bool LoopDispatcher::runUntil(const std::function<bool()>& Predicate, int Ms)
{
    return serveUntil(Predicate, Ms, nullptr);
}

bool LoopDispatcher::serveUntil(const std::function<bool()>& Predicate, int Ms, int* Served)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(Ms < 0 ? 0 : Ms);
    for (;;) {
        if (Predicate())
            return true;
        std::function<void()> call;
        {
            std::unique_lock<WaitMutex> lock(mutex_);
            auto ready = [&] { return !calls_.empty() || woken_; };
            if (Ms < 0)
                changed_.wait(lock, ready);
            else if (!changed_.waitUntil(lock, deadline, ready))
                return Predicate();
            woken_ = false;
            if (!calls_.empty()) {
                call = std::move(calls_.front());
                calls_.pop_front();
            }
        }
        if (call) {
            call();
            if (Served)
                ++*Served;
        }
    }
}
