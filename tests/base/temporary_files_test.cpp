// The program's temporaries: their names, and the removal of leftovers that
// takes the program's own unlocked files and nothing else.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/file_replace.h"
#include "base/temporary_files.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

TEST(TemporaryFilesTest, TheirNamesAreKnownAndNothingElse) {
    EXPECT_EQ(TemporaryName("a.csv", "0123456789"), ".a.csv.0123456789.quillmoor-tmp");
    EXPECT_TRUE(IsTemporaryName(".a.csv.0123456789.quillmoor-tmp"));
    EXPECT_TRUE(IsTemporaryName("Quillmoor.ini.tmpabcdefghij"));  // an INI write of earlier versions
    EXPECT_TRUE(IsTemporaryName(".ini.tmp0123456789"));
    for (const char* other : {"a.csv", ".a.csv.012345678.quillmoor-tmp", ".a.csv.0123456789Aquillmoor-tmp",
                              "a.csv.0123456789.quillmoor-tmp", ".a.csv.01234567_9.quillmoor-tmp",
                              "report.tmpabcdefghij", "Quillmoor.ini.tmpABCDEFGHIJ", "Quillmoor.ini.tmp"})
        EXPECT_FALSE(IsTemporaryName(other)) << other;
    // A long target is cut between characters so that the name fits in 255 bytes.
    const std::string name = TemporaryName(std::string(228, 'x') + "日本語.csv", "0123456789");
    EXPECT_EQ(name, "." + std::string(228, 'x') + ".0123456789.quillmoor-tmp");
    EXPECT_TRUE(IsTemporaryName(name));
    EXPECT_EQ(TemporaryName(std::string(300, 'x'), "0123456789").size(), 255u);
}

TEST(TemporaryFilesTest, OnlyTheProgramsOwnUnlockedLeftoversAreRemoved) {
    test::TempFolder folder;
    test::TempFolder outside;
    const auto make = [&](const std::string& name) { std::ofstream(folder / name) << "x"; };
    make(".a.csv.0123456789.quillmoor-tmp");      // a leftover: goes
    make("Quillmoor.ini.tmpabcdefghij");          // an earlier version's: goes
    make(".b.csv.0123456789.quillmoor-tmp");      // being written: stays
    make("notes.txt");                            // the user's: stays
    make("Quillmoor.ini");
    std::ofstream(outside / "kept") << "kept";
    fs::create_symlink(outside / "kept", folder / ".c.csv.0123456789.quillmoor-tmp");  // a link: stays
    fs::create_directory(folder / ".d.csv.0123456789.quillmoor-tmp");                    // a folder: stays
    const int writer = ::open((folder / ".b.csv.0123456789.quillmoor-tmp").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    const WriteFolder at(folder.str());
    EXPECT_EQ(RemoveLeftoverTemporaries(at.Fd(), at.Ops()), 2u);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder.path())) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".b.csv.0123456789.quillmoor-tmp", ".c.csv.0123456789.quillmoor-tmp",
                                              ".d.csv.0123456789.quillmoor-tmp", "Quillmoor.ini", "notes.txt"}));
    EXPECT_TRUE(fs::exists(outside / "kept"));
    ::close(writer);

    // The next write into the folder takes the one no longer held.
    ASSERT_FALSE(ReplaceFileAt(at, "notes.txt", "y"));
    EXPECT_FALSE(fs::exists(folder / ".b.csv.0123456789.quillmoor-tmp"));
}

TEST(TemporaryFilesTest, AnotherUsersLeftoverIsNotTouchedEvenByRoot) {
    if (::geteuid() != 0) GTEST_SKIP() << "only a privileged user can give a file away";
    test::TempFolder folder;
    std::ofstream(folder / ".a.csv.0123456789.quillmoor-tmp") << "x";
    ASSERT_EQ(::chown((folder / ".a.csv.0123456789.quillmoor-tmp").c_str(), 65534, 65534), 0);
    const WriteFolder at(folder.str());
    EXPECT_EQ(RemoveLeftoverTemporaries(at.Fd(), at.Ops()), 0u);
    EXPECT_TRUE(fs::exists(folder / ".a.csv.0123456789.quillmoor-tmp"));
}

}  // namespace
}  // namespace qm
