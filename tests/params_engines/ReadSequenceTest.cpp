// The read run against a simulated controller on a pseudo-terminal: what is sent, in which order,
// what is held, and how wrong replies, time-outs, Cancel, Again and a closing port end a run.

#include "params/core/ReadSequence.h"

#include "SimulatorPort.h"

#include <climits>

using namespace xfertest;

namespace {

class ReadRun : public ::testing::Test, public SimulatorPort {
protected:
    ReadRun()
    {
        Global_var.Reset();
        read.OnClose = [this](TTransferResult result) { closes.push_back(result); };
    }

    bool stopped() const { return read.View().Finished || read.View().Failed; }
    bool runToEnd() { return until([this] { return stopped(); }); }

    // Calls f on the simulator's thread for every request it received (after answering it).
    void onRequest(std::function<void(const std::string&)> f)
    {
        sim.setRequestObserver([f](const km4x::RequestRecord& record) { f(record.text); });
    }

    TReadSequence read{&port};
    std::vector<TTransferResult> closes;
};

TEST_F(ReadRun, ParametersAreRequestedZeroTo399InOrderAndHeldUntilOK)
{
    for (int n = 0; n < 400; ++n)
        sim.setParameter(0, n, 1000 - 7 * n);
    sim.setParameter(0, 5, -120);
    sim.setParameter(0, 399, INT32_MIN);
    port.SetFastReplyEnd(true); // the setpoints' run below keeps the 50 ms silence proven

    read.SetMode(TTransferMode::Parameters);
    read.Start();
    ASSERT_TRUE(runToEnd());

    EXPECT_EQ(requests(), Numbered("rp", 0, 399));
    const TTransferView& view = read.View();
    EXPECT_EQ(view.Outcome, TTransferOutcome::Finished);
    EXPECT_FALSE(view.Failed);
    EXPECT_EQ(text(view), "tekst 3");
    EXPECT_FALSE(view.PanelRed);
    EXPECT_TRUE(view.OKEnabled);
    EXPECT_TRUE(view.AgainEnabled);
    EXPECT_EQ(view.ProgressMax, 399);
    EXPECT_EQ(view.ProgressPosition, 399);
    for (int n = 0; n < 400; ++n)
        ASSERT_EQ(read.ReadParameters()[n], *sim.parameter(0, n)) << "parameter " << n;
    EXPECT_EQ(read.ReadParameters()[5], -120);

    // The program's tables are the caller's business, on OK only.
    EXPECT_EQ(ParameterValues[5], 0);
    EXPECT_TRUE(closes.empty());
    read.OK();
    EXPECT_EQ(closes, std::vector<TTransferResult>{TTransferResult::OK});
}

TEST_F(ReadRun, SetpointsAreRequestedOneTo48)
{
    for (int k = 1; k <= 48; ++k)
        sim.setSetpoint(0, k, -11 * k);
    std::vector<std::string> panels;
    read.OnChanged = [&] { panels.push_back(text(read.View())); };

    read.SetMode(TTransferMode::Setpoints);
    read.Start();
    ASSERT_TRUE(runToEnd());

    EXPECT_EQ(requests(), Numbered("rs", 1, 48));
    EXPECT_EQ(read.View().ProgressMax, 48);
    EXPECT_EQ(text(read.View()), "tekst 5");
    ASSERT_FALSE(panels.empty());
    EXPECT_EQ(panels.front(), "tekst 4 1");
    for (int k = 1; k <= 48; ++k)
        ASSERT_EQ(read.ReadSetpoints()[k], -11 * k) << "setpoint " << k;
}

class ReadBothRun : public ReadRun, public ::testing::WithParamInterface<TTransferMode> {};

TEST_P(ReadBothRun, ParametersThenSetpoints)
{
    sim.setParameter(0, 0, 42);
    sim.setSetpoint(0, 48, -48);
    port.SetFastReplyEnd(true); // what is tested here does not depend on how a reply ends
    read.SetMode(GetParam());
    read.Start();
    ASSERT_TRUE(runToEnd());

    EXPECT_EQ(requests(), Joined(Numbered("rp", 0, 399), Numbered("rs", 1, 48)));
    EXPECT_EQ(text(read.View()), "tekst 6");
    EXPECT_EQ(read.View().ProgressMax, 48);
    EXPECT_EQ(read.ReadParameters()[0], 42);
    EXPECT_EQ(read.ReadSetpoints()[48], -48);
}

INSTANTIATE_TEST_SUITE_P(Modes2And3, ReadBothRun,
                         ::testing::Values(TTransferMode::ParametersAndSetpoints, TTransferMode::Device),
                         ModeName);

TEST_F(ReadRun, OneWrongEchoIsAskedForAgainAndTheRunGoesOn)
{
    onRequest([this](const std::string& request) {
        if (request == "rs 2")
            sim.setFault(0, km4x::Fault::WrongEchoOnce, true, "rs");
    });
    read.SetMode(TTransferMode::Setpoints);
    read.Start();
    ASSERT_TRUE(runToEnd());

    std::vector<std::string> expected = Numbered("rs", 1, 48);
    expected.insert(expected.begin() + 3, "rs 3");
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(read.View().Outcome, TTransferOutcome::Finished);
    EXPECT_FALSE(read.View().RetryPending);
    EXPECT_EQ(read.ReadSetpoints()[3], *sim.setpoint(0, 3));
}

TEST_F(ReadRun, SecondWrongReplyStopsWithTheRequestNamed)
{
    // "er 7" twice in a row to the request for parameter 17.
    onRequest([this](const std::string& request) {
        if (request == "rp 16")
            sim.setFault(0, km4x::Fault::Silent, true, "rp");
        if (request == "rp 17")
            sim.injectBytes("er 7\r\n");
    });
    read.SetMode(TTransferMode::Parameters);
    read.Start();
    ASSERT_TRUE(runToEnd());

    std::vector<std::string> expected = Numbered("rp", 0, 17);
    expected.push_back("rp 17");
    EXPECT_EQ(requests(), expected);
    const TTransferView& view = read.View();
    EXPECT_EQ(view.Outcome, TTransferOutcome::WrongReply);
    EXPECT_TRUE(view.Failed);
    EXPECT_TRUE(view.PanelRed);
    EXPECT_EQ(text(view), "tekst 7 er 7   P[017]");
    EXPECT_TRUE(view.AgainEnabled);
    EXPECT_FALSE(view.OKEnabled);

    // Cancel after an error closes at once.
    read.Cancel();
    EXPECT_EQ(closes, std::vector<TTransferResult>{TTransferResult::Cancel});
}

TEST_F(ReadRun, WrongSetpointEchoAndUnusableValuesNameTheSetpoint)
{
    onRequest([this](const std::string& request) {
        if (request == "rs 4")
            sim.setFault(0, km4x::Fault::WrongEchoAlways, true, "rs");
    });
    read.SetMode(TTransferMode::Setpoints);
    read.Start();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(text(read.View()), "tekst 7 sr 5   S[005]");

    // A right echo with a value that is no 32-bit decimal number is a wrong reply as well.
    km4x::FaultSettings settings;
    settings.overLongLength = 150; // within one reply buffer, so no tail spills into the retry
    sim.setFaultSettings(settings);
    for (km4x::Fault fault : {km4x::Fault::Garbage, km4x::Fault::OverLong}) {
        sim.setRequestObserver({});
        sim.clearFaults();
        sim.setFault(0, fault, true, "rs");
        sim.clearLog();
        read.Again();
        ASSERT_TRUE(runToEnd());
        EXPECT_EQ(requests(), (std::vector<std::string>{"rs 1", "rs 1"})) << km4x::FaultName(fault);
        EXPECT_EQ(read.View().Outcome, TTransferOutcome::WrongReply);
        // Garbage follows "rs " with "1?x#", the over-long value with "0123...".
        const std::string head = fault == km4x::Fault::Garbage ? "rs 1" : "rs 0";
        EXPECT_EQ(read.View().Reply, head);
        EXPECT_EQ(text(read.View()), "tekst 7 " + head + "   S[001]");
    }
}

TEST_F(ReadRun, TimeOutIsRedAndAgainStartsOverAtTheFirstParameter)
{
    onRequest([this](const std::string& request) {
        if (request == "rp 24")
            sim.setFault(0, km4x::Fault::Silent, true, "rp");
    });
    read.SetMode(TTransferMode::Parameters);
    read.Start();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(requests(), Numbered("rp", 0, 25));
    EXPECT_EQ(read.View().Outcome, TTransferOutcome::Timeout);
    EXPECT_EQ(read.View().Error.Code, ecTimeout);
    EXPECT_EQ(text(read.View()), "tekst 0");
    EXPECT_TRUE(read.View().PanelRed);
    EXPECT_TRUE(read.View().AgainEnabled);

    sim.setRequestObserver({});
    sim.clearFaults();
    sim.clearLog();
    read.Again();
    EXPECT_FALSE(read.View().Failed);
    EXPECT_FALSE(read.View().PanelRed);
    EXPECT_FALSE(read.View().AgainEnabled);
    EXPECT_EQ(text(read.View()), "tekst 2 0");
    ASSERT_TRUE(until([this] { return read.View().CurrentNumber >= 3; }));
    const std::vector<std::string> sent = requests();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 3), Numbered("rp", 0, 2));
    read.Cancel();
    ASSERT_TRUE(until([this] { return !closes.empty(); }));
}

