// Which drives get a notification icon, with which picture and tooltip, and
// the bookkeeping the close and minimise decisions read.
#include <algorithm>

#include <gtest/gtest.h>

#include "monitor/tray_icons.h"
#include "smart/smart_reader.h"
#include "drives/sim/sim_drives.h"
#include "tests/monitor/recorders.h"
#include "tests/monitor/test_drive_set.h"

namespace qm {
namespace {

using namespace std::string_literals;
using test::RecordingNotificationArea;
using Operation = RecordingNotificationArea::Operation;

// AddTrayIcons as the monitor runs it, with every slot read here in turn
// instead of by the worker.
void AddIconsFromReads(TrayIcons& icons, SmartReader& reader, const SlotVolumes& volumes) {
    icons.BeginAdding();
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot)
        icons.AddFromRead(slot, reader.ReadDrive(slot), volumes[static_cast<std::size_t>(slot)]);
}


TEST(TrayTooltipTest, ThreeLinesWithLettersTwoWithout) {
    EXPECT_EQ(TrayTooltip("QM-HD1000A", "/ /home", 41),
              "型式：QM-HD1000A\r\nドライブレター：/ /home\r\n現在の温度：41℃");
    EXPECT_EQ(TrayTooltip("QM-HD1000A", std::nullopt, 41), "型式：QM-HD1000A\r\n現在の温度：41℃");
    EXPECT_EQ(TrayTooltip("MODEL   ", "", 7), "型式：MODEL\r\nドライブレター：\r\n現在の温度：7℃");
}

TEST(TrayTooltipTest, NeitherTheDriveNorTheSettingsCanAddLines) {
    // A model that would forge a line of its own, and letters with controls.
    const std::string model = "EVIL\r\n現在の温度：30℃"s + '\0' + "\x1B[2J\xC2\x85";
    const std::string tip = TrayTooltip(model, "/mnt\n\t\x7F", 41);
    EXPECT_EQ(tip, "型式：EVIL??現在の温度：30℃??[2J?\r\nドライブレター：/mnt???\r\n現在の温度：41℃");
}

// Characters of UTF-8 text (the test's texts are valid UTF-8).
std::size_t Characters(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

TEST(TrayTooltipTest, FitsTheFieldWithTheTemperatureLineWhole) {
    const std::string model(40, 'M');  // the longest model a drive can report
    // 63 characters exactly: the letters are cut, at a character boundary.
    const std::string tip = TrayTooltip(model, "/mnt/写真/家族 /home", 41);
    EXPECT_EQ(tip, "型式：" + model + "\r\nドライブレター\r\n現在の温度：41℃");
    EXPECT_EQ(Characters(tip), kTrayTipCharacters);
    // Japanese letters cut in the middle stay whole characters.
    EXPECT_EQ(TrayTooltip("QM-HD1000A", "/mnt/写真写真写真写真写真写真写真写真写真写真写真写真写真", 7),
              "型式：QM-HD1000A\r\nドライブレター：/mnt/写真写真写真写真写真写真写真写真写真写真写真写真写\r\n現在の温度：7℃");
    // A cut between CR and LF, or just after them, leaves no open line.
    EXPECT_EQ(TrayTooltip(std::string(48, 'M'), "/", 41), "型式：" + std::string(48, 'M') + "\r\n現在の温度：41℃");
    EXPECT_EQ(TrayTooltip(std::string(47, 'M'), "/", 41), "型式：" + std::string(47, 'M') + "\r\n現在の温度：41℃");
    // Without letters even a long model fits whole; a longer text is cut there.
    EXPECT_EQ(Characters(TrayTooltip(model, std::nullopt, 41)), 54u);
    EXPECT_EQ(TrayTooltip(std::string(60, 'M'), std::nullopt, 100), "型式：" + std::string(48, 'M') + "\r\n現在の温度：100℃");
}

TEST(TrayIconsTest, SetTrayIconAddsOrModifiesWithAFreshRecord) {
    RecordingNotificationArea area;
    TrayIcons icons(area);
    EXPECT_TRUE(icons.SetTrayIcon(0, 41, "QM-HD1000A", "/ /home", TrayMode::Add));
    EXPECT_TRUE(icons.SetTrayIcon(0, 42, "QM-HD1000A", std::nullopt, TrayMode::Edit));
    ASSERT_EQ(area.calls.size(), 2u);
    EXPECT_EQ(area.calls[0].operation, Operation::Add);
    EXPECT_EQ(area.calls[0].record,
              (TrayIconRecord{0, 41, 142, "型式：QM-HD1000A\r\nドライブレター：/ /home\r\n現在の温度：41℃"}));
    EXPECT_EQ(area.calls[1].operation, Operation::Modify);
    EXPECT_EQ(area.calls[1].record.iconResource, 143);
    EXPECT_EQ(icons.Record(0)->temperature, 42);
    EXPECT_FALSE(icons.Record(1).has_value());
    EXPECT_FALSE(icons.SetTrayIcon(16, 40, "X", std::nullopt, TrayMode::Add));
}

TEST(TrayIconsTest, AddTrayIconsCountsDrivesWithATemperature) {
    SimDriveProvider drives(test::SamplesFolder());
    ASSERT_TRUE(drives.ok()) << drives.error();
    SmartReader reader(drives);
    RecordingNotificationArea area;
    TrayIcons icons(area);
    SlotVolumes letters;
    letters[0] = "/ /home";
    AddIconsFromReads(icons, reader, letters);

    // Slots 0, 2, 4 and 5 (NVMe) report temperatures; the solid-state disk in slot 1 does not.
    EXPECT_EQ(icons.Count(), 4);
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot)
        EXPECT_EQ(icons.Added(slot), slot == 0 || slot == 2 || slot == 4 || slot == 5) << slot;
    const auto adds = area.Calls(Operation::Add);
    ASSERT_EQ(adds.size(), 4u);
    EXPECT_EQ(adds[0].record, (TrayIconRecord{0, 38, 139, "型式：QM-HD1000A\r\nドライブレター：/ /home\r\n現在の温度：38℃"}));
    EXPECT_EQ(adds[1].record.slot, 2);
    EXPECT_EQ(adds[1].record.temperature, 44);
    EXPECT_EQ(adds[2].record, (TrayIconRecord{4, 59, 160, "型式：QM-HD2000C\r\n現在の温度：59℃"}));
}

// The sample set's drives (temperatures in slots 0, 2, 4 and 5) and their icons.
class SampleIconsTest : public ::testing::Test {
protected:
    void AddIcons() { AddIconsFromReads(icons, reader, SlotVolumes{}); }
    bool AddWhenAreaAppears() {
        if (!icons.AreaAppeared()) return false;
        AddIcons();
        return true;
    }
    std::vector<DriveSlot> DeletedSlots() const {
        std::vector<DriveSlot> deleted;
        for (const auto& call : area.Calls(Operation::Delete)) deleted.push_back(call.record.slot);
        return deleted;
    }

