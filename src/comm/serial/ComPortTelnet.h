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
    bool HasLineErrors() const { return lineErrors_ != 0; }

    // Appends Count data bytes, IAC doubled.
    static void AppendData(const uint8_t* Bytes, std::size_t Count, std::vector<uint8_t>& Out);
    // Appends Count data bytes as this connection sends them: IAC doubled, and a CR followed by NUL
    // while the server refuses to take binary data (otherwise it would swallow the byte after CR).
    void AppendLineData(const uint8_t* Bytes, std::size_t Count, std::vector<uint8_t>& Out) const;

    // A subnegotiation longer than any value of the COM port option: the server is broken or
    // hostile, the connection cannot be trusted any more.
    bool ProtocolFault() const { return protocolFault_; }
    // The baud rate the server last confirmed (0: none confirmed yet).
    uint32_t ConfirmedBaudRate() const { return confirmedBaud_; }
    // Whether the server ever reported a line error on this connection.
    bool NotifiesLineState() const { return lineStateSeen_; }
    // Whether the server asked us to stop sending (FLOWCONTROL-SUSPEND) and has not resumed.
    bool Suspended() const { return suspended_; }

    // Longest subnegotiation accepted: every value of the option is a few bytes long.
    static constexpr std::size_t MaxSubnegotiation = 256;

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
    uint32_t confirmedBaud_ = 0;
    bool protocolFault_ = false;
    bool lineStateSeen_ = false;
    bool suspended_ = false;
    bool serverSendsBinary_ = true;  // until it says WONT BINARY
    bool serverTakesBinary_ = true;  // until it says DONT BINARY
    bool afterCr_ = false;           // the last data byte from a non-binary server was CR
};

} // namespace zbserial
