// Test helpers: a source editor's chain as one line of text, and an editor that counts its
// recolourings.
#pragma once

#include <string>

#include "sourceedit/SourceEdit.h"

// "Class:text" per range, separated by " | ", e.g. "TNormalTextRange:x | TSymbolRange:=".
inline std::string ChainText(const TSourceEdit& edit) {
    TDebuggableRanges ranges;
    edit.GetDebuggableRanges(ranges);
    std::string result;
    for (const TDebuggableRange& range : ranges) {
        if (!result.empty()) result += " | ";
        std::string name = range.ClassName;
        if (name.rfind("T", 0) == 0) name = name.substr(1);
        if (name.size() > 5 && name.substr(name.size() - 5) == "Range")
            name.resize(name.size() - 5);
        result += name + ":" + range.Text;
    }
    return result;
}

// Levels of the parenthesis ranges, in chain order.
inline std::string ParenthesisLevels(const TSourceEdit& edit) {
    std::string result;
    for (TSyntaxRange* range = edit.FirstRange(); range; range = range->NextRange())
        if (dynamic_cast<TParenthesisRange*>(range))
            result += std::to_string(range->ParenthesisLevel()) + " ";
    return result;
}

class TCountingEdit : public TSourceEdit {
public:
    void RecolorAll() override {
        ++Recolorings;
        TSourceEdit::RecolorAll();
    }
    int Recolorings = 0;
};
