#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <random>

#include "app/ValueRendering.h"
#include "base/Exception.h"
#include "platform/CodePage.h"
#include "tests/app/TestResults.h"
#include "tests/common/TestFiles.h"

using testing_support::Parts;

namespace {

const TDialect kBoth[] = {TDialect::dMssql, TDialect::dMysql};

// The literal of a one-column, one-row result.
std::string Render(const std::string& name, TFieldType kind, TValueStorage storage,
                   std::function<void(TColumnData&)> cell, TDialect dialect,
                   const std::string& notNullText = "") {
    TResultSet result;
    result.LoadPacket(MakePacket({{name, kind, storage, {cell}}}));
    return RenderFieldLiteral(result.Fields(0), dialect, TNotNullList(notNullText));
}

std::string Literal(TFieldType kind, TValueStorage storage, std::function<void(TColumnData&)> cell,
                    TDialect dialect) {
    return Render("c", kind, storage, cell, dialect);
}

// Decodes the hexadecimal digits between "0x" and the first blank.
std::string DecodeHex(const std::string& literal, size_t start) {
    std::string bytes;
    for (size_t i = start; i + 1 < literal.size() && literal[i] != ' '; i += 2)
        bytes += static_cast<char>(std::stoi(literal.substr(i, 2), nullptr, 16));
    return bytes;
}

} // namespace

TEST(ValueRendering, WorkedTableHoldsInBothDialects) {
    using K = TFieldType;
    using S = TValueStorage;
    struct Case {
        std::string Column;
        K Kind;
        S Storage;
        std::function<void(TColumnData&)> Cell;
        std::string Expected;
    } cases[] = {
        {"qty", K::ftInteger, S::Int64, Int(5), "5"},
        {"created_by", K::ftInteger, S::Int64, Null(), "0"},
        {"qty", K::ftInteger, S::Int64, Null(), "NULL"},
        {"price", K::ftBCD, S::Decimal, Bytes("12.50"), "12.5"},
        {"flag", K::ftBoolean, S::Boolean, Bool(true), "1"},
        {"name", K::ftString, S::Bytes, Bytes("O'Brien"), "'O''Brien'"},
        {"name", K::ftString, S::Bytes, Bytes(""), "''"},
        {"Note", K::ftWideString, S::Bytes, Null(), "' '"},
        {"data", K::ftBlob, S::Bytes, Bytes("\x01\xAB"), "0x01AB"},
        {"big", K::ftLargeint, S::Int64, Int(42), "'42'"},
        {"flag", K::ftBoolean, S::Boolean, Null(), "NULL"},
    };
    for (TDialect dialect : kBoth)
        for (const Case& c : cases)
            EXPECT_EQ(Render(c.Column, c.Kind, c.Storage, c.Cell, dialect, "created_by, Note"),
                      c.Expected)
                << c.Column << " dialect " << static_cast<int>(dialect);
}

