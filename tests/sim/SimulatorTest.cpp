// The simulator end to end over a pseudo-terminal: what a client on the line sees.
#include "PtyClient.h"
#include "Simulator.h"

#include <gtest/gtest.h>

#include <mutex>
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

TEST(Simulator, OnlyTheSelectedUnitAnswersAndUnknownUnitsStaySilent)
{
    Simulator sim(TwoUnits());
    EXPECT_EQ(sim.selectedUnits(), std::vector<int>{0}); // the first unit listens from the start
    PtyClient client(sim.devicePath(), 19200, 2);
    ASSERT_TRUE(client.isOpen());

    EXPECT_EQ(client.request("sc 5"), "sc 5\r\n");
    EXPECT_EQ(client.request("rt"), "rt KM41 V1.00\r\n");
    EXPECT_EQ(client.request("rx"), "rx SN 004705\r\n");
    // Unit 0 did not understand 19200,2 and so still thinks itself selected.
    EXPECT_EQ(sim.selectedUnits(), (std::vector<int>{0, 5}));

    // Unit 7 does not exist: nobody answers, and unit 5 no longer listens.
    client.send("sc 7");
    client.send("rt");
    ASSERT_TRUE(sim.waitForRequests(5, LogWait));
    const auto log = sim.requestLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[3].text, "sc 7");
    EXPECT_EQ(log[3].unit, -1);
    EXPECT_FALSE(log[3].answered);
    EXPECT_EQ(log[4].text, "rt");
    EXPECT_FALSE(log[4].answered);
    EXPECT_EQ(sim.selectedUnits(), std::vector<int>{0});
    EXPECT_EQ(client.readFor(100ms), "");

    // Back to unit 0 at its own line settings.
    ASSERT_TRUE(client.setLine(38400, 1));
    EXPECT_EQ(client.request("sc 0"), "sc 0\r\n");
    EXPECT_EQ(client.request("rt"), "rt KM40 V2.31\r\n");
}

TEST(Simulator, UnitIsDeafToAWrongBaudRateOrStopBitCount)
{
    Simulator sim(TwoUnits());
    // The settings are read when a request arrives, so each one waits for the log before the
    // next change (a real client, too, changes settings only between exchanges).
    PtyClient client(sim.devicePath(), 9600, 1); // matches neither unit
    ASSERT_TRUE(client.isOpen());
    client.send("sc 0");
    ASSERT_TRUE(sim.waitForRequests(1, LogWait));
    ASSERT_TRUE(client.setLine(38400, 2)); // unit 0's rate, wrong stop bits
    client.send("sc 0");
    ASSERT_TRUE(sim.waitForRequests(2, LogWait));
    ASSERT_TRUE(client.setLine(19200, 1)); // unit 5's rate, wrong stop bits
    client.send("sc 5");
    ASSERT_TRUE(sim.waitForRequests(3, LogWait));
    const auto log = sim.requestLog();
    for (const RequestRecord& r : log) {
        EXPECT_FALSE(r.answered) << r.text;
        EXPECT_EQ(r.unit, -1);
    }
    EXPECT_EQ(log[0].line.baud, 9600);
    EXPECT_EQ(log[1].line.baud, 38400);
    EXPECT_EQ(log[1].line.stopBits, 2);
    EXPECT_FALSE(log[1].line.parityVisible);
    EXPECT_EQ(client.readFor(100ms), "");
    // Unit 0 never understood a request and so kept its selection.
    EXPECT_EQ(sim.selectedUnits(), std::vector<int>{0});

    ASSERT_TRUE(client.setLine(19200, 2));
    EXPECT_EQ(client.request("sc 5"), "sc 5\r\n");
    // A unit moved to other settings while running follows them.
    ASSERT_TRUE(sim.setLineSettings(5, {57600, Parity::None, 8, 1}));
    client.send("rt");
    ASSERT_TRUE(sim.waitForRequests(5, LogWait));
    EXPECT_FALSE(sim.requestLog().back().answered);
    EXPECT_EQ(client.readFor(100ms), "");
    ASSERT_TRUE(client.setLine(57600, 1));
    EXPECT_EQ(client.request("rt"), "rt KM41 V1.00\r\n");
}

TEST(Simulator, UnitsCanBeAddedAndRemovedWhileRunning)
{
    Simulator sim;
    UnitConfig extra;
    extra.number = 31;
    EXPECT_TRUE(sim.addUnit(extra));
    EXPECT_FALSE(sim.addUnit(extra));      // twice
    extra.number = 32;
    EXPECT_FALSE(sim.addUnit(extra));      // outside 0..31
    EXPECT_EQ(sim.units(), (std::vector<int>{0, 31}));

    PtyClient client(sim.devicePath());
    EXPECT_EQ(client.request("sc 31"), "sc 31\r\n");
    EXPECT_TRUE(sim.removeUnit(31));
    EXPECT_FALSE(sim.removeUnit(31));
    client.send("rt");
    ASSERT_TRUE(sim.waitForRequests(2, LogWait));
    EXPECT_FALSE(sim.requestLog().back().answered);
}

