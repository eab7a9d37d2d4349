#include "skin/adapters/SkinnedScrollBars.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/adapters/AdapterQueries.h"
#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"
#include "vcl/WinControl.h"

#include <algorithm>
#include <climits>
#include <optional>

using ks::adapters::WindowRectOf;
using ks::adapters::Inside;

namespace {

ScrollTracking gT;

constexpr uint16_t HasBar = 8;

TacScrollBar* BarOf(const TacScrollWnd* h, int bar) noexcept
{
    if (!h)
        return nullptr;
    return bar == SB_HORZ ? h->HBar.get() : bar == SB_VERT ? h->VBar.get() : nullptr;
}

TsSkinManager* ManagerOf(const TacScrollWnd* h) noexcept
{
    return h && h->SkinData ? h->SkinData->SkinManager() : nullptr;
}

void ReadInfo(HWND wnd, TacScrollBar& bar)
{
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    if (GetScrollInfo(wnd, bar.BarType, &si))
        bar.ScrollInfo = si;
    else
        bar.ScrollInfo = SCROLLINFO{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
}

TRect BarRect(const TacScrollWnd* h, HWND wnd, int bar)
{
    TRect r;
    if (bar == SB_HORZ)
        GetHScrollRect(h, wnd, r);
    else
        GetVScrollRect(h, wnd, r);
    return r;
}

POINT CursorPos()
{
    POINT p{};
    if (ks::Sys().GetCursorPos)
        ks::Sys().GetCursorPos(&p);
    return p;
}

// How far screen point p lies along bar rectangle r from the bar's start, where its first
// position puts the slider: the right end of a horizontal bar that runs from the right.
int AlongBar(const TacScrollWnd* h, int barType, const TRect& r, POINT p) noexcept
{
    if (barType != SB_HORZ)
        return p.y - r.Top;
    return HScrollFromRight(h) ? r.Right - 1 - p.x : p.x - r.Left;
}

// The part of bar under screen point p.
int PortionAtPoint(const TacScrollWnd* h, HWND wnd, int barType, POINT p)
{
    const TacScrollBar* bar = BarOf(h, barType);
    if (!bar || !bar->ScrollVisible)
        return ks::spNone;
    const TRect r = BarRect(h, wnd, barType);
    const bool horz = barType == SB_HORZ;
    if (horz ? (p.y < r.Top || p.y >= r.Bottom) : (p.x < r.Left || p.x >= r.Right))
        return ks::spNone;
    const int extent = horz ? r.Width() : r.Height();
    const int arrow = GetScrollMetric(bar, ScrollMetric::ArrowLength, false);
    const ks::ThumbGeometry thumb = ks::CalcThumb(extent, arrow, bar->State(), bar->MinThumbSize);
    return ks::PortionAt(AlongBar(h, barType, r, p), extent, arrow, thumb);
}

bool IsGripCorner(const TacScrollWnd* h, HWND wnd)
{
    HWND parent = GetParent(wnd);
    if (!parent || !(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD))
        return true;
    if (GetWindowLongPtrW(parent, GWL_STYLE) & WS_CHILD)
        return false;
    const TRect hr = BarRect(h, wnd, SB_HORZ);
    const TRect vr = BarRect(h, wnd, SB_VERT);
    const TRect parentClient = ks::adapters::ClientRectOnScreen(parent);
    const bool left = VScrollOnScreenLeft(h);
    const int x = left ? vr.Left - h->BorderLeft : vr.Right + h->BorderRight;
    return (left ? x == parentClient.Left : x == parentClient.Right) && hr.Bottom + h->BorderBottom == parentClient.Bottom;
}

void KillPressTimers(HWND wnd)
{
    KillTimer(wnd, ScrollFirstRepeatTimer);
    KillTimer(wnd, ScrollRepeatTimer);
    gT.RepeatTimer = 0;
}

void ResetPress()
{
    gT.PressedPortion = gT.PressedHotPortion = gT.CurrentBar = -1;
    gT.RepeatTimer = 0;
    gT.ScrollMsg = 0;
    gT.PressedWnd = nullptr;
}

// The hovered window changes: what was hovered in another window is forgotten.
void SetHoverWnd(HWND wnd)
{
    if (gT.HoverWnd == wnd)
        return;
    if (gT.HoverTimer && gT.HoverWnd && IsWindow(gT.HoverWnd))
        KillTimer(gT.HoverWnd, ScrollHoverTimer);
    gT.HoverTimer = 0;
    gT.HoverBar = gT.HoverPortion = gT.PrevHoverPortion = -1;
    gT.HoverWnd = wnd;
}

void ResetHover(HWND wnd)
{
    if (gT.HoverTimer && wnd)
        KillTimer(wnd, ScrollHoverTimer);
    gT.HoverTimer = 0;
    gT.HoverBar = gT.HoverPortion = gT.PrevHoverPortion = -1;
    gT.HoverWnd = nullptr;
}

// Sends under the adapter's Scrolling flag, so that its own refreshes wait for the drawing after.
LRESULT SendScrolling(TacScrollWnd* h, HWND wnd, UINT msg, int code, int position)
{
    const bool was = h->Scrolling;
    h->Scrolling = true;
    const LRESULT r = SendScrollMessage(wnd, msg, code, position);
    // The window may have been destroyed by its own handler, and the adapter with it.
    if (IsWindow(wnd) && GetScrollHandler(wnd) == h)
        h->Scrolling = was;
    return r;
}

bool StillAdapted(TacScrollWnd* h, HWND wnd) noexcept
{
    return IsWindow(wnd) && GetScrollHandler(wnd) == h;
}

bool Skinned(const TacScrollWnd* h) noexcept
{
    return h->SkinData && h->SkinData->IsSkinActive();
}

// After code the press ran (a scroll message): whether the press begun as press is still the
// one recorded, in a window still adapted, skinned and holding the mouse. A handler that showed
// a modal box, disabled the window or took the mouse has cancelled it already; one that only
// switched the skin off or took the mouse quietly has it ended here.
bool PressGoesOn(TacScrollWnd* h, HWND wnd, unsigned press)
{
    if (!StillAdapted(h, wnd))
        return false;
    if (gT.PressedWnd != wnd || gT.PressedPortion < 0 || gT.Press != press)
        return false;
    if (GetCapture() == wnd && Skinned(h))
        return true;
    CancelScrollTracking(h, wnd);
    return false;
}

// ---- painting ----------------------------------------------------------------------------------

// Indexes of one bar's sections and images in the manager's common table.
struct BarSkin {
    int Track[2], TrackBorder[2], TrackTexture[2], TrackHotTexture[2];
    int Arrow[2], ArrowBorder[2], ArrowTexture[2], ArrowHotTexture[2], ArrowGlyph[2];
    int Slider, SliderBorder, SliderTexture, SliderHotTexture, SliderGlyph;
};

BarSkin SkinOf(const TsCommonIndexes& c, bool horz)
{
    BarSkin s{};
    // Tracks: 1H, 1V, 2H, 2V; arrows: TOP, BOTTOM, LEFT, RIGHT; sliders: V, H.
    const int t1 = horz ? 0 : 1, t2 = horz ? 2 : 3;
    const int a1 = horz ? 2 : 0, a2 = horz ? 3 : 1;
    const int sl = horz ? 1 : 0;
    for (int i = 0; i < 2; ++i) {
        const size_t t = static_cast<size_t>(i == 0 ? t1 : t2);
        const size_t a = static_cast<size_t>(i == 0 ? a1 : a2);
        s.Track[i] = c.ScrollBarIndex[t];
        s.TrackBorder[i] = c.ScrollBarBorderMask[t];
        s.TrackTexture[i] = c.ScrollBarPattern[t];
        s.TrackHotTexture[i] = c.ScrollBarHotPattern[t];
        s.Arrow[i] = c.ScrollBtnIndex[a];
        s.ArrowBorder[i] = c.ScrollBtnBorderMask[a];
        s.ArrowTexture[i] = c.ScrollBtnPattern[a];
        s.ArrowHotTexture[i] = c.ScrollBtnHotPattern[a];
        s.ArrowGlyph[i] = c.ScrollBtnGlyph[a];
    }
    s.Slider = c.SliderIndex[static_cast<size_t>(sl)];
    s.SliderBorder = c.SliderBorderMask[static_cast<size_t>(sl)];
    s.SliderTexture = horz ? c.SliderHPattern : c.SliderVPattern;
    s.SliderHotTexture = horz ? c.SliderHHotPattern : c.SliderVHotPattern;
    s.SliderGlyph = c.SliderGlyph[static_cast<size_t>(sl)];
    return s;
}

// A form's provider places the form's client area in its picture as if it began at the frame's
// inner edge: its offset leaves the scroll bars out, so a bar on the left lies inside what it
// calls the client, while the window's own client starts to the right of that bar.
bool ProviderCountsLeftBarAsClient(const TacScrollWnd* h, HWND wnd)
{
    if (!VScrollOnScreenLeft(h) || !h->VBar || !h->VBar->ScrollVisible)
        return false;
    auto* form = dynamic_cast<TCustomForm*>(FindControl(wnd));
    return form && ProviderComponentOf(*form);
}

// What lies behind the window at window point (x, y), into r of bmp. A child window's parent
// shows it; a top-level window (a skinned form or dialog) has no parent to ask, and its own
// provider answers with the form's picture, whose client area starts at the answered offset.
void FillBehind(TacScrollWnd* h, HWND wnd, TBitmap& bmp, const TRect& r, TPoint windowPoint)
{
    const bool topLevel = (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD) == 0;
    HWND asked = topLevel ? wnd : GetParent(wnd);
    CacheInfo ci = NoBackgroundCacheInfo;
    if (topLevel && h->SkinData->IsSkinActive()) {
        BackgroundInfo info;
        QueryParentBackgroundWnd(info, wnd, false);
        ci = CacheInfoFromBackground(info);
    } else if (!topLevel) {
        ci = h->SkinData->QueryBackgroundInfoWnd(wnd);
    }
    HDC dc = bmp.Canvas().Handle();
    if (ci.Ready && ci.Bmp && !ci.Bmp->Empty()) {
        // The window's origin in the client area of the window asked, from its left edge: the
        // pictures are composed left to right whatever the window's layout.
        POINT at{0, 0};
        if (asked) {
            const TRect wr = WindowRectOf(wnd);
            const TRect client = ks::adapters::ClientRectOnScreen(asked);
            at = {wr.Left - client.Left, wr.Top - client.Top};
            if (topLevel && ProviderCountsLeftBarAsClient(h, wnd))
                at.x += GetScrollMetric(h->VBar.get(), ScrollMetric::Thickness, false);
        }
        BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), ci.Bmp->Canvas().Handle(), ci.X + at.x + windowPoint.X,
               ci.Y + at.y + windowPoint.Y, SRCCOPY);
        return;
    }
    // Nobody answered: no colour either.
    const bool unanswered = ci.X == NoBackgroundCacheInfo.X && ci.Y == NoBackgroundCacheInfo.Y && !ci.Bmp;
    FillRectSolid(dc, r, ks::adapters::BackgroundFillColour(unanswered ? clNone : ci.FillColor, ManagerOf(h)));
}

