#ifndef _WIN32
#include <cstdlib>

#include "app/core/InstallLayout.h"

TInstallEnvironment CurrentInstallEnvironment(const std::string& ExeDir, bool ForWriting)
{
    TInstallEnvironment environment;
    environment.ExeDir = ExeDir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"))
        environment.XdgConfigHome = xdg;
    if (const char* home = std::getenv("HOME"))
        environment.Home = home;
    if (ForWriting)
        environment.Writable = CanCreateFileIn;
    return environment;
}
#endif
