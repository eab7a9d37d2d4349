// The skin manager's queries over its tables, the global colours with their fallbacks, and the
// indexes and shadow pictures resolved once per load.

#include "skin/core/sSkinManager.h"

#include "skin/core/PixelEffects.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Graphics.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>

namespace {

bool IsNoColour(TColor c) noexcept
{
    return c == -1 || c == TransparentKeyColor || c == clWhite;
}

// A shadow picture: the registered PNG picture, which blends by its alpha when drawn; a plain
// bitmap in a program without it.
std::unique_ptr<TBitmap> NewShadowPicture()
{
    std::unique_ptr<TBitmap> picture = NewRegisteredPicture(L"png");
    return picture ? std::move(picture) : std::make_unique<TBitmap>();
}

// A 32-bit picture of the w x h cell at (x, y) of source, the part outside source left at 0.
std::unique_ptr<TBitmap> CellPicture(const TBitmap& source, int x, int y, int w, int h)
{
    std::unique_ptr<TBitmap> picture = NewShadowPicture();
    picture->SetPixelFormat(pf32bit);
    picture->SetSize(std::max(w, 0), std::max(h, 0));
    TBitmap src;
    src.Assign(&source);
    src.SetPixelFormat(pf32bit);
    ks::CopyRect(picture->View(), {0, 0}, src.View(), {x, y, x + w, y + h});
    return picture;
}

std::unique_ptr<TBitmap> CopyPicture(const TBitmap& source)
{
    std::unique_ptr<TBitmap> picture = NewShadowPicture();
    picture->Assign(&source);
    return picture;
}

bool CompositionOn()
{
    const ks::Platform& sys = ks::Sys();
    return sys.Win32MajorVersion() >= 6 && sys.CompositionEnabled();
}

} // namespace

int TsSkinManager::FindSection(std::string_view name) const noexcept
{
    return FindSectionIn(GeneralDataArray, name);
}

int TsSkinManager::FindMask(int skinIndex, std::string_view section, std::string_view key) const noexcept
{
    return FindMaskIn(GeneralDataArray, MaskArray, skinIndex, section, key);
}

int TsSkinManager::FindMaskOwnOnly(std::string_view section, std::string_view key) const noexcept
{
    return FindMaskOwnOnlyIn(MaskArray, section, key);
}

int TsSkinManager::FindTexture(int skinIndex, std::string_view section, std::string_view key) const noexcept
{
    return FindTextureIn(GeneralDataArray, MaskArray, skinIndex, section, key);
}

int TsSkinManager::FindPattern(int skinIndex, std::string_view section, std::string_view key) const noexcept
{
    return FindPatternIn(GeneralDataArray, PatternArray, skinIndex, section, key);
}

bool TsSkinManager::MaskIndexValid(int index) const noexcept
{
    return index >= 0 && static_cast<size_t>(index) < MaskArray.size();
}

bool TsSkinManager::SectionIndexValid(int index) const noexcept
{
    return index >= 0 && static_cast<size_t>(index) < GeneralDataArray.size();
}

TSize TsSkinManager::MaskCellSize(int index) const noexcept
{
    if (!MaskIndexValid(index))
        return {};
    const TsMaskData& m = MaskArray[static_cast<size_t>(index)];
    if (m.Bmp)
        return {m.Bmp->Width() / 3, m.Bmp->Height() / 2};
    return {MaskCellWidth(m), MaskCellHeight(m)};
}

int TsSkinManager::MaskBorderLeft(int index) noexcept
{
    return MaskIndexValid(index) ? MaskBorderLeftOf(MaskArray[static_cast<size_t>(index)]) : 0;
}

int TsSkinManager::MaskBorderTop(int index) const noexcept
{
    return MaskIndexValid(index) ? MaskBorderTopOf(MaskArray[static_cast<size_t>(index)]) : 0;
}

int TsSkinManager::MaskBorderRight(int index) const noexcept
{
    return MaskIndexValid(index) ? MaskBorderRightOf(MaskArray[static_cast<size_t>(index)]) : 0;
}

