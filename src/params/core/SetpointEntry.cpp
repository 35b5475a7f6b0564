#include "params/core/SetpointEntry.h"

#include "app/core/Functies.h"

char FilterSetpointKey(std::string_view CellText, char Key, int32_t PositionDecimals)
{
    if (Key == '.')
        Key = ',';
    const bool allowed = (Key >= '0' && Key <= '9') || Key == '\b' || Key == '\r' || Key == ',' || Key == '-';
    if (!allowed)
        return 0;
    if (Key == ',' && (PositionDecimals < 1 || CellText.find(',') != std::string_view::npos))
        return 0;
    if (Key == '-' && CellText.find('-') != std::string_view::npos)
        return 0;
    return Key;
}

int32_t ParseSetpointEntry(std::string_view Text, int32_t PositionDecimals)
{
    return ParseFixed(Text, PositionDecimals, true, SetpointEntryMin, SetpointEntryMax);
}