TEST(ValueRendering, NotNullSubstitutesAreZeroForEveryNumberAndBlankOtherwise) {
    using K = TFieldType;
    using S = TValueStorage;
    using N = TNotNullSubstitute;
    // ' ' is too long for BIT(1) and no number for BIGINT or DECIMAL; dates, times and binary
    // values keep ' ' but the command line warns about them.
    struct Case {
        K Kind;
        S Storage;
        N Substitute;
    } cases[] = {
        {K::ftSmallint, S::Int64, N::nsZero},
        {K::ftInteger, S::Int64, N::nsZero},
        {K::ftWord, S::Int64, N::nsZero},
        {K::ftAutoInc, S::Int64, N::nsZero},
        {K::ftLargeint, S::Int64, N::nsZero},
        {K::ftLargeint, S::UInt64, N::nsZero},
        {K::ftFloat, S::Double, N::nsZero},
        {K::ftFloat, S::Single, N::nsZero},
        {K::ftCurrency, S::Decimal, N::nsZero},
        {K::ftBCD, S::Decimal, N::nsZero},
        {K::ftFMTBcd, S::Decimal, N::nsZero},
        {K::ftBoolean, S::Boolean, N::nsZero},
        {K::ftString, S::Bytes, N::nsBlank},
        {K::ftFixedChar, S::Bytes, N::nsBlank},
        {K::ftWideString, S::Bytes, N::nsBlank},
        {K::ftGuid, S::Bytes, N::nsBlank},
        {K::ftMemo, S::Bytes, N::nsBlank},
        {K::ftDate, S::DateTime, N::nsBlankMayFail},
        {K::ftTime, S::DateTime, N::nsBlankMayFail},
        {K::ftDateTime, S::DateTime, N::nsBlankMayFail},
        {K::ftTimeStamp, S::DateTime, N::nsBlankMayFail},
        {K::ftBytes, S::Bytes, N::nsBlankMayFail},
        {K::ftVarBytes, S::Bytes, N::nsBlankMayFail},
        {K::ftBlob, S::Bytes, N::nsBlankMayFail},
    };
    for (TDialect dialect : kBoth) {
        for (const Case& c : cases) {
            SCOPED_TRACE(FieldTypeName(c.Kind));
            EXPECT_EQ(NotNullSubstituteOf(c.Kind), c.Substitute);
            EXPECT_EQ(Render("f", c.Kind, c.Storage, Null(), dialect, "F"),
                      c.Substitute == N::nsZero ? "0" : "' '");
            EXPECT_EQ(Render("f", c.Kind, c.Storage, Null(), dialect, "g"), "NULL");
        }
        // Values themselves: a 32-bit integer bare, a 64-bit one quoted; an unsigned ftInteger
        // keeps its value.
        EXPECT_EQ(
            Render("f", TFieldType::ftInteger, TValueStorage::UInt64, UInt(4294967295u), dialect),
            "4294967295");
        EXPECT_EQ(Render("f", TFieldType::ftLargeint, TValueStorage::Int64,
                         Int(-9223372036854775807LL - 1), dialect),
                  "'-9223372036854775808'");
    }
}

TEST(ValueRendering, NotNullListIsTrimmedLowerCasedAndSplitOnly) {
    EXPECT_EQ(TNotNullList("first name, last name").Names(),
              (std::vector<std::string>{"first name", "last name"}));
    EXPECT_EQ(TNotNullList(" Created_By , NOTE,").Names(), TNotNullList("created_by,note").Names());
    EXPECT_TRUE(TNotNullList("").Names().empty());
    TNotNullList list("first name, Last Name");
    EXPECT_TRUE(list.Contains("First Name"));
    EXPECT_TRUE(list.Contains("LAST NAME"));
    EXPECT_FALSE(list.Contains("firstname"));
    EXPECT_FALSE(list.Contains("last"));
}

TEST(ValueRendering, DecimalsAreExact) {
    struct Case {
        std::string Held;
        std::string Expected;
    } cases[] = {
        {"12.50", "12.5"},
        {"100.000", "100"},
        {"-0.50", "-0.5"},
        {".5", "0.5"},
        {"-.25", "-0.25"},
        {"+7", "7"},
        {"007.0100", "7.01"},
        {"-0.000", "0"},
        {"0", "0"},
        {"123456789012345678901234567890.000000001", "123456789012345678901234567890.000000001"},
        {"922337203685477.5808", "922337203685477.5808"},
    };
    for (TDialect dialect : kBoth)
        for (const Case& c : cases) {
            EXPECT_EQ(Literal(TFieldType::ftBCD, TValueStorage::Decimal, Bytes(c.Held), dialect),
                      c.Expected)
                << c.Held;
            // The full decimal kind is in the quoted group, with the same exact text.
            EXPECT_EQ(Literal(TFieldType::ftFMTBcd, TValueStorage::Decimal, Bytes(c.Held), dialect),
                      "'" + c.Expected + "'");
        }
    // Text that is no plain decimal never goes bare into a statement.
    for (const char* bad : {"1e5", "12,5", "1.2.3", "", "-", "1; DROP TABLE t"})
        EXPECT_THROW(
            Literal(TFieldType::ftBCD, TValueStorage::Decimal, Bytes(bad), TDialect::dMysql),
            EConvertError)
            << bad;
}

