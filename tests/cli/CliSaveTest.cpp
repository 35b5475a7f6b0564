// Saving from kmt40-cli: two saves of one file at once, output that cannot be written, and the
// reasons given for paths that are no files.
#include "CliFixture.h"
#include "support/FolderNames.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace clitest;

namespace {

// Opens the FIFO for writing once the held process reads it, that is once it is about to rename.
int WaitForHeldReader(const std::string& Fifo)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = open(Fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0 || errno != ENXIO)
            return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

class CliSaveTest : public CliTest {
protected:
    CliSaveTest()
    {
        fs::create_directory(folder_);
        EXPECT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
        setenv("KMT40_HOLD_RENAME", fifo_.c_str(), 1); // read only where the hold is preloaded
        // The hold is preloaded ahead of a sanitizer's runtime, which must not refuse that.
        const char* asan = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (asan ? std::string(asan) + ":" : std::string()).append("verify_asan_link_order=0").c_str(), 1);
    }
    ~CliSaveTest() override
    {
        if (held_.joinable())
            held_.join();
    }

    // Starts Command (read-setpoints into target_) on the fixture's unit 0, held before its first
    // rename; returns once it is held, with the FIFO that releases it, a rename a byte (-1 if it
    // never got there).
    int StartHeldSave(std::vector<std::string> Command = {})
    {
        if (Command.empty())
            Command = {"read-setpoints", target_};
        setenv("LD_PRELOAD", KMT40_HOLD_RENAME_LIBRARY, 1);
        heldPid_ = 0;
        held_ = std::thread([this, Command] {
            std::vector<std::string> args = LineArgs();
            args.push_back("--fast");
            args.insert(args.end(), Command.begin(), Command.end());
            heldResult_ = program_.Run(args, std::chrono::seconds(180), [this](pid_t pid) {
                unsetenv("LD_PRELOAD"); // only this process is held
                heldPid_ = pid;
            });
        });
        return WaitForHeldReader(fifo_);
    }
    ProcessResult EndHeldSave()
    {
        held_.join();
        return heldResult_;
    }

    const fs::path folder_ = program_.File("saves");
    const std::string target_ = (folder_ / "unit.aps").string();
    const std::string fifo_ = program_.File("hold").string();
    std::atomic<pid_t> heldPid_{0};

private:
    std::thread held_;
    ProcessResult heldResult_;
};

} // namespace

// The held save wrote its temporary first and renames last: the other save, started and finished
// in between, must neither share nor remove that temporary. Both say "Saved", truthfully, and the
// file is the whole file of the save that renamed last.
TEST_F(CliSaveTest, TwoSavesOfOneFileEndWithOneWholeFileAndTwoTruthfulReports)
{
    km4x::SimulatorOptions other;
    other.units = {km4x::UnitConfig{}};
    other.units[0].number = 5;
    km4x::Simulator second(other);
    ProgramCopy secondProgram;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const int release = StartHeldSave();
        EXPECT_GE(release, 0);

        const ProcessResult between =
            secondProgram.Run({"--port", second.devicePath(), "--baud", "38400", "--parity", "E", "--databits", "8",
                               "--stopbits", "1", "--unit", "5", "--fast", "read-setpoints", target_});
        EXPECT_EQ(between.exitCode, 0) << between.err;
        EXPECT_NE(between.err.find("Saved 48 setpoints in " + target_), std::string::npos) << between.err;
        EXPECT_NE(ReadWholeFile(target_).find("No: 5"), std::string::npos);

        if (release >= 0) {
            EXPECT_EQ(write(release, "x", 1), 1);
            close(release);
        }
        const ProcessResult held = EndHeldSave();
        EXPECT_EQ(held.exitCode, 0) << held.err;
        EXPECT_NE(held.err.find("Saved 48 setpoints in " + target_), std::string::npos) << held.err;
        const std::string saved = ReadWholeFile(target_);
        EXPECT_NE(saved.find("No: 0"), std::string::npos) << saved;
        EXPECT_EQ(saved.find("No: 5"), std::string::npos) << saved;
        EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 51) << saved;
        EXPECT_EQ(FolderNames(folder_), std::vector<std::string>{"unit.aps"});
    }
}

// Ctrl-C twice (the first only asks the run to stop) while the temporary is written: the earlier
// file stays whole and the temporary goes with the program.
TEST_F(CliSaveTest, CtrlCWhileSavingLeavesTheEarlierFileAndNoTemporary)
{
    WriteWholeFile(target_, "earlier");
    const int release = StartHeldSave();
    ASSERT_GE(release, 0);
    EXPECT_EQ(FolderNames(folder_).size(), 2u); // the file and the held save's temporary
    kill(heldPid_, SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(heldPid_, SIGINT);
    const ProcessResult held = EndHeldSave();
    close(release);
    EXPECT_NE(held.exitCode, 0);
    EXPECT_EQ(ReadWholeFile(target_), "earlier");
    EXPECT_EQ(FolderNames(folder_), std::vector<std::string>{"unit.aps"});
}

TEST_F(CliSaveTest, OutputThatCannotBeWrittenFailsWithAMessage)
{
    // Standard output is /dev/full: every write fails with "No space left on device".
    std::string command = program_.File("kmt40-cli").string();
    for (const std::string& arg : LineArgs())
        command += " '" + arg + "'";
    const fs::path errFile = program_.File("full-stderr.txt");
    const int status = std::system((command + " --json identify > /dev/full 2> '" + errFile.string() + "'").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(ReadWholeFile(errFile).find("kmt40-cli: cannot write standard output: No space left on device"),
              std::string::npos)
        << ReadWholeFile(errFile);
}

TEST_F(CliSaveTest, DiffSaysWhatAPathIsWhenItIsNoFile)
{
    fs::create_directory(program_.File("x.bak"));
    // Zero bytes beyond the size any value file may have (sparse: no disk space needed).
    WriteWholeFile(program_.File("zeros.app"), "");
    fs::resize_file(program_.File("zeros.app"), 20u * 1024u * 1024u);
    WriteWholeFile(program_.File("a.app"), "ASCII Parameters KM4x-XXX   No: 0\r\n");

    const ProcessResult folder = RunBare({"diff", FilePath("x.bak"), FilePath("a.app")});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_NE(Message(folder).find("x.bak: it is a folder"), std::string::npos) << folder.err;
    EXPECT_NE(Message(folder).find("cannot open the backup file"), std::string::npos) << folder.err;

    const ProcessResult zeros = RunBare({"diff", FilePath("zeros.app"), FilePath("a.app")});
    EXPECT_EQ(zeros.exitCode, 1);
    EXPECT_NE(Message(zeros).find("zeros.app: it is not a text file"), std::string::npos) << zeros.err;

    // The same parameters as another editor saves them, with a UTF-8 mark and LF line ends.
    std::string crlf = "ASCII Parameters KM4x-XXX   No: 0\r\n";
    for (int n = 0; n < 400; ++n) {
        char line[16];
        std::snprintf(line, sizeof line, "P%03d 7\r\n", n);
        crlf += line;
    }
    WriteWholeFile(program_.File("crlf.app"), crlf);
    std::string marked = "\xEF\xBB\xBF" + crlf;
    std::erase(marked, '\r');
    WriteWholeFile(program_.File("marked.app"), marked);
    EXPECT_EQ(RunBare({"diff", FilePath("crlf.app"), FilePath("marked.app")}).exitCode, 0);

    const ProcessResult missing = RunBare({"diff", FilePath("none.app"), FilePath("a.app")});
    EXPECT_NE(Message(missing).find("none.app: No such file or directory"), std::string::npos) << missing.err;
}
