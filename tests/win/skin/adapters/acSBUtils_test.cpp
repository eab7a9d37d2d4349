#include "skin/adapters/acSBUtils.h"

#include "skin/adapters/ComboAdapters.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sVclUtils.h"
#include "vcl/StdCtrls.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ks::test;

// What the window's own procedure saw.
struct Seen {
    int SetText = 0;
    int UiState = 0;
    int Custom = 0;
    std::vector<std::pair<WPARAM, LPARAM>> Paints;
    LRESULT BgColorAnswer = 0;
    TacMainWnd* FreeOnCustom = nullptr;
};
Seen gSeen;
constexpr UINT WM_TEST_CUSTOM = WM_APP + 7;

LRESULT CALLBACK CountingProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETTEXT: ++gSeen.SetText; break;
    case WM_UPDATEUISTATE: ++gSeen.UiState; return 0;
    case WM_PAINT:
        gSeen.Paints.emplace_back(wParam, lParam);
        if (!wParam)
            ValidateRect(wnd, nullptr);
        return 0;
    case WM_TEST_CUSTOM:
        ++gSeen.Custom;
        if (TacMainWnd* a = std::exchange(gSeen.FreeOnCustom, nullptr))
            a->Free();
        return 42;
    default:
        if (msg == SM_SKINCMD && HIWORD(wParam) == SKC_GET_BG_COLOR)
            return gSeen.BgColorAnswer;
        if (msg == SM_SKINCMD && HIWORD(wParam) == SKC_IS_SKINNED)
            return 0;
        break;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

// A third party that subclasses after the adapter and chains to whatever it replaced.
WNDPROC gThirdPrevious = nullptr;
int gThirdCalls = 0;
LRESULT CALLBACK ThirdPartyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ++gThirdCalls;
    return CallWindowProcW(gThirdPrevious, wnd, msg, wParam, lParam);
}

std::vector<std::pair<HWND, bool>> gThemeCalls;
HRESULT WINAPI RecordTheme(HWND wnd, const wchar_t* app, const wchar_t*)
{
    gThemeCalls.emplace_back(wnd, app != nullptr);
    return S_OK;
}

const wchar_t* TestClass()
{
    static const wchar_t* name = RegisterTestClass(L"KsAdapterTestWindow", CountingProc);
    return name;
}

// A skin data that belongs to nothing but names a section of the loaded skin.
class AdapterBaseTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        gSeen = Seen{};
        gThirdCalls = 0;
        Wnd = CreateWindowExW(0, TestClass(), L"start", WS_CHILD | WS_VISIBLE, 10, 10, 80, 40, Form->Handle(), nullptr,
                              GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(Wnd, nullptr);
    }
    void TearDown() override
    {
        if (IsWindow(Wnd))
            DestroyWindow(Wnd);
        SkinnedFormFixture::TearDown();
    }
    LRESULT Command(WORD command, LPARAM value = 0)
    {
        return SendMessageW(Wnd, SM_SKINCMD, MAKEWPARAM(0, command), value);
    }
    WNDPROC Proc() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC)); }

    HWND Wnd = nullptr;
};

