#pragma once
// A skin of solid colours for the adapter tests, one colour per section, state and image cell,
// so that one pixel tells which look a window shows; and a top-level parent window that answers
// the background question with a colour of its own, as a skinned form would.
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Bitmap.h"
#include "win/skin/core/SkinTestFiles.h"
#include "win/support/Pixels24.h"
#include "win/support/ScreenPictures.h"
#include "win/support/VclFixture.h"
#include "win/support/WindowClasses.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

namespace ks::test {

// The window as WM_PRINT paints it into a fresh picture (white before).
inline std::unique_ptr<TBitmap> PrintedPicture(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    auto picture = std::make_unique<TBitmap>();
    picture->SetPixelFormat(pf24bit);
    picture->SetSize(r.right - r.left, r.bottom - r.top);
    HDC dc = picture->Canvas().Handle();
    RECT all{0, 0, picture->Width(), picture->Height()};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
    GdiFlush();
    return picture;
}

inline TColor PixelAt(TBitmap& b, int x, int y)
{
    return static_cast<TColor>(GetPixel(b.Canvas().Handle(), x, y));
}

// The columns (or rows) of a picture that hold ink, '#', and those that hold only the colour of
// its bottom-right pixel, '.': text laid out alike in any colours gives the same string.
inline std::string InkLines(TBitmap& p, bool columns)
{
    const TColor background = PixelAt(p, p.Width() - 1, p.Height() - 1);
    const int across = columns ? p.Width() : p.Height(), along = columns ? p.Height() : p.Width();
    std::string ink(static_cast<size_t>(across), '.');
    for (int i = 0; i < across; ++i)
        for (int j = 0; j < along; ++j)
            if ((columns ? PixelAt(p, i, j) : PixelAt(p, j, i)) != background)
                ink[static_cast<size_t>(i)] = '#';
    return ink;
}

inline constexpr TColor ParentColour = 0x00604020;
inline constexpr TColor ButtonColour = 0x00203040;
inline constexpr TColor ButtonHotColour = 0x00405060;
inline constexpr TColor BorderCells[3] = {0x000000C0, 0x0000C000, 0x00C00000};
inline constexpr TColor BoxColour = 0x00506070;
inline constexpr TColor BoxHotColour = 0x00708090;
inline constexpr TColor GroupColour = 0x00307030;
inline constexpr TColor PanelColour = 0x00703030;
inline constexpr TColor PanelLowColour = 0x00303070;
inline constexpr TColor LabelColour = 0x00404000;
inline constexpr TColor GripColour = 0x0000C0C0;
// Check glyphs in the order of their rows in the master picture.
inline constexpr const char* GlyphNames[] = {"BOXUNCHECKED", "BOXCHECKED", "BOXGRAYED", "RADIOUNCHECKED",
                                             "RADIOCHECKED"};
inline constexpr int GlyphSize = 13;

constexpr TColor GlyphColour(int glyph, int cell)
{
    return static_cast<TColor>((30 << 16) | ((100 + 50 * cell) << 8) | (40 + 40 * glyph));
}

inline int GlyphRow(std::string_view name)
{
    for (int i = 0; i < 5; ++i)
        if (name == GlyphNames[i])
            return i;
    return -1;
}

// The image value of the glyph of this row of the master picture: its three cells.
inline std::string GlyphValue(int row)
{
    auto field = [](int v) {
        std::string s = std::to_string(v);
        return std::string(4 - s.size(), '0') + s;
    };
    const int top = 12 + row * GlyphSize;
    return "@0000@" + field(top) + "@" + field(3 * GlyphSize) + "@" + field(top + GlyphSize) + "@3@0";
}

inline std::string AdapterSkinOptions()
{
    std::string o = "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\nCOLOR=8421504\r\n";
    for (int g = 0; g < 5; ++g)
        o += std::string(GlyphNames[g]) + "=" + GlyphValue(g) + "\r\n";
    o += "GRIPIMAGE=@0040@0000@0048@0008@1@0\r\n";
    o += "[BUTTON]\r\n" + ColorKeys(ButtonColour, ButtonHotColour) +
         "SHOWFOCUS=TRUE\r\nFONTCOLOR=16777215\r\nHOTFONTCOLOR=65535\r\n"
         "BORDERSMASK=^0000^0000^0036^0012^0003^0003^0003^0003^3^0^0^0\r\n";
    o += "[CHECKBOX]\r\n" + ColorKeys(BoxColour, BoxHotColour) + "FONTCOLOR=16777215\r\n";
    o += "[GROUPBOX]\r\nCOLOR=" + OptionColour(GroupColour) + "\r\nFONTCOLOR=16777215\r\n"
         "BORDERSMASK=^0000^0000^0036^0012^0003^0003^0003^0003^3^0^0^0\r\n";
    o += "[PANEL]\r\nCOLOR=" + OptionColour(PanelColour) + "\r\nFONTCOLOR=16777215\r\n";
    o += "[PANEL_LOW]\r\nCOLOR=" + OptionColour(PanelLowColour) + "\r\n";
    o += "[LABELS]\r\nCOLOR=" + OptionColour(LabelColour) + "\r\nFONTCOLOR=16777215\r\n";
    return o;
}

inline TColor MasterPixel(int x, int y)
{
    if (y < 12 && x < 36)
        return BorderCells[x / 12];
    if (x >= 40 && x < 48 && y < 8)
        return GripColour;
    if (y >= 12 && y < 12 + 5 * GlyphSize && x < 3 * GlyphSize)
        return GlyphColour((y - 12) / GlyphSize, x / GlyphSize);
    return 0x808080;
}

// The colour a disabled look gives: 60 % own, 40 % the background behind.
constexpr TColor DisabledMix(TColor own, TColor behind)
{
    auto channel = [](TColor a, TColor b, int shift) {
        const double v = ((a >> shift) & 0xFF) * 0.6 + ((b >> shift) & 0xFF) * 0.4;
        return static_cast<TColor>(static_cast<int>(v + 0.5)) << shift;
    };
    return channel(own, behind, 0) | channel(own, behind, 8) | channel(own, behind, 16);
}

// What the parent window is asked and sends meanwhile.
struct ParentLog {
    int childPaints = 0;
    // Painted synchronously when a child announces its paint, as a form may repaint another
    // child there.
    HWND paintOnChildPaint = nullptr;
    // The colour the parent answers; the key colour answers none, as a parent painted over
    // its own parent's picture does.
    TColor answer = ParentColour;
};
inline ParentLog gParent;

inline void FillWith(HDC dc, const RECT& r, TColor colour)
{
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(colour));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// A bitmap of one colour, compatible with the screen and selected into no DC; owned by the caller.
inline HBITMAP SolidBitmap(int w, int h, TColor c)
{
    HDC screen = GetDC(nullptr);
    HBITMAP b = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, b);
    FillWith(dc, {0, 0, w, h}, c);
    SelectObject(dc, old);
    DeleteDC(dc);
    return b;
}

