#pragma once
// The cursor-position seam pointed at a place the test chooses: tests that move the mouse by
// messages say where the cursor stands, so that the engine's own hover checks see the same place.
#include "vcl/PlatformSeams.h"
#include "vcl/Win.h"

namespace ks::test {

inline POINT gCursor{};

inline BOOL WINAPI FakeCursor(POINT* p)
{
    *p = gCursor;
    return TRUE;
}

// Puts the cursor at `at` and points the seam at it; the fixture puts the real seam back after
// the test.
inline void UseFakeCursor(POINT at)
{
    gCursor = at;
    ks::Sys().GetCursorPos = &FakeCursor;
}

} // namespace ks::test
