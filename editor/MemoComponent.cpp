#include "editor/MemoComponent.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/Exception.h"
#include "base/Format.h"

namespace {

// Every CR LF, lone CR and lone LF becomes CR LF.
std::string NormalizeLineBreaks(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        char byte = text[i];
        if (byte == '\r') {
            result += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (byte == '\n') {
            result += "\r\n";
        } else {
            result += byte;
        }
    }
    return result;
}

bool IsBlank(char byte) {
    return byte == ' ' || byte == '\t';
}

} // namespace

TMemoComponent::TMemoComponent(platform::WindowHost* host) : FHost(host) {
    FLineStarts.Add(1);
    FRowWidths[0] = 1;
    FLines = std::make_unique<TMemoComponentStrings>(*this);
    FRanges = std::make_unique<TMCRanges>(this);
    FWholeRange = std::make_unique<TWholeTextRange>(this);
    FVisibleRange = &FRanges->Create<TVisibleRange>(this);
    FSelection = &FRanges->Create<TSelectionRange>(this);
    if (FHost) FHost->SetEvents(this);
}

TMemoComponent::~TMemoComponent() {
    if (FHost) {
        FHost->SetEvents(nullptr);
        if (FMouseSelecting || FDragging) FHost->KillTimer(1);
        if (FDragging) FHost->SetScreenCursor(platform::TCursor::crDefault);
    }
    FLockNotify = true;
    FRedoList.clear();
    FUndoList.clear();
    TFastObjectContainer::Free(FSelection);
    TFastObjectContainer::Free(FVisibleRange);
    FLines.reset();
    FRanges.reset();
    FWholeRange.reset();
}

// ---------------------------------------------------------------- text access

char TMemoComponent::CharAt(int32_t pos) const {
    if (pos < 1 || pos > FTextLength) return 0;
    return FText.At(static_cast<size_t>(pos - 1));
}

std::string TMemoComponent::TextAt(int32_t pos, int32_t count) const {
    if (count <= 0 || pos > FTextLength) return {};
    if (pos < 1) {
        count += pos - 1;
        pos = 1;
        if (count <= 0) return {};
    }
    return FText.Substr(static_cast<size_t>(pos - 1), static_cast<size_t>(count));
}

void TMemoComponent::SetText(std::string_view text) {
    FWholeRange->SetText(text);
    FSelection->MoveCaret(1);
}

void TMemoComponent::Clear() {
    SetText({});
}

int32_t TMemoComponent::GetTextBuf(char* buffer, int32_t bufferSize) const {
    if (bufferSize <= 0) return 0;
    int32_t count = std::min(bufferSize - 1, FTextLength);
    size_t written = 0;
    FText.ForEachPiece(0, static_cast<size_t>(count), [&](const char* piece, size_t size) {
        std::memcpy(buffer + written, piece, size);
        written += size;
    });
    buffer[count] = 0;
    return count;
}

// ---------------------------------------------------------------- rows

int32_t TMemoComponent::LineLength(int32_t row) const {
    return RowColToCharPos({row + 1, 0}) - RowColToCharPos({row, 0}) - 2;
}

int32_t TMemoComponent::LineDisplayWidth(int32_t row) const {
    return RowColToDisplayCol({row, LineLength(row) + 1}) - 1;
}

int32_t TMemoComponent::MeasureRow(int32_t row) const {
    int32_t length = LineLength(row);
    if (FTabSize == 1 || length <= 0) return std::max(length, 0);
    return DisplayWalk(LineStart(row), length);
}

// Display width of count bytes from position start: a tab in the text jumps to the next stop,
// every other byte (also one outside the text) takes one column.
int32_t TMemoComponent::DisplayWalk(int32_t start, int32_t count) const {
    if (count <= 0) return 0;
    int32_t end = start + count - 1;
    int32_t display = std::max(0, std::min(end, 0) - start + 1);
    int32_t from = std::max(start, 1), to = std::min(end, FTextLength);
    if (from <= to) {
        FText.ForEachPiece(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1),
                           [&](const char* piece, size_t size) {
                               // Between tabs every byte is one column: jump tab to tab.
                               const char* end = piece + size;
                               while (piece < end) {
                                   const void* tab = std::memchr(piece, '\t', size_t(end - piece));
                                   const char* stop = tab ? static_cast<const char*>(tab) : end;
                                   display += static_cast<int32_t>(stop - piece);
                                   if (!tab) break;
                                   display = FTabSize * (display / FTabSize + 1);
                                   piece = stop + 1;
                               }
                           });
    }
    display += std::max(0, end - std::max(start, FTextLength + 1) + 1);
    return display;
}

