// The main window's design and start-up: panes, menus, the rights warning,
// placement and options from the settings file, the drive tabs and the first
// drive shown.
#include <QtTest>

#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTimer>

#include "controls/qt_text.h"
#include "smart/attribute_names.h"
#include "smart/nvme_rows.h"
#include "tests/app/main_window_harness.h"

namespace qm {

using test::ColumnTexts;
using test::MainWindowHarness;
using test::HealthyDrive;
using test::TestDriveSet;

class MainWindowStartupTest : public QObject {
    Q_OBJECT
private slots:
    void designOfTheWindow() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillmoor Ver1.2.0"));
        QCOMPARE(form.centralWidget()->size(), QSize(786, 412));
        QCOMPARE(form.WindowIconResource(), 100);
        QCOMPARE(form.objectName(), QStringLiteral("Form1"));
        for (QWidget* widget : std::initializer_list<QWidget*>{form.Panel().DetailFrame(), form.Panel().Detail(), form.Panel().TabHost(),
                                                               form.Panel().InfoHost(), form.Panel().AttributeHost(), form.Panel().TemperatureDisplay()})
            QVERIFY2(widget->isVisible(), qPrintable(widget->objectName()));
        QCOMPARE(form.Panel().DetailFrame()->title(), QStringLiteral("S.M.A.R.T詳細情報"));
        QCOMPARE(form.Panel().DetailFrame()->font().family(), QStringLiteral("メイリオ"));
        QCOMPARE(form.Panel().DetailFrame()->font().pointSizeF(), 9.0);
        QCOMPARE(form.Panel().Detail()->font().family(), QStringLiteral("メイリオ"));
        QCOMPARE(form.Panel().TemperatureDisplay()->size(), QSize(96, 48));
        QCOMPARE(form.Panel().TemperatureDisplay()->parentWidget(), form.Panel().InfoHost());
        for (const char* name : {"Picture5", "Picture2", "Picture8", "Picture9", "Frame2", "Label1", "Timer1"})
            QVERIFY2(form.findChild<QObject*>(QString::fromUtf8(name)) != nullptr, name);
        QCOMPARE(form.Panel().InfoHost()->parentWidget(), form.Panel().TabHost());
        QCOMPARE(form.Panel().AttributeHost()->parentWidget(), form.Panel().TabHost());
        QCOMPARE(form.MonitoringTimer().interval(), 60000);
        QVERIFY(form.MonitoringTimer().isActive());
    }

