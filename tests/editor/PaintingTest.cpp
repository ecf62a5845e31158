// Painting through the recording canvas: formatted pieces and highlighting, tab expansion,
// styles that would break the grid, empty text, what edits and scrolling repaint, the back
// buffer, the caret's place, and characters cut by a piece's edge.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "ScreenTest.h"

using namespace platform;
using namespace platform::headless;

namespace {

// Every text piece drawn by action, on the window or into the back buffer.
std::vector<TCanvasOp> TextsDuring(TScreenFixture& screen, const std::function<void()>& action) {
    RecordingCanvas& canvas =
        screen.Host.Bitmaps().empty() ? screen.Screen() : screen.Host.Bitmaps()[0]->Recording();
    canvas.ClearOps();
    action();
    return canvas.OpsOf(TCanvasOpKind::Text);
}

} // namespace

TEST(Painting, SelectedBytesAreHighlightedAndTheBreakFillsTheRow) {
    TScreenFixture screen;
    screen.Memo.SetText("ab\r\ncd");
    screen.Memo.Selection().SetRStart(2);
    screen.Memo.Selection().SetREnd(2);
    const int y = 0, left = screen.Memo.LeftMargin();
    EXPECT_EQ(screen.RowOnScreen(1, 3), "ab ");
    EXPECT_EQ(screen.Screen().PixelAt(left, y), (TPixel{clWindow, clWindowText, 'a', {}}));
    EXPECT_EQ(screen.Screen().PixelAt(left + 8, y),
              (TPixel{clHighlight, clHighlightText, 'b', {}}));
    EXPECT_EQ(screen.Screen().PixelAt(199, y).Back, clWindow);

    // The whole first row through its break: three pieces, the last one to the right edge.
    std::vector<TCanvasOp> texts = TextsDuring(screen, [&] {
        TMCRange row(&screen.Memo);
        row.SetRStart(1);
        row.SetREnd(4);
        row.Paint();
    });
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].Text, "a");
    EXPECT_EQ(texts[0].Rect, (TRect{2, 0, 10, 13}));
    EXPECT_EQ(texts[1].Text, "b");
    EXPECT_EQ(texts[1].Brush, clHighlight);
    EXPECT_EQ(texts[1].Font.Color, clHighlightText);
    EXPECT_EQ(texts[2].Text, "");
    EXPECT_EQ(texts[2].Rect, (TRect{18, 0, 200, 13}));
    EXPECT_EQ(texts[2].Brush, clWindow);

    // A hidden selection is drawn plain.
    screen.Memo.Selection().SetHidden(true);
    EXPECT_EQ(screen.Screen().PixelAt(left + 8, y).Back, clWindow);
}

TEST(Painting, TabsExpandFromTheSegmentsFirstColumn) {
    TScreenFixture screen;
    screen.Memo.SetTabSize(4);
    screen.Memo.SetText("\tx\r\ny\tz\r\nab\tc");
    // A segment starting at display column 3 has two columns to the next stop.
    auto segment = [&](int32_t from, int32_t to) {
        return TextsDuring(screen, [&] {
            TMCRange range(&screen.Memo);
            range.SetRStart(from);
            range.SetREnd(to);
            screen.Memo.PaintRowText(range, 18, 0, 2);
        });
    };
    EXPECT_EQ(screen.RowOnScreen(1, 6), "    x ");
    EXPECT_EQ(screen.RowOnScreen(2, 6), "y   z ");
    EXPECT_EQ(segment(1, 2)[0].Text, "  x");
    EXPECT_EQ(segment(5, 7)[0].Text, "y z");
    screen.Memo.VisibleRange().Paint();
    // The stop carries from one piece to the next: a selected b, then the tab.
    screen.Memo.Selection().SetRStart(11);
    screen.Memo.Selection().SetREnd(11);
    EXPECT_EQ(screen.RowOnScreen(3, 6), "ab  c ");
    EXPECT_EQ(screen.Screen().PixelAt(2 + 8 * 2, 26).Back, clWindow);
    EXPECT_EQ(screen.Screen().PixelAt(2 + 8 * 1, 26).Back, clHighlight);
}

