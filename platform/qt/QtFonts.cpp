#include "platform/qt/QtFonts.h"

#include <array>
#include <string_view>

namespace platform::qt {

QString FaceFor(const std::string& name) {
    static constexpr std::array<std::string_view, 12> kMapped = {
        "宋体",        "新宋体",  "SimSun", "NSimSun",  "Courier New", "Courier",
        "Fixedsys",    "Terminal", "System", "Consolas", "Lucida Console", ""};
    for (std::string_view mapped : kMapped)
        if (name == mapped) return QString::fromLatin1(kEditorFace);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QFont QtFontFor(const TFontData& font) {
    QString face = FaceFor(font.Name);
    QFont result;
    if (face == QLatin1String(kEditorFace))
        result.setFamilies({face});
    else
        result.setFamilies({face, QString::fromLatin1(kEditorFace)});
    result.setPixelSize(font.Height > 0 ? font.Height : 12);
    result.setBold(font.Style.Contains(TFontStyle::fsBold));
    result.setItalic(font.Style.Contains(TFontStyle::fsItalic));
    result.setUnderline(font.Style.Contains(TFontStyle::fsUnderline));
    result.setStrikeOut(font.Style.Contains(TFontStyle::fsStrikeOut));
    result.setKerning(false);
    return result;
}

QColor QtColorFor(TColor color, const QPalette& palette) {
    if (!IsSystemColor(color)) return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color));
    switch (color & 0xFF) {
    case 5: return palette.color(QPalette::Base);            // window
    case 8: return palette.color(QPalette::Text);            // window text
    case 13: return palette.color(QPalette::Highlight);      // highlight
    case 14: return palette.color(QPalette::HighlightedText);
    case 15: return palette.color(QPalette::Button);         // button face
    case 18: return palette.color(QPalette::ButtonText);
    case 17: return palette.color(QPalette::Disabled, QPalette::Text); // grey text
    default: return palette.color(QPalette::WindowText);
    }
}

TColor ColorFromQt(const QColor& color) {
    return static_cast<TColor>(color.red()) | (static_cast<TColor>(color.green()) << 8) |
           (static_cast<TColor>(color.blue()) << 16);
}

} // namespace platform::qt
