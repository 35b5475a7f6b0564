// The live graph's log, scales, ticks and sample pixels.
#include "app/core/Global_var.h"
#include "views/core/GraphGeometry.h"

#include <gtest/gtest.h>

#include <limits>

using namespace views;

namespace {
struct GraphTest : ::testing::Test {
    void SetUp() override { Global_var.Reset(); }
    void TearDown() override { Global_var.Reset(); }
};

std::vector<std::uint8_t> Reply(const std::string& text)
{
    return {text.begin(), text.end()};
}
} // namespace

TEST_F(GraphTest, LogFillsUpToTheLastIndex)
{
    GraphLog log;
    log.Start();
    EXPECT_EQ(log.Last(), -1);
    const std::uint32_t start = std::numeric_limits<std::uint32_t>::max() - 5; // the tick wraps on the way
    EXPECT_FALSE(log.Add(start, 17));
    EXPECT_EQ(log.Time(0), 0);
    EXPECT_FALSE(log.Add(start + 10, std::nullopt)); // no value: the slot keeps what it held
    EXPECT_EQ(log.Time(1), 10);
    EXPECT_EQ(log.Value(1), 0);
    for (int i = 2; i < GraphLastIndex; ++i)
        EXPECT_FALSE(log.Add(start + 10 * static_cast<std::uint32_t>(i), i));
    EXPECT_TRUE(log.Add(start + 40000, 4000)); // the 4001st sample fills index 4000
    EXPECT_TRUE(log.Full());
    EXPECT_EQ(log.Last(), GraphLastIndex);
    log.Add(start + 40010, 5); // one more overwrites the last slot, never beyond
    EXPECT_EQ(log.Last(), GraphLastIndex);
    EXPECT_EQ(log.Value(GraphLastIndex), 5);
    EXPECT_EQ(GraphElapsedText(log.Time(GraphLastIndex)), "40,0 sec");
    EXPECT_EQ(GraphElapsedText(12345), "12,3 sec");
    EXPECT_EQ(GraphElapsedText(0), "0,0 sec");

    EXPECT_EQ(GraphReplyValue("r0", Reply("r0 -1234\r\n")), -1234);
    EXPECT_FALSE(GraphReplyValue("r0", Reply("r0 12a\r\n")));
    EXPECT_FALSE(GraphReplyValue("r0", Reply("r0 " + std::string(46, '1') + "\r\n"))); // 51 bytes
    EXPECT_FALSE(GraphReplyValue("r0", Reply("r0 99999999999\r\n")));
}

TEST_F(GraphTest, TimeTicks)
{
    const auto ticks = GraphTimeTicks(12345, 1000);
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks[0].x, 40);
    EXPECT_EQ(ticks[0].label, "13,0");
    EXPECT_EQ(ticks[1].x, 100);
    EXPECT_EQ(ticks[1].label, "14,0");
    EXPECT_TRUE(ticks[0].gridLine);
    EXPECT_LT(ticks.back().x, GraphWidth);

    const auto zero = GraphTimeTicks(0, 200);
    ASSERT_EQ(zero.size(), 11u); // 0, 60, ..., 600
    EXPECT_EQ(zero[0].label, "0,0");
    EXPECT_FALSE(zero[0].gridLine);
    EXPECT_EQ(zero[1].label, "0,2");
    EXPECT_TRUE(zero[1].gridLine);
    EXPECT_EQ(zero[10].x, 600);
}

