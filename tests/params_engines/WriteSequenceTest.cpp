// The write run against a simulated controller on a pseudo-terminal: the writes in order with their
// values, the computation at the end, the controller's refusal, wrong echoes and the computation's
// failure report.

#include "params/core/WriteSequence.h"

#include "SimulatorPort.h"

using namespace xfertest;

namespace {

// Values the simulated controller accepts and computes with: its checked parameters stay at their
// factory values, every other one gets a value of its own (negative ones included).
TParameterValues ComputableParameters(const km4x::Simulator& sim)
{
    TParameterValues values{};
    for (int n = 0; n < 400; ++n)
        values[n] = *sim.parameter(0, n);
    for (int n : {5, 12, 30, 99, 150, 399})
        values[n] = 1000 - 7 * n;
    values[12] = -5;
    return values;
}

TSetpointValues SomeSetpoints()
{
    TSetpointValues values{};
    for (int k = 1; k <= 48; ++k)
        values[k] = k % 2 ? -13 * k : 100 * k;
    return values;
}

std::vector<std::string> Writes(const std::string& letters, int first, int last, const int32_t* values)
{
    std::vector<std::string> texts;
    for (int n = first; n <= last; ++n)
        texts.push_back(letters + " " + std::to_string(n) + " " + std::to_string(values[n]));
    return texts;
}

class WriteRun : public ::testing::Test, public SimulatorPort {
protected:
    WriteRun()
    {
        write.OnClose = [this](TTransferResult result) { closes.push_back(result); };
        write.OnChanged = [this] {
            if (write.View().Computing)
                sawComputing = text(write.View());
        };
        write.SetParameters(ComputableParameters(sim));
        write.SetSetpoints(SomeSetpoints());
    }

    bool runToEnd()
    {
        return until([this] { return write.View().Finished || write.View().Failed; });
    }

