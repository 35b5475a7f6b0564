// The network line against a scripted server on the loopback: a server that agrees to the COM port
// option but never confirms a setting (the line must not stall on it, nor believe it set), data
// with IAC bytes both ways, a closing port that ends a waiting read, and a connection the server
// drops.
#include "comm/serial/ComPortTelnet.h"
#include "comm/serial/NetworkLine.h"
#include "comm/ZBPlatform.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace zbserial {
namespace {

constexpr uint8_t IAC = 255, DO = 253, COM_PORT = 44;

// Accepts one client, agrees to the COM port option, never confirms anything, and answers every
// data byte with the byte itself; ends the connection when told.
class SilentConfirmServer {
public:
    SilentConfirmServer()
    {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 1);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~SilentConfirmServer()
    {
        Drop();
        thread_.join();
        close(listener_);
    }
    std::string Url() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }
    // Ends the connection as a server that goes away does.
    void Drop()
    {
        if (!dropped_.exchange(true) && client_ >= 0)
            shutdown(client_, SHUT_RDWR);
    }

private:
    void serve()
    {
        client_ = accept(listener_, nullptr, nullptr);
        if (client_ < 0)
            return;
        const uint8_t agree[] = {IAC, DO, COM_PORT};
        send(client_, agree, sizeof agree, MSG_NOSIGNAL);
        ComPortTelnet decoder; // the client's settings arrive as subnegotiations it skips
        uint8_t buffer[256];
        for (;;) {
            const ssize_t n = recv(client_, buffer, sizeof buffer, 0);
            if (n <= 0 || dropped_)
                break;
            std::vector<uint8_t> data, reply, echo;
            decoder.Receive(buffer, static_cast<std::size_t>(n), data, reply);
            ComPortTelnet::AppendData(data.data(), data.size(), echo);
            send(client_, echo.data(), echo.size(), MSG_NOSIGNAL);
        }
        close(client_);
    }

    int listener_ = -1;
    std::atomic<int> client_{-1};
    uint16_t port_ = 0;
    std::atomic<bool> dropped_{false};
    std::thread thread_;
};

std::vector<uint8_t> readAll(SerialLine& line, std::size_t count)
{
    std::vector<uint8_t> got;
    uint8_t byte = 0;
    while (got.size() < count && line.ReadByte(byte) == ReadStatus::Byte)
        got.push_back(byte);
    return got;
}

TEST(NetworkLine, AServerThatNeverConfirmsKeepsItsOwnSettingsWithoutStallingTheLine)
{
    SilentConfirmServer server;
    const auto line = CreateSerialLineFor(server.Url());
    ASSERT_TRUE(line->Open(server.Url())) << line->LastErrorText();
    line->SetReadTimeout(5000);

    // The setting at opening is waited for once; then every request goes out at once and is
    // answered, IAC bytes intact both ways. Waiting for the confirmation again would cost a second
    // per request.
    ASSERT_TRUE(line->SetSettings(LineSettings{19200, 8, EVENPARITY, ONESTOPBIT}));
    const std::vector<uint8_t> request{'r', 'p', IAC, 0, '\r'};
    const auto send = [&] {
        ASSERT_TRUE(line->Purge()) << line->LastErrorText();
        ASSERT_TRUE(line->Write(request.data(), request.size())) << line->LastErrorText();
        ASSERT_TRUE(line->Drain());
        EXPECT_EQ(readAll(*line, request.size()), request);
    };
    send();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i)
        send();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));

    // Its line keeps what it had: another rate is said once, not taken as set.
    EXPECT_FALSE(line->SetSettings(LineSettings{57600, 8, EVENPARITY, ONESTOPBIT}));
    EXPECT_NE(line->LastErrorText().find("does not confirm"), std::string::npos) << line->LastErrorText();
    EXPECT_TRUE(line->SetSettings(LineSettings{9600, 8, EVENPARITY, ONESTOPBIT}));
    send();

    // A closing port ends a waiting read at once, whatever its time-out.
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        line->Interrupt();
    });
    uint8_t byte = 0;
    EXPECT_EQ(line->ReadByte(byte), ReadStatus::Interrupted);
    closer.join();
}

TEST(NetworkLine, ADroppedConnectionFailsTheReadAsALostLineOnce)
{
    SilentConfirmServer server;
    const auto line = CreateNetworkLine();
    ASSERT_TRUE(line->Open(server.Url())) << line->LastErrorText();
    line->SetReadTimeout(5000);
    server.Drop();
    uint8_t byte = 0;
    EXPECT_EQ(line->ReadByte(byte), ReadStatus::Failed);
    EXPECT_TRUE(IsConnectionLostError(line->LastError()));
    EXPECT_TRUE(IsDeviceGoneError(line->LastError()));
    EXPECT_NE(line->LastErrorText().find("was lost"), std::string::npos) << line->LastErrorText();
    EXPECT_NE(line->LastErrorText().find(server.Url()), std::string::npos) << line->LastErrorText();
    // Every later call fails at once, without waiting.
    EXPECT_EQ(line->ReadByte(byte), ReadStatus::Failed);
    const uint8_t request[] = {'s', 'c', '\r'};
    EXPECT_FALSE(line->Write(request, sizeof request));
}

TEST(NetworkLine, NamesAreRecognisedAndMalformedOnesExplained)
{
    EXPECT_TRUE(IsNetworkLineName("rfc2217://10.0.0.5:4001"));
    EXPECT_TRUE(IsNetworkLineName("TCP://[::1]:4002"));
    EXPECT_TRUE(IsRawNetworkLineName("tcp://host:1"));
    EXPECT_FALSE(IsRawNetworkLineName("rfc2217://host:1"));
    EXPECT_FALSE(IsNetworkLineName("/dev/ttyUSB0"));
    EXPECT_FALSE(IsNetworkLineName("COM3"));
    for (const char* bad : {"rfc2217://host", "rfc2217://host:", "rfc2217://:4001", "tcp://host:0", "tcp://host:65536",
                            "tcp://host:40x1"}) {
        const auto line = CreateNetworkLine();
        EXPECT_FALSE(line->Open(bad)) << bad;
        EXPECT_NE(line->LastErrorText().find("rfc2217://HOST:PORT"), std::string::npos) << line->LastErrorText();
    }
}

} // namespace
} // namespace zbserial
