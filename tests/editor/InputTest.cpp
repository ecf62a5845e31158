// Keyboard, mouse and clipboard through the window events: typing bytes, the editing keys,
// caret moves, read-only mode, mouse selection with auto-scroll, word selection, dragging
// text with and without Ctrl, and the standard events that can swallow a key.
#include <gtest/gtest.h>

#include "ScreenTest.h"

using namespace platform;

namespace {

const TShiftState kNone;
const TShiftState kShift{TShiftFlag::ssShift};
const TShiftState kCtrl{TShiftFlag::ssCtrl};

// The client point of text position pos's cell (its left edge, mid-height).
TPoint PointOf(TMemoComponent& memo, int32_t pos) {
    TRowCol rowCol = memo.CharPosToRowCol(pos);
    return {memo.LeftMargin() + (rowCol.Col - memo.VisibleRange().LeftCol()) * memo.CharWidth(),
            (rowCol.Row - memo.VisibleRange().TopRow()) * memo.LineHeight() +
                memo.LineHeight() / 2};
}

} // namespace

TEST(Keyboard, TypedBytesEnterOneByOne) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    for (char byte : std::string("a\xD6\xD0"))
        memo.KeyPress(byte);
    memo.KeyPress('\r');
    memo.KeyPress('\x08'); // Backspace and other control codes type nothing
    memo.KeyPress('\x1B');
    memo.KeyPress('\x7F'); // Ctrl+Backspace
    memo.KeyDown(VK_TAB, kNone);
    EXPECT_EQ(memo.Text(), "a\xD6\xD0\r\n\t");
    EXPECT_EQ(memo.Selection().CaretPos(), 7);
    // A typed byte replaces the selection.
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(3);
    memo.KeyPress('z');
    EXPECT_EQ(memo.Text(), "z\r\n\t");
    // The shown row follows the text.
    EXPECT_EQ(screen.RowOnScreen(1, 2), "z ");

    // A key-press handler that clears the character swallows it; one that changes it types
    // the new one.
    memo.OnKeyPress = [](TMemoComponent&, char& key) { key = key == 'q' ? 0 : 'Q'; };
    memo.KeyPress('q');
    memo.KeyPress('w');
    EXPECT_EQ(memo.Text(), "zQ\r\n\t");
    memo.OnKeyDown = [](TMemoComponent&, uint16_t& key, TShiftState) {
        if (key == VK_DELETE) key = 0;
    };
    memo.Selection().MoveCaret(1);
    memo.KeyDown(VK_DELETE, kNone);
    EXPECT_EQ(memo.Text(), "zQ\r\n\t");
}

TEST(Keyboard, BackspaceAndDeleteTakeALineBreakWhole) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetText("ab\r\ncd");
    memo.Selection().MoveCaret(5);
    memo.KeyDown(VK_BACK, kNone);
    EXPECT_EQ(memo.Text(), "abcd");
    memo.Selection().MoveCaret(3);
    memo.KeyPress('\r');
    EXPECT_EQ(memo.Text(), "ab\r\ncd");
    memo.Selection().MoveCaret(3);
    memo.KeyDown(VK_DELETE, kNone);
    EXPECT_EQ(memo.Text(), "abcd");
    // A double-byte character goes whole.
    memo.SetText("x\xD6\xD0");
    memo.Selection().MoveCaret(4);
    memo.KeyDown(VK_BACK, kShift);
    EXPECT_EQ(memo.Text(), "x");
    // Alt+Backspace undoes, Shift+Alt+Backspace redoes.
    memo.KeyDown(VK_BACK, {TShiftFlag::ssAlt});
    EXPECT_EQ(memo.Text(), "x\xD6\xD0");
    memo.KeyDown(VK_BACK, {TShiftFlag::ssShift, TShiftFlag::ssAlt});
    EXPECT_EQ(memo.Text(), "x");
    memo.KeyDown('Z', kCtrl);
    EXPECT_EQ(memo.Text(), "x\xD6\xD0");
}