void TMemoComponent::CountRowWidth(int32_t width, int delta) {
    auto found = FRowWidths.find(width);
    if (found == FRowWidths.end()) {
        FRowWidths.emplace(width, delta);
        return;
    }
    found->second += delta;
    if (found->second == 0) FRowWidths.erase(found);
}

void TMemoComponent::MeasureAllRows() {
    FRowWidths.clear();
    for (int32_t row = 1; row <= LineCount(); ++row)
        CountRowWidth(MeasureRow(row), 1);
    FMaxLineWidth = FRowWidths.rbegin()->first;
}

void TMemoComponent::SetLines(const TStrings& lines) {
    FLines->Clear();
    for (int i = 0; i < lines.Count(); ++i)
        FLines->Add(lines.Get(i));
}

// ---------------------------------------------------------------- the replacement

void TMemoComponent::ReplaceRange(TCustomRange& range, std::string_view newText) {
    const int32_t oldStart = range.RStart(), oldEnd = range.REnd();
    TUpdateGuard selectionBracket(*FSelection);
    FSelection->DiscardSnapshot();
    const int32_t pos = oldStart;
    const TReplaceMode mode = &range == FModeRange ? FReplaceMode : TReplaceMode::Typed;
    FModeRange = nullptr; // the mode is for this replacement alone, not for a handler's edits
    std::string text =
        mode == TReplaceMode::Exact ? std::string(newText) : NormalizeLineBreaks(newText);
    if (FRemoveTrailingSpaces && mode == TReplaceMode::Typed) StripBlanksBeforeBreaks(text, false);
    const int32_t newLength = static_cast<int32_t>(text.size());
    if (FAllowUndo && !FUndoing && !FDragging) RecordEdit(pos, oldEnd, range.GetText(), text);

    const int32_t startRow = CharPosToRowCol(oldStart).Row;
    const int32_t endRow = CharPosToRowCol(oldEnd + 1).Row;
    const int32_t delta = newLength - range.RLength();
    const int32_t oldMaxWidth = FMaxLineWidth;
    const bool wholeText = oldStart == 1 && oldEnd == FTextLength;

    // The rows the edit rewrites leave the width count; their new form joins it below.
    int32_t removedRows;
    if (wholeText) {
        removedRows = LineCount() - 1;
        FRowWidths.clear();
        FLineStarts.Clear();
        FLineStarts.Add(1);
    } else {
        for (int32_t row = startRow; row <= endRow; ++row)
            CountRowWidth(MeasureRow(row), -1);
        removedRows = endRow - startRow;
        FLineStarts.DeleteRange(startRow, removedRows);
    }

    FText.Replace(static_cast<size_t>(pos - 1), static_cast<size_t>(range.RLength()), text);
    FTextLength = static_cast<int32_t>(FText.Length());

    std::vector<int32_t> newStarts;
    for (int32_t j = 1; j < newLength; ++j)
        if (text[static_cast<size_t>(j - 1)] == '\r') newStarts.push_back(oldStart + j + 1);
    const int32_t insertedRows = static_cast<int32_t>(newStarts.size());
    FLineStarts.InsertRange(startRow, newStarts);
    FLineStarts.AddFrom(startRow + insertedRows, delta);

    if (wholeText) {
        MeasureAllRows();
    } else {
        for (int32_t row = startRow; row <= startRow + insertedRows; ++row)
            CountRowWidth(MeasureRow(row), 1);
        FMaxLineWidth = FRowWidths.rbegin()->first;
    }
    const bool widthChanged = FMaxLineWidth != oldMaxWidth;

    FRanges->AdjustForEdit(oldStart, oldEnd, delta, &range, FVisibleRange);

    const int32_t rowDelta = insertedRows - removedRows;
    bool topMoved = false;
    if (rowDelta != 0 && FVisibleRange->FTopRow > startRow) {
        FVisibleRange->FTopRow += rowDelta;
        topMoved = true;
    }

    if (&range == FSelection) {
        FSelection->SetRStart(pos + newLength);
        FSelection->SetREnd(pos + newLength - 1);
    } else {
        range.SetRLength(newLength);
    }

    TextChanged(pos, newLength - delta, newLength);
    if (widthChanged || rowDelta != 0) UpdateScrollBars();
    if (WindowExists()) {
        TMCRange repaint(this);
        repaint.SetRStart(topMoved ? FVisibleRange->RStart() : pos);
        repaint.SetREnd(rowDelta != 0 ? FVisibleRange->REnd() : RowColToCharPos({endRow + 1, 0}));
        repaint.Paint();
    }
    AfterTextChanged();
    selectionBracket.Close();
    Change();
}

