#include "monitor/monitoring_pass.h"

#include "monitor/icon_numbers.h"

namespace qm {

MonitoringPassResult RunMonitoringPass(SmartReader& reader, TrayIcons& tray, TemperatureHistory& history,
                                       const LocalTime& now, DriveSlot selected, const SlotVolumes& slotVolumes) {
    MonitoringPassResult result;
    const bool sampling = IsSamplingMinute(now);
    const std::string timeText = FormatSampleTime(now);
    const auto leftAsleep = ForEachDriveTemperature(
        reader, slotVolumes,
        [&](DriveSlot slot, const std::string& model, const std::optional<std::string>& volumes, int temperature) {
            result.lastTemperature = temperature;
            tray.SetTrayIcon(slot, temperature, model, volumes, TrayMode::Edit);
            if (sampling) history.Append(slot, timeText, temperature);
            if (slot == selected) result.selectedTemperatures.push_back(temperature);
        },
        SleepingDrives::LeaveAlone);
    result.selectedAsleep = IsValidSlot(selected) && leftAsleep[static_cast<std::size_t>(selected)];
    return result;
}

std::string TemperatureBoxText(const std::vector<int>& selectedTemperatures) {
    if (selectedTemperatures.empty()) return " --";
    return " " + std::to_string(selectedTemperatures.back());
}

std::optional<int> SelectedTaskbarIcon(const std::vector<int>& selectedTemperatures) {
    if (selectedTemperatures.empty()) return std::nullopt;
    return TaskbarIconResource(selectedTemperatures.back()).value_or(kProgramIcon);
}

}  // namespace qm
