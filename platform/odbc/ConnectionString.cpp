// OLE DB keys and providers mapped to their ODBC counterparts.
#include "platform/odbc/ConnectionString.h"

#include <algorithm>
#include <utility>

#include "base/Exception.h"
#include "base/Format.h"

namespace platform::odbc {
namespace {

using TPairs = std::vector<std::pair<std::string, std::string>>;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string TrimBlanks(std::string_view text) {
    size_t start = 0, end = text.size();
    while (start < end && IsBlank(text[start]))
        ++start;
    while (end > start && IsBlank(text[end - 1]))
        --end;
    return std::string(text.substr(start, end - start));
}

// Key as compared: lower case, inner blanks collapsed to one.
std::string NormalKey(std::string_view key) {
    std::string result;
    for (char c : TrimBlanks(key)) {
        if (IsBlank(c)) {
            if (!result.empty() && result.back() != ' ') result += ' ';
        } else {
            result += c;
        }
    }
    return LowerCase(result);
}

bool IsPasswordKey(std::string_view key) {
    std::string normal = NormalKey(key);
    return normal == "pwd" || normal == "password";
}

// Messages name keys but never repeat a password: a piece after a password key, up to the
// next key, may be the rest of a password that held ';' without quotes or braces.
std::string KeyForMessage(const std::string& key, const std::string& passwordKeyBefore) {
    if (passwordKeyBefore.empty()) return "\"" + key + "\"";
    return "the key after \"" + passwordKeyBefore + "\"";
}

// The password key that ends an Extended Properties value ("...;PWD="): a quote in the
// password closed the outer value, and what follows belongs to that password.
std::string TrailingPasswordKey(const std::string& value) {
    size_t start = value.rfind(';');
    std::string_view last =
        std::string_view(value).substr(start == std::string::npos ? 0 : start + 1);
    size_t equals = last.find('=');
    if (equals == std::string::npos || !IsPasswordKey(last.substr(0, equals))) return "";
    return TrimBlanks(last.substr(0, equals));
}

std::string KeylessPieceMessage(const std::string& piece, const std::string& passwordKeyBefore,
                                const char* enclosing) {
    if (passwordKeyBefore.empty())
        return Format("The connection text has a key without a value: \"%s\"", piece.c_str());
    return Format("The value of \"%s\" in the connection text holds ';' or ends early; "
                  "enclose it in %s",
                  passwordKeyBefore.c_str(), enclosing);
}

// Reads a value up to its closing character (doubled, it stands for itself) and leaves pos
// after it. keyName is the key as messages may show it.
std::string ReadEnclosedValue(const std::string& text, size_t& pos, char closing,
                              const std::string& keyName, const char* closingName) {
    std::string value;
    while (pos < text.size()) {
        if (text[pos] == closing) {
            if (pos + 1 < text.size() && text[pos + 1] == closing) {
                value += closing;
                pos += 2;
                continue;
            }
            ++pos;
            return value;
        }
        value += text[pos++];
    }
    throw EDatabaseError(Format("The value of %s in the connection text has no closing %s",
                                keyName.c_str(), closingName));
}

// OLE DB syntax: key=value pairs split at ';'; "==" in a key is a literal '='; a value may be
// quoted with " or ' (the quote doubled inside).
TPairs ParseOleDb(const std::string& text) {
    TPairs pairs;
    std::string passwordKeyBefore;
    size_t pos = 0;
    const size_t n = text.size();
    while (pos < n) {
        while (pos < n && (IsBlank(text[pos]) || text[pos] == ';'))
            ++pos;
        if (pos >= n) break;
        std::string key;
        while (pos < n) {
            if (text[pos] == '=') {
                if (pos + 1 < n && text[pos + 1] == '=') {
                    key += '=';
                    pos += 2;
                    continue;
                }
                break;
            }
            if (text[pos] == ';') break;
            key += text[pos++];
        }
        if (pos >= n || text[pos] != '=')
            throw EDatabaseError(KeylessPieceMessage(TrimBlanks(key), passwordKeyBefore, "quotes"));
        ++pos;
        while (pos < n && IsBlank(text[pos]))
            ++pos;
        std::string value;
        if (pos < n && (text[pos] == '"' || text[pos] == '\'')) {
            char quote = text[pos++];
            value = ReadEnclosedValue(text, pos, quote,
                                      KeyForMessage(TrimBlanks(key), passwordKeyBefore), "quote");
            while (pos < n && text[pos] != ';')
                ++pos;
        } else {
            size_t start = pos;
            while (pos < n && text[pos] != ';')
                ++pos;
            value = TrimBlanks(std::string_view(text).substr(start, pos - start));
        }
        key = TrimBlanks(key);
        passwordKeyBefore = IsPasswordKey(key) ? key : "";
        pairs.emplace_back(key, value);
    }
    return pairs;
}

// ODBC syntax: key=value pairs split at ';'; a value in braces may hold ';' ("}}" is '}').
TPairs ParseOdbc(const std::string& text) {
    TPairs pairs;
    std::string passwordKeyBefore;
    size_t pos = 0;
    const size_t n = text.size();
    while (pos < n) {
        while (pos < n && (IsBlank(text[pos]) || text[pos] == ';'))
            ++pos;
        if (pos >= n) break;
        size_t keyStart = pos;
        while (pos < n && text[pos] != '=' && text[pos] != ';')
            ++pos;
        std::string key = TrimBlanks(std::string_view(text).substr(keyStart, pos - keyStart));
        if (pos >= n || text[pos] != '=')
            throw EDatabaseError(KeylessPieceMessage(key, passwordKeyBefore, "braces"));
        ++pos;
        while (pos < n && IsBlank(text[pos]))
            ++pos;
        std::string value;
        if (pos < n && text[pos] == '{') {
            ++pos;
            value =
                ReadEnclosedValue(text, pos, '}', KeyForMessage(key, passwordKeyBefore), "brace");
            while (pos < n && text[pos] != ';')
                ++pos;
        } else {
            size_t start = pos;
            while (pos < n && text[pos] != ';')
                ++pos;
            value = TrimBlanks(std::string_view(text).substr(start, pos - start));
        }
        passwordKeyBefore = IsPasswordKey(key) ? key : "";
        pairs.emplace_back(key, value);
    }
    return pairs;
}

std::string OdbcValueText(const std::string& value) {
    bool needsBraces = value.empty() ? false
                                     : value.find_first_of(";{}=") != std::string::npos ||
                                           IsBlank(value.front()) || IsBlank(value.back());
    if (!needsBraces) return value;
    std::string result = "{";
    for (char c : value) {
        result += c;
        if (c == '}') result += '}';
    }
    return result + "}";
}

std::string JoinOdbc(const TPairs& pairs) {
    std::string result;
    for (const auto& [key, value] : pairs) {
        if (!result.empty()) result += ';';
        result += key + "=" + OdbcValueText(value);
    }
    return result;
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
    std::string lower = LowerCase(TrimBlanks(value));
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

std::string TranslateOleDb(const TPairs& pairs, const std::vector<std::string>& installed) {
    std::string provider;
    for (const auto& [key, value] : pairs)
        if (NormalKey(key) == "provider") provider = value;
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
        std::string key = NormalKey(rawKey);
        std::string keyBefore = std::exchange(passwordKeyBefore, IsPasswordKey(rawKey) ? rawKey
                                                                 : key == "extended properties"
                                                                     ? TrailingPasswordKey(value)
                                                                     : std::string());
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
                           TrimBlanks(rawKey).c_str(), value.c_str()));
        } else if (key == "extended properties") {
            for (auto& [odbcKey, odbcValue] : ParseOdbc(value)) {
                std::string lowerKey = NormalKey(odbcKey);
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
            throw EDatabaseError(Format("The connection key \"%s\" cannot be used here",
                                        TrimBlanks(rawKey).c_str()));
        }
    }

