// A form's provider freed, or its skin switched off, from inside the form's own events while the
// provider's code runs below them: the form's procedure, its border window's, the redraw lock of a
// skin change. Run under Wine's freed-memory checking (suites named ...Lifetime...), with every
// access violation counted, swallowed ones included.
#include "skin/core/sSkinManager.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/PlatformSeams.h"
#include "vcl/StdCtrls.h"
#include "win/skin/forms/FormFrameFixture.h"
#include "win/support/AccessViolations.h"
#include "win/support/FreeSpy.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace {

using ks::test::AccessViolations;
using ks::test::FreeSpy;

// Frees a component, once, from whichever event it is given to.
struct Freer {
    TComponent* Target = nullptr;
    void Free()
    {
        if (Target)
            std::exchange(Target, nullptr)->Free();
    }
    void Event(TObject*) { Free(); }
};

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

    FreeSpy* Spy = nullptr;
    TForm* Other = nullptr;
};

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