TEST(ValueRendering, FloatsAreShortestRoundTripWithPointAndExponentLayout) {
    struct Case {
        double Value;
        std::string Expected;
    } cases[] = {
        {0.1, "0.1"},
        {1.0 / 3, "0.3333333333333333"},
        {-2.5, "-2.5"},
        {100, "100"},
        {0, "0"},
        {-0.0, "0"},
        {1e20, "1E20"},
        {1.5e-7, "1.5E-7"},
        {-1.5e-7, "-1.5E-7"},
        {999999999999999, "999999999999999"},
        {1e15, "1E15"},
        {1234567890123456, "1.234567890123456E15"},
        {123456789012345.67, "123456789012345.67"},
        {0.00001, "0.00001"},
        {0.000015, "0.000015"},
        {0.0000099, "9.9E-6"},
        {1.7976931348623157e308, "1.7976931348623157E308"},
        {5e-324, "5E-324"},
    };
    for (TDialect dialect : kBoth)
        for (const Case& c : cases) {
            EXPECT_EQ(Literal(TFieldType::ftFloat, TValueStorage::Double, Dbl(c.Value), dialect),
                      c.Expected);
            EXPECT_EQ(Literal(TFieldType::ftCurrency, TValueStorage::Double, Dbl(c.Value), dialect),
                      c.Expected);
        }
    // A single-precision column is written as the shortest text of the same float.
    EXPECT_EQ(Literal(TFieldType::ftFloat, TValueStorage::Single, Sgl(0.1f), TDialect::dMssql),
              "0.1");
    EXPECT_EQ(
        Literal(TFieldType::ftFloat, TValueStorage::Single, Sgl(16777216.0f), TDialect::dMysql),
        "16777216");
    EXPECT_EQ(
        Literal(TFieldType::ftFloat, TValueStorage::Single, Sgl(3.4028235e38f), TDialect::dMysql),
        "3.4028235E38");
    EXPECT_THROW(
        Literal(TFieldType::ftFloat, TValueStorage::Double, Dbl(std::nan("")), TDialect::dMssql),
        EConvertError);
    EXPECT_THROW(
        Literal(TFieldType::ftFloat, TValueStorage::Single, Sgl(-HUGE_VALF), TDialect::dMysql),
        EConvertError);

    // Every double read back from its literal is the same double.
    unsigned seed = std::random_device{}();
    std::mt19937_64 random(seed);
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) continue;
        std::string text =
            Literal(TFieldType::ftFloat, TValueStorage::Double, Dbl(value), TDialect::dMysql);
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text << " seed " << seed;
        ASSERT_EQ(text.find_first_not_of("0123456789.-E"), std::string::npos) << text;
        float single = static_cast<float>(bits >> 40) / 3.0f;
        std::string singleText =
            Literal(TFieldType::ftFloat, TValueStorage::Single, Sgl(single), TDialect::dMssql);
        ASSERT_EQ(std::strtof(singleText.c_str(), nullptr), single)
            << singleText << " seed " << seed;
    }
}

