// The source-editing keys: indentation on Enter, block expansion, Tab over rows.
#include <gtest/gtest.h>

#include "sourceedit/MainWindowEditor.h"
#include "sourceedit/SourceEdit.h"

namespace {

struct TKeyCase {
    std::string Text;
    int32_t Caret;
    char Key;
    std::string Expected; // the text after the key, "|" marking the caret
    bool Handled;
};

std::string WithCaret(TSourceEdit& edit) {
    std::string text(edit.Text());
    text.insert(static_cast<size_t>(edit.Selection().CaretPos() - 1), "|");
    return text;
}

// The keys behave the same in a plain editor and in the main window's, which also removes
// trailing blanks.
void Configure(TSourceEdit& edit, bool mainWindow) {
    if (mainWindow) {
        edit.SetTabSize(2);
        edit.SetRemoveTrailingSpaces(true);
        ConfigureMainWindowEditor(edit);
    }
    edit.SetAutoIndentIncrease(true);
}

} // namespace

TEST(Keys, EnterAndBlockExpansion) {
    for (bool mainWindow : {false, true}) {
        SCOPED_TRACE(mainWindow ? "main window" : "plain");
        const TKeyCase cases[] = {
            // Indentation of the row, never beyond the caret.
            {"    abcdef", 8, '\r', "    abc\r\n    |def", true},
            {"    abcdef", 3, '\r', "  \r\n  |  abcdef", true},
            // "{" before the caret, not first in its row: three rows.
            {"\tif (x) {", 10, '\r', "\tif (x) {\r\n\t\t|\r\n\t}", true},
            {"\tif (x) {rest", 10, '\r', "\tif (x) {\r\n\t\t|\r\n\t}rest", true},
            // "{" first in its row, right after a tab, or first in the text: a plain break.
            {"a\r\n{", 5, '\r', "a\r\n{\r\n|", true},
            {"\t{", 3, '\r', "\t{\r\n\t|", true},
            {"{", 2, '\r', "{\r\n|", true},
            // The "{" that is the trail byte of a Chinese character opens no block.
            {"x\xD5{", 4, '\r', "x\xD5{\r\n|", true},
            {"\xD5{{", 4, '\r', "\xD5{{\r\n\t|\r\n}", true},
            // "{" typed on a row of blanks at its end expands; elsewhere it is a plain key.
            {"  ", 3, '{', "  {\r\n  \t|\r\n  }", true},
            {"  \r\nx", 3, '{', "  {\r\n  \t|\r\n  }\r\nx", true},
            {"  x", 4, '{', "  x|", false},
            {"  x", 3, '{', "  |x", false},
            // "}" has no behaviour of its own.
            {"  ", 3, '}', "  |", false},
        };
        for (const TKeyCase& item : cases) {
            TSourceEdit edit;
            Configure(edit, mainWindow);
            edit.SetText(item.Text);
            if (edit.Text() != item.Text) continue; // blanks before a break: never held there
            edit.Selection().MoveCaret(item.Caret);
            char key = item.Key;
            edit.SourceKeyPress(key);
            EXPECT_EQ(WithCaret(edit), item.Expected) << item.Text << " at " << item.Caret;
            EXPECT_EQ(key == 0, item.Handled) << item.Text;
        }

        // One expansion is one undo step.
        TSourceEdit edit;
        Configure(edit, mainWindow);
        edit.SetText("f() {");
        edit.ClearUndo();
        edit.Selection().MoveCaret(6);
        char key = '\r';
        edit.SourceKeyPress(key);
        EXPECT_EQ(edit.Text(), "f() {\r\n\t\r\n}");
        edit.Undo();
        EXPECT_EQ(edit.Text(), "f() {");
        EXPECT_FALSE(edit.CanUndo());

        // Without AutoIndent, Enter is left to the base handling; "{" still expands.
        edit.SetAutoIndent(false);
        key = '\r';
        edit.SourceKeyPress(key);
        EXPECT_EQ(key, '\r');
        EXPECT_EQ(edit.Text(), "f() {");
        edit.SetText("");
        key = '{';
        edit.SourceKeyPress(key);
        EXPECT_EQ(edit.Text(), "{\r\n\t\r\n}");

        // Enter over a selection of several rows replaces it, indented like its first row.
        edit.SetAutoIndent(true);
        edit.SetText("  ab\r\n  cd");
        edit.Selection().MoveCaret(4);
        edit.Selection().ExtendTo(9);
        key = '\r';
        edit.SourceKeyPress(key);
        EXPECT_EQ(WithCaret(edit), "  a\r\n  |cd");
    }
}

