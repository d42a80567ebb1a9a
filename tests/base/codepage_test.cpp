// Text conversion between the system code page and the program's UTF-8.
#include <gtest/gtest.h>

#include "base/codepage.h"

namespace qm {
namespace {

TEST(CodePageTest, Utf8PassesThroughAndInvalidBytesBecomeReplacements) {
    EXPECT_EQ(SanitizeUtf8("abc"), "abc");
    EXPECT_EQ(SanitizeUtf8("現在の温度"), "現在の温度");
    EXPECT_EQ(SanitizeUtf8(std::string("a\xFF" "b", 3)), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(SanitizeUtf8(std::string("\xE7\x8F", 2)), "\xEF\xBF\xBD\xEF\xBF\xBD");  // cut character
    EXPECT_EQ(SanitizeUtf8(std::string("\xED\xA0\x80", 3)).find("\xED"), std::string::npos);  // surrogate
    EXPECT_EQ(SanitizeUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    // Long ASCII runs are checked eight bytes at a time: a bad byte in any place of a run is found.
    const std::string ascii = "0123456789abcdefghij";
    for (std::size_t at = 0; at <= ascii.size(); ++at) {
        std::string bad = ascii;
        bad.insert(at, "\xFF");
        std::string replaced = ascii;
        replaced.insert(at, "\xEF\xBF\xBD");
        EXPECT_EQ(SanitizeUtf8(bad), replaced) << at;
        EXPECT_EQ(ToSystemCodePage(bad), ascii.substr(0, at) + "?" + ascii.substr(at)) << at;
    }
    EXPECT_EQ(SanitizeUtf8(ascii + "現在"), ascii + "現在");
}

TEST(CodePageTest, ShiftJisRoundTrip) {
    const std::string sjis = ConvertFromUtf8("属性ID,属性名", "SHIFT_JIS");
    EXPECT_EQ(sjis, "\x91\xae\x90\xab" "ID,\x91\xae\x90\xab\x96\xbc");
    EXPECT_EQ(ConvertToUtf8(sjis, "SHIFT_JIS"), "属性ID,属性名");
    // A character Shift-JIS cannot hold, and invalid UTF-8, become "?".
    EXPECT_EQ(ConvertFromUtf8("a\xF0\x9F\x98\x80z", "SHIFT_JIS"), "a?z");
    EXPECT_EQ(ConvertFromUtf8(std::string("a\xFFz"), "SHIFT_JIS"), "a?z");
    // A lone lead byte does not stop the conversion.
    EXPECT_EQ(ConvertToUtf8(std::string("A\x81"), "SHIFT_JIS"), "A\xEF\xBF\xBD");
}

TEST(CodePageTest, AsciiCharacterFoundOnlyAsACharacterOfItsOwn) {
    // 0x83 0x5D is one Shift_JIS character whose second byte is "]".
    EXPECT_EQ(FindAsciiCharacter("[\x83\x5D]x]", ']', "SHIFT_JIS"), 3u);
    EXPECT_EQ(FindAsciiCharacter("\x83\x5D", ']', "SHIFT_JIS"), std::string_view::npos);
    EXPECT_EQ(FindAsciiCharacter("\xFF]", ']', "SHIFT_JIS"), 1u);  // a byte that is no character stands alone
    EXPECT_EQ(FindAsciiCharacter("\xE3\x81\x82]", ']', "UTF-8"), 3u);
    EXPECT_EQ(FindAsciiCharacter("abc", ']', "UTF-8"), std::string_view::npos);
}

TEST(CodePageTest, PlainLocaleCountsAsUtf8) {
    // The tests run under the C locale (or a UTF-8 one): Japanese text must survive.
    EXPECT_EQ(ToSystemCodePage("生の値"), "生の値");
    EXPECT_EQ(FromSystemCodePage(std::string_view("生の値")), "生の値");
}

TEST(CodePageTest, LocaleNamesThatSettleTheCodeSet) {
    for (const char* name : {"", "C", "POSIX", "C.UTF-8", "ja_JP.UTF-8", "ja_JP.utf8", "en_US.UTF-8@euro"}) {
        EXPECT_EQ(CodeSetOfLocaleName(name), "UTF-8") << name;
    }
    // The locale itself must be asked.
    for (const char* name : {"ja_JP", "ja_JP.eucJP", "ja_JP.SJIS", "C.UTF-16", "/opt/locales/x.UTF-8", "de_DE@euro"}) {
        EXPECT_EQ(CodeSetOfLocaleName(name), std::nullopt) << name;
    }
}

// Conversion descriptors are kept between calls: every call must start from
// the initial state, whatever the call before left behind.
TEST(CodePageTest, EachConversionStartsAfreshWhateverTheLastOneLeft) {
    const std::string jis = ConvertFromUtf8("日本", "ISO-2022-JP");  // shifts in and back out
    EXPECT_EQ(ConvertFromUtf8("日本", "ISO-2022-JP"), jis);
    EXPECT_EQ(ConvertToUtf8(jis, "ISO-2022-JP"), "日本");
    // A cut that leaves the decoder shifted to double-byte characters, a cut
    // ending inside a character, a search stopped inside a string and a
    // conversion of broken input leave nothing behind for the next call.
    EXPECT_EQ(CodePageCut("\x1B$BF|", 3, "ISO-2022-JP"), 3u);
    EXPECT_EQ(ConvertToUtf8("AB", "ISO-2022-JP"), "AB");
    EXPECT_EQ(CodePageCut("a\x83\x5D", 2, "SHIFT_JIS"), 1u);
    EXPECT_EQ(ConvertToUtf8("\x83\x5D", "SHIFT_JIS"), "ゾ");
    EXPECT_EQ(FindAsciiCharacter("]\x83", ']', "SHIFT_JIS"), 0u);
    EXPECT_EQ(FindAsciiCharacter("\x83\x5D]", ']', "SHIFT_JIS"), 2u);
    EXPECT_EQ(ConvertToUtf8("\x81", "SHIFT_JIS"), "\xEF\xBF\xBD");
    EXPECT_EQ(ConvertToUtf8("\x83\x5D", "SHIFT_JIS"), "ゾ");
    EXPECT_EQ(ConvertToUtf8("x", "NO-SUCH-CODE-SET"), "x");  // no converter: the bytes as they are
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST(DisplayTextTest, ControlCharactersBecomeQuestionMarks) {
    EXPECT_EQ(DisplayText("QM-HD1000A"), "QM-HD1000A");
    EXPECT_EQ(DisplayText("現在の温度"), "現在の温度");
    EXPECT_EQ(DisplayText(std::string("a\0b\r\n\t\x1b[2J\x7f", 11)), "a?b????[2J?");
    EXPECT_EQ(DisplayText("x\xC2\x9B" "1m\xC2\x85y"), "x?1m?y");   // C1: CSI and NEL
    EXPECT_EQ(DisplayText("\xC2\xA0\xC2\xBF"), "\xC2\xA0\xC2\xBF");   // U+00A0, U+00BF stay
    EXPECT_EQ(DisplayText("<img src=/dev/zero>"), "<img src=/dev/zero>");  // markup is the window's business
}

// Line and paragraph separators would add lines to a tooltip; direction
// marks, embeddings, overrides and isolates would reverse the text around a
// drive's model. Each becomes "?", like a control character.
TEST(DisplayTextTest, LineSeparatorsAndDirectionControlsBecomeQuestionMarks) {
    EXPECT_EQ(DisplayText("a\u2028b\u2029c"), "a?b?c");
    EXPECT_EQ(DisplayText("\u200E\u200F\u061C"), "???");
    EXPECT_EQ(DisplayText("QM\u202Aa\u202Bb\u202Cc\u202Dd\u202Ee"), "QM?a?b?c?d?e");  // LRE RLE PDF LRO RLO
    EXPECT_EQ(DisplayText("\u2066x\u2067y\u2068z\u2069"), "?x?y?z?");                // LRI RLI FSI PDI
    // Their neighbours stay: zero-width joiners, the dashes, Arabic letters, ellipsis.
    EXPECT_EQ(DisplayText("\u200C\u200D\u2010\u2027\u202F\u2065\u206A\u061B\u061D"),
              "\u200C\u200D\u2010\u2027\u202F\u2065\u206A\u061B\u061D");
}

}  // namespace
}  // namespace qm
