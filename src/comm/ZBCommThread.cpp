#include "comm/ZBCommThread.h"

#include "comm/KT750Protocol.h"
#include "comm/RTQProtocol.h"
#include "comm/ZB2Protocol.h"

#include <algorithm>

namespace {

constexpr int DefaultTimeout = 100;  // first reply byte, when the component sets none
constexpr int ByteGapTimeout = 50;   // every further byte; this much silence ends a reply
constexpr int MaxTransmissions = 3;
constexpr uint8_t Zb2Lead = 0x82;
constexpr uint8_t Zb2Second = 0x96;
constexpr uint8_t DLE = 0x10;
constexpr uint8_t STX = 0x02;
constexpr uint8_t ETX = 0x03;
constexpr uint8_t CR = 0x0D;
constexpr uint8_t LF = 0x0A;
// Telegram data bytes: the count byte (1 + data bytes) must fit in one byte.
constexpr int MaxTelegramData = 254;

} // namespace

std::shared_ptr<TZBCommThread> TZBCommThread::Create(TZBComm& Port, std::shared_ptr<zbserial::SerialLine> Line,
                                                     UiDispatcher& Ui)
{
    std::shared_ptr<TZBCommThread> thread(new TZBCommThread(Port, std::move(Line), Ui));
    // The running thread keeps its own object alive, so a thread that is let go while it is still
    // inside a callback can finish safely.
    thread->thread_ = std::thread([self = thread] { self->run(); });
    return thread;
}

TZBCommThread::TZBCommThread(TZBComm& Port, std::shared_ptr<zbserial::SerialLine> Line, UiDispatcher& Ui)
    : port_(Port), line_(std::move(Line)), ui_(Ui)
{
}

TZBCommThread::~TZBCommThread()
{
    if (thread_.joinable()) {
        if (thread_.get_id() == std::this_thread::get_id()) {
            thread_.detach();
        } else {
            Terminate();
            thread_.join();
        }
    }
}

// ---- user-interface side ----

void TZBCommThread::SetRequest(TCommRequest* Request)
{
    {
        std::lock_guard<WaitMutex> lock(mutex_);
        pending_ = false;
        component_ = nullptr;
        onDone_ = nullptr;
        onData_ = nullptr;
        if (Request == nullptr)
            return;
        Current next;
        next.send = Request->Buffer;
        next.timeout = Request->Timeout > 0 ? Request->Timeout : DefaultTimeout;
        if (auto* kt750 = dynamic_cast<TKT750Protocol*>(Request->Component)) {
            next.kind = Kind::KT750;
            next.startChar = SequenceCharByte(kt750->ReceiveStart());
            next.stopChar = SequenceCharByte(kt750->ReceiveStop());
            next.filtered = kt750->Filtered();
            next.endsAtCrLf = port_.FastReplyEnd() && !kt750->EndsBySilence();
        } else if (dynamic_cast<TZB2Protocol*>(Request->Component)) {
            next.kind = Kind::ZB2;
        } else if (dynamic_cast<TRTQProtocol*>(Request->Component)) {
            next.kind = Kind::RTQ;
        }
        handedOver_ = next;
        component_ = Request->Component;
        onDone_ = Request->OnDone;
        onData_ = Request->OnData;
        pending_ = true;
    }
    wake_.notifyAll();
}

void TZBCommThread::ForgetComponent(const TZBProtocolComponent* Component)
{
    std::lock_guard<WaitMutex> lock(mutex_);
    if (Component == nullptr || component_ != Component)
        return;
    component_ = nullptr;
    onDone_ = nullptr;
    onData_ = nullptr;
    // Not started yet: nothing left to exchange, but the queue still has to move on.
    if (pending_)
        handedOver_.kind = Kind::None;
}

void TZBCommThread::Terminate()
{
    {
        std::lock_guard<WaitMutex> lock(mutex_);
        terminated_ = true;
    }
    wake_.notifyAll();
    line_->Interrupt();
}

