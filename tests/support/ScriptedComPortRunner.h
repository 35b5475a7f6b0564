#pragma once
// Runs the scripted RFC 2217 server (ScriptedComPortServer.cpp) in one of its modes, bridged to a
// serial device; stopped by the destructor.

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

class ScriptedComPortRunner {
public:
    ScriptedComPortRunner(const std::string& Program, const std::string& Mode, const std::string& Device,
                          const std::string& Baud = "38400")
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        std::string program = Program, mode = Mode, device = Device, baud = Baud;
        char* argv[] = {program.data(), mode.data(), device.data(), baud.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        // The first line is the port it listens on.
        std::string line;
        char c = 0;
        while (pid_ > 0 && read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(out[0]);
        if (!line.empty())
            url_ = "rfc2217://127.0.0.1:" + line;
    }
    ~ScriptedComPortRunner()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    ScriptedComPortRunner(const ScriptedComPortRunner&) = delete;
    ScriptedComPortRunner& operator=(const ScriptedComPortRunner&) = delete;

    // Empty when the server did not start.
    const std::string& Url() const { return url_; }

private:
    pid_t pid_ = -1;
    std::string url_;
};

} // namespace testsupport
