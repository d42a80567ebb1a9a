#include "monitor/program_icons.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include "monitor/icon_numbers.h"

namespace qm {

namespace {

const QColor kFrameBlueGrey(0x5F, 0x73, 0x8C);

// Largest bold pixel size at which `text` fits into width x height.
QFont FittingDigitFont(const QString& text, int width, int height) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    for (int size = height; size > 4; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(text) <= width && metrics.capHeight() <= height - 2) return font;
    }
    font.setPixelSize(5);
    return font;
}

// Black digits centred on a white tile with a blue-grey frame and a degree
// mark at the top right; 16 or 32 pixels square.
QImage NumberTile(const QString& text, int side, bool rounded) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, side > 16);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QRectF tile(0.5, 0.5, side - 1.0, side - 1.0);
    painter.setPen(QPen(kFrameBlueGrey, 1));
    painter.setBrush(rounded ? QColor(0xF4, 0xF7, 0xFB) : QColor(Qt::white));
    if (rounded)
        painter.drawRoundedRect(tile, side / 6.0, side / 6.0);
    else
        painter.drawRect(tile);

    // Degree mark: a dot on the small tile, a ring on the large one.
    if (rounded) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 1.2));
        painter.drawEllipse(QRectF(side - 8.5, 2.5, 4.5, 4.5));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawRect(QRect(side - 3, 1, 2, 2));
    }

    const int textWidth = side - (rounded ? 6 : 3);
    const int textHeight = side - (rounded ? 8 : 4);
    const QFont font = FittingDigitFont(text, textWidth, textHeight);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font);
    const int x = 1 + (side - 2 - metrics.horizontalAdvance(text)) / 2;
    const int baseline = side / 2 + metrics.capHeight() / 2 + (rounded ? 2 : 1);
    painter.drawText(QPoint(x, baseline), text);
    return image;
}

// A disk drive seen from the front with a magnifying glass over its corner.
QImage ProgramPicture() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Drive body.
    QLinearGradient body(0, 6, 0, 24);
    body.setColorAt(0, QColor(0xD8, 0xDC, 0xE2));
    body.setColorAt(1, QColor(0x8C, 0x94, 0xA0));
    painter.setPen(QPen(QColor(0x40, 0x48, 0x55), 1));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(1.5, 7.5, 26, 14), 2, 2);
    painter.setPen(QPen(QColor(0x40, 0x48, 0x55), 1));
    painter.drawLine(QPointF(4, 17.5), QPointF(18, 17.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0xC0, 0x40));
    painter.drawEllipse(QRectF(21, 15.5, 3.5, 3.5));
    // Magnifying glass.
    painter.setPen(QPen(QColor(0x50, 0x38, 0x20), 3.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(24, 24), QPointF(30, 30));
    painter.setPen(QPen(QColor(0x20, 0x30, 0x50), 2));
    painter.setBrush(QColor(0xB0, 0xD8, 0xFF, 170));
    painter.drawEllipse(QPointF(19, 19), 6.5, 6.5);
    return image;
}

}  // namespace

std::optional<QImage> IconResourceImage(int resourceNumber) {
    if (resourceNumber == kProgramFileIcon || resourceNumber == kProgramIcon) return ProgramPicture();
    if (const auto t = TrayIconTemperature(resourceNumber)) return NumberTile(QString::number(*t), 16, false);
    if (resourceNumber == kTrayQuestionMark) return NumberTile(QStringLiteral("?"), 16, false);
    if (const auto t = TaskbarIconTemperature(resourceNumber)) return NumberTile(QString::number(*t), 32, true);
    return std::nullopt;
}

std::optional<QIcon> IconResource(int resourceNumber) {
    const auto image = IconResourceImage(resourceNumber);
    if (!image) return std::nullopt;
    return QIcon(QPixmap::fromImage(*image));
}

std::optional<QIcon> IconCache::Icon(int resourceNumber) {
    if (const auto found = icons_.find(resourceNumber); found != icons_.end()) return found->second;
    auto icon = IconResource(resourceNumber);
    if (!icon) return std::nullopt;
    ++drawCount_;
    icons_.emplace(resourceNumber, *icon);
    return icon;
}

}  // namespace qm
