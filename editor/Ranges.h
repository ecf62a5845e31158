// The editor's ranges: TRowCol, TCustomRange and its kinds (TMCRange, TSelectionRange,
// TWholeTextRange, TVisibleRange, the formatted ranges) and TMCRanges, the registry of
// tracked ranges.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Color.h"
#include "editor/ObjList.h"
#include "editor/RangeHandler.h"
#include "platform/Canvas.h"
#include "platform/WindowHost.h"

class TMemoComponent;
class TCustomRange;
class TMCRange;

// A row and a column, both 1-based; the column counts bytes or, where stated, display columns.
struct TRowCol {
    int32_t Row = 0;
    int32_t Col = 0;
    bool operator==(const TRowCol&) const = default;
};

using TRangeNotifyEvent = std::function<void(TCustomRange& sender)>;

// A range's OnChange handler. Setting or clearing it tells the registry, which moves a block
// of ranges by an offset only while none of them has a handler to call.
class TRangeChangeEvent {
public:
    explicit TRangeChangeEvent(TCustomRange& owner) : FOwner(owner) {}
    TRangeChangeEvent(const TRangeChangeEvent&) = delete;
    TRangeChangeEvent& operator=(const TRangeChangeEvent& other) { return *this = other.FHandler; }
    TRangeChangeEvent& operator=(TRangeHandler handler);
    explicit operator bool() const { return static_cast<bool>(FHandler); }
    void operator()(TCustomRange& sender) const { FHandler(sender); }

private:
    TCustomRange& FOwner;
    TRangeHandler FHandler;
};

// The editor's registry of tracked ranges. Besides registration order it keeps the ranges of
// class TMCRange ordered by start in small blocks, so that an edit visits only the ranges
// that can be affected: those that start or end at or after the edit. Ranges wholly before
// an edit are never visited; they cannot move. A block wholly after an edit whose ranges all
// shift plainly moves as a whole: its offset changes, its ranges are not touched, so an edit
// costs the same however many ranges follow it.
class TMCRanges : public TFastObjectContainer {
public:
    explicit TMCRanges(TMemoComponent* editor) : TFastObjectContainer(editor) {}
    ~TMCRanges() override;
    TMemoComponent* Editor() const { return static_cast<TMemoComponent*>(Owner()); }

    // Adjusts every tracked range but skip1 and skip2 that the edit of span a .. b (length
    // change c) can affect, from the end of the text backwards.
    void AdjustForEdit(int32_t a, int32_t b, int32_t c, const TCustomRange* skip1,
                       const TCustomRange* skip2);

    // Checks the position index against the ranges themselves (for tests).
    bool IndexIsConsistent() const;

    // While one lives, new TMCRange objects wait to be indexed until it ends, so that a range
    // whose ends are set right after its creation is placed once, at its final start.
    class TIndexHold {
    public:
        explicit TIndexHold(TMCRanges& ranges) : FRanges(ranges) { ++FRanges.FHolding; }
        ~TIndexHold() { FRanges.ReleaseHold(); }
        TIndexHold(const TIndexHold&) = delete;
        TIndexHold& operator=(const TIndexHold&) = delete;

    private:
        TMCRanges& FRanges;
    };

    // Longest range kept in the ordered blocks; longer ones are visited on every edit that
    // reaches their end.
    static constexpr int32_t kLongRange = 4096;

private:
    friend class TCustomRange;
    friend class TMCRange;
    struct TBlock {
        std::vector<TCustomRange*> Items; // TMCRange objects, ordered by start
        // Added to the stored ends of its ranges (and to MaxEnd) to give their positions.
        int32_t Offset = 0;
        int32_t MaxEnd = 0;  // relative to Offset, like the ends it is taken from
        int32_t Special = 0; // ranges in it that do not shift plainly
        bool MaxDirty = false;
        bool Shifted = false; // every range in it moved by the edit's length change
    };

    void Register(TCustomRange* range); // a new tracked range of any class
    void Indexed(TMCRange* range);      // a TMCRange finished its construction
    // The range is being destroyed or, when not dying, leaves the registry alive.
    void Forget(TCustomRange* range, bool dying = true);
    void Moved(TMCRange* range, int32_t oldStart);

