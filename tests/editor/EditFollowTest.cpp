// The editor's tracked ranges against the identity account of the edit rule (EditRule.h):
// random edits of tiny to long texts, many ranges of every kind, edits at the text's ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "EditRule.h"
#include "RecordingMemo.h"
#include "editor/MemoComponent.h"

namespace {

// A followed range and what the rule says of it.
struct TFollowed {
    TCustomRange* Range = nullptr; // nullptr once freed
    int32_t Start = 1, End = 0;
    int32_t StartBefore = 1, EndBefore = 0; // before the last edit, for the failure message
    bool FreeOnOverwrite = false;
    TFollowed* Partner = nullptr; // freed by this range's overwrite handler
    bool IsPartner = false;       // so never the range an edit goes through
    bool Counting = false;        // has an OnChange handler
    int Overwrites = 0, ExpectedOverwrites = 0;
    int Changes = 0, ExpectedChanges = 0;
};

class TFollowRun {
public:
    explicit TFollowRun(unsigned seed) : FRandom(seed) {}

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }
    int32_t Length() const { return static_cast<int32_t>(FText.size()); }

    std::string Letters(int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += static_cast<char>('a' + Pick(0, 25));
        return text;
    }

    void Start() {
        const int size = Pick(0, 3);
        const int length = size == 0   ? Pick(0, 4)
                           : size == 1 ? Pick(5, 40)
                           : size == 2 ? Pick(100, 800)
                                       : Pick(4500, 6000); // long ranges leave the blocks
        FText = Letters(length);
        FLongest = std::max(2 * length, 12);
        FMemo.SetText(FText);
        FMemo.Edits.clear();
        FSelection = &Follow(FMemo.Selection(), false);
        const int many = Pick(0, 2);
        // Past twice the registry's block size the blocks split.
        const int count = many == 0 ? Pick(1, 12) : many == 1 ? Pick(100, 300) : Pick(520, 1100);
        for (int i = 0; i < count; ++i)
            AddRange();
    }

    void AddRange() {
        const bool stored = Pick(0, 15) == 0;
        TCustomRange& range =
            stored ? static_cast<TCustomRange&>(FMemo.Ranges().Create<TStoredRange>())
                   : FMemo.Ranges().Create<TMCRange>();
        TFollowed& model = Follow(range, Pick(0, 2) == 0);
        PlaceRandomly(model);
        if (!stored && Pick(0, 7) == 0) {
            model.Counting = true;
            range.OnChange = [&model](TCustomRange&) { ++model.Changes; };
        }
        // Now and then a handler frees another range, as a chain unlinking its neighbour.
        if (!model.FreeOnOverwrite && Pick(0, 9) == 0) {
            TFollowed& partner = *FRanges[static_cast<size_t>(Pick(1, Last()))];
            if (&partner != &model) {
                model.Partner = &partner;
                partner.IsPartner = true;
            }
        }
    }

    // A span starting where another range starts or ends now and then, so that ends meet.
    void RandomSpan(int32_t& start, int32_t& end, int longest) {
        start = Pick(1, Length() + 1);
        if (Pick(0, 3) == 0) {
            const TFollowed& other = *FRanges[static_cast<size_t>(Pick(0, Last()))];
            start = std::clamp(Pick(0, 1) ? other.Start : other.End + Pick(0, 1), 1, Length() + 1);
        }
        end = Pick(0, 2) == 0 ? start - 1 : std::min(Length(), start - 1 + Pick(1, longest));
    }

    void PlaceRandomly(TFollowed& model) {
        int32_t start, end;
        const int longest = Pick(0, 9) == 0 ? FLongest : 6;
        RandomSpan(start, end, longest);
        model.Range->SetRStart(start);
        model.Range->SetREnd(end);
        model.Start = start;
        model.End = end;
        if (model.Counting) model.ExpectedChanges += 2; // one bracket per setter
    }

    void Free(TFollowed& model) {
        if (!model.Range || &model == FSelection) return;
        TFastObjectContainer::Free(model.Range);
        model.Range = nullptr;
    }

