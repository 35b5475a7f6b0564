// Binary telegram exchanges (ZB2 and RTQ) on the scripted line: framing with doubled bytes, check
// byte, reject telegrams, device error replies, retries, and replies that break the framing.

#include "CommTestSupport.h"

#include "comm/RTQProtocol.h"
#include "comm/ZB2Protocol.h"

using namespace commtest;
using Bytes = std::vector<uint8_t>;

namespace {

template <typename Protocol> struct TelegramFixture {
    FakePort f;
    Recorder rec;
    Protocol c;
    TelegramFixture()
    {
        c.SetZBComm(&f.port);
        rec.attach(c);
        f.port.Open();
    }
    ~TelegramFixture() { f.port.Close(); }

    void request(const Bytes& data)
    {
        c.PutByte(0, static_cast<uint8_t>(data.size() + 1));
        for (std::size_t i = 0; i < data.size(); ++i)
            c.PutByte(static_cast<int>(i + 1), data[i]);
    }
    // Answers each write with the next of Replies (nothing once they run out), except reject
    // telegrams, which get no answer.
    void replies(std::vector<Bytes> Replies)
    {
        auto queue = std::make_shared<std::vector<Bytes>>(std::move(Replies));
        auto next = std::make_shared<std::size_t>(0);
        f.line->SetResponder([queue, next](zbserial::FakeSerialLine& l, const Bytes& frame) {
            const bool reject = frame.size() == 4 && frame[1] == 0 && frame[3] == 0;
            if (!reject && *next < queue->size())
                l.Feed((*queue)[(*next)++]);
        });
    }
    const Event& exchange()
    {
        const std::size_t before = rec.completions();
        c.SendRequest();
        EXPECT_TRUE(f.until([&] { return rec.completions() > before; }));
        return rec.last();
    }
};

// The first-byte time-out is a setting of the ASCII protocol only; telegrams always wait 100 ms.
template <typename Protocol> concept HasTimeoutTime = requires(Protocol& p) { p.SetTimeoutTime(1); };
static_assert(HasTimeoutTime<TKT750Protocol>);
static_assert(!HasTimeoutTime<TZB2Protocol> && !HasTimeoutTime<TRTQProtocol>);

const Bytes Zb2Reject{0x82, 0x00, 0x82, 0x00};
const Bytes RtqReject{0x10, 0x00, 0x10, 0x00};

} // namespace

TEST(ZB2Telegram, RequestIsFramedWithDoubled82AndCheckByte)
{
    TelegramFixture<TZB2Protocol> t;
    t.request({0x01, 0x82});
    t.replies({{0x82, 0x96, 0x03, 0x01, 0x02, 0x00}});
    const Event& e = t.exchange();
    // Len 03, data 01 82(82), check 03^01^82 = 80.
    EXPECT_EQ(t.f.line->Writes()[0], (Bytes{0x82, 0x96, 0x03, 0x01, 0x82, 0x82, 0x80}));
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, std::string("\x03\x01\x02", 3)) << "Len followed by the data";
}

TEST(ZB2Telegram, DoubledBytesInTheReplyCountOnce)
{
    TelegramFixture<TZB2Protocol> t;
    t.request({0x07});
    // Len 03, data 82 01, check 03^82^01 = 80.
    t.replies({{0x82, 0x96, 0x03, 0x82, 0x82, 0x01, 0x80}});
    const Event& e = t.exchange();
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, std::string("\x03\x82\x01", 3));
}

TEST(ZB2Telegram, WrongCheckByteIsRejectedWithoutRetry)
{
    TelegramFixture<TZB2Protocol> t;
    t.request({0x07});
    t.replies({{0x82, 0x96, 0x03, 0x01, 0x02, 0x55}});
    const Event& e = t.exchange();
    EXPECT_EQ(e.kind, Event::Error);
    EXPECT_EQ(e.error.Code, ecCheckSum);
    const auto writes = t.f.line->Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1], Zb2Reject);
}

