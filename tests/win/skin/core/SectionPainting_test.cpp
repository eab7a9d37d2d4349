#include "skin/core/SectionPainting.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Controls.h"
#include "vcl/Graphics.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace {

using Rgb = std::array<int, 3>;

Rgb RgbOf(TColor c)
{
    return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF)};
}

Rgb PixelAt(TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + x * (b.PixelFormat() == pf32bit ? 4 : 3);
    return {p[2], p[1], p[0]};
}

void SetPixel(TBitmap& b, int x, int y, TColor c)
{
    uint8_t* p = b.ScanLine(y) + x * (b.PixelFormat() == pf32bit ? 4 : 3);
    const Rgb v = RgbOf(c);
    p[0] = static_cast<uint8_t>(v[2]);
    p[1] = static_cast<uint8_t>(v[1]);
    p[2] = static_cast<uint8_t>(v[0]);
}

std::unique_ptr<TBitmap> Painted(TPixelFormat format, int w, int h, const std::function<TColor(int, int)>& colour)
{
    auto b = format == pf32bit ? NewBitmap32(w, h) : NewBitmap24(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetPixel(*b, x, y, colour(x, y));
    return b;
}

// Every pixel of b: inside r the model's, elsewhere the fence colour the test put there.
void ExpectPainted(TBitmap& b, const TRect& r, TColor fence, const std::function<Rgb(int, int)>& model)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
            ASSERT_EQ(PixelAt(b, x, y), inside ? model(x, y) : RgbOf(fence)) << "pixel " << x << "," << y;
        }
}

// The fixed blend: the layer keeps 255 - a, the background a.
Rgb Mix(const Rgb& layer, const Rgb& back, int a)
{
    Rgb v;
    for (int c = 0; c < 3; ++c)
        v[c] = (layer[c] * (255 - a) + back[c] * a + 127) >> 8;
    return v;
}

// A colour share: each byte keeps share percent, the rest is the colour.
Rgb Share(const Rgb& v, const Rgb& colour, int share)
{
    Rgb out;
    const double p = share / 100.0;
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<int>(std::nearbyint(v[c] * p + colour[c] * (1 - p)));
    return out;
}

constexpr TColor Fence = 0x0000FF;
constexpr TColor TexColour = 0x20A040;
constexpr TColor HotTexColour = 0x6010C0;
constexpr TColor GradColour = 0xC08030;
constexpr TColor HotGradColour = 0x3070E0;
constexpr TColor OverlayColour = 0x00C0C0;
constexpr TColor RingColour = 0xE0E0E0;
constexpr TColor CornerColour[4] = {0x102030, 0x203040, 0x304050, 0x405060};

TColor BackgroundAt(int x, int y)
{
    return static_cast<TColor>((x * 9) | (y * 7) << 8 | ((x + y) * 3) << 16);
}

// A skin of flat colours in a 24-bit master: a 2 x 2 texture for each state, a masked 2 x 2
// texture tiled in its own mode, a one-cell border image with a 2-pixel ring, and four 3 x 3
// corner images; one section "S" whose fields each test sets.
class SectionPaintingTest : public VclFixture {
protected:
    enum { PatternMask, HotPatternMask, OverlayMask, BorderMask, FirstCornerMask };

    void SetUp() override
    {
        VclFixture::SetUp();
        FManager = Create<TsSkinManager>(nullptr);
        FManager->MasterBitmap = Painted(pf24bit, 40, 8, [](int x, int y) -> TColor {
            if (x < 2)
                return y < 2 ? TexColour : HotTexColour;
            if (x >= 4 && x < 6)
                return y < 2 ? OverlayColour : 0; // its mask row keeps the picture
            if (x >= 8 && x < 14 && y < 6)
                return x < 10 || x >= 12 || y < 2 || y >= 4 ? RingColour : Fence;
            if (x >= 16 && x < 28 && y < 3)
                return CornerColour[(x - 16) / 3];
            return Fence;
        });
        AddMask("PATTERN", {0, 0, 2, 2}, 0, 0);
        AddMask("HOTPATTERN", {0, 2, 2, 4}, 0, 0);
        AddMask("OVERLAY", {4, 0, 6, 4}, 1, 10);
        TsMaskData& border = AddMask("BORDERSMASK", {8, 0, 14, 6}, 0, 0);
        border.WL = border.WT = border.WR = border.WB = 2;
        for (int i = 0; i < 4; ++i)
            AddMask("CORNER", {16 + 3 * i, 0, 19 + 3 * i, 3}, 0, 0).ImgType = itisaGlyph;
        FManager->GeneralDataArray.resize(1);
        Section().SectionName = "S";
        FParent = Painted(pf24bit, 40, 30, BackgroundAt);
    }
    void TearDown() override
    {
        FManager->Free();
        FParent.reset();
        VclFixture::TearDown();
    }

