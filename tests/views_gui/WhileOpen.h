#pragma once
// Opens a modal window through a menu action, acts on it once it is up, then closes it.
#include "ModalWindows.h"

#include <QAction>

#include <functional>

// Triggers Opener; once the modal window Name shows, Act runs on it and the window is closed
// (Rejected). True when Act ran.
template <typename Window>
bool WhileOpen(const QString& Name, QAction* Opener, std::function<void(Window&)> Act, int TimeoutMs = 60000)
{
    auto state = modal_windows::When(
        Name, [](QWidget*) { return true; },
        [Act](QWidget* window) {
            Act(*static_cast<Window*>(window));
            static_cast<Window*>(window)->reject();
        },
        TimeoutMs);
    Opener->trigger();
    return state->acted;
}
