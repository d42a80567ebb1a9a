// Form1's design and start-up: controls, menus, the administrator warning,
// placement and options from the settings file, the drive tabs and the first
// drive shown.
#include <QtTest>

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include "tests/app/form1_harness.h"

namespace qm {

using test::ColumnTexts;
using test::Form1Harness;
using test::HealthyDrive;
using test::TestDriveSet;

class Form1StartupTest : public QObject {
    Q_OBJECT
private slots:
    void designOfTheWindow() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillmoor Ver1.2.0"));
        QCOMPARE(form.centralWidget()->size(), QSize(786, 412));
        QCOMPARE(form.WindowIconResource(), 100);

        for (const char* name : {"TextLetter", "TextSerial", "Textkatasiki", "Command1", "Combo1", "Picture1"}) {
            QWidget* widget = form.findChild<QWidget*>(QString::fromUtf8(name));
            QVERIFY2(widget != nullptr, name);
            QVERIFY2(!widget->isVisible(), name);
        }
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Picture1"))->size(), QSize(41, 41));
        QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("再表示"));
        for (QWidget* widget : std::initializer_list<QWidget*>{form.Frame2(), form.Label1(), form.Picture5(),
                                                               form.Picture2(), form.Picture8(), form.Picture9()})
            QVERIFY2(widget->isVisible(), qPrintable(widget->objectName()));
        QCOMPARE(form.Frame2()->title(), QStringLiteral("S.M.A.R.T詳細情報"));
        QCOMPARE(form.Frame2()->font().family(), QStringLiteral("メイリオ"));
        QCOMPARE(form.Frame2()->font().pointSizeF(), 9.0);
        QCOMPARE(form.Label1()->font().family(), QStringLiteral("メイリオ"));
        QCOMPARE(form.Picture9()->size(), QSize(96, 48));
        QCOMPARE(form.Picture9()->parentWidget(), form.Picture2());
        QCOMPARE(form.Picture2()->parentWidget(), form.Picture5());
        QCOMPARE(form.Picture8()->parentWidget(), form.Picture5());
        QCOMPARE(form.Timer1()->interval(), 60000);
        QVERIFY(form.Timer1()->isActive());
    }

    void timerRunsFromCreation() {
        Form1Harness harness;
        Form1& form = harness.Create();
        QVERIFY(form.Timer1()->isActive());
        QCOMPARE(form.Timer1()->interval(), 60000);
        QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("TextLetter"))->text(), QStringLiteral("未取得"));
        QCOMPARE(form.Label1()->toPlainText(), QStringLiteral("Text1"));
    }

    void menusCarryEveryCaption_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("visible");
        const auto row = [](const char* name, const char* caption, bool visible = true) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(caption) << visible;
        };
        row("menufile", "ファイル(&F)");
        row("menukaki", "データ書き出し(&L)");
        row("menuend", "Quillmoor の終了(&E)");
        row("menuedit", "編集(&E)", false);
        row("menuhyouji", "表示(&V)");
        row("menurehyouji", "再表示(&R)");
        row("menugraph", "温度推移グラフ(&G)");
        row("menusaidai", "メーカー別属性最大値の確認");
        row("menutool", "ツール(&T)");
        row("menutask", "タスクトレイに温度アイコン表示(&T)");
        row("menubar", "タスクバーに温度アイコン表示(&I)");
        row("menumini", "起動時に最小化(&N)");
        row("menustart", "Windows起動時に自動起動(&S)");
        row("menuletter", "ドライブレター取得(&D)");
        row("menyuhelp", "ヘルプ(&H)");
        row("menuhelp", "ヘルプ(&H)");
        row("menuver", "バージョン情報(&V)");
        row("menusmart", "S.M.A.R.Tとは(&S)");
        row("menuhome", "作者ホームページ(&W)");
        row("menupop", "ポップアップ", false);
        row("menupopend", "Quillmoor の終了(&E)");
    }
    void menusCarryEveryCaption() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, visible);
        Form1Harness harness;
        Form1& form = harness.Create();
        QAction* item = form.MenuItem(name.toStdString());
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), caption);
        QCOMPARE(item->isVisible(), visible);
        QVERIFY(!item->isChecked());
        QVERIFY(item->shortcut().isEmpty());
    }

    void menuBarOrder() {
        Form1Harness harness;
        Form1& form = harness.Create();
        QStringList shown;
        for (QAction* action : form.menuBar()->actions())
            if (action->isVisible()) shown << action->objectName();
        QCOMPARE(shown, (QStringList{"menufile", "menuhyouji", "menutool", "menyuhelp"}));
        QCOMPARE(form.PopupMenu()->actions().size(), 1);
        QCOMPARE(form.PopupMenu()->actions().at(0)->objectName(), QStringLiteral("menupopend"));
    }

    void withoutDrives() {
        TestDriveSet set;
        Form1Harness harness(set.folder());
        Form1& form = harness.StartShown();
        QCOMPARE(form.TabHandle()->count(), 0);
        QVERIFY(form.TabDriveMap().empty());
        QCOMPARE(form.Combo1()->count(), 16);
        QCOMPARE(form.Combo1()->currentIndex(), -1);
        QCOMPARE(form.Combo1()->itemText(0), QStringLiteral("PRIMARY_MASTER"));
        QCOMPARE(form.Combo1()->itemText(6), QStringLiteral("QUARTIARY_MASTER"));
        QCOMPARE(form.Combo1()->itemText(15), QStringLiteral("HDD15"));
        // The placeholder rows stay.
        const ReportList& info = *form.InfoList();
        QCOMPARE(ColumnTexts(info, 0), (QStringList{"モデル", "シリアルNo", "ファームウェア", "シリンダ数", "ヘッド/トラック",
                                                    "ディスク容量", "ドライブレター", "", "現在の温度"}));
        QCOMPARE(ColumnTexts(info, 1), (QStringList{"Error", "Error", "Error", "Error", "Error", "Error", "Error", "", ""}));
        QCOMPARE(form.AttributeList()->ItemCount(), 0);
        QCOMPARE(form.Label1()->toPlainText(), QString());
        QCOMPARE(form.Picture9()->Text(), QString());  // no drive shown, no pass yet
        QVERIFY(harness.tray.calls.empty());
        for (const std::string& letters : form.SlotDriveLetters()) QCOMPARE(letters, std::string());
    }

    void withDrivesInSlotsZeroAndTwo() {
        TestDriveSet set({HealthyDrive(0, "DISK-A", 35), HealthyDrive(2, "DISK-C", 36)});
        Form1Harness harness(set.folder());
        harness.Set("SETTING", "DISK-C-SN1002", "/srv");
        Form1& form = harness.StartShown();
        QCOMPARE(form.TabHandle()->count(), 2);
        QCOMPARE(form.TabHandle()->TabText(0), QStringLiteral("DISK-A"));
        QCOMPARE(form.TabHandle()->TabText(1), QStringLiteral("DISK-C"));
        QCOMPARE(form.TabHandle()->SelectedIndex(), 0);
        QCOMPARE(form.TabDriveMap(), (std::vector<TabMapRow>{{"DISK-A", "0"}, {"DISK-C", "2"}}));
        QCOMPARE(form.SelectedSlot(), 0);
        QCOMPARE(form.InfoList()->ItemText(0, 1), QStringLiteral("DISK-A"));
        QCOMPARE(form.SlotIdentity()[2], (SlotIdentityRow{"DISK-C", "SN1002"}));
        QCOMPARE(form.SlotDriveLetters()[0], std::string("ERROR"));
        QCOMPARE(form.SlotDriveLetters()[2], std::string("/srv"));
        QCOMPARE(form.SlotDriveLetters()[1], std::string());
        QCOMPARE(form.Picture9()->Text(), QStringLiteral(" 35"));
    }

    void everyDriveBeyondSevenMapsToItsOwnSlot() {
        std::vector<test::TestDrive> drives;
        const std::vector<int> driveSlots = {0, 1, 2, 4, 6, 7, 9, 13, 15};
        for (int slot : driveSlots) drives.push_back(HealthyDrive(slot, "DISK-" + std::to_string(slot), 30 + slot));
        TestDriveSet set(drives);
        Form1Harness harness(set.folder());
        Form1& form = harness.StartShown();
        QCOMPARE(form.TabHandle()->count(), 9);
        QCOMPARE(form.TabDriveMap().size(), std::size_t{9});
        QTabBar* bar = form.TabHandle()->tabBar();
        for (int tab = 8; tab >= 0; --tab) {
            bar->setCurrentIndex(tab);
            const int slot = driveSlots[static_cast<std::size_t>(tab)];
            QCOMPARE(form.SelectedSlot(), slot);
            QCOMPARE(form.InfoList()->ItemText(0, 1), QStringLiteral("DISK-%1").arg(slot));
            QCOMPARE(form.Picture9()->Text(), QStringLiteral(" %1").arg(30 + slot));
        }
    }

    void listsHaveTheirColumnsAndFont() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        const ReportList& attributes = *form.AttributeList();
        const QStringList headers = {"", "ID", "属性名", "現在値", "限界値", "最悪値", "生の値"};
        const int widths[] = {24, 35, 170, 60, 60, 60, 60};
        const ColumnAlignment alignments[] = {ColumnAlignment::Left,  ColumnAlignment::Right, ColumnAlignment::Left,
                                              ColumnAlignment::Right, ColumnAlignment::Right, ColumnAlignment::Right,
                                              ColumnAlignment::Right};
        QCOMPARE(attributes.ColumnCount(), 7);
        for (int column = 0; column < 7; ++column) {
            QCOMPARE(attributes.Column(column).text, headers[column]);
            QCOMPARE(attributes.Column(column).width, widths[column]);
            QCOMPARE(attributes.Column(column).format, alignments[column]);
        }
        const ReportList& info = *form.InfoList();
        QCOMPARE(info.ColumnCount(), 2);
        QCOMPARE(info.Column(0).text, QStringLiteral("ディスク情報"));
        QCOMPARE(info.Column(0).width, 100);
        QCOMPARE(info.Column(1).text, QString());
        QCOMPARE(info.Column(1).width, 150);
        QVERIFY(attributes.showGrid());
        QVERIFY(!info.showGrid());
        QCOMPARE(attributes.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(info.selectionBehavior(), QAbstractItemView::SelectRows);
        for (QWidget* widget : std::initializer_list<QWidget*>{form.AttributeList(), form.InfoList(), form.TabHandle()}) {
            QCOMPARE(widget->font().pixelSize(), 12);
            QCOMPARE(widget->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        }
        QCOMPARE(form.StatusImages()->ImageCount(), 4);
        QCOMPARE(form.StatusImages()->ImageWidth(), 15);
        QCOMPARE(form.StatusImages()->ImageHeight(), 15);
    }

    void administratorWarning_data() {
        QTest::addColumn<bool>("administrator");
        QTest::newRow("administrator") << true;
        QTest::newRow("not administrator") << false;
    }
    void administratorWarning() {
        QFETCH(bool, administrator);
        Form1Harness harness;
        harness.rights = FixedRightsProbe(administrator);
        Form1& form = harness.Start();
        if (administrator) {
            QVERIFY(harness.messages.shown.empty());
        } else {
            QCOMPARE(harness.messages.shown.size(), std::size_t{1});
            const auto& shown = harness.messages.shown.front();
            QCOMPARE(shown.icon, MessageIcon::Stop);
            QCOMPARE(shown.buttons, MessageButtons::Ok);
            QCOMPARE(shown.caption, std::string("Quillmoor"));
            QCOMPARE(shown.text, std::string("Quillmoor は管理者権限で実行してください\r\n\r\n"
                                             "（簡易的に実行するにはファイルを右クリック「管理者として実行(A)...」を選択してください）"));
        }
        // The start-up goes on either way.
        QCOMPARE(form.TabHandle()->count(), 4);
    }

    void fontChoiceMovesTheTemperatureBox_data() {
        QTest::addColumn<bool>("meiryo");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("top");
        QTest::newRow("Meiryo installed") << true << QStringLiteral("メイリオ") << 193;   // 2900 twips
        QTest::newRow("Meiryo missing") << false << QStringLiteral("ＭＳ Ｐゴシック") << 147;  // 2200 twips
    }
    void fontChoiceMovesTheTemperatureBox() {
        QFETCH(bool, meiryo);
        QFETCH(QString, face);
        QFETCH(int, top);
        Form1Harness harness;
        if (meiryo) harness.fonts.families = {"DejaVu Sans", "Meiryo"};
        Form1& form = harness.StartShown();
        QCOMPARE(form.ListFont().family(), face);
        QCOMPARE(form.Picture9()->pos(), form.Picture2()->contentsRect().topLeft() + QPoint(104, top));
        // The box lies over the value cell of the temperature row.
        const ReportList& info = *form.InfoList();
        const QRect cell = info.visualItemRect(info.item(8, 1)).translated(info.viewport()->pos() + info.pos());
        QVERIFY2(form.Picture9()->geometry().contains(QPoint(cell.left() + 10, cell.center().y())),
                 qPrintable(QStringLiteral("cell %1,%2 box %3,%4").arg(cell.x()).arg(cell.y())
                                .arg(form.Picture9()->x()).arg(form.Picture9()->y())));
    }

    void placementFromTheSettingsFile() {
        Form1Harness harness;
        harness.Set("LOCATION", "LEFT", "1500");
        harness.Set("LOCATION", "TOP", "750");
        harness.Set("LOCATION", "WIDTH", "12000");
        harness.Set("LOCATION", "HEIGHT", "7500");
        Form1& form = harness.StartShown();
        QCOMPARE(form.frameGeometry(), QRect(100, 50, 800, 500));
    }

    void aPlacementValueThatIsNoNumberLeavesOnlyThatProperty() {
        Form1Harness harness;
        const QSize designed = harness.Create().frameGeometry().size();
        harness.form.reset();
        harness.Set("LOCATION", "LEFT", "1500");
        harness.Set("LOCATION", "TOP", "abc");
        harness.Set("LOCATION", "WIDTH", "ERROR");
        harness.Set("LOCATION", "HEIGHT", "7500");
        Form1& form = harness.StartShown();
        QCOMPARE(form.frameGeometry().x(), 100);
        QCOMPARE(form.frameGeometry().width(), designed.width());
        QCOMPARE(form.frameGeometry().height(), 500);
    }

    void hostilePlacementValuesAreHeld() {
        Form1Harness harness;
        const QSize designed = harness.Create().frameGeometry().size();
        harness.form.reset();
        harness.Set("LOCATION", "LEFT", "1e30");
        harness.Set("LOCATION", "TOP", "-1e30");
        harness.Set("LOCATION", "WIDTH", "999999999");
        harness.Set("LOCATION", "HEIGHT", "-300");
        Form1& form = harness.StartShown();
        QVERIFY(form.frameGeometry().width() <= form.screen()->availableVirtualGeometry().width());
        QCOMPARE(form.frameGeometry().height(), designed.height());
        QVERIFY(std::abs(form.x()) <= 32767);
        QVERIFY(std::abs(form.y()) <= 32767);
    }

    void savedOptions_data() {
        QTest::addColumn<QString>("taskIcon");
        QTest::addColumn<QString>("taskBar");
        QTest::addColumn<QString>("startup");
        QTest::addColumn<QString>("startMin");
        QTest::newRow("all on") << "Y" << "Y" << "Y" << "Y";
        QTest::newRow("all off") << "N" << "N" << "N" << "N";
        QTest::newRow("lower case counts as off") << "y" << "y" << "y" << "y";
        QTest::newRow("missing keys") << "" << "" << "" << "";
        QTest::newRow("tray only") << "Y" << "N" << "N" << "N";
        QTest::newRow("start minimised only") << "N" << "N" << "N" << "Y";
    }
    void savedOptions() {
        QFETCH(QString, taskIcon);
        QFETCH(QString, taskBar);
        QFETCH(QString, startup);
        QFETCH(QString, startMin);
        Form1Harness harness;
        const auto set = [&](const char* key, const QString& value) {
            if (!value.isEmpty()) harness.Set("SETTING", key, value.toStdString());
        };
        set("TASKICON", taskIcon);
        set("TASKBAR", taskBar);
        set("STARTUP", startup);
        set("STARTMIN", startMin);
        harness.Set("SETTING", "QM-HD1000A-QMA10H4K27Z1", "/ /home");
        Form1& form = harness.StartShown();

        const auto stored = [](const QString& value) { return value.isEmpty() ? std::string("ERROR") : value.toStdString(); };
        QCOMPARE(form.TaskIconSetting(), stored(taskIcon));
        QCOMPARE(form.TaskBarSetting(), stored(taskBar));
        QCOMPARE(form.StartMinSetting(), stored(startMin));
        QCOMPARE(form.MenuItem("menutask")->isChecked(), taskIcon == "Y");
        QCOMPARE(form.MenuItem("menubar")->isChecked(), taskBar == "Y");
        QCOMPARE(form.MenuItem("menustart")->isChecked(), startup == "Y");
        QCOMPARE(form.MenuItem("menumini")->isChecked(), startMin == "Y");
        QCOMPARE(form.Tray().Count(), taskIcon == "Y" ? 3 : 0);
        QCOMPARE(harness.tray.Calls(test::RecordingNotificationArea::Operation::Add).size(),
                 std::size_t{taskIcon == "Y" ? 3u : 0u});
        QCOMPARE(form.windowTitle(), taskBar == "Y" ? QStringLiteral("QM-HD1000A(/ /home)") : QStringLiteral("Quillmoor Ver1.2.0"));
        QCOMPARE(form.WindowIconResource(), taskBar == "Y" ? 238 : 100);
        QCOMPARE(form.isMinimized(), startMin == "Y");
        // Minimised behind shown icons, without the taskbar option: hidden.
        QCOMPARE(form.isVisible(), !(startMin == "Y" && taskIcon == "Y" && taskBar != "Y"));
    }

    void optionItemsDoNotTickThemselves_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("options on") << "Y";
        QTest::newRow("options off") << "N";
        QTest::newRow("keys missing") << "";
    }
    void optionItemsDoNotTickThemselves() {
        // Their commands are not wired: a click must not change the mark.
        QFETCH(QString, value);
        Form1Harness harness;
        for (const char* key : {"TASKICON", "TASKBAR", "STARTMIN", "STARTUP"})
            if (!value.isEmpty()) harness.Set("SETTING", key, value.toStdString());
        Form1& form = harness.StartShown();
        for (const char* name : {"menutask", "menubar", "menumini", "menustart"}) {
            QAction* item = form.MenuItem(name);
            QVERIFY(item->isCheckable());
            QCOMPARE(item->isChecked(), value == "Y");
            for (int click = 0; click < 3; ++click) {
                item->trigger();
                QVERIFY2(item->isChecked() == (value == "Y"), name);
            }
        }
        const std::string held = value.isEmpty() ? "ERROR" : value.toStdString();
        QCOMPARE(form.TaskIconSetting(), held);
        QCOMPARE(form.TaskBarSetting(), held);
        QCOMPARE(form.StartMinSetting(), held);
        QCOMPARE(form.StartUpSetting(), held);
    }

    void startingMinimisedBehindTheIconsNeverShowsTheWindow_data() {
        QTest::addColumn<QString>("taskBar");
        QTest::addColumn<bool>("shown");
        QTest::newRow("behind the icons") << "N" << false;
        QTest::newRow("on the taskbar") << "Y" << true;
    }
    void startingMinimisedBehindTheIconsNeverShowsTheWindow() {
        QFETCH(QString, taskBar);
        QFETCH(bool, shown);
        Form1Harness harness;
        harness.Set("SETTING", "TASKICON", "Y");
        harness.Set("SETTING", "TASKBAR", taskBar.toStdString());
        harness.Set("SETTING", "STARTMIN", "Y");
        Form1& form = harness.Create();
        test::EventCounter counter(form, QEvent::Show);
        form.Form_Load();
        form.ShowAfterLoad();
        QCoreApplication::processEvents();
        QCOMPARE(counter.count > 0, shown);
        QVERIFY(form.isMinimized());
        QCOMPARE(form.isVisible(), shown);
        // A click on an icon brings it back.
        form.Picture1_MouseMove(1);
        QVERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
    }

    void historyStartsAfterTheFirstDriveIsShown() {
        Form1Harness harness;
        harness.clock.time = {2024, 5, 6, 14, 40, 0};
        Form1& form = harness.Start();
        // The first drive's pass wrote at position 0; the reset makes it the next place.
        QCOMPARE(form.History().At(0, 0), (HistorySample{"2024/05/06 14:40", "38"}));
        for (DriveSlot slot = 0; slot < kSlotCount; ++slot) QCOMPARE(form.History().Position(slot), 0);
        harness.clock.time.minute = 50;
        form.Timer1_Timer();
        QCOMPARE(form.History().At(0, 0), (HistorySample{"2024/05/06 14:50", "38"}));
        QCOMPARE(form.History().Position(0), 1);
    }
};

}  // namespace qm

QTEST_MAIN(qm::Form1StartupTest)
#include "form1_startup_test.moc"
