// The button-family adapters on real BUTTON windows under a skin of solid colours: the look of
// each state, what the platform control is kept from painting, and where the painters put
// their pictures.
#include "skin/adapters/acButtonAdapters.h"

#include "skin/core/sCommonData.h"
#include "vcl/Buttons.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "vcl/StdCtrls.h"
#include "win/skin/adapters/AdapterSkinFixture.h"
#include "win/support/FakeCursor.h"

#include <gtest/gtest.h>

namespace {

using namespace ks::test;

class ButtonAdapterTest : public AdapterFixture {
protected:
    template <class T>
    T* Adapt(HWND wnd, const char* section = "")
    {
        return TacMainWnd::Create<T>(wnd, nullptr, Manager, section, false);
    }
};

TEST_F(ButtonAdapterTest, PushButtonShowsEachStateInItsSkinLook)
{
    HWND wnd = Child(L"BUTTON", BS_PUSHBUTTON, L"", {10, 10, 90, 40});
    auto* a = Adapt<TacBtnWnd>(wnd);
    EXPECT_EQ(a->SkinData->SkinSection(), "BUTTON");
    struct Look { TColor border, inside; };
    auto look = [&] {
        auto p = Print(wnd);
        return Look{At(*p, 1, 1), At(*p, 10, 15)};
    };
    Look normal = look();
    EXPECT_EQ(normal.border, BorderCells[0]);
    EXPECT_EQ(normal.inside, ButtonColour);

    Manager->SetActiveControl(wnd);
    EXPECT_EQ(a->ButtonState(), 1);
    Look hot = look();
    EXPECT_EQ(hot.border, BorderCells[1]);
    EXPECT_EQ(hot.inside, ButtonHotColour);
    Manager->SetActiveControl(nullptr);

    SendMessageW(wnd, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(look().border, BorderCells[2]);
    EXPECT_EQ(OnScreen(wnd, 1, 1), BorderCells[2]) << "the pressed look reached the screen, not the platform's";
    SendMessageW(wnd, BM_SETSTATE, FALSE, 0);
    EXPECT_EQ(OnScreen(wnd, 1, 1), BorderCells[0]);

    // Printing paints into the DC it is given and leaves a pending update to WM_PAINT.
    InvalidateRect(wnd, nullptr, FALSE);
    look();
    EXPECT_TRUE(GetUpdateRect(wnd, nullptr, FALSE));
    UpdateWindow(wnd);

    EnableWindow(wnd, FALSE);
    const Look disabled = look();
    EXPECT_TRUE(Near(disabled.inside, DisabledMix(ButtonColour, ParentColour))) << std::hex << disabled.inside;
    EXPECT_TRUE(Near(OnScreen(wnd, 10, 15), DisabledMix(ButtonColour, ParentColour)));
    a->Free();
}

TEST_F(ButtonAdapterTest, DefaultAndFocusedButtonsAreLitAndFocusDotsNeedACaption)
{
    HWND def = Child(L"BUTTON", BS_DEFPUSHBUTTON, L"", {10, 10, 90, 40});
    auto* d = Adapt<TacBtnWnd>(def);
    EXPECT_EQ(d->ButtonState(), 1) << "a bare default button by its style";

    HWND plain = Child(L"BUTTON", BS_PUSHBUTTON, L"", {10, 60, 90, 90});
    HWND titled = Child(L"BUTTON", BS_PUSHBUTTON, L"Go", {10, 110, 90, 140});
    auto* p = Adapt<TacBtnWnd>(plain);
    auto* t = Adapt<TacBtnWnd>(titled);
    // Hot and focused both paint state 1; only the focus adds the dots, and only round a caption.
    for (auto [wnd, expectDots] : {std::pair{plain, false}, std::pair{titled, true}}) {
        Manager->SetActiveControl(wnd);
        auto hot = Print(wnd);
        Manager->SetActiveControl(nullptr);
        SetFocus(wnd);
        EXPECT_EQ(SendMessageW(wnd, BM_GETSTATE, 0, 0) & BST_FOCUS, BST_FOCUS);
        auto focused = Print(wnd);
        EXPECT_EQ(At(*focused, 1, 1), BorderCells[1]);
        EXPECT_EQ(!SamePicture(*hot, *focused), expectDots) << (expectDots ? "captioned" : "empty caption");
        SetFocus(Parent);
    }
    d->Free();
    p->Free();
    t->Free();
}

TEST_F(ButtonAdapterTest, MouseMovesMakeTheButtonHotAndDropItOutside)
{
    UseFakeCursor({});
    HWND wnd = Child(L"BUTTON", BS_PUSHBUTTON, L"OK", {10, 10, 90, 40});
    auto* a = Adapt<TacBtnWnd>(wnd);
    RECT r{};
    GetWindowRect(wnd, &r);
    gCursor = {r.left + 5, r.top + 5};
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Manager->ActiveControl, wnd);
    EXPECT_EQ(OnScreen(wnd, 1, 1), BorderCells[1]);
    gCursor = {r.right + 20, r.top + 5};
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(100, 5));
    EXPECT_EQ(Manager->ActiveControl, nullptr);
    EXPECT_EQ(OnScreen(wnd, 1, 1), BorderCells[0]) << "repainted in the normal state";
    a->Free();
}

