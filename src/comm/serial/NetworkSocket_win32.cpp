// Winsock: the socket signals an event (WSAEventSelect), waited on together with a wake event, so
// a closing port ends a wait at once.

#include "comm/serial/NetworkSocket.h"

#include "comm/ZBPlatform.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <windows.h>

namespace zbserial {
namespace {

using Clock = std::chrono::steady_clock;

DWORD millisecondsLeft(Clock::time_point Deadline)
{
    const auto now = Clock::now();
    return now >= Deadline ? 0 : static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(Deadline - now).count());
}

bool startWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

class Win32NetworkSocket : public NetworkSocket {
public:
    Win32NetworkSocket() : wake_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), event_(WSACreateEvent()) {}

    ~Win32NetworkSocket() override
    {
        Close();
        if (wake_ != nullptr)
            CloseHandle(wake_);
        if (event_ != WSA_INVALID_EVENT)
            WSACloseEvent(event_);
    }

    bool Connect(const std::string& Host, uint16_t Port, int TimeoutMs) override
    {
        Close();
        address_ = Host + " port " + std::to_string(Port);
        if (!startWinsock() || wake_ == nullptr || event_ == WSA_INVALID_EVENT)
            return fail(WSAGetLastError(), ConnectFailure::Other);
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* found = nullptr;
        const int resolved = getaddrinfo(Host.c_str(), std::to_string(Port).c_str(), &hints, &found);
        if (resolved != 0)
            return fail(static_cast<DWORD>(resolved), ConnectFailure::NameNotFound);
        const auto deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
        bool ok = false;
        for (addrinfo* a = found; a && !ok; a = a->ai_next)
            ok = tryAddress(*a, deadline);
        freeaddrinfo(found);
        return ok;
    }

    bool Send(const uint8_t* Data, std::size_t Count) override
    {
        std::size_t done = 0;
        while (done < Count) {
            if (interrupted_.load())
                return fail(ERROR_OPERATION_ABORTED);
            const int n = ::send(socket_, reinterpret_cast<const char*>(Data + done), static_cast<int>(Count - done), 0);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK)
                return fail(error);
            if (wait(FD_WRITE | FD_CLOSE, WSA_INFINITE) == WaitResult::Interrupted)
                return fail(ERROR_OPERATION_ABORTED);
        }
        return true;
    }

    ReceiveStatus Receive(uint8_t* Buffer, std::size_t Size, std::size_t& Got, int TimeoutMs) override
    {
        Got = 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
        for (;;) {
            if (interrupted_.load())
                return ReceiveStatus::Interrupted;
            const int n = ::recv(socket_, reinterpret_cast<char*>(Buffer), static_cast<int>(Size), 0);
            if (n > 0) {
                Got = static_cast<std::size_t>(n);
                return ReceiveStatus::Data;
            }
            if (n == 0)
                return ReceiveStatus::Closed;
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK) {
                fail(error);
                return ReceiveStatus::Failed;
            }
            const DWORD left = millisecondsLeft(deadline);
            if (left == 0)
                return ReceiveStatus::Timeout;
            const WaitResult waited = wait(FD_READ | FD_CLOSE, left);
            if (waited == WaitResult::Interrupted)
                return ReceiveStatus::Interrupted;
            if (waited == WaitResult::Failed) {
                fail(WSAGetLastError());
                return ReceiveStatus::Failed;
            }
        }
    }

    void Interrupt() override
    {
        interrupted_.store(true);
        if (wake_ != nullptr)
            SetEvent(wake_);
    }

    void Close() override
    {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

private:
    enum class WaitResult { Ready, Timeout, Interrupted, Failed };

    // The socket's network events are selected anew before each wait, so an event that was
    // consumed by an earlier wait cannot be missed.
    WaitResult wait(long Events, DWORD Milliseconds)
    {
        if (WSAEventSelect(socket_, event_, Events) != 0)
            return WaitResult::Failed;
        HANDLE handles[2] = {event_, wake_};
        const DWORD waited = WSAWaitForMultipleEvents(2, handles, FALSE, Milliseconds, FALSE);
        WSANETWORKEVENTS happened{};
        WSAEnumNetworkEvents(socket_, event_, &happened);
        if (waited == WSA_WAIT_EVENT_0 + 1 || interrupted_.load())
            return WaitResult::Interrupted;
        if (waited == WSA_WAIT_TIMEOUT)
            return WaitResult::Timeout;
        return waited == WSA_WAIT_FAILED ? WaitResult::Failed : WaitResult::Ready;
    }

    bool tryAddress(const addrinfo& Address, Clock::time_point Deadline)
    {
        char host[NI_MAXHOST] = "";
        char service[NI_MAXSERV] = "";
        if (getnameinfo(Address.ai_addr, static_cast<socklen_t>(Address.ai_addrlen), host, sizeof host, service,
                        sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) == 0)
            address_ = std::string(host) + " port " + service;
        socket_ = ::socket(Address.ai_family, Address.ai_socktype, Address.ai_protocol);
        if (socket_ == INVALID_SOCKET)
            return fail(WSAGetLastError(), ConnectFailure::Other);
        // Requests and replies are a few bytes each: they must leave at once, not wait for more.
        const BOOL on = TRUE;
        setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        setsockopt(socket_, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
        u_long nonBlocking = 1;
        ioctlsocket(socket_, FIONBIO, &nonBlocking);
        int error = 0;
        if (::connect(socket_, Address.ai_addr, static_cast<int>(Address.ai_addrlen)) != 0) {
            error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK) {
                error = 0;
                if (WSAEventSelect(socket_, event_, FD_CONNECT) != 0) {
                    error = WSAGetLastError();
                } else {
                    HANDLE handles[2] = {event_, wake_};
                    const DWORD waited = WSAWaitForMultipleEvents(2, handles, FALSE, millisecondsLeft(Deadline), FALSE);
                    WSANETWORKEVENTS happened{};
                    WSAEnumNetworkEvents(socket_, event_, &happened);
                    if (waited == WSA_WAIT_TIMEOUT)
                        error = WSAETIMEDOUT;
                    else if (waited != WSA_WAIT_EVENT_0)
                        error = ERROR_OPERATION_ABORTED;
                    else if (happened.lNetworkEvents & FD_CONNECT)
                        error = happened.iErrorCode[FD_CONNECT_BIT];
                }
            }
        }
        if (error != 0) {
            Close();
            return fail(error, error == WSAECONNREFUSED ? ConnectFailure::Refused
                               : error == WSAETIMEDOUT  ? ConnectFailure::NoAnswer
                                                        : ConnectFailure::Other);
        }
        return true;
    }

    SOCKET socket_ = INVALID_SOCKET;
    HANDLE wake_;
    WSAEVENT event_;
    std::atomic<bool> interrupted_{false};
};

} // namespace

std::unique_ptr<NetworkSocket> CreateNetworkSocket()
{
    return std::make_unique<Win32NetworkSocket>();
}

uint32_t ConnectionLostError()
{
    return WSAECONNRESET;
}

} // namespace zbserial
