#pragma once
// The worker thread of an open port: serves one request at a time (frame, write, read byte by byte
// with time-outs, framing checks, retries) and hands every received chunk and the outcome to the
// protocol component in the user-interface thread, waiting until it has been handled.
// Created by TZBComm::Open, ended by TZBComm::Close; library-internal.

#include "comm/ThreadWait.h"
#include "comm/ZBComm.h"

#include <memory>
#include <thread>

class TZBCommThread : public std::enable_shared_from_this<TZBCommThread> {
public:
    static std::shared_ptr<TZBCommThread> Create(TZBComm& Port, std::shared_ptr<zbserial::SerialLine> Line,
                                                 UiDispatcher& Ui);
    ~TZBCommThread();
    TZBCommThread(const TZBCommThread&) = delete;
    TZBCommThread& operator=(const TZBCommThread&) = delete;

    // User-interface thread: hands over Request (nullptr: drops the current one and its callbacks).
    void SetRequest(TCommRequest* Request);
    // User-interface thread: the component goes away; its current request no longer reports.
    void ForgetComponent(const TZBProtocolComponent* Component);
    // Asks the loop to end and interrupts a waiting read.
    void Terminate();
    bool Terminated() const;
    bool Stopped() const;
    // True while the user-interface thread runs one of this thread's callbacks.
    bool InCallback() const { return inCallback_; }
    void Join();
    void Detach();

private:
    enum class Kind { None, KT750, ZB2, RTQ };
    struct Current {
        Kind kind = Kind::None;
        TZBBuffer send{};
        int timeout = 100;
        uint8_t startChar = 0;
        uint8_t stopChar = 0;
        bool filtered = false;
        // The reply ends at its first CR LF (the port's fast end of reply) rather than by silence.
        bool endsAtCrLf = false;
    };

    TZBCommThread(TZBComm& Port, std::shared_ptr<zbserial::SerialLine> Line, UiDispatcher& Ui);
    void run();

    // Exchange steps; each returns false when the exchange is over (termination, closed port or
    // the error that ends it, which is in error_).
    bool abandoned();
    bool portOpen();
    bool checkLine();
    // At a reply's end: line errors reported for its bytes a moment late fail it too.
    bool replySettled();
    bool lineClean(bool Asked, uint32_t Flags);
    // The exchange failed for a line error of the reply before it (ceEarlierReply).
    bool earlierReplyFailed() const;
    bool systemFailed();
    bool transmit(const uint8_t* Frame, std::size_t Count);
    bool readByte();
    void discardInput();
    // Fast end of reply: one byte that is already waiting, without waiting for one.
    bool readWaitingByte();
    void takeWaitingBytes(std::size_t Received);
    // Fast end of reply: reads what waits before a request goes out; how many to hand over.
    std::size_t takeStrayBytes();
    void sendRejectTelegram(uint8_t Lead);
    void exchangeKT750();
    void exchangeZB2();
    void exchangeRTQ();
    bool buildTelegram(std::size_t& Length);
    // What a telegram exchange does once a reply has been read or reading it failed: Done (over),
    // NextTelegram (the component asked for the exchange once more), Reject (the reply was faulty
    // or missing: answer with a reject telegram).
    enum class AfterReply { Done, NextTelegram, Reject };
    AfterReply settleTelegramReply();

    // Callbacks run in the user-interface thread.
    // User-interface thread: the component's data callback with the work buffer; false when the
    // component has gone.
    bool passToComponent();
    void dataCallback();
    // The data callback of one received byte (or of none, a filtered start character). With the
    // fast end of reply the calls are held and made together when the reply ends, still one call
    // per byte and in order: one hand-over to the user-interface thread per reply, not per byte.
    void deliver();
    void deliverHeld();
    void doneCallback();
    void nextCallback();
    void inUi(const std::function<void()>& Call);

    TZBComm& port_;
    std::shared_ptr<zbserial::SerialLine> line_;
    UiDispatcher& ui_;
    std::thread thread_;

    mutable WaitMutex mutex_;
    WaitCondition wake_;
    bool pending_ = false;
    bool terminated_ = false;
    bool stopped_ = false;
    Current handedOver_;
    TZBProtocolComponent* component_ = nullptr;
    std::function<void(TCommError&, const TZBBuffer&)> onDone_;
    std::function<void(const TZBBuffer&, const TZBBuffer&, bool&)> onData_;
    bool inCallback_ = false;

    // Worker-thread state.
    Current current_;
    TZBBuffer work_{};
    // Outgoing frame; a telegram with every byte doubled may exceed the work buffer.
    std::array<uint8_t, 2 * ZBBufferSize + 8> tx_{};
    TCommError error_;
    uint8_t lastByte_ = 0;
    int readTimeout_ = 100;
    bool flag_ = false;
    static constexpr int16_t NoByte = -1;
    std::array<int16_t, ZBBufferSize + 1> held_{};
    std::size_t heldCount_ = 0;
    std::array<uint8_t, 8> stray_{};
    // The last KT750 exchange ended at its CR LF: bytes waiting now may be the rest of its reply.
    bool lastEndedAtCrLf_ = false;
};
