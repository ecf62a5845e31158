#include "platform/qt/QtCanvas.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QTransform>

#include <algorithm>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <vector>

#include "platform/CodePage.h"
#include "platform/qt/QtFonts.h"

namespace platform::qt {
namespace {

// Code points of code-page characters, converted once each: the painter asks for the same
// few thousand characters on every frame.
class TGlyphTable {
public:
    TGlyphTable() : FDouble(kLeads * kTrails, kUnknown) {}

    // The code point of the valid character in bytes, or 0 when it has none.
    char32_t Decode(std::string_view bytes) {
        auto lead = static_cast<unsigned char>(bytes[0]);
        if (bytes.size() == 1) return lead;
        if (bytes.size() == 2) {
            auto trail = static_cast<unsigned char>(bytes[1]);
            char32_t& slot = FDouble[(lead - 0x81u) * kTrails + (trail - 0x40u)];
            if (slot == kUnknown) slot = Convert(bytes);
            return slot;
        }
        uint32_t key = 0;
        for (char byte : bytes) key = (key << 8) | static_cast<unsigned char>(byte);
        auto found = FQuad.find(key);
        if (found != FQuad.end()) return found->second;
        return FQuad[key] = Convert(bytes);
    }

private:
    static constexpr size_t kLeads = 0xFE - 0x81 + 1;
    static constexpr size_t kTrails = 0xFE - 0x40 + 1;
    static constexpr char32_t kUnknown = 0xFFFFFFFFu;

    static char32_t Convert(std::string_view bytes) {
        std::u16string units = CodePageToUtf16(bytes, TConversion::Lenient);
        if (units.size() == 1 && (units[0] < 0xD800 || units[0] > 0xDFFF) && units[0] != 0xFFFD)
            return units[0];
        if (units.size() == 2 && units[0] >= 0xD800 && units[0] <= 0xDBFF && units[1] >= 0xDC00 &&
            units[1] <= 0xDFFF)
            return 0x10000 + ((char32_t(units[0]) - 0xD800) << 10) + (char32_t(units[1]) - 0xDC00);
        return 0;
    }

