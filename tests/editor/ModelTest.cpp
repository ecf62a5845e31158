// Randomized test: thousands of replacements checked against a naive model of the text, its
// rows, its widest row and a set of tracked ranges; then undo and redo walks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "EditRule.h"
#include "RecordingMemo.h"
#include "editor/MemoComponent.h"

namespace {

// Line breaks as the editor stores them; with stripBlanks also no blank before a break.
std::string Normalized(const std::string& text, bool stripBlanks = false) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            result += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (text[i] == '\n') {
            result += "\r\n";
        } else {
            result += text[i];
        }
    }
    if (stripBlanks) {
        std::string stripped;
        for (char byte : result) {
            if (byte == '\r')
                while (!stripped.empty() && (stripped.back() == ' ' || stripped.back() == '\t'))
                    stripped.pop_back();
            stripped += byte;
        }
        result.swap(stripped);
    }
    return result;
}

std::vector<int32_t> RowStarts(const std::string& text) {
    std::vector<int32_t> starts{1};
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '\r' && text[i + 1] == '\n') starts.push_back(static_cast<int32_t>(i) + 3);
    return starts;
}

int32_t WidestRow(const std::string& text, int tabSize) {
    int32_t widest = 0, width = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\r') {
            widest = std::max(widest, width);
            width = 0;
            ++i; // the LF
        } else if (text[i] == '\t' && tabSize > 1) {
            width = tabSize * (width / tabSize + 1);
        } else {
            ++width;
        }
    }
    return widest;
}

// A tracked range as the model sees it.
struct TModelRange {
    TCustomRange* Range;
    int32_t Start, End;
    bool FreeOnOverwrite;
    int Overwrites = 0;
    int ExpectedOverwrites = 0;
};