    void FinishEdit(int32_t a);
    void ReleaseHold();
    void InsertPending();
    void Insert(TCustomRange* range);
    void InsertIntoBlocks(TCustomRange* range);
    void RemoveFromBlock(TCustomRange* range, bool dying = false);
    void RemoveFromLong(TCustomRange* range);
    void RemoveFromOthers(TCustomRange* range);
    void RepairOrder(size_t firstBlock);
    size_t FirstBlockReaching(int32_t pos) const;
    static int32_t BlockMaxEnd(TBlock& block);
    static int32_t StartOf(const TCustomRange* range);
    static int32_t EndOf(const TCustomRange* range);
    static bool IsLong(const TCustomRange* range);
    static bool InBlock(const TCustomRange* range, const TBlock& block);

    static constexpr size_t kBlockSize = 256;
    std::vector<std::unique_ptr<TBlock>> FBlocks;
    std::vector<TCustomRange*> FLong;    // TMCRange objects longer than kLongRange
    std::vector<TCustomRange*> FOthers;  // tracked ranges that are not TMCRange
    std::vector<TCustomRange*> FWork;    // the ranges of the edit being applied
    std::vector<TCustomRange*> FPending; // to be indexed once the edit or the hold is over
    int FHolding = 0;
    bool FAdjusting = false;
};

// A span RStart .. REnd (both included) of an editor's text; empty when REnd = RStart - 1.
class TCustomRange : public TFastContainerItem {
public:
    // Tracked when container is the editor's registry; untracked (a short-lived tool) when
    // container is nullptr and memo is given directly.
    explicit TCustomRange(TFastObjectContainer* container, TMemoComponent* memo = nullptr);
    ~TCustomRange() override;
    const char* ClassName() const override { return "TCustomRange"; }

    TMemoComponent* Memo() const { return FMemo; }
    int32_t RStart() const { return GetRStart(); }
    int32_t REnd() const { return GetREnd(); }
    int32_t RLength() const { return GetRLength(); }

    // Virtual operations, in slot order.
    virtual void SetRStart(int32_t value);
    virtual void SetREnd(int32_t value);
    virtual void SetRLength(int32_t value);
    virtual int32_t GetRStart() const = 0;
    virtual int32_t GetREnd() const = 0;
    virtual int32_t GetRLength() const;
    virtual TRowCol GetEndRowCol() const;
    virtual TRowCol GetStartRowCol() const;
    virtual void SetEndRowCol(TRowCol rowCol);
    virtual void SetStartRowCol(TRowCol rowCol);
    virtual void SetText(std::string_view text);
    virtual std::string GetText() const;
    virtual void AdjustForEdit(int32_t editStart, int32_t editEnd, int32_t delta);
    virtual void Delete();
    virtual void Paint();
    virtual void ScrollIntoView(int margin);

    void BeginUpdate();
    void EndUpdate();
    void CancelUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Client pixel of the place before RStart and after REnd.
    platform::TPoint GetStartPoint() const;
    platform::TPoint GetEndPoint() const;

    // The members are declared in the order that packs them tightly: a coloured text holds
    // millions of ranges.
protected:
    int FUpdateCount = 0;
    TMemoComponent* FMemo;

public:
    TRangeChangeEvent OnChange{*this};
    TRangeHandler OnOverwrite;

protected:
    virtual void DoBeginUpdate() {}
    virtual void DoChange();
    virtual void DoCancelUpdate() {}
    virtual void DoOverwrite();
    void AssignTo(TPersistent& dest) const override;
    void LeavingContainer() override;

