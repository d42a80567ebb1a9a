#include "monitor/dbus_notifier.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace qm {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kShowAction = QStringLiteral("default");

QDBusMessage Call(const QString& method) { return QDBusMessage::createMethodCall(kService, kPath, kInterface, method); }

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QString NotificationBody(const std::string& body, bool serviceReadsMarkup) {
    return serviceReadsMarkup ? Text(body).toHtmlEscaped() : Text(body);
}

DbusNotifier::DbusNotifier(std::function<bool(const Notice&)> balloon, QDBusConnection bus)
    : balloon_(std::move(balloon)), bus_(std::move(bus)) {
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(OnActionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this, SLOT(OnClosed(uint, uint)));
}

bool DbusNotifier::ServiceAvailable() {
    if (!available_) {
        QDBusConnectionInterface* bus = bus_.isConnected() ? bus_.interface() : nullptr;
        available_ = bus && (bus->isServiceRegistered(kService).value() ||
                             bus->activatableServiceNames().value().contains(kService));
        if (*available_) AskCapabilities();
    }
    return *available_;
}

// Whether the service reads markup in bodies decides how bodies are written,
// so notices wait for its answer (or its failure: then plain, escaped text).
void DbusNotifier::AskCapabilities() {
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(Call(QStringLiteral("GetCapabilities"))), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
        const QDBusPendingReply<QStringList> reply = *answered;
        markup_ = reply.isError() || reply.value().contains(QStringLiteral("body-markup"));
        answered->deleteLater();
        std::vector<Notice> waiting = std::move(beforeCapabilities_);
        for (const Notice& notice : waiting) Show(notice);
    });
}

void DbusNotifier::Show(const Notice& notice) {
    if (!ServiceAvailable()) {
        if (balloon_) balloon_(notice);
        return;
    }
    if (!markup_) {
        beforeCapabilities_.push_back(notice);
        return;
    }
    Entry& entry = entries_[notice.key];
    entry.closeWhenAnswered = false;
    if (entry.waiting) {
        entry.next = notice;  // sent, in place, once the service said which id it has
        return;
    }
    Send(notice.key, notice);
}

void DbusNotifier::Send(const std::string& key, const Notice& notice) {
    Entry& entry = entries_[key];
    QDBusMessage message = Call(QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(notice.critical ? 2 : 1));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("quillmoor"));
    hints.insert(QStringLiteral("category"), QStringLiteral("device.error"));
    message << QStringLiteral("Quillmoor") << entry.id.value_or(0u) << QStringLiteral("quillmoor") << Text(notice.summary)
            << NotificationBody(notice.body, *markup_)
            << QStringList{kShowAction, QStringLiteral("ドライブを表示")} << hints << -1;
    entry.waiting = true;
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    const int slot = notice.slot;
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, key, slot, notice](QDBusPendingCallWatcher* answered) {
        const QDBusPendingReply<uint> reply = *answered;
        answered->deleteLater();
        Entry& entry = entries_[key];
        entry.waiting = false;
        if (reply.isError()) {
            entries_.erase(key);
            if (balloon_) balloon_(notice);
            return;
        }
        entry.id = reply.value();
        slots_[*entry.id] = slot;
        if (entry.closeWhenAnswered) {
            Close(key);
        } else if (entry.next) {
            const Notice next = *std::exchange(entry.next, std::nullopt);
            Send(key, next);
        }
    });
}

void DbusNotifier::Close(const std::string& key) {
    const auto found = entries_.find(key);
    if (found == entries_.end()) {
        std::erase_if(beforeCapabilities_, [&](const Notice& notice) { return notice.key == key; });
        return;
    }
    Entry& entry = found->second;
    entry.next.reset();
    if (entry.waiting) {
        entry.closeWhenAnswered = true;
        return;
    }
    if (entry.id) {
        QDBusMessage message = Call(QStringLiteral("CloseNotification"));
        message << *entry.id;
        bus_.asyncCall(message);
        slots_.erase(*entry.id);
    }
    entries_.erase(found);
}

void DbusNotifier::OnActionInvoked(uint id, const QString& action) {
    const auto found = slots_.find(id);
    if (found != slots_.end() && action == kShowAction) emit DriveRequested(found->second);
}

void DbusNotifier::OnClosed(uint id, uint /*reason*/) { Forget(id); }

// The user (or the service) closed a notification: a later notice of its
// key starts a new one.
void DbusNotifier::Forget(uint id) {
    if (slots_.erase(id) == 0) return;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->second.id == id && !it->second.waiting) {
            entries_.erase(it);
            return;
        }
    }
}

}  // namespace qm
