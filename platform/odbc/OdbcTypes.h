// Column kinds: ODBC SQL type -> the ADO data type the same column has -> TFieldType.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/DataPacket.h"

namespace platform::odbc {

// ADO data types (their numeric values matter only for display in tests and messages).
enum class TAdoType : int {
    adEmpty = 0, adSmallInt = 2, adInteger = 3, adSingle = 4, adDouble = 5, adCurrency = 6,
    adDate = 7, adBSTR = 8, adIDispatch = 9, adError = 10, adBoolean = 11, adVariant = 12,
    adIUnknown = 13, adDecimal = 14, adTinyInt = 16, adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18, adUnsignedInt = 19, adBigInt = 20, adUnsignedBigInt = 21,
    adFileTime = 64, adGUID = 72, adBinary = 128, adChar = 129, adWChar = 130, adNumeric = 131,
    adDBDate = 133, adDBTime = 134, adDBTimeStamp = 135, adChapter = 136, adDBFileTime = 137,
    adPropVariant = 138, adVarNumeric = 139, adVarChar = 200, adLongVarChar = 201,
    adVarWChar = 202, adLongVarWChar = 203, adVarBinary = 204, adLongVarBinary = 205
};

// The ADO type a provider reports for an ODBC column. typeName is the driver's type name
// (SQL_DESC_TYPE_NAME), which tells SQL Server's money apart from decimal.
TAdoType AdoTypeOf(int sqlType, bool isUnsigned, std::string_view typeName);

// The field kind of an ADO type; nullopt when the type has no kind (column left out).
std::optional<TFieldType> FieldTypeOf(TAdoType type, int precision, int scale, bool autoIncrement);

// How the values of a column are fetched and held.
enum class TFetchKind {
    Integer,      // SQL_C_SBIGINT -> Int64
    UnsignedText, // exact text -> UInt64 (the full unsigned 64-bit range)
    Single,       // SQL_C_FLOAT
    Double,       // SQL_C_DOUBLE
    Bit,          // SQL_C_BIT -> Boolean
    DecimalText,  // exact text -> Decimal
    WideText,     // SQL_C_WCHAR -> code page
    Binary,       // SQL_C_BINARY, raw bytes
    DateTimeText  // text parsed into date/time parts
};

TFetchKind FetchKindOf(TFieldType kind, TAdoType type);
TValueStorage StorageOf(TFetchKind fetch);

// Parses a date, a time or a date-time as drivers write them ("2024-01-02",
// "-838:59:59.000000", "2024-01-02 03:04:05.1234567"). nullopt for text the parts cannot
// hold, such as MySQL's zero date "0000-00-00".
std::optional<TDateTimeParts> ParseDateTimeText(std::string_view text);

} // namespace platform::odbc
