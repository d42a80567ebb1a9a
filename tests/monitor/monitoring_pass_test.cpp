// One monitoring pass: icon refreshes, history samples and what the selected
// slot shows, from each drive's answer.
#include <gtest/gtest.h>

#include "monitor/monitoring_pass.h"
#include "smart/smart_reader.h"
#include "drives/sim/sim_drives.h"
#include "tests/monitor/recorders.h"
#include "tests/monitor/test_drive_set.h"

namespace qm {
namespace {

using test::RecordingNotificationArea;
using Operation = RecordingNotificationArea::Operation;

// A pass as the worker answers it, every slot read here in turn: the
// temperatures of `selected`.
std::vector<int> RunPass(SmartReader& reader, TrayIcons& icons, TemperatureHistory& history, const LocalTime& now,
                         DriveSlot selected, const SlotVolumes& volumes) {
    std::vector<int> shown;
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        DriveAnswer answer;
        answer.slot = slot;
        answer.question = DriveQuestion::Pass;
        answer.record = reader.ReadDrive(slot);
        answer.result = IsPresentDrive(answer.record) ? ReadResult::Read : ReadResult::Failed;
        const PassReport report = ApplyPassRead(answer, icons, history, {now}, volumes);
        EXPECT_EQ(report.slot, slot);
        if (slot == selected) shown = report.temperatures;
    }
    return shown;
}

class MonitoringPassTest : public ::testing::Test {
protected:
    std::vector<int> Pass(int minute, DriveSlot selected) {
        return RunPass(reader_, icons_, history_, LocalTime{2024, 5, 6, 14, minute, 0}, selected, letters_);
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
    EXPECT_EQ(Pass(41, 4), std::vector<int>{59});
    EXPECT_EQ(TemperatureBoxText(Pass(41, 4)), " 59");
    EXPECT_EQ(TemperatureBoxText(Pass(41, 5)), " 47");  // the NVMe drive's composite temperature
    EXPECT_TRUE(Pass(41, 1).empty());  // the solid-state disk has none
    EXPECT_EQ(TemperatureBoxText(Pass(41, 1)), " --");
    EXPECT_TRUE(Pass(41, 3).empty());
}

TEST_F(MonitoringPassTest, ASleepingOrFailedDriveChangesNothing) {
    for (const ReadResult result : {ReadResult::Asleep, ReadResult::Failed}) {
        DriveAnswer answer;
        answer.slot = 0;
        answer.record = reader_.ReadDrive(0);  // what an earlier read said: not used
        answer.result = result;
        const PassReport report = ApplyPassRead(answer, icons_, history_, {LocalTime{2024, 5, 6, 14, 40, 0}}, letters_);
        EXPECT_EQ(report.result, result);
        EXPECT_TRUE(report.temperatures.empty());
    }
    EXPECT_TRUE(area_.calls.empty());
    EXPECT_EQ(history_.Position(0), 0);
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
    EXPECT_TRUE(RunPass(reader, icons, history, {2024, 1, 1, 0, 0, 0}, 0, letters).empty());
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
    const std::vector<int> temperatures = RunPass(reader, icons, history, {2024, 1, 1, 0, 10, 0}, 0, letters);
    EXPECT_EQ(temperatures, (std::vector<int>{40, 90}));
    EXPECT_EQ(TemperatureBoxText(temperatures), " 90");
    EXPECT_EQ(history.Position(0), 2);
    EXPECT_EQ(area.calls.size(), 2u);
    // 90 has no number picture: the program picture, not the 40 of the row before.
    EXPECT_EQ(SelectedTaskbarIcon(temperatures), 100);
    EXPECT_EQ(SelectedTaskbarIcon({90, 40}), 240);
    EXPECT_EQ(SelectedTaskbarIcon({}), std::nullopt);
}

}  // namespace
}  // namespace qm
