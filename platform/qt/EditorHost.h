// platform::qt::EditorHost: the editor's window on Qt. A QAbstractScrollArea that forwards its
// events to a WindowEvents sink and offers the window services (back buffer, scroll bars,
// pixel scroll, drawn blinking caret, timers, cursors, focus, clipboard) as a WindowHost.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QRegion>

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ScrollInfo.h"
#include "platform/WindowEvents.h"
#include "platform/WindowHost.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtClipboard.h"

class QScrollBar;

namespace platform::qt {

class EditorHost : public QAbstractScrollArea, public WindowHost {
public:
    explicit EditorHost(QWidget* parent = nullptr);
    ~EditorHost() override;

    // WindowHost.
    bool WindowExists() const override { return true; }
    int ClientWidth() const override;
    int ClientHeight() const override;
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
    Canvas* WindowCanvas() override { return &FWindowCanvas; }
    std::unique_ptr<Bitmap> CreateBitmap(int width, int height) override;
    TRect ScrollWindow(int dy, const TRect& rect) override;
    int ScrollPosition(TScrollBarKind bar) const override { return Info(bar).Position; }
    void SetWindowStyle(bool horizontalBar, bool verticalBar, bool sunkenEdge) override;
    void SetTimer(int id, int intervalMs) override;
    void KillTimer(int id) override;
    void SetWindowCursor(TCursor cursor) override;
    void SetScreenCursor(TCursor cursor) override;
    bool SetFocus() override;
    bool HasFocus() const override { return hasFocus(); }
    TPoint MousePosition() const override;
    TShiftState KeyState() const override;
    Clipboard* GetClipboard() override { return &FClipboard; }

    // What the window shows, without the caret.
    const QImage& WindowImage() const { return FWindowImage; }
    bool CaretVisible() const { return FCaretCreated && FCaretShown; }
    QRect CaretRect() const;

    // Qt key codes to virtual key codes (0 for keys the editor does not know).
    static uint16_t VirtualKeyFor(int qtKey);
    // The code-page bytes a key with the modifiers shift types, given the text Qt reports.
    static std::string TypedBytes(uint16_t key, TShiftState shift, const QString& text);
    static TShiftState ShiftStateFor(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;

private:
    const TScrollInfo& Info(TScrollBarKind bar) const {
        return bar == TScrollBarKind::Vertical ? FVertical : FHorizontal;
    }
    QScrollBar* BarOf(TScrollBarKind bar) const;
    void ApplyScrollInfo(TScrollBarKind bar);
    void ScrollAction(TScrollBarKind bar, int action);
    void TypeBytes(std::string_view bytes);
    void EndComposition(bool commit);
    void RestartBlink();
    void UpdateCaret();
    QColor Background() const;
    void MarkDirty(const QRect& rect);

    WindowEvents* FEvents = nullptr;
    QImage FWindowImage;
    QtCanvas FWindowCanvas;
    QtClipboard FClipboard;
    // The editor has to draw the whole client area again (not just show the image).
    bool FPaintPending = true;
    // What waits to be repainted on the screen.
    QRegion FDirty;

    TScrollInfo FVertical, FHorizontal;

    bool FCaretCreated = false;
    bool FCaretShown = false;
    bool FCaretPhase = true;
    int FCaretWidth = 2, FCaretHeight = 0;
    QPoint FCaretPosition;
    int FBlinkTimer = 0;

    // Set while the host itself moves a bar, whose own notifications are then no action.
    bool FApplyingScroll = false;
    std::map<int, int> FTimers; // Qt timer id -> the caller's id
    bool FOverrideCursor = false;
    // An input method's preedit is shown.
    bool FComposing = false;
};

} // namespace platform::qt
