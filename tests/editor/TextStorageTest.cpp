// Text storage: the buffer, its rows, the Lines view, trailing blanks and notifications.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "FakeHost.h"
#include "base/Exception.h"
#include "editor/MemoComponent.h"
#include "editor/TextBuffer.h"

namespace {

std::string RowStartsOf(const TMemoComponent& memo) {
    std::string result;
    for (int32_t row = 1; row <= memo.LineCount(); ++row)
        result += (row > 1 ? "," : "") + std::to_string(memo.LineStart(row));
    return result;
}

std::string ReadFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(TextStorage, LinesAddBuildsRowsWithoutTrailingBreak) {
    TMemoComponent memo;
    EXPECT_EQ(memo.LineCount(), 1);
    EXPECT_EQ(memo.Lines().Count(), 0);

    memo.Lines().Add("");
    EXPECT_EQ(memo.Text(), "");
    memo.Lines().Add("x");
    EXPECT_EQ(memo.Text(), "x");
    EXPECT_EQ(memo.Lines().Count(), 1);

    TMemoComponent pair;
    pair.Lines().Add("a");
    pair.Lines().Add("b");
    EXPECT_EQ(pair.Text(), "a\r\nb");
    EXPECT_EQ(RowStartsOf(pair), "1,4");
    std::string name = testing::TempDir() + "quorvel_lines.txt";
    pair.Lines().SaveToFile(name);
    EXPECT_EQ(ReadFile(name), "a\r\nb");
    std::remove(name.c_str());
    EXPECT_THROW(pair.Lines().SaveToFile("/nonexistent-folder/x.sql"), EFCreateError);

    // An empty last row is a text ending in CR LF.
    pair.Lines().Add("");
    EXPECT_EQ(pair.Text(), "a\r\nb\r\n");
    EXPECT_EQ(pair.LineCount(), 3);
    EXPECT_EQ(pair.LineLength(3), 0);
}

TEST(TextStorage, EveryBreakKindIsStoredAsCrLf) {
    TMemoComponent memo;
    memo.SetText("a\nb\rc\r\nd\n\re");
    EXPECT_EQ(memo.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne");
    EXPECT_EQ(memo.LineCount(), 6);
    EXPECT_EQ(memo.Selection().CaretPos(), 1);
    memo.Lines().Put(0, "x\ny");
    EXPECT_EQ(memo.Text(), "x\r\ny\r\nb\r\nc\r\nd\r\n\r\ne");
}

TEST(TextStorage, LinesOperationsMapOntoRows) {
    TMemoComponent memo;
    memo.SetText("one\r\ntwo\r\nthree");
    EXPECT_EQ(memo.Lines().Get(1), "two");
    EXPECT_EQ(memo.Lines().Get(5), "");
    EXPECT_EQ(memo.Lines().Get(-1), "");
    EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree");

    memo.Lines().Insert(1, "new");
    EXPECT_EQ(memo.Text(), "one\r\nnew\r\ntwo\r\nthree");
    memo.Lines().Insert(9, "last");
    EXPECT_EQ(memo.Text(), "one\r\nnew\r\ntwo\r\nthree\r\nlast");
    memo.Lines().Put(9, "+");
    EXPECT_EQ(memo.Text(), "one\r\nnew\r\ntwo\r\nthree\r\nlast+");
    memo.Lines().Delete(1);
    EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree\r\nlast+");
    memo.Lines().Delete(3);
    EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree");
    memo.Lines().Delete(7);
    EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree");
    EXPECT_EQ(memo.Lines().Text(), "one\r\ntwo\r\nthree");

    TMemoComponent single;
    single.SetText("only");
    single.Lines().Delete(0);
    EXPECT_EQ(single.Text(), "");
    EXPECT_EQ(single.Lines().Count(), 0);

    TStringList source{"x", "", "z"};
    single.SetLines(source);
    EXPECT_EQ(single.Text(), "x\r\n\r\nz");
    single.Lines().Clear();
    EXPECT_EQ(single.TextLength(), 0);
}

TEST(TextStorage, RowMeasuresCountTabsAndDoubleByteCharacters) {
    TMemoComponent memo;
    memo.SetTabSize(4);
    memo.SetText("a\tb\r\n\xB0\xA1\xB0\xA1\r\n");
    EXPECT_EQ(memo.LineLength(1), 3);
    EXPECT_EQ(memo.LineDisplayWidth(1), 5);
    EXPECT_EQ(memo.LineLength(2), 4);
    EXPECT_EQ(memo.LineLength(3), 0);
    EXPECT_EQ(memo.LineLength(0), -2);
    EXPECT_EQ(memo.LineLength(4), -2);
    EXPECT_EQ(memo.MaxLineWidth(), 5);
    memo.SetTabSize(8);
    EXPECT_EQ(memo.MaxLineWidth(), 9);
    memo.SetTabSize(0);
    EXPECT_EQ(memo.TabSize(), 1);
    EXPECT_EQ(memo.MaxLineWidth(), 4);

    // Shrinking the widest row, even from its first row of a multi-row edit, shrinks the width.
    memo.SetText("wide wide wide\r\nab\r\ncd");
    EXPECT_EQ(memo.MaxLineWidth(), 14);
    TMCRange span(&memo);
    span.SetRStart(3);
    span.SetREnd(17);
    span.Delete();
    EXPECT_EQ(memo.Text(), "wib\r\ncd");
    EXPECT_EQ(memo.MaxLineWidth(), 3);

    // A double-byte character is two positions; one of its bytes can be deleted alone.
    memo.SetText("\xB0\xA1z");
    memo.Selection().MoveCaret(2);
    EXPECT_EQ(memo.Selection().CaretPos(), 2);
    TMCRange half(&memo);
    half.SetRStart(2);
    half.SetREnd(2);
    half.Delete();
    EXPECT_EQ(memo.Text(), "\xB0z");
}

TEST(TextStorage, TrailingBlanksGoBeforeBreaksAndWhenTheCaretLeavesTheRow) {
    std::string text = "a  \r\nb\t\r\nc ";
    TMemoComponent::StripBlanksBeforeBreaks(text, false);
    EXPECT_EQ(text, "a\r\nb\r\nc ");
    TMemoComponent::StripBlanksBeforeBreaks(text, true);
    EXPECT_EQ(text, "a\r\nb\r\nc");

    TMemoComponent memo;
    memo.SetRemoveTrailingSpaces(true);
    memo.Selection().SetText("one \r\ntwo\t \r\nthree  ");
    EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree  ");
    // Enter after blanks strips nothing behind the caret.
    memo.Selection().SetText("\r\n");
    EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree  \r\n");
    // Leaving a row by a caret movement strips that row only.
    memo.Selection().MoveCaret(1);
    memo.SetRemoveTrailingSpaces(false);
    memo.SetText("r1\r\nr2\r\nr3  \r\nr4  ");
    memo.SetRemoveTrailingSpaces(true);
    EXPECT_EQ(memo.Text(), "r1\r\nr2\r\nr3\r\nr4");
    memo.Undo(); // the two rows' blanks come back
    memo.Undo();
    EXPECT_EQ(memo.Text(), "r1\r\nr2\r\nr3  \r\nr4  ");
    memo.Selection().MoveCaret(memo.RowColToCharPos({3, 3}));
    memo.Selection().MoveCaret(memo.RowColToCharPos({4, 1}));
    EXPECT_EQ(memo.Text(), "r1\r\nr2\r\nr3\r\nr4  ");
    EXPECT_EQ(memo.Selection().CaretPos(), memo.RowColToCharPos({4, 1}));

    // Switching the property on cleans every row in undoable edits.
    TMemoComponent all;
    all.SetText("x \r\ny\t\r\nz");
    int changes = 0;
    all.OnChange = [&](TMemoComponent&) { ++changes; };
    all.SetRemoveTrailingSpaces(true);
    EXPECT_EQ(all.Text(), "x\r\ny\r\nz");
    EXPECT_EQ(changes, 1);
    all.Undo();
    all.Undo();
    EXPECT_EQ(all.Text(), "x \r\ny\t\r\nz");
}

TEST(TextStorage, ChangeFiresAfterEveryReplacementUnlessLocked) {
    TMemoComponent memo;
    int changes = 0, selectionChanges = 0;
    memo.OnChange = [&](TMemoComponent& sender) {
        EXPECT_EQ(&sender, &memo);
        ++changes;
    };
    memo.OnSelectionChange = [&](TMemoComponent&) { ++selectionChanges; };
    memo.Lines().Add("a");
    memo.Lines().Add("b");
    EXPECT_EQ(changes, 2);
    EXPECT_GE(selectionChanges, 2);
    memo.SetLockNotify(true);
    memo.Lines().Add("c");
    memo.Selection().MoveCaret(2);
    EXPECT_EQ(changes, 2);
    memo.SetLockNotify(false);
    // An empty range replaced by nothing still counts as an edit.
    TMCRange nothing(&memo);
    nothing.SetText("");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(memo.UndoList().back(), (TUndoOperation{1, 0, ""}));

    char buffer[5];
    EXPECT_EQ(memo.GetTextBuf(buffer, sizeof buffer), 4);
    EXPECT_EQ(std::string(buffer), "a\r\nb");
    EXPECT_EQ(memo.GetTextLength(), 7);
    EXPECT_EQ(memo.SetTextBuf("z\n"), 1);
    EXPECT_EQ(memo.Text(), "z\r\n");
}

TEST(TextStorage, ReplacingTheWholeTextKeepsTheViewOnItsRows) {
    TFakeHost host(400, 130); // ten rows of 13 pixels
    TMemoComponent memo(&host);
    memo.WindowCreated();
    std::string hundred, sixty;
    for (int i = 1; i <= 100; ++i)
        hundred += "row " + std::to_string(i) + (i < 100 ? "\r\n" : "");
    for (int i = 1; i <= 60; ++i)
        sixty += "line " + std::to_string(i) + (i < 60 ? "\r\n" : "");
    memo.SetText(hundred);
    EXPECT_EQ(memo.VisibleRows(), 10);
    EXPECT_EQ(host.Vertical.Maximum, 100);
    memo.VisibleRange().SetTopRow(50);
    EXPECT_EQ(host.Vertical.Position, 50);
    memo.WholeRange().SetText(hundred);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 50);
    memo.WholeRange().SetText(sixty);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 10);
    memo.VisibleRange().SetTopRow(99);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 51);
    EXPECT_EQ(memo.VisibleRange().BottomRow(), 62);
}

TEST(TextBuffer, GapMovesWithoutChangingTheText) {
    TTextBuffer buffer;
    std::string model;
    for (int i = 0; i < 300; ++i) {
        size_t at = (static_cast<size_t>(i) * 7919) % (model.size() + 1);
        size_t remove = std::min<size_t>(static_cast<size_t>(i % 3), model.size() - at);
        std::string text(static_cast<size_t>(i % 5), static_cast<char>('a' + i % 26));
        buffer.Replace(at, remove, text);
        model.replace(at, remove, text);
        ASSERT_EQ(buffer.Length(), model.size());
        if (!model.empty()) {
            ASSERT_EQ(buffer.At(at % model.size()), model[at % model.size()]);
        }
        ASSERT_EQ(buffer.Substr(at / 2, 9), model.substr(at / 2, 9));
    }
    EXPECT_EQ(buffer.View(), model);
}
