// Turning one value of the current row into the SQL literal of an INSERT statement, for the
// two database kinds, and quoting names and texts the way each of them reads them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/Dialect.h"
#include "app/ResultSet.h"

// How a column kind is rendered.
enum class TRenderGroup { rgNumeric, rgBoolean, rgText, rgLargeObject, rgOther };
TRenderGroup RenderGroupOf(TFieldType kind);

// Binary values and binary large objects: bytes that are no text in any code page.
bool IsBinaryKind(TFieldType kind);

// How the grid shows such bytes: "0x" and the first maxBytes in upper-case hexadecimal,
// "..." after them when there are more.
std::string HexDisplayText(std::string_view bytes, size_t maxBytes);

// The columns that get a substitute value instead of NULL, from the comma-separated text
// the user typed: trimmed, lower-cased (A-Z), split at "," with every piece trimmed.
class TNotNullList {
public:
    TNotNullList() = default;
    explicit TNotNullList(const std::string& text);
    // The column name matches one of the pieces, ignoring case.
    bool Contains(std::string_view columnName) const;
    const std::vector<std::string>& Names() const { return FNames; }

private:
    std::vector<std::string> FNames;
};

// What a column in the not-null list gets instead of NULL: 0 for every number (bits and
// booleans too), ' ' for text; ' ' for dates, times and binary values too, which the server
// may reject, so the caller warns about those.
enum class TNotNullSubstitute { nsZero, nsBlank, nsBlankMayFail };
TNotNullSubstitute NotNullSubstituteOf(TFieldType kind);

// Appends the literal of field's value at the current row: numbers bare (exact decimals,
// shortest floats with "."), booleans 1/0, texts quoted for the dialect, binary values and
// large objects as hexadecimal, dates quoted in the dialect's layout, NULL or the substitute
// (NotNullSubstituteOf) when the column is in the not-null list.
// Fails with EConvertError for a number SQL cannot write (NaN, infinity, a malformed decimal).
void AppendFieldLiteral(const TField& field, TDialect dialect, bool inNotNullList,
                        std::string& out);
std::string RenderFieldLiteral(const TField& field, TDialect dialect, const TNotNullList& notNull);

// A text literal. MySQL: apostrophes doubled, backslash, NUL, CR, LF and Ctrl-Z escaped with a
// backslash, character by character in the code page; a value that a utf8mb4, gbk or latin1
// client could split differently (a 0x5C trail byte, a non-ASCII character before an escape)
// is written as _utf8mb4 0x... of its UTF-8 text instead.
// SQL Server: apostrophes doubled; CR, LF and NUL written outside the quotes as CHAR(n)
// (NCHAR(n) and N'...' pieces when wide) joined with " + "; a value of more than 1000 pieces
// becomes CAST(0x... AS VARCHAR(MAX)) of its bytes, or of its UTF-16LE bytes AS NVARCHAR(MAX)
// when wide.
void AppendQuotedText(std::string_view text, TDialect dialect, bool wide, std::string& out);
// Apostrophes around text, apostrophes inside doubled; nothing else.
std::string QuotedStr(std::string_view text);

// "0x" and two upper-case hexadecimal digits per byte.
void AppendHexLiteral(std::string_view bytes, std::string& out);

// The quoted names of the result's columns in position order, the selection column left out,
// separated by ", ".
std::string BuildColumnList(TResultSet& resultSet, TDialect dialect);
