// The trend graph's pictures and window: colours and pixels where the plot
// says, the header that stays while the canvas scrolls, the scroll bar that
// moves the canvas only once a drag ends, and the redraw from a clean canvas.
#include <QtTest>

#include <QFrame>
#include <QPushButton>
#include <QScrollBar>

#include "graph/graph_window.h"
#include "graph/trend_painter.h"

namespace qm {

namespace {

const QColor kBlack(Qt::black);
const QColor kWhite(Qt::white);

TemperatureHistory Samples(int count, int temperature) {
    TemperatureHistory history;
    for (int k = 0; k < count; ++k) history.Append(0, "2024/05/06 14:40", temperature);
    return history;
}

// Pixels of a colour in a column from y0 to y1 (inclusive).
int ColumnCount(const QImage& image, int x, int y0, int y1, const QColor& colour) {
    int count = 0;
    for (int y = y0; y <= y1; ++y) count += image.pixelColor(x, y) == colour;
    return count;
}

// Pixels in a rectangle that `is` accepts.
template <typename Predicate>
int AreaCount(const QImage& image, const QRect& area, Predicate is) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) count += is(image.pixelColor(x, y));
    return count;
}

// Blue, or a smoothed edge of blue text on white.
bool Bluish(const QColor& c) { return c.blue() > 200 && c.red() < c.blue() - 40 && c.red() == c.green(); }

}  // namespace

class GraphWindowTest : public QObject {
    Q_OBJECT
private slots:
    void canvasDrawsFrameGridAndSamples() {
        TemperatureHistory history;
        history.Append(0, "2024/05/06 14:40", 40);
        history.Append(0, "2024/05/06 14:50", 80);
        history.Append(0, "2024/05/06 15:00", 90);
        QImage canvas(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32);
        PaintCanvas(canvas, PlotTrend(history, 0), QFont());

        QCOMPARE(canvas.pixelColor(300, 20), kBlack);    // top line
        QCOMPARE(canvas.pixelColor(660, 20), kWhite);    // it ends at the 80-degree x
        QCOMPARE(ColumnCount(canvas, 100, 80, kCanvasHeight - 1, kBlack), kCanvasHeight - 80);  // the axis, below the rows
        QCOMPARE(ColumnCount(canvas, 168, 15, 19, kBlack), 5);  // a solid tick
        // A dotted grid line: about one pixel in three down the whole canvas.
        const int dots = ColumnCount(canvas, 168, 21, kCanvasHeight - 1, kBlack);
        QVERIFY2(dots > 300 && dots < 800, qPrintable(QString::number(dots)));
        QCOMPARE(ColumnCount(canvas, 168, 21, kCanvasHeight - 1, kWhite), kCanvasHeight - 21 - dots);

        // Rings of radius 2 around each point, in blue.
        for (const QPoint p : {QPoint(372, 25), QPoint(643, 40)}) {
            for (const QPoint d : {QPoint(2, 0), QPoint(-2, 0), QPoint(0, 2), QPoint(0, -2)})
                QCOMPARE(canvas.pixelColor(p + d), kTrendBlue);
        }
        // One line through them, running on past the canvas edge to 90 degrees.
        QCOMPARE(canvas.pixelColor(507, 32), kTrendBlue);   // halfway from (372,25) to (643,40)
        QVERIFY(ColumnCount(canvas, kCanvasWidth - 1, 40, 55, kTrendBlue) > 0);
        // Time labels left of the axis, temperature labels right of the points.
        QVERIFY(AreaCount(canvas, QRect(3, 21, 97, 14), Bluish) > 40);
        QVERIFY(AreaCount(canvas, QRect(382, 21, 20, 14), Bluish) > 10);
        QCOMPARE(AreaCount(canvas, QRect(0, 0, kCanvasWidth, 20), Bluish), 0);
        QCOMPARE(AreaCount(canvas, QRect(0, 70, kCanvasWidth, kCanvasHeight - 70), Bluish), 0);
    }

    void headerDrawsScaleInItsColours() {
        QImage header(kCanvasWidth, kHeaderHeight, QImage::Format_RGB32);
        const QColor background(240, 240, 240);
        const QColor text(10, 20, 30);
        PaintHeader(header, background, text, QFont());
        QCOMPARE(header.pixelColor(300, 20), text);
        QCOMPARE(ColumnCount(header, 643, 15, 20, text), 6);
        QCOMPARE(header.pixelColor(330, 10), background);
        for (const ScaleTick& tick : ScaleTicks(kCanvasWidth))  // the scale labels above the ticks
            QVERIFY2(AreaCount(header, QRect(tick.label.x, 1, 14, 13), [&](const QColor& c) { return c != background; }) > 5,
                     qPrintable(QString::number(tick.x)));
    }

    void windowDesign() {
        const TemperatureHistory history;
        GraphWindow window(history, 0, QFont());
        QCOMPARE(window.size(), QSize(704, 480));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("command1"))->geometry(), QRect(8, 8, 97, 25));
        QCOMPARE(window.findChild<QFrame*>(QStringLiteral("Picture2"))->geometry(), QRect(8, 40, 673, 433));
        QCOMPARE(window.ScrollBar().geometry(), QRect(680, 40, 17, 433));
        QCOMPARE(window.ScrollBar().pageStep(), 100);
        // A slot without samples: the frame alone.
        QCOMPARE(window.ScrollBar().maximum(), 0);
        QCOMPARE(AreaCount(window.Canvas().Image(), window.Canvas().rect(), Bluish), 0);
    }

    void theCanvasMovesWhenTheValueChangesNotWhileDragging() {
        const TemperatureHistory history = Samples(100, 40);
        GraphWindow window(history, 0, QFont());
        QScrollBar& bar = window.ScrollBar();
        QCOMPARE(bar.maximum(), 1097);
        bar.setSliderDown(true);
        bar.setSliderPosition(200);
        QCOMPARE(window.Canvas().y(), 0);
        bar.setSliderDown(false);  // released
        QCOMPARE(window.Canvas().y(), -200);
        bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(window.Canvas().y(), -300);
        bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(window.Canvas().y(), -299);
        QCOMPARE(window.Header().pos(), QPoint(0, 0));  // the scale stays
    }

    void redrawStartsFromAClearedCanvas() {
        TemperatureHistory history = Samples(100, 40);
        GraphWindow window(history, 0, QFont());
        const QImage& canvas = window.Canvas().Image();
        QCOMPARE(canvas.pixelColor(374, 1510), kTrendBlue);
        history.Append(0, "2024/05/06 15:00", 60);  // the newest row is now 60 degrees
        QCOMPARE(window.Plot().rows.back().temperature, std::string("40"));  // not followed by itself
        window.Redraw();
        QCOMPARE(window.Plot().rows.back().temperature, std::string("60"));
        QCOMPARE(canvas.pixelColor(374, 1510), kWhite);
        QCOMPARE(canvas.pixelColor(509, 1510), kTrendBlue);

        // Fewer rows bring the scroll value and the canvas back with the maximum.
        window.ScrollBar().setValue(1097);
        QCOMPARE(window.Canvas().y(), -1097);
        history = TemperatureHistory{};
        window.Redraw();
        QCOMPARE(window.ScrollBar().maximum(), 0);
        QCOMPARE(window.Canvas().y(), 0);
    }
};

}  // namespace qm

QTEST_MAIN(qm::GraphWindowTest)
#include "graph_window_test.moc"
