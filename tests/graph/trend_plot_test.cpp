// Where the trend graph draws: the samples in time order, the coordinates of
// points and labels, and the scroll range.
#include <array>

#include <gtest/gtest.h>

#include "graph/trend_plot.h"

namespace qm {
namespace {

// A history whose slot 3 received `count` samples; sample k is k % 60 degrees
// at the k-th ten minutes.
TemperatureHistory Filled(int count) {
    TemperatureHistory history;
    for (int k = 0; k < count; ++k)
        history.Append(3, "2024/05/06 " + std::to_string(k / 6 % 24) + ":" + std::to_string(k % 6) + "0", k % 60);
    return history;
}

std::vector<int> Order(const TemperatureHistory& history, DriveSlot slot) {
    return ChronologicalPositions(history.Samples(slot), history.Position(slot));
}

std::vector<int> Range(int from, int to) {
    std::vector<int> positions;
    for (int p = from; p < to; ++p) positions.push_back(p);
    return positions;
}

TEST(SampleOrderTest, OldestFirstInRingOrder) {
    EXPECT_TRUE(Order(Filled(0), 3).empty());
    EXPECT_EQ(Order(Filled(1), 3), (std::vector<int>{0}));
    EXPECT_EQ(Order(Filled(3), 3), (std::vector<int>{0, 1, 2}));
    // Wrapped with the next position at 37: 37 .. 99, then 0 .. 36.
    const std::vector<int> at37 = Order(Filled(137), 3);
    ASSERT_EQ(at37.size(), 100u);
    EXPECT_EQ(at37[0], 37);
    EXPECT_EQ(at37[62], 99);
    EXPECT_EQ(at37[63], 0);
    EXPECT_EQ(at37[99], 36);
    // Wrapped with the next position at 0: 0 .. 99 and nothing after.
    EXPECT_EQ(Order(Filled(100), 3), Range(0, 100));
    EXPECT_EQ(Order(Filled(200), 3), Range(0, 100));
    // Other slots, and slots outside 0..15, have none.
    EXPECT_TRUE(Order(Filled(137), 2).empty());
    EXPECT_TRUE(Order(Filled(137), -1).empty());
}

TEST(SampleOrderTest, APositionResetAfterASampleShowsNothingUntilTheNext) {
    // The start-up's pass may write position 0 before the positions are reset.
    TemperatureHistory history = Filled(1);
    history.ResetPositions();
    EXPECT_TRUE(Order(history, 3).empty());
}

TEST(TrendPlotTest, PointsAndLabelsOfEachRow) {
    TemperatureHistory history;
    history.Append(0, "2024/05/06 14:40", 40);
    history.Append(0, "2024/05/06 14:50", 80);
    history.Append(0, "2024/05/06 15:00", 90);
    const TrendPlot plot = PlotTrend(history, 0);
    ASSERT_EQ(plot.rows.size(), 3u);
    EXPECT_DOUBLE_EQ(TemperatureX(40, kCanvasWidth), 371.5);
    EXPECT_EQ(plot.rows[0], (PlotRow{0, "2024/05/06 14:40", "40", {372, 25}, {3, 21}, {382, 21}}));
    EXPECT_EQ(plot.rows[1].point, (PixelPoint{643, 40}));
    // Beyond 80 degrees the point lies outside the canvas; no clamping here.
    EXPECT_EQ(plot.rows[2].point, (PixelPoint{711, 55}));
    EXPECT_EQ(plot.rows[2].temperatureLabel, (PixelPoint{721, 51}));
    // Below 0 it lies left of the axis.
    history.Append(0, "2024/05/06 15:10", -5);
    EXPECT_EQ(PlotTrend(history, 0).rows[3].point, (PixelPoint{66, 70}));
}

TEST(TrendPlotTest, ATemperatureThatIsNoNumberIsLeftOut) {
    EXPECT_EQ(ParseHistoryTemperature("41"), 41);
    EXPECT_EQ(ParseHistoryTemperature("-5"), -5);
    EXPECT_EQ(ParseHistoryTemperature("32767"), 32767);
    for (const char* text : {"", "4l", " 41", "41℃", "32768", "-32769", "99999999999", "+41", "0x29"})
        EXPECT_EQ(ParseHistoryTemperature(text), std::nullopt) << text;

    std::array<HistorySample, kHistoryLength> ring;
    ring[0] = {"2024/05/06 14:40", "40"};
    ring[1] = {"2024/05/06 14:50", "??"};
    ring[2] = {"2024/05/06 15:00", "42"};
    const TrendPlot plot = PlotTrend(ring, 3);
    ASSERT_EQ(plot.rows.size(), 2u);
    EXPECT_EQ(plot.rows[0].position, 0);
    EXPECT_EQ(plot.rows[1].position, 2);
    EXPECT_EQ(plot.rows[1].point.y, 40);  // the line goes on from the row before
}

TEST(TrendPlotTest, ScaleTicksAndLabels) {
    const auto ticks = ScaleTicks(kCanvasWidth);
    EXPECT_EQ(ticks.front(), (ScaleTick{0, 100, {95, 1}}));
    EXPECT_EQ(ticks[1], (ScaleTick{10, 168, {163, 1}}));   // 167.875
    EXPECT_EQ(ticks[4], (ScaleTick{40, 372, {367, 1}}));   // 371.5
    EXPECT_EQ(ticks.back(), (ScaleTick{80, 643, {638, 1}}));
}

TEST(TrendPlotTest, ScrollRange) {
    EXPECT_EQ(PlotTrend(Filled(0), 3).scrollMaximum, 0);
    EXPECT_EQ(PlotTrend(Filled(26), 3).rows.back().point.y, 400);
    EXPECT_EQ(PlotTrend(Filled(26), 3).scrollMaximum, 0);
    EXPECT_EQ(PlotTrend(Filled(27), 3).scrollMaximum, 2);
    EXPECT_EQ(PlotTrend(Filled(100), 3).rows.back().point.y, 1510);
    EXPECT_EQ(PlotTrend(Filled(100), 3).scrollMaximum, 1097);
    EXPECT_EQ(PlotTrend(Filled(137), 3).scrollMaximum, 1097);
    // No valid slot: the scale alone.
    EXPECT_TRUE(PlotTrend(Filled(100), 16).rows.empty());
    EXPECT_EQ(PlotTrend(Filled(100), 16).scrollMaximum, 0);
}

}  // namespace
}  // namespace qm
