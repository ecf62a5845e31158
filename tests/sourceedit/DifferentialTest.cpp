// The incrementally repaired chain against a chain built from scratch, after every edit of
// many random edit sequences.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>

#include "base/Format.h"
#include "sourceedit/SourceEdit.h"

namespace {

void ConfigureStyles(TSourceEdit& edit, bool splitOnFly, bool customStyles) {
    TSyntaxColoring& coloring = edit.SyntaxColoring();
    coloring.BeginUpdate();
    TWordList& words = coloring.WordLists().Add();
    words.SetCaption("words");
    words.SetCaseSensitive(false);
    words.SetWords({"select", "from", "WHERE", "e", "x1", "$id"});
    TWordList& exact = coloring.WordLists().Add();
    exact.SetCaption("exact");
    exact.SetWords({"Go", "GO", "abc"});
    coloring.SetParenthesisColors({"$0000FF", "$FF0000"});
    if (!customStyles) {
        coloring.EndUpdate();
        edit.SetSplitOnFly(splitOnFly);
        return;
    }
    TCustomStyle& block = coloring.CustomStyles().Add();
    block.SetCaption("block");
    block.SetBeginText("/*");
    block.SetEndText("*/");
    block.SetSwitchable(true);
    block.SetIgnoreChar("\\");
    TCustomStyle& line = coloring.CustomStyles().Add();
    line.SetCaption("line");
    line.SetBeginText("--");
    line.SetEndText("#13");
    TCustomStyle& text = coloring.CustomStyles().Add();
    text.SetCaption("string");
    text.SetBeginText("'");
    text.SetEndText("'");
    text.SetIgnoreChar("\\");
    TCustomStyle& quoted = coloring.CustomStyles().Add();
    quoted.SetCaption("quoted");
    quoted.SetBeginText("\"");
    quoted.SetEndText("\"");
    quoted.SetSwitchable(true);
    quoted.SetIgnoreChar("\\");
    TCustomStyle& directive = coloring.CustomStyles().Add();
    directive.SetCaption("directive");
    directive.SetBeginText("#!");
    directive.SetEndText("#13");
    directive.SetLineStartOnly(true);
    coloring.EndUpdate();
    edit.SetSplitOnFly(splitOnFly);
}

std::string Dump(const TDebuggableRanges& ranges) {
    std::ostringstream out;
    for (const TDebuggableRange& range : ranges)
        out << range.RStart << ".." << range.REnd << ' ' << range.ClassName << " ["
            << range.Attribute << "] L" << range.Level << '\n';
    return out.str();
}

// Pieces of text that reach every rule of the scanner, GB18030 characters among them.
const std::vector<std::string> kFragments = {"(",
                                             ")",
                                             "((",
                                             "))",
                                             "/*",
                                             "*/",
                                             "--",
                                             "'",
                                             "\\",
                                             "\\\\",
                                             "\r\n",
                                             "\r\n\r\n",
                                             "1.5e+3",
                                             "#13",
                                             "#",
                                             "select",
                                             "SELECT ",
                                             " ",
                                             "x",
                                             ".",
                                             "12",
                                             "12.5",
                                             "$1F",
                                             "$",
                                             "e",
                                             "E",
                                             "+",
                                             "-",
                                             "a.b",
                                             "\t",
                                             "{",
                                             "\xD6\xD0",
                                             "\xD6\xD0\xCE\xC4",
                                             "\x81\x30\x81\x30",
                                             "\xB1\x40",
                                             "\xB1\x5C",
                                             "\xB1\x31",
                                             "?\?/",
                                             "Go",
                                             "GO",
                                             "abc",
                                             "x=12.5e+3",
                                             "\"",
                                             "#!",
                                             ";",
                                             ",",
                                             "0x1",
                                             "1e",
                                             "P",
                                             "-3",
                                             "_"};

std::string RandomText(std::mt19937& random, int pieces) {
    std::string text;
    for (int i = 0; i < pieces; ++i) {
        if (random() % 23 == 0)
            text += std::string(100 + random() % 80, static_cast<char>('a' + random() % 3));
        else
            text += kFragments[random() % kFragments.size()];
    }
    return text;
}

uint32_t TestSeed() {
    if (const char* value = std::getenv("QUORVEL_SEED"))
        return static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
    return std::random_device{}();
}

// Compares the chain of edit with a chain built from scratch over the same text.
void ExpectFreshChain(TSourceEdit& edit, bool splitOnFly, const std::string& context) {
    ASSERT_EQ(edit.FindCoverageGap(), nullptr) << context;
    ASSERT_EQ(edit.FindOverlap(), nullptr) << context;
    TSourceEdit fresh;
    fresh.SetSyntaxColoring(edit.SyntaxColoring());
    fresh.SetSplitOnFly(splitOnFly);
    fresh.SetText(edit.Text());
    fresh.RecolorAll();
    TDebuggableRanges expected, actual;
    fresh.GetDebuggableRanges(expected);
    edit.GetDebuggableRanges(actual);
    ASSERT_EQ(Dump(actual), Dump(expected)) << context;
    ASSERT_EQ(actual, expected) << context;
    if (edit.TextLength() > 0) {
        ASSERT_NE(edit.FirstRange(), nullptr);
    } else {
        ASSERT_EQ(edit.FirstRange(), nullptr);
    }
}

// Edits never split a line break: the fresh editor would take a lone CR or LF as a break.
int32_t OutsideBreak(const TSourceEdit& edit, int32_t pos) {
    return edit.CharAt(pos) == '\n' && edit.CharAt(pos - 1) == '\r' ? pos + 1 : pos;
}

void RunSequences(bool splitOnFly, bool customStyles, uint32_t seed, int sequences, int steps) {
    std::mt19937 random(seed);
    for (int sequence = 0; sequence < sequences; ++sequence) {
        TSourceEdit edit;
        ConfigureStyles(edit, splitOnFly, customStyles);
        edit.SetText(RandomText(random, static_cast<int>(random() % 40)));
        for (int step = 0; step < steps; ++step) {
            const int32_t length = edit.TextLength();
            const unsigned action = random() % 10;
            std::string what;
            if (action < 4) {
                int32_t pos = OutsideBreak(
                    edit, 1 + static_cast<int32_t>(random() % static_cast<unsigned>(length + 1)));
                std::string text = RandomText(random, 1 + static_cast<int>(random() % 3));
                edit.Selection().MoveCaret(pos);
                edit.Selection().SetText(text);
                what = "insert at " + std::to_string(pos);
            } else if (action < 7 && length > 0) {
                int32_t pos = OutsideBreak(
                    edit, 1 + static_cast<int32_t>(random() % static_cast<unsigned>(length)));
                int32_t count = 1 + static_cast<int32_t>(random() % 6);
                if (random() % 8 == 0) count += static_cast<int32_t>(random() % 200);
                int32_t end = std::min(pos + count - 1, length);
                if (edit.CharAt(end) == '\r' && edit.CharAt(end + 1) == '\n') ++end;
                TMCRange range(&edit);
                range.SetRStart(pos);
                range.SetREnd(end);
                edit.ReplaceRange(range, random() % 3 == 0 ? RandomText(random, 1) : std::string());
                what = "replace at " + std::to_string(pos);
            } else if (action < 8) {
                edit.Undo();
                what = "undo";
            } else if (action < 9) {
                edit.Redo();
                what = "redo";
            } else {
                int32_t pos = OutsideBreak(
                    edit, 1 + static_cast<int32_t>(random() % static_cast<unsigned>(length + 1)));
                edit.Selection().MoveCaret(pos);
                char key = random() % 2 ? '\r' : '{';
                edit.KeyPress(key);
                what = "key";
            }
            if (std::getenv("QUORVEL_TRACE")) {
                std::string shown;
                for (char c : edit.Text())
                    shown +=
                        (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
                            ? Format("<%02X>", static_cast<unsigned char>(c))
                            : std::string(1, c);
                std::cout << sequence << "/" << step << " " << what << ": " << shown << "\n";
            }
            ExpectFreshChain(edit, splitOnFly,
                             "seed " + std::to_string(seed) + " sequence " +
                                 std::to_string(sequence) + " step " + std::to_string(step) + ": " +
                                 what);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

} // namespace

TEST(Differential, IncrementalChainEqualsFreshChainInBothModes) {
    const uint32_t seed = TestSeed();
    std::cout << "differential seed " << seed << " (set QUORVEL_SEED to repeat)\n";
    ::testing::Test::RecordProperty("seed", std::to_string(seed));
    for (bool customStyles : {true, false}) {
        for (bool splitOnFly : {false, true}) {
            SCOPED_TRACE(std::string(splitOnFly ? "SplitOnFly" : "split while scanning") +
                         (customStyles ? ", custom styles" : ", no custom styles"));
            RunSequences(splitOnFly, customStyles, seed, 30, 120);
            if (HasFatalFailure()) return;
        }
    }
}

// Seeds that once found a repair the whole scan did not agree with: a rescan starting inside
// a run of plain text, a symbol run that could not grow backwards, and a Chinese character
// carrying the scan past its early stop.
TEST(Differential, SeedsThatFoundFaults) {
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        RunSequences(false, true, seed, 30, 120);
        if (HasFatalFailure()) return;
    }
}
