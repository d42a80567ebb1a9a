// A drive that does not answer never makes the window wait: the tabs of the
// others come, the stalled drive keeps its last values and the status line
// says it is being read, the other drives go on updating, and closing does
// not wait for it.
#include <QtTest>

#include <QLabel>
#include <QTabBar>

#include "tests/app/main_window_harness.h"

namespace qm {

using test::MainWindowHarness;
using Operation = test::RecordingNotificationArea::Operation;

namespace {
QString Status(MainWindow& form) { return form.Panel().Status()->isVisible() ? form.Panel().Status()->text() : QString(); }
}  // namespace

class MainWindowStalledDriveTest : public QObject {
    Q_OBJECT
private slots:
    void theTabsOfTheOtherDrivesComeAndTheSlowOneTakesItsPlaceLater() {
        MainWindowHarness harness;
        harness.gated.Hold(0);
        MainWindow& form = harness.Create();
        form.Start();
        form.ShowStarted();
        // After the hold the drives that answered get their tabs; the first is shown.
        QTRY_COMPARE(form.Panel().TabStrip()->count(), 4);
        QTRY_COMPARE(form.ShownDrive().model, std::string("Quillmoor Flash 240"));
        QCOMPARE(form.SelectedSlot(), 1);
        QVERIFY(Status(form).startsWith(QStringLiteral("ドライブを検出しています")));

        harness.gated.Release(0);
        harness.Settle();
        QCOMPARE(form.Panel().TabStrip()->count(), 5);
        QCOMPARE(form.Panel().TabStrip()->TabText(0), QStringLiteral("QM-HD1000A"));
        // The drive on display stays, under its tab, now the second.
        QCOMPARE(form.SelectedSlot(), 1);
        QCOMPARE(form.Panel().TabStrip()->SelectedIndex(), 1);
        QCOMPARE(Status(form), QString());
    }

    void aStalledDriveKeepsItsValuesSaysSoAndHoldsNothingElse() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" 38"));
        harness.gated.Hold(0);
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        QTRY_VERIFY(Status(form).startsWith(QStringLiteral("このドライブを読み取っています")));
        QCOMPARE(form.Panel().InfoList()->ItemText(0, 1), QStringLiteral("QM-HD1000A"));
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" 38"));

        // The minute pass: the other drives answer, the stalled one is skipped.
        harness.tray.calls.clear();
        form.UpdateTemperatures();
        QTRY_COMPARE(harness.tray.Calls(Operation::Modify).size(), std::size_t{3});
        for (const auto& call : harness.tray.Calls(Operation::Modify)) QVERIFY(call.record.slot != 0);
        // Another drive is shown at once.
        form.SelectSlot(2);
        QTRY_COMPARE(form.Panel().InfoList()->ItemText(0, 1), QStringLiteral("QM-HD500B"));
        QCOMPARE(Status(form), QString());
        form.SelectSlot(0);  // its last values, still being read
        QCOMPARE(form.Panel().InfoList()->ItemText(0, 1), QStringLiteral("QM-HD1000A"));

        harness.gated.Release(0);
        harness.Settle();
        QCOMPARE(Status(form), QString());
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" 38"));
    }

    void aDriveNeverShownThatStallsShowsNoOtherDrivesValues() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        harness.gated.Hold(4);
        form.SelectSlot(4);
        QTRY_VERIFY(Status(form).startsWith(QStringLiteral("このドライブを読み取っています")));
        QCOMPARE(form.Panel().InfoList()->ItemCount(), 0);
        QCOMPARE(form.Panel().AttributeList()->ItemCount(), 0);
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" --"));
        form.grab().save(QDir(QStringLiteral(QM_SCREENSHOT_DIR)).filePath(QStringLiteral("form1-reading.png")));
        harness.gated.Release(4);
        harness.Settle();
        QCOMPARE(form.Panel().InfoList()->ItemText(0, 1), QStringLiteral("QM-HD2000C"));
    }

    void closingWhileAReadHangsEndsWithoutIt() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        harness.gated.SetStuck(true);  // inside the kernel: no interruption ends it
        harness.gated.Hold(0);
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        QVERIFY(harness.gated.WaitUntilWaiting(0));
        QVERIFY(form.close());
        QCOMPARE(harness.process.ended, 1);
        QVERIFY(!form.Monitor().Worker().Stopped());  // left behind: main ends the process without it
        harness.gated.Release(0);
        QTRY_VERIFY(form.Monitor().Worker().Stop(std::chrono::milliseconds(0)));
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowStalledDriveTest)
#include "main_window_stalled_drive_test.moc"
