#pragma once
// Owners of the GDI and USER handles the class library creates: one move-only type per kind of
// object and one per way a device context ends, each counting what it creates and deletes so
// that tests can check that handle counts stay flat (GetGuiResources is a stub under Wine).
//
// Borrowed handles stay plain HDC, HBITMAP ...: only these types delete. Handing a handle to
// someone else (the system, or a TBitmap through SetHandle) is a release() at the call.
// Selections are scoped with SelectGuard and SavedDC; declare the object before its guard so
// that it outlives its selection.

#include "vcl/Win.h"

#include <cstddef>
#include <utility>

namespace ks {

enum class GdiKind { Brush, Font, Pen, Region, Bitmap, Palette, MemoryDC, WindowDC, PaintDC, Icon, Count };

// Handles of a kind taken into ownership, deleted, and released to another owner. A kind is
// flat when Live() is back where it was.
struct GdiTally {
    long created = 0;
    long deleted = 0;
    long released = 0;
    long Live() const noexcept { return created - deleted - released; }
};

GdiTally Tally(GdiKind kind) noexcept;

namespace detail {
void Count(GdiKind kind, long GdiTally::*field) noexcept;
}

// Owns one GDI object or icon. Traits give the handle type, the kind and the deleter.
template <class Traits>
class UniqueGdi {
public:
    using Handle = typename Traits::Handle;

    UniqueGdi() noexcept = default;
    // Takes ownership; a null handle is an empty owner.
    explicit UniqueGdi(Handle h) noexcept : FHandle(h)
    {
        if (h)
            detail::Count(Traits::kind, &GdiTally::created);
    }
    UniqueGdi(UniqueGdi&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    UniqueGdi& operator=(UniqueGdi&& other) noexcept
    {
        if (this != &other) {
            reset();
            FHandle = std::exchange(other.FHandle, nullptr);
        }
        return *this;
    }
    UniqueGdi(const UniqueGdi&) = delete;
    UniqueGdi& operator=(const UniqueGdi&) = delete;
    ~UniqueGdi() { reset(); }

    Handle get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != nullptr; }

    // Deletes the owned handle, then owns h.
    void reset(Handle h = nullptr) noexcept
    {
        Handle old = std::exchange(FHandle, nullptr);
        if (old) {
            Traits::Close(old);
            detail::Count(Traits::kind, &GdiTally::deleted);
        }
        if (h) {
            FHandle = h;
            detail::Count(Traits::kind, &GdiTally::created);
        }
    }
    // Gives the handle to a new owner outside these types.
    [[nodiscard]] Handle release() noexcept
    {
        if (FHandle)
            detail::Count(Traits::kind, &GdiTally::released);
        return std::exchange(FHandle, nullptr);
    }

private:
    Handle FHandle = nullptr;
};

namespace detail {
template <class H, GdiKind K>
struct GdiObjectTraits {
    using Handle = H;
    static constexpr GdiKind kind = K;
    // Fails only for a handle still selected into a DC, which SelectGuard rules out.
    static void Close(H h) noexcept { DeleteObject(h); }
};
struct IconTraits {
    using Handle = HICON;
    static constexpr GdiKind kind = GdiKind::Icon;
    static void Close(HICON h) noexcept { DestroyIcon(h); }
};
} // namespace detail

using GdiBrush = UniqueGdi<detail::GdiObjectTraits<HBRUSH, GdiKind::Brush>>;
using GdiFont = UniqueGdi<detail::GdiObjectTraits<HFONT, GdiKind::Font>>;
using GdiPen = UniqueGdi<detail::GdiObjectTraits<HPEN, GdiKind::Pen>>;
using GdiRegion = UniqueGdi<detail::GdiObjectTraits<HRGN, GdiKind::Region>>;
using GdiBitmap = UniqueGdi<detail::GdiObjectTraits<HBITMAP, GdiKind::Bitmap>>;
using GdiPalette = UniqueGdi<detail::GdiObjectTraits<HPALETTE, GdiKind::Palette>>;
using UniqueIcon = UniqueGdi<detail::IconTraits>;

// A DC from CreateCompatibleDC, ended with DeleteDC.
class MemoryDC {
public:
    MemoryDC() noexcept = default;
    // Raises EOutOfResources when the system refuses.
    static MemoryDC Compatible(HDC dc);
    MemoryDC(MemoryDC&& other) noexcept : FDC(std::exchange(other.FDC, nullptr)) {}
    MemoryDC& operator=(MemoryDC&& other) noexcept;
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() { reset(); }

    HDC get() const noexcept { return FDC; }
    explicit operator bool() const noexcept { return FDC != nullptr; }
    void reset() noexcept;

private:
    HDC FDC = nullptr;
};

// A DC from GetDC (nullptr: the screen), or GetWindowDC for the whole window, ended with
// ReleaseDC; a mirrored one keeps bitmap orientation (see OrientationPreservedDC below).
class WindowDC {
public:
    enum Area { Client, WholeWindow };
    // Raises EOutOfResources when the system refuses.
    explicit WindowDC(HWND wnd, Area area = Client);
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC();

