#include "editor/Ranges.h"

#include <algorithm>
#include <utility>

#include "editor/EditFollow.h"
#include "editor/MemoComponent.h"

// ---------------------------------------------------------------- TCustomRange

TCustomRange::TCustomRange(TFastObjectContainer* container, TMemoComponent* memo)
    : TFastContainerItem(container), FMemo(memo) {
    if (!container) return;
    auto* tracker = dynamic_cast<TMCRanges*>(container);
    if (!tracker) return;
    FTracked = true;
    if (!FMemo) FMemo = tracker->Editor();
    tracker->Register(this);
}

TCustomRange::~TCustomRange() {
    if (TMCRanges* tracker = Tracker()) tracker->Forget(this);
}

void TCustomRange::LeavingContainer() {
    TMCRanges* tracker = Tracker();
    if (!tracker) return;
    tracker->Forget(this, false);
    FTracked = false;
}

TRangeChangeEvent& TRangeChangeEvent::operator=(TRangeHandler handler) {
    bool wasPlain = FOwner.ShiftsPlainly();
    FHandler = std::move(handler);
    FOwner.ShiftKindChanged(wasPlain);
    return *this;
}

void TCustomRange::SetPlainShift(bool value) {
    bool wasPlain = ShiftsPlainly();
    FPlainShift = value;
    ShiftKindChanged(wasPlain);
}

void TCustomRange::ShiftKindChanged(bool wasPlain) {
    if (FBlock && wasPlain != ShiftsPlainly()) FBlock->Special += wasPlain ? 1 : -1;
}

void TCustomRange::SetRStart(int32_t) {}
void TCustomRange::SetREnd(int32_t) {}
void TCustomRange::SetRLength(int32_t value) {
    SetREnd(RStart() + value - 1);
}
int32_t TCustomRange::GetRLength() const {
    return REnd() - RStart() + 1;
}

TRowCol TCustomRange::GetEndRowCol() const {
    return FMemo ? FMemo->CharPosToRowCol(REnd()) : TRowCol{1, 0};
}

TRowCol TCustomRange::GetStartRowCol() const {
    return FMemo ? FMemo->CharPosToRowCol(RStart()) : TRowCol{1, 1};
}

void TCustomRange::SetEndRowCol(TRowCol rowCol) {
    if (FMemo) SetREnd(FMemo->RowColToCharPos(rowCol));
}

void TCustomRange::SetStartRowCol(TRowCol rowCol) {
    if (FMemo) SetRStart(FMemo->RowColToCharPos(rowCol));
}

void TCustomRange::SetText(std::string_view text) {
    if (FMemo) FMemo->ReplaceRange(*this, text);
}

std::string TCustomRange::GetText() const {
    return FMemo ? FMemo->TextAt(RStart(), RLength()) : std::string();
}

// Through the getters and setters, so that a class's own setters see (and may clamp) the ends.
void TCustomRange::AdjustForEdit(int32_t a, int32_t b, int32_t c) {
    BeginUpdate();
    const int32_t start = RStart(), end = REnd();
    const TEditFollow moved = FollowEdit(start, end, a, b, c);
    if (moved.Start != start) SetRStart(moved.Start);
    // A setter of the start may have pulled the end along.
    if (moved.Start != start || moved.End != end) SetREnd(moved.End);
    EndUpdate();
    if (moved.Swallowed && RLength() == 0) DoOverwrite();
}

void TCustomRange::Delete() {
    if (RLength() > 0) SetText({});
}

void TCustomRange::Paint() {
    if (FMemo) FMemo->PaintRange(*this);
}

