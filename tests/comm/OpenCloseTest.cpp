// Opening and closing the port: events, failures at each step, and closing while requests run.

#include "CommTestSupport.h"

#include <chrono>
#include <thread>

using namespace commtest;
using Op = zbserial::FakeSerialLine::Op;

namespace {

struct PortEvents {
    std::vector<std::string> seen;
    void attach(TZBComm& port)
    {
        port.OnActivate = [this](TObject*) { seen.push_back("activate"); };
        port.OnDeactivate = [this](TObject*) { seen.push_back("deactivate"); };
    }
};

} // namespace

TEST(OpenClose, OpenAndCloseFireTheirEventsOnce)
{
    FakePort f;
    PortEvents events;
    events.attach(f.port);
    f.port.SetActive(true);
    EXPECT_TRUE(f.port.Active());
    EXPECT_TRUE(f.line->IsOpen());
    f.port.Open(); // already open: nothing
    EXPECT_EQ(f.line->Calls(Op::Open), 1);
    f.port.SetActive(false);
    f.port.Close(); // already closed: nothing
    EXPECT_FALSE(f.port.Active());
    EXPECT_FALSE(f.line->IsOpen());
    EXPECT_EQ(events.seen, (std::vector<std::string>{"activate", "deactivate"}));

    f.port.Open(); // and again
    EXPECT_TRUE(f.port.Active());
    f.port.Close();
}

TEST(OpenClose, AFailedOpenRaisesHandleErrorAndStaysClosed)
{
    FakePort f;
    PortEvents events;
    events.attach(f.port);
    f.line->Fail(Op::Open, 16 /* EBUSY */);
    EXPECT_THROW(f.port.Open(), ECommHandleError);
    EXPECT_FALSE(f.port.Active());
    EXPECT_TRUE(events.seen.empty());
}

TEST(OpenClose, AFailedSetUpStepClosesThePortAgain)
{
    for (Op failing : {Op::SetQueueSizes, Op::GetSettings, Op::SetSettings}) {
        FakePort f;
        PortEvents events;
        events.attach(f.port);
        f.line->Fail(failing, 5);
        EXPECT_THROW(f.port.Open(), ECommInitError);
        EXPECT_FALSE(f.port.Active());
        EXPECT_FALSE(f.line->IsOpen()) << "the device is released again";
        EXPECT_EQ(events.seen, (std::vector<std::string>{"deactivate"}));
        // The next attempt works.
        f.port.Open();
        EXPECT_TRUE(f.port.Active());
        f.port.Close();
    }
}

TEST(OpenClose, AFailingCloseRaisesAndSkipsTheEvent)
{
    FakePort f;
    PortEvents events;
    events.attach(f.port);
    f.port.Open();
    f.line->Fail(Op::Close, 5);
    EXPECT_THROW(f.port.Close(), ECommHandleError);
    EXPECT_FALSE(f.port.Active());
    EXPECT_EQ(events.seen, (std::vector<std::string>{"activate"}));
}

TEST(OpenClose, ClosingDuringAnExchangeStopsCyclicComponentsAndSilencesTheRequest)
{
    FakePort f; // the line stays silent
    Recorder rec;
    TKT750Protocol cyclic, oneShot;
    programStyle(cyclic, f.port);
    programStyle(oneShot, f.port);
    cyclic.SetTimeoutTime(20000);
    rec.attach(cyclic);
    rec.attach(oneShot);
    std::vector<std::string> order;
    f.port.OnDeactivate = [&](TObject*) { order.push_back("port"); };
    cyclic.OnDeactivate = [&](TObject*) { order.push_back("cyclic"); };
    oneShot.OnDeactivate = [&](TObject*) { order.push_back("oneShot"); };

    f.port.Open();
    cyclic.SetASCIIProtocol("r0");
    cyclic.SetActive(true);
    oneShot.SetASCIIProtocol("rf");
    oneShot.SendRequest();
    ASSERT_TRUE(f.line->WaitForWrites(1, Patience));
    f.port.Close();
    EXPECT_FALSE(cyclic.Active());
    EXPECT_EQ(order, (std::vector<std::string>{"cyclic", "oneShot", "port"}));
    EXPECT_EQ(f.port.QueueLength(), 0u);
    f.ui.runPending(200);
    EXPECT_EQ(rec.completions(), 0u) << "no event of the abandoned request reaches a component";
    EXPECT_EQ(f.line->Writes().size(), 1u);

    // A request made while closed goes nowhere.
    oneShot.SendRequest();
    f.ui.runPending(50);
    EXPECT_EQ(rec.completions(), 0u);
}

