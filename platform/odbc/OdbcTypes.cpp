// The mapping a provider applies between ODBC types and ADO types, and the ADO kinds table.
#include "platform/odbc/OdbcTypes.h"

#include <sql.h>
#include <sqlext.h>

#include "base/Format.h"

namespace platform::odbc {
namespace {

// SQL Server types that Microsoft's driver and FreeTDS report with their own codes.
constexpr int kSqlSsVariant = -150;
constexpr int kSqlSsUdt = -151;
constexpr int kSqlSsXml = -152;
constexpr int kSqlSsTime2 = -154;
constexpr int kSqlSsTimestampOffset = -155;

} // namespace

TAdoType AdoTypeOf(int sqlType, bool isUnsigned, std::string_view typeName) {
    std::string name = LowerCase(typeName);
    if (name == "money" || name == "smallmoney") return TAdoType::adCurrency;
    if (name == "xml") return TAdoType::adLongVarWChar;
    if (name == "sql_variant") return TAdoType::adVariant;
    if (name == "datetimeoffset") return TAdoType::adVarWChar;
    switch (sqlType) {
    case SQL_CHAR: return TAdoType::adChar;
    case SQL_VARCHAR: return TAdoType::adVarChar;
    case SQL_LONGVARCHAR: return TAdoType::adLongVarChar;
    case SQL_WCHAR: return TAdoType::adWChar;
    case SQL_WVARCHAR: return TAdoType::adVarWChar;
    case SQL_WLONGVARCHAR: return TAdoType::adLongVarWChar;
    case SQL_DECIMAL:
    case SQL_NUMERIC: return TAdoType::adNumeric;
    case SQL_BIT: return TAdoType::adBoolean;
    case SQL_TINYINT: return isUnsigned ? TAdoType::adUnsignedTinyInt : TAdoType::adTinyInt;
    case SQL_SMALLINT: return isUnsigned ? TAdoType::adUnsignedSmallInt : TAdoType::adSmallInt;
    case SQL_INTEGER: return isUnsigned ? TAdoType::adUnsignedInt : TAdoType::adInteger;
    case SQL_BIGINT: return isUnsigned ? TAdoType::adUnsignedBigInt : TAdoType::adBigInt;
    case SQL_REAL: return TAdoType::adSingle;
    case SQL_FLOAT:
    case SQL_DOUBLE: return TAdoType::adDouble;
    case SQL_BINARY: return TAdoType::adBinary;
    case SQL_VARBINARY: return TAdoType::adVarBinary;
    case SQL_LONGVARBINARY: return TAdoType::adLongVarBinary;
    case SQL_TYPE_DATE:
    case SQL_DATE: return TAdoType::adDBDate;
    case SQL_TYPE_TIME:
    case SQL_TIME:
    case kSqlSsTime2: return TAdoType::adDBTime;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return TAdoType::adDBTimeStamp;
    case SQL_GUID: return TAdoType::adGUID;
    case kSqlSsXml: return TAdoType::adLongVarWChar;
    case kSqlSsVariant: return TAdoType::adVariant;
    case kSqlSsTimestampOffset: return TAdoType::adVarWChar;
    case kSqlSsUdt: return TAdoType::adLongVarBinary;
    default: return TAdoType::adEmpty; // intervals and unknown driver types
    }
}

std::optional<TFieldType> FieldTypeOf(TAdoType type, int precision, int scale, bool autoIncrement) {
    using enum TAdoType;
    switch (type) {
    case adSmallInt:
    case adTinyInt: return TFieldType::ftSmallint;
    case adInteger:
    case adError:
    case adUnsignedInt: return autoIncrement ? TFieldType::ftAutoInc : TFieldType::ftInteger;
    case adUnsignedTinyInt:
    case adUnsignedSmallInt: return TFieldType::ftWord;
    case adBigInt:
    case adUnsignedBigInt: return TFieldType::ftLargeint;
    case adSingle:
    case adDouble: return TFieldType::ftFloat;
    case adCurrency: return TFieldType::ftBCD;
    case adNumeric:
        if (scale == 0 && precision < 10) return TFieldType::ftInteger;
        return TFieldType::ftBCD;
    case adDecimal:
    case adVarNumeric: return TFieldType::ftBCD;
    case adBoolean: return TFieldType::ftBoolean;
    case adChar: return TFieldType::ftFixedChar;
    case adVarChar: return TFieldType::ftString;
    case adBSTR:
    case adWChar:
    case adVarWChar: return TFieldType::ftWideString;
    case adGUID: return TFieldType::ftGuid;
    case adLongVarChar:
    case adLongVarWChar: return TFieldType::ftMemo;
    case adLongVarBinary: return TFieldType::ftBlob;
    case adBinary: return TFieldType::ftBytes;
    case adVarBinary: return TFieldType::ftVarBytes;
    case adDBDate: return TFieldType::ftDate;
    case adDBTime: return TFieldType::ftTime;
    case adDate:
    case adFileTime:
    case adDBTimeStamp:
    case adDBFileTime: return TFieldType::ftDateTime;
    case adVariant:
    case adPropVariant: return TFieldType::ftVariant;
    case adIDispatch: return TFieldType::ftIDispatch;
    case adIUnknown: return TFieldType::ftInterface;
    case adChapter: return TFieldType::ftDataSet;
    default: return std::nullopt;
    }
}

TFetchKind FetchKindOf(TFieldType kind, TAdoType type) {
    switch (kind) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc: return TFetchKind::Integer;
    case TFieldType::ftLargeint:
        return type == TAdoType::adUnsignedBigInt ? TFetchKind::UnsignedText : TFetchKind::Integer;
    case TFieldType::ftFloat: return type == TAdoType::adSingle ? TFetchKind::Single : TFetchKind::Double;
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd: return TFetchKind::DecimalText;
    case TFieldType::ftBoolean: return TFetchKind::Bit;
    case TFieldType::ftBlob:
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes: return TFetchKind::Binary;
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime: return TFetchKind::DateTimeText;
    default: return TFetchKind::WideText; // text kinds, long text, GUID, variant
    }
}

