// TMemoComponent on screen: the range painter on the character grid, formatted ranges, font
// metrics, the back buffer, scrolling the view by moving pixels, and the scroll messages.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "editor/MemoComponent.h"

namespace {

bool IsBreak(char byte) {
    return byte == '\r' || byte == '\n';
}

// Where decoding may start for a character that contains or follows offset: a byte below
// 0x30 is never part of a multibyte character of the code page, so the row's text need be
// read only from the last such byte (rows of unbroken Chinese go back to the row start).
size_t DecodeStart(std::string_view row, size_t offset) {
    while (offset > 0 && static_cast<unsigned char>(row[offset - 1]) >= 0x30)
        --offset;
    return offset;
}

} // namespace

// ---------------------------------------------------------------- canvas and caret

platform::Canvas* TMemoComponent::PaintCanvas() {
    if (FBitmapped) {
        UpdateBitmap();
        if (FBitmap) return &FBitmap->GetCanvas();
    }
    return FHost->WindowCanvas();
}

// Drawing straight onto the window would draw over the caret: hide it while the range
// painted lies at the caret.
void TMemoComponent::HideCaretFor(const TCustomRange& range) {
    if (FBitmapped) return;
    int32_t caret = FSelection->CaretPos();
    if (range.RStart() >= caret - 1 && range.REnd() <= caret) HideTextCaret();
}

void TMemoComponent::FillClient(platform::Canvas& canvas, const platform::TRect& rect) {
    canvas.SetBrushColor(FColor);
    canvas.FillRect(rect);
}

void TMemoComponent::PaintMargins(const platform::TRect& leftRect, const platform::TRect& topRect,
                                  platform::Canvas* canvas) {
    if (!canvas) return;
    FillClient(*canvas, leftRect);
    FillClient(*canvas, topRect);
}

void TMemoComponent::SetBitmapped(bool value) {
    FBitmapped = value;
    if (!value) FBitmap.reset();
}

void TMemoComponent::UpdateBitmap() {
    if (!FBitmapped) {
        FBitmap.reset();
        return;
    }
    if (!WindowExists()) return;
    const int width = FHost->ClientWidth(), height = FHost->ClientHeight();
    bool fresh = false;
    if (!FBitmap) {
        FBitmap = FHost->CreateBitmap(width, height);
        if (!FBitmap) return;
        fresh = true;
    }
    if (fresh || FBitmap->Width() != width || FBitmap->Height() != height) {
        FBitmap->SetSize(width, height);
        PaintMargins({0, 0, FLeftMargin, height}, {0, 0, width, FTopMargin}, &FBitmap->GetCanvas());
    }
}

// ---------------------------------------------------------------- the window

// The scroll bars ScrollBars asks for, and a sunken edge for a single border.
void TMemoComponent::ApplyWindowStyle() {
    if (!WindowExists()) return;
    const bool horizontal =
        FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth;
    const bool vertical =
        FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth;
    FHost->SetWindowStyle(horizontal, vertical, FBorderStyle == TBorderStyle::bsSingle);
}

void TMemoComponent::SetScrollBars(TScrollStyle value) {
    if (value == FScrollBars) return;
    FScrollBars = value;
    ApplyWindowStyle();
}

void TMemoComponent::SetBorderStyle(TBorderStyle value) {
    if (value == FBorderStyle) return;
    FBorderStyle = value;
    ApplyWindowStyle();
}

void TMemoComponent::Paint() {
    if (!WindowExists()) return;
    platform::Canvas* window = FHost->WindowCanvas();
    if (!window) return;
    HideTextCaret();
    const int width = FHost->ClientWidth(), height = FHost->ClientHeight();
    if (FBitmapped) UpdateBitmap();
    if (FBitmapped && FBitmap) {
        window->CopyRect({0, 0, width, height}, FBitmap->GetCanvas(), {0, 0, width, height});
    } else {
        PaintMargins({0, 0, FLeftMargin, height}, {0, 0, width, FTopMargin}, window);
        FVisibleRange->Paint();
    }
    ShowTextCaret();
}

void TMemoComponent::Resized() {
    const int oldWidth = FBitmap ? FBitmap->Width() : 0,
              oldHeight = FBitmap ? FBitmap->Height() : 0;
    UpdateScrollBars();
    // What comes into view in the grown back buffer has never been painted.
    if (FBitmap && (FBitmap->Width() > oldWidth || FBitmap->Height() > oldHeight))
        FVisibleRange->Paint();
}

