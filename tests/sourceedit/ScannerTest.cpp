// The scanner: classification of text into ranges, custom styles, levels, the repair after
// edits and the diagnostics.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "tests/sourceedit/ChainText.h"

namespace {

std::string Scan(const std::string& text, bool splitOnFly = false) {
    TSourceEdit edit;
    TWordList& list = edit.SyntaxColoring().WordLists().Add();
    list.SetCaseSensitive(false);
    list.SetWords({"SELECT", "e"});
    edit.SetSplitOnFly(splitOnFly);
    edit.SetText(text);
    return ChainText(edit);
}

TCustomStyle& AddStyle(TSourceEdit& edit, const std::string& begin, const std::string& end,
                       const std::string& ignore = "", bool switchable = false) {
    TCustomStyle& style = edit.SyntaxColoring().CustomStyles().Add();
    style.SetBeginText(begin);
    style.SetEndText(end);
    style.SetIgnoreChar(ignore);
    style.SetSwitchable(switchable);
    return style;
}

void Type(TSourceEdit& edit, int32_t pos, const std::string& text) {
    edit.Selection().MoveCaret(pos);
    edit.Selection().SetText(text);
}

} // namespace

TEST(Scanner, ClassifiesNumbersSymbolsAndWords) {
    EXPECT_EQ(Scan("x=12.5e+3"), "NormalText:x | Symbol:= | Number:12.5e+3");
    EXPECT_EQ(Scan("a.b"), "NormalText:a | Symbol:. | NormalText:b");
    EXPECT_EQ(Scan("a.5"), "NormalText:a.5");
    EXPECT_EQ(Scan("#13"), "Symbol:# | Number:13");
    EXPECT_EQ(Scan("1abc $1F $1G .5"),
              "Number:1abc | NormalText:  | Number:$1F | NormalText: $1G  | Number:.5");
    EXPECT_EQ(Scan("a<=b;"), "NormalText:a | Symbol:<= | NormalText:b | Symbol:;");
    EXPECT_EQ(Scan("select select1 _select SELECT"),
              "WordList:select | NormalText: select1 _select  | WordList:SELECT");
    EXPECT_EQ(Scan("`a` b"), "NormalText:`a` b");
    for (const char* text : {"x=12.5e+3", "a.b", "#13", "a(b)"})
        EXPECT_EQ(Scan(text, true).find("CustomText:"), 0u) << text;
    EXPECT_EQ(Scan("x=12.5e+3", true), "CustomText:x=12.5e+3");
    EXPECT_EQ(Scan("f(x)", true), "CustomText:f | Parenthesis:( | CustomText:x | Parenthesis:)");
}

TEST(Scanner, SplitOnFlyCutsLongChunksAtSymbols) {
    std::string text = std::string(130, 'a') + ";b" + std::string(200, 'c');
    EXPECT_EQ(Scan(text, true),
              "CustomText:" + std::string(130, 'a') + " | CustomText:;b" + std::string(200, 'c'));
    std::string exactly = std::string(128, 'a') + ";b";
    EXPECT_EQ(Scan(exactly, true), "CustomText:" + exactly);
}

TEST(Scanner, ParenthesisLevels) {
    TSourceEdit edit;
    edit.SetText("((a))");
    EXPECT_EQ(ParenthesisLevels(edit), "1 2 2 1 ");
    EXPECT_EQ(edit.FindSyntaxRange(3)->ParenthesisLevel(), 2);
    edit.SetText(")(x)(");
    EXPECT_EQ(ParenthesisLevels(edit), "0 0 0 0 ");
    EXPECT_EQ(edit.FindSyntaxRange(3)->ParenthesisLevel(), 0);

    // An opening parenthesis typed at the start raises every later level, however far.
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "f(a) ";
    edit.SetText(text);
    TSyntaxRange* last = edit.LastRange();
    Type(edit, 1, "(");
    EXPECT_EQ(edit.LastRange(), last); // the far end was not rescanned
    EXPECT_EQ(edit.LastRange()->PrevRange()->ParenthesisLevel(), 2);
    Type(edit, 2, ")");
    EXPECT_EQ(edit.LastRange()->PrevRange()->ParenthesisLevel(), 1);
    EXPECT_EQ(edit.LevelCursor(), nullptr);
}

