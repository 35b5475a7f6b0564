#pragma once
// Where the program finds its data files and keeps application.ini.
//
// Linux: run from the build tree (or any directory that holds the data files and may be written)
// everything stays beside the executable. Installed, the data files come from
// <prefix>/share/kmt40/ and application.ini lives in the user's configuration directory
// ($XDG_CONFIG_HOME/kmt40/, else ~/.config/kmt40/), where a shipped application.ini is copied on
// the first start.
//
// Windows: the data files are always beside the program. Installed by the setup program (its
// uninstaller lies beside the program) application.ini is the user's own, in
// %APPDATA%\KMT40\, started from the shipped one on the first start: the program's folder is not
// the user's to write, and the uninstaller removes it. A folder of its own (the build tree, a
// copy on a stick) keeps application.ini beside the program, as on Linux. File dialogs start in
// the user's documents until one is chosen, never in the program's folder.

#include <functional>
#include <string>

enum class TInstallSystem { Posix, Windows };

struct TInstallEnvironment {
    TInstallSystem System = TInstallSystem::Posix;
    std::string ExeDir;        // directory of the program file, with trailing separator
    std::string XdgConfigHome; // the variable's value, empty when unset
    std::string Home;
    std::string AppData;       // Windows: the user's roaming application-data folder
    std::string Documents;     // Windows: the user's documents folder
    // Whether a file may be created in the directory. Without it nothing is created or copied:
    // the settings file is only looked for (the command-line tool never writes it).
    std::function<bool(const std::string& Directory)> Writable;
};

struct TInstallLayout {
    std::string DataDir;     // with trailing separator
    std::string SettingsDir; // with trailing separator
    bool SettingsWritable = true;
    std::string Warning;     // to be said once when the settings cannot be kept
    std::string DocumentsDir; // where file dialogs start until one is chosen; empty: the current directory
};

// The file the setup program puts beside an installed program.
inline constexpr char InstalledMarkerFileName[] = "Uninstall.exe";

TInstallLayout ResolveInstallLayout(const TInstallEnvironment& Environment);

// The environment of this process for the program in ExeDir; ForWriting adds the probe that
// tries to create a file.
TInstallEnvironment CurrentInstallEnvironment(const std::string& ExeDir, bool ForWriting = true);

// Whether a file can be created in Directory, found by creating and removing one: the only test
// that also holds for read-only file systems, other users and Windows' access lists.
bool CanCreateFileIn(const std::string& Directory);
