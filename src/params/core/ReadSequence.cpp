#include "params/core/ReadSequence.h"

#include <string>

#include "params/core/TransferReplies.h"

namespace {

// Panel texts of the read window (language section "LeesParSoll").
constexpr int ReadingParameterText = 2;
constexpr int ParametersReadText = 3;
constexpr int ReadingSetpointText = 4;
constexpr int SetpointsReadText = 5;
constexpr int EverythingReadText = 6;
constexpr int WrongReplyText = 7;

constexpr int LastParameter = ParameterCount - 1;
constexpr int LastSetpoint = SetpointCount;

} // namespace

TReadSequence::TReadSequence(TZBComm* Port)
{
    KT750LeesParSoll.SetProtocolHead(TSequenceChar::scNone);
    KT750LeesParSoll.SetProtocolFoot(TSequenceChar::scCR);
    KT750LeesParSoll.SetTimeoutTime(TimeoutTime);
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
    if (mode_ == TTransferMode::Setpoints) {
        view_.CurrentNumber = 1;
        view_.Parameters = false;
        view_.Panel = TPanelText::Of(ReadingSetpointText, std::to_string(1));
        view_.ProgressMax = LastSetpoint;
    } else {
        view_.CurrentNumber = 0;
        view_.Parameters = true;
        view_.Panel = TPanelText::Of(ReadingParameterText, std::to_string(0));
        view_.ProgressMax = LastParameter;
    }
    RequestCurrent();
}

void TReadSequence::RequestCurrent()
{
    Send(KT750LeesParSoll, (view_.Parameters ? "rp " : "rs ") + std::to_string(view_.CurrentNumber));
}

void TReadSequence::StartSetpoints()
{
    view_.CurrentNumber = 1;
    view_.Panel = TPanelText::Of(ReadingSetpointText, std::to_string(1));
    view_.PanelRed = false;
    view_.ProgressMax = LastSetpoint;
    view_.ProgressPosition = 1;
    view_.Parameters = false;
    RequestCurrent();
}

void TReadSequence::KT750LeesParSollCommResult(TObject*, TMemoryStream& Result)
{
    if (!TakeEvent())
        return;
    const std::vector<uint8_t>& reply = Result.Bytes();
    // A reply without the right echo, or with a value that is no 32-bit decimal number, is a wrong
    // reply: asked for once more, and the second in a row stops the run.
    std::optional<int32_t> value;
    if (ReplyEchoes(reply, view_.Parameters ? "rp" : "rs"))
        value = ReadReplyValue(reply);
    if (!value) {
        if (!view_.RetryPending) {
            view_.RetryPending = true;
            RequestCurrent();
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
        readParameters_[static_cast<std::size_t>(number)] = *value;
        if (number < LastParameter) {
            ++number;
            view_.Panel = TPanelText::Of(ReadingParameterText, std::to_string(number));
            view_.ProgressPosition = number;
            RequestCurrent();
        } else if (mode_ != TTransferMode::Parameters) {
            StartSetpoints();
        } else {
            view_.Panel = TPanelText::Of(ParametersReadText);
            view_.ProgressPosition = number;
            Finish(TTransferOutcome::Finished);
        }
        return;
    }
    readSetpoints_[static_cast<std::size_t>(number)] = *value;
    if (number < LastSetpoint) {
        ++number;
        view_.Panel = TPanelText::Of(ReadingSetpointText, std::to_string(number));
        view_.ProgressPosition = number;
        RequestCurrent();
    } else {
        view_.Panel = TPanelText::Of(mode_ == TTransferMode::Setpoints ? SetpointsReadText : EverythingReadText);
        view_.ProgressPosition = number;
        Finish(TTransferOutcome::Finished);
    }
}

void TReadSequence::KT750LeesParSollCommError(TObject*, TCommError& CommError, TMemoryStream&)
{
    if (TakeEvent())
        HandleCommError(CommError);
}
