// A request line as the controller reads it: two command letters and blank-separated arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace km4x {

struct Command {
    std::string letters;            // the first two characters as sent ("rp", "r0")
    std::vector<std::string> args;  // the words after them
    bool wellFormed = false;        // a lower-case letter, a letter or digit ("r0"), then nothing or a blank
};

// Splits a request line (without its CR). Leading and trailing blanks and LFs are ignored;
// an empty line gives nullopt (the controller ignores it).
std::optional<Command> ParseCommand(std::string_view line);

// Signed decimal 32-bit integer with an optional sign; nothing else in the text.
std::optional<int32_t> ParseInt32(std::string_view text);

} // namespace km4x
