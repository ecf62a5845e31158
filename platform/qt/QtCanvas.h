// platform::qt::QtCanvas and QtBitmap: the canvas over QPainter on a QImage, drawing the
// program's code-page bytes on the character grid, and the off-screen bitmap built on it.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QRawFont>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/Canvas.h"

namespace platform::qt {

// One character of a piece: its first cell (relative to the piece's first byte), the cells
// its glyph takes, and its code point (0: a replacement mark).
struct TCharCell {
    int Cell;
    int Span;
    char32_t Code;
};

class QtCanvas : public Canvas {
public:
    // Draws into image (not owned; may be nullptr: then nothing is drawn). System colours come
    // from palette.
    QtCanvas(QImage* image, const QPalette& palette);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // Ends painting on the old image first: call it before the image is replaced or resized.
    void SetImage(QImage* image);
    QImage* Image() const { return FImage; }
    // Ends the painter, so the image may be resized or handed elsewhere.
    void Flush();
    void SetPalette(const QPalette& palette) { FPalette = palette; }
    // Told of every area that drawing changed (the window host repaints it).
    std::function<void(const QRect&)> OnDamage;

    void SetFont(const TFontData& font) override;
    const TFontData& Font() const override { return FFont; }
    void SetBrushColor(TColor color) override { FBrush = color; }
    TColor BrushColor() const override { return FBrush; }
    void FillRect(const TRect& rect) override;
    void TextRect(const TRect& rect, int x, int y, const TTextPiece& piece) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    void CopyRect(const TRect& dest, Canvas& source, const TRect& sourceRect) override;
    TColor ResolveColor(TColor color) const override;

    // The measures of the current font on the grid.
    int CellWidth();
    int Ascent();

private:
    struct TFace {
        QFont Font;
        QRawFont Raw;
        int CellWidth = 8;
        int Ascent = 10;
        int Height = 13;
        int UnderlinePos = 1;
        int StrikeOutPos = 4;
        int LineWidth = 1;
        bool Slant = false; // italic asked for but the face has none: shear the glyphs
    };
    using TFaceKey = std::tuple<std::string, int, unsigned>;

    struct TCellImage {
        int Width = 0;
        int Height = 0;
        std::vector<uint32_t> Pixels;
    };
    struct TCellKey {
        const TFace* Face;
        QRgb Fore;
        QRgb Back;
        char32_t Code;
        bool operator==(const TCellKey&) const = default;
    };
    struct TCellKeyHash {
        size_t operator()(const TCellKey& key) const;
    };
    static constexpr size_t kMaxCells = 16384;

    QPainter& Painter();
    TFace& Face();
    void DrawCharacters(QPainter& painter, TFace& face, const std::vector<TCharCell>& chars, int x,
                        int y, const QColor& color);
    const TCellImage& CellImage(TFace& face, const TCharCell& ch, QRgb fore, QRgb back);
    void Damage(const QRect& rect);
    QRect Clip(const TRect& rect) const;

    QImage* FImage;
    QPainter FPainter;
    QPalette FPalette;
    TFontData FFont;
    TColor FBrush = clWindow;
    std::map<TFaceKey, TFace> FFaces;
    TFace* FFace = nullptr;
    std::unordered_map<TCellKey, TCellImage, TCellKeyHash> FCells;
};

class QtBitmap : public Bitmap {
public:
    QtBitmap(int width, int height, const QPalette& palette);
    int Width() const override { return FImage.width(); }
    int Height() const override { return FImage.height(); }
    void SetSize(int width, int height) override;
    Canvas& GetCanvas() override { return FCanvas; }
    QImage& Image() { return FImage; }
    QtCanvas& Painter() { return FCanvas; }

private:
    QImage FImage;
    QtCanvas FCanvas;
};

// Moves the pixels of rect inside image by dy rows; returns the band nothing moved into.
QRect ScrollImage(QImage& image, const QRect& rect, int dy);
// Copies sourceRect of source to target at destination (both clipped to their images).
void BlitImage(QImage& target, QPoint destination, const QImage& source, const QRect& sourceRect);
// A new image of the given size holding what fits of old; the rest is filled with fill.
QImage ResizedImage(const QImage& old, int width, int height, const QColor& fill);

} // namespace platform::qt
