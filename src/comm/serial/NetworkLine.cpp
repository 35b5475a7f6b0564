#include "comm/serial/NetworkLine.h"

#include "comm/ReplyRule.h"
#include "comm/ZBTypes.h"
#include "comm/serial/ComPortTelnet.h"
#include "comm/serial/ErrorRecord.h"
#include "comm/serial/NetworkSocket.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

namespace zbserial {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int ConnectTimeoutMs = 5000;
// How long the server may take to answer the option negotiation and to confirm a setting. A server
// that never does is not waited for again: it must not stall the line.
constexpr int ServerAnswerMs = 1000;
// A server that is about to turn a connection away does so within this time of accepting it.
constexpr int SettleMs = 20;
constexpr int TurnedAwayRetryMs = 3000;
constexpr int TurnedAwayPauseMs = 100;

// What the server sends beyond this before the exchange reads it is dropped (a reply is at most a
// few hundred bytes); a purge reads for at most PurgeMs, so a server that floods cannot hold it.
constexpr std::size_t MaxPendingInput = 4096;
constexpr int PurgeMs = 200;
// Once a server has shown that it reports line errors, each reply waits this long for a report
// that comes a moment after the reply's last byte.
constexpr int LateLineStateMs = 20;
// Longest the server may hold our sending back (FLOWCONTROL-SUSPEND) before the line is lost.
constexpr int SuspendLimitMs = 30000;

constexpr char Rfc2217Scheme[] = "rfc2217://";
constexpr char TcpScheme[] = "tcp://";

bool startsWithFold(const std::string& Text, const std::string& Prefix)
{
    if (Text.size() < Prefix.size())
        return false;
    for (std::size_t i = 0; i < Prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(Text[i])) != Prefix[i])
            return false;
    return true;
}

struct NetworkAddress {
    bool telnet = false;
    std::string host;
    uint16_t port = 0;
};

// "rfc2217://HOST:PORT", "tcp://HOST:PORT"; an IPv6 host in brackets: "tcp://[::1]:4001".
bool parseName(const std::string& Name, NetworkAddress& Out)
{
    std::string rest;
    if (startsWithFold(Name, Rfc2217Scheme)) {
        Out.telnet = true;
        rest = Name.substr(sizeof Rfc2217Scheme - 1);
    } else if (startsWithFold(Name, TcpScheme)) {
        rest = Name.substr(sizeof TcpScheme - 1);
    } else {
        return false;
    }
    if (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size())
        return false;
    Out.host = rest.substr(0, colon);
    if (Out.host.size() > 2 && Out.host.front() == '[' && Out.host.back() == ']')
        Out.host = Out.host.substr(1, Out.host.size() - 2);
    const std::string port = rest.substr(colon + 1);
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long number = std::stoul(port);
    if (number == 0 || number > 65535 || Out.host.find_first_of("/ ") != std::string::npos)
        return false;
    Out.port = static_cast<uint16_t>(number);
    return true;
}

// Bytes from the peer shown in a message: printable ASCII as is, the rest as \xNN, at most 40.
std::string settingsText(const LineSettings& Settings)
{
    const char parity = Settings.Parity == EVENPARITY ? 'E' : Settings.Parity == ODDPARITY ? 'O' : 'N';
    char text[48];
    std::snprintf(text, sizeof text, "%u %c%u%d", static_cast<unsigned>(Settings.BaudRate), parity,
                  static_cast<unsigned>(Settings.ByteSize), Settings.StopBits == TWOSTOPBITS ? 2 : 1);
    return text;
}

class NetworkSerialLine : public SerialLine {
public:
    bool Open(const std::string& DeviceName) override
    {
        name_ = DeviceName;
        if (!parseName(DeviceName, address_))
            return fail(EINVAL, "not a network port; write rfc2217://HOST:PORT or tcp://HOST:PORT");
        // A server still releasing its device from the last connection turns the next one away
        // at once (ser2net: "Port's device already in use"); a moment later it accepts.
        const auto giveUp = Clock::now() + std::chrono::milliseconds(TurnedAwayRetryMs);
        for (;;) {
            const Attempt attempt = connectOnce();
            if (attempt != Attempt::TurnedAway)
                return attempt == Attempt::Connected;
            if (Clock::now() >= giveUp)
                return fail(ConnectionLostError(),
                            "the server at " + socket_->LastAddress() + " closed the connection at once" +
                                (serverWords_.empty() ? std::string() : " (it said \"" + serverWords_ + "\")"));
            std::this_thread::sleep_for(std::chrono::milliseconds(TurnedAwayPauseMs));
        }
    }

