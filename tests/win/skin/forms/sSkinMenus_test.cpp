#include "skin/forms/sSkinMenus.h"

#include "skin/adapters/acSBUtils.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/acDials.h"
#include "vcl/Forms.h"
#include "win/skin/core/SkinTestFiles.h"
#include "win/skin/forms/EngineUnits.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

namespace {

using ks::test::TempFolder;

constexpr UINT ItemShown = 0xBCB3;
constexpr UINT WindowShown = 0xBCB4;
constexpr wchar_t ProcProperty[] = L"KsPopupMenu";

// A skin whose "MAINMENU" frame mask gives the border width `mainMenuBorder` (its last field);
// without a value the skin has no "MAINMENU" section.
std::vector<uint8_t> Archive(std::string_view mainMenuBorder)
{
    std::string options = "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\n";
    if (!mainMenuBorder.empty())
        options += "[MAINMENU]\r\nBORDERSMASK=^0000^0000^0012^0008^0000^0000^0000^0000^3^1^0^" +
                   std::string(mainMenuBorder) + "\r\n";
    return ks::test::SkinArchive(options, ks::test::GreyMaster(24, 8));
}

// Handlers the application assigned itself.
struct AppHandlers {
    void Draw(TObject*, TCanvas*, const TRect&, TOwnerDrawState) {}
    void Measure(TObject*, TCanvas*, int&, int&) {}
};

WNDPROC gStaticProc = nullptr;
bool gRestoredAtNcDestroy = false;

// Stands before the popup procedure in the chain and looks at the window as it goes.
LRESULT CALLBACK WatchProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCDESTROY)
        gRestoredAtNcDestroy = GetWindowLongPtrW(wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&WatchProc) &&
                               !GetPropW(wnd, ProcProperty);
    return CallWindowProcW(gStaticProc, wnd, msg, wParam, lParam);
}

class SkinMenusTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Dir.Write(L"Wide.asz", Archive("5"));
        Dir.Write(L"Default.asz", Archive("0"));
        Dir.Write(L"Plain.asz", Archive(""));
        Manager = Create<TsSkinManager>(nullptr);
        Manager->SetSkinDirectory(Dir.Path());
        Menus = Manager->SkinnableMenus();
        Popup = Create<TPopupMenu>(Application);
        for (const wchar_t* caption : {L"Open", L"-", L"More"}) {
            auto* item = Create<TMenuItem>(Popup);
            item->SetCaption(caption);
            Popup->Items()->Add(item);
        }
        auto* sub = Create<TMenuItem>(Popup);
        sub->SetCaption(L"Deeper");
        Popup->Items()->Items(2)->Add(sub);
    }
    void TearDown() override
    {
        ClearMenuCache();
        if (Wnd)
            DestroyWindow(Wnd);
        FreeAndNil(Popup);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    TMenuItem* Item(int i) const { return Popup->Items()->Items(i); }
    TMenuItem* Deeper() const { return Item(2)->Items(0); }

    HWND MakeWindow()
    {
        Wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr, nullptr, nullptr);
        return Wnd;
    }
    std::shared_ptr<TBitmap> Bitmap(int width, int height)
    {
        auto bitmap = std::make_shared<TBitmap>();
        bitmap->SetSize(width, height);
        return bitmap;
    }

    TempFolder Dir;
    TsSkinManager* Manager = nullptr;
    TsSkinableMenus* Menus = nullptr;
    TPopupMenu* Popup = nullptr;
    HWND Wnd = nullptr;
    AppHandlers App;
};

TEST_F(SkinMenusTest, EveryNewSkinMeasuresThePopupFrameAgain)
{
    struct Case {
        const wchar_t* skin;
        int width;
    };
    // A mask without a width reads as 3; a skin without the mask has no frame.
    for (const Case& c : {Case{L"Wide", 5}, Case{L"Default", 3}, Case{L"Plain", 0}, Case{L"Wide", 5}}) {
        SCOPED_TRACE(testing::Message() << std::string(c.skin, c.skin + wcslen(c.skin)));
        Manager->SetSkinName(c.skin);
        EXPECT_EQ(Menus->SkinBorderWidth(), c.width);
    }
}

