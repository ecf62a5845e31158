#include "replacer/Protocol.h"

#include <charconv>

namespace replacer {

namespace {

constexpr std::string_view kListHeader = "quorvel-replacement-list 1";
constexpr std::string_view kPidPrefix = "pid ";
constexpr std::string_view kFilePrefix = "file ";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

std::string FormatReplacementList(const TReplacementList& list) {
    std::string text(kListHeader);
    text += "\n";
    text += kPidPrefix;
    text += std::to_string(list.ProcessId);
    text += "\n";
    for (const std::string& name : list.Files) {
        text += kFilePrefix;
        text += name;
        text += "\n";
    }
    return text;
}

std::optional<TReplacementList> ParseReplacementList(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    if (lines.size() < 2 || lines[0] != kListHeader || !StartsWith(lines[1], kPidPrefix))
        return std::nullopt;
    TReplacementList list;
    std::string_view digits = lines[1].substr(kPidPrefix.size());
    auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), list.ProcessId);
    if (error != std::errc() || end != digits.data() + digits.size() || list.ProcessId <= 0)
        return std::nullopt;
    for (size_t i = 2; i < lines.size(); ++i) {
        if (!StartsWith(lines[i], kFilePrefix)) return std::nullopt;
        std::string_view name = lines[i].substr(kFilePrefix.size());
        if (!IsPlainFileName(name)) return std::nullopt;
        list.Files.emplace_back(name);
    }
    return list;
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127 || c == '/' || c == '\\') return false;
    }
    return true;
}

} // namespace replacer