    bool SetQueueSizes(uint32_t, uint32_t) override { return true; }

    bool GetSettings(LineSettings& Settings) override
    {
        std::lock_guard<std::mutex> lock(telnetMutex_);
        Settings = settings_;
        if (telnet_.ConfirmedBaudRate() != 0)
            Settings.BaudRate = telnet_.ConfirmedBaudRate();
        return true;
    }

    bool SetSettings(const LineSettings& Settings) override
    {
        std::unique_lock<std::mutex> lock(telnetMutex_);
        const bool first = !settingsSet_;
        settingsSet_ = true;
        const LineSettings before = settings_;
        settings_ = Settings;
        if (telnet_.ComPort() == ComPortTelnet::Answer::Agreed && !serverIgnoresAcks_) {
            const std::vector<uint8_t> commands = telnet_.SetLine(Settings);
            return socket_->Send(commands.data(), commands.size()) || lost();
        }
        // The server sets nothing: what the port asks for at opening is taken as what the server
        // has; a different setting later is told once, not dropped silently.
        if (first || Settings == before || fixedTold_)
            return true;
        fixedTold_ = true;
        lock.unlock();
        return fail(EINVAL, std::string(!address_.telnet     ? "a raw TCP connection cannot set the line settings"
                                        : serverIgnoresAcks_ ? "the server does not confirm the line settings"
                                                             : "the server does not let the line settings be set") +
                                "; the line keeps the server's own settings (" + settingsText(Settings) +
                                " asked for). Use rfc2217:// with a server that offers it.");
    }

    bool SettingsFixedAtServer() override
    {
        std::lock_guard<std::mutex> lock(telnetMutex_);
        return !address_.telnet || telnet_.ComPort() != ComPortTelnet::Answer::Agreed || serverIgnoresAcks_;
    }

    bool SetReadTimeout(int Milliseconds) override
    {
        readTimeout_ = Milliseconds < 0 ? 0 : Milliseconds;
        return true;
    }

    bool Purge() override
    {
        if (!awaitSettings())
            return false;
        // What the server sent before now belongs to earlier replies.
        bool stale = !input_.empty();
        input_.clear();
        const auto giveUp = Clock::now() + std::chrono::milliseconds(PurgeMs);
        while (Clock::now() < giveUp) {
            std::size_t got = 0;
            const ReceiveStatus status = socket_->Receive(buffer_, sizeof buffer_, got, 0);
            if (status == ReceiveStatus::Timeout)
                break;
            if (status != ReceiveStatus::Data)
                return status == ReceiveStatus::Interrupted ? fail(ECANCELED, "closing") : lost();
            take(got);
            if (lost_)
                return lost();
            stale = stale || !input_.empty();
            input_.clear();
        }
        // Only a line with stale bytes has anything in the server's buffers worth discarding: a
        // purge holds the server's line up for tens of milliseconds, which every request would
        // otherwise pay.
        if (!stale)
            return true;
        std::lock_guard<std::mutex> lock(telnetMutex_);
        const std::vector<uint8_t> purge = telnet_.PurgeBuffers();
        return socket_->Send(purge.data(), purge.size()) || lost();
    }

    bool Write(const uint8_t* Data, std::size_t Count) override
    {
        if (!awaitSettings())
            return false;
        std::lock_guard<std::mutex> lock(telnetMutex_);
        if (!address_.telnet) {
            requestLineMs_ = lineTimeMs(Count);
            return socket_->Send(Data, Count) || lost();
        }
        std::vector<uint8_t> escaped;
        escaped.reserve(Count + 4);
        telnet_.AppendLineData(Data, Count, escaped);
        requestLineMs_ = lineTimeMs(Count);
        return socket_->Send(escaped.data(), escaped.size()) || lost();
    }

