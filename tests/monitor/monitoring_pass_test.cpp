// One monitoring pass: icon refreshes, history samples and what the selected
// slot shows.
#include <gtest/gtest.h>

#include "monitor/monitoring_pass.h"
#include "drives/sim/sim_drives.h"
#include "tests/monitor/recorders.h"
#include "tests/monitor/test_drive_set.h"

namespace qm {
namespace {

using test::RecordingNotificationArea;
using Operation = RecordingNotificationArea::Operation;

class MonitoringPassTest : public ::testing::Test {
protected:
    MonitoringPassResult Pass(int minute, DriveSlot selected) {
        return RunMonitoringPass(reader_, icons_, history_, LocalTime{2024, 5, 6, 14, minute, 0}, selected, letters_);
    }

    SimDriveProvider drives_{test::SamplesFolder()};
    SmartReader reader_{drives_};
    RecordingNotificationArea area_;
    TrayIcons icons_{area_};
    TemperatureHistory history_;
    SlotVolumes letters_;
};

TEST_F(MonitoringPassTest, SamplesEveryDriveWithATemperatureAtTheTenMinuteMark) {
    Pass(40, 0);
    EXPECT_EQ(history_.At(0, 0), (HistorySample{"2024/05/06 14:40", "38"}));
    EXPECT_EQ(history_.At(2, 0), (HistorySample{"2024/05/06 14:40", "44"}));
    EXPECT_EQ(history_.At(4, 0), (HistorySample{"2024/05/06 14:40", "59"}));
    EXPECT_EQ(history_.Position(1), 0);  // no temperature, no sample
    EXPECT_EQ(history_.Position(3), 0);  // no drive
    for (int minute = 41; minute <= 49; ++minute) Pass(minute, 0);
    EXPECT_EQ(history_.Position(0), 1);
    Pass(50, 0);
    EXPECT_EQ(history_.Position(0), 2);
    EXPECT_EQ(history_.At(0, 1).time, "2024/05/06 14:50");
}

TEST_F(MonitoringPassTest, RefreshesTheIconOfEveryDriveInPlace) {
    letters_[0] = "/ /home";
    Pass(41, 2);
    const auto modifies = area_.Calls(Operation::Modify);
    ASSERT_EQ(modifies.size(), 4u);
    EXPECT_EQ(modifies[0].record, (TrayIconRecord{0, 38, 139, "型式：QM-HD1000A\r\nドライブレター：/ /home\r\n現在の温度：38℃"}));
    EXPECT_EQ(modifies[1].record.slot, 2);
    EXPECT_EQ(modifies[2].record.slot, 4);
    // The NVMe drive's composite temperature goes where an ATA drive's does.
    EXPECT_EQ(modifies[3].record, (TrayIconRecord{5, 47, 148, "型式：QM-NV1000D\r\n現在の温度：47℃"}));
    EXPECT_TRUE(area_.Calls(Operation::Add).empty());
}

TEST_F(MonitoringPassTest, ReportsTheSelectedSlotsTemperature) {
    MonitoringPassResult result = Pass(41, 4);
    EXPECT_EQ(result.selectedTemperatures, std::vector<int>{59});
    EXPECT_EQ(TemperatureBoxText(result.selectedTemperatures), " 59");
    EXPECT_EQ(result.lastTemperature, 47);  // the last drive with one: the NVMe drive in slot 5
    result = Pass(41, 5);
    EXPECT_EQ(TemperatureBoxText(result.selectedTemperatures), " 47");
    result = Pass(41, 1);  // the solid-state disk has none
    EXPECT_TRUE(result.selectedTemperatures.empty());
    EXPECT_EQ(TemperatureBoxText(result.selectedTemperatures), " --");
    result = Pass(41, -1);
    EXPECT_TRUE(result.selectedTemperatures.empty());
    result = Pass(41, 3);
    EXPECT_TRUE(result.selectedTemperatures.empty());
}

TEST(MonitoringPassEdgeTest, RawZeroOrOneAndBlankModelsCountAsNoTemperature) {
    test::TestDriveSet set({test::HealthyDrive(0, "COLD", 1), test::HealthyDrive(1, "", 45),
                            test::HealthyDrive(2, "WARM", 45)});
    SimDriveProvider drives(set.folder());
    SmartReader reader(drives);
    RecordingNotificationArea area;
    TrayIcons icons(area);
    TemperatureHistory history;
    const SlotVolumes letters;
    const auto result = RunMonitoringPass(reader, icons, history, {2024, 1, 1, 0, 0, 0}, 0, letters);
    EXPECT_TRUE(result.selectedTemperatures.empty());
    EXPECT_EQ(history.Position(0), 0);
    EXPECT_EQ(history.Position(1), 0);  // blank model: skipped although it was read
    EXPECT_EQ(history.Position(2), 1);
    ASSERT_EQ(area.calls.size(), 1u);
    EXPECT_EQ(area.calls[0].record.slot, 2);
}

TEST(MonitoringPassEdgeTest, EveryTemperatureRowCounts) {
    test::TestDrive drive = test::HealthyDrive(0, "TWO-SENSORS", 40);
    drive.attributes.push_back({194, 0x0022, 100, 100, 90, 0});
    test::TestDriveSet set({drive});
    SimDriveProvider drives(set.folder());
    SmartReader reader(drives);
    RecordingNotificationArea area;
    TrayIcons icons(area);
    TemperatureHistory history;
    const SlotVolumes letters;
    const auto result = RunMonitoringPass(reader, icons, history, {2024, 1, 1, 0, 10, 0}, 0, letters);
    EXPECT_EQ(result.selectedTemperatures, (std::vector<int>{40, 90}));
    EXPECT_EQ(TemperatureBoxText(result.selectedTemperatures), " 90");
    EXPECT_EQ(history.Position(0), 2);
    EXPECT_EQ(area.calls.size(), 2u);
    // 90 has no number picture: the program picture, not the 40 of the row before.
    EXPECT_EQ(SelectedTaskbarIcon(result.selectedTemperatures), 100);
    EXPECT_EQ(SelectedTaskbarIcon({90, 40}), 240);
    EXPECT_EQ(SelectedTaskbarIcon({}), std::nullopt);
}

}  // namespace
}  // namespace qm