bool TZBCommThread::Terminated() const
{
    std::lock_guard<WaitMutex> lock(mutex_);
    return terminated_;
}

bool TZBCommThread::Stopped() const
{
    std::lock_guard<WaitMutex> lock(mutex_);
    return stopped_;
}

void TZBCommThread::Join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void TZBCommThread::Detach()
{
    if (thread_.joinable())
        thread_.detach();
}

// ---- main loop ----

void TZBCommThread::run()
{
    for (;;) {
        {
            std::unique_lock<WaitMutex> lock(mutex_);
            wake_.wait(lock, [&] { return pending_ || terminated_; });
            if (terminated_)
                break;
            current_ = handedOver_;
        }
        if (current_.kind == Kind::None) {
            // Nothing to exchange: a component of no protocol class, or one that went away before
            // its turn. It hears nothing, but the queue must move on or the port would stall.
            {
                std::lock_guard<WaitMutex> lock(mutex_);
                pending_ = false;
            }
            nextCallback();
            continue;
        }
        error_ = TCommError{};
        // Byte 0 of the work buffer is what the done callback hands on as received data; nothing
        // of an earlier exchange may pass for this one (an empty request ends before any read).
        work_[0] = 0;
        switch (current_.kind) {
        case Kind::KT750: exchangeKT750(); break;
        case Kind::ZB2: exchangeZB2(); break;
        case Kind::RTQ: exchangeRTQ(); break;
        case Kind::None: break;
        }
        if (abandoned())
            break;
        if (error_.Code == ecSystemError) {
            // A failing line (unplugged, closed device) fails every call at once; without this pause
            // a cyclic request would spin through the user interface. It fails no faster than a
            // silent device at the default time-out, and the pause ends at once when the port closes.
            std::unique_lock<WaitMutex> lock(mutex_);
            wake_.waitFor(lock, std::chrono::milliseconds(DefaultTimeout), [&] { return terminated_; });
            if (terminated_)
                break;
        }
        {
            std::lock_guard<WaitMutex> lock(mutex_);
            pending_ = false;
        }
        doneCallback();
        if (abandoned())
            break;
        // No key-down message is posted to an owner window: components have no owner window here.
        nextCallback();
    }
    {
        std::lock_guard<WaitMutex> lock(mutex_);
        stopped_ = true;
    }
    ui_.wakeUp();
}

// ---- callbacks, each run in the user-interface thread while this thread waits ----

void TZBCommThread::inUi(const std::function<void()>& Call)
{
    ui_.runAndWait([&] {
        struct Mark {
            bool& flag;
            ~Mark() { flag = false; }
        } mark{inCallback_};
        inCallback_ = true;
        Call();
    });
}

bool TZBCommThread::passToComponent()
{
    std::function<void(const TZBBuffer&, const TZBBuffer&, bool&)> onData;
    {
        // Looked at for every call: a handler may take the component away.
        std::lock_guard<WaitMutex> lock(mutex_);
        if (component_ == nullptr)
            return false;
        onData = onData_;
    }
    if (onData)
        onData(work_, current_.send, flag_);
    return true;
}

void TZBCommThread::dataCallback()
{
    inUi([this] { passToComponent(); });
}

void TZBCommThread::deliver()
{
    if (!current_.endsAtCrLf) {
        dataCallback();
        return;
    }
    held_[heldCount_++] = work_[0] == 0 ? NoByte : work_[1];
}

void TZBCommThread::deliverHeld()
{
    if (heldCount_ == 0)
        return;
    inUi([this] {
        for (std::size_t i = 0; i < heldCount_; ++i) {
            work_[0] = held_[i] == NoByte ? 0 : 1;
            work_[1] = static_cast<uint8_t>(held_[i]);
            if (!passToComponent())
                return;
        }
    });
    heldCount_ = 0;
    work_[0] = 0;
}

void TZBCommThread::doneCallback()
{
    inUi([this] {
        std::function<void(TCommError&, const TZBBuffer&)> onDone;
        {
            std::lock_guard<WaitMutex> lock(mutex_);
            if (component_ == nullptr)
                return;
            onDone = onDone_;
        }
        if (onDone)
            onDone(error_, work_);
    });
}

