#include "app/ConnectionText.h"

#include <utility>
#include <vector>

#include "base/Format.h"

namespace {

std::string Enclosed(const std::string& value) {
    bool plain = value.find_first_of(";{}") == std::string::npos && Trim(value) == value;
    if (plain) return value;
    std::string result = "{";
    for (char c : value) {
        result += c;
        if (c == '}') result += '}';
    }
    return result + "}";
}

std::vector<std::pair<std::string, std::string>> Pairs(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t equals = text.find('=', pos);
        size_t semicolon = text.find(';', pos);
        if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
            if (semicolon == std::string::npos) break;
            pos = semicolon + 1;
            continue;
        }
        std::string key = Trim(text.substr(pos, equals - pos));
        size_t valueStart = equals + 1;
        while (valueStart < text.size() && text[valueStart] == ' ') ++valueStart;
        std::string value;
        if (valueStart < text.size() && (text[valueStart] == '{' || text[valueStart] == '"')) {
            char close = text[valueStart] == '{' ? '}' : '"';
            size_t at = valueStart + 1;
            while (at < text.size()) {
                if (text[at] == close) {
                    if (at + 1 < text.size() && text[at + 1] == close) {
                        value += close;
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                value += text[at++];
            }
            size_t next = text.find(';', at);
            pos = next == std::string::npos ? text.size() : next + 1;
        } else {
            size_t next = text.find(';', valueStart);
            value = Trim(text.substr(valueStart, next == std::string::npos ? std::string::npos
                                                                         : next - valueStart));
            pos = next == std::string::npos ? text.size() : next + 1;
        }
        pairs.emplace_back(LowerCase(key), value);
    }
    return pairs;
}

bool Contains(const std::string& text, const char* part) {
    return LowerCase(text).find(part) != std::string::npos;
}

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
        text += Enclosed(value);
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
    TConnectionFields fields;
    fields.Server.clear();
    bool kindKnown = false;
    for (const auto& [key, value] : Pairs(text)) {
        if (key == "driver" || key == "provider") {
            if (Contains(value, "sqlite")) fields.Kind = TConnectionKind::SQLite;
            else if (Contains(value, "maria") || Contains(value, "mysql")) fields.Kind = TConnectionKind::MySql;
            else if (key == "driver" && !Contains(value, "tds") && !Contains(value, "sql server")) continue;
            else if (key == "provider" && Contains(value, "msdasql")) continue;
            else fields.Kind = TConnectionKind::SqlServer;
            kindKnown = true;
        } else if (key == "server" || key == "data source" || key == "host") {
            fields.Server = value;
            size_t comma = value.find(',');
            if (comma != std::string::npos) {
                fields.Server = Trim(value.substr(0, comma));
                fields.Port = Trim(value.substr(comma + 1));
            }
        } else if (key == "port") {
            fields.Port = value;
        } else if (key == "database" || key == "initial catalog") {
            fields.Database = value;
        } else if (key == "uid" || key == "user id" || key == "user") {
            fields.User = value;
        } else if (key == "pwd" || key == "password") {
            fields.Password = value;
        }
    }
    if (!kindKnown && text.empty()) fields.Server = "127.0.0.1";
    return fields;
}
