// The main window's connection handling: opening and closing the port, the identification chain
// that follows the unit selection, and the error display shared by several requests.
#include "app/KM40Main.h"

#include "app/Dialogs.h"
#include "app/Windows1252Text.h"
#include "comm/ReplyRule.h"
#include "comm/PortNames.h"
#include "comm/serial/NetworkLine.h"
#include "device/PanelColors.h"
#include "device/core/ReplyValue.h"
#include "device/core/StatusTexts.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {
QString tx(const std::string& text)
{
    return FromWindows1252(text);
}
} // namespace

void TFormMain::CmdSelectUnitClick()
{
    // Opening reports a busy or forbidden device as an exception; the program carries on closed.
    try {
        if (ZBComm1.Active())
            ZBComm1.Close();
        else
            ZBComm1.Open();
    } catch (const std::exception& e) {
        AppDialogs().ShowError(this, QString::fromLocal8Bit(e.what()));
    }
}

void TFormMain::ZBComm1Activate(TObject*)
{
    PanelComInfo->clear();
    CmdSelectUnit->setText(heldCmdComClose);
    for (QPushButton* button : {CmdTerminalZenden, CmdResetError, CmdActual, CmdInUit, CmdDuimwiel})
        button->setEnabled(true);

    // What "COM 1" means on this machine; a line reached over the network says where, in full.
    const std::string device = ZBComm1.DevicePath();
    setStatusPanel(0, tx(zbserial::IsNetworkLineName(device) ? PortDisplayName(ZBComm1.PortName()) + ": " + device
                                                             : PortDisplayName(ZBComm1.PortName())));
    StatusPanels[0]->setToolTip(QString::fromLocal8Bit(device.c_str()));
    setStatusPanel(1, tx(device::LineSettingsText(ZBComm1.Baudrate(), ZBComm1.FrameParitybit(),
                                                  ZBComm1.FrameDatabits(), ZBComm1.FrameStopbits())));

    identification_.Start();
    unitProven_ = false;
    IdentificationStep = identification_.IdentificationStep();
    // The device search selects units itself.
    if (!isActiveWindow(DeviceSearchWindowName)) {
        KT750UnitSelect.SetASCIIProtocol("sc " + std::to_string(SpinEditUnitSelect->value()));
        KT750UnitSelect.SendRequest();
    }
    setPortDependentMenuItems(true);
}

void TFormMain::ZBComm1Deactivate(TObject*)
{
    PanelErrorNo->clear();
    PanelComInfo->clear();
    unitProven_ = false;

    CmdTerminalZenden->setEnabled(false);
    CmdSelectUnit->setText(heldCmdComOpen);
    for (QPushButton* button : {CmdResetError, CmdActual, CmdInUit, CmdDuimwiel})
        button->setEnabled(false);

    for (int i = 0; i < static_cast<int>(StatusPanels.size()); ++i) {
        setStatusPanel(i, i == 1 ? QStringLiteral("Offline") : QString());
        StatusPanels[static_cast<std::size_t>(i)]->setToolTip(QString());
    }

    QLabel* actualPanels[] = {PanelActPos, PanelSnelheid, PanelSpanning, PanelStroom, PanelActPosLin};
    for (QLabel* panel : actualPanels)
        panel->clear();
    CmdActual->setText(heldCmdActual_ON);
    CmdInUit->setText(heldCmdIO_ON);
    CmdDuimwiel->setText(heldCmdDuimwiel_ON);

    const QColor neutral = device::NeutralColor(this);
    Disable_checkboxen_status_klemmen();
    device::SetBackground(PanelData_IO_in, neutral);
    device::SetBackground(PanelData_IO_uit, neutral);
    ActualPolling = false;
    IoPolling = false;
    ThumbwheelPolling = false;
    for (QLabel* panel : actualPanels)
        device::SetBackground(panel, neutral);
    PanelData_IO_in->clear();
    PanelData_IO_uit->clear();
    for (QLabel* panel : Panel_DW) {
        device::SetBackground(panel, neutral);
        panel->clear();
    }

    setPortDependentMenuItems(false);
}

