#include "vcl/GdiHandles.h"

#include "vcl/SysUtils.h"

#include <array>

namespace ks {

namespace {

constexpr const char* NoDC = "Cannot create a device context";

// One UI thread creates and deletes every handle, so plain counters do.
std::array<GdiTally, static_cast<size_t>(GdiKind::Count)> gTallies;

} // namespace

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
    detail::Count(GdiKind::WindowDC, &GdiTally::created);
}

WindowDC::~WindowDC()
{
    ReleaseDC(FWnd, FDC);
    detail::Count(GdiKind::WindowDC, &GdiTally::deleted);
}

PaintDC::PaintDC(HWND wnd) noexcept : FWnd(wnd), FDC(BeginPaint(wnd, &FPaint))
{
    detail::Count(GdiKind::PaintDC, &GdiTally::created);
}

PaintDC::~PaintDC()
{
    // EndPaint also ends a BeginPaint that returned no DC: the update region is validated.
    EndPaint(FWnd, &FPaint);
    detail::Count(GdiKind::PaintDC, &GdiTally::deleted);
}

} // namespace ks
