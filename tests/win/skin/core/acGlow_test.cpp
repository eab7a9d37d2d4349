#include "skin/core/acGlow.h"

#include "host/support/SmallPng.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "win/skin/core/SkinTestFiles.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

using ks::test::TempFolder;

// Glow images are 24 x 24 cells with 8-pixel sides. GLOWING's is orange seen through a mask row
// that is 255 (all background) on the outer edge and falls by 255 / 8 per pixel towards the
// control; KEYED's is green on the inner half of each side and the key colour outside it.
constexpr TColor Orange = 0x0080FF;
constexpr TColor Green = 0x00C000;
constexpr TColor Key = 0xFF00FF;

// How far (0..8) a pixel of a cell lies outside the cell's centre square.
int Outside(int x, int y)
{
    const int dx = std::max({8 - x, x - 15, 0}), dy = std::max({8 - y, y - 15, 0});
    return std::max(dx, dy);
}

int MaskOf(int x, int y)
{
    return Outside(x, y) * 255 / 8;
}

std::vector<uint8_t> Master()
{
    return ks::test::Bmp24(48, 48, [](int x, int y) -> TColor {
        if (x < 24)
            return y < 24 ? Orange : static_cast<TColor>(MaskOf(x, y - 24) * 0x010101);
        return y < 24 && Outside(x - 24, y) <= 4 ? Green : Key;
    });
}

constexpr std::string_view Options =
    "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\n"
    "[GLOWING]\r\nGLOW=1\r\nGLOW0=^0000^0000^0024^0048^0008^0008^0008^0008^1^1^0^0\r\n"
    "[KEYED]\r\nGLOW=1\r\nGLOWMARGIN=3\r\nGLOW0=^0024^0000^0048^0024^0008^0008^0008^0008^1^0^0^0\r\n"
    "[INHERITS]\r\nPARENTCLASS=GLOWING\r\nGLOW=1\r\n"
    "[PLAIN]\r\nGLOW=1\r\n"
    "[DIM]\r\nGLOW=0\r\nGLOW0=^0000^0000^0024^0048^0008^0008^0008^0008^1^1^0^0\r\n";

// What the system was asked to show: the last halo handed to UpdateLayeredWindow.
struct Shown {
    HWND Wnd = nullptr;
    SIZE Size{};
    std::vector<uint32_t> Pixels;  // top row first, 0xAARRGGBB
};
Shown gShown;

BOOL WINAPI RecordLayered(HWND wnd, HDC, POINT*, SIZE* size, HDC src, POINT*, COLORREF, BLENDFUNCTION*, DWORD)
{
    gShown = {wnd, *size, {}};
    DIBSECTION dib{};
    GetObjectW(GetCurrentObject(src, OBJ_BITMAP), sizeof dib, &dib);
    const auto* bits = static_cast<const uint8_t*>(dib.dsBm.bmBits);
    for (int y = 0; y < size->cy; ++y) {
        const int row = dib.dsBmih.biHeight > 0 ? dib.dsBm.bmHeight - 1 - y : y;
        const auto* p = reinterpret_cast<const uint32_t*>(bits + static_cast<ptrdiff_t>(row) * dib.dsBm.bmWidthBytes);
        gShown.Pixels.insert(gShown.Pixels.end(), p, p + size->cx);
    }
    return TRUE;
}

// A pixel as the bitmap stores it: 0xAARRGGBB.
uint32_t Raw32(TBitmap& b, int x, int y)
{
    uint32_t p = 0;
    std::memcpy(&p, b.ScanLine(y) + 4 * x, 4);
    return p;
}

TRect WindowRectOf(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}

