#include "controls/status_pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "smart/status_marks.h"

namespace qm {

namespace {

constexpr int kSide = 16;

// A shaded disc inside the top-left 15 x 15 pixels: a dark rim, a body that
// lightens towards the top left and a small highlight. Pixel by pixel, with
// no blending into the key colour, so the mask keeps clean edges.
QImage Disc(QColor rim, QColor body, QColor light) {
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(kStatusMaskColor);
    const double centre = 7.0;
    const double radius = 6.8;
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 15; ++x) {
            const double dx = x - centre;
            const double dy = y - centre;
            const double distance = std::sqrt(dx * dx + dy * dy);
            if (distance > radius) continue;
            QColor colour;
            if (distance > radius - 1.2) {
                colour = rim;
            } else {
                // Light from the top left: blend body towards light.
                const double hx = x - 4.5;
                const double hy = y - 4.5;
                const double near = std::clamp(1.0 - std::sqrt(hx * hx + hy * hy) / 8.0, 0.0, 1.0);
                const auto mix = [near](int a, int b) { return static_cast<int>(a + (b - a) * near); };
                colour = QColor(mix(body.red(), light.red()), mix(body.green(), light.green()),
                                mix(body.blue(), light.blue()));
                // Keep every pixel off the key colour.
                if (colour == kStatusMaskColor) colour = body;
            }
            image.setPixelColor(x, y, colour);
        }
    }
    return image;
}

// The question mark, drawn as a grid: 'k' black, 'g' grey outline, '.' key.
QImage QuestionMark() {
    static constexpr std::array<std::string_view, kSide> rows = {
        "....gggggg......",  //
        "...gkkkkkkg.....",  //
        "..gkkggggkkg....",  //
        "..gkkg..gkkg....",  //
        "...gg...gkkg....",  //
        "........gkkg....",  //
        ".......gkkg.....",  //
        "......gkkg......",  //
        ".....gkkg.......",  //
        ".....gkkg.......",  //
        ".....gkkg.......",  //
        "......gg........",  //
        ".....gkkg.......",  //
        ".....gkkg.......",  //
        "......gg........",  //
        "................",  //
    };
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(kStatusMaskColor);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const char cell = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            if (cell == 'k') image.setPixelColor(x, y, QColor(0, 0, 0));
            if (cell == 'g') image.setPixelColor(x, y, QColor(0x80, 0x80, 0x80));
        }
    }
    return image;
}

}  // namespace

std::optional<QImage> StatusBitmap(int resourceNumber) {
    if (resourceNumber == MarkOf(AttributeStatus::Good).bitmapResource)
        return Disc(QColor(0x00, 0x60, 0x00), QColor(0x00, 0xB0, 0x00), QColor(0xA0, 0xFF, 0xA0));
    if (resourceNumber == MarkOf(AttributeStatus::Caution).bitmapResource)
        return Disc(QColor(0x90, 0x70, 0x00), QColor(0xF0, 0xD0, 0x00), QColor(0xFF, 0xFF, 0xB0));
    if (resourceNumber == MarkOf(AttributeStatus::Bad).bitmapResource)
        return Disc(QColor(0x80, 0x00, 0x00), QColor(0xE0, 0x10, 0x10), QColor(0xFF, 0xA0, 0xA0));
    if (resourceNumber == kLastStatusBitmap) return QuestionMark();
    return std::nullopt;
}

}  // namespace qm
