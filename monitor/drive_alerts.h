// Alerts on the drives the window watches: every read that stands for the
// minute pass (a pass read, or the view read of the shown drive) is judged
// by the rules of alert_rules.h against the drive's state, which is kept in
// the alert store across runs; what the rules raise is shown, updated or
// taken away through the desktop-notification seam. On the window's thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "monitor/alert_notice.h"
#include "monitor/drive_monitor.h"
#include "monitor/state_files.h"

namespace qm {

class DriveAlerts {
public:
    DriveAlerts(AlertStore& store, DesktopNotifier& notifier) : store_(store), notifier_(notifier) {}

    // Whether notices are shown. Without them the drives are judged and their
    // state kept all the same, so that switching them on later does not
    // announce what was already known.
    void SetShowing(bool showing) { showing_ = showing; }

    // Judges one answer of the worker at `now` (seconds since the epoch, UTC).
    // Only pass and view answers count. `found`: what the scan found in the
    // slot, the drive a failed read is counted against; a slot the scan found
    // empty is not judged.
    void OnAnswer(const DriveAnswer& answer, const DriveIdentity& found, std::int64_t now);

private:
    struct Kept {
        AlertState state;
        AlertState stored;  // as the store holds it
    };
    Kept& KeptFor(const AlertDrive& drive);
    void Tell(const AlertEvent& event, const AlertDrive& drive);

    AlertStore& store_;
    DesktopNotifier& notifier_;
    bool showing_ = true;
    std::map<std::string, Kept> drives_;  // by model and serial (DriveLetterKey)
};

}  // namespace qm