TEST(Simulator, RejectsAnUnusableUnitList)
{
    SimulatorOptions none;
    none.units.clear();
    EXPECT_THROW(Simulator{none}, std::runtime_error);
    SimulatorOptions twice = TwoUnits();
    twice.units[1].number = 0;
    EXPECT_THROW(Simulator{twice}, std::runtime_error);
    SimulatorOptions badDevice;
    badDevice.devicePath = "/nonexistent/ttyS99";
    EXPECT_THROW(Simulator{badDevice}, std::runtime_error);
}

TEST(Simulator, LogsEveryRequestWithTimeUnitAndLine)
{
    Simulator sim;
    std::vector<std::string> observed;
    std::mutex observedMutex;
    sim.setRequestObserver([&](const RequestRecord& r) {
        std::lock_guard lock(observedMutex);
        observed.push_back(r.text);
    });
    PtyClient client(sim.devicePath());
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(client.request("rp 5"), "rp 5 " + std::to_string(*sim.parameter(0, 5)) + "\r\n");
    // A bare CR is logged as an empty request and ignored; CR LF line ends are accepted.
    client.send("");
    ASSERT_TRUE(client.sendRaw("rf\r\n"));
    EXPECT_EQ(client.readReply(), "rf -1\r\n");
    EXPECT_EQ(client.request("  ri  "), "ri 65\r\n");

    ASSERT_TRUE(sim.waitForRequests(4, LogWait));
    EXPECT_EQ(sim.requestCount(), 4u);
    const auto log = sim.requestLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].text, "rp 5");
    EXPECT_EQ(log[1].text, "");
    EXPECT_FALSE(log[1].answered);
    EXPECT_EQ(log[2].text, "rf");
    EXPECT_EQ(log[3].text, "  ri  ");
    EXPECT_GE(log[0].time, before);
    for (size_t i = 1; i < log.size(); ++i)
        EXPECT_GE(log[i].time, log[i - 1].time);
    EXPECT_EQ(log[0].unit, 0);
    EXPECT_TRUE(log[0].answered);
    EXPECT_EQ(log[0].line.baud, 38400);
    {
        std::lock_guard lock(observedMutex);
        EXPECT_EQ(observed, (std::vector<std::string>{"rp 5", "", "rf", "  ri  "}));
    }

    EXPECT_FALSE(sim.waitForRequests(5, 50ms));
    sim.clearLog();
    EXPECT_EQ(sim.requestCount(), 0u);
    EXPECT_TRUE(sim.requestLog().empty());
}

TEST(Simulator, KeepsOnlyTheNewestRecordsButCountsAll)
{
    SimulatorOptions options;
    options.logCapacity = 3;
    Simulator sim(options);
    PtyClient client(sim.devicePath());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(client.request("rp " + std::to_string(i)).substr(0, 2), "rp");
    ASSERT_TRUE(sim.waitForRequests(5, LogWait));
    const auto log = sim.requestLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log.front().text, "rp 2");
    EXPECT_EQ(sim.requestCount(), 5u);
}

TEST(Simulator, DropsAnOverLongRequestLine)
{
    Simulator sim;
    PtyClient client(sim.devicePath());
    client.send(std::string(2000, 'r'));
    ASSERT_TRUE(sim.waitForRequests(1, LogWait));
    const RequestRecord r = sim.requestLog().front();
    EXPECT_FALSE(r.answered);
    EXPECT_LE(r.text.size(), 512u);
    // The line is usable again right after it.
    EXPECT_EQ(client.request("rf"), "rf -1\r\n");
}

TEST(Simulator, AnswersUnknownCommandsAndBadArgumentsWithErrorReplies)
{
    Simulator sim;
    PtyClient client(sim.devicePath());
    EXPECT_EQ(client.request("zz"), "er 1\r\n");
    EXPECT_EQ(client.request("RT"), "er 1\r\n");
    EXPECT_EQ(client.request("rp"), "er 2\r\n");
    EXPECT_EQ(client.request("rp 400"), "er 2\r\n");
    EXPECT_EQ(client.request("rs 0"), "er 2\r\n");
    EXPECT_EQ(client.request("rd 5"), "er 2\r\n");
    EXPECT_EQ(client.request("wp 400 1"), "er 7\r\n");
    EXPECT_EQ(client.request("wp 1 x"), "er 2\r\n");
    EXPECT_EQ(client.request("wp 1 2147483648"), "er 2\r\n");
    EXPECT_EQ(client.request(std::string("r\xff", 2)), "er 1\r\n");
}

TEST(Simulator, LiveValuesMoveOverTime)
{
    Simulator sim;
    PtyClient client(sim.devicePath());
    const std::string first = client.request("r0");
    // Poll until the axis has moved; it swings continuously, so this ends quickly.
    std::string later = first;
    for (int i = 0; i < 100 && later == first; ++i) {
        client.readFor(20ms);
        later = client.request("r0");
    }
    EXPECT_NE(later, first);

    sim.withUnit(0, [](ControllerUnit& u) { u.frozenLive = LiveValues{12345, 1, 2, 3, 4}; });
    EXPECT_EQ(client.request("r0"), "r0 12345\r\n");
    EXPECT_EQ(client.request("r8"), "r8 4\r\n");
}

} // namespace
} // namespace km4x::test
