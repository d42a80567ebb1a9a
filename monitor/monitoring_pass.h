// One pass of the monitoring cycle (UpdateTemperatures without the window):
// reads all sixteen slots, refreshes each drive's notification icon, records
// history samples in minutes ending in 0, and reports what the selected
// slot's temperature box and window icon are to show.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "monitor/clock.h"
#include "monitor/temperature_history.h"
#include "monitor/tray_icons.h"
#include "smart/smart_reader.h"

namespace qm {

struct MonitoringPassResult {
    // Temperatures of the selected slot's 194 rows (raw above 1), in table
    // order; the box shows the last one, " --" when there is none.
    std::vector<int> selectedTemperatures;
    // The last temperature the pass found on any drive.
    std::optional<int> lastTemperature;
    // The selected drive sleeps and was not read: the box and the window
    // icon keep what they show.
    bool selectedAsleep = false;
};

// Runs the pass. selected: the slot on display (-1: none). slotVolumes: what
// the tooltips name as each drive's volumes. A drive that says it sleeps is
// not read (reading would wake it): its icon and history stay as they are.
// Every other drive with a model and a temperature gets an icon refresh (mode
// edit) and, when now is a sampling minute, one history sample per
// temperature row.
MonitoringPassResult RunMonitoringPass(SmartReader& reader, TrayIcons& tray, TemperatureHistory& history,
                                       const LocalTime& now, DriveSlot selected, const SlotVolumes& slotVolumes);

// The temperature box text: " --" without a temperature, otherwise one blank
// and the decimal digits (" 45").
std::string TemperatureBoxText(const std::vector<int>& selectedTemperatures);

// Icon resource the window takes in taskbar mode: the number picture of the
// last temperature (200 + t for 1..87); the program picture (100) when that
// temperature has no number picture, so the icon never shows a number left
// over from another drive; nullopt without a temperature (the icon stays).
std::optional<int> SelectedTaskbarIcon(const std::vector<int>& selectedTemperatures);

}  // namespace qm
