// TMCRanges: registration order plus the position index that lets an edit skip the ranges
// wholly before it.
#include <algorithm>

#include "base/Exception.h"
#include "editor/EditFollow.h"
#include "editor/Ranges.h"

using TIndexPlace = TCustomRange::TIndexPlace;

namespace {

// The index skips the ranges an edit does not reach and moves whole blocks past it by the
// length change alone. Both shortcuts must be what FollowEdit itself would do: checked here on
// every small case, so that a change of the rule cannot leave them behind.
constexpr bool ShortcutsFollowTheRule() {
    for (int32_t a = 1; a <= 6; ++a)
        for (int32_t b = a - 1; b <= 6; ++b)
            for (int32_t newLength = 0; newLength <= 4; ++newLength) {
                const int32_t c = newLength - (b - a + 1);
                for (int32_t start = 1; start <= 9; ++start)
                    for (int32_t end = start - 1; end <= 9; ++end) {
                        const TEditFollow moved = FollowEdit(start, end, a, b, c);
                        if (!EditReaches(start, end, a) &&
                            (moved.Start != start || moved.End != end || moved.Swallowed))
                            return false;
                        if (EditShiftsWhole(start, b) &&
                            (moved.Start != start + c || moved.End != end + c || moved.Swallowed))
                            return false;
                    }
            }
    return true;
}
static_assert(ShortcutsFollowTheRule());

} // namespace

TMCRanges::~TMCRanges() {
    FreeAll();
}

int32_t TMCRanges::StartOf(const TCustomRange* range) {
    const auto* plain = static_cast<const TMCRange*>(range);
    return plain->FStart + plain->Base();
}

int32_t TMCRanges::EndOf(const TCustomRange* range) {
    const auto* plain = static_cast<const TMCRange*>(range);
    return plain->FEnd + plain->Base();
}

bool TMCRanges::InBlock(const TCustomRange* range, const TBlock& block) {
    return range && range->FBlock == &block;
}

bool TMCRanges::IsLong(const TCustomRange* range) {
    return EndOf(range) - StartOf(range) + 1 > kLongRange;
}

int32_t TMCRanges::BlockMaxEnd(TBlock& block) {
    if (block.MaxDirty) {
        block.MaxEnd = -block.Offset;
        for (TCustomRange* range : block.Items)
            block.MaxEnd = std::max(block.MaxEnd, static_cast<TMCRange*>(range)->FEnd);
        block.MaxDirty = false;
    }
    return block.MaxEnd + block.Offset;
}

void TMCRanges::Register(TCustomRange* range) {
    range->FPlace = TIndexPlace::Other;
    range->FListSlot = static_cast<uint32_t>(FOthers.size());
    FOthers.push_back(range);
}

void TMCRanges::RemoveFromOthers(TCustomRange* range) {
    TCustomRange* last = FOthers.back();
    FOthers[range->FListSlot] = last;
    last->FListSlot = range->FListSlot;
    FOthers.pop_back();
    range->FPlace = TIndexPlace::None;
}

void TMCRanges::RemoveFromLong(TCustomRange* range) {
    TCustomRange* last = FLong.back();
    FLong[range->FListSlot] = last;
    last->FListSlot = range->FListSlot;
    FLong.pop_back();
    range->FPlace = TIndexPlace::None;
}

void TMCRanges::Indexed(TMCRange* range) {
    RemoveFromOthers(range);
    if (FAdjusting || FHolding > 0) {
        range->FPlace = TIndexPlace::Pending;
        FPending.push_back(range);
    } else {
        Insert(range);
    }
}

void TMCRanges::Forget(TCustomRange* range, bool dying) {
    if (Destroying()) return;
    if (range->FInWork) {
        FWork[range->FWorkSlot] = nullptr;
        range->FInWork = false;
    }
    switch (range->FPlace) {
    case TIndexPlace::Other:
        RemoveFromOthers(range);
        break;
    case TIndexPlace::Block:
        RemoveFromBlock(range, dying);
        break;
    case TIndexPlace::Long:
        RemoveFromLong(range);
        break;
    case TIndexPlace::Pending:
        FPending.erase(std::find(FPending.begin(), FPending.end(), range));
        range->FPlace = TIndexPlace::None;
        break;
    case TIndexPlace::None:
        break;
    }
}