    // A range whose class keeps the plain AdjustForEdit and update hooks: when an edit lies
    // wholly before it and it has no OnChange handler, the registry moves its ends directly.
    // A class that overrides AdjustForEdit or the hooks clears it.
    void SetPlainShift(bool value);

public:
    // Where the registry keeps a tracked range.
    enum class TIndexPlace : uint8_t { None, Other, Block, Long, Pending };

private:
    friend class TMCRanges;
    friend class TMCRange;
    friend class TRangeChangeEvent;
    bool ShiftsPlainly() const { return FPlainShift && !OnChange; }
    // Keeps the count of its block's ranges that do not shift plainly.
    void ShiftKindChanged(bool wasPlain);
    // The registry is the container for as long as the range is tracked.
    TMCRanges* Tracker() const { return FTracked ? static_cast<TMCRanges*>(Container()) : nullptr; }
    TMCRanges::TBlock* FBlock = nullptr; // set while FPlace is Block
    uint32_t FWorkSlot = 0;
    uint32_t FListSlot = 0; // in FLong or FOthers
    TIndexPlace FPlace = TIndexPlace::None;
    bool FTracked = false;
    bool FPlainShift = false;
    bool FInWork = false;
    bool FMovedInWork = false;
};

// A range that stores its two ends; a new one is the empty range at 1.
class TMCRange : public TCustomRange {
public:
    explicit TMCRange(TFastObjectContainer* container, TMemoComponent* memo = nullptr);
    explicit TMCRange(TMemoComponent* memo) : TMCRange(nullptr, memo) {}
    const char* ClassName() const override { return "TMCRange"; }

    void SetRStart(int32_t value) override;
    void SetREnd(int32_t value) override;
    int32_t GetRStart() const override { return FStart + Base(); }
    int32_t GetREnd() const override { return FEnd + Base(); }
    void AdjustForEdit(int32_t editStart, int32_t editEnd, int32_t delta) override;

private:
    friend class TMCRanges;
    // The offset of the block holding the range; its stored ends are relative to it.
    int32_t Base() const { return FBlock ? FBlock->Offset : 0; }
    int32_t FStart = 1;
    int32_t FEnd = 0;
};

// The selection: an anchor and the caret. Not Backwards: anchor RStart, caret REnd + 1;
// Backwards: caret RStart, anchor REnd + 1.
class TSelectionRange : public TMCRange {
public:
    explicit TSelectionRange(TFastObjectContainer* container, TMemoComponent* memo = nullptr)
        : TMCRange(container, memo) {
        SetPlainShift(false);
    }
    const char* ClassName() const override { return "TSelectionRange"; }

    bool Backwards() const { return FBackwards; }
    void SetBackwards(bool value) { FBackwards = value; }
    bool Hidden() const { return FHidden; }
    void SetHidden(bool value);
    int32_t CaretPos() const { return FBackwards ? RStart() : REnd() + 1; }

    void MoveCaret(int32_t pos);
    void ExtendTo(int32_t pos);
    int32_t DesiredCol();
    void SetDesiredCol(int32_t value) { FDesiredCol = value; }
    int32_t ColumnForRow(int32_t row);
    // Forgets the state taken at the bracket's start, so closing it repaints no difference.
    void DiscardSnapshot() { FSnapshot.reset(); }
    // Ends a mouse selection in progress first, as releasing the button would.
    void SetText(std::string_view text) override;

protected:
    void AssignTo(TPersistent& dest) const override;
    void DoBeginUpdate() override;
    void DoChange() override;
    void DoCancelUpdate() override;

private:
    struct TSnapshot {
        int32_t Start;
        int32_t End;
    };
    std::optional<TSnapshot> FSnapshot;
    bool FBackwards = false;
    bool FHidden = false;
    int32_t FDesiredCol = -1;
};

// The whole text: 1 .. TextLength. Its ends cannot be set; SetText replaces everything.
class TWholeTextRange : public TCustomRange {
public:
    explicit TWholeTextRange(TMemoComponent* memo) : TCustomRange(nullptr, memo) {}
    const char* ClassName() const override { return "TWholeTextRange"; }
    int32_t GetRStart() const override { return 1; }
    int32_t GetREnd() const override;
};

// The rows and columns on screen; it carries the scroll position.
class TVisibleRange : public TCustomRange {
public:
    using TCustomRange::TCustomRange;
    const char* ClassName() const override { return "TVisibleRange"; }

