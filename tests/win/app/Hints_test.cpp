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

// The main window as the screen shows it, with the hint's own picture laid over it by its
// alpha, left at <build>/<png>.
void WriteHintSheet(TsCustomHintWindow& shown, const std::string& png)
{
    TsCustomHintWindow* hint = &shown;
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
    ks::test::WriteSheetPng(*sheet, std::string(KS_BUILD_DIR) + "/" + png);
}

// Where the text's ink reaches when it is drawn, unclipped, as the hint draws it into a
// rectangle of the given size at the top left.
TSize InkOf(const std::wstring& text, const TFont& font, UINT flags, TSize box)
{
    auto bitmap = NewBitmap24(box.cx + 60, box.cy + 60);
    TCanvas& c = bitmap->Canvas();
    c.Brush().SetColor(clWhite);
    c.FillRect({0, 0, bitmap->Width(), bitmap->Height()});
    c.Font().Assign(&font);
    c.Font().SetColor(clBlack);
    c.Brush().SetStyle(bsClear);
    TRect r{0, 0, box.cx, box.cy};
    c.DrawText(text, r, flags | DT_NOCLIP);
    GdiFlush();
    TSize ink{0, 0};
    for (int y = 0; y < bitmap->Height(); ++y) {
        const uint8_t* p = bitmap->ScanLine(y);
        for (int x = 0; x < bitmap->Width(); ++x, p += 3)
            if (p[0] != 0xFF || p[1] != 0xFF || p[2] != 0xFF) {
                ink.cx = std::max(ink.cx, x + 1);
                ink.cy = y + 1;
            }
    }
    return ink;
}

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

    // Hovers control and lets the hint's pause run out: the hint window then shows.
    static TsCustomHintWindow* ShowHintOf(TControl* control)
    {
        const TPoint centre = control->ClientToScreen({control->Width() / 2, control->Height() / 2});
        gCursor = {centre.X, centre.Y};
        ks::SetMouseControl(control);
        Application->Hints().MouseMoved(control);
        SendMessageW(Application->Hints().TimerWindow(), WM_TIMER, THintController::ShowTimer, 0);
        return dynamic_cast<TsCustomHintWindow*>(Application->Hints().HintWindow());
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

    WriteHintSheet(*hint, "hint-main-form.png");

    ks::SetMouseControl(nullptr);
    Application->Hints().MouseMoved(nullptr);
    EXPECT_FALSE(IsWindowVisible(hint->Handle()));
}

} // namespace

namespace {

// Every hint the main window shows, as the program shows it: the text, drawn as the hint draws
// it in the box its window leaves for the text, runs over none of the box's edges (a measure
// that fell short cut the last letters off). Pictures at <build>/hint-<control>.png.
TEST_F(HintsTest, EveryHintOfTheMainWindowShowsItsTextWhole)
{
    CreateForms(false);
    Pump();
    auto* manager = Get<TsHintManager>(Form1, "sHintManager1");
    ASSERT_NE(manager, nullptr);
    const struct {
        const char* control;
        const wchar_t* text;
    } hints[] = {
        {"sEdit1", L"Уникальный сгенерированный пароль"},
        {"sButton1", L"Сгенерировать новый пароль"},
        {"sButton2", L"Закрыть приложение"},
        {"sButton3", L"Закрыть"},
        {"sButton4", L"Свернуть"},
        {"sCheckBox1", L"Использовать в пароле арабские цифры."},
        {"sCheckBox2", L"Использовать в пароле латинские строчные буквы."},
        {"sCheckBox3", L"Использовать в пароле прописные латинские буквы."},
        {"sCheckBox4", L"Использовать в пароле спецсимволы."},
        {"sButton5", L"Копировать пароль в буфер обмена"},
        {"sButton6", L"Справка"},
    };
    for (const auto& h : hints) {
        SCOPED_TRACE(h.control);
        auto* control = Get<TControl>(Form1, h.control);
        ASSERT_NE(control, nullptr);
        TsCustomHintWindow* hint = ShowHintOf(control);
        ASSERT_NE(hint, nullptr);
        ASSERT_TRUE(IsWindowVisible(hint->Handle()));
        EXPECT_EQ(hint->Caption(), h.text);

        // The box the body leaves for the text, and the font and flags it is drawn with.
        TRect box = hint->BodyRect();
        TsHintKind& k = *manager->HintKind();
        UINT flags = DT_NOPREFIX | DT_WORDBREAK | DT_CENTER;
        const TFont* font = k.Font();
        if (manager->IsSkinned()) {
            box = {box.Left + hint->BorderWidthOf(0) + 4, box.Top + hint->BorderWidthOf(1) + 4,
                   box.Right - hint->BorderWidthOf(2) - 4, box.Bottom - hint->BorderWidthOf(3) - 4};
            flags = DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS;
            font = Screen->HintFont();
        } else {
            const int dx = k.MarginH() + k.BevelWidth() + hint->ExtraWidth / 2;
            const int dy = k.MarginV() + k.BevelWidth() + hint->ExtraHeight / 2;
            box = {box.Left + dx, box.Top + dy, box.Right - dx, box.Bottom - dy};
        }
        const TSize ink = InkOf(h.text, *font, flags, {box.Width(), box.Height()});
        EXPECT_GT(ink.cx, 0);
        EXPECT_LE(ink.cx, box.Width()) << "the last letters run past the right edge";
        EXPECT_LE(ink.cy, box.Height()) << "a line is wrapped below the bottom edge";

        WriteHintSheet(*hint, std::string("hint-") + h.control + ".png");
        ks::SetMouseControl(nullptr);
        Application->Hints().MouseMoved(nullptr);
        Application->CancelHint();
    }
}

} // namespace
