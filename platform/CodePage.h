// The program code page (GB18030) and its conversions to and from Unicode, in one place.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Strict where data enters the program (database text, files, arguments): invalid input
// raises EEncodingError. Lenient where the program shows or copies its own bytes: an
// undecodable byte becomes U+FFFD.
enum class TConversion { Strict, Lenient };

std::string CodePageToUtf8(std::string_view text, TConversion mode);
std::string Utf8ToCodePage(std::string_view text, TConversion mode);
std::u16string CodePageToUtf16(std::string_view text, TConversion mode);
std::string Utf16ToCodePage(std::u16string_view text, TConversion mode);
std::string Utf16ToUtf8(std::u16string_view text, TConversion mode);
std::u16string Utf8ToUtf16(std::string_view text, TConversion mode);

// Bytes of the GB18030 character that starts at text[pos]: 1, 2 or 4; 0 when the bytes
// there start no valid character (or it is cut off by the end of text). Inline: the editor
// walks text character by character with it.
inline int CodePageCharLength(std::string_view text, size_t pos) {
    if (pos >= text.size()) return 0;
    auto byteAt = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(pos);
    if (lead < 0x80) return 1;
    if (lead == 0x80 || lead == 0xFF || pos + 1 >= text.size()) return 0;
    const unsigned char second = byteAt(pos + 1);
    if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE)) return 2;
    if (second < 0x30 || second > 0x39 || pos + 3 >= text.size()) return 0;
    const unsigned char third = byteAt(pos + 2), fourth = byteAt(pos + 3);
    if (third >= 0x81 && third <= 0xFE && fourth >= 0x30 && fourth <= 0x39) return 4;
    return 0;
}

// Whether MariaDB's gbk character set lacks the two-byte GB18030 character lead, trail (an
// import through a gbk client fails on it or stores "?").
bool GbkLacks(unsigned char lead, unsigned char trail);
// Where the first character of text that gbk lacks starts (four-byte characters included), or
// npos.
size_t FindGbkGap(std::string_view text);

} // namespace platform