void TMCRanges::Moved(TMCRange* range, int32_t oldStart) {
    if (range->FInWork) {
        range->FMovedInWork = true;
        return;
    }
    if (FAdjusting) {
        // A handler moved a range outside the edit: index it again once the edit is done.
        if (range->FPlace == TIndexPlace::Block) RemoveFromBlock(range);
        if (range->FPlace == TIndexPlace::Long) RemoveFromLong(range);
        if (range->FPlace == TIndexPlace::None) {
            range->FPlace = TIndexPlace::Pending;
            FPending.push_back(range);
        }
        return;
    }
    if (range->FPlace == TIndexPlace::Block) {
        // FEnd and MaxEnd are both relative to the block's offset.
        if (StartOf(range) != oldStart || IsLong(range)) {
            RemoveFromBlock(range);
            Insert(range);
        } else if (!range->FBlock->MaxDirty && range->FEnd > range->FBlock->MaxEnd) {
            range->FBlock->MaxEnd = range->FEnd;
        } else {
            range->FBlock->MaxDirty = true;
        }
    } else if (range->FPlace == TIndexPlace::Long && !IsLong(range)) {
        RemoveFromLong(range);
        Insert(range);
    }
}

void TMCRanges::Insert(TCustomRange* range) {
    if (IsLong(range)) {
        range->FPlace = TIndexPlace::Long;
        range->FListSlot = static_cast<uint32_t>(FLong.size());
        FLong.push_back(range);
    } else {
        InsertIntoBlocks(range);
    }
}

void TMCRanges::InsertIntoBlocks(TCustomRange* range) {
    int32_t key = StartOf(range);
    if (FBlocks.empty()) FBlocks.push_back(std::make_unique<TBlock>());
    // The last block whose first range starts at or before key (or the first block).
    auto after = std::upper_bound(FBlocks.begin() + 1, FBlocks.end(), key,
                                  [](int32_t value, const std::unique_ptr<TBlock>& block) {
                                      return value < StartOf(block->Items.front());
                                  });
    size_t index = static_cast<size_t>(after - FBlocks.begin()) - 1;
    TBlock& block = *FBlocks[index];
    auto place = std::upper_bound(
        block.Items.begin(), block.Items.end(), key,
        [](int32_t value, const TCustomRange* item) { return value < StartOf(item); });
    block.Items.insert(place, range);
    auto* plain = static_cast<TMCRange*>(range);
    plain->FStart -= block.Offset;
    plain->FEnd -= block.Offset;
    range->FBlock = &block;
    range->FPlace = TIndexPlace::Block;
    if (!range->ShiftsPlainly()) ++block.Special;
    if (!block.MaxDirty) block.MaxEnd = std::max(block.MaxEnd, plain->FEnd);
    if (block.Items.size() > 2 * kBlockSize) {
        // The tail keeps the offset its ranges' ends are relative to.
        auto tail = std::make_unique<TBlock>();
        tail->Offset = block.Offset;
        tail->Items.assign(block.Items.begin() + kBlockSize, block.Items.end());
        block.Items.resize(kBlockSize);
        // Appending splits block after block: each would keep room for twice its ranges.
        block.Items.shrink_to_fit();
        for (TCustomRange* moved : tail->Items) {
            moved->FBlock = tail.get();
            if (!moved->ShiftsPlainly()) ++tail->Special;
        }
        block.Special -= tail->Special;
        tail->MaxDirty = true;
        block.MaxDirty = true;
        FBlocks.insert(FBlocks.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(tail));
    }
}

void TMCRanges::RemoveFromBlock(TCustomRange* range, bool dying) {
    TBlock* block = range->FBlock;
    block->Items.erase(std::find(block->Items.begin(), block->Items.end(), range));
    // Out of the block its ends are positions again; a range being destroyed is no longer a
    // TMCRange and needs none.
    if (!dying) {
        auto* plain = static_cast<TMCRange*>(range);
        plain->FStart += block->Offset;
        plain->FEnd += block->Offset;
    }
    if (!range->ShiftsPlainly()) --block->Special;
    block->MaxDirty = true;
    range->FBlock = nullptr;
    range->FPlace = TIndexPlace::None;
    if (!block->Items.empty()) return;
    FBlocks.erase(
        std::find_if(FBlocks.begin(), FBlocks.end(),
                     [block](const std::unique_ptr<TBlock>& item) { return item.get() == block; }));
}

