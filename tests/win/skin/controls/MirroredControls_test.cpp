// The skinned controls on a form laid out right to left: each shows at its mirrored place the
// same picture as on a form laid out left to right, and a click where a picture shows a part
// lands on that part. <build>/mirrored-controls.png sets both forms side by side.
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sLabel.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/skin/forms/RealMouse.h"
#include "win/support/MirroredForm.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ks::test;

UINT_PTR WINAPI NoSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) { return id; }
BOOL WINAPI NoKillTimer(HWND, UINT_PTR) { return TRUE; }

// The screen's pixels in r.
std::unique_ptr<TBitmap> Screen(const RECT& r)
{
    auto picture = NewBitmap24(r.right - r.left, r.bottom - r.top);
    ks::WindowDC screen(nullptr);
    BitBlt(picture->Canvas().Handle(), 0, 0, picture->Width(), picture->Height(), screen.get(), r.left, r.top,
           SRCCOPY);
    GdiFlush();
    return picture;
}

TColor Pixel(TBitmap& b, int x, int y) { return static_cast<TColor>(GetPixel(b.Canvas().Handle(), x, y)); }

// How many pixels of a differ from b, read from the left (or, mirrored, from the right).
int Differences(TBitmap& a, TBitmap& b, bool mirrored)
{
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            n += Pixel(a, x, y) != Pixel(b, mirrored ? b.Width() - 1 - x : x, y) ? 1 : 0;
    return n;
}

bool Shows(TBitmap& b, TColor colour)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (Pixel(b, x, y) == colour)
                return true;
    return false;
}

class MirroredControlsTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        ks::Sys().SetTimer = &NoSetTimer;
        ks::Sys().KillTimer = &NoKillTimer;
        Mirrored = CreateNew<TMirroredForm>(Application);
        Mirrored->SetBounds(300, 40, 240, 140);
        Mirrored->Show();
        for (TForm* f : {static_cast<TForm*>(Form), static_cast<TForm*>(Mirrored)})
            Controls.push_back(Populate(f));
        Pump();
    }
    void TearDown() override
    {
        FreeAndNil(Mirrored);
        SkinnedFormFixture::TearDown();
    }

    template <class T> static T* Add(TForm* form, int x, int y, int w, int h, const wchar_t* caption)
    {
        auto* c = Create<T>(form);
        c->SetBounds(x, y, w, h);
        c->SetCaption(caption);
        c->SetParent(form);
        return c;
    }
    // Asymmetric captions: a picture copied flipped differs from the one read left to right.
    static std::vector<TControl*> Populate(TForm* form)
    {
        auto* group = Add<TsGroupBox>(form, 8, 70, 150, 40, L"Gr 1");
        auto* label = Add<TsLabel>(form, 120, 45, 60, 17, L"Lb 7");
        label->SetAutoSize(false);
        auto* box = Add<TsCheckBox>(form, 10, 45, 100, 17, L"Ck 9");
        box->SetState(cbUnchecked);
        auto* edit = Add<TsEdit>(form, 120, 10, 100, 22, L"");
        edit->SetText(L"Ed 3");
        // A disabled edit shows its whole picture, text included, from the engine's cache; an
        // enabled one's text is the system's, which a mirrored edit reads right to left.
        edit->SetEnabled(false);
        return {Add<TsButton>(form, 10, 10, 80, 25, L"Bt 5"), box, edit, label, group};
    }
    // Where c shows on the screen, from the client's place on the screen: a mirrored form's
    // controls are laid out from the client's right edge.
    static RECT ScreenRect(TForm* form, TControl* c)
    {
        RECT window{}, client{};
        GetWindowRect(form->Handle(), &window);
        GetClientRect(form->Handle(), &client);
        // Both forms have the same frame: the left border is as wide as the right one.
        const int border = (window.right - window.left - client.right) / 2;
        const bool mirrored = GetWindowLongW(form->Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL;
        const int left = mirrored ? client.right - c->Left() - c->Width() : c->Left();
        POINT top{0, 0};
        ::ClientToScreen(form->Handle(), &top);
        const int x = window.left + border + left;
        return {x, top.y + c->Top(), x + c->Width(), top.y + c->Top() + c->Height()};
    }

    TMirroredForm* Mirrored = nullptr;
    std::vector<std::vector<TControl*>> Controls;
};

TEST_F(MirroredControlsTest, EachControlShowsItsLeftToRightPictureAtItsMirroredPlace)
{
    const char* names[] = {"button", "check box", "edit", "label", "group box"};
    for (size_t i = 0; i < Controls[0].size(); ++i) {
        SCOPED_TRACE(names[i]);
        const auto straight = Screen(ScreenRect(Form, Controls[0][i]));
        const auto mirrored = Screen(ScreenRect(Mirrored, Controls[1][i]));
        // The control's picture is not its own mirror image, so a flipped copy would show.
        EXPECT_GT(Differences(*straight, *straight, true), 0);
        EXPECT_EQ(Differences(*straight, *mirrored, false), 0);
    }

    RECT a{}, b{};
    GetWindowRect(Form->Handle(), &a);
    GetWindowRect(Mirrored->Handle(), &b);
    const auto left = Screen(a);
    const auto right = Screen(b);
    auto sheet = NewBitmap24(left->Width() + right->Width() + 30, std::max(left->Height(), right->Height()) + 20);
    BitBlt(sheet->Canvas().Handle(), 10, 10, left->Width(), left->Height(), left->Canvas().Handle(), 0, 0, SRCCOPY);
    BitBlt(sheet->Canvas().Handle(), left->Width() + 20, 10, right->Width(), right->Height(),
           right->Canvas().Handle(), 0, 0, SRCCOPY);
    WriteSheetPng(*sheet, std::string("Z:") + KS_BUILD_DIR + "/mirrored-controls.png");
}

TEST_F(MirroredControlsTest, AClickOnTheShownBoxTicksItThere)
{
    // On each form a click in the middle of the box as the screen shows it; then the box cells
    // of both must look alike, ticked.
    std::unique_ptr<TBitmap> cells[2];
    TForm* forms[] = {Form, Mirrored};
    for (int i = 0; i < 2; ++i) {
        auto* box = static_cast<TsCheckBox*>(Controls[static_cast<size_t>(i)][1]);
        const RECT shown = ScreenRect(forms[i], box);
        const TRect check = box->CheckRect();
        const POINT at{shown.left + check.Left + check.Width() / 2, shown.top + check.Top + check.Height() / 2};
        // A user's click: the system finds the window under the point, so a box shown away
        // from its own window is clicked through to the form and stays unticked.
        EXPECT_EQ(WindowFromPoint(at), box->Handle());
        ClickMouse(at, 0);
        PumpFor(50);
        for (int step = 0; step < 40 && box->FadeTimer(); ++step)
            SendMessageW(box->FadeTimer()->Handle(), WM_TIMER, box->FadeTimer()->TimerId(), 0);
        Pump();
        UpdateWindow(box->Handle());
        EXPECT_EQ(box->State(), cbChecked);
        cells[i] = Screen({shown.left + check.Left, shown.top + check.Top, shown.left + check.Right,
                           shown.top + check.Bottom});
    }
    EXPECT_TRUE(Shows(*cells[1], SkinBrightGreen));
    EXPECT_EQ(Differences(*cells[0], *cells[1], false), 0);
}

} // namespace
