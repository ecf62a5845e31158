// Editing GB18030 text: the caret, selection ends, deletions, word moves, double clicks, clicks,
// drops and typed input land on character boundaries; a byte that forms no character counts
// as one character. Guard objects close undo groups and notification locks when an edit throws.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>

#include "ScreenTest.h"
#include "platform/CodePage.h"

using namespace platform;

namespace {

const TShiftState kNone;
const TShiftState kShift{TShiftFlag::ssShift};
const TShiftState kCtrl{TShiftFlag::ssCtrl};

// 中 D6 D0, 文 CE C4, 說 D5 66 (a letter as trail), 時 95 72, U+20000 95 32 82 36 (digits in it).
const std::string kZhong = "\xD6\xD0", kWen = "\xCE\xC4", kShuo = "\xD5\x66", kShi = "\x95\x72",
                  kWide = "\x95\x32\x82\x36";

// The caret positions a walk of key from pos visits until it stops moving.
std::vector<int32_t> Walk(TMemoComponent& memo, int32_t pos, uint16_t key, TShiftState shift) {
    memo.Selection().MoveCaret(pos);
    std::vector<int32_t> visited{pos};
    for (;;) {
        memo.KeyDown(key, shift);
        int32_t caret = memo.Selection().CaretPos();
        if (caret == visited.back()) return visited;
        visited.push_back(caret);
    }
}

// The client point in the middle of text position pos's cell.
TPoint CellMiddle(TMemoComponent& memo, int32_t pos) {
    TRowCol rowCol = memo.CharPosToRowCol(pos);
    return {memo.LeftMargin() + (rowCol.Col - 1) * memo.CharWidth() + memo.CharWidth() / 2 - 1,
            (rowCol.Row - 1) * memo.LineHeight() + memo.LineHeight() / 2};
}

} // namespace

TEST(Characters, ArrowsStepOverWholeCharactersBothWays) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    // a 中 U+20000 b, a lone 0x81 (no character), a line break, then 文.
    memo.SetText("a" + kZhong + kWide + "b\x81\r\n" + kWen);
    const std::vector<int32_t> stops{1, 2, 4, 8, 9, 10, 12, 14};
    EXPECT_EQ(Walk(memo, 1, VK_RIGHT, kNone), stops);
    EXPECT_EQ(Walk(memo, 14, VK_LEFT, kNone), std::vector<int32_t>(stops.rbegin(), stops.rend()));
    // Shift+arrows select whole characters.
    memo.Selection().MoveCaret(8);
    memo.KeyDown(VK_LEFT, kShift);
    memo.KeyDown(VK_LEFT, kShift);
    EXPECT_EQ(memo.Selection().GetText(), kZhong + kWide);
    memo.KeyDown(VK_RIGHT, kShift);
    EXPECT_EQ(memo.Selection().GetText(), kWide);
}

TEST(Characters, BackspaceAndDeleteRemoveWholeCharacters) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    // Backspace after 中 in 中a takes 中, not half of it (D6 61 would read as another character).
    memo.SetText(kZhong + "a");
    memo.Selection().MoveCaret(3);
    memo.KeyDown(VK_BACK, kNone);
    EXPECT_EQ(memo.Text(), "a");
    memo.Undo();
    EXPECT_EQ(memo.Text(), kZhong + "a");

    memo.SetText("x" + kWide + kShi + "\xFF" + "y");
    memo.Selection().MoveCaret(2);
    memo.KeyDown(VK_DELETE, kNone);
    EXPECT_EQ(memo.Text(), "x" + kShi + "\xFFy");
    memo.KeyDown(VK_DELETE, kNone);
    EXPECT_EQ(memo.Text(), "x\xFFy");
    memo.KeyDown(VK_DELETE, kNone); // a byte that forms no character goes alone
    EXPECT_EQ(memo.Text(), "xy");
    memo.Undo(); // the deletions forward merged into one record of whole characters
    EXPECT_EQ(memo.Text(), "x" + kWide + kShi + "\xFFy");
}

