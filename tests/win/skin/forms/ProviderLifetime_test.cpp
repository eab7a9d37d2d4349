// A form's provider freed, or its skin switched off, from inside the form's own events while the
// provider's code runs below them: the form's procedure, its border window's, the redraw lock of a
// skin change. Run under Wine's freed-memory checking (suites named ...Lifetime...), with every
// access violation counted, swallowed ones included; the provider's blocks lie on pages that
// fault on any read once freed.
#include "skin/core/sSkinManager.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/PlatformSeams.h"
#include "skin/forms/TitleAnimation.h"
#include "skin/forms/TitleParts.h"
#include "vcl/StdCtrls.h"
#include "win/skin/forms/FormFrameFixture.h"
#include "win/support/AccessViolations.h"
#include "win/support/FakeCursor.h"
#include "win/support/FreeSpy.h"
#include "win/support/FreedPages.h"
#include "win/support/ProcessCounters.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace {

using ks::test::AccessViolations;
using ks::test::FreeSpy;

// Frees a component, once, from whichever event it is given to, and tells whether the component
// went at once, under the code that ran the event.
struct Freer {
    TComponent* Target = nullptr;
    FreeSpy* Spy = nullptr;
    bool GoneAtOnce = false;
    void Free()
    {
        if (!Target)
            return;
        std::exchange(Target, nullptr)->Free();
        GoneAtOnce = Spy && Spy->Freed;
    }
    void Event(TObject*) { Free(); }
    void SkinItem(TComponent*, bool&, std::string&) { Free(); }
    void MouseUp(TObject*, TMouseButton, TShiftState, int, int) { Free(); }
};

// The form that the pause between two frames of an animation hides.
TForm* gHiddenBetweenFrames = nullptr;
void WINAPI HideBetweenFrames(DWORD)
{
    if (gHiddenBetweenFrames && gHiddenBetweenFrames->Visible())
        gHiddenBetweenFrames->Hide();
}

// What the pause between two frames of an animation frees.
Freer* gFreedBetweenFrames = nullptr;
void WINAPI FreeBetweenFrames(DWORD)
{
    if (gFreedBetweenFrames)
        gFreedBetweenFrames->Free();
}

class FormEventsLifetime : public ks::test::FormFrameFixture {
protected:
    void TearDown() override
    {
        FreeAndNil(Other);
        FreeAndNil(Spy);
        ks::test::FormFrameFixture::TearDown();
    }

    // The form as the tests start it: with or without its border window, painted and shaped.
    void Start(bool bordered)
    {
        if (bordered)
            MakeBorderedForm();
        else
            MakeForm(bsSizeable);
        ShowFrame();
        Pump();
        Spy = Create<FreeSpy>(nullptr);
        Provider->FreeNotification(Spy);
    }
    bool Shaped() const
    {
        ks::GdiRegion region(CreateRectRgn(0, 0, 0, 0));
        return GetWindowRgn(Form->Handle(), region.get()) != ERROR;
    }
    // A second shown form with a border window of its own, for the skin change after the free.
    void MakeOtherBorderedForm()
    {
        ks::SetNextFormCreation({true, false, {}});
        Other = CreateNew<TForm>(nullptr);
        Other->SetBounds(200, 200, 300, 200);
        Other->Show();
        auto* provider = Create<TsSkinProvider>(Other);
        provider->SkinData()->SetSkinManager(Manager);
        provider->SetUpForm();
        provider->SetBorderFormActive(true);
        Pump();
    }

    // The next paint of the whole frame runs the form's OnPaint, which frees the provider.
    void OnPaintFrees(Freer& freer)
    {
        Form->SetOnPaint(TNotifyEvent(&freer, &Freer::Event));
        Provider->FormChanged = true;
        Provider->SkinData()->BackgroundChanged = true;
    }
    // The form as the first show under the show animation finds it: hidden, frame to be painted.
    void AnimateNextShow()
    {
        Form->Hide();
        Pump();
        Manager->AnimEffects()->DialogShow()->SetActive(true);
        Manager->AnimEffects()->DialogShow()->SetTime(30);
        Provider->SkinData()->BackgroundChanged = true;
    }

