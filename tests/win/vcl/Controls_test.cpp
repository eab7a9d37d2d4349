#include "vcl/Controls.h"

#include "vcl/Bitmap.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/StdCtrls.h"
#include "vcl/SysUtils.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using ControlsTest = VclFixture;

// Sees every message of a control through its WindowProc and passes it on.
struct Recorder {
    TControl* control = nullptr;
    TWndMethod previous;
    std::vector<TMessage> messages;

    void Attach(TControl* c)
    {
        control = c;
        previous = c->WindowProc();
        c->SetWindowProc(TWndMethod(this, &Recorder::Proc));
    }
    void Proc(TMessage& m)
    {
        messages.push_back(m);
        previous(m);
    }
    std::vector<UINT> Only(std::initializer_list<UINT> wanted) const
    {
        std::vector<UINT> out;
        for (const TMessage& m : messages)
            if (std::find(wanted.begin(), wanted.end(), m.Msg) != wanted.end())
                out.push_back(m.Msg);
        return out;
    }
};

class TCtlGraphic : public TGraphicControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TGraphicControl::TGraphicControl;

protected:
    // Paints far beyond its bounds: the parent's clip must keep it inside.
    void Paint() override
    {
        Canvas().Brush().SetColor(Color());
        Canvas().FillRect(Rect(-100, -100, 1000, 1000));
    }
};
const ks::ClassInfo TCtlGraphic::StaticClassInfo{"TCtlGraphic", &TGraphicControl::StaticClassInfo, {}, {}};

class TCtlPanel : public TCustomControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    explicit TCtlPanel(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }

protected:
    void Paint() override
    {
        Canvas().Brush().SetColor(Color());
        Canvas().FillRect(ClientRect());
    }
};
const ks::ClassInfo TCtlPanel::StaticClassInfo{"TCtlPanel", &TCustomControl::StaticClassInfo, {}, {}};

// A superclass of the system check box.
class TCtlCheck : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TWinControl::TWinControl;

    std::vector<TMessage> reflected;

    void Dispatch(TMessage& m) override
    {
        if (m.Msg >= CN_BASE && m.Msg < CN_BASE + 0x400) {
            reflected.push_back(m);
            m.Result = 0x5151;
            return;
        }
        TWinControl::Dispatch(m);
    }

protected:
    void CreateParams(TCreateParams& p) override
    {
        TWinControl::CreateParams(p);
        CreateSubClass(p, L"BUTTON");
        p.Style |= BS_AUTOCHECKBOX;
    }
};
const ks::ClassInfo TCtlCheck::StaticClassInfo{"TCtlCheck", &TWinControl::StaticClassInfo, {}, {}};

// A borderless form at a known place; freed at the end of the scope.
struct HostForm {
    TForm* form = CreateNew<TForm>(nullptr);
    HostForm()
    {
        form->SetBorderStyle(bsNone);
        form->SetBounds(40, 40, 200, 120);
    }
    ~HostForm() { form->Free(); }
    template <class T>
    T* Add(int left, int top, int width, int height)
    {
        T* c = Create<T>(form);
        c->SetBounds(left, top, width, height);
        c->SetParent(form);
        return c;
    }
};

TEST_F(ControlsTest, SettersSendTheirComponentMessagesOnlyOnChange)
{
    struct Case { const char* name; std::function<void(TControl&)> change; UINT msg; } cases[] = {
        {"Visible", [](TControl& c) { c.SetVisible(false); }, CM_VISIBLECHANGED},
        {"Enabled", [](TControl& c) { c.SetEnabled(false); }, CM_ENABLEDCHANGED},
        {"Color", [](TControl& c) { c.SetColor(clRed); }, CM_COLORCHANGED},
        {"Font", [](TControl& c) { c.Font()->SetHeight(-23); }, CM_FONTCHANGED},
        {"Text", [](TControl& c) { c.SetText(L"Пароль"); }, CM_TEXTCHANGED},
        {"Cursor", [](TControl& c) { c.SetCursor(crHandPoint); }, CM_CURSORCHANGED},
        {"ShowHint", [](TControl& c) { c.SetShowHint(true); }, CM_SHOWHINTCHANGED},
    };
    HostForm host;
    host.form->Show();
    for (const Case& c : cases) {
        for (bool windowed : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (windowed ? " windowed" : " windowless"));
            TControl* control = windowed ? static_cast<TControl*>(host.Add<TCtlPanel>(5, 5, 30, 20))
                                         : static_cast<TControl*>(host.Add<TCtlGraphic>(5, 5, 30, 20));
            Recorder r;
            r.Attach(control);
            c.change(*control);
            c.change(*control);
            EXPECT_EQ(r.Only({c.msg}).size(), 1u) << "a setter given the value it has sends nothing";
            if (c.msg == CM_VISIBLECHANGED) {
                ASSERT_EQ(r.messages.front().Msg, CM_VISIBLECHANGED);
                EXPECT_EQ(r.messages.front().WParam, 0u);
            }
            control->Free();
        }
    }
}

