// Colouring settings: defaults, setter rules, derived fonts, word lists, custom styles and the
// main window's configuration.
#include <gtest/gtest.h>

#include <set>

#include "base/Format.h"
#include "sourceedit/MainWindowEditor.h"
#include "tests/sourceedit/ChainText.h"

TEST(Settings, DefaultsOfSettingsListsAndStyles) {
    TSourceEdit edit;
    const TSyntaxColoring& coloring = edit.SyntaxColoring();
    EXPECT_TRUE(coloring.Enabled());
    EXPECT_EQ(coloring.SymbolColor(), clOlive);
    EXPECT_EQ(coloring.NumberColor(), clGreen);
    EXPECT_FALSE(coloring.SymbolCustomStyle());
    EXPECT_EQ(coloring.ParenthesisColors(), std::vector<std::string>{"$000000"});
    EXPECT_EQ(coloring.WordLists().Count(), 0);
    EXPECT_EQ(coloring.CustomStyles().Count(), 0);
    // The category fonts exist from the start, derived from the editor's font.
    EXPECT_EQ(coloring.SymbolFont().Color, clOlive);
    EXPECT_EQ(coloring.NumberFont().Color, clGreen);
    EXPECT_EQ(coloring.SymbolFont().Name, edit.Font().Name);

    TWordList list;
    EXPECT_TRUE(list.CustomColor());
    EXPECT_EQ(list.Color(), clBlue);
    EXPECT_TRUE(list.CaseSensitive());
    EXPECT_EQ(list.DisplayName(), "TWordList");
    TCustomStyle style;
    EXPECT_EQ(style.Color(), clMaroon);
    EXPECT_FALSE(style.CaseSensitive());
    EXPECT_FALSE(style.Switchable());

    EXPECT_TRUE(edit.AutoIndent());
    EXPECT_FALSE(edit.AutoIndentIncrease());
    EXPECT_EQ(edit.AutoIndentIncreaseStart(), '{');
    EXPECT_EQ(edit.AutoIndentIncreaseEnd(), '}');
    EXPECT_FALSE(edit.SplitOnFly());
}

TEST(Settings, SettersRebuildOnlyOnChangeAndRecolourTheText) {
    TCountingEdit edit;
    edit.SetText("a+b");
    TSyntaxColoring& coloring = edit.SyntaxColoring();
    edit.Recolorings = 0;
    coloring.SetSymbolColor(clOlive);
    coloring.SetEnabled(true);
    coloring.WordLists().Clear(); // empty already
    EXPECT_EQ(edit.Recolorings, 0);

    coloring.SetSymbolColor(clRed);
    EXPECT_EQ(edit.Recolorings, 1);
    auto* plus = dynamic_cast<TSymbolRange*>(edit.FindSyntaxRange(2));
    ASSERT_NE(plus, nullptr);
    EXPECT_EQ(plus->GetFont().Color, clRed);

    // Nested updates rebuild once, at the outermost end.
    coloring.BeginUpdate();
    coloring.BeginUpdate();
    coloring.SetNumberColor(clBlue);
    coloring.SetSymbolCustomStyle(true);
    coloring.EndUpdate();
    EXPECT_EQ(edit.Recolorings, 1);
    coloring.EndUpdate();
    EXPECT_EQ(edit.Recolorings, 2);

    // Items notify the settings through their collection.
    TWordList& list = coloring.WordLists().Add();
    EXPECT_EQ(edit.Recolorings, 3);
    list.SetColor(clBlue); // the default: nothing happens
    list.SetCaseSensitive(false);
    list.SetCaption("keys");
    EXPECT_EQ(edit.Recolorings, 5);
    TCustomStyle& style = coloring.CustomStyles().Add();
    style.SetCaption("comment"); // a style's caption notifies nothing
    style.SetCaseSensitive(true);
    EXPECT_EQ(edit.Recolorings, 6);
    style.SetBeginText("--");
    style.SetBeginText("--");
    EXPECT_EQ(edit.Recolorings, 7);

    // Switching colouring off drops the chain; on again rebuilds it.
    coloring.SetEnabled(false);
    EXPECT_EQ(edit.FirstRange(), nullptr);
    coloring.SetEnabled(true);
    EXPECT_EQ(ChainText(edit), "NormalText:a | Symbol:+ | NormalText:b");
}

