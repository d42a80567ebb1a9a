// Resizing and minimising the main window: the panes follow the client area
// in twips, the lists and the tab strip fill their hosts, the placement is
// saved in twips, and a minimised window hides behind its icons.
#include <QtTest>

#include <QGroupBox>
#include <QMenuBar>
#include <QPlainTextEdit>

#include <cerrno>
#include <cstring>

#include "platform/codepage.h"
#include "tests/app/form1_harness.h"

namespace qm {

using test::Form1Harness;

namespace {
QRect Pixels(const TwipRect& r) {
    return QRect(TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width), TwipsToPixels(r.height));
}

void ResizeClient(Form1& form, QSize client) {
    form.resize(client.width(), client.height() + form.menuBar()->height());
    QCOMPARE(form.centralWidget()->size(), client);
}
}  // namespace

class Form1LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void panesFollowTheClientArea_data() {
        QTest::addColumn<QSize>("client");
        QTest::newRow("design") << QSize(786, 412);
        QTest::newRow("larger") << QSize(1000, 600);
        QTest::newRow("odd") << QSize(901, 517);
        QTest::newRow("small") << QSize(400, 200);
    }
    void panesFollowTheClientArea() {
        QFETCH(QSize, client);
        Form1Harness harness;
        Form1& form = harness.StartShown();
        ResizeClient(form, client);
        const int sw = client.width() * 15;
        const int sh = client.height() * 15;
        const PaneLayout& panes = form.Panes();
        QCOMPARE(panes.picture5, (TwipRect{120, 120, sw - 200, sh - 1165}));
        QCOMPARE(panes.picture8, (TwipRect{4080, 480, sw - 4400, sh - 1800}));
        QCOMPARE(panes.picture2, (TwipRect{120, 480, 3855, sh - 1800}));
        QCOMPARE(panes.frame2, (TwipRect{120, sh - 940, sw - 255, 855}));
        QCOMPARE(panes.label1, (TwipRect{120, 240, sw - 495, 560}));

        QCOMPARE(form.Picture5()->geometry(), Pixels(panes.picture5));
        QCOMPARE(form.Picture2()->geometry(), Pixels(panes.picture2));
        QCOMPARE(form.Picture8()->geometry(), Pixels(panes.picture8));
        QCOMPARE(form.Frame2()->geometry(), Pixels(panes.frame2));
        QCOMPARE(form.Label1()->geometry(), Pixels(panes.label1));
        // The tab strip covers its host; each list fills its host's interior.
        QCOMPARE(form.TabHandle()->geometry(), form.Picture5()->rect());
        QCOMPARE(form.AttributeList()->geometry(), form.Picture8()->contentsRect());
        QCOMPARE(form.InfoList()->geometry(), form.Picture2()->contentsRect());
        QCOMPARE(form.Picture2()->contentsRect().size(), form.Picture2()->size() - QSize(4, 4));
    }

    void designSizeReproducesTheDesignedWidths() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        QCOMPARE(form.centralWidget()->size(), QSize(786, 412));
        QCOMPARE(form.Panes().frame2.width, 11535);
        QCOMPARE(form.Panes().label1.width, 11295);
        QCOMPARE(form.Frame2()->width(), 769);
        QCOMPARE(form.Label1()->width(), 753);
    }

    void aNarrowWindowKeepsTheAttributeHostsWidth() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        ResizeClient(form, QSize(700, 400));
        const int width = form.Picture8()->width();
        ResizeClient(form, QSize(250, 100));  // 3750 x 1500 twips
        QCOMPARE(form.Picture8()->width(), width);
        QCOMPARE(form.Panes().picture8.width, 700 * 15 - 4400);
        QCOMPARE(form.Panes().picture5.width, 3550);  // the other panes are still sized
        QCOMPARE(form.Panes().frame2.width, 3495);
        QCOMPARE(form.Panes().picture2.height, 400 * 15 - 1800);  // kept
    }

    void placementIsSavedInTwipsOnEveryResize() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        form.move(80, 64);
        ResizeClient(form, QSize(700, 420));
        const QRect frame = form.frameGeometry();
        QCOMPARE(harness.Get("LOCATION", "LEFT"), std::string("1200"));
        QCOMPARE(harness.Get("LOCATION", "TOP"), std::string("960"));
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), std::to_string(frame.width() * 15));
        QCOMPARE(harness.Get("LOCATION", "HEIGHT"), std::to_string(frame.height() * 15));

        // The next start comes back at the same place and size.
        harness.form.reset();
        Form1& again = harness.StartShown();
        QCOMPARE(again.frameGeometry(), frame);
        QCOMPARE(again.centralWidget()->size(), QSize(700, 420));
    }

    void anUnchangedPlacementIsNotWrittenAgain() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        // From now on every write fails: the settings file is a folder.
        std::filesystem::remove(harness.settingsFile);
        std::filesystem::create_directory(harness.settingsFile);
        for (int pass = 0; pass < 3; ++pass) form.Form_Resize();
        form.setWindowState(Qt::WindowMinimized);
        form.setWindowState(Qt::WindowNoState);
        QVERIFY(harness.messages.shown.empty());

        // A new size is written; the box names the cause of the failure.
        ResizeClient(form, QSize(700, 420));
        QCOMPARE(harness.messages.shown.size(), std::size_t{1});
        QCOMPARE(harness.messages.shown[0].text, FromSystemCodePage(std::string_view(std::strerror(EISDIR))));
        // The failed placement was not stored, so the next pass tries again.
        form.Form_Resize();
        QCOMPARE(harness.messages.shown.size(), std::size_t{2});
        std::filesystem::remove(harness.settingsFile);
        form.Form_Resize();
        QCOMPARE(harness.messages.shown.size(), std::size_t{2});
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), std::to_string(form.frameGeometry().width() * 15));
    }

    void aMaximisedWindowIsLaidOutButNotSaved() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        const std::string width = harness.Get("LOCATION", "WIDTH");
        form.showMaximized();
        QTRY_VERIFY(form.centralWidget()->width() > 786);
        QCOMPARE(form.Panes().picture5.width, form.centralWidget()->width() * 15 - 200);
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), width);
    }

    void minimisingKeepsTheSizes() {
        Form1Harness harness;
        Form1& form = harness.StartShown();
        const PaneLayout before = form.Panes();
        const QRect list = form.AttributeList()->geometry();
        form.setWindowState(form.windowState() | Qt::WindowMinimized);
        QCOMPARE(form.Panes(), before);
        QCOMPARE(form.AttributeList()->geometry(), list);
    }

    void minimiseDecision_data() {
        QTest::addColumn<QString>("taskIcon");
        QTest::addColumn<QString>("taskBar");
        QTest::addColumn<bool>("desktopHasIcons");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("icons shown") << "Y" << "N" << true << true;
        QTest::newRow("taskbar option") << "Y" << "Y" << true << false;
        QTest::newRow("icons off") << "N" << "N" << true << false;
        QTest::newRow("key missing") << "" << "" << true << false;
        QTest::newRow("no notification area") << "Y" << "N" << false << false;
    }
    void minimiseDecision() {
        QFETCH(QString, taskIcon);
        QFETCH(QString, taskBar);
        QFETCH(bool, desktopHasIcons);
        QFETCH(bool, hidden);
        Form1Harness harness;
        harness.tray.available = desktopHasIcons;
        if (!taskIcon.isEmpty()) harness.Set("SETTING", "TASKICON", taskIcon.toStdString());
        if (!taskBar.isEmpty()) harness.Set("SETTING", "TASKBAR", taskBar.toStdString());
        Form1& form = harness.StartShown();
        form.setWindowState(form.windowState() | Qt::WindowMinimized);
        QVERIFY(form.isMinimized());
        QCOMPARE(form.isVisible(), !hidden);
    }

    void aSettingsFileThatCannotBeWrittenIsReported() {
        Form1Harness harness;
        Form1& form = harness.Create();
        form.Form_Load();
        // Point nowhere writable: the settings folder disappears.
        std::filesystem::remove_all(harness.settingsFolder.path());
        form.ShowAfterLoad();
        QVERIFY(!harness.messages.shown.empty());
        const auto& shown = harness.messages.shown.back();
        QCOMPARE(shown.caption, std::string("Quillmoor"));
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QVERIFY(!shown.text.empty());

        // Resizes while the box is open do not stack further boxes.
        harness.messages.shown.clear();
        harness.messages.onShow = [&form] { form.resize(form.size() + QSize(10, 10)); };
        form.resize(form.size() + QSize(20, 20));
        QCOMPARE(harness.messages.shown.size(), std::size_t{1});
        std::filesystem::create_directories(harness.settingsFolder.path());
    }
};

}  // namespace qm

QTEST_MAIN(qm::Form1LayoutTest)
#include "form1_layout_test.moc"