void TCustomRange::ScrollIntoView(int margin) {
    if (!FMemo) return;
    auto* selection = dynamic_cast<TSelectionRange*>(this);
    TRowCol caret =
        FMemo->CharPosToRowCol(selection && selection->Backwards() ? RStart() : REnd() + 1);
    int32_t displayCol = FMemo->RowColToDisplayCol(caret);
    TVisibleRange& view = FMemo->VisibleRange();
    int rows = FMemo->VisibleRows(), cols = FMemo->VisibleCols();
    TUpdateGuard bracket(view);
    int nearMargin = std::min(margin, 2);
    bool changed = false;
    if (caret.Row - nearMargin < view.TopRow()) {
        view.SetTopRow(caret.Row - margin);
        changed = true;
    } else if (view.TopRow() < caret.Row - rows + 1 && rows > 1) {
        view.SetTopRow(caret.Row - rows + 1 + margin);
        changed = true;
    }
    int32_t left = view.LeftCol();
    if (displayCol - nearMargin < view.LeftCol())
        left = std::max(displayCol - margin, 1);
    else if (displayCol - cols > view.LeftCol())
        left = std::max(displayCol - cols + margin, 1);
    if (left != view.LeftCol()) {
        view.SetLeftCol(left);
        changed = true;
    }
    if (changed) bracket.Close();
}

void TCustomRange::BeginUpdate() {
    if (FUpdateCount++ == 0) DoBeginUpdate();
}

void TCustomRange::EndUpdate() {
    if (--FUpdateCount == 0) DoChange();
}

void TCustomRange::CancelUpdate() {
    if (--FUpdateCount == 0) DoCancelUpdate();
}

void TCustomRange::DoChange() {
    if (OnChange) OnChange(*this);
}

void TCustomRange::DoOverwrite() {
    if (OnOverwrite) OnOverwrite(*this);
}

void TCustomRange::AssignTo(TPersistent& dest) const {
    auto* range = dynamic_cast<TCustomRange*>(&dest);
    if (!range) {
        TFastContainerItem::AssignTo(dest);
        return;
    }
    range->BeginUpdate();
    range->SetRStart(RStart());
    range->SetREnd(REnd());
    range->EndUpdate();
}

platform::TPoint TCustomRange::GetStartPoint() const {
    if (!FMemo) return {};
    TRowCol rowCol = FMemo->CharPosToRowCol(RStart());
    int32_t display =
        FMemo->TabSize() == 1 ? rowCol.Col - 1 : FMemo->RowColToDisplayCol(rowCol) - 1;
    const TVisibleRange& view = FMemo->VisibleRange();
    return FMemo->RowColToPixel({rowCol.Row - view.TopRow() + 1, display - view.LeftCol() + 2});
}

platform::TPoint TCustomRange::GetEndPoint() const {
    if (!FMemo) return {};
    int32_t end = REnd();
    TRowCol rowCol = FMemo->CharPosToRowCol(end);
    char byte = FMemo->CharAt(end);
    if (end >= 1 && end <= FMemo->TextLength() && (byte == '\r' || byte == '\n'))
        rowCol = {rowCol.Row + 1, 0};
    int32_t display = FMemo->TabSize() == 1
                          ? rowCol.Col
                          : FMemo->RowColToDisplayCol({rowCol.Row, rowCol.Col + 1}) - 1;
    const TVisibleRange& view = FMemo->VisibleRange();
    return FMemo->RowColToPixel({rowCol.Row - view.TopRow() + 1, display - view.LeftCol() + 2});
}

// ---------------------------------------------------------------- TMCRange

TMCRange::TMCRange(TFastObjectContainer* container, TMemoComponent* memo)
    : TCustomRange(container, memo) {
    SetPlainShift(true);
    if (TMCRanges* tracker = Tracker()) tracker->Indexed(this);
}

void TMCRange::SetRStart(int32_t value) {
    BeginUpdate();
    int32_t oldStart = FStart + Base();
    int32_t last = (FMemo ? FMemo->TextLength() : 0) + 1;
    int32_t start = std::min(std::max(value, 1), last);
    FStart = start - Base();
    if (start != oldStart)
        if (TMCRanges* tracker = Tracker()) tracker->Moved(this, oldStart);
    SetREnd(FEnd + Base());
    EndUpdate();
}

void TMCRange::SetREnd(int32_t value) {
    BeginUpdate();
    int32_t oldEnd = FEnd + Base();
    int32_t start = FStart + Base();
    int32_t end = std::min(std::max(value, start - 1), FMemo ? FMemo->TextLength() : 0);
    FEnd = end - Base();
    if (end != oldEnd)
        if (TMCRanges* tracker = Tracker()) tracker->Moved(this, start);
    EndUpdate();
}

