#include "vcl/Forms.h"

#include "host/support/ImageBuilders.h"
#include "vcl/Bitmap.h"
#include "vcl/ExtCtrls.h"
#include "vcl/FormStreaming.h"
#include "vcl/Jpeg.h"
#include "vcl/Shapes.h"
#include "vcl/Streams.h"
#include "vcl/FormText.h"
#include "vcl/SysUtils.h"
#include "win/support/FormTextData.h"
#include "win/support/ProcessCounters.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <utility>
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
  BorderStyle = bsDialog
  Caption = 'О программе'
  ClientHeight = 100
  ClientWidth = 200
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
    TabOrder = 1
    object Inner: TFrmGraphic
    end
  end
  object Second: TFrmPanel
    TabOrder = 0
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
    TFrmAbout* form = Create<TFrmAbout>(Application);
    FreeLater guard{form};
    EXPECT_FALSE(form->createdWhileShowing) << "OnCreate runs, before the form is first shown";

    auto* panel = dynamic_cast<TFrmPanel*>(form->FindComponent("Panel"));
    auto* second = dynamic_cast<TFrmPanel*>(form->FindComponent("Second"));
    auto* inner = dynamic_cast<TFrmGraphic*>(form->FindComponent("Inner"));
    ASSERT_TRUE(panel && second && inner);
    EXPECT_EQ(panel->Parent(), form);
    EXPECT_EQ(inner->Parent(), panel) << "controls streamed inside a control take it as parent";
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

// Objects freed under their own code: run on pages that fault once freed.
class FormsTestLifetime : public FormsTest {};

TEST_F(FormsTestLifetime, CloseActionsHideOrReleaseTheForm)
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

// A form closed or hidden from its own OnShow, or shown again from its OnHide, ends as the inner
// change left it: its window agrees with Visible().
TEST_F(FormsTestLifetime, AShowingChangedAgainInsideOnShowOrOnHideEndsAsTheInnerChangeLeftIt)
{
    struct Turn {
        TCustomForm* Form = nullptr;
        void (TCustomForm::*Act)() = nullptr;
        void Event(TObject*)
        {
            if (Act)
                (Form->*std::exchange(Act, nullptr))();
        }
    };
    const struct {
        const char* name;
        void (TCustomForm::*act)();
        bool fromShow;
    } cases[] = {
        {"Close in OnShow", &TCustomForm::Close, true},
        {"Hide in OnShow", &TCustomForm::Hide, true},
        {"Show in OnHide", &TCustomForm::Show, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TForm* form = CreateNew<TForm>(nullptr);
        Turn turn{form, c.act};
        if (c.fromShow) {
            form->SetOnShow(TNotifyEvent(&turn, &Turn::Event));
            form->Show();
        } else {
            form->Show();
            form->SetOnHide(TNotifyEvent(&turn, &Turn::Event));
            form->Hide();
        }
        Pump();
        EXPECT_EQ(turn.Act, nullptr) << "the event ran";
        EXPECT_EQ(form->Visible(), !c.fromShow);
        EXPECT_EQ(IsWindowVisible(form->Handle()) != FALSE, form->Visible());
        form->Free();
    }
}

TEST_F(FormsTestLifetime, AFormReleasedFromItsOwnHandlerGoesAfterwards)
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

// A form freed from its own OnPaint: nothing of it is touched afterwards, and the paint gives its
// DC back, whether the system or a print asked for the paint.
class FormsLifetimeTest : public VclFixture {};

TEST_F(FormsLifetimeTest, AFormFreedFromItsOwnOnPaintIsLeftAlone)
{
    const std::pair<const char*, void (*)(HWND)> paints[] = {
        {"the system's paint", [](HWND wnd) { RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }},
        {"a print of the client",
         [](HWND wnd) {
             HDC screen = GetDC(nullptr);
             HDC dc = CreateCompatibleDC(screen);
             HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 120);
             HGDIOBJ old = SelectObject(dc, bitmap);
             SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
             SelectObject(dc, old);
             DeleteObject(bitmap);
             DeleteDC(dc);
             ReleaseDC(nullptr, screen);
         }},
    };
    for (const auto& [name, paint] : paints) {
        SCOPED_TRACE(name);
        TForm* form = CreateNew<TForm>(nullptr);
        form->SetBounds(40, 40, 200, 120);
        form->Show();
        auto* panel = Create<TPanel>(form);
        panel->SetBounds(10, 10, 50, 30);
        panel->SetParent(form);
        Pump();
        struct Freer {
            TForm* form;
            void Paint(TObject*) { FreeAndNil(form); }
        } freer{form};
        form->SetOnPaint(TNotifyEvent(&freer, &Freer::Paint));
        const HWND wnd = form->Handle();
        const long gdi = ks::test::GdiObjectCount();
        paint(wnd);
        Pump();
        EXPECT_EQ(freer.form, nullptr);
        EXPECT_FALSE(IsWindow(wnd));
        EXPECT_LE(ks::test::GdiObjectCount(), gdi) << "the paint's DC went back";
    }
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

class TFrmAll : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TForm::TForm;

    std::vector<std::string> clicked;
    int measured = 0;
    void ItemClick(TObject* sender) { clicked.push_back(static_cast<TComponent*>(sender)->Name()); }
    void ItemMeasure(TObject*, TCanvas*, int& width, int& height)
    {
        ++measured;
        width = 111;
        height = 22;
    }
};
constexpr ks::MethodInfo AllMethods[] = {
    ks::Handler<&TFrmAll::ItemClick>("ItemClick"),
    ks::Handler<&TFrmAll::ItemMeasure>("ItemMeasure"),
};
const ks::ClassInfo TFrmAll::StaticClassInfo{"TFrmAll", &TForm::StaticClassInfo, {}, AllMethods};

