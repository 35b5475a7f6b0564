#include "SimulatorChild.h"

#include "Simulator.h"
#include "comm/PortNames.h"

#include <cstdio>

#include <sys/wait.h>
#include <unistd.h>

namespace bench {

namespace {

// Child: prints the device path and lives until its stdin-like pipe closes.
[[noreturn]] void RunSimulator(int pathPipe, int lifePipe, bool pacing)
{
    km4x::SimulatorOptions options;
    options.pacing = pacing;
    km4x::Simulator sim(options);
    const std::string path = sim.devicePath() + "\n";
    if (write(pathPipe, path.data(), path.size()) != static_cast<ssize_t>(path.size()))
        _exit(1);
    close(pathPipe);
    char byte;
    while (read(lifePipe, &byte, 1) > 0) {
    }
    sim.stop();
    _exit(0);
}

} // namespace

std::string SimulatorChild::Start(bool Pacing)
{
    int pathPipe[2], lifePipe[2];
    if (pipe(pathPipe) != 0 || pipe(lifePipe) != 0)
        return {};
    child_ = fork();
    if (child_ < 0)
        return {};
    if (child_ == 0) {
        close(pathPipe[0]);
        close(lifePipe[1]);
        RunSimulator(pathPipe[1], lifePipe[0], Pacing);
    }
    close(pathPipe[1]);
    close(lifePipe[0]);
    lifePipe_ = lifePipe[1];
    std::string path;
    char c;
    while (read(pathPipe[0], &c, 1) == 1 && c != '\n')
        path.push_back(c);
    close(pathPipe[0]);
    return path;
}

std::string SimulatorChild::StartAsCom1(bool Pacing)
{
    const std::string path = Start(Pacing);
    if (path.empty())
        std::fprintf(stderr, "the simulator did not start\n");
    else
        SetPortDevicePath(TPort::COM1, path);
    return path;
}

void SimulatorChild::Stop()
{
    if (lifePipe_ >= 0) {
        close(lifePipe_);
        lifePipe_ = -1;
    }
    if (child_ > 0) {
        waitpid(child_, nullptr, 0);
        child_ = -1;
    }
}

} // namespace bench
