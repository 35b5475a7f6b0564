#include "params/core/ValueFiles.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "app/core/TextFileIO.h"
#include "params/core/SaveFile.h"

namespace {

// A sound file is some 5 kB; blank lines may pad it, but not without end.
constexpr std::size_t MaxValueFileBytes = 16u * 1024u * 1024u;

struct TFileKind {
    const char* Header;   // what line 1 must begin with
    char Letter;          // first character written on value lines
    int Lines;            // value lines 000 .. Lines - 1
};

constexpr TFileKind ParameterKind{ParameterFileHeader, 'P', ParameterFileLines};
constexpr TFileKind SetpointKind{SetpointFileHeader, 'S', SetpointFileLines};

// Strictly a decimal integer: an optional "-" and digits, nothing else, within 32 bits.
std::optional<int32_t> ParseDecimal(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return std::nullopt;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::string FormatFile(const TFileKind& kind, const int32_t* values, int unitNo)
{
    std::string text = std::string(kind.Header) + "   No: " + std::to_string(unitNo) + "\r\n\r\n";
    char line[32];
    for (int n = 0; n < kind.Lines; ++n) {
        std::snprintf(line, sizeof line, "%c%03d %d\r\n", kind.Letter, n, static_cast<int>(values[n]));
        text += line;
    }
    return text;
}

// Reads the file's text into table (indexed by line number 000..Lines-1). The caller takes the
// table over only when the result is Ok, so a refused file changes nothing.
TFileResult ParseText(std::string_view contents, const TFileKind& kind, std::vector<int32_t>& table)
{
    TFileResult result;
    table.assign(static_cast<std::size_t>(kind.Lines), 0);
    std::vector<bool> seen(static_cast<std::size_t>(kind.Lines), false);
    // A repeated or out-of-range number still counts as a value line: a file with the wrong number
    // of value lines is refused for its count (OpenMsg4); only a file whose count is right is
    // refused for the first such line.
    TFileResult misplaced;
    // A BOM that an editor put in front of the header is no part of the text.
    constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
    if (contents.substr(0, Utf8Bom.size()) == Utf8Bom)
        contents.remove_prefix(Utf8Bom.size());
    int lineNo = 0;
    int count = 0;
    ForEachLine(contents, [&](std::string_view line) {
        ++lineNo;
        if (!result.Ok())
            return;
        if (lineNo == 1) {
            // Only the header text counts; what follows it (the unit number) is ignored.
            if (line.substr(0, std::string_view(kind.Header).size()) != kind.Header) {
                result.Error = TFileError::WrongHeader;
                result.Detail = kind.Header;
            }
            return;
        }
        if (line.empty())
            return;
        result.Line = lineNo;
        result.Detail = std::string(line);
        // A value line has its first blank as fifth character: the file's letter, three digits of
        // number, the blank, the value.
        if (line.find(' ') != 4 || line[0] != kind.Letter) {
            result.Error = TFileError::MalformedLine;
            return;
        }
        const std::string_view digits = line.substr(1, 3);
        const bool threeDigits = std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
        const std::optional<int32_t> number = threeDigits ? ParseDecimal(digits) : std::nullopt;
        if (!number) {
            result.Error = TFileError::BadNumber;
            result.Detail = std::string(line.substr(0, 4));
            return;
        }
        result.Number = *number;
        const std::optional<int32_t> value = ParseDecimal(line.substr(5));
        if (!value) {
            result.Error = TFileError::BadValue;
            result.Detail = std::string(line.substr(5));
            return;
        }
        ++count;
        if (*number < 0 || *number >= kind.Lines || seen[static_cast<std::size_t>(*number)]) {
            if (misplaced.Ok()) {
                misplaced = result;
                const bool inRange = *number >= 0 && *number < kind.Lines;
                misplaced.Error = inRange ? TFileError::DuplicateNumber : TFileError::NumberOutOfRange;
                misplaced.Detail = inRange ? std::string() : std::string(line.substr(0, 4));
            }
            return;
        }
        seen[static_cast<std::size_t>(*number)] = true;
        table[static_cast<std::size_t>(*number)] = *value;
    });
    if (lineNo == 0) {
        result.Error = TFileError::WrongHeader;
        result.Detail = kind.Header;
    }
    if (!result.Ok())
        return result;

    if (count != kind.Lines) {
        result = TFileResult{};
        result.Error = TFileError::WrongCount;
        result.Detail = std::to_string(count);
        if (!misplaced.Ok()) {
            result.Line = misplaced.Line;
            result.Number = misplaced.Number;
            result.Note = DescribeFileResult(misplaced, std::string(1, kind.Letter));
        }
        return result;
    }
    return misplaced;
}

TFileResult ParseFile(const std::string& path, const TFileKind& kind, std::vector<int32_t>& table)
{
    TFileResult result;
    std::string contents;
    const TReadResult read = ReadFileCapped(path, MaxValueFileBytes, contents);
    if (read == TReadResult::Missing || read == TReadResult::Unreadable) {
        result.Error = TFileError::CannotOpen;
        result.Detail = path + ": " + ReasonNotReadable(path);
        return result;
    }
    if (contents.find('\0') != std::string::npos) {
        // Zero bytes are in no text file; reading on would call it a file of another kind or count.
        result.Error = TFileError::CannotOpen;
        result.Detail = path + ": it is not a text file";
        return result;
    }
    // A text editor may put a UTF-8 mark before the header; it is no part of the text.
    std::string_view text(contents);
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (read == TReadResult::Ok)
        return ParseText(text, kind, table);
    result.Error = TFileError::WrongCount;
    result.Detail = "more than " + std::to_string(kind.Lines);
    return result;
}

// Takes a sound table over into the span; First skips the lines that carry no value.
template <std::size_t N>
TFileResult TakeOver(TFileResult result, const std::vector<int32_t>& table, std::size_t first,
                     std::span<int32_t, N> values)
{
    if (result.Ok())
        std::copy(table.begin() + static_cast<std::ptrdiff_t>(first), table.end(), values.begin());
    return result;
}

} // namespace

TFileResult ParseParameterText(std::string_view text, std::span<int32_t, 400> values)
{
    std::vector<int32_t> table;
    return TakeOver(ParseText(text, ParameterKind, table), table, 0, values);
}

TFileResult ParseSetpointText(std::string_view text, std::span<int32_t, 48> setpoints)
{
    std::vector<int32_t> table;
    return TakeOver(ParseText(text, SetpointKind, table), table, 1, setpoints);
}

TFileResult SaveParameterFile(const std::string& path, std::span<const int32_t, 400> values, int unitNo)
{
    return SaveFileReplacing(path, FormatFile(ParameterKind, values.data(), unitNo));
}

TFileResult SaveSetpointFile(const std::string& path, std::span<const int32_t, 48> setpoints, int unitNo)
{
    // Line 000 carries no setpoint; it is written as 0.
    std::array<int32_t, SetpointFileLines> lines{};
    std::copy(setpoints.begin(), setpoints.end(), lines.begin() + 1);
    return SaveFileReplacing(path, FormatFile(SetpointKind, lines.data(), unitNo));
}

TFileResult LoadParameterFile(const std::string& path, std::span<int32_t, 400> values)
{
    std::vector<int32_t> table;
    return TakeOver(ParseFile(path, ParameterKind, table), table, 0, values);
}

TFileResult LoadSetpointFile(const std::string& path, std::span<int32_t, 48> setpoints)
{
    std::vector<int32_t> table;
    // Line 000 carries no setpoint.
    return TakeOver(ParseFile(path, SetpointKind, table), table, 1, setpoints);
}
