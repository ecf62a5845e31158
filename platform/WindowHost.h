// platform::WindowHost: the window an editor draws into (client size, scroll bars, caret, repaint).
#pragma once

#include <memory>

#include "platform/Canvas.h"
#include "platform/Geometry.h"
#include "platform/Input.h"

namespace platform {

class Clipboard;
class WindowEvents;

enum class TScrollBarKind { Horizontal, Vertical };

// What the editor core asks of its window. The editor works without one (nullptr): it then
// keeps its text, ranges and undo history and simply paints, scrolls and shows no caret.
class WindowHost {
public:
    virtual ~WindowHost() = default;

    // False until the window (with its parent) exists; the editor then does nothing visible.
    virtual bool WindowExists() const = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;

    // The whole client area needs painting.
    virtual void Invalidate() = 0;

    // All fields at once; a bar with nothing to scroll is shown disabled, not hidden.
    virtual void SetScrollRange(TScrollBarKind bar, int minimum, int maximum, int page,
                                int position) = 0;
    virtual void SetScrollPosition(TScrollBarKind bar, int position) = 0;

    // The text caret: one per focused window.
    virtual void CreateCaret(int width, int height) = 0;
    virtual void DestroyCaret() = 0;
    virtual void ShowCaret() = 0;
    virtual void HideCaret() = 0;
    virtual void SetCaretPosition(int x, int y) = 0;

    // The services below have neutral defaults so that a host may offer only what it needs.

    // Events go to events (none: they are dropped). The host never owns it.
    virtual void SetEvents(WindowEvents* events) { (void)events; }

    // Part of the client area needs painting.
    virtual void InvalidateRect(const TRect& rect) {
        (void)rect;
        Invalidate();
    }
    // Runs the pending paints now.
    virtual void Update() {}
    // Draws straight onto the window; nullptr when the window cannot be drawn on.
    virtual Canvas* WindowCanvas() { return nullptr; }
    // An off-screen bitmap whose canvas resolves colours and fonts as the window does.
    virtual std::unique_ptr<Bitmap> CreateBitmap(int width, int height) {
        (void)width;
        (void)height;
        return nullptr;
    }
    // Moves the window's pixels inside rect by dy (down when positive); pixels moved out of
    // rect are lost. Returns the part of rect that nothing moved into (empty when none),
    // which the caller paints: nothing is invalidated. A host that cannot move pixels
    // returns all of rect.
    virtual TRect ScrollWindow(int dy, const TRect& rect) {
        (void)dy;
        return rect;
    }

    // The bar's position as last set (clamped to minimum .. maximum - page + 1).
    virtual int ScrollPosition(TScrollBarKind bar) const {
        (void)bar;
        return 0;
    }
    // Which scroll bars the window shows, and whether it has a sunken client edge.
    virtual void SetWindowStyle(bool horizontalBar, bool verticalBar, bool sunkenEdge) {
        (void)horizontalBar;
        (void)verticalBar;
        (void)sunkenEdge;
    }

    // A repeating timer: WindowEvents::Timer(id) every intervalMs until killed. Setting a
    // running id restarts it.
    virtual void SetTimer(int id, int intervalMs) {
        (void)id;
        (void)intervalMs;
    }
    virtual void KillTimer(int id) { (void)id; }

    // The cursor over the window, and the cursor over the whole screen (crDefault: none).
    virtual void SetWindowCursor(TCursor cursor) { (void)cursor; }
    virtual void SetScreenCursor(TCursor cursor) { (void)cursor; }

    // False when the window could not take the focus.
    virtual bool SetFocus() { return false; }
    virtual bool HasFocus() const { return false; }
    // The mouse in client coordinates (outside the client area too), and the modifiers and
    // buttons held now.
    virtual TPoint MousePosition() const { return {}; }
    virtual TShiftState KeyState() const { return {}; }

    // nullptr when there is no clipboard.
    virtual Clipboard* GetClipboard() { return nullptr; }
};

} // namespace platform
