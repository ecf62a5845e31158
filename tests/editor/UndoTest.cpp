// Undo and redo: recording and merging, replay with selection, groups, and the history limit.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "FakeHost.h"
#include "editor/MemoComponent.h"
#include "platform/headless/HeadlessHost.h"

namespace {

void Type(TMemoComponent& memo, const std::string& text) {
    for (char byte : text)
        memo.Selection().SetText(std::string(1, byte));
}

// What Backspace does: take the byte before the caret (both bytes of a line break) and delete.
void Backspace(TMemoComponent& memo) {
    TSelectionRange& selection = memo.Selection();
    if (selection.RLength() == 0) {
        selection.BeginUpdate();
        selection.SetRStart(selection.RStart() - 1);
        if (selection.GetText() == "\n") selection.SetRStart(selection.RStart() - 1);
        selection.CancelUpdate();
    }
    selection.Delete();
}

void DeleteForward(TMemoComponent& memo) {
    TSelectionRange& selection = memo.Selection();
    if (selection.RLength() == 0) {
        selection.BeginUpdate();
        selection.SetRLength(1);
        selection.CancelUpdate();
    }
    selection.Delete();
}

} // namespace

TEST(Undo, TypingAndBackspacesMergeAndReplayWithSelection) {
    TMemoComponent memo;
    Type(memo, "abc");
    Backspace(memo);
    Backspace(memo);
    ASSERT_EQ(memo.UndoList().size(), 2u);
    EXPECT_EQ(memo.UndoList()[0], (TUndoOperation{1, 3, ""}));
    EXPECT_EQ(memo.UndoList()[1], (TUndoOperation{2, 1, "bc"}));

    memo.Undo();
    EXPECT_EQ(memo.Text(), "abc");
    EXPECT_EQ(memo.Selection().RStart(), 2);
    EXPECT_EQ(memo.Selection().REnd(), 3);
    memo.Undo();
    EXPECT_EQ(memo.Text(), "");
    EXPECT_FALSE(memo.CanUndo());
    EXPECT_TRUE(memo.CanUndo(1));
    memo.Redo();
    EXPECT_EQ(memo.Text(), "abc");
    memo.Redo();
    EXPECT_EQ(memo.Text(), "a");
    EXPECT_FALSE(memo.CanUndo(1));

    // Forward deletions at one place merge, in order.
    memo.SetText("123456");
    memo.Selection().MoveCaret(2);
    for (int i = 0; i < 4; ++i)
        DeleteForward(memo);
    EXPECT_EQ(memo.Text(), "16");
    EXPECT_EQ(memo.UndoList().back(), (TUndoOperation{2, 1, "2345"}));
}

TEST(Undo, ReplacingASelectionStartsANewRecordAndEditsClearRedo) {
    TMemoComponent memo;
    memo.SetText("hello world");
    memo.Selection().SetRStart(7);
    memo.Selection().SetREnd(11);
    Type(memo, "abc");
    EXPECT_EQ(memo.Text(), "hello abc");
    size_t count = memo.UndoList().size();
    EXPECT_EQ(memo.UndoList()[count - 2], (TUndoOperation{7, 7, "world"}));
    EXPECT_EQ(memo.UndoList()[count - 1], (TUndoOperation{8, 9, ""}));

    memo.Undo();
    memo.Undo();
    EXPECT_EQ(memo.Text(), "hello world");
    EXPECT_EQ(memo.Selection().GetText(), "world");
    Type(memo, "!");
    EXPECT_FALSE(memo.CanUndo(1));
    memo.Redo();
    EXPECT_EQ(memo.Text(), "hello !");

    // Typing resumed right after the last typed text continues the same record.
    memo.SetText("");
    memo.ClearUndo();
    Type(memo, "ab");
    memo.Selection().MoveCaret(1);
    memo.Selection().MoveCaret(3);
    Type(memo, "cd");
    EXPECT_EQ(memo.UndoList().size(), 1u);

    memo.SetAllowUndo(false);
    EXPECT_FALSE(memo.CanUndo());
    Type(memo, "x");
    memo.SetAllowUndo(true);
    EXPECT_FALSE(memo.CanUndo());
    memo.Undo();
    EXPECT_EQ(memo.Text(), "abcdx");
}

