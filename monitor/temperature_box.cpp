#include "monitor/temperature_box.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace qm {

namespace {
constexpr int kWidth = 96;
constexpr int kHeight = 48;
// The print position, 50 x 30 twips at 15 twips per pixel.
constexpr int kTextX = 50 / 15;
constexpr int kTextY = 30 / 15;
}  // namespace

TemperatureBox::TemperatureBox(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth, kHeight);
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(26.25);
    setFont(font);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TemperatureBox::Print(const QString& text) {
    text_ = text;
    update();
}

QImage TemperatureBox::Background() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(0xD9, 0x7A, 0x96), 1.5));
    painter.setBrush(QColor(0xFF, 0xD6, 0xE2));
    painter.drawRoundedRect(QRectF(1, 1, kWidth - 2, kHeight - 2), 10, 10);

    QFont sign(QStringLiteral("Noto Sans CJK JP"));
    sign.setPixelSize(20);
    painter.setFont(sign);
    painter.setPen(QColor(0x50, 0x30, 0x38));
    const QString celsius = QString::fromUtf8("℃");
    const QFontMetrics metrics(sign);
    const int x = kWidth - 6 - metrics.horizontalAdvance(celsius);
    painter.drawText(QRect(x, 0, kWidth - x, kHeight - 2), Qt::AlignLeft | Qt::AlignVCenter, celsius);
    return image;
}

void TemperatureBox::paintEvent(QPaintEvent*) {
    // Drawn when first shown, not while the window is built.
    if (background_.isNull()) background_ = Background();
    QPainter painter(this);
    painter.drawImage(0, 0, background_);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    const QFontMetrics metrics(font());
    painter.drawText(QPoint(kTextX, kTextY + metrics.ascent()), text_);
}

}  // namespace qm
