// platform::WindowEvents: what a window host reports to the control that lives in it
// (paint, size, focus, keys as code-page bytes, input methods, mouse, wheel, scroll bars,
// timers).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Input.h"
#include "platform/WindowHost.h"

namespace platform {

class WindowEvents {
public:
    virtual ~WindowEvents() = default;

    // The client area needs painting: draw it through the host's window canvas.
    virtual void Paint() = 0;
    // The client size changed (read it from the host).
    virtual void Resized() = 0;
    virtual void FocusChanged(bool focused) = 0;

    // A key went down or up; key is a virtual key code, shift the modifiers held.
    virtual void KeyDown(uint16_t key, TShiftState shift) = 0;
    virtual void KeyUp(uint16_t key, TShiftState shift) = 0;
    // A typed character, one code-page byte per call: a Chinese character arrives as two
    // (or four) calls. Control codes come too (13 for Enter, 8 for Backspace, 9 for Tab, 10
    // for Ctrl+Enter, 127 for Ctrl+Backspace, 1 to 26 for Ctrl with a letter); a key held
    // with Alt (and not Ctrl) types nothing.
    virtual void KeyPress(char byte) = 0;

    // An input method's text still being composed (Pinyin), in the code page: shown at the
    // caret, not yet part of the text. Empty: the composition ended or was cancelled.
    virtual void CompositionChanged(std::string_view preedit) { (void)preedit; }
    // Text an input method finished composing, in the code page; it ends the composition.
    // A control that does not tell it apart takes it as typed bytes.
    virtual void CompositionCommitted(std::string_view text) {
        for (char byte : text)
            KeyPress(byte);
    }

    // Client coordinates. A double click reports DblClick, then MouseDown with ssDouble.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y) = 0;
    virtual void MouseMove(TShiftState shift, int x, int y) = 0;
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y) = 0;
    virtual void DblClick() = 0;
    // The wheel turned (Vertical) or tilted, or the touchpad swept sideways (Horizontal).
    // delta > 0 goes towards the start (up, left); 120 is one notch, high-resolution wheels
    // and touchpads report fractions of it. True when handled.
    virtual bool MouseWheel(TScrollBarKind bar, int delta, TShiftState shift) = 0;

    // A scroll bar was used; position is the thumb's place for scPosition and scTrack.
    // The bar does not move by itself: the control sets its new position.
    virtual void Scroll(TScrollBarKind bar, TScrollCode code, int position) = 0;
    // A timer started with WindowHost::SetTimer fired.
    virtual void Timer(int id) = 0;
};

} // namespace platform
