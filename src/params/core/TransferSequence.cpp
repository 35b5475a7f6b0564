#include "params/core/TransferSequence.h"

#include "params/core/TransferReplies.h"

void TTransferSequence::Watch(TKT750Protocol& Component)
{
    watched_.push_back(&Component);
    // Closing the port switches every bound component off and raises its OnDeactivate; the
    // request that was running then ends without a reply or error of its own.
    Component.OnDeactivate = [this](TObject*) { PortDeactivated(); };
}

TZBComm* TTransferSequence::Port() const
{
    return watched_.empty() ? nullptr : watched_.front()->ZBComm();
}

bool TTransferSequence::PortActive() const
{
    for (const TKT750Protocol* component : watched_)
        if (!component->ZBComm() || !component->ZBComm()->Active())
            return false;
    return !watched_.empty();
}

void TTransferSequence::BeginRun()
{
    running_ = true;
    outstanding_ = false;
    view_.RetryPending = false;
    view_.Failed = false;
    view_.Finished = false;
    view_.AbortRequested = false;
    view_.Computing = false;
    view_.FailedComputing = false;
    view_.OKEnabled = false;
    view_.AgainEnabled = false;
    view_.CancelEnabled = true;
    view_.PanelRed = false;
    view_.ProgressPosition = 0;
    view_.Outcome = TTransferOutcome::Running;
    view_.Reply.clear();
    view_.Error = TCommError{};
    if (mode_ == TTransferMode::Setpoints)
        ShowValue(false, 1);
    else
        ShowValue(true, 0);
}

void TTransferSequence::ShowValue(bool Parameters, int Number)
{
    view_.Parameters = Parameters;
    view_.CurrentNumber = Number;
    view_.Panel = TPanelText::Of(Parameters ? ParameterTextKey : SetpointTextKey, std::to_string(Number));
    view_.ProgressMax = Parameters ? LastParameter : LastSetpoint;
}

bool TTransferSequence::ShowNextValue()
{
    if (view_.CurrentNumber >= (view_.Parameters ? LastParameter : LastSetpoint))
        return false;
    ShowValue(view_.Parameters, view_.CurrentNumber + 1);
    view_.ProgressPosition = view_.CurrentNumber;
    return true;
}

void TTransferSequence::ShowFirstSetpoint()
{
    ShowValue(false, 1);
    view_.PanelRed = false;
    view_.ProgressPosition = 1;
}

bool TTransferSequence::RetryWrongReply(const std::string& Request, const std::vector<uint8_t>& Reply)
{
    if (!view_.RetryPending) {
        view_.RetryPending = true;
        return true;
    }
    view_.Reply = DescribeWrongReply(Request, Reply);
    Fail(TPanelText::Of(WrongReplyTextKey, view_.Reply + WrongReplyItem(view_.Parameters, view_.CurrentNumber)),
         TTransferOutcome::WrongReply);
    return false;
}

bool TTransferSequence::RetryAfterEarlierReply(const TCommError& CommError)
{
    if (CommError.Code != ecCommError || (CommError.CommErrors & ceEarlierReply) == 0 || view_.RetryPending)
        return false;
    view_.RetryPending = true;
    return true;
}

bool TTransferSequence::ReopenAfterLateReport(const TCommError& CommError)
{
    if (!running_ || view_.Outcome != TTransferOutcome::Finished || !RetryAfterEarlierReply(CommError))
        return false;
    view_.Finished = false;
    view_.OKEnabled = false;
    view_.AgainEnabled = false;
    view_.Outcome = TTransferOutcome::Running;
    return true;
}

void TTransferSequence::StepBack(int Count)
{
    ShowValue(view_.Parameters, view_.CurrentNumber);
    for (; Count > 0; --Count) {
        const int first = view_.Parameters ? 0 : 1;
        if (view_.CurrentNumber > first)
            ShowValue(view_.Parameters, view_.CurrentNumber - 1);
        else if (!view_.Parameters && mode_ != TTransferMode::Setpoints)
            ShowValue(true, LastParameter);
    }
    view_.ProgressPosition = view_.CurrentNumber;
}

void TTransferSequence::AcceptReply()
{
    view_.RetryPending = false;
    view_.PanelRed = false;
}

void TTransferSequence::Send(TKT750Protocol& Component, const std::string& Text)
{
    if (!Component.ZBComm() || !Component.ZBComm()->Active()) {
        // The port drops a request made while it is closed without any event: say so now.
        Fail(TPanelText::Of(CommErrorTextKey), TTransferOutcome::PortClosed);
        return;
    }
    Component.SetASCIIProtocol(Text);
    outstanding_ = true;
    Component.SendRequest();
    Changed();
}

bool TTransferSequence::TakeEvent()
{
    if (!running_ || !outstanding_)
        return false;
    outstanding_ = false;
    if (view_.AbortRequested) {
        CloseWith(TTransferResult::Cancel);
        return false;
    }
    return true;
}

void TTransferSequence::Fail(const TPanelText& Panel, TTransferOutcome Outcome)
{
    outstanding_ = false;
    view_.Panel = Panel;
    view_.PanelRed = true;
    view_.FailedComputing = view_.Computing;
    view_.Computing = false;
    view_.AgainEnabled = true;
    view_.Failed = true;
    view_.Outcome = Outcome;
    Changed();
}

void TTransferSequence::HandleCommError(const TCommError& CommError)
{
    view_.Error = CommError;
    // Fail notes whether the run failed at "bp" before it clears the flag.
    if (CommError.Code == ecTimeout) {
        Fail(TPanelText::Of(TimeoutTextKey), TTransferOutcome::Timeout);
    } else if (CommError.SystemError != 0 || CommError.CommErrors != 0) {
        Fail(TPanelText::Of(CommErrorTextKey), TTransferOutcome::CommError);
    } else {
        // The panel stays as it was and the run is not marked failed; the request has ended all
        // the same, so Cancel closes at once from here.
        view_.FailedComputing = view_.Computing;
        view_.Computing = false;
        view_.AgainEnabled = true;
        view_.Outcome = TTransferOutcome::OtherError;
        Changed();
    }
    if (OnCommError)
        OnCommError(CommError);
}

void TTransferSequence::Finish(TTransferOutcome Outcome)
{
    outstanding_ = false;
    view_.Computing = false;
    view_.OKEnabled = true;
    view_.AgainEnabled = true;
    view_.Finished = true;
    view_.Outcome = Outcome;
    Changed();
}

void TTransferSequence::OK()
{
    if (view_.OKEnabled && view_.Finished)
        CloseWith(TTransferResult::OK);
}

void TTransferSequence::Again()
{
    if (view_.AgainEnabled && !outstanding_)
        Start();
}

void TTransferSequence::Cancel()
{
    if (view_.Failed || view_.Finished || !outstanding_ || !PortActive()) {
        CloseWith(TTransferResult::Cancel);
        return;
    }
    view_.AbortRequested = true;
    Changed();
}

void TTransferSequence::PortDeactivated()
{
    if (!running_ || !outstanding_)
        return;
    outstanding_ = false;
    if (view_.AbortRequested) {
        CloseWith(TTransferResult::Cancel);
        return;
    }
    Fail(TPanelText::Of(CommErrorTextKey), TTransferOutcome::PortClosed);
}

void TTransferSequence::CloseWith(TTransferResult Result)
{
    running_ = false;
    outstanding_ = false;
    view_.AbortRequested = false;
    if (OnClose)
        OnClose(Result);
}

void TTransferSequence::Changed()
{
    if (OnChanged)
        OnChanged();
}