void TZBCommThread::nextCallback()
{
    inUi([this] {
        if (!Terminated())
            port_.NextRequest();
    });
}

// ---- exchange steps ----

bool TZBCommThread::abandoned()
{
    return Terminated();
}

bool TZBCommThread::portOpen()
{
    if (abandoned())
        return false;
    if (!port_.Active()) {
        error_ = TCommError{ecPortClosed, 0, 0};
        return false;
    }
    return true;
}

bool TZBCommThread::systemFailed()
{
    error_ = TCommError{ecSystemError, line_->LastError(), 0, line_->LastErrorText()};
    return false;
}

bool TZBCommThread::checkLine()
{
    uint32_t flags = 0;
    // Asked first: the order in which arguments are evaluated is unspecified.
    const bool asked = line_->TakeLineErrors(flags);
    return lineClean(asked, flags);
}

bool TZBCommThread::replySettled()
{
    uint32_t flags = 0;
    const bool asked = line_->SettleLineErrors(flags);
    return lineClean(asked, flags);
}

bool TZBCommThread::lineClean(bool Asked, uint32_t Flags)
{
    if (!Asked)
        return systemFailed();
    if (Flags != 0) {
        error_ = TCommError{ecCommError, 0, Flags};
        return false;
    }
    return true;
}

bool TZBCommThread::transmit(const uint8_t* Frame, std::size_t Count)
{
    if (!portOpen() || !checkLine())
        return false;
    readTimeout_ = current_.timeout;
    if (!portOpen())
        return false;
    if (!line_->SetReadTimeout(readTimeout_))
        return systemFailed();
    if (!checkLine() || !portOpen())
        return false;
    // Unread input of earlier replies must not be taken for this one.
    if (!line_->Purge())
        return systemFailed();
    if (!checkLine() || !portOpen())
        return false;
    if (!line_->Write(Frame, Count))
        return systemFailed();
    if (!checkLine() || !portOpen())
        return false;
    if (!line_->Drain())
        return systemFailed();
    return checkLine();
}

bool TZBCommThread::readByte()
{
    if (!portOpen())
        return false;
    if (!line_->SetReadTimeout(readTimeout_))
        return systemFailed();
    if (!checkLine() || !portOpen())
        return false;
    switch (line_->ReadByte(lastByte_)) {
    case zbserial::ReadStatus::Byte:
        if (!checkLine())
            return false;
        readTimeout_ = ByteGapTimeout;
        return true;
    case zbserial::ReadStatus::Timeout:
        // A line that went away during the wait is reported as lost, not as a silent device,
        // however the driver ended the read.
        if (!line_->StillThere())
            return systemFailed();
        error_ = TCommError{ecTimeout, 0, 0};
        return false;
    case zbserial::ReadStatus::Interrupted:
        // Only a closing port interrupts a read.
        error_ = TCommError{ecPortClosed, 0, 0};
        return false;
    case zbserial::ReadStatus::Failed:
        break;
    }
    return systemFailed();
}

void TZBCommThread::discardInput()
{
    // Reads what is left of a faulty reply, up to a buffer's worth; stops at the first pause.
    const TCommError saved = error_;
    for (std::size_t i = 0; i < ZBBufferSize; ++i)
        if (!readByte())
            break;
    error_ = saved;
}

bool TZBCommThread::readWaitingByte()
{
    const TCommError saved = error_;
    readTimeout_ = 0;
    if (readByte())
        return true;
    error_ = saved;
    return false;
}

void TZBCommThread::takeWaitingBytes(std::size_t Received)
{
    // Bytes already waiting behind a reply's CR LF (a second copy, a second unit) belong to this
    // exchange: handed over with it, they make it a wrong reply instead of being taken for the
    // next request's answer. Only what is there now is read, so the fast end keeps its speed.
    for (; Received < ZBBufferSize && readWaitingByte(); ++Received) {
        work_[1] = lastByte_;
        work_[0] = 1;
        deliver();
    }
    work_[0] = 0;
}

