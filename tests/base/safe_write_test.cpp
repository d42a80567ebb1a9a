// The one safe way to write a file: the system calls in their order (the
// temporary created exclusively with mode 0600 and synced before the rename),
// the refusals table for replacing and appending, and a second process
// swapping a link in and out of the target while the program writes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "base/file_replace.h"
#include "base/temporary_files.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

std::string Text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Notes the calls that matter for a replacement, with the temporary's name
// written as "temp".
class RecordingOperations final : public FileOperations {
public:
    int OpenAt(int folder, const char* name, int flags, mode_t mode) override {
        const int fd = FileOperations::OpenAt(folder, name, flags, mode);
        if ((flags & O_CREAT) != 0) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode));
            calls.push_back("create " + Shown(name) + ((flags & O_EXCL) ? " excl" : "") +
                            ((flags & O_NOFOLLOW) ? " nofollow" : "") + " " + octal);
        }
        if (fd >= 0) names[fd] = (flags & O_DIRECTORY) ? "folder" : name;
        return fd;
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        calls.push_back("write " + Shown(names[fd]));
        return FileOperations::Write(fd, data, size);
    }
    int Sync(int fd) override {
        const std::string what = Shown(names[fd]);
        calls.push_back("sync " + what);
        if (what == "temp") {
            struct stat info {};
            ::fstat(fd, &info);
            tempModeAtSync = info.st_mode & 07777;
        }
        return FileOperations::Sync(fd);
    }
    int RenameAt(int fromFolder, const char* from, int toFolder, const char* to) override {
        calls.push_back("rename " + Shown(from) + " " + Shown(to));
        return FileOperations::RenameAt(fromFolder, from, toFolder, to);
    }
    int ChangeMode(int fd, mode_t mode) override {
        char octal[8];
        std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode));
        calls.push_back(std::string("chmod ") + octal);
        return FileOperations::ChangeMode(fd, mode);
    }
    mode_t CreationMask() override { return 022; }

    std::vector<std::string> calls;
    std::map<int, std::string> names;
    mode_t tempModeAtSync = 0;

private:
    static std::string Shown(const std::string& name) { return IsTemporaryName(name) ? "temp" : name; }
};

TEST(SafeWriteTest, TheTemporaryIsExclusivePrivateAndSyncedBeforeTheRename) {
    test::TempFolder folder;
    RecordingOperations ops;
    const WriteFolder at(folder.str(), ops);
    ASSERT_FALSE(ReplaceFileAt(at, "a.csv", "bytes"));
    EXPECT_EQ(ops.calls, (std::vector<std::string>{"create temp excl nofollow 0600", "write temp", "sync temp",
                                                   "rename temp a.csv", "chmod 0644", "sync folder"}));
    EXPECT_EQ(ops.tempModeAtSync, 0600u);
    EXPECT_EQ(Text(folder / "a.csv"), "bytes");
    EXPECT_EQ(ModeOf(folder / "a.csv"), 0644u);  // a new file: 0666 less the umask, once it has its name

    // An existing file keeps its bits; a private one needs no change.
    ::chmod((folder / "a.csv").c_str(), 0600);
    ops.calls.clear();
    ASSERT_FALSE(ReplaceFileAt(at, "a.csv", "again"));
    EXPECT_EQ(ops.calls, (std::vector<std::string>{"create temp excl nofollow 0600", "write temp", "sync temp",
                                                   "rename temp a.csv", "sync folder"}));
}

