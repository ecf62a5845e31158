// Coloured painting: the pieces the editor hands its painter, and what reaches the canvas.
#include <gtest/gtest.h>

#include <memory>

#include "platform/headless/HeadlessHost.h"
#include "sourceedit/MainWindowEditor.h"
#include "tests/sourceedit/ChainText.h"

using platform::headless::HeadlessHost;
using platform::headless::TCanvasOp;
using platform::headless::TCanvasOpKind;

namespace {

std::string ColourName(TColor colour) {
    switch (colour) {
    case clRed:
        return "number";
    case clGreen:
        return "symbol";
    case clBlue:
        return "word";
    case clMaroon:
        return "style";
    case clWindowText:
        return "plain";
    case clHighlightText:
        return "selected";
    default:
        return "colour" + std::to_string(colour);
    }
}

// The pieces for region from .. to, as "text:category | ..." (a "!" on a highlighted
// background, a "=" when the piece is the chain range itself).
std::string Pieces(TSourceEdit& edit, int32_t from, int32_t to) {
    TMCRange region(&edit);
    region.SetRStart(from);
    region.SetREnd(to);
    TFormattedRangeArray ranges;
    edit.GetFormattedRanges(region, ranges);
    std::string result;
    for (TCustomFormattedRange* piece : ranges) {
        std::unique_ptr<TCustomFormattedRange> owned(piece->FreeAfterPaint() ? piece : nullptr);
        if (!result.empty()) result += " | ";
        result += piece->GetText() + ":" + ColourName(piece->Font().Color);
        if (piece->Color() == clHighlight) result += "!";
        if (!piece->FreeAfterPaint()) result += "=";
    }
    return result;
}

void Configure(TSourceEdit& edit, bool splitOnFly) {
    TSyntaxColoring& coloring = edit.SyntaxColoring();
    coloring.BeginUpdate();
    coloring.SetSymbolColor(clGreen);
    coloring.SetNumberColor(clRed);
    TWordList& list = coloring.WordLists().Add();
    list.SetCaseSensitive(false);
    list.SetWords({"SELECT", "FROM"});
    list.SetCustomStyle(true);
    list.SetStyle({TFontStyle::fsBold});
    TCustomStyle& comment = coloring.CustomStyles().Add();
    comment.SetBeginText("/*");
    comment.SetEndText("*/");
    coloring.EndUpdate();
    edit.SetSplitOnFly(splitOnFly);
}

} // namespace

TEST(Paint, PiecesWhenSplitWhileScanning) {
    TSourceEdit edit;
    Configure(edit, false);
    edit.SetText("SELECT a1 FROM t");
    // A range wholly inside and unselected is handed over itself.
    EXPECT_EQ(Pieces(edit, 1, 16), "SELECT:word= |  a1 :plain= | FROM:word= |  t:plain=");
    EXPECT_EQ(edit.PaintCursor(), nullptr);
    // Half a keyword selected: the selected half in highlight colours, still bold.
    edit.Selection().MoveCaret(4);
    edit.Selection().ExtendTo(9);
    EXPECT_EQ(Pieces(edit, 1, 16),
              "SEL:word | ECT:selected! |  a:selected! | 1 :plain | FROM:word= |  t:plain=");
    TMCRange region(&edit);
    region.SetRStart(1);
    region.SetREnd(6);
    TFormattedRangeArray ranges;
    edit.GetFormattedRanges(region, ranges);
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_TRUE(ranges[1]->Font().Style.Contains(TFontStyle::fsBold));
    EXPECT_EQ(ranges[1]->Color(), clHighlight);
    for (TCustomFormattedRange* piece : ranges)
        delete piece;
    edit.Selection().SetHidden(true);
    EXPECT_EQ(Pieces(edit, 1, 6), "SELECT:word=");
    edit.Selection().SetHidden(false);
    edit.Selection().MoveCaret(1);

    // A range that starts on the previous row or goes on to the next is clipped to the row.
    edit.SetText("a /* one\r\ntwo\r\nthree */ b");
    EXPECT_EQ(Pieces(edit, edit.LineStart(2), edit.LineStart(3) - 1), "two\r\n:style");
    EXPECT_EQ(Pieces(edit, 1, edit.LineStart(2) - 1), "a :plain= | /* one\r\n:style");
}

