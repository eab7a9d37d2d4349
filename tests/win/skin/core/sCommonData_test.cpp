#include "skin/core/sCommonData.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "vcl/TypInfo.h"
#include "win/skin/core/SkinTestFiles.h"

#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <string>
#include <vector>

namespace {

using ks::test::TempFolder;

constexpr TColor White = 0xFFFFFF;
constexpr TColor Black = 0x000000;

// Sections the tests put controls in: PANEL plain black, DARK plain dark grey, QUARTER white at
// 25 % transparency, CLEAR fully see-through, FRAMED see-through with 12-pixel borders, WIDE and
// WIDECLEAR with 16-pixel borders, GRAD a horizontal gradient, TEXTURED a texture, FONTY and
// SEETHRU for the font-section search.
constexpr std::string_view Options =
    "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\nCOLOR=8421504\r\n"
    "[EDIT]\r\nCOLOR=255\r\n"
    "[PANEL]\r\nCOLOR=0\r\n"
    "[DARK]\r\nCOLOR=4210752\r\n"
    "[QUARTER]\r\nCOLOR=16777215\r\nTRANSPARENCY=25\r\n"
    "[CLEAR]\r\nTRANSPARENCY=100\r\n"
    "[FRAMED]\r\nTRANSPARENCY=100\r\nBORDERSMASK=^0000^0000^0036^0012^0012^0012^0012^0012^3^0^0^0\r\n"
    "[WIDE]\r\nBORDERSMASK=^0000^0012^0048^0028^0016^0016^0016^0016^3^0^0^0\r\n"
    "[WIDECLEAR]\r\nTRANSPARENCY=100\r\nBORDERSMASK=^0000^0012^0048^0028^0016^0016^0016^0016^3^0^0^0\r\n"
    "[GRAD]\r\nGRADIENTPERCENT=50\r\nGRADIENTDATA=0;32768;100;1;0\r\n"
    "[TEXTURED]\r\nIMAGEPERCENT=50\r\nPATTERN=~0048~0000~0056~0008~00~0\r\n"
    "[FONTY]\r\nGIVEOWNFONT=TRUE\r\n"
    "[SEETHRU]\r\nTRANSPARENCY=60\r\n";

std::vector<uint8_t> Archive(std::string_view options)
{
    return ks::test::SkinArchive(options, ks::test::GreyMaster(64, 32));
}

// A skinned owner as the skinned controls are: its messages go through the shared handler
// first, and a container passes the skin manager's commands on to its children.
template <class Base>
class Skinned : public Base {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TTestSkinned", &Base::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    explicit Skinned(TComponent* owner) : Base(owner), SkinData(std::make_unique<TsCommonData>(this, true)) {}

    std::unique_ptr<TsCommonData> SkinData;
    std::vector<WORD> Commands;

    void WndProc(TMessage& m) override
    {
        if (m.Msg == SM_SKINCMD)
            Commands.push_back(HIWORD(m.WParam));
        if (RouteSkinMessage(m, SkinData.get()))
            return;
        if constexpr (std::is_base_of_v<TWinControl, Base>)
            if (m.Msg == SM_SKINCMD && HIWORD(m.WParam) >= SKC_NEW_SKIN && HIWORD(m.WParam) <= SKC_REFRESH)
                BroadcastCommand(this, m);
        Base::WndProc(m);
    }
};

using TBox = Skinned<TScrollingWinControl>;
using TBlock = Skinned<TGraphicControl>;
using TSkinnedEdit = Skinned<TEdit>;

class CommonDataTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Manager = ks::test::NewSkinManager(Dir, L"Test", Archive(Options));
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(0, 0, 300, 200);
        Form->HandleNeeded();
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    template <class T>
    T* Add(TWinControl* parent, const std::string& section, TRect bounds = {5, 7, 65, 47})
    {
        T* c = Create<T>(Form);
        c->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        c->SetParent(parent);
        if constexpr (std::is_base_of_v<TWinControl, T>)
            c->HandleNeeded();
        c->SkinData->SetSkinSection(section);
        c->SkinData->Loaded();
        return c;
    }

    static BackgroundInfo AskBackground(TControl& c, BackgroundInfo info = {})
    {
        ks::PerformSkinMessage(c, SM_SKINCMD, MAKELONG(0, SKC_GET_BG_INFO), reinterpret_cast<LPARAM>(&info));
        return info;
    }

