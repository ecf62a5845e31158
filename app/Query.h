// Queries with the selection column: the statement for a table, the SEL rewrite, the
// query/command decision, running them, and connecting (the workflow without the window).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Dialect.h"
#include "base/DataPacket.h"
#include "base/Strings.h"
#include "platform/Database.h"

// Where the rewrite put the selection column among the result's columns. The program finds
// its column by this place, never by its name: a user column may be called "sel" too.
enum class TSelectionPlace { First, Last };

struct TSelectionQuery {
    std::string Statement;
    TSelectionPlace Place = TSelectionPlace::First;
    // false: no SELECT to put the column into, or unbalanced parentheses; Statement unchanged
    bool Inserted = false;
};

// The statement that opens a table's rows. rowLimit is the limit text as given; it is trimmed
// and otherwise enters the statement unchanged; when it is empty every row is read.
// "mssql": "Select top L * \rFrom [T]"; "mysql": "Select * \rFrom `T` LIMIT 0 , L".
std::string TableSelectStatement(const std::string& tableName, TDialect dialect,
                                 const std::string& rowLimit);

// The statement with the selection column put into the select list of its main SELECT:
// after the CTE list of a WITH, into every top-level branch of a UNION, INTERSECT or EXCEPT
// at the same place. At the start of the list, or at its end when a MySQL list starts with a
// bare * (MySQL accepts * only as the first item). Every other byte stays as typed.
TSelectionQuery InsertSelectionColumn(const std::string& statement, TDialect dialect);

// The table a query's rows come from, as its name parts (database or schema first, each
// without its quotes), when the top-level FROM names exactly one table: no join, no comma, no
// subquery, and the same table in every UNION branch. Empty when it names none or several.
std::vector<std::string> QueryTableName(const std::string& statement, TDialect dialect);

// True when the statement returns rows: its first keyword (after comments, semicolons and
// opening parentheses) is SELECT, or it is a WITH whose main statement is a SELECT.
bool IsQueryText(const std::string& text, TDialect dialect);

// Runs a SELECT with the selection column added and returns all its rows. The packet marks
// the selection column (writable) by the place the rewrite put it.
TDataPacket OpenSelectQuery(platform::TDatabase& database, const std::string& statement,
                            TDialect dialect);

// Runs a statement as a command, unchanged; returns the rows it affected as the database
// counts them, 0 when the database gives no count (a CREATE, for instance).
int64_t ExecStatement(platform::TDatabase& database, const std::string& statement);

// Closes the connection, opens it with connectionText (exactly as typed, no prompt) and fills
// tables with its table names. A failure leaves in tables what the steps before it left.
void ConnectDatabase(platform::TDatabase& database, const std::string& connectionText,
                     TStrings& tables);
