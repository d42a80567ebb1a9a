// The close request and the minimise decision.
#include <gtest/gtest.h>

#include "app/close_decision.h"

namespace qm {
namespace {

struct CloseCase {
    const char* name;
    WindowState state;
    bool exitRequested;
    int icons;
    CloseDecision expected;
};

class CloseDecisionTable : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseDecisionTable, Decides) {
    const CloseCase& c = GetParam();
    EXPECT_EQ(DecideClose(c.state, c.exitRequested, c.icons), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, CloseDecisionTable,
    ::testing::Values(
        CloseCase{"NormalWithIcons", WindowState::Normal, false, 2, {true, CloseAction::Minimise}},
        CloseCase{"MaximisedWithIcons", WindowState::Maximised, false, 1, {false, CloseAction::Minimise}},
        CloseCase{"NormalWithoutIcons", WindowState::Normal, false, 0, {true, CloseAction::TearDown}},
        CloseCase{"MaximisedWithoutIcons", WindowState::Maximised, false, 0, {false, CloseAction::TearDown}},
        CloseCase{"MinimisedWithIcons", WindowState::Minimised, false, 3, {false, CloseAction::TearDown}},
        CloseCase{"MinimisedWithoutIcons", WindowState::Minimised, false, 0, {false, CloseAction::TearDown}},
        CloseCase{"ExitNormal", WindowState::Normal, true, 2, {true, CloseAction::TearDown}},
        CloseCase{"ExitMaximised", WindowState::Maximised, true, 2, {false, CloseAction::TearDown}},
        CloseCase{"ExitMinimised", WindowState::Minimised, true, 0, {false, CloseAction::TearDown}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MinimiseDecisionTest, HidesOnlyBehindShownIconsWithoutTheTaskbarOption) {
    const auto options = [](std::optional<bool> icons, std::optional<bool> taskbar) {
        Options o;
        o.trayIcons = icons;
        o.taskbarIcon = taskbar;
        return o;
    };
    EXPECT_TRUE(HideWhenMinimised(options(true, false), 2));
    EXPECT_FALSE(HideWhenMinimised(options(true, false), 0));   // no icon: stays on the taskbar
    EXPECT_FALSE(HideWhenMinimised(options(false, false), 2));
    EXPECT_FALSE(HideWhenMinimised(options(true, true), 2));    // taskbar icon option: never hidden
    EXPECT_FALSE(HideWhenMinimised(options(std::nullopt, false), 0));
    // An option never stored is neither on nor off.
    EXPECT_TRUE(HideWhenMinimised(options(std::nullopt, std::nullopt), 1));
}

}  // namespace
}  // namespace qm
