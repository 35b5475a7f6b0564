// Several components on one port: first in, first out; a second SendRequest while the first is
// still queued or running; chaining from a handler.

#include "CommTestSupport.h"

#include <algorithm>

using namespace commtest;

namespace {

std::string text(const std::vector<uint8_t>& frame)
{
    return std::string(frame.begin(), frame.end());
}

struct EchoPort : FakePort {
    // Answers every request with its own text and CR LF, a few ms later.
    EchoPort()
    {
        line->SetResponder([](zbserial::FakeSerialLine& l, const std::vector<uint8_t>& frame) {
            std::string reply(frame.begin(), frame.end());
            if (!reply.empty() && reply.back() == '\r')
                reply.pop_back();
            l.Feed(reply + "\r\n", 2);
        });
    }
};

} // namespace

TEST(RequestQueue, ComponentsAreServedInTheOrderTheySent)
{
    EchoPort f;
    std::vector<std::string> results;
    TKT750Protocol a, b, c;
    for (TKT750Protocol* p : {&a, &b, &c}) {
        programStyle(*p, f.port);
        p->OnCommResult = [&](TObject*, TMemoryStream& r) { results.push_back(r.Text()); };
    }
    f.port.Open();
    c.SetASCIIProtocol("rc");
    b.SetASCIIProtocol("rb");
    a.SetASCIIProtocol("ra");
    c.SendRequest();
    a.SendRequest();
    b.SendRequest();
    EXPECT_EQ(f.port.QueueLength(), 3u);
    ASSERT_TRUE(f.until([&] { return results.size() == 3; }));
    EXPECT_EQ(results, (std::vector<std::string>{"rc\r\n", "ra\r\n", "rb\r\n"}));
    const auto writes = f.line->Writes();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(text(writes[0]), "rc\r");
    EXPECT_EQ(text(writes[2]), "rb\r");
    f.port.Close();
}

TEST(RequestQueue, ASecondSendWhileQueuedIsARequestOfItsOwnWithItsOwnBytes)
{
    EchoPort f;
    std::vector<std::string> results;
    TKT750Protocol first, twice;
    programStyle(first, f.port);
    programStyle(twice, f.port);
    twice.OnCommResult = [&](TObject*, TMemoryStream& r) { results.push_back(r.Text()); };
    f.port.Open();
    first.SetASCIIProtocol("r1");
    first.SendRequest();
    twice.SetASCIIProtocol("rp 1");
    twice.SendRequest();
    twice.SetASCIIProtocol("rp 2");
    twice.SendRequest();
    EXPECT_EQ(f.port.QueueLength(), 3u);
    ASSERT_TRUE(f.until([&] { return results.size() == 2; }));
    EXPECT_EQ(results, (std::vector<std::string>{"rp 1\r\n", "rp 2\r\n"}));
    const auto writes = f.line->Writes();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(text(writes[1]), "rp 1\r");
    EXPECT_EQ(text(writes[2]), "rp 2\r");
    f.port.Close();
}

TEST(RequestQueue, SendingAgainWhileRunningKeepsThatReplyWhole)
{
    FakePort f;
    std::vector<std::string> results;
    TKT750Protocol c;
    programStyle(c, f.port);
    // The reply comes slowly; after its second byte the window sends again.
    f.line->SetResponder([](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) { l.Feed("abcd", 0, 20); });
    c.OnCommResult = [&](TObject*, TMemoryStream& r) { results.push_back(r.Text()); };
    f.port.Open();
    c.SetASCIIProtocol("rq");
    c.SendRequest();
    ASSERT_TRUE(f.until([&] { return c.ResultStream().Size() >= 2; }));
    c.SendRequest();
    ASSERT_TRUE(f.until([&] { return results.size() == 2; }));
    EXPECT_EQ(results[0], "abcd");
    EXPECT_EQ(results[1], "abcd");
    EXPECT_EQ(f.line->Writes().size(), 2u);
    f.port.Close();
}

TEST(RequestQueue, OneShotRequestsAreServedBetweenCyclicOnes)
{
    EchoPort f;
    std::vector<std::string> order;
    TKT750Protocol cyclicA, cyclicB, oneShot;
    for (TKT750Protocol* p : {&cyclicA, &cyclicB, &oneShot}) {
        programStyle(*p, f.port);
        p->OnCommResult = [&](TObject*, TMemoryStream& r) { order.push_back(r.Text().substr(0, 2)); };
    }
    f.port.Open();
    cyclicA.SetASCIIProtocol("ca");
    cyclicB.SetASCIIProtocol("cb");
    oneShot.SetASCIIProtocol("os");
    cyclicA.SetActive(true);
    cyclicB.SetActive(true);
    ASSERT_TRUE(f.until([&] { return order.size() >= 4; }));
    oneShot.SendRequest();
    ASSERT_TRUE(f.until([&] { return order.size() >= 8; }));
    cyclicA.SetActive(false);
    cyclicB.SetActive(false);
    f.until([&] { return f.port.QueueLength() == 0; });
    // The two cyclic components alternate, and the one-shot request comes within one round.
    for (std::size_t i = 0; i + 1 < 4; ++i)
        EXPECT_NE(order[i], order[i + 1]);
    const auto os = std::find(order.begin(), order.end(), "os");
    ASSERT_NE(os, order.end());
    EXPECT_LE(os - order.begin(), 6);
    EXPECT_EQ(std::count(order.begin(), order.end(), "os"), 1);
    f.port.Close();
}

TEST(RequestQueue, ChainingFromTheHandlerServesEveryStepOnce)
{
    EchoPort f;
    TKT750Protocol c;
    programStyle(c, f.port);
    std::vector<std::string> replies;
    c.OnCommResult = [&](TObject*, TMemoryStream& r) {
        replies.push_back(r.Text());
        if (replies.size() < 20) {
            c.SetASCIIProtocol("rp " + std::to_string(replies.size()));
            c.SendRequest();
        }
    };
    f.port.Open();
    c.SetASCIIProtocol("rp 0");
    c.SendRequest();
    ASSERT_TRUE(f.until([&] { return replies.size() == 20; }));
    for (std::size_t i = 0; i < replies.size(); ++i)
        EXPECT_EQ(replies[i], "rp " + std::to_string(i) + "\r\n");
    f.ui.runPending(100);
    EXPECT_EQ(f.line->Writes().size(), 20u);
    EXPECT_EQ(f.port.QueueLength(), 0u);
    f.port.Close();
}

TEST(RequestQueue, ARequestOfNoProtocolClassIsPassedOverSilently)
{
    // A component of none of the three protocol classes has no exchange: it must neither be told
    // it succeeded nor hold up the requests behind it.
    struct Unframed : TZBProtocolComponent {};
    EchoPort f;
    Recorder rec;
    Unframed odd;
    TKT750Protocol next;
    odd.SetZBComm(&f.port);
    programStyle(next, f.port);
    rec.attach(odd);
    rec.attach(next);
    f.port.Open();
    odd.PutByte(0, 2);
    odd.PutByte(1, 'x');
    odd.SendRequest();
    next.SetASCIIProtocol("ra");
    next.SendRequest();
    ASSERT_TRUE(f.until([&] { return rec.completions() == 1; }));
    EXPECT_EQ(rec.events.back().first, &next);
    EXPECT_EQ(rec.last().data, "ra\r\n");
    EXPECT_EQ(f.line->Writes().size(), 1u) << "nothing was sent for the unframed request";
    f.port.Close();
    EXPECT_EQ(rec.completions(), 1u);
}
