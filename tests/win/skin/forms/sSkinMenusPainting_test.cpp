#include "skin/forms/sSkinMenus.h"

#include "skin/adapters/PopupMenuAdapter.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/controls/sButton.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/acDials.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "win/skin/core/SkinCommandRecorders.h"
#include "win/skin/forms/EngineUnits.h"
#include "win/skin/forms/SkinMenuTestSkin.h"
#include "win/support/AccessViolations.h"
#include "win/support/Pixels24.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace ks::test;

struct Counter {
    int extraLineCalls = 0;
    int drawn = 0;
    TsMenuItemType lastType = smTopLine;
    std::wstring caption = L"&Keys";
    bool glyph = false;
    void ExtraLine(TMenuItem*, std::string&, std::wstring& text, TBitmap*& bitmap, bool& visible)
    {
        ++extraLineCalls;
        text = caption;
        visible = true;
        if (glyph) {
            bitmap = new TBitmap;
            bitmap->SetSize(8, 8);
        }
    }
    void Drawn(TObject*, TCanvas* canvas, const TRect&, TOwnerDrawState, TsMenuItemType type)
    {
        ++drawn;
        lastType = type;
        EXPECT_NE(canvas, nullptr);
    }
};

class SkinMenusPainting : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Manager = NewSkinManager(Dir, L"Menus", MenuSkinArchive());
        Menus = Manager->SkinnableMenus();
        Popup = Create<TPopupMenu>(nullptr);
        for (const wchar_t* caption : {L"Open", L"-", L"Close"})
            Add(Popup->Items(), caption);
    }
    void TearDown() override
    {
        ClearMenuCache();
        // The painters ask the manager by post to look for popups they could not name.
        MSG msg;
        while (Application && PeekMessageW(&msg, Application->Handle(), 0xBCB3, 0xBCB4, PM_REMOVE)) {
        }
        FreeAndNil(Popup);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    TMenuItem* Add(TMenuItem* parent, const std::wstring& caption)
    {
        auto* item = Create<TMenuItem>(Popup ? static_cast<TComponent*>(Popup) : nullptr);
        item->SetCaption(caption);
        parent->Add(item);
        return item;
    }
    TMenuItem* Item(int i) const { return Popup->Items()->Items(i); }

    // The item painted as the popup (without a window) would paint it, into a white bitmap the
    // size of the popup's client area.
    std::unique_ptr<TBitmap> Paint(TMenuItem* item, int top, int height, TOwnerDrawState state)
    {
        Menus->OwnerDrawMenuItems(Popup, true);
        const TSize popup = Menus->PopupSizeOf(*Popup->Items());
        auto target = std::make_unique<TBitmap>();
        target->SetPixelFormat(pf24bit);
        target->SetSize(popup.cx - 6, popup.cy - 6);
        target->Canvas().Brush().SetColor(clWhite);
        target->Canvas().FillRect(TRect{0, 0, target->Width(), target->Height()});
        ItemRect = TRect{0, top, popup.cx - 6, top + height};
        item->AdvancedDrawItem(target->Canvas(), ItemRect, state, false);
        return target;
    }
    TBitmap* PopupBitmap() const { return PopupCache.empty() ? nullptr : PopupCache[0].Bitmap.get(); }

    TempFolder Dir;
    TsSkinManager* Manager = nullptr;
    TsSkinableMenus* Menus = nullptr;
    TPopupMenu* Popup = nullptr;
    TRect ItemRect;
    Counter Events;
};

