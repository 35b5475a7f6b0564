#pragma once
// ASCII line protocol: the request text framed by optional head and foot characters; the reply is
// every byte that arrives up to the stop character or 50 ms of silence (or, with the port's fast end
// of reply, up to the first CR LF).

#include "comm/ZBComm.h"

#include <string>

class TKT750Protocol : public TZBProtocolComponent {
public:
    TKT750Protocol() = default;

    const std::string& ASCIIProtocol() const { return asciiProtocol_; }
    void SetASCIIProtocol(const std::string& Value) { asciiProtocol_ = Value; }
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool Value) { filtered_ = Value; }
    TSequenceChar ReceiveStart() const { return receiveStart_; }
    void SetReceiveStart(TSequenceChar Value) { receiveStart_ = Value; }
    TSequenceChar ReceiveStop() const { return receiveStop_; }
    void SetReceiveStop(TSequenceChar Value) { receiveStop_ = Value; }
    TSequenceChar ProtocolHead() const { return protocolHead_; }
    void SetProtocolHead(TSequenceChar Value) { protocolHead_ = Value; }
    TSequenceChar ProtocolFoot() const { return protocolFoot_; }
    void SetProtocolFoot(TSequenceChar Value) { protocolFoot_ = Value; }
    // The reply always ends by silence, whatever the port's fast end of reply says: for free text
    // (a terminal) whose reply may have several lines.
    bool EndsBySilence() const { return endsBySilence_; }
    void SetEndsBySilence(bool Value) { endsBySilence_ = Value; }
    // First-byte time-out in milliseconds; 0 or negative means 100 ms.
    using TZBProtocolComponent::SetTimeoutTime;
    using TZBProtocolComponent::TimeoutTime;

    // Trims ASCIIProtocol, frames it into the send buffer and queues it (the queue's rule: ZBComm.h).
    void SendRequest() override;
    // The text of the request being (or last) answered, without its head and foot characters.
    std::string AnsweredText() const;
    void DataReceived(const TZBBuffer& Data, const TZBBuffer& Sent, bool& Flag) override;

private:
    std::string asciiProtocol_;
    bool filtered_ = false;
    bool endsBySilence_ = false;
    TSequenceChar receiveStart_ = TSequenceChar::scNone;
    TSequenceChar receiveStop_ = TSequenceChar::scNone;
    TSequenceChar protocolHead_ = TSequenceChar::scNone;
    TSequenceChar protocolFoot_ = TSequenceChar::scNone;
};