    TPairs result;
    switch (target) {
    case TTarget::SqlServer: {
        std::string host = server.empty() ? dataSource : server;
        if (driver.empty()) driver = "FreeTDS";
        driver = InstalledDriverFor(driver, installed);
        // FreeTDS wants the port apart; Microsoft's driver reads "host,port" itself.
        size_t comma = host.find(',');
        if (comma != std::string::npos && SameText(driver, "FreeTDS")) {
            port = TrimBlanks(std::string_view(host).substr(comma + 1));
            host = TrimBlanks(std::string_view(host).substr(0, comma));
        }
        result.emplace_back("Driver", driver);
        if (!host.empty()) result.emplace_back("Server", host);
        if (!port.empty()) result.emplace_back("Port", port);
        break;
    }
    case TTarget::OdbcBridge:
        // Under the ODBC bridge, Data Source names a DSN.
        if (dsn.empty() && driver.empty()) dsn = dataSource;
        if (!driver.empty())
            result.emplace_back("Driver", InstalledDriverFor(driver, installed));
        else if (!dsn.empty())
            result.emplace_back("DSN", dsn);
        else
            throw EDatabaseError("The MSDASQL connection text names neither a DSN nor a driver");
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
    return JoinOdbc(result);
}

} // namespace

std::string TranslateConnectionString(const std::string& text,
                                      const std::vector<std::string>& installedDrivers) {
    // An ODBC text may hold braces that the OLE DB syntax cannot read, and the other way
    // round; the Provider key decides which one the text is.
    TPairs oleDbPairs;
    bool oleDbReadable = true;
    try {
        oleDbPairs = ParseOleDb(text);
    } catch (const EDatabaseError&) {
        oleDbReadable = false;
    }
    auto hasProvider = [](const TPairs& pairs) {
        return std::any_of(pairs.begin(), pairs.end(),
                           [](const auto& pair) { return NormalKey(pair.first) == "provider"; });
    };
    if (oleDbReadable && hasProvider(oleDbPairs))
        return TranslateOleDb(oleDbPairs, installedDrivers);

    TPairs pairs = ParseOdbc(text);
    if (hasProvider(pairs)) ParseOleDb(text); // raises the OLE DB syntax error
    bool changed = false;
    for (auto& [key, value] : pairs) {
        if (NormalKey(key) != "driver") continue;
        std::string installed = InstalledDriverFor(value, installedDrivers);
        if (installed != value) {
            value = installed;
            changed = true;
        }
    }
    return changed ? JoinOdbc(pairs) : text;
}

std::string OdbcConnectionValue(const std::string& odbcText, const std::string& key) {
    for (const auto& [name, value] : ParseOdbc(odbcText))
        if (SameText(TrimBlanks(name), key)) return value;
    return "";
}

} // namespace platform::odbc
