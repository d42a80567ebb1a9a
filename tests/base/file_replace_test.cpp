// Replacing a file whole: the old file survives every failure, and keeps its
// permission bits when the new content arrives.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/file_replace.h"

namespace qm {
namespace {

class FileReplaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "qm-replace-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Text(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    long Entries() const {
        return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
    }
    std::string folder;
};

TEST_F(FileReplaceTest, NewAndReplacedFilesHoldExactlyTheBytes) {
    const std::string path = folder + "/a.csv";
    EXPECT_FALSE(ReplaceFileContents(path, std::string("x\0y\r\n", 5)));
    EXPECT_EQ(Text(path), std::string("x\0y\r\n", 5));
    ::chmod(path.c_str(), 0640);
    EXPECT_FALSE(ReplaceFileContents(path, "new"));
    EXPECT_EQ(Text(path), "new");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    // Through a link of the user's own in a private folder, when the write
    // may follow one: the target gets the bytes, the link stays a link.
    ::chmod(folder.c_str(), 0700);
    std::filesystem::create_symlink("a.csv", folder + "/link.csv");
    EXPECT_EQ(ReplaceFileContents(folder + "/link.csv", "refused"), std::errc::too_many_symbolic_link_levels);
    EXPECT_FALSE(ReplaceFileContents(folder + "/link.csv", "via link", LinkRule::FollowOwn));
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "/link.csv"));
    EXPECT_EQ(Text(path), "via link");
    EXPECT_EQ(Entries(), 2);
}

TEST_F(FileReplaceTest, AFailedWriteLeavesTheOldFileAndNothingElse) {
    const std::string path = folder + "/a.csv";
    std::ofstream(path) << "old";
    // The file-size limit makes the write itself fail, for root too.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::error_code error = ReplaceFileContents(path, std::string(4096, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(error, std::errc::file_too_large);
    EXPECT_EQ(Text(path), "old");
    EXPECT_EQ(Entries(), 1);
}

TEST_F(FileReplaceTest, WhatIsNoWritableFileIsNotReplaced) {
    EXPECT_EQ(ReplaceFileContents(folder, "x"), std::errc::is_a_directory);
    EXPECT_EQ(ReplaceFileContents(folder + "/missing/a.csv", "x"), std::errc::no_such_file_or_directory);
    EXPECT_EQ(ReplaceFileContents("/dev/null", "x"), std::errc::invalid_argument);
    EXPECT_EQ(Entries(), 0);
}

}  // namespace
}  // namespace qm
