// TMemoComponent's input: the key tables for normal and read-only mode, typed characters,
// mouse selection with auto-scroll, word selection, dragging text, and the clipboard commands.
#include <algorithm>
#include <string>
#include <vector>

#include "editor/MemoComponent.h"
#include "platform/Clipboard.h"
#include "platform/CodePage.h"

using platform::TShiftFlag;
using platform::TShiftState;

namespace {

constexpr int kAutoScrollTimer = 1;
constexpr int kAutoScrollInterval = 50;

// Ctrl+arrows stop where this class changes.
bool IsWordByte(char byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= 'a' && byte <= 'z') || byte == '_';
}

// A double click also takes in # and $ (names like #temp and $name).
bool IsDblClickWordByte(char byte) {
    return IsWordByte(byte) || byte == '#' || byte == '$';
}

int FloorDiv(int value, int divisor) {
    int quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// The auto-scroll step for a mouse coordinate: one more per 10 pixels outside the client.
int AutoScrollStep(int coordinate, int size) {
    if (coordinate < 0) return FloorDiv(coordinate, 10);
    if (coordinate >= size) return (coordinate - size) / 10 + 1;
    return 0;
}

} // namespace

// ---------------------------------------------------------------- clipboard

void TMemoComponent::CopyToClipboard() {
    platform::Clipboard* clipboard = FHost ? FHost->GetClipboard() : nullptr;
    if (clipboard && FSelection->RLength() > 0) clipboard->SetText(FSelection->GetText());
}

void TMemoComponent::CutToClipboard() {
    if (FSelection->RLength() <= 0) return;
    CopyToClipboard();
    FSelection->Delete();
}

void TMemoComponent::PasteFromClipboard() {
    platform::Clipboard* clipboard = FHost ? FHost->GetClipboard() : nullptr;
    if (!clipboard) return;
    FSelection->SetText(clipboard->GetText());
    FSelection->ScrollIntoView(1);
}

// ---------------------------------------------------------------- keys

void TMemoComponent::KeyPress(char byte) {
    if (OnKeyPress) {
        OnKeyPress(*this, byte);
        if (byte == 0) return;
    }
    const auto code = static_cast<unsigned char>(byte);
    // 127 is what Ctrl+Backspace types: a control code like the others, never text.
    if ((code < 32 && code != 13) || code == 127 || FReadOnly) {
        FPendingChar.clear();
        return;
    }
    // A Chinese character arrives byte by byte and is inserted whole.
    std::string character;
    if (!CompleteTypedChar(byte, character)) return;
    FSelection->SetText(code == 13 ? std::string("\r\n") : character);
    FSelection->ScrollIntoView(4);
}

