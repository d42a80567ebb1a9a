// The notification-area seam: one temperature icon per drive slot.
#pragma once

#include <string>

#include "drives/device.h"

namespace qm {

// What one slot's icon shows: the icon resource (101 + temperature, see
// TrayIconResource) and the tooltip text.
struct TrayIconRecord {
    DriveSlot slot = 0;       // the icon id
    int temperature = 0;      // degrees Celsius the picture stands for
    int iconResource = 0;     // 101 .. 179
    std::string tip;          // lines joined by CR LF
    friend bool operator==(const TrayIconRecord&, const TrayIconRecord&) = default;
};

// Realised by status icons of the desktop (QSystemTrayIcon) or by a recorder
// in tests.
class NotificationArea {
public:
    virtual ~NotificationArea() = default;

    // Shows a new icon for record.slot. Returns false when the desktop has no
    // notification area or refuses the icon (nothing is shown then).
    virtual bool AddIcon(const TrayIconRecord& record) = 0;

    // Replaces picture and tooltip of the slot's icon in place. Returns false
    // when the slot has no icon (the normal case while the icons are off).
    virtual bool ModifyIcon(const TrayIconRecord& record) = 0;

    // Removes the slot's icon. Returns false when the slot has none.
    virtual bool DeleteIcon(DriveSlot slot) = 0;

    // Shows a balloon message at the slot's icon, or at any icon shown when
    // the slot has none: plain text, a warning or (critical) an error. Returns
    // false when no icon is shown to carry it.
    virtual bool ShowMessage(DriveSlot slot, const std::string& title, const std::string& text, bool critical) = 0;

    // Whether the desktop has a notification area now. It may appear after
    // the program (a panel that starts later) and go away again.
    virtual bool Available() const = 0;
};

}  // namespace qm
