#include "skin/core/SectionPainting.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/NumberRoutines.h"
#include "skin/pixels/PixelCore.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sGradientPaint.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/Graphics.h"
#include "vcl/Jpeg.h"

#include <algorithm>

namespace {

// The working values of one background painting.
struct Look {
    TColor color = 0;
    // Transparency, texture share and gradient share, each 0..100.
    int t = 0;
    int ip = 0;
    int gp = 0;
    // nullptr when the section gives no gradient: the gradient share is then plain colour.
    const TsGradArray* gradient = nullptr;
    // An index of the mask table, or of the pattern table when texIsPattern.
    int tex = -1;
    bool texIsPattern = false;
};

int Percent(int value)
{
    return std::clamp(value, 0, 100);
}

bool Is32(const TBitmap& bmp)
{
    return bmp.PixelFormat() == pf32bit;
}

// r is not empty and lies inside bmp.
bool Fits(const TBitmap& bmp, const TRect& r)
{
    return r.Left >= 0 && r.Top >= 0 && r.Left < r.Right && r.Top < r.Bottom && r.Right <= bmp.Width() &&
           r.Bottom <= bmp.Height();
}

// An opaque fill: through the pixels on a 32-bit bitmap, whatever its size, else through GDI.
void Fill(TBitmap& bmp, const TRect& r, TColor color)
{
    color = ColorToRGB(color);
    if (Is32(bmp))
        ks::FillRect32(bmp.View(), r, ColorToPixel32(color));
    else
        FillRectSolid(bmp.Canvas().Handle(), r, color);
}

std::unique_ptr<TBitmap> NewBitmapFor(const TBitmap& target, int width, int height)
{
    return Is32(target) ? NewBitmap32(width, height) : NewBitmap24(width, height);
}

// The background as painters into a target see it, whose rectangle w stands for r of the
// destination: the pixel behind the target's (w.Left + i, w.Top + j) is ci's (X + pt.X + i,
// Y + pt.Y + j).
CacheInfo Behind(const CacheInfo& ci, TPoint pt, const TRect& w)
{
    CacheInfo moved = ci;
    moved.X = ci.X + pt.X - w.Left;
    moved.Y = ci.Y + pt.Y - w.Top;
    return moved;
}

// Puts what lies behind r into it: the background image, or its colour. A background that is
// bmp itself is already there.
void PutBackground(TBitmap& bmp, const TRect& r, const CacheInfo& ci, TPoint pt)
{
    if (!ci.Ready) {
        Fill(bmp, r, ci.FillColor);
        return;
    }
    if (ci.Bmp && ci.Bmp != &bmp)
        BitBlt(bmp.Canvas().Handle(), r.Left, r.Top, RectWidth(r), RectHeight(r), ci.Bmp->Canvas().Handle(),
               ci.X + pt.X, ci.Y + pt.Y, SRCCOPY);
}

bool HasGradientText(const std::string& text)
{
    return text.find_first_not_of(' ') != std::string::npos;
}

// The section's own layers into w of target: texture, gradient over it by the texture share,
// then the colour share. direct selects the variant of the callers that hold their indexes.
void PaintLayers(TBitmap& target, const TRect& w, const Look& look, const CacheInfo& ci, TPoint pt,
                 const TsSkinManager& manager, bool direct)
{
    bool textureDone = false;
    if (look.ip > 0) {
        TRect left = w;
        if (look.texIsPattern) {
            if (look.tex >= 0 && static_cast<size_t>(look.tex) < manager.PatternArray.size()) {
                TileOrStretchImage(target, left, manager.PatternArray[static_cast<size_t>(look.tex)].Img.get(),
                                   0, TsMaskData{});
                textureDone = true;
            }
        } else if (manager.MaskIndexValid(look.tex)) {
            const TsMaskData& mask = manager.MaskArray[static_cast<size_t>(look.tex)];
            const auto mode = static_cast<uint8_t>(mask.StretchMode);
            if (mask.MaskType != 0)
                TileImage(target, left, Behind(ci, pt, w), mode, mask);
            else
                TileOrStretchImage(target, left, mask.Bmp.get(), mode, mask);
            textureDone = true;
        }
        if (left.Right != -1)
            Fill(target, left, look.color);
    }

    if (look.gp > 0) {
        if (textureDone) {
            const int width = RectWidth(w), height = RectHeight(w);
            // The same format as the target: the blend mixes only images of one format.
            auto g = NewBitmapFor(target, width, height);
            if (look.gradient)
                PaintGradient(*g, {0, 0, width, height}, *look.gradient);
            else
                Fill(*g, {0, 0, width, height}, look.color);
            const uint8_t a = direct ? ClampByte(look.ip * 256 / 100) : ClampByte(look.ip * 255 / 100);
            BlendBitmapRect(target, *g, a, {0, 0, width, height}, {w.Left, w.Top});
        } else if (look.gradient) {
            PaintGradient(target, w, *look.gradient);
        } else {
            Fill(target, w, look.color);
        }
    }

    const int share = look.gp + look.ip;
    // BlendRectWithColor names its last column and row.
    const TRect inclusive{w.Left, w.Top, w.Right - 1, w.Bottom - 1};
    if (share >= 1 && share <= 99) {
        BlendRectWithColor(target, inclusive, share, look.color);
    } else if (!direct) {
        // Nothing behind but a colour, and the section lets it through: the layers show that
        // colour (TransparentKeyColor when there is none, which later steps see through).
        if (share == 0)
            Fill(target, w, !ci.Ready && look.t != 0 ? ci.FillColor : look.color);
    } else if (share != 100) {
        Fill(target, w, !ci.Ready && look.t == 100 ? ci.FillColor : look.color);
    }
}

// The layers into r of bmp mixed with the background by the transparency, through a bitmap of
// r's size.
void PaintMixedLayers(TBitmap& bmp, const TRect& r, const Look& look, const CacheInfo& ci, TPoint pt,
                      const TsSkinManager& manager, bool direct)
{
    const int width = RectWidth(r), height = RectHeight(r);
    auto tmp = NewBitmapFor(bmp, width, height);
    PaintLayers(*tmp, {0, 0, width, height}, look, ci, pt, manager, direct);
    PutBackground(bmp, r, ci, pt);
    BlendBitmapRect(bmp, *tmp, ClampByte(look.t * 255 / 100), {0, 0, width, height}, {r.Left, r.Top});
}

void PaintCorners(TBitmap& bmp, const TRect& r, int state, const TsGeneralData& section, const TsSkinManager& manager)
{
    const int corners[4] = {section.ImgTopLeft, section.ImgTopRight, section.ImgBottomLeft, section.ImgBottomRight};
    for (int i = 0; i < 4; ++i) {
        if (!manager.MaskIndexValid(corners[i]))
            continue;
        const TsMaskData& mask = manager.MaskArray[static_cast<size_t>(corners[i])];
        const int cw = MaskCellWidth(mask), ch = MaskCellHeight(mask);
        const TPoint at{i % 2 == 0 ? r.Left : r.Right - cw, i < 2 ? r.Top : r.Bottom - ch};
        PaintStateGlyph(bmp, at, state, 1, mask, CacheInfoFromBitmap(&bmp, 0, 0));
    }
}

TsSkinManager* ManagerOr(TsSkinManager* manager)
{
    return manager ? manager : DefaultSkinManager;
}

} // namespace

