// POSIX sockets: non-blocking, waited on with poll together with an event descriptor that
// Interrupt signals.

#include "comm/serial/NetworkSocket.h"

#include "comm/ZBPlatform.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zbserial {
namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point Deadline)
{
    const auto now = Clock::now();
    return now >= Deadline ? 0 : static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(Deadline - now).count());
}

class PosixNetworkSocket : public NetworkSocket {
public:
    PosixNetworkSocket() : wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

    ~PosixNetworkSocket() override
    {
        Close();
        if (wake_ >= 0)
            ::close(wake_);
    }

    bool Connect(const std::string& Host, uint16_t Port, int TimeoutMs) override
    {
        Close();
        if (wake_ < 0)
            return fail(EMFILE, ConnectFailure::Other);
        address_ = Host + " port " + std::to_string(Port);
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int resolved = getaddrinfo(Host.c_str(), std::to_string(Port).c_str(), &hints, &found);
        if (resolved != 0) {
            const int error = resolved == EAI_SYSTEM ? errno : EHOSTUNREACH;
            return failResolving(static_cast<uint32_t>(error), gai_strerror(resolved));
        }
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
                return fail(ECANCELED);
            const ssize_t n = ::send(fd_, Data + done, Count - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                return fail(errno);
            pollfd fds[2] = {{fd_, POLLOUT, 0}, {wake_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR)
                return fail(errno);
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
            const ssize_t n = ::recv(fd_, Buffer, Size, 0);
            if (n > 0) {
                acknowledgeAtOnce();
                Got = static_cast<std::size_t>(n);
                return ReceiveStatus::Data;
            }
            if (n == 0)
                return ReceiveStatus::Closed;
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                fail(errno);
                return ReceiveStatus::Failed;
            }
            const int left = millisecondsLeft(deadline);
            if (left == 0)
                return ReceiveStatus::Timeout;
            pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
            if (::poll(fds, 2, left) < 0 && errno != EINTR) {
                fail(errno);
                return ReceiveStatus::Failed;
            }
        }
    }

    void Interrupt() override
    {
        interrupted_.store(true);
        if (wake_ >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] ssize_t ignored = ::write(wake_, &one, sizeof one);
        }
    }

    void Close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    // A server that sends a reply in small pieces with Nagle's rule on holds each piece back until
    // the last one is acknowledged; a delayed acknowledgement would then cost some 40 ms per reply.
    // The kernel falls back to delaying after a while, so this is renewed after every read.
    void acknowledgeAtOnce()
    {
#if defined(TCP_QUICKACK)
        const int on = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#endif
    }

    bool tryAddress(const addrinfo& Address, Clock::time_point Deadline)
    {
        char host[NI_MAXHOST] = "";
        char service[NI_MAXSERV] = "";
        if (getnameinfo(Address.ai_addr, Address.ai_addrlen, host, sizeof host, service, sizeof service,
                        NI_NUMERICHOST | NI_NUMERICSERV) == 0)
            address_ = std::string(host) + " port " + service;
        const int fd = ::socket(Address.ai_family, Address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, Address.ai_protocol);
        if (fd < 0)
            return fail(errno, ConnectFailure::Other);
        // Requests and replies are a few bytes each: they must leave at once, not wait for more.
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
        int error = 0;
        if (::connect(fd, Address.ai_addr, Address.ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                pollfd fds[2] = {{fd, POLLOUT, 0}, {wake_, POLLIN, 0}};
                const int ready = ::poll(fds, 2, millisecondsLeft(Deadline));
                socklen_t length = sizeof error;
                if (ready == 0)
                    error = ETIMEDOUT;
                else if (fds[1].revents & POLLIN)
                    error = ECANCELED;
                else if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                    error = errno;
            }
        }
        if (error != 0) {
            ::close(fd);
            return fail(error, error == ECONNREFUSED ? ConnectFailure::Refused
                               : error == ETIMEDOUT  ? ConnectFailure::NoAnswer
                                                     : ConnectFailure::Other);
        }
        fd_ = fd;
        return true;
    }

    int fd_ = -1;
    const int wake_;
    std::atomic<bool> interrupted_{false};
};

} // namespace

std::unique_ptr<NetworkSocket> CreateNetworkSocket()
{
    return std::make_unique<PosixNetworkSocket>();
}

uint32_t ConnectionLostError()
{
    return ECONNRESET;
}

} // namespace zbserial
