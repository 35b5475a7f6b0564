#include "comm/ZBGlobal.h"
#include "comm/ZBPlatform.h"
#include "comm/ZBCompsResources.h"

#include <windows.h>

int LibraryLanguage()
{
    return PRIMARYLANGID(GetUserDefaultLangID()) == LANG_GERMAN ? zbLangGerman : zbLangEnglish;
}

std::string SystemErrorText(uint32_t ErrorNumber)
{
    char buffer[1024];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ErrorNumber,
                                  0x0400, buffer, sizeof buffer, nullptr);
    // The system's texts end with CR LF (some with a blank before it), which would break the
    // line of every message they are put into.
    while (length > 0 && (buffer[length - 1] == '\r' || buffer[length - 1] == '\n' || buffer[length - 1] == ' '))
        --length;
    if (length == 0)
        return "unknown error";
    return std::string(buffer, length);
}

bool IsDeviceGoneError(uint32_t ErrorNumber)
{
    // ERROR_OPERATION_ABORTED (995): the driver aborted the I/O, as it does when the device goes.
    // WSAECONNRESET (10054): a network line whose connection broke.
    return ErrorNumber == ERROR_OPERATION_ABORTED || ErrorNumber == ERROR_DEVICE_NOT_CONNECTED ||
           ErrorNumber == ERROR_BAD_COMMAND || ErrorNumber == 10054;
}
