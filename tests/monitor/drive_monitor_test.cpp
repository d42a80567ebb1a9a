// The drives as the window watches them: the start-up scan and its tabs, the
// volumes stored for each drive, and a fresh view of one drive.
#include <gtest/gtest.h>

#include "monitor/drive_monitor.h"
#include "drives/sim/sim_drives.h"
#include "tests/monitor/recorders.h"
#include "tests/monitor/test_drive_set.h"

namespace qm {
namespace {

using test::HealthyDrive;

struct MonitorFixture {
    explicit MonitorFixture(const std::vector<test::TestDrive>& drives)
        : set(drives), provider(set.folder()), settings(settingsFolder.file("Quillmoor.ini")),
          monitor(provider, settings, area) {}
    test::TestDriveSet set;
    SimDriveProvider provider;
    test::TempFolder settingsFolder;
    Settings settings;
    test::RecordingNotificationArea area;
    DriveMonitor monitor;
};

std::vector<DriveSlot> TabSlots(const DriveMonitor& monitor) {
    std::vector<DriveSlot> slots;
    for (const DriveTab& tab : monitor.Tabs()) slots.push_back(tab.slot);
    return slots;
}

TEST(DriveScanTest, NoDriveNoTab) {
    MonitorFixture fixture({});
    fixture.monitor.ScanDrives();
    EXPECT_TRUE(fixture.monitor.Tabs().empty());
    EXPECT_EQ(fixture.monitor.SlotOfTab(0), std::nullopt);
    for (const auto& identity : fixture.monitor.Identities()) EXPECT_EQ(identity, DriveIdentity{});
    for (const auto& volumes : fixture.monitor.StoredVolumes()) EXPECT_EQ(volumes, std::nullopt);
}

TEST(DriveScanTest, DrivesInSlotsZeroAndTwoWithTheirStoredVolumes) {
    MonitorFixture fixture({HealthyDrive(0, "DISK-A", 30), HealthyDrive(2, "DISK-C", 31)});
    ASSERT_FALSE(fixture.settings.WriteVolumes("DISK-A", "SN1000", "/ /home"));
    fixture.monitor.ScanDrives();
    EXPECT_EQ(fixture.monitor.Tabs(), (std::vector<DriveTab>{{"DISK-A", 0}, {"DISK-C", 2}}));
    EXPECT_EQ(fixture.monitor.SlotOfTab(1), 2);
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
    fixture.monitor.ScanDrives();
    EXPECT_EQ(TabSlots(fixture.monitor), slots);
    EXPECT_EQ(fixture.monitor.SlotOfTab(8), 15);
    EXPECT_EQ(fixture.monitor.SlotOfTab(9), std::nullopt);
    EXPECT_EQ(fixture.monitor.SlotOfTab(-1), std::nullopt);
}

TEST(DriveScanTest, BlankModelsAndUnidentifiedDrivesGetNoTab) {
    test::TestDrive refusing = HealthyDrive(3, "REFUSES", 30);
    refusing.fail = "identify";
    MonitorFixture fixture({HealthyDrive(0, "    ", 30), HealthyDrive(1, "SAME", 30), refusing, HealthyDrive(4, "SAME", 30)});
    fixture.monitor.ScanDrives();
    // Two drives of the same model: two tabs, each with its own slot.
    EXPECT_EQ(fixture.monitor.Tabs(), (std::vector<DriveTab>{{"SAME", 1}, {"SAME", 4}}));
}

TEST(DriveMonitorTest, AViewReadsTheDriveAndItsStoredVolumesAfresh) {
    MonitorFixture fixture({HealthyDrive(0, "DISK-A", 30)});
    fixture.monitor.ScanDrives();
    EXPECT_EQ(fixture.monitor.ViewDrive(0).volumes, "未取得");
    ASSERT_FALSE(fixture.settings.WriteVolumes("DISK-A", "SN1000", ""));
    const DriveViewContent view = fixture.monitor.ViewDrive(0);
    EXPECT_TRUE(view.present);
    EXPECT_EQ(view.model, "DISK-A");
    EXPECT_EQ(view.volumes, "");  // stored empty: shown empty, not as never found
    EXPECT_FALSE(fixture.monitor.ViewDrive(1).present);
    EXPECT_FALSE(fixture.monitor.ViewDrive(-1).present);
    // The tooltips' volumes change only when they are read again.
    EXPECT_EQ(fixture.monitor.StoredVolumes()[0], std::nullopt);
    fixture.monitor.RereadStoredVolumes();
    EXPECT_EQ(fixture.monitor.StoredVolumes()[0], "");
}

// A drive in standby stays asleep through an hour of minute passes: no read,
// no icon refresh, no history sample. A view the user asks for reads (and so
// wakes) it, and the passes after that read it again.
TEST(DriveMonitorTest, AnHourOfPassesWakesNoSleepingDriveButAViewDoes) {
    test::TestDrive sleeper = HealthyDrive(1, "SLEEPER", 35);
    sleeper.power = "standby";
    MonitorFixture fixture({HealthyDrive(0, "AWAKE", 30), sleeper});
    for (int minute = 0; minute < 60; ++minute) {
        const MonitoringPassResult result = fixture.monitor.RunPass({2024, 5, 6, 14, minute, 0}, 1);
        EXPECT_TRUE(result.selectedAsleep);
        EXPECT_TRUE(result.selectedTemperatures.empty());
    }
    EXPECT_EQ(fixture.provider.WakeUps(1), 0);
    EXPECT_TRUE(fixture.provider.Asleep(1));
    EXPECT_EQ(fixture.monitor.History().Position(0), 6);
    EXPECT_EQ(fixture.monitor.History().Position(1), 0);
    for (const auto& call : fixture.area.Calls(test::RecordingNotificationArea::Operation::Modify)) {
        EXPECT_EQ(call.record.slot, 0);
    }

    EXPECT_TRUE(fixture.monitor.ViewDrive(1).present);
    EXPECT_EQ(fixture.provider.WakeUps(1), 1);
    const MonitoringPassResult after = fixture.monitor.RunPass({2024, 5, 6, 15, 0, 0}, 1);
    EXPECT_FALSE(after.selectedAsleep);
    EXPECT_EQ(after.selectedTemperatures, std::vector<int>{35});
    EXPECT_EQ(fixture.monitor.History().Position(1), 1);
}

}  // namespace
}  // namespace qm