// One bar composed off-screen and copied to dc. sliderAt >= 0 places the slider there (from the
// track's start) pressed, as a drag shows it.
void PaintBar(TacScrollWnd* h, HWND wnd, HDC dc, int barType, int hotPart, int sliderAt)
{
    TacScrollBar* bar = BarOf(h, barType);
    TsSkinManager* m = ManagerOf(h);
    if (!bar || !bar->ScrollVisible || !m)
        return;
    const bool horz = barType == SB_HORZ;
    const BarSkin skin = SkinOf(m->CommonIndexes, horz);
    if (!m->SectionIndexValid(skin.Track[0]))
        return;
    ReadInfo(wnd, *bar);
    const TRect wr = WindowRectOf(wnd);
    TRect r = BarRect(h, wnd, barType);
    r = Rect(r.Left - wr.Left, r.Top - wr.Top, r.Right - wr.Left, r.Bottom - wr.Top);
    const int extent = horz ? r.Width() : r.Height();
    const int across = horz ? r.Height() : r.Width();
    if (extent < 2 || across < 1)
        return;
    const int arrow = GetScrollMetric(bar, ScrollMetric::ArrowLength, true);
    const int trackArrow = GetScrollMetric(bar, ScrollMetric::ArrowLength, false);
    const ks::ScrollState state = bar->State();
    const ks::ThumbGeometry thumb = ks::CalcThumb(extent, trackArrow, state, bar->MinThumbSize);
    const int sliderStart = trackArrow + (sliderAt >= 0 ? sliderAt : thumb.Offset);
    const bool active = IsScrollbarActive(bar);
    const bool hoverHere = gT.HoverWnd == wnd && gT.HoverBar == barType;
    // The picture is composed in screen order with the skin's parts as they are: the left arrow,
    // the track before the slider and after it. A bar that runs from the right has its first
    // position at the right end, so the parts are the portions of the other end.
    const bool fromRight = horz && HScrollFromRight(h);
    const int nearArrow = fromRight ? ks::spSecondArrow : ks::spFirstArrow;
    const int farArrow = fromRight ? ks::spFirstArrow : ks::spSecondArrow;
    const int nearPage = fromRight ? ks::spPageAfter : ks::spPageBefore;
    const int farPage = fromRight ? ks::spPageBefore : ks::spPageAfter;

    // From a to b along the bar from its start, as a rectangle of the picture.
    auto along = [&](int a, int b) {
        if (fromRight)
            return Rect(extent - b, 0, extent - a, across);
        return horz ? Rect(a, 0, b, across) : Rect(0, a, across, b);
    };
    // The same, from the bar's left or top end whichever way it runs.
    auto onScreen = [&](int a, int b) { return horz ? Rect(a, 0, b, across) : Rect(0, a, across, b); };
    auto picture = NewBitmap24(r.Width(), r.Height());
    auto behind = NewBitmap24(r.Width(), r.Height());
    FillBehind(h, wnd, *picture, Rect(0, 0, r.Width(), r.Height()), TPoint{r.Left, r.Top});
    auto snapshot = [&] {
        GdiFlush();
        BitBlt(behind->Canvas().Handle(), 0, 0, r.Width(), r.Height(), picture->Canvas().Handle(), 0, 0, SRCCOPY);
        return CacheInfoFromBitmap(behind.get(), 0, 0);
    };
    CacheInfo ci = snapshot();
    auto section = [&](int index, int border, int texture, int hotTexture, const TRect& part, int st) {
        if (!m->SectionIndexValid(index) || part.Width() <= 0 || part.Height() <= 0)
            return;
        PaintSectionOverCache(index, border, texture, hotTexture, ci, true, st, part, TPoint{part.Left, part.Top},
                              picture.get(), m);
    };
    auto arrowState = [&](int portion) {
        if (!active)
            return 0;
        if (hotPart == portion)
            return 2;
        return hoverHere && gT.HoverPortion == portion ? 1 : 0;
    };
    auto paintArrows = [&](int firstEnd, int secondStart, int st0, int st1) {
        section(skin.Arrow[0], skin.ArrowBorder[0], skin.ArrowTexture[0], skin.ArrowHotTexture[0], onScreen(0, firstEnd), st0);
        section(skin.Arrow[1], skin.ArrowBorder[1], skin.ArrowTexture[1], skin.ArrowHotTexture[1],
                onScreen(secondStart, extent), st1);
        const int side = HScrollHeight;
        ks::adapters::PaintCentredGlyph(*m, skin.ArrowGlyph[0], *picture, horz ? Rect(0, 0, side, side) : Rect(0, 0, side, side), st0, ci);
        ks::adapters::PaintCentredGlyph(*m, skin.ArrowGlyph[1], *picture,
                                        horz ? Rect(extent - side, 0, extent, side) : Rect(0, extent - side, side, extent), st1, ci);
    };

    // Arrows sized from a skin's image may be long enough to overflow when doubled.
    if (2 * int64_t{arrow} >= extent) {
        const int half = extent / 2;
        section(skin.Track[0], skin.TrackBorder[0], skin.TrackTexture[0], skin.TrackHotTexture[0], onScreen(0, half), 0);
        section(skin.Track[1], skin.TrackBorder[1], skin.TrackTexture[1], skin.TrackHotTexture[1], onScreen(half, extent), 0);
        ci = snapshot();
        paintArrows(half, half, 0, 0);
    } else {
        const int middle = std::clamp(sliderStart + thumb.Size / 2, 0, extent);
        const int split = fromRight ? extent - middle : middle;
        section(skin.Track[0], skin.TrackBorder[0], skin.TrackTexture[0], skin.TrackHotTexture[0], onScreen(0, split),
                hotPart == nearPage ? 2 : 0);
        section(skin.Track[1], skin.TrackBorder[1], skin.TrackTexture[1], skin.TrackHotTexture[1],
                onScreen(split, extent), hotPart == farPage ? 2 : 0);
        ci = snapshot();
        paintArrows(arrow, extent - arrow, arrowState(nearArrow), arrowState(farArrow));
        if (active && ks::SliderShown(extent, arrow, state, bar->MinThumbSize)) {
            const int st = sliderAt >= 0 || hotPart == ks::spSlider ? 2
                           : hoverHere && gT.HoverPortion == ks::spSlider ? 1
                                                                           : 0;
            const TRect part = along(sliderStart, std::min(sliderStart + thumb.Size, extent));
            ci = snapshot();
            section(skin.Slider, skin.SliderBorder, skin.SliderTexture, skin.SliderHotTexture, part, st);
            ks::adapters::PaintCentredGlyph(*m, skin.SliderGlyph, *picture, part, st, ci);
        }
    }
    GdiFlush();
    BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), picture->Canvas().Handle(), 0, 0, SRCCOPY);
}