TEST_F(GraphTest, ValueAxisAndSources)
{
    const auto volts = GraphValueTicks(GraphValueScale(GraphSourceOf(3).forcedValueScale), 3);
    ASSERT_EQ(volts.size(), 11u);
    EXPECT_EQ(volts[0].label, "10");
    EXPECT_EQ(volts[1].label, "8");
    EXPECT_EQ(volts[5].label, "0");
    EXPECT_EQ(volts[10].label, "-10");
    EXPECT_EQ(volts[10].row, 400);
    const auto amps = GraphValueTicks(GraphValueScale(GraphSourceOf(4).forcedValueScale), 4);
    EXPECT_EQ(amps[0].label, "20");
    EXPECT_EQ(amps[1].label, "16");
    EXPECT_EQ(amps[10].label, "-20");
    EXPECT_STREQ(GraphSourceOf(4).unitText, "(mA)");

    // Below 10000 per division (the list is free again after a log) the labels keep their fraction.
    const auto fineVolts = GraphValueTicks(GraphValueScale(3), 3);
    EXPECT_EQ(fineVolts[0].label, "0,5");
    EXPECT_EQ(fineVolts[1].label, "0,4");
    EXPECT_EQ(fineVolts[5].label, "0");
    EXPECT_EQ(fineVolts[10].label, "-0,5");
    EXPECT_EQ(GraphValueTicks(GraphValueScale(0), 4)[1].label, "0,04");
    EXPECT_EQ(GraphValueTicks(GraphValueScale(9), 3)[0].label, "25");

    ParameterValues[203] = 2;
    ParameterValues[248] = 3;
    const auto position = GraphValueTicks(GraphValueScale(20), 0);
    EXPECT_EQ(position[0].label, "10000000,00");
    EXPECT_EQ(position[5].label, "0");
    // The linearised position as the main window shows it: with parameter 248's decimals.
    EXPECT_EQ(GraphValueTicks(GraphValueScale(3), 2)[0].label, "5,000");
    EXPECT_EQ(GraphValueTicks(GraphValueScale(3), 1)[0].label, "50,00");
    EXPECT_EQ(GraphValueScale(8), 40000);
    EXPECT_EQ(GraphValueScale(99), 200000000); // held to the list
    EXPECT_STREQ(GraphSourceOf(7).command, "r0");
}

TEST_F(GraphTest, SamplePixelsAndView)
{
    EXPECT_EQ(GraphSamplePixel(0, 5 * 1000, 0, 1000, 1000).y, 4);
    EXPECT_EQ(GraphSamplePixel(0, -5 * 1000, 0, 1000, 1000).y, 404);
    EXPECT_EQ(GraphSamplePixel(1500, 0, 500, 1000, 1000), (PixelPoint{60, 204}));
    // A product with 40 beyond 32 bits still lands where it belongs (far above), no overflow.
    EXPECT_EQ(GraphSamplePixel(0, std::numeric_limits<std::int32_t>::max(), 0, 1000, 100).y, -1000000);
    EXPECT_EQ(GraphSamplePixel(0, 60000000, 0, 1000, 100000000).y, 180);

    EXPECT_EQ(GraphFirstShownSample(1000, 1000, true, 0), 875);
    EXPECT_EQ(GraphFirstShownSample(1000, 200, true, 0), 975);
    EXPECT_EQ(GraphFirstShownSample(10, 1000, true, 0), 0);
    EXPECT_EQ(GraphFirstShownSample(1000, 1000, false, 300), 300);
    EXPECT_EQ(GraphFirstShownSample(10, 1000, false, 300), 10);

    GraphLog log;
    log.Start();
    log.Add(0, 1);
    EXPECT_TRUE(GraphCurve(log, 0, 1000, 100).empty()); // a single sample: no curve
    for (std::uint32_t t = 1; t <= 100; ++t)
        log.Add(t * 100, static_cast<std::int32_t>(t));
    // 100 ms per sample at 200 ms per 60 pixels: 30 px each; the curve ends after x 660.
    const auto curve = GraphCurve(log, 0, 200, 100);
    ASSERT_EQ(curve.size(), 23u);
    EXPECT_EQ(curve.back().x, 660);
    EXPECT_EQ(GraphCurve(log, 90, 200, 100).size(), 11u);
    EXPECT_TRUE(GraphCurve(log, 101, 200, 100).empty());

    EXPECT_EQ(GraphCsv(log, "AWE", 0).substr(0, 22), "ms;AWE\r\n0;1\r\n100;1\r\n20");
}
