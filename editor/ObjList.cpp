#include "editor/ObjList.h"

#include <algorithm>

#include "base/Exception.h"
#include "base/Format.h"

void TIntegerList::CheckIndex(int index, int limit) const {
    if (index < 0 || index > limit) throw Exception(Format("List index out of bounds (%d)", index));
}

int32_t TIntegerList::Items(int index) const {
    CheckIndex(index, Count() - 1);
    return FItems[static_cast<size_t>(index)];
}

void TIntegerList::SetItems(int index, int32_t value) {
    CheckIndex(index, Count() - 1);
    FItems[static_cast<size_t>(index)] = value;
}

void TIntegerList::Insert(int index, int32_t value) {
    CheckIndex(index, Count());
    FItems.insert(FItems.begin() + index, value);
}

void TIntegerList::Delete(int index) {
    CheckIndex(index, Count() - 1);
    FItems.erase(FItems.begin() + index);
}

void TIntegerList::DeleteRange(int first, int count) {
    if (count <= 0) return;
    CheckIndex(first, Count() - 1);
    CheckIndex(first + count - 1, Count() - 1);
    FItems.erase(FItems.begin() + first, FItems.begin() + first + count);
}

void TIntegerList::InsertRange(int index, const std::vector<int32_t>& values) {
    if (values.empty()) return;
    CheckIndex(index, Count());
    FItems.insert(FItems.begin() + index, values.begin(), values.end());
}

void TIntegerList::AddFrom(int index, int32_t delta) {
    if (delta == 0) return;
    for (size_t i = static_cast<size_t>(std::max(index, 0)); i < FItems.size(); ++i)
        FItems[i] += delta;
}

int TIntegerList::FindLastNotAbove(int32_t value) const {
    auto it = std::upper_bound(FItems.begin(), FItems.end(), value);
    return static_cast<int>(it - FItems.begin()) - 1;
}

void TPersistent::Assign(const TPersistent& source) {
    source.AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const {
    throw EAssignError(Format("Cannot assign a %s to a %s", ClassName(), dest.ClassName()));
}

TFastContainerItem::TFastContainerItem(TFastObjectContainer* container) {
    if (container) container->Add(this);
}

TFastContainerItem::~TFastContainerItem() {
    if (FContainer) FContainer->Remove(this);
}

TFastObjectContainer::~TFastObjectContainer() {
    FreeAll();
}

void TFastObjectContainer::FreeAll() {
    FDestroying = true;
    while (!FItems.empty()) {
        TFastContainerItem* item = FItems.back();
        if (!item) {
            FItems.pop_back();
            --FHoles;
            continue;
        }
        delete item; // its destructor removes it from FItems
    }
    FHoles = 0;
}

void TFastObjectContainer::Compact() const {
    if (FHoles == 0) return;
    size_t kept = 0;
    for (TFastContainerItem* item : FItems) {
        if (!item) continue;
        item->FSlot = static_cast<uint32_t>(kept);
        FItems[kept++] = item;
    }
    FItems.resize(kept);
    FHoles = 0;
}

TFastContainerItem* TFastObjectContainer::Items(int index) const {
    if (index < 0 || index >= FCount)
        throw Exception(Format("List index out of bounds (%d)", index));
    Compact();
    return FItems[static_cast<size_t>(index)];
}

void TFastObjectContainer::Add(TFastContainerItem* item) {
    if (item->FContainer) item->FContainer->Remove(item);
    item->FContainer = this;
    item->FSlot = static_cast<uint32_t>(FItems.size());
    FItems.push_back(item);
    ++FCount;
}

void TFastObjectContainer::Remove(TFastContainerItem* item) {
    if (item->FContainer != this) return;
    item->LeavingContainer();
    size_t slot = item->FSlot;
    item->FContainer = nullptr;
    --FCount;
    if (slot + 1 == FItems.size()) {
        FItems.pop_back();
        // Trailing holes would make the next "newest" removal search; drop them now.
        while (!FItems.empty() && !FItems.back()) {
            FItems.pop_back();
            --FHoles;
        }
        return;
    }
    FItems[slot] = nullptr;
    ++FHoles;
    if (FHoles > 64 && FHoles * 2 > FItems.size()) Compact();
}
