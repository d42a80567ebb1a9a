// The settings file: reads and writes with the profile-function behaviour,
// byte-exact in-place edits, atomic replacement, and hostile names, values
// and file contents.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "platform/codepage.h"
#include "platform/inifile.h"

namespace qm {
namespace {

using namespace std::string_literals;

const std::string kUtf8 = "UTF-8";
const std::string kShiftJis = "SHIFT_JIS";

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "qm-ini-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        path = folder + "/Quillmoor.ini";
    }
    void TearDown() override {
        ::chmod(folder.c_str(), 0700);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void Put(const std::string& bytes) const { Put(path, bytes); }
    static void Put(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
        ASSERT_TRUE(out.good());
    }
    std::string Get() const { return Get(path); }
    static std::string Get(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    bool Exists() const { return ::access(path.c_str(), F_OK) == 0; }
    // Names of the folder's entries, to spot temporary files left behind.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (const dirent* e = ::readdir(dir)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            ::closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string folder;
    std::string path;
};

// ---------------------------------------------------------------------------
// Reading

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsError) {
    EXPECT_EQ(ReadIniValue(path, "SETTING", "TASKICON"), "ERROR");
    Put("[SETTING]\r\nTASKICON=Y\r\n[LOCATION]\r\nLEFT=120\r\n");
    EXPECT_EQ(ReadIniValue(path, "SETTING", "TASKICON"), "Y");
    EXPECT_EQ(ReadIniValue(path, "OTHER", "TASKICON"), "ERROR");
    EXPECT_EQ(ReadIniValue(path, "SETTING", "TASKBAR"), "ERROR");
    EXPECT_EQ(ReadIniValue(path, "SETTING", "LEFT"), "ERROR") << "a key of another section";
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "LEFT"), "120");
    EXPECT_EQ(ReadIniSections(folder + "/none.ini"), std::vector<std::string>{});
}

TEST_F(IniFileTest, EmptyValueIsNotMissingAndErrorIsIndistinguishable) {
    Put("[S]\r\nEMPTY=\r\nBLANK=   \r\nLITERAL=ERROR\r\n");
    EXPECT_EQ(ReadIniValue(path, "S", "EMPTY"), "");
    EXPECT_EQ(ReadIniValue(path, "S", "BLANK"), "");
    EXPECT_EQ(ReadIniValue(path, "S", "LITERAL"), "ERROR");
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToAsciiCase) {
    Put("[Setting]\r\nTaskIcon=Y\r\n[\xC3\x84rger]\r\n\xC3\xA4=1\r\n");
    EXPECT_EQ(ReadIniValue(path, "SETTING", "TASKICON"), "Y");
    EXPECT_EQ(ReadIniValue(path, "setting", "taskicon"), "Y");
    // Non-ASCII letters compare exactly.
    if (SystemCodeSet() == kUtf8) {
        EXPECT_EQ(ReadIniValue(path, "\xC3\x84RGER", "\xC3\xA4"), "1");
        EXPECT_EQ(ReadIniValue(path, "\xC3\xA4rger", "\xC3\xA4"), "ERROR");
        EXPECT_EQ(ReadIniValue(path, "\xC3\x84rger", "\xC3\x84"), "ERROR");
    }
}

TEST_F(IniFileTest, TrimsWhiteSpaceAndOnePairOfQuotes) {
    Put("  [ LOCATION ]  \r\n\t LEFT \t=  1 2 3 \t\r\nD=\"a b\"\r\nS='x'\r\nSPACED=\" a \"\r\n"
        "HALF=\"x\r\nMIXED=\"x'\r\nNESTED=\"\"y\"\"\r\nLONE=\"\r\n");
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "LEFT"), "1 2 3");
    EXPECT_EQ(ReadIniValue(path, " LOCATION ", " LEFT "), "1 2 3");
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "D"), "a b");
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "S"), "x");
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "SPACED"), " a ");
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "HALF"), "\"x");
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "MIXED"), "\"x'");
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "NESTED"), "\"y\"");
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "LONE"), "\"");
}

