#pragma once
// What every fuzz target shares: the entry point libFuzzer calls (and the replay driver too), and
// the ways a target cuts the fuzzer's bytes into what its parser takes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size);

namespace fuzz {

inline std::string_view AsText(const uint8_t* Data, std::size_t Size)
{
    return std::string_view(reinterpret_cast<const char*>(Data), Size);
}

// The first byte chooses among the target's variants; the rest is the input proper.
struct Choice {
    uint8_t selector = 0;
    std::string_view rest;
};
inline Choice TakeSelector(const uint8_t* Data, std::size_t Size)
{
    if (Size == 0)
        return {};
    return {Data[0], AsText(Data + 1, Size - 1)};
}

// Parts separated by Separator (a NUL for argument lists); an empty text gives no parts.
inline std::vector<std::string> SplitAt(std::string_view Text, char Separator)
{
    std::vector<std::string> parts;
    if (Text.empty())
        return parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = Text.find(Separator, start);
        parts.emplace_back(Text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace fuzz
