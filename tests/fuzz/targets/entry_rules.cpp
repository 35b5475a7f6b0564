// The keys a user types into the single-parameter dialog and the setpoint grid: whatever the
// sequence, the field stays within what the rules allow and reading it never goes wrong.
#include "FuzzInput.h"

#include "params/core/ParamEntry.h"
#include "params/core/SetpointEntry.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    if (Size < 7)
        return 0;
    TEntryLimits limits;
    // Decimals come from parameters 203 and 248, which a damaged file or a device can set to any
    // 32-bit number; the first byte's high bit picks a small count, the usual case, half the time.
    uint32_t decimals = 0;
    std::memcpy(&decimals, Data, sizeof decimals);
    limits.Decimals = (Data[0] & 0x80) ? static_cast<int32_t>(Data[1] % 8) : static_cast<int32_t>(decimals);
    limits.Min = (Data[4] & 1) ? -static_cast<int32_t>(Data[5]) * 1000 : 0;
    limits.Max = static_cast<int32_t>(Data[6]) * 100000;
    limits.IntegerDigits = 1 + Data[5] % 9;
    TEntryField field;
    std::string cell;
    for (std::size_t i = 7; i < Size; ++i) {
        const char key = static_cast<char>(Data[i] & 0x7F);
        const bool select = (Data[i] & 0x80) != 0;
        field.SelectionLength = select ? static_cast<int>(field.Text.size()) - field.Cursor : 0;
        const TEntryKeyResult r = FilterEntryKey(field, key, limits);
        if (r.Action == TEntryKeyResult::TAction::Insert) {
            field.Text.erase(static_cast<std::size_t>(field.Cursor), static_cast<std::size_t>(field.SelectionLength));
            if (r.Key == BackspaceKey) {
                if (field.SelectionLength == 0 && field.Cursor > 0)
                    field.Text.erase(static_cast<std::size_t>(--field.Cursor), 1);
            } else {
                field.Text.insert(static_cast<std::size_t>(field.Cursor++), 1, r.Key);
            }
        } else if (r.Action == TEntryKeyResult::TAction::ReplaceText) {
            field.Text = r.Text;
            field.Cursor = r.Cursor;
        }
        if (field.Cursor < 0 || field.Cursor > static_cast<int>(field.Text.size()))
            std::abort();
        if (field.Text.find('-') != std::string::npos && field.Text.find('-') != 0 && limits.Min >= 0)
            std::abort(); // a sign only where negative values are allowed
        const TEntryValue value = CheckEntry(field.Text, limits);
        if (value.Check == TEntryCheck::Ok && (value.Value < limits.Min || value.Value > limits.Max))
            std::abort();
        if (const char typed = FilterSetpointKey(cell, key, limits.Decimals); typed > '\r')
            cell += typed;
        (void)ParseSetpointEntry(cell, limits.Decimals);
    }
    return 0;
}
