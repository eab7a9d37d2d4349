// Dialogs made from templates in memory, caught by the creation hook as they are created: which
// child gets which adapter, which dialogs stay the platform's, the frame's measures for each kind
// of frame, and dialogs that go away or make windows while they are being taken over.
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/adapters/PopupMenuAdapter.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "win/skin/forms/DialogSkinFixture.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace ks::test;

namespace {

// Dialogs that keep their own region answer the frame's question with its own value.
INT_PTR CALLBACK PlainProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == 0xBC4D && wParam == 0x41A2 && GetPropW(wnd, L"KsOwnRegion")) {
        SetWindowLongPtrW(wnd, DWLP_MSGRESULT, 0x41A2);
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

// Makes and destroys windows while the hook is taking the dialog over, then goes itself.
INT_PTR CALLBACK SelfDestroyingProc(HWND wnd, UINT msg, WPARAM, LPARAM)
{
    if (msg != WM_INITDIALOG)
        return FALSE;
    HWND child = CreateWindowExW(0, L"Button", L"x", WS_CHILD | WS_VISIBLE, 0, 0, 9, 9, wnd, nullptr, nullptr, nullptr);
    HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW, L"Static", L"x", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(child);
    DestroyWindow(popup);
    DestroyWindow(wnd);
    return TRUE;
}

class DialsTest : public DialogFixture {
protected:
    void TearDown() override
    {
        for (HWND wnd : FDialogs)
            if (IsWindow(wnd))
                DestroyWindow(wnd);
        DialogFixture::TearDown();
    }
    HWND Make(DialogTemplate& t, DLGPROC proc = &PlainProc)
    {
        HWND wnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr, proc, 0);
        FDialogs.push_back(wnd);
        return wnd;
    }
public:
    static const char* AdapterNameOf(HWND wnd) { return AdapterName(wnd); }

protected:
    static const char* AdapterName(HWND wnd)
    {
        TacMainWnd* a = GetScrollHandler(wnd);
        return a ? a->ClassName() : "none";
    }
    std::vector<HWND> FDialogs;
};

constexpr DWORD BoxStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;

// A window of another thread is not asked anything: the question would have to wait on that
// thread, which may be waiting on this one.
std::atomic<int> gForeignQuestions{0};
LRESULT CALLBACK ForeignProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SM_SKINCMD)
        ++gForeignQuestions;
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

// A worker thread that makes a window of the class (a top-level one, or a child of parent) and
// serves it until it is told to quit. This thread keeps answering what the worker sends it
// (a new child tells its parent) while it waits on the worker.
struct ForeignWindow {
    std::atomic<HWND> Wnd{nullptr};
    std::atomic<DWORD> Thread{0};
    std::atomic<bool> Done{false};
    std::thread Worker;
    ForeignWindow(const wchar_t* cls, HWND parent)
        : Worker([this, cls, parent] {
              Thread = GetCurrentThreadId();
              Wnd = CreateWindowExW(WS_EX_NOPARENTNOTIFY, cls, L"", parent ? WS_CHILD : WS_POPUP, 0, 0, 9, 9, parent,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
              MSG m;
              while (GetMessageW(&m, nullptr, 0, 0) > 0)
                  DispatchMessageW(&m);
              DestroyWindow(Wnd);
              Done = true;
          })
    {
        WaitFor([this] { return Wnd != nullptr; });
    }
    ~ForeignWindow()
    {
        PostThreadMessageW(Thread, WM_QUIT, 0, 0);
        WaitFor([this] { return Done.load(); });
        Worker.join();
    }
    template <class Ready>
    static void WaitFor(Ready ready)
    {
        for (MSG m; !ready(); Sleep(1))
            PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
    }
};

TEST_F(DialsTest, AWindowOfAnotherThreadIsNeitherAskedNorTaken)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ForeignProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KsForeignThreadWindow";
    RegisterClassW(&wc);
    {
        SCOPED_TRACE("a top-level window");
        ForeignWindow foreign(wc.lpszClassName, nullptr);
        gForeignQuestions = 0;
        EXPECT_FALSE(AttachFormProvider(foreign.Wnd));
        EXPECT_EQ(gForeignQuestions, 0);
    }
    {
        // A worker's button inside a skinned dialog, met by the walk that adapts later children.
        SCOPED_TRACE("a child of a skinned dialog");
        DialogTemplate t(BoxStyle, L"Host");
        HWND dialog = Make(t);
        ASSERT_NE(DialogAdapter(dialog), nullptr);
        ForeignWindow button(L"Button", dialog);
        ForeignWindow other(wc.lpszClassName, dialog);
        gForeignQuestions = 0;
        AdaptChildWindows(FindProviderByWnd(dialog), dialog);
        SendMessageW(dialog, SM_SKINCMD, MAKEWPARAM(0, SKC_NEW_SKIN), reinterpret_cast<LPARAM>(Manager));
        EXPECT_STREQ(AdapterName(button.Wnd), "none");
        EXPECT_EQ(gForeignQuestions, 0) << "the new skin is not told to the worker's windows";
    }
}

