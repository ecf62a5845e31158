// Positions, tracked ranges, the selection and the view.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "EditRule.h"
#include "FakeHost.h"
#include "base/Exception.h"
#include "editor/MemoComponent.h"
#include "platform/headless/HeadlessHost.h"

TEST(Geometry, PositionsRowsAndColumnsConvertBothWays) {
    TMemoComponent memo;
    memo.SetText("ab\r\ncd");
    EXPECT_EQ(memo.CharPosToRowCol(3), (TRowCol{1, 3}));
    EXPECT_EQ(memo.CharPosToRowCol(4), (TRowCol{1, 4}));
    EXPECT_EQ(memo.CharPosToRowCol(5), (TRowCol{2, 1}));
    EXPECT_EQ(memo.CharPosToRowCol(7), (TRowCol{2, 3}));
    EXPECT_EQ(memo.CharPosToRowCol(0), (TRowCol{1, 0}));
    EXPECT_EQ(memo.CharPosToRowCol(99), (TRowCol{2, 95}));
    EXPECT_EQ(memo.RowColToCharPos({2, 0}), 4);
    EXPECT_EQ(memo.RowColToCharPos({3, -2}), 6);
    EXPECT_EQ(memo.RowColToCharPos({0, 5}), 5);
    EXPECT_EQ(memo.RowColToCharPos({3, 1}), 9);

    TMemoComponent empty;
    EXPECT_EQ(empty.CharPosToRowCol(1), (TRowCol{1, 1}));
}

TEST(Geometry, TabsSpanDisplayColumns) {
    TMemoComponent memo;
    memo.SetTabSize(4);
    memo.SetText("a\tb\r\n\t\tc");
    EXPECT_EQ(memo.RowColToDisplayCol({1, 2}), 2);
    EXPECT_EQ(memo.RowColToDisplayCol({1, 3}), 5);
    for (int display : {2, 3, 4}) {
        TRowCol found = memo.DisplayColToRowCol({1, display});
        EXPECT_EQ(found, (TRowCol{1, 2})) << display;
        TRowCol start{1, display};
        EXPECT_EQ(memo.DisplayColToRowColStart(start), 2);
    }
    EXPECT_EQ(memo.DisplayColToRowCol({1, 5}), (TRowCol{1, 3}));
    EXPECT_EQ(memo.DisplayColToRowCol({1, 40}), (TRowCol{1, 4}));
    EXPECT_EQ(memo.DisplayColToRowCol({9, 0}), (TRowCol{2, 1}));
    EXPECT_EQ(memo.RowColToDisplayCol({2, 3}), 9);
    EXPECT_EQ(memo.TabWidthAt(1), 4);
    EXPECT_EQ(memo.TabWidthAt(2), 3);
    EXPECT_EQ(memo.TabWidthAt(memo.RowColToCharPos({2, 3})), 4);
    memo.SetTabSize(1);
    EXPECT_EQ(memo.RowColToDisplayCol({1, 3}), 3);
    EXPECT_EQ(memo.TabWidthAt(2), 1);

    // Pixels: half a cell rounds to the next boundary.
    EXPECT_EQ(memo.RowColToPixel({2, 3}), (platform::TPoint{2 * 8 + 2, 13}));
    EXPECT_EQ(memo.PixelToRowCol({2 + 8 + 3, 14}), (TRowCol{2, 2}));
    EXPECT_EQ(memo.PixelToRowCol({2 + 8 + 4, 0}), (TRowCol{1, 3}));
}

