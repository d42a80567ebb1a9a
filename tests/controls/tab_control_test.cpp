// TabControl: tabs labelled with model texts, changes reported once hooked.
#include <QtTest>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QTabBar>

#include "controls/tab_control.h"

namespace qm {

class TabControlTest : public QObject {
    Q_OBJECT
private slots:
    void firstTabIsSelectedWithoutANotification() {
        TabControl empty;
        QCOMPARE(empty.SelectedIndex(), -1);
        TabControl quiet;
        QSignalSpy quietChanged(&quiet, &TabControl::selectionChanged);
        QCOMPARE(quiet.InsertTab(0, QStringLiteral("QM-HD1000A")), 0);
        QCOMPARE(quiet.InsertTab(1, QStringLiteral("QM-HD500B")), 1);
        QCOMPARE(quiet.SelectedIndex(), 0);
        QCOMPARE(quietChanged.count(), 0);  // not hooked while the tabs are built
    }

    void labelsAreShownLiterally() {
        TabControl tabs;
        tabs.InsertTab(0, QStringLiteral("R&D DISK"));
        QCOMPARE(tabs.TabText(0), QStringLiteral("R&D DISK"));
        QCOMPARE(tabs.tabText(0), QStringLiteral("R&&D DISK"));  // no access key
        QCOMPARE(tabs.TabText(5), QString());
    }

    void clicksAndKeysReportTheNewIndexOnceHooked() {
        TabControl tabs;
        for (int i = 0; i < 3; ++i) tabs.InsertTab(i, QStringLiteral("DRIVE %1").arg(i));
        tabs.resize(500, 200);
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        tabs.Hook();
        QVERIFY(tabs.IsHooked());
        QSignalSpy changed(&tabs, &TabControl::selectionChanged);

        QTabBar* bar = tabs.tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), 2);

        // Clicking the selected tab again changes nothing.
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
        QCOMPARE(changed.count(), 1);

        // The keyboard behaves like a click.
        bar->setFocus();
        QTest::keyClick(bar, Qt::Key_Left);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(1).at(0).toInt(), 1);

        tabs.Unhook();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
        QCOMPARE(changed.count(), 2);
        QCOMPARE(tabs.SelectedIndex(), 0);
    }

    void aClickGivesTheStripTheFocus() {
        // As on a native tab control: after a click the arrow keys go on from the strip.
        QWidget window;
        auto* tabs = new TabControl(&window);
        for (int i = 0; i < 3; ++i) tabs->InsertTab(i, QStringLiteral("DRIVE %1").arg(i));
        tabs->setGeometry(0, 0, 500, 150);
        auto* other = new QLineEdit(&window);
        other->setGeometry(0, 160, 100, 20);
        window.resize(500, 200);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QTabBar* bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        QVERIFY(bar->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(tabs->SelectedIndex(), 2);
    }

    void theMouseWheelDoesNotSwitchTabs() {
        // Every switch reads a drive; a wheel turned over the strip must not.
        TabControl tabs;
        for (int i = 0; i < 3; ++i) tabs.InsertTab(i, QStringLiteral("DRIVE %1").arg(i));
        tabs.resize(500, 200);
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        tabs.Hook();
        QSignalSpy changed(&tabs, &TabControl::selectionChanged);
        QTabBar* bar = tabs.tabBar();
        tabs.setCurrentIndex(1);
        QCOMPARE(changed.count(), 1);
        for (const int delta : {-120, -120, 120, 120, 120, -360, 360}) {
            const QPointF at = bar->tabRect(1).center();
            QWheelEvent wheel(at, bar->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(bar, &wheel);
            QCOMPARE(tabs.SelectedIndex(), 1);
        }
        QCOMPARE(changed.count(), 1);
    }
};

}  // namespace qm

QTEST_MAIN(qm::TabControlTest)
#include "tab_control_test.moc"
