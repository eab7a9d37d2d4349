// The form provider's title-button states: which button is hot or pressed (each change repaints
// only the buttons it concerns), the glow animation of a button, the hints of user title
// buttons, and the form's system menu opened at a point.

#include "skin/forms/sSkinProvider.h"

#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/TitleAnimation.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinMenus.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Bitmap.h"
#include "vcl/GdiHandles.h"
#include "vcl/Hints.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>

bool TitleButtonPressed = false;

namespace {

// SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER.
constexpr UINT HintTopmostFlags = 0x213;
constexpr int HintMaxWidth = 800;
// A longer hint is shown at once: fading it in would keep a long text waiting.
constexpr size_t HintFadeMaxLength = 100;
constexpr DWORD HintFadeTime = 200;

bool IsUserButton(int code, const TsSkinProvider& p)
{
    return code >= HTUDBTN && p.TitleButtons() && code - HTUDBTN < p.TitleButtons()->Count();
}

// Tooltip animation and tooltip fading are both on in the system's settings.
bool TooltipsFade()
{
    BOOL animation = FALSE, fade = FALSE;
    return SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0) && animation &&
           SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0) && fade;
}

// A title button's hint lets the mouse through to whatever lies beneath, as a tooltip does.
// Placed under a resting cursor, it would otherwise take the mouse from the form: the form, told
// the mouse left, frees the hint inside the hint's own mouse message.
class TTitleButtonHint : public THintWindow {
public:
    using THintWindow::THintWindow;

protected:
    void WndProc(TMessage& message) override
    {
        if (message.Msg == WM_NCHITTEST)
            message.Result = HTTRANSPARENT;
        else
            THintWindow::WndProc(message);
    }
};

} // namespace

// ---- hot and pressed ---------------------------------------------------------------------------

void TsSkinProvider::SetHotHitCode(int code, bool repaint)
{
    if (!DrawNonClientArea() || code == HotHitCode)
        return;
    // A repaint below runs the form's OnPaint, which may free this provider.
    const Hold hold(this);
    // The mouse went from the menu line on to a title button, or from one title button to
    // another part: a menu-line item it lit on the way is left lit by the system. Only a change
    // puts it back: every hit test over the menu line asks again for no button, with the item
    // under the mouse rightly lit.
    RedrawLitMenuItem(FormWnd());
    const int previous = HotHitCode;
    if (TitleButtonRec* rec = TitleButtonByHitCode(previous)) {
        rec->State = 0;
        if (IsUserButton(previous, *this))
            HideTitleButtonHint(TitleButtons()->Items(previous - HTUDBTN));
        if (repaint)
            RepaintTitleButton(previous);
    }
    HotHitCode = code;
    if (TitleButtonRec* rec = TitleButtonByHitCode(code)) {
        rec->State = 1;
        if (IsUserButton(code, *this))
            ShowTitleButtonHint(TitleButtons()->Items(code - HTUDBTN));
    }
    TitleButtonPressed = false;
    if (repaint)
        RepaintTitleButton(code);
}

void TsSkinProvider::SetPressedHitCode(int code)
{
    // A repaint below runs the form's OnPaint, which may free this provider.
    const Hold hold(this);
    if (code != HotHitCode && HotHitCode > 0) {
        if (TitleButtonRec* rec = TitleButtonByHitCode(HotHitCode)) {
            rec->State = 0;
            if (IsUserButton(HotHitCode, *this))
                HideTitleButtonHint(TitleButtons()->Items(HotHitCode - HTUDBTN));
            RepaintTitleButton(HotHitCode);
        }
    }
    bool pressable = true;
    if (code == HTMAXBUTTON) {
        pressable = SystemMenu && (SystemMenu->EnabledMax() ||
                                   (Form && Form->WindowState() == wsMaximized && SystemMenu->EnabledRestore()));
    } else if (code == HTMDIMAX) {
        pressable = MaximizedMDIChildRestorable(Form);
    }
    if (!pressable) {
        HotHitCode = 0;
        return;
    }
    HotHitCode = code;
    if (TitleButtonRec* rec = TitleButtonByHitCode(code))
        rec->State = 2;
    if (IsUserButton(code, *this))
        HideTitleButtonHint(TitleButtons()->Items(code - HTUDBTN));
    TitleButtonPressed = true;
    RepaintTitleButton(code);
}

