#include "platform/headless/RecordingCanvas.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "base/Format.h"
#include "platform/CodePage.h"

namespace platform::headless {

bool IsEmptyRect(const TRect& rect) { return rect.Right <= rect.Left || rect.Bottom <= rect.Top; }

TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect result{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
    return IsEmptyRect(result) ? TRect{} : result;
}

namespace {

int FloorDiv(int value, int divisor) {
    int quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

std::string RectText(const TRect& rect) {
    return Format("(%d,%d,%d,%d)", rect.Left, rect.Top, rect.Right, rect.Bottom);
}

const char* KindName(TCanvasOpKind kind) {
    switch (kind) {
    case TCanvasOpKind::Fill: return "fill";
    case TCanvasOpKind::Text: return "text";
    case TCanvasOpKind::Copy: return "copy";
    case TCanvasOpKind::Scroll: return "scroll";
    }
    return "?";
}

// How many bytes of Before and of After belong to characters that the piece's edges cut.
std::pair<int, int> CutCharacterParts(const TTextPiece& piece) {
    std::string joined;
    joined.append(piece.Before).append(piece.Text).append(piece.After);
    const std::string_view all = joined;
    const size_t textStart = piece.Before.size(), textEnd = textStart + piece.Text.size();
    int before = 0, after = 0;
    for (size_t pos = 0; pos < textEnd;) {
        int length = CodePageCharLength(all, pos);
        size_t end = pos + static_cast<size_t>(length > 0 ? length : 1);
        if (pos < textStart && end > textStart) before = static_cast<int>(textStart - pos);
        if (pos < textEnd && end > textEnd) after = static_cast<int>(end - textEnd);
        pos = end;
    }
    return {before, after};
}

} // namespace

RecordingCanvas::RecordingCanvas(int width, int height, TCanvasMetrics metrics) : Metrics(metrics) {
    Resize(width, height);
}

void RecordingCanvas::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<TPixel> pixels(static_cast<size_t>(width) * height, TPixel{clWindow, 0, 0, {}});
    for (int y = 0; y < std::min(height, FHeight); ++y)
        std::copy_n(FPixels.begin() + static_cast<std::ptrdiff_t>(y) * FWidth, std::min(width, FWidth),
                    pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    FPixels = std::move(pixels);
    FWidth = width;
    FHeight = height;
}

TRect RecordingCanvas::ClipToPicture(const TRect& rect) const {
    return IntersectRect(rect, TRect{0, 0, FWidth, FHeight});
}

int RecordingCanvas::CellWidth(const TFontData& font) const {
    int width = Metrics.CharWidth;
    if (font.Style.Contains(TFontStyle::fsBold) && Metrics.BoldCharWidth > 0)
        width = std::max(width, Metrics.BoldCharWidth);
    if (font.Style.Contains(TFontStyle::fsItalic) && Metrics.ItalicCharWidth > 0)
        width = std::max(width, Metrics.ItalicCharWidth);
    return std::max(width, 1);
}

void RecordingCanvas::FillRect(const TRect& rect) {
    TCanvasOp op;
    op.Kind = TCanvasOpKind::Fill;
    op.Rect = rect;
    op.Brush = FBrush;
    FOps.push_back(std::move(op));
    TRect area = ClipToPicture(rect);
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) At(x, y) = TPixel{FBrush, 0, 0, {}};
}

void RecordingCanvas::TextRect(const TRect& rect, int x, int y, const TTextPiece& piece) {
    TCanvasOp op;
    op.Kind = TCanvasOpKind::Text;
    op.Rect = rect;
    op.X = x;
    op.Y = y;
    op.Before = piece.Before;
    op.Text = piece.Text;
    op.After = piece.After;
    op.Font = FFont;
    op.Brush = FBrush;
    FOps.push_back(std::move(op));

    const int cellWidth = CellWidth(FFont);
    const int textSize = static_cast<int>(piece.Text.size());
    // Beside the text only the rest of a character cut by its edges shows.
    const auto [beforeSize, afterSize] = CutCharacterParts(piece);
    TRect area = ClipToPicture(rect);
    for (int px = area.Left; px < area.Right; ++px) {
        int cell = FloorDiv(px - x, cellWidth);
        char byte = 0;
        if (cell >= 0 && cell < textSize)
            byte = piece.Text[cell];
        else if (cell < 0 && -cell <= beforeSize)
            byte = piece.Before[piece.Before.size() - static_cast<size_t>(-cell)];
        else if (cell >= textSize && cell - textSize < afterSize)
            byte = piece.After[cell - textSize];
        TPixel pixel{FBrush, byte != 0 ? FFont.Color : 0, byte, byte != 0 ? FFont.Style : TFontStyles{}};
        for (int py = area.Top; py < area.Bottom; ++py) At(px, py) = pixel;
    }
}

int RecordingCanvas::TextWidth(std::string_view text) {
    return static_cast<int>(text.size()) * CellWidth(FFont);
}

int RecordingCanvas::TextHeight(std::string_view) { return Metrics.LineHeight; }

void RecordingCanvas::CopyRect(const TRect& dest, Canvas& source, const TRect& sourceRect) {
    TCanvasOp op;
    op.Kind = TCanvasOpKind::Copy;
    op.Rect = dest;
    op.Source = &source;
    op.SourceRect = sourceRect;
    FOps.push_back(std::move(op));

    auto* from = dynamic_cast<RecordingCanvas*>(&source);
    if (!from) return;
    // Read everything first: source and destination may be the same picture.
    int width = std::min(dest.Right - dest.Left, sourceRect.Right - sourceRect.Left);
    int height = std::min(dest.Bottom - dest.Top, sourceRect.Bottom - sourceRect.Top);
    if (width <= 0 || height <= 0) return;
    std::vector<TPixel> block = from->Pixels({sourceRect.Left, sourceRect.Top,
                                              sourceRect.Left + width, sourceRect.Top + height});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int tx = dest.Left + x, ty = dest.Top + y;
            if (tx >= 0 && ty >= 0 && tx < FWidth && ty < FHeight)
                At(tx, ty) = block[static_cast<size_t>(y) * width + x];
        }
}

