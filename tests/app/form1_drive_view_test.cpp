// The drive view: information and attribute rows of the sample drives with
// their status pictures, the hidden identity boxes, the caption in taskbar
// mode, the explanation box, tab changes, F5 and the re-display commands.
#include <QtTest>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "monitor/drive_letter_key.h"
#include "smart/attribute_names.h"
#include "smart/drive_record.h"
#include "tests/app/form1_harness.h"

namespace qm {

using test::ColumnTexts;
using test::Form1Harness;
using test::HealthyDrive;
using test::TestDriveSet;
using namespace std::string_literals;

namespace {
QString Description(int id) {
    const std::string_view text = AttributeDescription(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int RowOfId(const ReportList& list, int id) {
    for (int row = 0; row < list.ItemCount(); ++row)
        if (list.ItemText(row, 1).toInt() == id) return row;
    return -1;
}

QString LineText(Form1& form, const char* name) {
    return form.findChild<QLineEdit*>(QString::fromUtf8(name))->text();
}

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

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

class Form1DriveViewTest : public QObject {
    Q_OBJECT
private slots:
    void informationRowsOfTheSampleDrives_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("healthy") << 0
            << QStringList{"QM-HD1000A", "QMA10H4K27Z1", "QA1.0200", "16383", "16/63", "931.51 GB", "/ /home", "", ""};
        QTest::newRow("solid-state") << 1
            << QStringList{"Quillmoor Flash 240", "QF24B3800917C5", "QF1.02", "16383", "16/63", "223.57 GB", "未取得", "", ""};
        QTest::newRow("failing") << 2
            << QStringList{"QM-HD500B", "QMB05F19PX82", "QB2.0100", "16383", "16/63", "465.76 GB", "未取得", "", ""};
        QTest::newRow("hot") << 4
            << QStringList{"QM-HD2000C", "QMC20T60LW05", "QC1.0300", "16383", "16/63", "1.82 TB", "未取得", "", ""};
    }
    void informationRowsOfTheSampleDrives() {
        QFETCH(int, slot);
        QFETCH(QStringList, values);
        Form1Harness harness;
        harness.Set("SETTING", "QM-HD1000A-QMA10H4K27Z1", "/ /home");
        Form1& form = harness.StartShown();
        form.SelectSlot(slot);
        const ReportList& info = *form.InfoList();
        QCOMPARE(ColumnTexts(info, 0), (QStringList{"モデル", "シリアルNo", "ファームウェア", "シリンダ数", "ヘッド/トラック",
                                                    "ディスク容量", "ドライブレター", "", "現在の温度"}));
        QCOMPARE(ColumnTexts(info, 1), values);
        QCOMPARE(LineText(form, "Textkatasiki"), values[0]);
        QCOMPARE(LineText(form, "TextSerial"), values[1]);
        QCOMPARE(LineText(form, "TextLetter"), values[6]);
    }

    void attributeRowsWithTheirStatusPictures_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("yellow");
        QTest::addColumn<QList<int>>("red");
        QTest::newRow("healthy") << 0 << 17 << QList<int>{} << QList<int>{};
        QTest::newRow("solid-state") << 1 << 17 << QList<int>{} << QList<int>{};
        QTest::newRow("failing") << 2 << 17 << QList<int>{196, 197, 198} << QList<int>{5};
        QTest::newRow("hot") << 4 << 17 << QList<int>{194} << QList<int>{};
    }
    void attributeRowsWithTheirStatusPictures() {
        QFETCH(int, slot);
        QFETCH(int, rows);
        QFETCH(QList<int>, yellow);
        QFETCH(QList<int>, red);
        Form1Harness harness;
        Form1& form = harness.StartShown();
        form.SelectSlot(slot);
        const ReportList& list = *form.AttributeList();
        QCOMPARE(list.ItemCount(), rows);
        for (int row = 0; row < rows; ++row) {
            const int id = list.ItemText(row, 1).toInt();
            const int expected = red.contains(id) ? 2 : yellow.contains(id) ? 1 : 0;
            QCOMPARE(list.ItemImage(row), expected);
            QCOMPARE(list.ItemText(row, 0), QString());
            QCOMPARE(form.RowIds()[static_cast<std::size_t>(row)], id);
            // The picture shown is the status picture of that index.
            QCOMPARE(list.item(row, 0)->icon().pixmap(15, 15).toImage(), form.StatusImages()->Picture(expected).toImage());
        }
    }

    void attributeCellsOfAFailingDrive() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        form.SelectSlot(2);
        const ReportList& list = *form.AttributeList();
        const int row = RowOfId(list, 5);
        QVERIFY(row >= 0);
        QCOMPARE(list.ItemText(row, 2), QStringLiteral("代替処理済の不良セクタ数"));
        QCOMPARE(list.ItemText(row, 3), QStringLiteral("30"));
        QCOMPARE(list.ItemText(row, 4), QStringLiteral("36"));
        QCOMPARE(list.ItemText(row, 5), QStringLiteral("30"));
        QCOMPARE(list.ItemText(row, 6), QStringLiteral("1416"));
        QCOMPARE(list.ItemText(RowOfId(list, 194), 6), QStringLiteral("44"));
    }

