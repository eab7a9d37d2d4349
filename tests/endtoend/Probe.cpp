// The program the real-input tests drive: one sizeable skinned form with what a user can press,
// drag and hover, which writes what happens to it as lines of a report file, flushed at once:
//   click NAME            a user title button or a speed button was clicked
//   sysCommand F020       the form was asked a system command (the low four bits dropped)
//   size WxH / state S    the form's window took a new size / window state
//   spin N / combo N      the spin edit's value / the combo box's item changed
//   menu CAPTION          a menu item was chosen (Speed1 has a context menu of its own)
//   toolbutton NAME down=N / dropdown open / dropdown closed
// A driver asks for a dump of the form's state by sending it ProbeDumpMessage; the dump is in
// the report when the send returns: "dump", "form L T R B", "state S", "ctl NAME L T R B" (screen
// rectangles; "ctl NAMEclient" its client area, "ctl formclient" the form's, "ctl combolist" the
// dropped list), "memo first N", "NAME hpos N" (the horizontal scroll position of the memo,
// plainmemo or list), "spin N", "combo N", "combo itemheight H", "combo top N" (the dropped list's
// first shown item), "end".
// A driver asks what a click at a screen point meets by sending ProbeHitMessage with the point
// (MAKELPARAM); the answer is ProbeHitAnswered + the hit-test code.
// A driver opens one of the platform's dialogs by posting ProbeDialogMessage with its kind (1-3
// message boxes: short, with "&", long; 4 colour, 5 font, 6 open); once it returns the report has
// "dialog KIND result R held H adapted A" (H dialog adapters still holding, A windows more held).
// Switches: --report=FILE (required), --ext (extended borders), --bars (the platform's toolbar,
// status bar, memo, list view and tree view instead of the skinned controls), --rtl (form and
// controls laid out right to left), --late (the skin provider comes after the form is shown),
// --pages (a page control with a check box and a radio button on its page, and a push button and
// a bit button below the memo: "ctl pages", "ctl page", "ctl check", "ctl radio", "ctl push",
// "ctl bit" in the dump), --mdi (an MDI main form with a "File" and a "Window" menu
// and one maximised child with its own provider: "child sysCommand F120", "child state S" when it
// is asked a command or takes a new state; "ctl child", "child state S" in the dump).
#include "app/UnitTable.h"
#include "skin/controls/sMemo.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStoredSkins.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Buttons.h"
#include "vcl/ComCtrls.h"
#include "vcl/Forms.h"
#include "vcl/ListViews.h"
#include "vcl/Menus.h"
#include "vcl/StdCtrls.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

TControl* NewProbeSpeedButton(TComponent* owner);
TCustomEdit* NewProbeSpinEdit(TComponent* owner, int minValue, int maxValue);
int ProbeSpinValue(const TCustomEdit* spin);
// Opens the platform's dialog KIND (ProbeDialogs.cpp) and tells how it returned.
std::string ProbeRunDialog(HWND owner, int kind);
bool ProbeDialogHit(int x, int y, LRESULT& code);

