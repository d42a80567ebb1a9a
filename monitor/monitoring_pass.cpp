#include "monitor/monitoring_pass.h"

#include "monitor/icon_numbers.h"

namespace qm {

PassReport ApplyPassRead(const DriveAnswer& answer, TrayIcons& tray, TemperatureHistory& history,
                         const PassMoment& moment, const SlotVolumes& slotVolumes) {
    PassReport report{answer.slot, answer.result, {}};
    if (answer.result != ReadResult::Read || !IsValidSlot(answer.slot)) return report;
    const bool sampling = IsSamplingMinute(moment.time);
    const std::string timeText = FormatSampleTime(moment.time);
    const std::optional<std::string>& volumes = slotVolumes[static_cast<std::size_t>(answer.slot)];
    ForEachTemperature(answer.record, [&](const std::string& model, int temperature) {
        tray.SetTrayIcon(answer.slot, temperature, model, volumes, TrayMode::Edit);
        if (sampling) history.Append(answer.slot, timeText, temperature, moment.advance);
        report.temperatures.push_back(temperature);
    });
    return report;
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
