// The port's fast end of reply on the scripted line: an ASCII reply ends at its CR LF, with the very
// bytes the silence rule gives; everything else (no CR LF, free text, the default) keeps the silence.

#include "CommTestSupport.h"

using namespace commtest;

namespace {

struct FastEndFixture : KT750PortFixture {
    // The reply to one request when the line delivers Bytes: first a part, then (after LaterMs) the rest.
    std::string replyTo(bool Fast, const std::string& Bytes, const std::string& Later = {}, int LaterMs = 20)
    {
        f.port.SetFastReplyEnd(Fast);
        f.line->SetResponder([=](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) {
            l.Feed(Bytes, 0, 0);
            if (!Later.empty())
                l.Feed(Later, LaterMs, 0);
        });
        const Event& e = send("rp 1");
        EXPECT_EQ(e.kind, Event::Result) << "error " << e.error.Code;
        return e.data;
    }
};

} // namespace

TEST_F(FastEndFixture, OffByDefaultAReplyEndsBySilence)
{
    EXPECT_FALSE(f.port.FastReplyEnd());
    f.line->SetResponder([](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) {
        l.Feed("rp 1 5\r\n");
        l.Feed("+", 20); // within the 50 ms a reply may pause
    });
    EXPECT_EQ(send("rp 1").data, "rp 1 5\r\n+");
}

TEST_F(FastEndFixture, AReplyEndsAtItsCrLfAndWhatFollowsMakesAWrongReply)
{
    // Bytes after the CR LF are never dropped unseen: waiting behind the reply they are handed on
    // with it, still on their way they are handed on in front of the next reply, and either way
    // the reply rule refuses the reply that carries them.
    const std::string first = replyTo(true, "rp 1 5\r\nJUNK");
    const std::string second = replyTo(true, "rp 1 6\r\n");
    EXPECT_EQ(first + second, "rp 1 5\r\nJUNKrp 1 6\r\n");
    EXPECT_EQ(first.substr(0, 8), "rp 1 5\r\n");
    EXPECT_EQ(replyTo(true, "rp 1 6\r\n"), "rp 1 6\r\n") << "nothing left for the one after";
    // A later byte is no longer part of the reply at all.
    EXPECT_EQ(replyTo(true, "rp 1 7\r\n", "+", 20), "rp 1 7\r\n");
}

TEST_F(FastEndFixture, RepliesClosedWithCrLfAreTheSameAsBySilence)
{
    const std::string replies[] = {
        "rp 1 5\r\n",
        "\r\n",
        "er 7\r\r\n",                         // a CR before the closing CR LF
        "rt KM41\n+\r\n",                     // an LF alone inside
        std::string("x\0\xFF\x80y\r\n", 7),  // any byte value
        "1\r2\r\n",
    };
    for (const std::string& reply : replies) {
        const std::string bySilence = replyTo(false, reply);
        EXPECT_EQ(replyTo(true, reply), bySilence);
        EXPECT_EQ(bySilence, reply);
    }
}

TEST_F(FastEndFixture, WithoutCrLfTheReplyStillEndsBySilence)
{
    // CR alone, LF alone, LF CR: nothing closes the reply but the silence, so the part that comes
    // after the pause belongs to it, as with the option off.
    EXPECT_EQ(replyTo(true, "rp 1 5\r", "7", 20), "rp 1 5\r7");
    EXPECT_EQ(replyTo(true, "rp 1 5\n", "7", 20), "rp 1 5\n7");
    EXPECT_EQ(replyTo(true, "rp 1 5\n\r", "7", 20), "rp 1 5\n\r7");
}

TEST_F(FastEndFixture, FreeTextKeepsTheSilenceForRepliesOfSeveralLines)
{
    c.SetEndsBySilence(true);
    EXPECT_EQ(replyTo(true, "line 1\r\n", "line 2\r\n", 20), "line 1\r\nline 2\r\n");
}

TEST_F(FastEndFixture, ALineUnpluggedJustAfterTheCrLfLosesNoReply)
{
    f.port.SetFastReplyEnd(true);
    f.answerWith("rp 1 5\r\n");
    // The reply is complete at its CR LF: pulling the plug right then costs the next request only.
    c.OnCommResult = [&](TObject* s, TMemoryStream& r) {
        f.line->HangUp();
        rec.events.push_back({s, {Event::Result, r.Text(), {}}});
    };
    const Event reply = send("rp 1");
    EXPECT_EQ(reply.kind, Event::Result);
    EXPECT_EQ(reply.data, "rp 1 5\r\n");
    const Event next = send("rp 2");
    EXPECT_EQ(next.kind, Event::Error);
    EXPECT_EQ(next.error.Code, static_cast<uint32_t>(ecSystemError));
}
