#include "app/LineLostReport.h"

#include "app/Dialogs.h"
#include "app/Windows1252Text.h"
#include "comm/PortNames.h"
#include "comm/ZBPlatform.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <set>

namespace {
// The ports whose loss is being reported: the requests that fail with it say nothing more.
std::set<const TZBComm*>& Reporting()
{
    static std::set<const TZBComm*> ports;
    return ports;
}
} // namespace

bool IsLineLost(const TCommError& Error)
{
    return Error.Code == ecSystemError && IsDeviceGoneError(Error.SystemError);
}

bool ReportLineLost(QWidget* Window, TZBComm& Port, const TCommError& Error, const QString& Lead,
                    const std::function<void(const QString&)>& Shown)
{
    if (!IsLineLost(Error))
        return false;
    if (!Reporting().insert(&Port).second)
        return true;
    const QString text = Lead + QLatin1Char(' ') + FromWindows1252(PortDisplayName(Port.PortName())) +
                         QStringLiteral(" (") + QString::fromLocal8Bit(Port.DevicePath().c_str()) +
                         QStringLiteral("): ") + QString::fromLocal8Bit(SystemErrorText(Error.SystemError).c_str());
    // Closed after the callback that found out (a port does not close from inside its own call).
    QTimer::singleShot(0, [window = QPointer<QWidget>(Window), port = &Port, text, Shown] {
        try {
            port->Close();
        } catch (const std::exception&) {
            // The line is gone; its handle may not close cleanly.
        }
        if (Shown && window)
            Shown(text);
        AppDialogs().ShowError(window, text);
        Reporting().erase(port);
    });
    return true;
}