void TMemoComponent::SetTextInMode(TCustomRange& range, std::string_view text, TReplaceMode mode) {
    FReplaceMode = mode;
    FModeRange = &range;
    struct TReset {
        const TCustomRange*& ModeRange;
        ~TReset() { ModeRange = nullptr; }
    } reset{FModeRange};
    range.SetText(text);
}

void TMemoComponent::SetTextKeepingBlanks(TCustomRange& range, std::string_view text) {
    SetTextInMode(range, text, TReplaceMode::KeepBlanks);
}

void TMemoComponent::TextChanged(int32_t, int32_t, int32_t) {}
void TMemoComponent::AfterTextChanged() {}

void TMemoComponent::Change() {
    if (FLockNotify) return;
    if (OnChange) OnChange(*this);
}

void TMemoComponent::SelectionChange() {
    if (FLockNotify) return;
    if (OnSelectionChange) OnSelectionChange(*this);
}

// ---------------------------------------------------------------- trailing blanks

void TMemoComponent::StripBlanksBeforeBreaks(std::string& text, bool atEnd) {
    std::string result;
    result.reserve(text.size());
    for (char byte : text) {
        if (byte == '\r')
            while (!result.empty() && IsBlank(result.back()))
                result.pop_back();
        result += byte;
    }
    if (atEnd)
        while (!result.empty() && IsBlank(result.back()))
            result.pop_back();
    text.swap(result);
}

void TMemoComponent::RemoveTrailingBlanks(int32_t row) {
    std::string line = FLines->Get(row - 1);
    int32_t length = static_cast<int32_t>(line.size()), keep = length;
    while (keep > 0 && IsBlank(line[static_cast<size_t>(keep - 1)]))
        --keep;
    if (keep == length) return;
    TMCRange blanks(this);
    blanks.SetStartRowCol({row, keep + 1});
    blanks.SetEndRowCol({row, length});
    blanks.Delete();
}

void TMemoComponent::RemoveAllTrailingBlanks() {
    {
        TNotifyLock quiet(*this);
        TUpdateGuard bracket(*FSelection);
        const int32_t rows = LineCount();
        for (int32_t row = 1; row <= rows; ++row)
            RemoveTrailingBlanks(row);
        bracket.Close();
    }
    Change();
}

void TMemoComponent::SetRemoveTrailingSpaces(bool value) {
    if (value == FRemoveTrailingSpaces) return;
    FRemoveTrailingSpaces = value;
    if (value) RemoveAllTrailingBlanks();
}

// ---------------------------------------------------------------- geometry

TRowCol TMemoComponent::CharPosToRowCol(int32_t pos) const {
    // The last row starting at or before pos; a binary search gives the same row as walking
    // from a proportional guess, without the walk on unevenly filled texts.
    int index = std::max(FLineStarts.FindLastNotAbove(pos), 0);
    return {index + 1, pos - FLineStarts.Data()[index] + 1};
}

int32_t TMemoComponent::RowColToCharPos(TRowCol rowCol) const {
    if (rowCol.Row <= 0) return rowCol.Col;
    if (rowCol.Row > LineCount()) return FTextLength + 2 + rowCol.Col;
    return FLineStarts.Data()[rowCol.Row - 1] + rowCol.Col - 1;
}

int32_t TMemoComponent::RowColToDisplayCol(TRowCol rowCol) const {
    if (FTabSize == 1) return rowCol.Col;
    return DisplayWalk(RowColToCharPos({rowCol.Row, 1}), rowCol.Col - 1) + 1;
}

TRowCol TMemoComponent::DisplayColToRowCol(TRowCol rowCol) const {
    DisplayColToRowColStart(rowCol);
    return rowCol;
}

int32_t TMemoComponent::DisplayColToRowColStart(TRowCol& rowCol) const {
    const int32_t wanted = rowCol.Col;
    rowCol.Row = std::min(std::max(rowCol.Row, 1), LineCount());
    int32_t col = wanted;
    if (FTabSize != 1) {
        int32_t pos = LineStart(rowCol.Row), display = 0;
        col = 1;
        while (display < wanted) {
            display =
                CharAt(pos + col - 1) == '\t' ? FTabSize * (display / FTabSize + 1) : display + 1;
            if (display < wanted) ++col;
        }
    }
    col = std::min(std::max(col, 1), LineLength(rowCol.Row) + 1);
    rowCol.Col = col;
    return FTabSize == 1 ? wanted : RowColToDisplayCol(rowCol);
}