// The first block holding a range that starts at or after pos.
size_t TMCRanges::FirstBlockReaching(int32_t pos) const {
    auto found = std::partition_point(
        FBlocks.begin(), FBlocks.end(),
        [pos](const std::unique_ptr<TBlock>& block) { return StartOf(block->Items.back()) < pos; });
    return static_cast<size_t>(found - FBlocks.begin());
}

void TMCRanges::AdjustForEdit(int32_t a, int32_t b, int32_t c, const TCustomRange* skip1,
                              const TCustomRange* skip2) {
    if (FAdjusting) throw Exception("Text edited while the tracked ranges follow another edit");
    // Ranges held back by a TIndexHold follow the edit too.
    InsertPending();
    FWork.clear();
    auto addWork = [&](TCustomRange* range) {
        if (range == skip1 || range == skip2) return;
        range->FInWork = true;
        range->FMovedInWork = false;
        range->FWorkSlot = static_cast<uint32_t>(FWork.size());
        FWork.push_back(range);
    };
    for (TCustomRange* range : FOthers)
        addWork(range);
    for (TCustomRange* range : FLong)
        if (EditReaches(StartOf(range), EndOf(range), a)) addWork(range);
    // A short range that reaches a starts at most kLongRange bytes before it.
    size_t firstAfter = FirstBlockReaching(a);
    size_t first = firstAfter;
    for (size_t i = firstAfter; i-- > 0;) {
        TBlock& block = *FBlocks[i];
        if (StartOf(block.Items.back()) + kLongRange - 1 < a) break;
        if (BlockMaxEnd(block) >= a) first = i;
    }
    // The blocks are ordered by start: once one lies wholly past the span, so do the rest.
    bool pastSpan = false;
    for (size_t i = first; i < FBlocks.size(); ++i) {
        TBlock& block = *FBlocks[i];
        // Its ranges start no earlier than its first one.
        if (pastSpan || EditShiftsWhole(StartOf(block.Items.front()), b)) {
            pastSpan = true;
            block.Shifted = true;
            const bool holdsSkipped = InBlock(skip1, block) || InBlock(skip2, block);
            if (block.Special == 0 && !holdsSkipped) {
                block.Offset += c;
                continue;
            }
            for (TCustomRange* range : block.Items) {
                if (range->ShiftsPlainly() && range != skip1 && range != skip2) {
                    auto* plain = static_cast<TMCRange*>(range);
                    plain->FStart += c;
                    plain->FEnd += c;
                } else {
                    addWork(range);
                }
            }
            // A skipped range stays where it is, and may hold the block's greatest end.
            if (holdsSkipped)
                block.MaxDirty = true;
            else if (!block.MaxDirty)
                block.MaxEnd += c;
            continue;
        }
        for (TCustomRange* range : block.Items) {
            if (EditReaches(StartOf(range), EndOf(range), a)) {
                addWork(range);
                block.MaxDirty = true;
            }
        }
    }

    // Whatever happens in a handler, the index must be whole again afterwards.
    struct TFinish {
        TMCRanges& Ranges;
        int32_t Pos;
        ~TFinish() { Ranges.FinishEdit(Pos); }
    } finish{*this, a};
    FAdjusting = true;
    // From the end of the text backwards, as the handlers may free ranges.
    for (size_t i = FWork.size(); i-- > 0;) {
        TCustomRange* range = FWork[i];
        if (range) range->AdjustForEdit(a, b, c);
    }
}

void TMCRanges::FinishEdit(int32_t a) {
    FAdjusting = false;
    std::vector<TCustomRange*> reinsert;
    for (TCustomRange* range : FWork) {
        if (!range) continue;
        range->FInWork = false;
        if (range->FPlace == TIndexPlace::Block && (range->FMovedInWork || IsLong(range))) {
            RemoveFromBlock(range);
            reinsert.push_back(range);
        } else if (range->FPlace == TIndexPlace::Long && !IsLong(range)) {
            RemoveFromLong(range);
            reinsert.push_back(range);
        }
        range->FMovedInWork = false;
    }
    FWork.clear();
    // Starts before a did not move; those at or after it stay at or after it, in order but
    // for ranges that started at the same place.
    RepairOrder(FirstBlockReaching(a));
    for (TCustomRange* range : reinsert)
        Insert(range);
    InsertPending();
}

