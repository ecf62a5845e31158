// Randomized editing of Chinese text through the window events: arrows, Home/End, pages,
// Backspace/Delete, typing ASCII and Chinese, Shift and Ctrl, clicks, double clicks, undo and
// redo, on text mixing ASCII, two-byte and four-byte characters. After every step the text must
// be valid GB18030 and the caret and selection ends must lie on character boundaries; at the
// end, undoing everything gives back the first text and redoing everything the last.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ScreenTest.h"
#include "platform/CodePage.h"

using namespace platform;

namespace {

// Characters to type and to start from: ASCII, two-byte ones whose trail byte is a letter,
// digit or "{" (說 D5 66, 時 95 72, 乣 81 7B), and four-byte ones (U+20000, U+1F600).
const char* const kPieces[] = {"a",
                               "Z",
                               "_",
                               "7",
                               " ",
                               "\t",
                               "(",
                               "\xD6\xD0",
                               "\xCE\xC4",
                               "\xD5\x66",
                               "\x95\x72",
                               "\x81\x7B",
                               "\x95\x32\x82\x36",
                               "\x94\x39\xFC\x38"};

class TKeyModel {
public:
    TKeyModel(unsigned seed, bool removeTrailingSpaces) : FRandom(seed) {
        FScreen.Memo.SetRemoveTrailingSpaces(removeTrailingSpaces);
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }

    std::string RandomText(int pieces) {
        std::string text;
        for (int i = 0; i < pieces; ++i)
            text += Pick(0, 9) == 0 ? "\r\n" : kPieces[Pick(0, std::size(kPieces) - 1)];
        return text;
    }

    TMemoComponent& Memo() { return FScreen.Memo; }

    // One random user action; returns a short name for the failure message.
    std::string Step() {
        TMemoComponent& memo = Memo();
        static const uint16_t kMoves[] = {VK_LEFT, VK_RIGHT, VK_UP,    VK_DOWN,
                                          VK_HOME, VK_END,   VK_PRIOR, VK_NEXT};
        TShiftState shift;
        if (Pick(0, 2) == 0) shift.Include(TShiftFlag::ssShift);
        if (Pick(0, 3) == 0) shift.Include(TShiftFlag::ssCtrl);
        switch (Pick(0, 12)) {
        case 0:
        case 1:
        case 2: {
            uint16_t key = kMoves[Pick(0, std::size(kMoves) - 1)];
            memo.KeyDown(key, shift);
            return "move " + std::to_string(key) + " shift " +
                   std::to_string(shift.Contains(TShiftFlag::ssShift));
        }
        case 3:
            memo.KeyDown(VK_BACK, {});
            return "backspace";
        case 4:
            memo.KeyDown(VK_DELETE, {});
            return "delete";
        case 5:
        case 6: {
            std::string typed = Pick(0, 6) == 0 ? "\r" : kPieces[Pick(0, std::size(kPieces) - 1)];
            for (char byte : typed)
                memo.KeyPress(byte);
            return "type";
        }
        case 7:
            memo.Undo();
            return "undo";
        case 8:
            memo.Redo();
            return "redo";
        case 9:
        case 10: {
            int x = Pick(0, FScreen.Host.ClientWidth()), y = Pick(0, FScreen.Host.ClientHeight());
            memo.MouseDown(TMouseButton::mbLeft, shift, x, y);
            if (Pick(0, 1) == 0) {
                memo.MouseMove(TShiftState{TShiftFlag::ssLeft}, Pick(0, 200), Pick(0, 130));
            }
            memo.MouseUp(TMouseButton::mbLeft, shift, x, y);
            return "click";
        }
        case 11: {
            int x = Pick(0, FScreen.Host.ClientWidth()), y = Pick(0, FScreen.Host.ClientHeight());
            memo.MouseDown(TMouseButton::mbLeft, {}, x, y);
            memo.MouseUp(TMouseButton::mbLeft, {}, x, y);
            memo.DblClick();
            memo.MouseDown(TMouseButton::mbLeft, TShiftState{TShiftFlag::ssDouble}, x, y);
            memo.MouseUp(TMouseButton::mbLeft, {}, x, y);
            return "double click";
        }
        default:
            memo.SelectAll();
            if (Pick(0, 3) == 0) memo.KeyDown(VK_DELETE, {});
            return "select all";
        }
    }

    // The text decodes as GB18030 from its start, and the selection's ends are boundaries.
    void Check(const std::string& action) {
        std::string_view text = Memo().Text();
        std::set<int32_t> boundaries{1};
        for (size_t pos = 0; pos < text.size();) {
            int length = CodePageCharLength(text, pos);
            ASSERT_GT(length, 0) << "after " << action << ": no character at byte " << pos << " of "
                                 << ::testing::PrintToString(std::string(text));
            pos += static_cast<size_t>(length);
            boundaries.insert(static_cast<int32_t>(pos) + 1);
        }
        const TSelectionRange& selection = Memo().Selection();
        ASSERT_TRUE(boundaries.count(selection.RStart()))
            << "after " << action << ": selection starts at " << selection.RStart();
        ASSERT_TRUE(boundaries.count(selection.REnd() + 1))
            << "after " << action << ": selection ends at " << selection.REnd();
    }

private:
    std::mt19937 FRandom;
    TScreenFixture FScreen;
};

void RunKeyModel(unsigned seed, bool removeTrailingSpaces, int steps) {
    std::printf("key model seed %u%s (QUORVEL_SEED=%u reruns it)\n", seed,
                removeTrailingSpaces ? " removing trailing blanks" : "", seed);
    SCOPED_TRACE("seed " + std::to_string(seed) +
                 (removeTrailingSpaces ? " removing trailing blanks" : ""));
    TKeyModel model(seed, removeTrailingSpaces);
    TMemoComponent& memo = model.Memo();
    memo.SetText(model.RandomText(model.Pick(0, 120)));
    memo.ClearUndo();
    const std::string first(memo.Text());
    // The newest text of the history: where redoing everything arrives.
    std::string newest = first;
    model.Check("start");
    for (int step = 1; step <= steps; ++step) {
        std::string action = "step " + std::to_string(step) + " (" + model.Step() + ")";
        model.Check(action);
        if (testing::Test::HasFatalFailure()) return;
        if (!memo.CanUndo(1)) newest = memo.Text();
    }
    while (memo.CanUndo())
        memo.Undo();
    EXPECT_EQ(memo.Text(), first);
    while (memo.CanUndo(1))
        memo.Redo();
    EXPECT_EQ(memo.Text(), newest);
}

std::vector<unsigned> Seeds() {
    if (const char* text = std::getenv("QUORVEL_SEED"))
        return {static_cast<unsigned>(std::strtoul(text, nullptr, 10))};
    return {7, 19, 2024, 31337};
}

} // namespace

TEST(KeyModel, ChineseTextStaysWholeThroughRandomKeysAndClicks) {
    for (unsigned seed : Seeds())
        for (bool removeTrailingSpaces : {false, true}) {
            RunKeyModel(seed, removeTrailingSpaces, 1600);
            if (HasFailure()) return;
        }
}
