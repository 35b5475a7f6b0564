#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

namespace cli {

namespace {

std::atomic<bool> requested{false};
struct sigaction previousInt;
struct sigaction previousTerm;

void Noted(int)
{
    requested = true;
    // The next one is not caught: a run that does not stop can still be ended.
    struct sigaction plain{};
    plain.sa_handler = SIG_DFL;
    sigaction(SIGINT, &plain, nullptr);
    sigaction(SIGTERM, &plain, nullptr);
}

} // namespace

InterruptGuard::InterruptGuard()
{
    requested = false;
    struct sigaction noted{};
    noted.sa_handler = Noted;
    sigemptyset(&noted.sa_mask);
    sigaction(SIGINT, &noted, &previousInt);
    sigaction(SIGTERM, &noted, &previousTerm);
}

InterruptGuard::~InterruptGuard()
{
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
}

bool InterruptRequested()
{
    return requested;
}

} // namespace cli
