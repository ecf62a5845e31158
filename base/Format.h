// Formatting and small text helpers over code-page byte strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Blanks and control characters (bytes up to 0x20) removed from both ends.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

// Only the letters A to Z (a to z) change; other bytes stay as they are.
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

// Decimal, or hexadecimal after a "0x"/"0X" (or "$") prefix; anything else gives defaultValue.
int64_t StrToInt64Def(std::string_view text, int64_t defaultValue);
int StrToIntDef(std::string_view text, int defaultValue);
// Only the digits 0 to 9, at least one and at most maxDigits; nothing for anything else (a sign,
// blanks, hexadecimal).
std::optional<int64_t> PlainDecimal(std::string_view text, size_t maxDigits);

// Two upper-case hexadecimal digits per byte, high nibble first.
std::string BytesToHex(std::string_view bytes);

bool StartsText(std::string_view prefix, std::string_view text);