std::size_t TZBCommThread::takeStrayBytes()
{
    // With the fast end a reply is taken at its CR LF, so a tail still on its way then (a second
    // copy, a second unit) is waiting now, before the next request goes out. It is counted and
    // thrown away; after a reply taken at its CR LF the first bytes are kept to be handed over in
    // front of the next reply, which makes that exchange a wrong reply and asks for it again. After
    // a time-out they are only the late reply, which is dropped as the purge would drop it.
    const bool tailOfReply = lastEndedAtCrLf_;
    std::size_t count = 0;
    while (count < ZBBufferSize && readWaitingByte()) {
        if (count < stray_.size())
            stray_[count] = lastByte_;
        ++count;
    }
    port_.CountStaleBytes(count, tailOfReply);
    return tailOfReply ? std::min(count, stray_.size()) : 0;
}

void TZBCommThread::sendRejectTelegram(uint8_t Lead)
{
    const TCommError saved = error_;
    const uint8_t reject[4] = {Lead, 0x00, Lead, 0x00};
    // Sent from its own buffer so that the work buffer keeps what was received.
    transmit(reject, sizeof reject);
    error_ = saved;
}

// ---- KT750: ASCII lines ----

void TZBCommThread::exchangeKT750()
{
    // Set from the start, not only on a retry: the first byte of every reply clears the
    // component's stream, so a request queued twice reports each reply alone rather than the
    // second appended to the first.
    flag_ = true;
    int attempts = 0;
    const std::size_t length = current_.send[0];
    for (;;) {
        error_ = TCommError{};
        if (length == 0) {
            error_.Code = ecBufferEmpty;
            return;
        }
        // The frame goes out from its own buffer: the work buffer holds received bytes only, so a
        // failed exchange hands no frame bytes to the error event.
        work_.fill(0);
        std::copy(current_.send.begin() + 1, current_.send.begin() + static_cast<std::ptrdiff_t>(length),
                  tx_.begin());
        const std::size_t strays = current_.endsAtCrLf ? takeStrayBytes() : 0;
        lastEndedAtCrLf_ = false;
        if (!transmit(tx_.data(), length - 1)) {
            if (abandoned() || error_.Code == ecPortClosed || earlierReplyFailed())
                return;
            ++attempts;
        } else {
            int state = 1;
            std::size_t count = 0;
            std::size_t received = 0;
            uint8_t previous = 0;  // the byte accepted before the last one
            heldCount_ = 0;
            for (; received < strays; ++received) {
                work_[1] = stray_[received];
                work_[0] = 1;
                deliver();
            }
            work_[0] = 0;
            for (;;) {
                if (!readByte()) {
                    if (abandoned() || error_.Code == ecPortClosed)
                        return;
                    if (error_.Code == ecTimeout && state == 2) {
                        // Silence after the last byte: the reply is complete.
                        error_ = TCommError{};
                        if (replySettled()) {
                            deliverHeld();
                            return;
                        }
                    }
                    break;
                }
                work_[++count] = lastByte_;
                work_[0] = static_cast<uint8_t>(count);
                if (state == 1 && current_.startChar != 0) {
                    if (current_.filtered)
                        work_[0] = static_cast<uint8_t>(--count);
                    if (lastByte_ != current_.startChar) {
                        error_.Code = ecStartChar;
                        break;
                    }
                } else if (current_.stopChar != 0 && lastByte_ == current_.stopChar) {
                    if (!current_.filtered)
                        deliver();
                    deliverHeld();
                    work_[0] = 0;
                    return;
                }
                state = 2;
                deliver();
                if (abandoned())
                    return;
                count = 0;
                work_[0] = 0;
                if (current_.endsAtCrLf && lastByte_ == LF && previous == CR) {
                    if (!replySettled())
                        break;
                    takeWaitingBytes(received);
                    deliverHeld();
                    lastEndedAtCrLf_ = true;
                    return;
                }
                previous = lastByte_;
                // A line that never falls silent (noise) would keep the exchange open for good;
                // a reply is at most a buffer long.
                if (++received >= ZBBufferSize) {
                    deliverHeld();
                    return;
                }
            }
            // What was received before the error reaches the component as it would have byte by byte.
            deliverHeld();
            if (abandoned())
                return;
            // The byte that broke the reply was never handed over; the reply itself went to the
            // component byte by byte, so the error carries no data of its own.
            work_[0] = 0;
            if (error_.Code != ecTimeout) {
                discardInput();
                if (abandoned())
                    return;
            }
            flag_ = true;
            ++attempts;
            if (error_.Code == ecTimeout || earlierReplyFailed())
                return;
        }
        if (attempts >= MaxTransmissions)
            return;
    }
}

