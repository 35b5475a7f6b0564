// Replies that look like answers but are not, through the real kmt40-cli against the simulator,
// with and without the fast end of reply: each run either fails (exit 1, no file) or, once the
// line is healthy, saves exactly what the controller holds.
#include "CliFixture.h"

#include "params/core/ValueFiles.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>

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
    {km4x::Fault::CutEnd, "sc", "read-setpoints", "echoes every request"},
    {km4x::Fault::OtherValue, "ws", "write-setpoints", "the controller holds 9999"},
    // A write reply cut short is byte for byte the request's echo, named as such.
    {km4x::Fault::CutEnd, "ws", "write-setpoints", "no controller answering? while writing setpoint S001"},
    {km4x::Fault::Doubled, "ws", "write-setpoints", "wrong reply"},
    {km4x::Fault::OtherNumber, "rs", "read-setpoints", "wrong reply"},
    {km4x::Fault::OtherNumber, "ws", "write-setpoints", "wrong reply"},
    {km4x::Fault::OtherNumber, "sc", "write-setpoints", "is not proven"},
    {km4x::Fault::CutEnd, "bp", "bp", "wrong reply"},
    {km4x::Fault::CutEnd, "rt", "identify", "wrong reply"},
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
            const std::string command = row.command;
            std::vector<std::string> args = {command};
            if (command.find("setpoints") != std::string::npos)
                args.push_back(FilePath(command == "read-setpoints" ? "got.aps" : "set.aps"));
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

// One run of a schedule: a fault switched on at one request and off again some requests later.
struct ScheduledFault {
    km4x::Fault fault;
    int from;   // requests let through before it strikes
    int length; // requests it strikes
};

// Every transfer under a random schedule of reply faults ends either with a failure or with a file
// (or controller) equal to the truth. KMT40_REPLY_SCHEDULES sets the number of runs (scripts/fuzz.sh
// runs many); KMT40_REPLY_SEED repeats one.
// A unit that answers each select only after the search's probe has timed out: its late "sc 0"
// comes while "sc 1" is out and is never taken for unit 1's answer. Each probe goes out once, in
// order, and no unit is listed.
TEST_F(CliTest, ALateReplyIsNeverTakenForTheNextProbesAnswer)
{
    sim().setAnswerDelay(std::chrono::milliseconds(160)); // the probe waits 100 ms
    sim().clearLog();
    const ProcessResult r = Run({"search", "--from", "38400", "--last-unit", "2"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out, "unit,identification,baud,parity,stopbits\n");
    EXPECT_NE(Message(r).find("no unit answered"), std::string::npos) << r.err;
    std::vector<std::string> expected;
    for (int rate = 0; rate < 5; ++rate)
        for (const char* probe : {"sc 0", "sc 1", "sc 2"})
            expected.push_back(probe);
    EXPECT_EQ(Requests(), expected);
}

TEST_F(CliTest, RandomReplyFaultSchedulesNeverBringAWrongValue)
{
    const char* runsText = std::getenv("KMT40_REPLY_SCHEDULES");
    const char* seedText = std::getenv("KMT40_REPLY_SEED");
    const int runs = runsText ? std::max(1, std::atoi(runsText)) : 6;
    const auto seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : std::random_device{}();
    std::mt19937 random(seed);
    const km4x::Fault faults[] = {km4x::Fault::CutEnd,      km4x::Fault::Doubled,       km4x::Fault::OtherNumber,
                                  km4x::Fault::OtherValue,  km4x::Fault::Noise,         km4x::Fault::WrongEchoAlways,
                                  km4x::Fault::Garbage};
    std::mutex mutex;
    ScheduledFault now{};
    int seen = 0;
    sim().setRequestObserver([&](const km4x::RequestRecord&) {
        std::lock_guard lock(mutex);
        ++seen;
        sim().setFault(0, now.fault, seen >= now.from && seen < now.from + now.length);
    });
    for (int run = 0; run < runs; ++run) {
        const bool fast = run % 3 != 2; // one run in three on the silence end (slower)
        const bool write = random() % 2 == 0;
        {
            std::lock_guard lock(mutex);
            sim().clearFaults();
            now = {faults[random() % std::size(faults)], 1 + static_cast<int>(random() % 50),
                   1 + static_cast<int>(random() % 3)};
            // Another value in a read reply is a value like any other: only a write can tell.
            if (!write && now.fault == km4x::Fault::OtherValue)
                now.fault = km4x::Fault::Doubled;
            seen = 0;
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + " run " + std::to_string(run) + ": " + km4x::FaultName(now.fault) +
                     " from request " + std::to_string(now.from) + " for " + std::to_string(now.length) +
                     (fast ? ", fast" : "") + (write ? ", write" : ", read"));
        std::array<int32_t, 48> truth{};
        std::string text = "ASCII Sollwerten KM4x-XXX   No: 0\r\n\r\nS000 0\r\n";
        for (int k = 1; k <= 48; ++k) {
            truth[static_cast<std::size_t>(k - 1)] = write ? static_cast<int32_t>(random() % 2000000) - 1000000 : *sim().setpoint(0, k);
            char line[32];
            std::snprintf(line, sizeof line, "S%03d %d\r\n", k, truth[static_cast<std::size_t>(k - 1)]);
            text += line;
        }
        fs::remove(FilePath("got.aps"));
        WriteWholeFile(FilePath("put.aps"), text);
        std::vector<std::string> args = {write ? "write-setpoints" : "read-setpoints", FilePath(write ? "put.aps" : "got.aps")};
        if (fast)
            args.insert(args.begin(), "--fast");
        const ProcessResult r = Run(args);
        {
            std::lock_guard lock(mutex);
            sim().clearFaults();
            now.length = 0;
        }
        ASSERT_FALSE(r.timedOut);
        if (r.exitCode != 0)
            continue;
        // Success must mean the truth, every value in its place.
        if (write) {
            for (int k = 1; k <= 48; ++k)
                EXPECT_EQ(*sim().setpoint(0, k), truth[static_cast<std::size_t>(k - 1)]) << "S" << k;
        } else {
            std::array<int32_t, 48> saved{};
            ASSERT_TRUE(LoadSetpointFile(FilePath("got.aps"), saved).Ok());
            EXPECT_EQ(saved, truth);
        }
    }
    sim().setRequestObserver({});
}

} // namespace
} // namespace clitest