TEST(Keyboard, ArrowsMoveCollapseAndExtend) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    TSelectionRange& selection = memo.Selection();
    memo.SetText("one two\r\nthree\r\nxy");
    // Shift+Left from 5 makes a backward selection; Shift+Right twice flips it forward.
    selection.MoveCaret(5);
    memo.KeyDown(VK_LEFT, kShift);
    EXPECT_TRUE(selection.Backwards());
    EXPECT_EQ(selection.RStart(), 4);
    EXPECT_EQ(selection.REnd(), 4);
    memo.KeyDown(VK_RIGHT, kShift);
    memo.KeyDown(VK_RIGHT, kShift);
    EXPECT_FALSE(selection.Backwards());
    EXPECT_EQ(selection.RStart(), 5);
    EXPECT_EQ(selection.REnd(), 5);
    // Without Shift an arrow only collapses the selection to its side...
    memo.KeyDown(VK_RIGHT, kNone);
    EXPECT_EQ(selection.RLength(), 0);
    EXPECT_EQ(selection.CaretPos(), 6);
    selection.ExtendTo(8);
    memo.KeyDown(VK_LEFT, kNone);
    EXPECT_EQ(selection.CaretPos(), 6);
    // ...unless the caret always shows: then it moves from the caret.
    memo.SetAlwaysShowCaret(true);
    selection.ExtendTo(7);
    memo.KeyDown(VK_RIGHT, kNone);
    EXPECT_EQ(selection.CaretPos(), 8);
    EXPECT_EQ(selection.RLength(), 0);
    memo.SetAlwaysShowCaret(false);

    // Left and Right step over a line break at once.
    selection.MoveCaret(10); // row 2, column 1
    memo.KeyDown(VK_LEFT, kNone);
    EXPECT_EQ(selection.CaretPos(), 8);
    memo.KeyDown(VK_RIGHT, kNone);
    EXPECT_EQ(selection.CaretPos(), 10);
    // Ctrl jumps over runs of word and other bytes.
    memo.KeyDown(VK_LEFT, kCtrl);
    EXPECT_EQ(selection.CaretPos(), 8); // over the line break
    memo.KeyDown(VK_LEFT, kCtrl);
    EXPECT_EQ(selection.CaretPos(), 5);
    memo.KeyDown(VK_RIGHT, kCtrl);
    EXPECT_EQ(selection.CaretPos(), 8);

    // Up and Down keep the column across a short row; past the ends they go to the ends.
    selection.MoveCaret(memo.RowColToCharPos({1, 6}));
    memo.KeyDown(VK_DOWN, kNone);
    memo.KeyDown(VK_DOWN, kNone);
    EXPECT_EQ(memo.CharPosToRowCol(selection.CaretPos()), (TRowCol{3, 3}));
    memo.KeyDown(VK_UP, kNone);
    EXPECT_EQ(memo.CharPosToRowCol(selection.CaretPos()), (TRowCol{2, 6}));
    memo.KeyDown(VK_DOWN, kNone);
    memo.KeyDown(VK_DOWN, kNone);
    EXPECT_EQ(selection.CaretPos(), memo.TextLength() + 1);
    selection.MoveCaret(3);
    memo.KeyDown(VK_UP, kNone);
    EXPECT_EQ(selection.CaretPos(), 1);
    memo.KeyDown(VK_END, kNone);
    EXPECT_EQ(selection.CaretPos(), 8);
    memo.KeyDown(VK_END, kCtrl);
    EXPECT_EQ(selection.CaretPos(), memo.TextLength() + 1);
    memo.KeyDown(VK_HOME, kShift);
    EXPECT_EQ(selection.GetText(), "xy");
    memo.KeyDown(VK_HOME, kCtrl);
    EXPECT_EQ(selection.CaretPos(), 1);
}

TEST(Keyboard, PagesMoveByTheViewAndScrollTheCaretIntoIt) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetText(TScreenFixture::NumberedLines(100));
    memo.KeyDown(VK_NEXT, kNone);
    EXPECT_EQ(memo.CharPosToRowCol(memo.Selection().CaretPos()).Row, 10);
    memo.KeyDown(VK_NEXT, kNone);
    EXPECT_EQ(memo.CharPosToRowCol(memo.Selection().CaretPos()).Row, 19);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 10);
    EXPECT_EQ(screen.RowOnScreen(1, 7), "line 10");
    memo.KeyDown(VK_PRIOR, kNone);
    memo.KeyDown(VK_PRIOR, kNone);
    memo.KeyDown(VK_PRIOR, kNone);
    EXPECT_EQ(memo.Selection().CaretPos(), 1);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 1);
}