bool TZBCommThread::earlierReplyFailed() const
{
    // Repeating this request would not mend the reply before it: its caller must hear of it.
    return error_.Code == ecCommError && (error_.CommErrors & ceEarlierReply) != 0;
}

// ---- binary telegrams ----

bool TZBCommThread::buildTelegram(std::size_t& Length)
{
    error_ = TCommError{};
    const std::size_t requestLength = current_.send[0];
    if (requestLength == 0) {
        error_.Code = ecBufferEmpty;
        return false;
    }
    if (!portOpen())
        return false;
    const uint8_t* data = current_.send.data() + 1;
    const std::size_t dataCount = requestLength - 1;
    std::size_t n = 0;
    if (current_.kind == Kind::ZB2) {
        // 82h 96h, then Len, data and check with every 82h doubled.
        tx_[n++] = Zb2Lead;
        tx_[n++] = Zb2Second;
        uint8_t check = 0;
        auto put = [&](uint8_t b) {
            tx_[n++] = b;
            if (b == Zb2Lead)
                tx_[n++] = b;
        };
        const uint8_t len = static_cast<uint8_t>(requestLength);
        put(len);
        check = len;
        for (std::size_t i = 0; i < dataCount; ++i) {
            put(data[i]);
            check ^= data[i];
        }
        put(check);
    } else {
        // DLE STX, data with every DLE doubled, DLE ETX, check byte (never doubled).
        tx_[n++] = DLE;
        tx_[n++] = STX;
        uint8_t check = 0;
        for (std::size_t i = 0; i < dataCount; ++i) {
            tx_[n++] = data[i];
            if (data[i] == DLE)
                tx_[n++] = DLE;
            check ^= data[i];
        }
        tx_[n++] = DLE;
        tx_[n++] = ETX;
        tx_[n++] = check;
    }
    Length = n;
    return true;
}

TZBCommThread::AfterReply TZBCommThread::settleTelegramReply()
{
    if (abandoned() || error_.Code == ecPortClosed)
        return AfterReply::Done;
    // The device's own error telegram came in whole: it is the reply.
    if (error_.Code == ecDeviceError)
        return AfterReply::Done;
    if (error_.Code != 0 && error_.Code != ecTimeout) {
        discardInput();
        if (abandoned())
            return AfterReply::Done;
    }
    if (error_.Code != 0)
        return AfterReply::Reject;
    // A good telegram goes to the component; setting the flag asks for the exchange once more.
    flag_ = false;
    dataCallback();
    if (abandoned() || !flag_)
        return AfterReply::Done;
    return AfterReply::NextTelegram;
}

