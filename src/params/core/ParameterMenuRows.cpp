#include "params/core/ParameterMenuRows.h"

#include "app/core/Global_var.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterDisplay.h"
#include "params/core/ParameterMenuMap.h"

TParameterMenuRow ParameterMenuRow(int menuNumber, int submenuNumber, int row)
{
    TParameterMenuRow result;
    if (!CatalogueLoaded || !MenuMapLoaded)
        return result;
    const int n = ParameterMenuMap.ParameterAt(MenuId(menuNumber, submenuNumber), row);
    if (n < 0)
        return result;
    result.Parameter = n;
    result.Cells[0] = std::to_string(menuNumber) + "." + std::to_string(submenuNumber) + "." + std::to_string(row);
    result.Cells[1] = TParameterCatalogue::SectionName(n);
    if (ParameterCatalogue.HasParameter(n)) {
        result.Cells[2] = ParameterCatalogue.Name(n, LanguageIndex);
        result.Cells[4] = ParameterOptionText(n);
    }
    result.Cells[3] = ParameterValueText(n);
    return result;
}

int ClearMenuParameters(int menuId)
{
    int cleared = 0;
    if (!CatalogueLoaded || !MenuMapLoaded)
        return cleared; // the list shows nothing, so nothing is listed to clear
    for (int row = 1; row <= MenuRowCount; ++row) {
        const int n = ParameterMenuMap.ParameterAt(menuId, row);
        if (n >= 0) {
            ParameterValues[static_cast<std::size_t>(n)] = 0;
            ++cleared;
        }
    }
    return cleared;
}
