// What about a drive is worth telling the user, judged after every read of
// the minute pass. Pure rules: the caller keeps each drive's AlertState
// (stored across restarts) and delivers the events.
//
// reason       raised when                                   clears when
// state        the drive's state (the worst mark of the      that state is good again
//              rows without a rule of their own) worsens
// counters     a watched count rises, or its row's mark      its row's mark is good again
//              worsens (ATA 05, C4, C5, C6; NVMe media
//              and data integrity errors)
// temperature  the temperature row is yellow (or red) on two  two passes in a row with
//              passes in a row                               the row good
// warning      an NVMe critical warning bit is set that      no bit is set
//              was not set before
// unreadable   the fifth pass in a row could not read it     a pass reads it (or finds
//                                                            it asleep)
//
// Never a reason: a drive found asleep, a single failed read, error-log
// entry counts, power-on hours, temperatures below the limits. A reason is
// told once when raised and again only when it gets worse (in place); a red
// reason that stays is told again at most once a day.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "smart/rating.h"

namespace qm {

enum class AlertReason {
    State,
    Reallocated,         // ATA 05
    ReallocationEvents,  // ATA C4
    Pending,             // ATA C5
    Uncorrectable,       // ATA C6
    MediaErrors,         // NVMe media and data integrity errors
    Temperature,
    CriticalWarning,     // NVMe
    Unreadable,
};
inline constexpr std::size_t kAlertReasonCount = 9;

// A short stable name per reason ("state", "count05", ...), for stored state
// and notification keys.
const char* AlertReasonKey(AlertReason reason);
std::optional<AlertReason> AlertReasonFromKey(std::string_view key);

enum class PassOutcome { Read, Asleep, Failed };

// A watched count as one read found it.
struct CounterReading {
    AlertReason reason = AlertReason::Reallocated;  // which count (one of the counter reasons)
    std::uint64_t value = 0;
    AttributeStatus mark = AttributeStatus::Good;   // its row's mark
    std::string_view name;                          // its row's name (static text)
};

// What one read of the minute pass gave for one drive.
struct AlertInput {
    PassOutcome outcome = PassOutcome::Failed;
    // The worst mark of the rows that have no rule of their own, and those
    // rows that are not good ("name value", for the message).
    AttributeStatus state = AttributeStatus::Good;
    std::vector<std::string> stateRows;
    std::vector<CounterReading> counters;
    std::optional<int> temperature;                       // degrees Celsius
    AttributeStatus temperatureMark = AttributeStatus::Good;  // its row's mark: the limits it is at
    std::optional<std::uint8_t> criticalWarning;  // NVMe drives only
};

// A reason's standing, as stored.
struct ReasonStanding {
    bool active = false;
    AttributeStatus level = AttributeStatus::Good;
    std::int64_t toldAt = 0;  // when it was last told (seconds since the epoch, UTC)
    friend bool operator==(const ReasonStanding&, const ReasonStanding&) = default;
};

// Everything the rules remember about one drive.
struct AlertState {
    std::optional<AttributeStatus> state;                         // the state last read
    std::array<std::optional<std::uint64_t>, kAlertReasonCount> counts;  // per counter reason
    std::array<AttributeStatus, kAlertReasonCount> countMarks{};  // per counter reason
    int hotPasses = 0;      // passes in a row with the temperature yellow or red
    int veryHotPasses = 0;  // passes in a row with it red
    int coolPasses = 0;     // passes in a row with it good
    std::optional<int> lastTemperature;
    std::optional<std::uint8_t> criticalWarning;
    int failedPasses = 0;   // passes in a row that could not read the drive
    std::array<ReasonStanding, kAlertReasonCount> reasons;
    friend bool operator==(const AlertState&, const AlertState&) = default;
};

enum class AlertAction {
    Raise,   // a new reason: tell it
    Worse,   // an active reason got worse: tell it again, in place
    Remind,  // a red reason that stayed for a day: tell it again, in place
    Clear,   // the reason is gone: take its notification away
};

struct AlertEvent {
    AlertReason reason = AlertReason::State;
    AlertAction action = AlertAction::Raise;
    AttributeStatus level = AttributeStatus::Good;  // red or yellow, the urgency
    std::string before;  // the value before ("良好", "0", "55", "0x00"); empty when unknown
    std::string after;   // the value now
    std::vector<std::string> rows;  // for State: the rows that are not good
    std::string_view subject;       // for a count: its row's name
    friend bool operator==(const AlertEvent&, const AlertEvent&) = default;
};

inline constexpr std::int64_t kReminderInterval = 24 * 60 * 60;
inline constexpr int kUnreadablePasses = 5;
inline constexpr int kTemperaturePasses = 2;

// Applies one read to the drive's state and returns what to tell, in reason
// order. `now` is seconds since the epoch (UTC).
std::vector<AlertEvent> JudgeRead(AlertState& state, const AlertInput& input, std::int64_t now);

}  // namespace qm
