// The coloured ranges of the source editor's chain (TSyntaxRange and its kinds) and the
// chain's diagnostic record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/Ranges.h"
#include "sourceedit/SyntaxColoring.h"

class TSourceEdit;

// One coloured range of the chain that tiles the text.
class TSyntaxRange : public TCustomFormattedRange {
public:
    explicit TSyntaxRange(TFastObjectContainer* container, TMemoComponent* memo = nullptr);
    ~TSyntaxRange() override;
    const char* ClassName() const override { return "TSyntaxRange"; }

    int ParenthesisLevel() const { return FParenthesisLevel; }
    void SetParenthesisLevel(int value) { FParenthesisLevel = value; }
    TSyntaxRange* NextRange() const { return FNextRange; }
    TSyntaxRange* PrevRange() const { return FPrevRange; }

    TColor GetColor() const override;
    // The category's font, less the styles that would break the editor's character grid.
    platform::TFontData GetFont() const override;
    // The category's font as the settings derived it.
    virtual const TSourceFont& CategoryFont() const = 0;

    // Virtual operations, in slot order.
    virtual void UpdateLevel();
    virtual int LevelAfter() const { return FParenthesisLevel; }
    virtual bool InsertAndMerge(TSyntaxRange*& cursor);
    virtual bool SameAs(const TSyntaxRange& other) const;
    virtual void UpdateLevelAndRepaint() { UpdateLevel(); }

    // The attribute as text, for the diagnostic dump.
    virtual std::string AttributeText() const { return {}; }

protected:
    TSourceEdit* SourceEdit() const; // the editor when it is a source editor
    const TSourceFont& EditorFont() const;

private:
    friend class TSourceEdit;
    friend class TSyntaxChain;
    // Packed into the tail of the base classes: the chain holds a range per token.
    bool FLinked = false;
    bool FInSourceEdit; // the editor, which never changes, is a source editor

protected:
    // A byte of a kind's own attribute. It fills padding here; a member of the kind would
    // come after the chain pointers and cost the range a larger heap block.
    uint8_t FKindByte = 0;

private:
    int FParenthesisLevel = 0;
    TSyntaxRange* FNextRange = nullptr;
    TSyntaxRange* FPrevRange = nullptr;
    void* FChainBlock = nullptr; // the block of the chain's position index holding it
};

class TNormalTextRange : public TSyntaxRange {
public:
    using TSyntaxRange::TSyntaxRange;
    const char* ClassName() const override { return "TNormalTextRange"; }
    const TSourceFont& CategoryFont() const override { return EditorFont(); }
    bool SameAs(const TSyntaxRange& other) const override;
};

// A run of plain text (symbols included) that painting splits.
class TCustomTextRange : public TSyntaxRange {
public:
    using TSyntaxRange::TSyntaxRange;
    const char* ClassName() const override { return "TCustomTextRange"; }
    const TSourceFont& CategoryFont() const override { return EditorFont(); }
    bool SameAs(const TSyntaxRange& other) const override;
};

class TWordListRange : public TSyntaxRange {
public:
    using TSyntaxRange::TSyntaxRange;
    const char* ClassName() const override { return "TWordListRange"; }
    const TSourceFont& CategoryFont() const override;
    bool SameAs(const TSyntaxRange& other) const override;
    std::string AttributeText() const override;
    TWordList* WordList() const { return FWordList; }
    void SetWordList(TWordList* value) { FWordList = value; }

private:
    TWordList* FWordList = nullptr;
};

class TNumberRange : public TSyntaxRange {
public:
    using TSyntaxRange::TSyntaxRange;
    const char* ClassName() const override { return "TNumberRange"; }
    const TSourceFont& CategoryFont() const override;
    bool SameAs(const TSyntaxRange& other) const override;
    std::string AttributeText() const override { return FNumber; }
    const std::string& Number() const { return FNumber; }
    void SetNumber(std::string value) { FNumber = std::move(value); }

private:
    std::string FNumber;
};

class TSymbolRange : public TSyntaxRange {
public:
    using TSyntaxRange::TSyntaxRange;
    const char* ClassName() const override { return "TSymbolRange"; }
    const TSourceFont& CategoryFont() const override;
    bool SameAs(const TSyntaxRange& other) const override;
    std::string AttributeText() const override { return FSymbol; }
    const std::string& Symbol() const { return FSymbol; }
    void SetSymbol(std::string value) { FSymbol = std::move(value); }

private:
    std::string FSymbol;
};

enum class TParenthesisStyle : uint8_t { psOpening, psClosing };

class TParenthesisRange : public TSyntaxRange {
public:
    using TSyntaxRange::TSyntaxRange;
    const char* ClassName() const override { return "TParenthesisRange"; }
    const TSourceFont& CategoryFont() const override;
    platform::TFontData GetFont() const override;
    bool SameAs(const TSyntaxRange& other) const override;
    std::string AttributeText() const override;
    void UpdateLevel() override;
    int LevelAfter() const override;
    void UpdateLevelAndRepaint() override;
    TParenthesisStyle Style() const { return static_cast<TParenthesisStyle>(FKindByte); }
    void SetStyle(TParenthesisStyle value) { FKindByte = static_cast<uint8_t>(value); }
};

class TCustomStyleRange : public TSyntaxRange {
public:
    using TSyntaxRange::TSyntaxRange;
    const char* ClassName() const override { return "TCustomStyleRange"; }
    const TSourceFont& CategoryFont() const override;
    bool SameAs(const TSyntaxRange& other) const override;
    std::string AttributeText() const override;
    TCustomStyle* Style() const { return FStyle; }
    void SetStyle(TCustomStyle* value) { FStyle = value; }

private:
    TCustomStyle* FStyle = nullptr;
};

// One chain range for diagnostics: its extent, its text and its class. Attribute and Level
// let a dump tell two chains apart wherever they differ.
struct TDebuggableRange {
    int32_t RStart = 0;
    int32_t REnd = 0;
    std::string Text;
    std::string ClassName;
    std::string Attribute;
    int Level = 0;
    bool operator==(const TDebuggableRange&) const = default;
};
using TDebuggableRanges = std::vector<TDebuggableRange>;
