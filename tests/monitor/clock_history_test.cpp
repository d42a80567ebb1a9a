// The history's time text, its sampling minutes and the ring of 100 samples.
#include <gtest/gtest.h>

#include "monitor/clock.h"
#include "monitor/temperature_history.h"

namespace qm {
namespace {

TEST(SampleTimeTest, FormatsSixteenCharactersWithZeroPadding) {
    EXPECT_EQ(FormatSampleTime({2009, 11, 23, 14, 30, 59}), "2009/11/23 14:30");
    EXPECT_EQ(FormatSampleTime({2024, 1, 2, 3, 4, 5}), "2024/01/02 03:04");
    EXPECT_EQ(FormatSampleTime({2024, 12, 31, 23, 50, 0}).size(), 16u);
}

TEST(SampleTimeTest, SamplesOnlyInMinutesEndingInZero) {
    for (int minute = 0; minute < 60; ++minute) {
        LocalTime time{2024, 5, 6, 14, minute, 0};
        EXPECT_EQ(IsSamplingMinute(time), minute % 10 == 0) << minute;
    }
}

TEST(SampleTimeTest, SystemClockGivesAPlausibleLocalTime) {
    SystemClock clock;
    const LocalTime now = clock.Now();
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_LE(now.minute, 59);
}

TEST(TemperatureHistoryTest, StartsEmptyAtPositionZero) {
    TemperatureHistory history;
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_EQ(history.Position(slot), 0);
        ASSERT_EQ(history.Samples(slot).size(), 100u);
        for (const HistorySample& sample : history.Samples(slot)) EXPECT_EQ(sample, HistorySample{});
    }
}

TEST(TemperatureHistoryTest, AppendsInOrderPerSlot) {
    TemperatureHistory history;
    history.Append(3, "2024/05/06 14:40", 41);
    history.Append(3, "2024/05/06 14:50", 42);
    history.Append(0, "2024/05/06 14:50", 30);
    EXPECT_EQ(history.Position(3), 2);
    EXPECT_EQ(history.Position(0), 1);
    EXPECT_EQ(history.At(3, 0), (HistorySample{"2024/05/06 14:40", "41"}));
    EXPECT_EQ(history.At(3, 1), (HistorySample{"2024/05/06 14:50", "42"}));
    EXPECT_EQ(history.At(3, 2), HistorySample{});
    EXPECT_EQ(history.At(0, 0), (HistorySample{"2024/05/06 14:50", "30"}));
}

TEST(TemperatureHistoryTest, WrapsAfterTheHundredthSample) {
    TemperatureHistory history;
    for (int n = 0; n < 100; ++n) history.Append(5, "t" + std::to_string(n), n);
    EXPECT_EQ(history.At(5, 99), (HistorySample{"t99", "99"}));
    EXPECT_EQ(history.Position(5), 0);
    history.Append(5, "t100", 100);
    EXPECT_EQ(history.At(5, 0), (HistorySample{"t100", "100"}));
    EXPECT_EQ(history.At(5, 1), (HistorySample{"t1", "1"}));  // now the oldest
    EXPECT_EQ(history.Position(5), 1);
}

TEST(TemperatureHistoryTest, ResetKeepsTheTextsSoTheNextSampleOverwrites) {
    TemperatureHistory history;
    history.Append(1, "2024/05/06 14:40", 40);
    history.ResetPositions();
    EXPECT_EQ(history.Position(1), 0);
    EXPECT_EQ(history.At(1, 0).temperature, "40");
    history.Append(1, "2024/05/06 14:50", 41);
    EXPECT_EQ(history.At(1, 0), (HistorySample{"2024/05/06 14:50", "41"}));
    EXPECT_EQ(history.Position(1), 1);
}

TEST(TemperatureHistoryTest, ASampleThatDoesNotAdvanceIsOverwrittenByTheNext) {
    TemperatureHistory history;
    history.Append(1, "2024/05/06 14:40", 40, Advance::No);
    EXPECT_EQ(history.At(1, 0).temperature, "40");
    EXPECT_EQ(history.Position(1), 0);
    history.Append(1, "2024/05/06 14:50", 41);
    EXPECT_EQ(history.At(1, 0), (HistorySample{"2024/05/06 14:50", "41"}));
}

TEST(TemperatureHistoryTest, IgnoresSlotsAndPositionsOutsideTheRing) {
    TemperatureHistory history;
    history.Append(-1, "x", 1);
    history.Append(16, "x", 1);
    EXPECT_TRUE(history.Samples(16).empty());
    EXPECT_EQ(history.Position(-1), 0);
    EXPECT_EQ(history.At(0, 100), HistorySample{});
    EXPECT_EQ(history.At(0, -1), HistorySample{});
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) EXPECT_EQ(history.Position(slot), 0);
}

}  // namespace
}  // namespace qm
