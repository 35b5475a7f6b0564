#pragma once
// A simulator in a child process, so that the CPU figures of a benchmark are the serial stack's
// alone (and its threads and descriptors are not counted with the stack's). It lives until Stop
// (or the destructor).
#include <string>
#include <sys/types.h>

namespace bench {

class SimulatorChild {
public:
    ~SimulatorChild() { Stop(); }

    // Starts the child, its replies paced at the wire speed or, without Pacing, as fast as the
    // pseudo-terminal takes them; the device path to open, or empty when it did not start.
    std::string Start(bool Pacing = true);
    // Start, and the simulator becomes the port COM1; empty (with a message) when it did not start.
    std::string StartAsCom1(bool Pacing = true);
    void Stop();

private:
    pid_t child_ = -1;
    int lifePipe_ = -1;
};

} // namespace bench
