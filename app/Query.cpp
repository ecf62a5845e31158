// The SEL rewrite reads the statement as tokens so that string constants, quoted names,
// comments and names like "laptop" or "selected" are never mistaken for keywords.
#include "app/Query.h"

#include "app/RowSelection.h"

#include <optional>
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

constexpr size_t kNone = static_cast<size_t>(-1);

// Deeper nesting than any real query; it keeps a hostile statement from exhausting the stack.
constexpr int kMaxNesting = 200;

// The select list of one SELECT, as token indexes: First..End-1 are its items, End is what
// ends it. Begin is the byte after SELECT and its modifiers, where an empty list would be.
struct TSelectList {
    size_t Begin;
    size_t First;
    size_t End;
};

// Reads a statement's queries over its tokens, as far as the rewrite needs the grammar:
//   query := [WITH cte, ...] term {UNION|INTERSECT|EXCEPT [ALL|DISTINCT] term} [ORDER BY ...]
//   term  := SELECT ... | ( query )
class TQueryReader {
public:
    TQueryReader(std::string_view text, TDialect dialect)
        : Text(text), Dialect(dialect), Tokens(Tokenize(text, dialect)) {}

    const std::vector<TToken>& AllTokens() const { return Tokens; }

    bool Word(size_t index, std::string_view word) const {
        return index < Tokens.size() && IsWord(Text, Tokens[index], word);
    }
    bool Symbol(size_t index, char symbol) const {
        return index < Tokens.size() && IsSymbol(Text, Tokens[index], symbol);
    }

    size_t SkipOpenings(size_t index) const {
        while (Symbol(index, '('))
            ++index;
        return index;
    }

    // From the '(' at index to just after its ')'; kNone when it is never closed.
    size_t SkipParens(size_t index) const {
        size_t depth = 0;
        for (; index < Tokens.size(); ++index) {
            if (Symbol(index, '('))
                ++depth;
            else if (Symbol(index, ')') && --depth == 0)
                return index + 1;
        }
        return kNone;
    }

    // A WITH followed by a CTE; WITH (NOLOCK) and WITH TIES are something else.
    bool OpensCteList(size_t index) const {
        return Word(index, "with") &&
               (Word(index + 1, "recursive") || Symbol(index + 2, '(') || Word(index + 2, "as"));
    }

    // From the WITH at index to the statement after its list:
    // WITH [RECURSIVE] name [(columns)] AS (query), ... and SQL Server's XMLNAMESPACES (...).
    // kNone when no CTE list stands there.
    size_t SkipCteList(size_t index) const {
        ++index;
        if (Word(index, "recursive")) ++index;
        for (;;) {
            if (index >= Tokens.size() || Tokens[index].Kind == TTokenKind::Symbol) return kNone;
            bool namespaces = Word(index, "xmlnamespaces");
            ++index;
            if (Symbol(index, '(')) index = SkipParens(index);
            if (index == kNone) return kNone;
            if (!namespaces) {
                if (!Word(index, "as") || !Symbol(index + 1, '(')) return kNone;
                index = SkipParens(index + 1);
                if (index == kNone) return kNone;
            }
            if (!Symbol(index, ',')) return index;
            ++index;
        }
    }

    // The main query: from the first SELECT, or the first WITH that opens a CTE list, back
    // over the parentheses that open it. An earlier statement before it stays untouched.
    size_t FindQuery() const {
        size_t index = 0;
        while (index < Tokens.size() && !Word(index, "select") && !OpensCteList(index))
            ++index;
        if (index == Tokens.size()) return kNone;
        while (index > 0 && Symbol(index - 1, '('))
            --index;
        return index;
    }

    // Reads the query at index and adds the SELECT of each of its branches (not those of
    // subqueries) to selects. Returns the index of what ends it (')', ';' or the end), or
    // kNone when it is no query or unbalanced.
    size_t ReadQuery(size_t index, std::vector<size_t>& selects, int nesting = 0) const {
        if (nesting > kMaxNesting) return kNone;
        if (Word(index, "with")) {
            index = SkipCteList(index);
            if (index == kNone) return kNone;
        }
        for (;;) {
            if (Word(index, "select")) {
                selects.push_back(index++);
            } else if (Symbol(index, '(')) {
                index = ReadQuery(index + 1, selects, nesting + 1);
                if (!Symbol(index, ')')) return kNone;
                ++index;
            } else {
                return kNone;
            }
            // The rest of the branch, and an ORDER BY or LIMIT of the whole query after it.
            while (index < Tokens.size() && !Symbol(index, ')') && !Symbol(index, ';') &&
                   !IsSetOperator(index)) {
                index = Symbol(index, '(') ? SkipParens(index) : index + 1;
                if (index == kNone) return kNone;
            }
            if (!IsSetOperator(index)) return index;
            ++index;
            if (Word(index, "all") || Word(index, "distinct")) ++index;
        }
    }

