#include "skin/core/sStyleSimply.h"

#include "skin/adapters/acSBUtils.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/acDials.h"
#include "win/skin/core/SkinCommandRecorders.h"
#include "win/support/AccessViolations.h"
#include "win/support/VclFixture.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

namespace {

using namespace ks::test;
using Log = std::vector<std::string>;

// A form provider as the redraw lock sees it.
class TFakeProvider : public TComponent, public ks::LockableFormProvider {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TFakeProvider", &TComponent::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TComponent::TComponent;
    TsSkinManager* Manager = nullptr;
    bool InUpdate = false;
    int RegionUpdates = 0;

    TsSkinManager* ProviderSkinManager() const noexcept override { return Manager; }
    void SetInUpdate(bool value) noexcept override { InUpdate = value; }
    bool DrawNonClientArea() const noexcept override { return true; }
    HWND BorderWindow() const noexcept override { return nullptr; }
    void ShapeBorderWindow() override {}
    void ShowBorderWindow() override {}
    void UpdateRegion() override { ++RegionUpdates; }
};

// A window the creation hook took over; logs "caption:command".
LRESULT CALLBACK HookedProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != SM_SKINCMD)
        return DefWindowProcW(wnd, msg, wParam, lParam);
    char label[16] = {};
    GetWindowTextA(wnd, label, sizeof label);
    CommandLog().push_back(std::string(label) + ":" + std::to_string(HIWORD(wParam)));
    return 0;
}

class StyleSimplyTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        CommandLog().clear();
        ASSERT_FALSE(HookedWindows) << "a hook left installed";
        HookedWindows = std::make_unique<std::vector<TacProvider*>>();
    }
    void TearDown() override
    {
        for (TacProvider* p : std::vector<TacProvider*>(*HookedWindows))
            if (p)
                p->Free();
        HookedWindows.reset();
        for (HWND w : FWindows)
            DestroyWindow(w);
        while (!SkinnedForms().empty())
            RemoveSkinnedForm(SkinnedForms().front());
        for (TCustomForm* f : FForms)
            f->Free();
        PaintLock = false;
        VclFixture::TearDown();
    }

    TRecForm* Form(std::string label, TsSkinManager* skinnedBy = nullptr, bool skinned = false)
    {
        TRecForm* f = MakeForm(std::move(label), skinned || skinnedBy);
        FForms.push_back(f);
        if (skinnedBy || skinned) {
            auto* provider = Create<TFakeProvider>(f);
            provider->Manager = skinnedBy;
            f->R.Provider = provider;
            AddSkinnedForm(f);
        }
        return f;
    }
    void Drop(TCustomForm* f)
    {
        std::erase(FForms, f);
        f->Free();
    }
    TacProvider* Hooked(const char* label, bool adapted = true, bool visible = true)
    {
        RegisterTestClass(L"KsHooked", &HookedProc);
        const HWND wnd = CreateWindowExA(WS_EX_NOACTIVATE, "KsHooked", label, WS_POPUP, 0, 0, 9, 9, nullptr, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
        FWindows.push_back(wnd);
        if (adapted) // the adapter is never followed here
            SetPropW(wnd, AdapterProperty, reinterpret_cast<HANDLE>(1));
        if (visible)
            ShowWindow(wnd, SW_SHOWNOACTIVATE);
        auto* record = Create<TacProvider>(nullptr);
        record->CtrlHandle = wnd;
        return HookedWindows->emplace_back(record);
    }

    std::vector<TCustomForm*> FForms;
    std::vector<HWND> FWindows;
};

TEST(SkinnedForms, AFormIsListedOnceAndLeavesWhenRemovedOrFreed)
{
    TComponent* a = Create<TComponent>(nullptr);
    TComponent* b = Create<TComponent>(nullptr);
    using List = std::vector<TComponent*>;
    for (TComponent* f : {a, b, a})
        AddSkinnedForm(f);
    EXPECT_EQ(SkinnedForms(), (List{a, b}));
    RemoveSkinnedForm(a);
    RemoveSkinnedForm(a);
    EXPECT_EQ(SkinnedForms(), List{b});
    b->Free();
    EXPECT_TRUE(SkinnedForms().empty());
    a->Free();
}

TEST_F(StyleSimplyTest, FormsLastToFirstThenSkinnedFormsThenHookedWindows)
{
    TRecForm* f1 = Form("F1");
    MakeReceiver<TRecGraphic>(f1, f1, "G1");
    MakeReceiver<TRecPanel>(f1, f1, "P1", true)->HandleNeeded();
    Form("F2");
    TRecForm* f3 = Form("F3", nullptr, true);
    MakeReceiver<TRecGraphic>(f3, f3, "C3");
    Form("Going")->Destroying();
    Hooked("H");
    Hooked("Hidden", true, false);
    Hooked("Released", false);

    BroadcastToAllForms(SkinCommand(SKC_NEW_SKIN, 0));
    EXPECT_EQ(CommandLog(), (Log{"F2:1", "F1:1", "G1:1", "P1:1", "F3:1", "C3:1", "H:1"}));
}

// Objects freed under their own code: run under Wine's freed-memory checking.
class StyleSimplyLifetimeTest : public StyleSimplyTest {};

