#include "monitor/monitoring_pass.h"

namespace qm {

MonitoringPassResult RunMonitoringPass(SmartReader& reader, TrayIcons& tray, TemperatureHistory& history,
                                       const LocalTime& now, DriveSlot selected,
                                       std::span<const std::string> slotDriveLetters) {
    MonitoringPassResult result;
    const bool sampling = IsSamplingMinute(now);
    const std::string timeText = FormatSampleTime(now);
    ForEachDriveTemperature(reader, slotDriveLetters,
                            [&](DriveSlot slot, const std::string& model, const std::string& letters, int temperature) {
                                result.lastTemperature = temperature;
                                tray.SetTrayIcon(slot, temperature, model, letters, TrayMode::Edit);
                                if (sampling) history.Append(slot, timeText, temperature);
                                if (slot == selected) result.selectedTemperatures.push_back(temperature);
                            });
    return result;
}

std::string TemperatureBoxText(const std::vector<int>& selectedTemperatures) {
    if (selectedTemperatures.empty()) return " --";
    return " " + std::to_string(selectedTemperatures.back());
}

std::optional<int> TaskbarIconResource(const std::vector<int>& selectedTemperatures) {
    std::optional<int> resource;
    for (const int temperature : selectedTemperatures)
        if (temperature >= 1 && temperature <= 87) resource = 200 + temperature;
    return resource;
}

}  // namespace qm