TEST(Keys, ReadOnlyEditorKeepsItsText) {
    TSourceEdit edit;
    edit.SetAutoIndentIncrease(true);
    edit.SetText("  x {\r\n  y\r\nz");
    edit.SetReadOnly(true);
    edit.Selection().MoveCaret(6);
    char key = '\r';
    edit.SourceKeyPress(key);
    EXPECT_EQ(key, '\r');
    edit.Selection().MoveCaret(1);
    edit.Selection().ExtendTo(12);
    EXPECT_FALSE(edit.TabKeyDown(false));
    EXPECT_FALSE(edit.TabKeyDown(true));
    EXPECT_EQ(edit.Text(), "  x {\r\n  y\r\nz");
}

TEST(Keys, TabIndentsSelectedRows) {
    TSourceEdit edit;
    edit.SetText("a\r\nb\r\nc");
    // A selection inside one row: the base handles Tab.
    edit.Selection().MoveCaret(1);
    edit.Selection().ExtendTo(2);
    EXPECT_FALSE(edit.TabKeyDown(false));
    // Over three rows: all three are indented, Shift+Tab takes it back.
    edit.Selection().MoveCaret(1);
    edit.Selection().ExtendTo(8);
    EXPECT_TRUE(edit.TabKeyDown(false));
    EXPECT_EQ(edit.Text(), "\ta\r\n\tb\r\n\tc");
    EXPECT_TRUE(edit.TabKeyDown(true));
    EXPECT_EQ(edit.Text(), "a\r\nb\r\nc");
    // Shift+Tab without a selection outdents the caret's row.
    edit.SetText("x\r\n\t\ty");
    edit.Selection().MoveCaret(7);
    EXPECT_TRUE(edit.TabKeyDown(true));
    EXPECT_EQ(edit.Text(), "x\r\n\ty");
    EXPECT_FALSE(edit.TabKeyDown(false));

    EXPECT_EQ(TSourceEdit::FirstNonBlank(""), 1);
    EXPECT_EQ(TSourceEdit::FirstNonBlank(" \t x"), 4);
    EXPECT_EQ(TSourceEdit::FirstNonBlank(" \t"), 3);
}

TEST(Keys, ThroughTheEditorsKeyHandling) {
    TSourceEdit edit;
    edit.SetAutoIndentIncrease(true);
    edit.SetText("  x");
    edit.Selection().MoveCaret(4);
    edit.KeyPress('{'); // after text: the base inserts it as it is
    EXPECT_EQ(edit.Text(), "  x{");
    edit.KeyPress('\r');
    EXPECT_EQ(edit.Text(), "  x{\r\n  \t\r\n  }");
    EXPECT_EQ(edit.Selection().CaretPos(), 10);
    edit.KeyPress('y');
    EXPECT_EQ(edit.Text(), "  x{\r\n  \ty\r\n  }");
    edit.SelectAll();
    edit.KeyDown(9, {});
    EXPECT_EQ(edit.Text(), "\t  x{\r\n\t  \ty\r\n\t  }");
    edit.KeyDown(9, {platform::TShiftFlag::ssShift, platform::TShiftFlag::ssCtrl});
    EXPECT_EQ(edit.Text(), "  x{\r\n  \ty\r\n  }");

    // A typed character whose trail byte is "{" opens no block, even on a blank row.
    edit.Selection().MoveCaret(edit.TextLength() + 1);
    edit.KeyPress('\r');
    edit.KeyPress('\xD5');
    edit.KeyPress('{');
    EXPECT_EQ(edit.Text(), "  x{\r\n  \ty\r\n  }\r\n  \xD5{");
    edit.Undo();
    ASSERT_EQ(edit.Text(), "  x{\r\n  \ty\r\n  }");

    edit.SetReadOnly(true);
    edit.Selection().MoveCaret(5);
    edit.KeyPress('\r');
    edit.KeyPress('{');
    edit.SelectAll();
    edit.KeyDown(9, {});
    edit.KeyDown(9, {platform::TShiftFlag::ssShift});
    EXPECT_EQ(edit.Text(), "  x{\r\n  \ty\r\n  }");
}
