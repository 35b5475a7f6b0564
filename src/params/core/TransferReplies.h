#pragma once
// Decoding the controller's replies to the transfer requests. A reply is the two echoed command
// letters, a blank, the answer and two closing bytes (CR LF). At most the first 100 bytes of a read
// or write reply are looked at, as the windows' reply buffers hold no more.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t TransferReplyLimit = 100;

// The first Count bytes of the reply (fewer when it is shorter), within the 100-byte limit.
std::string ReplyHead(const std::vector<uint8_t>& Reply, std::size_t Count);

// True when the reply begins with the two command letters.
bool ReplyEchoes(const std::vector<uint8_t>& Reply, std::string_view Letters);

// The value of a read reply to Request ("rp 5" answered "rp 5 -120\r\n"), taken by the reply rule
// (comm/ReplyRule.h): a decimal 32-bit integer after the repeated letters and number. Nothing when
// the reply does not answer the request or its value is empty, not decimal or too large.
std::optional<int32_t> ReadReplyValue(std::string_view Request, const std::vector<uint8_t>& Reply);

// How the controller answered a write ("wp n v", "ws n v").
enum class TWriteReply {
    Confirmed,  // the reply repeats the letters, the number and the value written
    Refused,    // "er 7": the controller refused the value
    OtherValue, // the number with another value: the controller holds something else
    Wrong,      // anything else confirms nothing
};
TWriteReply CheckWriteReply(std::string_view Request, const std::vector<uint8_t>& Reply);

// The reply as a message shows it: what the line did ("the line echoes ...", "the controller
// holds X, not Y") or the reply's first four bytes, escaped.
std::string DescribeWrongReply(std::string_view Request, const std::vector<uint8_t>& Reply);

// A whole number in decimal: an optional "-" or "+" followed by digits only, within 32 bits.
std::optional<int32_t> ParseDecimalInt32(std::string_view Text);

// The computation reply "bp -1\r\n" (success) or "bp <report>\r\n", looked at whole (not limited
// to 100 bytes) and by the reply rule: the report is the reply without "bp " and its CR LF. The controller
// reports a number; a reply that does not echo "bp" or reports no number ("er 1", a wrong echo,
// noise) is no computation reply at all and must not be shown as a failed computation.
struct TComputeReply {
    bool Success = false;
    bool Valid = false;  // echoes "bp" and reports -1 or another whole number
    std::string Report; // the reply after its first three characters, when not successful
};
TComputeReply DecodeComputeReply(const std::vector<uint8_t>& Reply);

// "   P[017]" or "   S[005]": the request a wrong reply belongs to.
std::string WrongReplyItem(bool Parameters, int Number);
