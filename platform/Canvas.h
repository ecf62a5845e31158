// platform::Canvas and platform::Bitmap: drawing on a window or an off-screen bitmap with the
// editor's fixed character grid (fonts, brush, fills, opaque clipped text, measuring, copies).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Color.h"
#include "platform/Geometry.h"

namespace platform {

// The character set a font asks for (the Windows numbers).
using TFontCharset = uint8_t;
inline constexpr TFontCharset ANSI_CHARSET = 0;
inline constexpr TFontCharset DEFAULT_CHARSET = 1;
inline constexpr TFontCharset GB2312_CHARSET = 134;

// A font as the program names it. The backend maps the name to an installed face.
struct TFontData {
    std::string Name = "宋体";
    // Pixel height of the em square (a 9-point font at 96 dpi is 12).
    int Height = 12;
    TFontStyles Style;
    TColor Color = clWindowText;
    TFontCharset Charset = DEFAULT_CHARSET;
    bool operator==(const TFontData&) const = default;
};

// Bytes to draw together with the rest of their row. A character of the code page is known
// only from the start of its row, and a row is painted in pieces that may cut a character:
// Before (the row's bytes in front of Text, from the row start) and After (those behind it)
// let the canvas draw a cut character whole, clipped to the piece's cells.
struct TTextPiece {
    TTextPiece(std::string_view text) : Text(text) {}
    TTextPiece(const char* text) : Text(text) {}
    TTextPiece(const std::string& text) : Text(text) {}
    TTextPiece(std::string_view before, std::string_view text, std::string_view after)
        : Before(before), Text(text), After(after) {}
    std::string_view Before;
    std::string_view Text;
    std::string_view After;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void SetFont(const TFontData& font) = 0;
    virtual const TFontData& Font() const = 0;
    virtual void SetBrushColor(TColor color) = 0;
    virtual TColor BrushColor() const = 0;

    // Fills rect with the brush colour.
    virtual void FillRect(const TRect& rect) = 0;
    // Opaque text: fills rect with the brush colour and draws piece.Text in the font's colour
    // from the cell whose top left corner is (x, y), clipped to rect. Every byte takes one
    // cell as wide as the font's "M": a two-byte character fills two cells, a four-byte one
    // draws in its first two and leaves two blank, and a byte that starts no valid character
    // shows a replacement mark in its cell.
    virtual void TextRect(const TRect& rect, int x, int y, const TTextPiece& piece) = 0;
    virtual int TextWidth(std::string_view text) = 0;
    virtual int TextHeight(std::string_view text) = 0;

    // Copies sourceRect of source to dest (same size). source may be this canvas; overlapping
    // areas move as a whole. A source of another backend copies nothing.
    virtual void CopyRect(const TRect& dest, Canvas& source, const TRect& sourceRect) = 0;

    // The RGB value ($00BBGGRR) of a colour; system colours as this canvas shows them.
    virtual TColor ResolveColor(TColor color) const = 0;
};

// An off-screen picture of a window with a canvas of its own.
class Bitmap {
public:
    virtual ~Bitmap() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Keeps the pixels that still fit; the area that grows is undefined until painted.
    virtual void SetSize(int width, int height) = 0;
    virtual Canvas& GetCanvas() = 0;
};

} // namespace platform
