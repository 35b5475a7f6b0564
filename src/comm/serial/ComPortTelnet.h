#pragma once
// The Telnet side of a serial line reached through a device server: option negotiation, the
// COM-PORT-OPTION commands that set the server's line (baud rate, data bits, parity, stop bits,
// purge) and its line-state notifications, and the escaping of data bytes. No I/O: bytes in, bytes
// out, so the protocol is tested on scripted streams.

#include "comm/serial/SerialLine.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zbserial {

class ComPortTelnet {
public:
    enum class Answer { Pending, Agreed, Refused };

    // What the client says first: it will do COM-PORT-OPTION, and binary both ways (a reply byte
    // CR must not gain a NUL), and no go-ahead.
    std::vector<uint8_t> Greeting();

    // Feeds bytes from the server. Data bytes go to Data; answers the server expects (option
    // replies) go to Reply, to be sent at once.
    void Receive(const uint8_t* Bytes, std::size_t Count, std::vector<uint8_t>& Data, std::vector<uint8_t>& Reply);

    // Whether the server has agreed to COM-PORT-OPTION.
    Answer ComPort() const { return comPort_; }

    // The commands that set all four line settings on the server (empty unless it agreed).
    std::vector<uint8_t> SetLine(const LineSettings& Settings);
    // The command that discards the server's input and output buffers (empty unless it agreed).
    std::vector<uint8_t> PurgeBuffers();
    // Line settings sent and not yet acknowledged by the server.
    int Unacknowledged() const;
    // The server will not acknowledge: nothing is waited for any more.
    void ForgetAcknowledgements() { pendingAcks_.fill(0); }

    // Line-error flags (ce... of comm/ZBTypes.h) the server reported since the last call.
    uint32_t TakeLineErrors();

    // Appends Count data bytes, IAC doubled.
    static void AppendData(const uint8_t* Bytes, std::size_t Count, std::vector<uint8_t>& Out);

private:
    void option(uint8_t Verb, uint8_t Option, std::vector<uint8_t>& Reply);
    void subnegotiation();
    void appendCommand(uint8_t Command, const uint8_t* Value, std::size_t Count, std::vector<uint8_t>& Out);

    enum class State { Data, Iac, Verb, Sub, SubIac };
    State state_ = State::Data;
    uint8_t verb_ = 0;
    std::vector<uint8_t> sub_;
    Answer comPort_ = Answer::Pending;
    bool lineStateMaskSent_ = false;
    std::array<int, 5> pendingAcks_{}; // by command number 1..4
    uint32_t lineErrors_ = 0;
};

} // namespace zbserial