TEST(Keyboard, ReadOnlyScrollsAndCopiesButNeverEdits) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetText(TScreenFixture::NumberedLines(50));
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(4);
    memo.SetReadOnly(true);
    const std::string text(memo.Text());
    screen.Host.ClipboardData().SetText("pasted");
    memo.KeyDown('V', kCtrl);
    memo.KeyDown('X', kCtrl);
    memo.KeyDown(VK_INSERT, kShift);
    memo.KeyDown(VK_DELETE, kNone);
    memo.KeyDown(VK_BACK, kNone);
    memo.KeyPress('a');
    EXPECT_EQ(memo.Text(), text);
    EXPECT_EQ(screen.Host.ClipboardData().GetText(), "pasted");
    memo.KeyDown('C', kCtrl);
    EXPECT_EQ(screen.Host.ClipboardData().GetText(), "line");
    // The keys move the view, not the caret.
    memo.KeyDown(VK_DOWN, kNone);
    memo.KeyDown(VK_NEXT, kNone);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 12);
    memo.KeyDown(VK_END, kCtrl);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 41);
    memo.KeyDown(VK_HOME, kCtrl);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 1);
    EXPECT_EQ(memo.Selection().RStart(), 1);
    EXPECT_EQ(memo.Selection().REnd(), 4);
}

TEST(Keyboard, CtrlASelectsEverythingAlsoReadOnly) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    const std::string text = "one\r\n\xD6\xD0 two\r\nthree";
    memo.SetText(text);
    for (bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "editable");
        memo.SetReadOnly(readOnly);
        memo.Selection().SetRStart(5);
        memo.Selection().SetRLength(0);
        screen.Host.ClipboardData().SetText("");
        // Only Ctrl alone: with Shift or Alt held the key is something else.
        memo.KeyDown('A', {TShiftFlag::ssCtrl, TShiftFlag::ssShift});
        memo.KeyDown('A', {TShiftFlag::ssCtrl, TShiftFlag::ssAlt});
        memo.KeyDown('A', kNone);
        EXPECT_EQ(memo.Selection().RLength(), 0);
        memo.KeyDown('A', kCtrl);
        memo.KeyDown('C', kCtrl);
        EXPECT_EQ(screen.Host.ClipboardData().GetText(), text);
        EXPECT_EQ(memo.Text(), text);
    }
}

TEST(Keyboard, ClipboardCommandsWorkInTheCodePage) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetText("\xD6\xD0 one");
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(3);
    memo.KeyDown('X', kCtrl);
    EXPECT_EQ(screen.Host.ClipboardData().GetText(), "\xD6\xD0 ");
    EXPECT_EQ(memo.Text(), "one");
    memo.KeyDown(VK_END, kNone);
    memo.KeyDown(VK_INSERT, kShift);
    EXPECT_EQ(memo.Text(), "one\xD6\xD0 ");
    // Pasted line breaks become CR LF.
    screen.Host.ClipboardData().SetText("a\nb");
    memo.KeyDown('V', kCtrl);
    EXPECT_EQ(memo.Text(), "one\xD6\xD0 a\r\nb");
    // Commands on an empty selection do nothing.
    memo.KeyDown('C', kCtrl);
    memo.KeyDown(VK_DELETE, kShift);
    EXPECT_EQ(screen.Host.ClipboardData().GetText(), "a\nb");
    memo.KeyDown('Z', kCtrl);
    EXPECT_NE(memo.Text(), "one\xD6\xD0 a\r\nb");
    memo.KeyDown('Z', {TShiftFlag::ssCtrl, TShiftFlag::ssShift});
    EXPECT_EQ(memo.Text(), "one\xD6\xD0 a\r\nb");
}

