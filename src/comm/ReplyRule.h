#pragma once
// The one rule by which a reply is taken as the answer to its request. Every caller that takes a
// value from the controller goes through it, so a cut, doubled, late or foreign reply is refused
// the same way everywhere.
//
// A reply answers its request only when it ends with CR LF (and holds no other line break),
// repeats the command letters and then every field the request carries after its letters: the
// number (parameter, setpoint, unit, calibration code, thumbwheel) and, for a write, the value
// written. What follows those fields is the answer.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TReplyVerdict {
    Answer,     // the reply answers the request; Value holds what follows the repeated fields
    Wrong,      // anything else: cut, foreign, garbled, with bytes after its CR LF
    OtherValue, // the number is repeated, but another value: the controller holds Held
    Echo,       // the line gave back the request itself (an adapter's local echo)
};

struct TReplyCheck {
    TReplyVerdict Verdict = TReplyVerdict::Wrong;
    std::string Value; // Answer: the text after the repeated letters and fields
    std::string Held;  // OtherValue: the value the controller repeated instead of the one sent
    bool Answers() const { return Verdict == TReplyVerdict::Answer; }
};

// Request is the text sent, without its closing CR ("rs 3", "ws 3 87227", "sc 5", "rt", "bp").
TReplyCheck CheckReply(std::string_view Request, std::string_view Reply);
TReplyCheck CheckReply(std::string_view Request, const std::vector<uint8_t>& Reply);

// True when the reply is one line closed by CR LF, with no other line break in it.
bool IsOneReplyLine(std::string_view Reply);

// "the controller holds 9999, not 87227"
std::string HeldValueText(const TReplyCheck& Check, std::string_view Request);

// What a message says about a line that only echoes.
inline constexpr std::string_view EchoingLineText =
    "the line echoes every request: an RS485 adapter with local echo, and no controller answering?";

// Bytes from the line as a message shows them: control and high bytes escaped (\r, \n, \xNN),
// cut after MaxChars shown characters with "...".
std::string ShownReply(std::string_view Bytes, std::size_t MaxChars = 32);
std::string ShownReply(const std::vector<uint8_t>& Bytes, std::size_t MaxChars = 32);