TEST(TrackedRanges, EditsMoveClipAndSwallowRanges) {
    TMemoComponent memo;
    memo.SetText("0123456789abcdef");
    TMCRange& caret = memo.Ranges().Create<TMCRange>();
    caret.SetRStart(5);
    caret.SetREnd(4);
    int overwrites = 0;
    caret.OnOverwrite = [&](TCustomRange&) { ++overwrites; };

    TMCRange typing(&memo);
    typing.SetRStart(5);
    typing.SetREnd(4);
    typing.SetText("x");
    EXPECT_EQ(caret.RStart(), 5);
    EXPECT_EQ(caret.REnd(), 4);

    TMCRange span(&memo);
    span.SetRStart(2);
    span.SetREnd(4);
    span.Delete();
    EXPECT_EQ(caret.RStart(), 2);
    EXPECT_EQ(overwrites, 0);

    caret.SetRStart(5);
    caret.SetREnd(4);
    span.SetRStart(2);
    span.SetREnd(4);
    span.SetText("12345");
    EXPECT_EQ(caret.RStart(), 2);
    EXPECT_EQ(caret.REnd(), 1);
    EXPECT_EQ(overwrites, 1);

    memo.SetText("0123456789abcdef");
    TMCRange& word = memo.Ranges().Create<TMCRange>();
    word.SetRStart(3);
    word.SetREnd(6);
    int wordOverwrites = 0;
    word.OnOverwrite = [&](TCustomRange&) { ++wordOverwrites; };
    span.SetRStart(5);
    span.SetREnd(9);
    span.Delete();
    EXPECT_EQ(word.RStart(), 3);
    EXPECT_EQ(word.REnd(), 4);
    EXPECT_EQ(wordOverwrites, 0);
    span.SetRStart(1);
    span.SetREnd(9);
    span.Delete();
    EXPECT_EQ(word.RStart(), 1);
    EXPECT_EQ(word.REnd(), 0);
    EXPECT_EQ(wordOverwrites, 1);

    // Insertions: at RStart the range shifts, inside it grows, right after it stays outside.
    memo.SetText("abcdef");
    word.SetRStart(2);
    word.SetREnd(4);
    auto insertAt = [&](int32_t pos, const char* text) {
        TMCRange place(&memo);
        place.SetRStart(pos);
        place.SetREnd(pos - 1);
        place.SetText(text);
    };
    insertAt(2, "__");
    EXPECT_EQ(word.RStart(), 4);
    EXPECT_EQ(word.REnd(), 6);
    insertAt(5, "+");
    EXPECT_EQ(word.REnd(), 7);
    insertAt(8, "!");
    EXPECT_EQ(word.REnd(), 7);
    EXPECT_EQ(word.GetText(), "b+cd");
}

TEST(TrackedRanges, SettersClampAndAssignCopiesEnds) {
    TMemoComponent memo;
    memo.SetText("hello");
    TMCRange range(&memo);
    range.SetRStart(-4);
    EXPECT_EQ(range.RStart(), 1);
    range.SetREnd(99);
    EXPECT_EQ(range.REnd(), 5);
    range.SetRStart(9);
    EXPECT_EQ(range.RStart(), 6);
    EXPECT_EQ(range.REnd(), 5);
    range.SetRStart(2);
    range.SetRLength(2);
    EXPECT_EQ(range.GetText(), "el");
    range.SetREnd(0);
    EXPECT_EQ(range.REnd(), 1);

    int changes = 0;
    TMCRange copy(&memo);
    copy.OnChange = [&](TCustomRange&) { ++changes; };
    range.SetRStart(2);
    range.SetREnd(4);
    copy.Assign(range);
    EXPECT_EQ(copy.RStart(), 2);
    EXPECT_EQ(copy.REnd(), 4);
    EXPECT_EQ(changes, 1); // one bracket around both ends
    EXPECT_THROW(copy.Assign(TOwnedPersistent(nullptr)), EAssignError);

    // Without an editor a range reads as empty and answers row 1.
    TMCRange loose(static_cast<TMemoComponent*>(nullptr));
    EXPECT_EQ(loose.GetText(), "");
    EXPECT_EQ(loose.GetStartRowCol(), (TRowCol{1, 1}));
    EXPECT_EQ(loose.GetEndRowCol(), (TRowCol{1, 0}));

    memo.SelectAll();
    EXPECT_EQ(memo.Selection().RStart(), 1);
    EXPECT_EQ(memo.Selection().REnd(), 5);
    memo.ClearSelection();
    EXPECT_EQ(memo.Text(), "");
}

TEST(TrackedRanges, RegistryFreesItsRangesAndFindsThemInOrder) {
    auto memo = std::make_unique<TMemoComponent>();
    TMCRanges& ranges = memo->Ranges();
    int before = ranges.Count(); // the view and the selection
    TMCRange& first = ranges.Create<TMCRange>();
    TMCRange& second = ranges.Create<TMCRange>();
    TMCRange& third = ranges.Create<TMCRange>();
    EXPECT_EQ(ranges.Count(), before + 3);
    TFastObjectContainer::Free(&second);
    EXPECT_EQ(ranges.Count(), before + 2);
    EXPECT_EQ(ranges.Items(before), &first);
    EXPECT_EQ(ranges.Items(before + 1), &third);
    EXPECT_THROW(ranges.Items(before + 2), Exception);
    EXPECT_TRUE(ranges.IndexIsConsistent());
    memo.reset(); // frees first and third; sanitizers catch a leak or a double free
}

