#include "params/core/ParamEntry.h"

#include <algorithm>

namespace {

constexpr std::size_t MaxEntryDigits = 8;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

TEntryKeyResult Reject()
{
    return {};
}

TEntryKeyResult Insert(char Key)
{
    TEntryKeyResult result;
    result.Action = TEntryKeyResult::TAction::Insert;
    result.Key = Key;
    return result;
}

// Rule 6: the length limits on the text without its sign, with nothing selected.
bool WithinDigitLimits(const TEntryField& Field, char Key, const TEntryLimits& Limits)
{
    if (Key == BackspaceKey)
        return true;
    std::string text = Field.Text;
    int cursor = Field.Cursor;
    if (const std::size_t minus = text.find('-'); minus != std::string::npos) {
        text.erase(minus, 1);
        if (cursor > static_cast<int>(minus))
            --cursor;
    }
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return Key == ',' || static_cast<int>(text.size()) < Limits.IntegerDigits;
    if (cursor <= static_cast<int>(comma))
        return static_cast<int>(comma) < Limits.IntegerDigits;
    return static_cast<int>(text.size() - comma - 1) < Limits.Decimals;
}

} // namespace

TEntryKeyResult FilterEntryKey(const TEntryField& Field, char Key, const TEntryLimits& Limits)
{
    if (Key == '.')
        Key = ',';
    if (Key != BackspaceKey && Key != ',' && Key != '-' && !IsDigit(Key))
        return Reject();
    const bool hasComma = Field.Text.find(',') != std::string::npos;
    const bool hasMinus = Field.Text.find('-') != std::string::npos;
    const bool selected = Field.SelectionLength > 0;

    if (Key == ',' && (Limits.Decimals <= 0 || hasComma))
        return Reject();
    if (Key == '-' && (Limits.Min >= 0 || (hasMinus && !selected)))
        return Reject();
    if (hasMinus && Field.Cursor == 0 && !selected)
        return Reject();
    if (Key == '-' && Field.Cursor != 0) {
        // The sign goes in front wherever it is typed. A text that has one keeps it (a selection
        // typed over with "-" does not add a second).
        if (hasMinus)
            return Reject();
        TEntryKeyResult result;
        result.Action = TEntryKeyResult::TAction::ReplaceText;
        result.Text = "-" + Field.Text;
        result.Cursor = static_cast<int>(result.Text.size());
        return result;
    }
    if (!selected && !WithinDigitLimits(Field, Key, Limits))
        return Reject();
    return Insert(Key);
}

int IntegerDigitsOf(std::string_view MinText, std::string_view MaxText, int32_t Decimals)
{
    auto lengthOf = [Decimals](std::string text) {
        if (const std::size_t minus = text.find('-'); minus != std::string::npos)
            text.erase(minus, 1);
        if (Decimals > 0)
            return static_cast<int>(std::min(text.find(','), text.size()));
        return static_cast<int>(text.size());
    };
    return std::max(lengthOf(std::string(MinText)), lengthOf(std::string(MaxText)));
}

TEntryValue CheckEntry(std::string_view Text, const TEntryLimits& Limits)
{
    TEntryValue result;
    std::string t = Text.empty() ? std::string("0") : std::string(Text);
    bool negative = false;
    if (t.find('-') != std::string::npos) {
        if (t.front() != '-')
            return result;
        t.erase(0, 1);
        negative = true;
    }
    const int32_t decimals = std::max<int32_t>(Limits.Decimals, 0);
    const std::size_t comma = t.find(',');
    const std::size_t typedDecimals = comma == std::string::npos ? 0 : t.size() - comma - 1;
    if (comma != std::string::npos && (decimals == 0 || typedDecimals > static_cast<std::size_t>(decimals)))
        return result;
    // Decided on the length the filled-up text would have, before building it: the decimals of a
    // damaged parameter 203 or 248 can be any 32-bit number.
    const std::size_t integerDigits = comma == std::string::npos ? t.size() : comma;
    if (integerDigits + static_cast<std::size_t>(decimals) > MaxEntryDigits) {
        result.Check = TEntryCheck::TooManyDigits;
        return result;
    }
    if (comma != std::string::npos)
        t.erase(comma, 1);
    t.append(static_cast<std::size_t>(decimals) - typedDecimals, '0');
    if (!std::all_of(t.begin(), t.end(), IsDigit))
        return result;
    int32_t value = 0;
    for (char c : t)
        value = value * 10 + (c - '0'); // at most MaxEntryDigits digits: no overflow
    if (negative)
        value = -value;
    if (value < Limits.Min || value > Limits.Max)
        return result;
    result.Check = TEntryCheck::Ok;
    result.Value = value;
    return result;
}
