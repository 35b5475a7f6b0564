#include "params/core/WriteSequence.h"

#include <string>

#include "params/core/TransferComponent.h"
#include "params/core/TransferReplies.h"

namespace {

// Panel texts of the write window (language section "SchrijfParSoll") beside the ones every run
// shares.
constexpr int ComputedMode0Text = 3;
constexpr int SetpointsWrittenText = 5;
constexpr int ComputedMode2Text = 6;
constexpr int ComputedMode3Text = 8;
constexpr int RefusedText = 9;
constexpr int ComputeFailedBeforeText = 10;
constexpr int ComputeFailedAfterText = 11;

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

} // namespace

TWriteSequence::TWriteSequence(TZBComm* Port)
{
    ConfigureTransferComponent(KT750SchrijfParSoll, WriteTimeoutTime);
    ConfigureTransferComponent(KT750BerekenParameters, ComputeTimeoutTime);
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
    WriteCurrent();
}

std::string TWriteSequence::CurrentRequest() const
{
    const auto n = static_cast<std::size_t>(view_.CurrentNumber);
    const std::string number = std::to_string(n);
    if (view_.Parameters)
        return "wp " + number + " " + std::to_string(parameters_[n]);
    return "ws " + number + " " + std::to_string(setpoints_[n]);
}

void TWriteSequence::WriteCurrent()
{
    // From the first "wp" on the controller may hold values it has not computed, whatever
    // becomes of this request; only an answered "bp" settles that.
    if (view_.Parameters)
        ParametersSentNotLoaded = true;
    Send(KT750SchrijfParSoll, CurrentRequest());
}

void TWriteSequence::StartComputation()
{
    view_.RetryPending = false;
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
    const std::string request = CurrentRequest();
    switch (CheckWriteReply(request, reply)) {
    case TWriteReply::Refused:
        // The controller refused this value; writing it again would be refused again.
        view_.Reply = "er 7";
        Fail(TPanelText::Literal("(er 7) ", RefusedText), TTransferOutcome::Refused);
        return;
    case TWriteReply::OtherValue:
        // It stored another value (clamped it): writing it again would store the same.
        view_.Reply = DescribeWrongReply(request, reply);
        Fail(TPanelText::Of(WrongReplyTextKey, view_.Reply + WrongReplyItem(view_.Parameters, view_.CurrentNumber)),
             TTransferOutcome::OtherValue);
        return;
    case TWriteReply::Wrong:
        // Only the number and value written confirm a write; anything else (noise, another
        // number, a reply cut short) does not.
        if (RetryWrongReply(request, reply))
            WriteCurrent();
        return;
    case TWriteReply::Confirmed:
        break;
    }
    AcceptReply();

    if (ShowNextValue()) {
        WriteCurrent();
    } else if (view_.Parameters && mode_ != TTransferMode::Parameters) {
        ShowFirstSetpoint();
        WriteCurrent();
    } else if (mode_ == TTransferMode::Setpoints) {
        view_.Panel = TPanelText::Of(SetpointsWrittenText);
        view_.ProgressPosition = view_.CurrentNumber;
        Finish(TTransferOutcome::Finished);
    } else {
        StartComputation();
    }
}

void TWriteSequence::KT750BerekenParametersCommResult(TObject*, TMemoryStream& Result)
{
    if (!TakeEvent())
        return;
    // Only a reply that echoes "bp" and reports a number is the computation's. Another is asked
    // for once more (a computation may be repeated), then the run stops with the wrong reply.
    const TComputeReply reply = DecodeComputeReply(Result.Bytes());
    if (!reply.Valid) {
        if (!view_.RetryPending) {
            view_.RetryPending = true;
            Send(KT750BerekenParameters, "bp");
        } else {
            view_.Reply = DescribeWrongReply("bp", Result.Bytes());
            Fail(TPanelText::Of(WrongReplyTextKey, view_.Reply), TTransferOutcome::WrongReply);
        }
        return;
    }
    AcceptReply();
    // The controller has computed, whatever it reported.
    ParametersSentNotLoaded = false;
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

bool TWriteSequence::AskAgainAfterLateReport(const TCommError& CommError)
{
    if (!ReopenAfterLateReport(CommError))
        return false;
    // After "bp" its reply was the last one: one write fewer is concerned.
    const int writes = EarlierRepliesConcerned(CommError.CommErrors) - (mode_ == TTransferMode::Setpoints ? 0 : 1);
    if (writes <= 0) {
        StartComputation();
        return true;
    }
    StepBack(writes - 1);
    WriteCurrent();
    return true;
}

void TWriteSequence::KT750SchrijfParSollCommError(TObject*, TCommError& CommError, TMemoryStream&)
{
    if (!TakeEvent())
        return;
    // A reply with a line error in it proves no write, though it echoed the number and value: the
    // writes confirmed in the moment the report may lag are sent again (the same values, so the
    // controller ends as asked), and the run goes on from there.
    if (RetryAfterEarlierReply(CommError)) {
        // During "bp" the last write's reply was the one before.
        StepBack(EarlierRepliesConcerned(CommError.CommErrors) - (view_.Computing ? 1 : 0));
        view_.Computing = false;
        WriteCurrent();
        return;
    }
    HandleCommError(CommError);
}