TEST_F(SkinMenusPainting, ThePopupBackgroundHasTheSkinsFrameIconColumnAndCutCorners)
{
    Paint(Item(0), 0, 20, {});
    ASSERT_EQ(PopupCache.size(), 1u);
    TBitmap& bmp = *PopupBitmap();
    EXPECT_EQ(Menus->SkinBorderWidth(), 4);
    EXPECT_EQ(IconColumnWidth, 2 + 16 + 6);
    const int w = bmp.Width();
    const int h = bmp.Height();
    const int mid = h / 2;
    struct Case {
        const char* name;
        int x, y;
        TColor colour;
    };
    const Case cases[] = {
        {"key-coloured corner, cut from the window", 0, 0, TransparentKeyColor},
        {"top frame", 6, 1, FrameColor},
        {"left frame", 3, mid, FrameColor},
        {"right frame", w - 1, mid, FrameColor},
        {"bottom frame", w / 2, h - 2, FrameColor},
        {"icon column", 4 + 12, mid, IcoLineColor},
        {"right of the icon column", 4 + 24 + 2, mid, MainMenuColor},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MenuPixelAt(bmp, c.x, c.y), c.colour);
    }
    // The region is cut exactly at the mask's transparent corner pixels.
    const auto cut = [&](int x, int y) {
        return std::any_of(Menus->PopupCorners.begin(), Menus->PopupCorners.end(),
                           [&](const TRect& r) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; });
    };
    for (int y : {0, 1, 2, h - 3, h - 2, h - 1})
        for (int x : {0, 1, 2, w - 3, w - 2, w - 1}) {
            const int mx = x < 4 ? x : 11 - (w - 1 - x);
            const int my = y < 4 ? y : 11 - (h - 1 - y);
            EXPECT_EQ(cut(x, y), FrameCornerPixel(mx, my)) << x << "," << y;
        }
}

TEST_F(SkinMenusPainting, ItemsShowTheirStateFromTheSkin)
{
    auto glyph = Filled(16, 16, Get24Of(0x123456));

    struct Case {
        const char* name;
        TOwnerDrawState state;
        bool enabled, radio, ownGlyph;
        TColor right;      // the item's background, right of its text
        int checkX;        // a pixel of the check glyph's place
        TColor checkPlace; // what is painted there
    };
    const TColor blended = BlendedColor(ItemColor, MainMenuColor, 0.4);
    const TColor blendedOverColumn = BlendedColor(ItemColor, IcoLineColor, 0.4);
    const Case cases[] = {
        {"normal", {}, true, false, false, ItemColor, 4, ItemColor},
        {"hot", {odSelected}, true, false, false, ItemHotColor, 4, ItemHotColor},
        {"hot light is not a hot background", {odHotLight}, true, false, false, ItemColor, 4, ItemColor},
        {"disabled, blended 40 % with the popup", {odDisabled, odGrayed}, false, false, false, blended, 4,
         blendedOverColumn},
        {"disabled stays cold when selected", {odSelected}, false, false, false, blended, 4, blendedOverColumn},
        {"checked", {odChecked}, true, false, false, ItemColor, 4, BoxCheckedColors[0]},
        {"checked and hot", {odChecked, odSelected}, true, false, false, ItemHotColor, 4, BoxCheckedColors[1]},
        {"radio checked", {odChecked}, true, true, false, ItemColor, 4, RadioCheckedColors[0]},
        {"checked with its own glyph: a pressed plate, no check", {odChecked}, true, false, true, ItemColor, 1,
         PlatePressedColor},
        {"own glyph unchecked: no plate", {}, true, false, true, ItemColor, 1, ItemColor},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMenuItem* item = Item(0);
        item->SetEnabled(c.enabled);
        item->SetRadioItem(c.radio);
        item->SetBitmap(c.ownGlyph ? glyph.get() : nullptr);
        ClearMenuCache();
        auto bmp = Paint(item, 0, 20, c.state);
        EXPECT_EQ(MenuPixelAt(*bmp, ItemRect.Right - 3, 10), c.right);
        EXPECT_EQ(MenuPixelAt(*bmp, c.checkX, 10), c.checkPlace);
        if (c.ownGlyph) {
            EXPECT_EQ(MenuPixelAt(*bmp, 10, 10), TColor(0x123456));
            for (int x = 0; x < 20; ++x)
                EXPECT_NE(MenuPixelAt(*bmp, x, 10), BoxCheckedColors[0]) << x;
        }
    }
}

// A popup takes the mouse from whatever it last made hot, and a press that opened it may never
// see its release.
TEST_F(SkinMenusPainting, APopupTakesTheHotLookAndGivesHintsBack)
{
    HWND hot = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hot, nullptr);
    Manager->SetActiveControl(hot);
    Application->SetShowHint(false);
    SavedShowHint = true;
    HintsSuppressed = true;
    Paint(Item(0), 0, 20, {});
    EXPECT_EQ(Manager->ActiveControl, nullptr);
    EXPECT_TRUE(Application->ShowHint());
    EXPECT_FALSE(HintsSuppressed);

    Application->SetShowHint(false);
    Paint(Item(0), 0, 20, {});
    EXPECT_FALSE(Application->ShowHint()) << "hints the user turned off stay off";
    Application->SetShowHint(true);
    DestroyWindow(hot);
}

