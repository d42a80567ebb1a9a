// Start at log-on: the order of mark, setting, registration and message; the
// XDG entry written and removed; its Exec line for any path; the Windows
// command lines as text.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "commands/start_at_log_on.h"
#include "commands/windows_autostart.h"
#include "ini/inifile.h"
#include "tests/commands/command_fixture.h"

namespace qm {
namespace {

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Notes, at the moment of each registration, what the mark, the settings file
// and the message boxes said.
class OrderRecorder final : public AutostartRegistry {
public:
    explicit OrderRecorder(test::CommandFixture& f) : f_(f) {}
    std::error_code Register() override { return Note("register"); }
    std::error_code Unregister() override { return Note("unregister"); }
    std::string_view RegisteredText() const override { return "on"; }
    std::string_view UnregisteredText() const override { return "off"; }
    std::vector<std::string> notes;
    std::error_code result;

private:
    std::error_code Note(const std::string& what) {
        notes.push_back(what + " mark=" + (f_.window.IsOptionChecked(Option::StartAtLogOn) ? "1" : "0") +
                        " STARTUP=" + ReadIniValue(f_.settings.Path(), "SETTING", "STARTUP").value_or("ERROR") +
                        " boxes=" + std::to_string(f_.messages.shown.size()));
        return result;
    }
    test::CommandFixture& f_;
};

TEST(StartAtLogOnTest, MarkThenSettingThenRegistrationThenMessage) {
    test::CommandFixture f;
    OrderRecorder order(f);
    CommandContext ordered{f.window, f.monitor, f.settings, f.options, f.messages, f.files, f.launcher, f.busy, order, f.places};
    SwitchStartAtLogOn(ordered);
    SwitchStartAtLogOn(ordered);
    EXPECT_EQ(order.notes, (std::vector<std::string>{"register mark=1 STARTUP=Y boxes=0", "unregister mark=0 STARTUP=N boxes=1"}));
    ASSERT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(f.messages.shown[0].text, "on");
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(f.messages.shown[1].text, "off");
    EXPECT_EQ(f.options.startAtLogOn, false);

    // A registration that fails puts the mark and the setting back and says why.
    order.result = std::make_error_code(std::errc::read_only_file_system);
    SwitchStartAtLogOn(ordered);
    EXPECT_FALSE(f.window.IsOptionChecked(Option::StartAtLogOn));
    EXPECT_EQ(f.options.startAtLogOn, false);
    EXPECT_EQ(ReadIniValue(f.settings.Path(), "SETTING", "STARTUP"), "N");
    EXPECT_EQ(f.messages.shown.back().text, order.result.message());
    EXPECT_EQ(f.messages.shown.back().icon, MessageIcon::None);
}

TEST(StartAtLogOnTest, TheXdgEntryIsWrittenForTheProgramAndRemoved) {
    test::CommandFixture f;
    const std::string entry = f.configFolder.file("autostart/Quillmoor.desktop");
    SwitchStartAtLogOn(f.context);
    EXPECT_EQ(f.messages.shown.at(0).text, "自動起動フォルダ (autostart) にデスクトップエントリを作成しました。");
    EXPECT_NE(FileText(entry).find("\nExec=\"" + f.places.executable + "\"\n"), std::string::npos);
    SwitchStartAtLogOn(f.context);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_EQ(f.messages.shown.at(1).text, "自動起動フォルダ (autostart) のデスクトップエントリを削除しました。");
    EXPECT_FALSE(f.autostart.Unregister());  // nothing left to remove is no error

    // A folder that cannot be made is an error.
    XdgAutostart blocked(f.settings.Path() + "/autostart", "/usr/bin/quillmoor");
    std::ofstream(f.settings.Path()) << "";
    EXPECT_EQ(blocked.Register(), std::errc::not_a_directory);
}

TEST(StartAtLogOnTest, TheExecLineNamesExactlyTheProgramWhateverItsPath) {
    EXPECT_EQ(DesktopExecValue("/usr/bin/quillmoor"), "\"/usr/bin/quillmoor\"");
    // In the file: quotes, dollar and backtick behind two backslashes, a
    // backslash as four, a percent sign doubled.
    EXPECT_EQ(DesktopExecValue("/home/u/My Apps/a\"b$c`d\\e%f;g&h'i/quillmoor"),
              R"("/home/u/My Apps/a\\"b\\$c\\`d\\\\e%%f;g&h'i/quillmoor")");
    for (const char* unfit : {"quillmoor", "", "/a=b/quillmoor", "/a\nb/quillmoor", "/a\tb/q", "/bad\xFF/q"})
        EXPECT_EQ(DesktopExecValue(unfit), std::nullopt) << unfit;
    EXPECT_EQ(XdgAutostart("/tmp/qm-none", "/a=b/quillmoor").Register(), std::errc::invalid_argument);
}

// The desktop's own tools read the entry: desktop-file-validate accepts it,
// and GLib's launcher starts the very program at a path full of characters
// the Exec line must quote. (GLib looks for the program before it undoes "%%",
// so a path with "%" is validated only.)
TEST(StartAtLogOnTest, TheDesktopsToolsAcceptTheEntryAndStartTheProgram) {
    if (std::system("command -v desktop-file-validate >/dev/null && command -v gio >/dev/null") != 0)
        GTEST_SKIP() << "desktop-file-validate or gio is not installed";
    test::TempFolder folder;
    const std::filesystem::path odd = folder.path() / "dir with \"quotes\" 'x' $HOME `x` \\ ; & (x) ~ # *?";
    std::filesystem::create_directories(odd);
    const std::string program = (odd / "quillmoor").string();
    const std::string marker = folder.file("started");
    std::ofstream(program) << "#!/bin/sh\necho \"$0\" > '" << marker << "'\n";
    ::chmod(program.c_str(), 0755);
    XdgAutostart autostart(folder.file("autostart"), program);
    ASSERT_FALSE(autostart.Register());
    EXPECT_EQ(std::system(("desktop-file-validate " + autostart.EntryPath()).c_str()), 0);
    ASSERT_EQ(std::system(("gio launch " + autostart.EntryPath()).c_str()), 0);
    for (int i = 0; i < 50 && !std::filesystem::exists(marker); ++i) ::usleep(100000);
    EXPECT_EQ(FileText(marker), program + "\n");

    XdgAutostart percent(folder.file("autostart"), folder.file("100% sure/quillmoor"));
    ASSERT_FALSE(percent.Register());
    EXPECT_EQ(std::system(("desktop-file-validate " + percent.EntryPath()).c_str()), 0);
}

TEST(StartAtLogOnTest, TheTaskSchedulerLinesOfAWindowsBuild) {
    EXPECT_EQ(TaskSchedulerRegisterLine("C:\\Program Files\\Q"),
              "schtasks /create /tn Quillmoor /sc onlogon /tr \"C:\\Program Files\\Q\\Quillmoor.exe\" /rl highest /f");
    EXPECT_EQ(kTaskSchedulerUnregisterLine, "schtasks /delete /tn Quillmoor /f");
}

}  // namespace
}  // namespace qm