class TModel {
public:
    TModel(unsigned seed, TRecordingMemo& memo) : FRandom(seed), FMemo(memo) {}

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }

    std::string RandomText(int pieces) {
        static const char* const kPieces[] = {"a",  "b",    "xyz",      " ",    "\t",      "\r",
                                              "\n", "\r\n", "\xB0\xA1", "\n\r", "SELECT 1"};
        std::string text;
        for (int i = 0; i < pieces; ++i)
            text += kPieces[Pick(0, 10)];
        return text;
    }

    // A span that does not cut a CR LF pair.
    void RandomSpan(int32_t& start, int32_t& end, int maxLength) {
        const std::string& text = FText;
        int32_t length = static_cast<int32_t>(text.size());
        start = Pick(1, length + 1);
        if (start >= 2 && start <= length && text[start - 1] == '\n' && text[start - 2] == '\r')
            --start;
        end = std::min(length, start - 1 + Pick(0, maxLength));
        if (end >= 1 && end < length && text[end - 1] == '\r') ++end;
    }

    void AddRange(bool freeOnOverwrite) {
        int32_t start, end;
        RandomSpan(start, end, Pick(0, 3) == 0 ? 6000 : 12);
        TCustomRange& range =
            Pick(0, 3) == 0 ? static_cast<TCustomRange&>(FMemo.Ranges().Create<TStoredRange>())
                            : FMemo.Ranges().Create<TMCRange>();
        range.SetRStart(start);
        range.SetREnd(end);
        FRanges.push_back(
            std::make_unique<TModelRange>(TModelRange{&range, start, end, freeOnOverwrite}));
        TModelRange* model = FRanges.back().get();
        range.OnOverwrite = [model](TCustomRange& sender) {
            ++model->Overwrites;
            if (model->FreeOnOverwrite) {
                model->Range = nullptr;
                TFastObjectContainer::Free(&sender);
            }
        };
    }

    // Ranges tiling the text one short token after the other, as the colouring keeps them;
    // enough of them to split the registry's blocks.
    void AddTiles() {
        int32_t length = static_cast<int32_t>(FText.size());
        for (int32_t start = 1; start <= length;) {
            int32_t end = std::min(length, start + Pick(0, 3));
            if (end < length && FText[static_cast<size_t>(end - 1)] == '\r') ++end;
            TMCRange& range = FMemo.Ranges().Create<TMCRange>();
            range.SetRStart(start);
            range.SetREnd(end);
            FRanges.push_back(std::make_unique<TModelRange>(TModelRange{&range, start, end, true}));
            TModelRange* model = FRanges.back().get();
            range.OnOverwrite = [model](TCustomRange& sender) {
                ++model->Overwrites;
                model->Range = nullptr;
                TFastObjectContainer::Free(&sender);
            };
            start = end + 1;
        }
    }

    void FreeRandomRange() {
        if (FRanges.empty()) return;
        size_t index = static_cast<size_t>(Pick(0, static_cast<int>(FRanges.size()) - 1));
        if (FRanges[index]->Range) TFastObjectContainer::Free(FRanges[index]->Range);
        FRanges.erase(FRanges.begin() + static_cast<std::ptrdiff_t>(index));
    }

    void MoveRandomRange() {
        if (FRanges.empty()) return;
        TModelRange& model =
            *FRanges[static_cast<size_t>(Pick(0, static_cast<int>(FRanges.size()) - 1))];
        if (!model.Range) return;
        int32_t start, end;
        RandomSpan(start, end, 40);
        model.Range->SetRStart(start);
        model.Range->SetREnd(end);
        model.Start = start;
        model.End = end;
    }

    // Applies the replacements the editor reported since the last call to the model ranges.
    void FollowEdits() {
        for (const auto& edit : FMemo.Edits) {
            int32_t a = edit.Pos, b = edit.Pos + edit.OldLength - 1,
                    c = edit.NewLength - edit.OldLength;
            for (auto& model : FRanges) {
                if (!model->Range && model->FreeOnOverwrite) continue;
                const TExpectedSpan expected = ExpectedAfterEdit(model->Start, model->End, a, b, c);
                model->Start = expected.Start;
                model->End = expected.End;
                if (expected.Overwritten) ++model->ExpectedOverwrites;
            }
        }
        FMemo.Edits.clear();
        std::erase_if(FRanges, [](const std::unique_ptr<TModelRange>& model) {
            return !model->Range && model->FreeOnOverwrite;
        });
    }

    // Keeps the text between a few hundred and about ten thousand bytes.
    void Replace() {
        int32_t start, end;
        int size = static_cast<int>(FText.size());
        int kind = Pick(0, 19);
        bool big = kind == 0 || (kind == 1 && size < 400);
        RandomSpan(start, end, kind == 2 || size > 10000 ? 400 : 6);
        std::string text = RandomText(big ? 300 : Pick(0, 5));
        TMCRange range(&FMemo);
        range.SetRStart(start);
        range.SetREnd(end);
        range.SetText(text);
        FText.replace(static_cast<size_t>(start - 1), static_cast<size_t>(end - start + 1),
                      Normalized(text, FMemo.RemoveTrailingSpaces()));
        ASSERT_EQ(range.RStart(), start);
        ASSERT_EQ(range.RLength(),
                  static_cast<int32_t>(Normalized(text, FMemo.RemoveTrailingSpaces()).size()));
    }

    void Check(int step) {
        SCOPED_TRACE("step " + std::to_string(step));
        ASSERT_EQ(FMemo.Text(), FText);
        ASSERT_EQ(FMemo.TextLength(), static_cast<int32_t>(FText.size()));
        std::vector<int32_t> starts = RowStarts(FText);
        ASSERT_EQ(FMemo.LineCount(), static_cast<int32_t>(starts.size()));
        for (size_t i = 0; i < starts.size(); ++i)
            ASSERT_EQ(FMemo.LineStart(static_cast<int32_t>(i) + 1), starts[i]);
        ASSERT_EQ(FMemo.MaxLineWidth(), WidestRow(FText, FMemo.TabSize()));
        for (const auto& model : FRanges) {
            if (!model->Range) continue;
            ASSERT_EQ(model->Range->RStart(), model->Start) << "range " << model.get();
            ASSERT_EQ(model->Range->REnd(), model->End) << "range " << model.get();
            ASSERT_EQ(model->Overwrites, model->ExpectedOverwrites);
        }
        ASSERT_TRUE(FMemo.Ranges().IndexIsConsistent());
    }

    std::string FText;
    std::vector<std::unique_ptr<TModelRange>> FRanges;

private:
    std::mt19937 FRandom;
    TRecordingMemo& FMemo;
};

unsigned SeedFromEnvironment() {
    if (const char* text = std::getenv("QUORVEL_SEED"))
        return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
    return std::random_device{}();
}