// Right to left only where the system lays menus out so and the menu asks for it: the glyph
// goes to the right edge, the short cut to the left.
TEST_F(SkinMenusPainting, RightToLeftMenusMirrorGlyphAndShortCut)
{
    auto glyph = Filled(16, 16, Get24Of(0x123456));
    TMenuItem* item = Item(0);
    item->SetBitmap(glyph.get());
    item->SetShortCut(scCtrl | 'O');
    Popup->SetBiDiMode(bdRightToLeft);
    static bool middleEast = false;
    ks::Sys().IsMiddleEastLocale = [] { return middleEast; };
    const auto inkIn = [](TBitmap& bmp, int x0, int x1) {
        int ink = 0;
        for (int x = std::max(x0, 0); x < std::min(x1, bmp.Width()); ++x)
            for (int y = 2; y < 18; ++y)
                ink += MenuPixelAt(bmp, x, y) != ItemColor && MenuPixelAt(bmp, x, y) != TColor(0x123456);
        return ink;
    };
    for (const bool rtl : {false, true}) {
        SCOPED_TRACE(rtl ? "middle-east locale" : "other locale");
        middleEast = rtl;
        ClearMenuCache();
        auto bmp = Paint(item, 0, 20, {});
        const int w = ItemRect.Width();
        EXPECT_EQ(MenuPixelAt(*bmp, 10, 10) == TColor(0x123456), !rtl);
        EXPECT_EQ(MenuPixelAt(*bmp, w - 10, 10) == TColor(0x123456), rtl);
        const int leftInk = inkIn(*bmp, 0, 40);
        const int rightInk = inkIn(*bmp, w - 40, w);
        if (rtl)
            EXPECT_GT(leftInk, 0) << "the short cut on the left";
        else
            EXPECT_GT(rightInk, 0) << "the short cut on the right";
    }
}

// A popup laid out right to left hands its items a mirrored DC: an item still reads left to
// right, its glyph first, as the popup lays it out.
TEST_F(SkinMenusPainting, AMirroredPopupsItemsReadLeftToRight)
{
    auto glyph = Filled(16, 16, Get24Of(0x123456));
    Item(0)->SetBitmap(glyph.get());
    const auto straight = Paint(Item(0), 0, 20, {});
    ClearMenuCache();
    auto mirrored = Filled(straight->Width(), straight->Height(), Get24Of(clWhite));
    SetLayout(mirrored->Canvas().Handle(), LAYOUT_RTL);
    Item(0)->AdvancedDrawItem(mirrored->Canvas(), ItemRect, {}, false);
    SetLayout(mirrored->Canvas().Handle(), 0);
    GdiFlush();
    EXPECT_EQ(MenuPixelAt(*mirrored, 10, 10), TColor(0x123456));
    int differ = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < straight->Width(); ++x)
            differ += MenuPixelAt(*straight, x, y) != MenuPixelAt(*mirrored, x, y);
    EXPECT_EQ(differ, 0);
}

TEST_F(SkinMenusPainting, DividersCaptionItemsAndTheDrawEvent)
{
    Menus->SetOnDrawItem(TsMenuManagerDrawItemEvent(&Events, &Counter::Drawn));
    Paint(Item(0), 0, 20, {});
    EXPECT_EQ(Events.drawn, 1);
    EXPECT_EQ(Events.lastType, smNormal);

    // Without a "DIVIDERV" image the divider is an etched line.
    auto divider = Paint(Item(1), 20, 2, {});
    EXPECT_EQ(MenuPixelAt(*divider, 30, 20), TColor(0x808080));
    EXPECT_EQ(MenuPixelAt(*divider, 30, 21), TColor(0xFFFFFF));
    EXPECT_EQ(CurrentItemType, smDivider);

    TMenuItem* title = Add(Popup->Items(), L"-Tools and more-");
    ClearMenuCache();
    auto caption = Paint(title, 0, 20, {});
    EXPECT_EQ(MenuPixelAt(*caption, 2, 2), ToolbarColor);
    EXPECT_EQ(CurrentItemType, smCaption);
    EXPECT_EQ(Events.drawn, 1) << "only normal items are handed to OnDrawItem";
    EXPECT_EQ(CaptionItemText(L"-Tools and more-"), L"Tools");
    EXPECT_EQ(CaptionItemText(L"--"), L"");
}

