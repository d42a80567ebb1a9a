#include "app/drive_tabs.h"

#include <charconv>

#include "monitor/drive_letter_key.h"

namespace qm {

DriveScan ScanDrives(SmartReader& reader, const LetterReader& readLetters) {
    DriveScan scan;
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const DriveRecord record = reader.ProbeDrive(slot);
        const std::string model = TrimBlanks(record.modelNumber);
        if (record.driveType != 1 || model.empty()) continue;
        const auto s = static_cast<std::size_t>(slot);
        scan.slotIdentity[s] = {model, TrimBlanks(record.serialNumber)};
        scan.tabDriveMap.push_back({model, std::to_string(slot)});
        scan.slotDriveLetters[s] = readLetters(DriveLetterKey(record.modelNumber, record.serialNumber));
    }
    return scan;
}

std::optional<DriveSlot> SlotOfTab(const std::vector<TabMapRow>& map, int tabIndex) {
    if (tabIndex < 0 || static_cast<std::size_t>(tabIndex) >= map.size()) return std::nullopt;
    const std::string& text = map[static_cast<std::size_t>(tabIndex)].slotText;
    int slot = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), slot);
    if (error != std::errc() || end != text.data() + text.size() || slot < 0 || slot >= kSlotCount)
        return std::nullopt;
    return slot;
}

}  // namespace qm