    void rowIdsBeyondTheShownRowsKeepAnEarlierDrivesIds() {
        test::TestDrive few = HealthyDrive(3, "FEW", 40);
        few.attributes.resize(2);
        TestDriveSet set({HealthyDrive(0, "MANY", 40), few});
        Form1Harness harness(set.folder());
        Form1& form = harness.StartShown();
        QCOMPARE(form.AttributeList()->ItemCount(), 6);
        const AttributeRowIds before = form.RowIds();
        form.SelectSlot(3);
        QCOMPARE(form.AttributeList()->ItemCount(), 2);
        QCOMPARE(form.RowIds()[4], before[4]);
        QCOMPARE(form.RowIds()[5], before[5]);
    }

    void letterBoxIsResetForEveryDriveShown() {
        Form1Harness harness;
        harness.Set("SETTING", "QM-HD1000A-QMA10H4K27Z1", "/ /home");
        harness.Set("SETTING", "TASKBAR", "Y");
        Form1& form = harness.StartShown();
        QCOMPARE(LineText(form, "TextLetter"), QStringLiteral("/ /home"));
        QCOMPARE(form.windowTitle(), QStringLiteral("QM-HD1000A(/ /home)"));
        form.SelectSlot(1);
        QCOMPARE(LineText(form, "TextLetter"), QStringLiteral("未取得"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillmoor Flash 240(未取得)"));
        form.SelectSlot(3);  // no drive
        QCOMPARE(LineText(form, "Textkatasiki"), QString());
        QCOMPARE(LineText(form, "TextLetter"), QStringLiteral("未取得"));
        QCOMPARE(form.windowTitle(), QStringLiteral("(未取得)"));
    }

    void aHostileIdentityIsShownWithoutItsControlCharacters() {
        // Line breaks, a NUL, an escape sequence and markup in the model, and
        // control characters in the letters the settings file holds for it.
        std::string model = "A\r\nB"s + '\0' + "\x1B[2J<b>X</b>&lt;";
        model.resize(40, ' ');
        const std::string serial = "QMA10H4K27Z1";
        const std::string letters = "/mnt/\x1B[31m\t<i>x</i>";
        test::TempFolder folder;
        WriteDriveNamed(folder, model);
        Form1Harness harness(folder.path().string());
        harness.Set("SETTING", DriveLetterKey(model, serial), letters);
        harness.Set("SETTING", "TASKBAR", "Y");
        harness.Set("SETTING", "TASKICON", "Y");
        Form1& form = harness.StartShown();

        const QString shownModel = QStringLiteral("A??B??[2J<b>X</b>&lt;");
        const QString shownLetters = QStringLiteral("/mnt/?[31m?<i>x</i>");
        QCOMPARE(Utf8(DisplayText(TrimBlanks(model))), shownModel);
        QCOMPARE(form.TabHandle()->count(), 1);
        QCOMPARE(form.TabHandle()->TabText(0), shownModel);
        QCOMPARE(form.TabHandle()->tabText(0), QString(shownModel).replace("&", "&&"));  // "&" shown literally
        QCOMPARE(form.InfoList()->ItemText(0, 1), shownModel);
        QCOMPARE(form.InfoList()->ItemText(1, 1), Utf8(serial));
        // The letters were found under the drive's own key, and are shown tamed.
        QCOMPARE(form.InfoList()->ItemText(6, 1), shownLetters);
        QCOMPARE(LineText(form, "Textkatasiki"), shownModel);
        QCOMPARE(LineText(form, "TextLetter"), shownLetters);
        QCOMPARE(form.windowTitle(), shownModel + "(" + shownLetters + ")");
        for (int row = 0; row < form.InfoList()->ItemCount(); ++row)
            QVERIFY2(Printable(form.InfoList()->ItemText(row, 1)), qPrintable(QString::number(row)));

        // The tooltip has exactly its own three lines.
        const auto adds = harness.tray.Calls(test::RecordingNotificationArea::Operation::Add);
        QCOMPARE(adds.size(), std::size_t{1});
        QCOMPARE(Utf8(adds[0].record.tip),
                 "型式：" + shownModel + "\r\nドライブレター：" + shownLetters + "\r\n現在の温度：38℃");
        // The stored value is left as it was.
        QCOMPARE(harness.Get("SETTING", DriveLetterKey(model, serial)), letters);
    }

    void captionStaysWithoutTheTaskbarOption() {
        Form1Harness harness;
        harness.Set("SETTING", "TASKBAR", "N");
        Form1& form = harness.StartShown();
        form.SelectSlot(2);
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillmoor Ver1.2.0"));
    }

    void explanationOfTheSelectedAttribute() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        ReportList& list = *form.AttributeList();
        // Nothing selected: the first row's explanation.
        QCOMPARE(form.Label1()->toPlainText(), Description(1));
        list.selectRow(3);
        QCOMPARE(form.Label1()->toPlainText(), Description(list.ItemText(3, 1).toInt()));
        QCOMPARE(list.ItemText(3, 1), QStringLiteral("5"));
        list.selectRow(0);
        QCOMPARE(form.Label1()->toPlainText(), Description(1));
        list.selectRow(3);
        list.clearSelection();
        QCOMPARE(form.Label1()->toPlainText(), Description(1));
        // A change in the information list refreshes the box from the attribute list.
        list.selectRow(2);
        form.Label1()->setPlainText(QStringLiteral("stale"));
        form.InfoList()->selectRow(1);
        QCOMPARE(form.Label1()->toPlainText(), Description(4));
        QCOMPARE(list.ItemText(2, 1), QStringLiteral("4"));
    }

    void clickingARowShowsItsExplanation() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        ReportList& list = *form.AttributeList();
        const int row = RowOfId(list, 194);
        const QRect cell = list.visualItemRect(list.item(row, 2));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(list.SelectedRows(), std::vector<int>{row});
        QCOMPARE(form.Label1()->toPlainText(), Description(194));
    }

