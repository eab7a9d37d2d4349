// The main window's hints as its hint manager shows them: hovering "Ещё" shows its hint in the
// manager's skinned window after the application's pause, and a picture of the window with the
// hint laid over it is left at <build>/hint-main-form.png.
#include "app/passwords.h"

#include "skin/controls/sButton.h"
#include "skin/controls/sHintManager.h"
#include "skin/controls/sHintWindows.h"
#include "skin/core/CacheBitmaps.h"
#include "vcl/PlatformSeams.h"
#include "win/app/AppFixture.h"
#include "win/support/FakeCursor.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Timers run for real, so that the button's hover fades end; the hint's pause is recorded.
std::map<UINT_PTR, UINT> gTimers;
UINT_PTR WINAPI RecordTimer(HWND wnd, UINT_PTR id, UINT ms, TIMERPROC proc)
{
    gTimers[id] = ms;
    return ::SetTimer(wnd, id, ms, proc);
}
void WINAPI NoSleep(DWORD) {}
using ks::test::gCursor;

class HintsTest : public AppFixture {
protected:
    void SetUp() override
    {
            AppFixture::SetUp();
        gTimers.clear();
        ks::Sys().SetTimer = &RecordTimer;
        ks::Sys().Sleep = &NoSleep;
        ks::test::UseFakeCursor({});
    }
    void TearDown() override
    {
        ks::SetMouseControl(nullptr);
        Application->CancelHint();
        // The button's leave fade runs out.
        const DWORD end = GetTickCount() + 600;
        while (GetTickCount() < end) {
            Pump();
            ::Sleep(10);
        }
        AppFixture::TearDown();
        ks::ResetSys();
    }
};

TEST_F(HintsTest, MoreShowsItsHintInTheManagersLook)
{
    CreateForms(false);
    Pump();
    auto* manager = Get<TsHintManager>(Form1, "sHintManager1");
    auto* more = Get<TsButton>(Form1, "sButton1");
    ASSERT_TRUE(manager && more);
    // The preset, applied once the form has loaded, replaces the black, shadowless look stored.
    EXPECT_EQ(manager->Predefinitions(), shGradient);
    EXPECT_EQ(manager->SkinSection(), "HINT");
    EXPECT_EQ(manager->HintKind()->Color(), 0xB6FCFA);
    EXPECT_TRUE(manager->HintKind()->ShadowEnabled());
    EXPECT_EQ(ActiveHintManager, manager);

    const TPoint centre = more->ClientToScreen({more->Width() / 2, more->Height() / 2});
    gCursor = {centre.X, centre.Y};
    ks::SetMouseControl(more);
    Application->Hints().MouseMoved(more);
    ASSERT_EQ(gTimers.count(THintController::ShowTimer), 1u);
    EXPECT_EQ(gTimers[THintController::ShowTimer], 500u);
    SendMessageW(Application->Hints().TimerWindow(), WM_TIMER, THintController::ShowTimer, 0);
    auto* hint = dynamic_cast<TsSimplyHintWindow*>(Application->Hints().HintWindow());
    ASSERT_NE(hint, nullptr);
    ASSERT_TRUE(IsWindowVisible(hint->Handle()));
    EXPECT_EQ(hint->Caption(), L"Сгенерировать новый пароль");
    EXPECT_EQ(hint->SourceConstantAlpha, 230);

    // The window as the screen shows it, with the hint's own picture laid over it by its alpha.
    RECT form{}, tip{};
    GetWindowRect(Form1->Handle(), &form);
    GetWindowRect(hint->Handle(), &tip);
    const int w = std::max(form.right, tip.right) - form.left + 10;
    const int h = std::max(form.bottom, tip.bottom) - form.top + 10;
    auto sheet = NewBitmap24(w, h);
    sheet->Canvas().Brush().SetColor(0x404040);
    sheet->Canvas().FillRect({0, 0, w, h});
    HDC dc = GetWindowDC(Form1->Handle());
    BitBlt(sheet->Canvas().Handle(), 0, 0, form.right - form.left, form.bottom - form.top, dc, 0, 0, SRCCOPY);
    ReleaseDC(Form1->Handle(), dc);
    hint->PrepareLayeredImage();
    ASSERT_TRUE(hint->LayeredImage);
    TBitmap& picture = *hint->LayeredImage;
    GdiFlush();
    const int x0 = tip.left - form.left;
    const int y0 = tip.top - form.top;
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t* s = picture.ScanLine(y);
        uint8_t* d = sheet->ScanLine(y0 + y) + 3 * x0;
        for (int x = 0; x < picture.Width(); ++x, s += 4, d += 3) {
            const int a = s[3] * 230 / 255;
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<uint8_t>(s[c] * 230 / 255 + d[c] * (255 - a) / 255);
        }
    }
    hint->LayeredImage.reset();
    ks::test::WriteSheetPng(*sheet, std::string(KS_BUILD_DIR) + "/hint-main-form.png");

    ks::SetMouseControl(nullptr);
    Application->Hints().MouseMoved(nullptr);
    EXPECT_FALSE(IsWindowVisible(hint->Handle()));
}

} // namespace
