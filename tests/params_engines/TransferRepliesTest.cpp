// Reply decoding and panel composition of the transfer runs.

#include "comm/ReplyRule.h"
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
    EXPECT_EQ(ReadReplyValue("rp 5", bytes("rp 5 -120\r\n")), -120);
    EXPECT_EQ(ReadReplyValue("rs 48", bytes("rs 48 7\r\n")), 7);
    EXPECT_EQ(ReadReplyValue("rp 1", bytes("rp 1 -2147483648\r\n")), INT32_MIN);
    EXPECT_EQ(ReadReplyValue("rp 1", bytes("rp 1 2147483647\r\n")), INT32_MAX);
    EXPECT_EQ(ReadReplyValue("rp 1", bytes("rp 1 +8\r\n")), 8);

    for (const char* unusable : {"rp 1 2147483648\r\n", "rp 1 -2147483649\r\n", "rp 1 \r\n", "rp 1\r\n",
                                 "rp 5 12a\r\n", "rp 5 1 2\r\n", "rp 5 --3\r\n", "rp 5 +-3\r\n", "rp 5 -\r\n",
                                 "rp 5 0x10\r\n", "rp\r\n", "", "r"})
        EXPECT_EQ(ReadReplyValue(std::string_view(unusable).substr(0, 4) == "rp 5" ? "rp 5" : "rp 1", bytes(unusable)), std::nullopt) << unusable;
}

TEST(TransferReplies, OnlyTheAnswerToItsOwnRequestGivesAValue)
{
    // Cut (CR only, LF only, nothing): not "7603" from "76031".
    for (const char* cut : {"rs 3 76031\r", "rs 3 76031\n", "rs 3 76031", "rs 3 76031\n\r"})
        EXPECT_EQ(ReadReplyValue("rs 3", bytes(cut)), std::nullopt) << cut;
    // Doubled, another number (a late or spare reply), another unit after the first, another
    // command, an echo of the request.
    for (const char* foreign : {"rs 3 76031\r\nrs 3 76031\r\n", "rs 2 76031\r\n", "rs 3 76031\r\nrs 3 5\r\n",
                                "rp 3 76031\r\n", "rs 3\r", "rs 33 76031\r\n", "rs3 76031\r\n"})
        EXPECT_EQ(ReadReplyValue("rs 3", bytes(foreign)), std::nullopt) << foreign;
    EXPECT_EQ(ReadReplyValue("rs 3", bytes("rs 03 76031\r\n")), 76031); // the same number
    EXPECT_EQ(CheckReply("sc 5", "sc 5\r").Verdict, TReplyVerdict::Echo);
    EXPECT_EQ(CheckReply("sc 5", "sc 3\r\n").Verdict, TReplyVerdict::Wrong);
    EXPECT_TRUE(CheckReply("sc 5", "sc 5\r\n").Answers());
    EXPECT_EQ(CheckReply("rt", "rt KM40 V2.31\r\n").Value, "KM40 V2.31");
    EXPECT_EQ(ShownReply(std::string(40, 'a'), 8), "aaaaaaaa...");
}

TEST(TransferReplies, OnlyTheFirstHundredBytesAreLookedAt)
{
    const std::string longReply = "rp 1 " + std::string(200, '7') + "\r\n";
    EXPECT_EQ(ReadReplyValue("rp 1", bytes(longReply)), std::nullopt);
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
    // A report cut short or run on is no report: "bp -10" must not pass for "bp -1".
    EXPECT_FALSE(DecodeComputeReply(bytes("bp -1")).Success);
    EXPECT_FALSE(DecodeComputeReply(bytes("bp -10\r")).Valid);
    EXPECT_FALSE(DecodeComputeReply(bytes("bp -1\r")).Valid);
    EXPECT_FALSE(DecodeComputeReply(bytes("bp -1\r\nbp -1\r\n")).Valid);
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

TEST(TransferReplies, AWriteIsConfirmedOnlyByItsNumberAndValue)
{
    EXPECT_EQ(CheckWriteReply("wp 12 -5", bytes("wp 12 -5\r\n")), TWriteReply::Confirmed);
    EXPECT_EQ(CheckWriteReply("ws 48 0", bytes("ws 48 0\r\n")), TWriteReply::Confirmed);
    EXPECT_EQ(CheckWriteReply("ws 3 1", bytes("er 7\r\n")), TWriteReply::Refused);
    // The controller kept the number but holds another value (it clamped it).
    EXPECT_EQ(CheckWriteReply("ws 3 87227", bytes("ws 3 9999\r\n")), TWriteReply::OtherValue);
    EXPECT_EQ(DescribeWrongReply("ws 3 87227", bytes("ws 3 9999\r\n")), "the controller holds 9999, not 87227");
    for (const std::string& reply : {std::string("ws 4 87227\r\n"), std::string("wp 3 87227\r\n"),
                                     std::string("ws 3 87227\r"), std::string("ws 3 87227"), std::string("ws 3\r\n"),
                                     std::string("ws 3 87227\r\nws 3 87227\r\n"), std::string("ws\r\n"),
                                     std::string("ws 3 87227\r"), std::string("ws 3 1?x#\0\xFF" "7z\r\n", 15)})
        EXPECT_EQ(CheckWriteReply("ws 3 87227", bytes(reply)), TWriteReply::Wrong) << reply;
    // A line that gives back the request itself names itself.
    EXPECT_EQ(DescribeWrongReply("ws 5 12345", bytes("ws 5 12345\r")), EchoingLineText);
    EXPECT_EQ(DescribeWrongReply("rp 1", bytes("rq 1 \x01\r\n")), "rq 1");
    EXPECT_EQ(DescribeWrongReply("rp 1", bytes("\x01\r\n")), "\\x01\\r\\n");
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