    SimDriveProvider drives{test::SamplesFolder()};
    SmartReader reader{drives};
    RecordingNotificationArea area;
    TrayIcons icons{area};
};

TEST_F(SampleIconsTest, IconsWaitForANotificationAreaThatAppearsLater) {
    area.available = false;
    AddIcons();
    EXPECT_EQ(icons.Count(), 0);
    EXPECT_FALSE(icons.Added(0));
    EXPECT_TRUE(icons.WaitingForArea());
    EXPECT_FALSE(AddWhenAreaAppears());
    EXPECT_EQ(area.Calls(Operation::Add).size(), 4u);  // only the first, refused attempt

    area.available = true;
    EXPECT_TRUE(AddWhenAreaAppears());
    EXPECT_EQ(icons.Count(), 4);
    EXPECT_EQ(icons.ShownCount(), 4);
    EXPECT_FALSE(icons.WaitingForArea());
    EXPECT_FALSE(AddWhenAreaAppears());
    EXPECT_EQ(area.Calls(Operation::Add).size(), 8u);

    // The area goes away: nothing can be seen or clicked any more.
    area.available = false;
    EXPECT_EQ(icons.Count(), 4);
    EXPECT_EQ(icons.ShownCount(), 0);
}

TEST_F(SampleIconsTest, IconsSwitchedOffNoLongerWait) {
    area.available = false;
    AddIcons();
    icons.RemoveAllIcons();
    area.available = true;
    EXPECT_FALSE(AddWhenAreaAppears());
    EXPECT_EQ(icons.Count(), 0);
}

TEST_F(SampleIconsTest, RemovingAllDeletesSixteenAndKeepsTheFlags) {
    AddIcons();
    area.calls.clear();
    icons.RemoveAllIcons();
    EXPECT_EQ(icons.Count(), 0);
    EXPECT_EQ(DeletedSlots().size(), 16u);
    EXPECT_TRUE(icons.Added(0));

    // Switching on again recounts only the drives with a temperature now.
    AddIcons();
    EXPECT_EQ(icons.Count(), 4);
}

TEST_F(SampleIconsTest, ShutdownRemovesOnlyTheIconsThatWereAdded) {
    AddIcons();
    area.calls.clear();
    icons.RemoveAddedIcons();
    EXPECT_EQ(DeletedSlots(), (std::vector<DriveSlot>{0, 2, 4, 5}));
}

TEST(TrayIconsTest, NoTemperatureAnywhereMeansNoIcon) {
    test::TestDriveSet set({test::HealthyDrive(0, "COOL-A", std::nullopt), test::HealthyDrive(2, "COOL-B", 1)});
    SimDriveProvider drives(set.folder());
    SmartReader reader(drives);
    RecordingNotificationArea area;
    TrayIcons icons(area);
    AddIconsFromReads(icons, reader, SlotVolumes{});
    EXPECT_EQ(icons.Count(), 0);
    EXPECT_TRUE(area.calls.empty());
}

}  // namespace
}  // namespace qm