void TMemoComponent::SetFont(const platform::TFontData& font) {
    if (font == FFont) return;
    FFont = font;
    UpdateFontMetrics();
    FVisibleRange->Validate();
    FVisibleRange->Paint();
}

void TMemoComponent::UpdateFontMetrics() {
    FWidthStyles = {};
    if (!WindowExists()) return;
    platform::Canvas* canvas = FHost->WindowCanvas();
    if (!canvas) return;
    canvas->SetFont(FFont);
    FCharWidth = canvas->TextWidth("M");
    FLineHeight = canvas->TextHeight("Q");
    for (TFontStyle style : {TFontStyle::fsBold, TFontStyle::fsItalic}) {
        platform::TFontData styled = FFont;
        styled.Style.Include(style);
        canvas->SetFont(styled);
        if (canvas->TextWidth("M") != FCharWidth) FWidthStyles.Include(style);
        canvas->SetFont(FFont);
    }
    CreateTextCaret();
    UpdateScrollBars();
}

// ---------------------------------------------------------------- painting ranges

void TMemoComponent::PaintRange(TCustomRange& range) {
    if (range.Memo() != this || !WindowExists() || FVisibleRange->UpdateCount() > 0) return;
    if (range.RLength() <= 0 && &range != FVisibleRange && &range != FWholeRange.get() &&
        range.RStart() < FTextLength)
        return;
    platform::Canvas* canvas = PaintCanvas();
    if (!canvas) return;
    HideCaretFor(range);
    const int width = FHost->ClientWidth(), height = FHost->ClientHeight();

    if (FTextLength == 0) {
        FillClient(*canvas, {0, 0, width, height});
        PaintComposition(*canvas, 1, 1);
    } else {
        const TRowCol start = range.GetStartRowCol(), end = range.GetEndRowCol();
        const int32_t top = FVisibleRange->TopRow(), left = FVisibleRange->LeftCol();
        const int32_t firstRow = std::max(start.Row, top);
        int32_t lastRow = end.Row + (range.REnd() >= FTextLength ? 1 : 0);
        lastRow = std::min(lastRow,
                           top + FVisibleRows + 1 + (FVisibleRange->REnd() >= FTextLength ? 1 : 0));
        TMCRange piece(this);
        for (int32_t row = firstRow; row <= lastRow; ++row) {
            const int y = (row - top) * FLineHeight + FTopMargin;
            TRowCol from{row, row == start.Row ? start.Col : 1};
            from.Col = std::max(RowColToDisplayCol(from), left);
            const int32_t display = DisplayColToRowColStart(from);
            int32_t endCol = row == end.Row ? end.Col : LineLength(row) + 2;
            endCol = std::min(endCol, FVisibleRange->RightCol());
            const bool beyond =
                row >= LineCount() && RowColToCharPos({row, from.Col - 1}) > FTextLength;
            if (beyond) {
                if (FSelection->CaretPos() > FTextLength) HideTextCaret();
                FillClient(*canvas, {FLeftMargin, y, width, y + FLineHeight});
            } else if (endCol >= from.Col ||
                       (row == lastRow && RowColToCharPos({row, endCol}) >= FTextLength)) {
                piece.SetRStart(RowColToCharPos(from));
                piece.SetREnd(RowColToCharPos({row, endCol}));
                PaintRowText(piece, (display - left) * FCharWidth + FLeftMargin, y,
                             FTabSize - (display - 1) % FTabSize);
            }
            if (row >= LineCount() || beyond) {
                if (FSelection->RStart() >= FTextLength) HideTextCaret();
                FillClient(*canvas,
                           {FLeftMargin, (LineCount() - top + 1) * FLineHeight + FTopMargin, width,
                            height});
            }
        }
        PaintComposition(*canvas, firstRow, lastRow);
    }
    if (!FBitmapped)
        ShowTextCaret();
    else if (!FPaintingScrollBand)
        FHost->Invalidate();
}

