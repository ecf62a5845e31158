#include "app/ValueRendering.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/Globals.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "base/ValueText.h"
#include "platform/CodePage.h"

namespace {

// More pieces than this and SQL Server's expression nesting gets too deep; the value is cast
// from hexadecimal instead.
constexpr int kMaxMssqlPieces = 1000;

const char kHexDigits[] = "0123456789ABCDEF";

void AppendHexDigits(std::string_view bytes, std::string& out) {
    size_t start = out.size();
    out.resize(start + bytes.size() * 2);
    char* target = out.data() + start;
    for (unsigned char byte : bytes) {
        *target++ = kHexDigits[byte >> 4];
        *target++ = kHexDigits[byte & 0x0F];
    }
}

void AppendInteger(int value, std::string& out) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    out.append(buffer, result.ptr);
}

bool IsMysqlEscaped(unsigned char byte) {
    return byte == '\\' || byte == '\0' || byte == '\r' || byte == '\n' || byte == 26;
}

// True when a client could pair a backslash of the quoted literal with the byte before it: a
// character whose bytes hold 0x5C (gbk reads it as one character, latin1 and utf8mb4 as a
// backslash), or a non-ASCII character right before an escape (in a UTF-8 script a gbk client
// pairs its last byte with the escape's backslash). The script may be converted to UTF-8
// afterwards, so both readings count whatever the output encoding.
bool MysqlQuotingIsAmbiguous(std::string_view text) {
    bool afterWide = false;
    for (size_t pos = 0, size = text.size(); pos < size;) {
        unsigned char byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            if (afterWide && IsMysqlEscaped(byte)) return true;
            afterWide = false;
            ++pos;
            continue;
        }
        // A byte that starts no character goes alone; gbk still pairs a lead byte with the
        // escape after it, while 0x80 and 0xFF lead nothing in any of the three.
        int length = platform::CodePageCharLength(text, pos);
        if (length < 1) {
            afterWide = byte != 0x80 && byte != 0xFF;
            ++pos;
            continue;
        }
        if (text.substr(pos, static_cast<size_t>(length)).find('\\') != std::string_view::npos)
            return true;
        afterWide = true;
        pos += static_cast<size_t>(length);
    }
    return false;
}

void AppendMysqlQuoted(std::string_view text, std::string& out) {
    out += '\'';
    size_t size = text.size();
    for (size_t pos = 0; pos < size;) {
        unsigned char byte = static_cast<unsigned char>(text[pos]);
        if (byte >= 0x80) {
            // A whole multi-byte character is copied: its trail byte may be 0x5C, which is
            // no backslash there. A byte that starts no character goes alone, as the server
            // reads it alone too.
            int length = platform::CodePageCharLength(text, pos);
            if (length < 1) length = 1;
            out.append(text.data() + pos, static_cast<size_t>(length));
            pos += static_cast<size_t>(length);
            continue;
        }
        switch (byte) {
        case '\'':
            out += "''";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\0':
            out += "\\0";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case 26:
            out += "\\Z";
            break;
        default:
            out += static_cast<char>(byte);
        }
        ++pos;
    }
    out += '\'';
}