void PaintSectionBackground(int skinIndex, std::string_view sectionName, const CacheInfo& ci, int state, const TRect& r,
                            TPoint pt, TBitmap* bmp, TsSkinManager* skinManager, int textureIndex, int hotTextureIndex,
                            TColor customColor)
{
    TsSkinManager* manager = ManagerOr(skinManager);
    if (!manager || !manager->SectionIndexValid(skinIndex) || !bmp || !Fits(*bmp, r))
        return;
    const TsGeneralData& section = manager->GeneralDataArray[static_cast<size_t>(skinIndex)];
    const bool hot = state != 0;
    Look look;
    if (customColor != TransparentKeyColor) {
        look.color = customColor;
    } else {
        look.color = hot ? section.HotColor : section.Color;
        look.t = Percent(hot ? section.HotTransparency : section.Transparency);
        if (look.t != 100) {
            look.ip = Percent(hot ? section.HotImagePercent : section.ImagePercent);
            look.gp = Percent(hot ? section.HotGradientPercent : section.GradientPercent);
            if (look.ip > 0) {
                const std::string_view key = hot ? "HOTPATTERN" : "PATTERN";
                const int given = hot ? hotTextureIndex : textureIndex;
                // A given index of a masked image is tiled through its mask like a found one.
                look.tex = given == -1 ? manager->FindMask(skinIndex, sectionName, key) : given;
                if (!manager->MaskIndexValid(look.tex)) {
                    look.tex = manager->FindPattern(skinIndex, sectionName, key);
                    look.texIsPattern = look.tex > -1;
                }
            }
            if (look.gp != 0 && HasGradientText(hot ? section.HotGradientData : section.GradientData))
                look.gradient = hot ? &section.HotGradientArray : &section.GradientArray;
        }
    }

    if ((!ci.Ready && ci.FillColor == TransparentKeyColor) || look.t == 0)
        PaintLayers(*bmp, r, look, ci, pt, *manager, false);
    else if (look.t == 100)
        PutBackground(*bmp, r, ci, pt);
    else
        PaintMixedLayers(*bmp, r, look, ci, pt, *manager, false);

    // A masked texture drawn in its own mode over the normal look.
    if (state != 0)
        return;
    auto masked = [&](int index) {
        return manager->MaskIndexValid(index) && manager->MaskArray[static_cast<size_t>(index)].MaskType > 0;
    };
    int overlay = -1;
    if (masked(textureIndex)) {
        if (manager->MaskArray[static_cast<size_t>(textureIndex)].StretchMode == 10)
            overlay = textureIndex;
    } else if (masked(hotTextureIndex) && manager->MaskArray[static_cast<size_t>(hotTextureIndex)].StretchMode == 10) {
        overlay = hotTextureIndex;
    }
    if (overlay != -1) {
        TRect area = r;
        TileImage(*bmp, area, Behind(ci, pt, r), 10, manager->MaskArray[static_cast<size_t>(overlay)]);
    }
}

