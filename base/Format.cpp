#include "base/Format.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <vector>

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        result.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(result.data(), result.size(), format, args);
        result.resize(static_cast<size_t>(length));
    }
    va_end(args);
    return result;
}

static bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string TrimLeft(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first]))
        ++first;
    return std::string(text.substr(first));
}

std::string TrimRight(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    return std::string(text.substr(0, end));
}

std::string Trim(std::string_view text) {
    return TrimLeft(TrimRight(text));
}

std::string LowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

std::string UpperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool StartsText(std::string_view prefix, std::string_view text) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

int64_t StrToInt64Def(std::string_view text, int64_t defaultValue) {
    std::string trimmed = Trim(text);
    std::string_view digits = trimmed;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    } else if (digits.size() > 1 && digits[0] == '$') {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty()) return defaultValue;
    uint64_t magnitude = 0;
    auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (error != std::errc() || end != digits.data() + digits.size()) return defaultValue;
    if (base == 10) {
        if (negative ? magnitude > uint64_t(INT64_MAX) + 1 : magnitude > uint64_t(INT64_MAX))
            return defaultValue;
    }
    // Negate in unsigned arithmetic: -INT64_MIN does not exist as a signed value.
    return static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
}

int StrToIntDef(std::string_view text, int defaultValue) {
    int64_t value = StrToInt64Def(text, int64_t(defaultValue));
    // Hexadecimal wraps like a 32-bit value (0xFFFFFFFF is -1); decimal must fit.
    std::string trimmed = Trim(text);
    bool hex = trimmed.find_first_of("xX$") != std::string::npos;
    if (hex) {
        if (value > int64_t(UINT32_MAX) || value < -int64_t(UINT32_MAX)) return defaultValue;
        return static_cast<int>(static_cast<uint32_t>(value));
    }
    if (value > INT_MAX || value < INT_MIN) return defaultValue;
    return static_cast<int>(value);
}

std::string BytesToHex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex(bytes.size() * 2, '0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(bytes[i]);
        hex[2 * i] = digits[byte >> 4];
        hex[2 * i + 1] = digits[byte & 0x0F];
    }
    return hex;
}

std::optional<int64_t> PlainDecimal(std::string_view text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits || text.size() > 18) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}