void TMemoComponent::PaintRowText(TCustomRange& range, int x, int y, int firstTabWidth) {
    if (!WindowExists() || (range.RLength() <= 0 && range.REnd() < FTextLength)) return;
    platform::Canvas* canvas = PaintCanvas();
    if (!canvas) return;
    HideCaretFor(range);
    const int width = FHost->ClientWidth();

    TFormattedRangeArray ranges;
    GetFormattedRanges(range, ranges);
    std::vector<std::unique_ptr<TCustomFormattedRange>> owned;
    for (TCustomFormattedRange* formatted : ranges)
        if (formatted->FreeAfterPaint()) owned.emplace_back(formatted);
    // The row's bytes give the canvas the context of characters cut by a piece's edges.
    const int32_t rowStart = LineStart(CharPosToRowCol(range.RStart()).Row);
    const std::string row = TextAt(rowStart, range.REnd() + 4 - rowStart);
    const std::string_view rowView = row;
    platform::TRect rect{x, y, x, y + FLineHeight};
    int columnsLeft = firstTabWidth;
    std::string text;
    for (TCustomFormattedRange* formatted : ranges) {
        formatted->AdjustFontStyle();
        if (formatted->RLength() <= 0) continue;
        const platform::TFontData font = formatted->Font();
        canvas->SetBrushColor(formatted->Color());
        canvas->SetFont(font);
        std::string bytes = formatted->GetText();
        const char last = bytes.back();
        if (last == '\n')
            bytes.resize(bytes.size() >= 2 ? bytes.size() - 2 : 0);
        else if (last == '\r')
            bytes.pop_back();
        text.clear();
        for (char byte : bytes) {
            if (byte == '\t') {
                text.append(static_cast<size_t>(columnsLeft), ' ');
                columnsLeft = FTabSize;
            } else {
                text += byte;
                if (--columnsLeft <= 0) columnsLeft += FTabSize;
            }
        }
        rect.Right = IsBreak(last) ? width : rect.Left + static_cast<int>(text.size()) * FCharWidth;
        const int textX = rect.Left;
        const int textY = font.Style.Contains(TFontStyle::fsItalic) &&
                                  font.Name.find("Courier") != std::string::npos
                              ? y - 1
                              : y;
        rect.Left = std::max(rect.Left, FLeftMargin);
        if (rect.Left < rect.Right) {
            const size_t offset = static_cast<size_t>(std::max(formatted->RStart() - rowStart, 0));
            const size_t context = DecodeStart(rowView, std::min(offset, rowView.size()));
            const size_t after = std::min(offset + bytes.size(), rowView.size());
            canvas->TextRect(rect, textX, textY,
                             platform::TTextPiece(rowView.substr(context, offset - context), text,
                                                  rowView.substr(after)));
        }
        rect.Left = rect.Right;
    }
    if (range.REnd() >= FTextLength)
        FillClient(*canvas, {std::max(rect.Left, FLeftMargin), y, width, y + FLineHeight});
}

void TMemoComponent::GetFormattedRanges(TCustomRange& range, TFormattedRangeArray& ranges) {
    auto addNormal = [&](int32_t from, int32_t to) {
        auto piece = std::make_unique<TNormalFormattedRange>(nullptr, this);
        piece->SetRStart(from);
        piece->SetREnd(to);
        piece->SetFreeAfterPaint(true);
        ranges.push_back(piece.release()); // the painter frees it (FreeAfterPaint)
    };
    int32_t from = range.RStart();
    if (!FSelection->Hidden() && FSelection->RLength() > 0) {
        int32_t before = std::min(FSelection->RStart() - 1, range.REnd());
        if (before >= from) addNormal(from, before);
        int32_t selFrom = std::max(FSelection->RStart(), range.RStart());
        int32_t selTo = std::min(FSelection->REnd(), range.REnd());
        if (selTo >= selFrom) {
            auto piece = std::make_unique<TFormattedRange>(nullptr, this);
            piece->SetRStart(selFrom);
            piece->SetREnd(selTo);
            piece->SetColor(clHighlight);
            platform::TFontData font = FFont;
            font.Color = clHighlightText;
            piece->SetFont(font);
            piece->SetFreeAfterPaint(true);
            ranges.push_back(piece.release());
        }
        from = std::max(FSelection->REnd() + 1, range.RStart());
    }
    if (range.REnd() >= from) addNormal(from, range.REnd());
}

// ---------------------------------------------------------------- scrolling