TEST_F(ControlsTest, ChildrenFollowTheirParentsFontAndColourUntilGivenTheirOwn)
{
    HostForm host;
    TCtlGraphic* follower = host.Add<TCtlGraphic>(0, 0, 10, 10);
    TCtlGraphic* own = host.Add<TCtlGraphic>(0, 0, 10, 10);
    own->SetColor(clYellow);
    own->Font()->SetHeight(-9);

    host.form->SetColor(clNavy);
    host.form->Font()->SetHeight(-19);

    EXPECT_EQ(follower->Color(), clNavy);
    EXPECT_EQ(follower->Font()->Height(), -19);
    EXPECT_EQ(own->Color(), clYellow);
    EXPECT_EQ(own->Font()->Height(), -9);
}

TEST_F(ControlsTest, WindowProcIsReplacedAndRestoredExactly)
{
    HostForm host;
    TCtlPanel* panel = host.Add<TCtlPanel>(0, 0, 10, 10);
    const TWndMethod original = panel->WindowProc();

    Recorder r;
    r.Attach(panel);
    EXPECT_FALSE(panel->WindowProc() == original);
    SendMessageW(panel->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"через окно"));
    EXPECT_EQ(r.Only({WM_SETTEXT, CM_TEXTCHANGED}), (std::vector<UINT>{WM_SETTEXT, CM_TEXTCHANGED}))
        << "window messages flow through WindowProc";
    EXPECT_EQ(panel->Text(), L"через окно");

    panel->SetWindowProc(r.previous);
    EXPECT_TRUE(panel->WindowProc() == original);
    panel->SetWindowProc(TWndMethod(&r, &Recorder::Proc));
    panel->SetWindowProc(nullptr);
    EXPECT_TRUE(panel->WindowProc() == original) << "an unassigned method puts back the control's own";
}

TEST_F(ControlsTest, PerformDrivesWindowlessControls)
{
    HostForm host;
    TCtlGraphic* g = host.Add<TCtlGraphic>(20, 10, 40, 30);
    int clicks = 0;
    struct Counter {
        int* n;
        void Click(TObject*) { ++*n; }
    } counter{&clicks};
    g->SetOnClick(TNotifyEvent(&counter, &Counter::Click));

    EXPECT_EQ(g->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"метка")), TRUE);
    wchar_t buffer[16] = {};
    EXPECT_EQ(g->Perform(WM_GETTEXT, 16, reinterpret_cast<LPARAM>(buffer)), 5);
    EXPECT_STREQ(buffer, L"метка");

    struct Case { const char* name; int upX, upY; int expectedClicks; } cases[] = {
        {"ReleasedInside", 5, 5, 1}, {"ReleasedOutside", 60, 5, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clicks = 0;
        g->Perform(WM_LBUTTONDOWN, MK_LBUTTON, TWMMouse::MakePos(5, 5));
        EXPECT_TRUE(g->MouseCapture());
        g->Perform(WM_LBUTTONUP, 0, TWMMouse::MakePos(c.upX, c.upY));
        EXPECT_FALSE(g->MouseCapture());
        EXPECT_EQ(clicks, c.expectedClicks);
    }

    // Through the parent's window: the child hears the press in its own coordinates.
    struct Where {
        TPoint p{-1, -1};
        void Down(TObject*, TMouseButton, TShiftState, int x, int y) { p = {x, y}; }
    } where;
    g->SetOnMouseDown(TMouseEvent(&where, &Where::Down));
    clicks = 0;
    HWND wnd = host.form->Handle();
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, TWMMouse::MakePos(25, 17));
    SendMessageW(wnd, WM_LBUTTONUP, 0, TWMMouse::MakePos(25, 17));
    EXPECT_EQ(where.p, (TPoint{5, 7}));
    EXPECT_EQ(clicks, 1);
}

