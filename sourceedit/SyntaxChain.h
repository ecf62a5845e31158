// TSyntaxChain: the source editor's chain ranges in chain order, kept in blocks so that a
// position is found without walking the chain from its head.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TSyntaxRange;

class TSyntaxChain {
public:
    // range joins the index right before before (at the end when before is nullptr).
    void InsertBefore(TSyntaxRange* range, TSyntaxRange* before);
    void Remove(TSyntaxRange* range);
    // The first range whose REnd >= pos. The chain's ends grow along the chain whenever it is
    // looked up: it tiles the text, or an edit has just shifted and clipped it.
    TSyntaxRange* FindFirstEndingAtOrAfter(int32_t pos) const;
    size_t Count() const { return FCount; }

private:
    struct TBlock {
        std::vector<TSyntaxRange*> Items;
    };
    size_t IndexOf(const TBlock* block) const;

    static constexpr size_t kBlockSize = 256;
    std::vector<std::unique_ptr<TBlock>> FBlocks;
    size_t FCount = 0;
};
