#include "base/ConnectionPairs.h"

#include <algorithm>

#include "base/Format.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

bool IsPasswordKey(std::string_view key) {
    std::string normal = NormalConnectionKey(key);
    return normal == "pwd" || normal == "password";
}

bool HasProvider(const TConnectionPairs& pairs) {
    return std::any_of(pairs.begin(), pairs.end(), [](const TConnectionPair& pair) {
        return NormalConnectionKey(pair.Key) == "provider";
    });
}

// Messages name keys but never repeat a password: a piece after a password key, up to the
// next key, may be the rest of a password that held ';' without quotes or braces.
std::string KeyForMessage(const std::string& key, const std::string& passwordKeyBefore) {
    if (passwordKeyBefore.empty()) return "\"" + key + "\"";
    return "the key after \"" + passwordKeyBefore + "\"";
}

std::string KeylessPieceMessage(const std::string& piece, const std::string& passwordKeyBefore,
                                const char* enclosing) {
    if (passwordKeyBefore.empty())
        return Format("The connection text has a key without a value: \"%s\"", piece.c_str());
    return Format("The value of \"%s\" in the connection text holds ';' or ends early; "
                  "enclose it in %s",
                  passwordKeyBefore.c_str(), enclosing);
}

TConnectionText ReadPairs(std::string_view text, TConnectionSyntax syntax) {
    const bool oleDb = syntax == TConnectionSyntax::OleDb;
    const char* enclosing = oleDb ? "quotes" : "braces";
    TConnectionText result;
    result.Syntax = syntax;
    std::string passwordKeyBefore;
    size_t pos = 0;
    const size_t n = text.size();
    while (pos < n) {
        while (pos < n && (IsBlank(text[pos]) || text[pos] == ';'))
            ++pos;
        if (pos >= n) break;
        std::string key;
        while (pos < n && text[pos] != ';') {
            if (text[pos] == '=') {
                if (!oleDb || pos + 1 >= n || text[pos + 1] != '=') break;
                ++pos; // "==" in an OLE DB key is one '='
            }
            key += text[pos++];
        }
        key = Trimmed(key);
        // "Password==x" is the key "Password=x": the message must not show it.
        size_t literal = key.find('=');
        if (literal != std::string::npos && IsPasswordKey(key.substr(0, literal))) {
            result.Error = Format("The value of \"%s\" in the connection text starts with '=' "
                                  "or follows \"==\"; enclose it in quotes",
                                  Trimmed(key.substr(0, literal)).c_str());
            return result;
        }
        if (pos >= n || text[pos] != '=') {
            result.Error = KeylessPieceMessage(key, passwordKeyBefore, enclosing);
            return result;
        }
        ++pos;
        while (pos < n && IsBlank(text[pos]))
            ++pos;
        TConnectionPair pair{key, ""};
        const char opening = pos < n ? text[pos] : '\0';
        if (oleDb ? opening == '"' || opening == '\'' : opening == '{') {
            const char closing = oleDb ? opening : '}';
            const char* closingName = oleDb ? "quote" : "brace";
            bool closed = false;
            for (++pos; pos < n && !closed; ++pos) {
                if (text[pos] != closing)
                    pair.Value += text[pos];
                else if (pos + 1 < n && text[pos + 1] == closing)
                    pair.Value += text[pos++];
                else
                    closed = true;
            }
            if (!closed) {
                result.Error = Format("The value of %s in the connection text has no closing %s",
                                      KeyForMessage(key, passwordKeyBefore).c_str(), closingName);
                return result;
            }
            while (pos < n && IsBlank(text[pos]))
                ++pos;
            if (pos < n && text[pos] != ';') {
                // A quote or brace in the value closed it early; the rest is part of it.
                std::string cut = OpenPasswordKey(pair);
                result.Error =
                    Format("The value of %s in the connection text goes on after its closing %c; "
                           "write a %c inside a value twice",
                           cut.empty() ? KeyForMessage(key, passwordKeyBefore).c_str()
                                       : ("\"" + cut + "\"").c_str(),
                           closing, closing);
                return result;
            }
        } else {
            size_t start = pos;
            while (pos < n && text[pos] != ';')
                ++pos;
            pair.Value = Trimmed(text.substr(start, pos - start));
        }
        passwordKeyBefore = OpenPasswordKey(pair);
        result.Pairs.push_back(std::move(pair));
    }
    return result;
}

} // namespace

TConnectionText ReadConnectionText(std::string_view text, TConnectionSyntax syntax) {
    return ReadPairs(text, syntax);
}

TConnectionText ReadConnectionText(std::string_view text) {
    // Each syntax may fail on what the other reads (braces, quotes): a Provider key found by
    // either reading makes the text OLE DB.
    TConnectionText oleDb = ReadPairs(text, TConnectionSyntax::OleDb);
    if (HasProvider(oleDb.Pairs)) return oleDb;
    TConnectionText odbc = ReadPairs(text, TConnectionSyntax::Odbc);
    return HasProvider(odbc.Pairs) ? oleDb : odbc;
}

std::string NormalConnectionKey(std::string_view key) {
    std::string result;
    for (char c : Trimmed(key)) {
        if (!IsBlank(c))
            result += c;
        else if (result.back() != ' ')
            result += ' ';
    }
    return LowerCase(result);
}

std::string ConnectionValue(const TConnectionPairs& pairs, std::string_view key) {
    std::string normal = NormalConnectionKey(key);
    for (auto pair = pairs.rbegin(); pair != pairs.rend(); ++pair)
        if (NormalConnectionKey(pair->Key) == normal) return pair->Value;
    return "";
}

std::string OpenPasswordKey(const TConnectionPair& pair) {
    if (IsPasswordKey(pair.Key)) return pair.Key;
    size_t start = pair.Value.rfind(';');
    std::string_view last =
        std::string_view(pair.Value).substr(start == std::string::npos ? 0 : start + 1);
    size_t equals = last.find('=');
    if (equals == std::string::npos || !IsPasswordKey(last.substr(0, equals))) return "";
    return Trimmed(last.substr(0, equals));
}

std::string ConnectionValueText(std::string_view value) {
    bool plain = value.find_first_of(";{}=") == std::string_view::npos &&
                 (value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back())));
    if (plain) return std::string(value);
    std::string result = "{";
    for (char c : value) {
        result += c;
        if (c == '}') result += '}';
    }
    return result + "}";
}

std::string ComposeConnectionText(const TConnectionPairs& pairs) {
    std::string result;
    for (const TConnectionPair& pair : pairs) {
        if (!result.empty()) result += ';';
        result += pair.Key + "=" + ConnectionValueText(pair.Value);
    }
    return result;
}