TEST_F(ReadRun, CancelDuringTheRunClosesOnlyAtTheNextReply)
{
    bool pressed = false;
    read.OnChanged = [&] {
        if (!pressed && read.View().CurrentNumber == 10 && read.RequestOutstanding()) {
            pressed = true;
            read.Cancel();
            EXPECT_TRUE(closes.empty()) << "closed before the outstanding reply";
            EXPECT_TRUE(read.View().AbortRequested);
        }
    };
    read.SetMode(TTransferMode::Parameters);
    read.Start();
    ASSERT_TRUE(until([this] { return !closes.empty(); }));
    EXPECT_EQ(closes, std::vector<TTransferResult>{TTransferResult::Cancel});
    ui.runPending(300);
    EXPECT_EQ(requests(), Numbered("rp", 0, 10)); // nothing sent after the reply that closed
    EXPECT_FALSE(read.View().Finished);
}

TEST_F(ReadRun, PortClosedDuringTheRunLetsCancelCloseAtOnce)
{
    read.SetMode(TTransferMode::Parameters);
    read.Start();
    ASSERT_TRUE(until([this] { return read.View().CurrentNumber >= 5; }));
    port.Close(); // the outstanding request will neither be answered nor fail
    const TTransferView& view = read.View();
    EXPECT_EQ(view.Outcome, TTransferOutcome::PortClosed);
    EXPECT_TRUE(view.Failed);
    EXPECT_TRUE(view.PanelRed);
    EXPECT_EQ(text(view), "tekst 1");
    read.Cancel();
    EXPECT_EQ(closes, std::vector<TTransferResult>{TTransferResult::Cancel});

    // Cancel first, then the port closes: the waiting Cancel closes at once.
    port.Open();
    read.Again();
    ASSERT_TRUE(until([this] { return read.View().CurrentNumber >= 3; }));
    read.Cancel();
    EXPECT_EQ(closes.size(), 1u);
    port.Close();
    EXPECT_EQ(closes.size(), 2u);

    // Starting while the port is closed sends nothing and does not wait.
    sim.clearLog();
    read.Start();
    EXPECT_EQ(read.View().Outcome, TTransferOutcome::PortClosed);
    read.Cancel();
    EXPECT_EQ(closes.size(), 3u);
    ui.runPending(100);
    EXPECT_EQ(sim.requestCount(), 0u);
}

