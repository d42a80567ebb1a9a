// The drive worker: what each question reads, at most one request per drive
// out, a stalled drive that holds only itself, and how the worker stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <thread>

#include "drives/sim/sim_drives.h"
#include "monitor/drive_worker.h"
#include "tests/monitor/gated_drives.h"
#include "tests/monitor/recorders.h"
#include "tests/monitor/test_drive_set.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

// The sample set (drives in slots 0, 1, 2 and 4, slot 2 asleep here) behind
// holds the test controls.
struct WorkerFixture {
    WorkerFixture() { sim.PutToSleep(2); }
    // Takes answers until `count` have come (or ten seconds have passed).
    std::vector<DriveAnswer> Answers(std::size_t count) {
        std::vector<DriveAnswer> all;
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (all.size() < count && std::chrono::steady_clock::now() < deadline) {
            worker.WaitForAnswers(100ms);
            for (DriveAnswer& answer : worker.TakeAnswers()) all.push_back(std::move(answer));
        }
        return all;
    }

    SimDriveProvider sim{test::SamplesFolder()};
    test::GatedDrives drives{sim};
    test::FixedRights rights{false};
    DriveWorker worker{drives, rights};
};

TEST(DriveWorkerTest, EachQuestionReadsWhatItNeeds) {
    WorkerFixture f;
    std::map<std::uint64_t, std::string> asked;
    const auto ask = [&](DriveSlot slot, DriveQuestion question, const std::string& name) {
        const Asked a = f.worker.Ask(slot, question);
        EXPECT_NE(a.ticket, 0u) << name;
        EXPECT_FALSE(a.joined) << name;
        asked[a.ticket] = name;
    };
    ask(0, DriveQuestion::Probe, "probe");
    ask(0, DriveQuestion::View, "view");
    ask(2, DriveQuestion::Pass, "pass asleep");
    ask(4, DriveQuestion::Pass, "pass awake");
    ask(2, DriveQuestion::Full, "full");  // asleep, but read
    ask(3, DriveQuestion::View, "no drive");
    ask(16, DriveQuestion::View, "no slot");
    ask(4, DriveQuestion::Volumes, "volumes");
    ask(7, DriveQuestion::Rights, "rights");
    std::map<std::string, DriveAnswer> by;
    for (const DriveAnswer& answer : f.Answers(asked.size())) by[asked[answer.ticket]] = answer;
    ASSERT_EQ(by.size(), asked.size());

    EXPECT_EQ(by["probe"].result, ReadResult::Read);
    EXPECT_EQ(by["probe"].record.attributeCount, 0);  // identity only
    EXPECT_EQ(by["view"].result, ReadResult::Read);
    EXPECT_GT(by["view"].record.attributeCount, 0);
    EXPECT_EQ(by["view"].capacity, std::optional<std::string>("931.51 GB"));
    EXPECT_EQ(by["pass asleep"].result, ReadResult::Asleep);
    EXPECT_EQ(by["pass awake"].result, ReadResult::Read);
    EXPECT_EQ(by["full"].result, ReadResult::Read);
    EXPECT_EQ(by["no drive"].result, ReadResult::Failed);
    EXPECT_EQ(by["no drive"].capacity, std::nullopt);
    EXPECT_EQ(by["no slot"].result, ReadResult::Failed);
    EXPECT_EQ(by["volumes"].volumes, (std::vector<std::string>{"/mnt/media", "/mnt/archive"}));
    EXPECT_EQ(by["rights"].slot, kNoSlot);
    EXPECT_FALSE(by["rights"].mayReadDisks);
    EXPECT_EQ(f.sim.WakeUps(2), 1);  // by the full read, not by the pass
    EXPECT_TRUE(f.worker.Idle());
}

TEST(DriveWorkerTest, APassSkipsABusyDriveAndTheOtherDrivesGoOn) {
    WorkerFixture f;
    f.drives.Hold(1);
    const Asked view = f.worker.Ask(1, DriveQuestion::View);
    ASSERT_TRUE(f.drives.WaitUntilWaiting(1));
    EXPECT_TRUE(f.worker.Busy(1));
    EXPECT_EQ(f.worker.Ask(1, DriveQuestion::Pass).ticket, 0u);  // skipped: its read has not come back
    std::vector<DriveSlot> answered;
    for (const DriveSlot slot : {0, 2, 4}) ASSERT_NE(f.worker.Ask(slot, DriveQuestion::Pass).ticket, 0u);
    for (const DriveAnswer& answer : f.Answers(3)) answered.push_back(answer.slot);
    std::sort(answered.begin(), answered.end());
    EXPECT_EQ(answered, (std::vector<DriveSlot>{0, 2, 4}));
    EXPECT_TRUE(f.worker.Busy(1));
    EXPECT_FALSE(f.worker.Idle());

    f.drives.Release(1);
    const std::vector<DriveAnswer> last = f.Answers(1);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].ticket, view.ticket);
    EXPECT_FALSE(f.worker.Busy(1));
    EXPECT_NE(f.worker.Ask(1, DriveQuestion::Pass).ticket, 0u);
}