TEST_F(ButtonAdapterTest, ABitmapButtonShowsItsBitmapLeftOfTheCaption)
{
    HWND wnd = Child(L"BUTTON", BS_PUSHBUTTON | BS_BITMAP, L"Save", {10, 10, 110, 40});
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 12, 12);
    ReleaseDC(nullptr, screen);
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, 12, 12};
        FillWith(dc, all, 0x0000FF00);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    SendMessageW(wnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    auto* a = Adapt<TacBitBtnWnd>(wnd);
    EXPECT_EQ(a->GlyphSize(), (TSize{12, 12}));
    auto p = Print(wnd);
    int green = 0, firstGreen = p->Width();
    for (int x = 0; x < p->Width(); ++x)
        if (At(*p, x, 15) == 0x0000FF00) {
            ++green;
            firstGreen = std::min(firstGreen, x);
        }
    EXPECT_EQ(green, 12);
    EXPECT_LT(firstGreen, 50) << "left of the middle, where the caption is";
    a->Free();
    DeleteObject(bitmap);
}

int GlyphAt(TBitmap& p, int x, int y, int& cell)
{
    const TColor c = static_cast<TColor>(GetPixel(p.Canvas().Handle(), x, y));
    for (int g = 0; g < 5; ++g)
        for (cell = 0; cell < 3; ++cell)
            if (GlyphColour(g, cell) == c)
                return g;
    return -1;
}