void TMCRanges::ReleaseHold() {
    if (--FHolding > 0 || FAdjusting) return;
    InsertPending();
}

void TMCRanges::InsertPending() {
    // Insert calls no handler, so the list cannot change under the loop.
    for (TCustomRange* range : FPending) {
        range->FPlace = TIndexPlace::None;
        Insert(range);
    }
    FPending.clear();
}

void TMCRanges::RepairOrder(size_t firstBlock) {
    int32_t previous = INT32_MIN;
    bool sorted = true;
    size_t shiftedFrom = FBlocks.size();
    for (size_t i = firstBlock; i < FBlocks.size(); ++i) {
        if (FBlocks[i]->Shifted && shiftedFrom == FBlocks.size()) shiftedFrom = i;
        FBlocks[i]->Shifted = false;
    }
    for (size_t i = firstBlock; i < FBlocks.size() && sorted; ++i) {
        // Blocks moved as a whole keep their order; only the seam needs a look.
        if (i > shiftedFrom) break;
        for (TCustomRange* range : FBlocks[i]->Items) {
            if (StartOf(range) < previous) {
                sorted = false;
                break;
            }
            previous = StartOf(range);
        }
    }
    if (sorted) return;
    // The rebuilt blocks start at offset 0: the old offsets go into the ranges' ends.
    std::vector<TCustomRange*> items;
    for (size_t i = firstBlock; i < FBlocks.size(); ++i) {
        const int32_t offset = FBlocks[i]->Offset;
        for (TCustomRange* range : FBlocks[i]->Items) {
            auto* plain = static_cast<TMCRange*>(range);
            plain->FStart += offset;
            plain->FEnd += offset;
            range->FBlock = nullptr;
            items.push_back(range);
        }
    }
    std::stable_sort(items.begin(), items.end(), [](const TCustomRange* x, const TCustomRange* y) {
        return StartOf(x) < StartOf(y);
    });
    FBlocks.resize(firstBlock);
    for (size_t i = 0; i < items.size(); i += kBlockSize) {
        auto block = std::make_unique<TBlock>();
        block->Items.assign(
            items.begin() + static_cast<std::ptrdiff_t>(i),
            items.begin() + static_cast<std::ptrdiff_t>(std::min(i + kBlockSize, items.size())));
        for (TCustomRange* range : block->Items) {
            range->FBlock = block.get();
            if (!range->ShiftsPlainly()) ++block->Special;
        }
        block->MaxDirty = true;
        FBlocks.push_back(std::move(block));
    }
}

bool TMCRanges::IndexIsConsistent() const {
    size_t indexed = FOthers.size() + FLong.size() + FPending.size();
    int32_t previous = INT32_MIN;
    for (const auto& block : FBlocks) {
        if (block->Items.empty()) return false;
        // Between edits no block is marked as moved by one.
        if (!FAdjusting && block->Shifted) return false;
        int32_t maxEnd = 0, special = 0;
        for (TCustomRange* range : block->Items) {
            if (range->FBlock != block.get() || range->FPlace != TIndexPlace::Block) return false;
            if (StartOf(range) < previous || IsLong(range)) return false;
            // With its block's offset a range is a span again: an offset gone astray shows.
            if (StartOf(range) < 1 || EndOf(range) < StartOf(range) - 1) return false;
            previous = StartOf(range);
            maxEnd = std::max(maxEnd, EndOf(range));
            if (!range->ShiftsPlainly()) ++special;
            ++indexed;
        }
        if (!block->MaxDirty && block->MaxEnd + block->Offset < maxEnd) return false;
        if (block->Special != special) return false;
    }
    for (TCustomRange* range : FLong)
        if (!IsLong(range) || range->FPlace != TIndexPlace::Long || range->FBlock) return false;
    // Outside a block a range holds its positions themselves.
    for (TCustomRange* range : FOthers)
        if (range->FPlace != TIndexPlace::Other || range->FBlock) return false;
    for (TCustomRange* range : FPending)
        if (range->FPlace != TIndexPlace::Pending || range->FBlock) return false;
    // Held ranges wait only while an edit is applied or a hold lasts.
    if (!FAdjusting && FHolding == 0 && !FPending.empty()) return false;
    return indexed == static_cast<size_t>(Count());
}
