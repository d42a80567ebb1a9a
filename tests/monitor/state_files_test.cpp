// The alert state and the history kept across restarts: what a restart reads
// back, what a damaged or planted file reads as, and that neither is ever
// written through a link.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "monitor/state_files.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

AlertInput Bad() {
    AlertInput input;
    input.outcome = PassOutcome::Read;
    input.state = AttributeStatus::Bad;
    input.counters.push_back({AlertReason::Pending, 8, AttributeStatus::Caution, "保留中"});
    input.temperature = 58;
    input.temperatureMark = AttributeStatus::Caution;
    input.criticalWarning = 0x01;
    return input;
}

TEST(AlertStoreTest, ARestartReadsTheStateBackAndTellsNothingOld) {
    test::TempFolder home;
    const std::string folder = StateFolderOf(home.str());
    AlertState state;
    AlertInput input = Bad();
    JudgeRead(state, input, 100);
    ASSERT_FALSE(JudgeRead(state, input, 160).empty());  // the second hot pass
    ASSERT_FALSE(AlertStore(folder).Save("MODEL ]=x", "SER1", state));
    ASSERT_FALSE(AlertStore(folder).Save("OTHER", "SER1", AlertState{}));

    AlertState restarted = AlertStore(folder).Load("MODEL ]=x", "SER1");
    state.lastTemperature.reset();  // not kept: it only words the next message
    EXPECT_EQ(restarted, state);
    EXPECT_TRUE(JudgeRead(restarted, input, 220).empty());
    EXPECT_EQ(AlertStore(folder).Load("OTHER", "SER1"), AlertState{});
    EXPECT_EQ(AlertStore("").Load("MODEL ]=x", "SER1"), AlertState{});
}

TEST(AlertStoreTest, ValuesThatDoNotReadBackAsWrittenAreAbsent) {
    test::TempFolder home;
    const std::string folder = StateFolderOf(home.str());
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/alerts.ini") << "[A-B]\nstate=7\nhot=99\ncool=-1\nwarning=300\n"
                                             "count05.count=x\ncount05.mark=1\nstate.told=2\n"
                                             "temperature.told=0 5\nwarning.told=2 12\ncountC5.count=18446744073709551615\n";
    const AlertState state = AlertStore(folder).Load("A", "B");
    EXPECT_FALSE(state.state);
    EXPECT_EQ(state.hotPasses, 0);
    EXPECT_EQ(state.coolPasses, 0);
    EXPECT_FALSE(state.criticalWarning);
    EXPECT_FALSE(state.counts[static_cast<std::size_t>(AlertReason::Reallocated)]);
    EXPECT_EQ(state.counts[static_cast<std::size_t>(AlertReason::Pending)], UINT64_MAX);
    EXPECT_FALSE(state.reasons[static_cast<std::size_t>(AlertReason::State)].active);        // no time
    EXPECT_FALSE(state.reasons[static_cast<std::size_t>(AlertReason::Temperature)].active);  // "good" is not active
    EXPECT_EQ(state.reasons[static_cast<std::size_t>(AlertReason::CriticalWarning)],
              (ReasonStanding{true, AttributeStatus::Bad, 12}));
}

TEST(StateFilesTest, NoStateFileIsReadOrWrittenThroughALink) {
    test::TempFolder home;
    const std::string folder = StateFolderOf(home.str());
    std::filesystem::create_directories(folder + "/history");
    std::ofstream(home / "elsewhere") << "[X-Y]\nstate=2\n2026-01-01T00:00:00Z 40\n";
    const std::string before = Contents(home / "elsewhere");
    ASSERT_EQ(::symlink((home / "elsewhere").c_str(), (folder + "/alerts.ini").c_str()), 0);
    ASSERT_EQ(::symlink((home / "elsewhere").c_str(), (folder + "/history/" + HistoryFileName("X", "Y")).c_str()), 0);

    EXPECT_FALSE(AlertStore(folder).Load("X", "Y").state);
    EXPECT_TRUE(AlertStore(folder).Save("X", "Y", AlertState{}));
    HistoryStore history(folder);
    EXPECT_TRUE(history.Load("X", "Y", 1'800'000'000).empty());
    EXPECT_TRUE(history.Stored("X", "Y").empty());
    EXPECT_TRUE(history.Append("X", "Y", {1'800'000'000, 41}));
    EXPECT_EQ(Contents(home / "elsewhere"), before);
}

TEST(HistoryStoreTest, SamplesSurviveARestartTornLinesAndOldSamplesDoNot) {
    test::TempFolder home;
    HistoryStore history(StateFolderOf(home.str()));
    const std::int64_t now = 1'800'000'000;
    const StoredSample old{now - kHistoryKeepSeconds - 600, 30}, a{now - 1200, 38}, b{now - 600, 39};
    for (const StoredSample& sample : {old, a, b}) ASSERT_FALSE(history.Append("M", "S", sample));
    const std::string file = StateFolderOf(home.str()) + "/history/" + HistoryFileName("M", "S");
    std::ofstream(file, std::ios::app) << "2027-01-15T08:0";  // a kill while a line was written
    const std::string written = Contents(file);
    EXPECT_EQ(history.Stored("M", "S"), (std::vector<StoredSample>{old, a, b}));
    EXPECT_EQ(Contents(file), written);  // reading alone changes nothing

    EXPECT_EQ(HistoryStore(StateFolderOf(home.str())).Load("M", "S", now), (std::vector<StoredSample>{a, b}));
    EXPECT_EQ(Contents(file), HistoryLine(a) + HistoryLine(b));  // rewritten without the old and the torn
    EXPECT_FALSE(history.Append("M", "S", {now, 40}));
    EXPECT_EQ(history.Load("M", "S", now).size(), 3u);
}

}  // namespace
}  // namespace qm