    // The bytes are with the server once sent; it paces them onto its line. The first read after
    // a request waits that long more (requestLineMs_), so the time-out counts from when the request
    // has left the server's line, as on a local line.
    bool Drain() override { return !lost_ || lost(); }

    ReadStatus ReadByte(uint8_t& Byte) override
    {
        auto deadline = Clock::now() + std::chrono::milliseconds(readTimeout_ + requestLineMs_);
        requestLineMs_ = 0;
        while (input_.empty()) {
            // While the server holds the line back the reply cannot come: the time-out waits too.
            const auto before = Clock::now();
            const bool suspended = suspended_();
            switch (receive(deadline)) {
            case ReceiveStatus::Data: break;
            case ReceiveStatus::Timeout:
                if (suspended_() && Clock::now() < suspendedSince_ + std::chrono::milliseconds(SuspendLimitMs)) {
                    deadline += Clock::now() - before;
                    break;
                }
                return ReadStatus::Timeout;
            case ReceiveStatus::Interrupted: return ReadStatus::Interrupted;
            default: lost(); return ReadStatus::Failed;
            }
            if (suspended && !suspended_())
                deadline += Clock::now() - before;
            if (lost_) {
                lost();
                return ReadStatus::Failed;
            }
        }
        Byte = input_.front();
        input_.pop_front();
        return ReadStatus::Byte;
    }

    bool TakeLineErrors(uint32_t& Flags) override
    {
        std::unique_lock<std::mutex> lock(telnetMutex_);
        Flags = telnet_.TakeLineErrors();
        // A report that comes after the reply it concerns was taken cannot fail that reply any more;
        // it must not pass for an error of the next one either.
        // The server's first report cannot have been waited for: it is handed to the caller as an
        // error of the earlier reply, which the caller asks for again. A later one came although it
        // was waited for: the line stays failed until it is opened again, so the transfer ends
        // rather than carry a wrong value.
        if (Flags != 0 && lateLineError_ && !waitedAtTake_ && !untrusted_) {
            lateLineError_ = false;
            Flags |= ceEarlierReply | static_cast<uint32_t>(earlierReplies_) << ceEarlierRepliesShift;
            return true;
        }
        if ((Flags != 0 && lateLineError_) || untrusted_) {
            untrusted_ = true;
            lock.unlock();
            return untrusted();
        }
        return true;
    }

    bool SettleLineErrors(uint32_t& Flags) override
    {
        bool notifies = false;
        {
            std::lock_guard<std::mutex> lock(telnetMutex_);
            notifies = address_.telnet && telnet_.NotifiesLineState();
        }
        // What has arrived is looked at without waiting; a server that has shown it reports errors
        // is given a moment for a report that follows the reply's last byte.
        if (address_.telnet && !lost_ && notifies) {
            awaitServer([&] { return telnet_.HasLineErrors(); }, LateLineStateMs);
        } else if (address_.telnet && !lost_) {
            const ReceiveStatus status = receive(Clock::now());
            if (status == ReceiveStatus::Closed || status == ReceiveStatus::Failed)
                lost_ = true;
        }
        if (lost_)
            return lost();
        if (!TakeLineErrors(Flags))
            return false;
        std::lock_guard<std::mutex> lock(telnetMutex_);
        replyTaken_ = Flags == 0;
        replyTakenAt_ = Clock::now();
        waitedAtTake_ = notifies;
        if (replyTaken_) {
            takenAt_[takes_ % takenAt_.size()] = replyTakenAt_;
            ++takes_;
        }
        return true;
    }

    // Nothing follows the last reply to carry its report in: a server that can report line state
    // is given the moment here, once per run.
    bool SettleLastReply(uint32_t& Flags) override
    {
        bool reports = false;
        {
            std::lock_guard<std::mutex> lock(telnetMutex_);
            reports = address_.telnet && telnet_.ComPort() == ComPortTelnet::Answer::Agreed && replyTaken_;
        }
        if (reports && !lost_)
            awaitServer([&] { return telnet_.HasLineErrors(); }, LateLineStateMs);
        if (lost_)
            return lost();
        return TakeLineErrors(Flags);
    }

