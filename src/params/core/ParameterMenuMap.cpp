#include "params/core/ParameterMenuMap.h"

#include <optional>

#include "app/core/Global_var.h"
#include "app/core/IniFile.h"

TParameterMenuMap ParameterMenuMap;
bool MenuMapLoaded = false;

namespace {

std::string RowKey(int row)
{
    return "ParId" + std::to_string(row);
}

// Value of the row key; -1 when it is missing or no integer.
int32_t RowValue(const TLanguageFile& text, int menuId, int row)
{
    const std::string section = std::to_string(menuId);
    const std::string key = RowKey(row);
    if (!text.ValueExists(section, key))
        return -1;
    return ParseIniInteger(text.ReadString(section, key, "")).value_or(-1);
}

} // namespace

void TParameterMenuMap::Clear()
{
    text_.Clear();
}

void TParameterMenuMap::LoadFromText(std::string_view text)
{
    text_.LoadFromText(text);
}

bool TParameterMenuMap::LoadFromFile(const std::string& path)
{
    text_.Clear();
    return text_.LoadFromFile(path);
}

int TParameterMenuMap::ParameterAt(int menuId, int row) const
{
    const int32_t value = RowValue(text_, menuId, row);
    // The editor indexes the value tables with the result: anything but a parameter number is an
    // empty row.
    if (value < 0 || value >= ParameterCount)
        return -1;
    return value;
}

bool TParameterMenuMap::HasRow(int menuId, int row) const
{
    return text_.ValueExists(std::to_string(menuId), RowKey(row));
}

int TParameterMenuMap::CountRows(int menuId, int lastRow) const
{
    int count = 0;
    for (int row = 1; row <= lastRow; ++row)
        if (HasRow(menuId, row) && RowValue(text_, menuId, row) != -1)
            ++count;
    return count;
}

void ParamNo_lezen()
{
    if (ParameterMenuMap.LoadFromFile(ProgramDir + MenuMapFileName))
        MenuMapLoaded = true;
}
