#include <gtest/gtest.h>

#include "base/Exception.h"
#include "platform/CodePage.h"

using namespace platform;

TEST(CodePage, RoundTripsGbkAndCharactersOutsideIt) {
    std::string utf8 = "中文 O'Brien 😀 ä";
    std::string bytes = Utf8ToCodePage(utf8, TConversion::Strict);
    EXPECT_EQ(bytes.substr(0, 4), "\xD6\xD0\xCE\xC4"); // GBK bytes for the Chinese pair
    EXPECT_EQ(CodePageToUtf8(bytes, TConversion::Strict), utf8);
    EXPECT_FALSE(IsGbkCompatible(bytes)); // the emoji needs four bytes
    EXPECT_TRUE(IsGbkCompatible("\xD6\xD0\xCE\xC4 abc"));
    std::u16string wide = CodePageToUtf16(bytes, TConversion::Strict);
    EXPECT_EQ(Utf16ToCodePage(wide, TConversion::Strict), bytes);
    EXPECT_EQ(Utf16ToUtf8(wide, TConversion::Strict), utf8);
    EXPECT_EQ(Utf8ToUtf16(utf8, TConversion::Strict), wide);
}

TEST(CodePage, StrictRejectsAndLenientReplaces) {
    std::string halfCharacter = "ab\xD6";
    EXPECT_THROW(CodePageToUtf8(halfCharacter, TConversion::Strict), EEncodingError);
    EXPECT_EQ(CodePageToUtf8(halfCharacter, TConversion::Lenient), "ab\xEF\xBF\xBD");
    EXPECT_THROW(Utf8ToCodePage("a\xFF", TConversion::Strict), EEncodingError);
    EXPECT_THROW(Utf16ToCodePage(u"a\xD800", TConversion::Strict), EEncodingError);
    EXPECT_EQ(CodePageToUtf8("\xFFx", TConversion::Lenient), "\xEF\xBF\xBDx");
}

TEST(CodePage, CharacterLengthsFollowGb18030) {
    std::string text = "a\x95\x5C\x81\x30\x81\x30\xFF";
    EXPECT_EQ(CodePageCharLength(text, 0), 1);
    EXPECT_EQ(CodePageCharLength(text, 1), 2); // trail byte 0x5C is not a backslash here
    EXPECT_EQ(CodePageCharLength(text, 3), 4);
    EXPECT_EQ(CodePageCharLength(text, 7), 0);
    EXPECT_EQ(CodePageCharLength("\xD6", 0), 0);
}