TEST_F(IniFileTest, CommentsOtherLinesAndDuplicates) {
    Put("; [S] comment\r\n[S]\r\n;K=commented\r\njust text\r\n=no key\r\n[broken\r\nK=first\r\nk=second\r\n"
        "OTHER = a ; b\r\n[T]\r\nK=t\r\n[s]\r\nLATE=1\r\n");
    EXPECT_EQ(ReadIniValue(path, "S", "K"), "first");
    EXPECT_EQ(ReadIniValue(path, "S", "OTHER"), "a ; b") << "inline comments belong to the value";
    EXPECT_EQ(ReadIniValue(path, "S", "LATE"), "ERROR") << "only the first section of a name counts";
    EXPECT_EQ(ReadIniValue(path, "S", "just text"), "ERROR");
    EXPECT_EQ(ReadIniValue(path, "T", "K"), "t");
    EXPECT_EQ(ReadIniSections(path), (std::vector<std::string>{"S", "T"}));
}

TEST_F(IniFileTest, InlineCommentStripping) {
    Put("[0]\ndump = ST320410A--3.39.smart   ; skdump format\nbytes=;only a comment\n"
        "volumes = / /home\t;mounts\nname=a;b\nquoted = \"x ;y\" ; why\nfail=enable;\n");
    const auto strip = [&](const char* key) { return ReadIniValue(path, "0", key, InlineComments::Strip); };
    EXPECT_EQ(strip("dump"), "ST320410A--3.39.smart");
    EXPECT_EQ(strip("bytes"), "");
    EXPECT_EQ(strip("volumes"), "/ /home");
    EXPECT_EQ(strip("name"), "a;b") << "a ';' inside a word is no comment";
    EXPECT_EQ(strip("quoted"), "x ;y");
    EXPECT_EQ(strip("fail"), "enable;");
    EXPECT_EQ(ReadIniValue(path, "0", "dump"), "ST320410A--3.39.smart   ; skdump format");
}

TEST_F(IniFileTest, LineEndsAndByteOrderMark) {
    Put("[A]\r\nx=1\r\n[B]\ny=2\n[C]\rz=3\r");
    EXPECT_EQ(ReadIniValue(path, "A", "x"), "1");
    EXPECT_EQ(ReadIniValue(path, "B", "y"), "2");
    EXPECT_EQ(ReadIniValue(path, "C", "z"), "3");
    // A NUL byte ends a line too, so no value ever holds one.
    Put("[A]\r\nx=1\0[D]\0w=4"s);
    EXPECT_EQ(ReadIniValue(path, "A", "x"), "1");
    EXPECT_EQ(ReadIniValue(path, "D", "w"), "4");
    EXPECT_EQ(ReadIniSections(path), (std::vector<std::string>{"A", "D"}));

    Put("\xEF\xBB\xBF[S]\r\nk=v\r\n");
    EXPECT_EQ(ReadIniValue(path, "S", "k"), "v");
    ASSERT_TRUE(WriteIniValue(path, "S", "k", "w"));
    EXPECT_EQ(Get(), "\xEF\xBB\xBF[S]\r\nk=w\r\n");
}

// ---------------------------------------------------------------------------
// The 254-byte limit

TEST_F(IniFileTest, LongValuesAreStoredWholeAndReadCut) {
    const std::string ascii(300, 'a');
    ASSERT_TRUE(WriteIniValue(path, "S", "K", ascii));
    EXPECT_NE(Get().find(ascii), std::string::npos) << "the whole value is stored";
    EXPECT_EQ(ReadIniValue(path, "S", "K"), std::string(254, 'a'));
    ASSERT_TRUE(WriteIniValue(path, "S", "K", std::string(254, 'b')));
    EXPECT_EQ(ReadIniValue(path, "S", "K"), std::string(254, 'b'));
    ASSERT_TRUE(WriteIniValue(path, "S", "K", std::string(255, 'c')));
    EXPECT_EQ(ReadIniValue(path, "S", "K"), std::string(254, 'c'));
}