    TsMaskData& AddMask(const char* key, TRect r, int16_t maskType, int16_t stretchMode)
    {
        TsMaskData& m = FManager->MaskArray.emplace_back();
        m.Manager = FManager;
        m.SectionName = "S";
        m.PropertyName = key;
        m.R = r;
        m.ImageCount = 1;
        m.MaskType = maskType;
        m.StretchMode = stretchMode;
        m.ImgType = itisaTexture;
        return m;
    }
    TsGeneralData& Section() { return FManager->GeneralDataArray[0]; }

    TsSkinManager* FManager = nullptr;
    std::unique_ptr<TBitmap> FParent;
};

// One state's look; the test puts decoys in the other state's fields, which must not show.
struct Look {
    TColor colour = 0x000000;
    int t = 0, ip = 0, gp = 0;
    bool gradientText = false;
};

void SetLook(TsGeneralData& s, bool hot, const Look& l)
{
    const TColor grad = hot ? HotGradColour : GradColour;
    const std::string text = l.gradientText ? std::to_string(grad) + ";" + std::to_string(grad) + ";100;0;0" : " ";
    (hot ? s.HotColor : s.Color) = l.colour;
    (hot ? s.HotTransparency : s.Transparency) = l.t;
    (hot ? s.HotImagePercent : s.ImagePercent) = l.ip;
    (hot ? s.HotGradientPercent : s.GradientPercent) = l.gp;
    (hot ? s.HotGradientData : s.GradientData) = text;
    (hot ? s.HotGradientArray : s.GradientArray) = ParseGradient(text);
}

TEST_F(SectionPaintingTest, BackgroundLayersAgainstThePixelModel)
{
    const CacheInfo ready = CacheInfoFromBitmap(FParent.get(), 3, 2);
    const CacheInfo nothing{nullptr, 0, 0, TransparentKeyColor, false};
    const CacheInfo colourOnly{nullptr, 0, 0, 0x5080B0, false};
    struct Case {
        const char* name;
        Look look;
        const CacheInfo* behind = nullptr; // nullptr: the parent's bitmap
        int state = 0;
        int textureIndex = -1;             // 999: an index of no mask, so no texture is found
    } cases[] = {
        {"Opaque", {0x406080}},
        {"Clear", {0x406080, 100}},
        {"HalfClear", {0x406080, 50}},
        {"BlackHalfClear", {0x000000, 50}},
        {"GradientShare30", {0x406080, 0, 0, 30, true}},
        {"GradientShareWithoutGradientText", {0x406080, 0, 0, 30, false}},
        {"TextureShare40", {0x406080, 0, 40}},
        {"MissingTextureIsColour", {0x406080, 0, 40}, nullptr, 0, 999},
        {"GradientOverTextureHalfClear", {0x406080, 25, 60, 30, true}},
        {"SharesAboveAllMixNoColour", {0x406080, 0, 60, 60, true}},
        {"TransparencyAboveRangeIsClear", {0x406080, 150}},
        {"TransparencyBelowRangeIsOpaque", {0x406080, -20}},
        {"SharesBelowRangeArePlainColour", {0x406080, 0, -30, -40, true}},
        {"NothingBehindShowsTheKey", {0x406080, 40}, &nothing},
        {"NothingBehindOpaque", {0x406080, 0}, &nothing},
        {"OnlyAColourBehindShowsIt", {0x406080, 40}, &colourOnly},
        {"OnlyAColourBehindClear", {0x406080, 100}, &colourOnly},
        {"HotReadsHotFields", {0x804020, 30, 50, 20, true}, nullptr, 1},
        {"PressedIsHot", {0x804020, 0, 100}, nullptr, 2},
    };
    // r lies inside a fence; the background behind r's corner is the parent's (3 + 5, 2 + 4).
    const TRect r{2, 3, 12, 9};
    const TPoint pt{5, 4};
    for (const Case& c : cases)
        for (TPixelFormat format : {pf24bit, pf32bit}) {
            SCOPED_TRACE(std::string(c.name) + (format == pf32bit ? " 32-bit" : " 24-bit"));
            const bool hot = c.state != 0;
            const CacheInfo& ci = c.behind ? *c.behind : ready;
            SetLook(Section(), hot, c.look);
            SetLook(Section(), !hot, {0xFFFFFF, 0, 100, 100, true}); // decoys
            auto b = Painted(format, 14, 12, [](int, int) { return Fence; });
            PaintSectionBackground(0, "S", ci, c.state, r, pt, b.get(), FManager, c.textureIndex, -1,
                                   TransparentKeyColor);
            GdiFlush();

            const Look& l = c.look;
            const int t = std::clamp(l.t, 0, 100), ip = std::clamp(l.ip, 0, 100), gp = std::clamp(l.gp, 0, 100);
            const Rgb colour = RgbOf(l.colour);
            const bool textured = c.textureIndex == -1;
            Rgb layer = colour;
            if (ip > 0 && textured)
                layer = RgbOf(hot ? HotTexColour : TexColour);
            if (gp > 0) {
                const Rgb g = l.gradientText ? RgbOf(hot ? HotGradColour : GradColour) : colour;
                layer = ip > 0 && textured ? Mix(g, layer, ip * 255 / 100) : g;
            }
            const int share = ip + gp;
            if (share == 0)
                layer = !ci.Ready && t != 0 ? RgbOf(ci.FillColor) : colour;
            else if (share < 100)
                layer = Share(layer, colour, share);
            const bool nothingBehind = !ci.Ready && ci.FillColor == TransparentKeyColor;
            ExpectPainted(*b, r, Fence, [&](int x, int y) {
                const Rgb back = ci.Ready ? RgbOf(BackgroundAt(ci.X + pt.X + x - r.Left, ci.Y + pt.Y + y - r.Top))
                                          : RgbOf(ci.FillColor);
                if (nothingBehind || t == 0)
                    return layer;
                if (t == 100)
                    return back;
                return Mix(layer, back, t * 255 / 100);
            });
        }
}

