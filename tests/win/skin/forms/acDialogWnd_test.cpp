// The platform's message boxes as the creation hook skins them: the frame adapter and the
// children's adapters, the frame's geometry and pixels, title buttons and keys that give the
// caller the answer a user chose, and a box that goes back to the platform whole.
#include "skin/core/FormAnimation.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sStoredSkins.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/TitleAnimation.h"
#include "win/skin/forms/DialogSkinFixture.h"
#include "win/skin/forms/RealMouse.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace ks::test;

namespace {

class DialogWndTest : public DialogFixture {};

// A window of the box whose property "ACSBSC" is still set.
bool AnyAdapted(HWND wnd)
{
    if (GetPropW(wnd, AdapterProperty))
        return true;
    for (HWND child = GetTopWindow(wnd); child; child = GetWindow(child, GW_HWNDNEXT))
        if (AnyAdapted(child))
            return true;
    return false;
}

TEST_F(DialogWndTest, ABoxGetsTheFrameAdapterAndItsChildrenTheirs)
{
    const int result = RunBox(nullptr, L"Выберите символы", L"Внимание", MB_YESNOCANCEL | MB_ICONWARNING, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->SkinData->SkinSection(), "DIALOG");
        EXPECT_EQ(GetWindowLongPtrW(box, GWL_STYLE) & WS_SYSMENU, 0) << "the platform would draw its own buttons";
        EXPECT_TRUE(d->HasSysMenu()) << "the stored style keeps it";
        EXPECT_EQ(d->BorderKind, 0) << "a modal frame without sizing border";
        struct Case {
            int id;
            const char* adapter;
        };
        for (const Case& c : {Case{IDYES, "TacBtnWnd"}, Case{IDNO, "TacBtnWnd"}, Case{IDCANCEL, "TacBtnWnd"}}) {
            SCOPED_TRACE(c.id);
            TacMainWnd* a = GetScrollHandler(Item(box, c.id));
            ASSERT_NE(a, nullptr);
            EXPECT_STREQ(a->ClassName(), c.adapter);
            EXPECT_TRUE(a->DlgMode);
            EXPECT_EQ(a->SkinData->SkinSection(), "BUTTON");
        }
        int icons = 0;
        int texts = 0;
        for (HWND child = GetTopWindow(box); child; child = GetWindow(child, GW_HWNDNEXT))
            if (TacMainWnd* a = GetScrollHandler(child)) {
                icons += std::string_view(a->ClassName()) == "TacIconWnd";
                texts += std::string_view(a->ClassName()) == "TacStaticWnd";
            }
        EXPECT_EQ(icons, 1) << "the warning icon";
        EXPECT_EQ(texts, 1) << "the text";
        // A button that is neither default nor focused shows the section's normal colour inside
        // its border.
        HWND no = Item(box, IDNO);
        auto picture = PrintedPicture(no);
        EXPECT_EQ(PixelAt(*picture, 5, picture->Height() / 2), ButtonColour);
        EXPECT_EQ(PixelAt(*picture, 0, picture->Height() / 2), BorderCells[0]);
        ClickChild(Item(box, IDNO));
    });
    EXPECT_EQ(result, IDNO);
}