TEST_F(IniFileTest, CutNeverSplitsAUtf8Character) {
    const std::string e = "\xC3\xA9";      // 2 bytes
    const std::string a = "\xE3\x81\x82";  // 3 bytes
    const std::string g = "\xF0\x9F\x98\x80";  // 4 bytes
    Put("[S]\nTWO=" + std::string(253, 'x') + e + "\nTHREE=" + [&] {
        std::string s;
        for (int i = 0; i < 100; ++i) s += a;
        return s;
    }() + "\nFOUR=" + std::string(252, 'x') + g + "\nEXACT=" + std::string(252, 'x') + e + "z\n" +
        "BAD=" + std::string(253, 'x') + "\xFF\xFE\n");
    EXPECT_EQ(ReadIniValue(path, "S", "TWO", InlineComments::Keep, kUtf8), std::string(253, 'x'));
    std::string threes;
    for (int i = 0; i < 84; ++i) threes += a;  // 252 bytes; the 85th would end at byte 255
    EXPECT_EQ(ReadIniValue(path, "S", "THREE", InlineComments::Keep, kUtf8), threes);
    EXPECT_EQ(ReadIniValue(path, "S", "FOUR", InlineComments::Keep, kUtf8), std::string(252, 'x'));
    EXPECT_EQ(ReadIniValue(path, "S", "EXACT", InlineComments::Keep, kUtf8), std::string(252, 'x') + e);
    // A byte that is no character counts as one byte and reads as U+FFFD.
    EXPECT_EQ(ReadIniValue(path, "S", "BAD", InlineComments::Keep, kUtf8), std::string(253, 'x') + "\xEF\xBF\xBD");
}

// ---------------------------------------------------------------------------
// A double-byte code page

TEST_F(IniFileTest, ShiftJisFileRoundTripsAndCutsWholeCharacters) {
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC";  // two kanji
    ASSERT_TRUE(WriteIniValue(path, "S", "K", japanese, kShiftJis));
    EXPECT_EQ(Get(), "[S]\r\nK=\x93\xFA\x96\x7B\r\n") << "stored in the file's code page";
    EXPECT_EQ(ReadIniValue(path, "S", "K", InlineComments::Keep, kShiftJis), japanese);

    Put("[S]\r\nK=" + std::string(253, 'x') + "\x93\xFA\r\n");
    EXPECT_EQ(ReadIniValue(path, "S", "K", InlineComments::Keep, kShiftJis), std::string(253, 'x'));
    Put("[S]\r\nK=" + std::string(252, 'x') + "\x93\xFA" + "y\r\n");
    EXPECT_EQ(ReadIniValue(path, "S", "K", InlineComments::Keep, kShiftJis),
              std::string(252, 'x') + "\xE6\x97\xA5");
}

TEST_F(IniFileTest, ShiftJisSecondBytesAreNotLettersOrBrackets) {
    // 0x83 0x41 and 0x83 0x61 are two different katakana whose second bytes
    // happen to be "A" and "a"; they must not match each other.
    const std::string upper = ConvertToUtf8("\x83\x41", kShiftJis);
    const std::string lower = ConvertToUtf8("\x83\x61", kShiftJis);
    ASSERT_EQ(upper.find("\xEF\xBF\xBD"), std::string::npos);
    ASSERT_EQ(lower.find("\xEF\xBF\xBD"), std::string::npos);
    ASSERT_NE(upper, lower);
    Put("[S]\r\n\x83\x41=upper\r\n");
    EXPECT_EQ(ReadIniValue(path, "S", upper, InlineComments::Keep, kShiftJis), "upper");
    EXPECT_EQ(ReadIniValue(path, "S", lower, InlineComments::Keep, kShiftJis), "ERROR");
    ASSERT_TRUE(WriteIniValue(path, "S", lower, "lower", kShiftJis));
    EXPECT_EQ(Get(), "[S]\r\n\x83\x41=upper\r\n\x83\x61=lower\r\n");

    // A section name whose last character has "]" as its second byte.
    const std::string bracket = ConvertToUtf8("\x83\x5D", kShiftJis);
    ASSERT_EQ(bracket.find("\xEF\xBF\xBD"), std::string::npos);
    ASSERT_TRUE(WriteIniValue(path, bracket, "K", "v", kShiftJis));
    EXPECT_EQ(ReadIniValue(path, bracket, "K", InlineComments::Keep, kShiftJis), "v");
    EXPECT_EQ(ReadIniSections(path, kShiftJis), (std::vector<std::string>{"S", bracket}));
}

