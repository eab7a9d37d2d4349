// The background a control's skin data asks of its parent for the painters, and the copies of
// its cache around the children that paint themselves.
#include "skin/core/sCommonData.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "win/skin/core/PaintingStubs.h"
#include "win/skin/core/SkinTestFiles.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ks::test::Get24;
using ks::test::Set24;
using ks::test::TBackParent;
using ks::test::TSkinnedGraphic;

constexpr uint32_t White = 0xFFFFFF, CacheColour = 0x336699;

// PANEL a plain colour; GROUPBOX with a border image 4 pixels wide on every side.
constexpr std::string_view Options = "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\n"
                                     "[PANEL]\r\nCOLOR=255\r\n"
                                     "[GROUPBOX]\r\nBORDERSMASK=^0000^0000^0036^0012^0004^0004^0004^0004^3^0^0^0\r\n";

class BackgroundTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Manager = ks::test::NewSkinManager(Dir, L"Test", ks::test::SkinArchive(Options, ks::test::GreyMaster(64, 32)));
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(0, 0, 200, 150);
        Parent = Create<TBackParent>(Form);
        Parent->SetBounds(0, 0, 60, 40);
        Parent->SetParent(Form);
        Parent->HandleNeeded();
        ParentImage = NewBitmap24(4, 4);
        Parent->Answer = [this](BackgroundInfo& i) {
            i.BackgroundKind = BgKindBitmap;
            i.Bmp = ParentImage.get();
            i.Offset = {5, 6};
        };
        Control = Create<TSkinnedGraphic>(Form);
        Control->SetBounds(10, 10, 20, 20);
        Control->SetColor(0x00AA00);
        Control->SetParent(Parent);
        Control->SkinData.SetSkinSection("PANEL");
        Control->SkinData.Loaded();
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        FreeAndNil(Manager);
        ParentImage.reset();
        VclFixture::TearDown();
    }

    // The cache in one colour and a white target; the target's pixels that were copied.
    std::string CopiedPicture(TBitmap& target)
    {
        std::string s;
        for (int y = 0; y < target.Height(); ++y) {
            for (int x = 0; x < target.Width(); ++x)
                s += Get24(target, x, y) == CacheColour ? '#' : Get24(target, x, y) == White ? '.' : '?';
            s += '\n';
        }
        return s;
    }
    void FillCache(int w, int h)
    {
        Control->SkinData.CacheBitmap = NewBitmap24(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                Set24(*Control->SkinData.CacheBitmap, x, y, CacheColour);
    }

    ks::test::TempFolder Dir;
    TsSkinManager* Manager = nullptr;
    TForm* Form = nullptr;
    TBackParent* Parent = nullptr;
    TSkinnedGraphic* Control = nullptr;
    std::unique_ptr<TBitmap> ParentImage;
};

TEST_F(BackgroundTest, TheParentsAnswerBecomesThePaintersBackground)
{
    ASSERT_TRUE(Control->SkinData.IsSkinActive());
    CacheInfo ci = Control->SkinData.QueryBackgroundInfo();
    EXPECT_TRUE(ci.Ready);
    EXPECT_EQ(ci.Bmp, ParentImage.get());
    EXPECT_EQ(ci.X, 5) << "the painters add the control's own position";
    EXPECT_EQ(ci.Y, 6);

    Manager->SetActive(false);
    ci = Control->SkinData.QueryBackgroundInfo();
    EXPECT_FALSE(ci.Ready);
    EXPECT_EQ(ci.Bmp, nullptr);
    EXPECT_EQ(ci.FillColor, 0x00AA00) << "without a skin, the control's own colour";
}

TEST_F(BackgroundTest, AWindowAsksItsParentWindow)
{
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 1, 1, 5, 5, Parent->Handle(), nullptr, nullptr, nullptr);
    CacheInfo ci = Control->SkinData.QueryBackgroundInfoWnd(child);
    EXPECT_TRUE(ci.Ready);
    EXPECT_EQ(ci.Bmp, ParentImage.get());
    DestroyWindow(child);

    ci = Control->SkinData.QueryBackgroundInfoWnd(Form->Handle());
    EXPECT_FALSE(ci.Ready);
    EXPECT_EQ(ci.X, NoBackgroundCacheInfo.X) << "a window without a parent has no background";
}