void TMemoComponent::KeyDown(uint16_t key, TShiftState shift) {
    using namespace platform;
    if (OnKeyDown) {
        OnKeyDown(*this, key, shift);
        if (key == 0) return;
    }
    FPendingChar.clear();
    const TShiftState modifiers = shift.Modifiers();
    // Selecting everything changes no text, so a read-only view takes it as well.
    if (key == 'A' && modifiers == TShiftState{TShiftFlag::ssCtrl}) {
        SelectAll();
        return;
    }
    if (FReadOnly) {
        ReadOnlyKey(key, modifiers);
        return;
    }
    const bool none = modifiers.Empty();
    const bool ctrl = modifiers.Contains(TShiftFlag::ssCtrl);
    auto exactly = [&](TShiftState wanted) { return modifiers == wanted; };
    switch (key) {
    case VK_BACK:
        if (none || exactly({TShiftFlag::ssShift})) {
            if (FSelection->RLength() == 0) {
                TUpdateGuard bracket(*FSelection);
                FSelection->SetRStart(PrevCharPos(FSelection->RStart()));
                bracket.Cancel();
            }
            FSelection->Delete();
            FSelection->ScrollIntoView(4);
        } else if (exactly({TShiftFlag::ssAlt})) {
            Undo();
        } else if (exactly({TShiftFlag::ssShift, TShiftFlag::ssAlt})) {
            Redo();
        }
        break;
    case VK_TAB:
        if (none) {
            FSelection->SetText("\t");
            FSelection->ScrollIntoView(4);
        }
        break;
    case VK_CLEAR:
        FSelection->Delete();
        FSelection->ScrollIntoView(4);
        break;
    case VK_ESCAPE:
        if (FDragging) CancelDrag();
        break;
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        MoveByKey(key, modifiers);
        break;
    case VK_INSERT:
        if (exactly({TShiftFlag::ssShift}))
            PasteFromClipboard();
        else if (exactly({TShiftFlag::ssCtrl}))
            CopyToClipboard();
        break;
    case VK_DELETE:
        if (none) {
            if (FSelection->RLength() == 0) {
                TUpdateGuard bracket(*FSelection);
                FSelection->SetRLength(NextCharPos(FSelection->RStart()) - FSelection->RStart());
                bracket.Cancel();
            }
            FSelection->Delete();
            FSelection->ScrollIntoView(4);
        } else if (exactly({TShiftFlag::ssShift})) {
            CutToClipboard();
        }
        break;
    case 'Z':
        if (ctrl) {
            if (modifiers.Contains(TShiftFlag::ssShift))
                Redo();
            else
                Undo();
        }
        break;
    case 'C':
        if (exactly({TShiftFlag::ssCtrl})) CopyToClipboard();
        break;
    case 'V':
        if (exactly({TShiftFlag::ssCtrl})) PasteFromClipboard();
        break;
    case 'X':
        if (exactly({TShiftFlag::ssCtrl})) CutToClipboard();
        break;
    case VK_CONTROL:
        // Holding Ctrl turns a moving drag into a copy at once.
        if (FDragging && FHost) {
            platform::TPoint mouse = FHost->MousePosition();
            MouseMoved(FHost->KeyState(), mouse.X, mouse.Y);
        }
        break;
    default:
        break;
    }
}

void TMemoComponent::KeyUp(uint16_t key, TShiftState shift) {
    if (OnKeyUp) {
        OnKeyUp(*this, key, shift);
        if (key == 0) return;
    }
    if (!FReadOnly && FDragging && key == platform::VK_CONTROL && FHost) {
        platform::TPoint mouse = FHost->MousePosition();
        MouseMoved(FHost->KeyState(), mouse.X, mouse.Y);
    }
}

// Read-only: the keys move the view, never the caret.
void TMemoComponent::ReadOnlyKey(uint16_t key, TShiftState modifiers) {
    using namespace platform;
    const bool ctrl = modifiers.Contains(TShiftFlag::ssCtrl);
    const auto vertical = TScrollBarKind::Vertical, horizontal = TScrollBarKind::Horizontal;
    switch (key) {
    case VK_PRIOR:
        Scroll(vertical, TScrollCode::scPageUp, 0);
        break;
    case VK_NEXT:
        Scroll(vertical, TScrollCode::scPageDown, 0);
        break;
    case VK_END:
        Scroll(ctrl ? vertical : horizontal, TScrollCode::scBottom, 0);
        break;
    case VK_HOME:
        if (ctrl) Scroll(vertical, TScrollCode::scTop, 0);
        Scroll(horizontal, TScrollCode::scTop, 0);
        break;
    case VK_LEFT:
        Scroll(horizontal, TScrollCode::scLineUp, 0);
        break;
    case VK_RIGHT:
        Scroll(horizontal, TScrollCode::scLineDown, 0);
        break;
    case VK_UP:
        Scroll(vertical, TScrollCode::scLineUp, 0);
        break;
    case VK_DOWN:
        Scroll(vertical, TScrollCode::scLineDown, 0);
        break;
    case VK_INSERT:
    case 'C':
        if (modifiers == TShiftState{TShiftFlag::ssCtrl}) CopyToClipboard();
        break;
    default:
        break;
    }
}

// Whether the character at pos (a boundary) is a word character. Only its first byte counts: a
// multibyte character's lead byte is no letter, whatever its trail bytes look like.
bool TMemoComponent::IsWordCharAt(int32_t pos, bool dblClick) const {
    return dblClick ? IsDblClickWordByte(CharAt(pos)) : IsWordByte(CharAt(pos));
}