    int32_t TopRow() const { return FTopRow; }
    void SetTopRow(int32_t value);
    int32_t LeftCol() const { return FLeftCol; }
    void SetLeftCol(int32_t value);
    int32_t BottomRow() const;
    void SetBottomRow(int32_t value);
    int32_t RightCol() const;
    void SetRightCol(int32_t value);
    // Keeps TopRow and LeftCol inside the text and moves the scroll bars to them.
    void Validate();

    int32_t GetRStart() const override;
    int32_t GetREnd() const override;
    void SetRStart(int32_t value) override;
    TRowCol GetStartRowCol() const override { return {FTopRow, 1}; }
    TRowCol GetEndRowCol() const override;
    void SetStartRowCol(TRowCol rowCol) override { SetTopRow(rowCol.Row); }
    void SetEndRowCol(TRowCol) override {}

protected:
    void DoBeginUpdate() override;
    void DoChange() override;

private:
    friend class TMemoComponent;
    platform::TRect CurrentRect() const;
    int32_t FTopRow = 1;
    int32_t FLeftCol = 1;
    platform::TRect FLastRect;
};

// A span painted in one colour and font. The painter frees those with FreeAfterPaint set.
class TCustomFormattedRange : public TMCRange {
public:
    using TMCRange::TMCRange;
    const char* ClassName() const override { return "TCustomFormattedRange"; }
    bool FreeAfterPaint() const { return FFreeAfterPaint; }
    void SetFreeAfterPaint(bool value) { FFreeAfterPaint = value; }
    TColor Color() const { return GetColor(); }
    platform::TFontData Font() const { return GetFont(); }

    virtual TColor GetColor() const = 0;
    virtual platform::TFontData GetFont() const = 0;
    virtual void SetColor(TColor) {}
    virtual void SetFont(const platform::TFontData&) {}
    // Drops the editor's width-changing styles (WidthStyles) from the range's font, so that
    // no style breaks the character grid.
    virtual void AdjustFontStyle() {}

protected:
    void AssignTo(TPersistent& dest) const override;

private:
    bool FFreeAfterPaint = false;
};

// A formatted range with a colour and a font of its own.
class TFormattedRange : public TCustomFormattedRange {
public:
    using TCustomFormattedRange::TCustomFormattedRange;
    const char* ClassName() const override { return "TFormattedRange"; }
    TColor GetColor() const override { return FColor; }
    platform::TFontData GetFont() const override { return FFont; }
    void SetColor(TColor value) override { FColor = value; }
    void SetFont(const platform::TFontData& value) override { FFont = value; }
    void AdjustFontStyle() override;

private:
    TColor FColor = clWindow;
    platform::TFontData FFont;
};

// A formatted range in the editor's own colour and font (clWindow and the default font
// without an editor). The editor's own styles never change the grid, so it adjusts nothing.
class TNormalFormattedRange : public TCustomFormattedRange {
public:
    using TCustomFormattedRange::TCustomFormattedRange;
    const char* ClassName() const override { return "TNormalFormattedRange"; }
    TColor GetColor() const override;
    platform::TFontData GetFont() const override;
};

// The coloured pieces of one row, in order, as the formatting hook hands them to the painter.
using TFormattedRangeArray = std::vector<TCustomFormattedRange*>;

// Opens an update bracket and, unless Close was called, cancels it when leaving the scope
// (so an exception cannot leave a bracket open).
class TUpdateGuard {
public:
    explicit TUpdateGuard(TCustomRange& range) : FRange(range) { FRange.BeginUpdate(); }
    ~TUpdateGuard() {
        if (!FClosed) FRange.CancelUpdate();
    }
    TUpdateGuard(const TUpdateGuard&) = delete;
    TUpdateGuard& operator=(const TUpdateGuard&) = delete;
    void Close() {
        FClosed = true;
        FRange.EndUpdate();
    }
    void Cancel() {
        FClosed = true;
        FRange.CancelUpdate();
    }

private:
    TCustomRange& FRange;
    bool FClosed = false;
};
