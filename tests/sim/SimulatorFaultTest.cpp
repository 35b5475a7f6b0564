// Faults, timing and the line itself, switched while the simulator runs.
#include "PtyClient.h"
#include "Simulator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace km4x::test {
namespace {

constexpr auto LogWait = 3000ms;

class SimulatorFault : public ::testing::Test {
protected:
    SimulatorFault()
        : client(sim.devicePath())
    {
    }

    // The request was heard and decided on; whether bytes follow is up to the fault.
    RequestRecord lastRecord(size_t count)
    {
        EXPECT_TRUE(sim.waitForRequests(count, LogWait));
        return sim.requestLog().back();
    }

    Simulator sim;
    PtyClient client;
};

TEST_F(SimulatorFault, SilentUnitHearsButNeverAnswers)
{
    sim.setFault(0, Fault::Silent, true);
    client.send("wp 3 99");
    const RequestRecord r = lastRecord(1);
    EXPECT_FALSE(r.answered);
    EXPECT_EQ(r.unit, 0);
    EXPECT_EQ(client.readFor(150ms), "");
    EXPECT_EQ(sim.parameter(0, 3), 99); // it did act on the request

    sim.setFault(0, Fault::Silent, false);
    EXPECT_EQ(client.request("rp 3"), "rp 3 99\r\n");
}

TEST_F(SimulatorFault, FaultLimitedToOneCommandLeavesTheOthersAlone)
{
    sim.setFault(Simulator::AllUnits, Fault::Silent, true, "rf");
    EXPECT_TRUE(sim.faultOn(0, Fault::Silent));
    client.send("rf");
    EXPECT_FALSE(lastRecord(1).answered);
    EXPECT_EQ(client.request("ri"), "ri 65\r\n");
    sim.clearFaults();
    EXPECT_FALSE(sim.faultOn(0, Fault::Silent));
    EXPECT_EQ(client.request("rf"), "rf -1\r\n");
}

TEST_F(SimulatorFault, SlowAnswerComesOnlyAfterTheSlowDelay)
{
    FaultSettings settings = sim.faultSettings();
    settings.slowDelay = 300ms;
    sim.setFaultSettings(settings);
    sim.setFault(0, Fault::Slow, true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.request("rf", 5000ms), "rf -1\r\n");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
}

TEST_F(SimulatorFault, AnswerDelayHoldsEveryReplyBack)
{
    sim.setAnswerDelay(150ms);
    EXPECT_EQ(sim.answerDelay(), 150ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.request("rf"), "rf -1\r\n");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
}

TEST_F(SimulatorFault, PacingSendsNoFasterThanTheWireSpeed)
{
    // 1200 baud with 8E1 is 11 bits a byte: the 50-byte reply needs at least 458 ms.
    ASSERT_TRUE(sim.setLineSettings(0, {1200, Parity::Even, 8, 1}));
    ASSERT_TRUE(client.setLine(1200, 1));
    sim.setPacing(true);
    EXPECT_TRUE(sim.pacing());
    FaultSettings settings = sim.faultSettings();
    settings.overLongLength = 45;
    sim.setFaultSettings(settings);
    sim.setFault(0, Fault::OverLong, true);
    const auto start = std::chrono::steady_clock::now();
    const std::string reply = client.request("rf", 10000ms);
    EXPECT_EQ(reply.size(), 50u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 458ms);
}

TEST_F(SimulatorFault, WrongEchoOnceThenRight)
{
    sim.setFault(0, Fault::WrongEchoOnce, true);
    EXPECT_EQ(client.request("rp 7"), "pr 7 " + std::to_string(*sim.parameter(0, 7)) + "\r\n");
    EXPECT_FALSE(sim.faultOn(0, Fault::WrongEchoOnce));
    EXPECT_EQ(client.request("rp 7").substr(0, 5), "rp 7 ");
}

TEST_F(SimulatorFault, WrongEchoAlwaysUntilSwitchedOff)
{
    sim.setFault(0, Fault::WrongEchoAlways, true);
    EXPECT_EQ(client.request("sc 0"), "cs 0\r\n");
    EXPECT_EQ(client.request("rf"), "fr -1\r\n");
    EXPECT_EQ(client.request("rf"), "fr -1\r\n");
    sim.setFault(0, Fault::WrongEchoAlways, false);
    EXPECT_EQ(client.request("rf"), "rf -1\r\n");
}

TEST_F(SimulatorFault, RefusesWritesOfChosenParametersWithEr7)
{
    sim.refuseParameter(0, 30);
    EXPECT_EQ(client.request("wp 30 5"), "er 7\r\n");
    EXPECT_EQ(sim.parameter(0, 30), FactoryParameter(30)); // not stored
    EXPECT_EQ(client.request("wp 31 5"), "wp 31 5\r\n");
    EXPECT_EQ(client.request("ws 30 5"), "ws 30 5\r\n"); // setpoints are not parameters
    sim.refuseParameter(0, 30, false);
    EXPECT_EQ(client.request("wp 30 5"), "wp 30 5\r\n");
}

TEST_F(SimulatorFault, RefusedCommandIsAnsweredEr1AndNotCarriedOut)
{
    sim.setFault(0, Fault::Refuse, true, "kr");
    EXPECT_EQ(client.request("kr 2041"), "er 1\r\n");
    EXPECT_EQ(client.request("km 1"), "km 1\r\n"); // other commands go on as before
    sim.setFault(0, Fault::Refuse, true, "kw");
    EXPECT_EQ(client.request("kw 2041 99"), "er 1\r\n");
    sim.withUnit(0, [](ControllerUnit& unit) { EXPECT_EQ(unit.calibration.values[0], 12); });
    sim.setFault(0, Fault::Refuse, false);
    EXPECT_EQ(client.request("kr 2041"), "kr 2041 12\r\n");
}

TEST_F(SimulatorFault, GarbageValueKeepsTheEchoButIsNoNumber)
{
    sim.setFault(0, Fault::Garbage, true, "rd");
    const std::string reply = client.request("rd 4");
    ASSERT_GT(reply.size(), 5u);
    EXPECT_EQ(reply.substr(0, 3), "rd ");
    EXPECT_EQ(reply.substr(reply.size() - 2), "\r\n");
    const std::string value = reply.substr(3, reply.size() - 5);
    EXPECT_FALSE(ParseInt32(value));
    EXPECT_NE(value.find('\0'), std::string::npos); // binary bytes as well
    EXPECT_EQ(client.request("rf"), "rf -1\r\n");
}

TEST_F(SimulatorFault, OverLongValueExceedsAnyReplyBuffer)
{
    sim.setFault(0, Fault::OverLong, true);
    const std::string reply = client.request("rp 1");
    EXPECT_EQ(reply.size(), 3u + 600u + 2u);
    EXPECT_EQ(reply.substr(0, 3), "rp ");
}

TEST_F(SimulatorFault, NoiseComesBeforeTheReplyAndOnDemand)
{
    sim.setFault(0, Fault::Noise, true);
    client.send("rf");
    const std::string got = client.readBytes(8 + 7);
    ASSERT_EQ(got.size(), 15u);
    EXPECT_EQ(got.substr(8), "rf -1\r\n");
    sim.setFault(0, Fault::Noise, false);

    sim.injectNoise(32);
    EXPECT_EQ(client.readBytes(32).size(), 32u);
    sim.injectBytes("\r\nxyz");
    EXPECT_EQ(client.readBytes(5), "\r\nxyz");
}

TEST_F(SimulatorFault, ComputeFailureIsAnsweredWithItsNumber)
{
    EXPECT_EQ(client.request("bp"), "bp -1\r\n");
    sim.setComputeFailure(0, 123);
    EXPECT_EQ(client.request("bp"), "bp 123\r\n");
    sim.setComputeFailure(0, std::nullopt);
    // A parameter outside its range fails the check with its number.
    EXPECT_EQ(client.request("wp 203 99"), "wp 203 99\r\n");
    EXPECT_EQ(client.request("bp"), "bp 203\r\n");
}

TEST_F(SimulatorFault, ClosedLineHangsUpAndCanBePluggedInAgain)
{
    EXPECT_EQ(client.request("rf"), "rf -1\r\n");
    sim.closeLine();
    EXPECT_FALSE(sim.lineOpen());
    EXPECT_TRUE(client.waitForHangUp());
    sim.closeLine(); // twice is harmless

    ASSERT_TRUE(sim.reopenLine());
    EXPECT_TRUE(sim.lineOpen());
    PtyClient again(sim.devicePath());
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(again.request("rf"), "rf -1\r\n");

    // Pulled by the request observer: the line goes as the request is heard, before its reply.
    sim.setRequestObserver([this](const RequestRecord& record) {
        if (record.text == "rh")
            sim.closeLine();
    });
    EXPECT_EQ(again.request("rh"), "");
    EXPECT_TRUE(again.waitForHangUp());
    EXPECT_FALSE(sim.lineOpen());
    sim.setRequestObserver({});
}

TEST_F(SimulatorFault, LineStaysUsableAcrossClientSessions)
{
    // A client that locks the line exclusively and leaves must not lock out the next one.
    PtyClient watcher(sim.devicePath());
    ASSERT_TRUE(watcher.isOpen());
    ASSERT_EQ(ioctl(client.fd(), TIOCEXCL), 0);
    client.close();
    int exclusive = 1;
    for (int i = 0; i < 300 && exclusive; ++i) {
        ASSERT_EQ(ioctl(watcher.fd(), TIOCGEXCL, &exclusive), 0);
        if (exclusive)
            usleep(10000);
    }
    EXPECT_EQ(exclusive, 0);

    // Sessions come and go without the line hanging up in between.
    for (int session = 0; session < 3; ++session) {
        PtyClient next(sim.devicePath());
        ASSERT_TRUE(next.isOpen());
        EXPECT_EQ(next.request("rf"), "rf -1\r\n");
    }
}

TEST_F(SimulatorFault, EachNewClientFindsTheLineAsTheFirstOneDid)
{
    // The line as the fixture's client found it, then changed by one that leaves.
    client.close();
    {
        PtyClient changer(sim.devicePath(), 9600, 2);
        ASSERT_TRUE(changer.isOpen());
    }
    auto settingsOf = [](int fd) {
        termios tio{};
        EXPECT_EQ(tcgetattr(fd, &tio), 0);
        return std::make_pair(cfgetospeed(&tio), (tio.c_cflag & CSTOPB) != 0);
    };
    // The classic speed code, not BOTHER: a client that reads only those can name the rate.
    const std::pair<speed_t, bool> first{B38400, false};
    // The simulator notices the close a moment later; a client that opens before it did still
    // finds the old settings, so the next one tries again.
    std::pair<speed_t, bool> found{};
    for (int attempt = 0; attempt < 300 && found != first; ++attempt) {
        const int fd = ::open(sim.devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        found = settingsOf(fd);
        ::close(fd);
        if (found != first)
            usleep(10000);
    }
    EXPECT_EQ(found, first);
}

TEST(SimulatorLink, LinkFollowsTheLineAndNeverReplacesAFile)
{
    std::string dir = (std::filesystem::temp_directory_path() / "km4xsimXXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::string link = dir + "/ttyKM";
    {
        SimulatorOptions options;
        options.linkPath = link;
        Simulator sim(options);
        EXPECT_EQ(sim.devicePath(), link);
        PtyClient client(link);
        EXPECT_EQ(client.request("rf"), "rf -1\r\n");
        sim.closeLine();
        struct stat st {};
        EXPECT_NE(lstat(link.c_str(), &st), 0); // gone with the line
        ASSERT_TRUE(sim.reopenLine());
        PtyClient again(link);
        EXPECT_EQ(again.request("rf"), "rf -1\r\n");
    }
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0);

    // A regular file of that name is left alone and the simulator refuses to start.
    { FILE* f = fopen(link.c_str(), "w"); ASSERT_NE(f, nullptr); fputs("keep", f); fclose(f); }
    SimulatorOptions options;
    options.linkPath = link;
    EXPECT_THROW(Simulator{options}, std::runtime_error);
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    unlink(link.c_str());
    rmdir(dir.c_str());
}

} // namespace
} // namespace km4x::test