// Every streamable class of the library, none registered by the test; the menu reference
// comes before the menu.
constexpr const char* AllText = R"(object FrmAll: TFrmAll
  BorderStyle = bsSingle
  ClientHeight = 120
  ClientWidth = 240
  Menu = MainMenu1
  object Button1: TButton
    Caption = 'Ещё'
  end
  object Edit1: TEdit
  end
  object Memo1: TMemo
  end
  object CheckBox1: TCheckBox
  end
  object GroupBox1: TGroupBox
    object Label1: TLabel
    end
  end
  object Shape1: TShape
  end
  object Image1: TImage
  end
  object Timer1: TTimer
    Enabled = False
  end
  object TrayIcon1: TTrayIcon
  end
  object ImageList1: TImageList
  end
  object PopupMenu1: TPopupMenu
  end
  object MainMenu1: TMainMenu
    object FileItem: TMenuItem
      Caption = '&Файл'
      OnClick = ItemClick
      object OpenItem: TMenuItem
        Caption = '&Открыть'
        OnClick = ItemClick
        OnMeasureItem = ItemMeasure
      end
    end
  end
end
)";

TEST_F(FormsTest, InitializeRegistersEveryStreamableClass)
{
    AddResource(L"TFRMALL", CompileFormText(AllText));
    TFrmAll* form = Create<TFrmAll>(nullptr);
    FreeLater guard{form};
    const char* expected[][2] = {
        {"Button1", "TButton"},     {"Edit1", "TEdit"},         {"Memo1", "TMemo"},
        {"CheckBox1", "TCheckBox"}, {"GroupBox1", "TGroupBox"}, {"Label1", "TLabel"},
        {"Shape1", "TShape"},       {"Image1", "TImage"},       {"Timer1", "TTimer"},
        {"TrayIcon1", "TTrayIcon"}, {"ImageList1", "TImageList"}, {"PopupMenu1", "TPopupMenu"},
        {"MainMenu1", "TMainMenu"}, {"OpenItem", "TMenuItem"},
    };
    for (const auto& [name, className] : expected) {
        SCOPED_TRACE(name);
        TComponent* c = form->FindComponent(name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(std::string(c->ClassName()), className);
    }
    // Classes no form carries as a child, but the skin looks up by name.
    EXPECT_NE(GetClass("THintWindow"), nullptr);
    EXPECT_NE(GetClass("TMessageForm"), nullptr);
}

TEST_F(FormsTest, TheMenuBarFollowsTheWindowAndGetsItsMessages)
{
    AddResource(L"TFRMALL", CompileFormText(AllText));
    TFrmAll* form = Create<TFrmAll>(nullptr);
    FreeLater guard{form};
    auto* menu = dynamic_cast<TMainMenu*>(form->FindComponent("MainMenu1"));
    auto* fileItem = dynamic_cast<TMenuItem*>(form->FindComponent("FileItem"));
    auto* openItem = dynamic_cast<TMenuItem*>(form->FindComponent("OpenItem"));
    ASSERT_TRUE(menu && fileItem && openItem);
    ASSERT_EQ(form->Menu(), menu);

    HWND wnd = form->Handle();
    EXPECT_EQ(GetMenu(wnd), menu->Handle());
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.bottom, 120) << "the stored client height leaves room for the bar";

    SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(openItem->Command(), 0), 0);
    SendMessageW(wnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(fileItem->Handle()), 0);
    EXPECT_EQ(form->clicked, (std::vector<std::string>{"OpenItem", "FileItem"}));
    menu->SetOwnerDraw(true);
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    mis.itemID = openItem->Command();
    EXPECT_EQ(SendMessageW(wnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)), TRUE);
    EXPECT_EQ(form->measured, 1);
    EXPECT_EQ(mis.itemWidth, 111u);

    // A new window gets the same bar, which outlived the old window.
    const HMENU bar = menu->Handle();
    form->RecreateWnd();
    HWND recreated = form->Handle();
    EXPECT_TRUE(IsMenu(bar));
    EXPECT_EQ(GetMenu(recreated), bar);

    form->SetMenu(nullptr);
    EXPECT_EQ(GetMenu(recreated), nullptr);
    form->SetMenu(menu);
    EXPECT_EQ(GetMenu(recreated), bar);
    menu->Free();
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_EQ(GetMenu(recreated), nullptr);
}