TEST(Characters, WordMovesAndDoubleClicksTreatChineseAsNoWord) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    // 說 ends in "f" and 時 in "r": neither byte belongs to the word after it.
    memo.SetText("id " + kShuo + "abc " + kShi + "abc");
    EXPECT_EQ(Walk(memo, 1, VK_RIGHT, kCtrl), (std::vector<int32_t>{1, 3, 6, 9, 12, 15}));
    EXPECT_EQ(Walk(memo, 15, VK_LEFT, kCtrl), (std::vector<int32_t>{15, 12, 9, 6, 3, 1}));

    memo.Selection().MoveCaret(13);
    memo.DblClick();
    EXPECT_EQ(memo.Selection().GetText(), "abc");
    memo.MouseUp(TMouseButton::mbLeft, kNone, 0, 0);
    // On Chinese text a double click still selects nothing.
    memo.Selection().MoveCaret(10);
    memo.DblClick();
    EXPECT_EQ(memo.Selection().RLength(), 0);
    memo.MouseUp(TMouseButton::mbLeft, kNone, 0, 0);
    // A run of ASCII digits before a four-byte character (whose second byte is a digit).
    memo.SetText("12" + kWide + "34");
    memo.Selection().MoveCaret(8);
    memo.DblClick();
    EXPECT_EQ(memo.Selection().GetText(), "34");
    memo.MouseUp(TMouseButton::mbLeft, kNone, 0, 0);
}

TEST(Characters, ClicksAndVerticalMovesLandAtTheCharacterHoldingTheColumn) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetText("abcdef\r\n" + kZhong + kWen + "xy\r\nabcdef");
    // Column 4 of row 2 is 文's second cell: the caret goes before 文.
    memo.Selection().MoveCaret(4);
    memo.KeyDown(VK_DOWN, kNone);
    EXPECT_EQ(memo.Selection().CaretPos(), 11);
    memo.KeyDown(VK_DOWN, kNone); // the wanted column is kept
    EXPECT_EQ(memo.Selection().CaretPos(), 20);
    memo.Selection().MoveCaret(2);
    memo.KeyDown(VK_DOWN, kNone); // column 2: 中's second cell
    EXPECT_EQ(memo.Selection().CaretPos(), 9);

    // A click in the left half of 中's second cell, then in the left half of 文's first cell.
    TPoint second = CellMiddle(memo, 10);
    memo.MouseDown(TMouseButton::mbLeft, kNone, second.X, second.Y);
    memo.MouseUp(TMouseButton::mbLeft, kNone, second.X, second.Y);
    EXPECT_EQ(memo.Selection().CaretPos(), 9);
    // A drag from there to the middle of 文's second cell selects 中 only.
    TPoint wenTrail = CellMiddle(memo, 12);
    memo.MouseDown(TMouseButton::mbLeft, kNone, second.X, second.Y);
    memo.MouseMove(TShiftState{TShiftFlag::ssLeft}, wenTrail.X, wenTrail.Y);
    memo.MouseUp(TMouseButton::mbLeft, kNone, wenTrail.X, wenTrail.Y);
    EXPECT_EQ(memo.Selection().GetText(), kZhong);
}

TEST(Characters, DroppedTextLandsBetweenCharacters) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    memo.SetDragDropEditing(true);
    memo.SetText("ab" + kZhong + kWen + "cd");
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(2);
    TPoint inside = CellMiddle(memo, 1);
    memo.MouseDown(TMouseButton::mbLeft, kNone, inside.X, inside.Y);
    TPoint wenTrail = CellMiddle(memo, 6); // 文's second cell
    memo.MouseMove(TShiftState{TShiftFlag::ssLeft}, wenTrail.X, wenTrail.Y);
    memo.MouseUp(TMouseButton::mbLeft, kNone, wenTrail.X, wenTrail.Y);
    EXPECT_EQ(memo.Text(), kZhong + "ab" + kWen + "cd");
    memo.Undo();
    EXPECT_EQ(memo.Text(), "ab" + kZhong + kWen + "cd");
}

TEST(Characters, TypedCharactersEnterWholeAndPartialOnesNever) {
    TScreenFixture screen;
    TMemoComponent& memo = screen.Memo;
    for (char byte : "a" + kZhong + kWide)
        memo.KeyPress(byte);
    EXPECT_EQ(memo.Text(), "a" + kZhong + kWide);
    ASSERT_EQ(memo.UndoList().size(), 1u); // typing on merges, character by character
    // Typed over a selection, a character replaces it whole; undo restores the selection.
    memo.Selection().SetRStart(2);
    memo.Selection().SetREnd(3);
    memo.KeyPress(kWen[0]);
    EXPECT_EQ(memo.Text(), "a" + kZhong + kWide); // nothing yet: half a character
    memo.KeyPress(kWen[1]);
    EXPECT_EQ(memo.Text(), "a" + kWen + kWide);
    memo.Undo();
    EXPECT_EQ(memo.Text(), "a" + kZhong + kWide);
    EXPECT_EQ(memo.Selection().GetText(), kZhong);

    // A lead byte that the next key cannot continue is dropped; the key itself is typed.
    memo.SetText("");
    memo.KeyPress('\xD6');
    memo.KeyPress('\r');
    memo.KeyPress('\xD6');
    memo.KeyPress(' ');
    memo.KeyPress('\x80'); // no character starts with 0x80 or 0xFF
    memo.KeyPress('\xFF');
    memo.KeyPress('\x95');
    memo.KeyPress('\x32');
    memo.KeyPress('x'); // a four-byte code cut short
    EXPECT_EQ(memo.Text(), "\r\n x");
    // A lead byte left waiting never joins a later key.
    memo.KeyPress('\xD6');
    memo.KeyDown(VK_LEFT, kNone);
    memo.KeyPress('a');
    EXPECT_EQ(memo.Text(), "\r\n ax");
    // 127 (Ctrl+Backspace) is a control code, not text.
    memo.KeyPress('\x7F');
    EXPECT_EQ(memo.Text(), "\r\n ax");
}