TEST(Scanner, CustomStyles) {
    TSourceEdit edit;
    AddStyle(edit, "--", "#13");
    AddStyle(edit, "'", "'", "\\");
    edit.SetText("a -- b\r\nc");
    EXPECT_EQ(ChainText(edit), "NormalText:a  | CustomStyle:-- b\r\n | NormalText:c");
    edit.SetText("'a\\'b' c");
    EXPECT_EQ(ChainText(edit), "CustomStyle:'a\\'b' | NormalText: c");
    edit.SetText("'a\\\\' c");
    EXPECT_EQ(ChainText(edit), "CustomStyle:'a\\\\' | NormalText: c");
    edit.SetText("'?\?/'x' y");
    EXPECT_EQ(ChainText(edit), "CustomStyle:'?\?/'x' | NormalText: y");
    // After an escaped end marker the search resumes behind it, not inside it.
    TSourceEdit doubled;
    AddStyle(doubled, "<", "''", "\\");
    doubled.SetText("<a\\''' b");
    EXPECT_EQ(ChainText(doubled), "CustomStyle:<a\\''' b");
    doubled.SetText("<a\\'''' b");
    EXPECT_EQ(ChainText(doubled), "CustomStyle:<a\\'''' | NormalText: b");

    // Unterminated: to the end; typing the end marker shortens it and recolours what follows.
    edit.SetText("'abc d+1");
    EXPECT_EQ(ChainText(edit), "CustomStyle:'abc d+1");
    Type(edit, 5, "'");
    EXPECT_EQ(ChainText(edit), "CustomStyle:'abc' | NormalText: d | Symbol:+ | Number:1");
}

TEST(Scanner, SwitchableAndLineStartStyles) {
    TSourceEdit edit;
    AddStyle(edit, "'", "'", "\\", true);
    AddStyle(edit, "/*", "", "", false);
    TCustomStyle& directive = AddStyle(edit, "#", "#13");
    directive.SetLineStartOnly(true);
    edit.SetText("'a\\'b' c");
    EXPECT_EQ(ChainText(edit), "CustomStyle:'a\\'b' | NormalText: c");
    Type(edit, 3, "x");
    EXPECT_EQ(ChainText(edit), "CustomStyle:'ax\\'b' | NormalText: c");
    // Without an end marker a plain style runs to the end of the text.
    edit.SetText("a /* b */ c");
    EXPECT_EQ(ChainText(edit), "NormalText:a  | CustomStyle:/* b */ c");
    edit.SetText("#x\r\na #y\r\n#z");
    EXPECT_EQ(ChainText(edit),
              "CustomStyle:#x\r\n | NormalText:a  | Symbol:# | NormalText:y\r\n | CustomStyle:#z");
}

TEST(Scanner, ChineseCharactersStayWhole) {
    // Trail bytes that look like "@", "\", a letter or digits belong to their character.
    const std::string at = "\xB1\x40", backslash = "\xB1\x5C", letter = "\xB1\x65";
    const std::string fourBytes = "\x81\x30\x81\x30", digit = "\x81\x31\x81\x32";
    EXPECT_EQ(Scan("x" + at + "y"), "NormalText:x" + at + "y");
    EXPECT_EQ(Scan("x" + digit), "NormalText:x" + digit);
    EXPECT_EQ(Scan("x" + digit, true), "CustomText:x" + digit);
    EXPECT_EQ(Scan(letter + " e"), "NormalText:" + letter + "  | WordList:e");
    EXPECT_EQ(Scan(fourBytes + "5"), "NormalText:" + fourBytes + " | Number:5");
    EXPECT_EQ(Scan("1" + at + ".5"), "Number:1 | NormalText:" + at + " | Number:.5");

    TSourceEdit edit;
    AddStyle(edit, "'", "'", "\\");
    edit.SetText("'" + backslash + "' x");
    EXPECT_EQ(ChainText(edit), "CustomStyle:'" + backslash + "' | NormalText: x");

    // Every range boundary falls between characters.
    edit.SetText("a" + at + "(" + digit + "." + fourBytes + "=" + backslash + "'" + letter +
                 "1e+2");
    std::string text(edit.Text());
    std::vector<bool> starts(text.size() + 2, false);
    for (size_t pos = 0; pos < text.size();) {
        starts[pos + 1] = true;
        int length = platform::CodePageCharLength(text, pos);
        pos += static_cast<size_t>(length > 0 ? length : 1);
    }
    for (TSyntaxRange* range = edit.FirstRange(); range; range = range->NextRange())
        EXPECT_TRUE(starts[static_cast<size_t>(range->RStart())]) << range->RStart();
}

