// TMemoComponent and input methods: the preedit drawn at the caret, and the committed text.
#include <algorithm>
#include <string>

#include "editor/MemoComponent.h"

// The preedit is drawn over the text at the caret, so ending or changing it paints the
// caret's row again: the row's painting draws the preedit there is now.
void TMemoComponent::CompositionChanged(std::string_view preedit) {
    if (FReadOnly) preedit = {};
    if (preedit == FComposition) return;
    FComposition = preedit;
    if (!WindowExists()) return;
    const int32_t row = CharPosToRowCol(FSelection->CaretPos()).Row;
    TMCRange line(this);
    line.SetRStart(RowColToCharPos({row, 1}));
    line.SetREnd(RowColToCharPos({row + 1, 0}));
    line.Paint();
}

// Not through KeyPress: the text is no key, and byte by byte a replaced selection and the
// bytes typed over it would be several undo steps.
void TMemoComponent::CompositionCommitted(std::string_view text) {
    CompositionChanged({});
    if (FReadOnly || text.empty()) return;
    FUndoHeadClosed = true;
    FSelection->SetText(text);
    FUndoHeadClosed = true;
    FSelection->ScrollIntoView(4);
}

void TMemoComponent::PaintComposition(platform::Canvas& canvas, int32_t firstRow, int32_t lastRow) {
    if (FComposition.empty()) return;
    const int32_t row = CharPosToRowCol(FSelection->CaretPos()).Row;
    if (row < firstRow || row > lastRow) return;
    // Where the caret stands (PlaceCaret).
    const platform::TPoint at =
        FSelection->Backwards() ? FSelection->GetStartPoint() : FSelection->GetEndPoint();
    if (at.Y < FTopMargin) return;
    const int cells = static_cast<int>(FComposition.size());
    const platform::TRect rect{std::max(at.X, FLeftMargin), at.Y,
                               std::min(at.X + cells * FCharWidth, FHost->ClientWidth()),
                               at.Y + FLineHeight};
    if (rect.Left >= rect.Right || rect.Top >= FHost->ClientHeight()) return;
    platform::TFontData font = FFont;
    font.Style.Include(TFontStyle::fsUnderline);
    canvas.SetBrushColor(FColor);
    canvas.SetFont(font);
    canvas.TextRect(rect, at.X, at.Y, platform::TTextPiece(FComposition));
}