namespace {

constexpr UINT ProbeDumpMessage = WM_APP + 0x51;
constexpr UINT ProbeLateProvider = WM_APP + 0x52;
constexpr UINT ProbeHitMessage = WM_APP + 0x53;
constexpr LRESULT ProbeHitAnswered = 0x10000;
constexpr UINT ProbeDialogMessage = WM_APP + 0x54;
// What the border window of extended borders answers over the frame it draws: a click there is
// handed to the form, which decides by the border window's own hit test of the point.
constexpr LRESULT BorderFrameCode = 19;

FILE* gReport = nullptr;

void Report(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(gReport, format, args);
    va_end(args);
    std::fputc('\n', gReport);
    std::fflush(gReport);
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

struct Options {
    bool ext = false, bars = false, rtl = false, late = false, pages = false, mdi = false;
};
Options gOptions;

void ReportRect(const char* name, HWND wnd)
{
    RECT r{};
    if (wnd && GetWindowRect(wnd, &r))
        Report("ctl %s %ld %ld %ld %ld", name, r.left, r.top, r.right, r.bottom);
}

// The window's client area on the screen, as "ctl NAMEclient L T R B": the frame and the scroll
// bars lie between it and the window's rectangle.
void ReportClient(const char* name, HWND wnd)
{
    RECT r{};
    if (!wnd || !GetClientRect(wnd, &r))
        return;
    MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    // Mirrored windows map their rectangles with left and right swapped.
    Report("ctl %sclient %ld %ld %ld %ld", name, std::min(r.left, r.right), r.top, std::max(r.left, r.right), r.bottom);
}

class TProbeToolBar : public TToolBar {
public:
    using TToolBar::TToolBar;
    TPopupMenu* DropMenu = nullptr;
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CN_COMMAND && HandleAllocated()) {
            if (TToolButton* button = ButtonOfCommand(LOWORD(m.WParam))) {
                const bool down = SendMessageW(Handle(), TB_ISBUTTONCHECKED, LOWORD(m.WParam), 0) != 0;
                Report("toolbutton %s down=%d", Narrow(button->Caption()).c_str(), down ? 1 : 0);
            }
            return;
        }
        if (m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(TBN_DROPDOWN)) {
            const auto* drop = reinterpret_cast<NMTOOLBARW*>(m.LParam);
            RECT r{};
            SendMessageW(Handle(), TB_GETRECT, drop->iItem, reinterpret_cast<LPARAM>(&r));
            MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
            Report("dropdown open");
            InMenuLoop = true;
            DropMenu->Popup(r.left, r.bottom);
            InMenuLoop = false;
            Report("dropdown closed");
            m.Result = TBDDRET_DEFAULT;
            return;
        }
        TToolBar::Dispatch(m);
    }
};

class TProbeCombo : public TComboBox {
public:
    using TComboBox::TComboBox;
    void Dispatch(TMessage& m) override
    {
        TComboBox::Dispatch(m);
        if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == CBN_SELCHANGE)
            Report("combo %d", ItemIndex());
    }
};

const char* StateOf(HWND wnd)
{
    return IsIconic(wnd) ? "minimized" : IsZoomed(wnd) ? "maximized" : "normal";
}

class TProbeChild : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TForm::TForm;

    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_SYSCOMMAND)
            Report("child sysCommand %04X", static_cast<unsigned>(m.WParam & 0xFFF0));
        TForm::Dispatch(m);
        if (m.Msg == WM_SIZE)
            Report("child state %s", StateOf(Handle()));
    }
};

const ks::ClassInfo TProbeChild::StaticClassInfo{"TProbeChild", &TForm::StaticClassInfo, {}, {}};

