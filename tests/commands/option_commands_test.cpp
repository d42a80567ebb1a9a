// The tools menu's options: each switches from its item's check mark, stores
// "Y" or "N" at once and applies itself; a failed write switches nothing.
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "commands/error_text.h"
#include "commands/option_commands.h"
#include "ini/inifile.h"
#include "drives/sim/sim_drives.h"
#include "tests/commands/command_fixture.h"

namespace qm {
namespace {

using test::RecordingNotificationArea;
using Operation = RecordingNotificationArea::Operation;

// The sample set's drives scanned, nothing shown yet.
struct OptionFixture : test::CommandFixture {
    std::string Stored(const char* key) const {
        return ReadIniValue(settings.Path(), "SETTING", key).value_or("ERROR");
    }
    RecordingNotificationArea& area = tray;
};

// The option is stored, ticked and held as `on`.
void ExpectSwitched(const OptionFixture& f, Option option, const char* key, bool on) {
    EXPECT_EQ(f.Stored(key), on ? "Y" : "N") << key;
    EXPECT_EQ(f.window.IsOptionChecked(option), on) << key;
    EXPECT_EQ(OptionValue(f.options, option), on) << key;
}

TEST(OptionCommandsTest, TrayIconsAreAddedAndAllRemoved) {
    OptionFixture f;
    ToggleTrayIcons(f.context);
    ExpectSwitched(f, Option::TrayIcons, "TASKICON", true);
    f.Settle();
    EXPECT_EQ(f.area.Calls(Operation::Add).size(), 4u);  // slots 0, 2, 4 and 5 report a temperature
    EXPECT_EQ(f.monitor.Tray().Count(), 4);

    f.area.calls.clear();
    ToggleTrayIcons(f.context);
    ExpectSwitched(f, Option::TrayIcons, "TASKICON", false);
    EXPECT_EQ(f.area.Calls(Operation::Delete).size(), 16u);
    EXPECT_EQ(f.monitor.Tray().Count(), 0);
    EXPECT_EQ(f.window.passes, 0);
}

TEST(OptionCommandsTest, IconsSwitchedOffWhileTheirDrivesAreReadNeverAppear) {
    OptionFixture f;
    ToggleTrayIcons(f.context);
    ToggleTrayIcons(f.context);  // before the worker has answered
    f.Settle();
    EXPECT_TRUE(f.area.Calls(Operation::Add).empty());
    EXPECT_EQ(f.monitor.Tray().Count(), 0);
    EXPECT_FALSE(f.monitor.AddingTrayIcons());
}

TEST(OptionCommandsTest, TheCheckMarkDecidesNotTheOptionHeld) {
    OptionFixture f;
    f.options.trayIcons = true;  // held as on, but the item is not ticked
    ToggleTrayIcons(f.context);
    f.Settle();
    EXPECT_EQ(f.Stored("TASKICON"), "Y");
    EXPECT_EQ(f.area.Calls(Operation::Add).size(), 4u);
}

TEST(OptionCommandsTest, TaskbarModeSwitchesCaptionAndIcon) {
    OptionFixture f;
    f.window.shown.model = "QM-HD1000A";
    f.window.shown.volumes = "/ /home";
    ToggleTaskbarIcon(f.context);
    ExpectSwitched(f, Option::TaskbarIcon, "TASKBAR", true);
    EXPECT_EQ(f.window.caption, "QM-HD1000A(/ /home)");
    EXPECT_EQ(f.window.passes, 1);  // the pass sets the number icon
    EXPECT_EQ(f.window.icon, 0);

    ToggleTaskbarIcon(f.context);
    ExpectSwitched(f, Option::TaskbarIcon, "TASKBAR", false);
    EXPECT_EQ(f.window.caption, "Quillmoor Ver1.2.0");
    EXPECT_EQ(f.window.icon, 100);
    EXPECT_EQ(f.window.passes, 1);
}

TEST(OptionCommandsTest, BeforeAnyDriveIsShownTheCaptionSaysTheVolumesAreNotObtained) {
    OptionFixture f;  // the window has shown no drive yet
    ToggleTaskbarIcon(f.context);
    EXPECT_EQ(f.window.caption, "(未取得)");
}

TEST(OptionCommandsTest, StartMinimisedIsOnlyStored) {
    OptionFixture f;
    ToggleStartMinimised(f.context);
    ExpectSwitched(f, Option::StartMinimised, "STARTMIN", true);
    ToggleStartMinimised(f.context);
    ExpectSwitched(f, Option::StartMinimised, "STARTMIN", false);
    EXPECT_TRUE(f.area.calls.empty());
    EXPECT_EQ(f.window.passes, 0);
    EXPECT_EQ(f.window.caption, "Quillmoor Ver1.2.0");
}

TEST(OptionCommandsTest, AFailedWriteSwitchesNothingAndSaysWhy) {
    for (const auto& [option, command] : {std::pair{Option::TrayIcons, &ToggleTrayIcons},
                                          std::pair{Option::TaskbarIcon, &ToggleTaskbarIcon},
                                          std::pair{Option::StartMinimised, &ToggleStartMinimised}}) {
        for (const bool wasOn : {false, true}) {
            OptionFixture f;
            f.window.SetOptionChecked(option, wasOn);
            OptionValue(f.options, option) = wasOn;
            std::filesystem::create_directory(f.settings.Path());  // the settings file is a folder
            command(f.context);
            EXPECT_EQ(f.window.IsOptionChecked(option), wasOn);
            EXPECT_EQ(OptionValue(f.options, option), wasOn);
            ASSERT_EQ(f.messages.shown.size(), 1u);
            EXPECT_EQ(f.messages.shown[0].caption, "Quillmoor");
            EXPECT_EQ(f.messages.shown[0].buttons, MessageButtons::Ok);
            EXPECT_EQ(f.messages.shown[0].text, ErrorMessageText(std::make_error_code(std::errc::is_a_directory)));
            // Nothing was applied.
            EXPECT_TRUE(f.area.calls.empty());
            EXPECT_EQ(f.window.passes, 0);
            EXPECT_EQ(f.window.icon, 0);
            EXPECT_EQ(f.window.caption, "Quillmoor Ver1.2.0");
        }
    }
}

}  // namespace
}  // namespace qm
