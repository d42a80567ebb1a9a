// The drives as the window watches them, answered by the worker: the
// start-up scan and its tabs, the volumes stored for each drive, a view of
// one drive, the minute pass and the one place where answers come in.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "drives/sim/sim_drives.h"
#include "monitor/drive_monitor.h"
#include "tests/monitor/gated_drives.h"
#include "tests/monitor/recorders.h"
#include "tests/monitor/test_drive_set.h"

namespace qm {
namespace {

using namespace std::chrono_literals;
using test::HealthyDrive;

struct MonitorFixture {
    explicit MonitorFixture(const std::vector<test::TestDrive>& drives)
        : set(drives), provider(set.folder()), gated(provider), settings(settingsFolder.file("Quillmoor.ini")),
          monitor(gated, rights, settings, area) {}

    void Settle() { ASSERT_TRUE(monitor.DeliverUntilIdle(10s)); }
    // Delivers answers until `done` holds (or ten seconds have passed).
    bool DeliverUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            monitor.Worker().WaitForAnswers(20ms);
            monitor.DeliverAnswers();
        }
        return done();
    }
    // The scan; `found` lists each tab as it came: index and slot.
    void Scan() {
        monitor.ScanDrives([this](int index, const DriveTab& tab) { found.emplace_back(index, tab.slot); },
                           [this] { ++finished; });
    }
    DriveViewContent View(DriveSlot slot, int minute = 41) {
        DriveViewContent shown;
        monitor.ViewDrive(slot, {LocalTime{2024, 5, 6, 14, minute, 0}},
                          [&](const DriveViewContent& view, const PassReport&) { shown = view; });
        Settle();
        return shown;
    }

    test::TestDriveSet set;
    SimDriveProvider provider;
    test::GatedDrives gated;
    test::FixedRights rights;
    test::TempFolder settingsFolder;
    Settings settings;
    test::RecordingNotificationArea area;
    DriveMonitor monitor;
    std::vector<std::pair<int, DriveSlot>> found;
    int finished = 0;
};

std::vector<DriveSlot> TabSlots(const DriveMonitor& monitor) {
    std::vector<DriveSlot> slots;
    for (const DriveTab& tab : monitor.Tabs()) slots.push_back(tab.slot);
    return slots;
}

TEST(DriveScanTest, NoDriveNoTab) {
    MonitorFixture fixture({});
    fixture.Scan();
    EXPECT_TRUE(fixture.monitor.Scanning());
    fixture.Settle();
    EXPECT_FALSE(fixture.monitor.Scanning());
    EXPECT_EQ(fixture.finished, 1);
    EXPECT_TRUE(fixture.monitor.Tabs().empty());
    EXPECT_EQ(fixture.monitor.SlotOfTab(0), std::nullopt);
    for (const auto& identity : fixture.monitor.Identities()) EXPECT_EQ(identity, DriveIdentity{});
    for (const auto& volumes : fixture.monitor.StoredVolumes()) EXPECT_EQ(volumes, std::nullopt);
}

TEST(DriveScanTest, DrivesInSlotsZeroAndTwoWithTheirStoredVolumes) {
    MonitorFixture fixture({HealthyDrive(0, "DISK-A", 30), HealthyDrive(2, "DISK-C", 31)});
    ASSERT_FALSE(fixture.settings.WriteVolumes("DISK-A", "SN1000", "/ /home"));
    fixture.Scan();
    fixture.Settle();
    EXPECT_EQ(fixture.monitor.Tabs(), (std::vector<DriveTab>{{"DISK-A", 0}, {"DISK-C", 2}}));
    EXPECT_EQ(fixture.found, (std::vector<std::pair<int, DriveSlot>>{{0, 0}, {1, 2}}));
    EXPECT_EQ(fixture.monitor.SlotOfTab(1), 2);
    EXPECT_EQ(fixture.monitor.TabOfSlot(2), 1);
    EXPECT_EQ(fixture.monitor.TabOfSlot(1), std::nullopt);
    EXPECT_EQ(fixture.monitor.Identities()[0], (DriveIdentity{"DISK-A", "SN1000"}));
    EXPECT_EQ(fixture.monitor.Identities()[2], (DriveIdentity{"DISK-C", "SN1002"}));
    EXPECT_EQ(fixture.monitor.StoredVolumes()[0], "/ /home");
    EXPECT_EQ(fixture.monitor.StoredVolumes()[2], std::nullopt);
}