TEST(TrackedRanges, HandlersAreSharedCopiedReplacedAndCleared) {
    TMemoComponent memo;
    TMCRanges& ranges = memo.Ranges();
    memo.SetText("0123456789abcdef");
    auto rangeAt = [&](int32_t start, int32_t end) -> TMCRange& {
        TMCRange& range = ranges.Create<TMCRange>();
        range.SetRStart(start);
        range.SetREnd(end);
        return range;
    };
    auto deleteSpan = [&](int32_t start, int32_t end) {
        TMCRange span(&memo);
        span.SetRStart(start);
        span.SetREnd(end);
        span.Delete();
    };

    // One handler without state on many ranges, each freeing its own range when swallowed,
    // as the source editor's chain does.
    int before = ranges.Count();
    for (int32_t start = 2; start <= 12; start += 2) {
        rangeAt(start, start).OnOverwrite = [](TCustomRange& swallowed) {
            TFastObjectContainer::Free(&swallowed);
        };
    }
    EXPECT_EQ(ranges.Count(), before + 6);
    deleteSpan(1, 7); // swallows the ranges at 2, 4 and 6
    EXPECT_EQ(ranges.Count(), before + 3);
    EXPECT_TRUE(ranges.IndexIsConsistent());
    deleteSpan(1, memo.TextLength());
    EXPECT_EQ(ranges.Count(), before);

    // Copies of a handler with state are independent, like copies of a std::function.
    memo.SetText("0123456789abcdef");
    std::vector<std::string> log;
    TRangeHandler counting = [&log, calls = 0](TCustomRange& sender) mutable {
        log.push_back(std::to_string(sender.RStart()) + ":" + std::to_string(++calls));
    };
    TMCRange& first = rangeAt(3, 4);
    TMCRange& second = rangeAt(8, 9);
    first.OnOverwrite = counting;
    second.OnOverwrite = counting;
    counting = nullptr;
    EXPECT_FALSE(counting);
    EXPECT_TRUE(first.OnOverwrite);
    deleteSpan(3, 4);
    first.SetRStart(3);
    first.SetREnd(4);
    deleteSpan(3, 4);
    deleteSpan(4, 5); // second is at 4 .. 5 now
    EXPECT_EQ(log, (std::vector<std::string>{"3:1", "3:2", "4:1"}));
    second.OnOverwrite = nullptr; // it lies empty where the next edits fall

    // Replaced, the old handler is not called; cleared, none is; an empty std::function
    // leaves no handler either.
    log.clear();
    int replaced = 0;
    first.SetRStart(3);
    first.SetREnd(4);
    first.OnOverwrite = [&replaced](TCustomRange&) { ++replaced; };
    deleteSpan(3, 4);
    EXPECT_EQ(replaced, 1);
    EXPECT_TRUE(log.empty());
    first.OnOverwrite = nullptr;
    EXPECT_FALSE(first.OnOverwrite);
    first.SetRStart(3);
    first.SetREnd(4);
    deleteSpan(3, 4);
    first.OnOverwrite = std::function<void(TCustomRange&)>();
    EXPECT_FALSE(first.OnOverwrite);
    EXPECT_EQ(replaced, 1);

    // A range freed by its own handler with state, and OnChange copied from one range to
    // another: both call it, and clearing one leaves the other.
    memo.SetText("0123456789abcdef");
    second.SetRStart(6);
    second.SetREnd(7);
    int freed = 0;
    second.OnOverwrite = [&freed](TCustomRange& sender) {
        ++freed;
        TFastObjectContainer::Free(&sender);
    };
    int changes = 0;
    TMCRange& third = rangeAt(10, 12);
    TMCRange& fourth = rangeAt(13, 14);
    third.OnChange = [&changes](TCustomRange&) { ++changes; };
    fourth.OnChange = third.OnChange;
    int count = ranges.Count();
    deleteSpan(5, 8);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(ranges.Count(), count - 1);
    EXPECT_EQ(changes, 2); // both moved back by the edit, each called its copy
    EXPECT_EQ(third.RStart(), 6);
    EXPECT_EQ(fourth.RStart(), 9);
    third.OnChange = nullptr;
    deleteSpan(1, 1);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(fourth.RStart(), 8);
    EXPECT_TRUE(ranges.IndexIsConsistent());
}