TEST_F(SkinMenusPainting, CaptionsAreLaidOutByTheirRules)
{
    const auto inkRange = [](TBitmap& bmp, int y0, int y1, TColor background) {
        int left = bmp.Width();
        int right = -1;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if (MenuPixelAt(bmp, x, y) != background) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return std::pair{left, right};
    };
    const int indent = 16 + 2 * 2 + 6;
    Item(0)->SetCaption(L"Left");
    auto plain = Paint(Item(0), 0, 20, {});
    const auto [plainLeft, plainRight] = inkRange(*plain, 0, 20, ItemColor);
    EXPECT_GE(plainLeft, indent);
    EXPECT_LE(plainLeft, indent + 3);

    // A leading backspace: the caption without it, right-aligned, six blanks from the edge.
    Item(0)->SetCaption(L"\bLeft");
    ClearMenuCache();
    auto right = Paint(Item(0), 0, 20, {});
    const auto [rightLeft, rightRight] = inkRange(*right, 0, 20, ItemColor);
    TCanvas probe;
    probe.SetHandle(right->Canvas().Handle());
    probe.Font().Assign(Screen->MenuFont());
    const int blanks = probe.TextWidth(L"      ");
    probe.SetHandle(nullptr);
    EXPECT_NEAR(rightRight, ItemRect.Right - 1 - blanks, 2);
    EXPECT_EQ(rightRight - rightLeft, plainRight - plainLeft) << "the same text, moved";

    // The accelerator is underlined unless the system says the keyboard cues are hidden.
    const auto ink = [](TBitmap& bmp) {
        int count = 0;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                count += MenuPixelAt(bmp, x, y) != ItemColor && MenuPixelAt(bmp, x, y) != clWhite;
        return count;
    };
    Item(0)->SetCaption(L"&Open");
    ClearMenuCache();
    auto underlined = Paint(Item(0), 0, 20, {});
    ClearMenuCache();
    auto hidden = Paint(Item(0), 0, 20, {odNoAccel});
    Item(0)->SetCaption(L"Open");
    ClearMenuCache();
    auto plainOpen = Paint(Item(0), 0, 20, {});
    EXPECT_GT(ink(*underlined), ink(*hidden));
    EXPECT_EQ(ink(*hidden), ink(*plainOpen));

    // A short cut ends 8 pixels before the item's right edge.
    Item(0)->SetCaption(L"L");
    Item(0)->SetShortCut(scCtrl | 'C');
    ClearMenuCache();
    auto shortCut = Paint(Item(0), 0, 20, {});
    const auto [scLeft, scRight] = inkRange(*shortCut, 0, 20, ItemColor);
    EXPECT_LE(scRight, ItemRect.Right - 8);
    EXPECT_GE(scRight, ItemRect.Right - 12);
}

// Whether the system has a font of this name (and not only a stand-in for it).
bool HasFont(const wchar_t* name)
{
    ks::GdiFont font(CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, name));
    ks::MemoryDC dc = ks::MemoryDC::Compatible(nullptr);
    const HGDIOBJ old = SelectObject(dc.get(), font.get());
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc.get(), LF_FACESIZE, face);
    SelectObject(dc.get(), old);
    return std::wstring_view(face) == name;
}