TEST_F(AdapterBaseTest, AForeignWindowIsTakenOverAndGivenBackExactly)
{
    TacMainWnd* a = TacMainWnd::Create<TacMainWnd>(Wnd, nullptr, nullptr, "EDIT", false);
    EXPECT_EQ(GetScrollHandler(Wnd), a);
    EXPECT_NE(Proc(), &CountingProc);
    EXPECT_EQ(a->PrevWndProc, &CountingProc);
    EXPECT_TRUE(a->OwnSkinData);
    EXPECT_EQ(a->SkinData->SkinSection(), "EDIT");
    EXPECT_EQ(a->WndText, L"start");
    EXPECT_TRUE(IsWindowUnicode(Wnd)) << "taken over without turning the window ANSI";

    SetWindowTextW(Wnd, L"\u041a\u043b\u044e\u0447");
    EXPECT_EQ(gSeen.SetText, 1) << "reaches the window once";
    EXPECT_EQ(a->WndText, L"\u041a\u043b\u044e\u0447");

    SendMessageW(Wnd, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_EQ(gSeen.UiState, 0);

    SendMessageW(Wnd, WM_PRINT, 0x1234, PRF_CLIENT);
    ASSERT_EQ(gSeen.Paints.size(), 1u);
    EXPECT_EQ(gSeen.Paints[0], std::make_pair(WPARAM{0x1234}, LPARAM{PRF_CLIENT}));

    a->Free();
    EXPECT_EQ(Proc(), &CountingProc);
    EXPECT_EQ(GetScrollHandler(Wnd), nullptr);
    SendMessageW(Wnd, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_EQ(gSeen.UiState, 1) << "the window is its own again";
}

TEST_F(AdapterBaseTest, SkinCommandsAreAnsweredOnlyWhileTheManagerIsActive)
{
    TsCommonData data(nullptr, false);
    data.SetSkinSection("EDIT");
    TacMainWnd* a = TacMainWnd::Create<TacMainWnd>(Wnd, &data, nullptr, "", false);
    EXPECT_FALSE(a->OwnSkinData);
    EXPECT_EQ(a->SkinManager(), Manager);
    ASSERT_TRUE(data.IsSkinActive());

    EXPECT_EQ(Command(SKC_IS_SKINNED), 1);
    EXPECT_EQ(Command(SKC_GET_APPLICATION), reinterpret_cast<LRESULT>(Application));

    // The window's own non-zero colour wins; on 0 the skin's answers.
    gSeen.BgColorAnswer = 0x123456;
    EXPECT_EQ(Command(SKC_GET_BG_COLOR), 0x123456);
    gSeen.BgColorAnswer = 0;
    EXPECT_EQ(Command(SKC_GET_BG_COLOR), static_cast<LRESULT>(data.QueryBackgroundColor(false, Wnd)));

    BackgroundInfo info;
    SendCommandWnd(Wnd, SKC_GET_BG_INFO, reinterpret_cast<LPARAM>(&info));
    EXPECT_NE(info.BackgroundKind, BgKindNone);

    Manager->SetActive(false);
    Pump();
    EXPECT_EQ(Command(SKC_IS_SKINNED), 0) << "the window's own answer";
    a->Free();
    EXPECT_EQ(data.SkinSection(), "EDIT") << "borrowed skin data outlives the adapter";
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class AdapterBaseLifetimeTest : public AdapterBaseTest {};

TEST_F(AdapterBaseLifetimeTest, AWindowDestroyedWhileAdaptedDetachesAndTheLaterFreeTouchesNothing)
{
    TacMainWnd* a = TacMainWnd::Create<TacMainWnd>(Wnd, nullptr, nullptr, "EDIT", false);
    DestroyWindow(Wnd);
    EXPECT_TRUE(a->Destroyed);
    EXPECT_EQ(a->PrevWndProc, nullptr);
    EXPECT_FALSE(a->Hooked());
    a->Free();
}

TEST_F(AdapterBaseTest, AThirdPartySubclassOnTopKeepsAWorkingChain)
{
    TacMainWnd* a = TacMainWnd::Create<TacMainWnd>(Wnd, nullptr, nullptr, "EDIT", false);
    const WNDPROC adapterProc = Proc();
    gThirdPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ThirdPartyProc)));
    EXPECT_EQ(gThirdPrevious, adapterProc);

    a->Free();
    EXPECT_EQ(Proc(), &ThirdPartyProc) << "someone else's procedure is never unhooked";
    EXPECT_EQ(GetScrollHandler(Wnd), nullptr);
    EXPECT_EQ(SendMessageW(Wnd, WM_TEST_CUSTOM, 0, 0), 42);
    EXPECT_EQ(gSeen.Custom, 1) << "passed through to the window's own procedure";
    SendMessageW(Wnd, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_EQ(gSeen.UiState, 1) << "no longer swallowed by the freed adapter";
    EXPECT_GT(gThirdCalls, 0);
    DestroyWindow(Wnd);
}

TEST_F(AdapterBaseLifetimeTest, AnAdapterFreedInsideItsOwnMessageGoesWhenTheMessageReturns)
{
    TacMainWnd* a = TacMainWnd::Create<TacMainWnd>(Wnd, nullptr, nullptr, "EDIT", false);
    gSeen.FreeOnCustom = a;
    EXPECT_EQ(SendMessageW(Wnd, WM_TEST_CUSTOM, 0, 0), 42);
    EXPECT_EQ(Proc(), &CountingProc);
    EXPECT_EQ(GetScrollHandler(Wnd), nullptr);
    EXPECT_EQ(SendMessageW(Wnd, WM_TEST_CUSTOM, 0, 0), 42);
    EXPECT_EQ(gSeen.Custom, 2);
}

TEST_F(AdapterBaseTest, AClassLibraryControlIsTakenOverThroughItsWindowProc)
{
    auto* edit = Create<TEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(10, 60, 100, 24);
    const TWndMethod own = edit->WindowProc();
    TsCommonData data(edit, false);
    data.OwnerControl = edit;
    data.SetSkinSection("EDIT");
    const WNDPROC windowProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit->Handle(), GWLP_WNDPROC));

    TacMainWnd* a = TacMainWnd::Create<TacMainWnd>(edit->Handle(), &data, nullptr, "", false);
    EXPECT_TRUE(a->OldWndProc == own);
    EXPECT_TRUE(edit->WindowProc() == a->AdapterMethod());
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit->Handle(), GWLP_WNDPROC)), windowProc)
        << "the window procedure stays the library's";
    EXPECT_EQ(GetScrollHandler(edit->Handle()), a);
    EXPECT_TRUE(edit->ControlStyle().Contains(csOpaque));
    EXPECT_EQ(edit->Perform(SM_SKINCMD, MAKEWPARAM(0, SKC_IS_SKINNED), 0), 1);

    a->Free();
    EXPECT_TRUE(edit->WindowProc() == own);
    EXPECT_EQ(GetScrollHandler(edit->Handle()), nullptr);
    edit->Free();
}

