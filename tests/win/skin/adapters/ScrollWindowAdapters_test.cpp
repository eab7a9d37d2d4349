#include "skin/adapters/ScrollWindowAdapters.h"

#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sStyleSimply.h"
#include "vcl/StdCtrls.h"
#include "win/skin/adapters/AdapterSkinFixture.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

namespace {

using namespace ks::test;

constexpr TColor OwnContentColour = 0x0030A050;

// A class-library control that paints its own content, as controls of their own classes do.
class TSelfPainting : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void Paint() override { FillRectSolid(Canvas().Handle(), {0, 0, Width(), Height()}, OwnContentColour); }
};

// A foreign window that paints its content only on WM_PAINT, into the DC that brings one.
LRESULT CALLBACK PaintOnlyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_PAINT)
        return DefWindowProcW(wnd, msg, wParam, lParam);
    PAINTSTRUCT ps{};
    HDC dc = wParam ? reinterpret_cast<HDC>(wParam) : BeginPaint(wnd, &ps);
    RECT r{};
    GetClientRect(wnd, &r);
    FillRectSolid(dc, {0, 0, r.right, r.bottom}, OwnContentColour);
    if (!wParam)
        EndPaint(wnd, &ps);
    return 0;
}

class EditAdapterTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        Memo = Create<TMemo>(Form);
        Memo->SetBounds(10, 10, 150, 70);
        Memo->SetScrollBars(ssVertical);
        Memo->SetParent(Form);
        Memo->SetColor(0x123456);
        Memo->Font()->SetColor(0x654321);
        Pump();
        Data = std::make_unique<TsCommonData>(Memo, false);
    }
    void TearDown() override
    {
        PaintLock = false;
        if (Adapter)
            Adapter->Free();
        Adapter = nullptr;
        Data.reset();
        SkinnedFormFixture::TearDown();
    }
    void Attach(const char* section = "")
    {
        Adapter = TacMainWnd::Create<TacEditWnd>(Memo->Handle(), Data.get(), nullptr, section, true);
        Pump();
    }

    TMemo* Memo = nullptr;
    std::unique_ptr<TsCommonData> Data;
    TacMainWnd* Adapter = nullptr;
};

TEST_F(EditAdapterTest, AnAdapterForNoWindowHooksNothing)
{
    TacMainWnd* empty = TacMainWnd::Create<TacEditWnd>(nullptr, nullptr, nullptr, "", false);
    EXPECT_FALSE(empty->Hooked());
    EXPECT_EQ(empty->SkinData->SkinSection(), "EDIT");
    empty->Free();
}

TEST_F(EditAdapterTest, AnEmptySectionBecomesEditAndTheColoursFollowTheSkinUntilGivenBack)
{
    Attach();
    EXPECT_EQ(Data->SkinSection(), "EDIT");
    const TsGeneralData* section = Data->Section();
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(ColorToRGB(Memo->Color()), ColorToRGB(Data->QueryBackgroundColor(false, Memo->Handle())));
    EXPECT_EQ(Memo->Font()->Color(), section->HotFontColor[0]);
    EXPECT_EQ(WindowPixel(Memo->Handle(), 0, 0), SkinGreen) << "the frame is the section's";

    Adapter->Free();
    Adapter = nullptr;
    EXPECT_EQ(Memo->Color(), 0x123456);
    EXPECT_EQ(Memo->Font()->Color(), 0x654321);
}

TEST_F(EditAdapterTest, ACustomColouredControlKeepsItsColourButNotItsFontColour)
{
    Data->SetCustomColor(true);
    Attach();
    EXPECT_EQ(Memo->Color(), 0x123456);
    EXPECT_EQ(Memo->Font()->Color(), Data->Section()->HotFontColor[0]);
}

TEST_F(EditAdapterTest, AControlFocusedBeforeItIsTakenOverShowsItsFrameFocused)
{
    Attach();
    Memo->SetFocus();
    Pump();
    const TColor focused = WindowPixel(Memo->Handle(), 0, 0);
    SetFocus(Form->Handle());
    Pump();
    ASSERT_NE(WindowPixel(Memo->Handle(), 0, 0), focused) << "the skin shows the focus in the frame";
    Adapter->Free();
    Adapter = nullptr;
    Data = std::make_unique<TsCommonData>(Memo, false);

    Memo->SetFocus();
    Pump();
    Attach();
    EXPECT_EQ(WindowPixel(Memo->Handle(), 0, 0), focused);
}

