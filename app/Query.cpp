// The SEL rewrite reads the statement as tokens so that string constants, quoted names,
// comments and names like "laptop" or "selected" are never mistaken for keywords.
#include "app/Query.h"

#include "app/RowSelection.h"

#include <string_view>
#include <vector>

#include "base/Exception.h"
#include "base/Format.h"
#include "platform/CodePage.h"

namespace {

enum class TTokenKind { Word, Symbol, Quoted };

struct TToken {
    TTokenKind Kind;
    size_t Start;
    size_t End; // one past the last byte
};

bool IsWordByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '@' || c == '#' || c == '$' || c >= 0x80;
}

// Skips a quoted run that started at text[pos] with open and ends with close; a doubled close
// is part of the text, and so is a backslash escape where the dialect reads them.
size_t SkipQuoted(std::string_view text, size_t pos, char close, bool backslashEscapes) {
    ++pos;
    while (pos < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[pos]);
        if (c >= 0x80) {
            int length = platform::CodePageCharLength(text, pos);
            pos += length > 0 ? static_cast<size_t>(length) : 1;
            continue;
        }
        if (backslashEscapes && c == '\\') {
            pos += 2;
            continue;
        }
        if (c == static_cast<unsigned char>(close)) {
            if (pos + 1 < text.size() && text[pos + 1] == close) {
                pos += 2;
                continue;
            }
            return pos + 1;
        }
        ++pos;
    }
    return text.size();
}

// Words, symbols and quoted runs; blanks and comments are dropped. Multi-byte characters
// are taken whole, so their second bytes never look like letters, brackets or quotes.
std::vector<TToken> Tokenize(std::string_view text, TDialect dialect) {
    std::vector<TToken> tokens;
    const bool mysql = dialect == TDialect::dMysql;
    size_t pos = 0;
    while (pos < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[pos]);
        if (c <= ' ') {
            ++pos;
        } else if (c == '-' && pos + 1 < text.size() && text[pos + 1] == '-') {
            while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r')
                ++pos;
        } else if (mysql && c == '#') {
            while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r')
                ++pos;
        } else if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
            size_t end = text.find("*/", pos + 2);
            pos = end == std::string_view::npos ? text.size() : end + 2;
        } else if (c == '\'' || c == '"' || c == '`' || (c == '[' && !mysql)) {
            char close = c == '[' ? ']' : static_cast<char>(c);
            bool escapes = mysql && (c == '\'' || c == '"');
            size_t end = SkipQuoted(text, pos, close, escapes);
            tokens.push_back({TTokenKind::Quoted, pos, end});
            pos = end;
        } else if (IsWordByte(c)) {
            size_t start = pos;
            while (pos < text.size() && IsWordByte(static_cast<unsigned char>(text[pos]))) {
                if (static_cast<unsigned char>(text[pos]) >= 0x80) {
                    int length = platform::CodePageCharLength(text, pos);
                    pos += length > 0 ? static_cast<size_t>(length) : 1;
                } else {
                    ++pos;
                }
            }
            tokens.push_back({TTokenKind::Word, start, pos});
        } else {
            tokens.push_back({TTokenKind::Symbol, pos, pos + 1});
            ++pos;
        }
    }
    return tokens;
}

bool IsWord(std::string_view text, const TToken& token, std::string_view word) {
    return token.Kind == TTokenKind::Word &&
           SameText(text.substr(token.Start, token.End - token.Start), word);
}

bool IsSymbol(std::string_view text, const TToken& token, char symbol) {
    return token.Kind == TTokenKind::Symbol && text[token.Start] == symbol;
}

// MySQL's modifiers that stand between SELECT and the select list.
bool IsMysqlSelectModifier(std::string_view text, const TToken& token) {
    static const char* const modifiers[] = {
        "DISTINCTROW",      "HIGH_PRIORITY",  "STRAIGHT_JOIN",
        "SQL_SMALL_RESULT", "SQL_BIG_RESULT", "SQL_BUFFER_RESULT",
        "SQL_CACHE",        "SQL_NO_CACHE",   "SQL_CALC_FOUND_ROWS"};
    for (const char* modifier : modifiers)
        if (IsWord(text, token, modifier)) return true;
    return false;
}

} // namespace

std::string TableSelectStatement(const std::string& tableName, TDialect dialect,
                                 const std::string& rowLimit) {
    std::string limit = Trim(rowLimit);
    std::string table = QuoteName(tableName, dialect);
    if (dialect == TDialect::dMssql)
        return (limit.empty() ? "Select * \rFrom " : "Select top " + limit + " * \rFrom ") + table;
    return "Select * \rFrom " + table + (limit.empty() ? "" : " LIMIT 0 , " + limit);
}

