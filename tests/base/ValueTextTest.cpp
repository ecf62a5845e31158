#include <gtest/gtest.h>

#include <cmath>

#include "base/ValueText.h"

TEST(ValueText, DateTimeLayoutsAndParsingRoundTrip) {
    struct Case {
        TFieldType Kind;
        const char* Text;
        TDateTimeStyle Style;
        const char* Shown; // nullptr: rejected
    } cases[] = {
        {TFieldType::ftDateTime, "2024-01-02 03:04:05", TDateTimeStyle::Blank,
         "2024-01-02 03:04:05"},
        {TFieldType::ftDateTime, "2024-1-2T3:04", TDateTimeStyle::IsoT, "2024-01-02T03:04:00"},
        {TFieldType::ftDateTime, "2024-01-02", TDateTimeStyle::IsoT, "2024-01-02T00:00:00"},
        {TFieldType::ftDateTime, "2024-01-02 00:00:00.000000010", TDateTimeStyle::Blank,
         "2024-01-02 00:00:00.00000001"},
        {TFieldType::ftDateTime, "2024-01-02 00:00:00.1234567891", TDateTimeStyle::Blank, nullptr},
        {TFieldType::ftDateTime, "2024-01-02 24:00:00", TDateTimeStyle::Blank, nullptr},
        {TFieldType::ftDateTime, "2024-13-01", TDateTimeStyle::Blank, nullptr},
        {TFieldType::ftDateTime, "1900-02-29", TDateTimeStyle::Blank, nullptr},
        {TFieldType::ftDateTime, "2000-02-29 1:2:3", TDateTimeStyle::Blank, "2000-02-29 01:02:03"},
        {TFieldType::ftDateTime, "2024-01-02x", TDateTimeStyle::Blank, nullptr},
        {TFieldType::ftDate, "2024-12-31", TDateTimeStyle::IsoT, "2024-12-31"},
        {TFieldType::ftDate, "2024-12-31 10:00", TDateTimeStyle::IsoT, nullptr},
        {TFieldType::ftTime, "100:00:00.5", TDateTimeStyle::Blank, "100:00:00.5"},
        {TFieldType::ftTime, "-00:00:01", TDateTimeStyle::Blank, "-00:00:01"},
        {TFieldType::ftTime, "12:60", TDateTimeStyle::Blank, nullptr},
        {TFieldType::ftTime, "", TDateTimeStyle::Blank, nullptr},
    };
    for (const Case& c : cases) {
        TDateTimeParts parts;
        bool parsed = ParseDateTime(c.Text, c.Kind, parts);
        if (c.Shown == nullptr) {
            EXPECT_FALSE(parsed) << c.Text;
            continue;
        }
        ASSERT_TRUE(parsed) << c.Text;
        std::string shown;
        AppendDateTimeText(parts, c.Kind, c.Style, shown);
        EXPECT_EQ(shown, c.Shown);
        TDateTimeParts again;
        ASSERT_TRUE(ParseDateTime(shown, c.Kind, again)) << shown;
        EXPECT_EQ(again, parts) << shown;
    }
}

TEST(ValueText, NumbersParseStrictly) {
    int64_t i = 0;
    EXPECT_TRUE(ParseInt64(" +12 ", i));
    EXPECT_EQ(i, 12);
    EXPECT_TRUE(ParseInt64("-9223372036854775808", i));
    EXPECT_FALSE(ParseInt64("9223372036854775808", i));
    EXPECT_FALSE(ParseInt64("++1", i));
    EXPECT_FALSE(ParseInt64("0x10", i));
    uint64_t u = 0;
    EXPECT_FALSE(ParseUInt64("-0", u));
    double d = 0;
    EXPECT_TRUE(ParseDouble("-1.5E-7", d));
    EXPECT_EQ(d, -1.5e-7);
    EXPECT_FALSE(ParseDouble("inf", d));
    EXPECT_FALSE(ParseDouble("1e999", d));
    EXPECT_FALSE(ParseDouble("1 5", d));
    bool b = false;
    EXPECT_TRUE(ParseBoolean("YES", b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(ParseBoolean("0", b));
    EXPECT_FALSE(b);
    std::string text;
    AppendFloatText(std::nan(""), text);
    AppendFloatText(-HUGE_VAL, text);
    EXPECT_EQ(text, "NAN-INF");
}
