// The whole serial stack against the controller simulator on a pseudo-terminal: opening and
// closing, a port in use, settings while open, time-outs, reply ends, components and their queue,
// closing mid-exchange, and a device that vanishes.

#include "CommTestSupport.h"
#include "support/RequestTexts.h"
#include "support/SimulatorFixture.h"

using namespace commtest;
using namespace std::chrono_literals;

namespace {

struct EndToEnd : ::testing::Test {
    SimulatorOnPty sim; // unit 0 at 38400, even parity, 8 data bits, 1 stop bit
    LoopDispatcher ui;
    TZBComm port{&ui};
    Recorder rec;
    TKT750Protocol c;

    void SetUp() override
    {
        port.SetPortName(sim.port());
        port.SetBaudrate(TBaudrate::br38400);
        programStyle(c, port);
        rec.attach(c);
    }
    void TearDown() override
    {
        try {
            port.Close();
        } catch (...) {
        }
    }
    template <typename F> bool until(F Done) { return ui.runUntil(Done, Patience); }
    const Event& send(TKT750Protocol& component, const std::string& text)
    {
        const std::size_t before = rec.completions();
        component.SetASCIIProtocol(text);
        component.SendRequest();
        EXPECT_TRUE(until([&] { return rec.completions() > before; })) << "no answer to " << text;
        return rec.last();
    }
    std::vector<std::string> logged() { return RequestTexts(sim.sim()); }
};

} // namespace

TEST_F(EndToEnd, OpenRequestCloseAndOpenAgain)
{
    int activated = 0, deactivated = 0;
    port.OnActivate = [&](TObject* s) { activated += s == &port; };
    port.OnDeactivate = [&](TObject* s) { deactivated += s == &port; };
    port.Open();
    EXPECT_EQ(activated, 1);
    const Event& e = send(c, "rt");
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, "rt KM40 V2.31\r\n") << "the whole reply up to its closing bytes";
    port.Close();
    EXPECT_EQ(deactivated, 1);
    port.Open();
    EXPECT_EQ(send(c, "rf").data, "rf -1\r\n");
    port.Close(); // while the counters above still exist
}

