#include "drives/linux/linux_drives.h"
#include "drives/linux/linux_power.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <random>

namespace qm {
namespace {

namespace fs = std::filesystem;

// A device folder and a sysfs in a fresh temporary folder instead of /dev
// and /sys.
class FakeDeviceDir : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(testing::TempDir()) /
               ("qm_devices_" + std::to_string(std::random_device{}()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        sys_ = dir_ / "sys";
        fs::create_directories(sys_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A regular file where a disk node would be: it opens, but is no disk.
    void PlainFile(const std::string& name) { std::ofstream(dir_ / name) << std::string(4096, 'x'); }
    // A whole disk the kernel reports (sysfs), with or without its node.
    void SysfsDisk(const std::string& name) {
        fs::create_directories(sys_ / (name.starts_with("nvme") ? "class/nvme" : "block") / name);
    }
    void Disk(const std::string& name) {
        SysfsDisk(name);
        PlainFile(name);
    }
    LinuxDriveProvider Provider() { return LinuxDriveProvider(dir_, LinuxVolumes(sys_, dir_ / "mountinfo"), sys_); }

    static std::size_t OpenFdCount() {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
    }

    fs::path dir_;
    fs::path sys_;
};

TEST_F(FakeDeviceDir, EmptySlotFailsAtTheOpen) {
    SysfsDisk("sda");  // reported, but without a node
    LinuxDriveProvider provider = Provider();
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_EQ(provider.OpenDrive(slot, DriverFamily::Nt), nullptr) << slot;
        EXPECT_EQ(provider.QueryDriveGeometry(slot), std::nullopt) << slot;
        EXPECT_TRUE(provider.VolumesOf(slot).empty());
    }
    for (DriveSlot slot : {-1, 16, 1000}) {
        EXPECT_EQ(provider.OpenDrive(slot, DriverFamily::Nt), nullptr);
        EXPECT_EQ(provider.QueryDriveGeometry(slot), std::nullopt);
        EXPECT_TRUE(provider.VolumesOf(slot).empty());
    }
}

TEST_F(FakeDeviceDir, NineFamilyPathDoesNotExist) {
    Disk("sda");
    LinuxDriveProvider provider = Provider();
    EXPECT_EQ(provider.OpenDrive(0, DriverFamily::Nine), nullptr);
    EXPECT_NE(provider.OpenDrive(0, DriverFamily::Nt), nullptr);
}

TEST_F(FakeDeviceDir, NodeThatIsNoDiskFailsTheVersionQueryAndEveryExchange) {
    Disk("sdb");
    LinuxDriveProvider provider = Provider();
    const std::size_t before = OpenFdCount();
    {
        auto handle = provider.OpenDrive(0, DriverFamily::Nt);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(OpenFdCount(), before + 1);
        EXPECT_FALSE(handle->SmartGetVersion());

        CommandBlock identify;
        identify.setBufferSize(512);
        identify.bytes[cb::SectorCount] = 1;
        identify.bytes[cb::SectorNumber] = 1;
        identify.bytes[cb::DriveHead] = 0xA0;
        identify.bytes[cb::Command] = ata::IdentifyDevice;
        std::array<std::uint8_t, kDataOutputSize> out{};
        EXPECT_FALSE(handle->Exchange(ControlCode::ReceiveDriveData, identify, out));
        EXPECT_EQ(std::count(out.begin() + kDataOffset, out.end(), 0), static_cast<std::ptrdiff_t>(kSectorSize));

        // Output buffers smaller than the exchange needs, and unknown control codes, are refused up front.
        std::array<std::uint8_t, kStatusOutputSize> small{};
        EXPECT_FALSE(handle->Exchange(ControlCode::ReceiveDriveData, identify, small));
        EXPECT_FALSE(handle->Exchange(ControlCode::SendDriveCommand, identify, std::span(small).first(15)));
        EXPECT_FALSE(handle->Exchange(static_cast<ControlCode>(0x00074080), identify, out));
    }
    EXPECT_EQ(OpenFdCount(), before);  // the handle closed its descriptor
}

TEST_F(FakeDeviceDir, GeometryOfAnOpenedNodeWhoseQueryFailsIsAllZero) {
    Disk("sdc");
    LinuxDriveProvider provider = Provider();
    EXPECT_EQ(provider.QueryDriveGeometry(0), DiskGeometry{});
}

TEST_F(FakeDeviceDir, VolumesComeFromTheSlotsDisk) {
    Disk("sda");
    fs::create_directories(sys_ / "block/sdb/sdb1");
    std::ofstream(sys_ / "block/sdb/dev") << "8:16\n";
    std::ofstream(sys_ / "block/sdb/sdb1/dev") << "8:17\n";
    std::ofstream(sys_ / "block/sdb/sdb1/partition") << "1\n";
    // An NVMe controller's volumes are those of its first namespace.
    SysfsDisk("nvme0");
    fs::create_directories(sys_ / "class/nvme/nvme0/nvme0n1");
    fs::create_directories(sys_ / "block/nvme0n1/nvme0n1p2");
    std::ofstream(sys_ / "block/nvme0n1/dev") << "259:0\n";
    std::ofstream(sys_ / "block/nvme0n1/nvme0n1p2/dev") << "259:2\n";
    std::ofstream(sys_ / "block/nvme0n1/nvme0n1p2/partition") << "2\n";
    std::ofstream(dir_ / "mountinfo") << "30 1 8:17 / /srv/data rw - ext4 /dev/sdb1 rw\n"
                                      << "31 1 259:2 / /home rw - ext4 /dev/nvme0n1p2 rw\n";
    LinuxDriveProvider provider = Provider();
    EXPECT_TRUE(provider.VolumesOf(0).empty());
    EXPECT_EQ(provider.VolumesOf(1), std::vector<std::string>{"/srv/data"});
    EXPECT_EQ(provider.VolumesOf(2), std::vector<std::string>{"/home"});
}

// A disk the kernel has suspended counts as asleep without a command (slot 0
// has no node at all, so nothing was opened); any other state is asked.
TEST_F(FakeDeviceDir, KernelSuspendedDiskSleepsWithoutBeingAsked) {
    const fs::path& sys = sys_;
    const auto status = [&](const std::string& folder, const std::string& text) {
        fs::create_directories(sys / "class" / folder / "device/power");
        std::ofstream(sys / "class" / folder / "device/power/runtime_status") << text;
    };
    status("block/sda", "suspended\n");
    status("block/sdb", "active\n");
    status("block/sdc", "suspending\n");
    status("nvme/nvme0", "suspended\n");
    status("nvme/nvme1", "active\n");
    SysfsDisk("sda");
    Disk("sdb");
    Disk("sdc");
    SysfsDisk("sdd");
    Disk("nvme0");
    Disk("nvme1");
    LinuxDriveProvider provider = Provider();
    CommandBlock query;
    query.bytes[cb::Command] = ata::CheckPowerMode;
    EXPECT_EQ(provider.QueryPowerMode(0, query), PowerMode::Standby);
    EXPECT_EQ(provider.QueryPowerMode(1, query), std::nullopt);  // asked: a plain file takes no command
    EXPECT_EQ(provider.QueryPowerMode(2, query), std::nullopt);
    EXPECT_EQ(provider.QueryPowerMode(3, query), std::nullopt);  // no node
    EXPECT_EQ(provider.QueryPowerMode(4, query), PowerMode::Standby);  // a suspended NVMe controller
    EXPECT_EQ(provider.QueryPowerMode(5, query), std::nullopt);  // an awake one is read, never asked
    EXPECT_EQ(provider.QueryPowerMode(16, query), std::nullopt);
    EXPECT_TRUE(KernelSuspended(sys, "sda"));
    EXPECT_FALSE(KernelSuspended(sys, "../class/block/sda"));
    EXPECT_FALSE(KernelSuspended(sys, ""));
}

}  // namespace
}  // namespace qm