TValueStorage StorageOf(TFetchKind fetch) {
    switch (fetch) {
    case TFetchKind::Integer: return TValueStorage::Int64;
    case TFetchKind::UnsignedText: return TValueStorage::UInt64;
    case TFetchKind::Single: return TValueStorage::Single;
    case TFetchKind::Double: return TValueStorage::Double;
    case TFetchKind::Bit: return TValueStorage::Boolean;
    case TFetchKind::DecimalText: return TValueStorage::Decimal;
    case TFetchKind::DateTimeText: return TValueStorage::DateTime;
    default: return TValueStorage::Bytes;
    }
}

namespace {

// Reads count digits (exactly) at pos into value.
bool Digits(std::string_view text, size_t& pos, size_t count, int& value) {
    if (pos + count > text.size()) return false;
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        char c = text[pos + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

// "HH:MM:SS[.fraction]" with one or more hour digits; pos ends after it.
bool ParseTime(std::string_view text, size_t& pos, TDateTimeParts& parts) {
    size_t start = pos;
    int hour = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        hour = hour * 10 + (text[pos] - '0');
        if (hour > 65535) return false;
        ++pos;
    }
    int minute, second;
    if (pos == start || !Expect(text, pos, ':') || !Digits(text, pos, 2, minute) ||
        !Expect(text, pos, ':') || !Digits(text, pos, 2, second) || minute > 59 || second > 59)
        return false;
    uint32_t nanoseconds = 0;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        int digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (digits < 9) {
                nanoseconds = nanoseconds * 10 + static_cast<uint32_t>(text[pos] - '0');
                ++digits;
            } else if (text[pos] != '0') {
                return false; // finer than a nanosecond cannot be held
            }
            ++pos;
        }
        if (digits == 0) return false;
        for (; digits < 9; ++digits) nanoseconds *= 10;
    }
    parts.Hour = static_cast<uint16_t>(hour);
    parts.Minute = static_cast<uint8_t>(minute);
    parts.Second = static_cast<uint8_t>(second);
    parts.Nanoseconds = nanoseconds;
    return true;
}

} // namespace

std::optional<TDateTimeParts> ParseDateTimeText(std::string_view text) {
    TDateTimeParts parts;
    size_t pos = 0;
    bool hasDate = text.size() >= 10 && text[4] == '-' && text[7] == '-';
    if (hasDate) {
        int year, month, day;
        if (!Digits(text, pos, 4, year) || !Expect(text, pos, '-') || !Digits(text, pos, 2, month) ||
            !Expect(text, pos, '-') || !Digits(text, pos, 2, day))
            return std::nullopt;
        static const int daysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth[month - 1])
            return std::nullopt;
        bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        if (month == 2 && day == 29 && !leap) return std::nullopt;
        parts.Year = static_cast<int16_t>(year);
        parts.Month = static_cast<uint8_t>(month);
        parts.Day = static_cast<uint8_t>(day);
        if (pos == text.size()) return parts;
        if (!Expect(text, pos, ' ') && !Expect(text, pos, 'T')) return std::nullopt;
        if (!ParseTime(text, pos, parts) || parts.Hour > 23) return std::nullopt;
    } else {
        if (pos < text.size() && text[pos] == '-') {
            parts.Negative = true;
            ++pos;
        }
        if (!ParseTime(text, pos, parts)) return std::nullopt;
        if (parts.Negative && parts.Hour == 0 && parts.Minute == 0 && parts.Second == 0 &&
            parts.Nanoseconds == 0)
            parts.Negative = false;
    }
    if (pos != text.size()) return std::nullopt;
    return parts;
}

} // namespace platform::odbc
