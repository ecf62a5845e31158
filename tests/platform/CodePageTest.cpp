#include <gtest/gtest.h>

#include "base/Exception.h"
#include "platform/CodePage.h"

using namespace platform;

TEST(CodePage, RoundTripsGbkAndCharactersOutsideIt) {
    std::string utf8 = "中文 O'Brien 😀 ä";
    std::string bytes = Utf8ToCodePage(utf8, TConversion::Strict);
    EXPECT_EQ(bytes.substr(0, 4), "\xD6\xD0\xCE\xC4"); // GBK bytes for the Chinese pair
    EXPECT_EQ(CodePageToUtf8(bytes, TConversion::Strict), utf8);
    EXPECT_NE(FindGbkGap(bytes), std::string::npos); // the emoji needs four bytes
    EXPECT_EQ(FindGbkGap("\xD6\xD0\xCE\xC4 abc"), std::string::npos);
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

// The edges of every GB18030 byte range, one byte inside and one outside.
TEST(CodePage, CharacterLengthsAtTheEdgesOfEachByteRange) {
    const struct {
        const char* Bytes;
        int Length;
    } cases[] = {
        {"\x7F", 1},
        {"\x80\x40", 0},
        {"\x81\x40", 2},
        {"\x81\x3F", 0},
        {"\x81\x7E", 2},
        {"\x81\x7F", 0},
        {"\x81\x80", 2},
        {"\x81\xFE", 2},
        {"\x81\xFF", 0},
        {"\xFE\x40", 2},
        {"\xFF\x40", 0},
        {"\x81\x30\x81\x30", 4},
        {"\x84\x31\xA4\x39", 4},
        {"\xFE\x39\xFE\x39", 4},
        {"\x81\x30\x80\x30", 0},
        {"\x81\x30\xFF\x30", 0},
        {"\x81\x30\x81\x2F", 0},
        {"\x81\x30\x81\x3A", 0},
        {"\x81\x2F\x81\x30", 0},
        {"\x81\x3A\x81\x30", 0},
        {"\x81\x30\x81", 0},
        {"\x81", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodePageCharLength(c.Bytes, 0), c.Length)
            << testing::PrintToString(std::string(c.Bytes));
    EXPECT_EQ(CodePageCharLength("ab", 2), 0);
    EXPECT_EQ(CodePageCharLength(std::string_view("a\0b", 3), 1), 1);
}

// Latin-1 letters are two-byte characters in the code page, never their single Latin-1 byte;
// broken UTF-16 is drawn as the replacement character, not dropped.
TEST(CodePage, LatinLettersTakeTwoBytesAndLenientUtf16ReplacesLoneSurrogates) {
    EXPECT_EQ(Utf8ToCodePage("é°×", TConversion::Strict), "\xA8\xA6\xA1\xE3\xA1\xC1");
    EXPECT_EQ(CodePageToUtf8("\xA8\xA6\xA1\xE3\xA1\xC1", TConversion::Strict), "é°×");
    EXPECT_EQ(Utf16ToCodePage(u"\u00E9", TConversion::Strict), "\xA8\xA6");
    EXPECT_EQ(CodePageToUtf16("\xA1\xC1", TConversion::Strict), u"\u00D7");
    EXPECT_THROW(CodePageToUtf8("\xE9", TConversion::Strict), EEncodingError);
    std::u16string broken = u"a";
    broken += static_cast<char16_t>(0xD800);
    broken += u"b";
    EXPECT_EQ(Utf16ToUtf8(broken, TConversion::Lenient), "a\xEF\xBF\xBD"
                                                         "b");
    EXPECT_EQ(Utf16ToCodePage(broken, TConversion::Lenient), Utf8ToCodePage("a\xEF\xBF\xBD"
                                                                            "b",
                                                                            TConversion::Strict));
}
