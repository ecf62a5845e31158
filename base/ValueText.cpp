#include "base/ValueText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "base/Format.h"

namespace {

// Lays out the shortest round-trip digits that std::to_chars wrote in scientific form
// ("-1.2345e+20", "1e-07") as plain or exponent text.
void LayOutScientific(const char* first, const char* last, std::string& out) {
    if (first < last && *first == '-') {
        out += '-';
        ++first;
    }
    char digits[64];
    int digitCount = 0;
    const char* p = first;
    for (; p < last && *p != 'e'; ++p)
        if (*p != '.') digits[digitCount++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), last, exponent);

    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digitCount > 1) {
            out += '.';
            out.append(digits + 1, static_cast<size_t>(digitCount - 1));
        }
        out += 'E';
        char buffer[8];
        auto result = std::to_chars(buffer, buffer + sizeof(buffer), exponent);
        out.append(buffer, result.ptr);
        return;
    }
    if (exponent < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out.append(digits, static_cast<size_t>(digitCount));
        return;
    }
    int integerDigits = exponent + 1;
    if (digitCount <= integerDigits) {
        out.append(digits, static_cast<size_t>(digitCount));
        out.append(static_cast<size_t>(integerDigits - digitCount), '0');
        return;
    }
    out.append(digits, static_cast<size_t>(integerDigits));
    out += '.';
    out.append(digits + integerDigits, static_cast<size_t>(digitCount - integerDigits));
}

template <typename Float> void AppendShortest(Float value, std::string& out) {
    if (std::isnan(value)) {
        out += "NAN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
        return;
    }
    if (value == 0) {
        out += '0';
        return;
    }
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::scientific);
    LayOutScientific(buffer, result.ptr, out);
}

void AppendPadded(unsigned value, int width, std::string& out) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    int length = static_cast<int>(result.ptr - buffer);
    if (length < width) out.append(static_cast<size_t>(width - length), '0');
    out.append(buffer, result.ptr);
}

void AppendDate(const TDateTimeParts& parts, std::string& out) {
    if (parts.Year < 0) out += '-';
    AppendPadded(static_cast<unsigned>(parts.Year < 0 ? -parts.Year : parts.Year), 4, out);
    out += '-';
    AppendPadded(parts.Month, 2, out);
    out += '-';
    AppendPadded(parts.Day, 2, out);
}

void AppendTime(const TDateTimeParts& parts, std::string& out) {
    AppendPadded(parts.Hour, 2, out);
    out += ':';
    AppendPadded(parts.Minute, 2, out);
    out += ':';
    AppendPadded(parts.Second, 2, out);
    if (parts.Nanoseconds != 0) {
        char fraction[9];
        uint32_t rest = parts.Nanoseconds;
        for (int i = 8; i >= 0; --i) {
            fraction[i] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        int length = 9;
        while (fraction[length - 1] == '0')
            --length;
        out += '.';
        out.append(fraction, static_cast<size_t>(length));
    }
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

// Reads 1..maxDigits digits at text[pos] into value; false when there are none.
bool ReadNumber(std::string_view text, size_t& pos, int maxDigits, unsigned& value) {
    size_t start = pos;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' &&
           static_cast<int>(pos - start) < maxDigits) {
        value = value * 10 + static_cast<unsigned>(text[pos] - '0');
        ++pos;
    }
    return pos > start;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool ParseDatePart(std::string_view text, size_t& pos, TDateTimeParts& value) {
    unsigned year, month, day;
    if (!ReadNumber(text, pos, 4, year) || pos >= text.size() || text[pos++] != '-') return false;
    if (!ReadNumber(text, pos, 2, month) || pos >= text.size() || text[pos++] != '-') return false;
    if (!ReadNumber(text, pos, 2, day)) return false;
    if (year < 1 || month < 1 || month > 12 || day < 1 ||
        static_cast<int>(day) > DaysInMonth(static_cast<int>(year), static_cast<int>(month)))
        return false;
    value.Year = static_cast<int16_t>(year);
    value.Month = static_cast<uint8_t>(month);
    value.Day = static_cast<uint8_t>(day);
    return true;
}

bool ParseTimePart(std::string_view text, size_t& pos, unsigned maxHour, TDateTimeParts& value) {
    unsigned hour, minute, second = 0;
    if (!ReadNumber(text, pos, 5, hour) || hour > maxHour) return false;
    if (pos >= text.size() || text[pos++] != ':') return false;
    if (!ReadNumber(text, pos, 2, minute) || minute > 59) return false;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!ReadNumber(text, pos, 2, second) || second > 59) return false;
    }
    uint32_t nanoseconds = 0;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        size_t start = pos;
        uint32_t scale = 100000000;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (pos - start >= 9) return false;
            nanoseconds += static_cast<uint32_t>(text[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
        if (pos == start) return false;
    }
    value.Hour = static_cast<uint16_t>(hour);
    value.Minute = static_cast<uint8_t>(minute);
    value.Second = static_cast<uint8_t>(second);
    value.Nanoseconds = nanoseconds;
    return true;
}

} // namespace