    // The select list of the SELECT at index, past DISTINCT, ALL, TOP (n) PERCENT WITH TIES
    // and MySQL's modifiers. False when a parenthesis in it is never closed.
    bool ReadSelectList(size_t index, TSelectList& list) const {
        const bool mysql = Dialect == TDialect::dMysql;
        list.Begin = Tokens[index].End;
        ++index;
        for (;;) {
            if (Word(index, "distinct") || Word(index, "all") ||
                (mysql && index < Tokens.size() && IsMysqlSelectModifier(Text, Tokens[index]))) {
                list.Begin = Tokens[index++].End;
            } else if (!mysql && Word(index, "top") && index + 1 < Tokens.size()) {
                ++index;
                index = Symbol(index, '(') ? SkipParens(index) : index + 1;
                if (index == kNone) return false;
                list.Begin = Tokens[index - 1].End;
                if (Word(index, "percent")) list.Begin = Tokens[index++].End;
                if (Word(index, "with") && Word(index + 1, "ties")) {
                    list.Begin = Tokens[index + 1].End;
                    index += 2;
                }
            } else {
                break;
            }
        }
        list.First = index;
        while (index < Tokens.size() && !EndsSelectList(index)) {
            index = Symbol(index, '(') ? SkipParens(index) : index + 1;
            if (index == kNone) return false;
        }
        list.End = index;
        return true;
    }

    // The one table named by the FROM of the SELECT at index, as its name parts without
    // quotes; empty when that FROM is missing or holds a join, a list, a subquery or more.
    std::vector<std::string> FromTable(size_t index) const {
        ++index;
        while (index < Tokens.size() && !Word(index, "from") && !EndsBranch(index)) {
            index = Symbol(index, '(') ? SkipParens(index) : index + 1;
            if (index == kNone) return {};
        }
        if (!Word(index, "from")) return {};
        ++index;
        std::vector<std::string> parts;
        for (;;) {
            if (index >= Tokens.size()) return {};
            std::optional<std::string> part = NamePart(Tokens[index]);
            if (!part) return {};
            parts.push_back(std::move(*part));
            ++index;
            if (!Symbol(index, '.')) break;
            ++index;
        }
        if (parts.size() > 3) return {};
        // An alias, with or without AS, and SQL Server's table hints.
        if (Word(index, "as")) ++index;
        if (index < Tokens.size() && !EndsFromClause(index) && !Word(index, "with") &&
            NamePart(Tokens[index]))
            ++index;
        if (Word(index, "with") && Symbol(index + 1, '(')) index = SkipParens(index + 1);
        if (index == kNone || !(index == Tokens.size() || EndsFromClause(index))) return {};
        return parts;
    }

    // MySQL accepts a bare * only as the first item of the list; t.* starts with its name.
    bool StartsWithBareStar(const TSelectList& list) const {
        return list.First < list.End && Symbol(list.First, '*');
    }

private:
    bool EndsBranch(size_t index) const {
        return index >= Tokens.size() || Symbol(index, ')') || Symbol(index, ';') ||
               IsSetOperator(index);
    }

    // What may follow the one table of a FROM; JOIN, a comma or anything else may not.
    bool EndsFromClause(size_t index) const {
        static const char* const words[] = {
            "where", "group", "having", "window",    "order", "limit", "offset",    "fetch",
            "for",   "lock",  "option", "procedure", "into",  "union", "intersect", "except"};
        if (EndsBranch(index)) return true;
        for (const char* word : words)
            if (Word(index, word)) return true;
        return false;
    }

    // A name as written: a plain word, or a quoted one with its doubled quotes made single.
    // A string constant names no table, and neither does a variable (@t, a table variable).
    std::optional<std::string> NamePart(const TToken& token) const {
        std::string_view text = Text.substr(token.Start, token.End - token.Start);
        if (token.Kind == TTokenKind::Word) {
            if (text[0] == '@') return std::nullopt;
            return std::string(text);
        }
        if (token.Kind != TTokenKind::Quoted || text.size() < 2) return std::nullopt;
        char open = text[0];
        if (open == '\'') return std::nullopt;
        char close = open == '[' ? ']' : open;
        if (text.back() != close) return std::nullopt; // never closed
        std::string name;
        std::string_view inner = text.substr(1, text.size() - 2);
        for (size_t pos = 0; pos < inner.size();) {
            int length = platform::CodePageCharLength(inner, pos);
            size_t take = length > 0 ? static_cast<size_t>(length) : 1;
            name.append(inner, pos, take);
            if (take == 1 && inner[pos] == close) ++pos; // the second of a doubled quote
            pos += take;
        }
        return name;
    }

