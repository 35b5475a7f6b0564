#include "cli/FolderLock.h"

#include <windows.h>

namespace cli {

FolderLock::FolderLock(const std::string& Folder)
{
    // A hidden file nobody else may open, removed by the system when the last handle closes.
    const std::string path = Folder + "\\.kmt40-line.lock";
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    native_ = reinterpret_cast<std::intptr_t>(file);
    held_ = file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION;
}

FolderLock::~FolderLock()
{
    if (reinterpret_cast<HANDLE>(native_) != INVALID_HANDLE_VALUE)
        ::CloseHandle(reinterpret_cast<HANDLE>(native_));
}

} // namespace cli
