// Where the program looks for its data and keeps its settings: beside it in the build tree,
// share/kmt40 and the user's configuration directory when installed, and what happens when that
// directory cannot be made; on Windows the user's application-data folder once installed.
#include "app/core/InstallLayout.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& File, const std::string& Text = "x")
{
    fs::create_directories(File.parent_path());
    std::ofstream(File) << Text;
}

TInstallEnvironment Environment(const fs::path& ExeDir, const fs::path& Xdg, bool ExeWritable)
{
    TInstallEnvironment environment;
    environment.ExeDir = ExeDir.string() + "/";
    environment.XdgConfigHome = Xdg.string();
    environment.Home = "/nonexistent-home";
    environment.Writable = [ExeDir, ExeWritable](const std::string& Directory) {
        return fs::path(Directory).lexically_normal() == (ExeDir / "").lexically_normal() ? ExeWritable : true;
    };
    return environment;
}

// The same directory, whichever separators the system writes.
std::string Normal(const fs::path& Directory)
{
    return Directory.lexically_normal().generic_string();
}

} // namespace

TEST(InstallLayout, BuildTreeKeepsEverythingBesideTheProgram)
{
    TempDir dir;
    const fs::path bin = fs::path(dir.Path()) / "build/bin";
    Touch(bin / "Parameters.txt");
    const TInstallLayout layout = ResolveInstallLayout(Environment(bin, fs::path(dir.Path()) / "config", true));
    EXPECT_EQ(layout.DataDir, bin.string() + "/");
    EXPECT_EQ(layout.SettingsDir, bin.string() + "/");
    EXPECT_TRUE(layout.SettingsWritable);
    EXPECT_FALSE(fs::exists(fs::path(dir.Path()) / "config"));
}

TEST(InstallLayout, InstalledUsesShareAndTheConfigurationDirectory)
{
    TempDir dir;
    const fs::path prefix = fs::path(dir.Path()) / "usr";
    Touch(prefix / "share/kmt40/Parameters.txt");
    Touch(prefix / "share/kmt40/application.ini", "[Serieel]\nunit_no=4\n");
    fs::create_directories(prefix / "bin");
    const fs::path config = fs::path(dir.Path()) / "config";
    const TInstallLayout layout = ResolveInstallLayout(Environment(prefix / "bin", config, false));
    EXPECT_EQ(Normal(layout.DataDir), Normal(prefix / "share/kmt40/"));
    EXPECT_EQ(Normal(layout.SettingsDir), Normal(config / "kmt40/"));
    EXPECT_TRUE(layout.SettingsWritable);
    EXPECT_TRUE(layout.Warning.empty());
    // The shipped defaults are copied once, never over the user's own file.
    std::ifstream copied(config / "kmt40/application.ini");
    std::string first;
    std::getline(copied, first);
    EXPECT_EQ(first, "[Serieel]");
    Touch(config / "kmt40/application.ini", "mine");
    ResolveInstallLayout(Environment(prefix / "bin", config, false));
    std::ifstream kept(config / "kmt40/application.ini");
    std::getline(kept, first);
    EXPECT_EQ(first, "mine");

    // The command-line tool only looks: it finds the user's file and creates nothing.
    TInstallEnvironment readOnly = Environment(prefix / "bin", config, false);
    readOnly.Writable = nullptr;
    EXPECT_EQ(Normal(ResolveInstallLayout(readOnly).SettingsDir), Normal(config / "kmt40/"));
    readOnly.XdgConfigHome = (fs::path(dir.Path()) / "other").string();
    EXPECT_EQ(Normal(ResolveInstallLayout(readOnly).SettingsDir), Normal(prefix / "bin/"));
    EXPECT_FALSE(fs::exists(fs::path(dir.Path()) / "other"));
}

