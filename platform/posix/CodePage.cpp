// GB18030 conversions over iconv. Descriptors are opened once per thread and reused,
// since database text is converted cell by cell.
#include "platform/CodePage.h"

#include <cstring>

#include <cerrno>
#include <iconv.h>

#include "base/Exception.h"
#include "base/Format.h"

namespace platform {
namespace {

constexpr const char* kCodePage = "GB18030";

class Converter {
public:
    Converter(const char* to, const char* from) : FHandle(iconv_open(to, from)) {
        if (FHandle == reinterpret_cast<iconv_t>(-1))
            throw EEncodingError(Format("The conversion from %s to %s is not available", from, to));
    }
    ~Converter() { iconv_close(FHandle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of input. On an invalid or cut-off sequence: Strict throws, Lenient
    // writes replacement and skips unitSize bytes of input.
    std::string Run(std::string_view input, TConversion mode, std::string_view replacement,
                    size_t unitSize, const char* what) {
        iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
        std::string output;
        output.resize(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        size_t written = 0;
        while (inLeft > 0) {
            char* out = output.data() + written;
            size_t outLeft = output.size() - written;
            size_t result = iconv(FHandle, &in, &inLeft, &out, &outLeft);
            written = output.size() - outLeft;
            if (result != static_cast<size_t>(-1)) break;
            if (errno == E2BIG) {
                output.resize(output.size() * 2 + 16);
                continue;
            }
            size_t offset = input.size() - inLeft;
            if (mode == TConversion::Strict)
                throw EEncodingError(Format("Invalid %s text at byte %zu", what, offset));
            output.resize(written);
            output += replacement;
            written = output.size();
            output.resize(written + inLeft * 2 + 16);
            size_t skip = unitSize < inLeft ? unitSize : inLeft;
            in += skip;
            inLeft -= skip;
        }
        output.resize(written);
        return output;
    }

private:
    iconv_t FHandle;
};

Converter& ConverterFor(int which) {
    thread_local Converter toUtf8("UTF-8", kCodePage);
    thread_local Converter fromUtf8(kCodePage, "UTF-8");
    thread_local Converter toUtf16("UTF-16LE", kCodePage);
    thread_local Converter fromUtf16(kCodePage, "UTF-16LE");
    thread_local Converter utf16ToUtf8("UTF-8", "UTF-16LE");
    thread_local Converter utf8ToUtf16("UTF-16LE", "UTF-8");
    switch (which) {
    case 0:
        return toUtf8;
    case 1:
        return fromUtf8;
    case 2:
        return toUtf16;
    case 3:
        return fromUtf16;
    case 4:
        return utf16ToUtf8;
    default:
        return utf8ToUtf16;
    }
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsAscii(std::u16string_view text) {
    for (char16_t c : text)
        if (c >= 0x80) return false;
    return true;
}

std::string_view AsBytes(std::u16string_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t)};
}

std::u16string FromBytes(const std::string& bytes) {
    std::u16string result(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                          (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return result;
}

// U+FFFD in the code page, UTF-8 and UTF-16LE.
constexpr std::string_view kReplacementCodePage = "\x84\x31\xA4\x37";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";
constexpr std::string_view kReplacementUtf16{"\xFD\xFF", 2};

} // namespace

std::string CodePageToUtf8(std::string_view text, TConversion mode) {
    if (IsAscii(text)) return std::string(text);
    return ConverterFor(0).Run(text, mode, kReplacementUtf8, 1, "GB18030");
}

std::string Utf8ToCodePage(std::string_view text, TConversion mode) {
    if (IsAscii(text)) return std::string(text);
    return ConverterFor(1).Run(text, mode, kReplacementCodePage, 1, "UTF-8");
}

std::u16string CodePageToUtf16(std::string_view text, TConversion mode) {
    if (IsAscii(text)) return std::u16string(text.begin(), text.end());
    return FromBytes(ConverterFor(2).Run(text, mode, kReplacementUtf16, 1, "GB18030"));
}

std::string Utf16ToCodePage(std::u16string_view text, TConversion mode) {
    if (IsAscii(text)) {
        std::string result(text.size(), '\0');
        for (size_t i = 0; i < text.size(); ++i)
            result[i] = static_cast<char>(text[i]);
        return result;
    }
    return ConverterFor(3).Run(AsBytes(text), mode, kReplacementCodePage, 2, "UTF-16");
}

std::string Utf16ToUtf8(std::u16string_view text, TConversion mode) {
    if (IsAscii(text)) {
        std::string result(text.size(), '\0');
        for (size_t i = 0; i < text.size(); ++i)
            result[i] = static_cast<char>(text[i]);
        return result;
    }
    return ConverterFor(4).Run(AsBytes(text), mode, kReplacementUtf8, 2, "UTF-16");
}

std::u16string Utf8ToUtf16(std::string_view text, TConversion mode) {
    if (IsAscii(text)) return std::u16string(text.begin(), text.end());
    return FromBytes(ConverterFor(5).Run(text, mode, kReplacementUtf16, 1, "UTF-8"));
}

namespace {

// Two-byte GB18030 codes that MariaDB's gbk lacks: the user-defined areas and what GB18030 added
// to GBK (the euro sign, some pinyin letters, radicals and ideographic description characters).
// Found by converting every two-byte code on the server; glibc's GBK lacks the same codes.
struct TGbkGap {
    unsigned char LeadFirst, LeadLast, TrailFirst, TrailLast;
};
constexpr TGbkGap kGbkGaps[] = {
    {0xA1, 0xA7, 0x40, 0xA0}, {0xA2, 0xA2, 0xAB, 0xB0}, {0xA2, 0xA2, 0xE3, 0xE4},
    {0xA2, 0xA2, 0xEF, 0xF0}, {0xA2, 0xA2, 0xFD, 0xFE}, {0xA4, 0xA4, 0xF4, 0xFE},
    {0xA5, 0xA5, 0xF7, 0xFE}, {0xA6, 0xA6, 0xB9, 0xC0}, {0xA6, 0xA6, 0xD9, 0xDF},
    {0xA6, 0xA6, 0xEC, 0xED}, {0xA6, 0xA6, 0xF3, 0xF3}, {0xA6, 0xA6, 0xF6, 0xFE},
    {0xA7, 0xA7, 0xC2, 0xD0}, {0xA7, 0xA7, 0xF2, 0xFE}, {0xA8, 0xA8, 0x96, 0xA0},
    {0xA8, 0xA8, 0xBC, 0xBC}, {0xA8, 0xA8, 0xBF, 0xBF}, {0xA8, 0xA8, 0xC1, 0xC4},
    {0xA8, 0xA8, 0xEA, 0xFE}, {0xA9, 0xA9, 0x58, 0x58}, {0xA9, 0xA9, 0x5B, 0x5B},
    {0xA9, 0xA9, 0x5D, 0x5F}, {0xA9, 0xA9, 0x89, 0x95}, {0xA9, 0xA9, 0x97, 0xA3},
    {0xA9, 0xA9, 0xF0, 0xFE}, {0xAA, 0xAF, 0xA1, 0xFE}, {0xD7, 0xD7, 0xFA, 0xFE},
    {0xF8, 0xFD, 0xA1, 0xFE}, {0xFE, 0xFE, 0x50, 0xFE},
};

} // namespace

bool GbkLacks(unsigned char lead, unsigned char trail) {
    // Most Chinese text leads with B0..F7 and D7 aside, which has no gaps.
    if (lead < 0xA1 || (lead > 0xAF && lead < 0xF8 && lead != 0xD7)) return false;
    for (const TGbkGap& gap : kGbkGaps)
        if (lead >= gap.LeadFirst && lead <= gap.LeadLast && trail >= gap.TrailFirst &&
            trail <= gap.TrailLast)
            return true;
    return false;
}

size_t FindGbkGap(std::string_view text) {
    const char* data = text.data();
    for (size_t pos = 0, size = text.size(); pos < size;) {
        // Every line of a script passes here, and most of it is ASCII: eight bytes at a time.
        uint64_t word;
        while (pos + sizeof word <= size &&
               (std::memcpy(&word, data + pos, sizeof word), (word & 0x8080808080808080ull) == 0))
            pos += sizeof word;
        while (pos < size && static_cast<unsigned char>(data[pos]) < 0x80)
            ++pos;
        if (pos == size) break;
        int length = CodePageCharLength(text, pos);
        if (length == 4) return pos;
        if (length == 2 && GbkLacks(static_cast<unsigned char>(text[pos]),
                                    static_cast<unsigned char>(text[pos + 1])))
            return pos;
        pos += length > 0 ? static_cast<size_t>(length) : 1;
    }
    return std::string_view::npos;
}

} // namespace platform
