// Settings writes killed at random moments (SIGKILL, 300 times): the file is
// always whole, old or new, and no temporary outlives the next write or the
// next start.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "settings/settings.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

std::string Text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

TEST(SettingsKillTest, KilledWritesLeaveTheFileWholeAndNoTemporaryBehind) {
    test::TempFolder folder;
    Settings settings(folder.file("Quillmoor.ini"));
    const PixelRect one{10, 20, 640, 480};
    const PixelRect two{-30, 40, 1024, 768};
    ASSERT_FALSE(settings.WritePlacement(one));
    const std::string first = Text(settings.Path());
    ASSERT_FALSE(settings.WritePlacement(two));
    const std::string second = Text(settings.Path());

    std::mt19937 random(18);
    std::uniform_int_distribution<int> pause(0, 15000);  // µs; a write takes a few ms with its syncs
    int left = 0;
    for (int kill = 0; kill < 300; ++kill) {
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (;;) {
                (void)settings.WritePlacement(one);
                (void)settings.WritePlacement(two);
            }
        }
        ::usleep(static_cast<useconds_t>(pause(random)));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        const std::string now = Text(settings.Path());
        ASSERT_TRUE(now == first || now == second) << "after kill " << kill << ": " << now;
        if (Names(folder.path()).size() > 1) ++left;
        // The next write, or the next start.
        if (kill % 2 == 0) {
            ASSERT_FALSE(settings.WritePlacement(now == first ? one : two));  // the same again: nothing to write
        } else {
            settings.RemoveLeftovers();
        }
        ASSERT_EQ(Names(folder.path()), std::vector<std::string>{"Quillmoor.ini"}) << "after kill " << kill;
    }
    RecordProperty("killsThatLeftATemporary", left);
}

}  // namespace
}  // namespace qm