TEST_F(BackgroundTest, TheCacheIsCopiedAroundChildrenThatPaintThemselves)
{
    // In a 12 x 5 target of a 12 x 6 DC, children moved by (1, 0): the skinned control itself
    // over columns 1..2, an invisible label over 6..7, a see-through one over 9..10, one outside
    // the target. Windowless children are left out whether they are opaque or not.
    Control->SetBounds(0, 0, 2, 2);
    auto add = [&](int left, bool visible, bool transparent) {
        auto* label = Create<TLabel>(Form);
        label->SetAutoSize(false);
        label->SetTransparent(transparent);
        label->SetBounds(left, 1, 2, 3);
        label->SetVisible(visible);
        label->SetParent(Parent);
    };
    add(5, false, false);
    add(8, true, true);
    add(40, true, false);
    FillCache(20, 10);
    auto target = NewBitmap24(12, 6);
    HDC dc = target->Canvas().Handle();
    CopyCacheExceptControls(Parent, Control->SkinData, {0, 0}, 1, 0, false, dc, {0, 0, 12, 5});
    EXPECT_EQ(CopiedPicture(*target), "#..#########\n"
                                      "#..######..#\n"
                                      "#########..#\n"
                                      "#########..#\n"
                                      "############\n"
                                      "............\n");
    RECT clip{};
    GetClipBox(dc, &clip);
    EXPECT_EQ(clip.bottom, 6) << "the DC's clip is its own again";
}

TEST_F(BackgroundTest, AGroupBoxWindowKeepsOnlyItsFrameOutOfTheCopy)
{
    HWND box = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 2, 2, 12, 10, Parent->Handle(),
                               nullptr, nullptr, nullptr);
    HWND hidden = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 20, 20, Parent->Handle(), nullptr, nullptr, nullptr);
    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 17, 0, 2, 2, Parent->Handle(), nullptr,
                                 nullptr, nullptr);
    FillCache(20, 14);
    const std::string framed = "#################..#\n"
                               "#################..#\n"
                               "##....####....######\n"
                               "##....####....######\n"
                               "##....####....######\n"
                               "##....####....######\n"
                               "##....####....######\n"
                               "##....####....######\n"
                               "##............######\n"
                               "##............######\n"
                               "##............######\n"
                               "##............######\n"
                               "####################\n"
                               "####################\n";
    auto target = NewBitmap24(20, 14);
    CopyCacheExceptWindows(Parent->Handle(), Control->SkinData, {0, 0, 20, 14}, 0, 0, false,
                           target->Canvas().Handle(), {0, 0, 20, 14});
    EXPECT_EQ(CopiedPicture(*target), framed) << "the border image is 4 wide, the caption band 0 high";

    FreeAndNil(Manager);
    target = NewBitmap24(20, 14);
    CopyCacheExceptWindows(Parent->Handle(), Control->SkinData, {0, 0, 20, 14}, 0, 0, false,
                           target->Canvas().Handle(), {0, 0, 20, 14});
    EXPECT_EQ(CopiedPicture(*target).substr(0, 21), "#################..#\n");
    EXPECT_EQ(CopiedPicture(*target).substr(21 * 6, 21), "####################\n")
        << "without a manager a group box is copied over";
    for (HWND w : {box, hidden, plain})
        DestroyWindow(w);
}

// Style 7 is a group box only for a button: a static's black frame and a centred multi-line
// edit are left out of the copy whole.
TEST_F(BackgroundTest, StyleSevenOfAnotherClassIsNoGroupBox)
{
    FillCache(20, 14);
    for (const wchar_t* cls : {L"STATIC", L"EDIT"}) {
        SCOPED_TRACE(std::string(cls, cls + wcslen(cls)));
        HWND child = CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | 7, 2, 2, 12, 10, Parent->Handle(), nullptr,
                                     nullptr, nullptr);
        auto target = NewBitmap24(20, 14);
        CopyCacheExceptWindows(Parent->Handle(), Control->SkinData, {0, 0, 20, 14}, 0, 0, false,
                               target->Canvas().Handle(), {0, 0, 20, 14});
        const std::string picture = CopiedPicture(*target);
        EXPECT_EQ(picture.substr(21 * 6, 21), "##............######\n") << picture;
        DestroyWindow(child);
    }
}

} // namespace
