// Column kinds through the ADO types, and date/time text parsing.
#include <gtest/gtest.h>

#include "tests/common/TestFiles.h"

#include <sql.h>
#include <sqlext.h>

#include "platform/odbc/OdbcTypes.h"

namespace {

using namespace platform::odbc;
using testing_support::Parts;

std::optional<TFieldType> KindOf(int sqlType, bool isUnsigned = false, std::string_view typeName = "",
                                 int precision = 10, int scale = 0, bool autoIncrement = false) {
    return FieldTypeOf(AdoTypeOf(sqlType, isUnsigned, typeName), precision, scale, autoIncrement);
}

TEST(OdbcTypes, KindsFollowTheAdoTable) {
    using enum TFieldType;
    struct Case {
        int SqlType;
        bool Unsigned;
        const char* TypeName;
        int Precision, Scale;
        bool Auto;
        TFieldType Kind;
    } cases[] = {
        {SQL_TINYINT, false, "tinyint", 3, 0, false, ftSmallint},
        {SQL_TINYINT, true, "tinyint", 3, 0, false, ftWord},
        {SQL_SMALLINT, false, "smallint", 5, 0, false, ftSmallint},
        {SQL_SMALLINT, true, "year", 4, 0, false, ftWord},
        {SQL_INTEGER, false, "int", 10, 0, false, ftInteger},
        {SQL_INTEGER, true, "int unsigned", 10, 0, false, ftInteger},
        {SQL_INTEGER, false, "int", 10, 0, true, ftAutoInc},
        {SQL_INTEGER, true, "integer", 10, 0, true, ftAutoInc},
        {SQL_BIGINT, false, "bigint", 19, 0, true, ftLargeint},
        {SQL_BIGINT, true, "bigint", 20, 0, false, ftLargeint},
        {SQL_REAL, false, "float", 7, 0, false, ftFloat},
        {SQL_DOUBLE, false, "double", 15, 0, false, ftFloat},
        {SQL_FLOAT, false, "float", 53, 0, false, ftFloat},
        {SQL_DECIMAL, false, "decimal", 9, 0, false, ftInteger},
        {SQL_NUMERIC, false, "numeric", 10, 0, false, ftBCD},
        {SQL_DECIMAL, false, "decimal", 5, 2, false, ftBCD},
        {SQL_DECIMAL, false, "money", 19, 4, false, ftBCD},
        {SQL_BIT, false, "bit", 1, 0, false, ftBoolean},
        {SQL_CHAR, false, "char", 5, 0, false, ftFixedChar},
        {SQL_VARCHAR, false, "varchar", 20, 0, false, ftString},
        {SQL_WCHAR, false, "nchar", 5, 0, false, ftWideString},
        {SQL_WVARCHAR, false, "nvarchar", 20, 0, false, ftWideString},
        {SQL_LONGVARCHAR, false, "text", 65535, 0, false, ftMemo},
        {SQL_WLONGVARCHAR, false, "ntext", 0, 0, false, ftMemo},
        {SQL_GUID, false, "uniqueidentifier", 36, 0, false, ftGuid},
        {SQL_BINARY, false, "binary", 4, 0, false, ftBytes},
        {SQL_VARBINARY, false, "varbinary", 10, 0, false, ftVarBytes},
        {SQL_LONGVARBINARY, false, "blob", 65535, 0, false, ftBlob},
        {SQL_TYPE_DATE, false, "date", 10, 0, false, ftDate},
        {SQL_TYPE_TIME, false, "time", 15, 6, false, ftTime},
        {SQL_TYPE_TIMESTAMP, false, "datetime", 26, 6, false, ftDateTime},
        // SQL Server's own types, as its OLE DB provider reports them.
        {-152, false, "xml", 0, 0, false, ftMemo},
        {-154, false, "time", 16, 7, false, ftTime},
        {-155, false, "datetimeoffset", 34, 7, false, ftWideString},
        {-150, false, "sql_variant", 8000, 0, false, ftVariant},
        {SQL_WVARCHAR, false, "xml", 0, 0, false, ftMemo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "SQL type " << c.SqlType << " " << c.TypeName);
        EXPECT_EQ(KindOf(c.SqlType, c.Unsigned, c.TypeName, c.Precision, c.Scale, c.Auto), c.Kind);
    }
    // Intervals and unknown driver types have no kind: the column is left out.
    EXPECT_EQ(KindOf(SQL_INTERVAL_DAY), std::nullopt);
    EXPECT_EQ(KindOf(-9999), std::nullopt);
}

TEST(OdbcTypes, FetchKindsKeepValuesExact) {
    EXPECT_EQ(FetchKindOf(TFieldType::ftLargeint, TAdoType::adUnsignedBigInt), TFetchKind::UnsignedText);
    EXPECT_EQ(FetchKindOf(TFieldType::ftLargeint, TAdoType::adBigInt), TFetchKind::Integer);
    EXPECT_EQ(FetchKindOf(TFieldType::ftFloat, TAdoType::adSingle), TFetchKind::Single);
    EXPECT_EQ(FetchKindOf(TFieldType::ftFloat, TAdoType::adDouble), TFetchKind::Double);
    EXPECT_EQ(FetchKindOf(TFieldType::ftBCD, TAdoType::adNumeric), TFetchKind::DecimalText);
    EXPECT_EQ(FetchKindOf(TFieldType::ftMemo, TAdoType::adLongVarChar), TFetchKind::WideText);
    EXPECT_EQ(FetchKindOf(TFieldType::ftBlob, TAdoType::adLongVarBinary), TFetchKind::Binary);
    EXPECT_EQ(FetchKindOf(TFieldType::ftBoolean, TAdoType::adBoolean), TFetchKind::Bit);
    EXPECT_EQ(FetchKindOf(TFieldType::ftTime, TAdoType::adDBTime), TFetchKind::DateTimeText);
    EXPECT_EQ(StorageOf(TFetchKind::UnsignedText), TValueStorage::UInt64);
    EXPECT_EQ(StorageOf(TFetchKind::DecimalText), TValueStorage::Decimal);
}


TEST(OdbcTypes, ParsesDriverDateTimeTexts) {
    EXPECT_EQ(ParseDateTimeText("2024-02-29"), Parts(2024, 2, 29, 0, 0, 0, 0));
    EXPECT_EQ(ParseDateTimeText("2024-01-02 03:04:05.123456"), Parts(2024, 1, 2, 3, 4, 5, 123456000));
    EXPECT_EQ(ParseDateTimeText("9999-12-31 23:59:59.9999999"), Parts(9999, 12, 31, 23, 59, 59, 999999900));
    EXPECT_EQ(ParseDateTimeText("1753-01-01T00:00:00"), Parts(1753, 1, 1, 0, 0, 0, 0));
    EXPECT_EQ(ParseDateTimeText("12:34:56.1234567"), Parts(0, 0, 0, 12, 34, 56, 123456700));
    EXPECT_EQ(ParseDateTimeText("-838:59:59.000000"), Parts(0, 0, 0, 838, 59, 59, 0, true));
    EXPECT_EQ(ParseDateTimeText("-00:00:00.500000"), Parts(0, 0, 0, 0, 0, 0, 500000000, true));
    EXPECT_EQ(ParseDateTimeText("-00:00:00"), Parts(0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(ParseDateTimeText("00:00:00.123456789000"), Parts(0, 0, 0, 0, 0, 0, 123456789));
    // What the parts cannot hold keeps its text.
    for (const char* text : {"0000-00-00", "0000-00-00 00:00:00", "2024-00-10", "2024-02-30",
                             "2023-02-29", "2024-01-02 24:00:00", "12:60:00", "1:2:3", "",
                             "2024-01-02 03:04:05.", "00:00:00.0000000001", "abc"})
        EXPECT_EQ(ParseDateTimeText(text), std::nullopt) << text;
}

} // namespace
