#include "params/core/ParamServiceExchange.h"

#include "app/core/Global_var.h"
#include "params/core/TransferComponent.h"
#include "params/core/TransferReplies.h"

TParamServiceExchange::TParamServiceExchange(TZBComm* Port)
{
    ConfigureTransferComponent(KT750ZendServiceParameter, WriteTimeoutTime);
    ConfigureTransferComponent(KT750ServiceBerPar, ComputeTimeoutTime);
    KT750ZendServiceParameter.OnCommResult = [this](TObject* Sender, TMemoryStream& Result) {
        KT750ZendServiceParameterCommResult(Sender, Result);
    };
    KT750ServiceBerPar.OnCommResult = [this](TObject* Sender, TMemoryStream& Result) {
        KT750ServiceBerParCommResult(Sender, Result);
    };
    auto error = [this](TObject* Sender, TCommError& CommError, TMemoryStream& Result) {
        KT750ZendServiceParameterCommError(Sender, CommError, Result);
    };
    KT750ZendServiceParameter.OnCommError = error;
    KT750ServiceBerPar.OnCommError = error;
    // A port that closes under an outstanding request drops it without a reply.
    auto closed = [this](TObject*) {
        if (!busy_) {
            // Sending is offered no more (a lost line closes the port after its error was shown).
            if (OnChanged)
                OnChanged();
            return;
        }
        if (outstanding_ == &KT750ZendServiceParameter)
            WriteOutcomeUnknown();
        Done(TPanelText::Of(CommErrorText), true);
    };
    KT750ZendServiceParameter.OnDeactivate = closed;
    KT750ServiceBerPar.OnDeactivate = closed;
    SetZBComm(Port);
}

void TParamServiceExchange::SetZBComm(TZBComm* Port)
{
    if (!Port)
        return;
    KT750ZendServiceParameter.SetZBComm(Port);
    KT750ServiceBerPar.SetZBComm(Port);
}

void TParamServiceExchange::SendValue(int Number, int32_t Value)
{
    Send(KT750ZendServiceParameter, "wp " + std::to_string(Number) + " " + std::to_string(Value), SendingText);
}

void TParamServiceExchange::Compute()
{
    Send(KT750ServiceBerPar, "bp", ComputingText);
}

bool TParamServiceExchange::Send(TKT750Protocol& Component, const std::string& Request, int BusyText)
{
    if (busy_)
        return false;
    if (!Component.ZBComm() || !Component.ZBComm()->Active()) {
        SetStatus(TPanelText::Of(CommErrorText), true);
        return false;
    }
    busy_ = true;
    outstanding_ = &Component;
    status_ = TPanelText::Of(BusyText);
    red_ = false;
    Component.SetASCIIProtocol(Request);
    Component.SendRequest();
    if (OnChanged)
        OnChanged();
    return true;
}

void TParamServiceExchange::SetStatus(const TPanelText& Status, bool Red)
{
    status_ = Status;
    red_ = Red;
    if (OnChanged)
        OnChanged();
}

void TParamServiceExchange::Done(const TPanelText& Status, bool Red)
{
    busy_ = false;
    outstanding_ = nullptr;
    SetStatus(Status, Red);
}

void TParamServiceExchange::KT750ZendServiceParameterCommResult(TObject*, TMemoryStream& Result)
{
    if (!busy_)
        return;
    const std::vector<uint8_t>& reply = Result.Bytes();
    const TWriteReply written = CheckWriteReply(KT750ZendServiceParameter.ASCIIProtocol(), reply);
    if (written == TWriteReply::Refused) {
        Done(TPanelText::Literal("(er 7) ", RefusedText), true);
    } else if (written == TWriteReply::Confirmed) {
        ParametersSentNotLoaded = true;
        Done(TPanelText::Of(WrittenText), false);
    } else {
        WriteOutcomeUnknown();
        Done(TPanelText::Of(CommErrorText), true);
    }
}

void TParamServiceExchange::WriteOutcomeUnknown()
{
    // The request went out; the controller may have stored the value without our hearing it, so
    // the close check must still warn that it is not computed.
    ParametersSentNotLoaded = true;
}

void TParamServiceExchange::KT750ServiceBerParCommResult(TObject*, TMemoryStream& Result)
{
    const TComputeReply reply = DecodeComputeReply(Result.Bytes());
    if (!reply.Valid) {
        // Not the controller's report: whether it computed is unknown, so the warning stays.
        if (busy_)
            Done(TPanelText::Of(CommErrorText), true);
        return;
    }
    ParametersSentNotLoaded = false;
    if (!busy_)
        return;
    if (reply.Success)
        Done(TPanelText::Of(ComputedText), false);
    else
        Done(TPanelText::Of(ComputeFailedBeforeText, reply.Report, ComputeFailedAfterText), true);
}

void TParamServiceExchange::KT750ZendServiceParameterCommError(TObject*, TCommError& CommError, TMemoryStream&)
{
    if (!busy_)
        return;
    if (outstanding_ == &KT750ZendServiceParameter)
        WriteOutcomeUnknown();
    // Any failure other than a time-out is a communication error: the line must not go on
    // saying the value is being sent.
    Done(TPanelText::Of(CommError.Code == ecTimeout ? TimeoutText : CommErrorText), true);
    if (OnCommError)
        OnCommError(CommError);
}