// A windowless control holds the mouse through its parent's window; when the window loses it
// (WM_CANCELMODE, or WM_CAPTURECHANGED for another window) the control's press ends as a
// release outside it, so nothing is clicked, and the new owner of the mouse keeps it.
TEST_F(ControlsTest, AWindowlessControlLetsGoOfTheMouseItsParentLoses)
{
    HostForm host;
    TCtlGraphic* g = host.Add<TCtlGraphic>(20, 10, 40, 30);
    HostForm other;
    other.form->SetLeft(300);
    HWND wnd = host.form->Handle();
    struct Recorder {
        int clicks = 0;
        TPoint up{0, 0};
        void Click(TObject*) { ++clicks; }
        void Up(TObject*, TMouseButton, TShiftState, int x, int y) { up = {x, y}; }
    } rec;
    g->SetOnClick(TNotifyEvent(&rec, &Recorder::Click));
    g->SetOnMouseUp(TMouseEvent(&rec, &Recorder::Up));
    struct Case {
        const char* name;
        std::function<void()> takeAway;
        HWND captureAfter;
    };
    const Case cases[] = {
        {"CancelMode", [&] { SendMessageW(wnd, WM_CANCELMODE, 0, 0); }, nullptr},
        {"TakenByAnotherWindow", [&] { SetCapture(other.form->Handle()); }, other.form->Handle()},
        {"Released", [] { ReleaseCapture(); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rec = {};
        SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, TWMMouse::MakePos(25, 17));
        ASSERT_EQ(ks::CaptureControl(), g);
        ASSERT_EQ(GetCapture(), wnd);
        c.takeAway();
        EXPECT_EQ(ks::CaptureControl(), nullptr);
        EXPECT_FALSE(g->MouseCapture());
        EXPECT_EQ(GetCapture(), c.captureAfter);
        EXPECT_EQ(rec.up, (TPoint{-1, -1})) << "the press ends outside the control";
        ReleaseCapture();
        SendMessageW(wnd, WM_LBUTTONUP, 0, TWMMouse::MakePos(25, 17));
        EXPECT_EQ(rec.clicks, 0);
    }
}

// Notes where it is asked to open instead of running the menu's own loop.
class NotingPopup : public TPopupMenu {
public:
    using TPopupMenu::TPopupMenu;
    void Popup(int x, int y) override { opened.push_back({x, y}); }
    std::vector<TPoint> opened;
};

// WM_CONTEXTMENU, from the mouse or the keyboard (lParam -1), opens the popup menu of the
// windowless control under the point, else of the window or its nearest parent that has one;
// from the keyboard at that control's top-left corner. The right button's release over a
// windowless control asks for it as over the bare window.
TEST_F(ControlsTest, TheContextMenuOpensThePopupMenuOfTheControlOrOfItsParent)
{
    HostForm host;
    auto* formMenu = Create<NotingPopup>(host.form);
    auto* ownMenu = Create<NotingPopup>(host.form);
    host.form->SetPopupMenu(formMenu);
    TCtlGraphic* own = host.Add<TCtlGraphic>(10, 10, 30, 20);
    own->SetPopupMenu(ownMenu);
    host.Add<TCtlGraphic>(50, 10, 30, 20);
    TCtlPanel* panel = host.Add<TCtlPanel>(10, 50, 60, 40);
    host.form->Show();
    Pump();
    const HWND form = host.form->Handle();
    const auto screen = [](HWND wnd, int x, int y) {
        POINT p{x, y};
        ClientToScreen(wnd, &p);
        return TPoint{p.x, p.y};
    };
    struct Case {
        const char* name;
        HWND to;
        TPoint at;       // on the screen; {-1, -1}: from the keyboard
        NotingPopup* menu;
        TComponent* component;
        TPoint shownAt;
        bool byRelease = false; // WM_RBUTTONUP at the point instead
    };
    const TPoint keyboard{-1, -1};
    const Case cases[] = {
        {"FormFromTheMouse", form, screen(form, 150, 100), formMenu, host.form, screen(form, 150, 100)},
        {"FormFromTheKeyboard", form, keyboard, formMenu, host.form, screen(form, 0, 0)},
        {"WindowlessControlWithItsOwn", form, screen(form, 15, 15), ownMenu, own, screen(form, 15, 15)},
        {"WindowlessControlWithoutOne", form, screen(form, 55, 15), formMenu, host.form,
         screen(form, 55, 15)},
        {"WindowWithoutOne", panel->Handle(), screen(form, 20, 60), formMenu, host.form,
         screen(form, 20, 60)},
        {"KeyboardInAWindowWithoutOne", panel->Handle(), keyboard, formMenu, host.form, screen(form, 0, 0)},
        {"ReleaseOnAWindowlessControlWithItsOwn", form, screen(form, 15, 15), ownMenu, own, screen(form, 15, 15), true},
        {"ReleaseOnAWindowlessControlWithoutOne", form, screen(form, 55, 15), formMenu, host.form,
         screen(form, 55, 15), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        formMenu->opened.clear();
        ownMenu->opened.clear();
        formMenu->SetPopupComponent(nullptr);
        ownMenu->SetPopupComponent(nullptr);
        POINT client{c.at.X, c.at.Y};
        ScreenToClient(c.to, &client);
        const LRESULT answer =
            c.byRelease ? SendMessageW(c.to, WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y))
                        : SendMessageW(c.to, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c.to),
                                       c.at == keyboard ? -1 : MAKELPARAM(c.at.X, c.at.Y));
        // Handed on to the parent by the system, the answer stays the child window's own.
        if (c.to == form && !c.byRelease) {
            EXPECT_EQ(answer, 1) << "the system's menu stays away";
        }
        EXPECT_EQ(c.menu->opened, std::vector<TPoint>{c.shownAt});
        EXPECT_EQ(c.menu->PopupComponent(), c.component);
        EXPECT_EQ(formMenu->opened.size() + ownMenu->opened.size(), 1u) << "one menu only";
    }
}

