#include "monitor/qt_notification_area.h"

#include "monitor/program_icons.h"

namespace qm {

namespace {
bool ValidSlot(DriveSlot slot) { return slot >= 0 && slot < kSlotCount; }
}  // namespace

QtNotificationArea::QtNotificationArea() = default;
QtNotificationArea::~QtNotificationArea() = default;

void QtNotificationArea::Apply(QSystemTrayIcon& icon, const TrayIconRecord& record) {
    if (const auto picture = IconResource(record.iconResource)) icon.setIcon(*picture);
    // The tooltip's lines are joined by CR LF; the desktop wants plain line feeds.
    icon.setToolTip(QString::fromStdString(record.tip).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

bool QtNotificationArea::AddIcon(const TrayIconRecord& record) {
    if (!ValidSlot(record.slot) || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
    auto& icon = icons_[static_cast<std::size_t>(record.slot)];
    if (icon) return false;  // one icon per slot, as the desktop shell keeps it
    icon = std::make_unique<QSystemTrayIcon>();
    Apply(*icon, record);
    QObject::connect(icon.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
        if (!onClick_) return;
        if (reason == QSystemTrayIcon::Trigger) onClick_(1);
        else if (reason == QSystemTrayIcon::Context) onClick_(2);
    });
    icon->show();
    return true;
}

bool QtNotificationArea::ModifyIcon(const TrayIconRecord& record) {
    if (!ValidSlot(record.slot)) return false;
    auto& icon = icons_[static_cast<std::size_t>(record.slot)];
    if (!icon) return false;
    Apply(*icon, record);
    return true;
}

bool QtNotificationArea::DeleteIcon(DriveSlot slot) {
    if (!ValidSlot(slot)) return false;
    auto& icon = icons_[static_cast<std::size_t>(slot)];
    if (!icon) return false;
    icon->hide();
    icon.reset();
    return true;
}

}  // namespace qm