int TsSkinManager::MaskBorderBottom(int index) const noexcept
{
    return MaskIndexValid(index) ? MaskBorderBottomOf(MaskArray[static_cast<size_t>(index)]) : 0;
}

TColor TsSkinManager::GlobalSectionColor() const noexcept
{
    const int g = CommonIndexes.GlobalInfoIndex;
    return ColorToRGB(SectionIndexValid(g) ? GeneralDataArray[static_cast<size_t>(g)].Color : clBtnFace);
}

TColor TsSkinManager::GlobalSectionFontColor() const noexcept
{
    const int g = CommonIndexes.GlobalInfoIndex;
    return SectionIndexValid(g) ? ColorToRGB(GeneralDataArray[static_cast<size_t>(g)].FontColor[0]) : TransparentKeyColor;
}

TColor TsSkinManager::FocusedEditColor() const noexcept
{
    const int g = CommonIndexes.GlobalInfoIndex;
    return ColorToRGB(SectionIndexValid(g) ? GeneralDataArray[static_cast<size_t>(g)].HotColor : clWindow);
}

TColor TsSkinManager::FocusedEditFontColor() const noexcept
{
    const int edit = FindSection("EDIT");
    return edit >= 0 ? ColorToRGB(GeneralDataArray[static_cast<size_t>(edit)].HotFontColor[0]) : TransparentKeyColor;
}

TColor TsSkinManager::HighlightColorOf() const noexcept
{
    const int item = FindSection("MENUITEM");
    if (item < 0 || IsNoColour(GeneralDataArray[static_cast<size_t>(item)].HotColor))
        return clHighlight;
    return ColorToRGB(GeneralDataArray[static_cast<size_t>(item)].HotColor);
}

TColor TsSkinManager::HighlightFontColorOf() const noexcept
{
    const int item = FindSection("MENUITEM");
    if (item < 0)
        return clHighlightText;
    const TsGeneralData& d = GeneralDataArray[static_cast<size_t>(item)];
    if (IsNoColour(d.HotFontColor[0]) || d.HotFontColor[0] == 0 || IsNoColour(d.HotColor))
        return clHighlightText;
    return ColorToRGB(d.HotFontColor[0]);
}

void TsSkinManager::RecomputeCommonIndexes()
{
    CommonIndexes = ComputeCommonIndexes(GeneralDataArray, MaskArray);
    PrepareShadows();
}

void TsSkinManager::PrepareShadows()
{
    // Nothing of a previous skin's shadows may survive into this one.
    ShadowMargins = {};
    if (!FActive || !ExtendedBorders())
        return;
    ShadowActive = NewShadowPicture();
    ShadowInactive = NewShadowPicture();
    const int ex = CommonIndexes.ExBorderMask;
    if (MaskIndexValid(ex)) {
        const TsMaskData& m = MaskArray[static_cast<size_t>(ex)];
        const int offset = SkinData.FormOffset;
        auto margin = [&](int side) { return std::max(SkinData.BorderMode != 0 ? offset : side - offset, 0); };
        ShadowMargins = Rect(margin(m.WL), margin(m.WT), margin(m.WR), margin(m.WB));
        const TBitmap* source = m.Bmp ? m.Bmp.get() : MasterBitmap.get();
        if (source) {
            const int w = MaskCellWidth(m);
            const int h = MaskCellHeight(m);
            ShadowInactive = CellPicture(*source, m.R.Left, m.R.Top, w, h);
            ShadowActive = m.ImageCount == 1 ? CopyPicture(*ShadowInactive)
                                             : CellPicture(*source, m.R.Left + w, m.R.Top, w, h);
        }
    } else if (ShadowActiveImage() && ShadowInactiveImage()) {
        const int grow = CompositionOn() ? 1 : 0;
        ShadowMargins = Rect(11 + grow, 7 + grow, 11 + grow, 11 + grow);
        ShadowActive = CopyPicture(*ShadowActiveImage());
        ShadowInactive = CopyPicture(*ShadowInactiveImage());
    }
    ClearWhiteTransparentPixels(*ShadowActive);
    ClearWhiteTransparentPixels(*ShadowInactive);
}
