// km4x-sim: KM4x controllers on a pseudo-terminal for trying and testing the tool without
// hardware. Prints the line's path first, then takes console commands on standard input.
#include "ProgramVersion.h"
#include "SimulatorCommandLine.h"
#include "SimulatorConsole.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <mutex>
#include <poll.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
}

// Feeds complete stdin lines to the console until quit, a signal, or (when stdin ends) a signal.
int RunConsole(km4x::Simulator& sim)
{
    std::string pending;
    bool stdinOpen = true;
    for (;;) {
        pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int ready = poll(fds, stdinOpen ? 2 : 1, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return 1;
        }
        if (fds[0].revents)
            return 0;
        if (!stdinOpen || !fds[1].revents)
            continue;
        char buffer[1024];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            stdinOpen = false; // started without a console: run on until a signal
            continue;
        }
        pending.append(buffer, static_cast<size_t>(n));
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            const km4x::ConsoleReply reply = km4x::RunConsoleCommand(sim, line);
            if (!reply.text.empty())
                std::cout << (reply.ok ? "" : "error: ") << reply.text << std::endl;
            if (reply.quit)
                return 0;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const km4x::SimulatorCommandLine commandLine
        = km4x::ParseSimulatorCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!commandLine.error.empty()) {
        std::cerr << "km4x-sim: " << commandLine.error << "\n(see km4x-sim --help)" << std::endl;
        return 2;
    }
    if (commandLine.help) {
        std::cout << km4x::SimulatorUsage();
        return 0;
    }
    if (commandLine.version) {
        std::cout << "km4x-sim " << ProgramVersion << std::endl;
        return 0;
    }

    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 1;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    try {
        // Declared before the simulator so they outlive its thread's last observer call.
        std::ofstream logFile;
        std::mutex logMutex;
        km4x::Simulator sim(commandLine.options);
        for (const std::string& command : commandLine.startCommands) {
            const km4x::ConsoleReply reply = km4x::RunConsoleCommand(sim, command);
            if (!reply.ok) {
                std::cerr << "km4x-sim: " << command << ": " << reply.text << std::endl;
                return 2;
            }
        }

        if (!commandLine.logFile.empty()) {
            logFile.open(commandLine.logFile, std::ios::app);
            if (!logFile) {
                std::cerr << "km4x-sim: cannot open log file " << commandLine.logFile << std::endl;
                return 2;
            }
            const auto start = std::chrono::steady_clock::now();
            sim.setRequestObserver([&logFile, &logMutex, start](const km4x::RequestRecord& record) {
                std::lock_guard lock(logMutex);
                logFile << km4x::FormatRequest(record, start) << std::endl;
            });
        }

        std::cout << sim.devicePath() << std::endl; // first line: scripts read the path from here
        const int result = RunConsole(sim);
        sim.stop();
        return result;
    } catch (const std::exception& e) {
        std::cerr << "km4x-sim: " << e.what() << std::endl;
        return 1;
    }
}
