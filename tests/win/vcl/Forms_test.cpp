#include "vcl/Forms.h"

#include "vcl/ExtCtrls.h"
#include "vcl/FormStreaming.h"
#include "vcl/FormText.h"
#include "vcl/SysUtils.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

namespace {

class FormsTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        ks::Sys().FindFormResource = &FakeResource;
        Resources().clear();
    }
    // Form resources by name, compiled from form text.
    static std::vector<std::pair<std::wstring, std::vector<uint8_t>>>& Resources()
    {
        static std::vector<std::pair<std::wstring, std::vector<uint8_t>>> resources;
        return resources;
    }
    static void AddResource(const std::wstring& name, std::vector<uint8_t> bytes)
    {
        Resources().emplace_back(name, std::move(bytes));
    }

private:
    static std::span<const uint8_t> FakeResource(const wchar_t* name)
    {
        for (const auto& [n, bytes] : Resources())
            if (n == name)
                return bytes;
        return {};
    }
};

class TFrmPanel : public TCustomControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    explicit TFrmPanel(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }
};
const ks::ClassInfo TFrmPanel::StaticClassInfo{"TFrmPanel", &TCustomControl::StaticClassInfo, {}, {}};

class TFrmGraphic : public TGraphicControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TGraphicControl::TGraphicControl;
};
const ks::ClassInfo TFrmGraphic::StaticClassInfo{"TFrmGraphic", &TGraphicControl::StaticClassInfo, {}, {}};

TCustomForm* gCreating = nullptr;

class TFrmAbout : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TForm::TForm;

    bool createdWhileShowing = true;
    bool failOnCreate = false;

    void FormCreate(TObject*)
    {
        createdWhileShowing = Showing() || FormState().Contains(fsVisible);
        gCreating = this;
    }
    void FormCreateFails(TObject*) { throw Exception("Выберите символы"); }
};
constexpr ks::MethodInfo AboutMethods[] = {
    ks::Handler<&TFrmAbout::FormCreate>("FormCreate"),
    ks::Handler<&TFrmAbout::FormCreateFails>("FormCreateFails"),
};
const ks::ClassInfo TFrmAbout::StaticClassInfo{"TFrmAbout", &TForm::StaticClassInfo, {}, AboutMethods};

class TFrmMissing : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TForm::TForm;
};
const ks::ClassInfo TFrmMissing::StaticClassInfo{"TFrmMissing", &TForm::StaticClassInfo, {}, {}};

constexpr const char* AboutText = R"(object FrmAbout: TFrmAbout
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'О программе'
  ClientHeight = 100
  ClientWidth = 200
  Color = clBlack
  FormStyle = fsStayOnTop
  AlphaBlend = True
  AlphaBlendValue = 220
  Position = poScreenCenter
  Visible = True
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object Panel: TFrmPanel
    Left = 10
    Top = 10
    Width = 80
    Height = 60
    Cursor = crHandPoint
    TabOrder = 1
    object Inner: TFrmGraphic
      Left = 5
      Top = 5
      Width = 10
      Height = 10
    end
  end
  object Second: TFrmPanel
    Left = 100
    Top = 10
    Width = 50
    Height = 30
    TabOrder = 0
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 250
  end
end
)";

struct FreeLater {
    TComponent* c;
    ~FreeLater()
    {
        if (c)
            c->Free();
    }
};