    TWriteSequence write{&port};
    std::vector<TTransferResult> closes;
    std::string sawComputing;
};

TEST_F(WriteRun, ParametersAreWrittenInOrderThenComputed)
{
    port.SetFastReplyEnd(true); // the setpoints' run below keeps the 50 ms silence proven
    write.SetMode(TTransferMode::Parameters);
    write.Start();
    ASSERT_TRUE(runToEnd());

    std::vector<std::string> expected = Writes("wp", 0, 399, write.Parameters().data());
    expected.push_back("bp");
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(requests()[12], "wp 12 -5");
    for (int n = 0; n < 400; ++n)
        ASSERT_EQ(*sim.parameter(0, n), write.Parameters()[n]) << "parameter " << n;

    const TTransferView& view = write.View();
    EXPECT_EQ(sawComputing, ComputingPanelText);
    EXPECT_EQ(view.Outcome, TTransferOutcome::Finished);
    EXPECT_EQ(text(view), "tekst 3");
    EXPECT_FALSE(view.PanelRed);
    EXPECT_TRUE(view.OKEnabled);
    EXPECT_TRUE(view.AgainEnabled);
    write.OK();
    EXPECT_EQ(closes, std::vector<TTransferResult>{TTransferResult::OK});
}

TEST_F(WriteRun, SetpointsAloneAreNotFollowedByTheComputation)
{
    write.SetMode(TTransferMode::Setpoints);
    write.Start();
    ASSERT_TRUE(runToEnd());

    EXPECT_EQ(requests(), Writes("ws", 1, 48, write.Setpoints().data()));
    EXPECT_EQ(text(write.View()), "tekst 5");
    EXPECT_TRUE(sawComputing.empty());
    EXPECT_TRUE(write.View().OKEnabled);
    for (int k = 1; k <= 48; ++k)
        ASSERT_EQ(*sim.setpoint(0, k), write.Setpoints()[k]) << "setpoint " << k;
}

class WriteBothRun : public WriteRun, public ::testing::WithParamInterface<TTransferMode> {};

TEST_P(WriteBothRun, ParametersSetpointsThenComputation)
{
    port.SetFastReplyEnd(true); // what is tested here does not depend on how a reply ends
    write.SetMode(GetParam());
    write.Start();
    ASSERT_TRUE(runToEnd());

    std::vector<std::string> expected = Joined(Writes("wp", 0, 399, write.Parameters().data()),
                                               Writes("ws", 1, 48, write.Setpoints().data()));
    expected.push_back("bp");
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(text(write.View()), GetParam() == TTransferMode::Device ? "tekst 8" : "tekst 6");
    EXPECT_EQ(write.View().Outcome, TTransferOutcome::Finished);
}

INSTANTIATE_TEST_SUITE_P(Modes2And3, WriteBothRun,
                         ::testing::Values(TTransferMode::ParametersAndSetpoints, TTransferMode::Device),
                         ModeName);

TEST_F(WriteRun, RefusalStopsAtOnceAndAgainStartsAtParameterZero)
{
    sim.refuseParameter(0, 30);
    write.SetMode(TTransferMode::Parameters);
    write.Start();
    ASSERT_TRUE(runToEnd());

    EXPECT_EQ(requests(), Writes("wp", 0, 30, write.Parameters().data())); // no second "wp 30"
    const TTransferView& view = write.View();
    EXPECT_EQ(view.Outcome, TTransferOutcome::Refused);
    EXPECT_TRUE(view.Failed);
    EXPECT_TRUE(view.PanelRed);
    EXPECT_EQ(text(view), "(er 7) tekst 9");
    EXPECT_TRUE(view.AgainEnabled);
    EXPECT_FALSE(view.OKEnabled);

    sim.refuseParameter(0, 30, false);
    sim.clearLog();
    write.Again();
    ASSERT_TRUE(until([this] { return sim.requestCount() >= 2; }));
    EXPECT_EQ(requests().front(), "wp 0 " + std::to_string(write.Parameters()[0]));
    write.Cancel();
    ASSERT_TRUE(until([this] { return !closes.empty(); }));
    EXPECT_EQ(closes, std::vector<TTransferResult>{TTransferResult::Cancel});
}

TEST_F(WriteRun, ComputationFailureIsRedWithItsReportAndOKStaysOffered)
{
    port.SetFastReplyEnd(true); // what is tested here does not depend on how a reply ends
    sim.setComputeFailure(0, 123);
    write.SetMode(TTransferMode::Parameters);
    write.Start();
    ASSERT_TRUE(runToEnd());

    const TTransferView& view = write.View();
    EXPECT_EQ(view.Outcome, TTransferOutcome::ComputeFailed);
    EXPECT_TRUE(view.Finished);
    EXPECT_TRUE(view.PanelRed);
    EXPECT_EQ(view.Reply, "123");
    EXPECT_EQ(text(view), "tekst 10 123 tekst 11");
    EXPECT_TRUE(view.OKEnabled);
    EXPECT_TRUE(view.AgainEnabled);
    write.OK();
    EXPECT_EQ(closes, std::vector<TTransferResult>{TTransferResult::OK});
}

TEST_F(WriteRun, WrongEchoIsWrittenOnceMoreAndTheSecondStops)
{
    sim.setRequestObserver([this](const km4x::RequestRecord& record) {
        if (record.text.rfind("ws 2 ", 0) == 0)
            sim.setFault(0, km4x::Fault::WrongEchoOnce, true, "ws");
    });
    write.SetMode(TTransferMode::Setpoints);
    write.Start();
    ASSERT_TRUE(runToEnd());
    std::vector<std::string> expected = Writes("ws", 1, 48, write.Setpoints().data());
    expected.insert(expected.begin() + 3, expected[2]);
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(write.View().Outcome, TTransferOutcome::Finished);

    sim.setRequestObserver({});
    sim.setFault(0, km4x::Fault::WrongEchoAlways, true, "ws");
    sim.clearLog();
    write.Again();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(requests().size(), 2u);
    EXPECT_EQ(write.View().Outcome, TTransferOutcome::WrongReply);
    EXPECT_EQ(text(write.View()), "tekst 7 sw 1   S[001]");
}

TEST_F(WriteRun, AGarbledWriteConfirmsNothingAndABpReplyWithoutReportIsAskedOnceMore)
{
    port.SetFastReplyEnd(true); // two whole parameter runs: the end of reply is not the subject
    // "ws" with noise after it is no confirmation: written once more, then the run stops.
    sim.setFault(0, km4x::Fault::Garbage, true, "ws");
    write.SetMode(TTransferMode::Setpoints);
    write.Start();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(requests().size(), 2u);
    EXPECT_EQ(write.View().Outcome, TTransferOutcome::WrongReply);

    // One "bp" answered with a wrong echo: asked once more, and the second answer counts.
    sim.clearFaults();
    sim.setRequestObserver([this](const km4x::RequestRecord& record) {
        if (record.text.rfind("wp 399 ", 0) == 0)
            sim.setFault(0, km4x::Fault::WrongEchoOnce, true, "bp");
    });
    sim.clearLog();
    write.SetMode(TTransferMode::Parameters);
    write.Start();
    ASSERT_TRUE(runToEnd());
    std::vector<std::string> expected = Writes("wp", 0, 399, write.Parameters().data());
    expected.insert(expected.end(), {"bp", "bp"});
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(write.View().Outcome, TTransferOutcome::Finished);
    EXPECT_FALSE(write.View().PanelRed);

    // A refusal of "bp" twice is a wrong reply, never a computation that failed with code 1.
    sim.setRequestObserver({});
    sim.setFault(0, km4x::Fault::Refuse, true, "bp");
    write.Again();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(write.View().Outcome, TTransferOutcome::WrongReply);
    EXPECT_EQ(text(write.View()), "tekst 7 er 1");
    EXPECT_FALSE(write.View().OKEnabled);
}

TEST_F(WriteRun, PortClosedDuringTheRunLetsCancelCloseAtOnce)
{
    write.SetMode(TTransferMode::Parameters);
    write.Start();
    ASSERT_TRUE(until([this] { return write.View().CurrentNumber >= 4; }));
    port.Close();
    EXPECT_EQ(write.View().Outcome, TTransferOutcome::PortClosed);
    EXPECT_EQ(text(write.View()), "tekst 1");
    write.Cancel();
    EXPECT_EQ(closes, std::vector<TTransferResult>{TTransferResult::Cancel});
}

TEST(WriteSequence, ComponentsAreSetUpForTheLine)
{
    TWriteSequence write;
    EXPECT_EQ(write.KT750SchrijfParSoll.TimeoutTime(), 0);
    EXPECT_EQ(write.KT750BerekenParameters.TimeoutTime(), 2000);
    EXPECT_EQ(write.KT750SchrijfParSoll.ProtocolFoot(), TSequenceChar::scCR);
    EXPECT_EQ(write.KT750BerekenParameters.ProtocolFoot(), TSequenceChar::scCR);
}

} // namespace