    // One random edit through one of the ways the editor replaces text.
    std::string Edit() {
        int32_t a = Pick(1, Length() + 1);
        const int where = Pick(0, 9);
        if (where == 0) a = Pick(0, 1) ? 1 : Length() + 1; // at an end of the text
        if (where == 1) {
            const TFollowed& other = *FRanges[static_cast<size_t>(Pick(0, Last()))];
            a = std::clamp(other.Start + Pick(-1, 1), 1, Length() + 1);
        }
        if (where == 2) {
            const TFollowed& other = *FRanges[static_cast<size_t>(Pick(0, Last()))];
            a = std::clamp(other.End + Pick(0, 2), 1, Length() + 1);
        }
        const bool shrink = Length() > FLongest;
        int32_t removed = Pick(0, 2) == 0 && !shrink ? 0 : Pick(1, Pick(0, 7) == 0 ? 60 : 4);
        if (Pick(0, 30) == 0) a = 1, removed = Length(); // the whole text
        const int32_t b = std::min(Length(), a - 1 + removed);
        const std::string text = Letters(Pick(0, 2) == 0 || shrink ? 0 : Pick(1, 7));

        // Through a temporary range, the selection, or a followed range (which the edit skips).
        TFollowed* through = nullptr;
        const int route = Pick(0, 5);
        if (route == 0) {
            through = FSelection;
        } else if (route == 1) {
            TFollowed& picked = *FRanges[static_cast<size_t>(Pick(0, Last()))];
            if (picked.Range && !picked.Counting && !picked.IsPartner) through = &picked;
        }
        std::string what = "replace " + std::to_string(a) + ".." + std::to_string(b) + " by " +
                           std::to_string(text.size()) + " bytes";
        FMemo.Edits.clear();
        if (through) {
            what += " through range " + std::to_string(Index(*through));
            through->Range->SetRStart(a);
            through->Range->SetREnd(b);
            ExpectEdit(a, b, static_cast<int32_t>(text.size()) - (b - a + 1), through);
            through->Range->SetText(text);
            // The edited range covers the new text; the selection is a caret after it.
            const int32_t newEnd = a + static_cast<int32_t>(text.size()) - 1;
            through->Start = through == FSelection ? newEnd + 1 : a;
            through->End = newEnd;
        } else {
            ExpectEdit(a, b, static_cast<int32_t>(text.size()) - (b - a + 1), nullptr);
            TMCRange span(&FMemo);
            span.SetRStart(a);
            span.SetREnd(b);
            span.SetText(text);
        }
        FText.replace(static_cast<size_t>(a - 1), static_cast<size_t>(b - a + 1), text);
        EXPECT_EQ(FMemo.Edits.size(), 1u) << what;
        if (FMemo.Edits.size() == 1) {
            EXPECT_EQ(FMemo.Edits[0].Pos, a) << what;
            EXPECT_EQ(FMemo.Edits[0].OldLength, b - a + 1) << what;
            EXPECT_EQ(FMemo.Edits[0].NewLength, static_cast<int32_t>(text.size())) << what;
        }
        return what;
    }

    void Step() {
        const int action = Pick(0, 19);
        std::string what;
        if (action == 0) {
            AddRange();
            what = "add a range";
        } else if (action == 1) {
            Free(*FRanges[static_cast<size_t>(Pick(0, Last()))]);
            what = "free a range";
        } else if (action == 2) {
            TFollowed& moved = *FRanges[static_cast<size_t>(Pick(0, Last()))];
            if (moved.Range) PlaceRandomly(moved);
            what = "move a range";
        } else {
            what = Edit();
        }
        Check(what);
    }