    bool Close() override
    {
        if (socket_)
            socket_->Close();
        return true;
    }

    void Interrupt() override
    {
        if (socket_)
            socket_->Interrupt();
    }

    uint32_t LastError() const override { return error_.Number(); }
    std::string LastErrorText() const override { return error_.Text(); }

private:
    enum class Attempt { Connected, TurnedAway, Failed };

    Attempt connectOnce()
    {
        {
            std::lock_guard<std::mutex> lock(telnetMutex_);
            telnet_ = ComPortTelnet();
            socket_ = CreateNetworkSocket();
        }
        input_.clear();
        lost_ = false;
        protocolFault_ = false;
        replyTaken_ = false;
        lateLineError_ = false;
        waitedAtTake_ = false;
        takes_ = 0;
        earlierReplies_ = 1;
        untrusted_ = false;
        serverIgnoresAcks_ = false;
        suspendedFlag_ = false;
        dropped_ = 0;
        if (!socket_->Connect(address_.host, address_.port, ConnectTimeoutMs)) {
            connectFailed();
            return Attempt::Failed;
        }
        if (address_.telnet) {
            std::lock_guard<std::mutex> lock(telnetMutex_);
            const std::vector<uint8_t> greeting = telnet_.Greeting();
            if (!socket_->Send(greeting.data(), greeting.size()))
                lost_ = true;
        }
        // The server's answer to the negotiation decides whether settings can be set there.
        if (address_.telnet && !lost_)
            awaitServer([&] { return telnet_.ComPort() != ComPortTelnet::Answer::Pending; }, ServerAnswerMs);
        // A server that turns the connection away says why and closes at once.
        if (!lost_)
            awaitServer([] { return false; }, SettleMs);
        if (!lost_)
            return Attempt::Connected;
        if (protocolFault_) {
            lost();
            return Attempt::Failed;
        }
        serverWords_ = ShownReply(std::string(input_.begin(), input_.end()), 40);
        return Attempt::TurnedAway;
    }

    // How long Count bytes take on the server's line at the settings it was given (telnetMutex_ held).
    int lineTimeMs(std::size_t Count) const
    {
        const uint64_t bits = 1u + settings_.ByteSize + (settings_.Parity == NOPARITY ? 0u : 1u) +
                              (settings_.StopBits == TWOSTOPBITS ? 2u : 1u);
        const uint64_t baud = settings_.BaudRate == 0 ? 9600 : settings_.BaudRate;
        return static_cast<int>((Count * bits * 1000 + baud - 1) / baud);
    }

