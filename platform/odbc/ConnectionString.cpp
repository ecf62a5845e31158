// OLE DB keys and providers mapped to their ODBC counterparts.
#include "platform/odbc/ConnectionString.h"

#include <algorithm>
#include <utility>

#include "base/ConnectionPairs.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "platform/CodePage.h"

namespace platform::odbc {
namespace {

using TPairs = TConnectionPairs;

TPairs ReadPairs(const std::string& text, TConnectionSyntax syntax) {
    TConnectionText read = ReadConnectionText(text, syntax);
    if (!read.Error.empty()) throw EDatabaseError(read.Error);
    return read.Pairs;
}

// FreeTDS wants the port apart; Microsoft's driver reads "host,port" itself. The last Server
// key is split, its port (which wins over a Port key) put right after it.
bool SplitHostPort(TPairs& pairs) {
    size_t server = pairs.size();
    while (server > 0 && NormalConnectionKey(pairs[server - 1].Key) != "server")
        --server;
    if (server == 0) return false;
    std::string& host = pairs[server - 1].Value;
    size_t comma = host.find(',');
    if (comma == std::string::npos) return false;
    TConnectionPair port{"Port", Trim(std::string_view(host).substr(comma + 1))};
    host = Trim(std::string_view(host).substr(0, comma));
    TPairs result;
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (NormalConnectionKey(pairs[i].Key) != "port") result.push_back(pairs[i]);
        if (i == server - 1) result.push_back(port);
    }
    pairs = std::move(result);
    return true;
}

bool Contains(const std::string& lowerText, std::string_view part) {
    return lowerText.find(part) != std::string::npos;
}

bool IsInstalled(const std::string& driver, const std::vector<std::string>& installed) {
    return std::any_of(installed.begin(), installed.end(),
                       [&](const std::string& name) { return SameText(name, driver); });
}

// A driver name as Windows machines have it, replaced by the installed driver for the same
// database when it is not installed itself.
std::string InstalledDriverFor(const std::string& driver,
                               const std::vector<std::string>& installed) {
    if (IsInstalled(driver, installed)) return driver;
    std::string lower = LowerCase(driver);
    if (Contains(lower, "mysql") || Contains(lower, "mariadb")) return "MariaDB Unicode";
    if (Contains(lower, "sql server") || Contains(lower, "native client") ||
        Contains(lower, "sqlncli") || Contains(lower, "freetds"))
        return "FreeTDS";
    if (Contains(lower, "sqlite")) return "SQLite3";
    return driver;
}

bool IsTrue(const std::string& value) {
    std::string lower = LowerCase(Trim(value));
    return lower == "sspi" || lower == "true" || lower == "yes";
}

// OLE DB keys that only tune the provider's behaviour and have no ODBC meaning that
// changes what the program reads.
bool IsIgnorableKey(const std::string& key) {
    static const char* const keys[] = {"persist security info",
                                       "auto translate",
                                       "packet size",
                                       "workstation id",
                                       "application name",
                                       "use procedure for prepare",
                                       "use encryption for data",
                                       "trustservercertificate",
                                       "trust server certificate",
                                       "connect timeout",
                                       "general timeout",
                                       "locale identifier",
                                       "mode",
                                       "datatypecompatibility",
                                       "mars connection",
                                       "ole db services",
                                       "prompt",
                                       "window handle",
                                       "tag with column collation when possible",
                                       "failover partner",
                                       "network library",
                                       "network",
                                       "current language",
                                       "language"};
    return std::any_of(std::begin(keys), std::end(keys),
                       [&](const char* ignorable) { return key == ignorable; });
}

enum class TTarget { SqlServer, OdbcBridge, MySql };

TPairs TranslateOleDb(const TPairs& pairs, const std::vector<std::string>& installed) {
    std::string provider;
    for (const auto& [key, value] : pairs)
        if (NormalConnectionKey(key) == "provider") provider = value;
    std::string lowerProvider = LowerCase(provider);
    TTarget target;
    if (StartsText("sqloledb", lowerProvider) || StartsText("sqlncli", lowerProvider) ||
        StartsText("msoledbsql", lowerProvider))
        target = TTarget::SqlServer;
    else if (StartsText("msdasql", lowerProvider))
        target = TTarget::OdbcBridge;
    else if (StartsText("mysqlprov", lowerProvider) || StartsText("mysql", lowerProvider))
        target = TTarget::MySql;
    else
        throw EDatabaseError(Format("The OLE DB provider \"%s\" has no ODBC counterpart here; "
                                    "use an ODBC connection text (Driver=...)",
                                    provider.c_str()));

    std::string driver, dsn, server, port, database, uid, pwd, location, dataSource;
    TPairs extra; // ODBC keys from Extended Properties, kept in their order
    std::string passwordKeyBefore;
    for (const auto& [rawKey, value] : pairs) {
        std::string key = NormalConnectionKey(rawKey);
        std::string keyBefore = std::exchange(passwordKeyBefore, OpenPasswordKey({rawKey, value}));
        if (key == "provider") continue;
        if (key == "data source")
            dataSource = value;
        else if (key == "server" || key == "address" || key == "addr" || key == "network address")
            server = value;
        else if (key == "location")
            location = value;
        else if (key == "initial catalog" || key == "database")
            database = value;
        else if (key == "user id" || key == "uid" || key == "user")
            uid = value;
        else if (key == "password" || key == "pwd")
            pwd = value;
        else if (key == "port")
            port = value;
        else if (key == "driver")
            driver = value;
        else if (key == "dsn")
            dsn = value;
        else if (key == "integrated security" || key == "trusted_connection") {
            if (IsTrue(value))
                throw EDatabaseError(
                    Format("\"%s=%s\" (Windows authentication) cannot be used here; "
                           "give User ID and Password instead",
                           Trim(rawKey).c_str(), value.c_str()));
        } else if (key == "extended properties") {
            for (auto& [odbcKey, odbcValue] : ReadPairs(value, TConnectionSyntax::Odbc)) {
                std::string lowerKey = NormalConnectionKey(odbcKey);
                if (lowerKey == "driver")
                    driver = odbcValue;
                else if (lowerKey == "dsn")
                    dsn = odbcValue;
                else if (lowerKey == "server")
                    server = odbcValue;
                else if (lowerKey == "database")
                    database = odbcValue;
                else if (lowerKey == "uid" || lowerKey == "user")
                    uid = odbcValue;
                else if (lowerKey == "pwd" || lowerKey == "password")
                    pwd = odbcValue;
                else if (lowerKey == "port")
                    port = odbcValue;
                else
                    extra.emplace_back(odbcKey, odbcValue);
            }
        } else if (!IsIgnorableKey(key)) {
            // An unknown key right after a password may be part of it ("Password=a;b=c").
            if (!keyBefore.empty())
                throw EDatabaseError(Format("The connection key after \"%s\" cannot be used here; "
                                            "a password that holds ';' must be enclosed in quotes",
                                            keyBefore.c_str()));
            throw EDatabaseError(
                Format("The connection key \"%s\" cannot be used here", Trim(rawKey).c_str()));
        }
    }

    TPairs result;
    switch (target) {
    case TTarget::SqlServer:
        if (server.empty()) server = dataSource;
        result.emplace_back("Driver",
                            InstalledDriverFor(driver.empty() ? "FreeTDS" : driver, installed));
        if (!server.empty()) result.emplace_back("Server", server);
        if (!port.empty()) result.emplace_back("Port", port);
        break;
    case TTarget::OdbcBridge:
        // Under the ODBC bridge, Data Source names a DSN.
        if (dsn.empty() && driver.empty()) dsn = dataSource;
        if (!driver.empty())
            result.emplace_back("Driver", InstalledDriverFor(driver, installed));
        else if (!dsn.empty())
            result.emplace_back("DSN", dsn);
        else
            throw EDatabaseError(
                platform::Utf8ToCodePage("MSDASQL 连接字符串既没有指定 DSN，也没有指定驱动程序",
                                         platform::TConversion::Strict));
        if (!server.empty()) result.emplace_back("Server", server);
        if (!port.empty()) result.emplace_back("Port", port);
        break;
    case TTarget::MySql:
        // The MySQL provider names the host Location when Data Source holds the database.
        if (!location.empty()) {
            if (database.empty()) database = dataSource;
            if (server.empty()) server = location;
        } else if (server.empty()) {
            server = dataSource;
        }
        result.emplace_back(
            "Driver", InstalledDriverFor(driver.empty() ? "MariaDB Unicode" : driver, installed));
        if (!server.empty()) result.emplace_back("Server", server);
        if (!port.empty()) result.emplace_back("Port", port);
        break;
    }
    if (!database.empty()) result.emplace_back("Database", database);
    if (!uid.empty()) result.emplace_back("UID", uid);
    if (!pwd.empty()) result.emplace_back("PWD", pwd);
    result.insert(result.end(), extra.begin(), extra.end());
    return result;
}

} // namespace

