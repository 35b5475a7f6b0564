#include "comm/ZBComm.h"

#include <algorithm>

TZBProtocolComponent::~TZBProtocolComponent()
{
    destroying_ = true;
    // Nothing of the port may point at this component afterwards: neither a waiting queue entry
    // nor the callbacks of a running exchange.
    forgetRequests();
}

void TZBProtocolComponent::SetZBComm(TZBComm* Port)
{
    // A request queued on the old port must not report through the new one.
    if (ZBComm() != Port)
        forgetRequests();
    TZBComponent::SetZBComm(Port);
}

void TZBProtocolComponent::CancelRequest()
{
    forgetRequests();
}

void TZBProtocolComponent::forgetRequests()
{
    if (ZBComm()) {
        for (const auto& record : requests_)
            ZBComm()->forgetRequest(record.get());
    }
    requests_.clear();
}

const TCommRequest& TZBProtocolComponent::AnsweredRequest() const
{
    static const TCommRequest none{};
    return answered_ ? *answered_ : none;
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
    if (active_ && RequestPending())
        return;
    // The stream belongs to the running request until it is answered.
    if (!RequestPending())
        resultStream_.Clear();
    auto record = std::make_unique<TCommRequest>();
    TCommRequest* request = record.get();
    request->Component = this;
    request->Buffer = sendBuffer_;
    request->Timeout = timeoutTime_;
    request->OnDone = [this, request](TCommError& CommError, const TZBBuffer& Data) {
        finishRequest(request);
        RequestDone(CommError, Data);
    };
    request->OnData = [this](const TZBBuffer& Data, const TZBBuffer& Sent, bool& Flag) {
        DataReceived(Data, Sent, Flag);
    };
    requests_.push_back(std::move(record));
    if (ZBComm()->AddRequest(request) < 0)
        requests_.pop_back();
}

void TZBProtocolComponent::finishRequest(TCommRequest* Record)
{
    auto it = std::find_if(requests_.begin(), requests_.end(), [Record](const auto& r) { return r.get() == Record; });
    if (it == requests_.end())
        return;
    answered_ = std::move(*it);
    requests_.erase(it);
    if (ZBComm())
        ZBComm()->requestAnswered(Record);
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
    // The next request of this component, already queued, starts with an empty stream.
    if (RequestPending())
        resultStream_.Clear();
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
