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
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        ErrorNumber, 0x0400, buffer, sizeof buffer, nullptr);
    return std::string(buffer, length);
}
