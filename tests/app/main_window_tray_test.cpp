// The tools menu's option items and the notification icons in the window:
// items reach their commands, icons their pop-up and the window, and icons
// come when a notification area appears after the program.
#include <QtTest>

#include <filesystem>

#include <QMenu>

#include "app/menu_commands.h"
#include "monitor/qt_notification_area.h"
#include "tests/app/main_window_harness.h"

namespace qm {

using test::MainWindowHarness;

class MainWindowTrayTest : public QObject {
    Q_OBJECT
private slots:
    void optionItemsRunTheirCommands() {
        MainWindowHarness harness;
        harness.Set("SETTING", "QM-HD1000A-QMA10H4K27Z1", "/ /home");
        MainWindow& form = harness.StartShown();
        for (const char* name : {"menutask", "menubar", "menumini"}) {
            test::Item(form, name)->trigger();
            QVERIFY2(test::Item(form, name)->isChecked(), name);
        }
        harness.Settle();
        QCOMPARE(form.HeldOptions(), (Options{true, true, true, std::nullopt}));
        QCOMPARE(harness.Get("SETTING", "TASKICON") + harness.Get("SETTING", "TASKBAR") + harness.Get("SETTING", "STARTMIN"),
                 std::string("YYY"));
        QCOMPARE(form.Monitor().Tray().Count(), 4);
        QCOMPARE(form.windowTitle(), QStringLiteral("QM-HD1000A(/ /home)"));
        QCOMPARE(form.WindowIconResource(), 238);
        test::Item(form, "menubar")->trigger();
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillmoor Ver1.2.0"));
        QCOMPARE(form.WindowIconResource(), 100);
    }

    void aFailedWriteLeavesTheMarkAsItWas() {
        // Qt ticks the item before the command runs; the command must see and keep the old mark.
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        std::filesystem::remove(harness.settingsFile);
        std::filesystem::create_directory(harness.settingsFile);  // every write fails
        test::Item(form, "menutask")->trigger();
        QVERIFY(!test::Item(form, "menutask")->isChecked());
        QCOMPARE(harness.messages.shown.size(), std::size_t{1});
    }

    void iconsOpenThePopUpAndBringTheWindowBack() {
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKICON", "Y");
        QtNotificationArea area(TrayAvailability::Assumed);
        MainWindow& form = harness.Create(&area);
        ConnectTrayIcons(area, form);
        form.Start();
        form.ShowStarted();
        harness.Settle();
        QCOMPARE(area.Icon(4)->contextMenu(), form.Menu().trayPopup);
        QVERIFY(!form.close());
        QVERIFY(!form.isVisible());
        // Only the left button brings it back.
        for (const auto reason : {QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::DoubleClick})
            emit area.Icon(2)->activated(reason);
        QVERIFY(!form.isVisible());
        emit area.Icon(4)->activated(QSystemTrayIcon::Trigger);
        QVERIFY(form.isVisible());
        QVERIFY(!(form.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)));
        // A window system that shows it minimised all the same (X11 can) does not hide it again.
        form.setWindowState(form.windowState() | Qt::WindowMinimized);
        QVERIFY(form.isVisible() && !form.isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // The pop-up's one item ends the program and takes the icons away.
        form.Menu().trayPopup->actions().at(0)->trigger();
        QCOMPARE(harness.process.ended, 1);
        QVERIFY(area.Icon(4) == nullptr);
    }

    void aNotificationAreaThatAppearsLater() {
        MainWindowHarness harness;
        harness.tray.available = false;
        harness.Set("SETTING", "TASKICON", "Y");
        MainWindow& form = harness.StartShown();
        form.showMinimized();
        QVERIFY(form.isVisible());  // nothing to come back from
        // The panel starts: the next minute's pass adds the icons, and closing hides.
        harness.tray.available = true;
        form.UpdateTemperatures();
        harness.Settle();
        QCOMPARE(form.Monitor().Tray().Count(), 4);
        form.showNormal();
        QVERIFY(!form.close());
        QVERIFY(!form.isVisible());
        // The panel goes away: the window comes back to the taskbar, and a close ends.
        harness.tray.available = false;
        form.UpdateTemperatures();
        QVERIFY(form.isVisible() && form.isMinimized());
        QVERIFY(form.close());
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowTrayTest)
#include "main_window_tray_test.moc"