TEST(DriveScanTest, EveryDriveGetsItsOwnTabBeyondSeven) {
    std::vector<test::TestDrive> drives;
    const std::vector<DriveSlot> slots = {0, 1, 3, 5, 6, 8, 9, 12, 15};
    for (DriveSlot slot : slots) drives.push_back(HealthyDrive(slot, "DISK-" + std::to_string(slot), 30));
    MonitorFixture fixture(drives);
    fixture.Scan();
    fixture.Settle();
    EXPECT_EQ(TabSlots(fixture.monitor), slots);
    EXPECT_EQ(fixture.monitor.SlotOfTab(8), 15);
    EXPECT_EQ(fixture.monitor.SlotOfTab(9), std::nullopt);
    EXPECT_EQ(fixture.monitor.SlotOfTab(-1), std::nullopt);
}

TEST(DriveScanTest, BlankModelsAndUnidentifiedDrivesGetNoTab) {
    test::TestDrive refusing = HealthyDrive(3, "REFUSES", 30);
    refusing.fail = "identify";
    MonitorFixture fixture({HealthyDrive(0, "    ", 30), HealthyDrive(1, "SAME", 30), refusing, HealthyDrive(4, "SAME", 30)});
    fixture.Scan();
    fixture.Settle();
    // Two drives of the same model: two tabs, each with its own slot.
    EXPECT_EQ(fixture.monitor.Tabs(), (std::vector<DriveTab>{{"SAME", 1}, {"SAME", 4}}));
}

// A slow drive holds the tabs after it, in slot order, until the window stops
// holding them; then each comes as its drive answers, in its place.
TEST(DriveScanTest, TabsComeInSlotOrderAndASlowDriveHoldsThemOnlyUntilReleased) {
    MonitorFixture fixture({HealthyDrive(0, "FIRST", 30), HealthyDrive(1, "SLOW", 30), HealthyDrive(4, "LAST", 30)});
    fixture.gated.Hold(1);
    fixture.Scan();
    ASSERT_TRUE(fixture.gated.WaitUntilWaiting(1));
    ASSERT_TRUE(fixture.DeliverUntil([&] {
        for (DriveSlot slot = 0; slot < kSlotCount; ++slot)
            if (slot != 1 && fixture.monitor.Worker().Busy(slot)) return false;
        return true;
    }));
    fixture.monitor.DeliverAnswers();
    EXPECT_EQ(fixture.found, (std::vector<std::pair<int, DriveSlot>>{{0, 0}}));  // LAST waits behind SLOW
    fixture.monitor.StopHoldingTabs();
    EXPECT_EQ(fixture.found, (std::vector<std::pair<int, DriveSlot>>{{0, 0}, {1, 4}}));
    EXPECT_TRUE(fixture.monitor.Scanning());
    EXPECT_EQ(fixture.finished, 0);

    fixture.gated.Release(1);
    fixture.Settle();
    EXPECT_EQ(fixture.found, (std::vector<std::pair<int, DriveSlot>>{{0, 0}, {1, 4}, {1, 1}}));  // put in its place
    EXPECT_EQ(TabSlots(fixture.monitor), (std::vector<DriveSlot>{0, 1, 4}));
    EXPECT_EQ(fixture.finished, 1);
}

TEST(DriveMonitorTest, AViewReadsTheDriveAndItsStoredVolumesAfresh) {
    MonitorFixture fixture({HealthyDrive(0, "DISK-A", 30)});
    fixture.Scan();
    fixture.Settle();
    EXPECT_EQ(fixture.monitor.LastView(0), nullptr);
    EXPECT_EQ(fixture.View(0).volumes, "未取得");
    ASSERT_FALSE(fixture.settings.WriteVolumes("DISK-A", "SN1000", ""));
    const DriveViewContent view = fixture.View(0);
    EXPECT_TRUE(view.present);
    EXPECT_EQ(view.model, "DISK-A");
    EXPECT_EQ(view.volumes, "");  // stored empty: shown empty, not as never found
    ASSERT_NE(fixture.monitor.LastView(0), nullptr);
    EXPECT_EQ(fixture.monitor.LastView(0)->volumes, "");
    EXPECT_EQ(fixture.monitor.LastTemperatures(0), std::vector<int>{30});
    EXPECT_FALSE(fixture.View(1).present);
    EXPECT_FALSE(fixture.View(-1).present);
    // The tooltips' volumes change only when they are read again.
    EXPECT_EQ(fixture.monitor.StoredVolumes()[0], std::nullopt);
    bool reread = false;
    fixture.monitor.RereadStoredVolumes([&] { reread = true; });
    fixture.Settle();
    EXPECT_TRUE(reread);
    EXPECT_EQ(fixture.monitor.StoredVolumes()[0], "");
}