namespace {

// Colours every piece bold, as the syntax colouring may.
class TBoldMemo : public TMemoComponent {
public:
    using TMemoComponent::TMemoComponent;
    void GetFormattedRanges(TCustomRange& range, TFormattedRangeArray& ranges) override {
        auto piece = std::make_unique<TFormattedRange>(nullptr, this);
        piece->SetRStart(range.RStart());
        piece->SetREnd(range.REnd());
        TFontData font = Font();
        font.Style = {TFontStyle::fsBold, TFontStyle::fsUnderline};
        piece->SetFont(font);
        piece->SetFreeAfterPaint(true);
        ranges.push_back(piece.release());
    }
};

std::vector<TCanvasOp> BoldTexts(TCanvasMetrics metrics) {
    HeadlessHost host(200, 130, metrics);
    TBoldMemo memo(&host);
    memo.WindowCreated();
    memo.SetText("word");
    return host.Screen().OpsOf(TCanvasOpKind::Text);
}

} // namespace

TEST(Painting, StylesThatWidenTheCellAreDropped) {
    // Bold wider than regular: drawn regular, underline kept.
    std::vector<TCanvasOp> wide = BoldTexts({8, 13, 9, 0});
    ASSERT_FALSE(wide.empty());
    EXPECT_FALSE(wide[0].Font.Style.Contains(TFontStyle::fsBold));
    EXPECT_TRUE(wide[0].Font.Style.Contains(TFontStyle::fsUnderline));
    // Bold as wide as regular stays bold; italic wider only strips italic.
    std::vector<TCanvasOp> same = BoldTexts({8, 13, 0, 9});
    ASSERT_FALSE(same.empty());
    EXPECT_TRUE(same[0].Font.Style.Contains(TFontStyle::fsBold));

    HeadlessHost host(200, 130, {8, 13, 9, 10});
    TMemoComponent memo(&host);
    memo.WindowCreated();
    EXPECT_EQ(memo.WidthStyles(), (TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic}));
}

TEST(Painting, AnEmptyEditorPaintsItsClientAreaInItsColour) {
    TScreenFixture screen;
    screen.Memo.SetText("something");
    screen.Memo.SetColor(clRed);
    screen.Screen().ClearOps();
    screen.Memo.SetText("");
    std::vector<TCanvasOp> fills = screen.Screen().OpsOf(TCanvasOpKind::Fill);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills.back().Rect, (TRect{0, 0, 200, 130}));
    for (const TPixel& pixel : screen.Screen().Pixels({0, 0, 200, 130}))
        ASSERT_EQ(pixel.Back, clRed);
}

TEST(Painting, EditsRepaintFromTheEditToTheEndOfTheirRowOrOfTheView) {
    TScreenFixture screen;
    screen.Memo.SetText(TScreenFixture::NumberedLines(20));
    screen.Memo.Selection().MoveCaret(screen.Memo.RowColToCharPos({3, 3}));
    std::vector<TCanvasOp> typed = TextsDuring(screen, [&] { screen.Memo.KeyPress('X'); });
    ASSERT_FALSE(typed.empty());
    for (const TCanvasOp& op : typed) {
        EXPECT_EQ(op.Y, 26);
        EXPECT_GE(op.Rect.Left, 2 + 8 * 2);
    }
    EXPECT_EQ(screen.RowOnScreen(3, 8), "liXne 3 ");

    // A new row moves every row below it: they are repainted through the view's end.
    std::vector<TCanvasOp> broken = TextsDuring(screen, [&] { screen.Memo.KeyPress('\r'); });
    int lowest = 0;
    for (const TCanvasOp& op : broken) {
        EXPECT_GE(op.Y, 26);
        lowest = std::max(lowest, op.Y);
    }
    EXPECT_GE(lowest, 9 * 13);
    EXPECT_EQ(screen.RowOnScreen(4, 8), "ne 3    ");
    EXPECT_EQ(screen.RowOnScreen(10, 8), "line 9  ");
}

