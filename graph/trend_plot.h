// Where the temperature trend graph draws: the scale, the samples of one slot
// in time order (oldest at the top, one row each), the labels beside them
// and the scroll range. Canvas coordinates in pixels, origin top left.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/temperature_history.h"

namespace qm {

inline constexpr int kCanvasWidth = 673;
inline constexpr int kCanvasHeight = 1520;   // room for 100 rows (the last at y = 1510)
inline constexpr int kViewportHeight = 433;  // the part of the canvas on view
inline constexpr int kHeaderHeight = 21;     // the strip above it with the scale labels

inline constexpr int kAxisX = 100;           // x of 0 degrees
inline constexpr int kRightMargin = 30;      // x of 80 degrees is width - 30
inline constexpr int kTopLineY = 20;
inline constexpr int kTickTopY = 15;         // ticks run from here to the top line
inline constexpr int kScaleTop = 80;
inline constexpr int kScaleStep = 10;
inline constexpr int kFirstRowY = 25;
inline constexpr int kRowPitch = 15;
inline constexpr int kScrollTail = 5;        // below the last row

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// x of a temperature: 100 + t × (width − 130) / 80, not clamped.
double TemperatureX(double temperature, int canvasWidth);

// One tick per scale step 0, 10, ..., 80: its x (rounded) and where its
// label's top-left corner goes in the header strip.
struct ScaleTick {
    int temperature = 0;
    int x = 0;
    PixelPoint label;
    friend bool operator==(const ScaleTick&, const ScaleTick&) = default;
};
std::array<ScaleTick, kScaleTop / kScaleStep + 1> ScaleTicks(int canvasWidth);

// The positions of a slot's ring (TemperatureHistory::Samples) that hold
// samples, oldest first; `next` is the position the next sample goes to. The
// ring counts as wrapped when position 99 holds a temperature: then next ..
// 99, 0 .. next − 1; otherwise 0 .. next − 1 (none when position 0 holds no
// temperature). A ring that is not 100 positions long has none.
std::vector<int> ChronologicalPositions(std::span<const HistorySample> ring, int next);

// A history temperature text as a signed 16-bit number: an optional minus
// sign and decimal digits; nullopt for anything else (that sample is left out).
std::optional<int> ParseHistoryTemperature(std::string_view text);

// One drawn sample: its point (x rounded to the nearest pixel) and the
// top-left corners of its time and temperature labels.
struct PlotRow {
    int position = 0;  // in the ring
    std::string time;
    std::string temperature;
    PixelPoint point;
    PixelPoint timeLabel;
    PixelPoint temperatureLabel;
    friend bool operator==(const PlotRow&, const PlotRow&) = default;
};

struct TrendPlot {
    std::vector<PlotRow> rows;  // oldest first, joined by one line
    int scrollMaximum = 0;
};

// The ring's samples as drawn: row k at y = 25 + 15k; a sample whose
// temperature is not a number is left out and the line goes from the sample
// before it to the one after. The scroll maximum lets the last row and the
// tail come into view.
TrendPlot PlotTrend(std::span<const HistorySample> ring, int next, int canvasWidth = kCanvasWidth,
                    int viewportHeight = kViewportHeight);
// The same for a slot of the history; a slot outside 0..15 gives no rows.
TrendPlot PlotTrend(const TemperatureHistory& history, DriveSlot slot, int canvasWidth = kCanvasWidth,
                    int viewportHeight = kViewportHeight);

// The scroll bar's maximum when the next row would be at `nextRowY`:
// nextRowY + 5 − viewportHeight, or 0 when that is not positive.
int ScrollMaximum(int nextRowY, int viewportHeight);

}  // namespace qm
