#include <gtest/gtest.h>

#include "base/Color.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "base/Strings.h"

TEST(Format, IntegerParsingAcceptsDecimalAndHexOnly) {
    EXPECT_EQ(StrToIntDef("42", 0), 42);
    EXPECT_EQ(StrToIntDef(" -7 ", 0), -7);
    EXPECT_EQ(StrToIntDef("0x1", 0), 1);
    EXPECT_EQ(StrToIntDef("0X1f", 0), 31);
    EXPECT_EQ(StrToIntDef("abc", 0), 0);
    EXPECT_EQ(StrToIntDef("1.5", 9), 9);
    EXPECT_EQ(StrToIntDef("", 3), 3);
    EXPECT_EQ(StrToIntDef("0x", 5), 5);
    EXPECT_EQ(StrToIntDef("99999999999", 0), 0);
    EXPECT_EQ(StrToInt64Def("-9223372036854775808", 0), INT64_MIN);
}

TEST(Format, CaseAndTrimTouchOnlyAsciiLettersAndBlanks) {
    // 0xC1 0x41 is one double-byte character whose trail byte looks like 'A'.
    EXPECT_EQ(LowerCase("AbC\xC1\x41"), "abc\xC1\x61");
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_TRUE(SameText("Created_By", "cREATED_bY"));
    EXPECT_FALSE(SameText("abc", "abd"));
    EXPECT_EQ(BytesToHex(std::string("\x01\xAB\x00\xFF", 4)), "01AB00FF");
    EXPECT_EQ(Format("%s=%d", "top", 100), "top=100");
}

TEST(Strings, TextJoinsWithCrLfAndSplitsEveryBreakKind) {
    TStringList list;
    list.SetText("a\r\nb\rc\nd");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Get(2), "c");
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd");
    list.Insert(0, "z");
    list.Delete(1);
    EXPECT_EQ(list.Text(), "z\r\nb\r\nc\r\nd");
    EXPECT_EQ(list.IndexOf("C"), 2);
    EXPECT_THROW(list.Get(9), Exception);
}

TEST(Color, FontStylesAreASet) {
    TFontStyles styles{TFontStyle::fsBold};
    styles.Include(TFontStyle::fsItalic);
    EXPECT_TRUE(styles.Contains(TFontStyle::fsBold));
    EXPECT_FALSE((styles - TFontStyles{TFontStyle::fsBold}).Contains(TFontStyle::fsBold));
    EXPECT_TRUE(IsSystemColor(clWindow));
    EXPECT_FALSE(IsSystemColor(clBlue));
    EXPECT_EQ(ColorRed(clRed), 255);
}