// The window freed by what its windowless child runs when the press ends: nothing of it is
// touched after.
class ControlsLifetimeTest : public VclFixture {};

TEST_F(ControlsLifetimeTest, AWindowFreedByItsChildsReleaseOnLosingTheMouseIsLeftAlone)
{
    const std::pair<const char*, void (*)(HWND)> ways[] = {
        {"CancelMode", [](HWND wnd) { SendMessageW(wnd, WM_CANCELMODE, 0, 0); }},
        {"CaptureReleased", [](HWND) { ReleaseCapture(); }},
    };
    for (const auto& [name, takeAway] : ways) {
        SCOPED_TRACE(name);
        TForm* form = CreateNew<TForm>(nullptr);
        form->SetBounds(40, 40, 200, 120);
        auto* g = Create<TCtlGraphic>(form);
        g->SetBounds(20, 10, 40, 30);
        g->SetParent(form);
        struct Freer {
            TForm* form;
            void Up(TObject*, TMouseButton, TShiftState, int, int) { FreeAndNil(form); }
        } freer{form};
        g->SetOnMouseUp(TMouseEvent(&freer, &Freer::Up));
        const HWND wnd = form->Handle();
        SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, TWMMouse::MakePos(25, 17));
        ASSERT_EQ(GetCapture(), wnd);
        takeAway(wnd);
        EXPECT_EQ(freer.form, nullptr);
        EXPECT_FALSE(IsWindow(wnd));
        EXPECT_EQ(ks::CaptureControl(), nullptr);
    }
}

TEST_F(ControlsTest, ParentNotificationsAreReflectedToTheChildObject)
{
    HostForm host;
    TCtlCheck* check = host.Add<TCtlCheck>(10, 10, 80, 20);
    HWND parent = host.form->Handle();
    HWND child = check->Handle();

    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    EXPECT_STREQ(className, L"TCtlCheck") << "windowed controls register under their class name";

    // Unhandled messages end in the system button's own procedure.
    check->Perform(BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageW(child, BM_GETCHECK, 0, 0), BST_CHECKED);

    HDC dc = GetDC(child);
    struct Case { const char* name; UINT msg; WPARAM wParam; LPARAM lParam; } cases[] = {
        {"Command", WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), reinterpret_cast<LPARAM>(child)},
        {"CtlColorStatic", WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)},
        {"CtlColorBtn", WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)},
        {"HScroll", WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(child)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        check->reflected.clear();
        EXPECT_EQ(SendMessageW(parent, c.msg, c.wParam, c.lParam), 0x5151);
        ASSERT_EQ(check->reflected.size(), 1u);
        EXPECT_EQ(check->reflected[0].Msg, CN_BASE + c.msg);
        EXPECT_EQ(check->reflected[0].WParam, c.wParam);
        EXPECT_EQ(check->reflected[0].LParam, c.lParam);
    }
    ReleaseDC(child, dc);

    NMHDR header{child, 7, static_cast<UINT>(-2)}; // NM_CLICK
    check->reflected.clear();
    SendMessageW(parent, WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header));
    ASSERT_EQ(check->reflected.size(), 1u);
    EXPECT_EQ(check->reflected[0].Msg, CN_NOTIFY);

    check->reflected.clear();
    SendMessageW(parent, WM_COMMAND, 100, 0);
    EXPECT_TRUE(check->reflected.empty()) << "menu commands (no child window) are not reflected";
}

