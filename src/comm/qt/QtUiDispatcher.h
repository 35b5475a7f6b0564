#pragma once
// Hand-over to the Qt user-interface thread: a blocking queued invocation on an object that lives
// in that thread. Create it in the GUI thread after QApplication, then UiDispatcher::SetDefault(&it).

#include "comm/UiDispatcher.h"

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

private:
    std::unique_ptr<QObject> context_;
};
