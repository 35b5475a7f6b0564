#include "comm/UiDispatcher.h"

#include "comm/LoopDispatcher.h"

#include <atomic>

namespace {
std::atomic<UiDispatcher*> programDispatcher{nullptr};
}

UiDispatcher& UiDispatcher::Default()
{
    if (UiDispatcher* set = programDispatcher.load())
        return *set;
    static LoopDispatcher fallback;
    return fallback;
}

void UiDispatcher::SetDefault(UiDispatcher* Dispatcher)
{
    programDispatcher.store(Dispatcher);
}
