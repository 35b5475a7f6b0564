#include "app/core/InstallLayout.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/core/NativePath.h"
#include "app/core/Settings.h"
#include "app/core/TextFileIO.h"

namespace fs = std::filesystem;

namespace {

constexpr char ShareSubdirectory[] = "../share/kmt40/";
constexpr char ConfigSubdirectory[] = "kmt40/";
constexpr char WindowsSettingsSubdirectory[] = "KMT40";
// A file every data directory holds.
constexpr char DataMarker[] = "Parameters.txt";
// A shipped application.ini is a few kilobytes; anything far larger is no settings file.
constexpr std::size_t ShippedSettingsMaxBytes = 1 << 20;

bool Exists(const std::string& Path)
{
    std::error_code error;
    return fs::exists(NativePath(Path), error);
}

// Something in the settings file's place that is no file (a folder of that name) can be neither read
// nor replaced.
bool BlocksSettingsFile(const std::string& Path)
{
    std::error_code error;
    const fs::file_status status = fs::status(NativePath(Path), error);
    return fs::exists(status) && !fs::is_regular_file(status);
}

std::string WithSeparator(std::string Directory)
{
    if (!Directory.empty() && Directory.back() != '/' && Directory.back() != '\\')
        Directory += '/';
    return Directory;
}

// Directory/Name/ in the separators Directory is written in, so a Windows path reads as one.
std::string Subdirectory(const std::string& Directory, const std::string& Name)
{
    const char separator = Directory.find('\\') != std::string::npos ? '\\' : '/';
    std::string path = Directory;
    if (!path.empty() && path.back() != '/' && path.back() != '\\')
        path += separator;
    return path + Name + separator;
}

std::string Normal(const std::string& Directory)
{
    return WithSeparator(fs::path(Directory).lexically_normal().generic_string());
}

// The user's settings start as the shipped ones; a copy cut short must not become the user's file.
void CopyShippedSettings(const std::string& Shipped, const std::string& Target)
{
    std::string contents;
    std::string error;
    if (!Exists(Target) && ReadFileCapped(Shipped, ShippedSettingsMaxBytes, contents) == TReadResult::Ok)
        WriteFileAtomically(Target, contents, error);
}

// Makes Directory (with its parents) and says whether the settings can be written there.
bool UsableSettingsDirectory(const std::string& Directory, const TInstallEnvironment& Environment)
{
    std::error_code error;
    fs::create_directories(NativePath(Directory), error);
    return fs::is_directory(NativePath(Directory), error) && Environment.Writable(Directory);
}

std::string CannotKeepWarning(const std::string& Directory)
{
    return "The settings cannot be kept: the directory " + Directory +
           " cannot be created or written. Changes to the settings will not be saved.";
}

TInstallLayout ResolveWindowsLayout(const TInstallEnvironment& Environment)
{
    TInstallLayout layout;
    const std::string exeDir = WithSeparator(Environment.ExeDir);
    layout.DataDir = exeDir;
    layout.SettingsDir = exeDir;
    layout.DocumentsDir = Environment.Documents;

    if (!Exists(exeDir + InstalledMarkerFileName)) {
        // A folder of its own: the settings stay with the program, or are not kept at all.
        if (Environment.Writable && !Environment.Writable(exeDir)) {
            layout.SettingsWritable = false;
            layout.Warning = CannotKeepWarning(exeDir);
        }
        return layout;
    }
    const std::string user =
        Environment.AppData.empty() ? std::string() : Subdirectory(Environment.AppData, WindowsSettingsSubdirectory);
    if (!Environment.Writable) {
        // Only reading (the command-line tool): the user's file once the program has made it.
        if (!user.empty() && Exists(user + SettingsFileName) && !BlocksSettingsFile(user + SettingsFileName))
            layout.SettingsDir = user;
        return layout;
    }
    if (user.empty() || !UsableSettingsDirectory(user, Environment) || BlocksSettingsFile(user + SettingsFileName)) {
        // The shipped file is read, never written: it belongs to the installation.
        layout.SettingsWritable = false;
        layout.Warning = CannotKeepWarning(user.empty() ? std::string("%APPDATA%\\KMT40\\") : user);
        return layout;
    }
    layout.SettingsDir = user;
    CopyShippedSettings(exeDir + SettingsFileName, user + SettingsFileName);
    return layout;
}

} // namespace

TInstallLayout ResolveInstallLayout(const TInstallEnvironment& Environment)
{
    if (Environment.System == TInstallSystem::Windows)
        return ResolveWindowsLayout(Environment);

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

    if (config.empty() || !UsableSettingsDirectory(config, Environment)) {
        // Read what there is, keep nothing: the program still runs.
        layout.SettingsDir = layout.DataDir;
        layout.SettingsWritable = false;
        layout.Warning = CannotKeepWarning(config.empty() ? std::string("~/.config/kmt40/") : config);
        return layout;
    }
    layout.SettingsDir = config;
    CopyShippedSettings(layout.DataDir + SettingsFileName, config + SettingsFileName);
    return layout;
}

bool CanCreateFileIn(const std::string& Directory)
{
    const std::string probe = WithSeparator(Directory) + ".kmt40-write-probe";
    {
        std::ofstream file(probe);
        if (!file)
            return false;
    }
    std::error_code error;
    fs::remove(NativePath(probe), error);
    return true;
}
