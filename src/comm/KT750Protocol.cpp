#include "comm/KT750Protocol.h"

namespace {

// Blanks and control characters (00h-1Fh and DEL), as a trim of the request text removes them.
bool isTrimmed(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte <= ' ' || byte == 0x7F;
}

std::string trimmed(const std::string& Text)
{
    std::size_t first = 0, last = Text.size();
    while (first < last && isTrimmed(Text[first]))
        ++first;
    while (last > first && isTrimmed(Text[last - 1]))
        --last;
    return Text.substr(first, last - first);
}

// Byte 0 of the send buffer is 1 + frame length, so a frame holds at most 254 bytes.
constexpr std::size_t MaxFrameLength = 254;

} // namespace

void TKT750Protocol::SendRequest()
{
    asciiProtocol_ = trimmed(asciiProtocol_);
    const uint8_t head = SequenceCharByte(protocolHead_);
    const uint8_t foot = SequenceCharByte(protocolFoot_);
    // A text too long for one frame (free terminal input) is cut so that the frame stays whole,
    // foot character included, instead of overflowing the length byte.
    const std::size_t room = MaxFrameLength - (head ? 1 : 0) - (foot ? 1 : 0);
    const std::size_t textLength = asciiProtocol_.size() < room ? asciiProtocol_.size() : room;

    int position = 1;
    if (head)
        PutByte(position++, head);
    for (std::size_t i = 0; i < textLength; ++i)
        PutByte(position++, static_cast<uint8_t>(asciiProtocol_[i]));
    if (foot)
        PutByte(position++, foot);
    PutByte(0, static_cast<uint8_t>(position));
    TZBProtocolComponent::SendRequest();
}

std::string TKT750Protocol::AnsweredText() const
{
    const TZBBuffer& frame = AnsweredRequest().Buffer;
    std::size_t first = 1, end = frame[0];
    if (end <= first)
        return {};
    if (SequenceCharByte(protocolHead_) && end > first)
        ++first;
    if (SequenceCharByte(protocolFoot_) && end > first)
        --end;
    return std::string(frame.begin() + static_cast<std::ptrdiff_t>(first), frame.begin() + static_cast<std::ptrdiff_t>(end));
}

void TKT750Protocol::DataReceived(const TZBBuffer& Data, const TZBBuffer& Sent, bool& Flag)
{
    // The thread sets Flag when it starts over after a faulty reply: the new reply replaces the old.
    if (Flag)
        resultStream_.Clear();
    resultStream_.SetPosition(resultStream_.Size());
    resultStream_.Write(Data.data() + 1, Data[0]);
    TZBProtocolComponent::DataReceived(Data, Sent, Flag);
}
