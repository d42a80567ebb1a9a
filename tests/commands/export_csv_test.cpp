// データ書き出し: the dialog it asks, the file it writes from a fresh read, and
// the name it proposes whatever the drive calls itself.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "commands/csv_export.h"
#include "commands/error_text.h"
#include "commands/export_csv.h"
#include "smart/smart_reader.h"
#include "tests/commands/command_fixture.h"

namespace qm {
namespace {

using namespace std::string_literals;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ExportCsvTest, TheSavedFileIsAFreshReadOfTheSelectedDrive) {
    test::CommandFixture f;
    f.Show(0);
    f.files.answer = f.programFolder.file("drive0");  // typed without an extension: used as typed
    f.sim.Clear();
    ExportCsv(f.context);
    EXPECT_FALSE(std::filesystem::exists(*f.files.answer));  // the drive is read first, by the worker
    f.Settle();

    ASSERT_EQ(f.files.requests.size(), 1u);
    EXPECT_EQ(f.files.requests[0], (SaveFileRequest{f.places.saveFolder, "QM-HD1000A-QMA10H4K27Z1.csv",
                                                    {"All File(*.*)", "csv File(*.csv)"}, 1}));
    EXPECT_FALSE(f.sim.Events(SimEventKind::Exchange).empty());  // read now, not taken from the view
    const std::string bytes = FileBytes(*f.files.answer);
    EXPECT_EQ(bytes, AttributeCsvBytes(SmartReader(f.sim).ReadDrive(0)));
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(ExportCsvTest, CancelKeepsAnExistingFileAndConfirmingReplacesItWithoutAQuestion) {
    test::CommandFixture f;
    f.Show(2);
    const std::string path = f.programFolder.file("old.csv");
    std::ofstream(path) << "old content";
    ExportCsv(f.context);  // cancelled
    f.Settle();
    EXPECT_EQ(FileBytes(path), "old content");

    f.files.answer = path;
    ExportCsv(f.context);
    f.Settle();
    EXPECT_EQ(FileBytes(path), AttributeCsvBytes(SmartReader(f.sim).ReadDrive(2)));
    EXPECT_TRUE(f.messages.shown.empty());
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.programFolder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(ExportCsvTest, AFailureIsShownWithTheSystemsDescription) {
    test::CommandFixture f;
    f.Show(0);
    f.files.answer = f.programFolder.file("no such folder/x.csv");
    ExportCsv(f.context);
    f.Settle();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].caption, "Quillmoor");
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(f.messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(f.messages.shown[0].text, ErrorMessageText(std::make_error_code(std::errc::no_such_file_or_directory)));
}

// A link with the proposed name planted in a folder others may write (as
// /tmp) must not lead the export to another file; the user's own link in a
// private folder is followed, and stays a link.
TEST(ExportCsvTest, ALinkIsFollowedOnlyWhenItIsTheUsersOwnInAPrivateFolder) {
    test::CommandFixture f;
    f.Show(0);
    test::TempFolder victim;
    const std::string bashrc = victim.file(".bashrc");
    std::ofstream(bashrc) << "alias ls='ls --color'\n";
    const std::string planted = f.programFolder.file("QM-HD1000A-QMA10H4K27Z1.csv");
    std::filesystem::create_symlink(bashrc, planted);

    ::chmod(f.programFolder.str().c_str(), 01777);
    f.files.answer = planted;
    ExportCsv(f.context);
    f.Settle();
    EXPECT_EQ(FileBytes(bashrc), "alias ls='ls --color'\n");
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, ErrorMessageText(std::make_error_code(std::errc::too_many_symbolic_link_levels)));

    ::chmod(f.programFolder.str().c_str(), 0700);
    ExportCsv(f.context);
    f.Settle();
    EXPECT_EQ(FileBytes(bashrc), AttributeCsvBytes(SmartReader(f.sim).ReadDrive(0)));
    EXPECT_TRUE(std::filesystem::is_symlink(planted));
    EXPECT_EQ(f.messages.shown.size(), 1u);
}

TEST(ExportCsvTest, TheProposedNameIsAlwaysAPlainVisibleFileName) {
    EXPECT_EQ(ProposedCsvName("  ABC123 ", " XY789  "), "ABC123-XY789.csv");
    EXPECT_EQ(ProposedCsvName("Quillmoor Flash 240", "QF"), "Quillmoor Flash 240-QF.csv");  // inner blanks stay
    EXPECT_EQ(ProposedCsvName("", ""), "-.csv");
    EXPECT_EQ(ProposedCsvName("../../etc/cron.d/x", "1"), "_._.._etc_cron.d_x-1.csv");
    EXPECT_EQ(ProposedCsvName(".hidden", "1"), "_hidden-1.csv");
    EXPECT_EQ(ProposedCsvName("C:\\Win\\a", "b"), "C__Win_a-b.csv");
    EXPECT_EQ(ProposedCsvName("a\r\nb\tc"s + '\0' + "\x1B[0m", "\x7F\u0085"), "a__b_c__[0m-__.csv");
    EXPECT_EQ(ProposedCsvName("x<>:\"|?*", "y"), "x_______-y.csv");
    // A right-to-left override would show "evil-vsc.exe" as "evil-exe.csv".
    EXPECT_EQ(ProposedCsvName("evil\u202Eexe", "\u2066z\u200B"), "evil_exe-_z_.csv");
    EXPECT_EQ(ProposedCsvName("ｱｲｳ\xFF", "型式"), "ｱｲｳ\uFFFD-型式.csv");  // text stays; bad bytes show as such
    const std::string longName = ProposedCsvName(std::string(150, 'M') + "あ", std::string(60, 'S'));
    EXPECT_EQ(longName, std::string(150, 'M') + "あ-" + std::string(46, 'S') + ".csv");  // 200 bytes and ".csv"
    for (const std::string& name : {ProposedCsvName("..", ""), ProposedCsvName("/", "/"), ProposedCsvName(".", "..")}) {
        EXPECT_EQ(std::filesystem::path(name).filename().string(), name);
        EXPECT_NE(name.front(), '.');
    }
}

}  // namespace
}  // namespace qm
