// What the program keeps across runs and tells about the drives it watches,
// on the window's thread: each drive's temperature history on disk, the
// alerts judged on every read, and each drive's health as its tab shows it.
// Everything kept lives in the state folder (StateFolderOf); without one the
// history stays in memory and the alerts start afresh each run.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "monitor/clock.h"
#include "monitor/drive_alerts.h"
#include "monitor/drive_monitor.h"
#include "monitor/state_files.h"

namespace qm {

class DriveWatch {
public:
    // The drive's health (the worst mark of its rows; nullopt: none rated)
    // after every read of it.
    using HealthShown = std::function<void(DriveSlot slot, std::optional<AttributeStatus> state)>;

    // Hooks onto `monitor` (its history and its answers); set up before the
    // monitor's first request. `showing` says whether alerts are shown.
    DriveWatch(DriveMonitor& monitor, const std::string& stateFolder, DesktopNotifier& notifier, Clock& clock,
               std::function<bool()> showing, HealthShown health);

private:
    void OnAnswer(const DriveAnswer& answer);

    DriveMonitor& monitor_;
    Clock& clock_;
    AlertStore alertStore_;
    HistoryStore historyStore_;
    DriveAlerts alerts_;
    std::function<bool()> showing_;
    HealthShown health_;
};

}  // namespace qm
