// The start-up's drive scan and tab map, the list face, the settings path and
// the command line.
#include <gtest/gtest.h>

#include <map>

#include "app/app_paths.h"
#include "app/drive_tabs.h"
#include "app/list_face.h"
#include "platform/sim/sim_drives.h"
#include "tests/monitor/test_drive_set.h"

namespace qm {
namespace {

using test::HealthyDrive;
using test::TestDriveSet;

std::vector<std::string> Slots(const std::vector<TabMapRow>& map) {
    std::vector<std::string> slots;
    for (const TabMapRow& row : map) slots.push_back(row.slotText);
    return slots;
}

struct ScanFixture {
    explicit ScanFixture(const std::vector<test::TestDrive>& drives) : set(drives), provider(set.folder()) {}
    DriveScan Scan(std::map<std::string, std::string> letters = {}) {
        SmartReader reader(provider);
        return ScanDrives(reader, [&](const std::string& key) {
            asked.push_back(key);
            const auto it = letters.find(key);
            return it != letters.end() ? it->second : std::string("ERROR");
        });
    }
    TestDriveSet set;
    SimDriveProvider provider;
    std::vector<std::string> asked;
};

TEST(DriveScanTest, NoDriveNoTabNoLetterRead) {
    ScanFixture fixture({});
    const DriveScan scan = fixture.Scan();
    EXPECT_TRUE(scan.tabDriveMap.empty());
    EXPECT_TRUE(fixture.asked.empty());
    for (const auto& identity : scan.slotIdentity) EXPECT_EQ(identity, SlotIdentityRow{});
    for (const auto& letters : scan.slotDriveLetters) EXPECT_EQ(letters, "");
}

TEST(DriveScanTest, DrivesInSlotsZeroAndTwo) {
    ScanFixture fixture({HealthyDrive(0, "DISK-A", 30), HealthyDrive(2, "DISK-C", 31)});
    const DriveScan scan = fixture.Scan({{"DISK-A-SN1000", "/ /home"}});
    EXPECT_EQ(scan.tabDriveMap, (std::vector<TabMapRow>{{"DISK-A", "0"}, {"DISK-C", "2"}}));
    EXPECT_EQ(scan.slotIdentity[0], (SlotIdentityRow{"DISK-A", "SN1000"}));
    EXPECT_EQ(scan.slotIdentity[2], (SlotIdentityRow{"DISK-C", "SN1002"}));
    EXPECT_EQ(scan.slotIdentity[1], SlotIdentityRow{});
    EXPECT_EQ(scan.slotDriveLetters[0], "/ /home");
    EXPECT_EQ(scan.slotDriveLetters[2], "ERROR");
    EXPECT_EQ(scan.slotDriveLetters[1], "");
    EXPECT_EQ(fixture.asked, (std::vector<std::string>{"DISK-A-SN1000", "DISK-C-SN1002"}));
}

TEST(DriveScanTest, EveryDriveGetsItsOwnRowBeyondSeven) {
    std::vector<test::TestDrive> drives;
    for (int slot : {0, 1, 3, 5, 6, 8, 9, 12, 15}) drives.push_back(HealthyDrive(slot, "DISK-" + std::to_string(slot), 30));
    ScanFixture fixture(drives);
    const DriveScan scan = fixture.Scan();
    EXPECT_EQ(Slots(scan.tabDriveMap), (std::vector<std::string>{"0", "1", "3", "5", "6", "8", "9", "12", "15"}));
    for (int tab = 0; tab < 9; ++tab)
        EXPECT_EQ(SlotOfTab(scan.tabDriveMap, tab), std::stoi(scan.tabDriveMap[static_cast<std::size_t>(tab)].slotText));
    EXPECT_EQ(SlotOfTab(scan.tabDriveMap, 9), std::nullopt);
    EXPECT_EQ(SlotOfTab(scan.tabDriveMap, -1), std::nullopt);
}

TEST(DriveScanTest, BlankModelsAndUnidentifiedDrivesGetNoTab) {
    test::TestDrive refusing = HealthyDrive(3, "REFUSES", 30);
    refusing.fail = "identify";
    ScanFixture fixture({HealthyDrive(0, "    ", 30), HealthyDrive(1, "SAME", 30), refusing, HealthyDrive(4, "SAME", 30)});
    const DriveScan scan = fixture.Scan();
    // Two drives of the same model: two tabs, each with its own slot.
    EXPECT_EQ(scan.tabDriveMap, (std::vector<TabMapRow>{{"SAME", "1"}, {"SAME", "4"}}));
}

TEST(DriveScanTest, SlotTextsThatAreNotSlotsMapToNothing) {
    const std::vector<TabMapRow> map = {{"A", "x"}, {"B", "16"}, {"C", "-1"}, {"D", "3 "}, {"E", "7"}};
    for (int tab = 0; tab < 4; ++tab) EXPECT_EQ(SlotOfTab(map, tab), std::nullopt) << tab;
    EXPECT_EQ(SlotOfTab(map, 4), 7);
}

TEST(ListFaceTest, MeiryoOrTheGothicFallback) {
    const ListFace meiryo = ChooseListFace(true);
    EXPECT_EQ(meiryo.face, "メイリオ");
    EXPECT_EQ(meiryo.picture9TopTwips, 2900);
    const ListFace gothic = ChooseListFace(false);
    EXPECT_EQ(gothic.face, "ＭＳ Ｐゴシック");
    EXPECT_EQ(gothic.picture9TopTwips, 2200);
    // The temperature box starts at the ninth row's top (within two pixels) in both faces.
    for (const ListFace& face : {meiryo, gothic}) {
        const double rowNine = face.headerHeight + 8.0 * face.rowHeight;
        EXPECT_NEAR(face.picture9TopTwips / 15.0, rowNine, 2.0);
    }
}

TEST(AppPathsTest, ProgramFolderWhenWritableElseTheConfigurationFolder) {
    EXPECT_EQ(SettingsFilePath("/opt/qm", true, "/x", "/home/u"), "/opt/qm/Quillmoor.ini");
    EXPECT_EQ(SettingsFilePath("/usr/bin", false, "/home/u/.cfg", "/home/u"), "/home/u/.cfg/quillmoor/Quillmoor.ini");
    EXPECT_EQ(SettingsFilePath("/usr/bin", false, "", "/home/u"), "/home/u/.config/quillmoor/Quillmoor.ini");
    EXPECT_EQ(SettingsFilePath("/usr/bin", false, "relative", "/home/u"), "/home/u/.config/quillmoor/Quillmoor.ini");
    EXPECT_EQ(SettingsFilePath("/usr/bin", false, "", ""), "/usr/bin/Quillmoor.ini");
}

TEST(AppPathsTest, ResolvesAWritableFolderToItself) {
    test::TempFolder folder;
    const AppPaths paths = ResolveAppPaths(folder.path().string());
    EXPECT_EQ(paths.programFolder, folder.path().string());
    EXPECT_EQ(paths.settingsFile, folder.file("Quillmoor.ini"));
}

}  // namespace
}  // namespace qm
