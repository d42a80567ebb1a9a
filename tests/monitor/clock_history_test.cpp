// The history's time text, its sampling minutes and the ring of 100 samples.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

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

// The stored history's UTC time and back, across the edges of the calendar.
TEST(SampleTimeTest, UtcSecondsAndCalendarTimeAgree) {
    const struct {
        std::int64_t seconds;
        LocalTime time;
    } rows[] = {
        {0, {1970, 1, 1, 0, 0, 0}},
        {-1, {1969, 12, 31, 23, 59, 59}},
        {951782400, {2000, 2, 29, 0, 0, 0}},    // a leap day of a century
        {4107542400, {2100, 3, 1, 0, 0, 0}},    // 2100 has no 29 February
        {1796680200, {2026, 12, 7, 21, 50, 0}},
        {253402300799, {9999, 12, 31, 23, 59, 59}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(UtcCalendarOf(row.seconds), row.time) << row.seconds;
        EXPECT_EQ(UtcSecondsOf(row.time), row.seconds) << row.seconds;
    }
    SystemClock clock;
    const std::int64_t now = clock.UtcNow();
    EXPECT_EQ(clock.LocalOf(now).second, UtcCalendarOf(now).second);  // zones differ by whole minutes
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

// Filled from the stored samples: the last hundred, in order, and the next
// sample goes after them as if they had been appended.
TEST(TemperatureHistoryTest, FillKeepsTheNewestHundredAndGoesOnAfterThem) {
    TemperatureHistory history;
    history.Append(2, "old", 1);
    std::vector<HistorySample> stored;
    for (int n = 0; n < 3; ++n) stored.push_back({"t" + std::to_string(n), std::to_string(n)});
    history.Fill(2, stored);
    EXPECT_EQ(history.Position(2), 3);
    EXPECT_EQ(history.At(2, 0), (HistorySample{"t0", "0"}));
    EXPECT_EQ(history.At(2, 3), HistorySample{});

    for (int n = 3; n < 130; ++n) stored.push_back({"t" + std::to_string(n), std::to_string(n)});
    history.Fill(2, stored);
    EXPECT_EQ(history.Position(2), 0);  // full: position 0 holds the oldest
    EXPECT_EQ(history.At(2, 0), (HistorySample{"t30", "30"}));
    EXPECT_EQ(history.At(2, 99), (HistorySample{"t129", "129"}));
    history.Append(2, "t130", 130);
    EXPECT_EQ(history.At(2, 0), (HistorySample{"t130", "130"}));
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
