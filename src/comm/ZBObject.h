#pragma once
// Root of the library's objects and the plain notify event. Events are public std::function members
// so that a window binds a handler by assignment, as with any component.

#include <functional>

class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