TEST(Characters, BoundariesAgreeWithDecodingFromTheStart) {
    // Bytes chosen to make every kind of run: digits and letters that are also trail bytes,
    // lead bytes, 0x80 and 0xFF that form no character, blanks that end one for sure.
    const unsigned char alphabet[] = {0x30, 0x32, 0x39, 0x40, 0x66, 0x7B, 0x80,
                                      0x81, 0x95, 0xD6, 0xFE, 0xFF, ' ',  'a'};
    std::mt19937 random(20261209);
    TMemoComponent memo;
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const int length = std::uniform_int_distribution<int>(0, 40)(random);
        for (int i = 0; i < length; ++i)
            text += static_cast<char>(alphabet[std::uniform_int_distribution<size_t>(
                0, std::size(alphabet) - 1)(random)]);
        memo.SetText(text);
        ASSERT_EQ(memo.Text(), text);
        // The character that holds each byte, by decoding from the first byte.
        std::vector<int32_t> holder(text.size() + 2, 0);
        for (size_t pos = 0; pos < text.size();) {
            int step = std::max(platform::CodePageCharLength(text, pos), 1);
            for (int i = 0; i < step; ++i)
                holder[pos + static_cast<size_t>(i) + 1] = static_cast<int32_t>(pos) + 1;
            pos += static_cast<size_t>(step);
        }
        for (int32_t pos = 1; pos <= static_cast<int32_t>(text.size()); ++pos) {
            ASSERT_EQ(memo.CharStart(pos), holder[static_cast<size_t>(pos)])
                << ::testing::PrintToString(text) << " at " << pos;
            if (holder[static_cast<size_t>(pos)] == pos) {
                int32_t next = memo.NextCharPos(pos);
                ASSERT_EQ(memo.PrevCharPos(next), pos) << ::testing::PrintToString(text);
            }
        }
    }
}

namespace {

// Fails in the middle of a compound edit: the failAt-th replacement throws once the text
// changed.
class TFailingMemo : public TMemoComponent {
public:
    int FailAt = 0;

protected:
    void TextChanged(int32_t, int32_t, int32_t) override {
        if (--FailAt == 0) throw std::runtime_error("a handler failed");
    }
};

int GroupMarkers(const std::deque<TUndoOperation>& list) {
    int markers = 0;
    for (const TUndoOperation& op : list)
        markers += op.StartPos == -1 ? 1 : 0;
    return markers;
}

} // namespace

TEST(Characters, GuardsCloseTheGroupAndTheLockWhenAnEditThrows) {
    TFailingMemo memo;
    int changes = 0;
    memo.OnChange = [&](TMemoComponent&) { ++changes; };
    memo.SetText("a\r\nb\r\nc");
    memo.ClearUndo();
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(7);
    memo.FailAt = 2; // the second row's tab
    EXPECT_THROW(memo.IndentSelection(1), std::runtime_error);
    EXPECT_FALSE(memo.LockNotify());
    EXPECT_EQ(GroupMarkers(memo.UndoList()), 2);
    EXPECT_EQ(memo.Text(), "\ta\r\n\tb\r\nc");
    // What was done comes back as one step, and the editor speaks again.
    changes = 0;
    memo.Undo();
    EXPECT_EQ(memo.Text(), "a\r\nb\r\nc");
    EXPECT_GT(changes, 0);
    EXPECT_FALSE(memo.CanUndo());

    // The same during the replay of a group.
    memo.Selection().SetRStart(1);
    memo.Selection().SetREnd(7);
    memo.IndentSelection(1);
    ASSERT_EQ(memo.Text(), "\ta\r\n\tb\r\n\tc");
    memo.FailAt = 2;
    EXPECT_THROW(memo.Undo(), std::runtime_error);
    EXPECT_FALSE(memo.LockNotify());
    EXPECT_FALSE(memo.Undoing());
    changes = 0;
    memo.Selection().MoveCaret(1);
    memo.KeyPress('x');
    EXPECT_EQ(changes, 1);
}
