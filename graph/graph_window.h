// The temperature trend window (Form2): the history of one drive slot drawn
// downwards in time, oldest sample at the top, on a 0..80 degree scale. It is
// drawn when it opens and again on "再表示"; samples the minute pass adds in
// the meantime appear only then.
#pragma once

#include <QDialog>
#include <QImage>

#include "graph/trend_plot.h"

class QFrame;
class QPushButton;
class QScrollBar;

namespace qm {

// A picture that keeps the image of the last drawing pass and shows it
// whenever it is repainted.
class RetainedPicture final : public QWidget {
public:
    RetainedPicture(QSize size, QWidget* parent);
    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

class GraphWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 704;
    static constexpr int kClientHeight = 480;

    // The window for `slot` (any number; one outside 0..15 shows the scale
    // alone), drawn at once. Reads `history` again on every redraw.
    GraphWindow(const TemperatureHistory& history, DriveSlot slot, const QFont& font, QWidget* parent = nullptr);

    // "再表示": clears the canvas and draws the samples as they are now.
    void Redraw();

    const TrendPlot& Plot() const { return plot_; }
    const RetainedPicture& Canvas() const { return *canvas_; }
    const RetainedPicture& Header() const { return *header_; }
    QScrollBar& ScrollBar() const { return *scroll_; }

private:
    void CreateControls();
    // Moves the canvas inside the viewport to the scroll bar's value.
    void ScrollCanvas(int value);

    const TemperatureHistory& history_;
    DriveSlot slot_;
    TrendPlot plot_;
    QPushButton* redraw_ = nullptr;
    QFrame* viewport_ = nullptr;
    RetainedPicture* canvas_ = nullptr;
    RetainedPicture* header_ = nullptr;
    QScrollBar* scroll_ = nullptr;
};

// Shows the graph of `slot` modally over `parent` (modal to that window
// alone) and returns once the user has closed it. Everything else keeps
// running meanwhile (the minute timer, the notification icons).
void ShowTemperatureGraph(const TemperatureHistory& history, DriveSlot slot, const QFont& font, QWidget* parent);

}  // namespace qm