    void attributesWithoutExplanationEmptyTheBox() {
        test::TestDrive drive = HealthyDrive(0, "ODD-IDS", 40);
        drive.attributes = {{9, 0x32, 100, 100, 5, 0}, {6, 0x32, 100, 100, 0, 0}, {184, 0x32, 100, 100, 0, 90}};
        TestDriveSet set({drive});
        Form1Harness harness(set.folder());
        Form1& form = harness.StartShown();
        QCOMPARE(form.Label1()->toPlainText(), Description(9));
        form.AttributeList()->selectRow(1);
        QCOMPARE(form.Label1()->toPlainText(), QString());
        form.AttributeList()->selectRow(2);
        QCOMPARE(form.Label1()->toPlainText(), QString());
    }

    void aDriveWithoutAttributesLeavesTheBoxEmpty() {
        test::TestDrive none = HealthyDrive(1, "NO-TABLE", 40);
        none.fail = "attributes";
        TestDriveSet set({HealthyDrive(0, "FIRST", 40), none});
        Form1Harness harness(set.folder());
        Form1& form = harness.StartShown();
        QVERIFY(!form.Label1()->toPlainText().isEmpty());
        form.SelectSlot(1);
        QCOMPARE(form.InfoList()->ItemCount(), 9);
        QCOMPARE(form.AttributeList()->ItemCount(), 0);
        QCOMPARE(form.Label1()->toPlainText(), QString());  // never the previous drive's text
    }