// An image list holding one size x size picture of one colour; the caller destroys it.
inline HIMAGELIST SolidImageList(int size, TColor colour)
{
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24, 1, 0);
    HBITMAP picture = SolidBitmap(size, size, colour);
    ImageList_Add(images, picture, nullptr);
    DeleteObject(picture);
    return images;
}

// The parent answers the background question with its colour and paints itself in it.
inline LRESULT CALLBACK AdapterParentProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SM_SKINCMD) {
        TMessage m{msg, wParam, lParam, 0};
        const ks::SkinCommandView view(m);
        switch (view.Command()) {
        case SKC_GET_BG_INFO:
            if (auto* info = view.Pointer<BackgroundInfo>()) {
                info->BackgroundKind = BgKindColor;
                info->Color = gParent.answer;
                if (info->PaintRequested && info->TargetDC)
                    FillWith(info->TargetDC, {info->R.Left, info->R.Top, info->R.Right, info->R.Bottom}, ParentColour);
            }
            return 1;
        case SKC_GET_BG_COLOR: return ParentColour;
        case SKC_CHILD_PAINT:
            ++gParent.childPaints;
            if (HWND other = std::exchange(gParent.paintOnChildPaint, nullptr))
                SendMessageW(other, WM_PAINT, 0, 0);
            return 0;
        default: return 0;
        }
    }
    if (msg == WM_ERASEBKGND) {
        RECT r{};
        GetClientRect(wnd, &r);
        FillWith(reinterpret_cast<HDC>(wParam), r, ParentColour);
        return 1;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

inline const wchar_t* AdapterParentClass()
{
    static const wchar_t* name =
        RegisterTestClass(L"KsAdapterParent", AdapterParentProc, LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

class AdapterFixture : public VclFixture {
protected:
    void SetUp() override { SetUpUnder(L"Adapters", AdapterSkinOptions(), MasterPixel); }
    // The fixture under the skin `name` of these options and a 96 x 96 master picture.
    void SetUpUnder(const std::wstring& name, const std::string& options, TColor (*master)(int, int))
    {
        VclFixture::SetUp();
        gParent = ParentLog{};
        Manager = NewSkinManager(Dir, name, SkinArchive(options, Bmp24(96, 96, master)));
        ASSERT_TRUE(Manager->SkinData.SkinActive);
        Parent = CreateWindowExW(0, AdapterParentClass(), L"parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, 420, 320,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(Parent, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(Parent);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    HWND Child(const wchar_t* cls, DWORD style, const wchar_t* text, TRect r, DWORD exStyle = 0)
    {
        return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, r.Left, r.Top, r.Width(), r.Height(),
                               Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    }

    static std::unique_ptr<TBitmap> Print(HWND wnd) { return PrintedPicture(wnd); }
    static TColor At(TBitmap& b, int x, int y) { return PixelAt(b, x, y); }
    // What the screen shows at (x, y) of the window.
    static TColor OnScreen(HWND wnd, int x, int y) { return ScreenPixel(wnd, x, y); }
    static bool SamePicture(TBitmap& a, TBitmap& b)
    {
        if (a.Width() != b.Width() || a.Height() != b.Height())
            return false;
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (At(a, x, y) != At(b, x, y))
                    return false;
        return true;
    }

    TempFolder Dir;
    TsSkinManager* Manager = nullptr;
    HWND Parent = nullptr;
};

} // namespace ks::test