class TProbeForm : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    // The application's main form, as an MDI main form must be, is made from a form resource
    // unless it is a plain TForm: with --mdi the probe goes by that name, and its window's class
    // is "TForm".
    const ks::ClassInfo& ClassInfo() const noexcept override
    {
        return gOptions.mdi ? TForm::StaticClassInfo : StaticClassInfo;
    }
    using TForm::TForm;

    TsSkinProvider* Provider = nullptr;
    TsMemo* Memo = nullptr;
    TCustomEdit* Spin = nullptr;
    TControl* Speed[2] = {};
    TProbeCombo* Combo = nullptr;
    TProbeToolBar* Bar = nullptr;
    TStatusBar* Status = nullptr;
    TMemo* PlainMemo = nullptr;
    TListView* List = nullptr;
    TTreeView* Tree = nullptr;
    TPageControl* Pages = nullptr;
    TCheckBox* Check = nullptr;
    TRadioButton* Radio = nullptr;
    TButton* Push = nullptr;
    TBitBtn* Bit = nullptr;
    TProbeChild* Child = nullptr;

    void Build()
    {
        SetText(L"Probe");
        SetBounds(200, 150, gOptions.bars ? 640 : 480, gOptions.bars ? 440 : 360);
        if (gOptions.rtl)
            SetBiDiMode(bdRightToLeft);
        if (gOptions.mdi)
            SetFormStyle(fsMDIForm);
        BuildMenus();
        if (gOptions.bars)
            BuildBars();
        else if (!gOptions.mdi)
            BuildSkinned();
        if (gOptions.pages)
            BuildPages();
        if (!gOptions.late)
            AttachProvider();
    }

    void AttachProvider()
    {
        // The manager's switch alone decides the extended borders: a setting of the provider's
        // changed here would repaint a shown form's frame and hide whether the provider took the
        // form over.
        Provider = Create<TsSkinProvider>(this);
        auto* button = static_cast<TsTitleButton*>(Provider->TitleButtons()->Add());
        button->SetName("TitleButton1");
        button->SetHint(L"Title button");
        button->SetOnMouseUp(TMouseEvent(this, &TProbeForm::TitleButtonUp));
        // A glyph on its key colour, as an application gives one: what GDI draws of it is what
        // the extended border must keep opaque.
        TBitmap glyph;
        glyph.SetPixelFormat(pf24bit);
        glyph.SetSize(12, 12);
        glyph.Canvas().Brush().SetColor(TransparentKeyColor);
        glyph.Canvas().FillRect({0, 0, 12, 12});
        glyph.Canvas().Brush().SetColor(0x0000C0);
        glyph.Canvas().FillRect({2, 2, 10, 10});
        button->SetGlyph(&glyph);
        Provider->SetUpForm();
    }

    // The MDI child, once the main form's client shows: made maximised, with its own provider.
    void AddMDIChild()
    {
        Child = CreateNew<TProbeChild>(Application);
        Child->SetFormStyle(fsMDIChild);
        Child->SetText(L"Child");
        Child->SetBounds(20, 20, 240, 160);
        Child->Show();
        Create<TsSkinProvider>(Child)->SetUpForm();
        Child->SetWindowState(wsMaximized);
    }

    void Dispatch(TMessage& m) override
    {
        switch (m.Msg) {
        case ProbeDumpMessage: Dump(); return;
        case ProbeHitMessage:
            m.Result = ProbeHitAnswered + HitOfClick(static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam)));
            return;
        case ProbeDialogMessage: Report("%s", ProbeRunDialog(Handle(), static_cast<int>(m.WParam)).c_str()); return;
        case ProbeLateProvider:
            AttachProvider();
            Report("provider attached");
            return;
        case WM_CLOSE:
            TForm::Dispatch(m);
            // Not the application's main form: closed, it is only hidden, and the probe ends.
            if (!IsWindowVisible(Handle()))
                Application->Terminate();
            return;
        case WM_SYSCOMMAND: Report("sysCommand %04X", static_cast<unsigned>(m.WParam & 0xFFF0)); break;
        case WM_SIZE: {
            RECT r{};
            GetWindowRect(Handle(), &r);
            Report("size %ldx%ld", r.right - r.left, r.bottom - r.top);
            Report("state %s", StateName());
            break;
        }
        default: break;
        }
        TForm::Dispatch(m);
    }

protected:
    void CreateParams(TCreateParams& params) override
    {
        TForm::CreateParams(params);
        if (gOptions.rtl)
            params.ExStyle |= WS_EX_LAYOUTRTL;
    }