void PaintCorner(TacScrollWnd* h, HWND wnd, HDC dc)
{
    TsSkinManager* m = ManagerOf(h);
    if (!m)
        return;
    const TRect wr = WindowRectOf(wnd);
    const TRect hr = BarRect(h, wnd, SB_HORZ);
    const TRect vr = BarRect(h, wnd, SB_VERT);
    const TRect r = Rect(vr.Left - wr.Left, hr.Top - wr.Top, vr.Right - wr.Left, hr.Bottom - wr.Top);
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    auto picture = NewBitmap24(r.Width(), r.Height());
    FillBehind(h, wnd, *picture, Rect(0, 0, r.Width(), r.Height()), TPoint{r.Left, r.Top});
    const int grip = m->FindMask(m->CommonIndexes.GlobalInfoIndex, "GLOBALINFO", "GRIPIMAGE");
    if (IsGripCorner(h, wnd) && m->MaskIndexValid(grip)) {
        const TsMaskData& mask = m->MaskArray[static_cast<size_t>(grip)];
        const int w = MaskCellWidth(mask);
        const int gh = MaskCellHeight(mask);
        if (w > 0 && gh > 0) {
            GdiFlush();
            auto behind = NewBitmap24(r.Width(), r.Height());
            BitBlt(behind->Canvas().Handle(), 0, 0, r.Width(), r.Height(), picture->Canvas().Handle(), 0, 0, SRCCOPY);
            PaintStateGlyph(*picture, TPoint{r.Width() - w, r.Height() - gh}, 0, 1, mask,
                            CacheInfoFromBitmap(behind.get(), 0, 0));
        }
    }
    GdiFlush();
    BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), picture->Canvas().Handle(), 0, 0, SRCCOPY);
}

