#include "PtyClient.h"
#include "TermiosSpeed.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace km4x::test {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

PtyClient::PtyClient(const std::string& path, int baud, int stopBits)
{
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd >= 0 && !setLine(baud, stopBits))
        close();
}

PtyClient::~PtyClient()
{
    close();
}

void PtyClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool PtyClient::setLine(int baud, int stopBits)
{
    termios tio{};
    if (tcgetattr(m_fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CREAD | CLOCAL;
    if (stopBits == 2)
        tio.c_cflag |= CSTOPB;
    else
        tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
    cfsetispeed(&tio, TermiosSpeed(baud));
    cfsetospeed(&tio, TermiosSpeed(baud));
    return tcsetattr(m_fd, TCSANOW, &tio) == 0;
}

bool PtyClient::send(const std::string& text)
{
    return sendRaw(text + "\r");
}

bool PtyClient::sendRaw(const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && (errno == EAGAIN || errno == EINTR))
            poll(nullptr, 0, 1);
        else
            return false;
    }
    return true;
}

std::string PtyClient::readWhile(std::chrono::milliseconds timeout,
                                 const std::function<size_t(const std::string& got)>& wanted)
{
    const auto deadline = Clock::now() + timeout;
    std::string got;
    for (size_t more = wanted(got); more > 0; more = wanted(got)) {
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, RemainingMs(deadline)) <= 0 || !(p.revents & POLLIN))
            break;
        char buffer[1024];
        const ssize_t n = ::read(m_fd, buffer, std::min(sizeof buffer, more));
        if (n <= 0)
            break;
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

std::string PtyClient::readReply(std::chrono::milliseconds timeout)
{
    return readWhile(timeout, [](const std::string& got) -> size_t {
        const bool complete = got.size() >= 2 && got.compare(got.size() - 2, 2, "\r\n") == 0;
        return complete ? 0 : SIZE_MAX;
    });
}

std::string PtyClient::readBytes(size_t count, std::chrono::milliseconds timeout)
{
    return readWhile(timeout, [count](const std::string& got) { return count - got.size(); });
}

std::string PtyClient::readFor(std::chrono::milliseconds window)
{
    return readWhile(window, [](const std::string&) { return SIZE_MAX; });
}

std::string PtyClient::request(const std::string& text, std::chrono::milliseconds timeout)
{
    if (!send(text))
        return {};
    return readReply(timeout);
}

bool PtyClient::waitForHangUp(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        pollfd p{m_fd, POLLIN, 0};
        const int ready = poll(&p, 1, RemainingMs(deadline));
        if (ready <= 0)
            return false;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            return true;
        char buffer[256];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno == EIO))
            return true;
    }
}

} // namespace km4x::test