void PaintControlBackground(const TsCommonData& skinData, const CacheInfo& ci, int state, const TRect& r, TPoint pt,
                            TBitmap* bmp)
{
    TColor custom = TransparentKeyColor;
    if (skinData.CustomColor()) {
        TCustomForm* form = ks::Services().ProviderForm ? ks::Services().ProviderForm(skinData.OwnerObject) : nullptr;
        if (form)
            custom = ColorToRGB(form->Color());
        else if (skinData.OwnerControl)
            custom = ColorToRGB(skinData.OwnerControl->Color());
    }
    PaintSectionBackground(skinData.SkinIndex, skinData.SkinSection(), ci, state, r, pt, bmp, skinData.SkinManager(),
                           skinData.TextureIndex, skinData.HotTextureIndex, custom);
}

void PaintSectionByIndex(int skinIndex, std::string_view sectionName, const CacheInfo& ci, bool filling, int state,
                         const TRect& r, TPoint pt, TBitmap* bmp, TsSkinManager* skinManager, int textureIndex,
                         int hotTextureIndex)
{
    TsSkinManager* manager = ManagerOr(skinManager);
    if (!bmp || !manager || !manager->SectionIndexValid(skinIndex) || !Fits(*bmp, r))
        return;
    PaintSectionBackground(skinIndex, sectionName, ci, state, r, pt, bmp, manager, textureIndex, hotTextureIndex,
                           TransparentKeyColor);
    const TsGeneralData& section = manager->GeneralDataArray[static_cast<size_t>(skinIndex)];
    PaintCorners(*bmp, r, state, section, *manager);
    if (manager->MaskIndexValid(section.BorderIndex))
        PaintSkinImageRect(*bmp, r, filling, Behind(ci, pt, r), manager->MaskArray[static_cast<size_t>(section.BorderIndex)],
                           state, true);
}

void PaintControlSection(const TsCommonData& skinData, const CacheInfo& ci, bool filling, int state, const TRect& r,
                         TPoint pt, TBitmap* bmp, bool updateCorners)
{
    TsSkinManager* manager = skinData.SkinManager();
    if (!bmp || !manager || !manager->SectionIndexValid(skinData.SkinIndex) || !Fits(*bmp, r))
        return;
    PaintControlBackground(skinData, ci, state, r, pt, bmp);
    if (manager->MaskIndexValid(skinData.BorderIndex)) {
        const TsMaskData& mask = manager->MaskArray[static_cast<size_t>(skinData.BorderIndex)];
        if (!(state == 0 && (mask.StretchMode & 2) != 0))
            PaintSkinImageRect(*bmp, r, filling, Behind(ci, pt, r), mask, state, updateCorners);
    }
    PaintCorners(*bmp, r, state, manager->GeneralDataArray[static_cast<size_t>(skinData.SkinIndex)], *manager);
}

