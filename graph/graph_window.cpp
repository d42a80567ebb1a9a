#include "graph/graph_window.h"

#include <QFrame>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include "graph/trend_painter.h"

namespace qm {

RetainedPicture::RetainedPicture(QSize size, QWidget* parent)
    : QWidget(parent), image_(size, QImage::Format_RGB32) {
    resize(size);
    image_.fill(Qt::white);
}

void RetainedPicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
}

GraphWindow::GraphWindow(const TemperatureHistory& history, DriveSlot slot, const QFont& font, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      history_(history),
      slot_(slot) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("温度推移"));
    setFont(font);
    setFixedSize(kClientWidth, kClientHeight);
    CreateControls();
    Redraw();
}

void GraphWindow::CreateControls() {
    redraw_ = new QPushButton(QStringLiteral("再表示"), this);
    redraw_->setObjectName(QStringLiteral("command1"));
    redraw_->setGeometry(8, 8, 97, 25);
    redraw_->setAutoDefault(false);
    connect(redraw_, &QPushButton::clicked, this, &GraphWindow::Redraw);

    viewport_ = new QFrame(this);
    viewport_->setObjectName(QStringLiteral("Picture2"));
    viewport_->setFrameStyle(QFrame::Box | QFrame::Plain);
    viewport_->setLineWidth(1);
    viewport_->setGeometry(8, 40, kCanvasWidth, kViewportHeight);
    // Inside the border: the canvas, and over its top the header strip.
    auto* inside = new QWidget(viewport_);
    inside->setGeometry(viewport_->contentsRect());
    canvas_ = new RetainedPicture(QSize(kCanvasWidth, kCanvasHeight), inside);
    canvas_->setObjectName(QStringLiteral("Picture1"));
    header_ = new RetainedPicture(QSize(kCanvasWidth, kHeaderHeight), inside);
    header_->setObjectName(QStringLiteral("Picture3"));
    header_->raise();

    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->setObjectName(QStringLiteral("VScroll1"));
    scroll_->setGeometry(680, 40, 17, kViewportHeight);
    scroll_->setRange(0, 0);
    scroll_->setSingleStep(1);
    scroll_->setPageStep(100);
    // The canvas follows a released thumb, an arrow or a page click; not a drag.
    scroll_->setTracking(false);
    connect(scroll_, &QScrollBar::valueChanged, this, &GraphWindow::ScrollCanvas);
}

void GraphWindow::Redraw() {
    plot_ = PlotTrend(history_, slot_, canvas_->width(), kViewportHeight);
    PaintCanvas(canvas_->Image(), plot_, font());
    PaintHeader(header_->Image(), palette().color(QPalette::Window), palette().color(QPalette::WindowText), font());
    // A lower maximum brings the value (and so the canvas) down with it.
    scroll_->setMaximum(plot_.scrollMaximum);
    canvas_->update();
    header_->update();
}

void GraphWindow::ScrollCanvas(int value) { canvas_->move(0, -value); }

void ShowTemperatureGraph(const TemperatureHistory& history, DriveSlot slot, const QFont& font, QWidget* parent) {
    GraphWindow window(history, slot, font, parent);
    // Modal to the main window alone: the notification icons, windows of
    // their own, keep answering while the graph is open.
    if (parent != nullptr) window.setWindowModality(Qt::WindowModal);
    window.exec();
}

}  // namespace qm
