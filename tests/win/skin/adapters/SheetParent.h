#pragma once
// The parent of the contact sheets of adapted platform controls: a top-level window that answers
// the background question with the colour the test sets and paints itself in it, as a form under
// the internal skin would. A sheet that needs more registers a procedure of its own that passes
// the rest on to this one.
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "vcl/Win.h"

namespace ks::test {

inline TColor gSheetBackground = 0;

inline LRESULT CALLBACK SheetParentProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SM_SKINCMD) {
        TMessage m{msg, wParam, lParam, 0};
        const ks::SkinCommandView view(m);
        if (view.Command() == SKC_GET_BG_INFO) {
            if (auto* info = view.Pointer<BackgroundInfo>()) {
                info->BackgroundKind = BgKindColor;
                info->Color = gSheetBackground;
            }
            return 1;
        }
        return view.Command() == SKC_GET_BG_COLOR ? gSheetBackground : 0;
    }
    if (msg == WM_ERASEBKGND) {
        RECT r{};
        GetClientRect(wnd, &r);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(gSheetBackground));
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        DeleteObject(brush);
        return 1;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

// A shown sheet parent of the registered class, of this size at (x, y) of the screen.
inline HWND NewSheetParent(const wchar_t* cls, int x, int y, int width, int height)
{
    return CreateWindowExW(0, cls, L"sheet", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace ks::test