    TempFolder Dir;
    TsSkinManager* Manager = nullptr;
    TForm* Form = nullptr;
};

TEST_F(CommonDataTest, TheSectionIsStoredUpperCaseAndTheOwnerToldOnlyOfAChange)
{
    TBox* box = Add<TBox>(Form, "PANEL");
    box->Commands.clear();

    box->SkinData->SetSkinSection("edit");
    EXPECT_EQ(box->SkinData->SkinSection(), "EDIT");
    EXPECT_EQ(box->SkinData->SkinIndex, Manager->FindSection("EDIT"));
    EXPECT_EQ(box->Commands, std::vector<WORD>{SKC_REFRESH});

    box->SkinData->SetSkinSection("EDIT");
    EXPECT_EQ(box->Commands, std::vector<WORD>{SKC_REFRESH}) << "the same name again sends nothing";

    box->SkinData->SetSkinSection("");
    EXPECT_EQ(box->SkinData->SkinSection(), "UNKNOWN");
    EXPECT_EQ(box->SkinData->SkinIndex, -1);
    EXPECT_FALSE(box->SkinData->IsSkinActive());
    EXPECT_EQ(box->Commands.back(), SKC_REMOVE_SKIN);
}

TEST_F(CommonDataTest, IndexesAndFlagsFollowTheSection)
{
    struct Case {
        const char* name;
        std::string section;
        uint16_t flags;
        bool texture;
        int maxBorder;
    } cases[] = {
        {"PlainColour", "PANEL", 0, false, 0},
        {"HorizontalGradient", "GRAD", BgVariesHorizontally, false, 0},
        {"Texture", "TEXTURED", BgHasTexture, true, 0},
        {"Borders", "WIDE", 0, false, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBlock* block = Add<TBlock>(Form, c.section);
        EXPECT_EQ(block->SkinData->BackgroundFlags, c.flags);
        EXPECT_EQ(block->SkinData->TextureIndex >= 0, c.texture);
        EXPECT_EQ(block->SkinData->MaxBorderWidthOf(), c.maxBorder);
        block->Free();
    }
}

TEST_F(CommonDataTest, ANewSkinAndARemovalReachTheControlThroughItsForm)
{
    // The second skin puts EDIT behind two more sections, so its index moves.
    Dir.Write(L"Other.asz", Archive("[GLOBALINFO]\r\nVERSION=6.4\r\n[A]\r\nCOLOR=1\r\n[B]\r\nCOLOR=2\r\n[EDIT]\r\nCOLOR=3\r\n"));
    TBox* box = Add<TBox>(Form, "PANEL");
    TBlock* block = Add<TBlock>(box, "EDIT");
    const int before = block->SkinData->SkinIndex;

    Manager->SetSkinName(L"Other");
    EXPECT_EQ(block->SkinData->SkinIndex, Manager->FindSection("EDIT"));
    EXPECT_NE(block->SkinData->SkinIndex, before);
    EXPECT_FALSE(block->SkinData->UpdateLock);

    block->SkinData->EnsureCacheBitmap();
    ASSERT_EQ(block->SkinData->CacheBitmap->Width(), 60) << "the cache takes the owner's size";
    Manager->SetActive(false);
    EXPECT_EQ(block->SkinData->SkinIndex, -1);
    EXPECT_EQ(block->SkinData->TextureIndex, -1);
    EXPECT_TRUE(block->SkinData->UpdateLock);
    EXPECT_EQ(block->SkinData->CacheBitmap->Width(), 0);
}

TEST_F(CommonDataTest, AFreedManagerLeavesNoReferenceBehind)
{
    // Without a parent the control is out of reach of the manager's removal broadcast.
    TBox* box = Create<TBox>(Form);
    box->SkinData->SetSkinSection("PANEL");
    box->SkinData->SetSkinManager(Manager);
    EXPECT_EQ(box->SkinData->OwnSkinManager(), nullptr) << "the default manager is not stored";

    auto* own = Create<TsSkinManager>(nullptr);
    own->SetSkinDirectory(Dir.Path());
    own->SetSkinName(L"Test");
    box->SkinData->SetSkinManager(own);
    ASSERT_EQ(box->SkinData->OwnSkinManager(), own);
    ASSERT_TRUE(box->SkinData->IsSkinActive());

    own->Free();
    EXPECT_EQ(box->SkinData->OwnSkinManager(), nullptr);
    EXPECT_EQ(box->SkinData->SkinManager(), Manager);
    EXPECT_EQ(box->SkinData->SkinIndex, -1);
    EXPECT_FALSE(box->SkinData->IsSkinActive());
}

TEST_F(CommonDataTest, OwnBackgroundAndTheParentsStateWord)
{
    struct Case {
        const char* name;
        std::string parent;
        std::string child;
        bool own;
    } cases[] = {
        {"PlainColour", "PANEL", "PANEL", false},
        {"SixteenPixelBorders", "PANEL", "WIDE", true},
        {"ClearOverAPlainContainer", "PANEL", "CLEAR", false},
        {"ClearOverASeeThroughContainer", "QUARTER", "CLEAR", true},
        {"QuarterTransparent", "PANEL", "QUARTER", true},
        {"Gradient", "PANEL", "GRAD", true},
        {"NotSkinned", "PANEL", "MISSING", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBox* box = Add<TBox>(Form, c.parent);
        TBlock* block = Add<TBlock>(box, c.child);
        EXPECT_EQ(block->SkinData->HasOwnBackground(), c.own);
        box->Free();
    }
}

TEST_F(CommonDataTest, ChildrenAskTheirBackground)
{
    TBox* plain = Add<TBox>(Form, "PANEL", {0, 0, 100, 100});
    TBox* quarter = Add<TBox>(Form, "QUARTER", {100, 0, 200, 100});
    quarter->SkinData->EnsureCacheBitmap();
    TBitmap* quarterImage = quarter->SkinData->CacheBitmap.get();
    struct Case {
        const char* name;
        TBox* parent;
        std::string section;
        uint8_t kind;
        TBitmap* bmp; // nullptr: the asked control's own cache
        TPoint offset;
    } cases[] = {
        {"Transparent", plain, "QUARTER", BgKindBitmap, nullptr, {0, 0}},
        {"ClearPassesToTheParent", quarter, "CLEAR", BgKindBitmap, quarterImage, {5, 7}},
        {"NarrowBordersPassToTheParent", quarter, "FRAMED", BgKindBitmap, quarterImage, {5, 7}},
        {"WideBordersAnswerTheirOwnImage", quarter, "WIDECLEAR", BgKindBitmap, nullptr, {0, 0}},
        {"PlainColour", plain, "PANEL", BgKindColor, nullptr, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBlock* block = Add<TBlock>(c.parent, c.section);
        const BackgroundInfo info = AskBackground(*block);
        EXPECT_EQ(info.BackgroundKind, c.kind);
        if (c.kind == BgKindColor)
            EXPECT_EQ(info.Color, Black);
        else
            EXPECT_EQ(info.Bmp, c.bmp ? c.bmp : block->SkinData->CacheBitmap.get());
        EXPECT_EQ(info.Offset.X, c.offset.X);
        EXPECT_EQ(info.Offset.Y, c.offset.Y);
        block->Free();
    }
}

TEST_F(CommonDataTest, APlainControlPaintsTheAskedRectangleWithItsColour)
{
    TBlock* block = Add<TBlock>(Form, "PANEL");
    auto target = NewBitmap24(8, 8);
    BackgroundInfo info;
    info.PaintRequested = true;
    info.TargetDC = target->Canvas().Handle();
    info.R = TRect(2, 2, 6, 6);
    info = AskBackground(*block, info);
    EXPECT_EQ(info.BackgroundKind, BgKindColor);
    EXPECT_EQ(GetPixel(info.TargetDC, 3, 3), Black);
    EXPECT_EQ(GetPixel(info.TargetDC, 1, 1), White);
    EXPECT_EQ(GetPixel(info.TargetDC, 6, 6), White) << "right and bottom lie outside";
}

TEST_F(CommonDataTest, BackgroundColourBlendsWithTheParent)
{
    TBox* box = Add<TBox>(Form, "PANEL");
    TBlock* block = Add<TBlock>(box, "QUARTER");
    // Three quarters of white to the nearest integer, and the 256-based byte blend of the command.
    EXPECT_EQ(block->SkinData->QueryBackgroundColor(false, nullptr), 0xBFBFBF);
    EXPECT_EQ(ControlBackColor(block), 0xE6E6E6);

    // A weight beyond 100 is taken as 100, the parent's colour, rather than wrapping.
    box->SkinData->SetSkinSection("DARK");
    Manager->GeneralDataArray.at(static_cast<size_t>(block->SkinData->SkinIndex)).Transparency = 250;
    EXPECT_EQ(block->SkinData->QueryBackgroundColor(false, nullptr), 0x404040);
    EXPECT_EQ(ControlBackColor(block), 0x404040);
}

TEST_F(CommonDataTest, ParentFontSectionSkipsSeeThroughParents)
{
    TBox* fonty = Add<TBox>(Form, "FONTY", {0, 0, 200, 150});
    TBox* seeThru = Add<TBox>(fonty, "SEETHRU", {0, 0, 100, 100});
    TBlock* block = Add<TBlock>(seeThru, "PANEL");
    EXPECT_EQ(GetParentSkinIndex(block, -7, Manager), Manager->FindSection("FONTY"));
    EXPECT_EQ(GetParentSkinIndex(Add<TBlock>(Add<TBox>(Form, "PANEL"), "PANEL"), -7, Manager), -7)
        << "a parent that gives no font";
    EXPECT_EQ(GetParentSkinIndex(Create<TBlock>(Form), -7, Manager), -7) << "a control without a parent";
    EXPECT_EQ(GetParentSkinIndex(block, -7, nullptr), -7) << "a control without a manager";

    // The sections are read in the control's own manager, not in the default one.
    auto* own = Create<TsSkinManager>(nullptr);
    own->GeneralDataArray = Manager->GeneralDataArray;
    own->GeneralDataArray.at(static_cast<size_t>(Manager->FindSection("FONTY"))).GiveOwnFont = false;
    own->GeneralDataArray.at(static_cast<size_t>(Manager->FindSection("SEETHRU"))).GiveOwnFont = true;
    own->GeneralDataArray.at(static_cast<size_t>(Manager->FindSection("SEETHRU"))).Transparency = 0;
    EXPECT_EQ(DefaultSkinManager, Manager);
    EXPECT_EQ(GetParentSkinIndex(block, -7, own), Manager->FindSection("SEETHRU"));
    own->Free();
}

TEST_F(CommonDataTest, UpdatingFollowsTheParentAndTheLock)
{
    TBox* box = Add<TBox>(Form, "QUARTER");
    TBlock* block = Add<TBlock>(box, "QUARTER");
    box->SkinData->BackgroundChanged = false;
    EXPECT_FALSE(block->SkinData->Updating());

    box->SkinData->BeginUpdate();
    EXPECT_TRUE(block->SkinData->Updating()) << "a child painting through its parent's image waits for it";
    box->SkinData->BeginUpdate();
    box->SkinData->EndUpdate();
    EXPECT_FALSE(block->SkinData->Updating()) << "updates do not nest";

    TBlock* orphan = Create<TBlock>(Form);
    orphan->SkinData->SetSkinSection("QUARTER");
    EXPECT_TRUE(orphan->SkinData->Updating()) << "no parent to paint through";
}

// Only queries are answered; commands that change state go on to the owner's default handling.
TEST_F(CommonDataTest, OnlyQueriesAreHandled)
{
    TBox* box = Add<TBox>(Form, "QUARTER");
    struct Case {
        WORD command;
        bool handled;
    } cases[] = {
        {SKC_IS_SKINNED, true},     {SKC_IS_UPDATING, true},      {SKC_IS_CACHE_OUTDATED, true},
        {SKC_IS_BG_COMPLEX, true},  {SKC_GET_BG_COLOR, true},     {SKC_GET_SKIN_INDEX, true},
        {SKC_GET_STATE, true},      {SKC_NEW_SKIN, false},        {SKC_REFRESH, false},
        {SKC_SET_UPDATING, false},  {SKC_SET_TRANSPARENT, false}, {SKC_SET_BG_CHANGED, false},
        {SKC_CHECK_BG, false},      {SKC_GET_BG_INFO, false},     {SKC_GET_APPLICATION, false},
        {SKC_GET_CLIENT_OFFSET, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        TMessage m = SkinCommand(c.command, reinterpret_cast<LPARAM>(Manager));
        EXPECT_EQ(CommonSkinCommand(m, box->SkinData.get()), c.handled);
    }
    TMessage index = SkinCommand(SKC_GET_SKIN_INDEX, 0);
    CommonSkinCommand(index, box->SkinData.get());
    EXPECT_EQ(index.Result, Manager->FindSection("QUARTER") + 1);
}

TEST_F(CommonDataTest, AnEditTakesTheSectionColoursAndGetsTheWindowColoursBack)
{
    struct Case {
        const char* name;
        bool customColor;
        TColor skinned;
        TColor removed;
    } cases[] = {
        {"SkinColours", false, 255, clWindow},
        {"CustomColourKept", true, clFuchsia, clFuchsia},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Manager->SetActive(true);
        auto* edit = Create<TSkinnedEdit>(Form);
        edit->SetColor(clFuchsia);
        edit->SkinData->SetCustomColor(c.customColor);
        edit->SetParent(Form);
        edit->SkinData->SetSkinSection("EDIT");
        edit->SkinData->Loaded();
        EXPECT_EQ(edit->Color(), c.skinned);
        Manager->SetActive(false);
        EXPECT_EQ(edit->Color(), c.removed);
        EXPECT_EQ(edit->Font()->Color(), clWindowText);
        edit->Free();
    }
}

HWND gThemed = nullptr;
HRESULT WINAPI RecordTheme(HWND wnd, const wchar_t* app, const wchar_t* ids)
{
    gThemed = !app && !ids ? wnd : nullptr;
    return S_OK;
}

// While skinned the control swallows the interface-state change; unskinned it gets its visual
// style back.
TEST_F(CommonDataTest, InterfaceStateChangesRestoreTheStyleOnlyWithoutASkin)
{
    TBox* box = Add<TBox>(Form, "PANEL");
    gThemed = nullptr;
    ks::Sys().SetWindowThemePtr = &RecordTheme;
    ks::Sys().ThemesActive = [] { return true; };
    TMessage m{WM_UPDATEUISTATE, 0, 0, 0};
    EXPECT_TRUE(RouteSkinMessage(m, box->SkinData.get()));
    EXPECT_EQ(gThemed, nullptr);

    box->SkinData->SetSkinSection("MISSING");
    EXPECT_FALSE(RouteSkinMessage(m, box->SkinData.get()));
    EXPECT_EQ(gThemed, box->Handle());
}

TEST_F(CommonDataTest, DisabledControlsAreNeverHot)
{
    TBlock* block = Add<TBlock>(Form, "PANEL");
    block->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(block));
    EXPECT_TRUE(block->SkinData->IsControlHot());
    block->SetEnabled(false);
    block->SkinData->MouseIsAbove = true;
    EXPECT_FALSE(block->SkinData->IsControlHot());
    block->SetEnabled(true);
    block->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(block));
    EXPECT_FALSE(block->SkinData->IsControlHot());
}

TEST_F(CommonDataTest, AnOwnerlessCacheIsMadeEmpty)
{
    TsCommonData ownerless(nullptr, false);
    ownerless.EnsureCacheBitmap();
    ASSERT_NE(ownerless.CacheBitmap, nullptr);
    EXPECT_EQ(ownerless.CacheBitmap->Width(), 0);
}

} // namespace

namespace {

// A resize of a gradient parent tells its children to look at their background again, except
// those anchored right or bottom: they move or stretch, and their own resize tells them.
TEST_F(CommonDataTest, AGradientParentsResizeTellsOnlyChildrenThatStayPut)
{
    TBox* parent = Add<TBox>(Form, "GRAD", {0, 0, 200, 150});
    struct Case { const char* name; TAnchors anchors; bool told; } cases[] = {
        {"LeftTop", {akLeft, akTop}, true},
        {"Right", {akTop, akRight}, false},
        {"Bottom", {akLeft, akBottom}, false},
        {"Stretched", {akLeft, akTop, akRight, akBottom}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBlock* child = Add<TBlock>(parent, "PANEL", {5, 5, 25, 25});
        child->SetAnchors(c.anchors);
        child->Commands.clear();
        parent->Perform(WM_SIZE, 0, MAKELPARAM(200, 150));
        EXPECT_EQ(std::count(child->Commands.begin(), child->Commands.end(), SKC_CHECK_BG), c.told ? 1 : 0);
        child->Free();
    }
}

} // namespace