TEST_F(FormsTest, AFormOfItsOwnClassIsReadFromItsResource)
{
    RegisterClasses<TFrmPanel, TFrmGraphic>();
    AddResource(L"TFRMABOUT", CompileFormText(AboutText));
    gCreating = nullptr;
    const int formsBefore = Screen->FormCount();

    TFrmAbout* form = Create<TFrmAbout>(Application);
    FreeLater guard{form};
    EXPECT_EQ(gCreating, form);
    EXPECT_FALSE(form->createdWhileShowing) << "OnCreate runs before the form is first shown";
    EXPECT_EQ(Screen->FormCount(), formsBefore + 1);

    auto* panel = dynamic_cast<TFrmPanel*>(form->FindComponent("Panel"));
    auto* second = dynamic_cast<TFrmPanel*>(form->FindComponent("Second"));
    auto* inner = dynamic_cast<TFrmGraphic*>(form->FindComponent("Inner"));
    auto* timer = dynamic_cast<TTimer*>(form->FindComponent("Timer1"));
    ASSERT_TRUE(panel && second && inner && timer);
    EXPECT_EQ(panel->Parent(), form);
    EXPECT_EQ(inner->Parent(), panel) << "controls streamed inside a control take it as parent";
    EXPECT_EQ(panel->Cursor(), crHandPoint);
    EXPECT_EQ(timer->Interval(), 250u);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(second->TabOrder(), 0);
    EXPECT_EQ(panel->TabOrder(), 1);

    ASSERT_TRUE(form->Showing());
    HWND wnd = form->HandleIfAllocated();
    EXPECT_TRUE(IsWindowVisible(wnd));
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    wchar_t caption[32] = {};
    GetWindowTextW(wnd, caption, 32);
    EXPECT_STREQ(caption, L"О программе");

    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    EXPECT_EQ(style & WS_CAPTION, static_cast<LONG_PTR>(WS_CAPTION));
    EXPECT_EQ(style & WS_THICKFRAME, 0);
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(wnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 220);
    EXPECT_TRUE(flags & LWA_ALPHA);
    EXPECT_EQ(GetWindow(wnd, GW_OWNER), Application->Handle()) << "a form that is not the main form is owned";

    RECT r;
    GetWindowRect(wnd, &r);
    EXPECT_EQ(r.left, (Screen->Width() - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (Screen->Height() - (r.bottom - r.top)) / 2);
}

TEST_F(FormsTest, CreateNewReadsNoResource)
{
    AddResource(L"TFRMABOUT", CompileFormText(AboutText));
    TFrmAbout* form = CreateNew<TFrmAbout>(nullptr);
    FreeLater guard{form};
    EXPECT_EQ(form->ComponentCount(), 0);
    EXPECT_FALSE(form->Visible());
}

TEST_F(FormsTest, AResourceThatDoesNotReadLeavesNothingBehind)
{
    std::vector<uint8_t> bytes = CompileFormText(AboutText);
    struct Case {
        const char* name;
        std::vector<uint8_t> resource;
        bool expectReadError;
    } cases[] = {
        {"Missing", {}, false},
        {"Truncated", std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(bytes.size() / 2)), true},
        {"WrongRootClass", CompileFormText("object X: TForm\nend\n"), true},
    };
    RegisterClasses<TFrmPanel, TFrmGraphic>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Resources().clear();
        if (!c.resource.empty())
            AddResource(L"TFRMABOUT", c.resource);
        const int forms = Screen->FormCount();
        const int owned = Application->ComponentCount();
        TFrmAbout* reference = nullptr;
        try {
            Application->CreateForm(reference);
            ADD_FAILURE() << "no exception";
        } catch (const EResNotFound& e) {
            EXPECT_FALSE(c.expectReadError);
            EXPECT_EQ(e.Message(), "Resource TFRMABOUT not found");
        } catch (const EReadError&) {
            EXPECT_TRUE(c.expectReadError);
        }
        EXPECT_EQ(reference, nullptr);
        EXPECT_EQ(Application->MainForm(), nullptr);
        EXPECT_EQ(Screen->FormCount(), forms);
        EXPECT_EQ(Application->ComponentCount(), owned);
    }
    EXPECT_THROW(Create<TFrmMissing>(nullptr), EResNotFound);
}

TEST_F(FormsTest, AnExceptionInOnCreateIsReportedAndTheFormLives)
{
    std::string text = AboutText;
    text.replace(text.find("OnCreate = FormCreate"), 21, "OnCreate = FormCreateFails");
    RegisterClasses<TFrmPanel, TFrmGraphic>();
    AddResource(L"TFRMABOUT", CompileFormText(text));
    TFrmAbout* form = Create<TFrmAbout>(nullptr);
    FreeLater guard{form};
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0], L"Выберите символы");
    EXPECT_TRUE(form->Showing());
}