TEST_F(ButtonAdapterTest, CheckBoxGlyphsFollowTypeCheckAndState)
{
    struct Case { const char* name; DWORD style; WPARAM check; const char* glyph; bool rightGlyph; } cases[] = {
        {"auto check box", BS_AUTOCHECKBOX, BST_UNCHECKED, "BOXUNCHECKED", false},
        {"ticked", BS_AUTOCHECKBOX, BST_CHECKED, "BOXCHECKED", false},
        {"grayed 3-state", BS_3STATE, BST_INDETERMINATE, "BOXGRAYED", false},
        {"radio", BS_RADIOBUTTON, BST_CHECKED, "RADIOCHECKED", false},
        {"radio unchecked", BS_RADIOBUTTON, BST_UNCHECKED, "RADIOUNCHECKED", false},
        {"auto radio shows boxes", BS_AUTORADIOBUTTON, BST_CHECKED, "BOXCHECKED", false},
        {"left text", BS_AUTOCHECKBOX | BS_LEFTTEXT, BST_CHECKED, "BOXCHECKED", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND wnd = Child(L"BUTTON", c.style, L"Digits", {10, 10, 130, 31});
        auto* a = Adapt<TacCheckBoxWnd>(wnd);
        EXPECT_EQ(a->SkinData->SkinSection(), "CHECKBOX");
        SendMessageW(wnd, BM_SETCHECK, c.check, 0);
        const int x = c.rightGlyph ? 120 - GlyphSize / 2 : GlyphSize / 2;
        auto p = Print(wnd);
        int cell = -1;
        EXPECT_EQ(GlyphAt(*p, x, 10, cell), GlyphRow(c.glyph));
        EXPECT_EQ(cell, 0);
        EXPECT_EQ(At(*p, c.rightGlyph ? 2 : 118, 1), BoxColour) << "the section behind";
        EXPECT_EQ(OnScreen(wnd, x, 10), GlyphColour(GlyphRow(c.glyph), 0)) << "BM_SETCHECK repainted the skin";

        Manager->SetActiveControl(wnd);
        p = Print(wnd);
        EXPECT_EQ(GlyphAt(*p, x, 10, cell), GlyphRow(c.glyph));
        EXPECT_EQ(cell, 1) << "hot";
        EXPECT_EQ(At(*p, c.rightGlyph ? 2 : 118, 1), BoxHotColour);
        Manager->SetActiveControl(nullptr);
        SendMessageW(wnd, BM_SETSTATE, TRUE, 0);
        p = Print(wnd);
        EXPECT_EQ(GlyphAt(*p, x, 10, cell), GlyphRow(c.glyph));
        EXPECT_EQ(cell, 2) << "pressed";
        a->Free();
        DestroyWindow(wnd);
    }
}

TEST_F(ButtonAdapterTest, AnotherBoxPaintedMeanwhileLeavesTheGlyphsAlone)
{
    HWND box = Child(L"BUTTON", BS_AUTOCHECKBOX, L"", {10, 10, 130, 31});
    HWND radio = Child(L"BUTTON", BS_RADIOBUTTON, L"", {10, 40, 130, 61});
    auto* a = Adapt<TacCheckBoxWnd>(box);
    auto* b = Adapt<TacCheckBoxWnd>(radio);
    // The parent repaints the radio button while the check box announces its own paint.
    gParent.paintOnChildPaint = radio;
    auto p = Print(box);
    EXPECT_EQ(gParent.childPaints, 2);
    int cell = -1;
    EXPECT_EQ(GlyphAt(*p, GlyphSize / 2, 10, cell), GlyphRow("BOXUNCHECKED"));
    a->Free();
    b->Free();
}

TEST_F(ButtonAdapterTest, DisabledCheckBoxBlendsTowardsTheBackground)
{
    HWND wnd = Child(L"BUTTON", BS_AUTOCHECKBOX | WS_DISABLED, L"", {10, 10, 130, 31});
    auto* a = Adapt<TacCheckBoxWnd>(wnd);
    auto p = Print(wnd);
    EXPECT_TRUE(Near(At(*p, 100, 10), DisabledMix(BoxColour, ParentColour)));
    EXPECT_TRUE(Near(At(*p, GlyphSize / 2, 10), DisabledMix(GlyphColour(0, 0), ParentColour)));
    a->Free();
}

TEST_F(ButtonAdapterTest, GroupBoxSectionStartsHalfWayDownItsCaptionBand)
{
    for (const wchar_t* caption : {L"", L"Options"}) {
        SCOPED_TRACE(caption[0] ? "captioned" : "empty");
        HWND wnd = Child(L"BUTTON", BS_GROUPBOX, caption, {10, 10, 200, 110});
        auto* a = Adapt<TacGroupBoxWnd>(wnd);
        const int band = static_cast<int>(SendMessageW(wnd, SM_SKINCMD, MAKEWPARAM(0, SKC_GET_CAPTION_HEIGHT), 0));
        if (!caption[0])
            EXPECT_EQ(band, 6) << "the band of an empty caption";
        else
            EXPECT_GT(band, 6);
        // WM_PRINT as a parent's child printing sends it: the DC given, no flags.
        auto p = std::make_unique<TBitmap>();
        p->SetPixelFormat(pf24bit);
        p->SetSize(190, 100);
        SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(p->Canvas().Handle()), 0);
        GdiFlush();
        EXPECT_EQ(At(*p, 185, band / 2 - 1), ParentColour);
        EXPECT_EQ(At(*p, 185, band / 2), BorderCells[0]) << "the section's frame";
        EXPECT_EQ(At(*p, 100, 90), GroupColour);
        bool text = false;
        for (int x = 6; x < 100; ++x)
            text = text || At(*p, x, band / 2 - 1) != ParentColour;
        EXPECT_EQ(text, caption[0] != 0) << "caption text only for a caption";
        a->Free();
        DestroyWindow(wnd);
    }
}

