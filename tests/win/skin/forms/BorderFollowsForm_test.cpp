// The layered border window keeps up with its form: every step of the system's sizing loop, the
// form on its icon, a provider made for a form already shown, and the parts of its image that
// must stay under the mouse.
#include "skin/forms/acBorderForm.h"

#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/sSkinProvider.h"
#include "win/skin/forms/BorderTestSupport.h"
#include "win/skin/forms/FormFrameFixture.h"

namespace {

using namespace ks::test;

// The size of the last picture the border window was given; a window resized without a new
// picture goes on showing the old one.
SIZE gShown{0, 0};

BOOL WINAPI RecordShown(HWND wnd, HDC dst, POINT* at, SIZE* size, HDC src, POINT* from, COLORREF key,
                        BLENDFUNCTION* blend, DWORD flags)
{
    if (size)
        gShown = *size;
    return UpdateLayeredWindow(wnd, dst, at, size, src, from, key, blend, flags);
}

class BorderFollowsFormTest : public FormFrameFixture {
protected:
    void SetUp() override
    {
        FormFrameFixture::SetUp();
        ks::Sys().UpdateLayeredWindowPtr = RecordShown;
        Border = MakeBorderedForm();
        if (!Border)
            GTEST_SKIP() << "no layered windows here";
        Wnd = Form->Handle();
    }

    // The border window, the frame image and the picture last shown all have the form's size
    // grown by the same amount as before.
    void ExpectFramed(int extra)
    {
        const RECT form = RectOf(Wnd), border = RectOf(Border);
        EXPECT_EQ(border.right - border.left, form.right - form.left + extra);
        EXPECT_EQ(Provider->SkinData()->CacheBitmap->Width(), border.right - border.left);
        EXPECT_EQ(gShown.cx, border.right - border.left) << "the picture shown";
    }

    static RECT RectOf(HWND wnd)
    {
        RECT r{};
        GetWindowRect(wnd, &r);
        return r;
    }

    HWND Border = nullptr;
    HWND Wnd = nullptr;
};

// The system's sizing loop, by mouse or keyboard alike: entered, then for every step the new
// rectangle asked for and set, then left. After each step the border window, its image and the
// close button drawn in it have the form's new width.
TEST_F(BorderFollowsFormTest, EveryStepOfTheSizingLoopResizesTheBorderImage)
{
    const RECT form0 = RectOf(Wnd), border0 = RectOf(Border);
    const int extra = (border0.right - border0.left) - (form0.right - form0.left);
    const int closeFromRight = Provider->SkinData()->CacheBitmap->Width() - Provider->ButtonClose.Rect.Right;
    SendMessageW(Wnd, WM_ENTERSIZEMOVE, 0, 0);
    for (int step = 1; step <= 6; ++step) {
        SCOPED_TRACE(step);
        RECT r = RectOf(Wnd);
        r.right += 8;
        SendMessageW(Wnd, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&r));
        SetWindowPos(Wnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE | SWP_NOZORDER);
        ASSERT_EQ(RectOf(Wnd).right - form0.right, 8 * step);
        ExpectFramed(extra);
        EXPECT_EQ(Provider->SkinData()->CacheBitmap->Width() - Provider->ButtonClose.Rect.Right, closeFromRight)
            << "the close button moved along";
    }
    SendMessageW(Wnd, WM_EXITSIZEMOVE, 0, 0);
    ExpectFramed(extra);
}

// The same with the real mouse: the system's own loop, its hit test and its messages.
TEST_F(BorderFollowsFormTest, ARightEdgeDraggedByTheMouseResizesTheBorderImage)
{
    SetForegroundWindow(Wnd);
    Pump();
    const RECT form0 = RectOf(Wnd), border0 = RectOf(Border);
    const int extra = (border0.right - border0.left) - (form0.right - form0.left);
    const TRect m = Provider->ExtBorderMargins();
    const POINT edge{border0.right - m.Right - 2, (border0.top + border0.bottom) / 2};
    ASSERT_EQ(WindowFromPoint(edge), Border);
    Drag(edge, {edge.x + 40, edge.y});
    Pump();
    ASSERT_EQ(RectOf(Wnd).right - form0.right, 40);
    ExpectFramed(extra);
}

} // namespace
