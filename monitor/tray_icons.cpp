#include "monitor/tray_icons.h"

#include <algorithm>

#include "monitor/icon_numbers.h"
#include "base/codepage.h"
#include "smart/drive_record.h"

namespace qm {

namespace {
std::string TrimTrailingBlanks(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    return std::string(text.substr(0, end));
}

// Characters of UTF-8 text; a byte that starts no character counts as one.
std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) i += std::max<std::size_t>(1, Utf8SequenceLength(text, i));
    return count;
}

// The start of `text` that holds at most `characters` whole characters.
std::string_view CharacterPrefix(std::string_view text, std::size_t characters) {
    std::size_t end = 0;
    for (; end < text.size() && characters > 0; --characters)
        end += std::max<std::size_t>(1, Utf8SequenceLength(text, end));
    return text.substr(0, std::min(end, text.size()));
}
}  // namespace

std::string TrayTooltip(std::string_view model, const std::optional<std::string>& volumes, int temperature) {
    // Neither the drive nor the settings file can add or break lines.
    std::string head = "型式：" + DisplayText(TrimTrailingBlanks(model));
    if (volumes) {
        head += "\r\nドライブレター：";
        head += DisplayText(*volumes);
    }
    const std::string temperatureLine = "\r\n現在の温度：" + std::to_string(temperature) + "℃";
    const std::size_t room = kTrayTipCharacters - CharacterCount(temperatureLine);
    if (CharacterCount(head) > room) {
        head = std::string(CharacterPrefix(head, room));
        if (head.ends_with('\r')) head.pop_back();
        if (head.ends_with("\r\n")) head.resize(head.size() - 2);
    }
    return head + temperatureLine;
}

bool TrayIcons::SetTrayIcon(DriveSlot slot, int temperature, const std::string& model,
                            const std::optional<std::string>& volumes, TrayMode mode) {
    if (!IsValidSlot(slot)) return false;
    TrayIconRecord record{slot, temperature, TrayIconResource(temperature),
                          TrayTooltip(model, volumes, temperature)};
    records_[static_cast<std::size_t>(slot)] = record;
    return mode == TrayMode::Edit ? area_.ModifyIcon(record) : area_.AddIcon(record);
}

void TrayIcons::BeginAdding() {
    count_ = 0;
    waitingForArea_ = !area_.Available();
}

void TrayIcons::AddFromRead(DriveSlot slot, const DriveRecord& record, const std::optional<std::string>& volumes) {
    if (!IsValidSlot(slot)) return;
    ForEachTemperature(record, [&](const std::string& model, int temperature) {
        if (SetTrayIcon(slot, temperature, model, volumes, TrayMode::Add)) {
            added_[static_cast<std::size_t>(slot)] = true;
            ++count_;
        }
    });
}

void TrayIcons::RemoveAllIcons() {
    count_ = 0;
    waitingForArea_ = false;
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
