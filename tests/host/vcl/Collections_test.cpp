#include "vcl/Collections.h"

#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class TNamedItem : public TCollectionItem {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }

    std::string Text;
    void Touch() { Changed(false); }
    void Assign(const TPersistent* source) override
    {
        if (const auto* other = dynamic_cast<const TNamedItem*>(source)) {
            Text = other->Text;
            return;
        }
        TCollectionItem::Assign(source);
    }

protected:
    std::string GetDisplayName() const override { return Text.empty() ? TCollectionItem::GetDisplayName() : Text; }
};

class TCountingCollection : public TOwnedCollection {
public:
    using TOwnedCollection::TOwnedCollection;
    std::vector<TCollectionItem*> Updates;

protected:
    void Update(TCollectionItem* item) override { Updates.push_back(item); }
};

class THolder : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    explicit THolder(TComponent* owner)
        : TComponent(owner), FEntries(std::make_unique<TCountingCollection>(this, &NewCollectionItem<TNamedItem>))
    {
    }
    TCountingCollection* Entries() const { return FEntries.get(); }

private:
    std::unique_ptr<TCountingCollection> FEntries;
};

const ks::ClassInfo TNamedItem::StaticClassInfo{"TNamedItem", &TCollectionItem::StaticClassInfo, {}, {}};
constexpr ks::PropertyInfo HolderProps[] = {ks::Prop<&THolder::Entries>("Entries")};
const ks::ClassInfo THolder::StaticClassInfo{"THolder", &TComponent::StaticClassInfo, HolderProps, {}};

TNamedItem* AddNamed(TCollection& c, const char* text)
{
    auto* item = static_cast<TNamedItem*>(c.Add());
    item->Text = text;
    return item;
}

TEST(TCollection, ItemsKnowTheirIndexAndLeaveWhenFreedOrMoved)
{
    TCollection c(&NewCollectionItem<TNamedItem>);
    TNamedItem* a = AddNamed(c, "a");
    TNamedItem* b = AddNamed(c, "b");
    TNamedItem* x = static_cast<TNamedItem*>(c.Insert(0));
    EXPECT_EQ(x->Index(), 0);
    EXPECT_EQ(a->Index(), 1);
    EXPECT_EQ(b->Collection(), &c);
    b->SetIndex(0);
    EXPECT_EQ(c.Items(0), b);
    delete a;
    EXPECT_EQ(c.Count(), 2);
    c.Delete(0);
    EXPECT_EQ(c.Items(0), x);
    EXPECT_THROW(c.Items(1), EListError);
    EXPECT_THROW(x->SetIndex(3), EListError);

    TCollection other(&NewCollectionItem<TNamedItem>);
    x->SetCollection(&other);
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(other.Items(0), x);
    x->SetCollection(nullptr);
    EXPECT_EQ(other.Count(), 0);
    delete x;
}

TEST(TCollection, UpdatesAreReportedOnceOutsideBeginEndUpdate)
{
    THolder* holder = Create<THolder>(nullptr);
    TCountingCollection& c = *holder->Entries();
    TNamedItem* a = AddNamed(c, "a");
    a->Touch();
    EXPECT_EQ(c.Updates, (std::vector<TCollectionItem*>{nullptr, a}));
    c.Updates.clear();
    c.BeginUpdate();
    c.BeginUpdate();
    AddNamed(c, "b");
    a->Touch();
    c.EndUpdate();
    EXPECT_TRUE(c.Updates.empty());
    c.EndUpdate();
    EXPECT_EQ(c.Updates, std::vector<TCollectionItem*>{nullptr});
    c.Updates.clear();
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(c.Updates, std::vector<TCollectionItem*>{nullptr});
    holder->Free();
}

TEST(TCollection, NamePathsFollowTheOwnersProperty)
{
    THolder* holder = Create<THolder>(nullptr);
    holder->SetName("Holder1");
    AddNamed(*holder->Entries(), "");
    TNamedItem* second = AddNamed(*holder->Entries(), "second");
    EXPECT_EQ(holder->Entries()->GetNamePath(), "Holder1.Entries");
    EXPECT_EQ(second->GetNamePath(), "Holder1.Entries[1]");
    EXPECT_EQ(second->DisplayName(), "second");
    EXPECT_EQ(holder->Entries()->Items(0)->DisplayName(), "TNamedItem");
    TCollection loose(&NewCollectionItem<TNamedItem>);
    EXPECT_EQ(loose.GetNamePath(), "TCollection");
    holder->Free();
}

TEST(TCollection, AssignCopiesItemByItem)
{
    TCollection source(&NewCollectionItem<TNamedItem>);
    AddNamed(source, "x");
    AddNamed(source, "y");
    TCollection dest(&NewCollectionItem<TNamedItem>);
    AddNamed(dest, "old");
    dest.Assign(&source);
    ASSERT_EQ(dest.Count(), 2);
    EXPECT_EQ(static_cast<TNamedItem*>(dest.Items(1))->Text, "y");
    EXPECT_NE(dest.Items(0), source.Items(0));
    THolder* holder = Create<THolder>(nullptr);
    EXPECT_THROW(dest.Assign(holder), EConvertError);
    holder->Free();
}

TEST(TList, KeepsPointersInOrder)
{
    int a = 0, b = 0, c = 0;
    TList list;
    EXPECT_EQ(list.Add(&a), 0);
    list.Add(&c);
    list.Insert(1, &b);
    EXPECT_EQ(list.Items(1), &b);
    EXPECT_EQ(list.IndexOf(&c), 2);
    EXPECT_EQ(list.Remove(&a), 0);
    EXPECT_EQ(list.Remove(&a), -1);
    EXPECT_EQ(list.First(), &b);
    EXPECT_EQ(list.Last(), &c);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
    struct Bad {
        const char* name;
        int index;
    };
    for (const Bad& bad : {Bad{"Negative", -1}, Bad{"PastTheEnd", 1}}) {
        SCOPED_TRACE(bad.name);
        EXPECT_THROW(list.Items(bad.index), EListError);
        EXPECT_THROW(list.Delete(bad.index), EListError);
    }
    EXPECT_THROW(list.Insert(2, &a), EListError);
    list.Clear();
    EXPECT_THROW(list.First(), EListError);
}

} // namespace
