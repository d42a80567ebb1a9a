#include "platform/linux/linux_rights.h"

#include <gtest/gtest.h>

#include <linux/capability.h>

namespace qm {
namespace {

constexpr std::uint64_t kRawIo = std::uint64_t{1} << CAP_SYS_RAWIO;
constexpr std::uint64_t kAllButRawIo = ~kRawIo & ((std::uint64_t{1} << 41) - 1);

TEST(LinuxRights, RawIoCapabilityDecidesWhenKnown) {
    EXPECT_TRUE(MaySendPassThrough(0, kAllButRawIo | kRawIo));
    EXPECT_TRUE(MaySendPassThrough(1000, kRawIo));   // a user granted the capability
    EXPECT_FALSE(MaySendPassThrough(0, kAllButRawIo));  // root in a container without it
    EXPECT_FALSE(MaySendPassThrough(1000, 0));
}

TEST(LinuxRights, RootCountsOnlyWhenCapabilitiesAreUnknown) {
    EXPECT_TRUE(MaySendPassThrough(0, std::nullopt));
    EXPECT_FALSE(MaySendPassThrough(1000, std::nullopt));
}

TEST(LinuxRights, ThisKernelAnswersTheCapabilityQuery) {
    EXPECT_TRUE(EffectiveCapabilities().has_value());
}

}  // namespace
}  // namespace qm