// A later replacer of a class-library control's WindowProc that chains to what it replaced.
struct LaterReplacer : TObject {
    TWndMethod Previous;
    int Calls = 0;
    void Proc(TMessage& m)
    {
        ++Calls;
        Previous(m);
    }
};

TEST_F(AdapterBaseTest, AControlWhoseWindowProcWasReplacedAfterTheAdapterKeepsItsChain)
{
    auto* edit = Create<TEdit>(Form);
    edit->SetParent(Form);
    TsCommonData data(edit, false);
    data.OwnerControl = edit;
    data.SetSkinSection("EDIT");
    TacMainWnd* a = TacMainWnd::Create<TacMainWnd>(edit->Handle(), &data, nullptr, "", false);
    LaterReplacer later;
    later.Previous = edit->WindowProc();
    edit->SetWindowProc(TWndMethod(&later, &LaterReplacer::Proc));

    a->Free();
    EXPECT_TRUE(edit->WindowProc() == TWndMethod(&later, &LaterReplacer::Proc)) << "the later replacer stays";
    edit->SetText(L"still works");
    EXPECT_EQ(edit->Text(), L"still works");
    EXPECT_GT(later.Calls, 0);
    edit->SetWindowProc(later.Previous);
    edit->Free();
}

TEST_F(AdapterBaseTest, EveryWindowButADialogLosesItsVisualStyleWhileAdapted)
{
    // The switch acts only with the library loaded; the seam stands in for its function.
    const HMODULE savedLibrary = UxThemeLibrary;
    if (!UxThemeLibrary)
        UxThemeLibrary = GetModuleHandleW(nullptr);
    std::vector<std::pair<HWND, bool>>& calls = gThemeCalls;
    calls.clear();
    ks::Sys().SetWindowThemePtr = &RecordTheme;
    TacMainWnd* a = TacMainWnd::Create<TacMainWnd>(Wnd, nullptr, nullptr, "EDIT", false);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].second) << "switched off";
    a->Free();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_FALSE(calls[1].second) << "given back";

    calls.clear();
    a = TacMainWnd::Create<TacMainWnd>(Wnd, nullptr, nullptr, "DIALOG", false);
    a->Free();
    ASSERT_EQ(calls.size(), 1u) << "a dialog keeps its style; only the give-back call remains";

    // A combo box's list taken over without repaint keeps its style too; with repaint it loses it.
    for (bool repaint : {false, true}) {
        calls.clear();
        a = TacComboListWnd::CreateEx(Wnd, nullptr, nullptr, "COMBOBOX", repaint, false);
        const size_t switchedOff = calls.size();
        a->Free();
        EXPECT_EQ(switchedOff, repaint ? 1u : 0u) << repaint;
    }
    UxThemeLibrary = savedLibrary;
}

TEST_F(AdapterBaseTest, KeyColouredFramePixelsShowWhatLiesBehindTheWindow)
{
    TacMainWnd* a = TacMainWnd::Create<TacMainWnd>(Wnd, nullptr, nullptr, "EDIT", false);
    TsCommonData* data = a->SkinData;
    ASSERT_GE(data->BorderIndex, 0) << "the section has a border image";
    GetWndPosition(Wnd, a->ParentWnd, a->WndRect, a->ParentRect, a->WndSize, a->WndPos);
    EXPECT_EQ(a->ParentWnd, Form->Handle());
    EXPECT_EQ(a->WndPos.X, 10);
    EXPECT_EQ(a->WndSize.cx, 80);
    // A cache of the key colour all over but one frame pixel and the middle.
    data->CacheBitmap->SetPixelFormat(pf24bit);
    data->CacheBitmap->SetSize(80, 40);
    TCanvas& c = data->CacheBitmap->Canvas();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            c.SetPixels(x, y, TransparentKeyColor);
    c.SetPixels(0, 1, 0x010203);
    DrawWndBorder(data, nullptr, a);
    const TColor behind = ColorToRGB(data->QueryBackgroundInfoWnd(Wnd).FillColor);
    EXPECT_EQ(c.Pixels(0, 0), behind);
    EXPECT_EQ(c.Pixels(79, 39), behind);
    EXPECT_EQ(c.Pixels(0, 1), 0x010203) << "the frame's own pixels stay";
    EXPECT_EQ(c.Pixels(40, 20), TransparentKeyColor) << "only the frame is touched";

    a->DlgMode = true;
    c.SetPixels(0, 0, TransparentKeyColor);
    DrawWndBorder(data, nullptr, a);
    EXPECT_EQ(c.Pixels(0, 0), TransparentKeyColor) << "dialog children keep no see-through frame";
    a->Free();
}

TEST_F(AdapterBaseTest, AControlIsFoundByItsWindowAmongTheOwnersComponents)
{
    auto* edit = Create<TEdit>(Form);
    edit->SetParent(Form);
    EXPECT_EQ(FindControlByHandle(edit->Handle(), Form), edit);
    EXPECT_EQ(FindControlByHandle(Wnd, Form), nullptr) << "a foreign window belongs to no component";
    EXPECT_EQ(FindControlByHandle(nullptr, Form), nullptr);
    edit->Free();
}

} // namespace
