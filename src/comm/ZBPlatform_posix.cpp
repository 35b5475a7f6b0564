#include "comm/ZBGlobal.h"
#include "comm/ZBPlatform.h"
#include "comm/ZBCompsResources.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

int LibraryLanguage()
{
    // The locale a program's messages follow: LC_ALL over LC_MESSAGES over LANG (the first set one).
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return std::strncmp(value, "de", 2) == 0 ? zbLangGerman : zbLangEnglish;
    }
    return zbLangEnglish;
}

std::string SystemErrorText(uint32_t ErrorNumber)
{
    char buffer[256];
    // The GNU strerror_r may return a static text instead of filling the buffer.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    return strerror_r(static_cast<int>(ErrorNumber), buffer, sizeof buffer);
#else
    if (strerror_r(static_cast<int>(ErrorNumber), buffer, sizeof buffer) != 0)
        return "Error " + std::to_string(ErrorNumber);
    return buffer;
#endif
}

bool IsDeviceGoneError(uint32_t ErrorNumber)
{
    // A hung-up tty fails reads and writes with EIO; a vanished device node gives ENXIO or ENODEV;
    // a network line whose connection broke reports ECONNRESET.
    return ErrorNumber == EIO || ErrorNumber == ENXIO || ErrorNumber == ENODEV || ErrorNumber == ECONNRESET;
}
