#include "monitor/drive_alerts.h"

#include "base/text.h"
#include "settings/settings.h"
#include "monitor/alert_input.h"

namespace qm {
namespace {

bool CountsForAlerts(DriveQuestion question) {
    return question == DriveQuestion::Pass || question == DriveQuestion::View;
}

AlertInput InputOf(const DriveAnswer& answer) {
    if (answer.result == ReadResult::Asleep) return AsleepInput();
    if (answer.result == ReadResult::Failed) return {};
    return AlertInputOf(answer.record);
}

// What the store keeps: the last temperature is not kept (it changes every
// pass, and the rules only compare it within a run).
bool SameAsStored(AlertState state, const AlertState& stored) {
    state.lastTemperature = stored.lastTemperature;
    return state == stored;
}

}  // namespace

void DriveAlerts::OnAnswer(const DriveAnswer& answer, const DriveIdentity& found, std::int64_t now) {
    if (!CountsForAlerts(answer.question) || !IsValidSlot(answer.slot)) return;
    AlertDrive drive{answer.slot, found.model, found.serial};
    if (answer.result == ReadResult::Read) {
        drive.model = TrimBlanks(answer.record.modelNumber);
        drive.serial = TrimBlanks(answer.record.serialNumber);
    }
    if (drive.model.empty()) return;
    Kept& kept = KeptFor(drive);
    const std::vector<AlertEvent> events = JudgeRead(kept.state, InputOf(answer), now);
    if (!SameAsStored(kept.state, kept.stored) && !store_.Save(drive.model, drive.serial, kept.state))
        kept.stored = kept.state;
    for (const AlertEvent& event : events) Tell(event, drive);
}

DriveAlerts::Kept& DriveAlerts::KeptFor(const AlertDrive& drive) {
    const std::string key = DriveLetterKey(drive.model, drive.serial);
    auto found = drives_.find(key);
    if (found == drives_.end()) {
        const AlertState stored = store_.Load(drive.model, drive.serial);
        found = drives_.emplace(key, Kept{stored, stored}).first;
    }
    return found->second;
}

void DriveAlerts::Tell(const AlertEvent& event, const AlertDrive& drive) {
    if (event.action == AlertAction::Clear) {
        notifier_.Close(NoticeKey(drive, event.reason));
    } else if (showing_) {
        notifier_.Show(NoticeOf(event, drive));
    }
}

}  // namespace qm
