// The Telnet side of a network line on scripted byte streams: what the server sends, what reaches
// the line as data, what is answered, and what the server is taken to have agreed.
#include "comm/serial/ComPortTelnet.h"
#include "comm/ZBTypes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zbserial {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr uint8_t ECHO = 1, SGA = 3, COM = 44, LINEMODE = 34;

struct Case {
    const char* what;
    Bytes server;            // what the server sends after the greeting
    Bytes data;              // what the line reads
    Bytes reply;             // what the client answers at once
    ComPortTelnet::Answer comPort;
    uint32_t lineErrors;
};

const Case cases[] = {
    {"plain data passes", {'s', 'c', ' ', '0', 13, 10}, {'s', 'c', ' ', '0', 13, 10}, {}, ComPortTelnet::Answer::Pending, 0},
    {"a doubled IAC is one data byte", {1, IAC, IAC, 2}, {1, IAC, 2}, {}, ComPortTelnet::Answer::Pending, 0},
    {"the server agrees", {IAC, DO, COM, IAC, WILL, 0, IAC, DO, 0, IAC, DO, SGA, IAC, WILL, SGA}, {}, {},
     ComPortTelnet::Answer::Agreed, 0},
    {"the server refuses", {IAC, DONT, COM, 'x'}, {'x'}, {}, ComPortTelnet::Answer::Refused, 0},
    {"an option we do not offer is declined once",
     {IAC, DO, LINEMODE, IAC, WILL, ECHO, IAC, WONT, ECHO, IAC, DONT, LINEMODE},
     {},
     {IAC, WONT, LINEMODE, IAC, DONT, ECHO},
     ComPortTelnet::Answer::Pending,
     0},
    {"line-state errors become line-error flags",
     {IAC, DO, COM, IAC, SB, COM, 106, 0x10 | 0x08 | 0x04 | 0x02 | 0x60, IAC, SE},
     {},
     {},
     ComPortTelnet::Answer::Agreed,
     ceBreak | ceFrame | ceRxParity | ceOverrun},
    {"a line state without errors is no error", {IAC, SB, COM, 106, 0x60, IAC, SE, 'a'}, {'a'}, {},
     ComPortTelnet::Answer::Pending, 0},
    {"modem states and a signature carry nothing",
     {IAC, SB, COM, 107, 0xB0, IAC, SE, IAC, SB, COM, 100, 'x', IAC, IAC, 'y', IAC, SE, 'z'},
     {'z'},
     {},
     ComPortTelnet::Answer::Pending,
     0},
    {"a broken subnegotiation does not swallow the data after it", {IAC, SB, COM, 106, 0x08, IAC, 'q', 'r'}, {'r'}, {},
     ComPortTelnet::Answer::Pending, 0},
    {"no-operation and go-ahead carry nothing", {IAC, 241, 'a', IAC, 249, 'b'}, {'a', 'b'}, {},
     ComPortTelnet::Answer::Pending, 0},
};

TEST(ComPortTelnet, ServerStreams)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Whole, and byte by byte: a TCP segment may end anywhere in a command.
        for (bool split : {false, true}) {
            ComPortTelnet telnet;
            telnet.Greeting();
            Bytes data, reply;
            if (split) {
                for (uint8_t b : c.server)
                    telnet.Receive(&b, 1, data, reply);
            } else {
                telnet.Receive(c.server.data(), c.server.size(), data, reply);
            }
            EXPECT_EQ(data, c.data);
            EXPECT_EQ(reply, c.reply);
            EXPECT_EQ(telnet.ComPort(), c.comPort);
            EXPECT_EQ(telnet.TakeLineErrors(), c.lineErrors);
            EXPECT_EQ(telnet.TakeLineErrors(), 0u);
        }
    }
}

TEST(ComPortTelnet, GreetingOffersComPortAndBinaryBothWays)
{
    ComPortTelnet telnet;
    EXPECT_EQ(telnet.Greeting(), (Bytes{IAC, WILL, COM, IAC, WILL, 0, IAC, DO, 0, IAC, WILL, SGA, IAC, DO, SGA}));
}