namespace km4x::test {
namespace {

// A pseudo-terminal slave stands in for a real serial device: the test holds the master end.
TEST(SimulatorDevice, AnswersOnADevicePathAndLetsGoWhenItIsUnplugged)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    SimulatorOptions options;
    options.devicePath = ptsname(master);
    // This stand-in forces "no parity", which a device would not; the unit is set to match.
    options.units[0].line = {38400, Parity::None, 8, 2};
    Simulator sim(options);
    EXPECT_EQ(sim.devicePath(), options.devicePath);

    ASSERT_EQ(write(master, "rt\r", 3), 3);
    ASSERT_TRUE(sim.waitForRequests(1, 3000ms));
    const RequestRecord r = sim.requestLog().front();
    EXPECT_TRUE(r.answered);
    // On a device the simulator sees its own settings, parity included.
    EXPECT_TRUE(r.line.parityVisible);
    EXPECT_EQ(r.line.parity, Parity::None);
    EXPECT_EQ(r.line.baud, 38400);
    EXPECT_EQ(r.line.stopBits, 2);
    std::string got;
    char buffer[64];
    for (int i = 0; i < 300 && got.find("\r\n") == std::string::npos; ++i) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, static_cast<size_t>(n));
        else
            usleep(10000);
    }
    EXPECT_EQ(got, "rt KM40 V2.31\r\n");

    // The adapter vanishes: the simulator notices the hang-up and stops using the line.
    close(master);
    for (int i = 0; i < 300 && sim.lineOpen(); ++i)
        usleep(10000);
    EXPECT_FALSE(sim.lineOpen());
}

} // namespace
} // namespace km4x::test
