// The fault matrix's columns strike where they are aimed: after the requests let through, on the
// letters chosen, and a pulled line is plugged in again by Heal.
#include "LineFaultMatrix.h"
#include "PtyClient.h"

#include <gtest/gtest.h>

#include <sstream>

namespace km4x::test {
namespace {

// What Heal needs of a port mapping, without the serial library.
struct BarePty {
    Simulator& s;
    Simulator& sim() { return s; }
    void remap() {}
};

TEST(LineFaultInjector, StrikesAfterTheRequestsLetThroughAndHealsTheLine)
{
    Simulator sim;
    {
        LineFaultInjector inject(sim);
        PtyClient client(sim.devicePath());

        // Two "rp" pass, the third is refused; other letters are left alone.
        inject.Arm(LineFault::Refused, 0, 100ms, "rp", 2);
        EXPECT_EQ(client.request("rp 3"), "rp 3 0\r\n");
        EXPECT_EQ(client.request("rx"), client.request("rx"));
        EXPECT_FALSE(client.request("rx").empty());
        EXPECT_EQ(client.request("rp 3"), "rp 3 0\r\n");
        EXPECT_TRUE(inject.Struck());
        EXPECT_EQ(client.request("rp 3"), "er 1\r\n");

        // Just outside the time-out: the reply comes, but later than 100 ms.
        inject.Arm(LineFault::JustOutside, 0, 100ms);
        const auto asked = std::chrono::steady_clock::now();
        EXPECT_EQ(client.request("rp 3"), "rp 3 0\r\n");
        EXPECT_GE(std::chrono::steady_clock::now() - asked, JustOutsideDelay(100ms));

        // Unplugged: one "rp" passes, the next is unanswered and the line hangs up under it.
        inject.Arm(LineFault::Unplugged, 0, 100ms, "rp", 1);
        EXPECT_EQ(client.request("rp 3"), "rp 3 0\r\n");
        client.send("rp 3");
        EXPECT_TRUE(client.waitForHangUp());
        EXPECT_TRUE(inject.Unplugged());

        BarePty pty{sim};
        ASSERT_TRUE(inject.Heal(pty));
        EXPECT_TRUE(sim.lineOpen());
    }
    PtyClient again(sim.devicePath());
    EXPECT_EQ(again.request("rp 3"), "rp 3 0\r\n");
}

TEST(FaultMatrixReport, PrintsOneRowPerOperationAndNamesEachFailure)
{
    FaultMatrixReport report("tool");
    report.Add("backup", LineFault::Silent, {});
    report.Add("backup", LineFault::Garbage, {"two boxes", "file changed"});
    report.Add("restore", LineFault::Silent, {});
    EXPECT_FALSE(report.AllPassed());
    std::ostringstream out;
    report.Print(out);
    const std::string text = out.str();
    EXPECT_NE(text.find("| backup | pass | - | - | - | FAIL: two boxes; file changed; | - | - |"), std::string::npos) << text;
    EXPECT_NE(text.find("| restore | pass |"), std::string::npos) << text;
}

} // namespace
} // namespace km4x::test