class TFrmPicture : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TForm::TForm;
};
const ks::ClassInfo TFrmPicture::StaticClassInfo{"TFrmPicture", &TForm::StaticClassInfo, {}, {}};

// A picture's Data as the platform stores it: the class name as a length byte and ASCII,
// then the picture's own data, behind a 32-bit byte count where the class frames it.
std::vector<uint8_t> PictureData(const std::string& className, std::vector<uint8_t> bytes, bool counted)
{
    std::vector<uint8_t> v{static_cast<uint8_t>(className.size())};
    for (char ch : className)
        v.push_back(static_cast<uint8_t>(ch));
    if (counted)
        ks::test::PutU32(v, static_cast<uint32_t>(bytes.size()));
    v.insert(v.end(), bytes.begin(), bytes.end());
    return v;
}

std::string PictureFormText(const std::vector<uint8_t>& pictureData, const std::vector<uint8_t>& iconData)
{
    return "object FrmPicture: TFrmPicture\n  Icon.Data = {" + ks::test::HexDigits(iconData) +
           "}\n  object Image1: TImage\n    Width = 32\n    Height = 32\n    Picture.Data = {" +
           ks::test::HexDigits(pictureData) + "}\n  end\nend\n";
}

std::vector<uint8_t> SmallBmp()
{
    ks::test::BmpBuilder b;
    b.width = 2;
    b.height = 2;
    // Bottom row blue, red; top row green, white; rows padded to 8 bytes.
    b.pixels = {0xFF, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0, 0};
    return b.Build();
}

std::vector<uint8_t> SmallIco()
{
    ks::test::IcoBuilder b;
    ks::test::IcoImage image;
    image.width = image.height = 16;
    image.pixel = 0xFF0000FF;
    b.images = {image};
    return b.Build();
}

