#include "cli/Interrupt.h"

#include <windows.h>

#include <atomic>

namespace cli {

namespace {

std::atomic<int> requests{0};

BOOL WINAPI Noted(DWORD Event)
{
    if (Event != CTRL_C_EVENT && Event != CTRL_BREAK_EVENT)
        return FALSE;
    // The second one is left to the default handler, which ends the program.
    return ++requests == 1 ? TRUE : FALSE;
}

} // namespace

InterruptGuard::InterruptGuard()
{
    requests = 0;
    SetConsoleCtrlHandler(Noted, TRUE);
}

InterruptGuard::~InterruptGuard()
{
    SetConsoleCtrlHandler(Noted, FALSE);
}

bool InterruptRequested()
{
    return requests > 0;
}

} // namespace cli
