// platform::WindowEvents: what a window host reports to the control that lives in it
// (paint, size, focus, keys as code-page bytes, mouse, wheel, scroll bars, timers).
#pragma once

#include <cstdint>

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
    // (or four) calls. Control codes come too (13 for Enter, 8 for Backspace, 9 for Tab).
    virtual void KeyPress(char byte) = 0;

    // Client coordinates. A double click reports DblClick, then MouseDown with ssDouble.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y) = 0;
    virtual void MouseMove(TShiftState shift, int x, int y) = 0;
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y) = 0;
    virtual void DblClick() = 0;
    // delta > 0 turns away from the user (up); 120 is one notch. True when handled.
    virtual bool MouseWheel(int delta, TShiftState shift) = 0;

    // A scroll bar was used; position is the thumb's place for scPosition and scTrack.
    // The bar does not move by itself: the control sets its new position.
    virtual void Scroll(TScrollBarKind bar, TScrollCode code, int position) = 0;
    // A timer started with WindowHost::SetTimer fired.
    virtual void Timer(int id) = 0;
};

} // namespace platform
