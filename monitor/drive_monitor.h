// The drives as the main window watches them: the start-up scan that gives
// each drive its tab, a fresh view of one drive, the minute pass with its
// notification icons and history, and the volumes stored for each drive.
// No window is needed: the window shows what this computes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "monitor/clock.h"
#include "monitor/drive_view.h"
#include "monitor/monitoring_pass.h"
#include "monitor/temperature_history.h"
#include "monitor/tray_icons.h"
#include "settings/settings.h"
#include "smart/smart_reader.h"

namespace qm {

// One tab of the drive strip: the drive's trimmed model and its slot.
struct DriveTab {
    std::string model;
    DriveSlot slot = 0;
    friend bool operator==(const DriveTab&, const DriveTab&) = default;
};

// Trimmed model and serial of the drive found in a slot at start-up; both
// empty for slots without one.
struct DriveIdentity {
    std::string model;
    std::string serial;
    friend bool operator==(const DriveIdentity&, const DriveIdentity&) = default;
};

class DriveMonitor {
public:
    DriveMonitor(DriveProvider& drives, Settings& settings, NotificationArea& tray)
        : reader_(drives), settings_(settings), tray_(tray) {}

    // Probes slots 0..15 once. A present drive (IsPresentDrive) whose model is
    // not blank gets a tab (in slot order, as many as there are), its identity
    // and the volumes stored for it.
    void ScanDrives();
    const std::vector<DriveTab>& Tabs() const { return tabs_; }
    // The slot of the tab at `index`; nullopt for an index without a tab.
    std::optional<DriveSlot> SlotOfTab(int index) const;
    const std::array<DriveIdentity, kSlotCount>& Identities() const { return identities_; }
    const SlotVolumes& StoredVolumes() const { return volumes_; }
    // Reads the stored volumes again for every slot whose drive answers a
    // probe now (other slots keep theirs).
    void RereadStoredVolumes();

    // The view of the slot's drive from a fresh read: rows, marks, capacity
    // and the stored volumes. A slot without a drive gives an empty view.
    DriveViewContent ViewDrive(DriveSlot slot);

    // One monitoring pass at `now`; `selected` is the slot on display. Icons
    // that wait for a notification area are added first once it is there.
    MonitoringPassResult RunPass(const LocalTime& now, DriveSlot selected);

    // The notification icons: added for every drive with a temperature,
    // removed for all slots (switching them off), removed where added (exit).
    void AddTrayIcons() { tray_.AddTrayIcons(reader_, volumes_); }
    void RemoveTrayIcons() { tray_.RemoveAllIcons(); }
    void RemoveAddedTrayIcons() { tray_.RemoveAddedIcons(); }
    const TrayIcons& Tray() const { return tray_; }

    TemperatureHistory& History() { return history_; }
    const TemperatureHistory& History() const { return history_; }

    SmartReader& Reader() { return reader_; }
    Settings& StoredSettings() { return settings_; }

private:
    SmartReader reader_;
    Settings& settings_;
    TrayIcons tray_;
    TemperatureHistory history_;
    std::vector<DriveTab> tabs_;
    std::array<DriveIdentity, kSlotCount> identities_;
    SlotVolumes volumes_;
};

}  // namespace qm