TEST_F(FormsTest, PictureAndIconDataRoundTripThroughTheFormStream)
{
    const std::vector<uint8_t> ico = SmallIco();
    struct Case {
        const char* name;
        std::vector<uint8_t> picture;
        const char* className;
    } cases[] = {
        {"Bitmap", PictureData("TBitmap", SmallBmp(), true), "TBitmap"},
        {"Icon", PictureData("TIcon", ico, false), "TIcon"},
        {"Jpeg", PictureData("TJPEGImage", ks::test::MakeJpeg(8, 4, 0x336699), true), "TJPEGImage"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Resources().clear();
        const std::vector<uint8_t> stored = CompileFormText(PictureFormText(c.picture, ico));
        AddResource(L"TFRMPICTURE", stored);
        TFrmPicture* form = Create<TFrmPicture>(nullptr);
        FreeLater guard{form};
        auto* image = dynamic_cast<TImage*>(form->FindComponent("Image1"));
        ASSERT_NE(image, nullptr);
        ASSERT_NE(image->Picture()->Graphic(), nullptr);
        EXPECT_EQ(std::string(image->Picture()->Graphic()->ClassName()), c.className);
        EXPECT_EQ(form->Icon()->Width(), 16);
        if (auto* bitmap = dynamic_cast<TBitmap*>(image->Picture()->Graphic())) {
            EXPECT_EQ(bitmap->Width(), 2);
            const uint8_t* top = bitmap->ScanLine(0);
            EXPECT_EQ(top[1], 0xFF) << "the top-left pixel is green";
        }
        // Written and read again, the form carries the same pictures.
        const std::vector<uint8_t> written = WriteRootComponent(*form);
        Resources().clear();
        AddResource(L"TFRMPICTURE", written);
        TFrmPicture* again = Create<TFrmPicture>(nullptr);
        FreeLater againGuard{again};
        auto* image2 = dynamic_cast<TImage*>(again->FindComponent("Image1"));
        ASSERT_TRUE(image2 && image2->Picture()->Graphic());
        TMemoryStream first, second, icon;
        image->Picture()->Graphic()->SaveToStream(first);
        image2->Picture()->Graphic()->SaveToStream(second);
        again->Icon()->SaveToStream(icon);
        EXPECT_TRUE(std::ranges::equal(first.Bytes(), second.Bytes()));
        EXPECT_TRUE(std::ranges::equal(icon.Bytes(), ico));
        EXPECT_EQ(WriteRootComponent(*again), written);
    }
}

TEST_F(FormsTest, CorruptPictureOrIconDataLeavesNoForm)
{
    const std::vector<uint8_t> ico = SmallIco();
    const std::vector<uint8_t> goodPicture = PictureData("TBitmap", SmallBmp(), true);
    std::vector<uint8_t> countBeyondData = goodPicture;
    countBeyondData.resize(countBeyondData.size() - 10);
    std::vector<uint8_t> countShort = goodPicture;
    countShort.push_back(0);
    struct Case {
        const char* name;
        std::vector<uint8_t> picture;
        std::vector<uint8_t> icon;
        bool readError;
        int reason;
    } cases[] = {
        {"UnknownPictureClass", PictureData("TMetafile", SmallBmp(), true), ico, true,
         static_cast<int>(ks::FormError::UnknownClass)},
        {"ClassNameBeyondData", {40, 'T', 'B'}, ico, true, static_cast<int>(ks::FormError::Truncated)},
        {"CountBeyondData", countBeyondData, ico, true, static_cast<int>(ks::FormError::Truncated)},
        {"CountShortOfData", countShort, ico, true, static_cast<int>(ks::FormError::TrailingData)},
        {"BitmapNotABitmap", PictureData("TBitmap", {1, 2, 3, 4, 5, 6}, true), ico, false, 0},
        {"IconNotAnIcon", goodPicture, {0, 0, 1, 0, 9, 9}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Resources().clear();
        AddResource(L"TFRMPICTURE", CompileFormText(PictureFormText(c.picture, c.icon)));
        const int forms = Screen->FormCount();
        const int owned = Application->ComponentCount();
        TFrmPicture* reference = nullptr;
        try {
            Application->CreateForm(reference);
            ADD_FAILURE() << "no exception";
        } catch (const EReadError& e) {
            EXPECT_TRUE(c.readError) << e.Message();
            EXPECT_EQ(e.Reason(), c.reason);
        } catch (const EInvalidGraphic& e) {
            EXPECT_FALSE(c.readError) << "the picture's own reader names the defect: " << e.Message();
        }
        EXPECT_EQ(reference, nullptr);
        EXPECT_EQ(Screen->FormCount(), forms);
        EXPECT_EQ(Application->ComponentCount(), owned);
    }
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
    EXPECT_EQ(Screen->Forms(before), form);
    form->Free();
    EXPECT_THROW(Screen->Forms(before), EListError);

    const TRect work = Screen->WorkAreaRect();
    EXPECT_GT(work.Width(), 0);
    EXPECT_GT(work.Height(), 0);
    EXPECT_LE(work.Right, Screen->Width());
    EXPECT_LE(work.Bottom, Screen->Height());
    EXPECT_FALSE(Screen->HintFont()->Name().empty());
}

} // namespace

namespace {

TEST_F(FormsTest, AFormIsInTheShowingStateOnlyWhileItIsShownOrHidden)
{
    TForm* form = CreateNew<TForm>(Application);
    struct Seen {
        TForm* Form;
        std::vector<bool> Showing;
        void Note(TObject*) { Showing.push_back(Form->FormState().Contains(fsShowing)); }
    } seen{form, {}};
    form->SetOnShow(TNotifyEvent(&seen, &Seen::Note));
    form->SetOnHide(TNotifyEvent(&seen, &Seen::Note));
    EXPECT_FALSE(form->FormState().Contains(fsShowing));
    form->Show();
    EXPECT_FALSE(form->FormState().Contains(fsShowing)) << "shown";
    form->Hide();
    EXPECT_FALSE(form->FormState().Contains(fsShowing)) << "hidden";
    EXPECT_EQ(seen.Showing, (std::vector<bool>{true, true})) << "the handlers run in the state";
    form->Free();
}

} // namespace

namespace {

// The constraints hold the size a program sets and the sizes the system lets a user drag to;
// a side left at 0 is the system's.
TEST_F(FormsTest, ConstraintsBoundTheSizeSetAndTheSizeDragged)
{
    TForm* form = CreateNew<TForm>(Application);
    FreeLater guard{form};
    form->SetBounds(50, 50, 300, 200);
    form->Show();
    TSizeConstraints& c = *form->Constraints();
    c.SetMaxHeight(150);
    EXPECT_EQ(form->Height(), 150) << "a new bound applies to the present size";
    c.SetMinWidth(250);
    struct Case {
        const char* name;
        int width, height;
        int expectedWidth, expectedHeight;
    } cases[] = {
        {"within", 260, 120, 260, 120},
        {"too narrow", 100, 120, 250, 120},
        {"too high", 260, 400, 260, 150},
        {"both", 10, 1000, 250, 150},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        form->SetBounds(50, 50, k.width, k.height);
        RECT r{};
        GetWindowRect(form->Handle(), &r);
        EXPECT_EQ(r.right - r.left, k.expectedWidth);
        EXPECT_EQ(r.bottom - r.top, k.expectedHeight);
        EXPECT_EQ(form->Width(), k.expectedWidth);
    }

    MINMAXINFO info{};
    info.ptMinTrackSize = {11, 12};
    info.ptMaxTrackSize = {2001, 2002};
    SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 250);
    EXPECT_EQ(info.ptMinTrackSize.y, 12) << "no minimum height: the system's";
    EXPECT_EQ(info.ptMaxTrackSize.x, 2001) << "no maximum width: the system's";
    EXPECT_EQ(info.ptMaxTrackSize.y, 150);

    // A minimum above the maximum raises it; a maximum below the minimum lowers it.
    c.SetMinHeight(180);
    EXPECT_EQ(c.MaxHeight(), 180);
    c.SetMaxWidth(200);
    EXPECT_EQ(c.MinWidth(), 200);
    c.SetMinWidth(-5);
    EXPECT_EQ(c.MinWidth(), 0) << "a negative bound is none";
}

TEST_F(FormsTest, AutoScrollAndConstraintsAreReadFromTheFormResource)
{
    AddResource(L"TFRMABOUT", CompileFormText("object FrmAbout: TFrmAbout\n"
                                              "  AutoScroll = True\n"
                                              "  Constraints.MinWidth = 120\n"
                                              "  Constraints.MaxHeight = 90\n"
                                              "end\n"));
    RegisterClasses<TFrmPanel, TFrmGraphic>();
    TFrmAbout* form = Create<TFrmAbout>(Application);
    FreeLater guard{form};
    EXPECT_TRUE(form->AutoScroll());
    EXPECT_EQ(form->Constraints()->MinWidth(), 120);
    EXPECT_EQ(form->Constraints()->MaxHeight(), 90);
    TForm* plain = CreateNew<TForm>(Application);
    FreeLater plainGuard{plain};
    EXPECT_FALSE(plain->AutoScroll()) << "off unless asked";
}

} // namespace