TEST_F(ButtonAdapterTest, ADialogGroupBoxPaintsOnlyItsFrame)
{
    HWND wnd = Child(L"BUTTON", BS_GROUPBOX, L"", {10, 10, 200, 110});
    auto* a = Adapt<TacGroupBoxWnd>(wnd);
    a->DlgMode = true;
    auto p = Print(wnd);
    EXPECT_EQ(At(*p, 100, 50), clWhite) << "the inside is the dialog's";
    EXPECT_EQ(At(*p, 100, 98), BorderCells[0]);
    EXPECT_EQ(At(*p, 1, 50), BorderCells[0]);
    a->Free();
}

TEST_F(ButtonAdapterTest, WithTheSkinOffOrTheWindowGoneTheButtonsAreTheirOwn)
{
    struct Kind { DWORD style; TacMainWnd* (*make)(HWND, TsSkinManager*); int y; TColor skinned; };
    auto btn = [](HWND w, TsSkinManager* m) -> TacMainWnd* { return TacMainWnd::Create<TacBtnWnd>(w, nullptr, m, "", false); };
    auto bit = [](HWND w, TsSkinManager* m) -> TacMainWnd* { return TacMainWnd::Create<TacBitBtnWnd>(w, nullptr, m, "", false); };
    auto box = [](HWND w, TsSkinManager* m) -> TacMainWnd* { return TacMainWnd::Create<TacCheckBoxWnd>(w, nullptr, m, "", false); };
    auto grp = [](HWND w, TsSkinManager* m) -> TacMainWnd* { return TacMainWnd::Create<TacGroupBoxWnd>(w, nullptr, m, "", false); };
    const Kind kinds[] = {{BS_PUSHBUTTON, btn, 1, BorderCells[0]}, {BS_BITMAP, bit, 1, BorderCells[0]},
                          {BS_AUTOCHECKBOX, box, 1, BoxColour}, {BS_GROUPBOX, grp, 20, BorderCells[0]}};
    for (const Kind& k : kinds) {
        HWND wnd = Child(L"BUTTON", k.style, L"x", {10, 10, 100, 40});
        TacMainWnd* a = k.make(wnd, Manager);
        EXPECT_EQ(At(*Print(wnd), 1, k.y), k.skinned);
        Manager->SetActive(false);
        EXPECT_NE(At(*Print(wnd), 1, k.y), k.skinned) << "the platform's own look";
        Manager->SetActive(true);
        DestroyWindow(wnd);
        EXPECT_TRUE(a->Destroyed) << "let go with the window";
        a->Free();
    }
}