namespace {

// Scrolling moves pixels and paints the uncovered band; the picture must be the one a full
// repaint gives.
void CheckScrolling(bool bitmapped) {
    TScreenFixture screen;
    screen.Memo.SetBitmapped(bitmapped);
    screen.Memo.SetText(TScreenFixture::NumberedLines(100));
    screen.Host.ProcessPaint();
    const TRect client{0, 0, 200, 130};

    screen.Screen().ClearOps();
    std::vector<TCanvasOp> texts = TextsDuring(
        screen, [&] { screen.Memo.Scroll(TScrollBarKind::Vertical, TScrollCode::scLineDown, 0); });
    screen.Host.ProcessPaint();
    // The window's pixels move as well; a back buffer hands over only the new row.
    EXPECT_EQ(screen.Screen().OpsOf(TCanvasOpKind::Scroll).size(), 1u);
    for (const TCanvasOp& copy : screen.Screen().OpsOf(TCanvasOpKind::Copy))
        EXPECT_EQ(copy.Rect.Bottom - copy.Rect.Top, 13) << "a copy of more than the new row";
    EXPECT_EQ(screen.Memo.VisibleRange().TopRow(), 2);
    EXPECT_EQ(screen.Host.ScrollPosition(TScrollBarKind::Vertical), 2);
    ASSERT_FALSE(texts.empty());
    for (const TCanvasOp& op : texts) {
        if (op.Y < 130) {
            EXPECT_EQ(op.Y, 9 * 13) << "only the new bottom row";
        }
    }
    EXPECT_EQ(screen.RowOnScreen(1, 7), "line 2 ");
    EXPECT_EQ(screen.RowOnScreen(10, 7), "line 11");
    std::vector<TPixel> scrolled = screen.Screen().Pixels(client);

    // Back up: the top row is the band.
    texts = TextsDuring(
        screen, [&] { screen.Memo.Scroll(TScrollBarKind::Vertical, TScrollCode::scLineUp, 0); });
    screen.Host.ProcessPaint();
    for (const TCanvasOp& op : texts) {
        // The band's range ends at column 1 of the row below it.
        EXPECT_TRUE(op.Y == 0 || (op.Y == 13 && op.Text.size() <= 1)) << op.Y << " " << op.Text;
    }
    EXPECT_EQ(screen.RowOnScreen(1, 7), "line 1 ");

    // The thumb more than a page away: everything is painted afresh.
    texts = TextsDuring(
        screen, [&] { screen.Memo.Scroll(TScrollBarKind::Vertical, TScrollCode::scTrack, 50); });
    screen.Host.ProcessPaint();
    EXPECT_GE(texts.size(), 10u);
    EXPECT_EQ(screen.RowOnScreen(1, 7), "line 50");

    // The incremental picture equals a full repaint.
    screen.Memo.Scroll(TScrollBarKind::Vertical, TScrollCode::scTrack, 1);
    screen.Memo.Scroll(TScrollBarKind::Vertical, TScrollCode::scLineDown, 0);
    screen.Host.ProcessPaint();
    EXPECT_TRUE(screen.Screen().Pixels(client) == scrolled);
    screen.Memo.VisibleRange().Paint();
    screen.Host.Invalidate();
    screen.Host.ProcessPaint();
    EXPECT_TRUE(screen.Screen().Pixels(client) == scrolled);
}

} // namespace

TEST(Painting, ScrollingByARowPaintsOnlyTheNewRow) {
    CheckScrolling(false);
}

TEST(Painting, ScrollingTheBackBufferPaintsOnlyTheNewRow) {
    CheckScrolling(true);
}