TEST(Settings, DerivedFontsFollowTheFlagsAndTheEditorFont) {
    TSourceEdit edit;
    TSourceFont font;
    font.Height = 12;
    font.Color = clMaroon;
    font.Style = {TFontStyle::fsItalic};
    edit.SetFont(font);
    TSyntaxColoring& coloring = edit.SyntaxColoring();
    TWordList& plain = coloring.WordLists().Add();
    plain.SetWords({"alpha"});
    plain.SetCustomColor(false);
    TWordList& bold = coloring.WordLists().Add();
    bold.SetWords({"beta"});
    bold.SetCustomStyle(true);
    bold.SetStyle({TFontStyle::fsBold});
    coloring.SetNumberCustomStyle(true);
    coloring.SetNumberStyle({TFontStyle::fsUnderline});
    edit.SetText("alpha beta 7");

    auto* alpha = dynamic_cast<TWordListRange*>(edit.FindSyntaxRange(1));
    auto* beta = dynamic_cast<TWordListRange*>(edit.FindSyntaxRange(7));
    auto* seven = dynamic_cast<TNumberRange*>(edit.FindSyntaxRange(12));
    ASSERT_TRUE(alpha && beta && seven);
    // Without CustomColor the words keep the editor's colour but still form word ranges.
    EXPECT_EQ(alpha->GetFont().Color, clMaroon);
    EXPECT_EQ(alpha->GetFont().Style, TFontStyles{TFontStyle::fsItalic});
    EXPECT_EQ(beta->GetFont().Color, clBlue);
    EXPECT_EQ(beta->GetFont().Style, TFontStyles{TFontStyle::fsBold});
    EXPECT_EQ(seven->GetFont().Style, TFontStyles{TFontStyle::fsUnderline});
    EXPECT_EQ(seven->GetFont().Color, clGreen);

    // A new editor font re-derives every category font: keywords keep their colour.
    font.Height = 20;
    edit.SetFont(font);
    beta = dynamic_cast<TWordListRange*>(edit.FindSyntaxRange(7));
    ASSERT_NE(beta, nullptr);
    EXPECT_EQ(beta->GetFont().Height, 20);
    EXPECT_EQ(beta->GetFont().Color, clBlue);
    EXPECT_EQ(coloring.SymbolFont().Height, 20);
}

TEST(Settings, ParenthesisColoursCycleAndFallBack) {
    TSourceEdit edit;
    TSyntaxColoring& coloring = edit.SyntaxColoring();
    coloring.SetParenthesisColors({"$0000FF", "$FF0000"});
    EXPECT_EQ(coloring.ParenthesisColor(0), clRed);
    EXPECT_EQ(coloring.ParenthesisColor(1), clBlue);
    EXPECT_EQ(coloring.ParenthesisColor(2), clRed);
    EXPECT_EQ(coloring.ParenthesisColor(-1), clWindowText);
    coloring.SetParenthesisColors({"red", "255", "-1", "$", "$123456789"});
    EXPECT_EQ(coloring.ParenthesisColor(0), clWindowText);
    EXPECT_EQ(coloring.ParenthesisColor(1), TColor(255));
    EXPECT_EQ(coloring.ParenthesisColor(2), TColor(0xFFFFFFFF));
    EXPECT_EQ(coloring.ParenthesisColor(3), clWindowText);
    EXPECT_EQ(coloring.ParenthesisColor(4), clWindowText);
    coloring.SetParenthesisColors({});
    EXPECT_EQ(coloring.ParenthesisColor(0), clWindowText);

    // Each parenthesis paints in the colour of its level.
    coloring.SetParenthesisColors({"$0000FF", "$FF0000"});
    edit.SetText("((a))");
    auto colourAt = [&](int32_t pos) { return edit.FindSyntaxRange(pos)->GetFont().Color; };
    EXPECT_EQ(colourAt(1), clRed);
    EXPECT_EQ(colourAt(2), clBlue);
    EXPECT_EQ(colourAt(4), clBlue);
    EXPECT_EQ(colourAt(5), clRed);
}

TEST(Settings, WordListsMatchBySortedSearch) {
    TWordList insensitive;
    insensitive.SetCaseSensitive(false);
    insensitive.SetWords({"WHERE", "SELECT", "from"});
    EXPECT_EQ(insensitive.Words(), (std::vector<std::string>{"from", "SELECT", "WHERE"}));
    for (const char* word : {"select", "Select", "SELECT", "FROM", "where"})
        EXPECT_TRUE(insensitive.Contains(word)) << word;
    EXPECT_FALSE(insensitive.Contains("selec"));
    EXPECT_FALSE(insensitive.Contains("selects"));

    TWordList sensitive;
    sensitive.SetWords({"Select"});
    EXPECT_TRUE(sensitive.Contains("Select"));
    EXPECT_FALSE(sensitive.Contains("SELECT"));
    EXPECT_FALSE(sensitive.Contains("select"));

    // Of two entries equal but for case, only the one the search lands on matches.
    TWordList both;
    both.SetWords({"Go", "GO"});
    EXPECT_TRUE(both.Contains("Go"));
    EXPECT_FALSE(both.Contains("GO"));
    both.AddWord("Ab");
    EXPECT_EQ(both.Words().front(), "Ab");

    TSourceEdit edit;
    TWordLists& lists = edit.SyntaxColoring().WordLists();
    TWordList& first = lists.Add();
    first.SetWords({"a"});
    TWordList& second = lists.Add();
    second.SetWords({"a", "b"});
    EXPECT_EQ(lists.FindWord("a"), &first);
    EXPECT_EQ(lists.FindWord("b"), &second);
    EXPECT_EQ(lists.FindWord("c"), nullptr);
}

