// The seam's own rules: which numbers are slots, the published geometry, and
// which power modes are sleep.
#include <gtest/gtest.h>

#include "drives/device.h"

namespace qm {
namespace {

static_assert(IsValidSlot(0) && IsValidSlot(15));
static_assert(!IsValidSlot(-1) && !IsValidSlot(16));

TEST(DeviceGeometry, CylindersFollowTheConventionalTranslation) {
    // A 64 MiB disk of 512-byte sectors has 8 whole cylinders of 255 x 63 sectors.
    // The exact size rides along: the whole cylinders alone lose the rest.
    EXPECT_EQ(GeometryFromSize(64ull << 20, 512), (DiskGeometry{8, 255, 63, 512, 64ull << 20}));
    EXPECT_EQ(GeometryFromSize(64ull << 20, 4096), (DiskGeometry{1, 255, 63, 4096, 64ull << 20}));
    // 2 TB disk: more cylinders than 16 bits hold.
    EXPECT_EQ(GeometryFromSize(2'000'398'934'016ull, 512), (DiskGeometry{243201, 255, 63, 512, 2'000'398'934'016ull}));
    // Smaller than one cylinder.
    EXPECT_EQ(GeometryFromSize(1 << 20, 512), (DiskGeometry{0, 255, 63, 512, 1 << 20}));
    EXPECT_EQ(GeometryFromSize(0, 512), DiskGeometry{});
    EXPECT_EQ(GeometryFromSize(64ull << 20, 0), DiskGeometry{});
}

TEST(DevicePowerMode, OnlyTheStandbyCountsMeanAsleep) {
    for (const int count : {0x00, 0x01, 0x40}) EXPECT_EQ(PowerModeFromCount(count), PowerMode::Standby) << count;
    for (const int count : {0x41, 0x80, 0x81, 0x83, 0xFF, 0x02, 0x7F}) {
        EXPECT_EQ(PowerModeFromCount(count), PowerMode::Awake) << count;
    }
}

}  // namespace
}  // namespace qm
