// A component asked again before its request is answered, against the simulator: every request is
// sent once, in the order asked, with its own bytes, and each outcome reaches the caller with the
// request it answers; a cyclic component is never in the queue twice.

#include "CommTestSupport.h"
#include "support/RequestTexts.h"
#include "support/SimulatorFixture.h"

#include <algorithm>

using namespace commtest;

namespace {

// The text a request was asked with, without its foot CR.
std::string askedText(const TCommRequest& Request)
{
    const std::size_t length = Request.Buffer[0];
    if (length < 2)
        return {};
    std::string text(Request.Buffer.begin() + 1, Request.Buffer.begin() + static_cast<std::ptrdiff_t>(length));
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

struct Answer {
    std::string asked; // the request the outcome came with
    std::string reply; // empty for an error
    uint32_t errorCode = 0;
};

struct RequestRule : ::testing::Test {
    // Replies at the wire speed, so a second request easily comes within one exchange.
    SimulatorOnPty sim{[] {
        km4x::SimulatorOptions o;
        o.pacing = true;
        return o;
    }()};
    LoopDispatcher ui;
    TZBComm port{&ui};
    std::vector<Answer> answers;

    void SetUp() override
    {
        port.SetPortName(sim.port());
        port.SetBaudrate(TBaudrate::br38400);
    }
    void TearDown() override { port.Close(); }
    void listen(TKT750Protocol& c)
    {
        programStyle(c, port);
        c.OnCommResult = [this, &c](TObject*, TMemoryStream& r) {
            answers.push_back({askedText(c.AnsweredRequest()), r.Text(), 0});
        };
        c.OnCommError = [this, &c](TObject*, TCommError& e, TMemoryStream&) {
            if (!e.IsZero())
                answers.push_back({askedText(c.AnsweredRequest()), {}, e.Code});
        };
    }
    void ask(TKT750Protocol& c, const std::string& text)
    {
        c.SetASCIIProtocol(text);
        c.SendRequest();
    }
    template <typename F> bool until(F Done) { return ui.runUntil(Done, Patience); }
};

} // namespace

TEST_F(RequestRule, AskedAgainWhileRunningAndWhileQueuedEachRequestGoesOnceWithItsOwnReply)
{
    TKT750Protocol c;
    listen(c);
    port.Open();
    ask(c, "rp 1");
    // The first reply is on its way when the second is asked for; the third waits behind it.
    ASSERT_TRUE(until([&] { return c.ResultStream().Size() > 0; }));
    ask(c, "rp 2");
    ask(c, "rp 3");
    EXPECT_EQ(port.QueuedRequestsOf(&c), 3u);
    EXPECT_TRUE(c.RequestPending());
    ASSERT_TRUE(until([&] { return answers.size() == 3; }));
    EXPECT_FALSE(c.RequestPending());
    EXPECT_EQ(RequestTexts(sim.sim()), (std::vector<std::string>{"rp 1", "rp 2", "rp 3"}));
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const std::string asked = "rp " + std::to_string(i + 1);
        EXPECT_EQ(answers[i].asked, asked);
        EXPECT_EQ(answers[i].reply.rfind(asked + " ", 0), 0u) << answers[i].reply << " is not the whole reply to " << asked;
        EXPECT_EQ(std::count(answers[i].reply.begin(), answers[i].reply.end(), '\n'), 1) << answers[i].reply;
    }
}

TEST_F(RequestRule, TwoComponentsInterleavedWithACyclicOneAndATimeOut)
{
    TKT750Protocol a, b, cyclic;
    listen(a);
    listen(b);
    listen(cyclic);
    std::size_t mostQueuedCyclic = 0;
    port.Open();
    ask(cyclic, "rf");
    cyclic.SetActive(true);
    ASSERT_TRUE(until([&] { return answers.size() >= 2; }));
    // "rh" gets no answer at all: it ends by its time-out, the others go on.
    sim->setFault(0, km4x::Fault::Silent, true, "rh");
    ask(a, "rp 5");
    ask(b, "rh");
    ask(a, "rp 6");
    cyclic.SetActive(true); // switched on again while queued: still one entry
    ask(cyclic, "rf");
    ask(b, "rt");
    auto done = [&](const std::string& text) {
        return std::any_of(answers.begin(), answers.end(), [&](const Answer& x) { return x.asked == text; });
    };
    ASSERT_TRUE(until([&] {
        mostQueuedCyclic = std::max(mostQueuedCyclic, port.QueuedRequestsOf(&cyclic));
        return done("rt") && done("rp 6");
    }));
    cyclic.SetActive(false);
    ASSERT_TRUE(until([&] { return port.QueueLength() == 0; }));
    EXPECT_EQ(mostQueuedCyclic, 1u);

    std::vector<std::string> sent = RequestTexts(sim.sim());
    std::vector<std::string> oneShots;
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(oneShots), [](const std::string& t) { return t != "rf"; });
    EXPECT_EQ(oneShots, (std::vector<std::string>{"rp 5", "rh", "rp 6", "rt"}));
    // Asked for twice more while queued, the cyclic request still comes at most once among them.
    const auto first = std::find(sent.begin(), sent.end(), "rp 5");
    const auto last = std::find(sent.begin(), sent.end(), "rt");
    ASSERT_TRUE(first < last);
    EXPECT_LE(std::count(first, last, "rf"), 1);

    for (const Answer& x : answers) {
        if (x.asked == "rh") {
            EXPECT_EQ(x.errorCode, ecTimeout) << "the silent request must report its time-out";
        } else {
            EXPECT_EQ(x.errorCode, 0) << x.asked;
            EXPECT_EQ(x.reply.rfind(x.asked + " ", 0), 0u) << x.reply << " reported for " << x.asked;
        }
    }
}
