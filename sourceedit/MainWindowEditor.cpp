#include "sourceedit/MainWindowEditor.h"

namespace {

// In the order the window's editors were always given them; the list sorts itself.
// clang-format off
const std::vector<std::string> kKeywords = {
    "Add", "After", "All", "Alter", "Always", "And", "As", "Asc", "Auto_Increment", "Avg",
    "BEFORE", "BEGIN", "Between", "Bfile", "Binary", "Bit", "BLOB", "BY", "Byte", "Cache",
    "Cascade", "CHAR", "Character", "CHECK", "Clob", "Close", "Cluster", "Commit", "Connect",
    "CONSTRAIN", "Constraint", "COUNT", "Counter", "CREATE", "Currency", "Cursor", "DataBase",
    "DATE", "DATETIME", "Dbclob", "Decalre", "DECIMAL", "Declare", "DEFAULT", "DELETE", "Desc",
    "Describe", "DisConnect", "DISTINCT", "DO", "Domain", "Double", "Drop", "DUAL", "EACH",
    "ELSE", "END", "Entry_Point", "Exception", "Execute", "Exists", "Exit", "External", "Fetch",
    "Float", "Flush", "FOR", "Foreign", "Free", "FROM", "Full", "Function", "Generated",
    "Generator", "Go", "Grant", "Graphic", "GROUP", "Guid", "HAVING", "Identity", "IF", "Image",
    "Include", "Increment", "Index", "INNER", "Insert", "INT", "INTEGER", "Internal", "InterSect",
    "Interval", "Into", "Is", "isolation", "Join", "KEY", "LEFT", "level", "Like", "Locator",
    "Lock", "LONG", "Long Raw", "LongBinary", "Loop", "MAX", "MIN", "Nchar", "Nclob", "No", "NOT",
    "NULL", "Number", "NUMERIC", "Nvarchar", "Of", "ON", "OR", "Order", "Out", "OUTER", "Package",
    "PassWord", "PRIMARY", "Privileges", "Procedure", "Public", "RAW", "Real", "REFERENCE",
    "References", "REPLACE", "Return", "Returning_Values", "Returns", "RIGHT", "RollBack", "ROW",
    "Rule", "Schema", "Segment", "SELECT", "SEQUENCE", "Serial", "Set", "Short", "ShortDateTime",
    "Single", "SmallDateTime", "SMALLINT", "SmallMoney", "START", "SUM", "Suspend", "Synonym",
    "TABLE", "TableSpace", "Text", "Then", "TIME", "TIMESTAMP", "TinyInt", "To", "Transaction",
    "TRIGGER", "Union", "Unique", "UnLock", "Unsigned", "UPDATE", "Use", "User", "Values",
    "Varbinary", "Varbit", "VARCHAR", "VARCHAR2", "Vargraphic", "Variable", "VIEW", "When",
    "Whenever", "WHERE", "WHILE", "WITH", "Work"
};
// clang-format on

} // namespace

const std::vector<std::string>& MainWindowKeywords() {
    return kKeywords;
}

void ConfigureMainWindowEditor(TSourceEdit& edit) {
    TSourceFont font;
    font.Name = "宋体";
    font.Height = 12;
    font.Charset = 134; // GB2312
    font.Color = clWindowText;
    font.Style = {};
    edit.SetFont(font);
    edit.SetAutoIndent(true);
    edit.SetAutoIndentIncrease(true);
    edit.SetAutoIndentIncreaseStart('{');
    edit.SetAutoIndentIncreaseEnd('}');

    TSyntaxColoring& coloring = edit.SyntaxColoring();
    coloring.BeginUpdate();
    coloring.SetEnabled(true);
    coloring.SetSymbolColor(clGreen);
    coloring.SetSymbolStyle({});
    coloring.SetSymbolCustomStyle(false);
    coloring.SetNumberColor(clRed);
    coloring.SetNumberStyle({});
    coloring.SetNumberCustomStyle(false);
    coloring.WordLists().Clear();
    TWordList& keywords = coloring.WordLists().Add();
    keywords.SetCaption("KeyWord");
    keywords.SetCustomColor(true);
    keywords.SetColor(clBlue);
    keywords.SetCustomStyle(false);
    keywords.SetStyle({});
    keywords.SetCaseSensitive(false);
    keywords.SetWords(kKeywords);
    coloring.CustomStyles().Clear();
    coloring.SetParenthesisColors({"$000000"});
    coloring.SetParenthesisStyle({});
    coloring.SetParenthesisCustomStyle(false);
    coloring.EndUpdate();
    edit.SetSplitOnFly(true);
}