void TMCRange::AdjustForEdit(int32_t a, int32_t b, int32_t c) {
    BeginUpdate();
    // Stored without the setters: the registry puts the edit's ranges back in order once, when
    // the edit is done.
    const TEditFollow moved = FollowEdit(FStart + Base(), FEnd + Base(), a, b, c);
    FStart = moved.Start - Base();
    FEnd = moved.End - Base();
    EndUpdate();
    // Last: the handler may free the range.
    if (moved.Swallowed && moved.End < moved.Start) DoOverwrite();
}

// ---------------------------------------------------------------- TSelectionRange

void TSelectionRange::SetHidden(bool value) {
    if (value == FHidden) return;
    FHidden = value;
    Paint();
    if (FMemo) FMemo->ShowTextCaret();
}

void TSelectionRange::MoveCaret(int32_t pos) {
    BeginUpdate();
    FBackwards = false;
    SetRStart(pos);
    SetREnd(pos - 1);
    EndUpdate();
}

void TSelectionRange::ExtendTo(int32_t pos) {
    if (FBackwards) {
        if (pos <= REnd()) {
            SetRStart(pos);
        } else {
            FBackwards = false;
            SetRStart(REnd() + 1);
            SetREnd(pos - 1);
        }
    } else {
        if (pos >= RStart()) {
            SetREnd(pos - 1);
        } else {
            FBackwards = true;
            SetREnd(RStart() - 1);
            SetRStart(pos);
        }
    }
}

int32_t TSelectionRange::DesiredCol() {
    if (FDesiredCol >= 1) return FDesiredCol;
    if (!FMemo) return 1;
    FDesiredCol = FMemo->RowColToDisplayCol(FMemo->CharPosToRowCol(CaretPos()));
    return FDesiredCol;
}

int32_t TSelectionRange::ColumnForRow(int32_t row) {
    if (!FMemo) return 1;
    TRowCol found = FMemo->DisplayColToRowCol({row, DesiredCol()});
    return std::min(found.Col, FMemo->LineLength(row) + 1);
}

void TSelectionRange::SetText(std::string_view text) {
    if (FMemo && FMemo->MouseSelecting()) FMemo->MouseUp(platform::TMouseButton::mbLeft, {}, 0, 0);
    TMCRange::SetText(text);
}

void TSelectionRange::AssignTo(TPersistent& dest) const {
    auto* selection = dynamic_cast<TSelectionRange*>(&dest);
    if (!selection) {
        TMCRange::AssignTo(dest);
        return;
    }
    selection->BeginUpdate();
    selection->FBackwards = FBackwards;
    selection->SetRStart(RStart());
    selection->SetREnd(REnd());
    selection->EndUpdate();
}

void TSelectionRange::DoBeginUpdate() {
    if (FMemo) FMemo->HideTextCaret();
    FDesiredCol = -1;
    FSnapshot = TSnapshot{RStart(), REnd()};
}

void TSelectionRange::DoChange() {
    TMCRange::DoChange();
    std::optional<TSnapshot> snapshot = FSnapshot;
    FSnapshot.reset();
    if (!FMemo) return;
    if (snapshot) {
        if (FMemo->RemoveTrailingSpaces() && !FMemo->Undoing()) {
            int32_t oldRow = FMemo->CharPosToRowCol(snapshot->Start).Row;
            if (FMemo->CharPosToRowCol(RStart()).Row != oldRow) FMemo->RemoveTrailingBlanks(oldRow);
        }
        // Repaint only what changed: a head or a tail when one end stayed.
        int32_t oldStart = snapshot->Start, oldEnd = snapshot->End;
        int32_t newStart = RStart(), newEnd = REnd();
        TMCRange region(FMemo);
        if (oldStart == newStart) {
            region.SetRStart(std::min(oldEnd, newEnd) + 1);
            region.SetREnd(std::max(oldEnd, newEnd));
        } else if (oldEnd == newEnd) {
            region.SetRStart(std::min(oldStart, newStart));
            region.SetREnd(std::max(oldStart, newStart) - 1);
        } else {
            if (newEnd >= newStart) Paint();
            region.SetRStart(oldStart);
            region.SetREnd(oldEnd);
        }
        if (region.RLength() > 0) region.Paint();
    }
    FMemo->PlaceCaret();
    FMemo->ShowTextCaret();
    FMemo->SelectionChange();
}