// Walks back over the characters before pos while they are word characters or not (as the
// first one is; dblClick: a run of word characters only) and returns where the run starts.
int32_t TMemoComponent::RunStartBefore(int32_t pos, bool dblClick) const {
    std::vector<int32_t> starts;
    bool first = true, word = true;
    while (pos > 1) {
        CharStartsBefore(pos, starts);
        for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
            const bool isWord = IsWordCharAt(*it, dblClick);
            if (first && !dblClick) word = isWord;
            first = false;
            if (isWord != word) return pos;
            pos = *it;
        }
    }
    return std::max(pos, 1);
}

int32_t TMemoComponent::WordLeft(int32_t pos) const {
    return RunStartBefore(pos, false);
}

int32_t TMemoComponent::WordRight(int32_t pos) const {
    if (pos > FTextLength) return FTextLength + 1;
    const bool word = IsWordCharAt(pos, false);
    // Chunk by chunk: a run of Chinese text can be as long as the row.
    constexpr int32_t kChunk = 4096;
    while (pos <= FTextLength) {
        const std::string bytes = TextAt(pos, kChunk + 3);
        const size_t limit = static_cast<size_t>(std::min(kChunk, FTextLength - pos + 1));
        size_t index = 0;
        while (index < limit) {
            if (IsWordByte(bytes[index]) != word) return pos + static_cast<int32_t>(index);
            const int length = platform::CodePageCharLength(bytes, index);
            index += length > 0 ? static_cast<size_t>(length) : 1;
        }
        pos += static_cast<int32_t>(index);
    }
    return FTextLength + 1;
}

void TMemoComponent::MoveByKey(uint16_t key, TShiftState modifiers) {
    using namespace platform;
    const bool shift = modifiers.Contains(TShiftFlag::ssShift);
    const bool ctrl = modifiers.Contains(TShiftFlag::ssCtrl);
    const bool arrow = key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN;
    if (arrow && !shift && FSelection->RLength() > 0 && !FAlwaysShowCaret) {
        // An arrow first collapses the selection to the side it points to.
        if (key == VK_LEFT || key == VK_UP)
            FSelection->SetREnd(FSelection->RStart() - 1);
        else
            FSelection->SetRStart(FSelection->REnd() + 1);
        return;
    }
    const int32_t caret = FSelection->CaretPos();
    const int32_t row = CharPosToRowCol(caret).Row;
    const bool vertical = key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT;
    const int32_t desired = vertical ? FSelection->DesiredCol() : -1;
    int32_t place = caret;
    int32_t targetRow = row;
    switch (key) {
    case VK_LEFT:
        place = ctrl ? WordLeft(caret) : PrevCharPos(caret);
        break;
    case VK_RIGHT:
        place = ctrl ? WordRight(caret) : NextCharPos(caret);
        break;
    case VK_UP:
        targetRow = row - 1;
        break;
    case VK_DOWN:
        targetRow = row + 1;
        break;
    case VK_PRIOR:
        targetRow = row - (FVisibleRows - 1);
        break;
    case VK_NEXT:
        targetRow = row + (FVisibleRows - 1);
        break;
    case VK_HOME:
        place = ctrl ? 1 : RowColToCharPos({row, 1});
        break;
    case VK_END: {
        const int32_t target = ctrl ? LineCount() : row;
        place = RowColToCharPos({target, LineLength(target) + 1});
        break;
    }
    default:
        return;
    }
    if (vertical) {
        // Past the first row the caret goes to the start, past the last to the end.
        if (targetRow < 1)
            place = 1;
        else if (targetRow > LineCount())
            place = FTextLength + 1;
        else // the start of the character whose cells hold the column
            place = CharStart(RowColToCharPos({targetRow, FSelection->ColumnForRow(targetRow)}));
    }
    place = std::clamp(place, 1, FTextLength + 1);
    if (shift)
        FSelection->ExtendTo(place);
    else
        FSelection->MoveCaret(place);
    if (vertical) FSelection->SetDesiredCol(desired);
    FSelection->ScrollIntoView(0);
}

// ---------------------------------------------------------------- mouse

