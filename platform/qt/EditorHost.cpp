#include "platform/qt/EditorHost.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleHints>
#include <QWheelEvent>

#include "platform/CodePage.h"

namespace platform::qt {
namespace {

TRect FromQRect(const QRect& rect) {
    if (rect.isEmpty()) return {};
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QRect ToQRect(const TRect& rect) {
    return QRect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
}

Qt::CursorShape ShapeFor(TCursor cursor) {
    switch (cursor) {
    case TCursor::crIBeam:
        return Qt::IBeamCursor;
    case TCursor::crDrag:
        return Qt::DragMoveCursor;
    default:
        return Qt::ArrowCursor;
    }
}

bool ButtonFor(Qt::MouseButton qtButton, TMouseButton& button) {
    switch (qtButton) {
    case Qt::LeftButton:
        button = TMouseButton::mbLeft;
        return true;
    case Qt::RightButton:
        button = TMouseButton::mbRight;
        return true;
    case Qt::MiddleButton:
        button = TMouseButton::mbMiddle;
        return true;
    default:
        return false;
    }
}

} // namespace

EditorHost::EditorHost(QWidget* parent)
    : QAbstractScrollArea(parent), FWindowCanvas(nullptr, palette()) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);
    SetWindowStyle(true, true, true);

    FWindowImage = ResizedImage(QImage(), viewport()->width(), viewport()->height(), Background());
    FWindowCanvas.SetImage(&FWindowImage);
    // What the control draws outside a paint reaches the screen with the next paint.
    FWindowCanvas.OnDamage = [this](const QRect& rect) { MarkDirty(rect); };

    for (TScrollBarKind bar : {TScrollBarKind::Horizontal, TScrollBarKind::Vertical}) {
        QScrollBar* scrollBar = BarOf(bar);
        connect(scrollBar, &QAbstractSlider::actionTriggered, this,
                [this, bar](int action) { ScrollAction(bar, action); });
        connect(scrollBar, &QAbstractSlider::sliderReleased, this, [this, bar] {
            if (FEvents)
                FEvents->Scroll(bar, TScrollCode::scPosition, BarOf(bar)->sliderPosition());
        });
        ApplyScrollInfo(bar);
    }
}

EditorHost::~EditorHost() {
    if (FOverrideCursor) QGuiApplication::restoreOverrideCursor();
    FWindowCanvas.Flush();
}

int EditorHost::ClientWidth() const {
    return viewport()->width();
}
int EditorHost::ClientHeight() const {
    return viewport()->height();
}

QColor EditorHost::Background() const {
    return palette().color(QPalette::Base);
}

void EditorHost::Invalidate() {
    FPaintPending = true;
    MarkDirty(viewport()->rect());
}

// Every area this host asks Qt to repaint is also kept here, so that Update can repaint
// just those areas at once.
void EditorHost::MarkDirty(const QRect& rect) {
    FDirty += rect;
    viewport()->update(rect);
}

void EditorHost::InvalidateRect(const TRect&) {
    // The control paints its whole client area on every paint, so any part means all.
    Invalidate();
}

void EditorHost::Update() {
    if (isVisible() && !FDirty.isEmpty()) viewport()->repaint(FDirty);
}

std::unique_ptr<Bitmap> EditorHost::CreateBitmap(int width, int height) {
    return std::make_unique<QtBitmap>(width, height, palette());
}

TRect EditorHost::ScrollWindow(int dy, const TRect& rect) {
    QRect area = ToQRect(rect).intersected(FWindowImage.rect());
    QRect band = ScrollImage(FWindowImage, area, dy);
    // The screen's pixels move the same way, so only the band needs drawing there.
    if (!band.isEmpty() && band != area) {
        QRegion inside = FDirty.intersected(area);
        FDirty = FDirty.subtracted(area).united(inside.translated(0, dy).intersected(area));
        viewport()->scroll(0, dy, area);
    } else {
        MarkDirty(area);
    }
    return FromQRect(band);
}

// Scroll bars: the host keeps each bar's range and position as the control set them; the Qt
// bar only shows them. A bar action is reported and the bar put back, since the control
// decides where the view goes and sets the new position itself.
QScrollBar* EditorHost::BarOf(TScrollBarKind bar) const {
    return bar == TScrollBarKind::Vertical ? verticalScrollBar() : horizontalScrollBar();
}

