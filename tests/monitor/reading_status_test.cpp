// The status line: nothing for a wait shorter than the notice, then what the
// window waits for and for how long, the scan before the selected drive.
#include <gtest/gtest.h>

#include "monitor/reading_status.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

TEST(ReadingStatusTest, SaysWhatTheWindowWaitsForOnceItHasWaitedAMoment) {
    const SteadyTime now{100s};
    EXPECT_EQ(ReadingStatusText(std::nullopt, std::nullopt, now), "");
    EXPECT_EQ(ReadingStatusText(now - 399ms, now - 399ms, now), "");  // answered at once: never said
    EXPECT_EQ(ReadingStatusText(std::nullopt, now - 400ms, now), "このドライブを読み取っています（0 秒）");
    EXPECT_EQ(ReadingStatusText(std::nullopt, now - 20500ms, now), "このドライブを読み取っています（20 秒）");
    EXPECT_EQ(ReadingStatusText(now - 3s, now - 20s, now), "ドライブを検出しています（3 秒）");
    EXPECT_EQ(ReadingStatusText(now - 100ms, now - 2s, now), "このドライブを読み取っています（2 秒）");
}

}  // namespace
}  // namespace qm
