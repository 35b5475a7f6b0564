#include "params/core/ReadSequence.h"

#include <string>

#include "params/core/TransferComponent.h"
#include "params/core/TransferReplies.h"

namespace {

// Panel texts of the read window (language section "LeesParSoll") beside the ones every run shares.
constexpr int ParametersReadText = 3;
constexpr int SetpointsReadText = 5;
constexpr int EverythingReadText = 6;

// The text of a completed run.
int ReadText(TTransferMode mode)
{
    switch (mode) {
    case TTransferMode::Parameters:
        return ParametersReadText;
    case TTransferMode::Setpoints:
        return SetpointsReadText;
    case TTransferMode::ParametersAndSetpoints:
    case TTransferMode::Device:
        return EverythingReadText;
    }
    return EverythingReadText;
}

} // namespace

TReadSequence::TReadSequence(TZBComm* Port)
{
    ConfigureTransferComponent(KT750LeesParSoll, TimeoutTime);
    KT750LeesParSoll.OnCommResult = [this](TObject* Sender, TMemoryStream& Result) {
        KT750LeesParSollCommResult(Sender, Result);
    };
    KT750LeesParSoll.OnCommError = [this](TObject* Sender, TCommError& CommError, TMemoryStream& Result) {
        KT750LeesParSollCommError(Sender, CommError, Result);
    };
    Watch(KT750LeesParSoll);
    if (Port)
        KT750LeesParSoll.SetZBComm(Port);
}

void TReadSequence::Start()
{
    BeginRun();
    RequestCurrent();
}

std::string TReadSequence::CurrentRequest() const
{
    return (view_.Parameters ? "rp " : "rs ") + std::to_string(view_.CurrentNumber);
}

void TReadSequence::RequestCurrent()
{
    Send(KT750LeesParSoll, CurrentRequest());
}

void TReadSequence::KT750LeesParSollCommResult(TObject*, TMemoryStream& Result)
{
    if (!TakeEvent())
        return;
    const std::vector<uint8_t>& reply = Result.Bytes();
    // A reply that does not answer this request, or with a value that is no 32-bit decimal
    // number, is a wrong reply.
    const std::string request = CurrentRequest();
    const std::optional<int32_t> value = ReadReplyValue(request, reply);
    if (!value) {
        if (RetryWrongReply(request, reply))
            RequestCurrent();
        return;
    }
    AcceptReply();

    const int number = view_.CurrentNumber;
    if (view_.Parameters)
        readParameters_[static_cast<std::size_t>(number)] = *value;
    else
        readSetpoints_[static_cast<std::size_t>(number)] = *value;

    if (ShowNextValue()) {
        RequestCurrent();
    } else if (view_.Parameters && mode_ != TTransferMode::Parameters) {
        ShowFirstSetpoint();
        RequestCurrent();
    } else {
        view_.Panel = TPanelText::Of(ReadText(mode_));
        view_.ProgressPosition = number;
        Finish(TTransferOutcome::Finished);
    }
}

bool TReadSequence::AskAgainAfterLateReport(const TCommError& CommError)
{
    if (!ReopenAfterLateReport(CommError))
        return false;
    // The last value read is one of those concerned.
    StepBack(EarlierRepliesConcerned(CommError.CommErrors) - 1);
    RequestCurrent();
    return true;
}

void TReadSequence::KT750LeesParSollCommError(TObject*, TCommError& CommError, TMemoryStream&)
{
    if (!TakeEvent())
        return;
    if (RetryAfterEarlierReply(CommError)) {
        // Every value taken in the moment the report may lag behind its bytes is asked for again.
        StepBack(EarlierRepliesConcerned(CommError.CommErrors));
        RequestCurrent();
        return;
    }
    HandleCommError(CommError);
}