void PaintSectionToDC(int skinIndex, std::string_view sectionName, const CacheInfo& ci, bool filling, int state,
                      const TRect& r, TPoint pt, HDC dc, TsSkinManager* skinManager)
{
    TsSkinManager* manager = ManagerOr(skinManager);
    if (!manager || !manager->SectionIndexValid(skinIndex) || r.Left < 0 || r.Top < 0 || RectWidth(r) < 1 ||
        RectHeight(r) < 1)
        return;
    ks::SavedDC saved(dc);
    auto tmp = NewBitmap24(RectWidth(r), RectHeight(r));
    PaintSectionByIndex(skinIndex, sectionName, ci, filling, state, {0, 0, tmp->Width(), tmp->Height()}, pt, tmp.get(),
                        manager, -1, -1);
    BitBlt(dc, r.Left, r.Top, tmp->Width(), tmp->Height(), tmp->Canvas().Handle(), 0, 0, SRCCOPY);
}

void PaintSectionBackgroundDirect(int skinIndex, int textureIndex, int hotTextureIndex, const CacheInfo& ci, int state,
                                  const TRect& r, TPoint pt, TBitmap* bmp, TsSkinManager* skinManager)
{
    TsSkinManager* manager = ManagerOr(skinManager);
    if (!manager || !manager->SectionIndexValid(skinIndex) || !bmp || !Fits(*bmp, r))
        return;
    const TsGeneralData& section = manager->GeneralDataArray[static_cast<size_t>(skinIndex)];
    const bool hot = state != 0;
    Look look;
    look.color = hot ? section.HotColor : section.Color;
    look.t = Percent(hot ? section.HotTransparency : section.Transparency);
    if (look.t != 100) {
        look.ip = Percent(hot ? section.HotImagePercent : section.ImagePercent);
        look.gp = Percent(hot ? section.HotGradientPercent : section.GradientPercent);
        look.tex = hot ? hotTextureIndex : textureIndex;
        if (look.gp != 0 && HasGradientText(hot ? section.HotGradientData : section.GradientData))
            look.gradient = hot ? &section.HotGradientArray : &section.GradientArray;
    }

    if (ci.Ready && look.t == 100)
        PutBackground(*bmp, r, ci, pt);
    else if (!ci.Ready || look.t == 0)
        PaintLayers(*bmp, r, look, ci, pt, *manager, true);
    else
        PaintMixedLayers(*bmp, r, look, ci, pt, *manager, true);
}

void PaintSectionOverCache(int skinIndex, int borderIndex, int textureIndex, int hotTextureIndex, const CacheInfo& ci,
                           bool filling, int state, const TRect& r, TPoint pt, TBitmap* bmp,
                           TsSkinManager* skinManager)
{
    TsSkinManager* manager = ManagerOr(skinManager);
    if (!bmp || !manager || !manager->SectionIndexValid(skinIndex) || !Fits(*bmp, r))
        return;
    PaintSectionBackgroundDirect(skinIndex, textureIndex, hotTextureIndex, ci, state, r, pt, bmp, manager);
    if (manager->MaskIndexValid(borderIndex))
        PaintSkinImageRect(*bmp, r, filling, Behind(ci, pt, r), manager->MaskArray[static_cast<size_t>(borderIndex)],
                           state, true);
}

int PaintSectionByName(TBitmap* bmp, std::string_view sectionName, std::string_view altSectionName, int state,
                       TsSkinManager* skinManager, TPoint srcPt, TColor fillColor, HDC srcDC)
{
    if (!skinManager)
        return -1;
    std::string_view name = sectionName;
    int index = skinManager->FindSection(name);
    if (!skinManager->SectionIndexValid(index)) {
        name = altSectionName;
        index = skinManager->FindSection(name);
    }
    if (!skinManager->SectionIndexValid(index) || !bmp)
        return skinManager->SectionIndexValid(index) ? index : -1;
    CacheInfo ci{nullptr, 0, 0, fillColor, false};
    if (srcDC) {
        BitBlt(bmp->Canvas().Handle(), 0, 0, bmp->Width(), bmp->Height(), srcDC, srcPt.X, srcPt.Y, SRCCOPY);
        ci = CacheInfoFromBitmap(bmp, 0, 0);
        ci.FillColor = fillColor;
    }
    PaintSectionByIndex(index, name, ci, true, state, {0, 0, bmp->Width(), bmp->Height()}, {0, 0}, bmp, skinManager, -1,
                        -1);
    return index;
}
