// The parameter catalogue (Parameters.txt) and the menu map (ParNo.txt); the first byte chooses.
#include "FuzzInput.h"

#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterMenuMap.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const fuzz::Choice input = fuzz::TakeSelector(Data, Size);
    if (input.selector % 2 == 0) {
        TParameterCatalogue catalogue;
        catalogue.LoadFromText(input.rest);
        TParameterValues values{};
        values[PositionDecimalsParameter] = 9;
        values[LinPositionDecimalsParameter] = 10;
        for (int n = -1; n <= 400; ++n) {
            (void)catalogue.Name(n, 0);
            (void)catalogue.Type(n);
            (void)catalogue.ResolveOptionList(n, input.selector % 3);
            (void)ResolveDecimalsSelector(catalogue.Dec(n), values);
            (void)catalogue.Min(n);
            (void)catalogue.Max(n);
            (void)catalogue.Default(n);
        }
    } else {
        TParameterMenuMap map;
        map.LoadFromText(input.rest);
        for (int menu = 0; menu <= 9; ++menu)
            for (int submenu = 0; submenu <= 9; ++submenu)
                for (int row = 0; row <= MenuRowCount + 1; ++row) {
                    // Callers index the value tables with the result.
                    const int n = map.ParameterAt(MenuId(menu, submenu), row);
                    if (n < -1 || n >= ParameterCount)
                        std::abort();
                }
        (void)map.CountRows(MenuId(1, 0), MenuRowCount);
    }
    return 0;
}
