// Desktop notifications through the freedesktop notification service on the
// session bus (org.freedesktop.Notifications); without the service, the
// notification icon's balloon message; without that, nothing.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QDBusConnection>
#include <QObject>

#include "monitor/desktop_notifier.h"

class QDBusPendingCallWatcher;

namespace qm {

// The body as the service is given it: plain text, unless the service reads
// markup in bodies; then "&", "<" and ">" are written as entities, so that
// nothing a drive reports can become a tag.
QString NotificationBody(const std::string& body, bool serviceReadsMarkup);

class DbusNotifier final : public QObject, public DesktopNotifier {
    Q_OBJECT
public:
    // `balloon` shows a notice as a notification icon's balloon message and
    // says whether there was an icon to show it.
    explicit DbusNotifier(std::function<bool(const Notice&)> balloon,
                          QDBusConnection bus = QDBusConnection::sessionBus());

    void Show(const Notice& notice) override;
    void Close(const std::string& key) override;

signals:
    // The user chose a notification's button (or the notification itself).
    void DriveRequested(int slot);

private:
    struct Entry {
        std::optional<uint> id;         // the service's id, once it answered
        bool waiting = false;           // a call for this key is under way
        std::optional<Notice> next;     // what to show when it answers
        bool closeWhenAnswered = false;
    };

private slots:
    // The service's signals (connected by name: D-Bus signals have no typed connect).
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    bool ServiceAvailable();
    void AskCapabilities();
    void Send(const std::string& key, const Notice& notice);
    void Answered(const std::string& key, QDBusPendingCallWatcher* call);
    void Forget(uint id);

    std::function<bool(const Notice&)> balloon_;
    QDBusConnection bus_;
    std::optional<bool> available_;
    std::optional<bool> markup_;              // nullopt until the service said
    std::vector<Notice> beforeCapabilities_;  // shown once it has
    std::map<std::string, Entry> entries_;
    std::map<uint, int> slots_;               // service id → drive slot
};

}  // namespace qm
