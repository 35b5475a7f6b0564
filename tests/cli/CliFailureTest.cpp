// How kmt40-cli ends when the controller, the line, a file or the command line lets it down:
// status 1 with one line naming what failed, status 2 for wrong usage, and nothing sent for input
// that is refused.
#include "CliFixture.h"

#include <algorithm>
#include <future>

namespace clitest {
namespace {

std::string ParameterFile(int lines, const std::string& extra = {})
{
    std::string text = "ASCII Parameters KM4x-XXX   No: 0\r\n\r\n";
    char line[32];
    for (int n = 0; n < lines; ++n) {
        std::snprintf(line, sizeof line, "P%03d %d\r\n", n, n);
        text += line;
    }
    return text + extra;
}

int LineCount(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(CliTest, SilentUnitEndsWithOneLineNamingTheUnit)
{
    sim().setFault(km4x::Simulator::AllUnits, km4x::Fault::Silent, true);

    const ProcessResult r = Run({"identify"});

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_NE(Message(r).find("unit 0"), std::string::npos) << r.err;
    EXPECT_NE(Message(r).find("time-out"), std::string::npos) << r.err;
    EXPECT_EQ(Requests(), std::vector<std::string>{"sc 0"});
}

TEST_F(CliTest, TimeOutInTheMiddleNamesTheParameterAndKeepsTheOldFile)
{
    WriteWholeFile(FilePath("keep.app"), "the previous file");
    // The unit falls silent from the request for parameter 17 on.
    km4x::Simulator& s = sim();
    s.setRequestObserver([&s](const km4x::RequestRecord& record) {
        if (record.text == "rp 16")
            s.setFault(0, km4x::Fault::Silent, true);
    });

    const ProcessResult r = Run({"read-params", FilePath("keep.app")});
    s.setRequestObserver(nullptr);

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(Message(r).find("time-out"), std::string::npos) << r.err;
    EXPECT_NE(Message(r).find("P017"), std::string::npos) << r.err;
    EXPECT_EQ(ReadWholeFile(FilePath("keep.app")), "the previous file");
    EXPECT_EQ(Requests().back(), "rp 17");
}

TEST_F(CliTest, ALineClosedWhileAReplyIsAwaitedEndsNamingTheSystemError)
{
    WriteWholeFile(FilePath("keep.app"), "the previous file");
    // The unit falls silent at parameter 16, and the line goes away while that reply is awaited.
    km4x::Simulator& s = sim();
    std::promise<void> asked;
    s.setRequestObserver([&](const km4x::RequestRecord& record) {
        if (record.text == "rp 16") {
            s.setFault(0, km4x::Fault::Silent, true);
            asked.set_value();
        }
    });
    auto run = std::async(std::launch::async, [&] { return Run({"read-params", FilePath("keep.app")}); });
    ASSERT_EQ(asked.get_future().wait_for(std::chrono::seconds(60)), std::future_status::ready);
    s.closeLine();
    const ProcessResult r = run.get();
    s.setRequestObserver(nullptr);

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(Message(r).find("system error"), std::string::npos) << r.err;
    EXPECT_EQ(Message(r).find("time-out"), std::string::npos) << r.err;
    EXPECT_NE(Message(r).find("P016"), std::string::npos) << r.err;
    EXPECT_EQ(ReadWholeFile(FilePath("keep.app")), "the previous file");
}

TEST_F(CliTest, RefusedWriteStopsAtOnceNamingTheParameter)
{
    sim().refuseParameter(0, 30);
    WriteWholeFile(FilePath("set.app"), ParameterFile(400));

    const ProcessResult r = Run({"write-params", FilePath("set.app")});

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(Message(r).find("P030"), std::string::npos) << r.err;
    EXPECT_NE(Message(r).find("er 7"), std::string::npos) << r.err;
    const std::vector<std::string> log = Requests();
    ASSERT_EQ(log.size(), 1u + 31u);  // "sc 0", "wp 0 0" .. "wp 30 30": no further write, no "bp"
    EXPECT_EQ(log.back(), "wp 30 30");
}

TEST_F(CliTest, WrongEchoTwiceStopsNamingTheRequest)
{
    sim().setFault(0, km4x::Fault::WrongEchoAlways, true, "rs");

    const ProcessResult r = Run({"read-setpoints", FilePath("never.aps")});

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(Message(r).find("S001"), std::string::npos) << r.err;
    EXPECT_NE(Message(r).find("wrong reply"), std::string::npos) << r.err;
    EXPECT_EQ(Requests(), (std::vector<std::string>{"sc 0", "rs 1", "rs 1"}));
    EXPECT_FALSE(fs::exists(FilePath("never.aps")));
}

TEST_F(CliTest, FailedSaveAndUnopenablePortAreDeviceOrFileErrors)
{
    const std::string nowhere = FilePath("no-such-dir") + "/unit0.aps";
    const ProcessResult save = Run({"read-setpoints", nowhere});
    EXPECT_EQ(save.exitCode, 1);
    EXPECT_NE(Message(save).find(nowhere), std::string::npos) << save.err;

    const ProcessResult open = RunBare({"--port", FilePath("no-such-device"), "identify"});
    EXPECT_EQ(open.exitCode, 1);
    EXPECT_NE(Message(open).find("cannot open"), std::string::npos) << open.err;
}

TEST_F(CliTest, WrongUsageExitsTwoWithoutTouchingTheLine)
{
    const std::vector<std::vector<std::string>> wrong{
        {},
        {"frobnicate"},
        {"identify", "extra"},
        {"read-params"},
        {"read-params", "a.app", "b.app"},
        {"read-params", "unit0.bak"},  // would replace a file of another kind
        {"backup", "unit0.app"},
        {"send"},
        {"--baud", "1234", "identify"},
        {"--parity", "X", "identify"},
        {"--databits", "6", "identify"},
        {"--stopbits", "3", "identify"},
        {"--unit", "32", "identify"},
        {"--unit", "-1", "identify"},
        {"--port", "COM17", "identify"},
        {"--bogus", "identify"},
        {"identify", "--unit"},
    };
    for (const auto& args : wrong) {
        std::vector<std::string> withPort{"--port", sim().devicePath()};
        withPort.insert(withPort.end(), args.begin(), args.end());
        const ProcessResult r = RunBare(withPort);
        std::string shown;
        for (const auto& a : args)
            shown += a + " ";
        EXPECT_EQ(r.exitCode, 2) << shown << "\n" << r.err;
        EXPECT_EQ(LineCount(r.err), 1) << shown << "\n" << r.err;
        EXPECT_EQ(r.err.rfind("kmt40-cli: ", 0), 0u) << shown << "\n" << r.err;
    }
    EXPECT_EQ(sim().requestCount(), 0u);
}

TEST_F(CliTest, HelpExplainsEveryCommandAndOption)
{
    const ProcessResult r = RunBare({"--help"});

    EXPECT_EQ(r.exitCode, 0);
    for (const char* word : {"Usage: kmt40-cli", "identify", "read-params", "read-setpoints", "write-params",
                             "write-setpoints", "backup", "restore", "send", "bp", "--port", "--baud", "--parity",
                             "--databits", "--stopbits", "--unit", "application.ini", "Exit status"})
        EXPECT_NE(r.out.find(word), std::string::npos) << word;
    EXPECT_EQ(sim().requestCount(), 0u);
}

TEST_F(CliTest, FaultyFilesAreRefusedBeforeAnythingIsSent)
{
    std::string badMarker(16020, '\0');
    std::string shortBackup(16016, '\0');
    struct Case {
        const char* command;
        const char* name;
        std::string content;
        const char* expected;  // part of the message
    };
    const std::vector<Case> cases{
        {"write-params", "bad-line.app", ParameterFile(12, "P12 5\r\n") + ParameterFile(400).substr(37), "line 15"},
        {"write-params", "short.app", ParameterFile(399), "399"},
        {"write-params", "long.app", ParameterFile(400, "P000 1\r\n"), "P000"},
        {"write-params", "setpoints.app", "ASCII Sollwerten KM4x-XXX   No: 0\r\n", "not a parameter file"},
        {"write-params", "huge-value.app", ParameterFile(5, "P005 2147483648\r\n") + ParameterFile(400).substr(37 + 6 * 8),
         "P005"},
        {"write-setpoints", "beyond.aps", "ASCII Sollwerten KM4x-XXX   No: 0\r\n\r\nS049 5\r\n", "049"},
        {"restore", "short.bak", shortBackup, "shorter"},
        {"restore", "marker.bak", badMarker, "marker"},
    };
    for (const Case& c : cases) {
        WriteWholeFile(FilePath(c.name), c.content);
        const ProcessResult r = Run({c.command, FilePath(c.name)});
        EXPECT_EQ(r.exitCode, 1) << c.name << "\n" << r.err;
        EXPECT_NE(Message(r).find(c.name), std::string::npos) << r.err;
        EXPECT_NE(Message(r).find(c.expected), std::string::npos) << c.name << "\n" << r.err;
        EXPECT_EQ(LineCount(r.err), 1) << r.err;
    }
    const ProcessResult missing = Run({"write-params", FilePath("missing.app")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(Message(missing).find("missing.app"), std::string::npos) << missing.err;

    EXPECT_EQ(sim().requestCount(), 0u);
}

} // namespace
} // namespace clitest