TEST(ValueRendering, DatesFollowTheDialectAndKeepFractions) {
    using K = TFieldType;
    TDateTimeParts negativeTime = Parts(0, 0, 0, 838, 59, 59);
    negativeTime.Negative = true;
    struct Case {
        K Kind;
        TDateTimeParts Value;
        std::string Mysql;
        std::string Mssql;
    } cases[] = {
        {K::ftDateTime, Parts(2024, 1, 2, 3, 4, 5), "'2024-01-02 03:04:05'",
         "'2024-01-02T03:04:05'"},
        {K::ftDateTime, Parts(2024, 1, 2), "'2024-01-02'", "'2024-01-02T00:00:00'"},
        {K::ftDateTime, Parts(2024, 1, 2, 0, 0, 0, 500000000), "'2024-01-02 00:00:00.5'",
         "'2024-01-02T00:00:00.5'"},
        {K::ftTimeStamp, Parts(1999, 12, 31, 23, 59, 59, 123000000), "'1999-12-31 23:59:59.123'",
         "'1999-12-31T23:59:59.123'"},
        {K::ftDateTime, Parts(2024, 1, 2, 3, 4, 5, 100), "'2024-01-02 03:04:05.0000001'",
         "'2024-01-02T03:04:05.0000001'"},
        // Finer than the databases keep: written whole rather than cut.
        {K::ftDateTime, Parts(2024, 1, 2, 3, 4, 5, 1), "'2024-01-02 03:04:05.000000001'",
         "'2024-01-02T03:04:05.000000001'"},
        {K::ftDate, Parts(2024, 2, 29), "'2024-02-29'", "'2024-02-29'"},
        {K::ftTime, Parts(0, 0, 0, 7, 8, 9, 120000), "'07:08:09.00012'", "'07:08:09.00012'"},
        {K::ftTime, negativeTime, "'-838:59:59'", "'-838:59:59'"},
        {K::ftDateTime, Parts(1, 1, 1), "'0001-01-01'", "'0001-01-01T00:00:00'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Literal(c.Kind, TValueStorage::DateTime, Date(c.Value), TDialect::dMysql),
                  c.Mysql);
        EXPECT_EQ(Literal(c.Kind, TValueStorage::DateTime, Date(c.Value), TDialect::dMssql),
                  c.Mssql);
    }
    // A zero date keeps the server's text.
    for (TDialect dialect : kBoth)
        EXPECT_EQ(Literal(K::ftDateTime, TValueStorage::DateTime, DateText("0000-00-00 00:00:00"),
                          dialect),
                  "'0000-00-00 00:00:00'");
}

TEST(ValueRendering, BinaryValuesAreHexadecimalAndEmptyOnesPerDialect) {
    std::string raw("\x00\xFF\x10'\\", 5);
    for (TFieldType kind :
         {TFieldType::ftBytes, TFieldType::ftVarBytes, TFieldType::ftBlob, TFieldType::ftGraphic}) {
        for (TDialect dialect : kBoth)
            EXPECT_EQ(Literal(kind, TValueStorage::Bytes, Bytes(raw), dialect), "0x00FF10275C");
        EXPECT_EQ(Literal(kind, TValueStorage::Bytes, Bytes(""), TDialect::dMssql), "0x");
        EXPECT_EQ(Literal(kind, TValueStorage::Bytes, Bytes(""), TDialect::dMysql), "X''");
    }
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes += static_cast<char>(i);
    std::string literal =
        Literal(TFieldType::ftBlob, TValueStorage::Bytes, Bytes(allBytes), TDialect::dMssql);
    ASSERT_EQ(literal.substr(0, 2), "0x");
    EXPECT_EQ(DecodeHex(literal, 2), allBytes);
    EXPECT_EQ(literal.find_first_not_of("0123456789ABCDEF", 2), std::string::npos);
}

