// NVMe controllers on Linux without a controller: what sysfs says about
// them, and the admin-command handle on a node that is no controller.
#include "drives/linux/linux_nvme.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "drives/linux/linux_drives.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

class NvmeSysfs : public testing::Test {
protected:
    void Write(const std::string& file, const std::string& text) {
        fs::create_directories((sys / file).parent_path());
        std::ofstream(sys / file) << text;
    }
    test::TempFolder root;
    fs::path sys = root.path() / "sys";
};

TEST_F(NvmeSysfs, IdentityAndTemperatureAsTheSystemShowsThemToEveryUser) {
    Write("class/nvme/nvme0/model", "QEMU NVMe Ctrl                          \n");
    Write("class/nvme/nvme0/serial", "QMNVME0001\n");
    Write("class/nvme/nvme0/firmware_rev", "7.2.22\n");
    Write("class/nvme/nvme0/hwmon3/temp1_input", "49850\n");
    const auto info = ReadNvmePublicInfo(sys, "nvme0");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->model, "QEMU NVMe Ctrl                          ");
    EXPECT_EQ(info->serial, "QMNVME0001");
    EXPECT_EQ(info->firmware, "7.2.22");
    EXPECT_EQ(info->milliCelsius, 49850);

    Write("class/nvme/nvme1/serial", "S1\n");
    Write("class/nvme/nvme1/hwmon0/temp1_input", "hot\n");
    const auto partial = ReadNvmePublicInfo(sys, "nvme1");
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->model, "");
    EXPECT_EQ(partial->milliCelsius, std::nullopt);

    EXPECT_EQ(ReadNvmePublicInfo(sys, "nvme2"), std::nullopt);
    EXPECT_EQ(ReadNvmePublicInfo(sys, "../nvme/nvme0"), std::nullopt);
}

TEST_F(NvmeSysfs, TheFirstNamespaceIsTheHeadTheSystemMounts) {
    fs::create_directories(sys / "class/nvme/nvme0/nvme0n2");
    fs::create_directories(sys / "class/nvme/nvme0/nvme0n1");
    fs::create_directories(sys / "class/nvme/nvme0/hwmon0");
    EXPECT_EQ(FirstNamespace(sys, "nvme0"), "nvme0n1");
    // Native multipath: the controller holds its path ("nvme3c1n1"), the
    // system mounts the head of the subsystem ("nvme3n1").
    fs::create_directories(sys / "class/nvme/nvme1/nvme3c1n4");
    fs::create_directories(sys / "class/nvme/nvme1/nvme3c1n1");
    EXPECT_EQ(FirstNamespace(sys, "nvme1"), "nvme3n1");
    fs::create_directories(sys / "class/nvme/nvme2/nvme2n1p1x");
    EXPECT_EQ(FirstNamespace(sys, "nvme2"), std::nullopt);
    EXPECT_EQ(FirstNamespace(sys, "nvme9"), std::nullopt);
}

TEST_F(NvmeSysfs, CapacityFromTheNamespacesSizeAndBlockSize) {
    Write("block/nvme0n1/size", "131072\n");  // 512-byte units: 64 MiB
    Write("block/nvme0n1/queue/logical_block_size", "512\n");
    EXPECT_EQ(SysfsGeometry(sys, "nvme0n1"), GeometryFromSize(std::uint64_t{64} << 20, 512));
    Write("block/nvme1n1/size", "1000215216\n");
    Write("block/nvme1n1/queue/logical_block_size", "4096\n");
    EXPECT_EQ(SysfsGeometry(sys, "nvme1n1"), GeometryFromSize(std::uint64_t{1000215216} * 512, 4096));
    Write("block/nvme2n1/size", "-5\n");
    Write("block/nvme2n1/queue/logical_block_size", "512\n");
    EXPECT_EQ(SysfsGeometry(sys, "nvme2n1"), DiskGeometry{});
    EXPECT_EQ(SysfsGeometry(sys, "nvme3n1"), std::nullopt);

    // The provider's capacity of a controller slot needs no node and no rights.
    fs::create_directories(sys / "class/nvme/nvme0/nvme0n1");
    LinuxDriveProvider provider(root.path() / "dev", LinuxVolumes(sys), sys);
    EXPECT_EQ(provider.KindOf(0), DriveKind::Nvme);
    EXPECT_EQ(provider.QueryDriveGeometry(0), GeometryFromSize(std::uint64_t{64} << 20, 512));
    EXPECT_EQ(provider.OpenDrive(0, DriverFamily::Nt), nullptr);  // never as an ATA disk
    EXPECT_EQ(provider.OpenNvme(0), nullptr);                     // no node
}

TEST_F(NvmeSysfs, ANodeThatIsNoControllerRefusesEveryCommand) {
    const fs::path node = root.path() / "nvme0";
    std::ofstream(node) << std::string(8192, 'x');
    LinuxNvmeHandle handle(UniqueFd(::open(node.c_str(), O_RDONLY | O_CLOEXEC)));
    NvmeCommandBlock identify;
    identify.bytes[nvme_cb::Opcode] = nvme::Identify;
    identify.setCdw(10, nvme::IdentifyController);
    std::array<std::uint8_t, nvme::IdentifySize> data{};
    EXPECT_FALSE(handle.AdminCommand(identify, data));
    // A buffer that is not the command's length, and an opcode whose length
    // cannot be told, are refused without a call.
    EXPECT_FALSE(SendNvmeAdminCommand(-1, identify, std::span(data).first(512)));
    NvmeCommandBlock format;
    format.bytes[nvme_cb::Opcode] = 0x80;
    EXPECT_FALSE(SendNvmeAdminCommand(-1, format, {}));
}

}  // namespace
}  // namespace qm
