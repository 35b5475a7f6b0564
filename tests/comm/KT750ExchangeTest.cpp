// ASCII line exchanges on the scripted line: framing, reply ends, time-outs, retries after line
// errors and failing system calls, start and stop characters.

#include "CommTestSupport.h"

#include <atomic>

using namespace commtest;
using Op = zbserial::FakeSerialLine::Op;

// One KT750 component, set up as the program's windows set theirs up, on an open port on the fake line.
using KT750Fixture = KT750PortFixture;

TEST_F(KT750Fixture, TextIsTrimmedAndFramedWithTheFoot)
{
    f.answerWith("rf 0\r");
    const Event& e = send(" rf\t ");
    EXPECT_EQ(c.ASCIIProtocol(), "rf");
    ASSERT_EQ(f.line->Writes().size(), 1u);
    EXPECT_EQ(f.line->Writes()[0], (std::vector<uint8_t>{0x72, 0x66, 0x0D}));
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, "rf 0\r");
    EXPECT_EQ(c.chunks, 5) << "every byte is handed over on its own";

    // Control characters go as blanks do, DEL included; inner ones stay.
    send(std::string("\x7F\x1B") + "rp\x7F" + "1\r\n\x7F");
    EXPECT_EQ(c.ASCIIProtocol(), "rp\x7F" "1");
    EXPECT_EQ(f.line->Writes().back(), (std::vector<uint8_t>{'r', 'p', 0x7F, '1', 0x0D}));
}

TEST_F(KT750Fixture, HeadCharacterPrecedesTheText)
{
    c.SetProtocolHead(TSequenceChar::scSTX);
    f.answerWith("x");
    send("ab");
    EXPECT_EQ(f.line->Writes()[0], (std::vector<uint8_t>{0x02, 'a', 'b', 0x0D}));
}

TEST_F(KT750Fixture, EmptyTextSendsTheFootAlone)
{
    f.answerWith("?");
    send("");
    EXPECT_EQ(f.line->Writes()[0], std::vector<uint8_t>{0x0D});
    EXPECT_EQ(c.SendBuffer()[0], 2);
}

TEST_F(KT750Fixture, EmptyTextWithoutFootWritesNothingAndWaitsAsUsual)
{
    c.SetProtocolFoot(TSequenceChar::scNone);
    const Event& e = send("");
    EXPECT_EQ(c.SendBuffer()[0], 1);
    ASSERT_EQ(f.line->Writes().size(), 1u);
    EXPECT_TRUE(f.line->Writes()[0].empty());
    EXPECT_EQ(e.kind, Event::Error);
    EXPECT_EQ(e.error.Code, ecTimeout);
}

TEST_F(KT750Fixture, OverlongTextIsCutSoTheFrameStaysWhole)
{
    f.answerWith("x");
    send(std::string(400, 'a'));
    ASSERT_EQ(f.line->Writes().size(), 1u);
    const auto frame = f.line->Writes()[0];
    EXPECT_EQ(frame.size(), 254u);
    EXPECT_EQ(frame.back(), 0x0D);
    EXPECT_EQ(c.SendBuffer()[0], 255);
}

TEST_F(KT750Fixture, SilentDeviceTimesOutOnceWithTheDefaultOrOwnTimeout)
{
    const Event& e = send("rf");
    EXPECT_EQ(e.kind, Event::Error);
    EXPECT_EQ(e.error, (TCommError{ecTimeout, 0, 0}));
    EXPECT_EQ(e.error.Code, 4208u);
    EXPECT_TRUE(e.data.empty());
    EXPECT_EQ(f.line->Writes().size(), 1u) << "no repetition after a time-out";
    EXPECT_EQ(f.line->LastReadTimeout(), 100);

    c.SetTimeoutTime(300);
    const Event& again = send("rf");
    EXPECT_EQ(again.error.Code, ecTimeout) << "a one-shot request reports every time-out";
    EXPECT_EQ(f.line->LastReadTimeout(), 300);
    EXPECT_EQ(rec.count(Event::Error), 2u);
}

TEST_F(KT750Fixture, ALineLostDuringTheWaitIsReportedAsLostThoughTheReadOnlyTimedOut)
{
    // A device that is there and silent: the line is asked, and it is a time-out.
    EXPECT_EQ(send("rf").error, (TCommError{ecTimeout, 0, 0}));
    EXPECT_EQ(f.line->Calls(Op::StillThere), 1);

    // The device goes away while a request waits for its reply, and the driver ends the read as a
    // plain time-out (as Wine does on a hung-up terminal): the request names the system error.
    constexpr uint32_t NotReady = 21;
    f.line->SetResponder([](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) { l.HangUpDuringNextRead(NotReady); });
    const Event& lost = send("rp 49");
    EXPECT_EQ(lost.kind, Event::Error);
    EXPECT_EQ(lost.error, (TCommError{ecSystemError, NotReady, 0}));
}

TEST_F(KT750Fixture, FiftyMillisecondsOfSilenceEndTheReply)
{
    // Bytes 10 ms apart belong to one reply; after 300 ms of silence the rest is a stray.
    f.line->SetResponder([](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) {
        l.Feed("rp 5", 0, 10);
        l.Feed("late", 300);
    });
    const Event& e = send("rp 5");
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, "rp 5");
    EXPECT_EQ(f.line->LastReadTimeout(), 50) << "after the first byte the gap time-out applies";
}

