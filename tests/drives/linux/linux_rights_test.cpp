#include "drives/linux/linux_rights.h"

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

// The helper's install gives it exactly cap_sys_rawio and cap_dac_read_search.
TEST(LinuxRights, TheHelperAlsoNeedsToOpenNodesItDoesNotOwn) {
    constexpr std::uint64_t kReadSearch = std::uint64_t{1} << CAP_DAC_READ_SEARCH;
    constexpr std::uint64_t kOverride = std::uint64_t{1} << CAP_DAC_OVERRIDE;
    EXPECT_TRUE(MayServeAsHelper(1000, kRawIo | kReadSearch));
    EXPECT_TRUE(MayServeAsHelper(1000, kRawIo | kOverride));
    EXPECT_TRUE(MayServeAsHelper(0, kAllButRawIo | kRawIo));
    EXPECT_FALSE(MayServeAsHelper(1000, kRawIo));  // setcap cap_sys_rawio alone: the nodes stay shut
    EXPECT_FALSE(MayServeAsHelper(1000, kReadSearch));
    EXPECT_TRUE(MayServeAsHelper(0, std::nullopt));
    EXPECT_FALSE(MayServeAsHelper(1000, std::nullopt));
}

TEST(LinuxRights, ThisKernelAnswersTheCapabilityQuery) {
    EXPECT_TRUE(EffectiveCapabilities().has_value());
}

}  // namespace
}  // namespace qm