    HDC get() const noexcept { return FDC; }

private:
    HWND FWnd;
    HDC FDC;
};

// BeginPaint ... EndPaint for one WM_PAINT; a mirrored DC keeps bitmap orientation as above.
class PaintDC {
public:
    explicit PaintDC(HWND wnd) noexcept;
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC();

    HDC get() const noexcept { return FDC; }
    const PAINTSTRUCT& Info() const noexcept { return FPaint; }

private:
    HWND FWnd;
    PAINTSTRUCT FPaint{};
    HDC FDC;
};

// Selects obj into dc and puts the previous object back at the end of the scope.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept : FDC(dc), FOld(SelectObject(dc, obj)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (FOld && FOld != HGDI_ERROR)
            SelectObject(FDC, FOld);
    }

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// SaveDC now, RestoreDC to exactly that state at the end of the scope.
class SavedDC {
public:
    explicit SavedDC(HDC dc) noexcept : FDC(dc), FState(SaveDC(dc)) {}
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;
    ~SavedDC()
    {
        if (FState != 0)
            RestoreDC(FDC, FState);
    }

private:
    HDC FDC;
    int FState;
};

// A window laid out right to left (WS_EX_LAYOUTRTL, or a process whose default layout is right
// to left) mirrors its DCs: x runs from the right edge, and a bitmap copied in comes out flipped,
// its text read backwards. The engine composes its pictures left to right; these two guards say
// how such a picture reaches a mirrored DC. Both leave any other DC alone.

// Drops the mirroring for the scope: x runs from the left edge as in the window's rectangle, and
// a copied picture lands unflipped where it was laid out. For painters that lay out in window
// coordinates taken from GetWindowRect (frames, title bars, non-client scroll bars), so that
// their hit tests, which get screen coordinates, agree with what shows.
class UnmirroredDC {
public:
    explicit UnmirroredDC(HDC dc) noexcept : FDC(dc), FLayout(GetLayout(dc))
    {
        if (FLayout != GDI_ERROR && (FLayout & LAYOUT_RTL))
            SetLayout(dc, FLayout & ~LAYOUT_RTL);
    }
    UnmirroredDC(const UnmirroredDC&) = delete;
    UnmirroredDC& operator=(const UnmirroredDC&) = delete;
    ~UnmirroredDC()
    {
        if (FLayout != GDI_ERROR && (FLayout & LAYOUT_RTL))
            SetLayout(FDC, FLayout);
    }

private:
    HDC FDC;
    DWORD FLayout;
};

// Keeps the mirrored coordinates but copies bitmaps unflipped: a picture placed at a position
// the control laid out right to left (a tab, an item) lands there and reads left to right.
class OrientationPreservedDC {
public:
    explicit OrientationPreservedDC(HDC dc) noexcept : FDC(dc), FLayout(GetLayout(dc))
    {
        if (FLayout != GDI_ERROR && (FLayout & LAYOUT_RTL))
            SetLayout(dc, FLayout | LAYOUT_BITMAPORIENTATIONPRESERVED);
    }
    OrientationPreservedDC(const OrientationPreservedDC&) = delete;
    OrientationPreservedDC& operator=(const OrientationPreservedDC&) = delete;
    ~OrientationPreservedDC()
    {
        if (FLayout != GDI_ERROR && (FLayout & LAYOUT_RTL))
            SetLayout(FDC, FLayout);
    }

private:
    HDC FDC;
    DWORD FLayout;
};

// Moves the origin of dc to where the logical rectangle r shows on the screen, so that a picture
// drawn from (0, 0) lands on r; in a mirrored DC the mirroring is dropped first, so the picture
// (fills and text as well as copies) reads left to right at r's mirrored place. Returns the
// layout dc had. For windowless controls, whose place their mirrored parent lays out and whose
// own drawing does not mirror.
DWORD PlaceUnmirrored(HDC dc, const RECT& r) noexcept;

// PlaceUnmirrored for a scope: the DC's state and layout come back at the end.
class PlacedDC {
public:
    PlacedDC(HDC dc, const RECT& r) noexcept : FDC(dc), FState(SaveDC(dc)), FLayout(PlaceUnmirrored(dc, r)) {}
    PlacedDC(const PlacedDC&) = delete;
    PlacedDC& operator=(const PlacedDC&) = delete;
    ~PlacedDC()
    {
        if (FLayout != GDI_ERROR)
            SetLayout(FDC, FLayout);
        if (FState != 0)
            RestoreDC(FDC, FState);
    }

private:
    HDC FDC;
    int FState;
    DWORD FLayout;
};

} // namespace ks
