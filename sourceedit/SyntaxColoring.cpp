#include "sourceedit/SyntaxColoring.h"

#include <algorithm>

#include "base/Exception.h"
#include "base/Format.h"
#include "sourceedit/SourceEdit.h"

namespace {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Ignores ASCII letter case; other bytes compare by value.
int CompareText(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(UpperAscii(a[i]));
        auto y = static_cast<unsigned char>(UpperAscii(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameUpper(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

// "#13" stands for the line end.
std::string MarkerText(const std::string& value) {
    return value == "#13" ? std::string("\r") : value;
}

// A signed 32-bit integer: decimal with an optional sign, or "$" and hexadecimal digits.
bool ParseColorText(std::string_view text, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i < text.size() && text[i] == '$') {
        ++i;
        if (i == text.size() || text.size() - i > 8) return false;
        uint32_t bits = 0;
        for (; i < text.size(); ++i) {
            char c = text[i];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0) return false;
            bits = bits << 4 | static_cast<uint32_t>(digit);
        }
        value = static_cast<int32_t>(negative ? 0u - bits : bits);
        return true;
    }
    if (i == text.size()) return false;
    int64_t number = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
        if (number > int64_t(INT32_MAX) + 1) return false;
    }
    if (negative) number = -number;
    if (number > INT32_MAX || number < INT32_MIN) return false;
    value = static_cast<int32_t>(number);
    return true;
}

} // namespace

// ---------------------------------------------------------------- the collections

template <class TItem> TItem& TColoringCollection<TItem>::Items(int index) const {
    if (index < 0 || index >= Count())
        throw Exception(Format("List index out of bounds (%d)", index));
    return *FItems[static_cast<size_t>(index)];
}

template <class TItem> TItem& TColoringCollection<TItem>::Add() {
    FItems.push_back(std::make_unique<TItem>(static_cast<typename TItem::TOwner*>(this)));
    TItem& item = *FItems.back();
    Update(nullptr);
    return item;
}

template <class TItem> void TColoringCollection<TItem>::Delete(int index) {
    Items(index);
    FItems.erase(FItems.begin() + index);
    Update(nullptr);
}

template <class TItem> void TColoringCollection<TItem>::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    Update(nullptr);
}

template <class TItem> void TColoringCollection<TItem>::Assign(const TPersistent& source) {
    auto* items = dynamic_cast<const TColoringCollection<TItem>*>(&source);
    if (!items) {
        TPersistent::Assign(source);
        return;
    }
    if (FOwner) FOwner->BeginUpdate();
    FItems.clear();
    for (const auto& item : items->FItems) {
        FItems.push_back(std::make_unique<TItem>(static_cast<typename TItem::TOwner*>(this)));
        FItems.back()->Assign(*item);
    }
    Update(nullptr);
    if (FOwner) FOwner->EndUpdate();
}

template <class TItem> void TColoringCollection<TItem>::Update(TItem*) {
    if (FOwner) FOwner->Rebuild();
}

template class TColoringCollection<TWordList>;
template class TColoringCollection<TCustomStyle>;

// ---------------------------------------------------------------- TWordList

TWordList::TWordList(TWordLists* collection) : TColoringItem(clBlue), FCollection(collection) {}

void TWordList::Assign(const TPersistent& source) {
    auto* list = dynamic_cast<const TWordList*>(&source);
    if (!list) {
        TPersistent::Assign(source);
        return;
    }
    SetCaption(list->FCaption);
    AssignLook(*list);
    FCaseSensitive = list->FCaseSensitive;
    FWords = list->FWords;
    Changed();
}

void TWordList::Changed() {
    if (FCollection && FCollection->Owner()) FCollection->Owner()->Rebuild();
}

void TWordList::SetCaption(const std::string& value) {
    if (value == FCaption) return;
    FCaption = value;
    if (FCollection) FCollection->Update(this);
}