void TMemoComponent::VisibleRangeChanged(const platform::TRect& lastRect) {
    if (!WindowExists()) return;
    const platform::TRect now = FVisibleRange->CurrentRect();
    if (now == lastRect) return;
    HideTextCaret();
    if (now.Left == lastRect.Left && now.Top < lastRect.Bottom - 1 &&
        lastRect.Top < now.Bottom - 1) {
        // The rows overlap: move the pixels and paint only the band that came free.
        const int rows = lastRect.Top - now.Top;
        const int width = FHost->ClientWidth(), height = FHost->ClientHeight();
        const int distance = rows * FLineHeight;
        const platform::TRect textArea{FLeftMargin, FTopMargin, width, height};
        platform::TRect band;
        // With a back buffer the window's pixels move too, and only the band that came free
        // is copied across: copying the whole buffer cost more than the scroll itself.
        bool windowFollows = false;
        if (FBitmapped && FBitmap) {
            platform::Canvas& canvas = FBitmap->GetCanvas();
            if (distance > 0) {
                canvas.CopyRect({FLeftMargin, FTopMargin + distance, width, height}, canvas,
                                {FLeftMargin, FTopMargin, width, height - distance});
                band = {FLeftMargin, FTopMargin, width, FTopMargin + distance};
            } else {
                canvas.CopyRect({FLeftMargin, FTopMargin, width, height + distance}, canvas,
                                {FLeftMargin, FTopMargin - distance, width, height});
                band = {FLeftMargin, height + distance, width, height};
            }
            windowFollows = FHost->ScrollWindow(distance, textArea) == band;
        } else {
            band = FHost->ScrollWindow(distance, textArea);
        }
        if (band.Bottom > band.Top && band.Right > band.Left) {
            TMCRange uncovered(this);
            const int32_t top = FVisibleRange->TopRow();
            uncovered.SetStartRowCol({top + band.Top / FLineHeight, 1});
            uncovered.SetEndRowCol({top + (band.Bottom + FLineHeight - 1) / FLineHeight, 1});
            struct TBandGuard {
                bool& Flag;
                ~TBandGuard() { Flag = false; }
            } guard{FPaintingScrollBand};
            FPaintingScrollBand = windowFollows;
            uncovered.Paint();
        }
        if (windowFollows) {
            if (platform::Canvas* window = FHost->WindowCanvas())
                window->CopyRect(band, FBitmap->GetCanvas(), band);
        } else if (FBitmapped) {
            FHost->Invalidate();
        }
    } else {
        FVisibleRange->Paint();
    }
    PlaceCaret();
    ShowTextCaret();
}

void TMemoComponent::Scroll(platform::TScrollBarKind bar, platform::TScrollCode code,
                            int position) {
    if (!WindowExists()) return;
    using platform::TScrollCode;
    const bool vertical = bar == platform::TScrollBarKind::Vertical;
    TUpdateGuard bracket(*FVisibleRange);
    const int current = FHost->ScrollPosition(bar);
    const int page = vertical ? FVisibleRows : FVisibleCols;
    const int last = vertical ? LineCount() - FVisibleRows + 1 : FMaxLineWidth - FVisibleCols + 1;
    int next = current;
    switch (code) {
    case TScrollCode::scLineUp:
        next = current - 1;
        break;
    case TScrollCode::scLineDown:
        next = current + 1;
        break;
    case TScrollCode::scPageUp:
        next = current - page;
        break;
    case TScrollCode::scPageDown:
        next = current + page;
        break;
    case TScrollCode::scPosition:
    case TScrollCode::scTrack:
        next = position;
        break;
    case TScrollCode::scTop:
        next = 1;
        break;
    case TScrollCode::scBottom:
        next = last;
        break;
    default:
        break;
    }
    next = std::max(std::min(next, last), 1);
    if (next == current) return; // the guard cancels the bracket
    FHost->SetScrollPosition(bar, next);
    if (vertical)
        FVisibleRange->FTopRow = next;
    else
        FVisibleRange->FLeftCol = next;
    bracket.Close();
    FHost->Update();
}

bool TMemoComponent::MouseWheel(platform::TScrollBarKind bar, int delta, platform::TShiftState) {
    // 120 units are 3 rows or columns, so one is 40 units.
    constexpr int kUnitsPerStep = 40;
    int& rest = FWheelRest[bar == platform::TScrollBarKind::Vertical ? 0 : 1];
    // Turning back drops what the other way had gathered.
    if ((rest > 0 && delta < 0) || (rest < 0 && delta > 0)) rest = 0;
    rest += delta;
    const int steps = rest / kUnitsPerStep;
    rest -= steps * kUnitsPerStep;
    if (steps != 0 && WindowExists())
        Scroll(bar, platform::TScrollCode::scPosition, FHost->ScrollPosition(bar) - steps);
    return true;
}