TEST_F(EndToEnd, ASecondPortOnTheSameLineIsRefused)
{
    port.Open();
    TZBComm other(&ui);
    other.SetPortName(sim.port());
    bool activated = false;
    other.OnActivate = [&](TObject*) { activated = true; };
    try {
        other.Open();
        ADD_FAILURE() << "second open succeeded";
    } catch (const ECommHandleError& e) {
        EXPECT_NE(std::string(e.what()).find("in use"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(other.Active());
    EXPECT_FALSE(activated);
}

TEST_F(EndToEnd, BaudRateChangedWhileOpenAppliesToTheNextRequest)
{
    port.SetBaudrate(TBaudrate::br9600);
    port.Open();
    EXPECT_EQ(send(c, "rf").error.Code, ecTimeout) << "the unit does not hear 9600 baud";
    port.SetBaudrate(TBaudrate::br38400);
    EXPECT_EQ(send(c, "rf").kind, Event::Result);
    port.SetFrameStopbits(TStopBit::sb_2);
    EXPECT_EQ(send(c, "rf").error.Code, ecTimeout) << "nor two stop bits";
    EXPECT_THROW(port.SetPortName(TPort::COM2), ECommInitError);
}

TEST_F(EndToEnd, FirstByteTimeoutIsTheDefaultOrTheComponentsOwn)
{
    auto settings = sim->faultSettings();
    settings.slowDelay = 600ms;
    sim->setFaultSettings(settings);
    sim->setFault(0, km4x::Fault::Slow, true);
    port.Open();
    const Event& late = send(c, "rf");
    EXPECT_EQ(late.error.Code, ecTimeout) << "600 ms is beyond the 100 ms default";
    ASSERT_TRUE(sim->waitForRequests(1, 5000ms));
    EXPECT_EQ(sim->requestCount(), 1u) << "no repetition after a time-out";

    c.SetTimeoutTime(5000);
    const Event& patient = send(c, "rf");
    EXPECT_EQ(patient.kind, Event::Result);
    EXPECT_EQ(patient.data, "rf -1\r\n");
}

TEST_F(EndToEnd, SilentUnitTimesOutWithoutRetry)
{
    sim->setFault(0, km4x::Fault::Silent, true);
    port.Open();
    const Event& e = send(c, "rx");
    EXPECT_EQ(e.error, (TCommError{ecTimeout, 0, 0}));
    EXPECT_TRUE(e.data.empty());
    EXPECT_EQ(logged(), (std::vector<std::string>{"rx"}));
}

TEST_F(EndToEnd, NoisyOverlongAndGarbledRepliesAreTakenAsTheyCome)
{
    port.Open();
    sim->setFault(0, km4x::Fault::Noise, true);
    const Event& noisy = send(c, "rp 3");
    EXPECT_EQ(noisy.kind, Event::Result);
    EXPECT_NE(noisy.data.find("rp 3 "), std::string::npos);
    sim->clearFaults();
    sim->setFault(0, km4x::Fault::OverLong, true);
    const Event& longReply = send(c, "rp 3");
    EXPECT_EQ(longReply.kind, Event::Result);
    EXPECT_EQ(longReply.data.size(), ZBBufferSize) << "a reply is at most a buffer long";
    EXPECT_EQ(longReply.data.substr(0, 3), "rp ");
    sim->clearFaults();
    sim->setFault(0, km4x::Fault::Garbage, true);
    EXPECT_EQ(send(c, "rp 3").kind, Event::Result);
}

TEST_F(EndToEnd, EmptyTextIsSentAsALoneCarriageReturn)
{
    port.Open();
    const Event& e = send(c, "   ");
    EXPECT_EQ(e.error.Code, ecTimeout) << "the controller ignores an empty line";
    ASSERT_TRUE(sim->waitForRequests(1, 5000ms));
    EXPECT_EQ(logged(), (std::vector<std::string>{""}));
}

TEST_F(EndToEnd, SeveralComponentsAreServedFirstInFirstOut)
{
    TKT750Protocol a, b;
    programStyle(a, port);
    programStyle(b, port);
    rec.attach(a);
    rec.attach(b);
    port.Open();
    c.SetASCIIProtocol("rt");
    a.SetASCIIProtocol("rp 7");
    b.SetASCIIProtocol("rs 2");
    b.SendRequest();
    c.SendRequest();
    a.SendRequest();
    b.SetASCIIProtocol("rs 3");
    b.SendRequest(); // b is still queued: a second entry for the same record
    ASSERT_TRUE(until([&] { return rec.completions() == 4; }));
    // b's first entry went to the thread at once (its bytes were copied then); the second entry
    // is copied when it reaches the head.
    EXPECT_EQ(logged(), (std::vector<std::string>{"rs 2", "rt", "rp 7", "rs 3"}));
    ASSERT_EQ(rec.events.size(), 4u);
    EXPECT_EQ(rec.events[0].first, &b);
    EXPECT_EQ(rec.events[1].first, &c);
    EXPECT_EQ(rec.events[2].first, &a);
    EXPECT_EQ(rec.events[3].first, &b);
    EXPECT_EQ(rec.events[3].second.data.substr(0, 5), "rs 3 ");
}

TEST_F(EndToEnd, CyclicComponentReportsAnOutageOnceAndItsEnd)
{
    port.Open();
    c.SetASCIIProtocol("r0");
    c.SetActive(true);
    ASSERT_TRUE(until([&] { return rec.count(Event::Result) >= 3; }));
    sim->setFault(0, km4x::Fault::Silent, true);
    ASSERT_TRUE(until([&] { return rec.count(Event::Error) >= 1; }));
    const std::size_t requestsBefore = sim->requestCount();
    ASSERT_TRUE(until([&] { return sim->requestCount() >= requestsBefore + 3; })) << "it keeps polling";
    EXPECT_EQ(rec.count(Event::Error), 1u) << "the same failure is reported once";
    sim->setFault(0, km4x::Fault::Silent, false);
    ASSERT_TRUE(until([&] { return rec.count(Event::Error) >= 2; }));
    const Event& cleared = rec.last();
    EXPECT_TRUE(cleared.error.IsZero());
    EXPECT_TRUE(cleared.data.empty());
    EXPECT_EQ(rec.events[rec.events.size() - 2].second.kind, Event::Result);
    c.SetActive(false);
}

TEST_F(EndToEnd, ClosingDuringAnExchangeReachesNoComponent)
{
    sim->setFault(0, km4x::Fault::Silent, true);
    c.SetTimeoutTime(30000);
    port.Open();
    c.SetASCIIProtocol("rf");
    c.SendRequest();
    ASSERT_TRUE(sim->waitForRequests(1, 5000ms));
    port.Close(); // the thread is waiting for a first byte; closing must not wait 30 s
    ui.runPending(100);
    EXPECT_EQ(rec.completions(), 0u);
    EXPECT_FALSE(port.Active());
}

TEST_F(EndToEnd, UnpluggedDeviceEndsTheRequestWithAnErrorAndThePortRecovers)
{
    c.SetTimeoutTime(30000);
    port.Open();
    sim->setFault(0, km4x::Fault::Silent, true);
    c.SetASCIIProtocol("rf");
    c.SendRequest();
    ASSERT_TRUE(sim->waitForRequests(1, 5000ms));
    sim->closeLine();
    ASSERT_TRUE(until([&] { return rec.completions() == 1; })) << "no hang";
    EXPECT_EQ(rec.last().kind, Event::Error);
    EXPECT_EQ(rec.last().error.Code, ecSystemError);
    EXPECT_NE(rec.last().error.SystemError, 0u);

    // A cyclic poll on the dead line reports once and does not spin through the loop.
    c.SetTimeoutTime(0);
    c.SetActive(true);
    ui.runPending(300);
    EXPECT_EQ(rec.count(Event::Error), 2u);
    c.SetActive(false);

    port.Close();
    std::string why;
    ASSERT_TRUE(sim->reopenLine(&why)) << why;
    sim.remap();
    sim->clearFaults();
    port.Open();
    c.SetASCIIProtocol("rf");
    c.SendRequest();
    ASSERT_TRUE(until([&] { return rec.count(Event::Result) == 1; }));
    EXPECT_EQ(rec.events[rec.events.size() - 2].second.data, "rf -1\r\n");
    // The cyclic poll was cut off by closing, so its failure is still the last one reported:
    // the first success after it also clears it with an all-zero error.
    EXPECT_TRUE(rec.last().error.IsZero());
}
