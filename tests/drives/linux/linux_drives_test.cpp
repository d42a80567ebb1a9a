#include "drives/linux/linux_drives.h"
#include "drives/linux/linux_power.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <random>

namespace qm {
namespace {

namespace fs = std::filesystem;

TEST(LinuxSlots, SlotNamesTheSdNodes) {
    EXPECT_EQ(BlockDeviceName(0), "sda");
    EXPECT_EQ(BlockDeviceName(1), "sdb");
    EXPECT_EQ(BlockDeviceName(15), "sdp");
    EXPECT_EQ(BlockDeviceName(-1), std::nullopt);
    EXPECT_EQ(BlockDeviceName(16), std::nullopt);

    LinuxDriveProvider provider;
    EXPECT_EQ(provider.DevicePath(0), fs::path("/dev/sda"));
    EXPECT_EQ(provider.DevicePath(15), fs::path("/dev/sdp"));
    EXPECT_EQ(provider.DevicePath(16), std::nullopt);
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) EXPECT_TRUE(provider.IsNtFamily(slot));
}

// A device folder in a fresh temporary folder instead of /dev.
class FakeDeviceDir : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(testing::TempDir()) /
               ("qm_devices_" + std::to_string(std::random_device{}()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A regular file where a disk node would be: it opens, but is no disk.
    void PlainFile(const std::string& name) { std::ofstream(dir_ / name) << std::string(4096, 'x'); }

    static std::size_t OpenFdCount() {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
    }

    fs::path dir_;
};

TEST_F(FakeDeviceDir, EmptySlotFailsAtTheOpen) {
    LinuxDriveProvider provider(dir_);
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
    PlainFile("sda");
    LinuxDriveProvider provider(dir_);
    EXPECT_EQ(provider.OpenDrive(0, DriverFamily::Nine), nullptr);
    EXPECT_NE(provider.OpenDrive(0, DriverFamily::Nt), nullptr);
}

TEST_F(FakeDeviceDir, NodeThatIsNoDiskFailsTheVersionQueryAndEveryExchange) {
    PlainFile("sdb");
    LinuxDriveProvider provider(dir_);
    const std::size_t before = OpenFdCount();
    {
        auto handle = provider.OpenDrive(1, DriverFamily::Nt);
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
    PlainFile("sdc");
    LinuxDriveProvider provider(dir_);
    EXPECT_EQ(provider.QueryDriveGeometry(2), DiskGeometry{});
}

TEST_F(FakeDeviceDir, VolumesComeFromTheSlotsDisk) {
    const fs::path sys = dir_ / "sys";
    fs::create_directories(sys / "block/sdb/sdb1");
    std::ofstream(sys / "block/sdb/dev") << "8:16\n";
    std::ofstream(sys / "block/sdb/sdb1/dev") << "8:17\n";
    std::ofstream(sys / "block/sdb/sdb1/partition") << "1\n";
    std::ofstream(dir_ / "mountinfo") << "30 1 8:17 / /srv/data rw - ext4 /dev/sdb1 rw\n";
    LinuxDriveProvider provider(dir_, LinuxVolumes(sys, dir_ / "mountinfo"));
    EXPECT_TRUE(provider.VolumesOf(0).empty());
    EXPECT_EQ(provider.VolumesOf(1), std::vector<std::string>{"/srv/data"});
}

// A disk the kernel has suspended counts as asleep without a command (slot 0
// has no node at all, so nothing was opened); any other state is asked.
TEST_F(FakeDeviceDir, KernelSuspendedDiskSleepsWithoutBeingAsked) {
    const fs::path sys = dir_ / "sys";
    const auto status = [&](const std::string& disk, const std::string& text) {
        fs::create_directories(sys / "class/block" / disk / "device/power");
        std::ofstream(sys / "class/block" / disk / "device/power/runtime_status") << text;
    };
    status("sda", "suspended\n");
    status("sdb", "active\n");
    status("sdc", "suspending\n");
    PlainFile("sdb");
    PlainFile("sdc");
    LinuxDriveProvider provider(dir_, LinuxVolumes(), sys);
    CommandBlock query;
    query.bytes[cb::Command] = ata::CheckPowerMode;
    EXPECT_EQ(provider.QueryPowerMode(0, query), PowerMode::Standby);
    EXPECT_EQ(provider.QueryPowerMode(1, query), std::nullopt);  // asked: a plain file takes no command
    EXPECT_EQ(provider.QueryPowerMode(2, query), std::nullopt);
    EXPECT_EQ(provider.QueryPowerMode(3, query), std::nullopt);  // no node
    EXPECT_EQ(provider.QueryPowerMode(16, query), std::nullopt);
    EXPECT_TRUE(KernelSuspended(sys, "sda"));
    EXPECT_FALSE(KernelSuspended(sys, "../class/block/sda"));
    EXPECT_FALSE(KernelSuspended(sys, ""));
}

}  // namespace
}  // namespace qm