    FreeSpy* Spy = nullptr;
    TForm* Other = nullptr;
};

// Every entry into the provider's code from outside, and into its border window's, keeps both
// until it is done: each row frees the provider under one of them. Nothing is read or written in
// freed memory, and the form is left whole, shown and without the skin's border.
TEST_F(FormEventsLifetime, AProviderFreedUnderAnyOfItsEntriesGoesOnceThatEntryIsDone)
{
    const struct {
        const char* name;
        bool bordered;
        std::function<void(Freer&)> run;
    } entries[] = {
        {"the form's procedure (OnShow)", false,
         [this](Freer& f) {
             Form->Hide();
             Pump();
             Form->SetOnShow(TNotifyEvent(&f, &Freer::Event));
             Form->Show();
         }},
        {"the frame paint called from outside", false,
         [this](Freer& f) {
             OnPaintFrees(f);
             Provider->PaintNonClient();
         }},
        {"the preparation called directly (OnSkinItem)", false,
         [this](Freer& f) {
             Provider->RemoveAdapter();
             auto* button = Create<TButton>(Form);
             button->SetParent(Form);
             button->HandleNeeded();
             Provider->SetOnSkinItem(TAddItemEvent(&f, &Freer::SkinItem));
             Provider->PrepareForm();
         }},
        {"the redraw lock (a skin change)", false,
         [this](Freer& f) {
             OnPaintFrees(f);
             Manager->SetHueOffset(20);
         }},
        {"the redraw lock with a border window", true,
         [this](Freer& f) {
             OnPaintFrees(f);
             Manager->SetHueOffset(20);
         }},
        {"the border window's procedure (moved)", true,
         [this](Freer& f) {
             OnPaintFrees(f);
             RECT r{};
             const HWND border = Provider->BorderWindow();
             GetWindowRect(border, &r);
             SetWindowPos(border, nullptr, r.left + 1, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
         }},
        {"the border window's procedure (the title double-clicked)", true,
         [this](Freer& f) {
             RECT r{};
             GetWindowRect(Provider->BorderWindow(), &r);
             POINT title{(r.left + r.right) / 2, r.top};
             while (title.y < r.bottom && Provider->BorderForm->BorderHitTest({title.x, title.y}) != HTCAPTION)
                 ++title.y;
             ASSERT_LT(title.y, r.bottom) << "the title bar answers somewhere";
             OnPaintFrees(f);
             SendMessageW(Provider->BorderWindow(), WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(title.x, title.y));
         }},
        {"the border window's hit test called from outside (a lit button put out)", true,
         [this](Freer& f) {
             ks::test::UseFakeCursor({0, 0});
             Provider->SetHotHitCode(HTMAXBUTTON, true);
             OnPaintFrees(f);
             RECT r{};
             GetWindowRect(Provider->BorderWindow(), &r);
             Provider->BorderForm->BorderHitTest({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
         }},
        {"the region set from outside (the redraw lock)", false,
         [this](Freer& f) {
             OnPaintFrees(f);
             SetWindowRgn(Form->Handle(), nullptr, FALSE);
             Provider->UpdateRegion();
         }},
        {"the border window updated from outside", true,
         [this](Freer& f) {
             OnPaintFrees(f);
             Provider->BorderForm->UpdateBorderWindow(true, 255);
         }},
        {"a title button's repaint", true,
         [this](Freer& f) {
             OnPaintFrees(f);
             Provider->RepaintTitleButton(HTCLOSE);
         }},
        {"a title button lit (its repaint)", true,
         [this](Freer& f) {
             ks::test::UseFakeCursor({0, 0});
             Provider->SetHotHitCode(HTMAXBUTTON, true);
             OnPaintFrees(f);
             Provider->SetHotHitCode(HTCLOSE, true);
         }},
        {"a title button pressed (its repaint)", true,
         [this](Freer& f) {
             ks::test::UseFakeCursor({0, 0});
             Provider->SetHotHitCode(HTMAXBUTTON, true);
             OnPaintFrees(f);
             Provider->SetPressedHitCode(HTCLOSE);
         }},
        {"the system menu's Maximize clicked", false,
         [this](Freer& f) {
             Provider->SystemMenu->UpdateItems(false);
             OnPaintFrees(f);
             Provider->SystemMenu->ItemMaximize->Click();
         }},
        {"the title glow's timer (the cursor gone)", true,
         [this](Freer& f) {
             ks::test::UseFakeCursor({0, 0});
             Provider->SetHotHitCode(HTCLOSE, true);
             ASSERT_NE(Provider->ButtonClose.Animation, nullptr);
             OnPaintFrees(f);
             for (int i = 0; i < 100 && f.Target; ++i) {
                 Sleep(10);
                 Pump();
             }
         }},
        {"the first show under the animation, with a border window", true,
         [this](Freer& f) {
             AnimateNextShow();
             Form->SetOnPaint(TNotifyEvent(&f, &Freer::Event));
             Form->Show();
         }},
    };
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.name);
        Manager->SetHueOffset(0);
        {
            const ks::test::FreedPages guarded;
            Start(entry.bordered);
        }
        ASSERT_TRUE(ks::test::FreedPages::Guards(Provider)) << "a read of the freed provider faults";
        if (entry.bordered && !Provider->BorderForm)
            GTEST_SKIP() << "no layered windows";
        const HWND border = Provider->BorderWindow();
        const AccessViolations faults;
        Freer freer{Provider, Spy};
        entry.run(freer);
        Pump();
        Form->SetOnPaint({});
        Form->SetOnShow({});
        EXPECT_EQ(freer.Target, nullptr) << "the handler ran";
        EXPECT_FALSE(freer.GoneAtOnce) << "deleted under its own running code";
        EXPECT_EQ(Spy->Freed, Provider);
        Provider = nullptr;
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_TRUE(ks::test::HeapsIntact()) << "nothing written into freed memory";
        EXPECT_TRUE(IsWindowVisible(Form->Handle()));
        EXPECT_FALSE(Shaped());
        EXPECT_FALSE(border && IsWindow(border) && IsWindowVisible(border)) << "the border window went";
        Manager->AnimEffects()->DialogShow()->SetActive(false);
        FreeAndNil(Spy);
    }
    Manager->SetHueOffset(0);
}

// The border window switched off from the form's OnPaint under each entry that paints the frame
// through it: the window goes once its own code is done, whoever else holds the provider, and
// the form stays shown.
TEST_F(FormEventsLifetime, ABorderWindowSwitchedOffUnderItsOwnRepaintGoesOnceThatRepaintIsDone)
{
    struct Dropper {
        TsSkinProvider* Target = nullptr;
        void Event(TObject*)
        {
            if (Target)
                std::exchange(Target, nullptr)->SetBorderFormActive(false);
        }
    };
    const struct {
        const char* name;
        std::function<void()> run;
    } entries[] = {
        {"the frame paint called from outside", [this] { Provider->PaintNonClient(); }},
        {"the redraw lock (a skin change)", [this] { Manager->SetHueOffset(20); }},
        {"the border window updated from outside", [this] { Provider->BorderForm->UpdateBorderWindow(true, 255); }},
        {"a title button's repaint", [this] { Provider->RepaintTitleButton(HTCLOSE); }},
        {"the first show under the animation", [this] { AnimateNextShow(); Form->Show(); }},
    };
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.name);
        Manager->SetHueOffset(0);
        {
            const ks::test::FreedPages guarded;
            Start(true);
        }
        if (!Provider->BorderForm)
            GTEST_SKIP() << "no layered windows";
        const HWND border = Provider->BorderWindow();
        const AccessViolations faults;
        Dropper dropper{Provider};
        Form->SetOnPaint(TNotifyEvent(&dropper, &Dropper::Event));
        Provider->FormChanged = true;
        Provider->SkinData()->BackgroundChanged = true;
        entry.run();
        Pump();
        Form->SetOnPaint({});
        EXPECT_EQ(dropper.Target, nullptr) << "the handler ran";
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_TRUE(ks::test::HeapsIntact()) << "nothing written into freed memory";
        EXPECT_TRUE(IsWindowVisible(Form->Handle()));
        EXPECT_FALSE(IsWindow(border) && IsWindowVisible(border)) << "the border window went";
        Manager->AnimEffects()->DialogShow()->SetActive(false);
        FreeAndNil(Spy);
    }
    Manager->SetHueOffset(0);
}