TEST(TrackedRanges, ARangeTakenOutOfTheRegistryKeepsItsPlace) {
    TMemoComponent memo;
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "0123456789";
    memo.SetText(text);
    // Enough ranges for several blocks; the last block, far from the selection, moves as a
    // whole, so the ends of its ranges are stored relative to it.
    TMCRange* last = nullptr;
    for (int32_t start = 1; start < 1400; start += 2) {
        last = &memo.Ranges().Create<TMCRange>();
        last->SetRStart(start);
        last->SetREnd(start + 1);
    }
    TMCRange span(&memo);
    span.SetRStart(1);
    span.SetREnd(2);
    span.Delete();
    EXPECT_EQ(last->RStart(), 1397);
    EXPECT_EQ(last->GetText(), "89");
    memo.Ranges().Remove(last);
    std::unique_ptr<TMCRange> owned(last);
    EXPECT_EQ(last->Container(), nullptr);
    EXPECT_EQ(last->RStart(), 1397);
    EXPECT_EQ(last->REnd(), 1398);
    EXPECT_TRUE(memo.Ranges().IndexIsConsistent());
    span.SetRStart(1);
    span.SetREnd(1);
    span.Delete();
    EXPECT_TRUE(memo.Ranges().IndexIsConsistent());
}

TEST(Selection, ExtendToFlipsDirectionAndKeepsTheAnchor) {
    TMemoComponent memo;
    memo.SetText("0123456789");
    TSelectionRange& selection = memo.Selection();
    selection.MoveCaret(5);
    selection.ExtendTo(4);
    EXPECT_TRUE(selection.Backwards());
    EXPECT_EQ(selection.RStart(), 4);
    EXPECT_EQ(selection.REnd(), 4);
    EXPECT_EQ(selection.CaretPos(), 4);
    selection.ExtendTo(5);
    selection.ExtendTo(6);
    EXPECT_FALSE(selection.Backwards());
    EXPECT_EQ(selection.RStart(), 5);
    EXPECT_EQ(selection.REnd(), 5);
    EXPECT_EQ(selection.CaretPos(), 6);

    // Typing replaces the selection and leaves the caret after the new text.
    selection.SetText("ab\ncd");
    EXPECT_EQ(memo.Text(), "0123ab\r\ncd56789");
    EXPECT_EQ(selection.RLength(), 0);
    EXPECT_EQ(selection.CaretPos(), 11);
}

TEST(Selection, DesiredColumnSurvivesVerticalMovesOnly) {
    TMemoComponent memo;
    memo.SetTabSize(4);
    memo.SetText("abcdefgh\r\n\tx\r\nab");
    TSelectionRange& selection = memo.Selection();
    selection.MoveCaret(7); // display column 7
    EXPECT_EQ(selection.DesiredCol(), 7);
    EXPECT_EQ(selection.ColumnForRow(2), 3); // past "\tx": the row's end
    EXPECT_EQ(selection.ColumnForRow(3), 3);
    EXPECT_EQ(selection.ColumnForRow(0), -1); // before the first row
    EXPECT_EQ(selection.ColumnForRow(4), -1);
    selection.MoveCaret(memo.RowColToCharPos({2, 2}));
    EXPECT_EQ(selection.DesiredCol(), 5);
    selection.SetDesiredCol(7);
    EXPECT_EQ(selection.DesiredCol(), 7);
    selection.MoveCaret(1);
    EXPECT_EQ(selection.DesiredCol(), 1);
}

TEST(View, ScrollIntoViewMovesTheTopRowByTheMargin) {
    TFakeHost host(8 * 20 + 2, 130);
    TMemoComponent memo(&host);
    memo.WindowCreated();
    std::string text;
    for (int i = 1; i <= 40; ++i)
        text += std::string(static_cast<size_t>(i), 'x') + "\r\n";
    memo.SetText(text);
    EXPECT_EQ(memo.VisibleRows(), 10);
    EXPECT_EQ(memo.VisibleCols(), 20);
    memo.Selection().MoveCaret(memo.RowColToCharPos({30, 1}));
    memo.ScrollCaretIntoView();
    EXPECT_EQ(memo.VisibleRange().TopRow(), 25);
    EXPECT_EQ(memo.VisibleRange().LeftCol(), 1);
    // Far right on row 30: the view shifts so the caret sits Margin columns inside.
    memo.Selection().MoveCaret(memo.RowColToCharPos({30, 31}));
    memo.Selection().ScrollIntoView(4);
    EXPECT_EQ(memo.VisibleRange().LeftCol(), 31 - 20 + 4);
    memo.Selection().MoveCaret(memo.RowColToCharPos({3, 1}));
    memo.Selection().ScrollIntoView(0);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 3);
    EXPECT_EQ(memo.VisibleRange().LeftCol(), 1);
    memo.VisibleRange().SetTopRow(-5);
    EXPECT_EQ(memo.VisibleRange().TopRow(), 1);
    EXPECT_EQ(memo.VisibleRange().RStart(), 1);
    EXPECT_EQ(memo.VisibleRange().GetEndRowCol(), (TRowCol{12, 0}));
}

