#include "platform/qt/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/CodePage.h"

namespace platform::qt {

bool QtClipboard::HasText() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

std::string QtClipboard::GetText() const {
    // The code page holds every character, so nothing is lost; lone surrogates become U+FFFD.
    return Utf16ToCodePage(QGuiApplication::clipboard()->text().toStdU16String(), TConversion::Lenient);
}

void QtClipboard::SetText(std::string_view text) {
    QGuiApplication::clipboard()->setText(
        QString::fromStdU16String(CodePageToUtf16(text, TConversion::Lenient)));
}

} // namespace platform::qt