// A notch (120 units) is 3 rows; finer steps of a high-resolution wheel or a touchpad add up
// to rows, 40 units each, keeping what is left for the next step in the same direction.
TEST(Painting, TheWheelScrollsThreeRowsANotchAndAddsUpFinerSteps) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetText(TScreenFixture::NumberedLines(100));
    const auto vertical = TScrollBarKind::Vertical, horizontal = TScrollBarKind::Horizontal;
    auto top = [&] { return memo.VisibleRange().TopRow(); };
    EXPECT_TRUE(memo.MouseWheel(vertical, -120, {}));
    EXPECT_EQ(top(), 4);
    for (int step = 0; step < 3; ++step)
        memo.MouseWheel(vertical, -40, {});
    EXPECT_EQ(top(), 7);
    EXPECT_EQ(screen.Host.ScrollPosition(vertical), 7);
    EXPECT_TRUE(memo.MouseWheel(vertical, -30, {}));
    EXPECT_EQ(top(), 7);
    memo.MouseWheel(vertical, -30, {}); // 60: a row, 20 kept
    EXPECT_EQ(top(), 8);
    memo.MouseWheel(vertical, -20, {});
    EXPECT_EQ(top(), 9);
    memo.MouseWheel(vertical, -100, {}); // 2 rows, 20 kept
    EXPECT_EQ(top(), 11);
    // Turning back drops what was kept: 30 up is no row, although 20 down were kept.
    memo.MouseWheel(vertical, 30, {});
    EXPECT_EQ(top(), 11);
    memo.MouseWheel(vertical, 10, {});
    EXPECT_EQ(top(), 10);
    memo.MouseWheel(vertical, -30, {});
    memo.MouseWheel(vertical, -30, {});
    EXPECT_EQ(top(), 11);

    // Read-only too, and the caret stays.
    memo.SetReadOnly(true);
    memo.MouseWheel(vertical, 240, {});
    EXPECT_EQ(top(), 5);
    EXPECT_EQ(memo.Selection().CaretPos(), 1);
    // Never past the ends.
    memo.MouseWheel(vertical, 360, {});
    EXPECT_EQ(top(), 1);
    memo.Scroll(vertical, TScrollCode::scBottom, 0);
    EXPECT_EQ(top(), 91);
    memo.MouseWheel(vertical, -120, {});
    EXPECT_EQ(top(), 91);

    // Sideways: 3 columns a notch, adding up the same way, apart from the vertical rest.
    memo.SetText(std::string(100, 'x'));
    auto left = [&] { return memo.VisibleRange().LeftCol(); };
    EXPECT_EQ(left(), 1);
    memo.MouseWheel(vertical, -20, {});
    memo.MouseWheel(horizontal, -120, {});
    EXPECT_EQ(left(), 4);
    memo.MouseWheel(horizontal, -20, {});
    EXPECT_EQ(left(), 4);
    memo.MouseWheel(vertical, -20, {});
    memo.MouseWheel(horizontal, -20, {});
    EXPECT_EQ(left(), 5);
    EXPECT_EQ(screen.Host.ScrollPosition(horizontal), 5);
    memo.MouseWheel(horizontal, 80, {});
    EXPECT_EQ(left(), 3);
    EXPECT_EQ(top(), 1);
}

TEST(Painting, TheBackBufferReachesTheWindowOnPaintAndGrowsWithIt) {
    TScreenFixture screen;
    screen.Memo.SetBitmapped(true);
    screen.Memo.SetText(TScreenFixture::NumberedLines(30));
    ASSERT_EQ(screen.Host.Bitmaps().size(), 1u);
    RecordingCanvas& buffer = screen.Host.Bitmaps()[0]->Recording();
    EXPECT_EQ(buffer.TextAt(2, 0, 6), "line 1");
    // The window shows it only after its paint, as a copy.
    EXPECT_NE(screen.RowOnScreen(1, 6), "line 1");
    screen.Screen().ClearOps();
    screen.Host.ProcessPaint();
    EXPECT_EQ(screen.RowOnScreen(1, 6), "line 1");
    EXPECT_TRUE(screen.Texts().empty());
    ASSERT_EQ(screen.Screen().OpsOf(TCanvasOpKind::Copy).size(), 1u);

    // Rows that come into view when the control grows are painted into the buffer.
    screen.Host.SetClientSize(200, 260);
    screen.Host.ProcessPaint();
    EXPECT_EQ(buffer.Height(), 260);
    EXPECT_EQ(screen.RowOnScreen(15, 7), "line 15");
    EXPECT_EQ(screen.RowOnScreen(20, 7), "line 20");
    screen.Memo.SetBitmapped(false);
    EXPECT_TRUE(screen.Host.Bitmaps().empty());
}

