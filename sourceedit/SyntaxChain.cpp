#include "sourceedit/SyntaxChain.h"

#include <algorithm>

#include "sourceedit/SyntaxRanges.h"

size_t TSyntaxChain::IndexOf(const TBlock* block) const {
    if (!FBlocks.empty() && FBlocks.front().get() == block) return 0;
    for (size_t i = FBlocks.size(); i-- > 0;)
        if (FBlocks[i].get() == block) return i;
    return FBlocks.size();
}

void TSyntaxChain::InsertBefore(TSyntaxRange* range, TSyntaxRange* before) {
    ++FCount;
    if (!before) {
        // Appending fills blocks to their normal size and then starts a new one.
        if (FBlocks.empty() || FBlocks.back()->Items.size() >= kBlockSize)
            FBlocks.push_back(std::make_unique<TBlock>());
        FBlocks.back()->Items.push_back(range);
        range->FChainBlock = FBlocks.back().get();
        return;
    }
    auto* block = static_cast<TBlock*>(before->FChainBlock);
    // From the back: a scan at the end of the text inserts before the last range.
    auto place = std::find(block->Items.rbegin(), block->Items.rend(), before).base() - 1;
    block->Items.insert(place, range);
    range->FChainBlock = block;
    if (block->Items.size() <= 2 * kBlockSize) return;
    auto tail = std::make_unique<TBlock>();
    tail->Items.assign(block->Items.begin() + kBlockSize, block->Items.end());
    block->Items.resize(kBlockSize);
    for (TSyntaxRange* moved : tail->Items)
        moved->FChainBlock = tail.get();
    size_t index = IndexOf(block);
    FBlocks.insert(FBlocks.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(tail));
}

void TSyntaxChain::Remove(TSyntaxRange* range) {
    auto* block = static_cast<TBlock*>(range->FChainBlock);
    if (!block) return;
    --FCount;
    range->FChainBlock = nullptr;
    std::vector<TSyntaxRange*>& items = block->Items;
    if (items.back() == range)
        items.pop_back();
    else
        items.erase(std::find(items.begin(), items.end(), range));
    if (!items.empty()) return;
    FBlocks.erase(FBlocks.begin() + static_cast<std::ptrdiff_t>(IndexOf(block)));
}

TSyntaxRange* TSyntaxChain::FindFirstEndingAtOrAfter(int32_t pos) const {
    auto block = std::partition_point(
        FBlocks.begin(), FBlocks.end(),
        [pos](const std::unique_ptr<TBlock>& item) { return item->Items.back()->REnd() < pos; });
    if (block == FBlocks.end()) return nullptr;
    const std::vector<TSyntaxRange*>& items = (*block)->Items;
    auto found = std::partition_point(
        items.begin(), items.end(), [pos](const TSyntaxRange* item) { return item->REnd() < pos; });
    return *found;
}
