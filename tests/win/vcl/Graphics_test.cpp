#include "vcl/Graphics.h"

#include "vcl/Bitmap.h"
#include "vcl/Icon.h"
#include "vcl/Jpeg.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using GraphicsTest = VclFixture;

// A 24-bit DIB selected into a memory DC of its own, outside the class library.
struct RawSurface {
    HDC dc = CreateCompatibleDC(nullptr);
    uint8_t* bits = nullptr;
    HBITMAP dib;
    HGDIOBJ old;
    int width;

    explicit RawSurface(int w, int h) : width(w)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* p = nullptr;
        dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint8_t*>(p);
        old = SelectObject(dc, dib);
    }
    ~RawSurface()
    {
        SelectObject(dc, old);
        DeleteObject(dib);
        DeleteDC(dc);
    }
    // As a TColor: red in the low byte.
    TColor At(int x, int y) const
    {
        GdiFlush();
        const uint8_t* p = bits + static_cast<size_t>(y) * ((width * 3 + 3) & ~3) + 3 * x;
        return p[2] | p[1] << 8 | p[0] << 16;
    }
};

TEST(ColorToRGB, ResolvesSystemColoursOnly)
{
    struct Case { const char* name; TColor color; TColor expected; } cases[] = {
        {"BtnFace", clBtnFace, static_cast<TColor>(GetSysColor(COLOR_BTNFACE))},
        {"InfoBk", clInfoBk, static_cast<TColor>(GetSysColor(COLOR_INFOBK))},
        {"Plain", 0x123456, 0x123456},
        {"None", clNone, clNone},
        {"Default", clDefault, clDefault},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ColorToRGB(c.color), c.expected);
    }
}

TEST(ColorIdents, NamesRoundTripThroughTheStreamingRegistry)
{
    ks::RegisterColorIdents();
    ks::TIdentToInt toInt = ks::FindIdentToInt("TColor");
    ks::TIntToIdent toIdent = ks::FindIntToIdent("TColor");
    ASSERT_TRUE(toInt && toIdent);
    int32_t v = 0;
    EXPECT_TRUE(toInt("CLBTNFACE", v));
    EXPECT_EQ(v, clBtnFace);
    EXPECT_TRUE(toInt("clFuchsia", v));
    EXPECT_EQ(v, 0xFF00FF);
    EXPECT_FALSE(toInt("clPink", v));
    std::string name;
    EXPECT_TRUE(toIdent(32768, name));
    EXPECT_EQ(name, "clGreen");
    EXPECT_FALSE(toIdent(0x123456, name));
}

// Each drawing call selects the canvas's own objects again, whatever a caller selected raw.
TEST_F(GraphicsTest, CanvasPaintsWithResolvedColoursAndItsOwnObjects)
{
    RawSurface s(8, 8);
    TCanvas c;
    c.SetHandle(s.dc);
    c.Brush().SetColor(clBtnFace);
    SelectObject(c.Handle(), GetStockObject(BLACK_BRUSH));
    c.FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(s.At(1, 1), ColorToRGB(clBtnFace));
    c.SetPixels(6, 6, clWindowText);
    EXPECT_EQ(s.At(6, 6), ColorToRGB(clWindowText));
    EXPECT_EQ(c.Pixels(6, 6), ColorToRGB(clWindowText));
    c.SetHandle(nullptr);
}

TEST_F(GraphicsTest, ObjectsStayValidAcrossRawSaveAndRestore)
{
    RawSurface s(8, 2);
    TCanvas c;
    c.SetHandle(s.dc);
    c.Brush().SetColor(0x00FF00);
    HDC dc = c.Handle();
    const int saved = SaveDC(dc);
    c.Brush().SetColor(0xFF0000);
    c.Font().SetName(L"Courier New");
    c.Font().SetColor(0x0000FF);
    c.FillRect(Rect(4, 0, 8, 2));
    RestoreDC(dc, saved);
    // The brush and font put back by RestoreDC are the canvas's earlier ones, still alive.
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(GetCurrentObject(dc, OBJ_FONT)), static_cast<DWORD>(OBJ_FONT));
    RECT r{0, 0, 2, 2};
    FillRect(dc, &r, static_cast<HBRUSH>(brush));
    EXPECT_EQ(s.At(0, 0), 0x00FF00);
    EXPECT_EQ(s.At(5, 0), 0xFF0000);
    c.SetHandle(nullptr);
}

TEST_F(GraphicsTest, HandleComesWithFontAndTextColourSelected)
{
    RawSurface s(4, 4);
    TCanvas c;
    c.SetHandle(s.dc);
    HGDIOBJ original = GetCurrentObject(s.dc, OBJ_BRUSH);
    c.Font().SetName(L"Courier New");
    c.Font().SetColor(clHighlight);
    c.Font().SetStyle({fsBold});
    HDC dc = c.Handle();
    LOGFONTW lf{};
    GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof lf, &lf);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Courier New");
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(GetTextColor(dc), static_cast<COLORREF>(ColorToRGB(clHighlight)));
    c.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(s.dc, OBJ_BRUSH), original) << "the DC gets its own objects back";
}

