// The contact sheet of the skinned controls: every class (the check box unticked, ticked and
// grayed) in every state, each a fresh control on a form under the internal skin, captured as
// the form shows it into one picture, <build>/controls-sheet.png, for people to look at. Each
// cell is also checked at a pixel the state decides, so a control drawn unskinned or in the
// wrong look fails here as well as on the sheet.
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sSpeedButton.h"
#include "skin/controls/sSpinEdit.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sMessages.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/SheetPng.h"


#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace ks::test;

UINT_PTR WINAPI NoSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) { return id; }
BOOL WINAPI NoKillTimer(HWND, UINT_PTR) { return TRUE; }

// The internal skin's lit speed button plate.
constexpr TColor Plate = 128769;

enum class State { Normal, Hot, Pressed, Focused, Disabled };
constexpr State States[] = {State::Normal, State::Hot, State::Pressed, State::Focused, State::Disabled};
constexpr const char* StateNames[] = {"normal", "hot", "pressed", "focused", "disabled"};

// What a cell must show: the probe pixel in a colour, the colour anywhere in the cell, or the
// cell differing from (or equal to) the same control's normal cell.
enum class Kind { At, Somewhere, Differs, Same };
struct Expect {
    Kind kind;
    TColor colour = 0;
};
constexpr Expect At(TColor c) { return {Kind::At, c}; }
constexpr Expect Somewhere(TColor c) { return {Kind::Somewhere, c}; }
constexpr Expect Differs{Kind::Differs};
constexpr Expect Same{Kind::Same};

struct Row {
    const char* name;
    std::function<TControl*(TForm*)> make;
    std::function<TPoint(TControl*)> probe;
    Expect expect[5];
};

TColor Read(TBitmap& b, int x, int y)
{
    if (x < 0 || y < 0 || x >= b.Width() || y >= b.Height())
        return 0xFFFFFFFF;
    return static_cast<TColor>(GetPixel(b.Canvas().Handle(), x, y));
}

bool HasColour(TBitmap& b, TColor c)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (Read(b, x, y) == c)
                return true;
    return false;
}

bool SamePicture(TBitmap& a, TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (Read(a, x, y) != Read(b, x, y))
                return false;
    return true;
}

template <class T> T* Placed(TForm* form, int w, int h)
{
    auto* c = Create<T>(form);
    c->SetBounds(10, 10, w, h);
    c->SetParent(form);
    return c;
}

TControl* MakeCheckBox(TForm* form, TCheckBoxState state)
{
    auto* box = Placed<TsCheckBox>(form, 40, 17);
    box->SetCaption(L"Цифры [ 0-9 ]");
    box->SetState(state);
    return box;
}

TPoint CheckGlyph(TControl* c, int x, int y)
{
    const TRect r = static_cast<TsCheckBox*>(c)->CheckRect();
    return {r.Left + x, r.Top + y};
}

class ControlSheetTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        ks::Sys().SetTimer = &NoSetTimer;
        ks::Sys().KillTimer = &NoKillTimer;
        Form->SetBounds(40, 40, 300, 200);
        // Holds the focus, so that only the focused column shows a focused control.
        Other = Create<TsButton>(Form);
        Other->SetBounds(200, 140, 60, 24);
        Other->SetParent(Form);
        Other->SetFocus();
        Pump();
    }

    // Lets a fade the state started run to its end.
    static void RunFades(TControl* c)
    {
        auto step = [](auto* timer) {
            if (timer)
                SendMessageW(timer->Handle(), WM_TIMER, timer->TimerId(), 0);
        };
        for (int i = 0; i < 40; ++i) {
            if (auto* b = dynamic_cast<TsButton*>(c))
                step(b->FadeTimer());
            else if (auto* k = dynamic_cast<TsCheckBox*>(c))
                step(k->FadeTimer());
            else if (auto* s = dynamic_cast<TsSpeedButton*>(c))
                step(s->FadeTimer());
        }
    }

    void Enter(State state, TControl* c)
    {
        auto* windowed = dynamic_cast<TWinControl*>(c);
        const int cx = c->Width() / 2, cy = c->Height() / 2;
        switch (state) {
        case State::Normal: break;
        case State::Hot: c->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(c)); break;
        case State::Pressed:
            c->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(c));
            if (windowed)
                SendMessageW(windowed->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
            else
                SendMessageW(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c->Left() + cx, c->Top() + cy));
            break;
        case State::Focused:
            if (windowed && windowed->CanFocus())
                windowed->SetFocus();
            break;
        case State::Disabled: c->SetEnabled(false); break;
        }
        Pump();
        RunFades(c);
        Pump();
    }

    TsButton* Other = nullptr;
};

