// The km4x-sim command line and its console commands.
#include "PtyClient.h"
#include "SimulatorCommandLine.h"
#include "SimulatorConsole.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace km4x {
namespace {

using namespace std::chrono_literals;

TEST(SimulatorCommandLineTest, ReadsUnitsTimingFaultsAndFiles)
{
    const auto cl = ParseSimulatorCommandLine({"--unit", "3:19200,N,8,2:KM41 X", "--unit", "0", "--delay", "7",
                                               "--pacing", "--slow", "900", "--long", "700", "--noise", "3",
                                               "--fault", "silent:3:rf", "--fault", "garbage", "--refuse", "30:0",
                                               "--log", "requests.txt", "--link", "ttyKM", "--seed", "5"});
    ASSERT_EQ(cl.error, "");
    EXPECT_FALSE(cl.help);
    ASSERT_EQ(cl.options.units.size(), 2u);
    EXPECT_EQ(cl.options.units[0].number, 3);
    EXPECT_EQ(cl.options.units[0].line, (LineSettings{19200, Parity::None, 8, 2}));
    EXPECT_EQ(cl.options.units[0].typeText, "KM41 X");
    EXPECT_EQ(cl.options.units[1].line, LineSettings{});
    EXPECT_EQ(cl.options.answerDelay, 7ms);
    EXPECT_TRUE(cl.options.pacing);
    EXPECT_EQ(cl.options.faultSettings.slowDelay, 900ms);
    EXPECT_EQ(cl.options.faultSettings.overLongLength, 700u);
    EXPECT_EQ(cl.options.faultSettings.noiseLength, 3u);
    EXPECT_EQ(cl.startCommands,
              (std::vector<std::string>{"fault silent on 3 rf", "fault garbage on all", "refuse 30 0"}));
    EXPECT_EQ(cl.logFile, "requests.txt");
    EXPECT_EQ(cl.options.linkPath, "ttyKM");
    EXPECT_EQ(cl.options.seed, 5u);

    EXPECT_TRUE(ParseSimulatorCommandLine({"--help"}).help);
    EXPECT_EQ(ParseSimulatorCommandLine({}).options.units.size(), 1u);
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--unit", "32"}, {"--unit", "1:9600,X"}, {"--delay"}, {"--delay", "-1"},
          {"--fault", "loud"}, {"--refuse", "x"}, {"--what"}, {"stray"}})
        EXPECT_NE(ParseSimulatorCommandLine(bad).error, "") << bad[0];
    EXPECT_NE(SimulatorUsage().find("--fault NAME"), std::string::npos);
}