// The form freed from its own OnPaint, or between two frames of its show animation, takes its
// provider with it regardless of the provider's holds: nothing of either is touched afterwards.
TEST_F(FormEventsLifetime, AFormFreedUnderItsOwnPaintOrShowGoesQuietly)
{
    const struct {
        const char* name;
        bool bordered;
        std::function<void(Freer&)> run;
    } ways[] = {
        {"a repaint frees it from OnPaint", false,
         [this](Freer& f) {
             OnPaintFrees(f);
             RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
         }},
        {"a repaint frees it from OnPaint, with a border window", true,
         [this](Freer& f) {
             OnPaintFrees(f);
             RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
         }},
        {"its show frees it from OnPaint", false,
         [this](Freer& f) {
             Form->Hide();
             Pump();
             OnPaintFrees(f);
             Form->Show();
         }},
        {"its animated show frees it from OnPaint", false,
         [this](Freer& f) {
             AnimateNextShow();
             Form->SetOnPaint(TNotifyEvent(&f, &Freer::Event));
             Form->Show();
         }},
        {"its animated show frees it between frames", false,
         [this](Freer& f) {
             AnimateNextShow();
             gFreedBetweenFrames = &f;
             const auto sleep = std::exchange(ks::Sys().Sleep, &FreeBetweenFrames);
             Form->Show();
             ks::Sys().Sleep = sleep;
             gFreedBetweenFrames = nullptr;
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        Start(way.bordered);
        ASSERT_TRUE(ks::test::FreedPages::Guards(Form)) << "a read of the freed form faults";
        if (way.bordered && !Provider->BorderForm)
            GTEST_SKIP() << "no layered windows";
        const HWND wnd = Form->Handle();
        const HWND border = Provider->BorderWindow();
        const AccessViolations faults;
        Freer freer{Form, Spy};
        way.run(freer);
        Pump();
        EXPECT_EQ(freer.Target, nullptr) << "the form was freed";
        EXPECT_EQ(Spy->Freed, Provider);
        Form = nullptr;
        Provider = nullptr;
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_TRUE(ks::test::HeapsIntact()) << "nothing written into freed memory";
        EXPECT_FALSE(IsWindow(wnd));
        EXPECT_FALSE(border && IsWindow(border) && IsWindowVisible(border));
        Manager->AnimEffects()->DialogShow()->SetActive(false);
        FreeAndNil(Spy);
    }
}

// Freed from a user title button's OnMouseUp, the provider leaves the frame to the system at once:
// no skinned button is painted on it afterwards.
TEST_F(FormEventsLifetime, AProviderFreedFromATitleButtonsMouseUpLeavesTheSystemsFrame)
{
    for (const bool bordered : {false, true}) {
        SCOPED_TRACE(bordered ? "with a border window" : "without a border window");
        Start(bordered);
        auto* button = static_cast<TsTitleButton*>(Provider->TitleButtons()->Add());
        Provider->SetUpForm();
        ShowFrame();
        Pump();
        const int code = HTUDBTN + button->Index();
        const TRect r = button->BtnData.Rect;
        ASSERT_GT(r.Width(), 0);
        Freer freer{Provider};
        button->SetOnMouseUp(TMouseEvent(&freer, &Freer::MouseUp));
        RECT window{};
        GetWindowRect(Form->Handle(), &window);
        const TPoint offset = Provider->BorderForm ? Provider->BorderForm->OwnerOffset() : TPoint{0, 0};
        const POINT at{window.left + (r.Left + r.Right) / 2 - offset.X, window.top + (r.Top + r.Bottom) / 2 - offset.Y};
        ks::test::UseFakeCursor(at);
        const AccessViolations faults;
        // With a border window the click reaches the form through the border window's procedure.
        const HWND target = Provider->BorderForm ? Provider->BorderWindow() : Form->Handle();
        SendMessageW(target, WM_NCLBUTTONDOWN, code, MAKELPARAM(at.x, at.y));
        SendMessageW(target, WM_NCLBUTTONUP, code, MAKELPARAM(at.x, at.y));
        EXPECT_EQ(freer.Target, nullptr) << "OnMouseUp ran";
        Provider = nullptr;
        Pump();
        std::unique_ptr<TBitmap> left = ks::test::ScreenPicture(Form->Handle());
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        Pump();
        std::unique_ptr<TBitmap> system = ks::test::ScreenPicture(Form->Handle());
        int differing = 0;
        for (int y = 0; y < left->Height(); ++y)
            for (int x = 0; x < left->Width(); ++x)
                differing += ks::GetPixel24(left->View(), x, y) != ks::GetPixel24(system->View(), x, y);
        EXPECT_EQ(differing, 0) << "the frame as the system paints it";
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_TRUE(ks::test::HeapsIntact());
        FreeAndNil(Spy);
    }
}

// A user title button's hint placed under the resting cursor, on a maximised form lit by a hit
// test alone: the mouse move the system then sends goes to the form beneath, not to the hint, so
// the form does not see the mouse leave it and free the hint inside the hint's own message.
TEST_F(FormEventsLifetime, ATitleButtonHintUnderTheCursorLeavesTheMouseToTheForm)
{
    MakeForm(bsSizeable);
    auto* button = static_cast<TsTitleButton*>(Provider->TitleButtons()->Add());
    button->SetHint(L"Подсказка");
    Provider->SetUpForm();
    ShowFrame();
    Form->SetWindowState(wsMaximized);
    Pump();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const POINT cursor{work.right - 10, work.bottom - 14};
    ks::test::UseFakeCursor(cursor);
    const TRect r = button->BtnData.Rect;
    ASSERT_GT(r.Width(), 0);
    RECT window{};
    GetWindowRect(Form->Handle(), &window);
    const AccessViolations faults;
    SendMessageW(Form->Handle(), WM_NCHITTEST, 0,
                 MAKELPARAM(window.left + (r.Left + r.Right) / 2, window.top + (r.Top + r.Bottom) / 2));
    ASSERT_NE(button->HintWnd, nullptr);
    const HWND hintWnd = button->HintWnd->Handle();
    RECT hint{};
    GetWindowRect(hintWnd, &hint);
    ASSERT_TRUE(PtInRect(&hint, cursor)) << "the hint lies under the cursor";
    const HWND under = WindowFromPoint(cursor);
    EXPECT_NE(under, hintWnd);
    POINT client = cursor;
    ScreenToClient(under, &client);
    SendMessageW(under, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    Pump();
    EXPECT_EQ(faults.Count(), 0);
    EXPECT_TRUE(ks::test::HeapsIntact());
}

// A form hidden from its own OnPaint while its show animation runs stays hidden: the end of the
// animation turns redraw back on only for a form still meant to show.
TEST_F(FormEventsLifetime, AFormHiddenDuringItsShowAnimationStaysHidden)
{
    struct Hider {
        TForm* Form = nullptr;
        int Paints = 0;
        int HideAt = 0;
        void Paint(TObject*)
        {
            if (++Paints == HideAt)
                Form->Hide();
        }
    };
    const struct {
        const char* name;
        int hideAtPaint;
        bool betweenFrames;
    } cases[] = {
        {"hidden from the first OnPaint", 1, false},
        {"hidden from the second OnPaint", 2, false},
        {"hidden between frames", 0, true},
    };
    for (const bool bordered : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (bordered ? ", with a border window" : ""));
            Start(bordered);
            if (bordered && !Provider->BorderForm)
                GTEST_SKIP() << "no layered windows";
            const HWND border = Provider->BorderWindow();
            AnimateNextShow();
            Hider hider{Form, 0, c.hideAtPaint};
            Form->SetOnPaint(TNotifyEvent(&hider, &Hider::Paint));
            gHiddenBetweenFrames = c.betweenFrames ? Form : nullptr;
            const auto sleep = std::exchange(ks::Sys().Sleep, &HideBetweenFrames);
            const AccessViolations faults;
            Form->Show();
            Pump();
            ks::Sys().Sleep = sleep;
            gHiddenBetweenFrames = nullptr;
            Form->SetOnPaint({});
            EXPECT_FALSE(Form->Visible());
            EXPECT_FALSE(IsWindowVisible(Form->Handle())) << "the window as the form says";
            EXPECT_FALSE(border && IsWindowVisible(border));
            EXPECT_EQ(faults.Count(), 0);
            Manager->AnimEffects()->DialogShow()->SetActive(false);
            FreeAndNil(Spy);
        }
    }
}

// Freed from the form's events, the provider gives the form back whole: the region its repaint
// would have put back stays off, so the form grows uncut and the system's title buttons show.
TEST_F(FormEventsLifetime, AProviderFreedFromAFormEventLeavesTheFormUnshapedAsItGrows)
{
    const struct {
        const char* name;
        std::function<void(Freer&)> run;
    } events[] = {
        {"OnPaint",
         [this](Freer& f) {
             Form->SetOnPaint(TNotifyEvent(&f, &Freer::Event));
             Provider->FormChanged = true;
             Provider->SkinData()->BackgroundChanged = true;
             SendMessageW(Form->Handle(), WM_NCPAINT, 1, 0);
         }},
        {"OnShow",
         [this](Freer& f) {
             Form->Hide();
             Pump();
             Form->SetOnShow(TNotifyEvent(&f, &Freer::Event));
             Form->Show();
         }},
        {"a click handler",
         [this](Freer& f) {
             auto* button = Create<TButton>(Form);
             button->SetParent(Form);
             button->SetBounds(10, 10, 80, 24);
             button->SetOnClick(TNotifyEvent(&f, &Freer::Event));
             Pump();
             SendMessageW(button->Handle(), BM_CLICK, 0, 0);
         }},
    };
    for (const bool bordered : {false, true}) {
        for (const auto& event : events) {
            SCOPED_TRACE(std::string(event.name) + (bordered ? ", with a border window" : ""));
            Start(bordered);
            if (bordered && !Provider->BorderForm)
                GTEST_SKIP() << "no layered windows";
            ASSERT_TRUE(Shaped());
            const AccessViolations faults;
            Freer freer{Provider};
            event.run(freer);
            Pump();
            EXPECT_EQ(freer.Target, nullptr) << "the event ran";
            EXPECT_EQ(Spy->Freed, Provider);
            Provider = nullptr;
            EXPECT_FALSE(Shaped()) << "the skin's shape went with the provider";

            Form->SetBounds(60, 60, 570, 423);
            Pump();
            EXPECT_FALSE(Shaped()) << "nothing shapes the grown form again";
            EXPECT_TRUE(IsWindowVisible(Form->Handle()));
            EXPECT_EQ(faults.Count(), 0);
            if (bordered && event.name == events[0].name) {
                // For a person to look at: the form freed from OnPaint, then grown.
                RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
                Pump();
                ks::test::WriteSheetPng(*ks::test::ScreenPicture(Form->Handle()),
                                        std::string("Z:") + KS_BUILD_DIR + "/provider-freed-on-paint-grown.png");
            }
            FreeAndNil(Spy);
        }
    }
}

// The form's OnPaint run by the border window's own repaint (the window moved from outside, or a
// skin change) frees the provider under the border window's procedure: the provider and the
// border window go once that procedure is done, nothing faults, and the next skin change ends.
TEST_F(FormEventsLifetime, AProviderFreedInOnPaintUnderItsBorderWindowGoesOnceTheWindowIsDone)
{
    const struct {
        const char* name;
        std::function<void()> run;
    } paths[] = {
        {"the border window moved",
         [this] {
             RECT r{};
             const HWND border = Provider->BorderWindow();
             GetWindowRect(border, &r);
             SetWindowPos(border, nullptr, r.left + 1, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
         }},
        {"a skin change", [this] { Manager->SetHueOffset(20); }},
        {"the skin change that takes the border window off", [this] { Manager->SetExtendedBorders(false); }},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.name);
        Manager->SetHueOffset(0);
        Start(true);
        if (!Provider->BorderForm)
            GTEST_SKIP() << "no layered windows";
        const HWND border = Provider->BorderWindow();
        const AccessViolations faults;
        Freer freer{Provider};
        Form->SetOnPaint(TNotifyEvent(&freer, &Freer::Event));
        path.run();
        Pump();
        Form->SetOnPaint({});
        EXPECT_EQ(freer.Target, nullptr) << "the repaint ran OnPaint";
        EXPECT_EQ(Spy->Freed, Provider);
        Provider = nullptr;
        EXPECT_EQ(faults.Count(), 0) << "nothing ran in freed memory, swallowed or not";
        EXPECT_FALSE(IsWindow(border) && IsWindowVisible(border)) << "the border window went with the provider";
        EXPECT_TRUE(IsWindowVisible(Form->Handle()));
        EXPECT_FALSE(Shaped());

        MakeOtherBorderedForm();
        Manager->SetHueOffset(40);
        Pump();
        EXPECT_EQ(faults.Count(), 0) << "the next skin change ends";
        FreeAndNil(Other);
        FreeAndNil(Spy);
    }
    Manager->SetHueOffset(0);
}

// The skin switched off (or its manager freed) from the form's OnShow or its first OnActivate,
// or the form hidden again there: the show goes on without the skin, and leaves no region of it
// to cut the form when it grows.
TEST_F(FormEventsLifetime, ASkinSwitchedOffDuringTheFirstShowLeavesTheFormUnshaped)
{
    struct Handler {
        std::function<void()> Act;
        void Event(TObject*)
        {
            if (Act)
                std::exchange(Act, nullptr)();
        }
    };
    const struct {
        const char* name;
        bool onActivate;
        std::function<void()> act;
        bool shown;
    } cases[] = {
        {"OnShow switches the skin off", false, [this] { Manager->SetActive(false); }, true},
        {"OnActivate switches the skin off", true, [this] { Manager->SetActive(false); }, true},
        {"OnShow frees the manager", false, [this] { FreeAndNil(Manager); }, true},
        {"OnShow hides the form", false, [this] { Form->Hide(); }, false},
    };
    for (const bool animated : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (animated ? ", animated" : ""));
            if (!Manager)
                LoadSkin({});
            Manager->SetActive(true);
            Manager->AnimEffects()->DialogShow()->SetActive(animated);
            Manager->AnimEffects()->DialogShow()->SetTime(30);
            FreeAndNil(Form);
            ks::SetNextFormCreation({true, false, {}});
            Form = CreateNew<TForm>(nullptr);
            Form->SetBounds(60, 60, 300, 200);
            Form->HandleNeeded();
            Provider = Create<TsSkinProvider>(Form);
            Provider->SkinData()->SetSkinManager(Manager);
            Provider->SetUpForm();
            const AccessViolations faults;
            Handler handler{c.act};
            if (c.onActivate)
                Form->SetOnActivate(TNotifyEvent(&handler, &Handler::Event));
            else
                Form->SetOnShow(TNotifyEvent(&handler, &Handler::Event));
            Form->Show();
            Pump();
            EXPECT_FALSE(handler.Act) << "the event ran";
            EXPECT_EQ(IsWindowVisible(Form->Handle()) != FALSE, c.shown);
            EXPECT_EQ(Form->Visible(), c.shown);
            if (c.shown) {
                Form->SetBounds(60, 60, 500, 400);
                Pump();
                EXPECT_FALSE(Shaped()) << "the form grows uncut";
            }
            EXPECT_EQ(faults.Count(), 0);
            FreeAndNil(Form);
            Provider = nullptr;
        }
    }
}

} // namespace