TEST_F(ControlSheetTest, EveryControlInEveryStateShowsItsSkinLook)
{
    ASSERT_TRUE(Manager->SkinData.SkinActive) << "the internal skin did not load";
    const TColor labelColour = ColorToRGB(Manager->GlobalSectionFontColor());
    auto topMiddle = [](TControl* c) { return TPoint{c->Width() / 2, 0}; };
    auto corner = [](TControl*) { return TPoint{0, 0}; };
    auto middle = [](TControl* c) { return TPoint{c->Width() / 2, c->Height() / 2}; };
    auto frame = [](TControl* c) { return CheckGlyph(c, 1, 2); };
    const std::vector<Row> rows = {
        {"TsEdit",
         [](TForm* f) {
             auto* e = Placed<TsEdit>(f, 120, 24);
             e->SetText(L"abc");
             return e;
         },
         corner,
         {At(SkinGreen), At(SkinBrightGreen), At(SkinBrightGreen), At(SkinBrightGreen), Differs}},
        {"TsButton",
         [](TForm* f) {
             auto* b = Placed<TsButton>(f, 90, 30);
             b->SetCaption(L"Ещё");
             return b;
         },
         topMiddle,
         {At(SkinGreen), At(SkinBrightGreen), At(SkinBrightGreen), At(SkinBrightGreen), Differs}},
        {"TsCheckBox unchecked", [](TForm* f) { return MakeCheckBox(f, cbUnchecked); }, frame,
         {At(SkinGreen), At(SkinBrightGreen), At(SkinBrightGreen), At(SkinBrightGreen), Differs}},
        {"TsCheckBox checked", [](TForm* f) { return MakeCheckBox(f, cbChecked); }, frame,
         {At(SkinGreen), At(SkinBrightGreen), At(SkinBrightGreen), At(SkinBrightGreen), Differs}},
        {"TsCheckBox grayed", [](TForm* f) { return MakeCheckBox(f, cbGrayed); }, frame,
         {At(SkinGreen), At(SkinBrightGreen), At(SkinBrightGreen), At(SkinBrightGreen), Differs}},
        {"TsSpeedButton", [](TForm* f) { return Placed<TsSpeedButton>(f, 40, 24); }, middle,
         // It takes no focus.
         {At(Plate), Differs, Differs, Same, Differs}},
        {"TsSpinEdit",
         [](TForm* f) {
             auto* s = Placed<TsSpinEdit>(f, 80, 21);
             s->SetMinValue(1);
             s->SetMaxValue(999);
             s->SetValue(12);
             return s;
         },
         corner,
         {At(SkinGreen), At(SkinBrightGreen), At(SkinBrightGreen), At(SkinBrightGreen), Differs}},
        {"TsGroupBox",
         [](TForm* f) {
             auto* g = Placed<TsGroupBox>(f, 120, 60);
             g->SetCaption(L"Options");
             return g;
         },
         corner,
         // A frame has no hover, press or disabled look of its own.
         {Somewhere(SkinGreen), Same, Same, Somewhere(SkinGreen), Somewhere(SkinGreen)}},
        {"TsLabel",
         [](TForm* f) {
             auto* l = Placed<TsLabel>(f, 60, 16);
             l->SetCaption(L"Length:");
             return l;
         },
         corner,
         {Somewhere(labelColour), Same, Same, Same, Differs}},
    };

    constexpr int labelWidth = 130, gap = 10, header = 18;
    constexpr int cellWidth = 130, cellHeight = 64;
    auto sheet = NewBitmap24(labelWidth + 5 * (cellWidth + gap),
                             header + static_cast<int>(rows.size()) * (cellHeight + gap));
    const RECT all{0, 0, sheet->Width(), sheet->Height()};
    FillRect(sheet->Canvas().Handle(), &all, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
    for (int s = 0; s < 5; ++s)
        ks::test::DrawSheetLabel(*sheet, labelWidth + s * (cellWidth + gap), 2, StateNames[s]);

    for (size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        const int top = header + static_cast<int>(r) * (cellHeight + gap);
        ks::test::DrawSheetLabel(*sheet, 6, top + 2, row.name);
        std::unique_ptr<TBitmap> normal;
        for (int s = 0; s < 5; ++s) {
            SCOPED_TRACE(std::string(row.name) + " " + StateNames[s]);
            Other->SetFocus();
            Pump();
            TControl* c = row.make(Form);
            Pump();
            Enter(States[s], c);
            auto picture = Capture(c);
            const TPoint p = row.probe(c);
            const Expect& e = row.expect[s];
            switch (e.kind) {
            case Kind::At: EXPECT_EQ(Read(*picture, p.X, p.Y), e.colour) << "at " << p.X << "," << p.Y; break;
            case Kind::Somewhere: EXPECT_TRUE(HasColour(*picture, e.colour)) << std::hex << e.colour; break;
            case Kind::Differs: EXPECT_FALSE(SamePicture(*picture, *normal)); break;
            case Kind::Same: EXPECT_TRUE(SamePicture(*picture, *normal)); break;
            }
            BitBlt(sheet->Canvas().Handle(), labelWidth + s * (cellWidth + gap), top, std::min(c->Width(), cellWidth),
                   std::min(c->Height(), cellHeight), picture->Canvas().Handle(), 0, 0, SRCCOPY);
            if (s == 0)
                normal = std::move(picture);
            ReleaseCapture();
            c->Free();
            Pump();
        }
    }
    GdiFlush();
    ks::test::WriteSheetPng(*sheet, std::string("Z:") + KS_BUILD_DIR + "/controls-sheet.png");
}

} // namespace

