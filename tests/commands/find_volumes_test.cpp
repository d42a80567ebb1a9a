// ドライブレター取得: every start-up drive's volumes stored under its key, the
// monitor's copy refreshed, errors shown once the pointer is back.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "commands/error_text.h"
#include "commands/find_volumes.h"
#include "ini/inifile.h"
#include "tests/commands/command_fixture.h"

namespace qm {
namespace {

test::TestDriveSet FourSlots() {
    test::TestDrive first = test::HealthyDrive(0, "FIRST", 40);
    first.volumes = "/ /home";
    test::TestDrive second = test::HealthyDrive(1, "SECOND", 40);
    second.volumes = "/mnt/media";
    test::TestDrive bare = test::HealthyDrive(2, "BARE", 40);  // no volumes
    test::TestDrive unknown = test::HealthyDrive(5, "UNKNOWN", 40);
    unknown.fail = "identify";  // not identified at start-up, yet its volumes are there
    unknown.volumes = "/srv";
    return test::TestDriveSet({first, second, bare, unknown});
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FindVolumesTest, EveryStartUpDriveGetsItsVolumesStoredUnderItsKey) {
    const test::TestDriveSet set = FourSlots();
    test::CommandFixture f(set.folder());
    int begins = 0;
    int busyAtRefresh = -1;
    f.busy.onBegin = [&] { ++begins; };
    f.window.onRefresh = [&] { busyAtRefresh = f.busy.depth; };
    FindVolumes(f.context);
    EXPECT_EQ(f.busy.depth, 1);  // until the worker has answered
    f.Settle();

    EXPECT_EQ(f.settings.ReadVolumes("FIRST", "SN1000"), "/ /home");
    EXPECT_EQ(f.settings.ReadVolumes("SECOND", "SN1001"), "/mnt/media");
    EXPECT_EQ(f.settings.ReadVolumes("BARE", "SN1002"), "");  // stored empty: obtained, none there
    EXPECT_EQ(f.settings.ReadVolumes("UNKNOWN", "SN1005"), std::nullopt);
    EXPECT_EQ(ReadIniValue(f.settings.Path(), "SETTING", DriveLetterKey("", "")), std::nullopt);  // nothing for empty slots
    EXPECT_EQ(f.monitor.StoredVolumes()[0], "/ /home");
    EXPECT_EQ(f.monitor.StoredVolumes()[2], "");
    EXPECT_EQ(f.monitor.StoredVolumes()[5], std::nullopt);

    ASSERT_EQ(f.messages.shown.size(), 1u);  // the warning, before the search
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(f.messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(f.messages.shown[0].caption, "Quillmoor");
    EXPECT_EQ(f.messages.shown[0].text, kFindVolumesWarning);
    EXPECT_EQ(f.window.refreshes, 1);
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(busyAtRefresh, 0);  // the pointer is back before the drive is shown

    const std::string once = FileText(f.settings.Path());
    FindVolumes(f.context);
    f.Settle();
    EXPECT_EQ(FileText(f.settings.Path()), once);
}

TEST(FindVolumesTest, AFailedWriteIsShownAfterThePointerIsBackAndTheDriveIsShownAgain) {
    test::TestDriveSet set = FourSlots();
    test::CommandFixture f(set.folder());
    Settings unwritable(f.settingsFolder.file("missing/Quillmoor.ini"));
    CommandContext context{f.window, f.monitor, unwritable, f.options, f.messages, f.files, f.launcher, f.busy, f.autostart,
                           f.places};
    int busyAtMessage = -1;
    f.messages.onShow = [&] { busyAtMessage = f.busy.depth; };
    FindVolumes(context);
    f.Settle();
    ASSERT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(f.messages.shown[1].text, ErrorMessageText(std::make_error_code(std::errc::no_such_file_or_directory)));
    EXPECT_EQ(f.messages.shown[1].icon, MessageIcon::None);
    EXPECT_EQ(busyAtMessage, 0);
    EXPECT_EQ(f.window.refreshes, 1);
    EXPECT_EQ(f.monitor.StoredVolumes()[0], std::nullopt);  // nothing read back
}

}  // namespace
}  // namespace qm
