// The monitoring cycle in the window: the minute timer, the temperature box,
// a refresh's own pass and the window icon in taskbar mode.
#include <QtTest>

#include <QTimer>
#include <QWindow>

#include "tests/app/main_window_harness.h"

namespace qm {

using test::MainWindowHarness;
using test::HealthyDrive;
using test::TestDriveSet;
using Operation = test::RecordingNotificationArea::Operation;

class MainWindowMonitoringTest : public QObject {
    Q_OBJECT
private slots:
    void timerTicksRunAPass() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        const std::size_t before = harness.tray.Calls(Operation::Modify).size();
        form.MonitoringTimer().setInterval(5);  // only here: the program never changes it
        QTRY_VERIFY(harness.tray.Calls(Operation::Modify).size() >= before + 3);
    }

    void temperatureBoxShowsTheSelectedDrive_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("text");
        QTest::newRow("healthy") << 0 << " 38";
        QTest::newRow("solid-state without temperature") << 1 << " --";
        QTest::newRow("empty slot") << 3 << " --";
    }
    void temperatureBoxShowsTheSelectedDrive() {
        QFETCH(int, slot);
        QFETCH(QString, text);
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        form.SelectSlot(slot);
        harness.Settle();
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), text);
        form.UpdateTemperatures();
        harness.Settle();
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), text);
    }

    void aSleepingSelectedDriveKeepsItsBoxUntilTheUserAsks() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        form.SelectSlot(0);
        harness.Settle();
        harness.sim.PutToSleep(0);
        form.UpdateTemperatures();
        harness.Settle();
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" 38"));
        QCOMPARE(harness.sim.WakeUps(0), 0);
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        harness.Settle();
        QCOMPARE(harness.sim.WakeUps(0), 1);
    }

    void aRefreshInASamplingMinuteAddsAnotherSample() {
        MainWindowHarness harness;
        harness.clock.time = {2024, 5, 6, 14, 49, 0};
        MainWindow& form = harness.StartShown();
        harness.clock.time.minute = 50;
        form.UpdateTemperatures();
        harness.Settle();
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        harness.Settle();
        QCOMPARE(form.Monitor().History().Position(0), 2);
        QCOMPARE(form.Monitor().History().At(0, 0).time, form.Monitor().History().At(0, 1).time);
    }

    void windowIconFollowsTheSelectedDriveInTaskbarMode_data() {
        QTest::addColumn<QString>("taskBar");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("icon");
        QTest::newRow("hot drive") << "Y" << 4 << 259;
        QTest::newRow("healthy drive") << "Y" << 0 << 238;
        QTest::newRow("no temperature keeps the icon") << "Y" << 1 << 238;
        QTest::newRow("option off") << "N" << 4 << 100;
    }
    void windowIconFollowsTheSelectedDriveInTaskbarMode() {
        QFETCH(QString, taskBar);
        QFETCH(int, slot);
        QFETCH(int, icon);
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKBAR", taskBar.toStdString());
        MainWindow& form = harness.StartShown();
        form.SelectSlot(slot);
        harness.Settle();
        QCOMPARE(form.WindowIconResource(), icon);
    }

    void anUnchangedWindowIconIsNotHandedOverAgain() {
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKBAR", "Y");
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.WindowIconResource(), 238);
        test::EventCounter changes(form, QEvent::WindowIconChange);
        for (int pass = 0; pass < 3; ++pass) {
            form.UpdateTemperatures();
            harness.Settle();
        }
        QCOMPARE(changes.count, 0);
        form.SelectSlot(4);
        harness.Settle();
        QCOMPARE(form.WindowIconResource(), 259);
        QCOMPARE(changes.count, 1);
        form.UpdateTemperatures();
        form.SelectSlot(4);
        harness.Settle();
        QCOMPARE(changes.count, 1);
        form.SelectSlot(0);
        harness.Settle();
        QCOMPARE(form.WindowIconResource(), 238);
        QCOMPARE(changes.count, 2);
    }

    void temperaturesAbove87ShowTheProgramIcon() {
        TestDriveSet set({HealthyDrive(0, "WARM", 45), HealthyDrive(1, "TOO-HOT", 90)});
        MainWindowHarness harness(set.folder());
        harness.Set("SETTING", "TASKBAR", "Y");
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.WindowIconResource(), 245);
        form.SelectSlot(1);
        harness.Settle();
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" 90"));
        QCOMPARE(form.WindowIconResource(), 100);  // never the other drive's 45
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowMonitoringTest)
#include "main_window_monitoring_test.moc"
