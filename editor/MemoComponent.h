// TMemoComponent: the fixed-pitch text editor control over one CR LF byte buffer, with its
// line view (TMemoComponentStrings), geometry, selection and undo history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Color.h"
#include "base/Strings.h"
#include "editor/ObjList.h"
#include "editor/Ranges.h"
#include "editor/TextBuffer.h"
#include "platform/Canvas.h"
#include "platform/Input.h"
#include "platform/WindowEvents.h"
#include "platform/WindowHost.h"

class TMemoComponent;

// The editor's Lines: a view that stores nothing and maps every operation onto the text.
class TMemoComponentStrings : public TStrings {
public:
    explicit TMemoComponentStrings(TMemoComponent& memo) : FMemo(memo) {}
    int Count() const override;
    std::string Get(int index) const override;
    void Put(int index, const std::string& line) override;
    void Insert(int index, const std::string& line) override;
    int Add(const std::string& line) override;
    void Delete(int index) override;
    void Clear() override;
    std::string Text() const override;
    void SetText(const std::string& text) override;
    // Writes the text byte for byte; EFCreateError or EWriteError on failure.
    void SaveToFile(const std::string& fileName) const;

private:
    TMemoComponent& FMemo;
};

// One edit as the undo history keeps it: the text now at StartPos .. EndPos replaced Text.
// A group marker has StartPos = EndPos = -1.
struct TUndoOperation {
    int32_t StartPos = -1;
    int32_t EndPos = -1;
    std::string Text;
    bool operator==(const TUndoOperation&) const = default;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TBorderStyle { bsNone, bsSingle };

using TMemoNotifyEvent = std::function<void(TMemoComponent& sender)>;
// The standard input events: they fire before the editor acts; setting the key (the
// character) to 0 suppresses the editor's own handling.
using TMemoKeyEvent =
    std::function<void(TMemoComponent& sender, uint16_t& key, platform::TShiftState shift)>;
using TMemoKeyPressEvent = std::function<void(TMemoComponent& sender, char& key)>;
using TMemoMouseEvent = std::function<void(TMemoComponent& sender, platform::TMouseButton button,
                                           platform::TShiftState shift, int x, int y)>;
using TMemoMouseMoveEvent =
    std::function<void(TMemoComponent& sender, platform::TShiftState shift, int x, int y)>;

// The editor is its host's event sink: the host reports paint, size, focus, keys, mouse,
// scroll bars and timers to it.
class TMemoComponent : public platform::WindowEvents {
public:
    // Without a host the editor paints, scrolls and shows a caret nowhere. The editor takes
    // the host's events until it is destroyed; the host must outlive it.
    explicit TMemoComponent(platform::WindowHost* host = nullptr);
    virtual ~TMemoComponent();
    TMemoComponent(const TMemoComponent&) = delete;
    TMemoComponent& operator=(const TMemoComponent&) = delete;

    // Virtual operations, in slot order.
    virtual void ReplaceRange(TCustomRange& range, std::string_view text);
    virtual void PaintRowText(TCustomRange& range, int x, int y, int firstTabWidth);
    virtual void GetFormattedRanges(TCustomRange& range, TFormattedRangeArray& ranges);
    virtual void PaintMargins(const platform::TRect& leftRect, const platform::TRect& topRect,
                              platform::Canvas* canvas);
    virtual void UpdateFontMetrics();
    virtual void UpdateScrollBars();
    virtual void UpdateBitmap();
    virtual void CreateTextCaret();
    virtual void DestroyTextCaret();
    virtual void TrackMouse(int x, int y);
    virtual bool PopUndo(TUndoOperation& op);
    virtual bool PopRedo(TUndoOperation& op);
    virtual TUndoOperation NewGroupMarker();
    virtual bool IsGroupMarker(const TUndoOperation& op);
    virtual void PushUndo(TUndoOperation op);
    virtual void PushRedo(TUndoOperation op);
    virtual void Clear();
    virtual TRowCol CharPosToRowCol(int32_t pos) const;
    virtual int32_t RowColToCharPos(TRowCol rowCol) const;
    virtual TRowCol PixelToRowCol(platform::TPoint point) const;
    virtual platform::TPoint RowColToPixel(TRowCol rowCol) const;
    virtual int TabWidthAt(int32_t pos) const;
    virtual int32_t RowColToDisplayCol(TRowCol rowCol) const;
    virtual TRowCol DisplayColToRowCol(TRowCol rowCol) const;
    // Like DisplayColToRowCol; also returns the display column at which the found byte begins.
    virtual int32_t DisplayColToRowColStart(TRowCol& rowCol) const;
    virtual void ScrollCaretIntoView();
    virtual void IndentSelection(int delta);

