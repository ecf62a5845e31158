// TColor, the named colours and TFontStyles.
#pragma once

#include <cstdint>
#include <initializer_list>

// $00BBGGRR for an RGB colour, $FF0000nn for system colour nn.
using TColor = uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clWindow = 0xFF000005;
inline constexpr TColor clWindowText = 0xFF000008;
inline constexpr TColor clHighlight = 0xFF00000D;
inline constexpr TColor clHighlightText = 0xFF00000E;

inline constexpr bool IsSystemColor(TColor color) { return (color & 0xFF000000u) == 0xFF000000u; }
inline constexpr uint8_t ColorRed(TColor color) { return color & 0xFF; }
inline constexpr uint8_t ColorGreen(TColor color) { return (color >> 8) & 0xFF; }
inline constexpr uint8_t ColorBlue(TColor color) { return (color >> 16) & 0xFF; }

enum class TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set over TFontStyle.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
        for (TFontStyle style : styles) FBits |= Bit(style);
    }
    constexpr bool Contains(TFontStyle style) const { return (FBits & Bit(style)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TFontStyles& Include(TFontStyle style) {
        FBits |= Bit(style);
        return *this;
    }
    constexpr TFontStyles& Exclude(TFontStyle style) {
        FBits &= static_cast<uint8_t>(~Bit(style));
        return *this;
    }
    constexpr TFontStyles operator+(TFontStyles other) const { return FromBits(FBits | other.FBits); }
    constexpr TFontStyles operator-(TFontStyles other) const { return FromBits(FBits & ~other.FBits); }
    constexpr TFontStyles operator*(TFontStyles other) const { return FromBits(FBits & other.FBits); }
    constexpr bool operator==(const TFontStyles&) const = default;

private:
    static constexpr uint8_t Bit(TFontStyle style) { return static_cast<uint8_t>(1u << static_cast<unsigned>(style)); }
    static constexpr TFontStyles FromBits(unsigned bits) {
        TFontStyles styles;
        styles.FBits = static_cast<uint8_t>(bits);
        return styles;
    }
    uint8_t FBits = 0;
};