void PaintOneBar(TacScrollWnd* h, HWND wnd, int barType, int hotPart, int sliderAt)
{
    if (!StillAdapted(h, wnd))
        return;
    ks::WindowDC dc(wnd, ks::WindowDC::WholeWindow);
    ks::UnmirroredDC unmirrored(dc.get());
    PaintBar(h, wnd, dc.get(), barType, hotPart, sliderAt);
}

void RepaintBars(TacScrollWnd* h, HWND wnd)
{
    if (StillAdapted(h, wnd))
        DrawScrollBars(h, wnd, nullptr, gT.PressedHotPortion);
}

} // namespace

const ScrollTracking& CurrentScrollTracking() noexcept
{
    return gT;
}

// ---- attach and detach ---------------------------------------------------------------------------

void InitializeScrollBars(TacScrollWnd* adapter, HWND wnd, bool repaint)
{
    if (!adapter || !wnd)
        return;
    adapter->Scrolling = false;
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    for (int type : {SB_HORZ, SB_VERT}) {
        auto bar = std::make_unique<TacScrollBar>();
        bar->Owner = adapter;
        bar->BarType = static_cast<uint16_t>(type);
        ReadInfo(wnd, *bar);
        bar->ScrollFlags = (style & (type == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) ? HasBar : 0;
        (type == SB_HORZ ? adapter->HBar : adapter->VBar) = std::move(bar);
    }
    const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    adapter->LeftScrollBar = (exStyle & WS_EX_LEFTSCROLLBAR) != 0;
    adapter->LayoutMirrored = (exStyle & WS_EX_LAYOUTRTL) != 0;
    adapter->StylesHidden = false;
    InstallScrollWndHook(adapter, wnd);
    if (repaint && !adapter->Destroyed)
        RefreshWndFrame(wnd, true);
}

void RemoveScrollBarsHandler(HWND wnd, bool freeHandler, bool repaint, TacMainWnd*& handler)
{
    auto* h = dynamic_cast<TacScrollWnd*>(handler);
    if (!h || !h->SkinData || !h->SkinData->OwnerControl)
        return;
    ForgetScrollWindow(h, wnd);
    const bool wasAttached = !h->Destroyed;
    RemoveScrollWndHandler(wnd, false, repaint, handler);
    if (wasAttached) {
        if (h->HBar)
            h->HBar->Owner = nullptr;
        if (h->VBar)
            h->VBar->Owner = nullptr;
        h->HBar.reset();
        h->VBar.reset();
    }
    if (freeHandler) {
        handler->Free();
        handler = nullptr;
    }
}

void RefreshScrollBars(TacMainWnd* handler, bool repaint)
{
    auto* h = dynamic_cast<TacScrollWnd*>(handler);
    if (!h || h->Destroyed || !h->HBar || !h->VBar || !h->SkinData || h->SkinData->UpdateLock)
        return;
    ReadInfo(h->CtrlHandle, *h->HBar);
    ReadInfo(h->CtrlHandle, *h->VBar);
    if (repaint && !PaintLock)
        DrawScrollBars(h, h->CtrlHandle, nullptr, gT.PressedHotPortion);
}

void DrawScrollBars(TacScrollWnd* handler, HWND wnd, HDC dc, int hotPart)
{
    if (!handler || !wnd || handler->Destroyed || !handler->HBar || !handler->VBar)
        return;
    if (TsCommonData* data = handler->SkinData) {
        data->UpdateLock = data->Updating();
        if (data->UpdateLock)
            return;
        if (auto* owner = dynamic_cast<TWinControl*>(data->OwnerControl);
            owner && (!owner->Showing() || owner->ComponentState().Contains(csLoading)))
            return;
        if (data->BackgroundChanged)
            SendMessageW(wnd, SM_SKINCMD, MAKEWPARAM(0, SKC_PREPARE_CACHE), 0);
        if (!StillAdapted(handler, wnd))
            return;
    }
    std::optional<ks::WindowDC> own;
    if (!dc) {
        own.emplace(wnd, ks::WindowDC::WholeWindow);
        dc = own->get();
    }
    // The bars are laid out, hit tested and reserved in window coordinates from the window's
    // rectangle: a mirrored window's DC would show them at the other side, flipped.
    ks::UnmirroredDC unmirrored(dc);
    for (int type : {SB_HORZ, SB_VERT}) {
        // A dragged slider is drawn by the drag itself.
        if (handler->ThumbTracking && gT.PressedWnd == wnd && gT.CurrentBar == type)
            continue;
        PaintBar(handler, wnd, dc, type, gT.PressedWnd == wnd && gT.CurrentBar == type ? hotPart : -1, -1);
    }
    if (handler->HBar->ScrollVisible && handler->VBar->ScrollVisible)
        PaintCorner(handler, wnd, dc);
}

// ---- geometry ------------------------------------------------------------------------------------

int GetScrollMetric(const TacScrollBar* bar, ScrollMetric metric, bool skinSizesAllowed)
{
    if (!bar || (bar->BarType != SB_HORZ && bar->BarType != SB_VERT))
        return 0;
    const bool horz = bar->BarType == SB_HORZ;
    if (metric == ScrollMetric::Thickness) {
        if (bar->ArrowWidth >= 0)
            return bar->ArrowWidth;
        const int system = ks::Sys().GetSystemMetrics(horz ? SM_CYHSCROLL : SM_CXVSCROLL);
        return -bar->ArrowWidth * system;
    }
    if (bar->ArrowLength >= 0)
        return bar->ArrowLength;
    int base = HScrollHeight;
    TsSkinManager* m = bar->Owner ? ManagerOf(bar->Owner) : nullptr;
    if (skinSizesAllowed && m) {
        const TsCommonIndexes& c = m->CommonIndexes;
        const int left = c.ScrollBtnIndex[2];
        const int image = horz ? c.ScrollBtnBorderMask[2] : c.ScrollBtnBorderMask[0];
        if (m->SectionIndexValid(left) && m->GeneralDataArray[static_cast<size_t>(left)].ReservedBoolean &&
            m->MaskIndexValid(image)) {
            const TsMaskData& mask = m->MaskArray[static_cast<size_t>(image)];
            // An image without cells lends no size.
            const int cell = horz ? MaskCellWidth(mask) : MaskCellHeight(mask);
            base = std::max(base, cell);
        }
    }
    // A multiple of a long image's cell is held to what an int can carry.
    return static_cast<int>(std::min<int64_t>(-int64_t{bar->ArrowLength} * base, INT_MAX));
}

bool VScrollOnScreenLeft(const TacScrollWnd* h) noexcept
{
    return h && h->LeftScrollBar != h->LayoutMirrored;
}

bool HScrollFromRight(const TacScrollWnd* h) noexcept
{
    return h && h->LayoutMirrored;
}

void GetHScrollRect(const TacScrollWnd* h, HWND wnd, TRect& r)
{
    r = WindowRectOf(wnd);
    if (!h || !h->HBar || !h->VBar)
        return;
    const int v = h->VBar->ScrollVisible ? GetScrollMetric(h->VBar.get(), ScrollMetric::Thickness, false) : 0;
    const int t = h->HBar->ScrollVisible ? GetScrollMetric(h->HBar.get(), ScrollMetric::Thickness, false) : 0;
    const bool left = VScrollOnScreenLeft(h);
    r.Left += h->BorderLeft + (left ? v : 0);
    r.Right -= h->BorderRight + (left ? 0 : v);
    r.Bottom -= h->BorderBottom;
    r.Top = r.Bottom - t;
}

void GetVScrollRect(const TacScrollWnd* h, HWND wnd, TRect& r)
{
    r = WindowRectOf(wnd);
    if (!h || !h->HBar || !h->VBar)
        return;
    const int v = h->VBar->ScrollVisible ? GetScrollMetric(h->VBar.get(), ScrollMetric::Thickness, false) : 0;
    const int t = h->HBar->ScrollVisible ? GetScrollMetric(h->HBar.get(), ScrollMetric::Thickness, false) : 0;
    r.Top += h->BorderTop;
    r.Bottom -= h->BorderBottom + t;
    if (VScrollOnScreenLeft(h)) {
        r.Left += h->BorderLeft;
        r.Right = r.Left + v;
    } else {
        r.Right -= h->BorderRight;
        r.Left = r.Right - v;
    }
}

TacScrollBar* GetScrollBarOf(HWND wnd, int bar)
{
    return BarOf(dynamic_cast<TacScrollWnd*>(GetScrollHandler(wnd)), bar);
}

void SetMinThumbSize(HWND wnd, int bar, int size)
{
    auto* h = dynamic_cast<TacScrollWnd*>(GetScrollHandler(wnd));
    if (!h)
        return;
    const auto value = static_cast<uint16_t>(std::clamp(size, 0, 0xFFFF));
    if ((bar == SB_HORZ || bar == SB_BOTH) && h->HBar)
        h->HBar->MinThumbSize = value;
    if ((bar == SB_VERT || bar == SB_BOTH) && h->VBar)
        h->VBar->MinThumbSize = value;
}

bool IsScrollbarActive(const TacScrollBar* bar)
{
    if (!bar || !bar->Owner)
        return false;
    HWND wnd = bar->Owner->CtrlHandle;
    if (auto info = ks::Sys().GetScrollBarInfoPtr) {
        SCROLLBARINFO sbi{};
        sbi.cbSize = sizeof(sbi);
        const LONG id = bar->BarType == SB_HORZ ? OBJID_HSCROLL : bar->BarType == SB_VERT ? OBJID_VSCROLL : OBJID_CLIENT;
        if (!info(wnd, id, &sbi))
            return false;
        // Wine: a bar disabled with EnableScrollBar keeps rgstate[0] available and marks its
        // two arrows unavailable instead; Windows marks rgstate[0] as well.
        if (sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE)
            return false;
        return !((sbi.rgstate[1] & STATE_SYSTEM_UNAVAILABLE) && (sbi.rgstate[5] & STATE_SYSTEM_UNAVAILABLE));
    }
    return (GetWindowLongPtrW(wnd, GWL_STYLE) & (bar->BarType == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0;
}

// ---- message handlers ------------------------------------------------------------------------------

LRESULT HandleNcCalcSize(TacScrollWnd* h, HWND wnd, WPARAM wParam, LPARAM lParam)
{
    auto* rect = reinterpret_cast<RECT*>(lParam);
    if (!rect) {
        LPARAM l = lParam;
        return h->CallPrevWndProc(wnd, WM_NCCALCSIZE, wParam, l);
    }
    const RECT before = *rect;
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    LRESULT result;
    LPARAM l = lParam;
    if (style & (WS_HSCROLL | WS_VSCROLL)) {
        h->StylesHidden = true;
        SetWindowLongPtrW(wnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_HSCROLL | WS_VSCROLL));
        result = h->CallPrevWndProc(wnd, WM_NCCALCSIZE, wParam, l);
        if (IsWindow(wnd))
            SetWindowLongPtrW(wnd, GWL_STYLE, style);
        h->StylesHidden = false;
    } else {
        result = h->CallPrevWndProc(wnd, WM_NCCALCSIZE, wParam, l);
    }
    RECT& after = *rect;
    // A child's rectangle is in its parent's client coordinates, which a parent laid out right
    // to left counts from its right: the sides measured here are the screen's other way round.
    HWND parent = (style & WS_CHILD) ? GetParent(wnd) : nullptr;
    h->FrameMirrored = parent && (GetWindowLongPtrW(parent, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    h->LayoutMirrored = (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    const int left = after.left - before.left;
    const int right = before.right - after.right;
    h->BorderLeft = h->FrameMirrored ? right : left;
    h->BorderRight = h->FrameMirrored ? left : right;
    h->BorderTop = after.top - before.top;
    h->BorderBottom = before.bottom - after.bottom;
    if (h->HBar && h->VBar) {
        h->HBar->ScrollFlags = (style & WS_HSCROLL) ? HasBar : 0;
        const int ht = GetScrollMetric(h->HBar.get(), ScrollMetric::Thickness, false);
        h->HBar->ScrollVisible = h->HBar->ScrollFlags && ht <= after.bottom - after.top;
        if (h->HBar->ScrollVisible)
            after.bottom -= ht;
        h->VBar->ScrollFlags = (style & WS_VSCROLL) ? HasBar : 0;
        const int vt = GetScrollMetric(h->VBar.get(), ScrollMetric::Thickness, false);
        h->VBar->ScrollVisible = h->VBar->ScrollFlags && vt <= after.right - after.left;
        if (h->VBar->ScrollVisible) {
            // A mirrored window under a parent that is not (a drop-down list on the desktop) has
            // its frame in the screen's order, and its bar at the left all the same.
            if (VScrollOnScreenLeft(h) != h->FrameMirrored)
                after.left += vt;
            else
                after.right -= vt;
        }
    }
    return result;
}

LRESULT HandleNcHitTest(TacScrollWnd* h, HWND wnd, WPARAM wParam, LPARAM lParam)
{
    const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (h->HBar && h->VBar) {
        if (h->HBar->ScrollVisible && Inside(BarRect(h, wnd, SB_HORZ), p))
            return IsScrollbarActive(h->HBar.get()) ? HTHSCROLL : HTNOWHERE;
        if (h->VBar->ScrollVisible && Inside(BarRect(h, wnd, SB_VERT), p))
            return IsScrollbarActive(h->VBar.get()) ? HTVSCROLL : HTNOWHERE;
        if (h->HBar->ScrollVisible && h->VBar->ScrollVisible && IsGripCorner(h, wnd)) {
            const TRect hr = BarRect(h, wnd, SB_HORZ);
            const TRect vr = BarRect(h, wnd, SB_VERT);
            if (Inside(Rect(vr.Left, hr.Top, vr.Right, hr.Bottom), p))
                return HTBOTTOMRIGHT;
        }
    }
    LPARAM l = lParam;
    return h->CallPrevWndProc(wnd, WM_NCHITTEST, wParam, l);
}

LRESULT HandleNcMouseMove(TacScrollWnd* h, HWND wnd, WPARAM wParam, LPARAM lParam)
{
    SetHoverWnd(wnd);
    const int bar = wParam == HTHSCROLL ? SB_HORZ : wParam == HTVSCROLL ? SB_VERT : -1;
    if (bar >= 0 && gT.HoverBar != bar) {
        gT.HoverPortion = gT.PrevHoverPortion = -1;
        gT.HoverRect = BarRect(h, wnd, bar);
        gT.HoverBar = bar;
        gT.HoverTimer = SetTimer(wnd, ScrollHoverTimer, 20, nullptr);
        RepaintBars(h, wnd);
    }
    // Wine: the default handling of a move over a scroll bar repaints the platform's bar for its
    // own hot tracking, over the skin's; over the skin's bars the move stops here.
    if (bar >= 0 || !StillAdapted(h, wnd))
        return 0;
    LPARAM l = lParam;
    return h->CallPrevWndProc(wnd, WM_NCMOUSEMOVE, wParam, l);
}

LRESULT HandleNcLButtonDown(TacScrollWnd* h, HWND wnd, WPARAM wParam, LPARAM lParam)
{
    SetHoverWnd(wnd);
    const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    int barType = -1;
    if (wParam == HTHSCROLL)
        barType = SB_HORZ;
    else if (wParam == HTVSCROLL)
        barType = SB_VERT;
    // The window may have scrolled itself since the bar was last read.
    if (TacScrollBar* pressed = BarOf(h, barType))
        ReadInfo(wnd, *pressed);
    const int portion = barType >= 0 ? PortionAtPoint(h, wnd, barType, p) : -1;
    if (portion < 0) {
        gT.PressedPortion = -1;
        if (barType >= 0 && BarOf(h, barType))
            ReadInfo(wnd, *BarOf(h, barType));
        LPARAM l = lParam;
        return h->CallPrevWndProc(wnd, WM_NCLBUTTONDOWN, wParam, l);
    }
    // A press still held elsewhere ends first.
    if (gT.PressedWnd && gT.PressedWnd != wnd)
        if (auto* other = dynamic_cast<TacScrollWnd*>(GetScrollHandler(gT.PressedWnd)))
            CancelScrollTracking(other, gT.PressedWnd);
    TacScrollBar* bar = BarOf(h, barType);
    gT.ScrollMsg = barType == SB_HORZ ? WM_HSCROLL : WM_VSCROLL;
    gT.CurrentBar = barType;
    gT.PressedPortion = portion;
    gT.PressedWnd = wnd;
    const unsigned press = ++gT.Press;
    const bool active = IsScrollbarActive(bar);
    // The mouse is taken before the first step, as the platform's own tracking does: whatever
    // the step's handler does to the mouse (a modal box, a disabled window, a drag of its own)
    // reaches this press as WM_CAPTURECHANGED or WM_CANCELMODE and ends it.
    SetCapture(wnd);
    if (!PressGoesOn(h, wnd, press))
        return 0;
    if (portion <= ks::spPageAfter) {
        if (active) {
            gT.PressedHotPortion = portion;
            PaintOneBar(h, wnd, barType, portion, -1);
            SendScrolling(h, wnd, gT.ScrollMsg, portion, 0);
            if (!PressGoesOn(h, wnd, press))
                return 0;
            gT.RepeatTimer = SetTimer(wnd, ScrollFirstRepeatTimer, 300, nullptr);
            PaintOneBar(h, wnd, barType, portion, -1);
        }
    } else if (portion == ks::spSlider && active) {
        const TRect r = BarRect(h, wnd, barType);
        const bool horz = barType == SB_HORZ;
        const int extent = horz ? r.Width() : r.Height();
        const int arrow = GetScrollMetric(bar, ScrollMetric::ArrowLength, false);
        const ks::ThumbGeometry thumb = ks::CalcThumb(extent, arrow, bar->State(), bar->MinThumbSize);
        gT.ThumbSize = thumb.Size;
        gT.ThumbPos = arrow + thumb.Offset;
        gT.TrackRect = r;
        h->ThumbTracking = true;
        bar->ScrollInfo.nTrackPos = bar->ScrollInfo.nPos;
        gT.LastTrackPos = bar->ScrollInfo.nPos;
        gT.ThumbOffset = AlongBar(h, barType, r, p) - gT.ThumbPos;
        gT.PressedHotPortion = portion;
        PaintOneBar(h, wnd, barType, portion, thumb.Offset);
    }
    return 0;
}

namespace {

// The held press follows the cursor at screen point p: a dragged slider moves, a held arrow or
// page part is shown pressed while the cursor stays on it.
void FollowPress(TacScrollWnd* h, HWND wnd, POINT p)
{
    TacScrollBar* bar = BarOf(h, gT.CurrentBar);
    if (!bar)
        return;
    if (h->ThumbTracking) {
        const bool horz = gT.CurrentBar == SB_HORZ;
        const int arrow = GetScrollMetric(bar, ScrollMetric::ArrowLength, false);
        const int extent = horz ? gT.TrackRect.Width() : gT.TrackRect.Height();
        const int trackLength = std::max(extent - 2 * arrow, 0);
        const int room = std::max(trackLength - gT.ThumbSize, 0);
        const int start = std::clamp(AlongBar(h, gT.CurrentBar, gT.TrackRect, p) - gT.ThumbOffset - arrow, 0, room);
        const int position = ks::DragPosition(start, trackLength, gT.ThumbSize, bar->State());
        if (position != gT.LastTrackPos) {
            bar->ScrollInfo.nTrackPos = position;
            gT.LastTrackPos = position;
            SendScrolling(h, wnd, gT.ScrollMsg, SB_THUMBTRACK, position);
            if (!StillAdapted(h, wnd))
                return;
        }
        // Drawn after the window has scrolled, over whatever its own scrolling drew.
        PaintOneBar(h, wnd, gT.CurrentBar, ks::spSlider, start);
        return;
    }
    const int under = PortionAtPoint(h, wnd, gT.CurrentBar, p);
    const int hot = under == gT.PressedPortion ? under : -1;
    if (hot != gT.PressedHotPortion) {
        gT.PressedHotPortion = hot;
        PaintOneBar(h, wnd, gT.CurrentBar, hot, -1);
    }
}

} // namespace

LRESULT HandleMouseMove(TacScrollWnd* h, HWND wnd, WPARAM wParam, LPARAM lParam)
{
    if (gT.PressedWnd != wnd || gT.PressedPortion < 0) {
        LPARAM l = lParam;
        return h->CallPrevWndProc(wnd, WM_MOUSEMOVE, wParam, l);
    }
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(wnd, &p);
    FollowPress(h, wnd, p);
    return 0;
}

LRESULT HandleLButtonUp(TacScrollWnd* h, HWND wnd, WPARAM wParam, LPARAM lParam)
{
    if (gT.PressedWnd != wnd || gT.PressedPortion < 0) {
        LPARAM l = lParam;
        return h->CallPrevWndProc(wnd, WM_LBUTTONUP, wParam, l);
    }
    const int portion = gT.PressedPortion;
    const int barType = gT.CurrentBar;
    const UINT msg = gT.ScrollMsg;
    const bool dragging = h->ThumbTracking;
    const int last = gT.LastTrackPos;
    KillPressTimers(wnd);
    // The press is over before anything is sent: a handler that takes the capture or shows a
    // modal box finds no press to cancel.
    ResetPress();
    h->ThumbTracking = false;
    if (portion <= ks::spPageAfter) {
        SendScrolling(h, wnd, msg, SB_ENDSCROLL, 0);
    } else if (portion == ks::spSlider && dragging) {
        SendScrolling(h, wnd, msg, SB_THUMBPOSITION, last);
        if (StillAdapted(h, wnd))
            SendScrolling(h, wnd, msg, SB_ENDSCROLL, last);
    }
    if (!StillAdapted(h, wnd))
        return 0;
    // A window that held the mouse before the press (an open drop-down list) keeps it, and its
    // own handling never sees this button-up: let go of, or released over its frame, it would
    // take the press for the end of a pick of its own.
    const bool holds = h->HoldsMouseAcrossPress();
    if (!holds && GetCapture() == wnd)
        ReleaseCapture();
    PaintOneBar(h, wnd, barType, -1, -1);
    if (holds)
        return 0;
    LPARAM l = lParam;
    return h->CallPrevWndProc(wnd, WM_LBUTTONUP, wParam, l);
}

namespace {

void FirstRepeatTick(HWND wnd)
{
    KillTimer(wnd, ScrollFirstRepeatTimer);
    gT.RepeatTimer = gT.PressedWnd == wnd && gT.PressedPortion >= 0 ? SetTimer(wnd, ScrollRepeatTimer, 55, nullptr) : 0;
}

// A held arrow or page part scrolls again while the cursor stays on it.
void RepeatTick(TacScrollWnd* h, HWND wnd)
{
    if (gT.PressedWnd != wnd || gT.PressedPortion < 0) {
        KillTimer(wnd, ScrollRepeatTimer);
        return;
    }
    // Taken on the screen as it is: in client coordinates a bar at the client's left (a left
    // bar, or the right bar of a mirrored window) lies at negative x.
    FollowPress(h, wnd, CursorPos());
    if (StillAdapted(h, wnd) && gT.PressedHotPortion >= ks::spFirstArrow && gT.PressedHotPortion <= ks::spPageAfter)
        SendScrolling(h, wnd, gT.ScrollMsg, gT.PressedHotPortion, 0);
}

// The hovered part follows the cursor; the hover ends once the cursor leaves the bar.
void HoverTick(TacScrollWnd* h, HWND wnd)
{
    if (h->ThumbTracking)
        return;
    const POINT p = CursorPos();
    if (gT.HoverWnd == wnd && Inside(gT.HoverRect, p)) {
        if (TacScrollBar* hovered = BarOf(h, gT.HoverBar))
            ReadInfo(wnd, *hovered);
        const int portion = PortionAtPoint(h, wnd, gT.HoverBar, p);
        if (portion != gT.PrevHoverPortion) {
            gT.HoverPortion = portion;
            gT.PrevHoverPortion = portion;
            RepaintBars(h, wnd);
        }
        return;
    }
    KillTimer(wnd, ScrollHoverTimer);
    const bool ours = gT.HoverWnd == wnd;
    gT.HoverTimer = 0;
    gT.HoverBar = gT.HoverPortion = gT.PrevHoverPortion = -1;
    if (ours)
        RepaintBars(h, wnd);
}

} // namespace

// Timers of other owners go on to the window's own procedure.
LRESULT HandleTimer(TacScrollWnd* h, HWND wnd, WPARAM wParam, LPARAM lParam)
{
    switch (wParam) {
    case ScrollFirstRepeatTimer: FirstRepeatTick(wnd); return 0;
    case ScrollRepeatTimer: RepeatTick(h, wnd); return 0;
    case ScrollHoverTimer: HoverTick(h, wnd); return 0;
    default: return h->CallPrevWndProc(wnd, WM_TIMER, wParam, lParam);
    }
}

LRESULT HandleStyleChanged(TacScrollWnd* h, HWND wnd, WPARAM wParam, LPARAM lParam)
{
    if (static_cast<int>(wParam) == GWL_EXSTYLE && lParam) {
        const DWORD exStyle = reinterpret_cast<const STYLESTRUCT*>(lParam)->styleNew;
        h->LeftScrollBar = (exStyle & WS_EX_LEFTSCROLLBAR) != 0;
        h->LayoutMirrored = (exStyle & WS_EX_LAYOUTRTL) != 0;
    }
    LPARAM l = lParam;
    return h->CallPrevWndProc(wnd, WM_STYLECHANGED, wParam, l);
}

void ForgetScrollWindow(TacScrollWnd* h, HWND wnd)
{
    CancelScrollTracking(h, wnd);
    if (gT.HoverWnd == wnd)
        ResetHover(wnd);
}

void CancelScrollTracking(TacScrollWnd* h, HWND wnd)
{
    if (!h || gT.PressedWnd != wnd || gT.PressedPortion < 0)
        return;
    const int barType = gT.CurrentBar;
    const UINT msg = gT.ScrollMsg;
    const bool dragging = h->ThumbTracking;
    const int last = gT.LastTrackPos;
    const int portion = gT.PressedPortion;
    KillPressTimers(wnd);
    ResetPress();
    h->ThumbTracking = false;
    // Given back before anything is sent, so the WM_CAPTURECHANGED it brings finds no press.
    if (IsWindow(wnd) && GetCapture() == wnd)
        ReleaseCapture();
    if (IsWindow(wnd) && (portion <= ks::spPageAfter || dragging)) {
        if (dragging)
            SendScrolling(h, wnd, msg, SB_THUMBPOSITION, last);
        if (StillAdapted(h, wnd))
            SendScrolling(h, wnd, msg, SB_ENDSCROLL, dragging ? last : 0);
    }
    if (StillAdapted(h, wnd) && IsWindowVisible(wnd) && Skinned(h))
        PaintOneBar(h, wnd, barType, -1, -1);
}

LRESULT SendScrollMessage(HWND wnd, UINT msg, int code, int position)
{
    const LPARAM what = MAKELPARAM(code, msg);
    const LRESULT before = SendMessageW(wnd, SM_SKINCMD, MAKEWPARAM(0, SKC_BEFORE_SCROLL), what);
    if (before != 1) {
        if (code == SB_THUMBTRACK) {
            SCROLLINFO si{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, position, 0};
            SetScrollInfo(wnd, msg == WM_HSCROLL ? SB_HORZ : SB_VERT, &si, FALSE);
        }
        SendMessageW(wnd, msg, MAKEWPARAM(code, ks::Position16(position)), 0);
    } else {
        SendMessageW(wnd, msg, MAKEWPARAM(code, static_cast<WORD>(position & 0xFFFF)), static_cast<LPARAM>(position));
    }
    if (!IsWindow(wnd))
        return 0;
    return SendMessageW(wnd, SM_SKINCMD, MAKEWPARAM(0, SKC_AFTER_SCROLL), what);
}