std::string Utf16LeBytes(std::string_view text) {
    std::u16string utf16 = platform::CodePageToUtf16(text, platform::TConversion::Strict);
    std::string bytes;
    bytes.reserve(utf16.size() * 2);
    for (char16_t unit : utf16) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

bool IsMssqlControl(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

// Quoted runs (apostrophes doubled) and CHAR(n) pieces for CR, LF and NUL, joined with " + ".
// No GB18030 trail byte is below 0x30, so these bytes are always characters of their own.
void AppendMssqlQuoted(std::string_view text, bool wide, std::string& out) {
    const char* quoteOpen = wide ? "N'" : "'";
    size_t controls = 0, runs = 0;
    bool inRun = false;
    for (char c : text) {
        if (IsMssqlControl(c)) {
            ++controls;
            inRun = false;
        } else if (!inRun) {
            ++runs;
            inRun = true;
        }
    }
    if (controls == 0) {
        out += quoteOpen;
        for (char c : text) {
            if (c == '\'') out += '\'';
            out += c;
        }
        out += '\'';
        return;
    }
    if (controls + runs > static_cast<size_t>(kMaxMssqlPieces)) {
        out += "CAST(0x";
        if (wide) {
            AppendHexDigits(Utf16LeBytes(text), out);
            out += " AS NVARCHAR(MAX))";
        } else {
            AppendHexDigits(text, out);
            out += " AS VARCHAR(MAX))";
        }
        return;
    }
    bool first = true, quoted = false;
    for (char c : text) {
        if (IsMssqlControl(c)) {
            if (quoted) {
                out += '\'';
                quoted = false;
            }
            if (!first) out += " + ";
            out += wide ? "NCHAR(" : "CHAR(";
            AppendInteger(static_cast<unsigned char>(c), out);
            out += ')';
            first = false;
            continue;
        }
        if (!quoted) {
            if (!first) out += " + ";
            out += quoteOpen;
            quoted = true;
            first = false;
        }
        if (c == '\'') out += '\'';
        out += c;
    }
    if (quoted) out += '\'';
}

[[noreturn]] void NoNumber(const TField& field, std::string_view text) {
    throw EConvertError(Format("Field '%s' holds %s, which is no number SQL can take",
                               field.FieldName().c_str(), std::string(text).c_str()));
}

void AppendNumber(const TField& field, const TColumnData& data, size_t row, std::string& out) {
    char buffer[32];
    switch (data.Storage()) {
    case TValueStorage::Int64: {
        auto result = std::to_chars(buffer, buffer + sizeof(buffer), data.Int64(row));
        out.append(buffer, result.ptr);
        return;
    }
    case TValueStorage::UInt64: {
        auto result = std::to_chars(buffer, buffer + sizeof(buffer), data.UInt64(row));
        out.append(buffer, result.ptr);
        return;
    }
    case TValueStorage::Double:
        if (!std::isfinite(data.Double(row))) {
            std::string text;
            AppendFloatText(data.Double(row), text);
            NoNumber(field, text);
        }
        AppendFloatText(data.Double(row), out);
        return;
    case TValueStorage::Single:
        if (!std::isfinite(data.Single(row))) {
            std::string text;
            AppendSingleText(data.Single(row), text);
            NoNumber(field, text);
        }
        AppendSingleText(data.Single(row), out);
        return;
    case TValueStorage::Boolean:
        out += data.Boolean(row) ? '1' : '0';
        return;
    case TValueStorage::Decimal:
    case TValueStorage::Bytes:
        // Written bare into the statement: only a plain decimal may stand there.
        if (!AppendDecimalText(data.Bytes(row), out)) NoNumber(field, data.Bytes(row));
        return;
    case TValueStorage::DateTime: {
        std::string text;
        AppendValueText(data, row, field.DataType(), TDateTimeStyle::Blank, text);
        NoNumber(field, text);
    }
    }
}

// Hexadecimal of a binary value or large object; an empty one is "0x" for SQL Server and X''
// for MySQL, which rejects a bare 0x.
void AppendBinary(std::string_view bytes, TDialect dialect, std::string& out) {
    if (bytes.empty() && dialect == TDialect::dMysql) {
        out += "X''";
        return;
    }
    AppendHexLiteral(bytes, out);
}

bool IsTextLargeObject(TFieldType kind) {
    return kind == TFieldType::ftMemo || kind == TFieldType::ftFmtMemo ||
           kind == TFieldType::ftOraClob;
}

// Long text as hexadecimal that names its character set: bare hex bytes are read in the
// column's own character set (MySQL refuses GB18030 bytes in a utf8mb4 column; SQL Server reads
// them as UTF-16 in an nvarchar(max) or ntext one), so the value is written as Unicode that
// every server converts to the column's character set.
void AppendTextLargeObject(std::string_view text, TDialect dialect, std::string& out) {
    if (text.empty()) {
        AppendBinary(text, dialect, out);
        return;
    }
    if (dialect == TDialect::dMysql) {
        out += "_utf8mb4 ";
        AppendHexLiteral(platform::CodePageToUtf8(text, platform::TConversion::Strict), out);
        return;
    }
    out += "CAST(";
    AppendHexLiteral(Utf16LeBytes(text), out);
    out += " AS NVARCHAR(MAX))";
}

TDateTimeStyle DateStyleOf(TDialect dialect) {
    return dialect == TDialect::dMssql ? TDateTimeStyle::IsoT : TDateTimeStyle::Blank;
}

} // namespace

TRenderGroup RenderGroupOf(TFieldType kind) {
    switch (kind) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
        return TRenderGroup::rgNumeric;
    case TFieldType::ftBoolean:
        return TRenderGroup::rgBoolean;
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftWideString:
    case TFieldType::ftGuid:
        return TRenderGroup::rgText;
    case TFieldType::ftBlob:
    case TFieldType::ftMemo:
    case TFieldType::ftGraphic:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftParadoxOle:
    case TFieldType::ftDBaseOle:
    case TFieldType::ftTypedBinary:
    case TFieldType::ftOraBlob:
    case TFieldType::ftOraClob:
        return TRenderGroup::rgLargeObject;
    default:
        return TRenderGroup::rgOther;
    }
}