TEST_F(DialogWndTest, TheFramesPixelsComeFromTheSkin)
{
    RunBox(nullptr, L"text", L"Caption", MB_OK, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
        TBitmap* cache = d->SkinData->CacheBitmap.get();
        ASSERT_NE(cache, nullptr);
        RECT wr{};
        GetWindowRect(box, &wr);
        ASSERT_EQ(cache->Width(), wr.right - wr.left);
        ASSERT_EQ(cache->Height(), wr.bottom - wr.top);
        const int border = d->FormBorderWidth(true);
        const int title = border + d->CaptionHeight(true);
        EXPECT_EQ(d->CaptionHeight(true), GetSystemMetrics(SM_CYCAPTION));
        EXPECT_EQ(d->ClientOffsetY(), title) << "the client area starts below the title";
        EXPECT_EQ(d->ClientOffsetX(), border);
        const int tbw = d->TitleButtonsWidth();
        EXPECT_EQ(tbw, CloseSize) << "only the close button on a message box";
        struct Case {
            const char* name;
            int x, y;
            TColor expected;
        };
        const int w = cache->Width();
        const int h = cache->Height();
        const Case cases[] = {
            {"title, above the caption text", w / 2, 1, TitleHotColour},
            {"left border, active cell", 0, h / 2, DialogCells[1]},
            {"bottom border", w / 2, h - 1, DialogCells[1]},
            {"client", d->ClientOffsetX() + 1, d->ClientOffsetY() + 1, DialogHotColour},
            {"close button, normal cell", d->BtnClose.Rect.Left + 8, d->BtnClose.Rect.Top + 8, DialogCloseCells[0]},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(PixelAt(*cache, c.x, c.y), c.expected);
        }
        EXPECT_EQ(d->BtnClose.Rect.Right, w - 3 - border) << "BIRIGHT and the border right of the close button";
        EXPECT_EQ(d->BtnClose.Rect.Width(), CloseSize);

        // Inactive: the title's normal look and the close glyph paler than its normal cell.
        SendMessageW(box, WM_NCACTIVATE, FALSE, 0);
        EXPECT_FALSE(d->FormActive);
        d->SkinData->BackgroundChanged = true;
        d->PaintNonClient();
        EXPECT_EQ(PixelAt(*cache, w / 2, 1), TitleColour);
        EXPECT_NE(PixelAt(*cache, d->BtnClose.Rect.Left + 8, d->BtnClose.Rect.Top + 8), DialogCloseCells[0]);
        SendMessageW(box, WM_NCACTIVATE, TRUE, 0);

        HRGN region = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(GetWindowRgn(box, region), ERROR);
        EXPECT_FALSE(PtInRegion(region, 0, 0)) << "the key-coloured corner is cut off";
        EXPECT_FALSE(PtInRegion(region, 1, 0));
        EXPECT_TRUE(PtInRegion(region, 2, 2));
        EXPECT_TRUE(PtInRegion(region, w / 2, h / 2));
        DeleteObject(region);
        PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    });
}

