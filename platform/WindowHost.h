// platform::WindowHost: the window an editor draws into (client size, scroll bars, caret, repaint).
#pragma once

namespace platform {

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TRect&) const = default;
};

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
};

} // namespace platform
