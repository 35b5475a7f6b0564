#include "device/core/ReplyValue.h"

#include <gtest/gtest.h>

using device::ParseInt32;
using device::ReplyValueText;

namespace {
std::vector<std::uint8_t> bytes(const std::string& s)
{
    return {s.begin(), s.end()};
}
} // namespace

TEST(ReplyValue, TakesTheTextBetweenEchoAndClosingBytes)
{
    EXPECT_EQ(ReplyValueText(bytes("rt KM40 V2.31\r\n")), "KM40 V2.31");
    EXPECT_EQ(ReplyValueText(bytes("rf -1\r\n")), "-1");
    // Six bytes: one character of value.
    EXPECT_EQ(ReplyValueText(bytes("rf 7\r\n")), "7");
}

TEST(ReplyValue, FiveBytesOrLessGiveAnEmptyValue)
{
    EXPECT_EQ(ReplyValueText(bytes("rt \r\n")), "");
    EXPECT_EQ(ReplyValueText(bytes("rt\r\n")), "");
    EXPECT_EQ(ReplyValueText(bytes("")), "");
    EXPECT_EQ(ReplyValueText(bytes("r")), "");
}

TEST(ReplyValue, AReplyOfAnotherCommandGivesNoValue)
{
    using device::EchoedValueText;
    EXPECT_EQ(EchoedValueText(bytes("r1 -5\r\n"), "r1"), "-5");
    // A late "r0" reply taken for the "r1" request, a garbled echo, nothing at all.
    EXPECT_FALSE(EchoedValueText(bytes("r0 12345\r\n"), "r1"));
    EXPECT_FALSE(EchoedValueText(bytes("1r -5\r\n"), "r1"));
    EXPECT_FALSE(EchoedValueText(bytes(""), "r1"));
    EXPECT_FALSE(EchoedValueText(bytes("ri 65\r\n"), "ru", device::kIoReplyBufferSize));
    // The thumbwheel's number is repeated before the value; another number is no answer.
    EXPECT_EQ(EchoedValueText(bytes("rd 3 500\r\n"), "rd 3"), "500");
    EXPECT_FALSE(EchoedValueText(bytes("rd 2 500\r\n"), "rd 3"));
    EXPECT_FALSE(EchoedValueText(bytes("r1 -50\r"), "r1"));
    // A reply too long for the buffer is not read at all, echo included: an empty value.
    EXPECT_EQ(EchoedValueText(bytes("xx " + std::string(16, '1') + "\r\n"), "ri", device::kIoReplyBufferSize), "");
}

TEST(ReplyValue, AReplyLongerThanTheBufferIsNotRead)
{
    const std::string exactly100 = "rt " + std::string(95, 'x') + "\r\n";
    ASSERT_EQ(exactly100.size(), 100u);
    EXPECT_EQ(ReplyValueText(bytes(exactly100)), std::string(95, 'x'));
    EXPECT_EQ(ReplyValueText(bytes(exactly100 + "y")), "");
    // The short buffer of the I/O words.
    EXPECT_EQ(ReplyValueText(bytes("ri 65\r\n"), device::kIoReplyBufferSize), "65");
    EXPECT_EQ(ReplyValueText(bytes("ri " + std::string(16, '1') + "\r\n"), device::kIoReplyBufferSize), "");
}

TEST(ReplyValue, EchoMustRepeatTheCommandLetters)
{
    EXPECT_TRUE(device::EchoMatches(bytes("rf -1\r\n"), "rf"));
    EXPECT_TRUE(device::EchoMatches(bytes("sc\r\n"), "sc 12"));
    EXPECT_FALSE(device::EchoMatches(bytes("rt KM40\r\n"), "rh"));
    EXPECT_FALSE(device::EchoMatches(bytes("r"), "rf"));
    EXPECT_FALSE(device::EchoMatches(bytes("rf"), "r"));
}

TEST(ReplyValue, ParsesSigned32BitDecimalsOnly)
{
    EXPECT_EQ(ParseInt32("7"), 7);
    EXPECT_EQ(ParseInt32("-15"), -15);
    EXPECT_EQ(ParseInt32("+15"), 15);
    EXPECT_EQ(ParseInt32("  42"), 42);
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInt32("2147483648"), std::nullopt);
    EXPECT_EQ(ParseInt32("99999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseInt32(""), std::nullopt);
    EXPECT_EQ(ParseInt32("-"), std::nullopt);
    EXPECT_EQ(ParseInt32("+-5"), std::nullopt);
    EXPECT_EQ(ParseInt32("- 5"), std::nullopt);
    EXPECT_EQ(ParseInt32("12 "), std::nullopt);
    EXPECT_EQ(ParseInt32("1x"), std::nullopt);
    EXPECT_EQ(ParseInt32("0x10"), std::nullopt);
    EXPECT_EQ(ParseInt32(std::string_view("5\0", 2)), std::nullopt);
}

TEST(ReplyValue, SplitsTextLinesLikeATextField)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(device::TextLines("rf -1\r\n"), V{"rf -1"});
    EXPECT_EQ(device::TextLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(device::TextLines("a\r\n\r\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(device::TextLines(""), V{});
}