int TMemoComponent::TabWidthAt(int32_t pos) const {
    if (FTabSize < 2) return FTabSize;
    int32_t offset = RowColToDisplayCol(CharPosToRowCol(pos)) - 1;
    return FTabSize - offset % FTabSize;
}

TRowCol TMemoComponent::PixelToRowCol(platform::TPoint point) const {
    return {(point.Y - FTopMargin) / FLineHeight + 1,
            (point.X + FCharWidth / 2 - FLeftMargin) / FCharWidth + 1};
}

platform::TPoint TMemoComponent::RowColToPixel(TRowCol rowCol) const {
    return {(rowCol.Col - 1) * FCharWidth + FLeftMargin,
            (rowCol.Row - 1) * FLineHeight + FTopMargin};
}

// ---------------------------------------------------------------- selection and view

void TMemoComponent::SelectAll() {
    FSelection->Assign(*FWholeRange);
}

void TMemoComponent::ClearSelection() {
    FSelection->Delete();
}

void TMemoComponent::ScrollCaretIntoView() {
    FSelection->ScrollIntoView(4);
}

void TMemoComponent::SetTabSize(int value) {
    if (value <= 0) value = 1;
    if (value == FTabSize) return;
    FTabSize = value;
    TUpdateGuard bracket(*FSelection);
    MeasureAllRows();
    UpdateScrollBars();
    FVisibleRange->Validate();
    FVisibleRange->Paint();
    PlaceCaret();
    bracket.Close();
}

void TMemoComponent::SetLeftMargin(int value) {
    if (value == FLeftMargin) return;
    FLeftMargin = value;
    UpdateScrollBars();
    FVisibleRange->Validate();
    FVisibleRange->Paint();
    PlaceCaret();
}

void TMemoComponent::SetTopMargin(int value) {
    if (value == FTopMargin) return;
    FTopMargin = value;
    UpdateScrollBars();
    FVisibleRange->Validate();
    FVisibleRange->Paint();
    PlaceCaret();
}

void TMemoComponent::SetReadOnly(bool value) {
    FReadOnly = value;
    ShowTextCaret();
}

void TMemoComponent::SetAlwaysShowCaret(bool value) {
    FAlwaysShowCaret = value;
    ShowTextCaret();
}

void TMemoComponent::UpdateScrollBars() {
    if (!WindowExists()) return;
    TUpdateGuard bracket(*FVisibleRange);
    UpdateBitmap();
    if (FLineHeight <= 0) FLineHeight = 13;
    if (FCharWidth <= 0) FCharWidth = 8;
    FVisibleRows = std::max((FHost->ClientHeight() - FTopMargin) / FLineHeight, 1);
    FVisibleCols = std::max((FHost->ClientWidth() - FLeftMargin) / FCharWidth, 1);
    FVisibleRange->Validate();
    FHost->SetScrollRange(platform::TScrollBarKind::Vertical, 1, LineCount(), FVisibleRows,
                          FVisibleRange->TopRow());
    FHost->SetScrollRange(platform::TScrollBarKind::Horizontal, 1, FMaxLineWidth, FVisibleCols,
                          FVisibleRange->LeftCol());
    bracket.Close();
}

void TMemoComponent::WindowCreated() {
    ApplyWindowStyle();
    if (FHost) FHost->SetWindowCursor(platform::TCursor::crIBeam);
    UpdateFontMetrics();
    CreateTextCaret();
    UpdateScrollBars();
}

// ---------------------------------------------------------------- caret

void TMemoComponent::SetFocused(bool focused) {
    FFocused = focused;
    if (focused)
        CreateTextCaret();
    else
        DestroyTextCaret();
}

void TMemoComponent::CreateTextCaret() {
    if (!FFocused || !WindowExists()) return;
    DestroyTextCaret();
    FHost->CreateCaret(2, FLineHeight - 2);
    FCaretCreated = true;
    PlaceCaret();
    ShowTextCaret();
}

void TMemoComponent::DestroyTextCaret() {
    if (!FCaretCreated) return;
    HideTextCaret();
    if (FHost) FHost->DestroyCaret();
    FCaretCreated = false;
}

void TMemoComponent::HideTextCaret() {
    if (!FCaretCreated || !FCaretShown || !WindowExists()) return;
    FHost->HideCaret();
    FCaretShown = false;
}