    std::vector<char32_t> FDouble;
    std::unordered_map<uint32_t, char32_t> FQuad;
};

TGlyphTable& Glyphs() {
    thread_local TGlyphTable table;
    return table;
}

// Spaces and control codes leave their cells blank; 0 is the replacement mark.
bool IsVisible(char32_t code) { return code == 0 || (code > 0x20 && code != 0x7F); }

// Splits the piece into characters, decoding from the row start so that a character cut
// by either edge of the piece is found whole.
void CharactersOf(const TTextPiece& piece, int firstCell, int lastCell, std::vector<TCharCell>& out) {
    std::string_view before = piece.Before;
    size_t scan = 0;
    while (scan + 4 <= before.size()) {
        int length = CodePageCharLength(before, scan);
        scan += length > 0 ? static_cast<size_t>(length) : 1;
    }
    // Bytes from a character boundary near the piece through the bytes that can complete
    // its last character.
    std::string joined;
    joined.reserve(before.size() - scan + piece.Text.size() + 3);
    joined.append(before.substr(scan));
    joined.append(piece.Text);
    joined.append(piece.After.substr(0, std::min<size_t>(piece.After.size(), 3)));
    const int textStart = static_cast<int>(before.size() - scan);
    const int textEnd = textStart + static_cast<int>(piece.Text.size());
    const std::string_view all = joined;

    int pos = 0;
    while (pos < textEnd) {
        int length = CodePageCharLength(all, static_cast<size_t>(pos));
        int step = length > 0 ? length : 1;
        int cell = pos - textStart;
        if (pos + step > textStart && cell + step - 1 >= firstCell && cell <= lastCell) {
            if (length == 0)
                out.push_back({cell, 1, 0});
            else
                out.push_back({cell, length == 1 ? 1 : 2,
                               Glyphs().Decode(all.substr(static_cast<size_t>(pos), static_cast<size_t>(length)))});
        }
        pos += step;
    }
}

QRect ToQRect(const TRect& rect) {
    return QRect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
}

unsigned StyleBits(TFontStyles style) {
    unsigned bits = 0;
    for (TFontStyle flag : {TFontStyle::fsBold, TFontStyle::fsItalic, TFontStyle::fsUnderline,
                            TFontStyle::fsStrikeOut})
        bits = (bits << 1) | (style.Contains(flag) ? 1u : 0u);
    return bits;
}

} // namespace

size_t QtCanvas::TCellKeyHash::operator()(const TCellKey& key) const {
    size_t hash = std::hash<const void*>()(key.Face);
    hash = hash * 1000003u ^ key.Fore;
    hash = hash * 1000003u ^ key.Back;
    return hash * 1000003u ^ key.Code;
}

QtCanvas::QtCanvas(QImage* image, const QPalette& palette) : FImage(image), FPalette(palette) {}

QtCanvas::~QtCanvas() { Flush(); }

void QtCanvas::SetImage(QImage* image) {
    Flush();
    FImage = image;
}

void QtCanvas::Flush() {
    if (FPainter.isActive()) FPainter.end();
}

QPainter& QtCanvas::Painter() {
    if (!FPainter.isActive()) {
        FPainter.begin(FImage);
        FPainter.setRenderHint(QPainter::TextAntialiasing, true);
        FPainter.setRenderHint(QPainter::Antialiasing, false);
    }
    return FPainter;
}

void QtCanvas::Damage(const QRect& rect) {
    if (OnDamage && !rect.isEmpty()) OnDamage(rect);
}

QRect QtCanvas::Clip(const TRect& rect) const {
    if (!FImage || FImage->isNull()) return {};
    return ToQRect(rect).intersected(FImage->rect());
}

void QtCanvas::SetFont(const TFontData& font) {
    if (font == FFont) return;
    FFont = font;
    FFace = nullptr;
}

QtCanvas::TFace& QtCanvas::Face() {
    if (FFace) return *FFace;
    TFaceKey key{FFont.Name, FFont.Height, StyleBits(FFont.Style)};
    auto found = FFaces.find(key);
    if (found == FFaces.end()) {
        TFace face;
        face.Font = QtFontFor(FFont);
        QFontMetrics metrics(face.Font);
        face.CellWidth = std::max(metrics.horizontalAdvance(QLatin1Char('M')), 1);
        face.Ascent = metrics.ascent();
        face.Height = metrics.height();
        face.UnderlinePos = std::max(metrics.underlinePos(), 1);
        face.StrikeOutPos = metrics.strikeOutPos();
        face.LineWidth = std::max(metrics.lineWidth(), 1);
        face.Raw = QRawFont::fromFont(face.Font);
        face.Slant = face.Font.italic() && face.Raw.style() == QFont::StyleNormal;
        found = FFaces.emplace(key, std::move(face)).first;
    }
    FFace = &found->second;
    return *FFace;
}

int QtCanvas::CellWidth() { return Face().CellWidth; }
int QtCanvas::Ascent() { return Face().Ascent; }

void QtCanvas::FillRect(const TRect& rect) {
    QRect area = Clip(rect);
    if (area.isEmpty()) return;
    Painter().fillRect(area, QtColorFor(FBrush, FPalette));
    Damage(area);
}

// Draws chars (cells relative to x) with their top at y, through the painter's clip.
void QtCanvas::DrawCharacters(QPainter& painter, TFace& face, const std::vector<TCharCell>& chars,
                              int x, int y, const QColor& color) {
    const int cell = face.CellWidth;
    const int baseline = y + face.Ascent;
    painter.setPen(color);
    QString text;
    text.reserve(static_cast<qsizetype>(chars.size()));
    for (const TCharCell& ch : chars) {
        if (ch.Code > 0xFFFF)
            text.append(QChar::fromUcs4(ch.Code).operator QStringView());
        else
            text.append(QChar(ch.Code >= 0x20 && ch.Code != 0x7F ? char16_t(ch.Code) : u' '));
    }
    QList<quint32> indexes = face.Raw.isValid() ? face.Raw.glyphIndexesForString(text) : QList<quint32>();

    QList<quint32> runGlyphs;
    QList<QPointF> runPositions;
    runGlyphs.reserve(static_cast<qsizetype>(chars.size()));
    runPositions.reserve(static_cast<qsizetype>(chars.size()));
    std::vector<const TCharCell*> fallback;
    for (size_t i = 0; i < chars.size(); ++i) {
        const TCharCell& ch = chars[i];
        if (!IsVisible(ch.Code)) continue;
        int left = x + ch.Cell * cell;
        if (ch.Code == 0) {
            // A byte that starts no character: a hollow box in its cell.
            int top = y + face.Ascent / 3;
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(left + 1, top, std::max(cell - 3, 1), std::max(baseline - top - 1, 1));
            continue;
        }
        quint32 glyph = i < static_cast<size_t>(indexes.size()) ? indexes[static_cast<qsizetype>(i)] : 0;
        if (glyph == 0) {
            fallback.push_back(&ch);
            continue;
        }
        runGlyphs.push_back(glyph);
        runPositions.push_back(QPointF(left, 0));
    }
    painter.save();
    if (face.Slant) {
        QTransform slant;
        slant.translate(0, baseline);
        slant.shear(-0.2, 0);
        painter.setTransform(slant, true);
    } else {
        painter.translate(0, baseline);
    }
    if (!runGlyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(face.Raw);
        run.setGlyphIndexes(runGlyphs);
        run.setPositions(runPositions);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    if (!fallback.empty()) {
        // Characters the face lacks: Qt finds another face for each.
        painter.setFont(face.Font);
        for (const TCharCell* ch : fallback) {
            QString one = QString::fromUcs4(&ch->Code, 1);
            painter.drawText(QPointF(x + ch->Cell * cell, 0), one);
        }
    }
    painter.restore();
}

// The picture of one character on its background, as wide as its cells and one row high.
const QtCanvas::TCellImage& QtCanvas::CellImage(TFace& face, const TCharCell& ch, QRgb fore, QRgb back) {
    TCellKey key{&face, fore, back, ch.Code};
    auto found = FCells.find(key);
    if (found != FCells.end()) return found->second;
    // The same characters in the same colours come back frame after frame; a bound keeps a
    // text of many colours from growing the cache without end.
    if (FCells.size() >= kMaxCells) FCells.clear();
    QImage picture(ch.Span * face.CellWidth, face.Height, QImage::Format_RGB32);
    picture.fill(back);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        std::vector<TCharCell> one{TCharCell{0, ch.Span, ch.Code}};
        DrawCharacters(painter, face, one, 0, 0, QColor::fromRgb(fore));
    }
    TCellImage& image = FCells[key];
    image.Width = picture.width();
    image.Height = picture.height();
    image.Pixels.resize(static_cast<size_t>(image.Width) * image.Height);
    for (int row = 0; row < image.Height; ++row)
        std::memcpy(&image.Pixels[static_cast<size_t>(row) * image.Width], picture.constScanLine(row),
                    static_cast<size_t>(image.Width) * sizeof(uint32_t));
    return image;
}

void QtCanvas::TextRect(const TRect& rect, int x, int y, const TTextPiece& piece) {
    QRect area = Clip(rect);
    if (area.isEmpty()) return;
    QPainter& painter = Painter();
    const QColor back = QtColorFor(FBrush, FPalette);
    painter.fillRect(area, back);
    Damage(area);
    if (piece.Text.empty()) return;

    TFace& face = Face();
    const int cell = face.CellWidth;
    // Only the cells the rectangle shows.
    const int firstCell = (area.left() - x) / cell - 1;
    const int lastCell = (area.right() - x) / cell + 1;
    thread_local std::vector<TCharCell> chars;
    chars.clear();
    CharactersOf(piece, firstCell, lastCell, chars);
    const QColor color = QtColorFor(FFont.Color, FPalette);

    if (!face.Slant && FImage->format() == QImage::Format_RGB32) {
        // Each character is copied from its cached picture, cut to the rectangle. (Slanted
        // glyphs reach into the next cell, so they are drawn directly instead.)
        const QRgb fore = color.rgb(), backRgb = back.rgb();
        uchar* bits = FImage->bits();
        const qsizetype stride = FImage->bytesPerLine();
        for (const TCharCell& ch : chars) {
            if (!IsVisible(ch.Code)) continue;
            const TCellImage& image = CellImage(face, ch, fore, backRgb);
            const int left = x + ch.Cell * cell;
            const int fromX = std::max(left, area.left());
            const int toX = std::min(left + image.Width, area.right() + 1);
            const int fromY = std::max(y, area.top());
            const int toY = std::min(y + image.Height, area.bottom() + 1);
            if (fromX >= toX) continue;
            const size_t bytes = static_cast<size_t>(toX - fromX) * sizeof(uint32_t);
            for (int row = fromY; row < toY; ++row)
                std::memcpy(bits + row * stride + static_cast<qsizetype>(fromX) * 4,
                            &image.Pixels[static_cast<size_t>(row - y) * image.Width + (fromX - left)], bytes);
        }
    } else if (!chars.empty()) {
        painter.save();
        painter.setClipRect(area);
        DrawCharacters(painter, face, chars, x, y, color);
        painter.restore();
    }

    if (FFont.Style.Contains(TFontStyle::fsUnderline) || FFont.Style.Contains(TFontStyle::fsStrikeOut)) {
        const int baseline = y + face.Ascent;
        int from = std::max(x, area.left());
        int to = std::min(x + static_cast<int>(piece.Text.size()) * cell, area.right() + 1);
        QRect line(from, 0, to - from, face.LineWidth);
        if (FFont.Style.Contains(TFontStyle::fsUnderline))
            painter.fillRect(line.translated(0, baseline + face.UnderlinePos).intersected(area), color);
        if (FFont.Style.Contains(TFontStyle::fsStrikeOut))
            painter.fillRect(line.translated(0, baseline - face.StrikeOutPos).intersected(area), color);
    }
}

int QtCanvas::TextWidth(std::string_view text) {
    QString decoded = QString::fromStdU16String(CodePageToUtf16(text, TConversion::Lenient));
    return QFontMetrics(Face().Font).horizontalAdvance(decoded);
}

int QtCanvas::TextHeight(std::string_view) { return Face().Height; }

void QtCanvas::CopyRect(const TRect& dest, Canvas& source, const TRect& sourceRect) {
    auto* from = dynamic_cast<QtCanvas*>(&source);
    if (!from || !from->FImage || !FImage || FImage->isNull()) return;
    int width = std::min(dest.Right - dest.Left, sourceRect.Right - sourceRect.Left);
    int height = std::min(dest.Bottom - dest.Top, sourceRect.Bottom - sourceRect.Top);
    if (width <= 0 || height <= 0) return;
    QRect sourceArea(sourceRect.Left, sourceRect.Top, width, height);
    if (from->FImage == FImage) {
        if (sourceArea.left() == dest.Left) {
            // A vertical move (the back buffer scrolling): rows move in place.
            QRect span = sourceArea.united(QRect(dest.Left, dest.Top, width, height));
            ScrollImage(*FImage, span.intersected(FImage->rect()), dest.Top - sourceRect.Top);
        } else {
            QImage block = FImage->copy(sourceArea);
            BlitImage(*FImage, QPoint(dest.Left, dest.Top), block, block.rect());
        }
    } else if (from->FImage->format() == FImage->format()) {
        BlitImage(*FImage, QPoint(dest.Left, dest.Top), *from->FImage, sourceArea);
    } else {
        QPainter& painter = Painter();
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(dest.Left, dest.Top), *from->FImage, sourceArea);
        painter.restore();
    }
    Damage(QRect(dest.Left, dest.Top, width, height).intersected(FImage->rect()));
}