TEST(Undo, IndentationIsOneGroupBothWays) {
    platform::headless::HeadlessHost host(300, 130, {8, 13, 0, 0});
    TMemoComponent memo(&host);
    memo.WindowCreated();
    memo.SetText("r1\r\nr2\r\n\tr3\r\nr4\r\nr5");
    memo.ClearUndo();
    memo.Selection().SetRStart(memo.RowColToCharPos({2, 1}));
    memo.Selection().SetREnd(memo.RowColToCharPos({4, 1}));
    int changes = 0;
    memo.OnChange = [&](TMemoComponent&) { ++changes; };
    memo.IndentSelection(1);
    EXPECT_EQ(memo.Text(), "r1\r\n\tr2\r\n\t\tr3\r\n\tr4\r\nr5");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(memo.Selection().RStart(), memo.RowColToCharPos({2, 1}));

    // A caret, so that the selection's own repaint does not add to the count below.
    memo.Selection().MoveCaret(1);
    host.Screen().ClearOps();
    memo.Undo();
    EXPECT_EQ(memo.Text(), "r1\r\nr2\r\n\tr3\r\nr4\r\nr5");
    // The view is painted once: without the paint lock every edit would paint its row too.
    std::map<int, int> paintsPerRow;
    for (const auto& op : host.Screen().OpsOf(platform::headless::TCanvasOpKind::Text))
        if (op.Rect.Left <= memo.LeftMargin()) ++paintsPerRow[op.Y];
    EXPECT_EQ(paintsPerRow.size(), 5u);
    for (const auto& [y, paints] : paintsPerRow)
        EXPECT_EQ(paints, 1) << "row at " << y;
    EXPECT_FALSE(memo.CanUndo());
    EXPECT_EQ(memo.Selection().RLength(), 0);
    // The caret stands after the rightmost restored text.
    EXPECT_EQ(memo.Selection().CaretPos(), memo.RowColToCharPos({4, 1}));
    memo.Redo();
    EXPECT_EQ(memo.Text(), "r1\r\n\tr2\r\n\t\tr3\r\n\tr4\r\nr5");
    memo.Selection().SetRStart(memo.RowColToCharPos({3, 1}));
    memo.Selection().SetREnd(memo.RowColToCharPos({3, 4}));
    memo.IndentSelection(-3);
    EXPECT_EQ(memo.Text(), "r1\r\n\tr2\r\nr3\r\n\tr4\r\nr5");
    memo.Undo();
    EXPECT_EQ(memo.Text(), "r1\r\n\tr2\r\n\t\tr3\r\n\tr4\r\nr5");
}

TEST(Undo, HistoryLimitDropsTheOldestRecordsFirst) {
    TMemoComponent memo;
    memo.SetUndoLimit(25);
    memo.SetText("0123456789"); // replaces nothing: holds 0 bytes
    memo.SetText("abcdefghij"); // holds the ten digits
    memo.SetText("ABCDEFGHIJ"); // holds ten letters
    EXPECT_EQ(memo.UndoTextBytes(), 20u);
    memo.SetText("KLMNOPQRST"); // 30 bytes: the oldest record goes
    EXPECT_EQ(memo.UndoTextBytes(), 30u - 10u);
    EXPECT_EQ(memo.UndoList().size(), 2u);
    memo.Undo();
    memo.Undo();
    EXPECT_EQ(memo.Text(), "abcdefghij");
    EXPECT_FALSE(memo.CanUndo());
    // The redo side counts too; its oldest records go once the undo side is empty.
    EXPECT_EQ(memo.UndoTextBytes(), 20u);
    memo.SetUndoLimit(10);
    EXPECT_EQ(memo.RedoList().size(), 1u);
    memo.Redo();
    EXPECT_EQ(memo.Text(), "ABCDEFGHIJ");
    EXPECT_FALSE(memo.CanUndo(1));

    // A group is dropped whole, so no half group is ever replayed.
    TMemoComponent grouped;
    grouped.SetText("\ta\r\n\tb");
    grouped.SelectAll();
    grouped.IndentSelection(-1); // marker, two deletions of one tab each, marker
    EXPECT_EQ(grouped.Text(), "a\r\nb");
    grouped.SetUndoLimit(3);
    grouped.Selection().SetRStart(1);
    grouped.Selection().SetREnd(1);
    grouped.Selection().SetText("x");
    ASSERT_EQ(grouped.UndoList().size(), 6u);
    grouped.Selection().SetRStart(4);
    grouped.Selection().SetREnd(4);
    grouped.Selection().SetText("y");
    EXPECT_EQ(grouped.UndoList().size(), 2u);
    EXPECT_EQ(grouped.UndoTextBytes(), 2u);
    grouped.Undo();
    grouped.Undo();
    EXPECT_EQ(grouped.Text(), "a\r\nb");
    EXPECT_FALSE(grouped.CanUndo());
}