// A straight-alpha RGBA picture of a premultiplied halo, to be looked at.
void WriteForViewing(TBitmap& halo, const char* name)
{
    std::vector<uint8_t> samples;
    for (int y = 0; y < halo.Height(); ++y)
        for (int x = 0; x < halo.Width(); ++x) {
            const uint32_t p = Raw32(halo, x, y), a = p >> 24;
            for (int shift : {16, 8, 0})
                samples.push_back(static_cast<uint8_t>(a ? std::min<uint32_t>(255, (p >> shift & 0xFF) * 255 / a) : 0));
            samples.push_back(static_cast<uint8_t>(a));
        }
    const std::vector<uint8_t> png = ks::test::MakeSmallPng(halo.Width(), halo.Height(), 6, samples);
    std::ofstream(std::string(KS_BUILD_DIR) + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

class TGlowBox : public TScrollingWinControl {
public:
    explicit TGlowBox(TComponent* owner) : TScrollingWinControl(owner), SkinData(std::make_unique<TsCommonData>(this, true)) {}
    std::unique_ptr<TsCommonData> SkinData;
    void WndProc(TMessage& m) override
    {
        if (!RouteSkinMessage(m, SkinData.get()))
            TScrollingWinControl::WndProc(m);
    }
};

// A windowless control: its halo is placed from where its parent shows it.
class TGlowSpot : public TGraphicControl {
public:
    explicit TGlowSpot(TComponent* owner) : TGraphicControl(owner), SkinData(std::make_unique<TsCommonData>(this, true)) {}
    std::unique_ptr<TsCommonData> SkinData;
};

class GlowTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        RealLayered = ks::Sys().UpdateLayeredWindowPtr;
        ks::Sys().UpdateLayeredWindowPtr = &RecordLayered;
        Manager = ks::test::NewSkinManager(Dir, L"Test", ks::test::SkinArchive(Options, Master()));
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(50, 60, 300, 200);
        Form->HandleNeeded();
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        FreeAllGlowEffects();
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    int Show(const TRect& r, const TRect& visible, std::string_view section = "GLOWING", int margin = 0,
             HWND parent = nullptr)
    {
        return ShowGlowEffect(r, visible, section, "GLOW", margin, 255, parent, Manager);
    }

    TGlowBox* Box(TWinControl* parent, const std::string& section, TRect bounds)
    {
        auto* box = Create<TGlowBox>(Form);
        box->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        box->SetParent(parent);
        box->HandleNeeded();
        box->SkinData->SetSkinSection(section);
        box->SkinData->Loaded();
        return box;
    }

    TempFolder Dir;
    TsSkinManager* Manager = nullptr;
    TForm* Form = nullptr;
    decltype(ks::Platform::UpdateLayeredWindowPtr) RealLayered = nullptr;
};

TEST_F(GlowTest, IdsCountOnUntilAllGlowsAreFreed)
{
    const TRect r{100, 100, 160, 130}, all{0, 0, 60, 30};
    EXPECT_EQ(Show(r, all), 0);
    EXPECT_EQ(Show(r, all), 1);
    const HWND first = GlowEffects[0]->Form->Handle();
    HideGlowEffect(0);
    EXPECT_FALSE(IsWindowVisible(first)) << "a hidden halo leaves the screen at once";
    for (int ignored : {0, -1, 2, 99})
        HideGlowEffect(ignored);
    ASSERT_EQ(GlowEffects.size(), 2u);
    EXPECT_TRUE(GlowEffects[1] && IsWindowVisible(GlowEffects[1]->Form->Handle()));
    EXPECT_EQ(Show(r, all), 2);
    EXPECT_EQ(GlowEffects[2]->Form->Handle(), first) << "the next halo takes the hidden window";
    const HWND second = GlowEffects[1]->Form->Handle();
    HideGlowEffect(2);
    HideGlowEffect(1);
    Pump();
    EXPECT_FALSE(IsWindow(second)) << "a hidden window beyond the one kept is freed once the queue runs";
    EXPECT_TRUE(IsWindow(first) && !IsWindowVisible(first));

    FreeAllGlowEffects();
    EXPECT_TRUE(GlowEffects.empty());
    EXPECT_EQ(Show(r, all), 0);
}

TEST_F(GlowTest, NothingIsShownWithoutAnImageLayeredWindowsOrAVisiblePart)
{
    struct Case {
        const char* name;
        std::string_view section;
        TRect r, visible;
        int margin;
        bool layered;
    } const cases[] = {
        {"NoImage", "PLAIN", {0, 0, 60, 30}, {0, 0, 60, 30}, 0, true},
        {"ParentSectionsImageIsNotUsed", "INHERITS", {0, 0, 60, 30}, {0, 0, 60, 30}, 0, true},
        {"NoLayeredWindows", "GLOWING", {0, 0, 60, 30}, {0, 0, 60, 30}, 0, false},
        {"NothingVisible", "GLOWING", {0, 0, 60, 30}, {0, 0, 0, 0}, 0, true},
        {"ScrolledOutOfView", "GLOWING", {0, 0, 60, 30}, {60, 0, 60, 30}, 0, true},
        {"EmptyControl", "GLOWING", {10, 10, 10, 40}, {0, 0, 0, 30}, 0, true},
        {"MarginWiderThanTheHalo", "GLOWING", {0, 0, 2, 2}, {0, 0, 2, 2}, 10, true},
        {"HugeNegativeMargin", "GLOWING", {0, 0, 60, 30}, {0, 0, 60, 30}, -2000000000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.layered)
            ks::Sys().UpdateLayeredWindowPtr = nullptr;
        EXPECT_EQ(Show(c.r, c.visible, c.section, c.margin), -1);
        EXPECT_TRUE(GlowEffects.empty());
        ks::Sys().UpdateLayeredWindowPtr = &RecordLayered;
    }
}

// R = (100, 100, 160, 130) with 8-pixel image sides: the whole halo is 76 x 46 at (92, 92).
TEST_F(GlowTest, APartlyVisibleControlGetsItsHaloCutAndMovedByTheCut)
{
    struct Case {
        const char* name;
        int margin;
        TRect visible;
        TRect window;
        TPoint from;  // where the shown picture starts in the whole halo
    } const cases[] = {
        {"WhollyVisible", 0, {0, 0, 60, 30}, {92, 92, 168, 138}, {0, 0}},
        {"LeftCut", 0, {20, 0, 60, 30}, {120, 92, 168, 138}, {28, 0}},
        {"RightCut", 0, {0, 0, 40, 30}, {92, 92, 140, 138}, {0, 0}},
        {"TopAndBottomCut", 0, {0, 5, 60, 25}, {92, 105, 168, 125}, {0, 13}},
        {"BothSidesCut", 0, {20, 0, 40, 30}, {120, 92, 140, 138}, {28, 0}},
        {"Margin3", 3, {0, 0, 60, 30}, {95, 95, 165, 135}, {0, 0}},
        {"Margin3RightCut", 3, {0, 0, 57, 30}, {95, 95, 157, 135}, {0, 0}},
        {"MarginPullsTheHaloInsideTheCut", 10, {1, 0, 60, 30}, {102, 102, 158, 128}, {0, 0}},
    };
    const TRect r{100, 100, 160, 130};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TacGlowEffect whole;
        whole.Manager = Manager;
        whole.MaskIndex = Manager->FindMaskOwnOnly("GLOWING", "GLOW0");
        whole.PrepareBitmap(76 - 2 * c.margin, 46 - 2 * c.margin);

        const int id = Show(r, c.visible, "GLOWING", c.margin);
        ASSERT_GE(id, 0);
        const HWND wnd = GlowEffects[static_cast<size_t>(id)]->Form->Handle();
        EXPECT_EQ(WindowRectOf(wnd), c.window);
        ASSERT_EQ(gShown.Wnd, wnd);
        ASSERT_EQ(gShown.Size.cx, c.window.Width());
        ASSERT_EQ(gShown.Size.cy, c.window.Height());
        for (int y = 0; y < c.window.Height(); ++y)
            for (int x = 0; x < c.window.Width(); ++x)
                ASSERT_EQ(gShown.Pixels[static_cast<size_t>(y * c.window.Width() + x)],
                          Raw32(*whole.Bitmap, x + c.from.X, y + c.from.Y)) << x << "," << y;
        EXPECT_EQ(GetWindowLongW(wnd, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), WS_EX_LAYERED | WS_EX_TOOLWINDOW);
        EXPECT_TRUE(IsWindowVisible(wnd));
        EXPECT_EQ(GlowEffects[static_cast<size_t>(id)]->Form->Tag(), -98);
        EXPECT_FALSE(GlowEffects[static_cast<size_t>(id)]->Bitmap) << "the window holds the picture now";
        FreeAllGlowEffects();
    }
}

