#include "vcl/Collections.h"

#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <memory>

namespace {

constexpr const char* ListIndexText = "List index out of bounds (%s)";

[[noreturn]] void ThrowIndex(int index)
{
    throw EListError(Format(ListIndexText, {std::to_string(index)}));
}

} // namespace

const ks::ClassInfo TCollectionItem::StaticClassInfo{"TCollectionItem", &TPersistent::StaticClassInfo, {}, {}};
const ks::ClassInfo TCollection::StaticClassInfo{"TCollection", &TPersistent::StaticClassInfo, {}, {}};
const ks::ClassInfo TOwnedCollection::StaticClassInfo{"TOwnedCollection", &TCollection::StaticClassInfo, {}, {}};

// ---------------------------------------------------------------------------------------------
void* TList::Items(int index) const
{
    if (index < 0 || index >= Count())
        ThrowIndex(index);
    return FItems[static_cast<size_t>(index)];
}

void TList::SetItems(int index, void* item)
{
    if (index < 0 || index >= Count())
        ThrowIndex(index);
    FItems[static_cast<size_t>(index)] = item;
}

int TList::Add(void* item)
{
    FItems.push_back(item);
    return Count() - 1;
}

void TList::Insert(int index, void* item)
{
    if (index < 0 || index > Count())
        ThrowIndex(index);
    FItems.insert(FItems.begin() + index, item);
}

void TList::Delete(int index)
{
    if (index < 0 || index >= Count())
        ThrowIndex(index);
    FItems.erase(FItems.begin() + index);
}

int TList::Remove(void* item)
{
    int index = IndexOf(item);
    if (index >= 0)
        FItems.erase(FItems.begin() + index);
    return index;
}

int TList::IndexOf(void* item) const noexcept
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo& TCollectionItem::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TCollectionItem::~TCollectionItem()
{
    if (FCollection)
        FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection == FCollection)
        return;
    if (FCollection)
        FCollection->RemoveItem(this);
    if (collection)
        collection->InsertItem(this, collection->Count());
}

int TCollectionItem::Index() const
{
    if (!FCollection)
        return -1;
    const auto& items = FCollection->FItems;
    return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    int current = Index();
    if (current < 0 || index == current)
        return;
    auto& items = FCollection->FItems;
    if (index < 0 || index >= static_cast<int>(items.size()))
        ThrowIndex(index);
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    FCollection->Changed();
}

std::string TCollectionItem::GetNamePath() const
{
    if (!FCollection)
        return ClassName();
    return FCollection->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

TPersistent* TCollectionItem::GetOwner() const
{
    return FCollection;
}

void TCollectionItem::Changed(bool allItems)
{
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(allItems ? nullptr : this);
}

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo& TCollection::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

const ks::ClassInfo& TOwnedCollection::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TCollection::~TCollection()
{
    // No Update() from here: the derived part is already gone.
    ++FUpdateCount;
    while (!FItems.empty())
        delete FItems.back();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        ThrowIndex(index);
    return FItems[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add()
{
    return Insert(Count());
}

TCollectionItem* TCollection::Insert(int index)
{
    if (index < 0 || index > Count())
        ThrowIndex(index);
    std::unique_ptr<TCollectionItem> item(FItemFactory());
    InsertItem(item.get(), index);
    return item.release();
}

void TCollection::Delete(int index)
{
    delete Items(index);
}

void TCollection::Clear()
{
    if (FItems.empty())
        return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

void TCollection::Changed()
{
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* item : other->FItems)
            Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TCollection::GetNamePath() const
{
    const TPersistent* owner = GetOwner();
    if (!owner)
        return ClassName();
    std::string path = owner->GetNamePath();
    if (path.empty())
        return ClassName();
    // The owner's property that holds this collection names it.
    for (const ks::PropertyInfo* p : ks::PublishedProperties(owner->ClassInfo())) {
        if (p->Kind == ks::PropKind::Collection &&
            std::get<TPersistent*>(p->Get(*owner)) == static_cast<const TPersistent*>(this))
            return path + "." + p->Name;
    }
    return path;
}

void TCollection::InsertItem(TCollectionItem* item, int index)
{
    FItems.insert(FItems.begin() + index, item);
    item->FCollection = this;
    item->FID = FNextID++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end())
        return;
    FItems.erase(it);
    item->FCollection = nullptr;
    Changed();
}
