#pragma once
// Runs the real kmt40-cli as a child process: a copy of the executable in a throw-away directory
// (so application.ini beside it is the test's own), its output captured in files, a hard limit
// against a hang.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <fcntl.h>
#include <csignal>

#ifndef KMT40_CLI_PATH
#error "KMT40_CLI_PATH must name the built kmt40-cli executable"
#endif

extern char** environ;

namespace clitest {

namespace fs = std::filesystem;

struct ProcessResult {
    int exitCode = -1;  // -1: killed or did not end normally
    int signal = 0;     // the signal that ended it
    bool timedOut = false;
    std::string out;
    std::string err;
};

inline std::string ReadWholeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A fresh directory holding a copy of kmt40-cli; removed with its contents at the end.
class ProgramCopy {
public:
    ProgramCopy()
    {
        std::random_device random;
        dir_ = fs::temp_directory_path() / ("kmt40-cli-test-" + std::to_string(random()) + std::to_string(getpid()));
        fs::create_directories(dir_);
        program_ = dir_ / "kmt40-cli";
        fs::copy_file(KMT40_CLI_PATH, program_, fs::copy_options::overwrite_existing);
        fs::permissions(program_, fs::perms::owner_all, fs::perm_options::add);
    }
    ~ProgramCopy()
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    const fs::path& Dir() const { return dir_; }
    fs::path File(const std::string& name) const { return dir_ / name; }

    // Runs the program with args; stdin is /dev/null. OnStarted gets the child's process id as soon
    // as it runs (to signal it); it runs on the calling thread, before the wait.
    ProcessResult Run(const std::vector<std::string>& args, std::chrono::seconds limit = std::chrono::seconds(180),
                      const std::function<void(pid_t)>& OnStarted = {}) const
    {
        const fs::path outFile = dir_ / "stdout.txt";
        const fs::path errFile = dir_ / "stderr.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

        std::vector<std::string> argvText{program_.string()};
        argvText.insert(argvText.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : argvText)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        ProcessResult result;
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << program_ << ": " << spawned;
            return result;
        }
        if (OnStarted)
            OnStarted(pid);
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        for (;;) {
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid)
                break;
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                result.timedOut = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!result.timedOut && WIFEXITED(status))
            result.exitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status))
            result.signal = WTERMSIG(status);
        result.out = ReadWholeFile(outFile);
        result.err = ReadWholeFile(errFile);
        return result;
    }

private:
    fs::path dir_;
    fs::path program_;
};

} // namespace clitest
