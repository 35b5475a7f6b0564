#include "comm/forms/ZBSetupCommDialog.h"

#include "comm/ZBCompsResources.h"
#include "comm/ZBGlobal.h"
#include "comm/forms/ZBSetupForm.h"

#include <QEvent>

namespace {

// Forwards the window's show event to the dialog's OnShow.
class ShowWatcher : public QObject {
public:
    ShowWatcher(TZBSetupCommDialog& Dialog, QObject* Parent) : QObject(Parent), dialog_(Dialog) {}

    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Show && dialog_.OnShow)
            dialog_.OnShow(&dialog_);
        return QObject::eventFilter(Watched, Event);
    }

private:
    TZBSetupCommDialog& dialog_;
};

} // namespace

bool TZBSetupCommDialog::Execute()
{
    return run(LibraryLanguage());
}

bool TZBSetupCommDialog::ExecuteEnglish()
{
    return run(zbLangEnglish);
}

bool TZBSetupCommDialog::run(int Language)
{
    bool ok = false;
    {
        TZBSetupCommForm form(Language, parent_);
        form.SetPort(ZBComm());
        form.installEventFilter(new ShowWatcher(*this, &form));
        if (OnFormCreated)
            OnFormCreated(form);
        ok = form.exec() == QDialog::Accepted;
    }
    // The window is gone: its destruction is the dialog's close.
    if (OnClose)
        OnClose(this);
    return ok;
}
