#include "vcl/Classes.h"

#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Events;

// Records its life and what it is told; Partner is a reference kept in step by notifications.
class TProbe : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }

    TProbe(TComponent* owner, std::string label) : TComponent(owner), Label(std::move(label))
    {
        InOwnerListDuringConstructor = ComponentIndex() >= 0;
        Events.push_back("ctor " + Label);
    }
    ~TProbe() override { Events.push_back("dtor " + Label); }

    void AfterConstruction() override
    {
        Events.push_back("after " + Label + (Owner() && ComponentIndex() >= 0 ? " inserted" : ""));
        if (FailAfterConstruction)
            throw EComponentError("refused");
    }
    void BeforeDestruction() override
    {
        // The owner is still whole: its own override answers.
        Events.push_back("before " + Label + (Boss ? " owner=" + Boss->Describe() : ""));
        if (Victim) {
            TProbe* v = Victim;
            Victim = nullptr;
            v->Free();
        }
        TComponent::BeforeDestruction();
    }
    virtual std::string Describe() const { return Label; }

    std::string Label;
    TComponent* Partner = nullptr;
    TProbe* Boss = nullptr; // the owner it was made for, as a control keeps its parent
    TProbe* Victim = nullptr;
    bool InOwnerListDuringConstructor = false;
    static inline bool FailAfterConstruction = false;
    std::vector<std::string> Heard;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        auto* probe = dynamic_cast<TProbe*>(component);
        Heard.push_back(std::string(operation == opInsert ? "insert " : "remove ") + (probe ? probe->Label : "?"));
        if (operation == opRemove)
            Events.push_back(Label + " heard remove " + (probe ? probe->Label : "?"));
        if (operation == opRemove && component == Partner)
            Partner = nullptr;
        TComponent::Notification(component, operation);
    }
};

// Forgets to call the inherited Notification.
class TForgetful : public TProbe {
public:
    using TProbe::TProbe;

protected:
    void Notification(TComponent*, TOperation) override {}
};

const ks::ClassInfo TProbe::StaticClassInfo{"TProbe", &TComponent::StaticClassInfo, {}, {}};

TProbe* Make(TComponent* owner, const std::string& label)
{
    TProbe* p = Create<TProbe>(owner, label);
    p->SetName(label);
    p->Boss = dynamic_cast<TProbe*>(owner);
    return p;
}

TEST(TComponent, CreationInsertsTheWholeComponentThenRunsAfterConstruction)
{
    Events.clear();
    TProbe* owner = Make(nullptr, "Owner");
    TProbe* child = Make(owner, "Child");
    EXPECT_FALSE(child->InOwnerListDuringConstructor);
    EXPECT_EQ(Events, (std::vector<std::string>{"ctor Owner", "after Owner", "ctor Child", "after Child inserted"}));
    // The owner saw the finished component (dynamic_cast succeeded) when it was inserted.
    EXPECT_EQ(owner->Heard, std::vector<std::string>{"insert Child"});

    // A failed AfterConstruction frees the component and takes it out of the owner's list.
    TProbe::FailAfterConstruction = true;
    EXPECT_THROW(Create<TProbe>(owner, "Bad"), EComponentError);
    TProbe::FailAfterConstruction = false;
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(Events.back(), "dtor Bad");
    owner->Free();
}

TEST(TComponent, OwnedFamilyIsMarkedThenGoesLastCreatedFirstWhileTheOwnerIsWhole)
{
    Events.clear();
    TProbe* owner = Make(nullptr, "Owner");
    Make(owner, "A");
    TProbe* b = Make(owner, "B");
    TProbe* b1 = Make(b, "B1");
    Make(owner, "C");
    Events.clear();
    owner->Destroying();
    EXPECT_TRUE(b->ComponentState().Contains(csDestroying));
    EXPECT_TRUE(b1->ComponentState().Contains(csDestroying));
    owner->Free();
    const std::vector<std::string> expected{
        "before Owner", "before C owner=Owner", "dtor C", "before B owner=Owner", "before B1 owner=B",
        "dtor B1", "dtor B", "before A owner=Owner", "dtor A", "dtor Owner"};
    EXPECT_EQ(Events, expected);
}

