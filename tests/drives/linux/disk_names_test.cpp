// Which disk each slot is: the names the helper and the provider build, the
// order of the slots and a map that only grows.
#include "drives/linux/disk_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "drives/linux/linux_drives.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

constexpr DiskName Sd(std::uint16_t n) { return {DiskClass::Sd, n}; }
constexpr DiskName Nvme(std::uint16_t n) { return {DiskClass::Nvme, n}; }

TEST(DiskNames, NamesAreBuiltFromClassAndNumberAndReadStrictly) {
    const std::pair<DiskName, std::string> names[] = {
        {Sd(0), "sda"},   {Sd(25), "sdz"},         {Sd(26), "sdaa"},      {Sd(701), "sdzz"},
        {Sd(702), "sdaaa"}, {Sd(kMaxSdNumber), "sdzzz"}, {Nvme(0), "nvme0"}, {Nvme(65535), "nvme65535"},
    };
    for (const auto& [disk, name] : names) {
        EXPECT_EQ(NodeName(disk), name);
        EXPECT_EQ(ParseDiskName(name), disk) << name;
    }
    EXPECT_EQ(NodeName(Sd(kMaxSdNumber + 1)), std::nullopt);
    EXPECT_EQ(NodeName(DiskName{}), std::nullopt);
    for (const char* name : {"sda1", "sdA", "sd", "sdaaaa", "sd1", "nvme", "nvme01", "nvme0n1", "nvme0c0n1",
                             "nvme65536", "nvme-1", "../sda", "sda/", "xsda", "nvme 0", "hda", ""}) {
        EXPECT_EQ(ParseDiskName(name), std::nullopt) << name;
    }
}

TEST(DiskNames, SdDisksInNameOrderThenNvmeControllersByNumber) {
    test::TempFolder sys;
    for (const char* name : {"sdb", "sdaa", "sda", "sdz", "loop0", "nvme0n1", "sr0", "dm-0"})
        fs::create_directories(sys.path() / "block" / name);
    for (const char* name : {"nvme10", "nvme2", "nvme-fabrics", "nvme0"}) fs::create_directories(sys.path() / "class/nvme" / name);
    EXPECT_EQ(ListDisks(sys.path()), (std::vector<DiskName>{Sd(0), Sd(1), Sd(25), Sd(26), Nvme(0), Nvme(2), Nvme(10)}));
    EXPECT_TRUE(ListDisks(sys.path() / "nothing").empty());
}

TEST(SlotMap, ASlotNeverChangesDiskAndNewDisksTakeTheNextFreeSlots) {
    SlotMap map({Sd(0), Nvme(0)});
    EXPECT_EQ(map.DiskOf(0), Sd(0));
    EXPECT_EQ(map.DiskOf(1), Nvme(0));
    EXPECT_EQ(map.DiskOf(2), std::nullopt);
    map.Grow({Sd(1), Nvme(0)});  // sda has gone, sdb has come
    EXPECT_EQ(map.DiskOf(0), Sd(0));
    EXPECT_EQ(map.DiskOf(1), Nvme(0));
    EXPECT_EQ(map.DiskOf(2), Sd(1));
    EXPECT_EQ(map.SlotOf(Sd(1)), 2);
    std::vector<DiskName> many;
    for (std::uint16_t n = 0; n < 40; ++n) many.push_back(Sd(n));
    map.Grow(many);
    EXPECT_EQ(map.size(), static_cast<std::size_t>(kSlotCount));
    EXPECT_EQ(map.DiskOf(15), Sd(14));
    EXPECT_EQ(map.DiskOf(16), std::nullopt);
    EXPECT_EQ(map.DiskOf(-1), std::nullopt);
}

TEST(SlotMap, TheProviderLooksForNewDisksWhenTheFirstFreeSlotIsAskedFor) {
    test::TempFolder root;
    const fs::path dev = root / "dev", sys = root / "sys";
    fs::create_directories(dev);
    const auto add = [&](const std::string& name) {
        fs::create_directories(sys / (name.starts_with("nvme") ? "class/nvme" : "block") / name);
        std::ofstream(dev / name);
    };
    add("sda");
    add("sdb");
    add("nvme0");
    LinuxDriveProvider provider(dev, LinuxVolumes(sys), sys);  // a machine with sda, sdb and nvme0: slots 0, 1, 2
    EXPECT_EQ(provider.DevicePath(0), dev / "sda");
    EXPECT_EQ(provider.DevicePath(1), dev / "sdb");
    EXPECT_EQ(provider.DevicePath(2), dev / "nvme0");
    EXPECT_EQ(provider.KindOf(1), DriveKind::Ata);
    EXPECT_EQ(provider.KindOf(2), DriveKind::Nvme);
    add("sdc");
    EXPECT_EQ(provider.KindOf(4), DriveKind::Ata);  // not the first free slot: nothing looked at
    EXPECT_EQ(provider.DevicePath(3), std::nullopt);
    EXPECT_EQ(provider.KindOf(3), DriveKind::Ata);
    EXPECT_EQ(provider.DevicePath(3), dev / "sdc");
    EXPECT_EQ(provider.DevicePath(2), dev / "nvme0");
    EXPECT_TRUE(provider.HasNode(3));
    EXPECT_FALSE(provider.HasNode(4));
}

TEST(SlotMap, TheHelpersProviderHasOnlyTheDiskOfTheRequest) {
    const LinuxDriveProvider nvme = LinuxDriveProvider::ForDisk(2, Nvme(3), "/devices", "/nowhere");
    EXPECT_EQ(nvme.DevicePath(2), fs::path("/devices/nvme3"));
    EXPECT_EQ(nvme.DevicePath(0), std::nullopt);
    EXPECT_EQ(nvme.DevicePath(3), std::nullopt);
    const LinuxDriveProvider sd = LinuxDriveProvider::ForDisk(0, Sd(1), "/devices", "/nowhere");
    EXPECT_EQ(sd.DevicePath(0), fs::path("/devices/sdb"));
    EXPECT_EQ(LinuxDriveProvider::ForDisk(16, Sd(1), "/devices", "/nowhere").DevicePath(0), std::nullopt);
}

}  // namespace
}  // namespace qm
