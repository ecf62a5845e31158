// platform::headless::RecordingCanvas and RecordingBitmap: a canvas for tests that records
// every call and keeps a coarse picture (per pixel: background, foreground and the byte of the
// cell drawn there), so tests can ask both what was painted and what the window shows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Canvas.h"

namespace platform::headless {

// How the recording canvas measures: every byte is one cell of CharWidth x LineHeight; a font
// with bold (italic) measures BoldCharWidth (ItalicCharWidth) when that is not 0, as a
// proportional face whose bold "M" is wider would.
struct TCanvasMetrics {
    int CharWidth = 8;
    int LineHeight = 13;
    int BoldCharWidth = 0;
    int ItalicCharWidth = 0;
};

enum class TCanvasOpKind { Fill, Text, Copy, Scroll };

struct TCanvasOp {
    TCanvasOpKind Kind = TCanvasOpKind::Fill;
    // Fill and Text: the filled (clip) rectangle; Copy: the destination; Scroll: the area.
    TRect Rect;
    // Text: the first cell's corner. Scroll: Y is the distance moved.
    int X = 0;
    int Y = 0;
    std::string Before, Text, After;
    TFontData Font;
    TColor Brush = 0;
    const Canvas* Source = nullptr;
    TRect SourceRect;
};

// What one pixel of the picture holds. Byte is 0 where no text was drawn. A character cut by
// a piece's edge shows whole: the cells beside the piece that belong to it show its bytes.
struct TPixel {
    TColor Back = 0;
    TColor Fore = 0;
    char Byte = 0;
    TFontStyles Style;
    bool operator==(const TPixel&) const = default;
};

class RecordingCanvas : public Canvas {
public:
    // A canvas of width x height pixels, initially clWindow; 0 x 0 keeps no picture.
    explicit RecordingCanvas(int width = 0, int height = 0, TCanvasMetrics metrics = {});

    void SetFont(const TFontData& font) override { FFont = font; }
    const TFontData& Font() const override { return FFont; }
    void SetBrushColor(TColor color) override { FBrush = color; }
    TColor BrushColor() const override { return FBrush; }
    void FillRect(const TRect& rect) override;
    void TextRect(const TRect& rect, int x, int y, const TTextPiece& piece) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    void CopyRect(const TRect& dest, Canvas& source, const TRect& sourceRect) override;
    TColor ResolveColor(TColor color) const override;

    // The window host's pixel scroll (see WindowHost::ScrollWindow); recorded as Scroll.
    TRect ScrollPixels(int dy, const TRect& rect);

    TCanvasMetrics Metrics;

    // The recording.
    const std::vector<TCanvasOp>& Ops() const { return FOps; }
    std::vector<TCanvasOp> OpsOf(TCanvasOpKind kind) const;
    void ClearOps() { FOps.clear(); }
    // One line per call, for comparing whole recordings in tests.
    std::string Dump() const;

    // The picture. Outside the canvas a pixel reads as the default TPixel.
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void Resize(int width, int height);
    TPixel PixelAt(int x, int y) const;
    // The bytes of count cells of Metrics.CharWidth from (x, y), read at each cell's left
    // pixel; a blank cell reads as a space.
    std::string TextAt(int x, int y, int count) const;
    // The pixels of rect, row by row (for comparing two pictures).
    std::vector<TPixel> Pixels(const TRect& rect) const;

private:
    int CellWidth(const TFontData& font) const;
    TRect ClipToPicture(const TRect& rect) const;
    TPixel& At(int x, int y) { return FPixels[static_cast<size_t>(y) * FWidth + x]; }

    TFontData FFont;
    TColor FBrush = clWindow;
    std::vector<TCanvasOp> FOps;
    int FWidth = 0;
    int FHeight = 0;
    std::vector<TPixel> FPixels;
};

class RecordingBitmap : public Bitmap {
public:
    RecordingBitmap(int width, int height, TCanvasMetrics metrics)
        : FCanvas(width, height, metrics) {}
    int Width() const override { return FCanvas.Width(); }
    int Height() const override { return FCanvas.Height(); }
    void SetSize(int width, int height) override { FCanvas.Resize(width, height); }
    Canvas& GetCanvas() override { return FCanvas; }
    RecordingCanvas& Recording() { return FCanvas; }

private:
    RecordingCanvas FCanvas;
};

bool IsEmptyRect(const TRect& rect);
TRect IntersectRect(const TRect& a, const TRect& b);

} // namespace platform::headless