TEST_F(SkinMenusPainting, TheSystemMenuShowsSymbolsOnlyForWindowCommands)
{
    // The Wine session provides Marlett (tools/wine-session); without a symbol font nothing
    // here could tell a symbol from a missing one.
    ASSERT_TRUE(HasFont(L"Webdings") || HasFont(L"Marlett")) << "no symbol font for the window commands";
    Popup->SetName("SysMenu");
    Item(0)->SetTag(SC_CLOSE);
    Item(2)->SetTag(12345);
    for (TMenuItem* item : {Item(0), Item(2)}) {
        SCOPED_TRACE(item->Tag());
        ClearMenuCache();
        auto bmp = Paint(item, 0, 20, {});
        int ink = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                ink += MenuPixelAt(*bmp, x, y) != ItemColor;
        EXPECT_EQ(ink > 0, item->Tag() == SC_CLOSE);
    }
}

TEST_F(SkinMenusPainting, ASkinWithoutItemSectionStillShowsTheCaptions)
{
    Dir.Write(L"NoItems.asz", MenuSkinArchive(false));
    Manager->SetSkinName(L"NoItems");
    ASSERT_LT(Manager->FindSection("MENUITEM"), 0);
    Item(0)->SetCaption(L"WWWW");
    ClearMenuCache();
    auto bmp = Paint(Item(0), 0, 20, {});
    int ink = 0;
    for (int y = 2; y < 18; ++y)
        for (int x = IconColumnWidth + 4; x < bmp->Width() - 4; ++x)
            ink += MenuPixelAt(*bmp, x, y) != TColor(0xFFFFFF);
    EXPECT_GT(ink, 20) << "the caption in the system's menu text colour";
}