void AppendFloatText(double value, std::string& out) {
    AppendShortest(value, out);
}

void AppendSingleText(float value, std::string& out) {
    AppendShortest(value, out);
}

bool AppendDecimalText(std::string_view text, std::string& out) {
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    size_t integerStart = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        ++pos;
    std::string_view integerPart = text.substr(integerStart, pos - integerStart);
    std::string_view fractionPart;
    if (pos < text.size() && text[pos] == '.') {
        size_t fractionStart = ++pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            ++pos;
        fractionPart = text.substr(fractionStart, pos - fractionStart);
    }
    if (pos != text.size() || (integerPart.empty() && fractionPart.empty())) return false;

    while (!integerPart.empty() && integerPart.front() == '0')
        integerPart.remove_prefix(1);
    while (!fractionPart.empty() && fractionPart.back() == '0')
        fractionPart.remove_suffix(1);
    if (integerPart.empty() && fractionPart.empty()) {
        out += '0';
        return true;
    }
    if (negative) out += '-';
    if (integerPart.empty())
        out += '0';
    else
        out += integerPart;
    if (!fractionPart.empty()) {
        out += '.';
        out += fractionPart;
    }
    return true;
}

void AppendDateTimeText(const TDateTimeParts& parts, TFieldType kind, TDateTimeStyle style,
                        std::string& out) {
    if (kind == TFieldType::ftDate) {
        AppendDate(parts, out);
        return;
    }
    if (kind == TFieldType::ftTime) {
        if (parts.Negative) out += '-';
        AppendTime(parts, out);
        return;
    }
    AppendDate(parts, out);
    bool midnight =
        parts.Hour == 0 && parts.Minute == 0 && parts.Second == 0 && parts.Nanoseconds == 0;
    if (style == TDateTimeStyle::Blank) {
        if (midnight) return;
        out += ' ';
    } else {
        out += 'T';
    }
    AppendTime(parts, out);
}

void AppendValueText(const TColumnData& column, size_t row, TFieldType kind, TDateTimeStyle style,
                     std::string& out) {
    char buffer[32];
    switch (column.Storage()) {
    case TValueStorage::Int64: {
        auto result = std::to_chars(buffer, buffer + sizeof(buffer), column.Int64(row));
        out.append(buffer, result.ptr);
        break;
    }
    case TValueStorage::UInt64: {
        auto result = std::to_chars(buffer, buffer + sizeof(buffer), column.UInt64(row));
        out.append(buffer, result.ptr);
        break;
    }
    case TValueStorage::Double:
        AppendFloatText(column.Double(row), out);
        break;
    case TValueStorage::Single:
        AppendSingleText(column.Single(row), out);
        break;
    case TValueStorage::Boolean:
        out += column.Boolean(row) ? "True" : "False";
        break;
    case TValueStorage::Decimal:
        if (!AppendDecimalText(column.Bytes(row), out)) out += column.Bytes(row);
        break;
    case TValueStorage::DateTime:
        if (column.HasDateTimeText(row))
            out += column.Bytes(row);
        else
            AppendDateTimeText(column.DateTime(row), kind, style, out);
        break;
    case TValueStorage::Bytes:
        out += column.Bytes(row);
        break;
    }
}

bool ParseInt64(std::string_view text, int64_t& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool ParseUInt64(std::string_view text, uint64_t& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '-' || text.front() == '+') return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

template <typename Float> static bool ParseFloating(std::string_view text, Float& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return false;
    // Only digits, sign, point and exponent: no "inf" or "nan", which no database column takes.
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() &&
           std::isfinite(value);
}

bool ParseDouble(std::string_view text, double& value) {
    return ParseFloating(text, value);
}

bool ParseSingle(std::string_view text, float& value) {
    return ParseFloating(text, value);
}

bool ParseBoolean(std::string_view text, bool& value) {
    text = TrimBlanks(text);
    if (SameText(text, "true") || SameText(text, "1") || SameText(text, "yes")) {
        value = true;
        return true;
    }
    if (SameText(text, "false") || SameText(text, "0") || SameText(text, "no")) {
        value = false;
        return true;
    }
    return false;
}

bool ParseDateTime(std::string_view text, TFieldType kind, TDateTimeParts& value) {
    text = TrimBlanks(text);
    TDateTimeParts parts;
    size_t pos = 0;
    if (kind == TFieldType::ftTime) {
        if (pos < text.size() && text[pos] == '-') {
            parts.Negative = true;
            ++pos;
        }
        if (!ParseTimePart(text, pos, 65535, parts) || pos != text.size()) return false;
        value = parts;
        return true;
    }
    if (!ParseDatePart(text, pos, parts)) return false;
    if (pos < text.size() && kind != TFieldType::ftDate) {
        if (text[pos] != ' ' && text[pos] != 'T') return false;
        ++pos;
        if (!ParseTimePart(text, pos, 23, parts)) return false;
    }
    if (pos != text.size()) return false;
    value = parts;
    return true;
}
