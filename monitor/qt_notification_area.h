// The notification area of the desktop: one QSystemTrayIcon per drive slot.
// Where the desktop has no notification area (the offscreen platform, a bare
// X server), every add is refused and nothing is shown.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include <QSystemTrayIcon>

#include "monitor/notification_area.h"

namespace qm {

// The mouse button a temperature icon reports: 1 left, 2 right, 0 other.
using TrayClickHandler = std::function<void(int button)>;

class QtNotificationArea final : public NotificationArea {
public:
    QtNotificationArea();
    ~QtNotificationArea() override;

    bool AddIcon(const TrayIconRecord& record) override;
    bool ModifyIcon(const TrayIconRecord& record) override;
    bool DeleteIcon(DriveSlot slot) override;

    // Called for every click on any of the icons.
    void SetClickHandler(TrayClickHandler handler) { onClick_ = std::move(handler); }

private:
    void Apply(QSystemTrayIcon& icon, const TrayIconRecord& record);

    std::array<std::unique_ptr<QSystemTrayIcon>, kSlotCount> icons_;
    TrayClickHandler onClick_;
};

}  // namespace qm
