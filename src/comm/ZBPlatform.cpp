#include "comm/ZBPlatform.h"

std::string SystemErrorDescription(uint32_t ErrorNumber)
{
    return "system error " + std::to_string(ErrorNumber) + " (" + SystemErrorText(ErrorNumber) + ")";
}