// A form's WindowProc stand-in that acts on one posted message while the modal loop runs.
struct ModalProbe {
    TCustomForm* form = nullptr;
    TWndMethod previous;
    HWND other = nullptr;
    bool otherEnabledDuringModal = true;
    void Proc(TMessage& m)
    {
        if (m.Msg == WM_USER + 9) {
            otherEnabledDuringModal = IsWindowEnabled(other) != FALSE;
            form->SetModalResult(mrOk);
            return;
        }
        previous(m);
    }
};

struct ModalCounter {
    int begun = 0;
    int ended = 0;
    void Begin(TObject*) { ++begun; }
    void End(TObject*) { ++ended; }
};

TEST_F(FormsTest, ShowModalRunsUntilModalResultWithOtherWindowsDisabled)
{
    TForm* other = CreateNew<TForm>(nullptr);
    FreeLater otherGuard{other};
    other->SetBorderStyle(bsNone);
    other->SetBounds(0, 0, 50, 50);
    other->Show();
    TForm* dialog = CreateNew<TForm>(nullptr);
    FreeLater dialogGuard{dialog};
    dialog->SetBounds(60, 60, 120, 80);

    ModalCounter counter;
    Application->SetOnModalBegin(TNotifyEvent(&counter, &ModalCounter::Begin));
    Application->SetOnModalEnd(TNotifyEvent(&counter, &ModalCounter::End));
    ModalProbe probe{dialog, dialog->WindowProc(), other->Handle()};
    dialog->SetWindowProc(TWndMethod(&probe, &ModalProbe::Proc));
    PostMessageW(dialog->Handle(), WM_USER + 9, 0, 0);
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    dialog->SetWindowProc(probe.previous);

    EXPECT_FALSE(probe.otherEnabledDuringModal);
    EXPECT_TRUE(IsWindowEnabled(other->Handle())) << "the other windows come back enabled";
    EXPECT_FALSE(dialog->Visible());
    EXPECT_FALSE(dialog->FormState().Contains(fsModal));
    EXPECT_EQ(counter.begun, 1);
    EXPECT_EQ(counter.ended, 1);
    Application->SetOnModalBegin(nullptr);
    Application->SetOnModalEnd(nullptr);

    // Closing the window while it is modal ends the loop with mrCancel.
    PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog->ShowModal(), mrCancel);

    try {
        other->ShowModal();
        ADD_FAILURE() << "a visible form was made modal";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Cannot make a visible window modal");
    }
}

struct CloseProbe {
    TCloseAction action = caHide;
    bool destroyed = false;
    void Close(TObject*, TCloseAction& a) { a = action; }
    void Destroy(TObject*) { destroyed = true; }
};