std::string TranslateConnectionString(const std::string& text,
                                      const std::vector<std::string>& installedDrivers) {
    TConnectionText read = ReadConnectionText(text);
    if (!read.Error.empty()) throw EDatabaseError(read.Error);
    TPairs pairs = std::move(read.Pairs);
    bool changed = read.Syntax == TConnectionSyntax::OleDb;
    if (changed) {
        pairs = TranslateOleDb(pairs, installedDrivers);
    } else {
        for (auto& [key, value] : pairs) {
            if (NormalConnectionKey(key) != "driver") continue;
            std::string installed = InstalledDriverFor(value, installedDrivers);
            if (installed != value) {
                value = installed;
                changed = true;
            }
        }
    }
    if (SameText(ConnectionValue(pairs, "Driver"), "FreeTDS") && SplitHostPort(pairs))
        changed = true;
    // The SQLite drivers create a missing file: a mistyped path would connect to a new empty
    // database. Only a file that is there connects, unless the user asked otherwise.
    if (Contains(LowerCase(ConnectionValue(pairs, "Driver")), "sqlite") &&
        !std::any_of(pairs.begin(), pairs.end(), [](const TConnectionPair& pair) {
            return NormalConnectionKey(pair.Key) == "nocreat";
        })) {
        pairs.emplace_back("NoCreat", "1");
        changed = true;
    }
    return changed ? ComposeConnectionText(pairs) : text;
}

std::string OdbcConnectionValue(const std::string& odbcText, const std::string& key) {
    return ConnectionValue(ReadPairs(odbcText, TConnectionSyntax::Odbc), key);
}

} // namespace platform::odbc
