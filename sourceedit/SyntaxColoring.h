// TSyntaxColoring and its collections: what the source editor colours and the fonts it
// derives for every category from the editor's font.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Color.h"
#include "editor/ObjList.h"
#include "platform/Canvas.h"

class TSourceEdit;
class TSyntaxColoring;

// A font as the painter gets it: face, pixel height, style, colour, character set.
using TSourceFont = platform::TFontData;

class TWordLists;
class TCustomStyles;

// What every coloured item (word list, custom style) has: a caption, a colour and a style of
// its own when asked for, and the font derived for it. Changed asks the settings to rebuild.
class TColoringItem : public TPersistent {
public:
    virtual void Changed() = 0;

    const std::string& Caption() const { return FCaption; }
    std::string DisplayName() const { return FCaption.empty() ? ClassName() : FCaption; }
    bool CustomColor() const { return FCustomColor; }
    void SetCustomColor(bool value) { Store(FCustomColor, value); }
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { Store(FColor, value); }
    bool CustomStyle() const { return FCustomStyle; }
    void SetCustomStyle(bool value) { Store(FCustomStyle, value); }
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles value) { Store(FStyle, value); }

    const TSourceFont& Font() const { return FFont; }
    TSourceFont& Font() { return FFont; }

protected:
    explicit TColoringItem(TColor color) : FColor(color) {}
    // A new value is stored, and the settings rebuilt, only when it differs.
    template <class T> void Store(T& field, const T& value) {
        if (field == value) return;
        field = value;
        Changed();
    }
    void AssignLook(const TColoringItem& source) {
        FCustomColor = source.FCustomColor;
        FColor = source.FColor;
        FCustomStyle = source.FCustomStyle;
        FStyle = source.FStyle;
    }

    std::string FCaption;
    bool FCustomColor = true;
    TColor FColor;
    bool FCustomStyle = false;
    TFontStyles FStyle;
    TSourceFont FFont;
};

// The owned, ordered items of the settings; adding, deleting or clearing rebuilds them.
template <class TItem> class TColoringCollection : public TPersistent {
public:
    void Assign(const TPersistent& source) override;
    TSyntaxColoring* Owner() const { return FOwner; }

    int Count() const { return static_cast<int>(FItems.size()); }
    TItem& Items(int index) const;
    TItem& Add();
    void Delete(int index);
    void Clear();
    // An item changed (item) or items came or went (nullptr).
    void Update(TItem* item);

protected:
    // Only as one of the named collections, whose items point back at them.
    explicit TColoringCollection(TSyntaxColoring* owner) : FOwner(owner) {}
    TSyntaxColoring* FOwner;
    std::vector<std::unique_ptr<TItem>> FItems;
};

// One list of words (keywords and the like) painted in its own colour and style.
class TWordList : public TColoringItem {
public:
    using TOwner = TWordLists;
    explicit TWordList(TWordLists* collection = nullptr);
    const char* ClassName() const override { return "TWordList"; }
    void Assign(const TPersistent& source) override;
    void Changed() override;

    void SetCaption(const std::string& value);
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value) { Store(FCaseSensitive, value); }

    // Kept sorted ignoring letter case; duplicates are kept.
    const std::vector<std::string>& Words() const { return FWords; }
    void SetWords(const std::vector<std::string>& words);
    void AddWord(const std::string& word);
    void ClearWords();
    bool Contains(std::string_view word) const;

    TWordLists* Collection() const { return FCollection; }

private:
    TWordLists* FCollection;
    bool FCaseSensitive = true;
    std::vector<std::string> FWords;
};

class TWordLists : public TColoringCollection<TWordList> {
public:
    explicit TWordLists(TSyntaxColoring* owner) : TColoringCollection(owner) {}
    const char* ClassName() const override { return "TWordLists"; }
    // The first list, in collection order, that contains word; nullptr when none does.
    TWordList* FindWord(std::string_view word) const;
};

// A delimited style (comment, string ...) from BeginText to EndText.
class TCustomStyle : public TColoringItem {
public:
    using TOwner = TCustomStyles;
    explicit TCustomStyle(TCustomStyles* collection = nullptr);
    const char* ClassName() const override { return "TCustomStyle"; }
    void Assign(const TPersistent& source) override;
    void Changed() override;