TEST(Caret, FollowsFocusSelectionAndReadOnly) {
    TFakeHost host(200, 130);
    TMemoComponent memo(&host);
    memo.WindowCreated();
    memo.SetText("abc\r\ndef");
    EXPECT_FALSE(host.CaretVisible);
    memo.SetFocused(true);
    EXPECT_EQ(host.CaretHeight, 11);
    EXPECT_TRUE(host.CaretVisible);
    memo.Selection().MoveCaret(6);
    EXPECT_EQ(host.Caret, (platform::TPoint{2 - 1, 13 + 1})); // row 2, before "d"
    memo.Selection().ExtendTo(8);
    EXPECT_FALSE(host.CaretVisible); // a selection hides it
    memo.SetAlwaysShowCaret(true);
    EXPECT_TRUE(host.CaretVisible);
    EXPECT_EQ(host.Caret, (platform::TPoint{2 * 8 + 2 - 1, 13 + 1})); // after "de"
    memo.SetReadOnly(true);
    EXPECT_FALSE(host.CaretVisible);
    memo.SetReadOnly(false);
    memo.Selection().SetHidden(true);
    EXPECT_FALSE(host.CaretVisible);
    memo.Selection().SetHidden(false);
    memo.SetFocused(false);
    EXPECT_EQ(host.CaretHeight, 0);
    EXPECT_FALSE(memo.CaretCreated());
}

TEST(TrackedRanges, RangesStartingTogetherMayCrossAndStayFindable) {
    TMemoComponent memo;
    memo.SetText("0123456789");
    // Both start at 5: the word moves past the inserted text, the empty mark collapses onto
    // the edit's start and so overtakes it.
    TMCRange& word = memo.Ranges().Create<TMCRange>();
    word.SetRStart(5);
    word.SetREnd(6);
    TMCRange& mark = memo.Ranges().Create<TMCRange>();
    mark.SetRStart(5);
    mark.SetREnd(4);
    TMCRange span(&memo);
    span.SetRStart(2);
    span.SetREnd(4);
    span.SetText("abcdef");
    EXPECT_EQ(word.RStart(), 8);
    EXPECT_EQ(mark.RStart(), 2);
    EXPECT_TRUE(memo.Ranges().IndexIsConsistent());
    // Both still follow later edits.
    span.SetRStart(1);
    span.SetREnd(0);
    span.SetText("++");
    EXPECT_EQ(word.GetText(), "45");
    EXPECT_EQ(mark.RStart(), 4);

    // A handler that edits while ranges are being moved is refused.
    word.OnOverwrite = [&](TCustomRange&) { memo.Lines().Add("x"); };
    span.SetRStart(word.RStart());
    span.SetREnd(word.REnd());
    EXPECT_THROW(span.Delete(), Exception);
    EXPECT_TRUE(memo.Ranges().IndexIsConsistent());
}

namespace {

// A tracked range as the test expects it to be.
struct TExpectedRange {
    TMCRange* Range = nullptr; // nullptr once freed
    int32_t Start = 1, End = 0;
    bool FreeOnOverwrite = false;
    bool Freed = false;    // by the test or, as expected, by its OnOverwrite handler
    bool Counting = false; // has an OnChange handler
    int Changes = 0;
    int ExpectedChanges = 0;
};

// Ranges over a long text, enough of them to fill many blocks of the registry's index, each
// followed by a model of its own through edits, moves, frees and new ranges.
class TBlockModel {
public:
    explicit TBlockModel(TMemoComponent& memo) : FMemo(memo) {}

    void SetText(std::string text) {
        FMemo.SetText(text);
        FText = std::move(text);
    }
    int32_t Length() const { return static_cast<int32_t>(FText.size()); }

    TExpectedRange& Add(int32_t start, int32_t end, bool freeOnOverwrite) {
        return Follow(FMemo.Ranges().Create<TMCRange>(), start, end, freeOnOverwrite);
    }