    bool IsSetOperator(size_t index) const {
        return Word(index, "union") || Word(index, "intersect") || Word(index, "except");
    }

    bool EndsSelectList(size_t index) const {
        static const char* const words[] = {"from",   "into",  "where", "group",    "having",
                                            "window", "order", "limit", "union",    "intersect",
                                            "except", "for",   "lock",  "procedure"};
        if (Symbol(index, ')') || Symbol(index, ';')) return true;
        for (const char* word : words)
            if (Word(index, word)) return true;
        return false;
    }

    std::string_view Text;
    TDialect Dialect;
    std::vector<TToken> Tokens;
};

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
    TQueryReader reader(statement, dialect);
    std::vector<size_t> selects;
    size_t start = reader.FindQuery();
    size_t end = start == kNone ? kNone : reader.ReadQuery(start, selects);
    // Unbalanced or not a query: unchanged, the server says what is wrong.
    if (end == kNone || reader.Symbol(end, ')')) return query;

    std::vector<TSelectList> lists(selects.size());
    for (size_t i = 0; i < selects.size(); ++i)
        if (!reader.ReadSelectList(selects[i], lists[i])) return query;
    // Every branch must give the column at the same place; one bare * moves all of them last.
    if (dialect == TDialect::dMysql)
        for (const TSelectList& list : lists)
            if (reader.StartsWithBareStar(list)) query.Place = TSelectionPlace::Last;

    const std::string column =
        dialect == TDialect::dMssql ? "convert(bit, 0) AS SEL" : "cast(0 as UNSIGNED) AS SEL";
    const std::vector<TToken>& tokens = reader.AllTokens();
    std::string& result = query.Statement;
    // Back to front, so the positions of the branches still to do stay valid.
    for (auto list = lists.rbegin(); list != lists.rend(); ++list) {
        if (list->First == list->End)
            result.insert(list->Begin, " " + column);
        else if (query.Place == TSelectionPlace::Last)
            result.insert(tokens[list->End - 1].End, ", " + column);
        else
            result.insert(tokens[list->First].Start, column + ", ");
    }
    query.Inserted = true;
    return query;
}

std::vector<std::string> QueryTableName(const std::string& statement, TDialect dialect) {
    TQueryReader reader(statement, dialect);
    size_t start = reader.FindQuery();
    // A CTE's name is no table of the database.
    if (start == kNone || reader.Word(reader.SkipOpenings(start), "with")) return {};
    std::vector<size_t> selects;
    size_t end = reader.ReadQuery(start, selects);
    if (end == kNone || reader.Symbol(end, ')') || selects.empty()) return {};
    std::vector<std::string> table = reader.FromTable(selects[0]);
    for (size_t i = 1; i < selects.size() && !table.empty(); ++i)
        if (reader.FromTable(selects[i]) != table) return {};
    // MySQL's FROM DUAL stands for no table.
    if (table.size() == 1 && SameText(table[0], "dual")) return {};
    return table;
}

bool IsQueryText(const std::string& text, TDialect dialect) {
    TQueryReader reader(text, dialect);
    size_t index = 0;
    // SQL Server users write ";WITH" to end whatever statement stood before.
    while (reader.Symbol(index, ';'))
        ++index;
    index = reader.SkipOpenings(index);
    if (reader.Word(index, "with")) {
        index = reader.SkipCteList(index);
        if (index == kNone) return false;
        index = reader.SkipOpenings(index);
    }
    return reader.Word(index, "select");
}

TDataPacket OpenSelectQuery(platform::TDatabase& database, const std::string& statement,
                            TDialect dialect) {
    TSelectionQuery query = InsertSelectionColumn(statement, dialect);
    if (!query.Inserted) throw EDatabaseError(Format("Field '%s' not found", kSelectionField));
    TDataPacket packet = database.OpenQuery(query.Statement);
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

int64_t ExecStatement(platform::TDatabase& database, const std::string& statement) {
    int64_t affected = database.ExecuteCommand(statement);
    return affected > 0 ? affected : 0;
}

void ConnectDatabase(platform::TDatabase& database, const std::string& connectionText,
                     TStrings& tables) {
    database.Close();
    database.SetConnectionString(connectionText);
    database.Open();
    database.GetTableNames(tables);
}