TEST(ComPortTelnet, SettingsAreSentOnceAgreedAndCountedUntilConfirmed)
{
    ComPortTelnet telnet;
    Bytes data, reply;
    // Before the server agreed nothing can be set.
    EXPECT_TRUE(telnet.SetLine(LineSettings{19200, 8, EVENPARITY, TWOSTOPBITS}).empty());
    EXPECT_TRUE(telnet.PurgeBuffers().empty());

    const Bytes agree{IAC, DO, COM};
    telnet.Receive(agree.data(), agree.size(), data, reply);
    // 19200 = 00 00 4B 00; even parity is 3, two stop bits 2; the line-state mask goes first, once.
    const Bytes first = telnet.SetLine(LineSettings{19200, 7, EVENPARITY, TWOSTOPBITS});
    EXPECT_EQ(first, (Bytes{IAC, SB, COM, 10, 0x1E, IAC, SE, IAC, SB, COM, 1, 0, 0, 0x4B, 0, IAC, SE, IAC, SB, COM, 2, 7,
                            IAC, SE, IAC, SB, COM, 3, 3, IAC, SE, IAC, SB, COM, 4, 2, IAC, SE}));
    EXPECT_EQ(telnet.Unacknowledged(), 4);
    // A rate with FFh in it is escaped inside the subnegotiation: 65535 = 00 00 FF FF.
    const Bytes second = telnet.SetLine(LineSettings{65535, 8, ODDPARITY, ONESTOPBIT});
    EXPECT_EQ(Bytes(second.begin(), second.begin() + 10), (Bytes{IAC, SB, COM, 1, 0, 0, IAC, IAC, IAC, IAC}));
    EXPECT_EQ(Bytes(second.begin() + 12, second.end()),
              (Bytes{IAC, SB, COM, 2, 8, IAC, SE, IAC, SB, COM, 3, 2, IAC, SE, IAC, SB, COM, 4, 1, IAC, SE}));
    EXPECT_EQ(telnet.Unacknowledged(), 8);

    // The server confirms in its own order, a purge confirmation in between counts for nothing.
    const Bytes confirmations{IAC, SB, COM, 112, 3, IAC, SE, IAC, SB, COM, 104, 2, IAC, SE, IAC, SB, COM, 101, 0, 0, 0x4B,
                              0, IAC, SE, IAC, SB, COM, 102, 7, IAC, SE, IAC, SB, COM, 103, 3, IAC, SE};
    telnet.Receive(confirmations.data(), confirmations.size(), data, reply);
    EXPECT_EQ(telnet.Unacknowledged(), 4);
    telnet.ForgetAcknowledgements();
    EXPECT_EQ(telnet.Unacknowledged(), 0);
    // Surplus confirmations never count below nothing.
    telnet.Receive(confirmations.data(), confirmations.size(), data, reply);
    EXPECT_EQ(telnet.Unacknowledged(), 0);
    EXPECT_TRUE(data.empty());
    EXPECT_TRUE(reply.empty());

    EXPECT_EQ(telnet.PurgeBuffers(), (Bytes{IAC, SB, COM, 12, 3, IAC, SE}));
    // A refusal later ends all waiting for confirmations.
    telnet.SetLine(LineSettings{9600, 8, NOPARITY, ONESTOPBIT});
    const Bytes refuse{IAC, DONT, COM};
    telnet.Receive(refuse.data(), refuse.size(), data, reply);
    EXPECT_EQ(telnet.Unacknowledged(), 0);
    EXPECT_TRUE(telnet.SetLine(LineSettings{9600, 8, NOPARITY, ONESTOPBIT}).empty());
}

TEST(ComPortTelnet, AServerRefusingBinaryOrOverrunningASubnegotiationIsHandled)
{
    ComPortTelnet telnet;
    Bytes data, reply;
    // Refused both ways: its CR NUL is one CR, ours gains the NUL; IAC stays doubled.
    const Bytes refuse{IAC, WONT, 0, IAC, DONT, 0, 'a', 13, 0, 'b', 13};
    telnet.Receive(refuse.data(), refuse.size(), data, reply);
    const Bytes tail{0, 10};
    telnet.Receive(tail.data(), tail.size(), data, reply);
    EXPECT_EQ(data, (Bytes{'a', 13, 'b', 13, 10}));
    Bytes out;
    const Bytes request{'s', 'c', IAC, 13};
    telnet.AppendLineData(request.data(), request.size(), out);
    EXPECT_EQ(out, (Bytes{'s', 'c', IAC, IAC, 13, 0}));
    EXPECT_FALSE(telnet.ProtocolFault());

    // A subnegotiation may be as long as any value of the option, not without end.
    Bytes endless{IAC, SB, COM, 106};
    endless.resize(ComPortTelnet::MaxSubnegotiation - 1, 'A');
    telnet.Receive(endless.data(), endless.size(), data, reply);
    EXPECT_FALSE(telnet.ProtocolFault());
    const Bytes more(100, 'A');
    telnet.Receive(more.data(), more.size(), data, reply);
    EXPECT_TRUE(telnet.ProtocolFault());
}

TEST(ComPortTelnet, DataBytesAreEscaped)
{
    Bytes out;
    const Bytes data{'w', IAC, 0, IAC, IAC};
    ComPortTelnet::AppendData(data.data(), data.size(), out);
    EXPECT_EQ(out, (Bytes{'w', IAC, IAC, 0, IAC, IAC, IAC, IAC}));
}

} // namespace
} // namespace zbserial
