// The main window's live polls: the actual values and the inputs/outputs run cyclically, the
// thumbwheels as a chain. What is polled and what a reply shows is decided in device/core; here
// it reaches the panels and lamps.
#include "app/KM40Main.h"

#include "device/PanelColors.h"
#include "device/core/ActualValues.h"
#include "device/core/IoLamps.h"
#include "device/core/ReplyValue.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

QString tx(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void TFormMain::bindLivePolls()
{
    connect(CmdActual, &QPushButton::clicked, this, &TFormMain::CmdActualClick);
    connect(CmdDuimwiel, &QPushButton::clicked, this, &TFormMain::CmdDuimwielClick);
    connect(CmdInUit, &QPushButton::clicked, this, &TFormMain::CmdInUitClick);

    struct Actual {
        TKT750Protocol* component;
        QLabel* panel;
        device::ActualValue value;
    };
    const Actual actuals[] = {{&KT750ActPos, PanelActPos, device::ActualValue::Position},
                              {&KT750ActPosLin, PanelActPosLin, device::ActualValue::LinPosition},
                              {&KT750Snelheid, PanelSnelheid, device::ActualValue::Speed},
                              {&KT750Spanning, PanelSpanning, device::ActualValue::Voltage},
                              {&KT750Stroom, PanelStroom, device::ActualValue::Current}};
    for (const Actual& actual : actuals) {
        actual.component->SetASCIIProtocol(device::ActualCommand(actual.value));
        actual.component->OnCommResult = [this, actual](TObject*, TMemoryStream& result) {
            if (!ActualPolling)
                return; // a late reply after switching off: the cleared panel stays empty
            actual.panel->setText(tx(device::ActualValueDisplay(actual.value, device::ReplyValueText(result.Bytes()))));
        };
        actual.component->OnCommError = [this, actual](TObject*, TCommError& error, TMemoryStream&) {
            // The all-zero record after a recovery is no failure; a late error after switching
            // off would put "?" into a panel that was just cleared.
            if (ActualPolling && !error.IsZero())
                actual.panel->setText(QString::fromLatin1(device::FailedRequestText));
        };
    }

    KT750Duimwiel.OnCommResult = [this](TObject* s, TMemoryStream& r) { KT750DuimwielCommResult(s, r); };
    KT750Duimwiel.OnCommError = [this](TObject* s, TCommError& e, TMemoryStream& r) { KT750DuimwielCommError(s, e, r); };

    KT750_in.SetASCIIProtocol("ri");
    KT750_uit.SetASCIIProtocol("ru");
    KT750_data_in.SetASCIIProtocol("ra");
    KT750_data_uit.SetASCIIProtocol("rb");
    KT750_in.OnCommResult = [this](TObject*, TMemoryStream& result) {
        if (!IoPolling)
            return;
        const auto lamps = device::InputLamps(device::ReplyValueText(result.Bytes(), device::kIoReplyBufferSize));
        QFrame* inputs[] = {TB_K0, Tb_in[0], Tb_in[1], Tb_in[2], Tb_in[3], Tb_in[4], Tb_in[5]};
        for (std::size_t i = 0; i < lamps.size(); ++i)
            device::SetBackground(inputs[i], lamps[i] ? device::LampOnColor : device::LampOffColor);
    };
    KT750_uit.OnCommResult = [this](TObject*, TMemoryStream& result) {
        if (!IoPolling)
            return;
        const auto lamps = device::OutputLamps(device::ReplyValueText(result.Bytes(), device::kIoReplyBufferSize));
        for (std::size_t i = 0; i < lamps.size(); ++i)
            device::SetBackground(TbUitgang[i], lamps[i] ? device::LampOnColor : device::LampOffColor);
    };
    for (auto [component, panel] : {std::pair{&KT750_data_in, PanelData_IO_in}, std::pair{&KT750_data_uit, PanelData_IO_uit}}) {
        component->OnCommResult = [this, panel](TObject*, TMemoryStream& result) {
            if (IoPolling)
                panel->setText(tx(device::ReplyValueText(result.Bytes(), device::kIoReplyBufferSize)));
        };
        component->OnCommError = [this, panel](TObject*, TCommError& error, TMemoryStream&) {
            if (IoPolling && !error.IsZero())
                panel->setText(QString::fromLatin1(device::FailedRequestText));
        };
    }

    // Names for assistive tools: each panel and lamp is named by the label beside it.
    LabelActualPositie->setBuddy(PanelActPos);
    LabelActualSnelheid->setBuddy(PanelSnelheid);
    LabelActualSpanning->setBuddy(PanelSpanning);
    LabelActualStroom->setBuddy(PanelStroom);
    LabelActualLinPos->setBuddy(PanelActPosLin);
    LabelDataIn->setBuddy(PanelData_IO_in);
    LabelDataUit->setBuddy(PanelData_IO_uit);
    LabelFun_K0->setBuddy(TB_K0);
    for (std::size_t i = 0; i < Tb_in.size(); ++i)
        LabelFun_in[i]->setBuddy(Tb_in[i]);
    for (std::size_t i = 0; i < TbUitgang.size(); ++i)
        LabelFun_uit[i]->setBuddy(TbUitgang[i]);
    for (std::size_t i = 0; i < Panel_DW.size(); ++i)
        Panel_DW[i]->setAccessibleName(QStringLiteral("DW %1").arg(i + 1));
}

void TFormMain::CmdActualClick()
{
    ActualActief();
}

void TFormMain::CmdDuimwielClick()
{
    DuimwielActief();
}

void TFormMain::CmdInUitClick()
{
    InUitActief();
}

void TFormMain::ActualActief()
{
    TKT750Protocol* components[] = {&KT750ActPos, &KT750ActPosLin, &KT750Snelheid, &KT750Spanning, &KT750Stroom};
    QLabel* panels[] = {PanelActPos, PanelActPosLin, PanelSnelheid, PanelSpanning, PanelStroom};
    if (ActualPolling) {
        for (TKT750Protocol* component : components) {
            component->SetActive(false);
            component->CancelRequest();
        }
        const QColor neutral = device::NeutralColor(this);
        for (QLabel* panel : panels)
            device::SetBackground(panel, neutral);
        CmdActual->setText(heldCmdActual_ON);
        ActualPolling = false;
        for (QLabel* panel : panels)
            panel->clear();
        return;
    }
    // Flag first: the first reply may come back while the later components are started.
    ActualPolling = true;
    for (device::ActualValue value : device::ActualValuesToPoll(ParameterValues)) {
        const auto i = static_cast<std::size_t>(value);
        components[i]->SetActive(true);
        device::SetBackground(panels[i], device::PolledColor);
    }
    CmdActual->setText(heldCmdActual_OFF);
}

void TFormMain::DuimwielActief()
{
    if (ThumbwheelPolling) {
        KT750Duimwiel.SetActive(false);
        KT750Duimwiel.CancelRequest();
        thumbwheels_.Stop();
        CmdDuimwiel->setText(heldCmdDuimwiel_ON);
        ThumbwheelPolling = false;
        const QColor neutral = device::NeutralColor(this);
        for (QLabel* panel : Panel_DW) {
            device::SetBackground(panel, neutral);
            panel->clear();
        }
        return;
    }
    ThumbwheelPolling = true;
    KT750Duimwiel.SetASCIIProtocol(thumbwheels_.Start());
    KT750Duimwiel.SendRequest();
    for (QLabel* panel : Panel_DW)
        device::SetBackground(panel, device::PolledColor);
    CmdDuimwiel->setText(heldCmdDuimwiel_OFF);
}

void TFormMain::KT750DuimwielCommResult(TObject*, TMemoryStream& Result)
{
    if (!ThumbwheelPolling)
        return;
    const device::ThumbwheelChain::Outcome outcome =
        thumbwheels_.OnReply(device::ReplyValueText(Result.Bytes()), ThumbwheelValues);
    if (outcome.thumbwheel > 0)
        Panel_DW[static_cast<std::size_t>(outcome.thumbwheel - 1)]->setText(tx(outcome.text));
    if (!outcome.nextCommand.empty()) {
        KT750Duimwiel.SetASCIIProtocol(outcome.nextCommand);
        KT750Duimwiel.SendRequest();
    }
}

void TFormMain::KT750DuimwielCommError(TObject*, TCommError& CommError, TMemoryStream&)
{
    if (!ThumbwheelPolling || CommError.IsZero())
        return;
    const device::ThumbwheelChain::Outcome outcome = thumbwheels_.OnError();
    if (outcome.thumbwheel > 0)
        Panel_DW[static_cast<std::size_t>(outcome.thumbwheel - 1)]->setText(tx(outcome.text));
}

void TFormMain::InUitActief()
{
    TKT750Protocol* components[] = {&KT750_in, &KT750_uit, &KT750_data_in, &KT750_data_uit};
    if (IoPolling) {
        for (TKT750Protocol* component : components) {
            component->SetActive(false);
            component->CancelRequest();
        }
        CmdInUit->setText(heldCmdIO_ON);
        IoPolling = false;
        Disable_checkboxen_status_klemmen();
        const QColor neutral = device::NeutralColor(this);
        for (QLabel* panel : {PanelData_IO_in, PanelData_IO_uit}) {
            device::SetBackground(panel, neutral);
            panel->clear();
        }
        return;
    }
    IoPolling = true;
    for (TKT750Protocol* component : components)
        component->SetActive(true);
    for (QLabel* panel : {PanelData_IO_in, PanelData_IO_uit})
        device::SetBackground(panel, device::PolledColor);
    CmdInUit->setText(heldCmdIO_OFF);
}