TEST_F(DialsTest, EachChildGetsTheAdapterOfItsClassAndStyle)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    DialogTemplate t(BoxStyle, L"Table");
    struct Case {
        const wchar_t* cls;
        DWORD style;
        const char* adapter;
        const char* section;
    };
    const Case cases[] = {
        {L"Static", SS_LEFT | WS_VISIBLE, "TacStaticWnd", "CHECKBOX"},
        {L"Static", SS_ICON | WS_VISIBLE, "TacIconWnd", "CHECKBOX"},
        {L"Static", SS_GRAYRECT | WS_VISIBLE, "none", ""},
        {L"Static", SS_OWNERDRAW | WS_VISIBLE, "none", ""},
        {L"Button", BS_PUSHBUTTON | WS_VISIBLE, "TacBtnWnd", "BUTTON"},
        {L"Button", BS_DEFPUSHBUTTON | WS_VISIBLE, "TacBtnWnd", "BUTTON"},
        {L"Button", BS_AUTOCHECKBOX | WS_VISIBLE, "TacCheckBoxWnd", "CHECKBOX"},
        {L"Button", BS_AUTORADIOBUTTON | WS_VISIBLE, "TacCheckBoxWnd", "CHECKBOX"},
        {L"Button", BS_GROUPBOX | WS_VISIBLE, "TacGroupBoxWnd", "GROUPBOX"},
        {L"ListBox", WS_VISIBLE, "TacEditWnd", "EDIT"},
        {L"Edit", 0, "none", ""},
        {L"ScrollBar", WS_VISIBLE, "TacSizerWnd", "CHECKBOX"},
        {L"SysListView32", WS_VISIBLE, "TacListViewWnd", "EDIT"},
        {L"SysTreeView32", WS_VISIBLE, "TacTreeViewWnd", "EDIT"},
        {L"SysTabControl32", WS_VISIBLE, "TacTabControlWnd", "PAGECONTROL"},
        {L"SysTabControl32", TCS_OWNERDRAWFIXED | WS_VISIBLE, "none", ""},
    };
    int id = 100;
    for (const Case& c : cases)
        t.Item(c.cls, c.style, id++);
    HWND dialog = Make(t);
    ASSERT_NE(dialog, nullptr);
    TacDialogWnd* d = DialogAdapter(dialog);
    ASSERT_NE(d, nullptr);
    id = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << id << " " << c.adapter);
        HWND child = GetDlgItem(dialog, id++);
        ASSERT_NE(child, nullptr);
        EXPECT_STREQ(AdapterName(child), c.adapter);
        if (TacMainWnd* a = GetScrollHandler(child)) {
            EXPECT_EQ(a->SkinData->SkinSection(), c.section);
            EXPECT_TRUE(a->DlgMode);
        }
    }
    EXPECT_FALSE(d->NoClientPaint) << "a hidden edit still clears the client-paint suppression";
}

