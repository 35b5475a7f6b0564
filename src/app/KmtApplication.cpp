#include "app/KmtApplication.h"

#include "app/Dialogs.h"
#include "app/ValueFieldAccessibility.h"

#include <exception>

KmtApplication::KmtApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    InstallValueFieldAccessibility();
}

bool KmtApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        AppDialogs().ShowError(activeWindow(), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        AppDialogs().ShowError(activeWindow(), QStringLiteral("Unknown error"));
    }
    return false;
}
