// The small device commands of kmt40-cli: identification, a raw exchange, the computation.
#include "CliFixture.h"

namespace clitest {
namespace {

TEST_F(CliTest, IdentifyPrintsTheThreeTextsAfterSelectingTheUnit)
{
    km4x::SimulatorOptions options;
    km4x::UnitConfig unit;
    unit.number = 12;
    unit.typeText = "KM41 V3.02";
    unit.versionText = "SW 3.02 2023-11-30";
    unit.serialText = "SN 004712";
    options.units = {unit};
    UseSimulator(options);

    const ProcessResult r = Run({"--unit", "12", "identify"});

    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "KM41 V3.02\nSW 3.02 2023-11-30\nSN 004712\n");
    EXPECT_EQ(Requests(), (std::vector<std::string>{"sc 12", "rt", "rh", "rx"}));
    EXPECT_EQ(r.err, "");
}

TEST_F(CliTest, IdentifyWarnsAboutAnotherModelButSucceeds)
{
    km4x::SimulatorOptions options;
    km4x::UnitConfig unit;
    unit.typeText = "KX99 test";
    options.units = {unit};
    UseSimulator(options);

    const ProcessResult r = Run({"identify"});

    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 10), "KX99 test\n");
    EXPECT_NE(r.err.find("warning"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("KX99"), std::string::npos) << r.err;
}

TEST_F(CliTest, SendPrintsTheRawReplyOfTheText)
{
    sim().setParameter(0, 12, -250);

    const ProcessResult r = Run({"send", "rp", "12"});

    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "rp 12 -250\n");
    EXPECT_EQ(Requests(), (std::vector<std::string>{"sc 0", "rp 12"}));

    // A refusal is a reply like any other: printed as it came.
    sim().refuseParameter(0, 30);
    const ProcessResult refused = Run({"send", "--", "wp 30 -5"});
    EXPECT_EQ(refused.exitCode, 0) << refused.err;
    EXPECT_EQ(refused.out, "er 7\n");
}

TEST_F(CliTest, BpReportsSuccessAndTheControllersFailureReport)
{
    const ProcessResult ok = Run({"bp"});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.out, "bp -1\n");
    EXPECT_EQ(Requests(), (std::vector<std::string>{"sc 0", "bp"}));

    sim().setComputeFailure(0, 203);
    const ProcessResult failed = Run({"bp"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(Message(failed).find("203"), std::string::npos) << failed.err;

    // "er 1" is no report of the computation: the controller may not have computed at all.
    sim().setFault(0, km4x::Fault::Refuse, true, "bp");
    const ProcessResult refused = Run({"bp", "--fast"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(Message(refused), "kmt40-cli: \"bp\": wrong reply \"er 1\"") << refused.err;
}

TEST_F(CliTest, BpWaitsForAControllerThatComputesAWhile)
{
    km4x::FaultSettings slow = sim().faultSettings();
    slow.slowDelay = std::chrono::milliseconds(500);
    sim().setFaultSettings(slow);
    sim().setFault(0, km4x::Fault::Slow, true, "bp");
    const ProcessResult r = Run({"bp"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "bp -1\n");
}

} // namespace
} // namespace clitest