TColor QtCanvas::ResolveColor(TColor color) const { return ColorFromQt(QtColorFor(color, FPalette)); }

QtBitmap::QtBitmap(int width, int height, const QPalette& palette)
    : FImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32), FCanvas(&FImage, palette) {
    FImage.fill(palette.color(QPalette::Base));
}

void QtBitmap::SetSize(int width, int height) {
    FCanvas.Flush();
    FImage = ResizedImage(FImage, std::max(width, 1), std::max(height, 1), Qt::white);
    FCanvas.SetImage(&FImage);
}

QRect ScrollImage(QImage& image, const QRect& rect, int dy) {
    QRect area = rect.intersected(image.rect());
    if (area.isEmpty() || dy == 0) return {};
    if (std::abs(dy) >= area.height()) return area;
    const int bytesPerPixel = image.depth() / 8;
    const size_t rowBytes = static_cast<size_t>(area.width()) * bytesPerPixel;
    const size_t offset = static_cast<size_t>(area.left()) * bytesPerPixel;
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    if (dy > 0) {
        for (int row = area.bottom(); row >= area.top() + dy; --row)
            std::memmove(bits + row * stride + offset, bits + (row - dy) * stride + offset, rowBytes);
        return QRect(area.left(), area.top(), area.width(), dy);
    }
    for (int row = area.top(); row <= area.bottom() + dy; ++row)
        std::memmove(bits + row * stride + offset, bits + (row - dy) * stride + offset, rowBytes);
    return QRect(area.left(), area.bottom() + dy + 1, area.width(), -dy);
}

