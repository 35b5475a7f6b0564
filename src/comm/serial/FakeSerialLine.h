#pragma once
// A scripted serial line for tests: a responder answers each written frame by feeding bytes with
// delays, line-error flags ride on chosen bytes, and any operation can be made to fail with a
// chosen error number. Time is real time; the delays are what the exchange observes.

#include "comm/serial/SerialLine.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace zbserial {

class FakeSerialLine : public SerialLine, public std::enable_shared_from_this<FakeSerialLine> {
public:
    enum class Op {
        Open, SetQueueSizes, GetSettings, SetSettings, SetReadTimeout, Purge, Write, Drain, ReadByte,
        TakeLineErrors, StillThere, Close
    };
    // Called in the writing thread after every Write with the written bytes.
    using Responder = std::function<void(FakeSerialLine& Line, const std::vector<uint8_t>& Frame)>;

    FakeSerialLine();

    // --- script ---
    void SetResponder(Responder Respond);
    // Bytes arrive DelayMs after now, each further one GapMs after the previous.
    void Feed(const std::vector<uint8_t>& Bytes, int DelayMs = 0, int GapMs = 0);
    void Feed(const std::string& Text, int DelayMs = 0, int GapMs = 0);
    // One byte that arrives with line-error flags (TakeLineErrors reports them once it was read).
    void FeedFaulty(uint8_t Byte, uint32_t Flags, int DelayMs = 0);
    // Line errors pending at once (as from noise between requests).
    void RaiseLineErrors(uint32_t Flags);
    // The next Times calls of Operation fail with ErrorNumber (Times < 0: every call).
    void Fail(Op Operation, uint32_t ErrorNumber, int Times = 1);
    // The device goes away: reads fail at once, once; further calls fail with the same error.
    void HangUp(uint32_t ErrorNumber = 5);
    // The device goes away while the next read waits, and reads only time out (as Wine's do on a
    // hung-up terminal); every other call from then on, StillThere too, fails with ErrorNumber.
    void HangUpDuringNextRead(uint32_t ErrorNumber);
    // Writes block, as on a line held up by handshaking, until Interrupt cancels them (the write
    // then fails with CancelledError) or the block is lifted.
    void BlockWrites(bool On);
    static constexpr uint32_t CancelledError = 995;
    // True while a write is blocked.
    bool WriteBlocked() const;
    // A read with nothing fed times out at once instead of after its time-out, as on a line whose
    // every pause outlasts the time-outs; for running many exchanges quickly (fuzzing).
    void SetSilenceAtOnce(bool On);

    // --- observation ---
    std::vector<std::vector<uint8_t>> Writes() const;
    int Calls(Op Operation) const;
    LineSettings Settings() const;
    std::string OpenedName() const;
    bool IsOpen() const;
    int LastReadTimeout() const;
    // Blocks until Count frames were written or Ms passed; true when they were.
    bool WaitForWrites(std::size_t Count, int Ms) const;

    // --- SerialLine ---
    bool Open(const std::string& DeviceName) override;
    bool SetQueueSizes(uint32_t InputSize, uint32_t OutputSize) override;
    bool GetSettings(LineSettings& Settings) override;
    bool SetSettings(const LineSettings& Settings) override;
    bool SetReadTimeout(int Milliseconds) override;
    bool Purge() override;
    bool Write(const uint8_t* Data, std::size_t Count) override;
    bool Drain() override;
    ReadStatus ReadByte(uint8_t& Byte) override;
    bool StillThere() override;
    bool TakeLineErrors(uint32_t& Flags) override;
    bool Close() override;
    void Interrupt() override;
    uint32_t LastError() const override;
    std::string LastErrorText() const override;

private:
    using Clock = std::chrono::steady_clock;
    struct Incoming {
        Clock::time_point ArrivesAt;
        uint8_t Byte;
        uint32_t Flags;
    };
    // Counts the call and tells whether it is scripted to fail (mutex held).
    bool failing(Op Operation);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Responder responder_;
    std::deque<Incoming> input_;
    std::map<Op, std::pair<uint32_t, int>> failures_;
    std::map<Op, int> calls_;
    std::vector<std::vector<uint8_t>> writes_;
    LineSettings settings_;
    std::string openedName_;
    bool open_ = false;
    bool interrupted_ = false;
    bool hungUp_ = false;
    bool readsTimeOutWhenHungUp_ = false;
    bool hangUpAtNextRead_ = false;
    bool silenceAtOnce_ = false;
    bool blockWrites_ = false;
    bool writeBlocked_ = false;
    uint32_t hangUpError_ = 0;
    uint32_t pendingFlags_ = 0;
    int readTimeout_ = 0;
    uint32_t lastError_ = 0;
};

} // namespace zbserial
