// Code-page text to and from Qt strings: the one crossing point of the window's texts.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

// The program's own bytes shown on screen: an undecodable byte becomes U+FFFD.
inline QString ToQString(std::string_view codePageText) {
    std::u16string wide = platform::CodePageToUtf16(codePageText, platform::TConversion::Lenient);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

// What the user typed, into the code page (GB18030 encodes every character).
inline std::string FromQString(const QString& text) {
    return platform::Utf16ToCodePage(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                            static_cast<size_t>(text.size())),
        platform::TConversion::Lenient);
}