bool IsBinaryKind(TFieldType kind) {
    if (kind == TFieldType::ftBytes || kind == TFieldType::ftVarBytes) return true;
    return RenderGroupOf(kind) == TRenderGroup::rgLargeObject && !IsTextLargeObject(kind);
}

std::string HexDisplayText(std::string_view bytes, size_t maxBytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    size_t shown = std::min(bytes.size(), maxBytes);
    std::string text = "0x";
    text.reserve(2 + 2 * shown + 3);
    for (size_t i = 0; i < shown; ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    if (shown < bytes.size()) text += "...";
    return text;
}

TNotNullSubstitute NotNullSubstituteOf(TFieldType kind) {
    if (IsIntegerKind(kind)) return TNotNullSubstitute::nsZero;
    switch (kind) {
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd:
    case TFieldType::ftBoolean:
        return TNotNullSubstitute::nsZero;
    default:
        return IsTextKind(kind) ? TNotNullSubstitute::nsBlank : TNotNullSubstitute::nsBlankMayFail;
    }
}

TNotNullList::TNotNullList(const std::string& text) {
    TStringList pieces;
    SplitString(LowerCase(Trim(text)), pieces, ',', true);
    FNames = pieces.Items();
}

bool TNotNullList::Contains(std::string_view columnName) const {
    for (const std::string& name : FNames)
        if (SameText(name, columnName)) return true;
    return false;
}

void AppendFieldLiteral(const TField& field, TDialect dialect, bool inNotNullList,
                        std::string& out) {
    TFieldType kind = field.DataType();
    TRenderGroup group = RenderGroupOf(kind);
    if (field.IsNull()) {
        if (!inNotNullList)
            out += "NULL";
        else if (NotNullSubstituteOf(kind) == TNotNullSubstitute::nsZero)
            out += '0';
        else
            out += "' '";
        return;
    }
    const TColumnData& data = field.Data();
    size_t row = field.Row();
    switch (group) {
    case TRenderGroup::rgNumeric:
        AppendNumber(field, data, row, out);
        return;
    case TRenderGroup::rgBoolean:
        out += field.AsBoolean() ? '1' : '0';
        return;
    case TRenderGroup::rgLargeObject:
        if (data.Storage() == TValueStorage::Bytes) {
            if (IsTextLargeObject(kind))
                AppendTextLargeObject(data.Bytes(row), dialect, out);
            else
                AppendBinary(data.Bytes(row), dialect, out);
            return;
        }
        break;
    case TRenderGroup::rgText:
    case TRenderGroup::rgOther:
        if ((kind == TFieldType::ftBytes || kind == TFieldType::ftVarBytes) &&
            data.Storage() == TValueStorage::Bytes) {
            AppendBinary(data.Bytes(row), dialect, out);
            return;
        }
        break;
    }
    bool wide = kind == TFieldType::ftWideString;
    if (data.Storage() == TValueStorage::Bytes) {
        AppendQuotedText(data.Bytes(row), dialect, wide, out);
        return;
    }
    std::string text;
    AppendValueText(data, row, kind, DateStyleOf(dialect), text);
    if (IsTextLargeObject(kind))
        AppendTextLargeObject(text, dialect, out);
    else if (group == TRenderGroup::rgLargeObject)
        AppendBinary(text, dialect, out);
    else
        AppendQuotedText(text, dialect, wide, out);
}

std::string RenderFieldLiteral(const TField& field, TDialect dialect, const TNotNullList& notNull) {
    std::string literal;
    AppendFieldLiteral(field, dialect, notNull.Contains(field.FieldName()), literal);
    return literal;
}

void AppendQuotedText(std::string_view text, TDialect dialect, bool wide, std::string& out) {
    if (dialect == TDialect::dMysql) {
        if (MysqlQuotingIsAmbiguous(text))
            AppendTextLargeObject(text, dialect, out);
        else
            AppendMysqlQuoted(text, out);
    } else
        AppendMssqlQuoted(text, wide, out);
}

std::string QuotedStr(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += '\'';
        quoted += c;
    }
    quoted += '\'';
    return quoted;
}

void AppendHexLiteral(std::string_view bytes, std::string& out) {
    out += "0x";
    AppendHexDigits(bytes, out);
}

std::string BuildColumnList(TResultSet& resultSet, TDialect dialect) {
    std::string list;
    for (int position = 0; position < resultSet.FieldCount(); ++position) {
        TField field = resultSet.Fields(position);
        if (field.IsSelection()) continue;
        if (!list.empty()) list += ", ";
        AppendQuotedName(field.FieldName(), dialect, list);
    }
    return list;
}