// What a replacement refuses, for root as for any user; the file stays.
TEST(SafeWriteTest, WhatIsNotTheWritersOwnRegularFileIsRefused) {
    test::TempFolder folder;
    test::TempFolder outside;
    const std::string secret = outside / "secret";
    std::ofstream(secret) << "secret";
    ::chmod(secret.c_str(), 0600);
    fs::create_symlink(secret, folder / "link.csv");
    std::ofstream(folder / "locked.csv") << "locked";
    ::chmod((folder / "locked.csv").c_str(), 0444);
    fs::create_directory(folder / "folder.csv");
    ASSERT_EQ(::mkfifo((folder / "fifo.csv").c_str(), 0600), 0);
    const WriteFolder at(folder.str());

    struct Row {
        std::string name;
        LinkRule links;
        std::errc expected;
    };
    const std::vector<Row> rows = {
        {"link.csv", LinkRule::Refuse, std::errc::too_many_symbolic_link_levels},
        {"locked.csv", LinkRule::Refuse, std::errc::permission_denied},
        {"folder.csv", LinkRule::Refuse, std::errc::is_a_directory},
        {"fifo.csv", LinkRule::Refuse, std::errc::invalid_argument},  // and no wait for a writer
        {"sub/x.csv", LinkRule::Refuse, std::errc::invalid_argument},
        {"..", LinkRule::Refuse, std::errc::is_a_directory},
        {"", LinkRule::Refuse, std::errc::is_a_directory},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ReplaceFileAt(at, row.name, "new", row.links), row.expected);
        EXPECT_EQ(AppendToFileAt(at, row.name, "new", 1024), row.expected);
    }
    EXPECT_EQ(Text(secret), "secret");
    EXPECT_EQ(Text(folder / "locked.csv"), "locked");
    EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"fifo.csv", "folder.csv", "link.csv", "locked.csv"}));
}

TEST(SafeWriteTest, AnotherUsersFileOrLinkIsRefusedEvenToRoot) {
    if (::geteuid() != 0) GTEST_SKIP() << "only a privileged user can give a file away";
    test::TempFolder folder;
    ::chmod(folder.str().c_str(), 0700);
    std::ofstream(folder / "theirs.csv") << "theirs";
    ASSERT_EQ(::chown((folder / "theirs.csv").c_str(), 65534, 65534), 0);
    std::ofstream(folder / "target.csv") << "target";
    fs::create_symlink("target.csv", folder / "their-link.csv");
    ASSERT_EQ(::lchown((folder / "their-link.csv").c_str(), 65534, 65534), 0);
    const WriteFolder at(folder.str());
    EXPECT_EQ(ReplaceFileAt(at, "theirs.csv", "new"), std::errc::operation_not_permitted);
    EXPECT_EQ(AppendToFileAt(at, "theirs.csv", "new", 1024), std::errc::operation_not_permitted);
    EXPECT_EQ(ReplaceFileAt(at, "their-link.csv", "new", LinkRule::FollowOwn), std::errc::too_many_symbolic_link_levels);
    EXPECT_EQ(Text(folder / "theirs.csv"), "theirs");
    EXPECT_EQ(Text(folder / "target.csv"), "target");
}

// The export follows the user's own link only in a folder no one else may write.
TEST(SafeWriteTest, AnOwnLinkIsFollowedOnlyInAPrivateFolder) {
    test::TempFolder folder;
    test::TempFolder elsewhere;
    std::ofstream(elsewhere / "real.csv") << "real";
    ::chmod(elsewhere.str().c_str(), 0700);
    fs::create_symlink(elsewhere / "real.csv", folder / "a.csv");
    for (const mode_t shared : {01777, 0775, 0757}) {
        ::chmod(folder.str().c_str(), shared);
        EXPECT_EQ(ReplaceFileAt(WriteFolder(folder.str()), "a.csv", "new", LinkRule::FollowOwn),
                  std::errc::too_many_symbolic_link_levels)
            << std::oct << shared;
    }
    EXPECT_EQ(Text(elsewhere / "real.csv"), "real");
    ::chmod(folder.str().c_str(), 0755);
    ASSERT_FALSE(ReplaceFileAt(WriteFolder(folder.str()), "a.csv", "new", LinkRule::FollowOwn));
    EXPECT_EQ(Text(elsewhere / "real.csv"), "new");
    EXPECT_TRUE(fs::is_symlink(folder / "a.csv"));
    EXPECT_EQ(Names(elsewhere.path()), std::vector<std::string>{"real.csv"});
}