TEST_F(SkinMenusTest, OwnerDrawingComesAndGoesWithoutTouchingTheApplicationsHandlers)
{
    Manager->SetSkinName(L"Wide");
    const TAdvancedMenuDrawItemEvent appDraw(&App, &AppHandlers::Draw);
    const TMenuMeasureItemEvent appMeasure(&App, &AppHandlers::Measure);
    Item(0)->SetOnAdvancedDrawItem(appDraw);
    Item(2)->SetOnMeasureItem(appMeasure);

    Menus->OwnerDrawMenuItems(Popup, true);
    EXPECT_TRUE(Popup->OwnerDraw());
    EXPECT_TRUE(Popup->MenuAnimation().Contains(maNone));
    EXPECT_EQ(Item(0)->OnAdvancedDrawItem(), appDraw);
    EXPECT_EQ(Item(2)->OnMeasureItem(), appMeasure);
    for (int i : {0, 1, 2, 3}) {
        SCOPED_TRACE(i);
        TMenuItem* item = i < 3 ? Item(i) : Deeper();
        EXPECT_TRUE(item->OnAdvancedDrawItem());
        EXPECT_TRUE(item->OnMeasureItem());
    }

    Manager->SetSkinnedPopups(false);
    Menus->OwnerDrawMenuItems(Popup, false);
    EXPECT_FALSE(Popup->OwnerDraw());
    EXPECT_FALSE(Popup->MenuAnimation().Contains(maNone));
    EXPECT_EQ(Item(0)->OnAdvancedDrawItem(), appDraw);
    EXPECT_FALSE(Item(0)->OnMeasureItem());
    EXPECT_EQ(Item(2)->OnMeasureItem(), appMeasure);
    EXPECT_FALSE(Item(2)->OnAdvancedDrawItem());
    EXPECT_FALSE(Deeper()->OnAdvancedDrawItem());

    // Handlers still follow the call, but without skinned popups the menu is not owner-drawn.
    Menus->OwnerDrawMenuItems(Popup, true);
    EXPECT_FALSE(Popup->OwnerDraw());
    EXPECT_TRUE(Deeper()->OnAdvancedDrawItem());
}

TEST_F(SkinMenusTest, UpdateMenusSetsUpTheApplicationsMenusOnlyWhenTheSkinComesOrGoes)
{
    // A new skin walks the application's components.
    Manager->SetSkinName(L"Wide");
    EXPECT_TRUE(Menus->MenusActive);
    EXPECT_TRUE(Popup->OwnerDraw());
    EXPECT_TRUE(Deeper()->OnMeasureItem());
    // So does turning skinned popups on while the skin's state is not taken yet.
    Manager->SetSkinnedPopups(false);
    Menus->OwnerDrawMenuItems(Popup, false);
    Menus->MenusActive = false;
    Manager->SetSkinnedPopups(true);
    EXPECT_TRUE(Popup->OwnerDraw());
    EXPECT_TRUE(Deeper()->OnMeasureItem());

    // No change of the skin's state: nothing is walked.
    Popup->SetOwnerDraw(false);
    Menus->UpdateMenus();
    EXPECT_FALSE(Popup->OwnerDraw());

    Manager->SetActive(false);
    Menus->UpdateMenus();
    EXPECT_FALSE(Menus->MenusActive);
    EXPECT_FALSE(Deeper()->OnMeasureItem());
    EXPECT_FALSE(Popup->MenuAnimation().Contains(maNone));
}

TEST_F(SkinMenusTest, TheCacheFindsAPopupByAnyOfItsItemsOrByItsWindow)
{
    auto* other = Create<TPopupMenu>(nullptr);
    auto* stranger = Create<TMenuItem>(other);
    other->Items()->Add(stranger);
    const HWND wnd = MakeWindow();
    PopupCache.push_back({Item(0), Bitmap(10, 10), wnd, true});
    PopupCache.push_back({stranger, nullptr, nullptr, false});
    const TBitmap* bitmap = PopupCache[0].Bitmap.get();

    struct Case {
        const char* name;
        const TMenuItem* item;
        HWND wnd;
        bool found;
    };
    const Case cases[] = {
        {"first item", Item(0), nullptr, true},
        {"last item", Item(2), nullptr, true},
        {"item of a submenu", Deeper(), wnd, false},
        {"by window", nullptr, wnd, true},
        {"another window", nullptr, GetDesktopWindow(), false},
        {"no window is not a popup without one", nullptr, nullptr, false},
        {"a pointer that is no item", reinterpret_cast<const TMenuItem*>(0x1234), nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PopupCacheRec rec = MenuItemInfoOf(c.item, c.wnd);
        EXPECT_EQ(rec.Bitmap.get() == bitmap && rec.FirstItem == Item(0) && rec.Wnd == wnd, c.found);
        EXPECT_EQ(rec.Bitmap != nullptr, c.found);
    }
    ClearMenuCache();
    other->Free();
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class SkinMenusLifetimeTest : public SkinMenusTest {};

TEST_F(SkinMenusLifetimeTest, AHookedPopupWindowIsCutToItsBitmapAndLetGoWhenDestroyed)
{
    const HWND wnd = MakeWindow();
    gStaticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchProc)));
    PopupCache.push_back({Item(0), Bitmap(40, 30), wnd, false});

    Menus->HookPopupWnd(wnd, PopupCache[0].Bitmap.get());
    const LONG_PTR hooked = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
    EXPECT_NE(hooked, reinterpret_cast<LONG_PTR>(&WatchProc));
    ks::GdiRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(wnd, region.get()), ERROR);
    // Without mask corners only the pixel at the origin goes.
    EXPECT_FALSE(PtInRegion(region.get(), 0, 0));
    EXPECT_TRUE(PtInRegion(region.get(), 1, 0));
    EXPECT_TRUE(PtInRegion(region.get(), 39, 29));
    EXPECT_FALSE(PtInRegion(region.get(), 40, 29));

    // Hooked again: the chain still ends in the window's own procedure, once.
    Menus->PopupCorners = {TRect{0, 0, 4, 4}, TRect{36, 0, 40, 4}};
    Menus->HookPopupWnd(wnd, PopupCache[0].Bitmap.get());
    EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), hooked);
    ASSERT_NE(GetWindowRgn(wnd, region.get()), ERROR);
    EXPECT_FALSE(PtInRegion(region.get(), 3, 3));
    EXPECT_FALSE(PtInRegion(region.get(), 36, 0));
    EXPECT_TRUE(PtInRegion(region.get(), 4, 0));
    EXPECT_TRUE(SetWindowTextW(wnd, L"text"));
    wchar_t text[8] = {};
    GetWindowTextW(wnd, text, 8);
    EXPECT_STREQ(text, L"text");
    EXPECT_EQ(SendMessageW(wnd, WM_ERASEBKGND, 0, 0), 1);

    gRestoredAtNcDestroy = false;
    DestroyWindow(wnd);
    Wnd = nullptr;
    EXPECT_TRUE(gRestoredAtNcDestroy);
    EXPECT_TRUE(PopupCache.empty()) << "the popup's records went with its window";
}