void RunEditModel(unsigned seed, int steps, bool removeTrailingSpaces) {
    std::printf("edit model seed %u (QUORVEL_SEED=%u reruns it)\n", seed, seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    TRecordingMemo memo;
    TModel model(seed, memo);
    memo.SetTabSize(model.Pick(1, 4));
    memo.SetRemoveTrailingSpaces(removeTrailingSpaces);
    std::string start = model.RandomText(model.Pick(0, 2500));
    memo.SetText(start);
    model.FText = Normalized(start, removeTrailingSpaces);
    memo.Edits.clear();
    for (int i = 0; i < 40; ++i)
        model.AddRange(i % 2 == 0);
    model.AddTiles();
    model.Check(0);
    for (int step = 1; step <= steps; ++step) {
        int action = model.Pick(0, 19);
        if (action == 0)
            model.AddRange(model.Pick(0, 1) == 0);
        else if (step % 500 == 0)
            model.AddTiles();
        else if (action == 1)
            model.FreeRandomRange();
        else if (action == 2)
            model.MoveRandomRange();
        else
            model.Replace();
        if (testing::Test::HasFatalFailure()) return;
        model.FollowEdits();
        model.Check(step);
        if (testing::Test::HasFatalFailure()) return;
    }
}

// Undo and redo walks: every state reached must be one the text had before, in order.
// With removeTrailingSpaces, replay must still give back exactly the bytes an edit took.
void RunUndoModel(unsigned seed, int edits, bool removeTrailingSpaces) {
    std::printf("undo model seed %u%s (QUORVEL_SEED=%u reruns it)\n", seed,
                removeTrailingSpaces ? " removing trailing blanks" : "", seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    TRecordingMemo memo;
    memo.SetRemoveTrailingSpaces(removeTrailingSpaces);
    TModel model(seed, memo);
    for (int i = 0; i < 20; ++i)
        model.AddRange(true);
    std::vector<std::string> states{std::string(memo.Text())};
    for (int i = 0; i < edits; ++i) {
        int action = model.Pick(0, 9);
        if (action == 0) {
            memo.Lines().Add(model.RandomText(2));
        } else if (action == 1) {
            memo.IndentSelection(model.Pick(0, 1) ? 1 : -1);
        } else if (action == 2) {
            int32_t start, end;
            model.RandomSpan(start, end, 3);
            memo.Selection().MoveCaret(start);
            // Leaving a row may strip its trailing blanks: a state of its own.
            if (memo.Text() != states.back()) states.emplace_back(memo.Text());
            memo.Selection().SetText(model.RandomText(1)); // typing merges
        } else {
            model.Replace();
        }
        if (testing::Test::HasFatalFailure()) return;
        states.emplace_back(memo.Text());
        model.FText = states.back();
    }
    memo.Edits.clear();
    // Where the text stands in the list of states; undo goes back, redo forward.
    size_t current = states.size() - 1;
    auto findState = [&](bool backwards) -> bool {
        std::string_view text = memo.Text();
        if (backwards) {
            for (size_t i = current; i-- > 0;)
                if (states[i] == text) return current = i, true;
        } else {
            for (size_t i = current + 1; i < states.size(); ++i)
                if (states[i] == text) return current = i, true;
        }
        return false;
    };
    for (int round = 0; round < 200; ++round) {
        bool undo = model.Pick(0, 2) != 0;
        if (undo && memo.CanUndo()) {
            memo.Undo();
            ASSERT_TRUE(findState(true)) << "undo reached an unknown text in round " << round;
        } else if (!undo && memo.CanUndo(1)) {
            memo.Redo();
            ASSERT_TRUE(findState(false)) << "redo reached an unknown text in round " << round;
        }
        ASSERT_TRUE(memo.Ranges().IndexIsConsistent());
    }
    while (memo.CanUndo()) {
        memo.Undo();
        ASSERT_TRUE(findState(true));
    }
    EXPECT_EQ(memo.Text(), states.front());
    while (memo.CanUndo(1)) {
        memo.Redo();
        ASSERT_TRUE(findState(false));
    }
    EXPECT_EQ(memo.Text(), states.back());
}

} // namespace

TEST(EditorModel, RandomReplacementsKeepTextRowsWidthAndRanges) {
    unsigned seed = SeedFromEnvironment();
    for (int round = 0; round < 4 && !HasFailure(); ++round)
        RunEditModel(seed + round, 2500, round == 3);
}

TEST(EditorModel, RandomUndoRedoWalksVisitOnlyEarlierStates) {
    unsigned seed = SeedFromEnvironment();
    for (int round = 0; round < 10 && !HasFailure(); ++round)
        RunUndoModel(seed + round, 300, round % 2 == 1);
}
