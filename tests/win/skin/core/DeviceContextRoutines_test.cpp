#include "skin/core/DeviceContextRoutines.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "win/skin/core/PaintingStubs.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using ks::test::Get24;
using ks::test::Get24Of;
using ks::test::Set24;

// The bitmap as rows of characters: '.' for white, '#' for colour, '?' for anything else.
std::string Picture(TBitmap& b, uint32_t colour)
{
    std::string s;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const uint32_t p = Get24(b, x, y);
            s += p == 0xFFFFFF ? '.' : p == colour ? '#' : '?';
        }
        s += '\n';
    }
    return s;
}

using DeviceContextRoutinesTest = VclFixture;

TEST_F(DeviceContextRoutinesTest, SolidFillsResolveSystemColoursAndKeepTheDC)
{
    auto b = NewBitmap24(4, 3);
    HDC dc = b->Canvas().Handle();
    HGDIOBJ brushBefore = GetCurrentObject(dc, OBJ_BRUSH);
    FillRectSolid(dc, {1, 1, 3, 2}, clBtnFace);
    const uint32_t face = Get24Of(GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Picture(*b, face), "....\n.##.\n....\n");
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brushBefore);
    // An inverted rectangle is empty, not mirrored.
    FillRectSolid(dc, {3, 3, 0, 0}, 0x0000FF);
    EXPECT_EQ(Picture(*b, face), "....\n.##.\n....\n");
}

TEST_F(DeviceContextRoutinesTest, FrameStripsStayInsideTheRectangle)
{
    struct Case {
        const char* name;
        int l, t, r, b;
        const char* picture;
    } cases[] = {
        {"one each", 1, 1, 1, 1, "......\n.####.\n.#..#.\n.#..#.\n.####.\n......\n"},
        {"top and left only", 2, 1, 0, 0, "......\n.####.\n.##...\n.##...\n.##...\n......\n"},
        {"bottom and right only", 0, 0, 1, 2, "......\n....#.\n....#.\n.####.\n.####.\n......\n"},
        {"negative widths are none", -3, -1, -5, -2, "......\n......\n......\n......\n......\n......\n"},
        {"huge widths fill only the rectangle", 1000, 0, 0, 0, "......\n.####.\n.####.\n.####.\n.####.\n......\n"},
        {"int limits", INT_MAX, INT_MAX, INT_MAX, INT_MAX, "......\n.####.\n.####.\n.####.\n.####.\n......\n"},
    };
    for (const Case& c : cases) {
        auto b = NewBitmap24(6, 6);
        FillFrameSolid(b->Canvas().Handle(), {1, 1, 5, 5}, c.l, c.t, c.r, c.b, 0x00FF00);
        EXPECT_EQ(Picture(*b, 0x00FF00), c.picture) << c.name;
    }
}

TEST_F(DeviceContextRoutinesTest, FrameCopiesLeaveTheInteriorAlone)
{
    struct Case {
        const char* name;
        int border;
        const char* picture;
    } cases[] = {
        {"one pixel", 1, "........\n.######.\n.#....#.\n.#....#.\n.#....#.\n.######.\n........\n"},
        {"two pixels", 2, "........\n.######.\n.######.\n.##..##.\n.######.\n.######.\n........\n"},
        {"wider than half", 4, "........\n.######.\n.######.\n.######.\n.######.\n.######.\n........\n"},
        {"none", 0, "........\n........\n........\n........\n........\n........\n........\n"},
    };
    auto source = NewBitmap24(8, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 8; ++x)
            Set24(*source, x, y, 0x123456);
    for (const Case& c : cases) {
        // A memory DC larger than the frame: only the strips may change.
        auto b = NewBitmap24(8, 7);
        CopyFrameStrips(b->Canvas().Handle(), 1, 1, 6, 5, source->Canvas().Handle(), 1, 1, c.border);
        EXPECT_EQ(Picture(*b, 0x123456), c.picture) << c.name;
    }
}

struct Pass {
    int dx, dy;
    TColor colour;
};

// The picture the passes give in order on white: the text drawn alone at each pass's offset
// marks the pixels that take the pass's colour.
std::vector<uint32_t> Composed(int w, int h, const TFont& font, std::wstring_view text, TRect r, UINT flags,
                               const std::vector<Pass>& passes)
{
    std::vector<uint32_t> picture(static_cast<size_t>(w) * h, 0xFFFFFF);
    for (const Pass& p : passes) {
        auto b = NewBitmap24(w, h);
        b->Canvas().Font().Assign(&font);
        b->Canvas().Font().SetColor(0);
        b->Canvas().Brush().SetStyle(bsClear);
        TRect moved{r.Left + p.dx, r.Top + p.dy, r.Right + p.dx, r.Bottom + p.dy};
        b->Canvas().DrawText(text, moved, flags);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (Get24(*b, x, y) != 0xFFFFFF)
                    picture[static_cast<size_t>(y) * w + x] = Get24Of(static_cast<COLORREF>(p.colour));
    }
    return picture;
}