// The halo's alpha is what shows of the image over any background, premultiplied: the outer edge
// fully transparent, the inner edge nearly opaque, nothing over the control itself.
TEST_F(GlowTest, ThePreparedHaloIsTheImageWithPremultipliedAlpha)
{
    constexpr int W = 40, H = 30;
    std::unique_ptr<TBitmap> glowing;
    for (std::string_view section : {"GLOWING", "KEYED"}) {
        SCOPED_TRACE(std::string(section));
        TacGlowEffect effect;
        effect.Manager = Manager;
        effect.MaskIndex = Manager->FindMaskOwnOnly(section, "GLOW0");
        effect.PrepareBitmap(W, H);
        ASSERT_EQ(effect.Bitmap->PixelFormat(), pf32bit);
        if (section == "GLOWING")
            glowing = NewBitmap32(W, H), glowing->Assign(effect.Bitmap.get());
        auto cell = [](int v, int size) { return v < 8 ? v : v >= size - 8 ? 16 + v - (size - 8) : 8 + (v - 8) % 8; };
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const uint32_t p = Raw32(*effect.Bitmap, x, y);
                const int a = static_cast<int>(p >> 24);
                const int channel[3] = {static_cast<int>(p & 0xFF), static_cast<int>(p >> 8 & 0xFF),
                                        static_cast<int>(p >> 16 & 0xFF)};  // blue, green, red
                const bool centre = x >= 8 && x < W - 8 && y >= 8 && y < H - 8;
                const int cx = cell(x, W), cy = cell(y, H);
                if (section == "KEYED") {
                    const bool shown = !centre && Outside(cx, cy) <= 4;
                    ASSERT_EQ(p, shown ? 0xFF00C000u : 0u) << x << "," << y;
                    continue;
                }
                const int opacity = centre ? 0 : 255 - MaskOf(cx, cy);
                if (opacity == 0) {
                    ASSERT_EQ(p, 0u) << x << "," << y;
                    continue;
                }
                ASSERT_NEAR(a, opacity, 2) << x << "," << y;
                const int expected[3] = {0, 0x80 * opacity / 255, 0xFF * opacity / 255};
                for (int c = 0; c < 3; ++c) {
                    ASSERT_NEAR(channel[c], expected[c], 2) << x << "," << y << " channel " << c;
                    ASSERT_LE(channel[c], a) << "premultiplied colour never exceeds its alpha";
                }
            }
    }
    WriteForViewing(*glowing, "glow_halo.png");

    TacGlowEffect none;
    none.Manager = Manager;
    none.PrepareBitmap(W, H);
    EXPECT_EQ(Raw32(*none.Bitmap, 0, 0), 0u);
    none.PrepareBitmap(0, -5);
    EXPECT_TRUE(none.Bitmap->Empty());
}

