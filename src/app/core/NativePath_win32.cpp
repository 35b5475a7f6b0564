#ifdef _WIN32
#include <windows.h>

#include "app/core/NativePath.h"

std::filesystem::path NativePath(const std::string& Path)
{
    if (Path.empty())
        return {};
    const int size = static_cast<int>(Path.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, Path.data(), size, nullptr, 0);
    if (length <= 0)
        return std::filesystem::path(Path);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, Path.data(), size, wide.data(), length);
    return std::filesystem::path(wide);
}
#endif