TEST(TComponent, FreedAloneItLeavesItsOwnersList)
{
    TProbe* owner = Make(nullptr, "Owner");
    TProbe* a = Make(owner, "A");
    TProbe* b = Make(owner, "B");
    a->Free();
    ASSERT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), b);
    EXPECT_EQ(owner->FindComponent("A"), nullptr);
    TProbe* c = Make(owner, "C");
    FreeAndNil(c);
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(owner->ComponentCount(), 1);
    FreeAndNil(c);
    owner->Free(); // frees B only once
}

TEST(TComponent, AComponentMayFreeASiblingWhileTheOwnerGoes)
{
    TProbe* owner = Make(nullptr, "Owner");
    TProbe* label = Make(owner, "Label");
    TProbe* edit = Make(owner, "Edit");
    edit->Victim = label;
    Events.clear();
    owner->Free();
    EXPECT_EQ(std::count(Events.begin(), Events.end(), "dtor Label"), 1);
}

TEST(TComponent, FreeNotificationClearsReferencesAcrossOwners)
{
    TProbe* form1 = Make(nullptr, "Form1");
    TProbe* form2 = Make(nullptr, "Form2");
    TProbe* edit = Make(form1, "Edit");
    TProbe* menu = Make(form2, "Menu");
    edit->Partner = menu;
    menu->FreeNotification(edit);
    EXPECT_TRUE(menu->ComponentState().Contains(csFreeNotification));
    menu->Free();
    EXPECT_EQ(edit->Partner, nullptr);
    EXPECT_EQ(edit->Heard.back(), "remove Menu");

    // A removed link is not told.
    TProbe* menu3 = Make(form2, "Menu3");
    menu3->FreeNotification(edit);
    menu3->RemoveFreeNotification(edit);
    edit->Heard.clear();
    menu3->Free();
    EXPECT_TRUE(edit->Heard.empty());

    // The link goes both ways: the other side going first leaves nothing dangling.
    TProbe* menu2 = Make(form2, "Menu2");
    menu2->FreeNotification(edit);
    edit->Free();
    menu2->Free();
    form1->Free();
    form2->Free();
}

TEST(TComponent, SiblingsHearOfEachOtherThroughTheOwner)
{
    TProbe* owner = Make(nullptr, "Owner");
    TProbe* edit = Make(owner, "Edit");
    TProbe* menu = Make(owner, "Menu");
    edit->Partner = menu;
    menu->Free();
    EXPECT_EQ(edit->Partner, nullptr);

    // While the owner goes, a sibling that asked for free notification is announced too.
    TProbe* late = Make(owner, "Late");
    TProbe* menu2 = Make(owner, "Menu2");
    late->Partner = menu2;
    menu2->FreeNotification(late);
    Events.clear();
    owner->Free();
    auto heard = std::find(Events.begin(), Events.end(), "Late heard remove Menu2");
    auto gone = std::find(Events.begin(), Events.end(), "dtor Menu2");
    EXPECT_LT(heard, gone);
}

TEST(TComponent, ANotificationThatForgetsItsInheritedCallCannotHangFreeing)
{
    TForgetful* a = Create<TForgetful>(nullptr, "A");
    TProbe* b = Make(nullptr, "B");
    b->FreeNotification(a);
    b->Free(); // a never removes its link itself
    a->Free();
}

