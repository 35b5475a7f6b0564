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
    // What an unplugged USB adapter's driver reports varies: an aborted I/O (995), a device no
    // longer connected (1167), an unknown command (22), a general failure (31) or a denied access
    // (5) on a handle whose device has gone; Wine gives not-ready (21) for a hung-up terminal.
    // A network line whose connection broke reports WSAECONNRESET (10054).
    switch (ErrorNumber) {
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_ACCESS_DENIED:
    case ERROR_NOT_READY:
    case 10054:
        return true;
    default:
        return false;
    }
}