    void Check(const std::string& what) {
        SCOPED_TRACE(what);
        ASSERT_EQ(FMemo.Text(), FText);
        for (const auto& model : FRanges) {
            if (!model->Range) continue;
            const std::string range = "range " + std::to_string(Index(*model)) + " (" +
                                      model->Range->ClassName() + ") was " +
                                      std::to_string(model->StartBefore) + ".." +
                                      std::to_string(model->EndBefore);
            ASSERT_EQ(model->Range->RStart(), model->Start) << range;
            ASSERT_EQ(model->Range->REnd(), model->End) << range;
            ASSERT_EQ(model->Overwrites, model->ExpectedOverwrites) << range;
            ASSERT_EQ(model->Changes, model->ExpectedChanges) << range;
        }
        ASSERT_TRUE(FMemo.Ranges().IndexIsConsistent());
    }

private:
    TFollowed& Follow(TCustomRange& range, bool freeOnOverwrite) {
        TFollowed& model = *FRanges.emplace_back(std::make_unique<TFollowed>());
        model.Range = &range;
        model.Start = range.RStart();
        model.End = range.REnd();
        model.FreeOnOverwrite = freeOnOverwrite;
        range.OnOverwrite = [this, &model](TCustomRange& sender) {
            ++model.Overwrites;
            if (model.Partner) Free(*model.Partner);
            if (model.FreeOnOverwrite) {
                model.Range = nullptr;
                TFastObjectContainer::Free(&sender);
            }
        };
        return model;
    }

    // What every live range but the edited one should do; a range its partner's handler may
    // free during the edit is then no longer looked at.
    void ExpectEdit(int32_t a, int32_t b, int32_t c, const TFollowed* through) {
        for (const auto& model : FRanges) {
            if (!model->Range || model.get() == through) continue;
            model->StartBefore = model->Start;
            model->EndBefore = model->End;
            // The editor tells a range's handler of every edit that reaches it.
            if (model->Counting && (model->Start >= a || model->End >= a)) ++model->ExpectedChanges;
            const TExpectedSpan expected = ExpectedAfterEdit(model->Start, model->End, a, b, c);
            model->Start = expected.Start;
            model->End = expected.End;
            if (expected.Overwritten) ++model->ExpectedOverwrites;
        }
    }

    int Last() const { return static_cast<int>(FRanges.size()) - 1; }
    size_t Index(const TFollowed& model) const {
        for (size_t i = 0; i < FRanges.size(); ++i)
            if (FRanges[i].get() == &model) return i;
        return FRanges.size();
    }

    std::mt19937 FRandom;
    std::string FText;
    int FLongest = 12;
    // Declared before the editor: the handlers point into it, and the editor frees its ranges
    // (calling no handler) when it goes.
    std::vector<std::unique_ptr<TFollowed>> FRanges;
    TFollowed* FSelection = nullptr;
    TRecordingMemo FMemo;
};

void RunFollow(unsigned seed, int steps) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " (QUORVEL_SEED=" + std::to_string(seed) +
                 " reruns it)");
    TFollowRun run(seed);
    run.Start();
    run.Check("set up");
    for (int step = 0; step < steps && !testing::Test::HasFatalFailure(); ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        run.Step();
    }
}

} // namespace