TEST_F(GlowTest, ClicksPassThroughTheHaloAndATopmostParentKeepsItOnTop)
{
    ks::Sys().UpdateLayeredWindowPtr = RealLayered;
    Form->Show();
    const TRect client = WindowRectOf(Form->Handle());
    const TRect r{client.Left + 40, client.Top + 60, client.Left + 100, client.Top + 90};
    const int id = Show(r, {0, 0, 60, 30}, "GLOWING", 0, Form->Handle());
    ASSERT_GE(id, 0);
    const HWND halo = GlowEffects[static_cast<size_t>(id)]->Form->Handle();
    EXPECT_EQ(SendMessageW(halo, WM_NCHITTEST, 0, MAKELPARAM(r.Left - 2, r.Top + 5)), HTTRANSPARENT);
    EXPECT_EQ(WindowFromPoint({r.Left - 2, r.Top + 5}), Form->Handle());
    EXPECT_EQ(GetWindowLongW(halo, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    SetWindowPos(Form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const int topmost = Show(r, {0, 0, 60, 30}, "GLOWING", 0, Form->Handle());
    ASSERT_GE(topmost, 0);
    EXPECT_NE(GetWindowLongW(GlowEffects[static_cast<size_t>(topmost)]->Form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

// The skin data shows the halo while the control is hovered and takes it away on every way out.
// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class GlowLifetimeTest : public GlowTest {};

TEST_F(GlowLifetimeTest, TheSkinDataShowsTheHaloWhileHovered)
{
    struct Case {
        const char* name;
        void (*leave)(TGlowBox&);
        bool frees = false;
    } const cases[] = {
        {"MouseLeaves", [](TGlowBox& b) { b.Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(&b)); }},
        {"HotStateLeft", [](TGlowBox& b) { b.Perform(SM_SKINCMD, MAKEWPARAM(0, SKC_HOT_LEAVE), 0); }},
        {"Disabled", [](TGlowBox& b) { b.SetEnabled(false); }},
        {"Moved", [](TGlowBox& b) { b.SetBounds(b.Left() + 1, b.Top(), b.Width(), b.Height()); }},
        {"Pressed", [](TGlowBox& b) { b.SkinData->RefreshGlowEffect(true); }},
        {"Freed", [](TGlowBox& b) { b.Free(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGlowBox* box = Box(Form, "GLOWING", {20, 30, 80, 50});
        box->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(box));
        const int slot = box->SkinData->GlowSlot;
        ASSERT_GE(slot, 0);
        const TRect r = WindowRectOf(box->Handle());
        const TRect halo{r.Left - 8, r.Top - 8, r.Right + 8, r.Bottom + 8};
        EXPECT_EQ(WindowRectOf(GlowEffects[static_cast<size_t>(slot)]->Form->Handle()), halo);
        c.leave(*box);
        EXPECT_TRUE(slot >= static_cast<int>(GlowEffects.size()) || !GlowEffects[static_cast<size_t>(slot)]);
        if (!c.frees) {
            EXPECT_EQ(box->SkinData->GlowSlot, -1);
            box->Free();
        }
    }

    TsCommonData adapter(nullptr, false);
    adapter.SetSkinSection("GLOWING");
    adapter.RefreshGlowEffect(false, Form->Handle());
    ASSERT_GE(adapter.GlowSlot, 0) << "without an owner control the window given glows";
    const TRect f = WindowRectOf(Form->Handle());
    EXPECT_EQ(WindowRectOf(GlowEffects[static_cast<size_t>(adapter.GlowSlot)]->Form->Handle()),
              (TRect{f.Left - 8, f.Top - 8, f.Right + 8, f.Bottom + 8}));

    TGlowBox* dim = Box(Form, "DIM", {20, 30, 80, 50});
    dim->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(dim));
    EXPECT_EQ(dim->SkinData->GlowSlot, -1) << "a section whose GLOW is 0 does not glow";
    Manager->SetAllowGlowing(false);
    TGlowBox* off = Box(Form, "GLOWING", {20, 60, 80, 80});
    off->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(off));
    EXPECT_EQ(off->SkinData->GlowSlot, -1) << "the manager does not allow glowing";
}

// A mirrored form counts its client's x from its right edge: the halo still surrounds the
// control where it is drawn.
TEST_F(GlowTest, AWindowlessControlGlowsWhereItShowsInEitherLayout)
{
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "right to left" : "left to right");
        const LONG_PTR ex = GetWindowLongPtrW(Form->Handle(), GWL_EXSTYLE);
        SetWindowLongPtrW(Form->Handle(), GWL_EXSTYLE, mirrored ? ex | WS_EX_LAYOUTRTL : ex & ~WS_EX_LAYOUTRTL);
        auto* spot = Create<TGlowSpot>(Form);
        spot->SetBounds(20, 30, 60, 20);
        spot->SetParent(Form);
        spot->SkinData->SetSkinSection("GLOWING");
        spot->SkinData->Loaded();
        // The speed button's own hover handling asks for its halo so.
        spot->SkinData->MouseIsAbove = true;
        spot->SkinData->RefreshGlowEffect(false);
        ASSERT_GE(spot->SkinData->GlowSlot, 0);
        RECT client{};
        GetClientRect(Form->Handle(), &client);
        POINT corner{0, 0};
        ClientToScreen(Form->Handle(), &corner);
        const int left = mirrored ? corner.x - 20 - 60 : corner.x + 20;
        EXPECT_EQ(WindowRectOf(GlowEffects[static_cast<size_t>(spot->SkinData->GlowSlot)]->Form->Handle()),
                  (TRect{left - 8, corner.y + 30 - 8, left + 60 + 8, corner.y + 50 + 8}));
        spot->Free();
    }
}

TEST_F(GlowTest, AControlReachingOutOfItsParentGetsTheVisibleSideOfItsHalo)
{
    TGlowBox* panel = Box(Form, "DIM", {10, 10, 110, 60});
    TGlowBox* box = Box(panel, "GLOWING", {70, 10, 130, 30});  // 30 of its 60 pixels outside the panel
    box->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(box));
    ASSERT_GE(box->SkinData->GlowSlot, 0);
    const TRect r = WindowRectOf(box->Handle());
    EXPECT_EQ(WindowRectOf(GlowEffects[static_cast<size_t>(box->SkinData->GlowSlot)]->Form->Handle()),
              (TRect{r.Left - 8, r.Top - 8, r.Left + 30, r.Bottom + 8}));
}

// After the glows were all freed (a skin change), an id kept from before names someone else's halo.
TEST_F(GlowTest, AnIdFromBeforeTheGlowsWereFreedHidesNothing)
{
    TGlowBox* box = Box(Form, "GLOWING", {20, 30, 80, 50});
    box->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(box));
    ASSERT_EQ(box->SkinData->GlowSlot, 0);
    Manager->SetSkinName(L"Test");
    EXPECT_TRUE(GlowEffects.empty()) << "a new skin takes every halo away";
    ASSERT_EQ(Show({0, 0, 60, 30}, {0, 0, 60, 30}), 0);
    box->Free();
    EXPECT_TRUE(GlowEffects[0]);
    Manager->SetActive(false);
    EXPECT_TRUE(GlowEffects.empty()) << "removing the skin takes every halo away";
}

} // namespace