    // Whole text: the buffer itself, valid until the next change of the text.
    std::string_view Text() const { return FText.View(); }
    int32_t TextLength() const { return FTextLength; }
    // Byte at position pos (1-based); 0 outside the text.
    char CharAt(int32_t pos) const;
    // count bytes from position pos, clipped to the text.
    std::string TextAt(int32_t pos, int32_t count) const;
    // Characters: GB18030 takes one, two or four bytes; a byte that forms no character counts
    // as one. The length of the character at pos (0 outside the text), the start of the one
    // that holds the byte at pos, and the caret's steps from a character boundary (a line
    // break is one step).
    int32_t CharLengthAt(int32_t pos) const;
    int32_t CharStart(int32_t pos) const;
    int32_t NextCharPos(int32_t pos) const;
    int32_t PrevCharPos(int32_t pos) const;
    void SetText(std::string_view text);
    // The window text messages as plain calls: the text's length, and the text copied with a
    // terminating zero into buffer (at most bufferSize - 1 bytes); returns the bytes copied.
    int32_t GetTextLength() const { return FTextLength; }
    int32_t SetTextBuf(const char* text) {
        SetText(text ? std::string_view(text) : std::string_view());
        return 1;
    }
    int32_t GetTextBuf(char* buffer, int32_t bufferSize) const;

    // Rows.
    int32_t LineCount() const { return FLineStarts.Count(); }
    int32_t LineStart(int32_t row) const { return FLineStarts.Items(row - 1); }
    int32_t LineLength(int32_t row) const;
    int32_t LineDisplayWidth(int32_t row) const;
    int32_t MaxLineWidth() const { return FMaxLineWidth; }
    TMemoComponentStrings& Lines() { return *FLines; }
    // Clear, then every line of lines added in order.
    void SetLines(const TStrings& lines);

    // Trailing blanks (spaces and tabs).
    static void StripBlanksBeforeBreaks(std::string& text, bool atEnd);
    void RemoveTrailingBlanks(int32_t row);
    void RemoveAllTrailingBlanks();

    // Ranges.
    TMCRanges& Ranges() { return *FRanges; }
    TWholeTextRange& WholeRange() { return *FWholeRange; }
    TVisibleRange& VisibleRange() { return *FVisibleRange; }
    TSelectionRange& Selection() { return *FSelection; }
    void SelectAll();
    // The clear message: deletes the selected text.
    void ClearSelection();

    // Caret.
    void HideTextCaret();
    void ShowTextCaret();
    void PlaceCaret();
    void SetFocused(bool focused);
    bool Focused() const { return FFocused; }
    bool CaretCreated() const { return FCaretCreated; }
    bool CaretShown() const { return FCaretShown; }

    // Undo and redo.
    void Undo() { Replay(false); }
    void Redo() { Replay(true); }
    // The can-undo message: redo when which is 1, otherwise undo.
    bool CanUndo(int which = 0) const {
        return which == 1 ? !FRedoList.empty() : !FUndoList.empty();
    }
    void ClearUndo();
    void ClearRedo();
    bool Undoing() const { return FUndoing; }
    const std::deque<TUndoOperation>& UndoList() const { return FUndoList; }
    const std::deque<TUndoOperation>& RedoList() const { return FRedoList; }
    // Bytes of replaced text both stacks may hold together; the oldest records go first.
    size_t UndoLimit() const { return FUndoLimit; }
    void SetUndoLimit(size_t bytes);
    size_t UndoTextBytes() const { return FUndoTextBytes; }

    // Notifications.
    virtual void Change();
    virtual void SelectionChange();
    bool LockNotify() const { return FLockNotify; }
    void SetLockNotify(bool value) { FLockNotify = value; }
    TMemoNotifyEvent OnChange;
    TMemoNotifyEvent OnSelectionChange;

