// The main window's live polls: the actual values and the inputs/outputs run cyclically, the
// thumbwheels as a chain. What is polled and what a reply shows is decided in device/core; here
// it reaches the panels and lamps. A reply that does not repeat its command counts as a failure.
#include "app/KM40Main.h"

#include "device/PanelColors.h"
#include "device/core/ActualValues.h"
#include "device/core/IoLamps.h"
#include "device/core/ReplyValue.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <array>
#include <optional>

namespace {

QString tx(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Lamps follow the bits of a reply's value; without a valid reply (a failed request, a reply of
// another command, a value garbled into no number) they show neutral rather than a state that is
// not known.
template <std::size_t N>
void ShowLamps(const std::array<QFrame*, N>& lamps, const std::optional<std::array<bool, N>>& bits, const QColor& neutral)
{
    for (std::size_t i = 0; i < N; ++i)
        device::SetBackground(lamps[i], !bits ? neutral : (*bits)[i] ? device::LampOnColor : device::LampOffColor);
}

// The value of an input or output reply when it is a number; nothing for a failed or garbled one.
std::optional<std::string> NumericIoValue(const std::vector<std::uint8_t>& reply, std::string_view command)
{
    auto text = device::EchoedValueText(reply, command, device::kIoReplyBufferSize);
    if (text && !device::ParseInt32(*text))
        text.reset();
    return text;
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
            actual.panel->setText(tx(device::ActualReplyDisplay(actual.value, result.Bytes())));
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
    const std::array<QFrame*, device::InputLampCount> inputs{TB_K0, Tb_in[0], Tb_in[1], Tb_in[2],
                                                            Tb_in[3], Tb_in[4], Tb_in[5]};
    const auto showInputs = [this, inputs](const std::optional<std::array<bool, device::InputLampCount>>& bits) {
        ShowLamps(inputs, bits, device::NeutralColor(this));
    };
    const auto showOutputs = [this](const std::optional<std::array<bool, device::OutputLampCount>>& bits) {
        ShowLamps(TbUitgang, bits, device::NeutralColor(this));
    };
    KT750_in.OnCommResult = [this, showInputs](TObject*, TMemoryStream& result) {
        if (!IoPolling)
            return;
        const auto text = NumericIoValue(result.Bytes(), "ri");
        showInputs(text ? std::optional(device::InputLamps(*text)) : std::nullopt);
    };
    KT750_in.OnCommError = [this, showInputs](TObject* sender, TCommError& error, TMemoryStream& result) {
        // The all-zero record after a recovery is no failure: it must not blank the error number.
        if (error.IsZero())
            return;
        if (IoPolling)
            showInputs(std::nullopt);
        KT750UnitSelectCommError(sender, error, result);
    };
    KT750_uit.OnCommResult = [this, showOutputs](TObject*, TMemoryStream& result) {
        if (!IoPolling)
            return;
        const auto text = NumericIoValue(result.Bytes(), "ru");
        showOutputs(text ? std::optional(device::OutputLamps(*text)) : std::nullopt);
    };
    KT750_uit.OnCommError = [this, showOutputs](TObject*, TCommError& error, TMemoryStream&) {
        if (IoPolling && !error.IsZero())
            showOutputs(std::nullopt);
    };
    for (auto [component, panel] : {std::pair{&KT750_data_in, PanelData_IO_in}, std::pair{&KT750_data_uit, PanelData_IO_uit}}) {
        component->OnCommResult = [this, component = component, panel = panel](TObject*, TMemoryStream& result) {
            if (!IoPolling)
                return;
            // The data word as the controller sends it; a garbled one is a bad reply.
            const auto text =
                device::EchoedValueText(result.Bytes(), component->ASCIIProtocol(), device::kIoReplyBufferSize);
            panel->setText(tx(!text ? std::string(device::FailedRequestText)
                              : device::ParseInt32(*text) ? *text
                                                          : std::string(device::NotANumberText)));
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
    if (ThumbwheelPolling)
        showThumbwheelStep(thumbwheels_.OnReply(Result.Bytes(), ThumbwheelValues));
}

void TFormMain::KT750DuimwielCommError(TObject*, TCommError& CommError, TMemoryStream&)
{
    if (ThumbwheelPolling && !CommError.IsZero())
        showThumbwheelStep(thumbwheels_.OnError());
}

void TFormMain::showThumbwheelStep(const device::ThumbwheelChain::Outcome& Outcome)
{
    if (Outcome.thumbwheel > 0)
        Panel_DW[static_cast<std::size_t>(Outcome.thumbwheel - 1)]->setText(tx(Outcome.text));
    if (!Outcome.nextCommand.empty()) {
        KT750Duimwiel.SetASCIIProtocol(Outcome.nextCommand);
        KT750Duimwiel.SendRequest();
    }
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
