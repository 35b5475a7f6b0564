// The live polls' decisions without a window: what is polled, what a reply shows, which lamp a bit
// lights, and how the thumbwheel chain goes on and stops.
#include "app/core/Global_var.h"
#include "device/core/ActualValues.h"
#include "device/core/IoLamps.h"
#include "device/core/ThumbwheelChain.h"

#include <gtest/gtest.h>

using device::ActualValue;

namespace {
struct CleanState : ::testing::Test {
    void SetUp() override { Global_var.Reset(); }
    void TearDown() override { Global_var.Reset(); }
};
} // namespace

using ActualValues = CleanState;
using Thumbwheels = CleanState;

TEST_F(ActualValues, Parameters246And388DecideWhatIsPolled)
{
    TParameterValues p{};
    EXPECT_EQ(device::ActualValuesToPoll(p), (std::vector{ActualValue::Position, ActualValue::Speed}));
    p[246] = 1;
    p[388] = 1;
    EXPECT_EQ(device::ActualValuesToPoll(p),
              (std::vector{ActualValue::Position, ActualValue::LinPosition, ActualValue::Speed, ActualValue::Voltage}));
    p[246] = 2;
    p[388] = 2;
    EXPECT_EQ(device::ActualValuesToPoll(p), (std::vector{ActualValue::Position, ActualValue::Speed, ActualValue::Current}));
    p[388] = -7;
    EXPECT_EQ(device::ActualValuesToPoll(p).size(), 2u);
}

TEST_F(ActualValues, DisplayUsesTheRightDecimalsAndUnits)
{
    ParameterValues[203] = 2;
    ParameterValues[248] = 3;
    EXPECT_EQ(device::ActualValueDisplay(ActualValue::Position, "12345"), "123,45");
    EXPECT_EQ(device::ActualValueDisplay(ActualValue::Speed, "-5"), "-0,05");
    EXPECT_EQ(device::ActualValueDisplay(ActualValue::LinPosition, "12345"), "12,345");
    EXPECT_EQ(device::ActualValueDisplay(ActualValue::Voltage, "12345"), "1,2345 V");
    EXPECT_EQ(device::ActualValueDisplay(ActualValue::Current, "200000"), "20,0000 mA");
    EXPECT_EQ(device::ActualValueDisplay(ActualValue::Position, "12a"), "????");
    EXPECT_EQ(device::ActualValueDisplay(ActualValue::Position, ""), "????");
    EXPECT_EQ(device::ActualValueDisplay(ActualValue::Voltage, "99999999999"), "????");

    // A whole reply must repeat the value's command: a late "r0" reply shows no speed.
    const auto reply = [](const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    EXPECT_EQ(device::ActualReplyDisplay(ActualValue::Speed, reply("r1 -5\r\n")), "-0,05");
    EXPECT_EQ(device::ActualReplyDisplay(ActualValue::Speed, reply("r0 12345\r\n")), "?");
    EXPECT_EQ(device::ActualReplyDisplay(ActualValue::LinPosition, reply("r8 x\r\n")), "????");
}

TEST_F(Thumbwheels, ChainCyclesStoresValuesAndMovesOnAfterAFailedStep)
{
    ParameterValues[203] = 1;
    device::ThumbwheelChain chain;
    TThumbwheelValues values{7, 7, 7, 7};
    const auto reply = [](const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    EXPECT_EQ(chain.Start(), "rd 1");
    EXPECT_EQ(chain.OnReply(reply("rd 1 10\r\n"), values).nextCommand, "rd 2");
    EXPECT_EQ(chain.OnReply(reply("rd 2 20\r\n"), values).nextCommand, "rd 3");
    auto third = chain.OnReply(reply("rd 3 500\r\n"), values);
    EXPECT_EQ(third.thumbwheel, 3);
    EXPECT_EQ(third.text, "50,0");
    EXPECT_EQ(third.nextCommand, "rd 4");
    auto fourth = chain.OnReply(reply("rd 4 x5\r\n"), values);
    EXPECT_EQ(fourth.text, "????");
    EXPECT_EQ(fourth.nextCommand, "rd 1");
    EXPECT_EQ(values, (TThumbwheelValues{10, 20, 500, 0}));
    // A reply too short to hold the value is no number, and nothing is read past its end.
    EXPECT_EQ(chain.OnReply(reply("rd 1\r\n"), values).text, "????");

    // A late reply of thumbwheel 1 while 2 is asked for, a reply of another command: failed steps
    // that show "?", keep the stored value and go on with the next thumbwheel.
    values = {10, 20, 500, 7};
    auto late = chain.OnReply(reply("rd 1 99\r\n"), values);
    EXPECT_EQ(late.thumbwheel, 2);
    EXPECT_EQ(late.text, "?");
    EXPECT_EQ(late.nextCommand, "rd 3");
    EXPECT_EQ(chain.OnReply(reply("r0 12\r\n"), values).nextCommand, "rd 4");
    EXPECT_EQ(chain.OnReply(reply("rd 41 5\r\n"), values).text, "?");
    EXPECT_EQ(values, (TThumbwheelValues{10, 20, 500, 7}));

    // A failed request: the same, the chain goes on round.
    auto failed = chain.OnError();
    EXPECT_EQ(failed.thumbwheel, 1);
    EXPECT_EQ(failed.text, "?");
    EXPECT_EQ(failed.nextCommand, "rd 2");
    // A reply that still arrives after the poll was switched off starts nothing.
    chain.Stop();
    EXPECT_TRUE(chain.OnReply(reply("rd 2 5\r\n"), values).nextCommand.empty());
    EXPECT_TRUE(chain.OnError().nextCommand.empty());
    EXPECT_EQ(chain.Start(), "rd 1");
    EXPECT_EQ(chain.ThumbwheelIndex(), 1);
}

TEST(IoLamps, BitsLightTheirLamps)
{
    const auto inputs = device::InputLamps("65");
    EXPECT_EQ(inputs, (std::array<bool, 7>{true, false, false, false, false, false, true}));
    EXPECT_EQ(device::OutputLamps("256"), (std::array<bool, 9>{false, false, false, false, false, false, false, false, true}));
    // Higher bits are not looked at; a negative value is a bit pattern too.
    EXPECT_EQ(device::InputLamps("128"), (std::array<bool, 7>{}));
    EXPECT_EQ(device::OutputLamps("-1"), (std::array<bool, 9>{true, true, true, true, true, true, true, true, true}));
    EXPECT_EQ(device::InputLamps("K0"), (std::array<bool, 7>{}));
    EXPECT_EQ(device::OutputLamps(""), (std::array<bool, 9>{}));
}
