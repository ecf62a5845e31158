// The small owning containers under the editor's range registry: TIntegerList, TPersistent,
// TOwnedPersistent, TFastContainerItem and TFastObjectContainer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

// A growable list of 32-bit integers. The bulk operations keep the row index of a long
// text cheap to update: an edit touches only the entries from the edit on.
class TIntegerList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    int32_t Items(int index) const;
    void SetItems(int index, int32_t value);
    void Add(int32_t value) { FItems.push_back(value); }
    void Insert(int index, int32_t value);
    void Delete(int index);
    void Clear() { FItems.clear(); }

    // Entries first .. first + count - 1 removed.
    void DeleteRange(int first, int count);
    // values placed before entry index (index may be Count).
    void InsertRange(int index, const std::vector<int32_t>& values);
    // delta added to every entry from index to the end.
    void AddFrom(int index, int32_t delta);
    // Index of the last entry <= value in a list that increases strictly; -1 when none.
    int FindLastNotAbove(int32_t value) const;
    const int32_t* Data() const { return FItems.data(); }

private:
    void CheckIndex(int index, int limit) const;
    std::vector<int32_t> FItems;
};

// An object that can copy its contents into another of a compatible class.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    // Copies source's contents into this object; an incompatible class raises EAssignError.
    virtual void Assign(const TPersistent& source);
    virtual const char* ClassName() const { return "TPersistent"; }

protected:
    virtual void AssignTo(TPersistent& dest) const;
};

// A persistent object that knows its owner for as long as it lives.
class TOwnedPersistent : public TPersistent {
public:
    explicit TOwnedPersistent(void* owner) : FOwner(owner) {}
    ~TOwnedPersistent() override { FOwner = nullptr; }
    void* Owner() const { return FOwner; }
    const char* ClassName() const override { return "TOwnedPersistent"; }

private:
    void* FOwner;
};

class TFastObjectContainer;

// An item that registers with its container when created and leaves it when freed.
class TFastContainerItem : public TPersistent {
public:
    explicit TFastContainerItem(TFastObjectContainer* container);
    ~TFastContainerItem() override;
    TFastContainerItem(const TFastContainerItem&) = delete;
    TFastContainerItem& operator=(const TFastContainerItem&) = delete;
    TFastObjectContainer* Container() const { return FContainer; }
    const char* ClassName() const override { return "TFastContainerItem"; }

protected:
    // Called while the item, still alive, leaves its container (not when it is freed).
    virtual void LeavingContainer() {}

private:
    friend class TFastObjectContainer;
    TFastObjectContainer* FContainer = nullptr;
    uint32_t FSlot = 0; // place in the container's registration list
};

// Owns its items and frees those still registered, newest first, when destroyed. Items keep
// their place in registration order; removing any item costs constant time.
class TFastObjectContainer {
public:
    explicit TFastObjectContainer(void* owner) : FOwner(owner) {}
    virtual ~TFastObjectContainer();
    TFastObjectContainer(const TFastObjectContainer&) = delete;
    TFastObjectContainer& operator=(const TFastObjectContainer&) = delete;

    void* Owner() const { return FOwner; }
    int Count() const { return FCount; }
    // Items in registration order, oldest first.
    TFastContainerItem* Items(int index) const;
    void Add(TFastContainerItem* item);
    void Remove(TFastContainerItem* item);
    bool Destroying() const { return FDestroying; }

    // Creates an item of class T registered here; the container owns it from then on.
    template <class T, class... Args> T& Create(Args&&... args) {
        return *new T(this, static_cast<Args&&>(args)...);
    }
    // Frees an item of this container (it unregisters itself).
    static void Free(TFastContainerItem* item) { delete item; }

protected:
    // Frees every item, newest first; derived containers call it from their destructor
    // while their own state is still alive.
    void FreeAll();

private:
    void Compact() const;
    void* FOwner;
    // Holes (nullptr) left by removals. A deque grows without copying and without room for
    // as many again: a coloured text registers millions of ranges.
    mutable std::deque<TFastContainerItem*> FItems;
    mutable size_t FHoles = 0;
    int FCount = 0;
    bool FDestroying = false;
};
