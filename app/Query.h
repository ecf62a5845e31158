// Queries with the selection column: the statement for a table, the SEL rewrite, the
// query/command decision, running them, and connecting (the workflow without the window).
#pragma once

#include <cstdint>
#include <string>

#include "base/DataPacket.h"
#include "base/Strings.h"
#include "platform/Database.h"

// The database kinds, as the index of the kind list: 0 "mssql", 1 "mysql".
constexpr int kDialectMssql = 0;
constexpr int kDialectMysql = 1;

// The name of the selection column every query carries.
inline constexpr const char* kSelectionField = "SEL";

// [name] for "mssql", `name` for "mysql", the closing quote doubled inside; the name as it
// stands for any other dialect.
std::string QuoteName(const std::string& name, int dialect);

// The statement that opens a table's first rows. rowLimit is the limit text as typed; it is
// trimmed and "100" when empty, and otherwise enters the statement unchanged.
// "mssql": "Select top L * \rFrom [T]"; "mysql": "Select * \rFrom `T` LIMIT 0 , L".
std::string TableSelectStatement(const std::string& tableName, int dialect,
                                 const std::string& rowLimit);

// The statement with the selection column put at the start of the select list of its first
// SELECT; every other byte stays as typed. Unchanged when it holds no SELECT keyword.
std::string InsertSelectionColumn(const std::string& statement, int dialect);

// True when the first keyword (after comments and opening parentheses) is SELECT; the
// dialect says which comments and quotes there are.
bool IsQueryText(const std::string& text, int dialect);

// Runs a SELECT with the selection column added and returns all its rows, SEL writable.
TDataPacket OpenSelectQuery(platform::TDatabase& database, const std::string& statement,
                            int dialect);

// Runs a statement as a command, unchanged; true when it affected at least one row.
bool ExecStatement(platform::TDatabase& database, const std::string& statement);

// Closes the connection, opens it with connectionText (exactly as typed, no prompt) and fills
// tables with its table names. A failure leaves in tables what the steps before it left.
void ConnectDatabase(platform::TDatabase& database, const std::string& connectionText,
                     TStrings& tables);
