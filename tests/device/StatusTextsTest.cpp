#include "device/core/StatusTexts.h"

#include <gtest/gtest.h>

using device::ComErrorText;
using device::LineSettingsText;

TEST(StatusTexts, LineSettingsInRateParityDataStopOrder)
{
    EXPECT_EQ(LineSettingsText(TBaudrate::br9600, TParityBit::Even, TDataBit::db_8, TStopBit::sb_1), "9600,E,8,1");
    EXPECT_EQ(LineSettingsText(TBaudrate::br115200, TParityBit::None, TDataBit::db_7, TStopBit::sb_2),
              "115200,N,7,2");
    EXPECT_EQ(LineSettingsText(TBaudrate::br1200, TParityBit::Odd, TDataBit::db_8, TStopBit::sb_1), "1200,O,8,1");
    EXPECT_EQ(LineSettingsText(TBaudrate::br28800, TParityBit::Even, TDataBit::db_8, TStopBit::sb_1), "28800,E,8,1");
}

TEST(StatusTexts, ValuesOutsideTheEnumerationsDoNotReadPastTheTables)
{
    EXPECT_EQ(LineSettingsText(static_cast<TBaudrate>(42), static_cast<TParityBit>(200), static_cast<TDataBit>(2),
                               static_cast<TStopBit>(255)),
              "?,?,?,?");
}

TEST(StatusTexts, ComErrorTexts)
{
    EXPECT_EQ(ComErrorText({ecTimeout, 0, 0}, "tekst 0", "tekst 1"), "tekst 0");
    // A time-out wins over the other fields.
    EXPECT_EQ(ComErrorText({ecTimeout, 5, 3}, "tekst 0", "tekst 1"), "tekst 0");
    EXPECT_EQ(ComErrorText({ecSystemError, 5, 0}, "tekst 0", "tekst 1"), "tekst 1 5, 0");
    EXPECT_EQ(ComErrorText({ecCommError, 0, ceFrame | ceRxParity}, "t0", "Line"), "Line 0, 12");
    // A late report for earlier replies shows the line's flags only, not its marks.
    EXPECT_EQ(ComErrorText({ecCommError, 0, ceFrame | ceEarlierReply | 3u << ceEarlierRepliesShift}, "t0", "Line"),
              "Line 0, 8");
    // Codes without details, and the all-zero record of a recovered cyclic request: nothing.
    EXPECT_EQ(ComErrorText({ecPortClosed, 0, 0}, "t0", "t1"), std::nullopt);
    EXPECT_EQ(ComErrorText({0, 0, 0}, "t0", "t1"), std::nullopt);
}
