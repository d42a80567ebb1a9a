#include "monitor/monitoring_pass.h"

namespace qm {

MonitoringPassResult RunMonitoringPass(SmartReader& reader, TrayIcons& tray, TemperatureHistory& history,
                                       const LocalTime& now, DriveSlot selected,
                                       std::span<const std::string> slotDriveLetters) {
    MonitoringPassResult result;
    const bool sampling = IsSamplingMinute(now);
    const std::string timeText = FormatSampleTime(now);
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const DriveRecord record = reader.ReadDrive(slot);
        const std::string model = TrimBlanks(record.modelNumber);
        if (record.driveType != 1 || model.empty()) continue;
        const auto s = static_cast<std::size_t>(slot);
        const std::string letters =
            s < slotDriveLetters.size() ? slotDriveLetters[s] : std::string(kNoLettersEntry);
        for (const int temperature : DriveTemperatures(record)) {
            result.lastTemperature = temperature;
            tray.SetTrayIcon(slot, temperature, model, letters, TrayMode::Edit);
            if (sampling) history.Append(slot, timeText, temperature);
            if (slot == selected) result.selectedTemperatures.push_back(temperature);
        }
    }
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
