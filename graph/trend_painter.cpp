#include "graph/trend_painter.h"

#include <QPainter>
#include <QPolygon>

namespace qm {
namespace {

// Text with its top-left corner at `corner`.
void DrawLabel(QPainter& painter, PixelPoint corner, const QString& text) {
    painter.drawText(QRect(corner.x, corner.y, 1000, 100), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

// Top line, ticks and dotted grid in the painter's colour, down to `bottom`.
void DrawScale(QPainter& painter, int width, int bottom) {
    const QColor colour = painter.pen().color();
    painter.drawLine(width - kRightMargin, kTopLineY, kAxisX, kTopLineY);
    for (const ScaleTick& tick : ScaleTicks(width)) {
        painter.setPen(QPen(colour, 0, Qt::SolidLine));
        painter.drawLine(tick.x, kTickTopY, tick.x, kTopLineY);
        painter.setPen(QPen(colour, 0, Qt::DotLine));
        painter.drawLine(tick.x, kTopLineY, tick.x, bottom);
    }
    painter.setPen(QPen(colour, 0, Qt::SolidLine));
}

}  // namespace

void PaintCanvas(QImage& canvas, const TrendPlot& plot, const QFont& font) {
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, 0, Qt::SolidLine));
    painter.drawLine(kAxisX, kTopLineY, kAxisX, canvas.height());
    DrawScale(painter, canvas.width(), canvas.height());

    painter.setPen(QPen(kTrendBlue, 0, Qt::SolidLine));
    QPolygon line;
    for (const PlotRow& row : plot.rows) line << QPoint(row.point.x, row.point.y);
    painter.drawPolyline(line);
    for (const PlotRow& row : plot.rows) {
        const QPoint point(row.point.x, row.point.y);
        painter.drawEllipse(point, 2, 2);
        painter.drawEllipse(point, 1, 1);
        DrawLabel(painter, row.timeLabel, QString::fromStdString(row.time));
        DrawLabel(painter, row.temperatureLabel, QString::fromStdString(row.temperature));
    }
}

void PaintHeader(QImage& header, const QColor& background, const QColor& text, const QFont& font) {
    header.fill(background);
    QPainter painter(&header);
    painter.setFont(font);
    painter.setPen(QPen(text, 0, Qt::SolidLine));
    DrawScale(painter, header.width(), header.height());
    for (const ScaleTick& tick : ScaleTicks(header.width())) DrawLabel(painter, tick.label, QString::number(tick.temperature));
}

}  // namespace qm
