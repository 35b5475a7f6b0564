#include "comm/ZBComm.h"

TZBProtocolComponent::~TZBProtocolComponent()
{
    destroying_ = true;
    // Nothing of the port may point at this component afterwards: neither a waiting queue entry
    // nor the callbacks of a running exchange.
    if (ZBComm())
        ZBComm()->forgetRequest(&request_);
}

void TZBProtocolComponent::SetZBComm(TZBComm* Port)
{
    // A request queued on the old port must not report through the new one.
    if (ZBComm() && ZBComm() != Port)
        ZBComm()->forgetRequest(&request_);
    TZBComponent::SetZBComm(Port);
}

void TZBProtocolComponent::CancelRequest()
{
    if (ZBComm())
        ZBComm()->forgetRequest(&request_);
}

void TZBProtocolComponent::PutByte(int Index, uint8_t Value)
{
    if (Index >= 0 && Index < static_cast<int>(ZBBufferSize))
        sendBuffer_[static_cast<std::size_t>(Index)] = Value;
}

void TZBProtocolComponent::SendRequest()
{
    if (!ZBComm() || !ZBComm()->Active())
        return;
    resultStream_.Clear();
    request_.Component = this;
    request_.Buffer = sendBuffer_;
    request_.Timeout = timeoutTime_;
    request_.OnDone = [this](TCommError& CommError, const TZBBuffer& Data) { RequestDone(CommError, Data); };
    request_.OnData = [this](const TZBBuffer& Data, const TZBBuffer& Sent, bool& Flag) {
        DataReceived(Data, Sent, Flag);
    };
    ZBComm()->AddRequest(&request_);
}

void TZBProtocolComponent::RequestDone(TCommError& CommError, const TZBBuffer& Data)
{
    if (!ZBComm() || !ZBComm()->Active())
        return;
    commError_ = CommError;
    const std::size_t n = Data[0];
    if (CommError.IsZero()) {
        resultStream_.SetPosition(resultStream_.Size());
        resultStream_.Write(Data.data(), n);
        resultStream_.SetPosition(0);
        if (OnCommResult)
            OnCommResult(this, resultStream_);
    }
    // A repeated failure of a cyclic request is reported once; the all-zero record after a
    // recovery tells the window to clear its error display.
    if (!(commError_ == lastCommError_)) {
        lastCommError_ = commError_;
        resultStream_.Clear();
        resultStream_.Write(Data.data(), n);
        resultStream_.SetPosition(0);
        if (OnCommError)
            OnCommError(this, commError_, resultStream_);
    }
    if (active_)
        SendRequest();
    else
        lastCommError_ = TCommError{};
}

void TZBProtocolComponent::DataReceived(const TZBBuffer&, const TZBBuffer&, bool& Flag)
{
    Flag = false;
}

void TZBProtocolComponent::SetActive(bool Value)
{
    if (ZBComm() && ZBComm()->Active()) {
        active_ = Value;
        if (Value) {
            if (OnActivate && !destroying_)
                OnActivate(this);
            SendRequest();
        } else if (OnDeactivate && !destroying_) {
            OnDeactivate(this);
        }
    } else {
        active_ = false;
        if (OnDeactivate && !destroying_)
            OnDeactivate(this);
    }
}