TEST(SimulatorConsoleTest, CommandsChangeTheRunningSimulator)
{
    SimulatorOptions options;
    UnitConfig second;
    second.number = 4;
    options.units.push_back(second);
    Simulator sim(options);

    EXPECT_TRUE(RunConsoleCommand(sim, "fault silent on 4 rf").ok);
    EXPECT_TRUE(sim.faultOn(4, Fault::Silent));
    EXPECT_FALSE(sim.faultOn(0, Fault::Silent));
    EXPECT_TRUE(RunConsoleCommand(sim, "fault slow on").ok);
    EXPECT_TRUE(sim.faultOn(0, Fault::Slow) && sim.faultOn(4, Fault::Slow));
    EXPECT_TRUE(RunConsoleCommand(sim, "clear 4").ok);
    EXPECT_FALSE(sim.faultOn(4, Fault::Slow));
    EXPECT_TRUE(sim.faultOn(0, Fault::Slow));
    EXPECT_TRUE(RunConsoleCommand(sim, "clear").ok);
    EXPECT_FALSE(sim.faultOn(0, Fault::Slow));

    EXPECT_TRUE(RunConsoleCommand(sim, "param 203 3").ok);
    EXPECT_EQ(sim.parameter(0, 203), 3); // the selected unit
    EXPECT_TRUE(RunConsoleCommand(sim, "param 203 4 4").ok);
    EXPECT_EQ(sim.parameter(4, 203), 4);
    EXPECT_TRUE(RunConsoleCommand(sim, "setpoint 48 -9").ok);
    EXPECT_EQ(sim.setpoint(0, 48), -9);
    EXPECT_TRUE(RunConsoleCommand(sim, "error 15 4").ok);
    EXPECT_EQ(sim.errorNumber(4), 15);
    EXPECT_TRUE(RunConsoleCommand(sim, "inputs 3").ok);
    EXPECT_TRUE(RunConsoleCommand(sim, "thumb 2 -40").ok);
    EXPECT_FALSE(RunConsoleCommand(sim, "thumb 5 1").ok);
    EXPECT_TRUE(RunConsoleCommand(sim, "data 1 2").ok);
    sim.withUnit(0, [](ControllerUnit& u) {
        EXPECT_EQ(u.inputs, 3u);
        EXPECT_EQ(u.thumbwheels[1], -40);
        EXPECT_EQ(u.dataIn, 1);
        EXPECT_EQ(u.dataOut, 2);
    });
    EXPECT_TRUE(RunConsoleCommand(sim, "delay 20").ok);
    EXPECT_EQ(sim.answerDelay(), 20ms);
    EXPECT_TRUE(RunConsoleCommand(sim, "pacing on").ok);
    EXPECT_TRUE(sim.pacing());
    EXPECT_TRUE(RunConsoleCommand(sim, "slow 1000").ok);
    EXPECT_EQ(sim.faultSettings().slowDelay, 1000ms);
    EXPECT_TRUE(RunConsoleCommand(sim, "line 4 9600,N,8,2").ok);
    EXPECT_FALSE(RunConsoleCommand(sim, "line 5 9600").ok);
    EXPECT_TRUE(RunConsoleCommand(sim, "select 4").ok);
    EXPECT_EQ(sim.selectedUnits(), std::vector<int>{4});
    const ConsoleReply status = RunConsoleCommand(sim, "status");
    EXPECT_NE(status.text.find("unit 4 9600,N,8,2"), std::string::npos) << status.text;
    EXPECT_NE(status.text.find("error 15 selected"), std::string::npos) << status.text;

    for (const char* bad : {"fault loud on", "fault silent maybe", "param x 1", "param 400 1", "pacing fast",
                            "delay -5", "nonsense", "refuse", "bp"})
        EXPECT_FALSE(RunConsoleCommand(sim, bad).ok) << bad;
    EXPECT_TRUE(RunConsoleCommand(sim, "quit").quit);
    EXPECT_TRUE(RunConsoleCommand(sim, "   ").ok);
}

TEST(SimulatorConsoleTest, RefusalComputeFailureLineAndLog)
{
    Simulator sim;
    test::PtyClient client(sim.devicePath());
    ASSERT_TRUE(RunConsoleCommand(sim, "refuse 12").ok);
    EXPECT_EQ(client.request("wp 12 1"), "er 7\r\n");
    ASSERT_TRUE(RunConsoleCommand(sim, "accept 12").ok);
    EXPECT_EQ(client.request("wp 12 1"), "wp 12 1\r\n");
    ASSERT_TRUE(RunConsoleCommand(sim, "bp 55").ok);
    EXPECT_EQ(client.request("bp"), "bp 55\r\n");
    ASSERT_TRUE(RunConsoleCommand(sim, "bp ok").ok);
    EXPECT_EQ(client.request("bp"), "bp -1\r\n");
    client.send(std::string("x\x01\"", 3));
    ASSERT_TRUE(sim.waitForRequests(5, 3000ms));

    const ConsoleReply log = RunConsoleCommand(sim, "log 2");
    EXPECT_NE(log.text.find(" ms unit 0 answered 38400/1 \"bp\""), std::string::npos) << log.text;
    EXPECT_NE(log.text.find("\"x\\x01\\x22\""), std::string::npos) << log.text;
    EXPECT_EQ(std::count(log.text.begin(), log.text.end(), '\n'), 1);

    ASSERT_TRUE(RunConsoleCommand(sim, "close").ok);
    EXPECT_TRUE(client.waitForHangUp());
    const ConsoleReply reopened = RunConsoleCommand(sim, "reopen");
    ASSERT_TRUE(reopened.ok);
    EXPECT_EQ(reopened.text, sim.devicePath());
    test::PtyClient again(reopened.text);
    EXPECT_EQ(again.request("rf"), "rf -1\r\n");
}

} // namespace
} // namespace km4x
