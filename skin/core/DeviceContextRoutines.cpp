#include "skin/core/DeviceContextRoutines.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "vcl/GdiHandles.h"
#include "vcl/Graphics.h"
#include "vcl/WinControl.h"

#include <algorithm>
#include <cstdint>

namespace {

// r cut to limit; an empty result when they do not meet.
TRect CutTo(int64_t left, int64_t top, int64_t right, int64_t bottom, const TRect& limit) noexcept
{
    left = std::max<int64_t>(left, limit.Left);
    top = std::max<int64_t>(top, limit.Top);
    right = std::min<int64_t>(right, limit.Right);
    bottom = std::min<int64_t>(bottom, limit.Bottom);
    if (left >= right || top >= bottom)
        return {0, 0, 0, 0};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom)};
}

bool HasArea(const RECT& r) noexcept
{
    return r.right > r.left && r.bottom > r.top;
}

constexpr TColor NoContour = static_cast<TColor>(-1);
// The radio button's kind: with the check box and the group box, the controls that are drawn
// over their parent's image.
constexpr int RadioButtonKind = 33;

TRect Moved(const TRect& r, int dx, int dy) noexcept
{
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

// The section's record when index is one of the manager's sections.
const TsGeneralData* SectionOf(const TsSkinManager* manager, int index) noexcept
{
    if (manager == nullptr || !manager->SectionIndexValid(index))
        return nullptr;
    return &manager->GeneralDataArray[static_cast<size_t>(index)];
}

// The contour passes, left, top, right, bottom, in their colours; a side of colour -1 is
// skipped before the font is touched, so that value never reaches the system as a colour.
void DrawContours(TCanvas& canvas, std::wstring_view text, const TRect& r, UINT flags, const TsFontColors& colors)
{
    static constexpr int Shift[4][2] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};
    for (int side = 0; side < 4; ++side) {
        const TColor c = colors[static_cast<size_t>(side) + 1];
        if (c == NoContour)
            continue;
        canvas.Font().SetColor(c);
        TRect moved = Moved(r, Shift[side][0], Shift[side][1]);
        canvas.DrawText(text, moved, flags);
    }
}

} // namespace

void FillRectSolid(HDC dc, const TRect& r, TColor color)
{
    // FillRect mirrors an inverted rectangle instead of filling nothing.
    if (dc == nullptr || r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    ks::SavedDC saved(dc);
    ks::GdiBrush brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color))));
    const RECT rc{r.Left, r.Top, r.Right, r.Bottom};
    FillRect(dc, &rc, brush.get());
}

void FillFrameSolid(HDC dc, const TRect& r, int leftWidth, int topWidth, int rightWidth, int bottomWidth,
                    TColor color)
{
    if (dc == nullptr || r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    const int64_t lw = std::max(leftWidth, 0), tw = std::max(topWidth, 0);
    const int64_t rw = std::max(rightWidth, 0), bw = std::max(bottomWidth, 0);
    const int64_t L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    const TRect strips[4] = {
        CutTo(L, T, R, T + tw, r),
        CutTo(L, T + tw, L + lw, B, r),
        CutTo(L + lw, B - bw, R, B, r),
        CutTo(R - rw, T + tw, R, B - bw, r),
    };
    ks::SavedDC saved(dc);
    ks::GdiBrush brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color))));
    for (const TRect& s : strips) {
        const RECT rc{s.Left, s.Top, s.Right, s.Bottom};
        if (HasArea(rc))
            FillRect(dc, &rc, brush.get());
    }
}

void CopyFrameStrips(HDC dc, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, int borderWidth)
{
    if (dc == nullptr || srcDC == nullptr || width <= 0 || height <= 0 || borderWidth <= 0)
        return;
    // The sides take the whole height, the top and bottom only what lies between the sides, so
    // a frame wider than half the area is the whole area copied once per side, never more.
    const int side = std::min(borderWidth, width);
    const int band = std::min(borderWidth, height);
    const int between = std::max(width - 2 * side, 0);
    BitBlt(dc, x, y, side, height, srcDC, srcX, srcY, SRCCOPY);
    BitBlt(dc, x + width - side, y, side, height, srcDC, srcX + width - side, srcY, SRCCOPY);
    if (between > 0) {
        BitBlt(dc, x + side, y, between, band, srcDC, srcX + side, srcY, SRCCOPY);
        BitBlt(dc, x + side, y + height - band, between, band, srcDC, srcX + side, srcY + height - band, SRCCOPY);
    }
}

void ExcludeChildRects(HDC dc, TWinControl* control, int dx, int dy)
{
    if (dc == nullptr || control == nullptr)
        return;
    for (int i = 0; i < control->ControlCount(); ++i) {
        TControl* child = control->Controls(i);
        if (child == nullptr || dynamic_cast<TWinControl*>(child) != nullptr || !child->Visible() ||
            !child->ControlStyle().Contains(csOpaque))
            continue;
        const TRect b = Moved(child->BoundsRect(), dx, dy);
        ExcludeClipRect(dc, b.Left, b.Top, b.Right, b.Bottom);
    }
}

