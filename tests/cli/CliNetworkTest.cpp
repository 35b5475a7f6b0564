// kmt40-cli on a line reached through a serial device server: a real ser2net on the loopback
// bridges the simulator's pseudo-terminal to an RFC 2217 port and a raw TCP port; the scripted
// server (tests/support/ScriptedComPortServer.cpp) misbehaves as servers in plants and hostile ones
// do.
#include "CliFixture.h"
#include "support/ScriptedComPortRunner.h"
#include "support/Ser2NetServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <thread>

namespace clitest {
namespace {

using testsupport::ScriptedComPortRunner;
using testsupport::Ser2NetServer;

// Skips the test loudly when ser2net is missing: a test that needs it must not pass unseen.
#define REQUIRE_SER2NET(server)                                                                       \
    do {                                                                                           \
        if (testsupport::Ser2NetProgram().empty())                                                 \
            GTEST_SKIP() << "ser2net is not installed (scripts/setup.sh installs it)";             \
        ASSERT_TRUE((server).Ready()) << "ser2net did not start:\n" << (server).Log();              \
    } while (0)

// The same line options as LineArgs, on another port.
std::vector<std::string> Through(const std::string& port, std::vector<std::string> args)
{
    std::vector<std::string> all{"--port", port, "--baud", "38400", "--parity", "E", "--databits", "8", "--stopbits", "1"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(CliTest, IdentifyBackupAndRestoreThroughRfc2217AsOnTheLineItself)
{
    Ser2NetServer server(sim().devicePath());
    REQUIRE_SER2NET(server);

    const ProcessResult direct = Run({"identify"});
    const ProcessResult remote = RunBare(Through(server.Rfc2217Url(), {"identify"}));
    ASSERT_EQ(remote.exitCode, 0) << remote.err;
    EXPECT_EQ(remote.out, direct.out);
    EXPECT_EQ(remote.err, "");
    // A port name mapped to the server in application.ini does the same.
    WriteWholeFile(program_.File("application.ini"), "[Poorten]\r\nCOM3=" + server.Rfc2217Url() + "\r\n");
    const ProcessResult mapped = RunBare(Through("COM3", {"identify"}));
    ASSERT_EQ(mapped.exitCode, 0) << mapped.err;
    EXPECT_EQ(mapped.out, direct.out);
    std::filesystem::remove(program_.File("application.ini"));
    // A raw TCP port at the server's fixed settings (the same as ours) serves as well.
    const ProcessResult raw = RunBare(Through(server.TcpUrl(), {"identify"}));
    ASSERT_EQ(raw.exitCode, 0) << raw.err;
    EXPECT_EQ(raw.out, direct.out);
    // The line options it cannot apply are named once, not dropped silently.
    EXPECT_EQ(CountOf(raw.err, "raw TCP connection"), 1) << raw.err;

    sim().setParameter(0, 7, -123456);
    sim().setSetpoint(0, 48, 2147483647);
    ASSERT_EQ(Run({"--fast", "backup", FilePath("direct.bak")}).exitCode, 0);
    sim().clearLog();
    const ProcessResult backup = RunBare(Through(server.Rfc2217Url(), {"--fast", "backup", FilePath("remote.bak")}));
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    EXPECT_EQ(ReadWholeFile(FilePath("remote.bak")), ReadWholeFile(FilePath("direct.bak")));
    // Every request reached the controller once: nothing repeated, nothing lost on the way.
    EXPECT_EQ(Requests().size(), 1u + 400u + 48u);

    // The restore puts the backed-up values back into a controller that has changed since.
    sim().setParameter(0, 7, 5);
    sim().setSetpoint(0, 48, 0);
    const ProcessResult restore = RunBare(Through(server.Rfc2217Url(), {"--fast", "restore", FilePath("remote.bak")}));
    ASSERT_EQ(restore.exitCode, 0) << restore.err;
    EXPECT_EQ(sim().parameter(0, 7), -123456);
    EXPECT_EQ(sim().setpoint(0, 48), 2147483647);
}

TEST_F(CliTest, SearchThroughRfc2217SetsEachRateAndStopBitsOnTheServer)
{
    // Two units on one line that understand different rates and stop bits: each answers only when
    // the rate set through the server has reached the simulator's line.
    km4x::SimulatorOptions options;
    km4x::UnitConfig slow, fast;
    slow.number = 1;
    slow.line = km4x::LineSettings{9600, km4x::Parity::None, 8, 1};
    slow.typeText = "KM40 slow";
    fast.number = 3;
    fast.line = km4x::LineSettings{19200, km4x::Parity::None, 8, 2};
    fast.typeText = "KM41 fast";
    options.units = {slow, fast};
    UseSimulator(options);
    Ser2NetServer server(sim().devicePath(), "57600n81");
    REQUIRE_SER2NET(server);

    const ProcessResult r = RunBare({"--port", server.Rfc2217Url(), "--parity", "N", "search", "--auto-stopbits",
                                     "--last-unit", "3", "--fast"});

    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("01,KM40 slow"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(",9600,None,1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("03,KM41 fast"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(",19200,None,2"), std::string::npos) << r.out;
    EXPECT_EQ(CountOf(r.out, "KM4"), 2) << r.out;
}

TEST_F(CliTest, ServerStoppedDuringABackupEndsWithOneMessageNamingTheLostConnection)
{
    Ser2NetServer server(sim().devicePath());
    REQUIRE_SER2NET(server);

    ProcessResult r;
    std::thread run([&] { r = program_.Run(Through(server.Rfc2217Url(), {"backup", FilePath("lost.bak")}),
                                           std::chrono::seconds(60)); });
    // Stopped in the middle of the parameters.
    const bool reading = sim().waitForRequests(30, std::chrono::seconds(60));
    server.Stop();
    run.join();

    ASSERT_TRUE(reading);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    const std::string message = Message(r);
    EXPECT_NE(message.find("connection"), std::string::npos) << r.err;
    EXPECT_NE(message.find("lost"), std::string::npos) << r.err;
    EXPECT_EQ(message.find("time-out"), std::string::npos) << r.err;
    EXPECT_EQ(CountOf(r.err, "kmt40-cli: "), 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(FilePath("lost.bak")));
}

TEST_F(CliTest, NobodyListeningIsRefusedNamingTheAddressAndASilentServerTimesOut)
{
    const uint16_t unused = testsupport::FreeLoopbackPort();
    const ProcessResult refused =
        RunBare(Through("rfc2217://127.0.0.1:" + std::to_string(unused), {"identify"}));
    EXPECT_FALSE(refused.timedOut);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(Message(refused).find("refused by 127.0.0.1 port " + std::to_string(unused)), std::string::npos)
        << refused.err;

    // A server that accepts and never says a word: the kernel completes the connection for the
    // listening socket, nobody reads or answers.
    const int silent = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(silent, 4), 0);
    ASSERT_EQ(getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string port = std::to_string(ntohs(address.sin_port));
    for (const std::string scheme : {"rfc2217://", "tcp://"}) {
        const ProcessResult quiet = RunBare(Through(scheme + "127.0.0.1:" + port, {"identify"}));
        EXPECT_EQ(quiet.exitCode, 1) << scheme;
        EXPECT_NE(Message(quiet).find("no reply (time-out)"), std::string::npos) << quiet.err;
    }
    close(silent);

    const ProcessResult malformed = RunBare(Through("rfc2217://127.0.0.1", {"identify"}));
    EXPECT_EQ(malformed.exitCode, 1);
    EXPECT_NE(Message(malformed).find("rfc2217://HOST:PORT"), std::string::npos) << malformed.err;
}

// Peak resident memory allowed to the children of a test against a flooding server. A sanitizer
// build keeps shadow memory and freed blocks in quarantine, several times an ordinary build's; the
// ordinary build's pass holds the real bound.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kPeakMemoryKb = 512L * 1024;
#else
constexpr long kPeakMemoryKb = 100L * 1024;
#endif

#define START_SCRIPTED(name, mode)                                                                  \
    ScriptedComPortRunner name(KMT40_SCRIPTED_SERVER_PATH, mode, sim().devicePath());              \
    ASSERT_FALSE(name.Url().empty()) << "the scripted server did not start"

TEST_F(CliTest, AServerThatNeverEndsASubnegotiationOrFloodsEndsTheCommandWithinBoundedMemory)
{
    {
        START_SCRIPTED(server, "endless-subnegotiation");
        const ProcessResult r = RunBare(Through(server.Url(), {"identify"}));
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(Message(r).find("broke the Telnet protocol"), std::string::npos) << r.err;
        EXPECT_NE(Message(r).find("127.0.0.1 port"), std::string::npos) << r.err;
        EXPECT_EQ(Message(r).find("AAAA"), std::string::npos) << "the peer's bytes in a message";
        // Begun in the middle of a read, the fault is named as it is at the start.
        START_SCRIPTED(later, "endless-subnegotiation-later");
        const ProcessResult read = RunBare(Through(later.Url(), {"--fast", "read-params", FilePath("later.app")}));
        EXPECT_EQ(read.exitCode, 1) << read.err;
        EXPECT_NE(Message(read).find("broke the Telnet protocol"), std::string::npos) << read.err;
        EXPECT_FALSE(std::filesystem::exists(FilePath("later.app")));
        // The largest child so far (the command line tool; the server is still running).
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        std::printf("peak resident memory of kmt40-cli against an endless subnegotiation: %ld kB\n", usage.ru_maxrss);
        EXPECT_LT(usage.ru_maxrss, kPeakMemoryKb);
    }
    {
        START_SCRIPTED(server, "flood");
        const ProcessResult r = RunBare(Through(server.Url(), {"identify"}));
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        // The flood's bytes are shown shortened, never as they came.
        EXPECT_LT(Message(r).size(), 200u) << r.err;
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        EXPECT_LT(usage.ru_maxrss, kPeakMemoryKb);
    }
}

// Line errors reported a moment after the reply's bytes, and junk between replies: a read ends
// with the direct read's values, or with exit 1, one message and no file; never with wrong values.
// The late reports are each retried, the server's first one too (its reply had been taken before
// it came, and so had the fast replies after it when the report lags): that read ends with the
// direct read's values.
TEST_F(CliTest, LateLineErrorsAndJunkBetweenRepliesNeverLeaveWrongValuesSaved)
{
    ASSERT_EQ(Run({"--fast", "read-params", FilePath("direct.app")}).exitCode, 0);
    for (const char* mode : {"late-line-state", "late-line-state-lagging", "junk"}) {
        SCOPED_TRACE(mode);
        START_SCRIPTED(server, mode);
        const std::string file = FilePath(std::string(mode) + ".app");
        const ProcessResult r = RunBare(Through(server.Url(), {"--fast", "read-params", file}));
        EXPECT_FALSE(r.timedOut);
        if (std::string(mode) != "junk") {
            EXPECT_EQ(r.exitCode, 0) << r.err;
        }
        if (r.exitCode == 0) {
            EXPECT_EQ(ReadWholeFile(file), ReadWholeFile(FilePath("direct.app")));
        } else {
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_EQ(CountOf(r.err, "kmt40-cli: "), 1) << r.err;
            EXPECT_EQ(Message(r).find("system error"), std::string::npos) << "the line's own words: " << r.err;
            EXPECT_FALSE(std::filesystem::exists(file));
        }
    }
}

// A write confirmed by a reply the server then reports a line error for is not proven: the writes
// of that moment go out again, so the controller ends holding what was written.
TEST_F(CliTest, AWriteConfirmedByAGarbledReplyIsWrittenAgain)
{
    ASSERT_EQ(Run({"--fast", "read-params", FilePath("direct.app")}).exitCode, 0);
    START_SCRIPTED(server, "garbled-write");
    const ProcessResult write = RunBare(Through(server.Url(), {"--fast", "write-params", FilePath("direct.app")}));
    EXPECT_EQ(write.exitCode, 0) << write.err;
    const ProcessResult read = RunBare(Through(server.Url(), {"--fast", "read-params", FilePath("after.app")}));
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(ReadWholeFile(FilePath("after.app")), ReadWholeFile(FilePath("direct.app")));
}

// A report for a run's last reply comes when no exchange is left to carry it: the line is given
// that moment before the run counts as done, and the values concerned are asked for (or written)
// again. The read saves the direct read's values, the write leaves them in the controller.
TEST_F(CliTest, ALateLineReportForTheLastReplyIsAskedAgainBeforeTheRunEnds)
{
    ASSERT_EQ(Run({"--fast", "read-params", FilePath("direct.app")}).exitCode, 0);
    START_SCRIPTED(lastRead, "late-line-state-last-read");
    const ProcessResult read = RunBare(Through(lastRead.Url(), {"--fast", "read-params", FilePath("late.app")}));
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(ReadWholeFile(FilePath("late.app")), ReadWholeFile(FilePath("direct.app")));

    START_SCRIPTED(afterBp, "late-line-state-after-bp");
    const ProcessResult write = RunBare(Through(afterBp.Url(), {"--fast", "write-params", FilePath("direct.app")}));
    EXPECT_EQ(write.exitCode, 0) << write.err;
    // "bp" went out again after the writes it may concern.
    EXPECT_GE(CountOf(write.err, "Computing parameters: 0/1"), 2) << write.err;
    ASSERT_EQ(Run({"--fast", "read-params", FilePath("after.app")}).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(FilePath("after.app")), ReadWholeFile(FilePath("direct.app")));
}

TEST_F(CliTest, RatesTheServerRefusesOrCannotSetAreNeverTakenAsTheLines)
{
    {
        START_SCRIPTED(server, "wrong-baud");
        const ProcessResult ok = RunBare(Through(server.Url(), {"identify"}));
        EXPECT_EQ(ok.exitCode, 0) << ok.err;
        std::vector<std::string> args = Through(server.Url(), {"identify"});
        args[3] = "28800";
        const ProcessResult r = RunBare(args);
        // Fails at once as a fault of the line, not as a unit that does not answer at 19200.
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_EQ(Message(r).find("time-out"), std::string::npos) << r.err;
        EXPECT_NE(Message(r).find("communication error"), std::string::npos) << r.err;
        EXPECT_NE(Message(r).find("set 19200 baud when asked for 28800"), std::string::npos) << r.err;
    }
    {
        // Keeps its own 38400 baud: the unit answers there whatever rate is asked for.
        START_SCRIPTED(server, "refusing");
        std::vector<std::string> args = Through(server.Url(), {"identify"});
        args[3] = "19200";
        const ProcessResult r = RunBare(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(CountOf(r.err, "does not let the line settings be set"), 1) << r.err;

        // Searched once, at the server's settings; not at rates the server never set.
        const ProcessResult search = RunBare(Through(server.Url(), {"search", "--last-unit", "1", "--fast"}));
        EXPECT_EQ(search.exitCode, 0) << search.err;
        EXPECT_EQ(CountOf(search.out, "KM40"), 1) << search.out;
        EXPECT_NE(search.out.find(",38400,Even,1"), std::string::npos) << search.out;
        EXPECT_EQ(CountOf(search.err, "does not let the line settings be set"), 1) << search.err;
        // The progress counts the two probes sent, not five rates of them.
        EXPECT_NE(search.err.find(": 2/2\n"), std::string::npos) << search.err;
        EXPECT_EQ(search.err.find("/10"), std::string::npos) << search.err;

        const std::string dir = FilePath("line");
        const ProcessResult backup = RunBare(Through(server.Url(), {"--fast", "line-backup", dir, "--units", "0"}));
        EXPECT_EQ(backup.exitCode, 0) << backup.err;
        const std::string manifest = ReadWholeFile(dir + "/line.csv");
        EXPECT_NE(manifest.find(",set by the server,"), std::string::npos) << manifest;
        EXPECT_EQ(manifest.find("38400,E,8,1"), std::string::npos) << manifest;
        const ProcessResult verify = RunBare(Through(server.Url(), {"--fast", "line-verify", dir}));
        EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
    }
}

TEST_F(CliTest, BinaryRefusedAndSuspendedServersStillCarryAWholeRead)
{
    sim().setParameter(0, 13, 13);     // CR in a value's text does not occur; 13 still round-trips
    ASSERT_EQ(Run({"--fast", "read-params", FilePath("direct.app")}).exitCode, 0);
    for (const char* mode : {"binary-refused", "flow-suspended", "well-behaved"}) {
        SCOPED_TRACE(mode);
        START_SCRIPTED(server, mode);
        const std::string file = FilePath(std::string(mode) + ".app");
        const ProcessResult r = RunBare(Through(server.Url(), {"--fast", "read-params", file}));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(ReadWholeFile(file), ReadWholeFile(FilePath("direct.app")));
    }
}

} // namespace
} // namespace clitest
