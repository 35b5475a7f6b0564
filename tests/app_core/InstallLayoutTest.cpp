// Where the program looks for its data and keeps its settings: beside it in the build tree,
// share/kmt40 and the user's configuration directory when installed, and what happens when that
// directory cannot be made.
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
