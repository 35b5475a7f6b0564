#pragma once
// The serial port component and the base classes of the components bound to it.
//
// One TZBComm per serial line. Protocol components (KT750Protocol.h, ZB2Protocol.h, RTQProtocol.h)
// bind to it with SetZBComm, queue their request with SendRequest and receive OnCommResult or
// OnCommError in the user-interface thread. All calls below belong to the user-interface thread of
// the port's UiDispatcher.

#include "comm/MemoryStream.h"
#include "comm/UiDispatcher.h"
#include "comm/ZBObject.h"
#include "comm/ZBTypes.h"
#include "comm/serial/SerialLine.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TZBCommThread;
class TZBComponent;
class TZBProtocolComponent;

// Opening or closing the device failed; the message is the system's text.
class ECommHandleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Setting up the line failed, or a setting that is fixed while the port is open was changed.
class ECommInitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr std::size_t ZBBufferSize = 512;
using TZBBuffer = std::array<uint8_t, ZBBufferSize>;

using TCommResultEvent = std::function<void(TObject* Sender, TMemoryStream& Result)>;
using TCommErrorEvent = std::function<void(TObject* Sender, TCommError& CommError, TMemoryStream& Result)>;

// One request of a protocol component: the bytes it was asked with and where its outcome goes. Each
// SendRequest makes its own record, so the port's queue never holds one record twice.
struct TCommRequest {
    TZBProtocolComponent* Component = nullptr;
    TZBBuffer Buffer{};
    int Timeout = 0;
    std::function<void(TCommError& CommError, const TZBBuffer& Data)> OnDone;
    std::function<void(const TZBBuffer& Data, const TZBBuffer& Sent, bool& Flag)> OnData;
};

class TZBComm : public TObject {
public:
    // Without a dispatcher the port uses UiDispatcher::Default().
    explicit TZBComm(UiDispatcher* Dispatcher = nullptr);
    ~TZBComm() override;
    TZBComm(const TZBComm&) = delete;
    TZBComm& operator=(const TZBComm&) = delete;

    // Copies the settings of Source (setter by setter) unless this port is open.
    void Assign(const TZBComm& Source);

    bool Active() const { return active_.load(); }
    void SetActive(bool Value);
    void Open();
    void Close();

    // Values outside an enumeration are ignored (the property keeps its value).
    TBaudrate Baudrate() const { return baudrate_; }
    void SetBaudrate(TBaudrate Value);
    TDataBit FrameDatabits() const { return databits_; }
    void SetFrameDatabits(TDataBit Value);
    TParityBit FrameParitybit() const { return paritybit_; }
    void SetFrameParitybit(TParityBit Value);
    TStopBit FrameStopbits() const { return stopbits_; }
    void SetFrameStopbits(TStopBit Value);
    TPort PortName() const { return portName_; }
    void SetPortName(TPort Value);
    TPortAddr PortAddress() const { return portAddress_; }
    void SetPortAddress(TPortAddr Value);
    TPortType PortType() const { return portType_; }
    void SetPortType(TPortType Value);
    THardware Hardware() const { return hardware_; }
    void SetHardware(THardware Value);
    TTransmitDriver TransmitDriver() const { return transmitDriver_; }
    void SetTransmitDriver(TTransmitDriver Value);
    TReceiveDriver ReceiveDriver() const { return receiveDriver_; }
    void SetReceiveDriver(TReceiveDriver Value);

    // Fast end of reply, off by default: an ASCII reply ends as soon as its bytes end in CR LF
    // instead of after 50 ms of silence. Components that send free text (EndsBySilence) keep the
    // silence; a reply that never brings CR LF still ends by it. May change at any time; a request
    // takes the value it finds when it reaches the head of the queue.
    bool FastReplyEnd() const { return fastReplyEnd_; }
    void SetFastReplyEnd(bool Value) { fastReplyEnd_ = Value; }
    // Bytes found waiting before a request (fast end of reply) and thrown away, since the port opened.
    std::size_t StaleBytes() const { return staleBytes_; }
    // Of those, the bytes that followed a reply taken at its CR LF: something answered twice (a
    // second unit on one number, a doubled reply), so the reply taken may not be the controller's.
    std::size_t TailBytes() const { return tailBytes_; }
    void CountStaleBytes(std::size_t Count, bool AfterReply)
    {
        staleBytes_ += Count;
        if (AfterReply)
            tailBytes_ += Count;
    }

    // With no request queued, after a run's last reply: a line error reported for it a moment late
    // (ceEarlierReply), or the line's failure; zero when none came.
    TCommError SettleLastReply();

    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // Queues a request; -1 (and nothing queued) while the port is closed, else its queue index.
    int AddRequest(TCommRequest* Request);
    // Drops the finished head of the queue and hands the next request to the thread.
    void NextRequest();

    const std::vector<TZBComponent*>& BoundComponents() const { return boundComponents_; }
    std::size_t QueueLength() const { return requestQueue_.size(); }
    // Queue entries (waiting or being served) that belong to this component.
    std::size_t QueuedRequestsOf(const TZBComponent* Component) const;
    UiDispatcher& Dispatcher() const { return *dispatcher_; }
    // The device the port opens (PortNames.h), shown beside the port name.
    std::string DevicePath() const;
    // The open line keeps the settings of its server, whatever this port asks for.
    bool LineSettingsFixedAtServer() const { return line_ && line_->SettingsFixedAtServer(); }