TEST(ValueRendering, LongTextIsHexadecimalOfUnicodeTheServerConverts) {
    for (TFieldType kind : {TFieldType::ftMemo, TFieldType::ftFmtMemo, TFieldType::ftOraClob}) {
        EXPECT_EQ(Literal(kind, TValueStorage::Bytes, Bytes("ab"), TDialect::dMysql),
                  "_utf8mb4 0x6162");
        EXPECT_EQ(Literal(kind, TValueStorage::Bytes, Bytes("ab"), TDialect::dMssql),
                  "CAST(0x61006200 AS NVARCHAR(MAX))");
        EXPECT_EQ(Literal(kind, TValueStorage::Bytes, Bytes(""), TDialect::dMssql), "0x");
        EXPECT_EQ(Literal(kind, TValueStorage::Bytes, Bytes(""), TDialect::dMysql), "X''");
    }
    // "中" (D6 D0) and an emoji (four bytes in the code page) as UTF-8 and UTF-16LE.
    std::string text = "\xD6\xD0\x94\x39\xFC\x36";
    EXPECT_EQ(Literal(TFieldType::ftMemo, TValueStorage::Bytes, Bytes(text), TDialect::dMysql),
              "_utf8mb4 0xE4B8ADF09F9880");
    EXPECT_EQ(Literal(TFieldType::ftMemo, TValueStorage::Bytes, Bytes(text), TDialect::dMssql),
              "CAST(0x2D4E3DD800DE AS NVARCHAR(MAX))");
    // A byte that starts no character cannot be written as Unicode: the export stops.
    EXPECT_THROW(
        Literal(TFieldType::ftMemo, TValueStorage::Bytes, Bytes("a\xFF"), TDialect::dMysql),
        EEncodingError);
}

TEST(ValueRendering, MysqlTextEscapesPerCharacter) {
    auto mysql = [](const std::string& text, TFieldType kind = TFieldType::ftString) {
        return Literal(kind, TValueStorage::Bytes, Bytes(text), TDialect::dMysql);
    };
    EXPECT_EQ(mysql(std::string("a'b\\c\0d\re\nf\x1Ag\th", 15)), "'a''b\\\\c\\0d\\re\\nf\\Zg\th'");
    // A four-byte character passes whole; a byte that starts no character stands alone.
    EXPECT_EQ(mysql("\x81\x30\x81\x30"), "'\x81\x30\x81\x30'");
    EXPECT_EQ(mysql("x\x81"), "'x\x81'");
    EXPECT_EQ(mysql("\x81'"), "'\x81'''");
    // Wide text, GUIDs and the quoted group use the same rule; the value stays on one line.
    EXPECT_EQ(mysql("a\r\nb", TFieldType::ftWideString), "'a\\r\\nb'");
    EXPECT_EQ(mysql("{A-B}", TFieldType::ftGuid), "'{A-B}'");
    EXPECT_EQ(mysql("x\\y", TFieldType::ftVariant), "'x\\\\y'");
}

TEST(ValueRendering, MysqlTextThatAClientCouldSplitDifferentlyIsHexadecimal) {
    // No backslash that utf8mb4, latin1 or gbk could pair differently may stand in the
    // literal: such a value is hexadecimal of its UTF-8 text.
    struct Case {
        std::string Value, Expected;
    } cases[] = {
        // 昞 is 95 5C: latin1 and utf8mb4 read a backslash that swallows the quote.
        {"\x95\x5C", "_utf8mb4 0xE6989E"},
        {"\x95\x5C'); DROP TABLE victim; -- ",
         "_utf8mb4 0xE6989E27293B2044524F50205441424C452076696374696D3B202D2D20"},
        // 中 before an escape: in a UTF-8 script gbk pairs its last byte with the backslash.
        {"\xD6\xD0\\", "_utf8mb4 0xE4B8AD5C"},
        {std::string("\xD6\xD0\0", 3), "_utf8mb4 0xE4B8AD00"},
        {"\xD6\xD0\r", "_utf8mb4 0xE4B8AD0D"},
        {"\xD6\xD0\n", "_utf8mb4 0xE4B8AD0A"},
        {"\xD6\xD0\x1A", "_utf8mb4 0xE4B8AD1A"},
        {"\x81\x30\x81\x30\\", "_utf8mb4 0xC2805C"},
        // After ASCII every escape reads the same everywhere.
        {"\\", "'\\\\'"},
        {"a\\", "'a\\\\'"},
        {std::string("a\0", 2), "'a\\0'"},
        {"a\r", "'a\\r'"},
        {"a\n", "'a\\n'"},
        {"a\x1A", "'a\\Z'"},
        {"\xD6\xD0"
         "a\\",
         "'\xD6\xD0"
         "a\\\\'"},
        // An apostrophe is no trail byte anywhere; 0xFF leads no character.
        {"\xD6\xD0'", "'\xD6\xD0'''"},
        {"\xFF\\", "'\xFF\\\\'"},
        {"\xD6\xD0", "'\xD6\xD0'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            Literal(TFieldType::ftString, TValueStorage::Bytes, Bytes(c.Value), TDialect::dMysql),
            c.Expected);
        // SQL Server's N'' literals know no backslash escape: they stay quoted.
        EXPECT_EQ(
            Literal(TFieldType::ftString, TValueStorage::Bytes, Bytes(c.Value), TDialect::dMssql)
                .find("0x"),
            std::string::npos);
    }
    // A lead byte that starts no character, before an escape, cannot be written safely.
    EXPECT_THROW(
        Literal(TFieldType::ftString, TValueStorage::Bytes, Bytes("\x81\n"), TDialect::dMysql),
        EEncodingError);
}

