#pragma once
// Window classes the tests register for windows of their own: parents that answer the engine's
// questions, windows that count or record what reaches them.
#include "vcl/Win.h"

namespace ks::test {

// Registers a class of this module under the name and returns the name. A later registration of
// the same name fails and leaves the first in place, so a test may register each time it needs one.
inline const wchar_t* RegisterTestClass(const wchar_t* name, WNDPROC proc, HCURSOR cursor = nullptr,
                                        HBRUSH background = nullptr)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassW(&wc);
    return name;
}

} // namespace ks::test