std::wstring EllipsizeText(TCanvas& canvas, std::wstring_view text, int maxWidth)
{
    static constexpr std::wstring_view Dots = L"...";
    if (maxWidth < 1 || text.empty() || canvas.TextWidth(text) <= maxWidth)
        return maxWidth < 1 ? std::wstring() : std::wstring(text);
    // A cut never falls between the halves of a surrogate pair: length k keeps the pair whole
    // by dropping its high half too. Cut(k) grows with k, so the prefixes that fit with the
    // dots are the short ones and the longest is found by halving: a status-bar panel paints
    // a text of thousands of characters in a few dozen measurements.
    const size_t n = text.size();
    const auto cut = [&](size_t k) { return k < n && IS_HIGH_SURROGATE(text[k - 1]) ? k - 1 : k; };
    std::wstring probe;
    const auto fits = [&](size_t k) {
        if (k == 0)
            return false;
        probe.assign(text.substr(0, k));
        probe += Dots;
        return canvas.TextWidth(probe) <= maxWidth;
    };
    // The longest length whose cut fits. A leading high surrogate cuts length 1 to nothing, which
    // never fits while length 2 may (an emoji and the dots): the search starts above that length, so
    // that what fits stays a run of short lengths. `none` below the first length is no cut.
    const size_t first = cut(1) == 0 ? 2 : 1;
    const size_t none = first - 1;
    size_t lo = none, hi = n;
    while (lo < hi) {
        const size_t mid = hi - (hi - lo) / 2;
        if (fits(cut(mid)))
            lo = mid;
        else
            hi = mid - 1;
    }
    if (lo == none)
        return {};
    std::wstring result(text.substr(0, cut(lo)));
    result += Dots;
    return result;
}

int DrawTextOnDC(HDC dc, std::wstring_view text, TRect& r, UINT flags)
{
    if (dc == nullptr)
        return 0;
    return DrawTextW(dc, text.data(), static_cast<int>(text.size()), reinterpret_cast<RECT*>(&r), flags);
}

int TextWidthOf(TCanvas& canvas, std::wstring_view text)
{
    return canvas.TextWidth(text);
}

TSize TextExtentOf(TCanvas& canvas, std::wstring_view text)
{
    return canvas.TextExtent(text);
}

void TextRectOf(TCanvas& canvas, const TRect& r, int x, int y, std::wstring_view text)
{
    canvas.TextRect(r, x, y, text);
}

int DrawSectionTextImpl(TCanvas& canvas, std::wstring_view text, bool enabled, TRect& r, UINT flags, int skinIndex,
                        bool hot, TsSkinManager* manager)
{
    if (manager == nullptr)
        manager = DefaultSkinManager;
    const TsGeneralData* s = SectionOf(manager, skinIndex);
    if (s == nullptr || text.empty())
        return 0;
    canvas.Brush().SetStyle(bsClear);
    if (!enabled) {
        canvas.Font().SetColor(BlendColors(s->FontColor[0], s->Color, 0.4));
        canvas.DrawText(text, r, flags);
        return 0;
    }
    const TsFontColors& colors = hot ? s->HotFontColor : s->FontColor;
    DrawContours(canvas, text, r, flags, colors);
    canvas.Font().SetColor(colors[0]);
    canvas.DrawText(text, r, flags);
    return 0;
}

int DrawSectionText(TCanvas& canvas, std::wstring_view text, bool enabled, TRect& r, UINT flags, int skinIndex,
                    bool hot, TsSkinManager* manager)
{
    return DrawSectionTextImpl(canvas, text, enabled, r, flags, skinIndex, hot, manager);
}

int DrawControlTextImpl(TCanvas& canvas, std::wstring_view text, bool enabled, TRect& r, UINT flags,
                        TsCommonData& skinData, bool hot)
{
    TControl* owner = skinData.OwnerControl;
    if (owner != nullptr && owner->Font() != nullptr)
        canvas.Font().Assign(owner->Font());
    if (hot && skinData.SkinSection() == "WEBBUTTON") {
        TFontStyles style = canvas.Font().Style();
        style.Include(fsUnderline);
        canvas.Font().SetStyle(style);
    }
    HDC dc = canvas.Handle();
    if (dc == nullptr)
        return 0;
    ks::SavedDC saved(dc);
    IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
    if (text.empty())
        return 0;
    TsSkinManager* manager = skinData.SkinManager();
    int index = skinData.SkinIndex;
    if (const TsGeneralData* own = SectionOf(manager, index); own != nullptr && owner != nullptr) {
        const int kind = skinData.ControlKind;
        const bool overParent = kind == ckCheckBox || kind == RadioButtonKind || kind == ckGroupBox ||
                                dynamic_cast<TGraphicControl*>(owner) != nullptr;
        const int transparency = hot ? own->HotTransparency : own->Transparency;
        if (overParent && owner->ParentFont() && owner->Parent() != nullptr && transparency > 0)
            index = GetParentSkinIndex(owner, index, manager);
    }
    const TsGeneralData* s = SectionOf(manager, index);
    canvas.Brush().SetStyle(bsClear);
    if (enabled) {
        if (s != nullptr && !skinData.CustomFont()) {
            const TsFontColors& colors = hot ? s->HotFontColor : s->FontColor;
            DrawContours(canvas, text, r, flags, colors);
            canvas.Font().SetColor(colors[0]);
        }
        // OR, not plus: a caller's own DT_NOCLIP must not turn into the next flag.
        canvas.DrawText(text, r, flags | DT_NOCLIP);
    } else {
        if (s != nullptr)
            canvas.Font().SetColor(BlendColors(s->FontColor[0], manager->GlobalSectionColor(), 0.4));
        canvas.DrawText(text, r, flags);
    }
    return 0;
}

int DrawControlText(TCanvas& canvas, std::wstring_view text, bool enabled, TRect& r, UINT flags,
                    TsCommonData& skinData, bool hot)
{
    return DrawControlTextImpl(canvas, text, enabled, r, flags, skinData, hot);
}