TEST(ValueRendering, MssqlTextPutsLineBreaksAndNulOutsideTheQuotes) {
    auto mssql = [](const std::string& text, TFieldType kind = TFieldType::ftString) {
        return Literal(kind, TValueStorage::Bytes, Bytes(text), TDialect::dMssql);
    };
    EXPECT_EQ(mssql("a\r\nb"), "'a' + CHAR(13) + CHAR(10) + 'b'");
    EXPECT_EQ(mssql("a\r\nb", TFieldType::ftWideString), "N'a' + NCHAR(13) + NCHAR(10) + N'b'");
    EXPECT_EQ(mssql("\rX'\\"), "CHAR(13) + 'X''\\'");
    EXPECT_EQ(mssql(std::string("\n\0", 2)), "CHAR(10) + CHAR(0)");
    EXPECT_EQ(mssql("it's\n"), "'it''s' + CHAR(10)");
    EXPECT_EQ(mssql("back\\"), "'back\\'");
    EXPECT_EQ(mssql("", TFieldType::ftWideString), "N''");
    EXPECT_EQ(mssql("\xD6\xD0", TFieldType::ftWideString), "N'\xD6\xD0'");
    EXPECT_EQ(mssql("\xD6\xD0", TFieldType::ftFixedChar), "'\xD6\xD0'");

    // Exactly 1000 pieces still as pieces; one more and the value is cast from hexadecimal.
    std::string pieces1000;
    for (int i = 0; i < 500; ++i)
        pieces1000 += "a\n";
    std::string literal = mssql(pieces1000);
    size_t joins = 0;
    for (size_t pos = literal.find(" + "); pos != std::string::npos;
         pos = literal.find(" + ", pos + 1))
        ++joins;
    EXPECT_EQ(joins, 999u);

    std::string many = pieces1000 + "'z";
    literal = mssql(many);
    ASSERT_EQ(literal.rfind("CAST(0x", 0), 0u) << literal.substr(0, 40);
    ASSERT_GE(literal.size(), 18u);
    EXPECT_EQ(literal.substr(literal.size() - 17), " AS VARCHAR(MAX))");
    EXPECT_EQ(DecodeHex(literal, 7), many);

    std::string wide;
    for (int i = 0; i < 400; ++i)
        wide += "\xD6\xD0\r\n";
    literal = mssql(wide, TFieldType::ftWideString);
    ASSERT_EQ(literal.rfind("CAST(0x", 0), 0u);
    EXPECT_EQ(literal.substr(literal.size() - 18), " AS NVARCHAR(MAX))");
    std::string utf16le = DecodeHex(literal, 7);
    ASSERT_EQ(utf16le.size() % 2, 0u);
    std::u16string units;
    for (size_t i = 0; i < utf16le.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(utf16le[i]) |
                                       (static_cast<unsigned char>(utf16le[i + 1]) << 8));
    EXPECT_EQ(units.substr(0, 3), u"\u4E2D\r\n");
    EXPECT_EQ(platform::Utf16ToCodePage(units, platform::TConversion::Strict), wide);
}

