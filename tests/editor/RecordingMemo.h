// For the range-following tests: an editor that reports every replacement's place, so that a
// test can move models of the tracked ranges through the same edits, and a range class of the
// tests' own that stores what its setters get (the generic form of the rule).
#pragma once

#include <cstdint>
#include <vector>

#include "editor/MemoComponent.h"

class TRecordingMemo : public TMemoComponent {
public:
    struct TEdit {
        int32_t Pos, OldLength, NewLength;
    };
    std::vector<TEdit> Edits;

protected:
    void TextChanged(int32_t pos, int32_t oldLength, int32_t newLength) override {
        Edits.push_back({pos, oldLength, newLength});
    }
};

class TStoredRange : public TCustomRange {
public:
    using TCustomRange::TCustomRange;
    const char* ClassName() const override { return "TStoredRange"; }
    int32_t GetRStart() const override { return FStartPos; }
    int32_t GetREnd() const override { return FEndPos; }
    void SetRStart(int32_t value) override { FStartPos = value; }
    void SetREnd(int32_t value) override { FEndPos = value; }

private:
    int32_t FStartPos = 1, FEndPos = 0;
};
