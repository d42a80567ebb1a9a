// The tools menu's options in the window, the notification icons' clicks and
// pop-up menu, and a notification area that appears after the program.
#include <QtTest>

#include <filesystem>

#include <QMenu>

#include "app/menu_commands.h"
#include "monitor/qt_notification_area.h"
#include "tests/app/main_window_harness.h"

namespace qm {

using test::MainWindowHarness;
using Operation = test::RecordingNotificationArea::Operation;

class MainWindowTrayTest : public QObject {
    Q_OBJECT
private slots:
    void optionItemsSwitchStoreAndApply() {
        MainWindowHarness harness;
        harness.Set("SETTING", "QM-HD1000A-QMA10H4K27Z1", "/ /home");
        MainWindow& form = harness.StartShown();
        QAction* icons = test::Item(form, "menutask");
        icons->trigger();
        QVERIFY(icons->isChecked());
        QCOMPARE(harness.Get("SETTING", "TASKICON"), std::string("Y"));
        QCOMPARE(form.Monitor().Tray().Count(), 3);
        icons->trigger();
        QVERIFY(!icons->isChecked());
        QCOMPARE(harness.Get("SETTING", "TASKICON"), std::string("N"));
        QCOMPARE(harness.tray.Calls(Operation::Delete).size(), std::size_t{16});

        QAction* taskbar = test::Item(form, "menubar");
        taskbar->trigger();
        QVERIFY(taskbar->isChecked());
        QCOMPARE(form.windowTitle(), QStringLiteral("QM-HD1000A(/ /home)"));
        QCOMPARE(form.WindowIconResource(), 238);
        taskbar->trigger();
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillmoor Ver1.2.0"));
        QCOMPARE(form.WindowIconResource(), 100);
        QCOMPARE(harness.Get("SETTING", "TASKBAR"), std::string("N"));

        QAction* minimised = test::Item(form, "menumini");
        minimised->trigger();
        QVERIFY(minimised->isChecked());
        QCOMPARE(harness.Get("SETTING", "STARTMIN"), std::string("Y"));
        QVERIFY(!form.isMinimized());
        QCOMPARE(form.HeldOptions(), (Options{false, false, true, std::nullopt}));
    }

    void aFailedWriteLeavesTheMarkAsItWas() {
        // Qt ticks the item before the command runs; the command must see
        // and keep the mark as it was.
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKICON", "Y");
        MainWindow& form = harness.StartShown();
        std::filesystem::remove(harness.settingsFile);
        std::filesystem::create_directory(harness.settingsFile);
        test::Item(form, "menutask")->trigger();
        QVERIFY(test::Item(form, "menutask")->isChecked());
        QCOMPARE(form.HeldOptions().trayIcons, true);
        QCOMPARE(form.Monitor().Tray().Count(), 3);
        QCOMPARE(harness.messages.shown.size(), std::size_t{1});
        test::Item(form, "menumini")->trigger();
        QVERIFY(!test::Item(form, "menumini")->isChecked());
        QCOMPARE(harness.messages.shown.size(), std::size_t{2});
    }

    void iconsOpenThePopUpAndBringTheWindowBack() {
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKICON", "Y");
        QtNotificationArea area(TrayAvailability::Assumed);
        MainWindow& form = harness.Create(&area);
        ConnectTrayIcons(area, form);
        form.Start();
        form.ShowStarted();
        for (const DriveSlot slot : {0, 2, 4}) {
            QVERIFY(area.Icon(slot) != nullptr);
            QCOMPARE(area.Icon(slot)->contextMenu(), form.Menu().trayPopup);
        }
        QCOMPARE(form.Menu().trayPopup->objectName(), QStringLiteral("menupop"));
        QVERIFY(!form.close());
        QVERIFY(!form.isVisible());

        // Neither the right, the middle nor a second click brings it back.
        for (const auto reason : {QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::DoubleClick}) {
            emit area.Icon(2)->activated(reason);
            QVERIFY(!form.isVisible());
        }
        emit area.Icon(4)->activated(QSystemTrayIcon::Trigger);
        QVERIFY(form.isVisible());
        QVERIFY(!(form.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)));
        QVERIFY(QTest::qWaitForWindowActive(&form));

        // The pop-up's one item ends the program the same way as the file menu's.
        QVERIFY(!form.close());
        form.Menu().trayPopup->actions().at(0)->trigger();
        QVERIFY(form.TornDown());
        QCOMPARE(harness.process.ended, 1);
        for (const DriveSlot slot : {0, 2, 4}) QVERIFY(area.Icon(slot) == nullptr);
    }

    void aNotificationAreaThatAppearsLater() {
        MainWindowHarness harness;
        harness.tray.available = false;
        harness.Set("SETTING", "TASKICON", "Y");
        MainWindow& form = harness.StartShown();
        form.showMinimized();
        QVERIFY(form.isVisible());  // nothing to come back from

        // The panel starts: the next minute's pass adds the icons.
        harness.tray.available = true;
        form.UpdateTemperatures();
        QCOMPARE(form.Monitor().Tray().Count(), 3);
        form.showNormal();
        QVERIFY(!form.close());
        QVERIFY(!form.isVisible());  // hidden behind the icons now

        // The panel goes away: the window comes back to the taskbar.
        harness.tray.available = false;
        form.UpdateTemperatures();
        QVERIFY(form.isVisible());
        QVERIFY(form.isMinimized());
        QVERIFY(form.close());
        QCOMPARE(harness.process.ended, 1);
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowTrayTest)
#include "main_window_tray_test.moc"