TEST(OpenClose, CyclicModeOnAClosedPortOnlyDeactivates)
{
    FakePort f;
    Recorder rec;
    TKT750Protocol c;
    programStyle(c, f.port);
    rec.attach(c);
    c.SetActive(true);
    EXPECT_FALSE(c.Active());
    ASSERT_EQ(rec.events.size(), 1u);
    EXPECT_EQ(rec.last().kind, Event::Deactivate);
    EXPECT_EQ(f.line->Calls(Op::Open), 0);
}

TEST(OpenClose, DestroyingThePortUnbindsItsComponents)
{
    LoopDispatcher ui;
    TKT750Protocol a, b;
    {
        TZBComm port(&ui);
        a.SetZBComm(&port);
        b.SetZBComm(&port);
        EXPECT_EQ(port.BoundComponents().size(), 2u);
    }
    EXPECT_EQ(a.ZBComm(), nullptr);
    EXPECT_EQ(b.ZBComm(), nullptr);
}

TEST(OpenClose, ClosingFromInsideAnEventHandlerDoesNotDeadlock)
{
    FakePort f;
    f.answerWith("rf 0\r\n");
    TKT750Protocol c;
    programStyle(c, f.port);
    bool closedInHandler = false;
    c.OnCommResult = [&](TObject*, TMemoryStream&) {
        f.port.Close();
        closedInHandler = true;
    };
    f.port.Open();
    c.SetASCIIProtocol("rf");
    c.SendRequest();
    ASSERT_TRUE(f.until([&] { return closedInHandler; }));
    EXPECT_FALSE(f.port.Active());

    // The port opens again and works.
    bool answered = false;
    c.OnCommResult = [&](TObject*, TMemoryStream& r) { answered = r.Text() == "rf 0\r\n"; };
    f.port.Open();
    c.SendRequest();
    ASSERT_TRUE(f.until([&] { return answered; }));
    f.port.Close();
}

TEST(OpenClose, AnExceptionFromAHandlerReachesTheLoopAndThePortGoesOn)
{
    FakePort f;
    f.answerWith("rf 0\r\n");
    TKT750Protocol c;
    programStyle(c, f.port);
    int results = 0;
    c.OnCommResult = [&](TObject*, TMemoryStream&) {
        if (++results == 1)
            throw std::runtime_error("handler failed");
    };
    f.port.Open();
    c.SetASCIIProtocol("rf");
    c.SendRequest();
    EXPECT_THROW(f.until([&] { return results >= 1; }), std::runtime_error);
    c.SendRequest();
    ASSERT_TRUE(f.until([&] { return results >= 2; }));
    f.port.Close();
}

