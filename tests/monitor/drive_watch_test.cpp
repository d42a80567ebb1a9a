// The alerts on the worker's answers and the history kept across runs: what
// is told once stays told after a restart, only pass and view reads count,
// and each drive's ring comes back from its file.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "drives/sim/sim_drives.h"
#include "monitor/drive_alerts.h"
#include "monitor/drive_watch.h"
#include "smart/smart_reader.h"
#include "tests/monitor/recorders.h"
#include "tests/monitor/test_drive_set.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

// The sample set's healthy drive (slot 0) and its failing one (slot 2),
// both under one identity, as one drive that got worse.
struct Reads {
    SimDriveProvider drives{QM_SAMPLES_DIR};
    SmartReader reader{drives};
    DriveAnswer Answer(DriveSlot sample, DriveQuestion question = DriveQuestion::Pass) {
        DriveAnswer answer;
        answer.slot = 0;
        answer.question = question;
        answer.result = ReadResult::Read;
        answer.record = reader.ReadDrive(sample);
        answer.record.modelNumber = "QM-WATCHED";
        answer.record.serialNumber = "W1";
        return answer;
    }
};

DriveAnswer Failed(DriveQuestion question) {
    DriveAnswer answer;
    answer.slot = 0;
    answer.question = question;
    return answer;
}

const DriveIdentity kFound{"QM-WATCHED", "W1"};
constexpr std::int64_t kNow = 1796680200;

// The alerts of one program run over a state folder that outlives it.
struct AlertsRun {
    explicit AlertsRun(AlertStore& store) : alerts(store, notifier) {}
    test::RecordingNotifier notifier;
    DriveAlerts alerts;
};

TEST(DriveAlertsTest, AFactIsToldOnceAlsoAfterARestartAndTakenAwayWhenItClears) {
    test::TempFolder home;
    Reads reads;
    AlertStore store(StateFolderOf(home.str()));
    std::size_t told = 0;
    {
        AlertsRun run(store);
        run.alerts.OnAnswer(reads.Answer(0), kFound, kNow);
        EXPECT_TRUE(run.notifier.shown.empty());
        run.alerts.OnAnswer(reads.Answer(2), kFound, kNow + 60);
        told = run.notifier.shown.size();
        ASSERT_GT(told, 0u);
        for (const Notice& notice : run.notifier.shown) EXPECT_EQ(notice.key.rfind("QM-WATCHED", 0), 0u) << notice.key;
        run.alerts.OnAnswer(reads.Answer(2), kFound, kNow + 120);
        EXPECT_EQ(run.notifier.shown.size(), told);
    }
    AlertsRun restarted(store);
    restarted.alerts.OnAnswer(reads.Answer(2), kFound, kNow + 180);
    EXPECT_TRUE(restarted.notifier.shown.empty());  // the state on disk knew it
    restarted.alerts.OnAnswer(reads.Answer(0), kFound, kNow + 240);
    EXPECT_EQ(restarted.notifier.closed.size(), told);
}

TEST(DriveAlertsTest, OnlyPassAndViewReadsCountAndAFailureCountsAgainstTheDriveFound) {
    test::TempFolder home;
    AlertStore store(StateFolderOf(home.str()));
    AlertsRun run(store);
    for (int pass = 0; pass < kUnreadablePasses; ++pass) {
        run.alerts.OnAnswer(Failed(DriveQuestion::Full), kFound, kNow + pass);
        run.alerts.OnAnswer(Failed(DriveQuestion::Probe), kFound, kNow + pass);
        run.alerts.OnAnswer(Failed(DriveQuestion::Pass), DriveIdentity{}, kNow + pass);  // no drive was found there
    }
    EXPECT_TRUE(run.notifier.shown.empty());
    for (int pass = 0; pass < kUnreadablePasses; ++pass)
        run.alerts.OnAnswer(Failed(pass % 2 ? DriveQuestion::View : DriveQuestion::Pass), kFound, kNow + pass);
    ASSERT_EQ(run.notifier.shown.size(), 1u);
    EXPECT_EQ(run.notifier.shown[0].key, NoticeKey({0, "QM-WATCHED", "W1"}, AlertReason::Unreadable));
}

TEST(DriveAlertsTest, SwitchedOffNothingIsShownYetTheFactIsKnown) {
    test::TempFolder home;
    Reads reads;
    AlertStore store(StateFolderOf(home.str()));
    AlertsRun run(store);
    run.alerts.SetShowing(false);
    run.alerts.OnAnswer(reads.Answer(2), kFound, kNow);
    run.alerts.SetShowing(true);
    run.alerts.OnAnswer(reads.Answer(2), kFound, kNow + 60);
    EXPECT_TRUE(run.notifier.shown.empty());
}

struct ProgramRun {
    explicit ProgramRun(const std::string& drives, const std::string& stateFolder, test::FixedClock& clock)
        : provider(drives), settings(settingsFolder.file("Quillmoor.ini")), monitor(provider, rights, settings, area),
          watch(monitor, stateFolder, notifier, clock, nullptr,
                [this](DriveSlot slot, std::optional<AttributeStatus> state) { health[slot] = state; }) {
        monitor.ScanDrives(nullptr, nullptr);
        Settle();
    }
    void Settle() { ASSERT_TRUE(monitor.DeliverUntilIdle(10s)); }

    SimDriveProvider provider;
    test::FixedRights rights;
    test::TempFolder settingsFolder;
    Settings settings;
    test::RecordingNotificationArea area;
    test::RecordingNotifier notifier;
    DriveMonitor monitor;
    DriveWatch watch;
    std::map<DriveSlot, std::optional<AttributeStatus>> health;
};

std::string FileText(const std::string& folder) {
    std::ifstream in(folder + "/history/" + HistoryFileName("QM-A", "SN1000"));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DriveWatchTest, TheSamplesThePassesRecordComeBackAfterARestart) {
    test::TestDriveSet set({test::HealthyDrive(0, "QM-A", 41)});
    test::TempFolder home;
    const std::string folder = StateFolderOf(home.str());
    test::FixedClock clock({2026, 12, 7, 21, 50, 0});
    {
        ProgramRun run(set.folder(), folder, clock);
        run.monitor.RunPass(MomentNow(clock), kNoSlot, nullptr);  // a sampling minute
        run.Settle();
        EXPECT_EQ(run.health[0], AttributeStatus::Good);
        run.monitor.ViewDrive(0, MomentNow(clock, Advance::No), nullptr);  // the start-up's: overwritten, not kept
        run.Settle();
        clock.time.minute = 51;
        run.monitor.RunPass(MomentNow(clock), kNoSlot, nullptr);
        run.Settle();
    }
    EXPECT_EQ(FileText(folder), "2026-12-07T21:50:00Z 41\n");

    ProgramRun again(set.folder(), folder, clock);
    EXPECT_EQ(again.monitor.History().At(0, 0), (HistorySample{"2026/12/07 21:50", "41"}));
    EXPECT_EQ(again.monitor.History().Position(0), 1);
}

}  // namespace
}  // namespace qm
