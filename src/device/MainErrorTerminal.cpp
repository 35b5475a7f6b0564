// The main window's error polling ("rf" once a second), error reset ("wf") and terminal line.
#include "app/KM40Main.h"

#include "app/Windows1252Text.h"
#include "device/core/ErrorStatus.h"
#include "comm/ReplyRule.h"
#include "device/core/ReplyValue.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

namespace {
QString tx(const std::string& text)
{
    return FromWindows1252(text);
}
} // namespace

void TFormMain::Timer1Timer()
{
    // The long transfers of these windows must not be interleaved with error polls.
    if (isActiveWindow(DeviceSearchWindowName) || isActiveWindow(ReadWindowName) || isActiveWindow(WriteWindowName) ||
        isActiveWindow(LineBackupWindowName) || isActiveWindow(ParameterDialogWindowName))
        return;
    if (!ZBComm1.Active() || !unitProven_)
        return;
    // On a slow line or behind a busy terminal the last poll may still wait: one is enough.
    if (KT750ReadError.RequestPending())
        return;
    KT750ReadError.SetASCIIProtocol("rf");
    KT750ReadError.SendRequest();
}

void TFormMain::KT750ReadErrorCommResult(TObject*, TMemoryStream& Result)
{
    PanelComInfo->clear();
    const std::optional<std::string> echoed = device::EchoedValueText(Result.Bytes(), "rf");
    if (!echoed) {
        // Not an error-number reply: an old number must not stand as if it were current.
        PanelErrorNo->setText(tx(std::string(device::kFailedRequestText)));
        return;
    }
    const std::string& value = *echoed;
    if (!device::IsDeviceErrorValue(value)) {
        PanelErrorNo->clear();
        return;
    }
    if (!device::ParseInt32(value)) {
        // A garbled reply is no error number of the controller.
        PanelErrorNo->setText(tx(std::string(device::kFailedRequestText)));
        return;
    }
    PanelErrorNo->setText(tx(device::DeviceErrorText(value)));
    setStatusPanel(5, tx(errorDots_.Advance()));
}

void TFormMain::CmdResetErrorClick()
{
    KT750ResetError.SetASCIIProtocol("wf");
    KT750ResetError.SendRequest();
}

void TFormMain::KT750ResetErrorCommResult(TObject*, TMemoryStream& Result)
{
    // A reset the controller did not confirm (its reply repeats "wf" and a number) is said, as
    // any other failed request.
    const TReplyCheck check = CheckReply("wf", Result.Bytes());
    if (!check.Answers() || !device::ParseInt32(check.Value)) {
        showComError(tx("\"wf\" was answered \"" + ShownReply(Result.Bytes()) + "\""));
        return;
    }
    PanelComInfo->clear();
}

void TFormMain::CmdTerminalZendenClick()
{
    // A command entered while an earlier one is still answered goes after it; from then on the
    // replies are listed, each under its command, until the terminal is idle again.
    terminalListing_ = KT750Protocol1.RequestPending();
    if (!terminalListing_)
        MemoReceive->clear();
    const std::string text = ToWindows1252(EditZenden->text());
    terminalHistory_.Add(text);
    KT750Protocol1.SetASCIIProtocol(text);
    KT750Protocol1.SendRequest();
    // Typing replaces the text, Enter repeats it.
    EditZenden->setFocus();
    EditZenden->selectAll();
}

void TFormMain::KT750Protocol1CommResult(TObject*, TMemoryStream& Result)
{
    PanelComInfo->clear();
    QStringList lines;
    if (terminalListing_)
        lines << QStringLiteral("> ") + tx(KT750Protocol1.AnsweredText());
    for (const std::string& line : device::TextLines(Result.Text()))
        lines << tx(line);
    if (terminalListing_)
        MemoReceive->appendPlainText(lines.join(QLatin1Char('\n')));
    else
        MemoReceive->setPlainText(lines.join(QLatin1Char('\n')));
}