std::vector<uint32_t> PixelsOf(TBitmap& b)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            pixels.push_back(Get24(b, x, y));
    return pixels;
}

constexpr TColor Text = 0x102030, Hot = 0x203040, Left = 0x0000C0, Top = 0x00C000, Right = 0xC00000,
                 Bottom = 0xC0C000, SectionColour = 0x808080, GlobalColour = 0x00FFFF;
constexpr TColor None = static_cast<TColor>(-1);

// A manager whose sections the tests set directly: 0 GLOBALINFO, 1 the text section.
class TextRoutinesTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        TFont::SetRenderQuality(NONANTIALIASED_QUALITY);
        Manager = Create<TsSkinManager>(nullptr);
        ASSERT_EQ(DefaultSkinManager, Manager);
        TsGeneralData global;
        global.SectionName = "GLOBALINFO";
        global.Color = GlobalColour;
        Manager->GeneralDataArray.push_back(std::move(global));
        Manager->CommonIndexes.GlobalInfoIndex = 0;
        TsGeneralData text;
        text.SectionName = "TEXT";
        text.Color = SectionColour;
        text.FontColor = {Text, None, None, None, None};
        text.HotFontColor = {Hot, None, None, None, None};
        Manager->GeneralDataArray.push_back(std::move(text));
        Font.SetName(L"Tahoma");
        Font.SetHeight(-13);
    }
    void TearDown() override
    {
        FreeAndNil(Manager);
        TFont::SetRenderQuality(DEFAULT_QUALITY);
        VclFixture::TearDown();
    }
    TsGeneralData& Section() { return Manager->GeneralDataArray[1]; }

    TsSkinManager* Manager = nullptr;
    TFont Font;
    static constexpr int W = 40, H = 20;
    static constexpr TRect R{4, 3, 36, 17};
};

