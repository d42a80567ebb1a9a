// Closing the main window: the close decision, the saved placement, the
// teardown and the exit commands.
#include <QtTest>

#include <QWindow>

#include "tests/app/main_window_harness.h"

namespace qm {

using test::MainWindowHarness;
using Operation = test::RecordingNotificationArea::Operation;

namespace {
void ForgetPlacement(MainWindowHarness& harness) {
    for (const char* key : {"LEFT", "TOP", "WIDTH", "HEIGHT"}) harness.Set("LOCATION", key, "unset");
}
std::vector<DriveSlot> DeletedSlots(const MainWindowHarness& harness) {
    std::vector<DriveSlot> deleted;
    for (const auto& call : harness.tray.Calls(Operation::Delete)) deleted.push_back(call.record.slot);
    return deleted;
}
}  // namespace

class MainWindowShutdownTest : public QObject {
    Q_OBJECT
private slots:
    void closeDecisionTable_data() {
        QTest::addColumn<bool>("icons");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<bool>("placementSaved");
        QTest::newRow("icons, normal") << true << "normal" << true << true;
        QTest::newRow("icons, minimised") << true << "minimised" << false << false;
        QTest::newRow("no icons, maximised") << false << "maximised" << false << false;
    }
    void closeDecisionTable() {
        QFETCH(bool, icons);
        QFETCH(QString, state);
        QFETCH(bool, staysOpen);
        QFETCH(bool, placementSaved);
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKICON", icons ? "Y" : "N");
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.Monitor().Tray().Count(), icons ? 4 : 0);
        if (state == "maximised") form.showMaximized();
        if (state == "minimised") form.showMinimized();
        ForgetPlacement(harness);

        const bool closed = form.close();
        QCOMPARE(closed, !staysOpen);
        QCOMPARE(form.TornDown(), !staysOpen);
        QCOMPARE(harness.process.ended, staysOpen ? 0 : 1);
        if (staysOpen) QVERIFY(form.isMinimized());
        QCOMPARE(harness.Get("LOCATION", "LEFT") != "unset", placementSaved);
        QCOMPARE(harness.Get("LOCATION", "HEIGHT") != "unset", placementSaved);
        if (!staysOpen) QCOMPARE(DeletedSlots(harness), icons ? (std::vector<DriveSlot>{0, 2, 4, 5}) : std::vector<DriveSlot>{});
    }

    void placementSavedOnCloseIsTheNormalOneInTwips() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        form.move(40, 30);
        ForgetPlacement(harness);
        QVERIFY(form.close());
        const QRect frame = form.frameGeometry();
        QCOMPARE(harness.Get("LOCATION", "LEFT"), std::to_string(frame.x() * 15));
        QCOMPARE(harness.Get("LOCATION", "TOP"), std::to_string(frame.y() * 15));
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), std::to_string(frame.width() * 15));
        QCOMPARE(harness.Get("LOCATION", "HEIGHT"), std::to_string(frame.height() * 15));
        QCOMPARE(harness.Get("LOCATION", "LEFT"), std::string("600"));
    }

    void maximisedWindowKeepsTheLastNormalPlacement() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        const std::string width = harness.Get("LOCATION", "WIDTH");
        QCOMPARE(width, std::to_string(form.frameGeometry().width() * 15));
        form.showMaximized();
        QVERIFY(form.close());
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), width);
    }

    void teardownTakesTheControlsDown() {
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKICON", "Y");
        harness.Set("SETTING", "TASKBAR", "Y");  // a minimised window stays on the taskbar
        MainWindow& form = harness.StartShown();
        form.showMinimized();
        QVERIFY(form.isVisible());
        QVERIFY(form.close());
        QVERIFY(form.Panel().TabStrip() == nullptr);
        QVERIFY(form.Panel().AttributeList() == nullptr);
        QVERIFY(form.Panel().InfoList() == nullptr);
        QVERIFY(form.Panel().StatusImages() == nullptr);
        QVERIFY(!form.MonitoringTimer().isActive());
        QCOMPARE(DeletedSlots(harness), (std::vector<DriveSlot>{0, 2, 4, 5}));
        QCOMPARE(harness.process.ended, 1);
        // Nothing runs any more.
        form.UpdateTemperatures();
        form.RefreshDriveView();
        form.resize(form.size() + QSize(5, 5));
    }

    void exitCommands_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("file menu") << "menuend";
        QTest::newRow("pop-up menu") << "menupopend";
    }
    void exitCommands() {
        QFETCH(QString, item);
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKICON", "Y");
        MainWindow& form = harness.StartShown();
        const QRect normal = form.frameGeometry();
        form.setWindowState(form.windowState() | Qt::WindowMinimized);  // as the desktop minimises it
        // It hides itself behind the icons.
        QVERIFY(!form.isVisible());
        ForgetPlacement(harness);
        test::Item(form, qPrintable(item))->trigger();
        QVERIFY(form.ExitRequested());
        QVERIFY(form.TornDown());
        QVERIFY(!(form.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)));
        // The placement the window had while it was last normal.
        QCOMPARE(harness.Get("LOCATION", "LEFT"), std::to_string(normal.x() * 15));
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), std::to_string(normal.width() * 15));
        QCOMPARE(DeletedSlots(harness), (std::vector<DriveSlot>{0, 2, 4, 5}));
        QCOMPARE(harness.process.ended, 1);
    }

    void exitFromAMaximisedWindowSavesTheNormalPlacement() {
        // The window system applies the return to normal some time after the
        // request; the exit saves before that, so it must not read the
        // maximised frame.
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        form.move(40, 30);
        const QRect normal = form.frameGeometry();
        form.showMaximized();
        QTRY_VERIFY(form.frameGeometry().width() > normal.width());
        ForgetPlacement(harness);
        test::Item(form, "menuend")->trigger();
        QVERIFY(form.TornDown());
        QCOMPARE(harness.Get("LOCATION", "LEFT"), std::to_string(normal.x() * 15));
        QCOMPARE(harness.Get("LOCATION", "TOP"), std::to_string(normal.y() * 15));
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), std::to_string(normal.width() * 15));
        QCOMPARE(harness.Get("LOCATION", "HEIGHT"), std::to_string(normal.height() * 15));
    }

    void closingWithIconsOnlyMinimisesUntilAnIconBringsItBack() {
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKICON", "Y");
        MainWindow& form = harness.StartShown();
        QVERIFY(!form.close());
        QVERIFY(form.isMinimized());
        QVERIFY(!form.isVisible());  // hidden behind the icons
        form.OnTrayIconActivated(QSystemTrayIcon::Trigger);    // a left click on an icon brings it back
        QVERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
        QVERIFY(!form.close());
        QCOMPARE(harness.process.ended, 0);
    }

    void aDesktopWithoutNotificationAreaClosesNormally() {
        MainWindowHarness harness;
        harness.tray.available = false;
        harness.Set("SETTING", "TASKICON", "Y");
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.Monitor().Tray().Count(), 0);
        form.showMinimized();
        QVERIFY(form.isVisible());  // never hidden with no icon to come back from
        QVERIFY(form.close());
        QCOMPARE(harness.process.ended, 1);
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowShutdownTest)
#include "main_window_shutdown_test.moc"
