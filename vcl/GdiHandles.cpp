#include "vcl/GdiHandles.h"

#include "vcl/SysUtils.h"

#include <array>

namespace ks {

namespace {

constexpr const char* NoDC = "Cannot create a device context";

// One UI thread creates and deletes every handle, so plain counters do.
std::array<GdiTally, static_cast<size_t>(GdiKind::Count)> gTallies;

// The engine composes its pictures left to right in bitmaps. A window laid out right to left
// hands out mirrored DCs, which would copy such a picture flipped, its text read backwards:
// every DC a window paints through copies it unflipped instead, at the place the mirrored
// coordinates give it, where the window's mouse coordinates find it too.
void KeepBitmapOrientation(HDC dc) noexcept
{
    const DWORD layout = dc ? GetLayout(dc) : GDI_ERROR;
    if (layout != GDI_ERROR && (layout & LAYOUT_RTL))
        SetLayout(dc, layout | LAYOUT_BITMAPORIENTATIONPRESERVED);
}

} // namespace

DWORD PlaceUnmirrored(HDC dc, const RECT& r) noexcept
{
    const DWORD layout = GetLayout(dc);
    POINT corner{r.left, r.top};
    if (layout != GDI_ERROR && (layout & LAYOUT_RTL)) {
        // The screen shows r's last column at its left. Wine copies a bitmap into a DC that
        // keeps the orientation one pixel left of that column; a DC without mirroring puts it
        // exactly there, as Windows does.
        corner.x = r.right - 1;
        LPtoDP(dc, &corner, 1);
        SetLayout(dc, layout & ~LAYOUT_RTL);
        DPtoLP(dc, &corner, 1);
    }
    OffsetWindowOrgEx(dc, -corner.x, -corner.y, nullptr);
    return layout;
}

GdiTally Tally(GdiKind kind) noexcept
{
    return gTallies[static_cast<size_t>(kind)];
}

void detail::Count(GdiKind kind, long GdiTally::*field) noexcept
{
    ++(gTallies[static_cast<size_t>(kind)].*field);
}

MemoryDC MemoryDC::Compatible(HDC dc)
{
    MemoryDC m;
    m.FDC = CreateCompatibleDC(dc);
    if (!m.FDC)
        throw EOutOfResources(NoDC);
    detail::Count(GdiKind::MemoryDC, &GdiTally::created);
    return m;
}

MemoryDC& MemoryDC::operator=(MemoryDC&& other) noexcept
{
    if (this != &other) {
        reset();
        FDC = std::exchange(other.FDC, nullptr);
    }
    return *this;
}

void MemoryDC::reset() noexcept
{
    if (HDC dc = std::exchange(FDC, nullptr)) {
        DeleteDC(dc);
        detail::Count(GdiKind::MemoryDC, &GdiTally::deleted);
    }
}

WindowDC::WindowDC(HWND wnd, Area area) : FWnd(wnd), FDC(area == WholeWindow ? GetWindowDC(wnd) : GetDC(wnd))
{
    if (!FDC)
        throw EOutOfResources(NoDC);
    KeepBitmapOrientation(FDC);
    detail::Count(GdiKind::WindowDC, &GdiTally::created);
}

WindowDC::~WindowDC()
{
    ReleaseDC(FWnd, FDC);
    detail::Count(GdiKind::WindowDC, &GdiTally::deleted);
}

PaintDC::PaintDC(HWND wnd) noexcept : FWnd(wnd), FDC(BeginPaint(wnd, &FPaint))
{
    KeepBitmapOrientation(FDC);
    detail::Count(GdiKind::PaintDC, &GdiTally::created);
}

PaintDC::~PaintDC()
{
    // EndPaint also ends a BeginPaint that returned no DC: the update region is validated.
    EndPaint(FWnd, &FPaint);
    detail::Count(GdiKind::PaintDC, &GdiTally::deleted);
}

} // namespace ks