TEST(SafeWriteTest, AppendingAddsToTheFileCreatesItPrivateAndStopsAtTheLimit) {
    test::TempFolder folder;
    const WriteFolder at(folder.str());
    ASSERT_FALSE(AppendToFileAt(at, "history", "one\n", 12));
    ASSERT_FALSE(AppendToFileAt(at, "history", "two\n", 12));
    EXPECT_EQ(Text(folder / "history"), "one\ntwo\n");
    EXPECT_EQ(ModeOf(folder / "history"), 0600u);
    EXPECT_EQ(AppendToFileAt(at, "history", "three\n", 12), std::errc::file_too_large);
    EXPECT_EQ(Text(folder / "history"), "one\ntwo\n");
    EXPECT_EQ(LoadFileAt(at, "history", 12).bytes, "one\ntwo\n");
    EXPECT_EQ(LoadFileAt(at, "history", 4).error, std::errc::file_too_large);
}

// A second process swaps a link to a file outside the folder in and out of
// the target, and watches every temporary, while this one writes thousands
// of times: nothing outside the folder changes, and no temporary is ever
// readable by others.
TEST(SafeWriteTest, ALinkSwappedInAndOutOfTheTargetIsNeverFollowed) {
    test::TempFolder shared;
    test::TempFolder outside;
    ::chmod(shared.str().c_str(), 01777);  // a folder others may write, as /tmp
    const std::string secret = outside / "secret";
    std::ofstream(secret) << "secret bytes";
    ::chmod(secret.c_str(), 0600);
    struct stat before {};
    ASSERT_EQ(::stat(secret.c_str(), &before), 0);
    std::ofstream(shared / "Quillmoor.ini") << "[SETTING]\r\n";

    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t swapper = ::fork();
    ASSERT_GE(swapper, 0);
    if (swapper == 0) {
        ::close(report[0]);
        const std::string target = shared / "Quillmoor.ini";
        const std::string link = shared / "swap-link";
        const std::string plain = shared / "swap-file";
        for (unsigned round = 0;; ++round) {
            if (round % 2 == 0) {
                ::symlink(secret.c_str(), link.c_str());
                ::rename(link.c_str(), target.c_str());
            } else {
                if (int fd = ::open(plain.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600); fd >= 0) ::close(fd);
                ::rename(plain.c_str(), target.c_str());
            }
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(shared.path(), ec)) {
                struct stat info {};
                if (IsTemporaryName(entry.path().filename().string()) && ::lstat(entry.path().c_str(), &info) == 0 &&
                    (info.st_mode & 077) != 0) {
                    (void)!::write(report[1], "R", 1);  // a temporary others could read
                }
            }
        }
    }
    ::close(report[1]);
    // The syncs cost time and play no part in the race; a pause after each
    // write keeps the temporary in sight of the watcher for a moment.
    class RaceOperations final : public FileOperations {
        int Sync(int) override { return 0; }
        ssize_t Write(int fd, const void* data, std::size_t size) override {
            const ssize_t put = FileOperations::Write(fd, data, size);
            ::usleep(20);
            return put;
        }
    } ops;
    // Thousands of writes, and on a busy machine as many more as it takes
    // for the swapper to have been seen in both phases.
    int written = 0, refused = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (int i = 0; (i < 3000 || written == 0 || refused == 0) && std::chrono::steady_clock::now() < deadline; ++i) {
        const std::error_code error = UpdateFileAt(WriteFolder(shared.str(), ops), "Quillmoor.ini", 4096,
                                                   [&](const LoadedFile& current) {
                                                       EXPECT_EQ(current.bytes.find("secret"), std::string::npos);
                                                       return FileUpdate{{}, current.bytes + "x"};
                                                   });
        ++(error ? refused : written);
    }
    ::kill(swapper, SIGKILL);
    ::waitpid(swapper, nullptr, 0);
    char seen = 0;
    ::fcntl(report[0], F_SETFL, O_NONBLOCK);
    EXPECT_NE(::read(report[0], &seen, 1), 1) << "a temporary was readable by others";
    ::close(report[0]);

    EXPECT_GT(written, 0);
    EXPECT_GT(refused, 0);
    EXPECT_EQ(Text(secret), "secret bytes");
    struct stat after {};
    ASSERT_EQ(::stat(secret.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    for (const std::string& name : Names(shared.path())) {
        EXPECT_FALSE(IsTemporaryName(name)) << name;
        if (!fs::is_symlink(shared / name)) {
            EXPECT_EQ(Text(shared / name).find("secret"), std::string::npos) << name;
        }
    }
}

}  // namespace
}  // namespace qm