TEST_F(DialsTest, ComboBoxesAndUpDownControlsGetTheirAdapters)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    DialogTemplate t(BoxStyle, L"Combos");
    t.Item(L"ComboBox", CBS_DROPDOWNLIST | WS_VISIBLE, 200);
    t.Item(L"msctls_updown32", WS_VISIBLE, 201, L"", 60);
    HWND dialog = Make(t);
    TacDialogWnd* d = DialogAdapter(dialog);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(AdapterName(GetDlgItem(dialog, 200)), "TacComboBoxWnd");
    EXPECT_STREQ(AdapterName(GetDlgItem(dialog, 201)), "TacSpinWnd");
    // The test skin has no "SPEEDBUTTON_SMALL": the spin's halves fall back to the buttons'.
    if (TacMainWnd* spin = GetScrollHandler(GetDlgItem(dialog, 201))) {
        EXPECT_EQ(spin->SkinData->SkinSection(), "BUTTON");
    }
    EXPECT_FALSE(d->NoClientPaint) << "a combo box clears the client-paint suppression";
}

TEST_F(DialsTest, DialogsTheRulesAndTheOneAtATimeRuleLeavePlain)
{
    DialogTemplate first(BoxStyle, L"First");
    HWND a = Make(first);
    ASSERT_NE(DialogAdapter(a), nullptr);
    DialogTemplate second(BoxStyle, L"Second");
    HWND b = Make(second);
    EXPECT_EQ(DialogAdapter(b), nullptr) << "a second plain dialog while one shows";
    DialogTemplate withBar(BoxStyle, L"Bar");
    withBar.Item(L"ToolbarWindow32", WS_VISIBLE, 1);
    EXPECT_NE(DialogAdapter(Make(withBar)), nullptr) << "unless it holds a toolbar";
    DestroyWindow(a);

    Manager->SetSkinningRules({srStdForms, srThirdParty});
    DialogTemplate ruled(BoxStyle, L"Ruled");
    EXPECT_EQ(DialogAdapter(Make(ruled)), nullptr);
}

TEST_F(DialsTest, TheFrameKindDecidesTitleAndButtons)
{
    struct Case {
        const char* name;
        DWORD style;
        int borderKind;
        bool caption;
        int buttonsWidth;
        int helpWidth;
    };
    const Case cases[] = {
        {"modal frame", BoxStyle, 0, true, CloseSize, 21},
        {"sizeable", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE, 3, true, CloseSize, 21},
        {"caption without system menu", WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME, 0, true, 0, 21},
        {"popup without caption", WS_POPUP | WS_BORDER | WS_VISIBLE, 2, false, 0, 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogTemplate t(c.style, L"Frame");
        HWND dialog = Make(t);
        TacDialogWnd* d = DialogAdapter(dialog);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->BorderKind, c.borderKind);
        EXPECT_EQ(d->CaptionHeight(true) > 0, c.caption);
        EXPECT_EQ(d->TitleButtonsWidth(), c.buttonsWidth);
        EXPECT_EQ(d->ButtonWidth(d->BtnHelp), c.helpWidth) << "a missing image still takes 21 pixels";
        EXPECT_EQ(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_SYSMENU, 0);
        if (!c.caption) {
            // Without a title row every point gets the platform's answer.
            EXPECT_EQ(SendMessageW(dialog, WM_NCHITTEST, 0, ScreenPoint(dialog, 20, 2)),
                      DefWindowProcW(dialog, WM_NCHITTEST, 0, ScreenPoint(dialog, 20, 2)));
        }
        DestroyWindow(dialog);
    }
}

TEST_F(DialsTest, ADialogThatKeepsItsRegionGetsNone)
{
    DialogTemplate t(BoxStyle & ~WS_VISIBLE, L"Own region");
    HWND dialog = Make(t);
    ASSERT_NE(DialogAdapter(dialog), nullptr);
    SetPropW(dialog, L"KsOwnRegion", reinterpret_cast<HANDLE>(1));
    ShowWindow(dialog, SW_SHOWNOACTIVATE);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(dialog, region), ERROR);
    DeleteObject(region);
    RemovePropW(dialog, L"KsOwnRegion");
}

TEST_F(DialsTest, TheDialogBrushIsTheSkinsColourAndKeptForTheNextPaint)
{
    DialogTemplate t(BoxStyle, L"Brush");
    HWND dialog = Make(t);
    ASSERT_NE(DialogAdapter(dialog), nullptr);
    HDC dc = GetDC(dialog);
    const auto first = reinterpret_cast<HBRUSH>(SendMessageW(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(dialog)));
    const auto second = reinterpret_cast<HBRUSH>(SendMessageW(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                                              reinterpret_cast<LPARAM>(dialog)));
    ReleaseDC(dialog, dc);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second) << "no new brush per paint";
    LOGBRUSH lb{};
    GetObjectW(first, sizeof(lb), &lb);
    EXPECT_EQ(lb.lbColor, ColorToRGB(Manager->GlobalSectionColor()));
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class DialsLifetimeTest : public DialsTest {};