TEST_F(SkinMenusPainting, MeasuringFollowsTheSkinMetrics)
{
    ks::WindowDC screen(nullptr);
    TCanvas canvas;
    canvas.SetHandle(screen.get());
    canvas.Font().Assign(Screen->MenuFont());
    const int scaled = RoundHalfEven(1.25 * canvas.TextHeight(L"W"));
    Menus->OwnerDrawMenuItems(Popup, true);
    TMenuItem* title = Add(Popup->Items(), L"-Title-");
    title->SetOnMeasureItem(Item(0)->OnMeasureItem());
    auto big = std::make_unique<TBitmap>();
    big->SetSize(30, 40);
    TMenuItem* tall = Add(Popup->Items(), L"Tall");
    tall->SetOnMeasureItem(Item(0)->OnMeasureItem());
    tall->SetBitmap(big.get());
    struct Case {
        const char* name;
        TMenuItem* item;
        int margin;
        int height;
    };
    const Case cases[] = {
        {"divider", Item(1), 2, 2},
        {"divider, wide margin", Item(1), 9, 2},
        {"normal", Item(0), 2, std::max(scaled, 16) + 4},
        {"normal, wide margin", Item(0), 9, std::max(scaled, 16) + 18},
        {"caption item", title, 3, scaled + 6},
        {"tall glyph", tall, 2, std::max(scaled, 40) + 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Menus->SetMargin(c.margin);
        int w = 0;
        int h = 0;
        c.item->MeasureItem(canvas, w, h);
        EXPECT_EQ(h, c.height);
        EXPECT_TRUE(SkinnedPopupShowing);
    }
    Menus->SetMargin(2);

    // The extra line widens every item, unless the popup has a second column.
    const auto width = [&] {
        int w = 0;
        int h = 0;
        Item(0)->MeasureItem(canvas, w, h);
        return w;
    };
    const int plain = width();
    Manager->MenuSupport()->SetUseExtraLine(true);
    EXPECT_EQ(width(), plain + 32);
    Item(2)->SetBreak(mbBreak);
    EXPECT_EQ(width(), plain);
    Manager->MenuSupport()->SetUseExtraLine(false);
    canvas.SetHandle(nullptr);

    // Thousands of characters are measured no wider than a window can be, and painted into a
    // bitmap no wider than the screen; an empty caption measures like any.
    Item(0)->SetCaption(std::wstring(20000, L'W'));
    canvas.SetHandle(screen.get());
    EXPECT_LE(width(), 32767);
    canvas.SetHandle(nullptr);
    Paint(Item(0), 0, 20, {});
    ASSERT_NE(PopupBitmap(), nullptr);
    EXPECT_LE(PopupBitmap()->Width(), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    canvas.SetHandle(screen.get());
    Item(0)->SetCaption(L"");
    int w = 0;
    int h = 0;
    Item(0)->MeasureItem(canvas, w, h);
    EXPECT_EQ(h, std::max(scaled, 16) + 4);
    canvas.SetHandle(nullptr);
}

TEST_F(SkinMenusPainting, TheExtraLineBandAndItsEvent)
{
    Manager->MenuSupport()->SetUseExtraLine(true);
    // Without a handler the band asks for one, in the "EXTRALINE" section.
    auto bmp = Paint(Item(0), 0, 20, {});
    ASSERT_EQ(PopupCache.size(), 1u);
    EXPECT_TRUE(PopupCache[0].ExtraLineShown);
    EXPECT_EQ(ExtraLineCaption, L"Use OnGetExtraLineData event");
    EXPECT_EQ(MenuPixelAt(*PopupBitmap(), 4 + 1, 6), ExtraLineColor);
    EXPECT_EQ(MenuPixelAt(*bmp, ItemRect.Right - 3, 10), ItemColor);
    EXPECT_EQ(MenuPixelAt(*bmp, 32 + 30, 2), ItemColor) << "the item starts after the band";

    Manager->SetOnGetMenuExtraLineData(TacGetExtraLineData(&Events, &Counter::ExtraLine));
    struct Case {
        const char* name;
        const char* firstName;
        bool glyph;
        bool secondColumn;
        int calls;
        bool shown;
    };
    const Case cases[] = {
        {"handler with a glyph the engine takes", "N1", true, false, 1, true},
        {"handler, no glyph", "N1", false, false, 1, true},
        {"skin list popup", "SkinSelectItem", false, false, 0, false},
        {"second column: no band in the items", "N1", false, true, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Item(0)->SetName(c.firstName);
        Item(2)->SetBreak(c.secondColumn ? mbBreak : mbNone);
        Events.extraLineCalls = 0;
        Events.glyph = c.glyph;
        ClearMenuCache();
        auto painted = Paint(Item(0), 0, 20, {});
        EXPECT_EQ(Events.extraLineCalls > 0, c.calls > 0);
        ASSERT_EQ(PopupCache.size(), 1u);
        EXPECT_EQ(PopupCache[0].ExtraLineShown, c.shown);
        if (c.calls) {
            EXPECT_EQ(ExtraLineCaption, L"Keys") << "accelerator marks go";
        }
        EXPECT_EQ(ExtraLineGlyph, nullptr) << "the glyph is freed once drawn";
        const bool band = c.shown && !c.secondColumn;
        EXPECT_EQ(MenuPixelAt(*painted, 5, 2) != ItemColor, band);
    }
}

TEST_F(SkinMenusPainting, MenuLineItemsPaintOverTheProvidersImage)
{
    auto* menu = Create<TMainMenu>(nullptr);
    auto* file = Create<TMenuItem>(menu);
    file->SetCaption(L"&File");
    menu->Items()->Add(file);
    Menus->SetUpMainMenu(menu, true);
    ASSERT_TRUE(menu->OwnerDraw());

    ks::WindowDC screen(nullptr);
    TCanvas canvas;
    canvas.SetHandle(screen.get());
    canvas.Font().Assign(Screen->MenuFont());
    int w = 0;
    int h = 0;
    file->MeasureItem(canvas, w, h);
    EXPECT_EQ(h, GetSystemMetrics(SM_CYMENU) - 1);
    EXPECT_EQ(w, canvas.TextWidth(L"File"));
    canvas.SetHandle(nullptr);

    // A stand-in for the form's provider and its menu-line image.
    static TBitmap* line = nullptr;
    auto lineBmp = std::make_unique<TBitmap>();
    lineBmp->SetPixelFormat(pf24bit);
    lineBmp->SetSize(200, 20);
    lineBmp->Canvas().Brush().SetColor(MenuLineColor);
    lineBmp->Canvas().FillRect(TRect{0, 0, 200, 20});
    line = lineBmp.get();
    int provider = 0;
    struct Case {
        const char* name;
        bool withProvider;
        bool enabled;
        TOwnerDrawState state;
        TColor edge;
    };
    const Case cases[] = {
        {"no provider: nothing painted", false, true, {}, clWhite},
        {"normal", true, true, {}, ItemColor},
        {"selected", true, true, {odSelected}, ItemHotColor},
        {"hot light", true, true, {odHotLight}, ItemHotColor},
        {"disabled", true, false, {}, BlendedColor(ItemColor, MenuLineColor, 102.0 / 255.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MDISkinProvider = c.withProvider ? reinterpret_cast<TsSkinProvider*>(&provider) : nullptr;
        ProviderMenuLine = [](TsSkinProvider*, const MenuLineItemPaint&) { return MenuLineImage{line, TPoint{0, 0}}; };
        file->SetEnabled(c.enabled);
        TBitmap target;
        target.SetPixelFormat(pf24bit);
        target.SetSize(80, 20);
        target.Canvas().Brush().SetColor(clWhite);
        target.Canvas().FillRect(TRect{0, 0, 80, 20});
        file->AdvancedDrawItem(target.Canvas(), TRect{10, 0, 70, 19}, c.state, true);
        EXPECT_EQ(MenuPixelAt(target, 11, 10), c.edge);
    }
    MDISkinProvider = nullptr;
    ProviderMenuLine = nullptr;
    Menus->SetUpMainMenu(menu, false);
    EXPECT_FALSE(file->OnAdvancedDrawItem());
    menu->Free();
}

// A form's answer to the provider question is used only when it names one of the form's own
// components: anything else paints nothing rather than being taken for a provider.
TEST_F(SkinMenusPainting, AMenuLineItemOfAFormWithoutAProviderPaintsNothing)
{
    TRecForm* form = ks::test::MakeForm("Form", true);
    TComponent* stranger = Create<TComponent>(nullptr);
    form->R.Provider = stranger;
    auto* menu = Create<TMainMenu>(form);
    auto* file = Create<TMenuItem>(menu);
    file->SetCaption(L"&File");
    menu->Items()->Add(file);
    menu->SetWindowHandle(form->Handle());
    Menus->SetUpMainMenu(menu, true);
    static int calls = 0;
    calls = 0;
    ProviderMenuLine = [](TsSkinProvider*, const MenuLineItemPaint&) {
        ++calls;
        return MenuLineImage{nullptr, TPoint{0, 0}};
    };
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(80, 20);
    file->AdvancedDrawItem(target.Canvas(), TRect{10, 0, 70, 19}, {}, true);
    EXPECT_EQ(calls, 0);
    ProviderMenuLine = nullptr;
    menu->SetWindowHandle(nullptr);
    form->Free();
    stranger->Free();
}

TEST_F(SkinMenusPainting, MessagesAndDCsThatAreNotOursChangeNothing)
{
    Menus->OwnerDrawMenuItems(Popup, true);
    const HWND list = PopupList().Window();
    ks::MemoryDC memory = ks::MemoryDC::Compatible(nullptr);
    struct Case {
        const char* name;
        UINT itemID;
        ULONG_PTR itemData;
    };
    const Case cases[] = {
        {"unknown id", 0xFFFE, 0},
        {"unknown id, data of another program", 0xFFFD, 0xDEADBEEF},
        {"no id", 0, 0x1234},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MEASUREITEMSTRUCT mis{ODT_MENU, 0, c.itemID, 0, 0, c.itemData};
        SendMessageW(list, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
        EXPECT_EQ(mis.itemWidth, 0u);
        DRAWITEMSTRUCT dis{ODT_MENU, 0, c.itemID, ODA_DRAWENTIRE, 0, nullptr, memory.get(), {0, 0, 50, 20}, c.itemData};
        SendMessageW(list, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
        EXPECT_TRUE(PopupCache.empty());
    }

    // An item painted into another window's DC does not take that window over.
    const HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 30, nullptr, nullptr, nullptr, nullptr);
    const LONG_PTR own = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
    ks::WindowDC dc(wnd);
    TCanvas canvas;
    canvas.SetHandle(dc.get());
    Item(0)->AdvancedDrawItem(canvas, TRect{0, 0, 100, 20}, {}, false);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), own);
    EXPECT_EQ(PopupCache.size(), 1u);
    EXPECT_EQ(PopupCache[0].Wnd, nullptr);
    DestroyWindow(wnd);
}

TEST_F(SkinMenusPainting, AFreedEngineLeavesNoHandlerBehind)
{
    // A popup the application's walk would not find: only the engine's own record reaches it.
    Menus->OwnerDrawMenuItems(Popup, true);
    TMenuItem* freed = Add(Popup->Items(), L"gone");
    Menus->OwnerDrawMenuItems(Popup, true);
    freed->Free();
    ASSERT_TRUE(Item(0)->OnAdvancedDrawItem());
    FreeAndNil(Manager);
    for (int i = 0; i < Popup->Items()->Count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(Item(i)->OnAdvancedDrawItem());
        EXPECT_FALSE(Item(i)->OnMeasureItem());
    }
}


// Handlers of the application that free what the engine is drawing or measuring: the item, the
// popup's first item, or the skin manager (and with it the menu engine). Run under Wine's
// freed-memory checking, so any later read of freed memory faults and fails the test.
class SkinMenusLifetime : public SkinMenusPainting {
protected:
    struct Freeing {
        TMenuItem* item = nullptr;
        TsSkinManager** manager = nullptr;
        int calls = 0;
        void Free()
        {
            ++calls;
            if (item)
                std::exchange(item, nullptr)->Free();
            if (manager)
                FreeAndNil(*std::exchange(manager, nullptr));
        }
        void Drawn(TObject*, TCanvas*, const TRect&, TOwnerDrawState, TsMenuItemType) { Free(); }
        void ExtraLine(TMenuItem*, std::string&, std::wstring&, TBitmap*& glyph, bool&)
        {
            glyph = new TBitmap;
            glyph->SetSize(8, 8);
            Free();
        }
    };
    Freeing Handler;
};

TEST_F(SkinMenusLifetime, HandlersMayFreeTheItemTheFirstItemOrTheManager)
{
    struct Case {
        const char* name;
        bool drawEvent;  // else the extra-line event
        int freedItem;   // -1: the manager goes
        int paintedItem;
    };
    const Case cases[] = {
        {"OnDrawItem frees the item it draws", true, 0, 0},
        {"OnDrawItem frees the manager", true, -1, 0},
        {"the extra-line event frees the popup's first item, which is drawn", false, 0, 0},
        {"the extra-line event frees the popup's first item, another is drawn", false, 0, 2},
        {"the extra-line event frees the manager", false, -1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearMenuCache();
        if (!Manager) {
            Manager = NewSkinManager(Dir, L"Menus", MenuSkinArchive());
            Menus = Manager->SkinnableMenus();
        }
        while (Popup->Items()->Count() > 0)
            Item(0)->Free();
        for (const wchar_t* caption : {L"Open", L"Close", L"More"})
            Add(Popup->Items(), caption);
        Manager->MenuSupport()->SetUseExtraLine(true);
        Handler = {};
        TMenuItem* painted = Item(c.paintedItem);
        Menus->OwnerDrawMenuItems(Popup, true);
        const TSize popup = Menus->PopupSizeOf(*Popup->Items());
        const TMenuItem* freed = c.freedItem >= 0 ? Item(c.freedItem) : nullptr;
        if (freed)
            Handler.item = Item(c.freedItem);
        else
            Handler.manager = &Manager;
        if (c.drawEvent)
            Menus->SetOnDrawItem(TsMenuManagerDrawItemEvent(&Handler, &Freeing::Drawn));
        else
            Manager->SetOnGetMenuExtraLineData(TacGetExtraLineData(&Handler, &Freeing::ExtraLine));
        TBitmap target;
        target.SetPixelFormat(pf24bit);
        target.SetSize(popup.cx, popup.cy);
        const ks::test::AccessViolations faults;
        painted->AdvancedDrawItem(target.Canvas(), TRect{0, 0, popup.cx - 6, 20}, {}, false);
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_GE(Handler.calls, 1);
        EXPECT_EQ(ExtraLineGlyph, nullptr) << "the glyph handed over is freed";
        if (!c.drawEvent) {
            for (const PopupCacheRec& rec : PopupCache)
                EXPECT_NE(rec.FirstItem, freed) << "no record of a first item freed before it was made";
        }
        if (Manager)
            Manager->SetOnGetMenuExtraLineData({});
        if (Manager)
            Manager->SkinnableMenus()->SetOnDrawItem({});
    }
}

} // namespace
