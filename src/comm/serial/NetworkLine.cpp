#include "comm/serial/NetworkLine.h"

#include "comm/serial/ComPortTelnet.h"
#include "comm/serial/ErrorRecord.h"
#include "comm/serial/NetworkSocket.h"

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
        return true;
    }

    bool SetSettings(const LineSettings& Settings) override
    {
        std::unique_lock<std::mutex> lock(telnetMutex_);
        const bool first = !settingsSet_;
        settingsSet_ = true;
        const LineSettings before = settings_;
        settings_ = Settings;
        if (telnet_.ComPort() == ComPortTelnet::Answer::Agreed) {
            const std::vector<uint8_t> commands = telnet_.SetLine(Settings);
            if (serverIgnoresAcks_)
                telnet_.ForgetAcknowledgements();
            return socket_->Send(commands.data(), commands.size()) || lost();
        }
        // The server sets nothing: what the port asks for at opening is taken as what the server
        // has; a different setting later is told once, not dropped silently.
        if (first || Settings == before || fixedTold_)
            return true;
        fixedTold_ = true;
        lock.unlock();
        return fail(EINVAL, std::string(address_.telnet ? "the server does not let the line settings be set"
                                                        : "a raw TCP connection cannot set the line settings") +
                                "; the line keeps the server's own settings (" + settingsText(Settings) +
                                " asked for). Use rfc2217:// with a server that offers it.");
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
        for (;;) {
            std::size_t got = 0;
            const ReceiveStatus status = socket_->Receive(buffer_, sizeof buffer_, got, 0);
            if (status == ReceiveStatus::Timeout)
                break;
            if (status != ReceiveStatus::Data)
                return status == ReceiveStatus::Interrupted ? fail(ECANCELED, "closing") : lost();
            take(got);
        }
        const bool stale = !input_.empty();
        input_.clear();
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
        if (!address_.telnet)
            return socket_->Send(Data, Count) || lost();
        std::vector<uint8_t> escaped;
        escaped.reserve(Count + 4);
        ComPortTelnet::AppendData(Data, Count, escaped);
        return socket_->Send(escaped.data(), escaped.size()) || lost();
    }

    // The bytes are with the server once sent; it paces them onto its line.
    bool Drain() override { return !lost_ || lost(); }

    ReadStatus ReadByte(uint8_t& Byte) override
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeout_);
        while (input_.empty()) {
            switch (receive(deadline)) {
            case ReceiveStatus::Data: break;
            case ReceiveStatus::Timeout: return ReadStatus::Timeout;
            case ReceiveStatus::Interrupted: return ReadStatus::Interrupted;
            default: lost(); return ReadStatus::Failed;
            }
        }
        Byte = input_.front();
        input_.pop_front();
        return ReadStatus::Byte;
    }

    bool TakeLineErrors(uint32_t& Flags) override
    {
        std::lock_guard<std::mutex> lock(telnetMutex_);
        Flags = telnet_.TakeLineErrors();
        return true;
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
        serverWords_.clear();
        for (uint8_t b : input_)
            if (b >= 0x20 && b < 0x7F && serverWords_.size() < 120)
                serverWords_ += static_cast<char>(b);
        return Attempt::TurnedAway;
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

    void take(std::size_t Count)
    {
        if (!address_.telnet) {
            input_.insert(input_.end(), buffer_, buffer_ + Count);
            return;
        }
        std::vector<uint8_t> data, reply;
        std::lock_guard<std::mutex> lock(telnetMutex_);
        telnet_.Receive(buffer_, Count, data, reply);
        input_.insert(input_.end(), data.begin(), data.end());
        if (!reply.empty() && !socket_->Send(reply.data(), reply.size()))
            lost_ = true;
    }

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
    bool awaitSettings()
    {
        if (lost_)
            return lost();
        if (!address_.telnet)
            return true;
        if (!awaitServer([&] { return telnet_.Unacknowledged() == 0; }, ServerAnswerMs))
            return lost_ ? lost() : fail(ECANCELED, "closing");
        std::lock_guard<std::mutex> lock(telnetMutex_);
        if (telnet_.Unacknowledged() != 0) {
            serverIgnoresAcks_ = true;
            telnet_.ForgetAcknowledgements();
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
    std::atomic<bool> lost_{false};
    int readTimeout_ = 0;
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