TEST(Undo, AppendedLinesAreOneInsertionRecord) {
    TMemoComponent memo;
    memo.Lines().Add("first");
    for (int i = 0; i < 100; ++i)
        memo.Lines().Add("INSERT INTO t VALUES (" + std::to_string(i) + ");");
    ASSERT_EQ(memo.UndoList().size(), 1u);
    EXPECT_EQ(memo.UndoList()[0].StartPos, 1);
    EXPECT_EQ(memo.UndoList()[0].EndPos, memo.TextLength());
    std::string script(memo.Text());
    memo.Lines().Clear();
    EXPECT_EQ(memo.UndoTextBytes(), script.size());
    memo.Undo();
    EXPECT_EQ(memo.Text(), script);
}

// A group whose other half the history limit dropped during its own undo leaves the editor
// notifying again: the next edit reports its change.
TEST(Undo, AGroupCutShortByTheLimitTurnsNotificationsBackOn) {
    TMemoComponent memo;
    memo.SetText("a\r\nb");
    memo.ClearUndo();
    memo.SelectAll();
    memo.IndentSelection(1); // marker, two insertions of a tab, marker: 0 bytes held
    ASSERT_EQ(memo.Text(), "\ta\r\n\tb");
    memo.SetUndoLimit(1);
    memo.Undo(); // the second tab's record overflows the limit mid-group
    EXPECT_FALSE(memo.LockNotify());
    int changes = 0;
    memo.OnChange = [&](TMemoComponent&) { ++changes; };
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(1);
    memo.Selection().SetText("z");
    EXPECT_EQ(changes, 1);
}

// The byte count of the history always equals the bytes its records hold, whatever merges,
// clears the redo side or trims: random edits, undos, redos and limits, seed printed.
TEST(Undo, TheHistorysByteCountMatchesItsRecordsThroughRandomEdits) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        TMemoComponent memo;
        memo.SetText("one\r\ntwo\r\nthree");
        for (int step = 0; step < 200; ++step) {
            int length = memo.TextLength();
            int pos = 1 + pick(length + 1);
            memo.Selection().SetRStart(pos);
            memo.Selection().SetREnd(pos - 1);
            switch (pick(8)) {
            case 0:
                Type(memo, std::string(1 + pick(3), static_cast<char>('a' + pick(26))));
                break;
            case 1:
                if (pos > 1) Backspace(memo);
                break;
            case 2:
            case 3:
                for (int i = pick(4); i >= 0 && memo.Selection().RStart() <= memo.TextLength(); --i)
                    DeleteForward(memo);
                break;
            case 4:
                memo.Undo();
                break;
            case 5:
                memo.Redo();
                break;
            case 6:
                memo.SetUndoLimit(pick(3) == 0 ? static_cast<size_t>(4 + pick(20))
                                               : size_t(1) << 20);
                break;
            case 7:
                memo.SelectAll();
                memo.IndentSelection(pick(2) == 0 ? 1 : -1);
                break;
            }
            size_t held = 0;
            for (const TUndoOperation& op : memo.UndoList())
                held += op.Text.size();
            for (const TUndoOperation& op : memo.RedoList())
                held += op.Text.size();
            ASSERT_EQ(memo.UndoTextBytes(), held) << "step " << step;
            ASSERT_LE(held, memo.UndoLimit()) << "step " << step;
            ASSERT_FALSE(memo.LockNotify()) << "step " << step;
        }
    }
}