TEST_F(SkinMenusTest, TheApplicationWindowAnswersThePopupMessages)
{
    ASSERT_EQ(DefaultSkinManager, Manager);
    const HWND app = Application->Handle();
    const HWND wnd = MakeWindow();
    const LONG_PTR own = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
    PopupCache.push_back({Item(0), Bitmap(40, 30), wnd, false});

    struct Case {
        const char* name;
        UINT msg;
        LPARAM lParam;
    };
    // None of these names a popup the cache can shape; each is still answered.
    const Case cases[] = {
        {"item, none", ItemShown, 0},
        {"window, none", WindowShown, 0},
        {"item not cached", ItemShown, reinterpret_cast<LPARAM>(Create<TMenuItem>(Popup))},
        {"pointer that is no item", ItemShown, 0x1234},
        {"cached item of a popup that is not shown", ItemShown, reinterpret_cast<LPARAM>(Item(1))},
        {"window not cached", WindowShown, reinterpret_cast<LPARAM>(app)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SendMessageW(app, c.msg, 0, c.lParam), 1);
        EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), own);
    }

    EXPECT_EQ(SendMessageW(app, WindowShown, 0, reinterpret_cast<LPARAM>(wnd)), 1);
    EXPECT_NE(GetWindowLongPtrW(wnd, GWLP_WNDPROC), own) << "the cached window is subclassed";

    Manager->SetSkinnedPopups(false);
    EXPECT_EQ(SendMessageW(app, ItemShown, 0, 0), 0) << "without skinned popups the hook stands aside";
}

// A skinned control's context menu takes the skin's look as it opens, as the manager's
// skinned-popups setting says, and none without a manager.
TEST_F(SkinMenusTest, AContextMenuOfASkinnedControlIsOwnerDrawnAsItOpens)
{
    Manager->SetSkinName(L"Wide");
    auto* control = Create<TWinControl>(nullptr);
    TsCommonData skinData(control, false);
    skinData.SetSkinManager(Manager);
    control->SetPopupMenu(Popup);
    TMessage contextMenu{WM_CONTEXTMENU, 0, 0, 0};
    struct Case {
        bool skinnedPopups;
        bool ownerDrawn;
    };
    for (const Case& c : {Case{true, true}, Case{false, false}, Case{true, true}}) {
        SCOPED_TRACE(c.skinnedPopups);
        Manager->SetSkinnedPopups(c.skinnedPopups);
        Popup->SetOwnerDraw(!c.ownerDrawn);
        EXPECT_FALSE(RouteSkinMessage(contextMenu, &skinData));
        EXPECT_EQ(Popup->OwnerDraw(), c.ownerDrawn);
    }
    skinData.SetSkinManager(nullptr);
    Popup->SetOwnerDraw(false);
    if (!DefaultSkinManager || DefaultSkinManager == Manager) {
        // Without any manager the menu keeps the platform's look.
        FreeAndNil(Manager);
        RouteSkinMessage(contextMenu, &skinData);
        EXPECT_FALSE(Popup->OwnerDraw());
    }
    control->SetPopupMenu<TPopupMenu>(nullptr);
    control->Free();
}

} // namespace