TEST_F(SectionPaintingTest, CustomColourIsOpaqueWhateverTheSection)
{
    SetLook(Section(), false, {0x406080, 50, 40, 30, true});
    auto b = Painted(pf24bit, 8, 6, [](int, int) { return Fence; });
    PaintSectionBackground(0, "S", CacheInfoFromBitmap(FParent.get(), 0, 0), 0, {1, 1, 7, 5}, {}, b.get(), FManager, -1,
                           -1, 0x123456);
    GdiFlush();
    ExpectPainted(*b, {1, 1, 7, 5}, Fence, [](int, int) { return RgbOf(0x123456); });

    // A control's own colour (a system colour, looked up) when its skin data asks for it.
    TsCommonData data(nullptr, false);
    data.SkinIndex = 0;
    auto* owner = Create<TControl>(nullptr);
    owner->SetColor(clBtnFace);
    const CacheInfo behind{nullptr, 0, 0, 0x000000, false};
    for (const auto& [custom, control, expected] :
         {std::tuple{false, owner, RgbOf(0x406080)}, std::tuple{true, owner, RgbOf(ColorToRGB(clBtnFace))},
          std::tuple{true, static_cast<TControl*>(nullptr), RgbOf(0x406080)}}) {
        SCOPED_TRACE(testing::Message() << "custom " << custom << " owner " << (control != nullptr));
        SetLook(Section(), false, {0x406080});
        data.SetCustomColor(custom);
        data.OwnerControl = control;
        b = Painted(pf24bit, 8, 6, [](int, int) { return Fence; });
        PaintControlBackground(data, behind, 0, {1, 1, 7, 5}, {}, b.get());
        GdiFlush();
        ExpectPainted(*b, {1, 1, 7, 5}, Fence, [&](int, int) { return expected; });
    }
    owner->Free();
}

