// Stalled drives of the simulated set: delay = SECONDS makes every command
// that reaches the drive wait that long, for that drive alone, until the
// provider is interrupted.
#include <gtest/gtest.h>

#include <future>

#include "drives/sim/sim_drives.h"
#include "smart/power_mode.h"
#include "smart/smart_reader.h"
#include "tests/drives/sim/sim_test_support.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

TEST(SimDelay, SecondsWithUpToThreeDecimalsAndAtMostAnHour) {
    EXPECT_EQ(ParseSimDelay("20"), 20s);
    EXPECT_EQ(ParseSimDelay("0.25"), 250ms);
    EXPECT_EQ(ParseSimDelay("0"), 0ms);
    EXPECT_EQ(ParseSimDelay("1.005"), 1005ms);
    EXPECT_EQ(ParseSimDelay("3600"), 3600s);
    for (const char* bad : {"", "-1", "+1", "1e3", "3600.001", "3601", ".5", "5.", "1.2345", " 1", "abc", "1,5", "99999"})
        EXPECT_EQ(ParseSimDelay(bad), std::nullopt) << bad;
}

class SimDelayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SaveSkDump(folder / "d.smart", test::MakeDump("QM-STALLED")));
        test::WriteText(folder / "drives.ini",
                        "[0]\ndump=d.smart\ndelay=3600\n"
                        "[1]\ndump=d.smart\n"
                        "[2]\ndump=d.smart\ndelay=soon\n");
    }
    test::TempFolder folder;
};

TEST_F(SimDelayTest, AStalledDriveHoldsOnlyItselfUntilInterrupted) {
    SimDriveProvider drives(folder.str());
    ASSERT_EQ(drives.warnings().size(), 1u);  // delay=soon: no delay
    EXPECT_NE(drives.warnings()[0].find("slot 2"), std::string::npos);
    EXPECT_EQ(drives.Drive(0)->delay, 3600s);

    SmartReader reader(drives);
    auto stalled = std::async(std::launch::async, [&] { return reader.ReadDrive(0); });
    auto sleeping = std::async(std::launch::async, [&] { return DriveSleeps(drives, 0); });
    EXPECT_EQ(stalled.wait_for(100ms), std::future_status::timeout);
    // The other drives answer meanwhile.
    EXPECT_EQ(reader.ReadDrive(1).driveType, 1);
    EXPECT_EQ(reader.ReadDrive(2).driveType, 1);

    // The end of the program: the stalled commands are refused, as timed-out ones are.
    drives.Interrupt();
    EXPECT_EQ(stalled.get().driveType, 0);
    EXPECT_FALSE(sleeping.get());
    EXPECT_EQ(reader.ReadDrive(0).driveType, 0);
    EXPECT_EQ(reader.ReadDrive(1).driveType, 1);  // a drive without a delay is not affected
}

}  // namespace
}  // namespace qm