    void tabChangesSelectTheirSlot_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("model");
        QTest::newRow("first") << 0 << 0 << "QM-HD1000A";
        QTest::newRow("second") << 1 << 1 << "Quillmoor Flash 240";
        QTest::newRow("third") << 2 << 2 << "QM-HD500B";
        QTest::newRow("fourth") << 3 << 4 << "QM-HD2000C";
    }
    void tabChangesSelectTheirSlot() {
        QFETCH(int, tab);
        QFETCH(int, slot);
        QFETCH(QString, model);
        Form1Harness harness;
        Form1& form = harness.StartShown();
        if (tab == 0) form.TabHandle()->tabBar()->setCurrentIndex(3);
        QTabBar* bar = form.TabHandle()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        QCOMPARE(form.TabHandle()->SelectedIndex(), tab);
        QCOMPARE(form.Combo1()->currentIndex(), slot);
        QCOMPARE(form.InfoList()->ItemText(0, 1), model);
    }

    void keyboardTabChangeIsLikeAClick() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        QTabBar* bar = form.TabHandle()->tabBar();
        bar->setFocus();
        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(form.SelectedSlot(), 1);
        QTest::keyClick(bar, Qt::Key_Right);
        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(form.SelectedSlot(), 4);
        QTest::keyClick(bar, Qt::Key_Left);
        QCOMPARE(form.SelectedSlot(), 2);
    }

    void f5AndTheReDisplayCommandsReadTheDriveAgain() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        form.SelectSlot(2);
        const auto opens = [&] { return harness.drives.opens[2]; };
        int before = opens();
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        QVERIFY(opens() > before);
        before = opens();
        QTest::keyClick(form.windowHandle(), Qt::Key_F5, Qt::ShiftModifier);  // the shift state is ignored
        QVERIFY(opens() > before);
        before = opens();
        QTest::keyClick(form.windowHandle(), Qt::Key_F4);
        QCOMPARE(opens(), before);
        form.MenuItem("menurehyouji")->trigger();
        QVERIFY(opens() > before);
        before = opens();
        form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QVERIFY(opens() > before);
        QCOMPARE(form.SelectedSlot(), 2);
        QCOMPARE(form.InfoList()->ItemText(0, 1), QStringLiteral("QM-HD500B"));
    }

    void f5WhileTheAttributeListHasTheFocus() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        form.AttributeList()->setFocus();
        form.AttributeList()->selectRow(4);
        const int before = harness.drives.opens[0];
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        QVERIFY(harness.drives.opens[0] > before);
        QVERIFY(form.AttributeList()->SelectedRows().empty());  // the lists were rebuilt
    }

    void aDriveRemovedSinceStartUpShowsEmptyLists() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        QCOMPARE(form.Picture9()->Text(), QStringLiteral(" 38"));
        harness.drives.removed.insert(0);
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        QCOMPARE(form.InfoList()->ItemCount(), 0);
        QCOMPARE(form.AttributeList()->ItemCount(), 0);
        QCOMPARE(form.Picture9()->Text(), QStringLiteral(" --"));
        QCOMPARE(LineText(form, "Textkatasiki"), QString());
        QCOMPARE(LineText(form, "TextSerial"), QString());
        QCOMPARE(form.Label1()->toPlainText(), QString());
    }

    void f5WithoutDrivesClearsThePlaceholders() {
        TestDriveSet set;
        Form1Harness harness(set.folder());
        Form1& form = harness.StartShown();
        QCOMPARE(form.InfoList()->ItemCount(), 9);
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        QCOMPARE(form.InfoList()->ItemCount(), 0);
        QCOMPARE(form.Picture9()->Text(), QStringLiteral(" --"));
    }
};

}  // namespace qm

QTEST_MAIN(qm::Form1DriveViewTest)
#include "form1_drive_view_test.moc"
