// The control adapter's walk when the provider's OnSkinItem frees what the walk stands on.
#include "skin/forms/acCtrlAdapter.h"

#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Buttons.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "vcl/SysUtils.h"
#include "win/support/AccessViolations.h"
#include "win/support/InternalSkin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

class ControlAdapterLifetimeTest : public ks::test::InternalSkinFixture {
protected:
    void SetUp() override
    {
        InternalSkinFixture::SetUp();
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(40, 40, 300, 200);
        Form->Show();
        Pump();
        Provider = Create<TsSkinProvider>(Form);
        Provider->PrepareForm();
        ASSERT_NE(Provider->Adapter, nullptr);
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        Pump();
        InternalSkinFixture::TearDown();
    }
    // A control owned by its parent, made while the handler waits; letThrough lets the handler
    // adapt it as it is made.
    template <class T>
    T* AddControl(TWinControl* parent, int top, bool letThrough = false)
    {
        auto* c = Create<T>(parent);
        if (letThrough)
            Items.letThrough.push_back(c);
        c->SetParent(parent);
        c->SetBounds(10, top, 80, 24);
        if (auto* windowed = dynamic_cast<TWinControl*>(c))
            windowed->HandleNeeded();
        return c;
    }
    static bool Adapted(TWinControl* c) { return GetPropW(c->Handle(), L"ACSBSC") != nullptr; }
    // The provider's handler. Until armed it refuses every control but the ones let through,
    // so that the controls wait unadapted (they are adapted as they are made otherwise).
    struct SkinItem {
        bool armed = false;
        std::vector<TComponent*> letThrough;
        std::function<void(TComponent*)> asked;
        void Handler(TComponent* item, bool& canBeAdded, std::string&)
        {
            if (armed)
                asked(item);
            else
                canBeAdded = std::find(letThrough.begin(), letThrough.end(), item) != letThrough.end();
        }
    };
    void Handle() { Provider->SetOnSkinItem(TAddItemEvent(&Items, &SkinItem::Handler)); }
    // The form's walk over its controls, from inside one of the form's messages.
    void AdaptFromTheForm()
    {
        SendMessageW(Form->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_ADAPT_CHILD), 0);
        Pump();
    }

    TForm* Form = nullptr;
    TsSkinProvider* Provider = nullptr;
    SkinItem Items;
};

TEST_F(ControlAdapterLifetimeTest, AHandlerThatEndsTheSkinningStopsTheWalk)
{
    Handle();
    auto* before = AddControl<TButton>(Form, 10, true);
    ASSERT_TRUE(Adapted(before));
    auto* asked = AddControl<TButton>(Form, 40);
    AddControl<TButton>(Form, 70);
    ASSERT_FALSE(Adapted(asked));
    const struct Case {
        const char* name;
        std::function<void()> act;
    } cases[] = {
        {"FreesTheProvider", [this] { FreeAndNil(Provider); }},
        {"SwitchesTheSkinOff", [this] { Manager->SetActive(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ks::test::AccessViolations faults;
        int calls = 0;
        Items.asked = [&](TComponent* item) {
            ++calls;
            if (item == asked)
                c.act();
        };
        Items.armed = true;
        AdaptFromTheForm();
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_EQ(calls, 1) << "the walk ended with the handler that ended the skinning";
        for (int i = 0; i < Form->ControlCount(); ++i)
            EXPECT_FALSE(Adapted(static_cast<TWinControl*>(Form->Controls(i)))) << i;
        // The next case starts as this one did.
        Items.armed = false;
        if (!Provider)
            Provider = Create<TsSkinProvider>(Form);
        Handle();
        Manager->SetActive(true);
        Provider->PrepareForm();
        AdaptAll(Provider->Adapter, nullptr);
        Pump();
        ASSERT_TRUE(Adapted(before));
        ASSERT_FALSE(Adapted(asked));
    }
}

TEST_F(ControlAdapterLifetimeTest, AHandlerThatFreesControlsLetsTheWalkGoOnWithTheRest)
{
    Handle();
    Manager->ThirdLists[tkSpeedButton].Add("TSpeedButton");
    auto* panel = AddControl<TPanel>(Form, 10);
    auto* inPanel = AddControl<TButton>(panel, 10);
    AddControl<TButton>(panel, 40);
    auto* alone = AddControl<TButton>(Form, 100);
    auto* last = AddControl<TButton>(Form, 130);
    TControl* flat = AddControl<TSpeedButton>(Form, 160);
    ASSERT_FALSE(Adapted(last));
    ks::test::AccessViolations faults;
    Items.asked = [&](TComponent* item) {
        if (item == inPanel)
            FreeAndNil(panel);
        else if (item == alone || item == flat)
            item->Free();
    };
    Items.armed = true;
    AdaptFromTheForm();
    EXPECT_EQ(faults.Count(), 0);
    EXPECT_EQ(Form->ControlCount(), 1);
    EXPECT_TRUE(Adapted(last));
    Provider->SetOnSkinItem(TAddItemEvent());
    AdaptAll(Provider->Adapter, nullptr);
    ASSERT_EQ(Provider->Adapter->Items.size(), 1u) << "what went with its controls is dropped";
    EXPECT_EQ(Provider->Adapter->Items[0]->Control, last);
    EXPECT_TRUE(Provider->Adapter->GraphItems.empty());
}

TEST_F(ControlAdapterLifetimeTest, AHandlerThatRaisesLeavesLaterWalksFree)
{
    Handle();
    auto* button = AddControl<TButton>(Form, 10);
    ASSERT_FALSE(Adapted(button));
    Items.asked = [](TComponent*) { throw Exception("refused"); };
    Items.armed = true;
    EXPECT_THROW(AdaptAll(Provider->Adapter, nullptr), Exception);
    EXPECT_FALSE(Adapted(button));
    Provider->SetOnSkinItem(TAddItemEvent());
    AdaptAll(Provider->Adapter, nullptr);
    EXPECT_TRUE(Adapted(button)) << "the walk that raised is over";
}

// The handler frees the control it is asked about, or the (listed, so adapted) panel holding
// it, while that control makes its window on the shown form: the making ends quietly, by the
// exception the application's handler ignores, and nothing freed is touched.
TEST_F(ControlAdapterLifetimeTest, AHandlerThatFreesTheControlBeingMadeStopsItsMaking)
{
    Handle();
    Manager->ThirdLists[tkPanel].Add("TPanel");
    for (bool inPanel : {false, true}) {
        SCOPED_TRACE(inPanel ? "the panel holding it" : "the control");
        Items.armed = false;
        TPanel* panel = inPanel ? AddControl<TPanel>(Form, 10, true) : nullptr;
        TWinControl* parent = panel ? static_cast<TWinControl*>(panel) : Form;
        const int controls = Form->ControlCount();
        auto* button = Create<TButton>(parent);
        int calls = 0;
        Items.asked = [&](TComponent* item) {
            if (item != button)
                return;
            ++calls;
            panel ? FreeAndNil(panel) : FreeAndNil(button);
        };
        Items.armed = true;
        EXPECT_THROW(button->SetParent(parent), EAbort);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(Form->ControlCount(), controls - (inPanel ? 1 : 0));
    }
}

} // namespace
