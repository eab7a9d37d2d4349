// The close buttons of the program's about box and warning box fade to their hot look when the
// mouse rests on them: the program's skin manager lets title buttons glow, and both boxes are
// skinned forms with their own providers.
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/TitleAnimation.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Dialogs.h"
#include "win/app/AppFixture.h"
#include "win/support/FakeCursor.h"
#include "win/support/SheetPng.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/pixels/PixelCore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What the fade of one box's close button did while the mouse rested on it.
struct Fade {
    std::wstring caption;
    bool hot = false;
    bool started = false;
    int target = -1;
    bool shown = false;
    bool held = false;
    bool hotLook = false;
};
std::vector<Fade> gFades;

void PumpFor(DWORD ms, bool (*done)(TacSBAnimation*), TacSBAnimation* animation)
{
    const DWORD until = GetTickCount() + ms;
    while (!done(animation) && GetTickCount() < until) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
}

// The form's frame image with the fade's frame laid over the button at the fade's alpha now:
// what the layered glow window shows, which Xvfb does not composite.
void SavePicture(TBitmap& image, TacSBAnimation& animation, const TitleButtonRec& button, const char* name)
{
    if (!animation.FrameBmp || image.PixelFormat() != pf24bit)
        return;
    GdiFlush();
    std::unique_ptr<TBitmap> shown = NewBitmap24(image.Width(), image.Height());
    const int alpha = std::clamp(255 * animation.Step / 10, 0, 255);
    TBitmap& frame = *animation.FrameBmp;
    const int x0 = button.Rect.Left - (frame.Width() - button.Rect.Width()) / 2;
    const int y0 = button.Rect.Top - (frame.Height() - button.Rect.Height()) / 2;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            uint32_t c = ks::GetPixel24(image.View(), x, y);
            if (x >= x0 && y >= y0 && x < x0 + frame.Width() && y < y0 + frame.Height()) {
                const uint32_t q = ks::GetPixel32(frame.View(), x - x0, y - y0);
                const int a = static_cast<int>(q >> 24) * alpha / 255;
                uint32_t mixed = 0;
                for (int i = 0; i < 3; ++i) {
                    const int v = static_cast<int>((q >> (8 * i)) & 0xFF) * alpha / 255 +
                                  static_cast<int>((c >> (8 * i)) & 0xFF) * (255 - a) / 255;
                    mixed |= static_cast<uint32_t>(std::min(v, 255)) << (8 * i);
                }
                c = mixed;
            }
            ks::SetPixel24(shown->View(), x, y, static_cast<TColor>(c));
        }
    ks::test::WriteSheetPng(*shown, std::string("Z:") + KS_BUILD_DIR + "/" + name);
}

// Rests the mouse on the close button of form, as the system reports it: a hit test at the
// cursor, then the fade's own ticks.
Fade RestOnClose(TCustomForm& form)
{
    Fade f;
    f.caption = form.Caption();
    auto* provider = dynamic_cast<TsSkinProvider*>(ProviderComponentOf(form));
    if (!provider)
        return f;
    TitleButtonRec& close = provider->ButtonClose;
    RECT wr{};
    GetWindowRect(form.Handle(), &wr);
    const POINT at{wr.left + (close.Rect.Left + close.Rect.Right) / 2, wr.top + (close.Rect.Top + close.Rect.Bottom) / 2};
    // The real cursor rests there too: the system's own hit tests while the fade runs agree.
    SetCursorPos(at.x, at.y);
    ks::test::UseFakeCursor(at);
    SendMessageW(form.Handle(), WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    f.hot = provider->HotHitCode == HTCLOSE;
    TacSBAnimation* animation = close.Animation;
    f.started = animation != nullptr;
    if (!animation)
        return f;
    f.target = animation->TargetState;
    f.shown = animation->GlowForm && IsWindowVisible(animation->GlowForm->Handle());
    PumpFor(1000, [](TacSBAnimation* a) { return a->Step >= 5 || a->MaxSteps == -1; }, animation);
    if (form.Caption() == Form2->Caption())
        SavePicture(*provider->SkinData()->CacheBitmap, *animation, close, "about-close-glow.png");
    PumpFor(1000, [](TacSBAnimation* a) { return a->MaxSteps == -1; }, animation);
    f.held = animation->MaxSteps == -1;
    // The frame shows the hot cell of the close glyph, not the normal one the form's image holds.
    if (animation->FrameBmp && !animation->FrameBmp->Empty() && provider->SkinData()->CacheBitmap) {
        TBitmap& frame = *animation->FrameBmp;
        TBitmap& image = *provider->SkinData()->CacheBitmap;
        GdiFlush();
        int differing = 0;
        for (int y = 0; y < std::min(frame.Height(), close.Rect.Height()); ++y)
            for (int x = 0; x < std::min(frame.Width(), close.Rect.Width()); ++x) {
                const COLORREF a = ::GetPixel(frame.Canvas().Handle(), x, y);
                const COLORREF b = ::GetPixel(image.Canvas().Handle(), close.Rect.Left + x, close.Rect.Top + y);
                differing += a != b;
            }
        f.hotLook = differing > 0;
    }
    ks::test::UseFakeCursor({0, 0});
    return f;
}

// Runs from a timer inside the warning box's modal loop.
void CALLBACK OnWarningBox(HWND, UINT, UINT_PTR id, DWORD)
{
    TMessageForm* box = nullptr;
    for (int i = 0; i < Screen->FormCount() && !box; ++i)
        box = dynamic_cast<TMessageForm*>(Screen->Forms(i));
    if (!box || !box->Visible())
        return;
    KillTimer(nullptr, id);
    gFades.push_back(RestOnClose(*box));
    box->SetModalResult(mrOk);
}

void CALLBACK OnAboutBox(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!Form2 || !Form2->Visible())
        return;
    KillTimer(nullptr, id);
    gFades.push_back(RestOnClose(*Form2));
    Form2->SetModalResult(mrOk);
}

class TitleGlowTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        gFades.clear();
        CreateForms();
        ASSERT_NE(Form1, nullptr);
        Form1->Show();
    }
};

TEST_F(TitleGlowTest, TheCloseButtonsOfTheAboutBoxAndTheWarningBoxFadeToTheirHotLook)
{
    ASSERT_NE(DefaultSkinManager, nullptr);
    EXPECT_TRUE(DefaultSkinManager->AllowGlowing()) << "the program's manager lets title buttons glow";
    SetTimer(nullptr, 0, 20, &OnAboutBox);
    Get<TsButton>(Form1, "sButton6")->Click();
    for (const char* name : {"sCheckBox1", "sCheckBox2", "sCheckBox3", "sCheckBox4"})
        Get<TsCheckBox>(Form1, name)->SetChecked(false);
    SetTimer(nullptr, 0, 20, &OnWarningBox);
    Get<TsButton>(Form1, "sButton1")->Click();

    ASSERT_EQ(gFades.size(), 2u);
    const char* names[] = {"AboutBox", "WarningBox"};
    for (size_t i = 0; i < gFades.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const Fade& f = gFades[i];
        EXPECT_TRUE(f.hot);
        EXPECT_TRUE(f.started) << "the hover starts a fade";
        EXPECT_EQ(f.target, 1) << "towards the hot look";
        EXPECT_TRUE(f.shown) << "in its own layered window over the button";
        EXPECT_TRUE(f.held) << "the fade runs to full and holds while the mouse rests there";
        EXPECT_TRUE(f.hotLook);
    }
}

} // namespace