// Also with the fast end of reply, which makes a reply's data calls together when it ends.
TEST_F(KT750Fixture, LineErrorDiscardsTheReplyAndTheRetryStartsAfresh)
{
    for (bool fast : {false, true}) {
        f.port.SetFastReplyEnd(fast);
        int writes = 0;
        f.line->SetResponder([&](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) {
            if (++writes == 1) {
                l.Feed("rf");
                l.FeedFaulty('x', ceRxParity);
                l.Feed(" 9\r\n");
            } else {
                l.Feed("rf 0\r\n", 5);
            }
        });
        c.chunks = 0;
        const Event& e = send("rf");
        EXPECT_EQ(e.kind, Event::Result) << "fast " << fast;
        EXPECT_EQ(e.data, "rf 0\r\n") << "fast " << fast << ": bytes of the faulty reply do not survive";
        EXPECT_EQ(writes, 2);
        EXPECT_EQ(c.chunks, 2 + 6) << "fast " << fast << ": one call per byte, before the error and after";
    }
}

TEST_F(KT750Fixture, ThreeFaultyRepliesEndInCommError)
{
    f.line->SetResponder([](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) {
        l.Feed("rf");
        l.FeedFaulty('?', ceFrame | ceOverrun);
    });
    const Event& e = send("rf");
    EXPECT_EQ(e.kind, Event::Error);
    EXPECT_EQ(e.error, (TCommError{ecCommError, 0, ceFrame | ceOverrun}));
    EXPECT_EQ(f.line->Writes().size(), 3u) << "at most three transmissions";
}

TEST_F(KT750Fixture, LineErrorsPendingBeforeTheRequestCountAsAFailedAttempt)
{
    f.answerWith("rf 0\r\n");
    f.line->RaiseLineErrors(ceBreak);
    const Event& e = send("rf");
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(f.line->Writes().size(), 1u) << "the first attempt failed before writing";
}

TEST_F(KT750Fixture, FailingSystemCallsGiveSystemErrorAfterThreeAttempts)
{
    f.line->Fail(Op::Write, 5 /* EIO */, -1);
    const Event& e = send("rf");
    EXPECT_EQ(e.kind, Event::Error);
    EXPECT_EQ(e.error, (TCommError{ecSystemError, 5, 0}));
    EXPECT_EQ(f.line->Calls(Op::Write), 3);
    EXPECT_EQ(e.data, "") << "nothing was received, so the error carries no bytes";
}

TEST_F(KT750Fixture, AFailureOfOneAttemptIsRecoveredByTheNext)
{
    f.answerWith("rf 0\r\n");
    for (Op op : {Op::Purge, Op::Drain, Op::SetReadTimeout, Op::TakeLineErrors, Op::ReadByte}) {
        f.line->Fail(op, 5, 1);
        const Event& e = send("rf");
        EXPECT_EQ(e.kind, Event::Result) << "operation " << static_cast<int>(op);
        EXPECT_EQ(e.data, "rf 0\r\n");
    }
}

TEST_F(KT750Fixture, StartCharacterIsCheckedAndFilteredWithStopCharacter)
{
    c.SetReceiveStart(TSequenceChar::scSTX);
    c.SetReceiveStop(TSequenceChar::scETX);
    c.SetFiltered(true);
    f.answerWith("\x02" "abc\x03" "trailing");
    Event e = send("q");
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, "abc") << "start and stop removed; the reply ends at the stop";

    c.SetFiltered(false);
    e = send("q");
    EXPECT_EQ(e.data, "\x02" "abc\x03");

    f.answerWith("xabc\x03");
    e = send("q");
    EXPECT_EQ(e.kind, Event::Error);
    EXPECT_EQ(e.error.Code, ecStartChar);
    EXPECT_EQ(f.line->Writes().size(), 5u) << "a wrong start character is retried";
    EXPECT_EQ(e.data, "") << "the refused start byte is not part of any reply";
}

TEST_F(KT750Fixture, EndlessNoiseEndsTheReplyAtABufferLength)
{
    f.line->SetResponder([](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) {
        std::vector<uint8_t> noise(2000);
        for (std::size_t i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<uint8_t>(i * 37);
        l.Feed(noise);
    });
    const Event& e = send("rf");
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data.size(), ZBBufferSize);
}

TEST_F(KT750Fixture, CyclicFailureIsReportedOnceAndRecoveryClearsIt)
{
    std::atomic<bool> answering{false};
    f.line->SetResponder([&](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) {
        if (answering.load())
            l.Feed("r0 1\r\n");
    });
    c.SetASCIIProtocol("r0");
    c.SetActive(true);
    ASSERT_TRUE(f.until([&] { return f.line->Writes().size() >= 4; })) << "it keeps polling";
    answering = true;
    ASSERT_TRUE(f.until([&] { return rec.count(Event::Result) >= 2; }));
    c.SetActive(false);
    f.until([&] { return f.port.QueueLength() == 0; });

    // Activate, one error, then result + zero error, then results.
    ASSERT_GE(rec.events.size(), 5u);
    EXPECT_EQ(rec.events[0].second.kind, Event::Activate);
    EXPECT_EQ(rec.events[1].second.kind, Event::Error);
    EXPECT_EQ(rec.events[1].second.error.Code, ecTimeout);
    EXPECT_EQ(rec.events[2].second.kind, Event::Result);
    EXPECT_EQ(rec.events[3].second.kind, Event::Error);
    EXPECT_TRUE(rec.events[3].second.error.IsZero());
    EXPECT_TRUE(rec.events[3].second.data.empty());
    EXPECT_EQ(rec.events[4].second.kind, Event::Result);
    EXPECT_EQ(rec.count(Event::Error), 2u);
    EXPECT_EQ(rec.count(Event::Deactivate), 1u);
}
