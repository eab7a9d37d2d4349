// The platform's dialogs as the probe opens them, each from its own modal loop under the probe's
// skin, and what the hook that skins them has left behind once they return.
#include "skin/forms/acBorderForm.h"
#include "skin/forms/acDialogWnd.h"
#include "skin/forms/acDials.h"

#include <commdlg.h>

#include <cstdio>
#include <string>

namespace {

BOOL CALLBACK CountAdapted(HWND wnd, LPARAM count)
{
    if (GetPropW(wnd, AdapterProperty))
        ++*reinterpret_cast<int*>(count);
    EnumChildWindows(wnd, &CountAdapted, count);
    return TRUE;
}

// Windows of this thread that an adapter holds, children included.
int AdaptedWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountAdapted, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Records of the hook whose dialog adapter has not let go of its window.
int HeldDialogs()
{
    int count = 0;
    if (HookedWindows)
        for (const TacProvider* record : *HookedWindows)
            count += record && record->DialogWnd && !record->DialogWnd->Destroyed;
    return count;
}

int Open(HWND owner, int kind)
{
    switch (kind) {
    case 1: return MessageBoxW(owner, L"Short text.", L"Message", MB_OKCANCEL);
    case 2: return MessageBoxW(owner, L"R&D costs && more.", L"Message", MB_OKCANCEL);
    case 3: {
        std::wstring text;
        for (int i = 1; i <= 12; ++i)
            text += L"A long message line " + std::to_wstring(i) + L" that goes on past the width of a short box.\n";
        return MessageBoxW(owner, text.c_str(), L"Message", MB_OKCANCEL);
    }
    case 4: {
        static COLORREF custom[16]{};
        CHOOSECOLORW cc{};
        cc.lStructSize = sizeof cc;
        cc.hwndOwner = owner;
        cc.lpCustColors = custom;
        cc.Flags = CC_FULLOPEN;
        return ChooseColorW(&cc);
    }
    case 5: {
        LOGFONTW lf{};
        CHOOSEFONTW cf{};
        cf.lStructSize = sizeof cf;
        cf.hwndOwner = owner;
        cf.lpLogFont = &lf;
        cf.Flags = CF_SCREENFONTS | CF_EFFECTS;
        return ChooseFontW(&cf);
    }
    case 6: {
        // An existing file already named: Enter takes it.
        wchar_t file[MAX_PATH]{};
        GetModuleFileNameW(nullptr, file, MAX_PATH);
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
        return GetOpenFileNameW(&ofn);
    }
    default: return -1;
    }
}

} // namespace

std::string ProbeRunDialog(HWND owner, int kind)
{
    const int adaptedBefore = AdaptedWindows();
    const int result = Open(owner, kind);
    char line[120];
    std::snprintf(line, sizeof line, "dialog %d result %d held %d adapted %d", kind, result, HeldDialogs(),
                  AdaptedWindows() - adaptedBefore);
    return line;
}

bool ProbeDialogHit(int x, int y, LRESULT& code)
{
    const HWND at = WindowFromPoint({x, y});
    if (!HookedWindows || !at)
        return false;
    bool shown = false;
    for (const TacProvider* record : *HookedWindows) {
        TacDialogWnd* dialog = record ? record->DialogWnd : nullptr;
        if (!dialog || dialog->Destroyed)
            continue;
        shown |= IsWindowVisible(dialog->CtrlHandle) != FALSE;
        // The border window lies above its dialog. WindowFromPoint passes over it where a click
        // still meets it, so its rectangle is asked.
        TacBorderForm* border = dialog->BorderForm();
        RECT r{};
        if (border && GetWindowRect(border->WindowHandle(), &r) && PtInRect(&r, {x, y})) {
            // Over its frame the border window leaves the answer to its own hit test, which
            // lights the button it finds: the light goes back to where the mouse is.
            code = SendMessageW(border->WindowHandle(), WM_NCHITTEST, 0, MAKELPARAM(x, y));
            if (code == 19) {
                code = border->BorderHitTest({x, y});
                POINT cursor{};
                GetCursorPos(&cursor);
                border->BorderHitTest({cursor.x, cursor.y});
            }
            return true;
        }
        if (at == dialog->CtrlHandle || IsChild(dialog->CtrlHandle, at)) {
            code = SendMessageW(at, WM_NCHITTEST, 0, MAKELPARAM(x, y));
            return true;
        }
    }
    // The probe's dialogs are modal: the windows beside one take no click.
    code = HTNOWHERE;
    return shown;
}