// The view stands for its drive's pass read; the pass that goes with it
// skips the drive still being read, and the other drives' answers come
// without waiting for it.
TEST(DriveMonitorTest, APassSkipsADriveStillBeingReadAndTheOthersUpdate) {
    MonitorFixture fixture({HealthyDrive(0, "FAST", 30), HealthyDrive(1, "STALLED", 35), HealthyDrive(2, "FAST", 40)});
    fixture.gated.Hold(1);
    std::vector<DriveSlot> reported;
    fixture.monitor.ViewDrive(1, {LocalTime{2024, 5, 6, 14, 50, 0}}, nullptr);
    fixture.monitor.RunPass({LocalTime{2024, 5, 6, 14, 50, 0}}, kNoSlot,
                            [&](const PassReport& report) { reported.push_back(report.slot); });
    ASSERT_TRUE(fixture.DeliverUntil([&] { return reported.size() == 15; }));
    EXPECT_EQ(std::count(reported.begin(), reported.end(), 1), 0);
    EXPECT_EQ(fixture.monitor.History().Position(0), 1);
    EXPECT_EQ(fixture.monitor.History().Position(2), 1);
    EXPECT_EQ(fixture.monitor.History().Position(1), 0);

    fixture.gated.Release(1);
    fixture.Settle();
    EXPECT_EQ(fixture.monitor.History().At(1, 0), (HistorySample{"2024/05/06 14:50", "35"}));  // by the view's read
}

TEST(DriveMonitorTest, ObserversSeeEveryAnswerBeforeWhatAskedForIt) {
    MonitorFixture fixture({HealthyDrive(0, "DISK-A", 30)});
    std::vector<std::string> seen;
    fixture.monitor.AddAnswerObserver([&](const DriveAnswer& answer) {
        seen.push_back("observer " + std::to_string(answer.slot) + (answer.result == ReadResult::Read ? " read" : " failed"));
    });
    fixture.monitor.Ask(0, DriveQuestion::Full, [&](const DriveAnswer&) { seen.push_back("asker 0"); });
    fixture.Settle();
    fixture.monitor.RunPass({LocalTime{2024, 5, 6, 14, 41, 0}}, 1, nullptr);
    fixture.Settle();
    ASSERT_EQ(seen.size(), 17u);  // the full read and fifteen pass reads
    EXPECT_EQ(seen[0], "observer 0 read");
    EXPECT_EQ(seen[1], "asker 0");
}

// A drive in standby stays asleep through an hour of minute passes: no read,
// no icon refresh, no history sample. A view the user asks for reads (and so
// wakes) it, and the passes after that read it again.
TEST(DriveMonitorTest, AnHourOfPassesWakesNoSleepingDriveButAViewDoes) {
    test::TestDrive sleeper = HealthyDrive(1, "SLEEPER", 35);
    sleeper.power = "standby";
    MonitorFixture fixture({HealthyDrive(0, "AWAKE", 30), sleeper});
    for (int minute = 0; minute < 60; ++minute) {
        std::optional<PassReport> selected;
        fixture.monitor.RunPass({LocalTime{2024, 5, 6, 14, minute, 0}}, kNoSlot, [&](const PassReport& report) {
            if (report.slot == 1) selected = report;
        });
        fixture.Settle();
        ASSERT_TRUE(selected.has_value());
        EXPECT_EQ(selected->result, ReadResult::Asleep);
        EXPECT_TRUE(selected->temperatures.empty());
    }
    EXPECT_EQ(fixture.provider.WakeUps(1), 0);
    EXPECT_TRUE(fixture.provider.Asleep(1));
    EXPECT_EQ(fixture.monitor.History().Position(0), 6);
    EXPECT_EQ(fixture.monitor.History().Position(1), 0);
    for (const auto& call : fixture.area.Calls(test::RecordingNotificationArea::Operation::Modify)) {
        EXPECT_EQ(call.record.slot, 0);
    }

    EXPECT_TRUE(fixture.View(1, 59).present);
    EXPECT_EQ(fixture.provider.WakeUps(1), 1);
    std::vector<int> after;
    fixture.monitor.RunPass({LocalTime{2024, 5, 6, 15, 0, 0}}, kNoSlot, [&](const PassReport& report) {
        if (report.slot == 1) after = report.temperatures;
    });
    fixture.Settle();
    EXPECT_EQ(after, std::vector<int>{35});
    EXPECT_EQ(fixture.monitor.History().Position(1), 1);
}

}  // namespace
}  // namespace qm