// ---------------------------------------------------------------------------
// Writing

TEST_F(IniFileTest, FirstWriteCreatesFileWithCrLf) {
    ASSERT_TRUE(WriteIniValue(path, "SETTING", "TASKICON", "Y"));
    EXPECT_EQ(Get(), "[SETTING]\r\nTASKICON=Y\r\n");
    ASSERT_TRUE(WriteIniValue(path, "SETTING", "TASKBAR", "N"));
    ASSERT_TRUE(WriteIniValue(path, "LOCATION", "LEFT", "1440"));
    EXPECT_EQ(Get(), "[SETTING]\r\nTASKICON=Y\r\nTASKBAR=N\r\n\r\n[LOCATION]\r\nLEFT=1440\r\n");
    EXPECT_EQ(ReadIniValue(path, "setting", "taskbar"), "N");
    EXPECT_EQ(ReadIniSections(path), (std::vector<std::string>{"SETTING", "LOCATION"}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, ReplacingKeepsEveryOtherByte) {
    const std::string before =
        "; written by hand\r\n[Location]\r\n  Left =  100   \r\nnot an entry\r\n"
        "[Setting]\r\nTaskIcon=\"Y\"\r\nTASKICON=shadowed\r\nStartMin=\r\n\r\n[Other]\r\nx=1";
    Put(before);
    ASSERT_TRUE(WriteIniValue(path, "LOCATION", "LEFT", "1500"));
    ASSERT_TRUE(WriteIniValue(path, "SETTING", "TASKICON", "N"));
    ASSERT_TRUE(WriteIniValue(path, "SETTING", "STARTMIN", "Y"));
    EXPECT_EQ(Get(),
              "; written by hand\r\n[Location]\r\n  Left =  1500   \r\nnot an entry\r\n"
              "[Setting]\r\nTaskIcon=N\r\nTASKICON=shadowed\r\nStartMin=Y\r\n\r\n[Other]\r\nx=1");
    // Writing the value that is already there changes nothing at all.
    struct stat first {};
    ASSERT_EQ(::stat(path.c_str(), &first), 0);
    ASSERT_TRUE(WriteIniValue(path, "Other", "X", "1"));
    struct stat second {};
    ASSERT_EQ(::stat(path.c_str(), &second), 0);
    EXPECT_EQ(first.st_ino, second.st_ino);
}

TEST_F(IniFileTest, AppendsAfterTheSectionsLastEntry) {
    Put("[A]\nx=1\n; about B\n\n[B]\ny=2\n\n\n");
    ASSERT_TRUE(WriteIniValue(path, "a", "new", "v"));
    ASSERT_TRUE(WriteIniValue(path, "B", "z", "3"));
    EXPECT_EQ(Get(), "[A]\nx=1\nnew=v\n; about B\n\n[B]\ny=2\nz=3\n\n\n") << "LF file stays LF";

    Put("[A]\n\n[B]\n");
    ASSERT_TRUE(WriteIniValue(path, "A", "k", "v"));
    EXPECT_EQ(Get(), "[A]\nk=v\n\n[B]\n");
}

TEST_F(IniFileTest, FileWithoutFinalLineBreak) {
    Put("[A]\r\nx=1");
    ASSERT_TRUE(WriteIniValue(path, "A", "y", "2"));
    EXPECT_EQ(Get(), "[A]\r\nx=1\r\ny=2\r\n");
    Put("[A]");
    ASSERT_TRUE(WriteIniValue(path, "A", "y", "2"));
    EXPECT_EQ(Get(), "[A]\r\ny=2\r\n");
    Put("[A]\nx=1");
    ASSERT_TRUE(WriteIniValue(path, "B", "y", "2"));
    EXPECT_EQ(Get(), "[A]\nx=1\n\n[B]\ny=2\n");
}

TEST_F(IniFileTest, ValuesReadBackExactlyAsWritten) {
    const std::vector<std::string> values = {
        "", "Y", "ERROR", " leading", "trailing\t", "  both  ", "\"quoted\"", "'single'", "\"", "\"half",
        "a ; b", "a=b=c", "[not a section]", ";not a comment", "\"\"", "' x '", "/ /media/disk two",
    };
    for (const auto& value : values) {
        ASSERT_TRUE(WriteIniValue(path, "S", "K", value)) << value;
        EXPECT_EQ(ReadIniValue(path, "S", "K"), value) << "[" << value << "] stored as " << Get();
    }
    EXPECT_EQ(ReadIniSections(path), std::vector<std::string>{"S"});
    if (SystemCodeSet() == kUtf8) {
        ASSERT_TRUE(WriteIniValue(path, "\xE8\xA8\xAD\xE5\xAE\x9A", "\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC 5"));
        EXPECT_EQ(ReadIniValue(path, "\xE8\xA8\xAD\xE5\xAE\x9A", "\xC3\xA9t\xC3\xA9"), "\xE2\x82\xAC 5");
    }
}

TEST_F(IniFileTest, KeysAndSectionsAreStoredTrimmed) {
    ASSERT_TRUE(WriteIniValue(path, "  S  ", "\tK ", "v"));
    EXPECT_EQ(Get(), "[S]\r\nK=v\r\n");
    EXPECT_EQ(ReadIniValue(path, "S", "K"), "v");
}

TEST_F(IniFileTest, KeepsPermissionsAndFollowsLinks) {
    Put("[S]\nk=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteIniValue(path, "S", "k", "2"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    const std::string link = folder + "/link.ini";
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteIniValue(link, "S", "k", "3"));
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
    EXPECT_EQ(ReadIniValue(path, "S", "k"), "3");
}

TEST_F(IniFileTest, NewFileGetsTheUsualPermissions) {
    const mode_t old = ::umask(022);
    const bool written = WriteIniValue(path, "S", "k", "1");
    ::umask(old);
    ASSERT_TRUE(written);
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
    for (const auto& key : badKeys) EXPECT_FALSE(WriteIniValue(path, "S", key, "v")) << key;
    EXPECT_FALSE(Exists());
    // ... and an existing file is left as it was.
    const std::string before = "[S]\r\nk=v\r\n";
    Put(before);
    for (const auto& key : badKeys) EXPECT_FALSE(WriteIniValue(path, "S", key, "v")) << key;
    for (const auto& section : badSections) EXPECT_FALSE(WriteIniValue(path, section, "k", "v")) << section;
    for (const auto& value : badValues) EXPECT_FALSE(WriteIniValue(path, "S", "k", value)) << value;
    EXPECT_EQ(Get(), before);
    EXPECT_EQ(ReadIniValue(path, "S", "a\nk"), "ERROR");
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, NeutralizedKeysAreSafeAndStable) {
    EXPECT_EQ(NeutralizeIniKey("ABC123-XYZ9"), "ABC123-XYZ9");
    EXPECT_EQ(NeutralizeIniKey(""), "_");
    EXPECT_EQ(NeutralizeIniKey("   "), "_");
    EXPECT_EQ(NeutralizeIniKey("a=b"), "a_b");
    EXPECT_EQ(NeutralizeIniKey("[x]"), "_x]");
    EXPECT_EQ(NeutralizeIniKey(";x"), "_x");
    EXPECT_EQ(NeutralizeIniKey("  ;x  "), "_x");
    EXPECT_EQ(NeutralizeIniKey("a\0b\r\n\tc\x7F"s), "a_b___c_");
    EXPECT_EQ(NeutralizeIniKey("a\xC2\x85" "b"), "a_b") << "C1 control";
    EXPECT_EQ(NeutralizeIniKey("\xC3\xA9"), "\xC3\xA9");
    EXPECT_EQ(NeutralizeIniKey("a\xFF"), "a\xEF\xBF\xBD") << "invalid UTF-8 becomes U+FFFD";

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
    ASSERT_TRUE(WriteIniValue(path, "SETTING", key, "/ /home"));
    EXPECT_EQ(ReadIniValue(path, "SETTING", key), "/ /home");
    EXPECT_EQ(Get(), "[SETTING]\r\n_WDC_WD10]_SERIAL=/ /home\r\n");
}

// ---------------------------------------------------------------------------
// Failures leave the file as it was

TEST_F(IniFileTest, FailedWriteLeavesOriginalAndNoTemporaryFile) {
    const std::string before = "[S]\r\nk=v\r\n";
    Put(before);
    // The file-size limit makes the write of the temporary file fail, even
    // for a privileged user.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteIniValue(path, "S", "k", std::string(200, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(written);
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
        written = WriteIniValue(path, "S", "k", "w");
    } else {
        // A privileged user can write anywhere: try as an ordinary user.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
            ::_exit(WriteIniValue(path, "S", "k", "w") ? 1 : 0);
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
    EXPECT_FALSE(WriteIniValue(folder + "/missing/Quillmoor.ini", "S", "k", "v"));
    EXPECT_FALSE(WriteIniValue("", "S", "k", "v"));
    // A folder, a FIFO with no writer and a device are no settings files.
    EXPECT_EQ(ReadIniValue(folder, "S", "k"), "ERROR");
    EXPECT_FALSE(WriteIniValue(folder, "S", "k", "v"));
    const std::string fifo = folder + "/fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadIniValue(fifo, "S", "k"), "ERROR");
    EXPECT_TRUE(ReadIniSections(fifo).empty());
    EXPECT_FALSE(WriteIniValue(fifo, "S", "k", "v"));
    struct stat info {};
    ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(ReadIniValue("/dev/zero", "S", "k"), "ERROR");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"fifo.ini"}));
}

