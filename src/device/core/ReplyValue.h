#pragma once
// How the main window reads a controller reply: "xx value\r\n" -> "value".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace device {

// Reply buffers of the main window: value replies, and the short replies of the I/O words.
constexpr std::size_t kReplyBufferSize = 100;
constexpr std::size_t kIoReplyBufferSize = 20;

// The value text of a reply: without the two echoed letters and the blank in front and without
// the two closing bytes. A reply of five bytes or less has an empty value. A reply longer than
// the buffer is not read at all and also gives an empty value (never a partial one).
std::string ReplyValueText(const std::vector<std::uint8_t>& reply, std::size_t bufferSize = kReplyBufferSize);

// What a panel shows for a request that failed or was answered by something else.
constexpr std::string_view kFailedRequestText = "?";

// True when the reply starts with the two command letters (the controller's echo).
bool EchoMatches(const std::vector<std::uint8_t>& reply, std::string_view command);

// The value text of a reply to the request `command` ("r1", "rd 3"); nothing when the reply does
// not answer it by the reply rule (comm/ReplyRule.h): that counts as a failed request. A reply
// longer than the buffer is not read, so its echo is not looked at and its value is empty.
std::optional<std::string> EchoedValueText(const std::vector<std::uint8_t>& reply, std::string_view command,
                                           std::size_t bufferSize = kReplyBufferSize);

// A signed 32-bit decimal number: optional leading blanks, an optional sign, digits and nothing
// after them. Out of range or anything else gives no value.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// True when the text holds a control byte (below a blank, or DEL): no text a controller sends as a
// value, but a reply garbled on the line.
bool HasControlBytes(std::string_view text);

// The reply as text lines, split at CR LF, LF or CR; a closing line break adds no empty line.
std::vector<std::string> TextLines(std::string_view text);

} // namespace device
