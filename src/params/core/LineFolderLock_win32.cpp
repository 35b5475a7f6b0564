#ifdef _WIN32
#include "params/core/LineFolderLock.h"

#include <windows.h>

// A hidden file opened without sharing, deleted when the run's handle closes (also when it ends
// abnormally): a second run cannot open it. Only another run's hold refuses the folder; where the
// file cannot be made, the run goes on as before.
TLineFolderLock::TLineFolderLock(const std::string& Dir)
{
    const std::string path = Dir + "\\line.lock";
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (::GetLastError() == ERROR_SHARING_VIOLATION)
            error_ = Dir + ": another line backup is writing into this folder";
        return;
    }
    handle_ = file;
}

TLineFolderLock::~TLineFolderLock()
{
    if (handle_)
        ::CloseHandle(static_cast<HANDLE>(handle_));
}
#endif