void EditorHost::ApplyScrollInfo(TScrollBarKind bar) {
    const TScrollInfo& info = Info(bar);
    QScrollBar* scrollBar = BarOf(bar);
    FApplyingScroll = true;
    // The bars' policies are fixed, so the area's queued show-or-hide on every range change
    // would only lay the bars out again: appending 600,000 lines queued as many layouts.
    const QSignalBlocker quiet(scrollBar);
    scrollBar->setRange(info.Minimum, info.LastPosition());
    scrollBar->setPageStep(std::max(info.Page, 1));
    scrollBar->setSingleStep(1);
    scrollBar->setValue(info.Position);
    scrollBar->setSliderPosition(info.Position);
    scrollBar->setEnabled(info.Enabled());
    FApplyingScroll = false;
}

void EditorHost::SetScrollRange(TScrollBarKind bar, int minimum, int maximum, int page,
                                int position) {
    TScrollInfo& info = bar == TScrollBarKind::Vertical ? FVertical : FHorizontal;
    info = {minimum, maximum, page, 0};
    info.Position = info.Clamp(position);
    ApplyScrollInfo(bar);
}

void EditorHost::SetScrollPosition(TScrollBarKind bar, int position) {
    TScrollInfo& info = bar == TScrollBarKind::Vertical ? FVertical : FHorizontal;
    info.Position = info.Clamp(position);
    QScrollBar* scrollBar = BarOf(bar);
    FApplyingScroll = true;
    const QSignalBlocker quiet(scrollBar);
    scrollBar->setSliderPosition(info.Position);
    scrollBar->setValue(info.Position);
    FApplyingScroll = false;
}

void EditorHost::ScrollAction(TScrollBarKind bar, int action) {
    if (FApplyingScroll) return;
    QScrollBar* scrollBar = BarOf(bar);
    const int thumb = scrollBar->sliderPosition();
    TScrollCode code;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = TScrollCode::scLineDown;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = TScrollCode::scLineUp;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = TScrollCode::scPageDown;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = TScrollCode::scPageUp;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = TScrollCode::scTop;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = TScrollCode::scBottom;
        break;
    case QAbstractSlider::SliderMove:
        code = TScrollCode::scTrack;
        break;
    default:
        return;
    }
    scrollBar->setSliderPosition(Info(bar).Position);
    if (FEvents) FEvents->Scroll(bar, code, thumb);
}

void EditorHost::scrollContentsBy(int, int) {
    // The control scrolls its own pixels (ScrollWindow) when it moves the view.
}

