// Reading the settings file: the profile-function behaviour (names, white
// space, quotes, comments, line ends), the 254-byte limit, a double-byte code
// page, and files of garbage.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "tests/ini/ini_test_support.h"

namespace qm {
namespace {

using namespace std::string_literals;
using test::IniFileTest;
using test::kShiftJis;
using test::kUtf8;

// ---------------------------------------------------------------------------
// Reading

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsError) {
    EXPECT_EQ(ReadIniValue(path, "SETTING", "TASKICON"), std::nullopt);
    Put("[SETTING]\r\nTASKICON=Y\r\n[LOCATION]\r\nLEFT=120\r\n");
    EXPECT_EQ(ReadIniValue(path, "SETTING", "TASKICON"), "Y");
    EXPECT_EQ(ReadIniValue(path, "OTHER", "TASKICON"), std::nullopt);
    EXPECT_EQ(ReadIniValue(path, "SETTING", "TASKBAR"), std::nullopt);
    EXPECT_EQ(ReadIniValue(path, "SETTING", "LEFT"), std::nullopt) << "a key of another section";
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "LEFT"), "120");
    EXPECT_EQ(test::Names(ReadIniSections(folder + "/none.ini")), std::vector<std::string>{});
}

TEST_F(IniFileTest, EmptyValueIsNotMissingAndTheTextErrorIsAValue) {
    Put("[S]\r\nEMPTY=\r\nBLANK=   \r\nLITERAL=ERROR\r\n");
    EXPECT_EQ(ReadIniValue(path, "S", "EMPTY"), "");
    EXPECT_EQ(ReadIniValue(path, "S", "BLANK"), "");
    EXPECT_EQ(ReadIniValue(path, "S", "LITERAL"), "ERROR");  // the settings module gives it its meaning
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToAsciiCase) {
    Put("[Setting]\r\nTaskIcon=Y\r\n[\xC3\x84rger]\r\n\xC3\xA4=1\r\n");
    EXPECT_EQ(ReadIniValue(path, "SETTING", "TASKICON"), "Y");
    EXPECT_EQ(ReadIniValue(path, "setting", "taskicon"), "Y");
    // Non-ASCII letters compare exactly.
    if (SystemCodeSet() == kUtf8) {
        EXPECT_EQ(ReadIniValue(path, "\xC3\x84RGER", "\xC3\xA4"), "1");
        EXPECT_EQ(ReadIniValue(path, "\xC3\xA4rger", "\xC3\xA4"), std::nullopt);
        EXPECT_EQ(ReadIniValue(path, "\xC3\x84rger", "\xC3\x84"), std::nullopt);
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
    EXPECT_EQ(ReadIniValue(path, "S", "LATE"), std::nullopt) << "only the first section of a name counts";
    EXPECT_EQ(ReadIniValue(path, "S", "just text"), std::nullopt);
    EXPECT_EQ(ReadIniValue(path, "T", "K"), "t");
    EXPECT_EQ(ReadIniSections(path), (std::vector<IniSectionName>{{"S", 2}, {"T", 1}})) << "[s] repeats [S]";
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
    EXPECT_EQ(test::Names(ReadIniSections(path)), (std::vector<std::string>{"A", "D"}));

    Put("\xEF\xBB\xBF[S]\r\nk=v\r\n");
    EXPECT_EQ(ReadIniValue(path, "S", "k"), "v");
    ASSERT_FALSE(WriteIniValue(path, "S", "k", "w"));
    EXPECT_EQ(Get(), "\xEF\xBB\xBF[S]\r\nk=w\r\n");
}

// ---------------------------------------------------------------------------
// The 254-byte limit

TEST_F(IniFileTest, LongValuesAreStoredWholeAndReadCut) {
    const std::string ascii(300, 'a');
    ASSERT_FALSE(WriteIniValue(path, "S", "K", ascii));
    EXPECT_NE(Get().find(ascii), std::string::npos) << "the whole value is stored";
    EXPECT_EQ(ReadIniValue(path, "S", "K"), std::string(254, 'a'));
    ASSERT_FALSE(WriteIniValue(path, "S", "K", std::string(254, 'b')));
    EXPECT_EQ(ReadIniValue(path, "S", "K"), std::string(254, 'b'));
    ASSERT_FALSE(WriteIniValue(path, "S", "K", std::string(255, 'c')));
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
    ASSERT_FALSE(WriteIniValue(path, "S", "K", japanese, kShiftJis));
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
    EXPECT_EQ(ReadIniValue(path, "S", lower, InlineComments::Keep, kShiftJis), std::nullopt);
    ASSERT_FALSE(WriteIniValue(path, "S", lower, "lower", kShiftJis));
    EXPECT_EQ(Get(), "[S]\r\n\x83\x41=upper\r\n\x83\x61=lower\r\n");

    // A section name whose last character has "]" as its second byte.
    const std::string bracket = ConvertToUtf8("\x83\x5D", kShiftJis);
    ASSERT_EQ(bracket.find("\xEF\xBF\xBD"), std::string::npos);
    ASSERT_FALSE(WriteIniValue(path, bracket, "K", "v", kShiftJis));
    EXPECT_EQ(ReadIniValue(path, bracket, "K", InlineComments::Keep, kShiftJis), "v");
    EXPECT_EQ(test::Names(ReadIniSections(path, kShiftJis)), (std::vector<std::string>{"S", bracket}));
}

// A comment after a section header may hold "]" itself: the name ends at the
// first "]" that is a character of its own, and the rest of the line is not
// part of it.
TEST_F(IniFileTest, SectionNameEndsAtTheFirstClosingBracket) {
    Put("[SETTING] ; options [Y/N]\r\nTASKICON=Y\r\n[LOCATION];left]\r\nLEFT=1\r\n");
    EXPECT_EQ(ReadIniValue(path, "SETTING", "TASKICON"), "Y");
    EXPECT_EQ(ReadIniValue(path, "LOCATION", "LEFT"), "1");
    EXPECT_EQ(test::Names(ReadIniSections(path)), (std::vector<std::string>{"SETTING", "LOCATION"}));
    ASSERT_FALSE(WriteIniValue(path, "SETTING", "TASKBAR", "N"));
    EXPECT_EQ(Get(), "[SETTING] ; options [Y/N]\r\nTASKICON=Y\r\nTASKBAR=N\r\n[LOCATION];left]\r\nLEFT=1\r\n")
        << "the write finds the section instead of adding another";

    // In Shift_JIS, 0x5D can be the second byte of a character inside the name.
    const std::string bracket = ConvertToUtf8("\x83\x5D", kShiftJis);
    Put("[\x83\x5D] ; [x]\r\nK=v\r\n[\x83\x5D\x83\x5D]\r\nK=w\r\n");
    EXPECT_EQ(ReadIniValue(path, bracket, "K", InlineComments::Keep, kShiftJis), "v");
    EXPECT_EQ(ReadIniValue(path, bracket + bracket, "K", InlineComments::Keep, kShiftJis), "w");
    EXPECT_EQ(test::Names(ReadIniSections(path, kShiftJis)), (std::vector<std::string>{bracket, bracket + bracket}));
}


// ---------------------------------------------------------------------------
// Garbage files

TEST_F(IniFileTest, OversizedFileReadsMissingAndIsNotRewritten) {
    std::string big = "[S]\nk=v\n";
    big.resize(kIniFileLimit + 1, 'x');
    Put(big);
    EXPECT_EQ(ReadIniValue(path, "S", "k"), std::nullopt);
    EXPECT_TRUE(ReadIniSections(path).empty());
    EXPECT_TRUE(WriteIniValue(path, "S", "k", "w"));
    EXPECT_EQ(Get().size(), big.size());
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, HugeLinesAndManyLines) {
    const auto start = std::chrono::steady_clock::now();
    // One 10 MB line without a line break.
    std::string line = "[S]\nk=" + std::string(10 * 1024 * 1024, 'v');
    Put(line);
    EXPECT_EQ(ReadIniValue(path, "S", "k"), std::string(254, 'v'));
    ASSERT_FALSE(WriteIniValue(path, "S", "k", "short"));
    EXPECT_EQ(Get(), "[S]\nk=short");
    // Millions of tiny sections and empty lines.
    std::string many;
    for (int i = 0; i < 1000000; ++i) many += i % 2 ? "\n" : "[a]\n";
    many += "[b]\nk=1\n";
    Put(many);
    EXPECT_EQ(ReadIniValue(path, "B", "K"), "1");
    EXPECT_EQ(ReadIniSections(path), (std::vector<IniSectionName>{{"a", 500000}, {"b", 1}}));
    ASSERT_FALSE(WriteIniValue(path, "a", "k", "2"));
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
                    const std::string value =
                        ReadIniValue(path, section, key, InlineComments::Keep, *codeSet).value_or("");
                    EXPECT_EQ(value.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
                    ReadIniValue(path, section, key, InlineComments::Strip, *codeSet);
                }
            }
            ReadIniSections(path, *codeSet);
            ASSERT_EQ(Get(), before) << "a read never changes the file";
            ASSERT_FALSE(WriteIniValue(path, "A", "b", "written", *codeSet)) << round;
            ASSERT_EQ(ReadIniValue(path, "a", "B", InlineComments::Keep, *codeSet), "written") << round;
            ASSERT_FALSE(WriteIniValue(path, "new section", "k", " v ", *codeSet)) << round;
            ASSERT_EQ(ReadIniValue(path, "NEW SECTION", "K", InlineComments::Keep, *codeSet), " v ") << round;
            ASSERT_EQ(ReadIniValue(path, "a", "B", InlineComments::Keep, *codeSet), "written") << round;
        }
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"Quillmoor.ini"});
}

TEST_F(IniFileTest, FileOfNulBytes) {
    Put(std::string(4096, '\0'));
    EXPECT_EQ(ReadIniValue(path, "S", "k"), std::nullopt);
    ASSERT_FALSE(WriteIniValue(path, "S", "k", "v"));
    EXPECT_EQ(ReadIniValue(path, "S", "k"), "v");
    EXPECT_EQ(Get().substr(0, 4096), std::string(4096, '\0')) << "existing bytes are kept";
}

}  // namespace
}  // namespace qm
