// The drive view's wiring: the view of the selected drive in both lists with
// the status pictures, drive text shown safely everywhere, the caption in
// taskbar mode, the explanation box, tab changes, F5 and the re-display item.
#include <QtTest>

#include <QPlainTextEdit>
#include <QTabBar>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "controls/qt_text.h"
#include "smart/attribute_names.h"
#include "smart/drive_record.h"
#include "smart/shown_rows.h"
#include "tests/app/main_window_harness.h"

namespace qm {

using test::ColumnTexts;
using test::MainWindowHarness;
using test::HealthyDrive;
using test::TestDriveSet;
using namespace std::string_literals;

namespace {
QString Description(int id) {
    const std::string_view text = AttributeDescription(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int RowOfHex(const ReportList& list, const char* id) {
    for (int row = 0; row < list.ItemCount(); ++row)
        if (list.ItemText(row, 1) == QLatin1String(id)) return row;
    return -1;
}

int RowOfId(const ReportList& list, int id) {
    for (int row = 0; row < list.ItemCount(); ++row)
        if (list.ItemText(row, 1).toInt() == id) return row;
    return -1;
}

// True when no character of `text` is a control character.
bool Printable(const QString& text) {
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

// A drive set in `folder` with one drive in slot 0: the sample hard disk
// whose identity sector names `model` (40 bytes) instead of its own.
void WriteDriveNamed(const test::TempFolder& folder, const std::string& model) {
    std::ifstream in(test::SamplesFolder() + "/qm-hd1000a.smart", std::ios::binary);
    std::string dump((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Sections are tag (4), big-endian length (4), data; the identity comes first.
    QVERIFY(dump.size() > 8 + 512 && dump.compare(0, 4, "IDFY") == 0);
    constexpr std::size_t kModel = 8 + 54;  // the model field: 40 bytes, each pair swapped
    QCOMPARE(model.size(), std::size_t{40});
    for (std::size_t i = 0; i < 40; i += 2) {
        dump[kModel + i] = model[i + 1];
        dump[kModel + i + 1] = model[i];
    }
    std::ofstream(folder.file("hostile.smart"), std::ios::binary) << dump;
    std::ofstream(folder.file("drives.ini")) << "[0]\ndump = hostile.smart\nvolumes = /\n";
}
}  // namespace

class MainWindowDriveViewTest : public QObject {
    Q_OBJECT
private slots:
    void theSelectedDriveFillsBothLists() {
        MainWindowHarness harness;
        harness.Set("SETTING", "QM-HD1000A-QMA10H4K27Z1", "/ /home");
        MainWindow& form = harness.StartShown();
        form.SelectSlot(2);
        QCOMPARE(form.SelectedSlot(), 2);
        harness.Settle();
        const ReportList& info = *form.Panel().InfoList();
        QCOMPARE(ColumnTexts(info, 0), (QStringList{"モデル", "シリアルNo", "ファームウェア", "シリンダ数", "ヘッド/トラック",
                                                    "ディスク容量", "ドライブレター", "", "現在の温度"}));
        QCOMPARE(ColumnTexts(info, 1), (QStringList{"QM-HD500B", "QMB05F19PX82", "QB2.0100", "16383", "16/63",
                                                    "465.76 GB", "未取得", "", ""}));
        QCOMPARE(form.ShownDrive().model, std::string("QM-HD500B"));
        // Each row carries the picture of its mark (the failing drive has all three).
        const ReportList& list = *form.Panel().AttributeList();
        QCOMPARE(list.ItemCount(), 17);
        for (int row = 0; row < list.ItemCount(); ++row) {
            const int id = list.ItemText(row, 1).toInt();
            const int expected = id == 5 ? 2 : (id == 196 || id == 197 || id == 198) ? 1 : 0;
            QCOMPARE(list.ItemImage(row), expected);
            QCOMPARE(list.item(row, 0)->icon().pixmap(15, 15).toImage(),
                     form.Panel().StatusImages()->Picture(expected).toImage());
            QCOMPARE(form.Panel().RowIds()[static_cast<std::size_t>(row)], (RowKey{DriveKind::Ata, id}));
        }
        form.SelectSlot(0);
        harness.Settle();
        QCOMPARE(info.ItemText(6, 1), QStringLiteral("/ /home"));
    }

    void theTaskbarCaptionFollowsEveryDriveShown() {
        MainWindowHarness harness;
        harness.Set("SETTING", "QM-HD1000A-QMA10H4K27Z1", "/ /home");
        harness.Set("SETTING", "TASKBAR", "Y");
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.windowTitle(), QStringLiteral("QM-HD1000A(/ /home)"));
        form.SelectSlot(1);  // no volumes stored: never the previous drive's
        harness.Settle();
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillmoor Flash 240(未取得)"));
        form.SelectSlot(3);  // no drive
        harness.Settle();
        QCOMPARE(form.windowTitle(), QStringLiteral("(未取得)"));

        MainWindowHarness plain;
        plain.Set("SETTING", "TASKBAR", "N");
        MainWindow& other = plain.StartShown();
        other.SelectSlot(2);
        plain.Settle();
        QCOMPARE(other.windowTitle(), QStringLiteral("Quillmoor Ver1.2.0"));
    }

    void aHostileIdentityIsShownSafelyEverywhere() {
        // Line breaks, a NUL, an escape sequence, markup, a line separator and
        // a right-to-left override in the model; control characters in the
        // volumes the settings file holds for it.
        std::string model = "A\r\nB"s + '\0' + "\x1B[2J<b>X</b>\u2028\u202Eq";
        model.resize(40, ' ');
        const std::string serial = "QMA10H4K27Z1";
        const std::string letters = "/mnt/\x1B[31m\t<i>\u2066";
        test::TempFolder folder;
        WriteDriveNamed(folder, model);
        MainWindowHarness harness(folder.path().string());
        QVERIFY(!harness.settings.WriteVolumes(model, serial, letters));
        harness.Set("SETTING", "TASKBAR", "Y");
        harness.Set("SETTING", "TASKICON", "Y");
        MainWindow& form = harness.StartShown();

        const QString shownModel = QStringLiteral("A??B??[2J<b>X</b>??q");
        const QString shownLetters = QStringLiteral("/mnt/?[31m?<i>?");
        QCOMPARE(ShownText(TrimBlanks(model)), shownModel);
        QCOMPARE(form.Panel().TabStrip()->count(), 1);
        QCOMPARE(form.Panel().TabStrip()->TabText(0), shownModel);
        QCOMPARE(form.Panel().TabStrip()->tabText(0), shownModel);  // no "&" to double
        QCOMPARE(form.Panel().InfoList()->ItemText(0, 1), shownModel);
        QCOMPARE(form.Panel().InfoList()->ItemText(1, 1), Utf8(serial));
        // The volumes were found under the drive's own key, and are shown tamed.
        QCOMPARE(form.Panel().InfoList()->ItemText(6, 1), shownLetters);
        QCOMPARE(form.windowTitle(), shownModel + "(" + shownLetters + ")");
        for (int row = 0; row < form.Panel().InfoList()->ItemCount(); ++row)
            QVERIFY2(Printable(form.Panel().InfoList()->ItemText(row, 1)), qPrintable(QString::number(row)));

        // The tooltip has exactly its own three lines (short enough not to be cut).
        const auto adds = harness.tray.Calls(test::RecordingNotificationArea::Operation::Add);
        QCOMPARE(adds.size(), std::size_t{1});
        QCOMPARE(Utf8(adds[0].record.tip),
                 "型式：" + shownModel + "\r\nドライブレター：" + shownLetters + "\r\n現在の温度：38℃");
        // The stored value is left as it was.
        QCOMPARE(harness.settings.ReadVolumes(model, serial), std::optional<std::string>(letters));
    }

    void explanationOfTheSelectedAttribute() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        ReportList& list = *form.Panel().AttributeList();
        QCOMPARE(form.Panel().Detail()->toPlainText(), Description(1));  // nothing selected: the first row's
        list.selectRow(3);
        QCOMPARE(list.ItemText(3, 1), QStringLiteral("5"));
        QCOMPARE(form.Panel().Detail()->toPlainText(), Description(5));
        // A change in the information list refreshes the box from the attribute list.
        list.selectRow(2);
        form.Panel().Detail()->setPlainText(QStringLiteral("stale"));
        form.Panel().InfoList()->selectRow(1);
        QCOMPARE(form.Panel().Detail()->toPlainText(), Description(4));
        // A click selects the row and explains it.
        const int row = RowOfId(list, 194);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(row, 2)).center());
        QCOMPARE(list.SelectedRows(), std::vector<int>{row});
        QCOMPARE(form.Panel().Detail()->toPlainText(), Description(194));
    }

    // The sample set's NVMe drive in the same window: its tab, dashes for the
    // geometry, its rows with hex ids and their marks, its own explanations
    // (row 05 is percentage used, not the ATA reallocated sectors) and its
    // temperature in the box.
    void anNvmeDriveIsShownLikeAnyOther() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.Panel().TabStrip()->count(), 5);
        QCOMPARE(form.Panel().TabStrip()->TabText(4), QStringLiteral("QM-NV1000D"));
        form.SelectSlot(5);
        harness.Settle();
        const ReportList& info = *form.Panel().InfoList();
        QCOMPARE(ColumnTexts(info, 1), (QStringList{"QM-NV1000D", "QMD10N7H2204", "QD3.1000", "-", "-", "931.51 GB",
                                                    "未取得", "", ""}));
        ReportList& list = *form.Panel().AttributeList();
        QCOMPARE(list.ItemCount(), 19);
        const int used = 4;
        QCOMPARE(list.ItemText(used, 1), QStringLiteral("05"));
        QCOMPARE(list.ItemText(used, 4), QStringLiteral("100"));
        QCOMPARE(list.ItemText(used, 6), QStringLiteral("93"));
        QCOMPARE(list.ItemImage(used), 1);                 // yellow
        QCOMPARE(list.ItemImage(RowOfHex(list, "A0")), 1);  // two media errors
        QCOMPARE(list.ItemImage(RowOfHex(list, "01")), 0);  // 47 degrees
        list.selectRow(used);
        const std::string_view text = RowDescription({DriveKind::Nvme, 5});
        QCOMPARE(form.Panel().Detail()->toPlainText(), QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        QVERIFY(form.Panel().Detail()->toPlainText() != Description(5));
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" 47"));
    }

    void aDriveWithoutAttributesLeavesTheBoxEmpty() {
        test::TestDrive none = HealthyDrive(1, "NO-TABLE", 40);
        none.fail = "attributes";
        TestDriveSet set({HealthyDrive(0, "FIRST", 40), none});
        MainWindowHarness harness(set.folder());
        MainWindow& form = harness.StartShown();
        QVERIFY(!form.Panel().Detail()->toPlainText().isEmpty());
        form.SelectSlot(1);
        harness.Settle();
        QCOMPARE(form.Panel().InfoList()->ItemCount(), 9);
        QCOMPARE(form.Panel().AttributeList()->ItemCount(), 0);
        QCOMPARE(form.Panel().Detail()->toPlainText(), QString());  // never the previous drive's text
    }

    void tabChangesSelectTheirSlot_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("model");
        QTest::newRow("first") << 0 << 0 << "QM-HD1000A";
        QTest::newRow("fourth") << 3 << 4 << "QM-HD2000C";
    }
    void tabChangesSelectTheirSlot() {
        QFETCH(int, tab);
        QFETCH(int, slot);
        QFETCH(QString, model);
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QTabBar* bar = form.Panel().TabStrip()->tabBar();
        if (tab == 0) bar->setCurrentIndex(2);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        harness.Settle();
        QCOMPARE(form.Panel().TabStrip()->SelectedIndex(), tab);
        QCOMPARE(form.SelectedSlot(), slot);
        QCOMPARE(form.Panel().InfoList()->ItemText(0, 1), model);
    }

    void afterAClickTheArrowKeysSwitchDrives() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        form.Panel().AttributeList()->setFocus();
        QTabBar* bar = form.Panel().TabStrip()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(form.SelectedSlot(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(form.SelectedSlot(), 4);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QCOMPARE(form.SelectedSlot(), 2);
    }

    void f5AndTheReDisplayItemReadTheDriveAgain() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        form.SelectSlot(2);
        harness.Settle();
        form.Panel().AttributeList()->setFocus();
        form.Panel().AttributeList()->selectRow(4);
        const auto opens = [&] { return harness.drives.Opens(2); };
        int before = opens();
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        harness.Settle();
        QVERIFY(opens() > before);
        QVERIFY(form.Panel().AttributeList()->SelectedRows().empty());  // the lists were rebuilt
        before = opens();
        QTest::keyClick(form.windowHandle(), Qt::Key_F5, Qt::ShiftModifier);  // the shift state is ignored
        harness.Settle();
        QVERIFY(opens() > before);
        before = opens();
        QTest::keyClick(form.windowHandle(), Qt::Key_F4);
        harness.Settle();
        QCOMPARE(opens(), before);
        test::Item(form, "menurehyouji")->trigger();
        harness.Settle();
        QVERIFY(opens() > before);
        QCOMPARE(form.SelectedSlot(), 2);
        QVERIFY(test::Item(form, "menurehyouji")->shortcut().isEmpty());  // the menu shows no key
    }

    void aDriveRemovedSinceStartUpShowsEmptyLists() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" 38"));
        harness.drives.Remove(0);
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        harness.Settle();
        QCOMPARE(form.Panel().InfoList()->ItemCount(), 0);
        QCOMPARE(form.Panel().AttributeList()->ItemCount(), 0);
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" --"));
        QCOMPARE(form.ShownDrive().model, std::string());
        QCOMPARE(form.Panel().Detail()->toPlainText(), QString());
    }

    void f5WithoutDrivesClearsThePlaceholders() {
        TestDriveSet set;
        MainWindowHarness harness(set.folder());
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.Panel().InfoList()->ItemCount(), 9);
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        harness.Settle();
        QCOMPARE(form.Panel().InfoList()->ItemCount(), 0);
        QCOMPARE(form.Panel().TemperatureDisplay()->Text(), QStringLiteral(" --"));
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowDriveViewTest)
#include "main_window_drive_view_test.moc"
