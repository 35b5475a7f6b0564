#pragma once
// Hand-over to the Qt user-interface thread: a blocking queued invocation on an object that lives
// in that thread. Create it in the GUI thread after QApplication, then UiDispatcher::SetDefault(&it).

#include "comm/UiDispatcher.h"

#include <exception>
#include <functional>
#include <memory>

class QObject;

class QtUiDispatcher : public UiDispatcher {
public:
    QtUiDispatcher();
    ~QtUiDispatcher() override;

    void runAndWait(const std::function<void()>& Call) override;
    void processUntil(const std::function<bool()>& Done) override;
    void wakeUp() override;
    bool isUiThread() const override;

    // An exception must not pass through Qt's event loop. One thrown by a call handed over from
    // another thread (a component's event handler) goes here instead, e.g. to show the standard
    // error box; without a handler it is written to the Qt warning log.
    void setExceptionHandler(std::function<void(std::exception_ptr)> Handler);

private:
    std::unique_ptr<QObject> context_;
    std::function<void(std::exception_ptr)> exceptionHandler_;
};
