// Windowless controls on a window laid out right to left: each shows at its mirrored place,
// its own drawing reads left to right there, and the mouse and the screen find it where it shows.
#include "vcl/Controls.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/Menus.h"
#include "win/support/MirroredForm.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Red in its left half, blue in its right half, drawn straight onto its canvas; remembers where
// the last press was.
class TProbe : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    int PressedAt = -1;

protected:
    void Paint() override
    {
        Canvas().Brush().SetColor(clRed);
        Canvas().FillRect({0, 0, Width() / 2, Height()});
        Canvas().Brush().SetColor(clBlue);
        Canvas().FillRect({Width() / 2, 0, Width(), Height()});
    }
    void MouseDown(TMouseButton, TShiftState, int x, int) override { PressedAt = x; }
};

// Notes where it is asked to open instead of running the menu's own loop.
class NotingPopup : public TPopupMenu {
public:
    using TPopupMenu::TPopupMenu;
    void Popup(int x, int y) override { opened.push_back({x, y}); }
    std::vector<TPoint> opened;
};

using MirroredWindowlessTest = VclFixture;

TEST_F(MirroredWindowlessTest, AWindowlessControlReadsLeftToRightWhereItShowsAndHearsTheMouseThere)
{
    auto* form = CreateNew<ks::test::TMirroredForm>(nullptr);
    form->SetBounds(60, 60, 240, 120);
    auto* probe = Create<TProbe>(form);
    probe->SetBounds(10, 20, 40, 20);
    probe->SetParent(form);
    form->Show();
    Pump();
    UpdateWindow(form->Handle());

    RECT client{};
    GetClientRect(form->Handle(), &client);
    const int shownLeft = client.right - 10 - 40;
    // Read in the form's client without its mirroring: x from the left edge the screen shows.
    auto shown = [&](int x) {
        ks::WindowDC dc(form->Handle());
        SetLayout(dc.get(), 0);
        return static_cast<TColor>(GetPixel(dc.get(), shownLeft + x, 30));
    };
    EXPECT_EQ(shown(2), clRed);
    EXPECT_EQ(shown(37), clBlue);

    // A press 3 pixels in from the left edge the screen shows.
    RECT window{};
    GetWindowRect(form->Handle(), &window);
    POINT top{0, 0};
    ::ClientToScreen(form->Handle(), &top);
    const int border = (window.right - window.left - client.right) / 2;
    POINT at{window.left + border + shownLeft + 3, top.y + 30};
    ::ScreenToClient(form->Handle(), &at);
    SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    // Wine: a mirrored window's mouse coordinates count from its right edge (width - x), its
    // DCs from its last column (width - 1 - x), so a press may land one pixel off.
    EXPECT_NEAR(probe->PressedAt, 3, 1);
    // Its own coordinates are those of the screen where it shows, as its context menu and its
    // hint take them.
    const TPoint onScreen = probe->ClientToScreen({3, 10});
    EXPECT_EQ(onScreen.X, window.left + border + shownLeft + 3);
    EXPECT_EQ(onScreen.Y, top.y + 30);
    EXPECT_EQ(probe->ScreenToClient(onScreen), (TPoint{3, 10}));

    // A right button's release opens the context menu of what it is over, where the mouse is.
    auto* formMenu = Create<NotingPopup>(form);
    form->SetPopupMenu(formMenu);
    auto* ownMenu = Create<NotingPopup>(form);
    probe->SetPopupMenu(ownMenu);
    for (NotingPopup* menu : {ownMenu, formMenu}) {
        SCOPED_TRACE(menu == ownMenu ? "over the control" : "beside it");
        POINT screen{window.left + border + shownLeft + (menu == ownMenu ? 3 : -20), top.y + 30};
        POINT c = screen;
        ::ScreenToClient(form->Handle(), &c);
        SendMessageW(form->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(c.x, c.y));
        ASSERT_EQ(menu->opened.size(), 1u);
        EXPECT_NEAR(menu->opened[0].X, screen.x, 1);
        EXPECT_EQ(menu->opened[0].Y, screen.y);
    }
    FreeAndNil(form);
}

} // namespace