TEST(TComponent, NamesAreUniqueAmongSiblingsIgnoringCase)
{
    TProbe* owner = Make(nullptr, "Owner");
    TProbe* a = Make(owner, "Button1");
    TProbe* b = Create<TProbe>(owner, "b");
    try {
        b->SetName("BUTTON1");
        ADD_FAILURE();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named BUTTON1 already exists");
    }
    EXPECT_THROW(b->SetName("1st"), EComponentError);
    EXPECT_THROW(b->SetName("a.b"), EComponentError);
    EXPECT_EQ(b->Name(), "");
    Create<TProbe>(owner, "c"); // a second unnamed one
    a->SetName("BUTTON1");      // renaming itself by case is fine
    EXPECT_EQ(owner->FindComponent("button1"), a);
    EXPECT_EQ(owner->FindComponent(""), nullptr);
    owner->Free();
}

TEST(TComponent, InsertComponentMovesItFromItsOwner)
{
    TProbe* first = Make(nullptr, "First");
    TProbe* second = Make(nullptr, "Second");
    TProbe* c = Make(first, "C");
    second->InsertComponent(c);
    EXPECT_EQ(first->ComponentCount(), 0);
    EXPECT_EQ(c->Owner(), second);
    EXPECT_EQ(first->Heard.back(), "remove C");
    EXPECT_EQ(second->Heard.back(), "insert C");
    TProbe* clash = Make(first, "C");
    EXPECT_THROW(second->InsertComponent(clash), EComponentError);
    EXPECT_EQ(clash->Owner(), first);
    EXPECT_THROW(second->Components(1), EListError);
    second->Free();
    first->Free();
}

class TTarget : public TObject {
public:
    void Hit(TObject*) { ++Hits; }
    void Miss(TObject*) {}
    int Add(int a, int& b) { return a + b++; }
    int Hits = 0;
};

class TDerivedTarget : public TTarget {};

TEST(TDelegate, ComparesObjectAndMethodAndRoundTripsThroughTMethod)
{
    TTarget t1;
    TTarget t2;
    TNotifyEvent a(&t1, &TTarget::Hit);
    EXPECT_TRUE(a.Assigned());
    EXPECT_EQ(a, TNotifyEvent(&t1, &TTarget::Hit));
    EXPECT_NE(a, TNotifyEvent(&t1, &TTarget::Miss));
    EXPECT_NE(a, TNotifyEvent(&t2, &TTarget::Hit));
    EXPECT_NE(a, TNotifyEvent());
    EXPECT_FALSE(TNotifyEvent(nullptr).Assigned());
    TDerivedTarget d;
    EXPECT_EQ(TNotifyEvent(&d, &TTarget::Hit), TNotifyEvent(static_cast<TTarget*>(&d), &TTarget::Hit));

    // Through TMethod and back it calls the bound object; a method of another signature does not
    // become this delegate.
    TNotifyEvent copy = TNotifyEvent::FromMethod(a.Method());
    copy(nullptr);
    EXPECT_EQ(t1.Hits, 1);
    EXPECT_EQ(copy, a);
    TDelegate<int(int, int&)> add(&t1, &TTarget::Add);
    EXPECT_FALSE(TNotifyEvent::FromMethod(add.Method()).Assigned());
    int b = 2;
    EXPECT_EQ(add(3, b), 5);
    EXPECT_EQ(b, 3);
}

enum TTestBit { tbA, tbB, tbC };

TEST(Set, HoldsOneBitPerOrdinal)
{
    ks::Set<TTestBit> s{tbA, tbC};
    EXPECT_EQ(s.Bits(), 0x5u);
    EXPECT_TRUE(s.Contains(tbC));
    EXPECT_FALSE(s.Contains(tbB));
    s.Include(tbB).Exclude(tbA);
    EXPECT_EQ(s, (ks::Set<TTestBit>{tbB, tbC}));
    EXPECT_EQ((s - ks::Set<TTestBit>{tbB}).Bits(), 0x4u);
    EXPECT_TRUE((s & ks::Set<TTestBit>{tbA}).Empty());
}

TEST(TPersistent, AssignOfAnUnrelatedClassIsRefused)
{
    TProbe* a = Make(nullptr, "A");
    TProbe* b = Make(nullptr, "B");
    try {
        a->Assign(b);
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TProbe to a TProbe");
    }
    a->Free();
    b->Free();
}

} // namespace