// The warning box's button: a class-library TButton named in the manager's ThirdButtons list,
// taken over through its WindowProc with skin data that belongs to it.
TEST_F(ButtonAdapterTest, AClassLibraryButtonOfTheThirdButtonsListIsSkinned)
{
    ks::SetNextFormCreation({true, false, {}});
    auto* form = CreateNew<TForm>(Application);
    form->SetBounds(40, 40, 200, 100);
    auto* button = Create<TButton>(form);
    button->SetParent(form);
    button->SetBounds(10, 10, 90, 30);
    button->SetDefault(true);
    form->Show();
    Pump();
    EXPECT_GE(Manager->ThirdLists[1].IndexOf(button->ClassName()), 0);
    TsCommonData skinData(button, true);
    skinData.OwnerControl = button;
    auto* a = TacMainWnd::Create<TacBtnWnd>(button->Handle(), &skinData, Manager, "", false);
    EXPECT_EQ(skinData.SkinSection(), "BUTTON");
    EXPECT_TRUE(button->ControlStyle().Contains(csOpaque));
    EXPECT_EQ(a->ButtonState(), 1) << "a default class-library button";
    RedrawWindow(button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(OnScreen(button->Handle(), 1, 1), BorderCells[1]);
    a->Free();
    FreeAndNil(form);
}

// A class-library bit button taken over with skin data of its own: the adapter reads its glyph
// and settings, not the window's BS_BITMAP image.
class BitBtnAdapterTest : public ButtonAdapterTest {
protected:
    static constexpr TColor Up = 0x00008000, Down = 0x00000080, Key = 0x00FF00FF;
    void SetUp() override
    {
        ButtonAdapterTest::SetUp();
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(40, 40, 300, 160);
        Button = Create<TBitBtn>(Form);
        Button->SetParent(Form);
        Button->SetBounds(10, 10, 140, 70);
        Button->SetCaption(L"Save");
        Form->Show();
        Pump();
        // Unfocused, so that the normal state shows the up cell.
        SetFocus(Form->Handle());
        Data = std::make_unique<TsCommonData>(Button, true);
        Data->OwnerControl = Button;
    }
    void TearDown() override
    {
        if (A)
            A->Free();
        FreeAndNil(Form);
        Data.reset();
        ButtonAdapterTest::TearDown();
    }
    void Adapt() { A = TacMainWnd::Create<TacBitBtnWnd>(Button->Handle(), Data.get(), Manager, "", false); }
    // Two 12 x 12 cells, up and pressed, each with a key-coloured bottom-left pixel.
    void GiveTwoCells()
    {
        Button->SetGlyph(KeyedGlyphCells({Up, Down}, 12, Key).get());
        Button->SetNumGlyphs(2);
    }
    // The box of the pixels of one colour (or near white, the caption's), empty when none.
    static TRect Box(TBitmap& p, bool (*match)(TColor))
    {
        TRect r{p.Width(), p.Height(), -1, -1};
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x)
                if (match(At(p, x, y)))
                    r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
        return r.Right < 0 ? TRect{} : r;
    }
    static bool IsUp(TColor c) { return c == Up; }
    static bool IsDown(TColor c) { return c == Down; }
    static bool IsText(TColor c) { return (c & 0xFF) > 0xA0 && ((c >> 8) & 0xFF) > 0xA0 && ((c >> 16) & 0xFF) > 0xA0; }

    TForm* Form = nullptr;
    TBitBtn* Button = nullptr;
    std::unique_ptr<TsCommonData> Data;
    TacBitBtnWnd* A = nullptr;
};

