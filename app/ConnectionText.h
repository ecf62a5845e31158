// Connection texts as the connection dialog composes and reads them: the kind of database
// and its fields, to and from an ODBC connection text.
#pragma once

#include <optional>
#include <string>

#include "app/Dialect.h"

enum class TConnectionKind { SqlServer, MySql, SQLite };

struct TConnectionFields {
    TConnectionKind Kind = TConnectionKind::MySql;
    std::string Server = "127.0.0.1";
    std::string Port;
    std::string Database; // the database, or the file for SQLite
    std::string User;
    std::string Password;
};

// The default port of the kind as text ("" for SQLite).
std::string DefaultPort(TConnectionKind kind);

// An ODBC text for the installed drivers: FreeTDS, MariaDB Unicode or SQLite3. Empty fields
// are left out; a value with ";", "=", braces or outer blanks is enclosed in braces.
std::string ComposeConnectionString(const TConnectionFields& fields);

// The fields of an ODBC or OLE DB text, as far as it names them (keys ignoring case;
// "host,port" in a SQL Server data source). Unknown keys are ignored.
TConnectionFields ParseConnectionString(const std::string& text);

// The fields of text when it reads as a connection text: not blank, readable to the end, and
// naming at least one driver, provider, server or database key. Nothing otherwise.
std::optional<TConnectionFields> TryParseConnectionString(const std::string& text);

// The kind of database that the driver (or, without one, the OLE DB provider) of text names;
// nothing when it names none of them (a DSN, an unknown driver).
std::optional<TConnectionKind> NamedConnectionKind(const std::string& text);

// The dialect statements for a kind are written in: SQL Server's own, else MySQL's (SQLite
// reads LIMIT and backquoted names).
TDialect DialectOfKind(TConnectionKind kind);

// "SQL Server", "MySQL/MariaDB" or "SQLite", as the dialog lists them.
std::string ConnectionKindName(TConnectionKind kind);
