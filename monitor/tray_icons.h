// The temperature icons of the notification area: which drive gets one,
// which picture and tooltip it shows, and the bookkeeping the close decision
// and the minimise decision read (TrayIconCount, TrayIconAdded).
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "monitor/notification_area.h"
#include "smart/smart_reader.h"

namespace qm {

// The drive-letter entry that stands for "no letters recorded".
inline constexpr std::string_view kNoLettersEntry = "ERROR";

enum class TrayMode { Add, Edit };

// Reads every slot afresh and calls `visit(slot, model, letters, temperature)`
// for every temperature (raw of a 194 row above 1) of every drive with a
// model, in slot and table order. `letters` is the slot's entry of
// slotDriveLetters ("ERROR" when missing). Both the monitoring pass and the
// adding of icons walk the drives this way.
template <typename Visit>
void ForEachDriveTemperature(SmartReader& reader, std::span<const std::string> slotDriveLetters, Visit&& visit) {
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const DriveRecord record = reader.ReadDrive(slot);
        const std::string model = TrimBlanks(record.modelNumber);
        if (record.driveType != 1 || model.empty()) continue;
        const auto s = static_cast<std::size_t>(slot);
        const std::string letters = s < slotDriveLetters.size() ? slotDriveLetters[s] : std::string(kNoLettersEntry);
        for (const int temperature : DriveTemperatures(record)) visit(slot, model, letters, temperature);
    }
}

// Tooltip of a slot's icon: "型式：" + model (trailing blanks removed), then,
// when letters is not "ERROR", CR LF + "ドライブレター：" + letters, then CR LF
// + "現在の温度：" + temperature + "℃". Model and letters go through
// DisplayText, so the only line breaks are these separators.
std::string TrayTooltip(std::string_view model, std::string_view letters, int temperature);

// Icon resource of a notification icon: 101 + temperature for 0..77, 179 (the
// question mark) for 78 and for every temperature without a number picture.
int TrayIconResource(int temperature);

class TrayIcons {
public:
    explicit TrayIcons(NotificationArea& area) : area_(area) {}

    // Builds the slot's record (picture, tooltip) and adds or modifies the
    // icon. Returns what the notification area reported.
    bool SetTrayIcon(DriveSlot slot, int temperature, const std::string& model,
                     const std::string& letters, TrayMode mode);

    // AddTrayIcons: count = 0, then for every slot whose fresh read has a
    // drive with a model and a temperature (raw of a 194 row above 1), adds its
    // icon. Only icons the notification area accepted are counted and flagged,
    // so a desktop without a notification area leaves the count at 0.
    // slotDriveLetters: 16 entries (letters or "ERROR"); missing entries read "ERROR".
    void AddTrayIcons(SmartReader& reader, std::span<const std::string> slotDriveLetters);

    // Switching the icons off: count = 0 and a delete for all sixteen slots.
    // The added flags stay.
    void RemoveAllIcons();

    // Shutdown: deletes the icon of every slot whose added flag is set.
    void RemoveAddedIcons();

    // TrayIconCount: icons added since the icons were last switched on.
    int Count() const { return count_; }
    // TrayIconAdded of a slot; false outside 0..15.
    bool Added(DriveSlot slot) const;
    // The slot's record as last filled; nullopt when never filled.
    std::optional<TrayIconRecord> Record(DriveSlot slot) const;

private:
    NotificationArea& area_;
    std::array<std::optional<TrayIconRecord>, kSlotCount> records_;
    std::array<bool, kSlotCount> added_{};
    int count_ = 0;
};

}  // namespace qm
