// Input vocabulary shared by the window host and its event sink: shift state, mouse buttons,
// scroll codes, cursors and the virtual key codes the editor's key tables use.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace platform {

enum class TShiftFlag : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };

// The modifiers and mouse buttons held, as a set over TShiftFlag.
class TShiftState {
public:
    constexpr TShiftState() = default;
    constexpr TShiftState(std::initializer_list<TShiftFlag> flags) {
        for (TShiftFlag flag : flags) FBits |= Bit(flag);
    }
    constexpr bool Contains(TShiftFlag flag) const { return (FBits & Bit(flag)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TShiftState& Include(TShiftFlag flag) {
        FBits |= Bit(flag);
        return *this;
    }
    constexpr TShiftState& Exclude(TShiftFlag flag) {
        FBits &= static_cast<uint8_t>(~Bit(flag));
        return *this;
    }
    // Only Shift, Alt and Ctrl: what the key tables mean by "modifiers".
    constexpr TShiftState Modifiers() const {
        return FromBits(FBits & (Bit(TShiftFlag::ssShift) | Bit(TShiftFlag::ssAlt) |
                                 Bit(TShiftFlag::ssCtrl)));
    }
    constexpr bool operator==(const TShiftState&) const = default;

private:
    static constexpr uint8_t Bit(TShiftFlag flag) {
        return static_cast<uint8_t>(1u << static_cast<unsigned>(flag));
    }
    static constexpr TShiftState FromBits(unsigned bits) {
        TShiftState state;
        state.FBits = static_cast<uint8_t>(bits);
        return state;
    }
    uint8_t FBits = 0;
};

enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// What a scroll bar asks for; scPosition is the thumb released, scTrack the thumb dragged.
enum class TScrollCode : uint8_t {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};

enum class TCursor : uint8_t { crDefault, crArrow, crIBeam, crDrag };

// Virtual key codes (the values of the Windows key codes, so tables read as usual).
inline constexpr uint16_t VK_BACK = 0x08;
inline constexpr uint16_t VK_TAB = 0x09;
inline constexpr uint16_t VK_CLEAR = 0x0C;
inline constexpr uint16_t VK_RETURN = 0x0D;
inline constexpr uint16_t VK_SHIFT = 0x10;
inline constexpr uint16_t VK_CONTROL = 0x11;
inline constexpr uint16_t VK_MENU = 0x12;
inline constexpr uint16_t VK_ESCAPE = 0x1B;
inline constexpr uint16_t VK_SPACE = 0x20;
inline constexpr uint16_t VK_PRIOR = 0x21;
inline constexpr uint16_t VK_NEXT = 0x22;
inline constexpr uint16_t VK_END = 0x23;
inline constexpr uint16_t VK_HOME = 0x24;
inline constexpr uint16_t VK_LEFT = 0x25;
inline constexpr uint16_t VK_UP = 0x26;
inline constexpr uint16_t VK_RIGHT = 0x27;
inline constexpr uint16_t VK_DOWN = 0x28;
inline constexpr uint16_t VK_INSERT = 0x2D;
inline constexpr uint16_t VK_DELETE = 0x2E;
// Digits and letters are their upper-case ASCII codes ('0'..'9', 'A'..'Z').
inline constexpr uint16_t VK_F1 = 0x70;

} // namespace platform
