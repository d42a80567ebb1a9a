// The seam's own rules: which numbers are slots, and the published geometry.
#include <gtest/gtest.h>

#include "platform/device.h"

namespace qm {
namespace {

static_assert(IsValidSlot(0) && IsValidSlot(15));
static_assert(!IsValidSlot(-1) && !IsValidSlot(16));

TEST(DeviceGeometry, CylindersFollowTheConventionalTranslation) {
    // A 64 MiB disk of 512-byte sectors has 8 whole cylinders of 255 x 63 sectors.
    EXPECT_EQ(GeometryFromSize(64ull << 20, 512), (DiskGeometry{8, 255, 63, 512}));
    EXPECT_EQ(GeometryFromSize(64ull << 20, 4096), (DiskGeometry{1, 255, 63, 4096}));
    // 2 TB disk: more cylinders than 16 bits hold.
    EXPECT_EQ(GeometryFromSize(2'000'398'934'016ull, 512), (DiskGeometry{243201, 255, 63, 512}));
    // Smaller than one cylinder.
    EXPECT_EQ(GeometryFromSize(1 << 20, 512), (DiskGeometry{0, 255, 63, 512}));
    EXPECT_EQ(GeometryFromSize(0, 512), DiskGeometry{});
    EXPECT_EQ(GeometryFromSize(64ull << 20, 0), DiskGeometry{});
}

}  // namespace
}  // namespace qm