TEST_F(StyleSimplyLifetimeTest, ReceiversThatFreeFormsAndRecordsSkipNothingElse)
{
    TRecForm* f1 = Form("F1");
    TRecForm* f2 = Form("F2");
    TRecForm* f3 = Form("F3");
    TRecForm* f4 = Form("F4", nullptr, true);
    TRecForm* f5 = Form("F5", nullptr, true);
    TacProvider* gone = Hooked("Gone");
    Hooked("H");
    f3->R.OnCommand = [&](TMessage&) {
        Drop(f2);
        Drop(f1);
        Form("New");
    };
    f4->R.OnCommand = [&](TMessage&) {
        RemovePropW(gone->CtrlHandle, AdapterProperty); // its adapter goes with it
        gone->Free();
        Drop(f5);
    };

    BroadcastToAllForms(SkinCommand(SKC_REMOVE_SKIN, 0));
    EXPECT_EQ(CommandLog(), (Log{"F3:2", "F4:2", "H:2"}));
}

TEST_F(StyleSimplyTest, TheRedrawLockHoldsTheManagersFormsAndAlwaysEnds)
{
    TsSkinManager* manager = Create<TsSkinManager>(nullptr);
    ASSERT_TRUE(manager->IsDefault());
    TRecForm* own = Form("Own", manager);
    Form("Other", reinterpret_cast<TsSkinManager*>(0x1000))->Show();
    own->Show();
    auto& provider = *static_cast<TFakeProvider*>(own->R.Provider);

    BeginFormsUpdate(manager);
    EXPECT_TRUE(PaintLock);
    EXPECT_TRUE(provider.InUpdate);
    EndFormsUpdate(manager, true);
    EXPECT_FALSE(PaintLock);
    EXPECT_FALSE(provider.InUpdate);
    EXPECT_EQ(provider.RegionUpdates, 1);
    // The skin change's animation gives the form its redraw back first, then the lock does.
    EXPECT_EQ(CommandLog(), (Log{"Own:redraw0", "Own:redraw1", "Own:redraw1"}));

    // The application minimised in the middle of a change still gets its forms back painting;
    // minimised at the start, nothing is held at all.
    CommandLog().clear();
    const HWND app = Application->Handle();
    const bool appShown = IsWindowVisible(app);
    BeginFormsUpdate(manager);
    ShowWindow(app, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(app));
    EndFormsUpdate(manager, true);
    BeginFormsUpdate(manager);
    EXPECT_FALSE(PaintLock);
    EndFormsUpdate(manager, true);
    EXPECT_FALSE(provider.InUpdate);
    EXPECT_EQ(CommandLog(), (Log{"Own:redraw0", "Own:redraw1"}));
    ShowWindow(app, SW_RESTORE);
    if (!appShown)
        ShowWindow(app, SW_HIDE);

    // A scope left by an exception ends its lock; a form freed meanwhile is passed over.
    CommandLog().clear();
    try {
        ks::FormsUpdateScope lock(manager);
        EXPECT_TRUE(PaintLock);
        Drop(own);
        throw Exception("receiver failed");
    } catch (const Exception&) {
    }
    EXPECT_FALSE(PaintLock);
    EXPECT_EQ(CommandLog(), Log{"Own:redraw0"});
    manager->Free();
}

TEST_F(StyleSimplyLifetimeTest, AFormWhoseProviderWentDuringTheLockPaintsAgain)
{
    TsSkinManager* manager = Create<TsSkinManager>(nullptr);
    TRecForm* form = Form("Own", manager);
    form->R.Provider->Free();
    form->Show();
    const HWND wnd = form->Handle();
    ASSERT_TRUE(IsWindowVisible(wnd));
    for (bool repaint : {true, false}) {
        SCOPED_TRACE(repaint ? "repaint" : "no repaint");
        auto* provider = Create<TFakeProvider>(form);
        provider->Manager = manager;
        form->R.Provider = provider;
        BeginFormsUpdate(manager);
        EXPECT_FALSE(IsWindowVisible(wnd)) << "the lock turned the redraw off";
        form->R.Provider->Free();
        form->R.Provider = nullptr;
        CommandLog().clear();
        EndFormsUpdate(manager, repaint);
        EXPECT_TRUE(IsWindowVisible(wnd));
        EXPECT_EQ(CommandLog(), Log{"Own:redraw1"});
    }
    manager->Free();
}

// A window told of a skin change may free the manager while its forms are held: the lock's end
// then gives each form its redraw back without asking the freed manager anything.
TEST_F(StyleSimplyLifetimeTest, TheLockOfAManagerFreedMeanwhileEndsForEveryForm)
{
    ks::test::AccessViolations faults;
    TsSkinManager* manager = Create<TsSkinManager>(nullptr);
    std::vector<TRecForm*> forms{Form("A", manager), Form("B", manager)};
    for (TRecForm* form : forms)
        form->Show();
    BeginFormsUpdate(manager);
    ASSERT_TRUE(PaintLock);
    manager->Free();
    CommandLog().clear();
    EndFormsUpdate(manager, true);
    EXPECT_EQ(faults.Count(), 0);
    EXPECT_FALSE(PaintLock);
    for (TRecForm* form : forms) {
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        EXPECT_FALSE(static_cast<TFakeProvider*>(form->R.Provider)->InUpdate);
    }
    EXPECT_EQ(CommandLog(), (Log{"A:redraw1", "B:redraw1"}));
}

} // namespace
