// The settings module: which texts count as on and off, the placement in
// pixels over twips in the file and the drive-volume keys.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ini/inifile.h"
#include "settings/settings.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

class SettingsTest : public ::testing::Test {
protected:

    void Store(std::string_view text) { std::ofstream(settings->Path(), std::ios::binary) << text; }
    std::string FileText() const {
        std::ifstream in(settings->Path(), std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    test::TempFolder temp;
    std::string folder = temp.str();
    std::unique_ptr<Settings> settings = std::make_unique<Settings>(temp / "Quillmoor.ini");
};

TEST_F(SettingsTest, OnlyCapitalYAndNCountAsOnAndOff) {
    EXPECT_EQ(settings->ReadOptions(), Options{});  // no file: every option is neither
    Store("[setting]\r\ntaskicon=Y\r\nTASKBAR=N\r\nSTARTMIN=y\r\nSTARTUP=ERROR\r\n");
    const Options options = settings->ReadOptions();
    EXPECT_EQ(options.trayIcons, true);
    EXPECT_EQ(options.taskbarIcon, false);
    EXPECT_EQ(options.startMinimised, std::nullopt);
    EXPECT_EQ(options.startAtLogOn, std::nullopt);
    EXPECT_FALSE(IsOn(options.startMinimised));
    EXPECT_FALSE(IsOff(options.startMinimised));
    // The desktop alerts are on until stored as off.
    EXPECT_TRUE(IsOptionOn(options, Option::DesktopAlerts));
    EXPECT_FALSE(IsOptionOn(options, Option::StartMinimised));
    Store("[SETTING]\r\nNOTIFY=N\r\n");
    EXPECT_FALSE(IsOptionOn(settings->ReadOptions(), Option::DesktopAlerts));
}

TEST_F(SettingsTest, OptionsAreWrittenAsYAndN) {
    ASSERT_FALSE(settings->WriteOption(Option::StartAtLogOn, true));
    ASSERT_FALSE(settings->WriteOption(Option::TrayIcons, false));
    EXPECT_EQ(FileText(), "[SETTING]\r\nSTARTUP=Y\r\nTASKICON=N\r\n");
}

TEST_F(SettingsTest, PlacementIsStoredInTwipsAndReadBackInPixels) {
    ASSERT_FALSE(settings->WritePlacement({96, -8, 788, 460}));
    EXPECT_EQ(FileText(), "[LOCATION]\r\nLEFT=1440\r\nTOP=-120\r\nWIDTH=11820\r\nHEIGHT=6900\r\n");
    EXPECT_EQ(settings->ReadPlacement(), (StoredPlacement{96, -8, 788, 460}));

    // Each value stands alone: one that is not a number leaves only itself out.
    Store("[LOCATION]\nLEFT=1440.4\nTOP=abc\nWIDTH=1e4\nHEIGHT=\n");
    EXPECT_EQ(settings->ReadPlacement(), (StoredPlacement{96, std::nullopt, 667, std::nullopt}));
}

TEST_F(SettingsTest, PlacementTextsKeepTheSinglePrecisionForm) {
    EXPECT_EQ(PlacementText(1560.0f), "1560");
    EXPECT_EQ(PlacementText(-120.0f), "-120");
    EXPECT_EQ(PlacementText(0.5f), "0.5");
    EXPECT_EQ(ParsePlacementValue(" +12.5 "), 12.5f);
    for (const char* bad : {"ERROR", "", "inf", "nan", "0x10", "1e99", "12px"})
        EXPECT_EQ(ParsePlacementValue(bad), std::nullopt) << bad;
}

TEST_F(SettingsTest, VolumesAreKeptUnderTheTrimmedModelAndSerial) {
    EXPECT_EQ(DriveLetterKey("  ABC123   ", " XYZ9 "), "ABC123-XYZ9");
    EXPECT_EQ(DriveLetterKey("[evil=\r\nmodel", "s"), "_evil___model-s");
    EXPECT_EQ(settings->ReadVolumes("ABC123", "XYZ9"), std::nullopt);
    ASSERT_FALSE(settings->WriteVolumes("ABC123  ", "XYZ9", ""));
    EXPECT_EQ(settings->ReadVolumes(" ABC123", "XYZ9 "), "");  // stored empty: not "never stored"
    ASSERT_FALSE(settings->WriteVolumes("ABC123", "XYZ9", "/ /home"));
    EXPECT_EQ(settings->ReadVolumes("ABC123", "XYZ9"), "/ /home");
    EXPECT_TRUE(settings->WriteVolumes("ABC123", "XYZ9", "two\nlines"));  // refused, file unchanged
    EXPECT_EQ(settings->ReadVolumes("ABC123", "XYZ9"), "/ /home");
    Store("[SETTING]\r\nABC123-XYZ9=ERROR\r\n");
    EXPECT_EQ(settings->ReadVolumes("ABC123", "XYZ9"), std::nullopt);  // the file format's "nothing stored"
}

TEST_F(SettingsTest, AFailedWriteNamesItsCause) {
    Settings nowhere(folder + "/missing-folder/Quillmoor.ini");
    const std::error_code error = nowhere.WriteOption(Option::TrayIcons, true);
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace qm
