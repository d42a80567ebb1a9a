// The monitoring cycle without the window (UpdateTemperatures): what one
// drive's answer to the minute pass does. The worker reads the drives; each
// answer, on the window's thread, refreshes the drive's notification icon,
// records history samples in minutes ending in 0, and reports what the
// selected slot's temperature box and window icon are to show.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "monitor/clock.h"
#include "monitor/drive_worker.h"
#include "monitor/temperature_history.h"
#include "monitor/tray_icons.h"

namespace qm {

// When a pass was asked: its samples carry this time, whenever its answers
// come. The start-up's first pass writes its samples without advancing.
struct PassMoment {
    LocalTime time;
    Advance advance = Advance::Yes;
};

// What one slot's answer to a pass showed.
struct PassReport {
    DriveSlot slot = kNoSlot;
    ReadResult result = ReadResult::Failed;
    // Temperatures of its 194 rows (raw above 1), in table order; the box
    // shows the last one, " --" when there is none.
    std::vector<int> temperatures;
};

// Applies one slot's read to the pass. A drive that sleeps was not read: its
// icon and history stay as they are. A drive with a model gets an icon
// refresh (mode edit) per temperature and, when the moment is a sampling
// minute, one history sample per temperature. slotVolumes: what the tooltips
// name as each drive's volumes.
PassReport ApplyPassRead(const DriveAnswer& answer, TrayIcons& tray, TemperatureHistory& history,
                         const PassMoment& moment, const SlotVolumes& slotVolumes);

// The temperature box text: " --" without a temperature, otherwise one blank
// and the decimal digits (" 45").
std::string TemperatureBoxText(const std::vector<int>& selectedTemperatures);

// Icon resource the window takes in taskbar mode: the number picture of the
// last temperature (200 + t for 1..87); the program picture (100) when that
// temperature has no number picture, so the icon never shows a number left
// over from another drive; nullopt without a temperature (the icon stays).
std::optional<int> SelectedTaskbarIcon(const std::vector<int>& selectedTemperatures);

}  // namespace qm
