#include "app/core/Functies.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>

#include "app/core/Global_var.h"

namespace {

class FunctiesTest : public ::testing::Test {
 protected:
  void SetUp() override { Global_var.Reset(); }
};

TEST_F(FunctiesTest, FormatFixedTable) {
  EXPECT_EQ(FormatFixed(0, 17), "17");
  EXPECT_EQ(FormatFixed(2, 12345), "123,45");
  EXPECT_EQ(FormatFixed(2, 5), "0,05");
  EXPECT_EQ(FormatFixed(2, 0), "0,00");
  EXPECT_EQ(FormatFixed(2, -5), "-0,05");
  EXPECT_EQ(FormatFixed(3, -1234), "-1,234");
  EXPECT_EQ(FormatFixed(-1, -8), "-8");
}

TEST_F(FunctiesTest, FormatFixedExtremes) {
  EXPECT_EQ(FormatFixed(2, INT32_MIN), "-21474836,48");
  EXPECT_EQ(FormatFixed(2, INT32_MAX), "21474836,47");
  EXPECT_EQ(FormatFixed(0, INT32_MIN), "-2147483648");
  EXPECT_EQ(FormatFixed(INT32_MIN, 42), "42");
}

TEST_F(FunctiesTest, SelectorsReadParameters203And248) {
  ParameterValues[203] = 3;
  EXPECT_EQ(FormatFixed(DecimalsOfPosition, 12345), "12,345");
  ParameterValues[203] = 0;
  EXPECT_EQ(FormatFixed(DecimalsOfPosition, 12345), "12345");

  ParameterValues[248] = 1;
  EXPECT_EQ(FormatFixed(DecimalsOfLinPosition, -12345), "-1234,5");
  // 203 holding 10 leads on to 248; 248 holding 9 is taken as nine decimals, not followed again.
  ParameterValues[203] = 10;
  EXPECT_EQ(FormatFixed(DecimalsOfPosition, 5), "0,5");
  ParameterValues[248] = 9;
  EXPECT_EQ(FormatFixed(DecimalsOfLinPosition, 5), "0,000000005");
}

TEST_F(FunctiesTest, CorruptDecimalsStayBounded) {
  ParameterValues[203] = INT32_MAX;
  const std::string text = FormatFixed(DecimalsOfPosition, -7);
  EXPECT_EQ(text.size(), 1 + 1 + 1 + static_cast<std::size_t>(MaxFormatDecimals));
  EXPECT_EQ(text, "-0," + std::string(MaxFormatDecimals - 1, '0') + "7");
  ParameterValues[203] = INT32_MIN;
  EXPECT_EQ(FormatFixed(DecimalsOfPosition, -7), "-7");
  // Up to the cap the text is exact.
  EXPECT_EQ(FormatFixed(MaxFormatDecimals, 1), "0," + std::string(MaxFormatDecimals - 1, '0') + "1");

  EXPECT_EQ(ParseFixed("1", INT32_MAX, true, INT32_MIN, INT32_MAX), ParseFormatError);
  EXPECT_EQ(ParseFixed("1,5", INT32_MAX, true, INT32_MIN, INT32_MAX), ParseFormatError);
  EXPECT_EQ(ParseFixed("15", INT32_MIN, true, INT32_MIN, INT32_MAX), 15);
  EXPECT_EQ(ParseFixed("1,5", INT32_MIN, true, INT32_MIN, INT32_MAX), ParseFormatError);
}

constexpr int32_t Lo = -9999999;
constexpr int32_t Hi = 99999999;

TEST_F(FunctiesTest, ParseFixedTable) {
  for (const bool neg : {false, true}) {
    EXPECT_EQ(ParseFixed("12,5", 2, neg, Lo, Hi), 1250);
    EXPECT_EQ(ParseFixed("12", 2, neg, Lo, Hi), 1200);
    EXPECT_EQ(ParseFixed(",5", 1, neg, Lo, Hi), 5);
    EXPECT_EQ(ParseFixed("1,", 2, neg, Lo, Hi), 100);
    EXPECT_EQ(ParseFixed("1,234", 2, neg, Lo, Hi), ParseFormatError);
    EXPECT_EQ(ParseFixed("12,3", 0, neg, Lo, Hi), ParseFormatError);
    EXPECT_EQ(ParseFixed("1.5", 1, neg, Lo, Hi), ParseFormatError);
    EXPECT_EQ(ParseFixed("9999999,99", 2, neg, Lo, Hi), ParseRangeError);
    EXPECT_EQ(ParseFixed("99999999,99", 2, neg, Lo, Hi), ParseFormatError);
  }
  EXPECT_EQ(ParseFixed("-3,25", 2, true, Lo, Hi), -325);
  EXPECT_EQ(ParseFixed("-3,25", 2, false, Lo, Hi), ParseFormatError);
  EXPECT_EQ(ParseFixed("5-", 0, true, Lo, Hi), ParseFormatError);
  EXPECT_EQ(ParseFixed("-9999999", 0, true, Lo, Hi), -9999999);
  EXPECT_EQ(ParseFixed("-10000000", 0, true, Lo, Hi), ParseRangeError);
}

TEST_F(FunctiesTest, ParseFixedEdgeCases) {
  EXPECT_EQ(ParseFixed("-,", 2, true, Lo, Hi), 0);
  EXPECT_EQ(ParseFixed("0007", 0, false, Lo, Hi), 7);
  for (const char* bad : {"", ",", "-", " 1", "1 ", "+1", "1e3", "--1", "1,,0", "-1-", "\xFC"}) {
    EXPECT_EQ(ParseFixed(bad, 2, true, Lo, Hi), ParseFormatError) << '"' << bad << '"';
  }
  // Bounds belong to the range.
  EXPECT_EQ(ParseFixed("5", 0, false, 5, 5), 5);
  EXPECT_EQ(ParseFixed("6", 0, false, 5, 5), ParseRangeError);
  EXPECT_EQ(ParseFixed("4", 0, false, 5, 5), ParseRangeError);
  // Nine characters are accepted, ten are not, a "-" counting.
  EXPECT_EQ(ParseFixed("999999999", 0, false, INT32_MIN, INT32_MAX), 999999999);
  EXPECT_EQ(ParseFixed("-99999999", 0, true, INT32_MIN, INT32_MAX), -99999999);
  EXPECT_EQ(ParseFixed("-999999999", 0, true, INT32_MIN, INT32_MAX), ParseFormatError);
  EXPECT_EQ(ParseFixed("1", 8, false, INT32_MIN, INT32_MAX), 100000000);
  EXPECT_EQ(ParseFixed("1", 9, false, INT32_MIN, INT32_MAX), ParseFormatError);
  // A comma with negative decimals can never be accepted; without one the text is a plain integer.
  EXPECT_EQ(ParseFixed("12", -1, false, Lo, Hi), 12);
  EXPECT_EQ(ParseFixed("1,", -1, false, Lo, Hi), ParseFormatError);
  // A long paste is rejected without trouble.
  EXPECT_EQ(ParseFixed(std::string(1 << 20, '1'), 2, false, Lo, Hi), ParseFormatError);
}

// What FormatFixed writes, ParseFixed reads back to the same number, for values it can accept.
TEST_F(FunctiesTest, FormatThenParseRoundTrips) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int32_t> values(-9999999, 99999999);
  for (int i = 0; i < 20000; ++i) {
    const int32_t decimals = static_cast<int32_t>(i % 8);
    const int32_t value = values(random);
    EXPECT_EQ(ParseFixed(FormatFixed(decimals, value), decimals, true, Lo, Hi), value)
        << FormatFixed(decimals, value) << " with " << decimals;
  }
}

}  // namespace
