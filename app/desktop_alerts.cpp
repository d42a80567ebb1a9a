#include "app/desktop_alerts.h"

#include "monitor/dbus_notifier.h"

namespace qm {

DesktopAlerts::DesktopAlerts(NotificationArea& area, QObject* parent) : QObject(parent), area_(area) {}

DesktopAlerts::~DesktopAlerts() = default;

DbusNotifier& DesktopAlerts::Bus() {
    if (!bus_) {
        bus_ = std::make_unique<DbusNotifier>([this](const Notice& notice) {
            return area_.ShowMessage(notice.slot, notice.summary, notice.body, notice.critical);
        });
        connect(bus_.get(), &DbusNotifier::DriveRequested, this, &DesktopAlerts::DriveRequested);
    }
    return *bus_;
}

void DesktopAlerts::Show(const Notice& notice) { Bus().Show(notice); }

void DesktopAlerts::Close(const std::string& key) {
    if (bus_) bus_->Close(key);
}

}  // namespace qm
