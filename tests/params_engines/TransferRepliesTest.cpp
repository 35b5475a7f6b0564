// Reply decoding and panel composition of the transfer runs.

#include "params/core/TransferReplies.h"
#include "params/core/TransferView.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(TransferReplies, ReadValueIsTheDecimalAfterTheEchoedNumber)
{
    EXPECT_EQ(ReadReplyValue(bytes("rp 5 -120\r\n")), -120);
    EXPECT_EQ(ReadReplyValue(bytes("rs 48 7\r\n")), 7);
    EXPECT_EQ(ReadReplyValue(bytes("rp 1 -2147483648\r\n")), INT32_MIN);
    EXPECT_EQ(ReadReplyValue(bytes("rp 1 2147483647\r\n")), INT32_MAX);
    EXPECT_EQ(ReadReplyValue(bytes("rp 1 +8\r\n")), 8);

    for (const char* unusable : {"rp 1 2147483648\r\n", "rp 1 -2147483649\r\n", "rp 1 \r\n", "rp 1\r\n",
                                 "rp 5 12a\r\n", "rp 5 1 2\r\n", "rp 5 --3\r\n", "rp 5 +-3\r\n", "rp 5 -\r\n",
                                 "rp 5 0x10\r\n", "rp\r\n", "", "r"})
        EXPECT_EQ(ReadReplyValue(bytes(unusable)), std::nullopt) << unusable;
}

TEST(TransferReplies, OnlyTheFirstHundredBytesAreLookedAt)
{
    const std::string longReply = "rp 1 " + std::string(200, '7') + "\r\n";
    EXPECT_EQ(ReadReplyValue(bytes(longReply)), std::nullopt);
    EXPECT_EQ(ReplyHead(bytes(longReply), 500).size(), 100u);
    EXPECT_EQ(ReplyHead(bytes("er"), 4), "er");
    EXPECT_TRUE(ReplyEchoes(bytes("rp 1 2\r\n"), "rp"));
    EXPECT_FALSE(ReplyEchoes(bytes("r"), "rp"));
}

TEST(TransferReplies, ComputationReply)
{
    EXPECT_TRUE(DecodeComputeReply(bytes("bp -1\r\n")).Success);
    const TComputeReply failed = DecodeComputeReply(bytes("bp 123\r\n"));
    EXPECT_FALSE(failed.Success);
    EXPECT_EQ(failed.Report, "123");
    EXPECT_FALSE(DecodeComputeReply(bytes("bp -1")).Success); // the closing bytes are cut unseen
    EXPECT_TRUE(failed.Valid);
    // No report, another command's echo, a refusal or noise: no computation reply at all.
    for (const std::string& reply : {std::string("bp\r\n"), std::string(""), std::string("pb -1\r\n"),
                                     std::string("er 1\r\n"), std::string("bp 1?x#\0\xFF" "7z\r\n", 13)})
        EXPECT_FALSE(DecodeComputeReply(bytes(reply)).Valid) << reply;
    EXPECT_EQ(DecodeComputeReply(bytes("bp\r\n")).Report, "");
    // The report is taken whole, also beyond the 100 bytes a read or write reply is looked at.
    const std::string longReport = std::string(150, '0') + "42";
    EXPECT_EQ(DecodeComputeReply(bytes("bp " + longReport + "\r\n")).Report, longReport);
    EXPECT_TRUE(DecodeComputeReply(bytes("bp " + longReport + "\r\n")).Valid);
}

TEST(TransferReplies, AWriteIsConfirmedOnlyByItsEchoWithNumberAndValue)
{
    EXPECT_TRUE(WriteReplyConfirms(bytes("wp 12 -5\r\n"), "wp"));
    EXPECT_TRUE(WriteReplyConfirms(bytes("ws 48 0\r\n"), "ws"));
    EXPECT_FALSE(WriteReplyConfirms(bytes("ws 48 0\r\n"), "wp"));
    EXPECT_FALSE(WriteReplyConfirms(bytes("wp\r\n"), "wp"));
    EXPECT_FALSE(WriteReplyConfirms(bytes("wp 12\r\n"), "wp"));
    EXPECT_FALSE(WriteReplyConfirms(bytes(std::string("wp 1?x#\0\xFF" "7z\r\n", 13)), "wp"));
}

TEST(TransferView, PanelTextsJoinTheirParts)
{
    const auto t = [](int key) { return std::string("T").append(std::to_string(key)); };
    EXPECT_EQ(ComposePanelText(TPanelText::Of(2, "17"), t), "T2 17");
    EXPECT_EQ(ComposePanelText(TPanelText::Of(7, "er 7" + WrongReplyItem(true, 17)), t), "T7 er 7   P[017]");
    EXPECT_EQ(ComposePanelText(TPanelText::Of(7, "sr 5" + WrongReplyItem(false, 5)), t), "T7 sr 5   S[005]");
    EXPECT_EQ(ComposePanelText(TPanelText::Of(10, "", 11), t), "T10  T11");
    EXPECT_EQ(ComposePanelText(TPanelText::Literal("(er 7) ", 9), t), "(er 7) T9");
    EXPECT_EQ(ComposePanelText(TPanelText::Literal("Bereken parameters"), t), "Bereken parameters");
    EXPECT_EQ(ComposePanelText(TPanelText{}, t), "");
    EXPECT_EQ(TransferModeFromInt(3), TTransferMode::Device);
    EXPECT_EQ(TransferModeFromInt(9), TTransferMode::Parameters);
}

} // namespace
