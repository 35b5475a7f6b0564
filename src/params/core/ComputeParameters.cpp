#include "params/core/ComputeParameters.h"

#include "comm/ReplyRule.h"

#include "params/core/TransferComponent.h"
#include "params/core/TransferReplies.h"

namespace {

// Panel texts of the loader window (language section "Loader").
constexpr int TimeoutText = 0;
constexpr int CommErrorText = 2;
constexpr int ComputedText = 4;
constexpr int FailedBeforeText = 5;
constexpr int FailedAfterText = 6;

} // namespace

TComputeParameters::TComputeParameters(TZBComm* Port)
{
    ConfigureTransferComponent(KT750ParLoader, TimeoutTime);
    KT750ParLoader.OnCommResult = [this](TObject* Sender, TMemoryStream& Result) {
        KT750ParLoaderCommResult(Sender, Result);
    };
    KT750ParLoader.OnCommError = [this](TObject* Sender, TCommError& CommError, TMemoryStream& Result) {
        KT750ParLoaderCommError(Sender, CommError, Result);
    };
    // The port closed while "bp" was outstanding: no reply will come.
    KT750ParLoader.OnDeactivate = [this](TObject*) {
        if (view_.Outcome != TTransferOutcome::Running)
            return;
        view_.Outcome = TTransferOutcome::PortClosed;
        view_.Panel = TPanelText::Of(CommErrorText);
        view_.PanelRed = true;
        Changed();
    };
    if (Port)
        KT750ParLoader.SetZBComm(Port);
}

void TComputeParameters::Start()
{
    // Started again (a double click, Enter and a click) while "bp" is on its way: that one answers.
    if (KT750ParLoader.RequestPending())
        return;
    view_ = TTransferView{};
    askedAgain_ = false;
    view_.OKEnabled = true;
    view_.Computing = true;
    view_.Outcome = TTransferOutcome::Running;
    if (!KT750ParLoader.ZBComm() || !KT750ParLoader.ZBComm()->Active()) {
        view_.Computing = false;
        view_.Outcome = TTransferOutcome::PortClosed;
        view_.Panel = TPanelText::Of(CommErrorText);
        view_.PanelRed = true;
        Changed();
        return;
    }
    KT750ParLoader.SetASCIIProtocol("bp");
    KT750ParLoader.SendRequest();
    Changed();
}

void TComputeParameters::KT750ParLoaderCommResult(TObject*, TMemoryStream& Result)
{
    // A reply that does not answer "bp" ("er 1", a garbled echo, a cut or doubled reply) is no computation report: the
    // controller may not have computed, so the mark stays, "bp" is asked once more, and a second
    // such reply blames the line.
    if (!CheckReply("bp", Result.Bytes()).Answers()) {
        if (!askedAgain_ && view_.Outcome == TTransferOutcome::Running && KT750ParLoader.ZBComm() &&
            KT750ParLoader.ZBComm()->Active()) {
            askedAgain_ = true;
            KT750ParLoader.SendRequest();
            return;
        }
        view_.Computing = false;
        view_.Panel = TPanelText::Of(CommErrorText);
        view_.PanelRed = true;
        view_.Reply = DescribeWrongReply("bp", Result.Bytes());
        view_.Outcome = TTransferOutcome::WrongReply;
        Changed();
        return;
    }
    view_.Computing = false;
    const TComputeReply reply = DecodeComputeReply(Result.Bytes());
    if (reply.Success) {
        view_.Panel = TPanelText::Of(ComputedText);
        view_.PanelRed = false;
        view_.Outcome = TTransferOutcome::Finished;
    } else {
        view_.Panel = TPanelText::Of(FailedBeforeText, reply.Report, FailedAfterText);
        view_.PanelRed = true;
        view_.Reply = reply.Report;
        view_.Outcome = TTransferOutcome::ComputeFailed;
    }
    if (OnComputed)
        OnComputed(reply.Success, reply.Report);
    Changed();
}

void TComputeParameters::KT750ParLoaderCommError(TObject*, TCommError& CommError, TMemoryStream&)
{
    view_.Error = CommError;
    view_.Computing = false;
    if (CommError.Code == ecTimeout) {
        view_.Panel = TPanelText::Of(TimeoutText);
        view_.PanelRed = true;
        view_.Outcome = TTransferOutcome::Timeout;
    } else if (CommError.SystemError != 0 || CommError.CommErrors != 0) {
        view_.Panel = TPanelText::Of(CommErrorText);
        view_.PanelRed = true;
        view_.Outcome = TTransferOutcome::CommError;
    } else {
        view_.Outcome = TTransferOutcome::OtherError;
    }
    Changed();
}

void TComputeParameters::Changed()
{
    if (OnChanged)
        OnChanged();
}
