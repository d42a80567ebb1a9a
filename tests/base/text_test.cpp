// The shared trim and letter-case helpers.
#include <gtest/gtest.h>

#include "base/text.h"

namespace qm {
namespace {

TEST(TextTest, TrimBlanksTakesOnlyU0020) {
    EXPECT_EQ(TrimBlanks("  QM-HD1000A      "), "QM-HD1000A");
    EXPECT_EQ(TrimBlanks("\tA B\t"), "\tA B\t");  // identity padding is blanks only
    EXPECT_EQ(TrimBlanks("    "), "");
    EXPECT_EQ(TrimBlanks(""), "");
}

TEST(TextTest, TrimTakesTheGivenCharacters) {
    EXPECT_EQ(Trim(" \t\v\f\r\n 8:1 \n"), "8:1");
    EXPECT_EQ(Trim(" a b "), "a b");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Trim("--x--", "-"), "x");
    EXPECT_EQ(Trim(std::string_view("\0x\0", 3)), std::string_view("\0x\0", 3));  // NUL is no white space
}

TEST(TextTest, OnlyAsciiLettersIgnoreCase) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Setting", "SETTING"));
    EXPECT_TRUE(EqualsIgnoringAsciiCase("9x", "9X"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("open", "open "));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\xA4", "\xC3\x84"));  // ä and Ä differ
    EXPECT_FALSE(EqualsIgnoringAsciiCase("@", "`"));                // 0x40 and 0x60 are no letters
    EXPECT_EQ(AsciiLowered("TaskIcon-\xC3\x84"), "taskicon-\xC3\x84");
}

}  // namespace
}  // namespace qm