int32_t TMemoComponent::PositionAt(int x, int y) const {
    TRowCol rowCol = PixelToRowCol({x, y});
    rowCol.Row += FVisibleRange->TopRow() - 1;
    rowCol.Col += FVisibleRange->LeftCol() - 1;
    // The start of the character whose cells hold the column.
    return CharStart(RowColToCharPos(DisplayColToRowCol(rowCol)));
}

void TMemoComponent::MouseDown(platform::TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
    if (FInDblClick) return;
    FPendingChar.clear();
    if (FHost) FHost->SetFocus(); // failing to take the focus does not matter here
    if (button == platform::TMouseButton::mbMiddle) return;
    if (button == platform::TMouseButton::mbRight && FSelection->RLength() > 0) return;
    const int32_t pos = PositionAt(x, y);
    if (shift.Contains(TShiftFlag::ssShift)) {
        FSelection->ExtendTo(pos);
    } else if (FDragDropEditing && FSelection->RLength() > 0 && pos >= FSelection->RStart() &&
               pos <= FSelection->REnd() + 1 && !FReadOnly) {
        FDragPending = true;
    } else {
        FSelection->MoveCaret(pos);
    }
    if (!FMouseSelecting && !FDragPending) {
        FMouseSelecting = true;
        if (FHost) FHost->SetTimer(kAutoScrollTimer, kAutoScrollInterval);
    }
}

void TMemoComponent::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
    MouseMoved(shift, x, y);
}

void TMemoComponent::MouseMoved(TShiftState shift, int x, int y) {
    if (FDragPending && !FDragging) {
        if (!FDragTarget) {
            FDragTarget = &FRanges->Create<TMCRange>(this);
            FDragTarget->SetRStart(FSelection->RStart());
            FDragTarget->SetRLength(0);
        }
        FDragging = true;
        if (FHost) {
            FHost->SetScreenCursor(platform::TCursor::crDrag);
            if (!FMouseSelecting) FHost->SetTimer(kAutoScrollTimer, kAutoScrollInterval);
        }
        FMouseSelecting = false;
        FLockNotify = true;
    }
    FDragPending = false;
    if (FDragging) RefreshDragMark(shift.Contains(TShiftFlag::ssCtrl));
    TrackMouse(x, y);
}

// With Ctrl a copy of the dragged text stays at its starting place; without, none does.
void TMemoComponent::RefreshDragMark(bool copy) {
    if (!FDragTarget) return;
    std::string wanted = copy ? FSelection->GetText() : std::string();
    if (FDragTarget->GetText() != wanted) FDragTarget->SetText(wanted);
}

void TMemoComponent::TrackMouse(int x, int y) {
    if (!(FMouseSelecting || FDragging) || FInDblClick) return;
    const int32_t pos = PositionAt(x, y);
    if (FMouseSelecting) {
        FSelection->ExtendTo(pos);
        return;
    }
    // Dragging: the selection is the dragged text and moves live with the mouse.
    const int32_t markStart = FDragTarget ? FDragTarget->RStart() : 0;
    const int32_t markEnd = FDragTarget ? FDragTarget->REnd() : 0;
    if (markStart < pos && pos <= markEnd) return;
    const int32_t start = FSelection->RStart(), end = FSelection->REnd();
    if (pos >= start && pos <= end + 1) return;
    const std::string text = FSelection->GetText();
    const auto length = static_cast<int32_t>(text.size());
    auto reinsertAt = [&](int32_t place) {
        FSelection->Delete();
        FSelection->MoveCaret(place);
        FSelection->SetText(text);
        FSelection->SetRStart(place);
        FSelection->SetREnd(place + length - 1);
    };
    if (pos < start) {
        if (start - pos >= length || (pos <= markStart && markStart <= start)) {
            reinsertAt(pos);
        } else {
            // Fewer bytes lie between than are dragged: move those bytes past the selection.
            const bool markFollows =
                FDragTarget && FDragTarget->RLength() == 0 && FDragTarget->RStart() == end + 1;
            TMCRange between(this);
            between.SetRStart(pos);
            between.SetREnd(start - 1);
            const std::string bytes = between.GetText();
            between.Delete();
            TMCRange after(this);
            after.SetRStart(FSelection->REnd() + 1);
            after.SetRLength(0);
            after.SetText(bytes);
            if (markFollows) {
                FDragTarget->SetRStart(FSelection->REnd() + 1 + static_cast<int32_t>(bytes.size()));
                FDragTarget->SetRLength(0);
            }
        }
    } else {
        const int32_t distance = pos - (end + 1);
        if (distance >= length || (end + 1 <= markStart && markStart <= pos)) {
            reinsertAt(pos - length);
        } else {
            TMCRange between(this);
            between.SetRStart(end + 1);
            between.SetREnd(pos - 1);
            const std::string bytes = between.GetText();
            between.Delete();
            TMCRange before(this);
            before.SetRStart(FSelection->RStart());
            before.SetRLength(0);
            before.SetText(bytes);
        }
    }
}