TEST_F(FormsTest, CloseActionsHideOrReleaseTheForm)
{
    struct Case {
        const char* name;
        TCloseAction action;
        bool visibleAfter;
        bool freedAfterMessages;
    } cases[] = {
        {"Hide", caHide, false, false},
        {"None", caNone, true, false},
        {"Free", caFree, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TForm* form = CreateNew<TForm>(nullptr);
        CloseProbe probe{c.action};
        form->SetOnClose(TCloseEvent(&probe, &CloseProbe::Close));
        form->SetOnDestroy(TNotifyEvent(&probe, &CloseProbe::Destroy));
        form->Show();
        const int forms = Screen->FormCount();
        form->Close();
        EXPECT_FALSE(probe.destroyed) << "release never frees inside the caller";
        if (c.action != caFree) {
            EXPECT_EQ(form->Visible(), c.visibleAfter);
        }
        Pump();
        EXPECT_EQ(probe.destroyed, c.freedAfterMessages);
        EXPECT_EQ(Screen->FormCount(), c.freedAfterMessages ? forms - 1 : forms);
        if (!c.freedAfterMessages)
            form->Free();
    }
}

TEST_F(FormsTest, AFormReleasedFromItsOwnHandlerGoesAfterwards)
{
    TForm* form = CreateNew<TForm>(nullptr);
    struct Releaser {
        TForm* form;
        bool destroyed = false;
        std::wstring captionAfter;
        void Click(TObject*)
        {
            form->Release();
            captionAfter = form->Caption();
        }
        void Destroy(TObject*) { destroyed = true; }
    } releaser{form, false, {}};
    form->SetCaption(L"Keysmith 1.0");
    form->SetOnClick(TNotifyEvent(&releaser, &Releaser::Click));
    form->SetOnDestroy(TNotifyEvent(&releaser, &Releaser::Destroy));
    HWND wnd = form->Handle();
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, TWMMouse::MakePos(3, 3));
    SendMessageW(wnd, WM_LBUTTONUP, 0, TWMMouse::MakePos(3, 3));
    EXPECT_EQ(releaser.captionAfter, L"Keysmith 1.0");
    EXPECT_FALSE(releaser.destroyed);
    Pump();
    EXPECT_TRUE(releaser.destroyed);
    EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(FormsTest, TheFirstFormCreatedIsTheMainFormAndAnchorsOthers)
{
    Application->SetMainFormOnTaskbar(true);
    TForm* main = nullptr;
    Application->CreateForm(main);
    ASSERT_NE(main, nullptr);
    FreeLater mainGuard{main};
    EXPECT_EQ(Application->MainForm(), main);
    main->SetBorderStyle(bsNone);
    main->SetBounds(100, 100, 300, 200);
    HWND mainWnd = main->Handle();
    EXPECT_EQ(GetWindow(mainWnd, GW_OWNER), nullptr) << "the main form is on the task bar";
    EXPECT_TRUE(GetWindowLongPtrW(mainWnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    TForm* about = nullptr;
    Application->CreateForm(about);
    FreeLater aboutGuard{about};
    EXPECT_EQ(Application->MainForm(), main);
    about->SetBorderStyle(bsNone);
    about->SetBounds(0, 0, 100, 50);
    about->SetPosition(poMainFormCenter);
    about->Show();
    HWND aboutWnd = about->HandleIfAllocated();
    EXPECT_EQ(GetWindow(aboutWnd, GW_OWNER), mainWnd);
    RECT r;
    GetWindowRect(aboutWnd, &r);
    EXPECT_EQ(r.left, 200) << "centred on the main form, which is hidden";
    EXPECT_EQ(r.top, 175);

    aboutGuard.c = nullptr;
    about->Free();
    mainGuard.c = nullptr;
    main->Free();
    EXPECT_EQ(Application->MainForm(), nullptr);
    Application->SetMainFormOnTaskbar(false);
}

TEST_F(FormsTest, HooksSeeTheApplicationWindowsActivation)
{
    struct Hook {
        std::vector<UINT> seen;
        bool Proc(TMessage& m)
        {
            seen.push_back(m.Msg);
            return false;
        }
    } hook;
    const TWindowHook delegate(&hook, &Hook::Proc);
    Application->HookMainWindow(delegate);
    SendMessageW(Application->Handle(), WM_ACTIVATEAPP, TRUE, 0);
    Pump();
    Application->UnhookMainWindow(delegate);
    SendMessageW(Application->Handle(), WM_ACTIVATEAPP, TRUE, 0);
    Pump();
    EXPECT_EQ(std::count(hook.seen.begin(), hook.seen.end(), WM_ACTIVATEAPP), 1);
    EXPECT_EQ(std::count(hook.seen.begin(), hook.seen.end(), CM_ACTIVATE), 1);
    EXPECT_EQ(SendMessageW(Application->Handle(), WM_GETICON, ICON_SMALL2, 0),
              reinterpret_cast<LRESULT>(Application->Icon()->Handle()));
}

TEST_F(FormsTest, ScreenListsFormsAndKnowsItsArea)
{
    const int before = Screen->FormCount();
    TForm* form = CreateNew<TForm>(nullptr);
    EXPECT_EQ(Screen->FormCount(), before + 1);
    EXPECT_EQ(Screen->Forms(before), form);
    form->Free();
    EXPECT_EQ(Screen->FormCount(), before);
    EXPECT_THROW(Screen->Forms(before), EListError);

    const TRect work = Screen->WorkAreaRect();
    EXPECT_GT(work.Width(), 0);
    EXPECT_GT(work.Height(), 0);
    EXPECT_LE(work.Right, Screen->Width());
    EXPECT_LE(work.Bottom, Screen->Height());
    EXPECT_FALSE(Screen->HintFont()->Name().empty());
}

} // namespace