TEST(OpenClose, DestroyingAComponentWithQueuedRequestsLeavesTheQueueSound)
{
    FakePort f;
    f.answerWith("ok\r\n");
    Recorder rec;
    TKT750Protocol survivor;
    programStyle(survivor, f.port);
    rec.attach(survivor);
    f.port.Open();
    {
        TKT750Protocol running, waiting;
        programStyle(running, f.port);
        programStyle(waiting, f.port);
        running.SetASCIIProtocol("r1");
        waiting.SetASCIIProtocol("r2");
        running.OnCommResult = [](TObject*, TMemoryStream&) { ADD_FAILURE() << "destroyed component reached"; };
        waiting.OnCommResult = running.OnCommResult;
        running.SendRequest();
        waiting.SendRequest();
        survivor.SetASCIIProtocol("r3");
        survivor.SendRequest();
        EXPECT_EQ(f.port.QueueLength(), 3u);
    }
    EXPECT_EQ(f.port.QueueLength(), 2u) << "the waiting entry is gone, the running one is a place holder";
    ASSERT_TRUE(f.until([&] { return rec.completions() == 1; }));
    EXPECT_EQ(rec.last().kind, Event::Result);
    const auto writes = f.line->Writes();
    ASSERT_GE(writes.size(), 1u);
    EXPECT_EQ(writes.back(), bytes("r3\r"));
    f.port.Close();
}

// A component's handler that throws while the port closes must not leave the port half-closed:
// the thread ends, the queue empties, the device is released and every other handler still runs;
// the exception reaches the caller afterwards, and the port opens again.
TEST(OpenClose, AThrowingDeactivateHandlerStillClosesThePortWholly)
{
    FakePort f;
    PortEvents events;
    events.attach(f.port);
    TKT750Protocol first, second;
    programStyle(first, f.port);
    programStyle(second, f.port);
    bool secondDeactivated = false;
    first.OnDeactivate = [](TObject*) { throw std::runtime_error("handler failed"); };
    second.OnDeactivate = [&](TObject*) { secondDeactivated = true; };
    f.answerWith("rf 0\r\n", 0);
    f.port.Open();
    f.line->SetResponder(nullptr); // the request stays outstanding
    first.SendRequest();
    second.SendRequest();
    ASSERT_TRUE(f.line->WaitForWrites(1, Patience));

    try {
        f.port.Close();
        ADD_FAILURE() << "the handler's exception did not reach the caller";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "handler failed");
    }
    EXPECT_FALSE(f.port.Active());
    EXPECT_TRUE(secondDeactivated);
    EXPECT_EQ(f.port.QueueLength(), 0u);
    EXPECT_FALSE(f.line->IsOpen()) << "the device keeps its lock";
    EXPECT_EQ(events.seen, (std::vector<std::string>{"activate", "deactivate"}));

    first.OnDeactivate = nullptr;
    f.port.Open();
    Recorder rec;
    rec.attach(first);
    f.answerWith("rf 0\r\n", 0);
    first.SetASCIIProtocol("rf");
    first.SendRequest();
    ASSERT_TRUE(f.until([&] { return rec.completions() == 1; }));
    EXPECT_EQ(rec.last().data, "rf 0\r\n");
    f.port.Close();
}

// A write held up for good (handshaking left on by another program) must not hang Close: ending the
// thread cancels the blocked call. The component hears nothing; the port is usable again.
TEST(OpenClose, CloseCancelsAWriteThatNeverEnds)
{
    FakePort f;
    PortEvents events;
    events.attach(f.port);
    TKT750Protocol c;
    programStyle(c, f.port);
    Recorder rec;
    rec.attach(c);
    f.port.Open();
    f.line->BlockWrites(true);
    c.SetASCIIProtocol("rp 1");
    c.SendRequest();
    for (int waited = 0; !f.line->WriteBlocked() && waited < Patience; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(f.line->WriteBlocked());

    f.port.Close();
    EXPECT_FALSE(f.port.Active());
    EXPECT_FALSE(f.line->WriteBlocked());
    EXPECT_FALSE(f.line->IsOpen());
    EXPECT_EQ(rec.completions(), 0u) << "a closing port reports nothing to its components";
    EXPECT_EQ(events.seen, (std::vector<std::string>{"activate", "deactivate"}));

    f.line->BlockWrites(false);
    f.port.Open();
    f.answerWith("rp 1 5\r\n", 0);
    c.SendRequest();
    ASSERT_TRUE(f.until([&] { return rec.completions() == 1; }));
    EXPECT_EQ(rec.last().data, "rp 1 5\r\n");
    f.port.Close();
}
