// The temperature icons of the notification area: which drive gets one,
// which picture and tooltip it shows, and the bookkeeping the close decision
// and the minimise decision read (TrayIconCount, TrayIconAdded).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "monitor/notification_area.h"
#include "smart/drive_record.h"

namespace qm {

// The volumes stored for each slot's drive (SlotDriveLetters): nullopt where
// none were ever stored, and for slots without a drive.
using SlotVolumes = std::array<std::optional<std::string>, kSlotCount>;

enum class TrayMode { Add, Edit };

// Calls `visit(model, temperature)` for every temperature (raw of a 194 row
// above 1, in table order) of a read drive with a model (trimmed); nothing
// for an empty record or a blank model. The monitoring pass and the adding
// of icons take a drive's temperatures this way.
template <typename Visit>
void ForEachTemperature(const DriveRecord& record, Visit&& visit) {
    const std::string model = TrimBlanks(record.modelNumber);
    if (!IsPresentDrive(record) || model.empty()) return;
    for (const int temperature : DriveTemperatures(record)) visit(model, temperature);
}

// The tooltip field holds 64 characters, the last one its end mark.
inline constexpr std::size_t kTrayTipCharacters = 63;

// Tooltip of a slot's icon: "型式：" + model (trailing blanks removed), then,
// when volumes are stored, CR LF + "ドライブレター：" + volumes, then CR LF +
// "現在の温度：" + temperature + "℃". Model and volumes go through
// DisplayText, so the only line breaks are these separators.
// At most kTrayTipCharacters characters (CR and LF count one each): the
// temperature line always stays whole, and what does not fit is cut from the
// lines before it at a character boundary (a line break left open at the cut
// goes with it), so the tip never shows part of a number.
std::string TrayTooltip(std::string_view model, const std::optional<std::string>& volumes, int temperature);

class TrayIcons {
public:
    explicit TrayIcons(NotificationArea& area) : area_(area) {}

    // Builds the slot's record (picture, tooltip) and adds or modifies the
    // icon. Returns what the notification area reported.
    bool SetTrayIcon(DriveSlot slot, int temperature, const std::string& model,
                     const std::optional<std::string>& volumes, TrayMode mode);

    // AddTrayIcons, in two halves, for the drives are read in between.
    // BeginAdding: count = 0; without a notification area now the icons wait
    // for one (WaitingForArea).
    void BeginAdding();
    // For a fresh read of the slot's drive: the icon of every temperature of a
    // drive with a model (ForEachTemperature). Only icons the notification
    // area accepted are counted and flagged, so a desktop without one leaves
    // the count at 0.
    void AddFromRead(DriveSlot slot, const DriveRecord& record, const std::optional<std::string>& volumes);

    // The icons were asked for while the desktop had no notification area.
    bool WaitingForArea() const { return waitingForArea_; }
    // True when icons wait for a notification area and the desktop has one
    // now (the minute pass asks): time to add them again.
    bool AreaAppeared() const { return waitingForArea_ && area_.Available(); }

    // Switching the icons off: count = 0 and a delete for all sixteen slots.
    // The added flags stay; icons that were waiting for an area no longer do.
    void RemoveAllIcons();

    // Shutdown: deletes the icon of every slot whose added flag is set.
    void RemoveAddedIcons();

    // Whether the desktop has a notification area now.
    bool AreaAvailable() const { return area_.Available(); }

    // TrayIconCount: icons added since the icons were last switched on.
    int Count() const { return count_; }
    // The icons the user can see and click now: the count, or 0 while the
    // desktop has no notification area (the window never hides behind
    // icons that nobody can see).
    int ShownCount() const { return area_.Available() ? count_ : 0; }
    // TrayIconAdded of a slot; false outside 0..15.
    bool Added(DriveSlot slot) const;
    // The slot's record as last filled; nullopt when never filled.
    std::optional<TrayIconRecord> Record(DriveSlot slot) const;

private:
    NotificationArea& area_;
    std::array<std::optional<TrayIconRecord>, kSlotCount> records_;
    std::array<bool, kSlotCount> added_{};
    int count_ = 0;
    bool waitingForArea_ = false;
};

}  // namespace qm