    TExpectedRange& Follow(TMCRange& range, int32_t start, int32_t end, bool freeOnOverwrite) {
        range.SetRStart(start);
        range.SetREnd(end);
        TExpectedRange& model = *FRanges.emplace_back(std::make_unique<TExpectedRange>());
        model.Range = &range;
        model.Start = start;
        model.End = end;
        model.FreeOnOverwrite = freeOnOverwrite;
        if (freeOnOverwrite)
            range.OnOverwrite = [&model](TCustomRange& sender) {
                model.Range = nullptr;
                TFastObjectContainer::Free(&sender);
            };
        return model;
    }

    // Gives the range an OnChange handler, or takes it away. The selection is left alone: an
    // edit brackets it, so its handler hears once per edit, visited or not.
    void Count(TExpectedRange& model, bool on) {
        if (!model.Range || model.Range == &FMemo.Selection()) return;
        model.Counting = on;
        if (on)
            model.Range->OnChange = [&model](TCustomRange&) { ++model.Changes; };
        else
            model.Range->OnChange = nullptr;
    }

    void Replace(int32_t start, int32_t end, const std::string& text) {
        FollowInModel(start, end, static_cast<int32_t>(text.size()) - (end - start + 1), nullptr);
        TMCRange span(&FMemo);
        span.SetRStart(start);
        span.SetREnd(end);
        span.SetText(text);
        FText.replace(static_cast<size_t>(start - 1), static_cast<size_t>(end - start + 1), text);
    }

    // The registry alone follows an edit that leaves skip where it is; the text stays.
    void AdjustRangesOnly(int32_t a, int32_t b, int32_t c, TExpectedRange& skip) {
        FollowInModel(a, b, c, &skip);
        FMemo.Ranges().AdjustForEdit(a, b, c, skip.Range, nullptr);
    }

    // Both ends inside the text: start <= Length() + 1 and start - 1 <= end <= Length().
    void Move(TExpectedRange& model, int32_t start, int32_t end) {
        if (!model.Range) return;
        model.Range->SetRStart(start);
        model.Range->SetREnd(end);
        model.Start = start;
        model.End = end;
        if (model.Counting) model.ExpectedChanges += 2; // one bracket per setter
    }

    void Free(TExpectedRange& model) {
        if (!model.Range || model.Range == &FMemo.Selection()) return;
        TFastObjectContainer::Free(model.Range);
        model.Range = nullptr;
        model.Freed = true;
    }

    void Check(const std::string& step) {
        SCOPED_TRACE(step);
        ASSERT_EQ(FMemo.Text(), FText);
        for (size_t i = 0; i < FRanges.size(); ++i) {
            const TExpectedRange& model = *FRanges[i];
            ASSERT_EQ(model.Range == nullptr, model.Freed) << "range " << i;
            if (!model.Range) continue;
            ASSERT_EQ(model.Range->RStart(), model.Start) << "range " << i;
            ASSERT_EQ(model.Range->REnd(), model.End) << "range " << i;
            ASSERT_EQ(model.Changes, model.ExpectedChanges) << "range " << i;
        }
        ASSERT_TRUE(FMemo.Ranges().IndexIsConsistent());
    }

    std::vector<std::unique_ptr<TExpectedRange>> FRanges;

private:
    void FollowInModel(int32_t a, int32_t b, int32_t c, const TExpectedRange* skip) {
        for (auto& model : FRanges) {
            if (model->Freed || model.get() == skip) continue;
            // The edit visits every range reaching its start; a handler hears of each visit.
            if (model->Counting && (model->Start >= a || model->End >= a)) ++model->ExpectedChanges;
            const TExpectedSpan expected = ExpectedAfterEdit(model->Start, model->End, a, b, c);
            model->Start = expected.Start;
            model->End = expected.End;
            if (expected.Overwritten && model->FreeOnOverwrite) model->Freed = true;
        }
    }

    TMemoComponent& FMemo;
    std::string FText;
};

std::string Letters(size_t count, size_t seed = 0) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += static_cast<char>('a' + (i * 7 + seed) % 26);
    return text;
}

} // namespace

