// The stored history's lines: written and read back, what reading skips,
// what a rewrite keeps, and the file name a drive gets.
#include <gtest/gtest.h>

#include "monitor/history_file.h"

namespace qm {
namespace {

TEST(HistoryFileTest, LinesReadBackAsWrittenAndOnlyWholeSampleLinesCount) {
    const StoredSample leapDay{951782400 + 3723, 38};  // 2000-02-29T01:02:03Z
    EXPECT_EQ(HistoryLine(leapDay), "2000-02-29T01:02:03Z 38\n");
    EXPECT_EQ(HistoryLine({0, -5}), "1970-01-01T00:00:00Z -5\n");

    const std::string bytes = HistoryLine(leapDay) +
                              "2000-02-30T00:00:00Z 40\n"   // no such day
                              "2000-01-01T24:00:00Z 40\n"   // no such hour
                              "1969-12-31T23:59:59Z 40\n"   // before 1970
                              "2000-01-01T00:00:00Z 1000\n" // not a temperature
                              "2000-01-01T00:00:00Z 4x\n"
                              "2000-01-01T00:00:00 40\n"
                              "\n"
                              "garbage\n" +
                              HistoryLine({0, 21}) + "2001-01-01T00:00:00Z 4";  // torn
    EXPECT_EQ(ParseHistory(bytes), (std::vector<StoredSample>{leapDay, {0, 21}}));
}

TEST(HistoryFileTest, ARewriteKeepsFourHundredDays) {
    const std::int64_t now = 2'000'000'000;
    const std::vector<StoredSample> samples{{now - kHistoryKeepSeconds - 1, 30}, {now - kHistoryKeepSeconds, 31}, {now, 32}};
    EXPECT_EQ(CompactHistory(samples, now), HistoryLine(samples[1]) + HistoryLine(samples[2]));
    EXPECT_TRUE(HistoryNeedsCompacting(samples, 3 * 24, now));
    const std::vector<StoredSample> recent{samples[1], samples[2]};
    const std::string whole = CompactHistory(recent, now);
    EXPECT_FALSE(HistoryNeedsCompacting(recent, whole.size(), now));
    EXPECT_TRUE(HistoryNeedsCompacting(recent, whole.size() + 5, now));  // lines that are not samples
}

TEST(HistoryFileTest, FileNamesNameNoPathAndNeverTwoDrives) {
    EXPECT_EQ(HistoryFileName("WDC WD2500JB", "WD-1").substr(0, 18), "WDC_WD2500JB-WD-1-");
    for (const auto& [model, serial] : std::vector<std::pair<std::string, std::string>>{
             {"../..", "x"}, {"a/b", "c"}, {".", ""}, {"", ""}, {std::string("a\0b", 3), "\n"}}) {
        const std::string name = HistoryFileName(model, serial);
        EXPECT_EQ(name.find('/'), std::string::npos) << name;
        EXPECT_NE(name.front(), '.') << name;
        EXPECT_EQ(name.find('\0'), std::string::npos);
    }
    EXPECT_NE(HistoryFileName("A B", "1"), HistoryFileName("A_B", "1"));
    EXPECT_NE(HistoryFileName("AB", "1"), HistoryFileName("A", "B1"));
}

}  // namespace
}  // namespace qm
