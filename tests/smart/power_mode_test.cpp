// The question the minute pass asks before a read: its command block, and how
// the answer is taken.
#include <gtest/gtest.h>

#include "smart/power_mode.h"
#include "tests/smart/fake_provider.h"

namespace qm {
namespace {

TEST(PowerModeBlock, OnlyTheCommandAndTheSlotsRegistersAreSet) {
    CommandBlock expected;
    expected.bytes[9] = 0xA0;
    expected.bytes[10] = 0xE5;
    expected.bytes[12] = 5;
    EXPECT_EQ(CheckPowerModeBlock(5, true), expected);
    expected.bytes[9] = 0xB0;  // the odd slot's drive/head on the 9x path
    EXPECT_EQ(CheckPowerModeBlock(5, false), expected);
}

// Answers every question with a fixed mode and keeps what it was asked.
class PowerModeProvider final : public test::FakeProvider {
public:
    std::optional<PowerMode> answer;
    std::vector<std::pair<DriveSlot, CommandBlock>> asked;
    std::optional<PowerMode> QueryPowerMode(DriveSlot slot, const CommandBlock& query) override {
        asked.emplace_back(slot, query);
        return answer;
    }
};

TEST(DriveSleeps, OnlyAStandbyAnswerMeansAsleep) {
    PowerModeProvider provider;
    provider.answer = PowerMode::Standby;
    EXPECT_TRUE(DriveSleeps(provider, 3));
    ASSERT_EQ(provider.asked.size(), 1u);
    EXPECT_EQ(provider.asked[0], std::make_pair(DriveSlot{3}, CheckPowerModeBlock(3, true)));
    provider.answer = PowerMode::Awake;
    EXPECT_FALSE(DriveSleeps(provider, 3));
    provider.answer = std::nullopt;  // cannot tell: the read decides
    EXPECT_FALSE(DriveSleeps(provider, 3));
    provider.answer = PowerMode::Standby;
    EXPECT_FALSE(DriveSleeps(provider, 16));
    EXPECT_FALSE(DriveSleeps(provider, -1));
    EXPECT_EQ(provider.asked.size(), 3u);  // slots outside 0..15 are not asked
    EXPECT_FALSE(test::FakeProvider().QueryPowerMode(0, CheckPowerModeBlock(0, true)));  // the seam's default
}

}  // namespace
}  // namespace qm