// The index moves a block wholly after an edit by its offset alone; every range must still
// read its true place, whether it was shifted that way, moved, added, freed or re-sorted.
TEST(TrackedRanges, BlocksMovedAsAWholeKeepEveryRangeInPlace) {
    TMemoComponent memo;
    TBlockModel model(memo);
    model.SetText(Letters(12000));
    // Tiles of four letters, freed when swallowed, as the colouring keeps them: 3000 ranges.
    for (int32_t start = 1; start <= model.Length(); start += 4)
        model.Add(start, start + 3, true);
    // A few with handlers; the blocks of the others move as a whole.
    model.Count(*model.FRanges[0], true);
    model.Count(*model.FRanges[1000], true);
    TExpectedRange& kept = model.Add(9001, 9010, false);
    model.Count(kept, true);
    // The selection keeps its own update hooks, so its block cannot move as a whole.
    TExpectedRange& selection = model.Follow(memo.Selection(), 11001, 11004, false);
    model.Check("set up");

    model.Replace(2, 1, "xyz");
    model.Check("insertion inside the first tile");
    model.Replace(3, 8, "");
    model.Check("deletion near the start");
    model.Replace(6000, 6100, "q");
    model.Check("replacement in the middle");
    model.Replace(model.Length() + 1, model.Length(), "tail");
    model.Check("insertion at the end");

    // New ranges land in blocks that moved as a whole; 700 of them split their block.
    for (int32_t i = 0; i < 700; ++i) {
        TExpectedRange& added = model.Add(8000 + i % 50, 8000 + i % 50 + i % 5, i % 2 == 0);
        if (i % 97 == 0) model.Count(added, true);
    }
    model.Check("ranges added to moved blocks");
    model.Replace(10, 20, "helloworld");
    model.Check("deletion before the added ranges");
    model.Replace(5, 4, "abcdefghijklmnopq");
    model.Check("insertion before the added ranges");

    // A handler set on a range of a moved block, then taken away again.
    TExpectedRange& late = *model.FRanges[2500];
    model.Count(late, true);
    model.Replace(100, 99, "zz");
    model.Check("handler set in a moved block");
    model.Count(late, false);
    model.Replace(100, 101, "");
    model.Check("handler taken away");

    // Moves within and across moved blocks, and into the first block.
    for (size_t i = 50; i < model.FRanges.size(); i += 97) {
        int32_t start = static_cast<int32_t>(i * 31 % static_cast<size_t>(model.Length())) + 1;
        model.Move(*model.FRanges[i], start, std::min(model.Length(), start + 2));
    }
    model.Check("ranges moved");
    model.Replace(50, 49, "m");
    model.Check("insertion after the moves");

    // Freeing every range between two places empties whole blocks.
    for (auto& range : model.FRanges)
        if (!range->Freed && range->Start >= 7000 && range->Start <= 9500) model.Free(*range);
    model.Check("ranges freed");
    model.Replace(7100, 7300, "");
    model.Check("deletion where the freed ranges were");
    model.Replace(20, 19, "nn");
    model.Check("insertion before the emptied place");

    // A long range, kept outside the blocks, comes back into one when shortened.
    TExpectedRange& wide = model.Add(200, 200 + TMCRanges::kLongRange + 100, false);
    model.Replace(300, 299, "w");
    model.Check("insertion inside the long range");
    model.Move(wide, 10500, 10502);
    model.Replace(30, 29, "s");
    model.Check("long range shortened into a moved block");

    // An empty mark starting with a tile collapses onto a replacement just before them and
    // overtakes the tile: the blocks from there on, moved ones among them, are sorted again.
    model.Move(selection, 1, 0);
    model.Replace(6, 5, "ab");
    int32_t tileStart = 0;
    for (auto& range : model.FRanges)
        if (!range->Freed && range->Start > 2000 && range->End >= range->Start) {
            tileStart = range->Start;
            break;
        }
    ASSERT_GT(tileStart, 0);
    model.Add(tileStart, tileStart - 1, false);
    model.Replace(tileStart - 3, tileStart - 1, "abcdef");
    model.Check("order repaired after a crossing");
    model.Replace(1, 0, "first");
    model.Check("insertion at the very start");

    // Edits after every range.
    for (auto& range : model.FRanges)
        if (!range->Freed && range->End >= model.Length() - 200) model.Free(*range);
    model.Replace(model.Length() - 100, model.Length() - 50, "end");
    model.Check("replacement after every range");

    // A range the edit must leave alone stays put even in a block moved as a whole; as the
    // last one, it keeps the order when the others move towards it.
    TExpectedRange& last = model.Add(model.Length() - 10, model.Length() - 5, false);
    model.AdjustRangesOnly(3000, 3009, -10, last);
    model.Check("a skipped range in a moved block");

    // Then a mixture, from a fixed seed.
    std::mt19937 random(20240611u);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int step = 0; step < 400; ++step) {
        int action = pick(0, 9);
        int32_t start = pick(1, model.Length() + 1);
        if (action == 0) {
            int32_t end = std::min(model.Length(), start - 1 + pick(0, 6));
            TExpectedRange& added = model.Add(start, end, pick(0, 1) == 0);
            if (pick(0, 4) == 0) model.Count(added, true);
            // Sometimes an edit just before it, so that an empty range overtakes others.
            if (start > 3 && pick(0, 1) == 0) model.Replace(start - 3, start - 1, "uvwxyz");
        } else if (action == 1) {
            model.Free(*model.FRanges[static_cast<size_t>(
                pick(0, static_cast<int>(model.FRanges.size()) - 1))]);
        } else if (action == 2) {
            TExpectedRange& moved = *model.FRanges[static_cast<size_t>(
                pick(0, static_cast<int>(model.FRanges.size()) - 1))];
            model.Move(moved, start, std::min(model.Length(), start - 1 + pick(0, 8)));
        } else if (action == 3) {
            TExpectedRange& toggled = *model.FRanges[static_cast<size_t>(
                pick(0, static_cast<int>(model.FRanges.size()) - 1))];
            model.Count(toggled, !toggled.Counting);
        } else {
            int32_t end = std::min(model.Length(), start - 1 + pick(0, action == 4 ? 300 : 8));
            model.Replace(start, end,
                          Letters(static_cast<size_t>(pick(0, 12)), static_cast<size_t>(step)));
        }
        model.Check("mixed step " + std::to_string(step));
        if (testing::Test::HasFatalFailure()) return;
    }
}

