#include "monitor/tray_icons.h"

#include "smart/drive_record.h"

namespace qm {

namespace {
bool ValidSlot(DriveSlot slot) { return slot >= 0 && slot < kSlotCount; }

std::string TrimTrailingBlanks(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    return std::string(text.substr(0, end));
}
}  // namespace

std::string TrayTooltip(std::string_view model, std::string_view letters, int temperature) {
    // Neither the drive nor the settings file can add or break lines.
    std::string tip = "型式：" + DisplayText(TrimTrailingBlanks(model));
    if (letters != kNoLettersEntry) {
        tip += "\r\nドライブレター：";
        tip += DisplayText(letters);
    }
    tip += "\r\n現在の温度：" + std::to_string(temperature) + "℃";
    return tip;
}

int TrayIconResource(int temperature) {
    if (temperature >= 0 && temperature <= 77) return 101 + temperature;
    return 179;
}

bool TrayIcons::SetTrayIcon(DriveSlot slot, int temperature, const std::string& model,
                            const std::string& letters, TrayMode mode) {
    if (!ValidSlot(slot)) return false;
    TrayIconRecord record{slot, temperature, TrayIconResource(temperature),
                          TrayTooltip(model, letters, temperature)};
    records_[static_cast<std::size_t>(slot)] = record;
    return mode == TrayMode::Edit ? area_.ModifyIcon(record) : area_.AddIcon(record);
}

void TrayIcons::AddTrayIcons(SmartReader& reader, std::span<const std::string> slotDriveLetters) {
    count_ = 0;
    ForEachDriveTemperature(reader, slotDriveLetters,
                            [this](DriveSlot slot, const std::string& model, const std::string& letters, int temperature) {
                                if (SetTrayIcon(slot, temperature, model, letters, TrayMode::Add)) {
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
    return ValidSlot(slot) && added_[static_cast<std::size_t>(slot)];
}

std::optional<TrayIconRecord> TrayIcons::Record(DriveSlot slot) const {
    if (!ValidSlot(slot)) return std::nullopt;
    return records_[static_cast<std::size_t>(slot)];
}

}  // namespace qm