void TMemoComponent::MouseUp(platform::TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
    if (FDragPending) {
        // A click inside the selection without a move.
        FDragPending = false;
        FSelection->MoveCaret(PositionAt(x, y));
    }
    if (button != platform::TMouseButton::mbMiddle && (FMouseSelecting || FDragging) &&
        !FInDblClick) {
        if (FDragging) {
            RefreshDragMark(shift.Contains(TShiftFlag::ssCtrl));
            if (FAllowUndo && FDragTarget &&
                (FSelection->RStart() != FDragTarget->RStart() || FDragTarget->RLength() > 0)) {
                // One undo step takes the whole drag back.
                ClearRedo();
                {
                    TUndoGroup group(*this);
                    const std::string text = FSelection->GetText();
                    if (FDragTarget->RLength() == 0) {
                        int32_t origin = FDragTarget->RStart();
                        if (FSelection->RStart() < FDragTarget->RStart())
                            origin -= static_cast<int32_t>(text.size());
                        PushUndo({origin, origin - 1, text});
                    }
                    PushUndo({FSelection->RStart(), FSelection->REnd(), std::string()});
                }
                FLockNotify = false;
                Change();
                SelectionChange();
            }
            FLockNotify = false;
        }
        StopMouseTracking();
    }
    FInDblClick = false;
    FreeDragTarget();
}

void TMemoComponent::DblClick() {
    if (OnDblClick) OnDblClick(*this);
    FInDblClick = true;
    const int32_t start = RunStartBefore(FSelection->RStart(), true);
    int32_t end = FSelection->REnd();
    while (end < FTextLength && IsWordCharAt(end + 1, true))
        ++end;
    FSelection->SetRStart(start);
    FSelection->SetREnd(end);
}

void TMemoComponent::CancelDrag() {
    if (!FDragTarget) return;
    // The text goes back to where it came from, unrecorded.
    FDragTarget->SetText(FSelection->GetText());
    FSelection->Delete();
    FSelection->SetRStart(FDragTarget->RStart());
    FSelection->SetREnd(FDragTarget->REnd());
    StopMouseTracking();
    FLockNotify = false;
}

void TMemoComponent::StopMouseTracking() {
    if (WindowExists()) FHost->KillTimer(kAutoScrollTimer);
    FMouseSelecting = false;
    FDragging = false;
    if (FHost) FHost->SetScreenCursor(platform::TCursor::crDefault);
}

void TMemoComponent::FreeDragTarget() {
    if (!FDragTarget) return;
    TFastObjectContainer::Free(FDragTarget);
    FDragTarget = nullptr;
}

void TMemoComponent::Timer(int id) {
    if (id != kAutoScrollTimer || !(FMouseSelecting || FDragging) || !WindowExists()) return;
    const platform::TPoint mouse = FHost->MousePosition();
    const int columns = AutoScrollStep(mouse.X, FHost->ClientWidth());
    const int rows = AutoScrollStep(mouse.Y, FHost->ClientHeight());
    if (columns == 0 && rows == 0) return;
    FVisibleRange->SetLeftCol(FVisibleRange->LeftCol() + columns);
    FVisibleRange->SetTopRow(FVisibleRange->TopRow() + rows);
    TrackMouse(mouse.X, mouse.Y);
}
