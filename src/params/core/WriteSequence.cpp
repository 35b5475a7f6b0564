#include "params/core/WriteSequence.h"

#include <string>

#include "params/core/TransferReplies.h"

namespace {

// Panel texts of the write window (language section "SchrijfParSoll").
constexpr int WritingParameterText = 2;
constexpr int ComputedMode0Text = 3;
constexpr int WritingSetpointText = 4;
constexpr int SetpointsWrittenText = 5;
constexpr int ComputedMode2Text = 6;
constexpr int WrongReplyText = 7;
constexpr int ComputedMode3Text = 8;
constexpr int RefusedText = 9;
constexpr int ComputeFailedBeforeText = 10;
constexpr int ComputeFailedAfterText = 11;

constexpr int LastParameter = ParameterCount - 1;
constexpr int LastSetpoint = SetpointCount;

int ComputedText(TTransferMode mode)
{
    switch (mode) {
    case TTransferMode::Parameters:
        return ComputedMode0Text;
    case TTransferMode::Setpoints:
        return SetpointsWrittenText;
    case TTransferMode::ParametersAndSetpoints:
        return ComputedMode2Text;
    case TTransferMode::Device:
        return ComputedMode3Text;
    }
    return ComputedMode0Text;
}

void Configure(TKT750Protocol& component, int timeoutTime)
{
    component.SetProtocolHead(TSequenceChar::scNone);
    component.SetProtocolFoot(TSequenceChar::scCR);
    component.SetTimeoutTime(timeoutTime);
}

} // namespace

TWriteSequence::TWriteSequence(TZBComm* Port)
{
    Configure(KT750SchrijfParSoll, WriteTimeoutTime);
    Configure(KT750BerekenParameters, ComputeTimeoutTime);
    KT750SchrijfParSoll.OnCommResult = [this](TObject* Sender, TMemoryStream& Result) {
        KT750SchrijfParSollCommResult(Sender, Result);
    };
    KT750BerekenParameters.OnCommResult = [this](TObject* Sender, TMemoryStream& Result) {
        KT750BerekenParametersCommResult(Sender, Result);
    };
    const TCommErrorEvent onError = [this](TObject* Sender, TCommError& CommError, TMemoryStream& Result) {
        KT750SchrijfParSollCommError(Sender, CommError, Result);
    };
    KT750SchrijfParSoll.OnCommError = onError;
    KT750BerekenParameters.OnCommError = onError;
    Watch(KT750SchrijfParSoll);
    Watch(KT750BerekenParameters);
    if (Port)
        SetZBComm(Port);
}

void TWriteSequence::SetZBComm(TZBComm* Port)
{
    KT750SchrijfParSoll.SetZBComm(Port);
    KT750BerekenParameters.SetZBComm(Port);
}

void TWriteSequence::Start()
{
    BeginRun();
    if (mode_ == TTransferMode::Setpoints) {
        view_.CurrentNumber = 1;
        view_.Parameters = false;
        view_.Panel = TPanelText::Of(WritingSetpointText, std::to_string(1));
        view_.ProgressMax = LastSetpoint;
    } else {
        view_.CurrentNumber = 0;
        view_.Parameters = true;
        view_.Panel = TPanelText::Of(WritingParameterText, std::to_string(0));
        view_.ProgressMax = LastParameter;
    }
    WriteCurrent();
}

void TWriteSequence::WriteCurrent()
{
    const auto n = static_cast<std::size_t>(view_.CurrentNumber);
    const std::string number = std::to_string(n);
    if (view_.Parameters)
        Send(KT750SchrijfParSoll, "wp " + number + " " + std::to_string(parameters_[n]));
    else
        Send(KT750SchrijfParSoll, "ws " + number + " " + std::to_string(setpoints_[n]));
}

void TWriteSequence::StartSetpoints()
{
    view_.CurrentNumber = 1;
    view_.Panel = TPanelText::Of(WritingSetpointText, std::to_string(1));
    view_.PanelRed = false;
    view_.ProgressMax = LastSetpoint;
    view_.ProgressPosition = 1;
    view_.Parameters = false;
    WriteCurrent();
}

void TWriteSequence::StartComputation()
{
    view_.ProgressPosition = view_.CurrentNumber;
    view_.PanelRed = false;
    view_.Panel = TPanelText::Literal(ComputingPanelText);
    view_.Computing = true;
    Send(KT750BerekenParameters, "bp");
}

void TWriteSequence::KT750SchrijfParSollCommResult(TObject*, TMemoryStream& Result)
{
    if (!TakeEvent())
        return;
    const std::vector<uint8_t>& reply = Result.Bytes();
    if (ReplyHead(reply, 4) == "er 7") {
        // The controller refused this value; writing it again would be refused again.
        view_.Reply = "er 7";
        Fail(TPanelText::Literal("(er 7) ", RefusedText), TTransferOutcome::Refused);
        return;
    }
    if (!ReplyEchoes(reply, view_.Parameters ? "wp" : "ws")) {
        if (!view_.RetryPending) {
            view_.RetryPending = true;
            WriteCurrent();
            return;
        }
        view_.Reply = ReplyHead(reply, 4);
        Fail(TPanelText::Of(WrongReplyText, view_.Reply + WrongReplyItem(view_.Parameters, view_.CurrentNumber)),
             TTransferOutcome::WrongReply);
        return;
    }
    view_.RetryPending = false;
    view_.PanelRed = false;

    int& number = view_.CurrentNumber;
    if (view_.Parameters) {
        if (number < LastParameter) {
            ++number;
            view_.Panel = TPanelText::Of(WritingParameterText, std::to_string(number));
            view_.ProgressPosition = number;
            WriteCurrent();
        } else if (mode_ != TTransferMode::Parameters) {
            StartSetpoints();
        } else {
            StartComputation();
        }
        return;
    }
    if (number < LastSetpoint) {
        ++number;
        view_.Panel = TPanelText::Of(WritingSetpointText, std::to_string(number));
        view_.ProgressPosition = number;
        WriteCurrent();
    } else if (mode_ == TTransferMode::Setpoints) {
        view_.Panel = TPanelText::Of(SetpointsWrittenText);
        view_.ProgressPosition = number;
        Finish(TTransferOutcome::Finished);
    } else {
        StartComputation();
    }
}

void TWriteSequence::KT750BerekenParametersCommResult(TObject*, TMemoryStream& Result)
{
    if (!TakeEvent())
        return;
    const TComputeReply reply = DecodeComputeReply(Result.Bytes());
    if (reply.Success) {
        view_.Panel = TPanelText::Of(ComputedText(mode_));
        view_.PanelRed = false;
        Finish(TTransferOutcome::Finished);
    } else {
        view_.Reply = reply.Report;
        view_.Panel = TPanelText::Of(ComputeFailedBeforeText, reply.Report, ComputeFailedAfterText);
        view_.PanelRed = true;
        Finish(TTransferOutcome::ComputeFailed);
    }
}

void TWriteSequence::KT750SchrijfParSollCommError(TObject*, TCommError& CommError, TMemoryStream&)
{
    if (TakeEvent())
        HandleCommError(CommError);
}