TEST_F(DialsLifetimeTest, ADialogGoingAwayWhileTakenOverLeavesNothing)
{
    DialogTemplate t(BoxStyle, L"Gone");
    t.Item(L"Button", BS_PUSHBUTTON | WS_VISIBLE, IDOK);
    EXPECT_FALSE(IsWindow(Make(t, &SelfDestroyingProc)));
    DestroyOneWindow();
    ASSERT_TRUE(HookedWindows);
    EXPECT_TRUE(HookedWindows->empty());
    // The hook still works for the next one.
    DialogTemplate next(BoxStyle, L"Next");
    EXPECT_NE(DialogAdapter(Make(next)), nullptr);
}

} // namespace

namespace {

bool gMenuAdapted = false;

void CALLBACK LookAtMenu(HWND owner, UINT, UINT_PTR id, DWORD)
{
    KillTimer(owner, id);
    HWND menu = FindWindowW(L"#32768", nullptr);
    gMenuAdapted = menu && std::string_view(DialsTest::AdapterNameOf(menu)) == "TacMnuWnd";
    EndMenu();
}

bool MenuWindowAdapted(HWND owner)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"&Копировать");
    gMenuAdapted = false;
    SetForegroundWindow(owner);
    SetTimer(owner, 78, 100, &LookAtMenu);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RETURNCMD, 120, 120, 0, owner, nullptr);
    DestroyMenu(menu);
    return gMenuAdapted;
}

bool CompositionOn() { return true; }

TEST_F(DialsTest, PopupMenuWindowsAreAdaptedOnlyWithoutCompositionAndWithSkinnedPopups)
{
    HWND owner = CreateWindowExW(0, L"Static", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    struct Case {
        const char* name;
        bool composition;
        bool skinnedPopups;
        bool adapted;
    };
    for (const Case& c : {Case{"plain", false, true, true}, Case{"composition", true, true, false},
                          Case{"popups unskinned", false, false, false}}) {
        SCOPED_TRACE(c.name);
        ks::Sys().CompositionEnabled = c.composition ? &CompositionOn : nullptr;
        Manager->SetSkinnedPopups(c.skinnedPopups);
        EXPECT_EQ(MenuWindowAdapted(owner), c.adapted);
        Pump();
        EXPECT_TRUE(MenuWindows.empty()) << "the window's adapter went with it";
    }
    ks::ResetSys();
    DestroyWindow(owner);
}

} // namespace

namespace {

int CountOwned(TComponent* form, bool hookRecords)
{
    int count = 0;
    for (int i = 0; i < form->ComponentCount(); ++i)
        count += hookRecords ? dynamic_cast<TacProvider*>(form->Components(i)) != nullptr
                             : dynamic_cast<TsSkinProvider*>(form->Components(i)) != nullptr;
    return count;
}

TEST_F(DialsTest, AFormIsGivenOneProviderAndNoneWhenItHasItsOwn)
{
    ks::SetNextFormCreation({true, false, {}});
    TForm* own = CreateNew<TForm>(Application);
    Create<TsSkinProvider>(own);
    ks::SetNextFormCreation({true, false, {}});
    TForm* plain = CreateNew<TForm>(Application);
    for (TForm* f : {own, plain}) {
        f->SetBounds(40, 40, 200, 120);
        f->Show();
        SetActiveWindow(f->Handle());
        f->Hide();
        f->Show();
        SetActiveWindow(f->Handle());
    }
    EXPECT_EQ(CountOwned(own, true), 0) << "a form with its own provider";
    EXPECT_EQ(CountOwned(own, false), 1);
    EXPECT_EQ(CountOwned(plain, true), 1) << "caught once, however often activated";
    EXPECT_EQ(CountOwned(plain, false), 1);
    own->Free();
    plain->Free();
}

} // namespace