void BlitImage(QImage& target, QPoint destination, const QImage& source, const QRect& sourceRect) {
    QRect from = sourceRect.intersected(source.rect());
    QRect to = QRect(destination + (from.topLeft() - sourceRect.topLeft()), from.size()).intersected(target.rect());
    from = QRect(from.topLeft() + (to.topLeft() - (destination + (from.topLeft() - sourceRect.topLeft()))), to.size());
    if (to.isEmpty()) return;
    if (source.format() == target.format() && source.depth() % 8 == 0) {
        const int bytesPerPixel = source.depth() / 8;
        const size_t rowBytes = static_cast<size_t>(to.width()) * bytesPerPixel;
        for (int row = 0; row < to.height(); ++row)
            std::memcpy(target.scanLine(to.top() + row) + static_cast<size_t>(to.left()) * bytesPerPixel,
                        source.constScanLine(from.top() + row) + static_cast<size_t>(from.left()) * bytesPerPixel,
                        rowBytes);
        return;
    }
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(to.topLeft(), source, from);
}

QImage ResizedImage(const QImage& old, int width, int height, const QColor& fill) {
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    image.fill(fill);
    if (!old.isNull()) BlitImage(image, QPoint(0, 0), old, old.rect());
    return image;
}

} // namespace platform::qt