    // Replaces the platform backend for the lines this port opens from now on (tests, simulator).
    using LineFactory = std::function<std::shared_ptr<zbserial::SerialLine>()>;
    void SetLineFactory(LineFactory Factory);

private:
    friend class TZBComponent;
    friend class TZBProtocolComponent;
    friend class TZBCommThread;

    void bind(TZBComponent* Component);
    void unbind(TZBComponent* Component);
    // A component goes away or moves: its queued entries go, its running one no longer reports.
    void forgetRequest(TCommRequest* Request);
    // The head's request has been answered: its place waits for NextRequest belonging to nobody.
    void requestAnswered(const TCommRequest* Request);
    void applyLineSettings();
    void closeAfterFailedOpen();
    void reapRetiredThreads(bool Detach);
    [[noreturn]] void raiseActive(const char* Action) const;

    UiDispatcher* dispatcher_;
    LineFactory lineFactory_;
    std::atomic<bool> active_{false};
    bool destroying_ = false;
    bool fastReplyEnd_ = false;
    std::atomic<std::size_t> staleBytes_{0};
    std::atomic<std::size_t> tailBytes_{0};
    TBaudrate baudrate_ = TBaudrate::br9600;
    TDataBit databits_ = TDataBit::db_8;
    TParityBit paritybit_ = TParityBit::Even;
    TStopBit stopbits_ = TStopBit::sb_1;
    TPort portName_ = TPort::COM1;
    TPortAddr portAddress_ = TPortAddr::pa_03F8;
    TPortType portType_ = TPortType::RS232C;
    THardware hardware_ = THardware::Standard;
    TTransmitDriver transmitDriver_ = TTransmitDriver::tdNone;
    TReceiveDriver receiveDriver_ = TReceiveDriver::rdNone;

    std::shared_ptr<zbserial::SerialLine> line_;
    zbserial::LineSettings dcb_;
    std::vector<TZBComponent*> boundComponents_;
    std::deque<TCommRequest*> requestQueue_;
    std::shared_ptr<TZBCommThread> thread_;
    // Threads of a Close made from inside one of their own callbacks: they end once it returns.
    std::vector<std::shared_ptr<TZBCommThread>> retiredThreads_;
};

// Base of every component bound to a port.
class TZBComponent : public TObject {
public:
    TZBComponent() = default;
    ~TZBComponent() override;
    TZBComponent(const TZBComponent&) = delete;
    TZBComponent& operator=(const TZBComponent&) = delete;

    TZBComm* ZBComm() const { return zbComm_; }
    virtual void SetZBComm(TZBComm* Port);

protected:
    bool destroying_ = false;

private:
    TZBComm* zbComm_ = nullptr;
};

// Request machinery, events and cyclic mode of the protocol components.
class TZBProtocolComponent : public TZBComponent {
public:
    TZBProtocolComponent() = default;
    ~TZBProtocolComponent() override;

    void SetZBComm(TZBComm* Port) override;

    // Cyclic mode: the request is sent again after every completion.
    bool Active() const { return active_; }
    void SetActive(bool Value);
    // Takes this component's request back from the port: a waiting one is never sent, one being
    // exchanged reports to nobody. For stopping a poll at once rather than after the queue.
    void CancelRequest();

    // Byte 0 = 1 + number of request bytes; indices from 512 on are ignored.
    void PutByte(int Index, uint8_t Value);
    const TZBBuffer& SendBuffer() const { return sendBuffer_; }

    // Queues the send buffer as it is now as a request of its own. A request asked for while an
    // earlier one of this component is still queued or running comes after it: every request is
    // sent once, in the order asked, with the bytes it was asked with, and its outcome is reported
    // by itself (AnsweredRequest names it). The one exception is a cyclic component (Active):
    // it is never in the queue twice, so asking while its request is queued or running adds
    // nothing; the cycle sends the newest bytes after the running one. A poll that must not pile
    // up behind a slow line asks RequestPending first. Nothing is queued while the port is closed.
    virtual void SendRequest();
    // True while a request of this component is queued or running.
    bool RequestPending() const { return !requests_.empty(); }
    virtual void RequestDone(TCommError& CommError, const TZBBuffer& Data);
    virtual void DataReceived(const TZBBuffer& Data, const TZBBuffer& Sent, bool& Flag);

    TMemoryStream& ResultStream() { return resultStream_; }
    const TCommError& CommError() const { return commError_; }
    const TCommError& LastCommError() const { return lastCommError_; }
    // The request whose result or error is being (or was last) reported; empty before the first.
    const TCommRequest& AnsweredRequest() const;

    TNotifyEvent OnActivate;
    TCommResultEvent OnCommResult;
    TCommErrorEvent OnCommError;
    TNotifyEvent OnDeactivate;

protected:
    // First-byte time-out in milliseconds; 0 or negative means 100 ms. Only the ASCII protocol
    // offers it; the telegram protocols keep 0.
    int TimeoutTime() const { return timeoutTime_; }
    void SetTimeoutTime(int Value) { timeoutTime_ = Value; }

    TMemoryStream resultStream_;

private:
    // Empties the records when the port closes and empties its queue.
    friend class TZBComm;

    bool active_ = false;
    int timeoutTime_ = 0;
    TZBBuffer sendBuffer_{};
    TCommError commError_;
    TCommError lastCommError_;
    void finishRequest(TCommRequest* Record);
    // Takes every request of this component back from its port.
    void forgetRequests();

    // Requests asked for and not yet answered, oldest first; the port's queue points at them.
    std::deque<std::unique_ptr<TCommRequest>> requests_;
    // The request last answered, for AnsweredRequest.
    std::unique_ptr<TCommRequest> answered_;
};
