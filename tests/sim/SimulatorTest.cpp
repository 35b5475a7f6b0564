// The simulator end to end over a pseudo-terminal: what a client on the line sees.
#include "PtyClient.h"
#include "Simulator.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

namespace km4x::test {
namespace {

constexpr auto LogWait = 3000ms;

SimulatorOptions TwoUnits()
{
    SimulatorOptions options;
    UnitConfig a;
    a.number = 0;
    a.line = {38400, Parity::Even, 8, 1};
    UnitConfig b;
    b.number = 5;
    b.line = {19200, Parity::None, 8, 2};
    b.typeText = "KM41 V1.00";
    options.units = {a, b};
    return options;
}

TEST(Simulator, AnswersEveryCommandWithEchoBlankAnswerCrLf)
{
    Simulator sim;
    PtyClient client(sim.devicePath());
    ASSERT_TRUE(client.isOpen());
    sim.setParameter(0, 17, -120);
    sim.setSetpoint(0, 48, 777);
    sim.setErrorNumber(0, 12);

    const struct {
        const char* request;
        const char* reply;
    } exact[] = {
        {"sc 0", "sc 0\r\n"},
        {"rt", "rt KM40 V2.31\r\n"},
        {"rh", "rh SW 2.31 2021-03-15\r\n"},
        {"rx", "rx SN 004700\r\n"},
        {"rd 3", "rd 3 3000\r\n"},
        {"ri", "ri 65\r\n"},
        {"ru", "ru 5\r\n"},
        {"ra", "ra 4660\r\n"},
        {"rb", "rb 22136\r\n"},
        {"rf", "rf 12\r\n"},
        {"wf", "wf -1\r\n"},
        {"rf", "rf -1\r\n"},
        {"rp 17", "rp 17 -120\r\n"},
        {"rs 48", "rs 48 777\r\n"},
        {"wp 12 -5", "wp 12 -5\r\n"},
        {"rp 12", "rp 12 -5\r\n"},
        {"ws 1 250", "ws 1 250\r\n"},
        {"rs 1", "rs 1 250\r\n"},
        {"bp", "bp -1\r\n"},
        {"kr 2042", "kr 2042 -3\r\n"},
        {"km 1", "km 1\r\n"},
        {"kf 2", "kf 2\r\n"},
        {"ka -100000", "ka -100000\r\n"},
        {"kw 2042 12", "kw 2042 12\r\n"},
        {"ks", "ks -1\r\n"},
        {"km 0", "km 0\r\n"},
    };
    for (const auto& step : exact)
        EXPECT_EQ(client.request(step.request), step.reply) << step.request;

    for (const char* live : {"r0", "r1", "r2", "r3", "r8"}) {
        const std::string reply = client.request(live);
        ASSERT_GE(reply.size(), 6u) << live;
        EXPECT_EQ(reply.substr(0, 3), std::string(live) + " ");
        EXPECT_EQ(reply.substr(reply.size() - 2), "\r\n");
        EXPECT_TRUE(ParseInt32(reply.substr(3, reply.size() - 5))) << reply;
    }
    EXPECT_EQ(sim.parameter(0, 12), -5);
    EXPECT_EQ(sim.setpoint(0, 1), 250);
}

} // namespace
} // namespace km4x::test
