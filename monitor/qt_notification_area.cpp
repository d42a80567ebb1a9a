#include "monitor/qt_notification_area.h"

#include <QMenu>

#include "controls/qt_text.h"

namespace qm {

QString TrayTooltipHtml(std::string_view tip) { return PlainTextMarkup(Utf8(tip)); }

QtNotificationArea::QtNotificationArea(TrayAvailability availability) : availability_(availability) {}
QtNotificationArea::~QtNotificationArea() = default;

void QtNotificationArea::Apply(QSystemTrayIcon& icon, const TrayIconRecord& record) {
    std::optional<TrayIconRecord>& shown = shown_[static_cast<std::size_t>(record.slot)];
    if (!shown || shown->iconResource != record.iconResource) {
        if (const auto picture = pictures_.Icon(record.iconResource)) {
            icon.setIcon(*picture);
            ++desktopUpdates_;
        }
    }
    if (!shown || shown->tip != record.tip) {
        icon.setToolTip(TrayTooltipHtml(record.tip));
        ++desktopUpdates_;
    }
    shown = record;
}

bool QtNotificationArea::AddIcon(const TrayIconRecord& record) {
    if (!IsValidSlot(record.slot)) return false;
    if (!Available()) return false;
    auto& icon = icons_[static_cast<std::size_t>(record.slot)];
    if (icon) return false;  // one icon per slot, as the desktop shell keeps it
    icon = std::make_unique<QSystemTrayIcon>();
    shown_[static_cast<std::size_t>(record.slot)].reset();
    Apply(*icon, record);
    if (contextMenu_) icon->setContextMenu(contextMenu_);
    connect(icon.get(), &QSystemTrayIcon::activated, this, &QtNotificationArea::activated);
    icon->show();
    return true;
}

bool QtNotificationArea::ModifyIcon(const TrayIconRecord& record) {
    if (!IsValidSlot(record.slot)) return false;
    auto& icon = icons_[static_cast<std::size_t>(record.slot)];
    if (!icon) return false;
    Apply(*icon, record);
    return true;
}

bool QtNotificationArea::DeleteIcon(DriveSlot slot) {
    if (!IsValidSlot(slot)) return false;
    auto& icon = icons_[static_cast<std::size_t>(slot)];
    if (!icon) return false;
    icon->hide();
    icon.reset();
    shown_[static_cast<std::size_t>(slot)].reset();
    return true;
}

bool QtNotificationArea::ShowMessage(DriveSlot slot, const std::string& title, const std::string& text, bool critical) {
    QSystemTrayIcon* carrier = Icon(slot);
    for (std::size_t s = 0; !carrier && s < icons_.size(); ++s) carrier = icons_[s].get();
    if (!carrier) return false;
    carrier->showMessage(QString::fromStdString(title), QString::fromStdString(text),
                         critical ? QSystemTrayIcon::Critical : QSystemTrayIcon::Warning);
    return true;
}

bool QtNotificationArea::Available() const {
    return availability_ == TrayAvailability::Assumed || QSystemTrayIcon::isSystemTrayAvailable();
}

QSystemTrayIcon* QtNotificationArea::Icon(DriveSlot slot) const {
    return IsValidSlot(slot) ? icons_[static_cast<std::size_t>(slot)].get() : nullptr;
}

}  // namespace qm
