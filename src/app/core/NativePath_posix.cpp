#ifndef _WIN32
#include "app/core/NativePath.h"

std::filesystem::path NativePath(const std::string& Path)
{
    return std::filesystem::path(Path);
}
#endif
