#include "app/ConnectionText.h"

#include "base/ConnectionPairs.h"
#include "base/Format.h"

namespace {

bool Contains(const std::string& text, const char* part) {
    return LowerCase(text).find(part) != std::string::npos;
}

// The kind a driver or provider name stands for; false when it names none of them.
bool KindOf(const std::string& name, TConnectionKind& kind) {
    if (Contains(name, "sqlite"))
        kind = TConnectionKind::SQLite;
    else if (Contains(name, "maria") || Contains(name, "mysql"))
        kind = TConnectionKind::MySql;
    else if (Contains(name, "tds") || Contains(name, "sql server") || Contains(name, "sqlncli") ||
             Contains(name, "native client") || Contains(name, "sqloledb") ||
             Contains(name, "msoledbsql"))
        kind = TConnectionKind::SqlServer;
    else
        return false;
    return true;
}

struct TFieldsRead {
    TConnectionFields Fields;
    bool Readable = false;  // no syntax error
    bool Named = false;     // a key the dialog shows or connects by
    bool KindNamed = false; // the driver or provider names the kind
};

TFieldsRead ReadFields(const std::string& text);

} // namespace

std::string DefaultPort(TConnectionKind kind) {
    switch (kind) {
    case TConnectionKind::SqlServer:
        return "1433";
    case TConnectionKind::MySql:
        return "3306";
    case TConnectionKind::SQLite:
        break;
    }
    return "";
}

std::string ComposeConnectionString(const TConnectionFields& fields) {
    std::string text;
    auto add = [&text](const char* key, const std::string& value) {
        if (value.empty()) return;
        if (!text.empty()) text += ';';
        text += key;
        text += '=';
        text += ConnectionValueText(value);
    };
    switch (fields.Kind) {
    case TConnectionKind::SQLite:
        add("Driver", "SQLite3");
        add("Database", fields.Database);
        return text;
    case TConnectionKind::SqlServer:
        text = "Driver={FreeTDS}";
        break;
    case TConnectionKind::MySql:
        text = "Driver={MariaDB Unicode}";
        break;
    }
    add("Server", fields.Server);
    add("Port", fields.Port);
    add("Database", fields.Database);
    add("UID", fields.User);
    add("PWD", fields.Password);
    return text;
}

TConnectionFields ParseConnectionString(const std::string& text) {
    return ReadFields(text).Fields;
}

std::optional<TConnectionFields> TryParseConnectionString(const std::string& text) {
    TFieldsRead read = ReadFields(text);
    if (!read.Readable || !read.Named) return std::nullopt;
    return read.Fields;
}

std::optional<TConnectionKind> NamedConnectionKind(const std::string& text) {
    TFieldsRead read = ReadFields(text);
    if (!read.KindNamed) return std::nullopt;
    return read.Fields.Kind;
}

TDialect DialectOfKind(TConnectionKind kind) {
    return kind == TConnectionKind::SqlServer ? TDialect::dMssql : TDialect::dMysql;
}

std::string ConnectionKindName(TConnectionKind kind) {
    switch (kind) {
    case TConnectionKind::SqlServer:
        return "SQL Server";
    case TConnectionKind::MySql:
        return "MySQL/MariaDB";
    case TConnectionKind::SQLite:
        break;
    }
    return "SQLite";
}

namespace {

// Reads the keys as the connection translates them (platform/odbc/ConnectionString.cpp), so
// that the dialog shows what a history entry connects to. A text that cannot be read shows
// what comes before the fault.
TFieldsRead ReadFields(const std::string& text) {
    TFieldsRead result;
    TConnectionFields& fields = result.Fields;
    if (Trim(text).empty()) return result;
    fields.Server.clear();
    TConnectionText read = ReadConnectionText(text);
    result.Readable = read.Error.empty();
    std::string server, dataSource, location, provider, driver, dsn;
    // Extended Properties holds ODBC keys.
    auto readPair = [&](const TConnectionPair& pair, bool oleDb, auto& self) -> void {
        std::string key = NormalConnectionKey(pair.Key);
        const std::string& value = pair.Value;
        if (key == "server" ||
            (oleDb && (key == "address" || key == "addr" || key == "network address")))
            server = value;
        else if (oleDb && key == "data source")
            dataSource = value;
        else if (oleDb && key == "location")
            location = value;
        else if (key == "database" || (oleDb && key == "initial catalog"))
            fields.Database = value;
        else if (key == "uid" || key == "user" || (oleDb && key == "user id"))
            fields.User = value;
        else if (key == "pwd" || key == "password")
            fields.Password = value;
        else if (key == "port")
            fields.Port = value;
        else if (key == "driver")
            driver = value;
        else if (key == "dsn")
            dsn = value;
        else if (oleDb && key == "provider")
            provider = value;
        else if (oleDb && key == "extended properties")
            for (const TConnectionPair& inner :
                 ReadConnectionText(value, TConnectionSyntax::Odbc).Pairs)
                self(inner, false, self);
    };
    bool oleDb = read.Syntax == TConnectionSyntax::OleDb;
    for (const TConnectionPair& pair : read.Pairs)
        readPair(pair, oleDb, readPair);
    // The driver connects; without one the provider decides.
    result.KindNamed = KindOf(driver, fields.Kind) || KindOf(provider, fields.Kind);
    std::string lowerProvider = LowerCase(provider);
    if (!oleDb || StartsText("msdasql", lowerProvider)) {
        // Under the ODBC bridge, Data Source names a DSN.
    } else if (StartsText("mysql", lowerProvider) && !location.empty()) {
        // The MySQL provider names the host Location when Data Source holds the database.
        if (fields.Database.empty()) fields.Database = dataSource;
        if (server.empty()) server = location;
    } else if (server.empty()) {
        server = dataSource;
    }
    fields.Server = server;
    // Only FreeTDS reads "host,port"; a comma in a MySQL host is part of it.
    size_t comma = server.find(',');
    if (fields.Kind == TConnectionKind::SqlServer && comma != std::string::npos) {
        fields.Server = Trim(server.substr(0, comma));
        fields.Port = Trim(server.substr(comma + 1));
    }
    result.Named = !driver.empty() || !provider.empty() || !dsn.empty() || !server.empty() ||
                   !dataSource.empty() || !fields.Database.empty();
    return result;
}

} // namespace