TEST(DriveWorkerTest, ANewViewJoinsTheOneOutAndEqualQuestionsJoinInTheQueue) {
    WorkerFixture f;
    f.drives.Hold(0);
    const Asked first = f.worker.Ask(0, DriveQuestion::View);
    ASSERT_TRUE(f.drives.WaitUntilWaiting(0));
    const Asked again = f.worker.Ask(0, DriveQuestion::View);  // a new F5 while the first read runs
    EXPECT_EQ(again.ticket, first.ticket);
    EXPECT_TRUE(again.joined);
    const Asked full = f.worker.Ask(0, DriveQuestion::Full);
    EXPECT_FALSE(full.joined);
    const Asked fullAgain = f.worker.Ask(0, DriveQuestion::Full);
    EXPECT_EQ(fullAgain.ticket, full.ticket);
    EXPECT_TRUE(fullAgain.joined);
    f.drives.Release(0);
    const std::vector<DriveAnswer> answers = f.Answers(2);
    ASSERT_EQ(answers.size(), 2u);  // one read each, in the order asked
    EXPECT_EQ(answers[0].ticket, first.ticket);
    EXPECT_EQ(answers[1].ticket, full.ticket);
    EXPECT_TRUE(f.worker.Idle());
}

TEST(DriveWorkerTest, BusySinceCoversTheRequestsOfTheSlotWithoutABreak) {
    WorkerFixture f;
    EXPECT_EQ(f.worker.BusySince(0), std::nullopt);
    f.drives.Hold(0);
    const auto before = std::chrono::steady_clock::now();
    f.worker.Ask(0, DriveQuestion::View);
    f.worker.Ask(0, DriveQuestion::Full);
    ASSERT_TRUE(f.drives.WaitUntilWaiting(0));
    const auto since = f.worker.BusySince(0);
    ASSERT_TRUE(since.has_value());
    EXPECT_GE(*since, before);
    EXPECT_EQ(f.worker.BusySince(1), std::nullopt);
    f.drives.Release(0);
    f.Answers(2);
    EXPECT_EQ(f.worker.BusySince(0), std::nullopt);
}

TEST(DriveWorkerTest, StoppingInterruptsAReadThatWaitsAndDropsWhatIsQueued) {
    WorkerFixture f;
    int wakes = 0;
    f.worker.SetWake([&] { ++wakes; });
    f.drives.Hold(0);
    f.worker.Ask(0, DriveQuestion::View);
    f.worker.Ask(0, DriveQuestion::Full);
    ASSERT_TRUE(f.drives.WaitUntilWaiting(0));
    EXPECT_TRUE(f.worker.Stop(5s));  // the interruption ends the hold
    f.drives.Release(0);             // (for a worker that failed to interrupt it)
    EXPECT_TRUE(f.worker.Stopped());
    EXPECT_TRUE(f.worker.TakeAnswers().empty());  // nothing is answered after the stop
    EXPECT_EQ(wakes, 0);
    EXPECT_EQ(f.worker.Ask(1, DriveQuestion::View).ticket, 0u);
}

TEST(DriveWorkerTest, AThreadStuckInACommandIsLeftBehind) {
    WorkerFixture f;
    f.drives.SetStuck(true);
    f.drives.Hold(0);
    f.worker.Ask(0, DriveQuestion::View);
    f.worker.Ask(1, DriveQuestion::View);
    ASSERT_TRUE(f.drives.WaitUntilWaiting(0));
    EXPECT_FALSE(f.worker.Stop(50ms));
    EXPECT_FALSE(f.worker.Stopped());
    // Once the command returns, the thread ends without answering.
    f.drives.Release(0);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!f.worker.Stop(0ms) && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(f.worker.Stopped());
}

}  // namespace
}  // namespace qm