void TFormMain::KT750UnitSelectCommResult(TObject*, TMemoryStream& Result)
{
    PanelComInfo->clear();
    const std::string& select = KT750UnitSelect.ASCIIProtocol();
    const TReplyCheck check = CheckReply(select, Result.Bytes());
    if (!check.Answers() || !check.Value.empty()) {
        // Another unit (or an adapter's echo) answered: nothing that unit holds is this one's.
        unitNotProven();
        showComError(tx(check.Verdict == TReplyVerdict::Echo
                            ? std::string(EchoingLineText)
                            : "\"" + select + "\" was answered \"" + ShownReply(Result.Bytes()) + "\": not this unit"));
        return;
    }
    unitProven_ = true;
    KT750TypeInfo.SetASCIIProtocol("rt");
    KT750TypeInfo.SendRequest();
}

void TFormMain::unitNotProven()
{
    // The identification fails here, and the polls and transfers stay off: whichever unit still
    // listens on the line (the one selected before, another one) is not taken for this one.
    const device::IdentificationChain::Outcome outcome = identification_.OnError();
    setStatusPanel(outcome.statusPanel, tx(outcome.text));
    StatusPanels[static_cast<std::size_t>(outcome.statusPanel)]->setToolTip(QString());
    DeviceModel = identification_.DeviceModel();
    IdentificationStep = identification_.IdentificationStep();
    for (QPushButton* button : {CmdResetError, CmdActual, CmdInUit, CmdDuimwiel})
        button->setEnabled(false);
    setPortDependentMenuItems(false);
}

void TFormMain::KT750TypeInfoCommResult(TObject*, TMemoryStream& Result)
{
    const bool typeReply = identification_.IdentificationStep() == 0;
    const std::optional<std::string> text = device::EchoedValueText(Result.Bytes(), identification_.AwaitedCommand());
    const device::IdentificationChain::Outcome outcome =
        text ? identification_.OnReply(*text, LanguageLoaded) : identification_.OnForeignReply();
    setStatusPanel(outcome.statusPanel, tx(outcome.text));
    // The panels are narrow; the whole text is one hover away.
    StatusPanels[static_cast<std::size_t>(outcome.statusPanel)]->setToolTip(tx(outcome.text));
    if (typeReply)
        DeviceModel = identification_.DeviceModel();
    if (outcome.warnWrongModel) {
        // The chain goes on only once the user has read the warning.
        AppDialogs().MessageBox(this, QMessageBox::Warning,
                                tx(LanguageFile.ReadString("Main", "Msg_waarschuwingCaption", "")),
                                tx(LanguageFile.ReadString("Main", "Msg_Melding_Geen_KM40", "")), QMessageBox::Ok);
    }
    if (!outcome.nextCommand.empty()) {
        KT750TypeInfo.SetASCIIProtocol(outcome.nextCommand);
        KT750TypeInfo.SendRequest();
    }
    IdentificationStep = identification_.IdentificationStep();
}

void TFormMain::KT750TypeInfoCommError(TObject* Sender, TCommError& CommError, TMemoryStream& Result)
{
    // The all-zero record after a recovery is no failure; after closing, the panels stay empty.
    if (CommError.IsZero() || !ZBComm1.Active())
        return;
    const device::IdentificationChain::Outcome outcome = identification_.OnError();
    setStatusPanel(outcome.statusPanel, tx(outcome.text));
    StatusPanels[static_cast<std::size_t>(outcome.statusPanel)]->setToolTip(QString());
    if (outcome.statusPanel == 2)
        DeviceModel = identification_.DeviceModel();
    IdentificationStep = identification_.IdentificationStep();
    KT750UnitSelectCommError(Sender, CommError, Result);
}

void TFormMain::KT750UnitSelectCommError(TObject*, TCommError& CommError, TMemoryStream&)
{
    PanelErrorNo->clear();
    if (const auto text = device::ComErrorText(CommError, ToWindows1252(heldPanelTekst0),
                                               ToWindows1252(heldPanelTekst1)))
        showComError(tx(*text));
}

void TFormMain::showComError(const QString& text)
{
    // Red once, red for good: the panel only ever shows error texts.
    device::SetTextColor(PanelComInfo, Qt::red);
    PanelComInfo->setText(text);
}
