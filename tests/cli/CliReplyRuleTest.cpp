// Replies that look like answers but are not, through the real kmt40-cli against the simulator,
// with and without the fast end of reply: each run either fails (exit 1, no file) or, once the
// line is healthy, saves exactly what the controller holds.
#include "CliFixture.h"

#include <cstdio>

namespace clitest {
namespace {

struct ReplyFault {
    km4x::Fault fault;
    const char* letters; // the replies it strikes
    const char* command;
    const char* expected; // in the message
};

const ReplyFault kReplyFaults[] = {
    {km4x::Fault::CutEnd, "rs", "read-setpoints", "wrong reply"},
    {km4x::Fault::Doubled, "rs", "read-setpoints", "wrong reply"},
    {km4x::Fault::CutEnd, "sc", "read-setpoints", "is not proven"},
    {km4x::Fault::OtherValue, "ws", "write-setpoints", "the controller holds 9999"},
    {km4x::Fault::Doubled, "ws", "write-setpoints", "wrong reply"},
};

TEST_F(CliTest, RepliesThatDoNotAnswerTheirRequestAreNeverTaken)
{
    // A setpoint file to write: every setpoint a value the simulator does not hold yet.
    std::string text = "ASCII Sollwerten KM4x-XXX   No: 0\r\n\r\nS000 0\r\n";
    for (int k = 1; k <= 48; ++k) {
        char line[32];
        std::snprintf(line, sizeof line, "S%03d %d\r\n", k, 87000 + k);
        text += line;
    }
    WriteWholeFile(FilePath("set.aps"), text);
    for (const bool fast : {false, true}) {
        for (const ReplyFault& row : kReplyFaults) {
            SCOPED_TRACE(std::string(km4x::FaultName(row.fault)) + " on " + row.letters + (fast ? " fast" : ""));
            sim().clearFaults();
            sim().setFault(0, row.fault, true, row.letters);
            std::vector<std::string> args = {row.command, FilePath(std::string(row.command) == "read-setpoints" ? "got.aps" : "set.aps")};
            if (fast)
                args.insert(args.begin(), "--fast");
            const ProcessResult r = Run(args);
            EXPECT_EQ(r.exitCode, 1) << r.err;
            EXPECT_NE(Message(r).find(row.expected), std::string::npos) << r.err;
            EXPECT_FALSE(fs::exists(FilePath("got.aps")));
        }
    }
    // Healthy again: the file read is what the controller holds, byte for byte its values.
    sim().clearFaults();
    const ProcessResult r = Run({"--fast", "read-setpoints", FilePath("got.aps")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string saved = ReadWholeFile(FilePath("got.aps"));
    for (int k = 1; k <= 48; ++k) {
        char line[32];
        std::snprintf(line, sizeof line, "S%03d %d\r\n", k, *sim().setpoint(0, k));
        EXPECT_NE(saved.find(line), std::string::npos) << line;
    }
}

} // namespace
} // namespace clitest
