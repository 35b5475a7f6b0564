#include "app/Dialogs.h"
#include "app/KM40Main.h"
#include "app/SimulatedLine.h"

#include <QSpinBox>

#include <stdexcept>

std::unique_ptr<SimulatedLine> StartSimulatedLine(TFormMain& form)
{
    try {
        auto line = std::make_unique<SimulatedLine>(form.ZBComm1, form.SpinEditUnitSelect->value());
        form.setWindowTitle(form.windowTitle() + QStringLiteral(" - ") + QString::fromStdString(line->Description()));
        return line;
    } catch (const std::exception& e) {
        AppDialogs().ShowError(&form, QString::fromLocal8Bit(e.what()));
        return nullptr;
    }
}