    void SetCaption(const std::string& value) { FCaption = value; }
    // "#13" is stored as a single CR.
    const std::string& BeginText() const { return FBeginText; }
    void SetBeginText(const std::string& value);
    const std::string& EndText() const { return FEndText; }
    void SetEndText(const std::string& value);
    // At most one character.
    const std::string& IgnoreChar() const { return FIgnoreChar; }
    void SetIgnoreChar(const std::string& value);
    bool Switchable() const { return FSwitchable; }
    void SetSwitchable(bool value) { Store(FSwitchable, value); }
    bool LineStartOnly() const { return FLineStartOnly; }
    void SetLineStartOnly(bool value) { Store(FLineStartOnly, value); }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value) { FCaseSensitive = value; }

    TCustomStyles* Collection() const { return FCollection; }

private:
    TCustomStyles* FCollection;
    std::string FBeginText;
    std::string FEndText;
    std::string FIgnoreChar;
    bool FSwitchable = false;
    bool FLineStartOnly = false;
    bool FCaseSensitive = false;
};

class TCustomStyles : public TColoringCollection<TCustomStyle> {
public:
    explicit TCustomStyles(TSyntaxColoring* owner) : TColoringCollection(owner) {}
    const char* ClassName() const override { return "TCustomStyles"; }
    // The first style whose BeginText begins s (the text from the scan position, at most 20
    // characters); nullptr when s is empty or none does.
    TCustomStyle* FindStyleAt(std::string_view s) const;
};

class TSyntaxColoring : public TOwnedPersistent {
public:
    explicit TSyntaxColoring(TSourceEdit* owner);
    ~TSyntaxColoring() override;
    const char* ClassName() const override { return "TSyntaxColoring"; }
    void Assign(const TPersistent& source) override;

    // Virtual operations, in slot order.
    virtual void Rebuild();
    virtual void BeginUpdate();
    virtual void EndUpdate();

    int UpdateCount() const { return FUpdateCount; }
    // The editor's destructor silences the settings before they go.
    void SetUpdateCount(int value) { FUpdateCount = value; }
    TSourceEdit* Editor() const { return FEditor; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    TColor SymbolColor() const { return FSymbolColor; }
    void SetSymbolColor(TColor value);
    TFontStyles SymbolStyle() const { return FSymbolStyle; }
    void SetSymbolStyle(TFontStyles value);
    bool SymbolCustomStyle() const { return FSymbolCustomStyle; }
    void SetSymbolCustomStyle(bool value);
    TColor NumberColor() const { return FNumberColor; }
    void SetNumberColor(TColor value);
    TFontStyles NumberStyle() const { return FNumberStyle; }
    void SetNumberStyle(TFontStyles value);
    bool NumberCustomStyle() const { return FNumberCustomStyle; }
    void SetNumberCustomStyle(bool value);
    TWordLists& WordLists() { return *FWordLists; }
    const TWordLists& WordLists() const { return *FWordLists; }
    void SetWordLists(const TWordLists& value);
    TCustomStyles& CustomStyles() { return *FCustomStyles; }
    const TCustomStyles& CustomStyles() const { return *FCustomStyles; }
    void SetCustomStyles(const TCustomStyles& value);
    // One integer text per entry: decimal, or hexadecimal after "$".
    const std::vector<std::string>& ParenthesisColors() const { return FParenthesisColors; }
    void SetParenthesisColors(const std::vector<std::string>& value);
    void AddParenthesisColor(const std::string& value);
    TFontStyles ParenthesisStyle() const { return FParenthesisStyle; }
    void SetParenthesisStyle(TFontStyles value);
    bool ParenthesisCustomStyle() const { return FParenthesisCustomStyle; }
    void SetParenthesisCustomStyle(bool value);

    // The colour of nesting index index (0 for the outermost pair), in a cycle.
    TColor ParenthesisColor(int index) const;

    const TSourceFont& SymbolFont() const { return FSymbolFont; }
    const TSourceFont& NumberFont() const { return FNumberFont; }
    TSourceFont& ParenthesisFont() { return FParenthesisFont; }
    const TSourceFont& ParenthesisFont() const { return FParenthesisFont; }

private:
    template <class T> void Store(T& field, T value) {
        if (field == value) return;
        field = value;
        Rebuild();
    }

    TSourceEdit* FEditor;
    int FUpdateCount = 0;
    bool FEnabled = true;
    TColor FSymbolColor = clOlive;
    TFontStyles FSymbolStyle;
    bool FSymbolCustomStyle = false;
    TColor FNumberColor = clGreen;
    TFontStyles FNumberStyle;
    bool FNumberCustomStyle = false;
    std::unique_ptr<TWordLists> FWordLists;
    std::unique_ptr<TCustomStyles> FCustomStyles;
    std::vector<std::string> FParenthesisColors{"$000000"};
    TFontStyles FParenthesisStyle;
    bool FParenthesisCustomStyle = false;
    TSourceFont FSymbolFont;
    TSourceFont FNumberFont;
    TSourceFont FParenthesisFont;
};
