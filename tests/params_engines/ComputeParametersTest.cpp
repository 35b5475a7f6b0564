// The single "bp" exchange of the loader against a simulated controller.

#include "params/core/ComputeParameters.h"

#include "SimulatorPort.h"

using namespace xfertest;

namespace {

class ComputeRun : public ::testing::Test, public SimulatorPort {
protected:
    ComputeRun()
    {
        compute.OnComputed = [this](bool success, const std::string& report) {
            computed.push_back({success, report});
        };
    }
    bool runToEnd()
    {
        return until([this] { return compute.View().Outcome != TTransferOutcome::Running; });
    }

    TComputeParameters compute{&port};
    std::vector<std::pair<bool, std::string>> computed;
};

TEST_F(ComputeRun, SuccessAndFailureReports)
{
    compute.Start();
    EXPECT_EQ(text(compute.View()), "");
    EXPECT_TRUE(compute.View().OKEnabled);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(requests(), std::vector<std::string>{"bp"});
    EXPECT_EQ(compute.View().Outcome, TTransferOutcome::Finished);
    EXPECT_EQ(text(compute.View()), "tekst 4");
    EXPECT_FALSE(compute.View().PanelRed);

    sim.setComputeFailure(0, 17);
    compute.Start();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(compute.View().Outcome, TTransferOutcome::ComputeFailed);
    EXPECT_EQ(text(compute.View()), "tekst 5 17 tekst 6");
    EXPECT_TRUE(compute.View().PanelRed);

    const std::vector<std::pair<bool, std::string>> expected{{true, ""}, {false, "17"}};
    EXPECT_EQ(computed, expected);
}

TEST_F(ComputeRun, NoReplyIsRedAndIsNoComputation)
{
    sim.setFault(0, km4x::Fault::Silent, true);
    compute.Start();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(compute.View().Outcome, TTransferOutcome::Timeout);
    EXPECT_EQ(text(compute.View()), "tekst 0");
    EXPECT_TRUE(compute.View().PanelRed);
    EXPECT_TRUE(computed.empty());

    port.Close();
    compute.Start();
    EXPECT_EQ(compute.View().Outcome, TTransferOutcome::PortClosed);
    EXPECT_EQ(text(compute.View()), "tekst 2");
    EXPECT_TRUE(computed.empty());
}

TEST(ComputeParameters, ComponentUsesTheDefaultTimeOut)
{
    TComputeParameters compute;
    EXPECT_EQ(compute.KT750ParLoader.TimeoutTime(), 0);
    EXPECT_EQ(compute.KT750ParLoader.ProtocolFoot(), TSequenceChar::scCR);
}

} // namespace
