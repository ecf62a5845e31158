// Input methods in the editor: the preedit is drawn underlined at the caret without becoming
// text and is erased when it changes or ends; the commit replaces the selection as one undo
// step of its own.
#include <gtest/gtest.h>

#include "ScreenTest.h"

using namespace platform;
using namespace platform::headless;

namespace {

bool Underlined(const TPixel& pixel) {
    return pixel.Style.Contains(TFontStyle::fsUnderline);
}

} // namespace

TEST(Composition, ThePreeditIsDrawnAtTheCaretAndIsNoText) {
    for (bool bitmapped : {false, true}) {
        SCOPED_TRACE(bitmapped ? "bitmapped" : "direct");
        TScreenFixture screen;
        TMemoComponent& memo = screen.Memo;
        memo.SetBitmapped(bitmapped);
        memo.SetText("ab\r\ncd");
        memo.Selection().MoveCaret(3);
        const size_t records = memo.UndoList().size();
        int changes = 0;
        memo.OnChange = [&](TMemoComponent&) { ++changes; };
        auto row = [&](int visibleRow, int cells) {
            screen.Host.ProcessPaint();
            return screen.RowOnScreen(visibleRow, cells);
        };
        const int left = memo.LeftMargin(), cell = memo.CharWidth();

        memo.CompositionChanged("zh");
        EXPECT_EQ(row(1, 5), "abzh ");
        EXPECT_TRUE(Underlined(screen.Screen().PixelAt(left + 2 * cell, 3)));
        EXPECT_FALSE(Underlined(screen.Screen().PixelAt(left + cell, 3)));
        EXPECT_EQ(row(2, 3), "cd ");
        EXPECT_EQ(memo.Text(), "ab\r\ncd");
        EXPECT_EQ(memo.UndoList().size(), records);
        EXPECT_EQ(changes, 0);

        // Shorter: the cell it no longer covers is blank again.
        memo.CompositionChanged("z");
        EXPECT_EQ(row(1, 5), "abz  ");
        memo.CompositionChanged("");
        EXPECT_EQ(row(1, 5), "ab   ");
        EXPECT_FALSE(Underlined(screen.Screen().PixelAt(left + 2 * cell, 3)));

        // Inside the text it covers what follows the caret until it ends.
        memo.Selection().MoveCaret(6);
        memo.CompositionChanged("\xD6\xD0");
        EXPECT_EQ(row(2, 4), "c\xD6\xD0 ");
        memo.CompositionChanged("");
        EXPECT_EQ(row(2, 4), "cd  ");
        EXPECT_EQ(memo.Text(), "ab\r\ncd");
        EXPECT_EQ(memo.UndoList().size(), records);
        EXPECT_EQ(changes, 0);
    }
}

// The preedit belongs to the caret's row wherever that row is painted: after a scroll that
// moved the pixels, and after a full repaint.
TEST(Composition, ThePreeditFollowsItsRowWhenTheViewScrolls) {
    for (bool bitmapped : {false, true}) {
        SCOPED_TRACE(bitmapped ? "bitmapped" : "direct");
        TScreenFixture screen;
        TMemoComponent& memo = screen.Memo;
        memo.SetBitmapped(bitmapped);
        memo.SetText(TScreenFixture::NumberedLines(30));
        memo.Selection().MoveCaret(memo.LineStart(5) + 4);
        memo.CompositionChanged("pin");
        screen.Host.ProcessPaint();
        EXPECT_EQ(screen.RowOnScreen(5, 8), "linepin ");
        memo.Scroll(TScrollBarKind::Vertical, TScrollCode::scLineDown, 0);
        memo.Scroll(TScrollBarKind::Vertical, TScrollCode::scLineDown, 0);
        screen.Host.ProcessPaint();
        EXPECT_EQ(screen.RowOnScreen(3, 8), "linepin ");
        EXPECT_EQ(screen.RowOnScreen(5, 8), "line 7  ");
        // Scrolled out of sight and back: the rows painted anew carry it again.
        memo.Scroll(TScrollBarKind::Vertical, TScrollCode::scPosition, 20);
        memo.Scroll(TScrollBarKind::Vertical, TScrollCode::scTop, 0);
        screen.Host.Invalidate();
        screen.Host.ProcessPaint();
        EXPECT_EQ(screen.RowOnScreen(5, 8), "linepin ");
        EXPECT_EQ(screen.RowOnScreen(4, 8), "line 4  ");
    }
}

TEST(Composition, TheCommitIsOneUndoStepOfItsOwn) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetText("ab");
    memo.Selection().MoveCaret(3);
    memo.ClearUndo();
    int changes = 0;
    memo.OnChange = [&](TMemoComponent&) { ++changes; };
    memo.KeyPress('x');
    memo.CompositionChanged("zhongwen");
    memo.CompositionCommitted("\xD6\xD0\xCE\xC4");
    EXPECT_EQ(memo.Composition(), "");
    EXPECT_EQ(memo.Text(), "abx\xD6\xD0\xCE\xC4");
    EXPECT_EQ(memo.Selection().CaretPos(), 8);
    // Drawn as text, the preedit's last cells blank again.
    EXPECT_EQ(screen.RowOnScreen(1, 9), "abx\xD6\xD0\xCE\xC4  ");
    EXPECT_FALSE(Underlined(screen.Screen().PixelAt(memo.LeftMargin() + 3 * memo.CharWidth(), 3)));
    ASSERT_EQ(memo.UndoList().size(), 2u);
    EXPECT_EQ(memo.UndoList().back(), (TUndoOperation{4, 7, ""}));
    EXPECT_EQ(changes, 2);
    // What is typed next is a step of its own too.
    memo.KeyPress('y');
    EXPECT_EQ(memo.UndoList().size(), 3u);
    memo.Undo();
    memo.Undo();
    EXPECT_EQ(memo.Text(), "abx");
    memo.Undo();
    EXPECT_EQ(memo.Text(), "ab");

    // Over a selection: one replacement, and one undo gives the selection back.
    memo.SetText("select me");
    memo.ClearUndo();
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(6);
    memo.CompositionCommitted("\xD1\xA1\xD4\xF1\x95\x32\x82\x36");
    EXPECT_EQ(memo.Text(), "\xD1\xA1\xD4\xF1\x95\x32\x82\x36 me");
    ASSERT_EQ(memo.UndoList().size(), 1u);
    memo.Undo();
    EXPECT_EQ(memo.Text(), "select me");
    EXPECT_EQ(memo.Selection().GetText(), "select");
    memo.Redo();
    EXPECT_EQ(memo.Text(), "\xD1\xA1\xD4\xF1\x95\x32\x82\x36 me");

    // Read-only: neither preedit nor commit.
    memo.SetReadOnly(true);
    memo.CompositionChanged("ni");
    EXPECT_EQ(memo.Composition(), "");
    memo.CompositionCommitted("\xC4\xE3");
    EXPECT_EQ(memo.Text(), "\xD1\xA1\xD4\xF1\x95\x32\x82\x36 me");
}
