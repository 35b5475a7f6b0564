#include "comm/serial/ComPortTelnet.h"

#include "comm/ZBTypes.h"

#include <initializer_list>

namespace zbserial {
namespace {

constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr uint8_t BINARY = 0, SUPPRESS_GO_AHEAD = 3, COM_PORT = 44;

// COM-PORT-OPTION commands as the client sends them; the server answers with the number + 100.
constexpr uint8_t SET_BAUDRATE = 1, SET_DATASIZE = 2, SET_PARITY = 3, SET_STOPSIZE = 4;
constexpr uint8_t SET_LINESTATE_MASK = 10, PURGE_DATA = 12;
constexpr uint8_t ServerReply = 100;
constexpr uint8_t NOTIFY_LINESTATE = 6, FLOWCONTROL_SUSPEND = 8, FLOWCONTROL_RESUME = 9;

// Line-state bits of a notification.
constexpr uint8_t BreakDetected = 0x10, FramingError = 0x08, ParityError = 0x04, OverrunError = 0x02;

bool weOffer(uint8_t Option) { return Option == BINARY || Option == SUPPRESS_GO_AHEAD || Option == COM_PORT; }
bool weAccept(uint8_t Option) { return Option == BINARY || Option == SUPPRESS_GO_AHEAD; }

// Byte by byte: GCC 12 at -O3 takes an insert of a short list for an overflow.
void append(std::vector<uint8_t>& Out, std::initializer_list<uint8_t> Bytes)
{
    for (uint8_t b : Bytes)
        Out.push_back(b);
}

void escape(const uint8_t* Bytes, std::size_t Count, std::vector<uint8_t>& Out, bool PadCr)
{
    for (std::size_t i = 0; i < Count; ++i) {
        Out.push_back(Bytes[i]);
        if (Bytes[i] == IAC)
            Out.push_back(IAC);
        else if (Bytes[i] == '\r' && PadCr)
            Out.push_back(0);
    }
}

void appendVerb(std::vector<uint8_t>& Out, uint8_t Verb, uint8_t Option)
{
    append(Out, {IAC, Verb, Option});
}

} // namespace

std::vector<uint8_t> ComPortTelnet::Greeting()
{
    std::vector<uint8_t> out;
    appendVerb(out, WILL, COM_PORT);
    appendVerb(out, WILL, BINARY);
    appendVerb(out, DO, BINARY);
    appendVerb(out, WILL, SUPPRESS_GO_AHEAD);
    appendVerb(out, DO, SUPPRESS_GO_AHEAD);
    return out;
}

void ComPortTelnet::Receive(const uint8_t* Bytes, std::size_t Count, std::vector<uint8_t>& Data,
                            std::vector<uint8_t>& Reply)
{
    for (std::size_t i = 0; i < Count; ++i) {
        const uint8_t b = Bytes[i];
        switch (state_) {
        case State::Data:
            if (b == IAC) {
                state_ = State::Iac;
                break;
            }
            // A server that will not send binary pads every CR with NUL.
            if (!(b == 0 && afterCr_))
                Data.push_back(b);
            afterCr_ = !serverSendsBinary_ && b == '\r';
            break;
        case State::Iac:
            if (b == IAC) {
                Data.push_back(IAC);
                afterCr_ = false;
                state_ = State::Data;
            } else if (b >= WILL) {
                verb_ = b;
                state_ = State::Verb;
            } else if (b == SB) {
                sub_.clear();
                state_ = State::Sub;
            } else {
                // NOP, go-ahead, data mark and the like carry nothing for a serial line.
                state_ = State::Data;
            }
            break;
        case State::Verb:
            option(verb_, b, Reply);
            state_ = State::Data;
            break;
        case State::Sub:
            if (b == IAC)
                state_ = State::SubIac;
            else if (sub_.size() < MaxSubnegotiation)
                sub_.push_back(b);
            else
                protocolFault_ = true;
            break;
        case State::SubIac:
            if (b == SE) {
                subnegotiation();
                state_ = State::Data;
            } else {
                // A doubled IAC is a value byte; anything else ends a malformed subnegotiation.
                if (b == IAC && sub_.size() < MaxSubnegotiation)
                    sub_.push_back(IAC);
                else if (b == IAC)
                    protocolFault_ = true;
                state_ = b == IAC ? State::Sub : State::Data;
            }
            break;
        }
    }
}

void ComPortTelnet::option(uint8_t Verb, uint8_t Option, std::vector<uint8_t>& Reply)
{
    // The greeting asked for everything we use, so an agreement needs no answer; a request for
    // anything else is declined once per request. A refusal is never answered (no loops).
    switch (Verb) {
    case DO:
        if (Option == COM_PORT)
            comPort_ = Answer::Agreed;
        if (!weOffer(Option))
            appendVerb(Reply, WONT, Option);
        break;
    case DONT:
        if (Option == COM_PORT) {
            comPort_ = Answer::Refused;
            ForgetAcknowledgements();
        }
        if (Option == BINARY)
            serverTakesBinary_ = false;
        break;
    case WILL:
        if (Option == BINARY)
            serverSendsBinary_ = true;
        if (!weAccept(Option))
            appendVerb(Reply, DONT, Option);
        break;
    default: // WONT
        if (Option == BINARY)
            serverSendsBinary_ = false;
        break;
    }
}

void ComPortTelnet::subnegotiation()
{
    if (sub_.size() < 2 || sub_[0] != COM_PORT)
        return;
    const uint8_t command = sub_[1];
    if (command > ServerReply && command <= ServerReply + SET_STOPSIZE) {
        int& pending = pendingAcks_[command - ServerReply];
        if (pending > 0)
            --pending;
        if (command == ServerReply + SET_BAUDRATE && sub_.size() == 6)
            confirmedBaud_ = static_cast<uint32_t>(sub_[2]) << 24 | static_cast<uint32_t>(sub_[3]) << 16 |
                             static_cast<uint32_t>(sub_[4]) << 8 | sub_[5];
    } else if (command == ServerReply + FLOWCONTROL_SUSPEND) {
        suspended_ = true;
    } else if (command == ServerReply + FLOWCONTROL_RESUME) {
        suspended_ = false;
    } else if (command == ServerReply + NOTIFY_LINESTATE && sub_.size() >= 3) {
        const uint8_t state = sub_[2];
        // Only a report of an error shows that this server tells of errors: a clean line's state
        // reports (which some servers send anyway) must not cost every reply a wait.
        if (state & (BreakDetected | FramingError | ParityError | OverrunError))
            lineStateSeen_ = true;
        if (state & BreakDetected) lineErrors_ |= ceBreak;
        if (state & FramingError) lineErrors_ |= ceFrame;
        if (state & ParityError) lineErrors_ |= ceRxParity;
        if (state & OverrunError) lineErrors_ |= ceOverrun;
    }
    // Modem-state notifications, flow-control requests and the remaining acknowledgements carry
    // nothing this line uses.
}

void ComPortTelnet::appendCommand(uint8_t Command, const uint8_t* Value, std::size_t Count, std::vector<uint8_t>& Out)
{
    append(Out, {IAC, SB, COM_PORT, Command});
    AppendData(Value, Count, Out);
    append(Out, {IAC, SE});
}

std::vector<uint8_t> ComPortTelnet::SetLine(const LineSettings& Settings)
{
    std::vector<uint8_t> out;
    if (comPort_ != Answer::Agreed)
        return out;
    if (!lineStateMaskSent_) {
        // Only the errors a reply can suffer are worth a notification.
        const uint8_t mask = BreakDetected | FramingError | ParityError | OverrunError;
        appendCommand(SET_LINESTATE_MASK, &mask, 1, out);
        lineStateMaskSent_ = true;
    }
    const uint8_t baud[4] = {static_cast<uint8_t>(Settings.BaudRate >> 24), static_cast<uint8_t>(Settings.BaudRate >> 16),
                             static_cast<uint8_t>(Settings.BaudRate >> 8), static_cast<uint8_t>(Settings.BaudRate)};
    const uint8_t dataSize = Settings.ByteSize;
    const uint8_t parity = Settings.Parity == ODDPARITY ? 2 : Settings.Parity == EVENPARITY ? 3 : 1;
    const uint8_t stopSize = Settings.StopBits == TWOSTOPBITS ? 2 : 1;
    appendCommand(SET_BAUDRATE, baud, 4, out);
    appendCommand(SET_DATASIZE, &dataSize, 1, out);
    appendCommand(SET_PARITY, &parity, 1, out);
    appendCommand(SET_STOPSIZE, &stopSize, 1, out);
    for (uint8_t command = SET_BAUDRATE; command <= SET_STOPSIZE; ++command)
        ++pendingAcks_[command];
    return out;
}

std::vector<uint8_t> ComPortTelnet::PurgeBuffers()
{
    std::vector<uint8_t> out;
    if (comPort_ != Answer::Agreed)
        return out;
    const uint8_t both = 3;
    appendCommand(PURGE_DATA, &both, 1, out);
    return out;
}

int ComPortTelnet::Unacknowledged() const
{
    int count = 0;
    for (int pending : pendingAcks_)
        count += pending;
    return count;
}

uint32_t ComPortTelnet::TakeLineErrors()
{
    const uint32_t flags = lineErrors_;
    lineErrors_ = 0;
    return flags;
}

void ComPortTelnet::AppendData(const uint8_t* Bytes, std::size_t Count, std::vector<uint8_t>& Out)
{
    escape(Bytes, Count, Out, false);
}

void ComPortTelnet::AppendLineData(const uint8_t* Bytes, std::size_t Count, std::vector<uint8_t>& Out) const
{
    escape(Bytes, Count, Out, !serverTakesBinary_);
}

} // namespace zbserial
