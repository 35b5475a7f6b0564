#pragma once
// Helpers for the serial library tests: a port on the scripted fake line with its own
// user-interface loop, and a recorder of component events.

#include "comm/KT750Protocol.h"
#include "comm/LoopDispatcher.h"
#include "comm/ZBComm.h"
#include "comm/serial/FakeSerialLine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace commtest {

// Generous bound for anything that must happen "soon": only a hang ever reaches it.
constexpr int Patience = 10000;

inline std::vector<uint8_t> bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

struct Event {
    enum Kind { Result, Error, Activate, Deactivate } kind;
    std::string data;
    TCommError error;
};

// Records every event of the components it is attached to, in order.
struct Recorder {
    std::vector<std::pair<TObject*, Event>> events;

    void attach(TZBProtocolComponent& c)
    {
        c.OnCommResult = [this](TObject* s, TMemoryStream& r) { events.push_back({s, {Event::Result, r.Text(), {}}}); };
        c.OnCommError = [this](TObject* s, TCommError& e, TMemoryStream& r) {
            events.push_back({s, {Event::Error, r.Text(), e}});
        };
        c.OnActivate = [this](TObject* s) { events.push_back({s, {Event::Activate, {}, {}}}); };
        c.OnDeactivate = [this](TObject* s) { events.push_back({s, {Event::Deactivate, {}, {}}}); };
    }

    std::size_t count(Event::Kind kind) const
    {
        std::size_t n = 0;
        for (const auto& e : events)
            n += e.second.kind == kind;
        return n;
    }
    // Results and errors only.
    std::size_t completions() const { return count(Event::Result) + count(Event::Error); }
    const Event& last() const { return events.back().second; }
};

// A port on the fake line, served by a loop in the test's thread.
struct FakePort {
    LoopDispatcher ui;
    std::shared_ptr<zbserial::FakeSerialLine> line = std::make_shared<zbserial::FakeSerialLine>();
    TZBComm port{&ui};

    FakePort()
    {
        port.SetLineFactory([this] { return line; });
    }

    // Runs the loop until Done or Patience runs out; false on running out.
    template <typename F> bool until(F Done) { return ui.runUntil(Done, Patience); }

    // Every written frame is answered with Reply.
    void answerWith(const std::string& Reply, int DelayMs = 0, int GapMs = 0)
    {
        line->SetResponder([=](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) { l.Feed(Reply, DelayMs, GapMs); });
    }
};

// A KT750 component set up as every window of the program sets it up: foot CR.
inline void programStyle(TKT750Protocol& c, TZBComm& port)
{
    c.SetZBComm(&port);
    c.SetProtocolFoot(TSequenceChar::scCR);
}

// Counts the chunks the thread delivers.
class CountingKT750 : public TKT750Protocol {
public:
    int chunks = 0;
    void DataReceived(const TZBBuffer& Data, const TZBBuffer& Sent, bool& Flag) override
    {
        ++chunks;
        TKT750Protocol::DataReceived(Data, Sent, Flag);
    }
};

// One program-style KT750 component on an open port on the fake line, and a way to send a text and
// wait for its completion.
struct KT750PortFixture : ::testing::Test {
    FakePort f;
    Recorder rec;
    CountingKT750 c;
    void SetUp() override
    {
        programStyle(c, f.port);
        rec.attach(c);
        f.port.Open();
    }
    void TearDown() override { f.port.Close(); }
    const Event& send(const std::string& text)
    {
        const std::size_t before = rec.completions();
        c.SetASCIIProtocol(text);
        c.SendRequest();
        EXPECT_TRUE(f.until([&] { return rec.completions() > before; }));
        return rec.last();
    }
};

} // namespace commtest