TEST_F(ControlsTest, UnreflectedColourRequestIsAnsweredWithFontAndBrush)
{
    HostForm host;
    TCtlPanel* panel = host.Add<TCtlPanel>(0, 0, 20, 20);
    panel->SetColor(clLime);
    panel->Font()->SetColor(clRed);
    HDC dc = CreateCompatibleDC(nullptr);
    LRESULT brush = panel->Perform(CN_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(panel->Brush().Handle()));
    EXPECT_EQ(GetTextColor(dc), static_cast<COLORREF>(clRed));
    EXPECT_EQ(GetBkColor(dc), static_cast<COLORREF>(clLime));
    DeleteDC(dc);
}

TEST_F(ControlsTest, MouseEnterAndLeaveGoOnlyToTheControlUnderTheMouse)
{
    Recorder ra, rb, rp, rf; // outlive the form, which still sends them messages as it goes
    HostForm host;
    TCtlGraphic* a = host.Add<TCtlGraphic>(10, 10, 30, 30);
    TCtlGraphic* b = host.Add<TCtlGraphic>(60, 10, 30, 30);
    TCtlPanel* p = host.Add<TCtlPanel>(110, 10, 30, 30);
    host.form->Show();
    for (auto [r, c] : {std::pair<Recorder*, TControl*>{&ra, a}, {&rb, b}, {&rp, p}, {&rf, host.form}})
        r->Attach(c);

    HWND form = host.form->Handle();
    SendMessageW(form, WM_MOUSEMOVE, 0, TWMMouse::MakePos(15, 15));
    SendMessageW(form, WM_MOUSEMOVE, 0, TWMMouse::MakePos(20, 20));
    SendMessageW(form, WM_MOUSEMOVE, 0, TWMMouse::MakePos(65, 15));
    SendMessageW(p->Handle(), WM_MOUSEMOVE, 0, TWMMouse::MakePos(3, 3));
    SendMessageW(form, WM_MOUSEMOVE, 0, TWMMouse::MakePos(100, 100));

    const std::vector<UINT> enterLeave{CM_MOUSEENTER, CM_MOUSELEAVE};
    for (Recorder* r : {&ra, &rb, &rp})
        EXPECT_EQ(r->Only({CM_MOUSEENTER, CM_MOUSELEAVE}), enterLeave) << r->control->ClassName();
    EXPECT_EQ(rf.Only({CM_MOUSEENTER, CM_MOUSELEAVE}), (std::vector<UINT>{CM_MOUSEENTER}))
        << "the form hears only of its own area, never of its children's";
    for (const TMessage& m : ra.messages) {
        if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) {
            EXPECT_EQ(m.LParam, TCMControl::ToLParam(a));
        }
    }

    // The window's leave notice takes the mouse from the form.
    SendMessageW(form, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(rf.Only({CM_MOUSEENTER, CM_MOUSELEAVE}), enterLeave);
    EXPECT_EQ(ks::MouseControl(), nullptr);
}

