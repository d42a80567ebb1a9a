#include "monitor/alert_rules.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "smart/status_marks.h"

namespace qm {
namespace {

constexpr std::array<const char*, kAlertReasonCount> kReasonKeys{
    "state", "count05", "countC4", "countC5", "countC6", "media", "temperature", "warning", "unreadable"};

constexpr std::size_t Index(AlertReason reason) { return static_cast<std::size_t>(reason); }

constexpr bool IsCounter(AlertReason reason) {
    return reason >= AlertReason::Reallocated && reason <= AlertReason::MediaErrors;
}

// The critical-warning bits that make a drive red (spare, reliability,
// read-only, volatile backup, persistent memory) and the one that makes it
// yellow (temperature); the others are reserved.
constexpr std::uint8_t kRedWarningBits = 0x3D;
constexpr std::uint8_t kYellowWarningBits = 0x02;

std::string WarningText(std::uint8_t bits) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(bits));
    return text;
}

std::string Word(AttributeStatus status) { return std::string(MarkOf(status).word); }

// Brings a reason to `level` (Good: gone). `newFact` tells an active reason
// again at an unchanged level (a count that rose). Returns what to tell.
std::optional<AlertAction> Stand(ReasonStanding& standing, AttributeStatus level, bool newFact, std::int64_t now) {
    if (level == AttributeStatus::Good) {
        if (!standing.active) return std::nullopt;
        standing = {};
        return AlertAction::Clear;
    }
    if (!standing.active) {
        standing = {true, level, now};
        return AlertAction::Raise;
    }
    const bool worse = level > standing.level;
    standing.level = level;  // a lower level that is not good is taken silently
    if (worse || newFact) {
        standing.toldAt = now;
        return AlertAction::Worse;
    }
    if (level == AttributeStatus::Bad && now - standing.toldAt >= kReminderInterval) {
        standing.toldAt = now;
        return AlertAction::Remind;
    }
    return std::nullopt;
}

class Judge {
public:
    Judge(AlertState& state, std::int64_t now) : state_(state), now_(now) {}

    void Tell(AlertReason reason, AttributeStatus level, bool newFact, std::string before, std::string after,
              std::vector<std::string> rows = {}, std::string_view subject = {}) {
        const std::optional<AlertAction> action = Stand(state_.reasons[Index(reason)], level, newFact, now_);
        if (!action) return;
        events_.push_back({reason, *action, *action == AlertAction::Clear ? AttributeStatus::Good : level,
                           std::move(before), std::move(after), std::move(rows), subject});
    }

    void JudgeState(const AlertInput& input) {
        const std::string before = state_.state ? Word(*state_.state) : std::string();
        state_.state = input.state;
        Tell(AlertReason::State, input.state, false, before, Word(input.state), input.stateRows);
    }

    void JudgeCounter(const CounterReading& reading) {
        if (!IsCounter(reading.reason)) return;
        const std::size_t i = Index(reading.reason);
        const std::optional<std::uint64_t> before = state_.counts[i];
        const bool rose = reading.value > before.value_or(0);
        state_.counts[i] = reading.value;
        state_.countMarks[i] = reading.mark;
        const AttributeStatus level = rose ? std::max(reading.mark, AttributeStatus::Caution) : reading.mark;
        Tell(reading.reason, level, rose, before ? std::to_string(*before) : std::string(),
             std::to_string(reading.value), {}, reading.name);
    }

    void JudgeTemperature(int temperature, AttributeStatus mark) {
        if (mark != AttributeStatus::Good) {
            state_.hotPasses = std::min(state_.hotPasses + 1, kTemperaturePasses);
            state_.coolPasses = 0;
            state_.veryHotPasses = mark == AttributeStatus::Bad ? std::min(state_.veryHotPasses + 1, kTemperaturePasses) : 0;
        } else {
            state_.coolPasses = std::min(state_.coolPasses + 1, kTemperaturePasses);
            state_.hotPasses = state_.veryHotPasses = 0;
        }
        const std::string before = state_.lastTemperature ? std::to_string(*state_.lastTemperature) : std::string();
        state_.lastTemperature = temperature;
        ReasonStanding& standing = state_.reasons[Index(AlertReason::Temperature)];
        AttributeStatus level = AttributeStatus::Good;
        if (state_.veryHotPasses >= kTemperaturePasses) {
            level = AttributeStatus::Bad;
        } else if (state_.hotPasses >= kTemperaturePasses) {
            level = AttributeStatus::Caution;
        } else if (standing.active && state_.coolPasses < kTemperaturePasses) {
            return;  // neither two hot nor two cool passes yet: as it was
        }
        Tell(AlertReason::Temperature, level, false, before, std::to_string(temperature));
    }

    void JudgeWarning(std::uint8_t bits) {
        const std::uint8_t before = state_.criticalWarning.value_or(0);
        const bool gained = (bits & ~before & (kRedWarningBits | kYellowWarningBits)) != 0;
        state_.criticalWarning = bits;
        const AttributeStatus level = (bits & kRedWarningBits)      ? AttributeStatus::Bad
                                      : (bits & kYellowWarningBits) ? AttributeStatus::Caution
                                                                    : AttributeStatus::Good;
        Tell(AlertReason::CriticalWarning, level, gained, WarningText(before), WarningText(bits));
    }

    void JudgeReach(PassOutcome outcome) {
        if (outcome == PassOutcome::Failed) {
            state_.failedPasses = std::min(state_.failedPasses + 1, kUnreadablePasses);
            if (state_.failedPasses >= kUnreadablePasses) {
                Tell(AlertReason::Unreadable, AttributeStatus::Caution, false, {}, std::to_string(state_.failedPasses));
            }
            return;
        }
        state_.failedPasses = 0;
        Tell(AlertReason::Unreadable, AttributeStatus::Good, false, {}, {});
    }

    std::vector<AlertEvent> Events() {
        std::stable_sort(events_.begin(), events_.end(),
                         [](const AlertEvent& a, const AlertEvent& b) { return a.reason < b.reason; });
        return std::move(events_);
    }

private:
    AlertState& state_;
    std::int64_t now_;
    std::vector<AlertEvent> events_;
};

}  // namespace

const char* AlertReasonKey(AlertReason reason) { return kReasonKeys[Index(reason)]; }

std::optional<AlertReason> AlertReasonFromKey(std::string_view key) {
    for (std::size_t i = 0; i < kAlertReasonCount; ++i) {
        if (key == kReasonKeys[i]) return static_cast<AlertReason>(i);
    }
    return std::nullopt;
}

std::vector<AlertEvent> JudgeRead(AlertState& state, const AlertInput& input, std::int64_t now) {
    Judge judge(state, now);
    judge.JudgeReach(input.outcome);
    if (input.outcome == PassOutcome::Read) {
        judge.JudgeState(input);
        for (const CounterReading& reading : input.counters) judge.JudgeCounter(reading);
        if (input.temperature) judge.JudgeTemperature(*input.temperature, input.temperatureMark);
        if (input.criticalWarning) judge.JudgeWarning(*input.criticalWarning);
    }
    return judge.Events();
}

}  // namespace qm