TEST_F(IniFileTest, UnreadableFileIsNeverReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "a privileged user can read any file";
    Put("[S]\r\nk=v\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    EXPECT_EQ(ReadIniValue(path, "S", "k"), "ERROR");
    EXPECT_FALSE(WriteIniValue(path, "S", "k", "w"));
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(Get(), "[S]\r\nk=v\r\n");
}

// ---------------------------------------------------------------------------
// Garbage files

TEST_F(IniFileTest, OversizedFileReadsMissingAndIsNotRewritten) {
    std::string big = "[S]\nk=v\n";
    big.resize(kIniFileLimit + 1, 'x');
    Put(big);
    EXPECT_EQ(ReadIniValue(path, "S", "k"), "ERROR");
    EXPECT_TRUE(ReadIniSections(path).empty());
    EXPECT_FALSE(WriteIniValue(path, "S", "k", "w"));
    EXPECT_EQ(Get().size(), big.size());
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, HugeLinesAndManyLines) {
    const auto start = std::chrono::steady_clock::now();
    // One 10 MB line without a line break.
    std::string line = "[S]\nk=" + std::string(10 * 1024 * 1024, 'v');
    Put(line);
    EXPECT_EQ(ReadIniValue(path, "S", "k"), std::string(254, 'v'));
    ASSERT_TRUE(WriteIniValue(path, "S", "k", "short"));
    EXPECT_EQ(Get(), "[S]\nk=short");
    // Millions of tiny sections and empty lines.
    std::string many;
    for (int i = 0; i < 1000000; ++i) many += i % 2 ? "\n" : "[a]\n";
    many += "[b]\nk=1\n";
    Put(many);
    EXPECT_EQ(ReadIniValue(path, "B", "K"), "1");
    EXPECT_EQ(ReadIniSections(path), (std::vector<std::string>{"a", "b"}));
    ASSERT_TRUE(WriteIniValue(path, "a", "k", "2"));
    EXPECT_EQ(ReadIniValue(path, "A", "K"), "2");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST_F(IniFileTest, RandomBytesNeverBreakReadsOrWrites) {
    std::mt19937 random(2024);
    const std::string alphabet = "[]=; \t\r\n\"'abAB\xC3\xA9\xFF\0"s;
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 600, '\0');
        const bool structured = round % 2 == 0;
        for (char& c : bytes) {
            c = structured ? alphabet[random() % alphabet.size()] : static_cast<char>(random() % 256);
        }
        Put(bytes);
        for (const auto* codeSet : {&kUtf8, &kShiftJis}) {
            const std::string before = Get();
            for (const auto* section : {"a", "A", "b"}) {
                for (const auto* key : {"a", "b"}) {
                    const std::string value = ReadIniValue(path, section, key, InlineComments::Keep, *codeSet);
                    EXPECT_EQ(value.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
                    ReadIniValue(path, section, key, InlineComments::Strip, *codeSet);
                }
            }
            ReadIniSections(path, *codeSet);
            ASSERT_EQ(Get(), before) << "a read never changes the file";
            ASSERT_TRUE(WriteIniValue(path, "A", "b", "written", *codeSet)) << round;
            ASSERT_EQ(ReadIniValue(path, "a", "B", InlineComments::Keep, *codeSet), "written") << round;
            ASSERT_TRUE(WriteIniValue(path, "new section", "k", " v ", *codeSet)) << round;
            ASSERT_EQ(ReadIniValue(path, "NEW SECTION", "K", InlineComments::Keep, *codeSet), " v ") << round;
            ASSERT_EQ(ReadIniValue(path, "a", "B", InlineComments::Keep, *codeSet), "written") << round;
        }
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, FileOfNulBytes) {
    Put(std::string(4096, '\0'));
    EXPECT_EQ(ReadIniValue(path, "S", "k"), "ERROR");
    ASSERT_TRUE(WriteIniValue(path, "S", "k", "v"));
    EXPECT_EQ(ReadIniValue(path, "S", "k"), "v");
    EXPECT_EQ(Get().substr(0, 4096), std::string(4096, '\0')) << "existing bytes are kept";
}


// ---------------------------------------------------------------------------
// Several keys in one write, and the cause of a failed write

using KeyValues = std::vector<std::pair<std::string, std::string>>;

TEST_F(IniFileTest, ManyKeysInOneWriteGiveTheSameBytesAsOneByOne) {
    const std::string before =
        "; by hand\r\n[Location]\r\n  Left =  100   \r\nTOP=5\r\n\r\n[Setting]\r\nTASKICON=Y\r\n";
    const KeyValues entries = {{"LEFT", "1500"}, {"TOP", "-120"}, {"WIDTH", "11790"}, {"HEIGHT", " 7000 "}};
    Put(before);
    for (const auto& [key, value] : entries) ASSERT_TRUE(WriteIniValue(path, "LOCATION", key, value));
    const std::string oneByOne = Get();
    Put(before);
    struct stat old {};
    ASSERT_EQ(::stat(path.c_str(), &old), 0);
    ASSERT_TRUE(WriteIniValues(path, "LOCATION", entries));
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
    ASSERT_TRUE(WriteIniValues(path, "LOCATION", KeyValues{{"LEFT", "1"}, {"TOP", "2"}, {"left", "3"}}));
    EXPECT_EQ(Get(), "[LOCATION]\r\nLEFT=3\r\nTOP=2\r\n");
    ASSERT_TRUE(WriteIniValues(path, "ドライブ", KeyValues{{"型式", "ハードディスク"}}, kShiftJis));
    EXPECT_EQ(ReadIniValue(path, "ドライブ", "型式", InlineComments::Keep, kShiftJis), "ハードディスク");
    EXPECT_EQ(Get().find("\xE5\x9E\x8B"), std::string::npos) << "stored in the file's code set";
}

TEST_F(IniFileTest, AWriteOfManyKeysThatChangesNothingLeavesTheFileAlone) {
    Put("[LOCATION]\nLEFT=1\nTOP=2\n");
    struct stat old {};
    ASSERT_EQ(::stat(path.c_str(), &old), 0);
    ASSERT_TRUE(WriteIniValues(path, "location", KeyValues{{"left", "1"}, {"TOP", "2"}}));
    ASSERT_TRUE(WriteIniValues(path, "LOCATION", KeyValues{}));
    // Two changes that cancel out are no change either.
    ASSERT_TRUE(WriteIniValues(path, "LOCATION", KeyValues{{"LEFT", "9"}, {"LEFT", "1"}}));
    struct stat now {};
    ASSERT_EQ(::stat(path.c_str(), &now), 0);
    EXPECT_EQ(now.st_ino, old.st_ino);
    EXPECT_EQ(Get(), "[LOCATION]\nLEFT=1\nTOP=2\n");

    // An empty batch does not create a missing file.
    ::unlink(path.c_str());
    ASSERT_TRUE(WriteIniValues(path, "LOCATION", KeyValues{}));
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
        errno = 0;
        EXPECT_FALSE(WriteIniValues(path, "LOCATION", batch));
        EXPECT_EQ(errno, EINVAL);
        EXPECT_EQ(Get(), before);
    }
    errno = 0;
    EXPECT_FALSE(WriteIniValues(path, "LOC]ATION", KeyValues{{"LEFT", "2"}}));
    EXPECT_EQ(errno, EINVAL);
    ::unlink(path.c_str());
    EXPECT_FALSE(WriteIniValues(path, "LOCATION", KeyValues{{"LEFT", "2"}, {"TOP", "\n"}}));
    EXPECT_FALSE(Exists()) << "a refused batch creates nothing";
}

TEST_F(IniFileTest, AFailedBatchStoresNoneOfItsEntries) {
    const std::string before = "[S]\r\na=1\r\n";
    Put(before);
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    errno = 0;
    const bool written = WriteIniValues(path, "S", KeyValues{{"a", "2"}, {"b", std::string(200, 'x')}});
    const int error = errno;
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, EFBIG) << "the error of the write that failed, not of the cleanup after it";
    EXPECT_EQ(Get(), before);
    EXPECT_EQ(ReadIniValue(path, "S", "a"), "1");
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, AFailedWriteLeavesItsCauseInErrno) {
    const auto failure = [](const std::function<bool()>& write) {
        errno = 0;
        const bool written = write();
        return written ? -1 : errno;
    };
    EXPECT_EQ(failure([&] { return WriteIniValue(folder + "/missing/Quillmoor.ini", "S", "k", "v"); }), ENOENT);
    EXPECT_EQ(failure([&] { return WriteIniValue(folder, "S", "k", "v"); }), EISDIR);
    EXPECT_EQ(failure([&] { return WriteIniValue(path, "S", "k\n", "v"); }), EINVAL);
    EXPECT_EQ(failure([&] { return WriteIniValue("", "S", "k", "v"); }), EINVAL);
    const std::string fifo = folder + "/fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(failure([&] { return WriteIniValues(fifo, "S", KeyValues{{"k", "v"}}); }), EINVAL);
    std::string big = "[S]\nk=v\n";
    big.resize(kIniFileLimit + 1, 'x');
    Put(big);
    EXPECT_EQ(failure([&] { return WriteIniValues(path, "S", KeyValues{{"k", "w"}}); }), EFBIG);
    Put("[S]\nk=" + std::string(kIniFileLimit - 8, 'v') + "\n");
    EXPECT_EQ(failure([&] { return WriteIniValue(path, "S", "k2", std::string(64, 'w')); }), EFBIG)
        << "a result beyond the limit";

    // An unwritable folder: EACCES, tried as an ordinary user when privileged.
    Put("[S]\r\nk=v\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    int error = 0;
    if (::geteuid() != 0) {
        error = failure([&] { return WriteIniValues(path, "S", KeyValues{{"k", "w"}}); });
    } else {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(255);
            errno = 0;
            const bool written = WriteIniValues(path, "S", KeyValues{{"k", "w"}});
            ::_exit(written ? 254 : (errno & 0xFF));
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
