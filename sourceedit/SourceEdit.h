// TSourceEdit: the editor control with syntax colouring (the incremental scanner that keeps
// the chain of coloured ranges), coloured painting and the source-editing keys.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/Exception.h"
#include "editor/MemoComponent.h"
#include "sourceedit/SyntaxChain.h"
#include "sourceedit/SyntaxColoring.h"
#include "sourceedit/SyntaxRanges.h"

// Internal consistency failures of the colouring.
class ESourceEdit : public Exception {
public:
    using Exception::Exception;
};

class TSourceEdit : public TMemoComponent {
public:
    explicit TSourceEdit(platform::WindowHost* host = nullptr);
    ~TSourceEdit() override;

    // Virtual operations, in slot order.
    virtual void RecolorAll();
    // Rescans from near region; region is widened to the text actually rescanned.
    virtual void ScanRegion(TCustomRange& region);
    virtual void ClearSyntaxRanges();
    virtual bool MergeSyntaxRange(TSyntaxRange* newRange, TSyntaxRange*& cursor);
    virtual TSyntaxRange* FindCoverageGap() const;
    virtual TSyntaxRange* FindOverlap() const;
    virtual void GetDebuggableRanges(TDebuggableRanges& ranges) const;
    virtual TSyntaxRange* FindSyntaxRange(int32_t pos) const;
    virtual TSyntaxRange* FindSyntaxRangeFrom(int32_t pos, TSyntaxRange* hint) const;

    void GetFormattedRanges(TCustomRange& region, TFormattedRangeArray& ranges) override;

    // Creates a chain range of class T linked in before before (at the end when nullptr).
    template <class T> static T& CreateSyntaxRange(TSyntaxRange* before, TSourceEdit* editor);

    // Properties.
    TSyntaxColoring& SyntaxColoring() { return *FSyntaxColoring; }
    const TSyntaxColoring& SyntaxColoring() const { return *FSyntaxColoring; }
    void SetSyntaxColoring(const TSyntaxColoring& value) { FSyntaxColoring->Assign(value); }
    bool AutoIndent() const { return FAutoIndent; }
    void SetAutoIndent(bool value) { FAutoIndent = value; }
    bool AutoIndentIncrease() const { return FAutoIndentIncrease; }
    void SetAutoIndentIncrease(bool value) { FAutoIndentIncrease = value; }
    char AutoIndentIncreaseStart() const { return FAutoIndentIncreaseStart; }
    void SetAutoIndentIncreaseStart(char value) { FAutoIndentIncreaseStart = value; }
    char AutoIndentIncreaseEnd() const { return FAutoIndentIncreaseEnd; }
    void SetAutoIndentIncreaseEnd(char value) { FAutoIndentIncreaseEnd = value; }
    bool SplitOnFly() const { return FSplitOnFly; }
    void SetSplitOnFly(bool value);

    // New font metrics: every category font derives from the editor's font again.
    void UpdateFontMetrics() override;

    // The source-editing keys run before the base handling of the key.
    void KeyPress(char byte) override;
    void KeyDown(uint16_t key, platform::TShiftState shift) override;
    // The indentation rules of a typed character; key becomes 0 when they handled it.
    void SourceKeyPress(char& key);
    // Tab over rows; true when it consumed the key.
    bool TabKeyDown(bool shiftHeld);
    // 1-based index of the first character that is neither space nor tab; size + 1 if none.
    static int FirstNonBlank(std::string_view s);

    // The chain.
    TSyntaxRange* FirstRange() const { return FFirstRange; }
    TSyntaxRange* LastRange() const { return FLastRange; }
    TSyntaxRange* PaintCursor() const { return FPaintCursor; }
    TSyntaxRange* LevelCursor() const { return FLevelCursor; }
    size_t SyntaxRangeCount() const { return FChain.Count(); }

protected:
    void TextChanged(int32_t pos, int32_t oldLength, int32_t newLength) override;
    void AfterTextChanged() override;

private:
    friend class TSyntaxRange;
    class TScanner;

    void Link(TSyntaxRange& range, TSyntaxRange* before);
    void Unlink(TSyntaxRange& range);
    void SplitChunk(TSyntaxRange& chunk, TCustomRange& region, TFormattedRangeArray& ranges,
                    int32_t& lastEnd, bool& done);
    void AddSegments(TSyntaxRange& range, bool temporary, TCustomRange& region,
                     TFormattedRangeArray& ranges, int32_t& lastEnd, bool& done);
    void ExpandBlock(const std::string& first, const std::string& indent, int32_t caret);

    std::unique_ptr<TSyntaxColoring> FSyntaxColoring;
    bool FAutoIndent = true;
    bool FAutoIndentIncrease = false;
    char FAutoIndentIncreaseStart = '{';
    char FAutoIndentIncreaseEnd = '}';
    bool FSplitOnFly = false;
    TSourceFont FColoredFont; // the editor font the category fonts were derived from

    TSyntaxRange* FFirstRange = nullptr;
    TSyntaxRange* FLastRange = nullptr;
    TSyntaxRange* FPaintCursor = nullptr;
    TSyntaxRange* FLevelCursor = nullptr;
    std::unique_ptr<TMCRange> FChangedRegion;
    TSyntaxChain FChain;
};

template <class T> T& TSourceEdit::CreateSyntaxRange(TSyntaxRange* before, TSourceEdit* editor) {
    if (!editor) throw ESourceEdit("TSourceEdit internal error");
    T& range = editor->Ranges().template Create<T>();
    range.OnOverwrite = [](TCustomRange& swallowed) { TFastObjectContainer::Free(&swallowed); };
    editor->Link(range, before);
    return range;
}