TEST(Painting, CharactersCutByASelectionEdgeCarryTheirRow) {
    TScreenFixture screen;
    screen.Memo.SetText("a\xD6\xD0"
                        "b");
    // The selection ends between the two bytes of the character.
    screen.Memo.Selection().SetRStart(1);
    screen.Memo.Selection().SetREnd(2);
    std::vector<TCanvasOp> texts = TextsDuring(screen, [&] { screen.Memo.VisibleRange().Paint(); });
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, "a\xD6");
    EXPECT_EQ(texts[0].After.substr(0, 2), "\xD0"
                                           "b");
    EXPECT_EQ(texts[1].Text, "\xD0"
                             "b");
    EXPECT_EQ(texts[1].Before, "a\xD6");
    EXPECT_EQ(screen.RowOnScreen(1, 4), "a\xD6\xD0"
                                        "b");
}

TEST(Painting, TheCaretStandsBeforeItsCellAndHidesForSelectionsAndReadOnly) {
    TScreenFixture screen;
    screen.Memo.SetText("abc\r\ndef");
    EXPECT_TRUE(screen.Host.CaretCreated());
    EXPECT_EQ(screen.Host.CaretWidth(), 2);
    EXPECT_EQ(screen.Host.CaretHeight(), 11);
    screen.Memo.Selection().MoveCaret(7);
    EXPECT_TRUE(screen.Host.CaretVisible());
    EXPECT_EQ(screen.Host.CaretPosition(), (TPoint{2 + 8 - 1, 13 + 1}));
    screen.Memo.Selection().ExtendTo(8);
    EXPECT_FALSE(screen.Host.CaretVisible());
    screen.Memo.Selection().MoveCaret(1);
    EXPECT_TRUE(screen.Host.CaretVisible());
    screen.Memo.SetReadOnly(true);
    EXPECT_FALSE(screen.Host.CaretVisible());
    screen.Memo.SetReadOnly(false);
    screen.Host.LoseFocus();
    EXPECT_FALSE(screen.Host.CaretCreated());
}

TEST(Painting, TheWindowTakesTheStyleTheEditorAsksFor) {
    TScreenFixture screen;
    EXPECT_TRUE(screen.Host.HorizontalBarShown());
    EXPECT_TRUE(screen.Host.VerticalBarShown());
    EXPECT_TRUE(screen.Host.SunkenEdge());
    EXPECT_EQ(screen.Host.WindowCursor(), TCursor::crIBeam);
    screen.Memo.SetScrollBars(TScrollStyle::ssVertical);
    screen.Memo.SetBorderStyle(TBorderStyle::bsNone);
    EXPECT_FALSE(screen.Host.HorizontalBarShown());
    EXPECT_TRUE(screen.Host.VerticalBarShown());
    EXPECT_FALSE(screen.Host.SunkenEdge());
    // A bar with nothing to scroll is disabled, not hidden.
    screen.Memo.SetText("short");
    EXPECT_FALSE(screen.Host.Bar(TScrollBarKind::Vertical).Enabled());
    screen.Memo.SetText(TScreenFixture::NumberedLines(11));
    EXPECT_TRUE(screen.Host.Bar(TScrollBarKind::Vertical).Enabled());
    EXPECT_EQ(screen.Host.Bar(TScrollBarKind::Vertical).LastPosition(), 2);
}
