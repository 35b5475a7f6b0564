#ifdef _WIN32
#include <windows.h>

#include <shlobj.h>

#include "app/core/InstallLayout.h"

namespace {

// The shell's own answer, which follows a folder the user or the domain has moved.
std::string ShellFolder(int Which)
{
    char path[MAX_PATH];
    if (SHGetFolderPathA(nullptr, Which, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return {};
    return path;
}

} // namespace

TInstallEnvironment CurrentInstallEnvironment(const std::string& ExeDir, bool ForWriting)
{
    TInstallEnvironment environment;
    environment.System = TInstallSystem::Windows;
    environment.ExeDir = ExeDir;
    environment.AppData = ShellFolder(CSIDL_APPDATA);
    environment.Documents = ShellFolder(CSIDL_PERSONAL);
    if (ForWriting)
        environment.Writable = CanCreateFileIn;
    return environment;
}
#endif
