#include "comm/serial/FakeSerialLine.h"

#include "comm/ZBPlatform.h"

namespace zbserial {

FakeSerialLine::FakeSerialLine() = default;

void FakeSerialLine::SetResponder(Responder Respond)
{
    std::lock_guard<std::mutex> lock(mutex_);
    responder_ = std::move(Respond);
}

void FakeSerialLine::Feed(const std::vector<uint8_t>& Bytes, int DelayMs, int GapMs)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto at = Clock::now() + std::chrono::milliseconds(DelayMs);
        // A feed never overtakes bytes that are already on their way.
        if (!input_.empty() && input_.back().ArrivesAt > at)
            at = input_.back().ArrivesAt;
        for (std::size_t i = 0; i < Bytes.size(); ++i) {
            if (i > 0)
                at += std::chrono::milliseconds(GapMs);
            input_.push_back({at, Bytes[i], 0});
        }
    }
    changed_.notify_all();
}

void FakeSerialLine::Feed(const std::string& Text, int DelayMs, int GapMs)
{
    Feed(std::vector<uint8_t>(Text.begin(), Text.end()), DelayMs, GapMs);
}

void FakeSerialLine::FeedFaulty(uint8_t Byte, uint32_t Flags, int DelayMs)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto at = Clock::now() + std::chrono::milliseconds(DelayMs);
        if (!input_.empty() && input_.back().ArrivesAt > at)
            at = input_.back().ArrivesAt;
        input_.push_back({at, Byte, Flags});
    }
    changed_.notify_all();
}

void FakeSerialLine::RaiseLineErrors(uint32_t Flags)
{
    std::lock_guard<std::mutex> lock(mutex_);
    pendingFlags_ |= Flags;
}

void FakeSerialLine::Fail(Op Operation, uint32_t ErrorNumber, int Times)
{
    std::lock_guard<std::mutex> lock(mutex_);
    failures_[Operation] = {ErrorNumber, Times};
}

void FakeSerialLine::HangUp(uint32_t ErrorNumber)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hungUp_ = true;
        hangUpError_ = ErrorNumber;
    }
    changed_.notify_all();
}

void FakeSerialLine::HangUpDuringNextRead(uint32_t ErrorNumber)
{
    std::lock_guard<std::mutex> lock(mutex_);
    hangUpAtNextRead_ = true;
    hangUpError_ = ErrorNumber;
}

std::vector<std::vector<uint8_t>> FakeSerialLine::Writes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return writes_;
}

int FakeSerialLine::Calls(Op Operation) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = calls_.find(Operation);
    return it == calls_.end() ? 0 : it->second;
}

LineSettings FakeSerialLine::Settings() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return settings_;
}

std::string FakeSerialLine::OpenedName() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return openedName_;
}

bool FakeSerialLine::IsOpen() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

int FakeSerialLine::LastReadTimeout() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return readTimeout_;
}

bool FakeSerialLine::WaitForWrites(std::size_t Count, int Ms) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(Ms), [&] { return writes_.size() >= Count; });
}

bool FakeSerialLine::failing(Op Operation)
{
    ++calls_[Operation];
    auto it = failures_.find(Operation);
    if (it != failures_.end() && it->second.second != 0) {
        if (it->second.second > 0)
            --it->second.second;
        lastError_ = it->second.first;
        return true;
    }
    // After a hang-up everything but closing fails, as on a real line.
    if (hungUp_ && Operation != Op::Close && Operation != Op::SetReadTimeout &&
        !(Operation == Op::ReadByte && readsTimeOutWhenHungUp_)) {
        lastError_ = hangUpError_;
        return true;
    }
    return false;
}

bool FakeSerialLine::Open(const std::string& DeviceName)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (failing(Op::Open))
        return false;
    open_ = true;
    interrupted_ = false;
    openedName_ = DeviceName;
    return true;
}

bool FakeSerialLine::SetQueueSizes(uint32_t, uint32_t)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return !failing(Op::SetQueueSizes);
}

