// The menu items reach their commands (the commands themselves are tested
// in tests/commands), and the about box: one at a time, modeless, closed by
// Enter and by Esc.
#include <QtTest>

#include <QDir>
#include <QLabel>
#include <QPushButton>

#include <filesystem>

#include "app/about_box.h"
#include "tests/app/main_window_harness.h"

namespace qm {

using test::Item;
using test::MainWindowHarness;

namespace {
QList<AboutBox*> AboutBoxes() {
    QList<AboutBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<AboutBox*>(widget); box != nullptr && box->isVisible()) boxes << box;
    return boxes;
}
}  // namespace

class MainWindowMenuCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void exportWritesTheChosenFile() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        harness.files.answer = harness.settingsFolder.file("export.csv");
        Item(form, "menukaki")->trigger();
        harness.Settle();
        QCOMPARE(harness.files.requests.size(), std::size_t{1});
        QCOMPARE(harness.files.requests[0].proposedName, std::string("QM-HD1000A-QMA10H4K27Z1.csv"));
        QVERIFY(std::filesystem::file_size(*harness.files.answer) > 100);
    }

    void volumesAreFoundStoredAndShown() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.Panel().InfoList()->ItemText(6, 1), QStringLiteral("未取得"));
        Item(form, "menuletter")->trigger();
        harness.Settle();
        QCOMPARE(harness.messages.shown.size(), std::size_t{1});  // the warning
        QCOMPARE(harness.Get("SETTING", "QM-HD1000A-QMA10H4K27Z1"), std::string("/ /home"));
        QCOMPARE(form.Panel().InfoList()->ItemText(6, 1), QStringLiteral("/ /home"));
        QCOMPARE(form.Monitor().StoredVolumes()[4], std::optional<std::string>("/mnt/media /mnt/archive"));
    }

    void startAtLogOnSwitchesTheEntryAndItsMark() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QAction* item = Item(form, "menustart");
        const std::filesystem::path entry = harness.autostartFolder.path() / "Quillmoor.desktop";
        item->trigger();
        QVERIFY(item->isChecked());
        QVERIFY(std::filesystem::exists(entry));
        QCOMPARE(harness.Get("SETTING", "STARTUP"), std::string("Y"));
        form.ShowOptionChecks();  // the option held agrees with the mark
        QVERIFY(item->isChecked());
        item->trigger();
        QVERIFY(!item->isChecked());
        QVERIFY(!std::filesystem::exists(entry));
        QCOMPARE(harness.messages.shown.size(), std::size_t{2});
    }

    void linksGoToTheLauncher() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        for (const char* name : {"menuhelp", "menusmart", "menuhome", "menusaidai"}) Item(form, name)->trigger();
        QCOMPARE(harness.launcher.opened,
                 (std::vector<std::string>{
                     "file:/opt/quillmoor/share/quillmoor/ヘルプ.txt",
                     "address:https://ja.wikipedia.org/wiki/Self-Monitoring,_Analysis_and_Reporting_Technology",
                     "file:/opt/quillmoor/share/quillmoor/site/index.htm",
                     "file:/opt/quillmoor/share/quillmoor/site/quillmoor/hddmaxvalue.htm"}));
    }

    void theAboutBoxIsOneModelessBox() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        Item(form, "menuver")->trigger();
        Item(form, "menuver")->trigger();
        QCOMPARE(AboutBoxes().size(), 1);
        AboutBox* box = AboutBoxes().constFirst();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QCOMPARE(box->windowTitle(), QStringLiteral("Quillmoorのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(box->findChild<QLabel*>("lblTitle")->text(), QStringLiteral("Quillmoor"));
        QCOMPARE(box->findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Ver. 1.2.1"));
        QCOMPARE(box->findChild<QLabel*>("Picture1")->size(), QSize(187, 29));
        QCOMPARE(box->findChild<QLabel*>("Image1")->size(), QSize(32, 32));
        QVERIFY(box->findChild<QPushButton*>("cmdOK")->isDefault());
        QVERIFY(box->parent() == nullptr);
        QVERIFY(!box->isModal());
        QVERIFY(QApplication::activeModalWidget() == nullptr);  // the main window stays usable
        box->grab().save(QDir(QStringLiteral(QM_SCREENSHOT_DIR)).filePath(QStringLiteral("frmAbout.png")));

        QTest::keyClick(box, Qt::Key_Escape);
        QTRY_VERIFY(AboutBoxes().isEmpty());
        Item(form, "menuver")->trigger();
        QCOMPARE(AboutBoxes().size(), 1);
        QVERIFY(QTest::qWaitForWindowExposed(AboutBoxes().constFirst()));
        QTest::keyClick(AboutBoxes().constFirst(), Qt::Key_Return);
        QTRY_VERIFY(AboutBoxes().isEmpty());
    }

    void anOpenAboutBoxGoesWithTheWindow() {
        QPointer<AboutBox> box;
        {
            MainWindowHarness harness;
            MainWindow& form = harness.StartShown();
            Item(form, "menuver")->trigger();
            box = AboutBoxes().value(0);
            QVERIFY(box);
        }
        QVERIFY(!box);
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowMenuCommandsTest)
#include "main_window_menu_commands_test.moc"
