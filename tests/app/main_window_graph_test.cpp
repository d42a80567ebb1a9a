// The trend graph from the main window: opened modally for the selected
// drive while the minute timer goes on adding samples, its labels in the
// program's face, and a picture of a full ring (form2-full-ring.png).
#include <QtTest>

#include <cmath>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "app/menu_commands.h"
#include "graph/graph_window.h"
#include "tests/app/main_window_harness.h"

namespace qm {

using test::MainWindowHarness;

namespace {

// Runs `inspect` on the graph window once the menu item has opened it, then
// closes the window, whatever the checks found.
void WithGraphOpen(MainWindow& form, const std::function<void(GraphWindow&)>& inspect) {
    bool inspected = false;
    QTimer::singleShot(0, &form, [&] {
        auto* graph = qobject_cast<GraphWindow*>(QApplication::activeModalWidget());
        if (graph) {
            struct Closer {
                GraphWindow* window;
                ~Closer() { window->reject(); }
            } closer{graph};
            inspect(*graph);
        }
        inspected = true;
    });
    test::Item(form, "menugraph")->trigger();  // returns when the graph is closed
    QVERIFY(inspected);
}

// The ring of slot 0 filled 137 times through the monitoring pass's own
// sampling, every ten minutes from 2024/05/06 00:00, with a temperature curve.
void FillRing(MainWindow& form) {
    for (int k = 0; k < 137; ++k) {
        const LocalTime time{2024, 5, 6 + k / 144, k / 6 % 24, k % 6 * 10, 0};
        form.Monitor().History().Append(0, FormatSampleTime(time), 38 + static_cast<int>(std::lround(12 * std::sin(k / 9.0))));
    }
}

}  // namespace

class MainWindowGraphTest : public QObject {
    Q_OBJECT
private slots:
    void opensModallyForTheSelectedDriveWhileTheTimerRuns() {
        MainWindowHarness harness;
        harness.clock.time = {2024, 5, 6, 14, 50, 0};  // every pass takes a sample
        MainWindow& form = harness.StartShown();
        form.SelectSlot(2);
        harness.Settle();
        const TemperatureHistory& history = form.Monitor().History();
        WithGraphOpen(form, [&](GraphWindow& graph) {
            QCOMPARE(graph.parentWidget(), &form);
            QVERIFY(graph.isModal());
            QCOMPARE(graph.font(), GraphFont());
            QCOMPARE(graph.Plot().rows.size(), std::size_t(history.Position(2)));
            QCOMPARE(graph.Plot().rows.front().temperature, std::string("44"));  // the drive in slot 2
            const std::size_t shown = graph.Plot().rows.size();
            form.MonitoringTimer().setInterval(5);  // only here: the program never changes it
            QTRY_VERIFY(std::size_t(history.Position(2)) >= shown + 3);
            QCOMPARE(graph.Plot().rows.size(), shown);  // only a redraw shows them
            QTest::mouseClick(graph.findChild<QPushButton*>(QStringLiteral("command1")), Qt::LeftButton);
            QVERIFY(graph.Plot().rows.size() >= shown + 3);
        });
    }

    void aFullRingFitsItsLabels() {
        MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        FillRing(form);
        WithGraphOpen(form, [](GraphWindow& graph) {
            QVERIFY(QTest::qWaitForWindowExposed(&graph));
            QCOMPARE(graph.Plot().rows.size(), std::size_t{100});
            QCOMPARE(graph.Plot().rows.front().time, std::string("2024/05/06 06:10"));  // position 37
            QCOMPARE(graph.ScrollBar().maximum(), 1097);
            graph.grab().save(QDir(QStringLiteral(QM_SCREENSHOT_DIR)).filePath(QStringLiteral("form2-full-ring.png")));
            graph.ScrollBar().setValue(graph.ScrollBar().maximum());
            graph.grab().save(QDir(QStringLiteral(QM_SCREENSHOT_DIR)).filePath(QStringLiteral("form2-full-ring-end.png")));

            // Time labels end before the axis: its column stays black below the top line.
            const QImage& canvas = graph.Canvas().Image();
            int axis = 0;
            for (int y = kTopLineY; y < kCanvasHeight; ++y) axis += canvas.pixelColor(kAxisX, y) == QColor(Qt::black);
            QCOMPARE(axis, kCanvasHeight - kTopLineY);
            // A label's ink stays within its row's 15 pixels, and the scale's above the ticks.
            const QFontMetrics metrics(graph.font());
            const QRect time = metrics.tightBoundingRect(QStringLiteral("2024/05/06 14:40"));
            QVERIFY2(3 + time.right() < kAxisX, qPrintable(QString::number(time.right())));
            QVERIFY(metrics.ascent() - 4 + time.bottom() < kRowPitch - 4);
            const QRect scale = metrics.tightBoundingRect(QStringLiteral("80"));
            QVERIFY(1 + metrics.ascent() + scale.bottom() < kTickTopY);
            QVERIFY(scale.width() < 2 * 5 + 20);  // clear of the next label 68 pixels on
        });
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowGraphTest)
#include "main_window_graph_test.moc"