    void timerRunsFromCreation() {
        MainWindowHarness harness;
        MainWindow& form = harness.Create();
        QVERIFY(form.MonitoringTimer().isActive());
        QCOMPARE(form.MonitoringTimer().interval(), 60000);
        QCOMPARE(form.Panel().Detail()->toPlainText(), QStringLiteral("Text1"));
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
        row("menustart", "ログイン時に自動起動(&S)");  // names the Linux moment, not Windows' start-up
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
        MainWindowHarness harness;
        MainWindow& form = harness.Create();
        QAction* item = test::Item(form, qPrintable(name));
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), caption);
        QCOMPARE(item->isVisible(), visible);
        QVERIFY(!item->isChecked());
        QVERIFY(item->shortcut().isEmpty());
    }

    void menuBarOrder() {
        MainWindowHarness harness;
        MainWindow& form = harness.Create();
        QStringList shown;
        for (QAction* action : form.menuBar()->actions())
            if (action->isVisible()) shown << action->objectName();
        QCOMPARE(shown, (QStringList{"menufile", "menuhyouji", "menutool", "menyuhelp"}));
        QCOMPARE(form.Menu().trayPopup->actions().size(), 1);
        QCOMPARE(form.Menu().trayPopup->actions().at(0)->objectName(), QStringLiteral("menupopend"));
    }

    void withoutDrives() {
        TestDriveSet set;
        MainWindowHarness harness(set.folder());
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.Panel().TabStrip()->count(), 0);
        QCOMPARE(form.SelectedSlot(), -1);
        // The placeholder rows stay.
        const ReportList& info = *form.Panel().InfoList();
        QCOMPARE(ColumnTexts(info, 0), (QStringList{"モデル", "シリアルNo", "ファームウェア", "シリンダ数", "ヘッド/トラック",
                                                    "ディスク容量", "ドライブレター", "", "現在の温度"}));
        QCOMPARE(ColumnTexts(info, 1), (QStringList{"Error", "Error", "Error", "Error", "Error", "Error", "Error", "", ""}));
        QCOMPARE(form.Panel().AttributeList()->ItemCount(), 0);
        QCOMPARE(form.Panel().Detail()->toPlainText(), QString());
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QString());  // no drive shown, no pass yet
        QVERIFY(harness.tray.calls.empty());
    }

    void withDrivesInSlotsZeroAndTwo() {
        TestDriveSet set({HealthyDrive(0, "DISK-A", 35), HealthyDrive(2, "DISK-C", 36)});
        MainWindowHarness harness(set.folder());
        harness.Set("SETTING", "DISK-C-SN1002", "/srv");
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.Panel().TabStrip()->count(), 2);
        QCOMPARE(form.Panel().TabStrip()->TabText(0), QStringLiteral("DISK-A"));
        QCOMPARE(form.Panel().TabStrip()->TabText(1), QStringLiteral("DISK-C"));
        QCOMPARE(form.Panel().TabStrip()->SelectedIndex(), 0);
        QCOMPARE(form.SelectedSlot(), 0);
        QCOMPARE(form.Panel().InfoList()->ItemText(0, 1), QStringLiteral("DISK-A"));
        QCOMPARE(form.Monitor().StoredVolumes()[2], std::optional<std::string>("/srv"));
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" 35"));
        form.Panel().TabStrip()->tabBar()->setCurrentIndex(1);
        QCOMPARE(form.SelectedSlot(), 2);
    }

    void listsHaveTheirColumnsAndFont() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        const ReportList& attributes = *form.Panel().AttributeList();
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
        const ReportList& info = *form.Panel().InfoList();
        QCOMPARE(info.ColumnCount(), 2);
        QCOMPARE(info.Column(0).text, QStringLiteral("ディスク情報"));
        QCOMPARE(info.Column(0).width, 100);
        QCOMPARE(info.Column(1).text, QString());
        QCOMPARE(info.Column(1).width, 150);
        QVERIFY(attributes.showGrid());
        QVERIFY(!info.showGrid());
        QCOMPARE(attributes.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(info.selectionBehavior(), QAbstractItemView::SelectRows);
        for (QWidget* widget : std::initializer_list<QWidget*>{form.Panel().AttributeList(), form.Panel().InfoList(), form.Panel().TabStrip()}) {
            QCOMPARE(widget->font().pixelSize(), 12);
            QCOMPARE(widget->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        }
        QCOMPARE(form.Panel().StatusImages()->ImageCount(), 4);
        QCOMPARE(form.Panel().StatusImages()->ImageWidth(), 15);
        QCOMPARE(form.Panel().StatusImages()->ImageHeight(), 15);
    }

    void everyAttributeNameFitsItsColumn() {
        // The designed column is 170 pixels wide. The face that stands in for
        // the designed one has its widths, so the names fit there as they were
        // meant to; the three longest are wider than 170 pixels in that face
        // too, so they show shortened, and whole in a tooltip.
        const QStringList tooLong = {QStringLiteral("プログラムデータ読み込みエラー率"),
                                     QStringLiteral("サーマル・アスペリティ現象エラー総数"),
                                     QStringLiteral("LOAD_UNLOAD_CYCLE_COUNTII")};
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        const ReportList& list = *form.Panel().AttributeList();
        QCOMPARE(QFontInfo(list.font()).family(), QStringLiteral("IPAPGothic"));
        const QFontMetrics metrics(list.font());
        const int margins = 2 * (list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1);
        AttributeNames names;
        names.Build();
        QCOMPARE(names.entries().size(), std::size_t{49});
        QStringList cut;
        for (const auto& [id, name] : names.entries())
            if (metrics.horizontalAdvance(Utf8(name)) + margins > list.Column(2).width) cut << Utf8(name);
        QCOMPARE(cut.join(QLatin1Char('|')), tooLong.join(QLatin1Char('|')));
        // Every name of an NVMe drive's rows fits whole.
        std::vector<NvmeRowText> nvme(NvmeFieldRows().begin(), NvmeFieldRows().end());
        for (int sensor = 0; sensor < 8; ++sensor) nvme.push_back(NvmeSensorRow(sensor));
        nvme.push_back(NvmeLogUnreadableRow());
        QStringList nvmeCut;
        for (const NvmeRowText& row : nvme)
            if (metrics.horizontalAdvance(Utf8(row.name)) + margins > list.Column(2).width) nvmeCut << Utf8(row.name);
        QCOMPARE(nvmeCut.join(QLatin1Char('|')), QString());
    }

    // An NVMe drive's 16-byte counters widen the raw column so that no number
    // is cut; the next ATA drive has the designed width again.
    void theRawColumnFitsTheWidestValue() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        ReportList& list = *form.Panel().AttributeList();
        const int designed = list.columnWidth(6);
        form.SelectSlot(5);
        harness.Settle();
        const QFontMetrics metrics(list.font());
        int widest = 0;
        for (int row = 0; row < list.ItemCount(); ++row) widest = std::max(widest, metrics.horizontalAdvance(list.ItemText(row, 6)));
        QVERIFY(widest > designed);
        QVERIFY(list.columnWidth(6) > widest);
        form.SelectSlot(0);
        harness.Settle();
        QCOMPARE(list.columnWidth(6), designed);
    }

    void administratorWarning_data() {
        QTest::addColumn<bool>("administrator");
        QTest::newRow("administrator") << true;
        QTest::newRow("not administrator") << false;
    }
    void administratorWarning() {
        QFETCH(bool, administrator);
        MainWindowHarness harness;
        harness.rights = FixedRightsProbe(administrator);
        MainWindow& form = harness.Start();
        if (administrator) {
            QVERIFY(harness.messages.shown.empty());
        } else {
            QCOMPARE(harness.messages.shown.size(), std::size_t{1});
            const auto& shown = harness.messages.shown.front();
            QCOMPARE(shown.icon, MessageIcon::Stop);
            QCOMPARE(shown.buttons, MessageButtons::Ok);
            QCOMPARE(shown.caption, std::string("Quillmoor"));
#ifdef _WIN32
            QCOMPARE(shown.text, std::string("Quillmoor は管理者権限で実行してください\r\n\r\n"
                                             "（簡易的に実行するにはファイルを右クリック「管理者として実行(A)...」を選択してください）"));
#else
            QCOMPARE(shown.text, std::string("Quillmoor にはディスクの S.M.A.R.T. 情報を読む権限がありません\r\n\r\n"
                                             "（補助プログラム quillmoor-smart-helper が見つからないか、権限が与えられていません。"
                                             "libexec/quillmoor にある quillmoor-smart-helper に root で"
                                             "「setcap cap_sys_rawio,cap_dac_read_search,cap_sys_admin+ep quillmoor-smart-helper」を実行してください）"));
#endif
        }
        // The start-up goes on either way.
        QCOMPARE(form.Panel().TabStrip()->count(), 5);
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
        MainWindowHarness harness;
        if (meiryo) harness.fonts.families = {"DejaVu Sans", "Meiryo"};
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.Panel().AttributeList()->font().family(), face);
        QCOMPARE(form.Panel().TemperatureDisplay()->pos(), form.Panel().InfoHost()->contentsRect().topLeft() + QPoint(104, top));
        // The box lies over the value cell of the temperature row.
        const ReportList& info = *form.Panel().InfoList();
        const QRect cell = info.visualItemRect(info.item(8, 1)).translated(info.viewport()->pos() + info.pos());
        QVERIFY2(form.Panel().TemperatureDisplay()->geometry().contains(QPoint(cell.left() + 10, cell.center().y())),
                 qPrintable(QStringLiteral("cell %1,%2 box %3,%4").arg(cell.x()).arg(cell.y())
                                .arg(form.Panel().TemperatureDisplay()->x()).arg(form.Panel().TemperatureDisplay()->y())));
    }

    void placementFromTheSettingsFile() {
        MainWindowHarness harness;
        harness.Set("LOCATION", "LEFT", "1500");
        harness.Set("LOCATION", "TOP", "750");
        harness.Set("LOCATION", "WIDTH", "12000");
        harness.Set("LOCATION", "HEIGHT", "7500");
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.frameGeometry(), QRect(100, 50, 800, 500));
    }

    void aPlacementValueThatIsNoNumberLeavesOnlyThatProperty() {
        MainWindowHarness harness;
        const QSize designed = harness.Create().frameGeometry().size();
        harness.form.reset();
        harness.Set("LOCATION", "LEFT", "1500");
        harness.Set("LOCATION", "TOP", "abc");
        harness.Set("LOCATION", "WIDTH", "ERROR");
        harness.Set("LOCATION", "HEIGHT", "7500");
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.frameGeometry().x(), 100);
        QCOMPARE(form.frameGeometry().width(), designed.width());
        QCOMPARE(form.frameGeometry().height(), 500);
    }

    void hostilePlacementValuesAreHeld() {
        MainWindowHarness harness;
        const QSize designed = harness.Create().frameGeometry().size();
        harness.form.reset();
        harness.Set("LOCATION", "LEFT", "1e30");
        harness.Set("LOCATION", "TOP", "-1e30");
        harness.Set("LOCATION", "WIDTH", "999999999");
        harness.Set("LOCATION", "HEIGHT", "-300");
        MainWindow& form = harness.StartShown();
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
        QTest::newRow("missing keys") << "" << "" << "" << "";
        QTest::newRow("start minimised only") << "N" << "N" << "N" << "Y";
    }
    void savedOptions() {
        QFETCH(QString, taskIcon);
        QFETCH(QString, taskBar);
        QFETCH(QString, startup);
        QFETCH(QString, startMin);
        MainWindowHarness harness;
        const auto set = [&](const char* key, const QString& value) {
            if (!value.isEmpty()) harness.Set("SETTING", key, value.toStdString());
        };
        set("TASKICON", taskIcon);
        set("TASKBAR", taskBar);
        set("STARTUP", startup);
        set("STARTMIN", startMin);
        harness.Set("SETTING", "QM-HD1000A-QMA10H4K27Z1", "/ /home");
        MainWindow& form = harness.StartShown();

        QCOMPARE(test::Item(form, "menutask")->isChecked(), taskIcon == "Y");
        QCOMPARE(test::Item(form, "menubar")->isChecked(), taskBar == "Y");
        QCOMPARE(test::Item(form, "menustart")->isChecked(), startup == "Y");
        QCOMPARE(test::Item(form, "menumini")->isChecked(), startMin == "Y");
        QCOMPARE(form.Monitor().Tray().Count(), taskIcon == "Y" ? 4 : 0);
        QCOMPARE(harness.tray.Calls(test::RecordingNotificationArea::Operation::Add).size(),
                 std::size_t{taskIcon == "Y" ? 4u : 0u});
        QCOMPARE(form.windowTitle(), taskBar == "Y" ? QStringLiteral("QM-HD1000A(/ /home)") : QStringLiteral("Quillmoor Ver1.2.0"));
        QCOMPARE(form.WindowIconResource(), taskBar == "Y" ? 238 : 100);
        QCOMPARE(form.isMinimized(), startMin == "Y");
        // Minimised behind shown icons, without the taskbar option: hidden.
        QCOMPARE(form.isVisible(), !(startMin == "Y" && taskIcon == "Y" && taskBar != "Y"));
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
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKICON", "Y");
        harness.Set("SETTING", "TASKBAR", taskBar.toStdString());
        harness.Set("SETTING", "STARTMIN", "Y");
        MainWindow& form = harness.Create();
        test::EventCounter counter(form, QEvent::Show);
        form.Start();
        form.ShowStarted();  // before the icons' drives have answered
        QCoreApplication::processEvents();
        harness.Settle();
        QCOMPARE(form.Monitor().Tray().Count(), 4);
        QCOMPARE(counter.count > 0, shown);
        QVERIFY(form.isMinimized());
        QCOMPARE(form.isVisible(), shown);
        // A click on an icon brings it back.
        form.OnTrayIconActivated(QSystemTrayIcon::Trigger);
        QVERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
    }

    void historyStartsAfterTheFirstDriveIsShown() {
        MainWindowHarness harness;
        harness.clock.time = {2024, 5, 6, 14, 40, 0};
        MainWindow& form = harness.Start();
        // The first drive's pass wrote at position 0; the reset makes it the next place.
        QCOMPARE(form.Monitor().History().At(0, 0), (HistorySample{"2024/05/06 14:40", "38"}));
        for (DriveSlot slot = 0; slot < kSlotCount; ++slot) QCOMPARE(form.Monitor().History().Position(slot), 0);
        harness.clock.time.minute = 50;
        form.UpdateTemperatures();
        harness.Settle();
        QCOMPARE(form.Monitor().History().At(0, 0), (HistorySample{"2024/05/06 14:50", "38"}));
        QCOMPARE(form.Monitor().History().Position(0), 1);
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowStartupTest)
#include "main_window_startup_test.moc"