// The rule's sentences worked by hand on "abcdefghij", each through the identity account and
// through the editor, with a stored range and a range of a class of its own.
TEST(EditFollow, EachSentenceOfTheRuleWorkedByHand) {
    struct TCase {
        const char* Sentence;
        int32_t Start, End;         // the range before
        int32_t EditStart, EditEnd; // replaced by Text
        const char* Text;
        int32_t NewStart, NewEnd;
        bool Overwritten;
    };
    const TCase cases[] = {
        {"before the edit: stays", 2, 3, 5, 6, "XYZ", 2, 3, false},
        {"after the edit: shifts", 8, 9, 2, 3, "XYZ", 9, 10, false},
        {"insertion strictly inside: grows", 3, 6, 5, 4, "XY", 3, 8, false},
        {"insertion at its start: stays outside", 3, 6, 3, 2, "XY", 5, 8, false},
        {"insertion right after its end: stays outside", 3, 6, 7, 6, "XY", 3, 6, false},
        {"head replaced: the new bytes join", 3, 6, 2, 4, "XY", 2, 5, false},
        {"tail replaced: the new bytes stay out", 3, 6, 5, 8, "XY", 3, 4, false},
        {"whole span replaced: the new bytes join", 3, 6, 4, 5, "XYZ", 3, 7, false},
        {"every byte deleted: empty, overwritten", 4, 5, 3, 6, "", 3, 2, true},
        {"every byte replaced: empty in front of the new bytes", 4, 5, 3, 6, "XYZ", 3, 2, true},
        {"empty at an insertion: stays in front", 5, 4, 5, 4, "XY", 5, 4, false},
        {"empty behind a deletion: moves with the text after", 5, 4, 2, 4, "", 2, 1, false},
        {"empty behind a shrinking replacement: after it", 5, 4, 2, 4, "X", 3, 2, false},
        {"empty behind a same-length replacement: after it", 5, 4, 2, 4, "XYZ", 5, 4, false},
        {"empty behind a lengthening replacement: in front, overwritten", 5, 4, 2, 4, "XYZW", 2, 1,
         true},
        {"empty before a deleted span: stays, overwritten", 5, 4, 5, 6, "", 5, 4, true},
        {"empty inside a deleted span: in front, overwritten", 5, 4, 3, 7, "XY", 3, 2, true},
        {"empty at the end, insertion there: stays in front", 11, 10, 11, 10, "XY", 11, 10, false},
        {"last bytes, insertion at the end: stays outside", 9, 10, 11, 10, "XY", 9, 10, false},
        {"whole text deleted", 1, 10, 1, 10, "", 1, 0, true},
        {"empty at the start, whole text replaced", 1, 0, 1, 10, "XY", 1, 0, true},
        {"empty at the end, whole text replaced by less", 11, 10, 1, 10, "XY", 3, 2, false},
    };
    for (const TCase& row : cases) {
        SCOPED_TRACE(row.Sentence);
        const int32_t c =
            static_cast<int32_t>(std::string(row.Text).size()) - (row.EditEnd - row.EditStart + 1);
        const TExpectedSpan expected =
            ExpectedAfterEdit(row.Start, row.End, row.EditStart, row.EditEnd, c);
        EXPECT_EQ(expected.Start, row.NewStart);
        EXPECT_EQ(expected.End, row.NewEnd);
        EXPECT_EQ(expected.Overwritten, row.Overwritten);

        TMemoComponent memo;
        memo.SetText("abcdefghij");
        TCustomRange* ranges[] = {&memo.Ranges().Create<TMCRange>(),
                                  &memo.Ranges().Create<TStoredRange>()};
        int overwrites[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            ranges[i]->SetRStart(row.Start);
            ranges[i]->SetREnd(row.End);
            ranges[i]->OnOverwrite = [&overwrites, i](TCustomRange&) { ++overwrites[i]; };
        }
        TMCRange span(&memo);
        span.SetRStart(row.EditStart);
        span.SetREnd(row.EditEnd);
        span.SetText(row.Text);
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(ranges[i]->ClassName());
            EXPECT_EQ(ranges[i]->RStart(), row.NewStart);
            EXPECT_EQ(ranges[i]->REnd(), row.NewEnd);
            EXPECT_EQ(overwrites[i], row.Overwritten ? 1 : 0);
        }
    }
}

// A fixed handful of seeds; QUORVEL_SEED=n runs seed n instead, and QUORVEL_SEEDS=k the k seeds
// from there on.
TEST(EditFollow, TrackedRangesFollowEditsAsTheIdentitiesSay) {
    unsigned first = 1, count = 6;
    if (const char* text = std::getenv("QUORVEL_SEED"))
        first = static_cast<unsigned>(std::strtoul(text, nullptr, 10)), count = 1;
    if (const char* text = std::getenv("QUORVEL_SEEDS"))
        count = static_cast<unsigned>(std::strtoul(text, nullptr, 10));
    for (unsigned seed = first; seed < first + count && !HasFailure(); ++seed) {
        std::printf("edit follow seed %u\n", seed);
        RunFollow(seed, 200);
    }
}
