#include "skin/adapters/HeaderPainting.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Bitmap.h"

#include <algorithm>

namespace ks::adapters {

void PaintHeaderItem(TsSkinManager& manager, HDC dc, const TRect& r, int state, TColor fill,
                     const HeaderItemContent* content)
{
    const int w = r.Width(), h = r.Height();
    if (!dc || w <= 0 || h <= 0)
        return;
    state = std::clamp(state, 0, 2);
    const char* name = "COLHEADER";
    int section = manager.FindSection(name);
    if (section < 0) {
        name = "BUTTON";
        section = manager.FindSection(name);
    }
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(w, h);
    CacheInfo ci;
    ci.Ready = true;
    ci.FillColor = fill;
    const TRect all{0, 0, w, h};
    if (section >= 0)
        PaintSectionByIndex(section, name, ci, true, state, all, {r.Left, r.Top}, &bmp, &manager, -1, -1);
    else
        FillRectSolid(bmp.Canvas().Handle(), all, fill);
    if (content) {
        TRect area{4, 0, w - 4, h};
        const int sortGlyph = content->Sort == HeaderSort::Ascending    ? manager.CommonIndexes.ScrollBtnGlyph[0]
                              : content->Sort == HeaderSort::Descending ? manager.CommonIndexes.ScrollBtnGlyph[1]
                                                                        : -1;
        if (sortGlyph >= 0) {
            const int side = std::min(h, 16);
            PaintCentredGlyph(manager, sortGlyph, bmp, {w - side - 2, 0, w - 2, h}, 0, ci);
            area.Right -= side + 2;
        }
        HDC bdc = bmp.Canvas().Handle();
        if (content->Images && content->Image >= 0) {
            int iw = 0, ih = 0;
            ImageList_GetIconSize(content->Images, &iw, &ih);
            ImageList_Draw(content->Images, content->Image, bdc, area.Left, (h - ih) / 2, ILD_TRANSPARENT);
            area.Left += iw + 2;
        }
        const TsGeneralData* s =
            manager.SectionIndexValid(section) ? &manager.GeneralDataArray[static_cast<size_t>(section)] : nullptr;
        const TColor font = s ? (state == 0 ? s->FontColor[0] : s->HotFontColor[0]) : clWindowText;
        if (state == 2)
            area = {area.Left + 1, area.Top + 1, area.Right + 1, area.Bottom + 1};
        HGDIOBJ oldFont = SelectObject(bdc, content->Font ? content->Font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(bdc, TRANSPARENT);
        SetTextColor(bdc, ColorToRGB(font));
        RECT tr{area.Left, area.Top, area.Right, area.Bottom};
        DrawTextW(bdc, content->Text.c_str(), static_cast<int>(content->Text.size()), &tr,
                  content->Align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        SelectObject(bdc, oldFont);
    }
    GdiFlush();
    BitBlt(dc, r.Left, r.Top, w, h, bmp.Canvas().Handle(), 0, 0, SRCCOPY);
}

} // namespace ks::adapters