private:
    const char* StateName() const
    {
        return IsIconic(HandleIfAllocated()) ? "minimized" : IsZoomed(HandleIfAllocated()) ? "maximized" : "normal";
    }

    // The hit-test code a click at the screen point meets, HTNOWHERE off the form and its border.
    LRESULT HitOfClick(int x, int y)
    {
        if (LRESULT code = 0; ProbeDialogHit(x, y, code))
            return code;
        const POINT p{x, y};
        const HWND at = WindowFromPoint(p);
        const LPARAM where = MAKELPARAM(x, y);
        TacBorderForm* border = Provider ? Provider->BorderForm : nullptr;
        if (border && at == border->WindowHandle()) {
            const LRESULT code = SendMessageW(at, WM_NCHITTEST, 0, where);
            if (code != BorderFrameCode)
                return code;
            const LRESULT met = border->BorderHitTest({x, y});
            // The test lights the button it finds: the light goes back to where the mouse is.
            POINT cursor{};
            GetCursorPos(&cursor);
            border->BorderHitTest({cursor.x, cursor.y});
            return met;
        }
        if (at == Handle() || IsChild(Handle(), at))
            return SendMessageW(at, WM_NCHITTEST, 0, where);
        return HTNOWHERE;
    }

    TMenuItem* Item(TComponent* owner, const std::wstring& caption)
    {
        auto* item = Create<TMenuItem>(owner);
        item->SetCaption(caption);
        item->SetOnClick(TNotifyEvent(this, &TProbeForm::MenuClick));
        return item;
    }
    // Top items, each "Caption: child, child"; a child with its own children is nested likewise.
    TMenuItem* Tree3(TComponent* owner, const std::wstring& name, int depth)
    {
        TMenuItem* item = Item(owner, name);
        if (depth == 0)
            return item;
        for (int i = 1; i <= 3; ++i)
            item->Add(Tree3(owner, name + L"." + std::to_wstring(i), i == 2 ? depth - 1 : 0));
        return item;
    }
    void BuildMenus()
    {
        auto* main = Create<TMainMenu>(this);
        for (const wchar_t* top : {L"File", gOptions.mdi ? L"Window" : L"Item"})
            main->Items()->Add(Tree3(main, top, 2));
        // The main form's "Window" comes after whatever a child's menu puts in the line.
        if (gOptions.mdi)
            main->Items()->Items(1)->SetGroupIndex(9);
        SetMenu(main);
        auto* popup = Create<TPopupMenu>(this);
        for (int i = 1; i <= 3; ++i)
            popup->Items()->Add(Tree3(popup, L"Pop " + std::to_wstring(i), i == 2 ? 2 : 0));
        SetPopupMenu(popup);
    }

    void BuildSkinned()
    {
        Memo = Create<TsMemo>(this);
        Memo->SetParent(this);
        Memo->SetBounds(10, 40, 260, 200);
        Memo->SetWordWrap(false);
        Memo->SetScrollBars(ssBoth);
        std::vector<std::wstring> lines;
        for (int i = 1; i <= 200; ++i)
            lines.push_back(L"Line " + std::to_wstring(i) + L" " + std::wstring(static_cast<size_t>(i % 7) * 12 + 40, L'x'));
        Memo->SetLinesList(lines);
        Spin = NewProbeSpinEdit(this, 0, 100000);
        Spin->SetParent(this);
        Spin->SetBounds(290, 40, 120, 22);
        Spin->SetText(L"10");
        Spin->SetOnChange(TNotifyEvent(this, &TProbeForm::SpinChange));
        for (int i = 0; i < 2; ++i) {
            Speed[i] = NewProbeSpeedButton(this);
            Speed[i]->SetParent(this);
            Speed[i]->SetName(i == 0 ? "Speed1" : "Speed2");
            Speed[i]->SetCaption(i == 0 ? L"One" : L"Two");
            Speed[i]->SetBounds(290 + 60 * i, 80, 56, 26);
            Speed[i]->SetHint(i == 0 ? L"First speed button" : L"Second speed button");
            Speed[i]->SetShowHint(true);
            Speed[i]->SetOnClick(TNotifyEvent(this, &TProbeForm::SpeedClick));
        }
        // The first speed button has a context menu of its own; the second shows the form's.
        auto* speedMenu = Create<TPopupMenu>(this);
        for (const wchar_t* text : {L"Speed 1", L"Speed 2"})
            speedMenu->Items()->Add(Item(speedMenu, text));
        Speed[0]->SetPopupMenu(speedMenu);
        Combo = Create<TProbeCombo>(this);
        Combo->SetParent(this);
        Combo->SetStyle(csDropDownList);
        Combo->SetBounds(290, 120, 120, 24);
        for (const wchar_t* text : {L"Zero", L"One", L"Two", L"Three", L"Four"})
            Combo->Items().Add(text);
        // More items than the list shows, so that its bar scrolls it.
        for (int i = 5; i < 20; ++i)
            Combo->Items().Add(L"Item " + std::to_wstring(i));
        Combo->SetItemIndex(0);
    }

    // Below the combo box, where nothing else of the skinned layout lies.
    void BuildPages()
    {
        Pages = Create<TPageControl>(this);
        Pages->SetParent(this);
        Pages->SetBounds(290, 160, 170, 130);
        auto* sheet = Create<TTabSheet>(this);
        sheet->SetCaption(L"Page");
        sheet->SetPageControl(Pages);
        Check = Create<TCheckBox>(this);
        Check->SetParent(sheet);
        Check->SetBounds(10, 12, 120, 20);
        Check->SetCaption(L"Check");
        Radio = Create<TRadioButton>(this);
        Radio->SetParent(sheet);
        Radio->SetBounds(10, 44, 120, 20);
        Radio->SetCaption(L"Radio");
        // Off the page, whose free lower part the late-provider script reads.
        Push = Create<TButton>(this);
        Push->SetParent(this);
        Push->SetBounds(10, 256, 80, 26);
        Push->SetCaption(L"Push");
        Bit = Create<TBitBtn>(this);
        Bit->SetParent(this);
        Bit->SetBounds(100, 256, 80, 26);
        Bit->SetCaption(L"Bit");
    }

    void BuildBars()
    {
        Bar = Create<TProbeToolBar>(this);
        Bar->SetParent(this);
        Bar->SetShowCaptions(true);
        Bar->SetList(true);
        Bar->SetButtonSize(70, 24);
        Bar->AddButton(tbsButton, L"Plain");
        Bar->AddButton(tbsCheck, L"Check");
        Bar->AddButton(tbsDropDown, L"Drop");
        Bar->DropMenu = Create<TPopupMenu>(this);
        for (const wchar_t* text : {L"Drop 1", L"Drop 2"})
            Bar->DropMenu->Items()->Add(Item(Bar->DropMenu, text));
        Status = Create<TStatusBar>(this);
        Status->SetParent(this);
        Status->SetAlign(alBottom);
        Status->AddPanel(L"Panel one", 120);
        Status->AddPanel(L"Panel two", 200);
        PlainMemo = Create<TMemo>(this);
        PlainMemo->SetParent(this);
        PlainMemo->SetBounds(10, 40, 190, 300);
        PlainMemo->SetWordWrap(false);
        PlainMemo->SetScrollBars(ssBoth);
        std::vector<std::wstring> lines;
        for (int i = 1; i <= 100; ++i)
            lines.push_back(L"Text " + std::to_wstring(i) + L" " + std::wstring(60, L'w'));
        PlainMemo->SetLinesList(lines);
        List = Create<TListView>(this);
        List->SetParent(this);
        List->SetBounds(210, 40, 200, 300);
        List->SetViewStyle(vsReport);
        List->AddColumn(L"Name", 120);
        List->AddColumn(L"More", 200);
        for (int i = 1; i <= 100; ++i)
            List->AddItem(L"Row " + std::to_wstring(i));
        Tree = Create<TTreeView>(this);
        Tree->SetParent(this);
        Tree->SetBounds(420, 40, 190, 300);
        for (int i = 1; i <= 30; ++i) {
            HTREEITEM node = Tree->AddItem(TVI_ROOT, L"Node " + std::to_wstring(i));
            Tree->AddItem(node, L"Leaf " + std::to_wstring(i));
            Tree->Expand(node);
        }
    }

    void Dump()
    {
        Report("dump");
        RECT r{};
        GetWindowRect(Handle(), &r);
        Report("form %ld %ld %ld %ld", r.left, r.top, r.right, r.bottom);
        ReportClient("form", Handle());
        Report("state %s", StateName());
        if (Memo) {
            ReportRect("memo", Memo->Handle());
            ReportClient("memo", Memo->Handle());
            Report("memo first %ld", static_cast<long>(SendMessageW(Memo->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0)));
            Report("memo hpos %d", GetScrollPos(Memo->Handle(), SB_HORZ));
            ReportRect("spin", Spin->Handle());
            Report("spin %d", ProbeSpinValue(Spin));
            for (TControl* b : Speed) {
                POINT p[2]{{b->Left(), b->Top()}, {b->Left() + b->Width(), b->Top() + b->Height()}};
                MapWindowPoints(Handle(), nullptr, p, 2);
                // A mirrored form maps its client's left edge to the right on the screen.
                Report("ctl %s %ld %ld %ld %ld", b->Name().c_str(), std::min(p[0].x, p[1].x), p[0].y,
                       std::max(p[0].x, p[1].x), p[1].y);
            }
            ReportRect("combo", Combo->Handle());
            Report("combo %d", Combo->ItemIndex());
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            if (GetComboBoxInfo(Combo->Handle(), &info) && IsWindowVisible(info.hwndList)) {
                ReportRect("combolist", info.hwndList);
                ReportClient("combolist", info.hwndList);
                Report("combo top %ld", static_cast<long>(SendMessageW(info.hwndList, LB_GETTOPINDEX, 0, 0)));
                Report("combo itemheight %ld", static_cast<long>(SendMessageW(Combo->Handle(), CB_GETITEMHEIGHT, 0, 0)));
            }
        }
        if (Bar) {
            ReportRect("toolbar", Bar->Handle());
            for (int i = 0; i < Bar->ButtonCount(); ++i) {
                RECT b{};
                SendMessageW(Bar->Handle(), TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&b));
                MapWindowPoints(Bar->Handle(), nullptr, reinterpret_cast<POINT*>(&b), 2);
                // Mirrored windows map their rectangles with left and right swapped.
                Report("ctl %s %ld %ld %ld %ld", Narrow(Bar->Buttons(i)->Caption()).c_str(), std::min(b.left, b.right),
                       b.top, std::max(b.left, b.right), b.bottom);
            }
            ReportRect("status", Status->Handle());
            ReportRect("plainmemo", PlainMemo->Handle());
            ReportClient("plainmemo", PlainMemo->Handle());
            Report("plainmemo first %ld", static_cast<long>(SendMessageW(PlainMemo->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0)));
            Report("plainmemo hpos %d", GetScrollPos(PlainMemo->Handle(), SB_HORZ));
            ReportRect("list", List->Handle());
            ReportClient("list", List->Handle());
            ReportRect("listheader", ListView_GetHeader(List->Handle()));
            Report("list hpos %d", GetScrollPos(List->Handle(), SB_HORZ));
            ReportRect("tree", Tree->Handle());
            ReportClient("tree", Tree->Handle());
        }
        if (Child) {
            ReportRect("child", Child->Handle());
            Report("child state %s", StateOf(Child->Handle()));
        }
        if (Pages) {
            ReportRect("pages", Pages->Handle());
            ReportRect("page", Pages->Pages(0)->Handle());
            ReportRect("check", Check->Handle());
            ReportRect("radio", Radio->Handle());
            ReportRect("push", Push->Handle());
            ReportRect("bit", Bit->Handle());
        }
        Report("end");
    }

    void TitleButtonUp(TObject* sender, TMouseButton, TShiftState, int, int)
    {
        Report("click %s", static_cast<TsTitleButton*>(sender)->Name().c_str());
    }
    void SpeedClick(TObject* sender) { Report("click %s", static_cast<TComponent*>(sender)->Name().c_str()); }
    void SpinChange(TObject*) { Report("spin %d", ProbeSpinValue(Spin)); }
    void MenuClick(TObject* sender)
    {
        auto* item = static_cast<TMenuItem*>(sender);
        Report("menu %s", Narrow(item->Caption()).c_str());
    }
};

