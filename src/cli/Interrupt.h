#pragma once
// Ctrl-C during a long run: while a guard lives, the first Ctrl-C (or SIGTERM) is only noted, so the
// run can end its request and keep what it finished; a second one ends the program as usual.

namespace cli {

class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};

// True once Ctrl-C was pressed while a guard lived.
bool InterruptRequested();

} // namespace cli
