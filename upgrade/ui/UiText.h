// Code-page texts of the updater's windows to and from Qt strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

// The table's own bytes on screen: an undecodable byte becomes U+FFFD. A carriage return
// breaks the line as a line feed does (the table's texts use both).
inline QString UpdaterQString(std::string_view codePageText) {
    std::u16string wide = platform::CodePageToUtf16(codePageText, platform::TConversion::Lenient);
    QString text = QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// What the user typed, into the code page (GB18030 encodes every character).
inline std::string UpdaterCodePage(const QString& text) {
    return platform::Utf16ToCodePage(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                            static_cast<size_t>(text.size())),
        platform::TConversion::Lenient);
}
