#include "device/core/ErrorStatus.h"

#include <gtest/gtest.h>

TEST(ErrorStatus, MinusOneAndWhatBeginsWithItMeanNoError)
{
    EXPECT_FALSE(device::IsDeviceErrorValue("-1"));
    EXPECT_FALSE(device::IsDeviceErrorValue("-15"));
    EXPECT_FALSE(device::IsDeviceErrorValue(""));
    EXPECT_TRUE(device::IsDeviceErrorValue("7"));
    EXPECT_TRUE(device::IsDeviceErrorValue("-2"));
    EXPECT_TRUE(device::IsDeviceErrorValue("-"));
    EXPECT_TRUE(device::IsDeviceErrorValue("xyz"));
    EXPECT_EQ(device::DeviceErrorText("7"), "KM40... Error: 7");
}

TEST(ErrorStatus, DotsGrowToSixGroupsThenStartAgain)
{
    device::ErrorActivityDots dots;
    EXPECT_EQ(dots.Text(), "");
    EXPECT_EQ(dots.Advance(), ". ");
    for (int i = 2; i <= 5; ++i)
        dots.Advance();
    EXPECT_EQ(dots.Advance(), ". . . . . . ");
    EXPECT_EQ(dots.Advance(), ". ");
    EXPECT_EQ(dots.Advance(), ". . ");
}
