// The monitoring cycle in the window: Timer1, the temperature box, the history
// ring, the icon refreshes and the window icon in taskbar mode.
#include <QtTest>

#include <QTimer>
#include <QWindow>

#include "tests/app/form1_harness.h"

namespace qm {

using test::Form1Harness;
using test::HealthyDrive;
using test::TestDriveSet;
using Operation = test::RecordingNotificationArea::Operation;

class Form1MonitoringTest : public QObject {
    Q_OBJECT
private slots:
    void timerTicksRunAPass() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        const std::size_t before = harness.tray.Calls(Operation::Modify).size();
        form.Timer1()->setInterval(5);  // only here: the program never changes it
        QTRY_VERIFY(harness.tray.Calls(Operation::Modify).size() >= before + 3);
    }

    void temperatureBoxShowsTheSelectedDrive_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("text");
        QTest::newRow("healthy") << 0 << " 38";
        QTest::newRow("solid-state without temperature") << 1 << " --";
        QTest::newRow("failing") << 2 << " 44";
        QTest::newRow("empty slot") << 3 << " --";
        QTest::newRow("hot") << 4 << " 59";
    }
    void temperatureBoxShowsTheSelectedDrive() {
        QFETCH(int, slot);
        QFETCH(QString, text);
        Form1Harness harness;
        Form1& form = harness.StartShown();
        form.SelectSlot(slot);
        QCOMPARE(form.Picture9()->Text(), text);
        form.Timer1_Timer();
        QCOMPARE(form.Picture9()->Text(), text);
    }

    void historySamplesAtTenMinuteMarks() {
        Form1Harness harness;
        harness.clock.time = {2024, 5, 6, 14, 39, 0};
        Form1& form = harness.StartShown();
        harness.clock.time.minute = 40;
        form.Timer1_Timer();
        QCOMPARE(form.History().At(0, 0), (HistorySample{"2024/05/06 14:40", "38"}));
        QCOMPARE(form.History().At(2, 0), (HistorySample{"2024/05/06 14:40", "44"}));
        QCOMPARE(form.History().At(4, 0), (HistorySample{"2024/05/06 14:40", "59"}));
        QCOMPARE(form.History().Position(1), 0);
        for (int minute = 41; minute <= 49; ++minute) {
            harness.clock.time.minute = minute;
            form.Timer1_Timer();
        }
        QCOMPARE(form.History().Position(0), 1);
        harness.clock.time.minute = 50;
        form.Timer1_Timer();
        QCOMPARE(form.History().Position(0), 2);
        QCOMPARE(form.History().At(4, 1), (HistorySample{"2024/05/06 14:50", "59"}));
        // Samples are taken whether or not any icon is shown.
        QCOMPARE(form.Tray().Count(), 0);
    }

    void aRefreshInASamplingMinuteAddsAnotherSample() {
        Form1Harness harness;
        harness.clock.time = {2024, 5, 6, 14, 49, 0};
        Form1& form = harness.StartShown();
        harness.clock.time.minute = 50;
        form.Timer1_Timer();
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        QCOMPARE(form.History().Position(0), 2);
        QCOMPARE(form.History().At(0, 0).time, form.History().At(0, 1).time);
    }

    void ringWrapsAfterAHundredSamples() {
        Form1Harness harness;
        harness.clock.time = {2024, 5, 6, 0, 1, 0};
        Form1& form = harness.StartShown();
        for (int sample = 0; sample < 100; ++sample) {
            harness.clock.time.hour = sample / 6 % 24;
            harness.clock.time.minute = sample % 6 * 10;
            harness.clock.time.day = 6 + sample / 144;
            form.Timer1_Timer();
        }
        QCOMPARE(form.History().Position(0), 0);
        QCOMPARE(form.History().At(0, 99).time, std::string("2024/05/06 16:30"));
        harness.clock.time = {2024, 5, 6, 16, 40, 0};
        form.Timer1_Timer();
        QCOMPARE(form.History().At(0, 0).time, std::string("2024/05/06 16:40"));
        QCOMPARE(form.History().At(0, 1).time, std::string("2024/05/06 00:10"));
        QCOMPARE(form.History().Position(0), 1);
    }

    void everyPassRefreshesTheIconsWithTheLetters() {
        Form1Harness harness;
        harness.Set("SETTING", "QM-HD2000C-QMC20T60LW05", "/mnt/media /mnt/archive");
        Form1& form = harness.StartShown();
        harness.tray.calls.clear();
        form.Timer1_Timer();
        const auto modifies = harness.tray.Calls(Operation::Modify);
        QCOMPARE(modifies.size(), std::size_t{3});
        QCOMPARE(modifies[2].record.slot, 4);
        QCOMPARE(modifies[2].record.tip,
                 std::string("型式：QM-HD2000C\r\nドライブレター：/mnt/media /mnt/archive\r\n現在の温度：59℃"));
        QCOMPARE(form.LastTemperature(), std::optional<int>(59));
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
        Form1Harness harness;
        harness.Set("SETTING", "TASKBAR", taskBar.toStdString());
        Form1& form = harness.StartShown();
        form.SelectSlot(slot);
        QCOMPARE(form.WindowIconResource(), icon);
    }

    void anUnchangedWindowIconIsNotHandedOverAgain() {
        Form1Harness harness;
        harness.Set("SETTING", "TASKBAR", "Y");
        Form1& form = harness.StartShown();
        QCOMPARE(form.WindowIconResource(), 238);
        test::EventCounter changes(form, QEvent::WindowIconChange);
        for (int pass = 0; pass < 3; ++pass) form.Timer1_Timer();
        QCOMPARE(changes.count, 0);
        form.SelectSlot(4);
        QCOMPARE(form.WindowIconResource(), 259);
        QCOMPARE(changes.count, 1);
        form.Timer1_Timer();
        form.SelectSlot(4);
        QCOMPARE(changes.count, 1);
        form.SelectSlot(0);
        QCOMPARE(form.WindowIconResource(), 238);
        QCOMPARE(changes.count, 2);
        QVERIFY(!form.SetWindowIconResource(180));  // no such picture: the icon stays
        QCOMPARE(form.WindowIconResource(), 238);
        QCOMPARE(changes.count, 2);
    }

    void temperaturesAbove87KeepTheWindowIcon() {
        TestDriveSet set({HealthyDrive(0, "WARM", 45), HealthyDrive(1, "TOO-HOT", 90)});
        Form1Harness harness(set.folder());
        harness.Set("SETTING", "TASKBAR", "Y");
        Form1& form = harness.StartShown();
        QCOMPARE(form.WindowIconResource(), 245);
        form.SelectSlot(1);
        QCOMPARE(form.Picture9()->Text(), QStringLiteral(" 90"));
        QCOMPARE(form.WindowIconResource(), 245);
    }
};

}  // namespace qm

QTEST_MAIN(qm::Form1MonitoringTest)
#include "form1_monitoring_test.moc"
