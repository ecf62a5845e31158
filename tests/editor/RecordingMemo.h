// An editor that reports every replacement's place, so that a test can move models of the
// tracked ranges through the same edits.
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
