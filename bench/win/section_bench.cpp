// Section painting against its yardsticks, under Wine (a plain timing program run by
// ./project bench): a section with a border image and a gradient or a texture painted into a
// 24-bit cache bitmap over a textured parent, at button size and at form size, against memcpy of
// the cache bitmap's bytes and against composing the same picture with GDI: StretchBlt of a
// gradient column or a pattern brush for the background, AlphaBlend for the nine parts of the
// border, and BitBlt of the parent under the corners so that their key-coloured pixels show it
// (their half-masked pixels then mix with the parent rather than with the section, too small a
// difference to see; MaskBlt would match them but costs more than all the rest under Wine).
// The internal skin supplies the sections: its push button (a border with a mask row) and its
// form (a border without one), each given the tool bar's gradient, a black to white one or the
// scroll bar's dot texture. It reports, it never passes or fails; the painted and the composed
// pictures are left side by side in section_bench.png beside the program.
#include "bench/Interleaved.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImageCells.h"
#include "skin/core/sGradient.h"
#include "skin/core/sGradientPaint.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Bitmap.h"
#include "vcl/Forms.h"
#include "vcl/Win.h"

#include "host/support/SmallPng.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Dark blue stripes over a green checker, as behind the contact sheet's sections.
std::unique_ptr<TBitmap> Parent(int width, int height)
{
    auto parent = NewBitmap24(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* p = parent->ScanLine(y);
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = ((x + y) / 4) % 2 == 0 ? 0x90 : 0x50;
            p[1] = (x / 8 + y / 8) % 2 == 0 ? 0x48 : 0x20;
            p[2] = 0;
        }
    }
    return parent;
}

// State 0's cell of a border image as a premultiplied 32-bit picture for AlphaBlend: opaque
// where the mask row keeps the picture (or, without one, where the picture is not the key
// colour), clear where it shows the background.
std::unique_ptr<TBitmap> AlphaCell(const TsMaskData& mask)
{
    TBitmap& master = *mask.Manager->MasterBitmap;
    const int cw = MaskCellWidth(mask), ch = MaskCellHeight(mask), half = ks::HalfRecordHeight(mask);
    const int bytes = master.PixelFormat() == pf32bit ? 4 : 3;
    auto cell = NewBitmap32(cw, ch);
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            const uint8_t* s = master.ScanLine(mask.R.Top + y) + (mask.R.Left + x) * bytes;
            const bool key = s[0] == 0xFF && s[1] == 0 && s[2] == 0xFF;
            int alpha = key ? 0 : 255;
            if (mask.MaskType >= 1 && !key)
                alpha = 255 - master.ScanLine(mask.R.Top + y + half)[(mask.R.Left + x) * bytes + 1];
            uint8_t* d = cell->ScanLine(y) + x * 4;
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<uint8_t>(s[c] * alpha / 255);
            d[3] = static_cast<uint8_t>(alpha);
        }
    return cell;
}

// The texture record's picture as a bitmap of its own, for a pattern brush.
std::unique_ptr<TBitmap> TextureTile(const TsMaskData& texture)
{
    TBitmap* image = texture.Bmp ? texture.Bmp.get() : texture.Manager->MasterBitmap.get();
    auto tile = NewBitmap24(RectWidth(texture.R), RectHeight(texture.R));
    BitBlt(tile->Canvas().Handle(), 0, 0, tile->Width(), tile->Height(), image->Canvas().Handle(), texture.R.Left,
           texture.R.Top, SRCCOPY);
    return tile;
}

struct Sheet {
    // Three button-size rows and six form-size ones.
    std::unique_ptr<TBitmap> bitmap = NewBitmap24(2 * 420 + 24, 3 * 25 + 6 * 303 + 10 * 8);
    int top = 8;

    // The painted picture on the left, the composed one on the right.
    void Add(TBitmap& painted, TBitmap& composed)
    {
        BitBlt(bitmap->Canvas().Handle(), 8, top, painted.Width(), painted.Height(), painted.Canvas().Handle(), 0, 0,
               SRCCOPY);
        BitBlt(bitmap->Canvas().Handle(), 16 + 420, top, composed.Width(), composed.Height(),
               composed.Canvas().Handle(), 0, 0, SRCCOPY);
        top += painted.Height() + 8;
    }

    void Write(const std::string& path)
    {
        GdiFlush();
        std::vector<uint8_t> samples;
        for (int y = 0; y < bitmap->Height(); ++y) {
            const uint8_t* p = bitmap->ScanLine(y);
            for (int x = 0; x < bitmap->Width(); ++x, p += 3)
                samples.insert(samples.end(), {p[2], p[1], p[0]});
        }
        const std::vector<uint8_t> png = ks::test::MakeSmallPng(static_cast<uint32_t>(bitmap->Width()),
                                                                static_cast<uint32_t>(bitmap->Height()), 2, samples);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                    static_cast<std::streamsize>(png.size()));
    }
};

struct Look {
    const char* name;
    bool texture;
    // The section's gradient: the tool bar's when none is given here.
    const char* gradient;
};