TEST(Painting, DefaultFormattingHighlightsTheSelectedPart) {
    TMemoComponent memo;
    memo.SetText("ab\r\ncd");
    memo.Selection().SetRStart(2);
    memo.Selection().SetREnd(2);
    TMCRange row(&memo);
    row.SetRStart(1);
    row.SetREnd(4);
    TFormattedRangeArray pieces;
    memo.GetFormattedRanges(row, pieces);
    std::vector<std::unique_ptr<TCustomFormattedRange>> owned(pieces.begin(), pieces.end());
    ASSERT_EQ(owned.size(), 3u);
    EXPECT_EQ(owned[0]->GetText(), "a");
    EXPECT_EQ(owned[0]->Color(), clWindow);
    EXPECT_EQ(owned[1]->GetText(), "b");
    EXPECT_EQ(owned[1]->Color(), clHighlight);
    EXPECT_EQ(owned[2]->GetText(), "\r\n");
    EXPECT_TRUE(owned[2]->FreeAfterPaint());
    memo.Selection().SetHidden(true);
    pieces.clear();
    memo.GetFormattedRanges(row, pieces);
    ASSERT_EQ(pieces.size(), 1u);
    std::unique_ptr<TCustomFormattedRange> whole(pieces[0]);
    EXPECT_EQ(whole->GetText(), "ab\r\n");
}

TEST(Painting, OnlyChangedPartsRepaintAndThePaintLockHoldsThemBack) {
    platform::headless::HeadlessHost host(200, 130, {8, 13, 0, 0});
    TMemoComponent memo(&host);
    memo.WindowCreated();
    memo.SetText("abcdef\r\nghijkl");
    // The text pieces an action paints, in order.
    auto paintedDuring = [&](auto&& action) {
        host.Screen().ClearOps();
        action();
        std::string painted;
        for (const auto& op : host.Screen().OpsOf(platform::headless::TCanvasOpKind::Text))
            painted += op.Text + "|";
        return painted;
    };
    TSelectionRange& selection = memo.Selection();
    EXPECT_EQ(paintedDuring([&] { selection.MoveCaret(3); }), "");   // a caret paints nothing
    EXPECT_EQ(paintedDuring([&] { selection.ExtendTo(5); }), "cd|"); // the added tail
    EXPECT_EQ(paintedDuring([&] { selection.ExtendTo(5); }), "");
    EXPECT_EQ(paintedDuring([&] { selection.ExtendTo(6); }), "e|");
    EXPECT_EQ(paintedDuring([&] { selection.MoveCaret(9); }), "cde|"); // the old selection
    EXPECT_EQ(paintedDuring([&] { selection.SetText("x"); }), "xghijkl|");
    EXPECT_EQ(paintedDuring([&] {
                  memo.VisibleRange().BeginUpdate();
                  memo.Lines().Add("more");
                  selection.ExtendTo(1);
                  memo.VisibleRange().CancelUpdate();
              }),
              "");

    // Without a window nothing paints and nothing fails.
    TMemoComponent headless;
    headless.SetText("abc");
    headless.Selection().ExtendTo(3);
    headless.VisibleRange().Paint();
    EXPECT_EQ(headless.VisibleRows(), 0);
    EXPECT_FALSE(headless.CaretShown());
}