TEST_F(DialogWndTest, TitleButtonsHitTestAndAnswerTheCaller)
{
    int pressedOutside = 0;
    const int result = RunBox(nullptr, L"text", L"Caption", MB_OKCANCEL, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        const TRect close = d->BtnClose.Rect;
        const LPARAM onClose = ScreenPoint(box, close.Left + 4, close.Top + 4);
        const LPARAM onTitle = ScreenPoint(box, 40, close.Top + 4);
        // The mouse is where the messages say, as the system asks it again when tracking it.
        auto moveTo = [](LPARAM p) { SetCursorPos(static_cast<short>(LOWORD(p)), static_cast<short>(HIWORD(p))); };
        moveTo(onClose);
        EXPECT_EQ(SendMessageW(box, WM_NCHITTEST, 0, onClose), HTCLOSE);
        EXPECT_EQ(d->BtnClose.State, 1) << "hot";
        const LPARAM onIcon = ScreenPoint(box, d->FormBorderWidth(true) + 2, close.Top + 4);
        moveTo(onIcon);
        EXPECT_EQ(SendMessageW(box, WM_NCHITTEST, 0, onIcon), HTSYSMENU);
        EXPECT_EQ(d->BtnClose.State, 0) << "the icon takes the hot state away";
        EXPECT_EQ(SendMessageW(box, WM_GETDLGCODE, 0, 0), 0);
        // Double-clicking the title of a box that can neither maximise nor restore does nothing.
        moveTo(onTitle);
        SendMessageW(box, WM_NCLBUTTONDBLCLK, HTCAPTION, onTitle);
        EXPECT_TRUE(IsWindowVisible(box));
        // Pressed, then released elsewhere after the hot button changed: nothing.
        moveTo(onClose);
        SendMessageW(box, WM_NCLBUTTONDOWN, HTCLOSE, onClose);
        EXPECT_EQ(d->BtnClose.State, 2) << "pressed";
        moveTo(onTitle);
        SendMessageW(box, WM_NCHITTEST, 0, onTitle);
        SendMessageW(box, WM_NCLBUTTONUP, HTCLOSE, onClose);
        pressedOutside = IsWindowVisible(box) ? 1 : 0;
        // Pressed and released on the button: the box closes as by its close box.
        moveTo(onClose);
        SendMessageW(box, WM_NCHITTEST, 0, onClose);
        SendMessageW(box, WM_NCLBUTTONDOWN, HTCLOSE, onClose);
        SendMessageW(box, WM_NCLBUTTONUP, HTCLOSE, onClose);
    });
    EXPECT_EQ(pressedOutside, 1);
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DialogWndTest, KeysAndMouseGiveTheCallerTheChosenButton)
{
    struct Case {
        const char* name;
        UINT flags;
        std::function<void(HWND)> act;
        int expected;
    };
    const Case cases[] = {
        {"Enter takes the default button", MB_YESNO, [](HWND box) { PostMessageW(GetFocus() ? GetFocus() : box, WM_KEYDOWN, VK_RETURN, 0); }, IDYES},
        {"Escape cancels", MB_OKCANCEL, [](HWND box) { PostMessageW(GetFocus() ? GetFocus() : box, WM_KEYDOWN, VK_ESCAPE, 0); }, IDCANCEL},
        {"a mouse click on Retry", MB_RETRYCANCEL, [](HWND box) { ClickChild(Item(box, IDRETRY)); }, IDRETRY},
        {"a mouse click on the second default", MB_YESNO | MB_DEFBUTTON2, [](HWND box) { ClickChild(Item(box, IDNO)); }, IDNO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunBox(nullptr, L"text", L"Caption", c.flags, c.act), c.expected);
    }
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class DialogWndLifetimeTest : public DialogWndTest {};

TEST_F(DialogWndLifetimeTest, NothingStaysSubclassedOrRecordedAfterTheBoxCloses)
{
    HWND seen = nullptr;
    RunBox(nullptr, L"text", L"Caption", MB_OK, [&](HWND box) {
        seen = box;
        ASSERT_TRUE(AnyAdapted(box));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_FALSE(IsWindow(seen));
    DestroyOneWindow();
    ASSERT_TRUE(HookedWindows);
    for (TacProvider* p : *HookedWindows)
        EXPECT_EQ(p, nullptr) << "a finished dialog's record stayed";
    EXPECT_TRUE(HookedWindows->empty()) << "empty slots are dropped";
}

TEST_F(DialogWndTest, ASkinRemovedWhileTheBoxShowsGivesThePlatformsBoxBack)
{
    const int result = RunBox(nullptr, L"text", L"Caption", MB_OKCANCEL, [&](HWND box) {
        ASSERT_NE(DialogAdapter(box), nullptr);
        Manager->SetActive(false);
        EXPECT_EQ(GetScrollHandler(box), nullptr);
        EXPECT_FALSE(AnyAdapted(box));
        EXPECT_NE(GetWindowLongPtrW(box, GWL_STYLE) & WS_SYSMENU, 0) << "its close box and system menu are back";
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(GetWindowRgn(box, region), ERROR) << "no region of the skin's corners";
        DeleteObject(region);
        ClickChild(Item(box, IDOK));
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(DialogWndTest, ChildrenAddedAfterTheBoxShowsAreAdaptedWhenTheDialogAsks)
{
    RunBox(nullptr, L"text", L"Caption", MB_OK, [&](HWND box) {
        HWND extra = CreateWindowExW(0, L"Button", L"Ещё", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 4, 4, 60, 16, box,
                                     nullptr, nullptr, nullptr);
        HWND gone = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 4, 24, 60, 16, box, nullptr, nullptr, nullptr);
        DestroyWindow(gone);
        SendMessageW(box, SM_SKINCMD, MAKEWPARAM(0, SKC_ADAPT_CHILD_WINDOWS), 0);
        TacMainWnd* a = GetScrollHandler(extra);
        ASSERT_NE(a, nullptr);
        EXPECT_STREQ(a->ClassName(), "TacCheckBoxWnd");
        DestroyWindow(extra);
        EXPECT_FALSE(GetPropW(extra, AdapterProperty));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

TEST_F(DialogWndTest, LongCaptionsAndTextsAreShownCut)
{
    const std::wstring caption(5000, L'Ж');
    const std::wstring text(20000, L'x');
    RunBox(nullptr, text, caption, MB_OK, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        EXPECT_EQ(GetWndTextW(box), caption);
        TBitmap* cache = d->SkinData->CacheBitmap.get();
        ASSERT_NE(cache, nullptr);
        // The close button stays clear of the text.
        EXPECT_EQ(PixelAt(*cache, d->BtnClose.Rect.Left + 8, d->BtnClose.Rect.Top + 8), DialogCloseCells[0]);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

std::atomic<HWND> gOtherBox{nullptr};
std::atomic<bool> gOtherMayClose{false};

// The other thread's timer: tells which box is up, and closes it once the test has looked.
void CALLBACK OtherThreadsBoxTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (HWND b = FindWindowW(L"#32770", L"thread")) {
        gOtherBox = b;
        if (gOtherMayClose)
            PostMessageW(b, WM_COMMAND, IDOK, 0);
    }
}

TEST_F(DialogWndTest, ABoxOfAnotherThreadStaysThePlatforms)
{
    gOtherBox = nullptr;
    gOtherMayClose = false;
    std::thread other([] {
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &OtherThreadsBoxTimer);
        MessageBoxW(nullptr, L"other", L"thread", MB_OK);
        KillTimer(nullptr, timer);
    });
    for (int i = 0; i < 500 && !gOtherBox; ++i)
        Sleep(10);
    const HWND box = gOtherBox;
    const bool adapted = box && GetPropW(box, AdapterProperty) != nullptr;
    gOtherMayClose = true;
    other.join();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(adapted);
}

TEST_F(DialogWndTest, TheSystemMenuShowsWhatTheBoxAllowsAndSendsItsCommands)
{
    RunBox(nullptr, L"text", L"Caption", MB_OKCANCEL, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        TacSystemMenu& menu = *d->SysMenu;
        menu.UpdateItems();
        EXPECT_EQ(menu.ItemClose->ShortCut(), 0x8073);
        struct Case {
            const char* name;
            TMenuItem* item;
            bool visible;
            bool enabled;
        };
        // A modal frame without sizing border shows neither Restore nor Size.
        const Case cases[] = {
            {"Restore", menu.ItemRestore, false, false}, {"Move", menu.ItemMove, true, true},
            {"Size", menu.ItemSize, false, true},        {"Minimize", menu.ItemMinimize, false, false},
            {"Maximize", menu.ItemMaximize, false, false}, {"Close", menu.ItemClose, true, true},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(c.item->Visible(), c.visible);
            EXPECT_EQ(c.item->Enabled(), c.enabled);
        }
        ASSERT_EQ(menu.Items()->Count(), 7);
        EXPECT_TRUE(menu.Items()->Items(5)->IsLine()) << "the line stands before Close";
        menu.ItemClose->Click();
    });
}

TEST_F(DialogWndTest, TheHookIsGoneAfterItsManager)
{
    EXPECT_NE(CreationHook.Handle(), nullptr);
    FreeAndNil(Manager);
    EXPECT_EQ(CreationHook.Handle(), nullptr);
    EXPECT_FALSE(HookedWindows);
    // A box now stays the platform's.
    bool adapted = true;
    RunBox(nullptr, L"text", L"Caption", MB_OK, [&](HWND box) {
        adapted = AnyAdapted(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_FALSE(adapted);
}

// A picture for a person: the platform's message box with several buttons as the skin shows it.
TEST_F(DialogWndTest, PictureOfABoxWithSeveralButtons)
{
    RunBox(nullptr, L"Сохранить изменения перед выходом?", L"Keysmith", MB_YESNOCANCEL | MB_ICONQUESTION, [&](HWND box) {
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT r{};
        GetWindowRect(box, &r);
        TBitmap shot;
        shot.SetPixelFormat(pf24bit);
        shot.SetSize(r.right - r.left, r.bottom - r.top);
        HDC screen = GetDC(nullptr);
        BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen, r.left, r.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        WriteSheetPng(shot, std::string(KS_BUILD_DIR) + "/dialog-several-buttons.png");
        // The screen shows the skin's frame, client and buttons, not the platform's.
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(PixelAt(shot, shot.Width() / 2, 1), TitleHotColour) << "the title";
        EXPECT_EQ(PixelAt(shot, d->ClientOffsetX() + 1, d->ClientOffsetY() + 1), DialogHotColour) << "the client";
        EXPECT_EQ(PixelAt(shot, d->BtnClose.Rect.Left + 8, d->BtnClose.Rect.Top + 8), DialogCloseCells[0]);
        for (int id : {IDNO, IDCANCEL}) {
            SCOPED_TRACE(id == IDNO ? "No" : "Cancel");
            RECT b{};
            GetWindowRect(Item(box, id), &b);
            const int x = b.left - r.left, y = (b.top + b.bottom) / 2 - r.top;
            EXPECT_EQ(PixelAt(shot, x, y), BorderCells[0]) << "the button's border";
            EXPECT_EQ(PixelAt(shot, x + 5, y), ButtonColour) << "and its face";
        }
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
}

} // namespace

namespace {

RECT gMenuShot{};
bool gMenuSeen = false;

// From inside the menu's loop: the screen around the box while the menu is open, then the menu
// closes as by Escape.
void CALLBACK ShootOpenMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    gMenuSeen = FindWindowW(L"#32768", nullptr) != nullptr;
    TBitmap shot;
    shot.SetPixelFormat(pf24bit);
    shot.SetSize(gMenuShot.right - gMenuShot.left, gMenuShot.bottom - gMenuShot.top);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen, gMenuShot.left, gMenuShot.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    WriteSheetPng(shot, std::string(KS_BUILD_DIR) + "/dialog-system-menu.png");
    EndMenu();
}

void CALLBACK SeeOpenMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    gMenuSeen = FindWindowW(L"#32768", nullptr) != nullptr;
    EndMenu();
}

// The box's own system menu went with its WS_SYSMENU: the keyboard opens the skin's.
TEST_F(DialogWndTest, AltSpaceOpensTheSystemMenu)
{
    RunBox(nullptr, L"text", L"Caption", MB_OK, [&](HWND box) {
        gMenuSeen = false;
        SetTimer(nullptr, 0, 150, &SeeOpenMenu);
        SendMessageW(box, WM_SYSCOMMAND, SC_KEYMENU, ' ');
        EXPECT_TRUE(gMenuSeen);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

TEST_F(DialogWndTest, PictureOfTheSystemMenuOpenOnTheTitle)
{
    RunBox(nullptr, L"Выберите символы, которые вы хотите использовать!", L"Keysmith", MB_OK | MB_ICONWARNING,
           [&](HWND box) {
               GetWindowRect(box, &gMenuShot);
               gMenuShot.right += 160;
               gMenuShot.bottom += 160;
               gMenuSeen = false;
               SetTimer(nullptr, 0, 150, &ShootOpenMenu);
               // A right click on the title opens the menu at the mouse.
               SendMessageW(box, WM_NCRBUTTONUP, HTCAPTION, ScreenPoint(box, 30, 10));
               EXPECT_TRUE(gMenuSeen) << "the menu was open";
               PostMessageW(box, WM_COMMAND, IDOK, 0);
           });
}

} // namespace

namespace {

TEST_F(DialogWndTest, AnAnimatedShowEndsWithTheBoxWorking)
{
    Manager->AnimEffects()->DialogShow()->SetTime(60);
    Manager->AnimEffects()->DialogShow()->SetMode(atFading);
    bool adapted = false;
    const int result = RunBox(nullptr, L"text", L"Caption", MB_OKCANCEL, [&](HWND box) {
        adapted = DialogAdapter(box) != nullptr;
        EXPECT_FALSE(ks::AnimationRunning());
        EXPECT_FALSE(PaintLock) << "the animation gave painting back";
        ClickChild(Item(box, IDCANCEL));
    });
    EXPECT_TRUE(adapted);
    EXPECT_EQ(result, IDCANCEL);
}

} // namespace

namespace {

bool ComposedDesktop()
{
    return TRUE;
}

// The mouse rests on the close button, its hot look fades in over it, and a click there closes
// the box, however quick: the glow window under the cursor must not take the release along.
TEST_F(DialogWndLifetimeTest, UnderAGlowingSkinTheCloseButtonOfABoxFades)
{
    for (DWORD pause : {0u, 100u, 500u}) {
        SCOPED_TRACE(testing::Message() << pause << " ms");
        bool shown = false, held = false, closedByClick = false;
        TColor look = clNone;
        const int result = RunBox(nullptr, L"text", L"Caption", MB_OKCANCEL, [&](HWND box) {
            TacDialogWnd* d = DialogAdapter(box);
            ASSERT_NE(d, nullptr);
            ASSERT_TRUE(d->SkinData->SkinManager()->AllowGlowing());
            const TRect close = d->BtnClose.Rect;
            RECT wr{};
            GetWindowRect(box, &wr);
            const POINT at{wr.left + (close.Left + close.Right) / 2, wr.top + (close.Top + close.Bottom) / 2};
            MoveMouse(at, 250);
            TacSBAnimation* animation = d->BtnClose.Animation;
            ASSERT_NE(animation, nullptr) << "the hover is animated";
            shown = animation->GlowForm && IsWindowVisible(animation->GlowForm->Handle());
            held = animation->TargetState == 1 && animation->MaxSteps == -1;
            if (animation->FrameBmp) {
                GdiFlush();
                look = static_cast<TColor>(ks::GetPixel32(animation->FrameBmp->View(), close.Width() / 2, close.Height() / 2) &
                                           0xFFFFFF);
            }
            ClickMouse(at, pause);
            closedByClick = PumpUntil([&] { return !IsWindowVisible(box); });
        });
        EXPECT_TRUE(shown) << "the glow window is up";
        EXPECT_TRUE(held) << "faded in whole and held";
        EXPECT_EQ(look, DialogCloseCells[1]) << "it shows the hot look";
        EXPECT_TRUE(closedByClick);
        EXPECT_EQ(result, IDCANCEL);
        int glows = 0;
        for (int i = 0; i < Application->ComponentCount(); ++i)
            glows += dynamic_cast<TacSBAnimation*>(Application->Components(i)) != nullptr;
        EXPECT_EQ(glows, 0) << "the box's glows went with it, not at a later tick";
    }
}

TEST_F(DialogWndTest, ABoxKeepsItsOwnLayeringItsToolCaptionAndItsCaptionFont)
{
    ks::Sys().CompositionEnabled = ComposedDesktop;
    RunBox(nullptr, L"text", L"Caption", MB_OK, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        SetWindowLongPtrW(box, GWL_EXSTYLE, GetWindowLongPtrW(box, GWL_EXSTYLE) | WS_EX_LAYERED);
        SendMessageW(box, WM_SHOWWINDOW, TRUE, 0);
        EXPECT_NE(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
        SetWindowLongPtrW(box, GWL_EXSTYLE, GetWindowLongPtrW(box, GWL_EXSTYLE) & ~WS_EX_LAYERED);
        SendMessageW(box, WM_SHOWWINDOW, TRUE, 0);
        EXPECT_EQ(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_LAYERED, 0) << "a layering of its own is taken off again";

        // A tool window's caption is the system's small one.
        ASSERT_NE(GetSystemMetrics(SM_CYSMCAPTION), GetSystemMetrics(SM_CYCAPTION));
        SetWindowLongPtrW(box, GWL_EXSTYLE, GetWindowLongPtrW(box, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
        EXPECT_EQ(d->CaptionHeight(true), GetSystemMetrics(SM_CYSMCAPTION));
        SetWindowLongPtrW(box, GWL_EXSTYLE, GetWindowLongPtrW(box, GWL_EXSTYLE) & ~WS_EX_TOOLWINDOW);
        EXPECT_EQ(d->CaptionHeight(true), GetSystemMetrics(SM_CYCAPTION));

        // A frame painted before the preparation made the caption font has one made for it.
        d->CaptionFont.reset();
        d->SkinData->BackgroundChanged = true;
        d->PaintNonClient();
        EXPECT_NE(d->CaptionFont, nullptr);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

} // namespace

namespace {

// The box's activation redraws its children with its frame, and a box that loses the focus has
// the active window painted before the message returns.
TEST_F(DialogWndTest, ActivationRedrawsTheChildrenAndALostFocusPaintsTheActiveWindowAtOnce)
{
    RunBox(nullptr, L"Text", L"Caption", MB_OKCANCEL, [](HWND box) {
        ASSERT_NE(DialogAdapter(box), nullptr);
        const HWND ok = Item(box, IDOK);
        RedrawWindow(box, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        ASSERT_FALSE(GetUpdateRect(ok, nullptr, FALSE));
        SendMessageW(box, WM_NCACTIVATE, FALSE, 0);
        EXPECT_TRUE(GetUpdateRect(ok, nullptr, FALSE)) << "the buttons are redrawn with the frame";

        const HWND active = GetActiveWindow();
        ASSERT_NE(active, nullptr);
        RedrawWindow(active, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        SendMessageW(box, WM_KILLFOCUS, 0, 0);
        EXPECT_FALSE(GetUpdateRect(active, nullptr, FALSE)) << "painted before the message returned";
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
}

} // namespace