TEST(Mouse, SelectingFollowsTheMouseAndScrollsOutsideTheView) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetText(TScreenFixture::NumberedLines(100));
    TPoint from = PointOf(memo, 3);
    memo.MouseDown(TMouseButton::mbLeft, kNone, from.X, from.Y);
    EXPECT_TRUE(memo.MouseSelecting());
    EXPECT_TRUE(screen.Host.TimerRunning(1));
    EXPECT_EQ(screen.Host.TimerInterval(1), 50);
    TPoint to = PointOf(memo, memo.RowColToCharPos({2, 5}));
    memo.MouseMove(kNone, to.X, to.Y);
    EXPECT_EQ(memo.Selection().GetText(), "ne 1\r\nline");
    // A point in a cell's right half names the place after it.
    memo.MouseMove(kNone, to.X + 5, to.Y);
    EXPECT_EQ(memo.Selection().GetText(), "ne 1\r\nline ");

    // 25 pixels below the view: three rows per tick, and the selection follows.
    screen.Host.SetMousePosition({to.X, screen.Host.ClientHeight() + 25});
    ASSERT_TRUE(screen.Host.FireTimer(1));
    EXPECT_EQ(memo.VisibleRange().TopRow(), 4);
    ASSERT_TRUE(screen.Host.FireTimer(1));
    EXPECT_EQ(memo.VisibleRange().TopRow(), 7);
    EXPECT_EQ(memo.CharPosToRowCol(memo.Selection().CaretPos()).Row, 18);
    // Inside the view the timer does nothing; above it, it scrolls back.
    screen.Host.SetMousePosition({to.X, 10});
    screen.Host.FireTimer(1);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 7);
    screen.Host.SetMousePosition({to.X, -1});
    screen.Host.FireTimer(1);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 6);

    memo.MouseUp(TMouseButton::mbLeft, kNone, to.X, -1);
    EXPECT_FALSE(memo.MouseSelecting());
    EXPECT_FALSE(screen.Host.TimerRunning(1));
    EXPECT_EQ(memo.Selection().RStart(), 3);

    // Shift+click extends; a right click keeps a selection; a middle click does nothing.
    TPoint far = PointOf(memo, memo.RowColToCharPos({8, 1}));
    memo.MouseDown(TMouseButton::mbRight, kNone, far.X, far.Y);
    memo.MouseUp(TMouseButton::mbRight, kNone, far.X, far.Y);
    EXPECT_EQ(memo.Selection().RStart(), 3);
    memo.MouseDown(TMouseButton::mbLeft, kShift, far.X, far.Y);
    memo.MouseUp(TMouseButton::mbLeft, kShift, far.X, far.Y);
    EXPECT_EQ(memo.Selection().RStart(), 3);
    EXPECT_EQ(memo.Selection().REnd(), memo.RowColToCharPos({8, 1}) - 1);
    EXPECT_TRUE(screen.Host.HasFocus());
}

TEST(Mouse, TypingWhileSelectingEndsTheMouseSelection) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetText("abcdef");
    TPoint from = PointOf(memo, 2), to = PointOf(memo, 5);
    memo.MouseDown(TMouseButton::mbLeft, kNone, from.X, from.Y);
    memo.MouseMove(kNone, to.X, to.Y);
    memo.KeyPress('X');
    EXPECT_EQ(memo.Text(), "aXef");
    EXPECT_FALSE(memo.MouseSelecting());
    EXPECT_FALSE(screen.Host.TimerRunning(1));
    // Moving on selects nothing more.
    memo.MouseMove(kNone, from.X, from.Y);
    EXPECT_EQ(memo.Selection().RLength(), 0);
    EXPECT_EQ(memo.Selection().CaretPos(), 3);
}

TEST(Mouse, DoubleClickSelectsAWordWithItsSigns) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetText("select #tmp_1, $x from t");
    TPoint at = PointOf(memo, 10);
    memo.MouseDown(TMouseButton::mbLeft, kNone, at.X, at.Y);
    memo.MouseUp(TMouseButton::mbLeft, kNone, at.X, at.Y);
    memo.DblClick();
    memo.MouseDown(TMouseButton::mbLeft, TShiftState{TShiftFlag::ssDouble}, at.X, at.Y);
    EXPECT_EQ(memo.Selection().GetText(), "#tmp_1");
    // The button still down after the double click moves nothing.
    memo.MouseMove(kNone, at.X + 40, at.Y);
    EXPECT_EQ(memo.Selection().GetText(), "#tmp_1");
    memo.MouseUp(TMouseButton::mbLeft, kNone, at.X + 40, at.Y);
    EXPECT_FALSE(memo.InDblClick());
    // On a blank nothing is selected.
    memo.Selection().MoveCaret(15); // between the comma and the blank
    memo.DblClick();
    EXPECT_EQ(memo.Selection().RLength(), 0);
    memo.MouseUp(TMouseButton::mbLeft, kNone, 0, 0);
}

