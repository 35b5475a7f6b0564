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
}

TEST_F(Thumbwheels, ChainCyclesStoresValuesAndStopsOnError)
{
    ParameterValues[203] = 1;
    device::ThumbwheelChain chain;
    TThumbwheelValues values{7, 7, 7, 7};
    EXPECT_EQ(chain.Start(), "rd 1");
    EXPECT_EQ(chain.OnReply("1 10", values).nextCommand, "rd 2");
    EXPECT_EQ(chain.OnReply("2 20", values).nextCommand, "rd 3");
    auto third = chain.OnReply("3 500", values);
    EXPECT_EQ(third.thumbwheel, 3);
    EXPECT_EQ(third.text, "50,0");
    EXPECT_EQ(third.nextCommand, "rd 4");
    auto fourth = chain.OnReply("4 x5", values);
    EXPECT_EQ(fourth.text, "????");
    EXPECT_EQ(fourth.nextCommand, "rd 1");
    EXPECT_EQ(values, (TThumbwheelValues{10, 20, 500, 0}));
    // A reply too short to hold the number part is no number, and nothing is read past its end.
    EXPECT_EQ(chain.OnReply("1", values).text, "????");

    auto failed = chain.OnError();
    EXPECT_EQ(failed.thumbwheel, 2);
    EXPECT_EQ(failed.text, "?");
    EXPECT_TRUE(failed.nextCommand.empty());
    // A reply that still arrives after the chain ended starts nothing.
    EXPECT_TRUE(chain.OnReply("2 5", values).nextCommand.empty());
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
