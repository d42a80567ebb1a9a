// Where the program finds its own files and keeps the ones it writes: an
// installation never gets written into, a folder of the user's own does.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "settings/program_folder.h"
#include "settings/settings.h"

namespace qm {
namespace {

std::string TemporaryFolder() {
    std::string pattern = ::testing::TempDir() + "qm-program-folder-XXXXXX";
    return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

TEST(ProgramFolderTest, AnInstallationIsKnownByItsBinFolder) {
    EXPECT_TRUE(IsInstalledProgramFolder("/usr/bin"));
    EXPECT_TRUE(IsInstalledProgramFolder("/home/u/tmp/prefix two/bin/"));
    EXPECT_FALSE(IsInstalledProgramFolder("/home/u/quillmoor/build/app"));
    EXPECT_FALSE(IsInstalledProgramFolder("/opt/binaries"));
    EXPECT_EQ(ProgramDataFolder("/opt/q/bin"), "/opt/q/share/quillmoor");
    EXPECT_EQ(ProgramDataFolder("/moved/elsewhere/bin/"), "/moved/elsewhere/share/quillmoor");
    EXPECT_EQ(ProgramDataFolder("/home/u/quillmoor/build/app"), "/home/u/quillmoor/build/app");
}

TEST(ProgramFolderTest, OnlyAUsersOwnFolderThatIsNoInstallationKeepsFiles) {
    EXPECT_TRUE(KeepsFilesBeside({.installed = false, .usersOwn = true}));
    EXPECT_FALSE(KeepsFilesBeside({.installed = true, .usersOwn = true}));  // root in /usr/local/bin too
    EXPECT_FALSE(KeepsFilesBeside({.installed = false, .usersOwn = false}));
    EXPECT_FALSE(KeepsFilesBeside({.installed = false, .usersOwn = true, .system = true}));  // root in /opt/q

    const std::string base = TemporaryFolder();
    std::filesystem::create_directories(base + "/flat");
    std::filesystem::create_directories(base + "/prefix/bin");
    EXPECT_EQ(InspectProgramFolder(base + "/flat"), (ProgramFolderFacts{.installed = false, .usersOwn = true}));
    EXPECT_EQ(InspectProgramFolder(base + "/prefix/bin"), (ProgramFolderFacts{.installed = true, .usersOwn = true}));
    EXPECT_EQ(InspectProgramFolder(base + "/missing"), (ProgramFolderFacts{}));
    if (::geteuid() == 0) {  // a folder of another user, even a writable one
        ASSERT_EQ(::chown((base + "/flat").c_str(), 65534, 65534), 0);
        ::chmod((base + "/flat").c_str(), 0777);
        EXPECT_FALSE(InspectProgramFolder(base + "/flat").usersOwn);
    }
    std::filesystem::remove_all(base);
}

TEST(ProgramFolderTest, TheSystemsOwnFoldersAreKnown) {
    for (const char* system : {"/", "/usr/local/lib/q", "/opt/quillmoor", "/etc", "/var/lib/q", "/srv/x", "/bin"})
        EXPECT_TRUE(IsSystemFolder(system)) << system;
    for (const char* own : {"/home/u/q", "/tmp/q", "/var/tmp/q", "/root/q", "/work/q", "/optional"})
        EXPECT_FALSE(IsSystemFolder(own)) << own;
}

TEST(ProgramFolderTest, RootTakesItsOwnConfigurationFolderNotAUsersOne) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root is treated so";
    const std::string base = TemporaryFolder();
    std::filesystem::create_directories(base + "/user/.config");
    ASSERT_EQ(::chown((base + "/user").c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown((base + "/user/.config").c_str(), 65534, 65534), 0);
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome != nullptr ? savedHome : "";
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", (base + "/user").c_str(), 1);  // as sudo may hand it over
    EXPECT_EQ(ProcessConfigHome(), ConfigHome("", ::getpwuid(0)->pw_dir));
    ::setenv("HOME", base.c_str(), 1);  // root's own folder counts
    EXPECT_EQ(ProcessConfigHome(), base + "/.config");
    ::setenv("HOME", home.c_str(), 1);
    std::filesystem::remove_all(base);
}

// Whoever runs the test: root never takes a configuration folder that
// belongs to someone else, whether XDG_CONFIG_HOME or HOME named it; a
// folder that is root's own (or would be made in one) is taken.
TEST(ProgramFolderTest, RootNeverTakesTheConfigurationFolderItWasHanded) {
    const std::string base = TemporaryFolder();
    const std::string users = base + "/user/.config";
    std::filesystem::create_directories(users);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((base + "/user").c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown(users.c_str(), 65534, 65534), 0);
    }
    const std::string roots = ConfigHome("", ::getpwuid(0)->pw_dir);
    EXPECT_EQ(ConfigHomeOfUser(0, users, "/root"), roots);
    EXPECT_EQ(ConfigHomeOfUser(0, "", base + "/user"), roots);
    EXPECT_EQ(ConfigHomeOfUser(0, "/qm-nonexistent/config", "/root"), "/qm-nonexistent/config");  // made in /
    EXPECT_EQ(ConfigHomeOfUser(65534, users, "/home/u"), users);  // a user's own choice
    std::filesystem::remove_all(base);
}

TEST(ProgramFolderTest, TheConfigurationFolderFollowsXdg) {
    EXPECT_EQ(ConfigHome("/home/u/.cfg", "/home/u"), "/home/u/.cfg");
    EXPECT_EQ(ConfigHome("", "/home/u"), "/home/u/.config");
    EXPECT_EQ(ConfigHome("relative", "/home/u"), "/home/u/.config");  // XDG: relative paths are ignored
    EXPECT_EQ(ConfigHome("", "relative"), "");
    EXPECT_EQ(StateHomeOfUser(65534, "/home/u/.st", "/home/u"), "/home/u/.st");
    EXPECT_EQ(StateHomeOfUser(65534, "", "/home/u"), "/home/u/.local/state");

    EXPECT_EQ(SettingsFilePath("/home/u/q", true, "/home/u/.config"), "/home/u/q/Quillmoor.ini");
    EXPECT_EQ(SettingsFilePath("/usr/bin", false, "/home/u/.config"), "/home/u/.config/quillmoor/Quillmoor.ini");
    EXPECT_EQ(SettingsFilePath("/usr/bin", false, ""), "");  // never the installation
}

TEST(ProgramFolderTest, AnInstalledProgramKeepsItsSettingsInTheConfigurationFolder) {
    const std::string base = TemporaryFolder();
    std::filesystem::create_directories(base + "/prefix/bin");
    ::setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    EXPECT_EQ(ResolveSettingsFile(base + "/prefix/bin"), base + "/config/quillmoor/Quillmoor.ini");
    EXPECT_TRUE(std::filesystem::is_directory(base + "/config/quillmoor"));
    EXPECT_EQ(ResolveSettingsFile(base + "/prefix"), base + "/prefix/Quillmoor.ini");
    ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace qm
