// The notifier against a stand-in notification service on a private session
// bus (the test runs under dbus-run-session): what each call carries, updates
// in place, closing, the button, escaping, and the balloon without a service.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QVariantMap>
#include <QtTest>

#include "monitor/dbus_notifier.h"

namespace qm {

class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        uint replaces;
        QString summary;
        QString body;
        QStringList actions;
        uchar urgency;
    };
    QStringList capabilities{QStringLiteral("actions")};
    QList<Shown> shown;
    QList<uint> closed;
    uint lastId = 0;

public slots:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int) {
        shown.append({replaces, summary, body, actions, hints.value(QStringLiteral("urgency")).value<uchar>()});
        return replaces != 0 ? replaces : ++lastId;
    }
    void CloseNotification(uint id) { closed.append(id); }

signals:
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);
};

class DbusNotifierTest : public QObject {
    Q_OBJECT
private:
    QDBusConnection service_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-service"));
    FakeNotificationService fake_;

    bool Register() {
        return service_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake_,
                                       QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
               service_.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

    static Notice Sample(std::string key, bool critical, std::string body = "model\nchange") {
        return Notice{std::move(key), 3, critical, "summary", std::move(body)};
    }

private slots:
    void initTestCase() { QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session"); }

    void withoutAServiceTheBalloonShowsIt() {
        std::vector<Notice> balloons;
        DbusNotifier notifier([&](const Notice& n) { balloons.push_back(n); return true; });
        notifier.Show(Sample("a", true));
        QCOMPARE(balloons.size(), std::size_t{1});
        QCOMPARE(balloons[0].key, std::string("a"));
    }

    void oneNotificationPerKeyUpdatedInPlaceAndClosed() {
        QVERIFY(Register());
        int balloons = 0;
        DbusNotifier notifier([&](const Notice&) { ++balloons; return true; });
        QSignalSpy requested(&notifier, &DbusNotifier::DriveRequested);

        notifier.Show(Sample("drive/state", false));
        notifier.Show(Sample("drive/state", true));  // while the first is under way
        notifier.Show(Sample("drive/count05", false));
        QTRY_COMPARE(fake_.shown.size(), 3);
        QCOMPARE(fake_.shown[0].replaces, 0u);
        QCOMPARE(fake_.shown[0].urgency, uchar{1});
        QCOMPARE(fake_.shown[0].actions.first(), QStringLiteral("default"));
        QCOMPARE(fake_.shown[2].urgency, uchar{2});  // the update, critical, in place of the first
        QCOMPARE(fake_.shown[2].replaces, 1u);
        QCOMPARE(fake_.shown[1].replaces, 0u);       // another reason: its own notification

        emit fake_.ActionInvoked(2, QStringLiteral("default"));
        QTRY_COMPARE(requested.size(), 1);
        QCOMPARE(requested.first().first().toInt(), 3);
        emit fake_.ActionInvoked(99, QStringLiteral("default"));  // not ours
        QTest::qWait(50);
        QCOMPARE(requested.size(), 1);

        notifier.Close("drive/state");
        QTRY_COMPARE(fake_.closed, QList<uint>{1});
        notifier.Show(Sample("drive/state", false));  // after closing: a new one
        QTRY_COMPARE(fake_.shown.size(), 4);
        QCOMPARE(fake_.shown[3].replaces, 0u);

        emit fake_.NotificationClosed(2, 2);  // the user dismissed it
        QTest::qWait(50);
        notifier.Show(Sample("drive/count05", false));
        QTRY_COMPARE(fake_.shown.size(), 5);
        QCOMPARE(fake_.shown[4].replaces, 0u);
        QCOMPARE(balloons, 0);
    }

    void bodiesAreEscapedOnlyForAServiceThatReadsMarkup() {
        QCOMPARE(NotificationBody("<img src=a> & <b>", true), QStringLiteral("&lt;img src=a&gt; &amp; &lt;b&gt;"));
        QCOMPARE(NotificationBody("<b>", false), QStringLiteral("<b>"));
        fake_.capabilities.append(QStringLiteral("body-markup"));
        fake_.shown.clear();
        DbusNotifier notifier([](const Notice&) { return true; });
        notifier.Show(Sample("x/state", false, "<b>model</b>"));
        QTRY_COMPARE(fake_.shown.size(), 1);
        QCOMPARE(fake_.shown[0].body, QStringLiteral("&lt;b&gt;model&lt;/b&gt;"));
    }
};

}  // namespace qm

QTEST_GUILESS_MAIN(qm::DbusNotifierTest)
#include "dbus_notifier_test.moc"