// Where one dialect's rule has a twin in the other, both hold: a number held as a boolean,
// text that cannot become Unicode, a list that ends in a separator.
TEST(ValueRendering, RulesThatHoldInBothDialects) {
    for (TDialect dialect : kBoth) {
        // A smallint the driver delivers as a bit.
        EXPECT_EQ(Literal(TFieldType::ftSmallint, TValueStorage::Boolean, Bool(true), dialect),
                  "1");
        EXPECT_EQ(Literal(TFieldType::ftSmallint, TValueStorage::Boolean, Bool(false), dialect),
                  "0");
        // Long text is written as Unicode; a byte that starts no character stops the export
        // instead of turning into something else.
        EXPECT_THROW(Literal(TFieldType::ftMemo, TValueStorage::Bytes, Bytes("a\xFF"), dialect),
                     EEncodingError);
    }
    // So does wide text long enough to be cast from Unicode.
    std::string longWide;
    for (int i = 0; i < 600; ++i)
        longWide += "a\n";
    EXPECT_THROW(Literal(TFieldType::ftWideString, TValueStorage::Bytes, Bytes(longWide + "\xFF"),
                         TDialect::dMssql),
                 EEncodingError);
    EXPECT_EQ(TNotNullList("a, ").Names(), std::vector<std::string>{"a"});
    EXPECT_EQ(TNotNullList("a,b , ").Names(), (std::vector<std::string>{"a", "b"}));
}

TEST(ValueRendering, NamesAreEscapedInsideTheirQuotes) {
    std::string out;
    AppendQuotedName("a]b[c`", TDialect::dMssql, out);
    EXPECT_EQ(out, "[a]]b[c`]");
    out.clear();
    AppendQuotedName("a`b]", TDialect::dMysql, out);
    EXPECT_EQ(out, "`a``b]`");
    EXPECT_EQ(QuotedStr("O'Hara"), "'O''Hara'");

    TResultSet result;
    result.LoadPacket(
        MakePacket({BooleanSel({false}),
                    {"id", TFieldType::ftInteger, TValueStorage::Int64, {Int(1)}},
                    {"odd]`name", TFieldType::ftString, TValueStorage::Bytes, {Bytes("x")}}}));
    EXPECT_EQ(BuildColumnList(result, TDialect::dMssql), "[id], [odd]]`name]");
    EXPECT_EQ(BuildColumnList(result, TDialect::dMysql), "`id`, `odd]``name`");
}

TEST(ValueRendering, GbkGapsAreTheTwoByteCodesGlibcGbkLacks) {
    // MariaDB's gbk converts exactly the two-byte codes glibc's GBK does (checked against a
    // server once, and by the end-to-end test for the euro sign), so glibc checks the table.
    iconv_t gbk = iconv_open("UTF-8", "GBK");
    ASSERT_NE(gbk, reinterpret_cast<iconv_t>(-1));
    int gaps = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)}, out[8];
            char* inPtr = in;
            char* outPtr = out;
            size_t inLeft = 2, outLeft = sizeof(out);
            iconv(gbk, nullptr, nullptr, nullptr, nullptr);
            bool converts =
                iconv(gbk, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1);
            gaps += !converts;
            EXPECT_EQ(platform::GbkLacks(static_cast<unsigned char>(lead),
                                         static_cast<unsigned char>(trail)),
                      !converts)
                << std::hex << lead << ' ' << trail;
        }
    iconv_close(gbk);
    EXPECT_EQ(gaps, 2149);

    // The first such character of a text, four-byte ones included.
    struct Case {
        std::string Utf8;
        size_t Position;
    } cases[] = {
        {"a€", 1},   {"中ǹ", 2},   {"⺁", 0},
        {"x⿰y", 1}, {"中文😀", 4}, {"中文 abc", std::string::npos},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            platform::FindGbkGap(platform::Utf8ToCodePage(c.Utf8, platform::TConversion::Strict)),
            c.Position)
            << c.Utf8;
}
