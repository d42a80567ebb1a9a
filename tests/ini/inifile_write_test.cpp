// Writing the settings file: byte-exact in-place edits, atomic replacement,
// permissions and links, hostile names and values, failures that leave the
// file as it was, and several keys in one write.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "tests/ini/ini_test_support.h"

namespace qm {
namespace {

using namespace std::string_literals;
using test::IniFileTest;
using test::KeyValues;
using test::kShiftJis;
using test::kUtf8;

// Runs a write with the file-size limit of this process at 64 bytes, which
// makes writing the temporary file fail even for a privileged user.
std::error_code WithFileSizeLimit(const std::function<std::error_code()>& write) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::error_code error = write();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, SIG_DFL);
    return error;
}

// ---------------------------------------------------------------------------
// Writing

TEST_F(IniFileTest, FirstWriteCreatesFileWithCrLf) {
    ASSERT_FALSE(WriteIniValue(path, "SETTING", "TASKICON", "Y"));
    EXPECT_EQ(Get(), "[SETTING]\r\nTASKICON=Y\r\n");
    ASSERT_FALSE(WriteIniValue(path, "SETTING", "TASKBAR", "N"));
    ASSERT_FALSE(WriteIniValue(path, "LOCATION", "LEFT", "1440"));
    EXPECT_EQ(Get(), "[SETTING]\r\nTASKICON=Y\r\nTASKBAR=N\r\n\r\n[LOCATION]\r\nLEFT=1440\r\n");
    EXPECT_EQ(ReadIniValue(path, "setting", "taskbar"), "N");
    EXPECT_EQ(test::Names(ReadIniSections(path)), (std::vector<std::string>{"SETTING", "LOCATION"}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, ReplacingKeepsEveryOtherByte) {
    const std::string before =
        "; written by hand\r\n[Location]\r\n  Left =  100   \r\nnot an entry\r\n"
        "[Setting]\r\nTaskIcon=\"Y\"\r\nTASKICON=shadowed\r\nStartMin=\r\n\r\n[Other]\r\nx=1";
    Put(before);
    ASSERT_FALSE(WriteIniValue(path, "LOCATION", "LEFT", "1500"));
    ASSERT_FALSE(WriteIniValue(path, "SETTING", "TASKICON", "N"));
    ASSERT_FALSE(WriteIniValue(path, "SETTING", "STARTMIN", "Y"));
    EXPECT_EQ(Get(),
              "; written by hand\r\n[Location]\r\n  Left =  1500   \r\nnot an entry\r\n"
              "[Setting]\r\nTaskIcon=N\r\nTASKICON=shadowed\r\nStartMin=Y\r\n\r\n[Other]\r\nx=1");
    // Writing the value that is already there changes nothing at all.
    struct stat first {};
    ASSERT_EQ(::stat(path.c_str(), &first), 0);
    ASSERT_FALSE(WriteIniValue(path, "Other", "X", "1"));
    struct stat second {};
    ASSERT_EQ(::stat(path.c_str(), &second), 0);
    EXPECT_EQ(first.st_ino, second.st_ino);
}

TEST_F(IniFileTest, AppendsAfterTheSectionsLastEntry) {
    Put("[A]\nx=1\n; about B\n\n[B]\ny=2\n\n\n");
    ASSERT_FALSE(WriteIniValue(path, "a", "new", "v"));
    ASSERT_FALSE(WriteIniValue(path, "B", "z", "3"));
    EXPECT_EQ(Get(), "[A]\nx=1\nnew=v\n; about B\n\n[B]\ny=2\nz=3\n\n\n") << "LF file stays LF";

    Put("[A]\n\n[B]\n");
    ASSERT_FALSE(WriteIniValue(path, "A", "k", "v"));
    EXPECT_EQ(Get(), "[A]\nk=v\n\n[B]\n");
}

TEST_F(IniFileTest, FileWithoutFinalLineBreak) {
    Put("[A]\r\nx=1");
    ASSERT_FALSE(WriteIniValue(path, "A", "y", "2"));
    EXPECT_EQ(Get(), "[A]\r\nx=1\r\ny=2\r\n");
    Put("[A]");
    ASSERT_FALSE(WriteIniValue(path, "A", "y", "2"));
    EXPECT_EQ(Get(), "[A]\r\ny=2\r\n");
    Put("[A]\nx=1");
    ASSERT_FALSE(WriteIniValue(path, "B", "y", "2"));
    EXPECT_EQ(Get(), "[A]\nx=1\n\n[B]\ny=2\n");
}

TEST_F(IniFileTest, ValuesReadBackExactlyAsWritten) {
    const std::vector<std::string> values = {
        "", "Y", "ERROR", " leading", "trailing\t", "  both  ", "\"quoted\"", "'single'", "\"", "\"half",
        "a ; b", "a=b=c", "[not a section]", ";not a comment", "\"\"", "' x '", "/ /media/disk two",
    };
    for (const auto& value : values) {
        ASSERT_FALSE(WriteIniValue(path, "S", "K", value)) << value;
        EXPECT_EQ(ReadIniValue(path, "S", "K"), value) << "[" << value << "] stored as " << Get();
    }
    EXPECT_EQ(test::Names(ReadIniSections(path)), std::vector<std::string>{"S"});
    if (SystemCodeSet() == kUtf8) {
        ASSERT_FALSE(WriteIniValue(path, "\xE8\xA8\xAD\xE5\xAE\x9A", "\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC 5"));
        EXPECT_EQ(ReadIniValue(path, "\xE8\xA8\xAD\xE5\xAE\x9A", "\xC3\xA9t\xC3\xA9"), "\xE2\x82\xAC 5");
    }
}

TEST_F(IniFileTest, KeysAndSectionsAreStoredTrimmed) {
    ASSERT_FALSE(WriteIniValue(path, "  S  ", "\tK ", "v"));
    EXPECT_EQ(Get(), "[S]\r\nK=v\r\n");
    EXPECT_EQ(ReadIniValue(path, "S", "K"), "v");
}

TEST_F(IniFileTest, KeepsPermissions) {
    Put("[S]\nk=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_FALSE(WriteIniValue(path, "S", "k", "2"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(IniFileTest, AWriteNeverFollowsASymbolicLink) {
    // A link planted where the settings file belongs would otherwise let a
    // program run by root write wherever it points.
    const std::string victim = folder + "/victim";
    std::ofstream(victim, std::ios::binary) << "precious\n";
    ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);
    EXPECT_EQ(WriteIniValue(path, "S", "k", "3"), std::errc::too_many_symbolic_link_levels);
    const KeyValues entries = {{"a", "1"}};
    EXPECT_EQ(WriteIniValues(path, "S", entries), std::errc::too_many_symbolic_link_levels);
    struct stat info {};
    ASSERT_EQ(::lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    std::ifstream in(victim, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious\n");
}

TEST_F(IniFileTest, ALockedFileIsNotReplaced) {
    // Made read-only by its owner: refused, also for root, whom the
    // permission bits alone would not stop. Left as it was, no leftovers.
    Put("[S]\r\nk=v\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(WriteIniValue(path, "S", "k", "w"), std::errc::permission_denied);
    EXPECT_FALSE(WriteIniValue(path, "S", "k", "v"));  // nothing to change: no failure
    ::chmod(path.c_str(), 0644);
    EXPECT_EQ(Get(), "[S]\r\nk=v\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST_F(IniFileTest, AnotherUsersFileIsNotReplaced) {
    if (::geteuid() != 0) GTEST_SKIP() << "only a privileged user can give a file away";
    Put("[S]\r\nk=v\r\n");
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    EXPECT_EQ(WriteIniValue(path, "S", "k", "w"), std::errc::operation_not_permitted);
    EXPECT_EQ(Get(), "[S]\r\nk=v\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
}

TEST_F(IniFileTest, NewFileGetsTheUsualPermissions) {
    const mode_t old = ::umask(022);
    const std::error_code error = WriteIniValue(path, "S", "k", "1");
    ::umask(old);
    ASSERT_FALSE(error);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

// ---------------------------------------------------------------------------
// Hostile names and values

TEST_F(IniFileTest, UnsafeNamesAndValuesAreRefused) {
    const std::string nul("a\0b", 3);
    const std::vector<std::string> badKeys = {"", "   ", "a\nb", "a\rb", nul, "a=b", "[x", " [x", ";x", "\t;x", "k\n"};
    const std::vector<std::string> badSections = {"", " \t ", "a]b", "a\nb", "a\rb", nul, "x]"};
    const std::vector<std::string> badValues = {"a\nb", "a\rb", nul, "\n", "x\r\n[S]\r\nINJECTED=1"};
    for (const auto& key : badKeys) EXPECT_FALSE(IsSafeIniKey(key)) << key;
    for (const auto& section : badSections) EXPECT_FALSE(IsSafeIniSection(section)) << section;
    for (const auto& value : badValues) EXPECT_FALSE(IsSafeIniValue(value)) << value;
    for (const auto& ok : {"k", " k ", "a;b", "a[b]", "ABC123-XYZ9", "\"q\""}) EXPECT_TRUE(IsSafeIniKey(ok)) << ok;
    for (const auto& ok : {"S", "[S", ";S", "a=b", " 0 "}) EXPECT_TRUE(IsSafeIniSection(ok)) << ok;
    for (const auto& ok : {"", " ", "a=b", "[x]", ";", "\t"}) EXPECT_TRUE(IsSafeIniValue(ok)) << ok;

    // Nothing is created for a refused write ...
    for (const auto& key : badKeys) EXPECT_TRUE(WriteIniValue(path, "S", key, "v")) << key;
    EXPECT_FALSE(Exists());
    // ... and an existing file is left as it was.
    const std::string before = "[S]\r\nk=v\r\n";
    Put(before);
    for (const auto& key : badKeys) EXPECT_TRUE(WriteIniValue(path, "S", key, "v")) << key;
    for (const auto& section : badSections) EXPECT_TRUE(WriteIniValue(path, section, "k", "v")) << section;
    for (const auto& value : badValues) EXPECT_TRUE(WriteIniValue(path, "S", "k", value)) << value;
    EXPECT_EQ(Get(), before);
    EXPECT_EQ(ReadIniValue(path, "S", "a\nk"), std::nullopt);
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

// A name the file's code page cannot hold would be stored with "?" in its
// place: as another section or key, whose values the write would change.
TEST_F(IniFileTest, ANameTheCodePageCannotHoldIsNeitherWrittenNorFound) {
    const std::string before = "[\xFF]\r[?]\r\nk=other\r\n";  // Shift_JIS: 0xFF is no character
    Put(before);
    for (const std::string& name : {"\xEF\xBF\xBD"s /* U+FFFD, as 0xFF reads */, "?\xFF"s /* not UTF-8 */, "😀"s}) {
        EXPECT_TRUE(WriteIniValue(path, name, "k", "mine", kShiftJis)) << name;
        EXPECT_TRUE(WriteIniValue(path, "?", name, "mine", kShiftJis)) << name;
        EXPECT_EQ(ReadIniValue(path, name, "k", InlineComments::Keep, kShiftJis), std::nullopt) << name;
    }
    EXPECT_EQ(Get(), before);
    EXPECT_EQ(ReadIniValue(path, "?", "k", InlineComments::Keep, kShiftJis), "other");
}

TEST_F(IniFileTest, NeutralizedKeysAreSafeAndStable) {
    const std::pair<std::string, std::string> cases[] = {
        {"ABC123-XYZ9", "ABC123-XYZ9"},
        {"", "_"},
        {"   ", "_"},
        {"a=b", "a_b"},
        {"[x]", "_x]"},
        {";x", "_x"},
        {"  ;x  ", "_x"},
        {"a\0b\r\n\tc\x7F"s, "a_b___c_"},
        {"a\xC2\x85" "b", "a_b"},           // a C1 control
        {"\xC3\xA9", "\xC3\xA9"},
        {"a\xFF", "a\xEF\xBF\xBD"},          // invalid UTF-8 becomes U+FFFD
    };
    for (const auto& [text, key] : cases) EXPECT_EQ(NeutralizeIniKey(text), key) << text;

    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 12, '\0');
        for (char& c : text) c = static_cast<char>(random() % 256);
        if (round % 3 == 0 && !text.empty()) text[0] = "[; ="[random() % 4];
        const std::string key = NeutralizeIniKey(text);
        ASSERT_TRUE(IsSafeIniKey(key)) << round;
        ASSERT_EQ(key, NeutralizeIniKey(text));
    }
}

TEST_F(IniFileTest, NeutralizedKeysWorkAsKeys) {
    const std::string key = NeutralizeIniKey("[WDC=WD10]\nSERIAL");
    ASSERT_FALSE(WriteIniValue(path, "SETTING", key, "/ /home"));
    EXPECT_EQ(ReadIniValue(path, "SETTING", key), "/ /home");
    EXPECT_EQ(Get(), "[SETTING]\r\n_WDC_WD10]_SERIAL=/ /home\r\n");
}

// ---------------------------------------------------------------------------
// Failures leave the file as it was

TEST_F(IniFileTest, FailedWriteLeavesOriginalAndNoTemporaryFile) {
    const std::string before = "[S]\r\nk=v\r\n";
    Put(before);
    EXPECT_TRUE(WithFileSizeLimit([&] { return WriteIniValue(path, "S", "k", std::string(200, 'x')); }));
    EXPECT_EQ(Get(), before);
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, UnwritableFolderFails) {
    const std::string before = "[S]\r\nk=v\r\n";
    Put(before);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    bool written = true;
    if (::geteuid() != 0) {
        written = !WriteIniValue(path, "S", "k", "w");
    } else {
        // A privileged user can write anywhere: try as an ordinary user.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
            ::_exit(WriteIniValue(path, "S", "k", "w") ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot drop privileges";
        written = WEXITSTATUS(status) != 0;
    }
    ::chmod(folder.c_str(), 0700);
    EXPECT_FALSE(written);
    EXPECT_EQ(Get(), before);
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, UnusablePathsFailWithoutHanging) {
    EXPECT_TRUE(WriteIniValue(folder + "/missing/Quillmoor.ini", "S", "k", "v"));
    EXPECT_TRUE(WriteIniValue("", "S", "k", "v"));
    // A folder, a FIFO with no writer and a device are no settings files.
    EXPECT_EQ(ReadIniValue(folder, "S", "k"), std::nullopt);
    EXPECT_TRUE(WriteIniValue(folder, "S", "k", "v"));
    const std::string fifo = folder + "/fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadIniValue(fifo, "S", "k"), std::nullopt);
    EXPECT_TRUE(ReadIniSections(fifo).empty());
    EXPECT_TRUE(WriteIniValue(fifo, "S", "k", "v"));
    struct stat info {};
    ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(ReadIniValue("/dev/zero", "S", "k"), std::nullopt);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"fifo.ini"}));
}

TEST_F(IniFileTest, UnreadableFileIsNeverReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "a privileged user can read any file";
    Put("[S]\r\nk=v\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    EXPECT_EQ(ReadIniValue(path, "S", "k"), std::nullopt);
    EXPECT_TRUE(WriteIniValue(path, "S", "k", "w"));
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(Get(), "[S]\r\nk=v\r\n");
}


// ---------------------------------------------------------------------------
// Several keys in one write, and the cause of a failed write

TEST_F(IniFileTest, ManyKeysInOneWriteGiveTheSameBytesAsOneByOne) {
    const std::string before =
        "; by hand\r\n[Location]\r\n  Left =  100   \r\nTOP=5\r\n\r\n[Setting]\r\nTASKICON=Y\r\n";
    const KeyValues entries = {{"LEFT", "1500"}, {"TOP", "-120"}, {"WIDTH", "11790"}, {"HEIGHT", " 7000 "}};
    Put(before);
    for (const auto& [key, value] : entries) ASSERT_FALSE(WriteIniValue(path, "LOCATION", key, value));
    const std::string oneByOne = Get();
    Put(before);
    struct stat old {};
    ASSERT_EQ(::stat(path.c_str(), &old), 0);
    ASSERT_FALSE(WriteIniValues(path, "LOCATION", entries));
    EXPECT_EQ(Get(), oneByOne);
    EXPECT_EQ(Get(),
              "; by hand\r\n[Location]\r\n  Left =  1500   \r\nTOP=-120\r\nWIDTH=11790\r\nHEIGHT=\" 7000 \"\r\n\r\n"
              "[Setting]\r\nTASKICON=Y\r\n");
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "HEIGHT"), " 7000 ");
    struct stat now {};
    ASSERT_EQ(::stat(path.c_str(), &now), 0);
    EXPECT_NE(now.st_ino, old.st_ino) << "replaced through a new file";
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});

    // A new file, a key given twice (the last value wins), another code set.
    ::unlink(path.c_str());
    ASSERT_FALSE(WriteIniValues(path, "LOCATION", KeyValues{{"LEFT", "1"}, {"TOP", "2"}, {"left", "3"}}));
    EXPECT_EQ(Get(), "[LOCATION]\r\nLEFT=3\r\nTOP=2\r\n");
    ASSERT_FALSE(WriteIniValues(path, "ドライブ", KeyValues{{"型式", "ハードディスク"}}, kShiftJis));
    EXPECT_EQ(ReadIniValue(path, "ドライブ", "型式", InlineComments::Keep, kShiftJis), "ハードディスク");
    EXPECT_EQ(Get().find("\xE5\x9E\x8B"), std::string::npos) << "stored in the file's code set";
}

TEST_F(IniFileTest, AWriteOfManyKeysThatChangesNothingLeavesTheFileAlone) {
    Put("[LOCATION]\nLEFT=1\nTOP=2\n");
    struct stat old {};
    ASSERT_EQ(::stat(path.c_str(), &old), 0);
    ASSERT_FALSE(WriteIniValues(path, "location", KeyValues{{"left", "1"}, {"TOP", "2"}}));
    ASSERT_FALSE(WriteIniValues(path, "LOCATION", KeyValues{}));
    // Two changes that cancel out are no change either.
    ASSERT_FALSE(WriteIniValues(path, "LOCATION", KeyValues{{"LEFT", "9"}, {"LEFT", "1"}}));
    struct stat now {};
    ASSERT_EQ(::stat(path.c_str(), &now), 0);
    EXPECT_EQ(now.st_ino, old.st_ino);
    EXPECT_EQ(Get(), "[LOCATION]\nLEFT=1\nTOP=2\n");

    // An empty batch does not create a missing file.
    ::unlink(path.c_str());
    ASSERT_FALSE(WriteIniValues(path, "LOCATION", KeyValues{}));
    EXPECT_FALSE(Exists());
}

TEST_F(IniFileTest, OneUnsafeEntryRefusesTheWholeBatch) {
    const std::string before = "[LOCATION]\r\nLEFT=1\r\n";
    const std::vector<KeyValues> batches = {
        {{"LEFT", "2"}, {"TOP", "3\r\n[SETTING]"}},
        {{"LEFT", "2"}, {"TO=P", "3"}},
        {{"LEFT", "2"}, {"", "3"}},
        {{"LEFT", "2"}, {"TOP", "3"s + '\0'}},
        {{"[LEFT", "2"}},
    };
    for (const KeyValues& batch : batches) {
        Put(before);
        EXPECT_EQ(WriteIniValues(path, "LOCATION", batch), std::errc::invalid_argument);
        EXPECT_EQ(Get(), before);
    }
    EXPECT_EQ(WriteIniValues(path, "LOC]ATION", KeyValues{{"LEFT", "2"}}), std::errc::invalid_argument);
    ::unlink(path.c_str());
    EXPECT_TRUE(WriteIniValues(path, "LOCATION", KeyValues{{"LEFT", "2"}, {"TOP", "\n"}}));
    EXPECT_FALSE(Exists()) << "a refused batch creates nothing";
}

TEST_F(IniFileTest, AFailedBatchStoresNoneOfItsEntries) {
    const std::string before = "[S]\r\na=1\r\n";
    Put(before);
    const std::error_code error =
        WithFileSizeLimit([&] { return WriteIniValues(path, "S", KeyValues{{"a", "2"}, {"b", std::string(200, 'x')}}); });
    EXPECT_EQ(error, std::errc::file_too_large) << "the error of the write that failed, not of the cleanup after it";
    EXPECT_EQ(Get(), before);
    EXPECT_EQ(ReadIniValue(path, "S", "a"), "1");
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, AFailedWriteNamesItsCause) {
    using std::errc;
    EXPECT_EQ(WriteIniValue(folder + "/missing/Quillmoor.ini", "S", "k", "v"), errc::no_such_file_or_directory);
    EXPECT_EQ(WriteIniValue(folder, "S", "k", "v"), errc::is_a_directory);
    EXPECT_EQ(WriteIniValue(path, "S", "k\n", "v"), errc::invalid_argument);
    EXPECT_EQ(WriteIniValue("", "S", "k", "v"), errc::invalid_argument);
    const std::string fifo = folder + "/fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(WriteIniValues(fifo, "S", KeyValues{{"k", "v"}}), errc::invalid_argument);
    std::string big = "[S]\nk=v\n";
    big.resize(kIniFileLimit + 1, 'x');
    Put(big);
    EXPECT_EQ(WriteIniValues(path, "S", KeyValues{{"k", "w"}}), errc::file_too_large);
    Put("[S]\nk=" + std::string(kIniFileLimit - 8, 'v') + "\n");
    EXPECT_EQ(WriteIniValue(path, "S", "k2", std::string(64, 'w')), errc::file_too_large) << "a result beyond the limit";

    // An unwritable folder: EACCES, tried as an ordinary user when privileged.
    Put("[S]\r\nk=v\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    int error = 0;
    if (::geteuid() != 0) {
        error = WriteIniValues(path, "S", KeyValues{{"k", "w"}}).value();
    } else {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);  // the file is the writer's own
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(255);
            const std::error_code written = WriteIniValues(path, "S", KeyValues{{"k", "w"}});
            ::_exit(!written ? 254 : (written.value() & 0xFF));
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 255) GTEST_SKIP() << "cannot drop privileges";
        error = WEXITSTATUS(status);
    }
    ::chmod(folder.c_str(), 0700);
    EXPECT_EQ(error, EACCES);
}

}  // namespace
}  // namespace qm
