// Paints the trend graph's two pictures: the canvas (frame, dotted grid and
// the samples) and the header strip with the scale that stays in place while
// the canvas scrolls.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>

#include "graph/trend_plot.h"

namespace qm {

// The samples' colour: line, rings and labels.
inline const QColor kTrendBlue{0, 0, 255};

// Clears the canvas to white, then draws in black the top line from the
// 80-degree x to the axis, the left axis down to the bottom, a solid tick and
// a dotted grid line per scale step; then in blue one line through the rows'
// points, two rings (radius 2 and 1) around each and the row's time and
// temperature labels. What lies outside the canvas is clipped.
void PaintCanvas(QImage& canvas, const TrendPlot& plot, const QFont& font);

// Fills the header strip with `background`, then draws in `text` the top
// line, the ticks, the grid lines (as far as the strip reaches) and the scale
// labels 0, 10, ..., 80.
void PaintHeader(QImage& header, const QColor& background, const QColor& text, const QFont& font);

}  // namespace qm