void TWordList::SetWords(const std::vector<std::string>& words) {
    FWords = words;
    std::stable_sort(FWords.begin(), FWords.end(), [](const std::string& a, const std::string& b) {
        return CompareText(a, b) < 0;
    });
    Changed();
}

void TWordList::AddWord(const std::string& word) {
    auto place = std::upper_bound(
        FWords.begin(), FWords.end(), word,
        [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    FWords.insert(place, word);
    Changed();
}

void TWordList::ClearWords() {
    FWords.clear();
    Changed();
}

bool TWordList::Contains(std::string_view word) const {
    // The sorted list's search: the first entry that does not sort before word.
    auto place = std::lower_bound(
        FWords.begin(), FWords.end(), word,
        [](const std::string& entry, std::string_view key) { return CompareText(entry, key) < 0; });
    bool inList = place != FWords.end();
    bool found = inList && CompareText(*place, word) == 0;
    if (FCaseSensitive) return found && *place == word;
    return found || (inList && SameUpper(*place, word));
}

TWordList* TWordLists::FindWord(std::string_view word) const {
    for (const auto& item : FItems)
        if (item->Contains(word)) return item.get();
    return nullptr;
}

// ---------------------------------------------------------------- TCustomStyle

TCustomStyle::TCustomStyle(TCustomStyles* collection)
    : TColoringItem(clMaroon), FCollection(collection) {}

void TCustomStyle::Assign(const TPersistent& source) {
    auto* style = dynamic_cast<const TCustomStyle*>(&source);
    if (!style) {
        TPersistent::Assign(source);
        return;
    }
    SetCaption(style->FCaption);
    AssignLook(*style);
    FBeginText = style->FBeginText;
    FEndText = style->FEndText;
    FIgnoreChar = style->FIgnoreChar;
    FSwitchable = style->FSwitchable;
    FLineStartOnly = style->FLineStartOnly;
    FCaseSensitive = style->FCaseSensitive;
    Changed();
}

void TCustomStyle::Changed() {
    if (FCollection && FCollection->Owner()) FCollection->Owner()->Rebuild();
}

void TCustomStyle::SetBeginText(const std::string& value) { Store(FBeginText, MarkerText(value)); }

void TCustomStyle::SetEndText(const std::string& value) { Store(FEndText, MarkerText(value)); }

void TCustomStyle::SetIgnoreChar(const std::string& value) { Store(FIgnoreChar, value.substr(0, 1)); }

TCustomStyle* TCustomStyles::FindStyleAt(std::string_view s) const {
    if (s.empty()) return nullptr;
    for (const auto& item : FItems) {
        const std::string& begin = item->BeginText();
        if (begin.size() > s.size()) continue;
        std::string_view head = s.substr(0, begin.size());
        if (item->CaseSensitive() ? head == begin : CompareText(head, begin) == 0)
            return item.get();
    }
    return nullptr;
}

// ---------------------------------------------------------------- TSyntaxColoring

TSyntaxColoring::TSyntaxColoring(TSourceEdit* owner)
    : TOwnedPersistent(owner), FEditor(owner), FWordLists(std::make_unique<TWordLists>(this)),
      FCustomStyles(std::make_unique<TCustomStyles>(this)) {}

TSyntaxColoring::~TSyntaxColoring() {
    FCustomStyles.reset();
    FWordLists.reset();
}

void TSyntaxColoring::Assign(const TPersistent& source) {
    auto* coloring = dynamic_cast<const TSyntaxColoring*>(&source);
    if (!coloring) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    FEnabled = coloring->FEnabled;
    FSymbolColor = coloring->FSymbolColor;
    FSymbolStyle = coloring->FSymbolStyle;
    FSymbolCustomStyle = coloring->FSymbolCustomStyle;
    FNumberColor = coloring->FNumberColor;
    FNumberStyle = coloring->FNumberStyle;
    FNumberCustomStyle = coloring->FNumberCustomStyle;
    FWordLists->Assign(*coloring->FWordLists);
    FCustomStyles->Assign(*coloring->FCustomStyles);
    FParenthesisColors = coloring->FParenthesisColors;
    FParenthesisStyle = coloring->FParenthesisStyle;
    FParenthesisCustomStyle = coloring->FParenthesisCustomStyle;
    EndUpdate();
}

void TSyntaxColoring::BeginUpdate() {
    ++FUpdateCount;
}

void TSyntaxColoring::EndUpdate() {
    if (FUpdateCount-- == 1) Rebuild();
}

void TSyntaxColoring::Rebuild() {
    if (FUpdateCount != 0 || !FEditor) return;
    const TSourceFont& base = FEditor->Font();
    FSymbolFont = base;
    FSymbolFont.Color = FSymbolColor;
    if (FSymbolCustomStyle) FSymbolFont.Style = FSymbolStyle;
    FNumberFont = base;
    FNumberFont.Color = FNumberColor;
    if (FNumberCustomStyle) FNumberFont.Style = FNumberStyle;
    FParenthesisFont = base;
    FParenthesisFont.Color = ParenthesisColor(0);
    if (FParenthesisCustomStyle) FParenthesisFont.Style = FParenthesisStyle;
    for (int i = 0; i < FWordLists->Count(); ++i) {
        TWordList& list = FWordLists->Items(i);
        list.Font() = base;
        if (list.CustomColor()) list.Font().Color = list.Color();
        if (list.CustomStyle()) list.Font().Style = list.Style();
    }
    for (int i = 0; i < FCustomStyles->Count(); ++i) {
        TCustomStyle& style = FCustomStyles->Items(i);
        style.Font() = base;
        if (style.CustomColor()) style.Font().Color = style.Color();
        if (style.CustomStyle()) style.Font().Style = style.Style();
    }
    FEditor->RecolorAll();
}

void TSyntaxColoring::SetEnabled(bool value) {
    Store(FEnabled, value);
}
void TSyntaxColoring::SetSymbolColor(TColor value) {
    Store(FSymbolColor, value);
}
void TSyntaxColoring::SetSymbolStyle(TFontStyles value) {
    Store(FSymbolStyle, value);
}
void TSyntaxColoring::SetSymbolCustomStyle(bool value) {
    Store(FSymbolCustomStyle, value);
}
void TSyntaxColoring::SetNumberColor(TColor value) {
    Store(FNumberColor, value);
}
void TSyntaxColoring::SetNumberStyle(TFontStyles value) {
    Store(FNumberStyle, value);
}
void TSyntaxColoring::SetNumberCustomStyle(bool value) {
    Store(FNumberCustomStyle, value);
}
void TSyntaxColoring::SetParenthesisStyle(TFontStyles value) {
    Store(FParenthesisStyle, value);
}
void TSyntaxColoring::SetParenthesisCustomStyle(bool value) {
    Store(FParenthesisCustomStyle, value);
}

void TSyntaxColoring::SetWordLists(const TWordLists& value) {
    FWordLists->Assign(value);
    Rebuild();
}

void TSyntaxColoring::SetCustomStyles(const TCustomStyles& value) {
    FCustomStyles->Assign(value);
    Rebuild();
}

void TSyntaxColoring::SetParenthesisColors(const std::vector<std::string>& value) {
    FParenthesisColors = value;
    Rebuild();
}

void TSyntaxColoring::AddParenthesisColor(const std::string& value) {
    FParenthesisColors.push_back(value);
    Rebuild();
}

TColor TSyntaxColoring::ParenthesisColor(int index) const {
    if (FParenthesisColors.empty() || index < 0) return clWindowText;
    const std::string& entry =
        FParenthesisColors[static_cast<size_t>(index) % FParenthesisColors.size()];
    int32_t value = 0;
    if (!ParseColorText(entry, value)) return clWindowText;
    return static_cast<TColor>(value);
}