TEST_F(ControlsTest, TabOrderDecidesWhereTheFocusGoesNext)
{
    Recorder rc, ra; // outlive the form, which still sends them messages as it goes
    HostForm host;
    TCtlPanel* a = host.Add<TCtlPanel>(0, 0, 20, 20);
    TCtlPanel* b = host.Add<TCtlPanel>(30, 0, 20, 20);
    TCtlPanel* c = host.Add<TCtlPanel>(60, 0, 20, 20);
    TCtlPanel* hidden = host.Add<TCtlPanel>(90, 0, 20, 20);
    hidden->SetVisible(false);
    c->SetTabOrder(0); // c, a, b, hidden
    EXPECT_EQ(a->TabOrder(), 1);
    EXPECT_EQ(hidden->TabOrder(), 3);

    host.form->Show();
    Pump();
    host.form->FocusControl(c);
    rc.Attach(c);
    ra.Attach(a);
    EXPECT_TRUE(c->Focused());
    EXPECT_EQ(host.form->ActiveControl(), c);

    // Tab through the message loop: the key reaches the focused control as CN_KEYDOWN and the
    // form moves the focus on.
    PostMessageW(c->Handle(), WM_KEYDOWN, VK_TAB, 0);
    Pump();
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(rc.Only({CN_KEYDOWN, CM_EXIT}), (std::vector<UINT>{CN_KEYDOWN, CM_EXIT}));
    EXPECT_EQ(ra.Only({CM_ENTER}), (std::vector<UINT>{CM_ENTER}));

    host.form->SelectNext(a, true, true);
    EXPECT_TRUE(b->Focused());
    host.form->SelectNext(b, true, true);
    EXPECT_TRUE(c->Focused()) << "the invisible control is passed over and the order wraps";
    host.form->SelectNext(c, false, true);
    EXPECT_TRUE(b->Focused());

    b->SetEnabled(false);
    EXPECT_FALSE(b->CanFocus());
    EXPECT_EQ(host.form->ActiveControl(), nullptr) << "a disabled control gives the focus up";
    EXPECT_THROW(b->SetFocus(), EInvalidOperation);
}

TEST_F(ControlsTest, PaintToDrawsChildrenInTheirPlacesClippedToTheirBounds)
{
    HostForm host;
    host.form->SetBounds(0, 0, 100, 60);
    host.form->SetColor(clGreen);
    TCtlPanel* panel = host.Add<TCtlPanel>(10, 10, 40, 30);
    panel->SetColor(clBlue);
    TCtlGraphic* g = host.Add<TCtlGraphic>(70, 10, 20, 20);
    g->SetColor(clRed);
    host.form->Handle();

    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 100, -60, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    host.form->PaintTo(dc, 0, 0);
    GdiFlush();
    auto at = [&](int x, int y) {
        const uint8_t* p = static_cast<const uint8_t*>(bits) + (y * 100 + x) * 4;
        return static_cast<TColor>(p[2] | p[1] << 8 | p[0] << 16);
    };
    struct Case { const char* name; int x, y; TColor expected; } cases[] = {
        {"FormBackground", 5, 5, clGreen},   {"Panel", 20, 20, clBlue},
        {"GraphicChild", 75, 15, clRed},     {"RightOfGraphic", 95, 15, clGreen},
        {"BelowGraphic", 75, 35, clGreen},   {"LeftOfGraphic", 65, 15, clGreen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(at(c.x, c.y), c.expected);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
}

TEST_F(ControlsTest, RecreateWndKeepsTheTextAndCanBeRefused)
{
    HostForm host;
    TCtlPanel* panel = host.Add<TCtlPanel>(0, 0, 20, 20);
    host.form->Show();
    panel->SetText(L"Ключ");
    HWND first = panel->Handle();
    panel->RecreateWnd();
    EXPECT_FALSE(IsWindow(first));
    ASSERT_TRUE(panel->HandleAllocated());
    wchar_t text[16] = {};
    GetWindowTextW(panel->HandleIfAllocated(), text, 16);
    EXPECT_STREQ(text, L"Ключ");

    struct Refuser {
        TWndMethod previous;
        void Proc(TMessage& m)
        {
            if (m.Msg != CM_RECREATEWND)
                previous(m);
        }
    } refuser{panel->WindowProc()};
    panel->SetWindowProc(TWndMethod(&refuser, &Refuser::Proc));
    HWND second = panel->Handle();
    panel->RecreateWnd();
    EXPECT_EQ(panel->Handle(), second) << "an adapter that swallows CM_RECREATEWND keeps the window";
    panel->SetWindowProc(refuser.previous);
}

TEST_F(ControlsTest, ExceptionsInHandlersAreReportedNotPropagated)
{
    HostForm host;
    TCtlPanel* panel = host.Add<TCtlPanel>(0, 0, 20, 20);
    struct Thrower {
        void Click(TObject*) { throw EConvertError("'x' is not a valid integer value"); }
    } thrower;
    panel->SetOnClick(TNotifyEvent(&thrower, &Thrower::Click));
    HWND wnd = panel->Handle();
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, TWMMouse::MakePos(2, 2));
    SendMessageW(wnd, WM_LBUTTONUP, 0, TWMMouse::MakePos(2, 2));
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0], L"'x' is not a valid integer value");
}