    // Properties.
    platform::WindowHost* Host() const { return FHost; }
    bool WindowExists() const { return FHost && FHost->WindowExists(); }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool Bitmapped() const { return FBitmapped; }
    void SetBitmapped(bool value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    bool AllowUndo() const { return FAllowUndo; }
    void SetAllowUndo(bool value);
    bool AlwaysShowCaret() const { return FAlwaysShowCaret; }
    void SetAlwaysShowCaret(bool value);
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int value);
    int TopMargin() const { return FTopMargin; }
    void SetTopMargin(int value);
    int TabSize() const { return FTabSize; }
    void SetTabSize(int value);
    bool DragDropEditing() const { return FDragDropEditing; }
    void SetDragDropEditing(bool value) { FDragDropEditing = value; }
    bool RemoveTrailingSpaces() const { return FRemoveTrailingSpaces; }
    void SetRemoveTrailingSpaces(bool value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { FColor = value; }

    // Metrics (8 x 13 until a window measures its font).
    int CharWidth() const { return FCharWidth; }
    int LineHeight() const { return FLineHeight; }
    int VisibleRows() const { return FVisibleRows; }
    int VisibleCols() const { return FVisibleCols; }

    // The window came to exist: give it its style and I-beam cursor, measure the font and
    // size the scroll bars.
    void WindowCreated();

    // Window events.
    void Paint() override;
    void Resized() override;
    void FocusChanged(bool focused) override { SetFocused(focused); }
    void KeyDown(uint16_t key, platform::TShiftState shift) override;
    void KeyUp(uint16_t key, platform::TShiftState shift) override;
    void KeyPress(char byte) override;
    void MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x,
                   int y) override;
    void MouseMove(platform::TShiftState shift, int x, int y) override;
    void MouseUp(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
    void DblClick() override;
    // Whole notches scroll 3 rows (sideways 3 columns); finer steps add up to them.
    bool MouseWheel(platform::TScrollBarKind bar, int delta, platform::TShiftState shift) override;
    void Scroll(platform::TScrollBarKind bar, platform::TScrollCode code, int position) override;
    void Timer(int id) override;
    // Input methods: the preedit is drawn underlined at the caret and is no part of the text;
    // the commit replaces the selection as one undo step. A read-only editor takes neither.
    void CompositionChanged(std::string_view preedit) override;
    void CompositionCommitted(std::string_view text) override;
    const std::string& Composition() const { return FComposition; }

    TMemoKeyEvent OnKeyDown;
    TMemoKeyEvent OnKeyUp;
    TMemoKeyPressEvent OnKeyPress;
    TMemoMouseEvent OnMouseDown;
    TMemoMouseEvent OnMouseUp;
    TMemoMouseMoveEvent OnMouseMove;
    TMemoNotifyEvent OnDblClick;

    // The clipboard commands (the clear command is ClearSelection).
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // The text position under a client point.
    int32_t PositionAt(int x, int y) const;

    // The font; a change measures the grid again and repaints.
    const platform::TFontData& Font() const { return FFont; }
    void SetFont(const platform::TFontData& font);
    // Of bold and italic, the styles that would change the width of a cell; never drawn.
    TFontStyles WidthStyles() const { return FWidthStyles; }
    // The back buffer while Bitmapped (nullptr before the first paint).
    platform::Bitmap* BackBuffer() const { return FBitmap.get(); }

    // Mouse state.
    bool MouseSelecting() const { return FMouseSelecting; }
    bool DragPending() const { return FDragPending; }
    bool InDblClick() const { return FInDblClick; }
    TMCRange* DragTarget() const { return FDragTarget; }

    // Paints the rows of range now (Range.Paint).
    void PaintRange(TCustomRange& range);
    bool Dragging() const { return FDragging; }

protected:
    // Hooks of every replacement: after the text changed, and at its very end.
    virtual void TextChanged(int32_t pos, int32_t oldLength, int32_t newLength);
    virtual void AfterTextChanged();
    // Replaces range's text keeping blanks before line breaks, whatever RemoveTrailingSpaces
    // says (an indented row the caret is about to enter).
    void SetTextKeepingBlanks(TCustomRange& range, std::string_view text);
    // Lead bytes of a typed character wait for the rest of it.
    bool TypingCharacter() const { return !FPendingChar.empty(); }

private:
    friend class TSelectionRange;
    friend class TVisibleRange;

    int32_t SyncPointBefore(int32_t pos) const;
    // The starts of the characters from the nearest boundary before pos up to pos - 1.
    void CharStartsBefore(int32_t pos, std::vector<int32_t>& starts) const;
    bool CompleteTypedChar(char byte, std::string& character);
    static bool CouldContinue(std::string_view partial);

    void RecordEdit(int32_t pos, int32_t rangeEnd, std::string oldText, std::string_view newText);
    void Replay(bool redo);
    void TrimUndoToLimit();
    void DropOldest(std::deque<TUndoOperation>& list);
    int32_t MeasureRow(int32_t row) const;
    void CountRowWidth(int32_t width, int delta);
    void MeasureAllRows();
    int32_t DisplayWalk(int32_t start, int32_t count) const;

    // Painting and scrolling.
    void ApplyWindowStyle();
    platform::Canvas* PaintCanvas();
    void HideCaretFor(const TCustomRange& range);
    void VisibleRangeChanged(const platform::TRect& lastRect);
    void FillClient(platform::Canvas& canvas, const platform::TRect& rect);
    // The preedit over the caret's place, when it lies on the visible rows firstRow .. lastRow.
    void PaintComposition(platform::Canvas& canvas, int32_t firstRow, int32_t lastRow);

    // Keyboard and mouse.
    void ReadOnlyKey(uint16_t key, platform::TShiftState modifiers);
    void MoveByKey(uint16_t key, platform::TShiftState modifiers);
    bool IsWordCharAt(int32_t pos, bool dblClick) const;
    int32_t RunStartBefore(int32_t pos, bool dblClick) const;
    int32_t WordLeft(int32_t pos) const;
    int32_t WordRight(int32_t pos) const;
    void MouseMoved(platform::TShiftState shift, int x, int y);
    void RefreshDragMark(bool copy);
    void CancelDrag();
    void StopMouseTracking();
    void FreeDragTarget();

    platform::WindowHost* FHost;
    TTextBuffer FText;
    int32_t FTextLength = 0;
    TIntegerList FLineStarts;
    int32_t FMaxLineWidth = 0;
    // How many rows have each display width; its largest key is FMaxLineWidth.
    std::map<int32_t, int32_t> FRowWidths;

    std::unique_ptr<TMemoComponentStrings> FLines;
    std::unique_ptr<TMCRanges> FRanges;
    std::unique_ptr<TWholeTextRange> FWholeRange;
    TVisibleRange* FVisibleRange = nullptr; // tracked: owned by FRanges
    TSelectionRange* FSelection = nullptr;  // tracked: owned by FRanges

    std::deque<TUndoOperation> FUndoList; // newest at the back
    std::deque<TUndoOperation> FRedoList;
    size_t FUndoTextBytes = 0;
    size_t FUndoLimit = size_t(256) << 20;
    bool FUndoing = false;
    // How the next replacement of FModeRange takes its text: as typed (line breaks made CR LF,
    // blanks before them dropped when RemoveTrailingSpaces), keeping blanks, or byte for byte
    // (undo and redo restore exactly what was there).
    enum class TReplaceMode { Typed, KeepBlanks, Exact };
    TReplaceMode FReplaceMode = TReplaceMode::Typed;
    const TCustomRange* FModeRange = nullptr;
    void SetTextInMode(TCustomRange& range, std::string_view text, TReplaceMode mode);
    std::string FPendingChar; // typed bytes of a character not yet complete
    // The next edit starts a record of its own instead of extending the newest.
    bool FUndoHeadClosed = false;

    bool FLockNotify = false;
    bool FFocused = false;
    bool FCaretCreated = false;
    bool FCaretShown = false;
    bool FDragging = false;
    bool FMouseSelecting = false;
    bool FDragPending = false;
    bool FInDblClick = false;
    TMCRange* FDragTarget = nullptr; // tracked: owned by FRanges

    TScrollStyle FScrollBars = TScrollStyle::ssBoth;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    bool FBitmapped = false;
    // Set while a scroll paints the band that came free: the caller copies just that band
    // to the window instead of the whole back buffer.
    bool FPaintingScrollBand = false;
    bool FReadOnly = false;
    bool FAllowUndo = true;
    bool FAlwaysShowCaret = false;
    int FLeftMargin = 2;
    int FTopMargin = 0;
    int FTabSize = 2;
    bool FDragDropEditing = false;
    bool FRemoveTrailingSpaces = false;
    TColor FColor = clWindow;

    platform::TFontData FFont;
    TFontStyles FWidthStyles;
    std::unique_ptr<platform::Bitmap> FBitmap;

    int FCharWidth = 8;
    int FLineHeight = 13;
    int FVisibleRows = 0;
    int FVisibleCols = 0;

    std::string FComposition;
    // Wheel units short of a row (a column sideways), kept for the next turn the same way.
    int FWheelRest[2] = {0, 0};
};

// Makes the edits done while it lives one undo step. The group is closed even when an edit
// throws, so that no open group is left for the next undo to run into; a group that recorded
// nothing leaves nothing.
class TUndoGroup {
public:
    explicit TUndoGroup(TMemoComponent& memo);
    ~TUndoGroup();
    TUndoGroup(const TUndoGroup&) = delete;
    TUndoGroup& operator=(const TUndoGroup&) = delete;

private:
    TMemoComponent& FMemo;
    bool FOpen;
    size_t FOpenedAt = 0;
};

// Silences OnChange and OnSelectionChange while it lives; the editor speaks again afterwards
// even when an edit throws.
class TNotifyLock {
public:
    explicit TNotifyLock(TMemoComponent& memo) : FMemo(memo), FWasLocked(memo.LockNotify()) {
        memo.SetLockNotify(true);
    }
    ~TNotifyLock() { FMemo.SetLockNotify(FWasLocked); }
    TNotifyLock(const TNotifyLock&) = delete;
    TNotifyLock& operator=(const TNotifyLock&) = delete;

private:
    TMemoComponent& FMemo;
    bool FWasLocked;
};
