#include "sourceedit/SyntaxRanges.h"

#include <typeinfo>

#include "sourceedit/SourceEdit.h"

TSyntaxRange::TSyntaxRange(TFastObjectContainer* container, TMemoComponent* memo)
    : TCustomFormattedRange(container, memo),
      FInSourceEdit(dynamic_cast<TSourceEdit*>(Memo()) != nullptr) {}

TSyntaxRange::~TSyntaxRange() {
    // While the registry itself goes, the chain goes with it: nothing to unlink.
    if (FLinked && Container() && !Container()->Destroying()) SourceEdit()->Unlink(*this);
}

TSourceEdit* TSyntaxRange::SourceEdit() const {
    return FInSourceEdit ? static_cast<TSourceEdit*>(Memo()) : nullptr;
}

const TSourceFont& TSyntaxRange::EditorFont() const {
    static const TSourceFont plain;
    TSourceEdit* edit = SourceEdit();
    return edit ? edit->Font() : plain;
}

platform::TFontData TSyntaxRange::GetFont() const {
    platform::TFontData font = CategoryFont();
    if (Memo()) font.Style = font.Style - Memo()->WidthStyles();
    return font;
}

TColor TSyntaxRange::GetColor() const {
    return Memo() ? Memo()->Color() : clWindow;
}

void TSyntaxRange::UpdateLevel() {
    FParenthesisLevel = FPrevRange ? FPrevRange->LevelAfter() : 0;
}

bool TSyntaxRange::InsertAndMerge(TSyntaxRange*& cursor) {
    TSourceEdit* edit = SourceEdit();
    return edit ? edit->MergeSyntaxRange(this, cursor) : false;
}

bool TSyntaxRange::SameAs(const TSyntaxRange& other) const {
    return other.REnd() == REnd();
}

bool TNormalTextRange::SameAs(const TSyntaxRange& other) const {
    return TSyntaxRange::SameAs(other) && typeid(other) == typeid(TNormalTextRange);
}

bool TCustomTextRange::SameAs(const TSyntaxRange& other) const {
    return TSyntaxRange::SameAs(other) && typeid(other) == typeid(TCustomTextRange);
}

const TSourceFont& TWordListRange::CategoryFont() const {
    return FWordList ? FWordList->Font() : EditorFont();
}

bool TWordListRange::SameAs(const TSyntaxRange& other) const {
    return TSyntaxRange::SameAs(other) && typeid(other) == typeid(TWordListRange) &&
           static_cast<const TWordListRange&>(other).FWordList == FWordList;
}

std::string TWordListRange::AttributeText() const {
    return FWordList ? FWordList->DisplayName() : std::string();
}

const TSourceFont& TNumberRange::CategoryFont() const {
    TSourceEdit* edit = SourceEdit();
    if (edit && edit->SyntaxColoring().Enabled()) return edit->SyntaxColoring().NumberFont();
    return EditorFont();
}

bool TNumberRange::SameAs(const TSyntaxRange& other) const {
    return TSyntaxRange::SameAs(other) && typeid(other) == typeid(TNumberRange) &&
           static_cast<const TNumberRange&>(other).FNumber == FNumber;
}

const TSourceFont& TSymbolRange::CategoryFont() const {
    TSourceEdit* edit = SourceEdit();
    if (edit && edit->SyntaxColoring().Enabled()) return edit->SyntaxColoring().SymbolFont();
    return EditorFont();
}

bool TSymbolRange::SameAs(const TSyntaxRange& other) const {
    return TSyntaxRange::SameAs(other) && typeid(other) == typeid(TSymbolRange) &&
           static_cast<const TSymbolRange&>(other).FSymbol == FSymbol;
}

const TSourceFont& TParenthesisRange::CategoryFont() const {
    TSourceEdit* edit = SourceEdit();
    if (!edit || !edit->SyntaxColoring().Enabled()) return EditorFont();
    return edit->SyntaxColoring().ParenthesisFont();
}

platform::TFontData TParenthesisRange::GetFont() const {
    platform::TFontData font = TSyntaxRange::GetFont();
    // Every parenthesis shares one font and takes the colour of its own level.
    TSourceEdit* edit = SourceEdit();
    if (edit && edit->SyntaxColoring().Enabled())
        font.Color = edit->SyntaxColoring().ParenthesisColor(ParenthesisLevel() - 1);
    return font;
}

bool TParenthesisRange::SameAs(const TSyntaxRange& other) const {
    return TSyntaxRange::SameAs(other) && typeid(other) == typeid(TParenthesisRange) &&
           static_cast<const TParenthesisRange&>(other).Style() == Style();
}

std::string TParenthesisRange::AttributeText() const {
    return Style() == TParenthesisStyle::psClosing ? "psClosing" : "psOpening";
}

void TParenthesisRange::UpdateLevel() {
    int before = PrevRange() ? PrevRange()->LevelAfter() : 0;
    SetParenthesisLevel(Style() == TParenthesisStyle::psClosing ? before : before + 1);
}

int TParenthesisRange::LevelAfter() const {
    return Style() == TParenthesisStyle::psClosing ? ParenthesisLevel() - 1 : ParenthesisLevel();
}

void TParenthesisRange::UpdateLevelAndRepaint() {
    int old = ParenthesisLevel();
    UpdateLevel();
    if (ParenthesisLevel() != old) Paint();
}

const TSourceFont& TCustomStyleRange::CategoryFont() const {
    return FStyle ? FStyle->Font() : EditorFont();
}

bool TCustomStyleRange::SameAs(const TSyntaxRange& other) const {
    return TSyntaxRange::SameAs(other) && typeid(other) == typeid(TCustomStyleRange) &&
           static_cast<const TCustomStyleRange&>(other).FStyle == FStyle;
}

std::string TCustomStyleRange::AttributeText() const {
    return FStyle ? FStyle->DisplayName() : std::string();
}