TEST(Paint, PiecesWhenSplitAtPaintTime) {
    TSourceEdit edit;
    Configure(edit, true);
    auto paint = [&](const std::string& text) {
        edit.SetText(text);
        return Pieces(edit, 1, edit.TextLength());
    };
    EXPECT_EQ(paint("12.5"), "12.5:number");
    EXPECT_EQ(paint("#13"), "#:symbol | 13:number");
    EXPECT_EQ(paint("1.5e+3"), "1.5e:number | +:symbol | 3:number");
    EXPECT_EQ(paint("x=12.5e+3"), "x:plain | =:symbol | 12.5e:number | +:symbol | 3:number");
    EXPECT_EQ(paint("SELECT name"), "SELECT:word |  name:plain");
    EXPECT_EQ(paint("a<=b"), "a:plain | <=:symbol | b:plain");
    EXPECT_EQ(paint("\xD6\xD0\xCE\xC4 1"), "\xD6\xD0\xCE\xC4 :plain | 1:number");
    EXPECT_EQ(paint("f(x) /* c */"),
              "f:plain | (:colour0= | x:plain | ):colour0= |  :plain | /* c */:style=");

    // Only the request is split: a part of a chunk gives the pieces inside it.
    edit.SetText("SELECT a, 12 FROM t");
    EXPECT_EQ(Pieces(edit, 8, 13), "a:plain | ,:symbol |  :plain | 12:number |  :plain");
    edit.Selection().MoveCaret(9);
    edit.Selection().ExtendTo(12);
    EXPECT_EQ(Pieces(edit, 8, 13),
              "a:plain | ,:selected! |  :selected! | 1:selected! | 2:number |  :plain");
    edit.Selection().MoveCaret(1);

    // Colouring off: the base control's pieces.
    edit.SyntaxColoring().SetEnabled(false);
    EXPECT_EQ(edit.FirstRange(), nullptr);
    EXPECT_EQ(Pieces(edit, 1, 6), "SELECT:plain");
}

TEST(Paint, ParenthesesTakeTheColourOfTheirLevel) {
    TSourceEdit edit;
    ConfigureMainWindowEditor(edit);
    edit.SyntaxColoring().SetParenthesisColors({"$0000FF", "$FF0000"});
    edit.SetText("((a) b)");
    EXPECT_EQ(Pieces(edit, 1, 7), "(:number= | (:word= | a:plain | ):word= |  b:plain | ):number=");
    // A closing parenthesis typed first lowers every level after it.
    edit.Selection().MoveCaret(1);
    edit.Selection().SetText(")");
    EXPECT_EQ(Pieces(edit, 1, 8),
              "):plain= | (:plain= | (:number= | a:plain | ):number= |  b:plain | ):plain=");
}

TEST(Paint, CanvasShowsTheColoursAndTheSelection) {
    HeadlessHost host(400, 130);
    TSourceEdit edit(&host);
    ConfigureMainWindowEditor(edit);
    edit.WindowCreated();
    edit.SetText("SELECT 12 FROM t;\r\nx");
    host.Screen().ClearOps();
    edit.VisibleRange().Paint();
    host.ProcessPaint();
    std::vector<std::pair<std::string, TColor>> texts;
    for (const TCanvasOp& op : host.Screen().OpsOf(TCanvasOpKind::Text))
        if (!op.Text.empty()) texts.emplace_back(op.Text, op.Font.Color);
    const std::vector<std::pair<std::string, TColor>> expected = {
        {"SELECT", clBlue}, {" ", clWindowText},  {"12", clRed},  {" ", clWindowText},
        {"FROM", clBlue},   {" t", clWindowText}, {";", clGreen}, {"x", clWindowText}};
    EXPECT_EQ(texts, expected);

    edit.Selection().MoveCaret(3);
    edit.Selection().ExtendTo(10);
    host.Screen().ClearOps();
    edit.VisibleRange().Paint();
    host.ProcessPaint();
    bool highlighted = false;
    for (const TCanvasOp& op : host.Screen().OpsOf(TCanvasOpKind::Text))
        if (op.Text == "12") {
            EXPECT_EQ(op.Brush, clHighlight);
            EXPECT_EQ(op.Font.Color, clHighlightText);
            highlighted = true;
        }
    EXPECT_TRUE(highlighted);
}