bool FakeSerialLine::GetSettings(LineSettings& Settings)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (failing(Op::GetSettings))
        return false;
    Settings = settings_;
    return true;
}

bool FakeSerialLine::SetSettings(const LineSettings& Settings)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (failing(Op::SetSettings))
        return false;
    settings_ = Settings;
    return true;
}

bool FakeSerialLine::SetReadTimeout(int Milliseconds)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (failing(Op::SetReadTimeout))
        return false;
    readTimeout_ = Milliseconds;
    return true;
}

bool FakeSerialLine::Purge()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (failing(Op::Purge))
        return false;
    // Only what has arrived is discarded; bytes still on their way come later.
    const auto now = Clock::now();
    while (!input_.empty() && input_.front().ArrivesAt <= now)
        input_.pop_front();
    return true;
}

bool FakeSerialLine::Write(const uint8_t* Data, std::size_t Count)
{
    Responder respond;
    std::vector<uint8_t> frame(Data, Data + Count);
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (failing(Op::Write))
            return false;
        if (blockWrites_) {
            writeBlocked_ = true;
            changed_.notify_all();
            changed_.wait(lock, [&] { return interrupted_ || !blockWrites_; });
            writeBlocked_ = false;
            if (interrupted_) {
                lastError_ = CancelledError;
                return false;
            }
        }
        writes_.push_back(frame);
        respond = responder_;
    }
    changed_.notify_all();
    if (respond)
        respond(*this, frame);
    return true;
}

bool FakeSerialLine::Drain()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return !failing(Op::Drain);
}

void FakeSerialLine::BlockWrites(bool On)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        blockWrites_ = On;
    }
    changed_.notify_all();
}

bool FakeSerialLine::WriteBlocked() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return writeBlocked_;
}

void FakeSerialLine::SetSilenceAtOnce(bool On)
{
    std::lock_guard<std::mutex> lock(mutex_);
    silenceAtOnce_ = On;
}

ReadStatus FakeSerialLine::ReadByte(uint8_t& Byte)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (hangUpAtNextRead_) {
        hangUpAtNextRead_ = false;
        hungUp_ = true;
        readsTimeOutWhenHungUp_ = true;
    }
    const bool scriptedFailure = failing(Op::ReadByte);
    if (interrupted_)
        return ReadStatus::Interrupted;
    if (scriptedFailure)
        return ReadStatus::Failed;
    const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeout_);
    for (;;) {
        if (interrupted_)
            return ReadStatus::Interrupted;
        if (hungUp_ && !readsTimeOutWhenHungUp_) {
            lastError_ = hangUpError_;
            return ReadStatus::Failed;
        }
        const auto now = Clock::now();
        if (!input_.empty() && input_.front().ArrivesAt <= now) {
            Byte = input_.front().Byte;
            pendingFlags_ |= input_.front().Flags;
            input_.pop_front();
            return ReadStatus::Byte;
        }
        if (now >= deadline || (silenceAtOnce_ && input_.empty()))
            return ReadStatus::Timeout;
        auto until = deadline;
        if (!input_.empty() && input_.front().ArrivesAt < until)
            until = input_.front().ArrivesAt;
        changed_.wait_until(lock, until);
    }
}

bool FakeSerialLine::StillThere()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return !failing(Op::StillThere);
}

bool FakeSerialLine::TakeLineErrors(uint32_t& Flags)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Flags = 0;
    if (failing(Op::TakeLineErrors))
        return false;
    Flags = pendingFlags_;
    pendingFlags_ = 0;
    return true;
}

bool FakeSerialLine::Close()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (failing(Op::Close))
        return false;
    open_ = false;
    return true;
}

void FakeSerialLine::Interrupt()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        interrupted_ = true;
    }
    changed_.notify_all();
}

uint32_t FakeSerialLine::LastError() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}

std::string FakeSerialLine::LastErrorText() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return "fake: " + SystemErrorDescription(lastError_);
}

} // namespace zbserial