TColor RecordingCanvas::ResolveColor(TColor color) const {
    switch (color) {
    case clWindow: return clWhite;
    case clWindowText: return clBlack;
    case clHighlight: return 0x00D77800;
    case clHighlightText: return clWhite;
    default: return IsSystemColor(color) ? clBlack : color;
    }
}

TRect RecordingCanvas::ScrollPixels(int dy, const TRect& rect) {
    TCanvasOp op;
    op.Kind = TCanvasOpKind::Scroll;
    op.Rect = rect;
    op.Y = dy;
    FOps.push_back(std::move(op));

    if (IsEmptyRect(rect) || dy == 0) return {};
    int height = rect.Bottom - rect.Top;
    if (dy >= height || -dy >= height) return rect;
    std::vector<TPixel> block = Pixels(rect);
    int width = rect.Right - rect.Left;
    for (int y = 0; y < height; ++y) {
        int from = y - dy;
        if (from < 0 || from >= height) continue;
        for (int x = 0; x < width; ++x) {
            int tx = rect.Left + x, ty = rect.Top + y;
            if (tx >= 0 && ty >= 0 && tx < FWidth && ty < FHeight)
                At(tx, ty) = block[static_cast<size_t>(from) * width + x];
        }
    }
    return dy > 0 ? TRect{rect.Left, rect.Top, rect.Right, rect.Top + dy}
                  : TRect{rect.Left, rect.Bottom + dy, rect.Right, rect.Bottom};
}

std::vector<TCanvasOp> RecordingCanvas::OpsOf(TCanvasOpKind kind) const {
    std::vector<TCanvasOp> result;
    for (const TCanvasOp& op : FOps)
        if (op.Kind == kind) result.push_back(op);
    return result;
}

std::string RecordingCanvas::Dump() const {
    std::string result;
    for (const TCanvasOp& op : FOps) {
        result += KindName(op.Kind);
        result += ' ';
        result += RectText(op.Rect);
        switch (op.Kind) {
        case TCanvasOpKind::Fill: result += Format(" brush=%08X", op.Brush); break;
        case TCanvasOpKind::Text:
            result += Format(" at=(%d,%d) brush=%08X color=%08X style=%s%s \"", op.X, op.Y,
                             op.Brush, op.Font.Color,
                             op.Font.Style.Contains(TFontStyle::fsBold) ? "B" : "",
                             op.Font.Style.Contains(TFontStyle::fsItalic) ? "I" : "");
            result += op.Text;
            result += '"';
            break;
        case TCanvasOpKind::Copy: result += " from " + RectText(op.SourceRect); break;
        case TCanvasOpKind::Scroll: result += Format(" dy=%d", op.Y); break;
        }
        result += '\n';
    }
    return result;
}

TPixel RecordingCanvas::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return {};
    return FPixels[static_cast<size_t>(y) * FWidth + x];
}

std::string RecordingCanvas::TextAt(int x, int y, int count) const {
    std::string result;
    for (int i = 0; i < count; ++i) {
        char byte = PixelAt(x + i * Metrics.CharWidth, y).Byte;
        result += byte != 0 ? byte : ' ';
    }
    return result;
}

std::vector<TPixel> RecordingCanvas::Pixels(const TRect& rect) const {
    std::vector<TPixel> result;
    for (int y = rect.Top; y < rect.Bottom; ++y)
        for (int x = rect.Left; x < rect.Right; ++x) result.push_back(PixelAt(x, y));
    return result;
}

} // namespace platform::headless
