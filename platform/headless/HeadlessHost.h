// platform::headless::HeadlessHost and HeadlessClipboard: a window host for tests with a
// settable client size whose screen is a RecordingCanvas; it keeps the scroll bars, caret,
// timers (fired by the test), focus, cursors, mouse and key state it is given, and turns keys
// and input-method text from the test into events as a real keyboard layer would.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/ScrollInfo.h"
#include "platform/WindowEvents.h"
#include "platform/WindowHost.h"
#include "platform/headless/RecordingCanvas.h"

namespace platform::headless {

class HeadlessClipboard : public Clipboard {
public:
    bool HasText() const override { return FHasText; }
    std::string GetText() const override { return FText; }
    void SetText(std::string_view text) override {
        FText = text;
        FHasText = true;
    }
    void Clear() {
        FText.clear();
        FHasText = false;
    }

private:
    std::string FText;
    bool FHasText = false;
};

class HeadlessHost : public WindowHost {
public:
    HeadlessHost(int width, int height, TCanvasMetrics metrics = {});
    ~HeadlessHost() override;

    bool WindowExists() const override { return FExists; }
    int ClientWidth() const override { return FScreen.Width(); }
    int ClientHeight() const override { return FScreen.Height(); }
    void Invalidate() override;
    void SetScrollRange(TScrollBarKind bar, int minimum, int maximum, int page,
                        int position) override;
    void SetScrollPosition(TScrollBarKind bar, int position) override;
    void CreateCaret(int width, int height) override;
    void DestroyCaret() override;
    void ShowCaret() override;
    void HideCaret() override;
    void SetCaretPosition(int x, int y) override;

    void SetEvents(WindowEvents* events) override { FEvents = events; }
    void InvalidateRect(const TRect& rect) override;
    void Update() override;
    Canvas* WindowCanvas() override { return FExists ? &FScreen : nullptr; }
    std::unique_ptr<Bitmap> CreateBitmap(int width, int height) override;
    TRect ScrollWindow(int dy, const TRect& rect) override;
    int ScrollPosition(TScrollBarKind bar) const override { return Bar(bar).Position; }
    void SetWindowStyle(bool horizontalBar, bool verticalBar, bool sunkenEdge) override;
    void SetTimer(int id, int intervalMs) override { FTimers[id] = intervalMs; }
    void KillTimer(int id) override { FTimers.erase(id); }
    void SetWindowCursor(TCursor cursor) override { FWindowCursor = cursor; }
    void SetScreenCursor(TCursor cursor) override { FScreenCursor = cursor; }
    bool SetFocus() override;
    bool HasFocus() const override { return FFocused; }
    TPoint MousePosition() const override { return FMouse; }
    TShiftState KeyState() const override { return FKeyState; }
    Clipboard* GetClipboard() override { return &FClipboard; }

    // What the test sets.
    void SetWindowExists(bool exists) { FExists = exists; }
    // Resizes the screen (keeping what fits, like a window) and reports Resized.
    void SetClientSize(int width, int height);
    // Whether SetFocus succeeds.
    void SetFocusAllowed(bool allowed) { FFocusAllowed = allowed; }
    // Takes the focus away, as another window would; a composition in progress ends first.
    void LoseFocus();
    // A key clicked: KeyDown (when key is not 0), the bytes it types, KeyUp. text is what the
    // key types by itself; for letters, digits, Space, Enter, Backspace, Tab and Escape it
    // is the US layout's when not given. The modifiers change what is typed as the system's
    // keyboard layer does: Ctrl with a letter types its control code (Ctrl+C is 3),
    // Ctrl+Enter 10, Ctrl+Backspace 127, Ctrl with another key only a control character the
    // key types anyway; Alt without Ctrl types nothing.
    void PressKey(uint16_t key, TShiftState shift = {}, std::string_view text = {});
    // An input method's preedit (empty: the composition is cancelled), and its commit, which
    // ends the composition.
    void Compose(std::string_view preedit);
    void Commit(std::string_view text);
    bool Composing() const { return FComposing; }
    void SetMousePosition(TPoint point) { FMouse = point; }
    void SetKeyState(TShiftState state) { FKeyState = state; }
    // Fires a running timer; false (and nothing fires) when it is not running.
    bool FireTimer(int id);
    // The pending paint: when something was invalidated, reports Paint and clears it.
    void ProcessPaint();
    WindowEvents* Events() const { return FEvents; }

    // What the test reads.
    RecordingCanvas& Screen() { return FScreen; }
    const TScrollInfo& Bar(TScrollBarKind bar) const {
        return bar == TScrollBarKind::Vertical ? FVertical : FHorizontal;
    }
    bool TimerRunning(int id) const { return FTimers.count(id) != 0; }
    int TimerInterval(int id) const;
    TCursor WindowCursor() const { return FWindowCursor; }
    TCursor ScreenCursor() const { return FScreenCursor; }
    bool CaretCreated() const { return FCaretCreated; }
    bool CaretVisible() const { return FCaretCreated && FCaretVisible; }
    TPoint CaretPosition() const { return FCaretPosition; }
    int CaretWidth() const { return FCaretWidth; }
    int CaretHeight() const { return FCaretHeight; }
    bool HorizontalBarShown() const { return FHorizontalBarShown; }
    bool VerticalBarShown() const { return FVerticalBarShown; }
    bool SunkenEdge() const { return FSunkenEdge; }
    // The area invalidated since the last paint (empty when none).
    TRect InvalidArea() const { return FInvalid; }
    int InvalidateCount() const { return FInvalidateCount; }
    int UpdateCount() const { return FUpdateCount; }
    HeadlessClipboard& ClipboardData() { return FClipboard; }
    // The bitmaps created and not yet freed, oldest first.
    const std::vector<RecordingBitmap*>& Bitmaps() const { return FBitmaps; }

private:
    class TrackedBitmap;
    TScrollInfo& MutableBar(TScrollBarKind bar) {
        return bar == TScrollBarKind::Vertical ? FVertical : FHorizontal;
    }

    RecordingCanvas FScreen;
    WindowEvents* FEvents = nullptr;
    bool FExists = true;
    TScrollInfo FVertical, FHorizontal;
    bool FHorizontalBarShown = true, FVerticalBarShown = true, FSunkenEdge = false;
    bool FCaretCreated = false, FCaretVisible = false;
    int FCaretWidth = 0, FCaretHeight = 0;
    TPoint FCaretPosition;
    std::map<int, int> FTimers;
    TCursor FWindowCursor = TCursor::crDefault, FScreenCursor = TCursor::crDefault;
    bool FFocused = false, FFocusAllowed = true;
    bool FComposing = false;
    TPoint FMouse;
    TShiftState FKeyState;
    HeadlessClipboard FClipboard;
    TRect FInvalid;
    int FInvalidateCount = 0, FUpdateCount = 0;
    std::vector<RecordingBitmap*> FBitmaps;
};

} // namespace platform::headless