TEST_F(BitBtnAdapterTest, GlyphAndCaptionFollowTheLayoutAndThePress)
{
    GiveTwoCells();
    Adapt();
    EXPECT_EQ(A->GlyphSize(), (TSize{12, 12})) << "one cell of the owner's glyph";
    struct Case { TButtonLayout layout; const char* name; } cases[] = {
        {blGlyphLeft, "left"}, {blGlyphRight, "right"}, {blGlyphTop, "top"}, {blGlyphBottom, "bottom"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Button->SetLayout(c.layout);
        auto p = Print(Button->Handle());
        const TRect glyph = Box(*p, IsUp);
        EXPECT_EQ(glyph.Width(), 12);
        const TRect caption = Box(*p, IsText);
        ASSERT_GT(caption.Width(), 0) << "the caption is drawn";
        switch (c.layout) {
        case blGlyphLeft: EXPECT_GT(caption.Left, glyph.Right); break;
        case blGlyphRight: EXPECT_LT(caption.Right, glyph.Left); break;
        case blGlyphTop: EXPECT_GT(caption.Top, glyph.Bottom); break;
        case blGlyphBottom: EXPECT_LT(caption.Bottom, glyph.Top); break;
        }
    }
    Button->SetLayout(blGlyphLeft);
    const TRect up = Box(*Print(Button->Handle()), IsUp);
    SendMessageW(Button->Handle(), BM_SETSTATE, TRUE, 0);
    auto pressed = Print(Button->Handle());
    EXPECT_EQ(Box(*pressed, IsUp), TRect{}) << "the up cell is gone";
    EXPECT_EQ(Box(*pressed, IsDown), (TRect{up.Left + 1, up.Top + 1, up.Right + 1, up.Bottom + 1}))
        << "the pressed cell, one pixel right and down";
    EXPECT_EQ(At(*pressed, up.Left + 1, up.Bottom), At(*pressed, up.Left - 2, up.Bottom))
        << "the key pixel shows the button";
}

TEST_F(BitBtnAdapterTest, AGlyphWithAlphaShowsTheButtonThroughItsClearPart)
{
    TBitmap glyph;
    glyph.SetPixelFormat(pf32bit);
    glyph.SetSize(12, 12);
    for (int y = 0; y < 12; ++y) {
        uint8_t* row = glyph.ScanLine(y);
        for (int x = 0; x < 12; ++x) {
            const bool solid = x < 6;
            row[4 * x] = solid ? 0xFF : 0;  // blue where solid, clear black elsewhere
            row[4 * x + 1] = row[4 * x + 2] = 0;
            row[4 * x + 3] = solid ? 0xFF : 0;
        }
    }
    Button->SetGlyph(&glyph);
    Adapt();
    auto p = Print(Button->Handle());
    // Blended at full alpha: blue within a step of rounding.
    const TRect blue = Box(*p, [](TColor c) { return (c & 0xFFFF) == 0 && (c >> 16) >= 0xFE; });
    ASSERT_EQ(blue.Width(), 6);
    EXPECT_EQ(blue.Height(), 12);
    EXPECT_EQ(At(*p, blue.Right + 3, blue.Top + 6), ButtonColour) << "the clear half is not black";
}

// The see-through frame pixels of an adapted window show the skin's global colour when the
// parent answers no colour of its own, as the bars and the other adapters do.
TEST_F(ButtonAdapterTest, FramePixelsBehindAWindowWhoseParentAnswersNoColourTakeTheGlobalColour)
{
    HWND wnd = Child(L"BUTTON", BS_PUSHBUTTON, L"", {10, 10, 90, 40});
    auto* a = TacMainWnd::Create<TacMainWnd>(wnd, nullptr, Manager, "BUTTON", false);
    TsCommonData* data = a->SkinData;
    ASSERT_GE(data->BorderIndex, 0);
    GetWndPosition(wnd, a->ParentWnd, a->WndRect, a->ParentRect, a->WndSize, a->WndPos);
    gParent.answer = TransparentKeyColor;
    data->CacheBitmap->SetPixelFormat(pf24bit);
    data->CacheBitmap->SetSize(80, 30);
    data->CacheBitmap->Canvas().Brush().SetColor(TransparentKeyColor);
    data->CacheBitmap->Canvas().FillRect({0, 0, 80, 30});
    DrawWndBorder(data, nullptr, a);
    const TColor global = ColorToRGB(Manager->GlobalSectionColor());
    ASSERT_NE(global, ColorToRGB(clBtnFace));
    EXPECT_EQ(At(*data->CacheBitmap, 0, 0), global);
    EXPECT_EQ(At(*data->CacheBitmap, 79, 29), global);
    a->Free();
    DestroyWindow(wnd);
}

} // namespace
