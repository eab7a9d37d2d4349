// The thin wrappers over the system's controls that the window adapters serve: the radio button,
// the static text and the panel.
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PlainControlsTest : public VclFormFixture {
protected:
    static std::wstring WindowClass(HWND wnd)
    {
        wchar_t name[64]{};
        GetClassNameW(wnd, name, 64);
        return name;
    }
    static LRESULT Check(TWinControl* c) { return SendMessageW(c->Handle(), BM_GETCHECK, 0, 0); }
    void Click(TWinControl* c)
    {
        HWND wnd = c->Handle();
        SendMessageW(GetParent(wnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), BN_CLICKED), reinterpret_cast<LPARAM>(wnd));
    }
};

struct Clicks {
    int count = 0;
    void Click(TObject*) { ++count; }
};

TEST_F(PlainControlsTest, ARadioButtonChecksItselfAndUnchecksItsSiblingsOnly)
{
    auto* a = Add<TRadioButton>();
    auto* b = Add<TRadioButton>();
    auto* panel = Add<TPanel>();
    auto* elsewhere = Add<TRadioButton>(panel);
    Clicks clicks;
    b->SetOnClick(TNotifyEvent(&clicks, &Clicks::Click));
    EXPECT_EQ(WindowClass(a->Handle()), L"TRadioButton");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(a->Handle(), GWL_STYLE)) & BS_TYPEMASK, static_cast<DWORD>(BS_RADIOBUTTON));

    elsewhere->SetChecked(true);
    a->SetChecked(true);
    EXPECT_EQ(Check(a), BST_CHECKED);
    Click(b);
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(Check(a), BST_UNCHECKED);
    EXPECT_EQ(Check(b), BST_CHECKED);
    EXPECT_TRUE(elsewhere->Checked()) << "a radio button of another parent is in another group";
    EXPECT_EQ(clicks.count, 1);

    b->SetClicksDisabled(true);
    b->SetChecked(false);
    b->SetChecked(true);
    EXPECT_EQ(clicks.count, 1) << "state set by code with clicks disabled";
}

TEST_F(PlainControlsTest, AStaticTextIsTheSystemsStaticUnderItsOwnClassName)
{
    auto* text = Add<TStaticText>();
    text->SetCaption(L"Длина");
    HWND wnd = text->Handle();
    EXPECT_EQ(WindowClass(wnd), L"TStaticText");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE)) & SS_TYPEMASK, static_cast<DWORD>(SS_LEFT));
    wchar_t buffer[16]{};
    GetWindowTextW(wnd, buffer, 16);
    EXPECT_EQ(std::wstring(buffer), L"Длина");
    EXPECT_FALSE(text->TabStop());
}

TEST_F(PlainControlsTest, APanelKeepsItsChildrenInsideItsBevelsAndBorder)
{
    auto* panel = Add<TPanel>();
    panel->SetBounds(10, 10, 120, 80);
    struct Case { TBevelCut outer, inner; int bevelWidth, borderWidth; TBorderStyle style; int inset, edge; } cases[] = {
        {bvRaised, bvNone, 1, 0, bsNone, 1, 0},
        {bvLowered, bvRaised, 2, 3, bsNone, 7, 0},
        {bvNone, bvNone, 1, 0, bsSingle, 0, 2},
    };
    for (const Case& c : cases) {
        panel->SetBevelOuter(c.outer);
        panel->SetBevelInner(c.inner);
        panel->SetBevelWidth(c.bevelWidth);
        panel->SetBorderWidth(c.borderWidth);
        panel->SetBorderStyle(c.style);
        auto* child = Add<TButton>(panel);
        child->SetAlign(alClient);
        RECT client{};
        GetClientRect(panel->Handle(), &client);
        EXPECT_EQ(client.right, 120 - 2 * c.edge) << "the sunken edge lies outside the client area";
        EXPECT_EQ(child->Left(), c.inset);
        EXPECT_EQ(child->Width(), client.right - 2 * c.inset);
        FreeAndNil(child);
    }
    EXPECT_EQ(WindowClass(panel->Handle()), L"TPanel");
}

TEST_F(PlainControlsTest, APanelPaintsItsBevelsAroundItsColour)
{
    auto* panel = Add<TPanel>();
    panel->SetBounds(0, 0, 60, 40);
    panel->SetColor(0x123456);
    panel->SetBevelOuter(bvRaised);
    panel->SetBevelInner(bvLowered);
    FForm->Show();
    Pump();
    HDC dc = GetDC(panel->Handle());
    RedrawWindow(panel->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(GetPixel(dc, 0, 20), light) << "outer raised: left edge light";
    EXPECT_EQ(GetPixel(dc, 59, 20), dark) << "outer raised: right edge dark";
    EXPECT_EQ(GetPixel(dc, 1, 20), dark) << "inner lowered: left edge dark";
    EXPECT_EQ(GetPixel(dc, 58, 20), light) << "inner lowered: right edge light";
    EXPECT_EQ(GetPixel(dc, 30, 20), 0x123456u);
    ReleaseDC(panel->Handle(), dc);
}

} // namespace

TEST_F(PlainControlsTest, AnchoredChildrenKeepTheirDistanceToTheEdgesTheyAreAnchoredTo)
{
    auto* panel = Add<TPanel>();
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(0, 0, 200, 100);
    struct Case { const char* name; TAnchors anchors; TRect after; } cases[] = {
        {"Left and top", {akLeft, akTop}, {10, 10, 50, 30}},
        {"Right", {akTop, akRight}, {40, 10, 80, 30}},
        {"Left and right stretch", {akLeft, akTop, akRight}, {10, 10, 80, 30}},
        {"Bottom", {akLeft, akBottom}, {10, 30, 50, 50}},
        {"All four", {akLeft, akTop, akRight, akBottom}, {10, 10, 80, 50}},
    };
    for (const Case& c : cases) {
        auto* child = Add<TButton>(panel);
        child->SetBounds(10, 10, 40, 20);
        child->SetAnchors(c.anchors);
        panel->SetBounds(0, 0, 230, 120);
        EXPECT_EQ(child->BoundsRect(), c.after) << c.name;
        panel->SetBounds(0, 0, 200, 100);
        EXPECT_EQ(child->BoundsRect(), (TRect{10, 10, 50, 30})) << c.name << ": back where it was";
        FreeAndNil(child);
    }
}

TEST_F(PlainControlsTest, BorderWidthIsABandOfTheControlsColourOutsideItsClientArea)
{
    FForm->SetBorderWidth(5);
    FForm->SetColor(0x00A0B0);
    FForm->Show();
    Pump();
    RECT window{}, client{};
    GetWindowRect(FForm->Handle(), &window);
    GetClientRect(FForm->Handle(), &client);
    POINT origin{0, 0};
    ClientToScreen(FForm->Handle(), &origin);
    FForm->SetBorderWidth(0);
    RECT plain{};
    GetClientRect(FForm->Handle(), &plain);
    EXPECT_EQ(plain.right - client.right, 10);
    EXPECT_EQ(plain.bottom - client.bottom, 10);

    FForm->SetBorderWidth(5);
    RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetWindowDC(FForm->Handle());
    EXPECT_EQ(GetPixel(dc, origin.x - window.left - 3, origin.y - window.top + 20), 0x00A0B0u);
    ReleaseDC(FForm->Handle(), dc);

    auto* child = Add<TButton>();
    child->SetAlign(alClient);
    EXPECT_EQ(child->Width(), client.right) << "aligned children fill the smaller client area";
}