TEST(ZB2Telegram, FramingFaultsGiveTheirCodesAndAReject)
{
    struct Case {
        Bytes reply;
        uint32_t code;
    } cases[] = {
        {{0x82, 0x97, 0x03, 0x01, 0x02, 0x00}, ecHeader8296},
        {{0x82, 0x96, 0x03, 0x82, 0x01, 0x01}, ecDuplication82},
        {{0x82, 0x96, 0x00, 0x01}, ecCheckSum},
        {{0x82, 0x96, 0x03, 0x01}, ecTimeout},
        {{}, ecTimeout},
    };
    for (const auto& c : cases) {
        TelegramFixture<TZB2Protocol> t;
        t.request({0x07});
        t.replies({c.reply});
        const Event& e = t.exchange();
        EXPECT_EQ(e.error.Code, c.code);
        EXPECT_TRUE(e.data.empty()) << "an incomplete telegram is no result";
        const auto writes = t.f.line->Writes();
        ASSERT_EQ(writes.size(), 2u);
        EXPECT_EQ(writes[1], Zb2Reject);
    }
}

TEST(ZB2Telegram, DeviceErrorReplyIsNeitherRejectedNorRetried)
{
    TelegramFixture<TZB2Protocol> t;
    t.request({0x07});
    t.replies({{0x82, 0x96, 0x02, 0xFF, 0xFD}});
    const Event& e = t.exchange();
    EXPECT_EQ(e.error.Code, ecDeviceError);
    EXPECT_EQ(e.data, std::string("\x02\xFF", 2)) << "the error telegram reaches the handler";
    EXPECT_EQ(t.f.line->Writes().size(), 1u);
}

TEST(ZB2Telegram, EmptySendBufferIsBufferEmptyWithoutTransmission)
{
    TelegramFixture<TZB2Protocol> t;
    const Event& e = t.exchange();
    EXPECT_EQ(e.error.Code, ecBufferEmpty);
    EXPECT_TRUE(t.f.line->Writes().empty());

    // After a telegram was received, an empty request must not hand that telegram on again.
    t.request({0x07});
    t.replies({{0x82, 0x96, 0x03, 0x01, 0x02, 0x00}});
    EXPECT_EQ(t.exchange().kind, Event::Result);
    t.c.PutByte(0, 0);
    const Event& empty = t.exchange();
    EXPECT_EQ(empty.error.Code, ecBufferEmpty);
    EXPECT_EQ(empty.data, "");
    EXPECT_EQ(t.f.line->Writes().size(), 1u);
}

TEST(RTQTelegram, LongestRequestOfDoubledBytesIsSentWhole)
{
    // 254 DLE bytes doubled make a frame one byte longer than the work buffer.
    TelegramFixture<TRTQProtocol> t;
    t.request(Bytes(254, 0x10));
    t.exchange();
    const auto frame = t.f.line->Writes()[0];
    ASSERT_EQ(frame.size(), 2u + 2u * 254u + 2u + 1u);
    EXPECT_EQ(frame[frame.size() - 3], 0x10);
    EXPECT_EQ(frame[frame.size() - 2], 0x03);
    EXPECT_EQ(frame.back(), 0x00);
}

namespace {

// Asks for one more telegram after the first.
class TwoTelegramZB2 : public TZB2Protocol {
public:
    int telegrams = 0;
    void DataReceived(const TZBBuffer& Data, const TZBBuffer& Sent, bool& Flag) override
    {
        TZB2Protocol::DataReceived(Data, Sent, Flag);
        Flag = ++telegrams < 2;
    }
};

} // namespace

TEST(ZB2Telegram, MoreFlagSendsTheRequestAgainForTheNextTelegram)
{
    TelegramFixture<TwoTelegramZB2> t;
    t.request({0x07});
    t.replies({{0x82, 0x96, 0x02, 0x01, 0x03}, {0x82, 0x96, 0x02, 0x02, 0x00}});
    const Event& e = t.exchange();
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(t.c.telegrams, 2);
    EXPECT_EQ(t.f.line->Writes().size(), 2u);
    EXPECT_EQ(e.data, std::string("\x02\x02", 2)) << "the result carries the last telegram";
}

