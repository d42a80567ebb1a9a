// Start at log-on: the order of mark, setting, registration and message; the
// XDG entry written and removed; its Exec line, started by the desktop's
// launchers for every path it is written for; the Windows command lines as
// text.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "commands/error_text.h"
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
    EXPECT_EQ(f.messages.shown.back().text, ErrorMessageText(order.result));
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

TEST(StartAtLogOnTest, TheExecLineNamesExactlyTheProgramOrNothing) {
    EXPECT_EQ(DesktopExecValue("/usr/bin/quillmoor"), "\"/usr/bin/quillmoor\"");
    EXPECT_EQ(DesktopExecValue("/home/u/My Apps/a;b&c(d)~e#f*g?h<i>|j!k[l]m^n,o:p@q+r-/日本語/quillmoor"),
              "\"/home/u/My Apps/a;b&c(d)~e#f*g?h<i>|j!k[l]m^n,o:p@q+r-/日本語/quillmoor\"");
    for (const char* unfit : {"quillmoor", "", "/a=b/quillmoor", "/a\nb/quillmoor", "/a\tb/q", "/bad\xFF/q",
                              "/100%/q", "/a\"b/q", "/a'b/q", "/a\\b/q", "/a$b/q", "/a`b/q"})
        EXPECT_EQ(DesktopExecValue(unfit), std::nullopt) << unfit;
}

// A path the entry cannot give to the launchers is refused with the message,
// and no entry is written.
TEST(StartAtLogOnTest, AnUnfitPathIsRefusedWithTheMessageAndNothingIsWritten) {
    test::CommandFixture f;
    XdgAutostart unfit(f.configFolder.file("autostart"), "/opt/100%/quillmoor");
    CommandContext context{f.window, f.monitor, f.settings, f.options, f.messages, f.files, f.launcher, f.busy, unfit,
                           f.places};
    SwitchStartAtLogOn(context);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, kAutostartPathUnfit);
    EXPECT_FALSE(f.window.IsOptionChecked(Option::StartAtLogOn));
    EXPECT_FALSE(std::filesystem::exists(unfit.EntryPath()));
}

// Every path the entry is written for starts the program under the desktop's
// launchers: GLib's (gio launch) and systemd's autostart generator, whose
// unit systemd-analyze must find executable. Every other path is refused.
TEST(StartAtLogOnTest, TheLaunchersStartTheProgramForEveryPathTheEntryIsWrittenFor) {
    const std::string generator = "/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator";
    if (std::system("command -v desktop-file-validate >/dev/null && command -v gio >/dev/null && "
                    "command -v systemd-analyze >/dev/null") != 0 ||
        !std::filesystem::exists(generator))
        GTEST_SKIP() << "desktop-file-validate, gio or systemd is not installed";
    test::TempFolder folder;
    const std::vector<std::string> odd = {" ", "\"", "'", "\\", "$", "`", "%", "~", "#", "&", ";", "*", "?", "(",
                                          ")", "<", ">", "|", "!", "[", "]", "^", ",", ":", "@", "+", "-", "日本"};
    int written = 0;
    for (std::size_t i = 0; i < odd.size(); ++i) {
        SCOPED_TRACE(odd[i]);
        const std::filesystem::path base = folder.path() / std::to_string(i);
        std::filesystem::create_directories(base / ("a" + odd[i] + "b"));
        const std::string program = (base / ("a" + odd[i] + "b") / "quillmoor").string();
        const std::string marker = (base / "started").string();
        std::ofstream(program) << "#!/bin/sh\necho \"$0\" > '" << marker << "'\n";
        ::chmod(program.c_str(), 0755);
        XdgAutostart autostart((base / "config/autostart").string(), program);
        if (autostart.Register()) {
            EXPECT_FALSE(std::filesystem::exists(autostart.EntryPath()));
            continue;
        }
        ++written;
        // Paths handed to the shell through files of their own, never on its command line.
        const std::string entry = (base / "entry.desktop").string();
        std::filesystem::copy_file(autostart.EntryPath(), entry);
        EXPECT_EQ(std::system(("desktop-file-validate " + entry).c_str()), 0);
        ASSERT_EQ(std::system(("gio launch " + entry).c_str()), 0);
        for (int wait = 0; wait < 50 && !std::filesystem::exists(marker); ++wait) ::usleep(100000);
        EXPECT_EQ(FileText(marker), program + "\n");

        const std::string units = (base / "units").string();
        std::filesystem::create_directories(units);
        const std::string generate = "XDG_CONFIG_HOME=" + (base / "config").string() +
                                     " XDG_CONFIG_DIRS=/nonexistent " + generator + " " + units + " " + units + " " +
                                     units + " 2>/dev/null";
        ASSERT_EQ(std::system(generate.c_str()), 0);
        std::string execStart;
        for (const auto& unit : std::filesystem::directory_iterator(units)) {
            if (unit.path().extension() != ".service") continue;
            std::istringstream lines(FileText(unit.path().string()));
            for (std::string line; std::getline(lines, line);)
                if (line.rfind("ExecStart=", 0) == 0) execStart = line;
        }
        ASSERT_FALSE(execStart.empty()) << "the generator made no unit";
        const std::string check = units + "/check.service";
        std::ofstream(check) << "[Service]\n" << execStart << "\n";
        EXPECT_EQ(std::system(("systemd-analyze verify --man=no " + check + " >/dev/null 2>&1").c_str()), 0)
            << execStart;
    }
    EXPECT_EQ(written, static_cast<int>(odd.size()) - 6);  // all but % " ' \ $ `
}

TEST(StartAtLogOnTest, TheTaskSchedulerLinesOfAWindowsBuild) {
    EXPECT_EQ(TaskSchedulerRegisterLine("C:\\Program Files\\Q"),
              "schtasks /create /tn Quillmoor /sc onlogon /tr \"C:\\Program Files\\Q\\Quillmoor.exe\" /rl highest /f");
    EXPECT_EQ(kTaskSchedulerUnregisterLine, "schtasks /delete /tn Quillmoor /f");
}

}  // namespace
}  // namespace qm