namespace {

// Controls that paint their own colour instead of the skin's (CustomColor) show a new colour as
// soon as it is set, with no repaint asked for: the form before and after, side by side, at
// <build>/custom-colour-sheet.png.
TEST_F(ControlSheetTest, ControlsInTheirOwnColourShowANewColourAtOnce)
{
    auto* button = Create<TsButton>(Form);
    button->SetBounds(10, 10, 90, 30);
    button->SetCaption(L"Ещё");
    auto* box = Create<TsCheckBox>(Form);
    box->SetBounds(10, 55, 100, 17);
    box->SetAutoSize(false);
    box->SetCaption(L"Цифры");
    auto* group = Create<TsGroupBox>(Form);
    group->SetBounds(115, 5, 110, 90);
    group->SetCaption(L"Опции");
    const TColor before = 0x804020, after = 0x20A040;
    const struct {
        TWinControl* control;
        TsCommonData* skinData;
        TPoint probe;
    } controls[] = {
        {button, button->SkinData(), {6, 15}},
        {box, box->SkinData(), {96, 8}},
        {group, group->SkinData(), {55, 75}},
    };
    for (const auto& c : controls) {
        c.control->SetParent(Form);
        c.control->SetColor(before);
        c.skinData->SetCustomColor(true);
    }
    RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    const TRect client = Form->ClientRect();
    auto sheet = NewBitmap24(2 * client.Width() + 10, client.Height());
    sheet->Canvas().Brush().SetColor(0x404040);
    sheet->Canvas().FillRect({0, 0, sheet->Width(), sheet->Height()});
    const auto take = [&](int x) {
        HDC dc = GetDC(Form->Handle());
        BitBlt(sheet->Canvas().Handle(), x, 0, client.Width(), client.Height(), dc, 0, 0, SRCCOPY);
        ReleaseDC(Form->Handle(), dc);
        GdiFlush();
    };
    take(0);
    for (const auto& c : controls)
        c.control->SetColor(after);
    Pump();
    take(client.Width() + 10);
    WriteSheetPng(*sheet, std::string(KS_BUILD_DIR) + "/custom-colour-sheet.png");
    for (const auto& c : controls) {
        SCOPED_TRACE(c.control->ClassName());
        const TPoint p{c.control->Left() + c.probe.X, c.control->Top() + c.probe.Y};
        EXPECT_EQ(Read(*sheet, p.X, p.Y), before);
        EXPECT_EQ(Read(*sheet, client.Width() + 10 + p.X, p.Y), after);
    }
}

} // namespace