void TsSkinProvider::RepaintTitleButton(int hitCode)
{
    TitleButtonRec* rec = TitleButtonByHitCode(hitCode);
    TsCommonData* skinData = SkinData();
    TBitmap* cache = skinData ? skinData->CacheBitmap.get() : nullptr;
    // A provider that let its form go paints nothing on the system's frame.
    if (Passive || !rec || !cache || cache->Empty() || rec->Rect.Width() <= 0 || rec->Rect.Height() <= 0 || !Form ||
        !Form->HandleAllocated())
        return;
    bool enabled = true;
    if (SystemMenu && hitCode == HTMAXBUTTON)
        enabled = Form->WindowState() == wsMaximized ? SystemMenu->EnabledRestore() : SystemMenu->EnabledMax();
    else if (SystemMenu && hitCode == HTMINBUTTON)
        enabled = SystemMenu->EnabledMin();
    // The form's own buttons fade under a glowing skin or a border window; the maximised MDI
    // child's buttons in the menu line change at once. The fade shows the hot or pressed look
    // over the button, so the image keeps the normal one beneath: painted again only when the
    // button goes back to normal, which the fade-out then uncovers.
    const bool menuLineButton = hitCode == HTMDICLOSE || hitCode == HTMDIMAX || hitCode == HTMDIMIN;
    TsSkinManager* manager = ProviderSkinManager();
    const bool fades = !menuLineButton && ((manager && manager->AllowGlowing()) || BorderForm);
    if (fades) {
        StartTitleAnimation(*rec, rec->State, rec->State == 2 ? 1 : 10, enabled);
        if (rec->State != 0)
            return;
    }
    // The button alone: the title bar's background under it again, then its glyph.
    if (TempBmp && !TempBmp->Empty() && TempBmp->PixelFormat() == cache->PixelFormat()) {
        const TPoint origin = ButtonsBackgroundOrigin();
        ks::CopyRect(cache->View(), {rec->Rect.Left, rec->Rect.Top}, TempBmp->View(),
                     {rec->Rect.Left - origin.X, rec->Rect.Top - origin.Y, rec->Rect.Right - origin.X,
                      rec->Rect.Bottom - origin.Y});
    }
    if (IsUserButton(hitCode, *this))
        PaintUserTitleButton(*cache, hitCode - HTUDBTN);
    else
        PaintTitleButton(*cache, *rec, enabled);
    if (BorderForm) {
        BorderForm->ImageChanged = true;
        BorderForm->UpdateBorderWindow(true, 255);
        return;
    }
    HDC dc = GetWindowDC(Form->Handle());
    if (!dc)
        return;
    {
        // The button's rectangle counts from the window's left edge, as the frame painted whole.
        const ks::UnmirroredDC unmirrored(dc);
        BitBlt(dc, rec->Rect.Left, rec->Rect.Top, rec->Rect.Width(), rec->Rect.Height(), cache->Canvas().Handle(),
               rec->Rect.Left, rec->Rect.Top, SRCCOPY);
    }
    ReleaseDC(Form->Handle(), dc);
}

// ---- glow --------------------------------------------------------------------------------------

void TsSkinProvider::StartTitleAnimation(TitleButtonRec& rec, int state, int steps, bool enable)
{
    if (!Form || !Form->HandleAllocated())
        return;
    TitleAnimationOwner owner;
    owner.Owner = this;
    owner.BorderForm = BorderForm;
    owner.Wnd = Form->Handle();
    owner.SkinData = SkinData();
    owner.Provider = this;
    StartSBAnimation(rec, state, steps, owner, enable);
}

// ---- hints -------------------------------------------------------------------------------------