void TZBCommThread::exchangeZB2()
{
    for (;;) {
        std::size_t length = 0;
        if (!buildTelegram(length))
            return;
        if (!transmit(tx_.data(), length))
            return;
        int state = 1;
        std::size_t count = 0;
        std::size_t len = 0;
        uint8_t check = 0;
        work_[0] = 0;
        auto evaluate = [&] {
            if (check != 0)
                error_.Code = ecCheckSum;
            else if (work_[1] == 0xFF)
                error_.Code = ecDeviceError;
        };
        for (;;) {
            if (!readByte())
                break;
            const uint8_t b = lastByte_;
            if (state == 1) {
                work_[count++] = b;
                if (count < 3)
                    continue;
                if (work_[0] != Zb2Lead || work_[1] != Zb2Second) {
                    error_.Code = ecHeader8296;
                    break;
                }
                len = b;
                work_[0] = b;
                check = b;
                if (len == 0) {
                    // Len counts itself, so 0 cannot be a telegram.
                    error_.Code = ecCheckSum;
                    break;
                }
                if (b == Zb2Lead) {
                    count = 0;
                    state = 3;
                } else {
                    count = 1;
                    state = 2;
                }
            } else if (state == 2) {
                work_[count] = b;
                check ^= b;
                if (b == Zb2Lead) {
                    state = 3;
                } else if (count == len) {
                    evaluate();
                    break;
                } else {
                    ++count;
                }
            } else {
                if (b != Zb2Lead) {
                    error_.Code = ecDuplication82;
                    break;
                }
                if (count == len) {
                    evaluate();
                    break;
                }
                ++count;
                state = 2;
            }
        }
        const AfterReply next = settleTelegramReply();
        if (next == AfterReply::Done)
            return;
        if (next == AfterReply::NextTelegram)
            continue;
        // The work buffer holds a telegram only when one came in whole.
        if (error_.Code != ecCheckSum)
            work_[0] = 0;
        sendRejectTelegram(Zb2Lead);
        return;
    }
}

void TZBCommThread::exchangeRTQ()
{
    int attempts = 0;
    for (;;) {
        std::size_t length = 0;
        if (!buildTelegram(length))
            return;
        if (!transmit(tx_.data(), length)) {
            if (abandoned() || error_.Code == ecPortClosed)
                return;
            if (++attempts < MaxTransmissions)
                continue;
            return;
        }
        int state = 1;
        std::size_t count = 0;
        uint8_t check = 0;
        work_[0] = 0;
        for (;;) {
            if (!readByte())
                break;
            const uint8_t b = lastByte_;
            if (state == 1) {
                work_[count++] = b;
                if (count < 3)
                    continue;
                if (work_[0] != DLE || work_[1] != STX) {
                    error_.Code = ecHeaderDleStx;
                    break;
                }
                count = 0;
                work_[0] = 0;
                work_[1] = b;
                if (b == DLE) {
                    check = 0;
                    state = 3;
                } else {
                    check = b;
                    count = 1;
                    state = 2;
                }
            } else if (state == 2 || (state == 3 && b == DLE)) {
                if (state == 2 && b == DLE) {
                    state = 3;
                    continue;
                }
                // A data byte (or a doubled DLE standing for one).
                if (count >= MaxTelegramData) {
                    // No length on the line: a reply that outgrows the count byte cannot be valid.
                    error_.Code = ecCheckSum;
                    break;
                }
                work_[count + 1] = b;
                check ^= b;
                ++count;
                state = 2;
            } else if (state == 3) {
                if (b != ETX) {
                    error_.Code = ecDuplicationDle;
                    break;
                }
                state = 4;
            } else {
                check ^= b;
                ++count;
                if (check == 0) {
                    work_[0] = static_cast<uint8_t>(count);
                    if (work_[1] == 0xFF)
                        error_.Code = ecDeviceError;
                } else {
                    error_.Code = ecCheckSum;
                }
                break;
            }
        }
        const AfterReply next = settleTelegramReply();
        if (next == AfterReply::Done)
            return;
        if (next == AfterReply::NextTelegram) {
            attempts = 0;
            continue;
        }
        // The work buffer holds a telegram only when one came in whole.
        work_[0] = error_.Code == ecCheckSum && state == 4 ? static_cast<uint8_t>(count) : 0;
        sendRejectTelegram(DLE);
        if (abandoned())
            return;
        ++attempts;
        if (error_.Code == ecTimeout || attempts >= MaxTransmissions)
            return;
    }
}
