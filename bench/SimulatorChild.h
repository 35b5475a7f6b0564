#pragma once
// A simulator paced at the wire speed in a child process, so that the CPU figures of a benchmark
// are the serial stack's alone. It lives until Stop (or the destructor).
#include <string>
#include <sys/types.h>

namespace bench {

class SimulatorChild {
public:
    ~SimulatorChild() { Stop(); }

    // Starts the child; the device path to open, or empty when it did not start.
    std::string Start();
    void Stop();

private:
    pid_t child_ = -1;
    int lifePipe_ = -1;
};

} // namespace bench