void TsSkinProvider::ShowTitleButtonHint(TsTitleButton* button)
{
    if (!button || button->Hint().empty())
        return;
    HideTitleButtonHint(button);
    // Owned by the button alone, which frees it whoever else goes first.
    THintWindow* hint = Create<TTitleButtonHint>(nullptr);
    button->HintWnd = hint;
    hint->SetVisible(false);
    hint->SetColor(clInfoBk);
    const std::wstring& text = button->Hint();
    TRect r = hint->CalcHintRect(HintMaxWidth, text, nullptr);
    POINT cursor{};
    ks::Sys().GetCursorPos(&cursor);
    // The text's rectangle and 4 pixels more, which the placement below keeps on the screen.
    const int w = r.Width(), h = r.Height() + 4;
    r.Left = cursor.x + 8;
    r.Top = cursor.y + GetSystemMetrics(SM_CYCURSOR) + 16;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &info)) {
        r.Left = std::max<int>(std::min<int>(r.Left, info.rcWork.right - w), info.rcWork.left);
        r.Top = std::max<int>(std::min<int>(r.Top, info.rcWork.bottom - h), info.rcWork.top);
    }
    hint->SetCaption(text);
    hint->SetBounds(r.Left, r.Top, w, h);
    const HWND wnd = hint->Handle();
    if (Application)
        SetWindowLongPtrW(wnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Application->Handle()));
    SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, HintTopmostFlags);
    if (text.size() < HintFadeMaxLength && ks::Sys().AnimateWindow && TooltipsFade())
        ks::Sys().AnimateWindow(wnd, HintFadeTime, AW_BLEND);
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    InvalidateRect(wnd, nullptr, TRUE);
}

void TsSkinProvider::HideTitleButtonHint(TsTitleButton* button)
{
    if (!button || !button->HintWnd)
        return;
    THintWindow* hint = button->HintWnd;
    button->HintWnd = nullptr;
    hint->Free();
}

// ---- system menu -------------------------------------------------------------------------------

void TsSkinProvider::EnableSysMenuItem(UINT command, bool enable)
{
    if (!Form || !Form->HandleAllocated())
        return;
    if (HMENU menu = GetSystemMenu(Form->Handle(), FALSE))
        EnableMenuItem(menu, command, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
}

void TsSkinProvider::ShowSkinnedSysMenu(int x, int y)
{
    if (!Form || !Form->HandleAllocated())
        return;
    const HWND wnd = Form->Handle();
    TsSkinManager* manager = ProviderSkinManager();
    if (!manager || !manager->SkinnedPopups() || !SystemMenu) {
        const HMENU menu = GetSystemMenu(wnd, FALSE);
        if (!menu)
            return;
        // The platform repaints its own frame while the items change unless the window looks
        // hidden meanwhile.
        const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
        SetWindowLongPtrW(wnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
        const bool iconic = IsIconic(wnd) != 0, zoomed = IsZoomed(wnd) != 0;
        auto query = [&](bool (TsCustomSysMenu::*q)()) { return SystemMenu ? (SystemMenu->*q)() : true; };
        EnableSysMenuItem(SC_RESTORE, (iconic || zoomed) && query(&TsCustomSysMenu::EnabledRestore));
        EnableSysMenuItem(SC_MOVE, !zoomed && !iconic);
        EnableSysMenuItem(SC_SIZE, IsSizeable() && Form->WindowState() == wsNormal);
        EnableSysMenuItem(SC_MINIMIZE,
                          query(&TsCustomSysMenu::VisibleMin) && query(&TsCustomSysMenu::EnabledMin));
        EnableSysMenuItem(SC_MAXIMIZE,
                          query(&TsCustomSysMenu::VisibleMax) && query(&TsCustomSysMenu::EnabledMax));
        EnableSysMenuItem(SC_CLOSE, query(&TsCustomSysMenu::VisibleClose));
        SetWindowLongPtrW(wnd, GWL_STYLE, style);
        const int command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, wnd, nullptr);
        if (command != 0)
            PostMessageW(wnd, WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
        return;
    }
    SystemMenu->UpdateItems();
    if (MakeSkinMenu() && SystemMenu->Items()->Count() > 0)
        SystemMenu->MakeSkinItems();
    if (TsSkinableMenus* menus = manager->SkinnableMenus())
        menus->OwnerDrawMenuItems(SystemMenu, true);
    // The form opens its own menu: its menu loop and popup messages reach the provider.
    SystemMenu->SetWindowHandle(wnd);
    SystemMenu->Popup(x, y);
}