TEST_F(SectionPaintingTest, MaskedTextureOverlaysTheNormalStateOnly)
{
    SetLook(Section(), false, {0x406080});
    SetLook(Section(), true, {0x406080});
    const TRect r{1, 1, 8, 6};
    const TPoint pt{2, 3};
    for (const auto& [state, textureIndex, hotTextureIndex, overlaid] :
         {std::tuple{0, int(OverlayMask), -1, true}, std::tuple{0, -1, int(OverlayMask), true},
          std::tuple{1, int(OverlayMask), -1, false}, std::tuple{0, int(BorderMask), int(OverlayMask), true},
          std::tuple{0, 500, -7, false}}) {
        SCOPED_TRACE(testing::Message() << "state " << state << " textures " << textureIndex << ", " << hotTextureIndex);
        auto b = Painted(pf24bit, 9, 7, [](int, int) { return Fence; });
        PaintSectionBackground(0, "S", CacheInfoFromBitmap(FParent.get(), 0, 0), state, r, pt, b.get(), FManager,
                               textureIndex, hotTextureIndex, TransparentKeyColor);
        GdiFlush();
        // 2 x 2 cells while x < 6 and y < 4, then the strips below and right from the background.
        ExpectPainted(*b, r, Fence, [&](int x, int y) {
            if (!overlaid)
                return RgbOf(0x406080);
            if (x < 7 && y < 5)
                return RgbOf(OverlayColour);
            return RgbOf(BackgroundAt(pt.X + x - r.Left, pt.Y + y - r.Top));
        });
    }
}