TEST_F(ReadRun, ErrorWithoutTimeOutOrLineErrorKeepsThePanelButEndsTheWait)
{
    read.SetMode(TTransferMode::Setpoints);
    read.Start();
    ASSERT_TRUE(read.RequestOutstanding());
    TCommError error;
    error.Code = ecStartChar;
    TMemoryStream empty;
    read.KT750LeesParSollCommError(nullptr, error, empty);

    const TTransferView& view = read.View();
    EXPECT_EQ(view.Outcome, TTransferOutcome::OtherError);
    EXPECT_FALSE(view.Failed);
    EXPECT_FALSE(view.PanelRed);
    EXPECT_EQ(text(view), "tekst 4 1");
    EXPECT_TRUE(view.AgainEnabled);
    ui.runPending(300); // the real reply to "rs 1" arrives and is not taken as the run's
    EXPECT_EQ(requests(), std::vector<std::string>{"rs 1"});
    read.Cancel();
    EXPECT_EQ(closes, std::vector<TTransferResult>{TTransferResult::Cancel});
}

TEST(ReadSequence, ComponentIsSetUpForTheLine)
{
    TReadSequence read;
    EXPECT_EQ(read.KT750LeesParSoll.TimeoutTime(), 1000);
    EXPECT_EQ(read.KT750LeesParSoll.ProtocolFoot(), TSequenceChar::scCR);
    EXPECT_EQ(read.KT750LeesParSoll.ProtocolHead(), TSequenceChar::scNone);
    EXPECT_EQ(read.KT750LeesParSoll.ReceiveStop(), TSequenceChar::scNone);
}

} // namespace
