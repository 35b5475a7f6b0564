// A bare serial client for the simulator tests: opens the pseudo-terminal slave raw, writes
// requests and reads replies with poll and a time-out. Deliberately independent of the
// project's serial library, so the simulator is proven on its own.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace km4x::test {

using namespace std::chrono_literals;

class PtyClient {
public:
    explicit PtyClient(const std::string& path, int baud = 38400, int stopBits = 1);
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    bool setLine(int baud, int stopBits);
    void close();

    // Writes text followed by CR.
    bool send(const std::string& text);
    // Writes the bytes as they are.
    bool sendRaw(const std::string& bytes);
    // Reads until the bytes received end with CR LF, or until the time-out.
    std::string readReply(std::chrono::milliseconds timeout = 3000ms);
    // Reads until `count` bytes have arrived or the time-out.
    std::string readBytes(size_t count, std::chrono::milliseconds timeout = 3000ms);
    // Everything that arrives within `window`.
    std::string readFor(std::chrono::milliseconds window);
    // send() then readReply().
    std::string request(const std::string& text, std::chrono::milliseconds timeout = 3000ms);

    // True when the line hangs up (POLLHUP, read 0 or EIO) within the time-out.
    bool waitForHangUp(std::chrono::milliseconds timeout = 3000ms);

private:
    // Reads while wanted(what has arrived) asks for more bytes, at most the time-out long and
    // never more than it asks for, so nothing beyond is taken off the line.
    std::string readWhile(std::chrono::milliseconds timeout,
                          const std::function<size_t(const std::string& got)>& wanted);

    int m_fd = -1;
};

} // namespace km4x::test