TEST_F(ControlsLifetimeTest, AControlFreedInsideItsOwnMessageIsLeftAlone)
{
    HostForm host;
    TCtlPanel* panel = host.Add<TCtlPanel>(0, 0, 20, 20);
    struct Freer {
        TCtlPanel* panel;
        void Up(TObject*, TMouseButton, TShiftState, int, int) { panel->Free(); }
    } freer{panel};
    panel->SetOnMouseUp(TMouseEvent(&freer, &Freer::Up));
    HWND wnd = panel->Handle();
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, TWMMouse::MakePos(2, 2));
    SendMessageW(wnd, WM_LBUTTONUP, 0, TWMMouse::MakePos(2, 2));
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(host.form->ControlCount(), 0);
    EXPECT_EQ(host.form->ComponentCount(), 0);
}

TEST_F(ControlsTest, UtilityWindowsHandEveryMessageToTheirMethod)
{
    struct Sink {
        std::vector<UINT> seen;
        HWND wnd = nullptr;
        void Proc(TMessage& m)
        {
            seen.push_back(m.Msg);
            m.Result = m.Msg == WM_USER + 5 ? 77 : DefWindowProcW(wnd, m.Msg, m.WParam, m.LParam);
        }
    } sink;
    // The sink cannot answer the creation messages: it does not know its window yet.
    HWND wnd = AllocateHWnd(TWndMethod(&sink, &Sink::Proc));
    ASSERT_NE(wnd, nullptr);
    EXPECT_TRUE(sink.seen.empty()) << "creation messages go to the default procedure";
    sink.wnd = wnd;
    wchar_t className[32] = {};
    GetClassNameW(wnd, className, 32);
    EXPECT_STREQ(className, L"TPUtilWindow");
    EXPECT_FALSE(IsWindowVisible(wnd));
    EXPECT_EQ(SendMessageW(wnd, WM_USER + 5, 0, 0), 77);
    DeallocateHWnd(wnd);
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(sink.seen.back(), static_cast<UINT>(WM_NCDESTROY));
}

// A window is known as a control only when this library made its class: the last bytes of any
// other window hold whatever its own class keeps there, here the address of a real control.
TEST_F(ControlsTest, OnlyWindowsOfTheLibrarysClassesAreFoundAsControls)
{
    auto* form = CreateNew<TForm>(nullptr);
    auto* edit = Create<TEdit>(form);
    edit->SetParent(form);
    WNDCLASSEXW foreign{};
    foreign.cbSize = sizeof foreign;
    foreign.lpfnWndProc = &DefWindowProcW;
    foreign.hInstance = GetModuleHandleW(nullptr);
    foreign.lpszClassName = L"KsForeignWithBytes";
    foreign.cbWndExtra = sizeof(LONG_PTR);
    RegisterClassExW(&foreign);
    const HWND other = CreateWindowExW(0, foreign.lpszClassName, L"", WS_CHILD, 0, 0, 10, 10, form->Handle(), nullptr,
                                       foreign.hInstance, nullptr);
    ASSERT_NE(other, nullptr);
    SetWindowLongPtrW(other, 0, reinterpret_cast<LONG_PTR>(static_cast<ks::WindowOwner*>(edit)));

    EXPECT_EQ(FindControl(form->Handle()), form);
    EXPECT_EQ(FindControl(edit->Handle()), edit) << "a platform class the library extends";
    EXPECT_EQ(FindControl(other), nullptr);
    EXPECT_EQ(FindControl(GetDesktopWindow()), nullptr) << "another process's window";
    edit->SetText(L"still the platform's edit");
    EXPECT_EQ(edit->Text(), L"still the platform's edit") << "its own bytes are left as they were";
    ks::UnbindWindow(edit->Handle());
    EXPECT_EQ(FindControl(edit->Handle()), nullptr);
    DestroyWindow(other);
    UnregisterClassW(foreign.lpszClassName, foreign.hInstance);
    form->Free();
}

} // namespace

