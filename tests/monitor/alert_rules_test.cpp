// The alert rules, as sequences of passes over one drive: what each pass
// tells (reason, action, level) and nothing else.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/alert_rules.h"

namespace qm {
namespace {

using S = AttributeStatus;
using A = AlertAction;
using R = AlertReason;

constexpr std::int64_t kDay = kReminderInterval;

struct Told {
    R reason;
    A action;
    S level;
    std::string before;
    std::string after;
    friend bool operator==(const Told&, const Told&) = default;
};

std::ostream& operator<<(std::ostream& out, const Told& t) {
    return out << AlertReasonKey(t.reason) << " " << static_cast<int>(t.action) << " level " << static_cast<int>(t.level)
               << " [" << t.before << " -> " << t.after << "]";
}

struct Pass {
    std::int64_t at;
    AlertInput input;
    std::vector<Told> told;
};

AlertInput Outcome(PassOutcome outcome) {
    AlertInput input;
    input.outcome = outcome;
    return input;
}
AlertInput Read() { return Outcome(PassOutcome::Read); }
AlertInput Asleep() { return Outcome(PassOutcome::Asleep); }
AlertInput Failed() { return Outcome(PassOutcome::Failed); }
AlertInput State(S state) {
    AlertInput input = Read();
    input.state = state;
    return input;
}
AlertInput Count(R reason, std::uint64_t value, S mark) {
    AlertInput input = Read();
    input.counters.push_back({reason, value, mark, {}});
    return input;
}
// A temperature with the marks of the ATA row's limits (yellow from 56 °C, red from 61 °C).
AlertInput Hot(int temperature) {
    AlertInput input = Read();
    input.temperature = temperature;
    input.temperatureMark = temperature >= 61 ? S::Bad : temperature >= 56 ? S::Caution : S::Good;
    return input;
}
AlertInput Warning(std::uint8_t bits) {
    AlertInput input = Read();
    input.criticalWarning = bits;
    return input;
}

struct Scenario {
    const char* name;
    std::vector<Pass> passes;
};

TEST(AlertRulesTest, EachRuleTellsOnceWhenRaisedAgainWhenWorseAndClearsWhenGone) {
    const std::vector<Scenario> scenarios = {
        {"state: worse, unchanged, worse again, a reminder only for red after a day, gone",
         {{0, State(S::Good), {}},
          {60, State(S::Caution), {{R::State, A::Raise, S::Caution, "良好", "注意"}}},
          {120, State(S::Caution), {}},
          {kDay + 60, State(S::Caution), {}},
          {kDay + 120, State(S::Bad), {{R::State, A::Worse, S::Bad, "注意", "危険"}}},
          {2 * kDay + 119, State(S::Bad), {}},
          {2 * kDay + 120, State(S::Bad), {{R::State, A::Remind, S::Bad, "危険", "危険"}}},
          {2 * kDay + 180, State(S::Caution), {}},
          {2 * kDay + 240, State(S::Good), {{R::State, A::Clear, S::Good, "注意", "良好"}}}}},
        {"state: a drive first seen yellow is told once",
         {{0, State(S::Caution), {{R::State, A::Raise, S::Caution, "", "注意"}}}, {60, State(S::Caution), {}}}},
        {"counts: every rise is told, a worse mark too, the reason ends with a good mark",
         {{0, Count(R::Pending, 0, S::Good), {}},
          {60, Count(R::Pending, 8, S::Caution), {{R::Pending, A::Raise, S::Caution, "0", "8"}}},
          {120, Count(R::Pending, 8, S::Caution), {}},
          {180, Count(R::Pending, 9, S::Caution), {{R::Pending, A::Worse, S::Caution, "8", "9"}}},
          {240, Count(R::Pending, 9, S::Bad), {{R::Pending, A::Worse, S::Bad, "9", "9"}}},
          {300, Count(R::Pending, 0, S::Good), {{R::Pending, A::Clear, S::Good, "9", "0"}}}}},
        {"counts: each count is its own reason",
         {{0, Count(R::Reallocated, 1, S::Caution), {{R::Reallocated, A::Raise, S::Caution, "", "1"}}},
          {60, Count(R::MediaErrors, 2, S::Caution), {{R::MediaErrors, A::Raise, S::Caution, "", "2"}}},
          {120, Count(R::Reallocated, 1, S::Caution), {}}}},
        {"temperature: two passes at a limit raise, two below clear, one pass is nothing",
         {{0, Hot(57), {}},
          {60, Hot(50), {}},
          {120, Hot(57), {}},
          {180, Hot(58), {{R::Temperature, A::Raise, S::Caution, "57", "58"}}},
          {240, Hot(62), {}},
          {300, Hot(62), {{R::Temperature, A::Worse, S::Bad, "62", "62"}}},
          {360, Hot(57), {}},
          {420, Hot(40), {}},
          {480, Hot(40), {{R::Temperature, A::Clear, S::Good, "40", "40"}}}}},
        {"temperature: a pass that finds the drive asleep or unreadable keeps the streak",
         {{0, Hot(57), {}}, {60, Asleep(), {}}, {120, Failed(), {}}, {180, Hot(57), {{R::Temperature, A::Raise, S::Caution, "57", "57"}}}}},
        {"unreadable: only the fifth failed pass in a row, a sleeping drive is not a failure",
         {{0, Failed(), {}},
          {60, Failed(), {}},
          {120, Failed(), {}},
          {180, Failed(), {}},
          {240, Asleep(), {}},
          {300, Failed(), {}},
          {360, Failed(), {}},
          {420, Failed(), {}},
          {480, Failed(), {}},
          {540, Failed(), {{R::Unreadable, A::Raise, S::Caution, "", "5"}}},
          {600, Failed(), {}},
          {660, Read(), {{R::Unreadable, A::Clear, S::Good, "", ""}}}}},
        {"warning: a gained bit is told, a lost one is not, none clears; reserved bits never",
         {{0, Warning(0x00), {}},
          {60, Warning(0x40), {}},
          {120, Warning(0x02), {{R::CriticalWarning, A::Raise, S::Caution, "0x40", "0x02"}}},
          {180, Warning(0x03), {{R::CriticalWarning, A::Worse, S::Bad, "0x02", "0x03"}}},
          {240, Warning(0x01), {}},
          {270, Warning(0x41), {}},
          {300, Warning(0x05), {{R::CriticalWarning, A::Worse, S::Bad, "0x41", "0x05"}}},
          {360, Warning(0x00), {{R::CriticalWarning, A::Clear, S::Good, "0x05", "0x00"}}}}},
    };
    for (const Scenario& scenario : scenarios) {
        AlertState state;
        for (std::size_t i = 0; i < scenario.passes.size(); ++i) {
            const Pass& pass = scenario.passes[i];
            std::vector<Told> told;
            for (const AlertEvent& e : JudgeRead(state, pass.input, pass.at)) {
                told.push_back({e.reason, e.action, e.level, e.before, e.after});
            }
            EXPECT_EQ(told, pass.told) << scenario.name << ", pass " << i;
        }
    }
}

TEST(AlertRulesTest, ASleepingOrUnreadableDriveChangesNothingElse) {
    AlertState state;
    AlertInput bad = State(S::Bad);
    bad.counters.push_back({R::Reallocated, 3, S::Caution, {}});
    JudgeRead(state, bad, 0);
    const AlertState before = state;
    EXPECT_TRUE(JudgeRead(state, Asleep(), kDay * 3).empty());
    EXPECT_EQ(state, before);
    EXPECT_TRUE(JudgeRead(state, Failed(), kDay * 3).empty());  // no reminder from a failed read either
    EXPECT_EQ(state.failedPasses, 1);
}

TEST(AlertRulesTest, ReasonKeysRoundTrip) {
    for (std::size_t i = 0; i < kAlertReasonCount; ++i) {
        const auto reason = static_cast<AlertReason>(i);
        EXPECT_EQ(AlertReasonFromKey(AlertReasonKey(reason)), reason);
    }
    EXPECT_FALSE(AlertReasonFromKey("banana"));
}

}  // namespace
}  // namespace qm