void EditorHost::SetWindowStyle(bool horizontalBar, bool verticalBar, bool sunkenEdge) {
    setHorizontalScrollBarPolicy(horizontalBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(verticalBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setFrameStyle(sunkenEdge ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
}

// The caret: drawn over the window image by each paint, inverting what lies beneath.
QRect EditorHost::CaretRect() const {
    return QRect(FCaretPosition, QSize(FCaretWidth, FCaretHeight));
}

void EditorHost::UpdateCaret() {
    MarkDirty(CaretRect());
}

void EditorHost::RestartBlink() {
    FCaretPhase = true;
    if (FBlinkTimer != 0) killTimer(FBlinkTimer);
    FBlinkTimer = 0;
    int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (FCaretCreated && FCaretShown && flash > 0) FBlinkTimer = startTimer(flash / 2);
}

void EditorHost::CreateCaret(int width, int height) {
    if (FCaretCreated) UpdateCaret();
    FCaretCreated = true;
    FCaretShown = false;
    FCaretWidth = std::max(width, 1);
    FCaretHeight = std::max(height, 1);
    RestartBlink();
}

void EditorHost::DestroyCaret() {
    if (!FCaretCreated) return;
    UpdateCaret();
    FCaretCreated = false;
    FCaretShown = false;
    RestartBlink();
}

void EditorHost::ShowCaret() {
    if (!FCaretCreated || FCaretShown) return;
    FCaretShown = true;
    RestartBlink();
    UpdateCaret();
}

void EditorHost::HideCaret() {
    if (!FCaretShown) return;
    FCaretShown = false;
    RestartBlink();
    UpdateCaret();
}

void EditorHost::SetCaretPosition(int x, int y) {
    if (FCaretPosition == QPoint(x, y)) return;
    UpdateCaret();
    FCaretPosition = QPoint(x, y);
    RestartBlink();
    UpdateCaret();
    // The input method's candidate window follows the caret.
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

void EditorHost::SetTimer(int id, int intervalMs) {
    KillTimer(id);
    FTimers[startTimer(std::max(intervalMs, 1))] = id;
}

void EditorHost::KillTimer(int id) {
    for (auto timer = FTimers.begin(); timer != FTimers.end();) {
        if (timer->second == id) {
            killTimer(timer->first);
            timer = FTimers.erase(timer);
        } else {
            ++timer;
        }
    }
}

void EditorHost::timerEvent(QTimerEvent* event) {
    if (event->timerId() == FBlinkTimer) {
        FCaretPhase = !FCaretPhase;
        UpdateCaret();
        return;
    }
    auto timer = FTimers.find(event->timerId());
    if (timer == FTimers.end()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    if (FEvents) FEvents->Timer(timer->second);
}

void EditorHost::SetWindowCursor(TCursor cursor) {
    if (cursor == TCursor::crDefault)
        viewport()->unsetCursor();
    else
        viewport()->setCursor(ShapeFor(cursor));
}

void EditorHost::SetScreenCursor(TCursor cursor) {
    if (FOverrideCursor) QGuiApplication::restoreOverrideCursor();
    FOverrideCursor = cursor != TCursor::crDefault;
    if (FOverrideCursor) QGuiApplication::setOverrideCursor(ShapeFor(cursor));
}

bool EditorHost::SetFocus() {
    setFocus(Qt::OtherFocusReason);
    return hasFocus() || window()->focusWidget() == this;
}

TPoint EditorHost::MousePosition() const {
    QPoint point = viewport()->mapFromGlobal(QCursor::pos());
    return {point.x(), point.y()};
}

TShiftState EditorHost::KeyState() const {
    return ShiftStateFor(QGuiApplication::queryKeyboardModifiers(),
                         QGuiApplication::mouseButtons());
}

TShiftState EditorHost::ShiftStateFor(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState state;
    if (modifiers & Qt::ShiftModifier) state.Include(TShiftFlag::ssShift);
    if (modifiers & Qt::ControlModifier) state.Include(TShiftFlag::ssCtrl);
    if (modifiers & Qt::AltModifier) state.Include(TShiftFlag::ssAlt);
    if (buttons & Qt::LeftButton) state.Include(TShiftFlag::ssLeft);
    if (buttons & Qt::RightButton) state.Include(TShiftFlag::ssRight);
    if (buttons & Qt::MiddleButton) state.Include(TShiftFlag::ssMiddle);
    return state;
}

uint16_t EditorHost::VirtualKeyFor(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<uint16_t>('0' + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<uint16_t>('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<uint16_t>(VK_F1 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Clear:
        return VK_CLEAR;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        return 0;
    }
}

// Typed text reaches the control as code-page bytes, one key press per byte.
void EditorHost::TypeBytes(std::string_view bytes) {
    if (!FEvents) return;
    for (char byte : bytes)
        FEvents->KeyPress(byte);
}

// What a key types, as the Windows keyboard layer has it: the control's key handling was
// written against that. Ctrl+Enter is a line feed and Ctrl+Backspace a delete character (both
// typed but not text), Ctrl with a letter its control code, Alt without Ctrl a menu key.
std::string EditorHost::TypedBytes(uint16_t key, TShiftState shift, const QString& text) {
    const bool ctrl = shift.Contains(TShiftFlag::ssCtrl), alt = shift.Contains(TShiftFlag::ssAlt);
    if (alt && !ctrl) return {};
    if (ctrl && !alt) {
        if (key >= 'A' && key <= 'Z') return std::string(1, static_cast<char>(key - 'A' + 1));
        if (key == VK_RETURN) return "\n";
        if (key == VK_BACK) return "\x7F";
        if (text.size() != 1 || text[0].unicode() >= 0x20) return {};
    }
    std::string bytes = Utf16ToCodePage(text.toStdU16String(), TConversion::Lenient);
    // Delete's text is the delete character, which the key does not type.
    std::erase(bytes, '\x7F');
    return bytes;
}

void EditorHost::keyPressEvent(QKeyEvent* event) {
    TShiftState shift = ShiftStateFor(event->modifiers(), QGuiApplication::mouseButtons());
    uint16_t key = VirtualKeyFor(event->key());
    if (key != 0 && FEvents) FEvents->KeyDown(key, shift);
    TypeBytes(TypedBytes(key, shift, event->text()));
    event->accept();
}

void EditorHost::keyReleaseEvent(QKeyEvent* event) {
    uint16_t key = VirtualKeyFor(event->key());
    if (key != 0 && FEvents && !event->isAutoRepeat())
        FEvents->KeyUp(key, ShiftStateFor(event->modifiers(), QGuiApplication::mouseButtons()));
    event->accept();
}

// The commit comes first: an event may commit one word and start composing the next.
void EditorHost::inputMethodEvent(QInputMethodEvent* event) {
    event->accept();
    if (!event->commitString().isEmpty()) {
        FComposing = false;
        // The code page holds every character, so a lenient conversion loses nothing.
        std::string text =
            Utf16ToCodePage(event->commitString().toStdU16String(), TConversion::Lenient);
        if (FEvents) FEvents->CompositionCommitted(text);
    }
    const QString preedit = event->preeditString();
    if (preedit.isEmpty() && !FComposing) return;
    FComposing = !preedit.isEmpty();
    if (FEvents)
        FEvents->CompositionChanged(
            Utf16ToCodePage(preedit.toStdU16String(), TConversion::Lenient));
}

// A click ends a composition: what the input method holds is committed where it was
// composed, before the caret moves. Qt itself settles the input method when the focus goes;
// the preedit shown here goes with it.
void EditorHost::EndComposition(bool commit) {
    if (!FComposing) return;
    if (commit) QGuiApplication::inputMethod()->commit();
    if (!FComposing) return;
    FComposing = false;
    if (FEvents) FEvents->CompositionChanged({});
}

QVariant EditorHost::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle:
        // The candidate window opens at the caret.
        return CaretRect().translated(viewport()->pos());
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void EditorHost::mousePressEvent(QMouseEvent* event) {
    EndComposition(true);
    TMouseButton button;
    if (!FEvents || !ButtonFor(event->button(), button)) return;
    QPoint point = event->position().toPoint();
    FEvents->MouseDown(button, ShiftStateFor(event->modifiers(), event->buttons()), point.x(),
                       point.y());
}

void EditorHost::mouseDoubleClickEvent(QMouseEvent* event) {
    TMouseButton button;
    if (!FEvents || !ButtonFor(event->button(), button)) return;
    QPoint point = event->position().toPoint();
    if (button == TMouseButton::mbLeft) FEvents->DblClick();
    FEvents->MouseDown(
        button, ShiftStateFor(event->modifiers(), event->buttons()).Include(TShiftFlag::ssDouble),
        point.x(), point.y());
}

void EditorHost::mouseMoveEvent(QMouseEvent* event) {
    if (!FEvents) return;
    QPoint point = event->position().toPoint();
    FEvents->MouseMove(ShiftStateFor(event->modifiers(), event->buttons()), point.x(), point.y());
}

void EditorHost::mouseReleaseEvent(QMouseEvent* event) {
    TMouseButton button;
    if (!FEvents || !ButtonFor(event->button(), button)) return;
    QPoint point = event->position().toPoint();
    FEvents->MouseUp(button, ShiftStateFor(event->modifiers(), event->buttons()), point.x(),
                     point.y());
}

// Each direction is reported on its own. Shift turns the wheel sideways, as elsewhere on
// this desktop, unless the system already did so.
void EditorHost::wheelEvent(QWheelEvent* event) {
    QPoint delta = event->angleDelta();
    const TShiftState shift = ShiftStateFor(event->modifiers(), event->buttons());
    if (shift.Contains(TShiftFlag::ssShift) && delta.x() == 0) delta = delta.transposed();
    bool handled = false;
    if (FEvents && delta.y() != 0)
        handled = FEvents->MouseWheel(TScrollBarKind::Vertical, delta.y(), shift);
    if (FEvents && delta.x() != 0)
        handled = FEvents->MouseWheel(TScrollBarKind::Horizontal, delta.x(), shift) || handled;
    event->setAccepted(handled);
}

void EditorHost::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (FEvents) FEvents->FocusChanged(true);
}

void EditorHost::focusOutEvent(QFocusEvent* event) {
    EndComposition(false);
    QAbstractScrollArea::focusOutEvent(event);
    if (FEvents) FEvents->FocusChanged(false);
}

bool EditorHost::focusNextPrevChild(bool) {
    // Tab belongs to the control.
    return false;
}

void EditorHost::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) FWindowCanvas.SetPalette(palette());
    QAbstractScrollArea::changeEvent(event);
}

void EditorHost::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    QSize size = viewport()->size();
    if (size != FWindowImage.size()) {
        FWindowCanvas.Flush();
        FWindowImage = ResizedImage(FWindowImage, size.width(), size.height(), Background());
        FWindowCanvas.SetImage(&FWindowImage);
    }
    FPaintPending = true;
    if (FEvents) FEvents->Resized();
    MarkDirty(viewport()->rect());
}

void EditorHost::paintEvent(QPaintEvent* event) {
    QRect area = event->rect();
    FDirty -= event->region();
    if (FPaintPending && FEvents) {
        FPaintPending = false;
        FEvents->Paint();
        // The control drew everything; this paint shows only its own part.
        if (area != viewport()->rect()) MarkDirty(viewport()->rect());
    }
    FWindowCanvas.Flush();
    QPainter painter(viewport());
    painter.drawImage(area.topLeft(), FWindowImage, area);
    if (CaretVisible() && FCaretPhase) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(CaretRect().intersected(area), Qt::white);
    }
}

} // namespace platform::qt
