// An MDI main form with a provider, a "File / Window" menu and children with providers of their
// own, driven by the messages a user's mouse and keyboard send and by skin changes: what the
// client window, the children and the main form's menu line show and hear.
#include "skin/adapters/MDIClientAdapter.h"
#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/controls/sButton.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/acGlow.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Bitmap.h"
#include "vcl/Menus.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/KeyState.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using ks::test::SkinnedMDIFixture;

// The skin commands each window was sent, recorded by a hook on this thread.
std::vector<std::pair<HWND, WORD>> gCommands;

LRESULT CALLBACK RecordCommand(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == SM_SKINCMD)
        gCommands.emplace_back(m->hwnd, HIWORD(m->wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class MDIForms : public SkinnedMDIFixture {
protected:
    void SetUp() override
    {
        SkinnedMDIFixture::SetUp();
        InitializeSkinProviderUnit();
        GiveMainFileWindowMenu();
        Pump();
    }
    void TearDown() override
    {
        if (Hook)
            UnhookWindowsHookEx(Hook);
        gCommands.clear();
        for (auto it = Children.rbegin(); it != Children.rend(); ++it)
            (*it)->Free();
        SkinnedMDIFixture::TearDown();
    }
    // A shown child with a provider of its own, cascaded by its number.
    TForm* AddChild(const wchar_t* caption)
    {
        TForm* child = MakeChild(caption, 30 * static_cast<int>(Children.size()));
        Create<TsSkinProvider>(child);
        Children.push_back(child);
        Pump();
        return child;
    }
    // Main's provider made again, as a program makes it while no skin is active.
    void RemakeMainProviderUnskinned()
    {
        Provider->Free();
        Manager->SetActive(false);
        Pump();
        Provider = Create<TsSkinProvider>(Main);
        Pump();
    }
    static TsSkinProvider* ProviderOf(TForm* form)
    {
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* p = dynamic_cast<TsSkinProvider*>(form->Components(i)))
                return p;
        return nullptr;
    }
    void Maximize(TForm* child)
    {
        SendMessageW(child->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        Pump();
    }
    void StartRecording()
    {
        gCommands.clear();
        Hook = SetWindowsHookExW(WH_CALLWNDPROC, &RecordCommand, nullptr, GetCurrentThreadId());
    }
    static std::set<WORD> CommandsTo(HWND wnd)
    {
        std::set<WORD> seen;
        for (const auto& [target, command] : gCommands)
            if (target == wnd)
                seen.insert(command);
        return seen;
    }
    void RepaintAll()
    {
        RedrawWindow(Main->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
    }

    // The main form's frame, marked in its cache and changed, painted again: whether the mark
    // went.
    bool RepaintsMarkedFrame()
    {
        MarkCache(*Provider->SkinData(), 3, 3);
        Provider->FormChanged = true;
        Provider->SkinData()->BackgroundChanged = true;
        Provider->PaintNonClient();
        GdiFlush();
        return GetPixel(Provider->SkinData()->CacheBitmap->Canvas().Handle(), 3, 3) != CacheMarker;
    }

    std::vector<TForm*> Children;
    HHOOK Hook = nullptr;
};

TEST_F(MDIForms, EverySkinCommandReachesTheClientAndEachChild)
{
    TForm* one = AddChild(L"One");
    TForm* two = AddChild(L"Two");
    StartRecording();
    Manager->SetActive(false);
    Pump();
    Manager->SetActive(true);
    Pump();
    Manager->SetHueOffset(40);
    Pump();
    for (HWND wnd : {Main->ClientHandle(), one->Handle(), two->Handle()}) {
        const std::set<WORD> seen = CommandsTo(wnd);
        EXPECT_TRUE(seen.count(SKC_REMOVE_SKIN)) << "remove skin, window " << wnd;
        EXPECT_TRUE(seen.count(SKC_NEW_SKIN)) << "new skin, window " << wnd;
        EXPECT_TRUE(seen.count(SKC_REFRESH)) << "refresh, window " << wnd;
    }
}

TEST_F(MDIForms, ASkinSwitchedOnAfterTheFormsShowAdaptsTheClientAndKeepsTheCloseButtons)
{
    RemakeMainProviderUnskinned();
    TForm* one = AddChild(L"One");
    TForm* two = AddChild(L"Two");
    auto* plainProvider = Create<TsSkinProvider>(Form);
    Pump();
    EXPECT_EQ(GetScrollHandler(Main->ClientHandle()), nullptr);

    Manager->SetActive(true);
    Pump();
    RepaintAll();
    ASSERT_NE(Provider->MDIForm, nullptr) << "the main form gets its MDI support with the skin";
    EXPECT_NE(Provider->MDIForm->MDIWnd, nullptr);
    EXPECT_EQ(GetScrollHandler(Main->ClientHandle()), Provider->MDIForm->MDIWnd);
    for (TsSkinProvider* p : {Provider, ProviderOf(one), ProviderOf(two), plainProvider}) {
        ASSERT_NE(p, nullptr);
        SCOPED_TRACE(p->Form->ClassName());
        ASSERT_NE(p->SystemMenu, nullptr);
        EXPECT_TRUE(p->SystemMenu->VisibleClose()) << "the close button stays";
        EXPECT_GT(p->ButtonClose.Rect.Width(), 0);
    }
}

int WINAPI TallCaptions(int index)
{
    return index == SM_CYCAPTION ? 40 : GetSystemMetrics(index);
}

// The system's settings change reaches top-level windows only: a child that never hears it
// follows the new caption height all the same.
TEST_F(MDIForms, AChildFollowsTheSystemsCaptionHeightThatOnlyTheMainFormHears)
{
    TsSkinProvider* child = ProviderOf(AddChild(L"One"));
    ASSERT_NE(child, nullptr);
    ks::Sys().GetSystemMetrics = &TallCaptions;
    ASSERT_NE(child->CaptionHeight(false), 40) << "the height read before the change";
    SendMessageW(Main->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    EXPECT_EQ(child->CaptionHeight(false), 40);
}

// The main form's provider freed and made again takes the shown client and frames it with the
// skin's edge at once, as a repaint of the client's frame would, not with the system's sunken one.
TEST_F(MDIForms, AMainProviderMadeAgainFramesTheClientWithTheSkin)
{
    const HWND client = Main->ClientHandle();
    ASSERT_TRUE(GetWindowLongPtrW(client, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    Provider->Free();
    Pump();
    Provider = Create<TsSkinProvider>(Main);
    Pump();
    RECT r{};
    GetWindowRect(client, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const POINT edge[] = {{0, 0}, {1, 1}, {w - 1, h - 1}, {w - 2, h - 2}};
    std::vector<TColor> shown;
    for (const POINT p : edge)
        shown.push_back(ks::test::ScreenPixel(client, p.x, p.y));
    // For a person to look at: the main form with its client after the provider was made again.
    ks::test::WriteSheetPng(*ks::test::ScreenPicture(Main->Handle()),
                            std::string("Z:") + KS_BUILD_DIR + "/mdi-client-edge-provider-made-again.png");
    RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    Pump();
    for (size_t i = 0; i < std::size(edge); ++i)
        EXPECT_EQ(shown[i], ks::test::ScreenPixel(client, edge[i].x, edge[i].y))
            << "edge pixel " << edge[i].x << "," << edge[i].y;
}

TEST_F(MDIForms, ChildrenPaintTheirClientWhetherActiveOrNot)
{
    TForm* one = AddChild(L"One");
    TForm* two = AddChild(L"Two");
    ASSERT_EQ(Main->ActiveMDIChild(), two);
    const TColor expected = ColorToRGB(ProviderOf(one)->FormBackColor());
    // The inactive child's client is painted over with a colour the skin never shows, then
    // uncovered as a moved child would uncover it.
    HDC dc = GetDC(one->Handle());
    RECT r{0, 0, 60, 60};
    HBRUSH red = CreateSolidBrush(0x0000FF);
    FillRect(dc, &r, red);
    DeleteObject(red);
    ReleaseDC(one->Handle(), dc);
    InvalidateRect(one->Handle(), &r, TRUE);
    UpdateWindow(one->Handle());
    Pump();
    POINT at{20, 20};
    ClientToScreen(one->Handle(), &at);
    HDC screen = GetDC(nullptr);
    const TColor shown = static_cast<TColor>(GetPixel(screen, at.x, at.y));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(shown, expected);
}

TEST_F(MDIForms, AMaximisedChildsIconStartsTheMenuLineAndTheItemsFollowIt)
{
    AddChild(L"One");
    TForm* two = AddChild(L"Two");
    Maximize(two);
    ASSERT_TRUE(IsZoomed(two->Handle()));
    HMENU bar = GetMenu(Main->Handle());
    ASSERT_EQ(GetMenuItemCount(bar), 6) << "the platform's entries for the child's icon and buttons are there";
    Provider->InvalidateNonClient();
    Pump();
    Provider->FormChanged = true;
    Provider->SkinData()->BackgroundChanged = true;
    Provider->PaintNonClient();
    // Two lines only: the items are not squeezed onto the icon's entry.
    EXPECT_EQ(Provider->MenuLineCount(), 1);
    TBitmap* cache = Provider->SkinData()->CacheBitmap.get();
    ASSERT_NE(cache, nullptr);
    RECT window{};
    GetWindowRect(Main->Handle(), &window);
    // Every item's picture lies in the rectangle the platform gives its entry (after the icon's):
    // some pixel of the skin's menu font colour inside each.
    const auto inkIn = [&](const RECT& r) {
        int ink = 0;
        for (int y = r.top - window.top; y < r.bottom - window.top; ++y)
            for (int x = r.left - window.left; x < r.right - window.left; ++x) {
                const COLORREF c = GetPixel(cache->Canvas().Handle(), x, y);
                ink += c == ks::test::SkinGreen || c == ks::test::SkinBrightGreen ? 1 : 0;
            }
        return ink;
    };
    for (UINT position : {1u, 2u}) {
        RECT r{};
        ASSERT_TRUE(GetMenuItemRect(Main->Handle(), bar, position, &r));
        EXPECT_GT(inkIn(r), 0) << "item at " << position;
    }
    RECT icon{};
    ASSERT_TRUE(GetMenuItemRect(Main->Handle(), bar, 0, &icon));
    EXPECT_EQ(inkIn(icon), 0) << "no item text in the icon's slot";
}

TEST_F(MDIForms, RemovingTheSkinWithAMaximisedChildKeepsThePlatformsMenuEntries)
{
    AddChild(L"One");
    TForm* two = AddChild(L"Two");
    Maximize(two);
    HMENU bar = GetMenu(Main->Handle());
    const int entries = GetMenuItemCount(bar);
    ASSERT_EQ(entries, 6) << "File, Window, and the child's icon and three buttons";
    Manager->SetActive(false);
    Pump();
    EXPECT_EQ(GetMenuItemCount(GetMenu(Main->Handle())), entries);
    EXPECT_EQ(Provider->MDIForm, nullptr) << "the client goes back to the platform";
    EXPECT_EQ(GetScrollHandler(Main->ClientHandle()), nullptr);
    EXPECT_EQ(MDISkinProvider, Provider) << "the main form is still the children's MDI provider";

    Manager->SetActive(true);
    Pump();
    RepaintAll();
    ASSERT_TRUE(IsZoomed(two->Handle()));
    EXPECT_GT(Provider->MDIClose.Rect.Width(), 0) << "the maximised child's buttons are back";
    EXPECT_NE(GetScrollHandler(Main->ClientHandle()), nullptr);
}

} // namespace

namespace {

class MDIChildCommands : public MDIForms {
protected:
    // What the screen shows of the child's title and client against what its skinned image
    // holds there.
    void ExpectPaintedAsSkinned(TForm* child, const char* what)
    {
        SCOPED_TRACE(what);
        TsSkinProvider* p = ProviderOf(child);
        ASSERT_NE(p, nullptr);
        TBitmap* cache = p->SkinData()->CacheBitmap.get();
        ASSERT_TRUE(cache && !cache->Empty()) << "the child was painted";
        RECT w{};
        GetWindowRect(child->Handle(), &w);
        const int x = (w.right - w.left) / 2;
        const int titleY = p->CaptionHeight(true) / 2 + 2;
        EXPECT_EQ(ks::test::ScreenPixel(child->Handle(), x, titleY),
                  static_cast<TColor>(GetPixel(cache->Canvas().Handle(), x, titleY)))
            << "title";
        const int clientY = p->ClientOffsetY() + 20;
        EXPECT_EQ(ks::test::ScreenPixel(child->Handle(), p->ClientOffsetX() + 20, clientY), ColorToRGB(p->FormBackColor()))
            << "client";
    }
};

TEST_F(MDIChildCommands, TheMaximisedChildsMenuLineButtonsRestoreMinimiseAndClose)
{
    TForm* one = AddChild(L"One");
    TForm* two = AddChild(L"Two");
    Maximize(two);
    RepaintAll();
    const auto click = [&](const TitleButtonRec& rec) {
        RECT w{};
        GetWindowRect(Main->Handle(), &w);
        const TRect m = Provider->ExtBorderMargins();
        const LPARAM at = MAKELPARAM(w.left + (rec.Rect.Left + rec.Rect.Right) / 2 - m.Left,
                                     w.top + (rec.Rect.Top + rec.Rect.Bottom) / 2 - m.Top);
        const WPARAM hit = static_cast<WPARAM>(SendMessageW(Main->Handle(), WM_NCHITTEST, 0, at));
        EXPECT_EQ(static_cast<int>(hit), rec.HitCode);
        SendMessageW(Main->Handle(), WM_NCLBUTTONDOWN, hit, at);
        SendMessageW(Main->Handle(), WM_NCLBUTTONUP, hit, at);
        Pump();
    };
    ASSERT_GT(Provider->MDIMax.Rect.Width(), 0);
    click(Provider->MDIMax);
    EXPECT_FALSE(IsZoomed(two->Handle())) << "restored";
    ExpectPaintedAsSkinned(one, "the child uncovered by the restore");
    ExpectPaintedAsSkinned(two, "the restored child");
    Maximize(two);
    RepaintAll();
    click(Provider->MDIMin);
    EXPECT_TRUE(IsIconic(two->Handle())) << "minimised";
    SendMessageW(two->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Maximize(two);
    RepaintAll();
    click(Provider->MDIClose);
    Pump();
    EXPECT_TRUE(IsIconic(two->Handle())) << "closed: a child's default close action minimises it";
    RepaintAll();
    EXPECT_EQ(Provider->MDIClose.Rect.Width(), 0) << "no stale buttons once the maximised child is gone";

    // The restore button is the child's: the main form, maximised and so unable to grow, still
    // lets it be pressed.
    SendMessageW(two->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    ShowWindow(Main->Handle(), SW_MAXIMIZE);
    Maximize(two);
    RepaintAll();
    ASSERT_TRUE(IsZoomed(Main->Handle()));
    ASSERT_GT(Provider->MDIMax.Rect.Width(), 0);
    click(Provider->MDIMax);
    EXPECT_FALSE(IsZoomed(two->Handle())) << "restored under the maximised main form";
}

// While the menu loop runs, the small form laid over the end of the menu line lies over the
// maximised child's buttons, at the line's right end or the mirrored form's left end, and shows
// the frame's own picture of that place.
TEST_F(MDIChildCommands, TheMenuLoopsCoverLiesOverTheChildsButtonsShowingTheFrame)
{
    TForm* two = AddChild(L"Two");
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "RightToLeft" : "LeftToRight");
        const HWND wnd = Main->Handle();
        if (mirrored) {
            SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
            SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        }
        Maximize(two);
        RepaintAll();
        ASSERT_GT(Provider->MDIMax.Rect.Width(), 0);
        SendMessageW(wnd, WM_ENTERMENULOOP, 0, 0);
        Pump();
        TForm* cover = nullptr;
        for (int i = 0; i < Provider->ComponentCount() && !cover; ++i)
            cover = dynamic_cast<TForm*>(Provider->Components(i));
        ASSERT_NE(cover, nullptr);
        RECT w{}, c{};
        GetWindowRect(wnd, &w);
        GetWindowRect(cover->Handle(), &c);
        // The buttons' rectangles count from the window's left edge, whichever way they run.
        const TRect& first = Provider->MDIMin.Rect;
        const TRect& last = Provider->MDIClose.Rect;
        const TRect over{std::min(first.Left, last.Left), first.Top, std::max(first.Right, last.Right), first.Bottom};
        EXPECT_LE(c.left - w.left, over.Left);
        EXPECT_GE(c.right - w.left, over.Right);
        const int y = (over.Top + over.Bottom) / 2;
        HDC screen = GetDC(nullptr);
        HDC cache = Provider->SkinData()->CacheBitmap->Canvas().Handle();
        int differing = 0;
        for (int x = c.left; x < c.right; ++x)
            differing += GetPixel(screen, x, w.top + y) != GetPixel(cache, x - w.left, y);
        ReleaseDC(nullptr, screen);
        EXPECT_EQ(differing, 0) << "pixels of the cover that are not the frame's";
        SendMessageW(wnd, WM_EXITMENULOOP, 0, 0);
        SendMessageW(two->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
        Pump();
    }
}

} // namespace

namespace {

// The messages each window was sent, recorded by a hook on this thread.
std::vector<std::pair<HWND, UINT>> gSent;

LRESULT CALLBACK RecordSent(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION)
        gSent.emplace_back(m->hwnd, m->message);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// What a child's provider and the main form's provider tell each other.
class MDIProviderBranches : public MDIForms {
protected:
    void TearDown() override
    {
        if (SentHook)
            UnhookWindowsHookEx(SentHook);
        gSent.clear();
        MDIForms::TearDown();
    }
    void RecordSentMessages()
    {
        gSent.clear();
        SentHook = SetWindowsHookExW(WH_CALLWNDPROC, &RecordSent, nullptr, GetCurrentThreadId());
    }
    static bool Sent(HWND wnd, UINT msg)
    {
        for (const auto& [target, m] : gSent)
            if (target == wnd && m == msg)
                return true;
        return false;
    }
    // The main form's frame counts as painted and its menu line as counted.
    void SettleMainFrame()
    {
        Pump();
        Provider->SkinData()->BackgroundChanged = false;
        Provider->MenuLineCountCache = 5;
    }
    bool MainFrameChanged() const { return Provider->SkinData()->BackgroundChanged && Provider->MenuLineCountCache == -1; }

    HHOOK SentHook = nullptr;
};

TEST_F(MDIProviderBranches, AChildTellsTheMainFormWhenItsMenuOrSetUpChanges)
{
    TForm* one = AddChild(L"One");
    {
        SCOPED_TRACE("set-up of a child");
        SettleMainFrame();
        ProviderOf(one)->SetUpForm();
        EXPECT_TRUE(MainFrameChanged());
    }
    {
        SCOPED_TRACE("a child with a menu loses its provider");
        auto* menu = Create<TMainMenu>(one);
        auto* item = Create<TMenuItem>(menu);
        item->SetCaption(L"Edit");
        menu->Items()->Add(item);
        one->SetMenu(menu);
        SettleMainFrame();
        RecordSentMessages();
        ProviderOf(one)->Free();
        EXPECT_TRUE(Sent(Main->Handle(), WM_NCPAINT));
    }
}

TEST_F(MDIProviderBranches, AnUnskinnedChildsWindowGoingRepaintsTheMainFormAndTheEmptyClient)
{
    TForm* one = AddChild(L"One");
    // The child's provider asks for a section the skin lacks, while the main form is skinned.
    ProviderOf(one)->SkinData()->SetSkinSection("NOSUCHSECTION");
    ASSERT_FALSE(ProviderOf(one)->SkinData()->IsSkinActive());
    SettleMainFrame();
    RecordSentMessages();
    DestroyWindow(one->Handle());
    EXPECT_TRUE(Sent(Main->Handle(), WM_NCPAINT));
    EXPECT_TRUE(Sent(Main->ClientHandle(), WM_PAINT) || Sent(Main->ClientHandle(), WM_ERASEBKGND) ||
                Sent(Main->ClientHandle(), WM_NCPAINT))
        << "no child is left active: the client is repainted now";
    UnhookWindowsHookEx(std::exchange(SentHook, nullptr));
    Children.clear();
    one->Free();
}

TEST_F(MDIProviderBranches, ARefreshUnderAMaximisedChildRepaintsTheFrameAndTheChild)
{
    AddChild(L"One");
    TForm* two = AddChild(L"Two");
    Maximize(two);
    RecordSentMessages();
    RECT update{};
    ValidateRect(two->Handle(), nullptr);
    SendMessageW(Main->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_REFRESH), reinterpret_cast<LPARAM>(Manager));
    EXPECT_TRUE(Sent(Main->Handle(), WM_NCPAINT));
    EXPECT_TRUE(GetUpdateRect(two->Handle(), &update, FALSE)) << "the maximised child is invalidated whole";
    EXPECT_EQ(update.right - update.left, Main->ActiveMDIChild()->ClientWidth());
}

TEST_F(MDIProviderBranches, AChildMakesNoCoverWhileTheMainFormHoldsItsRedraw)
{
    TForm* one = AddChild(L"One");
    TsSkinProvider* child = ProviderOf(one);
    Provider->RedrawLockCount = 1;
    child->CreateCoverForm(false);
    EXPECT_EQ(child->CoverForm, nullptr);
    Provider->RedrawLockCount = 0;
    child->CreateCoverForm(false);
    EXPECT_NE(child->CoverForm, nullptr);
    child->FreeCoverForm();
}

TEST_F(MDIProviderBranches, TheClientPrintsItsBarsIntoTheGivenDCUnderThePaintLockToo)
{
    AddChild(L"One");
    ASSERT_NE(Provider->MDIForm, nullptr);
    TacMDIWnd* client = Provider->MDIForm->MDIWnd;
    ASSERT_NE(client, nullptr);
    HWND wnd = Main->ClientHandle();
    for (int bar : {SB_HORZ, SB_VERT}) {
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 600, 200, 0, 0};
        SetScrollInfo(wnd, bar, &si, FALSE);
    }
    client->HBar->ScrollVisible = true;
    client->VBar->ScrollVisible = true;
    RECT r{};
    GetWindowRect(wnd, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    for (bool locked : {false, true}) {
        SCOPED_TRACE(locked ? "paint lock" : "no lock");
        auto picture = NewBitmap24(w, h);
        HBRUSH red = CreateSolidBrush(0x0000FF);
        RECT all{0, 0, w, h};
        FillRect(picture->Canvas().Handle(), &all, red);
        DeleteObject(red);
        PaintLock = locked;
        SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(picture->Canvas().Handle()), PRF_CLIENT | PRF_NONCLIENT);
        PaintLock = false;
        GdiFlush();
        // The bottom bar's middle and the right bar's middle, inside the client's 2-pixel edge.
        EXPECT_NE(GetPixel(picture->Canvas().Handle(), w / 2, h - 2 - 3), 0x0000FFu) << "the horizontal bar";
        EXPECT_NE(GetPixel(picture->Canvas().Handle(), w - 2 - 3, h / 2), 0x0000FFu) << "the vertical bar";
    }
}

} // namespace

namespace {

TEST_F(MDIProviderBranches, ChildrenUnderAMaximisedChildPaintNoFrame)
{
    TForm* one = AddChild(L"One");
    TForm* two = AddChild(L"Two");
    TsSkinProvider* covered = ProviderOf(one);
    Maximize(two);
    covered->SkinData()->BackgroundChanged = true;
    SendMessageW(one->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_TRUE(covered->SkinData()->BackgroundChanged) << "not painted while covered";
    SendMessageW(two->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    covered->SkinData()->BackgroundChanged = true;
    SendMessageW(one->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_FALSE(covered->SkinData()->BackgroundChanged) << "painted once uncovered";
}

} // namespace

namespace {

TEST_F(MDIForms, TheActiveChildsMergedItemsArePaintedOnTheMenuLine)
{
    TForm* child = MakeChild(L"With a menu");
    child->SetMenu(MakeMenu(child, {L"Edit"}, 1));
    Create<TsSkinProvider>(child);
    Children.push_back(child);
    Pump();
    ASSERT_EQ(Main->Menu()->BarItems().size(), 3u);
    Provider->FormChanged = true;
    Provider->SkinData()->BackgroundChanged = true;
    Provider->MenuLineCountCache = -1;
    Provider->PaintNonClient();
    TBitmap* cache = Provider->SkinData()->CacheBitmap.get();
    ASSERT_NE(cache, nullptr);
    RECT window{};
    GetWindowRect(Main->Handle(), &window);
    RECT r{};
    ASSERT_TRUE(GetMenuItemRect(Main->Handle(), GetMenu(Main->Handle()), 1, &r));
    int ink = 0;
    for (int y = r.top - window.top; y < r.bottom - window.top; ++y)
        for (int x = r.left - window.left; x < r.right - window.left; ++x)
            ink += GetPixel(cache->Canvas().Handle(), x, y) == static_cast<COLORREF>(ks::test::SkinGreen) ? 1 : 0;
    EXPECT_GT(ink, 0) << "the child's Edit is drawn in its place on the line";
}

} // namespace

namespace {

TEST_F(MDIChildCommands, ChildrenAreMinimisedByTheirSkinnedButtonAndSwitchedAndClosedByKeyboard)
{
    TForm* one = AddChild(L"One");
    TForm* two = AddChild(L"Two");
    RepaintAll();
    TsSkinProvider* p = ProviderOf(two);
    ASSERT_GT(p->ButtonMin.Rect.Width(), 0);
    const TPoint origin = p->FormOrigin();
    const LPARAM at = MAKELPARAM(origin.X + (p->ButtonMin.Rect.Left + p->ButtonMin.Rect.Right) / 2,
                                 origin.Y + (p->ButtonMin.Rect.Top + p->ButtonMin.Rect.Bottom) / 2);
    const WPARAM hit = static_cast<WPARAM>(SendMessageW(two->Handle(), WM_NCHITTEST, 0, at));
    ASSERT_EQ(static_cast<int>(hit), HTMINBUTTON);
    SendMessageW(two->Handle(), WM_NCLBUTTONDOWN, hit, at);
    SendMessageW(two->Handle(), WM_NCLBUTTONUP, hit, at);
    Pump();
    EXPECT_TRUE(IsIconic(two->Handle())) << "minimised by its skinned button";
    SendMessageW(two->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(IsIconic(two->Handle()));
    ExpectPaintedAsSkinned(two, "restored from minimised");

    SendMessageW(Main->ClientHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(two->Handle()), 0);
    Pump();
    const auto press = [&](WORD key) { ks::test::PressWithControl(Main->ActiveMDIChild()->Handle(), key); };
    press(VK_F6);
    EXPECT_EQ(Main->ActiveMDIChild(), one) << "Ctrl+F6 goes to the next skinned child";
    press(VK_F4);
    EXPECT_TRUE(IsIconic(one->Handle())) << "Ctrl+F4 closes it (minimised by default)";
}

} // namespace

namespace {

TEST_F(MDIProviderBranches, ARefreshAttachesTheClientAgainWhenItLostItsAdapter)
{
    ASSERT_NE(Provider->MDIForm, nullptr);
    Provider->MDIForm->ReleaseClient();
    ASSERT_EQ(GetScrollHandler(Main->ClientHandle()), nullptr);
    SendMessageW(Main->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_REFRESH), reinterpret_cast<LPARAM>(Manager));
    EXPECT_NE(Provider->MDIForm->MDIWnd, nullptr);
    EXPECT_EQ(GetScrollHandler(Main->ClientHandle()), Provider->MDIForm->MDIWnd);
}

} // namespace


namespace {

// The client's picture as its adapter prints it, frame and bars included.
std::unique_ptr<TBitmap> PrintedClient(HWND client)
{
    RECT r{};
    GetWindowRect(client, &r);
    auto picture = NewBitmap24(r.right - r.left, r.bottom - r.top);
    SendMessageW(client, WM_PRINT, reinterpret_cast<WPARAM>(picture->Canvas().Handle()), PRF_CLIENT | PRF_NONCLIENT);
    GdiFlush();
    return picture;
}

TEST_F(MDIForms, AChildMovedOutGivesTheClientSkinnedBarsThatScrollItsChildren)
{
    AddChild(L"One");
    TForm* two = AddChild(L"Two");
    TacMDIWnd* adapter = Provider->MDIForm ? Provider->MDIForm->MDIWnd : nullptr;
    ASSERT_NE(adapter, nullptr);
    const HWND client = Main->ClientHandle();
    RECT area{};
    GetClientRect(client, &area);
    SetWindowPos(two->Handle(), nullptr, area.right - 80, area.bottom - 60, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    ASSERT_EQ(GetWindowLongPtrW(client, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), WS_HSCROLL | WS_VSCROLL);
    EXPECT_TRUE(adapter->HBar->ScrollVisible);
    EXPECT_TRUE(adapter->VBar->ScrollVisible);

    // What the screen shows on both bars is the adapter's drawing, not the system's bars.
    const auto expectSkinnedBars = [&](const char* when) {
        SCOPED_TRACE(when);
        const std::unique_ptr<TBitmap> printed = PrintedClient(client);
        const int w = printed->Width();
        const int h = printed->Height();
        const COLORREF system = GetSysColor(COLOR_SCROLLBAR);
        const POINT points[] = {{w / 2, h - 2 - 3}, {12, h - 2 - 3}, {w - 2 - 3, h / 2}, {w - 2 - 3, 12}};
        for (const POINT& p : points) {
            const COLORREF drawn = GetPixel(printed->Canvas().Handle(), p.x, p.y);
            EXPECT_NE(drawn, system) << "at " << p.x << "," << p.y;
            EXPECT_EQ(ks::test::ScreenPixel(client, p.x, p.y), static_cast<TColor>(drawn)) << "at " << p.x << "," << p.y;
        }
    };
    expectSkinnedBars("after the move");

    // A step of each bar by the skinned bars' own sending scrolls the children and leaves the
    // client drawn again.
    RECT before{};
    GetWindowRect(two->Handle(), &before);
    SendScrollMessage(client, WM_HSCROLL, SB_LINEDOWN, 0);
    SendScrollMessage(client, WM_HSCROLL, SB_ENDSCROLL, 0);
    SendScrollMessage(client, WM_VSCROLL, SB_LINEDOWN, 0);
    SendScrollMessage(client, WM_VSCROLL, SB_ENDSCROLL, 0);
    Pump();
    RECT after{};
    GetWindowRect(two->Handle(), &after);
    EXPECT_LT(after.left, before.left);
    EXPECT_LT(after.top, before.top);
    EXPECT_TRUE(GetWindowLongPtrW(client, GWL_STYLE) & WS_VISIBLE) << "redraw is resumed after each step";
    expectSkinnedBars("after scrolling");
}

} // namespace

namespace {

TEST_F(MDIForms, TheMainFrameWaitsWhileItsMaximisedChildIsBeingShownOrHidden)
{
    AddChild(L"One");
    TForm* two = AddChild(L"Two");
    Maximize(two);
    ASSERT_TRUE(IsZoomed(two->Handle()));
    struct Paint {
        std::function<bool()> Repaints;
        bool Repainted = false;
        void During(TObject*) { Repainted = Repaints(); }
    } paint{[this] { return RepaintsMarkedFrame(); }};
    two->SetOnHide(TNotifyEvent(&paint, &Paint::During));
    two->Hide();
    EXPECT_FALSE(paint.Repainted) << "not while the maximised child is being hidden";
    EXPECT_TRUE(Provider->SkinData()->BackgroundChanged) << "the paint is still owed";
    two->SetOnHide(nullptr);
    two->Show();
    Maximize(two);
    ASSERT_TRUE(IsZoomed(two->Handle()));
    EXPECT_TRUE(RepaintsMarkedFrame()) << "once done";
}

} // namespace

namespace {

TEST_F(MDIForms, AButtonOnAChildOfATopmostMainFormGlowsOnTop)
{
    TForm* one = AddChild(L"One");
    auto* button = Create<TsButton>(one);
    button->SetParent(one);
    button->SetBounds(10, 10, 80, 24);
    Pump();
    const auto haloOf = [&]() -> HWND {
        button->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(button));
        const int slot = button->SkinData()->GlowSlot;
        if (slot < 0 || slot >= static_cast<int>(GlowEffects.size()) || !GlowEffects[static_cast<size_t>(slot)])
            return nullptr;
        return GlowEffects[static_cast<size_t>(slot)]->Form->Handle();
    };
    const HWND plain = haloOf();
    ASSERT_NE(plain, nullptr) << "the skin's buttons glow";
    EXPECT_EQ(GetWindowLongW(plain, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    button->Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(button));

    // The halo lies over the main form's window, which stays on top: the halo must too.
    SetWindowPos(Main->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const HWND onTop = haloOf();
    ASSERT_NE(onTop, nullptr);
    EXPECT_NE(GetWindowLongW(onTop, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    button->Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(button));
    SetWindowPos(Main->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

} // namespace

namespace {

TEST_F(MDIForms, TheMenuItemsStayBelowTheTitlesLowestRows)
{
    AddChild(L"One");
    RepaintAll();
    const HWND wnd = Main->Handle();
    RECT window{}, item{};
    GetWindowRect(wnd, &window);
    ASSERT_TRUE(GetMenuItemRect(wnd, GetMenu(wnd), 0, &item));
    const HDC cache = Provider->SkinData()->CacheBitmap->Canvas().Handle();
    const int top = Provider->MenuLineTop();
    // Under the first item and far right of the items the title's rows above the menu line are
    // the same.
    const int under = item.left - window.left + 4;
    const int beside = Provider->SkinData()->CacheBitmap->Width() - 60;
    for (int y = top - 3; y < top; ++y)
        EXPECT_EQ(GetPixel(cache, under, y), GetPixel(cache, beside, y)) << "row " << y;
}

} // namespace

namespace {

// Red painted over a window's whole area as it shows now: whatever still shows red later was
// never repainted.
void MarkWindow(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    HDC dc = GetWindowDC(wnd);
    HBRUSH red = CreateSolidBrush(0x0000FF);
    FillRect(dc, &r, red);
    DeleteObject(red);
    ReleaseDC(wnd, dc);
}

// A left click of the real mouse at a screen point: the system's hit test, button-down and
// button-up all run. Two clicks at one place come apart by the double-click time, so that none
// becomes a double click.
void ClickAt(POINT p)
{
    static DWORD last = 0;
    static POINT lastAt{-1, -1};
    if (p.x == lastAt.x && p.y == lastAt.y)
        while (GetTickCount() - last <= GetDoubleClickTime())
            Sleep(10);
    SetCursorPos(p.x, p.y);
    const int cx = GetSystemMetrics(SM_CXSCREEN) - 1, cy = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT in[3]{};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv(p.x, 65535, cx);
        i.mi.dy = MulDiv(p.y, 65535, cy);
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, in, sizeof(INPUT));
    last = GetTickCount();
    lastAt = p;
    const DWORD until = GetTickCount() + 200;
    while (GetTickCount() < until) {
        Application->ProcessMessages();
        Sleep(1);
    }
}

class MDIChildLifetime : public MDIChildCommands {
protected:
    // The centre of a title button on the screen: a child's own, or one of the main form's
    // menu line.
    static POINT OnScreen(TsSkinProvider& p, const TitleButtonRec& rec)
    {
        const TPoint origin = p.FormOrigin();
        const TRect m = p.ExtBorderMargins();
        return {origin.X + (rec.Rect.Left + rec.Rect.Right) / 2 - m.Left,
                origin.Y + (rec.Rect.Top + rec.Rect.Bottom) / 2 - m.Top};
    }
    // Child and client no longer show the marker painted over the main form.
    void ExpectNoMarkerLeft(const char* what)
    {
        SCOPED_TRACE(what);
        for (TForm* child : Children) {
            if (!IsWindow(child->HandleIfAllocated()) || !IsWindowVisible(child->Handle()) || IsIconic(child->Handle()))
                continue;
            ExpectPaintedAsSkinned(child, "a shown child");
        }
        RECT area{};
        GetClientRect(Main->ClientHandle(), &area);
        EXPECT_NE(ks::test::ScreenPixel(Main->ClientHandle(), area.right - 6, area.bottom / 2), CacheMarker)
            << "the client beside the children";
    }
    bool MainTitleNamesAChild() const
    {
        wchar_t text[256]{};
        GetWindowTextW(Main->Handle(), text, 256);
        return std::wstring(text).find(L'[') != std::wstring::npos;
    }
};

TEST_F(MDIChildLifetime, RestoringAMaximisedChildRepaintsEveryChildItUncovers)
{
    struct Case {
        const char* name;
        bool menuLineButton;
    } cases[] = {{"SC_RESTORE to the child", false}, {"the menu line's restore button", true}};
    AddChild(L"One");
    AddChild(L"Two");
    TForm* three = AddChild(L"Three");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Maximize(three);
        RepaintAll();
        ASSERT_TRUE(IsZoomed(three->Handle()));
        // The maximised child covers the others: what they do not paint again shows its red.
        MarkWindow(three->Handle());
        if (c.menuLineButton) {
            ASSERT_GT(Provider->MDIMax.Rect.Width(), 0);
            ClickAt(OnScreen(*Provider, Provider->MDIMax));
        } else {
            SendMessageW(three->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
            Pump();
        }
        ASSERT_FALSE(IsZoomed(three->Handle()));
        ExpectNoMarkerLeft("restored");
    }
}

// A maximised child closed each way a user closes it, with OnClose answering each action.
TEST_F(MDIChildLifetime, AClosedMaximisedChildIsFreedOrMinimisedAndLeavesACleanFrame)
{
    enum class Way { CtrlF4, MenuLineClose, SysCommand };
    struct Answer {
        std::optional<TCloseAction> Action;
        void OnClose(TObject*, TCloseAction& action)
        {
            if (Action)
                action = *Action;
        }
    };
    struct Case {
        const char* name;
        Way way;
        std::optional<TCloseAction> answer;
        bool freed;
    } cases[] = {
        {"Ctrl+F4, caFree", Way::CtrlF4, caFree, true},
        {"Ctrl+F4, default", Way::CtrlF4, {}, false},
        {"menu-line close, caFree", Way::MenuLineClose, caFree, true},
        {"menu-line close, caMinimize", Way::MenuLineClose, caMinimize, false},
        {"SC_CLOSE, caFree", Way::SysCommand, caFree, true},
        {"SC_CLOSE, default", Way::SysCommand, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Answer answer{c.answer};
        TForm* child = AddChild(L"Closed");
        child->SetOnClose(TCloseEvent(&answer, &Answer::OnClose));
        Maximize(child);
        RepaintAll();
        ASSERT_TRUE(IsZoomed(child->Handle()));
        ASSERT_TRUE(MainTitleNamesAChild());
        const HWND wnd = child->Handle();
        MarkWindow(wnd);
        switch (c.way) {
        case Way::CtrlF4: ks::test::PressWithControl(wnd, VK_F4); break;
        case Way::MenuLineClose: ClickAt(OnScreen(*Provider, Provider->MDIClose)); break;
        case Way::SysCommand: SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        }
        Pump();
        EXPECT_EQ(!IsWindow(wnd), c.freed);
        if (IsWindow(wnd)) {
            EXPECT_TRUE(IsIconic(wnd));
        }
        EXPECT_EQ(GetMenuItemCount(GetMenu(Main->Handle())), 2) << "File and Window only";
        EXPECT_FALSE(MainTitleNamesAChild());
        EXPECT_EQ(Provider->MDIClose.Rect.Width(), 0) << "no child buttons on the menu line";
        EXPECT_EQ(Main->ActiveMDIChild() != nullptr, !c.freed);
        // The next case's child is alone: a maximised child's brother would be maximised in
        // its place. A freed child is no longer there to look at.
        Children.pop_back();
        ExpectNoMarkerLeft("closed");
        if (!c.freed)
            child->Free();
        Pump();
    }
}

TEST_F(MDIChildLifetime, AChildIsMaximisedAndClosedByItsOwnTitleButtons)
{
    AddChild(L"One");
    TForm* two = AddChild(L"Two");
    TsSkinProvider* p = ProviderOf(two);
    RepaintAll();
    ASSERT_GT(p->ButtonMax.Rect.Width(), 0);
    ClickAt(OnScreen(*p, p->ButtonMax));
    EXPECT_TRUE(IsZoomed(two->Handle())) << "maximised by its own button";
    SendMessageW(two->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    RepaintAll();
    ASSERT_FALSE(IsZoomed(two->Handle()));

    struct Freer {
        void OnClose(TObject*, TCloseAction& action) { action = caFree; }
    } freer;
    two->SetOnClose(TCloseEvent(&freer, &Freer::OnClose));
    const HWND wnd = two->Handle();
    ClickAt(OnScreen(*p, p->ButtonClose));
    Pump();
    EXPECT_FALSE(IsWindow(wnd)) << "closed by its own button";
    if (!IsWindow(wnd))
        Children.pop_back();
}

TEST_F(MDIChildLifetime, TheChildsSkinnedSystemMenuCommandsTheChild)
{
    AddChild(L"One");
    TForm* two = AddChild(L"Two");
    TsSkinProvider* p = ProviderOf(two);
    ASSERT_NE(p->SystemMenu, nullptr);
    TsSystemMenu& menu = *p->SystemMenu;
    menu.UpdateItems();
    EXPECT_TRUE(menu.ItemMaximize->Visible() && menu.ItemMaximize->Enabled());
    EXPECT_TRUE(menu.ItemRestore->Visible()) << "a child's menu always lists Restore";
    menu.ItemMaximize->Click();
    Pump();
    EXPECT_TRUE(IsZoomed(two->Handle()));
    menu.UpdateItems();
    EXPECT_TRUE(menu.ItemRestore->Enabled());
    menu.ItemRestore->Click();
    Pump();
    EXPECT_FALSE(IsZoomed(two->Handle()));
    ExpectPaintedAsSkinned(two, "restored from its menu");
    menu.ItemMinimize->Click();
    Pump();
    EXPECT_TRUE(IsIconic(two->Handle()));
    SendMessageW(two->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    menu.ItemClose->Click();
    Pump();
    EXPECT_TRUE(IsIconic(two->Handle())) << "closed with the default action: minimised";
}

TEST_F(MDIChildLifetime, AChildActivatedWhileMaximisedRefreshesTheMainFrame)
{
    AddChild(L"One");
    TForm* two = AddChild(L"Two");
    Maximize(two);
    Pump();
    gSent.clear();
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &RecordSent, nullptr, GetCurrentThreadId());
    SendMessageW(two->Handle(), WM_CHILDACTIVATE, 0, 0);
    UnhookWindowsHookEx(hook);
    bool framePainted = false;
    for (const auto& [target, msg] : gSent)
        framePainted = framePainted || (target == Main->Handle() && msg == WM_NCPAINT);
    EXPECT_TRUE(framePainted);
    gSent.clear();
}

TEST_F(MDIChildLifetime, UnderAMaximisedChildTheClientEdgeFollowsAHueChange)
{
    AddChild(L"One");
    TForm* two = AddChild(L"Two");
    Maximize(two);
    RepaintAll();
    const HWND client = Main->ClientHandle();
    ASSERT_TRUE(GetWindowLongPtrW(client, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    HDC dc = GetWindowDC(client);
    HBRUSH red = CreateSolidBrush(CacheMarker);
    RECT edge{0, 0, 60, 2};
    FillRect(dc, &edge, red);
    DeleteObject(red);
    ReleaseDC(client, dc);
    Manager->SetHueOffset(60);
    Pump();
    RepaintAll();
    EXPECT_NE(ks::test::ScreenPixel(client, 30, 0), CacheMarker);
    EXPECT_NE(ks::test::ScreenPixel(client, 30, 1), CacheMarker);
    Manager->SetHueOffset(0);
}

TEST_F(MDIChildLifetime, ALowerChildsCoverLiesOverTheMainForm)
{
    TForm* one = AddChild(L"One");
    AddChild(L"Two");
    TsSkinProvider* p = ProviderOf(one);
    p->CreateCoverForm(false);
    ASSERT_NE(p->CoverForm, nullptr);
    const HWND cover = p->CoverForm->Handle();
    EXPECT_TRUE(IsWindowVisible(cover));
    bool aboveMain = false;
    for (HWND w = GetWindow(cover, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        aboveMain = aboveMain || w == Main->Handle();
    EXPECT_TRUE(aboveMain);
    RECT shown{}, child{};
    GetWindowRect(cover, &shown);
    GetWindowRect(one->Handle(), &child);
    EXPECT_EQ(shown.left, child.left);
    EXPECT_EQ(shown.top, child.top);
    p->FreeCoverForm();
}

TEST_F(MDIChildLifetime, AChildsUpdateHoldsTheMainFormToOnlyWhenAsked)
{
    TForm* one = AddChild(L"One");
    TsSkinProvider* p = ProviderOf(one);
    const auto mainDrawn = [&] { return (GetWindowLongPtrW(Main->Handle(), GWL_STYLE) & WS_VISIBLE) != 0; };
    for (bool withMDI : {false, true}) {
        SCOPED_TRACE(withMDI ? "with the main form" : "alone");
        p->FormBeginUpdate(withMDI);
        EXPECT_FALSE(GetWindowLongPtrW(one->Handle(), GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ(mainDrawn(), !withMDI);
        EXPECT_EQ(Provider->SkinData()->Updating(), withMDI);
        p->FormEndUpdate(withMDI);
        EXPECT_TRUE(mainDrawn());
        EXPECT_FALSE(Provider->SkinData()->Updating());
    }
}

} // namespace

namespace {

// The border window's image is larger than the form: the client is erased from where the
// provider places the form's client in it.
TEST_F(MDIForms, UnderExtendedBordersTheClientIsErasedFromItsPlaceInTheFormsImage)
{
    AddChild(L"One");
    Manager->SetExtendedBorders(true);
    Provider->SetBorderFormActive(true);
    if (!Provider->BorderForm)
        GTEST_SKIP() << "no layered windows here";
    Provider->FormChanged = true;
    Provider->SkinData()->BackgroundChanged = true;
    Provider->PaintNonClient();
    const HWND client = Main->ClientHandle();
    POINT formOrigin{0, 0}, clientOrigin{0, 0};
    ClientToScreen(Main->Handle(), &formOrigin);
    ClientToScreen(client, &clientOrigin);
    // A pixel of the image where the client's point (20, 20) belongs, and one a row lower.
    const int x = Provider->ClientOffsetX() + clientOrigin.x - formOrigin.x + 20;
    const int y = Provider->ClientOffsetY() + clientOrigin.y - formOrigin.y + 20;
    HDC image = Provider->SkinData()->CacheBitmap->Canvas().Handle();
    SetPixel(image, x, y, 0x00336699);
    SetPixel(image, x, y + 1, 0x00996633);
    GdiFlush();
    auto erased = NewBitmap24(64, 64);
    SendMessageW(client, WM_ERASEBKGND, reinterpret_cast<WPARAM>(erased->Canvas().Handle()), 0);
    GdiFlush();
    EXPECT_EQ(GetPixel(erased->Canvas().Handle(), 20, 20), 0x00336699u);
    EXPECT_EQ(GetPixel(erased->Canvas().Handle(), 20, 21), 0x00996633u);
    Provider->SetBorderFormActive(false);
    Manager->SetExtendedBorders(false);
}

} // namespace
