#pragma once
// Where the program finds its data files and keeps application.ini. Run from the build tree (or
// any directory that holds the data files and may be written) everything stays beside the
// executable. Installed, the data files come from <prefix>/share/kmt40/ and application.ini lives
// in the user's configuration directory ($XDG_CONFIG_HOME/kmt40/, else ~/.config/kmt40/), where
// a shipped application.ini is copied on the first start.

#include <functional>
#include <string>

struct TInstallEnvironment {
    std::string ExeDir;        // directory of the program file, with trailing separator
    std::string XdgConfigHome; // the variable's value, empty when unset
    std::string Home;
    // Whether a file may be created in the directory. Without it nothing is created or copied:
    // the settings file is only looked for (the command-line tool never writes it).
    std::function<bool(const std::string& Directory)> Writable;
};

struct TInstallLayout {
    std::string DataDir;     // with trailing separator
    std::string SettingsDir; // with trailing separator
    bool SettingsWritable = true;
    std::string Warning;     // to be said once when the settings cannot be kept
};

TInstallLayout ResolveInstallLayout(const TInstallEnvironment& Environment);

// The environment of this process for the program in ExeDir; ForWriting adds the probe that
// tries to create a file.
TInstallEnvironment CurrentInstallEnvironment(const std::string& ExeDir, bool ForWriting = true);
