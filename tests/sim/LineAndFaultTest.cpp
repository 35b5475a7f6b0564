// Parsing of requests and line settings, faults bending replies, and the output schedule.
#include "Command.h"
#include "Faults.h"
#include "LineSettings.h"
#include "OutputSchedule.h"

#include <gtest/gtest.h>

namespace km4x {
namespace {

using namespace std::chrono_literals;

TEST(CommandParsing, SplitsLettersAndWords)
{
    const auto c = ParseCommand("  wp  12   -5 \n");
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->wellFormed);
    EXPECT_EQ(c->letters, "wp");
    EXPECT_EQ(c->args, (std::vector<std::string>{"12", "-5"}));
    EXPECT_TRUE(ParseCommand("r0")->wellFormed);
    EXPECT_FALSE(ParseCommand("rp5")->wellFormed);
    EXPECT_FALSE(ParseCommand("Rp 5")->wellFormed);
    EXPECT_FALSE(ParseCommand("r")->wellFormed);
    EXPECT_FALSE(ParseCommand("0r")->wellFormed);
    EXPECT_FALSE(ParseCommand(" \n "));
}

TEST(CommandParsing, Int32AcceptsExactlyTheSignedRange)
{
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInt32("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseInt32("+12"), 12);
    EXPECT_FALSE(ParseInt32("2147483648"));
    EXPECT_FALSE(ParseInt32("-2147483649"));
    EXPECT_FALSE(ParseInt32("99999999999"));
    EXPECT_FALSE(ParseInt32(""));
    EXPECT_FALSE(ParseInt32("-"));
    EXPECT_FALSE(ParseInt32("1 2"));
    EXPECT_FALSE(ParseInt32("0x10"));
}

TEST(LineSettingsText, ParsesFormatsAndCountsBits)
{
    const auto full = ParseLineSettings("19200,O,7,2");
    ASSERT_TRUE(full);
    EXPECT_EQ(*full, (LineSettings{19200, Parity::Odd, 7, 2}));
    EXPECT_EQ(ToText(*full), "19200,O,7,2");
    EXPECT_EQ(BitsPerByte(*full), 11);
    EXPECT_EQ(*ParseLineSettings("9600"), (LineSettings{9600, Parity::Even, 8, 1}));
    EXPECT_EQ(BitsPerByte(*ParseLineSettings("9600,N")), 10);
    EXPECT_EQ(BitsPerByte(*ParseLineSettings("9600,E,8,2")), 12);
    for (const char* bad : {"", "x", "0", "9600,X", "9600,N,9", "9600,N,8,3", "9600,N,8,1,1", "-9600"})
        EXPECT_FALSE(ParseLineSettings(bad)) << bad;
}

TEST(LineSettingsMatch, ParityCountsOnlyWhereTheLineShowsIt)
{
    const LineSettings unit{9600, Parity::Even, 8, 1};
    ObservedLine pty;
    pty.baud = 9600;
    pty.parity = Parity::None; // what a pseudo-terminal shows whatever the client set
    EXPECT_TRUE(Matches(unit, pty));
    pty.stopBits = 2;
    EXPECT_FALSE(Matches(unit, pty));
    pty.stopBits = 1;
    pty.baud = 19200;
    EXPECT_FALSE(Matches(unit, pty));

    ObservedLine real = pty;
    real.baud = 9600;
    real.parityVisible = true;
    EXPECT_FALSE(Matches(unit, real));
    real.parity = Parity::Even;
    EXPECT_TRUE(Matches(unit, real));
    real.dataBits = 7;
    EXPECT_FALSE(Matches(unit, real));
}

TEST(FaultSet, BendsRepliesAsSwitched)
{
    FaultSet faults;
    FaultSettings settings;
    settings.slowDelay = 777ms;
    settings.overLongLength = 20;
    settings.noiseLength = 4;
    std::mt19937 random(1);

    auto out = faults.apply("rp", "rp 5 10", settings, random);
    EXPECT_EQ(out.bytes, "rp 5 10\r\n");
    EXPECT_EQ(out.extraDelay, 0ms);

    faults.set(Fault::Slow, true);
    faults.set(Fault::OverLong, true, "rp");
    out = faults.apply("rp", "rp 5 10", settings, random);
    EXPECT_EQ(out.bytes, "rp 01234567890123456789\r\n");
    EXPECT_EQ(out.extraDelay, 777ms);
    EXPECT_EQ(faults.apply("rs", "rs 1 0", settings, random).bytes, "rs 1 0\r\n");

    faults.clear();
    faults.set(Fault::Noise, true);
    out = faults.apply("rf", "rf -1", settings, random);
    ASSERT_EQ(out.bytes.size(), 4u + 7u);
    EXPECT_EQ(out.bytes.substr(4), "rf -1\r\n");

    faults.clear();
    faults.set(Fault::WrongEchoOnce, true);
    EXPECT_EQ(faults.apply("er", "er 7", settings, random).bytes, "re 7\r\n");
    EXPECT_EQ(faults.apply("er", "er 7", settings, random).bytes, "er 7\r\n");
    faults.set(Fault::WrongEchoAlways, true);
    EXPECT_EQ(faults.apply("bb", "bb 1", settings, random).bytes, "xx 1\r\n");

    faults.set(Fault::Silent, true, "rf");
    EXPECT_TRUE(faults.apply("rf", "rf -1", settings, random).silent);
    EXPECT_FALSE(faults.apply("ri", "ri 1", settings, random).silent);
}

TEST(FaultSet, RefusesOnlyWritesOfListedParameters)
{
    FaultSet faults;
    faults.refuseParameter(30, true);
    EXPECT_TRUE(faults.refusesWrite(*ParseCommand("wp 30 1")));
    EXPECT_FALSE(faults.refusesWrite(*ParseCommand("wp 31 1")));
    EXPECT_FALSE(faults.refusesWrite(*ParseCommand("rp 30")));
    EXPECT_FALSE(faults.refusesWrite(*ParseCommand("ws 30 1")));
    faults.refuseParameter(30, false);
    EXPECT_FALSE(faults.refusesWrite(*ParseCommand("wp 30 1")));
}

TEST(FaultNames, RoundTrip)
{
    for (Fault f : {Fault::Silent, Fault::Slow, Fault::WrongEchoOnce, Fault::WrongEchoAlways, Fault::Garbage,
                    Fault::OverLong, Fault::Noise})
        EXPECT_EQ(FaultFromName(FaultName(f)), f);
    EXPECT_FALSE(FaultFromName("loud"));
}

TEST(OutputScheduleTest, PacesBytesAndNeverLetsOutputOvertake)
{
    using Clock = OutputSchedule::Clock;
    OutputSchedule schedule;
    const auto t0 = Clock::now();
    schedule.add(t0 + 10ms, "abc", 1ms);
    schedule.add(t0, "XY", Clock::duration::zero()); // queued later, so it goes later
    ASSERT_EQ(schedule.nextDue(), t0 + 11ms); // the first byte has arrived one byte time later
    EXPECT_EQ(schedule.takeDue(t0 + 10ms), "");
    EXPECT_EQ(schedule.takeDue(t0 + 11ms), "a");
    EXPECT_EQ(schedule.takeDue(t0 + 12ms), "b");
    EXPECT_EQ(schedule.takeDue(t0 + 13ms), "cXY");
    EXPECT_TRUE(schedule.empty());
    schedule.putBack("rest", t0);
    EXPECT_EQ(schedule.takeDue(t0), "rest");
    schedule.add(t0, "", 1ms);
    EXPECT_TRUE(schedule.empty());
}

} // namespace
} // namespace km4x
