#pragma once
// TZBSetupCommDialog: the library's ready-made settings dialog for a port component. Execute shows
// TZBSetupCommForm modally in the library language (ExecuteEnglish: always English) and returns
// true when it was closed with OK, the settings then being in the port.

#include "comm/ZBComm.h"

#include <functional>

class QWidget;
class TZBSetupCommForm;

class TZBSetupCommDialog : public TZBComponent {
public:
    explicit TZBSetupCommDialog(QWidget* ParentWindow = nullptr) : parent_(ParentWindow) {}

    virtual bool Execute();
    virtual bool ExecuteEnglish();

    // Fired when the window is shown, and when it is destroyed.
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;
    // Tests: called with the window once it is built, before it is shown modally.
    std::function<void(TZBSetupCommForm&)> OnFormCreated;

private:
    bool run(int Language);
    QWidget* parent_;
};
