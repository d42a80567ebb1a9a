// Resizing and minimising the main window: the panes follow the client area,
// the lists and the tab strip fill their hosts, the placement is stored (only
// once the window manager has placed the window), and a minimised window
// hides behind its icons.
#include <QtTest>

#include <QGroupBox>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QResizeEvent>

#include <cerrno>
#include <cstring>

#include "commands/error_text.h"
#include "tests/app/main_window_harness.h"

namespace qm {

using test::MainWindowHarness;

namespace {
void ResizeClient(MainWindow& form, QSize client) {
    form.resize(client.width(), client.height() + form.menuBar()->height());
    QCOMPARE(form.centralWidget()->size(), client);
}

// The layout pass the window runs for every resize, without a new size.
void RunLayoutPass(MainWindow& form) {
    QResizeEvent event(form.size(), form.size());
    QCoreApplication::sendEvent(&form, &event);
}

QRect Rect(const PixelRect& r) { return QRect(r.left, r.top, r.width, r.height); }
}  // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void panesFollowTheClientArea() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        ResizeClient(form, QSize(901, 517));
        const PanePlaces places = PaneLayout().Resize(901, 517);
        const DrivePanel& panel = form.Panel();
        QCOMPARE(panel.TabHost()->geometry(), Rect(places.tabHost));
        QCOMPARE(panel.InfoHost()->geometry(), Rect(places.infoHost));
        QCOMPARE(panel.AttributeHost()->geometry(), Rect(places.attributeHost));
        QCOMPARE(panel.DetailFrame()->geometry(), Rect(places.detailFrame));
        QCOMPARE(panel.Detail()->geometry(), Rect(places.detailText));
        // The tab strip covers its host; each list fills its host's interior.
        QCOMPARE(panel.TabStrip()->geometry(), panel.TabHost()->rect());
        QCOMPARE(panel.AttributeList()->geometry(), panel.AttributeHost()->contentsRect());
        QCOMPARE(panel.InfoList()->geometry(), panel.InfoHost()->contentsRect());
        QCOMPARE(panel.InfoHost()->contentsRect().size(), panel.InfoHost()->size() - QSize(4, 4));
    }

    void nothingIsStoredBeforeTheWindowIsPlaced() {
        // Before its first exposure the window's frame is a guess (no
        // decoration, not yet where the window manager puts it).
        MainWindowHarness harness;
        MainWindow& form = harness.Start();
        form.ShowStarted();
        QCOMPARE(harness.Get("LOCATION", "LEFT"), std::string("ERROR"));
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), std::string("ERROR"));
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(harness.Get("LOCATION", "WIDTH"), std::to_string(form.frameGeometry().width() * 15));
        QCOMPARE(harness.Get("LOCATION", "LEFT"), std::to_string(form.frameGeometry().x() * 15));
    }

    void placementIsSavedInTwipsOnEveryResizeAndComesBack() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        form.move(80, 64);
        ResizeClient(form, QSize(700, 420));
        const QRect frame = form.frameGeometry();
        QCOMPARE(harness.Get("LOCATION", "LEFT"), std::string("1200"));
        QCOMPARE(harness.Get("LOCATION", "TOP"), std::string("960"));
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), std::to_string(frame.width() * 15));
        QCOMPARE(harness.Get("LOCATION", "HEIGHT"), std::to_string(frame.height() * 15));

        harness.form.reset();
        MainWindow& again = harness.StartShown();
        QCOMPARE(again.frameGeometry(), frame);
        QCOMPARE(again.centralWidget()->size(), QSize(700, 420));
    }

    void anUnchangedPlacementIsNotWrittenAgain() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QTRY_VERIFY(form.Placement().IsPlaced());
        // From now on every write fails: the settings file is a folder.
        std::filesystem::remove(harness.settingsFile);
        std::filesystem::create_directory(harness.settingsFile);
        for (int pass = 0; pass < 3; ++pass) RunLayoutPass(form);
        QVERIFY(harness.messages.shown.empty());

        // A new size is written; the box names the cause of the failure.
        ResizeClient(form, QSize(700, 420));
        QCOMPARE(harness.messages.shown.size(), std::size_t{1});
        QCOMPARE(harness.messages.shown[0].text, ErrorMessageText(std::make_error_code(std::errc::is_a_directory)));
        QCOMPARE(harness.messages.shown[0].caption, std::string("Quillmoor"));
        // The failed placement was not stored, so the next pass tries again.
        RunLayoutPass(form);
        QCOMPARE(harness.messages.shown.size(), std::size_t{2});
        std::filesystem::remove(harness.settingsFile);
        RunLayoutPass(form);
        QCOMPARE(harness.messages.shown.size(), std::size_t{2});
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), std::to_string(form.frameGeometry().width() * 15));
    }

    void resizesWhileTheErrorBoxIsOpenDoNotStackBoxes() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QTRY_VERIFY(form.Placement().IsPlaced());
        std::filesystem::remove_all(harness.settingsFolder.path());  // nowhere to write
        harness.messages.onShow = [&form] { form.resize(form.size() + QSize(10, 10)); };
        form.resize(form.size() + QSize(20, 20));
        QCOMPARE(harness.messages.shown.size(), std::size_t{1});
        QCOMPARE(harness.messages.shown[0].buttons, MessageButtons::Ok);
        std::filesystem::create_directories(harness.settingsFolder.path());
    }

    void aMaximisedWindowIsLaidOutButNotSaved() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QTRY_VERIFY(harness.Get("LOCATION", "WIDTH") != "ERROR");
        const std::string width = harness.Get("LOCATION", "WIDTH");
        form.showMaximized();
        QTRY_VERIFY(form.centralWidget()->width() > 786);
        QCOMPARE(form.Panel().TabHost()->width(), PaneLayout().Resize(form.centralWidget()->width(), 412).tabHost.width);
        QCOMPARE(harness.Get("LOCATION", "WIDTH"), width);
    }

    void minimisingKeepsTheSizesAndMayHide_data() {
        QTest::addColumn<QString>("taskBar");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("behind the icons") << "N" << true;
        QTest::newRow("taskbar option") << "Y" << false;
    }
    void minimisingKeepsTheSizesAndMayHide() {
        QFETCH(QString, taskBar);
        QFETCH(bool, hidden);
        MainWindowHarness harness;
        harness.Set("SETTING", "TASKICON", "Y");
        harness.Set("SETTING", "TASKBAR", taskBar.toStdString());
        MainWindow& form = harness.StartShown();
        const QRect list = form.Panel().AttributeList()->geometry();
        form.setWindowState(form.windowState() | Qt::WindowMinimized);
        QVERIFY(form.isMinimized());
        QCOMPARE(form.isVisible(), !hidden);
        QCOMPARE(form.Panel().AttributeList()->geometry(), list);
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowLayoutTest)
#include "main_window_layout_test.moc"