const ks::ClassInfo TProbeForm::StaticClassInfo{"TProbeForm", &TForm::StaticClassInfo, {}, {}};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring report;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a.rfind(L"--report=", 0) == 0)
            report = a.substr(9);
        gOptions.ext |= a == L"--ext";
        gOptions.bars |= a == L"--bars";
        gOptions.rtl |= a == L"--rtl";
        gOptions.late |= a == L"--late";
        gOptions.pages |= a == L"--pages";
        gOptions.mdi |= a == L"--mdi";
    }
    LocalFree(argv);
    gReport = report.empty() ? nullptr : _wfopen(report.c_str(), L"ab");
    if (!gReport)
        return 2;

    InitializeUnits();
    Application->Initialize();
    Application->SetTitle(L"Probe");
    auto* manager = Create<TsSkinManager>(nullptr);
    // Forms get no provider of the manager's making: the probe makes its own, when it is told to.
    manager->SetSkinningRules(TacSkinningRules{srStdDialogs, srThirdParty});
    manager->SetExtendedBorders(gOptions.ext);
    // The platform's controls are skinned when the manager lists their classes.
    ThirdPartyList& third = *manager->ThirdParty();
    third.SetTextOf(tkComboBox, "TComboBox");
    if (gOptions.bars) {
        third.SetTextOf(0, "TMemo");
        third.SetTextOf(7, "TListView");
        third.SetTextOf(9, "TTreeView");
        third.SetTextOf(15, "TToolBar");
        third.SetTextOf(16, "TStatusBar");
    }
    if (gOptions.pages) {
        third.SetTextOf(3, "TCheckBox\nTRadioButton");
        third.SetTextOf(13, "TPageControl");
        third.SetTextOf(1, "TButton");
        third.SetTextOf(2, "TBitBtn");
    }
    CopyForeignClassLists(third, manager->ThirdLists, false);
    const std::string build = KS_BUILD_DIR;
    manager->SetSkinDirectory(L"Z:" + std::wstring(build.begin(), build.end()) + L"/skins");
    manager->SetSkinName(L"Terminal4bit");
    Report("skin %d", manager->SkinData.SkinActive ? 1 : 0);

    TProbeForm* form = nullptr;
    // The class library makes MDI children only for the application's main form.
    if (gOptions.mdi)
        Application->CreateForm(form);
    else
        form = CreateNew<TProbeForm>(Application);
    form->Build();
    form->Show();
    if (gOptions.mdi)
        form->AddMDIChild();
    // The platform's controls had no windows when the provider was set up, and are adapted only
    // when asked, as by a form that adds controls.
    if ((gOptions.bars || gOptions.pages) && !gOptions.late)
        SendMessageW(form->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_ADAPT_CHILD), 0);
    if (gOptions.late) {
        // The form is on the screen as the system draws it, frame, client, controls and the
        // page's boxes, before the provider comes: nothing left to paint would hide a provider
        // that does not take the form over.
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        PostMessageW(form->Handle(), ProbeLateProvider, 0, 0);
    }
    Report("shown");
    while (!Application->Terminated())
        Application->HandleMessage();
    DoneApplication();
    manager->Free();
    FinalizeUnits();
    std::fclose(gReport);
    return 0;
}