TEST_F(EditAdapterTest, WhilePaintingIsLockedTheFrameIsLeftAndPaintingOnlyValidates)
{
    Attach();
    const TColor frame = WindowPixel(Memo->Handle(), 0, 0);
    PaintLock = true;
    // Something else drawn where the frame is: a locked frame paint leaves it.
    HDC dc = GetWindowDC(Memo->Handle());
    SetPixel(dc, 0, 0, RGB(1, 2, 3));
    ReleaseDC(Memo->Handle(), dc);
    SendMessageW(Memo->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(WindowPixel(Memo->Handle(), 0, 0), static_cast<TColor>(RGB(1, 2, 3)));
    InvalidateRect(Memo->Handle(), nullptr, TRUE);
    SendMessageW(Memo->Handle(), WM_PAINT, 0, 0);
    EXPECT_FALSE(GetUpdateRect(Memo->Handle(), nullptr, FALSE)) << "validated";
    PaintLock = false;
    SendMessageW(Memo->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(WindowPixel(Memo->Handle(), 0, 0), frame);
}

TEST_F(EditAdapterTest, PrintingDrawsTheSkinnedFrameAndBarIntoTheGivenContext)
{
    Memo->SetText(L"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11");
    Attach();
    RECT w{};
    GetWindowRect(Memo->Handle(), &w);
    const int width = w.right - w.left, height = w.bottom - w.top;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SendMessageW(Memo->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
    for (int y = 0; y < height; y += 5) {
        for (int x = 0; x < width; x += 5)
            EXPECT_NE(GetPixel(dc, x, y), RGB(255, 255, 255)) << x << "," << y << ": every pixel printed";
    }
    EXPECT_EQ(static_cast<TColor>(GetPixel(dc, 0, 0)), WindowPixel(Memo->Handle(), 0, 0));
    EXPECT_EQ(static_cast<TColor>(GetPixel(dc, width - 4, height / 2)), WindowPixel(Memo->Handle(), width - 4, height / 2))
        << "the bar as on the screen";
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
}

int gFlatOn = 0, gFlatOff = 0;
BOOL WINAPI FlatOn(HWND)
{
    ++gFlatOn;
    return TRUE;
}
HRESULT WINAPI FlatOff(HWND)
{
    ++gFlatOff;
    return S_OK;
}

TEST_F(EditAdapterTest, AScrollHandlerFollowsTheSkinStateAndTheFlatBarsGoAroundIt)
{
    ks::Sys().InitializeFlatSBPtr = &FlatOn;
    ks::Sys().UninitializeFlatSBPtr = &FlatOff;
    gFlatOn = gFlatOff = 0;
    Data->SetSkinSection("EDIT");
    TacMainWnd* handler = nullptr;
    InitScrollHandler(Data.get(), handler);
    ASSERT_NE(dynamic_cast<TacScrollWnd*>(handler), nullptr);
    EXPECT_EQ(gFlatOff, 1);
    TacMainWnd* same = handler;
    InitScrollHandler(Data.get(), handler);
    EXPECT_EQ(handler, same) << "an attached handler stays";

    Manager->SetActive(false);
    Pump();
    InitScrollHandler(Data.get(), handler);
    EXPECT_EQ(handler, nullptr);
    EXPECT_EQ(gFlatOn, 1);
    EXPECT_EQ(GetScrollHandler(Memo->Handle()), nullptr);
}


// A window printed through the adapter shows its own content inside the skinned frame, whether
// it paints in the class library's way or only on WM_PAINT.
TEST_F(EditAdapterTest, PrintingShowsTheContentOfAWindowThatPaintsItself)
{
    const struct Case {
        const char* name;
        bool library;
    } cases[] = {{"ClassLibraryControl", true}, {"PaintsOnlyOnPaint", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSelfPainting* control = nullptr;
        HWND wnd = nullptr;
        if (c.library) {
            control = Create<TSelfPainting>(Form);
            control->SetBounds(10, 90, 120, 60);
            control->SetParent(Form);
            control->HandleNeeded();
            wnd = control->Handle();
            SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
            SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        } else {
            const wchar_t* cls = RegisterTestClass(L"KsPaintOnlyWindow", PaintOnlyProc);
            wnd = CreateWindowExW(WS_EX_CLIENTEDGE, cls, L"", WS_CHILD | WS_VISIBLE, 10, 90, 120, 60, Form->Handle(),
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        }
        auto data = std::make_unique<TsCommonData>(control, false);
        TacMainWnd* adapter = TacMainWnd::Create<TacEditWnd>(wnd, data.get(), Manager, "", true);
        Pump();
        RECT client{};
        GetClientRect(wnd, &client);
        POINT origin{0, 0};
        ClientToScreen(wnd, &origin);
        RECT w{};
        GetWindowRect(wnd, &w);
        auto printed = PrintedPicture(wnd);
        EXPECT_EQ(PixelAt(*printed, origin.x - w.left + client.right / 2, origin.y - w.top + client.bottom / 2),
                  OwnContentColour);
        adapter->Free();
        if (control)
            control->Free();
        else
            DestroyWindow(wnd);
    }
}

} // namespace
