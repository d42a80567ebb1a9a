// Hostile drive sets through the window: names made of markup stay text in
// the cells, their tooltips and the notification icons' tooltips (never a
// picture of 9000 × 9000 pixels, never bold), and a dump that is a FIFO or a
// link is no drive and stalls nothing.
#include <QtTest>

#include <sys/stat.h>

#include <filesystem>

#include <QHelpEvent>
#include <QLabel>
#include <QTextDocument>
#include <QToolTip>
#include <QWindow>

#include "app/menu_commands.h"
#include "controls/qt_text.h"
#include "monitor/qt_notification_area.h"
#include "tests/app/main_window_harness.h"

namespace qm {

using test::MainWindowHarness;

namespace {

// Both fit the identity's 40-byte model field.
const std::string kPicture = "<img width=9000 height=9000 src=a>";
const std::string kMarkup = "<b>bold</b><font size=7>big</font>";

// The plain text and the height of markup as a tooltip lays it out.
std::pair<QString, qreal> Rendered(const QString& markup) {
    QTextDocument document;
    document.setHtml(markup);
    return {document.toPlainText(), document.size().height()};
}

// The tooltip a hover over a cell of the list shows, as its label sizes it.
std::pair<QString, int> CellTooltip(ReportList& list, int row, int column) {
    const QPoint at = list.visualRect(list.model()->index(row, column)).center();
    QHelpEvent help(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list.viewport(), &help);
    int height = 0;
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->objectName() == QStringLiteral("qtooltip_label")) height = widget->sizeHint().height();
    return {Rendered(QToolTip::text()).first, height};
}

}  // namespace

class MainWindowHostileTextTest : public QObject {
    Q_OBJECT
private slots:
    void markupInADriveNameStaysText() {
        test::TestDriveSet set({test::HealthyDrive(0, kPicture, 41), test::HealthyDrive(1, kMarkup, 42)});
        MainWindowHarness harness(set.folder());
        harness.Set("SETTING", "TASKICON", "Y");
        QtNotificationArea area(TrayAvailability::Assumed);
        MainWindow& form = harness.Create(&area);
        form.Start();
        form.ShowStarted();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        for (const auto& [slot, name] : {std::pair{0, kPicture}, std::pair{1, kMarkup}}) {
            form.SelectSlot(slot);
            harness.Settle();
            ReportList& info = *form.Panel().InfoList();
            QCOMPARE(info.ItemText(0, 1), Utf8(name));
            QVERIFY(info.IsCellTextCut(0, 1));  // so a hover shows it whole
            const auto [tip, tipHeight] = CellTooltip(info, 0, 1);
            QCOMPARE(tip, Utf8(name));
            QVERIFY2(tipHeight > 0 && tipHeight < 100, qPrintable(QString::number(tipHeight)));

            const auto [trayTip, trayHeight] = Rendered(area.Icon(slot)->toolTip());
            QVERIFY2(trayTip.startsWith(Utf8("型式：" + name)), qPrintable(trayTip));
            QVERIFY2(trayHeight < 200, qPrintable(QString::number(trayHeight)));
        }
    }

    // Qt takes "[*]" in a window title for the place of its modified mark.
    void theCaptionShowsTheDriveNameAsItIs() {
        test::TestDriveSet set({test::HealthyDrive(0, "QM[*]HD [*][*]", 41)});
        MainWindowHarness harness(set.folder());
        harness.Set("SETTING", "TASKBAR", "Y");
        MainWindow& form = harness.StartShown();
        QCOMPARE(form.windowHandle()->title(), QStringLiteral("QM[*]HD [*][*](未取得)"));
    }

    void aDumpThatIsAFifoOrALinkIsNoDrive() {
        test::TestDriveSet set({test::HealthyDrive(0, "FIRST", 40), test::HealthyDrive(1, "FIFO", 40),
                                test::HealthyDrive(2, "LINK", 40)});
        const std::filesystem::path folder = set.folder();
        std::filesystem::remove(folder / "slot1.smart");
        QCOMPARE(::mkfifo((folder / "slot1.smart").c_str(), 0600), 0);
        std::filesystem::remove(folder / "slot2.smart");
        std::filesystem::create_symlink("slot0.smart", folder / "slot2.smart");
        MainWindowHarness harness(set.folder());
        MainWindow& form = harness.StartShown();  // returns: nothing waits for a FIFO writer
        QCOMPARE(form.Panel().TabStrip()->count(), 1);
        QCOMPARE(form.Panel().TabStrip()->TabText(0), QStringLiteral("FIRST"));
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowHostileTextTest)
#include "main_window_hostile_text_test.moc"
