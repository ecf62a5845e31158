#include "platform/qt/QtClipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>

#include "platform/CodePage.h"

namespace platform::qt {
namespace {

// Our own bytes when they form no text: other programs see the text with replacement marks,
// and a paste here gives the bytes back.
const QString kExactBytesFormat = QStringLiteral("application/x-quorvel-gb18030");

QString ReadableText(std::string_view bytes) {
    return QString::fromStdU16String(CodePageToUtf16(bytes, TConversion::Lenient));
}

} // namespace

bool QtClipboard::HasText() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

std::string QtClipboard::GetText() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return {};
    const QString text = data->text();
    if (data->hasFormat(kExactBytesFormat)) {
        const QByteArray stored = data->data(kExactBytesFormat);
        std::string bytes(stored.constData(), static_cast<size_t>(stored.size()));
        // Unless another program changed the text since.
        if (ReadableText(bytes) == text) return bytes;
    }
    // The code page holds every character, so nothing is lost; lone surrogates become U+FFFD.
    return Utf16ToCodePage(text.toStdU16String(), TConversion::Lenient);
}

void QtClipboard::SetText(std::string_view text) {
    auto data = std::make_unique<QMimeData>();
    const QString readable = ReadableText(text);
    data->setText(readable);
    if (Utf16ToCodePage(readable.toStdU16String(), TConversion::Lenient) != text)
        data->setData(kExactBytesFormat,
                      QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    QGuiApplication::clipboard()->setMimeData(data.release()); // the clipboard owns it
}

} // namespace platform::qt
