#pragma once
// Lists and collections: TList (a list of borrowed pointers) and TCollection /
// TOwnedCollection / TCollectionItem (owned, streamable item lists such as stored skins and
// image-list items). Both raise EListError "List index out of bounds (%s)" for a bad index.

#include "vcl/Classes.h"

#include <string>
#include <vector>

class TList {
public:
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    void* Items(int index) const;
    void SetItems(int index, void* item);
    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    // Removes the first occurrence; its former index, or -1.
    int Remove(void* item);
    int IndexOf(void* item) const noexcept;
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }
    void Clear() noexcept { FItems.clear(); }

private:
    std::vector<void*> FItems;
};

class TCollection;

class TCollectionItem : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TCollectionItem() = default;
    // Leaves its collection.
    ~TCollectionItem() override;

    TCollection* Collection() const noexcept { return FCollection; }
    // Moves the item to another collection (nullptr: to none; the caller then owns it).
    void SetCollection(TCollection* collection);
    int Index() const;
    void SetIndex(int index);
    // Unique within the collection for the collection's lifetime.
    int ID() const noexcept { return FID; }
    std::string DisplayName() const { return GetDisplayName(); }
    // "<collection path>[<index>]".
    std::string GetNamePath() const override;

protected:
    virtual std::string GetDisplayName() const { return ClassName(); }
    TPersistent* GetOwner() const override;
    // Tells the collection this item (or, with allItems, every item) changed.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// Makes the items of a collection; a collection is made for one item class.
using TCollectionItemFactory = TCollectionItem* (*)();
template <class T>
TCollectionItem* NewCollectionItem()
{
    return new T();
}

class TCollection : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCollection(TCollectionItemFactory itemFactory) : FItemFactory(itemFactory) {}
    // Frees every item.
    ~TCollection() override;

    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    TCollectionItem* Items(int index) const;
    // A new item of the collection's class at the end.
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    // Replaces the items with new items assigned from source's (a TCollection); anything
    // else goes to the inherited assignment.
    void Assign(const TPersistent* source) override;

    // Changes inside BeginUpdate/EndUpdate are reported once, by the last EndUpdate.
    void BeginUpdate() noexcept { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const noexcept { return FUpdateCount; }
    // "<owner path>.<property name>", or the class name without an owner.
    std::string GetNamePath() const override;

protected:
    // Called for every change outside an update: item is the changed item, or nullptr when
    // the collection as a whole changed (items added, deleted, moved, or an update ended).
    virtual void Update(TCollectionItem*) {}
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item, int index);
    void RemoveItem(TCollectionItem* item);

    TCollectionItemFactory FItemFactory;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
};

// A collection that answers its owner, so streams and diagnostics can name it.
class TOwnedCollection : public TCollection {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TOwnedCollection(TPersistent* owner, TCollectionItemFactory itemFactory)
        : TCollection(itemFactory), FOwner(owner) {}

protected:
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};
