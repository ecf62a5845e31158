#include "base/ConnectionSecrets.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Length of "pwd" or "password" at pos, ignoring case; 0 when neither is there.
size_t PasswordKeyAt(std::string_view text, size_t pos) {
    for (std::string_view key : {std::string_view("password"), std::string_view("pwd")}) {
        if (text.size() - pos < key.size()) continue;
        bool same = true;
        for (size_t i = 0; i < key.size() && same; ++i)
            same = Lower(text[pos + i]) == key[i];
        if (same) return key.size();
    }
    return 0;
}

// Every reading of the value after one password key: the parsers of both syntaxes and a
// driver may each cut it at a different place, so all of them are masked.
void AddValueReadings(std::string_view text, size_t pos, std::vector<std::string>& found) {
    auto add = [&found](std::string_view part) {
        part = Trimmed(part);
        if (!part.empty()) found.emplace_back(part);
    };
    const size_t n = text.size();
    size_t end = pos;
    if (pos < n && (text[pos] == '{' || text[pos] == '"' || text[pos] == '\'')) {
        char closing = text[pos] == '{' ? '}' : text[pos];
        std::string value;
        end = pos + 1;
        while (end < n) {
            if (text[end] == closing) {
                if (end + 1 < n && text[end + 1] == closing) {
                    value += closing;
                    end += 2;
                    continue;
                }
                break;
            }
            value += text[end++];
        }
        add(value);
        add(text.substr(pos + 1, end - pos - 1));
        end = std::min(end + 1, n);
    }
    // Up to the next ';', and up to a quote that may close an Extended Properties value.
    size_t semicolon = std::min(text.find(';', end), n);
    add(text.substr(end, semicolon - end));
    add(text.substr(pos, semicolon - pos));
    size_t quote = text.find('"', pos);
    if (quote != std::string_view::npos && quote < semicolon && quote > pos)
        add(text.substr(pos, quote - pos));
    // Pieces without '=' after it continue a password that held ';'.
    while (semicolon < n) {
        size_t next = std::min(text.find(';', semicolon + 1), n);
        std::string_view piece = text.substr(semicolon + 1, next - semicolon - 1);
        if (piece.find('=') != std::string_view::npos) break;
        add(piece);
        add(text.substr(pos, next - pos));
        semicolon = next;
    }
}

} // namespace

std::string MaskConnectionPasswords(std::string message, const std::string& connectionText) {
    std::string_view text = connectionText;
    std::vector<std::string> found;
    for (size_t pos = 0; pos < text.size(); ++pos) {
        if (pos > 0 && !IsBlank(text[pos - 1]) &&
            std::string_view(";\"'{").find(text[pos - 1]) == std::string_view::npos)
            continue;
        size_t keyLength = PasswordKeyAt(text, pos);
        if (keyLength == 0) continue;
        size_t at = pos + keyLength;
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        if (at >= text.size() || text[at] != '=') continue;
        ++at;
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        AddValueReadings(text, at, found);
    }
    // Longest first, so that a part does not break up the whole it belongs to. Shorter values
    // than three bytes are left: masking them would garble ordinary words of the message.
    std::sort(found.begin(), found.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& value : found) {
        if (value.size() < 3) continue;
        for (size_t at = message.find(value); at != std::string::npos;
             at = message.find(value, at + 3))
            message.replace(at, value.size(), "***");
    }
    return message;
}
