#include "graph/trend_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace qm {

double TemperatureX(double temperature, int canvasWidth) {
    return kAxisX + temperature * (canvasWidth - kAxisX - kRightMargin) / kScaleTop;
}

std::array<ScaleTick, kScaleTop / kScaleStep + 1> ScaleTicks(int canvasWidth) {
    std::array<ScaleTick, kScaleTop / kScaleStep + 1> ticks;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const int temperature = static_cast<int>(i) * kScaleStep;
        const int x = static_cast<int>(std::lround(TemperatureX(temperature, canvasWidth)));
        ticks[i] = {temperature, x, {x - 5, 1}};
    }
    return ticks;
}

std::vector<int> ChronologicalPositions(std::span<const HistorySample> ring, int next) {
    std::vector<int> positions;
    if (ring.size() != kHistoryLength || next < 0 || next >= kHistoryLength) return positions;
    if (!ring.back().temperature.empty()) {
        for (int k = 0; k < kHistoryLength; ++k) positions.push_back((next + k) % kHistoryLength);
    } else if (!ring.front().temperature.empty()) {
        for (int position = 0; position < next; ++position) positions.push_back(position);
    }
    return positions;
}

std::optional<int> ParseHistoryTemperature(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return value;
}

TrendPlot PlotTrend(std::span<const HistorySample> ring, int next, int canvasWidth, int viewportHeight) {
    TrendPlot plot;
    int y = kFirstRowY;
    for (const int position : ChronologicalPositions(ring, next)) {
        const HistorySample& sample = ring[static_cast<std::size_t>(position)];
        const std::optional<int> temperature = ParseHistoryTemperature(sample.temperature);
        if (!temperature) continue;
        const int x = static_cast<int>(std::lround(TemperatureX(*temperature, canvasWidth)));
        plot.rows.push_back({position, sample.time, sample.temperature, {x, y}, {3, y - 4}, {x + 10, y - 4}});
        y += kRowPitch;
    }
    plot.scrollMaximum = ScrollMaximum(y, viewportHeight);
    return plot;
}

TrendPlot PlotTrend(const TemperatureHistory& history, DriveSlot slot, int canvasWidth, int viewportHeight) {
    return PlotTrend(history.Samples(slot), history.Position(slot), canvasWidth, viewportHeight);
}

int ScrollMaximum(int nextRowY, int viewportHeight) {
    return std::max(0, nextRowY + kScrollTail - viewportHeight);
}

}  // namespace qm