TEST(Settings, CustomStylesMarkersAndLookup) {
    TSourceEdit edit;
    TCustomStyles& styles = edit.SyntaxColoring().CustomStyles();
    TCustomStyle& dashes = styles.Add();
    dashes.SetBeginText("--");
    dashes.SetEndText("#13");
    EXPECT_EQ(dashes.EndText(), "\r");
    dashes.SetIgnoreChar("\\\\");
    EXPECT_EQ(dashes.IgnoreChar(), "\\");
    TCustomStyle& slash = styles.Add();
    slash.SetBeginText("/");
    TCustomStyle& slashes = styles.Add();
    slashes.SetBeginText("//");
    TCustomStyle& upper = styles.Add();
    upper.SetBeginText("REM");
    upper.SetCaseSensitive(true);
    TCustomStyle& lower = styles.Add();
    lower.SetBeginText("rem");

    EXPECT_EQ(styles.FindStyleAt("-- x"), &dashes);
    EXPECT_EQ(styles.FindStyleAt("-x"), nullptr);
    EXPECT_EQ(styles.FindStyleAt("// x"), &slash); // the earlier style wins
    EXPECT_EQ(styles.FindStyleAt("REM x"), &upper);
    EXPECT_EQ(styles.FindStyleAt("Rem x"), &lower);
    EXPECT_EQ(styles.FindStyleAt(""), nullptr);

    TCustomStyle& tooLong = styles.Add();
    tooLong.SetBeginText(std::string(21, 'x'));
    EXPECT_EQ(styles.FindStyleAt(std::string(20, 'x')), nullptr);
    TCustomStyle& anywhere = styles.Add();
    EXPECT_EQ(styles.FindStyleAt("q"), &anywhere);
}

TEST(Settings, AssignCopiesItemsAndRejectsOtherClasses) {
    TSourceEdit source;
    ConfigureMainWindowEditor(source);
    TCustomStyle& style = source.SyntaxColoring().CustomStyles().Add();
    style.SetCaption("comment");
    style.SetBeginText("/*");
    style.SetEndText("*/");
    style.SetSwitchable(true);

    TCountingEdit target;
    target.SetText("select 1");
    target.Recolorings = 0;
    target.SetSyntaxColoring(source.SyntaxColoring());
    EXPECT_EQ(target.Recolorings, 1);
    const TSyntaxColoring& copy = target.SyntaxColoring();
    EXPECT_EQ(copy.SymbolColor(), clGreen);
    EXPECT_EQ(copy.NumberColor(), clRed);
    ASSERT_EQ(copy.WordLists().Count(), 1);
    EXPECT_NE(&copy.WordLists().Items(0), &source.SyntaxColoring().WordLists().Items(0));
    EXPECT_EQ(copy.WordLists().Items(0).Words(),
              source.SyntaxColoring().WordLists().Items(0).Words());
    ASSERT_EQ(copy.CustomStyles().Count(), 1);
    EXPECT_EQ(copy.CustomStyles().Items(0).EndText(), "*/");
    EXPECT_TRUE(copy.CustomStyles().Items(0).Switchable());
    EXPECT_EQ(ChainText(target), "WordList:select | NormalText:  | Number:1");

    TWordList list;
    try {
        target.SyntaxColoring().Assign(list);
        FAIL() << "no error";
    } catch (const EAssignError& error) {
        EXPECT_STREQ(error.what(), "Cannot assign a TWordList to a TSyntaxColoring");
    }
    EXPECT_EQ(target.SyntaxColoring().WordLists().Count(), 1);
    EXPECT_THROW(list.Assign(style), EAssignError);
}

TEST(Settings, MainWindowConfiguration) {
    TSourceEdit edit;
    ConfigureMainWindowEditor(edit);
    const std::vector<std::string>& keywords = MainWindowKeywords();
    ASSERT_EQ(keywords.size(), 188u);
    EXPECT_EQ(keywords.front(), "Add");
    EXPECT_EQ(keywords[40], "Decalre");
    EXPECT_EQ(keywords.back(), "Work");
    std::set<std::string> folded;
    for (const std::string& word : keywords)
        folded.insert(UpperCase(word));
    EXPECT_EQ(folded.size(), 188u);

    EXPECT_TRUE(edit.SplitOnFly());
    EXPECT_TRUE(edit.AutoIndentIncrease());
    EXPECT_EQ(edit.Font().Charset, 134);
    const TSyntaxColoring& coloring = edit.SyntaxColoring();
    EXPECT_EQ(coloring.SymbolColor(), clGreen);
    EXPECT_EQ(coloring.NumberColor(), clRed);
    ASSERT_EQ(coloring.WordLists().Count(), 1);
    const TWordList& list = coloring.WordLists().Items(0);
    EXPECT_EQ(list.Caption(), "KeyWord");
    EXPECT_FALSE(list.CaseSensitive());
    EXPECT_EQ(list.Words().size(), 188u);
    EXPECT_EQ(list.Font().Color, clBlue);
    EXPECT_TRUE(list.Contains("decalre"));
    EXPECT_TRUE(list.Contains("varchar2"));
    EXPECT_EQ(coloring.ParenthesisColor(0), TColor(0));
}