namespace {

// Drags the selection to the place before position target and lets go.
void DragTo(TScreenFixture& screen, int32_t target, TShiftState shift) {
    TMemoComponent& memo = screen.Memo;
    TPoint inside = PointOf(memo, memo.Selection().RStart() + 1);
    memo.MouseDown(TMouseButton::mbLeft, kNone, inside.X, inside.Y);
    EXPECT_TRUE(memo.DragPending());
    TPoint to = PointOf(memo, target);
    memo.MouseMove(shift, to.X, to.Y);
    EXPECT_TRUE(memo.Dragging());
    EXPECT_EQ(screen.Host.ScreenCursor(), TCursor::crDrag);
    memo.MouseUp(TMouseButton::mbLeft, shift, to.X, to.Y);
    EXPECT_FALSE(memo.Dragging());
    EXPECT_EQ(screen.Host.ScreenCursor(), TCursor::crDefault);
    EXPECT_EQ(memo.DragTarget(), nullptr);
}

} // namespace

TEST(Mouse, DraggedTextMovesOrCopiesAndUndoesInOneStep) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetDragDropEditing(true);
    memo.SetText("abc defgh ijk");
    memo.ClearUndo();
    int changes = 0;
    memo.OnChange = [&](TMemoComponent&) { ++changes; };
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(3);
    changes = 0;
    DragTo(screen, 11, kNone); // before "ijk"
    EXPECT_EQ(memo.Text(), " defgh abcijk");
    EXPECT_EQ(memo.Selection().GetText(), "abc");
    EXPECT_EQ(changes, 1); // notifications wait for the drop
    memo.Undo();
    EXPECT_EQ(memo.Text(), "abc defgh ijk");
    memo.Redo();
    EXPECT_EQ(memo.Text(), " defgh abcijk");
    memo.Undo();

    // With Ctrl a copy stays behind; undo takes only the copy's new place away.
    memo.Selection().SetRStart(5);
    memo.Selection().SetREnd(9);
    DragTo(screen, 1, kCtrl);
    EXPECT_EQ(memo.Text(), "defghabc defgh ijk");
    memo.Undo();
    EXPECT_EQ(memo.Text(), "abc defgh ijk");

    // A click inside the selection without a move just places the caret.
    memo.Selection().SetRStart(5);
    memo.Selection().SetREnd(9);
    TPoint inside = PointOf(memo, 7);
    memo.MouseDown(TMouseButton::mbLeft, kNone, inside.X, inside.Y);
    memo.MouseUp(TMouseButton::mbLeft, kNone, inside.X, inside.Y);
    EXPECT_EQ(memo.Selection().RLength(), 0);
    EXPECT_EQ(memo.Selection().CaretPos(), 7);

    // Esc puts the text back and records nothing.
    memo.ClearUndo();
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(3);
    TPoint start = PointOf(memo, 2);
    memo.MouseDown(TMouseButton::mbLeft, kNone, start.X, start.Y);
    TPoint end = PointOf(memo, 14);
    memo.MouseMove(kNone, end.X, end.Y);
    EXPECT_EQ(memo.Text(), " defgh ijkabc");
    memo.KeyDown(VK_ESCAPE, kNone);
    EXPECT_EQ(memo.Text(), "abc defgh ijk");
    EXPECT_EQ(memo.Selection().GetText(), "abc");
    memo.MouseUp(TMouseButton::mbLeft, kNone, end.X, end.Y);
    EXPECT_FALSE(memo.CanUndo());
    EXPECT_FALSE(memo.LockNotify());
}

TEST(Mouse, ReadOnlyEditorsSelectButNeverDrag) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetDragDropEditing(true);
    memo.SetText("abc def");
    memo.SetReadOnly(true);
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(3);
    TPoint inside = PointOf(memo, 2), to = PointOf(memo, 6);
    memo.MouseDown(TMouseButton::mbLeft, kNone, inside.X, inside.Y);
    EXPECT_FALSE(memo.DragPending());
    memo.MouseMove(kNone, to.X, to.Y);
    memo.MouseUp(TMouseButton::mbLeft, kNone, to.X, to.Y);
    EXPECT_EQ(memo.Text(), "abc def");
    EXPECT_EQ(memo.Selection().GetText(), "bc d");
}
