#include "monitor/tray_icons.h"

#include "monitor/icon_numbers.h"
#include "smart/drive_record.h"

namespace qm {

namespace {
std::string TrimTrailingBlanks(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    return std::string(text.substr(0, end));
}
}  // namespace

std::string TrayTooltip(std::string_view model, const std::optional<std::string>& volumes, int temperature) {
    // Neither the drive nor the settings file can add or break lines.
    std::string tip = "型式：" + DisplayText(TrimTrailingBlanks(model));
    if (volumes) {
        tip += "\r\nドライブレター：";
        tip += DisplayText(*volumes);
    }
    tip += "\r\n現在の温度：" + std::to_string(temperature) + "℃";
    return tip;
}

bool TrayIcons::SetTrayIcon(DriveSlot slot, int temperature, const std::string& model,
                            const std::optional<std::string>& volumes, TrayMode mode) {
    if (!IsValidSlot(slot)) return false;
    TrayIconRecord record{slot, temperature, TrayIconResource(temperature),
                          TrayTooltip(model, volumes, temperature)};
    records_[static_cast<std::size_t>(slot)] = record;
    return mode == TrayMode::Edit ? area_.ModifyIcon(record) : area_.AddIcon(record);
}

void TrayIcons::AddTrayIcons(SmartReader& reader, const SlotVolumes& slotVolumes) {
    count_ = 0;
    ForEachDriveTemperature(reader, slotVolumes,
                            [this](DriveSlot slot, const std::string& model, const std::optional<std::string>& volumes,
                                   int temperature) {
                                if (SetTrayIcon(slot, temperature, model, volumes, TrayMode::Add)) {
                                    added_[static_cast<std::size_t>(slot)] = true;
                                    ++count_;
                                }
                            });
}

void TrayIcons::RemoveAllIcons() {
    count_ = 0;
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) area_.DeleteIcon(slot);
}

void TrayIcons::RemoveAddedIcons() {
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot)
        if (added_[static_cast<std::size_t>(slot)]) area_.DeleteIcon(slot);
}

bool TrayIcons::Added(DriveSlot slot) const {
    return IsValidSlot(slot) && added_[static_cast<std::size_t>(slot)];
}

std::optional<TrayIconRecord> TrayIcons::Record(DriveSlot slot) const {
    if (!IsValidSlot(slot)) return std::nullopt;
    return records_[static_cast<std::size_t>(slot)];
}

}  // namespace qm