TEST_F(GraphicsTest, CrossHatchBrushPaintsOnlyItsLines)
{
    RawSurface s(8, 8);
    TCanvas c;
    c.SetHandle(s.dc);
    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 0, 8, 8));
    c.Brush().SetColor(0x0000FF);
    c.Brush().SetStyle(bsCross);
    c.FillRect(Rect(0, 0, 8, 8));
    int red = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            red += s.At(x, y) == 0x0000FF;
    EXPECT_EQ(red, 15) << "one row and one column of each 8 x 8 cell";
    c.SetHandle(nullptr);
}

TEST_F(GraphicsTest, ManyColoursDoNotPileUpBrushes)
{
    RawSurface s(2, 2);
    const long before = ks::Tally(ks::GdiKind::Brush).Live();
    TCanvas c;
    c.SetHandle(s.dc);
    for (int i = 0; i < 300; ++i) {
        c.Brush().SetColor(i);
        c.FillRect(Rect(0, 0, 1, 1));
    }
    EXPECT_LE(ks::Tally(ks::GdiKind::Brush).Live() - before, 65);
    EXPECT_EQ(s.At(0, 0), 299);
    c.SetHandle(nullptr);
}

TEST_F(GraphicsTest, TextMeasuresMatch)
{
    TBitmap b;
    b.SetSize(100, 40);
    TCanvas& c = b.Canvas();
    const TSize size = c.TextExtent(L"Keysmith");
    EXPECT_GT(size.cx, 0);
    EXPECT_EQ(c.TextWidth(L"Keysmith"), size.cx);
    TRect r = Rect(0, 0, 100, 40);
    EXPECT_EQ(c.DrawText(L"Keysmith", r, DT_CALCRECT | DT_SINGLELINE), size.cy);
    EXPECT_EQ(r.Width(), size.cx);
}

TEST_F(GraphicsTest, FontChangesReachItsOwnerAndItsHandle)
{
    struct Listener {
        int calls = 0;
        void Changed(TObject*) { ++calls; }
    } listener;
    TFont f;
    f.SetOnChange(TNotifyEvent(&listener, &Listener::Changed));
    f.SetName(L"Tahoma");
    EXPECT_EQ(listener.calls, 0) << "no change, no news";
    HFONT first = f.Handle();
    f.SetColor(clRed);
    EXPECT_EQ(f.Handle(), first) << "colour is not part of the GDI font";
    f.SetCharset(204);
    EXPECT_EQ(listener.calls, 2);
    LOGFONTW lf{};
    GetObjectW(f.Handle(), sizeof lf, &lf);
    EXPECT_EQ(lf.lfCharSet, 204);

    HDC screen = GetDC(nullptr);
    const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    f.SetSize(12);
    EXPECT_EQ(f.Height(), -MulDiv(12, ppi, 72));
    EXPECT_EQ(f.Size(), 12);

    TFont g;
    g.Assign(&f);
    EXPECT_EQ(g.Charset(), 204);
    EXPECT_EQ(g.Color(), clRed);
    TBrush brush;
    EXPECT_THROW(g.Assign(&brush), EConvertError);
}

std::unique_ptr<TGraphic> MakeTestGraphic()
{
    return std::make_unique<TBitmap>();
}

TEST_F(GraphicsTest, PictureRegistryChoosesByExtension)
{
    EXPECT_NE(TPicture::FileFormat(L"BMP"), nullptr);
    EXPECT_STREQ(TPicture::FileFormat(L"jpeg")()->ClassName(), "TJPEGImage");
    EXPECT_STREQ(TPicture::FileFormat(L"ico")()->ClassName(), "TIcon");
    EXPECT_EQ(TPicture::FileFormat(L"png"), nullptr);
    TPicture::RegisterFileFormat(L"PNG", L"Portable network graphics (Skin engine)", MakeTestGraphic);
    EXPECT_EQ(TPicture::FileFormat(L"png"), &MakeTestGraphic);
    TPicture::UnregisterGraphicClass(MakeTestGraphic);
    EXPECT_EQ(TPicture::FileFormat(L"png"), nullptr);

    TPicture p;
    EXPECT_THROW(p.LoadFromFile(L"picture.xyz"), EInvalidGraphic);
    EXPECT_EQ(p.Graphic(), nullptr);

    // A real file through the registry.
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(3, 5);
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring name = std::wstring(dir) + L"ks_picture_test.BMP";
    {
        TFileStream out(name, fmCreate);
        b.SaveToStream(out);
    }
    p.LoadFromFile(name);
    DeleteFileW(name.c_str());
    ASSERT_NE(p.Graphic(), nullptr);
    EXPECT_STREQ(p.Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(p.Width(), 3);
    EXPECT_EQ(p.Height(), 5);
    EXPECT_EQ(&p.Bitmap(), p.Graphic());
    p.Icon();
    EXPECT_STREQ(p.Graphic()->ClassName(), "TIcon");
}

} // namespace