    // Receives what the server sends until Deadline, at least until one byte arrives; data goes
    // to the input queue, option answers straight back.
    ReceiveStatus receive(Clock::time_point Deadline)
    {
        if (lost_)
            return ReceiveStatus::Closed;
        const auto now = Clock::now();
        const int left =
            now >= Deadline ? 0 : static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(Deadline - now).count());
        std::size_t got = 0;
        const ReceiveStatus status = socket_->Receive(buffer_, sizeof buffer_, got, left);
        if (status == ReceiveStatus::Data)
            take(got);
        return status;
    }

    // The replies taken within the moment a report may lag behind its bytes: a first report may
    // concern any of them, however fast they followed each other (at least the last one).
    int repliesTakenLately() const
    {
        const auto since = Clock::now() - std::chrono::milliseconds(LateLineStateMs);
        const std::size_t known = std::min<std::size_t>(takes_, takenAt_.size());
        int count = 0;
        while (static_cast<std::size_t>(count) < known && takenAt_[(takes_ - 1 - count) % takenAt_.size()] >= since)
            ++count;
        return std::max(count, 1);
    }

    void take(std::size_t Count)
    {
        if (!address_.telnet) {
            keep(buffer_, Count);
            return;
        }
        std::vector<uint8_t> data, reply;
        std::lock_guard<std::mutex> lock(telnetMutex_);
        const bool wasSuspended = telnet_.Suspended();
        const bool notifiedBefore = telnet_.NotifiesLineState();
        std::size_t done = 0;
        if (replyTaken_) {
            // A line error reported before the first byte of the next reply concerns bytes already
            // taken as a good reply.
            for (; done < Count && data.empty(); ++done)
                telnet_.Receive(buffer_ + done, 1, data, reply);
            if (!lateLineError_ && telnet_.HasLineErrors()) {
                lateLineError_ = true;
                earlierReplies_ = repliesTakenLately();
            }
            if (!data.empty())
                replyTaken_ = false;
        }
        telnet_.Receive(buffer_ + done, Count - done, data, reply);
        // The first error a server reports may as well concern the reply taken a moment ago as the
        // one on its way: neither can be trusted (later ones are waited for at each reply's end).
        if (!notifiedBefore && telnet_.NotifiesLineState() &&
            Clock::now() - replyTakenAt_ < std::chrono::milliseconds(LateLineStateMs) && !lateLineError_) {
            lateLineError_ = true;
            earlierReplies_ = repliesTakenLately();
        }
        if (telnet_.Suspended() && !wasSuspended)
            suspendedSince_ = Clock::now();
        suspendedFlag_ = telnet_.Suspended();
        keep(data.data(), data.size());
        if (telnet_.ProtocolFault() && !lost_) {
            lost_ = true;
            protocolFault_ = true;
            return;
        }
        if (!reply.empty() && !socket_->Send(reply.data(), reply.size()))
            lost_ = true;
    }

    // Data for the exchange, up to what one can use; the rest is dropped and counted.
    void keep(const uint8_t* Data, std::size_t Count)
    {
        const std::size_t room = MaxPendingInput > input_.size() ? MaxPendingInput - input_.size() : 0;
        const std::size_t kept = Count < room ? Count : room;
        input_.insert(input_.end(), Data, Data + kept);
        dropped_ += Count - kept;
    }

    bool suspended_() const { return suspendedFlag_; }

    // Serves the connection until Done() or for at most Milliseconds; false when it broke (lost_)
    // or the port is closing.
    template <typename Condition>
    bool awaitServer(Condition Done, int Milliseconds)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(Milliseconds);
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(telnetMutex_);
                if (Done())
                    return true;
            }
            if (Clock::now() >= deadline)
                return true;
            const ReceiveStatus status = receive(deadline);
            if (status == ReceiveStatus::Interrupted)
                return false;
            if (status == ReceiveStatus::Closed || status == ReceiveStatus::Failed) {
                lost_ = true;
                return false;
            }
        }
    }

    // Settings go ahead of the bytes meant for the line at them: a request is sent only once the
    // server confirms it has set its line (or has shown that it never confirms).
    bool untrusted()
    {
        return fail(EIO, "the server at " + socket_->LastAddress() +
                             " reported a line error after the reply it concerned had been taken; "
                             "the values read cannot be trusted");
    }

    bool awaitSettings()
    {
        if (lost_)
            return lost();
        if (untrusted_)
            return untrusted();
        if (!address_.telnet)
            return true;
        if (!awaitServer([&] { return telnet_.Unacknowledged() == 0; }, ServerAnswerMs))
            return lost_ ? lost() : fail(ECANCELED, "closing");
        // Nothing is sent while the server holds our sending back.
        if (!awaitServer([&] { return !telnet_.Suspended(); }, SuspendLimitMs))
            return lost_ ? lost() : fail(ECANCELED, "closing");
        std::unique_lock<std::mutex> lock(telnetMutex_);
        if (telnet_.Unacknowledged() != 0) {
            // A server that never confirms keeps its own settings, as far as anyone can tell: from
            // now on the line is treated as one whose settings are fixed at the server.
            serverIgnoresAcks_ = true;
            telnet_.ForgetAcknowledgements();
            return true;
        }
        // A rate the server cannot set fails every request at it, not only the first.
        const uint32_t confirmed = telnet_.ConfirmedBaudRate();
        if (confirmed != 0 && confirmed != settings_.BaudRate) {
            const uint32_t asked = settings_.BaudRate;
            lock.unlock();
            return fail(EINVAL, "the server at " + socket_->LastAddress() + " set " + std::to_string(confirmed) +
                                    " baud when asked for " + std::to_string(asked) + " baud");
        }
        return true;
    }

    bool connectFailed()
    {
        const std::string where = socket_->LastAddress();
        switch (socket_->LastConnectFailure()) {
        case ConnectFailure::NameNotFound:
            return fail(socket_->LastError(), "the host name \"" + address_.host + "\" does not resolve (" +
                                                  socket_->LastErrorText() + ")");
        case ConnectFailure::Refused:
            return fail(socket_->LastError(), "connection refused by " + where +
                                                  ": nothing listens there (is the device server running, and "
                                                  "is the port number right?)");
        case ConnectFailure::NoAnswer:
            return fail(socket_->LastError(), "no answer from " + where + " within " +
                                                  std::to_string(ConnectTimeoutMs / 1000) +
                                                  " s (is the address right and the server on the network?)");
        default:
            return fail(socket_->LastError(), "cannot connect to " + where + ": " + socket_->LastErrorText());
        }
    }

    // Reported as a lost line, once per call, with the error every caller checks for.
    bool lost()
    {
        lost_ = true;
        if (protocolFault_)
            return fail(ConnectionLostError(),
                        "the server at " + socket_->LastAddress() +
                            " broke the Telnet protocol (a subnegotiation longer than " +
                            std::to_string(ComPortTelnet::MaxSubnegotiation) + " bytes); the connection was closed");
        return fail(ConnectionLostError(), "the connection to " + socket_->LastAddress() + " was lost");
    }

    bool fail(uint32_t Error, const std::string& Text) { return error_.Set(Error, name_ + ": " + Text); }

    std::string name_;
    std::string serverWords_; // what a server that turned the connection away sent
    NetworkAddress address_;
    std::unique_ptr<NetworkSocket> socket_;
    std::mutex telnetMutex_; // the protocol state and the sending side: settings come from any thread
    ComPortTelnet telnet_;
    LineSettings settings_;
    bool settingsSet_ = false;
    bool fixedTold_ = false;
    bool serverIgnoresAcks_ = false;
    bool protocolFault_ = false;
    bool replyTaken_ = false;    // a reply was taken as good and no byte of the next has come
    bool lateLineError_ = false; // a line error was reported for it after that
    bool waitedAtTake_ = false;  // the last reply was taken after waiting for a late report
    bool untrusted_ = false;     // such an error was found: every later call fails
    Clock::time_point replyTakenAt_{};
    // When the latest replies were taken (a ring), and how many of them a late report may concern.
    std::array<Clock::time_point, 255> takenAt_{};
    std::size_t takes_ = 0;
    int earlierReplies_ = 1;
    std::atomic<bool> lost_{false};
    std::atomic<bool> suspendedFlag_{false};
    Clock::time_point suspendedSince_{};
    uint64_t dropped_ = 0; // bytes beyond what an exchange can use
    int readTimeout_ = 0;
    int requestLineMs_ = 0; // the last request's time on the server's line, not yet waited for
    uint8_t buffer_[512]{};
    std::deque<uint8_t> input_;
    ErrorRecord error_;
};

} // namespace

bool IsNetworkLineName(const std::string& Name)
{
    return startsWithFold(Name, Rfc2217Scheme) || startsWithFold(Name, TcpScheme);
}

bool IsRawNetworkLineName(const std::string& Name)
{
    return startsWithFold(Name, TcpScheme);
}

std::shared_ptr<SerialLine> CreateNetworkLine()
{
    return std::make_shared<NetworkSerialLine>();
}

std::shared_ptr<SerialLine> CreateSerialLineFor(const std::string& Name)
{
    return IsNetworkLineName(Name) ? CreateNetworkLine() : CreatePlatformSerialLine();
}

bool IsConnectionLostError(uint32_t ErrorNumber)
{
    return ErrorNumber == ConnectionLostError();
}

} // namespace zbserial