TEST_F(TextRoutinesTest, SectionTextDrawsTheContoursInOrderThenTheText)
{
    struct Case {
        const char* name;
        TsFontColors colours;
        bool hot, enabled;
        std::vector<Pass> passes;
    } cases[] = {
        {"no contour", {Text, None, None, None, None}, false, true, {{0, 0, Text}}},
        {"left contour", {Text, Left, None, None, None}, false, true, {{-1, 0, Left}, {0, 0, Text}}},
        {"all four, later sides over earlier",
         {Text, Left, Top, Right, Bottom},
         false,
         true,
         {{-1, 0, Left}, {0, -1, Top}, {1, 0, Right}, {0, 1, Bottom}, {0, 0, Text}}},
        {"hot colours", {Hot, None, Right, None, None}, true, true, {{0, -1, Right}, {0, 0, Hot}}},
        {"disabled: 40 % text over 60 % section colour, no contour",
         {Text, Left, Top, Right, Bottom},
         false,
         false,
         {{0, 0, BlendColors(Text, SectionColour, 0.4)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        (c.hot ? Section().HotFontColor : Section().FontColor) = c.colours;
        auto b = NewBitmap24(W, H);
        b->Canvas().Font().Assign(&Font);
        TRect r = R;
        EXPECT_EQ(DrawSectionText(b->Canvas(), L"Wy", c.enabled, r, DT_CENTER, 1, c.hot, nullptr), 0);
        const std::vector<uint32_t> expected = Composed(W, H, Font, L"Wy", R, DT_CENTER, c.passes);
        EXPECT_EQ(PixelsOf(*b), expected);
        EXPECT_NE(expected, std::vector<uint32_t>(W * H, 0xFFFFFF));
    }
}

TEST_F(TextRoutinesTest, EllipsizedTextIsTheLongestPrefixThatFitsWithTheDots)
{
    auto b = NewBitmap24(1, 1);
    TCanvas& canvas = b->Canvas();
    canvas.Font().Assign(&Font);
    const std::wstring text = L"abcdef";
    EXPECT_EQ(EllipsizeText(canvas, text, canvas.TextWidth(L"abc...")), L"abc...");
    EXPECT_EQ(EllipsizeText(canvas, text, 0), L"");
    EXPECT_EQ(EllipsizeText(canvas, text, canvas.TextWidth(text)), text) << "text that fits stays";
    EXPECT_EQ(EllipsizeText(canvas, text, canvas.TextWidth(L"a...") - 1), L"") << "not even a and the dots";
    EXPECT_EQ(EllipsizeText(canvas, L"", 50), L"");
    // Every width: the result fits, one more character would not, and a surrogate pair is never
    // cut in half.
    const std::wstring paired = L"ab\U0001F600\U0001F600cd";
    for (int width = 1; width <= canvas.TextWidth(paired); ++width) {
        const std::wstring cut = EllipsizeText(canvas, paired, width);
        const size_t kept = cut == paired || cut.empty() ? cut.size() : cut.size() - 3;
        ASSERT_LE(canvas.TextWidth(cut), width) << width;
        ASSERT_EQ(paired.compare(0, kept, cut, 0, kept), 0) << width;
        ASSERT_FALSE(kept > 0 && IS_HIGH_SURROGATE(cut[kept - 1])) << width;
        const size_t next = kept + (IS_HIGH_SURROGATE(paired[kept]) ? 2 : 1);
        if (cut != paired && next <= paired.size()) {
            ASSERT_GT(canvas.TextWidth(paired.substr(0, next) + L"..."), width) << width;
        }
    }
}

// The cut made one character at a time from the end: the answer a search must give.
std::wstring EllipsizedOneByOne(TCanvas& canvas, const std::wstring& text, int maxWidth)
{
    if (maxWidth < 1 || canvas.TextWidth(text) <= maxWidth)
        return maxWidth < 1 ? L"" : text;
    for (std::wstring cut = text; !cut.empty();) {
        if (canvas.TextWidth(cut + L"...") <= maxWidth)
            return cut + L"...";
        cut.pop_back();
        if (!cut.empty() && IS_HIGH_SURROGATE(cut.back()))
            cut.pop_back();
    }
    return L"";
}

TEST_F(TextRoutinesTest, EllipsizedTextIsTheOneCharacterAtATimeAnswerForLongTexts)
{
    auto b = NewBitmap24(1, 1);
    TCanvas& canvas = b->Canvas();
    canvas.Font().Assign(&Font);
    std::wstring panel;
    while (panel.size() < 600)
        panel += L"Пароль скопирован WAVE ij \U0001F600 ";
    // Texts led by a surrogate pair, or by a lone high surrogate, are cut near their first two
    // glyphs too: there only the leading pair may fit with the dots.
    const std::wstring texts[] = {L"abcdef", L"\U0001F600\U0001F600x", L"W", panel, panel.substr(0, 301),
                                  L"\U0001F468abcd", L"\U0001F468\U0001F469xyzw", L"\xD83D" L"\xD83D" L"abcd"};
    for (const std::wstring& text : texts) {
        std::vector<int> widths = {1, 5, 12, 13, 30, 61, 200, 999};
        for (size_t k = 1; k <= 3; ++k) {
            const int fit = canvas.TextWidth(text.substr(0, k) + L"...");
            widths.insert(widths.end(), {fit - 1, fit, fit + 1});
        }
        for (int width : widths) {
            SCOPED_TRACE(testing::Message() << text.size() << " chars into " << width);
            ASSERT_EQ(EllipsizeText(canvas, text, width), EllipsizedOneByOne(canvas, text, width));
        }
    }
}

// A parent whose section, for fonts, is the one the test names.
class TFontParent : public TCustomControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TFontParent", &TCustomControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TCustomControl::TCustomControl;
    int Index = -1;
    void WndProc(TMessage& m) override
    {
        if (m.Msg == SM_SKINCMD && HIWORD(m.WParam) == SKC_GET_SKIN_INDEX) {
            m.Result = Index + 1;
            return;
        }
        TCustomControl::WndProc(m);
    }
};

class TCaptioned : public TGraphicControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TCaptioned", &TGraphicControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    explicit TCaptioned(TComponent* owner) : TGraphicControl(owner), SkinData(this, false) {}
    TsCommonData SkinData;
};

constexpr TColor ParentText = 0x4080C0, OwnFontColour = 0x00A0A0;

class ControlTextTest : public TextRoutinesTest {
protected:
    void SetUp() override
    {
        TextRoutinesTest::SetUp();
        TsGeneralData parentSection;
        parentSection.SectionName = "PARENT";
        parentSection.GiveOwnFont = true;
        parentSection.FontColor = {ParentText, None, None, None, None};
        Manager->GeneralDataArray.push_back(std::move(parentSection));
        Form = CreateNew<TForm>(Application);
        Parent = Create<TFontParent>(Form);
        Parent->SetParent(Form);
        Parent->Index = 2;
        Parent->HandleNeeded();
        Parent->Font()->Assign(&Font);
        Parent->Font()->SetColor(OwnFontColour);
        Owner = Create<TCaptioned>(Form);
        Owner->SetParent(Parent);
        Owner->Font()->Assign(&Font);
        Owner->Font()->SetColor(OwnFontColour);
        Owner->SkinData.SkinIndex = 1;
        Section().FontColor = {Text, Left, None, None, None};
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        TextRoutinesTest::TearDown();
    }
    TForm* Form = nullptr;
    TFontParent* Parent = nullptr;
    TCaptioned* Owner = nullptr;
};

TEST_F(ControlTextTest, CaptionsTakeTheColoursOfTheirSectionOrOfTheSectionBehindThem)
{
    struct Case {
        const char* name;
        int transparency;
        bool parentFont, customFont, enabled;
        std::vector<Pass> passes;
    } cases[] = {
        {"own section", 0, true, false, true, {{-1, 0, Left}, {0, 0, Text}}},
        {"see-through with the parent's font: the parent's section", 50, true, false, true, {{0, 0, ParentText}}},
        {"see-through with a font of its own", 50, false, false, true, {{-1, 0, Left}, {0, 0, Text}}},
        {"custom font: its own colour, no contour", 0, true, true, true, {{0, 0, OwnFontColour}}},
        {"disabled: 40 % text over 60 % global colour", 0, true, false, false,
         {{0, 0, BlendColors(Text, GlobalColour, 0.4)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Section().Transparency = c.transparency;
        // A parent font is the same font here, so that only the colours differ.
        Owner->Font()->Assign(&Font);
        Owner->Font()->SetColor(OwnFontColour);
        Owner->SetParentFont(c.parentFont);
        Owner->SkinData.SetCustomFont(c.customFont);
        auto b = NewBitmap24(W, H);
        TRect r = R;
        EXPECT_EQ(DrawControlText(b->Canvas(), L"Wy", c.enabled, r, DT_CENTER, Owner->SkinData, false), 0);
        EXPECT_EQ(PixelsOf(*b), Composed(W, H, Font, L"Wy", R, DT_CENTER, c.passes));
    }
}

TEST_F(ControlTextTest, OnlyAHotWebButtonIsUnderlined)
{
    for (const auto& [section, hot, underlined] :
         {std::tuple{"WEBBUTTON", true, true}, {"WEBBUTTON", false, false}, {"BUTTON", true, false}}) {
        Owner->SkinData.SetSkinSection(section);
        Owner->SkinData.SkinIndex = 1;
        auto b = NewBitmap24(W, H);
        TRect r = R;
        DrawControlText(b->Canvas(), L"Wy", true, r, 0, Owner->SkinData, hot);
        EXPECT_EQ(b->Canvas().Font().Style().Contains(fsUnderline), underlined) << section << hot;
    }
}

TEST_F(ControlTextTest, OnlyOpaqueWindowlessChildrenAreClippedOut)
{
    auto opaque = Create<TLabel>(Form);
    opaque->SetAutoSize(false);
    opaque->SetBounds(0, 0, 4, 4);
    opaque->SetParent(Parent);
    auto seeThrough = Create<TLabel>(Form);
    seeThrough->SetAutoSize(false);
    seeThrough->SetTransparent(true);
    seeThrough->SetBounds(10, 0, 4, 4);
    seeThrough->SetParent(Parent);
    auto hidden = Create<TLabel>(Form);
    hidden->SetAutoSize(false);
    hidden->SetBounds(20, 0, 4, 4);
    hidden->SetVisible(false);
    hidden->SetParent(Parent);
    auto windowed = Create<TFontParent>(Form);
    windowed->SetBounds(30, 0, 4, 4);
    windowed->SetParent(Parent);
    Owner->SetVisible(false);

    auto b = NewBitmap24(50, 10);
    HDC dc = b->Canvas().Handle();
    ExcludeChildRects(dc, Parent, 1, 2);
    EXPECT_FALSE(PtVisible(dc, 1, 2));
    EXPECT_FALSE(PtVisible(dc, 4, 5));
    EXPECT_TRUE(PtVisible(dc, 0, 0)) << "moved by (1, 2)";
    EXPECT_TRUE(PtVisible(dc, 5, 5));
    EXPECT_TRUE(PtVisible(dc, 12, 3)) << "a transparent label needs the image under it";
    EXPECT_TRUE(PtVisible(dc, 22, 3));
    EXPECT_TRUE(PtVisible(dc, 32, 3));
}

} // namespace