TEST(InstallLayout, AConfigurationDirectoryThatCannotBeMadeIsSaidOnce)
{
    TempDir dir;
    const fs::path prefix = fs::path(dir.Path()) / "usr";
    Touch(prefix / "share/kmt40/Parameters.txt");
    fs::create_directories(prefix / "bin");
    Touch(fs::path(dir.Path()) / "afile"); // a file where the directory would have to be
    const TInstallLayout layout = ResolveInstallLayout(Environment(prefix / "bin", fs::path(dir.Path()) / "afile", false));
    EXPECT_FALSE(layout.SettingsWritable);
    EXPECT_EQ(layout.SettingsDir, layout.DataDir);
    EXPECT_NE(layout.Warning.find("will not be saved"), std::string::npos);
    EXPECT_NE(layout.Warning.find("afile"), std::string::npos);
}

namespace {

// A Windows program in ExeDir whose folder may be written or not; every other folder may.
TInstallEnvironment WindowsEnvironment(const fs::path& ExeDir, const fs::path& Profile, bool ExeWritable)
{
    TInstallEnvironment environment = Environment(ExeDir, {}, ExeWritable);
    environment.System = TInstallSystem::Windows;
    environment.Home.clear();
    environment.AppData = (Profile / "AppData/Roaming").string();
    environment.Documents = (Profile / "Documents").string();
    return environment;
}

std::string FirstLine(const fs::path& File)
{
    std::ifstream in(File);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

TEST(InstallLayout, WindowsInstalledKeepsTheUsersSettingsInTheirApplicationData)
{
    TempDir dir;
    const fs::path program = fs::path(dir.Path()) / "Program Files/KMT40";
    const fs::path profile = fs::path(dir.Path()) / "users/tech";
    const fs::path user = profile / "AppData/Roaming/KMT40";
    Touch(program / "Parameters.txt");
    Touch(program / "Uninstall.exe");
    Touch(program / "application.ini", "[Serieel]\nportname=4\n");

    // The command-line tool before the program has run: the shipped file, nothing made.
    TInstallEnvironment readOnly = WindowsEnvironment(program, profile, false);
    readOnly.Writable = nullptr;
    EXPECT_EQ(Normal(ResolveInstallLayout(readOnly).SettingsDir), Normal(program / ""));
    EXPECT_FALSE(fs::exists(profile));

    // The program, as a user who cannot write the program's folder, and as one who can: the
    // folder belongs to the installation either way.
    for (const bool programFolderWritable : {false, true}) {
        const TInstallLayout layout = ResolveInstallLayout(WindowsEnvironment(program, profile, programFolderWritable));
        EXPECT_EQ(Normal(layout.DataDir), Normal(program / ""));
        EXPECT_EQ(Normal(layout.SettingsDir), Normal(user / ""));
        EXPECT_TRUE(layout.SettingsWritable);
        EXPECT_TRUE(layout.Warning.empty());
        EXPECT_EQ(Normal(layout.DocumentsDir), Normal(profile / "Documents"));
        // Copied on the first start, never over the user's own file after.
        EXPECT_EQ(FirstLine(user / "application.ini"), programFolderWritable ? "mine" : "[Serieel]");
        Touch(user / "application.ini", "mine");
    }
    EXPECT_EQ(FirstLine(program / "application.ini"), "[Serieel]");
    // Only the settings file was made there: no probe or temporary file left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(user), fs::directory_iterator()), 1);

    // Afterwards the command-line tool reads what the program keeps.
    EXPECT_EQ(Normal(ResolveInstallLayout(readOnly).SettingsDir), Normal(user / ""));

    // A folder in the place of the user's file: the shipped file is read, by both, and nothing kept.
    fs::remove(user / "application.ini");
    fs::create_directories(user / "application.ini");
    EXPECT_EQ(Normal(ResolveInstallLayout(readOnly).SettingsDir), Normal(program / ""));
    const TInstallLayout folderInPlace = ResolveInstallLayout(WindowsEnvironment(program, profile, true));
    EXPECT_EQ(Normal(folderInPlace.SettingsDir), Normal(program / ""));
    EXPECT_FALSE(folderInPlace.SettingsWritable);
    EXPECT_FALSE(folderInPlace.Warning.empty());

    // No application-data folder to be had: the shipped file is read and left as it is.
    Touch(fs::path(dir.Path()) / "blocked/AppData/Roaming"); // a file where the folder would be
    const TInstallLayout blocked = ResolveInstallLayout(WindowsEnvironment(program, fs::path(dir.Path()) / "blocked", true));
    EXPECT_FALSE(blocked.SettingsWritable);
    EXPECT_EQ(Normal(blocked.SettingsDir), Normal(program / ""));
    EXPECT_NE(blocked.Warning.find("KMT40"), std::string::npos);
}

TEST(InstallLayout, WindowsFolderOfItsOwnKeepsTheSettingsBesideTheProgram)
{
    TempDir dir;
    const fs::path program = fs::path(dir.Path()) / "stick/KMT40";
    const fs::path profile = fs::path(dir.Path()) / "users/tech";
    Touch(program / "Parameters.txt");
    Touch(program / "application.ini", "[Serieel]\n");

    const TInstallLayout layout = ResolveInstallLayout(WindowsEnvironment(program, profile, true));
    EXPECT_EQ(Normal(layout.SettingsDir), Normal(program / ""));
    EXPECT_TRUE(layout.SettingsWritable);
    EXPECT_EQ(Normal(layout.DocumentsDir), Normal(profile / "Documents"));

    // Copied where it may not write: said once, and the file beside it is the one read by both.
    const TInstallLayout locked = ResolveInstallLayout(WindowsEnvironment(program, profile, false));
    EXPECT_FALSE(locked.SettingsWritable);
    EXPECT_EQ(Normal(locked.SettingsDir), Normal(program / ""));
    EXPECT_NE(locked.Warning.find("will not be saved"), std::string::npos);
    TInstallEnvironment readOnly = WindowsEnvironment(program, profile, false);
    readOnly.Writable = nullptr;
    EXPECT_EQ(Normal(ResolveInstallLayout(readOnly).SettingsDir), Normal(program / ""));
    EXPECT_FALSE(fs::exists(profile));
}

#ifdef _WIN32
#include <windows.h>

#include "app/core/TextFileIO.h"

// A user whose name has a letter of the system's code page beyond Latin-1 (Š is 8Ah in the Western
// and the Central European code page, a control character in Latin-1): the program's paths are in
// the code page, and the settings are kept in that user's folder like anyone's.
TEST(InstallLayout, WindowsUserNamedBeyondLatin1KeepsTheSettings)
{
    const std::wstring name = L"\u0160imon";
    char narrow[32] = {};
    BOOL unmapped = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, narrow, sizeof narrow, nullptr, &unmapped) == 0 ||
        unmapped)
        GTEST_SKIP() << "the system's code page has no \u0160";
    TempDir dir;
    const fs::path program = fs::path(dir.Path()) / "Program Files/KMT40";
    const fs::path user = fs::path(dir.Path()) / L"users" / name / L"AppData/Roaming/KMT40";
    Touch(program / "Parameters.txt");
    Touch(program / "Uninstall.exe");
    Touch(program / "application.ini", "[Serieel]\nportname=4\n");

    TInstallEnvironment environment = Environment(program, {}, false);
    environment.System = TInstallSystem::Windows;
    environment.AppData = dir.Path() + "\\users\\" + narrow + "\\AppData\\Roaming";
    environment.Writable = CanCreateFileIn;
    const TInstallLayout layout = ResolveInstallLayout(environment);
    EXPECT_TRUE(layout.SettingsWritable);
    EXPECT_EQ(layout.Warning, "");
    std::string settings;
    EXPECT_EQ(ReadFileCapped(layout.SettingsDir + "application.ini", 4096, settings), TReadResult::Ok);
    EXPECT_EQ(settings.substr(0, 9), "[Serieel]");
    // The copy is all there is: the probe of the folder was removed again.
    EXPECT_EQ(std::distance(fs::directory_iterator(user), fs::directory_iterator()), 1);
}
#endif
