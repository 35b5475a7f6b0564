#include "app/core/InstallLayout.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/core/Settings.h"

namespace fs = std::filesystem;

namespace {

constexpr char ShareSubdirectory[] = "../share/kmt40/";
constexpr char ConfigSubdirectory[] = "kmt40/";
// A file every data directory holds.
constexpr char DataMarker[] = "Parameters.txt";

bool Exists(const std::string& Path)
{
    std::error_code error;
    return fs::exists(fs::path(Path), error);
}

std::string WithSeparator(std::string Directory)
{
    if (!Directory.empty() && Directory.back() != '/' && Directory.back() != '\\')
        Directory += '/';
    return Directory;
}

std::string Normal(const std::string& Directory)
{
    return WithSeparator(fs::path(Directory).lexically_normal().generic_string());
}

} // namespace

TInstallLayout ResolveInstallLayout(const TInstallEnvironment& Environment)
{
    TInstallLayout layout;
    const std::string exeDir = WithSeparator(Environment.ExeDir);
    const std::string share = Normal(exeDir + ShareSubdirectory);
    const bool installed = !Exists(exeDir + DataMarker) && Exists(share + DataMarker);
    layout.DataDir = installed ? share : exeDir;
    layout.SettingsDir = exeDir;

    const std::string base = !Environment.XdgConfigHome.empty() ? WithSeparator(Environment.XdgConfigHome)
                             : !Environment.Home.empty()        ? WithSeparator(Environment.Home) + ".config/"
                                                                : std::string();
    const std::string config = base.empty() ? std::string() : base + ConfigSubdirectory;

    // A settings file beside the program is used wherever the program is.
    if (Exists(exeDir + SettingsFileName) || (!installed && !Environment.Writable))
        return layout;
    if (!Environment.Writable) {
        // Only reading (the command-line tool): the user's file if there is one, nothing is made.
        if (!config.empty() && Exists(config + SettingsFileName))
            layout.SettingsDir = config;
        return layout;
    }
    if (!installed && Environment.Writable(exeDir))
        return layout;

    std::error_code error;
    if (!config.empty())
        fs::create_directories(fs::path(config), error);
    if (config.empty() || !fs::is_directory(fs::path(config), error) || !Environment.Writable(config)) {
        // Read what there is, keep nothing: the program still runs.
        layout.SettingsDir = layout.DataDir;
        layout.SettingsWritable = false;
        layout.Warning = "The settings cannot be kept: the directory " +
                         (config.empty() ? std::string("~/.config/kmt40/") : config) +
                         " cannot be created or written. Changes to the settings will not be saved.";
        return layout;
    }
    layout.SettingsDir = config;
    const std::string shipped = layout.DataDir + SettingsFileName;
    if (!Exists(config + SettingsFileName) && Exists(shipped))
        fs::copy_file(fs::path(shipped), fs::path(config + SettingsFileName), error);
    return layout;
}

TInstallEnvironment CurrentInstallEnvironment(const std::string& ExeDir, bool ForWriting)
{
    TInstallEnvironment environment;
    environment.ExeDir = ExeDir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"))
        environment.XdgConfigHome = xdg;
    if (const char* home = std::getenv("HOME"))
        environment.Home = home;
    if (!ForWriting)
        return environment;
    environment.Writable = [](const std::string& Directory) {
        // Trying is the only test that also holds for read-only file systems and other users.
        const std::string probe = WithSeparator(Directory) + ".kmt40-write-probe";
        {
            std::ofstream file(probe);
            if (!file)
                return false;
        }
        std::error_code error;
        fs::remove(fs::path(probe), error);
        return true;
    };
    return environment;
}
