#include "device/core/IoFunctionTexts.h"

namespace device {

std::string FunctionOptionText(const std::vector<std::string>& options, std::int32_t value)
{
    if (value < 0 || static_cast<std::size_t>(value) >= options.size())
        return "########";
    return options[static_cast<std::size_t>(value)];
}

K0Function K0FunctionOf(const std::array<std::int32_t, 400>& p)
{
    if (p[200] == 1 || p[200] == 2)
        return K0Function::HoldReset;
    if (p[212] != 0 && (p[201] == 0 || p[201] == 2))
        return K0Function::RefFijn;
    if (p[201] == 1 && (p[218] == 1 || p[218] == 2 || p[218] == 4))
        return K0Function::SSIJustage;
    return K0Function::Inactief;
}

} // namespace device