namespace {

// Anchored children keep the distances they were given to their parent's edges, whatever the
// parent went through on the way: minimised and restored, or shrunk below the child's size and
// grown back.
TEST_F(ControlsTest, AnchoredChildrenComeBackToTheirPlacesAfterMinimisingOrShrinking)
{
    auto* form = CreateNew<TForm>(Application);
    ks::ScopeExit freed{[&] { form->Free(); }};
    form->SetBounds(50, 50, 300, 200);
    form->SetClientWidth(250);
    form->SetClientHeight(150);
    form->Show();
    Pump();
    // A minimised window has no client area to lay its children out in: they stay where they
    // were all the while, not only once it is restored.
    const struct {
        const char* name;
        std::function<void()> away;
        std::function<void()> back;
        bool keptAway;
    } journeys[] = {
        {"MinimisedAndRestored", [&] { ShowWindow(form->Handle(), SW_MINIMIZE); },
         [&] { ShowWindow(form->Handle(), SW_RESTORE); }, true},
        {"ShrunkAndGrown", [&] { form->SetClientWidth(60), form->SetClientHeight(20); },
         [&] { form->SetClientWidth(250), form->SetClientHeight(150); }, false},
    };
    const struct {
        const char* name;
        TAnchors anchors;
    } anchorings[] = {
        {"LeftAndRight", {akLeft, akTop, akRight}},
        {"Right", {akTop, akRight}},
        {"AllFour", {akLeft, akTop, akRight, akBottom}},
        {"Bottom", {akLeft, akBottom}},
    };
    const TRect given{10, 20, 160, 100};
    for (const auto& journey : journeys)
        for (const auto& anchoring : anchorings) {
            SCOPED_TRACE(std::string(journey.name) + " " + anchoring.name);
            auto* child = Create<TButton>(form);
            child->SetParent(form);
            child->SetBoundsRect(given);
            child->SetAnchors(anchoring.anchors);
            Pump();
            journey.away();
            Pump();
            if (journey.keptAway) {
                EXPECT_EQ(child->BoundsRect(), given) << "while away";
            }
            journey.back();
            Pump();
            EXPECT_EQ(form->ClientWidth(), 250);
            EXPECT_EQ(child->BoundsRect(), given);
            child->Free();
        }
}

} // namespace

namespace {

// What a control's WM_PRINTCLIENT leaves in a white memory DC of its client size, read at (x, y).
COLORREF PrintedClientAt(TWinControl* control, int x, int y, LPARAM flags = PRF_CLIENT)
{
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(control->ClientWidth(), control->ClientHeight());
    HDC dc = picture.Canvas().Handle();
    PatBlt(dc, 0, 0, picture.Width(), picture.Height(), WHITENESS);
    SendMessageW(control->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    GdiFlush();
    return GetPixel(dc, x, y);
}

// The library's controls print into the DC a WM_PRINTCLIENT brings what their painting draws on
// the screen, their windowless children included, as the system's classes print themselves; a
// window of a system class prints its windowless children the same way. A hidden control asked
// to print only when visible prints nothing.
TEST_F(ControlsTest, AControlPrintsItsOwnContentAndItsWindowlessChildren)
{
    constexpr TColor PanelColour = 0x0000C000, ChildColour = 0x00C00000;
    auto* form = CreateNew<TForm>(nullptr);
    ks::ScopeExit freed{[&] { form->Free(); }};
    auto* panel = Create<TCtlPanel>(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 80, 60);
    panel->SetColor(PanelColour);
    auto* inPanel = Create<TCtlGraphic>(form);
    inPanel->SetParent(panel);
    inPanel->SetBounds(40, 20, 20, 20);
    inPanel->SetColor(ChildColour);
    auto* text = Create<TStaticText>(form);
    text->SetParent(form);
    text->SetBounds(100, 10, 80, 60);
    auto* inText = Create<TCtlGraphic>(form);
    inText->SetParent(text);
    inText->SetBounds(40, 20, 20, 20);
    inText->SetColor(ChildColour);
    form->Show();
    Pump();

    EXPECT_EQ(PrintedClientAt(panel, 5, 5), ColorToRGB(PanelColour)) << "its own painting";
    EXPECT_EQ(PrintedClientAt(panel, 50, 30), ColorToRGB(ChildColour)) << "a windowless child";
    EXPECT_EQ(PrintedClientAt(text, 50, 30), ColorToRGB(ChildColour)) << "a windowless child of a system class";
    panel->SetVisible(false);
    EXPECT_EQ(PrintedClientAt(panel, 5, 5, PRF_CLIENT | PRF_CHECKVISIBLE), RGB(255, 255, 255)) << "hidden";
    EXPECT_EQ(PrintedClientAt(panel, 5, 5), ColorToRGB(PanelColour)) << "hidden, printed all the same";
}

} // namespace