TEST_F(SectionPaintingTest, DirectBackgroundTakesItsIndexesAndEndsInColour)
{
    const CacheInfo ready = CacheInfoFromBitmap(FParent.get(), 0, 0);
    const CacheInfo colourOnly{nullptr, 0, 0, 0x5080B0, false};
    struct Case {
        const char* name;
        Look look;
        CacheInfo ci;
        int textureIndex;
        TPixelFormat format;
        std::function<Rgb(int, int)> expected;
    } cases[] = {
        {"SharesAboveAllEndInPlainColour", {0x406080, 0, 60, 60, true}, ready, PatternMask, pf24bit,
         [](int, int) { return RgbOf(0x406080); }},
        {"FullShareKeepsTheGradient", {0x406080, 0, 0, 100, true}, ready, -1, pf24bit,
         [](int, int) { return RgbOf(GradColour); }},
        {"TextureShareFromTheGivenIndex", {0x406080, 0, 100, 0}, ready, HotPatternMask, pf24bit,
         [](int, int) { return RgbOf(HotTexColour); }},
        {"GradientOverTextureByA256thScale", {0x406080, 0, 70, 30, true}, ready, PatternMask, pf24bit,
         [](int, int) { return Mix(RgbOf(GradColour), RgbOf(TexColour), 70 * 256 / 100); }},
        {"FullTextureUnderAGradientEndsInColour", {0x406080, 0, 100, 30, true}, ready, PatternMask, pf24bit,
         [](int, int) { return RgbOf(0x406080); }},
        {"ClearOverAColourFillsTheLayers", {0x406080, 100}, colourOnly, -1, pf24bit,
         [](int, int) { return RgbOf(0x5080B0); }},
        {"HalfClearMixesOn32Bit", {0x000000, 50}, ready, -1, pf32bit,
         [](int x, int y) { return Mix(RgbOf(0), RgbOf(BackgroundAt(x, y)), 127); }},
        {"NegativeTransparencyIsOpaque", {0x406080, -5}, ready, -1, pf24bit,
         [](int, int) { return RgbOf(0x406080); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLook(Section(), false, c.look);
        auto b = Painted(c.format, 6, 5, [](int, int) { return Fence; });
        PaintSectionBackgroundDirect(0, c.textureIndex, -1, c.ci, 0, {0, 0, 6, 5}, {}, b.get(), FManager);
        GdiFlush();
        ExpectPainted(*b, {0, 0, 6, 5}, Fence, c.expected);
    }
}

// A ring colour shows where the 2-pixel border lies, a corner colour where a corner image does.
enum class Corners { None, UnderBorder, OverBorder };
Rgb BorderOrCorner(const TRect& r, int x, int y, Corners corners, const Rgb& inside)
{
    const int i = x - r.Left, j = y - r.Top, w = r.Right - r.Left, h = r.Bottom - r.Top;
    const bool ring = i < 2 || j < 2 || i >= w - 2 || j >= h - 2;
    const int corner = i < 3 && j < 3 ? 0 : i >= w - 3 && j < 3 ? 1 : i < 3 && j >= h - 3 ? 2 : i >= w - 3 && j >= h - 3 ? 3 : -1;
    if (corner >= 0 && (corners == Corners::OverBorder || (corners == Corners::UnderBorder && !ring)))
        return RgbOf(CornerColour[corner]);
    return ring ? RgbOf(RingColour) : inside;
}

TEST_F(SectionPaintingTest, WholeSectionsPaintCornersAndBorderInTheirOrder)
{
    SetLook(Section(), false, {0x406080});
    Section().BorderIndex = BorderMask;
    Section().ImgTopLeft = FirstCornerMask;
    Section().ImgTopRight = FirstCornerMask + 1;
    Section().ImgBottomLeft = FirstCornerMask + 2;
    Section().ImgBottomRight = FirstCornerMask + 3;
    const TRect r{2, 1, 12, 9};
    const CacheInfo ci = CacheInfoFromBitmap(FParent.get(), 0, 0);

    auto byIndex = Painted(pf24bit, 14, 11, [](int, int) { return Fence; });
    PaintSectionByIndex(0, "S", ci, true, 0, r, {}, byIndex.get(), FManager, -1, -1);
    GdiFlush();
    ExpectPainted(*byIndex, r, Fence, [&](int x, int y) { return BorderOrCorner(r, x, y, Corners::UnderBorder, RgbOf(0x406080)); });

    TsCommonData data(nullptr, false);
    data.SkinIndex = 0;
    data.BorderIndex = BorderMask;
    auto control = Painted(pf24bit, 14, 11, [](int, int) { return Fence; });
    PaintControlSection(data, ci, true, 0, r, {}, control.get(), true);
    GdiFlush();
    ExpectPainted(*control, r, Fence, [&](int x, int y) { return BorderOrCorner(r, x, y, Corners::OverBorder, RgbOf(0x406080)); });

    // A border shown only when hot leaves the control's normal look without it.
    FManager->MaskArray[BorderMask].StretchMode = 2;
    PaintControlSection(data, ci, true, 0, r, {}, control.get(), true);
    GdiFlush();
    ExpectPainted(*control, r, Fence, [&](int x, int y) {
        const Rgb any = BorderOrCorner(r, x, y, Corners::OverBorder, RgbOf(0x406080));
        return any == RgbOf(RingColour) ? RgbOf(0x406080) : any;
    });
}

TEST_F(SectionPaintingTest, EntryPointsPaintNothingWithoutAPlaceToPaint)
{
    SetLook(Section(), false, {0x406080, 50});
    Section().BorderIndex = BorderMask;
    Section().ImgTopLeft = FirstCornerMask;
    const CacheInfo ci = CacheInfoFromBitmap(FParent.get(), 0, 0);
    TsCommonData data(nullptr, false);
    data.BorderIndex = BorderMask;
    struct Case {
        const char* name;
        int index;
        TRect r;
    } cases[] = {
        {"NoSection", -1, {0, 0, 4, 4}},
        {"IndexPastTheTable", 1, {0, 0, 4, 4}},
        {"NegativeLeft", 0, {-1, 0, 4, 4}},
        {"NegativeTop", 0, {0, -2, 4, 4}},
        {"WiderThanTheBitmap", 0, {0, 0, 7, 4}},
        {"HigherThanTheBitmap", 0, {0, 0, 4, 6}},
        {"Empty", 0, {3, 3, 3, 5}},
        {"Reversed", 0, {4, 4, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data.SkinIndex = c.index;
        auto b = Painted(pf24bit, 6, 5, [](int, int) { return Fence; });
        const std::function<void()> painters[] = {
            [&] { PaintSectionBackground(c.index, "S", ci, 0, c.r, {}, b.get(), FManager, -1, -1, 0x123456); },
            [&] { PaintSectionByIndex(c.index, "S", ci, true, 0, c.r, {}, b.get(), FManager, -1, -1); },
            [&] { PaintControlBackground(data, ci, 0, c.r, {}, b.get()); },
            [&] { PaintControlSection(data, ci, true, 1, c.r, {}, b.get(), true); },
            [&] { PaintSectionBackgroundDirect(c.index, -1, -1, ci, 0, c.r, {}, b.get(), FManager); },
            [&] { PaintSectionOverCache(c.index, BorderMask, -1, -1, ci, true, 1, c.r, {}, b.get(), FManager); },
        };
        for (const auto& paint : painters)
            paint();
        GdiFlush();
        ExpectPainted(*b, {}, Fence, [](int, int) { return Rgb{}; });
    }
    // No bitmap at all.
    PaintSectionByIndex(0, "S", ci, true, 0, {0, 0, 4, 4}, {}, nullptr, FManager, -1, -1);
    PaintSectionBackground(0, "S", ci, 0, {0, 0, 4, 4}, {}, nullptr, FManager, -1, -1, TransparentKeyColor);
}

TEST_F(SectionPaintingTest, OnePixelBitmapsMixLikeLargeOnes)
{
    SetLook(Section(), false, {0x000000, 50, 40});
    Section().BorderIndex = BorderMask;
    for (TPixelFormat format : {pf24bit, pf32bit}) {
        auto b = Painted(format, 1, 1, [](int, int) { return Fence; });
        auto parent = Painted(format, 1, 1, [](int, int) { return TColor{0xC8C8C8}; });
        PaintSectionByIndex(0, "S", CacheInfoFromBitmap(parent.get(), 0, 0), true, 0, {0, 0, 1, 1}, {}, b.get(),
                            FManager, -1, -1);
        GdiFlush();
        const Rgb layer = Share(RgbOf(TexColour), RgbOf(0), 40);
        EXPECT_EQ(PixelAt(*b, 0, 0), Mix(layer, RgbOf(0xC8C8C8), 127)) << (format == pf32bit ? "32" : "24");
    }
}

TEST_F(SectionPaintingTest, ClearSectionOverItsOwnBitmapLeavesIt)
{
    SetLook(Section(), false, {0x406080, 100});
    auto b = Painted(pf24bit, 5, 4, BackgroundAt);
    PaintSectionBackground(0, "S", CacheInfoFromBitmap(b.get(), 0, 0), 0, {0, 0, 5, 4}, {}, b.get(), FManager, -1, -1,
                           TransparentKeyColor);
    GdiFlush();
    ExpectPainted(*b, {0, 0, 5, 4}, Fence, [](int x, int y) { return RgbOf(BackgroundAt(x, y)); });
}

TEST_F(SectionPaintingTest, SectionsByNameFallBackToTheSecondName)
{
    SetLook(Section(), false, {0x406080, 50});
    FManager->GeneralDataArray.emplace_back().SectionName = "T";
    FManager->GeneralDataArray[1].Color = 0x112233;
    struct Case {
        const char* name;
        const char* first;
        const char* second;
        int expected;
        TColor shown;
    } cases[] = {
        {"FirstFound", "S", "T", 0, 0},
        {"SecondFound", "NOSUCH", "T", 1, 0x112233},
        {"NeitherFound", "NOSUCH", "NEITHER", -1, Fence},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = Painted(pf24bit, 4, 3, [](int, int) { return Fence; });
        // Behind: what a source bitmap shows at (1, 2).
        auto source = Painted(pf24bit, 8, 8, BackgroundAt);
        EXPECT_EQ(PaintSectionByName(b.get(), c.first, c.second, 0, FManager, {1, 2}, 0, source->Canvas().Handle()),
                  c.expected);
        GdiFlush();
        ExpectPainted(*b, {0, 0, 4, 3}, Fence, [&](int x, int y) {
            if (c.expected == 0)
                return Mix(RgbOf(0x406080), RgbOf(BackgroundAt(x + 1, y + 2)), 127);
            return RgbOf(c.shown);
        });
    }
    EXPECT_EQ(PaintSectionByName(nullptr, "S", "T", 0, FManager, {}, 0, nullptr), 0);
    EXPECT_EQ(PaintSectionByName(NewBitmap24(2, 2).get(), "S", "T", 0, nullptr, {}, 0, nullptr), -1);
}

TEST_F(SectionPaintingTest, SectionToADeviceContextLandsAtItsRectangle)
{
    SetLook(Section(), false, {0x406080});
    Section().BorderIndex = BorderMask;
    auto b = Painted(pf24bit, 12, 10, [](int, int) { return Fence; });
    PaintSectionToDC(0, "S", NoBackgroundCacheInfo, true, 0, {3, 2, 10, 9}, {}, b->Canvas().Handle(), FManager);
    PaintSectionToDC(0, "S", NoBackgroundCacheInfo, true, 0, {-1, 2, 10, 9}, {}, b->Canvas().Handle(), FManager);
    PaintSectionToDC(0, "S", NoBackgroundCacheInfo, true, 0, {3, 2, 3, 9}, {}, b->Canvas().Handle(), FManager);
    GdiFlush();
    const TRect r{3, 2, 10, 9};
    ExpectPainted(*b, r, Fence, [&](int x, int y) { return BorderOrCorner(r, x, y, Corners::None, RgbOf(0x406080)); });
}

} // namespace