TEST(RTQTelegram, RequestIsFramedWithDoubledDleAndCheckByte)
{
    TelegramFixture<TRTQProtocol> t;
    t.request({0x01, 0x10});
    t.replies({{0x10, 0x02, 0x05, 0x06, 0x10, 0x03, 0x03}});
    const Event& e = t.exchange();
    EXPECT_EQ(t.f.line->Writes()[0], (Bytes{0x10, 0x02, 0x01, 0x10, 0x10, 0x10, 0x03, 0x11}));
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, std::string("\x03\x05\x06", 3)) << "1 + count, then the data";
}

TEST(RTQTelegram, DoubledDleInTheReplyIsOneDataByte)
{
    TelegramFixture<TRTQProtocol> t;
    t.request({0x01});
    t.replies({{0x10, 0x02, 0x10, 0x10, 0x07, 0x10, 0x03, 0x17}});
    const Event& e = t.exchange();
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, std::string("\x03\x10\x07", 3));
}

TEST(RTQTelegram, FaultyRepliesAreRejectedAndRetriedThreeTimes)
{
    TelegramFixture<TRTQProtocol> t;
    t.request({0x01});
    const Bytes bad{0x10, 0x02, 0x05, 0x06, 0x10, 0x03, 0x44};
    t.replies({bad, bad, bad});
    const Event& e = t.exchange();
    EXPECT_EQ(e.error.Code, ecCheckSum);
    const auto writes = t.f.line->Writes();
    ASSERT_EQ(writes.size(), 6u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(writes[2 * i + 1], RtqReject);
}

TEST(RTQTelegram, RetryRecoversAfterAFaultyReply)
{
    TelegramFixture<TRTQProtocol> t;
    t.request({0x01});
    t.replies({{0x10, 0x02, 0x05, 0x10, 0x41}, {0x10, 0x02, 0x05, 0x06, 0x10, 0x03, 0x03}});
    const Event& e = t.exchange();
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, std::string("\x03\x05\x06", 3));
}

TEST(RTQTelegram, FramingFaultsGiveTheirCodes)
{
    struct Case {
        Bytes reply;
        uint32_t code;
        std::size_t writes;
    } cases[] = {
        {{0x10, 0x03, 0x05}, ecHeaderDleStx, 6},
        {{0x10, 0x02, 0x05, 0x10, 0x41}, ecDuplicationDle, 6},
        {{0x10, 0x02, 0x05}, ecTimeout, 2}, // time-out: one reject, no retry
    };
    for (const auto& c : cases) {
        TelegramFixture<TRTQProtocol> t;
        t.request({0x01});
        t.replies({c.reply, c.reply, c.reply});
        const Event& e = t.exchange();
        EXPECT_EQ(e.error.Code, c.code);
        EXPECT_EQ(t.f.line->Writes().size(), c.writes);
    }
}

TEST(RTQTelegram, DeviceErrorReplyIsNeitherRejectedNorRetried)
{
    TelegramFixture<TRTQProtocol> t;
    t.request({0x01});
    t.replies({{0x10, 0x02, 0xFF, 0x07, 0x10, 0x03, 0xF8}});
    const Event& e = t.exchange();
    EXPECT_EQ(e.error.Code, ecDeviceError);
    EXPECT_EQ(e.data, std::string("\x03\xFF\x07", 3));
    EXPECT_EQ(t.f.line->Writes().size(), 1u);
}

TEST(RTQTelegram, EndlessDataWithoutEndIsNoTelegram)
{
    TelegramFixture<TRTQProtocol> t;
    t.request({0x01});
    Bytes longReply{0x10, 0x02};
    longReply.insert(longReply.end(), 1500, 0x41);
    t.replies({longReply, longReply, longReply});
    const Event& e = t.exchange();
    EXPECT_EQ(e.error.Code, ecCheckSum);
    EXPECT_TRUE(e.data.empty());
}

TEST(RTQTelegram, FailedTransmissionsAreRetriedWithoutReject)
{
    TelegramFixture<TRTQProtocol> t;
    t.request({0x01});
    t.f.line->Fail(zbserial::FakeSerialLine::Op::Write, 5, -1);
    const Event& e = t.exchange();
    EXPECT_EQ(e.error, (TCommError{ecSystemError, 5, 0}));
    EXPECT_EQ(t.f.line->Calls(zbserial::FakeSerialLine::Op::Write), 3);
}