TEST(Scanner, RepairsAfterEditsAndDiagnostics) {
    TSourceEdit edit;
    edit.SetText("a+b");
    Type(edit, 1, "");
    TMCRange all(&edit);
    all.SetRStart(1);
    all.SetREnd(edit.TextLength());
    edit.ReplaceRange(all, "");
    EXPECT_EQ(edit.FirstRange(), nullptr);
    Type(edit, 1, "z");
    EXPECT_EQ(ChainText(edit), "NormalText:z");

    // Editing the first character of a long text rescans only the first ranges.
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "x = " + std::to_string(i) + ";\r\n";
    edit.SetText(text);
    TSyntaxRange* second = edit.FirstRange()->NextRange()->NextRange();
    TSyntaxRange* last = edit.LastRange();
    Type(edit, 1, "y");
    EXPECT_EQ(edit.FirstRange()->NextRange()->NextRange(), second);
    EXPECT_EQ(edit.LastRange(), last);
    EXPECT_EQ(edit.FindCoverageGap(), nullptr);
    EXPECT_EQ(edit.FindOverlap(), nullptr);

    TDebuggableRanges ranges;
    edit.GetDebuggableRanges(ranges);
    ASSERT_GE(ranges.size(), 3u);
    EXPECT_EQ(ranges[0].Text, "yx ");
    EXPECT_EQ(ranges[0].ClassName, "TNormalTextRange");
    EXPECT_EQ(ranges[2].RStart, 5);

    // A broken chain is reported.
    TSyntaxRange* first = edit.FirstRange();
    first->SetREnd(first->REnd() + 1);
    EXPECT_EQ(edit.FindOverlap(), first);
    EXPECT_EQ(edit.FindCoverageGap(), first);
    first->SetREnd(first->REnd() - 2);
    EXPECT_EQ(edit.FindCoverageGap(), first);
    EXPECT_EQ(edit.FindOverlap(), nullptr);

    try {
        TSourceEdit::CreateSyntaxRange<TNormalTextRange>(nullptr, nullptr);
        FAIL() << "no error";
    } catch (const ESourceEdit& error) {
        EXPECT_STREQ(error.what(), "TSourceEdit internal error");
    }
}

TEST(Scanner, UpdatesAndModeSwitches) {
    TCountingEdit edit;
    edit.SetText("a+1");
    TSyntaxColoring& coloring = edit.SyntaxColoring();
    coloring.BeginUpdate();
    Type(edit, 4, "+(2)");
    coloring.EndUpdate();
    EXPECT_EQ(
        ChainText(edit),
        "NormalText:a | Symbol:+ | Number:1 | Symbol:+ | Parenthesis:( | Number:2 | Parenthesis:)");

    edit.Recolorings = 0;
    edit.SetSplitOnFly(false);
    EXPECT_EQ(edit.Recolorings, 0);
    edit.SetSplitOnFly(true);
    EXPECT_EQ(edit.Recolorings, 1);
    EXPECT_EQ(ChainText(edit), "CustomText:a+1+ | Parenthesis:( | CustomText:2 | Parenthesis:)");
    edit.SetSplitOnFly(false);
    EXPECT_EQ(edit.Recolorings, 2);
    EXPECT_EQ(edit.FindSyntaxRange(3)->ClassName(), std::string("TNumberRange"));
}
