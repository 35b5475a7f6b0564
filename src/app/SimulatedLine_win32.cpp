// kmt40 --simulate on Windows: one simulated unit answers on a TCP port of the loopback interface,
// served by a thread of the program, and COM1 opens it as a raw network line
// (tcp://127.0.0.1:PORT). Windows has no pseudo-terminal; a loopback port needs no driver, no
// rights and no firewall rule, and nobody outside this machine can reach it.
#include "app/SimulatedLine.h"

#include "comm/PortNames.h"

#include <ControllerUnit.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <windows.h>

namespace {

constexpr size_t MaxRequestLength = 512; // a longer line is dropped, as a controller's buffer would
constexpr long StopCheckMicroseconds = 100000;

// The unit at the far end of the line: cuts the bytes it hears into requests and answers those
// meant for it. A raw network line carries no line settings, so it hears every request.
class UnitOnLine {
public:
    explicit UnitOnLine(int number) : unit_(configOf(number)), number_(number) {}

    // The reply bytes (CR LF after each reply) to the bytes just received.
    std::string Hear(const char* bytes, size_t count)
    {
        std::string replies;
        for (size_t i = 0; i < count; ++i) {
            const char c = bytes[i];
            if (c == '\r') {
                if (!tooLong_)
                    replies += answer(input_);
                input_.clear();
                tooLong_ = false;
            } else if (c == '\n' && input_.empty()) {
                // the LF of a CR LF pair
            } else if (input_.size() < MaxRequestLength) {
                input_.push_back(c);
            } else {
                tooLong_ = true;
            }
        }
        return replies;
    }

    // A new client starts with no half-heard request.
    void Reconnected()
    {
        input_.clear();
        tooLong_ = false;
    }

private:
    static km4x::UnitConfig configOf(int number)
    {
        km4x::UnitConfig config;
        config.number = number;
        return config;
    }

    std::string answer(const std::string& text)
    {
        const std::optional<km4x::Command> command = km4x::ParseCommand(text);
        if (!command)
            return std::string();
        // "sc n" selects unit n; every other unit falls silent until it is selected again.
        if (command->wellFormed && command->letters == "sc") {
            const std::optional<int32_t> wanted = command->args.size() == 1 ? km4x::ParseInt32(command->args[0]) : std::nullopt;
            selected_ = wanted && *wanted == number_;
        }
        if (!selected_)
            return std::string();
        return unit_.answer(*command, km4x::Clock::now()) + "\r\n";
    }

    km4x::ControllerUnit unit_;
    int number_;
    bool selected_ = true;
    std::string input_;
    bool tooLong_ = false;
};

std::string WinsockError(const char* what)
{
    return std::string("--simulate: cannot ") + what + " the simulated controller's loopback port (Windows error "
        + std::to_string(WSAGetLastError()) + ")";
}

bool SendAll(SOCKET socket, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const int n = send(socket, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

struct SimulatedLine::Impl {
    explicit Impl(int unitNo) : unit(unitNo) {}

    UnitOnLine unit;
    SOCKET listener = INVALID_SOCKET;
    SOCKET client = INVALID_SOCKET;
    std::string path;
    std::atomic<bool> stopping{false};
    std::thread thread;
    bool winsockStarted = false;

    void dropClient()
    {
        if (client != INVALID_SOCKET)
            closesocket(client);
        client = INVALID_SOCKET;
    }

    // One client at a time, as on a serial port; the port opened again (a new connection) takes
    // the line over from a connection whose end has not been seen yet.
    void serve()
    {
        while (!stopping.load()) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(listener, &ready);
            if (client != INVALID_SOCKET)
                FD_SET(client, &ready);
            timeval wait{0, StopCheckMicroseconds};
            if (select(0, &ready, nullptr, nullptr, &wait) == SOCKET_ERROR)
                break;
            if (client != INVALID_SOCKET && FD_ISSET(client, &ready)) {
                char bytes[4096];
                const int n = recv(client, bytes, static_cast<int>(sizeof bytes), 0);
                if (n <= 0 || !SendAll(client, unit.Hear(bytes, static_cast<size_t>(n))))
                    dropClient();
            }
            if (FD_ISSET(listener, &ready)) {
                const SOCKET accepted = accept(listener, nullptr, nullptr);
                if (accepted != INVALID_SOCKET) {
                    dropClient();
                    client = accepted;
                    const BOOL noDelay = TRUE;
                    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
                    unit.Reconnected();
                }
            }
        }
        dropClient();
    }

    void closeListener()
    {
        if (listener != INVALID_SOCKET)
            closesocket(listener);
        listener = INVALID_SOCKET;
        if (winsockStarted)
            WSACleanup();
        winsockStarted = false;
    }
};

SimulatedLine::SimulatedLine(const TZBComm&, int unitNo) : impl_(std::make_unique<Impl>(unitNo))
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        throw std::runtime_error("--simulate: Windows sockets are not available");
    impl_->winsockStarted = true;
    impl_->listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0; // a free port, chosen by the system
    int length = sizeof address;
    if (impl_->listener == INVALID_SOCKET
        || bind(impl_->listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR
        || listen(impl_->listener, 1) == SOCKET_ERROR
        || getsockname(impl_->listener, reinterpret_cast<sockaddr*>(&address), &length) == SOCKET_ERROR) {
        const std::string error = WinsockError("open");
        impl_->closeListener();
        throw std::runtime_error(error);
    }
    impl_->path = "tcp://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    impl_->thread = std::thread([impl = impl_.get()] { impl->serve(); });
    SetPortDevicePath(TPort::COM1, impl_->path);
}

SimulatedLine::~SimulatedLine()
{
    SetPortDevicePath(TPort::COM1, std::string());
    impl_->stopping = true;
    impl_->thread.join();
    impl_->closeListener();
}

std::string SimulatedLine::DevicePath() const
{
    return impl_->path;
}

std::string SimulatedLine::Description() const
{
    return "simulated controller on COM1 (" + impl_->path + ")";
}