void TSelectionRange::DoCancelUpdate() {
    FSnapshot.reset();
    if (!FMemo) return;
    FMemo->PlaceCaret();
    FMemo->ShowTextCaret();
}

// ---------------------------------------------------------------- TWholeTextRange

int32_t TWholeTextRange::GetREnd() const {
    return FMemo ? FMemo->TextLength() : 0;
}

// ---------------------------------------------------------------- TVisibleRange

void TVisibleRange::SetTopRow(int32_t value) {
    if (value == FTopRow) return;
    BeginUpdate();
    FTopRow = value;
    Validate();
    EndUpdate();
}

void TVisibleRange::SetLeftCol(int32_t value) {
    if (value == FLeftCol) return;
    BeginUpdate();
    FLeftCol = value;
    Validate();
    EndUpdate();
}

int32_t TVisibleRange::BottomRow() const {
    return FTopRow + (FMemo ? FMemo->VisibleRows() : 0) + 1;
}

void TVisibleRange::SetBottomRow(int32_t value) {
    SetTopRow(value - (FMemo ? FMemo->VisibleRows() : 0));
}

int32_t TVisibleRange::RightCol() const {
    return FLeftCol + (FMemo ? FMemo->VisibleCols() : 0) + 1;
}

void TVisibleRange::SetRightCol(int32_t value) {
    SetLeftCol(value - (FMemo ? FMemo->VisibleCols() : 0));
}

void TVisibleRange::Validate() {
    if (!FMemo) return;
    FTopRow = std::max(std::min(FTopRow, FMemo->LineCount() - FMemo->VisibleRows() + 1), 1);
    FLeftCol = std::max(std::min(FLeftCol, FMemo->MaxLineWidth() - FMemo->VisibleCols() + 1), 1);
    if (FMemo->WindowExists()) {
        FMemo->Host()->SetScrollPosition(platform::TScrollBarKind::Vertical, FTopRow);
        FMemo->Host()->SetScrollPosition(platform::TScrollBarKind::Horizontal, FLeftCol);
    }
}

int32_t TVisibleRange::GetRStart() const {
    return FMemo ? FMemo->RowColToCharPos({FTopRow, 1}) : 1;
}

TRowCol TVisibleRange::GetEndRowCol() const {
    if (!FMemo) return {1, 0};
    TRowCol end{FTopRow + FMemo->VisibleRows() + 1, 0};
    if (FMemo->RowColToCharPos(end) > FMemo->TextLength())
        end = FMemo->CharPosToRowCol(FMemo->TextLength());
    return end;
}

int32_t TVisibleRange::GetREnd() const {
    return FMemo ? FMemo->RowColToCharPos(GetEndRowCol()) : 0;
}

void TVisibleRange::SetRStart(int32_t value) {
    if (FMemo) SetTopRow(FMemo->CharPosToRowCol(value).Row);
}

platform::TRect TVisibleRange::CurrentRect() const {
    int rows = FMemo ? FMemo->VisibleRows() : 0, cols = FMemo ? FMemo->VisibleCols() : 0;
    return {FLeftCol, FTopRow, FLeftCol + cols + 1, FTopRow + rows + 1};
}

void TVisibleRange::DoBeginUpdate() {
    FLastRect = CurrentRect();
}

void TVisibleRange::DoChange() {
    TCustomRange::DoChange();
    if (FMemo) FMemo->VisibleRangeChanged(FLastRect);
}

// ---------------------------------------------------------------- formatted ranges

void TCustomFormattedRange::AssignTo(TPersistent& dest) const {
    TMCRange::AssignTo(dest);
    if (auto* formatted = dynamic_cast<TCustomFormattedRange*>(&dest)) {
        formatted->SetColor(GetColor());
        formatted->SetFont(GetFont());
    }
}

void TFormattedRange::AdjustFontStyle() {
    if (FMemo) FFont.Style = FFont.Style - FMemo->WidthStyles();
}

TColor TNormalFormattedRange::GetColor() const {
    return FMemo ? FMemo->Color() : clWindow;
}

platform::TFontData TNormalFormattedRange::GetFont() const {
    return FMemo ? FMemo->Font() : platform::TFontData();
}
