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
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(std::move(Call));
    }
    changed_.notify_all();
}

void LoopDispatcher::runAndWait(const std::function<void()>& Call)
{
    if (isUiThread()) {
        Call();
        return;
    }
    // The waiting thread owns the completion flag; the loop only sets it.
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool done = false;
    post([&] {
        // Released even when Call throws: the exception belongs to the loop's caller, the waiting
        // thread just goes on.
        struct Release {
            std::mutex& m;
            std::condition_variable& cv;
            bool& flag;
            ~Release()
            {
                std::lock_guard<std::mutex> lock(m);
                flag = true;
                cv.notify_all();
            }
        } release{doneMutex, doneChanged, done};
        Call();
    });
    std::unique_lock<std::mutex> lock(doneMutex);
    doneChanged.wait(lock, [&] { return done; });
}

void LoopDispatcher::wakeUp()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    changed_.notify_all();
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
            std::unique_lock<std::mutex> lock(mutex_);
            auto ready = [&] { return !calls_.empty() || woken_; };
            if (Ms < 0)
                changed_.wait(lock, ready);
            else if (!changed_.wait_until(lock, deadline, ready))
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