void Measure(TsSkinManager& manager, int index, const char* section, const Look& look, int textureIndex, TSize size,
             Sheet& sheet)
{
    const int w = size.cx, h = size.cy;
    // The parent is larger than the control, which sits in it at (margin, margin).
    constexpr int margin = 6;
    auto parent = Parent(w + 2 * margin, h + 2 * margin);
    const CacheInfo ci = CacheInfoFromBitmap(parent.get(), 0, 0);
    auto cache = NewBitmap24(w, h);
    const TRect r{0, 0, w, h};

    const auto paint = [&] {
        PaintSectionByIndex(index, section, ci, true, 0, r, {margin, margin}, cache.get(), &manager,
                            look.texture ? textureIndex : -1, -1);
        GdiFlush();
    };

    const size_t bytes = static_cast<size_t>(std::abs(cache->Stride())) * h;
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    const ks::bench::Ratio copy = ks::bench::Interleave(paint, [&] { std::memcpy(b.data(), a.data(), bytes); });

    // The same picture through GDI; everything that needs no per-size work is made beforehand.
    const TsGeneralData& data = manager.GeneralDataArray[static_cast<size_t>(index)];
    const TsMaskData& border = manager.MaskArray[static_cast<size_t>(data.BorderIndex)];
    auto cell = AlphaCell(border);
    auto strip = NewBitmap24(1, h);
    PaintGradient(*strip, {0, 0, 1, h}, data.GradientArray);
    auto tile = TextureTile(manager.MaskArray[static_cast<size_t>(textureIndex)]);
    HBRUSH brush = CreatePatternBrush(tile->Handle());
    const ks::BorderLayout layout = ks::BorderParts(border, r, 0, true);
    const int cellLeft = border.R.Left, cellTop = border.R.Top;
    auto composed = NewBitmap24(w, h);
    const HDC dc = composed->Canvas().Handle();
    const HDC parentDC = parent->Canvas().Handle(), cellDC = cell->Canvas().Handle(), stripDC = strip->Canvas().Handle();
    const BLENDFUNCTION function{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const ks::bench::Ratio gdi = ks::bench::Interleave(paint, [&] {
        if (look.texture) {
            const HGDIOBJ old = SelectObject(dc, brush);
            PatBlt(dc, 0, 0, w, h, PATCOPY);
            SelectObject(dc, old);
        } else {
            StretchBlt(dc, 0, 0, w, h, stripDC, 0, 0, 1, h, SRCCOPY);
        }
        for (int i = 0; i < layout.count; ++i) {
            const ks::BorderPart& part = layout.parts[static_cast<size_t>(i)];
            const int aw = RectWidth(part.area), ah = RectHeight(part.area);
            if (part.corner)
                BitBlt(dc, part.area.Left, part.area.Top, aw, ah, parentDC, part.area.Left + margin,
                       part.area.Top + margin, SRCCOPY);
            AlphaBlend(dc, part.area.Left, part.area.Top, aw, ah, cellDC, part.src.Left - cellLeft,
                       part.src.Top - cellTop, part.w, part.h, function);
        }
        GdiFlush();
    });
    DeleteObject(brush);
    sheet.Add(*cache, *composed);

    // Targets: at form size at most 8 times memcpy of the cache bitmap's bytes; faster than the
    // GDI composition at every size.
    const bool formSize = w * h > 10000;
    std::printf("Section/%s/%s/%dx%d  paint %8.1f us  memcpy %6.1f us  gdi %8.1f us  %s", section, look.name, w, h,
                gdi.A * 1e6, copy.B * 1e6, gdi.B * 1e6, ks::bench::Text("x_memcpy", copy).c_str());
    if (formSize)
        std::printf(" x_memcpy_max=8");
    std::printf(" %s x_gdi_max=1\n", ks::bench::Text("x_gdi", gdi).c_str());
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

} // namespace

int main()
{
    Application->Initialize();
    auto* manager = Create<TsSkinManager>(nullptr);
    const std::string build = KS_BUILD_DIR;
    manager->SetSkinDirectory(L"Z:" + std::wstring(build.begin(), build.end()) + L"/skins");
    manager->SetSkinName(L"Terminal4bit");
    if (!manager->SkinData.SkinActive) {
        std::printf("the internal skin did not load\n");
        return 1;
    }
    // The tool bar's gradient and the scroll bar's texture, lent to the sections measured.
    const TsGeneralData& toolbar = manager->GeneralDataArray[static_cast<size_t>(manager->FindSection("TOOLBAR"))];
    const int texture = manager->FindMask(manager->FindSection("SCROLLBAR1H"), "SCROLLBAR1H", "PATTERN");
    // The tool bar's gentle gradient repeats rows; black to white changes colour on nearly every
    // row of a form.
    const Look looks[] = {{"gradient", false, nullptr}, {"steep", false, "0;16777215;100;0;0"}, {"texture", true, nullptr}};
    Sheet sheet;
    struct Case {
        const char* section;
        TSize size;
    } const cases[] = {{"BUTTON", {75, 25}}, {"BUTTON", {420, 303}}, {"FORM", {420, 303}}};
    for (const Case& c : cases) {
        const int index = manager->FindSection(c.section);
        for (const Look& look : looks) {
            TsGeneralData& section = manager->GeneralDataArray[static_cast<size_t>(index)];
            section.GradientPercent = look.texture ? 0 : 100;
            section.ImagePercent = look.texture ? 100 : 0;
            section.GradientData = look.gradient ? look.gradient : toolbar.GradientData;
            section.GradientArray = look.gradient ? ParseGradient(look.gradient) : toolbar.GradientArray;
            Measure(*manager, index, c.section, look, texture, c.size, sheet);
        }
    }
    const std::wstring folder = ProgramFolder();
    sheet.Write(std::string(folder.begin(), folder.end()) + "section_bench.png");
    manager->Free();
    return 0;
}
