// Sleeping drives of the simulated set: power = standby, the power-mode
// question that wakes nothing, and the commands that do wake a drive.
#include <gtest/gtest.h>

#include <fstream>

#include "drives/sim/sim_drives.h"
#include "smart/power_mode.h"
#include "smart/smart_reader.h"
#include "tests/drives/sim/sim_test_support.h"

namespace qm {
namespace {

class SimPowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SaveSkDump(folder / "d.smart", test::MakeDump("QM-SLEEPY")));
        test::WriteText(folder / "drives.ini",
                        "[0]\ndump=d.smart\npower=standby\n"
                        "[1]\ndump=d.smart\npower=Active\n"
                        "[2]\ndump=d.smart\npower=hibernate\n"
                        "[3]\ndump=d.smart\npower=standby\nfail=open\n");
    }
    test::TempFolder folder;
};

TEST_F(SimPowerTest, PowerWordsOfDrivesIni) {
    SimDriveProvider drives(folder.str());
    EXPECT_TRUE(drives.Asleep(0));
    EXPECT_FALSE(drives.Asleep(1));
    EXPECT_FALSE(drives.Asleep(2));  // unknown word: ignored, with a warning
    ASSERT_EQ(drives.warnings().size(), 1u);
    EXPECT_NE(drives.warnings()[0].find("hibernate"), std::string::npos);
    EXPECT_FALSE(drives.Asleep(5));  // no drive
}

TEST_F(SimPowerTest, AskingWakesNothingAndAnyOtherCommandWakesTheDrive) {
    SimDriveProvider drives(folder.str(), SimRecording::On);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(drives.QueryPowerMode(0, CheckPowerModeBlock(0, true)), PowerMode::Standby);
    EXPECT_EQ(drives.QueryPowerMode(1, CheckPowerModeBlock(1, true)), PowerMode::Awake);
    EXPECT_EQ(drives.WakeUps(0), 0);
    const auto asked = drives.Events(SimEventKind::PowerMode);
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].block, CheckPowerModeBlock(0, true));

    // Opening and the version query reach no drive; the enable command does.
    auto handle = drives.OpenDrive(0, DriverFamily::Nt);
    ASSERT_TRUE(handle);
    EXPECT_TRUE(handle->SmartGetVersion());
    EXPECT_TRUE(drives.Asleep(0));
    std::array<std::uint8_t, kStatusOutputSize> status{};
    EXPECT_TRUE(handle->Exchange(ControlCode::SendDriveCommand, EnableSmartBlock(0, true), status));
    EXPECT_FALSE(drives.Asleep(0));
    EXPECT_EQ(drives.WakeUps(0), 1);
    EXPECT_EQ(drives.QueryPowerMode(0, CheckPowerModeBlock(0, true)), PowerMode::Awake);

    // The drive's own timer puts it back to sleep; the next read wakes it again.
    drives.PutToSleep(0);
    EXPECT_TRUE(DriveSleeps(drives, 0));
    SmartReader reader(drives);
    EXPECT_EQ(reader.ReadDrive(0).driveType, 1);
    EXPECT_EQ(drives.WakeUps(0), 2);
}

TEST_F(SimPowerTest, NoAnswerWithoutADriveOrForAnotherBlock) {
    SimDriveProvider drives(folder.str());
    EXPECT_EQ(drives.QueryPowerMode(3, CheckPowerModeBlock(3, true)), std::nullopt);  // fail = open
    EXPECT_EQ(drives.QueryPowerMode(7, CheckPowerModeBlock(7, true)), std::nullopt);
    EXPECT_EQ(drives.QueryPowerMode(16, CheckPowerModeBlock(0, true)), std::nullopt);
    EXPECT_EQ(drives.QueryPowerMode(0, CheckPowerModeBlock(1, true)), std::nullopt);  // names another drive
    EXPECT_EQ(drives.QueryPowerMode(0, IdentifyBlock(0, true)), std::nullopt);
    EXPECT_TRUE(drives.Asleep(0));
}

// An NVMe drive of the set sleeps as a controller the kernel has suspended:
// Standby without a command; awake it is never asked (nullopt: read it), and
// a command wakes it.
TEST(SimNvmePower, ASleepingControllerIsToldAndWokenByARead) {
    test::TempFolder folder;
    std::ofstream(folder / "c.identify", std::ios::binary) << std::string(4096, 'x');
    std::ofstream(folder / "c.log", std::ios::binary) << std::string(512, '\x01');
    test::WriteText(folder / "drives.ini", "[0]\nkind=nvme\nidentify=c.identify\nlog=c.log\npower=standby\n");
    SimDriveProvider drives(folder.str());
    ASSERT_TRUE(drives.warnings().empty()) << drives.warnings()[0];
    EXPECT_TRUE(DriveSleeps(drives, 0));
    EXPECT_EQ(drives.WakeUps(0), 0);
    SmartReader reader(drives);
    EXPECT_EQ(reader.ReadDrive(0).kind, DriveKind::Nvme);
    EXPECT_EQ(drives.WakeUps(0), 1);
    EXPECT_EQ(drives.QueryPowerMode(0, CheckPowerModeBlock(0, true)), std::nullopt);
}

}  // namespace
}  // namespace qm
