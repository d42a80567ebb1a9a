#include "drives/linux/linux_volumes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace qm {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A fake /sys and mount table in a fresh temporary folder.
class FakeSystem : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::path(testing::TempDir()) /
                ("qm_volumes_" + std::to_string(std::random_device{}()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "sys" / "block");
    }
    void TearDown() override { fs::remove_all(root_); }

    void Disk(const std::string& name, const std::string& dev) { Write(root_ / "sys/block" / name / "dev", dev + "\n"); }
    void Partition(const std::string& disk, const std::string& name, const std::string& number,
                   const std::string& dev) {
        Write(root_ / "sys/block" / disk / name / "partition", number + "\n");
        Write(root_ / "sys/block" / disk / name / "dev", dev + "\n");
    }
    void MountInfo(const std::string& text) { Write(root_ / "mountinfo", text); }
    Names Of(const std::string& disk) const {
        return LinuxVolumes(root_ / "sys", root_ / "mountinfo").MountPointsOf(disk);
    }

    fs::path root_;
};

TEST_F(FakeSystem, MountedPartitionsInPartitionNumberOrderFirstMountEach) {
    Disk("sda", "8:0");
    Partition("sda", "sda1", "1", "8:1");
    Partition("sda", "sda2", "2", "8:2");
    Partition("sda", "sda3", "3", "8:3");      // never mounted
    Partition("sda", "sda10", "10", "8:10");  // sorts before sda2 by name, after it by number
    fs::create_directories(root_ / "sys/block/sda/queue");
    Write(root_ / "sys/block/sda/queue/dev", "8:1\n");  // not a partition: no "partition" file
    Disk("sdb", "8:16");
    Partition("sdb", "sdb1", "1", "8:17");
    MountInfo(
        "21 1 0:19 / /proc rw,relatime - proc proc rw\n"
        "30 1 8:10 / /data10 rw,relatime shared:5 - ext4 /dev/sda10 rw\n"
        "31 1 8:2 / /mnt/my\\040disk rw - ext4 /dev/sda2 rw\n"
        "32 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "33 1 8:1 /srv /srv/bound rw - ext4 /dev/sda1 rw\n"
        "34 1 8:17 / /home rw - ext4 /dev/sdb1 rw\n");
    EXPECT_EQ(Of("sda"), (Names{"/", "/mnt/my disk", "/data10"}));
    EXPECT_EQ(Of("sdb"), (Names{"/home"}));
}

TEST_F(FakeSystem, WholeDiskMountAndUnmountedDisks) {
    Disk("sdc", "8:32");
    Disk("sdd", "8:48");
    Partition("sdd", "sdd1", "1", "8:49");
    MountInfo("40 1 8:32 / /media/whole rw - ext2 /dev/sdc rw\n");
    EXPECT_EQ(Of("sdc"), (Names{"/media/whole"}));
    EXPECT_EQ(Of("sdd"), Names{});
}

TEST_F(FakeSystem, MissingOrBrokenFilesGiveWhatCanBeRead) {
    Disk("sda", "8:0");
    Partition("sda", "sda1", "1", "8:1");
    Write(root_ / "sys/block/sda/sda2/partition", "2\n");  // no dev file
    Partition("sda", "sda3", "three", "8:3");               // unreadable number
    Partition("sda", "sda4", "4", "garbage");
    // No mount table at all.
    EXPECT_EQ(Of("sda"), Names{});

    MountInfo(
        "short line\n"
        "\n"
        "50 1 x:y / /bad rw - ext4 /dev/x rw\n"
        "51 1 8:2 / /nodev rw - ext4 /dev/sda2 rw\n"
        "52 1 8:3 / /three rw - ext4 /dev/sda3 rw\n"
        "53 1 8:1 / /one rw - ext4 /dev/sda1 rw");  // last line without a line break
    EXPECT_EQ(Of("sda"), (Names{"/one"}));

    EXPECT_EQ(Of("sdz"), Names{});  // no such disk
}

TEST_F(FakeSystem, PartitionsAreTheFoldersNamedAfterTheDisk) {
    Disk("nvme0n1", "259:0");
    Partition("nvme0n1", "nvme0n1p1", "1", "259:1");
    Partition("nvme0n1", "holder", "2", "253:0");  // looks like a partition, is not named like one
    Disk("sdb", "8:16");
    MountInfo(
        "20 1 0:5 / /dev rw - devtmpfs udev rw\n"  // anonymous devices (major 0) are never a disk
        "70 1 253:0 / /mapped rw - ext4 /dev/dm-0 rw\n"
        "71 1 259:1 / /efi rw - vfat /dev/nvme0n1p1 rw\n");
    EXPECT_EQ(Of("nvme0n1"), (Names{"/efi"}));
    EXPECT_EQ(Of("sdb"), Names{});
}

TEST_F(FakeSystem, NamesThatAreNotPlainAreNotLookedUp) {
    Disk("sda", "8:0");
    MountInfo("60 1 8:0 / /whole rw - ext2 /dev/sda rw\n");
    EXPECT_EQ(Of("sda"), (Names{"/whole"}));
    for (const char* name : {"", ".", "..", "../block/sda", "sda/..", "/sys/block/sda"}) {
        EXPECT_EQ(Of(name), Names{}) << name;
    }
}

TEST(MountField, OctalEscapes) {
    EXPECT_EQ(DecodeMountField("/mnt/a\\040b"), "/mnt/a b");
    EXPECT_EQ(DecodeMountField("/mnt/back\\134slash"), "/mnt/back\\slash");
    EXPECT_EQ(DecodeMountField("/mnt/\\343\\201\\202"), "/mnt/\xE3\x81\x82");  // UTF-8 bytes pass through
    // Control characters stay escaped: no line break or tab reaches a list or a file.
    EXPECT_EQ(DecodeMountField("/mnt/x\\012[SETTING]"), "/mnt/x\\012[SETTING]");
    EXPECT_EQ(DecodeMountField("/mnt/tab\\011"), "/mnt/tab\\011");
    EXPECT_EQ(DecodeMountField("/mnt/del\\177"), "/mnt/del\\177");
    // Incomplete or non-octal escapes are kept literally.
    EXPECT_EQ(DecodeMountField("/end\\04"), "/end\\04");
    EXPECT_EQ(DecodeMountField("/end\\"), "/end\\");
    EXPECT_EQ(DecodeMountField("/x\\089"), "/x\\089");
    EXPECT_EQ(DecodeMountField("/big\\777"), "/big\\777");
}

TEST(MountField, DeviceNumbers) {
    EXPECT_EQ(ParseDeviceNumber("8:1"), (DeviceNumber{8, 1}));
    EXPECT_EQ(ParseDeviceNumber(" 259:12\n"), (DeviceNumber{259, 12}));
    for (const char* bad : {"", ":", "8:", ":1", "8-1", "8:1:2", "a:b", "-8:1", "8:99999999999"}) {
        EXPECT_EQ(ParseDeviceNumber(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace qm
