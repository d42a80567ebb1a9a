// The desktop notifications of the running program: the notification service
// on the session bus (DbusNotifier), reached for the first time when there is
// something to tell, so that the start-up never waits for the bus; without
// the service, the notification icons' balloon message.
#pragma once

#include <memory>

#include <QObject>

#include "monitor/desktop_notifier.h"
#include "monitor/notification_area.h"

namespace qm {

class DbusNotifier;

class DesktopAlerts final : public QObject, public DesktopNotifier {
    Q_OBJECT
public:
    explicit DesktopAlerts(NotificationArea& area, QObject* parent = nullptr);
    ~DesktopAlerts() override;

    void Show(const Notice& notice) override;
    // Nothing to take away before anything was shown.
    void Close(const std::string& key) override;

signals:
    // The user chose a notification (or its button): bring up this drive.
    void DriveRequested(int slot);

private:
    DbusNotifier& Bus();

    NotificationArea& area_;
    std::unique_ptr<DbusNotifier> bus_;
};

}  // namespace qm