void TMemoComponent::ShowTextCaret() {
    if (FSelection->UpdateCount() > 0) return;
    bool hidden = !FCaretCreated || (FSelection->RLength() > 0 && !FAlwaysShowCaret) ||
                  FSelection->Hidden() || FReadOnly || !WindowExists();
    if (hidden) {
        HideTextCaret();
    } else if (!FCaretShown) {
        FHost->ShowCaret();
        FCaretShown = true;
    }
}

void TMemoComponent::PlaceCaret() {
    if (!FCaretCreated || FSelection->UpdateCount() > 0 || !WindowExists()) return;
    platform::TPoint point =
        FSelection->Backwards() ? FSelection->GetStartPoint() : FSelection->GetEndPoint();
    FHost->SetCaretPosition(point.X - 1, point.Y + 1);
}

// ---------------------------------------------------------------- indentation

void TMemoComponent::IndentSelection(int delta) {
    if (delta == 0) return;
    {
        TNotifyLock quiet(*this);
        {
            TUpdateGuard paintLock(*FVisibleRange); // nothing painted row by row
            TUndoGroup group(*this);
            int32_t firstRow = CharPosToRowCol(FSelection->RStart()).Row;
            int32_t lastRow = std::max(CharPosToRowCol(FSelection->REnd()).Row, firstRow);
            for (int32_t row = firstRow; row <= lastRow; ++row) {
                int32_t rowStart = RowColToCharPos({row, 1});
                int32_t tabs = 0;
                while (CharAt(rowStart + tabs) == '\t' && tabs < LineLength(row))
                    ++tabs;
                TMCRange place(this);
                if (delta < 0) {
                    int32_t count = std::min(-delta, tabs);
                    place.SetRStart(rowStart + tabs - count);
                    place.SetRLength(count);
                    if (count > 0) place.Delete();
                } else {
                    bool selectionFollows =
                        FSelection->RLength() > 0 && FSelection->RStart() == rowStart + tabs;
                    place.SetRStart(rowStart + tabs);
                    place.SetRLength(0);
                    place.SetText(std::string(static_cast<size_t>(delta), '\t'));
                    if (selectionFollows) FSelection->SetRStart(rowStart + tabs);
                }
            }
        }
        HideTextCaret();
        FVisibleRange->Paint();
        PlaceCaret();
        ShowTextCaret();
    }
    Change();
    SelectionChange();
}

// ---------------------------------------------------------------- Lines

int TMemoComponentStrings::Count() const {
    return FMemo.TextLength() == 0 ? 0 : FMemo.LineCount();
}

std::string TMemoComponentStrings::Get(int index) const {
    TMCRange line(&FMemo);
    line.SetStartRowCol({index + 1, 1});
    line.SetEndRowCol({index + 2, -2});
    return line.GetText();
}

void TMemoComponentStrings::Put(int index, const std::string& text) {
    TMCRange line(&FMemo);
    line.SetStartRowCol({index + 1, 1});
    line.SetEndRowCol({index + 2, -2});
    line.SetText(text);
}

void TMemoComponentStrings::Insert(int index, const std::string& text) {
    if (FMemo.TextLength() == 0) {
        FMemo.SetText(text);
        return;
    }
    TMCRange place(&FMemo);
    if (index < FMemo.LineCount()) {
        place.SetStartRowCol({index + 1, 1});
        place.SetRLength(0);
        place.SetText(text + "\r\n");
    } else {
        place.SetRStart(FMemo.TextLength() + 1);
        place.SetRLength(0);
        place.SetText("\r\n" + text);
    }
}

int TMemoComponentStrings::Add(const std::string& text) {
    int index = Count();
    Insert(index, text);
    return index;
}

void TMemoComponentStrings::Delete(int index) {
    TMCRange line(&FMemo);
    if (index < FMemo.LineCount() - 1) {
        line.SetStartRowCol({index + 1, 1});
        line.SetEndRowCol({index + 2, 0});
    } else {
        if (index >= FMemo.LineCount()) return;
        line.SetStartRowCol({index + 1, -1});
        line.SetEndRowCol({index + 2, -2});
    }
    line.SetText({});
}

void TMemoComponentStrings::Clear() {
    FMemo.Clear();
}

std::string TMemoComponentStrings::Text() const {
    return std::string(FMemo.Text());
}

void TMemoComponentStrings::SetText(const std::string& text) {
    FMemo.SetText(text);
}

void TMemoComponentStrings::SaveToFile(const std::string& fileName) const {
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file) throw EFCreateError(Format("Cannot create file \"%s\"", fileName.c_str()));
    std::string_view text = FMemo.Text();
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        throw EWriteError(Format("Error writing to file \"%s\"", fileName.c_str()));
}
