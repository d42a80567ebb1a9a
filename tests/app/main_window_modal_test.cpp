// Modal windows over the main window (the graph, a message box, the save
// dialog): the notification icons keep answering while one is open, a click
// on an icon brings the main window and the modal window to the front, a
// modal window that gets minimised comes back, and message boxes show their
// text as it is and are wide enough for their caption.
#include <QtTest>

#include <functional>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include "app/qt_seams.h"
#include "tests/app/main_window_harness.h"

namespace qm {

using test::MainWindowHarness;

namespace {

// Opens a modal window with `open`, runs `inspect` on it once it is up, then
// closes it whatever the checks found. Returns whether it was inspected.
bool WhileModal(const std::function<void()>& open, const std::function<void(QWidget&)>& inspect) {
    bool inspected = false;
    QTimer::singleShot(0, qApp, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        struct Closer {
            QWidget* window;
            ~Closer() { window->close(); }
        } closer{modal};
        inspect(*modal);
        inspected = true;
    });
    open();
    return inspected;
}

// What the window of a notification icon (a window of its own, as Qt's
// icons are on X11) receives of a click while `modal` is open.
bool IconWindowTakesAClick() {
    QWidget icon(nullptr, Qt::Window | Qt::FramelessWindowHint);
    icon.resize(22, 22);
    icon.show();
    if (!QTest::qWaitForWindowExposed(&icon)) return false;
    test::EventCounter presses(icon, QEvent::MouseButtonPress);
    QTest::mouseClick(icon.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
    return presses.count == 1;
}

}  // namespace

class MainWindowModalTest : public QObject {
    Q_OBJECT
private slots:
    // Each modal window: modal to the main window alone, so an icon takes a
    // click; the click brings the hidden main window back with the modal
    // window in front of it.
    void iconsAnswerAndBringTheModalWindowToTheFront() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QtMessageBoxes boxes;
        boxes.SetParent(&form);
        QtFileDialogs dialogs;
        dialogs.SetParent(&form);
        const std::vector<std::pair<const char*, std::function<void()>>> modals = {
            {"graph", [&] { test::Item(form, "menugraph")->trigger(); }},
            {"message box", [&] { boxes.Show(MessageIcon::None, MessageButtons::Ok, "Quillmoor", "text"); }},
            {"save dialog", [&] { dialogs.AskSaveFileName({"/tmp", "a.csv", {"All File(*.*)"}, 0}); }},
        };
        for (const auto& [what, open] : modals) {
            bool clicked = false;
            bool broughtBack = false;
            const bool inspected = WhileModal(open, [&](QWidget& modal) {
                clicked = IconWindowTakesAClick();
                form.hide();  // as behind the icons
                modal.setWindowState(Qt::WindowMinimized);
                form.OnTrayIconActivated(QSystemTrayIcon::Trigger);
                // At once, not through the keeper of minimised modal windows.
                broughtBack = form.isVisible() && !form.isMinimized() && modal.isVisible() && !modal.isMinimized();
                broughtBack = broughtBack && QTest::qWaitForWindowActive(&modal);
            });
            QVERIFY2(inspected, what);
            QVERIFY2(clicked, what);
            QVERIFY2(broughtBack, what);
        }
    }

    void aModalWindowThatGetsMinimisedComesBack() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        bool back = false;
        QVERIFY(WhileModal([&] { test::Item(form, "menugraph")->trigger(); },
                           [&](QWidget& graph) {
                               graph.setWindowState(Qt::WindowMinimized);  // as a window manager's button does
                               back = QTest::qWaitFor([&] { return !graph.isMinimized() && graph.isVisible(); });
                           }));
        QVERIFY(back);
    }

    void messageBoxesShowTheirTextAsItIsAndTheirWholeCaption() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        QtMessageBoxes boxes;
        boxes.SetParent(&form);
        const QString hostile = QStringLiteral("<b>x</b>");  // short: the caption decides the width
        Qt::TextFormat format = Qt::RichText;
        QString text;
        int width = 0;
        QVERIFY(WhileModal([&] { boxes.Show(MessageIcon::None, MessageButtons::Ok, "Quillmoor", hostile.toStdString()); },
                           [&](QWidget& modal) {
                               auto& box = static_cast<QMessageBox&>(modal);
                               format = box.textFormat();
                               text = box.text();
                               width = box.width();
                           }));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(text, hostile);
        QVERIFY2(width >= MessageBoxWidthForCaption(QStringLiteral("Quillmoor")), qPrintable(QString::number(width)));
        QVERIFY(width < 1000);
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowModalTest)
#include "main_window_modal_test.moc"