TSelectionQuery InsertSelectionColumn(const std::string& statement, TDialect dialect) {
    TSelectionQuery query{statement, TSelectionPlace::First, false};
    std::vector<TToken> tokens = Tokenize(statement, dialect);
    size_t index = 0;
    while (index < tokens.size() && !IsWord(statement, tokens[index], "select"))
        ++index;
    if (index == tokens.size()) return query;
    size_t insertAt = tokens[index].End;
    ++index;

    // Skip what stands between SELECT and its select list.
    for (;;) {
        if (index >= tokens.size()) break;
        const TToken& token = tokens[index];
        if (IsWord(statement, token, "distinct") || IsWord(statement, token, "all") ||
            (dialect == TDialect::dMysql && IsMysqlSelectModifier(statement, token))) {
            insertAt = token.End;
            ++index;
        } else if (dialect == TDialect::dMssql && IsWord(statement, token, "top") &&
                   index + 1 < tokens.size()) {
            ++index;
            if (IsSymbol(statement, tokens[index], '(')) {
                int depth = 0;
                for (; index < tokens.size(); ++index) {
                    if (IsSymbol(statement, tokens[index], '(')) ++depth;
                    if (IsSymbol(statement, tokens[index], ')') && --depth == 0) break;
                }
                if (index == tokens.size()) return query; // unbalanced; the server says why
            }
            insertAt = tokens[index].End;
            ++index;
            if (index < tokens.size() && IsWord(statement, tokens[index], "percent")) {
                insertAt = tokens[index].End;
                ++index;
            }
            if (index + 1 < tokens.size() && IsWord(statement, tokens[index], "with") &&
                IsWord(statement, tokens[index + 1], "ties")) {
                insertAt = tokens[index + 1].End;
                index += 2;
            }
        } else {
            break;
        }
    }

    std::string& result = query.Statement;
    query.Inserted = true;
    if (index < tokens.size()) {
        const TToken& first = tokens[index];
        // MySQL accepts a bare * only as the first item of the list.
        bool bareStar =
            IsSymbol(statement, first, '*') &&
            (index + 1 == tokens.size() || !IsSymbol(statement, tokens[index + 1], '.'));
        if (dialect == TDialect::dMysql && bareStar) {
            result.insert(first.End, ", cast(0 as UNSIGNED) AS SEL");
            query.Place = TSelectionPlace::Last;
            return query;
        }
        result.insert(first.Start, dialect == TDialect::dMssql ? "convert(bit, 0) AS SEL, "
                                                               : "cast(0 as UNSIGNED) AS SEL, ");
        return query;
    }
    result.insert(insertAt, dialect == TDialect::dMssql ? " convert(bit, 0) AS SEL"
                                                        : " cast(0 as UNSIGNED) AS SEL");
    return query;
}

bool IsQueryText(const std::string& text, TDialect dialect) {
    for (const TToken& token : Tokenize(text, dialect)) {
        if (IsSymbol(text, token, '(')) continue;
        return IsWord(text, token, "select");
    }
    return false;
}

TDataPacket OpenSelectQuery(platform::TDatabase& database, const std::string& statement,
                            TDialect dialect) {
    TSelectionQuery query = InsertSelectionColumn(statement, dialect);
    if (!query.Inserted) throw EDatabaseError(Format("Field '%s' not found", kSelectionField));
    TDataPacket packet = database.OpenQuery(query.Statement, "");
    // The column at the rewrite's place must be the one it added; anything else would be a
    // user column about to be overwritten by the ticks.
    if (packet.Fields.empty())
        throw EDatabaseError(Format("Field '%s' not found", kSelectionField));
    size_t column = query.Place == TSelectionPlace::First ? 0 : packet.Fields.size() - 1;
    if (!SameText(packet.Fields[column].Name, kSelectionField))
        throw EDatabaseError(Format("Field '%s' not found", kSelectionField));
    packet.Fields[column].ReadOnly = false;
    packet.SelectionColumn = static_cast<int>(column);
    return packet;
}

bool ExecStatement(platform::TDatabase& database, const std::string& statement) {
    return database.ExecuteCommand(statement) > 0;
}

void ConnectDatabase(platform::TDatabase& database, const std::string& connectionText,
                     TStrings& tables) {
    database.Close();
    database.SetConnectionString(connectionText);
    database.Open();
    database.GetTableNames(tables);
}
